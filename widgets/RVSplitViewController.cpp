#include "widgets/RVSplitViewController.h"

#include "widgets/RVRectString.h"
#include "widgets/RVSplitViewControllerDelegate.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/SplitView.h"

#include <algorithm>

PF_DEFINE_CLASS(RVSplitViewController, pf::Object) {}

namespace {

const QString kVerticalKey = QStringLiteral("vertical");
const QString kItemsKey = QStringLiteral("items");

} // namespace

RVSplitViewController::~RVSplitViewController()
{
    RVLogObjCMethod("dealloc splitview controller");
    detachItems();
    if (m_splitView && m_splitView->delegate() == this)
        m_splitView->setDelegate(nullptr);
}

void RVSplitViewController::setSplitView(pf::SplitView* splitView)
{
    if (m_splitView && m_splitView->delegate() == this)
        m_splitView->setDelegate(nullptr);
    detachItems();
    m_items.clear();
    m_splitView = splitView;
    if (!splitView)
        return;
    const auto self = std::static_pointer_cast<RVSplitViewController>(weak_from_this().lock());
    for (pf::View* pane : splitView->subviews()) {
        auto item = std::make_shared<RVSplitViewItem>();
        item->setController(self);
        item->setView(pane);
        m_items.append(item);
    }
    splitView->setDelegate(this);
}

void RVSplitViewController::detachItems()
{
    for (const auto& item : m_items)
        item->setController(nullptr);
}

bool RVSplitViewController::isVertical() const
{
    return m_splitView && m_splitView->isVertical();
}

RVSplitViewControllerDelegate* RVSplitViewController::delegate() const
{
    return m_delegate.expired() ? nullptr : m_delegateInterface;
}

void RVSplitViewController::setDelegate(const pf::Ref<pf::Object>& delegate)
{
    m_delegate = delegate;
    m_delegateInterface = dynamic_cast<RVSplitViewControllerDelegate*>(delegate.get());
}

RVSplitViewItem* RVSplitViewController::splitViewItemAtIndex(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index].get() : nullptr;
}

RVSplitViewItem* RVSplitViewController::splitViewItemWithIdentifier(const QString& identifier) const
{
    for (const auto& item : m_items) {
        if (item->identifier() == identifier)
            return item.get();
    }
    return nullptr;
}

RVSplitViewItem* RVSplitViewController::itemForView(const pf::View* view) const
{
    if (!view)
        return nullptr;
    for (const auto& item : m_items) {
        if (item->view() == view)
            return item.get();
    }
    return nullptr;
}

double RVSplitViewController::lengthOf(const QRectF& frame) const
{
    return isVertical() ? frame.width() : frame.height();
}

double RVSplitViewController::startOf(const QRectF& frame) const
{
    return isVertical() ? frame.x() : frame.y();
}

double RVSplitViewController::sumOfFrameSizesToIndex(int index) const
{
    if (!m_splitView || index < 0)
        return 0.0;
    if (index >= m_items.size() - 1)
        return lengthOf(m_splitView->bounds());
    const double thickness = m_splitView->dividerThickness();
    double sum = 0.0;
    for (int i = 0; i <= index; ++i) {
        const RVSplitViewItem& item = *m_items[i];
        if (item.isCollapsed() || !item.view())
            continue;
        sum += lengthOf(item.view()->frame());
        if (i != index)
            sum += thickness;
    }
    return sum;
}

void RVSplitViewController::setSplitViewItemCollapsed(bool collapsed, int index)
{
    if (RVSplitViewItem* item = splitViewItemAtIndex(index))
        item->collapseView(collapsed);
}

void RVSplitViewController::toggleCollapseStateWithTag(int tag)
{
    if (RVSplitViewItem* item = splitViewItemAtIndex(tag))
        item->collapseView(!item->isCollapsed());
}

void RVSplitViewController::arrangeSplitViews()
{
    if (!m_splitView)
        return;
    // Through the split view, so that it reports the resize (and with it any collapse) as a
    // layout it started itself would.
    if (m_splitView->delegate() == this)
        m_splitView->resizeSubviewsWithOldSize(m_splitView->frame().size());
    else
        arrangeSplitViewsWithOldSize(m_splitView->frame().size(), false);
}

void RVSplitViewController::arrangeSplitViewsWithOldSize(QSizeF oldSize, bool proportionally)
{
    if (!m_splitView)
        return;
    const bool vertical = isVertical();
    const QRectF bounds = m_splitView->bounds();
    const double length = lengthOf(bounds);
    const double across = vertical ? bounds.height() : bounds.width();
    const double thickness = m_splitView->dividerThickness();
    RVLogObjCMethod("starting layout of splitview %s, frame = %s", qPrintable(m_splitView->objectName()),
                    qPrintable(RVRectString::stringFromRect(m_splitView->frame())));

    double fixedTotal = 0.0;
    double dividerTotal = 0.0;
    int flexibleCount = 0;
    int expandedCount = 0;
    for (const auto& item : m_items) {
        if (item->isCollapsed() || !item->view())
            continue;
        if (item->behaviour() == RVSplitViewItem::kFixedBehaviour) {
            double fixed = m_hadInitialLayout ? lengthOf(item->view()->frame()) : item->restoredSize();
            item->constrainLength(&fixed);
            item->setProposedSize(fixed);
            fixedTotal += fixed;
        } else if (item->behaviour() == RVSplitViewItem::kFlexibleBehaviour) {
            ++flexibleCount;
        }
        if (++expandedCount < m_items.size())
            dividerTotal += thickness;
    }
    RVLogObjCMethod("space needed by user-sized views = %f", fixedTotal);

    double available = length - fixedTotal - dividerTotal;
    // A window made narrower than the fixed panes need is no programming error: the flexible
    // panes get no room until it is wide enough again.
    const bool overflow = flexibleCount > 0 && available < 0;
    if (overflow) {
        RVLogObjCMethod("split view constraints cannot be satisfied for %s; flexible panes get no room",
                        qPrintable(description()));
        available = 0.0;
    }

    const double oldAvailable = (vertical ? oldSize.width() : oldSize.height()) - fixedTotal;
    const double share = flexibleCount > 0 ? available / flexibleCount : 0.0;
    double edge = 0.0;
    for (const auto& item : m_items) {
        pf::View* pane = item->view();
        if (item->isCollapsed() || !pane)
            continue;
        double paneLength;
        if (item->behaviour() == RVSplitViewItem::kFixedBehaviour) {
            paneLength = item->proposedSize();
        } else if (item->behaviour() == RVSplitViewItem::kFlexibleBehaviour) {
            // Without an old length to compare with, a proportional share is an equal one.
            paneLength = proportionally && oldAvailable > 0 ? lengthOf(pane->frame()) * available / oldAvailable
                                                            : share;
            if (!overflow)
                item->constrainLength(&paneLength);
        } else {
            continue;
        }
        QRectF frame = pane->frame();
        if (vertical) {
            frame.setX(edge);
            frame.setWidth(paneLength);
            frame.setHeight(across);
        } else {
            frame.setY(edge);
            frame.setHeight(paneLength);
            frame.setWidth(across);
        }
        frame = m_splitView->centerScanRect(frame);
        RVLogObjCMethod("setting frame of %s to %s", qPrintable(item->description()),
                        qPrintable(RVRectString::stringFromRect(frame)));
        pane->setFrame(frame);
        edge += paneLength + thickness;
    }
    RVLogObjCMethod("sanity check: edge = %f, frameedge = %f", edge, length);
    m_hadInitialLayout = true;
}

void RVSplitViewController::notifyInitialState()
{
    const auto items = m_items;
    for (const auto& item : items)
        notifyAboutCollapse(*item);
}

void RVSplitViewController::notifyAboutCollapse(RVSplitViewItem& item)
{
    const bool collapsed = item.isCollapsed();
    RVLogObjCMethod("item %s with subview %s is now %s", qPrintable(item.description()),
                    item.view() ? item.view()->metaObject()->className() : "(none)",
                    collapsed ? "collapsed" : "uncollapsed");
    if (RVSplitViewControllerDelegate* d = delegate()) {
        if (collapsed)
            d->splitViewControllerDidCollapseItem(*this, item);
        else
            d->splitViewControllerDidUncollapseItem(*this, item);
    }
    pf::NotificationCenter::defaultCenter().post(kRVSplitViewControllerDidCollapse, this);
}

QVariantMap RVSplitViewController::restorableStateInfo() const
{
    QVariantList items;
    for (const auto& item : m_items)
        items.append(item->restorableStateInfo());
    return {{kVerticalKey, isVertical()}, {kItemsKey, items}};
}

void RVSplitViewController::restoreWithStateInfo(const QVariant& info)
{
    PF_ASSERT(info.typeId() == QMetaType::QVariantMap, "no data to restore split view state (1)");
    const QVariantMap state = info.toMap();
    PF_ASSERT(!state.isEmpty(), "no data to restore split view state (2)");
    const QVariantList entries = state.value(kItemsKey).toList();
    PF_ASSERT(entries.size() == m_items.size(), "count of items does not match restoration info");
    PF_ASSERT(state.value(kVerticalKey).toBool() == isVertical(),
              "orientation of split view does not match restoration info");
    // Every entry is checked before the first item changes, so a damaged state changes nothing.
    for (const QVariant& entry : entries)
        PF_ASSERT(entry.typeId() == QMetaType::QVariantMap, "no data to restore split item");

    const auto items = m_items;
    for (int j = 0; j < entries.size(); ++j) {
        const QString identifier = entries[j].toMap().value(QStringLiteral("identifier")).toString();
        RVSplitViewItem* target = identifier.isEmpty() ? nullptr : splitViewItemWithIdentifier(identifier);
        (target ? target : items[j].get())->restoreWithStateInfo(entries[j]);
    }
    m_hadInitialLayout = false;
}

bool RVSplitViewController::resizeSubviewsWithOldSize(pf::SplitView& splitView, QSizeF oldSize)
{
    PF_ASSERT(&splitView == m_splitView, "huh? splitview is the wrong object!");
    arrangeSplitViewsWithOldSize(oldSize, false);
    return true;
}

double RVSplitViewController::constrainMinCoordinate(pf::SplitView& splitView, double proposedMinimum,
                                                     int dividerIndex)
{
    PF_ASSERT(&splitView == m_splitView, "huh? splitview is the wrong object!");
    const RVSplitViewItem* leading = splitViewItemAtIndex(dividerIndex);
    const RVSplitViewItem* trailing = splitViewItemAtIndex(dividerIndex + 1);
    if (!leading || !trailing)
        return proposedMinimum;
    const double before = dividerIndex >= 1 ? sumOfFrameSizesToIndex(dividerIndex - 1) : 0.0;
    double result = std::max(proposedMinimum, leading->hasMinSize() ? before + leading->minSize() : before);
    if (trailing->hasMaxSize() && trailing->view()) {
        const QRectF frame = trailing->view()->frame();
        const double end = startOf(frame) + lengthOf(frame);
        result = std::max(result, end - trailing->maxSize() - splitView.dividerThickness());
    }
    return result;
}

double RVSplitViewController::constrainMaxCoordinate(pf::SplitView& splitView, double proposedMaximum,
                                                     int dividerIndex)
{
    PF_ASSERT(&splitView == m_splitView, "huh? splitview is the wrong object!");
    const RVSplitViewItem* leading = splitViewItemAtIndex(dividerIndex);
    const RVSplitViewItem* trailing = splitViewItemAtIndex(dividerIndex + 1);
    if (!leading || !trailing)
        return proposedMaximum;
    const double before = dividerIndex >= 1 ? sumOfFrameSizesToIndex(dividerIndex - 1) : 0.0;
    double result = std::min(proposedMaximum, leading->hasMaxSize() ? before + leading->maxSize()
                                                                    : sumOfFrameSizesToIndex(dividerIndex + 1));
    if (trailing->hasMinSize() && trailing->view()) {
        const QRectF frame = trailing->view()->frame();
        const double end = startOf(frame) + lengthOf(frame);
        result = std::min(result, end - trailing->minSize() - splitView.dividerThickness());
    }
    return result;
}

bool RVSplitViewController::canCollapseSubview(pf::SplitView& splitView, pf::View* subview)
{
    const RVSplitViewItem* item = itemForView(subview);
    return item && item->canCollapse();
}

void RVSplitViewController::splitViewDidResizeSubviews(pf::SplitView& splitView)
{
    const auto items = m_items;
    for (const auto& item : items) {
        const bool collapsed = item->isCollapsed();
        if (collapsed != item->wasPreviouslyCollapsed()) {
            if (item->wasPreviouslyCollapsed())
                item->viewDidUncollapse();
            else
                item->viewDidCollapse();
            notifyAboutCollapse(*item);
            item->setWasPreviouslyCollapsed(collapsed);
        }
        if (RVSplitViewControllerDelegate* d = delegate())
            d->splitViewControllerDidChangeItem(*this, *item);
    }
}

QString RVSplitViewController::description() const
{
    return QStringLiteral("<RVSplitViewController %1 items, %2>")
        .arg(m_items.size())
        .arg(isVertical() ? QStringLiteral("vertical") : QStringLiteral("horizontal"));
}
