#include "library/PWXLibraryManagerWindowController.h"

#include "drawing/PWXSymbolMaster.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryItem.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/registries/PWCategoryManager.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHeaderView>
#include <QIcon>
#include <QPixmap>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryManagerWindowController", text); }

constexpr int kKeyRole = Qt::UserRole + 1;

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
    setWindow(window);

    // Any change to the libraries reloads the outline once, on the next turn of the run loop.
    auto& center = pf::NotificationCenter::defaultCenter();
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
        libraryRow->setFlags(Qt::ItemIsEnabled);
        QList<pf::Ref<PWXLibraryItem>> items = library->items();
        std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
            return PWCategoryManager::compareNames(a->name(), b->name()) < 0;
        });
        for (const pf::Ref<PWXLibraryItem>& item : items) {
            auto* row = new QTreeWidgetItem(libraryRow, {item->name(), item->kind()});
            row->setData(0, kKeyRole, item->uniqueKey());
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
    if (!m_outline || key.isEmpty())
        return nullptr;
    for (int g = 0; g < m_outline->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = m_outline->topLevelItem(g);
        for (int l = 0; l < group->childCount(); ++l) {
            QTreeWidgetItem* library = group->child(l);
            for (int i = 0; i < library->childCount(); ++i)
                if (library->child(i)->data(0, kKeyRole).toString() == key)
                    return library->child(i);
        }
    }
    return nullptr;
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
