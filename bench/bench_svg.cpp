#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/svg/PWSVGImporter.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QString>

namespace {

// A document of `count` filled and stroked paths of a few curves each, in rows, half of them
// in groups with a transform and a class from the style sheet.
QByteArray documentWithPaths(int count)
{
    QString body = QStringLiteral("<style>.a { fill: #c33; stroke: #333; stroke-width: 0.5 }</style>");
    for (int i = 0; i < count; ++i) {
        const int x = (i % 100) * 10;
        const int y = (i / 100) * 10;
        const QString path = QStringLiteral("<path d=\"M%1 %2 c 2 -3 6 -3 8 0 s 0 6 -4 8 q -3 -2 -4 -8 z\" class=\"a\"/>")
                                 .arg(x)
                                 .arg(y);
        if (i % 2)
            body += QStringLiteral("<g transform=\"rotate(10 %1 %2)\">%3</g>").arg(x).arg(y).arg(path);
        else
            body += path;
    }
    return QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1000\" height=\"%1\">%2</svg>")
        .arg((count / 100 + 1) * 10)
        .arg(body)
        .toUtf8();
}

void BM_ImportPaths(benchmark::State& state)
{
    const QByteArray data = documentWithPaths(int(state.range(0)));
    for (auto _ : state) {
        auto drawing = PWSVGImporter::drawingWithSVGData(data);
        if (!drawing)
            state.SkipWithError("import failed");
        benchmark::DoNotOptimize(drawing);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * data.size());
}
BENCHMARK(BM_ImportPaths)->Arg(5000)->Unit(benchmark::kMillisecond);

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
