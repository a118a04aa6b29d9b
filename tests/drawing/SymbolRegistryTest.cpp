#include "SymbolsTestSupport.h"

#include "frameworks/penwork/registries/PWDefaultStyleRegistry.h"
#include "frameworks/penwork/registries/PWRegistryProvider.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

using namespace symbols_test;

namespace {

class SymbolRegistry : public SymbolsTest {};

int countNotifications(const QString& name, const std::function<void()>& action)
{
    int count = 0;
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
        name, nullptr, [&](const pf::Notification&) { ++count; });
    action();
    pf::NotificationCenter::defaultCenter().removeObserver(token);
    return count;
}

// An application delegate that supplies a symbol manager of its own (or none).
class SupplyingDelegate : public pf::ApplicationDelegate, public PWRegistryProvider {
public:
    explicit SupplyingDelegate(pf::Ref<PWStyleRegistry> registry) : m_registry(std::move(registry)) {}
    pf::Ref<PWStyleRegistry> applicationWillReturnStyleRegistry() override { return nullptr; }
    pf::Ref<PWStyleRegistry> applicationWillReturnSymbolManager() override { return m_registry; }
    pf::Ref<PWStyleRegistry> m_registry;
};

// Installs a delegate for the life of the scope.
struct DelegateScope {
    explicit DelegateScope(pf::Ref<PWStyleRegistry> registry)
    {
        pf::Application::shared()->setDelegate(std::make_shared<SupplyingDelegate>(std::move(registry)));
        PWXSymbolManager::resetSharedSymbolManager();
    }
    ~DelegateScope()
    {
        pf::Application::shared()->setDelegate(nullptr);
        PWXSymbolManager::resetSharedSymbolManager();
    }
};

} // namespace

TEST_F(SymbolRegistry, NamesAreMadeUniqueAndEmptyNamesGetAName)
{
    QStringList names;
    for (int i = 0; i < 3; ++i) {
        auto master = rectMaster("Tree");
        PWXSymbolManager::registerSymbol(master);
        names.append(master->name());
    }
    EXPECT_EQ(names, (QStringList{"Tree", "Tree 1", "Tree 2"}));
    auto unnamed = rectMaster("");
    PWXSymbolManager::registerSymbol(unnamed);
    EXPECT_EQ(unnamed->name(), "untitled symbol");
}

TEST_F(SymbolRegistry, RegisteringTwiceRegistersOnceAndNotifiesOnce)
{
    auto master = rectMaster("Tree");
    const int posted = countNotifications(kPWXSymbolWasRegisteredNotification, [&] {
        PWXSymbolManager::registerSymbol(master);
        PWXSymbolManager::registerSymbol(master);
    });
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(PWXSymbolManager::registeredSymbolKeys(), QStringList{master->uniqueKey()});
    EXPECT_EQ(master->name(), "Tree");
}

TEST_F(SymbolRegistry, KeysLookupsAndUnregistering)
{
    auto a = rectMaster("b-tree 10");
    auto b = rectMaster("B-tree 9");
    PWXSymbolManager::registerSymbol(a);
    PWXSymbolManager::registerSymbol(b, {"Mine"});
    auto registry = std::dynamic_pointer_cast<PWXSymbolManager>(PWXSymbolManager::sharedSymbolManager());
    ASSERT_TRUE(registry);
    EXPECT_EQ(registry->symbolNames(), (QStringList{"B-tree 9", "b-tree 10"}));
    EXPECT_EQ(registry->symbolNamesInCategory("Mine"), QStringList{"B-tree 9"});
    EXPECT_EQ(registry->symbolNamesInCategory(kPWXAllUserSymbolsCategory), QStringList{"b-tree 10"});
    EXPECT_EQ(registry->symbolWithName("B-tree 9"), b);
    EXPECT_EQ(registry->symbolNameForKey(a->uniqueKey()), "b-tree 10");
    EXPECT_TRUE(registry->categories().contains(kPWXAutomaticKeyItemsCategory));
    EXPECT_EQ(PWXSymbolManager::symbolForKeyAddingToRecentlyUsed(a->uniqueKey()), a);
    EXPECT_EQ(registry->keysInRecentList(1), QStringList{a->uniqueKey()});
    EXPECT_FALSE(PWXSymbolManager::registeredSymbolForKey("no such key"));
    PWXSymbolManager::unregisterSymbol(a);
    EXPECT_FALSE(PWXSymbolManager::registeredSymbolForKey(a->uniqueKey()));
    PWXSymbolManager::resetRegistry();
    EXPECT_TRUE(PWXSymbolManager::registeredSymbolKeys().isEmpty());
    EXPECT_TRUE(registry->categories().contains(kPWXAllUserSymbolsCategory));
}

TEST_F(SymbolRegistry, OnlyTheRegisteredObjectRelaysItsChanges)
{
    auto master = rectMaster("Tree");
    PWXSymbolManager::registerSymbol(master);
    QVariantMap info;
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
        kPWXRegisteredSymbolDidChangeNotification, nullptr, [&](const pf::Notification& n) { info = n.userInfo; });
    // A stale copy under another key and one that merely shares a name relay nothing.
    auto stale = master->clone();
    stale->setName("Bush");
    EXPECT_TRUE(info.isEmpty());
    master->setUserDescription("changed");
    pf::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(pf::objectCast<PWXSymbolMaster>(info.value("Symbol")), master);
}

TEST_F(SymbolRegistry, ContentsSurviveSavingAndLoadingTheDefaults)
{
    auto master = rectMaster("Tree");
    PWXSymbolManager::registerSymbol(master);
    PWXSymbolManager::saveDefaults();
    PWXSymbolManager::resetSharedSymbolManager();
    EXPECT_FALSE(PWXSymbolManager::registeredSymbolForKey(master->uniqueKey()));
    PWXSymbolManager::loadDefaults();
    auto loaded = PWXSymbolManager::registeredSymbolForKey(master->uniqueKey());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->name(), "Tree");
    pf::UserDefaults::standard().removeObjectForKey(kPWXSymbolManagerDefaultsKey);
}

TEST_F(SymbolRegistry, TheMenuListsMastersAndEndsWithManageSymbols)
{
    auto master = rectMaster("Tree");
    master->setUserDescription("a tree");
    PWXSymbolManager::registerSymbol(master);
    pf::Ref<pf::Menu> menu = PWXSymbolManager::managedSymbolsMenuWithItemTarget(nullptr, "pick:");
    ASSERT_GE(menu->numberOfItems(), 3);
    EXPECT_EQ(menu->itemAtIndex(0)->title(), "Symbol");
    pf::MenuItem* last = menu->itemAtIndex(menu->numberOfItems() - 1);
    EXPECT_EQ(last->title(), "Manage Symbols...");
    EXPECT_EQ(last->action(), "manageSymbolsAction:");
    EXPECT_TRUE(menu->itemAtIndex(menu->numberOfItems() - 2)->isSeparatorItem());
}

TEST_F(SymbolRegistry, ADelegatesRegistryIsUsedAndWhatItLacksDoesNothing)
{
    {
        // Answering nil: a registry of our own is made.
        DelegateScope scope(nullptr);
        EXPECT_TRUE(std::dynamic_pointer_cast<PWXSymbolManager>(PWXSymbolManager::sharedSymbolManager()));
    }
    auto supplied = std::make_shared<PWDefaultStyleRegistry>();
    DelegateScope scope(supplied);
    EXPECT_EQ(PWXSymbolManager::sharedSymbolManager(), supplied);
    auto master = rectMaster("Tree");
    PWXSymbolManager::registerSymbol(master);
    EXPECT_EQ(PWXSymbolManager::registeredSymbolForKey(master->uniqueKey()), master);
    // Operations a plain style registry does not offer change nothing and raise nothing.
    PWXSymbolManager::resetRegistry();
    EXPECT_EQ(PWXSymbolManager::registeredSymbolForKey(master->uniqueKey()), master);
    EXPECT_NO_THROW(PWXSymbolManager::managedSymbolsMenuWithItemTarget(nullptr, "pick:"));
}

TEST_F(SymbolRegistry, TheSymbolLibrariesFolderIsMadeAndListed)
{
    bool ok = false;
    EXPECT_TRUE(PWXSymbolManager::availableSymbolLibrariesOnDisk(&ok).isEmpty());
    EXPECT_TRUE(ok);
}
