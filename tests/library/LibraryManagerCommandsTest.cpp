#include "LibraryTestSupport.h"

#include "library/PWXFixedLengthLibraryCategory.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGetInfoController.h"
#include "library/PWXLibraryItemViewController.h"
#include "library/PWXLibraryManagerTransfers.h"
#include "library/PWXLibraryPredicateEditor.h"
#include "library/PWXLibrarySharingController.h"
#include "library/PWXLibrarySmartCategoryEditController.h"
#include "platform/ui/DraggingInfo.h"
#include "platform/ui/Pasteboard.h"
#include "library/PWXLibraryPredicate.h"
#include "library/PWXLibrarySmartCategory.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/Sheet.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

using namespace library_test;

namespace {

using Manager = PWXLibraryManagerWindowController;

// A support folder with two user collections: Trees (Oak, Birch, Ash, Elm; a category
// "Broadleaf" holding Oak and Birch, with a sub-category "Big" holding Oak) and Stones (one item).
class LibraryManagerCommands : public LibraryTest {
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        pf::UserDefaults& defaults = pf::UserDefaults::standard();
        for (const QString& key : {Manager::kShowLibraryCountsKey, Manager::kShowCategoryCountsKey, Manager::kSortModeKey,
                                   Manager::kLastCategoryKey, Manager::kLastSelectionKey,
                                   Manager::kConfirmCategoryDeleteKey, Manager::kShowDocumentsKey})
            defaults.removeObjectForKey(key);
        PWXLibrary::initializeRegistry();
        trees = makeLibrary("Trees");
        for (const char* name : {"Oak", "Birch", "Ash", "Elm"})
            items.append(addObject(*trees, namedMaster(name)));
        broadleaf = trees->addCategoryWithName("Broadleaf");
        broadleaf->addItems({items[0], items[1]});
        big = broadleaf->addCategoryWithName("Big");
        big->addItem(items[0]);
        stones = makeLibrary("Stones");
        addObject(*stones, namedMaster("Flint"));
        PWXLibrary::addLibraryToGroup(trees, PWXLibraryGroup::kUserGroupName, false);
        PWXLibrary::addLibraryToGroup(stones, PWXLibraryGroup::kUserGroupName, false);
    }
    void TearDown() override
    {
        pf::PresentationHook::clear();
        LibraryTest::TearDown();
    }
    pf::Ref<Manager> openManager()
    {
        pf::Ref<Manager> manager = Manager::sharedLibraryManager();
        manager->showWindow();
        return manager;
    }
    static QStringList names(const QList<pf::Ref<PWXLibraryItem>>& list)
    {
        QStringList result;
        for (const auto& item : list)
            result.append(item->name());
        return result;
    }
    static QStringList rowTitles(pf::OutlineView& outline)
    {
        QStringList titles;
        for (int row = 0; row < outline.numberOfRows(); ++row)
            titles.append(QString(outline.levelForRow(row) * 2, ' ')
                          + outline.objectValueAt(0, row).toString());
        return titles;
    }

    pf::Ref<PWXLibrary> trees, stones;
    pf::Ref<PWXLibraryCategory> broadleaf, big;
    QList<pf::Ref<PWXLibraryItem>> items;
};

TEST_F(LibraryManagerCommands, OutlineShowsGroupsCollectionsAndCategories)
{
    pf::Ref<Manager> manager = openManager();
    pf::OutlineView& outline = *manager->outlineView();
    ASSERT_TRUE(manager->selectLibrary(trees));
    outline.expandItem(pf::toVariant(trees));
    outline.expandItem(pf::toVariant(broadleaf));
    const QStringList titles = rowTitles(outline);
    const int mine = int(titles.indexOf("MY LIBRARY"));
    ASSERT_GE(mine, 1) << titles.join('|').toStdString();
    EXPECT_EQ(titles.first(), "VINTREL LIBRARY");
    EXPECT_FALSE(titles.contains("OPEN DOCUMENTS")) << "the documents group is hidden";
    const int stonesRow = int(titles.indexOf("  Stones"));
    EXPECT_GT(stonesRow, mine);
    EXPECT_GT(titles.indexOf("  Trees"), stonesRow) << "collections by name";
    const int treesRow = int(titles.indexOf("  Trees"));
    // Categories sorted by name; the standard ones among them; the sub-category below its own.
    const QStringList below = titles.mid(treesRow + 1);
    EXPECT_TRUE(below.contains("    Broadleaf"));
    EXPECT_EQ(below.value(below.indexOf("    Broadleaf") + 1), "      Big");
    EXPECT_TRUE(below.contains("    All Items"));

    // Group rows cannot be selected and are taller.
    const QVariant group = outline.itemAtRow(mine);
    EXPECT_TRUE(manager->isGroupItem(outline, group));
    EXPECT_FALSE(manager->shouldSelectItem(outline, group));
    EXPECT_EQ(manager->heightOfRowByItem(outline, group), 26);
    EXPECT_EQ(manager->heightOfRowByItem(outline, pf::toVariant(trees)), 20);
    outline.selectRowIndexes(pf::IndexSet(mine), false);
    EXPECT_FALSE(manager->selectedItem());

    // Elements are known by their identifiers.
    EXPECT_EQ(manager->itemWithIdentifier(trees->identifier()), trees);
    EXPECT_EQ(manager->itemWithIdentifier(big->identifier()), big);
    EXPECT_FALSE(manager->itemWithIdentifier("NOSUCHGROUP.Trees"));
    EXPECT_FALSE(manager->itemWithIdentifier(""));
}

TEST_F(LibraryManagerCommands, SelectionListsItemsAndTheBottomBarCountsThem)
{
    pf::Ref<Manager> manager = openManager();
    PWXLibraryItemViewController* browser = manager->itemViewController();
    ASSERT_TRUE(manager->selectLibrary(trees));
    EXPECT_EQ(manager->lastSelectedCategory(), trees->allItemsCategory());
    EXPECT_EQ(names(manager->sortedAndFilteredItems()), (QStringList{"Ash", "Birch", "Elm", "Oak"}));
    EXPECT_EQ(manager->bottomBarInfoText(), "4 items (none selected)");
    browser->selectItems({items[0], items[2], items[3]});
    EXPECT_EQ(manager->bottomBarInfoText(), "4 items (3 selected)");
    EXPECT_EQ(manager->itemIdentifierText(), "<multiple values>");
    browser->selectItems({items[3]});
    EXPECT_EQ(manager->itemIdentifierText(), items[3]->uniqueKey());
    EXPECT_EQ(pf::UserDefaults::standard().stringForKey("CVLQ_LIB_MANAGER_LAST_SELECTION"), items[3]->identifier());
    browser->selectItems({});
    EXPECT_EQ(manager->itemIdentifierText(), "no selection");
    EXPECT_FALSE(pf::UserDefaults::standard().objectForKey("CVLQ_LIB_MANAGER_LAST_SELECTION").isValid());

    ASSERT_TRUE(manager->selectLibrary(stones));
    EXPECT_EQ(manager->bottomBarInfoText(), "1 item (none selected)");

    // The category chosen is remembered and chosen again when the window opens next.
    ASSERT_TRUE(manager->selectCategory(big));
    EXPECT_EQ(names(manager->sortedAndFilteredItems()), QStringList{"Oak"});
    EXPECT_EQ(pf::UserDefaults::standard().stringForKey("LIBRARY_MANAGER_LAST_CAT_SELECTION"), big->identifier());
    Manager::releaseSharedLibraryManager();
    manager = openManager();
    EXPECT_EQ(manager->lastSelectedCategory(), big);
    // A stored category that no longer exists opens on nothing in particular, without failing.
    pf::UserDefaults::standard().setObject("MY LIBRARY.Trees.Gone", "LIBRARY_MANAGER_LAST_CAT_SELECTION");
    Manager::releaseSharedLibraryManager();
    manager = openManager();
    EXPECT_NE(manager->lastSelectedCategory(), big);
}

TEST_F(LibraryManagerCommands, SearchFiltersByModeAndBecomesASmartCategory)
{
    pf::Ref<Manager> manager = openManager();
    ASSERT_TRUE(manager->selectLibrary(trees));
    struct Case {
        int mode;
        QString text;
        QStringList expected;
    };
    const QList<Case> cases{{0, "A", {"Ash", "Oak"}}, {1, "a", {"Ash"}},     {3, "K", {"Oak"}},
                            {2, "?l?", {"Elm"}},      {2, "*r*", {"Birch"}}, {7, "SH", {"Ash"}}};
    for (const Case& c : cases) {
        manager->setFilterMode(c.mode);
        manager->setFilterString(c.text);
        EXPECT_EQ(names(manager->itemViewController()->content()), c.expected) << c.mode << c.text.toStdString();
    }
    manager->setFilterMode(1);
    manager->setFilterString("b");
    pf::Ref<PWXLibraryCategory> smart = manager->makeNewSmartCategoryFromFilter();
    ASSERT_TRUE(smart);
    EXPECT_EQ(smart->name(), "\u201Cb\u201D");
    EXPECT_TRUE(manager->filterString().isEmpty());
    EXPECT_EQ(names(smart->allElements()), QStringList{"Birch"});
    auto asSmart = std::dynamic_pointer_cast<PWXLibrarySmartCategory>(smart);
    ASSERT_TRUE(asSmart);
    EXPECT_EQ(asSmart->predicate()->comparisons().first().op, PWXLibraryPredicate::Operator::BeginsWith);
    EXPECT_FALSE(manager->makeNewSmartCategoryFromFilter()) << "no search, no category";
}

TEST_F(LibraryManagerCommands, FixedLengthCategoriesKeepTheirOrderAndRefuseSorting)
{
    pf::Ref<Manager> manager = openManager();
    pf::Ref<PWXFixedLengthLibraryCategory> recent = trees->recentlyUsedCategory();
    ASSERT_TRUE(recent);
    for (int i : {3, 0, 2})
        recent->renewItem(items[i]);
    ASSERT_TRUE(manager->selectCategory(recent));
    EXPECT_EQ(names(manager->sortedAndFilteredItems()), names(recent->orderedItems()));
    EXPECT_FALSE(manager->libraryItemViewControllerAllowsResorting(*manager->itemViewController()));
    ASSERT_TRUE(manager->selectLibrary(trees));
    EXPECT_TRUE(manager->libraryItemViewControllerAllowsResorting(*manager->itemViewController()));
}

TEST_F(LibraryManagerCommands, DeleteCategoryActsOnTheCategoryItIsEnabledFor)
{
    pf::Ref<Manager> manager = openManager();
    pf::OutlineView& outline = *manager->outlineView();
    manager->selectLibrary(trees);
    outline.expandItem(pf::toVariant(trees));
    outline.expandItem(pf::toVariant(broadleaf));
    // Broadleaf (deletable) first, then the read-only "All Items" of the library.
    pf::IndexSet rows;
    rows.add(outline.rowForItem(pf::toVariant(broadleaf)));
    rows.add(outline.rowForItem(pf::toVariant(trees->allItemsCategory())));
    outline.selectRowIndexes(rows, false);
    ASSERT_EQ(manager->selectedCategories().size(), 2);
    auto item = pf::MenuItem::make("Delete Category", "deleteCategoryAction:");
    const bool enabled = manager->validateMenuItem(*item);
    EXPECT_EQ(enabled, manager->lastSelectedCategory()->isDeletable());

    // With Big last selected: the alert, its suppression box ticked, Delete.
    outline.selectRowIndexes(pf::IndexSet(outline.rowForItem(pf::toVariant(big))), false);
    ASSERT_EQ(manager->lastSelectedCategory(), big);
    EXPECT_TRUE(manager->validateMenuItem(*item));
    int alerts = 0;
    pf::PresentationHook::set([&](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        ++alerts;
        EXPECT_EQ(box->text(), "Delete Category");
        EXPECT_TRUE(box->informativeText().startsWith("The category \u201CBig\u201D will be immediately removed from \u201CTrees\u201D."));
        if (QCheckBox* check = box->checkBox())
            check->setChecked(true);
        box->buttons().first()->click();
    });
    manager->deleteCategoryAction({});
    EXPECT_EQ(alerts, 1);
    EXPECT_FALSE(broadleaf->categoryWithName("Big"));
    EXPECT_TRUE(pf::UserDefaults::standard().boolForKey("kPWXLibraryConfirmCategoryDelete"));
    // Suppressed: the next one goes without asking.
    outline.selectRowIndexes(pf::IndexSet(outline.rowForItem(pf::toVariant(broadleaf))), false);
    manager->deleteCategoryAction({});
    EXPECT_EQ(alerts, 1);
    EXPECT_FALSE(trees->categoryWithName("Broadleaf"));
    EXPECT_EQ(trees->itemCount(), 4) << "items stay in the collection";
}

TEST_F(LibraryManagerCommands, RemovingItemsAnswersWhetherAnyWentAndDeletingUsesTheItemsLibrary)
{
    pf::Ref<Manager> manager = openManager();
    ASSERT_TRUE(manager->selectCategory(broadleaf));
    ASSERT_EQ(names(manager->sortedAndFilteredItems()), (QStringList{"Birch", "Oak"}));
    EXPECT_TRUE(manager->canRemoveItemsAtIndexes(pf::IndexSet(0)));
    EXPECT_TRUE(manager->removeItemsAtIndexes(pf::IndexSet(0)));
    EXPECT_EQ(names(broadleaf->items()), QStringList{"Oak"});
    EXPECT_EQ(trees->itemCount(), 4);
    // An index past the list removes nothing, and says so.
    EXPECT_FALSE(manager->removeItemsAtIndexes(pf::IndexSet(7)));

    // Deleting trashes through each item's own library, whatever is selected by then.
    ASSERT_TRUE(manager->selectLibrary(trees));
    const pf::Ref<PWXLibraryItem> elm = items[3];
    const QString package = elm->path();
    const int index = int(manager->sortedAndFilteredItems().indexOf(elm));
    ASSERT_GE(index, 0);
    trees->setAllowsContentChanges(false);
    manager->deleteItemsAtIndexes(pf::IndexSet(index));
    EXPECT_TRUE(trees->containsUniqueID(elm->uniqueKey())) << "a collection that forbids changes keeps its items";
    trees->setAllowsContentChanges(true);
    elm->setLocked(true);
    manager->deleteItemsAtIndexes(pf::IndexSet(index));
    EXPECT_TRUE(trees->containsUniqueID(elm->uniqueKey())) << "a locked item is never trashed";
    elm->setLocked(false);
    manager->deleteItemsAtIndexes(pf::IndexSet(index));
    EXPECT_FALSE(trees->containsUniqueID(elm->uniqueKey()));
    EXPECT_FALSE(QFileInfo::exists(package));
}

TEST_F(LibraryManagerCommands, DeleteCollectionSheetDeletesTheCollectionItNamed)
{
    pf::Ref<Manager> manager = openManager();
    ASSERT_TRUE(manager->selectLibrary(stones));
    const QString stonesPath = stones->path();
    manager->deleteLibraryAction({});
    ASSERT_TRUE(manager->libraryDeleteSheet());
    EXPECT_EQ(manager->libraryToDelete(), stones);
    // The selection changes while the sheet is open; OK still deletes Stones.
    ASSERT_TRUE(manager->selectLibrary(trees));
    manager->libDeleteOKAction({});
    QApplication::processEvents();
    EXPECT_FALSE(QFileInfo::exists(stonesPath));
    EXPECT_FALSE(PWXLibraryGroup::userGroup()->libraries()->contains(stones));
    EXPECT_TRUE(QFileInfo::exists(trees->path()));
    // Cancel keeps it.
    ASSERT_TRUE(manager->selectLibrary(trees));
    manager->deleteLibraryAction({});
    manager->libDeleteCancelAction({});
    QApplication::processEvents();
    EXPECT_TRUE(QFileInfo::exists(trees->path()));
}

TEST_F(LibraryManagerCommands, MoveToCollectionMenuListsTheUserCollections)
{
    pf::Ref<PWXLibrary> third = makeLibrary("Third");
    PWXLibrary::addLibraryToGroup(third, PWXLibraryGroup::kUserGroupName, false);
    pf::Ref<Manager> manager = openManager();
    ASSERT_TRUE(manager->selectLibrary(trees));
    manager->itemViewController()->selectItems({items[2]});
    pf::Menu& menu = *manager->moveToMenu();
    const int count = manager->numberOfItemsInMenu(menu);
    const int libraries = int(manager->userLibraries().size());
    EXPECT_EQ(count, libraries + 2);
    QStringList titles;
    QList<bool> enabled;
    for (int i = 2; i < count; ++i) {
        auto item = pf::MenuItem::make("");
        manager->updateItem(menu, *item, i, false);
        titles.append(item->title());
        enabled.append(item->isEnabled());
    }
    ASSERT_TRUE(titles.contains("Trees"));
    EXPECT_FALSE(enabled[titles.indexOf("Trees")]) << "not into its own collection";
    EXPECT_TRUE(enabled[titles.indexOf("Third")]);

    auto target = pf::MenuItem::make("Third", "moveToLibraryAction:");
    target->setRepresentedObject(pf::toVariant(third));
    manager->moveToLibraryAction(pf::toVariant(target));
    EXPECT_FALSE(trees->itemWithName("Ash"));
    EXPECT_TRUE(third->itemWithName("Ash"));
    EXPECT_EQ(manager->selectedLibrary(), third);
}

TEST_F(LibraryManagerCommands, SettingsUseTheirOwnKeys)
{
    pf::Ref<Manager> manager = openManager();
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    manager->toggleShowLibraryCounts({});
    EXPECT_TRUE(defaults.boolForKey("LIB_MGR_SHOW_LIB_COUNTS"));
    EXPECT_FALSE(defaults.boolForKey("LIB_MGR_SHOW_CAT_COUNTS"));
    manager->toggleShowCategoryCounts({});
    manager->toggleShowLibraryCounts({});
    EXPECT_FALSE(defaults.boolForKey("LIB_MGR_SHOW_LIB_COUNTS"));
    EXPECT_TRUE(defaults.boolForKey("LIB_MGR_SHOW_CAT_COUNTS"));
    Manager::releaseSharedLibraryManager();
    manager = openManager();
    EXPECT_FALSE(manager->showsLibraryCounts());
    EXPECT_TRUE(manager->showsCategoryCounts());

    auto sortItem = pf::MenuItem::make("By Count", "sortMainListAction:");
    sortItem->setTag(2);
    manager->sortMainListAction(pf::toVariant(sortItem));
    EXPECT_EQ(defaults.integerForKey("CVLQ_LIBRARY_MANAGER_SORTMODE"), 2);
    const QList<pf::SortDescriptor> descriptors = manager->outlineView()->sortDescriptors();
    ASSERT_EQ(descriptors.size(), 3);
    EXPECT_EQ(descriptors[0].key(), "allElementsCount");
    EXPECT_EQ(descriptors[1].key(), "name");
    EXPECT_EQ(descriptors[2].key(), "classCode");
    EXPECT_TRUE(manager->validateMenuItem(*sortItem));
    EXPECT_EQ(sortItem->state(), pf::ControlState::On);

    EXPECT_EQ(manager->windowFrameAutosaveName(), "CVLQ_LIBRARY_MANAGER_WFRAME");
    EXPECT_EQ(manager->saveSettingsRootNameForItemViewController(*manager->itemViewController()), "CVLQ_LIB_MANAGER");
    manager->itemViewController()->setLayoutMode(1);
    EXPECT_EQ(defaults.integerForKey("CVLQ_LIB_MANAGER_PWLIB_ITEM_VIEW_layoutMode"), 1);
    manager->itemViewController()->setLayoutMode(0);
    EXPECT_EQ(Manager::acceptedPasteboardTypes().first(), "PWX_LIB_ELEMENT_TYPE");
    EXPECT_EQ(Manager::acceptedPasteboardTypes().value(1), "PWXLIBITEM_PB_TYPE");
}

TEST_F(LibraryManagerCommands, TransferCommandsAreEnabledWhereTheyCanAct)
{
    auto smart = std::make_shared<PWXLibrarySmartCategory>("Smart");
    trees->addCategory(smart);
    auto fixedRule = std::make_shared<PWXLibrarySmartCategory>("Styles Only");
    fixedRule->setPredicateEditable(false);
    trees->addCategory(fixedRule);
    pf::Ref<Manager> manager = openManager();
    pf::Ref<PWXLibrary> factory = PWXLibrary::factoryLibraries().value(0);
    pf::Ref<pf::Pasteboard> general = pf::Pasteboard::general();
    general->clearContents();
    const auto enabled = [&](const char* action) {
        auto item = pf::MenuItem::make("x", action);
        return manager->validateMenuItem(*item);
    };

    ASSERT_TRUE(manager->selectLibrary(trees));
    EXPECT_TRUE(enabled("importLibraryAction:"));
    EXPECT_TRUE(enabled("exportLibraryAction:"));
    EXPECT_TRUE(enabled("toggleLibrarySharing:"));
    EXPECT_TRUE(enabled("getInfoAction:"));
    EXPECT_FALSE(enabled("paste:")) << "nothing to paste";
    EXPECT_FALSE(enabled("editSmartCategoryAction:")) << "All Items is no smart category";
    ASSERT_TRUE(PWXLibraryItem::writeLibraryItems({items[3]}, general.get()));
    EXPECT_TRUE(enabled("paste:"));
    ASSERT_TRUE(manager->selectCategory(smart));
    EXPECT_TRUE(enabled("editSmartCategoryAction:"));
    ASSERT_TRUE(manager->selectCategory(fixedRule));
    EXPECT_FALSE(enabled("editSmartCategoryAction:")) << "its rule may not be edited";
    if (factory && manager->selectLibrary(factory)) {
        EXPECT_FALSE(enabled("exportLibraryAction:"));
        EXPECT_FALSE(enabled("toggleLibrarySharing:"));
        EXPECT_TRUE(enabled("importLibraryAction:"));
    }
    manager->outlineView()->deselectAll();
    EXPECT_FALSE(enabled("paste:"));
    EXPECT_FALSE(enabled("exportLibraryAction:"));
    general->clearContents();
}

TEST_F(LibraryManagerCommands, OutlineDragsAndDropsGoThroughTheTransfers)
{
    pf::Ref<Manager> manager = openManager();
    pf::OutlineView& outline = *manager->outlineView();
    ASSERT_TRUE(manager->selectCategory(broadleaf));
    const auto dragOf = [](const QList<pf::Ref<PWXLibraryItem>>& dragged, unsigned mask) {
        auto pasteboard = pf::Pasteboard::withName(QStringLiteral("manager-drop-test"));
        EXPECT_TRUE(PWXLibraryItem::writeLibraryItems(dragged, pasteboard.get()));
        return pf::DraggingInfo(pasteboard, nullptr, mask, QPointF(), nullptr, 1);
    };
    pf::Ref<PWXLibraryCategory> conifers = trees->addCategoryWithName("Conifers");
    manager->reloadLibrary(trees, broadleaf);

    // Within one collection onto another category: linked, the source keeps them. A drop
    // proposed between rows lands on the row.
    pf::DraggingInfo link = dragOf({items[1]}, pf::DragOperationEvery);
    EXPECT_EQ(manager->validateDrop(outline, link, pf::toVariant(conifers), 0), pf::DragOperationLink);
    EXPECT_EQ(outline.dropItem(), pf::toVariant(conifers));
    EXPECT_EQ(outline.dropChildIndex(), -1);
    EXPECT_EQ(manager->validateDrop(outline, link, pf::toVariant(broadleaf), -1), pf::DragOperationNone) << "onto itself";
    ASSERT_TRUE(manager->acceptDrop(outline, link, pf::toVariant(conifers), -1));
    EXPECT_TRUE(conifers->containsElement(items[1].get()));
    EXPECT_TRUE(broadleaf->containsElement(items[1].get()));

    // Onto another collection, as the item browser offers it (copy, and delete for the trash):
    // copied.
    ASSERT_TRUE(manager->selectCategory(broadleaf));
    pf::DraggingInfo copy = dragOf({items[0]}, pf::DragOperationCopy | pf::DragOperationDelete);
    EXPECT_EQ(manager->validateDrop(outline, copy, pf::toVariant(stones), -1), pf::DragOperationCopy);
    ASSERT_TRUE(manager->acceptDrop(outline, copy, pf::toVariant(stones), -1));
    EXPECT_TRUE(stones->itemWithName("Oak"));
    EXPECT_TRUE(trees->itemWithName("Oak"));
    EXPECT_EQ(manager->selectedLibrary(), stones) << "the collection that took them is shown";
    EXPECT_EQ(names(manager->selection()), QStringList{"Oak"});

    // A group row takes nothing.
    EXPECT_EQ(manager->validateDrop(outline, copy, pf::toVariant(PWXLibraryGroup::userGroup()), -1), pf::DragOperationNone);

    // A category row drags as the internal category type; a collection row does not drag.
    auto pasteboard = pf::Pasteboard::withName(QStringLiteral("manager-drag-test"));
    EXPECT_TRUE(manager->writeItems(outline, {pf::toVariant(conifers)}, *pasteboard));
    EXPECT_TRUE(pasteboard->types().contains("PWX_LIB_CAT_INTERNAL"));
    EXPECT_EQ(manager->transfers().draggingCategory(), conifers);
    pf::DraggingInfo category(pasteboard, nullptr, pf::DragOperationEvery, QPointF(), nullptr, 1);
    EXPECT_EQ(manager->validateDrop(outline, category, pf::toVariant(broadleaf), -1), pf::DragOperationMove);
    ASSERT_TRUE(manager->acceptDrop(outline, category, pf::toVariant(broadleaf), -1));
    EXPECT_EQ(conifers->container(), broadleaf.get());
    EXPECT_FALSE(manager->transfers().draggingCategory()) << "forgotten once dropped";
    EXPECT_FALSE(manager->writeItems(outline, {pf::toVariant(trees)}, *pasteboard));
}

TEST_F(LibraryManagerCommands, PasteCopiesIntoTheSelectedCategory)
{
    pf::Ref<PWXLibraryCategory> gravel = stones->addCategoryWithName("Gravel");
    pf::Ref<Manager> manager = openManager();
    pf::Ref<pf::Pasteboard> general = pf::Pasteboard::general();
    general->clearContents();
    // Copied from the item browser.
    ASSERT_TRUE(manager->selectLibrary(trees));
    manager->itemViewController()->selectItems({items[2], items[3]});
    auto copy = pf::MenuItem::make("Copy", "copy:");
    EXPECT_TRUE(manager->itemViewController()->validateMenuItem(*copy));
    manager->itemViewController()->copy();
    ASSERT_TRUE(manager->selectCategory(gravel));
    manager->paste({});
    EXPECT_EQ(names(gravel->items()), (QStringList{"Ash", "Elm"}));
    EXPECT_TRUE(trees->itemWithName("Ash")) << "pasting copies";
    general->clearContents();
}

TEST_F(LibraryManagerCommands, SmartCategorySheetEditsTheSelectedCategoryAndRefreshesItsList)
{
    pf::Ref<Manager> manager = openManager();
    ASSERT_TRUE(manager->selectLibrary(trees));
    manager->newSmartCategoryAction({});
    auto smart = std::dynamic_pointer_cast<PWXLibrarySmartCategory>(manager->lastSelectedCategory());
    ASSERT_TRUE(smart);
    PWXLibrarySmartCategoryEditController& sheet = manager->smartCategoryEditor();
    EXPECT_EQ(pf::Sheet::attachedSheet(manager->window()), sheet.window()) << "a new one opens in the editor";
    EXPECT_EQ(sheet.smartCategory(), smart);
    EXPECT_EQ(sheet.delegate(), manager.get());
    // A text rule typed with an accent the name lacks still finds the item.
    qobject_cast<QLineEdit*>(sheet.predicateEditor()->valueControl(0))->setText("ÖAK");
    sheet.okAction();
    EXPECT_FALSE(pf::Sheet::attachedSheet(manager->window()));
    EXPECT_EQ(names(manager->itemViewController()->content()), QStringList{"Oak"}) << "the list follows the new rule";

    // Edit again from the command.
    manager->editSmartCategoryAction({});
    EXPECT_EQ(pf::Sheet::attachedSheet(manager->window()), sheet.window());
    sheet.cancelAction();
}

TEST_F(LibraryManagerCommands, GetInfoFollowsTheItemSelectionAndSharingDescribesTheCollection)
{
    pf::Ref<Manager> manager = openManager();
    ASSERT_TRUE(manager->selectLibrary(trees));
    manager->itemViewController()->selectItems({items[2]});
    EXPECT_EQ(manager->getInfoController().content(), QList<pf::Ref<PWXLibraryItem>>{items[2]});
    manager->getInfoAction({});
    QWidget* panel = manager->getInfoController().view();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(manager->getInfoController().nameField()->text(), "Ash");
    manager->itemViewController()->selectItems({items[2], items[3]});
    EXPECT_EQ(manager->getInfoController().content().size(), 2);

    trees->setUserDescription("Leafy");
    manager->toggleLibrarySharing({});
    PWXLibrarySharingController& sharing = manager->sharingController();
    EXPECT_EQ(pf::Sheet::attachedSheet(manager->window()), sharing.window());
    EXPECT_EQ(sharing.library(), trees);
    EXPECT_EQ(sharing.descriptionField()->text(), "Leafy");
    sharing.descriptionField()->setText("Trees of the north");
    sharing.submitAction();
    EXPECT_EQ(trees->userDescription(), "Trees of the north");
}

TEST_F(LibraryManagerCommands, CollectionsOpenedFromElsewhereGoThroughTheImportChecks)
{
    pf::Ref<Manager> manager = openManager();
    QStringList messages;
    pf::PresentationHook::set([&messages](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        messages.append(box->text());
        box->buttons().first()->click();
    });
    // Already installed: the user's own collection folder.
    EXPECT_FALSE(manager->confirmAndImportLibraryFile(trees->path(), true));
    EXPECT_FALSE(manager->confirmAndImportLibraryFile(QStringLiteral("/nonexistent/Thing.symlibrary"), true));
    pf::PresentationHook::clear();
    EXPECT_EQ(messages, (QStringList{"Collection Already Installed", "Invalid Collection"}));
}

} // namespace

namespace {

TEST_F(LibraryManagerCommands, NewCollectionsAndCategoriesAreMadeWhereSelected)
{
    pf::Ref<Manager> manager = openManager();
    pf::OutlineView& outline = *manager->outlineView();
    // A category inside the selected category, named uniquely, selected and being renamed.
    ASSERT_TRUE(manager->selectCategory(broadleaf));
    auto item = pf::MenuItem::make("New Category", "newCategoryAction:");
    EXPECT_TRUE(manager->validateMenuItem(*item));
    manager->newCategoryAction({});
    pf::Ref<PWXLibraryCategory> made = broadleaf->categoryWithName("untitled category");
    ASSERT_TRUE(made);
    EXPECT_EQ(manager->lastSelectedCategory(), made);
    EXPECT_EQ(outline.editedRow(), outline.rowForItem(pf::toVariant(made)));
    outline.abortEditing();
    // Renaming through the outline re-sorts and keeps it selected.
    manager->setObjectValue(outline, "Acorns", outline.tableColumnWithIdentifier("name"), pf::toVariant(made));
    EXPECT_EQ(made->name(), "Acorns");
    EXPECT_EQ(manager->lastSelectedCategory(), made);
    // A second one at the library's top level.
    ASSERT_TRUE(manager->selectLibrary(trees));
    manager->newCategoryAction({});
    EXPECT_TRUE(trees->categoryWithName("untitled category"));
    outline.abortEditing();
    // Smart and fixed-length categories take no sub-categories.
    ASSERT_TRUE(manager->selectCategory(trees->recentlyUsedCategory()));
    EXPECT_FALSE(manager->validateMenuItem(*item));

    // A new collection in "MY LIBRARY", selected; then made the default one.
    const qsizetype before = PWXLibrary::userLibraries().size();
    manager->newLibraryAction({});
    outline.abortEditing();
    ASSERT_EQ(PWXLibrary::userLibraries().size(), before + 1);
    pf::Ref<PWXLibrary> fresh = manager->selectedLibrary();
    ASSERT_TRUE(fresh);
    EXPECT_NE(fresh, trees);
    EXPECT_NE(fresh, stones);
    auto nominate = pf::MenuItem::make("Default", "nominateDefaultLibraryAction:");
    if (fresh != PWXLibrary::defaultUserLibrary()) {
        EXPECT_TRUE(manager->validateMenuItem(*nominate));
        manager->nominateDefaultLibraryAction({});
    }
    EXPECT_EQ(PWXLibrary::defaultUserLibrary(), fresh);
    EXPECT_FALSE(manager->validateMenuItem(*nominate));
    EXPECT_EQ(nominate->state(), pf::ControlState::On);

    // A collection installed from elsewhere is shown selected.
    pf::Ref<PWXLibrary> installed = makeLibrary("Installed");
    PWXLibrary::addLibraryToGroup(installed, PWXLibraryGroup::kUserGroupName, false);
    manager->libraryWasInstalled(installed);
    EXPECT_EQ(manager->selectedLibrary(), installed);
}

} // namespace
