#pragma once

#include "drawing/PWXSymbolMasterClient.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"

#include <QPointF>
#include <QRectF>

class PWXSymbolMaster;
class PWXSymbolSequence;

namespace pf {
class UserInterfaceItem;
}

inline const QString kPWXSymbolMasterWasReplacedNotification = QStringLiteral("kPWXSymbolMasterWasReplacedNotification");
// The error domain and code of a value an instance refuses.
inline const QString kCartavelErrorDomain = QStringLiteral("Cartavel Error");
inline constexpr int kPWXSymbolInvalidValueError = 55;
inline const QString kSymbolsDefaultScaleVisually = QStringLiteral("kSymbolsDefaultScaleVisually");
inline const QString kPWXSequenceNumberKey = QStringLiteral("CVLQ_SEQUENCE_NUMBER");
inline const QString kPWXSequenceCardKey = QStringLiteral("CVLQ_SEQUENCE_CARD");

// A placed instance of a symbol master: a location, an angle and a scale factor through which
// the master's drawable is drawn. An instance may draw with a local style of its own, be
// detached into an ordinary drawable, picked up into the stamp tool, given another master, and
// numbered in a sequence that its layer supplies.
class PWXSymbol : public PWDrawableObject, public PWDrawableContainer, public PWXSymbolMasterClient {
    PF_CLASS(PWXSymbol)
public:
    static constexpr double kMinimumScale = 0.1;
    static constexpr double kMaximumScale = 10.0;
    static constexpr int kSizeHandlePart = 128;
    static constexpr double kBoundsOutset = 6.0;

    PWXSymbol();
    explicit PWXSymbol(const pf::Ref<PWXSymbolMaster>& master);
    PWXSymbol(const PWXSymbol& other);
    ~PWXSymbol() override;

    static bool defaultSizeHandleVisible();
    static void setDefaultSizeHandleVisible(bool visible);

    // Master --------------------------------------------------------------------------------
    pf::Ref<PWXSymbolMaster> master() const { return m_master; }
    void setMaster(const pf::Ref<PWXSymbolMaster>& master);
    void setMaster(const pf::Ref<PWXSymbolMaster>& master, bool creatingSequenceIfNeeded);
    pf::Ref<PWDrawableObject> masterObject() const;
    QString masterName() const;
    QString userDescription() const;
    // A copy of the master's drawable carrying the master's template as metadata.
    pf::Ref<PWDrawableObject> mutableCopyOfMasterObject() const;

    // Geometry ------------------------------------------------------------------------------
    QPointF location() const override { return m_location; }
    void setLocation(const QPointF& location) override;
    double angle() const override { return m_angle; }
    void setAngle(double angle) override;
    double scaleFactor() const { return m_scaleFactor; }
    // Clamped to kMinimumScale .. kMaximumScale; a value that is not finite is refused.
    void setScaleFactor(double factor);
    bool objectAngleIsAbsolute() const { return m_absoluteAngle; }
    void setObjectAngleIsAbsolute(bool absolute);
    // Whether new symbols scale visually: the user default kSymbolsDefaultScaleVisually.
    static bool defaultSymbolsScaleVisually();
    bool scalesVisually() const { return m_scaleVisually; }
    void setScalesVisually(bool visually) { m_scaleVisually = visually; }
    bool showsSizeHandle() const { return m_showSizeHandle; }
    bool ignoresDataTransformers() const { return true; }
    void setIgnoresDataTransformers(bool) {}
    bool labelsHidden() const { return m_labelsHidden; }
    QSizeF size() const override;
    void setSize(const QSizeF&) override {}
    void resizeWidthBy(double xFactor, double yFactor) override;
    QTransform localTransform() const;
    QTransform renderingTransform() const override;
    QTransform transform() const override { return localTransform(); }
    pf::Ref<pf::BezierPath> renderingPath() const override;
    QRectF logicalBounds() const override;
    QRectF bounds() const override;
    QRectF cachedMasterBounds() const { return m_masterBounds; }
    void updateCachedBoundsIfNeeded() const;
    bool objectIsValid() const override;

    // Style ----------------------------------------------------------------------------------
    pf::Ref<PWStyle> style() const override;
    void setStyle(pf::Ref<PWStyle> style) override;
    bool usesLocalStyle() const { return m_useLocalStyle; }
    void setUsesLocalStyle(bool local);
    bool validateStyle(QVariant* value, pf::Error* error) override;
    bool validateScaleFactor(QVariant* value, pf::Error* error) const;
    bool validateAngle(QVariant* value, pf::Error* error) const;
    QList<pf::Ref<PWStyle>> allStyles() const override;

    // Drawing and mouse -----------------------------------------------------------------------
    void drawContent() override;
    void drawSelectedState() override;
    int hitPart(const QPointF& point) const override;
    bool hitTest(const QPointF& point) const override { return hitPart(point) != kNoPart; }
    void mouseDraggedAtPoint(const QPointF& point, int part, bool controlFlag) override;
    void group(PWShapeGroup* group, const QTransform& transform) override;
    bool canPerformBooleanOperation(bool) const override { return false; }

    // Drops: masters (data or key) and colours.
    bool performDragOperation(const pf::Pasteboard& pasteboard, const QPointF& point) override;

    // Commands -------------------------------------------------------------------------------
    bool populateContextualMenu(pf::Menu& menu, const QPointF& point) override;
    bool validateMenuItem(pf::MenuItem& item) override;
    // The drawable that replaced the instance, or null when nothing happened.
    pf::Ref<PWDrawableObject> detachSymbol();
    bool pickUpSymbol(bool keepInstance);
    void scaleSymbolWithTag(int tag);
    void copySymbolMaster() const;
    // Shows the library manager with the master's item selected.
    void revealMasterSymbol() const;
    bool pasteSymbolMaster();
    void selectMatchingStyle();
    void symbolInstanceWasPlaced(PWDrawableContainer*) {}

    // Sequence -----------------------------------------------------------------------------------
    PWXSymbolSequence* sequence() const;
    void setSequence(PWXSymbolSequence* sequence);
    void adjustSequence(PWXSymbolSequence* oldSequence);
    qint64 positionInSequence() const;
    void setPositionInSequence(qint64 position);
    void notePriorPositionInSequence() { m_priorSequenceIndex = positionInSequence(); }
    qint64 priorPositionInSequence() const { return m_priorSequenceIndex; }
    PWXSymbolSequence* makeSequencable();
    void makeUnsequencable();
    // The sequence commands; each changes nothing without a sequence or while locked.
    void moveInSequence(qint64 position, const QString& actionName);
    void moveForwardInSequence(const QString& actionName);
    void moveBackwardInSequence(const QString& actionName);
    void moveToStartOfSequence(const QString& actionName);
    void moveToEndOfSequence(const QString& actionName);
    void setSequenceKind(int kind);
    void toggleAutoRenumbering();
    void insertKeyTable();
    // Asks first ("Renumber" or "Cancel"), then renumbers.
    void renumberSequenceAfterAsking();
    void renumberSequence();
    void setContainer(PWDrawableContainer* container) override;

    // Output properties (class operations for mapping data onto instances).
    static QStringList availableOutputProperties();
    static QVariantMap acceptableTypesForOutputProperties();
    static QVariantMap displayNamesForOutputProperties();

    QStringList searchableStrings() const override { return {}; }
    void addSearchablePropertiesToDictionary(QVariantMap& dictionary) const override;
    QString displayName() const override;
    QString description() const override;
    static QStringList observableKeyPaths();

    pf::Ref<pf::Object> copy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;
    pf::Ref<pf::Object> awakeAfterUsingCoder(pf::KeyedUnarchiver& coder) override;

    // Container (the master's drawable renders inside the instance) --------------------------
    PWDrawing* drawing() const override { return PWDrawableObject::drawing(); }
    PWLayer* layer() const override { return PWDrawableObject::layer(); }
    RVUndoManager* undoManager() const override { return PWDrawableObject::undoManager(); }
    PWImageDataManager* imageManager() const override;
    // The master's drawable reads the instance's metadata (its sequence number, say).
    QVariant metadataObjectForKey(const QString& key) const override { return PWDrawableObject::metadataObjectForKey(key); }
    qint64 indexOfObject(const PWDrawableObject*) const override { return 0; }
    bool isSelectedObject(const PWDrawableObject*) const override { return false; }
    void objectNeedsDisplayInRect(PWDrawableObject*, const QRectF&) override {}
    void objectDidChangeGeometry(PWDrawableObject*, const QRectF&) override {}

    // Master client -----------------------------------------------------------------------------
    void symbolMasterWillChange(PWXSymbolMaster& master) override;
    void symbolMasterDidChange(PWXSymbolMaster& master) override;
    unsigned symbolMasterClientIndex() const override { return m_masterClientIndex; }
    void setSymbolMasterClientIndex(unsigned index) override { m_masterClientIndex = index; }

private:
    void joinMaster();
    void leaveMaster();
    QPointF sizeHandlePoint() const;
    bool refuse(pf::Error* error, const QString& reason) const;
    void loadSequenceNumber();

    // The location and angle are the base's fields.
    pf::Ref<PWXSymbolMaster> m_master;
    double m_scaleFactor = 1.0;
    bool m_absoluteAngle = false;
    bool m_useLocalStyle = false;
    bool m_showSizeHandle = true;
    bool m_scaleVisually = false;
    bool m_labelsHidden = false;
    PWXSymbolSequence* m_sequenceRef = nullptr;
    pf::Ref<pf::Object> m_sequenceObject; // keeps the layer's answer alive while referenced
    qint64 m_sequenceIndex;
    qint64 m_priorSequenceIndex;
    bool m_modernSequencing = false;
    QRectF m_oldBoundsSaved;
    mutable QRectF m_masterBounds;
    unsigned m_masterClientIndex = 0;
    bool m_joined = false;
};
