#pragma once

#include "platform/ui/TableView.h"

// A table whose delegate may supply the picture dragged for its rows.
class RVCustomDragImageTableView : public pf::TableView {
    Q_OBJECT
    PF_CLASS(RVCustomDragImageTableView)
public:
    using pf::TableView::TableView;

    QPixmap dragImageForRows(const pf::IndexSet& rows, const pf::Event& event, QPoint& offset) override;
};
