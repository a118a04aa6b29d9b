#include "DocumentTestSupport.h"

#include "app/CVLTemplateItem.h"
#include "app/CVLTemplatePickerController.h"
#include "app/PWXMapScale.h"
#include "app/VNQLStationery.h"
#include "app/VNQLTemplateDocumentOpener.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "platform/foundation/Bookmark.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/UserDefaults.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

namespace {

using namespace quillory::test;
using pf::Ref;

QString stationery()
{
    return QDir(RVCartavelDocument::documentTemplatesURL().toLocalFile()).filePath(CVLTemplatePickerController::kStationeryFolder);
}

QUrl stationeryTemplate(const QString& name)
{
    return QUrl::fromLocalFile(QDir(stationery()).filePath(name + QStringLiteral(".qlry")));
}

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QStringList names(const QList<Ref<CVLTemplateItem>>& items)
{
    QStringList out;
    for (const auto& item : items)
        out.append(item->name());
    return out;
}

class RecordingPickerDelegate : public CVLTemplatePickerDelegate {
public:
    void openSelectedTemplateURL(const QUrl& url) override { opened.append(url); }
    QList<QUrl> opened;
};

class TemplatePickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        documentController();
        CVLTemplateItem::invalidateCache();
        pf::UserDefaults::standard().removeObjectForKey(CVLTemplatePickerController::kSelectedFolderBookmarkDefault);
    }
    void TearDown() override
    {
        CVLTemplatePickerController::releaseTemplatePicker();
        CVLTemplateItem::invalidateCache();
        QDir(RVCartavelDocument::userTemplatesURL().toLocalFile()).removeRecursively();
        pf::UserDefaults::standard().removeObjectForKey(CVLTemplatePickerController::kSelectedFolderBookmarkDefault);
    }
    QTemporaryDir temp;
};

TEST_F(TemplatePickerTest, BuiltInStationeryIsListedWithSizesAndTheMapSheetsScale)
{
    const QList<QUrl> urls = RVCartavelDocument::availableTemplateURLs();
    const QList<Ref<CVLTemplateItem>> items = CVLTemplateItem::templateItemsWithURLs(urls);
    EXPECT_EQ(names(items), (QStringList{"A4 Landscape", "A4 Portrait", "Map Sheet 1-25000", "US Letter"}));
    const struct {
        QString name;
        QString info;
    } sizes[] = {
        {"A4 Portrait", "21.0 x 29.7 cm"},
        {"A4 Landscape", "29.7 x 21.0 cm"},
        {"US Letter", "8.5 x 11.0 in"},
        {"Map Sheet 1-25000", "42.0 x 29.7 cm"},
    };
    for (const auto& size : sizes) {
        Ref<CVLTemplateItem> item = CVLTemplateItem::cachedObjectForURL(stationeryTemplate(size.name));
        ASSERT_TRUE(item) << qPrintable(size.name);
        EXPECT_EQ(item->dimensionsAndScaleInfo(), size.info);
    }
    Ref<PWXMapScale> scale = CVLTemplateItem::cachedObjectForURL(stationeryTemplate("Map Sheet 1-25000"))->scale();
    ASSERT_TRUE(scale);
    EXPECT_DOUBLE_EQ(scale->scale(), 25000.0);
    EXPECT_TRUE(RVCartavelDocument::hasTemplatesAvailable());
}

TEST_F(TemplatePickerTest, StationeryWrittenByTheProgramMatchesWhatShips)
{
    // The shipped files are the generator's output: the same sheets, readable the same way.
    ASSERT_TRUE(VNQLStationery::writeStationery(temp.path()));
    const QList<QUrl> made = RVCartavelDocument::availableTemplatesAtURL(QUrl::fromLocalFile(temp.path()), false);
    ASSERT_EQ(made.size(), VNQLStationery::sheets().size());
    for (const QUrl& url : made) {
        CVLTemplateItem fresh(url);
        CVLTemplateItem shipped(stationeryTemplate(fresh.name()));
        EXPECT_EQ(fresh.dimensionsAndScaleInfo(), shipped.dimensionsAndScaleInfo()) << qPrintable(fresh.name());
    }
}

TEST_F(TemplatePickerTest, ItemsAreCachedSortedPlainlyAndFilteredWithoutRegardToCase)
{
    QList<QUrl> urls;
    for (const char* name : {"b plan", "Harbour", "A map", "Old harbour"})
        urls.append(QUrl::fromLocalFile(QDir(temp.path()).filePath(QString::fromLatin1(name) + ".qlry")));
    const QList<Ref<CVLTemplateItem>> all = CVLTemplateItem::templateItemsWithURLs(urls);
    EXPECT_EQ(names(all), (QStringList{"A map", "Harbour", "Old harbour", "b plan"}));
    EXPECT_EQ(CVLTemplateItem::templateItemsWithURLs(urls).first(), all.first()) << "one item per path";

    EXPECT_EQ(names(CVLTemplateItem::templateItemsWithURLs(urls, {}, "HARBOUR")), (QStringList{"Harbour", "Old harbour"}));
    EXPECT_EQ(CVLTemplateItem::templateItemsWithURLs(urls, {}, QString()).size(), 4);

    // A previous item of the same URL is kept in place of the cached one.
    auto previous = std::make_shared<CVLTemplateItem>(urls[1]);
    const QList<Ref<CVLTemplateItem>> replaced = CVLTemplateItem::templateItemsWithURLs(urls, {previous}, "harbour");
    ASSERT_EQ(replaced.size(), 2);
    EXPECT_EQ(replaced.first(), previous);
}

TEST_F(TemplatePickerTest, PackagesWithoutInformationOrWithADamagedAuxiliaryEntryShowNothing)
{
    const QString bare = QDir(temp.path()).filePath("Bare.qlry");
    QDir().mkpath(bare);
    EXPECT_TRUE(CVLTemplateItem(QUrl::fromLocalFile(bare)).dimensionsAndScaleInfo().isEmpty());

    // A real auxiliary entry cut short, and one that is no archive at all.
    QFile real(QDir(stationeryTemplate("Map Sheet 1-25000").toLocalFile()).filePath(RVCartavelDocument::kAuxiliaryEntry));
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    const QByteArray archive = real.readAll();
    for (const QByteArray& damaged : {archive.left(archive.size() / 2), QByteArray("not an archive")}) {
        const QString package = QDir(temp.path()).filePath("Damaged.qlry");
        writeFile(QDir(package).filePath(RVCartavelDocument::kAuxiliaryEntry), damaged);
        EXPECT_FALSE(CVLTemplateItem(QUrl::fromLocalFile(package)).scale());
    }
}

TEST_F(TemplatePickerTest, ThumbnailsArriveInTheBackgroundAndAFailureIsNotRetried)
{
    auto good = std::make_shared<CVLTemplateItem>(stationeryTemplate("A4 Portrait"));
    EXPECT_TRUE(good->image().isNull()) << "made in the background";
    EXPECT_TRUE(good->isFetchingImage());
    ASSERT_TRUE(waitUntil([&] { return !good->isFetchingImage(); }));
    EXPECT_FALSE(good->image().isNull());
    EXPECT_FALSE(good->imageFailed());

    const QString package = QDir(temp.path()).filePath("No Thumbnail.qlry");
    writeFile(QDir(package).filePath("QuickLook/Thumbnail.jpg"), QByteArray("not a picture"));
    auto bad = std::make_shared<CVLTemplateItem>(QUrl::fromLocalFile(package));
    bad->image();
    ASSERT_TRUE(waitUntil([&] { return !bad->isFetchingImage(); }));
    EXPECT_TRUE(bad->imageFailed());
    EXPECT_TRUE(bad->image().isNull());
    EXPECT_FALSE(bad->isFetchingImage()) << "a failed thumbnail is not made again";
}

TEST_F(TemplatePickerTest, AThumbnailInTheMakingKeepsItsItemAlive)
{
    auto item = std::make_shared<CVLTemplateItem>(stationeryTemplate("US Letter"));
    std::weak_ptr<CVLTemplateItem> watched = item;
    item->image();
    item.reset();
    CVLTemplateItem::invalidateCache();
    EXPECT_FALSE(watched.expired());
    EXPECT_TRUE(waitUntil([&] { return watched.expired(); })) << "let go once the thumbnail arrived";
}

TEST_F(TemplatePickerTest, PickerOpensOnStationeryWithoutAUsableBookmarkAndFilters)
{
    const QString gone = QDir(temp.path()).filePath("Gone");
    QDir().mkpath(gone);
    pf::UserDefaults::standard().setObject(pf::Bookmark::create(gone, 0), CVLTemplatePickerController::kSelectedFolderBookmarkDefault);
    QDir(gone).removeRecursively();

    Ref<CVLTemplatePickerController> picker = CVLTemplatePickerController::templatePicker();
    EXPECT_EQ(QDir::cleanPath(picker->templatesRootURL().toLocalFile()), QDir::cleanPath(stationery()));
    EXPECT_EQ(picker->grid()->count(), 4);
    EXPECT_TRUE(picker->cancelButton()->isHidden());
    ASSERT_TRUE(picker->folderBrowser()->selectedItem());
    EXPECT_EQ(picker->folderBrowser()->selectedItem()->name(), CVLTemplatePickerController::kStationeryFolder);

    picker->searchField()->setText("a4");
    EXPECT_EQ(names(picker->templates()), (QStringList{"A4 Landscape", "A4 Portrait"}));
    picker->searchField()->clear();
    EXPECT_EQ(picker->templates().size(), 4);
}

TEST_F(TemplatePickerTest, OkOpensExactlyOneSelectedTemplate)
{
    Ref<CVLTemplatePickerController> picker = CVLTemplatePickerController::templatePicker();
    RecordingPickerDelegate delegate;
    picker->setDelegate(&delegate);
    QListWidget* grid = picker->grid();
    ASSERT_GE(grid->count(), 2);
    EXPECT_FALSE(picker->okButton()->isEnabled());

    grid->item(0)->setSelected(true);
    grid->item(1)->setSelected(true);
    EXPECT_TRUE(picker->okButton()->isEnabled());
    EXPECT_TRUE(picker->selectedTemplateURL().isEmpty());
    picker->okButtonAction({});
    EXPECT_TRUE(delegate.opened.isEmpty()) << "two selected: nothing opens";
    EXPECT_FALSE(picker->canRevealSelection());

    grid->clearSelection();
    grid->item(1)->setSelected(true);
    picker->okButtonAction({});
    ASSERT_EQ(delegate.opened.size(), 1);
    EXPECT_EQ(delegate.opened.first(), picker->templates().at(1)->url());
    EXPECT_FALSE(picker->canRevealSelection()) << "built-in templates are not revealed";
}

TEST_F(TemplatePickerTest, ImportCopiesTemplatesIntoAFolderNamedAfterTheirsAndReportsWhatItSkipped)
{
    const QString work = QDir(temp.path()).filePath("Work");
    QDir().mkpath(work);
    ASSERT_TRUE(pf::FileManager::defaultManager().copyItem(stationeryTemplate("A4 Portrait").toLocalFile(),
                                                           QDir(work).filePath("Plan.qlry")));
    ASSERT_TRUE(pf::FileManager::defaultManager().copyItem(stationeryTemplate("US Letter").toLocalFile(),
                                                           QDir(work).filePath("Letter.qlry")));
    writeFile(QDir(work).filePath("notes.txt"), "text");
    // Already there, so its copy fails; the others still arrive.
    const QString destination = QDir(RVCartavelDocument::userTemplatesURL().toLocalFile()).filePath("Work");
    writeFile(QDir(destination).filePath("Plan.qlry"), "in the way");

    QStringList failures;
    const QUrl made = CVLTemplatePickerController::importTemplateFiles(
        {QUrl::fromLocalFile(QDir(work).filePath("Plan.qlry")), QUrl::fromLocalFile(QDir(work).filePath("notes.txt")),
         QUrl::fromLocalFile(QDir(work).filePath("Letter.qlry"))},
        &failures);
    ASSERT_EQ(QDir::cleanPath(made.toLocalFile()), QDir::cleanPath(destination));
    EXPECT_EQ(failures.size(), 2) << qPrintable(failures.join('\n'));
    EXPECT_TRUE(QFileInfo(QDir(destination).filePath("Letter.qlry/VN_Content.drawing")).isFile());
    EXPECT_FALSE(QFileInfo::exists(QDir(destination).filePath("notes.txt")));

    Ref<CVLTemplatePickerController> picker = CVLTemplatePickerController::templatePicker();
    picker->showImportedFolder(made);
    Ref<RVFolderInfo> node = picker->folderBrowser()->selectedItem();
    ASSERT_TRUE(node);
    EXPECT_EQ(node->name(), "Work");
    ASSERT_TRUE(node->parent());
    EXPECT_EQ(node->parent()->path(), QDir::cleanPath(RVCartavelDocument::userTemplatesURL().toLocalFile()));
    EXPECT_EQ(names(picker->templates()), (QStringList{"Letter", "Plan"}));
    QFile inTheWay(QDir(destination).filePath("Plan.qlry"));
    ASSERT_TRUE(inTheWay.open(QIODevice::ReadOnly));
    EXPECT_EQ(inTheWay.readAll(), "in the way") << "a failed copy overwrites nothing";

    ASSERT_GT(picker->grid()->count(), 0);
    picker->grid()->item(0)->setSelected(true);
    EXPECT_TRUE(picker->canRevealSelection()) << "a user template";
}

TEST_F(TemplatePickerTest, ATemplateOpensAsAnUntitledCopyWithItsPaper)
{
    const QUrl url = stationeryTemplate("A4 Landscape");
    Ref<RVCartavelDocument> opened;
    bool done = false;
    VNQLTemplateDocumentOpener::openTemplateAsUntitledDocument(url, false, [&](const Ref<RVCartavelDocument>& document,
                                                                                const pf::Error&) {
        opened = document;
        done = true;
    });
    ASSERT_TRUE(waitUntil([&] { return done; }, 20000));
    ASSERT_TRUE(opened);
    EXPECT_TRUE(opened->fileURL().isEmpty()) << "saving must never write over the template";
    // The layers panel names the drawing as the window does, not after the template.
    EXPECT_EQ(opened->drawing()->layerName(), opened->displayName());
    EXPECT_TRUE(opened->displayName().startsWith(QStringLiteral("Untitled"))) << qPrintable(opened->displayName());
    EXPECT_GT(opened->drawing()->drawingSize().width(), opened->drawing()->drawingSize().height());
    EXPECT_FALSE(documentController().documentForURL(url));
    closeDocument(opened);

    done = false;
    pf::Error failure;
    VNQLTemplateDocumentOpener::openTemplateAsUntitledDocument(
        QUrl::fromLocalFile(QDir(temp.path()).filePath("Missing.qlry")), false,
        [&](const Ref<RVCartavelDocument>& document, const pf::Error& error) {
            EXPECT_FALSE(document);
            failure = error;
            done = true;
        });
    ASSERT_TRUE(waitUntil([&] { return done; }, 20000));
    EXPECT_FALSE(failure.isNull());
}

} // namespace
