#include "library/PWXLibraryItemViewController.h"

#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryItem.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ButtonCell.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PopUpButton.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/PrintOperation.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/TableColumn.h"
#include "platform/ui/Workspace.h"
#include "widgets/RVIconTextFieldCell.h"
#include "widgets/RVLabelledIconCell.h"
#include "widgets/RVPrintableZDDistributedView.h"
#include "widgets/RVStyleButtonCell.h"

#include <QCoreApplication>
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryItemViewController", text); }

const QString kNameColumn = QStringLiteral("name");
const QString kKindColumn = QStringLiteral("kind");
const QString kLockedColumn = QStringLiteral("locked");
constexpr double kPrintCell = 52.0;

} // namespace

PF_DEFINE_CLASS(PWXLibraryItemViewController, pf::Object)
{
    b.method("delete:", &PWXLibraryItemViewController::deleteAction);
    b.method("copy:", &PWXLibraryItemViewController::copy);
    b.method("deleteItemsOKAction:", &PWXLibraryItemViewController::deleteItemsOKAction);
    b.method("deleteItemsCancelAction:", &PWXLibraryItemViewController::deleteItemsCancelAction);
    b.method("iconSizingAction:", &PWXLibraryItemViewController::iconSizingAction);
    b.method("layoutModeAction:", &PWXLibraryItemViewController::layoutModeAction);
    b.method("iconContinuousSizingAction:", &PWXLibraryItemViewController::iconContinuousSizingAction);
    b.method("enableEditingAction:", &PWXLibraryItemViewController::enableEditingAction);
    b.method("revealInFinderAction:", &PWXLibraryItemViewController::revealInFinderAction);
    b.method("renameAction:", &PWXLibraryItemViewController::renameAction);
    b.method("toggleIconScalingAction:", &PWXLibraryItemViewController::toggleIconScalingAction);
    b.method("toggleLockBadgingAction:", &PWXLibraryItemViewController::toggleLockBadgingAction);
    b.method("backgroundColourAction:", &PWXLibraryItemViewController::backgroundColourAction);
    b.method("sortByAction:", &PWXLibraryItemViewController::sortByAction);
    b.method("selectAll:", &PWXLibraryItemViewController::selectAll);
    b.method("selectNone:", &PWXLibraryItemViewController::selectNone);
    b.method("selectOthers:", &PWXLibraryItemViewController::selectOthers);
}

PWXLibraryItemViewController::PWXLibraryItemViewController()
{
    buildViews();
    auto& center = pf::NotificationCenter::defaultCenter();
    for (const QString& name : {kPWXLibraryObjectInternallyUpdated, kPWXLibraryObjectImageUpdated}) {
        m_observations.append(center.addObserver(name, nullptr, [this, name](const pf::Notification& note) {
            auto* item = dynamic_cast<PWXLibraryItem*>(note.object);
            if (!item)
                return;
            if (name == kPWXLibraryObjectInternallyUpdated) {
                m_previews.remove(item); // a changed item shows its new preview
            } else if (m_indexOfItem.contains(item)) {
                // Kept at once, shown or not: the shared preview cache holds fewer previews than
                // a large collection has, and one that arrived must not be decoded again when
                // the user scrolls back to it.
                const QImage preview = PWXLibraryItem::iconForItem(*item);
                if (!preview.isNull())
                    m_previews.insert(item, pf::Image::fromQImage(preview));
            }
            itemChanged(item);
        }));
    }
    m_observations.append(center.addObserver(ZDDistributedViewSelectionDidChangeNotification, nullptr,
                                             [this](const pf::Notification& note) {
                                                 if (m_iconView && note.object == static_cast<pf::Reflective*>(m_iconView.data()) && m_delegate
                                                     && m_mode == IconLayout)
                                                     m_delegate->itemSelectionChanged(m_iconView->selectedItemIndexes());
                                             }));
    // Sort by name, ascending, until the owner or the user chooses otherwise.
    setSortedBy(0);
    setIconSizing(0);
    setLayoutMode(IconLayout);
}

PWXLibraryItemViewController::~PWXLibraryItemViewController()
{
    for (quint64 token : m_observations)
        pf::NotificationCenter::defaultCenter().removeObserver(token);
    if (m_table) {
        m_table->setDataSource(nullptr);
        m_table->setDelegate(nullptr);
    }
    delete m_container;
    delete m_toolbar;
    delete m_deleteSheet;
}

void PWXLibraryItemViewController::buildViews()
{
    m_container = new QWidget;
    auto* layout = new QVBoxLayout(m_container);
    layout->setContentsMargins(0, 0, 0, 0);
    m_stack = new QStackedWidget(m_container);
    layout->addWidget(m_stack);
    auto* scroll = new pf::ScrollView(m_stack);
    scroll->setHasVerticalScroller(true);
    scroll->setHasHorizontalScroller(false);
    scroll->setAutohidesScrollers(true);
    scroll->setDrawsBackground(true);
    m_iconScroll = scroll;
    m_stack->addWidget(scroll);
    setIconView(new ZDDistributedView(QRectF(0, 0, 400, 300)));

    m_table = new pf::TableView(m_stack);
    m_table->setObjectName(QStringLiteral("itemList"));
    const QList<std::pair<QString, QString>> columns{
        {kNameColumn, tr("Name")}, {kKindColumn, tr("Kind")}, {kLockedColumn, tr("Locked")}};
    for (const auto& [identifier, title] : columns) {
        pf::Ref<pf::TableColumn> column = pf::TableColumn::make(identifier);
        column->setTitle(title);
        column->setSortDescriptorPrototype(pf::SortDescriptor(identifier, true));
        column->setEditable(identifier == kNameColumn);
        if (identifier == kNameColumn) {
            column->setDataCell(std::make_shared<RVIconTextFieldCell>());
            column->setWidth(240);
        } else if (identifier == kLockedColumn) {
            auto check = std::make_shared<pf::ButtonCell>(QString());
            check->setButtonType(pf::ButtonType::Switch);
            column->setDataCell(check);
            column->setEditable(true);
            column->setWidth(60);
        } else {
            column->setWidth(90);
        }
        m_table->addTableColumn(column);
    }
    m_table->setRowHeight(34);
    m_table->setAllowsMultipleSelection(true);
    m_table->setVerticalMotionCanBeginDrag(true);
    m_table->setDraggingSourceOperationMask(pf::DragOperationCopy | pf::DragOperationDelete, false);
    m_table->setDataSource(this);
    m_table->setDelegate(this);
    m_stack->addWidget(m_table);

    m_toolbar = new QWidget;
    auto* bar = new QHBoxLayout(m_toolbar);
    bar->setContentsMargins(0, 0, 0, 0);
    m_layoutControl = new pf::SegmentedControl(m_toolbar);
    m_layoutControl->setObjectName(QStringLiteral("layoutMode"));
    m_layoutControl->setSegmentCount(2);
    m_layoutControl->setLabel(tr("Icons"), 0);
    m_layoutControl->setLabel(tr("List"), 1);
    m_layoutControl->setTag(IconLayout, 0);
    m_layoutControl->setTag(ListLayout, 1);
    m_layoutControl->setTarget(this);
    m_layoutControl->setAction(QStringLiteral("layoutModeAction:"));
    m_layoutControl->setFixedHeight(24);
    m_layoutControl->sizeToFit();
    m_layoutControl->setFixedSize(m_layoutControl->size());
    m_iconSizeControl = new pf::SegmentedControl(m_toolbar);
    m_iconSizeControl->setObjectName(QStringLiteral("iconSize"));
    // Small to large: the segment tags are the sizing codes.
    const QList<std::pair<int, QString>> sizes{{3, tr("S")}, {0, tr("M")}, {1, tr("L")}, {2, tr("XL")}};
    m_iconSizeControl->setSegmentCount(int(sizes.size()));
    for (int i = 0; i < sizes.size(); ++i) {
        m_iconSizeControl->setLabel(sizes[i].second, i);
        m_iconSizeControl->setTag(sizes[i].first, i);
        m_iconSizeControl->setToolTip(tr("Icons of %1 points").arg(iconSizeForSizing(sizes[i].first)), i);
    }
    m_iconSizeControl->setTarget(this);
    m_iconSizeControl->setAction(QStringLiteral("iconSizingAction:"));
    m_iconSizeControl->setFixedHeight(24);
    m_iconSizeControl->sizeToFit();
    m_iconSizeControl->setFixedSize(m_iconSizeControl->size());
    m_sortPopUp = new pf::PopUpButton(m_toolbar);
    m_sortPopUp->setObjectName(QStringLiteral("sortBy"));
    const QList<std::pair<int, QString>> sorts{{0, tr("Sort by Name")}, {1, tr("Sort by Kind")}, {2, tr("Sort by Lock")}};
    for (const auto& [tag, title] : sorts) {
        pf::MenuItem* item = m_sortPopUp->addItemWithTitle(title);
        item->setTag(tag);
        item->setTarget(this);
        item->setAction(QStringLiteral("sortByAction:"));
    }
    m_sortPopUp->setFixedHeight(24);
    m_sortPopUp->sizeToFit();
    m_sortPopUp->setFixedSize(m_sortPopUp->size());
    bar->addWidget(m_layoutControl);
    bar->addWidget(m_iconSizeControl);
    bar->addStretch(1);
    bar->addWidget(m_sortPopUp);
    pf::setWidgetController(m_container, this);
    pf::setWidgetController(m_toolbar, this);
}

QWidget* PWXLibraryItemViewController::activeView() const
{
    return m_mode == ListLayout ? static_cast<QWidget*>(m_table) : static_cast<QWidget*>(m_iconView);
}

void PWXLibraryItemViewController::setIconView(ZDDistributedView* view)
{
    if (!view || view == m_iconView)
        return;
    if (m_iconView) {
        m_iconView->setDataSource(nullptr);
        m_iconView->setDelegate(nullptr);
        delete m_iconView;
    }
    m_iconView = view;
    view->setObjectName(QStringLiteral("itemIcons"));
    // The prototype draws every item: an editable labelled icon, highlighted in the browser's
    // selection colour.
    auto cell = std::make_shared<RVLabelledIconCell>();
    cell->setEditable(true);
    cell->setHighlightColour(cellSelectionColour());
    cell->setTextBackgroundHighlightColour(pf::SystemColor::selectedTextBackground());
    view->setPrototype(cell);
    view->setCellInset(QSizeF(1, 1));
    view->setCellSize(m_cellSize);
    view->setCanBecomeKeyView(true);
    view->setDataSource(this);
    view->setDelegate(this);
    if (auto* scroll = qobject_cast<pf::ScrollView*>(m_iconScroll.data()))
        scroll->setDocumentView(view);
}

QWidget* PWXLibraryItemViewController::sheetHostWindow() const
{
    if (m_sheetHost)
        return m_sheetHost;
    return m_container ? m_container->window() : nullptr;
}

void PWXLibraryItemViewController::setDelegate(PWXLibraryItemViewControllerDelegate* delegate)
{
    m_delegate = delegate;
    // Settings belong to an owner: letting go of one reads (and writes) nothing.
    if (delegate)
        readSettings();
}

QString PWXLibraryItemViewController::defaultsKey(const QString& pattern) const
{
    const QString root = m_delegate ? m_delegate->saveSettingsRootNameForItemViewController(
                                          const_cast<PWXLibraryItemViewController&>(*this))
                                    : QString();
    return pattern.arg(root);
}

void PWXLibraryItemViewController::readSettings()
{
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    // Stored inverted: a missing key means upscaling is on.
    m_allowIconUpscaling = !defaults.boolForKey(defaultsKey(kIconUpscalingKey));
    const QVariant badging = defaults.objectForKey(defaultsKey(kLockBadgingKey));
    m_lockBadging = badging.isValid() ? badging.toBool() : true;
    // The sentinel makes both apply even when they equal what is shown.
    m_iconSizing = 100;
    m_mode = 100;
    const int sizing = int(defaults.integerForKey(defaultsKey(kIconSizingKey)));
    const int mode = int(defaults.integerForKey(defaultsKey(kLayoutModeKey)));
    m_mode = IconLayout;
    setIconSizing(sizing);
    m_mode = 100;
    setLayoutMode(mode == ListLayout ? ListLayout : IconLayout);
    setIconViewBackgroundColour(int(defaults.integerForKey(defaultsKey(kBackgroundColourKey))));
}

// --- Content -------------------------------------------------------------------------------------

void PWXLibraryItemViewController::setContent(const QList<pf::Ref<PWXLibraryItem>>& content, bool preservingSelection)
{
    if (content == m_content)
        return;
    QList<pf::Ref<PWXLibraryItem>> saved;
    if (preservingSelection)
        saved = selectedItems();
    // An edit in place ends unwritten: after the change its row may hold another item.
    if (m_table && m_table->editedRow() >= 0)
        m_table->abortEditing();
    selectInActiveView({});
    m_disabledItems.reset();
    m_content = content;
    m_indexOfItem.clear();
    QHash<const PWXLibraryItem*, pf::Ref<pf::Image>> kept;
    for (int i = 0; i < m_content.size(); ++i) {
        const PWXLibraryItem* item = m_content[i].get();
        m_indexOfItem.insert(item, i);
        const auto found = m_previews.constFind(item);
        if (found != m_previews.constEnd())
            kept.insert(item, *found);
    }
    // Previews of items no longer shown are let go; those still shown are kept.
    m_previews = std::move(kept);
    reloadActiveView();
    if (preservingSelection && !saved.isEmpty())
        selectItems(saved);
}

QList<pf::Ref<PWXLibraryItem>> PWXLibraryItemViewController::content()
{
    if (m_delegate)
        if (auto override = m_delegate->contentForLibraryItemViewController(*this))
            return *override;
    return m_content;
}

int PWXLibraryItemViewController::numberOfItemsInContent()
{
    if (m_delegate)
        if (auto count = m_delegate->numberOfItemsForLibraryItemViewController(*this))
            return *count;
    return int(content().size());
}

// --- Selection ------------------------------------------------------------------------------------

pf::IndexSet PWXLibraryItemViewController::selectedItemIndexes() const
{
    if (m_mode == ListLayout)
        return m_table ? m_table->selectedRowIndexes() : pf::IndexSet();
    return m_iconView ? m_iconView->selectedItemIndexes() : pf::IndexSet();
}

QList<pf::Ref<PWXLibraryItem>> PWXLibraryItemViewController::selectedItems()
{
    const QList<pf::Ref<PWXLibraryItem>> items = content();
    QList<pf::Ref<PWXLibraryItem>> selected;
    for (qint64 index : selectedItemIndexes().toList())
        if (index >= 0 && index < items.size())
            selected.append(items[index]);
    return selected;
}

QList<pf::Ref<PWXLibraryItem>> PWXLibraryItemViewController::selectedUnlockedItems()
{
    QList<pf::Ref<PWXLibraryItem>> unlocked;
    for (const pf::Ref<PWXLibraryItem>& item : selectedItems())
        if (!item->locked())
            unlocked.append(item);
    return unlocked;
}

void PWXLibraryItemViewController::selectItems(const QList<pf::Ref<PWXLibraryItem>>& items)
{
    const QList<pf::Ref<PWXLibraryItem>> shown = content();
    QHash<const PWXLibraryItem*, int> positions;
    for (int i = 0; i < shown.size(); ++i)
        positions.insert(shown[i].get(), i);
    pf::IndexSet indexes;
    for (const pf::Ref<PWXLibraryItem>& item : items) {
        const auto found = positions.constFind(item.get());
        if (found != positions.constEnd())
            indexes.add(*found);
    }
    selectItemsAtIndexes(indexes);
}

void PWXLibraryItemViewController::selectItemsAtIndexes(const pf::IndexSet& indexes)
{
    if (indexes != selectedItemIndexes()) {
        selectInActiveView(indexes);
        if (!indexes.isEmpty() && m_mode == ListLayout && m_table)
            m_table->scrollRowToVisible(int(indexes.firstIndex()));
        else if (!indexes.isEmpty() && m_iconView)
            m_iconView->scrollItemToVisible(int(indexes.firstIndex()));
    }
    m_preservedSelection.clear();
    m_hasPreservedSelection = false;
}

void PWXLibraryItemViewController::selectInActiveView(const pf::IndexSet& indexes)
{
    if (m_mode == ListLayout) {
        if (m_table)
            m_table->selectRowIndexes(indexes, false);
    } else if (m_iconView) {
        m_iconView->selectItemsAtIndexes(indexes, false);
    }
}

void PWXLibraryItemViewController::selectAll(const QVariant&)
{
    const int count = numberOfItemsInContent();
    selectInActiveView(count > 0 ? pf::IndexSet::range(0, count) : pf::IndexSet());
}

void PWXLibraryItemViewController::selectNone(const QVariant&) { selectInActiveView({}); }

void PWXLibraryItemViewController::selectOthers(const QVariant&)
{
    const pf::IndexSet selected = selectedItemIndexes();
    pf::IndexSet others;
    for (int i = 0, count = numberOfItemsInContent(); i < count; ++i)
        if (!selected.contains(i))
            others.add(i);
    selectInActiveView(others);
}

bool PWXLibraryItemViewController::revealItem(const pf::Ref<PWXLibraryItem>& item, bool selectIt)
{
    const int index = int(content().indexOf(item));
    if (index < 0)
        return false;
    if (selectIt) {
        selectItems({item});
        return true;
    }
    if (m_mode == ListLayout && m_table)
        m_table->scrollRowToVisible(index);
    else if (m_iconView)
        m_iconView->scrollItemToVisible(index);
    return false;
}

void PWXLibraryItemViewController::saveSelectedItems()
{
    m_preservedSelection = selectedItems();
    m_hasPreservedSelection = true;
}

void PWXLibraryItemViewController::restoreSelectedItems()
{
    const QList<pf::Ref<PWXLibraryItem>> saved = m_preservedSelection;
    const bool had = m_hasPreservedSelection;
    m_preservedSelection.clear();
    m_hasPreservedSelection = false;
    if (had)
        selectItems(saved);
}

void PWXLibraryItemViewController::reloadActiveView()
{
    if (m_mode == ListLayout) {
        if (m_table)
            m_table->reloadData();
    } else if (m_iconView) {
        m_iconView->reloadData(); // which drops an edit in place: the index may name another item
    }
}

void PWXLibraryItemViewController::refreshActiveView()
{
    reloadActiveView();
    if (QWidget* view = activeView())
        view->update();
}

double PWXLibraryItemViewController::rowHeight() const
{
    if (m_mode == ListLayout)
        return m_table ? m_table->rowHeight() : 0;
    return m_iconView ? m_iconView->cellSize().height() : m_cellSize.height();
}

double PWXLibraryItemViewController::fixedHeight() const
{
    if (m_mode == ListLayout)
        return m_table ? m_table->headerHeight() : 0;
    return m_iconView ? m_iconView->contentInset() : 0;
}

void PWXLibraryItemViewController::itemChanged(PWXLibraryItem* item)
{
    const auto found = m_indexOfItem.constFind(item);
    if (found == m_indexOfItem.constEnd())
        return;
    if (m_mode == ListLayout && m_table)
        m_table->reloadDataForRowIndexes(pf::IndexSet(*found), pf::IndexSet::range(0, m_table->numberOfColumns()));
    else if (m_mode == IconLayout && m_iconView && *found < numberOfItemsInContent())
        m_iconView->itemNeedsDisplay(*found);
}

pf::Ref<pf::Image> PWXLibraryItemViewController::previewForItem(PWXLibraryItem& item)
{
    const auto found = m_previews.constFind(&item);
    if (found != m_previews.constEnd())
        return *found;
    const QImage preview = item.previewImage();
    if (preview.isNull())
        return nullptr;
    pf::Ref<pf::Image> image = pf::Image::fromQImage(preview);
    if (m_indexOfItem.contains(&item))
        m_previews.insert(&item, image);
    return image;
}

// --- Settings -------------------------------------------------------------------------------------

void PWXLibraryItemViewController::setLayoutMode(int mode)
{
    if (mode != IconLayout && mode != ListLayout)
        mode = IconLayout;
    if (mode == m_mode)
        return;
    const pf::IndexSet selected = m_mode == 100 ? pf::IndexSet() : selectedItemIndexes();
    m_mode = mode;
    if (m_stack)
        m_stack->setCurrentIndex(mode);
    refreshActiveView();
    selectInActiveView(selected);
    if (m_iconSizeControl)
        m_iconSizeControl->setEnabled(mode == IconLayout);
    if (m_layoutControl)
        m_layoutControl->selectSegmentWithTag(mode);
    if (m_delegate)
        pf::UserDefaults::standard().setInteger(mode, defaultsKey(kLayoutModeKey));
}

void PWXLibraryItemViewController::setIconSizing(int sizing)
{
    if (m_mode != IconLayout || sizing == m_iconSizing)
        return;
    m_iconSizing = sizing;
    const double side = iconSizeForSizing(sizing);
    m_cellSize = QSizeF(side, side);
    if (m_iconView)
        m_iconView->setCellSize(m_cellSize);
    refreshActiveView();
    const pf::IndexSet selected = selectedItemIndexes();
    if (!selected.isEmpty() && m_iconView)
        m_iconView->scrollItemToVisible(int(selected.firstIndex()));
    if (m_iconSizeControl)
        m_iconSizeControl->selectSegmentWithTag(sizing);
    if (m_delegate)
        pf::UserDefaults::standard().setInteger(sizing, defaultsKey(kIconSizingKey));
    if (m_delegate)
        m_delegate->iconSizingChanged(m_cellSize);
}

void PWXLibraryItemViewController::setIconsCanBeScaledUp(bool upscaling)
{
    if (upscaling == m_allowIconUpscaling)
        return;
    m_allowIconUpscaling = upscaling;
    refreshActiveView();
    if (m_delegate)
        pf::UserDefaults::standard().setBool(!upscaling, defaultsKey(kIconUpscalingKey));
}

void PWXLibraryItemViewController::setShowsLockBadging(bool badging)
{
    if (badging == m_lockBadging)
        return;
    m_lockBadging = badging;
    refreshActiveView();
    if (m_delegate)
        pf::UserDefaults::standard().setBool(badging, defaultsKey(kLockBadgingKey));
}

int PWXLibraryItemViewController::isEditingEnabled()
{
    const QList<pf::Ref<PWXLibraryItem>> items = selectedItems();
    if (items.isEmpty())
        return 0;
    int locked = 0;
    for (const pf::Ref<PWXLibraryItem>& item : items)
        locked += item->locked() ? 1 : 0;
    if (locked == 0)
        return 1;
    return locked == items.size() ? 0 : kMixedEditing;
}

void PWXLibraryItemViewController::setEditingEnabled(bool enabled)
{
    for (const pf::Ref<PWXLibraryItem>& item : selectedItems())
        item->setLocked(!enabled);
    refreshActiveView();
}

void PWXLibraryItemViewController::setDisabledItems(const std::optional<pf::IndexSet>& indexes)
{
    m_disabledItems = indexes;
    refreshActiveView();
}

bool PWXLibraryItemViewController::isItemDisabled(int index) const
{
    if (!m_disabledItems)
        return false;
    return m_disabledItems->isEmpty() || m_disabledItems->contains(index);
}

int PWXLibraryItemViewController::sortedBy() const
{
    pf::TableColumn* column = m_table ? m_table->highlightedTableColumn() : nullptr;
    if (!column || column->identifier() == kNameColumn)
        return 0;
    if (column->identifier() == kKindColumn)
        return 1;
    if (column->identifier() == kLockedColumn)
        return 2;
    return kNoSortCode;
}

void PWXLibraryItemViewController::setSortedBy(int code)
{
    if (!m_table)
        return;
    // The low 15 bits choose the column; a negative 16-bit code sorts descending.
    const int columnCode = code & 0x7fff;
    const bool descending = qint16(code) < 0;
    const QString identifier = columnCode == 1 ? kKindColumn : (columnCode == 2 ? kLockedColumn : kNameColumn);
    pf::TableColumn* column = m_table->tableColumnWithIdentifier(identifier);
    if (!column || !column->sortDescriptorPrototype())
        return;
    pf::SortDescriptor descriptor = *column->sortDescriptorPrototype();
    if (descending)
        descriptor = descriptor.reversedSortDescriptor();
    QList<pf::SortDescriptor> descriptors = m_table->sortDescriptors();
    if (m_table->highlightedTableColumn() == column && !descriptors.isEmpty() && descriptors.first() == descriptor)
        return;
    descriptors.removeIf([&](const pf::SortDescriptor& d) { return d.key() == descriptor.key(); });
    descriptors.prepend(descriptor);
    m_table->setSortDescriptors(descriptors);
}

QList<pf::SortDescriptor> PWXLibraryItemViewController::sortDescriptors() const
{
    return m_table ? m_table->sortDescriptors() : QList<pf::SortDescriptor>();
}

void PWXLibraryItemViewController::setSortDescriptors(const QList<pf::SortDescriptor>& descriptors)
{
    if (m_table)
        m_table->setSortDescriptors(descriptors);
}

void PWXLibraryItemViewController::updateSortPopUp()
{
    if (m_sortPopUp)
        m_sortPopUp->selectItemWithTag(sortedBy());
}

void PWXLibraryItemViewController::setIconViewBackgroundColour(int code)
{
    m_backgroundCode = code;
    if (auto* scroll = qobject_cast<pf::ScrollView*>(m_iconScroll.data()))
        scroll->setBackgroundColor(backgroundColourForCode(code));
    if (m_delegate)
        pf::UserDefaults::standard().setInteger(code, defaultsKey(kBackgroundColourKey));
    refreshActiveView();
}

void PWXLibraryItemViewController::renameItemAtIndex(int index)
{
    const QList<pf::Ref<PWXLibraryItem>> items = content();
    if (index < 0 || index >= items.size() || items[index]->locked())
        return;
    if (m_mode == ListLayout && m_table) {
        const int column = m_table->columnWithIdentifier(kNameColumn);
        if (column >= 0)
            m_table->editColumn(column, index, true);
    } else if (m_mode == IconLayout && m_iconView && index < numberOfItemsInContent()) {
        m_iconView->editItemIndex(index, nullptr, true);
    }
}

bool PWXLibraryItemViewController::shouldEditItemAtIndex(int index)
{
    return m_delegate ? m_delegate->shouldEditItemAtIndex(*this, index) : true;
}

// --- The list ---------------------------------------------------------------------------------------

QVariant PWXLibraryItemViewController::objectValueForTableColumn(pf::TableView&, pf::TableColumn* column, int row)
{
    const QList<pf::Ref<PWXLibraryItem>> items = content();
    if (!column || row < 0 || row >= items.size())
        return {};
    return items[row]->valueForKeyPath(column->identifier());
}

void PWXLibraryItemViewController::setObjectValue(pf::TableView&, const QVariant& value, pf::TableColumn* column, int row)
{
    const QList<pf::Ref<PWXLibraryItem>> items = content();
    if (!column || row < 0 || row >= items.size())
        return;
    if (column->identifier() == kNameColumn) {
        const QString name = value.toString().trimmed();
        if (!name.isEmpty())
            items[row]->setName(name);
        return;
    }
    if (column->identifier() == kLockedColumn) {
        items[row]->setLocked(value.toBool() || value.toInt() != 0);
        m_table->reloadDataForRowIndexes(pf::IndexSet(row), pf::IndexSet::range(0, m_table->numberOfColumns()));
    }
}

void PWXLibraryItemViewController::sortDescriptorsDidChange(pf::TableView& table, const QList<pf::SortDescriptor>& old)
{
    if (m_delegate)
        m_delegate->sortDescriptorsChanged(old);
    const QList<pf::SortDescriptor> now = table.sortDescriptors();
    if (!now.isEmpty())
        for (const pf::Ref<pf::TableColumn>& column : table.tableColumns())
            if (column->sortDescriptorPrototype() && column->sortDescriptorPrototype()->key() == now.first().key())
                table.setHighlightedTableColumn(column.get());
    updateSortPopUp();
}

bool PWXLibraryItemViewController::writeRowsWithIndexes(pf::TableView&, const pf::IndexSet& rows, pf::Pasteboard& pasteboard)
{
    const QList<pf::Ref<PWXLibraryItem>> items = content();
    QList<pf::Ref<PWXLibraryItem>> dragged;
    for (qint64 row : rows.toList())
        if (row >= 0 && row < items.size())
            dragged.append(items[row]);
    return !dragged.isEmpty() && PWXLibraryItem::writeLibraryItems(dragged, &pasteboard);
}

void PWXLibraryItemViewController::willDisplayCell(pf::TableView&, pf::Cell& cell, pf::TableColumn* column, int row)
{
    cell.setEnabled(!isItemDisabled(row));
    if (!column || column->identifier() != kNameColumn)
        return;
    const QList<pf::Ref<PWXLibraryItem>> items = content();
    if (row < 0 || row >= items.size())
        return;
    if (auto* iconCell = dynamic_cast<RVIconTextFieldCell*>(&cell)) {
        iconCell->setTextFieldIcon(previewForItem(*items[row]));
    }
}

bool PWXLibraryItemViewController::shouldSelectRow(pf::TableView&, int row) { return !isItemDisabled(row); }

void PWXLibraryItemViewController::selectionDidChange(pf::TableView& table)
{
    if (m_delegate)
        m_delegate->itemSelectionChanged(table.selectedRowIndexes());
}

bool PWXLibraryItemViewController::shouldEditTableColumn(pf::TableView&, pf::TableColumn* column, int row)
{
    const QList<pf::Ref<PWXLibraryItem>> items = content();
    if (!column || row < 0 || row >= items.size())
        return false;
    if (column->identifier() == kLockedColumn) {
        PWXLibrary* library = items[row]->library();
        return library && library->allowsContentChanges();
    }
    if (column->identifier() != kNameColumn || items[row]->locked())
        return false;
    return shouldEditItemAtIndex(row);
}
