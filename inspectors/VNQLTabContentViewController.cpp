#include "inspectors/VNQLTabContentViewController.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/ui/UserInterfaceItem.h"

PF_DEFINE_CLASS(VNQLTabContentViewController, pf::ViewController)
{
    b.property("tabIcon", &VNQLTabContentViewController::tabIcon, &VNQLTabContentViewController::setTabIcon);
    b.property("tabTooltip", &VNQLTabContentViewController::tabTooltip,
               &VNQLTabContentViewController::setTabTooltip);
}

VNQLTabContentViewController::VNQLTabContentViewController(const QString& nibName) : pf::ViewController(nibName)
{
    RVLogObjCMethod("initialising tab view controller '%s'", qPrintable(nibName));
}

bool VNQLTabContentViewController::validateUserInterfaceItem(pf::UserInterfaceItem& item)
{
    return respondsTo(item.action());
}
