#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/FontManager.h"
#include "platform/ui/FontPanel.h"

#include <gtest/gtest.h>

#include <QFontDialog>

#include <cstdio>
#include <cstdlib>

// The application's own font manager class.
class AppFontManager : public pf::FontManager {
    PF_CLASS(AppFontManager)
public:
    pf::Font convertFont(const pf::Font& font) const override
    {
        ++conversions;
        return pf::FontManager::convertFont(font);
    }
    mutable int conversions = 0;
};

PF_DEFINE_CLASS(AppFontManager, pf::FontManager) {}

// Text being edited: applies a font change by asking the sender to convert its font.
class EditedText : public pf::Object {
    PF_CLASS(EditedText)
public:
    void changeFont(const QVariant& sender)
    {
        auto manager = pf::objectCast<pf::FontManager>(sender);
        if (manager)
            font = manager->convertFont(font);
        ++changes;
    }
    pf::Font font;
    int changes = 0;
};

PF_DEFINE_CLASS(EditedText, pf::Object)
{
    b.method("changeFont:", &EditedText::changeFont);
}

namespace {

// The factory only counts before the shared manager exists, so this runs in a fresh process of
// its own, whatever the other tests of the program made before it.
TEST(FontManagerDeathTest, TheInstalledFactoryMakesTheSharedManager)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            pf::FontManager::setFontManagerFactory(AppFontManager::staticClass());
            auto* shared = dynamic_cast<AppFontManager*>(pf::FontManager::shared());
            pf::FontManager::setFontManagerFactory([] { return std::make_shared<pf::FontManager>(); });
            const bool kept = shared && pf::FontManager::shared() == shared;
            std::fprintf(stderr, kept ? "made by the factory\n" : "not made by the factory\n");
            std::_Exit(kept ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "made by the factory");
}

TEST(FontManagerTest, ChangesReachTheTargetWhichConvertsItsFont)
{
    pf::FontManager* manager = pf::FontManager::shared();
    auto text = std::make_shared<EditedText>();
    text->font = pf::Font::fromName(QStringLiteral("DejaVu Sans"), 12);
    manager->setTarget(text.get());
    EXPECT_EQ(manager->action(), QStringLiteral("changeFont:"));

    manager->addFontTrait(int(pf::Font::BoldFontMask));
    EXPECT_EQ(text->changes, 1);
    EXPECT_TRUE(text->font.isBold());
    manager->modifyFont(3); // bigger
    EXPECT_DOUBLE_EQ(text->font.pointSize(), 13);
    manager->removeFontTrait(int(pf::Font::BoldFontMask));
    EXPECT_FALSE(text->font.isBold());
    // Outside a change, converting leaves fonts alone.
    EXPECT_EQ(manager->convertFont(text->font), text->font);

    // A choice in the panel goes out the same way.
    manager->setSelectedFont(text->font, false);
    pf::FontPanel* panel = manager->fontPanel();
    ASSERT_NE(panel, nullptr);
    const pf::Font chosen = pf::Font::fromName(QStringLiteral("DejaVu Serif"), 20);
    panel->fontDialog()->setCurrentFont(chosen.qFont());
    EXPECT_EQ(text->changes, 4);
    EXPECT_EQ(text->font.familyName(), chosen.familyName());
    EXPECT_DOUBLE_EQ(text->font.pointSize(), 20);
    manager->setTarget(nullptr);
}

TEST(FontManagerTest, FamiliesAndMembers)
{
    pf::FontManager* manager = pf::FontManager::shared();
    const QStringList families = manager->availableFontFamilies();
    ASSERT_TRUE(families.contains(QStringLiteral("DejaVu Sans")));
    const auto members = manager->availableMembersOfFontFamily(QStringLiteral("DejaVu Sans"));
    bool sawBold = false;
    for (const QVariantList& member : members) {
        ASSERT_EQ(member.size(), 4);
        if (member[0].toString() == QStringLiteral("DejaVuSans-Bold")) {
            sawBold = true;
            EXPECT_EQ(member[2].toInt(), 9);
            EXPECT_EQ(member[3].toUInt(), unsigned(pf::Font::BoldFontMask));
        }
    }
    EXPECT_TRUE(sawBold);
    EXPECT_TRUE(manager->fontWithFamily(QStringLiteral("DejaVu Sans"), pf::Font::BoldFontMask, 5, 11).isBold());
}

} // namespace
