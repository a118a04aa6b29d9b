#include "frameworks/penwork/layers/PWBandedDrawing.h"

#include "frameworks/penwork/drawables/PWArcPath.h"
#include "frameworks/penwork/drawables/PWCentredPath.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/drawables/PWReshapableShape.h"
#include "frameworks/penwork/drawables/PWRoundRectShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/layers/PWObjectStorage.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "frameworks/penwork/styles/PWStyle.h"

#include "platform/graphics/GraphicsContext.h"

#include <QImage>
#include <QPaintEngine>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <typeinfo>
#include <vector>

namespace {

std::atomic<bool> g_enabled{true};
std::atomic<int> g_bandsInLastPass{0};

// The workers of every banded drawing. Their own pool, so that long jobs others queue on the
// global one never hold a redraw up.
QThreadPool& bandPool()
{
    static QThreadPool pool;
    static std::once_flag once;
    std::call_once(once, [] { pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1)); });
    return pool;
}

// Plain fills and strokes only read themselves and the path while drawing; the effect renderers
// keep caches and images of their own, so they stay on the calling thread.
bool styleDrawsOffThread(const PWStyle* style)
{
    if (!style)
        return true;
    // A shadow or a style below full opacity draws through an image of the area the clip
    // leaves, which a band's clip would cut short.
    if (typeid(*style) != typeid(PWStyle) || style->opacity() < 1.0)
        return false;
    for (const pf::Ref<PWRasterizer>& renderer : style->renderList()) {
        const PWRasterizer& kind = *renderer;
        const std::type_info& type = typeid(kind);
        if (type == typeid(PWFill)) {
            if (static_cast<const PWFill&>(kind).shadow())
                return false;
        } else if (type == typeid(PWStroke)) {
            if (static_cast<const PWStroke&>(kind).shadow())
                return false;
        } else {
            return false;
        }
    }
    return true;
}

// One object of a banded run, with the bands it reaches into.
struct Item {
    PWDrawableObject* object;
    int firstBand;
    int lastBand;
};

// Objects drawn one after another at one opacity: what one layer draws.
struct Run {
    double opacity = 1.0;
    QList<pf::Ref<PWDrawableObject>> keep; // holds the objects for the pass
    std::vector<Item> items;
};

// What the bands share: the target and how the calling thread's painter stands.
struct Target {
    uchar* bits = nullptr;
    int width = 0;
    int height = 0;
    qsizetype bytesPerLine = 0;
    QImage::Format format = QImage::Format_Invalid;
    int dotsPerMeterX = 0;
    int dotsPerMeterY = 0;
    QRegion systemClip;   // device pixels; empty for none
    QRect rows;           // the rows the painter may touch
    std::vector<int> tops; // the first row of each band, top down
    QTransform toDevice;
    QTransform toDrawing;
    QRectF clipRect;      // drawing coordinates; null for none
    QPainter::RenderHints hints;
    QPointF brushOrigin;
    bool flipped = false;
    bool onScreen = true;
    pf::Color fillColour;
    pf::Color strokeColour;
};

// Where the painter paints into an image the bands can share, how it stands; null otherwise.
bool describeTarget(pf::GraphicsContext& context, const QRectF& rect, const QRectF& clipRect, Target& target)
{
    QPainter& painter = context.painter();
    QPaintEngine* engine = painter.paintEngine();
    if (!painter.isActive() || !engine || engine->type() != QPaintEngine::Raster)
        return false;
    QPaintDevice* device = engine->paintDevice();
    if (!device || device->devType() != QInternal::Image)
        return false;
    auto* image = static_cast<QImage*>(device);
    if (image->isNull() || image->devicePixelRatio() != 1.0 || image->depth() != 32)
        return false;
    if (clipRect.isNull() ? painter.hasClipping() : !painter.hasClipping())
        return false;
    if (painter.compositionMode() != QPainter::CompositionMode_SourceOver
        || context.compositingOperation() != pf::CompositingOperation::SourceOver || context.shadow()
        || context.graphicsStateDepth() > 64)
        return false;
    const QTransform toDevice = painter.deviceTransform();
    if (!toDevice.isInvertible())
        return false;

    const QRect whole(0, 0, image->width(), image->height());
    QRect rows = whole;
    const QRegion systemClip = engine->systemClip();
    if (!systemClip.isEmpty())
        rows &= systemClip.boundingRect();
    if (!clipRect.isNull())
        rows &= toDevice.mapRect(clipRect).toAlignedRect().adjusted(-1, -1, 1, 1);
    const QRect area = rect.isNull() ? rows : rows & toDevice.mapRect(rect).toAlignedRect().adjusted(-1, -1, 1, 1);
    if (area.isEmpty() || qint64(area.width()) * area.height() < PWBandedDrawing::kMinimumPixels
        || area.height() < 2 * PWBandedDrawing::kMinimumBandHeight)
        return false;

    // The bands write the painter's own pixels (constBits does not detach a painted image).
    target.bits = const_cast<uchar*>(image->constBits());
    target.width = image->width();
    target.height = image->height();
    target.bytesPerLine = image->bytesPerLine();
    target.format = image->format();
    target.dotsPerMeterX = image->dotsPerMeterX();
    target.dotsPerMeterY = image->dotsPerMeterY();
    target.systemClip = systemClip;
    // The bands cover every row the painter could touch: an object meeting the area may reach
    // beyond it where nothing clips it.
    target.rows = QRect(0, rows.top(), image->width(), rows.height());
    // More bands than threads, taken in turn, so a thread done with a sparse band helps with a
    // crowded one.
    const int threads = std::max(1, QThread::idealThreadCount());
    const int count = std::clamp(rows.height() / PWBandedDrawing::kMinimumBandHeight, 1, threads * 3);
    target.tops.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        target.tops[size_t(i)] = rows.top() + int(qint64(rows.height()) * i / count);
    target.toDevice = toDevice;
    target.toDrawing = toDevice.inverted();
    target.clipRect = clipRect;
    target.hints = painter.renderHints();
    target.brushOrigin = painter.brushOrigin();
    target.flipped = context.isFlipped();
    target.onScreen = context.isDrawingToScreen();
    target.fillColour = context.fillColour();
    target.strokeColour = context.strokeColour();
    return true;
}

// What one band draws: the places (run, item) of the objects that reach into it, in order.
struct BandWork {
    QRect rows;
    std::vector<std::pair<quint32, quint32>> items;
};

// Draws one band's objects into its rows of the target, as the calling thread would have.
void drawBand(const Target& target, const std::vector<Run>& runs, const BandWork& work)
{
    if (work.items.empty())
        return;
    QImage rows(target.bits, target.width, target.height, target.bytesPerLine, target.format);
    rows.setDotsPerMeterX(target.dotsPerMeterX);
    rows.setDotsPerMeterY(target.dotsPerMeterY);
    // The engine's clip is the calling thread's (the window's region): Qt's dashing skips what
    // lies outside it and would place dashes otherwise were it the band. The band is a clip
    // of the painter's, in device pixels.
    QPaintEngine* engine = rows.paintEngine();
    if (!engine)
        return;
    if (!target.systemClip.isEmpty())
        engine->setSystemClip(target.systemClip);
    QPainter painter(&rows);
    painter.setRenderHints(target.hints, true);
    painter.setBrushOrigin(target.brushOrigin);
    painter.setClipRect(work.rows);
    painter.setTransform(target.toDevice);
    if (!target.clipRect.isNull())
        painter.setClipRect(target.clipRect, Qt::IntersectClip);
    {
        pf::GraphicsContextScope scope(painter, target.flipped, target.onScreen);
        pf::GraphicsContext& context = scope.context();
        context.setFillColour(target.fillColour);
        context.setStrokeColour(target.strokeColour);
        quint32 current = quint32(-1);
        for (const auto& [run, item] : work.items) {
            if (run != current) {
                if (current != quint32(-1))
                    context.restoreGraphicsState();
                current = run;
                context.saveGraphicsState();
                painter.setOpacity(runs[run].opacity);
            }
            runs[run].items[item].object->drawContent();
        }
        if (current != quint32(-1))
            context.restoreGraphicsState();
    }
    painter.end();
    if (!target.systemClip.isEmpty())
        engine->setSystemClip(QRegion());
}

// The first and last band an object of `bounds` reaches into; none (first > last) when it lies
// outside the rows.
std::pair<int, int> bandSpan(const Target& target, const QRectF& bounds)
{
    // Antialiasing reaches into the pixel past an edge: take in what ends just outside.
    const QRectF reach = target.toDevice.mapRect(bounds).adjusted(-2, -2, 2, 2);
    const double first = target.rows.top();
    const double last = target.rows.top() + target.rows.height() - 1;
    if (!(reach.bottom() >= first && reach.top() <= last))
        return {1, 0};
    const auto& tops = target.tops;
    const auto from = std::upper_bound(tops.begin(), tops.end(), int(std::floor(std::max(reach.top(), first))));
    const auto to = std::upper_bound(tops.begin(), tops.end(), int(std::floor(std::min(reach.bottom(), last))));
    return {int(from - tops.begin()) - 1, int(to - tops.begin()) - 1};
}

// Splits the target's rows into bands and hands each the objects that reach into it.
std::vector<BandWork> bandsFor(const Target& target, const std::vector<Run>& runs)
{
    const size_t count = target.tops.size();
    std::vector<BandWork> bands(count);
    for (size_t i = 0; i < count; ++i) {
        const int bottom = i + 1 < count ? target.tops[i + 1] : target.rows.top() + target.rows.height();
        bands[i].rows = QRect(0, target.tops[i], target.width, bottom - target.tops[i]);
    }
    for (quint32 run = 0; run < runs.size(); ++run) {
        const std::vector<Item>& items = runs[run].items;
        for (quint32 item = 0; item < items.size(); ++item)
            for (int band = items[item].firstBand; band <= items[item].lastBand; ++band)
                bands[size_t(band)].items.emplace_back(run, item);
    }
    return bands;
}

// Draws the runs in bands on the workers and the calling thread, and waits for them all.
void drawInBands(const Target& target, const std::vector<Run>& runs)
{
    if (runs.empty())
        return;
    const int threads = std::max(1, QThread::idealThreadCount());
    const std::vector<BandWork> bands = bandsFor(target, runs);
    const int bandCount = int(bands.size());
    g_bandsInLastPass.store(bandCount);

    std::atomic<int> next{0};
    std::mutex failureMutex;
    std::exception_ptr failure;
    auto work = [&] {
        for (int i = next++; i < bandCount; i = next++) {
            try {
                drawBand(target, runs, bands[size_t(i)]);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureMutex);
                if (!failure)
                    failure = std::current_exception();
            }
        }
    };
    QSemaphore finished;
    const int helpers = std::min(threads, bandCount) - 1;
    for (int i = 0; i < helpers; ++i)
        bandPool().start([&] {
            work();
            finished.release();
        });
    work();
    finished.acquire(helpers);
    if (failure)
        std::rethrow_exception(failure);
}

// Layers with more objects than this that must draw on the calling thread draw there whole:
// each of them ends a banded pass.
constexpr int kMostObjectsBetweenPasses = 16;
// An object reaching across more bands than this draws on the calling thread: every band it
// meets would stroke and fill the whole of it again.
constexpr int kWidestBandSpan = 3;

} // namespace

namespace {

// Gathers the objects of an object layer meeting `rect` (all for a null one) into runs for the
// bands, drawing those that must stay here in their place between passes. False, having drawn
// nothing, where so many must stay that the layer is better drawn here whole.
bool drawObjectLayer(PWObjectDrawingLayer& layer, const Target& target, pf::GraphicsContext& context,
                     const QRectF& rect, double opacity, std::vector<Run>& pending, const std::function<void()>& flush)
{
    const QList<pf::Ref<PWDrawableObject>> objects =
        rect.isNull() ? layer.objectList() : layer.storage().objectsIntersectingRect(rect);
    std::vector<bool> banded(size_t(objects.size()));
    std::vector<std::pair<int, int>> spans(size_t(objects.size()));
    int here = 0;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        const PWDrawableObject& object = *objects[i];
        if (!object.visible())
            continue;
        if (PWBandedDrawing::drawsOffThread(object)) {
            // Bounds are cached on first asking: asked here, before any band draws, the cache is
            // never filled from two threads at once.
            spans[size_t(i)] = bandSpan(target, object.bounds());
            banded[size_t(i)] = spans[size_t(i)].second - spans[size_t(i)].first < kWidestBandSpan;
        }
        if (!banded[size_t(i)] && ++here > kMostObjectsBetweenPasses)
            return false;
    }
    QPainter& painter = context.painter();
    const auto drawHere = [&](PWDrawableObject& object) {
        flush();
        context.saveGraphicsState();
        painter.setOpacity(opacity);
        object.drawContent();
        context.restoreGraphicsState();
    };
    Run run;
    run.opacity = opacity;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        PWDrawableObject& object = *objects[i];
        if (!object.visible())
            continue;
        if (banded[size_t(i)]) {
            run.items.push_back({&object, spans[size_t(i)].first, spans[size_t(i)].second});
            continue;
        }
        if (!run.items.empty()) {
            run.keep = objects;
            pending.push_back(std::move(run));
            run = Run();
            run.opacity = opacity;
        }
        drawHere(object);
    }
    if (!run.items.empty()) {
        run.keep = objects;
        pending.push_back(std::move(run));
    }
    // The object a tool is making comes last, as the layer draws it.
    const pf::Ref<PWDrawableObject> made = layer.pendingObject();
    if (made && (rect.isNull() || PWObjectStorage::meets(made->bounds(), rect)))
        drawHere(*made);
    return true;
}

} // namespace

bool PWBandedDrawing::isEnabled()
{
    return g_enabled.load();
}

void PWBandedDrawing::setEnabled(bool enabled)
{
    g_enabled.store(enabled);
}

int PWBandedDrawing::bandsInLastPass()
{
    return g_bandsInLastPass.load();
}

bool PWBandedDrawing::drawsOffThread(const PWDrawableObject& object)
{
    const std::type_info& type = typeid(object);
    if (type == typeid(PWShapeGroup)) {
        for (const pf::Ref<PWDrawableObject>& member : static_cast<const PWShapeGroup&>(object).members())
            if (!drawsOffThread(*member))
                return false;
        return true;
    }
    if (type != typeid(PWDrawableShape) && type != typeid(PWDrawablePath) && type != typeid(PWReshapableShape)
        && type != typeid(PWRoundRectShape) && type != typeid(PWCentredPath) && type != typeid(PWArcPath)
        && type != typeid(PWRegularPolygonPath))
        return false;
    return styleDrawsOffThread(object.style().get());
}

void PWBandedDrawing::drawInContext(PWDrawing& drawing, pf::GraphicsContext& context, const QRectF& rect,
                                    bool showingHighlighting, const QRectF& clipRect)
{
    g_bandsInLastPass.store(0);
    Target target;
    if (!isEnabled() || typeid(drawing) != typeid(PWDrawing) || !describeTarget(context, rect, clipRect, target)) {
        drawing.drawInContext(context, rect, showingHighlighting);
        return;
    }
    std::optional<pf::GraphicsContextScope> scope;
    if (pf::GraphicsContext::current() != &context)
        scope.emplace(context.painter(), context.isFlipped(), context.isDrawingToScreen());
    QPainter& painter = context.painter();

    drawing.drawPaperInContext(context, rect);

    // The layers bottom first, as the group draws them; runs of banded objects gather until
    // something must be drawn here, then the bands draw them.
    std::vector<Run> pending;
    const std::function<void()> flush = [&] {
        drawInBands(target, pending);
        pending.clear();
    };
    const std::vector<pf::Ref<PWLayer>>& layers = drawing.layers();
    for (auto it = layers.rbegin(); it != layers.rend(); ++it) {
        PWLayer& layer = **it;
        if (!PWLayerGroup::drawsLayer(layer, context))
            continue;
        const double opacity = painter.opacity() * layer.alpha();
        if (typeid(layer) == typeid(PWObjectDrawingLayer)
            && drawObjectLayer(static_cast<PWObjectDrawingLayer&>(layer), target, context, rect, opacity, pending, flush)) {
            if (showingHighlighting && static_cast<PWObjectDrawingLayer&>(layer).countOfSelection() > 0
                && context.isDrawingToScreen()) {
                flush();
                context.saveGraphicsState();
                painter.setOpacity(opacity);
                static_cast<PWObjectDrawingLayer&>(layer).drawSelectionInContext(context, rect, showingHighlighting);
                context.restoreGraphicsState();
            }
            continue;
        }
        flush();
        context.saveGraphicsState();
        painter.setOpacity(opacity);
        layer.drawInContext(context, rect, showingHighlighting);
        context.restoreGraphicsState();
    }
    flush();
}
