#include "widgets/RVSimpleHoverButtonView.h"

#include "WidgetTestSupport.h"

#include "platform/ui/EventQueue.h"

#include <gtest/gtest.h>

namespace {

using widgettest::mouse;

class HoverButton : public ::testing::Test {
protected:
    void SetUp() override
    {
        pf::EventQueue::shared().discardEvents(pf::kAnyEventMask);
        button.setTarget(recorder.get());
        button.setAction(QStringLiteral("record:"));
    }
    // A parentless view: its frame is in window coordinates.
    void post(int type, QPointF at) { pf::EventQueue::shared().postEvent(mouse(type, at), false); }

    RVSimpleHoverButtonView button{QRectF(0, 0, 200, 120)};
    pf::Ref<widgettest::ActionRecorder> recorder = std::make_shared<widgettest::ActionRecorder>();
};

TEST_F(HoverButton, PicksTheGradientOfItsState)
{
    EXPECT_EQ(button.gradientForState(RVSimpleHoverButtonView::Normal), RVSimpleHoverButtonView::defaultNormalGradient());
    EXPECT_EQ(button.gradientForState(RVSimpleHoverButtonView::Pressed), RVSimpleHoverButtonView::defaultPressedGradient());
    EXPECT_EQ(button.gradientForState(RVSimpleHoverButtonView::Hover), RVSimpleHoverButtonView::defaultHoverGradient());
    EXPECT_EQ(button.gradientForState(7), RVSimpleHoverButtonView::defaultNormalGradient());
    const auto pressed = RVSimpleHoverButtonView::defaultPressedGradient();
    EXPECT_EQ(pressed->colorStops().first().color, pf::Color::withWhite(0.7));
    EXPECT_EQ(pressed->colorStops().last().color, pf::Color::withWhite(0.5));
    EXPECT_TRUE(button.hoverEnabled());
}

TEST_F(HoverButton, AReleaseInsideSendsTheActionAndShowsTheHover)
{
    post(pf::LeftMouseDragged, QPointF(250, 60));
    post(pf::LeftMouseDragged, QPointF(100, 60));
    post(pf::LeftMouseUp, QPointF(100, 60));
    EXPECT_TRUE(button.trackMouseWithEvent(mouse(pf::LeftMouseDown, QPointF(100, 60))));
    EXPECT_EQ(recorder->count(), 1);
    EXPECT_EQ(button.state(), RVSimpleHoverButtonView::Hover);

    button.setHoverEnabled(false);
    post(pf::LeftMouseUp, QPointF(10, 10));
    button.mouseDown(mouse(pf::LeftMouseDown, QPointF(100, 60)));
    EXPECT_EQ(recorder->count(), 2);
    EXPECT_EQ(button.state(), RVSimpleHoverButtonView::Normal);
    button.mouseEntered(mouse(pf::MouseEntered, QPointF(10, 10)));
    EXPECT_EQ(button.state(), RVSimpleHoverButtonView::Normal);
}

TEST_F(HoverButton, AReleaseOutsideSendsNothing)
{
    post(pf::LeftMouseDragged, QPointF(250, 60));
    post(pf::LeftMouseUp, QPointF(250, 60));
    EXPECT_FALSE(button.trackMouseWithEvent(mouse(pf::LeftMouseDown, QPointF(100, 60))));
    EXPECT_EQ(recorder->count(), 0);
    EXPECT_EQ(button.state(), RVSimpleHoverButtonView::Normal);
}

TEST_F(HoverButton, TextTakesThePlaceOfTheImage)
{
    const auto text = RVSimpleHoverButtonView::attributedStringForHoverButtonWithParts({"New", "A blank drawing", "A4"});
    EXPECT_EQ(text.string(), QStringLiteral("New\nA blank drawing\nA4\n"));
    const pf::Ref<pf::Image> red = pf::Image::withDrawing(QSizeF(40, 40), [](QPainter& painter, const QSizeF& size) {
        painter.fillRect(QRectF(QPointF(0, 0), size), Qt::red);
    });
    button.setContentImage(red);
    const QImage withImage = button.cacheDisplayInRect(button.bounds());
    const QPoint middle(withImage.width() / 2, withImage.height() / 2);
    EXPECT_EQ(withImage.pixelColor(middle), QColor(Qt::red));
    button.setContentAttributedString(text);
    const QImage withText = button.cacheDisplayInRect(button.bounds());
    EXPECT_NE(withText.pixelColor(middle), QColor(Qt::red));
}

} // namespace
