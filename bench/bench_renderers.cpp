// Drawing with the stroke and fill renderers: a redraw of 10,000 objects styled with one
// renderer of each family, into a 1024 x 1024 image.
#include <benchmark/benchmark.h>

#include "frameworks/penwork/renderers/PWArrowStroke.h"
#include "frameworks/penwork/renderers/PWFillPattern.h"
#include "frameworks/penwork/renderers/PWGradientFill.h"
#include "frameworks/penwork/renderers/PWHatching.h"
#include "frameworks/penwork/renderers/PWPathDecorator.h"
#include "frameworks/penwork/renderers/PWRoughStroke.h"
#include "frameworks/penwork/renderers/PWTilingFill.h"
#include "frameworks/penwork/renderers/PWZigZagFill.h"
#include "frameworks/penwork/renderers/PWZigZagStroke.h"
#include "frameworks/penwork/styles/PWRenderable.h"

#include "platform/graphics/GraphicsContext.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <functional>
#include <vector>

namespace {

constexpr int kObjects = 10000;

class Shape : public PWRenderable {
public:
    Shape(pf::Ref<pf::BezierPath> path, quint64 checksum) : m_path(std::move(path)), m_checksum(checksum) {}
    pf::Ref<pf::BezierPath> renderingPath() const override { return m_path; }
    double angle() const override { return 0.3; }
    QSizeF size() const override { return m_path->bounds().size(); }
    QPointF location() const override { return m_path->bounds().center(); }
    QTransform containerTransform() const override { return QTransform(); }
    quint64 geometryChecksum() const override { return m_checksum; }

private:
    pf::Ref<pf::BezierPath> m_path;
    quint64 m_checksum;
};

// Ovals and rectangles 10 to 50 points across scattered over the image, made once.
const std::vector<Shape>& shapes()
{
    static const std::vector<Shape> made = [] {
        std::vector<Shape> list;
        QRandomGenerator random(11);
        for (int i = 0; i < kObjects; ++i) {
            const QRectF rect(random.bounded(980.0), random.bounded(980.0), 10 + random.bounded(40.0),
                              10 + random.bounded(40.0));
            list.emplace_back(i % 2 ? pf::BezierPath::pathWithOval(rect) : pf::BezierPath::pathWithRect(rect),
                              quint64(i));
        }
        return list;
    }();
    return made;
}

QImage motif()
{
    QImage image(6, 6, QImage::Format_ARGB32);
    image.fill(Qt::darkGreen);
    return image;
}

void renderAll(benchmark::State& state, PWRasterizer& renderer)
{
    QImage image(1024, 1024, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        pf::GraphicsContextScope scope(painter, true);
        for (const Shape& shape : shapes())
            renderer.render(shape);
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}

void BM_ArrowStroke(benchmark::State& state)
{
    PWArrowStroke arrow;
    arrow.setArrowHeadAtStart(PWArrowStroke::HeadCircle);
    arrow.setDimensioningLineOptions(state.range(0) ? PWArrowStroke::DimensionTextAbove : PWArrowStroke::DimensionNone);
    renderAll(state, arrow);
}
BENCHMARK(BM_ArrowStroke)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ZigZagStroke(benchmark::State& state)
{
    PWZigZagStroke stroke;
    stroke.setSpread(state.range(0));
    renderAll(state, stroke);
}
BENCHMARK(BM_ZigZagStroke)->Arg(0)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_RoughStroke(benchmark::State& state)
{
    PWRoughStroke stroke;
    stroke.setRoughness(2.0);
    renderAll(state, stroke);
}
BENCHMARK(BM_RoughStroke)->Unit(benchmark::kMillisecond);

void BM_ZigZagFill(benchmark::State& state)
{
    PWZigZagFill fill;
    renderAll(state, fill);
}
BENCHMARK(BM_ZigZagFill)->Unit(benchmark::kMillisecond);

void BM_GradientFill(benchmark::State& state)
{
    PWGradientFill fill;
    fill.setGradientType(int(state.range(0)));
    fill.setAngleIsRelative(true);
    renderAll(state, fill);
}
BENCHMARK(BM_GradientFill)->Arg(PWGradientFill::Linear)->Arg(PWGradientFill::Radial)->Unit(benchmark::kMillisecond);

void BM_Hatching(benchmark::State& state)
{
    PWHatching hatching;
    hatching.setSpacing(4.0);
    hatching.setWobblyness(double(state.range(0)));
    renderAll(state, hatching);
}
BENCHMARK(BM_Hatching)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TilingFill(benchmark::State& state)
{
    PWTilingFill fill;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    motif().save(&buffer, "PNG");
    fill.setImageData(png);
    renderAll(state, fill);
}
BENCHMARK(BM_TilingFill)->Unit(benchmark::kMillisecond);

void BM_PathDecorator(benchmark::State& state)
{
    PWPathDecorator decorator(motif());
    decorator.setInterval(10.0);
    decorator.setScaleRandomness(0.3);
    renderAll(state, decorator);
}
BENCHMARK(BM_PathDecorator)->Unit(benchmark::kMillisecond);

void BM_FillPattern(benchmark::State& state)
{
    PWFillPattern pattern(motif());
    pattern.setInterval(10.0);
    pattern.setMotifAngleRandomness(0.5);
    renderAll(state, pattern);
}
BENCHMARK(BM_FillPattern)->Unit(benchmark::kMillisecond);

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
