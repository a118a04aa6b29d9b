#pragma once

#include <QString>
#include <QtGlobal>

namespace pf {

// One undo step as the history list shows it: which step it is, the name the user sees and
// how many actions undoing it runs. Two steps are equal only when they are the same step:
// two moves named "Move" are different steps, and a step stays itself when renamed.
class UndoGroup {
public:
    UndoGroup() = default;
    UndoGroup(quint64 identity, QString actionName, int actionCount)
        : m_identity(identity), m_actionName(std::move(actionName)), m_actionCount(actionCount) {}

    // Unique among all the steps of the process; 0 for none.
    quint64 identity() const { return m_identity; }
    const QString& actionName() const { return m_actionName; }
    int actionCount() const { return m_actionCount; }

    bool operator==(const UndoGroup& other) const { return m_identity == other.m_identity; }

private:
    quint64 m_identity = 0;
    QString m_actionName;
    int m_actionCount = 0;
};

} // namespace pf
