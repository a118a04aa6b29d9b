#include "widgets/VNQLCustomHighlightOutlineView.h"

#include "widgets/Gradient+VNQLApplicationColors.h"

#include "platform/graphics/GraphicsContext.h"

PF_DEFINE_CLASS(VNQLCustomHighlightOutlineView, pf::OutlineView) {}

QList<QRectF> VNQLCustomHighlightOutlineView::highlightRectsForRows(const pf::IndexSet& rows)
{
    QList<QRectF> rects;
    for (const pf::IndexSet::Range& range : rows.ranges()) {
        // The run's own last row: the row after it would paint one row too many.
        const int first = int(range.location);
        const int last = int(range.location + range.length - 1);
        rects.append(rectOfRow(first).united(rectOfRow(last)));
    }
    return rects;
}

void VNQLCustomHighlightOutlineView::drawCustomSelectionHighlightForView(pf::View* view)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!view || !context)
        return;
    for (const QRectF& rect : highlightRectsForRows(selectedRowIndexes())) {
        const QRectF inView = view->convertRectFromView(rect, this);
        if (view->needsToDrawRect(inView))
            VNQLSelectedTableRowGradient()->drawInRect(context->painter(), inView, -90.0);
    }
}

void VNQLCustomHighlightOutlineView::invalidateCustomRowsAtIndexes(const pf::IndexSet& rows)
{
    for (const QRectF& rect : highlightRectsForRows(rows))
        setNeedsDisplayInRect(rect);
}
