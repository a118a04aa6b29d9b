// Notification posting: the inspectors, panels and layers all follow the drawing through the
// notification centre, so a post with many observers must stay cheap.
#include <benchmark/benchmark.h>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Object.h"

#include <QCoreApplication>

static void BM_PostToObserversOfOtherNames(benchmark::State& state)
{
    pf::NotificationCenter center;
    const int observers = int(state.range(0));
    long delivered = 0;
    std::vector<quint64> tokens;
    for (int i = 0; i < observers; ++i)
        tokens.push_back(center.addObserver(QStringLiteral("Other%1").arg(i), nullptr,
                                            [&](const pf::Notification&) { ++delivered; }));
    tokens.push_back(center.addObserver(QStringLiteral("Selection"), nullptr,
                                        [&](const pf::Notification&) { ++delivered; }));
    const QString name = QStringLiteral("Selection");
    for (auto _ : state)
        center.post(name);
    benchmark::DoNotOptimize(delivered);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PostToObserversOfOtherNames)->Arg(10)->Arg(1000);

static void BM_PostToManyObservers(benchmark::State& state)
{
    pf::NotificationCenter center;
    const int observers = int(state.range(0));
    long delivered = 0;
    for (int i = 0; i < observers; ++i)
        center.addObserver(QStringLiteral("Selection"), nullptr, [&](const pf::Notification&) { ++delivered; });
    const QString name = QStringLiteral("Selection");
    const QVariantMap info{{QStringLiteral("slice"), 1}};
    for (auto _ : state)
        center.post(name, nullptr, info);
    benchmark::DoNotOptimize(delivered);
    state.SetItemsProcessed(state.iterations() * observers);
}
BENCHMARK(BM_PostToManyObservers)->Arg(1)->Arg(100);

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
