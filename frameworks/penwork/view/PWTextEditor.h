#pragma once

#include "platform/foundation/Object.h"

#include <QTextEdit>

class PWDrawableObject;
class PWDrawingView;

// The editor a drawing view opens over a text shape or text path: a text edit child of the
// view, placed over the object's editing frame at the view's scale, holding a copy of the
// object's text document. Committing hands the plain text to the object's commit hook.
class PWTextEditor : public QTextEdit {
    Q_OBJECT
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

signals:
    // The user asked to end editing (Escape, or Return where it does not type a newline).
    void finishRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void loadDocument();

    PWDrawingView& m_view;
    pf::Weak<PWDrawableObject> m_object;
    double m_loadedScale = 0;
};
