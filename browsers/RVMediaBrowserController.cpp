#include "browsers/RVMediaBrowserController.h"

#include "browsers/RVPreviewPanel.h"
#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Notification.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/OpenPanel.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Sheet.h"
#include "widgets/RVSingleTitleTableHeaderView.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QCollator>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QSlider>
#include <QSplitter>
#include <QStandardPaths>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

PF_DEFINE_CLASS(RVMediaBrowserController, pf::WindowController)
{
    b.method("resetToFactoryState:", &RVMediaBrowserController::resetToFactoryState);
    b.method("applicationWillQuit:", &RVMediaBrowserController::applicationWillQuit);
    b.method("chooseFolderRootAction:", &RVMediaBrowserController::chooseFolderRootAction);
    b.method("addRemoveSegmentedControlAction:", &RVMediaBrowserController::addRemoveSegmentedControlAction);
    b.method("reloadAction:", &RVMediaBrowserController::reloadAction);
    b.method("showAllFilesAction:", &RVMediaBrowserController::showAllFilesAction);
    b.method("filterAction:", &RVMediaBrowserController::filterAction);
    b.method("zoomSliderAction:", &RVMediaBrowserController::zoomSliderAction);
    b.method("revealInFinderAction:", &RVMediaBrowserController::revealInFinderAction);
    b.method("viewSourceAction:", &RVMediaBrowserController::viewSourceAction);
    b.method("reloadThumbnailAction:", &RVMediaBrowserController::reloadThumbnailAction);
    b.method("showQuicklookAction:", &RVMediaBrowserController::showQuicklookAction);
    b.method("createDocumentWithImageAction:", &RVMediaBrowserController::createDocumentWithImageAction);
}

namespace {

// Tells the browser when its window closes.
class CloseWatcher : public QObject {
public:
    CloseWatcher(QObject* parent, std::function<void()> closed) : QObject(parent), m_closed(std::move(closed)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close && watched == parent())
            m_closed();
        return false;
    }

private:
    std::function<void()> m_closed;
};

pf::UserDefaults& defaults()
{
    return pf::UserDefaults::standard();
}

} // namespace

RVMediaBrowserController::RVMediaBrowserController()
{
    setFileTypes(defaultFileTypes());
}

RVMediaBrowserController::~RVMediaBrowserController()
{
    pf::NotificationCenter::defaultCenter().removeObserver(this);
    if (m_hideProgress)
        pf::RunLoop::main().cancel(m_hideProgress);
    if (m_folderController)
        m_folderController->setDelegate(nullptr);
    if (m_grid)
        m_grid->setDataSource(nullptr);
}

pf::Ref<RVMediaBrowserController> RVMediaBrowserController::sharedMediaBrowser()
{
    static pf::Ref<RVMediaBrowserController> shared;
    if (!shared) {
        shared = std::make_shared<RVMediaBrowserController>();
        // The window goes while the application still exists, not with the program's statics.
        if (QCoreApplication* application = QCoreApplication::instance())
            QObject::connect(application, &QCoreApplication::aboutToQuit, application, [] { shared.reset(); },
                             Qt::SingleShotConnection);
    }
    return shared;
}

bool RVMediaBrowserController::prefersQuickLookPreview()
{
    return defaults().boolForKey(kRVMediaBrowserPrefersQL);
}

void RVMediaBrowserController::setPrefersQuickLookPreview(bool prefers)
{
    defaults().setBool(prefers, kRVMediaBrowserPrefersQL);
}

const QStringList& RVMediaBrowserController::svgFileTypes()
{
    static const QStringList types{QStringLiteral("svg"), QStringLiteral("SVG")};
    return types;
}

QStringList RVMediaBrowserController::defaultFileTypes()
{
    QStringList types;
    for (const char* type : {"jpeg", "jpg", "JPEG", "JPG", "jfif", "JFIF", "jpe", "JPE", "png", "PNG", "pdf", "PDF",
                             "pntg", "PNTG", "pict", "PICT", "tif", "TIF", "tiff", "TIFF", "gif", "GIF"})
        types.append(QString::fromLatin1(type));
    return types + svgFileTypes();
}

QLineEdit* RVMediaBrowserController::searchField() const
{
    return m_searchField;
}

QSlider* RVMediaBrowserController::zoomSlider() const
{
    return m_zoomSlider;
}

QToolButton* RVMediaBrowserController::removeButton() const
{
    return m_removeButton;
}

QMenu* RVMediaBrowserController::itemMenu() const
{
    return m_itemMenu;
}

// --- Window ----------------------------------------------------------------------------------------

void RVMediaBrowserController::loadWindow()
{
    buildWindow();
    awakeFromNib();
}

void RVMediaBrowserController::buildWindow()
{
    auto* window = new QWidget;
    window->setWindowTitle(QObject::tr("Media Browser"));
    window->resize(900, 600);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(window);

    auto* left = new QWidget(splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    m_folderController = std::make_shared<RVFolderBrowserController>(left);
    // The title bar of the sources list.
    m_sourcesHeader = new RVSingleTitleTableHeaderView(left);
    m_sourcesHeader->setFixedHeight(int(RVSingleTitleTableHeaderView::titleBarHeight()) + 4);
    leftLayout->addWidget(m_sourcesHeader);
    leftLayout->addWidget(m_folderController->outlineView(), 1);
    auto* leftBar = new QHBoxLayout;
    leftBar->setContentsMargins(4, 4, 4, 4);
    m_addButton = new QToolButton(left);
    m_addButton->setText(QStringLiteral("+"));
    m_addButton->setToolTip(QObject::tr("Add a folder to browse the images it contains"));
    m_removeButton = new QToolButton(left);
    m_removeButton->setText(QStringLiteral("\u2212"));
    m_removeButton->setToolTip(QObject::tr("Remove the selected folder from the list"));
    m_removeButton->setEnabled(false);
    m_allFiles = new QCheckBox(QObject::tr("Include Subfolders"), left);
    leftBar->addWidget(m_addButton);
    leftBar->addWidget(m_removeButton);
    leftBar->addStretch(1);
    leftBar->addWidget(m_allFiles);
    leftLayout->addLayout(leftBar);

    auto* right = new QWidget(splitter);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 4, 0, 0);
    m_searchField = new QLineEdit(right);
    m_searchField->setPlaceholderText(QObject::tr("Filter"));
    m_searchField->setClearButtonEnabled(true);
    rightLayout->addWidget(m_searchField);
    m_grid = new RVImageBrowserView(right);
    rightLayout->addWidget(m_grid, 1);
    auto* rightBar = new QHBoxLayout;
    rightBar->setContentsMargins(4, 0, 4, 4);
    m_progress = new QProgressBar(right);
    m_progress->setRange(0, 0);
    m_progress->setMaximumWidth(120);
    m_progress->setMaximumHeight(12);
    m_progress->setTextVisible(false);
    m_zoomSlider = new QSlider(Qt::Horizontal, right);
    m_zoomSlider->setRange(0, 100);
    m_zoomSlider->setValue(int(m_grid->zoomValue() * 100));
    m_zoomSlider->setMaximumWidth(160);
    rightBar->addWidget(m_progress);
    rightBar->addStretch(1);
    rightBar->addWidget(m_zoomSlider);
    rightLayout->addLayout(rightBar);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 680});
    layout->addWidget(splitter);

    m_itemMenu = new QMenu(window);
    const QList<std::pair<QString, QString>> entries{
        {QObject::tr("New Document With Image"), QStringLiteral("createDocumentWithImageAction:")},
        {QObject::tr("Quick Look"), QStringLiteral("showQuicklookAction:")},
        {QObject::tr("Reveal in File Manager"), QStringLiteral("revealInFinderAction:")},
        {QObject::tr("View Source"), QStringLiteral("viewSourceAction:")},
        {QObject::tr("Reload Thumbnail"), QStringLiteral("reloadThumbnailAction:")},
    };
    for (const auto& [title, action] : entries) {
        QAction* item = m_itemMenu->addAction(title);
        item->setData(action);
        QObject::connect(item, &QAction::triggered, window, [this, action = action] { perform(action, {QVariant()}); });
    }
    QObject::connect(m_itemMenu, &QMenu::aboutToShow, window, [this] {
        for (QAction* item : m_itemMenu->actions()) {
            QString title = item->text();
            item->setEnabled(validateUserInterfaceItem(item->data().toString(), &title));
            item->setText(title);
        }
    });

    QObject::connect(m_addButton, &QToolButton::clicked, window, [this] { addRemoveSegmentedControlAction(0); });
    QObject::connect(m_removeButton, &QToolButton::clicked, window, [this] { addRemoveSegmentedControlAction(1); });
    QObject::connect(m_allFiles, &QCheckBox::toggled, window, [this](bool on) { showAllFilesAction(on); });
    QObject::connect(m_searchField, &QLineEdit::textChanged, window, [this](const QString& text) { filterAction(text); });
    QObject::connect(m_zoomSlider, &QSlider::valueChanged, window,
                     [this](int value) { zoomSliderAction(double(value) / 100.0); });
    setWindow(window);
    // Installed after the controller's own, so it sees the close first.
    window->installEventFilter(new CloseWatcher(window, [this] {
        // Previews not finished are dropped; their items may ask again when shown next.
        PWSVGPreview::cancelAllPreviews();
        for (const pf::Ref<RVImagePath>& item : m_images) {
            if (item->isRequestInProgress())
                item->previewCancelled();
            m_pending.remove(item.get());
        }
        if (m_pending.isEmpty())
            stopProgress();
    }));
}

void RVMediaBrowserController::awakeFromNib()
{
    if (m_setUp || !m_grid)
        return;
    m_setUp = true;
    m_folderController->setRootItems({});
    m_folderController->setDelegate(this);
    m_grid->setDataSource(this);
    if (m_sourcesHeader)
        m_sourcesHeader->setTitle(QObject::tr("Image Sources"));

    const QList<pf::Ref<RVFolderInfo>> roots = bookmarkedRootItems();
    if (!roots.isEmpty())
        m_folderController->setRootItems(roots);
    else
        installDefaultFolders();

    // The folders the user opened come back open, found again by their identifiers.
    m_folderController->outlineView()->setAutosaveName(QStringLiteral("RVMediaBrowserSources"));
    m_folderController->outlineView()->setAutosaveExpandedItems(true);

    const QString last = defaults().stringForKey(kRVMediaBrowserLastFolderPrefsKey);
    if (!last.isEmpty()) {
        pf::Weak<RVMediaBrowserController> weakSelf = weak<RVMediaBrowserController>();
        pf::RunLoop::main().perform([weakSelf, last] {
            if (auto self = weakSelf.lock())
                self->m_folderController->selectItemWithIdentifier(last);
        }, 0.1);
    } else if (!m_folderController->rootItems().isEmpty()) {
        m_folderController->selectItemWithIdentifier(m_folderController->rootItems().first()->identifier());
    }
    const float zoom = defaults().floatForKey(kRVMediaBrowserZoomLevelPrefsKey);
    if (zoom > 0) {
        const QSignalBlocker blocker(m_zoomSlider);
        m_zoomSlider->setValue(int(zoom * 100));
        zoomSliderAction(zoom);
    }
    {
        const QSignalBlocker blocker(m_allFiles);
        m_allFiles->setChecked(true);
    }
    m_progress->hide();

    pf::NotificationCenter& center = pf::NotificationCenter::defaultCenter();
    center.addObserver(this, [this](const pf::Notification& n) { folderInfoDidChange(dynamic_cast<RVFolderInfo*>(n.object)); },
                       RVFolderInfo::kRVFolderInfoDidChangeOnDisk, nullptr);
    center.addObserver(this, [this](const pf::Notification& n) { imageUpdated(dynamic_cast<RVImagePath*>(n.object)); },
                       RVImagePath::kRVImagePathItemImageUpdated, nullptr);
    center.addObserver(this, [this](const pf::Notification& n) { fetchStarted(n.object); },
                       RVImagePath::kRVImagePathWillStartAsynchronousFetch, nullptr);
    center.addObserver(this, [this](const pf::Notification& n) { fetchCompleted(n.object); },
                       RVImagePath::kCGImagePathDidCompleteAsynchronousFetch, nullptr);
}

void RVMediaBrowserController::resetToFactoryState(const QVariant&)
{
    window();
    removeAllRootBookmarks();
    m_folderController->setRootItems({});
    installDefaultFolders();
    reload();
}

void RVMediaBrowserController::applicationWillQuit(const QVariant&)
{
    QStringList identifiers;
    if (m_folderController)
        for (const pf::Ref<RVFolderInfo>& root : m_folderController->rootItems())
            identifiers.append(root->identifier());
    defaults().setObject(identifiers, kRVMediaBrowserInstalledRootItems);
}

void RVMediaBrowserController::installDefaultFolders()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString resolved = pictures.isEmpty() ? QString() : QFileInfo(pictures).canonicalFilePath();
    if (resolved.isEmpty() || !QFileInfo(resolved).isDir())
        return;
    if (pf::Ref<RVFolderInfo> root = m_folderController->addRootItemWithURL(QUrl::fromLocalFile(resolved))) {
        addRootBookmark(root);
        root->setRefreshDelegate(m_folderController);
    }
}

// --- The shown folder and its images -----------------------------------------------------------------

void RVMediaBrowserController::setFolder(const pf::Ref<RVFolderInfo>& folder)
{
    if (folder == m_folder)
        return;
    m_folder = folder;
    // The grid shows the folder's images and those of every folder below it.
    if (m_folder)
        m_folder->setReturnsAllEnclosedFiles(true);
    if (m_allFiles) {
        const QSignalBlocker blocker(m_allFiles);
        m_allFiles->setChecked(true);
    }
    m_filterString = QStringLiteral("\x01"); // so that clearing it reloads
    setFilterString(QString());
    if (m_searchField) {
        const QSignalBlocker blocker(m_searchField);
        m_searchField->clear();
    }
    const QString identifier = m_folder ? m_folder->identifier() : QString();
    RVLog(kReactiveEvent, QStringLiteral("selected identifier: %1").arg(identifier));
    if (m_folder)
        defaults().setObject(identifier, kRVMediaBrowserLastFolderPrefsKey);
    if (m_removeButton)
        m_removeButton->setEnabled(m_folder && !m_folder->parent() && m_folder->allowsDeletion());
}

void RVMediaBrowserController::setFileTypes(const QStringList& types)
{
    m_fileTypes = types;
    loadImages();
    if (m_grid)
        m_grid->reloadData();
}

bool RVMediaBrowserController::showsAllEnclosedFiles() const
{
    return defaults().boolForKey(kRVMediaBrowserShowsAllFilesPrefsKey);
}

void RVMediaBrowserController::setShowsAllEnclosedFiles(bool show)
{
    const bool folderDiffers = m_folder && m_folder->returnsAllEnclosedFiles() != show;
    if (show == showsAllEnclosedFiles() && !folderDiffers)
        return;
    defaults().setBool(show, kRVMediaBrowserShowsAllFilesPrefsKey);
    if (m_folder)
        m_folder->setReturnsAllEnclosedFiles(show);
    reload();
}

void RVMediaBrowserController::setFilterString(const QString& filter)
{
    if (!filter.isNull() && filter == m_filterString)
        return;
    m_filterString = filter;
    reload();
}

void RVMediaBrowserController::loadImages()
{
    QHash<QString, pf::Ref<RVImagePath>> existing;
    for (const pf::Ref<RVImagePath>& item : m_images)
        existing.insert(item->imageUID(), item);
    RVLog(kReactiveEvent, QStringLiteral("existing images: %1").arg(existing.size()));
    QList<pf::Ref<RVImagePath>> images;
    if (m_folder) {
        const pf::Ref<pf::Object> self = ref();
        for (const QUrl& url : m_folder->fileURLsOfTypes(m_fileTypes)) {
            pf::Ref<RVImagePath> item = existing.value(url.toLocalFile());
            if (!item) {
                item = std::make_shared<RVImagePath>(url, self);
                RVLog(kReactiveEvent, QStringLiteral("created new image: %1").arg(url.toLocalFile()));
            }
            if (m_filterString.isEmpty() || item->name().contains(m_filterString, Qt::CaseInsensitive))
                images.append(item);
        }
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(images.begin(), images.end(),
                     [&](const auto& a, const auto& b) { return collator.compare(a->name(), b->name()) < 0; });
    m_images = images;
    RVLog(kReactiveEvent, QStringLiteral("media browser loaded %1 items").arg(m_images.size()));
}

void RVMediaBrowserController::reload()
{
    fetchStarted(this);
    const pf::Ref<RVImagePath> selected = selectedItem();
    if (m_folder)
        m_folder->clear();
    loadImages();
    if (m_grid) {
        m_grid->setSelectionIndexes({});
        m_grid->reloadData();
        const int index = selected ? int(m_images.indexOf(selected)) : -1;
        if (index >= 0)
            m_grid->setSelectionIndexes(pf::IndexSet(index));
        m_grid->scrollIndexToVisible(std::max(0, index));
    }
    fetchCompleted(this);
}

pf::Ref<RVImagePath> RVMediaBrowserController::selectedItem() const
{
    if (!m_grid || m_grid->selectionIndexes().isEmpty())
        return nullptr;
    return m_images.value(int(m_grid->selectionIndexes().lastIndex()));
}

bool RVMediaBrowserController::selectedItemIsSVG() const
{
    const pf::Ref<RVImagePath> item = selectedItem();
    return item && item->isSVG();
}

void RVMediaBrowserController::selectItem(const pf::Ref<RVImagePath>& item)
{
    const int index = item ? int(m_images.indexOf(item)) : -1;
    if (m_grid)
        m_grid->setSelectionIndexes(index >= 0 ? pf::IndexSet(index) : pf::IndexSet());
}

// --- Progress ----------------------------------------------------------------------------------------

bool RVMediaBrowserController::isProgressShown() const
{
    return m_progress && !m_progress->isHidden();
}

void RVMediaBrowserController::startProgress()
{
    if (m_progress)
        m_progress->show();
}

void RVMediaBrowserController::stopProgress()
{
    if (m_progress)
        m_progress->hide();
}

void RVMediaBrowserController::fetchStarted(const void* requester)
{
    if (m_hideProgress) {
        pf::RunLoop::main().cancel(m_hideProgress);
        m_hideProgress = 0;
    }
    if (m_pending.isEmpty())
        startProgress();
    // Counted once per requester: a preview that starts twice still ends once.
    m_pending.insert(requester);
}

void RVMediaBrowserController::fetchCompleted(const void* requester)
{
    if (!m_pending.remove(requester) || !m_pending.isEmpty())
        return;
    pf::Weak<RVMediaBrowserController> weakSelf = weak<RVMediaBrowserController>();
    m_hideProgress = pf::RunLoop::main().perform([weakSelf] {
        if (auto self = weakSelf.lock()) {
            self->m_hideProgress = 0;
            self->stopProgress();
        }
    }, 0.5);
}

// --- Changes -----------------------------------------------------------------------------------------

void RVMediaBrowserController::folderInfoDidChange(RVFolderInfo* node)
{
    if (!node || !m_folder)
        return;
    RVLog(kReactiveEvent, QStringLiteral("folder info changed: %1").arg(node->description()));
    if (m_folder->containsSubfolder(node->ref<RVFolderInfo>()))
        reload();
}

void RVMediaBrowserController::imageUpdated(RVImagePath* item)
{
    if (!item || !m_grid)
        return;
    for (int i = 0; i < m_images.size(); ++i)
        if (m_images[i].get() == item)
            m_grid->redrawItemAtIndex(i);
}

bool RVMediaBrowserController::itemVisibleInView(const RVImagePath& item) const
{
    if (!m_grid || !m_grid->isVisible())
        return false;
    for (int i = 0; i < m_images.size(); ++i)
        if (m_images[i].get() == &item)
            return m_grid->itemFrameAtIndex(i).intersects(m_grid->visibleRect());
    return false;
}

// --- Grid --------------------------------------------------------------------------------------------

int RVMediaBrowserController::imageBrowserWriteItemsAtIndexes(RVImageBrowserView&, const pf::IndexSet& indexes,
                                                              pf::Pasteboard& pasteboard)
{
    QList<QUrl> urls;
    for (qint64 index : indexes.toList())
        if (pf::Ref<RVImagePath> item = m_images.value(int(index)))
            urls.append(item->url());
    pasteboard.clearContents();
    if (urls.isEmpty() || !pasteboard.writeURLs(urls))
        return 0;
    return int(urls.size());
}

void RVMediaBrowserController::imageBrowserCellWasDoubleClickedAtIndex(RVImageBrowserView&, int index)
{
    const pf::Ref<RVImagePath> item = m_images.value(index);
    if (!item)
        return;
    pf::Application::beep();
    runAlert(item->name(), QObject::tr("To add this image to your document, drag the image into the active layer"));
}

void RVMediaBrowserController::imageBrowserSelectionDidChange(RVImageBrowserView&)
{
    if (RVPreviewPanel::sharedPreviewPanelExists() && RVPreviewPanel::sharedPreviewPanel()->isVisible()) {
        if (pf::Ref<RVImagePath> item = selectedItem())
            RVPreviewPanel::sharedPreviewPanel()->setPreviewItemURL(item->previewItemURL(), item->name());
    }
}

void RVMediaBrowserController::imageBrowserToggleQuickLook(RVImageBrowserView&)
{
    // The grid controls the quick look: the space bar shows it, and hides it again.
    if (RVPreviewPanel::sharedPreviewPanelExists() && RVPreviewPanel::sharedPreviewPanel()->isVisible())
        RVPreviewPanel::sharedPreviewPanel()->hide();
    else if (selectedItem())
        showQuicklookAction({});
}

QMenu* RVMediaBrowserController::imageBrowserMenuForIndex(RVImageBrowserView&, int index)
{
    return index >= 0 ? m_itemMenu.data() : nullptr;
}

QUrl RVMediaBrowserController::urlForViewSourceController(RVViewSourceController&)
{
    const pf::Ref<RVImagePath> item = selectedItem();
    return item && item->isSVG() ? item->url() : QUrl();
}

void RVMediaBrowserController::folderBrowserDidSelectFolder(RVFolderBrowserController&,
                                                            const pf::Ref<RVFolderInfo>& folder)
{
    RVLog(kFileEvent, QStringLiteral("folder chosen: %1").arg(folder ? folder->description() : QStringLiteral("(null)")));
    setFolder(folder);
}

// --- Actions -----------------------------------------------------------------------------------------

void RVMediaBrowserController::runAlert(const QString& message, const QString& text)
{
    auto alert = std::make_shared<pf::Alert>();
    alert->setMessageText(message);
    alert->addButton(QObject::tr("OK"));
    alert->setInformativeText(text);
    alert->runModal();
}

void RVMediaBrowserController::chooseFolderRootAction(const QVariant&)
{
    auto panel = std::make_shared<pf::OpenPanel>();
    panel->setCanChooseDirectories(true);
    panel->setCanChooseFiles(false);
    panel->setAllowsMultipleSelection(false);
    panel->setPrompt(QObject::tr("Add Folder"));
    panel->setMessage(QObject::tr("Add a folder to browse the images it contains"));
    pf::Weak<RVMediaBrowserController> weakSelf = weak<RVMediaBrowserController>();
    panel->beginSheetModal(m_grid ? m_grid->window() : window(), [weakSelf, panel](int result) {
        auto self = weakSelf.lock();
        if (self && result == pf::kModalResponseOK && !panel->URLs().isEmpty())
            self->addFolderRoot(panel->URLs().first());
    });
}

void RVMediaBrowserController::addFolderRoot(const QUrl& url)
{
    window();
    if (QDir::cleanPath(url.toLocalFile()) == QStringLiteral("/")) {
        pf::Application::beep();
        runAlert(QObject::tr("Root Folder Not Allowed"),
                 QObject::tr("You cannot add the root folder (entire drive). Please choose a folder containing images."));
        return;
    }
    pf::Ref<RVFolderInfo> root = m_folderController->addRootItemWithURL(url);
    if (!root) {
        pf::Application::beep();
        runAlert(QObject::tr("Folder Already Added"), QObject::tr("Top-level Folders can only be added to the browser once."));
        return;
    }
    addRootBookmark(root);
    m_folderController->selectItemWithIdentifier(root->identifier());
    root->setRefreshDelegate(m_folderController);
}

void RVMediaBrowserController::openPanelDidEnd(const QUrl& url, int returnCode)
{
    if (returnCode != pf::kModalResponseOK || url.isEmpty())
        return;
    window();
    if (pf::Ref<RVFolderInfo> root = m_folderController->addRootItemWithURL(url))
        m_folderController->selectItemWithIdentifier(root->identifier());
    else
        setFolder(nullptr);
}

void RVMediaBrowserController::addRemoveSegmentedControlAction(const QVariant& segment)
{
    if (segment.toInt() == 0) {
        chooseFolderRootAction({});
        return;
    }
    const pf::Ref<RVFolderInfo> selected = m_folderController ? m_folderController->selectedItem() : nullptr;
    if (!selected)
        return;
    pf::Ref<RVFolderInfo> root = selected->root();
    if (!root->allowsDeletion())
        return;
    removeRootBookmark(root);
    m_folderController->removeSelectedItemAction({});
    if (m_folder && m_folder->root() == root)
        setFolder(nullptr);
}

void RVMediaBrowserController::reloadAction(const QVariant&)
{
    reload();
}

void RVMediaBrowserController::showAllFilesAction(const QVariant& on)
{
    setShowsAllEnclosedFiles(on.toBool());
}

void RVMediaBrowserController::filterAction(const QVariant& text)
{
    setFilterString(text.toString());
}

void RVMediaBrowserController::zoomSliderAction(const QVariant& value)
{
    const double zoom = value.toDouble();
    if (m_grid)
        m_grid->setZoomValue(zoom);
    defaults().setFloat(float(zoom), kRVMediaBrowserZoomLevelPrefsKey);
}

void RVMediaBrowserController::revealInFinderAction(const QVariant&)
{
    if (pf::Ref<RVImagePath> item = selectedItem())
        item->revealInFinder();
}

void RVMediaBrowserController::viewSourceAction(const QVariant&)
{
    if (!m_viewSource)
        m_viewSource = std::make_shared<RVViewSourceController>();
    m_viewSource->beginSheetModalForWindow(window(), this);
}

void RVMediaBrowserController::reloadThumbnailAction(const QVariant&)
{
    if (pf::Ref<RVImagePath> item = selectedItem())
        item->remakeThumbnail();
}

void RVMediaBrowserController::showQuicklookAction(const QVariant&)
{
    RVPreviewPanel* panel = RVPreviewPanel::sharedPreviewPanel();
    if (pf::Ref<RVImagePath> item = selectedItem())
        panel->setPreviewItemURL(item->previewItemURL(), item->name());
    panel->makeKeyAndOrderFront();
}

void RVMediaBrowserController::createDocumentWithImageAction(const QVariant&)
{
    const pf::Ref<RVImagePath> item = selectedItem();
    if (!item || item->url().isEmpty())
        return;
    const QString selector = item->isSVG() ? QStringLiteral("createDocumentWithSVGAtURL:")
                                           : QStringLiteral("createDocumentWithImageAtURL:");
    pf::Application* application = pf::Application::shared();
    pf::ApplicationDelegate* delegate = application ? application->delegate() : nullptr;
    if (delegate && delegate->respondsTo(selector)) {
        delegate->perform(selector, {item->url()});
        return;
    }
    // The document controller opens pictures and SVG files as new untitled drawings.
    if (pf::DocumentController* documents = pf::DocumentController::shared())
        documents->openDocumentWithContentsOfURL(item->url(), true, [](const pf::Ref<pf::Document>&, bool, const pf::Error& error) {
            if (error.code() != 0)
                if (pf::DocumentController* controller = pf::DocumentController::shared())
                    controller->presentError(error);
        });
}

bool RVMediaBrowserController::validateUserInterfaceItem(const QString& action, QString* title) const
{
    const bool selected = selectedItem() != nullptr;
    if (action == QLatin1String("viewSourceAction:"))
        return selected && selectedItemIsSVG();
    if (action == QLatin1String("revealInFinderAction:"))
        return selected;
    if (action == QLatin1String("createDocumentWithImageAction:")) {
        if (title)
            *title = selectedItemIsSVG() ? QObject::tr("New Document With SVG File") : QObject::tr("New Document With Image");
        return selected;
    }
    return respondsTo(action);
}
