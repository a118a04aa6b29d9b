#pragma once

#include "platform/ui/ButtonCell.h"
#include "platform/ui/Control.h"

#include <QList>

namespace pf {

// How a matrix treats its cells when clicked.
enum class MatrixMode { Radio, Highlight, List, Track };

// A grid of button cells in one control, as radio groups and check box columns are made.
// Row 0 is at the top (the matrix is flipped). In radio mode exactly the clicked cell is on;
// the action is sent with the matrix as sender, whose selectedCell is the one clicked. A
// double click also sends the double action.
class Matrix : public Control {
    Q_OBJECT
    PF_CLASS(Matrix)
public:
    // `prototype` is copied for every cell; a radio button cell when null.
    Matrix(int rows, int columns, const Ref<ButtonCell>& prototype = nullptr, QWidget* parent = nullptr);

    bool isFlipped() const override { return true; }

    MatrixMode mode() const { return m_mode; }
    void setMode(MatrixMode mode) { m_mode = mode; }
    // With an empty selection allowed, a radio matrix may have no cell on.
    bool allowsEmptySelection() const { return m_allowsEmptySelection; }
    void setAllowsEmptySelection(bool allows) { m_allowsEmptySelection = allows; }

    int numberOfRows() const { return m_rows; }
    int numberOfColumns() const { return m_columns; }
    // Adds a row or column of prototype copies.
    void addRow();
    void addColumn();
    QSizeF cellSize() const { return m_cellSize; }
    void setCellSize(QSizeF size);
    QSizeF intercellSpacing() const { return m_spacing; }
    void setIntercellSpacing(QSizeF spacing);
    // Makes the frame fit the cells.
    void sizeToCells();

    QList<Ref<ButtonCell>> cells() const { return m_cells; }
    ButtonCell* cellAtRow(int row, int column) const;
    ButtonCell* cellWithTag(int tag) const;
    // False when the cell is not in the matrix.
    bool getRowColumnOfCell(int* row, int* column, const Cell* cell) const;
    QRectF cellFrameAtRow(int row, int column) const;

    // --- Selection
    ButtonCell* selectedCell() const;
    int selectedRow() const { return m_selectedRow; }
    int selectedColumn() const { return m_selectedColumn; }
    // Selects the cell with the tag (in radio mode, turning the others off); false when none
    // has it.
    bool selectCellWithTag(int tag);
    void selectCellAtRow(int row, int column);
    // Turns every cell off and clears the selection.
    void deselectAllCells();

    // A tool tip shown over one cell.
    void setToolTipForCell(const QString& toolTip, ButtonCell* cell);

    QString doubleAction() const { return m_doubleAction; }
    void setDoubleAction(const QString& selector) { m_doubleAction = selector; }

    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event& event) override;
    void mouseUp(const Event& event) override;

private:
    int indexAt(QPointF point) const;
    void select(int index);
    void rebuildToolTips();

    int m_rows;
    int m_columns;
    Ref<ButtonCell> m_prototype;
    QList<Ref<ButtonCell>> m_cells; // row by row
    QSizeF m_cellSize{100, 18};
    QSizeF m_spacing{4, 2};
    MatrixMode m_mode = MatrixMode::Radio;
    bool m_allowsEmptySelection = false;
    int m_selectedRow = -1;
    int m_selectedColumn = -1;
    int m_pressed = -1;
    QString m_doubleAction;
};

} // namespace pf
