#include "widgets/RVAugmentedTextFieldCell.h"

#include "widgets/RVAugmentedTextField.h"
#include "widgets/RVAugmentedTextFieldEditor.h"

PF_DEFINE_CLASS(RVAugmentedTextFieldCell, pf::TextFieldCell) {}

pf::Ref<RVAugmentedTextFieldCell> RVAugmentedTextFieldCell::fromTextFieldCell(const pf::TextFieldCell& cell)
{
    auto copy = std::make_shared<RVAugmentedTextFieldCell>();
    copy->setEnabled(cell.isEnabled());
    copy->setBezeled(cell.isBezeled());
    copy->setBordered(cell.isBordered());
    copy->setBackgroundColor(cell.backgroundColor());
    copy->setTextColor(cell.textColor());
    copy->setDrawsBackground(cell.drawsBackground());
    copy->setAllowsMixedState(cell.allowsMixedState());
    copy->setState(cell.state());
    copy->setEditable(cell.isEditable());
    copy->setSelectable(cell.isSelectable());
    copy->setAlignment(cell.alignment());
    copy->setFont(cell.font());
    copy->setLineBreakMode(cell.lineBreakMode());
    copy->setTruncatesLastVisibleLine(cell.truncatesLastVisibleLine());
    copy->setAction(cell.action());
    copy->setTarget(cell.target());
    copy->setFormatter(cell.formatter());
    copy->setObjectValue(cell.objectValue());
    copy->setContinuous(cell.isContinuous());
    copy->setImage(cell.image());
    copy->setTag(cell.tag());
    copy->setRepresentedObject(cell.representedObject());
    copy->setPlaceholderString(cell.placeholderString());
    copy->setControlSize(cell.controlSize());
    copy->setToolTip(cell.toolTip());
    return copy;
}

pf::Ref<pf::Cell> RVAugmentedTextFieldCell::copyCell() const
{
    return std::make_shared<RVAugmentedTextFieldCell>(*this);
}

pf::FieldEditor* RVAugmentedTextFieldCell::fieldEditorForView(pf::View* view)
{
    if (auto* field = qobject_cast<RVAugmentedTextField*>(view))
        return field->augmentedFieldEditor();
    return nullptr;
}
