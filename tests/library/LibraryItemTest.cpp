#include "LibraryTestSupport.h"

#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryObjectProtocol.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Pasteboard.h"
#include "tests/support/TestSupport.h"

#include <QFileInfo>

using namespace library_test;

namespace {

class LibraryItem : public LibraryTest {
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        PWXLibraryItem::clearIconCache();
    }
};

// Every dictionary key anywhere in a keyed archive.
QStringList archiveKeys(const QVariant& value)
{
    QStringList keys;
    if (value.typeId() == QMetaType::QVariantMap) {
        const QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it) {
            keys.append(it.key());
            keys.append(archiveKeys(it.value()));
        }
    } else if (value.typeId() == QMetaType::QVariantList) {
        for (const QVariant& entry : value.toList())
            keys.append(archiveKeys(entry));
    }
    return keys;
}

QVariantMap infoOnDisk(const PWXLibraryItem& item)
{
    return pf::PropertyList::read(QDir(item.path()).filePath("__info")).toMap();
}

} // namespace

TEST_F(LibraryItem, PackagesAndArchivesUseTheirOwnKeys)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Keys");
    pf::Ref<PWXLibraryItem> master = addObject(*library, namedMaster("Buoy"));
    const QVariantMap info = infoOnDisk(*master);
    for (const char* key : {"name", "id", "locked", "autodetach", "last_mod_date", "user_description", "original_size",
                            "creation_date", "created_by"})
        EXPECT_TRUE(info.contains(key)) << key;
    EXPECT_TRUE(info.value("original_size").toString().startsWith("{"));
    EXPECT_EQ(master->originalSize(),
              std::dynamic_pointer_cast<PWXSymbolMaster>(master->representedObject())->objectSize());
    for (const char* member : {"__data", "__info", "QuickLook/Thumbnail.jpg", "QuickLook/Preview.pdf"})
        EXPECT_TRUE(QFileInfo::exists(QDir(master->path()).filePath(member))) << member;
    EXPECT_EQ(master->elementInfo(), (QVariantMap{{"name", "Buoy"}, {"id", master->uniqueKey()}, {"cc", 2}}));

    const QStringList itemKeys = archiveKeys(pf::PropertyList::value(master->pasteboardData()));
    for (const char* key : {"PWXLibItem_library", "PWXLibItem_name", "PWXLibItem_uniqueID", "PWXLibItem_classcode",
                            "PWXLibItem_Info", "PWXLibItem_object", "PWXLibrary_path", "PWXLibrary_name",
                            "PWXLibrary_inFactory", "PWXLibrary_onDisk"})
        EXPECT_TRUE(itemKeys.contains(key)) << key;
}

TEST_F(LibraryItem, ItemsOnThePasteboardComeBackAsTheLibrarysOwnWithoutTouchingTheDisk)
{
    PWXLibrary::initializeRegistry();
    pf::Ref<PWXLibrary> library = PWXLibrary::userLibraryWithPreferredName("Board");
    pf::Ref<PWXLibraryItem> style = addObject(*library, namedStyle("Kerb"));
    pf::Ref<PWXLibraryItem> master = addObject(*library, namedMaster("Post"));
    const QByteArray packageBefore = fileBytes(QDir(master->path()).filePath("__data"));
    const QDateTime writtenBefore = QFileInfo(QDir(master->path()).filePath("__info")).lastModified();
    const QStringList foldersBefore = QDir(PWXLibrary::userLibraryFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    pf::Ref<pf::Pasteboard> board = pf::Pasteboard::withName("library-items-test");
    ASSERT_TRUE(PWXLibraryItem::writeLibraryItems({style, master}, board.get()));
    // The type and the dictionary keys other programs' data is read by.
    const QByteArray onBoard = board->dataForType("PWXLIBITEM_PB_TYPE");
    ASSERT_FALSE(onBoard.isEmpty());
    const QStringList boardKeys = archiveKeys(pf::PropertyList::value(onBoard));
    for (const char* key : {"sourceLib", "count", "items"})
        EXPECT_TRUE(boardKeys.contains(key)) << key;
    const auto read = PWXLibraryItem::libraryItemsFromPasteboard(board.get());
    ASSERT_TRUE(read);
    EXPECT_TRUE(*read == (QList<pf::Ref<PWXLibraryItem>>{style, master}));
    EXPECT_EQ(PWXLibraryItem::sourceLibraryOnPasteboard(board.get()), library);
    // Decoding wrote no package and made no folder.
    EXPECT_EQ(fileBytes(QDir(master->path()).filePath("__data")), packageBefore);
    EXPECT_EQ(QFileInfo(QDir(master->path()).filePath("__info")).lastModified(), writtenBefore);
    EXPECT_EQ(QDir(PWXLibrary::userLibraryFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), foldersBefore);

    // An item whose library is gone comes back as a decoded item of its own, still whole.
    const QByteArray data = master->pasteboardData();
    library->removeItem(master);
    pf::Ref<PWXLibraryItem> loose = PWXLibraryItem::itemWithPasteboardData(data);
    ASSERT_TRUE(loose);
    EXPECT_NE(loose, master);
    EXPECT_EQ(loose->uniqueKey(), master->uniqueKey());
    EXPECT_EQ(loose->classCode(), 2);
    EXPECT_TRUE(std::dynamic_pointer_cast<PWXSymbolMaster>(loose->representedObject()));
    EXPECT_FALSE(QFileInfo::exists(loose->path()));

    pf::Ref<pf::Pasteboard> empty = pf::Pasteboard::withName("library-items-empty");
    empty->clearContents();
    EXPECT_FALSE(PWXLibraryItem::libraryItemsFromPasteboard(empty.get()));
    EXPECT_FALSE(PWXLibraryItem::writeLibraryItems({}, empty.get()));
}

TEST_F(LibraryItem, ADescriptionSetOnAnUnloadedOrLockedItemReachesItsPackage)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Notes");
    pf::Ref<PWXLibraryItem> unloaded = addObject(*library, namedStyle("Unloaded"));
    pf::Ref<PWXLibraryItem> locked = addObject(*library, namedStyle("Locked"));
    ASSERT_TRUE(unloaded->unload());
    unloaded->setUserDescription("kept while unloaded");
    std::dynamic_pointer_cast<PWStyle>(locked->representedObject())->setLocked(true);
    locked->setUserDescription("kept while locked");
    EXPECT_EQ(infoOnDisk(*unloaded).value("user_description").toString(), "kept while unloaded");
    EXPECT_EQ(infoOnDisk(*locked).value("user_description").toString(), "kept while locked");
    // And after a new run reads the collection again.
    const QString path = library->path();
    library.reset();
    pf::Ref<PWXLibrary> reread = PWXLibrary::libraryWithPath(path, false);
    EXPECT_EQ(reread->itemWithName("Unloaded")->userDescription(), "kept while unloaded");
    EXPECT_EQ(reread->itemWithName("Locked")->userDescription(), "kept while locked");
}

TEST_F(LibraryItem, PreviewsLoadOnTheQueueAndArriveOnTheMainThread)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Previews");
    addObject(*library, namedMaster("Mast"));
    addObject(*library, namedStyle("Hatch"));
    const QString path = library->path();
    library.reset();
    PWXLibraryItem::clearIconCache();
    pf::Ref<PWXLibrary> reread = PWXLibrary::libraryWithPath(path, false);
    pf::Ref<PWXLibraryItem> mast = reread->itemWithName("Mast");
    ASSERT_TRUE(mast && !mast->hasObject());
    bool onMainThread = false;
    int arrivals = 0;
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
        kPWXLibraryObjectImageUpdated, mast.get(), [&](const pf::Notification&) {
            onMainThread = pf::RunLoop::isMainThread();
            ++arrivals;
        });
    EXPECT_TRUE(mast->previewImage().isNull()); // nothing yet: it is on its way
    EXPECT_TRUE(mast->isLoadingPreview());
    EXPECT_TRUE(mast->previewImage().isNull()); // a second request starts nothing
    ASSERT_TRUE(quillory::test::waitUntil([&] { return arrivals > 0; }, 30000));
    pf::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(arrivals, 1);
    EXPECT_TRUE(onMainThread);
    EXPECT_FALSE(mast->isLoadingPreview());
    EXPECT_FALSE(mast->previewImage().isNull());
    EXPECT_FALSE(mast->hasObject()); // the package's preview was enough

    // A preview file holding no image is made again from the object.
    pf::Ref<PWXLibraryItem> hatch = reread->itemWithName("Hatch");
    QFile broken(QDir(hatch->path()).filePath("QuickLook/Preview.pdf"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("no image here");
    broken.close();
    PWXLibraryItem::setLoadsImagesUsingThread(false);
    EXPECT_FALSE(hatch->previewImage().isNull());
    PWXLibraryItem::setLoadsImagesUsingThread(true);
}

TEST_F(LibraryItem, AnItemAskedForAPreviewBeforeItHasAPackageCanAskAgainLater)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Early");
    pf::Ref<PWXLibraryItem> item = PWXLibraryItem::itemWithName("Later", library.get());
    EXPECT_TRUE(item->previewImage().isNull());
    EXPECT_FALSE(item->isLoadingPreview());
}

TEST_F(LibraryItem, CopiesAreNamedAfterTheirSource)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Copies");
    pf::Ref<PWXLibraryItem> item = addObject(*library, namedStyle("Fence"));
    pf::Ref<PWXLibraryItem> copy = item->copyItem();
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->uniqueKey(), item->uniqueKey());
    EXPECT_EQ(copy->name(), "Fence (cloned from Copies)");
    EXPECT_FALSE(copy->library());
    EXPECT_EQ(std::dynamic_pointer_cast<PWXLibraryItem>(copy->copy())->name(), "Fence (cloned from Copies) (cloned)");
}

TEST_F(LibraryItem, UnknownKeysGoToTheObjectOrNowhere)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Keys2");
    pf::Ref<PWXLibraryItem> item = addObject(*library, namedStyle("Path"));
    auto style = std::dynamic_pointer_cast<PWStyle>(item->representedObject());
    EXPECT_NO_THROW(item->setValueForKey(QVariant(0.5), "opacity"));
    EXPECT_DOUBLE_EQ(style->opacity(), 0.5);
    EXPECT_NO_THROW(item->setValueForKey(QVariant(3), "noSuchKeyAnywhere"));
}

TEST_F(LibraryItem, ALibraryReferenceThatFindsNoLibraryStaysABareOne)
{
    pf::Ref<PWXLibrary> stray = makeLibrary("Nowhere"); // never registered
    const QByteArray data = pf::KeyedArchiver::archivedData(stray);
    const QStringList before = QDir(PWXLibrary::userLibraryFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWXLibrary>(data);
    ASSERT_TRUE(decoded);
    EXPECT_NE(decoded, stray);
    EXPECT_EQ(decoded->name(), "Nowhere");
    EXPECT_TRUE(decoded->categories().isEmpty());
    // Nothing is written, even when asked to take an item.
    decoded->addItem(PWXLibraryItem::itemWithLibraryObject(namedStyle("Dropped")));
    EXPECT_EQ(decoded->itemCount(), 0);
    EXPECT_FALSE(decoded->updateOnDisk());
    EXPECT_EQ(QDir(PWXLibrary::userLibraryFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}
