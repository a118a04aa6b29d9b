#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/GraphicsContext.h"

#include <QtMath>

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
    if (!showingHighlighting || countOfSelection() == 0 || !context.isDrawingToScreen())
        return;
    if (!isActiveLayer() && !selectionIsShownWhenInactive())
        return;
    std::optional<pf::GraphicsContextScope> scope;
    if (pf::GraphicsContext::current() != &context)
        scope.emplace(context.painter(), context.isFlipped(), context.isDrawingToScreen());
    drawSelection(rect);
}
