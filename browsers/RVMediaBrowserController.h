#pragma once

#include "browsers/RVFolderBrowserController.h"
#include "browsers/RVImageBrowserView.h"
#include "browsers/RVImagePath.h"
#include "browsers/RVViewSourceController.h"
#include "platform/ui/WindowController.h"
#include "widgets/RVSingleTitleTableHeaderView.h"

#include <QPointer>
#include <QSet>

class QCheckBox;
class QLineEdit;
class QMenu;
class QProgressBar;
class QSlider;
class QToolButton;
class RVSingleTitleTableHeaderView;

// The media browser: image folders on the left (the Pictures folder and folders the user adds,
// remembered as bookmarks), the images of the chosen folder and the folders below it as a grid
// of thumbnails on the right. Images are dragged from the grid into drawings, opened as new
// documents, looked at in a preview window, revealed in the file manager, and SVG files'
// source viewed.
class RVMediaBrowserController : public pf::WindowController,
                                 public RVFolderBrowserDelegate,
                                 public RVImageBrowserDataSource,
                                 public RVImagePathHost,
                                 public RVViewSourceControllerDelegate {
    PF_CLASS(RVMediaBrowserController)
public:
    static inline const QString kRVMediaBrowserBookmarkedItems2 = QStringLiteral("kRVMediaBrowserBookmarkedItems2");
    static inline const QString kRVMediaBrowserBookmarkedItems = QStringLiteral("kRVMediaBrowserBookmarkedItems");
    static inline const QString kRVMediaBrowserLastFolderPrefsKey = QStringLiteral("kRVMediaBrowserLastFolderPrefsKey");
    static inline const QString kRVMediaBrowserZoomLevelPrefsKey = QStringLiteral("kRVMediaBrowserZoomLevelPrefsKey");
    static inline const QString kRVMediaBrowserShowsAllFilesPrefsKey =
        QStringLiteral("kRVMediaBrowserShowsAllFilesPrefsKey");
    static inline const QString kRVMediaBrowserPrefersQL = QStringLiteral("kRVMediaBrowserPrefersQL");
    static inline const QString kRVMediaBrowserInstalledRootItems = QStringLiteral("kRVMediaBrowserInstalledRootItems");

    RVMediaBrowserController();
    ~RVMediaBrowserController() override;

    static pf::Ref<RVMediaBrowserController> sharedMediaBrowser();
    static bool prefersQuickLookPreview();
    static void setPrefersQuickLookPreview(bool prefers);
    static const QStringList& svgFileTypes();
    static QStringList defaultFileTypes();

    // --- Bookmarked roots, stored by folder path
    static QList<pf::Ref<RVFolderInfo>> bookmarkedRootItems();
    static void addRootBookmark(const pf::Ref<RVFolderInfo>& root);
    static void removeRootBookmark(const pf::Ref<RVFolderInfo>& root);
    static void removeAllRootBookmarks();

    void loadWindow() override;
    void awakeFromNib() override;
    void resetToFactoryState(const QVariant& sender);
    void applicationWillQuit(const QVariant& notification);

    // Stored for the owner; not retained.
    pf::Ref<pf::Object> delegate() const { return m_delegate.lock(); }
    void setDelegate(const pf::Ref<pf::Object>& delegate) { m_delegate = delegate; }
    pf::Ref<RVFolderInfo> folder() const { return m_folder; }
    void setFolder(const pf::Ref<RVFolderInfo>& folder);
    QStringList fileTypes() const { return m_fileTypes; }
    void setFileTypes(const QStringList& types);
    bool showsAllEnclosedFiles() const;
    void setShowsAllEnclosedFiles(bool show);
    QString filterString() const { return m_filterString; }
    void setFilterString(const QString& filter);
    QList<pf::Ref<RVImagePath>> images() const { return m_images; }

    pf::Ref<RVImagePath> selectedItem() const;
    bool selectedItemIsSVG() const;
    void selectItem(const pf::Ref<RVImagePath>& item);
    void reload();
    void loadImages();
    void installDefaultFolders();
    // Outstanding work shown by the progress indicator (reloads and previews, once per item).
    int pendingFetches() const { return int(m_pending.size()); }
    bool isProgressShown() const;

    // --- Actions
    void chooseFolderRootAction(const QVariant& sender);
    // Adds a folder the user chose: refuses "/" and folders already there (with an alert).
    void addFolderRoot(const QUrl& url);
    // The older end of the add-folder panel: adds and selects the folder, or shows no folder
    // when it is a root already.
    void openPanelDidEnd(const QUrl& url, int returnCode);
    void addRemoveSegmentedControlAction(const QVariant& segment);
    void reloadAction(const QVariant& sender);
    void showAllFilesAction(const QVariant& on);
    void filterAction(const QVariant& text);
    void zoomSliderAction(const QVariant& value);
    void revealInFinderAction(const QVariant& sender);
    void viewSourceAction(const QVariant& sender);
    void reloadThumbnailAction(const QVariant& sender);
    void showQuicklookAction(const QVariant& sender);
    void createDocumentWithImageAction(const QVariant& sender);
    // Whether the action can run now; `title` gets a menu item's title where it depends on the
    // selection.
    using pf::WindowController::validateUserInterfaceItem;
    bool validateUserInterfaceItem(const QString& action, QString* title = nullptr) const;

    // --- Its controls, for the program's tests
    RVFolderBrowserController* folderController() const { return m_folderController.get(); }
    RVImageBrowserView* imageBrowserView() const { return m_grid; }
    QLineEdit* searchField() const;
    QSlider* zoomSlider() const;
    QToolButton* removeButton() const;
    QMenu* itemMenu() const;

    // RVFolderBrowserDelegate
    void folderBrowserDidSelectFolder(RVFolderBrowserController&, const pf::Ref<RVFolderInfo>& folder) override;
    // RVImageBrowserDataSource
    int numberOfItemsInImageBrowser(RVImageBrowserView&) override { return int(m_images.size()); }
    pf::Ref<RVImagePath> imageBrowserItemAtIndex(RVImageBrowserView&, int index) override { return m_images.value(index); }
    int imageBrowserWriteItemsAtIndexes(RVImageBrowserView&, const pf::IndexSet& indexes, pf::Pasteboard& pasteboard) override;
    void imageBrowserCellWasDoubleClickedAtIndex(RVImageBrowserView&, int index) override;
    void imageBrowserSelectionDidChange(RVImageBrowserView&) override;
    QMenu* imageBrowserMenuForIndex(RVImageBrowserView&, int index) override;
    void imageBrowserToggleQuickLook(RVImageBrowserView&) override;
    // RVImagePathHost
    bool itemVisibleInView(const RVImagePath& item) const override;
    // RVViewSourceControllerDelegate
    QUrl urlForViewSourceController(RVViewSourceController&) override;

    void fetchStarted(const void* requester);
    void fetchCompleted(const void* requester);

private:
    void buildWindow();
    void folderInfoDidChange(RVFolderInfo* node);
    void imageUpdated(RVImagePath* item);
    void startProgress();
    void stopProgress();
    void runAlert(const QString& message, const QString& text);

    pf::Ref<RVFolderBrowserController> m_folderController;
    QPointer<RVImageBrowserView> m_grid;
    QPointer<RVSingleTitleTableHeaderView> m_sourcesHeader;
    QPointer<QSlider> m_zoomSlider;
    QPointer<QProgressBar> m_progress;
    QPointer<QCheckBox> m_allFiles;
    QPointer<QToolButton> m_addButton;
    QPointer<QToolButton> m_removeButton;
    QPointer<QLineEdit> m_searchField;
    QPointer<QMenu> m_itemMenu;
    pf::Ref<RVViewSourceController> m_viewSource;
    pf::Weak<pf::Object> m_delegate;
    pf::Ref<RVFolderInfo> m_folder;
    QList<pf::Ref<RVImagePath>> m_images;
    QStringList m_fileTypes;
    QSet<const void*> m_pending;
    QString m_filterString;
    quint64 m_hideProgress = 0;
    bool m_setUp = false;
};
