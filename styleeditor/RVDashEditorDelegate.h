#pragma once

#include "platform/foundation/Variant.h"

class PWStrokeDash;
class RVDashEditor;
namespace pf {
class BezierPath;
} // namespace pf

// What the dash editor tells the pane that opened it. Every message is optional.
class RVDashEditorDelegate {
public:
    virtual ~RVDashEditorDelegate() = default;
    // The editor's dash changed (or, on Cancel, went back to the one it started from): read
    // the editor's dash().
    virtual void dashDidChange(RVDashEditor& editor) {}
    // The editor added `dash` to the saved dashes.
    virtual void dashEditorDidRegisterDash(RVDashEditor& editor, const pf::Ref<PWStrokeDash>& dash) {}
    // Draw what lies beneath the edited stroke along the preview's path.
    virtual void drawBackgroundForDashStroke(pf::BezierPath& path) {}
};
