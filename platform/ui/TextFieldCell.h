#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/ActionCell.h"

namespace pf {

// The cell of text fields and of text columns: text on an optional background, with a
// placeholder while empty, edited in place through the field editor.
class TextFieldCell : public ActionCell {
    PF_CLASS(TextFieldCell)
public:
    TextFieldCell() = default;
    explicit TextFieldCell(const QString& text) : ActionCell(text) {}

    Ref<Cell> copyCell() const override;

    QString placeholderString() const { return m_placeholder; }
    void setPlaceholderString(const QString& placeholder) { m_placeholder = placeholder; }
    // Invalid colours: the system's text and text background colours.
    Color textColor() const { return m_textColor; }
    void setTextColor(const Color& colour) { m_textColor = colour; }
    Color backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const Color& colour) { m_backgroundColor = colour; }
    bool drawsBackground() const { return m_drawsBackground; }
    void setDrawsBackground(bool draws) { m_drawsBackground = draws; }

    void drawWithFrame(const QRectF& frame, View* view) override;
    void drawInteriorWithFrame(const QRectF& frame, View* view) override;
    void setUpFieldEditorAttributes(FieldEditor& editor) const override;

private:
    QString m_placeholder;
    Color m_textColor;
    Color m_backgroundColor;
    bool m_drawsBackground = false;
};

} // namespace pf
