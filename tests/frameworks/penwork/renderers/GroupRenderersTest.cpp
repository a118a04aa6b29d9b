// The image adornment and the renderer groups: where they draw, what their settings do to the
// pixels, their guards against hostile settings and their damaged archives.
#include <gtest/gtest.h>

#include "RenderersTestSupport.h"

#include "frameworks/penwork/renderers/PWBlendGroup.h"
#include "frameworks/penwork/renderers/PWCIFilterRastGroup.h"
#include "frameworks/penwork/renderers/PWCIFilterTypeBlurGroup.h"
#include "frameworks/penwork/renderers/PWCompositing.h"
#include "frameworks/penwork/renderers/PWGloomGroup.h"
#include "frameworks/penwork/renderers/PWImageAdornment.h"
#include "frameworks/penwork/renderers/PWQuartzBlendRastGroup.h"
#include "frameworks/penwork/renderers/PWRepeatTransformGroup.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStyle.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <cmath>

using namespace renderers_test;

namespace {

QImage solid(const QColor& colour, const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

pf::Ref<PWFill> fill(const pf::Color& colour)
{
    return std::make_shared<PWFill>(colour);
}

QColor at(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

// Writes whatever keys and values it is given, as a damaged file might hold them.
class GroupsDamagedWriter : public pf::Object, public pf::Coding {
    PF_CLASS(GroupsDamagedWriter)
public:
    QVariantMap values;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override
    {
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (it.value().typeId() == QMetaType::Int)
                coder.encodeInt32(it.value().toInt(), it.key());
            else if (it.value().typeId() == QMetaType::QString)
                coder.encodeString(it.value().toString(), it.key());
            else
                coder.encodeDouble(it.value().toDouble(), it.key());
        }
    }
    void initWithCoder(pf::KeyedUnarchiver&) override {}
};

} // namespace

PF_DEFINE_CLASS(GroupsDamagedWriter, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
}

// Watches one key.
class GroupsKeyWatcher : public pf::Object {
    PF_CLASS(GroupsKeyWatcher)
public:
    int changes = 0;
    void observeValueForKeyPath(const QString&, pf::Reflective*, const QVariantMap&, void*) override { ++changes; }
};

PF_DEFINE_CLASS(GroupsKeyWatcher, pf::Object) {}

namespace {

pf::Ref<pf::Object> decodeDamaged(const QString& className, const QVariantMap& values)
{
    auto writer = std::make_shared<GroupsDamagedWriter>();
    writer->values = values;
    pf::KeyedArchiver archiver;
    archiver.setClassNameForClass(className, GroupsDamagedWriter::staticClass());
    archiver.encodeObject(writer, pf::KeyedArchiver::kRootKey);
    return pf::KeyedUnarchiver::unarchiveObject(archiver.encodedData());
}

const Shape kSquare = Shape::rect(QRectF(20, 20, 60, 60));

TEST(GroupsImageAdornment, FittingAngleAndClippingPlaceTheImage)
{
    struct Case {
        const char* what;
        int fitting;
        double scale;
        double angle;
        unsigned clipping;
        QRect inked;
    };
    // A 10 x 5 image over a 60 x 60 square centred on (50, 50).
    const Case cases[] = {
        {"fit keeps proportions", PWImageAdornment::FitProportionally, 1.0, 0.0, 0, QRect(20, 35, 60, 30)},
        {"stretch fills the object", PWImageAdornment::StretchToFill, 1.0, 0.0, 0, QRect(20, 20, 60, 60)},
        {"scale by factor", PWImageAdornment::ScaleByFactor, 2.0, 0.0, 0, QRect(40, 45, 20, 10)},
        {"turned a quarter", PWImageAdornment::ScaleByFactor, 2.0, 90.0, 0, QRect(45, 40, 10, 20)},
        {"too large, unclipped", PWImageAdornment::ScaleByFactor, 12.0, 0.0, 0, QRect(0, 20, 100, 60)},
        {"too large, clipped", PWImageAdornment::ScaleByFactor, 12.0, 0.0, 2, QRect(20, 20, 60, 60)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PWImageAdornment adornment(solid(Qt::red, QSize(10, 5)));
        adornment.setFittingOption(c.fitting);
        adornment.setScale(c.scale);
        adornment.setAngleInDegrees(c.angle);
        adornment.setClipping(c.clipping);
        const QImage image = draw(adornment, kSquare);
        EXPECT_EQ(inkedArea(image), c.inked);
        EXPECT_TRUE(inkInside(image, adornment.boundsNeededForObject(kSquare)));
    }
}

TEST(GroupsImageAdornment, TurnsWithTheObjectOpacityAndOperation)
{
    PWImageAdornment adornment(solid(Qt::red, QSize(10, 5)));
    adornment.setFittingOption(PWImageAdornment::ScaleByFactor);
    adornment.setScale(2.0);
    const Shape turned(pf::BezierPath::pathWithRect(QRectF(20, 20, 60, 60)), M_PI / 2.0);
    EXPECT_EQ(inkedArea(draw(adornment, turned)), QRect(45, 40, 10, 20));

    adornment.setOpacity(0.5);
    const QColor half = at(draw(adornment, kSquare), 50, 50);
    EXPECT_NEAR(half.green(), 128, 2);
    EXPECT_EQ(half.red(), 255);

    // Clear wipes what lies under the image instead of drawing it.
    adornment.setOpacity(1.0);
    adornment.setOperation(pw::renderers::CompositeClear);
    const QImage cleared = draw(adornment, kSquare);
    EXPECT_EQ(at(cleared, 50, 50).alpha(), 0);
    EXPECT_EQ(at(cleared, 10, 10), QColor(Qt::white));
    EXPECT_EQ(pw::renderers::compositionModeForValue(pw::renderers::CompositeMultiply),
              QPainter::CompositionMode_Multiply);
}

TEST(GroupsImageAdornment, RefusesValuesOutsideItsChoices)
{
    PWImageAdornment adornment;
    adornment.setClipping(1);
    adornment.setFittingOption(7);
    adornment.setOperation(99);
    adornment.setOpacity(std::nan(""));
    adornment.setScale(1e9);
    EXPECT_EQ(adornment.clipping(), 0u);
    EXPECT_EQ(adornment.fittingOption(), PWImageAdornment::FitProportionally);
    EXPECT_EQ(adornment.operation(), 2u);
    EXPECT_EQ(adornment.opacity(), 1.0);
    EXPECT_EQ(adornment.scale(), PWImageAdornment::kMaxScale);
    pf::Error error;
    QVariant value = 3;
    EXPECT_FALSE(adornment.validateValue(&value, PWImageAdornment::kFittingOptionKey, &error));
    value = QStringLiteral("picture");
    EXPECT_FALSE(adornment.validateValue(&value, PWImageAdornment::kImageKey, &error));
    // Nothing to draw without an image, and no area claimed.
    EXPECT_TRUE(inkedArea(draw(adornment, kSquare)).isNull());
    EXPECT_TRUE(adornment.boundsNeededForObject(kSquare).isNull());
}

TEST(GroupsRepeat, StepsOffsetsTintsAndOrder)
{
    PWRepeatTransformGroup group;
    group.addRenderer(fill(pf::Color::black()));
    group.setDeltaX(20.0);
    const Shape cell = Shape::rect(QRectF(10, 40, 10, 10));
    QImage image = draw(group, cell);
    for (int x : {15, 35, 55, 75})
        EXPECT_FALSE(isWhite(image, x, 45)) << x;
    for (int x : {25, 45, 65, 85})
        EXPECT_TRUE(isWhite(image, x, 45)) << x;
    EXPECT_TRUE(inkInside(image, group.boundsNeededForObject(cell)));

    // Relative steps follow the object's turn: a quarter turn sends them down the image.
    const Shape turned(pf::BezierPath::pathWithRect(QRectF(10, 10, 10, 10)), M_PI / 2.0);
    group.setAngleIsRelative(true);
    group.setNumberOfRepeats(1);
    image = draw(group, turned);
    EXPECT_FALSE(isWhite(image, 15, 35));
    EXPECT_TRUE(isWhite(image, 35, 15));

    // Tints grow toward the blend colour; reversed, the untinted members end on top.
    group.setAngleIsRelative(false);
    group.setNumberOfRepeats(2);
    group.setDeltaX(5.0);
    group.setBlendColour(pf::Color::red());
    image = draw(group, cell);
    EXPECT_EQ(at(image, 12, 45), QColor(Qt::black));
    EXPECT_EQ(at(image, 28, 45), QColor(Qt::red));
    EXPECT_EQ(at(image, 22, 45), QColor(Qt::red)); // the last repeat lies on top
    group.setReversed(true);
    image = draw(group, cell);
    EXPECT_EQ(at(image, 17, 45), QColor(Qt::black));
    EXPECT_EQ(at(image, 28, 45), QColor(Qt::red));
}

TEST(GroupsRepeat, HostileCountsAndScalesStayBounded)
{
    PWRepeatTransformGroup group;
    group.addRenderer(fill(pf::Color::black()));
    group.setNumberOfRepeats(INT_MAX);
    EXPECT_EQ(group.numberOfRepeats(), PWRepeatTransformGroup::kMaxRepeats);
    group.setDeltaAngle(std::nan(""));
    group.setScaleX(std::nan(""));
    EXPECT_EQ(group.deltaAngle(), 0.0);
    EXPECT_EQ(group.scaleX(), 1.0);
    // Growing by 100 a step leaves drawable sizes within a few repeats: the rest are not made.
    group.setScaleX(1e6);
    group.setScaleY(1e6);
    const Shape cell = Shape::rect(QRectF(45, 45, 10, 10));
    EXPECT_LT(group.repeatTransformsForObject(cell).size(), 10);
    const QRectF bounds = group.boundsNeededForObject(cell);
    EXPECT_TRUE(std::isfinite(bounds.width()));
    draw(group, cell);

    const auto decoded = std::dynamic_pointer_cast<PWRepeatTransformGroup>(decodeDamaged(
        "PWRepeatTransformGroup", {{"pw_repeatTransformGroup_numberOfRepeats", INT_MAX},
                                   {"pw_repeatTransformGroup_scaleX", 0.0},
                                   {"pw_repeatTransformGroup_deltaAngle", std::nan("")}}));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->numberOfRepeats(), PWRepeatTransformGroup::kMaxRepeats);
    EXPECT_EQ(decoded->scaleX(), PWRepeatTransformGroup::kMinScale);
    EXPECT_EQ(decoded->scaleY(), 1.0); // missing: no scaling
    EXPECT_EQ(decoded->deltaAngle(), 0.0);
}

TEST(GroupsGloom, GlowAndShadowSpreadAroundTheMembersAndClip)
{
    struct Case {
        const char* what;
        int type;
        int clipping;
        bool haloOutside;
        bool dark;
    };
    const Case cases[] = {
        {"glow", PWGloomGroup::GloomGlow, 0, true, false},
        {"shadow", PWGloomGroup::GloomShadow, 0, true, true},
        {"glow kept inside", PWGloomGroup::GloomGlow, 2, false, false},
    };
    const Shape square = Shape::rect(QRectF(40, 40, 20, 20));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PWGloomGroup group;
        group.addRenderer(fill(pf::Color::blue()));
        group.setRadius(4.0);
        group.setIntensity(2.0);
        group.setType(c.type);
        group.setClipping(c.clipping);
        const QImage image = draw(group, square);
        EXPECT_EQ(at(image, 50, 50), QColor(Qt::blue)); // the members, unchanged
        const QColor halo = at(image, 63, 50);
        EXPECT_EQ(halo != QColor(Qt::white), c.haloOutside);
        if (c.haloOutside)
            EXPECT_EQ(halo.blue() < 200, c.dark);
        EXPECT_TRUE(inkInside(image, group.boundsNeededForObject(square)));
    }
}

TEST(GroupsGloom, DisplayNameFollowsTheTypeForObservers)
{
    auto group = std::make_shared<PWGloomGroup>();
    auto watcher = std::make_shared<GroupsKeyWatcher>();
    group->addObserver(watcher.get(), PWGloomGroup::kDisplayNameKey);
    EXPECT_EQ(group->displayName(), "Glow");
    group->setType(PWGloomGroup::GloomShadow);
    EXPECT_EQ(group->displayName(), "Shadow");
    EXPECT_EQ(watcher->changes, 1);
    group->setType(5);
    EXPECT_EQ(group->type(), PWGloomGroup::GloomShadow);
    group->removeObserver(watcher.get());

    const auto decoded = std::dynamic_pointer_cast<PWGloomGroup>(decodeDamaged(
        "PWGloomGroup", {{"pw_gloomGroup_radius", 1e9}, {"pw_gloomGroup_type", 9}, {"pw_gloomGroup_clipping", -1}}));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->radius(), PWGloomGroup::kMaxRadius);
    EXPECT_EQ(decoded->type(), PWGloomGroup::GloomGlow);
    EXPECT_EQ(decoded->clipping(), 0);
    EXPECT_EQ(decoded->intensity(), 1.0);
}

TEST(GroupsBlur, EachTypeSpreadsAsItShould)
{
    struct Case {
        int type;
        double angle;
        const char* name;
        bool spreadsAcross; // to the right of the square
        bool spreadsDown;   // below it
    };
    const Case cases[] = {
        {PWCIFilterTypeBlurGroup::BlurGaussian, 0.0, "Gaussian Blur", true, true},
        {PWCIFilterTypeBlurGroup::BlurBox, 0.0, "Box Blur", true, true},
        {PWCIFilterTypeBlurGroup::BlurDisc, 0.0, "Disc Blur", true, true},
        {PWCIFilterTypeBlurGroup::BlurMotion, 0.0, "Motion Blur", true, false},
        {PWCIFilterTypeBlurGroup::BlurMotion, 90.0, "Motion Blur", false, true},
    };
    const Shape square = Shape::rect(QRectF(40, 40, 20, 20));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PWCIFilterTypeBlurGroup group;
        group.addRenderer(fill(pf::Color::black()));
        group.setBlurType(c.type);
        group.setBlurAngle(c.angle);
        group.setBlurAmount(4.0);
        EXPECT_EQ(group.displayName(), c.name);
        const QImage image = draw(group, square);
        EXPECT_LT(at(image, 50, 50).lightness(), 60);
        EXPECT_EQ(!isWhite(image, 62, 50), c.spreadsAcross);
        EXPECT_EQ(!isWhite(image, 50, 62), c.spreadsDown);
        EXPECT_TRUE(isWhite(image, 80, 80));
        EXPECT_TRUE(inkInside(image, group.boundsNeededForObject(square)));
    }
}

TEST(GroupsBlur, ClippingHugeAmountsAndDamagedArchives)
{
    const Shape square = Shape::rect(QRectF(40, 40, 20, 20));
    PWCIFilterTypeBlurGroup group;
    group.addRenderer(fill(pf::Color::black()));
    group.setClipping(2);
    QImage image = draw(group, square);
    EXPECT_TRUE(isWhite(image, 62, 50));
    EXPECT_NE(at(image, 41, 50), QColor(Qt::black)); // blurred toward the outside's white

    // The largest amount on every type finishes, and washes a large square out to grey.
    group.setClipping(0);
    group.setBlurAmount(1e9);
    EXPECT_EQ(group.blurAmount(), PWCIFilterTypeBlurGroup::kMaxBlurAmount);
    const Shape large = Shape::rect(QRectF(40, 40, 220, 220));
    for (int type = 0; type <= PWCIFilterTypeBlurGroup::kLastBlurType; ++type) {
        group.setBlurType(type);
        image = draw(group, large, 300);
        EXPECT_FALSE(isWhite(image, 150, 150)) << type;
        EXPECT_GT(at(image, 150, 150).lightness(), 60) << type;
    }

    const auto decoded = std::dynamic_pointer_cast<PWCIFilterTypeBlurGroup>(
        decodeDamaged("PWCIFilterTypeBlurGroup", {{"pw_blurGroup_blurAmount", -3.0},
                                                  {"pw_blurGroup_blurType", 12},
                                                  {"pw_blurGroup_blurAngle", std::nan("")}}));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->blurAmount(), 0.0);
    EXPECT_EQ(decoded->blurType(), PWCIFilterTypeBlurGroup::BlurGaussian);
    EXPECT_EQ(decoded->blurAngle(), 0.0);
}

TEST(GroupsFilter, NamedFiltersChangeThePixelsAndOthersDrawUnchanged)
{
    const Shape square = Shape::rect(QRectF(30, 30, 40, 40));
    PWCIFilterRastGroup group;
    group.addRenderer(fill(pf::Color::red()));
    PWFill plain(pf::Color::red());
    const QImage unchanged = draw(plain, square);
    EXPECT_EQ(draw(group, square), unchanged);

    group.setFilterName(QStringLiteral("CIColorInvert"));
    EXPECT_EQ(at(draw(group, square), 50, 50), QColor(Qt::cyan));
    group.setFilterName(QStringLiteral("CIPhotoEffectMono"));
    const QColor mono = at(draw(group, square), 50, 50);
    EXPECT_EQ(mono.red(), mono.green());
    group.setFilterName(QStringLiteral("CIGaussianBlur"));
    EXPECT_FALSE(isWhite(draw(group, square), 75, 50));

    // A filter this build cannot draw is kept, and the members are drawn as they are.
    group.setFilterName(QStringLiteral("CIPixellate"));
    EXPECT_FALSE(group.hasKnownFilter());
    EXPECT_EQ(draw(group, square), unchanged);
    const auto back = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWCIFilterRastGroup>(
        pf::KeyedArchiver::archivedData(std::static_pointer_cast<PWCIFilterRastGroup>(group.copy())));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->filterName(), "CIPixellate");
    group.setFilterName(QString(1000, QLatin1Char('x')));
    EXPECT_EQ(group.filterName(), "CIPixellate");
}

TEST(GroupsBlend, DirectBlendingAndBlendingAsOnePicture)
{
    // Yellow under the group; the group holds red and then white over the same square.
    const Shape square = Shape::rect(QRectF(30, 30, 40, 40));
    auto styleWith = [](const pf::Ref<PWBlendGroup>& group) {
        auto style = std::make_shared<PWStyle>();
        style->removeAllRenderers();
        style->addRenderer(fill(pf::Color(1, 1, 0)));
        group->addRenderer(fill(pf::Color::red()));
        group->addRenderer(fill(pf::Color::white()));
        style->addRenderer(group);
        return style;
    };
    // Each member multiplies what is under it: white leaves the red.
    auto direct = std::make_shared<PWBlendGroup>();
    EXPECT_EQ(at(draw(*styleWith(direct), square), 50, 50), QColor(Qt::red));
    // The members make one white picture first, which leaves the yellow.
    auto together = std::make_shared<PWQuartzBlendRastGroup>();
    EXPECT_EQ(at(draw(*styleWith(together), square), 50, 50), QColor(Qt::yellow));
    EXPECT_EQ(together->displayName(), "Blend Mode Group");

    together->setBlendMode(99);
    EXPECT_EQ(together->blendMode(), pw::renderers::CompositeMultiply);
    const auto decoded = std::dynamic_pointer_cast<PWQuartzBlendRastGroup>(
        decodeDamaged("PWQuartzBlendRastGroup", {{"pw_blendGroup_blendMode", -4}}));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->blendMode(), pw::renderers::CompositeMultiply);
}

} // namespace
