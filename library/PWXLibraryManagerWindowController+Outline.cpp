#include "library/PWXLibraryManagerWindowController.h"

#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryItemViewController.h"
#include "library/PWXLibraryManagerTransfers.h"
#include "platform/ui/DraggingInfo.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/SearchField.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/TableColumn.h"
#include "widgets/RVSourceListCell.h"

// The outline of groups, collections and categories: its data source and delegate, and the
// operations that select and reveal rows in it.

namespace {

const QString kNameColumn = QStringLiteral("name");

QList<pf::Ref<PWXLibrary>> librariesOf(const pf::Ref<PWXLibraryGroup>& group)
{
    return group ? group->libraries().value_or(QList<pf::Ref<PWXLibrary>>()) : QList<pf::Ref<PWXLibrary>>();
}

bool isReadOnlyElement(const pf::Ref<PWXLibraryElement>& element)
{
    if (auto library = std::dynamic_pointer_cast<PWXLibrary>(element))
        return !library->allowsContentChanges();
    if (auto category = std::dynamic_pointer_cast<PWXLibraryCategory>(element))
        return category->isReadOnly();
    return false;
}

} // namespace

int PWXLibraryManagerWindowController::numberOfChildrenOfItem(pf::OutlineView&, const QVariant& item)
{
    pf::Ref<PWXLibraryElement> element = elementOf(item);
    if (!element)
        return int(groups().size());
    if (auto group = std::dynamic_pointer_cast<PWXLibraryGroup>(element))
        return int(librariesOf(group).size());
    if (auto container = std::dynamic_pointer_cast<PWXLibraryElementContainer>(element))
        return int(container->countOfSubContainers());
    return 0;
}

QVariant PWXLibraryManagerWindowController::child(pf::OutlineView& outline, int index, const QVariant& item)
{
    pf::Ref<PWXLibraryElement> element = elementOf(item);
    if (!element)
        return pf::toVariant(groups().value(index));
    if (auto group = std::dynamic_pointer_cast<PWXLibraryGroup>(element))
        return pf::toVariant(librariesOf(group).value(index));
    if (auto container = std::dynamic_pointer_cast<PWXLibraryElementContainer>(element))
        return pf::toVariant(container->sortedSubContainersUsingSortDescriptors(outline.sortDescriptors(), mCatSortChanges).value(index));
    return {};
}

bool PWXLibraryManagerWindowController::isItemExpandable(pf::OutlineView&, const QVariant& item)
{
    pf::Ref<PWXLibraryElement> element = elementOf(item);
    if (std::dynamic_pointer_cast<PWXLibraryGroup>(element))
        return true;
    auto container = std::dynamic_pointer_cast<PWXLibraryElementContainer>(element);
    return container && container->countOfSubContainers() > 0;
}

QVariant PWXLibraryManagerWindowController::objectValueForTableColumn(pf::OutlineView&, pf::TableColumn* column,
                                                                      const QVariant& item)
{
    pf::Ref<PWXLibraryElement> element = elementOf(item);
    if (!element || !column)
        return {};
    if (auto group = std::dynamic_pointer_cast<PWXLibraryGroup>(element); group && column->identifier() == kNameColumn)
        return group->displayName();
    return element->valueForKey(column->identifier());
}

void PWXLibraryManagerWindowController::setObjectValue(pf::OutlineView&, const QVariant& value, pf::TableColumn* column,
                                                       const QVariant& item)
{
    pf::Ref<PWXLibraryElement> element = elementOf(item);
    if (!element || !column)
        return;
    if (column->identifier() == kNameColumn) {
        const QString name = value.toString().trimmed();
        if (name.isEmpty() || name == element->name())
            return;
        element->setName(name);
    } else {
        element->setValueForKey(value, column->identifier());
    }
    ++mCatSortChanges;
    reloadOutline();
    selectAndScrollTo(element, false);
}

void PWXLibraryManagerWindowController::sortDescriptorsDidChange(pf::OutlineView&, const QList<pf::SortDescriptor>&)
{
    ++mCatSortChanges;
    reloadOutline();
}

QVariant PWXLibraryManagerWindowController::persistentObjectForItem(pf::OutlineView&, const QVariant& item)
{
    pf::Ref<PWXLibraryElement> element = elementOf(item);
    return element ? QVariant(element->identifier()) : QVariant();
}

QVariant PWXLibraryManagerWindowController::itemForPersistentObject(pf::OutlineView&, const QVariant& object)
{
    return pf::toVariant(itemWithIdentifier(object.toString()));
}

void PWXLibraryManagerWindowController::willDisplayCell(pf::OutlineView& outline, pf::Cell& cell, pf::TableColumn* column,
                                                        const QVariant& item)
{
    pf::Ref<PWXLibraryElement> element = elementOf(item);
    auto* source = dynamic_cast<RVSourceListCell*>(&cell);
    if (!element || !column || column->identifier() != kNameColumn || !source)
        return;
    pf::Ref<pf::Image> icon;
    if (auto library = std::dynamic_pointer_cast<PWXLibrary>(element))
        icon = library->icon();
    else if (auto category = std::dynamic_pointer_cast<PWXLibraryCategory>(element))
        icon = category->icon();
    source->setImage(icon);
    const bool isLibrary = bool(std::dynamic_pointer_cast<PWXLibrary>(element));
    const bool isCategory = bool(std::dynamic_pointer_cast<PWXLibraryCategory>(element));
    const bool badge = (isLibrary && mShowLibraryCounts) || (isCategory && mShowCategoryCounts);
    auto container = std::dynamic_pointer_cast<PWXLibraryElementContainer>(element);
    source->setBadgeCount(badge && container ? quint64(container->allElementsCount()) : RVSourceListCell::kNoBadge);
    source->setBadgeColour(isLibrary ? pf::Color(QColor(255, 165, 0)).shadowWithLevel(0.15)
                                     : pf::Color(0.6, 0.6627, 0.7961, 1.0));
    const int row = outline.rowForItem(item);
    if (isReadOnlyElement(element) && !outline.isRowSelected(row)) {
        QFont font(QStringLiteral("Helvetica"), 11);
        font.setItalic(true);
        source->setFont(font);
        source->setTextColor(pf::Color(QColor(Qt::darkGray)));
    }
}

QString PWXLibraryManagerWindowController::toolTipForCell(pf::OutlineView&, pf::Cell&, QRectF&, pf::TableColumn*,
                                                          const QVariant& item, QPointF)
{
    pf::Ref<PWXLibraryElement> element = elementOf(item);
    if (auto library = std::dynamic_pointer_cast<PWXLibrary>(element))
        return library->toolTipString();
    if (auto category = std::dynamic_pointer_cast<PWXLibraryCategory>(element))
        return category->toolTipString();
    if (auto group = std::dynamic_pointer_cast<PWXLibraryGroup>(element))
        return group->toolTipString();
    return {};
}

bool PWXLibraryManagerWindowController::shouldSelectItem(pf::OutlineView&, const QVariant& item)
{
    return !std::dynamic_pointer_cast<PWXLibraryGroup>(elementOf(item));
}

bool PWXLibraryManagerWindowController::isGroupItem(pf::OutlineView&, const QVariant& item)
{
    return bool(std::dynamic_pointer_cast<PWXLibraryGroup>(elementOf(item)));
}

double PWXLibraryManagerWindowController::heightOfRowByItem(pf::OutlineView& outline, const QVariant& item)
{
    return isGroupItem(outline, item) ? 26 : 20;
}

bool PWXLibraryManagerWindowController::shouldEditTableColumn(pf::OutlineView&, pf::TableColumn* column, const QVariant& item)
{
    pf::Ref<PWXLibraryElement> element = elementOf(item);
    if (!element || !column || column->identifier() != kNameColumn)
        return false;
    if (auto category = std::dynamic_pointer_cast<PWXLibraryCategory>(element))
        return category->allowsNameChange();
    if (auto library = std::dynamic_pointer_cast<PWXLibrary>(element))
        return library->allowsContentChanges() && !library->isFactoryLibrary();
    return false;
}

// --- Drags and drops -------------------------------------------------------------------------------

bool PWXLibraryManagerWindowController::writeItems(pf::OutlineView&, const QVariantList& items, pf::Pasteboard& pasteboard)
{
    QList<pf::Ref<PWXLibraryElement>> rows;
    for (const QVariant& item : items)
        rows.append(elementOf(item));
    return mTransfers->writeItemsToPasteboard(rows, pasteboard);
}

unsigned PWXLibraryManagerWindowController::validateDrop(pf::OutlineView& outline, const pf::DraggingInfo& info,
                                                         const QVariant& item, int childIndex)
{
    // A drop between rows counts for the row it was proposed next to: its parent's row.
    const unsigned operation = mTransfers->dragOperationForDraggingInfo(&info, elementOf(item));
    if (operation != pf::DragOperationNone) {
        if (QWidget* shown = window())
            shown->raise();
        // Drops land on rows, never between them.
        if (childIndex != -1)
            outline.setDropItem(item, -1);
    }
    return operation;
}

bool PWXLibraryManagerWindowController::acceptDrop(pf::OutlineView&, const pf::DraggingInfo& info, const QVariant& item, int)
{
    const bool accepted = mTransfers->acceptDrop(&info, elementOf(item));
    mTransfers->forgetDraggingCategory();
    return accepted;
}

void PWXLibraryManagerWindowController::selectionDidChange(pf::OutlineView&)
{
    updateCategoryButtons();
    invalidateItemsCache();
    loadItemsViewPreservingSelection(true);
    if (pf::Ref<PWXLibraryCategory> category = lastSelectedCategory())
        pf::UserDefaults::standard().setObject(category->identifier(), kLastCategoryKey);
}

void PWXLibraryManagerWindowController::updateCategoryButtons()
{
    if (!mBottomBarButtonsControl)
        return;
    mBottomBarButtonsControl->setEnabled(selectedCategoriesCanBeDeleted(), 1);
    pf::Ref<PWXLibraryElement> element = selectedItem();
    auto container = std::dynamic_pointer_cast<PWXLibraryElementContainer>(element);
    mBottomBarButtonsControl->setEnabled(container && container->allowsSubContainers(), 0);
}

// --- Rows --------------------------------------------------------------------------------------------

void PWXLibraryManagerWindowController::reloadOutline()
{
    if (mLibraryOutlineView)
        mLibraryOutlineView->reloadData();
}

void PWXLibraryManagerWindowController::rowDidChange(const QVariant& element, bool withChildren)
{
    if (!mLibraryOutlineView)
        return;
    if (mLibraryOutlineView->rowForItem(element) < 0) {
        reloadOutline();
        return;
    }
    mLibraryOutlineView->reloadItem(element, withChildren && mLibraryOutlineView->isItemExpanded(element));
}

int PWXLibraryManagerWindowController::rowForElement(const pf::Ref<PWXLibraryElement>& element)
{
    return mLibraryOutlineView && element ? mLibraryOutlineView->rowForItem(pf::toVariant(element)) : -1;
}

void PWXLibraryManagerWindowController::selectAndScrollTo(const pf::Ref<PWXLibraryElement>& element, bool edit)
{
    const int row = rowForElement(element);
    if (row < 0)
        return;
    mLibraryOutlineView->selectRowIndexes(pf::IndexSet(row), false);
    mLibraryOutlineView->scrollRowToVisible(row);
    if (edit)
        editNameOfRow(row);
}

void PWXLibraryManagerWindowController::editNameOfRow(int row)
{
    const int column = mLibraryOutlineView ? mLibraryOutlineView->columnWithIdentifier(kNameColumn) : -1;
    if (column >= 0 && row >= 0)
        mLibraryOutlineView->editColumn(column, row, true);
}

bool PWXLibraryManagerWindowController::selectLibrary(const pf::Ref<PWXLibrary>& library)
{
    if (!library || !mLibraryOutlineView)
        return false;
    if (selectedItem() == library)
        return true;
    int row = rowForElement(library);
    if (row < 0) {
        for (const pf::Ref<PWXLibraryGroup>& group : groups())
            if (librariesOf(group).contains(library)) {
                mLibraryOutlineView->expandItem(pf::toVariant(group));
                break;
            }
        row = rowForElement(library);
    }
    if (row < 0)
        return false;
    mLibraryOutlineView->selectRowIndexes(pf::IndexSet(row), false);
    mLibraryOutlineView->scrollRowToVisible(row);
    return true;
}

bool PWXLibraryManagerWindowController::selectCategory(const pf::Ref<PWXLibraryCategory>& category)
{
    if (!category || !mLibraryOutlineView || selectedCategories().contains(category))
        return false;
    pf::Ref<PWXLibrary> library = category->libraryRef();
    if (library) {
        if (pf::Ref<PWXLibraryGroup> group = groupWithName(library->group()))
            mLibraryOutlineView->expandItem(pf::toVariant(group));
        mLibraryOutlineView->expandItem(pf::toVariant(library));
        // Every container between the library and the category, outermost first.
        QList<pf::Ref<PWXLibraryElement>> chain;
        for (PWXLibraryElementContainer* up = category->container(); up && up != library.get(); up = up->container())
            chain.prepend(up->ref<PWXLibraryElement>());
        for (const pf::Ref<PWXLibraryElement>& container : chain)
            mLibraryOutlineView->expandItem(pf::toVariant(container));
    }
    // "All Items" has no row of its own: its library's row stands for it.
    pf::Ref<PWXLibraryElement> target = category;
    if (library && category == library->allItemsCategory())
        target = library;
    const int row = rowForElement(target);
    if (row < 0)
        return false;
    mLibraryOutlineView->selectRowIndexes(pf::IndexSet(row), false);
    mLibraryOutlineView->scrollRowToVisible(row);
    return true;
}

void PWXLibraryManagerWindowController::reloadLibrary(const pf::Ref<PWXLibrary>& library,
                                                      const pf::Ref<PWXLibraryCategory>& category)
{
    invalidateItemsCache();
    if (library)
        rowDidChange(pf::toVariant(library), true);
    if (category) {
        mLibraryOutlineView->deselectAll();
        selectCategory(category);
    } else {
        loadItemsViewPreservingSelection(true);
    }
}

void PWXLibraryManagerWindowController::reloadElementRow(const pf::Ref<PWXLibraryElementContainer>& element)
{
    if (element)
        rowDidChange(pf::toVariant(element), true);
}

void PWXLibraryManagerWindowController::reloadItemList(bool preservingSelection)
{
    invalidateItemsCache();
    if (!preservingSelection)
        mNeedsSelection = false;
    loadItemsViewPreservingSelection(preservingSelection);
}

void PWXLibraryManagerWindowController::selectItems(const QList<pf::Ref<PWXLibraryItem>>& items)
{
    if (!mItemViewController)
        return;
    // A hidden window loads no item list; the items to select must be listed all the same.
    if (!isWindowLoaded() || !window()->isVisible())
        mItemViewController->setContent(sortedAndFilteredItems(), false);
    mItemViewController->selectItems(items);
}

void PWXLibraryManagerWindowController::libraryWasInstalled(const pf::Ref<PWXLibrary>& library)
{
    if (!library)
        return;
    mCachedLibraries.reset();
    if (pf::Ref<PWXLibraryGroup> group = groupWithName(library->group())) {
        group->invalidateElementsCache();
        rowDidChange(pf::toVariant(group), true);
        mLibraryOutlineView->expandItem(pf::toVariant(group));
    }
    selectAndScrollTo(library, false);
}

bool PWXLibraryManagerWindowController::showItemWithUniqueID(const QString& key, bool select)
{
    return showItemWithUniqueID(key, nullptr, select);
}

bool PWXLibraryManagerWindowController::showItemWithUniqueID(const QString& key,
                                                             const pf::Ref<PWXLibraryCategory>& category, bool select)
{
    if (category)
        selectCategory(category);
    pf::Ref<PWXLibrary> library = PWXLibrary::libraryContainingItemWithUniqueID(key);
    if (!library || !selectLibrary(library))
        return false;
    bool listed = false;
    for (const pf::Ref<PWXLibraryItem>& item : sortedAndFilteredItems())
        if (item->uniqueKey() == key) {
            listed = true;
            break;
        }
    if (!listed) {
        if (pf::Ref<PWXLibraryCategory> all = library->allItemsCategory())
            if (!selectCategory(all) && selectedItem() != library)
                selectLibrary(library);
        if (mFilterInputSearchField)
            mFilterInputSearchField->setStringValue(QString());
        mFilterString.clear();
        invalidateItemsCache();
        loadItemsViewPreservingSelection(true);
    }
    pf::Ref<PWXLibraryItem> item = library->itemWithUniqueID(key);
    if (!item || !mItemViewController)
        return false;
    if (!mCachedItems)
        loadItemsViewPreservingSelection(true);
    if (!mItemViewController->content().contains(item))
        mItemViewController->setContent(sortedAndFilteredItems(), false);
    return mItemViewController->revealItem(item, select);
}
