#pragma once

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Reflective.h"
#include "platform/ui/Responder.h"

#include <QLineEdit>
#include <QPointer>

namespace pf {

class FieldEditor;

// How editing ended, as the "NSTextMovement" user information of the end notification says.
enum class TextMovement : int {
    Other = 0,
    Return = 0x10,
    Tab = 0x11,
    Backtab = 0x12,
    Left = 0x13,
    Right = 0x14,
    Up = 0x15,
    Down = 0x16,
    Cancel = 0x17,
};

inline const QString NSTextDidBeginEditingNotification = QStringLiteral("NSTextDidBeginEditingNotification");
inline const QString NSTextDidChangeNotification = QStringLiteral("NSTextDidChangeNotification");
inline const QString NSTextDidEndEditingNotification = QStringLiteral("NSTextDidEndEditingNotification");
inline const QString NSTextMovement = QStringLiteral("NSTextMovement");

// Who hears what the field editor does while it edits for them (a text field, a table).
class FieldEditorDelegate {
public:
    virtual ~FieldEditorDelegate() = default;
    virtual bool textShouldBeginEditing(FieldEditor& editor) { return true; }
    // On the first change of the text.
    virtual void textDidBeginEditing(FieldEditor& editor) {}
    virtual void textDidChange(FieldEditor& editor) {}
    // Refusing keeps the editor editing (and the focus where it is).
    virtual bool textShouldEndEditing(FieldEditor& editor) { return true; }
    virtual void textDidEndEditing(FieldEditor& editor, TextMovement movement) {}
    // A command from a key the editor does not handle itself; true when handled.
    virtual bool doCommandBySelector(FieldEditor& editor, const QString& selector) { return false; }
};

// The one-line editor a window shares among its text fields and editable cells. It is put
// over the cell being edited and ends on Return, Tab, Back-tab, Escape (Cancel) or losing the
// keyboard focus, telling its delegate how, and posts the text notifications with itself as
// the object. While it edits it is its window's first responder; giving that up ends editing,
// so making the window first responder commits what was typed.
class FieldEditor : public QLineEdit, public Reflective, public Responder {
    Q_OBJECT
    PF_CLASS(FieldEditor)
public:
    explicit FieldEditor(QWidget* parent = nullptr);
    ~FieldEditor() override;

    // The shared editor of `window` (a top-level widget); made when asked and none exists.
    static FieldEditor* forWindow(QWidget* window, bool create = true);
    // Ends any editing in the window, committing the text. False when the delegate refused.
    static bool endEditingInWindow(QWidget* window);

    bool isFieldEditor() const { return true; }
    bool isEditing() const { return m_editing; }
    FieldEditorDelegate* delegate() const { return m_delegate; }

    // Starts editing `text` over `qtRect` of `host` (Qt coordinates) for `delegate`; editing
    // already going on elsewhere ends first. False when that refused to end or the delegate
    // does not want to begin.
    bool beginEditing(QWidget* host, const QRect& qtRect, const QString& text, FieldEditorDelegate* delegate);
    // Ends editing with the movement, the field keeping the keyboard; false, leaving it
    // editing, when the delegate refuses.
    bool endEditing(TextMovement movement = TextMovement::Other);
    // Ends without asking the delegate whether it may, and without telling it.
    void abortEditing();

    bool acceptsFirstResponder() const override { return true; }
    bool resignFirstResponder() override;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void textWasEdited();
    bool end(TextMovement movement, bool refocusHost);
    void finish(bool refocusHost);

    FieldEditorDelegate* m_delegate = nullptr;
    std::weak_ptr<void> m_delegateLiveness;
    bool m_delegateIsReflective = false;
    bool m_editing = false;
    bool m_changed = false;
    bool m_ending = false;
};

} // namespace pf
