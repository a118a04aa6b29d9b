#pragma once

#include "frameworks/penwork/drawables/PWDrawableContainer.h"
#include "frameworks/penwork/layers/PWLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/IndexSet.h"

#include <QHash>
#include <QList>
#include <QSet>

class PWObjectStorage;
class PWStyle;

// A layer that holds drawable objects, in stacking order (index 0 at the bottom), in a storage
// of the class-wide storageClass. The layer is its objects' container: they record their undo
// with its drawing's undo manager and tell it when they need redrawing or their geometry
// changes, which keeps the storage's spatial index current.
//
// Adding, removing and reordering objects records undo and posts kPWLayerDidAddObject,
// kPWLayerDidRemoveObject or kPWLayerDidReorderObjects (one per single move, with "old_index"
// and "new_index"). The selection is a set of the layer's objects; every change of it is
// announced once (key "selection", kPWLayerSelectionDidChange), however many objects it
// touches. A creation tool's object waits in the pending slot, drawn but not yet in the layer.
class PWObjectOwnerLayer : public PWLayer, public PWDrawableContainer {
    PF_CLASS(PWObjectOwnerLayer)
public:
    using ObjectList = QList<pf::Ref<PWDrawableObject>>;

    PWObjectOwnerLayer();
    ~PWObjectOwnerLayer() override;

    // The storage class new layers use (a PWObjectStorage subclass); PWBSPDirectObjectStorage
    // by default. Classes that are not storages are refused.
    static const pf::Class& storageClass();
    static void setStorageClass(const pf::Class& cls);
    const PWObjectStorage& storage() const { return *m_storage; }

    // Objects ----------------------------------------------------------------------------------

    qint64 countOfObjects() const override;
    const std::vector<pf::Ref<PWDrawableObject>>& objects() const;
    ObjectList objectList() const;
    // Raises NSRangeException outside 0..count-1.
    pf::Ref<PWDrawableObject> objectInObjectsAtIndex(qint64 index) const;
    qint64 indexOfObject(const PWDrawableObject* object) const override;
    pf::IndexSet indexesOfObjectsInArray(const ObjectList& objects) const;

    // Raise NSInvalidArgumentException for null objects, objects already in a container and
    // objects given twice; NSRangeException for indexes beyond the end.
    void addObject(const pf::Ref<PWDrawableObject>& object);
    void addObjectsFromArray(const ObjectList& objects);
    void insertObject(const pf::Ref<PWDrawableObject>& object, qint64 index);
    // `objects` go to `indexes` of the result (as many indexes as objects).
    void insertObjects(const ObjectList& objects, const pf::IndexSet& indexes);
    // Objects not in the layer are ignored. Removed objects leave the selection.
    void removeObject(const pf::Ref<PWDrawableObject>& object);
    void removeObjectsInArray(const ObjectList& objects);
    void removeObjectsAtIndexes(const pf::IndexSet& indexes);
    // Moves one object to a stacking index (0..count-1).
    void moveObject(const pf::Ref<PWDrawableObject>& object, qint64 index);
    // Moves the objects, keeping their order, so they sit together just below what was at
    // `index` (count puts them on top). Objects not in the layer are ignored.
    void moveObjectsInArray(const ObjectList& objects, qint64 index);

    // Visible objects whose bounds meet `rect`, bottom first.
    ObjectList objectsInRect(const QRectF& rect) const;
    // The topmost visible object that `point` hits, or null.
    pf::Ref<PWDrawableObject> hitObject(const QPointF& point) const;

    // Pending creation ---------------------------------------------------------------------------

    void addObjectPendingCreation(const pf::Ref<PWDrawableObject>& object);
    void removePendingObject();
    pf::Ref<PWDrawableObject> pendingObject() const { return m_pending; }
    // Adds the pending object with undo and names the action (unless `name` is empty); does
    // nothing without a pending object.
    void commitPendingObjectWithUndoActionName(const QString& name);

    // Selection ----------------------------------------------------------------------------------

    // The selected objects, bottom first.
    ObjectList selection() const;
    QVariantList selectionList() const;
    // Those selected objects that are visible and unlocked.
    ObjectList selectedAvailableObjects() const;
    qint64 countOfSelection() const { return m_selection.size(); }
    qint64 countOfSelectedAvailableObjects() const;
    // The only selected object, or null.
    pf::Ref<PWDrawableObject> singleSelection() const;
    bool isSelectedObject(const PWDrawableObject* object) const override;
    ObjectList selectedObjectsRespondingToSelector(const QString& selector) const;

    void replaceSelectionWithObject(const pf::Ref<PWDrawableObject>& object);
    // Objects not in the layer are left out.
    void exchangeSelectionWithObjectsFromArray(const ObjectList& objects);
    void addObjectToSelection(const pf::Ref<PWDrawableObject>& object);
    void addObjectsToSelection(const ObjectList& objects);
    void removeObjectFromSelection(const pf::Ref<PWDrawableObject>& object);
    void removeObjectsFromSelection(const ObjectList& objects);
    // Selects every visible, unlocked object.
    void selectAll();
    void deselectAll();
    // Selection undo: remember the selection now, and register its restoration (when the
    // selection has changed since) under `name` (unless empty).
    void recordSelectionForUndo();
    void commitSelectionUndoWithActionName(const QString& name);

    // Snapping -----------------------------------------------------------------------------------

    bool allowsSnapToObjects() const { return m_allowsSnapToObjects; }
    void setAllowsSnapToObjects(bool allows);
    // Snapped to the grid and the guides of the drawing and, when allowed, to the corners and
    // centres of the other objects near it; `controlFlag` reverses grid snapping and suspends
    // the others.
    QPointF snappedMousePoint(const QPointF& point, const PWDrawableObject* object, bool controlFlag) const;
    static constexpr double kObjectSnapTolerance = 6.0;

    // Styles used by the objects, swapped through the map (used by the drawing).
    void replaceStyles(const QHash<const PWStyle*, pf::Ref<PWStyle>>& replacements);

    // PWLayer --------------------------------------------------------------------------------------

    PWDrawing* drawing() const override { return PWLayer::drawing(); }
    RVUndoManager* undoManager() const override { return PWLayer::undoManager(); }
    QColor selectionColour() const override { return PWLayer::selectionColour(); }
    void drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting) override;
    bool hitLayer(const QPointF& point) const override { return bool(hitObject(point)); }

    // The sequence numbering the placed instances of a symbol master on this layer: the answer
    // of the class table's "sequenceForSymbolMaster:" when the layer's class offers it (an
    // extension adds it), else null.
    virtual pf::Ref<pf::Object> sequenceForSymbolMaster(const pf::Ref<pf::Object>& master);
    bool shouldAutoActivateWithEvent(const QPointF& point, Qt::KeyboardModifiers modifiers) const override;

    // PWDrawableContainer --------------------------------------------------------------------------

    PWLayer* layer() const override { return const_cast<PWObjectOwnerLayer*>(this); }
    QTransform renderingTransform() const override { return QTransform(); }
    PWImageDataManager* imageManager() const override;
    QVariant metadataObjectForKey(const QString& key) const override;
    void objectNeedsDisplayInRect(PWDrawableObject* object, const QRectF& rect) override;
    void objectDidChangeGeometry(PWDrawableObject* object, const QRectF& oldBounds) override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    // Draws the selection highlight of the selected objects meeting `rect`.
    void drawSelection(const QRectF& rect) const;

private:
    void checkNewObjects(const ObjectList& objects) const;
    // Replaces the selection with `objects` (all in the layer), announcing a real change once.
    void setSelection(QSet<const PWDrawableObject*> objects);
    void restoreSelection(const ObjectList& objects);
    void applyMoves(const std::vector<std::pair<qint64, qint64>>& moves);
    void moveWithoutUndo(qint64 from, qint64 to);
    void redisplayObjects(const ObjectList& objects);

    pf::Ref<PWObjectStorage> m_storage;
    pf::Ref<PWDrawableObject> m_pending;
    QSet<const PWDrawableObject*> m_selection;
    ObjectList m_recordedSelection;
    bool m_hasRecordedSelection = false;
    bool m_allowsSnapToObjects = false;
};
