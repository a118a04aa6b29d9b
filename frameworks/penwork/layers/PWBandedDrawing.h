#pragma once

#include <QRectF>
#include <QtGlobal>

class PWDrawing;
class PWDrawableObject;

namespace pf {
class GraphicsContext;
}

// Draws a drawing over a large raster area in horizontal bands, several at once on worker
// threads, each painting its own rows of the target image with the same transform. Only what is
// known to draw safely off the calling thread goes to the bands: plain shapes, paths and groups
// of them styled with plain fills and strokes, in ordinary object layers. Everything else (text,
// images, effect renderers, other kinds of layer, an object being created) and the selection
// highlight draw on the calling thread in between, in stacking order, so the picture is the one
// PWDrawing::drawInContext makes.
//
// The workers only read: every cache drawing fills (an object's bounds) is filled on the calling
// thread before the bands start, and the calling thread waits for them, so nothing changes under
// them.
class PWBandedDrawing {
public:
    // Draws as drawing.drawInContext(context, rect, showingHighlighting). `clipRect` is the
    // rectangle (drawing coordinates) the context's painter was clipped to, or null when the
    // painter is not clipped; a painter clipped otherwise, one that does not paint into an image,
    // and a small area are drawn the plain way.
    static void drawInContext(PWDrawing& drawing, pf::GraphicsContext& context, const QRectF& rect,
                              bool showingHighlighting, const QRectF& clipRect = QRectF());

    // Whether an object draws safely on several threads at once.
    static bool drawsOffThread(const PWDrawableObject& object);

    // Banding on (the default) or off; off, everything draws on the calling thread.
    static bool isEnabled();
    static void setEnabled(bool enabled);

    // How many bands the latest pass of the latest drawing drew in (0 where it drew none).
    static int bandsInLastPass();

    // Below this many device pixels the hand-over costs more than the bands save.
    static constexpr qint64 kMinimumPixels = qint64(256) * 256;
    // No band is thinner than this many rows.
    static constexpr int kMinimumBandHeight = 24;
};
