#pragma once

#include "platform/foundation/IndexSet.h"
#include "platform/foundation/Object.h"
#include "widgets/ZDDistributedViewDataSource.h"
#include "widgets/ZDDistributedViewDelegate.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class PWXLibraryItem;
class ZDDistributedView;

namespace pf {
class ScrollView;
}

// The picker palette's grid of library items: an icon with its name per item, placed by
// position in the list, in a scrolling icon view. Items may be disabled (dimmed and never
// selected); one item is selected at a time.
class PWXLibraryPickerItemView : public QWidget, public ZDDistributedViewDataSource, public ZDDistributedViewDelegate {
public:
    // Icon sizes by code, as the library's item views store them: 0 → 80, 1 → 96, 2 → 128,
    // 3 → 48, anything else 96.
    static double iconSizeForSizing(int sizing);

    explicit PWXLibraryPickerItemView(QWidget* parent = nullptr);
    ~PWXLibraryPickerItemView() override;

    // Replaces the items; with `preservingSelection` the selected items stay selected where
    // they are still listed. An equal list changes nothing. The disabled set is cleared.
    void setContent(const QList<pf::Ref<PWXLibraryItem>>& items, bool preservingSelection = true);
    const QList<pf::Ref<PWXLibraryItem>>& content() const { return m_content; }

    // Null: nothing disabled; an empty set: everything disabled; else those positions.
    void setDisabledItems(const std::optional<pf::IndexSet>& indexes);
    const std::optional<pf::IndexSet>& disabledItems() const { return m_disabled; }
    bool isItemDisabled(int index) const;

    pf::IndexSet selectedIndexes() const;
    // Selects the positions (the disabled ones left out) and scrolls the first into view.
    void selectItemsAtIndexes(const pf::IndexSet& indexes);
    // A selection made by the user: what the view would do with a click.
    void userSelectedItemsAtIndexes(const pf::IndexSet& indexes);

    int iconSizing() const { return m_iconSizing; }
    void setIconSizing(int sizing);
    // Rows are one cell high; the fixed part is the content inset.
    double rowHeight() const;
    double fixedHeight() const;

    ZDDistributedView* iconView() const;

    std::function<void(const pf::IndexSet&)> selectionChanged;
    std::function<void(int)> doubleClicked;
    std::function<void(QSizeF)> iconSizingChanged;

    // Data source and delegate of the icon view.
    int numberOfItemsInDistributedView(ZDDistributedView& view) override;
    QPointF positionForCell(ZDDistributedView& view, pf::Cell* cell, int itemIndex) override;
    bool implementsToolTips() const override { return true; }
    QString toolTipForItemAtIndex(ZDDistributedView& view, int itemIndex) override;
    std::optional<pf::IndexSet> proposedSelectionAtIndexes(ZDDistributedView& view, const pf::IndexSet& proposed) override;
    bool didSelectItemsAtIndexes(ZDDistributedView& view, const pf::IndexSet& selection) override;
    void cellDoubleClickedAtItemIndex(ZDDistributedView& view, int itemIndex) override;
    bool shouldEditItemAtIndex(ZDDistributedView&, int) override { return false; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void reload();
    pf::IndexSet withoutDisabled(const pf::IndexSet& indexes) const;

    QList<pf::Ref<PWXLibraryItem>> m_content;
    std::optional<pf::IndexSet> m_disabled;
    QPointer<pf::ScrollView> m_scrollView;
    QPointer<ZDDistributedView> m_iconView;
    int m_iconSizing = 3;
    bool m_settingSelection = false;
    quint64 m_imageObservation = 0;
};
