#include "library/PWXLibraryPickerItemView.h"

#include "library/PWXLibraryItem.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ScrollView.h"
#include "widgets/RVLabelledIconCell.h"
#include "widgets/ZDDistributedView.h"

#include <QResizeEvent>
#include <QVBoxLayout>

double PWXLibraryPickerItemView::iconSizeForSizing(int sizing)
{
    switch (sizing) {
    case 0: return 80;
    case 1: return 96;
    case 2: return 128;
    case 3: return 48;
    default: return 96;
    }
}

PWXLibraryPickerItemView::PWXLibraryPickerItemView(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scrollView = new pf::ScrollView(this);
    m_scrollView->setHasVerticalScroller(true);
    m_scrollView->setHasHorizontalScroller(false);
    m_scrollView->setAutohidesScrollers(true);
    layout->addWidget(m_scrollView);
    m_iconView = new ZDDistributedView(QRectF(0, 0, 200, 100));
    m_iconView->setSizeToFit(true);
    m_iconView->setDragsDisabled(true);
    m_iconView->setAllowsEmptySelection(true);
    m_iconView->setAllowsMultipleSelection(false);
    auto cell = std::make_shared<RVLabelledIconCell>();
    cell->setImageScaling(pf::ImageScaling::ProportionallyDown);
    m_iconView->setPrototype(cell);
    const double size = iconSizeForSizing(m_iconSizing);
    m_iconView->setCellSize(QSizeF(size, size + 14));
    m_iconView->setDataSource(this);
    m_iconView->setDelegate(this);
    m_scrollView->setDocumentView(m_iconView);
    // Previews arrive one by one from the loading queue.
    m_imageObservation = pf::NotificationCenter::defaultCenter().addObserver(
        kPWXLibraryObjectImageUpdated, nullptr, [this](const pf::Notification& note) {
            for (int i = 0; i < m_content.size(); ++i)
                if (static_cast<const pf::Reflective*>(m_content[i].get()) == note.object && m_iconView)
                    m_iconView->itemNeedsDisplay(i);
        });
}

PWXLibraryPickerItemView::~PWXLibraryPickerItemView()
{
    pf::NotificationCenter::defaultCenter().removeObserver(m_imageObservation);
    if (m_iconView) {
        m_iconView->setDataSource(nullptr);
        m_iconView->setDelegate(nullptr);
    }
}

void PWXLibraryPickerItemView::setContent(const QList<pf::Ref<PWXLibraryItem>>& items, bool preservingSelection)
{
    if (items == m_content)
        return;
    QList<pf::Ref<PWXLibraryItem>> kept;
    if (preservingSelection)
        selectedIndexes().forEach([&](qint64 i) { kept.append(m_content.value(int(i))); });
    m_settingSelection = true;
    if (m_iconView)
        m_iconView->deselectAll();
    m_disabled.reset();
    m_content = items;
    reload();
    pf::IndexSet again;
    for (const pf::Ref<PWXLibraryItem>& item : kept)
        if (const qsizetype at = m_content.indexOf(item); at >= 0)
            again.add(at);
    if (m_iconView && !again.isEmpty())
        m_iconView->selectItemsAtIndexes(again, false);
    m_settingSelection = false;
}

void PWXLibraryPickerItemView::reload()
{
    if (!m_iconView)
        return;
    m_iconView->reloadData();
    m_iconView->contentSizeChanged();
    m_iconView->update();
}

void PWXLibraryPickerItemView::setDisabledItems(const std::optional<pf::IndexSet>& indexes)
{
    m_disabled = indexes;
    if (m_iconView) {
        // A disabled item cannot stay selected.
        const pf::IndexSet selected = selectedIndexes();
        if (withoutDisabled(selected) != selected)
            selectItemsAtIndexes(withoutDisabled(selected));
        m_iconView->update();
    }
}

bool PWXLibraryPickerItemView::isItemDisabled(int index) const
{
    return m_disabled && (m_disabled->isEmpty() || m_disabled->contains(index));
}

pf::IndexSet PWXLibraryPickerItemView::withoutDisabled(const pf::IndexSet& indexes) const
{
    pf::IndexSet allowed;
    indexes.forEach([&](qint64 i) {
        if (!isItemDisabled(int(i)) && i < m_content.size())
            allowed.add(i);
    });
    return allowed;
}

pf::IndexSet PWXLibraryPickerItemView::selectedIndexes() const
{
    return m_iconView ? m_iconView->selectedItemIndexes() : pf::IndexSet();
}

void PWXLibraryPickerItemView::selectItemsAtIndexes(const pf::IndexSet& indexes)
{
    if (!m_iconView)
        return;
    const pf::IndexSet allowed = withoutDisabled(indexes);
    if (allowed == selectedIndexes())
        return;
    m_settingSelection = true;
    if (allowed.isEmpty())
        m_iconView->deselectAll();
    else
        m_iconView->selectItemsAtIndexes(allowed, false);
    m_settingSelection = false;
    if (!allowed.isEmpty())
        m_iconView->scrollItemToVisible(int(allowed.firstIndex()));
    if (selectionChanged)
        selectionChanged(selectedIndexes());
}

void PWXLibraryPickerItemView::userSelectedItemsAtIndexes(const pf::IndexSet& indexes)
{
    if (!m_iconView)
        return;
    const std::optional<pf::IndexSet> allowed = proposedSelectionAtIndexes(*m_iconView, indexes);
    if (allowed && allowed->isEmpty())
        return;
    if (indexes.isEmpty())
        m_iconView->deselectAll();
    else
        m_iconView->selectItemsAtIndexes(*allowed, false);
}

void PWXLibraryPickerItemView::setIconSizing(int sizing)
{
    if (sizing == m_iconSizing || !m_iconView)
        return;
    m_iconSizing = sizing;
    const double size = iconSizeForSizing(sizing);
    m_iconView->setCellSize(QSizeF(size, size + 14));
    reload();
    if (iconSizingChanged)
        iconSizingChanged(m_iconView->cellSize());
}

ZDDistributedView* PWXLibraryPickerItemView::iconView() const { return m_iconView; }

double PWXLibraryPickerItemView::rowHeight() const { return m_iconView ? m_iconView->cellSize().height() : 0; }

double PWXLibraryPickerItemView::fixedHeight() const { return m_iconView ? m_iconView->contentInset() : 0; }

void PWXLibraryPickerItemView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Cells are placed by index, so a new width flows them into new rows.
    if (m_iconView)
        m_iconView->contentSizeChanged();
}

int PWXLibraryPickerItemView::numberOfItemsInDistributedView(ZDDistributedView&) { return int(m_content.size()); }

QPointF PWXLibraryPickerItemView::positionForCell(ZDDistributedView& view, pf::Cell* cell, int itemIndex)
{
    if (cell && itemIndex >= 0 && itemIndex < m_content.size()) {
        const pf::Ref<PWXLibraryItem>& item = m_content[itemIndex];
        cell->setStringValue(item->name());
        const QImage preview = item->previewImage();
        cell->setImage(preview.isNull() ? nullptr : pf::Image::fromQImage(preview));
        cell->setEnabled(!isItemDisabled(itemIndex));
    }
    return view.itemPositionBasedOnItemIndex(itemIndex);
}

QString PWXLibraryPickerItemView::toolTipForItemAtIndex(ZDDistributedView&, int itemIndex)
{
    return itemIndex >= 0 && itemIndex < m_content.size() ? m_content[itemIndex]->toolTipString() : QString();
}

std::optional<pf::IndexSet> PWXLibraryPickerItemView::proposedSelectionAtIndexes(ZDDistributedView&,
                                                                                const pf::IndexSet& proposed)
{
    // Deselecting is always allowed; a click on a disabled item changes nothing.
    if (proposed.isEmpty())
        return std::nullopt;
    return withoutDisabled(proposed);
}

bool PWXLibraryPickerItemView::didSelectItemsAtIndexes(ZDDistributedView&, const pf::IndexSet& selection)
{
    if (!m_settingSelection && selectionChanged)
        selectionChanged(selection);
    return true;
}

void PWXLibraryPickerItemView::cellDoubleClickedAtItemIndex(ZDDistributedView&, int itemIndex)
{
    if (doubleClicked && itemIndex >= 0 && !isItemDisabled(itemIndex))
        doubleClicked(itemIndex);
}
