#include "frameworks/penwork/tools/PWObjectCreationTool.h"

#include "frameworks/penwork/drawables/PWCentredPath.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVInfoFloater.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/tools/PWToolView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"

#include <QLineF>

#include <cmath>

namespace {

const QString kStyleSettingKey = QStringLiteral("style");

pf::Ref<PWStyle>& sharedCreationStyle()
{
    static pf::Ref<PWStyle> style;
    return style;
}

void postStyleChange(pf::Reflective* object, const pf::Ref<PWStyle>& style)
{
    QVariantMap info;
    if (style)
        info.insert(QStringLiteral("style"), pf::toVariant(style));
    pf::NotificationCenter::defaultCenter().post(kPWDrawingToolCreatedObjectsStyleDidChange, object, info);
}

double viewScale(const PWToolEvent& event)
{
    const double scale = event.view ? event.view->scale() : 1.0;
    return std::isfinite(scale) && scale > 0.0 ? scale : 1.0;
}

// The angle of `d` rounded to 15 degree steps when `constrain`.
double dragAngle(const QPointF& d, bool constrain)
{
    double angle = std::atan2(d.y(), d.x());
    if (constrain) {
        const double step = M_PI / 12.0;
        angle = std::round(angle / step) * step;
    }
    return angle;
}

} // namespace

PF_DEFINE_CLASS(PWObjectCreationTool, PWDrawingTool)
{
    b.property("style", &PWObjectCreationTool::style, &PWObjectCreationTool::setStyle);
    b.property("prototype", &PWObjectCreationTool::prototype, &PWObjectCreationTool::setPrototype);
    b.property("stylePickupEnabled", &PWObjectCreationTool::stylePickupEnabled,
               &PWObjectCreationTool::setStylePickupEnabled);
    b.method("objectFromPrototype", &PWObjectCreationTool::objectFromPrototype);
    b.classMethod("styleForCreatedObjects", [](const pf::Class&, const QVariantList&) {
        return pf::toVariant(PWObjectCreationTool::styleForCreatedObjects());
    });
    b.classMethod("setStyleForCreatedObjects:", [](const pf::Class&, const QVariantList& arguments) {
        PWObjectCreationTool::setStyleForCreatedObjects(pf::fromVariant<pf::Ref<PWStyle>>(arguments.value(0)));
        return QVariant();
    });
}

PWObjectCreationTool::PWObjectCreationTool() = default;
PWObjectCreationTool::~PWObjectCreationTool() = default;

pf::Ref<PWStyle> PWObjectCreationTool::styleForCreatedObjects()
{
    return sharedCreationStyle();
}

void PWObjectCreationTool::setStyleForCreatedObjects(const pf::Ref<PWStyle>& style)
{
    if (sharedCreationStyle() == style)
        return;
    sharedCreationStyle() = style;
    postStyleChange(nullptr, style);
}

void PWObjectCreationTool::setPrototype(pf::Ref<PWDrawableObject> prototype)
{
    m_prototype = std::move(prototype);
}

pf::Ref<PWDrawableObject> PWObjectCreationTool::objectFromPrototype()
{
    pf::Ref<PWDrawableObject> proto = prototype();
    return proto ? std::dynamic_pointer_cast<PWDrawableObject>(proto->copy()) : nullptr;
}

pf::Ref<PWStyle> PWObjectCreationTool::style() const
{
    return m_style ? m_style : styleForCreatedObjects();
}

void PWObjectCreationTool::setStyle(const pf::Ref<PWStyle>& style)
{
    if (m_style == style)
        return;
    m_style = style;
    postStyleChange(this, style);
}

QString PWObjectCreationTool::defaultActionName() const
{
    if (pf::Ref<PWDrawableObject> proto = prototype())
        return QStringLiteral("New %1").arg(proto->displayName());
    return QStringLiteral("New Object");
}

QCursor PWObjectCreationTool::cursor() const
{
    return QCursor(Qt::CrossCursor);
}

QPointF PWObjectCreationTool::snappedPoint(PWObjectOwnerLayer& layer, const QPointF& point,
                                           const PWToolEvent& event) const
{
    return layer.snappedMousePoint(point, m_creating.get(), event.controlKey());
}

void PWObjectCreationTool::withoutUndo(PWLayer& layer, const std::function<void()>& edit)
{
    RVUndoManager* manager = layer.undoManager();
    if (!manager) {
        edit();
        return;
    }
    manager->disableUndoRegistration();
    try {
        edit();
    } catch (...) {
        manager->enableUndoRegistration();
        throw;
    }
    manager->enableUndoRegistration();
}

void PWObjectCreationTool::abandonCreation()
{
    auto* layer = dynamic_cast<PWObjectOwnerLayer*>(m_creatingLayer.lock().get());
    if (layer && m_creating && layer->pendingObject() == m_creating)
        layer->removePendingObject();
    m_creating.reset();
    m_creatingLayer.reset();
}

void PWObjectCreationTool::pickUpStyle(PWDrawableObject& target)
{
    pf::Ref<PWStyle> picked = target.style();
    if (!picked)
        return;
    if (m_style)
        setStyle(picked);
    else
        setStyleForCreatedObjects(picked);
}

int PWObjectCreationTool::mouseDownAtPoint(const QPointF& point, PWDrawableObject* target, PWLayer* layer,
                                           const PWToolEvent& event, PWToolUndoDelegate*)
{
    m_pickingUp = false;
    m_dragged = false;
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    abandonCreation();
    if (!owner)
        return 0;
    if (m_stylePickupEnabled && event.commandKey() && target) {
        m_pickingUp = true;
        pickUpStyle(*target);
        return 0;
    }
    m_anchor = snappedPoint(*owner, point, event);
    pf::Ref<PWDrawableObject> object = beginPendingObject(*owner);
    if (!object)
        return 0;
    try {
        withoutUndo(*owner, [&] { shapeObject(*object, m_anchor, m_anchor, event); });
    } catch (...) {
        abandonCreation();
        throw;
    }
    return 0;
}

void PWObjectCreationTool::mouseDraggedToPoint(const QPointF& point, int, PWLayer* layer, const PWToolEvent& event,
                                               PWToolUndoDelegate*)
{
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    if (!owner || !isCreatingIn(layer))
        return;
    const QPointF p = snappedPoint(*owner, point, event);
    if (QLineF(p, m_anchor).length() * viewScale(event) >= kMinimumDragDistance)
        m_dragged = true;
    withoutUndo(*owner, [&] { shapeObject(*m_creating, m_anchor, p, event); });
    // The size read-out next to the mouse.
    if (PWDrawableObject::displaysSizeInfoWhenDragging() && event.view && event.view->widget()) {
        const QSizeF size = m_creating->logicalBounds().size();
        PWDrawing* drawing = owner->drawing();
        auto length = [&](double points) {
            return drawing ? QStringLiteral("%1 %2").arg(drawing->convertLength(points), 0, 'f', 2).arg(drawing->abbreviatedDrawingUnits())
                           : QString::number(points, 'f', 1);
        };
        RVInfoFloater* floater = RVInfoFloater::infoFloater();
        floater->setStringValue(QStringLiteral("%1 × %2").arg(length(size.width()), length(size.height())));
        floater->positionNearPoint(event.view->convertFromDrawing(point), event.view->widget());
        floater->show();
    }
}

bool PWObjectCreationTool::mouseUpAtPoint(const QPointF& point, int, PWLayer* layer, const PWToolEvent& event,
                                          PWToolUndoDelegate* delegate)
{
    auto* owner = dynamic_cast<PWObjectOwnerLayer*>(layer);
    RVInfoFloater::hideInfoFloater();
    if (m_pickingUp) {
        m_pickingUp = false;
        return false;
    }
    if (!owner || !isCreatingIn(layer)) {
        abandonCreation();
        return false;
    }
    pf::Ref<PWDrawableObject> object = m_creating;
    const QPointF p = snappedPoint(*owner, point, event);
    if (QLineF(p, m_anchor).length() * viewScale(event) >= kMinimumDragDistance)
        m_dragged = true;
    bool keep = false;
    withoutUndo(*owner, [&] {
        if (m_dragged)
            shapeObject(*object, m_anchor, p, event);
        keep = finishObject(*object, m_dragged, event) && object->objectIsValid();
    });
    if (!keep) {
        abandonCreation();
        return false;
    }
    commitObjectBeingCreated(*owner, delegate);
    didCreateObject(*object, event);
    return true;
}

pf::Ref<PWDrawableObject> PWObjectCreationTool::beginPendingObject(PWObjectOwnerLayer& layer)
{
    abandonCreation();
    pf::Ref<PWDrawableObject> object = objectFromPrototype();
    if (!object)
        return nullptr;
    if (pf::Ref<PWStyle> s = style())
        object->setStyle(s);
    layer.addObjectPendingCreation(object);
    m_creating = object;
    m_creatingLayer = std::static_pointer_cast<PWLayer>(layer.shared_from_this());
    return object;
}

bool PWObjectCreationTool::isCreatingIn(const PWLayer* layer) const
{
    return m_creating && layer && m_creatingLayer.lock().get() == layer;
}

bool PWObjectCreationTool::commitObjectBeingCreated(PWObjectOwnerLayer& layer, PWToolUndoDelegate* delegate)
{
    if (!isCreatingIn(&layer) || layer.pendingObject() != m_creating) {
        abandonCreation();
        return false;
    }
    pf::Ref<PWDrawableObject> object = m_creating;
    if (delegate)
        delegate->toolWillPerformUndoableAction(*this);
    layer.commitPendingObjectWithUndoActionName(actionName());
    layer.replaceSelectionWithObject(object);
    m_creating.reset();
    m_creatingLayer.reset();
    if (delegate)
        delegate->toolDidPerformUndoableAction(*this);
    return true;
}

void PWObjectCreationTool::toolControllerWillUnsetTool(PWToolController&)
{
    abandonCreation();
}

void PWObjectCreationTool::shapeObject(PWDrawableObject& object, const QPointF& anchor, const QPointF& point,
                                       const PWToolEvent& event) const
{
    auto* centred = dynamic_cast<PWCentredPath*>(&object);
    const auto* polygon = dynamic_cast<PWRegularPolygonPath*>(&object);
    const bool fromCorner = polygon && polygon->pathCreationMode() == PWRegularPolygonPath::kCreateFromCorner;

    if (m_mode == CreationMode::kCentreCreation && !fromCorner) {
        const QPointF d = point - anchor;
        const double radius = std::hypot(d.x(), d.y());
        const double angle = radius > 0.0 ? dragAngle(d, event.shiftKey()) : object.angle();
        if (centred) {
            centred->setLocation(anchor);
            if (radius > 0.0)
                centred->setRadius(radius);
            centred->setAngle(angle);
        } else {
            object.setSize(QSizeF(2.0 * radius, 2.0 * radius));
            object.setAngle(angle);
            object.setLocation(anchor);
        }
        return;
    }

    QPointF d = point - anchor;
    if (event.shiftKey()) {
        const double side = std::max(std::abs(d.x()), std::abs(d.y()));
        d = QPointF(std::copysign(side, d.x()), std::copysign(side, d.y()));
    }
    const QRectF box = event.optionKey() ? QRectF(anchor - d, anchor + d).normalized()
                                         : QRectF(anchor, anchor + d).normalized();
    if (centred) {
        centred->setLocation(box.center());
        const double radius = std::min(box.width(), box.height()) / 2.0;
        if (radius > 0.0)
            centred->setRadius(radius);
        return;
    }
    object.setAngle(0.0);
    object.setSize(box.size());
    // The location is the point the object is placed by: the box's centre moved by the offset.
    const QPointF offset = object.offset();
    object.setLocation(box.center() + QPointF(offset.x() * box.width(), offset.y() * box.height()));
}

bool PWObjectCreationTool::finishObject(PWDrawableObject&, bool dragged, const PWToolEvent&)
{
    return dragged;
}

QVariantMap PWObjectCreationTool::toolSettings() const
{
    QVariantMap settings = PWDrawingTool::toolSettings();
    if (m_style) {
        const QByteArray data = pf::KeyedArchiver::archivedData(m_style);
        if (!data.isEmpty())
            settings.insert(kStyleSettingKey, data);
    }
    return settings;
}

void PWObjectCreationTool::applyToolSettings(const QVariantMap& settings)
{
    PWDrawingTool::applyToolSettings(settings);
    const QVariant stored = settings.value(kStyleSettingKey);
    if (stored.typeId() != QMetaType::QByteArray)
        return;
    pf::Error error;
    if (pf::Ref<PWStyle> restored = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWStyle>(stored.toByteArray(), &error))
        m_style = restored;
}
