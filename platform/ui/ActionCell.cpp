#include "platform/ui/ActionCell.h"

PF_DEFINE_CLASS_NAMED(pf::ActionCell, pf::Cell, "pf::ActionCell")
{
    b.property("action", &pf::ActionCell::action, &pf::ActionCell::setAction);
    b.property("tag", &pf::ActionCell::tag, &pf::ActionCell::setTag);
}

namespace pf {

Ref<Cell> ActionCell::copyCell() const
{
    auto copy = std::make_shared<ActionCell>(*this);
    copy->setControlView(nullptr);
    return copy;
}

} // namespace pf
