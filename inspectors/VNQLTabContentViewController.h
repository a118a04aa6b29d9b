#pragma once

#include "platform/ui/ViewController.h"

#include <QVariant>

// The base of the controllers that fill the tabs of a sidebar. Its nib name is the tab's
// identifier; its title, icon and tool tip label the tab.
class VNQLTabContentViewController : public pf::ViewController {
    PF_CLASS(VNQLTabContentViewController)
public:
    explicit VNQLTabContentViewController(const QString& nibName = {});

    // A QImage, or the name of an image resource ("geometry.png").
    QVariant tabIcon() const { return m_tabIcon; }
    void setTabIcon(const QVariant& icon) { m_tabIcon = icon; }
    QString tabTooltip() const { return m_tabTooltip; }
    void setTabTooltip(const QString& tooltip) { m_tabTooltip = tooltip; }

    // An item is enabled exactly when this controller answers its action.
    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) override;

private:
    QVariant m_tabIcon;
    QString m_tabTooltip;
};
