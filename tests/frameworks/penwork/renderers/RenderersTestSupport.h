#pragma once

#include "frameworks/penwork/styles/PWRasterizer.h"
#include "frameworks/penwork/styles/PWRenderable.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"

#include <QImage>
#include <QPainter>

#include <functional>

namespace renderers_test {

// An object for renderers to draw: a path, optionally turned by an angle.
class Shape : public PWRenderable {
public:
    explicit Shape(pf::Ref<pf::BezierPath> path, double angle = 0.0, quint64 checksum = 7)
        : m_path(std::move(path)), m_angle(angle), m_checksum(checksum)
    {
    }
    static Shape rect(const QRectF& rect, double angle = 0.0) { return Shape(pf::BezierPath::pathWithRect(rect), angle); }
    static Shape line(const QPointF& from, const QPointF& to)
    {
        auto path = pf::BezierPath::path();
        path->moveTo(from);
        path->lineTo(to);
        return Shape(path);
    }
    pf::Ref<pf::BezierPath> renderingPath() const override { return m_path; }
    double angle() const override { return m_angle; }
    QSizeF size() const override { return m_path->bounds().size(); }
    QPointF location() const override { return m_path->bounds().center(); }
    QTransform containerTransform() const override { return QTransform(); }
    quint64 geometryChecksum() const override { return m_checksum; }

private:
    pf::Ref<pf::BezierPath> m_path;
    double m_angle;
    quint64 m_checksum;
};

// The renderer drawn for `object` on a white square image, without antialiasing.
inline QImage draw(PWRasterizer& renderer, const PWRenderable& object, int side = 100)
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

// The bounding box of every pixel that is not white; null for a blank image.
inline QRect inkedArea(const QImage& image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!isWhite(image, x, y))
                area |= QRect(x, y, 1, 1);
    return area;
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

} // namespace renderers_test
