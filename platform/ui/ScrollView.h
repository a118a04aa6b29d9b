#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/ClipView.h"
#include "platform/ui/RulerView.h"
#include "platform/ui/View.h"

#include <QPointer>

class QScrollBar;

namespace pf {

// Shows a document view through a clip view, with scrollers along the bottom and right edges
// and rulers in two slots along the top and left edges. The clip view can be replaced by a
// subclass (one that centres a small document, draws round it). The scroll view is flipped;
// tile lays out its parts and runs whenever it changes size. Every scroll of the clip view
// reaches reflectScrolledClipView, which brings the scrollers and rulers in line.
//
// Magnification scales the document as the clip view shows it: the clip view's bounds are
// its frame divided by the magnification.
class ScrollView : public View {
    Q_OBJECT
    PF_CLASS(ScrollView)
public:
    explicit ScrollView(QWidget* parent = nullptr);
    explicit ScrollView(const QRectF& frame, QWidget* parent = nullptr);
    ~ScrollView() override;

    ClipView* contentView() const { return m_clipView; }
    // Takes ownership of `clipView` and moves the document view into it at the same scroll
    // point; the clip view before is deleted. Null is ignored.
    void setContentView(ClipView* clipView);
    View* documentView() const;
    void setDocumentView(View* view);
    QRectF documentVisibleRect() const;
    // The clip view's frame size.
    QSizeF contentSize() const;

    // Scrollers. A scroller that hides automatically shows only while the document is longer
    // than the clip view along its axis. Scrolling by wheel follows the axes that have one.
    bool hasHorizontalScroller() const { return m_hasHorizontalScroller; }
    void setHasHorizontalScroller(bool has);
    bool hasVerticalScroller() const { return m_hasVerticalScroller; }
    void setHasVerticalScroller(bool has);
    bool autohidesScrollers() const { return m_autohidesScrollers; }
    void setAutohidesScrollers(bool autohides);
    QScrollBar* horizontalScroller() const { return m_horizontalScroller; }
    QScrollBar* verticalScroller() const { return m_verticalScroller; }
    // Points one line (a wheel notch scrolls the desktop's number of lines); 10 by default.
    double lineScroll() const { return m_lineScroll; }
    void setLineScroll(double points);

    // Ruler slots: a ruler shows while its slot holds one, hasX is set and the rulers are
    // visible. The scroll view owns the ruler views; a ruler put in a slot replaces the one
    // before, which is deleted.
    RulerView* horizontalRulerView() const { return m_horizontalRuler; }
    void setHorizontalRulerView(RulerView* ruler);
    RulerView* verticalRulerView() const { return m_verticalRuler; }
    void setVerticalRulerView(RulerView* ruler);
    bool hasHorizontalRuler() const { return m_hasHorizontalRuler; }
    void setHasHorizontalRuler(bool has);
    bool hasVerticalRuler() const { return m_hasVerticalRuler; }
    void setHasVerticalRuler(bool has);
    bool rulersVisible() const { return m_rulersVisible; }
    void setRulersVisible(bool visible);

    // Clamped to minMagnification..maxMagnification (0.25 and 4 by default); non-finite or
    // non-positive values are ignored. Without a point the centre of the visible part stays in
    // place; with one, that point of the document view stays where it is on screen.
    double magnification() const { return m_magnification; }
    void setMagnification(double magnification);
    void setMagnification(double magnification, QPointF centeredAtPoint);
    double minMagnification() const { return m_minMagnification; }
    void setMinMagnification(double minimum);
    double maxMagnification() const { return m_maxMagnification; }
    void setMaxMagnification(double maximum);

    // The clip view's background.
    Color backgroundColor() const;
    void setBackgroundColor(const Color& color);
    bool drawsBackground() const;
    void setDrawsBackground(bool draws);

    // Lays out the rulers, the clip view and the scrollers.
    virtual void tile();
    // Brings the scrollers (range, position, page) and rulers in line with `clipView`.
    virtual void reflectScrolledClipView(ClipView* clipView);

    void resizeSubviewsWithOldSize(QSizeF oldSize) override;
    void scrollWheel(const Event& event) override;
    bool isFlipped() const override { return true; }
    void drawRect(const QRectF& dirtyRect) override;

private:
    void init();
    void setRulerView(QPointer<RulerView>& slot, RulerView* ruler);
    double scrollerThickness() const;
    // Which scrollers show for the clip view's document at the scroll view's size.
    std::pair<bool, bool> scrollersToShow(double top, double left) const;
    void scrollerMoved(Qt::Orientation orientation, int value);
    void placeScroller(QScrollBar* scroller, const QRectF& rect, bool shown);

    QPointer<ClipView> m_clipView;
    QScrollBar* m_horizontalScroller = nullptr;
    QScrollBar* m_verticalScroller = nullptr;
    QPointer<RulerView> m_horizontalRuler;
    QPointer<RulerView> m_verticalRuler;
    bool m_hasHorizontalScroller = false;
    bool m_hasVerticalScroller = false;
    bool m_autohidesScrollers = false;
    bool m_hasHorizontalRuler = false;
    bool m_hasVerticalRuler = false;
    bool m_rulersVisible = false;
    double m_lineScroll = 10.0;
    double m_magnification = 1.0;
    double m_minMagnification = 0.25;
    double m_maxMagnification = 4.0;
    bool m_tiling = false;
};

} // namespace pf
