#pragma once

#include "widgets/BFIconTabBar.h"
#include "widgets/BFIconTabBarDelegate.h"

#include "platform/ui/ColorPanel.h"
#include "platform/ui/ViewController.h"

#include <QPointer>

// The popover's content: the colour panel's pickers, borrowed from the panel, under an icon
// tab bar whose tabs mirror the panel's picker modes.
class BFColorPickerViewController : public pf::ViewController, public BFIconTabBarDelegate {
    PF_CLASS(BFColorPickerViewController)
public:
    static constexpr double kWidth = 230.0;
    static constexpr double kHeight = 400.0;
    static constexpr double kTabBarHeight = 34.0;

    BFColorPickerViewController() = default;
    ~BFColorPickerViewController() override;

    void loadView() override;
    void tabBarChangedSelection(BFIconTabBar& tabBar) override;

    pf::ColorPanel* colorPanel() const { return mColorPanel; }
    BFIconTabBar* tabBar() const { return mTabbar; }
    QWidget* colorPanelView() const { return mColorPanelView; }

private:
    QPointer<pf::ColorPanel> mColorPanel;
    QPointer<BFIconTabBar> mTabbar;
    QPointer<QWidget> mColorPanelView;
};
