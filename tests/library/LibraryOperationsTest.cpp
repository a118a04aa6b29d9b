#include "LibraryTestSupport.h"

#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroupMenuHandler.h"
#include "library/PWXLibraryMenuHelper.h"
#include "library/PWXLibraryRegistryShim.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace library_test;

namespace {

class LibraryOperations : public LibraryTest {};

QStringList titles(pf::Menu& menu)
{
    menu.update();
    QStringList out;
    for (const auto& item : menu.items())
        out.append(item->title());
    return out;
}

} // namespace

TEST_F(LibraryOperations, StylesLeavingADocumentLibraryAreCopiedAndSubstituted)
{
    PWXLibrary::initializeRegistry();
    pf::Ref<PWXLibrary> user = PWXLibrary::userLibraryWithPreferredName("Mine");
    pf::Ref<PWStyle> style = namedStyle("Shore");
    pf::Ref<PWXLibrary> document = PWXLibrary::documentLibraryWithName("Chart.qlry", {style}, true);
    ASSERT_TRUE(user && document);
    pf::Ref<PWXLibraryItem> source = document->itemWithUniqueID(style->uniqueKey());
    ASSERT_TRUE(source);
    pf::Ref<PWXLibraryCategory> coast = user->addCategoryWithName("Coast");
    QVariantMap substitution;
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
        kPWXStyleSubstitutionWasPerformed, nullptr, [&](const pf::Notification& note) { substitution = note.userInfo; });
    pf::Ref<PWXLibraryItem> moved = user->transferItem(source, coast, false);
    pf::NotificationCenter::defaultCenter().removeObserver(token);
    ASSERT_TRUE(moved);
    EXPECT_NE(moved, source);
    EXPECT_TRUE(document->containsUniqueID(style->uniqueKey())); // copied, not moved
    EXPECT_TRUE(coast->items().contains(moved));
    EXPECT_TRUE(user->allItemsCategory()->items().contains(moved));
    EXPECT_EQ(pf::objectCast<PWStyle>(substitution.value("old_style")), style);
    EXPECT_EQ(pf::objectCast<PWStyle>(substitution.value("new_style")), moved->representedObject());
    EXPECT_TRUE(moved->hasValidPath());
    // Moving between user libraries moves the item itself, renamed when its name is taken.
    pf::Ref<PWXLibrary> other = PWXLibrary::userLibraryWithPreferredName("Other");
    addObject(*other, namedStyle("Shore"));
    pf::Ref<PWXLibraryItem> again = other->transferItem(moved, nullptr, false);
    ASSERT_TRUE(again);
    EXPECT_EQ(again, moved);
    EXPECT_EQ(again->name(), "Shore-1");
    EXPECT_EQ(std::dynamic_pointer_cast<PWStyle>(again->representedObject())->name(), "Shore-1");
    EXPECT_TRUE(again->hasValidPath());
    EXPECT_FALSE(user->containsUniqueID(again->uniqueKey()));
    EXPECT_FALSE(other->transferItem(again, nullptr, true)); // already here
}

TEST_F(LibraryOperations, TrashingItemsNeedsPermissionAndForgetsThemEverywhere)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Bin");
    pf::Ref<PWXLibraryItem> one = addObject(*library, namedStyle("One"));
    pf::Ref<PWXLibraryItem> two = addObject(*library, namedStyle("Two"));
    library->addCategoryWithName("Box")->addCategoryWithName("Inner")->addItem(one);
    library->setAllowsContentChanges(false);
    EXPECT_FALSE(library->trashItems({one}));
    EXPECT_TRUE(one->hasValidPath());
    library->setAllowsContentChanges(true);
    EXPECT_FALSE(library->trashItems({}));
    const QString package = one->path();
    ASSERT_TRUE(library->trashItems({one}));
    EXPECT_FALSE(QFileInfo::exists(package));
    EXPECT_FALSE(library->containsUniqueID(one->uniqueKey()));
    EXPECT_TRUE(library->categoriesWithItem(one.get()).isEmpty());
    EXPECT_TRUE(library->containsUniqueID(two->uniqueKey()));
}

TEST_F(LibraryOperations, OrphanedPackagesAreFoundWhateverTheCounts)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Orphans");
    pf::Ref<PWXLibraryItem> kept = addObject(*library, namedStyle("Kept"));
    pf::Ref<PWXLibraryItem> lost = addObject(*library, namedStyle("Lost"));
    pf::Ref<PWXLibraryItem> orphan = addObject(*library, namedStyle("Orphan"));
    // The category file forgets "Orphan" (its package stays) and "Kept" loses its package:
    // the folder then holds exactly one entry more than there are items.
    const QString orphanPackage = orphan->filename();
    const QString hidden = QDir(library->path()).filePath("hidden");
    ASSERT_TRUE(QDir().rename(orphan->path(), hidden));
    library->removeItem(orphan);
    ASSERT_TRUE(QDir().rename(hidden, QDir(library->path()).filePath(orphanPackage)));
    QDir(kept->path()).removeRecursively();
    const auto found = library->orphanedItems();
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, QStringList{orphanPackage});
    library->removeItem(lost);
    EXPECT_FALSE(PWXLibrary::libraryWithPath(QString(), true)->orphanedItems());
}

TEST_F(LibraryOperations, MenusListGroupsLibrariesAndCategoriesWithTheirHelpers)
{
    PWXLibrary::initializeRegistry();
    pf::Ref<pf::Menu> menu = pf::Menu::make();
    menu->addItem(pf::MenuItem::make("Choose…"));
    PWXLibrary::renewLibrariesMenu(menu, 3, nullptr, "pickCategory:");
    QStringList shown = titles(*menu);
    ASSERT_GE(shown.size(), 4);
    EXPECT_EQ(shown.first(), "Choose…"); // the caller's own first item is left alone
    EXPECT_TRUE(shown.contains("VINTREL LIBRARY") && shown.contains("MY LIBRARY") && shown.contains("OPEN DOCUMENTS"));
    pf::Ref<PWXLibrary> library = PWXLibrary::defaultUserLibrary();
    pf::Ref<PWXLibraryCategory> coast = library->addCategoryWithName("Coast");
    coast->addCategoryWithName("Cliffs");
    shown = titles(*menu);
    const int row = int(shown.indexOf(library->name()));
    ASSERT_GE(row, 0);
    pf::MenuItem* libraryItem = menu->itemAtIndex(row);
    EXPECT_EQ(libraryItem->representedObject().toString(), library->identifier());
    EXPECT_EQ(libraryItem->action(), "pickCategory:");
    ASSERT_TRUE(libraryItem->submenu());
    pf::Menu* categories = libraryItem->submenu();
    const QStringList categoryTitles = titles(*categories);
    const int coastRow = int(categoryTitles.indexOf("Coast"));
    ASSERT_GE(coastRow, 0);
    pf::MenuItem* coastItem = categories->itemAtIndex(coastRow);
    EXPECT_EQ(coastItem->representedObject().toString(), coast->identifier());
    ASSERT_TRUE(coastItem->submenu());
    EXPECT_EQ(titles(*coastItem->submenu()), QStringList{"Cliffs"});
    EXPECT_EQ(coastItem->submenu()->itemAtIndex(0)->action(), "pickCategory:");
    EXPECT_EQ(PWXLibraryMenuHelper::menuHelperForMenu(coastItem->submenu())->options(), 3);
    // Read-only categories are set apart.
    EXPECT_TRUE(categories->itemAtIndex(int(categoryTitles.indexOf("All Items")))->hasAttributedTitle());
    // The trail to a chosen category is marked; other items are not.
    PWXLibraryGroupMenuHandler::sharedGroupMenuHandler()->setBoldTitlingForMenuTrail(coastItem, coast->identifier() + ".Cliffs");
    EXPECT_TRUE(coastItem->titleAttributes().underline);
    PWXLibraryGroupMenuHandler::sharedGroupMenuHandler()->setBoldTitlingForMenuTrail(coastItem, library->identifier() + ".Other");
    EXPECT_FALSE(coastItem->titleAttributes().underline);
}

TEST_F(LibraryOperations, AMenuHelperLivesExactlyAsLongAsItsMenu)
{
    const int before = PWXLibraryMenuHelper::liveHelperCount();
    pf::Ref<PWXLibrary> library = makeLibrary("Helpers");
    pf::Ref<pf::Menu> menu = library->categoriesMenuWithOptions(1, nullptr, "a:");
    EXPECT_EQ(PWXLibraryMenuHelper::liveHelperCount(), before + 1);
    const pf::Menu* address = menu.get();
    menu.reset();
    EXPECT_EQ(PWXLibraryMenuHelper::liveHelperCount(), before);
    // A later menu, even at the same address, finds no helper of the old one.
    EXPECT_FALSE(PWXLibraryMenuHelper::menuHelperForMenu(address));
    pf::Ref<pf::Menu> later = pf::Menu::make();
    EXPECT_FALSE(PWXLibraryMenuHelper::menuHelperForMenu(later.get()));
    PWXLibraryMenuHelper::setMenuHelper(std::make_shared<PWXLibraryMenuHelper>(nullptr, "b:", 0), later.get());
    PWXLibraryMenuHelper::setMenuHelper(std::make_shared<PWXLibraryMenuHelper>(nullptr, "c:", 0), later.get());
    EXPECT_EQ(PWXLibraryMenuHelper::menuHelperForMenu(later.get())->action(), "c:");
}

TEST_F(LibraryOperations, TwoOpenDocumentsOfOneNameKeepTwoFolders)
{
    PWXLibrary::initializeRegistry();
    pf::Ref<PWXLibrary> first = PWXLibrary::documentLibraryWithName("Plan.qlry", {namedStyle("A")}, true);
    pf::Ref<PWXLibrary> second = PWXLibrary::documentLibraryWithName("Plan.qlry", {namedStyle("B")}, true);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->path(), second->path());
    EXPECT_TRUE(QFileInfo(first->path()).isDir());
    EXPECT_TRUE(QFileInfo(second->path()).isDir());
    EXPECT_EQ(PWXLibrary::documentsLibraries().size(), 2);
    EXPECT_EQ(first->itemCount(), 1);
}

TEST_F(LibraryOperations, APreferredNameTakenOnDiskIsNotTakenOver)
{
    PWXLibrary::initializeRegistry();
    const QString stray = QDir(PWXLibrary::userLibraryFolder()).filePath("Stray.symlibrary");
    QDir().mkpath(stray);
    QFile damaged(QDir(stray).filePath("Stray.categories"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("damaged");
    damaged.close();
    pf::Ref<PWXLibrary> made = PWXLibrary::userLibraryWithPreferredName("Stray");
    ASSERT_TRUE(made);
    EXPECT_EQ(made->name(), "Stray 1");
    EXPECT_EQ(fileBytes(damaged.fileName()), QByteArray("damaged"));
    EXPECT_EQ(PWXLibrary::userLibraryWithPreferredName("Stray")->name(), "Stray 2");
}

TEST_F(LibraryOperations, TheShimKeepsHandedObjectsOnlyUntilTheEventEnds)
{
    auto shim = PWXLibraryRegistryShim::shim();
    std::weak_ptr<PWStyle> weak;
    {
        pf::Ref<PWStyle> style = namedStyle("Passing");
        weak = style;
        shim->addObject(style, "key", {}, false);
    }
    EXPECT_FALSE(weak.expired());
    EXPECT_TRUE(quillory::test::waitUntil([&] { return weak.expired(); }));
    EXPECT_EQ(PWXLibraryRegistryShim::keptObjectCount(), 0);
}

TEST_F(LibraryOperations, GroupsListInTheirOrderAndPeerGroupsOnlyWithLibraries)
{
    PWXLibrary::initializeRegistry();
    PWXLibraryGroup::registerGroup(std::make_shared<PWXLibraryGroup>("EMPTY PEERS"));
    pf::Ref<PWXLibrary> peer = makeLibrary("Peer");
    PWXLibrary::addLibraryToGroup(peer, "SURVEY TEAM", false);
    QStringList names;
    for (const auto& entry : PWXLibraryGroup::flattenedListOfGroupsAndLibraries())
        names.append(entry->name());
    const QString userLibrary = PWXLibrary::defaultUserLibrary()->name();
    EXPECT_EQ(names, (QStringList{"VINTREL LIBRARY", "MY LIBRARY", userLibrary, "OPEN DOCUMENTS", "SURVEY TEAM", "Peer"}));
    EXPECT_EQ(PWXLibraryGroup::libraryOrGroupWithUnifiedIndex(5), peer);
    EXPECT_FALSE(PWXLibraryGroup::libraryOrGroupWithUnifiedIndex(6));
    pf::Ref<PWXLibraryGroup> user = PWXLibraryGroup::userGroup();
    EXPECT_EQ(user->libraryWithName(userLibrary.toUpper()), PWXLibrary::defaultUserLibrary());
    EXPECT_EQ(user->uniqueLibraryName(userLibrary), userLibrary + " 1");
    EXPECT_EQ(user->uniqueLibraryName("Unused"), "Unused");
}
