#pragma once

#include "frameworks/penwork/styles/PWRasterizer.h"
#include "frameworks/penwork/styles/PWRenderable.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace mapstrokes_test {

// An object for renderers to draw: a path with a checksum that follows it.
class Shape : public PWRenderable {
public:
    explicit Shape(pf::Ref<pf::BezierPath> path) : m_path(std::move(path)) {}
    pf::Ref<pf::BezierPath> renderingPath() const override { return m_path; }
    double angle() const override { return 0.0; }
    QSizeF size() const override { return m_path->bounds().size(); }
    QPointF location() const override { return m_path->bounds().center(); }
    QTransform containerTransform() const override { return QTransform(); }
    quint64 geometryChecksum() const override { return m_path->hash(); }
    void setPath(pf::Ref<pf::BezierPath> path) { m_path = std::move(path); }

private:
    pf::Ref<pf::BezierPath> m_path;
};

inline pf::Ref<pf::BezierPath> linePath(const QPointF& from, const QPointF& to)
{
    auto path = pf::BezierPath::path();
    path->moveTo(from);
    path->lineTo(to);
    return path;
}

// A horizontal line across the middle of a 200 x 200 image.
inline pf::Ref<pf::BezierPath> straightLine()
{
    return linePath(QPointF(20, 100), QPointF(180, 100));
}

// A half circle of radius 60 about the image's centre, over the top.
inline pf::Ref<pf::BezierPath> arcPath()
{
    auto path = pf::BezierPath::path();
    path->appendArc(QPointF(100, 110), 60.0, 180.0, 360.0, false);
    return path;
}

// An S: two opposite bends.
inline pf::Ref<pf::BezierPath> sCurve()
{
    auto path = pf::BezierPath::path();
    path->moveTo(QPointF(30, 150));
    path->curveTo(QPointF(100, 100), QPointF(30, 60), QPointF(100, 60));
    path->curveTo(QPointF(170, 50), QPointF(100, 140), QPointF(170, 140));
    return path;
}

// The renderer drawn for `object` on a white square image, without antialiasing.
inline QImage draw(PWRasterizer& renderer, const PWRenderable& object, int side = 200)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    pf::GraphicsContextScope scope(painter, true);
    renderer.render(object);
    return image;
}

inline bool isWhite(const QImage& image, int x, int y)
{
    return image.pixelColor(x, y) == QColor(Qt::white);
}

inline int inkCount(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += !isWhite(image, x, y);
    return count;
}

// Whether every inked pixel's centre lies within `bounds` (grown by a pixel for rounding).
inline bool inkInside(const QImage& image, const QRectF& bounds)
{
    const QRectF allowed = bounds.adjusted(-1.0, -1.0, 1.0, 1.0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!isWhite(image, x, y) && !allowed.contains(QPointF(x + 0.5, y + 0.5)))
                return false;
    return true;
}

// Whether any pixel within `radius` of `point` is inked.
inline bool inkNear(const QImage& image, const QPointF& point, int radius)
{
    for (int y = int(point.y()) - radius; y <= int(point.y()) + radius; ++y)
        for (int x = int(point.x()) - radius; x <= int(point.x()) + radius; ++x)
            if (x >= 0 && y >= 0 && x < image.width() && y < image.height() && !isWhite(image, x, y))
                return true;
    return false;
}

// Records the change protocol's messages.
class ChangeRecorder : public PWRasterizerObserver {
public:
    void rasterizerWillChange(PWRasterizer&, const QString& keyPath) override { log << "will:" + keyPath; }
    void rasterizerDidChange(PWRasterizer&, const QString& keyPath) override { log << "did:" + keyPath; }
    QStringList log;
};

// The archive of `object`, its class written under `className` when one is given (as documents
// of earlier versions name it).
inline QByteArray archive(const pf::Ref<pf::Object>& object, const QString& className = {})
{
    pf::KeyedArchiver archiver;
    if (!className.isEmpty())
        archiver.setClassNameForClass(className, object->objClass());
    archiver.encodeObject(object, pf::KeyedArchiver::kRootKey);
    return archiver.encodedData();
}

template <class T>
pf::Ref<T> unarchive(const QByteArray& data)
{
    pf::Error error;
    auto object = pf::KeyedUnarchiver::unarchiveObjectOfClass<T>(data, &error);
    EXPECT_TRUE(object) << error.localizedDescription().toStdString();
    return object;
}

} // namespace mapstrokes_test
