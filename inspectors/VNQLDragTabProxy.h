#pragma once

#include "inspectors/VNQLTabContentView.h"

// Stands in the receiving strip for a tab dragged from another tab view while the drag hovers:
// it answers the tab's title, icon and width, but has no layer of its own and ignores being
// selected, so it shows as a gap where the tab would land.
class VNQLDragTabProxy : public VNQLTabContentView {
    Q_OBJECT
    PF_CLASS(VNQLDragTabProxy)
public:
    // Asserts a tab.
    explicit VNQLDragTabProxy(VNQLTabContentView* proxiedView);

    VNQLTabContentView* proxiedView() const { return m_proxied; }
    // Takes the real tab out of its tab view and answers it.
    VNQLTabContentView* importProxiedView();

    QString title() const override;
    QString tabIdentifier() const override;
    QString tooltip() const override;
    QImage icon() const override;
    QImage selectedIcon() const override;
    pf::Ref<pf::ViewController> viewController() const override;
    bool isTitleVisible() const override;
    bool isIconVisible() const override;
    double widthNeededForTab() const override;
    void setHighlighted(bool) override {}
    void becomeSelected() override {}
    void resignSelected() override {}
    VNQLTabLayer* tabLayer() override { return nullptr; }

private:
    QPointer<VNQLTabContentView> m_proxied;
};
