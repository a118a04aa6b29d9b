// Drawing files and output at map sizes: saving and reopening drawings of 1,000 to 100,000
// styled objects, rendering them to a 3,000 x 2,000 export bitmap, and the memory one object
// of such a drawing takes.
#include <benchmark/benchmark.h>

#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/output/PWRenderingOutput.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/UndoManager.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <map>

#include <malloc.h>

#include <unistd.h>

namespace {

constexpr double kSide = 3000.0;

// `count` rectangles and ovals spread over a 3,000 x 2,000 point page, each with a style of its
// own (a fill under a stroke), as a map's buildings and plots are; or all with one shared style.
pf::Ref<PWDrawing> styledDrawing(int count, bool sharedStyle = false)
{
    auto drawing = std::make_shared<PWDrawing>();
    pf::UndoRegistrationDisabled noUndo(drawing->undoManager());
    drawing->setDrawingSize({kSide, 2000});
    auto layer = std::make_shared<PWObjectDrawingLayer>();
    drawing->addLayer(layer);
    QList<pf::Ref<PWDrawableObject>> objects;
    objects.reserve(count);
    const int perRow = 300;
    const pf::Ref<PWStyle> shared = PWStyle::styleWithFillColour(pf::Color(0.3, 0.6, 0.5), pf::Color::black());
    for (int i = 0; i < count; ++i) {
        const QRectF rect((i % perRow) * 10.0, (i / perRow % 200) * 10.0, 8.0, 6.0);
        auto style = sharedStyle ? shared
                                 : PWStyle::styleWithFillColour(pf::Color(i % 7 / 7.0, i % 11 / 11.0, 0.5),
                                                                pf::Color::black());
        objects.append(i % 2 ? PWDrawableShape::drawableShapeWithOvalInRect(rect, style)
                             : PWDrawableShape::drawableShapeWithRect(rect, style));
    }
    layer->addObjectsFromArray(objects);
    return drawing;
}

const pf::Ref<PWDrawing>& cachedDrawing(int count)
{
    static std::map<int, pf::Ref<PWDrawing>> drawings;
    pf::Ref<PWDrawing>& drawing = drawings[count];
    if (!drawing)
        drawing = styledDrawing(count);
    return drawing;
}

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

// Resident memory grown while building a drawing, per object (its style included, unless the
// second argument makes every object share one).
void BM_MemoryPerObject(benchmark::State& state)
{
    const int count = int(state.range(0));
    const bool shared = state.range(1) != 0;
    double perObject = 0;
    for (auto _ : state) {
        // Hand freed memory back first, so the growth is this drawing's alone.
        malloc_trim(0);
        const qint64 before = residentBytes();
        pf::Ref<PWDrawing> drawing = styledDrawing(count, shared);
        const qint64 after = residentBytes();
        perObject = double(after - before) / count;
        state.PauseTiming();
        drawing.reset();
        state.ResumeTiming();
    }
    state.counters["bytes_per_object"] = perObject;
}
BENCHMARK(BM_MemoryPerObject)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->ArgNames({"objects", "shared_style"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

void BM_SaveDrawing(benchmark::State& state)
{
    const pf::Ref<PWDrawing>& drawing = cachedDrawing(int(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray data = PWDrawingArchiving::dataWithDrawing(drawing);
        bytes = data.size();
        benchmark::DoNotOptimize(data.constData());
    }
    state.counters["file_bytes"] = double(bytes);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SaveDrawing)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_OpenDrawing(benchmark::State& state)
{
    const QByteArray data = PWDrawingArchiving::dataWithDrawing(cachedDrawing(int(state.range(0))));
    for (auto _ : state) {
        pf::Ref<PWDrawing> drawing = PWDrawingArchiving::drawingWithData(data);
        if (!drawing)
            state.SkipWithError("the drawing did not read back");
        benchmark::DoNotOptimize(drawing.get());
        // Opening is timed, not closing the drawing again.
        state.PauseTiming();
        drawing.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenDrawing)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_RenderToExportBitmap(benchmark::State& state)
{
    PWDrawing& drawing = *cachedDrawing(int(state.range(0)));
    for (auto _ : state) {
        const QImage image = PWRenderingOutput::image(drawing, {0, 0, kSide, 2000}, {3000, 2000}, pf::Color::white());
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RenderToExportBitmap)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// Saving and opening as a user meets them: once, in a process of its own (nothing cached, no
// memory already taken from the system).
//   bench_drawing_files --save COUNT FILE   makes a drawing of COUNT objects and saves it
//   bench_drawing_files --open FILE         opens a saved drawing
// Each prints the time of the save or the open alone.
int saveOrOpenOnce(const QStringList& arguments)
{
    QElapsedTimer clock;
    if (arguments[1] == u"--save" && arguments.size() == 4) {
        const int count = arguments[2].toInt();
        if (count <= 0)
            return 2;
        const pf::Ref<PWDrawing> drawing = styledDrawing(count);
        clock.start();
        const QByteArray data = PWDrawingArchiving::dataWithDrawing(drawing);
        QSaveFile file(arguments[3]);
        if (data.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
            std::fprintf(stderr, "bench_drawing_files: the drawing could not be saved\n");
            return 1;
        }
        std::printf("save_ms %.1f objects %d file_bytes %lld\n", clock.nsecsElapsed() / 1e6, count,
                    static_cast<long long>(data.size()));
        return 0;
    }
    if (arguments[1] == u"--open" && arguments.size() == 3) {
        clock.start();
        QFile file(arguments[2]);
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const pf::Ref<PWDrawing> drawing = PWDrawingArchiving::drawingWithData(file.readAll());
        if (!drawing) {
            std::fprintf(stderr, "bench_drawing_files: the drawing could not be opened\n");
            return 1;
        }
        std::printf("open_ms %.1f elements %llu\n", clock.nsecsElapsed() / 1e6,
                    static_cast<unsigned long long>(PWDrawingArchiving::countOfElements(*drawing)));
        // Closing the drawing is not part of opening it.
        std::fflush(stdout);
        std::_Exit(0);
    }
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc > 1 && (qstrcmp(argv[1], "--save") == 0 || qstrcmp(argv[1], "--open") == 0))
        return saveOrOpenOnce(application.arguments());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
