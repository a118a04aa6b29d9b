#include "widgets/RVColorWell.h"

#include "platform/foundation/NotificationCenter.h"

PF_DEFINE_CLASS(RVColorWell, pf::ColorWell) {}

void RVColorWell::deactivate()
{
    pf::ColorWell::deactivate();
    pf::NotificationCenter::defaultCenter().post(kRVColorWellDeactivated, this);
}
