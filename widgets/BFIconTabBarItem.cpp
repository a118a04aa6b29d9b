#include "widgets/BFIconTabBarItem.h"

#include "widgets/BFIconTabBar.h"

PF_DEFINE_CLASS(BFIconTabBarItem, pf::Object) {}

BFIconTabBarItem::BFIconTabBarItem(const pf::Ref<pf::Image>& icon, const QString& tooltip)
    : mIcon(icon), mTooltip(tooltip)
{
}

pf::Ref<BFIconTabBarItem> BFIconTabBarItem::itemWithIcon(const pf::Ref<pf::Image>& icon, const QString& tooltip)
{
    return std::make_shared<BFIconTabBarItem>(icon, tooltip);
}

void BFIconTabBarItem::setIcon(const pf::Ref<pf::Image>& icon)
{
    if (icon == mIcon)
        return;
    mIcon = icon;
    if (mTabBar)
        mTabBar->setNeedsDisplay();
}
