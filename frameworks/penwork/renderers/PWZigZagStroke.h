#pragma once

#include "frameworks/penwork/renderers/PWZigZagRenderer.h"
#include "frameworks/penwork/styles/PWStroke.h"

// A stroke drawn along a zig-zag of the object's path; the zig-zag's settings are
// PWZigZagRenderer's.
class PWZigZagStroke : public PWZigZagRenderer<PWStroke> {
    PF_CLASS(PWZigZagStroke)
public:
    // Amplitude 4, wavelength 10, no spread, closed.
    PWZigZagStroke();
    PWZigZagStroke(const PWZigZagStroke& other) = default;

    QString displayName() const override;
    pf::Ref<pf::Object> copy() const override;
};
