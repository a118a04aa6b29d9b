#include "platform/ui/TextFieldCell.h"

#include "platform/graphics/SystemColor.h"
#include "platform/ui/FieldEditor.h"
#include "platform/ui/View.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

PF_DEFINE_CLASS_NAMED(pf::TextFieldCell, pf::ActionCell, "pf::TextFieldCell")
{
    b.property("placeholderString", &pf::TextFieldCell::placeholderString, &pf::TextFieldCell::setPlaceholderString);
    b.property("drawsBackground", &pf::TextFieldCell::drawsBackground, &pf::TextFieldCell::setDrawsBackground);
}

namespace pf {

Ref<Cell> TextFieldCell::copyCell() const
{
    auto copy = std::make_shared<TextFieldCell>(*this);
    copy->setControlView(nullptr);
    return copy;
}

void TextFieldCell::drawWithFrame(const QRectF& frame, View* view)
{
    const Color background = m_backgroundColor.isValid() ? m_backgroundColor : SystemColor::textBackground();
    if (isBezeled()) {
        QStyle* style = view ? view->style() : QApplication::style();
        drawUpright(frame, [&](QPainter& painter, const QRectF& rect) {
            QStyleOptionFrame option;
            if (view)
                option.initFrom(view);
            option.rect = rect.toAlignedRect();
            option.lineWidth = 1;
            option.state |= QStyle::State_Sunken;
            if (!isEnabled())
                option.state &= ~QStyle::State_Enabled;
            if (m_drawsBackground || isEditable())
                painter.fillRect(rect.adjusted(1, 1, -1, -1), background.brush());
            style->drawPrimitive(QStyle::PE_FrameLineEdit, &option, &painter, view);
        });
    } else if (m_drawsBackground) {
        drawUpright(frame, [&](QPainter& painter, const QRectF& rect) { painter.fillRect(rect, background.brush()); });
    }
    if (isBordered() && !isBezeled()) {
        drawUpright(frame, [](QPainter& painter, const QRectF& rect) {
            painter.setPen(QPen(SystemColor::controlText().qColor(), 1));
            painter.drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
        });
    }
    drawInteriorWithFrame(frame, view);
}

void TextFieldCell::drawInteriorWithFrame(const QRectF& frame, View* view)
{
    const QString text = stringValue();
    const QRectF rect = titleRectForBounds(frame);
    if (text.isEmpty()) {
        drawText(m_placeholder, rect, SystemColor::disabledControlText().qColor());
        return;
    }
    QColor colour = m_textColor.isValid() ? m_textColor.qColor() : SystemColor::text().qColor();
    if (!isEnabled())
        colour = SystemColor::disabledControlText().qColor();
    drawText(text, rect, colour);
}

void TextFieldCell::setUpFieldEditorAttributes(FieldEditor& editor) const
{
    ActionCell::setUpFieldEditorAttributes(editor);
    editor.setPlaceholderText(m_placeholder);
    QPalette palette = editor.palette();
    if (m_textColor.isValid())
        palette.setColor(QPalette::Text, m_textColor.qColor());
    if (m_backgroundColor.isValid())
        palette.setColor(QPalette::Base, m_backgroundColor.qColor());
    editor.setPalette(palette);
}

} // namespace pf
