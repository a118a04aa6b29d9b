#include "platform/ui/TableRowViewLayout.h"

#include "platform/ui/AnimationContext.h"
#include "platform/ui/Animator.h"
#include "platform/ui/TableCellView.h"
#include "platform/ui/TableRowView.h"
#include "platform/ui/TableView.h"

#include <QScrollBar>

#include <algorithm>

namespace pf {

namespace {

constexpr double kSlideSeconds = 0.2;

// Runs `changes` through the animator over the open group's time, or a group of the slide's.
void animateRows(const std::function<void()>& changes, std::function<void()> completion = {})
{
    if (AnimationContext* group = AnimationContext::current())
        AnimationContext::runAnimationGroup(group->duration(), changes, std::move(completion));
    else
        AnimationContext::runAnimationGroup(kSlideSeconds, changes, std::move(completion));
}

} // namespace

TableRowViewLayout::TableRowViewLayout(TableView& table) : m_table(table), m_scrollBar(new QScrollBar(Qt::Vertical, &table))
{
    QObject::connect(m_scrollBar, &QScrollBar::valueChanged, m_scrollBar, [this](int value) { setScrollY(value); });
    tableResized();
}

TableRowViewLayout::~TableRowViewLayout()
{
    for (auto& [node, shown] : m_shown)
        delete shown.view.data();
    for (auto& views : m_pool) {
        for (const QPointer<View>& view : views)
            delete view.data();
    }
    delete m_scrollBar;
}

double TableRowViewLayout::contentHeight()
{
    const int rows = m_table.numberOfRows();
    return rows > 0 ? m_table.rectOfRow(rows - 1).bottom() : 0;
}

void TableRowViewLayout::layout(bool animate)
{
    updateScrollBar();
    const QRectF sight(0, m_scrollY, m_table.width(), m_table.height());
    const int rows = m_table.numberOfRows();
    std::vector<std::pair<int, TableRowTree::Node*>> wanted;
    for (int row = std::max(0, m_table.rowAtPoint(QPointF(0, sight.top()))); row >= 0 && row < rows; ++row) {
        if (m_table.rectOfRow(row).top() >= sight.bottom())
            break;
        wanted.emplace_back(row, m_table.rowTree().nodeAtRow(row));
    }
    // Rows out of sight give their cells back first, so the rows coming in can take them.
    for (auto it = m_shown.begin(); it != m_shown.end();) {
        const bool keep = std::any_of(wanted.begin(), wanted.end(), [&](const auto& w) { return w.second == it->first; });
        if (keep) {
            ++it;
            continue;
        }
        recycle(it->second);
        it = m_shown.erase(it);
    }
    for (const auto& [row, node] : wanted) {
        const bool existed = m_shown.count(node) > 0;
        Shown& shown = existed ? m_shown[node] : make(node, row);
        place(shown, row, animate && existed);
    }
    showSelection();
    showDropTarget();
    m_scrollBar->raise();
}

TableRowViewLayout::Shown& TableRowViewLayout::make(TableRowTree::Node* node, int row)
{
    Shown& shown = m_shown[node];
    TableRowView* view = m_table.delegateRowView(row);
    if (!view)
        view = new TableRowView(QRectF(0, 0, 100, 100));
    shown.view = view;
    m_table.addSubview(view);
    view->setGroupRowStyle(m_table.isGroupRow(row));
    for (int column = 0; column < m_table.numberOfColumns(); ++column) {
        shown.cells.append(nullptr);
        fillCell(shown, column, row);
    }
    return shown;
}

void TableRowViewLayout::fillCell(Shown& shown, int column, int row)
{
    if (View* old = shown.cells[column].data())
        recycleCell(old);
    View* cell = m_table.delegateViewForColumn(m_table.tableColumns()[column].get(), row);
    shown.cells[column] = cell;
    QList<View*> cells;
    for (const QPointer<View>& c : shown.cells)
        cells.append(c.data());
    shown.view->setCells(cells);
    if (!cell)
        return;
    if (auto* cellView = qobject_cast<TableCellView*>(cell)) {
        const QVariant value = m_table.objectValueAt(column, row);
        if (value.isValid())
            cellView->setObjectValue(value);
    }
    shown.view->addSubview(cell);
    cell->show();
}

void TableRowViewLayout::place(Shown& shown, int row, bool animate)
{
    TableRowView* view = shown.view;
    if (!view)
        return;
    const QRectF target = m_table.rectOfRow(row);
    for (int column = 0; column < shown.cells.size(); ++column) {
        if (View* cell = shown.cells[column].data()) {
            QRectF frame = m_table.frameOfCellAtColumn(column, row);
            cell->setFrame(QRectF(frame.x(), 0, frame.width(), target.height()));
        }
    }
    const bool moving = Animator::isAnimating(view, QStringLiteral("frameOrigin"))
        || Animator::isAnimating(view, QStringLiteral("frameSize"));
    if (!animate || view->frame() == target) {
        if (moving) // a slide still under way ends where the row is now
            AnimationContext::runAnimationGroup(0, [&] { view->animator().setFrame(target); });
        else
            view->setFrame(target);
        return;
    }
    animateRows([&] { view->animator().setFrame(target); });
}

void TableRowViewLayout::fadeOut(Shown& shown)
{
    QPointer<TableRowView> view = shown.view;
    shown.cells.clear();
    if (!view)
        return;
    // The fade can end while the row itself is being destroyed (its animation is its child),
    // so the completion only holds the row as a plain object.
    QPointer<QObject> doomed = view.data();
    animateRows([&] { view->animator().setAlphaValue(0); },
                [doomed] {
                    if (doomed)
                        doomed->deleteLater();
                });
}

void TableRowViewLayout::dropDetachedRows(bool fade)
{
    for (auto it = m_shown.begin(); it != m_shown.end();) {
        if (m_table.rowTree().isAttached(it->first)) {
            ++it;
            continue;
        }
        fade ? fadeOut(it->second) : recycle(it->second);
        it = m_shown.erase(it);
    }
}

void TableRowViewLayout::recycleCell(View* cell)
{
    const QString identifier = TableView::identifierOfView(cell);
    if (identifier.isEmpty()) {
        cell->deleteLater();
        return;
    }
    cell->hide();
    cell->setParent(&m_table);
    m_pool[identifier].append(cell);
}

void TableRowViewLayout::recycle(Shown& shown)
{
    for (const QPointer<View>& cell : shown.cells) {
        if (cell)
            recycleCell(cell);
    }
    shown.cells.clear();
    if (shown.view) {
        shown.view->hide();
        shown.view->deleteLater();
    }
}

void TableRowViewLayout::reloadAll()
{
    for (auto& [node, shown] : m_shown)
        recycle(shown);
    m_shown.clear();
}

void TableRowViewLayout::dropRowsUnder(TableRowTree::Node* node)
{
    for (auto it = m_shown.begin(); it != m_shown.end();) {
        bool under = false;
        for (TableRowTree::Node* n = it->first->parent; n && !under; n = n->parent)
            under = n == node;
        if (!under) {
            ++it;
            continue;
        }
        recycle(it->second);
        it = m_shown.erase(it);
    }
}

void TableRowViewLayout::reloadCells(const IndexSet& rows, const IndexSet& columns)
{
    rows.forEach([&](qint64 row) {
        auto it = m_shown.find(m_table.rowTree().nodeAtRow(int(row)));
        if (it == m_shown.end())
            return;
        columns.forEach([&](qint64 column) {
            if (column < it->second.cells.size())
                fillCell(it->second, int(column), int(row));
        });
        place(it->second, int(row), false);
    });
}

TableRowView* TableRowViewLayout::rowView(int row, bool makeIfNecessary)
{
    TableRowTree::Node* node = m_table.rowTree().nodeAtRow(row);
    if (!node)
        return nullptr;
    auto it = m_shown.find(node);
    if (it != m_shown.end())
        return it->second.view;
    if (!makeIfNecessary)
        return nullptr;
    Shown& shown = make(node, row);
    place(shown, row, false);
    return shown.view;
}

View* TableRowViewLayout::cellView(int column, int row, bool makeIfNecessary)
{
    TableRowView* view = rowView(row, makeIfNecessary);
    return view ? view->viewAtColumn(column) : nullptr;
}

void TableRowViewLayout::forEachRowView(const std::function<void(TableRowView*, int)>& visit)
{
    std::vector<std::pair<int, TableRowView*>> rows;
    m_table.numberOfRows();
    for (auto& [node, shown] : m_shown) {
        if (shown.view && node->row >= 0)
            rows.emplace_back(node->row, shown.view.data());
    }
    std::sort(rows.begin(), rows.end());
    for (auto& [row, view] : rows)
        visit(view, row);
}

int TableRowViewLayout::rowForView(const View* view)
{
    m_table.numberOfRows();
    for (auto& [node, shown] : m_shown) {
        if (shown.view && view && (view == shown.view || view->isDescendantOf(shown.view)))
            return node->row;
    }
    return -1;
}

View* TableRowViewLayout::dequeue(const QString& identifier)
{
    auto it = m_pool.find(identifier);
    while (it != m_pool.end() && !it->isEmpty()) {
        if (View* view = it->takeLast().data())
            return view;
    }
    return nullptr;
}

void TableRowViewLayout::showSelection()
{
    m_table.numberOfRows();
    for (auto& [node, shown] : m_shown) {
        if (shown.view)
            shown.view->setSelected(m_table.isRowSelected(node->row));
    }
}

void TableRowViewLayout::showDropTarget()
{
    m_table.numberOfRows();
    const int target = m_table.dropHighlightIsAbove() ? -1 : m_table.dropHighlightRow();
    for (auto& [node, shown] : m_shown) {
        if (shown.view)
            shown.view->setTargetForDropOperation(node->row >= 0 && node->row == target);
    }
}

void TableRowViewLayout::updateScrollBar()
{
    const int range = std::max(0, int(std::ceil(contentHeight())) - m_table.height());
    m_scrollBar->setRange(0, range);
    m_scrollBar->setPageStep(std::max(1, m_table.height()));
    m_scrollBar->setSingleStep(16);
    m_scrollBar->setVisible(range > 0);
    if (m_scrollY > range)
        m_scrollBar->setValue(range);
}

void TableRowViewLayout::setScrollY(int y)
{
    if (y == m_scrollY)
        return;
    m_scrollY = y;
    m_table.rowWidgetScrolled();
    layout(false);
}

void TableRowViewLayout::scrollBy(double delta)
{
    m_scrollBar->setValue(m_scrollBar->value() + int(std::lround(delta * m_scrollBar->singleStep())));
}

void TableRowViewLayout::scrollToRect(const QRectF& rect)
{
    updateScrollBar();
    if (rect.top() < m_scrollY)
        m_scrollBar->setValue(int(std::floor(rect.top())));
    else if (rect.bottom() > m_scrollY + m_table.height())
        m_scrollBar->setValue(int(std::ceil(rect.bottom())) - m_table.height());
}

void TableRowViewLayout::tableResized()
{
    const int width = m_scrollBar->sizeHint().width();
    m_scrollBar->setGeometry(m_table.width() - width, 0, width, m_table.height());
    layout(false);
}

} // namespace pf
