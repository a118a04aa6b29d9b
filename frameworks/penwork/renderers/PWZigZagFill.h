#pragma once

#include "frameworks/penwork/renderers/PWZigZagRenderer.h"
#include "frameworks/penwork/styles/PWFill.h"

// A fill of the zig-zagged outline of the object's path; the zig-zag's settings are
// PWZigZagRenderer's.
class PWZigZagFill : public PWZigZagRenderer<PWFill> {
    PF_CLASS(PWZigZagFill)
public:
    // Amplitude 4, wavelength 10, no spread, closed.
    PWZigZagFill();
    PWZigZagFill(const PWZigZagFill& other) = default;

    QString displayName() const override;
    pf::Ref<pf::Object> copy() const override;
};
