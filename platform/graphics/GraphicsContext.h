#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Shadow.h"

#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QTransform>

#include <functional>
#include <optional>
#include <vector>

namespace pf {

class BezierPath;

// How drawn pixels combine with those already there.
enum class CompositingOperation { SourceOver, Copy, SourceAtop, DestinationIn, DestinationAtop, DestinationOver };

// How images are resampled when drawn scaled.
enum class ImageInterpolation { Default, None, Low, High };

// The context renderers draw into: a QPainter plus the state the painter does not keep (the
// shadow that fills and strokes cast, the current fill and stroke colours) and the facts a
// renderer asks about its output (flipped, on screen or printed).
//
// Contexts form a stack per thread: GraphicsContextScope makes one and pushes it for its
// lifetime, and current() answers the innermost. saveGraphicsState / restoreGraphicsState nest within a
// context and also save and restore the painter's own state (transform, clip, pen, brush,
// composition mode, hints) and the default line width of new paths.
class GraphicsContext {
public:
    // The painter must be active and outlive the context. `flipped` says whether user space
    // runs y-down (the drawing view's flipped coordinates); the painter's transform is the
    // caller's either way. Drawing to a printer or a PDF writer does not count as drawing to
    // the screen; anything else (widgets, images) does.
    GraphicsContext(QPainter& painter, bool flipped);
    GraphicsContext(QPainter& painter, bool flipped, bool drawingToScreen);
    ~GraphicsContext();
    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;

    // The innermost context of this thread, or null when nothing is being drawn.
    static GraphicsContext* current();

    QPainter& painter() const { return m_painter; }
    bool isFlipped() const { return m_flipped; }
    bool isDrawingToScreen() const { return m_drawingToScreen; }

    // Nested saves; a restore without its save is ignored (and logged) rather than undoing
    // state the caller did not save.
    void saveGraphicsState();
    void restoreGraphicsState();
    int graphicsStateDepth() const { return int(m_saved.size()); }

    // The shadow following fills and strokes cast; null for none. The context keeps a copy.
    const Shadow* shadow() const { return m_state.shadow ? &*m_state.shadow : nullptr; }
    void setShadow(const Shadow* shadow);
    void setShadow(const Shadow& shadow) { setShadow(&shadow); }

    CompositingOperation compositingOperation() const { return m_state.compositing; }
    void setCompositingOperation(CompositingOperation operation);

    ImageInterpolation imageInterpolation() const { return m_state.interpolation; }
    void setImageInterpolation(ImageInterpolation interpolation);

    // The colours fillPath and strokePath use; black to begin with.
    const Color& fillColour() const { return m_state.fillColour; }
    const Color& strokeColour() const { return m_state.strokeColour; }
    void setFillColour(const Color& colour) { m_state.fillColour = colour; }
    void setStrokeColour(const Color& colour) { m_state.strokeColour = colour; }
    // Both at once, as setting a colour does on the platform.
    void setColour(const Color& colour);

    // Applies `transform` before the current one (user space moves by it).
    void concat(const QTransform& transform);
    // Intersects the clip with the path's area (by its winding rule).
    void addClip(const BezierPath& path);

    // User space to device pixels, and back.
    QTransform userSpaceToDeviceSpace() const { return m_painter.deviceTransform(); }
    QPointF convertToDevice(const QPointF& point) const { return userSpaceToDeviceSpace().map(point); }
    QRectF convertToDevice(const QRectF& rect) const { return userSpaceToDeviceSpace().mapRect(rect); }
    QPointF convertFromDevice(const QPointF& point) const;
    QRectF convertFromDevice(const QRectF& rect) const;

    // Drawing in the current state: the shadow, when there is one, is cast under the shape.
    void fillPath(const BezierPath& path);
    void strokePath(const BezierPath& path);
    void fillRect(const QRectF& rect);
    // Runs `drawShape` with the current shadow cast under whatever it paints.
    void draw(const std::function<void(QPainter&)>& drawShape);

    static QPainter::CompositionMode compositionMode(CompositingOperation operation);

private:
    struct State {
        std::optional<Shadow> shadow;
        CompositingOperation compositing = CompositingOperation::SourceOver;
        ImageInterpolation interpolation = ImageInterpolation::Default;
        Color fillColour = Color::black();
        Color strokeColour = Color::black();
        double defaultLineWidth = 1.0;
    };

    friend class GraphicsContextScope;
    void push();
    void pop();

    QPainter& m_painter;
    bool m_flipped;
    bool m_drawingToScreen;
    State m_state;
    std::vector<State> m_saved;
};

// Makes a context current for its lifetime (the stack of this thread).
class GraphicsContextScope {
public:
    GraphicsContextScope(QPainter& painter, bool flipped) : m_context(painter, flipped) { m_context.push(); }
    GraphicsContextScope(QPainter& painter, bool flipped, bool drawingToScreen)
        : m_context(painter, flipped, drawingToScreen)
    {
        m_context.push();
    }
    ~GraphicsContextScope() { m_context.pop(); }
    GraphicsContextScope(const GraphicsContextScope&) = delete;
    GraphicsContextScope& operator=(const GraphicsContextScope&) = delete;

    GraphicsContext& context() { return m_context; }

private:
    GraphicsContext m_context;
};

// Saves the current context's state for its lifetime; does nothing when there is none.
class GraphicsStateSaver {
public:
    GraphicsStateSaver();
    explicit GraphicsStateSaver(GraphicsContext* context);
    ~GraphicsStateSaver();
    GraphicsStateSaver(const GraphicsStateSaver&) = delete;
    GraphicsStateSaver& operator=(const GraphicsStateSaver&) = delete;

private:
    GraphicsContext* m_context;
};

} // namespace pf
