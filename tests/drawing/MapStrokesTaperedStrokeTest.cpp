// The tapered stroke: its proportions, outline, drawing and archive.
#include <gtest/gtest.h>

#include "MapStrokesTestSupport.h"

#include "drawing/BezierPath+Shims.h"
#include "drawing/PWXTaperedStroke.h"

#include "frameworks/penwork/geometry/BezierPath+Length.h"
#include "frameworks/penwork/geometry/BezierPath+Outline.h"

#include <cmath>

namespace {

using namespace mapstrokes_test;

TEST(MapStrokesTaperedStroke, ProportionsNeverOverlapAndClamp)
{
    PWXTaperedStroke stroke;
    ChangeRecorder recorder;
    stroke.setRastObserver(&recorder);
    stroke.setLeftTaperProportion(0.8);
    EXPECT_DOUBLE_EQ(stroke.leftTaperProportion(), 0.8);
    EXPECT_DOUBLE_EQ(stroke.rightTaperProportion(), 0.2);
    EXPECT_EQ(recorder.log, QStringList({"will:leftTaperProportion", "will:rightTaperProportion",
                                         "did:rightTaperProportion", "did:leftTaperProportion"}));
    stroke.setRightTaperProportion(1.5);
    EXPECT_DOUBLE_EQ(stroke.rightTaperProportion(), 0.99);
    EXPECT_NEAR(stroke.leftTaperProportion(), 0.01, 1e-12);
    stroke.setTaperProportion(0.7);
    EXPECT_DOUBLE_EQ(stroke.leftTaperProportion(), 0.5);
    EXPECT_DOUBLE_EQ(stroke.rightTaperProportion(), 0.5);
    stroke.setTaperProportion(-1.0);
    EXPECT_EQ(stroke.leftTaperProportion(), 0.0);
    EXPECT_EQ(stroke.rightTaperProportion(), 0.0);
    EXPECT_EQ(stroke.actionNameForKeyPath("taperKind"), QStringLiteral("Tapered Stroke Taper Shape"));
    EXPECT_EQ(stroke.actionNameForKeyPath("rightTaperProportion"), QStringLiteral("Tapered Stroke Right Taper Length"));
}

TEST(MapStrokesTaperedStroke, OutlineIsPlainWithoutTapersAndNarrowsAtTaperedEnds)
{
    PWXTaperedStroke stroke;
    stroke.setWidth(10.0);
    const auto line = straightLine(); // 160 long
    stroke.setTaperProportion(0.0);
    pf::Ref<pf::BezierPath> plainLine = std::static_pointer_cast<pf::BezierPath>(line->copy());
    EXPECT_TRUE(stroke.taperPathForPath(*line)->isEqual(pw::strokedPathWithStrokeWidth(*plainLine, 10.0).get()));

    // Kind 1 is linear: the half-width grows from 0 to 5 over the first 40.
    stroke.setTaperKind(1);
    stroke.setTaperProportion(0.25);
    const auto outline = stroke.taperPathForPath(*line);
    EXPECT_TRUE(outline->containsPoint(QPointF(40, 102.3)));  // 20 in of 40.5: half-width 2.47
    EXPECT_FALSE(outline->containsPoint(QPointF(40, 103.0)));
    EXPECT_TRUE(outline->containsPoint(QPointF(100, 104.8))); // the middle: full width
    EXPECT_TRUE(outline->containsPoint(QPointF(170, 98.9)));  // 10 from the end: about 1.2
    EXPECT_FALSE(outline->containsPoint(QPointF(170, 97.5)));
    // Where the pieces overlap they add up: no seam at the joints.
    EXPECT_TRUE(outline->containsPoint(QPointF(60.2, 101.0)));
    EXPECT_TRUE(outline->containsPoint(QPointF(139.8, 99.0)));

    // Only the right taper: the start keeps its full width.
    stroke.setLeftTaperEnabled(false);
    const auto rightOnly = stroke.taperPathForPath(*line);
    EXPECT_TRUE(rightOnly->containsPoint(QPointF(21, 104.5)));
    EXPECT_FALSE(rightOnly->containsPoint(QPointF(170, 97.5)));

    // Kind 2: EaseOutCubic at the start, mirrored at the end, so both ends match.
    stroke.setLeftTaperEnabled(true);
    stroke.setTaperKind(2);
    const auto cubic = stroke.taperPathForPath(*line);
    const double half = 5.0 * (1.0 - std::pow(1.0 - 0.25, 3)); // 10 in of 40
    EXPECT_TRUE(cubic->containsPoint(QPointF(30, 100 + half - 0.3)));
    EXPECT_FALSE(cubic->containsPoint(QPointF(30, 100 + half + 0.3)));
    EXPECT_TRUE(cubic->containsPoint(QPointF(170, 100 - half + 0.3)));
    EXPECT_FALSE(cubic->containsPoint(QPointF(170, 100 - half - 0.3)));
}

TEST(MapStrokesTaperedStroke, BuildingLeavesProcessWideSettingsAlone)
{
    const double flatness = pf::BezierPath::defaultFlatness();
    PWXTaperedStroke stroke;
    stroke.setWidth(8.0);
    stroke.taperPathForPath(*sCurve());
    EXPECT_EQ(pf::BezierPath::defaultFlatness(), flatness);
    EXPECT_FALSE(pwx::shimPathsInterpolated());
    // A taper of no length leaves its end at full width.
    stroke.setLeftTaperProportion(0.0);
    EXPECT_TRUE(stroke.taperPathForPath(*straightLine())->containsPoint(QPointF(20.3, 103.5)));
    EXPECT_FALSE(pwx::shimPathsInterpolated());
}

TEST(MapStrokesTaperedStroke, DrawsOnLineArcAndSWithinItsBounds)
{
    const Shape shapes[] = {Shape(straightLine()), Shape(arcPath()), Shape(sCurve())};
    for (const Shape& shape : shapes) {
        PWXTaperedStroke stroke;
        stroke.setWidth(12.0);
        stroke.setColour(pf::Color::red());
        const QImage image = draw(stroke, shape);
        EXPECT_TRUE(inkInside(image, stroke.boundsNeededForObject(shape)));
        double slope = 0.0;
        const auto& path = *shape.renderingPath();
        const QPointF middle = pw::pointOnPathAtLength(path, pw::length(path) / 2.0, &slope);
        EXPECT_EQ(image.pixelColor(middle.toPoint()), QColor(Qt::red));
        // Near the ends the stroke is thin: a point 5 off the path there stays white.
        const QPointF nearStart = pw::pointOnPathAtLength(path, 4.0, &slope);
        const QPointF off = nearStart + 5.0 * QPointF(-std::sin(slope), std::cos(slope));
        EXPECT_TRUE(isWhite(image, int(off.x()), int(off.y())));
        // Redrawn from the cache, the same.
        EXPECT_EQ(draw(stroke, shape), image);
    }
    // Neither end tapered: the plain stroke.
    PWXTaperedStroke plain;
    plain.setWidth(12.0);
    plain.setLeftTaperEnabled(false);
    plain.setRightTaperEnabled(false);
    PWStroke reference(12.0, pf::Color::black());
    const Shape line(straightLine());
    EXPECT_EQ(draw(plain, line), draw(reference, line));
}

TEST(MapStrokesTaperedStroke, ArchivesRoundTripClampAndReadOldForms)
{
    PWXTaperedStroke stroke;
    stroke.setTaperKind(3);
    stroke.setLeftTaperProportion(0.375); // exact as a float, as archived
    stroke.setRightTaperProportion(0.125);
    stroke.setRightTaperEnabled(false);
    stroke.setWidth(4.0);
    const auto read = unarchive<PWXTaperedStroke>(archive(stroke.copy()));
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->isEqual(&stroke));
    EXPECT_TRUE(stroke.copy()->isEqual(&stroke));

    const auto legacy = unarchive<PWXTaperedStroke>(archive(stroke.copy(), "PWXTaperedStrokeRasterizer"));
    ASSERT_TRUE(legacy);
    EXPECT_TRUE(legacy->isEqual(&stroke));

    // Proportions that overlap, and an older single proportion beyond 0.5.
    class Writer : public PWXTaperedStroke {
    public:
        bool both = true;
        void encodeWithCoder(pf::KeyedArchiver& coder) const override
        {
            PWStroke::encodeWithCoder(coder);
            coder.encodeBool(both, "PWXTaperedStroke_hasLeftAndRightProportions");
            coder.encodeFloat(0.8f, "PWXTaperedStroke_taperProportion");
            coder.encodeFloat(0.9f, "PWXTaperedStroke_leftTaperProportion");
            coder.encodeFloat(0.8f, "PWXTaperedStroke_rightTaperProportion");
        }
    };
    auto writer = std::make_shared<Writer>();
    pf::KeyedArchiver archiver;
    archiver.setClassNameForClass("PWXTaperedStroke", writer->objClass());
    archiver.encodeObject(writer, pf::KeyedArchiver::kRootKey);
    const auto overlapping = unarchive<PWXTaperedStroke>(archiver.encodedData());
    ASSERT_TRUE(overlapping);
    EXPECT_NEAR(overlapping->leftTaperProportion(), 0.9, 1e-6);
    EXPECT_NEAR(overlapping->leftTaperProportion() + overlapping->rightTaperProportion(), 1.0, 1e-6);

    writer->both = false;
    pf::KeyedArchiver older;
    older.setClassNameForClass("PWXTaperedStroke", writer->objClass());
    older.encodeObject(writer, pf::KeyedArchiver::kRootKey);
    const auto single = unarchive<PWXTaperedStroke>(older.encodedData());
    ASSERT_TRUE(single);
    EXPECT_EQ(single->leftTaperProportion(), 0.5);
    EXPECT_EQ(single->rightTaperProportion(), 0.5);
    EXPECT_TRUE(single->leftTaperEnabled());
}

} // namespace
