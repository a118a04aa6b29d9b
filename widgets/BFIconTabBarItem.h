#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/Image.h"

#include <QPointer>
#include <QString>

class BFIconTabBar;

// One tab of an icon tab bar: an icon and a tool tip.
class BFIconTabBarItem : public pf::Object {
    PF_CLASS(BFIconTabBarItem)
public:
    BFIconTabBarItem() = default;
    BFIconTabBarItem(const pf::Ref<pf::Image>& icon, const QString& tooltip);
    static pf::Ref<BFIconTabBarItem> itemWithIcon(const pf::Ref<pf::Image>& icon, const QString& tooltip);

    pf::Ref<pf::Image> icon() const { return mIcon; }
    // A different icon redraws the bar that owns the item.
    void setIcon(const pf::Ref<pf::Image>& icon);
    QString tooltip() const { return mTooltip; }
    void setTooltip(const QString& tooltip) { mTooltip = tooltip; }
    BFIconTabBar* tabBar() const { return mTabBar; }
    void setTabBar(BFIconTabBar* tabBar) { mTabBar = tabBar; }

private:
    pf::Ref<pf::Image> mIcon;
    QString mTooltip;
    QPointer<BFIconTabBar> mTabBar;
};
