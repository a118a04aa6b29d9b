// Drawing through a style: what it leaves behind in the painter and the context, and the one
// rendering path its renderers share.
#include "StylesTestSupport.h"

#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/renderers/PWHatching.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWRenderingPathScope.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "frameworks/penwork/styles/PWStyle.h"

#include "platform/graphics/Shadow.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using styles_test::PathShape;

// A path-only object that counts how often it is asked for its path.
class CountingShape : public PathShape {
public:
    explicit CountingShape(const QRectF& rect) : PathShape(pf::BezierPath::pathWithRect(rect)) {}
    pf::Ref<pf::BezierPath> renderingPath() const override
    {
        ++asked;
        return PathShape::renderingPath();
    }
    mutable int asked = 0;
};

pf::Ref<pf::Shadow> aShadow()
{
    auto shadow = std::make_shared<pf::Shadow>();
    shadow->setShadowOffset(QSizeF(3, 3));
    shadow->setShadowColor(pf::Color::black());
    return shadow;
}

struct StyleCase {
    const char* name;
    std::function<pf::Ref<PWStyle>()> make;
};

class StylesDrawingState : public testing::TestWithParam<StyleCase> {};

// Whatever a style draws, the painter and the context are as they were afterwards: the next
// object must not inherit a colour, a pen, a clip or a hint.
TEST_P(StylesDrawingState, LeavesThePainterAndTheContextAsTheyWere)
{
    const pf::Ref<PWStyle> style = GetParam().make();
    const PathShape shape = PathShape::rect(QRectF(10, 10, 30, 20));
    QImage image(60, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QPen pen(Qt::green, 3.0);
    painter.setPen(pen);
    painter.setBrush(Qt::yellow);
    pf::GraphicsContextScope scope(painter, true);
    pf::GraphicsContext& context = scope.context();
    context.setFillColour(pf::Color::red());
    context.setStrokeColour(pf::Color::blue());

    style->render(shape);

    EXPECT_EQ(context.fillColour(), pf::Color::red());
    EXPECT_EQ(context.strokeColour(), pf::Color::blue());
    EXPECT_EQ(context.shadow(), nullptr);
    EXPECT_EQ(context.graphicsStateDepth(), 0);
    EXPECT_EQ(painter.testRenderHint(QPainter::Antialiasing), false);
    EXPECT_EQ(painter.pen(), pen);
    EXPECT_EQ(painter.brush(), QBrush(Qt::yellow));
    EXPECT_FALSE(painter.hasClipping());
    EXPECT_TRUE(painter.worldTransform().isIdentity());
    // And it drew: the stroke colour is on the outline.
    EXPECT_NE(image.pixelColor(10, 25), QColor(Qt::white));
}

INSTANTIATE_TEST_SUITE_P(
    Styles, StylesDrawingState,
    testing::Values(
        StyleCase{"PlainFillAndStroke", [] { return PWStyle::styleWithFillColour(pf::Color::white(), pf::Color::black()); }},
        StyleCase{"ShadowedFill",
                  [] {
                      auto style = PWStyle::styleWithFillColour(pf::Color::white(), pf::Color::black());
                      style->renderersOfClass<PWFill>().first()->setShadow(aShadow());
                      return style;
                  }},
        StyleCase{"ClippedShadowedStroke",
                  [] {
                      auto style = PWStyle::styleWithFillColour(pf::Color::white(), pf::Color::black());
                      auto stroke = style->renderersOfClass<PWStroke>().first();
                      stroke->setWidth(4.0);
                      stroke->setClipping(2);
                      stroke->setShadow(aShadow());
                      return style;
                  }},
        StyleCase{"WithAnotherRenderer",
                  [] {
                      auto style = PWStyle::styleWithFillColour(pf::Color::white(), pf::Color::black());
                      style->addRenderer(std::make_shared<PWHatching>());
                      return style;
                  }},
        StyleCase{"HalfOpaque",
                  [] {
                      auto style = PWStyle::styleWithFillColour(pf::Color::white(), pf::Color::black());
                      style->setOpacity(0.5);
                      return style;
                  }}),
    [](const testing::TestParamInfo<StyleCase>& info) { return std::string(info.param.name); });

TEST(StylesDrawing, RenderersShareOneRenderingPathPerDraw)
{
    auto style = PWStyle::styleWithFillColour(pf::Color::white(), pf::Color::black());
    style->addRenderer(PWStroke::strokeWithWidth(3.0, pf::Color::red()));
    CountingShape shape(QRectF(10, 10, 30, 20));
    styles_test::renderToImage([&] { style->render(shape); });
    EXPECT_EQ(shape.asked, 1);
    // The next draw asks again: the shape may have moved in between.
    styles_test::renderToImage([&] { style->render(shape); });
    EXPECT_EQ(shape.asked, 2);
}

TEST(StylesDrawing, ASharedPathIsOnlyForItsOwnObject)
{
    CountingShape outer(QRectF(0, 0, 10, 10));
    CountingShape inner(QRectF(20, 20, 5, 5));
    {
        const PWRenderingPathScope outerScope(outer);
        const pf::Ref<pf::BezierPath> first = PWRenderingPathScope::renderingPathOf(outer);
        {
            const PWRenderingPathScope innerScope(inner);
            EXPECT_EQ(PWRenderingPathScope::renderingPathOf(inner)->bounds(), QRectF(20, 20, 5, 5));
            EXPECT_EQ(PWRenderingPathScope::renderingPathOf(outer), first); // the outer scope still serves
        }
        EXPECT_EQ(PWRenderingPathScope::renderingPathOf(outer), first);
        EXPECT_EQ(first->bounds(), QRectF(0, 0, 10, 10));
    }
    EXPECT_EQ(outer.asked, 1);
    EXPECT_EQ(inner.asked, 1);
    PWRenderingPathScope::renderingPathOf(outer); // no scope: asked every time
    PWRenderingPathScope::renderingPathOf(outer);
    EXPECT_EQ(outer.asked, 3);
}

TEST(StylesStyleClients, DrawablesLeaveTheirStyleWhenDestroyedOrRestyled)
{
    auto style = PWStyle::styleWithFillColour(pf::Color::white(), pf::Color::black());
    auto other = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color::black());
    std::vector<pf::Ref<PWDrawableShape>> shapes;
    for (int i = 0; i < 50; ++i)
        shapes.push_back(PWDrawableShape::drawableShapeWithRect(QRectF(i, i, 5, 5), style));
    EXPECT_EQ(style->countOfClients(), 50);
    shapes.erase(shapes.begin(), shapes.begin() + 40);
    EXPECT_EQ(style->countOfClients(), 10);
    shapes.front()->setStyle(other);
    EXPECT_EQ(style->countOfClients(), 9);
    EXPECT_EQ(other->countOfClients(), 1);
    EXPECT_TRUE(style->hasClient(shapes.back().get()));
    // A change reaches only the shapes still there (a gone one would be a dangling call).
    const QRectF before = shapes.back()->bounds();
    style->renderersOfClass<PWStroke>().first()->setWidth(9.0);
    EXPECT_NE(shapes.back()->bounds(), before);
    shapes.clear();
    EXPECT_EQ(style->countOfClients(), 0);
    EXPECT_EQ(other->countOfClients(), 0);
}

} // namespace
