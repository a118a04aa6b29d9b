#pragma once

#include "platform/foundation/Object.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class QListWidget;

namespace pf {
class UndoManager;
}

// The undo history of a document as one list, oldest first: the names of the done steps (the
// most recent last), then of the undone ones (the next to redo first). Choosing a row steps the
// history there, one step every half second so the drawing visibly goes back or forward: the
// chosen row becomes the most recent done step. Rows after the current position are italic.
class VNQLUndoHistoryController : public QWidget {
    Q_OBJECT
public:
    static constexpr int kStepIntervalMs = 500;

    explicit VNQLUndoHistoryController(QWidget* parent = nullptr);
    ~VNQLUndoHistoryController() override;

    pf::UndoManager* undoManager() const { return m_undoManager.lock().get(); }
    // Observes the manager's changes (null: none) and shows its history.
    void setUndoManager(pf::UndoManager* manager);

    // Cached until the manager's history changes.
    QStringList orderedUndoAndRedoTaskNames();
    // The row of the most recent done step; -1 when nothing can be undone.
    int indexOfCurrentUndoPosition() const;
    // Starts stepping towards `row`; false when the row is not in the list or is the current
    // position already.
    bool goToRow(int row);
    // The list's selected row, when exactly one is selected.
    void goToSelectedHistoryAction();
    bool isStepping() const { return m_timer.isActive(); }
    int stepInterval() const { return m_timer.interval(); }
    void setStepInterval(int milliseconds) { m_timer.setInterval(milliseconds); }

    QListWidget* listWidget() const { return m_list; }

private:
    void undoUpdated();
    void reload();
    void step();
    void stopStepping();

    QListWidget* m_list = nullptr;
    pf::Weak<pf::UndoManager> m_undoManager;
    QList<quint64> m_observations;
    QStringList m_cachedTaskNames;
    bool m_cacheValid = false;
    QTimer m_timer;
    // The number of done steps stepping aims at.
    int m_targetUndoCount = -1;
    bool m_reloading = false;
};
