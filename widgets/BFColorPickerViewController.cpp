#include "widgets/BFColorPickerViewController.h"

#include "widgets/BFColorPickerPopoverView.h"
#include "widgets/BFIconTabBar.h"

#include "platform/ui/ColorPanel.h"
#include "platform/ui/ColorPanelModeItem.h"
#include "platform/ui/ColorWell.h"

PF_DEFINE_CLASS(BFColorPickerViewController, pf::ViewController) {}

BFColorPickerViewController::~BFColorPickerViewController()
{
    if (mColorPanel)
        mColorPanel->setTarget(nullptr);
}

void BFColorPickerViewController::loadView()
{
    auto* view = new BFColorPickerPopoverView(QRectF(0, 0, kWidth, kHeight));
    const double W = kWidth;
    const double H = kHeight;
    if (pf::ColorPanel::sharedExists() && pf::ColorPanel::shared()->isVisible()) {
        pf::ColorPanel::shared()->orderOut();
        pf::ColorWell::deactivateAll();
    }
    mColorPanel = pf::ColorPanel::shared();
    mColorPanel->setShowsAlpha(true);

    QList<pf::Ref<BFIconTabBarItem>> items;
    int selected = 0;
    const QString selectedIdentifier = mColorPanel->selectedItemIdentifier();
    const QList<pf::Ref<pf::ColorPanelModeItem>> modes = mColorPanel->modeItems();
    for (qsizetype i = 0; i < modes.size(); ++i) {
        const QIcon icon = modes[i]->image();
        const pf::Ref<pf::Image> image = icon.isNull() ? nullptr : pf::Image::fromQImage(icon.pixmap(24, 24).toImage(), QSizeF(24, 24));
        items.append(BFIconTabBarItem::itemWithIcon(image, modes[i]->toolTip()));
        if (modes[i]->itemIdentifier() == selectedIdentifier)
            selected = int(i);
    }
    auto* tabBar = new BFIconTabBar(QRectF(0, H - kTabBarHeight, W, kTabBarHeight));
    tabBar->setDelegate(this);
    tabBar->setItems(items);
    tabBar->setAutoresizingMask(pf::ViewWidthSizable | pf::ViewMinYMargin);
    if (!items.isEmpty())
        tabBar->selectIndex(selected);
    view->addSubview(tabBar);
    mTabbar = tabBar;

    mColorPanelView = mColorPanel->pickerView();
    view->setPickerView(mColorPanelView, kTabBarHeight);
    setView(view);
}

void BFColorPickerViewController::tabBarChangedSelection(BFIconTabBar& tabBar)
{
    const int index = tabBar.selectedIndex();
    if (index == -1 || !mColorPanel)
        return;
    const QList<pf::Ref<pf::ColorPanelModeItem>> modes = mColorPanel->modeItems();
    if (index >= modes.size())
        return;
    const pf::Ref<pf::ColorPanelModeItem> item = modes[index];
    const QString action = item->action();
    if (!action.isEmpty() && mColorPanel->respondsTo(action))
        mColorPanel->perform(action, {pf::toVariant(item)});
    else
        mColorPanel->selectMode(pf::toVariant(item));
}
