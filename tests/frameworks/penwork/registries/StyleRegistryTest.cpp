#include "frameworks/penwork/drawables/PWImageDataManager.h"
#include "frameworks/penwork/registries/PWDefaultStyleRegistry.h"
#include "frameworks/penwork/registries/PWRegistryProvider.h"
#include "frameworks/penwork/registries/PWStyleRegistry.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"

#include <gtest/gtest.h>

namespace {

pf::Ref<PWStyle> namedStyle(const QString& name)
{
    auto style = std::make_shared<PWStyle>();
    style->setName(name);
    return style;
}

// A registry of the application's: records what the framework asks of it.
class FakeRegistry : public PWStyleRegistry {
public:
    pf::Ref<PWStyle> styleForKey(const QString& key) const override { return styles.value(key); }
    pf::Ref<pf::Object> symbolForKey(const QString&) const override { return nullptr; }
    bool containsKey(const QString& key) const override { return styles.contains(key); }
    pf::Ref<pf::Object> registerStyle(const pf::Ref<PWStyle>& style) override
    {
        styles.insert(style->uniqueKey(), style);
        return style;
    }
    QString uniqueNameForName(const QString& name) const override { return name; }
    pf::Ref<pf::Object> symbolWithName(const QString&) const override { return nullptr; }
    QStringList styleNames() const override { return {}; }
    pf::Ref<PWImageDataManager> imageManager() const override { return images; }
    void setImageManager(const pf::Ref<PWImageDataManager>& manager) override { images = manager; }
    void addObject(const pf::Ref<pf::Object>& object, const QString& key, const QStringList& categories,
                   bool) override
    {
        added.append({key, categories});
        if (auto style = std::dynamic_pointer_cast<PWStyle>(object))
            styles.insert(key, style);
    }
    void setRecentlyAddedListEnabled(bool) override {}
    void setNeedsUIUpdate() override {}

    QHash<QString, pf::Ref<PWStyle>> styles;
    QList<std::pair<QString, QStringList>> added;
    pf::Ref<PWImageDataManager> images;
};

class ProvidingDelegate : public pf::ApplicationDelegate, public PWRegistryProvider {
public:
    pf::Ref<PWStyleRegistry> applicationWillReturnStyleRegistry() override
    {
        ++registryRequests;
        return registry;
    }
    pf::Ref<PWStyleRegistry> applicationWillReturnSymbolManager() override
    {
        ++symbolRequests;
        return symbols;
    }
    pf::Ref<PWStyleRegistry> registry;
    pf::Ref<PWStyleRegistry> symbols;
    int registryRequests = 0;
    int symbolRequests = 0;
};

// Puts the application's delegate and the shared registries back as they were.
class RegistriesHandOver : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_delegate = pf::Application::shared()->delegate()
                         ? std::dynamic_pointer_cast<pf::ApplicationDelegate>(
                               pf::Application::shared()->delegate()->ref())
                         : nullptr;
        PWStyleRegistry::setSharedRegistry(nullptr);
        PWStyleRegistry::setSymbolManager(nullptr);
    }
    void TearDown() override
    {
        pf::Application::shared()->setDelegate(m_delegate);
        PWStyleRegistry::setSharedRegistry(nullptr);
        PWStyleRegistry::setSymbolManager(nullptr);
    }

private:
    pf::Ref<pf::ApplicationDelegate> m_delegate;
};

TEST_F(RegistriesHandOver, ProvidingDelegateSuppliesTheRegistryInUse)
{
    auto delegate = std::make_shared<ProvidingDelegate>();
    auto registry = std::make_shared<FakeRegistry>();
    auto symbols = std::make_shared<FakeRegistry>();
    delegate->registry = registry;
    delegate->symbols = symbols;
    pf::Application::shared()->setDelegate(delegate);

    ASSERT_TRUE(PWStyleRegistry::installFromApplicationDelegate());
    EXPECT_EQ(delegate->registryRequests, 1);
    EXPECT_EQ(delegate->symbolRequests, 1);
    // Kept, not asked for again.
    delegate->registry = nullptr;
    EXPECT_EQ(PWStyleRegistry::sharedRegistry(), registry);
    EXPECT_EQ(PWStyleRegistry::symbolManager(), symbols);
    EXPECT_EQ(delegate->registryRequests, 1);

    // Registration and lookups now go through the application's registry.
    auto style = namedStyle("Fill");
    EXPECT_FALSE(PWStyleRegistry::isStyleRegistered(*style));
    EXPECT_EQ(PWStyleRegistry::sharedRegistry()->registerStyleInCategory(style, "Basic Fills"), style);
    ASSERT_EQ(registry->added.size(), 1);
    EXPECT_EQ(registry->added[0].first, style->uniqueKey());
    EXPECT_EQ(registry->added[0].second, QStringList({"Basic Fills"}));
    EXPECT_TRUE(PWStyleRegistry::isStyleRegistered(*style));
    EXPECT_TRUE(style->isStyleRegistered()) << "the style itself answers from the application's registry";
    EXPECT_FALSE(PWStyleRegistry::isStyleRegistered(*style->clone())); // a copy has a key of its own
    // Held already: nothing more is filed.
    EXPECT_EQ(PWStyleRegistry::sharedRegistry()->registerStyleInCategory(style, "Basic Fills"), nullptr);
    EXPECT_EQ(registry->added.size(), 1);
}

TEST_F(RegistriesHandOver, WithoutAProviderTheFrameworksRegistryStays)
{
    const pf::Ref<PWStyleRegistry> own = PWStyleRegistry::sharedRegistry();
    ASSERT_TRUE(std::dynamic_pointer_cast<PWDefaultStyleRegistry>(own));

    pf::Application::shared()->setDelegate(std::make_shared<pf::ApplicationDelegate>());
    EXPECT_FALSE(PWStyleRegistry::installFromApplicationDelegate());
    EXPECT_EQ(PWStyleRegistry::sharedRegistry(), own);

    // A provider that answers null for both leaves the framework's registry and no symbol manager.
    auto delegate = std::make_shared<ProvidingDelegate>();
    pf::Application::shared()->setDelegate(delegate);
    EXPECT_FALSE(PWStyleRegistry::installFromApplicationDelegate());
    EXPECT_EQ(delegate->registryRequests, 1);
    EXPECT_EQ(PWStyleRegistry::sharedRegistry(), own);
    EXPECT_EQ(PWStyleRegistry::symbolManager(), nullptr);
}

TEST(RegistriesDefaultRegistry, RegistersLooksUpAndMarksStyles)
{
    PWDefaultStyleRegistry registry;
    auto red = namedStyle("Red");
    EXPECT_EQ(registry.registerStyle(red), red);
    EXPECT_TRUE(red->isStyleRegistered());
    EXPECT_EQ(registry.styleForKey(red->uniqueKey()), red);
    EXPECT_TRUE(registry.containsKey(red->uniqueKey()));
    EXPECT_EQ(registry.symbolForKey(red->uniqueKey()), nullptr); // a style is no symbol
    EXPECT_EQ(registry.registerStyle(red), nullptr);
    EXPECT_EQ(registry.registerStyle(nullptr), nullptr);
    EXPECT_EQ(registry.styleForKey("unknown"), nullptr);

    // In a named category, a name the category already has is skipped; other categories take it.
    auto filled = namedStyle("Red");
    auto otherRed = namedStyle("Red");
    EXPECT_EQ(registry.registerStyleInCategory(filled, "Basic Fills"), filled);
    EXPECT_TRUE(filled->isStyleRegistered());
    EXPECT_EQ(registry.registerStyleInCategory(otherRed, "Basic Fills"), nullptr);
    EXPECT_FALSE(otherRed->isStyleRegistered());
    EXPECT_EQ(registry.allKeysInCategory("Basic Fills").size(), 1);
    EXPECT_EQ(registry.registerStyleInCategory(otherRed, "Basic Strokes"), otherRed);
    EXPECT_EQ(registry.styleNames(), QStringList({"Red", "Red", "Red"}));

    // Objects that are not styles answer as symbols.
    auto tree = std::make_shared<PWImageDataManager>(); // any non-style object
    registry.addObject(tree, "tree-key", {"Symbols"}, true);
    EXPECT_EQ(registry.symbolForKey("tree-key"), tree);
    EXPECT_EQ(registry.styleForKey("tree-key"), nullptr);

    registry.removeObjectForKey(red->uniqueKey());
    EXPECT_FALSE(red->isStyleRegistered());
    EXPECT_FALSE(registry.containsKey(red->uniqueKey()));
}

TEST(RegistriesDefaultRegistry, UniqueNamesAndRecentlyAddedList)
{
    PWDefaultStyleRegistry registry;
    EXPECT_EQ(registry.uniqueNameForName("Tree"), "Tree");
    for (const char* name : {"Tree", "Tree 1"})
        registry.registerStyle(namedStyle(name));
    EXPECT_EQ(registry.uniqueNameForName("Tree"), "Tree 2");
    EXPECT_EQ(registry.uniqueNameForName("Bush"), "Bush");

    auto first = registry.styleForKey(registry.allKeysInCategory(kPWDefaultCategoryName).value(0));
    auto second = registry.styleForKey(registry.allKeysInCategory(kPWDefaultCategoryName).value(1));
    EXPECT_EQ(registry.keysInRecentList(PWDefaultStyleRegistry::kRecentlyAddedList),
              QStringList({second->uniqueKey(), first->uniqueKey()}));
    registry.setRecentlyAddedListEnabled(false);
    registry.registerStyle(namedStyle("Late"));
    EXPECT_EQ(registry.keysInRecentList(PWDefaultStyleRegistry::kRecentlyAddedList).size(), 2);
}

} // namespace
