#include "platform/ui/SplitView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::SplitView, pf::View, "pf::SplitView") {}

namespace pf {

namespace {
// Extra room either side of a thin divider where a press still grabs it.
constexpr double kGrabMargin = 2.0;
} // namespace

SplitView::SplitView(QWidget* parent) : View(parent) {}

SplitView::SplitView(const QRectF& frame, QWidget* parent) : View(frame, parent) {}

SplitView::~SplitView() = default;

void SplitView::setVertical(bool vertical)
{
    if (vertical == m_vertical)
        return;
    m_vertical = vertical;
    adjustSubviews();
}

void SplitView::setDividerStyle(SplitViewDividerStyle style)
{
    if (style == m_dividerStyle)
        return;
    m_dividerStyle = style;
    adjustSubviews();
}

double SplitView::dividerThickness() const
{
    switch (m_dividerStyle) {
    case SplitViewDividerStyle::Thin: return 1.0;
    case SplitViewDividerStyle::PaneSplitter: return 10.0;
    case SplitViewDividerStyle::Thick: break;
    }
    return 9.0;
}

void SplitView::setDividerColor(const QColor& color)
{
    m_dividerColor = color;
    setNeedsDisplay(true);
}

SplitViewDelegate* SplitView::delegate() const
{
    if (m_delegateIsReflective && m_delegateLiveness.expired())
        return nullptr;
    return m_delegate;
}

void SplitView::setDelegate(SplitViewDelegate* delegate)
{
    m_delegate = delegate;
    auto* reflective = dynamic_cast<Reflective*>(delegate);
    m_delegateIsReflective = reflective != nullptr;
    m_delegateLiveness = reflective ? reflective->livenessToken() : std::weak_ptr<void>();
}

// --- Geometry along the axis

double SplitView::axisLength() const
{
    return m_vertical ? bounds().width() : bounds().height();
}

double SplitView::along(QPointF point) const
{
    return m_vertical ? point.x() : point.y();
}

double SplitView::startOf(const View* pane) const
{
    return m_vertical ? pane->frame().left() : pane->frame().top();
}

double SplitView::endOf(const View* pane) const
{
    return m_vertical ? pane->frame().right() : pane->frame().bottom();
}

QRectF SplitView::paneRect(double start, double length) const
{
    const QRectF area = bounds();
    return m_vertical ? QRectF(start, area.y(), length, area.height()) : QRectF(area.x(), start, area.width(), length);
}

bool SplitView::isSubviewCollapsed(const View* subview) const
{
    return subview && subview->superview() == this && subview->isHidden();
}

int SplitView::dividerCount() const
{
    return std::max(0, int(subviews().size()) - 1);
}

bool SplitView::isDividerHidden(int index) const
{
    const QList<View*> panes = subviews();
    if (index < 0 || index + 1 >= panes.size())
        return false;
    SplitViewDelegate* d = delegate();
    if (!d || !(isSubviewCollapsed(panes[index]) || isSubviewCollapsed(panes[index + 1])))
        return false;
    return d->shouldHideDividerAtIndex(*const_cast<SplitView*>(this), index);
}

double SplitView::effectiveThickness(int dividerIndex) const
{
    return isDividerHidden(dividerIndex) ? 0.0 : dividerThickness();
}

QRectF SplitView::dividerRect(int index) const
{
    const QList<View*> panes = subviews();
    if (index < 0 || index + 1 >= panes.size() || isDividerHidden(index))
        return {};
    const double thickness = dividerThickness();
    // After its leading pane; beside a collapsed one, before the next pane or after the
    // divider before it.
    double start;
    if (!isSubviewCollapsed(panes[index]))
        start = endOf(panes[index]);
    else if (!isSubviewCollapsed(panes[index + 1]))
        start = startOf(panes[index + 1]) - thickness;
    else
        start = index > 0 ? minPossiblePositionOfDividerAtIndex(index) : 0.0;
    return paneRect(start, thickness);
}

double SplitView::minPossiblePositionOfDividerAtIndex(int index) const
{
    for (int before = index - 1; before >= 0; --before) {
        const QRectF divider = dividerRect(before);
        if (!divider.isNull())
            return m_vertical ? divider.right() : divider.bottom();
        // A hidden divider takes no room: its collapsed pane's start is this one's too.
        if (!isSubviewCollapsed(subviews().value(before)))
            return endOf(subviews().value(before));
    }
    return 0.0;
}

double SplitView::maxPossiblePositionOfDividerAtIndex(int index) const
{
    const int count = int(subviews().size());
    const double thickness = dividerThickness();
    if (index + 2 >= count)
        return axisLength() - thickness;
    const QRectF next = dividerRect(index + 1);
    if (!next.isNull())
        return (m_vertical ? next.left() : next.top()) - thickness;
    // A hidden divider takes no room: the pane after it starts where the collapsed one did.
    const View* after = subviews().value(index + 2);
    if (!isSubviewCollapsed(after))
        return startOf(after) - thickness;
    return maxPossiblePositionOfDividerAtIndex(index + 1);
}

// --- Layout

void SplitView::adjustSubviews()
{
    const QList<View*> panes = subviews();
    if (panes.isEmpty())
        return;
    double dividers = 0;
    for (int i = 0; i + 1 < panes.size(); ++i)
        dividers += effectiveThickness(i);
    const double available = std::max(0.0, axisLength() - dividers);
    double total = 0;
    int expanded = 0;
    for (View* pane : panes) {
        if (isSubviewCollapsed(pane))
            continue;
        total += m_vertical ? pane->frame().width() : pane->frame().height();
        ++expanded;
    }
    double edge = 0;
    for (int i = 0; i < panes.size(); ++i) {
        View* pane = panes[i];
        double length = 0;
        if (!isSubviewCollapsed(pane)) {
            const double current = m_vertical ? pane->frame().width() : pane->frame().height();
            length = total > 0 ? current * available / total : available / expanded;
        }
        // Edges on whole pixels, from the running edge, so the panes still add up.
        pane->setFrame(centerScanRect(paneRect(edge, length)));
        edge += length;
        if (i + 1 < panes.size())
            edge += effectiveThickness(i);
    }
    didResizeSubviews(-1);
}

void SplitView::resizeSubviewsWithOldSize(QSizeF oldSize)
{
    SplitViewDelegate* d = delegate();
    if (d && d->resizeSubviewsWithOldSize(*this, oldSize)) {
        didResizeSubviews(-1);
        return;
    }
    adjustSubviews();
}

void SplitView::setPaneCollapsed(View* pane, bool collapsed)
{
    if (isSubviewCollapsed(pane) != collapsed)
        pane->setHidden(collapsed);
}

void SplitView::setPosition(double position, int dividerIndex)
{
    const QList<View*> panes = subviews();
    if (dividerIndex < 0 || dividerIndex + 1 >= panes.size() || !std::isfinite(position))
        return;
    const double low = minPossiblePositionOfDividerAtIndex(dividerIndex);
    const double high = maxPossiblePositionOfDividerAtIndex(dividerIndex);
    position = std::clamp(position, low, std::max(low, high));
    View* leading = panes[dividerIndex];
    View* trailing = panes[dividerIndex + 1];
    const double trailingEnd = isSubviewCollapsed(trailing) ? high + dividerThickness() : endOf(trailing);
    // A pane that gets room shows again.
    if (position > low)
        setPaneCollapsed(leading, false);
    if (trailingEnd - position - dividerThickness() > 0)
        setPaneCollapsed(trailing, false);
    // A collapsed pane keeps no room, a hidden divider none either.
    const double thickness = effectiveThickness(dividerIndex);
    if (isSubviewCollapsed(trailing))
        position = trailingEnd - thickness;
    if (isSubviewCollapsed(leading))
        position = low;
    leading->setFrame(centerScanRect(paneRect(low, position - low)));
    const double trailingStart = position + thickness;
    trailing->setFrame(centerScanRect(paneRect(trailingStart, std::max(0.0, trailingEnd - trailingStart))));
    didResizeSubviews(dividerIndex);
}

void SplitView::didResizeSubviews(int dividerIndex)
{
    invalidateCursorRects();
    update();
    if (SplitViewDelegate* d = delegate())
        d->splitViewDidResizeSubviews(*this);
    QVariantMap info;
    if (dividerIndex >= 0)
        info.insert(NSSplitViewDividerIndex, dividerIndex);
    NotificationCenter::defaultCenter().post(NSSplitViewDidResizeSubviewsNotification, this, info);
}

// --- Drawing

void SplitView::drawDividerInRect(const QRectF& rect)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    if (m_dividerStyle == SplitViewDividerStyle::Thin) {
        painter.fillRect(rect, m_dividerColor.isValid() ? m_dividerColor : palette().color(QPalette::Mid));
        return;
    }
    painter.fillRect(rect, palette().window());
    // A dimple in the middle to grab.
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_dividerColor.isValid() ? m_dividerColor : palette().color(QPalette::Mid));
    painter.drawEllipse(rect.center(), 2.0, 2.0);
}

void SplitView::drawRect(const QRectF& dirtyRect)
{
    for (int i = 0; i < dividerCount(); ++i) {
        const QRectF divider = dividerRect(i);
        if (!divider.isEmpty() && divider.intersects(dirtyRect))
            drawDividerInRect(divider);
    }
}

// --- Dragging

int SplitView::dividerAt(QPointF point) const
{
    for (int i = 0; i < dividerCount(); ++i) {
        QRectF divider = dividerRect(i);
        if (divider.isEmpty())
            continue;
        divider = m_vertical ? divider.adjusted(-kGrabMargin, 0, kGrabMargin, 0)
                             : divider.adjusted(0, -kGrabMargin, 0, kGrabMargin);
        if (divider.contains(point))
            return i;
    }
    return -1;
}

bool SplitView::canCollapse(View* pane)
{
    SplitViewDelegate* d = delegate();
    return d && d->canCollapseSubview(*this, pane);
}

void SplitView::mouseDown(const Event& event)
{
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    m_draggedDivider = dividerAt(point);
    if (m_draggedDivider < 0) {
        View::mouseDown(event);
        return;
    }
    const QRectF divider = dividerRect(m_draggedDivider);
    m_grabOffset = along(point) - (m_vertical ? divider.left() : divider.top());
}

void SplitView::mouseDragged(const Event& event)
{
    if (m_draggedDivider < 0 || m_draggedDivider >= dividerCount()) {
        View::mouseDragged(event);
        return;
    }
    const int index = m_draggedDivider;
    const QList<View*> panes = subviews();
    const double proposed = along(convertPointFromView(event.locationInWindow, nullptr)) - m_grabOffset;
    const double low = minPossiblePositionOfDividerAtIndex(index);
    const double high = maxPossiblePositionOfDividerAtIndex(index);
    SplitViewDelegate* d = delegate();
    const double minimum = d ? d->constrainMinCoordinate(*this, low, index) : low;
    const double maximum = d ? d->constrainMaxCoordinate(*this, high, index) : high;
    double position = d ? d->constrainSplitPosition(*this, proposed, index) : proposed;
    // Past a limit by more than half the way to the edge, a pane that may collapse does.
    if (position < minimum) {
        if (canCollapse(panes[index]) && position < (low + minimum) / 2) {
            setPaneCollapsed(panes[index], true);
            position = low;
        } else {
            position = minimum;
        }
    } else if (position > maximum) {
        if (canCollapse(panes[index + 1]) && position > (high + maximum) / 2) {
            setPaneCollapsed(panes[index + 1], true);
            position = high;
        } else {
            position = maximum;
        }
    }
    setPosition(position, index);
}

void SplitView::mouseUp(const Event& event)
{
    if (m_draggedDivider < 0) {
        View::mouseUp(event);
        return;
    }
    m_draggedDivider = -1;
}

void SplitView::resetCursorRects()
{
    const Cursor cursor(QCursor(m_vertical ? Qt::SplitHCursor : Qt::SplitVCursor));
    for (int i = 0; i < dividerCount(); ++i) {
        const QRectF divider = dividerRect(i);
        if (!divider.isEmpty())
            addCursorRect(divider, cursor);
    }
}

} // namespace pf
