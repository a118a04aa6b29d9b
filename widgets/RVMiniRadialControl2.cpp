#include "widgets/RVMiniRadialControl2.h"

#include "widgets/BezierPath+RVAdditions.h"
#include "widgets/RVMiniControlCluster.h"
#include "widgets/RVMiniControlDelegate.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(RVMiniRadialControl2, RVMiniControl) {}

namespace {

constexpr float kQuarterPi = float(M_PI / 4);

} // namespace

RVMiniRadialControl2::RVMiniRadialControl2(const QRectF& bounds)
    : RVMiniControl(bounds), m_centre(bounds.center()), m_tabAngle(-kQuarterPi)
{
    setMaxValue(60.0);
    setInfoWindowMode(kInfoWindowNearPoint);
}

RVMiniRadialControl2::~RVMiniRadialControl2() = default;

void RVMiniRadialControl2::setBounds(const QRectF& bounds)
{
    RVMiniControl::setBounds(bounds);
    setRingRadius(float(std::min(bounds.width(), bounds.height()) / 6.0));
}

float RVMiniRadialControl2::ringWidth() const
{
    return std::max(ringRadius() / 3.5f, 8.0f);
}

// Everything the control draws, for redisplay: the ring, the tab and the tab's knob.
static QRectF drawnArea(QPointF centre, float ringRadius, float width)
{
    const double reach = ringRadius + 1.3 * (width + 5) + 0.58 * (width + 5) + 2;
    return QRectF(centre - QPointF(reach, reach), QSizeF(2 * reach, 2 * reach));
}

void RVMiniRadialControl2::setCentre(QPointF centre)
{
    if (centre == m_centre || isNotifying())
        return;
    setNeedsDisplayInRect(drawnArea(m_centre, ringRadius(), ringWidth()));
    notifyDelegateWillChange({});
    m_centre = centre;
    notifyDelegateDidChange({});
    if (RVMiniControlDelegate* target = delegate())
        whileNotifying([&] { target->radialControlDidChangeCentre(this, m_centre); });
    setNeedsDisplayInRect(drawnArea(m_centre, ringRadius(), ringWidth()));
}

float RVMiniRadialControl2::tabAngleForRadius(float radius) const
{
    const float angle = float(radius / (maxValue() * M_PI)) - kQuarterPi;
    return std::clamp(angle, -kQuarterPi, kQuarterPi);
}

void RVMiniRadialControl2::setRadius(float radius)
{
    if (radius == m_radius || isNotifying())
        return;
    notifyDelegateWillChange({});
    m_radius = radius;
    notifyDelegateDidChange({});
    if (RVMiniControlDelegate* target = delegate())
        whileNotifying([&] { target->radialControlDidChangeRadius(this, m_radius); });
    // The tab follows the radius; it stops at its end marks and leaves the radius as set
    // (going through setTabAngle would turn the clamped angle back into a second radius).
    if (!m_irisDilating)
        m_tabAngle = tabAngleForRadius(radius);
    setNeedsDisplayInRect(drawnArea(m_centre, ringRadius(), ringWidth()));
}

void RVMiniRadialControl2::setTabAngle(float angle)
{
    if (m_irisDilating || std::isnan(angle))
        return;
    angle = std::clamp(angle, -kQuarterPi, kQuarterPi);
    if (angle == m_tabAngle)
        return;
    m_tabAngle = angle;
    setNeedsDisplayInRect(drawnArea(m_centre, ringRadius(), ringWidth()));
    m_irisDilating = true;
    setRadius(float(maxValue() * (angle + kQuarterPi) * M_PI));
    m_irisDilating = false;
}

void RVMiniRadialControl2::setRingRadius(float radius)
{
    m_ringRadius = radius;
    invalidatePathCache();
    setNeedsDisplay();
}

void RVMiniRadialControl2::setRingRadiusScale(float scale)
{
    m_ringScale = scale;
    // The cached paths are built at the scaled radius.
    invalidatePathCache();
    setNeedsDisplay();
}

pf::Color RVMiniRadialControl2::tabColor() const
{
    return m_tabColour.colorWithAlphaComponent(m_tabColour.alphaComponent() * clusterAlpha());
}

void RVMiniRadialControl2::setTabColor(const pf::Color& colour)
{
    m_tabColour = colour;
    setNeedsDisplayInRect(drawnArea(m_centre, ringRadius(), ringWidth()));
}

pf::Ref<pf::BezierPath> RVMiniRadialControl2::placed(const pf::BezierPath& path) const
{
    QTransform transform;
    transform.translate(m_centre.x(), m_centre.y());
    transform.rotateRadians(m_tabAngle);
    return path.transformed(transform);
}

pf::Ref<pf::BezierPath> RVMiniRadialControl2::irisPath()
{
    if (!m_iris) {
        const float w = ringWidth();
        m_iris = bezierPathWithIrisRingWithRadius(ringRadius(), w, QSizeF(1.5 * w, 1.5 * w));
    }
    return placed(*m_iris);
}

pf::Ref<pf::BezierPath> RVMiniRadialControl2::tabPath()
{
    if (!m_tab) {
        const float w = ringWidth() + 5;
        m_tab = bezierPathWithIrisTabWithRadius(ringRadius(), w, QSizeF(0.67 * w, 0.67 * w));
    }
    return placed(*m_tab);
}

pf::Ref<pf::BezierPath> RVMiniRadialControl2::hitTabPath()
{
    if (!m_hitTab) {
        const float w = ringWidth() + 5;
        m_hitTab = bezierPathWithIrisTabWithRadius(ringRadius(), w, QSizeF(1.5 * w, 1.5 * w));
    }
    return placed(*m_hitTab);
}

void RVMiniRadialControl2::invalidatePathCache()
{
    m_iris.reset();
    m_tab.reset();
    m_hitTab.reset();
}

QPointF RVMiniRadialControl2::trackPointForAngle(float degrees) const
{
    const double a = qDegreesToRadians(double(degrees));
    const double rr = ringRadius();
    return m_centre + QPointF(rr * std::cos(a), rr * std::sin(a));
}

qint64 RVMiniRadialControl2::hitTestPoint(QPointF point)
{
    if (!bounds().contains(point))
        return kPartNone;
    if (hitTabPath()->containsPoint(point))
        return kPartTab;
    if (irisPath()->containsPoint(point))
        return kPartIris;
    return kPartNone;
}

bool RVMiniRadialControl2::mouseDownAt(QPointF point, qint64 part, unsigned modifierFlags)
{
    Q_UNUSED(modifierFlags)
    if (part == kPartTab) {
        setupInfoWindowAtPoint(tabPath()->bounds().topLeft(), m_radius, QStringLiteral("0.0"));
    } else if (part == kPartIris) {
        const QPointF offset = point - m_centre;
        m_offset = QSizeF(offset.x(), offset.y());
    } else {
        return false;
    }
    m_hilite = true;
    setNeedsDisplayInRect(drawnArea(m_centre, ringRadius(), ringWidth()));
    return true;
}

bool RVMiniRadialControl2::mouseDraggedAt(QPointF point, qint64 part, unsigned modifierFlags)
{
    Q_UNUSED(modifierFlags)
    if (part == kPartTab) {
        setTabAngle(float(std::atan2(point.y() - m_centre.y(), point.x() - m_centre.x())));
        updateInfoWindowAtPoint(tabPath()->bounds().topLeft(), m_radius);
    } else if (part == kPartIris) {
        setCentre(point - QPointF(m_offset.width(), m_offset.height()));
    }
    return true;
}

void RVMiniRadialControl2::mouseUpAt(QPointF point, qint64 part, unsigned modifierFlags)
{
    m_hilite = false;
    setNeedsDisplayInRect(drawnArea(m_centre, ringRadius(), ringWidth()));
    RVMiniControl::mouseUpAt(point, part, modifierFlags);
}

void RVMiniRadialControl2::draw()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    const float w = ringWidth();
    {
        pf::GraphicsStateSaver saved(context);
        auto iris = irisPath();
        const pf::Color fill = themeColour(4);
        context->setFillColour(m_hilite ? fill.shadowWithLevel(0.33) : fill);
        context->fillPath(*iris);
        iris->setLineWidth(0.5);
        context->setStrokeColour(pf::Color::darkGrey());
        context->strokePath(*iris);
        context->setFillColour(themeColour(2));
        for (const float end : {-45.0f, 45.0f}) {
            const QPointF mark = trackPointForAngle(end);
            context->fillPath(*pf::BezierPath::pathWithOval(QRectF(mark - QPointF(2, 2), QSizeF(4, 4))));
        }
    }
    const double diameter = 0.58 * (w + 5);
    const double distance = ringRadius() + 1.3 * (w + 5);
    const QPointF knob = m_centre + QPointF(distance * std::cos(m_tabAngle), distance * std::sin(m_tabAngle));
    context->setFillColour(tabColor());
    context->fillPath(*pf::BezierPath::pathWithOval(
        QRectF(knob - QPointF(0.5 * diameter, 0.5 * diameter), QSizeF(diameter, diameter))));
}
