// Every renderer the style editor makes by name: made from its plain constructor, drawn,
// copied through the pasteboard, found in a tree, and archived in one style that draws the
// same pixels afterwards. Also the per-object caches of the stroke and decorator renderers.
#include <gtest/gtest.h>

#include "RenderersTestSupport.h"

#include "frameworks/penwork/archiving/PWRasterizerPasteboard.h"
#include "frameworks/penwork/renderers/PWArrowStroke.h"
#include "frameworks/penwork/renderers/PWCIFilterRastGroup.h"
#include "frameworks/penwork/renderers/PWFillPattern.h"
#include "frameworks/penwork/renderers/PWImageAdornment.h"
#include "frameworks/penwork/renderers/PWPathDecorator.h"
#include "frameworks/penwork/renderers/PWTilingFill.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "frameworks/penwork/styles/PWStyle.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/ui/Pasteboard.h"

#include <QBuffer>

using namespace renderers_test;

namespace {

const QStringList kComponentClasses = {
    "PWStroke",        "PWFill",          "PWRastGroup",          "PWImageAdornment", "PWCIFilterRastGroup",
    "PWTextAdornment", "PWHatching",      "PWArrowStroke",        "PWPathDecorator",  "PWFillPattern",
    "PWBlendGroup",    "PWZigZagStroke",  "PWZigZagFill",         "PWRoughStroke",    "PWGradientFill",
    "PWRepeatTransformGroup", "PWCIFilterTypeBlurGroup", "PWGloomGroup", "PWTilingFill",
    "PWQuartzBlendRastGroup"};

QImage motif()
{
    QImage image(6, 4, QImage::Format_ARGB32);
    image.fill(Qt::darkGreen);
    return image;
}

// The class made by name, given what it needs to draw something: an image, a member.
pf::Ref<PWRasterizer> componentNamed(const QString& name)
{
    pf::Class* cls = pf::Class::named(name);
    if (!cls)
        return nullptr;
    auto renderer = std::dynamic_pointer_cast<PWRasterizer>(cls->create());
    if (!renderer)
        return nullptr;
    if (auto decorator = std::dynamic_pointer_cast<PWPathDecorator>(renderer))
        decorator->setImage(motif());
    if (auto adornment = std::dynamic_pointer_cast<PWImageAdornment>(renderer))
        adornment->setImage(motif());
    if (auto tiling = std::dynamic_pointer_cast<PWTilingFill>(renderer)) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        motif().save(&buffer, "PNG");
        tiling->setImageData(png);
    }
    if (auto filter = std::dynamic_pointer_cast<PWCIFilterRastGroup>(renderer))
        filter->setFilterName(QStringLiteral("CIColorInvert"));
    if (auto group = std::dynamic_pointer_cast<PWRastGroup>(renderer))
        group->addRenderer(std::make_shared<PWStroke>(3.0, pf::Color::blue()));
    return renderer;
}

const Shape kOval(pf::BezierPath::pathWithOval(QRectF(25, 30, 50, 40)));

TEST(GroupsComponents, EveryClassIsMadeByNameDrawsAndTravelsByPasteboard)
{
    for (const QString& name : kComponentClasses) {
        SCOPED_TRACE(qPrintable(name));
        pf::Class* cls = pf::Class::named(name);
        if (!cls && name == "PWTextAdornment")
            continue; // made by another part of the framework, not always linked in
        ASSERT_NE(cls, nullptr);
        EXPECT_EQ(cls->name(), name);
        const auto plain = std::dynamic_pointer_cast<PWRasterizer>(cls->create());
        ASSERT_TRUE(plain);
        EXPECT_FALSE(plain->displayName().isEmpty());
        draw(*plain, kOval); // usable at once

        const pf::Ref<PWRasterizer> renderer = componentNamed(name);
        const QImage image = draw(*renderer, kOval);
        if (name != "PWRastGroup" && name != "PWTextAdornment" && name != "PWBlendGroup")
            EXPECT_FALSE(inkedArea(image).isNull());

        const auto pasteboard = pf::Pasteboard::withName(QStringLiteral("groups-components-") + name);
        ASSERT_TRUE(PWRasterizerPasteboard::copyToPasteboard(renderer, *pasteboard));
        const pf::Ref<PWRasterizer> pasted = PWRasterizerPasteboard::rasterizerFromPasteboard(*pasteboard);
        ASSERT_TRUE(pasted);
        EXPECT_EQ(pasted->className(), name);
        EXPECT_TRUE(pasted->isEqual(renderer.get()));
        EXPECT_EQ(pasted->container(), nullptr);
    }
}

TEST(GroupsComponents, StyleOfEveryComponentRoundTripsAndDrawsTheSame)
{
    auto style = std::make_shared<PWStyle>();
    style->removeAllRenderers();
    auto nest = std::make_shared<PWRastGroup>();
    style->addRenderer(nest);
    int made = 0;
    for (const QString& name : kComponentClasses) {
        const pf::Ref<PWRasterizer> renderer = componentNamed(name);
        if (!renderer)
            continue;
        // Groups go inside the nest, so renderersOfClass has a tree to search.
        if (std::dynamic_pointer_cast<PWRastGroup>(renderer))
            nest->addRenderer(renderer);
        else
            style->addRenderer(renderer);
        ++made;
    }
    ASSERT_GE(made, kComponentClasses.size() - 1);
    EXPECT_EQ(style->renderersOfClass(*pf::Class::named("PWGloomGroup")).size(), 1);
    // The nest and seven groups within it, each of those holding a stroke, and four strokes
    // of the table's own.
    EXPECT_EQ(style->renderersOfClass<PWRastGroup>().size(), 8);
    EXPECT_EQ(style->renderersOfClass<PWStroke>().size(), 11);

    pf::Error error;
    const QByteArray data = pf::KeyedArchiver::archivedData(style);
    const auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWStyle>(data, &error);
    ASSERT_TRUE(decoded) << qPrintable(error.description());
    EXPECT_TRUE(decoded->isEqual(style.get()));
    const QImage before = draw(*style, kOval, 120);
    EXPECT_EQ(draw(*decoded, kOval, 120), before);
    EXPECT_FALSE(inkedArea(before).isNull());
}

TEST(GroupsCaches, RedrawsFollowTheObjectAndTheSettings)
{
    // Two objects of one checksum but different paths, then a change of setting: each drawing
    // must match a fresh renderer's.
    const Shape left(pf::BezierPath::pathWithRect(QRectF(10, 10, 30, 30)), 0.0, 5);
    const Shape right(pf::BezierPath::pathWithRect(QRectF(55, 50, 35, 40)), 0.0, 5);
    auto decorator = std::make_shared<PWPathDecorator>(motif());
    decorator->setInterval(7.0);
    auto arrow = std::make_shared<PWArrowStroke>();
    arrow->setArrowHeadAtStart(PWArrowStroke::HeadCircle);
    arrow->setDimensioningLineOptions(PWArrowStroke::DimensionTextAbove);
    const QList<pf::Ref<PWRasterizer>> renderers{decorator, arrow};
    for (const pf::Ref<PWRasterizer>& renderer : renderers) {
        SCOPED_TRACE(qPrintable(renderer->className()));
        auto fresh = [&] { return std::static_pointer_cast<PWRasterizer>(renderer->copy()); };
        EXPECT_EQ(draw(*renderer, left), draw(*fresh(), left));
        EXPECT_EQ(draw(*renderer, right), draw(*fresh(), right));
        EXPECT_EQ(draw(*renderer, left), draw(*fresh(), left));
        EXPECT_EQ(renderer->boundsNeededForObject(right), fresh()->boundsNeededForObject(right));
        renderer->setValueForKey(renderer == decorator ? QVariant(15.0) : QVariant(4.0),
                                 renderer == decorator ? QStringLiteral("interval") : QStringLiteral("width"));
        EXPECT_EQ(draw(*renderer, right), draw(*fresh(), right));
        EXPECT_EQ(renderer->boundsNeededForObject(right), fresh()->boundsNeededForObject(right));
    }
}

} // namespace
