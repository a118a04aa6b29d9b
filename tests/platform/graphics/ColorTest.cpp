// Colours: hex text, contrast and luminosity, blends, HSB, patterns, archiving.
#include <gtest/gtest.h>

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/Color.h"

#include <QPainter>

#include <cmath>
#include <functional>
#include <limits>

namespace {

using pf::Color;

void expectComponents(const Color& colour, double red, double green, double blue, double alpha)
{
    EXPECT_NEAR(colour.redComponent(), red, 1e-4) << colour.description().toStdString();
    EXPECT_NEAR(colour.greenComponent(), green, 1e-4) << colour.description().toStdString();
    EXPECT_NEAR(colour.blueComponent(), blue, 1e-4) << colour.description().toStdString();
    EXPECT_NEAR(colour.alphaComponent(), alpha, 1e-4) << colour.description().toStdString();
}

// An archive entry of class "pf::Color" holding whatever the test writes into it.
class ForgedColor : public pf::Object, public pf::Coding {
    PF_CLASS(ForgedColor)
public:
    std::function<void(pf::KeyedArchiver&)> write;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override { write(coder); }
    void initWithCoder(pf::KeyedUnarchiver&) override {}
    QString classNameForArchiver() const override { return QStringLiteral("pf::Color"); }
};

} // namespace

PF_DEFINE_CLASS(ForgedColor, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
}

namespace {

TEST(Color, HexStringsParse)
{
    struct Case {
        const char* text;
        int red, green, blue, alpha;
    };
    const Case cases[] = {
        {"#AAD0E5", 0xAA, 0xD0, 0xE5, 255}, {"AAD0E5", 0xAA, 0xD0, 0xE5, 255}, {"#aad0e5", 0xAA, 0xD0, 0xE5, 255},
        {"#ABC", 0xAA, 0xBB, 0xCC, 255},    {"#11223380", 0x11, 0x22, 0x33, 0x80}, {"  #000000\n", 0, 0, 0, 255},
    };
    for (const Case& c : cases) {
        const Color colour = Color::fromHexString(QString::fromLatin1(c.text));
        ASSERT_TRUE(colour.isValid()) << c.text;
        EXPECT_EQ(colour.qColor(), QColor(c.red, c.green, c.blue, c.alpha)) << c.text;
    }
}

TEST(Color, MalformedHexStringsAreInvalid)
{
    for (const char* text : {"", "#", "#12", "#1234", "#12345", "#1234567", "#123456789", "#GG0000", "12 456", "#-12345",
                             "0x123456", "##123456"}) {
        const Color colour = Color::fromHexString(QString::fromLatin1(text));
        EXPECT_FALSE(colour.isValid()) << text;
        EXPECT_TRUE(colour.hexString().isEmpty()) << text;
    }
}

TEST(Color, HexStringWritesUpperCaseAndAlphaOnlyWhenTranslucent)
{
    EXPECT_EQ(Color(0.5, 0.25, 1.0).hexString(), QStringLiteral("#8040FF"));
    EXPECT_EQ(Color(0.5, 0.25, 1.0, 0.5).hexString(), QStringLiteral("#8040FF80"));
    EXPECT_EQ(Color::clear().hexString(), QStringLiteral("#00000000"));
    for (const char* text : {"#AAD0E5", "#000000", "#FFFFFF", "#0A0B0C0D", "#FEDCBA01"})
        EXPECT_EQ(Color::fromHexString(QString::fromLatin1(text)).hexString(), QString::fromLatin1(text));
}

TEST(Color, ContrastingColourFollowsRelativeLuminance)
{
    struct Case {
        Color colour;
        Color expected;
    };
    // 0.47 and 0.45 grey fall either side of the equal-contrast luminance (about 0.179 linear),
    // though both are darker than half by luma.
    const Case cases[] = {
        {Color::white(), Color::black()},          {Color::black(), Color::white()},
        {Color(1.0, 1.0, 0.0), Color::black()},    {Color::blue(), Color::white()},
        {Color::withWhite(0.47), Color::black()},  {Color::withWhite(0.45), Color::white()},
        {Color(0.5, 0.0, 0.0), Color::white()},    {Color::fromHexString("#AAD0E5"), Color::black()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.colour.contrastingColor(), c.expected) << c.colour.description().toStdString();
}

TEST(Color, LuminosityIsRec709LumaOfTheEncodedComponents)
{
    struct Case {
        Color colour;
        double expected;
    };
    const Case cases[] = {
        {Color::white(), 1.0},          {Color::black(), 0.0},       {Color::red(), 0.2126},
        {Color::green(), 0.7152},       {Color::blue(), 0.0722},     {Color::withWhite(0.5), 0.5},
        {Color(0.2, 0.4, 0.6, 0.1), 0.2126 * 0.2 + 0.7152 * 0.4 + 0.0722 * 0.6},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(c.colour.luminosity(), c.expected, 1e-4) << c.colour.description().toStdString();
}

TEST(Color, LevelsBlendTowardsWhiteOrBlackKeepingAlpha)
{
    const Color base(0.2, 0.4, 0.6, 0.5);
    struct Case {
        Color result;
        double red, green, blue;
    };
    const Case cases[] = {
        {base.highlightWithLevel(0.0), 0.2, 0.4, 0.6},   {base.highlightWithLevel(0.5), 0.6, 0.7, 0.8},
        {base.highlightWithLevel(1.0), 1.0, 1.0, 1.0},   {base.lighterColorWithLevel(0.5), 0.6, 0.7, 0.8},
        {base.shadowWithLevel(0.0), 0.2, 0.4, 0.6},      {base.shadowWithLevel(0.5), 0.1, 0.2, 0.3},
        {base.shadowWithLevel(1.0), 0.0, 0.0, 0.0},      {base.darkerColorWithLevel(0.5), 0.1, 0.2, 0.3},
        {base.shadowWithLevel(3.0), 0.0, 0.0, 0.0},      {base.highlightWithLevel(-1.0), 0.2, 0.4, 0.6},
    };
    for (const Case& c : cases)
        expectComponents(c.result, c.red, c.green, c.blue, 0.5);
    EXPECT_FALSE(Color().shadowWithLevel(0.5).isValid());
}

TEST(Color, HsbRoundTripsAndMapsToRgb)
{
    const Color colour = Color::withHue(0.6, 0.5, 0.8, 0.7);
    EXPECT_NEAR(colour.hueComponent(), 0.6, 1e-3);
    EXPECT_NEAR(colour.saturationComponent(), 0.5, 1e-3);
    EXPECT_NEAR(colour.brightnessComponent(), 0.8, 1e-3);
    EXPECT_NEAR(colour.alphaComponent(), 0.7, 1e-3);

    expectComponents(Color::withHue(0.0, 1.0, 1.0), 1.0, 0.0, 0.0, 1.0);
    expectComponents(Color::withHue(1.0 / 3.0, 1.0, 0.5), 0.0, 0.5, 0.0, 1.0);
    expectComponents(Color::withHue(0.5, 0.5, 1.0), 0.5, 1.0, 1.0, 1.0);
    const Color fromRgb(1.0, 0.5, 0.0);
    EXPECT_NEAR(fromRgb.hueComponent(), 30.0 / 360.0, 1e-3);
    EXPECT_EQ(Color::withWhite(0.3).hueComponent(), 0.0);
    EXPECT_EQ(Color::withWhite(0.3).saturationComponent(), 0.0);
}

TEST(Color, ComponentsAreClampedAndConvertedToRgb)
{
    expectComponents(Color(2.0, -1.0, std::numeric_limits<double>::quiet_NaN(), 0.5), 1.0, 0.0, 0.0, 0.5);
    expectComponents(Color(QColor::fromHslF(0.0f, 1.0f, 0.5f)), 1.0, 0.0, 0.0, 1.0);
    expectComponents(Color(QColor::fromRgbF(1.5f, 0.5f, -0.5f)), 1.0, 0.5, 0.0, 1.0);
    expectComponents(Color::rgbGrey(0.25), 0.25, 0.25, 0.25, 1.0);
    expectComponents(Color::veryLightGrey(), 0.95, 0.95, 0.95, 1.0);
    expectComponents(Color::orange().colorWithAlphaComponent(0.25), 1.0, 0.5, 0.0, 0.25);
    EXPECT_FALSE(Color(QColor()).isValid());
    EXPECT_EQ(Color(1.0, 0.0, 0.0), Color(QColor(Qt::red)));
    EXPECT_NE(Color(1.0, 0.0, 0.0), Color(1.0, 0.0, 0.0, 0.5));
}

TEST(Color, PatternColoursTileTheirImageAndPlainColoursRefuseOne)
{
    QImage tile(2, 2, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::green);
    tile.setPixelColor(0, 0, Qt::blue);
    const Color pattern = Color::patternWithImage(tile);
    ASSERT_TRUE(pattern.isPattern());
    EXPECT_TRUE(pattern.isValid());
    EXPECT_EQ(pattern.patternImage(), tile);
    EXPECT_EQ(pattern.brush().style(), Qt::TexturePattern);
    EXPECT_TRUE(pattern.hexString().isEmpty());
    EXPECT_EQ(pattern.shadowWithLevel(0.5), pattern);
    EXPECT_NE(pattern, Color::green());

    QImage painted(4, 4, QImage::Format_ARGB32_Premultiplied);
    painted.fill(Qt::white);
    QPainter(&painted).fillRect(QRect(0, 0, 4, 4), pattern.brush());
    EXPECT_EQ(painted.pixelColor(2, 2), QColor(Qt::blue));
    EXPECT_EQ(painted.pixelColor(3, 2), QColor(Qt::green));

    try {
        (void)Color::red().patternImage();
        ADD_FAILURE() << "a plain colour answered a pattern image";
    } catch (const pf::InvalidArgumentException& e) {
        EXPECT_EQ(e.name(), pf::NSInvalidArgumentException);
    }
    EXPECT_THROW((void)Color().patternImage(), pf::InvalidArgumentException);
    EXPECT_THROW(Color::patternWithImage(QImage()), pf::InvalidArgumentException);
}

TEST(Color, ArchivesRoundTrip)
{
    QImage tile(3, 2, QImage::Format_ARGB32_Premultiplied);
    tile.fill(QColor(10, 20, 30));
    tile.setPixelColor(1, 1, QColor(200, 100, 0));
    for (const Color& colour : {Color(0.2, 0.4, 0.6), Color(0.123, 0.456, 0.789, 0.25), Color::clear(), Color(),
                                Color::patternWithImage(tile)}) {
        pf::Error error;
        const QByteArray data = pf::KeyedArchiver::archivedData(std::make_shared<Color>(colour));
        const auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<Color>(data, &error);
        ASSERT_TRUE(decoded) << error.description().toStdString();
        EXPECT_EQ(*decoded, colour) << colour.description().toStdString();
        EXPECT_EQ(decoded->isValid(), colour.isValid());
    }
}

TEST(Color, DamagedArchivesAreClampedOrRefused)
{
    auto decode = [](std::function<void(pf::KeyedArchiver&)> write, pf::Error* error) {
        auto forged = std::make_shared<ForgedColor>();
        forged->write = std::move(write);
        return pf::KeyedUnarchiver::unarchiveObjectOfClass<Color>(pf::KeyedArchiver::archivedData(forged), error);
    };
    pf::Error error;
    const auto clamped = decode(
        [](pf::KeyedArchiver& coder) {
            coder.encodeDouble(7.0, QStringLiteral("red"));
            coder.encodeDouble(std::numeric_limits<double>::quiet_NaN(), QStringLiteral("green"));
            coder.encodeDouble(-3.0, QStringLiteral("blue"));
            coder.encodeDouble(0.5, QStringLiteral("alpha"));
        },
        &error);
    ASSERT_TRUE(clamped) << error.description().toStdString();
    expectComponents(*clamped, 1.0, 0.0, 0.0, 0.5);

    const auto unreadable = decode(
        [](pf::KeyedArchiver& coder) { coder.encodeData(QByteArray("\x89PNG not really"), QStringLiteral("pattern")); },
        &error);
    EXPECT_FALSE(unreadable);
    EXPECT_FALSE(error.isNull());
}

} // namespace
