// Drawing view redraws: the whole page, and the small area of one changed object, for views
// holding 1,000, 10,000 and 100,000 objects.
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/view/PWDrawingView.h"

#include <QApplication>
#include <QImage>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

namespace {

struct Fixture {
    pf::Ref<PWDrawing> drawing;
    std::unique_ptr<PWDrawingView> view;
    pf::Ref<PWDrawableObject> probe;
};

Fixture makeFixture(int count)
{
    PWDrawingView::setShouldCreateAutomaticDrawing(false);
    Fixture f;
    f.drawing = PWDrawing::defaultDrawing();
    f.drawing->setDrawingSize(QSizeF(4000, 4000));
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(f.drawing->activeLayer());
    f.drawing->undoManager()->disableUndoRegistration();
    QRandomGenerator random(7);
    PWObjectOwnerLayer::ObjectList objects;
    for (int i = 0; i < count; ++i) {
        const QRectF rect(random.bounded(3950.0), random.bounded(3950.0), 5 + random.bounded(40.0), 5 + random.bounded(40.0));
        objects.append(PWDrawableShape::drawableShapeWithRect(rect));
    }
    layer->addObjectsFromArray(objects);
    f.probe = objects.at(count / 2);
    f.drawing->undoManager()->enableUndoRegistration();
    f.view = std::make_unique<PWDrawingView>();
    f.view->setDrawing(f.drawing);
    // The page at 800 x 800 pixels.
    f.view->setScale(0.2);
    return f;
}

void BM_FullRedraw(benchmark::State& state)
{
    Fixture f = makeFixture(int(state.range(0)));
    QImage image(f.view->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        f.view->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FullRedraw)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_OneObjectRedraw(benchmark::State& state)
{
    Fixture f = makeFixture(int(state.range(0)));
    QImage image(f.view->size(), QImage::Format_ARGB32_Premultiplied);
    const QRect area = f.view->convertRectFromDrawing(f.probe->bounds()).toAlignedRect().adjusted(-4, -4, 4, 4);
    for (auto _ : state) {
        f.view->render(&image, area.topLeft(), QRegion(area));
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_OneObjectRedraw)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
