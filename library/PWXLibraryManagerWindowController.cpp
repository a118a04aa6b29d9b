#include "library/PWXLibraryManagerWindowController.h"

#include "drawing/PWXSymbolMaster.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryArchivingDelegate.h"
#include "library/PWXLibraryItem.h"
#include "platform/ui/OpenPanel.h"
#include "platform/ui/SavePanel.h"
#include "platform/ui/Sheet.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/registries/PWCategoryManager.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QPushButton>
#include <QIcon>
#include <QPixmap>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryManagerWindowController", text); }

constexpr int kKeyRole = Qt::UserRole + 1;
constexpr int kLibraryRole = Qt::UserRole + 2;

// Hands the end of an export back to the window, if it is still there.
class ExportDelegate : public PWXLibraryArchivingDelegate {
public:
    explicit ExportDelegate(std::function<void(PWXLibrary*, const QUrl&)> ended) : m_ended(std::move(ended)) {}
    void libraryAvailableAsZipArchiveURL(PWXLibrary* library, const QUrl& url) override { m_ended(library, url); }

private:
    std::function<void(PWXLibrary*, const QUrl&)> m_ended;
};

pf::Ref<PWXLibraryManagerWindowController>& sharedManager()
{
    static pf::Ref<PWXLibraryManagerWindowController> manager;
    return manager;
}

} // namespace

PF_DEFINE_CLASS(PWXLibraryManagerWindowController, pf::WindowController) {}

PWXLibraryManagerWindowController::PWXLibraryManagerWindowController()
{
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setWindowTitle(tr("Library"));
    window->resize(420, 560);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    m_outline = new QTreeWidget(window);
    m_outline->setColumnCount(2);
    m_outline->setHeaderLabels({tr("Name"), tr("Kind")});
    m_outline->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_outline->setIconSize(QSize(32, 32));
    m_outline->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(m_outline);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 4, 8, 8);
    auto* newButton = new QPushButton(tr("New Collection…"), window);
    auto* importButton = new QPushButton(tr("Import Collection…"), window);
    auto* exportButton = new QPushButton(tr("Export Collection…"), window);
    newButton->setObjectName(QStringLiteral("newCollection"));
    importButton->setObjectName(QStringLiteral("importCollection"));
    exportButton->setObjectName(QStringLiteral("exportCollection"));
    buttons->addWidget(newButton);
    buttons->addWidget(importButton);
    buttons->addStretch(1);
    buttons->addWidget(exportButton);
    layout->addLayout(buttons);
    setWindow(window);
    // The buttons live in the window, which this controller owns: they never outlive it.
    QObject::connect(newButton, &QPushButton::clicked, window, [this] { askAndMakeCollection(); });
    QObject::connect(importButton, &QPushButton::clicked, window, [this] { chooseAndImport(); });
    QObject::connect(exportButton, &QPushButton::clicked, window, [this] { chooseAndExport(); });

    // Any change to the libraries reloads the outline once, on the next turn of the run loop.
    auto& center = pf::NotificationCenter::defaultCenter();
    // A preview that arrives from the loading queue goes straight to its row.
    m_observations.append(center.addObserver(kPWXLibraryObjectImageUpdated, nullptr, [this](const pf::Notification& note) {
        auto* item = dynamic_cast<PWXLibraryItem*>(note.object);
        QTreeWidgetItem* row = item ? rowForItem(item->uniqueKey()) : nullptr;
        const QImage preview = item ? PWXLibraryItem::iconForItem(*item) : QImage();
        if (row && !preview.isNull())
            row->setIcon(0, QIcon(QPixmap::fromImage(preview)));
    }));
    for (const QString& name : {kPWXLibraryGroupContentWasChanged, kPWXLibraryDidAddItem, kPWXLibraryDidRemoveItem,
                                kPWXLibraryDidChangeName, kPWXDocumentLibraryWasAddedOrRemoved}) {
        m_observations.append(center.addObserver(name, nullptr, [this](const pf::Notification&) {
            if (m_reloadPending || !pf::RunLoop::isMainThread())
                return;
            m_reloadPending = true;
            std::weak_ptr<pf::Object> weakSelf = weak_from_this();
            QMetaObject::invokeMethod(qApp, [weakSelf] {
                if (auto self = std::static_pointer_cast<PWXLibraryManagerWindowController>(weakSelf.lock())) {
                    self->m_reloadPending = false;
                    self->reloadLibraries();
                }
            }, Qt::QueuedConnection);
        }));
    }
    reloadLibraries();
}

PWXLibraryManagerWindowController::~PWXLibraryManagerWindowController()
{
    for (quint64 token : m_observations)
        pf::NotificationCenter::defaultCenter().removeObserver(token);
}

pf::Ref<PWXLibraryManagerWindowController> PWXLibraryManagerWindowController::sharedLibraryManager()
{
    pf::Ref<PWXLibraryManagerWindowController>& manager = sharedManager();
    if (!manager)
        manager = std::make_shared<PWXLibraryManagerWindowController>();
    return manager;
}

bool PWXLibraryManagerWindowController::sharedLibraryManagerAvailable() { return sharedManager() != nullptr; }

void PWXLibraryManagerWindowController::releaseSharedLibraryManager()
{
    pf::Ref<PWXLibraryManagerWindowController>& manager = sharedManager();
    manager.reset();
}

void PWXLibraryManagerWindowController::showWindow(const QVariant& sender)
{
    reloadLibraries();
    pf::WindowController::showWindow(sender);
}

void PWXLibraryManagerWindowController::reloadLibraries()
{
    if (!m_outline)
        return;
    const QStringList selected = selectedItemUniqueIDs();
    PWXLibrary::initializeRegistry();
    m_outline->clear();
    m_rows.clear();
    QTreeWidgetItem* groupRow = nullptr;
    for (const pf::Ref<PWXLibraryElement>& entry : PWXLibraryGroup::flattenedListOfGroupsAndLibraries()) {
        if (auto group = std::dynamic_pointer_cast<PWXLibraryGroup>(entry)) {
            groupRow = new QTreeWidgetItem(m_outline, {group->displayName()});
            groupRow->setToolTip(0, group->toolTipString());
            QFont bold = groupRow->font(0);
            bold.setBold(true);
            groupRow->setFont(0, bold);
            groupRow->setFlags(Qt::ItemIsEnabled);
            continue;
        }
        auto library = std::dynamic_pointer_cast<PWXLibrary>(entry);
        if (!library || !groupRow)
            continue;
        auto* libraryRow = new QTreeWidgetItem(groupRow, {library->name()});
        libraryRow->setToolTip(0, library->toolTipString());
        libraryRow->setData(0, kLibraryRole, library->identifier());
        libraryRow->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable); // chosen for export
        QList<pf::Ref<PWXLibraryItem>> items = library->items();
        std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
            return PWCategoryManager::compareNames(a->name(), b->name()) < 0;
        });
        for (const pf::Ref<PWXLibraryItem>& item : items) {
            auto* row = new QTreeWidgetItem(libraryRow, {item->name(), item->kind()});
            row->setData(0, kKeyRole, item->uniqueKey());
            row->setData(0, kLibraryRole, library->identifier());
            m_rows.insert(item->uniqueKey(), row);
            row->setToolTip(0, item->toolTipString());
            const QImage preview = item->previewImage();
            if (!preview.isNull())
                row->setIcon(0, QIcon(QPixmap::fromImage(preview)));
        }
        groupRow->setExpanded(true);
    }
    // The rows selected before stay selected and in view.
    for (const QString& key : selected)
        if (QTreeWidgetItem* row = rowForItem(key)) {
            for (QTreeWidgetItem* parent = row->parent(); parent; parent = parent->parent())
                parent->setExpanded(true);
            row->setSelected(true);
        }
}

QTreeWidgetItem* PWXLibraryManagerWindowController::rowForItem(const QString& key) const
{
    // Rows by key: previews arrive one by one for every row, so finding one must not search.
    return m_outline && !key.isEmpty() ? m_rows.value(key) : nullptr;
}

bool PWXLibraryManagerWindowController::showItemWithUniqueID(const QString& key, bool select)
{
    if (!PWXLibrary::libraryContainingItemWithUniqueID(key))
        return false;
    QTreeWidgetItem* row = rowForItem(key);
    if (!row) {
        reloadLibraries();
        row = rowForItem(key);
    }
    if (!row)
        return false;
    for (QTreeWidgetItem* parent = row->parent(); parent; parent = parent->parent())
        parent->setExpanded(true);
    if (select) {
        m_outline->clearSelection();
        row->setSelected(true);
        m_outline->setCurrentItem(row);
    }
    m_outline->scrollToItem(row);
    return true;
}

QString PWXLibraryManagerWindowController::selectedItemUniqueID() const
{
    if (!m_outline)
        return {};
    const QList<QTreeWidgetItem*> rows = m_outline->selectedItems();
    return rows.isEmpty() ? QString() : rows.first()->data(0, kKeyRole).toString();
}

QStringList PWXLibraryManagerWindowController::selectedItemUniqueIDs() const
{
    QStringList keys;
    if (!m_outline)
        return keys;
    for (QTreeWidgetItem* row : m_outline->selectedItems()) {
        const QString key = row->data(0, kKeyRole).toString();
        if (!key.isEmpty())
            keys.append(key);
    }
    return keys;
}

// --- Drawable objects as clip art ------------------------------------------------------------

bool PWXLibraryManagerWindowController::importItemsAsSymbols(const QList<pf::Ref<pf::Object>>& objects,
                                                             pf::Ref<PWXLibrary> library,
                                                             pf::Ref<PWXLibraryCategory> category)
{
    const QList<pf::Ref<pf::Object>> donors = PWXSymbolMaster::validSymbolDonorObjectsFromArray(objects);
    if (donors.isEmpty())
        return false;
    PWXLibrary::initializeRegistry();
    if (!library)
        library = PWXLibrary::userLibraryForImpliedOperation();
    if (!library || !library->allowsContentChanges() || library->isDamaged())
        return false;
    if (!category)
        category = library->allItemsCategory();
    if (!category)
        return false;

    QList<pf::Ref<PWXLibraryItem>> made;
    for (const pf::Ref<pf::Object>& donor : donors) {
        auto drawable = std::dynamic_pointer_cast<PWDrawableObject>(donor);
        if (!drawable)
            continue;
        const QString name = library->uniqueItemName(tr("untitled clip art"));
        pf::Ref<PWXSymbolMaster> master = PWXSymbolMaster::symbolMasterWithObject(drawable, name);
        if (!master || !master->object())
            continue;
        pf::Ref<PWXLibraryItem> item = PWXLibraryItem::itemWithLibraryObject(master);
        if (!item)
            continue;
        category->addItem(item);
        // The library refuses an item it cannot hold; only what it took is reported as made.
        if (library->containsUniqueID(item->uniqueKey()))
            made.append(item);
    }
    if (made.isEmpty())
        return false;

    reloadLibraries();
    if (m_outline) {
        m_outline->clearSelection();
        for (const pf::Ref<PWXLibraryItem>& item : made)
            if (QTreeWidgetItem* row = rowForItem(item->uniqueKey())) {
                for (QTreeWidgetItem* parent = row->parent(); parent; parent = parent->parent())
                    parent->setExpanded(true);
                row->setSelected(true);
            }
        if (QTreeWidgetItem* first = rowForItem(made.first()->uniqueKey()))
            m_outline->scrollToItem(first);
    }

    if (made.size() < objects.size()) {
        pf::Application::beep();
        pf::Alert alert;
        alert.setMessageText(tr("Add Clip Art"));
        alert.addButton(tr("OK"));
        alert.setInformativeText(tr("Some items could not be added because they are not compatible with clip art.\n\n "
                                    "The remaining %1 were converted successfully and may now be reviewed as required.")
                                     .arg(made.size()));
        alert.runModal();
    }
    return true;
}

// --- Collections ------------------------------------------------------------------------------

pf::Ref<PWXLibrary> PWXLibraryManagerWindowController::selectedLibrary() const
{
    if (!m_outline)
        return nullptr;
    const QList<QTreeWidgetItem*> rows = m_outline->selectedItems();
    QTreeWidgetItem* row = rows.isEmpty() ? m_outline->currentItem() : rows.first();
    if (!row)
        return nullptr;
    return PWXLibrary::libraryContainingIdentifier(row->data(0, kLibraryRole).toString());
}

pf::Ref<PWXLibrary> PWXLibraryManagerWindowController::newCollection(const QString& name)
{
    if (name.trimmed().isEmpty())
        return nullptr;
    pf::Ref<PWXLibrary> library = PWXLibrary::userLibraryWithPreferredName(name.trimmed());
    reloadLibraries();
    return library;
}

pf::Ref<PWXLibrary> PWXLibraryManagerWindowController::importCollectionAtPath(const QString& path)
{
    pf::Ref<PWXLibrary> library = PWXLibrary::importLibraryAtPath(path);
    if (!library) {
        pf::Application::beep();
        pf::Alert alert;
        alert.setMessageText(tr("The collection could not be imported."));
        alert.setInformativeText(tr("“%1” is not a collection, or a zip archive of one, that can be read.")
                                     .arg(QFileInfo(path).fileName()));
        alert.addButton(tr("OK"));
        alert.runModal();
        return nullptr;
    }
    reloadLibraries();
    return library;
}

bool PWXLibraryManagerWindowController::exportCollection(const pf::Ref<PWXLibrary>& library, const QUrl& destination)
{
    if (!library || !library->hasPresenceOnDisk() || m_exporting)
        return false;
    m_exporting = true;
    m_lastExport = QUrl();
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    pf::Weak<PWXLibrary> weakLibrary = library;
    auto delegate = std::make_shared<ExportDelegate>([weakSelf, weakLibrary](PWXLibrary*, const QUrl& url) {
        if (auto self = std::static_pointer_cast<PWXLibraryManagerWindowController>(weakSelf.lock()))
            self->exportEnded(weakLibrary.lock(), url);
    });
    library->writeZipFileAtURL(destination, delegate);
    return true;
}

void PWXLibraryManagerWindowController::exportEnded(const pf::Ref<PWXLibrary>& library, const QUrl& url)
{
    m_exporting = false;
    m_lastExport = url;
    if (!url.isEmpty())
        return;
    pf::Application::beep();
    pf::Alert alert;
    alert.setMessageText(tr("The collection could not be exported."));
    alert.setInformativeText(tr("The zip archive of “%1” could not be written. Check that the folder you chose can be "
                                "written to and has room.")
                                 .arg(library ? library->name() : QString()));
    alert.addButton(tr("OK"));
    alert.runModal();
}

void PWXLibraryManagerWindowController::askAndMakeCollection()
{
    bool ok = false;
    const QString name = QInputDialog::getText(window(), tr("New Collection"), tr("Name of the new collection:"),
                                               QLineEdit::Normal, tr("New Collection"), &ok);
    if (ok)
        newCollection(name);
}

void PWXLibraryManagerWindowController::chooseAndImport()
{
    auto panel = std::make_shared<pf::OpenPanel>();
    panel->setTitle(tr("Import Collection"));
    panel->setCanChooseFiles(true);
    panel->setCanChooseDirectories(true);
    panel->setAllowedFileTypes({PWXLibrary::libraryExtension(), QStringLiteral("zip")});
    if (panel->runModal() != pf::kModalResponseOK || panel->URLs().isEmpty())
        return;
    importCollectionAtPath(panel->URLs().first().toLocalFile());
}

void PWXLibraryManagerWindowController::chooseAndExport()
{
    pf::Ref<PWXLibrary> library = selectedLibrary();
    if (!library) {
        pf::Application::beep();
        return;
    }
    auto panel = std::make_shared<pf::SavePanel>();
    panel->setTitle(tr("Export Collection"));
    panel->setPrompt(tr("Export"));
    panel->setAllowedFileTypes({QStringLiteral("zip")});
    panel->setNameFieldStringValue(library->name() + QStringLiteral(".zip"));
    if (panel->runModal() != pf::kModalResponseOK)
        return;
    exportCollection(library, panel->URL());
}
