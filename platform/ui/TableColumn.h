#pragma once

#include "platform/foundation/Object.h"
#include "platform/foundation/SortDescriptor.h"

#include <QPointer>
#include <QString>

#include <optional>

namespace pf {

class TableView;

// One column of a table or outline: the identifier data sources and delegates know it by,
// the header title, the sort descriptor a click on the header starts from, whether its cells
// may be edited in place, and its width.
class TableColumn : public Object {
    PF_CLASS(TableColumn)
public:
    explicit TableColumn(QString identifier = {});
    static Ref<TableColumn> make(const QString& identifier);

    QString identifier() const { return m_identifier; }
    void setIdentifier(const QString& identifier) { m_identifier = identifier; }

    QString title() const { return m_title; }
    void setTitle(const QString& title);
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
    QString m_title;
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
