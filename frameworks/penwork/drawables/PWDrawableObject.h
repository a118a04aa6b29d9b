#pragma once

#include "frameworks/penwork/drawables/PWDrawableContainer.h"
#include "frameworks/penwork/styles/PWRenderable.h"
#include "frameworks/penwork/styles/PWStyleClient.h"
#include "frameworks/penwork/support/RVObservableObject.h"
#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/BezierPath.h"

#include <QHash>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QStringList>
#include <QTransform>
#include <QVariantMap>

#include <functional>
#include <memory>

class PWDrawableNameProvider;
class PWDrawingView;
class PWKnob;
class PWShapeGroup;
class PWStyle;

class QPainter;
class RVUndoManager;

namespace pf {
class Error;
class Menu;
class MenuItem;
class Pasteboard;
}

// The base of everything a drawing holds: an object with a location, a size and an angle, a
// style that renders it, a name, metadata and the state flags the user toggles (visible,
// locked, ...). Subclasses supply the geometry (a unit path, a path in drawing coordinates,
// a group of members, ...) by overriding the geometry hooks below.
//
// Every property is reachable by key path and observable. A setter that changes something
// records its own undo with the container's undo manager (the inverse setter with the old
// value), so a caller only names the action; setting an equal value does nothing; a locked
// object refuses edits (only "locked", "visible", "ghosted" and the pending-creation flag stay
// settable). Coordinates that are not finite and negative sizes are never stored.
//
// Geometry edits announce a visual change before and after the edit: observers of the pseudo
// key "visual_change" hear of it, and the container redraws the old and the new bounds and is
// told of the geometry change (objectDidChangeGeometry) so that it can keep its index current.
class PWDrawableObject : public RVObservableObject, public PWRenderable, public PWStyleClient, public pf::Coding {
    PF_CLASS(PWDrawableObject)
public:
    // Part codes answered by hitPart: nothing, or the object as a whole. Positive codes are the
    // subclasses' handles.
    static constexpr int kNoPart = 0;
    static constexpr int kEntireObjectPart = -1;

    // The pseudo key announced (with no values) on every visual change.
    static const QString kVisualChangeKey;

    PWDrawableObject();
    // A copy takes the state, not the container: see copy().
    PWDrawableObject(const PWDrawableObject& other);
    PWDrawableObject& operator=(const PWDrawableObject&) = delete;
    ~PWDrawableObject() override;

    // Class settings ---------------------------------------------------------------------------

    // The provider asked for the name of every new drawable; null stops automatic naming.
    static void setNameProvider(std::shared_ptr<PWDrawableNameProvider> provider);
    static std::shared_ptr<PWDrawableNameProvider> nameProvider();
    // Counted: naming stays off until every disable has had its enable.
    static void disableNameProvider();
    static void enableNameProvider();
    static bool isNameProviderEnabled();

    // Kept in the user defaults under this key (shown while dragging when absent).
    static inline const QString kDisplaysSizeInfoWhenDraggingDefaultsKey = QStringLiteral("PWDrawableObjectDisplaysSizeInfoWhenDragging");
    static bool displaysSizeInfoWhenDragging();
    static void setDisplaysSizeInfoWhenDragging(bool displays);
    static bool metadataChangesAreUndoable();
    static void setMetadataChangesAreUndoable(bool undoable);

    // The key paths an inspector may observe on instances of `cls`: the class operation
    // "observableKeyPaths" of the class table, so that subclasses (and extensions that replace
    // it) append to their superclass's list. The base list lives in RVObservableObject's table,
    // where an extension may extend or replace it for drawables.
    static QStringList observableKeyPathsForClass(const pf::Class& cls);
    // The base list of every drawable.
    static QStringList observableKeyPaths();
    // The class a double-clicked object of `cls` converts into (class operation
    // "classForAutomaticDoubleClickConversion"), or null for no conversion.
    static pf::Class* classForAutomaticDoubleClickConversion(const pf::Class& cls);
    // The pasteboard types instances of `cls` accept dropped on them for `operation` (class
    // operation "pasteboardTypesForOperation:", given the operation as an integer): a style
    // for copy and move drops here, nothing for other operations.
    static QStringList pasteboardTypesForOperation(const pf::Class& cls, Qt::DropAction operation);
    // The name of the kind of object (class operation "displayName"), "Object" here.
    static QString displayNameForClass(const pf::Class& cls);
    // The class operation "icon" when the class table has one; else a small swatch of a new
    // instance of `cls` with the default look; null for classes that cannot be made.
    static QImage classIcon(const pf::Class& cls);

    // Geometry ---------------------------------------------------------------------------------

    // The centre of the object (the point it rotates about), in drawing coordinates.
    QPointF location() const override;
    virtual void setLocation(const QPointF& location);
    // Never negative.
    QSizeF size() const override;
    virtual void setSize(const QSizeF& size);
    // Radians, clockwise on screen (the drawing is y-down).
    double angle() const override;
    virtual void setAngle(double angle);
    // Where the location lies within the object's unit square ((0, 0) the centre, each
    // coordinate within -0.5 .. 0.5): the point the object is placed by and rotates about.
    virtual QPointF offset() const;
    virtual void setOffset(const QPointF& offset);

    double angleInDegrees() const;
    void setAngleInDegrees(double degrees);
    double xLocation() const { return location().x(); }
    void setXLocation(double x);
    double yLocation() const { return location().y(); }
    void setYLocation(double y);
    double width() const { return size().width(); }
    // With the aspect ratio locked the height follows in proportion (and the width with it).
    void setWidth(double width);
    double height() const { return size().height(); }
    void setHeight(double height);
    bool aspectRatioLocked() const { return m_aspectRatioLocked; }
    void setAspectRatioLocked(bool locked);

    // Relative edits through the setters (so they record undo and announce themselves).
    virtual void moveBy(double dx, double dy);
    void moveToPoint(const QPointF& point) { setLocation(point); }
    // Scales the size by two factors; a factor that is not finite or not above zero is refused.
    virtual void resizeWidthBy(double xFactor, double yFactor);
    virtual void rotateByAngle(double radians);

    // The transform from the unit square (-0.5 .. 0.5) to drawing coordinates: offset,
    // size, angle and location, in that order.
    virtual QTransform transform() const;
    // The transform the container renders this object with (identity without a container).
    QTransform containerTransform() const override;

    // State ------------------------------------------------------------------------------------

    bool visible() const { return m_visible; }
    void setVisible(bool visible);
    bool locked() const { return m_locked; }
    void setLocked(bool locked);
    // The object may be resized and rotated but not moved.
    bool locationLocked() const { return m_locationLocked; }
    void setLocationLocked(bool locked);
    // Drawn as a faint outline only.
    bool ghosted() const { return m_ghosted; }
    void setGhosted(bool ghosted);
    // The pending object of a creation tool, not yet part of the drawing.
    bool isPendingCreation() const { return m_pendingCreation; }
    void setPendingCreation(bool pending);
    // Set while a drag of this object runs, so renderers may draw faster.
    bool useLowQualityDrawing() const override { return m_lowQualityDrawing; }
    void setUseLowQualityDrawing(bool lowQuality) { m_lowQualityDrawing = lowQuality; }

    // The user-assigned name, or the name provider's for a new object (asked on first use).
    QString name() const;
    void setName(const QString& name);

    QVariantMap userInfo() const { return m_userInfo; }
    void setUserInfo(const QVariantMap& userInfo);

    // Metadata: records undo only when metadataChangesAreUndoable().
    QVariantMap metadata() const { return m_metadata; }
    void setMetadata(const QVariantMap& metadata);
    // Adds (or replaces) the entries of `metadata`.
    void addMetadata(const QVariantMap& metadata);
    void removeAllMetadata() { setMetadata({}); }
    // The object's own value, else the container's; invalid when neither has one.
    QVariant metadataObjectForKey(const QString& key) const;
    // An invalid value removes the entry.
    void setMetadataObject(const QVariant& value, const QString& key);
    QString metadataStringForKey(const QString& key) const;
    void setMetadataString(const QString& value, const QString& key);
    // 0 for a missing or non-numeric value.
    qint64 metadataIntegerForKey(const QString& key) const;
    void setMetadataInteger(qint64 value, const QString& key);

    // Style ------------------------------------------------------------------------------------

    // The style that renders the object; null draws nothing.
    virtual pf::Ref<PWStyle> style() const;
    // Stores the style (after validation through the "style" validator when set by key path)
    // and becomes one of its clients.
    virtual void setStyle(pf::Ref<PWStyle> style);
    // Key-value validation of "style": may replace the value or refuse it with an error.
    // The base accepts null and styles.
    virtual bool validateStyle(QVariant* value, pf::Error* error);
    // Makes the style private to this object (a copy) when it is shared.
    void detachStyle();
    // Every style the object uses (its own, or its members').
    virtual QList<pf::Ref<PWStyle>> allStyles() const;
    // Swaps each style found in `replacements` for its replacement, wherever allStyles finds it.
    virtual void replaceStyles(const QHash<const PWStyle*, pf::Ref<PWStyle>>& replacements);
    // Called by the style around a change of one of its key paths: the object redisplays and
    // forgets its bounds.
    void styleWillChange(PWStyle& style, const QString& keyPath) override;
    void styleDidChange(PWStyle& style, const QString& keyPath) override;
    unsigned clientIndex() const override { return m_clientIndex; }
    void setClientIndex(unsigned index) override { m_clientIndex = index; }

    // Container --------------------------------------------------------------------------------

    // Weak: the container is forgotten when it is destroyed.
    PWDrawableContainer* container() const;
    virtual void setContainer(PWDrawableContainer* container);
    PWLayer* layer() const;
    PWDrawing* drawing() const;
    // The container's, or null: edits are then made without undo.
    RVUndoManager* undoManager() const;
    bool isSelected() const;

    // Bounds and rendering ---------------------------------------------------------------------

    // The area the object draws into: its logical bounds united with what its style needs
    // (strokes, shadows, ...). Cached until the geometry or the style changes.
    virtual QRectF bounds() const;
    // The bounds of the geometry alone.
    virtual QRectF logicalBounds() const;
    // The bounds without any text labels the object carries; objects without labels answer
    // their bounds.
    virtual QRectF boundsIgnoringLabels() const { return bounds(); }
    void clearBoundsCache() const;
    // The path renderers draw, in the container's rendering coordinates.
    pf::Ref<pf::BezierPath> renderingPath() const override;
    // Changes whenever the geometry does.
    quint64 geometryChecksum() const override;

    // Draws into pf::GraphicsContext::current(); nothing without a current context.
    virtual void drawContent();
    virtual void drawContentWithStyle(PWStyle* style);
    // The selection highlight: outline and handles in the container's selection colour.
    virtual void drawSelectedState();
    // Renders the object (drawContent) into a new PDF document the size of its bounds.
    virtual QByteArray pdf();

    // Hit testing and mouse --------------------------------------------------------------------

    // 0 for nothing, -1 for the object, positive for a handle. Handles are hit only while the
    // object is selected and unlocked.
    virtual int hitPart(const QPointF& point) const;
    // Whether `point` falls on what the object renders (with a few units of tolerance, more for
    // thin objects).
    virtual bool hitTest(const QPointF& point) const;
    // Handles: their part codes and where they are; none in the base.
    virtual QList<int> knobParts() const { return {}; }
    virtual QPointF knobPoint(int part) const { return location(); }

    // Dragging a part: the whole object (-1) moves (unless its location is locked); subclasses
    // handle their handles. `controlFlag` reverses snapping.
    virtual void mouseDownAtPoint(const QPointF& point, int part, bool controlFlag);
    virtual void mouseDraggedAtPoint(const QPointF& point, int part, bool controlFlag);
    virtual void mouseUpAtPoint(const QPointF& point, int part, bool controlFlag);
    QPointF snappedMousePoint(const QPointF& point, bool controlFlag) const;

    // Announcements ----------------------------------------------------------------------------

    // The geometry changed from `oldBounds`: clears the bounds cache and tells the container.
    void notifyGeometryChange(const QRectF& oldBounds);
    // Redisplays the object's bounds and announces "visual_change".
    void notifyVisualChange();

    // Hooks ------------------------------------------------------------------------------------

    // Sent to each member of a group being dissolved: `transform` maps the member's geometry to
    // where the group shows it.
    virtual void group(PWShapeGroup* group, const QTransform& transform);
    virtual bool canPerformBooleanOperation(bool forOperation) const { return true; }
    // Adds the object's own items to a contextual menu for a click at `point`; answers whether
    // it added any. The base offers the double-click conversion, when the class has one
    // (action "convertForDoubleClick:", targeted at the object).
    virtual bool populateContextualMenu(pf::Menu& menu, const QPointF& point);
    // Zooms `view` (null: the drawing's first drawing view) to the object's bounds; false
    // without a view.
    bool zoomViewToObject(PWDrawingView* view = nullptr);
    // A drop onto the object of one of the types its class accepts (pasteboardTypesForOperation):
    // a style (validated first) or a colour for the fill. One undo step; answers whether the
    // object took the drop.
    virtual bool performDragOperation(const pf::Pasteboard& pasteboard, const QPointF& point);
    // Asked before a double-click conversion into `cls`; the base agrees. The conversion asks
    // through the class table ("shouldConvertToClass:", given the class name), where an
    // extension may answer instead.
    virtual bool shouldConvertToClass(const pf::Class& cls);
    // Validation of the menu items targeted at the object (class table "validateMenuItem:"):
    // the conversion item only while the object can be converted; others are enabled.
    virtual bool validateMenuItem(pf::MenuItem& item);
    // Renames the object for the user ("assignUserName:withFlag:"); with `undoable` the rename
    // is an undo step of its own, named "Rename". Names of nothing but white space are refused.
    virtual bool assignUserName(const QString& name, bool undoable);
    // Converts the object into classForAutomaticDoubleClickConversion (when it has one and
    // shouldConvertToClass agrees): the new object takes this one's place in its layer, with
    // its style, name and metadata, and is selected, as one undo step. Answers the new object,
    // or null when nothing was converted.
    pf::Ref<PWDrawableObject> convertForDoubleClick();
    // A shape with no area or a path with no length is not worth keeping.
    virtual bool objectIsValid() const;
    // The localised name of the object's kind.
    virtual QString displayName() const;
    // A 24 x 24 swatch.
    virtual QImage icon() const;
    // The object drawn with its style to fit `size`; the zero size means the object's bounds.
    virtual QImage swatchImageWithSize(const QSizeF& size) const;
    // Texts a search may match: the name and the metadata's strings.
    virtual QStringList searchableStrings() const;
    QString searchableString() const { return searchableStrings().join(QLatin1Char(' ')); }
    virtual void addSearchablePropertiesToDictionary(QVariantMap& dictionary) const;
    QString description() const override;

    // A deep copy with no container; it shares the style when the style is sharable and takes
    // a copy of it otherwise.
    pf::Ref<pf::Object> copy() const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    // Selection marks ----------------------------------------------------------------------------

    // The container's selection colour, else a default blue.
    QColor selectionMarkColour() const;
    // The container's knobs, else the default ones.
    PWKnob* knobsToDraw() const;
    // Sets `painter` up for selection lines (a hairline in `colour`, grey while locked) and
    // strokes the object's outline with it.
    void strokeSelectionOutline(QPainter& painter, const QColor& colour) const;

    // Edit helpers for setters -----------------------------------------------------------------

    // False (and nothing changes) while the object is locked.
    bool canEdit() const { return !m_locked; }
    // Registers `setter` (a selector such as "setLocation:") with `oldValue` as the undo of an
    // edit, when the object has an undo manager.
    void registerUndo(const QString& setter, const QVariant& oldValue);
    // Runs `change` as one geometry edit: a visual change before it, then the bounds cache is
    // cleared and the container told of the geometry change from the old bounds, and a visual
    // change after. `key` is announced to observers around the change.
    void performGeometryChange(const QString& key, const std::function<void()>& change);

    // The bounds cache a subclass fills when it computes bounds its own way.
    bool hasCachedBounds() const { return m_boundsCacheValid; }
    QRectF cachedBounds() const { return m_cachedBounds; }
    void setCachedBounds(const QRectF& bounds) const;

    // The geometry store of the base (shapes use it as it is).
    QPointF m_location;
    QSizeF m_size;
    double m_angle = 0.0;
    QPointF m_offset;

private:
    void attachStyle(const pf::Ref<PWStyle>& style);
    void detachFromStyle();
    QTransform knobTransform() const;

    bool m_visible = true;
    bool m_locked = false;
    bool m_locationLocked = false;
    bool m_ghosted = false;
    bool m_aspectRatioLocked = false;
    bool m_pendingCreation = false;
    bool m_lowQualityDrawing = false;
    mutable bool m_needsProviderName = false;
    mutable QString m_name;
    QVariantMap m_userInfo;
    QVariantMap m_metadata;
    pf::Ref<PWStyle> m_style;
    unsigned m_clientIndex = 0;

    PWDrawableContainer* m_container = nullptr;
    std::weak_ptr<void> m_containerAlive;

    mutable bool m_boundsCacheValid = false;
    mutable QRectF m_cachedBounds;

    // Dragging state.
    QPointF m_dragAnchor;
    QPointF m_dragStartLocation;
    bool m_dragging = false;
};
