#include "platform/ui/FieldEditor.h"

#include "platform/foundation/NotificationCenter.h"

#include <QFocusEvent>
#include <QHash>
#include <QKeyEvent>

PF_DEFINE_CLASS_NAMED(pf::FieldEditor, pf::Reflective, "pf::FieldEditor")
{
    b.property("stringValue", &pf::FieldEditor::text);
    b.property("editing", &pf::FieldEditor::isEditing);
}

namespace pf {

namespace {

QHash<const QWidget*, QPointer<FieldEditor>>& editorsByWindow()
{
    static QHash<const QWidget*, QPointer<FieldEditor>> editors;
    return editors;
}

} // namespace

FieldEditor::FieldEditor(QWidget* parent)
    : QLineEdit(parent)
{
    setFrame(false);
    hide();
    connect(this, &QLineEdit::textEdited, this, [this] { textWasEdited(); });
}

FieldEditor::~FieldEditor() = default;

FieldEditor* FieldEditor::forWindow(QWidget* window, bool create)
{
    if (!window)
        return nullptr;
    window = window->window();
    auto& editors = editorsByWindow();
    FieldEditor* editor = editors.value(window);
    if (!editor && create) {
        editor = new FieldEditor(window);
        editors.insert(window, editor);
        QObject::connect(window, &QObject::destroyed, [window] { editorsByWindow().remove(window); });
    }
    return editor;
}

bool FieldEditor::endEditingInWindow(QWidget* window)
{
    FieldEditor* editor = forWindow(window, false);
    return !editor || !editor->isEditing() || editor->endEditing(TextMovement::Other);
}

bool FieldEditor::beginEditing(QWidget* host, const QRect& qtRect, const QString& text, FieldEditorDelegate* delegate)
{
    if (!host || !delegate)
        return false;
    if (m_editing && !endEditing(TextMovement::Other))
        return false;
    if (!delegate->textShouldBeginEditing(*this))
        return false;
    m_delegate = delegate;
    m_delegateLiveness.reset();
    m_delegateIsReflective = false;
    if (auto* reflective = dynamic_cast<Reflective*>(delegate)) {
        m_delegateLiveness = reflective->livenessToken();
        m_delegateIsReflective = true;
    }
    m_editing = true;
    m_changed = false;
    setParent(host);
    setGeometry(qtRect);
    setText(text);
    show();
    raise();
    setFocus(Qt::OtherFocusReason);
    return true;
}

bool FieldEditor::endEditing(TextMovement movement)
{
    return end(movement, true);
}

bool FieldEditor::end(TextMovement movement, bool refocusHost)
{
    if (!m_editing)
        return true;
    if (m_ending)
        return false;
    FieldEditorDelegate* delegate = m_delegate;
    if (m_delegateIsReflective && m_delegateLiveness.expired())
        delegate = nullptr;
    m_ending = true;
    if (delegate && !delegate->textShouldEndEditing(*this)) {
        m_ending = false;
        return false;
    }
    finish(refocusHost);
    NotificationCenter::defaultCenter().post(NSTextDidEndEditingNotification, this, {{NSTextMovement, int(movement)}});
    if (delegate)
        delegate->textDidEndEditing(*this, movement);
    m_ending = false;
    return true;
}

void FieldEditor::abortEditing()
{
    if (m_editing)
        finish(false);
}

void FieldEditor::finish(bool refocusHost)
{
    m_editing = false;
    m_delegate = nullptr;
    m_delegateLiveness.reset();
    m_delegateIsReflective = false;
    const bool hadFocus = window()->focusWidget() == this;
    QWidget* host = parentWidget();
    if (host && host->focusProxy() == this)
        host->setFocusProxy(nullptr);
    // Let go of the focus first: hiding a focused widget would hand it to the next one.
    if (hadFocus)
        clearFocus();
    hide();
    // Back to the host, which stays first responder after a Return as the platform's field does.
    if (refocusHost && hadFocus && host && host->focusPolicy() != Qt::NoFocus && host->isVisible())
        host->setFocus(Qt::OtherFocusReason);
}

bool FieldEditor::resignFirstResponder()
{
    // The focus goes where the caller sends it, not back to the field.
    return end(TextMovement::Other, false);
}

void FieldEditor::textWasEdited()
{
    if (!m_editing)
        return;
    FieldEditorDelegate* delegate = m_delegate;
    if (m_delegateIsReflective && m_delegateLiveness.expired())
        delegate = nullptr;
    if (!m_changed) {
        m_changed = true;
        NotificationCenter::defaultCenter().post(NSTextDidBeginEditingNotification, this);
        if (delegate)
            delegate->textDidBeginEditing(*this);
    }
    NotificationCenter::defaultCenter().post(NSTextDidChangeNotification, this);
    if (delegate && m_editing)
        delegate->textDidChange(*this);
}

bool FieldEditor::event(QEvent* event)
{
    // Tab would otherwise move the focus before the editor sees it as a way of ending.
    if (event->type() == QEvent::KeyPress && m_editing) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QLineEdit::event(event);
}

void FieldEditor::keyPressEvent(QKeyEvent* event)
{
    if (!m_editing) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    auto movementFor = [event]() -> std::optional<TextMovement> {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return TextMovement::Return;
        case Qt::Key_Tab:
            return event->modifiers() & Qt::ShiftModifier ? TextMovement::Backtab : TextMovement::Tab;
        case Qt::Key_Backtab:
            return TextMovement::Backtab;
        case Qt::Key_Escape:
            return TextMovement::Cancel;
        default:
            return std::nullopt;
        }
    };
    if (const auto movement = movementFor()) {
        FieldEditorDelegate* delegate = m_delegate;
        static const QHash<TextMovement, QString> commands{
            {TextMovement::Return, QStringLiteral("insertNewline:")},
            {TextMovement::Tab, QStringLiteral("insertTab:")},
            {TextMovement::Backtab, QStringLiteral("insertBacktab:")},
            {TextMovement::Cancel, QStringLiteral("cancelOperation:")},
        };
        if (delegate && !(m_delegateIsReflective && m_delegateLiveness.expired())
            && delegate->doCommandBySelector(*this, commands.value(*movement))) {
            event->accept();
            return;
        }
        endEditing(*movement);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void FieldEditor::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A context menu of the editor itself takes the focus only for a moment.
    if (m_editing && event->reason() != Qt::PopupFocusReason)
        end(TextMovement::Other, false);
}

} // namespace pf
