// Encoding a large picture as PNG and as JPEG: exporting a drawing at print resolution goes
// through these encoders, on a worker thread but with the user waiting for the file.
#include <benchmark/benchmark.h>

#include "platform/graphics/ImageWriter.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>

namespace {

// An illustration-like 4000 x 3000 picture: a smooth background with hard-edged,
// antialiased shapes, neither trivially compressible nor noise.
const QImage& picture()
{
    static const QImage image = [] {
        QImage result(4000, 3000, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&result);
        QLinearGradient background(0, 0, 4000, 3000);
        background.setColorAt(0, QColor(250, 240, 220));
        background.setColorAt(1, QColor(40, 90, 160));
        painter.fillRect(result.rect(), background);
        painter.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 200; ++i) {
            const int x = (i * 379) % 4000;
            const int y = (i * 613) % 3000;
            painter.setBrush(QColor::fromHsv((i * 37) % 360, 160, 220, 200));
            painter.setPen(QPen(Qt::black, 3));
            painter.drawEllipse(QRectF(x, y, 150 + (i % 7) * 40, 100 + (i % 5) * 50));
        }
        return result;
    }();
    return image;
}

void encode(benchmark::State& state, pf::BitmapFileType type)
{
    const QImage& image = picture();
    qint64 size = 0;
    for (auto _ : state) {
        const QByteArray bytes = pf::ImageWriter::encode(image, type);
        if (bytes.isEmpty()) {
            state.SkipWithError("encoding failed");
            return;
        }
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.SetBytesProcessed(state.iterations() * image.sizeInBytes());
    state.counters["file_bytes"] = double(size);
}

void BM_EncodePng(benchmark::State& state)
{
    encode(state, pf::BitmapFileType::PNG);
}

void BM_EncodeJpeg(benchmark::State& state)
{
    encode(state, pf::BitmapFileType::JPEG);
}

} // namespace

BENCHMARK(BM_EncodePng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeJpeg)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
