#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/editing/PWLayerEditing.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/ui/Pasteboard.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

struct Scene {
    explicit Scene(int count)
    {
        drawing->addLayer(layer);
        for (int i = 0; i < count; ++i)
            layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF((i % 100) * 12, (i / 100) * 12, 10, 10)));
        layer->selectAll();
        QCoreApplication::processEvents();
    }
    pf::Ref<PWDrawing> drawing = std::make_shared<PWDrawing>();
    pf::Ref<PWObjectDrawingLayer> layer = std::make_shared<PWObjectDrawingLayer>();
};

void BM_GroupAndUngroup(benchmark::State& state)
{
    Scene scene(int(state.range(0)));
    for (auto _ : state) {
        PWLayerEditing::group(*scene.layer, {});
        PWLayerEditing::ungroup(*scene.layer, {});
        QCoreApplication::processEvents();
        scene.drawing->undoManager()->removeAllActions();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_GroupAndUngroup)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_Paste(benchmark::State& state)
{
    Scene source(int(state.range(0)));
    auto pasteboard = pf::Pasteboard::withName(QStringLiteral("bench-editing"));
    PWLayerEditing::copy(*source.layer, {}, pasteboard.get());
    for (auto _ : state) {
        state.PauseTiming();
        Scene target(0);
        state.ResumeTiming();
        PWLayerEditing::paste(*target.layer, {}, std::nullopt, pasteboard.get());
        benchmark::DoNotOptimize(target.layer->countOfObjects());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Paste)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
