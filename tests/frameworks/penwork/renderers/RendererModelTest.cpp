// The renderer family as model objects: archiving, the retired class name, damaged archives,
// copies and the change protocol.
#include <gtest/gtest.h>

#include "RenderersTestSupport.h"

#include "frameworks/penwork/renderers/PWArrowStroke.h"
#include "frameworks/penwork/renderers/PWFillPattern.h"
#include "frameworks/penwork/renderers/PWGradientFill.h"
#include "frameworks/penwork/renderers/PWHatching.h"
#include "frameworks/penwork/renderers/PWPathDecorator.h"
#include "frameworks/penwork/renderers/PWRoughStroke.h"
#include "frameworks/penwork/renderers/PWTilingFill.h"
#include "frameworks/penwork/renderers/PWZigZagFill.h"
#include "frameworks/penwork/renderers/PWZigZagStroke.h"
#include "frameworks/penwork/styles/PWStyle.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QBuffer>

namespace {

QImage smallImage()
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    return image;
}

// One of each renderer, every one with settings away from its defaults.
QList<pf::Ref<PWRasterizer>> everyRenderer()
{
    auto arrow = std::make_shared<PWArrowStroke>();
    arrow->setArrowHeadAtStart(PWArrowStroke::HeadDiamond);
    arrow->setArrowHeadWidth(12);
    arrow->setOutlineColour(pf::Color::red());
    arrow->setOutlineWidth(1.5);
    arrow->setDimensioningLineOptions(PWArrowStroke::DimensionTextBelow);
    arrow->setDimensionToleranceOption(1);
    auto zigZag = std::make_shared<PWZigZagStroke>();
    zigZag->setAmplitude(7);
    zigZag->setClosed(false);
    auto rough = std::make_shared<PWRoughStroke>();
    rough->setRoughness(3.5);
    auto zigZagFill = std::make_shared<PWZigZagFill>();
    zigZagFill->setWavelength(33);
    zigZagFill->setSpread(2);
    auto gradient = std::make_shared<PWGradientFill>();
    gradient->setGradientType(PWGradientFill::Radial);
    gradient->setGradient(std::make_shared<pf::Gradient>(pf::Color::red(), pf::Color::blue()));
    gradient->setStartingLocation(QPointF(0.1, -0.2));
    gradient->setEndingRadius(0.75);
    gradient->setRadialParametersAreRelative(true);
    auto hatching = std::make_shared<PWHatching>();
    hatching->setSpacing(3);
    hatching->setAngleInDegrees(-30);
    hatching->setDash(PWStrokeDash::defaultDash());
    hatching->setLineCapStyle(pf::BezierPath::LineCap::Round);
    auto tiling = std::make_shared<PWTilingFill>();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    smallImage().save(&buffer, "PNG");
    tiling->setImageData(png);
    tiling->setOpacity(0.25);
    auto decorator = std::make_shared<PWPathDecorator>(smallImage());
    decorator->setInterval(14);
    decorator->setNormalToPath(false);
    decorator->setClipping(1);
    auto pattern = std::make_shared<PWFillPattern>(smallImage());
    pattern->setMotifAngleInDegrees(15);
    pattern->setAutoTile(true);
    pattern->setPatternAlternateYOffset(0.5);
    return {arrow, zigZag, rough, zigZagFill, gradient, hatching, tiling, decorator, pattern};
}

TEST(RenderersModel, StyleOfEveryRendererSurvivesArchiving)
{
    auto style = std::make_shared<PWStyle>();
    const QList<pf::Ref<PWRasterizer>> renderers = everyRenderer();
    for (const pf::Ref<PWRasterizer>& renderer : renderers)
        style->addRenderer(renderer);
    pf::Error error;
    const QByteArray data = pf::KeyedArchiver::archivedData(style);
    const auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWStyle>(data, &error);
    ASSERT_TRUE(decoded) << qPrintable(error.description());
    ASSERT_EQ(decoded->countOfRenderList(), renderers.size());
    for (int i = 0; i < renderers.size(); ++i) {
        SCOPED_TRACE(qPrintable(renderers[i]->className()));
        const pf::Ref<PWRasterizer> back = decoded->rendererAtIndex(i);
        EXPECT_EQ(back->className(), renderers[i]->className());
        EXPECT_TRUE(back->isEqual(renderers[i].get()));
        EXPECT_FALSE(back->isEqual(PWRasterizer::staticClass().create().get()));
    }
    const auto tiling = std::static_pointer_cast<PWTilingFill>(decoded->rendererAtIndex(6));
    EXPECT_EQ(tiling->image().size(), QSize(3, 2));
}

TEST(RenderersModel, RetiredGradientFillNameDecodesAsGradientFill)
{
    auto fill = std::make_shared<PWGradientFill>();
    fill->setGradientAngle(1.25);
    pf::KeyedArchiver archiver;
    archiver.setClassNameForClass(PWGradientFill::kRetiredClassName, PWGradientFill::staticClass());
    archiver.encodeObject(fill, pf::KeyedArchiver::kRootKey);
    const QByteArray data = archiver.encodedData();
    ASSERT_TRUE(data.contains("PWXGradientFill"));
    ASSERT_FALSE(data.contains(QByteArray("PWGradientFill")));
    const auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWGradientFill>(data);
    ASSERT_TRUE(decoded);
    EXPECT_DOUBLE_EQ(decoded->gradientAngle(), 1.25);
}

// Writes the keys of a renderer with values no setter accepts, as a damaged file might hold.
class DamagedRendererWriter : public pf::Object, public pf::Coding {
    PF_CLASS(DamagedRendererWriter)
public:
    QVariantMap values;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override
    {
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (it.value().typeId() == QMetaType::Int)
                coder.encodeInt32(it.value().toInt(), it.key());
            else
                coder.encodeDouble(it.value().toDouble(), it.key());
        }
    }
    void initWithCoder(pf::KeyedUnarchiver&) override {}
};

PF_DEFINE_CLASS(DamagedRendererWriter, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
}

pf::Ref<pf::Object> decodeDamaged(const QString& className, const QVariantMap& values)
{
    auto writer = std::make_shared<DamagedRendererWriter>();
    writer->values = values;
    pf::KeyedArchiver archiver;
    archiver.setClassNameForClass(className, DamagedRendererWriter::staticClass());
    archiver.encodeObject(writer, pf::KeyedArchiver::kRootKey);
    return pf::KeyedUnarchiver::unarchiveObject(archiver.encodedData());
}

TEST(RenderersModel, DamagedArchivesDecodeClamped)
{
    const double nan = std::nan("");
    const auto zigZag = std::dynamic_pointer_cast<PWZigZagStroke>(decodeDamaged(
        "PWZigZagStroke", {{"pw_zigZagStroke_wavelength", 0.0}, {"pw_zigZagStroke_amplitude", -9.0}}));
    ASSERT_TRUE(zigZag);
    EXPECT_EQ(zigZag->wavelength(), PWZigZagStroke::kMinWavelength);
    EXPECT_EQ(zigZag->amplitude(), 0.0);

    const auto hatching = std::dynamic_pointer_cast<PWHatching>(decodeDamaged(
        "PWHatching", {{"pw_hatching_spacing", 0.0}, {"pw_hatching_lineCapStyle", 9}, {"pw_hatching_angleInDegrees", nan}}));
    ASSERT_TRUE(hatching);
    EXPECT_EQ(hatching->spacing(), PWHatching::kMinSpacing);
    EXPECT_EQ(hatching->lineCapStyle(), pf::BezierPath::LineCap::Butt);
    EXPECT_EQ(hatching->angleInDegrees(), 45.0);

    const auto decorator = std::dynamic_pointer_cast<PWPathDecorator>(decodeDamaged(
        "PWPathDecorator", {{"pw_pathDecorator_interval", -5.0}, {"pw_pathDecorator_clipping", 12}}));
    ASSERT_TRUE(decorator);
    EXPECT_EQ(decorator->interval(), PWPathDecorator::kMinInterval);
    EXPECT_EQ(decorator->clipping(), 0);

    const auto arrow = std::dynamic_pointer_cast<PWArrowStroke>(decodeDamaged(
        "PWArrowStroke", {{"pw_arrowStroke_arrowHeadAtEnd", 99}, {"pw_arrowStroke_arrowHeadLength", 1e12}}));
    ASSERT_TRUE(arrow);
    EXPECT_EQ(arrow->arrowHeadAtEnd(), PWArrowStroke::HeadArrow);
    EXPECT_EQ(arrow->arrowHeadLength(), PWArrowStroke::kMaxHeadSize);

    const auto gradient = std::dynamic_pointer_cast<PWGradientFill>(
        decodeDamaged("PWGradientFill", {{"pw_gradientFill_type", 5}, {"pw_gradientFill_startingRadius", nan}}));
    ASSERT_TRUE(gradient);
    EXPECT_EQ(gradient->gradientType(), PWGradientFill::Linear);
    EXPECT_EQ(gradient->startingRadius(), 0.0);
}

TEST(RenderersModel, CopiesAreEqualAndIndependent)
{
    for (const pf::Ref<PWRasterizer>& original : everyRenderer()) {
        SCOPED_TRACE(qPrintable(original->className()));
        const auto copy = std::static_pointer_cast<PWRasterizer>(original->copy());
        EXPECT_EQ(copy->className(), original->className());
        EXPECT_TRUE(copy->isEqual(original.get()));
        copy->setEnabled(false);
        EXPECT_TRUE(original->enabled());
        // Objects the renderer holds are its own in the copy as well.
        if (auto hatching = std::dynamic_pointer_cast<PWHatching>(copy)) {
            hatching->dash()->setPhase(3.0);
            EXPECT_EQ(std::static_pointer_cast<PWHatching>(original)->dash()->phase(), 0.0);
        }
        if (auto arrow = std::dynamic_pointer_cast<PWArrowStroke>(copy)) {
            arrow->setArrowHeadAtEnd(PWArrowStroke::HeadCircle);
            EXPECT_EQ(std::static_pointer_cast<PWArrowStroke>(original)->arrowHeadAtEnd(), PWArrowStroke::HeadArrow);
        }
    }
}

// Records the renderer change protocol.
class Recorder : public PWRasterizerObserver {
public:
    QStringList messages;
    void rasterizerWillChange(PWRasterizer&, const QString& keyPath) override { messages << "will:" + keyPath; }
    void rasterizerDidChange(PWRasterizer&, const QString& keyPath) override { messages << "did:" + keyPath; }
};

TEST(RenderersModel, KeyedChangesFollowTheProtocolAndLockedStylesRefuse)
{
    struct Case {
        const char* cls;
        const char* key;
        QVariant value;
        const char* actionName;
    };
    const Case cases[] = {
        {"PWArrowStroke", "arrowHeadAtStart", 3, "Arrow Head"},
        {"PWArrowStroke", "outlineWidth", 2.0, "Arrow Stroke Outline Width"},
        {"PWZigZagStroke", "spread", 4.0, "Zig-Zag Stroke Spread"},
        {"PWRoughStroke", "roughness", 6.0, "Rough Stroke Roughness"},
        {"PWZigZagFill", "closed", false, "Zig-Zag Fill Closed"},
        {"PWGradientFill", "gradientAngle", 0.5, "Gradient Fill Angle"},
        {"PWHatching", "spacing", 12.0, "Hatch Fill Spacing"},
        {"PWTilingFill", "opacity", 0.5, "Tiling Fill Opacity"},
        {"PWPathDecorator", "wobblyness", 2.0, "Path Decorator Wobble"},
        {"PWFillPattern", "motifAngleRandomness", 0.3, "Pattern Fill Motif Angle Randomness"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        pf::Class* cls = pf::Class::named(c.cls);
        ASSERT_NE(cls, nullptr);
        const auto renderer = std::dynamic_pointer_cast<PWRasterizer>(cls->create());
        ASSERT_TRUE(renderer);
        EXPECT_TRUE(renderer->observableKeyPaths().contains(c.key));
        Recorder recorder;
        renderer->setRastObserver(&recorder);
        renderer->setValueForKey(c.value, c.key);
        EXPECT_EQ(recorder.messages, QStringList({QStringLiteral("will:") + c.key, QStringLiteral("did:") + c.key}));
        EXPECT_TRUE(pf::isEqual(renderer->valueForKey(c.key), c.value));
        renderer->setValueForKey(c.value, c.key); // the same value again sends nothing
        EXPECT_EQ(recorder.messages.size(), 2);
        EXPECT_EQ(renderer->actionNameForKeyPath(c.key), QString::fromUtf8(c.actionName));
        renderer->setRastObserver(nullptr);

        auto style = std::make_shared<PWStyle>();
        const auto fresh = std::dynamic_pointer_cast<PWRasterizer>(cls->create());
        style->addRenderer(fresh);
        style->setLocked(true);
        const QVariant before = fresh->valueForKey(c.key);
        fresh->setValueForKey(c.value, c.key);
        EXPECT_TRUE(pf::isEqual(fresh->valueForKey(c.key), before));
    }
}

} // namespace
