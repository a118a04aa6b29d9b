#include "platform/graphics/StripStroker.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <cmath>

namespace {

// A road of `segments` cubic pieces wandering over a width x height area, turning back at its
// edges, as a map's roads and rivers do.
QPainterPath road(int segments, double width, double height, quint32 seed)
{
    QRandomGenerator random(seed);
    double x = random.bounded(width);
    double y = random.bounded(height);
    double heading = random.bounded(2 * M_PI);
    QPainterPath path(QPointF(x, y));
    for (int i = 0; i < segments; ++i) {
        heading += random.bounded(0.8) - 0.4;
        const double step = 4.0 + random.bounded(8.0);
        double nx = x + step * std::cos(heading);
        double ny = y + step * std::sin(heading);
        if (nx < 0 || nx > width || ny < 0 || ny > height) {
            heading += M_PI;
            nx = x + step * std::cos(heading);
            ny = y + step * std::sin(heading);
        }
        path.cubicTo(QPointF(x + (nx - x) / 3 + random.bounded(2.0) - 1, y + (ny - y) / 3),
                     QPointF(x + 2 * (nx - x) / 3, y + 2 * (ny - y) / 3 + random.bounded(2.0) - 1), QPointF(nx, ny));
        x = nx;
        y = ny;
    }
    return path;
}

QImage blank(const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

struct Painting {
    QTransform transform;
    QRectF clip; // user coordinates; null for none
    double opacity = 1.0;
};

void prepare(QPainter& painter, const Painting& setup)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(setup.transform);
    painter.setOpacity(setup.opacity);
    if (!setup.clip.isNull())
        painter.setClipRect(setup.clip);
}

// The engine's own stroke and the strips' stroke of the same path; `used` tells whether the
// strips drew it.
std::pair<QImage, QImage> bothWays(const QSize& size, const QPainterPath& path, const QPen& pen,
                                   const Painting& setup, bool* used)
{
    QImage plain = blank(size);
    {
        QPainter painter(&plain);
        prepare(painter, setup);
        painter.strokePath(path, pen);
    }
    QImage strips = blank(size);
    {
        QPainter painter(&strips);
        prepare(painter, setup);
        *used = pf::StripStroker::stroke(painter, path, pen);
        // The painter is left as it was found.
        EXPECT_EQ(painter.worldTransform(), setup.transform);
    }
    return {plain, strips};
}

struct Difference {
    int largest = 0;
    qint64 overTwo = 0; // pixels moved by more than 2 of 255
};

Difference compare(const QImage& a, const QImage& b)
{
    Difference d;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb* la = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const QRgb* lb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int most = std::max({std::abs(qRed(la[x]) - qRed(lb[x])), std::abs(qGreen(la[x]) - qGreen(lb[x])),
                                       std::abs(qBlue(la[x]) - qBlue(lb[x])), std::abs(qAlpha(la[x]) - qAlpha(lb[x]))});
            d.largest = std::max(d.largest, most);
            d.overTwo += most > 2;
        }
    }
    return d;
}

struct Case {
    const char* name;
    double width;
    Qt::PenJoinStyle join;
    Qt::PenCapStyle cap;
    Painting setup;
};

TEST(StripStrokerTest, LongStrokesKeepTheEnginesPixels)
{
    const QSize size(900, 700);
    const Case cases[] = {
        {"round joins", 9.0, Qt::RoundJoin, Qt::RoundCap, {}},
        {"miter joins, square caps", 6.0, Qt::MiterJoin, Qt::SquareCap, {}},
        {"bevel joins, flat caps", 3.5, Qt::BevelJoin, Qt::FlatCap, {}},
        {"scaled down", 9.0, Qt::RoundJoin, Qt::RoundCap, {QTransform::fromScale(0.5, 0.5), {}}},
        {"scaled up and shifted", 4.0, Qt::RoundJoin, Qt::FlatCap,
         {QTransform::fromTranslate(-300.5, -120.25) * QTransform::fromScale(1.7, 1.7), {}}},
        {"flipped", 7.0, Qt::RoundJoin, Qt::RoundCap, {QTransform(1, 0, 0, -1, 0, 700), {}}},
        {"clipped", 9.0, Qt::RoundJoin, Qt::RoundCap, {QTransform(), QRectF(130.5, 95.25, 500, 333)}},
        {"stretched", 5.0, Qt::RoundJoin, Qt::RoundCap, {QTransform::fromScale(1.25, 0.8), {}}},
        {"thin", 1.2, Qt::MiterJoin, Qt::FlatCap, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QPen pen(QColor(74, 74, 74), c.width, Qt::SolidLine, c.cap, c.join);
        QPainterPath path = road(600, size.width(), size.height(), 7);
        // A second, closed piece: its outline has a hole.
        path.addEllipse(QRectF(200, 150, 400, 300));
        bool used = false;
        const auto [plain, strips] = bothWays(size, path, pen, c.setup, &used);
        EXPECT_TRUE(used);
        const Difference d = compare(plain, strips);
        // As close as antialiasing itself: a level or two on edge pixels, a little more on a
        // very few where an edge crosses a strip's border.
        EXPECT_LE(d.largest, 6);
        EXPECT_LT(double(d.overTwo), 0.001 * size.width() * size.height());
        // Something was drawn at all.
        EXPECT_NE(compare(strips, blank(size)).largest, 0);
    }
}

// Roads long enough that their strips are filled on several threads: the painter clipped to the
// whole image (as an export is) or not at all, and clipped to a part of it (filled here alone).
TEST(StripStrokerTest, LongRoadsKeepTheEnginesPixelsOnEveryThread)
{
    const QSize size(1500, 1100);
    const QPen pen(QColor(74, 74, 74), 9.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const QPainterPath path = road(5000, size.width(), size.height(), 23);
    const Painting setups[] = {{},
                               {QTransform(), QRectF(0, 0, 1500, 1100)},
                               {QTransform(), QRectF(100, 80, 900, 700)},
                               {QTransform::fromScale(0.9, 0.9), {}, 0.5}};
    for (const Painting& setup : setups) {
        SCOPED_TRACE(testing::Message() << setup.clip.width() << " at opacity " << setup.opacity);
        bool used = false;
        const auto [plain, strips] = bothWays(size, path, pen, setup, &used);
        EXPECT_TRUE(used);
        const Difference d = compare(plain, strips);
        EXPECT_LE(d.largest, 6);
        EXPECT_LT(double(d.overTwo), 0.001 * size.width() * size.height());
        EXPECT_NE(compare(strips, blank(size)).largest, 0);
    }
}

TEST(StripStrokerTest, DrawsOverWhatIsThereAtThePaintersOpacity)
{
    const QSize size(600, 500);
    QImage plain(size, QImage::Format_ARGB32_Premultiplied);
    plain.fill(QColor(30, 120, 200));
    QImage strips = plain;
    const QPainterPath path = road(400, size.width(), size.height(), 11);
    const QPen pen(QColor(255, 210, 127), 6.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    for (QImage* image : {&plain, &strips}) {
        QPainter painter(image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(0.6);
        if (image == &plain)
            painter.strokePath(path, pen);
        else
            EXPECT_TRUE(pf::StripStroker::stroke(painter, path, pen));
    }
    const Difference d = compare(plain, strips);
    EXPECT_LE(d.largest, 6);
    EXPECT_LT(double(d.overTwo), 0.001 * size.width() * size.height());
}

TEST(StripStrokerTest, LeavesOtherStrokesToTheEngine)
{
    const QSize size(400, 400);
    const QPainterPath longPath = road(300, size.width(), size.height(), 3);
    const QPen solid(Qt::black, 5.0);
    QPen dashed = solid;
    dashed.setStyle(Qt::DashLine);
    QPen cosmetic = solid;
    cosmetic.setCosmetic(true);
    QPen gradient = solid;
    gradient.setBrush(QLinearGradient(0, 0, 400, 400));
    struct Refusal {
        const char* name;
        QPainterPath path;
        QPen pen;
        QTransform transform;
        bool antialiased;
    };
    QPainterPath shortPath(QPointF(10, 10));
    shortPath.lineTo(300, 390);
    const Refusal refusals[] = {
        {"dashed", longPath, dashed, {}, true},
        {"cosmetic", longPath, cosmetic, {}, true},
        {"gradient", longPath, gradient, {}, true},
        {"a pixel wide", longPath, QPen(Qt::black, 1.0), {}, true},
        {"thin once scaled", longPath, QPen(Qt::black, 2.0), QTransform::fromScale(0.5, 0.5), true},
        {"rotated", longPath, solid, QTransform().rotate(10), true},
        {"sheared", longPath, solid, QTransform().shear(0.2, 0.0), true},
        {"not antialiased", longPath, solid, {}, false},
        {"few elements", shortPath, solid, {}, true},
        {"far beyond the engine's range", longPath, solid, QTransform::fromTranslate(0, 1e9), true},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        QImage image = blank(size);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, r.antialiased);
        painter.setTransform(r.transform);
        EXPECT_FALSE(pf::StripStroker::stroke(painter, r.path, r.pen));
        painter.end();
        EXPECT_EQ(image, blank(size));
    }
}

TEST(StripStrokerTest, AStrokeOutsideTheImageDrawsNothing)
{
    QImage image = blank(QSize(300, 300));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(1000, 0);
    EXPECT_TRUE(pf::StripStroker::stroke(painter, road(200, 300, 300, 5), QPen(Qt::black, 4.0)));
    painter.end();
    EXPECT_EQ(image, blank(QSize(300, 300)));
}

} // namespace
