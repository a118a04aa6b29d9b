#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/View.h"

#include <QPointer>

namespace pf {
class Color;
class Menu;
} // namespace pf
class VNQLTabView;

// The strip along the top of a sidebar: paints one layer per tab, keeps one tool tip per tab,
// offers the context menu, and takes tabs dragged along it or from the other sidebar.
class VNQLTabViewTitleView : public pf::View {
    Q_OBJECT
    PF_CLASS(VNQLTabViewTitleView)
public:
    explicit VNQLTabViewTitleView(const QRectF& frame, VNQLTabView* parent);

    VNQLTabView* parentView() const;
    static pf::Color titleBackgroundColour();

    void doLayout();
    void redisplay();
    void layoutTabs();
    void updateTooltips();
    // The parent's rectangle of the tab, in the parent's coordinates.
    QRectF rectOfTabAtIndex(qint64 index) const;

    void setMenu(const pf::Ref<pf::Menu>& menu) { m_menu = menu; }
    pf::Ref<pf::Menu> menu() const { return m_menu; }
    // The strip's menu, with the tabs listed after a separator when the tab view asks.
    pf::Ref<pf::Menu> menuWithTabs() const;
    QMenu* menuForEvent(const pf::Event& event) override;

    unsigned draggingEntered(const pf::DraggingInfo& info) override;
    unsigned draggingUpdated(const pf::DraggingInfo& info) override;
    void draggingExited(const pf::DraggingInfo* info) override;
    bool prepareForDragOperation(const pf::DraggingInfo& info) override;
    bool performDragOperation(const pf::DraggingInfo& info) override;
    bool wantsPeriodicDraggingUpdates() const override { return false; }

    void mouseDown(const pf::Event& event) override;
    void mouseDragged(const pf::Event& event) override;
    void mouseUp(const pf::Event& event) override;

    bool isFlipped() const override { return true; }
    bool isOpaque() const override { return true; }
    void drawRect(const QRectF& dirtyRect) override;

private:
    // Whether a drag may come in here; the source tab view when it may.
    VNQLTabView* acceptableSource(const pf::DraggingInfo& info) const;
    QPointF pointInParent(QPointF windowPoint) const;

    QPointer<pf::View> m_parent;
    pf::Ref<pf::Menu> m_menu;
    pf::Ref<pf::Menu> m_shownMenu;
};
