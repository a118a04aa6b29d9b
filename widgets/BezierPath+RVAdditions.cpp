#include "widgets/BezierPath+RVAdditions.h"

#include <QTransform>

#include <algorithm>
#include <cmath>
#include <numbers>

using pf::BezierPath;
using pf::Ref;

namespace {

void appendCrosshair(BezierPath& path, const QRectF& r)
{
    path.moveTo(QPointF(r.x(), r.y() + r.height() / 2));
    path.lineTo(QPointF(r.x() + r.width(), r.y() + r.height() / 2));
    path.moveTo(QPointF(r.x() + r.width() / 2, r.y()));
    path.lineTo(QPointF(r.x() + r.width() / 2, r.y() + r.height()));
}

Ref<BezierPath> rotated(const Ref<BezierPath>& path, float angle)
{
    QTransform rotation;
    rotation.rotateRadians(angle);
    path->transform(rotation);
    return path;
}

} // namespace

Ref<BezierPath> bezierPathWithTargetInRect(const QRectF& rect)
{
    auto path = BezierPath::path();
    path->appendOval(rect.adjusted(rect.width() / 4, rect.height() / 4, -rect.width() / 4, -rect.height() / 4));
    appendCrosshair(*path, rect);
    return path;
}

Ref<BezierPath> bezierPathWithRoundEndedRectInRect(const QRectF& rect)
{
    const double x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    if (w == h)
        return BezierPath::pathWithOval(rect);
    const double c = float(std::min(w, h) * 0.5f);
    auto path = BezierPath::path();
    if (h > w) {
        path->moveTo(QPointF(x + w, y + c));
        path->appendArc(QPointF(x + c, y + h - c), c, 0, 180);
        path->appendArc(QPointF(x + c, y + c), c, 180, 0);
    } else {
        path->moveTo(QPointF(x + c, y));
        path->appendArc(QPointF(x + w - c, y + c), c, 270, 90);
        path->appendArc(QPointF(x + c, y + c), c, 90, 270);
    }
    path->closePath();
    return path;
}

Ref<BezierPath> roundRectInRect(const QRectF& rect, float radius)
{
    double c = std::min(double(radius), rect.width() / 2);
    c = std::min(c, rect.height() / 2);
    // NaN fails every comparison: treat it as no rounding rather than arcs of no radius.
    if (!(c > 0))
        return BezierPath::pathWithRect(rect);
    const QRectF i = rect.adjusted(c, c, -c, -c);
    auto path = BezierPath::path();
    path->moveTo(QPointF(rect.x(), rect.y() + c));
    path->appendArc(QPointF(i.left(), i.top()), c, 180, 270);
    path->appendArc(QPointF(i.right(), i.top()), c, 270, 360);
    path->appendArc(QPointF(i.right(), i.bottom()), c, 0, 90);
    path->appendArc(QPointF(i.left(), i.bottom()), c, 90, 180);
    path->closePath();
    return path;
}

Ref<BezierPath> bezierPathWithOffsetTargetInRect(const QRectF& rect, int offset)
{
    if (offset == 0)
        return bezierPathWithTargetInRect(rect);
    const double w = rect.width(), h = rect.height();
    const double left = offset == -1 ? rect.x() : rect.x() + w / 4;
    auto path = bezierPathWithRoundEndedRectInRect(QRectF(left, rect.y() + h / 4, 3 * w / 4, h / 2));
    appendCrosshair(*path, rect);
    return path;
}

Ref<BezierPath> bezierPathWithIrisRingWithRadius(float radius, float width, const QSizeF& tabSize)
{
    const float outer = radius + width / 2;
    const float halfTab = float(tabSize.height() / 2);
    const double a = std::atan2(halfTab, outer) * 180.0 / std::numbers::pi;

    auto path = BezierPath::path();
    path->setWindingRule(BezierPath::WindingRule::EvenOdd);
    path->appendArc(QPointF(0, 0), outer, -a, a, true);
    path->relativeLineTo(QPointF(tabSize.width(), 0));
    const QPointF p = path->currentPoint();
    path->appendArc(QPointF(p.x(), p.y() - halfTab), halfTab, 90, -90, true);
    path->relativeLineTo(QPointF(-tabSize.width(), 0));

    const float inner = radius - width / 2;
    path->moveTo(QPointF(inner, 0));
    path->appendArc(QPointF(0, 0), inner, 0, 360);
    return path;
}

Ref<BezierPath> bezierPathWithIrisRingWithRadius(float radius, float width, float tabAngle, const QSizeF& tabSize)
{
    return rotated(bezierPathWithIrisRingWithRadius(radius, width, tabSize), tabAngle);
}

Ref<BezierPath> bezierPathWithIrisTabWithRadius(float radius, float width, const QSizeF& tabSize)
{
    auto path = BezierPath::path();
    path->moveTo(QPointF(radius + width / 2, -tabSize.height() / 2));
    path->relativeLineTo(QPointF(tabSize.width(), 0));
    path->relativeLineTo(QPointF(0, tabSize.height()));
    path->relativeLineTo(QPointF(-tabSize.width(), 0));
    path->closePath();
    return path;
}

Ref<BezierPath> bezierPathWithIrisTabWithRadius(float radius, float width, float tabAngle, const QSizeF& tabSize)
{
    return rotated(bezierPathWithIrisTabWithRadius(radius, width, tabSize), tabAngle);
}
