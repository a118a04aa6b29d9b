// Shadows: bounds, key-value coding, rendering by pixel samples, archiving.
#include <gtest/gtest.h>

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/Shadow.h"

#include <QPainter>

#include <cmath>
#include <limits>

namespace {

using pf::Color;
using pf::Shadow;

// Counts the changes announced for one key.
class ShadowChangeCounter : public pf::Object {
    PF_CLASS(ShadowChangeCounter)
public:
    int changes = 0;
    void observeValueForKeyPath(const QString&, pf::Reflective*, const QVariantMap&, void*) override { ++changes; }
};

// Restores the class-wide scale limit however a test ends.
struct ScaleLimitGuard {
    double saved = Shadow::shadowScaleLimit();
    ~ScaleLimitGuard() { Shadow::setShadowScaleLimit(saved); }
};

Shadow makeShadow(QSizeF offset, double blur, const Color& colour = Color::black())
{
    Shadow shadow;
    shadow.setShadowOffset(offset);
    shadow.setShadowBlurRadius(blur);
    shadow.setShadowColor(colour);
    return shadow;
}

// A blue square at `rect` with `shadow` under it, on a white 60 x 60 canvas; `prepare` sets up
// the painter first.
QImage drawSquare(const Shadow& shadow, const QRectF& rect, const std::function<void(QPainter&)>& prepare = {},
                  double scale = 1.0)
{
    QImage image(60, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    if (prepare)
        prepare(painter);
    shadow.drawWithShadow(painter, [&](QPainter& p) { p.fillRect(rect, Qt::blue); }, scale);
    painter.end();
    return image;
}

int grey(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y));
}

} // namespace

PF_DEFINE_CLASS(ShadowChangeCounter, pf::Object) {}

namespace {

TEST(Shadow, BoundsUniteTheObjectWithItsMovedCopyGrownByTheBlur)
{
    struct Case {
        QSizeF offset;
        double blur;
        QRectF bounds, expected;
    };
    const Case cases[] = {
        // A negative height moves the shadow down in the model's y-down coordinates.
        {{3, -3}, 0, {10, 10, 20, 20}, {10, 10, 23, 23}},
        {{0, 5}, 2, {10, 10, 20, 20}, {8, 3, 24, 29}},
        {{-4, 0}, 0, {10, 10, 20, 20}, {6, 10, 24, 20}},
        // A point still casts.
        {{2, 2}, 1, {5, 5, 0, 0}, {4, 2, 4, 4}},
        {{0, 0}, 0, {1, 2, 3, 4}, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        const QRectF actual = makeShadow(c.offset, c.blur).shadowBoundsForBounds(c.bounds);
        EXPECT_EQ(actual, c.expected) << c.offset.width() << ", " << c.offset.height();
    }
}

TEST(Shadow, KeyValueCodingAndObservation)
{
    Shadow shadow;
    EXPECT_EQ(shadow.shadowOffset(), QSizeF(0, 0));
    EXPECT_EQ(shadow.shadowBlurRadius(), 0.0);
    EXPECT_NEAR(shadow.shadowColor().alphaComponent(), 1.0 / 3.0, 1e-3);

    ShadowChangeCounter counter;
    for (const QString& key : {Shadow::kShadowOffsetKey, Shadow::kShadowBlurRadiusKey, Shadow::kShadowColorKey})
        shadow.addObserver(&counter, key);

    shadow.setValueForKey(QSizeF(3, -3), Shadow::kShadowOffsetKey);
    shadow.setValueForKey(QSizeF(3, -3), Shadow::kShadowOffsetKey);
    shadow.setValueForKey(4.5, Shadow::kShadowBlurRadiusKey);
    shadow.setValueForKey(4.5, Shadow::kShadowBlurRadiusKey);
    shadow.setValueForKey(pf::toVariant(std::make_shared<Color>(Color::red())), Shadow::kShadowColorKey);
    shadow.setValueForKey(pf::toVariant(std::make_shared<Color>(Color::red())), Shadow::kShadowColorKey);
    EXPECT_EQ(counter.changes, 3);
    EXPECT_EQ(shadow.valueForKey(Shadow::kShadowOffsetKey).toSizeF(), QSizeF(3, -3));
    EXPECT_EQ(shadow.valueForKey(Shadow::kShadowBlurRadiusKey).toDouble(), 4.5);
    const auto colour = pf::objectCast<Color>(shadow.valueForKey(Shadow::kShadowColorKey));
    ASSERT_TRUE(colour);
    EXPECT_EQ(*colour, Color::red());

    shadow.setValueForKey(QVariant(), Shadow::kShadowColorKey);
    EXPECT_FALSE(shadow.shadowColor().isValid());
    EXPECT_FALSE(shadow.valueForKey(Shadow::kShadowColorKey).isValid());
    EXPECT_THROW(shadow.setValueForKey(QStringLiteral("red"), Shadow::kShadowColorKey), pf::InvalidArgumentException);
    shadow.setShadowBlurRadius(-2);
    EXPECT_EQ(shadow.shadowBlurRadius(), 0.0);
    shadow.setShadowOffset(QSizeF(std::numeric_limits<double>::infinity(), 2));
    EXPECT_EQ(shadow.shadowOffset(), QSizeF(0, 2));
    EXPECT_EQ(counter.changes, 6);
    shadow.removeObserver(&counter);

    const auto copy = std::static_pointer_cast<Shadow>(shadow.copy());
    EXPECT_TRUE(copy->isEqual(&shadow));
    copy->setShadowBlurRadius(9);
    EXPECT_EQ(shadow.shadowBlurRadius(), 0.0);
}

TEST(Shadow, HardShadowFallsBelowRightForANegativeHeight)
{
    const QImage image = drawSquare(makeShadow({3, -3}, 0), QRectF(10, 10, 20, 20));
    EXPECT_EQ(image.pixelColor(15, 15), QColor(Qt::blue)); // the shape on top
    EXPECT_EQ(image.pixelColor(31, 31), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(32, 14), QColor(Qt::black));
    // Hard edges: the shadow covers exactly 13..32 each way.
    EXPECT_EQ(image.pixelColor(33, 20), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(20, 33), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(32, 12), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(12, 31), QColor(Qt::white));
}

TEST(Shadow, OffsetIsUpOnScreenWhateverTheFlipping)
{
    // A positive height moves the shadow up.
    const QImage up = drawSquare(makeShadow({0, 5}, 0), QRectF(10, 20, 20, 20));
    EXPECT_EQ(up.pixelColor(20, 16), QColor(Qt::black));
    EXPECT_EQ(up.pixelColor(20, 14), QColor(Qt::white));
    EXPECT_EQ(up.pixelColor(20, 41), QColor(Qt::white));

    // Flipped so that y grows upwards: the square lands on rows 30..49, its shadow still below.
    const QImage flipped = drawSquare(makeShadow({3, -3}, 0), QRectF(10, 10, 20, 20), [](QPainter& p) {
        p.translate(0, 60);
        p.scale(1, -1);
    });
    EXPECT_EQ(flipped.pixelColor(15, 40), QColor(Qt::blue));
    EXPECT_EQ(flipped.pixelColor(31, 51), QColor(Qt::black));
    EXPECT_EQ(flipped.pixelColor(31, 31), QColor(Qt::white));
    EXPECT_EQ(flipped.pixelColor(11, 52), QColor(Qt::white));
}

TEST(Shadow, ColourAlphaIsRespected)
{
    const QImage image = drawSquare(makeShadow({3, -3}, 0, Color(0, 0, 0, 0.5)), QRectF(10, 10, 20, 20));
    EXPECT_NEAR(grey(image, 31, 31), 128, 2);
    const QImage red = drawSquare(makeShadow({3, -3}, 0, Color(1, 0, 0, 0.5)), QRectF(10, 10, 20, 20));
    EXPECT_EQ(red.pixelColor(31, 31).red(), 255);
    EXPECT_NEAR(red.pixelColor(31, 31).green(), 128, 2);
    const QImage none = drawSquare(makeShadow({3, -3}, 0, Color()), QRectF(10, 10, 20, 20));
    EXPECT_EQ(none.pixelColor(31, 31), QColor(Qt::white));
    EXPECT_EQ(none.pixelColor(15, 15), QColor(Qt::blue));
}

TEST(Shadow, BlurSpreadsThreeBoxPassesOfHalfTheRadius)
{
    // Blur 6: three passes of radius 3, so the shadow reaches 9 pixels past its hard edge at 33.
    const QImage image = drawSquare(makeShadow({3, -3}, 6), QRectF(10, 10, 20, 20));
    EXPECT_EQ(image.pixelColor(15, 15), QColor(Qt::blue));
    EXPECT_LT(grey(image, 33, 20), 200);
    EXPECT_GT(grey(image, 32, 20), 30); // no longer solid
    EXPECT_LT(grey(image, 38, 20), 255);
    EXPECT_EQ(grey(image, 42, 20), 255);
    EXPECT_EQ(grey(image, 20, 42), 255);
    int previous = -1;
    for (int x = 30; x <= 42; ++x) {
        EXPECT_GE(grey(image, x, 20), previous) << "x " << x;
        previous = grey(image, x, 20);
    }
    // Around the hard edge the blur is about half way.
    EXPECT_NEAR(grey(image, 33, 20) + grey(image, 32, 20), 255, 30);
}

TEST(Shadow, ScaleGrowsTheShadowUpToTheLimit)
{
    ScaleLimitGuard guard;
    const Shadow shadow = makeShadow({3, -3}, 0);
    auto doubled = [](QPainter& p) { p.scale(2, 2); };
    // The square covers 10..29 on screen; the shadow's offset doubles with the zoom.
    const QImage zoomed = drawSquare(shadow, QRectF(5, 5, 10, 10), doubled);
    EXPECT_EQ(zoomed.pixelColor(35, 35), QColor(Qt::black));
    EXPECT_EQ(zoomed.pixelColor(36, 20), QColor(Qt::white));
    // So does it with the caller's own scale.
    const QImage scaled = drawSquare(shadow, QRectF(10, 10, 20, 20), {}, 2.0);
    EXPECT_EQ(scaled.pixelColor(35, 35), QColor(Qt::black));
    EXPECT_EQ(scaled.pixelColor(36, 20), QColor(Qt::white));

    Shadow::setShadowScaleLimit(1.0);
    const QImage limited = drawSquare(shadow, QRectF(5, 5, 10, 10), doubled);
    EXPECT_EQ(limited.pixelColor(32, 32), QColor(Qt::black));
    EXPECT_EQ(limited.pixelColor(34, 34), QColor(Qt::white));

    // A high-resolution device is not a zoom: the offset stays 3 points, 6 pixels, within the limit.
    QImage hiDpi(60, 60, QImage::Format_ARGB32_Premultiplied);
    hiDpi.setDevicePixelRatio(2);
    hiDpi.fill(Qt::white);
    QPainter painter(&hiDpi);
    shadow.drawWithShadow(painter, [](QPainter& p) { p.fillRect(QRectF(5, 5, 10, 10), Qt::blue); });
    painter.end();
    EXPECT_EQ(hiDpi.pixelColor(35, 35), QColor(Qt::black));
    EXPECT_EQ(hiDpi.pixelColor(36, 20), QColor(Qt::white));
    Shadow::setShadowScaleLimit(-5);
    EXPECT_EQ(Shadow::shadowScaleLimit(), 0.0);

    EXPECT_THROW(drawSquare(shadow, QRectF(10, 10, 20, 20), {}, 0.0), pf::InvalidArgumentException);
}

TEST(Shadow, ShadowIsClippedWithTheDrawing)
{
    const QImage image = drawSquare(makeShadow({3, -3}, 2), QRectF(10, 10, 20, 20),
                                    [](QPainter& p) { p.setClipRect(QRect(0, 0, 31, 60)); });
    EXPECT_LT(grey(image, 30, 30), 128);
    EXPECT_EQ(grey(image, 31, 30), 255);
    EXPECT_EQ(grey(image, 32, 30), 255);
}

TEST(Shadow, ArchivesRoundTrip)
{
    for (const Shadow& original : {makeShadow({3.5, -2}, 4.25, Color(0.1, 0.2, 0.3, 0.4)), Shadow(),
                                   makeShadow({0, 1}, 0, Color())}) {
        pf::Error error;
        const QByteArray data = pf::KeyedArchiver::archivedData(std::make_shared<Shadow>(original));
        const auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<Shadow>(data, &error);
        ASSERT_TRUE(decoded) << error.description().toStdString();
        EXPECT_EQ(*decoded, original) << decoded->description().toStdString();
    }
}

} // namespace
