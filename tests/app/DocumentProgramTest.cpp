#include "DocumentTestSupport.h"

#include "app/VNQLDrawingWindowController.h"
#include "app/VNQLExportController.h"
#include "app/VNQLExportOperation.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/Workspace.h"

#include <QMainWindow>

namespace {

using namespace quillory::test;

// New, Save, Open and Export as the menu items run them, on the offscreen platform.
TEST(DocumentProgram, NewSaveOpenAndExportThroughTheActions)
{
    pf::DocumentController& controller = documentController();
    pf::PresentationHook::set([](QWidget* dialog) { dialog->close(); });
    const int before = int(controller.documents().size());
    controller.newDocument({});
    ASSERT_EQ(int(controller.documents().size()), before + 1);
    auto document = std::dynamic_pointer_cast<RVCartavelDocument>(controller.documents().last());
    ASSERT_TRUE(document);
    ASSERT_EQ(document->windowControllers().size(), 1);
    auto* windowController = dynamic_cast<VNQLDrawingWindowController*>(document->windowControllers().first().get());
    ASSERT_TRUE(windowController);
    auto* window = qobject_cast<QMainWindow*>(windowController->window());
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(windowController->drawingView());
    EXPECT_EQ(windowController->drawingView()->drawing(), document->drawing());

    QTemporaryDir folder;
    const QString file = QDir(folder.path()).filePath(QStringLiteral("From the menu.qlry"));
    ASSERT_TRUE(saveDocument(*document, file));
    EXPECT_EQ(window->windowTitle().remove(QStringLiteral("[*]")), QStringLiteral("From the menu"));

    pf::Ref<VNQLExportOperation> operation = document->exportOperationForExport();
    operation->setFolderURL(QUrl::fromLocalFile(folder.path()));
    operation->setShowInFinder(false);
    document->exportAction({}); // File > Export... shows the sheet; Export writes
    ASSERT_TRUE(document->exportController());
    document->exportController()->exportAction();
    // Named after the saved document.
    EXPECT_TRUE(QFileInfo(QDir(folder.path()).filePath(QStringLiteral("From the menu.png"))).isFile())
        << qPrintable(QDir(folder.path()).entryList().join(u' '));

    document->close();
    pf::Ref<RVCartavelDocument> reopened = openDocument(file);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->fileURL(), QUrl::fromLocalFile(file));
    reopened->close();
    pf::PresentationHook::clear();
}

} // namespace
