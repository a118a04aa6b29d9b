// Drawing with the stroke and fill renderers, the image adornment and the renderer groups: a
// redraw of 10,000 objects styled with one renderer of each family, into a 1024 x 1024 image.
// The groups hold a plain fill, so their figures show what the group itself costs.
#include <benchmark/benchmark.h>

#include "frameworks/penwork/renderers/PWArrowStroke.h"
#include "frameworks/penwork/renderers/PWBlendGroup.h"
#include "frameworks/penwork/renderers/PWCIFilterRastGroup.h"
#include "frameworks/penwork/renderers/PWCIFilterTypeBlurGroup.h"
#include "frameworks/penwork/renderers/PWGloomGroup.h"
#include "frameworks/penwork/renderers/PWImageAdornment.h"
#include "frameworks/penwork/renderers/PWQuartzBlendRastGroup.h"
#include "frameworks/penwork/renderers/PWRepeatTransformGroup.h"
#include "frameworks/penwork/renderers/PWFillPattern.h"
#include "frameworks/penwork/renderers/PWGradientFill.h"
#include "frameworks/penwork/renderers/PWHatching.h"
#include "frameworks/penwork/renderers/PWPathDecorator.h"
#include "frameworks/penwork/renderers/PWRoughStroke.h"
#include "frameworks/penwork/renderers/PWTilingFill.h"
#include "frameworks/penwork/renderers/PWZigZagFill.h"
#include "frameworks/penwork/renderers/PWZigZagStroke.h"
#include "frameworks/penwork/styles/PWFill.h"
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

void BM_ImageAdornment(benchmark::State& state)
{
    PWImageAdornment adornment(motif());
    adornment.setFittingOption(int(state.range(0)));
    adornment.setClipping(PWImageAdornment::kClipToPath);
    renderAll(state, adornment);
}
BENCHMARK(BM_ImageAdornment)
    ->Arg(PWImageAdornment::FitProportionally)
    ->Arg(PWImageAdornment::ScaleByFactor)
    ->Unit(benchmark::kMillisecond);

// A group of the class holding one fill.
template <class G>
void renderGroup(benchmark::State& state, G& group)
{
    group.addRenderer(std::make_shared<PWFill>(pf::Color::blue()));
    renderAll(state, group);
}

void BM_RepeatTransformGroup(benchmark::State& state)
{
    PWRepeatTransformGroup group;
    group.setDeltaAngle(0.2);
    group.setScaleX(0.9);
    group.setScaleY(0.9);
    // With a blend colour every repeat is drawn off screen to be tinted.
    if (state.range(0))
        group.setBlendColour(pf::Color::red());
    renderGroup(state, group);
}
BENCHMARK(BM_RepeatTransformGroup)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_GloomGroup(benchmark::State& state)
{
    PWGloomGroup group;
    group.setType(int(state.range(0)));
    renderGroup(state, group);
}
BENCHMARK(BM_GloomGroup)->Arg(PWGloomGroup::GloomGlow)->Arg(PWGloomGroup::GloomShadow)->Unit(benchmark::kMillisecond);

void BM_BlurGroup(benchmark::State& state)
{
    PWCIFilterTypeBlurGroup group;
    group.setBlurType(int(state.range(0)));
    group.setBlurAngle(30.0);
    renderGroup(state, group);
}
BENCHMARK(BM_BlurGroup)
    ->Arg(PWCIFilterTypeBlurGroup::BlurGaussian)
    ->Arg(PWCIFilterTypeBlurGroup::BlurBox)
    ->Arg(PWCIFilterTypeBlurGroup::BlurDisc)
    ->Arg(PWCIFilterTypeBlurGroup::BlurMotion)
    ->Unit(benchmark::kMillisecond);

void BM_CIFilterGroup(benchmark::State& state)
{
    PWCIFilterRastGroup group;
    group.setFilterName(QStringLiteral("CIColorInvert"));
    renderGroup(state, group);
}
BENCHMARK(BM_CIFilterGroup)->Unit(benchmark::kMillisecond);

void BM_BlendGroup(benchmark::State& state)
{
    PWBlendGroup group;
    renderGroup(state, group);
}
BENCHMARK(BM_BlendGroup)->Unit(benchmark::kMillisecond);

void BM_QuartzBlendGroup(benchmark::State& state)
{
    PWQuartzBlendRastGroup group;
    renderGroup(state, group);
}
BENCHMARK(BM_QuartzBlendGroup)->Unit(benchmark::kMillisecond);

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
