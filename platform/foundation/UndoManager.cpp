#include "platform/foundation/UndoManager.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"

#include <QCoreApplication>
#include <QObject>

#include <atomic>

PF_DEFINE_CLASS_NAMED(pf::UndoManager, pf::Object, "pf::UndoManager")
{
    using M = pf::UndoManager;
    b.method("undo", &M::undo);
    b.method("redo", &M::redo);
    b.method("canUndo", &M::canUndo);
    b.method("canRedo", &M::canRedo);
    b.method("isUndoing", &M::isUndoing);
    b.method("isRedoing", &M::isRedoing);
    b.method("beginUndoGrouping", &M::beginUndoGrouping);
    b.method("endUndoGrouping", &M::endUndoGrouping);
    b.method("groupingLevel", &M::groupingLevel);
    b.method("setActionName:", &M::setActionName);
    b.method("undoActionName", &M::undoActionName);
    b.method("redoActionName", &M::redoActionName);
    b.method("undoMenuItemTitle", &M::undoMenuItemTitle);
    b.method("redoMenuItemTitle", &M::redoMenuItemTitle);
    b.method("disableUndoRegistration", &M::disableUndoRegistration);
    b.method("enableUndoRegistration", &M::enableUndoRegistration);
    b.method("isUndoRegistrationEnabled", &M::isUndoRegistrationEnabled);
    b.method("removeAllActions", &M::removeAllActions);
    b.method("disableUndoTaskCoalescing", &M::disableUndoTaskCoalescing);
    b.method("enableUndoTaskCoalescing", &M::enableUndoTaskCoalescing);
    b.property("levelsOfUndo", &M::levelsOfUndo, &M::setLevelsOfUndo);
    b.property("groupsByEvent", &M::groupsByEvent, &M::setGroupsByEvent);
}

namespace pf {

namespace {

// "setValue:": an operation that puts back a whole state, so a later registration of it
// within one group adds nothing to the oldest.
bool isSetterSelector(const QString& selector)
{
    return selector.size() > 4 && selector.startsWith(QLatin1String("set")) && selector.at(3).isUpper()
        && selector.endsWith(QLatin1Char(':')) && selector.count(QLatin1Char(':')) == 1;
}

bool sameOwner(const std::weak_ptr<void>& a, const std::weak_ptr<void>& b)
{
    return !a.owner_before(b) && !b.owner_before(a);
}

struct FlagReset {
    bool& flag;
    ~FlagReset() { flag = false; }
};

} // namespace

bool UndoManager::Action::hasTarget(const Reflective* object, const std::weak_ptr<void>& token) const
{
    // The token tells apart a later object that happens to live at a dead target's address.
    return target == object && sameOwner(alive, token);
}

void UndoManager::Action::run() const
{
    if (!targetAlive())
        return;
    // An action may drop the last reference to its own target; keep it alive until it returns.
    Ref<Object> keepAlive;
    if (auto* object = dynamic_cast<Object*>(target))
        keepAlive = object->weak_from_this().lock();
    if (function)
        function();
    else
        target->perform(selector, arguments);
}

QString UndoManager::Action::description() const
{
    const QString what = function ? QStringLiteral("(function)") : selector;
    const QString on = targetAlive() ? target->className() : QStringLiteral("(target gone)");
    return QStringLiteral("%1 on %2").arg(what, on);
}

void UndoManager::InvocationRecorder::record(const QString& selector, const QVariantList& arguments)
{
    PF_PARAMETER_ASSERT(m_target);
    PF_PARAMETER_ASSERT(!selector.isEmpty());
    if (!m_target->respondsTo(selector))
        throw InvalidArgumentException(QStringLiteral("%1 does not respond to %2 registered for undo")
                                           .arg(m_target->className(), selector));
    Action action;
    action.target = m_target;
    action.alive = m_target->livenessToken();
    action.selector = selector;
    action.arguments = arguments;
    m_manager->addAction(std::move(action));
}

UndoManager::UndoManager() : m_turnReceiver(std::make_unique<QObject>()) {}

quint64 UndoManager::nextGroupIdentity()
{
    static std::atomic<quint64> last{0};
    return ++last;
}

UndoManager::~UndoManager() = default;

void UndoManager::registerUndo(Reflective* target, const QString& selector, const QVariant& argument)
{
    prepareWithInvocationTarget(target).record(selector, {argument});
}

void UndoManager::registerUndo(Reflective* target, std::function<void()> function)
{
    PF_PARAMETER_ASSERT(target);
    PF_PARAMETER_ASSERT(function);
    Action action;
    action.target = target;
    action.alive = target->livenessToken();
    action.function = std::move(function);
    addAction(std::move(action));
}

UndoManager::InvocationRecorder UndoManager::prepareWithInvocationTarget(Reflective* target)
{
    PF_PARAMETER_ASSERT(target);
    return InvocationRecorder(this, target);
}

void UndoManager::addAction(Action action)
{
    if (!isUndoRegistrationEnabled())
        return;
    if (m_openGroups.empty()) {
        PF_ASSERT(m_groupsByEvent, "undo registration of %s with no undo group open",
                  qUtf8Printable(action.description()));
        openGroupForEvent();
    }
    // A fresh change makes the undone steps unreachable; changes made by undoing or redoing
    // are the steps themselves.
    if (!m_undoing && !m_redoing)
        m_redoStack.clear();

    Group& group = m_openGroups.back();
    if (m_coalescing && !action.function && action.arguments.size() == 1 && isSetterSelector(action.selector)
        && !group.actions.empty()) {
        const Action& last = group.actions.back();
        if (!last.function && last.selector == action.selector && last.hasTarget(action.target, action.alive))
            return;
    }
    group.actions.push_back(std::move(action));
}

void UndoManager::beginUndoGrouping()
{
    openGroup(QString());
}

void UndoManager::openGroup(const QString& name)
{
    if (!m_openGroups.empty())
        post(NSUndoManagerCheckpointNotification);
    Group group;
    group.name = name;
    m_openGroups.push_back(std::move(group));
    post(NSUndoManagerDidOpenUndoGroupNotification);
}

void UndoManager::endUndoGrouping()
{
    PF_ASSERT(!m_openGroups.empty(), "endUndoGrouping with no undo group open");
    post(NSUndoManagerCheckpointNotification);
    post(NSUndoManagerWillCloseUndoGroupNotification);

    Group group = std::move(m_openGroups.back());
    m_openGroups.pop_back();
    bool stepAdded = false;
    if (!m_openGroups.empty()) {
        Group& parent = m_openGroups.back();
        if (!group.actions.empty()) {
            std::move(group.actions.begin(), group.actions.end(), std::back_inserter(parent.actions));
            // The name given last describes what the user did.
            if (!group.name.isEmpty())
                parent.name = group.name;
        }
    } else {
        m_eventGroupSerial = 0;
        if (!group.actions.empty()) {
            pushStep(m_undoing ? m_redoStack : m_undoStack, std::move(group));
            stepAdded = true;
        }
    }
    post(NSUndoManagerDidCloseUndoGroupNotification);
    if (stepAdded)
        post(RVUndoManagerDidCloseTopLevelGroup);
}

void UndoManager::openGroupForEvent()
{
    openGroup(QString());
    const quint64 serial = ++m_lastEventGroupSerial;
    m_eventGroupSerial = serial;
    QMetaObject::invokeMethod(m_turnReceiver.get(), [this, serial] { closeGroupForEvent(serial); },
                              Qt::QueuedConnection);
}

void UndoManager::closeGroupForEvent(quint64 serial)
{
    if (serial != m_eventGroupSerial)
        return; // closed already, by undo, redo or an explicit end
    if (groupingLevel() > 1) {
        // A group begun inside it spans turns (a drag); the outer group waits for it.
        QMetaObject::invokeMethod(m_turnReceiver.get(), [this, serial] { closeGroupForEvent(serial); },
                                  Qt::QueuedConnection);
        return;
    }
    // Nothing may be thrown into the event loop.
    try {
        endUndoGrouping();
    } catch (const std::exception& e) {
        PF_LOG("closing the undo group at the end of the event-loop turn failed: %s", e.what());
    }
}

void UndoManager::undo()
{
    replay(m_undoStack, true);
}

void UndoManager::redo()
{
    replay(m_redoStack, false);
}

void UndoManager::replay(std::vector<Group>& from, bool undoing)
{
    const char* what = undoing ? "undo" : "redo";
    PF_ASSERT(!m_undoing && !m_redoing, "%s while %s", what, m_undoing ? "undoing" : "redoing");
    if (groupingLevel() == 1)
        endUndoGrouping();
    PF_ASSERT(groupingLevel() == 0, "%s with nested undo groups open", what);
    if (from.empty())
        return;

    post(undoing ? NSUndoManagerWillUndoChangeNotification : NSUndoManagerWillRedoChangeNotification);
    const Group group = std::move(from.back());
    from.pop_back();
    std::exception_ptr failure;
    {
        bool& flag = undoing ? m_undoing : m_redoing;
        flag = true;
        FlagReset reset{flag};
        try {
            // What the actions register is the opposite step, named like this one.
            openGroup(group.name);
            for (auto action = group.actions.rbegin(); action != group.actions.rend(); ++action)
                action->run();
        } catch (...) {
            failure = std::current_exception();
        }
        // Also after a failure: the inverses of what did run must stay reachable.
        closeGroupsAfterReplay();
    }
    post(undoing ? NSUndoManagerDidUndoChangeNotification : NSUndoManagerDidRedoChangeNotification);
    if (failure)
        std::rethrow_exception(failure);
}

void UndoManager::closeGroupsAfterReplay()
{
    // An action that left groups open must not leave the manager unable to undo again.
    while (!m_openGroups.empty())
        endUndoGrouping();
}

bool UndoManager::canUndo() const
{
    if (m_undoing || m_redoing || groupingLevel() > 1)
        return false;
    if (groupingLevel() == 1 && !m_openGroups.front().actions.empty())
        return true;
    return !m_undoStack.empty();
}

bool UndoManager::canRedo() const
{
    return !m_undoing && !m_redoing && groupingLevel() <= 1 && !m_redoStack.empty();
}

void UndoManager::setActionName(const QString& name)
{
    if (!m_openGroups.empty())
        m_openGroups.back().name = name;
    else if (!m_undoStack.empty())
        m_undoStack.back().name = name;
}

QString UndoManager::undoActionName() const
{
    if (groupingLevel() == 1 && !m_undoing && !m_redoing && !m_openGroups.front().actions.empty())
        return m_openGroups.front().name;
    return m_undoStack.empty() ? QString() : m_undoStack.back().name;
}

QString UndoManager::redoActionName() const
{
    return m_redoStack.empty() ? QString() : m_redoStack.back().name;
}

QString UndoManager::undoMenuItemTitle() const
{
    return undoMenuTitleForUndoActionName(undoActionName());
}

QString UndoManager::redoMenuItemTitle() const
{
    const QString name = redoActionName();
    if (name.isEmpty())
        return QCoreApplication::translate("pf::UndoManager", "Redo");
    return QCoreApplication::translate("pf::UndoManager", "Redo %1").arg(name);
}

QString UndoManager::undoMenuTitleForUndoActionName(const QString& actionName) const
{
    if (actionName.isEmpty())
        return QCoreApplication::translate("pf::UndoManager", "Undo");
    return QCoreApplication::translate("pf::UndoManager", "Undo %1").arg(actionName);
}

void UndoManager::disableUndoRegistration()
{
    ++m_disableCount;
}

void UndoManager::enableUndoRegistration()
{
    PF_ASSERT(m_disableCount > 0, "enableUndoRegistration without a matching disableUndoRegistration");
    --m_disableCount;
}

void UndoManager::setLevelsOfUndo(int levels)
{
    PF_PARAMETER_ASSERT(levels >= 0);
    m_levelsOfUndo = levels;
    trim(m_undoStack);
    trim(m_redoStack);
}

void UndoManager::pushStep(std::vector<Group>& stack, Group group)
{
    stack.push_back(std::move(group));
    trim(stack);
}

void UndoManager::trim(std::vector<Group>& stack) const
{
    if (m_levelsOfUndo > 0 && stack.size() > size_t(m_levelsOfUndo))
        stack.erase(stack.begin(), stack.end() - m_levelsOfUndo);
}

void UndoManager::removeAllActions()
{
    m_undoStack.clear();
    m_redoStack.clear();
    for (Group& group : m_openGroups)
        group.actions.clear();
    // Lists of the history (the undo history panel) learn that the stacks are gone.
    post(NSUndoManagerCheckpointNotification);
}

void UndoManager::removeAllActionsWithTarget(const Reflective* target)
{
    if (!target)
        return;
    const std::weak_ptr<void> token = target->livenessToken();
    auto removeFrom = [&](Group& group) {
        std::erase_if(group.actions, [&](const Action& action) { return action.hasTarget(target, token); });
    };
    for (auto* stack : {&m_undoStack, &m_redoStack}) {
        for (Group& group : *stack)
            removeFrom(group);
        std::erase_if(*stack, [](const Group& group) { return group.actions.empty(); });
    }
    for (Group& group : m_openGroups)
        removeFrom(group);
    post(NSUndoManagerCheckpointNotification);
}

QList<UndoGroup> UndoManager::undoStack() const
{
    QList<UndoGroup> groups;
    for (const Group& group : m_undoStack)
        groups.append(group.snapshot());
    return groups;
}

QList<UndoGroup> UndoManager::redoStack() const
{
    QList<UndoGroup> groups;
    for (const Group& group : m_redoStack)
        groups.append(group.snapshot());
    return groups;
}

std::optional<UndoGroup> UndoManager::peekUndo() const
{
    if (m_undoStack.empty())
        return std::nullopt;
    return m_undoStack.back().snapshot();
}

std::optional<UndoGroup> UndoManager::peekRedo() const
{
    if (m_redoStack.empty())
        return std::nullopt;
    return m_redoStack.back().snapshot();
}

QString UndoManager::dumpState() const
{
    QString text;
    auto dumpGroup = [&text](const Group& group, const QString& label) {
        const QString name = group.name.isEmpty() ? QStringLiteral("(unnamed)") : QLatin1Char('"') + group.name + QLatin1Char('"');
        text += QStringLiteral("  %1 %2, %3 action(s)\n").arg(label, name).arg(group.actions.size());
        for (auto action = group.actions.rbegin(); action != group.actions.rend(); ++action)
            text += QStringLiteral("      %1\n").arg(action->description());
    };
    auto dumpStack = [&](const std::vector<Group>& stack, const QString& title) {
        text += QStringLiteral("%1: %2 step(s), next first\n").arg(title).arg(stack.size());
        for (size_t i = stack.size(); i > 0; --i)
            dumpGroup(stack[i - 1], QStringLiteral("%1.").arg(stack.size() - i + 1));
    };
    dumpStack(m_undoStack, QStringLiteral("Undo stack"));
    dumpStack(m_redoStack, QStringLiteral("Redo stack"));
    text += QStringLiteral("Open groups: %1, innermost last\n").arg(m_openGroups.size());
    for (size_t i = 0; i < m_openGroups.size(); ++i)
        dumpGroup(m_openGroups[i], QStringLiteral("level %1").arg(i + 1));
    text += QStringLiteral("Registration %1 (disabled %2 time(s)), coalescing %3, levels of undo %4%5%6\n")
                .arg(isUndoRegistrationEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"))
                .arg(m_disableCount)
                .arg(m_coalescing ? QStringLiteral("on") : QStringLiteral("off"))
                .arg(m_levelsOfUndo == 0 ? QStringLiteral("unlimited") : QString::number(m_levelsOfUndo))
                .arg(m_undoing ? QStringLiteral(", undoing") : QString())
                .arg(m_redoing ? QStringLiteral(", redoing") : QString());
    return text;
}

void UndoManager::post(const QString& name)
{
    NotificationCenter::defaultCenter().post(name, this);
}

UndoRegistrationDisabled::UndoRegistrationDisabled(UndoManager* manager) : m_manager(manager)
{
    if (m_manager)
        m_manager->disableUndoRegistration();
}

UndoRegistrationDisabled::~UndoRegistrationDisabled()
{
    if (!m_manager)
        return;
    // A destructor must not throw; enabling fails only when someone else enabled too often.
    try {
        m_manager->enableUndoRegistration();
    } catch (const std::exception& e) {
        PF_LOG("re-enabling undo registration failed: %s", e.what());
    }
}

} // namespace pf

bool pf::UndoManager::explodeTopUndoStep()
{
    if (m_undoing || m_redoing || !m_openGroups.empty() || m_undoStack.empty()
        || m_undoStack.back().actions.size() < 2)
        return false;
    Group top = std::move(m_undoStack.back());
    m_undoStack.pop_back();
    // Undoing runs a step's actions newest first, so the oldest action goes lowest.
    for (Action& action : top.actions) {
        Group piece;
        piece.name = top.name;
        piece.actions.push_back(std::move(action));
        m_undoStack.push_back(std::move(piece));
    }
    return true;
}
