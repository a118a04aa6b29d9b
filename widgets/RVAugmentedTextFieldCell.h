#pragma once

#include "platform/ui/TextFieldCell.h"

// The cell of augmented text fields: edits with the augmented field editor of the window.
class RVAugmentedTextFieldCell : public pf::TextFieldCell {
    PF_CLASS(RVAugmentedTextFieldCell)
public:
    RVAugmentedTextFieldCell() = default;
    // A cell with every attribute of `cell`.
    static pf::Ref<RVAugmentedTextFieldCell> fromTextFieldCell(const pf::TextFieldCell& cell);

    pf::Ref<pf::Cell> copyCell() const override;
    pf::FieldEditor* fieldEditorForView(pf::View* view) override;
};
