#include "app/VNQLUndoHistoryController.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UndoManager.h"

#include <QFont>
#include <QListWidget>
#include <QVBoxLayout>

VNQLUndoHistoryController::VNQLUndoHistoryController(QWidget* parent)
    : QWidget(parent)
{
    m_list = new QListWidget(this);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    connect(m_list, &QListWidget::itemClicked, this, [this] { goToSelectedHistoryAction(); });
    connect(m_list, &QListWidget::itemActivated, this, [this] { goToSelectedHistoryAction(); });
    m_timer.setInterval(kStepIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { step(); });
}

VNQLUndoHistoryController::~VNQLUndoHistoryController()
{
    setUndoManager(nullptr);
}

void VNQLUndoHistoryController::setUndoManager(pf::UndoManager* manager)
{
    stopStepping();
    auto& center = pf::NotificationCenter::defaultCenter();
    for (quint64 token : m_observations)
        center.removeObserver(token);
    m_observations.clear();
    m_undoManager = manager ? manager->ref<pf::UndoManager>() : pf::Ref<pf::UndoManager>();
    m_cacheValid = false;
    if (manager) {
        // Every change of either stack: a closed step, an undo, a redo, and the stacks emptied
        // (saving and closing clear them).
        for (const QString& name : {pf::RVUndoManagerDidCloseTopLevelGroup, pf::NSUndoManagerDidUndoChangeNotification,
                                    pf::NSUndoManagerDidRedoChangeNotification,
                                    pf::NSUndoManagerCheckpointNotification})
            m_observations.append(center.addObserver(name, manager, [this](const pf::Notification&) { undoUpdated(); }));
    }
    reload();
}

void VNQLUndoHistoryController::undoUpdated()
{
    m_cacheValid = false;
    reload();
}

QStringList VNQLUndoHistoryController::orderedUndoAndRedoTaskNames()
{
    if (m_cacheValid)
        return m_cachedTaskNames;
    m_cachedTaskNames.clear();
    if (pf::UndoManager* manager = undoManager()) {
        for (const pf::UndoGroup& group : manager->undoStack())
            m_cachedTaskNames.append(group.actionName());
        const QList<pf::UndoGroup> redo = manager->redoStack();
        for (auto it = redo.crbegin(); it != redo.crend(); ++it)
            m_cachedTaskNames.append(it->actionName());
    }
    m_cacheValid = true;
    return m_cachedTaskNames;
}

int VNQLUndoHistoryController::indexOfCurrentUndoPosition() const
{
    pf::UndoManager* manager = undoManager();
    return manager ? manager->numberOfUndoActions() - 1 : -1;
}

void VNQLUndoHistoryController::reload()
{
    const QStringList names = orderedUndoAndRedoTaskNames();
    const int current = indexOfCurrentUndoPosition();
    m_reloading = true;
    m_list->clear();
    // Undone rows differ from done ones by their slant alone, in the list's own size.
    QFont undone = m_list->font();
    undone.setItalic(true);
    for (int row = 0; row < names.size(); ++row) {
        auto* item = new QListWidgetItem(names[row], m_list);
        if (row > current)
            item->setFont(undone);
    }
    if (current >= 0 && current < m_list->count())
        m_list->setCurrentRow(current);
    m_reloading = false;
}

bool VNQLUndoHistoryController::goToRow(int row)
{
    pf::UndoManager* manager = undoManager();
    if (!manager)
        return false;
    const int rows = manager->numberOfUndoActions() + manager->numberOfRedoActions();
    if (row < 0 || row >= rows || row == indexOfCurrentUndoPosition())
        return false;
    m_targetUndoCount = row + 1;
    m_timer.start();
    return true;
}

void VNQLUndoHistoryController::goToSelectedHistoryAction()
{
    if (m_reloading)
        return;
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.size() != 1)
        return;
    goToRow(m_list->row(selected.front()));
}

void VNQLUndoHistoryController::step()
{
    pf::UndoManager* manager = undoManager();
    if (!manager || m_targetUndoCount < 0) {
        stopStepping();
        return;
    }
    const int done = manager->numberOfUndoActions();
    const int undone = manager->numberOfRedoActions();
    if (done > m_targetUndoCount && manager->canUndo())
        manager->undo();
    else if (done < m_targetUndoCount && manager->canRedo())
        manager->redo();
    else {
        stopStepping();
        return;
    }
    // A step that changed neither stack would repeat for ever: stop there.
    const bool moved = manager->numberOfUndoActions() != done || manager->numberOfRedoActions() != undone;
    if (!moved || manager->numberOfUndoActions() == m_targetUndoCount)
        stopStepping();
}

void VNQLUndoHistoryController::stopStepping()
{
    m_timer.stop();
    m_targetUndoCount = -1;
}
