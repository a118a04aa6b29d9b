#pragma once

#include "platform/ui/Control.h"
#include "platform/ui/FieldEditor.h"
#include "platform/ui/TextFieldCell.h"

namespace pf {

class TextField;

inline const QString NSControlTextDidBeginEditingNotification = QStringLiteral("NSControlTextDidBeginEditingNotification");
inline const QString NSControlTextDidChangeNotification = QStringLiteral("NSControlTextDidChangeNotification");
inline const QString NSControlTextDidEndEditingNotification = QStringLiteral("NSControlTextDidEndEditingNotification");
// User information of the control text notifications: the field editor (a QObject*).
inline const QString NSFieldEditor = QStringLiteral("NSFieldEditor");

// What a text field tells its delegate while it is edited; every message is optional.
class TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;
    virtual void controlTextDidBeginEditing(TextField& field) {}
    virtual void controlTextDidChange(TextField& field) {}
    virtual void controlTextDidEndEditing(TextField& field, TextMovement movement) {}
    // Refusing keeps the field editing.
    virtual bool textShouldEndEditing(TextField& field, const QString& text) { return true; }
    // The formatter rejected the text; true accepts it anyway (as plain text), false keeps
    // the field editing so nothing typed is lost.
    virtual bool didFailToFormatString(TextField& field, const QString& text, const QString& error) { return false; }
    // A key command while editing (insertNewline:, cancelOperation:, ...); true when handled.
    virtual bool doCommandBySelector(TextField& field, const QString& selector) { return false; }
};

// A text field: a label, or an editable or selectable field edited through its window's
// field editor. Editing begins when the field becomes first responder; it ends (committing
// the text through the formatter) on Return, Tab, Back-tab, Escape, focus loss, the window
// becoming first responder, or FieldEditor::endEditingInWindow. The action is sent on
// Return, on every change when continuous, and at any other end when
// sendsActionOnEndEditing and the text changed.
class TextField : public Control, public FieldEditorDelegate {
    Q_OBJECT
    PF_CLASS(TextField)
public:
    explicit TextField(QWidget* parent = nullptr);
    TextField(const Ref<TextFieldCell>& cell, QWidget* parent = nullptr);
    ~TextField() override;

    // A non-editable, non-selectable, borderless field without background.
    static TextField* label(const QString& text, QWidget* parent = nullptr);

    TextFieldCell* textFieldCell() const;
    void setCell(const Ref<Cell>& cell) override;

    bool isEditable() const { return cell()->isEditable(); }
    void setEditable(bool editable);
    bool isSelectable() const { return cell()->isSelectable(); }
    void setSelectable(bool selectable);
    bool isBezeled() const { return cell()->isBezeled(); }
    void setBezeled(bool bezeled);
    bool isBordered() const { return cell()->isBordered(); }
    void setBordered(bool bordered);
    bool drawsBackground() const { return textFieldCell()->drawsBackground(); }
    void setDrawsBackground(bool draws);
    QString placeholderString() const { return textFieldCell()->placeholderString(); }
    void setPlaceholderString(const QString& placeholder);
    Color textColor() const { return textFieldCell()->textColor(); }
    void setTextColor(const Color& colour);
    Color backgroundColor() const { return textFieldCell()->backgroundColor(); }
    void setBackgroundColor(const Color& colour);
    bool sendsActionOnEndEditing() const { return m_sendsActionOnEndEditing; }
    void setSendsActionOnEndEditing(bool sends) { m_sendsActionOnEndEditing = sends; }

    TextFieldDelegate* delegate() const;
    // Not owned; one that is a Reflective is dropped once destroyed.
    void setDelegate(TextFieldDelegate* delegate);

    // A value set while editing replaces the text being edited.
    void setObjectValue(const QVariant& value) override;
    void setStringValue(const QString& text) override;

    // Starts editing with all the text selected (becoming first responder).
    void selectText(const QVariant& sender = {});
    // The window's field editor while it edits this field, else null.
    FieldEditor* currentEditor() const;
    // Takes the editor's text as the value without ending editing; false when the formatter
    // rejects it.
    bool validateEditing();
    // Ends editing without taking the text.
    void abortEditing();

    bool acceptsFirstResponder() const override { return isEnabled() && (isEditable() || isSelectable()); }
    bool becomeFirstResponder() override;
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event&) override {}
    void mouseUp(const Event&) override {}
    void drawRect(const QRectF& dirtyRect) override;
    void performClick(const QVariant& sender = {}) override;

    // --- Field editor delegate
    void textDidBeginEditing(FieldEditor& editor) override;
    void textDidChange(FieldEditor& editor) override;
    bool textShouldEndEditing(FieldEditor& editor) override;
    void textDidEndEditing(FieldEditor& editor, TextMovement movement) override;
    bool doCommandBySelector(FieldEditor& editor, const QString& selector) override;
    using View::doCommandBySelector; // the view's own keyboard commands stay reachable

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    bool beginEditing(const Event* event, bool selectAll);
    // The text's value through the formatter; false with the error when it rejects it.
    bool parse(const QString& text, QVariant* value, QString* error) const;
    void moveFocusAfter(TextMovement movement);
    void postControlNotification(const QString& name, FieldEditor& editor, const QVariantMap& extra = {});

    TextFieldDelegate* m_delegate = nullptr;
    std::weak_ptr<void> m_delegateLiveness;
    bool m_delegateIsReflective = false;
    bool m_sendsActionOnEndEditing = false;
    bool m_textChanged = false;
    QPointer<FieldEditor> m_editor;
};

} // namespace pf
