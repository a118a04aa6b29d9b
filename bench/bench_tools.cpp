// Hit testing and snapping during a selection drag over a layer of 10,000 objects.
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/tools/PWSnapping.h"
#include "frameworks/penwork/tools/PWToolController.h"
#include "frameworks/penwork/tools/PWToolView.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

class BenchView : public PWToolView {
public:
    explicit BenchView(pf::Ref<PWDrawing> d) : m_drawing(std::move(d)) {}
    PWDrawing* drawing() const override { return m_drawing.get(); }
    double scale() const override { return 1.0; }
    void setScale(double) override {}
    QRectF visibleDrawingRect() const override { return {0, 0, 2000, 2000}; }
    void zoomViewToRect(const QRectF&) override {}
    void scrollToDrawingRect(const QRectF&) override {}
    QPointF convertFromDrawing(const QPointF& p) const override { return p; }
    void setNeedsDisplayInDrawingRect(const QRectF&) override {}
    void beginTextEditing(PWDrawableObject*) override {}
    void setToolCursor(const QCursor&) override {}
    QWidget* widget() const override { return nullptr; }
    pf::Ref<PWDrawing> m_drawing;
};

struct Scene {
    explicit Scene(bool snapToObjects)
    {
        drawing = PWDrawing::defaultDrawing();
        layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->activeLayer());
        drawing->undoManager()->disableUndoRegistration();
        for (int i = 0; i < 10000; ++i) {
            const double x = (i % 100) * 20.0;
            const double y = (i / 100) * 20.0;
            layer->addObject(PWDrawableShape::drawableShapeWithRect({x, y, 12, 12}));
        }
        drawing->undoManager()->enableUndoRegistration();
        layer->setAllowsSnapToObjects(snapToObjects);
    }
    pf::Ref<PWDrawing> drawing;
    pf::Ref<PWObjectDrawingLayer> layer;
};

void BM_HitObjectDuringDrag(benchmark::State& state)
{
    Scene scene(false);
    int i = 0;
    for (auto _ : state) {
        const QPointF p((i * 7) % 2000 + 5.0, (i * 13) % 2000 + 5.0);
        benchmark::DoNotOptimize(scene.layer->hitObject(p));
        ++i;
    }
}
BENCHMARK(BM_HitObjectDuringDrag);

void BM_SnapMovedRectToObjects(benchmark::State& state)
{
    Scene scene(true);
    int i = 0;
    for (auto _ : state) {
        const QRectF moving((i * 7) % 1900 + 3.0, (i * 13) % 1900 + 3.0, 30, 30);
        benchmark::DoNotOptimize(PWSnapping::snapMovedRect(moving, *scene.layer, {}, false, 1.0));
        ++i;
    }
}
BENCHMARK(BM_SnapMovedRectToObjects);

// A whole selection drag (down, 20 drags, up) moving one object with object snapping on.
void BM_SelectionDragGesture(benchmark::State& state)
{
    Scene scene(true);
    BenchView view(scene.drawing);
    PWToolController controller(view);
    controller.setCurrentTool(PWDrawingTool::selectionTool());
    for (auto _ : state) {
        controller.mouseDown(view, {1006, 1006}, Qt::NoModifier, 1);
        for (int step = 1; step <= 20; ++step)
            controller.mouseDragged(view, {1006.0 + step * 3.0, 1006.0 + step}, Qt::NoModifier);
        controller.mouseUp(view, {1066, 1026}, Qt::NoModifier);
        scene.drawing->undoManager()->undo();
    }
}
BENCHMARK(BM_SelectionDragGesture);

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
