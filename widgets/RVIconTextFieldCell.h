#pragma once

#include "platform/ui/TextFieldCell.h"

// A text cell with a 16 x 16 icon at its left and its text centred vertically: the rows of
// the item library's and media browser's lists.
class RVIconTextFieldCell : public pf::TextFieldCell {
    PF_CLASS(RVIconTextFieldCell)
public:
    static constexpr double kIconSide = 16.0;
    static constexpr double kIconLeftMargin = 5.0;
    // How far the text moves right for the icon: 16 + 3 + 5.
    static constexpr double kTextIndent = 24.0;
    // How far editing moves right of the centred text.
    static constexpr double kEditingIndent = 5.0;

    RVIconTextFieldCell() = default;
    explicit RVIconTextFieldCell(const QString& text) : pf::TextFieldCell(text) {}
    pf::Ref<pf::Cell> copyCell() const override;

    pf::Ref<pf::Image> textFieldIcon() const { return mIcon; }
    void setTextFieldIcon(const pf::Ref<pf::Image>& icon) { mIcon = icon; }

    // Where the icon goes in `frame`, and the frame left for the text (the whole frame
    // without an icon).
    QRectF iconRectForFrame(const QRectF& frame) const;
    QRectF textFrameForFrame(const QRectF& frame) const;

    void drawWithFrame(const QRectF& frame, pf::View* view) override;
    QRectF drawingRectForBounds(const QRectF& bounds) const override;
    void selectWithFrame(const QRectF& frame, pf::View* view, pf::FieldEditor* editor,
                         pf::FieldEditorDelegate* delegate, int start, int length) override;
    void editWithFrame(const QRectF& frame, pf::View* view, pf::FieldEditor* editor, pf::FieldEditorDelegate* delegate,
                       const pf::Event* event) override;
    unsigned hitTestForEvent(const pf::Event& event, const QRectF& frame, pf::View* view) const override;

private:
    QRectF centredRectForBounds(const QRectF& bounds) const;
    QRectF editingRectForFrame(const QRectF& frame) const;

    pf::Ref<pf::Image> mIcon;
    // While the editor is placed on an already centred rectangle.
    bool mPlacingEditor = false;
};
