#include "platform/ui/TableCellView.h"

PF_DEFINE_CLASS_NAMED(pf::TableCellView, pf::View, "pf::TableCellView")
{
    b.property("objectValue", &pf::TableCellView::objectValue, &pf::TableCellView::setObjectValue);
}

namespace pf {

TableCellView::TableCellView(QWidget* parent) : View(parent) {}

TableCellView::TableCellView(const QRectF& frame, QWidget* parent) : View(frame, parent) {}

} // namespace pf
