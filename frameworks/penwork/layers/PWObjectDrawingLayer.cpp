#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"

#include "frameworks/penwork/archiving/PWDrawableObjectPasteboard.h"
#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/editing/PWLayerEditing.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "frameworks/penwork/geometry/BezierPath+Boolean.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageReader.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/DraggingInfo.h"
#include "platform/ui/Pasteboard.h"
#include "frameworks/penwork/support/RVLog.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QtMath>

#include <algorithm>

#include <cmath>
#include <optional>

namespace {

const QString kSelectionShownDefault = QStringLiteral("kPWObjectDrawingLayerSelectionIsShownWhenInactive");

pf::Ref<PWDrawableObject> copyOf(const pf::Ref<PWDrawableObject>& object)
{
    return object ? std::dynamic_pointer_cast<PWDrawableObject>(object->copy()) : nullptr;
}

QPointF rotatedAbout(const QPointF& point, const QPointF& centre, double radians)
{
    // Clockwise on screen: the drawing is y-down.
    const double c = std::cos(radians), s = std::sin(radians);
    const QPointF d = point - centre;
    return centre + QPointF(d.x() * c - d.y() * s, d.x() * s + d.y() * c);
}

using ObjectList = PWObjectOwnerLayer::ObjectList;

// An action taking the sender's title as its undo action name: perform() passes either the
// name itself or an object answering "title".
template <typename Result>
std::function<QVariant(PWObjectDrawingLayer&, const QVariantList&)>
senderAction(Result (PWObjectDrawingLayer::*action)(const QString&))
{
    return [action](PWObjectDrawingLayer& layer, const QVariantList& arguments) {
        const QVariant sender = arguments.value(0);
        QString name;
        if (sender.canConvert<QString>() && !pf::objectCast<pf::Object>(sender))
            name = sender.toString();
        else if (auto object = pf::objectCast<pf::Object>(sender); object && object->respondsTo("title"))
            name = object->valueForKey("title").toString();
        return QVariant::fromValue((layer.*action)(name));
    };
}

bool nonEmpty(const pf::Ref<pf::BezierPath>& path)
{
    return path && !path->isEmpty() && !path->bounds().isEmpty();
}

} // namespace

PF_DEFINE_CLASS(PWObjectDrawingLayer, PWObjectOwnerLayer)
{
    b.protocol(pf::kCodingProtocol);
    b.classMethod("selectionIsShownWhenInactive", [](const pf::Class&, const QVariantList&) {
        return QVariant(PWObjectDrawingLayer::selectionIsShownWhenInactive());
    });
    b.classMethod("setSelectionIsShownWhenInactive:", [](const pf::Class&, const QVariantList& arguments) {
        PWObjectDrawingLayer::setSelectionIsShownWhenInactive(pf::variantToBool(arguments.value(0)));
        return QVariant();
    });
    using L = PWObjectDrawingLayer;
    const std::pair<const char*, bool (L::*)(const QString&)> actions[] = {
        {"alignTopEdges:", &L::alignTopEdges},
        {"alignVerticalCentres:", &L::alignVerticalCentres},
        {"alignBottomEdges:", &L::alignBottomEdges},
        {"alignLeftEdges:", &L::alignLeftEdges},
        {"alignHorizontalCentres:", &L::alignHorizontalCentres},
        {"alignRightEdges:", &L::alignRightEdges},
        {"distributeVerticalCentres:", &L::distributeVerticalCentres},
        {"distributeVerticalSpace:", &L::distributeVerticalSpace},
        {"distributeHorizontalCentres:", &L::distributeHorizontalCentres},
        {"distributeHorizontalSpace:", &L::distributeHorizontalSpace},
        {"unionSelectedObjects:", &L::unionSelectedObjects},
        {"diffSelectedObjects:", &L::diffSelectedObjects},
        {"intersectionSelectedObjects:", &L::intersectionSelectedObjects},
        {"combineSelectedObjects:", &L::combineSelectedObjects},
        {"cookieCutterSelectedObjects:", &L::cookieCutterSelectedObjects},
    };
    for (const auto& [selector, action] : actions)
        b.method(selector, senderAction(action));
    b.method("applyStyle:", std::function<QVariant(L&, const QVariantList&)>([](L& layer, const QVariantList& args) {
                 return QVariant(layer.applyStyle(pf::objectCast<PWStyle>(args.value(0))));
             }));
    b.method("applySymbol:", std::function<QVariant(L&, const QVariantList&)>([](L& layer, const QVariantList& args) {
                 return QVariant(layer.applySymbol(pf::objectCast<pf::Object>(args.value(0))));
             }));
    b.method("setAuxiliaryStyle:", std::function<QVariant(L&, const QVariantList&)>([](L& layer, const QVariantList& args) {
                 return QVariant(layer.setAuxiliaryStyle(pf::objectCast<PWStyle>(args.value(0))));
             }));
}

PWObjectDrawingLayer::PWObjectDrawingLayer() = default;

bool PWObjectDrawingLayer::selectionIsShownWhenInactive()
{
    return pf::UserDefaults::standard().boolForKey(kSelectionShownDefault);
}

void PWObjectDrawingLayer::setSelectionIsShownWhenInactive(bool shown)
{
    pf::UserDefaults::standard().setBool(shown, kSelectionShownDefault);
}

PWObjectOwnerLayer::ObjectList PWObjectDrawingLayer::linearDuplicate(const ObjectList& objects, const QSizeF& offset,
                                                                     int copies) const
{
    ObjectList out;
    if (copies < 1 || copies > kMaxCopies || !std::isfinite(offset.width()) || !std::isfinite(offset.height()))
        return out;
    for (int i = 1; i <= copies; ++i)
        for (const auto& object : objects)
            if (auto copy = copyOf(object)) {
                copy->moveBy(offset.width() * i, offset.height() * i);
                out.append(copy);
            }
    return out;
}

PWObjectOwnerLayer::ObjectList PWObjectDrawingLayer::polarDuplicate(const ObjectList& objects, const QPointF& centre,
                                                                    int copies, double incrementDegrees,
                                                                    bool rotateCopies) const
{
    ObjectList out;
    if (copies < 1 || copies > kMaxCopies || !std::isfinite(incrementDegrees) || !std::isfinite(centre.x())
        || !std::isfinite(centre.y()))
        return out;
    for (int i = 1; i <= copies; ++i) {
        const double radians = qDegreesToRadians(incrementDegrees * i);
        for (const auto& object : objects)
            if (auto copy = copyOf(object)) {
                copy->setLocation(rotatedAbout(copy->location(), centre, radians));
                if (rotateCopies)
                    copy->rotateByAngle(radians);
                out.append(copy);
            }
    }
    return out;
}

PWObjectOwnerLayer::ObjectList PWObjectDrawingLayer::autoPolarDuplicate(const pf::Ref<PWDrawableObject>& object,
                                                                        const QPointF& centre) const
{
    if (!object)
        return {};
    const QPointF d = object->location() - centre;
    const double radius = std::hypot(d.x(), d.y());
    const QRectF bounds = object->logicalBounds();
    const double halfWidth = std::hypot(bounds.width(), bounds.height()) / 2.0;
    if (!(radius > halfWidth) || !(halfWidth > 0.0))
        return {};
    // The angle one copy takes up seen from the centre; as many as fit in the full turn.
    const double span = 2.0 * std::asin(std::min(1.0, halfWidth / radius));
    const int fit = int(std::floor(2.0 * M_PI / span));
    const int copies = std::min(fit - 1, kMaxCopies);
    if (copies < 1)
        return {};
    return polarDuplicate({object}, centre, copies, 360.0 / (copies + 1), true);
}

void PWObjectDrawingLayer::drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting)
{
    PWObjectOwnerLayer::drawInContext(context, rect, showingHighlighting);
    drawSelectionInContext(context, rect, showingHighlighting);
}

void PWObjectDrawingLayer::drawSelectionInContext(pf::GraphicsContext& context, const QRectF& rect,
                                                  bool showingHighlighting) const
{
    if (!showingHighlighting || countOfSelection() == 0 || !context.isDrawingToScreen())
        return;
    if (!isActiveLayer() && !selectionIsShownWhenInactive())
        return;
    std::optional<pf::GraphicsContextScope> scope;
    if (pf::GraphicsContext::current() != &context)
        scope.emplace(context.painter(), context.isFlipped(), context.isDrawingToScreen());
    drawSelection(rect);
}

// Arranging ----------------------------------------------------------------------------------------

void PWObjectDrawingLayer::asUndoStep(const QString& actionName, const std::function<void()>& edit)
{
    RVUndoManager* manager = undoManager();
    if (!manager) {
        edit();
        return;
    }
    manager->beginUndoGrouping();
    try {
        edit();
    } catch (...) {
        manager->endUndoGrouping();
        throw;
    }
    if (!actionName.isEmpty())
        manager->setActionName(actionName);
    manager->endUndoGrouping();
}

bool PWObjectDrawingLayer::alignTopEdges(const QString& name) { return align(Edge::Top, name); }
bool PWObjectDrawingLayer::alignVerticalCentres(const QString& name) { return align(Edge::VerticalCentre, name); }
bool PWObjectDrawingLayer::alignBottomEdges(const QString& name) { return align(Edge::Bottom, name); }
bool PWObjectDrawingLayer::alignLeftEdges(const QString& name) { return align(Edge::Left, name); }
bool PWObjectDrawingLayer::alignHorizontalCentres(const QString& name) { return align(Edge::HorizontalCentre, name); }
bool PWObjectDrawingLayer::alignRightEdges(const QString& name) { return align(Edge::Right, name); }
bool PWObjectDrawingLayer::distributeVerticalCentres(const QString& name) { return distribute(true, false, name); }
bool PWObjectDrawingLayer::distributeVerticalSpace(const QString& name) { return distribute(true, true, name); }
bool PWObjectDrawingLayer::distributeHorizontalCentres(const QString& name) { return distribute(false, false, name); }
bool PWObjectDrawingLayer::distributeHorizontalSpace(const QString& name) { return distribute(false, true, name); }

bool PWObjectDrawingLayer::align(Edge edge, const QString& actionName)
{
    const ObjectList objects = selectedAvailableObjects();
    if (objects.size() < 2)
        return false;
    QRectF all;
    for (const auto& object : objects)
        all = all.united(object->logicalBounds());
    std::vector<std::pair<pf::Ref<PWDrawableObject>, QPointF>> moves;
    for (const auto& object : objects) {
        const QRectF r = object->logicalBounds();
        QPointF d;
        switch (edge) {
        case Edge::Top: d.setY(all.top() - r.top()); break;
        case Edge::VerticalCentre: d.setY(all.center().y() - r.center().y()); break;
        case Edge::Bottom: d.setY(all.bottom() - r.bottom()); break;
        case Edge::Left: d.setX(all.left() - r.left()); break;
        case Edge::HorizontalCentre: d.setX(all.center().x() - r.center().x()); break;
        case Edge::Right: d.setX(all.right() - r.right()); break;
        }
        if (!d.isNull())
            moves.emplace_back(object, d);
    }
    if (moves.empty())
        return false;
    asUndoStep(actionName, [&] {
        for (const auto& [object, d] : moves)
            object->moveBy(d.x(), d.y());
    });
    return true;
}

bool PWObjectDrawingLayer::distribute(bool vertical, bool bySpace, const QString& actionName)
{
    ObjectList objects = selectedAvailableObjects();
    if (objects.size() < 3)
        return false;
    const auto lead = [vertical](const QRectF& r) { return vertical ? r.top() : r.left(); };
    const auto extent = [vertical](const QRectF& r) { return vertical ? r.height() : r.width(); };
    const auto centre = [vertical](const QRectF& r) { return vertical ? r.center().y() : r.center().x(); };
    std::vector<std::pair<pf::Ref<PWDrawableObject>, QRectF>> items;
    for (const auto& object : objects)
        items.emplace_back(object, object->logicalBounds());
    // Ordered by centre, ties by stacking order (the selection comes bottom first).
    std::stable_sort(items.begin(), items.end(),
                     [&](const auto& a, const auto& b) { return centre(a.second) < centre(b.second); });
    const int n = int(items.size());
    std::vector<double> shifts(n, 0.0);
    if (bySpace) {
        const QRectF& first = items.front().second;
        const QRectF& last = items.back().second;
        double used = 0.0;
        for (const auto& item : items)
            used += extent(item.second);
        const double gap = ((lead(last) + extent(last)) - lead(first) - used) / (n - 1);
        double position = lead(first) + extent(first) + gap;
        for (int i = 1; i < n - 1; ++i) {
            shifts[i] = position - lead(items[i].second);
            position += extent(items[i].second) + gap;
        }
    } else {
        const double from = centre(items.front().second);
        const double step = (centre(items.back().second) - from) / (n - 1);
        for (int i = 1; i < n - 1; ++i)
            shifts[i] = from + step * i - centre(items[i].second);
    }
    if (std::all_of(shifts.begin(), shifts.end(), [](double s) { return std::abs(s) < 1e-9; }))
        return false;
    asUndoStep(actionName, [&] {
        for (int i = 1; i < n - 1; ++i)
            if (std::abs(shifts[i]) >= 1e-9)
                items[i].first->moveBy(vertical ? 0.0 : shifts[i], vertical ? shifts[i] : 0.0);
    });
    return true;
}

// Boolean operations -------------------------------------------------------------------------------

ObjectList PWObjectDrawingLayer::booleanOperands() const
{
    ObjectList operands;
    for (const auto& object : selectedAvailableObjects())
        if (object->canPerformBooleanOperation(true) && object->renderingPath())
            operands.append(object);
    return operands;
}

void PWObjectDrawingLayer::registerSelectionUndo(const SharedObjectList& objects, const SharedObjectList& opposite)
{
    RVUndoManager* manager = undoManager();
    if (!manager)
        return;
    pf::Weak<PWObjectDrawingLayer> weak = ref<PWObjectDrawingLayer>();
    manager->registerUndo(this, [weak, objects, opposite] {
        if (auto target = weak.lock()) {
            target->registerSelectionUndo(opposite, objects);
            target->exchangeSelectionWithObjectsFromArray(*objects);
        }
    });
}

void PWObjectDrawingLayer::replaceObjects(const ObjectList& sources, const ObjectList& results,
                                          const QString& actionName)
{
    performSelectionStep(actionName, [&] {
        qint64 index = 0;
        for (const auto& source : sources)
            index = std::max(index, indexOfObject(source.get()));
        index -= sources.size() - 1;
        removeObjectsInArray(sources);
        index = std::clamp<qint64>(index, 0, countOfObjects());
        for (const auto& result : results)
            insertObject(result, index++);
        return results;
    });
}

void PWObjectDrawingLayer::performSelectionStep(const QString& actionName, const std::function<ObjectList()>& edit)
{
    asUndoStep(actionName, [&] {
        const auto before = std::make_shared<ObjectList>(selection());
        const auto after = std::make_shared<ObjectList>();
        registerSelectionUndo(before, after);
        *after = edit();
        exchangeSelectionWithObjectsFromArray(*after);
        registerSelectionUndo(before, after);
    });
}

bool PWObjectDrawingLayer::unionSelectedObjects(const QString& actionName)
{
    const ObjectList operands = booleanOperands();
    if (operands.size() < 2)
        return false;
    pf::Ref<pf::BezierPath> result = operands.front()->renderingPath();
    for (qsizetype i = 1; i < operands.size() && result; ++i)
        result = pw::unionPath(*result, *operands[i]->renderingPath());
    if (!nonEmpty(result))
        return false;
    replaceObjects(operands, {PWDrawablePath::drawablePathWithPath(*result, operands.back()->style())}, actionName);
    return true;
}

bool PWObjectDrawingLayer::diffSelectedObjects(const QString& actionName)
{
    const ObjectList operands = booleanOperands();
    if (operands.size() < 2)
        return false;
    pf::Ref<pf::BezierPath> result = operands.front()->renderingPath();
    for (qsizetype i = 1; i < operands.size() && nonEmpty(result); ++i)
        result = pw::differencePath(*result, *operands[i]->renderingPath());
    if (!nonEmpty(result))
        return false;
    replaceObjects(operands, {PWDrawablePath::drawablePathWithPath(*result, operands.front()->style())}, actionName);
    return true;
}

bool PWObjectDrawingLayer::intersectionSelectedObjects(const QString& actionName)
{
    const ObjectList operands = booleanOperands();
    if (operands.size() < 2)
        return false;
    pf::Ref<pf::BezierPath> result = operands.front()->renderingPath();
    for (qsizetype i = 1; i < operands.size() && nonEmpty(result); ++i)
        result = pw::intersectionPath(*result, *operands[i]->renderingPath());
    if (!nonEmpty(result))
        return false;
    replaceObjects(operands, {PWDrawablePath::drawablePathWithPath(*result, operands.back()->style())}, actionName);
    return true;
}

bool PWObjectDrawingLayer::combineSelectedObjects(const QString& actionName)
{
    const ObjectList operands = booleanOperands();
    if (operands.size() < 2)
        return false;
    pf::BezierPath combined;
    for (const auto& operand : operands)
        combined.appendPath(*operand->renderingPath());
    combined.setWindingRule(pf::BezierPath::WindingRule::EvenOdd);
    if (combined.isEmpty())
        return false;
    replaceObjects(operands, {PWDrawablePath::drawablePathWithPath(combined, operands.back()->style())}, actionName);
    return true;
}

bool PWObjectDrawingLayer::cookieCutterSelectedObjects(const QString& actionName)
{
    const ObjectList operands = booleanOperands();
    if (operands.size() < 2)
        return false;
    // Regions so far, each with the style of the topmost object covering it. Each further
    // (higher) object splits every region into the part inside it, which takes its style, and
    // the part outside; what of it lies outside every region so far is a region of its own.
    std::vector<std::pair<pf::Ref<pf::BezierPath>, pf::Ref<PWStyle>>> regions;
    regions.emplace_back(operands.front()->renderingPath(), operands.front()->style());
    for (qsizetype i = 1; i < operands.size(); ++i) {
        const pf::Ref<pf::BezierPath> cutter = operands[i]->renderingPath();
        const pf::Ref<PWStyle> style = operands[i]->style();
        std::vector<std::pair<pf::Ref<pf::BezierPath>, pf::Ref<PWStyle>>> next;
        pf::Ref<pf::BezierPath> remainder = cutter;
        for (const auto& [region, regionStyle] : regions) {
            if (auto outside = pw::differencePath(*region, *cutter); nonEmpty(outside))
                next.emplace_back(outside, regionStyle);
            if (auto inside = pw::intersectionPath(*region, *cutter); nonEmpty(inside))
                next.emplace_back(inside, style);
            if (nonEmpty(remainder))
                remainder = pw::differencePath(*remainder, *region);
        }
        if (nonEmpty(remainder))
            next.emplace_back(remainder, style);
        regions = std::move(next);
    }
    ObjectList results;
    for (const auto& [region, style] : regions)
        if (nonEmpty(region))
            results.append(PWDrawablePath::drawablePathWithPath(*region, style));
    if (results.isEmpty())
        return false;
    replaceObjects(operands, results, actionName);
    return true;
}

// Styles -------------------------------------------------------------------------------------------

int PWObjectDrawingLayer::applyStyle(const pf::Ref<PWStyle>& style)
{
    if (!style)
        return 0;
    // validateStyle may hand back a style of its own in place of the one offered.
    std::vector<std::pair<pf::Ref<PWDrawableObject>, pf::Ref<PWStyle>>> takers;
    for (const auto& object : selectedAvailableObjects()) {
        QVariant value = pf::toVariant(std::static_pointer_cast<pf::Object>(style));
        if (!object->validateStyle(&value, nullptr))
            continue;
        if (auto accepted = pf::objectCast<PWStyle>(value))
            takers.emplace_back(object, accepted);
    }
    if (takers.empty())
        return 0;
    asUndoStep(QCoreApplication::translate("PWObjectDrawingLayer", "Apply Style"), [&] {
        for (const auto& [object, accepted] : takers)
            object->setStyle(accepted);
    });
    return int(takers.size());
}

int PWObjectDrawingLayer::applySymbol(const pf::Ref<pf::Object>& master)
{
    return sendToSelection(QStringLiteral("setMaster:"), master,
                           QCoreApplication::translate("PWObjectDrawingLayer", "Apply Symbol"));
}

int PWObjectDrawingLayer::setAuxiliaryStyle(const pf::Ref<PWStyle>& style)
{
    return sendToSelection(QStringLiteral("setAuxiliaryStyle:"), style,
                           QCoreApplication::translate("PWObjectDrawingLayer", "Set Auxiliary Style"));
}

int PWObjectDrawingLayer::sendToSelection(const QString& selector, const pf::Ref<pf::Object>& argument,
                                          const QString& actionName)
{
    if (!argument)
        return 0;
    ObjectList takers;
    for (const auto& object : selectedAvailableObjects())
        if (object->respondsTo(selector))
            takers.append(object);
    if (takers.isEmpty())
        return 0;
    asUndoStep(actionName, [&] {
        for (const auto& object : takers)
            object->perform(selector, {pf::toVariant(argument)});
    });
    return int(takers.size());
}

// Editing through the view -------------------------------------------------------------------------

namespace {

struct EditAction {
    const char* selector;
    bool (*perform)(PWObjectDrawingLayer&, const QString&);
    bool (*validate)(const PWObjectDrawingLayer&);
};

using E = PWLayerEditing;

const EditAction kEditActions[] = {
    {"cut:", [](PWObjectDrawingLayer& l, const QString& n) { return E::cut(l, n); }, &E::canCut},
    {"copy:", [](PWObjectDrawingLayer& l, const QString& n) { return E::copy(l, n); }, &E::canCopy},
    {"paste:", [](PWObjectDrawingLayer& l, const QString& n) { return E::paste(l, n); },
     [](const PWObjectDrawingLayer& l) { return E::canPaste(l); }},
    {"delete:", &E::deleteSelection, &E::canDeleteSelection},
    {"selectAll:", &E::selectAll, &E::canSelectAll},
    {"duplicate:", &E::duplicate, &E::canDuplicate},
    {"group:", &E::group, &E::canGroup},
    {"ungroup:", &E::ungroup, &E::canUngroup},
    {"toggleHorizontalFlip:", &E::flipHorizontal, &E::canFlipHorizontal},
    {"toggleVerticalFlip:", &E::flipVertical, &E::canFlipVertical},
    {"convertToPath:", &E::convertToPath, &E::canConvertToPath},
    {"convertToShape:", &E::convertToShape, &E::canConvertToShape},
    {"convertToShapeGroup:", &E::convertToShapeGroup, &E::canConvertToShapeGroup},
    {"convertToTextShape:", &E::convertToTextShape, &E::canConvertToTextShape},
    {"convertToTextPath:", &E::convertToTextPath, &E::canConvertToTextPath},
    {"bringForward:", &E::bringForward, &E::canBringForward},
    {"sendBackward:", &E::sendBackward, &E::canSendBackward},
    {"bringToFront:", &E::bringToFront, &E::canBringToFront},
    {"sendToBack:", &E::sendToBack, &E::canSendToBack},
    {"join:", [](PWObjectDrawingLayer& l, const QString& n) { return E::join(l, n); }, &E::canJoin},
};

const EditAction* editAction(const QString& selector)
{
    for (const EditAction& action : kEditActions)
        if (selector == QLatin1String(action.selector))
            return &action;
    return nullptr;
}

// The objects a dropped file holds, or nothing (with the reason logged) when it cannot be read.
ObjectList objectsFromFile(const QString& path)
{
    pf::Error error;
    const QByteArray data = pf::ImageReader::fileData(path, &error);
    if (data.isEmpty()) {
        RVLog(kFileEvent, QStringLiteral("dropped file unreadable: %1 (%2)").arg(path, error.localizedDescription()));
        return {};
    }
    if (!pf::ImageReader::formatOf(data).isEmpty()) {
        if (!pf::ImageReader::read(data, &error).isNull())
            return {PWImageShape::imageShapeWithImageData(data)};
        RVLog(kFileEvent, QStringLiteral("dropped image damaged: %1 (%2)").arg(path, error.localizedDescription()));
        return {};
    }
    const pf::Ref<PWDrawing> drawing = PWDrawingArchiving::drawingWithData(data, &error);
    if (!drawing) {
        RVLog(kFileEvent, QStringLiteral("dropped file not a drawing: %1 (%2)").arg(path, error.localizedDescription()));
        return {};
    }
    ObjectList objects;
    for (const auto& layer : drawing->flattenedLayers())
        if (auto objectLayer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(layer))
            for (const auto& object : objectLayer->objects())
                objects.append(std::static_pointer_cast<PWDrawableObject>(object->copy()));
    return objects;
}

} // namespace

bool PWObjectDrawingLayer::scrollToSelectionInView(QWidget* view)
{
    auto drawingView = view ? dynamic_cast<PWDrawingView*>(view) : currentView();
    if (!drawingView || countOfSelection() == 0)
        return false;
    QRectF rect;
    for (const auto& object : selection())
        rect = rect.united(object->bounds());
    drawingView->scrollToDrawingRect(rect);
    return true;
}

bool PWObjectDrawingLayer::performFileDropOperation(const QList<QUrl>& urls, const QPointF& point)
{
    if (urls.isEmpty() || locked() || !std::isfinite(point.x()) || !std::isfinite(point.y()))
        return false;
    ObjectList added;
    int files = 0;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            return false;
        ObjectList objects = objectsFromFile(url.toLocalFile());
        if (objects.isEmpty())
            return false;
        // Each file's objects are centred on the drop point, later files stepped on from it.
        QRectF bounds;
        for (const auto& object : objects)
            bounds = bounds.united(object->logicalBounds());
        const double step = PWLayerEditing::kPasteOffset * files++;
        const QPointF shift = point + QPointF(step, step) - bounds.center();
        for (const auto& object : objects)
            object->moveBy(shift.x(), shift.y());
        added.append(objects);
    }
    recordSelectionForUndo();
    asUndoStep(QCoreApplication::translate("PWObjectDrawingLayer", "Drop"), [&] {
        addObjectsFromArray(added);
        exchangeSelectionWithObjectsFromArray(added);
        commitSelectionUndoWithActionName(QCoreApplication::translate("PWObjectDrawingLayer", "Drop"));
    });
    return true;
}

bool PWObjectDrawingLayer::performFileDropOperation(const QMimeData& data, const QPointF& point)
{
    if (data.hasUrls())
        return performFileDropOperation(data.urls(), point);
    if (locked() || !std::isfinite(point.x()) || !std::isfinite(point.y()))
        return false;
    ObjectList objects;
    if (data.hasImage()) {
        const QImage image = qvariant_cast<QImage>(data.imageData());
        if (image.isNull())
            return false;
        objects.append(PWImageShape::imageShapeWithImage(image));
    } else {
        objects = PWDrawableObjectPasteboard::nativeObjectsFromPasteboard(*pf::Pasteboard::fromMimeData(&data));
    }
    if (objects.isEmpty())
        return false;
    QRectF bounds;
    for (const auto& object : objects)
        bounds = bounds.united(object->logicalBounds());
    const QPointF shift = point - bounds.center();
    for (const auto& object : objects)
        object->moveBy(shift.x(), shift.y());
    recordSelectionForUndo();
    asUndoStep(QCoreApplication::translate("PWObjectDrawingLayer", "Drop"), [&] {
        addObjectsFromArray(objects);
        exchangeSelectionWithObjectsFromArray(objects);
        commitSelectionUndoWithActionName(QCoreApplication::translate("PWObjectDrawingLayer", "Drop"));
    });
    return true;
}

bool PWObjectDrawingLayer::performFileDrop(const pf::DraggingInfo& info, const QPointF& point)
{
    const QString selector = QStringLiteral("performFileDropOperation:");
    if (objClass().instancesRespondTo(selector) && perform(selector, {QVariant::fromValue(&info)}).toBool())
        return true;
    pf::Ref<pf::Pasteboard> pasteboard = info.draggingPasteboard();
    if (!pasteboard)
        return false;
    std::unique_ptr<QMimeData> data(pasteboard->makeMimeData());
    return data && performFileDropOperation(*data, point);
}

bool PWObjectDrawingLayer::editCut(const QString& actionName) { return PWLayerEditing::cut(*this, actionName); }
bool PWObjectDrawingLayer::editCopy() { return PWLayerEditing::copy(*this); }
bool PWObjectDrawingLayer::editPaste(const QString& actionName, std::optional<QPointF> point)
{
    return PWLayerEditing::paste(*this, actionName, point);
}
bool PWObjectDrawingLayer::editDelete(const QString& actionName)
{
    return PWLayerEditing::deleteSelection(*this, actionName);
}
bool PWObjectDrawingLayer::editSelectAll(const QString& actionName) { return PWLayerEditing::selectAll(*this, actionName); }

bool PWObjectDrawingLayer::validateMenuItem(pf::UserInterfaceItem& item) const
{
    const EditAction* action = editAction(item.action());
    return action && action->validate(*this);
}

bool PWObjectDrawingLayer::handlesAction(const QString& selector) const { return editAction(selector) != nullptr; }

bool PWObjectDrawingLayer::performAction(const QString& selector, const QString& actionName)
{
    const EditAction* action = editAction(selector);
    return action && action->perform(*this, actionName);
}

pf::Ref<pf::Menu> PWObjectDrawingLayer::menuForEvent(const QPointF& point, QWidget* view)
{
    auto menu = pf::Menu::make();
    if (auto object = hitObject(point))
        object->populateContextualMenu(*menu, point);
    if (auto editItems = PWLayer::menuForEvent(point, view)) {
        if (menu->numberOfItems() > 0)
            menu->addItem(pf::MenuItem::separator());
        const QList<pf::Ref<pf::MenuItem>> items = editItems->items();
        for (const auto& item : items) {
            editItems->removeItem(item.get());
            menu->addItem(item);
        }
    }
    return menu->numberOfItems() > 0 ? menu : nullptr;
}
