#pragma once

#include "frameworks/penwork/styles/PWRasterizer.h"
#include "frameworks/penwork/styles/PWRenderable.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"

#include <QImage>
#include <QPainter>
#include <QStringList>

#include <functional>

namespace styles_test {

// The least an object must be for renderers to draw it: a path.
class PathShape : public PWRenderable {
public:
    explicit PathShape(pf::Ref<pf::BezierPath> path) : m_path(std::move(path)) {}
    static PathShape rect(const QRectF& rect) { return PathShape(pf::BezierPath::pathWithRect(rect)); }
    static PathShape line(const QPointF& from, const QPointF& to)
    {
        auto path = pf::BezierPath::path();
        path->moveTo(from);
        path->lineTo(to);
        return PathShape(path);
    }
    pf::Ref<pf::BezierPath> renderingPath() const override { return m_path; }
    double angle() const override { return 0.0; }
    QSizeF size() const override { return m_path->bounds().size(); }
    QPointF location() const override { return m_path->bounds().center(); }
    QTransform containerTransform() const override { return QTransform(); }
    quint64 geometryChecksum() const override { return 1; }

private:
    pf::Ref<pf::BezierPath> m_path;
};

// Renders into a white image of the given size through a current graphics context.
inline QImage renderToImage(const std::function<void()>& draw, int side = 60, bool antialias = false)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, antialias);
    pf::GraphicsContextScope scope(painter, true);
    draw();
    return image;
}

// Records the messages of the renderer change protocol as "will:<key>" and "did:<key>".
class RecordingObserver : public PWRasterizerObserver {
public:
    QStringList messages;
    QList<const PWRasterizer*> senders;
    void rasterizerWillChange(PWRasterizer& rasterizer, const QString& keyPath) override
    {
        messages << QStringLiteral("will:") + keyPath;
        senders << &rasterizer;
    }
    void rasterizerDidChange(PWRasterizer& rasterizer, const QString& keyPath) override
    {
        messages << QStringLiteral("did:") + keyPath;
        senders << &rasterizer;
    }
};

} // namespace styles_test
