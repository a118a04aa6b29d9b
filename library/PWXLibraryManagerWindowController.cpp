#include "library/PWXLibraryManagerWindowController.h"

#include "drawing/PWXSymbolMaster.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryArchivingDelegate.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryGetInfoController.h"
#include "library/PWXLibraryManagerTransfers.h"
#include "library/PWXLibrarySmartCategory.h"
#include "library/PWXLibrarySmartCategoryEditController.h"
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
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryManagerWindowController", text); }

constexpr int kKeyRole = Qt::UserRole + 1;
constexpr int kLibraryRole = Qt::UserRole + 2;

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
    auto* smartButton = new QPushButton(tr("Smart Category…"), window);
    auto* infoButton = new QPushButton(tr("Info"), window);
    smartButton->setObjectName(QStringLiteral("smartCategory"));
    infoButton->setObjectName(QStringLiteral("getInfo"));
    newButton->setObjectName(QStringLiteral("newCollection"));
    importButton->setObjectName(QStringLiteral("importCollection"));
    exportButton->setObjectName(QStringLiteral("exportCollection"));
    buttons->addWidget(newButton);
    buttons->addWidget(importButton);
    buttons->addWidget(smartButton);
    buttons->addStretch(1);
    buttons->addWidget(infoButton);
    buttons->addWidget(exportButton);
    layout->addLayout(buttons);
    setWindow(window);
    // The buttons live in the window, which this controller owns: they never outlive it.
    QObject::connect(newButton, &QPushButton::clicked, window, [this] { askAndMakeCollection(); });
    QObject::connect(importButton, &QPushButton::clicked, window, [this] { importLibraryAction(); });
    QObject::connect(exportButton, &QPushButton::clicked, window, [this] { exportLibraryAction(); });
    m_transfers = std::make_shared<PWXLibraryManagerTransfers>();
    m_transfers->setHost(this);
    m_getInfo = std::make_shared<PWXLibraryGetInfoController>();
    m_smartEdit = std::make_shared<PWXLibrarySmartCategoryEditController>();
    QObject::connect(smartButton, &QPushButton::clicked, window, [this] { chooseSmartCategory(); });
    QObject::connect(infoButton, &QPushButton::clicked, window, [this] { showGetInfoPanel(); });
    QObject::connect(m_outline, &QTreeWidget::itemSelectionChanged, window, [this] { selectionChanged(); });

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
    m_transfers->setHost(nullptr);
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

// --- Transfers --------------------------------------------------------------------------------

bool PWXLibraryManagerWindowController::importItemsAsSymbols(const QList<pf::Ref<pf::Object>>& objects,
                                                             pf::Ref<PWXLibrary> library,
                                                             pf::Ref<PWXLibraryCategory> category)
{
    return m_transfers->importItemsAsSymbols(objects, std::move(library), std::move(category));
}

bool PWXLibraryManagerWindowController::confirmAndImportLibraryFile(const QString& path, bool confirm)
{
    return m_transfers->confirmAndImportLibraryFile(path, confirm);
}

void PWXLibraryManagerWindowController::importLibraryAction(const QVariant& sender)
{
    m_transfers->importLibraryAction(sender);
}

void PWXLibraryManagerWindowController::exportLibraryAction(const QVariant& sender)
{
    m_transfers->exportLibraryAction(sender);
}

void PWXLibraryManagerWindowController::showTransferWindow()
{
    pf::WindowController::showWindow({});
    if (QWidget* shown = window()) {
        shown->raise();
        shown->activateWindow();
    }
}

void PWXLibraryManagerWindowController::reloadLibrarySelectingCategory(const pf::Ref<PWXLibrary>&,
                                                                       const pf::Ref<PWXLibraryCategory>&)
{
    reloadLibraries();
}

void PWXLibraryManagerWindowController::reloadElementRow(const pf::Ref<PWXLibraryElementContainer>&)
{
    reloadLibraries();
}

void PWXLibraryManagerWindowController::reloadItemList(bool) { reloadLibraries(); }

void PWXLibraryManagerWindowController::selectItems(const QList<pf::Ref<PWXLibraryItem>>& items)
{
    if (!m_outline)
        return;
    m_outline->clearSelection();
    for (const pf::Ref<PWXLibraryItem>& item : items)
        if (QTreeWidgetItem* row = item ? rowForItem(item->uniqueKey()) : nullptr) {
            for (QTreeWidgetItem* parent = row->parent(); parent; parent = parent->parent())
                parent->setExpanded(true);
            row->setSelected(true);
        }
    if (QTreeWidgetItem* first = items.isEmpty() || !items.first() ? nullptr : rowForItem(items.first()->uniqueKey()))
        m_outline->scrollToItem(first);
}

void PWXLibraryManagerWindowController::libraryWasInstalled(const pf::Ref<PWXLibrary>& library)
{
    reloadLibraries();
    if (!m_outline || !library)
        return;
    for (QTreeWidgetItemIterator it(m_outline); *it; ++it)
        if ((*it)->data(0, kLibraryRole).toString() == library->identifier() && (*it)->data(0, kKeyRole).isNull()) {
            for (QTreeWidgetItem* parent = (*it)->parent(); parent; parent = parent->parent())
                parent->setExpanded(true);
            m_outline->clearSelection();
            (*it)->setSelected(true);
            m_outline->setCurrentItem(*it);
            m_outline->scrollToItem(*it);
            return;
        }
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

void PWXLibraryManagerWindowController::askAndMakeCollection()
{
    bool ok = false;
    const QString name = QInputDialog::getText(window(), tr("New Collection"), tr("Name of the new collection:"),
                                               QLineEdit::Normal, tr("New Collection"), &ok);
    if (ok)
        newCollection(name);
}

// --- Information and smart categories -----------------------------------------------------------

void PWXLibraryManagerWindowController::selectionChanged()
{
    QList<pf::Ref<PWXLibraryItem>> items;
    for (const QString& key : selectedItemUniqueIDs())
        if (pf::Ref<PWXLibrary> library = PWXLibrary::libraryContainingItemWithUniqueID(key))
            if (pf::Ref<PWXLibraryItem> item = library->itemWithUniqueID(key))
                items.append(item);
    m_getInfo->setContent(items);
}

void PWXLibraryManagerWindowController::showGetInfoPanel()
{
    QWidget* panel = m_getInfo->view();
    if (!panel->isWindow() || !panel->parentWidget()) {
        // A small window of its own that stays with the library window.
        panel->setParent(window(), Qt::Tool);
        panel->resize(300, 420);
        if (QWidget* owner = window())
            panel->move(owner->frameGeometry().topRight() + QPoint(8, 0));
    }
    selectionChanged();
    panel->show();
    panel->raise();
}

void PWXLibraryManagerWindowController::chooseSmartCategory()
{
    pf::Ref<PWXLibrary> library = selectedLibrary();
    if (!library || !library->allowsCategoryChanges()) {
        pf::Application::beep();
        return;
    }
    QList<pf::Ref<PWXLibrarySmartCategory>> smart;
    QStringList choices;
    for (const pf::Ref<PWXLibraryCategory>& category : library->categories())
        if (auto candidate = std::dynamic_pointer_cast<PWXLibrarySmartCategory>(category))
            if (candidate->predicateEditable()) {
                smart.append(candidate);
                choices.append(candidate->name());
            }
    choices.append(tr("New Smart Category"));
    bool ok = false;
    const QString chosen = QInputDialog::getItem(window(), tr("Smart Category"),
                                                 tr("Smart category of \u201C%1\u201D to edit:").arg(library->name()),
                                                 choices, 0, false, &ok);
    if (!ok)
        return;
    const qsizetype index = choices.indexOf(chosen);
    editSmartCategory(index >= 0 && index < smart.size() ? smart[index] : nullptr);
}

void PWXLibraryManagerWindowController::editSmartCategory(pf::Ref<PWXLibrarySmartCategory> category)
{
    if (!category) {
        pf::Ref<PWXLibrary> library = selectedLibrary();
        if (!library || !library->allowsCategoryChanges())
            return;
        auto made = std::make_shared<PWXLibrarySmartCategory>(
            library->uniqueNameForSubContainer(tr("untitled smart category")));
        library->addCategory(made);
        category = made;
    }
    m_smartEdit->beginSmartCategoryEdit(category, window(), this);
}

void PWXLibraryManagerWindowController::smartCategoryEditorDidFinishEditingCategory(PWXLibrarySmartCategoryEditController*,
                                                                                   PWXLibrarySmartCategory*)
{
    reloadLibraries();
}
