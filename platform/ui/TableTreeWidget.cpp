#include "platform/ui/TableTreeWidget.h"

#include "platform/ui/Event.h"
#include "platform/ui/TableItemDelegate.h"
#include "platform/ui/TableItemModel.h"
#include "platform/ui/TableSelectionModel.h"
#include "platform/ui/TableView.h"

#include <QCursor>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

namespace pf {

TableTreeWidget::TableTreeWidget(TableView& table)
    : QTreeView(&table), m_table(table), m_model(new TableItemModel(table, this))
{
    setModel(m_model);
    m_selection = new TableSelectionModel(table, *m_model);
    QItemSelectionModel* old = selectionModel();
    setSelectionModel(m_selection);
    delete old;
    setItemDelegate(new TableItemDelegate(table, *m_model, this));
    setFrameShape(QFrame::NoFrame);
    setSelectionBehavior(SelectRows);
    setSelectionMode(ExtendedSelection);
    setUniformRowHeights(false);
    setAllColumnsShowFocus(true);
    setExpandsOnDoubleClick(false);
    setEditTriggers(DoubleClicked | EditKeyPressed | SelectedClicked);
    // Drops go to the table, which asks its data source.
    setDragDropMode(DragOnly);
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    applyOutlineStyle(-1, 0);

    // The table sets every width itself, the last column's included.
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setMinimumSectionSize(0);
    header()->hide();
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) { expansionToggled(index, true); });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) { expansionToggled(index, false); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { m_table.rowWidgetScrolled(); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { m_table.rowWidgetScrolled(); });
}

void TableTreeWidget::applyOutlineStyle(int outlineColumn, double indentation)
{
    setRootIsDecorated(outlineColumn >= 0);
    setIndentation(outlineColumn >= 0 ? qRound(indentation) : 0);
    setTreePosition(std::max(0, outlineColumn));
    setItemsExpandable(outlineColumn >= 0);
}

void TableTreeWidget::applyHighlightStyle()
{
    const bool sourceList = m_table.selectionHighlightStyle() == TableView::SelectionHighlightStyle::SourceList;
    setAlternatingRowColors(false);
    QPalette p = palette();
    if (sourceList)
        p.setColor(QPalette::Base, QColor(232, 236, 241));
    else
        p = QPalette();
    setPalette(p);
}

void TableTreeWidget::applyExpansion()
{
    m_applyingExpansion = true;
    applyExpansion(m_table.rowTree().root());
    m_applyingExpansion = false;
}

void TableTreeWidget::applyExpansion(TableRowTree::Node* node)
{
    if (!node->loaded)
        return;
    for (const auto& child : node->children) {
        const QModelIndex index = m_model->indexForNode(child.get());
        if (isExpanded(index) != child->expanded)
            setExpanded(index, child->expanded);
        applyExpansion(child.get());
    }
}

void TableTreeWidget::expansionToggled(const QModelIndex& index, bool expanded)
{
    if (m_applyingExpansion)
        return;
    m_table.rowWidgetToggledExpansion(m_model->nodeForIndex(index), expanded);
}

void TableTreeWidget::showSelection()
{
    m_selection->showTableSelection();
}

bool TableTreeWidget::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    const int row = m_model->rowForIndex(index);
    if (row < 0 || !(trigger & editTriggers()) || !m_table.isCellEditable(index.column(), row))
        return false;
    std::optional<Event> pfEvent = event ? Event::fromQt(event, viewport()) : std::nullopt;
    m_table.editColumn(index.column(), row, false, pfEvent ? &*pfEvent : nullptr);
    return m_table.editedRow() == row;
}

void TableTreeWidget::noteClick(const QMouseEvent* event)
{
    m_table.noteClick(m_table.tablePointFromRowWidget(event->position()));
}

void TableTreeWidget::mousePressEvent(QMouseEvent* event)
{
    noteClick(event);
    // A context click shows the table's menu and leaves the selection alone.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    // A group row takes no part in the selection: clicking it leaves the selection as it is.
    const QModelIndex pressed = indexAt(event->position().toPoint());
    const bool onDisclosure = pressed.isValid() && event->position().x() < visualRect(pressed).left();
    if (!onDisclosure && m_table.clickedRow() >= 0 && m_table.isGroupRow(m_table.clickedRow())) {
        event->accept();
        return;
    }
    // A check box (or any cell that tracks clicks) takes the press in any row.
    if (!onDisclosure && event->button() == Qt::LeftButton
        && m_table.trackCellMouseDown(m_table.tablePointFromRowWidget(event->position()))) {
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void TableTreeWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (m_table.isTrackingCell()) {
        m_table.trackCellMouseDragged(m_table.tablePointFromRowWidget(event->position()));
        event->accept();
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void TableTreeWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_table.isTrackingCell()) {
        m_table.trackCellMouseUp(m_table.tablePointFromRowWidget(event->position()));
        event->accept();
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

bool TableTreeWidget::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = m_table.toolTipForCellAt(m_table.tablePointFromRowWidget(QPointF(help->pos())));
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport());
        return true;
    }
    case QEvent::Resize: {
        const bool handled = QTreeView::viewportEvent(event);
        m_table.rowWidgetResized();
        return handled;
    }
    default:
        return QTreeView::viewportEvent(event);
    }
}

void TableTreeWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    noteClick(event);
    if (event->button() == Qt::LeftButton && !m_table.doubleAction().isEmpty()) {
        m_table.performDoubleAction();
        event->accept();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

void TableTreeWidget::startDrag(Qt::DropActions)
{
    QWidget* top = window();
    const QPointF windowPoint = Event::windowPointFromQt(top, QPointF(top->mapFromGlobal(QCursor::pos())));
    const Event event = Event::current() ? *Event::current()
                                         : Event::mouseEvent(LeftMouseDragged, windowPoint, Event::currentModifierFlags(),
                                                             Event::now(), Event::windowNumberFor(this), 0, 1, 1.0);
    m_table.dragRows(m_table.selectedRowIndexes(), event);
}

void TableTreeWidget::paintEvent(QPaintEvent* event)
{
    QTreeView::paintEvent(event);
    const int row = m_table.dropHighlightRow();
    if (row < 0)
        return;
    const QPointF offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    const int rows = m_table.numberOfRows();
    if (m_table.dropHighlightIsAbove()) {
        const double y = row < rows ? m_table.rectOfRow(row).top() : (rows > 0 ? m_table.rectOfRow(rows - 1).bottom() : 0);
        painter.drawLine(QPointF(0, y - offset.y()), QPointF(viewport()->width(), y - offset.y()));
    } else {
        painter.drawRoundedRect(m_table.rectOfRow(row).translated(-offset).adjusted(1, 1, -1, -1), 4, 4);
    }
}

} // namespace pf
