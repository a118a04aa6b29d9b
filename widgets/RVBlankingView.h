#pragma once

#include "platform/ui/View.h"

// An opaque view that paints the window background, covering whatever lies behind it.
class RVBlankingView : public pf::View {
    Q_OBJECT
    PF_CLASS(RVBlankingView)
public:
    using pf::View::View;

    bool isOpaque() const override { return true; }
    void drawRect(const QRectF& dirtyRect) override;
};
