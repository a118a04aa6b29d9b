#include "app/CVLDearchivingHelper.h"
#include "app/CVLTemplatePickerController.h"
#include "app/VNQLTemplateDocumentOpener.h"
#include "app/QuilloryDocumentMenus.h"
#include "app/QuilloryFileMenu.h"
#include "app/QuillorySidebarMenu.h"
#include "app/RVCartavelDocument.h"
#include "drawing/PWXSymbolManager.h"
#include "drawing/PWXSymbolMaster.h"
#include "drawing/PWXSymbolTool.h"
#include "drawing/VNQLDrawingExtensions.h"
#include "drawing/VNQLDrawingTools.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "inspectors/CVLToolsController.h"
#include "frameworks/penwork/registries/PWRegistryProvider.h"
#include "frameworks/penwork/registries/PWStyleRegistry.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryManagerWindowController.h"
#include "library/PWXLibraryRegistryShim.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "app/CartavelDocumentController.h"
#include "platform/ui/MainMenu.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/WindowController.h"
#include "styleeditor/RVDashEditor.h"

#include <QApplication>
#include <QMainWindow>

namespace {

// Makes the document controller before anything can ask for one, so that it is the shared
// one, and keeps a main window up so the menu bar is always there. Hands the framework the
// item library as its style registry and symbol manager.
class QuilloryApplicationDelegate : public pf::ApplicationDelegate, public PWRegistryProvider {
    PF_CLASS(QuilloryApplicationDelegate)
public:
    pf::Ref<PWStyleRegistry> applicationWillReturnStyleRegistry() override { return PWXLibraryRegistryShim::shim(); }
    pf::Ref<PWStyleRegistry> applicationWillReturnSymbolManager() override { return PWXLibraryRegistryShim::shim(); }

    void applicationWillFinishLaunching(const pf::Notification&) override
    {
        m_documents = std::make_shared<CartavelDocumentController>();
        RVCartavelDocument::registerDocumentTypes(*m_documents);
        PWDrawing::setDearchivingHelperClass(CVLDearchivingHelper::staticClass().name());
        VNQLDrawingExtensions::install();
        PWStyleRegistry::installFromApplicationDelegate();
        PWXLibrary::initializeRegistry();
        // The user's saved dash patterns (a missing file leaves the list as it is).
        RVDashEditor::restoreSavedDashes();
        VNQLDrawingTools::registerTools();
        PWDrawingTool::registerDrawingTool(std::make_shared<PWXSymbolTool>(PWXSymbolMaster::defaultSymbolMaster()),
                                           PWXSymbolTool::kToolName);
    }

    void applicationDidFinishLaunching(const pf::Notification&) override
    {
        // The palette as the user left it; shown on the very first launch.
        const bool firstLaunch = !pf::UserDefaults::standard().objectForKey(kQLRYToolsControllerVisible).isValid();
        CVLToolsController::restoreToolsControllerState();
        if (firstLaunch)
            CVLToolsController::sharedToolsController()->showWindow({});
        if (!m_documents->documents().isEmpty())
            return;
        if (CVLTemplatePickerController::shouldDisplayTemplatePickerAtLaunch()) {
            try {
                VNQLTemplateDocumentOpener::shared().newDocumentFromTemplate();
            } catch (const std::exception& error) {
                qWarning("an exception occurred trying to show the template browser at launch: %s", error.what());
            }
        }
        auto* window = new QMainWindow;
        window->setWindowTitle(QCoreApplication::applicationName());
        window->resize(800, 600);
        m_mainWindow = std::make_shared<pf::WindowController>(window);
        m_mainWindow->showWindow({});
    }

    // The template picker, when it shows at launch, stands in for the untitled document.
    bool applicationShouldOpenUntitledFile(pf::Application&) override
    {
        return !CVLTemplatePickerController::shouldDisplayTemplatePickerAtLaunch();
    }

    void applicationWillTerminate(const pf::Notification&) override
    {
        PWXSymbolManager::saveDefaults();
        CVLToolsController::saveToolsControllerState();
        RVDashEditor::writeSavedDashes();
    }

private:
    pf::Ref<pf::DocumentController> m_documents;
    pf::Ref<pf::WindowController> m_mainWindow;
};

} // namespace

PF_DEFINE_CLASS(QuilloryApplicationDelegate, pf::ApplicationDelegate)
{
    b.method("showLibraryManager:", [](QuilloryApplicationDelegate&, const QVariantList& args) {
        PWXLibraryManagerWindowController::sharedLibraryManager()->showWindow(args.value(0));
        return QVariant();
    });
    b.method("newDocumentFromTemplate:", [](QuilloryApplicationDelegate&, const QVariantList&) {
        VNQLTemplateDocumentOpener::shared().newDocumentFromTemplate();
        return QVariant();
    });
    b.method("validateMenuItem:", [](QuilloryApplicationDelegate&, const QVariantList& args) {
        pf::Ref<pf::MenuItem> item = pf::objectCast<pf::MenuItem>(args.value(0));
        if (item && item->action() == QStringLiteral("newDocumentFromTemplate:"))
            return QVariant(RVCartavelDocument::hasTemplatesAvailable());
        return QVariant(true);
    });
}

int main(int argc, char* argv[])
{
    return pf::Application::run(argc, argv, {}, [](pf::Application& application) {
        QApplication::setApplicationName(QStringLiteral("Quillory"));
        QApplication::setOrganizationDomain(QStringLiteral("quillory.org"));
        pf::Ref<pf::MainMenu> menu = pf::MainMenu::makeStandard();
        QuilloryFileMenu::addDocumentItems(*menu);
        QuilloryDocumentMenus::addDocumentMenus(*menu);
        QuillorySidebarMenu::addSidebarItems(*menu);
        if (pf::Menu* window = menu->menuWithTitle(QObject::tr("Window"))) {
            window->addItem(pf::MenuItem::separator());
            window->addItem(pf::MenuItem::make(QObject::tr("&Library"), QStringLiteral("showLibraryManager:")));
        }
        application.setMainMenu(menu);
        application.setDelegate(std::make_shared<QuilloryApplicationDelegate>());
        // Closing the last window quits the way Quit does: edited documents are asked about.
        QGuiApplication::setQuitOnLastWindowClosed(false);
        QObject::connect(qApp, &QGuiApplication::lastWindowClosed, qApp, [&application] { application.terminate({}); });
    });
}
