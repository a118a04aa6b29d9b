#pragma once

#include "platform/ui/View.h"

// A pane for trying split-view layouts: a red frame and diagonals and a box with the pane's
// width and height.
class RVSplitTestView : public pf::View {
    Q_OBJECT
    PF_CLASS(RVSplitTestView)
public:
    explicit RVSplitTestView(QWidget* parent = nullptr);
    explicit RVSplitTestView(const QRectF& frame, QWidget* parent = nullptr);

    bool isFlipped() const override { return true; }
    bool isOpaque() const override { return true; }
    bool acceptsFirstResponder() const override { return false; }
    void drawRect(const QRectF& dirtyRect) override;
};
