#pragma once

#include "platform/ui/View.h"

// An invisible view that takes the keyboard focus and keeps it: it never resigns first
// responder.
class RVLimelightHoggingView : public pf::View {
    Q_OBJECT
    PF_CLASS(RVLimelightHoggingView)
public:
    using pf::View::View;

    bool acceptsFirstResponder() const override { return true; }
    bool resignFirstResponder() override { return false; }
    bool canBecomeKeyView() const { return true; }
    void drawRect(const QRectF& dirtyRect) override { Q_UNUSED(dirtyRect) }
};
