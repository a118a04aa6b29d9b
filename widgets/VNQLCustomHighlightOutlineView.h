#pragma once

#include "platform/foundation/IndexSet.h"
#include "platform/ui/OutlineView.h"

// An outline view whose selected rows are painted by their row views in the application's row
// gradient, one band per run of selected rows. It never takes the keyboard focus.
class VNQLCustomHighlightOutlineView : public pf::OutlineView {
    Q_OBJECT
    PF_CLASS(VNQLCustomHighlightOutlineView)
public:
    using pf::OutlineView::OutlineView;

    // One rectangle (this view's coordinates) per run of rows: from its first row to its last.
    QList<QRectF> highlightRectsForRows(const pf::IndexSet& rows);
    // Paints the bands of the selected rows that `view` (a row view) is drawing.
    void drawCustomSelectionHighlightForView(pf::View* view);
    void invalidateCustomRowsAtIndexes(const pf::IndexSet& rows);

    bool acceptsFirstResponder() const override { return false; }
};
