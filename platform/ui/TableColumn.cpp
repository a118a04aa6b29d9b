#include "platform/ui/TableColumn.h"

#include "platform/ui/TableView.h"

#include <algorithm>

PF_DEFINE_CLASS_NAMED(pf::TableColumn, pf::Object, "pf::TableColumn")
{
    b.property("identifier", &pf::TableColumn::identifier, &pf::TableColumn::setIdentifier);
    b.property("title", &pf::TableColumn::title, &pf::TableColumn::setTitle);
    b.property("width", &pf::TableColumn::width, &pf::TableColumn::setWidth);
}

namespace pf {

TableColumn::TableColumn(QString identifier)
    : m_identifier(std::move(identifier))
    , m_headerCell(std::make_shared<TableHeaderCell>())
    , m_dataCell(std::make_shared<TextFieldCell>())
{
    m_dataCell->setEditable(true);
    m_dataCell->setLineBreakMode(LineBreakByTruncatingTail);
}

Ref<TableColumn> TableColumn::make(const QString& identifier)
{
    return std::make_shared<TableColumn>(identifier);
}

void TableColumn::setTitle(const QString& title)
{
    m_headerCell->setStringValue(title);
    changed();
}

void TableColumn::setHeaderCell(const Ref<TableHeaderCell>& cell)
{
    if (!cell)
        return;
    m_headerCell = cell;
    changed();
}

void TableColumn::setDataCell(const Ref<Cell>& cell)
{
    if (!cell)
        return;
    m_dataCell = cell;
    changed();
}

Ref<Cell> TableColumn::dataCellForRow(int row) const
{
    if (m_tableView) {
        if (Ref<Cell> cell = m_tableView->delegateDataCell(const_cast<TableColumn*>(this), row))
            return cell;
    }
    return m_dataCell;
}

void TableColumn::setHeaderToolTip(const QString& toolTip)
{
    m_headerToolTip = toolTip;
    changed();
}

void TableColumn::setWidth(double width)
{
    width = std::clamp(width, m_minWidth, std::max(m_minWidth, m_maxWidth));
    if (width == m_width)
        return;
    m_width = width;
    changed();
}

void TableColumn::setMinWidth(double width)
{
    m_minWidth = std::max(0.0, width);
    setWidth(m_width);
}

void TableColumn::setMaxWidth(double width)
{
    m_maxWidth = width;
    setWidth(m_width);
}

void TableColumn::setHidden(bool hidden)
{
    m_hidden = hidden;
    changed();
}

void TableColumn::changed()
{
    if (m_tableView)
        m_tableView->columnDidChange(this);
}

} // namespace pf
