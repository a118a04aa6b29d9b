#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/Font.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

namespace {

using pf::Font;

struct NamedFont {
    const char* name;
    bool valid;
    unsigned traits;
    const char* fontName;
};

TEST(FontTest, NamesResolveOrFail)
{
    const NamedFont cases[] = {
        {"DejaVu Sans", true, 0, "DejaVuSans"},
        {"DejaVu Sans Bold", true, Font::BoldFontMask, "DejaVuSans-Bold"},
        {"DejaVuSans-BoldOblique", true, Font::BoldFontMask | Font::ItalicFontMask, "DejaVuSans-BoldOblique"},
        {"Helvetica", true, 0, "Helvetica"},
        {"Helvetica-Bold", true, Font::BoldFontMask, "Helvetica-Bold"},
        {"Helvetica Oblique", true, Font::ItalicFontMask, "Helvetica-Oblique"},
        {"Monaco", true, 0, "Monaco"},
        {"No Such Family At All", false, 0, ""},
        {"DejaVu Sans Wobbly", false, 0, ""},
        {"", false, 0, ""},
    };
    for (const NamedFont& c : cases) {
        SCOPED_TRACE(c.name);
        const Font font = Font::fromName(QString::fromLatin1(c.name), 12);
        ASSERT_EQ(font.isValid(), c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(font.traits(), c.traits);
        EXPECT_EQ(font.fontName(), QLatin1String(c.fontName));
        EXPECT_DOUBLE_EQ(font.pointSize(), 12);
        // A font's own name finds it again.
        EXPECT_EQ(Font::fromName(font.fontName(), 12), font);
    }
}

TEST(FontTest, TraitConversionsAddAndRemoveBoldAndItalic)
{
    const Font plain = Font::fromName(QStringLiteral("DejaVu Sans"), 10);
    ASSERT_TRUE(plain.isValid());
    const Font bold = plain.withTraits(Font::BoldFontMask);
    EXPECT_TRUE(bold.isBold());
    EXPECT_FALSE(bold.isItalic());
    const Font boldItalic = bold.withTraits(Font::ItalicFontMask);
    EXPECT_EQ(boldItalic.traits(), Font::BoldFontMask | Font::ItalicFontMask);
    EXPECT_EQ(boldItalic.withTraits(Font::UnboldFontMask | Font::UnitalicFontMask), plain);
    EXPECT_EQ(bold.familyName(), plain.familyName());

    // Conversions that cannot be made answer the font unchanged.
    EXPECT_EQ(plain.withFamily(QStringLiteral("No Such Family")), plain);
    EXPECT_EQ(plain.withFace(QStringLiteral("Wobbly")), plain);
    EXPECT_EQ(plain.withSize(-3), plain);
    EXPECT_DOUBLE_EQ(plain.withSize(20).pointSize(), 20);
    // A face may be a whole font name.
    EXPECT_EQ(plain.withFace(QStringLiteral("Helvetica-Bold")).fontName(), QStringLiteral("Helvetica-Bold"));
}

TEST(FontTest, SystemFontsAndArchiving)
{
    const Font system = Font::systemFont(0);
    ASSERT_TRUE(system.isValid());
    EXPECT_DOUBLE_EQ(system.pointSize(), Font::kSystemFontSize);
    EXPECT_FALSE(system.isBold());
    // Interface sizes follow the desktop's text size: at 10 point text, a 13 point control
    // shows at 10 points and an 11 point one in proportion.
    const QFont old = QGuiApplication::font();
    QFont desktop = old;
    desktop.setPointSizeF(10);
    QGuiApplication::setFont(desktop);
    EXPECT_DOUBLE_EQ(Font::interfaceSize(Font::kSystemFontSize), 10.0);
    EXPECT_NEAR(Font::interfaceSize(Font::kSmallSystemFontSize), 10.0 * 11 / 13, 1e-9);
    QGuiApplication::setFont(old);
    EXPECT_TRUE(Font::boldSystemFont(14).isBold());

    auto font = std::make_shared<Font>(Font::fromName(QStringLiteral("DejaVu Sans Bold"), 17.5));
    const QByteArray data = pf::KeyedArchiver::archivedData(font);
    auto decoded = std::dynamic_pointer_cast<Font>(pf::KeyedUnarchiver::unarchiveObject(data));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, *font);
}

} // namespace
