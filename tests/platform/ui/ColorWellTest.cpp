#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/ColorPanel.h"
#include "platform/ui/ColorPanelModeItem.h"
#include "platform/ui/ColorWell.h"

#include <gtest/gtest.h>

// Receives colour well actions.
class WellTarget : public pf::Object {
    PF_CLASS(WellTarget)
public:
    void takeColour(const QVariant& sender)
    {
        if (auto* well = dynamic_cast<pf::ColorWell*>(pf::Control::fromSender(sender)))
            colours << well->color();
    }
    QList<pf::Color> colours;
};

PF_DEFINE_CLASS(WellTarget, pf::Object)
{
    b.method("takeColour:", &WellTarget::takeColour);
}

// A well that notes being deactivated, as subclasses in the interface do.
class NotingWell : public pf::ColorWell {
public:
    void deactivate() override
    {
        if (isActive())
            ++deactivations;
        pf::ColorWell::deactivate();
    }
    int deactivations = 0;
};

namespace {

struct ColorWellTest : ::testing::Test {
    NotingWell first;
    NotingWell second;
    std::shared_ptr<WellTarget> target = std::make_shared<WellTarget>();
    void SetUp() override
    {
        for (pf::ColorWell* well : {static_cast<pf::ColorWell*>(&first), static_cast<pf::ColorWell*>(&second)}) {
            well->setTarget(target.get());
            well->setAction(QStringLiteral("takeColour:"));
        }
        first.setColor(pf::Color::red());
        second.setColor(pf::Color::blue());
    }
    void TearDown() override
    {
        pf::ColorWell::deactivateAll();
        pf::ColorPanel::shared()->orderOut();
    }
};

TEST_F(ColorWellTest, TheActiveWellTakesThePanel)
{
    first.activate(true);
    pf::ColorPanel* panel = pf::ColorPanel::shared();
    EXPECT_TRUE(first.isActive());
    EXPECT_EQ(panel->color(), pf::Color::red());
    EXPECT_TRUE(panel->isVisible());

    second.activate(true);
    EXPECT_FALSE(first.isActive());
    EXPECT_EQ(first.deactivations, 1);
    EXPECT_EQ(panel->color(), pf::Color::blue());

    panel->userChoseColor(pf::Color::green());
    EXPECT_EQ(second.color(), pf::Color::green());
    EXPECT_EQ(first.color(), pf::Color::red());
    EXPECT_EQ(target->colours, (QList<pf::Color>{pf::Color::green()}));

    // Shift-style activation keeps the others: both take the next colour.
    first.activate(false);
    EXPECT_EQ(pf::ColorWell::activeWells().size(), 2);
    panel->userChoseColor(pf::Color::cyan());
    EXPECT_EQ(first.color(), pf::Color::cyan());
    EXPECT_EQ(second.color(), pf::Color::cyan());

    // A well that is not continuous takes the colour without sending.
    second.setContinuous(false);
    panel->userChoseColor(pf::Color::orange());
    EXPECT_EQ(second.color(), pf::Color::orange());
    EXPECT_EQ(target->colours.size(), 4); // green, cyan twice, orange from the first well only
}

TEST_F(ColorWellTest, DeactivateAllLeavesNoWellActiveAndThePanelAsItWas)
{
    pf::ColorPanel::disablePanel();
    first.activate(true);
    second.activate(false);
    pf::ColorPanel::enablePanel();
    pf::ColorPanel* panel = pf::ColorPanel::shared();
    EXPECT_FALSE(panel->isVisible()); // taken without showing

    pf::ColorWell::deactivateAll();
    EXPECT_TRUE(pf::ColorWell::activeWells().isEmpty());
    EXPECT_EQ(first.deactivations + second.deactivations, 2);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->colorReceiverOwner(), nullptr);

    // With no well active, a colour changes no well.
    panel->userChoseColor(pf::Color::green());
    EXPECT_EQ(first.color(), pf::Color::red());
}

TEST_F(ColorWellTest, AClickTogglesActivation)
{
    first.performClick();
    EXPECT_TRUE(first.isActive());
    first.performClick();
    EXPECT_FALSE(first.isActive());
}

TEST(ColorPanelTest, LendsItsPickersAndTakesThemBackWhenOrderedFront)
{
    pf::ColorPanel* panel = pf::ColorPanel::shared();
    panel->setShowsAlpha(true);
    panel->setColor(pf::Color(0.2, 0.4, 0.6, 0.5));
    EXPECT_NEAR(panel->color().alphaComponent(), 0.5, 1e-4);
    panel->attachColorList(pf::ColorList::named(QStringLiteral("Crayons")));
    EXPECT_EQ(panel->attachedColorLists().size(), 1);
    ASSERT_EQ(panel->modeItems().size(), 2);
    panel->perform(panel->modeItems()[1]->action(), {pf::toVariant(panel->modeItems()[1])});
    EXPECT_EQ(panel->selectedItemIdentifier(), pf::ColorPanel::kListModeIdentifier);

    QWidget popover;
    panel->pickerView()->setParent(&popover);
    EXPECT_TRUE(panel->isPickerViewLent());
    pf::ColorPanel::disablePanel();
    panel->orderFront();
    EXPECT_TRUE(panel->isPickerViewLent());
    EXPECT_FALSE(panel->isVisible());
    pf::ColorPanel::enablePanel();
    panel->orderFront();
    EXPECT_FALSE(panel->isPickerViewLent());
    EXPECT_TRUE(panel->isVisible());
    panel->orderOut();
    panel->setShowsAlpha(false);
    EXPECT_NEAR(panel->color().alphaComponent(), 0.5, 1e-4); // kept until the next colour
}

} // namespace
