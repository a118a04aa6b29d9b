#pragma once

#include "platform/ui/View.h"

#include <QVariant>

namespace pf {

// A view that shows one cell of a view-based table. The table gives it the row's value
// (its item, in an outline); subclasses show it.
class TableCellView : public View {
    Q_OBJECT
    PF_CLASS(TableCellView)
public:
    explicit TableCellView(QWidget* parent = nullptr);
    explicit TableCellView(const QRectF& frame, QWidget* parent = nullptr);

    bool isFlipped() const override { return true; }

    QVariant objectValue() const { return m_objectValue; }
    virtual void setObjectValue(const QVariant& value) { m_objectValue = value; }

private:
    QVariant m_objectValue;
};

} // namespace pf
