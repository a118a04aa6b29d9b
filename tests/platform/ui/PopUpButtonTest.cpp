// Pop-up and pull-down buttons over a menu: selection by tag, index and represented object,
// and what choosing an item does.
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PopUpButton.h"
#include "tests/platform/ui/ControlTestSupport.h"

#include <gtest/gtest.h>


namespace {

class PopUpButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        button = new pf::PopUpButton(active.window.get());
        button->setFrame(QRectF(10, 10, 120, 24));
        button->addItemsWithTitles({QStringLiteral("Metres"), QStringLiteral("Feet"), QStringLiteral("Miles")});
        for (int i = 0; i < 3; ++i) {
            button->itemAtIndex(i)->setTag(10 + i);
            button->itemAtIndex(i)->setRepresentedObject(QStringLiteral("unit-%1").arg(i));
        }
        button->setAction(QStringLiteral("takeValue:"));
        button->show();
    }

    quillory::test::ActiveWindow active;
    pf::PopUpButton* button = nullptr;
};

TEST_F(PopUpButtonTest, SelectsByTagIndexAndRepresentedObject)
{
    // A pop-up shows its first item until told otherwise, and marks only the selected one.
    EXPECT_EQ(button->indexOfSelectedItem(), 0);
    EXPECT_TRUE(button->selectItemWithTag(12));
    EXPECT_EQ(button->titleOfSelectedItem(), QStringLiteral("Miles"));
    EXPECT_EQ(button->title(), QStringLiteral("Miles"));
    EXPECT_EQ(button->intValue(), 2);
    EXPECT_FALSE(button->selectItemWithTag(99));
    EXPECT_EQ(button->indexOfSelectedItem(), 2);

    const int feet = button->indexOfItemWithRepresentedObject(QStringLiteral("unit-1"));
    EXPECT_EQ(feet, 1);
    EXPECT_EQ(button->indexOfItemWithRepresentedObject(QStringLiteral("unit-9")), -1);
    button->selectItemAtIndex(feet);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(button->itemAtIndex(i)->state(), i == 1 ? pf::ControlState::On : pf::ControlState::Off) << i;

    button->selectItemAtIndex(7);
    EXPECT_EQ(button->selectedItem(), nullptr);
}

TEST_F(PopUpButtonTest, RemovingItemsKeepsTheSelectionOnTheSameItem)
{
    button->selectItemWithTag(12);
    button->removeItemAtIndex(0);
    EXPECT_EQ(button->titleOfSelectedItem(), QStringLiteral("Miles"));
    EXPECT_EQ(button->indexOfSelectedItem(), 1);
    // An added title already there moves rather than appearing twice.
    button->addItemWithTitle(QStringLiteral("Feet"));
    EXPECT_EQ(button->itemTitles(), (QStringList{QStringLiteral("Miles"), QStringLiteral("Feet")}));
}

TEST_F(PopUpButtonTest, ChoosingAnItemSelectsItAndSendsTheAction)
{
    button->itemChosen(button->itemAtIndex(2));
    ASSERT_EQ(active.recorder->actions.size(), 1);
    EXPECT_EQ(pf::Control::fromSender(active.recorder->senders.value(0)), button);
    EXPECT_EQ(button->indexOfSelectedItem(), 2);
}

TEST_F(PopUpButtonTest, PullDownShowsItsFirstItemAsTitleAndNeverSelectsIt)
{
    button->setPullsDown(true);
    EXPECT_EQ(button->title(), QStringLiteral("Metres"));
    // The title item is hidden while the menu shows, and cannot be chosen.
    EXPECT_EQ(button->indexOfSelectedItem(), -1);
    button->itemChosen(button->itemAtIndex(0));
    EXPECT_TRUE(active.recorder->actions.isEmpty());
    button->itemChosen(button->itemAtIndex(1));
    EXPECT_EQ(button->title(), QStringLiteral("Metres"));
    EXPECT_EQ(button->indexOfSelectedItem(), 1);
    EXPECT_EQ(active.recorder->actions.size(), 1);
}

} // namespace
