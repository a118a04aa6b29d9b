// The map-feature renderers drawing one long road: a 5,000-point path across a 1024 x 1024
// image. "First" draws with a renderer that has built nothing yet; "Cached" redraws the same
// object, as a view does when it repaints.
#include <benchmark/benchmark.h>

#include "drawing/PWXBridgeRasterizer.h"
#include "drawing/PWXCuttingAndEmbankmentRasterizer.h"
#include "drawing/PWXTaggedStroke.h"
#include "drawing/PWXTaperedStroke.h"
#include "drawing/PWXTunnelRasterizer.h"

#include "frameworks/penwork/styles/PWRenderable.h"

#include "platform/graphics/GraphicsContext.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <functional>

namespace {

class Road : public PWRenderable {
public:
    explicit Road(pf::Ref<pf::BezierPath> path) : m_path(std::move(path)) {}
    pf::Ref<pf::BezierPath> renderingPath() const override { return m_path; }
    double angle() const override { return 0.0; }
    QSizeF size() const override { return m_path->bounds().size(); }
    QPointF location() const override { return m_path->bounds().center(); }
    QTransform containerTransform() const override { return QTransform(); }
    quint64 geometryChecksum() const override { return 42; }

private:
    pf::Ref<pf::BezierPath> m_path;
};

// A winding road of 5,000 points, about 6,000 points long.
const Road& road()
{
    static const Road instance([] {
        auto path = pf::BezierPath::path();
        for (int i = 0; i < 5000; ++i) {
            const double t = i / 4999.0;
            const QPointF point(40.0 + 940.0 * t, 512.0 + 300.0 * std::sin(t * 6.0 * M_PI));
            if (i == 0)
                path->moveTo(point);
            else
                path->lineTo(point);
        }
        return path;
    }());
    return instance;
}

using Factory = std::function<pf::Ref<PWRasterizer>()>;

void drawInto(QImage& image, PWRasterizer& renderer)
{
    QPainter painter(&image);
    pf::GraphicsContextScope scope(painter, true);
    renderer.render(road());
}

void firstDraw(benchmark::State& state, const Factory& make)
{
    QImage image(1024, 1024, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        const pf::Ref<PWRasterizer> renderer = make();
        drawInto(image, *renderer);
        benchmark::DoNotOptimize(image.bits());
    }
}

void cachedDraw(benchmark::State& state, const Factory& make)
{
    QImage image(1024, 1024, QImage::Format_ARGB32_Premultiplied);
    const pf::Ref<PWRasterizer> renderer = make();
    drawInto(image, *renderer);
    for (auto _ : state) {
        drawInto(image, *renderer);
        benchmark::DoNotOptimize(image.bits());
    }
}

const Factory kTagged = [] { return std::make_shared<PWXTaggedStroke>(); };
const Factory kTapered = [] {
    auto stroke = std::make_shared<PWXTaperedStroke>();
    stroke->setWidth(8.0);
    stroke->setTaperProportion(0.2);
    return stroke;
};
const Factory kTunnel = [] { return std::make_shared<PWXTunnelRasterizer>(); };
const Factory kBridge = [] { return std::make_shared<PWXBridgeRasterizer>(); };
const Factory kCutting = [] { return std::make_shared<PWXCuttingAndEmbankmentRasterizer>(); };

} // namespace

BENCHMARK_CAPTURE(firstDraw, TaggedStroke, kTagged)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(cachedDraw, TaggedStroke, kTagged)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(firstDraw, TaperedStroke, kTapered)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(cachedDraw, TaperedStroke, kTapered)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(firstDraw, Tunnel, kTunnel)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(cachedDraw, Tunnel, kTunnel)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(firstDraw, Bridge, kBridge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(cachedDraw, Bridge, kBridge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(firstDraw, CuttingAndEmbankment, kCutting)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(cachedDraw, CuttingAndEmbankment, kCutting)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
