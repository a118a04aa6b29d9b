#include "library/PWXLibraryManagerWindowController.h"

#include "frameworks/penwork/archiving/PWDrawableObjectPasteboard.h"
#include "frameworks/penwork/layers/PWLayer.h"
#include "frameworks/penwork/registries/PWStyleHistory.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXFixedLengthLibraryCategory.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryGetInfoController.h"
#include "library/PWXLibraryItemViewController.h"
#include "library/PWXLibraryManagerTransfers.h"
#include "library/PWXLibraryPredicate.h"
#include "library/PWXLibrarySharingController.h"
#include "library/PWXLibrarySmartCategory.h"
#include "library/PWXLibrarySmartCategoryEditController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/SearchField.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/TableColumn.h"
#include "widgets/RVSourceListCell.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>
#include <QWidget>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryManagerWindowController", text); }

const QString kNameColumn = QStringLiteral("name");

pf::Ref<PWXLibraryManagerWindowController>& sharedManager()
{
    static pf::Ref<PWXLibraryManagerWindowController> manager;
    return manager;
}

// Tells the controller when its window becomes the active one.
class ActivationWatcher : public QObject {
public:
    ActivationWatcher(QObject* parent, std::function<void()> activated) : QObject(parent), m_activated(std::move(activated)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WindowActivate && watched == parent())
            m_activated();
        return false;
    }

private:
    std::function<void()> m_activated;
};

} // namespace

PF_DEFINE_CLASS(PWXLibraryManagerWindowController, pf::WindowController)
{
    using C = PWXLibraryManagerWindowController;
    b.method("newLibraryAction:", &C::newLibraryAction);
    b.method("newCategoryAction:", &C::newCategoryAction);
    b.method("deleteCategoryAction:", &C::deleteCategoryAction);
    b.method("deleteLibraryAction:", &C::deleteLibraryAction);
    b.method("nominateDefaultLibraryAction:", &C::nominateDefaultLibraryAction);
    b.method("searchFieldAction:", &C::searchFieldAction);
    b.method("searchFieldModeAction:", &C::searchFieldModeAction);
    b.method("searchFieldConvertToSmartCategoryAction:", &C::searchFieldConvertToSmartCategoryAction);
    b.method("renameAction:", &C::renameAction);
    b.method("removeItemsAction:", &C::removeItemsAction);
    b.method("editItemsAction:", &C::editItemsAction);
    b.method("toggleShowCategoryCounts:", &C::toggleShowCategoryCounts);
    b.method("toggleShowLibraryCounts:", &C::toggleShowLibraryCounts);
    b.method("newSmartCategoryAction:", &C::newSmartCategoryAction);
    b.method("editSmartCategoryAction:", &C::editSmartCategoryAction);
    b.method("importLibraryAction:", &C::importLibraryAction);
    b.method("exportLibraryAction:", &C::exportLibraryAction);
    b.method("paste:", &C::paste);
    b.method("getInfoAction:", &C::getInfoAction);
    b.method("revealInFinderAction:", &C::revealInFinderAction);
    b.method("printDocument:", &C::printDocument);
    b.method("runPageLayout:", &C::runPageLayout);
    b.method("sortMainListAction:", &C::sortMainListAction);
    b.method("shareLibraryAction:", &C::shareLibraryAction);
    b.method("toggleLibrarySharing:", &C::toggleLibrarySharing);
    b.method("libDeleteCancelAction:", &C::libDeleteCancelAction);
    b.method("libDeleteOKAction:", &C::libDeleteOKAction);
    b.method("bottomBarButtonAction:", &C::bottomBarButtonAction);
    b.method("moveToLibraryAction:", &C::moveToLibraryAction);
    b.method("helpButtonAction:", &C::helpButtonAction);
    b.method("debug_forceWritable:", &C::debug_forceWritable);
    b.method("debug_gatherOrphanedItemsAction:", &C::debug_gatherOrphanedItemsAction);
    b.method("debug_toggleLock:", &C::debug_toggleLock);
    b.method("debug_forceCatfileUpdate:", &C::debug_forceCatfileUpdate);
    b.method("debug_remakePreviewImage:", &C::debug_remakePreviewImage);
}

PWXLibraryManagerWindowController::PWXLibraryManagerWindowController()
    : mTransfers(std::make_shared<PWXLibraryManagerTransfers>()),
      mGetInfoController(std::make_shared<PWXLibraryGetInfoController>()),
      mSmartEditController(std::make_shared<PWXLibrarySmartCategoryEditController>()),
      mSharingController(std::make_shared<PWXLibrarySharingController>())
{
    mTransfers->setHost(this);
}

PWXLibraryManagerWindowController::~PWXLibraryManagerWindowController()
{
    // The transfers, sheets and panel may be held a little longer (a queued selection, a
    // running sheet): none of them may call back into this window.
    mTransfers->setHost(nullptr);
    if (mSmartEditController->delegate() == this)
        mSmartEditController->setDelegate(nullptr);
    if (mSharingController->delegate() == this)
        mSharingController->setDelegate(nullptr);
    for (quint64 token : mObservations)
        pf::NotificationCenter::defaultCenter().removeObserver(token);
    if (mLibraryOutlineView) {
        mLibraryOutlineView->setDataSource(nullptr);
        mLibraryOutlineView->setDelegate(nullptr);
    }
    if (mItemViewController)
        mItemViewController->setDelegate(nullptr);
    delete mMainWatcher;
    delete mLibDeleteDialog;
}

pf::Ref<PWXLibraryManagerWindowController> PWXLibraryManagerWindowController::sharedLibraryManager()
{
    pf::Ref<PWXLibraryManagerWindowController>& manager = sharedManager();
    if (!manager) {
        manager = std::make_shared<PWXLibraryManagerWindowController>();
        manager->window(); // loads it, as the nib would
    }
    return manager;
}

bool PWXLibraryManagerWindowController::sharedLibraryManagerAvailable() { return sharedManager() != nullptr; }

void PWXLibraryManagerWindowController::releaseSharedLibraryManager() { sharedManager().reset(); }

const QStringList& PWXLibraryManagerWindowController::acceptedPasteboardTypes()
{
    static const QStringList types{QStringLiteral("PWX_LIB_ELEMENT_TYPE"), kPWXLibraryItemPasteboardType,
                                   kPWDrawableObjectPasteboardType, QStringLiteral("PWX_LIB_CAT_INTERNAL")};
    return types;
}

// --- The window ------------------------------------------------------------------------------------

void PWXLibraryManagerWindowController::loadWindow()
{
    buildWindow();
    awakeFromNib();
}

void PWXLibraryManagerWindowController::buildWindow()
{
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(QStringLiteral("LibraryManager"));
    window->setWindowTitle(tr("Library"));
    window->resize(860, 580);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    mItemViewController = std::make_shared<PWXLibraryItemViewController>();

    auto* top = new QHBoxLayout;
    top->setContentsMargins(8, 6, 8, 6);
    top->addWidget(mItemViewController->toolbarView(), 1);
    mFilterInputSearchField = new pf::SearchField(window);
    mFilterInputSearchField->setObjectName(QStringLiteral("librarySearch"));
    mFilterInputSearchField->setFixedSize(220, 24);
    mFilterInputSearchField->setPlaceholderString(tr("Search"));
    mFilterInputSearchField->setTarget(this);
    mFilterInputSearchField->setAction(QStringLiteral("searchFieldAction:"));
    pf::Ref<pf::Menu> modes = pf::Menu::make(tr("Search"));
    const QList<std::pair<int, QString>> modeTitles{
        {0, tr("Contains")}, {1, tr("Begins With")}, {3, tr("Ends With")}, {2, tr("Matches Wildcards (* and ?)")}};
    for (const auto& [tag, title] : modeTitles) {
        pf::Ref<pf::MenuItem> item = pf::MenuItem::make(title, QStringLiteral("searchFieldModeAction:"));
        item->setTag(tag);
        item->setTarget(this);
        modes->addItem(item);
    }
    modes->addItem(pf::MenuItem::separator());
    pf::Ref<pf::MenuItem> convert =
        pf::MenuItem::make(tr("Make Smart Category From Search"), QStringLiteral("searchFieldConvertToSmartCategoryAction:"));
    convert->setTarget(this);
    modes->addItem(convert);
    mFilterInputSearchField->setSearchMenuTemplate(modes);
    top->addWidget(mFilterInputSearchField);
    layout->addLayout(top);

    auto* splitter = new QSplitter(window);
    splitter->setObjectName(QStringLiteral("librarySplit"));
    mLibraryOutlineView = new pf::OutlineView(splitter);
    mLibraryOutlineView->setObjectName(QStringLiteral("libraryOutline"));
    pf::Ref<pf::TableColumn> nameColumn = pf::TableColumn::make(kNameColumn);
    nameColumn->setTitle(tr("Collections"));
    nameColumn->setDataCell(std::make_shared<RVSourceListCell>());
    nameColumn->setSortDescriptorPrototype(pf::SortDescriptor(kNameColumn, true, pf::SortDescriptor::Comparison::LocalizedStandardCompare));
    nameColumn->setEditable(true);
    nameColumn->setWidth(220);
    mLibraryOutlineView->addTableColumn(nameColumn);
    mLibraryOutlineView->setSelectionHighlightStyle(pf::TableView::SelectionHighlightStyle::SourceList);
    mLibraryOutlineView->setAllowsMultipleSelection(true);
    mLibraryOutlineView->setRowHeight(20);
    mLibraryOutlineView->setVerticalMotionCanBeginDrag(true);
    splitter->addWidget(mLibraryOutlineView);
    splitter->addWidget(mItemViewController->containerView());
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({230, 630});
    layout->addWidget(splitter, 1);

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(8, 4, 8, 6);
    mBottomBarButtonsControl = new pf::SegmentedControl(window);
    mBottomBarButtonsControl->setObjectName(QStringLiteral("libraryBottomBar"));
    mBottomBarButtonsControl->setTrackingMode(pf::SegmentSwitchTracking::Momentary);
    mBottomBarButtonsControl->setSegmentCount(4);
    const QStringList labels{QStringLiteral("+"), QStringLiteral("\u2212"), tr("New Collection"), tr("Actions \u25BE")};
    const QList<double> widths{30, 30, 112, 76};
    const QStringList tips{tr("New category"), tr("Delete category"), tr("New collection"), tr("More actions")};
    for (int i = 0; i < 4; ++i) {
        mBottomBarButtonsControl->setLabel(labels[i], i);
        mBottomBarButtonsControl->setToolTip(tips[i], i);
        mBottomBarButtonsControl->setTag(i, i);
        mBottomBarButtonsControl->setWidth(widths[i], i);
    }
    mBottomBarButtonsControl->setTarget(this);
    mBottomBarButtonsControl->setAction(QStringLiteral("bottomBarButtonAction:"));
    bottom->addWidget(mBottomBarButtonsControl);
    mBottomBarItemsInfoTextField = new QLabel(window);
    mBottomBarItemsInfoTextField->setObjectName(QStringLiteral("libraryItemsInfo"));
    bottom->addWidget(mBottomBarItemsInfoTextField, 1, Qt::AlignCenter);
    mItemIdentifierField = new QLabel(tr("no selection"), window);
    mItemIdentifierField->setObjectName(QStringLiteral("libraryItemIdentifier"));
    mItemIdentifierField->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont small = mItemIdentifierField->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    mItemIdentifierField->setFont(small);
    bottom->addWidget(mItemIdentifierField);
    layout->addLayout(bottom);

    // The actions menu of the last segment and the move-to-collection submenu.
    mBottomBarActionMenu = pf::Menu::make(tr("Actions"));
    const auto add = [this](pf::Menu& menu, const QString& title, const char* action, int tag = 0) {
        pf::Ref<pf::MenuItem> item = pf::MenuItem::make(title, QString::fromLatin1(action));
        item->setTag(tag);
        item->setTarget(this);
        menu.addItem(item);
        return item;
    };
    pf::Menu& actions = *mBottomBarActionMenu;
    add(actions, tr("New Collection"), "newLibraryAction:");
    add(actions, tr("New Category"), "newCategoryAction:");
    add(actions, tr("New Smart Category\u2026"), "newSmartCategoryAction:");
    add(actions, tr("Edit Smart Category\u2026"), "editSmartCategoryAction:");
    add(actions, tr("Rename"), "renameAction:");
    add(actions, tr("Delete Category"), "deleteCategoryAction:");
    add(actions, tr("Delete Collection\u2026"), "deleteLibraryAction:");
    actions.addItem(pf::MenuItem::separator());
    add(actions, tr("Import Collection\u2026"), "importLibraryAction:");
    add(actions, tr("Export Collection\u2026"), "exportLibraryAction:");
    add(actions, tr("Use as Default Collection"), "nominateDefaultLibraryAction:");
    add(actions, tr("Share Collection\u2026"), "toggleLibrarySharing:");
    add(actions, tr("Reveal in File Manager"), "revealInFinderAction:");
    actions.addItem(pf::MenuItem::separator());
    add(actions, tr("Get Info"), "getInfoAction:");
    add(actions, tr("Copy Items"), "copy:")->setTarget(mItemViewController.get());
    add(actions, tr("Paste Items"), "paste:");
    add(actions, tr("Remove From Category"), "removeItemsAction:");
    mMoveToDynamicMenu = pf::Menu::make(tr("Move to Collection"));
    pf::Ref<pf::MenuItem> newTarget = pf::MenuItem::make(tr("New Collection"), QStringLiteral("moveToLibraryAction:"));
    newTarget->setTag(-1);
    newTarget->setTarget(this);
    mMoveToDynamicMenu->addItem(newTarget);
    mMoveToDynamicMenu->setDelegate(this);
    pf::Ref<pf::MenuItem> moveTo = pf::MenuItem::make(tr("Move to Collection"));
    moveTo->setSubmenu(mMoveToDynamicMenu);
    actions.addItem(moveTo);
    add(actions, tr("Delete Items\u2026"), "delete:")->setTarget(mItemViewController.get());
    add(actions, tr("Allow Editing"), "enableEditingAction:")->setTarget(mItemViewController.get());
    actions.addItem(pf::MenuItem::separator());
    pf::Ref<pf::Menu> sortMenu = pf::Menu::make(tr("Sort Collections"));
    add(*sortMenu, tr("By Name"), "sortMainListAction:", 0);
    add(*sortMenu, tr("By Kind"), "sortMainListAction:", 1);
    add(*sortMenu, tr("By Item Count"), "sortMainListAction:", 2);
    pf::Ref<pf::MenuItem> sortItem = pf::MenuItem::make(tr("Sort Collections"));
    sortItem->setSubmenu(sortMenu);
    actions.addItem(sortItem);
    add(actions, tr("Show Collection Counts"), "toggleShowLibraryCounts:");
    add(actions, tr("Show Category Counts"), "toggleShowCategoryCounts:");
    pf::Ref<pf::Menu> viewMenu = pf::Menu::make(tr("Icons"));
    add(*viewMenu, tr("Don't Enlarge Small Previews"), "toggleIconScalingAction:")->setTarget(mItemViewController.get());
    add(*viewMenu, tr("Show Lock Badges"), "toggleLockBadgingAction:")->setTarget(mItemViewController.get());
    viewMenu->addItem(pf::MenuItem::separator());
    const QStringList backgrounds{tr("Standard Background"), tr("White"), tr("Grey"), tr("Light Grey"), tr("Black")};
    for (int code = 0; code < backgrounds.size(); ++code)
        add(*viewMenu, backgrounds[code], "backgroundColourAction:", code)->setTarget(mItemViewController.get());
    pf::Ref<pf::MenuItem> viewItem = pf::MenuItem::make(tr("Icons"));
    viewItem->setSubmenu(viewMenu);
    actions.addItem(viewItem);
    actions.addItem(pf::MenuItem::separator());
    add(actions, tr("Page Setup\u2026"), "runPageLayout:");
    add(actions, tr("Print\u2026"), "printDocument:");
    add(actions, tr("Library Help"), "helpButtonAction:");
    // Held Alt and Shift while the window is made: the debugging commands.
    if ((QGuiApplication::queryKeyboardModifiers() & (Qt::AltModifier | Qt::ShiftModifier | Qt::ControlModifier))
        == (Qt::AltModifier | Qt::ShiftModifier)) {
        pf::Ref<pf::Menu> debug = pf::Menu::make(tr("Debug"));
        add(*debug, tr("Force Writable"), "debug_forceWritable:");
        add(*debug, tr("Gather Orphaned Items"), "debug_gatherOrphanedItemsAction:");
        add(*debug, tr("Toggle Lock"), "debug_toggleLock:");
        add(*debug, tr("Force Category File Update"), "debug_forceCatfileUpdate:");
        add(*debug, tr("Remake Preview Image"), "debug_remakePreviewImage:");
        pf::Ref<pf::MenuItem> debugItem = pf::MenuItem::make(tr("Debug"));
        debugItem->setSubmenu(debug);
        actions.addItem(debugItem);
    }
    mBottomBarButtonsControl->setMenu(mBottomBarActionMenu, 3);
    mBottomBarButtonsControl->setFixedHeight(24);
    mBottomBarButtonsControl->sizeToFit();
    mBottomBarButtonsControl->setFixedSize(mBottomBarButtonsControl->size());

    setWindow(window);
    mItemViewController->setSheetHostWindow(window);
    // The window may be deleted later than this controller: the watcher holds it weakly.
    pf::Weak<PWXLibraryManagerWindowController> weakSelf = weak<PWXLibraryManagerWindowController>();
    mMainWatcher = new ActivationWatcher(window, [weakSelf] {
        if (auto self = weakSelf.lock())
            self->windowBecameMain();
    });
    window->installEventFilter(mMainWatcher);
}

void PWXLibraryManagerWindowController::awakeFromNib()
{
    if (!mLibraryOutlineView)
        return;
    setShowsDocumentsLibraries(false);
    mLibraryOutlineView->setDataSource(this);
    mLibraryOutlineView->setDelegate(this);
    mLibraryOutlineView->setAutosaveName(kOutlineAutosaveName);
    mLibraryOutlineView->setAutosaveExpandedItems(true);
    mLibraryOutlineView->registerForDraggedTypes(acceptedPasteboardTypes());
    mItemViewController->setDelegate(this);
    mBottomBarButtonsControl->setEnabled(false, 0);
    mBottomBarButtonsControl->setEnabled(false, 1);
    observeNotifications();
}

void PWXLibraryManagerWindowController::windowDidLoad()
{
    // Reached from Window > Library, not from the list of open windows.
    window()->setProperty("excludedFromWindowsMenu", true);
    mCatSortChanges = kInitialCookie;
    mItemSortChanges = kInitialCookie;
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    mShowLibraryCounts = defaults.boolForKey(kShowLibraryCountsKey);
    mShowCategoryCounts = defaults.boolForKey(kShowCategoryCountsKey);
    setWindowFrameAutosaveName(kFrameAutosaveName);
    if (pf::TableColumn* column = mLibraryOutlineView->tableColumnWithIdentifier(kNameColumn))
        if (column->sortDescriptorPrototype())
            mLibraryOutlineView->setSortDescriptors({*column->sortDescriptorPrototype()});
    reloadOutline();
    for (const pf::Ref<PWXLibraryGroup>& group : groups())
        mLibraryOutlineView->expandItem(pf::toVariant(group));

    auto category = std::dynamic_pointer_cast<PWXLibraryCategory>(itemWithIdentifier(defaults.stringForKey(kLastCategoryKey)));
    if (!category) {
        const QList<pf::Ref<PWXLibraryGroup>> shown = groups();
        const auto libraries = shown.isEmpty() ? std::nullopt : shown.first()->libraries();
        if (libraries && !libraries->isEmpty())
            category = libraries->last()->allItemsCategory();
    }
    if (!category || !selectCategory(category))
        loadItemsViewPreservingSelection(true);
    mObservations.append(pf::NotificationCenter::defaultCenter().addObserver(
        kPWXLibraryGroupWasRegistered, nullptr, [this](const pf::Notification& note) {
            mCachedLibraries.reset();
            reloadOutline();
            RVLog(kReactiveEvent, QStringLiteral("root content changed, group = %1").arg(note.object ? note.object->description() : QString()));
        }));
}

void PWXLibraryManagerWindowController::showWindow(const QVariant& sender)
{
    pf::WindowController::showWindow(sender);
    if (!mCachedItems)
        loadItemsViewPreservingSelection(true);
}

void PWXLibraryManagerWindowController::showTransferWindow()
{
    showWindow();
    if (QWidget* shown = window()) {
        shown->raise();
        shown->activateWindow();
    }
}

void PWXLibraryManagerWindowController::windowBecameMain()
{
    if (!mCachedItems)
        loadItemsViewPreservingSelection(true);
}

void PWXLibraryManagerWindowController::observeNotifications()
{
    auto& center = pf::NotificationCenter::defaultCenter();
    mObservations.append(center.addObserver(kPWXDocumentLibraryWasAddedOrRemoved, nullptr, [this](const pf::Notification&) {
        if (!showsDocumentsLibraries())
            return;
        if (pf::Ref<PWXLibraryGroup> documents = PWXLibraryGroup::documentsGroup()) {
            documents->invalidateElementsCache();
            rowDidChange(pf::toVariant(documents), true);
        }
        invalidateItemsCache();
        loadItemsViewPreservingSelection(true);
    }));
    mObservations.append(center.addObserver(kPWXLibraryGroupContentWasChanged, nullptr, [this](const pf::Notification& note) {
        if (auto* group = dynamic_cast<PWXLibraryGroup*>(note.object))
            rowDidChange(pf::toVariant(group->ref<PWXLibraryGroup>()), true);
        else
            reloadOutline();
        invalidateItemsCache();
        loadItemsViewPreservingSelection(true);
    }));
    mObservations.append(center.addObserver(kPWXLibraryContentDidChange, nullptr, [this](const pf::Notification& note) {
        auto* library = dynamic_cast<PWXLibrary*>(note.object);
        pf::Ref<PWXLibraryCategory> last = lastSelectedCategory();
        if (library && last && last == library->allItemsCategory()) {
            invalidateItemsCache();
            loadItemsViewPreservingSelection(true);
        }
    }));
    for (const QString& name : {kPWXLibraryCategoryContentDidChange, kPWXLibraryCategoryDidAddItem, kPWXLibraryCategoryDidRemoveItem}) {
        mObservations.append(center.addObserver(name, nullptr, [this](const pf::Notification& note) {
            RVLog(kReactiveEvent, QStringLiteral("got category change from %1").arg(note.object ? note.object->description() : QString()));
            pf::Ref<PWXLibraryCategory> last = lastSelectedCategory();
            if (last && note.object == last.get()) {
                invalidateItemsCache();
                loadItemsViewPreservingSelection(true);
            }
        }));
    }
    // Items added to or taken from a library change the counts the outline shows.
    for (const QString& name : {kPWXLibraryDidAddItem, kPWXLibraryDidRemoveItem, kPWXLibraryDidChangeName}) {
        mObservations.append(center.addObserver(name, nullptr, [this](const pf::Notification&) {
            if (mLibraryOutlineView)
                mLibraryOutlineView->update();
        }));
    }
}

// --- Groups and selection ---------------------------------------------------------------------------

QList<pf::Ref<PWXLibraryGroup>> PWXLibraryManagerWindowController::groups()
{
    if (mCachedLibraries)
        return *mCachedLibraries;
    PWXLibrary::initializeRegistry();
    PWXLibrary::factoryLibraries();
    PWXLibrary::userLibraries();
    QList<pf::Ref<PWXLibraryGroup>> list;
    if (pf::Ref<PWXLibraryGroup> factory = PWXLibraryGroup::factoryGroup())
        list.append(factory);
    if (pf::Ref<PWXLibraryGroup> user = PWXLibraryGroup::userGroup())
        list.append(user);
    if (showsDocumentsLibraries()) {
        PWXLibrary::documentsLibraries();
        if (pf::Ref<PWXLibraryGroup> documents = PWXLibraryGroup::documentsGroup())
            list.append(documents);
    }
    for (const pf::Ref<PWXLibraryGroup>& group : PWXLibraryGroup::allGroups())
        if (group && !list.contains(group) && group->name() != PWXLibraryGroup::kDocumentsGroupName)
            list.append(group);
    mCachedLibraries = list;
    return list;
}

QList<pf::Ref<PWXLibrary>> PWXLibraryManagerWindowController::userLibraries()
{
    const QList<pf::Ref<PWXLibraryGroup>> shown = groups();
    if (shown.size() < 2)
        return {};
    return shown[1]->libraries().value_or(QList<pf::Ref<PWXLibrary>>());
}

pf::Ref<PWXLibraryElement> PWXLibraryManagerWindowController::elementOf(const QVariant& item) const
{
    return pf::objectCast<PWXLibraryElement>(item);
}

pf::Ref<PWXLibraryElement> PWXLibraryManagerWindowController::selectedItem() const
{
    if (!mLibraryOutlineView)
        return nullptr;
    const pf::IndexSet rows = mLibraryOutlineView->selectedRowIndexes();
    if (rows.isEmpty())
        return nullptr;
    pf::Ref<PWXLibraryElement> element = elementOf(mLibraryOutlineView->itemAtRow(int(rows.firstIndex())));
    if (std::dynamic_pointer_cast<PWXLibraryGroup>(element))
        return nullptr;
    return element;
}

pf::Ref<PWXLibrary> PWXLibraryManagerWindowController::selectedLibrary() const
{
    pf::Ref<PWXLibraryElement> element = selectedItem();
    if (!element)
        return nullptr;
    if (auto library = std::dynamic_pointer_cast<PWXLibrary>(element))
        return library;
    return element->libraryRef();
}

QList<pf::Ref<PWXLibraryCategory>> PWXLibraryManagerWindowController::selectedCategories() const
{
    QList<pf::Ref<PWXLibraryCategory>> categories;
    if (!mLibraryOutlineView)
        return categories;
    for (qint64 row : mLibraryOutlineView->selectedRowIndexes().toList()) {
        pf::Ref<PWXLibraryElement> element = elementOf(mLibraryOutlineView->itemAtRow(int(row)));
        if (auto library = std::dynamic_pointer_cast<PWXLibrary>(element)) {
            if (pf::Ref<PWXLibraryCategory> all = library->allItemsCategory())
                categories.append(all);
        } else if (auto category = std::dynamic_pointer_cast<PWXLibraryCategory>(element)) {
            categories.append(category);
        }
    }
    return categories;
}

pf::Ref<PWXLibraryCategory> PWXLibraryManagerWindowController::lastSelectedCategory() const
{
    const QList<pf::Ref<PWXLibraryCategory>> categories = selectedCategories();
    return categories.isEmpty() ? nullptr : categories.last();
}

QList<pf::Ref<PWXLibraryItem>> PWXLibraryManagerWindowController::selection()
{
    return mItemViewController ? mItemViewController->selectedItems() : QList<pf::Ref<PWXLibraryItem>>();
}

QString PWXLibraryManagerWindowController::selectedItemUniqueID()
{
    const QList<pf::Ref<PWXLibraryItem>> items = selection();
    return items.isEmpty() ? QString() : items.first()->uniqueKey();
}

QStringList PWXLibraryManagerWindowController::selectedItemUniqueIDs()
{
    QStringList keys;
    for (const pf::Ref<PWXLibraryItem>& item : selection())
        keys.append(item->uniqueKey());
    return keys;
}

bool PWXLibraryManagerWindowController::selectedCategoriesCanBeDeleted()
{
    // The command deletes the last selected category, so that is the one it is enabled for.
    pf::Ref<PWXLibraryCategory> category = lastSelectedCategory();
    if (!category || !category->isDeletable())
        return false;
    PWXLibraryElementContainer* container = category->container();
    return container && container->allowsSubContainers();
}

pf::Ref<PWXLibraryElement> PWXLibraryManagerWindowController::itemWithIdentifier(const QString& identifier)
{
    const QStringList parts = identifier.split(QLatin1Char('.'));
    if (identifier.isEmpty() || parts.isEmpty())
        return nullptr;
    pf::Ref<PWXLibraryGroup> group = groupWithName(parts[0]);
    if (!group)
        return nullptr;
    if (parts.size() == 1)
        return group;
    pf::Ref<PWXLibrary> library;
    for (const pf::Ref<PWXLibrary>& candidate : group->libraries().value_or(QList<pf::Ref<PWXLibrary>>()))
        if (candidate->cleanName() == parts[1] || candidate->name() == parts[1]
            || candidate->identifier() == parts[0] + QLatin1Char('.') + parts[1]) {
            library = candidate;
            break;
        }
    if (!library)
        return nullptr;
    if (parts.size() == 2)
        return library;
    return library->itemWithIdentifier(identifier);
}

pf::Ref<PWXLibraryGroup> PWXLibraryManagerWindowController::groupWithName(const QString& name)
{
    for (const pf::Ref<PWXLibraryGroup>& group : groups())
        if (group->name() == name || group->identifier() == name)
            return group;
    return PWXLibraryGroup::groupWithName(name);
}

// --- Properties -----------------------------------------------------------------------------------------

void PWXLibraryManagerWindowController::setFilterString(const QString& text)
{
    mFilterString = text;
    invalidateItemsCache();
    loadItemsViewPreservingSelection(true);
}

void PWXLibraryManagerWindowController::setFilterMode(int mode)
{
    if (mode == mFilterMode)
        return;
    mFilterMode = mode;
    invalidateItemsCache();
    loadItemsViewPreservingSelection(true);
}

void PWXLibraryManagerWindowController::setShowsLibraryCounts(bool show)
{
    if (show == mShowLibraryCounts)
        return;
    mShowLibraryCounts = show;
    if (mLibraryOutlineView)
        mLibraryOutlineView->update();
    pf::UserDefaults::standard().setBool(show, kShowLibraryCountsKey);
}

void PWXLibraryManagerWindowController::setShowsCategoryCounts(bool show)
{
    if (show == mShowCategoryCounts)
        return;
    mShowCategoryCounts = show;
    if (mLibraryOutlineView)
        mLibraryOutlineView->update();
    pf::UserDefaults::standard().setBool(show, kShowCategoryCountsKey);
}

bool PWXLibraryManagerWindowController::showsDocumentsLibraries() const
{
    return pf::UserDefaults::standard().boolForKey(kShowDocumentsKey);
}

void PWXLibraryManagerWindowController::setShowsDocumentsLibraries(bool show)
{
    const bool changed = show != showsDocumentsLibraries();
    pf::UserDefaults::standard().setBool(show, kShowDocumentsKey);
    if (!changed)
        return;
    mCachedLibraries.reset();
    reloadOutline();
}

int PWXLibraryManagerWindowController::sortMainListMode() const
{
    return int(pf::UserDefaults::standard().integerForKey(kSortModeKey));
}

void PWXLibraryManagerWindowController::setSortMainListMode(int mode, bool forced)
{
    if (mode == sortMainListMode() && !forced)
        return;
    const pf::SortDescriptor name(QStringLiteral("name"), true, pf::SortDescriptor::Comparison::LocalizedStandardCompare);
    const pf::SortDescriptor kind(QStringLiteral("classCode"), true);
    const pf::SortDescriptor count(QStringLiteral("allElementsCount"), true);
    QList<pf::SortDescriptor> descriptors;
    if (mode == 1)
        descriptors = {kind, name, count};
    else if (mode == 2)
        descriptors = {count, name, kind};
    else
        descriptors = {name, kind, count};
    pf::Ref<PWXLibraryElement> selected = selectedItem();
    ++mCatSortChanges;
    if (mLibraryOutlineView) {
        mLibraryOutlineView->setSortDescriptors(descriptors);
        reloadOutline();
        if (selected)
            selectAndScrollTo(selected, false);
    }
    pf::UserDefaults::standard().setInteger(mode, kSortModeKey);
}
