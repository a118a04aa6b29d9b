#include "platform/ui/Control.h"

#include "platform/foundation/Variant.h"
#include "platform/ui/Application.h"
#include "platform/ui/ButtonCell.h"
#include "platform/ui/Event.h"

PF_DEFINE_CLASS_NAMED(pf::Control, pf::View, "pf::Control")
{
    b.property("objectValue", &pf::Control::objectValue, &pf::Control::setObjectValue);
    b.property("stringValue", &pf::Control::stringValue, &pf::Control::setStringValue);
    b.property("intValue", &pf::Control::intValue, &pf::Control::setIntValue);
    b.property("integerValue", &pf::Control::intValue, &pf::Control::setIntValue);
    b.property("doubleValue", &pf::Control::doubleValue, &pf::Control::setDoubleValue);
    b.property("floatValue", &pf::Control::doubleValue, &pf::Control::setDoubleValue);
    b.property("enabled", &pf::Control::isEnabled, &pf::Control::setEnabled);
    b.property("action", &pf::Control::action, &pf::Control::setAction);
    b.property("tag", &pf::Control::tag, &pf::Control::setTag);
    b.property("continuous", &pf::Control::isContinuous, &pf::Control::setContinuous);
    b.property(
        "toolTip", [](const pf::Control& control) { return QVariant(control.toolTip()); },
        [](pf::Control& control, const QVariant& value) { control.setToolTip(value.toString()); }, false);
    b.method("performClick:", &pf::Control::performClick);
}

namespace pf {

Control::Control(QWidget* parent)
    : Control(std::make_shared<ActionCell>(), parent)
{
}

Control::Control(const Ref<Cell>& cell, QWidget* parent)
    : View(parent)
    , m_cell(cell ? cell : std::make_shared<ActionCell>())
{
    adoptCell();
}

Control::~Control()
{
    if (m_cell && m_cell->controlView() == this)
        m_cell->setControlView(nullptr);
}

Control* Control::fromSender(const QVariant& sender)
{
    if (!sender.canConvert<QObject*>())
        return nullptr;
    return qobject_cast<Control*>(sender.value<QObject*>());
}

QVariant Control::senderValue() const
{
    return QVariant::fromValue<QWidget*>(const_cast<Control*>(this));
}

void Control::setCell(const Ref<Cell>& cell)
{
    if (!cell || cell == m_cell)
        return;
    if (m_cell && m_cell->controlView() == this)
        m_cell->setControlView(nullptr);
    m_cell = cell;
    adoptCell();
    setNeedsDisplay(true);
}

void Control::adoptCell()
{
    m_cell->setControlView(this);
    QWidget::setEnabled(m_cell->isEnabled());
}

ActionCell* Control::actionCell() const
{
    return dynamic_cast<ActionCell*>(m_cell.get());
}

// --- Target and action

QString Control::action() const
{
    ActionCell* cell = actionCell();
    return cell ? cell->action() : QString();
}

void Control::setAction(const QString& selector)
{
    if (ActionCell* cell = actionCell())
        cell->setAction(selector);
}

Reflective* Control::target() const
{
    ActionCell* cell = actionCell();
    return cell ? cell->target() : nullptr;
}

void Control::setTarget(Reflective* target)
{
    if (ActionCell* cell = actionCell())
        cell->setTarget(target);
}

bool Control::sendAction()
{
    return sendAction(action(), target());
}

bool Control::sendAction(const QString& action, Reflective* target)
{
    if (action.isEmpty())
        return false;
    // The receiver may delete the control; the sender value is made before.
    return Application::shared()->sendAction(action, target, senderValue());
}

// --- Value

void Control::setObjectValue(const QVariant& value)
{
    m_cell->setObjectValue(value);
    setNeedsDisplay(true);
}

void Control::setStringValue(const QString& text)
{
    m_cell->setStringValue(text);
    setNeedsDisplay(true);
}

void Control::setFormatter(std::shared_ptr<NumberFormatter> formatter)
{
    m_cell->setFormatter(std::move(formatter));
    setNeedsDisplay(true);
}

// --- Appearance

void Control::setEnabled(bool enabled)
{
    m_cell->setEnabled(enabled);
    QWidget::setEnabled(enabled);
    if (!enabled && m_tracking)
        cancelTracking();
    setNeedsDisplay(true);
}

void Control::highlight(bool highlighted)
{
    if (m_cell->isHighlighted() == highlighted)
        return;
    m_cell->setHighlighted(highlighted);
    setNeedsDisplay(true);
}

void Control::setControlSize(ControlSize size)
{
    m_cell->setControlSize(size);
    setNeedsDisplay(true);
}

void Control::setFont(const QFont& font)
{
    m_cell->setFont(font);
    QWidget::setFont(font);
    setNeedsDisplay(true);
}

void Control::setAlignment(Qt::Alignment alignment)
{
    m_cell->setAlignment(alignment);
    setNeedsDisplay(true);
}

void Control::sizeToFit()
{
    setFrameSize(m_cell->cellSizeForBounds(QRectF(QPointF(0, 0), frame().size())));
}

// --- Clicks

void Control::performClick(const QVariant&)
{
    if (!isEnabled())
        return;
    highlight(true);
    highlight(false);
    clickCompleted();
}

void Control::cancelTracking()
{
    if (!m_tracking)
        return;
    m_tracking = false;
    m_cell->stopTracking(m_lastPoint, m_lastPoint, this, false);
    highlight(false);
}

void Control::trackingEnded(bool inside)
{
    if (inside)
        clickCompleted();
}

void Control::clickCompleted()
{
    auto* button = dynamic_cast<ButtonCell*>(m_cell.get());
    if (button && button->changesStateOnClick()) {
        m_cell->setNextState();
        setNeedsDisplay(true);
    }
    sendAction();
}

void Control::drawRect(const QRectF&)
{
    m_cell->drawWithFrame(cellFrame(), this);
}

void Control::mouseDown(const Event& event)
{
    if (!isEnabled())
        return;
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    m_tracking = true;
    m_lastPoint = point;
    highlight(true);
    // Hold the cell: an action may replace it while tracking.
    Ref<Cell> cell = m_cell;
    if (!cell->startTrackingAt(point, this)) {
        cancelTracking();
        return;
    }
    if (!m_tracking)
        return;
    const QVariant before = cell->objectValue();
    trackPoint(point, true);
    if (isContinuous() && cell->objectValue() != before)
        sendAction();
}

void Control::mouseDragged(const Event& event)
{
    if (!m_tracking)
        return;
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    Ref<Cell> cell = m_cell;
    highlight(cellFrame().contains(point));
    if (!cell->continueTracking(m_lastPoint, point, this)) {
        cancelTracking();
        return;
    }
    m_lastPoint = point;
    const QVariant before = cell->objectValue();
    trackPoint(point, false);
    if (m_tracking && isContinuous() && cell->objectValue() != before)
        sendAction();
}

void Control::mouseUp(const Event& event)
{
    if (!m_tracking)
        return;
    m_tracking = false;
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    Ref<Cell> cell = m_cell;
    cell->stopTracking(m_lastPoint, point, this, true);
    highlight(false);
    trackingEnded(cellFrame().contains(point));
}

} // namespace pf
