#include "platform/ui/TextField.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/NumberFormatter.h"
#include "platform/ui/Application.h"
#include "platform/ui/Event.h"
#include "platform/ui/Responder.h"

#include <QFocusEvent>

PF_DEFINE_CLASS_NAMED(pf::TextField, pf::Control, "pf::TextField")
{
    b.property("editable", &pf::TextField::isEditable, &pf::TextField::setEditable);
    b.property("selectable", &pf::TextField::isSelectable, &pf::TextField::setSelectable);
    b.property("placeholderString", &pf::TextField::placeholderString, &pf::TextField::setPlaceholderString);
    b.method("selectText:", &pf::TextField::selectText);
}

namespace pf {

TextField::TextField(QWidget* parent)
    : TextField(std::make_shared<TextFieldCell>(), parent)
{
}

TextField::TextField(const Ref<TextFieldCell>& cell, QWidget* parent)
    : Control(cell ? Ref<Cell>(cell) : Ref<Cell>(std::make_shared<TextFieldCell>()), parent)
{
    textFieldCell()->setEditable(true);
    textFieldCell()->setBezeled(true);
    textFieldCell()->setDrawsBackground(true);
    textFieldCell()->setLineBreakMode(LineBreakByClipping);
    setFocusPolicy(Qt::StrongFocus);
}

TextField::~TextField()
{
    // Nothing may reach this field through the editor once it is gone.
    if (m_editor && m_editor->isEditing() && m_editor->delegate() == this)
        m_editor->abortEditing();
}

TextField* TextField::label(const QString& text, QWidget* parent)
{
    auto* field = new TextField(parent);
    field->setStringValue(text);
    field->setEditable(false);
    field->setSelectable(false);
    field->setBezeled(false);
    field->setBordered(false);
    field->setDrawsBackground(false);
    field->sizeToFit();
    return field;
}

TextFieldCell* TextField::textFieldCell() const
{
    return static_cast<TextFieldCell*>(cell());
}

void TextField::setCell(const Ref<Cell>& cell)
{
    if (std::dynamic_pointer_cast<TextFieldCell>(cell))
        Control::setCell(cell);
}

void TextField::setEditable(bool editable)
{
    cell()->setEditable(editable);
    if (!editable && m_editor && m_editor->isEditing() && m_editor->delegate() == this)
        m_editor->setReadOnly(true);
    setFocusPolicy(acceptsFirstResponder() ? Qt::StrongFocus : Qt::NoFocus);
    setNeedsDisplay(true);
}

void TextField::setSelectable(bool selectable)
{
    cell()->setSelectable(selectable);
    setFocusPolicy(acceptsFirstResponder() ? Qt::StrongFocus : Qt::NoFocus);
}

void TextField::setBezeled(bool bezeled) { cell()->setBezeled(bezeled); setNeedsDisplay(true); }
void TextField::setBordered(bool bordered) { cell()->setBordered(bordered); setNeedsDisplay(true); }
void TextField::setDrawsBackground(bool draws) { textFieldCell()->setDrawsBackground(draws); setNeedsDisplay(true); }

void TextField::setPlaceholderString(const QString& placeholder)
{
    textFieldCell()->setPlaceholderString(placeholder);
    if (FieldEditor* editor = currentEditor())
        editor->setPlaceholderText(placeholder);
    setNeedsDisplay(true);
}

void TextField::setTextColor(const Color& colour) { textFieldCell()->setTextColor(colour); setNeedsDisplay(true); }
void TextField::setBackgroundColor(const Color& colour) { textFieldCell()->setBackgroundColor(colour); setNeedsDisplay(true); }

TextFieldDelegate* TextField::delegate() const
{
    if (m_delegateIsReflective && m_delegateLiveness.expired())
        return nullptr;
    return m_delegate;
}

void TextField::setDelegate(TextFieldDelegate* delegate)
{
    m_delegate = delegate;
    m_delegateLiveness.reset();
    m_delegateIsReflective = false;
    if (auto* reflective = dynamic_cast<Reflective*>(delegate)) {
        m_delegateLiveness = reflective->livenessToken();
        m_delegateIsReflective = true;
    }
}

void TextField::setObjectValue(const QVariant& value)
{
    Control::setObjectValue(value);
    if (FieldEditor* editor = currentEditor())
        editor->setText(stringValue());
}

void TextField::setStringValue(const QString& text)
{
    Control::setStringValue(text);
    if (FieldEditor* editor = currentEditor())
        editor->setText(stringValue());
}

// --- Editing

FieldEditor* TextField::currentEditor() const
{
    return m_editor && m_editor->isEditing() && m_editor->delegate() == this ? m_editor.data() : nullptr;
}

bool TextField::beginEditing(const Event* event, bool selectAll)
{
    if (currentEditor())
        return true;
    QWidget* window = windowWidget();
    if (!window || !(isEditable() || isSelectable()))
        return false;
    FieldEditor* editor = cell()->fieldEditorForView(this);
    if (!editor)
        editor = FieldEditor::forWindow(window);
    m_editor = editor;
    m_textChanged = false;
    const QRectF frame = cellFrame();
    if (selectAll)
        cell()->selectWithFrame(frame, this, editor, this, 0, int(stringValue().size()));
    else
        cell()->editWithFrame(frame, this, editor, this, event);
    if (!currentEditor())
        return false;
    // Focus given to the field goes on to the editor while it edits.
    setFocusProxy(editor);
    return true;
}

bool TextField::becomeFirstResponder()
{
    return beginEditing(nullptr, true);
}

void TextField::selectText(const QVariant&)
{
    QWidget* window = windowWidget();
    if (!window)
        return;
    if (currentEditor()) {
        currentEditor()->selectAll();
        return;
    }
    // Already first responder (after a Return) it only needs the editor again.
    if (firstResponder(window) == this)
        beginEditing(nullptr, true);
    else
        makeFirstResponder(window, this);
}

void TextField::mouseDown(const Event& event)
{
    if (!isEnabled() || !(isEditable() || isSelectable()))
        return;
    if (!currentEditor()) {
        QWidget* window = windowWidget();
        if (!window)
            return;
        if (firstResponder(window) == this ? !beginEditing(&event, false) : !makeFirstResponder(window, this))
            return;
    }
    if (FieldEditor* editor = currentEditor()) {
        const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
        const QPointF local = boundsToWidgetTransform().map(point) - QPointF(editor->geometry().topLeft());
        editor->deselect();
        editor->setCursorPosition(editor->cursorPositionAt(local.toPoint()));
    }
}

void TextField::focusInEvent(QFocusEvent* event)
{
    Control::focusInEvent(event);
    // Reached by the keyboard (Tab) rather than through makeFirstResponder; focus coming back
    // from the editor at the end of editing does not start it again.
    const bool byKeyboard = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    if (byKeyboard && !currentEditor() && acceptsFirstResponder())
        beginEditing(nullptr, true);
}

void TextField::performClick(const QVariant&)
{
    if (isEnabled())
        sendAction();
}

bool TextField::parse(const QString& text, QVariant* value, QString* error) const
{
    auto formatter = this->formatter();
    if (!formatter) {
        *value = text;
        return true;
    }
    return formatter->getObjectValue(text, value, error);
}

bool TextField::validateEditing()
{
    FieldEditor* editor = currentEditor();
    if (!editor)
        return true;
    QVariant value;
    QString error;
    if (!parse(editor->text(), &value, &error))
        return false;
    Control::setObjectValue(value);
    return true;
}

void TextField::abortEditing()
{
    if (FieldEditor* editor = currentEditor()) {
        setFocusProxy(nullptr);
        editor->abortEditing();
    }
}

void TextField::postControlNotification(const QString& name, FieldEditor& editor, const QVariantMap& extra)
{
    QVariantMap info = extra;
    info.insert(NSFieldEditor, QVariant::fromValue<QObject*>(&editor));
    NotificationCenter::defaultCenter().post(name, this, info);
}

void TextField::textDidBeginEditing(FieldEditor& editor)
{
    m_textChanged = true;
    postControlNotification(NSControlTextDidBeginEditingNotification, editor);
    if (TextFieldDelegate* d = delegate())
        d->controlTextDidBeginEditing(*this);
}

void TextField::textDidChange(FieldEditor& editor)
{
    postControlNotification(NSControlTextDidChangeNotification, editor);
    QPointer<TextField> self(this);
    if (TextFieldDelegate* d = delegate())
        d->controlTextDidChange(*this);
    if (self && isContinuous() && validateEditing())
        sendAction();
}

bool TextField::textShouldEndEditing(FieldEditor& editor)
{
    const QString text = editor.text();
    if (TextFieldDelegate* d = delegate(); d && !d->textShouldEndEditing(*this, text))
        return false;
    QVariant value;
    QString error;
    if (parse(text, &value, &error))
        return true;
    TextFieldDelegate* d = delegate();
    if (d && d->didFailToFormatString(*this, text, error))
        return true;
    Application::beep();
    return false;
}

void TextField::textDidEndEditing(FieldEditor& editor, TextMovement movement)
{
    setFocusProxy(nullptr);
    QVariant value;
    QString error;
    if (parse(editor.text(), &value, &error))
        Control::setObjectValue(value);
    else
        Control::setObjectValue(editor.text()); // the delegate accepted the unformatted text
    const bool changed = m_textChanged;
    m_textChanged = false;
    QPointer<TextField> self(this);
    postControlNotification(NSControlTextDidEndEditingNotification, editor, {{NSTextMovement, int(movement)}});
    if (!self)
        return;
    if (TextFieldDelegate* d = delegate())
        d->controlTextDidEndEditing(*this, movement);
    if (!self)
        return;
    if (movement == TextMovement::Return || (m_sendsActionOnEndEditing && changed))
        sendAction();
    if (self)
        moveFocusAfter(movement);
}

bool TextField::doCommandBySelector(FieldEditor& editor, const QString& selector)
{
    TextFieldDelegate* d = delegate();
    return d && d->doCommandBySelector(*this, selector);
}

void TextField::moveFocusAfter(TextMovement movement)
{
    if (movement != TextMovement::Tab && movement != TextMovement::Backtab)
        return;
    QWidget* window = windowWidget();
    if (!window)
        return;
    // The next (or previous) widget in the window's focus chain that takes the keyboard.
    QWidget* candidate = this;
    for (int guard = 0; guard < 1000; ++guard) {
        candidate = movement == TextMovement::Tab ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        if (!candidate || candidate == this)
            return;
        if (candidate->window() != window || qobject_cast<FieldEditor*>(candidate) || !candidate->isVisible()
            || !candidate->isEnabled() || !(candidate->focusPolicy() & Qt::TabFocus))
            continue;
        if (makeFirstResponder(window, candidate))
            return;
    }
}

void TextField::drawRect(const QRectF&)
{
    // While the editor is up it shows the text; the bezel is still the cell's.
    if (currentEditor()) {
        auto copy = std::static_pointer_cast<TextFieldCell>(textFieldCell()->copyCell());
        copy->setObjectValue(QString());
        copy->setPlaceholderString(QString());
        copy->drawWithFrame(cellFrame(), this);
        return;
    }
    cell()->drawWithFrame(cellFrame(), this);
}

} // namespace pf
