#pragma once

#include "platform/foundation/IndexSet.h"
#include "platform/ui/Control.h"
#include "widgets/BFIconTabBarItem.h"

#include <QList>

class BFIconTabBarDelegate;

// A thin horizontal bar of equally wide icon tabs with single or multiple selection. Pressing
// a tab, or dragging across tabs, changes the selection and reports it through the action and
// to the delegate; selection changes made by the program are not reported. Unflipped.
class BFIconTabBar : public pf::Control, public pf::ToolTipOwner {
    Q_OBJECT
    PF_CLASS(BFIconTabBar)
public:
    static constexpr double kStartX = 4.0;

    explicit BFIconTabBar(QWidget* parent = nullptr);
    explicit BFIconTabBar(const QRectF& frame, QWidget* parent = nullptr);

    QList<pf::Ref<BFIconTabBarItem>> items() const { return mItems; }
    // Makes the bar every item's owner; selects the first tab when nothing is selected. The
    // selection is kept within the new count.
    void setItems(const QList<pf::Ref<BFIconTabBarItem>>& items);
    pf::Ref<BFIconTabBarItem> itemAtX(double x) const;
    // The index of the tab at `x`, or -1.
    int indexAtX(double x) const;

    // The first selected index, or -1 when none.
    int selectedIndex() const;
    pf::Ref<BFIconTabBarItem> selectedItem() const;
    QList<pf::Ref<BFIconTabBarItem>> selectedItems() const;
    pf::IndexSet selectedIndexes() const { return mSelectedIndexes; }

    bool multipleSelection() const { return mMultipleSelection; }
    void setMultipleSelection(bool multiple);
    double itemWidth() const { return mItemWidth; }
    void setItemWidth(double width);
    BFIconTabBarDelegate* delegate() const { return mDelegate; }
    void setDelegate(BFIconTabBarDelegate* delegate) { mDelegate = delegate; }

    void selectIndexes(const pf::IndexSet& indexes, bool extendSelection);
    void selectIndex(int index);
    void selectItem(const pf::Ref<BFIconTabBarItem>& item);
    void selectAll();
    void deselectIndexes(const pf::IndexSet& indexes);
    void deselectIndex(int index);
    void deselectItem(const pf::Ref<BFIconTabBarItem>& item);
    void deselectAll();

    // Sends the action, then tells the delegate.
    void notify();

    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const pf::Event& event) override;
    void mouseDragged(const pf::Event& event) override;
    void mouseUp(const pf::Event& event) override;
    QString stringForToolTip(pf::View* view, int tag, QPointF point, const QVariant& userData) override;

private:
    int indexOfItem(const pf::Ref<BFIconTabBarItem>& item) const;
    // Drops selected indexes at or past the item count.
    void pruneSelection();

    pf::IndexSet mSelectedIndexes;
    pf::Ref<BFIconTabBarItem> mPressedItem;
    bool mFirstItemWasSelected = false;
    bool mDragging = false;
    bool mMultipleSelection = false;
    QList<pf::Ref<BFIconTabBarItem>> mItems;
    double mItemWidth = 32.0;
    BFIconTabBarDelegate* mDelegate = nullptr;
};
