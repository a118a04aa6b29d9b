#include "platform/ui/TableItemDelegate.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/TableItemModel.h"
#include "platform/ui/TableTreeWidget.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextFieldCell.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>

namespace pf {

TableItemDelegate::TableItemDelegate(TableView& table, TableItemModel& model, QObject* parent)
    : QStyledItemDelegate(parent), m_table(table), m_model(model)
{
}

void TableItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int row = m_model.rowForIndex(index);
    const int column = index.column();
    QStyleOptionViewItem background(option);
    background.features = QStyleOptionViewItem::None;
    QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, option.widget);
    Ref<Cell> cell = row >= 0 ? m_table.cellForDrawing(column, row) : nullptr;
    if (!cell)
        return;
    // Text in a selected row reads on the highlight unless the delegate chose a colour.
    auto* textCell = dynamic_cast<TextFieldCell*>(cell.get());
    if (textCell && m_table.isRowSelected(row) && !textCell->textColor().isValid())
        textCell->setTextColor(Color(option.palette.color(QPalette::HighlightedText)));
    // The cell draws in the table's coordinates; the viewport shows them scrolled.
    const TableTreeWidget* widget = m_table.rowWidget();
    const QPointF scroll = widget ? QPointF(widget->horizontalScrollBar()->value(), widget->verticalScrollBar()->value())
                                  : QPointF();
    painter->save();
    painter->setClipRect(option.rect, Qt::IntersectClip);
    painter->translate(-scroll);
    {
        GraphicsContextScope scope(*painter, true);
        cell->drawWithFrame(QRectF(option.rect).translated(scroll), &m_table);
    }
    painter->restore();
}

QSize TableItemDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const
{
    const int row = m_model.rowForIndex(index);
    return QSize(1, row >= 0 ? qRound(m_table.heightOfRow(row)) : 0);
}

QWidget* TableItemDelegate::createEditor(QWidget*, const QStyleOptionViewItem&, const QModelIndex&) const
{
    return nullptr;
}

} // namespace pf
