#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/UndoGroup.h"

#include <QList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QObject;

namespace pf {

inline const QString NSUndoManagerCheckpointNotification = QStringLiteral("NSUndoManagerCheckpointNotification");
inline const QString NSUndoManagerDidOpenUndoGroupNotification = QStringLiteral("NSUndoManagerDidOpenUndoGroupNotification");
inline const QString NSUndoManagerWillCloseUndoGroupNotification = QStringLiteral("NSUndoManagerWillCloseUndoGroupNotification");
inline const QString NSUndoManagerDidCloseUndoGroupNotification = QStringLiteral("NSUndoManagerDidCloseUndoGroupNotification");
inline const QString NSUndoManagerWillUndoChangeNotification = QStringLiteral("NSUndoManagerWillUndoChangeNotification");
inline const QString NSUndoManagerDidUndoChangeNotification = QStringLiteral("NSUndoManagerDidUndoChangeNotification");
inline const QString NSUndoManagerWillRedoChangeNotification = QStringLiteral("NSUndoManagerWillRedoChangeNotification");
inline const QString NSUndoManagerDidRedoChangeNotification = QStringLiteral("NSUndoManagerDidRedoChangeNotification");
// A top-level group closed holding actions, onto the undo stack or, while undoing, the redo stack.
inline const QString RVUndoManagerDidCloseTopLevelGroup = QStringLiteral("RVUndoManagerDidCloseTopLevelGroup");

// Records the inverse of model changes as undo steps and replays them. Model objects register
// the operation that restores their old state; the actions registered during one turn of the
// event loop (or between an explicit begin and end) form one step. Undoing a step runs its
// actions newest first, and what they register while undoing becomes the redo step.
//
// Targets are not retained: an action whose target is gone is skipped. Argument values are
// kept. Main thread only (the thread the manager was made on, whose event loop closes the
// groups opened by registrations).
class UndoManager : public Object {
    PF_CLASS(UndoManager)
public:
    // Registers several-argument undo actions for one target.
    class InvocationRecorder {
    public:
        // Undo performs target->perform(selector, arguments).
        void record(const QString& selector, const QVariantList& arguments);

    private:
        friend class UndoManager;
        InvocationRecorder(UndoManager* manager, Reflective* target) : m_manager(manager), m_target(target) {}
        UndoManager* m_manager;
        Reflective* m_target;
    };

    UndoManager();
    ~UndoManager() override;

    // Registration. Ignored while registration is disabled. With no group open, a registration
    // opens one that closes at the end of this event-loop turn; with groupsByEvent off it
    // raises NSInternalInconsistencyException instead. A null target or a selector the target
    // does not answer raises NSInvalidArgumentException.
    void registerUndo(Reflective* target, const QString& selector, const QVariant& argument);
    void registerUndo(Reflective* target, std::function<void()> action);
    InvocationRecorder prepareWithInvocationTarget(Reflective* target);

    // Groups nest; a closed nested group's actions join its parent's. A group closed without
    // actions leaves no step. Ending with no group open raises NSInternalInconsistencyException.
    void beginUndoGrouping();
    void endUndoGrouping();
    int groupingLevel() const { return int(m_openGroups.size()); }
    bool groupsByEvent() const { return m_groupsByEvent; }
    void setGroupsByEvent(bool groupsByEvent) { m_groupsByEvent = groupsByEvent; }

    // Undo and redo close an open top-level group first, and raise
    // NSInternalInconsistencyException while nested groups are open or while undoing or redoing.
    // When an action raises, the step is consumed, what was registered so far becomes the
    // opposite step, and the exception goes on to the caller.
    void undo();
    void redo();
    bool isUndoing() const { return m_undoing; }
    bool isRedoing() const { return m_redoing; }
    // Whether undo() or redo() would change something now; an open top-level group that holds
    // actions counts as the step to undo.
    bool canUndo() const;
    bool canRedo() const;

    // Names the innermost open group, or the top undo step when no group is open. While
    // undoing or redoing, the step being built starts with the name of the one being replayed.
    void setActionName(const QString& name);
    // The names of the steps undo() and redo() would replay.
    QString undoActionName() const;
    QString redoActionName() const;
    QString undoMenuItemTitle() const;
    QString redoMenuItemTitle() const;
    // "Undo <name>", or "Undo" for an unnamed step.
    QString undoMenuTitleForUndoActionName(const QString& actionName) const;

    // Counted: each disable needs its enable; enabling more often raises
    // NSInternalInconsistencyException.
    void disableUndoRegistration();
    void enableUndoRegistration();
    bool isUndoRegistrationEnabled() const { return m_disableCount == 0; }

    // Keeps only the `levels` most recent steps on each stack; 0 keeps all.
    void setLevelsOfUndo(int levels);
    int levelsOfUndo() const { return m_levelsOfUndo; }

    // Empties both stacks and the open groups. Open groups stay open and registration stays
    // as disabled as it was, so the callers' begin/end and disable/enable pairs still match.
    void removeAllActions();
    // Drops the actions of `target` everywhere; steps left empty are dropped. Both post
    // NSUndoManagerCheckpointNotification, so lists of the history can follow.
    void removeAllActionsWithTarget(const Reflective* target);

    // Coalescing (on by default): a setter registration ("set<Key>:") of the same target and
    // selector as the last registration of the open group is dropped, keeping the oldest value,
    // so a drag of many small changes undoes with one action. Other registrations are always
    // kept: dropping them would lose the undo of a different change.
    bool isCoalescing() const { return m_coalescing; }
    void setCoalescing(bool coalescing) { m_coalescing = coalescing; }
    void disableUndoTaskCoalescing() { m_coalescing = false; }
    void enableUndoTaskCoalescing() { m_coalescing = true; }

    // The closed steps, oldest first; the last one is the next to undo (or redo). A step keeps
    // its identity while it stays on its stack; undoing or redoing it makes a new step.
    QList<UndoGroup> undoStack() const;
    QList<UndoGroup> redoStack() const;
    std::optional<UndoGroup> peekUndo() const;
    std::optional<UndoGroup> peekRedo() const;
    // The number of closed steps on each stack.
    int numberOfUndoActions() const { return int(m_undoStack.size()); }
    int numberOfRedoActions() const { return int(m_redoStack.size()); }
    // Both stacks and the open groups as readable text, for diagnostics.
    QString dumpState() const;
    // Splits the top undo step into new steps of one action each, named like the step, the newest
    // action on top, so undoing them one by one runs the same actions in the same order as
    // undoing the whole step. Levels of undo are not applied, so no older step is lost. False,
    // changing nothing, when there is no step, it holds one action, a group is open, or the
    // manager is undoing or redoing.
    bool explodeTopUndoStep();

private:
    struct Action {
        Reflective* target = nullptr;
        std::weak_ptr<void> alive;
        QString selector;
        QVariantList arguments;
        std::function<void()> function;

        bool targetAlive() const { return target && !alive.expired(); }
        bool hasTarget(const Reflective* object, const std::weak_ptr<void>& token) const;
        void run() const;
        QString description() const;
    };
    struct Group {
        QString name;
        std::vector<Action> actions;
        quint64 identity = nextGroupIdentity();

        UndoGroup snapshot() const { return UndoGroup(identity, name, int(actions.size())); }
    };
    // Each step made, here or by another manager, is told apart from every other.
    static quint64 nextGroupIdentity();

    void addAction(Action action);
    void openGroup(const QString& name);
    void openGroupForEvent();
    void closeGroupForEvent(quint64 serial);
    void replay(std::vector<Group>& from, bool undoing);
    void closeGroupsAfterReplay();
    void pushStep(std::vector<Group>& stack, Group group);
    void trim(std::vector<Group>& stack) const;
    void post(const QString& name);

    std::vector<Group> m_undoStack;
    std::vector<Group> m_redoStack;
    std::vector<Group> m_openGroups;
    bool m_groupsByEvent = true;
    bool m_undoing = false;
    bool m_redoing = false;
    bool m_coalescing = true;
    int m_disableCount = 0;
    int m_levelsOfUndo = 0;
    // The serial of the open group a registration opened, 0 when there is none; the queued
    // close of an earlier group must not close a later one.
    quint64 m_eventGroupSerial = 0;
    quint64 m_lastEventGroupSerial = 0;
    // Receives the queued end-of-turn close on this manager's thread; pending closes die with it.
    std::unique_ptr<QObject> m_turnReceiver;
};

// Disables undo registration for its lifetime, whichever way the scope is left.
class UndoRegistrationDisabled {
public:
    explicit UndoRegistrationDisabled(UndoManager& manager) : UndoRegistrationDisabled(&manager) {}
    // A null manager makes the guard do nothing, for models that have no undo manager.
    explicit UndoRegistrationDisabled(UndoManager* manager);
    explicit UndoRegistrationDisabled(const Ref<UndoManager>& manager) : UndoRegistrationDisabled(manager.get()) {}
    ~UndoRegistrationDisabled();
    UndoRegistrationDisabled(const UndoRegistrationDisabled&) = delete;
    UndoRegistrationDisabled& operator=(const UndoRegistrationDisabled&) = delete;

private:
    UndoManager* m_manager;
};

} // namespace pf
