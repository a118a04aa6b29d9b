// Path decorators and pattern fills: copies of an image along a path or over an area.
#include <gtest/gtest.h>

#include "RenderersTestSupport.h"

#include "frameworks/penwork/renderers/PWFillPattern.h"
#include "frameworks/penwork/renderers/PWPathDecorator.h"

namespace {

using namespace renderers_test;

const Shape kLine = Shape::line(QPointF(10, 50), QPointF(90, 50));
const Shape kSquare = Shape::rect(QRectF(20, 20, 60, 60));

QImage solid(const QColor& colour, const QSize& size = QSize(4, 4))
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// Runs of inked pixels along a row.
int runsOnRow(const QImage& image, int y)
{
    int runs = 0;
    bool inRun = false;
    for (int x = 0; x < image.width(); ++x) {
        const bool inked = !isWhite(image, x, y);
        runs += inked && !inRun ? 1 : 0;
        inRun = inked;
    }
    return runs;
}

TEST(RenderersPathDecorator, CopiesFollowIntervalOffsetAndChain)
{
    struct Case {
        const char* name;
        double interval, offset;
        bool alternates, chain;
        int row, runs;
    };
    const Case cases[] = {
        // Copies at 10, 30, 50, 70 (and 90) along the 80 long line: one every 20.
        {"interval", 20, 0, false, false, 50, 4},
        {"offset left", 20, 10, false, false, 40, 4},
        {"alternating", 20, 10, true, false, 60, 2},
        // Chained 4 wide copies touch: one run along the whole line.
        {"chain", 20, 0, false, true, 50, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PWPathDecorator decorator(solid(Qt::red));
        decorator.setInterval(c.interval);
        decorator.setLateralOffset(c.offset);
        decorator.setLateralOffsetAlternates(c.alternates);
        decorator.setUsesChainMethod(c.chain);
        const QImage image = draw(decorator, kLine);
        EXPECT_EQ(runsOnRow(image, c.row), c.runs);
        EXPECT_TRUE(inkInside(image, decorator.boundsNeededForObject(kLine)));
    }
}

TEST(RenderersPathDecorator, LeadInShrinksTheEndCopiesAndClippingKeepsOneSide)
{
    PWPathDecorator decorator(solid(Qt::blue, QSize(8, 8)));
    decorator.setInterval(20);
    QImage image = draw(decorator, kLine);
    EXPECT_FALSE(isWhite(image, 20, 47)); // full size copy at 20: 8 tall
    decorator.setLeadInAndOutLengthProportion(0.5);
    image = draw(decorator, kLine);
    EXPECT_TRUE(isWhite(image, 20, 47)); // a quarter of the way in: a quarter of the size
    EXPECT_FALSE(isWhite(image, 60, 49)); // further in, three quarters of the size

    const Shape square = kSquare;
    decorator.setLeadInAndOutLengthProportion(0.0);
    decorator.setClipping(2);
    image = draw(decorator, square);
    EXPECT_TRUE(QRectF(19, 19, 62, 62).contains(QRectF(inkedArea(image))));
    decorator.setClipping(1);
    image = draw(decorator, square);
    EXPECT_TRUE(inkedArea(image.copy(21, 21, 58, 58)).isNull()); // nothing inside the square
    EXPECT_FALSE(inkedArea(image).isNull());
}

TEST(RenderersPathDecorator, ZeroIntervalAndScaleAreClampedAndFactoryMakesTheReceivingClass)
{
    PWPathDecorator decorator(solid(Qt::red));
    decorator.setInterval(0.0);
    decorator.setScale(0.0);
    EXPECT_EQ(decorator.interval(), PWPathDecorator::kMinInterval);
    EXPECT_EQ(decorator.scale(), PWPathDecorator::kMinScale);
    decorator.setScale(1.0);
    // A very long path gets at most kMaxCopies copies: the interval widens to 1,000, so the
    // first copy falls at 500, beyond the image, where unbounded ones would start at 0.5.
    const Shape longLine = Shape::line(QPointF(0, 50), QPointF(1e7, 50));
    EXPECT_TRUE(inkedArea(draw(decorator, longLine)).isNull());

    const QVariant made = PWFillPattern::staticClass().performClassMethod(
        "pathDecoratorWithImage:", {QVariant::fromValue(solid(Qt::green))});
    const auto pattern = pf::objectCast<PWFillPattern>(made);
    ASSERT_TRUE(pattern);
    EXPECT_EQ(pattern->image().size(), QSize(4, 4));
    EXPECT_EQ(PWPathDecorator::pathDecoratorWithImage(QImage(), PWRasterizer::staticClass()), nullptr);
}

TEST(RenderersFillPattern, GridFillsThePathAndCanLeaveOutCutCopies)
{
    PWFillPattern pattern(solid(Qt::red, QSize(6, 6)));
    pattern.setInterval(10.0);
    QImage image = draw(pattern, kSquare);
    EXPECT_TRUE(QRectF(19, 19, 62, 62).contains(QRectF(inkedArea(image))));
    EXPECT_GE(runsOnRow(image, inkedArea(image).top() + 2), 5);
    EXPECT_EQ(pattern.boundsNeededForObject(kSquare), QRectF(20, 20, 60, 60));

    // Copies the square's edge would cut: drawn cut, or left out.
    pattern.setInterval(25.0);
    const Shape offGrid = Shape::rect(QRectF(21, 21, 47, 47));
    image = draw(pattern, offGrid);
    const int withCut = inkedArea(image).isNull() ? 0 : 1;
    pattern.setDrawingOfClippedElementsSupressed(true);
    const QImage suppressed = draw(pattern, offGrid);
    int inkedBefore = 0, inkedAfter = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            inkedBefore += isWhite(image, x, y) ? 0 : 1;
            inkedAfter += isWhite(suppressed, x, y) ? 0 : 1;
        }
    EXPECT_EQ(withCut, 1);
    EXPECT_LT(inkedAfter, inkedBefore);
    EXPECT_EQ(inkedAfter % 36, 0); // only whole 6 x 6 copies remain

    // Auto-tiling follows the image, so copies touch and fill the square.
    pattern.setDrawingOfClippedElementsSupressed(false);
    pattern.setAutoTile(true);
    image = draw(pattern, kSquare);
    EXPECT_EQ(runsOnRow(image, 50), 1);
    // A tiny interval widens the grid rather than drawing without end.
    pattern.setAutoTile(false);
    pattern.setInterval(0.0);
    pattern.setScale(0.01);
    EXPECT_LE(pattern.gridPlacesForPath(*pf::BezierPath::pathWithRect(QRectF(0, 0, 1e6, 1e6)), 0.0).size(),
              PWFillPattern::kMaxMotifs);
}

} // namespace
