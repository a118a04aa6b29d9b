#include "platform/ui/ProgressIndicator.h"

#include "platform/graphics/SystemColor.h"
#include "platform/ui/Cell.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionProgressBar>
#include <QThread>

#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::ProgressIndicator, pf::View, "pf::ProgressIndicator")
{
    b.property("doubleValue", &pf::ProgressIndicator::doubleValue, &pf::ProgressIndicator::setDoubleValue);
    b.property("minValue", &pf::ProgressIndicator::minValue, &pf::ProgressIndicator::setMinValue);
    b.property("maxValue", &pf::ProgressIndicator::maxValue, &pf::ProgressIndicator::setMaxValue);
    b.property("indeterminate", &pf::ProgressIndicator::isIndeterminate, &pf::ProgressIndicator::setIndeterminate);
    b.method("startAnimation:", &pf::ProgressIndicator::startAnimation);
    b.method("stopAnimation:", &pf::ProgressIndicator::stopAnimation);
}

namespace pf {

namespace {

constexpr int kFrameMilliseconds = 50;
constexpr int kSpokes = 12;

} // namespace

ProgressIndicator::ProgressIndicator(QWidget* parent)
    : View(parent)
{
    m_timer.setInterval(kFrameMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_phase = (m_phase + 1) % 1000;
        setNeedsDisplay(true);
    });
}

void ProgressIndicator::setStyle(ProgressIndicatorStyle style) { m_style = style; setNeedsDisplay(true); }
void ProgressIndicator::setIndeterminate(bool indeterminate) { m_indeterminate = indeterminate; setNeedsDisplay(true); }
void ProgressIndicator::setMinValue(double value) { m_min = value; setDoubleValue(m_value); }
void ProgressIndicator::setMaxValue(double value) { m_max = value; setDoubleValue(m_value); }

void ProgressIndicator::setDoubleValue(double value)
{
    if (QThread::currentThread() != thread()) {
        QPointer<ProgressIndicator> self(this);
        QMetaObject::invokeMethod(qApp, [self, value] {
            if (self)
                self->setDoubleValue(value);
        }, Qt::QueuedConnection);
        return;
    }
    if (!std::isfinite(value))
        value = m_min;
    m_value = m_max > m_min ? std::clamp(value, m_min, m_max) : m_min;
    setNeedsDisplay(true);
}

void ProgressIndicator::incrementBy(double delta)
{
    if (QThread::currentThread() != thread()) {
        QPointer<ProgressIndicator> self(this);
        QMetaObject::invokeMethod(qApp, [self, delta] {
            if (self)
                self->incrementBy(delta);
        }, Qt::QueuedConnection);
        return;
    }
    setDoubleValue(m_value + delta);
}

double ProgressIndicator::fraction() const
{
    return m_max > m_min ? (m_value - m_min) / (m_max - m_min) : 0.0;
}

void ProgressIndicator::setDisplayedWhenStopped(bool displayed) { m_displayedWhenStopped = displayed; setNeedsDisplay(true); }

void ProgressIndicator::startAnimation(const QVariant&)
{
    if (!m_timer.isActive())
        m_timer.start();
    setNeedsDisplay(true);
}

void ProgressIndicator::stopAnimation(const QVariant&)
{
    m_timer.stop();
    setNeedsDisplay(true);
}

void ProgressIndicator::drawRect(const QRectF&)
{
    const bool animating = isAnimating();
    if (m_indeterminate && !animating && !m_displayedWhenStopped)
        return;
    const int phase = m_phase;
    if (m_style == ProgressIndicatorStyle::Spinning) {
        if (!animating && !m_displayedWhenStopped)
            return;
        const QColor colour = SystemColor::controlText().qColor();
        Cell::drawUpright(bounds(), [&](QPainter& painter, const QRectF& rect) {
            painter.setRenderHint(QPainter::Antialiasing);
            const double radius = std::min(rect.width(), rect.height()) / 2;
            painter.translate(rect.center());
            for (int i = 0; i < kSpokes; ++i) {
                QColor spoke = colour;
                spoke.setAlphaF(animating ? 0.15 + 0.85 * ((i + phase) % kSpokes) / double(kSpokes - 1) : 0.3);
                painter.setPen(QPen(spoke, std::max(1.0, radius / 6), Qt::SolidLine, Qt::RoundCap));
                painter.drawLine(QPointF(0, -radius * 0.45), QPointF(0, -radius * 0.9));
                painter.rotate(360.0 / kSpokes);
            }
        });
        return;
    }
    const double filled = fraction();
    const bool indeterminate = m_indeterminate;
    Cell::drawUpright(bounds(), [&](QPainter& painter, const QRectF& rect) {
        QStyleOptionProgressBar option;
        option.initFrom(this);
        option.rect = rect.toAlignedRect();
        option.minimum = 0;
        option.maximum = 1000;
        option.progress = indeterminate ? 0 : int(std::lround(filled * 1000));
        option.state |= QStyle::State_Horizontal;
        QWidget::style()->drawControl(QStyle::CE_ProgressBarGroove, &option, &painter, this);
        if (!indeterminate) {
            QWidget::style()->drawControl(QStyle::CE_ProgressBarContents, &option, &painter, this);
            return;
        }
        if (!animating)
            return;
        // A block sweeping along the bar.
        const double block = rect.width() / 4;
        const double x = std::fmod(phase * rect.width() / 40.0, rect.width() + block) - block;
        painter.fillRect(QRectF(x, rect.y() + 2, block, rect.height() - 4).intersected(rect.adjusted(2, 2, -2, -2)),
                         SystemColor::currentControlTint().brush());
    });
}

} // namespace pf
