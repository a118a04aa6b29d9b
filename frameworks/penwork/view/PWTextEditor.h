#pragma once

#include "frameworks/penwork/drawables/PWTextLayout.h"

#include "platform/foundation/Object.h"
#include "platform/foundation/Reflective.h"
#include "platform/ui/Responder.h"

#include <QTextEdit>

class PWDrawableObject;
class PWDrawingView;

// The editor a drawing view opens over a text shape or text path: a text edit child of the
// view, placed over the object's editing frame at the view's scale, holding a copy of the
// object's text document. Committing hands the text and the runs of fonts and colours it was
// typed in to the object's commit hook.
//
// While it edits it is the shared font manager's target: it reports the font and attributes of
// its selection (or of the text about to be typed) to the manager, and answers the change-font
// and change-attributes actions by asking the manager to convert them. Fonts and colours go on
// the selected text (or on what is typed next); attributes a run cannot hold (underlines,
// alignment, outline, knockout, shadow ...) go on the object's text adornment at once.
class PWTextEditor : public QTextEdit, public pf::Reflective, public pf::Responder {
    Q_OBJECT
    PF_CLASS(PWTextEditor)
public:
    PWTextEditor(PWDrawingView& view, const pf::Ref<PWDrawableObject>& object);
    ~PWTextEditor() override;

    // Whether inline editing applies to `object` (a text shape or a text path).
    static bool canEditObject(const PWDrawableObject* object);

    // Null once the object is gone.
    pf::Ref<PWDrawableObject> object() const { return m_object.lock(); }
    // Whether the object is still part of a drawing and may take the text.
    bool objectIsEditable() const;
    // Stores the edited text with the object's commit hook (one undo step); nothing when the
    // object is gone or has left its drawing.
    void commit();
    // Places the editor over the object at the view's current scale.
    void updatePlacement();

    // The runs the edited text holds now, at the drawing's size.
    PWTextRuns editedRuns() const;
    // The font manager's actions; the sender is the manager (the shared one when it is not).
    void changeFont(const QVariant& sender);
    void changeAttributes(const QVariant& sender);
    // Tells the shared font manager the selection's font and attributes.
    void reportSelectionToFontManager();
    // Stops being the font manager's target (editing ends).
    void detachFromFontManager();
    bool acceptsFirstResponder() const override { return true; }

signals:
    // The user asked to end editing (Escape, or Return where it does not type a newline).
    void finishRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Loads the object's text, or `text` with `runs` when given (the view's scale changed).
    void loadDocument(const QString* text = nullptr, const PWTextRuns* runs = nullptr);
    PWTextFormat objectFormat() const;
    // The fonts of the selection (or of the typing position) at the drawing's size.
    QList<QFont> selectedFonts() const;
    QColor selectedColour() const;
    // Applies `change` to each stretch of the selection with its own format, or to the
    // format of what is typed next.
    void changeSelectedFormats(const std::function<void(QTextCharFormat&)>& change);

    PWDrawingView& m_view;
    pf::Weak<PWDrawableObject> m_object;
    double m_loadedScale = 0;
};
