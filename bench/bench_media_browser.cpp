// The media browser on a folder of 5,000 images: listing the folder must not read the images
// (the grid is laid out from the count), and showing the grid makes thumbnails only for the
// cells on screen. The "thumbnails" counter says how many one full paint made.
#include "browsers/RVFolderInfo.h"
#include "browsers/RVMediaBrowserController.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>

namespace {

constexpr int kImages = 5000;

const QString& imageFolder()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        QImage image(320, 240, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        QByteArray png;
        {
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
        }
        for (int i = 0; i < kImages; ++i) {
            QFile file(dir.filePath(QStringLiteral("image-%1.png").arg(i, 5, 10, QLatin1Char('0'))));
            if (file.open(QIODevice::WriteOnly))
                file.write(png);
        }
        return true;
    }();
    Q_UNUSED(made);
    static const QString path = dir.path();
    return path;
}

// Choosing the folder: listing its files and building the items, without the grid.
void BM_ListFolder(benchmark::State& state)
{
    const QString folder = imageFolder();
    for (auto _ : state) {
        auto browser = std::make_shared<RVMediaBrowserController>();
        browser->setFolder(RVFolderInfo::folderInfoWithURL(QUrl::fromLocalFile(folder)));
        if (browser->images().size() != kImages)
            state.SkipWithError("not every image was listed");
    }
}
BENCHMARK(BM_ListFolder)->Unit(benchmark::kMillisecond);

// Showing the window on the folder and painting the grid once, thumbnails included.
void BM_ShowFolder(benchmark::State& state)
{
    const QString folder = imageFolder();
    int made = 0;
    for (auto _ : state) {
        auto browser = std::make_shared<RVMediaBrowserController>();
        browser->window()->resize(900, 600);
        browser->showWindow({});
        browser->setFolder(RVFolderInfo::folderInfoWithURL(QUrl::fromLocalFile(folder)));
        QCoreApplication::processEvents();
        browser->imageBrowserView()->viewport()->repaint();
        made = browser->imageBrowserView()->thumbnailsMade();
        browser->window()->close();
    }
    state.counters["thumbnails"] = made;
    state.counters["images"] = kImages;
}
BENCHMARK(BM_ShowFolder)->Unit(benchmark::kMillisecond);

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
