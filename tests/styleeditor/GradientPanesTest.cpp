#include "tests/styleeditor/StyleEditorTestSupport.h"

#include "styleeditor/PWXGradientParameterView.h"
#include "styleeditor/VNQLStyleEditSub_PWGradientFill.h"

#include "frameworks/penwork/renderers/PWGradientFill.h"
#include "platform/ui/ColorPanel.h"
#include "widgets/RVMiniRadialControl2.h"
#include "widgets/RVMiniSlider.h"

#include <cmath>

using namespace style_test;
using pf::Ref;

namespace {

class GradientPanesTest : public StyleEditorTest {
protected:
    void SetUp() override
    {
        StyleEditorTest::SetUp();
        pf::ColorPanel::disablePanel();
        fill = std::make_shared<PWGradientFill>();
        showStyle({fill});
        pane = dynamic_cast<VNQLStyleEditSub_PWGradientFill*>(editor->subcontrollers().value(0));
        ASSERT_TRUE(pane);
        view = pane->parameterView();
        view->setFrame(QRectF(0, 0, 200, 100));
        undo().removeAllActions();
    }
    void TearDown() override
    {
        pf::ColorPanel::enablePanel();
        StyleEditorTest::TearDown();
    }

    Ref<PWGradientFill> fill;
    VNQLStyleEditSub_PWGradientFill* pane = nullptr;
    PWXGradientParameterView* view = nullptr;
};

} // namespace

TEST_F(GradientPanesTest, RingsWriteCentresAndRadiiOfARadialGradientToTheFill)
{
    fill->setGradientType(PWGradientFill::Radial);
    fill->setStartingLocation(QPointF(0, 0));
    EXPECT_EQ(view->startRing()->centre(), QPointF(100, 50));
    undo().removeAllActions();

    // The view is flipped: its top-left corner is the area's top-left.
    view->startRing()->setCentre(QPointF(0, 0));
    EXPECT_EQ(fill->startingLocation(), QPointF(-0.5, -0.5));
    view->endRing()->setCentre(QPointF(150, 25));
    EXPECT_EQ(fill->endingLocation(), QPointF(0.25, -0.25));
    // Radii are fractions of the larger side.
    view->endRing()->setRadius(50);
    EXPECT_DOUBLE_EQ(fill->endingRadius(), 0.25);
    view->startRing()->setRadius(20);
    EXPECT_DOUBLE_EQ(fill->startingRadius(), 0.1);
    ASSERT_TRUE(undo().canUndo());
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Gradient Fill Start Radius"));
    undo().undo();
    EXPECT_DOUBLE_EQ(fill->startingRadius(), 0.0);
    // Undo shows the old value in the ring again.
    EXPECT_FLOAT_EQ(view->startRing()->radius(), 0.0f);
}

TEST_F(GradientPanesTest, TheDialPointsTheWayTheGradientRunsAndWritesTheAngleBack)
{
    struct Case {
        double angle;
        QPointF direction; // on screen, y down
    };
    for (const Case& c : {Case{0, {1, 0}}, Case{M_PI / 2, {0, -1}}, Case{M_PI, {-1, 0}}, Case{-M_PI / 2, {0, 1}}}) {
        fill->setGradientAngle(c.angle);
        const QPointF knob = view->angleDial()->knobRect().center() - view->angleDial()->circleBounds().center();
        const double length = std::hypot(knob.x(), knob.y());
        EXPECT_NEAR(knob.x() / length, c.direction.x(), 1e-6) << c.angle;
        EXPECT_NEAR(knob.y() / length, c.direction.y(), 1e-6) << c.angle;
    }
    // Turning the dial to point up makes the gradient run upwards.
    view->angleDial()->setValue(-M_PI / 2);
    EXPECT_NEAR(fill->gradientAngle(), M_PI / 2, 1e-9);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Gradient Fill Angle"));
    // A dial turned by the fill's own value writes nothing back.
    undo().removeAllActions();
    fill->setGradientAngle(3 * M_PI);
    undo().removeAllActions();
    view->updateFromController();
    EXPECT_FALSE(undo().canUndo());
}

TEST_F(GradientPanesTest, AnEmptyViewOrAFillWithoutColoursWritesAndReadsNothingAmiss)
{
    fill->setGradientType(PWGradientFill::Radial);
    fill->setStartingLocation(QPointF(0.1, 0.2));
    fill->setStartingRadius(0.3);
    view->setFrame(QRectF(0, 0, 0, 0));
    undo().removeAllActions();
    view->startRing()->setCentre(QPointF(10, 10));
    view->startRing()->setRadius(12);
    EXPECT_EQ(fill->startingLocation(), QPointF(0.1, 0.2));
    EXPECT_DOUBLE_EQ(fill->startingRadius(), 0.3);
    EXPECT_FALSE(undo().canUndo());

    view->setFrame(QRectF(0, 0, 200, 100));
    const pf::Color before = view->endRing()->tabColor();
    fill->setGradient(std::make_shared<pf::Gradient>(QList<pf::ColorStop>{}));
    view->updateFromController();
    EXPECT_EQ(view->endRing()->tabColor(), before);
    EXPECT_FALSE(VNQLStyleEditSub_PWGradientFill::gradientColoursHaveTransparency(fill->gradient().get()));
}

TEST_F(GradientPanesTest, StopsTypeAndRelativeAngleGoStraightToTheFillWithUndo)
{
    PWXGradientControl* control = pane->gradientControl();
    ASSERT_EQ(control->stops().size(), 2);
    control->addColorStop(pf::Color::red(), QPointF(control->bounds().center()), true);
    ASSERT_EQ(fill->numberOfColours(), 3);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Gradient Fill Colours"));
    undo().undo();
    EXPECT_EQ(fill->numberOfColours(), 2);
    EXPECT_EQ(control->stops().size(), 2) << "the control follows the fill back";

    pane->gradientTypeAction(1);
    EXPECT_EQ(fill->gradientType(), PWGradientFill::Radial);
    EXPECT_EQ(pane->typeControl()->selectedSegment(), 1);
    pane->gradientRelAngleAction(true);
    EXPECT_TRUE(fill->angleIsRelative());
    undo().undo();
    undo().undo();
    EXPECT_EQ(fill->gradientType(), PWGradientFill::Linear);
    EXPECT_FALSE(pane->relativeAngleCheckbox()->state() == pf::ControlState::On);
}

TEST_F(GradientPanesTest, TransparentStopsShowTheWarning)
{
    EXPECT_TRUE(pane->warningButton()->isHidden());
    fill->setGradient(std::make_shared<pf::Gradient>(
        QList<pf::ColorStop>{{pf::Color::red(), 0}, {pf::Color(0, 0, 1, 0.99), 1}}));
    EXPECT_FALSE(pane->warningButton()->isHidden());
    EXPECT_TRUE(pane->warningButton()->isEnabled());
    fill->setGradient(std::make_shared<pf::Gradient>(QList<pf::ColorStop>{{pf::Color::red(), 0}, {pf::Color::blue(), 1}}));
    EXPECT_TRUE(pane->warningButton()->isHidden());
}

TEST_F(GradientPanesTest, ALockedStyleDisablesTheControls)
{
    editor->content().first()->setLocked(true);
    settle();
    EXPECT_FALSE(pane->gradientControl()->enabled());
    EXPECT_FALSE(view->enabled());
    EXPECT_FALSE(pane->typeControl()->isEnabled());
}

TEST_F(GradientPanesTest, ADragOfAStopIsOneUndoStep)
{
    PWXGradientControl* control = pane->gradientControl();
    control->setFrame(QRectF(0, 0, 220, 32));
    control->setShowsPositionInfo(false);
    const pf::Ref<pf::Gradient> before = fill->gradient();
    control->mouseDownAt(QPointF(211, 16));
    // Each drag event is handled in a turn of its own, as in the program.
    for (double x : {190.0, 170.0, 150.0, 130.0}) {
        control->mouseDraggedAt(QPointF(x, 16), 0);
        settle();
    }
    control->mouseUpAt(QPointF(130, 16));
    ASSERT_NE(fill->gradient(), before);
    EXPECT_NEAR(fill->gradient()->colorStopAt(1).location, (130.0 - 9) / 202, 1e-6);
    undo().undo();
    EXPECT_EQ(*fill->gradient(), *before);
    EXPECT_FALSE(undo().canUndo());
}
