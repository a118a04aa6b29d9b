// Segmented controls: per-segment validation through the responder chain, and what a click
// selects in each tracking mode.
#include "platform/ui/SegmentedControl.h"
#include "tests/platform/ui/ControlTestSupport.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>

namespace {

// The first responder: takes the action and refuses the segment tagged 2.
class SegmentValidator : public quillory::test::ActionRecorderView {
public:
    using ActionRecorderView::ActionRecorderView;
    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) override
    {
        asked.append(item.tag());
        return item.tag() != 2;
    }
    QList<int> asked;
};

class SegmentedControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        validator = new SegmentValidator(QRectF(250, 150, 40, 40), active.window.get());
        validator->setFocusPolicy(Qt::StrongFocus);
        validator->show();
        ASSERT_TRUE(pf::makeFirstResponder(active.window.get(), validator));
        control = new pf::SegmentedControl(active.window.get());
        control->setSegmentCount(3);
        for (int i = 0; i < 3; ++i) {
            control->setWidth(40, i);
            control->setTag(i + 1, i);
            control->setLabel(QStringLiteral("S%1").arg(i), i);
        }
        control->setFrame(QRectF(0, 0, 120, 24));
        control->setAction(QStringLiteral("takeValue:"));
        control->show();
    }

    // Qt coordinates of the middle of a segment (the control is at the window's bottom-left).
    void clickSegment(int segment) { quillory::test::click(control, QPointF(20 + 40 * segment, 12)); }

    quillory::test::ActiveWindow active;
    SegmentValidator* validator = nullptr;
    pf::SegmentedControl* control = nullptr;
};

TEST_F(SegmentedControlTest, EachSegmentIsValidatedByTheReceiverOfTheAction)
{
    control->validateSegments();
    EXPECT_EQ(validator->asked, (QList<int>{1, 2, 3}));
    EXPECT_TRUE(control->isEnabledForSegment(0));
    EXPECT_FALSE(control->isEnabledForSegment(1));
    EXPECT_TRUE(control->isEnabledForSegment(2));

    // A click validates first: the refused segment sends nothing, the others do.
    clickSegment(1);
    EXPECT_TRUE(validator->actions.isEmpty());
    clickSegment(2);
    ASSERT_EQ(validator->actions.size(), 1);
    EXPECT_EQ(pf::Control::fromSender(validator->senders.value(0)), control);
    EXPECT_EQ(control->selectedSegment(), 2);
}

TEST_F(SegmentedControlTest, SegmentsNobodyAnswersAreDisabled)
{
    control->setAction(QStringLiteral("noOneTakesThis:"));
    control->validateSegments();
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(control->isEnabledForSegment(i)) << i;
}

TEST_F(SegmentedControlTest, TrackingModesDecideTheSelection)
{
    using T = pf::SegmentSwitchTracking;
    const struct {
        T mode;
        QList<int> clicks;
        QList<bool> selected;
        int selectedSegment;
    } cases[] = {
        {T::SelectOne, {0, 2}, {false, false, true}, 2},
        {T::SelectAny, {0, 2}, {true, false, true}, 2},
        {T::SelectAny, {0, 0}, {false, false, false}, 0},
        {T::Momentary, {0, 2}, {false, false, false}, -1},
    };
    for (const auto& c : cases) {
        control->setSelectedSegment(-1);
        for (int i = 0; i < 3; ++i)
            control->setSelected(false, i);
        control->setTrackingMode(c.mode);
        for (int segment : c.clicks)
            clickSegment(segment == 1 ? 0 : segment); // segment 1 is refused by the validator
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(control->isSelectedForSegment(i), c.selected[i]) << int(c.mode) << " segment " << i;
        EXPECT_EQ(control->selectedSegment(), c.selectedSegment) << int(c.mode);
    }
}

TEST_F(SegmentedControlTest, SegmentsAreFoundByTagAndFrame)
{
    EXPECT_TRUE(control->selectSegmentWithTag(3));
    EXPECT_EQ(control->selectedSegment(), 2);
    EXPECT_FALSE(control->selectSegmentWithTag(9));
    EXPECT_EQ(control->segmentAt(QPointF(45, 5)), 1);
    EXPECT_EQ(control->frameForSegment(2), QRectF(80, 0, 40, 24));
    control->setToolTip(QStringLiteral("Third"), 2);
    EXPECT_EQ(control->toolTipAt(QPointF(100, 10)), QStringLiteral("Third"));
}

TEST_F(SegmentedControlTest, FittedSegmentsShareTheRoomAndALongLabelKeepsItsWidth)
{
    // A long label beside two short ones: the long one keeps its fitted width, the short ones
    // share what is left, and the three end at the control's edge, none cut.
    control->setLabel(QStringLiteral("S"), 0);
    control->setLabel(QStringLiteral("S"), 1);
    control->setLabel(QStringLiteral("A much longer label"), 2);
    for (int i = 0; i < 3; ++i)
        control->setWidth(0, i);
    control->sizeToFit();
    const double fitted = control->frame().width();
    control->setFrameSize(QSizeF(fitted + 30, 24));
    const QRectF last = control->frameForSegment(2);
    EXPECT_DOUBLE_EQ(last.right(), fitted + 30);
    EXPECT_DOUBLE_EQ(control->frameForSegment(0).width(), control->frameForSegment(1).width());
    EXPECT_DOUBLE_EQ(control->frameForSegment(1).right(), last.left());
    EXPECT_GT(last.width(), control->frameForSegment(0).width());
    // Labels only a little apart in length, in a control exactly as wide as they need: each
    // segment holds its whole label.
    control->setLabel(QStringLiteral("Butt"), 0);
    control->setLabel(QStringLiteral("Round"), 1);
    control->setLabel(QStringLiteral("Square"), 2);
    control->sizeToFit();
    const QFontMetricsF metrics(control->font());
    for (int i = 0; i < 3; ++i)
        EXPECT_GE(control->frameForSegment(i).width() - 12, metrics.horizontalAdvance(control->labelForSegment(i)) - 0.01)
            << i;
    EXPECT_LE(control->frameForSegment(2).right(), control->frame().width() + 0.01);
    // A fixed width is kept as it is.
    control->setWidth(50, 0);
    EXPECT_DOUBLE_EQ(control->frameForSegment(0).width(), 50);
    EXPECT_DOUBLE_EQ(control->frameForSegment(1).left(), 50);
}

} // namespace
