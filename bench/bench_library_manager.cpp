// The library window on a collection of 2,000 items: how long the window takes to list them
// (the previews load behind, on the preview queue), and scrolling the icons from top to bottom
// and back, which must decode each preview once only ("decodes" equals the item count).
#include "frameworks/penwork/styles/PWStyle.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryItemViewController.h"
#include "library/PWXLibraryManagerWindowController.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/Color.h"
#include "platform/ui/ScrollView.h"
#include "widgets/ZDDistributedView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QThread>

#include <benchmark/benchmark.h>

namespace {

constexpr int kItems = 2000;

// A collection of `count` items in the user library folder: one real package (with its
// preview) copied under every item's name, and a category file naming them all.
QString makeCollection(int count)
{
    const QString folder = PWXLibrary::userLibraryFolder();
    QDir().mkpath(folder);
    const QString seedPath = QDir(folder).filePath(QStringLiteral("Seed"));
    pf::Ref<PWXLibrary> seed = PWXLibrary::libraryWithPath(seedPath, false);
    auto style = PWStyle::styleWithFillColour(pf::Color(QColor(Qt::blue)), pf::Color(QColor(Qt::black)));
    style->setName(QStringLiteral("Seed"));
    pf::Ref<PWXLibraryItem> item = PWXLibraryItem::itemWithLibraryObject(style);
    seed->addItem(item);
    const QString package = item->path();

    const QString name = QStringLiteral("Bench");
    const QString path = QDir(folder).filePath(name + QStringLiteral(".symlibrary"));
    QVariantMap info = PWXLibrary::libraryWithPath(path, true)->libraryInfo();
    QVariantList all;
    for (int i = 0; i < count; ++i) {
        const QString itemName = QStringLiteral("Item %1").arg(i, 4, 10, QLatin1Char('0'));
        pf::FileManager::defaultManager().copyItem(package, QDir(path).filePath(itemName + QStringLiteral(".libitem")));
        all.append(QVariantMap{{"name", itemName}, {"id", QStringLiteral("KEY-%1").arg(i)}, {"cc", 1}});
    }
    info.insert("allitems", all);
    info.insert("checksum", qulonglong(count));
    pf::PropertyList::write(info, QDir(path).filePath(name + QStringLiteral(".categories")), pf::PropertyListFormat::Binary);
    return path;
}

pf::Ref<PWXLibrary> benchLibrary()
{
    static pf::Ref<PWXLibrary> library = [] {
        const QString path = makeCollection(kItems);
        PWXLibrary::initializeRegistry();
        pf::Ref<PWXLibrary> made = PWXLibrary::libraryWithPath(path, false);
        PWXLibrary::addLibraryToGroup(made, PWXLibraryGroup::kUserGroupName, true);
        return made;
    }();
    return library;
}

// Waits (handling events) until every listed item's preview has arrived, or 60 s.
bool waitForPreviews(const QList<pf::Ref<PWXLibraryItem>>& items)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        bool loading = false;
        for (const pf::Ref<PWXLibraryItem>& item : items)
            if (item->isLoadingPreview()) {
                loading = true;
                break;
            }
        if (!loading)
            return true;
        QThread::msleep(2);
    }
    return false;
}

// Opens the window on the collection: the time until its 2,000 items are listed.
void BM_OpenCollectionInManager(benchmark::State& state)
{
    pf::Ref<PWXLibrary> library = benchLibrary();
    for (auto _ : state) {
        PWXLibraryItem::clearIconCache();
        PWXLibraryManagerWindowController::releaseSharedLibraryManager();
        QElapsedTimer timer;
        timer.start();
        pf::Ref<PWXLibraryManagerWindowController> manager = PWXLibraryManagerWindowController::sharedLibraryManager();
        manager->showWindow();
        manager->selectLibrary(library);
        QApplication::processEvents(); // the first paint asks for the visible previews
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (manager->itemViewController()->numberOfItemsInContent() != kItems)
            state.SkipWithError("the window did not list every item");
        state.PauseTiming();
        waitForPreviews(library->items());
        state.ResumeTiming();
    }
    state.counters["items"] = kItems;
}

// Scrolls the icons from top to bottom and back, drawing each screenful; previews load behind.
void BM_ScrollIconsDecodingOnce(benchmark::State& state)
{
    pf::Ref<PWXLibrary> library = benchLibrary();
    PWXLibraryManagerWindowController::releaseSharedLibraryManager();
    PWXLibraryItem::clearIconCache();
    pf::Ref<PWXLibraryManagerWindowController> manager = PWXLibraryManagerWindowController::sharedLibraryManager();
    manager->showWindow();
    manager->window()->resize(900, 600);
    manager->selectLibrary(library);
    PWXLibraryItemViewController* browser = manager->itemViewController();
    browser->setLayoutMode(PWXLibraryItemViewController::IconLayout);
    ZDDistributedView* icons = browser->iconView();
    const qint64 before = PWXLibraryItem::previewDecodeCount();
    qint64 screens = 0;
    for (auto _ : state) {
        for (int pass = 0; pass < 2; ++pass) {
            const double height = icons->frame().height();
            const double step = std::max(100.0, icons->visibleRect().height());
            for (double y = 0; y < height; y += step) {
                icons->scrollToPoint(QPointF(0, y));
                icons->grab(icons->visibleRect().toAlignedRect()); // draws what shows, asking for its previews
                QApplication::processEvents();
                ++screens;
            }
            // The first pass ends once every preview it asked for has come in.
            state.PauseTiming();
            waitForPreviews(library->items());
            state.ResumeTiming();
        }
    }
    const qint64 decodes = PWXLibraryItem::previewDecodeCount() - before;
    state.counters["decodes"] = double(decodes);
    state.counters["items"] = kItems;
    state.counters["screens"] = double(screens);
    state.counters["browser_previews"] = browser->cachedPreviewCount();
    if (decodes > kItems)
        state.SkipWithError("a preview was decoded twice");
}

BENCHMARK(BM_OpenCollectionInManager)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollIconsDecodingOnce)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QUILLORY_LOG_SILENCE", "all");
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    // A fresh user library folder for every run.
    QDir(PWXLibrary::userLibraryFolder()).removeRecursively();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PWXLibraryManagerWindowController::releaseSharedLibraryManager();
    QDir(PWXLibrary::userLibraryFolder()).removeRecursively();
    return 0;
}
