#include "platform/ui/ClipView.h"
#include "platform/ui/RulerView.h"
#include "platform/ui/ScrollView.h"

#include "tests/support/NotificationRecorder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPointer>
#include <QScrollBar>

using namespace pf;

namespace {

class FlippedView : public View {
public:
    using View::View;
    bool isFlipped() const override { return true; }
};

// Keeps a document smaller than the clip view in its middle, and redraws it whole on every
// scroll, as a clip view that draws round the page must.
class CentringClipView : public ClipView {
public:
    using ClipView::ClipView;
    QPointF constrainScrollPoint(QPointF proposed) const override
    {
        QPointF point = ClipView::constrainScrollPoint(proposed);
        const QRectF document = documentRect();
        const QSizeF visible = bounds().size();
        if (document.width() < visible.width())
            point.setX(std::round((document.width() - visible.width()) / 2));
        if (document.height() < visible.height())
            point.setY(std::round((document.height() - visible.height()) / 2));
        return point;
    }
    bool copiesOnScroll() const override { return false; }
};

class ScrollViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scroll = std::make_unique<ScrollView>(QRectF(0, 0, 200, 100));
        document = new FlippedView(QRectF(0, 0, 400, 300));
        scroll->setDocumentView(document);
    }
    ClipView* clip() const { return scroll->contentView(); }
    Event eventAt(QPointF documentPoint) const
    {
        return Event::mouseEvent(LeftMouseDragged, document->convertPointToView(documentPoint, nullptr), 0, 0, 0, 0, 1, 1);
    }

    std::unique_ptr<ScrollView> scroll;
    QPointer<View> document;
};

TEST_F(ScrollViewTest, ScrollingStaysInsideTheDocumentAndTheScrollersFollow)
{
    EXPECT_EQ(scroll->contentSize(), QSizeF(200, 100));
    EXPECT_TRUE(clip()->isFlipped());
    EXPECT_EQ(scroll->documentVisibleRect(), QRectF(0, 0, 200, 100));
    NotificationRecorder clipNotes(clip());
    clip()->scrollToPoint(clip()->constrainScrollPoint(QPointF(500, -20)));
    EXPECT_EQ(clip()->bounds().topLeft(), QPointF(200, 0));
    EXPECT_EQ(scroll->documentVisibleRect(), QRectF(200, 0, 200, 100));
    EXPECT_EQ(document->geometry().topLeft(), QPoint(-200, 0));
    EXPECT_EQ(clipNotes.count(NSViewBoundsDidChangeNotification), 1);

    scroll->setHasHorizontalScroller(true);
    scroll->setHasVerticalScroller(true);
    const double bar = scroll->horizontalScroller()->height();
    EXPECT_EQ(scroll->contentSize(), QSizeF(200 - bar, 100 - bar));
    EXPECT_EQ(scroll->horizontalScroller()->value(), 200);
    EXPECT_EQ(scroll->verticalScroller()->maximum(), int(300 - (100 - bar)));
    // Moving a scroller scrolls the clip view along that axis only.
    scroll->verticalScroller()->setValue(50);
    EXPECT_EQ(clip()->bounds().topLeft(), QPointF(200, 50));
    // A wheel notch towards the user shows more of the document below.
    Event wheel = Event::otherEvent(ScrollWheel, QPointF(10, 10), 0, 0, 0, 0);
    wheel.deltaY = -1;
    scroll->scrollWheel(wheel);
    EXPECT_GT(clip()->bounds().y(), 50);
    EXPECT_EQ(scroll->verticalScroller()->value(), int(clip()->bounds().y()));

    // Autohiding scrollers go once the document fits.
    scroll->setAutohidesScrollers(true);
    document->setFrameSize(QSizeF(150, 80));
    EXPECT_TRUE(scroll->horizontalScroller()->isHidden());
    EXPECT_EQ(scroll->contentSize(), QSizeF(200, 100));
    EXPECT_EQ(clip()->bounds().topLeft(), QPointF(0, 0)); // a short document sits at the start
}

TEST_F(ScrollViewTest, ClipViewSubclassConstrainsTheScrollPointAndKeepsTheDocument)
{
    document->setFrameSize(QSizeF(100, 50));
    auto* centring = new CentringClipView;
    scroll->setContentView(centring);
    QCoreApplication::processEvents();
    ASSERT_EQ(scroll->contentView(), centring);
    ASSERT_TRUE(document);
    EXPECT_EQ(scroll->documentView(), document.data());
    EXPECT_EQ(centring->bounds().topLeft(), QPointF(-50, -25));
    EXPECT_EQ(document->geometry(), QRect(50, 25, 100, 50));

    // A document that grows scrolls normally; shrinking again centres it again.
    document->setFrameSize(QSizeF(400, 300));
    EXPECT_EQ(centring->bounds().topLeft(), QPointF(0, 0));
    centring->setNeedsDisplay(false);
    document->setNeedsDisplay(false);
    centring->scrollToPoint(centring->constrainScrollPoint(QPointF(30, 40)));
    EXPECT_EQ(centring->bounds().topLeft(), QPointF(30, 40));
    EXPECT_TRUE(document->needsDisplay()); // no copying on scroll: the document draws again
    document->setFrameSize(QSizeF(80, 300));
    EXPECT_EQ(centring->bounds().topLeft(), QPointF(-60, 40));
}

TEST_F(ScrollViewTest, ScrollRectToVisibleAndAutoscrollMoveAsLittleAsNeeded)
{
    auto* item = new View(QRectF(300, 150, 20, 20));
    document->addSubview(item);
    EXPECT_TRUE(item->scrollRectToVisible(item->bounds()));
    EXPECT_EQ(clip()->bounds().topLeft(), QPointF(120, 70));
    EXPECT_FALSE(item->scrollRectToVisible(item->bounds()));
    EXPECT_EQ(item->enclosingScrollView(), scroll.get());

    // Dragged 15 points past the bottom edge: scrolled by that much.
    EXPECT_TRUE(document->autoscroll(eventAt(QPointF(150, 185))));
    EXPECT_EQ(clip()->bounds().topLeft(), QPointF(120, 85));
    EXPECT_FALSE(document->autoscroll(eventAt(QPointF(150, 120))));
    // At the document's end nothing more scrolls.
    EXPECT_TRUE(document->autoscroll(eventAt(QPointF(150, 900))));
    EXPECT_EQ(clip()->bounds().y(), 200);
    EXPECT_FALSE(document->autoscroll(eventAt(QPointF(150, 900))));
}

TEST_F(ScrollViewTest, UnflippedDocumentStartsAtItsBottomAndScrollersCountFromTheTop)
{
    auto* unflipped = new View(QRectF(0, 0, 400, 300));
    scroll->setDocumentView(unflipped);
    scroll->setHasVerticalScroller(true);
    EXPECT_FALSE(clip()->isFlipped());
    EXPECT_EQ(clip()->bounds().topLeft(), QPointF(0, 0));
    const int bottom = scroll->verticalScroller()->maximum();
    EXPECT_EQ(scroll->verticalScroller()->value(), bottom);
    scroll->verticalScroller()->setValue(0);
    EXPECT_EQ(clip()->bounds().y(), 200); // the top of the document shows
}

TEST_F(ScrollViewTest, RulerSlotsAndMagnification)
{
    auto* horizontal = new RulerView(Qt::Horizontal);
    auto* vertical = new RulerView(Qt::Vertical);
    vertical->setRuleThickness(24);
    scroll->setHorizontalRulerView(horizontal);
    scroll->setVerticalRulerView(vertical);
    scroll->setHasHorizontalRuler(true);
    scroll->setHasVerticalRuler(true);
    EXPECT_TRUE(horizontal->isHidden()); // rulers not visible yet
    scroll->setRulersVisible(true);
    EXPECT_EQ(clip()->frame(), QRectF(24, 16, 176, 84));
    EXPECT_EQ(horizontal->frame(), QRectF(24, 0, 176, 16));
    EXPECT_EQ(vertical->frame(), QRectF(0, 16, 24, 84));
    EXPECT_EQ(horizontal->scrollView(), scroll.get());
    scroll->setHasVerticalRuler(false);
    EXPECT_TRUE(vertical->isHidden());
    EXPECT_EQ(clip()->frame(), QRectF(0, 16, 200, 84));
    // A ruler put in a slot replaces the one there.
    QPointer<RulerView> old = horizontal;
    scroll->setHorizontalRulerView(new RulerView(Qt::Horizontal));
    QCoreApplication::processEvents();
    EXPECT_FALSE(old);

    scroll->setRulersVisible(false);
    clip()->scrollToPoint(QPointF(100, 100));
    scroll->setMagnification(2.0);
    EXPECT_EQ(clip()->bounds().size(), QSizeF(100, 50));
    EXPECT_EQ(document->geometry().size(), QSize(800, 600));
    // The document draws magnified too.
    EXPECT_EQ(document->boundsToWidgetTransform().map(QPointF(160, 130)), QPointF(320, 260));
    // The middle of what showed stays in the middle.
    EXPECT_EQ(scroll->documentVisibleRect(), QRectF(150, 125, 100, 50));
    scroll->setMagnification(100);
    EXPECT_DOUBLE_EQ(scroll->magnification(), scroll->maxMagnification());
}

} // namespace
