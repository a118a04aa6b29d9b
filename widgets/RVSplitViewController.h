#pragma once

#include "widgets/RVSplitViewItem.h"

#include "platform/foundation/Object.h"
#include "platform/ui/SplitViewDelegate.h"

#include <QList>
#include <QPointer>
#include <QVariantMap>

namespace pf {
class SplitView;
class View;
}
class RVSplitViewControllerDelegate;

// Posted with every collapse or expand report; the object is the controller.
inline const QString kRVSplitViewControllerDidCollapse = QStringLiteral("kRVSplitViewControllerDidCollapse");

// Lays out the panes of a split view itself: fixed panes keep their length, flexible ones
// share the rest, each within its item's limits. Constrains divider drags, reports panes
// collapsing and expanding, and writes and reads the layout as a state dictionary.
class RVSplitViewController : public pf::Object, public pf::SplitViewDelegate {
    PF_CLASS(RVSplitViewController)
public:
    RVSplitViewController() = default;
    ~RVSplitViewController() override;

    pf::SplitView* splitView() const { return m_splitView; }
    // Drops the old split view and its items, makes one item per subview of the new one and
    // becomes its delegate. Only for a controller held by a Ref.
    void setSplitView(pf::SplitView* splitView);
    const QList<pf::Ref<RVSplitViewItem>>& splitViewItems() const { return m_items; }
    void setSplitViewItems(const QList<pf::Ref<RVSplitViewItem>>& items) { m_items = items; }
    int countOfSplitViewItems() const { return int(m_items.size()); }
    bool isVertical() const;

    RVSplitViewControllerDelegate* delegate() const;
    pf::Ref<pf::Object> delegateObject() const { return m_delegate.lock(); }
    // Not retained.
    void setDelegate(const pf::Ref<pf::Object>& delegate);

    // Null when out of range or not found.
    RVSplitViewItem* splitViewItemAtIndex(int index) const;
    RVSplitViewItem* splitViewItemWithIdentifier(const QString& identifier) const;
    RVSplitViewItem* itemForView(const pf::View* view) const;

    // Where divider `index` lies: the expanded panes up to it and the dividers between them;
    // the whole length for the last pane or beyond.
    double sumOfFrameSizesToIndex(int index) const;
    double positionOfDividerAtIndex(int index) const { return sumOfFrameSizesToIndex(index); }

    void setSplitViewItemCollapsed(bool collapsed, int index);
    // Toggles the item whose index is the sender's tag.
    void toggleCollapseStateWithTag(int tag);

    void arrangeSplitViews();
    // Fixed panes get their length, flexible ones an equal share of the rest (or, when
    // `proportionally`, a share in proportion to their length). When the fixed panes and
    // dividers leave no room, the flexible panes get none, and that is logged.
    void arrangeSplitViewsWithOldSize(QSizeF oldSize, bool proportionally);

    void notifyInitialState();
    void notifyAboutCollapse(RVSplitViewItem& item);

    // "vertical" and "items", one state dictionary per item in order.
    QVariantMap restorableStateInfo() const;
    // Checks the state first and raises, changing nothing, when it is missing, empty, has
    // another number of items, another orientation or an entry that is not a dictionary.
    // Entries apply to the item of the same identifier, else to the item at their position.
    void restoreWithStateInfo(const QVariant& info);

    // pf::SplitViewDelegate.
    bool resizeSubviewsWithOldSize(pf::SplitView& splitView, QSizeF oldSize) override;
    double constrainMinCoordinate(pf::SplitView& splitView, double proposedMinimum, int dividerIndex) override;
    double constrainMaxCoordinate(pf::SplitView& splitView, double proposedMaximum, int dividerIndex) override;
    bool canCollapseSubview(pf::SplitView& splitView, pf::View* subview) override;
    bool shouldHideDividerAtIndex(pf::SplitView& splitView, int dividerIndex) override { return true; }
    void splitViewDidResizeSubviews(pf::SplitView& splitView) override;

    QString description() const override;

private:
    void detachItems();
    double lengthOf(const QRectF& frame) const;
    double startOf(const QRectF& frame) const;

    QPointer<pf::SplitView> m_splitView;
    QList<pf::Ref<RVSplitViewItem>> m_items;
    bool m_hadInitialLayout = false;
    pf::Weak<pf::Object> m_delegate;
    RVSplitViewControllerDelegate* m_delegateInterface = nullptr;
};
