#pragma once

#include "frameworks/penwork/layers/PWDrawingViewTarget.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/ImageWriter.h"

#include <QByteArray>
#include <QList>
#include <QSizeF>
#include <QVariantMap>

#include <memory>

class PWGridLayer;
class PWImageDataManager;
class PWGuideLayer;
class PWStyle;
class RVUnitLength;

// Notifications of the drawing (object: the drawing, or the PWDrawing class object for the
// dearchiving one).
inline const QString kPWDrawingActiveLayerDidChange = QStringLiteral("kPWDrawingActiveLayerDidChange");
inline const QString kPWDrawingUnitsDidChangeNotification = QStringLiteral("kPWDrawingUnitsDidChangeNotification");
inline const QString kPWDrawingDidChangeSnapToGrid = QStringLiteral("kPWDrawingDidChangeSnapToGrid");
inline const QString kPWDrawingDidChangeSnapToGuides = QStringLiteral("kPWDrawingDidChangeSnapToGuides");
inline const QString kPWDrawingWillBeginDearchiving = QStringLiteral("kPWDrawingWillBeginDearchiving");

// Keys of the drawing information. The dimensions key's lower-cased value followed by
// ".size_width" and ".size_height" names the width and height in points; the units key holds
// the unit's full name.
inline const QString kPWDrawingDimensionsInfoKey = QStringLiteral("PWDrawingDimensions");
inline const QString kPWDrawingDimensionsUnitsInfoKey = QStringLiteral("PWDrawingDimensionsUnits");

class PWDrawing;

// What a drawing asks its delegate (the document) about showing lengths.
class PWDrawingDelegate {
public:
    virtual ~PWDrawingDelegate() = default;
    // The unit in which lengths of `drawing` are shown, or null for the drawing's own units.
    virtual pf::Ref<RVUnitLength> convertedDisplayUnitsForDrawing(const PWDrawing& drawing) const = 0;
    // Points per displayed unit.
    virtual double conversionMultiplierForDisplayUnits() const = 0;
};

// The drawing: the root layer group, with the page (size, margins, paper), the units, the
// active layer, snapping to grid and guides, string metadata, the undo manager that every
// layer, object and style of the drawing records with, and the view controllers that show it.
// A plain drawing is empty; defaultDrawing() holds a grid, an object layer and guides.
class PWDrawing : public PWLayerGroup {
    PF_CLASS(PWDrawing)
public:
    PWDrawing();
    ~PWDrawing() override;

    // A new drawing with a grid layer (bottom), one object drawing layer (active) and a guide
    // layer (top), in centimetres, A4 sized.
    static pf::Ref<PWDrawing> defaultDrawing();

    // Class settings, kept in the user defaults.
    static bool snapToGridOnGridVisible();
    static void setSnapToGridOnGridVisible(bool snapOnlyWhenVisible);
    // The name of the class used to help decoding drawings (the helper class is registered by
    // the archiving code); empty means the framework's own.
    static QString dearchivingHelperClass();
    static void setDearchivingHelperClass(const QString& className);
    static QString penworkVersionString();
    // The abbreviation of a unit given by its full name ("inches" -> "in"); the name itself
    // when it names no unit.
    static QString abbreviationForDrawingUnits(const QString& units);

    PWDrawing* drawing() const override;

    // Page. Sizes are in points; negative or non-finite sizes and margins are refused.
    QSizeF drawingSize() const { return m_size; }
    void setDrawingSize(const QSizeF& size);
    double leftMargin() const { return m_margins.left; }
    double topMargin() const { return m_margins.top; }
    double rightMargin() const { return m_margins.right; }
    double bottomMargin() const { return m_margins.bottom; }
    void setMargins(double left, double top, double right, double bottom);
    // The drawing area inside the margins (empty when the margins overlap).
    QRectF interior() const;
    // Invalid means none (the platform's background shows).
    pf::Color paperColour() const { return m_paperColour; }
    void setPaperColour(const pf::Color& colour);
    bool paperColourIsPrinted() const { return m_paperColourIsPrinted; }
    void setPaperColourIsPrinted(bool printed);

    // Units. Never null: a drawing starts in points, and setting null is refused.
    pf::Ref<RVUnitLength> units() const { return m_units; }
    void setUnits(const pf::Ref<RVUnitLength>& units);
    double unitToPointsConversionFactor() const;
    QString drawingUnits() const;
    QString abbreviatedDrawingUnits() const;
    // Points to drawing units.
    double convertLength(double points) const;

    // Grid and guides: the first grid / guide layer at the top level of the drawing.
    pf::Ref<PWGridLayer> gridLayer() const;
    pf::Ref<PWGuideLayer> guideLayer() const;
    // 0 ordinary, 1 isometric. Changing it replaces the grid layer in place by one of the
    // other kind with the same settings (undoable); other values are stored and keep the grid.
    int gridType() const { return m_gridType; }
    void setGridType(int type);

    // The active layer. Setting a layer that is not in the drawing raises
    // NSInvalidArgumentException; one that may not become active is ignored; null clears it.
    pf::Ref<PWLayer> activeLayer() const { return m_activeLayer.lock(); }
    void setActiveLayer(const pf::Ref<PWLayer>& layer);
    void setActiveLayer(const pf::Ref<PWLayer>& layer, bool withUndo);
    pf::Ref<PWLayer> activeLayerOfClass(const pf::Class& cls) const;
    pf::Ref<PWLayer> firstLayerOfClass(const pf::Class& cls, bool deepSearch = false) const;
    pf::Ref<PWLayer> firstActivateableLayerOfClass(const pf::Class& cls) const;
    // Every layer of the drawing, depth first in index order; groups only when asked.
    QList<pf::Ref<PWLayer>> flattenedLayers() const { return flattenedLayersIncludingGroups(false); }
    QList<pf::Ref<PWLayer>> flattenedLayersIncludingGroups(bool includeGroups) const;
    // `name` when no layer has it, else "name 2", "name 3"... (empty reads as "Layer").
    QString uniqueLayerNameForName(const QString& name) const;
    void showAll();
    void hideAllExcept(const pf::Ref<PWLayer>& layer);

    // Snapping.
    bool snapsToGrid() const { return m_snapsToGrid; }
    void setSnapsToGrid(bool snaps);
    bool snapsToGuides() const { return m_snapsToGuides; }
    void setSnapsToGuides(bool snaps);
    // The point on the nearest grid intersection when snapping applies, otherwise the point
    // itself. Snapping applies when snapsToGrid differs from `controlFlag` (the Control key
    // reverses the setting), and, with snapToGridOnGridVisible, only while the grid is visible.
    QPointF snapToGrid(const QPointF& point, bool controlFlag) const;
    QPointF snapToGuides(const QPointF& point) const;
    // The smallest correction that brings one of the points onto a guide, per axis.
    QSizeF snapPointsToGuide(const QList<QPointF>& points) const;

    // Information written beside the drawing: size and units.
    QVariantMap drawingInfo() const;
    // Applies size and units from `info`; missing or damaged entries are left as they are.
    void setDrawingInfo(const QVariantMap& info);
    static QVariantMap defaultDrawingInfo();

    // String metadata by key; an empty string removes the entry.
    QString stringForKey(const QString& key) const { return m_metadata.value(key); }
    void setStringForKey(const QString& value, const QString& key);

    // Delegate and owner (both weak).
    void setDelegate(PWDrawingDelegate* delegate);
    PWDrawingDelegate* delegate() const;
    // The delegate's display unit, or the drawing's own units without a delegate.
    pf::Ref<RVUnitLength> delegateConvertedDisplayUnits() const;
    double delegateConvertedDisplayMultiplier() const;
    pf::Ref<pf::Object> owner() const { return m_owner.lock(); }
    void setOwner(const pf::Ref<pf::Object>& owner) { m_owner = owner; }

    // Undo: the drawing makes its own; a document replaces it with its own. Never null.
    RVUndoManager* undoManager() const override;
    void setUndoManager(const pf::Ref<RVUndoManager>& manager);

    // Where the image shapes of the drawing keep their image data; archived with the drawing.
    PWImageDataManager* imageManager() const { return m_imageManager.get(); }

    bool dynamicQualityModulationEnabled() const { return m_qualityModulation; }
    void setDynamicQualityModulationEnabled(bool enabled);

    // Styles used by the objects of the drawing, each once; and swapping them.
    QList<pf::Ref<PWStyle>> allStyles() const;
    void replaceStyles(const QList<pf::Ref<PWStyle>>& styles, const QList<pf::Ref<PWStyle>>& replacements);

    // A new drawing of the rectangle's size holding copies of the objects that intersect it,
    // moved so the rectangle's origin becomes the new drawing's origin.
    pf::Ref<PWDrawing> drawingByExtractingFromRect(const QRectF& rect, int options = 0) const;

    // Output (see PWRenderingOutput, which does the work).
    QByteArray pdf();
    QByteArray pdfDataWithMediaBox(const QRectF& mediaBox);
    QByteArray imageDataWithFormat(int format, const QVariantMap& options, const QByteArray& pdfData,
                                   pf::ImageColorModel colourSpace, const QRectF& sourceRect,
                                   const QSize& destSize, const pf::Color& background,
                                   pf::Error* error = nullptr);
    QByteArray thumbnailData();
    // A drawing the image's size holding it as an image shape on a layer of that name (the
    // default name when empty); null for data that is not a bitmap image.
    static pf::Ref<PWDrawing> drawingWithImageData(const QByteArray& data, const QString& nameForContentLayer);
    // The image data the archive shares: that of the image shapes the drawing holds.
    pf::Ref<PWImageDataManager> imageManagerForArchive() const;

    // View controllers.
    void addController(PWDrawingViewTarget* controller);
    void removeController(PWDrawingViewTarget* controller);
    QList<PWDrawingViewTarget*> controllers() const;
    QVariantList controllerViews() const;
    void setNeedsDisplay(bool needsDisplay) override;
    void drawingNeedsDisplayInRect(const QRectF& rect) const;
    void updateRulerMarkersForRect(const QRectF& rect) const;
    void hideRulerMarkers() const;
    void invalidateCursors() const;

    // The drawing is the root: never deleted, renamed by its document, never active.
    bool layerMayBeDeleted() const override { return false; }
    bool respondsTo(const QString& selector) const override;
    pf::Ref<PWLayer> duplicateLayer() const override { return nullptr; }
    // Paper, then the layers.
    void drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting) override;
    // The paper colour over the page within `rect` (all of it for a null one), where the
    // context shows it.
    void drawPaperInContext(pf::GraphicsContext& context, const QRectF& rect) const;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

    // Called by groups before a layer leaves the drawing: clears the active layer (with undo)
    // when it is that layer or lies inside it.
    void layerWillBeRemoved(const PWLayer& layer);

private:
    struct Margins {
        double left = 0, top = 0, right = 0, bottom = 0;
    };
    struct Controller {
        PWDrawingViewTarget* target = nullptr;
        std::weak_ptr<void> alive;
        bool tracked = false;
        bool isAlive() const { return !tracked || !alive.expired(); }
    };
    void changeActiveLayer(const pf::Ref<PWLayer>& layer);
    void setGridTypeValue(int type);
    void replaceGridLayer(const pf::Class& cls);
    bool containsLayer(const PWLayer& layer) const;

    QSizeF m_size;
    Margins m_margins;
    pf::Color m_paperColour;
    bool m_paperColourIsPrinted = false;
    pf::Ref<RVUnitLength> m_units;
    int m_gridType = 0;
    pf::Weak<PWLayer> m_activeLayer;
    bool m_snapsToGrid = false;
    bool m_snapsToGuides = false;
    QHash<QString, QString> m_metadata;
    PWDrawingDelegate* m_delegate = nullptr;
    std::weak_ptr<void> m_delegateAlive;
    bool m_delegateTracked = false;
    pf::Weak<pf::Object> m_owner;
    pf::Ref<RVUndoManager> m_undoManager;
    pf::Ref<PWImageDataManager> m_imageManager;
    bool m_qualityModulation = false;
    std::vector<Controller> m_controllers;
};
