#pragma once

#include "platform/ui/TextFieldCell.h"

namespace pf {

// The cell that draws one column's header: a header section with the column's title, and
// the sort indicator of the column the table is sorted by.
class TableHeaderCell : public TextFieldCell {
    PF_CLASS(TableHeaderCell)
public:
    TableHeaderCell();
    explicit TableHeaderCell(const QString& title);

    Ref<Cell> copyCell() const override;

    void drawWithFrame(const QRectF& frame, View* view) override;
    // The ascending or descending arrow at the right of `frame`; a priority other than 0
    // (not the first sort key) draws nothing.
    virtual void drawSortIndicatorWithFrame(const QRectF& frame, View* view, bool ascending, int priority);
    // Where the sort indicator goes in a header of `bounds`.
    QRectF sortIndicatorRectForBounds(const QRectF& bounds) const;
};

} // namespace pf
