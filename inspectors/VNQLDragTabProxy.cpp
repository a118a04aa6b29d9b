#include "inspectors/VNQLDragTabProxy.h"

#include "inspectors/VNQLTabView.h"

#include "platform/foundation/Exception.h"
#include "platform/ui/ViewController.h"

PF_DEFINE_CLASS(VNQLDragTabProxy, VNQLTabContentView) {}

namespace {
VNQLTabContentView* checked(VNQLTabContentView* view)
{
    PF_ASSERT(view != nullptr, "can't pass nil here");
    return view;
}
} // namespace

VNQLDragTabProxy::VNQLDragTabProxy(VNQLTabContentView* proxiedView) : m_proxied(checked(proxiedView))
{
    setHidden(true);
}

VNQLTabContentView* VNQLDragTabProxy::importProxiedView()
{
    VNQLTabContentView* tab = m_proxied;
    if (!tab)
        return nullptr;
    // Kept alive while it passes from one tab view to the other.
    const bool keep = tab->keepsAliveAfterRemoval();
    tab->setKeepsAliveAfterRemoval(true);
    if (VNQLTabView* source = tab->tabView())
        source->removeTabFromView(tab);
    tab->setKeepsAliveAfterRemoval(keep);
    return tab;
}

QString VNQLDragTabProxy::title() const { return m_proxied ? m_proxied->title() : QString(); }
QString VNQLDragTabProxy::tabIdentifier() const { return m_proxied ? m_proxied->tabIdentifier() : QString(); }
QString VNQLDragTabProxy::tooltip() const { return m_proxied ? m_proxied->tooltip() : QString(); }
QImage VNQLDragTabProxy::icon() const { return m_proxied ? m_proxied->icon() : QImage(); }
QImage VNQLDragTabProxy::selectedIcon() const { return m_proxied ? m_proxied->selectedIcon() : QImage(); }
pf::Ref<pf::ViewController> VNQLDragTabProxy::viewController() const
{
    return m_proxied ? m_proxied->viewController() : nullptr;
}
bool VNQLDragTabProxy::isTitleVisible() const { return m_proxied && m_proxied->isTitleVisible(); }
bool VNQLDragTabProxy::isIconVisible() const { return m_proxied && m_proxied->isIconVisible(); }
double VNQLDragTabProxy::widthNeededForTab() const
{
    return m_proxied ? m_proxied->widthNeededForTab() : 14.0;
}
