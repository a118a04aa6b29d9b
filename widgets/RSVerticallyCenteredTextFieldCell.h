#pragma once

#include "platform/ui/TextFieldCell.h"

namespace pf {
class Menu;
}

// A text field cell that centres its line of text vertically in a taller frame, also while it
// is being edited or selected, and lets its table's delegate give each row a contextual menu.
class RSVerticallyCenteredTextFieldCell : public pf::TextFieldCell {
    PF_CLASS(RSVerticallyCenteredTextFieldCell)
public:
    using pf::TextFieldCell::TextFieldCell;

    pf::Ref<pf::Cell> copyCell() const override;

    QRectF drawingRectForBounds(const QRectF& bounds) const override;
    void selectWithFrame(const QRectF& frame, pf::View* view, pf::FieldEditor* editor,
                         pf::FieldEditorDelegate* delegate, int start, int length) override;
    void editWithFrame(const QRectF& frame, pf::View* view, pf::FieldEditor* editor,
                       pf::FieldEditorDelegate* delegate, const pf::Event* event) override;
    unsigned hitTestForEvent(const pf::Event& event, const QRectF& frame, pf::View* view) const override;
    // The menu of the table row under the cell, from a delegate that offers one; else null.
    pf::Ref<pf::Menu> menuForEvent(const pf::Event& event, const QRectF& frame, pf::View* view) const;

private:
    QRectF centredRectForBounds(const QRectF& bounds) const;

    bool mIsEditingOrSelecting = false;
};
