#include "platform/ui/Panel.h"

#include "platform/foundation/ClassBuilder.h"

PF_DEFINE_CLASS_NAMED(pf::Panel, pf::Window, "pf::Panel") {}

namespace pf {

Panel::Panel(QWidget* parent) : Window(parent, Qt::Tool)
{
    setCanBecomeMainWindow(false);
    setHidesOnDeactivate(true);
}

} // namespace pf
