#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/layers/PWBSPDirectObjectStorage.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWLinearObjectStorage.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/GraphicsContext.h"

#include <QMutex>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

const QString kObjectsKey = QStringLiteral("pw_objects_objects");
const QString kSnapToObjectsKey = QStringLiteral("pw_objects_allowsSnapToObjects");
const QString kStorageClassDefault = QStringLiteral("kPWObjectOwnerLayerStorageClass");
const QString kObjects = QStringLiteral("objects");
const QString kSelection = QStringLiteral("selection");

QMutex& storageClassMutex()
{
    static QMutex mutex;
    return mutex;
}

const pf::Class* storageClassFromDefaults()
{
    const QString name = pf::UserDefaults::standard().stringForKey(kStorageClassDefault);
    const pf::Class* cls = name.isEmpty() ? nullptr : pf::Class::named(name);
    if (cls && cls->isSubclassOf(PWObjectStorage::staticClass()) && cls->canCreate())
        return cls;
    return &PWBSPDirectObjectStorage::staticClass();
}

const pf::Class*& currentStorageClass()
{
    static const pf::Class* cls = storageClassFromDefaults();
    return cls;
}

pf::Ref<PWObjectStorage> makeStorage()
{
    auto storage = std::dynamic_pointer_cast<PWObjectStorage>(PWObjectOwnerLayer::storageClass().create());
    return storage ? storage : std::make_shared<PWBSPDirectObjectStorage>();
}

// What a selected object shows: its bounds and its handles, which can stand outside them (the
// rotation knob sits above the top edge); the knobs' own size is added by the views.
QRectF selectionExtent(const PWDrawableObject& object)
{
    QRectF area = object.bounds();
    const QTransform toView = object.containerTransform();
    for (int part : object.knobParts()) {
        const QPointF at = toView.map(object.knobPoint(part));
        if (!std::isfinite(at.x()) || !std::isfinite(at.y()))
            continue;
        if (area.isNull())
            area = QRectF(at, at);
        area.setLeft(std::min(area.left(), at.x()));
        area.setRight(std::max(area.right(), at.x()));
        area.setTop(std::min(area.top(), at.y()));
        area.setBottom(std::max(area.bottom(), at.y()));
    }
    return area;
}

QRectF unitedBounds(const PWObjectOwnerLayer::ObjectList& objects)
{
    QRectF area;
    for (const auto& object : objects)
        area = area.united(object->bounds());
    return area;
}

} // namespace

PF_DEFINE_CLASS(PWObjectOwnerLayer, PWLayer)
{
    b.protocol(pf::kCodingProtocol);
    b.property("objects", std::function<QVariant(const PWObjectOwnerLayer&)>([](const PWObjectOwnerLayer& layer) {
                   QVariantList list;
                   for (const auto& object : layer.objects())
                       list.append(pf::toVariant(object));
                   return QVariant(list);
               }),
               {});
    b.property("selection", &PWObjectOwnerLayer::selectionList);
    b.property("selectedAvailableObjects", std::function<QVariant(const PWObjectOwnerLayer&)>(
                                               [](const PWObjectOwnerLayer& layer) {
                                                   QVariantList list;
                                                   for (const auto& object : layer.selectedAvailableObjects())
                                                       list.append(pf::toVariant(object));
                                                   return QVariant(list);
                                               }),
               {});
    b.property("countOfSelection", &PWObjectOwnerLayer::countOfSelection);
    b.property("countOfSelectedAvailableObjects", &PWObjectOwnerLayer::countOfSelectedAvailableObjects);
    b.property("singleSelection", &PWObjectOwnerLayer::singleSelection);
    b.property("allowsSnapToObjects", &PWObjectOwnerLayer::allowsSnapToObjects, &PWObjectOwnerLayer::setAllowsSnapToObjects);
    b.keyPathsAffecting("countOfSelection", {"selection"});
    b.keyPathsAffecting("countOfSelectedAvailableObjects", {"selection"});
    b.keyPathsAffecting("singleSelection", {"selection"});
    b.keyPathsAffecting("selectedAvailableObjects", {"selection"});
    b.keyPathsAffecting("countOfObjects", {"objects"});
    b.method("addObject:", &PWObjectOwnerLayer::addObject);
    b.method("removeObject:", &PWObjectOwnerLayer::removeObject);
    b.method("objectInObjectsAtIndex:", &PWObjectOwnerLayer::objectInObjectsAtIndex);
    b.method("replaceSelectionWithObject:", &PWObjectOwnerLayer::replaceSelectionWithObject);
    b.method("deselectAll", &PWObjectOwnerLayer::deselectAll);
    b.method("selectAll", &PWObjectOwnerLayer::selectAll);
    b.method("recordSelectionForUndo", &PWObjectOwnerLayer::recordSelectionForUndo);
    b.method("commitSelectionUndoWithActionName:", &PWObjectOwnerLayer::commitSelectionUndoWithActionName);
    b.method("removePendingObject", &PWObjectOwnerLayer::removePendingObject);
    b.method("addObjectPendingCreation:", &PWObjectOwnerLayer::addObjectPendingCreation);
    b.method("commitPendingObjectWithUndoActionName:", &PWObjectOwnerLayer::commitPendingObjectWithUndoActionName);
    b.classMethod("storageClass", [](const pf::Class&, const QVariantList&) {
        return QVariant(PWObjectOwnerLayer::storageClass().name());
    });
    b.classMethod("setStorageClass:", [](const pf::Class&, const QVariantList& arguments) {
        if (const pf::Class* cls = pf::Class::named(arguments.value(0).toString()))
            PWObjectOwnerLayer::setStorageClass(*cls);
        return QVariant();
    });
}

PWObjectOwnerLayer::PWObjectOwnerLayer() : m_storage(makeStorage()) {}

PWObjectOwnerLayer::~PWObjectOwnerLayer() = default;

const pf::Class& PWObjectOwnerLayer::storageClass()
{
    QMutexLocker lock(&storageClassMutex());
    return *currentStorageClass();
}

void PWObjectOwnerLayer::setStorageClass(const pf::Class& cls)
{
    if (!cls.isSubclassOf(PWObjectStorage::staticClass()) || !cls.canCreate())
        pf::raise(pf::NSInvalidArgumentException, QStringLiteral("%1 is not an object storage class").arg(cls.name()));
    {
        QMutexLocker lock(&storageClassMutex());
        currentStorageClass() = &cls;
    }
    pf::UserDefaults::standard().setObject(cls.name(), kStorageClassDefault);
}

// Objects -----------------------------------------------------------------------------------------

qint64 PWObjectOwnerLayer::countOfObjects() const
{
    return m_storage->count();
}

const std::vector<pf::Ref<PWDrawableObject>>& PWObjectOwnerLayer::objects() const
{
    return m_storage->objects();
}

PWObjectOwnerLayer::ObjectList PWObjectOwnerLayer::objectList() const
{
    return ObjectList(objects().begin(), objects().end());
}

pf::Ref<PWDrawableObject> PWObjectOwnerLayer::objectInObjectsAtIndex(qint64 index) const
{
    if (index < 0 || index >= countOfObjects())
        pf::raise(pf::NSRangeException,
                  QStringLiteral("object index %1 beyond bounds (count %2)").arg(index).arg(countOfObjects()));
    return m_storage->objectAtIndex(index);
}

qint64 PWObjectOwnerLayer::indexOfObject(const PWDrawableObject* object) const
{
    return m_storage->indexOfObject(object);
}

pf::IndexSet PWObjectOwnerLayer::indexesOfObjectsInArray(const ObjectList& objects) const
{
    pf::IndexSet indexes;
    for (const auto& object : objects) {
        const qint64 index = indexOfObject(object.get());
        if (index != pf::kNotFound)
            indexes.add(index);
    }
    return indexes;
}

void PWObjectOwnerLayer::checkNewObjects(const ObjectList& objects) const
{
    QSet<const PWDrawableObject*> seen;
    for (const auto& object : objects) {
        if (!object)
            pf::raise(pf::NSInvalidArgumentException, QStringLiteral("cannot add a nil object to a layer"));
        if (object->container() || seen.contains(object.get()))
            pf::raise(pf::NSInvalidArgumentException,
                      QStringLiteral("%1 already belongs to a layer or group").arg(object->description()));
        seen.insert(object.get());
    }
}

void PWObjectOwnerLayer::addObject(const pf::Ref<PWDrawableObject>& object)
{
    insertObject(object, countOfObjects());
}

void PWObjectOwnerLayer::addObjectsFromArray(const ObjectList& objects)
{
    insertObjects(objects, pf::IndexSet::range(countOfObjects(), objects.size()));
}

void PWObjectOwnerLayer::insertObject(const pf::Ref<PWDrawableObject>& object, qint64 index)
{
    insertObjects({object}, pf::IndexSet(index));
}

void PWObjectOwnerLayer::insertObjects(const ObjectList& objects, const pf::IndexSet& indexes)
{
    if (objects.isEmpty() && indexes.isEmpty())
        return;
    if (indexes.count() != objects.size())
        pf::raise(pf::NSInvalidArgumentException,
                  QStringLiteral("%1 objects for %2 indexes").arg(objects.size()).arg(indexes.count()));
    if (indexes.lastIndex() >= countOfObjects() + objects.size())
        pf::raise(pf::NSRangeException,
                  QStringLiteral("object index %1 beyond bounds (count %2)").arg(indexes.lastIndex()).arg(countOfObjects()));
    checkNewObjects(objects);
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, [this, objects] { removeObjectsInArray(objects); });
    willChange(pf::ChangeKind::Insertion, indexes, kObjects);
    for (const auto& object : objects)
        object->setContainer(this);
    m_storage->insertObjects(objects, indexes);
    didChange(pf::ChangeKind::Insertion, indexes, kObjects);
    pf::NotificationCenter::defaultCenter().post(kPWLayerDidAddObject, this);
    redisplayObjects(objects);
}

void PWObjectOwnerLayer::removeObject(const pf::Ref<PWDrawableObject>& object)
{
    removeObjectsInArray({object});
}

void PWObjectOwnerLayer::removeObjectsInArray(const ObjectList& objects)
{
    removeObjectsAtIndexes(indexesOfObjectsInArray(objects));
}

void PWObjectOwnerLayer::removeObjectsAtIndexes(const pf::IndexSet& indexes)
{
    if (indexes.isEmpty())
        return;
    if (indexes.lastIndex() >= countOfObjects())
        pf::raise(pf::NSRangeException,
                  QStringLiteral("object index %1 beyond bounds (count %2)").arg(indexes.lastIndex()).arg(countOfObjects()));
    ObjectList removed;
    removed.reserve(indexes.count());
    indexes.forEach([&](qint64 index) { removed.append(m_storage->objectAtIndex(index)); });

    QSet<const PWDrawableObject*> remaining = m_selection;
    for (const auto& object : removed)
        remaining.remove(object.get());
    setSelection(remaining);

    redisplayObjects(removed);
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, [this, removed, indexes] { insertObjects(removed, indexes); });
    willChange(pf::ChangeKind::Removal, indexes, kObjects);
    m_storage->removeObjectsAtIndexes(indexes);
    for (const auto& object : removed)
        object->setContainer(nullptr);
    didChange(pf::ChangeKind::Removal, indexes, kObjects);
    pf::NotificationCenter::defaultCenter().post(kPWLayerDidRemoveObject, this);
}

void PWObjectOwnerLayer::moveWithoutUndo(qint64 from, qint64 to)
{
    willChangeValueForKey(kObjects);
    m_storage->moveObject(from, to);
    didChangeValueForKey(kObjects);
    pf::NotificationCenter::defaultCenter().post(kPWLayerDidReorderObjects, this,
                                                 {{QStringLiteral("old_index"), from}, {QStringLiteral("new_index"), to}});
    setNeedsDisplayInRect(m_storage->objectAtIndex(to)->bounds());
}

void PWObjectOwnerLayer::applyMoves(const std::vector<std::pair<qint64, qint64>>& moves)
{
    if (moves.empty())
        return;
    for (const auto& [from, to] : moves)
        moveWithoutUndo(from, to);
    // Each single move is undone by the opposite move, newest first.
    std::vector<std::pair<qint64, qint64>> inverse;
    for (auto it = moves.rbegin(); it != moves.rend(); ++it)
        inverse.emplace_back(it->second, it->first);
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, [this, inverse] { applyMoves(inverse); });
}

void PWObjectOwnerLayer::moveObject(const pf::Ref<PWDrawableObject>& object, qint64 index)
{
    const qint64 from = indexOfObject(object.get());
    if (from == pf::kNotFound)
        return;
    if (index < 0 || index >= countOfObjects())
        pf::raise(pf::NSRangeException,
                  QStringLiteral("object index %1 beyond bounds (count %2)").arg(index).arg(countOfObjects()));
    if (from != index)
        applyMoves({{from, index}});
}

void PWObjectOwnerLayer::moveObjectsInArray(const ObjectList& objects, qint64 index)
{
    // The objects in stacking order, once each.
    std::vector<std::pair<qint64, const PWDrawableObject*>> block;
    QSet<const PWDrawableObject*> moving;
    for (const auto& object : objects) {
        const qint64 at = indexOfObject(object.get());
        if (at != pf::kNotFound && !moving.contains(object.get())) {
            moving.insert(object.get());
            block.emplace_back(at, object.get());
        }
    }
    if (block.empty())
        return;
    std::sort(block.begin(), block.end());
    index = std::clamp<qint64>(index, 0, countOfObjects());
    // Where the block goes among the objects that stay: after the first `staying` of them.
    qint64 movedBelow = 0;
    for (const auto& entry : block)
        if (entry.first < index)
            ++movedBelow;
    const qint64 staying = index - movedBelow;
    const PWDrawableObject* anchor = nullptr;
    qint64 seen = 0;
    for (const auto& object : this->objects()) {
        if (seen == staying)
            break;
        if (!moving.contains(object.get())) {
            anchor = object.get();
            ++seen;
        }
    }
    // Each object in turn goes just above the one placed before it (the first just above the
    // anchor): a sequence of single moves, each announced, that leaves the block together.
    std::vector<std::pair<qint64, qint64>> moves;
    const PWDrawableObject* previous = anchor;
    for (const auto& entry : block) {
        const qint64 from = indexOfObject(entry.second);
        qint64 to = previous ? indexOfObject(previous) + 1 : 0;
        if (from < to)
            --to;
        if (from != to) {
            moveWithoutUndo(from, to);
            moves.emplace_back(from, to);
        }
        previous = entry.second;
    }
    if (moves.empty())
        return;
    std::vector<std::pair<qint64, qint64>> inverse;
    for (auto it = moves.rbegin(); it != moves.rend(); ++it)
        inverse.emplace_back(it->second, it->first);
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, [this, inverse] { applyMoves(inverse); });
}

PWObjectOwnerLayer::ObjectList PWObjectOwnerLayer::objectsInRect(const QRectF& rect) const
{
    ObjectList found = m_storage->objectsIntersectingRect(rect);
    found.removeIf([](const pf::Ref<PWDrawableObject>& object) { return !object->visible(); });
    return found;
}

pf::Ref<PWDrawableObject> PWObjectOwnerLayer::hitObject(const QPointF& point) const
{
    for (const auto& object : m_storage->objectsAtPoint(point))
        if (object->visible() && object->hitTest(point))
            return object;
    return nullptr;
}

void PWObjectOwnerLayer::redisplayObjects(const ObjectList& objects)
{
    if (!objects.isEmpty())
        setNeedsDisplayInRect(unitedBounds(objects));
}

// Pending creation --------------------------------------------------------------------------------

void PWObjectOwnerLayer::addObjectPendingCreation(const pf::Ref<PWDrawableObject>& object)
{
    if (!object)
        pf::raise(pf::NSInvalidArgumentException, QStringLiteral("cannot hold a nil pending object"));
    if (object == m_pending)
        return;
    removePendingObject();
    if (object->container())
        pf::raise(pf::NSInvalidArgumentException,
                  QStringLiteral("%1 already belongs to a layer or group").arg(object->description()));
    m_pending = object;
    object->setPendingCreation(true);
    object->setContainer(this);
    setNeedsDisplayInRect(object->bounds());
}

void PWObjectOwnerLayer::removePendingObject()
{
    if (!m_pending)
        return;
    pf::Ref<PWDrawableObject> pending = std::move(m_pending);
    m_pending.reset();
    setNeedsDisplayInRect(pending->bounds());
    pending->setContainer(nullptr);
    pending->setPendingCreation(false);
}

void PWObjectOwnerLayer::commitPendingObjectWithUndoActionName(const QString& name)
{
    if (!m_pending)
        return;
    pf::Ref<PWDrawableObject> object = m_pending;
    removePendingObject();
    addObject(object);
    if (RVUndoManager* manager = undoManager(); manager && !name.isEmpty())
        manager->setActionName(name);
}

// Selection --------------------------------------------------------------------------------------

PWObjectOwnerLayer::ObjectList PWObjectOwnerLayer::selection() const
{
    std::vector<std::pair<qint64, const PWDrawableObject*>> ordered;
    ordered.reserve(size_t(m_selection.size()));
    for (const PWDrawableObject* object : m_selection)
        if (const qint64 index = indexOfObject(object); index != pf::kNotFound)
            ordered.emplace_back(index, object);
    std::sort(ordered.begin(), ordered.end());
    ObjectList out;
    out.reserve(qsizetype(ordered.size()));
    for (const auto& entry : ordered)
        out.append(m_storage->objectAtIndex(entry.first));
    return out;
}

QVariantList PWObjectOwnerLayer::selectionList() const
{
    QVariantList list;
    for (const auto& object : selection())
        list.append(pf::toVariant(object));
    return list;
}

PWObjectOwnerLayer::ObjectList PWObjectOwnerLayer::selectedAvailableObjects() const
{
    ObjectList out = selection();
    out.removeIf([](const pf::Ref<PWDrawableObject>& object) { return !object->visible() || object->locked(); });
    return out;
}

qint64 PWObjectOwnerLayer::countOfSelectedAvailableObjects() const
{
    qint64 count = 0;
    for (const PWDrawableObject* object : m_selection)
        if (object->visible() && !object->locked())
            ++count;
    return count;
}

pf::Ref<PWDrawableObject> PWObjectOwnerLayer::singleSelection() const
{
    if (m_selection.size() != 1)
        return nullptr;
    const qint64 index = indexOfObject(*m_selection.begin());
    return index == pf::kNotFound ? nullptr : m_storage->objectAtIndex(index);
}

bool PWObjectOwnerLayer::isSelectedObject(const PWDrawableObject* object) const
{
    return m_selection.contains(object);
}

PWObjectOwnerLayer::ObjectList PWObjectOwnerLayer::selectedObjectsRespondingToSelector(const QString& selector) const
{
    ObjectList out = selection();
    out.removeIf([&selector](const pf::Ref<PWDrawableObject>& object) { return !object->respondsTo(selector); });
    return out;
}

void PWObjectOwnerLayer::setSelection(QSet<const PWDrawableObject*> objects)
{
    if (objects == m_selection)
        return;
    QRectF changed;
    for (const PWDrawableObject* object : m_selection)
        if (!objects.contains(object))
            changed = changed.united(selectionExtent(*object));
    for (const PWDrawableObject* object : objects)
        if (!m_selection.contains(object))
            changed = changed.united(selectionExtent(*object));
    willChangeValueForKey(kSelection);
    m_selection = std::move(objects);
    didChangeValueForKey(kSelection);
    // Handles reach a little beyond the bounds.
    if (!changed.isNull())
        setNeedsDisplayInRect(changed.adjusted(-8, -8, 8, 8));
    pf::NotificationCenter::defaultCenter().post(kPWLayerSelectionDidChange, this);
}

void PWObjectOwnerLayer::replaceSelectionWithObject(const pf::Ref<PWDrawableObject>& object)
{
    exchangeSelectionWithObjectsFromArray(object ? ObjectList{object} : ObjectList{});
}

void PWObjectOwnerLayer::exchangeSelectionWithObjectsFromArray(const ObjectList& objects)
{
    QSet<const PWDrawableObject*> selection;
    for (const auto& object : objects)
        if (object && indexOfObject(object.get()) != pf::kNotFound)
            selection.insert(object.get());
    setSelection(std::move(selection));
}

void PWObjectOwnerLayer::addObjectToSelection(const pf::Ref<PWDrawableObject>& object)
{
    addObjectsToSelection({object});
}

void PWObjectOwnerLayer::addObjectsToSelection(const ObjectList& objects)
{
    QSet<const PWDrawableObject*> selection = m_selection;
    for (const auto& object : objects)
        if (object && indexOfObject(object.get()) != pf::kNotFound)
            selection.insert(object.get());
    setSelection(std::move(selection));
}

void PWObjectOwnerLayer::removeObjectFromSelection(const pf::Ref<PWDrawableObject>& object)
{
    removeObjectsFromSelection({object});
}

void PWObjectOwnerLayer::removeObjectsFromSelection(const ObjectList& objects)
{
    QSet<const PWDrawableObject*> selection = m_selection;
    for (const auto& object : objects)
        selection.remove(object.get());
    setSelection(std::move(selection));
}

void PWObjectOwnerLayer::selectAll()
{
    QSet<const PWDrawableObject*> selection;
    selection.reserve(qsizetype(objects().size()));
    for (const auto& object : objects())
        if (object->visible() && !object->locked())
            selection.insert(object.get());
    setSelection(std::move(selection));
}

void PWObjectOwnerLayer::deselectAll()
{
    setSelection({});
}

void PWObjectOwnerLayer::recordSelectionForUndo()
{
    m_recordedSelection = selection();
    m_hasRecordedSelection = true;
}

void PWObjectOwnerLayer::restoreSelection(const ObjectList& objects)
{
    if (RVUndoManager* manager = undoManager()) {
        const ObjectList current = selection();
        manager->registerUndo(this, [this, current] { restoreSelection(current); });
    }
    exchangeSelectionWithObjectsFromArray(objects);
}

void PWObjectOwnerLayer::commitSelectionUndoWithActionName(const QString& name)
{
    RVUndoManager* manager = undoManager();
    if (m_hasRecordedSelection) {
        QSet<const PWDrawableObject*> recorded;
        for (const auto& object : m_recordedSelection)
            recorded.insert(object.get());
        if (manager && recorded != m_selection) {
            const ObjectList previous = m_recordedSelection;
            manager->registerUndo(this, [this, previous] { restoreSelection(previous); });
        }
        m_recordedSelection.clear();
        m_hasRecordedSelection = false;
    }
    if (manager && !name.isEmpty())
        manager->setActionName(name);
}

// Snapping ------------------------------------------------------------------------------------------

void PWObjectOwnerLayer::setAllowsSnapToObjects(bool allows)
{
    if (allows == m_allowsSnapToObjects)
        return;
    setObservedValue(m_allowsSnapToObjects, allows, QStringLiteral("allowsSnapToObjects"));
    pf::NotificationCenter::defaultCenter().post(kPWLayerDidChangeSnapToObjects, this);
}

QPointF PWObjectOwnerLayer::snappedMousePoint(const QPointF& point, const PWDrawableObject* object, bool controlFlag) const
{
    PWDrawing* drawing = this->drawing();
    if (!controlFlag && m_allowsSnapToObjects) {
        const double tolerance = kObjectSnapTolerance;
        const QRectF near(point.x() - tolerance, point.y() - tolerance, 2 * tolerance, 2 * tolerance);
        std::optional<QPointF> best;
        double bestDistance = tolerance;
        for (const auto& other : m_storage->objectsIntersectingRect(near)) {
            if (other.get() == object || !other->visible())
                continue;
            const QRectF r = other->logicalBounds();
            for (const QPointF& candidate : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight(), r.center(),
                                             other->location()}) {
                const double distance = std::hypot(candidate.x() - point.x(), candidate.y() - point.y());
                if (distance <= bestDistance) {
                    bestDistance = distance;
                    best = candidate;
                }
            }
        }
        if (best)
            return *best;
    }
    if (!drawing)
        return point;
    const QPointF onGrid = drawing->snapToGrid(point, controlFlag);
    return controlFlag ? onGrid : drawing->snapToGuides(onGrid);
}

void PWObjectOwnerLayer::replaceStyles(const QHash<const PWStyle*, pf::Ref<PWStyle>>& replacements)
{
    for (const auto& object : objects())
        object->replaceStyles(replacements);
}

// Drawing and container -------------------------------------------------------------------------

void PWObjectOwnerLayer::drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting)
{
    // Objects draw into the current context: make sure it is this one.
    std::optional<pf::GraphicsContextScope> scope;
    if (pf::GraphicsContext::current() != &context)
        scope.emplace(context.painter(), context.isFlipped(), context.isDrawingToScreen());
    const ObjectList visibleObjects = rect.isNull() ? objectList() : m_storage->objectsIntersectingRect(rect);
    for (const auto& object : visibleObjects)
        if (object->visible())
            object->drawContent();
    if (m_pending && (rect.isNull() || PWObjectStorage::meets(m_pending->bounds(), rect)))
        m_pending->drawContent();
}

void PWObjectOwnerLayer::drawSelection(const QRectF& rect) const
{
    if (!pf::GraphicsContext::current())
        return;
    for (const auto& object : selection())
        if (object->visible() && (rect.isNull() || PWObjectStorage::meets(selectionExtent(*object).adjusted(-8, -8, 8, 8), rect)))
            object->drawSelectedState();
}

bool PWObjectOwnerLayer::shouldAutoActivateWithEvent(const QPointF& point, Qt::KeyboardModifiers modifiers) const
{
    return layerMayBecomeActive() && hitLayer(point);
}

PWImageDataManager* PWObjectOwnerLayer::imageManager() const
{
    PWDrawing* drawing = this->drawing();
    return drawing ? drawing->imageManager() : nullptr;
}

QVariant PWObjectOwnerLayer::metadataObjectForKey(const QString& key) const
{
    PWDrawing* drawing = this->drawing();
    const QString value = drawing ? drawing->stringForKey(key) : QString();
    return value.isEmpty() ? QVariant() : QVariant(value);
}

void PWObjectOwnerLayer::objectNeedsDisplayInRect(PWDrawableObject* object, const QRectF& rect)
{
    // A style change alters the bounds without a geometry change: keep the index in step.
    if (object && object != m_pending.get())
        m_storage->objectDidChangeBounds(object);
    setNeedsDisplayInRect(rect);
}

void PWObjectOwnerLayer::objectDidChangeGeometry(PWDrawableObject* object, const QRectF& oldBounds)
{
    if (!object)
        return;
    if (object != m_pending.get())
        m_storage->objectDidChangeBounds(object);
    setNeedsDisplayInRect(oldBounds);
    setNeedsDisplayInRect(object->bounds());
}

// Archiving -----------------------------------------------------------------------------------------

void PWObjectOwnerLayer::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWLayer::encodeWithCoder(coder);
    QVariantList list;
    list.reserve(qsizetype(objects().size()));
    for (const auto& object : objects())
        list.append(pf::toVariant(object));
    coder.encodePropertyListValue(list, kObjectsKey);
    coder.encodeBool(m_allowsSnapToObjects, kSnapToObjectsKey);
}

void PWObjectOwnerLayer::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWLayer::initWithCoder(coder);
    m_storage = makeStorage();
    ObjectList decoded;
    const QVariantList stored = coder.decodePropertyListValue(kObjectsKey).toList();
    decoded.reserve(stored.size());
    for (const QVariant& value : stored) {
        auto object = pf::objectCast<PWDrawableObject>(value);
        // A damaged archive may list an object twice or in two layers: keep the first (taken
        // objects have this layer as their container at once, so a repeat is seen as taken).
        if (!object || object->container())
            continue;
        object->setContainer(this);
        decoded.append(object);
    }
    m_storage->insertObjects(decoded, pf::IndexSet::range(0, decoded.size()));
    m_allowsSnapToObjects = coder.decodeBool(kSnapToObjectsKey);
}

pf::Ref<pf::Object> PWObjectOwnerLayer::sequenceForSymbolMaster(const pf::Ref<pf::Object>& master)
{
    if (!master || !respondsTo(QStringLiteral("sequenceForSymbolMaster:")))
        return nullptr;
    return pf::objectCast<pf::Object>(perform(QStringLiteral("sequenceForSymbolMaster:"), {pf::toVariant(master)}));
}
