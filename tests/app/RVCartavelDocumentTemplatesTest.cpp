#include "DocumentTestSupport.h"

#include "app/QuilloryFileMenu.h"
#include "browsers/RVLimitedSavePanel.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Button.h"
#include "platform/ui/MainMenu.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/SavePanel.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"
#include "widgets/RVBasicDialogController.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDateTime>
#include <QFileDialog>
#include <QTimer>

namespace {

using namespace quillory::test;
using pf::Ref;

QString userTemplate(const QString& fileName)
{
    return QDir(RVCartavelDocument::userTemplatesURL().toLocalFile()).filePath(fileName);
}

bool isTemplatePackage(const QString& path)
{
    return QFileInfo(QDir(path).filePath(RVCartavelDocument::kContentEntry)).isFile();
}

class DocumentTemplatesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        documentController();
        document = newDocument();
        ASSERT_TRUE(document);
    }
    void TearDown() override
    {
        pf::PresentationHook::clear();
        pf::UserDefaults::standard().removeObjectForKey(RVCartavelDocument::kDefaultDocumentSavingURLDefault);
        document->close();
        QDir(RVCartavelDocument::userTemplatesURL().toLocalFile()).removeRecursively();
    }
    Ref<RVCartavelDocument> document;
};

TEST_F(DocumentTemplatesTest, SaveAsTemplateCheckBoxPointsTheSavePanelAtTheTemplatesOrTheDocumentsFolder)
{
    QTemporaryDir documents;
    RVCartavelDocument::setDefaultDocumentSaveURL(QUrl::fromLocalFile(documents.path()));
    auto panel = std::make_shared<pf::SavePanel>();
    ASSERT_TRUE(document->prepareSavePanel(*panel));
    ASSERT_TRUE(panel->accessoryView());
    auto* asTemplate = panel->accessoryView()->findChild<QCheckBox*>(QStringLiteral("saveAsTemplate"));
    ASSERT_TRUE(asTemplate);
    EXPECT_FALSE(asTemplate->isChecked());

    asTemplate->setChecked(true);
    EXPECT_EQ(QDir(panel->directoryURL().toLocalFile()), QDir(RVCartavelDocument::userTemplatesURL().toLocalFile()));
    asTemplate->setChecked(false);
    EXPECT_EQ(QDir(panel->directoryURL().toLocalFile()), QDir(documents.path()));

    // Once the panel is gone the check box has nothing to point, and says so by doing nothing.
    panel.reset();
    document->saveTemplateAction(true);
}

TEST_F(DocumentTemplatesTest, NameDialogStartsWithTheDisplayNameNeedsANameAndSavesTheTemplate)
{
    auto* window = new pf::Window;
    auto* ok = new pf::Button(window);
    auto* cancel = new pf::Button(window);
    auto* field = new pf::TextField(window);
    field->setEditable(true);
    auto dialog = std::make_shared<RVBasicDialogController>(window);
    dialog->setOKButton(ok);
    dialog->setCancelButton(cancel);
    dialog->setPrimaryItem(field);
    pf::Window parent;
    parent.show();

    dialog->runModalInParentWindow(&parent, document);
    EXPECT_EQ(field->stringValue(), document->displayName());
    EXPECT_TRUE(ok->isEnabled());
    field->setStringValue(QString());
    dialog->controlTextDidChange(*field);
    EXPECT_FALSE(ok->isEnabled()) << "no template without a name";

    field->setStringValue(QStringLiteral("Site Plan.txt"));
    dialog->controlTextDidChange(*field);
    EXPECT_TRUE(ok->isEnabled());
    dialog->ok();
    EXPECT_TRUE(isTemplatePackage(userTemplate(QStringLiteral("Site Plan.qlry"))));
    EXPECT_TRUE(document->isUntitled());

    // Cancel writes nothing.
    dialog->runModalInParentWindow(&parent, document);
    field->setStringValue(QStringLiteral("Not Wanted"));
    dialog->cancel();
    EXPECT_FALSE(QFileInfo::exists(userTemplate(QStringLiteral("Not Wanted.qlry"))));
    pf::Sheet::endSheet(window, 0);
}

TEST_F(DocumentTemplatesTest, DecliningToReplaceATemplateOpensTheSavePanelOnTheTemplatesFolder)
{
    document->saveTemplateNamed(QStringLiteral("Kept"));
    const QString kept = userTemplate(QStringLiteral("Kept.qlry"));
    ASSERT_TRUE(isTemplatePackage(kept));
    const QDateTime written = QFileInfo(QDir(kept).filePath(RVCartavelDocument::kContentEntry)).lastModified();

    QStringList presented;
    QString panelFolder;
    pf::PresentationHook::set([&](QWidget* shown) {
        if (auto* panel = dynamic_cast<RVLimitedSavePanel*>(pf::WindowController::forWindow(shown))) {
            presented.append(QStringLiteral("panel"));
            panelFolder = panel->currentFolder().toLocalFile();
            panel->cancel();
        } else if (auto* alert = qobject_cast<QDialog*>(shown)) {
            presented.append(QStringLiteral("alert"));
            // The second button is "Cancel".
            const QList<QAbstractButton*> buttons = alert->findChildren<QAbstractButton*>();
            for (QAbstractButton* button : buttons)
                if (button->text().remove(QLatin1Char('&')) == QStringLiteral("Cancel"))
                    QTimer::singleShot(0, button, &QAbstractButton::click);
        }
    });
    document->saveTemplateNamed(QStringLiteral("Kept"));
    ASSERT_TRUE(waitUntil([&] { return presented.size() >= 2; }, 5000)) << presented.join(',').toStdString();
    EXPECT_EQ(presented, (QStringList{QStringLiteral("alert"), QStringLiteral("panel")}));
    EXPECT_EQ(QDir(panelFolder), QDir(RVCartavelDocument::userTemplatesURL().toLocalFile()));
    EXPECT_EQ(QFileInfo(QDir(kept).filePath(RVCartavelDocument::kContentEntry)).lastModified(), written);
}

TEST_F(DocumentTemplatesTest, FileMenuItemSavesACopyAsTemplateThroughThePanel)
{
    Ref<pf::MainMenu> menu = pf::MainMenu::makeStandard();
    QuilloryFileMenu::addDocumentItems(*menu);
    pf::Menu* file = menu->menuWithTitle(QObject::tr("File"));
    ASSERT_TRUE(file);
    pf::MenuItem* item = nullptr;
    for (const Ref<pf::MenuItem>& candidate : file->items())
        if (candidate->action() == QLatin1String(QuilloryFileMenu::kSaveAsTemplateAction))
            item = candidate.get();
    ASSERT_TRUE(item);
    const int exportAt = file->indexOfItemWithTitle(QObject::tr("&Export\u2026"));
    ASSERT_GE(exportAt, 0);
    EXPECT_EQ(file->indexOfItem(item), exportAt + 1);

    pf::PresentationHook::set([](QWidget* shown) {
        if (auto* panel = dynamic_cast<RVLimitedSavePanel*>(pf::WindowController::forWindow(shown))) {
            EXPECT_EQ(QDir(panel->rootFolder().toLocalFile()), QDir(RVCartavelDocument::userTemplatesURL().toLocalFile()));
            panel->setNameFieldStringValue(QStringLiteral("From Menu"));
            panel->saveButtonAction({});
        }
    });
    item->setTarget(document.get());
    EXPECT_TRUE(item->performAction());
    EXPECT_TRUE(waitUntil([] { return isTemplatePackage(userTemplate(QStringLiteral("From Menu.qlry"))); }, 5000));
    EXPECT_TRUE(document->isUntitled());
}

} // namespace
