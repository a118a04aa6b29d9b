// Arrow, zig-zag and rough strokes: what they draw, where, and the area they claim.
#include <gtest/gtest.h>

#include "RenderersTestSupport.h"

#include "frameworks/penwork/renderers/PWArrowStroke.h"
#include "frameworks/penwork/renderers/PWRoughStroke.h"
#include "frameworks/penwork/renderers/PWZigZagStroke.h"

#include <QPainterPathStroker>

namespace {

using namespace renderers_test;

const Shape kLine = Shape::line(QPointF(10, 50), QPointF(90, 50));
const Shape kSquare = Shape::rect(QRectF(20, 20, 60, 60));

TEST(RenderersArrowStroke, HeadsTrimTheLineAndLieWithinTheirSize)
{
    struct Case {
        int kind;
        double trim;         // for a head 10 long
        bool inkBesideLine;  // the pixel 2.5 points off the line, 7.5 points back from the tip
    };
    const Case cases[] = {
        {PWArrowStroke::HeadNone, 0.0, false},     {PWArrowStroke::HeadArrow, 10.0, true},
        {PWArrowStroke::HeadOpenArrow, 0.0, false}, {PWArrowStroke::HeadCircle, 5.0, true},
        {PWArrowStroke::HeadSquare, 5.0, true},     {PWArrowStroke::HeadBar, 0.0, false},
        {PWArrowStroke::HeadDiamond, 5.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        PWArrowStroke arrow;
        arrow.setWidth(2.0);
        arrow.setColour(pf::Color::red());
        arrow.setArrowHeadAtEnd(c.kind);
        arrow.setArrowHeadLength(10.0);
        arrow.setArrowHeadWidth(12.0);
        EXPECT_DOUBLE_EQ(arrow.trimLengthForKind(c.kind), c.trim);
        const QImage image = draw(arrow, kLine);
        EXPECT_EQ(image.pixelColor(50, 50), QColor(Qt::red)); // the line itself
        EXPECT_EQ(!isWhite(image, 82, 47), c.inkBesideLine);
        const QRectF bounds = arrow.boundsNeededForObject(kLine);
        if (c.kind == PWArrowStroke::HeadNone) {
            EXPECT_NEAR(bounds.top(), 49.0, 0.01);
        } else {
            EXPECT_LE(bounds.top(), 44.0 + 0.01);
            EXPECT_GE(bounds.top(), 42.0);
        }
        EXPECT_TRUE(inkInside(image, bounds));
    }
}

TEST(RenderersArrowStroke, HeadsAtBothEndsPointOutwardsAndOutlinesWidenTheBounds)
{
    PWArrowStroke arrow;
    arrow.setArrowHeadAtStart(PWArrowStroke::HeadArrow);
    arrow.setArrowHeadAtEnd(PWArrowStroke::HeadArrow);
    const QImage image = draw(arrow, kLine);
    // Near each tip the head is narrow, further back it is wide.
    EXPECT_FALSE(isWhite(image, 18, 47));
    EXPECT_TRUE(isWhite(image, 11, 47));
    EXPECT_FALSE(isWhite(image, 82, 47));
    EXPECT_TRUE(isWhite(image, 89, 47));

    const QRectF plain = arrow.boundsNeededForObject(kLine);
    arrow.setOutlineWidth(4.0);
    arrow.setOutlineColour(pf::Color::blue());
    const QRectF outlined = arrow.boundsNeededForObject(kLine);
    EXPECT_LT(outlined.top(), plain.top() - 1.5);
    EXPECT_TRUE(inkInside(draw(arrow, kLine), outlined));
}

TEST(RenderersArrowStroke, DimensionTextGivesTheLengthAndTakesRoom)
{
    PWArrowStroke arrow;
    arrow.setWidth(2.0);
    EXPECT_EQ(arrow.dimensionTextForLength(80.0, nullptr), QString()); // no dimension shown
    arrow.setDimensioningLineOptions(PWArrowStroke::DimensionTextAbove);
    EXPECT_EQ(arrow.dimensionTextForLength(80.0, &kLine), QStringLiteral("80.00 pt"));
    arrow.setDimensionTextKind(PWArrowStroke::DimensionTextNumberOnly);
    EXPECT_EQ(arrow.dimensionTextForLength(80.0, &kLine), QStringLiteral("80.00"));
    arrow.setDimensionToleranceOption(1);
    EXPECT_EQ(arrow.dimensionTextForLength(12.5, &kLine), QStringLiteral("12.50 \u00B10.01"));

    arrow.setArrowHeadAtEnd(PWArrowStroke::HeadNone);
    arrow.setDimensionToleranceOption(0);
    const QRectF above = arrow.boundsNeededForObject(kLine);
    EXPECT_LT(above.top(), 44.0); // text stands on the line's left, which is up here
    EXPECT_NEAR(above.bottom(), 51.0, 0.6);
    const QImage image = draw(arrow, kLine);
    const QRect ink = inkedArea(image);
    EXPECT_LT(ink.top(), 46);
    EXPECT_TRUE(inkInside(image, above));

    arrow.setDimensioningLineOptions(PWArrowStroke::DimensionTextBelow);
    EXPECT_GT(arrow.boundsNeededForObject(kLine).bottom(), 56.0);
    EXPECT_TRUE(inkInside(draw(arrow, kLine), arrow.boundsNeededForObject(kLine)));
    arrow.setDimensioningLineOptions(PWArrowStroke::DimensionTextInline);
    // The line breaks round the text, so its middle row is not one solid run.
    const QImage inline_ = draw(arrow, kLine);
    int whiteOnLine = 0;
    for (int x = 12; x < 88; ++x)
        whiteOnLine += isWhite(inline_, x, 50) ? 1 : 0;
    EXPECT_GT(whiteOnLine, 3);
}

TEST(RenderersArrowStroke, OutOfRangeSettingsAreRefusedOrClamped)
{
    PWArrowStroke arrow;
    arrow.setArrowHeadAtEnd(PWArrowStroke::kLastHeadKind + 1);
    arrow.setArrowHeadAtStart(-1);
    arrow.setDimensioningLineOptions(9);
    arrow.setDimensionToleranceOption(2);
    EXPECT_EQ(arrow.arrowHeadAtEnd(), PWArrowStroke::HeadArrow);
    EXPECT_EQ(arrow.arrowHeadAtStart(), PWArrowStroke::HeadNone);
    EXPECT_EQ(arrow.dimensioningLineOptions(), PWArrowStroke::DimensionNone);
    EXPECT_EQ(arrow.dimensionToleranceOption(), 0);
    arrow.setArrowHeadWidth(-5.0);
    arrow.setArrowHeadLength(1e9);
    arrow.setOutlineWidth(std::nan(""));
    EXPECT_EQ(arrow.arrowHeadWidth(), 0.0);
    EXPECT_EQ(arrow.arrowHeadLength(), PWArrowStroke::kMaxHeadSize);
    EXPECT_EQ(arrow.outlineWidth(), 0.0);

    pf::Error error;
    QVariant kind(42);
    EXPECT_FALSE(arrow.validateValue(&kind, PWArrowStroke::kArrowHeadAtEndKey, &error));
    EXPECT_FALSE(error.isNull());
    QVariant width(-3.0);
    EXPECT_TRUE(arrow.validateValue(&width, PWArrowStroke::kArrowHeadWidthKey, nullptr));
    EXPECT_EQ(width.toDouble(), 0.0);
    // The preview's question by selector.
    EXPECT_DOUBLE_EQ(arrow.perform("trimLengthForKind:", {PWArrowStroke::HeadCircle}).toDouble(),
                     PWArrowStroke::kMaxHeadSize / 2.0);
}

TEST(RenderersZigZagStroke, PeaksStandOffThePathByTheAmplitude)
{
    struct Case {
        double amplitude, wavelength, spread;
        bool closed;
    };
    const Case cases[] = {{4, 10, 0, true}, {10, 20, 0, true}, {6, 16, 8, false}, {0, 10, 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.amplitude);
        PWZigZagStroke zigZag;
        zigZag.setWidth(2.0);
        zigZag.setColour(pf::Color::blue());
        zigZag.setAmplitude(c.amplitude);
        zigZag.setWavelength(c.wavelength);
        zigZag.setSpread(c.spread);
        zigZag.setClosed(c.closed);
        const QRectF bounds = zigZag.boundsNeededForObject(kLine);
        // Sharp peaks reach a little further for their miter joins.
        EXPECT_NEAR(bounds.top(), 50.0 - c.amplitude - 1.0, 2.0);
        EXPECT_NEAR(bounds.bottom(), 50.0 + c.amplitude + 1.0, 2.0);
        const QImage image = draw(zigZag, kLine);
        EXPECT_NEAR(inkedArea(image).top(), 50 - c.amplitude - 1, 2.0);
        EXPECT_TRUE(inkInside(image, bounds));

        // A closed shape stays closed only when asked to.
        const pf::Ref<pf::BezierPath> outline = zigZag.pathForObject(kSquare);
        const bool endsClosed = outline->elementAt(outline->elementCount() - 1).type ==
                                pf::BezierPath::ElementType::ClosePath;
        EXPECT_EQ(endsClosed, c.closed);
    }
}

TEST(RenderersZigZagStroke, TinyWavelengthsStayBounded)
{
    PWZigZagStroke zigZag;
    zigZag.setWavelength(0.0);
    EXPECT_EQ(zigZag.wavelength(), PWZigZagStroke::kMinWavelength);
    // Even a path a million points long gets a bounded number of peaks.
    const Shape huge = Shape::line(QPointF(0, 0), QPointF(1e6, 0));
    const pf::Ref<pf::BezierPath> path = zigZag.pathForObject(huge);
    EXPECT_LE(path->elementCount(), 100000 + 3);
    EXPECT_GT(path->elementCount(), 1000);
}

TEST(RenderersZigZagStroke, LongZigZagsClaimBoundsHoldingTheirWholeOutline)
{
    // Thousands of peaks: the bounds no longer come from outlining the stroke, yet must still
    // hold every miter tip, cap and join, without claiming much more.
    const Shape long_ = Shape::line(QPointF(0, 0), QPointF(40000, 0));
    for (const auto join : {pf::BezierPath::LineJoin::Miter, pf::BezierPath::LineJoin::Round,
                            pf::BezierPath::LineJoin::Bevel}) {
        SCOPED_TRACE(int(join));
        PWZigZagStroke zigZag;
        zigZag.setWidth(3.0);
        zigZag.setAmplitude(6.0);
        zigZag.setWavelength(10.0);
        zigZag.setLineJoinStyle(join);
        zigZag.setLineCapStyle(pf::BezierPath::LineCap::Square);
        pf::Ref<pf::BezierPath> path = zigZag.pathForObject(long_);
        ASSERT_GT(path->elementCount(), 5000);
        path->setLineWidth(3.0);
        path->setLineJoinStyle(join);
        path->setLineCapStyle(pf::BezierPath::LineCap::Square);
        const QRectF outline = QPainterPathStroker(path->pen(QBrush(Qt::black)))
                                   .createStroke(path->toQPainterPath())
                                   .boundingRect();
        const QRectF claimed = zigZag.boundsNeededForObject(long_);
        EXPECT_TRUE(claimed.contains(outline)) << claimed.top() << " " << outline.top();
        EXPECT_LE(outline.top() - claimed.top(), 3.0 * pf::BezierPath::defaultMiterLimit());
    }
}

TEST(RenderersZigZagStroke, PeaksAndRoughnessLostInAHugePathsRoundingAreNone)
{
    // A damaged path 1e77 long: peaks 6 points high would lie on it, yet it would get the
    // greatest number of them, over and over while its drawing is read.
    const Shape huge = Shape::line(QPointF(-1e77, 0), QPointF(1e77, 0));
    PWZigZagStroke zigZag;
    zigZag.setAmplitude(6.0);
    EXPECT_EQ(zigZag.pathForObject(huge)->elementCount(), 2);
    PWRoughStroke rough;
    rough.setRoughness(5.0);
    EXPECT_EQ(rough.pathForObject(huge)->elementCount(), 2);
    // One only a million points long still zig-zags and roughens.
    const Shape large = Shape::line(QPointF(-1e6, 0), QPointF(1e6, 0));
    EXPECT_GT(zigZag.pathForObject(large)->elementCount(), 1000);
    EXPECT_GT(rough.pathForObject(large)->elementCount(), 1000);
}

TEST(RenderersRoughStroke, RoughnessIsBoundedAndRepeatable)
{
    PWRoughStroke rough;
    rough.setWidth(2.0);
    // Round joins keep the line within half its width of the roughened path.
    rough.setLineJoinStyle(pf::BezierPath::LineJoin::Round);
    rough.setRoughness(0.0);
    PWStroke plain(2.0, pf::Color::black());
    plain.setLineJoinStyle(pf::BezierPath::LineJoin::Round);
    EXPECT_EQ(rough.boundsNeededForObject(kLine), plain.boundsNeededForObject(kLine));
    rough.setRoughness(5.0);
    const QRectF bounds = rough.boundsNeededForObject(kLine);
    EXPECT_GE(bounds.top(), 50.0 - 5.0 - 1.0 - 0.01);
    EXPECT_LT(bounds.top(), 48.0); // it does stray
    // Redraws match, so the drawing does not flicker.
    EXPECT_EQ(draw(rough, kSquare), draw(rough, kSquare));
    // Another geometry roughens differently.
    const Shape moved(pf::BezierPath::pathWithRect(QRectF(20, 20, 60, 60)), 0.0, 8);
    EXPECT_NE(draw(rough, kSquare), draw(rough, moved));
    rough.setRoughness(-1.0);
    EXPECT_EQ(rough.roughness(), 0.0);
}

} // namespace
