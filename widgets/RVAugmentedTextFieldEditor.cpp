#include "widgets/RVAugmentedTextFieldEditor.h"

#include "widgets/RVAugmentedTextField.h"

#include <QHash>
#include <QPointer>

PF_DEFINE_CLASS(RVAugmentedTextFieldEditor, pf::FieldEditor) {}

namespace {

QHash<QWidget*, QPointer<RVAugmentedTextFieldEditor>>& editorsByWindow()
{
    static QHash<QWidget*, QPointer<RVAugmentedTextFieldEditor>> editors;
    return editors;
}

} // namespace

RVAugmentedTextFieldEditor::RVAugmentedTextFieldEditor(QWidget* parent)
    : pf::FieldEditor(parent)
{
    resize(100, 20);
}

RVAugmentedTextFieldEditor* RVAugmentedTextFieldEditor::forWindow(QWidget* window, bool create)
{
    if (!window)
        return nullptr;
    window = window->window();
    auto& editors = editorsByWindow();
    RVAugmentedTextFieldEditor* editor = editors.value(window);
    if (!editor && create) {
        // Each window has its own, so editing in one window never takes it from another.
        editor = new RVAugmentedTextFieldEditor(window);
        editor->hide();
        editors.insert(window, editor);
        QObject::connect(window, &QObject::destroyed, [window] { editorsByWindow().remove(window); });
    }
    return editor;
}

void RVAugmentedTextFieldEditor::mousePressEvent(QMouseEvent* event)
{
    QPointer<RVAugmentedTextFieldEditor> self(this);
    if (auto* field = dynamic_cast<RVAugmentedTextField*>(delegate()))
        field->showPopover();
    if (self)
        pf::FieldEditor::mousePressEvent(event);
}
