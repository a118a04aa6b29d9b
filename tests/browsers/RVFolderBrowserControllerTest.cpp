#include "browsers/RVFolderBrowserController.h"
#include "browsers/RVFolderWatcher.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/FileManager.h"
#include "platform/ui/Cell.h"
#include "widgets/RVIconTextFieldCell.h"
#include "tests/browsers/BrowsersTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using pf::Ref;
using namespace quillory::test;

class Recorder : public RVFolderBrowserDelegate {
public:
    void folderBrowserDidSelectFolder(RVFolderBrowserController&, const Ref<RVFolderInfo>& folder) override
    {
        selected.append(folder ? folder->name() : QString("-"));
    }
    void folderBrowserWasNotifiedOfChangeOnDisk(RVFolderBrowserController&, const Ref<RVFolderInfo>& folder) override
    {
        changed.append(folder->name());
    }
    void folderBrowserUserClickedFile(RVFolderBrowserController&, const Ref<RVFolderInfo>& file) override
    {
        files.append(file->name());
    }
    QStringList selected, changed, files;
};

class FolderBrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RVFolderWatcher::defaultWatcher().setLatency(0.1);
        for (const char* name : {"Folder 10/Inner", "Folder 10/Tenth", "folder 2/Inner", "Folder 1/Inner/Deep"})
            QDir().mkpath(dir.filePath(name));
        touch(dir.filePath("Folder 1/Inner/picture.png"));
        browser = std::make_shared<RVFolderBrowserController>();
        browser->setDelegate(&recorder);
        browser->setRootItems({});
    }
    void TearDown() override { RVFolderWatcher::defaultWatcher().setLatency(RVFolderWatcher::kDefaultLatency); }
    void addRoots()
    {
        for (const char* name : {"Folder 10", "folder 2", "Folder 1"})
            ASSERT_TRUE(browser->addRootItemWithURL(QUrl::fromLocalFile(dir.filePath(name))));
    }
    QStringList topRows()
    {
        QStringList names;
        pf::OutlineView& outline = *browser->outlineView();
        for (int i = 0; i < browser->numberOfChildrenOfItem(outline, {}); ++i)
            names.append(pf::objectCast<RVFolderInfo>(browser->child(outline, i, {}))->name());
        return names;
    }
    QTemporaryDir dir;
    Ref<RVFolderBrowserController> browser;
    Recorder recorder;
};

TEST_F(FolderBrowserTest, RootsSortAsPeopleReadNumbersAndAreAddedOnce)
{
    EXPECT_EQ(browser->numberOfChildrenOfItem(*browser->outlineView(), {}), 0);
    browser->setShowRootItems(false);
    EXPECT_EQ(browser->numberOfChildrenOfItem(*browser->outlineView(), {}), 0) << "no roots, roots hidden";
    browser->setShowRootItems(true);
    addRoots();
    EXPECT_EQ(topRows(), (QStringList{"Folder 1", "folder 2", "Folder 10"}));
    EXPECT_FALSE(browser->addRootItemWithURL(QUrl::fromLocalFile(dir.filePath("folder 2") + "/")));
    browser->setShowRootItems(false);
    EXPECT_EQ(topRows(), (QStringList{"Inner", "Tenth"})) << "the children of the root that sorts last";
    EXPECT_THROW(browser->addRootItem(nullptr), pf::Exception);
}

TEST_F(FolderBrowserTest, SelectsByIdentifierAndRemovesDeletableRoots)
{
    addRoots();
    browser->selectItemWithIdentifier("Folder 1|Inner|Deep");
    ASSERT_TRUE(browser->selectedItem());
    EXPECT_EQ(browser->selectedItem()->identifier(), "Folder 1|Inner|Deep");
    EXPECT_EQ(recorder.selected.last(), "Deep");
    EXPECT_EQ(browser->persistentObjectForItem(*browser->outlineView(), pf::toVariant(browser->selectedItem())).toString(), "Folder 1|Inner|Deep");
    EXPECT_EQ(browser->itemForPersistentObject(*browser->outlineView(), "folder 2|Inner"),
              pf::toVariant(browser->itemWithIdentifier("folder 2|Inner")));
    browser->selectItemWithIdentifier("Nothing|Here");
    EXPECT_EQ(browser->selectedItem()->name(), "Deep");

    browser->removeSelectedItemAction({});
    EXPECT_EQ(topRows(), (QStringList{"folder 2", "Folder 10"}));
}

TEST_F(FolderBrowserTest, AFileRowSelectsItsFolderAndTellsTheDelegate)
{
    addRoots();
    browser->rootItems().first()->setIncludesFiles(true);
    browser->rootItems().first()->clearCacheAndNotify();
    browser->reload();
    Ref<RVFolderInfo> picture = browser->itemWithURL(QUrl::fromLocalFile(dir.filePath("Folder 1/Inner/picture.png")));
    ASSERT_TRUE(picture);
    browser->expandItem(picture, false);
    pf::OutlineView& outline = *browser->outlineView();
    const int row = outline.rowForItem(pf::toVariant(picture));
    ASSERT_GE(row, 0);
    const pf::IndexSet answer = browser->selectionIndexesForProposedSelection(outline, pf::IndexSet(row));
    EXPECT_EQ(recorder.files, QStringList{"picture.png"});
    EXPECT_EQ(answer.firstIndex(), outline.rowForItem(pf::toVariant(picture->parent())));
    browser->setCanSelectFiles(true);
    EXPECT_EQ(browser->selectionIndexesForProposedSelection(outline, pf::IndexSet(row)).firstIndex(), row);
}

TEST_F(FolderBrowserTest, ChangesOnDiskReloadTheChangedRowsAndKeepTheSelectionWhileItExists)
{
    addRoots();
    browser->selectItemWithIdentifier("Folder 1|Inner|Deep");
    Ref<RVFolderInfo> inner = browser->itemWithIdentifier("Folder 1|Inner");
    browser->expandItem(inner, false);

    // Below a root: that node's rows are read again.
    QDir().mkpath(dir.filePath("Folder 1/Inner/Added"));
    ASSERT_TRUE(waitUntil([&] { return browser->outlineView()->rowForItem(pf::toVariant(browser->itemWithIdentifier("Folder 1|Inner|Added"))) >= 0; }));
    EXPECT_EQ(browser->selectedItem()->identifier(), "Folder 1|Inner|Deep");

    // The root itself: reloaded, the delegate told, the vanished selection dropped.
    browser->selectItemWithIdentifier("Folder 1|Inner");
    QDir(dir.filePath("Folder 1/Inner")).removeRecursively();
    ASSERT_TRUE(waitUntil([&] { return recorder.changed.contains("Folder 1"); }));
    EXPECT_FALSE(browser->selectedItem());
}

} // namespace

namespace {

TEST_F(FolderBrowserTest, NameColumnShowsEachNodesNameAndIcon)
{
    addRoots();
    pf::OutlineView& outline = *browser->outlineView();
    outline.resize(300, 400);
    ASSERT_EQ(outline.numberOfRows(), 3);
    pf::Ref<pf::Cell> cell = outline.preparedCellAtColumn(0, 0);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->stringValue(), "Folder 1");
    auto iconCell = std::dynamic_pointer_cast<RVIconTextFieldCell>(cell);
    ASSERT_TRUE(iconCell);
    EXPECT_TRUE(iconCell->textFieldIcon());
    EXPECT_GT(outline.rectOfColumn(0).width(), 100);
    // The row draws its name: dark text on the light row.
    outline.show();
    QCoreApplication::processEvents();
    const QImage shot = outline.grab().toImage();
    const QRect text = outline.frameOfCellAtColumn(0, 1).toRect().adjusted(RVIconTextFieldCell::kTextIndent, 0, 0, 0);
    int dark = 0;
    for (int y = text.top(); y <= text.bottom(); ++y)
        for (int x = text.left(); x <= std::min(text.right(), shot.width() - 1); ++x)
            dark += qGray(shot.pixel(x, y)) < 128;
    EXPECT_GT(dark, 10);
}

} // namespace

namespace {

TEST_F(FolderBrowserTest, ExpandedFoldersAreRememberedByIdentifier)
{
    addRoots();
    pf::OutlineView& outline = *browser->outlineView();
    outline.setAutosaveName("BrowsersTest");
    outline.setAutosaveExpandedItems(true);
    browser->expandItemWithIdentifier("Folder 1|Inner");

    auto again = std::make_shared<RVFolderBrowserController>();
    again->setRootItems({});
    for (const char* name : {"Folder 10", "folder 2", "Folder 1"})
        again->addRootItemWithURL(QUrl::fromLocalFile(dir.filePath(name)));
    again->outlineView()->setAutosaveName("BrowsersTest");
    again->outlineView()->setAutosaveExpandedItems(true);
    EXPECT_TRUE(again->outlineView()->isItemExpanded(pf::toVariant(again->itemWithIdentifier("Folder 1|Inner"))));
    EXPECT_FALSE(again->outlineView()->isItemExpanded(pf::toVariant(again->itemWithIdentifier("folder 2"))));
}

} // namespace
