// Gradients: stops, interpolation, angles and radial drawing by pixel samples, archiving.
#include <gtest/gtest.h>

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/Gradient.h"

#include <QPainter>

#include <cmath>
#include <functional>
#include <limits>

namespace {

using pf::Color;
using pf::ColorStop;
using pf::Gradient;

QImage whiteCanvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

// Whether a pixel is `expected`, within a few steps per channel.
testing::AssertionResult pixelIs(const QImage& image, QPoint at, const QColor& expected, int tolerance = 4)
{
    const QColor actual = image.pixelColor(at);
    if (std::abs(actual.red() - expected.red()) <= tolerance && std::abs(actual.green() - expected.green()) <= tolerance &&
        std::abs(actual.blue() - expected.blue()) <= tolerance && std::abs(actual.alpha() - expected.alpha()) <= tolerance)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "pixel (" << at.x() << ", " << at.y() << ") is " << actual.name(QColor::HexArgb).toStdString()
                                       << ", not " << expected.name(QColor::HexArgb).toStdString();
}

void expectColour(const Color& actual, const Color& expected)
{
    EXPECT_NEAR(actual.redComponent(), expected.redComponent(), 1e-3) << actual.description().toStdString();
    EXPECT_NEAR(actual.greenComponent(), expected.greenComponent(), 1e-3) << actual.description().toStdString();
    EXPECT_NEAR(actual.blueComponent(), expected.blueComponent(), 1e-3) << actual.description().toStdString();
    EXPECT_NEAR(actual.alphaComponent(), expected.alphaComponent(), 1e-3) << actual.description().toStdString();
}

const Gradient& redToBlue()
{
    static const Gradient gradient(Color::red(), Color::blue());
    return gradient;
}

// An archive entry of class "pf::Gradient" holding whatever the test writes into it.
class ForgedGradient : public pf::Object, public pf::Coding {
    PF_CLASS(ForgedGradient)
public:
    std::function<void(pf::KeyedArchiver&)> write;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override { write(coder); }
    void initWithCoder(pf::KeyedUnarchiver&) override {}
    QString classNameForArchiver() const override { return QStringLiteral("pf::Gradient"); }
};

} // namespace

PF_DEFINE_CLASS(ForgedGradient, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
}

namespace {

TEST(Gradient, StopsGivenInAnyOrderAreSortedAndInterpolated)
{
    const Gradient gradient({{Color::blue(), 1.0}, {Color::red(), 0.0}, {Color::green(), 0.5}});
    ASSERT_EQ(gradient.numberOfColorStops(), 3);
    EXPECT_EQ(gradient.colorStopAt(0), (ColorStop{Color::red(), 0.0}));
    EXPECT_EQ(gradient.colorStopAt(1), (ColorStop{Color::green(), 0.5}));
    EXPECT_EQ(gradient.colorStopAt(2), (ColorStop{Color::blue(), 1.0}));

    struct Case {
        double location;
        Color expected;
    };
    const Case cases[] = {
        {0.0, Color::red()},  {0.25, Color(0.5, 0.5, 0.0)}, {0.5, Color::green()}, {0.75, Color(0.0, 0.5, 0.5)},
        {1.0, Color::blue()}, {-3.0, Color::red()},         {7.0, Color::blue()},
    };
    for (const Case& c : cases)
        expectColour(gradient.interpolatedColorAtLocation(c.location), c.expected);

    EXPECT_THROW(gradient.colorStopAt(3), pf::Exception);
    EXPECT_THROW(gradient.colorStopAt(-1), pf::Exception);
}

TEST(Gradient, InterpolationEdgeCases)
{
    // Alpha blends with the components, not premultiplied.
    expectColour(Gradient(Color::clear(), Color::white()).interpolatedColorAtLocation(0.5), Color(0.5, 0.5, 0.5, 0.5));
    // Inner stops: the end colours carry on beyond them.
    const Gradient inner({{Color::red(), 0.3}, {Color::blue(), 0.7}});
    expectColour(inner.interpolatedColorAtLocation(0.1), Color::red());
    expectColour(inner.interpolatedColorAtLocation(0.5), Color(0.5, 0.0, 0.5));
    expectColour(inner.interpolatedColorAtLocation(0.9), Color::blue());
    // Two stops at one place make a step; the later one holds from there.
    const Gradient step({{Color::red(), 0.0}, {Color::red(), 0.5}, {Color::blue(), 0.5}, {Color::blue(), 1.0}});
    expectColour(step.interpolatedColorAtLocation(0.49), Color::red());
    expectColour(step.interpolatedColorAtLocation(0.5), Color::blue());
    expectColour(Gradient({{Color::orange(), 0.4}}).interpolatedColorAtLocation(0.9), Color::orange());
    EXPECT_EQ(Gradient().interpolatedColorAtLocation(0.5), Color::clear());
}

TEST(Gradient, RefusesStopsThatCannotBlend)
{
    QImage tile(1, 1, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::red);
    EXPECT_THROW(Gradient(Color::patternWithImage(tile), Color::blue()), pf::InvalidArgumentException);
    EXPECT_THROW(Gradient(Color(), Color::blue()), pf::InvalidArgumentException);
    EXPECT_THROW(Gradient({{Color::red(), std::numeric_limits<double>::quiet_NaN()}}), pf::InvalidArgumentException);
    // Out of range is only clamped.
    EXPECT_EQ(Gradient({{Color::red(), -2.0}, {Color::blue(), 5.0}}), redToBlue());
}

TEST(Gradient, QGradientStopsKeepStepsAndConvertBack)
{
    const Gradient step({{Color::red(), 0.0}, {Color::red(), 0.5}, {Color::blue(), 0.5}, {Color::blue(), 1.0}});
    const QGradientStops stops = step.qGradientStops();
    ASSERT_EQ(stops.size(), 4);
    for (qsizetype i = 1; i < stops.size(); ++i)
        EXPECT_LT(stops[i - 1].first, stops[i].first);
    EXPECT_EQ(stops[2].second, QColor(Qt::blue));
    EXPECT_EQ(Gradient(QGradientStops{{0.0, Qt::red}, {1.0, Qt::blue}}), redToBlue());
    EXPECT_EQ(Gradient({{Color::green(), 0.3}}).qGradientStops().size(), 2);
}

TEST(Gradient, AnglesRunCounterClockwiseOnScreen)
{
    struct Case {
        double angle;
        QPoint startPixel, endPixel;
    };
    // On a 100 x 40 canvas: the start colour at the edge the angle points away from.
    const Case cases[] = {
        {0.0, {0, 20}, {99, 20}},   {90.0, {50, 39}, {50, 0}}, {180.0, {99, 20}, {0, 20}},
        {270.0, {50, 0}, {50, 39}}, {-90.0, {50, 0}, {50, 39}},
        // The gradient line is just long enough for the corners to take the end colours.
        {45.0, {0, 39}, {99, 0}},
    };
    for (const Case& c : cases) {
        QImage image = whiteCanvas(100, 40);
        QPainter painter(&image);
        redToBlue().drawInRect(painter, QRectF(0, 0, 100, 40), c.angle);
        painter.end();
        EXPECT_TRUE(pixelIs(image, c.startPixel, Qt::red, 8)) << "angle " << c.angle;
        EXPECT_TRUE(pixelIs(image, c.endPixel, Qt::blue, 8)) << "angle " << c.angle;
    }
    QImage image = whiteCanvas(100, 40);
    QPainter painter(&image);
    redToBlue().drawInRect(painter, QRectF(0, 0, 100, 40), 0.0);
    painter.end();
    EXPECT_TRUE(pixelIs(image, {50, 5}, QColor(127, 0, 127), 4));
    EXPECT_TRUE(pixelIs(image, {25, 5}, QColor(190, 0, 65), 4));
}

TEST(Gradient, DrawInPathSpansThePathBoundsInsideThePath)
{
    QImage image = whiteCanvas(100, 40);
    QPainter painter(&image);
    QPainterPath oval;
    oval.addEllipse(QRectF(20, 0, 40, 40));
    redToBlue().drawInPath(painter, oval, 0.0);
    painter.end();
    EXPECT_TRUE(pixelIs(image, {21, 20}, Qt::red, 12));
    EXPECT_TRUE(pixelIs(image, {40, 20}, QColor(127, 0, 127), 6));
    EXPECT_TRUE(pixelIs(image, {58, 20}, Qt::blue, 12));
    EXPECT_TRUE(pixelIs(image, {21, 1}, Qt::white, 0));
    EXPECT_TRUE(pixelIs(image, {70, 20}, Qt::white, 0));
}

TEST(Gradient, RadialRunsFromTheStartCircleToTheEndCircle)
{
    {
        QImage image = whiteCanvas(100, 100);
        QPainter painter(&image);
        redToBlue().drawRadial(painter, QPointF(50, 50), 0, QPointF(50, 50), 40);
        painter.end();
        EXPECT_TRUE(pixelIs(image, {50, 50}, Qt::red, 8));
        EXPECT_TRUE(pixelIs(image, {70, 50}, QColor(127, 0, 127), 8));
        EXPECT_TRUE(pixelIs(image, {50, 88}, Qt::blue, 12));
        EXPECT_TRUE(pixelIs(image, {95, 50}, Qt::white, 0));
        EXPECT_TRUE(pixelIs(image, {8, 8}, Qt::white, 0));
    }
    {
        // A start circle outside the end one: the gradient fills the hull of the two.
        QImage image = whiteCanvas(100, 100);
        QPainter painter(&image);
        redToBlue().drawRadial(painter, QPointF(15, 50), 10, QPointF(70, 50), 20);
        painter.end();
        // The far side of the start circle; its middle lies under later circles.
        EXPECT_TRUE(pixelIs(image, {6, 50}, Qt::red, 16));
        EXPECT_FALSE(pixelIs(image, {15, 50}, Qt::red, 16));
        EXPECT_TRUE(pixelIs(image, {89, 50}, Qt::blue, 12));
        // On the axis at 40.5 the last circle to reach it is t = 0.789 (it spans 5 + 45t to 25 + 65t).
        EXPECT_TRUE(pixelIs(image, {40, 50}, QColor(54, 0, 201), 6));
        EXPECT_NE(image.pixelColor(40, 60), QColor(Qt::white));
        EXPECT_TRUE(pixelIs(image, {40, 30}, Qt::white, 0));
        EXPECT_TRUE(pixelIs(image, {96, 50}, Qt::white, 0));
    }
}

TEST(Gradient, SharedAndShinyGradientsAreLighterAtTheTop)
{
    for (const auto& shared : {Gradient::unifiedNormalGradient(), Gradient::unifiedDarkGradient(),
                               Gradient::sourceListSelectedGradient()}) {
        QImage image = whiteCanvas(10, 20);
        QPainter painter(&image);
        shared->drawInRect(painter, QRectF(0, 0, 10, 20), 90.0);
        painter.end();
        EXPECT_GT(qGray(image.pixel(5, 0)), qGray(image.pixel(5, 19))) << shared->description().toStdString();
    }

    const Color base(0.2, 0.3, 0.7);
    QImage image = whiteCanvas(10, 40);
    QPainter painter(&image);
    Gradient::drawShinyGradientInRect(painter, QRectF(0, 0, 10, 40), base);
    Gradient::drawShinyGradientInRect(painter, QRectF(0, 0, 10, 40), Color());
    painter.end();
    EXPECT_TRUE(pixelIs(image, {5, 20}, base.qColor(), 6));
    EXPECT_GT(qGray(image.pixel(5, 0)), qGray(image.pixel(5, 19)) + 40);
    EXPECT_GT(qGray(image.pixel(5, 39)), qGray(image.pixel(5, 21)));
}

TEST(Gradient, ArchivesRoundTrip)
{
    const Gradient gradient({{Color(0.1, 0.2, 0.3, 0.4), 0.0}, {Color::orange(), 0.35}, {Color::white(), 0.9}});
    for (const Gradient& original : {gradient, Gradient()}) {
        pf::Error error;
        const QByteArray data = pf::KeyedArchiver::archivedData(std::make_shared<Gradient>(original));
        const auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<Gradient>(data, &error);
        ASSERT_TRUE(decoded) << error.description().toStdString();
        EXPECT_EQ(*decoded, original) << decoded->description().toStdString();
    }
}

TEST(Gradient, DamagedArchivesAreRefused)
{
    using Writer = std::function<void(pf::KeyedArchiver&)>;
    const Writer writers[] = {
        // More colours than locations.
        [](pf::KeyedArchiver& coder) {
            coder.encodePropertyListValue(QVariantList{pf::toVariant(std::make_shared<Color>(Color::red()))},
                                          QStringLiteral("colors"));
            coder.encodePropertyListValue(QVariantList{}, QStringLiteral("locations"));
        },
        // A colour that is not one.
        [](pf::KeyedArchiver& coder) {
            coder.encodePropertyListValue(QVariantList{QStringLiteral("red")}, QStringLiteral("colors"));
            coder.encodePropertyListValue(QVariantList{0.5}, QStringLiteral("locations"));
        },
        // A location that is not a number.
        [](pf::KeyedArchiver& coder) {
            coder.encodePropertyListValue(QVariantList{pf::toVariant(std::make_shared<Color>(Color::red()))},
                                          QStringLiteral("colors"));
            coder.encodePropertyListValue(QVariantList{QStringLiteral("0.5")}, QStringLiteral("locations"));
        },
    };
    for (const Writer& write : writers) {
        auto forged = std::make_shared<ForgedGradient>();
        forged->write = write;
        pf::Error error;
        EXPECT_FALSE(pf::KeyedUnarchiver::unarchiveObjectOfClass<Gradient>(pf::KeyedArchiver::archivedData(forged), &error));
        EXPECT_FALSE(error.isNull());
    }
}

} // namespace
