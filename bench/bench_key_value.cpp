// Key-value coding and observing throughput: the inspectors read and write every selected
// object by key path, and observers follow every change.
#include <benchmark/benchmark.h>

#include "platform/foundation/Object.h"

#include <QCoreApplication>

namespace {

class Node : public pf::Object {
    PF_CLASS(Node)
public:
    double width() const { return m_width; }
    void setWidth(double width) { setObservedValue(m_width, width, QStringLiteral("width")); }
    pf::Ref<Node> child() const { return m_child; }
    void setChild(const pf::Ref<Node>& child) { setObservedValue(m_child, child, QStringLiteral("child")); }

private:
    double m_width = 0;
    pf::Ref<Node> m_child;
};

class Counter : public pf::Object {
    PF_CLASS(Counter)
public:
    long changes = 0;
    void observeValueForKeyPath(const QString&, pf::Reflective*, const QVariantMap&, void*) override { ++changes; }
};

} // namespace

PF_DEFINE_CLASS(Node, pf::Object)
{
    b.property(QStringLiteral("width"), &Node::width, &Node::setWidth)
        .property(QStringLiteral("child"), &Node::child, &Node::setChild);
}
PF_DEFINE_CLASS(Counter, pf::Object) {}

static void BM_ValueForKey(benchmark::State& state)
{
    auto node = std::make_shared<Node>();
    const QString key = QStringLiteral("width");
    for (auto _ : state)
        benchmark::DoNotOptimize(node->valueForKey(key));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ValueForKey);

static void BM_SetValueForKey(benchmark::State& state)
{
    auto node = std::make_shared<Node>();
    const QString key = QStringLiteral("width");
    double v = 0;
    for (auto _ : state)
        node->setValueForKey(v += 1, key);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetValueForKey);

static void BM_ValueForKeyPath(benchmark::State& state)
{
    auto node = std::make_shared<Node>();
    node->setChild(std::make_shared<Node>());
    const QString path = QStringLiteral("child.width");
    for (auto _ : state)
        benchmark::DoNotOptimize(node->valueForKeyPath(path));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ValueForKeyPath);

static void BM_ObservedSetWithOldAndNew(benchmark::State& state)
{
    auto node = std::make_shared<Node>();
    Counter counter;
    node->addObserver(&counter, QStringLiteral("width"), pf::ObservingNew | pf::ObservingOld);
    double v = 0;
    for (auto _ : state)
        node->setWidth(v += 1);
    node->removeObserver(&counter);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ObservedSetWithOldAndNew);

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
