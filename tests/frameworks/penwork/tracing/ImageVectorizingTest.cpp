#include <gtest/gtest.h>

#include "frameworks/penwork/tracing/ImageVectorizing.h"

#include <QPainter>

namespace {

QImage canvas(int width, int height, QColor background = Qt::white)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(background);
    return image;
}

void fill(QImage& image, const QRect& rect, QColor colour)
{
    QPainter painter(&image);
    painter.fillRect(rect, colour);
}

} // namespace

TEST(ImageVectorizing, BlackSquareTracesToOneFilledSquare)
{
    QImage image = canvas(40, 40);
    fill(image, QRect(10, 6, 20, 16), Qt::black); // off centre in y, so a flipped y would show

    const auto objects = pw::vectorizeToGrayscaleWithPrecision(image, 1);
    ASSERT_EQ(objects.size(), 1);
    const pf::BezierPath& path = *objects[0]->vectorPath();
    EXPECT_EQ(objects[0]->colour(), pf::Color::rgbGrey(0.0));
    EXPECT_TRUE(path.containsPoint(QPointF(20, 14)));
    EXPECT_FALSE(path.containsPoint(QPointF(5, 5)));
    EXPECT_FALSE(path.containsPoint(QPointF(20, 30)));
    const QRectF bounds = path.bounds();
    EXPECT_NEAR(bounds.left(), 10, 1.0);
    EXPECT_NEAR(bounds.top(), 6, 1.0);
    EXPECT_NEAR(bounds.right(), 30, 1.0);
    EXPECT_NEAR(bounds.bottom(), 22, 1.0);
    EXPECT_EQ(objects[0]->tracingParameters().value(pw::kPWTracingParam_levels).toInt(), 1);
}

TEST(ImageVectorizing, RingLeavesItsHoleOpen)
{
    QImage image = canvas(60, 60);
    fill(image, QRect(10, 10, 40, 40), Qt::black);
    fill(image, QRect(22, 22, 16, 16), Qt::white);

    const auto objects = pw::vectorizeToGrayscaleWithPrecision(image, 1);
    ASSERT_EQ(objects.size(), 1);
    const pf::BezierPath& path = *objects[0]->vectorPath();
    EXPECT_TRUE(path.containsPoint(QPointF(15, 30)));
    EXPECT_FALSE(path.containsPoint(QPointF(30, 30)));
    EXPECT_FALSE(path.containsPoint(QPointF(5, 30)));
}

TEST(ImageVectorizing, ColourModeTracesOneLayerPerColourMostCommonFirst)
{
    QImage image = canvas(60, 40, Qt::transparent);
    fill(image, QRect(0, 0, 40, 40), QColor(200, 30, 40));  // the larger area
    fill(image, QRect(40, 0, 20, 40), QColor(20, 60, 220));

    const auto objects = pw::vectorizeToColourWithPrecision(image, 3, 3);
    ASSERT_EQ(objects.size(), 2);
    EXPECT_EQ(objects[0]->colour().qColor().rgb(), QColor(200, 30, 40).rgb());
    EXPECT_EQ(objects[1]->colour().qColor().rgb(), QColor(20, 60, 220).rgb());
    EXPECT_TRUE(objects[0]->vectorPath()->containsPoint(QPointF(20, 20)));
    EXPECT_FALSE(objects[0]->vectorPath()->containsPoint(QPointF(50, 20)));
    EXPECT_TRUE(objects[1]->vectorPath()->containsPoint(QPointF(50, 20)));
    EXPECT_EQ(objects[0]->tracingParameters().value(pw::kPWTracingParam_colourmode).toInt(), 0);
}

TEST(ImageVectorizing, ColourModeSkipsTransparentPixelsAndMergesBeyondTheLevels)
{
    // Three colours in a field of nothing, cut down to two by one level.
    QImage image = canvas(90, 30, Qt::transparent);
    fill(image, QRect(0, 0, 30, 30), QColor(250, 0, 0));
    fill(image, QRect(30, 0, 20, 30), QColor(0, 0, 250));
    fill(image, QRect(60, 0, 20, 30), QColor(0, 0, 230));

    const auto objects = pw::vectorizeToColourWithPrecision(image, 1, 0);
    ASSERT_EQ(objects.size(), 2);
    for (const auto& object : objects) {
        EXPECT_FALSE(object->vectorPath()->containsPoint(QPointF(55, 15))); // transparent gap
        EXPECT_FALSE(object->vectorPath()->containsPoint(QPointF(85, 15)));
    }
    EXPECT_TRUE(objects[0]->vectorPath()->containsPoint(QPointF(40, 15)));
    EXPECT_TRUE(objects[0]->vectorPath()->containsPoint(QPointF(70, 15)));
}

TEST(ImageVectorizing, MoreLevelsGiveMoreLayersOnAGreyRamp)
{
    QImage image(256, 20, QImage::Format_ARGB32);
    for (int x = 0; x < 256; ++x)
        for (int y = 0; y < 20; ++y)
            image.setPixel(x, y, qRgb(x, x, x));

    QList<qsizetype> counts;
    for (int levels : {1, 2, 3})
        counts.append(pw::vectorizeToGrayscaleWithPrecision(image, levels).size());
    EXPECT_EQ(counts, (QList<qsizetype>{1, 3, 7}));

    // Lightest first, each layer covering every darker one.
    const auto objects = pw::vectorizeToGrayscaleWithPrecision(image, 2);
    ASSERT_EQ(objects.size(), 3);
    EXPECT_GT(objects[0]->colour().redComponent(), objects[1]->colour().redComponent());
    EXPECT_GT(objects[1]->colour().redComponent(), objects[2]->colour().redComponent());
    EXPECT_TRUE(objects[0]->vectorPath()->containsPoint(QPointF(10, 10)));
    EXPECT_TRUE(objects[0]->vectorPath()->containsPoint(QPointF(180, 10)));
    EXPECT_FALSE(objects[2]->vectorPath()->containsPoint(QPointF(180, 10)));

    // Levels beyond the range are clamped rather than overflowing the band count.
    EXPECT_EQ(pw::vectorizeToGrayscaleWithPrecision(image, 0).size(), 1);
    EXPECT_EQ(pw::vectorizeToGrayscaleWithPrecision(image, 40).size(),
              pw::vectorizeToGrayscaleWithPrecision(image, 8).size());
}

TEST(ImageVectorizing, TurdSizeDropsSpecks)
{
    QImage image = canvas(40, 40);
    fill(image, QRect(5, 5, 20, 20), Qt::black);
    fill(image, QRect(33, 33, 2, 2), Qt::black); // a speck of four pixels

    const auto keep = pw::vectorizeToGrayscaleWithPrecision(image, 1, {{pw::kPWTracingParam_turdsize, 0}});
    ASSERT_EQ(keep.size(), 1);
    EXPECT_TRUE(keep[0]->vectorPath()->containsPoint(QPointF(34, 34)));
    EXPECT_EQ(keep[0]->vectorPath()->subpathCount(), 2);

    const auto dropped = pw::vectorizeToGrayscaleWithPrecision(image, 1, {{pw::kPWTracingParam_turdsize, 10}});
    ASSERT_EQ(dropped.size(), 1);
    EXPECT_FALSE(dropped[0]->vectorPath()->containsPoint(QPointF(34, 34)));
    EXPECT_EQ(dropped[0]->vectorPath()->subpathCount(), 1);
    EXPECT_EQ(dropped[0]->tracingParameters().value(pw::kPWTracingParam_turdsize).toInt(), 10);

    // Only a speck: nothing left to make an object of.
    QImage speck = canvas(20, 20);
    fill(speck, QRect(3, 3, 2, 2), Qt::black);
    EXPECT_TRUE(pw::vectorizeToGrayscaleWithPrecision(speck, 1, {{pw::kPWTracingParam_turdsize, 10}}).isEmpty());
}

TEST(ImageVectorizing, UnusableParametersFallBackToDefaults)
{
    QImage image = canvas(30, 30);
    fill(image, QRect(5, 5, 20, 20), Qt::black);
    const auto objects = pw::vectorizeToGrayscaleWithPrecision(
        image, 1,
        {{pw::kPWTracingParam_turdsize, QStringLiteral("many")},
         {pw::kPWTracingParam_alphamax, 99.0},
         {pw::kPWTracingParam_turnpolicy, -5},
         {pw::kPWTracingParam_opttolerance, std::nan("")}});
    ASSERT_EQ(objects.size(), 1);
    const QVariantMap used = objects[0]->tracingParameters();
    const QVariantMap defaults = pw::defaultTracingParameters();
    EXPECT_EQ(used.value(pw::kPWTracingParam_turdsize), defaults.value(pw::kPWTracingParam_turdsize));
    EXPECT_LE(used.value(pw::kPWTracingParam_alphamax).toDouble(), 1.3334);
    EXPECT_EQ(used.value(pw::kPWTracingParam_turnpolicy).toInt(), 0);
    EXPECT_DOUBLE_EQ(used.value(pw::kPWTracingParam_opttolerance).toDouble(), 0.2);
}

TEST(ImageVectorizing, BadImagesAnswerNothing)
{
    EXPECT_TRUE(pw::vectorizeToGrayscaleWithPrecision(QImage(), 2).isEmpty());
    EXPECT_TRUE(pw::vectorizeToColourWithPrecision(QImage(), 2, 3).isEmpty());
    const QImage tooWide(10001, 1, QImage::Format_ARGB32);
    EXPECT_TRUE(pw::vectorizeToGrayscaleWithPrecision(tooWide, 2).isEmpty());
    EXPECT_TRUE(pw::vectorizeToColourWithPrecision(tooWide, 2, 3).isEmpty());
    EXPECT_TRUE(pw::vectorizeToGrayscaleWithPrecision(canvas(10, 10), 3).isEmpty()); // all white
}

TEST(ImageVectorizing, DefaultsAndKeysAreTheTracersOwn)
{
    const QVariantMap defaults = pw::defaultTracingParameters();
    EXPECT_EQ(defaults.value(pw::kPWTracingParam_colourmode).toInt(), 1);
    EXPECT_EQ(defaults.value(pw::kPWTracingParam_levels).toInt(), 2);
    EXPECT_EQ(defaults.value(pw::kPWTracingParam_turdsize).toInt(), 2);
    EXPECT_DOUBLE_EQ(defaults.value(pw::kPWTracingParam_alphamax).toDouble(), 1.0);
    EXPECT_EQ(defaults.value(pw::kPWTracingParam_turnpolicy).toInt(), 4);
    EXPECT_TRUE(defaults.value(pw::kPWTracingParam_opticurve).toBool());
    EXPECT_DOUBLE_EQ(defaults.value(pw::kPWTracingParam_opttolerance).toDouble(), 0.2);
    EXPECT_EQ(pw::kPWTracingParam_opttolerance, QStringLiteral("kPWTracingParam_opttolerance"));

    pf::Ref<pf::Object> made = pf::Class::named("PWTracedVectorObject")->create();
    ASSERT_TRUE(made);
    EXPECT_TRUE(made->valueForKey("vectorPath").isValid());
}

// A greyscale scan is read without conversion: its layers are the ones its colour copy gives,
// band for band, at every number of levels. The width is not a multiple of the tracer's word,
// so the last word of each row is a partial one.
TEST(ImageVectorizing, GreyscaleScanTracesAsItsColourCopy)
{
    QImage scan(131, 70, QImage::Format_Grayscale8);
    for (int y = 0; y < scan.height(); ++y)
        for (int x = 0; x < scan.width(); ++x)
            scan.scanLine(y)[x] = uchar((x * 255 / scan.width() + (y / 10) * 40) % 256);
    const QImage colour = scan.convertToFormat(QImage::Format_ARGB32);
    for (const int levels : {1, 2, 3}) {
        SCOPED_TRACE(levels);
        const auto fromScan = pw::vectorizeToGrayscaleWithPrecision(scan, levels);
        const auto fromColour = pw::vectorizeToGrayscaleWithPrecision(colour, levels);
        ASSERT_EQ(fromScan.size(), fromColour.size());
        ASSERT_FALSE(fromScan.isEmpty());
        for (qsizetype i = 0; i < fromScan.size(); ++i) {
            EXPECT_EQ(fromScan[i]->colour(), fromColour[i]->colour());
            EXPECT_EQ(fromScan[i]->vectorPath()->elements(), fromColour[i]->vectorPath()->elements());
        }
    }
    // The darkest column is in the darkest layer; the last pixel of a row is traced too.
    const auto two = pw::vectorizeToGrayscaleWithPrecision(scan, 1);
    ASSERT_EQ(two.size(), 1);
    EXPECT_TRUE(two[0]->vectorPath()->containsPoint(QPointF(1.5, 5.5)));
    QImage edge(131, 8, QImage::Format_Grayscale8);
    edge.fill(255);
    for (int y = 0; y < 8; ++y)
        for (int x = 120; x < 131; ++x)
            edge.scanLine(y)[x] = 0;
    const auto last = pw::vectorizeToGrayscaleWithPrecision(edge, 1);
    ASSERT_EQ(last.size(), 1);
    EXPECT_NEAR(last[0]->vectorPath()->bounds().right(), 131.0, 1.0);
}
