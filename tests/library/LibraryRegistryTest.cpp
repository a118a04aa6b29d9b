#include "LibraryTestSupport.h"

#include "drawing/PWStyle+CartavelExtensions.h"
#include "library/PWXLibraryRegistryShim.h"

#include <QFileInfo>

#include <thread>

using namespace library_test;

namespace {

class LibraryRegistry : public LibraryTest {};

// A user library of the registry holding `objects`.
pf::Ref<PWXLibrary> userLibrary(const QString& name, const QList<pf::Ref<pf::Object>>& objects)
{
    pf::Ref<PWXLibrary> library =
        PWXLibrary::libraryWithPath(QDir(PWXLibrary::userLibraryFolder()).filePath(name), true);
    for (const pf::Ref<pf::Object>& object : objects)
        library->addItem(PWXLibraryItem::itemWithLibraryObject(object));
    PWXLibrary::addLibraryToGroup(library, PWXLibraryGroup::kUserGroupName, false);
    return library;
}

} // namespace

TEST_F(LibraryRegistry, FirstUseLoadsTheUserLibrariesAndMakesTheDefaultOne)
{
    pf::Ref<PWStyle> style = namedStyle("Saved");
    {
        pf::Ref<PWXLibrary> onDisk = makeLibrary("Zeta");
        addObject(*onDisk, style);
    }
    PWXLibrary::initializeRegistry();
    const QList<pf::Ref<PWXLibrary>> users = PWXLibrary::librariesInGroup(PWXLibraryGroup::kUserGroupName);
    ASSERT_EQ(users.size(), 2);
    pf::Ref<PWXLibrary> fallback = PWXLibrary::defaultUserLibrary();
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->name(), PWXLibrary::defaultUserLibraryName());
    EXPECT_TRUE(fallback->name().endsWith(" Collection"));
    EXPECT_EQ(pf::UserDefaults::standard().stringForKey(PWXLibrary::kDefaultUserLibraryNameDefault), fallback->name());
    EXPECT_EQ(PWXLibrary::libraryContainingItemWithUniqueID(style->uniqueKey())->name(), "Zeta");
    EXPECT_EQ(PWXLibrary::libraryExtension(), "symlibrary");
}

TEST_F(LibraryRegistry, ContainingLibrarySearchesGroupsInOrderAndLibrariesByName)
{
    pf::Ref<PWStyle> shared = namedStyle("Shared");
    pf::Ref<PWXLibrary> beta = userLibrary("Beta", {shared});
    pf::Ref<PWXLibrary> alpha = userLibrary("Alpha", {shared});
    // A document library holding the same key (no user library is consulted when it is made
    // from an unknown style, so it is added afterwards).
    pf::Ref<PWXLibrary> document = PWXLibrary::documentLibraryWithName("Plan.qlry", {}, false);
    ASSERT_TRUE(document);
    document->addItem(PWXLibraryItem::itemWithLibraryObject(shared), false);
    ASSERT_TRUE(document->containsUniqueID(shared->uniqueKey()));

    EXPECT_EQ(PWXLibrary::libraryContainingItemWithUniqueID(shared->uniqueKey()), alpha);
    EXPECT_EQ(PWXLibrary::libraryContainingItemWithUniqueID(shared->uniqueKey(), {PWXLibraryGroup::kDocumentsGroupName}),
              document);
    EXPECT_FALSE(PWXLibrary::libraryContainingItemWithUniqueID("no-such-key"));
    EXPECT_FALSE(PWXLibrary::libraryContainingItemWithUniqueID(QString()));
}

TEST_F(LibraryRegistry, WorkerThreadsNeverReachTheLibraries)
{
    pf::Ref<PWStyle> style = namedStyle("Main only");
    userLibrary("Main", {style});
    ASSERT_TRUE(PWXLibrary::libraryContainingItemWithUniqueID(style->uniqueKey()));
    pf::Ref<PWXLibrary> found;
    pf::Ref<PWStyle> viaShim;
    bool contains = true;
    std::thread worker([&] {
        found = PWXLibrary::libraryContainingItemWithUniqueID(style->uniqueKey());
        pf::Ref<PWXLibraryRegistryShim> shim = PWXLibraryRegistryShim::shim();
        viaShim = shim->styleForKey(style->uniqueKey());
        contains = shim->containsKey(style->uniqueKey());
    });
    worker.join();
    EXPECT_FALSE(found);
    EXPECT_FALSE(viaShim);
    EXPECT_FALSE(contains);
}

TEST_F(LibraryRegistry, ShimLooksUpStylesAndMastersButCountsOnlyUserAndFactoryKeys)
{
    pf::Ref<PWStyle> style = namedStyle("Kept");
    pf::Ref<PWXSymbolMaster> master = namedMaster("Tree");
    userLibrary("Shelf", {style, master});
    pf::Ref<PWStyle> documentOnly = namedStyle("Only in a document");
    ASSERT_TRUE(PWXLibrary::documentLibraryWithName("Map", {documentOnly}, false));

    pf::Ref<PWXLibraryRegistryShim> shim = PWXLibraryRegistryShim::shim();
    EXPECT_EQ(shim->styleForKey(style->uniqueKey()), style);
    EXPECT_EQ(shim->symbolForKey(master->uniqueKey()), master);
    EXPECT_FALSE(shim->symbolForKey(style->uniqueKey()));
    EXPECT_FALSE(shim->styleForKey(master->uniqueKey()));
    EXPECT_EQ(shim->styleForKey(documentOnly->uniqueKey()), documentOnly);
    EXPECT_TRUE(shim->containsKey(style->uniqueKey()));
    EXPECT_FALSE(shim->containsKey(documentOnly->uniqueKey()));
    EXPECT_EQ(shim->uniqueNameForName("Tree"), "Tree");
    EXPECT_FALSE(shim->symbolWithName("Tree"));
    EXPECT_TRUE(shim->imageManager());
    EXPECT_EQ(shim->imageManager(), PWXLibraryRegistryShim::shim()->imageManager());
}

TEST_F(LibraryRegistry, RegisteringAStyleAddsALockedCopyToTheDefaultLibrary)
{
    pf::Ref<PWStyle> held = namedStyle("Held");
    userLibrary("Shelf", {held});
    pf::Ref<PWXLibraryRegistryShim> shim = PWXLibraryRegistryShim::shim();
    EXPECT_FALSE(shim->registerStyle(held));

    pf::Ref<PWStyle> fresh = namedStyle("Held");
    QVariantMap substitution;
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
        kPWXStyleSubstitutionWasPerformed, nullptr, [&](const pf::Notification& note) { substitution = note.userInfo; });
    auto item = std::dynamic_pointer_cast<PWXLibraryItem>(shim->registerStyle(fresh));
    pf::NotificationCenter::defaultCenter().removeObserver(token);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->library(), PWXLibrary::defaultUserLibrary().get());
    auto copy = std::dynamic_pointer_cast<PWStyle>(item->representedObject());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, fresh);
    EXPECT_TRUE(copy->locked());
    EXPECT_FALSE(fresh->locked());
    EXPECT_EQ(pf::objectCast<PWStyle>(substitution.value("old_style")), fresh);
    EXPECT_EQ(pf::objectCast<PWStyle>(substitution.value("new_style")), copy);
    EXPECT_TRUE(QFileInfo(item->path()).isDir());
    ASSERT_TRUE(PWXLibraryManagerWindowController::sharedLibraryManagerAvailable());
    EXPECT_EQ(PWXLibraryManagerWindowController::sharedLibraryManager()->selectedItemUniqueID(), item->uniqueKey());
}

TEST_F(LibraryRegistry, AStyleKnowsTheLibraryHoldingIt)
{
    pf::Ref<PWStyle> style = namedStyle("Loose");
    EXPECT_FALSE(PWStyleCartavelExtensions::library(*style));
    pf::Ref<PWXLibrary> shelf = userLibrary("Shelf", {style});
    EXPECT_EQ(PWStyleCartavelExtensions::library(*style), shelf);
}

TEST_F(LibraryRegistry, MatchingMapsKnownObjectsToTheLibrarysOwn)
{
    pf::Ref<PWStyle> style = namedStyle("Kept");
    userLibrary("Shelf", {style});
    // The same style read back from another archive: equal key, another object.
    pf::Ref<PWStyle> twin = std::dynamic_pointer_cast<PWStyle>(
        PWStyleCartavelExtensions::libraryObjectWithFileData(PWStyleCartavelExtensions::fileData(style)));
    ASSERT_TRUE(twin);
    ASSERT_EQ(twin->uniqueKey(), style->uniqueKey());
    ASSERT_NE(twin, style);
    pf::Ref<PWStyle> unknown = namedStyle("Unknown");
    const QList<pf::Ref<pf::Object>> matched = PWXLibrary::libraryItemsMatchingItemsInSet({twin, unknown});
    EXPECT_EQ(matched, (QList<pf::Ref<pf::Object>>{style, unknown}));
}

TEST_F(LibraryRegistry, DocumentLibrariesAreRemovedOnceAndDeletedOnlyWhenTemporary)
{
    for (bool temporary : {false, true}) {
        SCOPED_TRACE(temporary);
        PWXLibrary::setDocumentLibrariesAreTemporary(temporary);
        pf::Ref<PWXLibrary> library = PWXLibrary::documentLibraryWithName("Site.qlry", {namedStyle("Site")}, true);
        ASSERT_TRUE(library);
        const QString path = library->path();
        ASSERT_TRUE(QFileInfo(path).isDir());
        const int posts = countNotifications(kPWXDocumentLibraryWasAddedOrRemoved, [&] {
            PWXLibrary::removeDocumentLibrary(library);
            PWXLibrary::removeDocumentLibrary(library);
        });
        EXPECT_EQ(posts, 1);
        EXPECT_TRUE(PWXLibrary::librariesInGroup(PWXLibraryGroup::kDocumentsGroupName).isEmpty());
        EXPECT_EQ(QFileInfo(path).isDir(), !temporary);
        QDir(path).removeRecursively();
    }
}

TEST_F(LibraryRegistry, FactoryLibrariesCanBeMadeWritable)
{
    pf::Ref<PWXLibrary> factory = makeLibrary("Factory");
    factory->setAllowsContentChanges(false);
    PWXLibraryGroup::factoryGroup()->setLibraries({factory});
    PWXLibrary::setFactoryLibrariesWritable(true);
    EXPECT_TRUE(factory->allowsContentChanges());
    PWXLibrary::setFactoryLibrariesWritable(false);
    EXPECT_FALSE(factory->allowsContentChanges());
}
