#include "inspectors/VNQLTabViewTitleView.h"

#include "inspectors/VNQLDragTabProxy.h"
#include "inspectors/VNQLTabLayer.h"
#include "inspectors/VNQLTabView.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "widgets/Color+VNQLApplicationColors.h"

#include <QIcon>
#include <QPainter>

#include <algorithm>

PF_DEFINE_CLASS(VNQLTabViewTitleView, pf::View) {}

VNQLTabViewTitleView::VNQLTabViewTitleView(const QRectF& frame, VNQLTabView* parent)
    : pf::View(frame, nullptr), m_parent(parent)
{
    registerForDraggedTypes({kVNQLTabViewDragType});
}

VNQLTabView* VNQLTabViewTitleView::parentView() const
{
    return static_cast<VNQLTabView*>(m_parent.data());
}

pf::Color VNQLTabViewTitleView::titleBackgroundColour()
{
    return VNQLUnderpageBackgroundColour();
}

void VNQLTabViewTitleView::doLayout()
{
    layoutTabs();
    redisplay();
}

void VNQLTabViewTitleView::redisplay()
{
    setNeedsDisplay();
    updateTooltips();
}

void VNQLTabViewTitleView::layoutTabs()
{
    VNQLTabView* parent = parentView();
    if (!parent)
        return;
    const QPointF origin = frame().topLeft();
    const auto& tabs = parent->tabViews();
    for (qsizetype i = 0; i < tabs.size(); ++i) {
        VNQLTabLayer* layer = tabs.at(i)->tabLayer();
        if (!layer)
            continue;
        layer->setInStrip(true);
        layer->setFrame(parent->rectOfTabAtIndex(i).translated(-origin));
    }
    setNeedsDisplay();
}

void VNQLTabViewTitleView::updateTooltips()
{
    removeAllToolTips();
    VNQLTabView* parent = parentView();
    if (!parent)
        return;
    const QPointF origin = frame().topLeft();
    const auto& tabs = parent->tabViews();
    for (qsizetype i = 0; i < tabs.size(); ++i)
        addToolTipRect(parent->rectOfTabAtIndex(i).translated(-origin), tabs.at(i));
}

QRectF VNQLTabViewTitleView::rectOfTabAtIndex(qint64 index) const
{
    VNQLTabView* parent = parentView();
    return parent ? parent->rectOfTabAtIndex(index) : QRectF();
}

void VNQLTabViewTitleView::drawRect(const QRectF& dirtyRect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    painter.fillRect(dirtyRect, titleBackgroundColour().qColor());
    VNQLTabView* parent = parentView();
    if (!parent)
        return;

    // The layers in the strip, the selected one last so it covers its neighbours' overlap.
    std::vector<VNQLTabLayer*> layers;
    for (VNQLTabContentView* tab : parent->tabViews())
        if (VNQLTabLayer* layer = tab->existingTabLayer(); layer && layer->hasSuperlayer() && !layer->isHidden())
            layers.push_back(layer);
    std::stable_sort(layers.begin(), layers.end(),
                     [](const VNQLTabLayer* a, const VNQLTabLayer* b) { return a->zPosition() < b->zPosition(); });
    for (const VNQLTabLayer* layer : layers) {
        painter.save();
        painter.translate(layer->frame().topLeft());
        painter.setClipRect(QRectF(QPointF(0, 0), QSizeF(layer->frame().width(), bounds().height())));
        layer->draw(painter);
        painter.restore();
    }

    // The bottom edge, open under the current tab so it runs into its panel.
    const QRectF b = bounds();
    const double y = b.bottom() - 0.5;
    QPen edge(VNQLControlFrameColour().qColor());
    edge.setWidthF(0.25);
    painter.setPen(edge);
    VNQLTabContentView* current = parent->selectedTab();
    VNQLTabLayer* currentLayer = current ? current->existingTabLayer() : nullptr;
    if (currentLayer && !currentLayer->isHidden()) {
        const QRectF tab = currentLayer->frame();
        const double gapLeft = tab.left() + 1.5;
        const double gapRight = tab.right() - 0.5;
        painter.drawLine(QPointF(b.left(), y), QPointF(gapLeft, y));
        painter.drawLine(QPointF(gapRight, y), QPointF(b.right(), y));
        QPen gap(VNQLWindowBackgroundColour().qColor());
        gap.setWidthF(1.0);
        painter.setPen(gap);
        painter.drawLine(QPointF(gapLeft, y), QPointF(gapRight, y));
    } else {
        painter.drawLine(QPointF(b.left(), y), QPointF(b.right(), y));
    }
}

pf::Ref<pf::Menu> VNQLTabViewTitleView::menuWithTabs() const
{
    VNQLTabView* parent = parentView();
    if (!m_menu || !parent || !parent->addTabTitlesToMenu() || parent->numberOfTabs() == 0)
        return m_menu;
    pf::Ref<pf::Menu> menu = m_menu->copyMenu();
    menu->addItem(pf::MenuItem::separator());
    for (VNQLTabContentView* tab : parent->tabViews()) {
        auto item = pf::MenuItem::make(tab->title(), QStringLiteral("selectTabWithName:"));
        item->setTarget(parent);
        if (!tab->icon().isNull())
            item->setImage(QIcon(QPixmap::fromImage(tab->icon().scaled(16, 16, Qt::KeepAspectRatio,
                                                                        Qt::SmoothTransformation))));
        menu->addItem(item);
    }
    return menu;
}

QMenu* VNQLTabViewTitleView::menuForEvent(const pf::Event& event)
{
    m_shownMenu = menuWithTabs();
    if (!m_shownMenu)
        return nullptr;
    // Items without a target act on the tab view.
    if (VNQLTabView* parent = parentView())
        for (const auto& item : m_shownMenu->items())
            if (!item->isSeparatorItem() && !item->target())
                item->setTarget(parent);
    m_shownMenu->update();
    return m_shownMenu->qMenu();
}

QPointF VNQLTabViewTitleView::pointInParent(QPointF windowPoint) const
{
    VNQLTabView* parent = parentView();
    return parent ? parent->convertPointFromView(windowPoint, nullptr) : QPointF();
}

void VNQLTabViewTitleView::mouseDown(const pf::Event& event)
{
    if (VNQLTabView* parent = parentView())
        parent->mouseDown(event);
}

void VNQLTabViewTitleView::mouseDragged(const pf::Event& event)
{
    if (VNQLTabView* parent = parentView())
        parent->mouseDragged(event);
}

void VNQLTabViewTitleView::mouseUp(const pf::Event& event)
{
    if (VNQLTabView* parent = parentView())
        parent->mouseUp(event);
}

VNQLTabView* VNQLTabViewTitleView::acceptableSource(const pf::DraggingInfo& info) const
{
    VNQLTabView* parent = parentView();
    if (!parent || !parent->allowsTabDragging())
        return nullptr;
    if (!info.draggingPasteboard() || info.draggingPasteboard()->availableTypeFromArray({kVNQLTabViewDragType}).isEmpty())
        return nullptr;
    auto* source = dynamic_cast<VNQLTabView*>(info.draggingSource());
    if (!source)
        return nullptr;
    if (parent->dragsLimitedToSameWindow() && source->window() != parent->window())
        return nullptr;
    return source;
}

unsigned VNQLTabViewTitleView::draggingEntered(const pf::DraggingInfo& info)
{
    VNQLTabView* source = acceptableSource(info);
    VNQLTabView* parent = parentView();
    if (!source)
        return pf::DragOperationNone;
    if (source != parent && !parent->hasExternalDrag() && source->draggingView()) {
        const qint64 under = parent->indexOfTabContainingPoint(pointInParent(info.draggingLocation()));
        const qint64 index = under == VNQLTabView::kNoTab ? parent->numberOfTabs() : under;
        parent->insertTabViewProxy(new VNQLDragTabProxy(source->draggingView()), index);
    }
    return pf::DragOperationPrivate;
}

unsigned VNQLTabViewTitleView::draggingUpdated(const pf::DraggingInfo& info)
{
    if (!acceptableSource(info))
        return pf::DragOperationNone;
    parentView()->moveCurrentTabWithPoint(pointInParent(info.draggingLocation()));
    return pf::DragOperationPrivate;
}

void VNQLTabViewTitleView::draggingExited(const pf::DraggingInfo*)
{
    if (VNQLTabView* parent = parentView())
        parent->removeTabViewProxyIfNeeded();
}

bool VNQLTabViewTitleView::prepareForDragOperation(const pf::DraggingInfo& info)
{
    return info.draggingPasteboard() &&
           !info.draggingPasteboard()->availableTypeFromArray({kVNQLTabViewDragType}).isEmpty();
}

bool VNQLTabViewTitleView::performDragOperation(const pf::DraggingInfo&)
{
    if (VNQLTabView* parent = parentView())
        parent->importTabViewProxy();
    return true;
}
