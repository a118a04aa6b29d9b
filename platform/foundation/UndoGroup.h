#pragma once

#include <QString>

namespace pf {

// One undo step as the history list shows it: the name the user sees and how many actions
// undoing it runs.
class UndoGroup {
public:
    UndoGroup() = default;
    UndoGroup(QString actionName, int actionCount)
        : m_actionName(std::move(actionName)), m_actionCount(actionCount) {}

    const QString& actionName() const { return m_actionName; }
    int actionCount() const { return m_actionCount; }

    bool operator==(const UndoGroup&) const = default;

private:
    QString m_actionName;
    int m_actionCount = 0;
};

} // namespace pf
