// Keyed archiving throughput: documents are archived on every save and unarchived on every open,
// so a large drawing is a graph of many small objects sharing a few others (styles, colours).
#include <benchmark/benchmark.h>

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QCoreApplication>

namespace {

constexpr int kNodeCount = 100000;

class Style : public pf::Object, public pf::Coding {
    PF_CLASS(Style)
public:
    QString name = QStringLiteral("default");
    double width = 1.5;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override
    {
        coder.encodeString(name, QStringLiteral("name"));
        coder.encodeDouble(width, QStringLiteral("width"));
    }
    void initWithCoder(pf::KeyedUnarchiver& coder) override
    {
        name = coder.decodeString(QStringLiteral("name"));
        width = coder.decodeDouble(QStringLiteral("width"));
    }
};

class Node : public pf::Object, public pf::Coding {
    PF_CLASS(Node)
public:
    qint64 index = 0;
    bool visible = true;
    QPointF position;
    QString label;
    pf::Ref<pf::Object> style;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override
    {
        coder.encodeInt64(index, QStringLiteral("index"));
        coder.encodeBool(visible, QStringLiteral("visible"));
        coder.encodePoint(position, QStringLiteral("position"));
        coder.encodeString(label, QStringLiteral("label"));
        coder.encodeObject(style, QStringLiteral("style"));
    }
    void initWithCoder(pf::KeyedUnarchiver& coder) override
    {
        index = coder.decodeInt64(QStringLiteral("index"));
        visible = coder.decodeBool(QStringLiteral("visible"));
        position = coder.decodePoint(QStringLiteral("position"));
        label = coder.decodeString(QStringLiteral("label"));
        style = coder.decodeObjectForKey(QStringLiteral("style"));
    }
};

class NodeList : public pf::Object, public pf::Coding {
    PF_CLASS(NodeList)
public:
    QVariantList nodes;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override
    {
        coder.encodePropertyListValue(nodes, QStringLiteral("nodes"));
    }
    void initWithCoder(pf::KeyedUnarchiver& coder) override
    {
        nodes = coder.decodePropertyListValue(QStringLiteral("nodes")).toList();
    }
};

} // namespace

PF_DEFINE_CLASS(Style, pf::Object) { b.protocol(pf::kCodingProtocol); }
PF_DEFINE_CLASS(Node, pf::Object) { b.protocol(pf::kCodingProtocol); }
PF_DEFINE_CLASS(NodeList, pf::Object) { b.protocol(pf::kCodingProtocol); }

namespace {

pf::Ref<NodeList> makeGraph()
{
    auto style = std::make_shared<Style>();
    auto list = std::make_shared<NodeList>();
    list->nodes.reserve(kNodeCount);
    for (int i = 0; i < kNodeCount; ++i) {
        auto node = std::make_shared<Node>();
        node->index = i;
        node->visible = i % 3 != 0;
        node->position = QPointF(i * 0.5, i * -0.25);
        node->label = QStringLiteral("node %1").arg(i);
        node->style = style;
        list->nodes.append(pf::toVariant(node));
    }
    return list;
}

} // namespace

static void BM_ArchiveGraph(benchmark::State& state)
{
    const auto format = pf::PropertyListFormat(state.range(0));
    const pf::Ref<NodeList> graph = makeGraph();
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray data = pf::KeyedArchiver::archivedData(graph, format);
        bytes = data.size();
        benchmark::DoNotOptimize(data.constData());
    }
    state.counters["archive_bytes"] = double(bytes);
    state.SetItemsProcessed(state.iterations() * kNodeCount);
}
BENCHMARK(BM_ArchiveGraph)->Arg(int(pf::PropertyListFormat::Binary))->Arg(int(pf::PropertyListFormat::XML))->Unit(benchmark::kMillisecond);

static void BM_UnarchiveGraph(benchmark::State& state)
{
    const auto format = pf::PropertyListFormat(state.range(0));
    const QByteArray data = pf::KeyedArchiver::archivedData(makeGraph(), format);
    for (auto _ : state) {
        pf::Error error;
        const auto graph = pf::KeyedUnarchiver::unarchiveObjectOfClass<NodeList>(data, &error);
        if (!graph || graph->nodes.size() != kNodeCount) {
            state.SkipWithError(qPrintable(error.description()));
            break;
        }
        benchmark::DoNotOptimize(graph.get());
    }
    state.SetItemsProcessed(state.iterations() * kNodeCount);
}
BENCHMARK(BM_UnarchiveGraph)->Arg(int(pf::PropertyListFormat::Binary))->Arg(int(pf::PropertyListFormat::XML))->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
