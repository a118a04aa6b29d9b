#pragma once

#include "platform/ui/View.h"

namespace pf {

// The view behind one row of a view-based table: it draws the row's background, selection
// and drop feedback, and holds the row's cell views. Subclasses change the drawing hooks.
class TableRowView : public View {
    Q_OBJECT
    PF_CLASS(TableRowView)
public:
    explicit TableRowView(QWidget* parent = nullptr);
    explicit TableRowView(const QRectF& frame, QWidget* parent = nullptr);

    bool isFlipped() const override { return true; }

    bool isSelected() const { return m_selected; }
    virtual void setSelected(bool selected);
    bool isGroupRowStyle() const { return m_groupRowStyle; }
    void setGroupRowStyle(bool group);
    bool isTargetForDropOperation() const { return m_dropTarget; }
    void setTargetForDropOperation(bool target);

    // The cell views, one per column (null where the delegate gave none).
    int numberOfColumns() const { return int(m_cells.size()); }
    View* viewAtColumn(int column) const;

    void drawRect(const QRectF& dirtyRect) override;
    virtual void drawBackgroundInRect(const QRectF& dirtyRect);
    virtual void drawSelectionInRect(const QRectF& dirtyRect);
    virtual void drawDraggingDestinationFeedbackInRect(const QRectF& dirtyRect);

private:
    friend class TableRowViewLayout;
    void setCells(const QList<View*>& cells) { m_cells = cells; }

    bool m_selected = false;
    bool m_groupRowStyle = false;
    bool m_dropTarget = false;
    QList<View*> m_cells;
};

} // namespace pf
