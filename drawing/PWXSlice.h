#pragma once

#include "frameworks/penwork/tools/PWDimensionGuide.h"

#include "platform/foundation/Coding.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/ImageWriter.h"
#include "platform/ui/Pasteboard.h"

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVariantMap>

#include <memory>

class PWDrawing;
class PWDrawingView;
class VNQLSlicesLayer;
class QWidget;

namespace pf {
class GraphicsContext;
class Menu;
}

// Posted by a slice around a change of its bounds (object: the slice's layer, information
// {"slice": the slice}).
inline const QString kVNQLSlicesLayerSliceBoundsWillChange = QStringLiteral("kVNQLSlicesLayerSliceBoundsWillChange");
inline const QString kVNQLSlicesLayerSliceBoundsDidChange = QStringLiteral("kVNQLSlicesLayerSliceBoundsDidChange");
// The information key naming the slice of a slice or slices-layer notification.
inline const QString kVNQLSliceKey = QStringLiteral("slice");

// One slice: a titled, coloured rectangle of the drawing, kept by the slices layer, that
// marks a region to export. It draws itself on the layer (outline, title tab, size labels and
// resize handle), answers hit tests and snapping points for the layer's mouse handling,
// renders its rectangle of the drawing as PDF or bitmap data, can be extracted into a new
// drawing, travels on the pasteboard and in archives, and measures itself for the dimension
// guides.
class PWXSlice : public pf::Object,
                 public pf::Coding,
                 public pf::PasteboardWriting,
                 public pf::PasteboardReading,
                 public PWDimensionGuideDataSource {
    PF_CLASS(PWXSlice)
public:
    // Hit-test parts.
    static constexpr int kNoPart = 0;
    static constexpr int kBodyPart = 1;
    static constexpr int kResizePart = 2;

    // How far outside its bounds a slice draws (title tab, labels).
    static constexpr double kExtentOutset = 16.0;
    // The side of the resize handle at the (maxX, maxY) corner.
    static constexpr double kResizeHandleSize = 4.0;

    // The private pasteboard type: a keyed archive whose root is the slice under "slice".
    static QString privatePasteboardType();

    PWXSlice();
    ~PWXSlice() override;

    // Class values.
    static QString displayName() { return QStringLiteral("Slice"); }
    static double lineWidth() { return 1.0; }
    static QFont titleFont();
    static QFont dimensionsFont();
    // The icon shown beside slices in lists, loaded once and shared.
    static QImage icon();

    // Geometry --------------------------------------------------------------------------------

    QRectF bounds() const { return m_bounds; }
    // Redisplays the old and new extents and posts the bounds notifications around the change;
    // an equal rectangle does nothing, a non-finite one is refused.
    void setBounds(const QRectF& bounds);
    double xLocation() const { return m_bounds.x(); }
    double yLocation() const { return m_bounds.y(); }
    double width() const { return m_bounds.width(); }
    double height() const { return m_bounds.height(); }
    void setXLocation(double x);
    void setYLocation(double y);
    void setWidth(double width);
    void setHeight(double height);
    // The bounds outset by kExtentOutset: the area the slice draws in.
    QRectF extent() const;
    // The resize handle: the kResizeHandleSize square whose far corner is (maxX, maxY).
    QRectF resizeRect() const;

    // Appearance ------------------------------------------------------------------------------

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);
    bool showsDimensions() const { return m_showsDimensions; }
    void setShowsDimensions(bool shows);
    bool showsTitle() const { return m_showsTitle; }
    void setShowsTitle(bool shows);
    QColor colour() const { return m_colour; }
    // An invalid colour is refused.
    void setColour(const QColor& colour);
    QString title() const { return m_title; }
    void setTitle(const QString& title);
    // A free identifier for the caller's use; not archived.
    QString identifier() const { return m_identifier; }
    void setIdentifier(const QString& identifier) { m_identifier = identifier; }
    // Slices are never locked.
    bool locked() const { return false; }
    void setLocked(bool) {}

    // The layer --------------------------------------------------------------------------------

    // The owning layer, held weakly; null while the slice belongs to none.
    VNQLSlicesLayer* slicesLayer() const;
    // Set by the layer as it takes the slice in or lets it go. The slice keeps its colour.
    void setSlicesLayer(VNQLSlicesLayer* layer);
    PWDrawing* drawing() const;
    PWDrawingView* currentView() const;
    // The position in the layer, or -1 outside one.
    qint64 index() const;
    // The title and the position counted from 1 ("Slice 3").
    QString name() const;
    // Width and height as "%.0f x %.0f px".
    QString size() const;

    void setNeedsDisplay() const;
    // Removes the slice from its layer (one undo step).
    void removeFromLayer();

    // Hit testing and snapping ----------------------------------------------------------------

    // kNoPart for a hidden slice. In the bounds outset by one point: kResizePart inside the
    // resize handle, else kBodyPart; elsewhere kBodyPart on the title tab as last drawn.
    int hitTest(const QPointF& point) const;
    // Corners, edge middles of the bounds moved by `offset`: (minX, minY), (maxX, minY),
    // (midX, minY), (midX, maxY), (minX, maxY), (maxX, maxY), (maxX, midY), (minX, midY).
    QList<QPointF> snappingPointsWithOffset(const QSizeF& offset) const;
    // Where the title tab was last drawn.
    QRectF titleRect() const { return m_titleRect; }

    // Drawing ------------------------------------------------------------------------------------

    void drawInContext(pf::GraphicsContext& context, bool selected);

    // The title tab for the current name: its rectangle (above the top edge, no wider than the
    // slice plus one point) and the text shown in it (truncated at the head to fit).
    struct TitleTab {
        QRectF rect;
        QString text;
    };
    TitleTab titleTab() const;
    // Where the width and height labels go; null when the label is longer than the side it
    // measures. The height label's rectangle is before its rotation about its centre point.
    QRectF widthLabelRect() const;
    QRectF heightLabelRect() const;

    // Output -------------------------------------------------------------------------------------

    // The drawing's PDF for the bounds; empty without a drawing.
    QByteArray pdfData() const;
    // A bitmap file of the bounds at width x scale x dpi / 72 by height x scale x dpi / 72
    // pixels (a scale of 0 or less counts as 1), over the paper colour when asked. Empty, with
    // the error, without a drawing or for a size that cannot be made.
    QByteArray imageData(int format, const QVariantMap& options, double dpi, double scale,
                         pf::ImageColorModel colourSpace, bool drawPaperBackground, pf::Error* error = nullptr) const;
    // The pixel size imageData makes, or an empty size when it cannot be made.
    QSize imagePixelSize(double dpi, double scale) const;
    // A new drawing holding the content of the bounds; null without a drawing.
    pf::Ref<PWDrawing> extractDrawing() const;

    // Actions and menu ---------------------------------------------------------------------------

    // Clears the general pasteboard and writes this slice.
    void copy(const QVariant& sender);
    using pf::Object::copy; // the object copy stays reachable beside the action
    void deleteAction(const QVariant& sender);
    // Zooms the current view onto the slice's extent.
    void zoomToSlice(const QVariant& sender);
    // "Copy Slice", "Delete Slice", "Zoom To Slice", all aimed at this slice.
    pf::Ref<pf::Menu> menuForEvent(const QPointF& point, QWidget* view);

    // Dimension guides ---------------------------------------------------------------------------

    // Vertical: (minX, maxY) then (minX, minY); horizontal: (minX, minY) then (maxX, minY).
    QPair<QPointF, QPointF> dimensionPointsForMode(int mode, bool isVertical, const QVariant& context) const override;
    // The layer's label for the length; points without a layer.
    QString dimensionStringForLength(double length) const override;
    const pf::Class* dimensionGuideClass() const override { return &staticClass(); }

    // Pasteboard ----------------------------------------------------------------------------------

    // PDF (when the slice has a drawing), then the private type.
    QStringList writableTypesForPasteboard(const pf::Pasteboard& pasteboard) const override;
    QVariant pasteboardPropertyListForType(const QString& type) const override;
    // Only the private type is read.
    bool initWithPasteboardPropertyList(const QVariant& propertyList, const QString& type) override;
    // Whether the pasteboard holds a slice.
    static bool canInitWithPasteboard(const pf::Pasteboard& pasteboard);
    // Fresh slices decoded from every item of the pasteboard that holds the private type.
    static QList<pf::Ref<PWXSlice>> slicesFromPasteboard(const pf::Pasteboard& pasteboard);
    // The private form, and a slice decoded from it (null, with the error, for damaged data).
    QByteArray archivedData(pf::Error* error = nullptr) const;
    static pf::Ref<PWXSlice> sliceFromArchivedData(const QByteArray& data, pf::Error* error = nullptr);

    // Archiving -------------------------------------------------------------------------------------

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;
    QString description() const override;

private:
    void drawDimensionsInContext(pf::GraphicsContext& context);
    void drawTitleInContext(pf::GraphicsContext& context, bool selected);
    void setNeedsDisplayInRect(const QRectF& rect) const;
    void postBoundsNotification(const QString& name);
    // This slice as a Ref, or null when no Ref holds it.
    pf::Ref<PWXSlice> selfRef() const;
    // Copies the decoded state of `other` (from an archive) into this fresh slice.
    void takeStateOf(const PWXSlice& other);

    QRectF m_bounds;
    bool m_visible = true;
    bool m_showsDimensions = true;
    bool m_showsTitle = true;
    QColor m_colour = Qt::black;
    QString m_title;
    QString m_identifier;
    VNQLSlicesLayer* m_layer = nullptr;
    std::weak_ptr<void> m_layerAlive;
    QRectF m_titleRect;
};
