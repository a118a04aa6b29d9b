// Path geometry on map-sized paths: the tapered, tagged, tunnel and bridge strokes measure,
// trim, offset and outline every path they draw, each time it is drawn.
#include <benchmark/benchmark.h>

#include "frameworks/penwork/geometry/BezierPath+Boolean.h"
#include "frameworks/penwork/geometry/BezierPath+Length.h"
#include "frameworks/penwork/geometry/BezierPath+Offset.h"
#include "frameworks/penwork/geometry/BezierPath+Outline.h"
#include "frameworks/penwork/geometry/BezierPath+Trimming.h"

#include <QGuiApplication>

#include <cmath>

namespace {

// A winding road of 10,000 elements, lines and curves in turn, bending both ways.
const pf::BezierPath& road()
{
    static const pf::Ref<pf::BezierPath> path = [] {
        auto result = pf::BezierPath::path();
        result->moveTo({0, 0});
        for (int i = 1; i < 10000; ++i) {
            const double x = i * 5.0;
            const double y = 40.0 * std::sin(i * 0.05);
            if (i % 2)
                result->lineTo({x, y});
            else
                result->curveTo({x, y}, {x - 3.5, y - 2.0 * std::cos(i * 0.05)}, {x - 1.5, y + std::cos(i * 0.05)});
        }
        return result;
    }();
    return *path;
}

// A closed wobbly ring of 1,000 curves about `centre`.
pf::Ref<pf::BezierPath> ring(const QPointF& centre)
{
    auto result = pf::BezierPath::path();
    const int count = 1000;
    auto at = [&](double a) {
        const double r = 100.0 + 6.0 * std::sin(a * 17);
        return centre + QPointF(r * std::cos(a), r * std::sin(a));
    };
    result->moveTo(at(0));
    for (int i = 1; i <= count; ++i) {
        const double a0 = 2 * M_PI * (i - 1) / count, a1 = 2 * M_PI * i / count;
        result->curveTo(at(a1), at(a0 + (a1 - a0) / 3), at(a0 + 2 * (a1 - a0) / 3));
    }
    result->closePath();
    return result;
}

void BM_Length(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(pw::length(road()));
}
BENCHMARK(BM_Length)->Unit(benchmark::kMillisecond);

void BM_TrimFromBothEnds(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(pw::bezierPathByTrimmingFromBothEnds(road(), 100.0));
}
BENCHMARK(BM_TrimFromBothEnds)->Unit(benchmark::kMillisecond);

void BM_Offset(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(pw::paralleloidPathWithOffset2(road(), 8.0, 0.1));
}
BENCHMARK(BM_Offset)->Unit(benchmark::kMillisecond);

void BM_Outline(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(pw::strokedPathWithStrokeWidth(road(), 6.0));
}
BENCHMARK(BM_Outline)->Unit(benchmark::kMillisecond);

void BM_Union(benchmark::State& state)
{
    const auto a = ring({0, 0});
    const auto b = ring({60, 20});
    for (auto _ : state)
        benchmark::DoNotOptimize(pw::unionPath(*a, *b));
}
BENCHMARK(BM_Union)->Unit(benchmark::kMillisecond);

void BM_Difference(benchmark::State& state)
{
    const auto a = ring({0, 0});
    const auto b = ring({60, 20});
    for (auto _ : state)
        benchmark::DoNotOptimize(pw::differencePath(*a, *b));
}
BENCHMARK(BM_Difference)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
