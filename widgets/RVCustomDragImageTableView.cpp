#include "widgets/RVCustomDragImageTableView.h"

#include "widgets/RVCustomDragImageTableDelegate.h"

#include "platform/ui/TableViewDelegate.h"

PF_DEFINE_CLASS(RVCustomDragImageTableView, pf::TableView) {}

QPixmap RVCustomDragImageTableView::dragImageForRows(const pf::IndexSet& rows, const pf::Event& event, QPoint& offset)
{
    if (auto* custom = dynamic_cast<RVCustomDragImageTableDelegate*>(delegate())) {
        offset = QPoint(0, 0);
        return custom->customDragImageInTableView(*this, rows);
    }
    return pf::TableView::dragImageForRows(rows, event, offset);
}
