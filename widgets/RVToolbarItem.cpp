#include "widgets/RVToolbarItem.h"

#include "platform/ui/Control.h"
#include "platform/ui/Responder.h"
#include "platform/ui/UserInterfaceItem.h"

PF_DEFINE_CLASS(RVToolbarItem, pf::ToolbarItem) {}

namespace {

// The control as the item being validated.
class ControlItem : public pf::UserInterfaceItem {
public:
    explicit ControlItem(pf::Control& control) : m_control(control) {}
    QString action() const override { return m_control.action(); }
    pf::Reflective* target() const override { return m_control.target(); }
    int tag() const override { return m_control.tag(); }
    bool isEnabled() const override { return m_control.isEnabled(); }
    void setEnabled(bool enabled) override { m_control.setEnabled(enabled); }
    QVariant senderValue() const override { return QVariant::fromValue(static_cast<QObject*>(&m_control)); }

private:
    pf::Control& m_control;
};

} // namespace

void RVToolbarItem::validate()
{
    auto* control = qobject_cast<pf::Control*>(view());
    if (!control)
        return;
    auto* validator = dynamic_cast<pf::Responder*>(control->target());
    if (!validator)
        return;
    ControlItem item(*control);
    control->setEnabled(validator->validateUserInterfaceItem(item));
}
