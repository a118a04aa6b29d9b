// Spatial queries of object layers: every redraw asks for the objects in the dirty rectangle,
// and every click for the topmost object under the mouse, in layers of up to 100,000 objects.
#include <benchmark/benchmark.h>

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/layers/PWBSPDirectObjectStorage.h"
#include "frameworks/penwork/layers/PWLinearObjectStorage.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"

#include <QGuiApplication>
#include <QRandomGenerator>

#include <map>

namespace {

// Objects 5 to 40 points wide scattered over a square that holds about 25 of them per
// 100 x 100 points, whatever their number.
pf::Ref<PWObjectDrawingLayer> makeLayer(const pf::Class& storage, int count)
{
    const pf::Class& saved = PWObjectOwnerLayer::storageClass();
    PWObjectOwnerLayer::setStorageClass(storage);
    auto layer = std::make_shared<PWObjectDrawingLayer>();
    PWObjectOwnerLayer::setStorageClass(saved);
    QRandomGenerator random(7);
    const double extent = 20.0 * std::sqrt(double(count));
    PWObjectOwnerLayer::ObjectList objects;
    for (int i = 0; i < count; ++i) {
        auto object = std::make_shared<PWDrawableObject>();
        object->setSize(QSizeF(5 + random.bounded(35.0), 5 + random.bounded(35.0)));
        object->setLocation(QPointF(random.bounded(extent), random.bounded(extent)));
        objects.append(object);
    }
    layer->addObjectsFromArray(objects);
    return layer;
}

// One layer per storage and size, made once.
const PWObjectDrawingLayer& layerFor(const pf::Class& storage, int count)
{
    static std::map<std::pair<const pf::Class*, int>, pf::Ref<PWObjectDrawingLayer>> layers;
    auto& layer = layers[{&storage, count}];
    if (!layer)
        layer = makeLayer(storage, count);
    return *layer;
}

double extentFor(int count)
{
    return 20.0 * std::sqrt(double(count));
}

template <class Storage>
void BM_ObjectsInRect(benchmark::State& state)
{
    const int count = int(state.range(0));
    const auto& layer = layerFor(Storage::staticClass(), count);
    QRandomGenerator random(11);
    const double extent = extentFor(count);
    qint64 found = 0;
    for (auto _ : state) {
        // A dirty rectangle the size of a small view.
        const QRectF rect(random.bounded(extent), random.bounded(extent), 400, 300);
        found += layer.objectsInRect(rect).size();
    }
    benchmark::DoNotOptimize(found);
}

template <class Storage>
void BM_ObjectsAtPoint(benchmark::State& state)
{
    const int count = int(state.range(0));
    const auto& layer = layerFor(Storage::staticClass(), count);
    QRandomGenerator random(13);
    const double extent = extentFor(count);
    qint64 found = 0;
    for (auto _ : state)
        found += layer.storage().objectsAtPoint(QPointF(random.bounded(extent), random.bounded(extent))).size();
    benchmark::DoNotOptimize(found);
}

template <class Storage>
void BM_HitObject(benchmark::State& state)
{
    const int count = int(state.range(0));
    const auto& layer = layerFor(Storage::staticClass(), count);
    QRandomGenerator random(17);
    const double extent = extentFor(count);
    int hits = 0;
    for (auto _ : state)
        hits += layer.hitObject(QPointF(random.bounded(extent), random.bounded(extent))) ? 1 : 0;
    benchmark::DoNotOptimize(hits);
}

} // namespace

BENCHMARK_TEMPLATE(BM_ObjectsInRect, PWLinearObjectStorage)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_ObjectsInRect, PWBSPDirectObjectStorage)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_ObjectsAtPoint, PWLinearObjectStorage)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_ObjectsAtPoint, PWBSPDirectObjectStorage)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_HitObject, PWLinearObjectStorage)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_HitObject, PWBSPDirectObjectStorage)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
