#include "platform/ui/TableHeaderCell.h"

#include "platform/ui/View.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionHeader>

PF_DEFINE_CLASS_NAMED(pf::TableHeaderCell, pf::TextFieldCell, "pf::TableHeaderCell") {}

namespace pf {

namespace {

constexpr double kIndicatorWidth = 9;

} // namespace

TableHeaderCell::TableHeaderCell() : TableHeaderCell(QString()) {}

TableHeaderCell::TableHeaderCell(const QString& title) : TextFieldCell(title)
{
    setControlSize(ControlSize::Small);
    setLineBreakMode(LineBreakByTruncatingTail);
}

Ref<Cell> TableHeaderCell::copyCell() const
{
    auto copy = std::make_shared<TableHeaderCell>(*this);
    copy->setControlView(nullptr);
    return copy;
}

void TableHeaderCell::drawWithFrame(const QRectF& frame, View* view)
{
    QStyle* style = view ? view->style() : QApplication::style();
    const bool highlighted = isHighlighted();
    drawUpright(frame, [&](QPainter& painter, const QRectF& rect) {
        QStyleOptionHeader option;
        if (view)
            option.initFrom(view);
        option.rect = rect.toAlignedRect();
        if (highlighted)
            option.state |= QStyle::State_Sunken;
        style->drawControl(QStyle::CE_HeaderSection, &option, &painter, view);
    });
    drawInteriorWithFrame(frame, view);
}

QRectF TableHeaderCell::sortIndicatorRectForBounds(const QRectF& bounds) const
{
    return QRectF(bounds.right() - kIndicatorWidth - 4, bounds.top(), kIndicatorWidth, bounds.height());
}

void TableHeaderCell::drawSortIndicatorWithFrame(const QRectF& frame, View* view, bool ascending, int priority)
{
    if (priority != 0)
        return;
    const QRectF area = sortIndicatorRectForBounds(frame);
    QStyle* style = view ? view->style() : QApplication::style();
    drawUpright(area, [&](QPainter& painter, const QRectF& rect) {
        QStyleOption option;
        if (view)
            option.initFrom(view);
        option.rect = QRectF(rect.x(), rect.center().y() - kIndicatorWidth / 2, kIndicatorWidth, kIndicatorWidth).toAlignedRect();
        style->drawPrimitive(ascending ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &option, &painter, view);
    });
}

} // namespace pf
