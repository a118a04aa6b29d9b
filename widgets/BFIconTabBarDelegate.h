#pragma once

class BFIconTabBar;

// Hears of every selection change the user makes in an icon tab bar.
class BFIconTabBarDelegate {
public:
    virtual ~BFIconTabBarDelegate() = default;
    virtual void tabBarChangedSelection(BFIconTabBar& tabBar) {}
};
