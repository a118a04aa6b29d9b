#include "platform/graphics/GraphicsContext.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/BezierPath.h"

#include <QPagedPaintDevice>
#include <QPaintDevice>

#include <algorithm>

namespace pf {

namespace {

// The contexts of this thread, innermost last.
thread_local std::vector<GraphicsContext*> t_contexts;

bool deviceIsScreenLike(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    if (!device)
        return true;
    // Printers and PDF writers are both paged devices.
    return device->devType() != QInternal::Printer && !dynamic_cast<const QPagedPaintDevice*>(device);
}

} // namespace

GraphicsContext::GraphicsContext(QPainter& painter, bool flipped)
    : GraphicsContext(painter, flipped, deviceIsScreenLike(painter))
{
}

GraphicsContext::GraphicsContext(QPainter& painter, bool flipped, bool drawingToScreen)
    : m_painter(painter), m_flipped(flipped), m_drawingToScreen(drawingToScreen)
{
    m_state.defaultLineWidth = BezierPath::defaultLineWidth();
}

GraphicsContext::~GraphicsContext()
{
    // States left saved are restored, so the painter is handed back as it was lent.
    while (!m_saved.empty())
        restoreGraphicsState();
}

GraphicsContext* GraphicsContext::current()
{
    return t_contexts.empty() ? nullptr : t_contexts.back();
}

void GraphicsContext::push()
{
    t_contexts.push_back(this);
}

void GraphicsContext::pop()
{
    // Scopes end in the reverse order they began, so this is the innermost; the search only
    // guards against a context popped out of turn.
    auto it = std::find(t_contexts.rbegin(), t_contexts.rend(), this);
    if (it != t_contexts.rend())
        t_contexts.erase(std::next(it).base());
}

void GraphicsContext::saveGraphicsState()
{
    m_state.defaultLineWidth = BezierPath::defaultLineWidth();
    m_saved.push_back(m_state);
    m_painter.save();
}

void GraphicsContext::restoreGraphicsState()
{
    if (m_saved.empty()) {
        PF_LOG("pf::GraphicsContext: restoreGraphicsState without a matching save; ignored");
        return;
    }
    m_painter.restore();
    m_state = std::move(m_saved.back());
    m_saved.pop_back();
    BezierPath::setDefaultLineWidth(m_state.defaultLineWidth);
}

void GraphicsContext::setShadow(const Shadow* shadow)
{
    if (shadow)
        m_state.shadow.emplace(*shadow);
    else
        m_state.shadow.reset();
}

QPainter::CompositionMode GraphicsContext::compositionMode(CompositingOperation operation)
{
    switch (operation) {
    case CompositingOperation::SourceOver:
        return QPainter::CompositionMode_SourceOver;
    case CompositingOperation::Copy:
        return QPainter::CompositionMode_Source;
    case CompositingOperation::SourceAtop:
        return QPainter::CompositionMode_SourceAtop;
    case CompositingOperation::DestinationIn:
        return QPainter::CompositionMode_DestinationIn;
    case CompositingOperation::DestinationAtop:
        return QPainter::CompositionMode_DestinationAtop;
    case CompositingOperation::DestinationOver:
        return QPainter::CompositionMode_DestinationOver;
    }
    return QPainter::CompositionMode_SourceOver;
}

void GraphicsContext::setCompositingOperation(CompositingOperation operation)
{
    m_state.compositing = operation;
    m_painter.setCompositionMode(compositionMode(operation));
}

void GraphicsContext::setImageInterpolation(ImageInterpolation interpolation)
{
    m_state.interpolation = interpolation;
    // Qt knows only smooth or not: low and none both draw the nearest pixel.
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform,
                            interpolation == ImageInterpolation::High || interpolation == ImageInterpolation::Default);
}

void GraphicsContext::setColour(const Color& colour)
{
    m_state.fillColour = colour;
    m_state.strokeColour = colour;
}

void GraphicsContext::concat(const QTransform& transform)
{
    m_painter.setWorldTransform(transform, true);
}

void GraphicsContext::addClip(const BezierPath& path)
{
    m_painter.setClipPath(path.toQPainterPath(), m_painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

QPointF GraphicsContext::convertFromDevice(const QPointF& point) const
{
    bool invertible = false;
    const QTransform inverse = userSpaceToDeviceSpace().inverted(&invertible);
    return invertible ? inverse.map(point) : point;
}

QRectF GraphicsContext::convertFromDevice(const QRectF& rect) const
{
    bool invertible = false;
    const QTransform inverse = userSpaceToDeviceSpace().inverted(&invertible);
    return invertible ? inverse.mapRect(rect) : rect;
}

void GraphicsContext::draw(const std::function<void(QPainter&)>& drawShape)
{
    if (!drawShape || !m_painter.isActive())
        return;
    if (m_state.shadow)
        m_state.shadow->drawWithShadow(m_painter, drawShape);
    else
        drawShape(m_painter);
}

void GraphicsContext::fillPath(const BezierPath& path)
{
    const QBrush brush = m_state.fillColour.brush();
    draw([&](QPainter& painter) { path.fill(painter, brush); });
}

void GraphicsContext::strokePath(const BezierPath& path)
{
    const QBrush brush = m_state.strokeColour.brush();
    draw([&](QPainter& painter) { path.stroke(painter, brush); });
}

void GraphicsContext::fillRect(const QRectF& rect)
{
    const QBrush brush = m_state.fillColour.brush();
    draw([&](QPainter& painter) { painter.fillRect(rect, brush); });
}

GraphicsStateSaver::GraphicsStateSaver() : GraphicsStateSaver(GraphicsContext::current()) {}

GraphicsStateSaver::GraphicsStateSaver(GraphicsContext* context) : m_context(context)
{
    if (m_context)
        m_context->saveGraphicsState();
}

GraphicsStateSaver::~GraphicsStateSaver()
{
    if (m_context)
        m_context->restoreGraphicsState();
}

} // namespace pf
