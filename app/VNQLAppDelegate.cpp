#include "app/VNQLAppDelegate.h"

#include "app/CVLDearchivingHelper.h"
#include "app/CartavelDocumentController.h"
#include "app/QuilloryDocumentMenus.h"
#include "app/QuilloryFileMenu.h"
#include "app/QuillorySidebarMenu.h"
#include "app/RVCartavelDocument.h"
#include "app/QLRYVideoSplashController.h"
#include "app/VNQLApplication.h"
#include "app/VNQLApplicationMigrator.h"
#include "drawing/PWXPathCuttingTool.h"
#include "drawing/PWXStylePickUpTool.h"
#include "drawing/PWXSymbolMaster.h"
#include "drawing/PWXSymbolTool.h"
#include "drawing/VNQLDrawingExtensions.h"
#include "drawing/VNQLPWDrawableNameProvider.h"
#include "frameworks/feedback/DMFeedbackController.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWLayer.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/registries/PWStyleHistory.h"
#include "frameworks/penwork/registries/PWStyleRegistry.h"
#include "frameworks/penwork/styles/PWStrokeDash.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/svg/PWSVGPreview.h"
#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "frameworks/penwork/tools/PWToolController.h"
#include "frameworks/penwork/tools/PWToolRegistry.h"
#include "frameworks/penwork/tools/PWZoomTool.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "inspectors/CVLToolsController.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryManagerWindowController.h"
#include "library/PWXLibraryPickerPaletteController.h"
#include "library/PWXLibraryRegistryShim.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/ColorList.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/ColorPanel.h"
#include "platform/ui/Event.h"
#include "platform/ui/MainMenu.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/WindowController.h"
#include "platform/ui/Workspace.h"
#include "widgets/FileManager+FindFolder.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <cstdlib>
#include <ctime>

namespace {

QString supportFolderPath()
{
    return thisApplicationsSupportFolderURL().toLocalFile();
}

QString supportFilePath(const QString& name)
{
    const QString folder = supportFolderPath();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(name);
}

// One start-up step: what it throws is logged and launching goes on.
void guardedStep(const char* what, const std::function<void()>& step)
{
    try {
        step();
    } catch (const std::exception& error) {
        RVLog(kInfoEvent, QStringLiteral("start-up step '%1' failed: %2").arg(QLatin1String(what), QString::fromLocal8Bit(error.what())));
    } catch (...) {
        RVLog(kInfoEvent, QStringLiteral("start-up step '%1' failed").arg(QLatin1String(what)));
    }
}

std::function<void(const QString&)>& fatalFailureHandler()
{
    static std::function<void(const QString&)> handler;
    return handler;
}

} // namespace

PF_DEFINE_CLASS(VNQLAppDelegate, pf::ApplicationDelegate)
{
    using D = VNQLAppDelegate;
    b.method("showLibraryManager:", &D::showLibraryManager);
    b.method("showStyleManagerDialog:", &D::showLibraryManager);
    b.method("cartavelAboutBox:", &D::cartavelAboutBox);
    b.method("showToolPalette:", &D::showToolPalette);
    b.method("showToolOptionsPalette:", &D::showToolOptionsPalette);
    b.method("showMediaBrowser:", &D::showMediaBrowser);
    b.method("showUserFeedbackDialog:", [](D&, const QVariantList& args) {
        DMFeedbackController::sharedController()->showFeedbackDialog(args.value(0), 0);
        return QVariant();
    });
    // The media browser's "New Document With Image" and "... With SVG File".
    b.method("createDocumentWithImageAtURL:", [](D& self, const QVariantList& args) {
        self.createDocumentWithImageAtURL(args.value(0).toUrl());
        return QVariant();
    });
    b.method("createDocumentWithSVGAtURL:", [](D& self, const QVariantList& args) {
        self.createDocumentWithSVGAtURL(args.value(0).toUrl());
        return QVariant();
    });
    // Asked by the launch steps of the help and welcome windows: this delegate runs them.
    b.method("willDisplayWelcomeVideoAtLaunch", [](D& self, const QVariantList&) {
        return QVariant(self.willDisplayWelcomeVideoAtLaunch());
    });
    b.method("confirmAndDiscardApplicationPreferences", [](D& self, const QVariantList&) {
        return QVariant(self.confirmAndDiscardApplicationPreferences());
    });
    b.method("showHelpItemNamed:", [](D& self, const QVariantList& args) {
        self.showHelpItemNamed(args.value(0).toString());
        return QVariant();
    });
    b.method("resetPreferences:", &D::resetPreferences);
    b.method("shutdownMessage:", &D::shutdownMessage);
    b.method("newDocumentFromTemplate:", &D::newDocumentFromTemplate);
    b.method("showHelpItemWithTitleOfSender:", [](D& self, const QVariantList& args) {
        auto* item = dynamic_cast<pf::MenuItem*>(pf::objectFromVariant(args.value(0)).get());
        if (item)
            self.showHelpItemNamed(item->title().remove(QLatin1Char('&')));
        return QVariant();
    });
    b.method("openURLItemWithTagOfSender:", [](D& self, const QVariantList& args) {
        auto* item = dynamic_cast<pf::MenuItem*>(pf::objectFromVariant(args.value(0)).get());
        self.openURLItemWithIdentifier(item ? item->tag() : 0);
        return QVariant();
    });
    b.method("currentDocumentWillBeDeallocated", [](D& self, const QVariantList&) {
        self.currentDocumentWillBeDeallocated();
        return QVariant();
    });
    b.method("validateMenuItem:", [](D& self, const QVariantList& args) {
        auto* item = dynamic_cast<pf::MenuItem*>(pf::objectFromVariant(args.value(0)).get());
        return QVariant(item ? self.validateMenuItem(*item) : false);
    });
    b.method("debug_makeFactoryLibrariesWritableAction:", [](D&, const QVariantList&) {
        PWXLibrary::setFactoryLibrariesWritable(true);
        return QVariant();
    });
    b.method("debug_logPenworkVersion:", [](D&, const QVariantList&) {
        const QString path = QCoreApplication::applicationFilePath();
        RVLog(kInfoEvent, QStringLiteral("Penwork Version: %1\nLoad Path: \"%2\"")
                              .arg(PWDrawing::penworkVersionString(), path.isEmpty() ? QStringLiteral("not found") : path));
        return QVariant();
    });
    b.method("debug_testMisc:", [](D&, const QVariantList&) { return QVariant(); });
    // Kept for menus and palettes that send them; the sidebars took their place.
    for (const char* nothing : {"showStyleInspector:", "showObjectInspector:", "showObjectInspectorAndSelectAttributes:",
                                "showObjectInspectorAndSelectFeatures:", "manageSymbolsAction:", "symbolLibraryAvailable:"})
        b.method(QString::fromLatin1(nothing), [](D&, const QVariantList&) { return QVariant(); });
}

VNQLAppDelegate::VNQLAppDelegate() = default;

VNQLAppDelegate::~VNQLAppDelegate()
{
    pf::NotificationCenter::defaultCenter().removeObserver(this);
}

// --- The main menu ---------------------------------------------------------------------------

void VNQLAppDelegate::setFatalFailureHandlerForTesting(std::function<void(const QString&)> handler)
{
    fatalFailureHandler() = std::move(handler);
}

bool VNQLAppDelegate::isUserDebugModeFlags(unsigned modifierFlags)
{
    const unsigned held = modifierFlags & (pf::ShiftKeyMask | pf::ControlKeyMask | pf::AlternateKeyMask
                                           | pf::CommandKeyMask | pf::AlphaShiftKeyMask | pf::FunctionKeyMask);
    return held == (pf::ShiftKeyMask | pf::AlternateKeyMask);
}

bool VNQLAppDelegate::isUserDebugMode()
{
    return isUserDebugModeFlags(pf::Application::currentModifierFlags());
}

void VNQLAppDelegate::relaunch()
{
    pf::Error error;
    if (!pf::Application::shared()->relaunch({}, &error))
        RVLog(kInfoEvent, QStringLiteral("The app could not be relaunched. Error = $%1").arg(error.description()));
}

// --- Launching ---------------------------------------------------------------------------------

pf::Ref<PWStyleRegistry> VNQLAppDelegate::applicationWillReturnStyleRegistry()
{
    return PWXLibraryRegistryShim::shim();
}

pf::Ref<PWStyleRegistry> VNQLAppDelegate::applicationWillReturnSymbolManager()
{
    return PWXLibraryRegistryShim::shim();
}

void VNQLAppDelegate::registerApplicationDefaults()
{
    const QString path = pf::Bundle::main().pathForResource(kDefaultsResourceName, QStringLiteral("plist"));
    pf::Error error;
    if (path.isEmpty() || !pf::UserDefaults::standard().registerDefaultsFromFile(path, &error))
        RVLog(kInfoEvent, QStringLiteral("could not register the defaults from '%1': %2")
                              .arg(path.isEmpty() ? kDefaultsResourceName : path, error.description()));
}

void VNQLAppDelegate::applicationWillFinishLaunching(const pf::Notification&)
{
    // 1. The first document controller made is the shared one.
    if (!pf::DocumentController::sharedIfMade()) {
        m_documentController = std::make_shared<CartavelDocumentController>();
        RVCartavelDocument::registerDocumentTypes(*m_documentController);
    }
    RVLog(kInfoEvent, QStringLiteral("\n####################           Starting up....            #########################"));
    // 3. The photo-library sources: this platform has none to prepare.
    guardedStep("class aliases", [] {
        // Documents of earlier versions name these classes by their old names.
        const std::pair<const char*, const char*> aliases[] = {
            {"PWXGradientFill", "PWGradientFill"},
            {"PWXTaperedStrokeRasterizer", "PWXTaperedStroke"},
            {"PWXTaggedStrokeRasterizer", "PWXTaggedStroke"},
        };
        for (const auto& [old, current] : aliases) {
            if (pf::Class* cls = pf::Class::named(QString::fromLatin1(current)))
                pf::KeyedUnarchiver::setClassForClassName(cls, QString::fromLatin1(old));
            else
                RVLog(kInfoEvent, QStringLiteral("no class %1 for the old name %2").arg(QLatin1String(current), QLatin1String(old)));
        }
    });
    guardedStep("default style", [] {
        PWStyle::setDefaultStyle(PWStyle::styleWithFillColour(pf::Color(QColor(QStringLiteral("#AAD0E5"))),
                                                              pf::Color(QColor(QStringLiteral("#333333")))));
    });
    guardedStep("extensions", [] {
        VNQLDrawingExtensions::install();
        PWDrawableObject::setNameProvider(VNQLPWDrawableNameProvider::sharedNameProvider());
    });
    // 7. The size read-out is off unless the user turned it on in the preferences.
    pf::UserDefaults::standard().registerDefaults({{PWDrawableObject::kDisplaysSizeInfoWhenDraggingDefaultsKey, false}});
    registerApplicationDefaults();
    guardedStep("SVG thumbnails", [] {
        const QString folder = supportFilePath(kSVGThumbnailsFolderName);
        if (!folder.isEmpty())
            PWSVGPreview::setSVGThumbnailsCacheFolder(folder);
    });
    PWTextShape::setAllowsGraphicStyle(false);
    PWTextPath::setAllowsGraphicStyle(false);
    PWDrawing::setDearchivingHelperClass(CVLDearchivingHelper::staticClass().name());
    PWDrawingView::setShouldCreateAutomaticDrawing(false);
    // 13. Tools find a layer they can work on, unless the user chose otherwise.
    pf::UserDefaults::standard().registerDefaults({{PWToolController::kAutoActivateValidLayerDefaultsKey, true}});
    RVCartavelDocument::setDefaultQualityModulation(pf::UserDefaults::standard().boolForKey(kQualityModulationFlagKey));
    PWStyleRegistry::installFromApplicationDelegate();
    guardedStep("library", [] { PWXLibrary::initializeRegistry(); });

    try {
        performSelfInstallationIfNeeded(false);
    } catch (const std::exception& error) {
        m_launchAborted = true;
        const QString reason = QString::fromLocal8Bit(error.what());
        RVLog(kInfoEvent, QStringLiteral("launch aborted: %1").arg(reason));
        if (fatalFailureHandler()) {
            fatalFailureHandler()(reason);
            return;
        }
        auto alert = std::make_shared<pf::Alert>();
        alert->setAlertStyle(pf::AlertStyle::Critical);
        alert->setMessageText(QObject::tr("Quillory cannot start."));
        alert->setInformativeText(reason);
        alert->runModal();
        pf::Application::exitProcess(EXIT_FAILURE);
    }
}

void VNQLAppDelegate::performSelfInstallationIfNeeded(bool reinstall)
{
    RVLog(kInfoEvent, QStringLiteral("checking for self installation..."));
    QString folder = supportFolderPath();
    // Without it nothing the user makes outside documents could be kept.
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        throw pf::Exception(QStringLiteral("NSInternalInconsistencyException"),
                            QObject::tr("The folder for Quillory's own files could not be made (%1).")
                                .arg(folder.isEmpty() ? QObject::tr("no location") : folder));
    if (reinstall) {
        if (QDir(folder).removeRecursively())
            folder = supportFolderPath();
        else
            RVLog(kInfoEvent, QStringLiteral("unable to reinstall at '%1', error = %2").arg(folder, QObject::tr("could not remove it")));
    }
    guardedStep("user templates", [] { RVCartavelDocument::userTemplatesURL(); });
    PWTextShape::setShowsTextOverflowIndicator(true);
    guardedStep("selection colours", [] {
        const QString path = pf::Bundle::main().pathForResource(kSelectionColorsName, pf::ColorList::kFileExtension);
        if (path.isEmpty())
            return;
        pf::Error error;
        pf::Ref<pf::ColorList> list = pf::ColorList::fromFile(kSelectionColorsName, path, &error);
        if (!list) {
            RVLog(kInfoEvent, QStringLiteral("could not read the selection colours: %1").arg(error.description()));
            return;
        }
        pf::ColorList::registerColorList(list);
        if (pf::ColorPanel::sharedExists())
            pf::ColorPanel::shared()->attachColorList(list);
        QStringList keys = list->allKeys();
        std::sort(keys.begin(), keys.end());
        QList<QColor> colours;
        for (const QString& key : keys)
            colours.append(list->colorWithKey(key).qColor());
        PWLayer::setSelectionColours(colours);
    });
    guardedStep("saved dashes", [] {
        pf::Error error;
        if (!PWStrokeDash::restoreRegisteredDashesFromFile(supportFilePath(kSavedDashesFileName), &error))
            RVLog(kInfoEvent, QStringLiteral("could not read the saved dashes: %1").arg(error.description()));
    });
}

void VNQLAppDelegate::registerCartavelTools()
{
    auto registered = [](const pf::Ref<PWDrawingTool>& tool, const QString& name, const char* key) {
        tool->setKeyboardEquivalent(QString::fromLatin1(key));
        if (!PWDrawingTool::registerDrawingTool(tool, name))
            RVLog(kInfoEvent, QStringLiteral("could not register the tool %1").arg(name));
    };
    registered(std::make_shared<PWXSymbolTool>(PWXSymbolMaster::defaultSymbolMaster()), kClipArtStampToolName, "y");
    registered(std::make_shared<PWXStylePickUpTool>(), kStyleDropperToolName, "d");
    auto zoomOut = std::make_shared<PWZoomTool>();
    zoomOut->setZoomsOut(true);
    registered(zoomOut, kZoomOutToolName, "x");
    registered(std::make_shared<PWXPathCuttingTool>(), kPathCutterToolName, "u");

    // The standard polygon tool draws a five-pointed star.
    auto polygonTool = std::dynamic_pointer_cast<PWObjectCreationTool>(
        PWDrawingTool::drawingToolWithName(kPWStandardRegularPolygonPathToolName));
    if (auto star = polygonTool ? std::dynamic_pointer_cast<PWRegularPolygonPath>(polygonTool->prototype()) : nullptr) {
        star->setNumberOfSides(5);
        star->setStar(true);
        star->setInnerRadius(0.38);
    }
    // Command held over the drawing picks up a style with any tool.
    const QCursor dropper = PWXStylePickUpTool::dropperCursor();
    for (const pf::Ref<PWDrawingTool>& tool : PWToolRegistry::shared().allTools())
        tool->setCursor(dropper, Qt::ControlModifier);
    RVLog(kInfoEvent, QStringLiteral("completed registering tools"));
}

void VNQLAppDelegate::applicationDidFinishLaunching(const pf::Notification&)
{
    if (!m_launchAborted) {
        guardedStep("colour panel", [] { pf::ColorPanel::shared()->setShowsAlpha(true); });
        if (!isUserDebugMode())
            guardedStep("migration", [] { VNQLApplicationMigrator::migrateFromEarlierVersion(); });
        if (willDisplayTemplateBrowserAtLaunch()) {
            RVLog(kInfoEvent, QStringLiteral("will show template chooser at startup"));
            try {
                newDocumentFromTemplate({});
            } catch (const std::exception& error) {
                RVLog(kInfoEvent, QStringLiteral("an exception occurred trying to show the template browser at launch: %1")
                                      .arg(QString::fromLocal8Bit(error.what())));
            }
        }
    }
    RVLog(kInfoEvent, QStringLiteral("using storage class %1").arg(PWObjectOwnerLayer::storageClass().name()));
    PWStyle::disableNameProvider();
    guardedStep("tools", [this] { registerCartavelTools(); });
    guardedStep("inspector states", [this] { restoreInspectorStates(); });
    pf::NotificationCenter::defaultCenter().addObserver(
        this, [](const pf::Notification&) {}, kStyleHistoryNewStyleNotification, PWStyleHistory::defaultHistory().get());
    guardedStep("tools palette", [] { CVLToolsController::sharedToolsController()->setEnabled(true); });
    std::srand(unsigned(std::time(nullptr)));
    if (willDisplayWelcomeVideoAtLaunch()) {
        pf::Weak<VNQLAppDelegate> weakSelf = weak<VNQLAppDelegate>();
        QTimer::singleShot(2000, qApp, [weakSelf] {
            if (pf::Ref<VNQLAppDelegate> self = weakSelf.lock())
                self->perform(QStringLiteral("showWelcomeToQuillory:"), {QVariant()});
        });
    }
    PWStyle::enableNameProvider();
    RVLog(kInfoEvent, QStringLiteral("app finished launching"));
}

bool VNQLAppDelegate::applicationShouldOpenUntitledFile(pf::Application&)
{
    return !m_launchAborted && !willDisplayNonDocumentWindowAtLaunch();
}

bool VNQLAppDelegate::willDisplayTemplateBrowserAtLaunch() const
{
    return CVLTemplatePickerController::shouldDisplayTemplatePickerAtLaunch();
}

bool VNQLAppDelegate::willDisplayWelcomeVideoAtLaunch() const
{
    return QLRYVideoSplashController::shouldDisplayWelcomeVideoAtLaunch();
}

bool VNQLAppDelegate::applicationOpenFile(pf::Application&, const QString& path)
{
    // A library collection (or a zip archive of one) joins the library, after the user agrees;
    // it is no document.
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(PWXLibrary::libraryExtension(), Qt::CaseInsensitive) == 0
        || suffix.compare(QStringLiteral("zip"), Qt::CaseInsensitive) == 0) {
        importLibraryCollection(path);
        return true;
    }
    // A file named on the command line or handed over by the desktop opens in its window, in
    // front of the others, where the user looks for it.
    pf::DocumentController* documents = pf::DocumentController::shared();
    documents->openDocumentWithContentsOfURL(
        QUrl::fromLocalFile(path), true, [documents](const pf::Ref<pf::Document>& document, bool, const pf::Error& error) {
            if (!document) {
                if (!error.isNull())
                    documents->presentError(error);
                return;
            }
            for (const auto& controller : document->windowControllers()) {
                if (QWidget* window = controller->window()) {
                    window->show();
                    window->raise();
                    window->activateWindow();
                }
            }
        });
    return true;
}

void VNQLAppDelegate::importLibraryCollection(const QString& path)
{
    PWXLibraryManagerWindowController::sharedLibraryManager()->confirmAndImportLibraryFile(path, true);
}

// --- Inspector states and the versions browser ------------------------------------------------

void VNQLAppDelegate::saveInspectorStates()
{
    CVLToolsController::saveToolsControllerState();
    PWXLibraryPickerPaletteController::saveLibraryPickerState();
}

void VNQLAppDelegate::restoreInspectorStates()
{
    CVLToolsController::restoreToolsControllerState();
    PWXLibraryPickerPaletteController::restoreLibraryPickerState();
}

void VNQLAppDelegate::willEnterVersionsBrowserWithDocument(RVCartavelDocument* document)
{
    RVLog(kStateEvent, QStringLiteral("entering versions, doc = %1, browser count=%2")
                           .arg(document ? document->displayName() : QStringLiteral("(null)"))
                           .arg(m_versionsBrowserCount));
    if (m_versionsBrowserCount < 1) {
        m_versionsBrowserCount = 0;
        saveInspectorStates();
    }
    ++m_versionsBrowserCount;
}

void VNQLAppDelegate::didExitVersionsBrowserWithDocument(RVCartavelDocument* document)
{
    RVLog(kStateEvent, QStringLiteral("exited versions, doc = %1, browser count=%2")
                           .arg(document ? document->displayName() : QStringLiteral("(null)"))
                           .arg(m_versionsBrowserCount));
    const qint64 before = m_versionsBrowserCount--;
    if (before <= 1)
        restoreInspectorStates();
}

// --- Terminating -----------------------------------------------------------------------------

void VNQLAppDelegate::applicationWillTerminate(const pf::Notification&)
{
    RVLog(kInfoEvent, QStringLiteral("####################           Cartavel/Quillory will shut down....  bye.        #########################\n"));
    if (m_preferencesDiscarded) {
        // The user asked for the preferences to be forgotten: writing the running settings
        // back now would bring them all back at the next start.
        RVLog(kInfoEvent, QStringLiteral("preferences were reset: the tools' settings and panel states are not saved"));
    } else {
        guardedStep("tool defaults", [] { PWDrawingTool::saveDefaults(); });
    }
    guardedStep("saved dashes", [] {
        const QString path = supportFilePath(kSavedDashesFileName);
        pf::Error error;
        if (!path.isEmpty() && !PWStrokeDash::writeRegisteredDashesToFile(path, true, &error))
            RVLog(kInfoEvent, QStringLiteral("could not write the saved dashes: %1").arg(error.description()));
    });
    if (!m_preferencesDiscarded)
        guardedStep("inspector states", [this] { saveInspectorStates(); });
    pf::UserDefaults::standard().setBool(RVCartavelDocument::defaultQualityModulation(), kQualityModulationFlagKey);
}

// --- The main menu ---------------------------------------------------------------------------

namespace {

pf::Ref<pf::MenuItem> menuItem(const QString& title, const char* action, int tag = 0, const QString& key = {})
{
    pf::Ref<pf::MenuItem> item = pf::MenuItem::make(title, QString::fromLatin1(action));
    item->setTag(tag);
    if (!key.isEmpty())
        item->setKeyEquivalent(QKeySequence(key));
    return item;
}

pf::Ref<pf::Menu> submenuWithTitle(pf::Menu& menu, const QString& title)
{
    for (const pf::Ref<pf::MenuItem>& item : menu.items()) {
        if (item->submenu() && item->submenu()->title() == title)
            return item->submenu()->ref<pf::Menu>();
    }
    return nullptr;
}

} // namespace

void VNQLAppDelegate::loadMainMenu(pf::Application& application)
{
    pf::Ref<pf::MainMenu> menu = pf::MainMenu::makeStandard();
    QuilloryFileMenu::addDocumentItems(*menu);
    QuilloryDocumentMenus::addDocumentMenus(*menu);
    QuillorySidebarMenu::addSidebarItems(*menu);

    if (pf::Menu* edit = menu->menuWithTitle(QObject::tr("Edit"))) {
        // Beside Preferences..., which the standard menu has.
        edit->addItem(menuItem(QObject::tr("&Reset Preferences\u2026"), "resetPreferences:"));
    }
    if (pf::Menu* window = menu->menuWithTitle(QObject::tr("Window"))) {
        window->addItem(pf::MenuItem::separator());
        window->addItem(menuItem(QObject::tr("&Tools"), "showToolPalette:", 0, QStringLiteral("Ctrl+Alt+T")));
        window->addItem(menuItem(QObject::tr("Library &Picker"), "showToolOptionsPalette:", 0, QStringLiteral("Ctrl+Alt+P")));
        window->addItem(menuItem(QObject::tr("&Library"), "showLibraryManager:", 0, QStringLiteral("Ctrl+Alt+B")));
        window->addItem(menuItem(QObject::tr("&Media Browser"), "showMediaBrowser:", 0, QStringLiteral("Ctrl+Alt+M")));
    }
    if (pf::Menu* help = menu->menuWithTitle(QObject::tr("Help"))) {
        // The standard menu has the guide's contents and the welcome window.
        help->addItem(pf::MenuItem::separator());
        help->addItem(menuItem(QObject::tr("User &Guide"), "openURLItemWithTagOfSender:", 23));
        help->addItem(menuItem(QObject::tr("&Learn Quillory"), "openURLItemWithTagOfSender:", 21));
        help->addItem(menuItem(QObject::tr("&Gallery"), "openURLItemWithTagOfSender:", 22));
        help->addItem(menuItem(QObject::tr("&Forum"), "openURLItemWithTagOfSender:", 1));
        help->addItem(menuItem(QObject::tr("&Newsletter"), "openURLItemWithTagOfSender:", 27));
        help->addItem(menuItem(QObject::tr("Quillory &Home Page"), "openURLItemWithTagOfSender:", 0));
        help->addItem(menuItem(QObject::tr("Send &Feedback\u2026"), "showUserFeedbackDialog:"));
        help->addItem(pf::MenuItem::separator());
        help->addItem(menuItem(QObject::tr("&About Quillory"), "cartavelAboutBox:"));
    }
    pf::Ref<pf::Menu> debug = pf::Menu::make(kDebugMenuTitle);
    debug->addItem(menuItem(QObject::tr("Make Factory Libraries Writable"), "debug_makeFactoryLibrariesWritableAction:"));
    debug->addItem(menuItem(QObject::tr("Log Penwork Version"), "debug_logPenworkVersion:"));
    debug->addItem(menuItem(QObject::tr("Miscellaneous Test"), "debug_testMisc:"));
    menu->addMenu(debug);

    auto delegate = std::make_shared<VNQLAppDelegate>();
    if (pf::Menu* arrange = menu->menuWithTitle(QObject::tr("&Arrange")))
        delegate->setLayerMenus(submenuWithTitle(*arrange, QuilloryDocumentMenus::kActivateLayerMenuTitle),
                                submenuWithTitle(*arrange, QuilloryDocumentMenus::kMoveToLayerMenuTitle));
    delegate->awakeFromNib(*menu);
    application.setMainMenu(menu);
    application.setDelegate(delegate);
}

void VNQLAppDelegate::launch(pf::Application& application)
{
    QCoreApplication::setApplicationName(QStringLiteral("Quillory"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("quillory.org"));
    QCoreApplication::setApplicationVersion(
        pf::Bundle::main().objectForInfoDictionaryKey(QStringLiteral("CFBundleShortVersionString")).toString());
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillory.Quillory"));
    const QString icon = pf::Bundle::main().pathForResource(QStringLiteral("quillory"), QStringLiteral("svg"));
    if (!icon.isEmpty())
        application.setApplicationIconImage(QIcon(icon));
    loadMainMenu(application);
    // Closing the last window quits the way Quit does: edited documents are asked about.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, qApp, [] {
        if (pf::Application* shared = pf::Application::shared(); shared && shared->hasFinishedLaunching())
            shared->terminate({});
    });
}

void VNQLAppDelegate::awakeFromNib(pf::MainMenu& menu)
{
    if (!isUserDebugMode()) {
        if (pf::Menu* debug = menu.menuWithTitle(kDebugMenuTitle))
            menu.removeMenu(debug);
    }
}

void VNQLAppDelegate::enableLayerClippingMenu(bool enabled)
{
    pf::UserDefaults::standard().setBool(enabled, kLayerClippingMenuEnabledKey);
}

bool VNQLAppDelegate::layerClippingMenuEnabled() const
{
    return pf::UserDefaults::standard().boolForKey(kLayerClippingMenuEnabledKey);
}
