#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRectF>

#include <functional>

namespace pf {
class GraphicsContext;
}

// An image over the part of a context's device that a drawing may reach, at the device's
// resolution: renderers that need the pixels of what they draw (blurs, glows, tints, blend
// groups) draw into it and then composite it back.
//
// The layer covers `userBounds` (in the context's user space) within the visible part of the
// device, plus `marginPixels` around that part, so that an effect spreading by that much
// takes in what lies just out of view. A layer that would exceed kMaxPixels is made at a lower
// resolution (reduction() < 1) and scaled up when composited.
class PWOffscreenLayer {
public:
    static constexpr double kMaxPixels = 8.0 * 1024 * 1024;

    PWOffscreenLayer(pf::GraphicsContext& context, const QRectF& userBounds, int marginPixels = 0);

    // Null when nothing of the bounds can show (or the image could not be made).
    bool isNull() const { return m_image.isNull(); }
    QImage& image() { return m_image; }
    const QImage& image() const { return m_image; }
    // Layer pixels per device pixel.
    double reduction() const { return m_reduction; }
    // The device pixels the layer covers.
    QRect region() const { return m_region; }
    // Layer pixels per user-space unit, for effects sized in points.
    double pixelsPerUnit() const { return m_pixelsPerUnit; }

    // Runs `draw` with a graphics context current for the layer, in the same user space as the
    // target context.
    void paint(const std::function<void()>& draw);

    // Draws `image` (the layer's own image when null; any image of the layer's size) into the
    // target context with `mode` and `opacity`, within the target's clip.
    void composite(QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver, double opacity = 1.0,
                   const QImage* image = nullptr) const;

private:
    pf::GraphicsContext& m_context;
    QImage m_image;
    QRect m_region; // device pixels
    double m_reduction = 1.0;
    double m_pixelsPerUnit = 1.0;
    double m_pixelRatio = 1.0;
};
