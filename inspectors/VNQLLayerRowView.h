#pragma once

#include "platform/ui/TableRowView.h"

#include <QPointer>

class PWLayer;

namespace pf {
class OutlineView;
}

// The row behind each line of the layers panel: a strip in the selection colour of the row's
// layer at the left edge, a separator line at the bottom, the application's selection gradient
// and a rounded drop highlight.
class VNQLLayerRowView : public pf::TableRowView {
    Q_OBJECT
    PF_CLASS(VNQLLayerRowView)
public:
    static constexpr double kColourBarWidth = 5.0;

    explicit VNQLLayerRowView(const QRectF& frame, QWidget* parent = nullptr);

    // Stored under "kVNQLLayerColourBarShownDefault"; shown unless the user turned it off.
    static bool showsLayerColourBar();
    static void setShowsLayerColourBar(bool shows);

    pf::OutlineView* outlineView() const { return mOutlineView; }
    void setOutlineView(pf::OutlineView* outline) { mOutlineView = outline; }
    // The layer whose colour the bar shows: a drawable's layer, or the row's layer itself.
    PWLayer* layerForColourBar() const;
    void updateColourBar();
    void setSelected(bool selected) override;

    void drawRect(const QRectF& dirtyRect) override;
    void drawSelectionInRect(const QRectF& dirtyRect) override;
    void drawDraggingDestinationFeedbackInRect(const QRectF& dirtyRect) override;

private:
    QPointer<pf::OutlineView> mOutlineView;
};
