#include "inspectors/VNQLRowNameField.h"

#include "platform/foundation/ClassBuilder.h"

PF_DEFINE_CLASS(VNQLRowNameField, pf::TextField) {}

VNQLRowNameField::VNQLRowNameField(QWidget* parent) : pf::TextField(parent) {}

void VNQLRowNameField::mouseDown(const pf::Event& event)
{
    if (currentEditor()) {
        pf::TextField::mouseDown(event);
        return;
    }
    // Left unhandled, the press goes on to the row and the outline selects it.
    pf::View::mouseDown(event);
}

void VNQLRowNameField::focusInEvent(QFocusEvent* event)
{
    pf::Control::focusInEvent(event);
}

void VNQLRowNameField::beginRenaming()
{
    m_renaming = true;
    setFocus(Qt::OtherFocusReason);
    selectText();
    m_renaming = false;
}

bool VNQLRowNameField::becomeFirstResponder()
{
    return m_renaming && pf::TextField::becomeFirstResponder();
}
