#include "platform/foundation/FileManager.h"
#include "platform/ui/OpenPanel.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/SavePanel.h"
#include "platform/ui/Sheet.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QKeyEvent>
#include <QTemporaryDir>

namespace {

using pf::OpenPanel;
using pf::PresentationHook;
using pf::SavePanel;

struct WindowsPanelTest : ::testing::Test {
    QTemporaryDir folder;
    void TearDown() override { PresentationHook::clear(); }

    QString touch(const QString& name)
    {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return file.fileName();
    }

    // Types `name` into the dialog's name field and confirms, as a person would.
    static void typeAndConfirm(const QString& name)
    {
        PresentationHook::set([name](QWidget* widget) {
            auto* dialog = qobject_cast<QFileDialog*>(widget);
            ASSERT_NE(dialog, nullptr);
            auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(field, nullptr);
            field->setText(name);
            static_cast<QDialog*>(dialog)->accept();
            if (dialog->isVisible())
                dialog->reject(); // refused: give up so the run ends
        });
    }
};

TEST_F(WindowsPanelTest, WindowsPanelSaveSettlesTheExtension)
{
    struct Case {
        const char* typed;
        bool allowsOther;
        const char* expected;
    };
    const Case cases[] = {
        {"drawing", false, "drawing.qdraw"},
        {"drawing.qdraw", false, "drawing.qdraw"},
        {"drawing.svg", false, "drawing.svg.qdraw"},
        {"drawing.svg", true, "drawing.svg"},
    };
    for (const Case& c : cases) {
        auto panel = std::make_shared<SavePanel>();
        panel->setAllowedFileTypes({QStringLiteral(".qdraw")});
        panel->setAllowsOtherFileTypes(c.allowsOther);
        panel->setDirectoryURL(QUrl::fromLocalFile(folder.path()));
        typeAndConfirm(QString::fromLatin1(c.typed));
        ASSERT_EQ(panel->runModal(), pf::kModalResponseOK) << c.typed;
        EXPECT_EQ(panel->URL().toLocalFile(), folder.filePath(QString::fromLatin1(c.expected))) << c.typed;
    }
}

TEST_F(WindowsPanelTest, WindowsPanelSaveNameFieldAndAccessory)
{
    SavePanel panel;
    panel.setNameFieldLabel(QStringLiteral("Export As:"));
    panel.setAllowedFileTypes({QStringLiteral("png")});
    panel.setExtensionHidden(true);
    panel.setNameFieldStringValue(QStringLiteral("Slice.png"));
    EXPECT_EQ(panel.nameFieldLabel(), QStringLiteral("Export As:"));
    EXPECT_EQ(panel.nameFieldStringValue(), QStringLiteral("Slice"));
    panel.setExtensionHidden(false);
    EXPECT_EQ(panel.nameFieldStringValue(), QStringLiteral("Slice"));

    panel.setMessage(QStringLiteral("Choose where to export the slices."));
    QCheckBox accessory(QStringLiteral("Save as template"));
    panel.setAccessoryView(&accessory);
    EXPECT_TRUE(panel.dialog()->isAncestorOf(&accessory));
    bool sawMessage = false;
    for (QLabel* label : panel.dialog()->findChildren<QLabel*>())
        sawMessage = sawMessage || label->text() == panel.message();
    EXPECT_TRUE(sawMessage);

    // The folder can change while the panel is up; the typed name stays.
    PresentationHook::set([&](QWidget*) {
        panel.dialog()->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("Logo"));
        panel.setDirectoryURL(QUrl::fromLocalFile(folder.path()));
        EXPECT_EQ(panel.nameFieldStringValue(), QStringLiteral("Logo"));
        static_cast<QDialog*>(panel.dialog())->accept();
    });
    ASSERT_EQ(panel.runModal(), pf::kModalResponseOK);
    EXPECT_EQ(panel.URL().toLocalFile(), folder.filePath(QStringLiteral("Logo.png")));
}

// A document keeps one accessory view and hands it to each save panel it makes.
TEST_F(WindowsPanelTest, WindowsPanelAccessoryViewStaysWithItsOwner)
{
    // Owned here; deleted at the end only if no panel deleted it.
    QPointer<QCheckBox> accessory = new QCheckBox(QStringLiteral("Save as template"));
    const auto cleanup = qScopeGuard([&] { delete accessory.data(); });
    auto runShowing = [&](SavePanel& panel) {
        bool shown = false;
        PresentationHook::set([&](QWidget* dialog) {
            shown = dialog->isAncestorOf(accessory) && accessory->isVisibleTo(dialog);
            static_cast<QDialog*>(dialog)->reject();
        });
        panel.runModal();
        return shown;
    };

    {
        SavePanel unused;
        unused.setAccessoryView(accessory);
    }
    ASSERT_TRUE(accessory) << "a panel that goes holding it gives it back";
    EXPECT_EQ(accessory->parentWidget(), nullptr);
    {
        SavePanel first;
        first.setAccessoryView(accessory);
        EXPECT_TRUE(runShowing(first));
        ASSERT_TRUE(accessory) << "the run's end must not delete it";
        EXPECT_EQ(accessory->parentWidget(), nullptr) << "given back when the run ends";
        EXPECT_TRUE(runShowing(first)) << "a second run shows it again";
        EXPECT_EQ(first.accessoryView(), accessory.data());
    }
    ASSERT_TRUE(accessory) << "the panel's end must not delete it";

    SavePanel second;
    second.setAccessoryView(accessory);
    EXPECT_TRUE(runShowing(second));
    {
        // Borrowed by a panel that goes while another holds it: the holder keeps it.
        SavePanel third;
        third.setAccessoryView(accessory);
        second.setAccessoryView(accessory);
        EXPECT_TRUE(second.dialog()->isAncestorOf(accessory));
    }
    EXPECT_TRUE(second.dialog()->isAncestorOf(accessory));
    QCheckBox other(QStringLiteral("Other"));
    second.setAccessoryView(&other);
    ASSERT_TRUE(accessory) << "replacing it must not delete it";
    EXPECT_EQ(accessory->parentWidget(), nullptr);
    EXPECT_TRUE(second.dialog()->isAncestorOf(&other));
    second.setAccessoryView(nullptr);
    EXPECT_EQ(other.parentWidget(), nullptr);
}

TEST_F(WindowsPanelTest, WindowsPanelOpenTakesOnlyAllowedTypes)
{
    touch(QStringLiteral("a.svg"));
    touch(QStringLiteral("b.svg"));
    touch(QStringLiteral("notes.txt"));
    OpenPanel panel;
    panel.setAllowedFileTypes({QStringLiteral("svg")});
    panel.setAllowsMultipleSelection(true);
    panel.setDirectoryURL(QUrl::fromLocalFile(folder.path()));

    typeAndConfirm(QStringLiteral("\"a.svg\" \"b.svg\""));
    ASSERT_EQ(panel.runModal(), pf::kModalResponseOK);
    QStringList chosen;
    for (const QUrl& url : panel.URLs())
        chosen << QFileInfo(url.toLocalFile()).fileName();
    chosen.sort();
    EXPECT_EQ(chosen, QStringList({"a.svg", "b.svg"}));

    // A typed name of another type is refused; the panel stays up until cancelled.
    typeAndConfirm(QStringLiteral("notes.txt"));
    EXPECT_EQ(panel.runModal(), pf::kModalResponseCancel);
    EXPECT_TRUE(panel.URLs().isEmpty());
}

TEST_F(WindowsPanelTest, WindowsPanelOpenChoosesPackagesAndFolders)
{
    pf::FileManager::registerPackageExtension(QStringLiteral("symlibrary"));
    QDir(folder.path()).mkpath(QStringLiteral("Shapes.symlibrary/Contents"));
    QDir(folder.path()).mkpath(QStringLiteral("Plain"));

    OpenPanel files;
    files.setAllowedFileTypes({QStringLiteral("symlibrary")});
    files.setDirectoryURL(QUrl::fromLocalFile(folder.path()));
    typeAndConfirm(QStringLiteral("Shapes.symlibrary"));
    ASSERT_EQ(files.runModal(), pf::kModalResponseOK);
    EXPECT_EQ(files.URL().toLocalFile(), folder.filePath(QStringLiteral("Shapes.symlibrary")));

    // Entering a package steps back out and selects it.
    files.dialog()->setDirectory(folder.filePath(QStringLiteral("Shapes.symlibrary")));
    emit files.dialog()->directoryEntered(folder.filePath(QStringLiteral("Shapes.symlibrary")));
    EXPECT_EQ(QDir(files.dialog()->directory()).absolutePath(), QDir(folder.path()).absolutePath());

    OpenPanel folders;
    folders.setCanChooseFiles(false);
    folders.setCanChooseDirectories(true);
    folders.setDirectoryURL(QUrl::fromLocalFile(folder.path()));
    typeAndConfirm(QStringLiteral("Plain"));
    ASSERT_EQ(folders.runModal(), pf::kModalResponseOK);
    EXPECT_EQ(folders.URL().toLocalFile(), folder.filePath(QStringLiteral("Plain")));
}

TEST_F(WindowsPanelTest, WindowsPanelAsSheetCompletesWithTheResult)
{
    QWidget window;
    window.resize(600, 400);
    window.show();
    touch(QStringLiteral("art.svg"));
    auto panel = std::make_shared<OpenPanel>();
    panel->setDirectoryURL(QUrl::fromLocalFile(folder.path()));
    int result = -99;
    QUrl chosen;
    panel->beginSheetModal(&window, [&](int code) {
        result = code;
        chosen = panel->URL();
    });
    ASSERT_EQ(pf::Sheet::attachedSheet(&window), panel->dialog());
    panel->dialog()->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("art.svg"));
    static_cast<QDialog*>(panel->dialog())->accept();
    EXPECT_EQ(result, pf::kModalResponseOK);
    EXPECT_EQ(chosen.toLocalFile(), folder.filePath(QStringLiteral("art.svg")));

    panel->beginSheetModal(&window, [&](int code) { result = code; });
    panel->dialog()->reject();
    EXPECT_EQ(result, pf::kModalResponseCancel);
    EXPECT_TRUE(panel->URL().isEmpty());
}

// A document keeps its save panel alive only through the completion it hands the sheet, so
// the panel ends while the name field is still handling the Return key that chose the name:
// the field must outlive that key press.
TEST_F(WindowsPanelTest, WindowsPanelHeldOnlyByItsCompletionOutlivesTheReturnKey)
{
    QWidget window;
    window.resize(600, 400);
    window.show();
    QUrl chosen;
    QPointer<QWidget> dialog;
    {
        auto panel = std::make_shared<SavePanel>();
        panel->setDirectoryURL(QUrl::fromLocalFile(folder.path()));
        panel->beginSheetModal(&window, [panel, &chosen](int) { chosen = panel->URL(); });
        dialog = panel->dialog();
    }
    ASSERT_TRUE(dialog);
    auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(field, nullptr);
    field->setText(QStringLiteral("picture.svg"));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(field, &press);
    EXPECT_EQ(chosen.toLocalFile(), folder.filePath(QStringLiteral("picture.svg")));
    EXPECT_TRUE(quillory::test::waitUntil([&] { return dialog.isNull(); }, 2000)) << "the panel's dialog is never deleted";
}

} // namespace

TEST_F(WindowsPanelTest, WindowsPanelOpensWhereTheUserLastChoseNotInTheWorkingFolder)
{
    // The program may be started from any folder; a panel never opens there by chance.
    QTemporaryDir started;
    const QString before = QDir::currentPath();
    QDir::setCurrent(started.path());
    const auto restore = qScopeGuard([&] { QDir::setCurrent(before); });
    EXPECT_NE(std::make_shared<SavePanel>()->directoryURL().toLocalFile(), started.path());

    auto panel = std::make_shared<SavePanel>();
    panel->setDirectoryURL(QUrl::fromLocalFile(folder.path()));
    typeAndConfirm(QStringLiteral("chosen"));
    ASSERT_EQ(panel->runModal(), pf::kModalResponseOK);
    EXPECT_EQ(std::make_shared<SavePanel>()->directoryURL().toLocalFile(), QFileInfo(folder.path()).absoluteFilePath());
}
