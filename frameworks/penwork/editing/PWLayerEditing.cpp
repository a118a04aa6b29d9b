#include "frameworks/penwork/editing/PWLayerEditing.h"

#include "frameworks/penwork/drawables/PWConnectableLine.h"
#include "frameworks/penwork/archiving/PWDrawableObjectPasteboard.h"
#include "frameworks/penwork/drawables/PWCentredPath.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/editing/PWObjectConversion.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/ui/Pasteboard.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using ObjectList = PWObjectOwnerLayer::ObjectList;
using SharedList = std::shared_ptr<ObjectList>;

QString tr(const char* text)
{
    return QCoreApplication::translate("PWLayerEditing", text);
}

// Runs `edit` as one undo step named `actionName` (else `defaultName`); the selection becomes
// what `edit` answers and undo brings back the selection there was before.
void perform(PWObjectDrawingLayer& layer, const QString& actionName, const char* defaultName,
             const std::function<ObjectList()>& edit)
{
    layer.performSelectionStep(actionName.isEmpty() ? tr(defaultName) : actionName, edit);
}

pf::Pasteboard& pasteboardOr(pf::Pasteboard* pasteboard)
{
    static pf::Ref<pf::Pasteboard> general;
    if (pasteboard)
        return *pasteboard;
    general = pf::Pasteboard::general();
    return *general;
}

pf::Ref<PWDrawableObject> copyOf(const pf::Ref<PWDrawableObject>& object)
{
    return std::static_pointer_cast<PWDrawableObject>(object->copy());
}

QRectF unitedBounds(const ObjectList& objects)
{
    QRectF rect;
    for (const auto& object : objects)
        rect = rect.united(object->logicalBounds());
    return rect;
}

qint64 topmostIndex(const PWObjectDrawingLayer& layer, const ObjectList& objects)
{
    qint64 index = -1;
    for (const auto& object : objects)
        index = std::max(index, layer.indexOfObject(object.get()));
    return index;
}

bool sameRect(const QRectF& a, const QRectF& b)
{
    const double tolerance = 1e-6;
    return std::abs(a.left() - b.left()) < tolerance && std::abs(a.top() - b.top()) < tolerance &&
           std::abs(a.width() - b.width()) < tolerance && std::abs(a.height() - b.height()) < tolerance;
}

// Whether some object of `objects` would lie exactly on an object of its kind in the layer.
bool landsOnExisting(const PWObjectDrawingLayer& layer, const ObjectList& objects)
{
    for (const auto& object : objects) {
        const QRectF bounds = object->logicalBounds();
        for (const auto& other : layer.objectsInRect(bounds))
            if (&other->objClass() == &object->objClass() && sameRect(other->logicalBounds(), bounds))
                return true;
    }
    return false;
}

// Inserts `objects` (in order) just above the topmost of `originals`, or on top without any.
void insertAbove(PWObjectDrawingLayer& layer, const ObjectList& originals, const ObjectList& objects)
{
    qint64 index = originals.isEmpty() ? layer.countOfObjects() : topmostIndex(layer, originals) + 1;
    if (index <= 0)
        index = layer.countOfObjects();
    for (const auto& object : objects)
        layer.insertObject(object, index++);
}

// Replaces each object of `pairs` by its replacement at the same stacking index.
ObjectList replaceInPlace(PWObjectDrawingLayer& layer,
                          const std::vector<std::pair<pf::Ref<PWDrawableObject>, pf::Ref<PWDrawableObject>>>& pairs)
{
    ObjectList replacements;
    for (const auto& [original, replacement] : pairs) {
        const qint64 index = layer.indexOfObject(original.get());
        layer.removeObject(original);
        layer.insertObject(replacement, index);
        replacements.append(replacement);
    }
    return replacements;
}

// The objects a conversion may act on and their conversions; empty when none converts.
using Converter = std::function<pf::Ref<PWDrawableObject>(const PWDrawableObject&)>;

std::vector<std::pair<pf::Ref<PWDrawableObject>, pf::Ref<PWDrawableObject>>> conversions(
    const PWObjectDrawingLayer& layer, const Converter& convert)
{
    std::vector<std::pair<pf::Ref<PWDrawableObject>, pf::Ref<PWDrawableObject>>> pairs;
    for (const auto& object : layer.selectedAvailableObjects())
        if (auto converted = convert(*object))
            pairs.emplace_back(object, converted);
    return pairs;
}

bool convertSelection(PWObjectDrawingLayer& layer, const QString& actionName, const char* defaultName,
                      const Converter& convert)
{
    const auto pairs = conversions(layer, convert);
    if (pairs.empty())
        return false;
    perform(layer, actionName, defaultName, [&] { return replaceInPlace(layer, pairs); });
    return true;
}

// Flipping ----------------------------------------------------------------------------------------

bool canFlip(const PWDrawableObject& object)
{
    if (object.isKindOf(PWCentredPath::staticClass()))
        return false;
    if (auto group = dynamic_cast<const PWShapeGroup*>(&object)) {
        const auto members = group->members();
        return std::all_of(members.begin(), members.end(), [](const auto& m) { return canFlip(*m); });
    }
    return object.isKindOf(PWDrawablePath::staticClass()) || object.isKindOf(PWDrawableShape::staticClass());
}

QTransform mirror(bool horizontal, const QPointF& about)
{
    QTransform t;
    t.translate(about.x(), about.y());
    t.scale(horizontal ? -1.0 : 1.0, horizontal ? 1.0 : -1.0);
    t.translate(-about.x(), -about.y());
    return t;
}

// Mirrors `object` across the line through `about` (vertical for a horizontal flip). Paths
// mirror their points; shapes and groups mirror their placement (location, angle, offset) and
// their own outline or members within themselves.
void flipObject(PWDrawableObject& object, bool horizontal, const QPointF& about)
{
    if (auto path = dynamic_cast<PWDrawablePath*>(&object)) {
        auto mirrored = path->path();
        mirrored->transform(mirror(horizontal, about));
        path->setPath(mirrored);
        return;
    }
    const QPointF location = object.location();
    const QPointF offset = object.offset();
    if (auto group = dynamic_cast<PWShapeGroup*>(&object)) {
        const QPointF centre = group->referenceRect().center();
        for (const auto& member : group->members())
            flipObject(*member, horizontal, centre);
    } else if (auto shape = dynamic_cast<PWDrawableShape*>(&object)) {
        auto unit = shape->path();
        unit->transform(mirror(horizontal, QPointF()));
        shape->setPath(unit);
    }
    object.setAngle(-object.angle());
    object.setOffset(horizontal ? QPointF(-offset.x(), offset.y()) : QPointF(offset.x(), -offset.y()));
    object.setLocation(mirror(horizontal, about).map(location));
}

bool flip(PWObjectDrawingLayer& layer, bool horizontal, const QString& actionName)
{
    ObjectList objects;
    for (const auto& object : layer.selectedAvailableObjects())
        if (canFlip(*object))
            objects.append(object);
    if (objects.isEmpty())
        return false;
    const QPointF centre = unitedBounds(objects).center();
    perform(layer, actionName, horizontal ? "Flip Horizontally" : "Flip Vertically", [&] {
        for (const auto& object : objects)
            flipObject(*object, horizontal, centre);
        return layer.selection();
    });
    return true;
}

bool canFlipSelection(const PWObjectDrawingLayer& layer)
{
    const auto objects = layer.selectedAvailableObjects();
    return std::any_of(objects.begin(), objects.end(), [](const auto& o) { return canFlip(*o); });
}

// Stacking order ----------------------------------------------------------------------------------

// The moves of one step forward (or backward) of each selected available object: an object
// moves past its unselected neighbour, and a run of selected objects moves as a block, so a
// block already at the end stays where it is.
std::vector<std::pair<pf::Ref<PWDrawableObject>, qint64>> stepMoves(const PWObjectDrawingLayer& layer, bool forward)
{
    const auto& objects = layer.objects();
    const qint64 count = qint64(objects.size());
    QSet<const PWDrawableObject*> moving;
    for (const auto& object : layer.selectedAvailableObjects())
        moving.insert(object.get());
    std::vector<char> selected(count);
    for (qint64 i = 0; i < count; ++i)
        selected[i] = moving.contains(objects[i].get()) || layer.isSelectedObject(objects[i].get());
    std::vector<std::pair<pf::Ref<PWDrawableObject>, qint64>> moves;
    // Simulate on the order so the moves apply one after another.
    std::vector<pf::Ref<PWDrawableObject>> order(objects.begin(), objects.end());
    if (forward) {
        for (qint64 i = count - 2; i >= 0; --i)
            if (moving.contains(order[i].get()) && !selected[i + 1]) {
                std::swap(order[i], order[i + 1]);
                std::swap(selected[i], selected[i + 1]);
                moves.emplace_back(order[i + 1], i + 1);
            }
    } else {
        for (qint64 i = 1; i < count; ++i)
            if (moving.contains(order[i].get()) && !selected[i - 1]) {
                std::swap(order[i], order[i - 1]);
                std::swap(selected[i], selected[i - 1]);
                moves.emplace_back(order[i - 1], i - 1);
            }
    }
    return moves;
}

// The moves to the front (or back): each selected available object in turn, bottom first, to
// the top index (or to 0, 1, 2, ...). Moves that would change nothing are left out.
std::vector<std::pair<pf::Ref<PWDrawableObject>, qint64>> endMoves(const PWObjectDrawingLayer& layer, bool front)
{
    const auto& objects = layer.objects();
    std::vector<pf::Ref<PWDrawableObject>> order(objects.begin(), objects.end());
    const qint64 count = qint64(order.size());
    std::vector<std::pair<pf::Ref<PWDrawableObject>, qint64>> moves;
    qint64 next = 0;
    for (const auto& object : layer.selectedAvailableObjects()) {
        const auto at = std::find(order.begin(), order.end(), object);
        const qint64 from = at - order.begin();
        const qint64 to = front ? count - 1 : next++;
        if (from == to)
            continue;
        order.erase(at);
        order.insert(order.begin() + to, object);
        moves.emplace_back(object, to);
    }
    return moves;
}

bool applyMoves(PWObjectDrawingLayer& layer, const std::vector<std::pair<pf::Ref<PWDrawableObject>, qint64>>& moves,
                const QString& actionName, const char* defaultName)
{
    if (moves.empty())
        return false;
    perform(layer, actionName, defaultName, [&] {
        for (const auto& [object, index] : moves)
            layer.moveObject(object, index);
        return layer.selection();
    });
    return true;
}

// Duplication -------------------------------------------------------------------------------------

bool addCopies(PWObjectDrawingLayer& layer, const ObjectList& originals, const ObjectList& copies,
               const QString& actionName, const char* defaultName)
{
    if (copies.isEmpty())
        return false;
    // Connectors copied with the objects they join join the copies, repetition by repetition
    // (each repetition copies the originals in their order).
    const qsizetype set = originals.size();
    if (set > 0 && copies.size() % set == 0) {
        for (qsizetype at = 0; at < copies.size(); at += set)
            PWConnectableLine::reattachCopies(originals, copies.mid(at, set));
    }
    perform(layer, actionName, defaultName, [&] {
        insertAbove(layer, originals, copies);
        return copies;
    });
    return true;
}

// Joining -----------------------------------------------------------------------------------------

bool isPlainOpenPath(const PWDrawableObject& object)
{
    auto path = dynamic_cast<const PWDrawablePath*>(&object);
    return path && !object.isKindOf(PWCentredPath::staticClass()) && !object.isKindOf(PWTextPath::staticClass()) &&
           !path->isPathClosed() && path->path()->subpathCount() == 1 && path->path()->elementCount() >= 2;
}

ObjectList joinOperands(const PWObjectDrawingLayer& layer)
{
    const auto objects = layer.selectedAvailableObjects();
    if (objects.size() != 2 || !isPlainOpenPath(*objects[0]) || !isPlainOpenPath(*objects[1]))
        return {};
    return objects;
}

} // namespace

// Pasteboard ---------------------------------------------------------------------------------------

bool PWLayerEditing::cut(PWObjectDrawingLayer& layer, const QString& actionName, pf::Pasteboard* pasteboard)
{
    if (!copy(layer, {}, pasteboard))
        return false;
    return deleteSelection(layer, actionName.isEmpty() ? tr("Cut") : actionName);
}

bool PWLayerEditing::canCut(const PWObjectDrawingLayer& layer) { return canDeleteSelection(layer); }

bool PWLayerEditing::copy(PWObjectDrawingLayer& layer, const QString&, pf::Pasteboard* pasteboard)
{
    const ObjectList objects = layer.selectedAvailableObjects();
    if (objects.isEmpty())
        return false;
    return PWDrawableObjectPasteboard::writeObjects(objects, pasteboardOr(pasteboard));
}

bool PWLayerEditing::canCopy(const PWObjectDrawingLayer& layer) { return layer.countOfSelectedAvailableObjects() > 0; }

bool PWLayerEditing::paste(PWObjectDrawingLayer& layer, const QString& actionName, std::optional<QPointF> point,
                           pf::Pasteboard* pasteboard)
{
    if (layer.locked())
        return false;
    const ObjectList objects = PWDrawableObjectPasteboard::nativeObjectsFromPasteboard(pasteboardOr(pasteboard));
    if (objects.isEmpty())
        return false;
    if (point) {
        const QPointF shift = *point - unitedBounds(objects).center();
        for (const auto& object : objects)
            object->moveBy(shift.x(), shift.y());
    } else {
        // Pasting again and again steps each paste on, so none hides another.
        for (int i = 0; i < 1000 && landsOnExisting(layer, objects); ++i)
            for (const auto& object : objects)
                object->moveBy(kPasteOffset, kPasteOffset);
    }
    perform(layer, actionName, "Paste", [&] {
        layer.addObjectsFromArray(objects);
        return objects;
    });
    return true;
}

bool PWLayerEditing::canPaste(const PWObjectDrawingLayer& layer, pf::Pasteboard* pasteboard)
{
    return !layer.locked() && pasteboardOr(pasteboard).types().contains(kPWDrawableObjectPasteboardType);
}

// Selection ----------------------------------------------------------------------------------------

bool PWLayerEditing::duplicate(PWObjectDrawingLayer& layer, const QString& actionName)
{
    const ObjectList originals = layer.selectedAvailableObjects();
    ObjectList copies;
    for (const auto& object : originals) {
        auto copy = copyOf(object);
        copy->moveBy(kPasteOffset, kPasteOffset);
        copies.append(copy);
    }
    return addCopies(layer, originals, copies, actionName, "Duplicate");
}

bool PWLayerEditing::canDuplicate(const PWObjectDrawingLayer& layer) { return canCopy(layer); }

bool PWLayerEditing::deleteSelection(PWObjectDrawingLayer& layer, const QString& actionName)
{
    const ObjectList objects = layer.selectedAvailableObjects();
    if (objects.isEmpty())
        return false;
    perform(layer, actionName, "Delete", [&] {
        layer.removeObjectsInArray(objects);
        return layer.selection();
    });
    return true;
}

bool PWLayerEditing::canDeleteSelection(const PWObjectDrawingLayer& layer)
{
    return !layer.locked() && layer.countOfSelectedAvailableObjects() > 0;
}

bool PWLayerEditing::selectAll(PWObjectDrawingLayer& layer, const QString& actionName)
{
    if (!canSelectAll(layer))
        return false;
    perform(layer, actionName, "Select All", [&] {
        layer.selectAll();
        return layer.selection();
    });
    return true;
}

bool PWLayerEditing::canSelectAll(const PWObjectDrawingLayer& layer)
{
    for (const auto& object : layer.objects())
        if (object->visible() && !object->locked() && !layer.isSelectedObject(object.get()))
            return true;
    return false;
}

// Grouping -----------------------------------------------------------------------------------------

bool PWLayerEditing::group(PWObjectDrawingLayer& layer, const QString& actionName)
{
    if (!canGroup(layer))
        return false;
    const ObjectList objects = layer.selectedAvailableObjects();
    perform(layer, actionName, "Group", [&] {
        qint64 index = topmostIndex(layer, objects) - (objects.size() - 1);
        layer.removeObjectsInArray(objects);
        auto group = PWShapeGroup::groupWithObjects(objects);
        layer.insertObject(group, std::clamp<qint64>(index, 0, layer.countOfObjects()));
        // Undo must free the members before they go back into the layer. Registered last, this
        // runs first, while the group is still in the layer: dissolving the new group changes no
        // geometry, and it registers the regrouping for redo with the layer's undo manager.
        if (RVUndoManager* manager = layer.undoManager())
            manager->registerUndo(&layer, [group] { group->ungroup(); });
        return ObjectList{group};
    });
    return true;
}

bool PWLayerEditing::canGroup(const PWObjectDrawingLayer& layer)
{
    return !layer.locked() && layer.countOfSelectedAvailableObjects() >= 2;
}

bool PWLayerEditing::ungroup(PWObjectDrawingLayer& layer, const QString& actionName)
{
    if (!canUngroup(layer))
        return false;
    std::vector<pf::Ref<PWShapeGroup>> groups;
    for (const auto& object : layer.selectedAvailableObjects())
        if (auto group = std::dynamic_pointer_cast<PWShapeGroup>(object))
            groups.push_back(group);
    perform(layer, actionName, "Ungroup", [&] {
        ObjectList selected = layer.selection();
        for (const auto& group : groups) {
            selected.removeAll(group);
            const qint64 index = layer.indexOfObject(group.get());
            const ObjectList members = group->ungroup();
            layer.removeObject(group);
            layer.insertObjects(members, pf::IndexSet::range(index, members.size()));
            selected.append(members);
        }
        return selected;
    });
    return true;
}

bool PWLayerEditing::canUngroup(const PWObjectDrawingLayer& layer)
{
    if (layer.locked())
        return false;
    for (const auto& object : layer.selectedAvailableObjects())
        if (auto group = dynamic_cast<const PWShapeGroup*>(object.get()); group && group->countOfMembers() > 0)
            return true;
    return false;
}

bool PWLayerEditing::flipHorizontal(PWObjectDrawingLayer& layer, const QString& actionName)
{
    return flip(layer, true, actionName);
}

bool PWLayerEditing::canFlipHorizontal(const PWObjectDrawingLayer& layer) { return canFlipSelection(layer); }

bool PWLayerEditing::flipVertical(PWObjectDrawingLayer& layer, const QString& actionName)
{
    return flip(layer, false, actionName);
}

bool PWLayerEditing::canFlipVertical(const PWObjectDrawingLayer& layer) { return canFlipSelection(layer); }

// Conversion ---------------------------------------------------------------------------------------

bool PWLayerEditing::convertToPath(PWObjectDrawingLayer& layer, const QString& actionName)
{
    return convertSelection(layer, actionName, "Convert To Path", &PWObjectConversion::toPath);
}

bool PWLayerEditing::canConvertToPath(const PWObjectDrawingLayer& layer)
{
    const auto objects = layer.selectedAvailableObjects();
    return std::any_of(objects.begin(), objects.end(), [](const auto& o) { return PWObjectConversion::canConvertToPath(*o); });
}

bool PWLayerEditing::convertToShape(PWObjectDrawingLayer& layer, const QString& actionName)
{
    return convertSelection(layer, actionName, "Convert To Shape", &PWObjectConversion::toShape);
}

bool PWLayerEditing::canConvertToShape(const PWObjectDrawingLayer& layer)
{
    const auto objects = layer.selectedAvailableObjects();
    return std::any_of(objects.begin(), objects.end(), [](const auto& o) { return PWObjectConversion::canConvertToShape(*o); });
}

bool PWLayerEditing::convertToShapeGroup(PWObjectDrawingLayer& layer, const QString& actionName)
{
    return convertSelection(layer, actionName, "Convert To Shape Group", &PWObjectConversion::toShapeGroup);
}

bool PWLayerEditing::canConvertToShapeGroup(const PWObjectDrawingLayer& layer)
{
    const auto objects = layer.selectedAvailableObjects();
    return std::any_of(objects.begin(), objects.end(),
                       [](const auto& o) { return PWObjectConversion::canConvertToShapeGroup(*o); });
}

bool PWLayerEditing::convertToTextShape(PWObjectDrawingLayer& layer, const QString& actionName)
{
    return convertSelection(layer, actionName, "Convert To Text Shape", &PWObjectConversion::toTextShape);
}

bool PWLayerEditing::canConvertToTextShape(const PWObjectDrawingLayer& layer)
{
    const auto objects = layer.selectedAvailableObjects();
    return std::any_of(objects.begin(), objects.end(),
                       [](const auto& o) { return PWObjectConversion::canConvertToTextShape(*o); });
}

bool PWLayerEditing::convertToTextPath(PWObjectDrawingLayer& layer, const QString& actionName)
{
    return convertSelection(layer, actionName, "Convert To Text Path", &PWObjectConversion::toTextPath);
}

bool PWLayerEditing::canConvertToTextPath(const PWObjectDrawingLayer& layer)
{
    const auto objects = layer.selectedAvailableObjects();
    return std::any_of(objects.begin(), objects.end(),
                       [](const auto& o) { return PWObjectConversion::canConvertToTextPath(*o); });
}

bool PWLayerEditing::replaceObject(PWObjectDrawingLayer& layer, const pf::Ref<PWDrawableObject>& original,
                                   const pf::Ref<PWDrawableObject>& replacement, const QString& actionName)
{
    if (!original || !replacement || layer.locked() || layer.indexOfObject(original.get()) < 0 ||
        replacement->container())
        return false;
    perform(layer, actionName, "Convert", [&] { return replaceInPlace(layer, {{original, replacement}}); });
    return true;
}

// Stacking order -----------------------------------------------------------------------------------

bool PWLayerEditing::bringForward(PWObjectDrawingLayer& layer, const QString& actionName)
{
    return applyMoves(layer, stepMoves(layer, true), actionName, "Move Forwards");
}

bool PWLayerEditing::canBringForward(const PWObjectDrawingLayer& layer) { return !stepMoves(layer, true).empty(); }

bool PWLayerEditing::sendBackward(PWObjectDrawingLayer& layer, const QString& actionName)
{
    return applyMoves(layer, stepMoves(layer, false), actionName, "Move Backwards");
}

bool PWLayerEditing::canSendBackward(const PWObjectDrawingLayer& layer) { return !stepMoves(layer, false).empty(); }

bool PWLayerEditing::bringToFront(PWObjectDrawingLayer& layer, const QString& actionName)
{
    return applyMoves(layer, endMoves(layer, true), actionName, "Move To Front");
}

bool PWLayerEditing::canBringToFront(const PWObjectDrawingLayer& layer) { return !endMoves(layer, true).empty(); }

bool PWLayerEditing::sendToBack(PWObjectDrawingLayer& layer, const QString& actionName)
{
    return applyMoves(layer, endMoves(layer, false), actionName, "Move To Back");
}

bool PWLayerEditing::canSendToBack(const PWObjectDrawingLayer& layer) { return !endMoves(layer, false).empty(); }

// Duplication --------------------------------------------------------------------------------------

bool PWLayerEditing::linearDuplicate(PWObjectDrawingLayer& layer, const QSizeF& offset, int copies,
                                     const QString& actionName)
{
    if (!std::isfinite(offset.width()) || !std::isfinite(offset.height()))
        return false;
    const ObjectList originals = layer.selectedAvailableObjects();
    if (originals.isEmpty())
        return false;
    return addCopies(layer, originals, layer.linearDuplicate(originals, offset, copies), actionName,
                     "Linear Duplication");
}

bool PWLayerEditing::polarDuplicate(PWObjectDrawingLayer& layer, const QPointF& centre, int copies,
                                    double incrementDegrees, bool rotateCopies, const QString& actionName)
{
    if (!std::isfinite(centre.x()) || !std::isfinite(centre.y()) || !std::isfinite(incrementDegrees))
        return false;
    const ObjectList originals = layer.selectedAvailableObjects();
    if (originals.isEmpty())
        return false;
    return addCopies(layer, originals, layer.polarDuplicate(originals, centre, copies, incrementDegrees, rotateCopies),
                     actionName, "Polar Duplication");
}

bool PWLayerEditing::autoPolarDuplicate(PWObjectDrawingLayer& layer, const QPointF& centre, const QString& actionName)
{
    if (!canAutoPolarDuplicate(layer) || !std::isfinite(centre.x()) || !std::isfinite(centre.y()))
        return false;
    const ObjectList originals = layer.selectedAvailableObjects();
    return addCopies(layer, originals, layer.autoPolarDuplicate(originals.front(), centre), actionName,
                     "Auto Polar Duplication");
}

bool PWLayerEditing::canLinearDuplicate(const PWObjectDrawingLayer& layer) { return canDuplicate(layer); }
bool PWLayerEditing::canPolarDuplicate(const PWObjectDrawingLayer& layer) { return canDuplicate(layer); }

bool PWLayerEditing::canAutoPolarDuplicate(const PWObjectDrawingLayer& layer)
{
    return !layer.locked() && layer.countOfSelectedAvailableObjects() == 1;
}

// Paths --------------------------------------------------------------------------------------------

bool PWLayerEditing::makeParallelCopy(PWObjectDrawingLayer& layer, double distance, int copies, bool smooth,
                                      const QString& actionName)
{
    if (!std::isfinite(distance) || copies < 1 || copies > PWObjectDrawingLayer::kMaxCopies || layer.locked())
        return false;
    std::vector<std::pair<pf::Ref<PWDrawableObject>, ObjectList>> made;
    ObjectList all;
    for (const auto& object : layer.selectedAvailableObjects()) {
        auto path = std::dynamic_pointer_cast<PWDrawablePath>(object);
        if (!path)
            continue;
        ObjectList parallels;
        for (int i = 1; i <= copies; ++i)
            if (auto parallel = path->makeParallelWithOffset(distance * i, smooth))
                parallels.append(parallel);
        if (!parallels.isEmpty()) {
            made.emplace_back(object, parallels);
            all.append(parallels);
        }
    }
    if (all.isEmpty())
        return false;
    perform(layer, actionName, "Offset Copy", [&] {
        for (const auto& [original, parallels] : made) {
            const qint64 index = layer.indexOfObject(original.get());
            for (qsizetype i = 0; i < parallels.size(); ++i)
                layer.insertObject(parallels[i], distance > 0 ? index + 1 + i : index);
        }
        return all;
    });
    return true;
}

bool PWLayerEditing::canMakeParallelCopy(const PWObjectDrawingLayer& layer)
{
    if (layer.locked())
        return false;
    for (const auto& object : layer.selectedAvailableObjects())
        if (dynamic_cast<const PWDrawablePath*>(object.get()))
            return true;
    return false;
}

bool PWLayerEditing::splitAtLength(PWObjectDrawingLayer& layer, double length, const QString& actionName)
{
    if (!canSplitAtLength(layer) || !std::isfinite(length))
        return false;
    auto path = std::dynamic_pointer_cast<PWDrawablePath>(layer.selectedAvailableObjects().front());
    if (length <= 0.0 || length >= path->length())
        return false;
    // Cut a copy first, so a cut that cannot be made changes nothing.
    auto before = std::static_pointer_cast<PWDrawablePath>(path->copy());
    auto after = before->dividePathAtLength(length);
    if (!after)
        return false;
    perform(layer, actionName, "Split Path", [&] {
        const qint64 index = layer.indexOfObject(path.get());
        layer.removeObject(path);
        layer.insertObject(before, index);
        layer.insertObject(after, index + 1);
        return ObjectList{before, after};
    });
    return true;
}

bool PWLayerEditing::canSplitAtLength(const PWObjectDrawingLayer& layer)
{
    if (layer.locked() || layer.countOfSelectedAvailableObjects() != 1)
        return false;
    const auto object = layer.selectedAvailableObjects().front();
    return dynamic_cast<const PWDrawablePath*>(object.get()) && !object->isKindOf(PWCentredPath::staticClass()) &&
           !object->isKindOf(PWTextPath::staticClass());
}

bool PWLayerEditing::join(PWObjectDrawingLayer& layer, const QString& actionName, double tolerance)
{
    if (layer.locked() || !std::isfinite(tolerance) || tolerance < 0.0)
        return false;
    const ObjectList operands = joinOperands(layer);
    if (operands.isEmpty())
        return false;
    // operands come bottom first: the lower one gives the style and the place.
    auto lower = std::static_pointer_cast<PWDrawablePath>(operands[0]);
    auto upper = std::static_pointer_cast<PWDrawablePath>(operands[1]);
    auto joined = PWObjectConversion::joinedPath(*lower->path(), *upper->path(), tolerance);
    if (!joined)
        return false;
    auto result = PWDrawablePath::drawablePathWithPath(*joined, lower->style());
    result->setName(lower->name());
    result->setMetadata(lower->metadata());
    perform(layer, actionName, "Join Paths", [&] {
        const qint64 index = layer.indexOfObject(lower.get());
        layer.removeObjectsInArray(operands);
        layer.insertObject(result, std::min(index, layer.countOfObjects()));
        return ObjectList{result};
    });
    return true;
}

bool PWLayerEditing::canJoin(const PWObjectDrawingLayer& layer) { return !layer.locked() && !joinOperands(layer).isEmpty(); }
