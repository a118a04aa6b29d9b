// Strokes and fills: pixels drawn, bounds, attributes given to paths, outlines.
#include <gtest/gtest.h>

#include "StylesTestSupport.h"

#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStroke.h"

#include <QPainterPathStroker>

namespace {

using styles_test::PathShape;
using styles_test::renderToImage;

QColor at(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y);
}

TEST(StylesStrokeRendering, DrawsTheLineInItsColourAndWidth)
{
    PWStroke stroke(6.0, pf::Color::red());
    const PathShape line = PathShape::line(QPointF(10, 30), QPointF(50, 30));
    const QImage image = renderToImage([&] { stroke.render(line); });
    EXPECT_EQ(at(image, 30, 30), QColor(Qt::red));
    EXPECT_EQ(at(image, 30, 28), QColor(Qt::red));
    EXPECT_EQ(at(image, 30, 25), QColor(Qt::white));
    EXPECT_EQ(at(image, 7, 30), QColor(Qt::white)); // butt caps stop at the ends
}

TEST(StylesStrokeRendering, LateralOffsetMovesTheLineToTheLeftOfItsDirection)
{
    PWStroke stroke(4.0, pf::Color::blue());
    stroke.setLateralOffset(10.0);
    const PathShape line = PathShape::line(QPointF(10, 30), QPointF(50, 30));
    const QImage image = renderToImage([&] { stroke.render(line); });
    EXPECT_EQ(at(image, 30, 30), QColor(Qt::white));
    EXPECT_EQ(at(image, 30, 20), QColor(Qt::blue)); // running along +x, left is -y
    const QRectF bounds = stroke.boundsNeededForObject(line);
    EXPECT_NEAR(bounds.top(), 18.0, 1e-6);
    EXPECT_NEAR(bounds.bottom(), 22.0, 1e-6);
}

TEST(StylesStrokeRendering, DashLeavesGapsAndClippingKeepsOneSide)
{
    PWStroke stroke(4.0, pf::Color::black());
    stroke.setDash(PWStrokeDash::dashWithPattern({10.0, 10.0}, 2));
    stroke.dash()->setScalesToLineWidth(false);
    const PathShape line = PathShape::line(QPointF(0, 30), QPointF(60, 30));
    QImage image = renderToImage([&] { stroke.render(line); });
    EXPECT_EQ(at(image, 5, 30), QColor(Qt::black));
    EXPECT_EQ(at(image, 15, 30), QColor(Qt::white));
    EXPECT_EQ(at(image, 25, 30), QColor(Qt::black));

    PWStroke edge(8.0, pf::Color::black());
    const PathShape square = PathShape::rect(QRectF(20, 20, 20, 20));
    edge.setClipping(PWStroke::ClipInside);
    image = renderToImage([&] { edge.render(square); });
    EXPECT_EQ(at(image, 22, 30), QColor(Qt::black));
    EXPECT_EQ(at(image, 18, 30), QColor(Qt::white));
    edge.setClipping(PWStroke::ClipOutside);
    image = renderToImage([&] { edge.render(square); });
    EXPECT_EQ(at(image, 22, 30), QColor(Qt::white));
    EXPECT_EQ(at(image, 18, 30), QColor(Qt::black));
}

TEST(StylesStrokeRendering, FillUsesThePathsWindingRuleAndSkipsClearColours)
{
    auto path = pf::BezierPath::pathWithRect(QRectF(10, 10, 40, 40));
    path->appendRect(QRectF(20, 20, 20, 20));
    path->setWindingRule(pf::BezierPath::WindingRule::EvenOdd);
    const PathShape ring(path);
    PWFill fill(pf::Color::green());
    QImage image = renderToImage([&] { fill.render(ring); });
    EXPECT_EQ(at(image, 15, 15), QColor(Qt::green));
    EXPECT_EQ(at(image, 30, 30), QColor(Qt::white)); // the hole

    fill.setColour(pf::Color::clear());
    auto shadow = std::make_shared<pf::Shadow>();
    shadow->setShadowColor(pf::Color::black());
    shadow->setShadowOffset(QSizeF(5, -5));
    fill.setShadow(shadow);
    image = renderToImage([&] { fill.render(ring); });
    EXPECT_EQ(at(image, 52, 52), QColor(Qt::white));
}

TEST(StylesStrokeRendering, NothingIsDrawnWithoutACurrentContext)
{
    PWStroke stroke(4.0, pf::Color::red());
    const PathShape line = PathShape::line(QPointF(0, 0), QPointF(10, 10));
    ASSERT_EQ(pf::GraphicsContext::current(), nullptr);
    stroke.render(line); // must neither crash nor draw anywhere
    SUCCEED();
}

// Round joins and caps: the outline reaches half the width past the curve's own extremes, not
// past its control points; the stroker's outline agrees.
TEST(StylesStrokeBounds, RoundLinesReachHalfTheWidthPastTheirCurves)
{
    auto wave = pf::BezierPath::path();
    wave->moveTo(QPointF(10, 40));
    wave->curveTo(QPointF(70, 40), QPointF(30, -20), QPointF(50, 100)); // end, then the controls
    wave->curveTo(QPointF(95, 60), QPointF(80, 10), QPointF(90, 10));
    PWStroke stroke(6.0, pf::Color::black());
    stroke.setLineCapStyle(pf::BezierPath::LineCap::Round);
    stroke.setLineJoinStyle(pf::BezierPath::LineJoin::Round);
    const QRectF bounds = stroke.boundsNeededForObject(PathShape(wave));

    pf::BezierPath solid(*wave);
    solid.setLineWidth(6.0);
    solid.setLineCapStyle(pf::BezierPath::LineCap::Round);
    solid.setLineJoinStyle(pf::BezierPath::LineJoin::Round);
    const QRectF outline = QPainterPathStroker(solid.pen(QBrush(Qt::black))).createStroke(solid.toQPainterPath()).boundingRect();
    // The stroker follows the curve to within a fraction of a point, inside the exact bounds.
    EXPECT_TRUE(bounds.contains(outline));
    EXPECT_NEAR(bounds.left(), outline.left(), 0.25);
    EXPECT_NEAR(bounds.top(), outline.top(), 0.25);
    EXPECT_NEAR(bounds.right(), outline.right(), 0.25);
    EXPECT_NEAR(bounds.bottom(), outline.bottom(), 0.25);
    EXPECT_GT(bounds.top(), -20.0 + 3.0); // the control point's height is not reached
}

// A closed path without corners has no caps and no miters: its bounds are its own grown by half
// the width whatever the join. A closed path with a sharp corner still reaches out by its miter.
TEST(StylesStrokeBounds, ClosedPathsWithoutCornersReachHalfTheWidth)
{
    const auto outlineOf = [](const pf::BezierPath& path, double width) {
        pf::BezierPath solid(path);
        solid.setLineWidth(width);
        solid.setLineJoinStyle(pf::BezierPath::LineJoin::Miter);
        return QPainterPathStroker(solid.pen(QBrush(Qt::black))).createStroke(solid.toQPainterPath()).boundingRect();
    };
    PWStroke stroke(4.0, pf::Color::black());
    stroke.setLineJoinStyle(pf::BezierPath::LineJoin::Miter);
    stroke.setLineCapStyle(pf::BezierPath::LineCap::Square);

    const pf::Ref<pf::BezierPath> oval = pf::BezierPath::pathWithOval(QRectF(10, 20, 60, 30));
    const QRectF ovalBounds = stroke.boundsNeededForObject(PathShape(oval));
    EXPECT_NEAR(ovalBounds.left(), 8.0, 0.01);
    EXPECT_NEAR(ovalBounds.top(), 18.0, 0.01);
    EXPECT_NEAR(ovalBounds.right(), 72.0, 0.01);
    EXPECT_NEAR(ovalBounds.bottom(), 52.0, 0.01);
    EXPECT_TRUE(ovalBounds.contains(outlineOf(*oval, 4.0)));

    auto triangle = pf::BezierPath::path();
    triangle->moveTo(QPointF(10, 60));
    triangle->lineTo(QPointF(30, 10));
    triangle->lineTo(QPointF(50, 60));
    triangle->closePath();
    const QRectF triangleBounds = stroke.boundsNeededForObject(PathShape(triangle));
    EXPECT_LT(triangleBounds.top(), 10.0 - 2.0 - 1.0); // the apex's miter
    EXPECT_TRUE(triangleBounds.adjusted(-0.01, -0.01, 0.01, 0.01).contains(outlineOf(*triangle, 4.0)));
}

struct BoundsCase {
    const char* name;
    double width;
    pf::BezierPath::LineCap cap;
    pf::BezierPath::LineJoin join;
    QRectF expected;
};

TEST(StylesStrokeBounds, GrowByHalfTheWidthCapsAndMiters)
{
    // An open right angle: (10,10) -> (30,10) -> (30,30).
    auto corner = pf::BezierPath::path();
    corner->moveTo(QPointF(10, 10));
    corner->lineTo(QPointF(30, 10));
    corner->lineTo(QPointF(30, 30));
    const PathShape shape(corner);
    const BoundsCase cases[] = {
        {"butt miter", 4.0, pf::BezierPath::LineCap::Butt, pf::BezierPath::LineJoin::Miter, QRectF(10, 8, 22, 22)},
        {"square caps", 4.0, pf::BezierPath::LineCap::Square, pf::BezierPath::LineJoin::Miter,
         QRectF(8, 8, 24, 24)},
        {"round", 4.0, pf::BezierPath::LineCap::Round, pf::BezierPath::LineJoin::Round, QRectF(8, 8, 24, 24)},
    };
    for (const BoundsCase& c : cases) {
        PWStroke stroke(c.width, pf::Color::black());
        stroke.setLineCapStyle(c.cap);
        stroke.setLineJoinStyle(c.join);
        const QRectF bounds = stroke.boundsNeededForObject(shape);
        EXPECT_NEAR(bounds.left(), c.expected.left(), 0.05) << c.name;
        EXPECT_NEAR(bounds.top(), c.expected.top(), 0.05) << c.name;
        EXPECT_NEAR(bounds.right(), c.expected.right(), 0.05) << c.name;
        EXPECT_NEAR(bounds.bottom(), c.expected.bottom(), 0.05) << c.name;
    }

    // A sharp miter reaches well beyond half the width.
    auto spike = pf::BezierPath::path();
    spike->moveTo(QPointF(10, 40));
    spike->lineTo(QPointF(20, 10));
    spike->lineTo(QPointF(30, 40));
    PWStroke sharp(4.0, pf::Color::black());
    EXPECT_LT(sharp.boundsNeededForObject(PathShape(spike)).top(), 10.0 - 2.0 - 2.0);
}

// Rectangles take their stroke bounds without the stroker: they must be what it gives.
TEST(StylesStrokeBounds, RectanglesMatchTheStrokersBounds)
{
    using Join = pf::BezierPath::LineJoin;
    auto withLineBack = pf::BezierPath::path(); // drawn the other way round, back at its start
    withLineBack->moveTo(QPointF(40, 5));
    withLineBack->lineTo(QPointF(40, 25));
    withLineBack->lineTo(QPointF(10, 25));
    withLineBack->lineTo(QPointF(10, 5));
    withLineBack->lineTo(QPointF(40, 5));
    withLineBack->closePath();
    const pf::Ref<pf::BezierPath> rectangles[] = {pf::BezierPath::pathWithRect(QRectF(10, 20, 30, 8)),
                                                  pf::BezierPath::pathWithRect(QRectF(0.25, -3, 0.5, 100)),
                                                  withLineBack};
    for (const auto& rectangle : rectangles)
        for (const Join join : {Join::Miter, Join::Round, Join::Bevel})
            for (const double width : {0.1, 3.0, 50.0}) {
                PWStroke stroke(width, pf::Color::black());
                stroke.setLineJoinStyle(join);
                pf::BezierPath solid(*rectangle);
                solid.setLineWidth(width);
                solid.setLineJoinStyle(join);
                const QRectF exact = QPainterPathStroker(solid.pen(QBrush(Qt::black)))
                                         .createStroke(solid.toQPainterPath())
                                         .boundingRect();
                const QRectF bounds = stroke.boundsNeededForObject(PathShape(rectangle));
                const QString label = QStringLiteral("join %1, width %2").arg(int(join)).arg(width);
                EXPECT_NEAR(bounds.left(), exact.left(), 1e-9) << qPrintable(label);
                EXPECT_NEAR(bounds.top(), exact.top(), 1e-9) << qPrintable(label);
                EXPECT_NEAR(bounds.right(), exact.right(), 1e-9) << qPrintable(label);
                EXPECT_NEAR(bounds.bottom(), exact.bottom(), 1e-9) << qPrintable(label);
            }
}

TEST(StylesStrokeBounds, ShadowAddsItsOffsetAndBlur)
{
    PWStroke stroke(2.0, pf::Color::black());
    const PathShape square = PathShape::rect(QRectF(10, 10, 20, 20));
    auto shadow = std::make_shared<pf::Shadow>();
    shadow->setShadowOffset(QSizeF(4, -6)); // right and down on screen
    shadow->setShadowBlurRadius(3);
    stroke.setShadow(shadow);
    const QRectF bounds = stroke.boundsNeededForObject(square);
    EXPECT_NEAR(bounds.left(), 9 - 3, 0.05);
    EXPECT_NEAR(bounds.top(), 9 - 3, 0.05);
    EXPECT_NEAR(bounds.right(), 31 + 4 + 3, 0.05);
    EXPECT_NEAR(bounds.bottom(), 31 + 6 + 3, 0.05);
}

TEST(StylesStrokeAttributes, ApplyToPathAndCurrentColour)
{
    PWStroke stroke(3.0, pf::Color::red());
    stroke.setLineJoinStyle(pf::BezierPath::LineJoin::Round);
    stroke.setDash(PWStrokeDash::dashWithPattern({2, 1}, 2)); // scaled to the width
    pf::BezierPath path;
    QImage image(4, 4, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    pf::GraphicsContextScope scope(painter, true);
    stroke.applyAttributesToPath(path);
    EXPECT_EQ(path.lineWidth(), 3.0);
    EXPECT_EQ(path.lineJoinStyle(), pf::BezierPath::LineJoin::Round);
    EXPECT_EQ(path.dashPattern(), (QList<double>{6.0, 3.0}));
    EXPECT_EQ(scope.context().strokeColour(), pf::Color::red());
    EXPECT_EQ(scope.context().fillColour(), pf::Color::red());
}

TEST(StylesStrokeOutline, OutlineIsClosedAndCoversTheLine)
{
    PWStroke stroke(6.0, pf::Color::black());
    const PathShape line = PathShape::line(QPointF(10, 30), QPointF(50, 30));
    const auto outline = stroke.outlinedStrokeForObject(line);
    ASSERT_FALSE(outline->isEmpty());
    EXPECT_EQ(outline->elementAt(outline->elementCount() - 1).type, pf::BezierPath::ElementType::ClosePath);
    EXPECT_TRUE(outline->containsPoint(QPointF(30, 32)));
    EXPECT_FALSE(outline->containsPoint(QPointF(30, 34)));
    EXPECT_NEAR(outline->bounds().height(), 6.0, 1e-6);
}

} // namespace
