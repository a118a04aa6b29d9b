#pragma once

#include "platform/ui/FieldEditor.h"

// The field editor of augmented text fields, one per window: a click in the text being
// edited also opens the field's slider popover.
class RVAugmentedTextFieldEditor : public pf::FieldEditor {
    Q_OBJECT
    PF_CLASS(RVAugmentedTextFieldEditor)
public:
    explicit RVAugmentedTextFieldEditor(QWidget* parent = nullptr);

    // The editor of `window` (a top-level widget), made when asked.
    static RVAugmentedTextFieldEditor* forWindow(QWidget* window, bool create = true);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
