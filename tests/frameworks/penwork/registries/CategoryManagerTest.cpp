#include "frameworks/penwork/archiving/PWErrors.h"
#include "frameworks/penwork/drawables/PWImageDataManager.h"
#include "frameworks/penwork/registries/PWCategoryManager.h"
#include "frameworks/penwork/registries/PWStyleHistory.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <gtest/gtest.h>

// A manager as the program's symbol manager makes one: its own categories after the default
// ones, objects keyed by name, and a field of its own archived before the manager's.
class TestCategoryManager : public PWCategoryManager {
    PF_CLASS(TestCategoryManager)
public:
    QString categoryManagerKeyForObject(const pf::Ref<pf::Object>& object) const override
    {
        return QStringLiteral("key-") + nameOfObject(object);
    }
    QStringList defaultCategories() const override
    {
        return PWCategoryManager::defaultCategories() << QStringLiteral("User Items") << QStringLiteral("Automatic");
    }
    void encodeWithCoder(pf::KeyedArchiver& coder) const override
    {
        coder.encodeString(label, QStringLiteral("test_label"));
        PWCategoryManager::encodeWithCoder(coder);
    }
    void initWithCoder(pf::KeyedUnarchiver& coder) override
    {
        label = coder.decodeString(QStringLiteral("test_label"));
        PWCategoryManager::initWithCoder(coder);
    }
    QString label;
};

PF_DEFINE_CLASS(TestCategoryManager, PWCategoryManager)
{
    b.protocol(pf::kCodingProtocol);
}

namespace {

pf::Ref<PWStyle> namedStyle(const QString& name)
{
    auto style = std::make_shared<PWStyle>();
    style->setName(name);
    return style;
}

// A manager holding: R1 in Reds, B1 in Blues, R2 in Reds and Blues, an empty category "Greens",
// with R2 then B1 used recently (list 1).
struct Filled {
    pf::Ref<PWCategoryManager> manager = std::make_shared<PWCategoryManager>();
    pf::Ref<PWStyle> r1 = namedStyle("Red 10"), b1 = namedStyle("Blue"), r2 = namedStyle("Red 2");
    Filled()
    {
        manager->addObject(r1, "r1", {"Reds"}, true);
        manager->addObject(b1, "b1", {"Blues"}, true);
        manager->addObject(r2, "r2", {"Reds", "Blues"}, true);
        manager->addCategory("Greens");
        manager->addKeyToRecentList("b1", 1);
        manager->addKeyToRecentList("r2", 1);
    }
};

TEST(RegistriesCategoryManager, ObjectsAreFiledInTheDefaultAndTheirCategories)
{
    Filled f;
    auto& m = *f.manager;
    EXPECT_EQ(m.categories(), QStringList({kPWDefaultCategoryName, "Reds", "Blues", "Greens"}));
    EXPECT_EQ(m.allKeysInCategory(kPWDefaultCategoryName), QStringList({"r1", "b1", "r2"}));
    EXPECT_EQ(m.allKeysInCategory("Reds"), QStringList({"r1", "r2"}));
    EXPECT_EQ(m.objectForKey("b1"), f.b1);
    // Each object once, in the order of the categories asked for.
    EXPECT_EQ(m.objectsInCategories({"Blues", "Reds", "Nowhere"}),
              (QList<pf::Ref<pf::Object>>{f.b1, f.r2, f.r1}));

    // A missing category is made only when asked.
    auto extra = namedStyle("X");
    EXPECT_TRUE(m.addObject(extra, "x", {"Unknown"}, false));
    EXPECT_FALSE(m.hasCategory("Unknown"));
    EXPECT_EQ(m.allKeysInCategory(kPWDefaultCategoryName).last(), "x");
    EXPECT_FALSE(m.addObject(nullptr, "y", {}, true));
    EXPECT_FALSE(m.addObject(extra, "", {}, true));

    // Removal takes the key out of every category and recent list.
    m.removeObjectForKey("r2");
    EXPECT_FALSE(m.containsKey("r2"));
    EXPECT_EQ(m.allKeysInCategory("Blues"), QStringList({"b1"}));
    EXPECT_EQ(m.keysInRecentList(1), QStringList({"b1"}));

    // The default category stays; removing another keeps its objects stored.
    EXPECT_FALSE(m.removeCategory(kPWDefaultCategoryName));
    EXPECT_TRUE(m.removeCategory("Reds"));
    EXPECT_TRUE(m.containsKey("r1"));
    EXPECT_FALSE(m.addCategory("Blues"));

    m.removeAllCategories();
    EXPECT_EQ(m.count(), 0);
    EXPECT_TRUE(m.categories().isEmpty());
    EXPECT_TRUE(m.keysInRecentList(1).isEmpty());
    m.addDefaultCategories();
    EXPECT_EQ(m.categories(), QStringList({kPWDefaultCategoryName}));
}

TEST(RegistriesCategoryManager, SubclassHooksGiveKeysAndDefaultCategories)
{
    auto manager = std::make_shared<TestCategoryManager>();
    EXPECT_EQ(manager->categories(), QStringList({kPWDefaultCategoryName, "User Items", "Automatic"}));
    auto tree = namedStyle("Tree");
    ASSERT_TRUE(manager->addObject(tree, {"User Items"}, false));
    EXPECT_EQ(manager->objectForKey("key-Tree"), tree);
    EXPECT_EQ(manager->allKeysInCategory("User Items"), QStringList({"key-Tree"}));
    manager->removeObject(tree);
    EXPECT_EQ(manager->count(), 0);

    manager->removeAllCategories();
    manager->addDefaultCategories();
    EXPECT_EQ(manager->categories(), QStringList({kPWDefaultCategoryName, "User Items", "Automatic"}));
}

TEST(RegistriesCategoryManager, RecentListsAreBoundedMostRecentFirst)
{
    PWCategoryManager m;
    for (const char* key : {"a", "b", "c", "d"})
        m.addObject(namedStyle(key), key, {}, false);
    m.setRecentListLength(3);
    for (const char* key : {"a", "b", "c", "d", "b"})
        EXPECT_TRUE(m.addKeyToRecentList(key, 1));
    EXPECT_EQ(m.keysInRecentList(1), QStringList({"b", "d", "c"}));
    EXPECT_TRUE(m.keysInRecentList(2).isEmpty());

    EXPECT_FALSE(m.addKeyToRecentList("unknown", 1));
    EXPECT_FALSE(m.addKeyToRecentList("a", -1));
    EXPECT_FALSE(m.addKeyToRecentList("a", PWCategoryManager::kMaxRecentListNumber + 1));

    m.setRecentListLength(1);
    EXPECT_EQ(m.keysInRecentList(1), QStringList({"b"}));
    m.setRecentListLength(0);
    EXPECT_EQ(m.recentListLength(), 1);
}

TEST(RegistriesCategoryManager, ChangesPostNotificationsOfTheirKind)
{
    PWCategoryManager m;
    QStringList kinds;
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
        kPWCategoryManagerDidChangeNotification, &m,
        [&](const pf::Notification& n) { kinds.append(n.userInfo.value(kPWCategoryManagerChangeKindKey).toString()); });
    m.addObject(namedStyle("a"), "a", {"New"}, true);
    m.addKeyToRecentList("a", 0);
    m.addCategory("Other");
    m.removeObjectForKey("a");
    m.removeObjectForKey("a"); // nothing left to remove: no notification
    pf::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(kinds, QStringList({kPWCategoryManagerCategoriesChanged, kPWCategoryManagerObjectsChanged,
                                  kPWCategoryManagerRecentListChanged, kPWCategoryManagerCategoriesChanged,
                                  kPWCategoryManagerObjectsChanged}));
}

TEST(RegistriesCategoryManager, DataRoundTripsAndMergesIntoExistingContents)
{
    Filled f;
    pf::Error error;
    const QByteArray data = f.manager->data(&error);
    ASSERT_FALSE(data.isEmpty()) << error.description().toStdString();

    PWCategoryManager other;
    auto mine = namedStyle("Mine");
    other.addObject(mine, "b1", {"Mine"}, true); // same key as one in the data: kept
    ASSERT_TRUE(other.appendContentsWithData(data, &error)) << error.description().toStdString();
    EXPECT_EQ(other.categories(), QStringList({kPWDefaultCategoryName, "Mine", "Reds", "Blues", "Greens"}));
    EXPECT_EQ(other.allKeysInCategory(kPWDefaultCategoryName), QStringList({"b1", "r1", "r2"}));
    EXPECT_EQ(other.allKeysInCategory("Blues"), QStringList({"b1", "r2"}));
    EXPECT_EQ(other.objectForKey("b1"), mine);
    auto red = std::dynamic_pointer_cast<PWStyle>(other.objectForKey("r2"));
    ASSERT_TRUE(red);
    EXPECT_EQ(red->name(), "Red 2");
    EXPECT_EQ(red->uniqueKey(), f.r2->uniqueKey());
    EXPECT_EQ(other.keysInRecentList(1), QStringList({"r2", "b1"}));
}

TEST(RegistriesCategoryManager, DamagedDataIsRefusedAndChangesNothing)
{
    Filled f;
    const QByteArray good = f.manager->data();
    // Contents laid out wrongly: a category whose keys are not a list of strings.
    pf::KeyedArchiver badCategory;
    badCategory.encodeBool(true, "pw_categoryManager_contents");
    badCategory.encodePropertyListValue(QVariantMap{{"a", pf::toVariant(namedStyle("a"))}},
                                        "pw_categoryManager_objects");
    badCategory.encodePropertyListValue(QVariantList{QVariantMap{{"name", "C"}, {"keys", 5}}},
                                        "pw_categoryManager_categories");
    // An object entry that is not an object.
    pf::KeyedArchiver badObject;
    badObject.encodeBool(true, "pw_categoryManager_contents");
    badObject.encodePropertyListValue(QVariantMap{{"a", "text"}}, "pw_categoryManager_objects");
    badObject.encodePropertyListValue(QVariantList{}, "pw_categoryManager_categories");
    // A recent list numbered out of range.
    pf::KeyedArchiver badRecent;
    badRecent.encodeBool(true, "pw_categoryManager_contents");
    badRecent.encodePropertyListValue(QVariantMap{}, "pw_categoryManager_objects");
    badRecent.encodePropertyListValue(QVariantList{}, "pw_categoryManager_categories");
    badRecent.encodePropertyListValue(QVariantMap{{"99999", QStringList{}}}, "pw_categoryManager_recentLists");

    const struct {
        const char* name;
        QByteArray data;
    } cases[] = {
        {"empty", QByteArray()},
        {"not an archive", QByteArray("certainly not a property list")},
        {"cut short", good.left(good.size() / 2)},
        {"another archive", pf::KeyedArchiver::archivedData(namedStyle("lone"))},
        {"category keys not a list", badCategory.encodedData()},
        {"object entry not an object", badObject.encodedData()},
        {"recent list out of range", badRecent.encodedData()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Filled target;
        pf::Error error;
        EXPECT_FALSE(target.manager->appendContentsWithData(c.data, &error));
        EXPECT_EQ(error.domain(), kPWErrorDomain);
        EXPECT_EQ(error.code(), kPWErrorCategoryDataUnreadable);
        EXPECT_FALSE(error.localizedDescription().isEmpty());
        EXPECT_EQ(target.manager->count(), 3);
        EXPECT_EQ(target.manager->categories(), QStringList({kPWDefaultCategoryName, "Reds", "Blues", "Greens"}));
        EXPECT_EQ(target.manager->keysInRecentList(1), QStringList({"r2", "b1"}));
    }
}

TEST(RegistriesCategoryManager, ContentsThatCannotBeArchivedGiveAnError)
{
    PWCategoryManager m;
    m.addObject(std::make_shared<PWStyleHistory>(), "history", {}, false);
    pf::Error error;
    EXPECT_TRUE(m.data(&error).isEmpty());
    EXPECT_EQ(error.code(), kPWErrorCategoryDataUnwritable);
}

TEST(RegistriesCategoryManager, ArchivingKeepsTheSubclassKeysAndTheManagersFields)
{
    auto manager = std::make_shared<TestCategoryManager>();
    manager->label = "symbols";
    auto images = std::make_shared<PWImageDataManager>();
    images->addImageData("picture bytes");
    manager->setImageManager(images);
    manager->setRecentListLength(4);
    manager->addObject(namedStyle("Tree"), {"User Items"}, false);
    manager->addKeyToRecentList("key-Tree", 1);

    pf::Error error;
    const QByteArray data = pf::KeyedArchiver::archivedData(manager, pf::PropertyListFormat::Binary, &error);
    auto read = pf::KeyedUnarchiver::unarchiveObjectOfClass<TestCategoryManager>(data, &error);
    ASSERT_TRUE(read) << error.description().toStdString();
    EXPECT_EQ(read->label, "symbols");
    EXPECT_EQ(read->categories(), manager->categories());
    EXPECT_EQ(read->allKeysInCategory("User Items"), QStringList({"key-Tree"}));
    EXPECT_EQ(read->keysInRecentList(1), QStringList({"key-Tree"}));
    EXPECT_EQ(read->recentListLength(), 4);
    ASSERT_TRUE(read->imageManager());
    EXPECT_TRUE(read->imageManager()->hasImageDataForKey(PWImageDataManager::keyForImageData("picture bytes")));
}

// Records the delegate calls.
struct ItemRecorder : PWCategoryMenuItemDelegate {
    struct Call {
        QString title;
        pf::Object* object;
        QString category;
    };
    void menuItemWasAddedForObject(pf::MenuItem& item, const pf::Ref<pf::Object>& object,
                                   const QString& category) override
    {
        calls.append({item.title(), object.get(), category});
        if (!object->isKindOf<PWStyle>())
            item.setTitle("Symbol");
    }
    QList<Call> calls;
};

QStringList titles(const pf::Menu& menu)
{
    QStringList out;
    for (const auto& item : menu.items())
        out.append(item->title());
    return out;
}

TEST(RegistriesCategoryManager, MenuListsCategoriesRecentItemsAndTheRoot)
{
    Filled f;
    ItemRecorder recorder;
    auto target = std::make_shared<PWStyleHistory>();
    const unsigned options = kPWCategoryMenuRootItem | kPWCategoryMenuCategorySubmenus | kPWCategoryMenuRecentItems |
                             kPWCategoryMenuSortByName;
    ASSERT_EQ(options, 23u);
    auto menu = f.manager->createMenuWithItemDelegate(&recorder, target.get(), "useItem:", options);

    // The empty category is left out.
    EXPECT_EQ(titles(*menu), QStringList({"Symbol", "Recently Used", kPWDefaultCategoryName, "Reds", "Blues"}));
    pf::Menu* reds = menu->itemAtIndex(3)->submenu();
    ASSERT_TRUE(reds);
    EXPECT_EQ(titles(*reds), QStringList({"Red 2", "Red 10"})); // numbers by value
    EXPECT_EQ(titles(*menu->itemAtIndex(1)->submenu()), QStringList({"Red 2", "Blue"}));
    pf::MenuItem* item = reds->itemAtIndex(0);
    EXPECT_EQ(item->action(), "useItem:");
    EXPECT_EQ(item->target(), target.get());
    EXPECT_EQ(pf::objectFromVariant(item->representedObject()), f.r2);

    ASSERT_EQ(recorder.calls.size(), 1 + 2 + 3 + 2 + 2);
    EXPECT_EQ(recorder.calls[0].object, f.manager.get());
    EXPECT_TRUE(recorder.calls[0].category.isEmpty());
    EXPECT_EQ(recorder.calls[1].category, "Recently Used");
    EXPECT_EQ(recorder.calls[6].title, "Red 2");
    EXPECT_EQ(recorder.calls[6].object, f.r2.get());
    EXPECT_EQ(recorder.calls[6].category, "Reds");

    // No options: every object in a flat list, in filing order; empty categories on request.
    EXPECT_EQ(titles(*f.manager->createMenuWithItemDelegate(nullptr, nullptr, "useItem:", 0)),
              QStringList({"Red 10", "Blue", "Red 2"}));
    auto withEmpty = f.manager->createMenuWithItemDelegate(
        nullptr, nullptr, "useItem:", kPWCategoryMenuCategorySubmenus | kPWCategoryMenuEmptyCategories);
    EXPECT_EQ(titles(*withEmpty), QStringList({kPWDefaultCategoryName, "Reds", "Blues", "Greens"}));
    EXPECT_FALSE(withEmpty->itemAtIndex(3)->isEnabled());
}

} // namespace
