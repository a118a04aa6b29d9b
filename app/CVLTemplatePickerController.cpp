#include "app/CVLTemplatePickerController.h"

#include "app/RVCartavelDocument.h"
#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/Bookmark.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/OpenPanel.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/Workspace.h"
#include "app/PWXMapScale.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

PF_DEFINE_CLASS(CVLTemplatePickerController, pf::WindowController)
{
    b.method("okButtonAction:", &CVLTemplatePickerController::okButtonAction);
    b.method("doubleClick:", &CVLTemplatePickerController::doubleClick);
    b.method("showAtStartUpAction:", &CVLTemplatePickerController::showAtStartUpAction);
    b.method("newDefaultDocumentAction:", &CVLTemplatePickerController::newDefaultDocumentAction);
    b.method("revealInFinderAction:", &CVLTemplatePickerController::revealInFinderAction);
    b.method("filterAction:", &CVLTemplatePickerController::filterAction);
    b.method("importTemplatesAction:", &CVLTemplatePickerController::importTemplatesAction);
}

namespace {

constexpr int kIconSize = 160;
constexpr int kNewDocumentSetupDelayMs = 500;

pf::Ref<CVLTemplatePickerController>& sharedPicker()
{
    static pf::Ref<CVLTemplatePickerController> picker;
    return picker;
}

QString tr(const char* text)
{
    return QCoreApplication::translate("CVLTemplatePickerController", text);
}

// A light page with a frame: what a template shows while its thumbnail is made or when it has
// none.
QIcon placeholderIcon()
{
    QPixmap page(kIconSize, kIconSize);
    page.fill(Qt::transparent);
    QPainter painter(&page);
    painter.setPen(QColor(170, 170, 170));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(kIconSize * 0.2, kIconSize * 0.08, kIconSize * 0.6, kIconSize * 0.84));
    return QIcon(page);
}

QIcon iconForImage(const QImage& image)
{
    if (image.isNull())
        return placeholderIcon();
    // Framed, so a blank page shows on the light grid.
    QImage page = image.scaled(kIconSize, kIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&page);
    painter.setPen(QColor(170, 170, 170));
    painter.drawRect(page.rect().adjusted(0, 0, -1, -1));
    painter.end();
    return QIcon(QPixmap::fromImage(page));
}

QString pathOf(const QUrl& url)
{
    return QDir::cleanPath(url.toLocalFile());
}

} // namespace

QStringList CVLTemplatePickerController::importableFileTypes()
{
    return {RVCartavelDocument::kMapExtension, QStringLiteral("cvlq"), RVCartavelDocument::nativeFileExtension()};
}

CVLTemplatePickerController::CVLTemplatePickerController()
{
    setWindowNibName(QStringLiteral("CartavelDocumentPicker"));
    buildWindow();
}

CVLTemplatePickerController::~CVLTemplatePickerController()
{
    if (m_imageObservation)
        pf::NotificationCenter::defaultCenter().removeObserver(m_imageObservation);
    if (m_folderBrowser)
        m_folderBrowser->setDelegate(nullptr);
}

pf::Ref<CVLTemplatePickerController> CVLTemplatePickerController::templatePicker()
{
    pf::Ref<CVLTemplatePickerController>& picker = sharedPicker();
    if (!picker) {
        picker = std::make_shared<CVLTemplatePickerController>();
        picker->windowDidLoad();
    }
    return picker;
}

void CVLTemplatePickerController::releaseTemplatePicker()
{
    pf::Ref<CVLTemplatePickerController>& picker = sharedPicker();
    if (picker && picker->isWindowLoaded())
        picker->window()->hide();
    picker.reset();
}

bool CVLTemplatePickerController::shouldDisplayTemplatePickerAtLaunch()
{
    return pf::UserDefaults::standard().boolForKey(kShowAtStartupDefault) && RVCartavelDocument::hasTemplatesAvailable();
}

void CVLTemplatePickerController::buildWindow()
{
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setWindowTitle(tr("Choose a Template"));
    window->resize(860, 560);
    auto* layout = new QVBoxLayout(window);
    auto* splitter = new QSplitter(window);

    auto* left = new QWidget(splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    m_header = new QLabel(tr("Template Categories"), left);
    leftLayout->addWidget(m_header);
    m_folderBrowser = std::make_shared<RVFolderBrowserController>(left);
    leftLayout->addWidget(m_folderBrowser->outlineView());

    auto* right = new QWidget(splitter);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    m_searchField = new QLineEdit(right);
    m_searchField->setPlaceholderText(tr("Search"));
    m_searchField->setClearButtonEnabled(true);
    rightLayout->addWidget(m_searchField);
    m_grid = new QListWidget(right);
    m_grid->setViewMode(QListView::IconMode);
    m_grid->setIconSize(QSize(kIconSize, kIconSize));
    m_grid->setGridSize(QSize(kIconSize + 40, kIconSize + 56));
    m_grid->setResizeMode(QListView::Adjust);
    m_grid->setMovement(QListView::Static);
    m_grid->setWordWrap(true);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    rightLayout->addWidget(m_grid);
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 640});
    layout->addWidget(splitter, 1);

    auto* bottom = new QHBoxLayout;
    m_showAtStartup = new QCheckBox(tr("Show this window when Quillory opens"), window);
    bottom->addWidget(m_showAtStartup);
    bottom->addStretch(1);
    auto* importButton = new QPushButton(tr("Import\u2026"), window);
    auto* blankButton = new QPushButton(tr("New Blank Document"), window);
    m_cancelButton = new QPushButton(tr("Cancel"), window);
    m_okButton = new QPushButton(tr("Choose"), window);
    m_okButton->setDefault(true);
    m_okButton->setEnabled(false);
    for (QPushButton* button : {importButton, blankButton, m_cancelButton.data(), m_okButton.data()})
        bottom->addWidget(button);
    layout->addLayout(bottom);

    auto* reveal = new QAction(tr("Show in File Manager"), m_grid);
    m_grid->addAction(reveal);

    QObject::connect(m_okButton, &QPushButton::clicked, window, [this] { okButtonAction({}); });
    QObject::connect(m_cancelButton, &QPushButton::clicked, window, [window] { window->hide(); });
    QObject::connect(blankButton, &QPushButton::clicked, window, [this] { newDefaultDocumentAction({}); });
    QObject::connect(importButton, &QPushButton::clicked, window, [this] { importTemplatesAction({}); });
    QObject::connect(m_showAtStartup, &QCheckBox::toggled, window, [this](bool on) { showAtStartUpAction(on); });
    QObject::connect(m_searchField, &QLineEdit::textChanged, window, [this] { filterAction({}); });
    QObject::connect(m_grid, &QListWidget::itemSelectionChanged, window, [this] { checkForPossibleSelectionChange(); });
    QObject::connect(m_grid, &QListWidget::itemDoubleClicked, window, [this] { doubleClick({}); });
    QObject::connect(reveal, &QAction::triggered, window, [this] { revealInFinderAction({}); });
    QObject::connect(m_grid, &QListWidget::itemSelectionChanged, reveal,
                     [this, reveal] { reveal->setEnabled(canRevealSelection()); });
    reveal->setEnabled(false);
    setWindow(window);

    m_showAtStartup->setChecked(pf::UserDefaults::standard().boolForKey(kShowAtStartupDefault));
    m_folderBrowser->setRootItems({});
    m_folderBrowser->addRootItemWithURL(RVCartavelDocument::documentTemplatesURL());
    m_folderBrowser->addRootItemWithURL(RVCartavelDocument::userTemplatesURL());
    m_folderBrowser->setDelegate(this);

    // Thumbnails arrive from the background one by one.
    m_imageObservation = pf::NotificationCenter::defaultCenter().addObserver(
        CVLTemplateItem::kImageDidChangeNotification, nullptr, [this](const pf::Notification& notification) {
            updateIcon(dynamic_cast<const CVLTemplateItem*>(notification.object));
        });
}

void CVLTemplatePickerController::windowDidLoad()
{
    QUrl folder;
    const QByteArray bookmark = pf::UserDefaults::standard().dataForKey(kSelectedFolderBookmarkDefault);
    if (!bookmark.isEmpty()) {
        const QString resolved = pf::Bookmark::resolve(bookmark, 0);
        if (!resolved.isEmpty() && QFileInfo(resolved).isDir())
            folder = QUrl::fromLocalFile(resolved);
    }
    if (folder.isEmpty())
        folder = QUrl::fromLocalFile(QDir(RVCartavelDocument::documentTemplatesURL().toLocalFile()).filePath(kStationeryFolder));
    setTemplatesRootURL(folder);
    if (pf::Ref<RVFolderInfo> node = m_folderBrowser->itemWithURL(folder))
        m_folderBrowser->expandItem(node, true);
    if (m_cancelButton)
        m_cancelButton->hide();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        window()->move(screen->availableGeometry().center() - window()->rect().center());
}

void CVLTemplatePickerController::setTemplatesRootURL(const QUrl& url)
{
    m_templatesRootURL = url;
    m_filterString.clear();
    if (m_searchField) {
        const QSignalBlocker quiet(m_searchField);
        m_searchField->clear();
    }
    reloadData();
    const QByteArray bookmark = pf::Bookmark::create(url.toLocalFile(), 0);
    if (!bookmark.isEmpty())
        pf::UserDefaults::standard().setObject(bookmark, kSelectedFolderBookmarkDefault);
}

void CVLTemplatePickerController::reloadData()
{
    const QList<QUrl> urls = RVCartavelDocument::availableTemplatesAtURL(m_templatesRootURL, true);
    setTemplates(CVLTemplateItem::templateItemsWithURLs(urls, m_templates, m_filterString));
}

void CVLTemplatePickerController::setTemplates(const QList<pf::Ref<CVLTemplateItem>>& templates)
{
    m_templates = templates;
    m_prevSelection.clear();
    if (!m_grid)
        return;
    const QSignalBlocker quiet(m_grid);
    m_grid->clear();
    for (const pf::Ref<CVLTemplateItem>& item : m_templates) {
        QString text = item->name();
        const QString info = item->dimensionsAndScaleInfo();
        if (!info.isEmpty())
            text += QLatin1Char('\n') + info;
        auto* row = new QListWidgetItem(iconForImage(item->image()), text, m_grid);
        QString tip = item->path();
        if (pf::Ref<PWXMapScale> scale = item->scale())
            tip += QLatin1Char('\n') + scale->stringValue();
        row->setToolTip(tip);
        row->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    m_grid->clearSelection();
    if (m_okButton)
        m_okButton->setEnabled(false);
}

void CVLTemplatePickerController::updateIcon(const CVLTemplateItem* item)
{
    if (!item || !m_grid)
        return;
    for (int i = 0; i < m_templates.size() && i < m_grid->count(); ++i)
        if (m_templates[i].get() == item)
            m_grid->item(i)->setIcon(iconForImage(m_templates[i]->image()));
}

void CVLTemplatePickerController::setFilterString(const QString& filter)
{
    if (filter == m_filterString)
        return;
    m_filterString = filter;
    reloadData();
}

QUrl CVLTemplatePickerController::selectedTemplateURL() const
{
    if (!m_grid)
        return {};
    const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
    if (rows.size() != 1 || rows.first().row() >= m_templates.size())
        return {};
    return m_templates[rows.first().row()]->url();
}

void CVLTemplatePickerController::checkForPossibleSelectionChange()
{
    QList<int> selection;
    for (const QModelIndex& index : m_grid->selectionModel()->selectedRows())
        selection.append(index.row());
    std::sort(selection.begin(), selection.end());
    if (selection == m_prevSelection)
        return;
    m_prevSelection = selection;
    m_okButton->setEnabled(!selection.isEmpty());
}

void CVLTemplatePickerController::okButtonAction(const QVariant&)
{
    const QUrl url = selectedTemplateURL();
    if (url.isEmpty())
        return;
    // The picker may be released by what the delegate does.
    pf::Ref<pf::Object> keep = shared_from_this();
    if (m_delegate)
        m_delegate->openSelectedTemplateURL(url);
    if (isWindowLoaded())
        window()->hide();
}

void CVLTemplatePickerController::doubleClick(const QVariant&)
{
    if (m_okButton && m_okButton->isEnabled())
        m_okButton->click();
}

void CVLTemplatePickerController::showAtStartUpAction(const QVariant& sender)
{
    pf::UserDefaults::standard().setBool(sender.toBool(), kShowAtStartupDefault);
}

void CVLTemplatePickerController::newDefaultDocumentAction(const QVariant& sender)
{
    if (pf::DocumentController* controller = pf::DocumentController::shared()) {
        controller->newDocument(sender);
        std::weak_ptr<pf::Object> weakSelf = weak_from_this();
        QTimer::singleShot(kNewDocumentSetupDelayMs, QCoreApplication::instance(), [weakSelf] {
            if (auto self = std::static_pointer_cast<CVLTemplatePickerController>(weakSelf.lock()))
                self->openDrawingSetup();
        });
    }
    if (isWindowLoaded())
        window()->hide();
}

void CVLTemplatePickerController::openDrawingSetup()
{
    pf::DocumentController* controller = pf::DocumentController::shared();
    pf::Document* document = controller ? controller->currentDocument() : nullptr;
    if (document && document->respondsTo(QStringLiteral("openDrawingSizePanel:")))
        document->perform(QStringLiteral("openDrawingSizePanel:"), {QVariant()});
}

bool CVLTemplatePickerController::canRevealSelection() const
{
    const QUrl url = selectedTemplateURL();
    return !url.isEmpty() && RVCartavelDocument::isUserTemplateURL(url);
}

void CVLTemplatePickerController::revealInFinderAction(const QVariant&)
{
    if (!canRevealSelection())
        return;
    pf::Workspace::shared().activateFileViewerSelectingURLs({selectedTemplateURL()});
}

void CVLTemplatePickerController::filterAction(const QVariant&)
{
    setFilterString(m_searchField ? m_searchField->text() : QString());
}

QUrl CVLTemplatePickerController::importTemplateFiles(const QList<QUrl>& files, QStringList* failures)
{
    QList<QUrl> accepted;
    for (const QUrl& file : files) {
        if (file.isLocalFile() && importableFileTypes().contains(QFileInfo(file.toLocalFile()).suffix(), Qt::CaseInsensitive))
            accepted.append(file);
        else if (failures)
            failures->append(tr("%1 is not a template.").arg(QFileInfo(file.toLocalFile()).fileName()));
    }
    if (accepted.isEmpty())
        return {};
    const QString userFolder = RVCartavelDocument::userTemplatesURL().toLocalFile();
    QString folderName = QFileInfo(QFileInfo(accepted.last().toLocalFile()).absolutePath()).fileName();
    if (!RVCartavelDocument::isValidTemplateName(folderName))
        folderName = tr("Imported");
    const QString destination = QDir(userFolder).filePath(folderName);
    pf::Error error;
    if (userFolder.isEmpty() || !pf::FileManager::defaultManager().createDirectory(destination, true, &error)) {
        RVLog(kFileEvent, QStringLiteral("failed to create the destination directory, error = %1").arg(error.description()));
        if (failures)
            failures->append(tr("The folder %1 could not be made.").arg(destination));
        return {};
    }
    for (const QUrl& file : accepted) {
        const QString from = QDir::cleanPath(file.toLocalFile());
        const QString to = QDir(destination).filePath(QFileInfo(from).fileName());
        RVLog(kFileEvent, QStringLiteral("copying template %1 to %2").arg(from, to));
        pf::Error copyError;
        if (from == QDir::cleanPath(to))
            continue;
        if (!pf::FileManager::defaultManager().copyItem(from, to, &copyError)) {
            RVLog(kFileEvent, QStringLiteral("failed to copy the file, error = %1").arg(copyError.description()));
            if (failures)
                failures->append(copyError.description());
        }
    }
    return QUrl::fromLocalFile(destination);
}

void CVLTemplatePickerController::importTemplatesAction(const QVariant&)
{
    auto panel = std::make_shared<pf::OpenPanel>();
    panel->setAllowsMultipleSelection(true);
    panel->setCanChooseFiles(true);
    panel->setCanChooseDirectories(false);
    panel->setCanCreateDirectories(false);
    panel->setAllowedFileTypes(importableFileTypes());
    panel->setMessage(tr("Choose files to copy as templates"));
    panel->setPrompt(tr("Copy"));
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    panel->beginSheetModal(window(), [weakSelf, panel](int result) {
        auto self = std::static_pointer_cast<CVLTemplatePickerController>(weakSelf.lock());
        if (!self || result != pf::kModalResponseOK)
            return;
        QStringList failures;
        const QUrl destination = importTemplateFiles(panel->URLs(), &failures);
        if (!destination.isEmpty())
            self->showImportedFolder(destination);
        if (!failures.isEmpty()) {
            auto alert = std::make_shared<pf::Alert>();
            alert->setMessageText(tr("Some files could not be imported as templates."));
            alert->setInformativeText(failures.join(QLatin1Char('\n')));
            alert->beginSheetModal(self->window(), [alert](int) {});
        }
    });
}

void CVLTemplatePickerController::showImportedFolder(const QUrl& destination)
{
    if (destination.isEmpty() || !destination.isLocalFile())
        return;
    pf::Ref<RVFolderInfo> node = m_folderBrowser->itemWithURL(destination);
    if (!node) {
        node = RVFolderInfo::folderInfoWithURL(destination);
        for (const pf::Ref<RVFolderInfo>& root : m_folderBrowser->rootItems())
            if (root->path() == pathOf(RVCartavelDocument::userTemplatesURL()))
                root->addSubfolder(node);
        m_folderBrowser->reload();
        node = m_folderBrowser->itemWithURL(destination);
    }
    CVLTemplateItem::invalidateCache();
    m_templates.clear();
    if (node)
        m_folderBrowser->expandItem(node, true);
    setTemplatesRootURL(destination);
}

void CVLTemplatePickerController::folderBrowserDidSelectFolder(RVFolderBrowserController&,
                                                               const pf::Ref<RVFolderInfo>& folder)
{
    if (!folder)
        return;
    pf::UserDefaults::standard().setObject(folder->identifier(), kSelectedFolderIdentifierDefault);
    if (pathOf(folder->URL()) != pathOf(m_templatesRootURL))
        setTemplatesRootURL(folder->URL());
}

void CVLTemplatePickerController::folderBrowserWasNotifiedOfChangeOnDisk(RVFolderBrowserController&,
                                                                         const pf::Ref<RVFolderInfo>&)
{
    // New items, so that thumbnails are made again from what is on disk now.
    CVLTemplateItem::invalidateCache();
    m_templates.clear();
    reloadData();
}
