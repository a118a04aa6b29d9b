#pragma once

#include "platform/ui/SplitViewDelegate.h"
#include "platform/ui/View.h"

#include <QColor>

#include <memory>

namespace pf {

inline const QString NSSplitViewDidResizeSubviewsNotification =
    QStringLiteral("NSSplitViewDidResizeSubviewsNotification");
// User-info key of the notification when a divider moved: its index.
inline const QString NSSplitViewDividerIndex = QStringLiteral("NSSplitViewDividerIndex");

enum class SplitViewDividerStyle { Thick = 1, Thin = 2, PaneSplitter = 3 };

// Panes side by side (vertical) or stacked from the top (horizontal), with a divider between
// each two. The subviews are the panes, in order; a hidden pane is collapsed and takes no
// room. The split view is flipped. Dividers are dragged with the mouse: the delegate
// constrains the position and may let a pane collapse when it is dragged past its limit.
class SplitView : public View {
    Q_OBJECT
    PF_CLASS(SplitView)
public:
    explicit SplitView(QWidget* parent = nullptr);
    explicit SplitView(const QRectF& frame, QWidget* parent = nullptr);
    ~SplitView() override;

    // Vertical: the dividers are vertical and the panes side by side.
    bool isVertical() const { return m_vertical; }
    void setVertical(bool vertical);
    SplitViewDividerStyle dividerStyle() const { return m_dividerStyle; }
    void setDividerStyle(SplitViewDividerStyle style);
    // 9 points for thick dividers, 1 for thin ones, 10 for pane splitters.
    virtual double dividerThickness() const;
    // Thin dividers' colour; invalid stands for the style's.
    QColor dividerColor() const { return m_dividerColor; }
    void setDividerColor(const QColor& color);

    SplitViewDelegate* delegate() const;
    // Not owned. A delegate that is also a Reflective is dropped once it is destroyed.
    void setDelegate(SplitViewDelegate* delegate);

    bool isSubviewCollapsed(const View* subview) const;
    // Whether divider `index` takes no room: the delegate hides it beside a collapsed pane.
    bool isDividerHidden(int index) const;
    int dividerCount() const;
    // The divider's rectangle in bounds coordinates (empty when hidden or out of range).
    QRectF dividerRect(int index) const;

    // Shares the length among the expanded panes in proportion to their lengths (equally
    // when all are empty), after the room the visible dividers take.
    void adjustSubviews();
    // Where divider `index` may go: its left (top) pane's start, and its right (bottom) pane's
    // end less the divider.
    double minPossiblePositionOfDividerAtIndex(int index) const;
    double maxPossiblePositionOfDividerAtIndex(int index) const;
    // Moves the divider (kept between the possible positions), resizing the two panes beside
    // it; a collapsed pane that gets room is shown again.
    void setPosition(double position, int dividerIndex);

    virtual void drawDividerInRect(const QRectF& rect);

    void resizeSubviewsWithOldSize(QSizeF oldSize) override;
    bool isFlipped() const override { return true; }
    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;
    void resetCursorRects() override;

private:
    double axisLength() const;
    double along(QPointF point) const;
    double startOf(const View* pane) const;
    double endOf(const View* pane) const;
    double effectiveThickness(int dividerIndex) const;
    // A rectangle spanning the split view across the axis, from `start` for `length`.
    QRectF paneRect(double start, double length) const;
    bool canCollapse(View* pane);
    void setPaneCollapsed(View* pane, bool collapsed);
    int dividerAt(QPointF point) const;
    void didResizeSubviews(int dividerIndex);

    bool m_vertical = false;
    SplitViewDividerStyle m_dividerStyle = SplitViewDividerStyle::Thick;
    QColor m_dividerColor;
    SplitViewDelegate* m_delegate = nullptr;
    std::weak_ptr<void> m_delegateLiveness;
    bool m_delegateIsReflective = false;
    int m_draggedDivider = -1;
    double m_grabOffset = 0;
};

} // namespace pf
