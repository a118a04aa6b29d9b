#include "app/VNQLUndoHistoryController.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/UndoManager.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QListWidget>

#include <gtest/gtest.h>

namespace {

// A counter whose changes are undoable, one named step each.
class HistoryCounter : public pf::Object {
    PF_CLASS(HistoryCounter)
public:
    int value = 0;
    void set(pf::UndoManager& undo, int to, const QString& name)
    {
        const int previous = value;
        undo.registerUndo(this, [this, &undo, previous, name] { set(undo, previous, name); });
        undo.setActionName(name);
        value = to;
    }
};

} // namespace

PF_DEFINE_CLASS(HistoryCounter, pf::Object) {}

namespace {

class UndoHistoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        undo = std::make_shared<pf::UndoManager>();
        counter = std::make_shared<HistoryCounter>();
        history.setStepInterval(10);
        history.setUndoManager(undo.get());
    }
    // Five done steps named "Step 1" ... "Step 5", the counter at 5.
    void fiveSteps()
    {
        for (int i = 1; i <= 5; ++i) {
            undo->beginUndoGrouping();
            counter->set(*undo, i, QStringLiteral("Step %1").arg(i));
            undo->endUndoGrouping();
        }
    }
    bool waitForStepping() { return quillory::test::waitUntil([&] { return !history.isStepping(); }, 10000); }
    QStringList rows() const
    {
        QStringList texts;
        for (int i = 0; i < history.listWidget()->count(); ++i)
            texts.append(history.listWidget()->item(i)->text());
        return texts;
    }

    pf::Ref<pf::UndoManager> undo;
    pf::Ref<HistoryCounter> counter;
    VNQLUndoHistoryController history;
};

TEST_F(UndoHistoryTest, ListsDoneThenUndoneStepsAndFollowsChanges)
{
    fiveSteps();
    EXPECT_EQ(rows(), (QStringList{"Step 1", "Step 2", "Step 3", "Step 4", "Step 5"}));
    EXPECT_EQ(history.indexOfCurrentUndoPosition(), 4);
    undo->undo();
    undo->undo();
    EXPECT_EQ(rows(), (QStringList{"Step 1", "Step 2", "Step 3", "Step 4", "Step 5"}))
        << "the next step to redo comes first after the done ones";
    EXPECT_EQ(history.indexOfCurrentUndoPosition(), 2);
    EXPECT_FALSE(history.listWidget()->item(2)->font().italic());
    EXPECT_TRUE(history.listWidget()->item(3)->font().italic()) << "undone rows are italic";
    EXPECT_EQ(history.listWidget()->item(3)->font().pointSizeF(), history.listWidget()->item(2)->font().pointSizeF())
        << "undone rows keep the list's size";

    undo->beginUndoGrouping();
    counter->set(*undo, 9, QStringLiteral("Other"));
    undo->endUndoGrouping();
    EXPECT_EQ(rows(), (QStringList{"Step 1", "Step 2", "Step 3", "Other"})) << "a new edit drops the undone rows";

    undo->removeAllActions();
    EXPECT_TRUE(rows().isEmpty()) << "emptied stacks (saving, closing) empty the list";
    EXPECT_EQ(history.indexOfCurrentUndoPosition(), -1);
}

TEST_F(UndoHistoryTest, SteppingBackToTheFirstRowUndoesFourSteps)
{
    fiveSteps();
    ASSERT_TRUE(history.goToRow(0));
    EXPECT_TRUE(history.isStepping()) << "the steps come from a timer";
    EXPECT_EQ(counter->value, 5);
    ASSERT_TRUE(waitForStepping());
    EXPECT_EQ(counter->value, 1) << "the chosen step stays done";
    EXPECT_EQ(undo->numberOfUndoActions(), 1);
    EXPECT_EQ(undo->numberOfRedoActions(), 4);

    ASSERT_TRUE(history.goToRow(3));
    ASSERT_TRUE(waitForStepping());
    EXPECT_EQ(counter->value, 4) << "going forward redoes up to the chosen step";
    EXPECT_EQ(history.indexOfCurrentUndoPosition(), 3);
}

TEST_F(UndoHistoryTest, RowsThatAreNotAStepAwayDoNothing)
{
    EXPECT_FALSE(history.goToRow(0)) << "an empty history";
    fiveSteps();
    EXPECT_FALSE(history.goToRow(4)) << "the current position";
    EXPECT_FALSE(history.goToRow(5));
    EXPECT_FALSE(history.goToRow(-1));
    EXPECT_FALSE(history.isStepping());
    history.setUndoManager(nullptr);
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_FALSE(history.goToRow(0));
}

TEST_F(UndoHistoryTest, SteppingStopsWhenTheHistoryChangesUnderIt)
{
    fiveSteps();
    ASSERT_TRUE(history.goToRow(0));
    undo->removeAllActions();
    ASSERT_TRUE(waitForStepping()) << "no step left to take: the timer stops";
    EXPECT_EQ(counter->value, 5);
}

TEST_F(UndoHistoryTest, ChoosingARowInTheListSteps)
{
    fiveSteps();
    history.listWidget()->setCurrentRow(1);
    history.goToSelectedHistoryAction();
    ASSERT_TRUE(waitForStepping());
    EXPECT_EQ(counter->value, 2);
}

} // namespace
