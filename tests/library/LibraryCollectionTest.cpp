#include "LibraryTestSupport.h"

#include "library/PWXFixedLengthLibraryCategory.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibrarySmartCategory.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/TestSupport.h"

#include <QDateTime>
#include <QFileInfo>

using namespace library_test;

namespace {

class LibraryCollection : public LibraryTest {};

QVariantMap readPlist(const QString& path) { return pf::PropertyList::read(path).toMap(); }

QString categoryFile(const PWXLibrary& library)
{
    return QDir(library.path()).filePath(library.internalName() + ".categories");
}

QStringList namesOf(const QVariantList& infos)
{
    QStringList names;
    for (const QVariant& info : infos)
        names.append(info.toMap().value("name").toString());
    names.sort();
    return names;
}

// Copies a fixture collection into the user library folder.
QString installFixture(const QString& name)
{
    const QString target = QDir(PWXLibrary::userLibraryFolder()).filePath(name);
    QDir().mkpath(PWXLibrary::userLibraryFolder());
    EXPECT_TRUE(pf::FileManager::defaultManager().copyItem(quillory::test::fixturePath("library/" + name), target));
    return target;
}

} // namespace

TEST_F(LibraryCollection, NewLibraryMakesItsFolderAndAnEmptyCategoryFile)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Fresh");
    ASSERT_TRUE(library->hasPresenceOnDisk());
    EXPECT_TRUE(library->path().endsWith("/Fresh.symlibrary"));
    const QVariantMap info = readPlist(categoryFile(*library));
    EXPECT_EQ(info.value("checksum").toULongLong(), 0u);
    EXPECT_TRUE(info.value("allitems").toList().isEmpty());
    EXPECT_EQ(namesOf(info.value("categories").toList()),
              (QStringList{"All Clip Art", "All Styles", "Recently Added", "Recently Used"}));
    EXPECT_TRUE(fileBytes(categoryFile(*library)).startsWith("bplist00"));
}

TEST_F(LibraryCollection, CategoryFileKeepsEveryKeyAndReadsBack)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Roads");
    pf::Ref<PWStyle> style = namedStyle("Motorway");
    pf::Ref<PWXSymbolMaster> master = namedMaster("Church");
    pf::Ref<PWXLibraryItem> styleItem = addObject(*library, style);
    pf::Ref<PWXLibraryItem> masterItem = addObject(*library, master);
    pf::Ref<PWXLibraryCategory> user = library->addCategoryWithName("Mine");
    pf::Ref<PWXLibraryCategory> nested = user->addCategoryWithName("Minor");
    nested->addItem(styleItem);
    library->setUserDescription("Road styles");
    library->setCreator("Ann Example");
    auto smart = std::dynamic_pointer_cast<PWXLibrarySmartCategory>(library->categoryWithName("All Styles"));
    ASSERT_TRUE(smart);
    smart->setCountLimit(3);
    ASSERT_TRUE(library->updateOnDisk());

    const QVariantMap info = readPlist(categoryFile(*library));
    EXPECT_EQ(info.value("checksum").toULongLong(), 2u);
    EXPECT_EQ(info.value("libname").toString(), "Roads");
    EXPECT_EQ(info.value("display_name").toString(), "Roads");
    EXPECT_EQ(info.value("version").toLongLong(), 2);
    EXPECT_TRUE(info.value("contX").toBool());
    EXPECT_TRUE(info.value("catX").toBool());
    EXPECT_EQ(info.value("desc").toString(), "Road styles");
    EXPECT_EQ(info.value("creator").toString(), "Ann Example");
    EXPECT_TRUE(info.value("updated").toDateTime().isValid());
    EXPECT_FALSE(info.contains("peer_group"));
    QVariantMap styleEntry;
    for (const QVariant& entry : info.value("allitems").toList())
        if (entry.toMap().value("id") == style->uniqueKey())
            styleEntry = entry.toMap();
    EXPECT_EQ(styleEntry, (QVariantMap{{"name", "Motorway"}, {"id", style->uniqueKey()}, {"cc", 1}}));
    EXPECT_EQ(namesOf(info.value("categories").toList()),
              (QStringList{"All Clip Art", "All Styles", "Mine", "Recently Added", "Recently Used"}));

    // The package of each item holds its data and info.
    const QString package = QDir(library->path()).filePath("Church.libitem");
    const QVariantMap itemInfo = readPlist(QDir(package).filePath("__info"));
    EXPECT_EQ(itemInfo.value("id").toString(), master->uniqueKey());
    EXPECT_EQ(itemInfo.value("name").toString(), "Church");
    EXPECT_TRUE(itemInfo.contains("autodetach"));
    EXPECT_TRUE(itemInfo.value("creation_date").toDateTime().isValid());
    EXPECT_FALSE(fileBytes(QDir(package).filePath("__data")).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(QDir(package).filePath("QuickLook/Thumbnail.jpg")));

    // Read back as a new library object.
    const QString path = library->path();
    library.reset();
    pf::Ref<PWXLibrary> reread = PWXLibrary::libraryWithPath(path, false);
    EXPECT_EQ(reread->itemCount(), 2);
    EXPECT_EQ(reread->userDescription(), "Road styles");
    EXPECT_EQ(reread->creator(), "Ann Example");
    EXPECT_TRUE(reread->allowsContentChanges());
    pf::Ref<PWXLibraryItem> readStyleItem = reread->itemWithUniqueID(style->uniqueKey());
    ASSERT_TRUE(readStyleItem);
    EXPECT_EQ(readStyleItem->classCode(), 1);
    auto readStyle = std::dynamic_pointer_cast<PWStyle>(readStyleItem->representedObject());
    ASSERT_TRUE(readStyle);
    EXPECT_EQ(readStyle->name(), "Motorway");
    EXPECT_EQ(readStyle->uniqueKey(), style->uniqueKey());
    auto readMaster = std::dynamic_pointer_cast<PWXSymbolMaster>(
        reread->itemWithUniqueID(master->uniqueKey())->representedObject());
    ASSERT_TRUE(readMaster);
    EXPECT_EQ(readMaster->name(), "Church");
    pf::Ref<PWXLibraryCategory> readNested = reread->categoryWithName("Mine")->categoryWithName("Minor");
    ASSERT_TRUE(readNested);
    EXPECT_EQ(readNested->items(), QList<pf::Ref<PWXLibraryItem>>{readStyleItem});
    EXPECT_EQ(reread->allItemsCategory()->items().size(), 2);
    ASSERT_TRUE(reread->recentlyAddedCategory());
    EXPECT_EQ(reread->recentlyAddedCategory()->orderedItems().size(), 2);
    EXPECT_EQ(reread->recentlyAddedCategory()->orderedItems().first()->uniqueKey(), master->uniqueKey());
    auto readSmart = std::dynamic_pointer_cast<PWXLibrarySmartCategory>(reread->categoryWithName("All Styles"));
    ASSERT_TRUE(readSmart);
    EXPECT_EQ(readSmart->countLimit(), 3u);
    EXPECT_FALSE(readSmart->predicateEditable());
    EXPECT_EQ(readSmart->allElements(), QList<pf::Ref<PWXLibraryItem>>{readStyleItem});
}

TEST_F(LibraryCollection, RemovingAnItemDeletesItsPackageAndEveryFiling)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Parks");
    pf::Ref<PWXLibraryItem> item = addObject(*library, namedStyle("Grass"));
    library->addCategoryWithName("Green")->addCategoryWithName("Light")->addItem(item);
    const QString package = item->path();
    ASSERT_TRUE(QFileInfo(package).isDir());
    library->removeItem(item);
    EXPECT_FALSE(QFileInfo::exists(package));
    EXPECT_FALSE(library->containsUniqueID(item->uniqueKey()));
    EXPECT_TRUE(library->categoriesWithItem(item.get()).isEmpty());
}

TEST_F(LibraryCollection, HostileItemNamesStayInsideTheLibraryFolder)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Safe");
    pf::Ref<PWXLibraryItem> item = addObject(*library, namedStyle("../../Escape:me\\now"));
    EXPECT_EQ(item->name(), "..-..-Escape-me-now");
    EXPECT_EQ(QFileInfo(item->path()).dir().absolutePath(), QDir(library->path()).absolutePath());
    EXPECT_TRUE(QFileInfo(item->path()).isDir());
    // A category file naming a package outside the folder reaches nothing there.
    const QString outside = QDir(PWXLibrary::userLibraryFolder()).filePath("Outside.libitem");
    ASSERT_TRUE(pf::FileManager::defaultManager().copyItem(item->path(), outside));
    pf::Ref<PWXLibraryItem> hostile = PWXLibraryItem::itemWithInfo(
        {{"name", "../Outside"}, {"id", "some-other-key"}, {"cc", 1}}, library.get());
    EXPECT_FALSE(hostile);
}

TEST_F(LibraryCollection, HostileDocumentNamesStayInsideTheDocumentLibraryFolder)
{
    for (const QString& name : {QStringLiteral("../../Evil.qlry"), QStringLiteral(".."), QStringLiteral("a/b:c")}) {
        pf::Ref<PWXLibrary> library = PWXLibrary::documentLibraryWithName(name, {namedStyle("Odd")}, true);
        ASSERT_TRUE(library) << qPrintable(name);
        EXPECT_EQ(QFileInfo(library->path()).dir().absolutePath(), QDir(PWXLibrary::documentLibraryFolder()).absolutePath())
            << qPrintable(name);
        PWXLibrary::setDocumentLibrariesAreTemporary(true);
        PWXLibrary::removeDocumentLibrary(library);
        PWXLibrary::setDocumentLibrariesAreTemporary(false);
    }
    EXPECT_TRUE(QFileInfo(PWXLibrary::userLibraryFolder()).isDir());
}

// Damaged collections are refused and left byte for byte as they were.
TEST_F(LibraryCollection, DamagedCategoryFilesRefuseTheLibraryAndLoseNothing)
{
    struct Case {
        const char* fixture;
        const char* categoryFile;
    };
    for (const Case& c : {Case{"Garbled.symlibrary", "Garbled.categories"}, Case{"NotADictionary.symlibrary", "NotADictionary.categories"}}) {
        SCOPED_TRACE(c.fixture);
        reset();
        const QString folder = installFixture(c.fixture);
        const QString file = QDir(folder).filePath(c.categoryFile);
        const QByteArray before = fileBytes(file);
        ASSERT_FALSE(before.isEmpty());

        pf::Ref<PWXLibrary> library = PWXLibrary::libraryWithPath(folder, false);
        EXPECT_TRUE(library->isDamaged());
        addObject(*library, namedStyle("New"));
        EXPECT_EQ(library->itemCount(), 0);
        library->applicationWillQuit();
        EXPECT_FALSE(PWXLibrary::isValidLibraryAtPath(folder));

        // The registry leaves it out, and the default collection never takes its place.
        for (const pf::Ref<PWXLibrary>& listed : PWXLibrary::allLibraries())
            EXPECT_NE(listed->path(), library->path());
        PWXLibrary::applicationWillQuitAll();
        EXPECT_EQ(fileBytes(file), before);
        EXPECT_TRUE(QFileInfo(QDir(folder).filePath("Kept.libitem/__data")).exists());
    }
}

TEST_F(LibraryCollection, DamagedOrMissingItemsAreLeftOutOfAnotherwiseGoodLibrary)
{
    pf::Ref<PWXLibrary> made = makeLibrary("Mixed");
    pf::Ref<PWXLibraryItem> good = addObject(*made, namedStyle("Good"));
    const QString folder = made->path();
    const QString file = categoryFile(*made);
    made.reset();
    // A package whose data is no object, an entry without a package, and a category of a
    // class that is no library element.
    const QString broken = QDir(folder).filePath("Broken.libitem");
    QDir().mkpath(broken);
    QFile data(QDir(broken).filePath("__data"));
    ASSERT_TRUE(data.open(QIODevice::WriteOnly));
    data.write("not an archive");
    data.close();
    QVariantMap info = readPlist(file);
    QVariantList all = info.value("allitems").toList();
    all.append(QVariantMap{{"name", "Broken"}, {"id", "broken-key"}, {"cc", 1}});
    all.append(QVariantMap{{"name", "Missing"}, {"id", "missing-key"}, {"cc", 1}});
    info.insert("allitems", all);
    QVariantList categories = info.value("categories").toList();
    categories.append(QVariantMap{{"class", "PWXLibraryRegistryShim"}, {"name", "Hostile"}});
    info.insert("categories", categories);
    ASSERT_TRUE(pf::PropertyList::write(info, file, pf::PropertyListFormat::Binary));
    const QByteArray damagedData = fileBytes(QDir(broken).filePath("__data"));

    pf::Ref<PWXLibrary> library = PWXLibrary::libraryWithPath(folder, false);
    ASSERT_FALSE(library->isDamaged());
    EXPECT_EQ(library->itemCount(), 2);
    EXPECT_TRUE(library->itemWithUniqueID(good->uniqueKey())->representedObject());
    pf::Ref<PWXLibraryItem> brokenItem = library->itemWithUniqueID("broken-key");
    ASSERT_TRUE(brokenItem);
    EXPECT_FALSE(brokenItem->representedObject());
    EXPECT_FALSE(brokenItem->unload());
    EXPECT_FALSE(brokenItem->writeToFile());
    EXPECT_FALSE(library->itemWithUniqueID("missing-key"));
    EXPECT_FALSE(library->categoryNames().contains("Hostile"));
    library->applicationWillQuit();
    EXPECT_EQ(fileBytes(QDir(broken).filePath("__data")), damagedData);
}

TEST_F(LibraryCollection, RecentListsDropTheOldestAndRenewMovesToTheFront)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Recent");
    QList<pf::Ref<PWXLibraryItem>> items;
    for (int i = 0; i < 17; ++i)
        items.append(addObject(*library, namedStyle(QStringLiteral("S%1").arg(i))));
    pf::Ref<PWXFixedLengthLibraryCategory> added = library->recentlyAddedCategory();
    ASSERT_EQ(added->orderedItems().size(), 16);
    EXPECT_EQ(added->orderedItems().first(), items.last());
    EXPECT_FALSE(added->orderedItems().contains(items.first()));
    const int posts = countNotifications(kPWXLibraryCategoryContentDidChange, [&] { added->renewItem(items[5]); });
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(added->orderedItems().first(), items[5]);
    added->setMaximumLength(2);
    EXPECT_EQ(added->orderedItems(), (QList<pf::Ref<PWXLibraryItem>>{items[5], items[16]}));
}

TEST_F(LibraryCollection, SmartCategoriesFollowItemsAndKeepToTheirLimit)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Smart");
    auto styles = std::dynamic_pointer_cast<PWXLibrarySmartCategory>(library->categoryWithName("All Styles"));
    auto clipArt = std::dynamic_pointer_cast<PWXLibrarySmartCategory>(library->categoryWithName("All Clip Art"));
    ASSERT_TRUE(styles && clipArt);
    pf::Ref<PWXLibraryItem> first = addObject(*library, namedStyle("One"));
    EXPECT_EQ(styles->allElements().size(), 1);
    addObject(*library, namedMaster("Mast"));
    addObject(*library, namedStyle("Two"));
    addObject(*library, namedStyle("Three"));
    EXPECT_EQ(styles->allElements().size(), 3);
    EXPECT_EQ(clipArt->allElements().size(), 1);
    styles->setCountLimit(2);
    EXPECT_EQ(styles->allElements().size(), 2);
    styles->setCountLimit(0);
    library->removeItem(first);
    EXPECT_EQ(styles->allElements().size(), 2);
    EXPECT_FALSE(styles->allElements().contains(first));
    // Built-in predicates cannot be changed.
    styles->setPredicate(PWXLibraryPredicate::comparison("name", PWXLibraryPredicate::Operator::Contains, "T"));
    EXPECT_EQ(styles->allElements().size(), 2);
}

TEST_F(LibraryCollection, ItemsOfOneNameKeepPackagesOfTheirOwn)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Twins");
    pf::Ref<PWStyle> first = namedStyle("Twin", Qt::red);
    pf::Ref<PWStyle> second = namedStyle("Twin", Qt::blue);
    pf::Ref<PWXLibraryItem> firstItem = addObject(*library, first);
    pf::Ref<PWXLibraryItem> secondItem = addObject(*library, second);
    EXPECT_EQ(firstItem->name(), "Twin");
    EXPECT_EQ(secondItem->name(), "Twin-1");
    EXPECT_EQ(second->name(), "Twin");
    const QString path = library->path();
    library.reset();
    pf::Ref<PWXLibrary> reread = PWXLibrary::libraryWithPath(path, false);
    for (const pf::Ref<PWStyle>& style : {first, second}) {
        auto read = std::dynamic_pointer_cast<PWStyle>(reread->itemWithUniqueID(style->uniqueKey())->representedObject());
        ASSERT_TRUE(read);
        EXPECT_EQ(read->uniqueKey(), style->uniqueKey());
    }
}
