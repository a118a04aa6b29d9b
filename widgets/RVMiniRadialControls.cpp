#include "widgets/RVMiniRadialControls.h"

#include "widgets/BezierPath+RVAdditions.h"
#include "widgets/RVMiniControlCluster.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"

#include <QLineF>

#include <cmath>

PF_DEFINE_CLASS(RVMiniRadialControls, RVMiniControl) {}

RVMiniRadialControls::RVMiniRadialControls(const QRectF& bounds) : RVMiniControl(bounds), m_centre(bounds.center()) {}

void RVMiniRadialControls::setCentre(QPointF centre)
{
    if (centre == m_centre)
        return;
    setNeedsDisplayInRect(rectForRadius().united(targetRect()));
    notifyDelegateWillChange({});
    m_centre = centre;
    notifyDelegateDidChange({});
    setNeedsDisplayInRect(rectForRadius().united(targetRect()));
}

void RVMiniRadialControls::setRadius(double radius)
{
    if (radius == m_radius || std::isnan(radius))
        return;
    notifyDelegateWillChange({});
    m_radius = radius;
    notifyDelegateDidChange({});
    setNeedsDisplay();
}

QRectF RVMiniRadialControls::targetRect() const
{
    return QRectF(m_centre - QPointF(10, 10), QSizeF(20, 20));
}

QRectF RVMiniRadialControls::rectForRadius() const
{
    return QRectF(targetRect().center() - QPointF(12.5, 12.5), QSizeF(25, 25));
}

qint64 RVMiniRadialControls::hitTestPoint(QPointF point)
{
    if (!bounds().contains(point))
        return kPartNone;
    if (targetRect().contains(point))
        return kPartTarget;
    // The circle is the radius handle: without a hit part of its own it could never be dragged.
    const double distance = QLineF(targetRect().center(), point).length();
    if (m_radius > 0 && std::abs(distance - m_radius) <= kRadiusHitTolerance)
        return kPartRadius;
    return kPartNone;
}

bool RVMiniRadialControls::mouseDraggedAt(QPointF point, qint64 part, unsigned modifierFlags)
{
    Q_UNUSED(modifierFlags)
    if (part == kPartRadius)
        setRadius(float(QLineF(targetRect().center(), point).length()));
    else if (part == kPartTarget)
        setCentre(point);
    return true;
}

void RVMiniRadialControls::draw()
{
    drawRadControlInRect(targetRect(), m_radius, value());
}

void RVMiniRadialControls::drawRadControlInRect(const QRectF& rect, double radius, double colorValue) const
{
    Q_UNUSED(colorValue)
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    auto target = bezierPathWithTargetInRect(rect);
    const pf::Color grey = pf::Color::rgbGrey(0.5);
    context->setFillColour(grey);
    context->fillPath(*target);
    target->setLineWidth(0.7);
    context->setStrokeColour(grey.contrastingColor());
    context->strokePath(*target);
    if (radius > 0) {
        const QPointF centre = rect.center();
        auto circle = pf::BezierPath::pathWithOval(QRectF(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)));
        circle->setLineWidth(5);
        context->setStrokeColour(pf::Color::white().colorWithAlphaComponent(0.25));
        context->strokePath(*circle);
        circle->setLineWidth(1);
        circle->setLineDash({5, 5}, 0);
        context->setStrokeColour(pf::Color::orange());
        context->strokePath(*circle);
    }
}
