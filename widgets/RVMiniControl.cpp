#include "widgets/RVMiniControl.h"

#include "widgets/RVMiniControlCluster.h"
#include "widgets/RVMiniControlDelegate.h"

#include "frameworks/penwork/support/RVInfoFloater.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Shadow.h"
#include "platform/ui/View.h"

#include <cmath>

PF_DEFINE_CLASS(RVMiniControl, pf::Object) {}

RVMiniControl::RVMiniControl(const QRectF& bounds) : m_bounds(bounds), m_infoWin(RVInfoFloater::infoFloater()) {}

RVMiniControl::~RVMiniControl() = default;

pf::Color RVMiniControl::miniControlThemeColor(int index, double alpha)
{
    switch (index) {
    case 0:
        return pf::Color::lightGrey().colorWithAlphaComponent(alpha * 0.33);
    case 1:
        return pf::Color::darkGrey().colorWithAlphaComponent(alpha);
    case 2:
        return pf::Color::grey().colorWithAlphaComponent(alpha * 0.5);
    case 3:
        return pf::Color::white().colorWithAlphaComponent(alpha * 0.67);
    case 4:
        return pf::Color::lightGrey().colorWithAlphaComponent(alpha * 0.33);
    case 5:
        return pf::Color::lightGrey().colorWithAlphaComponent(alpha * 0.67);
    default:
        return {};
    }
}

double RVMiniControl::clusterAlpha() const
{
    return m_cluster ? m_cluster->alpha() : 1.0;
}

pf::Color RVMiniControl::themeColour(int index) const
{
    return miniControlThemeColor(index, clusterAlpha());
}

pf::View* RVMiniControl::view() const
{
    return m_cluster ? m_cluster->view() : nullptr;
}

void RVMiniControl::applyShadow() const
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!m_applyShadow || !context)
        return;
    pf::Shadow shadow;
    shadow.setShadowColor(pf::Color::black());
    shadow.setShadowOffset(QSizeF(2.0, -2.0));
    shadow.setShadowBlurRadius(1.0);
    context->setShadow(shadow);
}

void RVMiniControl::setNeedsDisplay()
{
    setNeedsDisplayInRect(bounds());
}

void RVMiniControl::setNeedsDisplayInRect(const QRectF& rect)
{
    if (pf::View* host = view())
        host->setNeedsDisplayInRect(rect);
    else if (RVMiniControlDelegate* target = delegate())
        target->setNeedsDisplayInRect(rect);
}

qint64 RVMiniControl::hitTestPoint(QPointF point)
{
    return bounds().contains(point) ? kPartWhole : kPartNone;
}

bool RVMiniControl::mouseDownAt(QPointF point, qint64 part, unsigned modifierFlags)
{
    Q_UNUSED(modifierFlags)
    if (part == kPartNone)
        return false;
    setupInfoWindowAtPoint(point, value());
    return true;
}

bool RVMiniControl::mouseDraggedAt(QPointF point, qint64 part, unsigned modifierFlags)
{
    Q_UNUSED(part)
    Q_UNUSED(modifierFlags)
    updateInfoWindowAtPoint(point, value());
    return true;
}

void RVMiniControl::mouseUpAt(QPointF point, qint64 part, unsigned modifierFlags)
{
    Q_UNUSED(point)
    Q_UNUSED(part)
    Q_UNUSED(modifierFlags)
    hideInfoWindow();
}

void RVMiniControl::setupInfoWindowAtPoint(QPointF point, double value, const QString& format)
{
    if (m_infoWMode == kInfoWindowNone)
        return;
    if (!m_infoWin)
        m_infoWin = RVInfoFloater::infoFloater();
    if (!format.isEmpty())
        m_infoWin->setFormat(format);
    updateInfoWindowAtPoint(point, value);
    m_infoWin->show();
}

void RVMiniControl::updateInfoWindowAtPoint(QPointF point, double value)
{
    if (!m_infoWin)
        return;
    double shown = value;
    if (RVMiniControlDelegate* target = delegate())
        shown = target->miniControlWillUpdateInfoWindow(this, value);
    m_infoWin->setFloatValue(float(shown));
    if (m_infoWMode == kInfoWindowNearPoint) {
        positionInfoWindow(point);
    } else if (m_infoWMode == kInfoWindowBelowControl) {
        const QRectF area = bounds();
        positionInfoWindow(QPointF(area.center().x() - 0.5 * m_infoWin->frame().width(), area.top() - 2.0));
    }
}

void RVMiniControl::positionInfoWindow(QPointF point)
{
    pf::View* host = view();
    if (!host || !m_infoWin)
        return;
    m_infoWin->positionNearPoint(host->boundsToWidgetTransform().map(point), host);
}

void RVMiniControl::hideInfoWindow()
{
    if (m_infoWin)
        m_infoWin->hide();
}

void RVMiniControl::setInfoWindowFormat(const QString& format)
{
    if (m_infoWin)
        m_infoWin->setFormat(format);
}

void RVMiniControl::setInfoWindowValue(double value)
{
    if (m_infoWin)
        m_infoWin->setFloatValue(float(value));
}

RVMiniControlDelegate* RVMiniControl::delegate() const
{
    if (m_delegate)
        return m_delegate;
    return m_cluster ? m_cluster->delegate() : nullptr;
}

void RVMiniControl::notifyDelegateWillChange(const QVariant& value)
{
    if (RVMiniControlDelegate* target = delegate())
        whileNotifying([&] { target->miniControlWillChangeValue(this, value); });
}

void RVMiniControl::notifyDelegateDidChange(const QVariant& value)
{
    if (RVMiniControlDelegate* target = delegate())
        whileNotifying([&] { target->miniControlDidChangeValue(this, value); });
}

void RVMiniControl::setIdentifier(const QString& identifier)
{
    m_ident = identifier;
    if (m_cluster)
        m_cluster->setControl(this, identifier);
}

void RVMiniControl::setValue(double value)
{
    // A value that is not a number has no place in the range.
    if (std::isnan(value))
        return;
    if (value < m_minValue)
        value = m_minValue;
    else if (value > m_maxValue)
        value = m_maxValue;
    if (value == m_value)
        return;
    notifyDelegateWillChange(QVariant(float(m_value)));
    m_value = value;
    notifyDelegateDidChange(QVariant(float(m_value)));
}

void RVMiniControl::setMaxValue(double value)
{
    m_maxValue = value;
    if (m_value > value)
        setValue(value);
}

void RVMiniControl::setMinValue(double value)
{
    m_minValue = value;
    if (value > m_value)
        setValue(value);
}
