#include "platform/ui/SegmentedControl.h"

#include "platform/graphics/Image.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/Event.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Responder.h"
#include "platform/ui/UserInterfaceItem.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionButton>
#include <QTimer>

PF_DEFINE_CLASS_NAMED(pf::SegmentedControl, pf::Control, "pf::SegmentedControl")
{
    b.property("selectedSegment", &pf::SegmentedControl::selectedSegment);
    b.property("segmentCount", &pf::SegmentedControl::segmentCount, &pf::SegmentedControl::setSegmentCount);
    b.method("selectSegmentWithTag:", &pf::SegmentedControl::selectSegmentWithTag);
}

namespace pf {

namespace {

// Seconds a press on a segment that also sends an action must be held for its menu.
constexpr double kSegmentMenuDelay = 0.5;

// One segment as the item a validator sees: the control's action, the segment's tag, and the
// control as sender; the validator's answer enables or disables the segment.
class SegmentItem : public UserInterfaceItem {
public:
    SegmentItem(SegmentedControl& control, int segment) : m_control(control), m_segment(segment) {}
    QString action() const override { return m_control.action(); }
    Reflective* target() const override { return m_control.target(); }
    int tag() const override { return m_control.tagForSegment(m_segment); }
    bool isEnabled() const override { return m_control.isEnabledForSegment(m_segment); }
    void setEnabled(bool enabled) override { m_control.setEnabled(enabled, m_segment); }
    QString title() const override { return m_control.labelForSegment(m_segment); }
    void setTitle(const QString& title) override { m_control.setLabel(title, m_segment); }
    ControlState state() const override
    {
        return m_control.isSelectedForSegment(m_segment) ? ControlState::On : ControlState::Off;
    }
    void setState(ControlState state) override { m_control.setSelected(state == ControlState::On, m_segment); }
    QVariant senderValue() const override { return m_control.senderValue(); }

private:
    SegmentedControl& m_control;
    int m_segment;
};

} // namespace

SegmentedControl::SegmentedControl(QWidget* parent)
    : Control(parent)
{
}

void SegmentedControl::setSegmentCount(int count)
{
    count = std::max(0, count);
    while (m_segments.size() > count)
        m_segments.removeLast();
    while (m_segments.size() < count)
        m_segments.append(Segment());
    if (!valid(m_selected))
        m_selected = -1;
    rebuildToolTips();
    setNeedsDisplay(true);
}

QString SegmentedControl::labelForSegment(int segment) const
{
    return valid(segment) ? m_segments.at(segment).label : QString();
}

void SegmentedControl::setLabel(const QString& label, int segment)
{
    if (!valid(segment))
        return;
    m_segments[segment].label = label;
    setNeedsDisplay(true);
}

Ref<Image> SegmentedControl::imageForSegment(int segment) const
{
    return valid(segment) ? m_segments.at(segment).image : nullptr;
}

void SegmentedControl::setImage(const Ref<Image>& image, int segment)
{
    if (!valid(segment))
        return;
    m_segments[segment].image = image;
    setNeedsDisplay(true);
}

double SegmentedControl::widthForSegment(int segment) const
{
    return valid(segment) ? m_segments.at(segment).width : 0;
}

void SegmentedControl::setWidth(double width, int segment)
{
    if (!valid(segment))
        return;
    m_segments[segment].width = std::max(0.0, width);
    rebuildToolTips();
    setNeedsDisplay(true);
}

QString SegmentedControl::toolTipForSegment(int segment) const
{
    return valid(segment) ? m_segments.at(segment).toolTip : QString();
}

void SegmentedControl::setToolTip(const QString& toolTip, int segment)
{
    if (!valid(segment))
        return;
    m_segments[segment].toolTip = toolTip;
    rebuildToolTips();
}

bool SegmentedControl::isEnabledForSegment(int segment) const
{
    return valid(segment) && m_segments.at(segment).enabled;
}

void SegmentedControl::setEnabled(bool enabled, int segment)
{
    if (!valid(segment) || m_segments.at(segment).enabled == enabled)
        return;
    m_segments[segment].enabled = enabled;
    setNeedsDisplay(true);
}

int SegmentedControl::tagForSegment(int segment) const
{
    return valid(segment) ? m_segments.at(segment).tag : 0;
}

void SegmentedControl::setTag(int tag, int segment)
{
    if (valid(segment))
        m_segments[segment].tag = tag;
}

Ref<Menu> SegmentedControl::menuForSegment(int segment) const
{
    return valid(segment) ? m_segments.at(segment).menu : nullptr;
}

void SegmentedControl::setMenu(const Ref<Menu>& menu, int segment)
{
    if (valid(segment))
        m_segments[segment].menu = menu;
}

bool SegmentedControl::setSelectedSegment(int segment)
{
    if (segment == -1) {
        for (Segment& s : m_segments)
            s.selected = false;
        m_selected = -1;
        setNeedsDisplay(true);
        return true;
    }
    if (!valid(segment))
        return false;
    if (m_tracking != SegmentSwitchTracking::SelectAny) {
        for (int i = 0; i < m_segments.size(); ++i)
            m_segments[i].selected = i == segment;
    } else {
        m_segments[segment].selected = true;
    }
    m_selected = segment;
    setNeedsDisplay(true);
    return true;
}

bool SegmentedControl::isSelectedForSegment(int segment) const
{
    return valid(segment) && m_segments.at(segment).selected;
}

void SegmentedControl::setSelected(bool selected, int segment)
{
    if (!valid(segment))
        return;
    if (selected) {
        setSelectedSegment(segment);
        return;
    }
    m_segments[segment].selected = false;
    if (m_selected == segment) {
        m_selected = -1;
        for (int i = m_segments.size() - 1; i >= 0 && m_selected < 0; --i) {
            if (m_segments.at(i).selected)
                m_selected = i;
        }
    }
    setNeedsDisplay(true);
}

bool SegmentedControl::selectSegmentWithTag(int tag)
{
    for (int i = 0; i < m_segments.size(); ++i) {
        if (m_segments.at(i).tag == tag)
            return setSelectedSegment(i);
    }
    return false;
}

void SegmentedControl::validateSegments()
{
    if (action().isEmpty())
        return;
    for (int i = 0; i < m_segments.size(); ++i) {
        SegmentItem item(*this, i);
        // The free function: the member would validate against this control itself.
        pf::validateUserInterfaceItem(item);
    }
}

// --- Geometry

double SegmentedControl::fittedWidth(const Segment& segment) const
{
    if (segment.width > 0)
        return segment.width;
    double width = 12;
    if (!segment.label.isEmpty())
        width += QFontMetricsF(font()).horizontalAdvance(segment.label);
    if (segment.image)
        width += segment.image->size().width() + (segment.label.isEmpty() ? 0 : 4);
    return std::ceil(width);
}

QRectF SegmentedControl::frameForSegment(int segment) const
{
    if (!valid(segment))
        return {};
    // Segments without a width share what the fixed ones leave, each at least its fitted
    // width: a segment whose label needs more than an even share takes its fitted width, and
    // the others share what is left, so that segments that fit together never overflow.
    QList<double> widths(m_segments.size(), 0.0);
    QList<int> sharing;
    double left = bounds().width();
    for (int i = 0; i < m_segments.size(); ++i) {
        if (m_segments.at(i).width > 0) {
            widths[i] = m_segments.at(i).width;
            left -= widths[i];
        } else {
            sharing.append(i);
        }
    }
    for (bool settled = false; !settled && !sharing.isEmpty();) {
        settled = true;
        const double share = std::max(0.0, left) / sharing.size();
        for (qsizetype k = 0; k < sharing.size(); ++k) {
            const double fitted = fittedWidth(m_segments.at(sharing.at(k)));
            if (fitted > share) {
                widths[sharing.at(k)] = fitted;
                left -= fitted;
                sharing.removeAt(k);
                settled = false;
                break;
            }
        }
        if (settled)
            for (int i : sharing)
                widths[i] = share;
    }
    double x = bounds().x();
    for (int i = 0; i < segment; ++i)
        x += widths.at(i);
    return QRectF(x, bounds().y(), widths.at(segment), bounds().height());
}

int SegmentedControl::segmentAt(QPointF point) const
{
    for (int i = 0; i < m_segments.size(); ++i) {
        if (frameForSegment(i).contains(point))
            return i;
    }
    return -1;
}

void SegmentedControl::sizeToFit()
{
    double width = 0;
    for (const Segment& s : m_segments)
        width += fittedWidth(s);
    setFrameSize(QSizeF(width, std::max(frame().height(), QFontMetricsF(font()).height() + 8)));
}

void SegmentedControl::rebuildToolTips()
{
    removeAllToolTips();
    for (int i = 0; i < m_segments.size(); ++i) {
        if (!m_segments.at(i).toolTip.isEmpty())
            addToolTipRect(frameForSegment(i), m_segments.at(i).toolTip);
    }
}

// --- Drawing

void SegmentedControl::drawRect(const QRectF&)
{
    const bool controlEnabled = isEnabled();
    for (int i = 0; i < m_segments.size(); ++i) {
        const Segment& s = m_segments.at(i);
        const QRectF frame = frameForSegment(i);
        const bool enabled = controlEnabled && s.enabled;
        const bool pressed = i == m_pressed && m_pressInside;
        Cell::drawUpright(frame, [&](QPainter& painter, const QRectF& rect) {
            QStyleOptionButton option;
            option.initFrom(this);
            option.rect = rect.toAlignedRect();
            if (!enabled)
                option.state &= ~QStyle::State_Enabled;
            if (s.selected)
                option.state |= QStyle::State_On;
            if (pressed)
                option.state |= QStyle::State_Sunken;
            style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
        });
        QRectF content = frame.adjusted(6, 2, -6, -2);
        if (s.image) {
            const QSizeF size = s.image->size().scaled(content.size().boundedTo(s.image->size()), Qt::KeepAspectRatio);
            const double x = s.label.isEmpty() ? content.center().x() - size.width() / 2 : content.x();
            const QRectF target(x, content.center().y() - size.height() / 2, size.width(), size.height());
            if (s.image->isTemplate()) {
                const TemplateState state = !enabled ? TemplateState::Disabled
                    : pressed                        ? TemplateState::Pressed
                    : s.selected                     ? TemplateState::On
                                                     : TemplateState::Normal;
                s.image->tinted(SystemColor::templateTint(state).qColor())->draw(target);
            } else {
                s.image->draw(target, {}, CompositingOperation::SourceOver, enabled ? 1.0 : 0.5);
            }
            content.setLeft(target.right() + 4);
        }
        if (!s.label.isEmpty()) {
            const QColor colour = (enabled ? SystemColor::controlText() : SystemColor::disabledControlText()).qColor();
            const QFont labelFont = font();
            Cell::drawUpright(content, [&](QPainter& painter, const QRectF& rect) {
                painter.setFont(labelFont);
                painter.setPen(colour);
                painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine,
                                 QFontMetricsF(labelFont).elidedText(s.label, Qt::ElideRight, rect.width()));
            });
        }
    }
}

// --- Tracking

void SegmentedControl::mouseDown(const Event& event)
{
    if (!isEnabled())
        return;
    validateSegments();
    const int segment = segmentAt(convertPointFromView(event.locationInWindow, nullptr));
    if (!isEnabledForSegment(segment))
        return;
    m_pressed = segment;
    m_pressInside = true;
    const int press = ++m_pressNumber;
    setNeedsDisplay(true);
    if (!m_segments.at(segment).menu)
        return;
    // A segment that only carries a menu shows it at once; one that also acts, when held.
    if (action().isEmpty()) {
        showMenu(segment);
        return;
    }
    QPointer<SegmentedControl> self(this);
    QTimer::singleShot(int(kSegmentMenuDelay * 1000), this, [self, segment, press] {
        if (self && self->m_pressed == segment && self->m_pressNumber == press && self->m_pressInside)
            self->showMenu(segment);
    });
}

void SegmentedControl::mouseDragged(const Event& event)
{
    if (m_pressed < 0)
        return;
    const bool inside = segmentAt(convertPointFromView(event.locationInWindow, nullptr)) == m_pressed;
    if (inside != m_pressInside) {
        m_pressInside = inside;
        setNeedsDisplay(true);
    }
}

void SegmentedControl::mouseUp(const Event& event)
{
    if (m_pressed < 0)
        return;
    const int segment = m_pressed;
    m_pressed = -1;
    setNeedsDisplay(true);
    if (segmentAt(convertPointFromView(event.locationInWindow, nullptr)) != segment)
        return;
    switch (m_tracking) {
    case SegmentSwitchTracking::SelectOne:
        setSelectedSegment(segment);
        break;
    case SegmentSwitchTracking::SelectAny:
        setSelected(!isSelectedForSegment(segment), segment);
        // The receiver reads the segment clicked, selected or not.
        m_selected = segment;
        break;
    case SegmentSwitchTracking::Momentary:
        // Selected while the action goes, as the receiver reads it.
        m_segments[segment].selected = true;
        m_selected = segment;
        break;
    }
    QPointer<SegmentedControl> self(this);
    sendAction();
    if (self && m_tracking == SegmentSwitchTracking::Momentary && valid(segment)) {
        m_segments[segment].selected = false;
        m_selected = -1;
        setNeedsDisplay(true);
    }
}

void SegmentedControl::showMenu(int segment)
{
    Ref<Menu> menu = menuForSegment(segment);
    if (!menu)
        return;
    m_pressed = -1;
    setNeedsDisplay(true);
    const QRectF frame = frameForSegment(segment);
    const QPointF corner = boundsToWidgetTransform().map(isFlipped() ? frame.bottomLeft() : frame.topLeft());
    menu->popUp(mapToGlobal(corner.toPoint()));
}

} // namespace pf
