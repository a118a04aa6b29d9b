#include "library/PWXLibraryManagerWindowController.h"

#include "app/VNQLHelpTrampoline.h"
#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXFixedLengthLibraryCategory.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryGetInfoController.h"
#include "library/PWXLibraryItemViewController.h"
#include "library/PWXLibraryManagerTransfers.h"
#include "library/PWXLibraryPredicate.h"
#include "library/PWXLibrarySharingController.h"
#include "library/PWXLibrarySmartCategory.h"
#include "library/PWXLibrarySmartCategoryEditController.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/PageLayout.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/SearchField.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/Workspace.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

// The window's commands, their validation and the sheets and menus they use.

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryManagerWindowController", text); }

int tagOf(const QVariant& sender)
{
    if (auto item = pf::objectCast<pf::MenuItem>(sender))
        return item->tag();
    if (auto* control = pf::Control::fromSender(sender)) {
        if (auto* segmented = dynamic_cast<pf::SegmentedControl*>(control))
            return segmented->selectedSegment();
        return control->intValue();
    }
    return sender.toInt();
}

// A smart category whose rule the user may edit.
pf::Ref<PWXLibrarySmartCategory> editableSmartCategory(const pf::Ref<PWXLibraryCategory>& category)
{
    auto smart = std::dynamic_pointer_cast<PWXLibrarySmartCategory>(category);
    return smart && smart->predicateEditable() ? smart : nullptr;
}

} // namespace

// --- Validation ------------------------------------------------------------------------------------

bool PWXLibraryManagerWindowController::validateUserInterfaceItem(pf::UserInterfaceItem& item)
{
    if (auto* menuItem = dynamic_cast<pf::MenuItem*>(&item))
        return validateMenuItem(*menuItem);
    if (item.action() == QLatin1String("bottomBarButtonAction:")) {
        // Each segment as the command it sends.
        auto container = std::dynamic_pointer_cast<PWXLibraryElementContainer>(selectedItem());
        switch (item.tag()) {
        case 0: return container && container->allowsSubContainers();
        case 1: return selectedCategoriesCanBeDeleted();
        default: return true;
        }
    }
    return pf::WindowController::validateUserInterfaceItem(item);
}

bool PWXLibraryManagerWindowController::validateMenuItem(pf::MenuItem& item)
{
    const QString action = item.action();
    const auto on = [](bool flag) { return flag ? pf::ControlState::On : pf::ControlState::Off; };
    pf::Ref<PWXLibrary> library = selectedLibrary();
    pf::Ref<PWXLibraryElement> element = selectedItem();
    auto container = std::dynamic_pointer_cast<PWXLibraryElementContainer>(element);
    pf::Ref<PWXLibraryCategory> last = lastSelectedCategory();

    if (action == QLatin1String("newLibraryAction:") || action == QLatin1String("searchFieldAction:")
        || action == QLatin1String("importLibraryAction:") || action == QLatin1String("getInfoAction:")
        || action == QLatin1String("printDocument:") || action == QLatin1String("runPageLayout:")
        || action == QLatin1String("libDeleteCancelAction:") || action == QLatin1String("libDeleteOKAction:")
        || action == QLatin1String("helpButtonAction:") || action == QLatin1String("bottomBarButtonAction:"))
        return true;
    if (action == QLatin1String("newCategoryAction:") || action == QLatin1String("newSmartCategoryAction:"))
        return container && container->allowsSubContainers();
    if (action == QLatin1String("deleteCategoryAction:"))
        return selectedCategoriesCanBeDeleted();
    if (action == QLatin1String("deleteLibraryAction:") || action == QLatin1String("exportLibraryAction:"))
        return library && !library->isFactoryLibrary() && library->hasPresenceOnDisk();
    if (action == QLatin1String("paste:")) {
        pf::Ref<pf::Pasteboard> pasteboard = pf::Pasteboard::general();
        return pasteboard && mTransfers->canPasteIntoLibrary(library, pasteTargetCategory(), *pasteboard);
    }
    if (action == QLatin1String("editSmartCategoryAction:"))
        return bool(editableSmartCategory(last));
    if (action == QLatin1String("nominateDefaultLibraryAction:")) {
        const bool isDefault = library && library == PWXLibrary::defaultUserLibrary();
        item.setState(on(isDefault));
        return library && !isDefault && library->allowsContentChanges() && library->allowsCategoryChanges()
               && library->group() == PWXLibraryGroup::kUserGroupName;
    }
    if (action == QLatin1String("searchFieldModeAction:")) {
        item.setState(on(item.tag() == mFilterMode));
        return true;
    }
    if (action == QLatin1String("searchFieldConvertToSmartCategoryAction:"))
        return library && library->allowsCategoryChanges() && !mFilterString.isEmpty();
    if (action == QLatin1String("renameAction:")) {
        if (library && element == library)
            return library->allowsContentChanges() && !library->isFactoryLibrary();
        return last && last->allowsNameChange();
    }
    if (action == QLatin1String("removeItemsAction:")) {
        if (selection().isEmpty() || !library || !library->allowsCategoryChanges())
            return false;
        for (const pf::Ref<PWXLibraryCategory>& category : selectedCategories())
            if (!category->isReadOnly())
                return true;
        return false;
    }
    if (action == QLatin1String("editItemsAction:"))
        return false;
    if (action == QLatin1String("toggleShowCategoryCounts:")) {
        item.setState(on(mShowCategoryCounts));
        return true;
    }
    if (action == QLatin1String("toggleShowLibraryCounts:")) {
        item.setState(on(mShowLibraryCounts));
        return true;
    }
    if (action == QLatin1String("revealInFinderAction:"))
        return library && !library->isFactoryLibrary();
    if (action == QLatin1String("sortMainListAction:")) {
        item.setState(on(item.tag() == sortMainListMode()));
        return true;
    }
    if (action == QLatin1String("shareLibraryAction:"))
        return library && !library->isFactoryLibrary();
    if (action == QLatin1String("toggleLibrarySharing:")) {
        // No library is ever shared: the title offers sharing, and with no library is plain.
        // The sheet keeps a collection's credit and description, so a factory one has none.
        item.setTitle(library ? tr("Share Collection\u2026") : tr("Share"));
        return library && !library->isFactoryLibrary();
    }
    if (action == QLatin1String("moveToLibraryAction:")) {
        const bool movable = library && library->allowsContentChanges() && !selection().isEmpty();
        if (item.tag() == -1)
            return movable;
        auto target = pf::objectCast<PWXLibrary>(item.representedObject());
        return movable && target && target != library && target->allowsContentChanges();
    }
    if (action == QLatin1String("debug_forceWritable:")) {
        int writable = 0;
        const QList<pf::Ref<PWXLibrary>> factory = PWXLibrary::factoryLibraries();
        for (const pf::Ref<PWXLibrary>& candidate : factory)
            writable += candidate->allowsContentChanges() ? 1 : 0;
        item.setState(writable == 0 ? pf::ControlState::Off
                                    : (writable == factory.size() ? pf::ControlState::On : pf::ControlState::Mixed));
        return true;
    }
    return pf::WindowController::validateMenuItem(item);
}

// --- Collections and categories ---------------------------------------------------------------------

void PWXLibraryManagerWindowController::newLibraryAction(const QVariant&)
{
    pf::Ref<PWXLibrary> library = PWXLibrary::userLibraryWithPreferredName(PWXLibrary::defaultUserLibraryName());
    if (!library)
        return;
    mCachedLibraries.reset();
    if (pf::Ref<PWXLibraryGroup> user = PWXLibraryGroup::userGroup()) {
        user->invalidateElementsCache();
        rowDidChange(pf::toVariant(user), true);
        mLibraryOutlineView->expandItem(pf::toVariant(user));
    }
    selectAndScrollTo(library, true);
}

void PWXLibraryManagerWindowController::newCategoryAction(const QVariant&)
{
    if (pf::Ref<PWXLibrary> library = selectedLibrary())
        makeNewCategoryForLibrary(library);
}

pf::Ref<PWXLibraryCategory> PWXLibraryManagerWindowController::makeNewCategoryForLibrary(const pf::Ref<PWXLibrary>& library,
                                                                                       bool startEditing)
{
    pf::Ref<PWXLibraryElement> element = selectedItem();
    auto container = std::dynamic_pointer_cast<PWXLibraryElementContainer>(element);
    if (!library || !container || !container->allowsSubContainers())
        return nullptr;
    const QString name = library->uniqueNameForSubContainer(tr("untitled category"));
    pf::Ref<PWXLibraryCategory> made;
    if (auto parent = std::dynamic_pointer_cast<PWXLibraryCategory>(element)) {
        made = PWXLibraryCategory::categoryWithName(name, library.get());
        parent->addCategory(made);
    } else {
        made = library->addCategoryWithName(name);
    }
    if (!made)
        return nullptr;
    ++mCatSortChanges;
    reloadOutline();
    mLibraryOutlineView->expandItem(pf::toVariant(element));
    selectAndScrollTo(made, startEditing);
    return made;
}

pf::Ref<PWXLibraryCategory> PWXLibraryManagerWindowController::makeNewSmartCategoryForLibrary(
    const pf::Ref<PWXLibrary>& library, bool startEditing)
{
    if (!library || !library->allowsCategoryChanges())
        return nullptr;
    auto smart = std::make_shared<PWXLibrarySmartCategory>(library->uniqueNameForSubContainer(tr("untitled smart category")));
    library->addCategory(smart);
    ++mCatSortChanges;
    rowDidChange(pf::toVariant(library), true);
    mLibraryOutlineView->expandItem(pf::toVariant(library));
    selectAndScrollTo(smart, false);
    if (startEditing) {
        RVLog(kInfoEvent, QStringLiteral("will edit %1").arg(smart->name()));
        editSmartCategory(smart);
    }
    return smart;
}

pf::Ref<PWXLibraryCategory> PWXLibraryManagerWindowController::makeNewSmartCategoryFromFilter()
{
    pf::Ref<PWXLibrary> library = selectedLibrary();
    pf::Ref<PWXLibraryPredicate> predicate = filterPredicate();
    if (!library || !library->allowsCategoryChanges() || !predicate)
        return nullptr;
    auto smart = std::make_shared<PWXLibrarySmartCategory>(QStringLiteral("\u201C%1\u201D").arg(mFilterString));
    smart->setPredicate(predicate);
    library->addCategory(smart);
    ++mCatSortChanges;
    rowDidChange(pf::toVariant(library), true);
    mLibraryOutlineView->expandItem(pf::toVariant(library));
    // The search becomes the category: the field empties before the category is shown.
    mFilterString.clear();
    if (mFilterInputSearchField)
        mFilterInputSearchField->setStringValue(QString());
    selectAndScrollTo(smart, false);
    invalidateItemsCache();
    loadItemsViewPreservingSelection(true);
    return smart;
}

void PWXLibraryManagerWindowController::smartCategoryEditorDidFinishEditingCategory(PWXLibrarySmartCategoryEditController*,
                                                                                   PWXLibrarySmartCategory* edited)
{
    if (!edited)
        return;
    const pf::Ref<PWXLibraryCategory> category = edited->ref<PWXLibraryCategory>();
    rowDidChange(pf::toVariant(category), false);
    if (selectedCategories().contains(category)) {
        invalidateItemsCache();
        loadItemsViewPreservingSelection(true);
    }
}

void PWXLibraryManagerWindowController::newSmartCategoryAction(const QVariant&)
{
    makeNewSmartCategoryForLibrary(selectedLibrary(), true);
}

void PWXLibraryManagerWindowController::editSmartCategoryAction(const QVariant&)
{
    editSmartCategory(lastSelectedCategory());
}

void PWXLibraryManagerWindowController::editSmartCategory(const pf::Ref<PWXLibraryCategory>& category)
{
    if (pf::Ref<PWXLibrarySmartCategory> smart = editableSmartCategory(category))
        mSmartEditController->beginSmartCategoryEdit(smart, window(), this);
}

void PWXLibraryManagerWindowController::searchFieldConvertToSmartCategoryAction(const QVariant&)
{
    makeNewSmartCategoryFromFilter();
}

void PWXLibraryManagerWindowController::deleteCategoryAction(const QVariant&)
{
    pf::Ref<PWXLibraryCategory> category = lastSelectedCategory();
    // Acts on the same category the command is enabled for.
    if (!category || !selectedCategoriesCanBeDeleted())
        return;
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    if (!defaults.boolForKey(kConfirmCategoryDeleteKey)) {
        pf::Alert alert;
        alert.setMessageText(tr("Delete Category"));
        alert.addButton(tr("Delete"));
        alert.addButton(tr("Cancel"));
        PWXLibrary* library = category->library();
        alert.setInformativeText(tr("The category \u201C%1\u201D will be immediately removed from \u201C%2\u201D. This "
                                    "operation does not delete any items from the collection - items can be accessed in "
                                    "\u201CAll Items\u201D or other categories.")
                                     .arg(category->name(), library ? library->name() : QString()));
        alert.setShowsSuppressionButton(true);
        const int answer = alert.runModal();
        defaults.setBool(alert.isSuppressed(), kConfirmCategoryDeleteKey);
        if (answer != pf::kAlertFirstButtonReturn)
            return;
    }
    deleteCategories({category});
}

void PWXLibraryManagerWindowController::deleteCategories(const QList<pf::Ref<PWXLibraryCategory>>& categories)
{
    for (const pf::Ref<PWXLibraryCategory>& category : categories) {
        if (!category->isDeletable())
            continue;
        PWXLibraryElementContainer* container = category->container();
        if (auto* parent = dynamic_cast<PWXLibraryCategory*>(container))
            parent->removeCategory(category);
        else if (auto* library = dynamic_cast<PWXLibrary*>(container))
            library->removeCategory(category);
    }
    ++mCatSortChanges;
    reloadOutline();
    mLibraryOutlineView->deselectAll();
}

void PWXLibraryManagerWindowController::deleteLibraryAction(const QVariant&) { confirmAndDeleteSelectedLibrary(); }

void PWXLibraryManagerWindowController::confirmAndDeleteSelectedLibrary()
{
    pf::Ref<PWXLibrary> library = selectedLibrary();
    if (!library || library->isFactoryLibrary() || !library->hasPresenceOnDisk() || mLibDeleteDialog)
        return;
    // The library named in the sheet is the one deleted, whatever is selected when it ends.
    mLibraryToDelete = library;
    auto* sheet = new QDialog;
    sheet->setObjectName(QStringLiteral("deleteCollectionSheet"));
    auto* layout = new QVBoxLayout(sheet);
    mLibDeleteText = new QLabel(tr("Are you sure you want to delete the entire collection \u201C%1\u201D which contains "
                                   "%2 items?\n\nThis operation is not undoable though the collection will be moved to "
                                   "the trash and may be recovered from there.")
                                    .arg(library->name())
                                    .arg(library->itemCount()),
                                sheet);
    mLibDeleteText->setWordWrap(true);
    mLibDeleteText->setMinimumWidth(380);
    layout->addWidget(mLibDeleteText);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* cancel = new QPushButton(tr("Cancel"), sheet);
    auto* ok = new QPushButton(tr("Delete"), sheet);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    QObject::connect(cancel, &QPushButton::clicked, sheet, [this] { libDeleteCancelAction({}); });
    QObject::connect(ok, &QPushButton::clicked, sheet, [this] { libDeleteOKAction({}); });
    mLibDeleteDialog = sheet;
    pf::Weak<PWXLibraryManagerWindowController> weakSelf = weak<PWXLibraryManagerWindowController>();
    pf::Sheet::beginSheet(sheet, window(), [weakSelf, sheet](int code) {
        if (auto self = weakSelf.lock())
            self->endLibraryDeleteSheet(code);
        sheet->deleteLater();
    });
}

void PWXLibraryManagerWindowController::endLibraryDeleteSheet(int code)
{
    pf::Ref<PWXLibrary> library = mLibraryToDelete;
    mLibraryToDelete.reset();
    if (QDialog* sheet = mLibDeleteDialog)
        sheet->hide();
    mLibDeleteDialog = nullptr;
    if (code == 1 && library)
        deleteLibrary(library);
}

void PWXLibraryManagerWindowController::libDeleteCancelAction(const QVariant&)
{
    if (mLibDeleteDialog)
        pf::Sheet::endSheet(mLibDeleteDialog, 0);
}

void PWXLibraryManagerWindowController::libDeleteOKAction(const QVariant&)
{
    if (mLibDeleteDialog)
        pf::Sheet::endSheet(mLibDeleteDialog, 1);
}

void PWXLibraryManagerWindowController::deleteLibrary(const pf::Ref<PWXLibrary>& library)
{
    // A factory collection is never trashed, however the request came.
    if (!library || library->isFactoryLibrary() || !library->hasPresenceOnDisk())
        return;
    RVLog(kFileEvent, QStringLiteral("will delete library %1").arg(library->name()));
    library->moveToTrash();
    mCachedLibraries.reset();
    if (pf::Ref<PWXLibraryGroup> user = PWXLibraryGroup::userGroup()) {
        user->invalidateElementsCache();
        rowDidChange(pf::toVariant(user), true);
    }
    mLibraryOutlineView->deselectAll();
}

void PWXLibraryManagerWindowController::nominateDefaultLibraryAction(const QVariant&)
{
    pf::Ref<PWXLibrary> library = selectedLibrary();
    if (library && library->allowsContentChanges() && library->allowsCategoryChanges()
        && library->group() == PWXLibraryGroup::kUserGroupName && library != PWXLibrary::defaultUserLibrary())
        PWXLibrary::setDefaultUserLibrary(library);
}

void PWXLibraryManagerWindowController::renameAction(const QVariant&)
{
    const pf::IndexSet rows = mLibraryOutlineView ? mLibraryOutlineView->selectedRowIndexes() : pf::IndexSet();
    if (rows.isEmpty())
        return;
    const QVariant item = mLibraryOutlineView->itemAtRow(int(rows.firstIndex()));
    pf::Ref<PWXLibraryElement> element = elementOf(item);
    if (std::dynamic_pointer_cast<PWXLibrary>(element) && std::static_pointer_cast<PWXLibrary>(element)->isFactoryLibrary())
        return;
    if (shouldEditTableColumn(*mLibraryOutlineView, mLibraryOutlineView->tableColumnWithIdentifier(QStringLiteral("name")), item))
        editNameOfRow(int(rows.firstIndex()));
}

// --- Search ------------------------------------------------------------------------------------------

void PWXLibraryManagerWindowController::searchFieldAction(const QVariant& sender)
{
    auto* control = pf::Control::fromSender(sender);
    setFilterString(control ? control->stringValue() : sender.toString());
}

void PWXLibraryManagerWindowController::searchFieldModeAction(const QVariant& sender) { setFilterMode(tagOf(sender)); }

// --- Items -------------------------------------------------------------------------------------------

void PWXLibraryManagerWindowController::removeItemsAction(const QVariant&)
{
    if (mItemViewController)
        removeItemsAtIndexes(mItemViewController->selectedItemIndexes());
}

void PWXLibraryManagerWindowController::editItemsAction(const QVariant&) {}

bool PWXLibraryManagerWindowController::moveItemsToLibrary(const QList<pf::Ref<PWXLibraryItem>>& items,
                                                           const pf::Ref<PWXLibrary>& library)
{
    if (!library || items.isEmpty() || !library->allowsContentChanges())
        return false;
    return mTransfers->moveItems(items, library, nullptr, false);
}

void PWXLibraryManagerWindowController::moveToLibraryAction(const QVariant& sender)
{
    const QList<pf::Ref<PWXLibraryItem>> items = selection();
    auto item = pf::objectCast<pf::MenuItem>(sender);
    if (items.isEmpty() || !item)
        return;
    pf::Ref<PWXLibrary> source = selectedLibrary();
    if (item->tag() == -1) {
        pf::Ref<PWXLibrary> made = PWXLibrary::userLibraryWithPreferredName(PWXLibrary::defaultUserLibraryName());
        mCachedLibraries.reset();
        if (pf::Ref<PWXLibraryGroup> user = PWXLibraryGroup::userGroup()) {
            user->invalidateElementsCache();
            rowDidChange(pf::toVariant(user), true);
        }
        moveItemsToLibrary(items, made);
        return;
    }
    auto target = pf::objectCast<PWXLibrary>(item->representedObject());
    if (target && target != source && target->allowsContentChanges())
        moveItemsToLibrary(items, target);
}

int PWXLibraryManagerWindowController::numberOfItemsInMenu(pf::Menu& menu)
{
    if (&menu != mMoveToDynamicMenu.get())
        return -1;
    const qsizetype count = userLibraries().size();
    return count == 0 ? 1 : int(count + 2);
}

bool PWXLibraryManagerWindowController::updateItem(pf::Menu& menu, pf::MenuItem& item, int index, bool shouldCancel)
{
    if (&menu != mMoveToDynamicMenu.get())
        return !shouldCancel;
    if (index == 0) {
        item.setTitle(tr("New Collection"));
        item.setTag(-1);
        item.setAction(QStringLiteral("moveToLibraryAction:"));
        item.setTarget(this);
        item.setRepresentedObject({});
    } else if (index >= 2) {
        const QList<pf::Ref<PWXLibrary>> libraries = userLibraries();
        if (pf::Ref<PWXLibrary> library = libraries.value(index - 2)) {
            item.setTitle(library->name());
            if (pf::Ref<pf::Image> icon = library->icon())
                item.setImage(icon->icon());
            item.setRepresentedObject(pf::toVariant(library));
            item.setTag(0);
            item.setAction(QStringLiteral("moveToLibraryAction:"));
            item.setTarget(this);
            item.setEnabled(validateMenuItem(item));
        }
    }
    return !shouldCancel;
}

// --- Outline and view settings -----------------------------------------------------------------------

void PWXLibraryManagerWindowController::toggleShowCategoryCounts(const QVariant&) { setShowsCategoryCounts(!mShowCategoryCounts); }

void PWXLibraryManagerWindowController::toggleShowLibraryCounts(const QVariant&) { setShowsLibraryCounts(!mShowLibraryCounts); }

void PWXLibraryManagerWindowController::sortMainListAction(const QVariant& sender) { setSortMainListMode(tagOf(sender), false); }

void PWXLibraryManagerWindowController::revealInFinderAction(const QVariant&)
{
    pf::Ref<PWXLibrary> library = selectedLibrary();
    if (library && !library->isFactoryLibrary())
        pf::Workspace::shared().selectFile(library->path(), QString());
}

void PWXLibraryManagerWindowController::shareLibraryAction(const QVariant&)
{
    // There is no sharing service: the sheet keeps the collection's credit and description.
    pf::Ref<PWXLibrary> library = selectedLibrary();
    if (library && !library->isFactoryLibrary())
        mSharingController->beginShareLibraryDialogWithParent(window(), this);
}

void PWXLibraryManagerWindowController::toggleLibrarySharing(const QVariant& sender)
{
    // No collection is ever shared, so there is nothing to stop: the command always offers it.
    shareLibraryAction(sender);
}

void PWXLibraryManagerWindowController::bottomBarButtonAction(const QVariant& sender)
{
    switch (tagOf(sender)) {
    case 0: newCategoryAction(sender); break;
    case 1: deleteCategoryAction(sender); break;
    case 2: newLibraryAction(sender); break;
    case 3:
        // A click on the actions segment opens its menu at once (holding the press does too).
        if (mBottomBarButtonsControl && mBottomBarActionMenu) {
            const QRectF frame = mBottomBarButtonsControl->frameForSegment(3);
            mBottomBarActionMenu->popUp(mBottomBarButtonsControl->mapToGlobal(
                QPoint(int(frame.left()), mBottomBarButtonsControl->height())));
        }
        break;
    default: break;
    }
}

void PWXLibraryManagerWindowController::helpButtonAction(const QVariant&)
{
    if (pf::Ref<VNQLHelpTrampoline> help = VNQLHelpTrampoline::sharedHelpTrampoline())
        help->showHelpForIdentifier(kHelpIdentifier);
}

// --- Printing ------------------------------------------------------------------------------------------

pf::Ref<pf::PrintInfo> PWXLibraryManagerWindowController::printInfo()
{
    if (!mPrintInfo) {
        const QByteArray data = pf::UserDefaults::standard().dataForKey(kPrintInfoKey);
        if (!data.isEmpty())
            mPrintInfo = pf::KeyedUnarchiver::unarchiveObjectOfClass<pf::PrintInfo>(data);
    }
    return mPrintInfo;
}

void PWXLibraryManagerWindowController::setPrintInfo(const pf::Ref<pf::PrintInfo>& info)
{
    mPrintInfo = info;
    if (info)
        pf::UserDefaults::standard().setObject(pf::KeyedArchiver::archivedData(info), kPrintInfoKey);
}

void PWXLibraryManagerWindowController::printDocument(const QVariant&)
{
    if (mItemViewController)
        mItemViewController->performPrintWithPrintInfo(printInfo());
}

void PWXLibraryManagerWindowController::runPageLayout(const QVariant&)
{
    pf::Ref<pf::PrintInfo> info = printInfo();
    info = info ? std::static_pointer_cast<pf::PrintInfo>(info->copy())
                : std::static_pointer_cast<pf::PrintInfo>(pf::PrintInfo::sharedPrintInfo()->copy());
    pf::Weak<PWXLibraryManagerWindowController> weakSelf = weak<PWXLibraryManagerWindowController>();
    pf::PageLayout::beginSheet(info, window(), [weakSelf, info](int code) {
        auto self = weakSelf.lock();
        if (self && code == pf::kModalResponseOK)
            self->setPrintInfo(info);
    });
}

// --- Debugging -------------------------------------------------------------------------------------------

void PWXLibraryManagerWindowController::debug_forceWritable(const QVariant&) { PWXLibrary::setFactoryLibrariesWritable(true); }

void PWXLibraryManagerWindowController::debug_gatherOrphanedItemsAction(const QVariant&)
{
    pf::Ref<PWXLibrary> library = selectedLibrary();
    if (!library)
        return;
    const std::optional<QStringList> orphans = library->orphanedItems();
    if (!orphans || orphans->isEmpty()) {
        RVLog(kInfoEvent, QStringLiteral("%1: no orphaned items were found").arg(library->name()));
        return;
    }
    RVLog(kInfoEvent, QStringLiteral("%1 orphaned items were found in library '%2': %3")
                          .arg(orphans->size())
                          .arg(library->name(), orphans->join(QStringLiteral(", "))));
    pf::Ref<PWXLibraryCategory> category = library->addCategoryWithName(QStringLiteral("__Orphans__"));
    if (!category)
        return;
    for (const QString& file : *orphans)
        if (pf::Ref<PWXLibraryItem> item = PWXLibraryItem::itemWithFile(QDir(library->path()).filePath(file)))
            category->addItem(item);
    invalidateItemsCache();
    rowDidChange(pf::toVariant(library), true);
    loadItemsViewPreservingSelection(true);
    selectCategory(category);
}

void PWXLibraryManagerWindowController::debug_toggleLock(const QVariant&)
{
    const QList<pf::Ref<PWXLibraryItem>> items = selection();
    if (items.isEmpty())
        return;
    const bool locked = !items.last()->locked();
    for (const pf::Ref<PWXLibraryItem>& item : items)
        item->setLocked(locked);
    mItemViewController->refreshActiveView();
}

void PWXLibraryManagerWindowController::debug_forceCatfileUpdate(const QVariant&)
{
    if (pf::Ref<PWXLibrary> library = selectedLibrary())
        library->writeCategoryFile();
}

void PWXLibraryManagerWindowController::debug_remakePreviewImage(const QVariant&)
{
    for (const pf::Ref<PWXLibraryItem>& item : selection())
        item->remakeIconOnDisk();
    mItemViewController->refreshActiveView();
}

// --- Transfers --------------------------------------------------------------------------------------------

bool PWXLibraryManagerWindowController::importItemsAsSymbols(const QList<pf::Ref<pf::Object>>& objects,
                                                             pf::Ref<PWXLibrary> library,
                                                             pf::Ref<PWXLibraryCategory> category)
{
    return mTransfers->importItemsAsSymbols(objects, std::move(library), std::move(category));
}

bool PWXLibraryManagerWindowController::confirmAndImportLibraryFile(const QString& path, bool confirm)
{
    return mTransfers->confirmAndImportLibraryFile(path, confirm);
}

void PWXLibraryManagerWindowController::importLibraryAction(const QVariant& sender)
{
    mTransfers->importLibraryAction(sender);
}

void PWXLibraryManagerWindowController::exportLibraryAction(const QVariant& sender)
{
    mTransfers->exportLibraryAction(sender);
}

pf::Ref<PWXLibraryCategory> PWXLibraryManagerWindowController::pasteTargetCategory() const
{
    // "All Items" lists the collection itself and takes nothing by hand: with a collection's
    // row selected the paste goes into the collection, as a drop on that row does.
    pf::Ref<PWXLibraryCategory> last = lastSelectedCategory();
    pf::Ref<PWXLibrary> library = selectedLibrary();
    return library && last == library->allItemsCategory() ? nullptr : last;
}

void PWXLibraryManagerWindowController::paste(const QVariant&)
{
    pf::Ref<pf::Pasteboard> pasteboard = pf::Pasteboard::general();
    if (pasteboard)
        mTransfers->pasteIntoLibrary(selectedLibrary(), pasteTargetCategory(), *pasteboard, true);
}

void PWXLibraryManagerWindowController::getInfoAction(const QVariant&)
{
    QWidget* panel = mGetInfoController->view();
    if (!panel->isWindow() || !panel->parentWidget()) {
        // A small window of its own that stays with the library window.
        panel->setParent(window(), Qt::Tool);
        panel->setWindowTitle(tr("Info"));
        panel->resize(300, 420);
        if (QWidget* owner = window()) {
            // Beside the library window, on the side where the screen has room for it.
            const QRect frame = owner->frameGeometry();
            const QScreen* screen = owner->screen();
            const QRect room = screen ? screen->availableGeometry() : QRect();
            QPoint place = frame.topRight() + QPoint(8, 0);
            if (room.isValid() && place.x() + panel->width() > room.right())
                place.setX(std::max(room.left(), frame.left() - 8 - panel->width()));
            if (room.isValid())
                place.setY(std::clamp(place.y(), room.top(), std::max(room.top(), room.bottom() - panel->height())));
            panel->move(place);
        }
    }
    mGetInfoController->setContent(selection());
    panel->show();
    panel->raise();
}
