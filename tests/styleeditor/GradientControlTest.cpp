#include "styleeditor/PWXGradientControl.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/ColorPanel.h"
#include "platform/ui/Event.h"
#include "platform/ui/MenuItem.h"

#include <gtest/gtest.h>

namespace {

class StopsListener : public pf::Object {
    PF_CLASS(StopsListener)
public:
    int changes = 0;
};

// A control 220 wide: its interior runs from x 9 to 211 (202 wide), stops' boxes are 17 wide.
class GradientControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pf::ColorPanel::disablePanel();
        listener = std::make_shared<StopsListener>();
        control = std::make_unique<PWXGradientControl>();
        control->setFrame(QRectF(0, 0, 220, 32));
        control->setTarget(listener.get());
        control->setAction(QStringLiteral("stopsChanged:"));
        control->setShowsPositionInfo(false);
        setStops({{pf::Color::red(), 0.0}, {pf::Color::blue(), 1.0}});
    }
    void TearDown() override
    {
        control.reset();
        pf::ColorPanel::enablePanel();
    }
    void setStops(const QList<pf::ColorStop>& stops)
    {
        control->setGradient(std::make_shared<pf::Gradient>(stops));
        listener->changes = 0;
    }
    static QPointF at(double position, double y = 16) { return QPointF(9 + position * 202, y); }
    QList<double> positions() const
    {
        QList<double> list;
        for (const auto& stop : control->stops())
            list.append(std::round(double(stop->position()) * 1000) / 1000);
        return list;
    }

    pf::Ref<StopsListener> listener;
    std::unique_ptr<PWXGradientControl> control;
};

} // namespace

PF_DEFINE_CLASS(StopsListener, pf::Object)
{
    b.method("stopsChanged:", [](StopsListener& self, const QVariantList&) {
        ++self.changes;
        return QVariant();
    });
}

TEST_F(GradientControlTest, AddingMovingAndDeletingStopsKeepsTwoAtLeast)
{
    // A new stop without a colour takes the gradient's colour where it lands.
    PWXColourStop* middle = control->addColorStop(std::nullopt, at(0.5));
    ASSERT_TRUE(middle);
    EXPECT_EQ(positions(), (QList<double>{0, 1, 0.5}));
    EXPECT_NEAR(middle->colour().redComponent(), 0.5, 0.01);
    EXPECT_EQ(listener->changes, 1);
    EXPECT_NEAR(control->gradient()->interpolatedColorAtLocation(0.5).blueComponent(), 0.5, 0.01);

    // Dragging moves it (clamped at the ends, Shift steps by 1 %).
    control->mouseDownAt(at(0.5));
    control->mouseDraggedAt(at(0.3234), pf::ShiftKeyMask);
    EXPECT_DOUBLE_EQ(std::round(middle->position() * 1e6) / 1e6, 0.32);
    control->mouseDraggedAt(QPointF(-20, 16), 0);
    EXPECT_EQ(middle->position(), 0.0f);
    control->mouseUpAt(QPointF(-20, 16));
    EXPECT_EQ(control->selectedStop(), middle);

    // Out of the safe area it disappears from the bar, comes back inside, and is deleted when
    // released outside; the selection and the drag forget it.
    control->mouseDownAt(at(0.0));
    ASSERT_EQ(control->dragStop(), control->stopAtPoint(at(0.0)));
    PWXColourStop* dragged = control->dragStop();
    control->mouseDraggedAt(QPointF(110, 100), 0);
    EXPECT_EQ(control->deletionCandidate(), dragged);
    control->mouseDraggedAt(at(0.2), 0);
    EXPECT_EQ(control->deletionCandidate(), nullptr);
    control->mouseDraggedAt(QPointF(110, 100), 0);
    control->mouseUpAt(QPointF(110, 100));
    EXPECT_EQ(control->stops().size(), 2);
    EXPECT_EQ(control->selectedStop(), nullptr);
    EXPECT_EQ(control->dragStop(), nullptr);
    EXPECT_EQ(control->deletionCandidate(), nullptr);

    // With two stops left, dragging off moves instead of deleting; the remove command and
    // removing at a point refuse too.
    control->mouseDownAt(at(1.0));
    control->mouseDraggedAt(QPointF(110, 100), 0);
    EXPECT_EQ(control->deletionCandidate(), nullptr);
    control->mouseUpAt(QPointF(110, 100));
    control->removeColorStopAtPoint(at(0.5));
    control->removeStop({});
    EXPECT_EQ(control->stops().size(), 2);
}

TEST_F(GradientControlTest, RemovingTheSelectedStopClearsEveryReferenceToIt)
{
    setStops({{pf::Color::red(), 0.0}, {pf::Color::green(), 0.5}, {pf::Color::blue(), 1.0}});
    PWXColourStop* middle = control->stopAtPoint(at(0.5));
    control->setSelectedStop(middle);
    control->removeStop({});
    EXPECT_EQ(positions(), (QList<double>{0, 1}));
    EXPECT_EQ(control->selectedStop(), nullptr);
    EXPECT_EQ(listener->changes, 1);

    setStops({{pf::Color::red(), 0.0}, {pf::Color::green(), 0.5}, {pf::Color::blue(), 1.0}});
    control->removeColorStopAtPoint(at(0.5));
    EXPECT_EQ(positions(), (QList<double>{0, 1}));
    control->removeColorStopAtPoint(at(0.0));
    EXPECT_EQ(control->stops().size(), 2);
}

TEST_F(GradientControlTest, OverlappingStopsShareTheBarInBands)
{
    // A gradient's stops come in order of position: white, then the three that overlap.
    setStops({{pf::Color::red(), 0.5}, {pf::Color::green(), 0.5}, {pf::Color::blue(), 0.51}, {pf::Color::white(), 0.0}});
    const QList<QRectF> boxes = control->allSwatchBoxes();
    const double height = control->swatchBoxForPosition(0).height();
    ASSERT_EQ(boxes.size(), 4);
    EXPECT_EQ(boxes[0].height(), height);
    for (int i = 1; i < 4; ++i) {
        EXPECT_NEAR(boxes[i].height(), height / 3, 1e-9) << i;
        EXPECT_NEAR(boxes[i].y(), control->swatchBoxForPosition(0).y() + (i - 1) * height / 3, 1e-9) << i;
    }
    // The box under a point belongs to the stop drawn there.
    EXPECT_EQ(control->stopAtPoint(QPointF(at(0.5).x(), boxes[2].center().y())), control->stops()[2].get());
    // Two stops at one place each take half.
    setStops({{pf::Color::red(), 0.4}, {pf::Color::green(), 0.4}});
    EXPECT_NEAR(control->allSwatchBoxes()[1].height(), height / 2, 1e-9);
}

TEST_F(GradientControlTest, FlipMirrorsPositionsAndSendsOnce)
{
    setStops({{pf::Color::red(), 0.2}, {pf::Color::blue(), 0.9}});
    control->flip({});
    EXPECT_EQ(positions(), (QList<double>{0.8, 0.1}));
    EXPECT_EQ(listener->changes, 1);
}

TEST_F(GradientControlTest, AColourDropRecoloursAStopOrAddsOne)
{
    EXPECT_FALSE(control->dropColour(std::nullopt, at(0.5)));
    ASSERT_TRUE(control->dropColour(pf::Color::green(), at(1.0)));
    EXPECT_EQ(control->stops().size(), 2);
    EXPECT_EQ(control->stops()[1]->colour(), pf::Color::green());
    ASSERT_TRUE(control->dropColour(pf::Color::green(), at(0.5)));
    EXPECT_EQ(control->stops().size(), 3);
    EXPECT_EQ(control->selectedStop(), control->stops()[2].get());
    // The panel's colours go to the selected stop.
    control->changeColor(pf::toVariant(std::make_shared<pf::Color>(pf::Color::white())));
    EXPECT_EQ(control->stops()[2]->colour(), pf::Color::white());
}

TEST_F(GradientControlTest, ADisabledControlTakesNoMouseDropOrCommand)
{
    control->setEnabled(false);
    control->mouseDownAt(at(0.0));
    control->mouseDraggedAt(at(0.5), 0);
    control->mouseUpAt(at(0.5));
    EXPECT_FALSE(control->dropColour(pf::Color::green(), at(0.5)));
    EXPECT_FALSE(control->addColorStop(pf::Color::green(), at(0.5)));
    control->newStop({});
    control->flip({});
    EXPECT_EQ(positions(), (QList<double>{0, 1}));
    EXPECT_EQ(listener->changes, 0);
    pf::Ref<pf::MenuItem> item = pf::MenuItem::make(QStringLiteral("New"), QStringLiteral("newStop:"));
    EXPECT_FALSE(control->validateUserInterfaceItem(*item));
}

TEST_F(GradientControlTest, ANarrowControlAnswersPositionZero)
{
    for (double width : {18.0, 10.0, 0.0}) {
        control->setFrame(QRectF(0, 0, width, 32));
        EXPECT_EQ(control->relativePositionOfPoint(QPointF(5, 10)), 0.0) << width;
    }
}

TEST_F(GradientControlTest, EveryChangeOfTheStopsDropsTheSwatchCache)
{
    auto boxOfLast = [&] { return control->allSwatchBoxes().value(control->stops().size() - 1); };
    control->addColorStop(pf::Color::green(), at(0.25), true);
    EXPECT_NEAR(boxOfLast().center().x(), at(0.25).x(), 0.01);
    control->flip({});
    EXPECT_NEAR(boxOfLast().center().x(), at(0.75).x(), 0.01);
    control->setSelectedStop(control->stops().last().get());
    control->mouseDownAt(at(0.75));
    control->mouseDraggedAt(at(0.6), 0);
    EXPECT_NEAR(boxOfLast().center().x(), at(0.6).x(), 0.01);
    control->mouseUpAt(at(0.6));
    control->removeStop({});
    EXPECT_EQ(control->allSwatchBoxes().size(), 2);
    setStops({{pf::Color::red(), 0.3}, {pf::Color::blue(), 0.7}});
    EXPECT_NEAR(control->allSwatchBoxes().value(0).center().x(), at(0.3).x(), 0.01);
}

TEST_F(GradientControlTest, ClickingTheSelectedStopAgainDeselectsIt)
{
    control->mouseDownAt(at(1.0));
    control->mouseUpAt(at(1.0));
    PWXColourStop* selected = control->selectedStop();
    ASSERT_TRUE(selected);
    EXPECT_EQ(pf::ColorPanel::shared()->target(), control.get());
    control->mouseDownAt(at(1.0));
    control->mouseUpAt(at(1.0));
    EXPECT_EQ(control->selectedStop(), nullptr);
    control->mouseDownAt(at(0.0));
    control->mouseUpAt(at(0.0));
    EXPECT_EQ(control->selectedStop(), control->stopAtPoint(at(0.0)));
}

TEST_F(GradientControlTest, ANewFrameMovesTheBoxes)
{
    EXPECT_NEAR(control->allSwatchBoxes().value(1).center().x(), 211, 0.01);
    control->setFrame(QRectF(0, 0, 120, 32));
    EXPECT_NEAR(control->allSwatchBoxes().value(1).center().x(), 111, 0.01);
}
