#include "widgets/BezierPath+RoundRectangles.h"

#include <algorithm>

using pf::BezierPath;
using pf::Ref;

Ref<BezierPath> bezierPathWithRoundedRect(const QRectF& rect, double cornerRadius, int cornerOptions)
{
    const int corners = cornerOptions & kRoundAllCorners;
    // Clamped as the plain rounded rectangle is, so the arcs never cross each other.
    double c = std::min(cornerRadius, rect.width() / 2);
    c = std::min(c, rect.height() / 2);
    if (corners == 0 || !(c > 0))
        return BezierPath::pathWithRect(rect);
    if (corners == kRoundAllCorners)
        return BezierPath::pathWithRoundedRect(rect, c, c);

    const double x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    const QRectF i = rect.adjusted(c, c, -c, -c);
    auto path = BezierPath::path();
    if (corners & kRoundMinXMinYCorner)
        path->appendArc(QPointF(i.left(), i.top()), c, 180, -90);
    else
        path->moveTo(QPointF(x, y));
    if (corners & kRoundMaxXMinYCorner)
        path->appendArc(QPointF(i.right(), i.top()), c, -90, 0);
    else
        path->lineTo(QPointF(x + w, y));
    if (corners & kRoundMaxXMaxYCorner)
        path->appendArc(QPointF(i.right(), i.bottom()), c, 0, 90);
    else
        path->lineTo(QPointF(x + w, y + h));
    if (corners & kRoundMinXMaxYCorner)
        path->appendArc(QPointF(i.left(), i.bottom()), c, 90, 180);
    else
        path->lineTo(QPointF(x, y + h));
    path->closePath();
    return path;
}
