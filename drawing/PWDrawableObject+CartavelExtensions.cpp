#include "drawing/PWDrawableObject+CartavelExtensions.h"

#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "platform/foundation/Class.h"
#include "platform/graphics/BezierPath.h"

#include <QLineF>

#include <algorithm>
#include <cmath>

namespace {

double distanceToSegment(const QPointF& point, const QPointF& from, const QPointF& to)
{
    const QPointF along = to - from;
    const double lengthSquared = QPointF::dotProduct(along, along);
    if (lengthSquared <= 0.0)
        return QLineF(point, from).length();
    const double t = std::clamp(QPointF::dotProduct(point - from, along) / lengthSquared, 0.0, 1.0);
    return QLineF(point, from + t * along).length();
}

} // namespace

void PWDrawableObjectCartavelExtensions::install()
{
    pf::Class& drawable = PWDrawableObject::staticClass();
    drawable.addClassMethod(QStringLiteral("canBeConvertedToSymbol"),
                            [](const pf::Class&, const QVariantList&) { return QVariant(true); });
    drawable.addMethod(QStringLiteral("canBeConvertedToSymbol"), [](pf::Reflective& self, const QVariantList&) {
        return self.objClass().performClassMethod(QStringLiteral("canBeConvertedToSymbol"));
    });
    drawable.addMethod(QStringLiteral("isWithinDistance:ofPoint:"), [](pf::Reflective& self, const QVariantList& args) {
        return QVariant(isWithinDistance(static_cast<PWDrawableObject&>(self), args.value(0).toDouble(),
                                         args.value(1).toPointF()));
    });
    drawable.addMethod(QStringLiteral("recompose"), [](pf::Reflective&, const QVariantList&) { return QVariant(); });
    // Ordinary drawables have no grid reference.
    drawable.addMethod(QStringLiteral("locationAsGridReferenceWithPrecision:"),
                       [](pf::Reflective&, const QVariantList&) { return QVariant(); });
    drawable.addMethod(QStringLiteral("locationAsGridReference"), [](pf::Reflective& self, const QVariantList&) {
        return self.perform(QStringLiteral("locationAsGridReferenceWithPrecision:"), {6});
    });
    drawable.addMethod(QStringLiteral("locationAsGridReferenceString"), [](pf::Reflective& self, const QVariantList&) {
        const QVariant reference = self.perform(QStringLiteral("locationAsGridReference"));
        if (pf::Ref<pf::Object> object = pf::objectFromVariant(reference); object && object->respondsTo("string"))
            return object->perform(QStringLiteral("string"));
        return reference.isValid() ? QVariant(reference.toString()) : QVariant();
    });

    pf::Class& path = PWDrawablePath::staticClass();
    path.addMethod(QStringLiteral("isWithinDistance:ofPoint:"), [](pf::Reflective& self, const QVariantList& args) {
        return QVariant(isWithinDistance(static_cast<PWDrawablePath&>(self), args.value(0).toDouble(),
                                         args.value(1).toPointF()));
    });
    path.addMethod(QStringLiteral("convertToTrack:"), [](pf::Reflective&, const QVariantList&) { return QVariant(); });
    path.addMethod(QStringLiteral("canConvertToTrack"), [](pf::Reflective&, const QVariantList&) { return QVariant(false); });
}

bool PWDrawableObjectCartavelExtensions::isWithinDistance(const PWDrawableObject& object, double distance,
                                                          const QPointF& point)
{
    return QLineF(object.location(), point).length() <= distance;
}

bool PWDrawableObjectCartavelExtensions::isWithinDistance(const PWDrawablePath& path, double distance,
                                                          const QPointF& point)
{
    if (!std::isfinite(distance) || distance < 0.0)
        return false;
    const pf::Ref<pf::BezierPath> shape = path.path();
    const QRectF near(point.x() - distance, point.y() - distance, 2 * distance, 2 * distance);
    const QRectF bounds = shape->bounds();
    // A straight path has bounds without area: widen by nothing, compare edges inclusively.
    if (bounds.right() < near.left() || bounds.left() > near.right() || bounds.bottom() < near.top() ||
        bounds.top() > near.bottom())
        return false;
    // The model's path stays as it is: the flattening is done on a copy.
    const pf::Ref<pf::BezierPath> flat = shape->flattened(kDistanceFlatness);
    QPointF start;
    QPointF current;
    bool hasCurrent = false;
    for (const pf::BezierPath::Element& element : flat->elements()) {
        switch (element.type) {
        case pf::BezierPath::ElementType::MoveTo:
            start = current = element.points[0];
            hasCurrent = true;
            if (QLineF(point, current).length() <= distance)
                return true;
            break;
        case pf::BezierPath::ElementType::LineTo:
        case pf::BezierPath::ElementType::CurveTo: {
            const QPointF end = element.pointCount() == 3 ? element.points[2] : element.points[0];
            if (hasCurrent && distanceToSegment(point, current, end) <= distance)
                return true;
            current = end;
            hasCurrent = true;
            break;
        }
        case pf::BezierPath::ElementType::ClosePath:
            if (hasCurrent && distanceToSegment(point, current, start) <= distance)
                return true;
            current = start;
            break;
        }
    }
    return false;
}
