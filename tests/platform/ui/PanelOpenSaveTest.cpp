#include "platform/foundation/FileManager.h"
#include "platform/ui/OpenPanel.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/SavePanel.h"
#include "platform/ui/Sheet.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
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
    auto* accessory = new QCheckBox(QStringLiteral("Save as template"));
    panel.setAccessoryView(accessory);
    EXPECT_TRUE(panel.dialog()->isAncestorOf(accessory));
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

} // namespace
