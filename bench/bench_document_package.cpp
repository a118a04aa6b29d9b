// Saving and reopening a document package against saving and reading the drawing archive it
// holds: the package (auxiliary archive, thumbnail, window and export state) should add little.
#include "app/RVCartavelDocument.h"
#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/FileWrapper.h"
#include "platform/ui/DocumentController.h"

#include <QApplication>
#include <QDir>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

pf::Ref<RVCartavelDocument> makeDocument(int count)
{
    static pf::Ref<pf::DocumentController> controller = [] {
        auto made = std::make_shared<pf::DocumentController>();
        RVCartavelDocument::registerDocumentTypes(*made);
        return made;
    }();
    auto document = std::dynamic_pointer_cast<RVCartavelDocument>(
        controller->makeUntitledDocumentOfType(RVCartavelDocument::kNativeType, nullptr));
    pf::Ref<PWDrawing> drawing = document->drawing();
    drawing->setDrawingSize(QSizeF(4000, 4000));
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->activeLayerOfClass(PWObjectDrawingLayer::staticClass()));
    drawing->undoManager()->disableUndoRegistration();
    QRandomGenerator random(7);
    PWObjectOwnerLayer::ObjectList objects;
    for (int i = 0; i < count; ++i)
        objects.append(PWDrawableShape::drawableShapeWithRect(
            QRectF(random.bounded(3950.0), random.bounded(3950.0), 5 + random.bounded(40.0), 5 + random.bounded(40.0))));
    layer->addObjectsFromArray(objects);
    drawing->undoManager()->enableUndoRegistration();
    return document;
}

QString scratch(const QString& name)
{
    static QTemporaryDir folder;
    return QDir(folder.path()).filePath(name);
}

void BM_SaveDrawingArchive(benchmark::State& state)
{
    pf::Ref<RVCartavelDocument> document = makeDocument(int(state.range(0)));
    const QString path = scratch(QStringLiteral("plain.drawing"));
    for (auto _ : state) {
        const QByteArray data = PWDrawingArchiving::dataWithDrawing(document->drawing());
        pf::writeDataAtomically(data, path);
    }
}

void BM_SavePackage(benchmark::State& state)
{
    pf::Ref<RVCartavelDocument> document = makeDocument(int(state.range(0)));
    const QString path = scratch(QStringLiteral("package.qlry"));
    for (auto _ : state) {
        pf::FileWrapperRef package = document->fileWrapperOfType(RVCartavelDocument::kNativeType, nullptr);
        package->writeToPath(path);
    }
}

void BM_OpenDrawingArchive(benchmark::State& state)
{
    pf::Ref<RVCartavelDocument> document = makeDocument(int(state.range(0)));
    const QString path = scratch(QStringLiteral("open.drawing"));
    pf::writeDataAtomically(PWDrawingArchiving::dataWithDrawing(document->drawing()), path);
    for (auto _ : state) {
        auto drawing = PWDrawingArchiving::drawingWithData(pf::readData(path));
        benchmark::DoNotOptimize(drawing.get());
    }
}

void BM_OpenPackage(benchmark::State& state)
{
    pf::Ref<RVCartavelDocument> document = makeDocument(int(state.range(0)));
    const QString path = scratch(QStringLiteral("open.qlry"));
    document->fileWrapperOfType(RVCartavelDocument::kNativeType, nullptr)->writeToPath(path);
    for (auto _ : state) {
        RVCartavelDocument reader;
        pf::FileWrapperRef wrapper = pf::FileWrapper::readFromPath(path);
        benchmark::DoNotOptimize(reader.readFromFileWrapper(*wrapper, RVCartavelDocument::kNativeType, nullptr));
    }
}

BENCHMARK(BM_SaveDrawingArchive)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePackage)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenDrawingArchive)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenPackage)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
