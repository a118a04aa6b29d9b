// Loading a collection as the program does on start-up: the category file and one package
// check per item. The time per item should stay flat from 500 to 2,000 items (linear loading).
#include "frameworks/penwork/styles/PWStyle.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryItem.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/Color.h"

#include <QApplication>
#include <QDir>
#include <QMap>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString scratch()
{
    static QTemporaryDir folder;
    return folder.path();
}

// A collection of `count` items: one real package copied under every item's name, and a
// category file naming them all, half of them also filed in a category of their own and the
// newest sixteen in the recent lists.
QString collectionOf(int count)
{
    static QMap<int, QString> made;
    if (made.contains(count))
        return made.value(count);
    const QString name = QStringLiteral("Bench%1").arg(count);
    const QString path = QDir(scratch()).filePath(name + QStringLiteral(".symlibrary"));
    // A new library gives the category file every standard key and category.
    QVariantMap info = PWXLibrary::libraryWithPath(path, true)->libraryInfo();
    QVariantList all, half, recent;
    for (int i = 0; i < count; ++i) {
        const QString itemName = QStringLiteral("Item %1").arg(i);
        pf::FileManager::defaultManager().copyItem(QDir(scratch()).filePath("seed.libitem"),
                                                   QDir(path).filePath(itemName + QStringLiteral(".libitem")));
        const QVariantMap entry{{"name", itemName}, {"id", QStringLiteral("KEY-%1").arg(i)}, {"cc", 1}};
        all.append(entry);
        if (i % 2 == 0)
            half.append(entry);
        if (i >= count - 16)
            recent.append(entry);
    }
    QVariantList categories = info.value("categories").toList();
    for (QVariant& category : categories) {
        QVariantMap map = category.toMap();
        if (map.value("class").toString() == QLatin1String("PWXFixedLengthLibraryCategory")) {
            map.insert("items", recent);
            category = map;
        }
    }
    categories.append(QVariantMap{{"class", "PWXLibraryCategory"}, {"name", "Half"}, {"items", half},
                                  {"readonly", false}, {"deletable", true}, {"no_rename", false}});
    info.insert("allitems", all);
    info.insert("categories", categories);
    info.insert("checksum", qulonglong(count));
    pf::PropertyList::write(info, QDir(path).filePath(name + QStringLiteral(".categories")), pf::PropertyListFormat::Binary);
    made.insert(count, path);
    return path;
}

void prepareSeedPackage()
{
    // One package to copy, written by the library itself.
    const QString path = QDir(scratch()).filePath("Seed.symlibrary");
    pf::Ref<PWXLibrary> seed = PWXLibrary::libraryWithPath(path, false);
    auto style = PWStyle::styleWithFillColour(pf::Color(QColor(Qt::blue)), pf::Color(QColor(Qt::black)));
    style->setName(QStringLiteral("Seed"));
    pf::Ref<PWXLibraryItem> item = PWXLibraryItem::itemWithLibraryObject(style);
    seed->addItem(item);
    pf::FileManager::defaultManager().copyItem(item->path(), QDir(scratch()).filePath("seed.libitem"));
}

void BM_LoadCollection(benchmark::State& state)
{
    const int count = int(state.range(0));
    const QString path = collectionOf(count);
    for (auto _ : state) {
        pf::Ref<PWXLibrary> library = PWXLibrary::libraryWithPath(path, false);
        if (library->itemCount() != count)
            state.SkipWithError("the collection lost items");
        benchmark::DoNotOptimize(library);
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["us_per_item"] = benchmark::Counter(double(count), benchmark::Counter::kIsIterationInvariantRate
                                                                          | benchmark::Counter::kInvert);
}

void BM_WriteCategoryFile(benchmark::State& state)
{
    const int count = int(state.range(0));
    pf::Ref<PWXLibrary> library = PWXLibrary::libraryWithPath(collectionOf(count), false);
    for (auto _ : state) {
        library->setUserDescription(QStringLiteral("changed"));
        benchmark::DoNotOptimize(library->writeCategoryFile());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

BENCHMARK(BM_LoadCollection)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteCategoryFile)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QUILLORY_LOG_SILENCE", "all");
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    prepareSeedPackage();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
