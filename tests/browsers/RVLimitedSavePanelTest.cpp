#include "browsers/RVLimitedSavePanel.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/FileManager.h"
#include "platform/ui/PresentationHook.h"
#include "tests/browsers/BrowsersTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using pf::Ref;
using namespace quillory::test;

class Ender : public RVLimitedSavePanelDelegate {
public:
    void savePanelDidEnd(RVLimitedSavePanel& panel, int code) override
    {
        codes.append(code);
        urls.append(panel.URL());
    }
    QList<int> codes;
    QList<QUrl> urls;
};

class LimitedSavePanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pf::FileManager::registerPackageExtension("qlry");
        QDir().mkpath(dir.filePath("Root/A/B"));
        QDir().mkpath(dir.filePath("Outside"));
        link(dir.filePath("Outside"), dir.filePath("Root/Out"));
        link(dir.filePath("Root/A"), dir.filePath("Root/In"));
        root = QFileInfo(dir.filePath("Root")).canonicalFilePath();
        panel = RVLimitedSavePanel::limitedSavePanel();
        panel->setRootFolder(QUrl::fromLocalFile(dir.filePath("Root")));
        panel->setAllowedFileTypes({"qlry"});
    }
    void TearDown() override
    {
        pf::PresentationHook::clear();
        // A panel still running holds itself and stays up, application-modal, over whatever
        // runs next in this process.
        panel->cancel();
    }
    QString current() const { return panel->currentFolder().toLocalFile(); }
    void run() { panel->runModalForWindow(nullptr, &ender); }

    QTemporaryDir dir;
    QString root;
    Ref<RVLimitedSavePanel> panel;
    Ender ender;
};

TEST_F(LimitedSavePanelTest, TheCurrentFolderNeverLeavesTheRoot)
{
    const struct {
        const char* asked;
        const char* shown;
    } cases[] = {
        {"Root/A/B", "/A/B"},
        {"Root/In", "/A"},  // a link inside the root, resolved
        {"Root/Out", ""},   // a link leading out
        {"Root/A/../..", ""},
        {"Root/../Outside", ""},
        {"Nowhere", ""},
    };
    for (const auto& entry : cases) {
        panel->setCurrentFolder(QUrl::fromLocalFile(dir.filePath(entry.asked)));
        EXPECT_EQ(current(), root + entry.shown) << entry.asked;
    }
    panel->setCurrentFolder(QUrl::fromLocalFile("/"));
    EXPECT_EQ(current(), root);
}

TEST_F(LimitedSavePanelTest, NamesTakeTheFirstAllowedExtensionAndBlankNamesAreRefused)
{
    const struct {
        const char* typed;
        const char* saved; // empty: the save button is disabled
    } cases[] = {
        {"Map", "Map.qlry"}, {"Map.qlry ", "Map.qlry"}, {"Map.txt", ""}, {"", ""}, {"   ", ""},
        {".", ""},           {"..", ""},                {"...", ""},     {"a/b:c", "abc.qlry"},
    };
    for (const auto& entry : cases) {
        panel->setNameFieldStringValue(entry.typed);
        EXPECT_EQ(panel->destinationName(), entry.saved) << entry.typed;
        EXPECT_EQ(panel->saveButton()->isEnabled(), QString(entry.saved) != "") << entry.typed;
    }
    panel->setNameFieldStringValue("a/b:c");
    EXPECT_EQ(panel->fileNameField()->text(), "abc") << "slashes and colons are taken out as they are typed";

    run();
    panel->setNameFieldStringValue("Map");
    panel->saveButtonAction({});
    ASSERT_EQ(ender.codes, QList<int>{1});
    EXPECT_EQ(ender.urls.first().toLocalFile(), root + "/Map.qlry");
}

TEST_F(LimitedSavePanelTest, ThePopUpListsTheFoldersUpToTheRootAndOpensThem)
{
    panel->setCurrentFolder(QUrl::fromLocalFile(root + "/A/B"));
    QComboBox* popUp = panel->parentPopUp();
    ASSERT_EQ(popUp->count(), 3);
    EXPECT_EQ(popUp->itemText(0).trimmed(), "B");
    EXPECT_EQ(popUp->itemText(2).trimmed(), QFileInfo(root).fileName());
    panel->parentPopUpAction(2);
    EXPECT_EQ(current(), root);
    EXPECT_EQ(panel->parentPopUp()->count(), 1) << "nothing above the root";
}

TEST_F(LimitedSavePanelTest, FolderRowsOpenAndFileRowsGiveTheirNames)
{
    touch(root + "/Plan.qlry/VN_Content.drawing");
    panel->setCurrentFolder(QUrl::fromLocalFile(root));
    RVFolderBrowserController* browser = panel->browserController();
    browser->selectItemWithIdentifier(QFileInfo(root).fileName() + "|A");
    EXPECT_EQ(panel->saveButton()->text(), "Open");
    panel->saveButtonAction({});
    EXPECT_EQ(current(), root + "/A");
    EXPECT_EQ(panel->saveButton()->text(), "Save");

    panel->setCurrentFolder(QUrl::fromLocalFile(root));
    Ref<RVFolderInfo> plan = browser->itemWithURL(QUrl::fromLocalFile(root + "/Plan.qlry"));
    ASSERT_TRUE(plan && plan->isFile());
    pf::OutlineView& outline = *browser->outlineView();
    browser->selectionIndexesForProposedSelection(outline, pf::IndexSet(outline.rowForItem(pf::toVariant(plan))));
    EXPECT_EQ(panel->fileNameField()->text(), "Plan.qlry");
}

TEST_F(LimitedSavePanelTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysSoAndAFolderNever)
{
    touch(root + "/Plan.qlry/VN_Content.drawing");
    run();
    QStringList seen;
    answerAlerts(&seen, "Cancel");
    panel->setNameFieldStringValue("Plan");
    panel->saveButtonAction({});
    ASSERT_TRUE(waitUntil([&] { return !seen.isEmpty(); }));
    EXPECT_TRUE(seen.first().startsWith("\u201cPlan.qlry\u201d already exists. Do you want to replace it?|"));
    EXPECT_TRUE(seen.first().contains("\u201c" + QFileInfo(root).fileName() + "\u201d"));
    ASSERT_TRUE(waitUntil([&] { return panel->fileNameField()->text().isEmpty(); })) << "cancelling empties the name";
    EXPECT_TRUE(ender.codes.isEmpty());

    answerAlerts(&seen, "Replace");
    panel->setNameFieldStringValue("Plan");
    panel->saveButtonAction({});
    ASSERT_TRUE(waitUntil([&] { return !ender.codes.isEmpty(); }));
    EXPECT_EQ(ender.codes.first(), 1);

    // A plain folder of that name is never replaced.
    QDir().mkpath(root + "/Notes.txt");
    panel->setAllowedFileTypes({"txt"});
    run();
    seen.clear();
    answerAlerts(&seen, "OK");
    panel->setNameFieldStringValue("Notes");
    EXPECT_FALSE(panel->validateSave());
    ASSERT_TRUE(waitUntil([&] { return !seen.isEmpty(); }));
    EXPECT_TRUE(seen.first().contains("is a folder"));
    EXPECT_EQ(ender.codes.size(), 1);
}

TEST_F(LimitedSavePanelTest, NewFoldersNeedAFreeName)
{
    panel->setCurrentFolder(QUrl::fromLocalFile(root + "/A"));
    panel->window()->show();
    panel->createNewFolder();
    EXPECT_FALSE(panel->folderDialogCreateButton()->isEnabled());
    EXPECT_FALSE(panel->verifyFolderName("B"));
    EXPECT_FALSE(panel->folderNameInUseField()->isHidden()) << "a taken name shows the warning";
    EXPECT_FALSE(panel->verifyFolderName(".."));
    EXPECT_TRUE(panel->verifyFolderName("C"));
    EXPECT_TRUE(panel->folderNameInUseField()->isHidden());
    panel->folderNameField()->setText("C");
    panel->folderDialogCreateAction({});
    EXPECT_TRUE(QFileInfo(root + "/A/C").isDir());
    EXPECT_EQ(current(), root + "/A/C");
}

} // namespace
