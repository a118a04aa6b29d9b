#include "platform/ui/Matrix.h"

#include "platform/ui/Event.h"

PF_DEFINE_CLASS_NAMED(pf::Matrix, pf::Control, "pf::Matrix")
{
    b.property("selectedRow", &pf::Matrix::selectedRow);
    b.property("selectedColumn", &pf::Matrix::selectedColumn);
    b.method("selectCellWithTag:", &pf::Matrix::selectCellWithTag);
    b.method("deselectAllCells", &pf::Matrix::deselectAllCells);
}

namespace pf {

namespace {

Ref<ButtonCell> radioPrototype()
{
    auto cell = std::make_shared<ButtonCell>();
    cell->setButtonType(ButtonType::Radio);
    return cell;
}

} // namespace

Matrix::Matrix(int rows, int columns, const Ref<ButtonCell>& prototype, QWidget* parent)
    : Control(parent)
    , m_rows(std::max(0, rows))
    , m_columns(std::max(0, columns))
    , m_prototype(prototype ? prototype : radioPrototype())
{
    for (int i = 0; i < m_rows * m_columns; ++i) {
        auto cell = std::static_pointer_cast<ButtonCell>(m_prototype->copyCell());
        cell->setControlView(this);
        m_cells.append(cell);
    }
    sizeToCells();
}

void Matrix::addRow()
{
    for (int c = 0; c < m_columns; ++c) {
        auto cell = std::static_pointer_cast<ButtonCell>(m_prototype->copyCell());
        cell->setControlView(this);
        m_cells.append(cell);
    }
    ++m_rows;
    sizeToCells();
}

void Matrix::addColumn()
{
    for (int r = m_rows - 1; r >= 0; --r) {
        auto cell = std::static_pointer_cast<ButtonCell>(m_prototype->copyCell());
        cell->setControlView(this);
        m_cells.insert((r + 1) * m_columns, cell);
    }
    ++m_columns;
    if (m_selectedRow >= 0)
        m_selectedColumn = std::min(m_selectedColumn, m_columns - 1);
    sizeToCells();
}

void Matrix::setCellSize(QSizeF size)
{
    m_cellSize = size;
    sizeToCells();
}

void Matrix::setIntercellSpacing(QSizeF spacing)
{
    m_spacing = spacing;
    sizeToCells();
}

void Matrix::sizeToCells()
{
    const double w = m_columns * m_cellSize.width() + std::max(0, m_columns - 1) * m_spacing.width();
    const double h = m_rows * m_cellSize.height() + std::max(0, m_rows - 1) * m_spacing.height();
    setFrameSize(QSizeF(w, h));
    rebuildToolTips();
    setNeedsDisplay(true);
}

ButtonCell* Matrix::cellAtRow(int row, int column) const
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return nullptr;
    return m_cells.at(row * m_columns + column).get();
}

ButtonCell* Matrix::cellWithTag(int tag) const
{
    for (const Ref<ButtonCell>& cell : m_cells) {
        if (cell->tag() == tag)
            return cell.get();
    }
    return nullptr;
}

bool Matrix::getRowColumnOfCell(int* row, int* column, const Cell* cell) const
{
    for (int i = 0; i < m_cells.size(); ++i) {
        if (m_cells.at(i).get() == cell) {
            if (row)
                *row = i / m_columns;
            if (column)
                *column = i % m_columns;
            return true;
        }
    }
    return false;
}

QRectF Matrix::cellFrameAtRow(int row, int column) const
{
    return QRectF(column * (m_cellSize.width() + m_spacing.width()), row * (m_cellSize.height() + m_spacing.height()),
                  m_cellSize.width(), m_cellSize.height());
}

ButtonCell* Matrix::selectedCell() const
{
    return cellAtRow(m_selectedRow, m_selectedColumn);
}

bool Matrix::selectCellWithTag(int tag)
{
    for (int i = 0; i < m_cells.size(); ++i) {
        if (m_cells.at(i)->tag() == tag) {
            select(i);
            return true;
        }
    }
    return false;
}

void Matrix::selectCellAtRow(int row, int column)
{
    if (!cellAtRow(row, column)) {
        if (m_allowsEmptySelection || m_mode != MatrixMode::Radio)
            deselectAllCells();
        return;
    }
    select(row * m_columns + column);
}

void Matrix::deselectAllCells()
{
    for (const Ref<ButtonCell>& cell : m_cells)
        cell->setState(ControlState::Off);
    m_selectedRow = m_selectedColumn = -1;
    setNeedsDisplay(true);
}

void Matrix::select(int index)
{
    if (m_mode == MatrixMode::Radio) {
        for (int i = 0; i < m_cells.size(); ++i)
            m_cells.at(i)->setState(i == index ? ControlState::On : ControlState::Off);
    } else if (m_mode == MatrixMode::List || m_mode == MatrixMode::Highlight) {
        m_cells.at(index)->setState(ControlState::On);
    }
    m_selectedRow = index / m_columns;
    m_selectedColumn = index % m_columns;
    setNeedsDisplay(true);
}

int Matrix::indexAt(QPointF point) const
{
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < m_columns; ++c) {
            if (cellFrameAtRow(r, c).contains(point))
                return r * m_columns + c;
        }
    }
    return -1;
}

void Matrix::rebuildToolTips()
{
    removeAllToolTips();
    for (int i = 0; i < m_cells.size(); ++i) {
        if (!m_cells.at(i)->toolTip().isEmpty())
            addToolTipRect(cellFrameAtRow(i / m_columns, i % m_columns), m_cells.at(i)->toolTip());
    }
}

void Matrix::setToolTipForCell(const QString& toolTip, ButtonCell* cell)
{
    if (!getRowColumnOfCell(nullptr, nullptr, cell))
        return;
    cell->setToolTip(toolTip);
    rebuildToolTips();
}

void Matrix::drawRect(const QRectF&)
{
    for (int i = 0; i < m_cells.size(); ++i)
        m_cells.at(i)->drawWithFrame(cellFrameAtRow(i / m_columns, i % m_columns), this);
}

void Matrix::mouseDown(const Event& event)
{
    if (!isEnabled())
        return;
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    const int index = indexAt(point);
    if (index < 0 || !m_cells.at(index)->isEnabled())
        return;
    m_pressed = index;
    m_cells.at(index)->setHighlighted(true);
    setNeedsDisplay(true);
    // The cell tracks the press too: a cell with a menu shows it when the button is held.
    m_cells.at(index)->startTrackingAt(point, this);
    if (event.clickCount == 2 && !m_doubleAction.isEmpty()) {
        m_cells.at(index)->setHighlighted(false);
        m_pressed = -1;
        select(index);
        sendAction(m_doubleAction, target());
    }
}

void Matrix::mouseDragged(const Event& event)
{
    if (m_pressed < 0)
        return;
    const bool inside = indexAt(convertPointFromView(event.locationInWindow, nullptr)) == m_pressed;
    m_cells.at(m_pressed)->setHighlighted(inside);
    setNeedsDisplay(true);
}

void Matrix::mouseUp(const Event& event)
{
    if (m_pressed < 0)
        return;
    const int index = m_pressed;
    m_pressed = -1;
    Ref<ButtonCell> cell = m_cells.at(index);
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    cell->stopTracking(point, point, this, true);
    cell->setHighlighted(false);
    setNeedsDisplay(true);
    if (indexAt(point) != index)
        return;
    if (m_mode == MatrixMode::Radio) {
        select(index);
    } else {
        if (cell->changesStateOnClick())
            cell->setNextState();
        m_selectedRow = index / m_columns;
        m_selectedColumn = index % m_columns;
    }
    // A cell's own action wins over the matrix's.
    if (!cell->action().isEmpty())
        sendAction(cell->action(), cell->target());
    else
        sendAction();
}

} // namespace pf
