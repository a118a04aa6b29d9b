#include "inspectors/VNQLRowControls.h"

#include "inspectors/VNQLRowNameField.h"

#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/TextField.h"

namespace VNQLRowControls {

pf::TextField* nameField(QWidget* parent, pf::Reflective* target, const QString& action)
{
    auto* field = new VNQLRowNameField(parent);
    field->setBordered(false);
    field->setBezeled(false);
    field->setDrawsBackground(false);
    field->setEditable(true);
    field->setTarget(target);
    field->setAction(action);
    return field;
}

void beginRenaming(pf::TextField* field)
{
    if (auto* name = qobject_cast<VNQLRowNameField*>(field)) {
        name->beginRenaming();
    } else if (field) {
        field->setFocus();
        field->selectText();
    }
}

pf::Button* imageToggle(const QString& on, const QString& off, QWidget* parent, pf::Reflective* target,
                        const QString& action)
{
    auto* button = new pf::Button(parent);
    button->setButtonType(pf::ButtonType::Toggle);
    button->setBordered(false);
    button->setImage(pf::Image::imageNamed(off));
    button->setAlternateImage(pf::Image::imageNamed(on));
    button->setImagePosition(pf::CellImagePosition::ImageOnly);
    if (target) {
        button->setTarget(target);
        button->setAction(action);
    }
    return button;
}

} // namespace VNQLRowControls
