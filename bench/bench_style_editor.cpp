// The Style tab with a style of 20 components: showing it (building every pane) and following
// one edit of a renderer (the pane's controls take the new value).
#include "drawing/VNQLDrawingExtensions.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/renderers/PWArrowStroke.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "styleeditor/VNQLStyleEditorController.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

struct Tab {
    Tab()
    {
        VNQLDrawingExtensions::install();
        drawing->addLayer(layer);
        drawing->setActiveLayer(layer);
        editor->view()->resize(260, 800);
        editor->setDrawing(drawing);
        for (int i = 0; i < 20; ++i) {
            if (i % 3 == 0)
                style->addRenderer(std::make_shared<PWFill>());
            else if (i % 3 == 1)
                style->addRenderer(PWStroke::strokeWithWidth(1 + i, pf::Color::black()));
            else
                style->addRenderer(std::make_shared<PWArrowStroke>());
        }
        layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 50, 50), style));
    }
    pf::Ref<PWDrawing> drawing = std::make_shared<PWDrawing>();
    pf::Ref<PWObjectDrawingLayer> layer = std::make_shared<PWObjectDrawingLayer>();
    pf::Ref<VNQLStyleEditorController> editor = std::make_shared<VNQLStyleEditorController>();
    pf::Ref<PWStyle> style = std::make_shared<PWStyle>();
};

void BM_ShowStyleOfTwentyComponents(benchmark::State& state)
{
    Tab tab;
    for (auto _ : state) {
        tab.editor->buildUIForStyle(tab.style);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_ShowStyleOfTwentyComponents)->Unit(benchmark::kMillisecond);

void BM_FollowOneEdit(benchmark::State& state)
{
    Tab tab;
    tab.editor->setContent({tab.style});
    QCoreApplication::processEvents();
    auto stroke = std::dynamic_pointer_cast<PWStroke>(tab.style->renderList().at(1));
    double width = 1;
    for (auto _ : state) {
        width = width > 50 ? 1 : width + 0.5;
        stroke->setWidth(width);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_FollowOneEdit)->Unit(benchmark::kMicrosecond);

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
