#include "widgets/BezierPath+CappedBoxes.h"

pf::Ref<pf::BezierPath> bezierPathWithCappedBoxInRect(const QRectF& rect)
{
    const double r = float(rect.height() / 2);
    const double left = rect.x() + r;
    const double right = rect.x() + rect.width() - r;
    const double top = rect.y() + rect.height();
    const double middle = (top + rect.y()) / 2;
    auto path = pf::BezierPath::path();
    path->moveTo(QPointF(left, top));
    path->lineTo(QPointF(right, top));
    path->appendArc(QPointF(right, middle), r, 90, -90, true);
    path->lineTo(QPointF(right, rect.y()));
    path->lineTo(QPointF(left, rect.y()));
    path->appendArc(QPointF(left, middle), r, -90, 90, true);
    path->closePath();
    return path;
}
