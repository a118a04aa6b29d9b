// The tagged stroke: its properties, tag shapes, taper, bounds, drawing and archive.
#include <gtest/gtest.h>

#include "MapStrokesTestSupport.h"

#include "drawing/PWXTaggedStroke.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

namespace {

using namespace mapstrokes_test;

TEST(MapStrokesTaggedStroke, SettersClampAndGettersKeepTheirMinimums)
{
    PWXTaggedStroke stroke;
    ChangeRecorder recorder;
    stroke.setRastObserver(&recorder);
    stroke.setTagPhase(1.5);
    EXPECT_EQ(stroke.tagPhase(), 1.0);
    stroke.setTagTaperProportion(0.9);
    EXPECT_EQ(stroke.tagTaperProportion(), 0.5);
    stroke.setTagWidth(0.0);
    EXPECT_EQ(stroke.tagWidth(), 0.1);
    stroke.setTagSpacing(0.0);
    EXPECT_EQ(stroke.tagSpacing(), 0.5);
    // The proportion was already 0.5: clamped to it, it changes nothing.
    EXPECT_EQ(recorder.log, QStringList({"will:tagPhase", "did:tagPhase", "will:tagWidth", "did:tagWidth",
                                         "will:tagSpacing", "did:tagSpacing"}));
    recorder.log.clear();
    stroke.setTagPhase(1.0); // equal: nothing
    stroke.setValueForKey(false, "mainStrokeEnabled");
    EXPECT_FALSE(stroke.mainStrokeEnabled());
    EXPECT_EQ(recorder.log, QStringList({"will:mainStrokeEnabled", "did:mainStrokeEnabled"}));
    EXPECT_EQ(stroke.actionNameForKeyPath("tagTaperProportion"), QStringLiteral("Tagged Stroke Tag Taper Length"));
    EXPECT_EQ(stroke.actionNameForKeyPath("mainStrokeEnabled"), QStringLiteral("Tagged Stroke Enable Main Stroke"));
    EXPECT_TRUE(stroke.observableKeyPaths().contains("rightTagTaperEnabled"));
    EXPECT_FALSE(stroke.allowSubstitutionForHitTesting());
}

TEST(MapStrokesTaggedStroke, TaperFactorShrinksTagsNearEnabledEnds)
{
    PWXTaggedStroke stroke;
    stroke.setTagTaperKind(1); // linear
    const pf::BezierPath path;
    struct Case {
        bool left, right;
        double distance, factor;
    };
    const Case cases[] = {
        {true, false, 10.0, 0.2}, {true, false, 90.0, 1.0}, {false, true, 90.0, 0.2},
        {true, true, 50.0, 1.0},  // exactly in the middle: both tests are strict
        {false, false, 1.0, 1.0},
    };
    for (const Case& c : cases) {
        stroke.setLeftTagTaperEnabled(c.left);
        stroke.setRightTagTaperEnabled(c.right);
        EXPECT_NEAR(stroke.taperFactorAtDistance(c.distance, path, 100.0), c.factor, 1e-12);
    }
}

TEST(MapStrokesTaggedStroke, DashSetsSpacingAndPhase)
{
    PWXTaggedStroke stroke;
    auto dash = PWStrokeDash::dashWithPattern(QList<double>{4.0, 2.0}, 2);
    dash->setScalesToLineWidth(false);
    stroke.setDash(dash);
    stroke.synchroniseTagsWithDash();
    EXPECT_DOUBLE_EQ(stroke.tagSpacing(), 6.0);
    EXPECT_DOUBLE_EQ(stroke.tagPhase(), 2.0 / 6.0);

    // A dash that scales with the line scales the spacing and the phase's offset alike.
    auto scaled = PWStrokeDash::dashWithPattern(QList<double>{4.0, 2.0}, 2);
    scaled->setScalesToLineWidth(true);
    scaled->setPhase(1.0);
    stroke.setWidth(3.0);
    stroke.setDash(scaled);
    stroke.synchroniseTagsWithDash();
    EXPECT_DOUBLE_EQ(stroke.tagSpacing(), 18.0);
    EXPECT_DOUBLE_EQ(stroke.tagPhase(), (1.0 + 2.0) * 3.0 / 18.0);
}

TEST(MapStrokesTaggedStroke, ElementShapesAndHowTheyAreDrawn)
{
    struct Case {
        int kind;
        bool stroked;
        QRectF bounds; // length 5, width 1, spacing 10, angle 0
    };
    const Case cases[] = {
        {0, true, QRectF(0, -5, 0, 5)},        {1, false, QRectF(-0.5, -5, 1, 5)},
        {2, false, QRectF(-2.88675, -5, 5.7735, 5)}, {4, false, QRectF(-2.5, -5, 5, 5)},
        {5, true, QRectF(-5, -5, 7.5, 0)},     {6, true, QRectF(-1, -5, 2, 5)},
        {7, true, QRectF(-2, -5, 4, 5)},       {9, false, QRectF(-2.5, -5, 5, 5)},
        {10, true, QRectF(-2.5, -5, 5, 5)},    {11, false, QRectF(-0.5, -5, 1, 5)},
        {12, true, QRectF(-0.5, -5, 1, 5)},    {13, false, QRectF(0, -5, 0, 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        PWXTaggedStroke stroke;
        stroke.setTagKind(c.kind);
        EXPECT_EQ(PWXTaggedStroke::isStrokedTagKind(c.kind), c.stroked);
        const QRectF bounds = stroke.tagElementPath()->bounds();
        EXPECT_NEAR(bounds.left(), c.bounds.left(), 1e-4);
        EXPECT_NEAR(bounds.top(), c.bounds.top(), 1e-4);
        EXPECT_NEAR(bounds.right(), c.bounds.right(), 1e-4);
        EXPECT_NEAR(bounds.bottom(), c.bounds.bottom(), 1e-4);
    }
    // The element is cached until a property changes.
    PWXTaggedStroke stroke;
    const auto first = stroke.tagElementPath();
    EXPECT_EQ(stroke.tagElementPath(), first);
    stroke.setTagLength(8.0);
    EXPECT_NEAR(stroke.tagElementPath()->bounds().top(), -8.0, 1e-9);
    // Kind 12 strokes with the renderer's own width.
    stroke.setTagKind(12);
    stroke.setWidth(3.0);
    EXPECT_EQ(stroke.calculateTagsPathForPath(*straightLine())->lineWidth(), 3.0);
}

TEST(MapStrokesTaggedStroke, DrawsTagsAndMainStrokeWithinItsBoundsOnLineArcAndS)
{
    const Shape shapes[] = {Shape(straightLine()), Shape(arcPath()), Shape(sCurve())};
    for (int kind : {0, 1, 4, 9, 12}) {
        for (const Shape& shape : shapes) {
            SCOPED_TRACE(kind);
            PWXTaggedStroke stroke;
            stroke.setColour(pf::Color::red());
            stroke.setWidth(2.0);
            stroke.setTagKind(kind);
            stroke.setTagLength(12.0);
            stroke.setTagWidth(3.0);
            stroke.setLeftTagTaperEnabled(false);
            const QImage image = draw(stroke, shape);
            const QRectF bounds = stroke.boundsNeededForObject(shape);
            EXPECT_TRUE(inkInside(image, bounds));
            // Tags reach the full length beyond the line: the bounds take them in.
            EXPECT_GE(bounds.height(), 12.0);
            EXPECT_GT(inkCount(image), 200);
        }
    }
    // On the straight line tags reach 12 up from the line (towards -y).
    PWXTaggedStroke stroke;
    stroke.setColour(pf::Color::red());
    stroke.setWidth(2.0);
    stroke.setTagLength(12.0);
    stroke.setTagWidth(2.0);
    stroke.setLeftTagTaperEnabled(false);
    stroke.setTagPhase(0.5); // tags 5, 15, ... along the line: at x = 25, 35, ..., 95
    const Shape line(straightLine());
    const QImage image = draw(stroke, line);
    EXPECT_FALSE(isWhite(image, 95, 100));   // the main stroke
    EXPECT_FALSE(isWhite(image, 95, 92));    // a tag
    EXPECT_TRUE(isWhite(image, 100, 92));    // between tags
    EXPECT_TRUE(isWhite(image, 95, 80));     // beyond its length
    stroke.setMainStrokeEnabled(false);
    const QImage tagsOnly = draw(stroke, line);
    EXPECT_TRUE(isWhite(tagsOnly, 100, 100));
    EXPECT_FALSE(isWhite(tagsOnly, 95, 95));
}

TEST(MapStrokesTaggedStroke, ObjectsSharingTheRendererKeepTheirOwnPaths)
{
    PWXTaggedStroke stroke;
    stroke.setColour(pf::Color::blue());
    const Shape left(linePath(QPointF(10, 50), QPointF(60, 50)));
    const Shape right(linePath(QPointF(120, 150), QPointF(190, 150)));
    const QRectF leftBounds = stroke.boundsNeededForObject(left);
    const QRectF rightBounds = stroke.boundsNeededForObject(right);
    EXPECT_LT(leftBounds.right(), 70.0);
    EXPECT_GT(rightBounds.left(), 110.0);
    // Asking for one object's path and then drawing the other draws the other only.
    stroke.pathForObject(left);
    const QImage image = draw(stroke, right);
    EXPECT_TRUE(inkInside(image, rightBounds));
    EXPECT_FALSE(isWhite(image, 150, 150));
    EXPECT_EQ(stroke.boundsNeededForObject(left), leftBounds);

    // A changed path is not answered from the cache.
    Shape moving(linePath(QPointF(10, 20), QPointF(60, 20)));
    const QRectF before = stroke.boundsNeededForObject(moving);
    moving.setPath(linePath(QPointF(10, 120), QPointF(60, 120)));
    EXPECT_GT(stroke.boundsNeededForObject(moving).top(), before.bottom());
}

TEST(MapStrokesTaggedStroke, ArchivesRoundTripAndTheOldClassNameReads)
{
    PWXTaggedStroke stroke;
    stroke.setTagLength(7.5);
    stroke.setTagAngle(0.25);
    stroke.setTagWidth(0.0); // archived as its minimum
    stroke.setTagSpacing(12.0);
    stroke.setTagPhase(0.25);
    stroke.setTagTaperProportion(0.375);
    stroke.setTagCapStyle(pf::BezierPath::LineCap::Square);
    stroke.setTagKind(8);
    stroke.setTagTaperKind(3);
    stroke.setTagsAlternate(true);
    stroke.setMainStrokeEnabled(false);
    stroke.setLeftTagTaperEnabled(false);
    stroke.setRightTagTaperEnabled(true);
    stroke.setWidth(2.5);

    const auto read = unarchive<PWXTaggedStroke>(archive(stroke.copy()));
    ASSERT_TRUE(read);
    EXPECT_NEAR(read->tagWidth(), 0.1, 1e-7);
    stroke.setTagWidth(double(0.1f)); // the archive holds floats
    EXPECT_TRUE(read->isEqual(&stroke));
    EXPECT_FALSE(read->mainStrokeEnabled());
    EXPECT_TRUE(stroke.copy()->isEqual(&stroke));

    // Documents of earlier versions name the class "PWXTaggedStrokeRasterizer".
    const auto old = unarchive<PWXTaggedStroke>(archive(stroke.copy(), "PWXTaggedStrokeRasterizer"));
    ASSERT_TRUE(old);
    EXPECT_TRUE(old->isEqual(&stroke));
}

} // namespace
