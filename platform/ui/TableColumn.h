#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/SortDescriptor.h"
#include "platform/ui/Cell.h"
#include "platform/ui/TableHeaderCell.h"

#include <QPointer>
#include <QString>

#include <optional>

namespace pf {

class TableView;

// One column of a table or outline: the identifier data sources and delegates know it by,
// the header cell with the title, the data cell that draws and edits its values, the sort
// descriptor a click on the header starts from, whether its cells may be edited in place,
// and its width. The data cell is a prototype: every row is drawn, edited and clicked with
// a copy of it, prepared for that row.
class TableColumn : public Object {
    PF_CLASS(TableColumn)
public:
    explicit TableColumn(QString identifier = {});
    static Ref<TableColumn> make(const QString& identifier);

    QString identifier() const { return m_identifier; }
    void setIdentifier(const QString& identifier) { m_identifier = identifier; }

    // The header cell's text.
    QString title() const { return m_headerCell->stringValue(); }
    void setTitle(const QString& title);
    TableHeaderCell* headerCell() const { return m_headerCell.get(); }
    // A null cell is refused.
    void setHeaderCell(const Ref<TableHeaderCell>& cell);

    // A text cell unless set otherwise.
    Cell* dataCell() const { return m_dataCell.get(); }
    const Ref<Cell>& dataCellRef() const { return m_dataCell; }
    // A null cell is refused.
    void setDataCell(const Ref<Cell>& cell);
    // The cell for `row`: the table's delegate may answer one of its own, else the data cell.
    Ref<Cell> dataCellForRow(int row) const;
    QString headerToolTip() const { return m_headerToolTip; }
    void setHeaderToolTip(const QString& toolTip);

    std::optional<SortDescriptor> sortDescriptorPrototype() const { return m_sortPrototype; }
    void setSortDescriptorPrototype(const std::optional<SortDescriptor>& prototype) { m_sortPrototype = prototype; }

    bool isEditable() const { return m_editable; }
    void setEditable(bool editable) { m_editable = editable; }

    double width() const { return m_width; }
    // Kept between the minimum and maximum width.
    void setWidth(double width);
    double minWidth() const { return m_minWidth; }
    void setMinWidth(double width);
    double maxWidth() const { return m_maxWidth; }
    void setMaxWidth(double width);

    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden);

    // The table the column is in, or null.
    TableView* tableView() const { return m_tableView; }

private:
    friend class TableView;
    void setTableView(TableView* table) { m_tableView = table; }
    void changed();

    QString m_identifier;
    Ref<TableHeaderCell> m_headerCell;
    Ref<Cell> m_dataCell;
    QString m_headerToolTip;
    std::optional<SortDescriptor> m_sortPrototype;
    bool m_editable = true;
    double m_width = 100;
    double m_minWidth = 10;
    double m_maxWidth = 100000;
    bool m_hidden = false;
    QPointer<TableView> m_tableView;
};

} // namespace pf
