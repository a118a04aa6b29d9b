#include <gtest/gtest.h>

#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UndoManager.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSet>
#include <QTimer>

namespace {

// A model object that records its own undo, as the drawing model does: each change registers
// the change that puts the old state back.
class UndoModel : public pf::Object {
    PF_CLASS(UndoModel)
public:
    pf::UndoManager* undoManager = nullptr;
    // Every call of setValue, as "<label>=<value>", with "(undoing)"/"(redoing)" while replaying.
    QStringList* trace = nullptr;
    QString label = QStringLiteral("m");
    // Runs inside setValue, after the undo registration.
    std::function<void()> duringSet;

    int value() const { return m_value; }
    void setValue(int value)
    {
        if (trace) {
            QString entry = label + QLatin1Char('=') + QString::number(value);
            if (undoManager && undoManager->isUndoing())
                entry += QStringLiteral("(undoing)");
            if (undoManager && undoManager->isRedoing())
                entry += QStringLiteral("(redoing)");
            trace->append(entry);
        }
        if (undoManager)
            undoManager->registerUndo(this, QStringLiteral("setValue:"), m_value);
        m_value = value;
        if (duringSet)
            duringSet();
    }

    // A change that is not a setter: each one must be undone on its own.
    QList<int> items() const { return m_items; }
    void addItem(int item)
    {
        m_items.append(item);
        if (undoManager)
            undoManager->registerUndo(this, QStringLiteral("removeItem:"), item);
    }
    void removeItem(int item)
    {
        m_items.removeOne(item);
        if (undoManager)
            undoManager->registerUndo(this, QStringLiteral("addItem:"), item);
    }

    // Two values changed together, undone through a recorded invocation.
    QString pair() const { return m_pair; }
    void setPair(const QString& first, int second)
    {
        if (undoManager)
            undoManager->prepareWithInvocationTarget(this).record(QStringLiteral("setFirst:second:"),
                                                                  {m_pairFirst, m_pairSecond});
        m_pairFirst = first;
        m_pairSecond = second;
        m_pair = first + QLatin1Char('/') + QString::number(second);
    }

    void explode() { throw pf::Exception(pf::NSGenericException, QStringLiteral("the action failed")); }

private:
    int m_value = 0;
    QList<int> m_items;
    QString m_pair;
    QString m_pairFirst;
    int m_pairSecond = 0;
};

} // namespace

PF_DEFINE_CLASS_NAMED(UndoModel, pf::Object, "UndoManagerTest.Model")
{
    b.property(QStringLiteral("value"), &UndoModel::value, &UndoModel::setValue)
        .method(QStringLiteral("addItem:"), &UndoModel::addItem)
        .method(QStringLiteral("removeItem:"), &UndoModel::removeItem)
        .method(QStringLiteral("setFirst:second:"), &UndoModel::setPair)
        .method(QStringLiteral("explode"), &UndoModel::explode);
}

namespace {

// Ends the current turn of the event loop: runs what was queued, as the main loop does after
// each event.
void endTurn()
{
    QCoreApplication::processEvents();
}

// Runs each step in a turn of its own, as events the user makes one after another.
void runInTurns(std::vector<std::function<void()>> steps)
{
    QEventLoop loop;
    QObject context;
    size_t next = 0;
    std::function<void()> runNext = [&] {
        if (next == steps.size()) {
            loop.quit();
            return;
        }
        steps[next++]();
        QMetaObject::invokeMethod(&context, runNext, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(&context, runNext, Qt::QueuedConnection);
    QTimer::singleShot(5000, &loop, [&] { loop.quit(); });
    loop.exec();
    ASSERT_EQ(next, steps.size()) << "the turns did not all run";
}

QList<int> actionCounts(const QList<pf::UndoGroup>& groups)
{
    QList<int> counts;
    for (const pf::UndoGroup& group : groups)
        counts.append(group.actionCount());
    return counts;
}

QStringList actionNames(const QList<pf::UndoGroup>& groups)
{
    QStringList names;
    for (const pf::UndoGroup& group : groups)
        names.append(group.actionName());
    return names;
}

class UndoManagerTest : public testing::Test {
protected:
    QStringList trace;
    pf::Ref<pf::UndoManager> um = std::make_shared<pf::UndoManager>();
    pf::Ref<UndoModel> model = makeModel(QStringLiteral("m"));

    pf::Ref<UndoModel> makeModel(const QString& label)
    {
        auto made = std::make_shared<UndoModel>();
        made->undoManager = um.get();
        made->trace = &trace;
        made->label = label;
        return made;
    }

    // Each value set in a turn of its own: one undo step each.
    void setInTurns(const QList<int>& values)
    {
        for (int value : values) {
            model->setValue(value);
            endTurn();
        }
    }
};

} // namespace

TEST_F(UndoManagerTest, GroupsFollowExplicitNestingAndEventLoopTurns)
{
    struct Case {
        const char* name;
        std::function<void(pf::UndoManager&, UndoModel&)> script;
        QList<int> steps; // actions of each undo step, oldest first
    };
    const Case cases[] = {
        {"nested explicit groups make one step",
         [](pf::UndoManager& um, UndoModel& m) {
             um.beginUndoGrouping();
             m.setValue(1);
             um.beginUndoGrouping();
             EXPECT_EQ(um.groupingLevel(), 2);
             m.setValue(2);
             m.addItem(7);
             um.endUndoGrouping();
             um.endUndoGrouping();
         },
         {2 + 1}},
        {"an empty group leaves no step",
         [](pf::UndoManager& um, UndoModel&) {
             um.beginUndoGrouping();
             um.beginUndoGrouping();
             um.endUndoGrouping();
             um.endUndoGrouping();
         },
         {}},
        {"two registrations in one turn are one step",
         [](pf::UndoManager&, UndoModel& m) {
             runInTurns({[&] {
                 m.setValue(1);
                 m.addItem(3);
             }});
         },
         {2}},
        {"registrations in two turns are two steps",
         [](pf::UndoManager&, UndoModel& m) { runInTurns({[&] { m.setValue(1); }, [&] { m.setValue(2); }}); },
         {1, 1}},
        {"a nested event pass ends the turn's group",
         [](pf::UndoManager&, UndoModel& m) {
             runInTurns({[&] {
                 m.setValue(1);
                 QCoreApplication::processEvents();
                 m.setValue(2);
             }});
         },
         {1, 1}},
        {"a group begun inside the turn's group keeps it open across turns",
         [](pf::UndoManager& um, UndoModel& m) {
             runInTurns({[&] {
                             m.setValue(1);
                             um.beginUndoGrouping();
                         },
                         [&] {
                             EXPECT_EQ(um.groupingLevel(), 2);
                             m.setValue(2);
                             um.endUndoGrouping();
                         },
                         [&] { m.setValue(3); }});
         },
         {2, 1}},
        {"a disabled registration opens no group",
         [](pf::UndoManager& um, UndoModel& m) {
             um.disableUndoRegistration();
             m.setValue(1);
             EXPECT_EQ(um.groupingLevel(), 0);
             um.enableUndoRegistration();
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        um = std::make_shared<pf::UndoManager>();
        model = makeModel(QStringLiteral("m"));
        c.script(*um, *model);
        endTurn();
        EXPECT_EQ(um->groupingLevel(), 0);
        EXPECT_EQ(actionCounts(um->undoStack()), c.steps);
    }
}

TEST_F(UndoManagerTest, StepsAreUndoneNewestActionFirst)
{
    auto other = makeModel(QStringLiteral("o"));
    um->beginUndoGrouping();
    model->setValue(1);
    other->setValue(5);
    model->setValue(2);
    um->endUndoGrouping();
    trace.clear();
    um->undo();
    EXPECT_EQ(trace, (QStringList{"m=1(undoing)", "o=0(undoing)", "m=0(undoing)"}));
    EXPECT_EQ(model->value(), 0);
    EXPECT_EQ(other->value(), 0);
}

TEST_F(UndoManagerTest, UndoClosesTheOpenTurnGroupAndItsQueuedCloseStaysHarmless)
{
    model->setValue(1);
    EXPECT_EQ(um->groupingLevel(), 1);
    EXPECT_TRUE(um->canUndo());
    um->undo();
    EXPECT_EQ(model->value(), 0);
    EXPECT_TRUE(um->canRedo());
    // The end-of-turn close queued for the first group must not end one begun since.
    um->beginUndoGrouping();
    endTurn();
    EXPECT_EQ(um->groupingLevel(), 1);
    um->endUndoGrouping();
}

TEST_F(UndoManagerTest, WithoutGroupingByEventARegistrationNeedsAnOpenGroup)
{
    um->setGroupsByEvent(false);
    try {
        model->setValue(1);
        FAIL() << "registering with no group open did not raise";
    } catch (const pf::Exception& e) {
        EXPECT_EQ(e.name(), pf::NSInternalInconsistencyException);
    }
    endTurn();
    EXPECT_EQ(um->numberOfUndoActions(), 0);
    um->beginUndoGrouping();
    model->setValue(2);
    endTurn();
    EXPECT_EQ(um->groupingLevel(), 1); // no turn closes an explicit group
    um->endUndoGrouping();
    EXPECT_EQ(um->numberOfUndoActions(), 1);
}

TEST_F(UndoManagerTest, MisuseRaisesAndLeavesTheStacksAlone)
{
    struct Case {
        const char* name;
        QString exception;
        std::function<void(pf::UndoManager&, UndoModel&)> misuse;
    };
    const Case cases[] = {
        {"ending with no group open", pf::NSInternalInconsistencyException,
         [](pf::UndoManager& um, UndoModel&) { um.endUndoGrouping(); }},
        {"undoing with nested groups open", pf::NSInternalInconsistencyException,
         [](pf::UndoManager& um, UndoModel&) {
             um.beginUndoGrouping();
             um.beginUndoGrouping();
             um.undo();
         }},
        {"redoing with nested groups open", pf::NSInternalInconsistencyException,
         [](pf::UndoManager& um, UndoModel&) {
             um.beginUndoGrouping();
             um.beginUndoGrouping();
             um.redo();
         }},
        {"enabling more often than disabled", pf::NSInternalInconsistencyException,
         [](pf::UndoManager& um, UndoModel&) {
             um.disableUndoRegistration();
             um.enableUndoRegistration();
             um.enableUndoRegistration();
         }},
        {"a null target", pf::NSInvalidArgumentException,
         [](pf::UndoManager& um, UndoModel&) { um.registerUndo(nullptr, QStringLiteral("setValue:"), 1); }},
        {"a selector the target does not answer", pf::NSInvalidArgumentException,
         [](pf::UndoManager& um, UndoModel& m) { um.registerUndo(&m, QStringLiteral("noSuchThing:"), 1); }},
        {"a null function", pf::NSInvalidArgumentException,
         [](pf::UndoManager& um, UndoModel& m) { um.registerUndo(&m, std::function<void()>()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        um = std::make_shared<pf::UndoManager>();
        model = makeModel(QStringLiteral("m"));
        try {
            c.misuse(*um, *model);
            ADD_FAILURE() << "did not raise";
        } catch (const pf::Exception& e) {
            EXPECT_EQ(e.name(), c.exception);
        }
        while (um->groupingLevel() > 0)
            um->endUndoGrouping();
        EXPECT_EQ(um->numberOfUndoActions(), 0);
        EXPECT_EQ(um->numberOfRedoActions(), 0);
    }
}

TEST_F(UndoManagerTest, UndoAndRedoPingPongThroughTheModelsOwnRegistrations)
{
    setInTurns({1, 2, 3});
    struct Step {
        bool undo;
        int value;
        bool canUndo;
        bool canRedo;
    };
    const Step steps[] = {
        {true, 2, true, true},  {true, 1, true, true},   {false, 2, true, true}, {true, 1, true, true},
        {true, 0, false, true}, {false, 1, true, true},  {false, 2, true, true}, {false, 3, true, false},
        {true, 2, true, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(QStringLiteral("%1 to %2").arg(s.undo ? "undo" : "redo").arg(s.value).toStdString());
        trace.clear();
        s.undo ? um->undo() : um->redo();
        EXPECT_EQ(model->value(), s.value);
        EXPECT_EQ(trace, QStringList{QStringLiteral("m=%1(%2)").arg(s.value).arg(s.undo ? "undoing" : "redoing")});
        EXPECT_FALSE(um->isUndoing());
        EXPECT_FALSE(um->isRedoing());
        EXPECT_EQ(um->canUndo(), s.canUndo);
        EXPECT_EQ(um->canRedo(), s.canRedo);
        EXPECT_EQ(um->numberOfUndoActions() + um->numberOfRedoActions(), 3);
    }
    // Redoing past the newest state changes nothing.
    um->redo();
    EXPECT_EQ(model->value(), 3);
    um->redo();
    EXPECT_EQ(model->value(), 3);
}

TEST_F(UndoManagerTest, AFreshChangeClearsRedoButChangesMadeByRedoingDoNot)
{
    setInTurns({1, 2, 3});
    um->undo();
    um->undo();
    um->redo(); // registers while redoing
    EXPECT_TRUE(um->canRedo());
    EXPECT_EQ(um->numberOfRedoActions(), 1);

    model->setValue(10); // a fresh change, still in its turn
    EXPECT_FALSE(um->canRedo());
    EXPECT_EQ(um->numberOfRedoActions(), 0);
    endTurn();
    um->undo();
    EXPECT_EQ(model->value(), 2);
}

TEST_F(UndoManagerTest, ActionNamesFollowTheStepIntoRedoAndBack)
{
    EXPECT_EQ(um->undoMenuItemTitle(), QStringLiteral("Undo"));
    EXPECT_EQ(um->redoMenuItemTitle(), QStringLiteral("Redo"));

    model->setValue(1);
    um->setActionName(QStringLiteral("Move")); // named after the model registered, same turn
    EXPECT_EQ(um->undoActionName(), QStringLiteral("Move"));
    endTurn();
    model->setValue(2);
    endTurn();
    um->setActionName(QStringLiteral("Resize")); // no group open: names the top step
    EXPECT_EQ(actionNames(um->undoStack()), (QStringList{"Move", "Resize"}));

    um->undo();
    EXPECT_EQ(um->redoActionName(), QStringLiteral("Resize"));
    EXPECT_EQ(um->redoMenuItemTitle(), QStringLiteral("Redo Resize"));
    EXPECT_EQ(um->undoMenuItemTitle(), QStringLiteral("Undo Move"));
    um->redo();
    EXPECT_EQ(um->undoActionName(), QStringLiteral("Resize"));

    // A model that names the change again while undoing renames the redo step.
    model->duringSet = [this] {
        if (um->isUndoing())
            um->setActionName(QStringLiteral("Restore"));
    };
    um->undo();
    EXPECT_EQ(um->redoActionName(), QStringLiteral("Restore"));

    // A name given inside a nested group names the step.
    model->duringSet = nullptr;
    um->beginUndoGrouping();
    model->setValue(5);
    um->beginUndoGrouping();
    model->addItem(1);
    um->setActionName(QStringLiteral("Add Item"));
    um->endUndoGrouping();
    um->endUndoGrouping();
    EXPECT_EQ(um->undoActionName(), QStringLiteral("Add Item"));
}

TEST_F(UndoManagerTest, MenuTitlesForActionNames)
{
    const std::pair<QString, QString> cases[] = {
        {QString(), QStringLiteral("Undo")},
        {QStringLiteral("Move"), QStringLiteral("Undo Move")},
        {QStringLiteral("Change %1 Color"), QStringLiteral("Undo Change %1 Color")},
    };
    for (const auto& [name, title] : cases)
        EXPECT_EQ(um->undoMenuTitleForUndoActionName(name), title) << qPrintable(name);
}

TEST_F(UndoManagerTest, DisablingRegistrationIsCountedAndLeavesRedoAlone)
{
    setInTurns({1});
    um->undo();
    um->disableUndoRegistration();
    um->disableUndoRegistration();
    um->enableUndoRegistration();
    EXPECT_FALSE(um->isUndoRegistrationEnabled());
    model->setValue(7);
    EXPECT_EQ(um->groupingLevel(), 0);
    EXPECT_TRUE(um->canRedo()); // an ignored registration is no fresh change
    um->enableUndoRegistration();
    EXPECT_TRUE(um->isUndoRegistrationEnabled());
    model->setValue(8);
    endTurn();
    EXPECT_EQ(um->numberOfUndoActions(), 1);
    um->undo();
    EXPECT_EQ(model->value(), 7);
}

TEST_F(UndoManagerTest, RegistrationGuardReenablesOnEveryWayOut)
{
    auto disabledSet = [this](bool fail) {
        pf::UndoRegistrationDisabled guard(um);
        model->setValue(1);
        if (fail)
            throw pf::Exception(pf::NSGenericException, QStringLiteral("reading failed"));
    };
    EXPECT_THROW(disabledSet(true), pf::Exception);
    EXPECT_TRUE(um->isUndoRegistrationEnabled());
    disabledSet(false);
    EXPECT_TRUE(um->isUndoRegistrationEnabled());
    endTurn();
    EXPECT_EQ(um->numberOfUndoActions(), 0);
    {
        pf::UndoRegistrationDisabled outer(*um);
        pf::UndoRegistrationDisabled inner(um.get());
        pf::UndoRegistrationDisabled none(static_cast<pf::UndoManager*>(nullptr));
    }
    EXPECT_TRUE(um->isUndoRegistrationEnabled());
}

TEST_F(UndoManagerTest, LevelsOfUndoKeepTheNewestStepsOnBothStacks)
{
    um->setLevelsOfUndo(2);
    setInTurns({1, 2, 3, 4});
    EXPECT_EQ(um->numberOfUndoActions(), 2);
    um->undo();
    um->undo();
    EXPECT_EQ(model->value(), 2);
    EXPECT_FALSE(um->canUndo());

    um->setLevelsOfUndo(0);
    setInTurns({5, 6, 7});
    um->undo();
    um->undo(); // value 5: undo holds the step to 2, redo the steps to 7 and to 6
    um->setLevelsOfUndo(1);
    EXPECT_EQ(um->numberOfUndoActions(), 1);
    EXPECT_EQ(um->numberOfRedoActions(), 1);
    um->redo();
    EXPECT_EQ(model->value(), 6); // the nearest redo step is the one kept
    EXPECT_FALSE(um->canRedo());
    // Redoing pushed a step onto the full undo stack: the step back to 2 is gone.
    um->undo();
    EXPECT_EQ(model->value(), 5);
    EXPECT_FALSE(um->canUndo());
    EXPECT_THROW(um->setLevelsOfUndo(-1), pf::Exception);
}

TEST_F(UndoManagerTest, RemovingTheActionsOfATargetDropsStepsLeftEmpty)
{
    auto other = makeModel(QStringLiteral("o"));
    model->setValue(1); // step 1: model only
    endTurn();
    model->setValue(2); // step 2: both
    other->setValue(20);
    endTurn();
    other->setValue(30); // step 3: other only, undone onto the redo stack
    endTurn();
    um->undo();
    um->removeAllActionsWithTarget(other.get());
    EXPECT_EQ(actionCounts(um->undoStack()), (QList<int>{1, 1}));
    EXPECT_EQ(um->numberOfRedoActions(), 0);
    trace.clear();
    um->undo();
    um->undo();
    EXPECT_EQ(trace, (QStringList{"m=1(undoing)", "m=0(undoing)"}));
    EXPECT_EQ(other->value(), 20);
}

TEST_F(UndoManagerTest, RemovingAllActionsKeepsOpenGroupsAndTheDisableCount)
{
    setInTurns({1, 2});
    um->undo();
    um->beginUndoGrouping();
    model->setValue(9);
    um->disableUndoRegistration();
    um->removeAllActions();
    EXPECT_EQ(um->groupingLevel(), 1);
    EXPECT_FALSE(um->isUndoRegistrationEnabled());
    um->enableUndoRegistration(); // the caller's pair still matches
    um->endUndoGrouping();        // and so does its group, now empty
    EXPECT_FALSE(um->canUndo());
    EXPECT_FALSE(um->canRedo());
    EXPECT_EQ(um->numberOfUndoActions() + um->numberOfRedoActions(), 0);
}

TEST_F(UndoManagerTest, ActionsOfADestroyedTargetAreSkipped)
{
    auto doomed = makeModel(QStringLiteral("d"));
    bool functionRan = false;
    um->beginUndoGrouping();
    model->setValue(1);
    doomed->setValue(2);
    um->registerUndo(doomed.get(), [&] { functionRan = true; });
    um->endUndoGrouping();
    doomed.reset();
    EXPECT_TRUE(um->dumpState().contains(QStringLiteral("(target gone)")));
    trace.clear();
    um->undo();
    EXPECT_EQ(trace, QStringList{"m=0(undoing)"});
    EXPECT_FALSE(functionRan);
    EXPECT_TRUE(um->canRedo());
}

TEST_F(UndoManagerTest, CoalescingMergesRepeatedSettersOnly)
{
    struct Case {
        const char* name;
        bool coalescing;
        std::function<void(UndoModel& m, UndoModel& other)> edit;
        int actions;
        int valueAfterUndo;
        QList<int> itemsAfterUndo;
    };
    const Case cases[] = {
        {"a drag of one setter is one action", true,
         [](UndoModel& m, UndoModel&) {
             for (int v = 1; v <= 5; ++v)
                 m.setValue(v);
         },
         1, 0, {}},
        {"without coalescing every registration is kept", false,
         [](UndoModel& m, UndoModel&) {
             for (int v = 1; v <= 5; ++v)
                 m.setValue(v);
         },
         5, 0, {}},
        {"other targets are not merged", true,
         [](UndoModel& m, UndoModel& other) {
             m.setValue(1);
             other.setValue(1);
             m.setValue(2);
         },
         3, 0, {}},
        {"changes that are not setters are all kept", true,
         [](UndoModel& m, UndoModel&) {
             m.addItem(1);
             m.addItem(2);
             m.addItem(3);
         },
         3, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        um = std::make_shared<pf::UndoManager>();
        model = makeModel(QStringLiteral("m"));
        auto other = makeModel(QStringLiteral("o"));
        um->setCoalescing(c.coalescing);
        um->beginUndoGrouping();
        c.edit(*model, *other);
        um->endUndoGrouping();
        ASSERT_TRUE(um->peekUndo());
        EXPECT_EQ(um->peekUndo()->actionCount(), c.actions);
        um->undo();
        EXPECT_EQ(model->value(), c.valueAfterUndo);
        EXPECT_EQ(other->value(), 0);
        EXPECT_EQ(model->items(), c.itemsAfterUndo);
        um->redo();
        EXPECT_EQ(um->numberOfUndoActions(), 1);
    }
    // Callers switch coalescing off around multi-step edits by responds-to.
    for (const char* selector : {"disableUndoTaskCoalescing", "enableUndoTaskCoalescing"})
        EXPECT_TRUE(um->respondsTo(QString::fromLatin1(selector))) << selector;
    um->perform(QStringLiteral("disableUndoTaskCoalescing"));
    EXPECT_FALSE(um->isCoalescing());
    um->perform(QStringLiteral("enableUndoTaskCoalescing"));
    EXPECT_TRUE(um->isCoalescing());
}

TEST_F(UndoManagerTest, SeveralArgumentsAreRecordedForOneAction)
{
    model->setPair(QStringLiteral("a"), 1);
    endTurn();
    model->setPair(QStringLiteral("b"), 2);
    endTurn();
    um->undo();
    EXPECT_EQ(model->pair(), QStringLiteral("a/1"));
    um->redo();
    EXPECT_EQ(model->pair(), QStringLiteral("b/2"));
}

TEST_F(UndoManagerTest, NotificationsArriveInOrderWithTheReplayFlagsVisible)
{
    QStringList seen;
    std::vector<quint64> tokens;
    auto& center = pf::NotificationCenter::defaultCenter();
    for (const QString& name :
         {pf::NSUndoManagerCheckpointNotification, pf::NSUndoManagerDidOpenUndoGroupNotification,
          pf::NSUndoManagerWillCloseUndoGroupNotification, pf::NSUndoManagerDidCloseUndoGroupNotification,
          pf::NSUndoManagerWillUndoChangeNotification, pf::NSUndoManagerDidUndoChangeNotification,
          pf::NSUndoManagerWillRedoChangeNotification, pf::NSUndoManagerDidRedoChangeNotification,
          pf::RVUndoManagerDidCloseTopLevelGroup}) {
        tokens.push_back(center.addObserver(name, um.get(), [&](const pf::Notification& n) {
            EXPECT_EQ(n.object, um.get());
            QString shortName = n.name;
            shortName.remove(QStringLiteral("NSUndoManager")).remove(QStringLiteral("Notification"));
            if (um->isUndoing())
                shortName += QStringLiteral("(undoing)");
            if (um->isRedoing())
                shortName += QStringLiteral("(redoing)");
            seen.append(shortName);
        }));
    }
    um->beginUndoGrouping();
    um->beginUndoGrouping();
    model->setValue(1);
    um->endUndoGrouping();
    um->endUndoGrouping();
    um->undo();
    um->redo();
    for (quint64 token : tokens)
        center.removeObserver(token);

    const QStringList expected = {
        // begin, nested begin
        "DidOpenUndoGroup", "Checkpoint", "DidOpenUndoGroup",
        // nested end, end
        "Checkpoint", "WillCloseUndoGroup", "DidCloseUndoGroup",
        "Checkpoint", "WillCloseUndoGroup", "DidCloseUndoGroup", "RVUndoManagerDidCloseTopLevelGroup",
        // undo
        "WillUndoChange", "DidOpenUndoGroup(undoing)", "Checkpoint(undoing)", "WillCloseUndoGroup(undoing)",
        "DidCloseUndoGroup(undoing)", "RVUndoManagerDidCloseTopLevelGroup(undoing)", "DidUndoChange",
        // redo
        "WillRedoChange", "DidOpenUndoGroup(redoing)", "Checkpoint(redoing)", "WillCloseUndoGroup(redoing)",
        "DidCloseUndoGroup(redoing)", "RVUndoManagerDidCloseTopLevelGroup(redoing)", "DidRedoChange",
    };
    EXPECT_EQ(seen, expected);
}

TEST_F(UndoManagerTest, AnActionThatRaisesConsumesItsStepAndKeepsWhatRanRedoable)
{
    um->beginUndoGrouping();
    um->prepareWithInvocationTarget(model.get()).record(QStringLiteral("explode"), {});
    model->setValue(5);
    um->setActionName(QStringLiteral("Paste"));
    um->endUndoGrouping();

    EXPECT_THROW(um->undo(), pf::Exception); // setValue: undone first, then the failure
    EXPECT_FALSE(um->isUndoing());
    EXPECT_EQ(um->groupingLevel(), 0);
    EXPECT_EQ(model->value(), 0);
    EXPECT_FALSE(um->canUndo());
    ASSERT_TRUE(um->peekRedo());
    EXPECT_EQ(um->peekRedo()->actionName(), QStringLiteral("Paste"));
    um->redo();
    EXPECT_EQ(model->value(), 5);

    // Undoing again from inside an action is refused, and unwinds the same way.
    model->duringSet = [this] { um->undo(); };
    EXPECT_THROW(um->undo(), pf::InternalInconsistencyException);
    model->duringSet = nullptr;
    EXPECT_FALSE(um->isUndoing());
    EXPECT_EQ(um->groupingLevel(), 0);
    EXPECT_EQ(model->value(), 0);
    um->redo();
    EXPECT_EQ(model->value(), 5);
}

TEST_F(UndoManagerTest, StacksCanBeInspectedForTheHistoryList)
{
    EXPECT_FALSE(um->peekUndo());
    EXPECT_FALSE(um->peekRedo());
    model->setValue(1);
    um->setActionName(QStringLiteral("Move"));
    endTurn();
    um->beginUndoGrouping();
    model->setValue(2);
    model->addItem(4);
    um->setActionName(QStringLiteral("Add"));
    um->endUndoGrouping();
    model->setValue(3);
    endTurn();
    um->undo();

    EXPECT_EQ(actionNames(um->undoStack()), (QStringList{"Move", "Add"}));
    EXPECT_EQ(actionCounts(um->undoStack()), (QList<int>{1, 2}));
    EXPECT_EQ(actionNames(um->redoStack()), QStringList{""});
    EXPECT_EQ(actionCounts(um->redoStack()), QList<int>{1});
    ASSERT_TRUE(um->peekUndo());
    ASSERT_TRUE(um->peekRedo());
    EXPECT_EQ(um->peekUndo(), um->undoStack().last());
    EXPECT_EQ(um->peekUndo()->actionName(), "Add");
    EXPECT_EQ(um->peekRedo(), um->redoStack().last());
    EXPECT_EQ(um->numberOfUndoActions(), 2);
    EXPECT_EQ(um->numberOfRedoActions(), 1);

    const QString dump = um->dumpState();
    for (const char* part : {"Undo stack: 2 step(s)", "\"Add\", 2 action(s)", "removeItem: on UndoManagerTest.Model",
                             "Redo stack: 1 step(s)", "(unnamed), 1 action(s)", "Open groups: 0"})
        EXPECT_TRUE(dump.contains(QString::fromUtf8(part))) << part << "\n" << qPrintable(dump);
    // The newest step is listed first.
    EXPECT_LT(dump.indexOf(QStringLiteral("\"Add\"")), dump.indexOf(QStringLiteral("\"Move\"")));
}

namespace {

QList<quint64> identities(const QList<pf::UndoGroup>& groups)
{
    QList<quint64> ids;
    for (const pf::UndoGroup& group : groups)
        ids.append(group.identity());
    return ids;
}

} // namespace

// The history list undoes until a chosen step is on top: steps alike in name and size must
// still be told apart, and a step must stay itself while others come and go above it.
TEST_F(UndoManagerTest, StepsAreToldApartByIdentityNotByName)
{
    for (int value = 1; value <= 3; ++value) {
        model->setValue(value);
        um->setActionName(QStringLiteral("Move"));
        endTurn();
    }
    const QList<pf::UndoGroup> steps = um->undoStack();
    ASSERT_EQ(steps.size(), 3);
    EXPECT_NE(steps[0], steps[1]);
    EXPECT_NE(steps[1], steps[2]);
    EXPECT_NE(steps[0].identity(), 0u);
    EXPECT_EQ(um->peekUndo(), steps[2]);

    // Renaming the top step keeps it the same step.
    um->setActionName(QStringLiteral("Nudge"));
    EXPECT_EQ(um->peekUndo(), steps[2]);
    EXPECT_EQ(um->peekUndo()->actionName(), "Nudge");

    // Undo until the first step is on top, as the history list steps back.
    int undone = 0;
    while (um->canUndo() && um->peekUndo() != steps[0]) {
        um->undo();
        ++undone;
    }
    EXPECT_EQ(undone, 2);
    EXPECT_EQ(model->value(), 1);
    EXPECT_EQ(um->undoStack(), QList<pf::UndoGroup>{steps[0]});
    // The undone steps became new redo steps, each its own.
    const QList<pf::UndoGroup> redo = um->redoStack();
    ASSERT_EQ(redo.size(), 2);
    EXPECT_NE(redo[0], redo[1]);
    EXPECT_FALSE(steps.contains(redo[0]) || steps.contains(redo[1]));

    // Redo until the older of them is next: one redo.
    int redone = 0;
    while (um->canRedo() && um->peekRedo() != redo[0]) {
        um->redo();
        ++redone;
    }
    EXPECT_EQ(redone, 1);
    EXPECT_EQ(model->value(), 2);
    EXPECT_EQ(um->undoStack().first(), steps[0]) << "a step below keeps its identity";
}

TEST_F(UndoManagerTest, ExplodingTheTopStepMakesNewStepsOfOneAction)
{
    um->beginUndoGrouping();
    model->addItem(1);
    model->addItem(2);
    model->addItem(3);
    um->setActionName(QStringLiteral("Add"));
    um->endUndoGrouping();
    const pf::UndoGroup whole = *um->peekUndo();
    ASSERT_TRUE(um->explodeTopUndoStep());
    const QList<pf::UndoGroup> pieces = um->undoStack();
    EXPECT_EQ(actionNames(pieces), (QStringList{"Add", "Add", "Add"}));
    EXPECT_EQ(actionCounts(pieces), (QList<int>{1, 1, 1}));
    const QList<quint64> ids = identities(pieces);
    EXPECT_EQ(QSet<quint64>(ids.begin(), ids.end()).size(), 3);
    EXPECT_FALSE(pieces.contains(whole)) << "the whole step is gone";
    um->undo();
    EXPECT_EQ(model->items(), (QList<int>{1, 2}));
}
