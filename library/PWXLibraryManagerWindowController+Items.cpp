#include "library/PWXLibraryManagerWindowController.h"

#include "frameworks/penwork/archiving/PWDrawableObjectPasteboard.h"
#include "frameworks/penwork/layers/PWLayer.h"
#include "frameworks/penwork/registries/PWStyleHistory.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXFixedLengthLibraryCategory.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryGetInfoController.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryItemViewController.h"
#include "library/PWXLibraryPredicate.h"
#include "library/PWXLibrarySmartCategory.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/SearchField.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/TableColumn.h"
#include "widgets/RVSourceListCell.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>
#include <QWidget>

// The items the window lists: the filtered, sorted list of the selection, and what the item
// browser tells and asks the window.

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryManagerWindowController", text); }

} // namespace

// --- The item list ------------------------------------------------------------------------------------

pf::Ref<PWXLibraryPredicate> PWXLibraryManagerWindowController::filterPredicate() const
{
    using Op = PWXLibraryPredicate::Operator;
    const Op op = mFilterMode == 1 ? Op::BeginsWith : (mFilterMode == 2 ? Op::Like : (mFilterMode == 3 ? Op::EndsWith : Op::Contains));
    return PWXLibraryPredicate::nameSearch(mFilterString, op);
}

QList<pf::Ref<PWXLibraryItem>> PWXLibraryManagerWindowController::sortedAndFilteredItems()
{
    if (mCachedItems)
        return *mCachedItems;
    pf::Ref<PWXLibraryElement> source = selectedItem();
    auto container = std::dynamic_pointer_cast<PWXLibraryElementContainer>(source);
    if (!container)
        return {};
    auto fixed = std::dynamic_pointer_cast<PWXFixedLengthLibraryCategory>(container);
    QList<pf::Ref<PWXLibraryItem>> items = fixed ? fixed->orderedItems() : container->allElements();
    if (items.isEmpty())
        return {};
    if (pf::Ref<PWXLibraryPredicate> predicate = filterPredicate())
        items.removeIf([&](const pf::Ref<PWXLibraryItem>& item) { return !predicate->evaluateWithItem(*item); });
    if (!fixed && mItemViewController) {
        const QList<pf::SortDescriptor> descriptors = mItemViewController->sortDescriptors();
        if (!descriptors.isEmpty() && items.size() > 1) {
            QVariantList objects;
            objects.reserve(items.size());
            for (const pf::Ref<PWXLibraryItem>& item : items)
                objects.append(pf::toVariant(item));
            pf::sort(objects, descriptors);
            items.clear();
            for (const QVariant& object : objects)
                items.append(pf::objectCast<PWXLibraryItem>(object));
        }
    }
    mCachedItems = items;
    return items;
}

void PWXLibraryManagerWindowController::invalidateItemsCache()
{
    if (!mNeedsSelection && mItemViewController)
        mItemViewController->saveSelectedItems();
    mCachedItems.reset();
    mNeedsSelection = true;
}

void PWXLibraryManagerWindowController::restoreSelection()
{
    if (mItemViewController)
        mItemViewController->restoreSelectedItems();
    mNeedsSelection = false;
}

void PWXLibraryManagerWindowController::loadItemsViewPreservingSelection(bool preserving)
{
    if (!isWindowLoaded() || !window()->isVisible() || !mItemViewController)
        return;
    mItemViewController->setContent(sortedAndFilteredItems(), preserving);
    if (preserving && mNeedsSelection)
        restoreSelection();
    mNeedsSelection = false;
    updateBottomBarInfo();
}

QString PWXLibraryManagerWindowController::bottomBarInfoText() const
{
    const qsizetype count = mCachedItems ? mCachedItems->size() : 0;
    const qsizetype selected = mItemViewController ? mItemViewController->selectedItemIndexes().count() : 0;
    const QString selectedText = selected > 0 ? QString::number(selected) : tr("none");
    return tr("%1 item%2 (%3 selected)").arg(count).arg(count == 1 ? QString() : QStringLiteral("s")).arg(selectedText);
}

void PWXLibraryManagerWindowController::updateBottomBarInfo()
{
    if (mBottomBarItemsInfoTextField)
        mBottomBarItemsInfoTextField->setText(bottomBarInfoText());
}

QString PWXLibraryManagerWindowController::itemIdentifierText() const
{
    return mItemIdentifierField ? mItemIdentifierField->text() : QString();
}

// --- Item browser delegate ---------------------------------------------------------------------------------

QString PWXLibraryManagerWindowController::saveSettingsRootNameForItemViewController(PWXLibraryItemViewController&)
{
    return kItemViewSettingsRoot;
}

bool PWXLibraryManagerWindowController::shouldEditItemAtIndex(PWXLibraryItemViewController&, int index)
{
    const QList<pf::Ref<PWXLibraryItem>> items = sortedAndFilteredItems();
    if (index < 0 || index >= items.size())
        return false;
    PWXLibrary* library = items[index]->library();
    return library && library->allowsContentChanges() && !items[index]->locked();
}

bool PWXLibraryManagerWindowController::canRemoveItemsAtIndexes(const pf::IndexSet&)
{
    pf::Ref<PWXLibrary> library = selectedLibrary();
    pf::Ref<PWXLibraryCategory> category = lastSelectedCategory();
    return library && library->allowsCategoryChanges() && category && !category->isReadOnly();
}

bool PWXLibraryManagerWindowController::removeItemsAtIndexes(const pf::IndexSet& indexes)
{
    pf::Ref<PWXLibrary> library = selectedLibrary();
    if (!library || !library->allowsCategoryChanges())
        return false;
    const QList<pf::Ref<PWXLibraryItem>> listed = sortedAndFilteredItems();
    QList<pf::Ref<PWXLibraryItem>> items;
    for (qint64 index : indexes.toList())
        if (index >= 0 && index < listed.size())
            items.append(listed[index]);
    bool removed = false;
    for (const pf::Ref<PWXLibraryCategory>& category : selectedCategories()) {
        if (category->isReadOnly())
            continue;
        // Answers whether something went, not merely whether a category was asked.
        const qsizetype before = category->allElementsCount();
        category->removeItems(items);
        removed = removed || category->allElementsCount() != before;
    }
    invalidateItemsCache();
    mNeedsSelection = false;
    loadItemsViewPreservingSelection(false);
    return removed;
}

void PWXLibraryManagerWindowController::deleteItemsAtIndexes(const pf::IndexSet& indexes)
{
    const QList<pf::Ref<PWXLibraryItem>> listed = sortedAndFilteredItems();
    // Each item goes to the trash through its own library: the one the items came from, whatever
    // is selected now; a library that forbids content changes (a factory one) trashes nothing.
    QHash<PWXLibrary*, QList<pf::Ref<PWXLibraryItem>>> byLibrary;
    QList<PWXLibrary*> order;
    for (qint64 index : indexes.toList()) {
        if (index < 0 || index >= listed.size() || listed[index]->locked())
            continue;
        PWXLibrary* library = listed[index]->library();
        if (!library || !library->allowsContentChanges() || library->isFactoryLibrary())
            continue;
        if (!byLibrary.contains(library))
            order.append(library);
        byLibrary[library].append(listed[index]);
    }
    bool trashed = false;
    for (PWXLibrary* library : order)
        trashed = library->trashItems(byLibrary.value(library)) || trashed;
    if (trashed) {
        invalidateItemsCache();
        mNeedsSelection = false;
        loadItemsViewPreservingSelection(false);
    }
}

bool PWXLibraryManagerWindowController::libraryItemViewControllerAllowsResorting(PWXLibraryItemViewController&)
{
    return !std::dynamic_pointer_cast<PWXFixedLengthLibraryCategory>(selectedItem());
}

void PWXLibraryManagerWindowController::itemSelectionChanged(const pf::IndexSet& indexes)
{
    const QList<pf::Ref<PWXLibraryItem>> items = selection();
    if (mItemIdentifierField)
        mItemIdentifierField->setText(items.size() == 1 ? items.first()->uniqueKey()
                                                        : (items.isEmpty() ? tr("no selection") : tr("<multiple values>")));
    mGetInfoController->setContent(items);
    updateBottomBarInfo();
    pf::NotificationCenter::defaultCenter().post(kPWLayerSelectionDidChange, this);
    if (!indexes.isEmpty() && !items.isEmpty()) {
        pf::UserDefaults::standard().setObject(items.first()->identifier(), kLastSelectionKey);
        if (items.first()->classCode() == 1)
            if (auto style = std::dynamic_pointer_cast<PWStyle>(items.first()->style()))
                PWStyleHistory::setCurrentStyle(style);
    } else {
        pf::UserDefaults::standard().removeObjectForKey(kLastSelectionKey);
    }
}

void PWXLibraryManagerWindowController::sortDescriptorsChanged(const QList<pf::SortDescriptor>&)
{
    ++mItemSortChanges;
    invalidateItemsCache();
    loadItemsViewPreservingSelection(true);
}

QString PWXLibraryManagerWindowController::printHeaderStringForPage(int)
{
    pf::Ref<PWXLibraryCategory> category = lastSelectedCategory();
    if (!category)
        return {};
    PWXLibrary* library = category->library();
    return tr("%1 (Category: %2) %3 items")
        .arg(library ? library->name() : QString(), category->name())
        .arg(sortedAndFilteredItems().size());
}

QString PWXLibraryManagerWindowController::printFooterStringForPage(int page) { return tr("Page %1").arg(page); }

void PWXLibraryManagerWindowController::printOperationDidRun(bool success, const QString& contextInfo)
{
    RVLog(kInfoEvent, QStringLiteral("print completed, op = %1, success = %2").arg(contextInfo).arg(int(success)));
}
