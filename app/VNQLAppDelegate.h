#pragma once

#include "app/CVLTemplatePickerController.h"
#include "inspectors/CVLToolsController.h"
#include "frameworks/penwork/registries/PWRegistryProvider.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Menu.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class PWLayer;
class RVCartavelDocument;
namespace pf {
class Application;
class MainMenu;
class DocumentController;
class MenuItem;
struct Notification;
class WindowController;
} // namespace pf

// The application's delegate: starts and stops the application in a fixed order (the drawing
// framework, the document class and the reading of older documents rely on it), prepares the
// application support folder, registers the system's drawing tools, and answers the
// application-wide menu commands: palettes and windows, preferences, the about box, help and
// web pages, templates, documents made from images and SVG files, and the two layer menus that
// follow the current document.
class VNQLAppDelegate : public pf::ApplicationDelegate,
                        public PWRegistryProvider,
                        public pf::MenuDelegate,
                        public CVLTemplatePickerDelegate,
                        public CVLToolsControllerDelegate {
    PF_CLASS(VNQLAppDelegate)
public:
    // User-defaults keys.
    static inline const QString kQualityModulationFlagKey = QStringLiteral("RVInkfold_defaultQualityModulationFlag");
    static inline const QString kLayerClippingMenuEnabledKey = QStringLiteral("kVNLayerClippingMenuEnabled");
    static inline const QString kHideQuitAlertKey = QStringLiteral("QLRY_HIDE_QUIT_ALERT");
    // The resource holding every registered default.
    static inline const QString kDefaultsResourceName = QStringLiteral("Quillory_defaults");
    static inline const QString kSavedDashesFileName = QStringLiteral("Saved Dashes.dashes");
    static inline const QString kSVGThumbnailsFolderName = QStringLiteral("SVG Thumbnails");
    static inline const QString kSelectionColorsName = QStringLiteral("Selection Colors");
    // The tools registered at launch, besides the framework's own.
    static inline const QString kClipArtStampToolName = QStringLiteral("Clip-Art Stamp");
    static inline const QString kStyleDropperToolName = QStringLiteral("Style Dropper");
    static inline const QString kZoomOutToolName = QStringLiteral("Zoom Out");
    static inline const QString kPathCutterToolName = QStringLiteral("Path Cutter");
    // The title of the Debug menu, present only when the program starts in user debug mode.
    static inline const QString kDebugMenuTitle = QStringLiteral("Debug");

    VNQLAppDelegate();
    ~VNQLAppDelegate() override;

    // The program's main menu and its delegate, as the main window's description would make
    // them: the standard menus, the documents' menus and the application's own items.
    static void loadMainMenu(pf::Application& application);
    // What the program sets up before launching: its names and icon, the main menu and the
    // delegate, and quitting when the last window closes.
    static void launch(pf::Application& application);
    // The Debug menu stays only in user debug mode; the layer clipping item shows only when its
    // default is set.
    void awakeFromNib(pf::MainMenu& menu);

    // Exactly Shift and Option held: the Debug menu stays and migration is skipped.
    static bool isUserDebugMode();
    static bool isUserDebugModeFlags(unsigned modifierFlags);
    // Starts a new copy of the program; this one quits only when that worked.
    static void relaunch();

    // --- Start and stop
    void applicationWillFinishLaunching(const pf::Notification& notification) override;
    void applicationDidFinishLaunching(const pf::Notification& notification) override;
    void applicationWillTerminate(const pf::Notification& notification) override;
    bool applicationShouldOpenUntitledFile(pf::Application& application) override;
    bool applicationOpenFile(pf::Application& application, const QString& path) override;
    // Asks, then copies the collection at `path` into the user's library.
    void importLibraryCollection(const QString& path);
    pf::Ref<PWStyleRegistry> applicationWillReturnStyleRegistry() override;
    pf::Ref<PWStyleRegistry> applicationWillReturnSymbolManager() override;

    // Prepares the application support folder; with `reinstall` it is emptied first. Throws
    // when a step fails in a way launching cannot go on from.
    void performSelfInstallationIfNeeded(bool reinstall);
    void registerCartavelTools();
    bool launchAborted() const { return m_launchAborted; }
    bool willDisplayNonDocumentWindowAtLaunch() const { return willDisplayTemplateBrowserAtLaunch(); }
    bool willDisplayTemplateBrowserAtLaunch() const;
    bool willDisplayWelcomeVideoAtLaunch() const;

    void saveInspectorStates();
    void restoreInspectorStates();

    // Documents showing their earlier versions: inspector states are saved when the first one
    // starts and restored when the last one ends.
    void willEnterVersionsBrowserWithDocument(RVCartavelDocument* document);
    void didExitVersionsBrowserWithDocument(RVCartavelDocument* document);
    bool isVersionsBrowserActive() const { return m_versionsBrowserCount > 0; }

    void enableLayerClippingMenu(bool enabled);
    bool layerClippingMenuEnabled() const;

    // --- Actions
    void showLibraryManager(const QVariant& sender);
    // Shows the tools palette, which then tells this delegate of tool changes.
    void openToolPalette();
    // Hides the palette when it shows, else shows it.
    void showToolPalette(const QVariant& sender);
    // Shows the library picker palette, or hides it when it is shown.
    void showToolOptionsPalette(const QVariant& sender);
    // In user debug mode the browser starts again from its first sources.
    void showMediaBrowser(const QVariant& sender);
    void cartavelAboutBox(const QVariant& sender);
    void resetPreferences(const QVariant& sender);
    // Asks, then forgets every preference and registers the defaults again. Answers whether it
    // did.
    bool confirmAndDiscardApplicationPreferences();
    void shutdownMessage(const QVariant& sender);
    void showHelpItemNamed(const QString& identifier);
    void openURLItemWithIdentifier(int tag);
    // The address of a web page item (the home page for an unknown tag).
    static QUrl urlForItemWithIdentifier(int tag);

    void newDocumentFromTemplate(const QVariant& sender);
    void openSelectedTemplateURL(const QUrl& url) override;
    // A new untitled drawing holding the image, on a locked bottom layer named after the file,
    // the drawing the image's size. Answers the document, or null when the file is no image.
    pf::Ref<RVCartavelDocument> createDocumentWithImageAtURL(const QUrl& url);
    void createDocumentWithSVGAtURL(const QUrl& url);

    QList<pf::Ref<PWLayer>> flattenedListOfLayersInCurrentDocument() const;
    QList<pf::Ref<PWLayer>> flattenedListOfDrawingLayersInCurrentDocument() const;
    QList<pf::Ref<PWLayer>> flattenedListOfActivateableLayersInCurrentDocument() const;
    // The closed document's layers leave the layer menus.
    void currentDocumentWillBeDeallocated();

    bool validateMenuItem(pf::MenuItem& item);

    // --- The layer menus
    pf::Ref<pf::Menu> layersListMenu() const { return m_layersListMenu.lock(); }
    pf::Ref<pf::Menu> layersListForMoveToMenu() const { return m_layersListForMoveToMenu.lock(); }
    void setLayerMenus(const pf::Ref<pf::Menu>& layersList, const pf::Ref<pf::Menu>& moveTo);
    int numberOfItemsInMenu(pf::Menu& menu) override;
    bool updateItem(pf::Menu& menu, pf::MenuItem& item, int index, bool shouldCancel) override;

    // Registers text styles of a few fonts and sizes, and solid fills and strokes of the
    // "Crayons" colours, in their categories of the style registry; answers how many.
    static int createDefaultFontStyles();
    static int createSpecialStyles();

    static const QHash<QString, QString>& cartographyAbbreviations();

    // Tests: called with the reason instead of alerting and ending the process when launching
    // cannot go on.
    static void setFatalFailureHandlerForTesting(std::function<void(const QString&)> handler);

private:
    void registerApplicationDefaults();

    pf::Ref<pf::DocumentController> m_documentController;
    bool m_launchAborted = false;
    bool m_preferencesDiscarded = false;
    qint64 m_versionsBrowserCount = 0;
    pf::Weak<pf::Menu> m_layersListMenu; // the main menu owns both
    pf::Weak<pf::Menu> m_layersListForMoveToMenu;
};
