#include "frameworks/penwork/tools/PWSelectAndEditTool.h"

#include "frameworks/penwork/drawables/PWConnectableLine.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/geometry/Geometry.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/support/RVInfoFloater.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/tools/PWSnapping.h"
#include "frameworks/penwork/tools/PWToolView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/UserDefaults.h"

#include <QPainter>

#include <cmath>

namespace {

const QString kMoveOnAllLayersDefault = QStringLiteral("PWSelectAndEditToolMoveOperatesOnAllLayers");

double safeScale(const PWToolEvent& event)
{
    const double scale = event.view ? event.view->scale() : 1.0;
    return std::isfinite(scale) && scale > 0.0 ? scale : 1.0;
}

QString lengthText(PWDrawing* drawing, double points)
{
    if (!drawing)
        return QString::number(points, 'f', 1);
    return QStringLiteral("%1 %2").arg(drawing->convertLength(points), 0, 'f', 2).arg(drawing->abbreviatedDrawingUnits());
}

} // namespace

// A dimension-guide data source over the rectangle being dragged.
class PWSelectAndEditTool::RectSource : public PWDimensionGuideDataSource {
public:
    RectSource(PWDrawing* drawing, const QRectF& rect, const pf::Class* cls) : m_drawing(drawing), rect(rect), m_class(cls)
    {
    }

    QPair<QPointF, QPointF> dimensionPointsForMode(int mode, bool isVertical, const QVariant&) const override
    {
        if (mode == PWDimensionGuide::kPositionMode) {
            // From the drawing's left (top) edge to the rectangle.
            return isVertical ? qMakePair(QPointF(rect.left(), 0.0), rect.topLeft())
                              : qMakePair(QPointF(0.0, rect.top()), rect.topLeft());
        }
        return isVertical ? qMakePair(rect.topLeft(), rect.bottomLeft()) : qMakePair(rect.topLeft(), rect.topRight());
    }
    QString dimensionStringForLength(double length) const override { return lengthText(m_drawing, length); }
    const pf::Class* dimensionGuideClass() const override { return m_class; }

    PWDrawing* m_drawing;
    QRectF rect;
    const pf::Class* m_class;
};

PF_DEFINE_CLASS(PWSelectAndEditTool, PWDrawingTool)
{
    b.classMethod("moveOperatesOnAllLayers", [](const pf::Class&, const QVariantList&) {
        return QVariant(PWSelectAndEditTool::moveOperatesOnAllLayers());
    });
    b.classMethod("setMoveOperatesOnAllLayers:", [](const pf::Class&, const QVariantList& arguments) {
        PWSelectAndEditTool::setMoveOperatesOnAllLayers(pf::variantToBool(arguments.value(0)));
        return QVariant();
    });
}

PWSelectAndEditTool::PWSelectAndEditTool() = default;
PWSelectAndEditTool::~PWSelectAndEditTool()
{
    endGuides();
}

bool PWSelectAndEditTool::moveOperatesOnAllLayers()
{
    return pf::UserDefaults::standard().boolForKey(kMoveOnAllLayersDefault);
}

void PWSelectAndEditTool::setMoveOperatesOnAllLayers(bool allLayers)
{
    pf::UserDefaults::standard().setBool(allLayers, kMoveOnAllLayersDefault);
}

void PWSelectAndEditTool::reset()
{
    endGuides();
    m_drag = Drag::None;
    m_changed = false;
    m_moving.clear();
    m_copyOnMove = false;
    m_copied = false;
    m_handleObject.reset();
    m_handlePart = 0;
    m_marquee = QRectF();
    m_marqueeBase.clear();
}

int PWSelectAndEditTool::mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer,
                                          const PWToolEvent& event, PWToolUndoDelegate*)
{
    reset();
    m_start = point;
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    if (!owner)
        return 0;

    // Handles of selected objects come before the objects themselves, topmost first.
    const auto selected = owner->selectedAvailableObjects();
    for (auto it = selected.crbegin(); it != selected.crend(); ++it) {
        const int part = (*it)->hitPart(point);
        if (part > 0) {
            m_drag = Drag::Handle;
            m_handleObject = *it;
            m_handlePart = part;
            m_handleObject->mouseDownAtPoint(point, part, event.controlKey());
            startGuides(owner->drawing(), m_handleObject->logicalBounds(), &m_handleObject->objClass(),
                        PWDimensionGuide::kSizeMode);
            return part;
        }
    }

    if (target && target->visible()) {
        pf::Ref<PWDrawableObject> hit = std::static_pointer_cast<PWDrawableObject>(target->shared_from_this());
        const bool isText = dynamic_cast<PWTextShape*>(target) || dynamic_cast<PWTextPath*>(target);
        if (event.clickCount >= 2 && isText && !target->locked() && event.view) {
            owner->replaceSelectionWithObject(hit);
            event.view->beginTextEditing(target);
            return PWDrawableObject::kEntireObjectPart;
        }
        if (event.shiftKey()) {
            if (owner->isSelectedObject(target)) {
                owner->removeObjectFromSelection(hit);
                return PWDrawableObject::kEntireObjectPart;
            }
            owner->addObjectToSelection(hit);
        } else if (!owner->isSelectedObject(target)) {
            owner->replaceSelectionWithObject(hit);
        }
        if (!target->locked())
            beginMove(*owner, event);
        return PWDrawableObject::kEntireObjectPart;
    }

    if (beginGuideDrag(*owner, point, event))
        return 0;

    m_drag = Drag::Marquee;
    if (!event.shiftKey())
        owner->deselectAll();
    m_marqueeBase = owner->selection();
    return 0;
}

void PWSelectAndEditTool::beginMove(PWObjectOwnerLayer& layer, const PWToolEvent& event)
{
    QList<PWObjectOwnerLayer*> layers{&layer};
    if (moveOperatesOnAllLayers()) {
        if (PWDrawing* drawing = layer.drawing()) {
            for (const auto& other : drawing->flattenedLayers()) {
                auto* otherOwner = dynamic_cast<PWObjectOwnerLayer*>(other.get());
                if (otherOwner && otherOwner != &layer && otherOwner->visible() && !otherOwner->locked())
                    layers.append(otherOwner);
            }
        }
    }
    QRectF bounds;
    const pf::Class* cls = nullptr;
    for (PWObjectOwnerLayer* l : layers) {
        for (const auto& object : l->selectedAvailableObjects()) {
            if (object->locationLocked())
                continue;
            m_moving.push_back({object, object->location()});
            bounds = bounds.isNull() ? object->logicalBounds() : bounds.united(object->logicalBounds());
            cls = cls ? cls : &object->objClass();
        }
    }
    if (m_moving.empty())
        return;
    m_drag = Drag::Move;
    m_startBounds = bounds;
    m_copyOnMove = event.optionKey();
    startGuides(layer.drawing(), bounds, m_moving.size() == 1 ? cls : nullptr, PWDimensionGuide::kPositionMode);
}

void PWSelectAndEditTool::mouseDraggedToPoint(const QPointF& point, int, PWLayer* layer, const PWToolEvent& event,
                                              PWToolUndoDelegate*)
{
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    if (!owner)
        return;
    switch (m_drag) {
    case Drag::Move: dragMove(*owner, point, event); break;
    case Drag::Handle: dragHandle(point, event); break;
    case Drag::Marquee: dragMarquee(*owner, point, event); break;
    case Drag::Guide: dragGuide(*owner, point, event); break;
    case Drag::None: break;
    }
}

void PWSelectAndEditTool::makeCopies(PWObjectOwnerLayer& activeLayer)
{
    QList<pf::Ref<PWDrawableObject>> activeCopies;
    QList<pf::Ref<PWDrawableObject>> originals;
    QList<pf::Ref<PWDrawableObject>> copies;
    for (Moving& moving : m_moving) {
        auto* home = dynamic_cast<PWObjectOwnerLayer*>(moving.object->layer());
        auto copy = std::dynamic_pointer_cast<PWDrawableObject>(moving.object->copy());
        if (!home || !copy)
            continue;
        originals.append(moving.object);
        copies.append(copy);
        home->addObject(copy);
        if (home == &activeLayer)
            activeCopies.append(copy);
        else
            home->exchangeSelectionWithObjectsFromArray({copy});
        moving.object = copy;
    }
    // Connectors copied with the objects they join join the copies.
    PWConnectableLine::reattachCopies(originals, copies);
    activeLayer.exchangeSelectionWithObjectsFromArray(activeCopies);
    m_copied = true;
}

void PWSelectAndEditTool::dragMove(PWObjectOwnerLayer& layer, const QPointF& point, const PWToolEvent& event)
{
    QPointF delta = point - m_start;
    if (delta.isNull() && !m_changed)
        return;
    if (m_copyOnMove && !m_copied)
        makeCopies(layer);
    QSet<const PWDrawableObject*> excluded;
    for (const Moving& moving : m_moving)
        excluded.insert(moving.object.get());
    delta += PWSnapping::snapMovedRect(m_startBounds.translated(delta), layer, excluded, event.controlKey(),
                                       safeScale(event));
    for (const Moving& moving : m_moving)
        moving.object->setLocation(moving.startLocation + delta);
    m_changed = true;
    const QRectF moved = m_startBounds.translated(delta);
    if (m_dimensionSource) {
        m_dimensionSource->rect = moved;
        PWDimensionGuide::updateDimensionGuides(m_dimensionGuides);
    }
    PWDrawing* drawing = layer.drawing();
    showReadout(event, point, QStringLiteral("%1, %2").arg(lengthText(drawing, moved.left()), lengthText(drawing, moved.top())));
}

void PWSelectAndEditTool::dragHandle(const QPointF& point, const PWToolEvent& event)
{
    if (!m_handleObject)
        return;
    PWDrawableObject& object = *m_handleObject;
    const double angleBefore = object.angle();
    const QRectF boundsBefore = object.logicalBounds();
    object.mouseDraggedAtPoint(point, m_handlePart, event.controlKey());
    const bool rotating = dynamic_cast<PWDrawableShape*>(&object) && m_handlePart == PWDrawableShape::kRotationHandle;
    if (rotating && event.shiftKey()) {
        const double step = M_PI / 12.0;
        object.setAngle(std::round(object.angle() / step) * step);
    }
    if (object.angle() != angleBefore || object.logicalBounds() != boundsBefore)
        m_changed = true;
    if (m_dimensionSource) {
        m_dimensionSource->rect = object.logicalBounds();
        PWDimensionGuide::updateDimensionGuides(m_dimensionGuides);
    }
    PWDrawing* drawing = object.drawing();
    if (rotating) {
        double degrees = std::fmod(object.angleInDegrees(), 360.0);
        if (degrees < 0)
            degrees += 360.0;
        showReadout(event, point, RVInfoFloater::formatValue(QStringLiteral("0.0°"), degrees));
    } else if (dynamic_cast<PWDrawableShape*>(&object)) {
        showReadout(event, point,
                    QStringLiteral("%1 × %2").arg(lengthText(drawing, object.width()), lengthText(drawing, object.height())));
    } else {
        showReadout(event, point, QStringLiteral("%1, %2").arg(lengthText(drawing, point.x()), lengthText(drawing, point.y())));
    }
}

void PWSelectAndEditTool::dragMarquee(PWObjectOwnerLayer& layer, const QPointF& point, const PWToolEvent& event)
{
    const QRectF old = m_marquee;
    m_marquee = pw::NSRectFromTwoPoints(m_start, point);
    QList<pf::Ref<PWDrawableObject>> chosen = m_marqueeBase;
    for (const auto& object : layer.objectsInRect(m_marquee)) {
        if (!object->locked() && object->logicalBounds().intersects(m_marquee) && !chosen.contains(object))
            chosen.append(object);
    }
    layer.exchangeSelectionWithObjectsFromArray(chosen);
    if (event.view) {
        const double margin = 2.0 / safeScale(event);
        event.view->setNeedsDisplayInDrawingRect(old.united(m_marquee).adjusted(-margin, -margin, margin, margin));
    }
}

bool PWSelectAndEditTool::beginGuideDrag(PWObjectOwnerLayer& layer, const QPointF& point, const PWToolEvent& event)
{
    PWDrawing* drawing = layer.drawing();
    pf::Ref<PWGuideLayer> guides = drawing ? drawing->guideLayer() : nullptr;
    if (!guides || !guides->visible() || guides->locked())
        return false;
    const double tolerance = kGuideHitTolerance / safeScale(event);
    double best = tolerance;
    bool found = false;
    for (double y : guides->horizontalGuides()) {
        if (std::abs(y - point.y()) <= best) {
            best = std::abs(y - point.y());
            m_guideIsHorizontal = true;
            m_guidePosition = y;
            found = true;
        }
    }
    for (double x : guides->verticalGuides()) {
        if (std::abs(x - point.x()) <= best) {
            best = std::abs(x - point.x());
            m_guideIsHorizontal = false;
            m_guidePosition = x;
            found = true;
        }
    }
    if (found)
        m_drag = Drag::Guide;
    return found;
}

void PWSelectAndEditTool::dragGuide(PWObjectOwnerLayer& layer, const QPointF& point, const PWToolEvent& event)
{
    PWDrawing* drawing = layer.drawing();
    pf::Ref<PWGuideLayer> guides = drawing ? drawing->guideLayer() : nullptr;
    if (!guides)
        return;
    // Guides land on the grid when snapping to it.
    const QPointF p = drawing->snapToGrid(point, event.controlKey());
    const double to = m_guideIsHorizontal ? p.y() : p.x();
    if (to == m_guidePosition)
        return;
    const bool moved = m_guideIsHorizontal ? guides->moveHorizontalGuide(m_guidePosition, to)
                                           : guides->moveVerticalGuide(m_guidePosition, to);
    if (!moved)
        return;
    m_changed = true;
    const QList<double> remaining = m_guideIsHorizontal ? guides->horizontalGuides() : guides->verticalGuides();
    if (!remaining.contains(to)) {
        // Dragged out of the deletion rectangle: the guide is gone and the gesture ends.
        m_drag = Drag::None;
        return;
    }
    m_guidePosition = to;
    showReadout(event, point, lengthText(drawing, to));
}

bool PWSelectAndEditTool::mouseUpAtPoint(const QPointF& point, int, PWLayer* layer, const PWToolEvent& event,
                                         PWToolUndoDelegate*)
{
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    if (owner && m_drag != Drag::None && m_drag != Drag::Handle && point != m_start)
        mouseDraggedToPoint(point, 0, layer, event, nullptr);
    if (m_drag == Drag::Handle && m_handleObject)
        m_handleObject->mouseUpAtPoint(point, m_handlePart, event.controlKey());
    if (m_drag == Drag::Marquee && event.view && !m_marquee.isNull()) {
        const double margin = 2.0 / safeScale(event);
        event.view->setNeedsDisplayInDrawingRect(m_marquee.adjusted(-margin, -margin, margin, margin));
    }
    const bool changed = m_changed;
    if (changed && owner) {
        if (RVUndoManager* manager = owner->undoManager())
            manager->setActionName(nameForGesture());
    }
    RVInfoFloater::hideInfoFloater();
    reset();
    return changed;
}

QString PWSelectAndEditTool::nameForGesture() const
{
    if (const QString name = actionName(); name != defaultActionName())
        return name;
    switch (m_drag) {
    case Drag::Move: return m_copied ? QStringLiteral("Duplicate") : QStringLiteral("Move");
    case Drag::Guide: return QStringLiteral("Move Guide");
    case Drag::Handle:
        if (dynamic_cast<PWDrawableShape*>(m_handleObject.get()))
            return m_handlePart == PWDrawableShape::kRotationHandle ? QStringLiteral("Rotate") : QStringLiteral("Resize");
        if (dynamic_cast<PWDrawablePath*>(m_handleObject.get()))
            return QStringLiteral("Edit Path");
        return defaultActionName();
    default: return defaultActionName();
    }
}

void PWSelectAndEditTool::showReadout(const PWToolEvent& event, const QPointF& point, const QString& text) const
{
    if (!PWDrawableObject::displaysSizeInfoWhenDragging() || !event.view || !event.view->widget())
        return;
    RVInfoFloater* floater = RVInfoFloater::infoFloater();
    floater->setStringValue(text);
    floater->positionNearPoint(event.view->convertFromDrawing(point), event.view->widget());
    floater->show();
}

void PWSelectAndEditTool::startGuides(PWDrawing* drawing, const QRectF& rect, const pf::Class* cls, int modes)
{
    endGuides();
    m_dimensionSource = std::make_unique<RectSource>(drawing, rect, cls);
    m_dimensionGuides = PWDimensionGuide::beginDimensionGuidesForObject(m_dimensionSource.get(), modes);
}

void PWSelectAndEditTool::endGuides()
{
    if (!m_dimensionGuides.isEmpty())
        PWDimensionGuide::endDimensionGuides(m_dimensionGuides);
    m_dimensionGuides.clear();
    m_dimensionSource.reset();
}

void PWSelectAndEditTool::toolControllerWillUnsetTool(PWToolController&)
{
    RVInfoFloater::hideInfoFloater();
    reset();
}

void PWSelectAndEditTool::drawToolFeedback(QPainter& painter, const QRectF&, double) const
{
    if (m_drag != Drag::Marquee || m_marquee.isNull())
        return;
    painter.save();
    QPen pen(QColor(60, 60, 60));
    pen.setCosmetic(true);
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(QColor(120, 150, 220, 40));
    painter.drawRect(m_marquee);
    painter.restore();
}
