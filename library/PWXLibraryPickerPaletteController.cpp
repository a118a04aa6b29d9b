#include "library/PWXLibraryPickerPaletteController.h"

#include "app/RVCartavelDocument.h"
#include "drawing/PWDrawingTool+LibraryItemKind.h"
#include "drawing/PWXStylePickUpTool.h"
#include "drawing/PWXSymbolMaster.h"
#include "drawing/PWXSymbolTool.h"
#include "frameworks/penwork/document/PWDrawingDocument.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/tools/PWDrawingTool.h"
#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "inspectors/CVLToolsController.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryGroupMenuHandler.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryManagerWindowController.h"
#include "library/PWXLibraryObjectProtocol.h"
#include "library/PWXLibraryPickerHistoryItem.h"
#include "library/PWXLibraryPickerItemView.h"
#include "library/PWXLibraryPredicate.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/SortDescriptor.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/Event.h"
#include "platform/ui/Panel.h"
#include "platform/ui/PathControl.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/Responder.h"
#include "platform/ui/SearchField.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/WindowFrame.h"
#include "styleeditor/VNQLStyleEditorController.h"
#include "widgets/ZDDistributedView.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryPickerPaletteController", text); }

const QString kWindowDidBecomeMain = QStringLiteral("NSWindowDidBecomeMainNotification");
const QString kWindowDidResignMain = QStringLiteral("NSWindowDidResignMainNotification");
constexpr qint32 kLibraryMenuOptions = 1024;

pf::Ref<PWXLibraryPickerPaletteController>& sharedSlot()
{
    // Never destroyed with static objects: the window must not outlive the application object.
    static auto* shared = new pf::Ref<PWXLibraryPickerPaletteController>();
    return *shared;
}

// The window frame moved onto a screen when none shows any of it.
QPointF topLeftOnAScreen(const QPointF& topLeft, const QSizeF& size)
{
    const QRect wanted(topLeft.toPoint(), size.toSize().expandedTo(QSize(1, 1)));
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(wanted))
            return topLeft;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return topLeft;
    const QRect area = primary->availableGeometry();
    return QPointF(area.left() + 40, area.top() + 40);
}

} // namespace

PF_DEFINE_CLASS(PWXLibraryPickerPaletteController, pf::WindowController)
{
    using C = PWXLibraryPickerPaletteController;
    auto action = [&b](const char* name, void (C::*method)(const QVariant&)) {
        b.method(name, [method](C& self, const QVariantList& args) {
            (self.*method)(args.value(0));
            return QVariant();
        });
    };
    action("libraryChoiceAction:", &C::libraryChoiceAction);
    action("searchFieldAction:", &C::searchFieldAction);
    action("searchFieldMenuAction:", &C::searchFieldMenuAction);
    action("searchFieldModeAction:", &C::searchFieldModeAction);
    action("filterScopeAction:", &C::filterScopeAction);
    action("goBackOrForward:", &C::goBackOrForward);
    action("goBack:", &C::goBack);
    action("goForward:", &C::goForward);
    action("clearHistory:", &C::clearHistory);
    action("goToHistoryItem:", &C::goToHistoryItem);
    action("applyToSelectionAction:", &C::applyToSelectionAction);
    action("applyAuxiliaryToSelectionAction:", &C::applyAuxiliaryToSelectionAction);
    action("showInLibraryManagerAction:", &C::showInLibraryManagerAction);
    action("toggleStatusBar:", &C::toggleStatusBar);
    action("dummyTitleAction:", &C::dummyTitleAction);
    action("tableDoubleClickAction:", &C::tableDoubleClickAction);
    b.method("representedObject", [](C& self, const QVariantList&) { return self.representedObject(); });
}

PWXLibraryPickerPaletteController::PWXLibraryPickerPaletteController() = default;

PWXLibraryPickerPaletteController::~PWXLibraryPickerPaletteController()
{
    for (quint64 token : m_observations)
        pf::NotificationCenter::defaultCenter().removeObserver(token);
    if (m_libraryMenu)
        PWXLibraryGroupMenuHandler::sharedGroupMenuHandler()->removeMenu(m_libraryMenu);
    for (const pf::Ref<pf::Menu>& menu : {m_backHistoryMenu, m_forwardHistoryMenu})
        if (menu)
            menu->setDelegate(nullptr);
    if (isWindowLoaded())
        if (auto* panel = qobject_cast<pf::Window*>(window()))
            panel->setDelegate(nullptr);
}

// --- Class side ---------------------------------------------------------------------------------

pf::Ref<PWXLibraryPickerPaletteController> PWXLibraryPickerPaletteController::sharedLibraryPicker()
{
    pf::Ref<PWXLibraryPickerPaletteController>& shared = sharedSlot();
    if (!shared) {
        shared = std::make_shared<PWXLibraryPickerPaletteController>();
        shared->window();
    }
    return shared;
}

bool PWXLibraryPickerPaletteController::sharedLibraryPickerAvailable() { return sharedSlot() != nullptr; }

void PWXLibraryPickerPaletteController::releaseSharedLibraryPicker()
{
    pf::Ref<PWXLibraryPickerPaletteController>& shared = sharedSlot();
    if (shared && shared->isWindowLoaded())
        shared->window()->hide();
    shared.reset();
}

void PWXLibraryPickerPaletteController::saveLibraryPickerState()
{
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    if (!sharedLibraryPickerAvailable()) {
        defaults.setBool(false, kVisibleDefault);
        return;
    }
    auto* window = qobject_cast<pf::Window*>(sharedSlot()->window());
    defaults.setBool(window && window->isVisible(), kVisibleDefault);
    if (window)
        defaults.setObject(window->stringWithSavedFrame(), kFrameDefault);
}

void PWXLibraryPickerPaletteController::restoreLibraryPickerState()
{
    pf::Ref<PWXLibraryPickerPaletteController> palette = sharedLibraryPicker();
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    auto* window = qobject_cast<pf::Window*>(palette->window());
    // A frame left on a screen since disconnected comes back onto the main screen.
    const QString frame = defaults.stringForKey(kFrameDefault);
    if (window && !frame.isEmpty())
        window->setFrameFromString(frame);
    if (defaults.boolForKey(kVisibleDefault)) {
        palette->showWindow({});
        if (window && !frame.isEmpty())
            window->setFrameFromString(frame);
    }
}

bool PWXLibraryPickerPaletteController::hidesNonMatchingItems()
{
    return pf::UserDefaults::standard().boolForKey(kHideNonMatchingItemsDefault);
}

void PWXLibraryPickerPaletteController::setHidesNonMatchingItems(bool hides)
{
    pf::UserDefaults::standard().setBool(hides, kHideNonMatchingItemsDefault);
}

// --- Window -----------------------------------------------------------------------------------

pf::PathControl* PWXLibraryPickerPaletteController::pathControl() const { return m_currentLibPathControl; }
PWXLibraryPickerItemView* PWXLibraryPickerPaletteController::itemView() const { return m_itemViewController; }
QPushButton* PWXLibraryPickerPaletteController::applyButton() const { return m_applyToSelectionButton; }
pf::PopUpButton* PWXLibraryPickerPaletteController::libraryPopUp() const { return m_libraryPopUp; }

void PWXLibraryPickerPaletteController::loadWindow()
{
    auto* panel = new pf::Panel;
    panel->setWindowFlag(Qt::Tool, true);
    panel->setWindowTitle(tr("Library Picker"));
    panel->setObjectName(QStringLiteral("libraryPicker"));
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(4);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(6, 0, 6, 0);
    m_libraryPopUp = new pf::PopUpButton(content, true);
    m_libraryPopUp->setFixedHeight(22);
    m_libraryPopUp->setMinimumWidth(120);
    m_libraryPopUp->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    top->addWidget(m_libraryPopUp, 1);
    m_historySegmentedControl = new pf::SegmentedControl(content);
    m_historySegmentedControl->setSegmentCount(2);
    m_historySegmentedControl->setLabel(QStringLiteral("\u25C0"), 0);
    m_historySegmentedControl->setLabel(QStringLiteral("\u25B6"), 1);
    m_historySegmentedControl->setToolTip(tr("Back"), 0);
    m_historySegmentedControl->setToolTip(tr("Forward"), 1);
    m_historySegmentedControl->setWidth(26, 0);
    m_historySegmentedControl->setWidth(26, 1);
    m_historySegmentedControl->setFixedSize(56, 22);
    m_historySegmentedControl->setTrackingMode(pf::SegmentSwitchTracking::Momentary);
    m_historySegmentedControl->setTarget(this);
    m_historySegmentedControl->setAction(QStringLiteral("goBackOrForward:"));
    top->addWidget(m_historySegmentedControl);
    layout->addLayout(top);

    m_filterSearchField = new pf::SearchField(content);
    m_filterSearchField->setFixedHeight(22);
    m_filterSearchField->setTarget(this);
    m_filterSearchField->setAction(QStringLiteral("searchFieldAction:"));
    pf::Ref<pf::Menu> searchMenu = pf::Menu::make(tr("Search"));
    auto addFilterItem = [&](const QString& title, const QString& action, int tag) {
        pf::Ref<pf::MenuItem> item = pf::MenuItem::make(title, action);
        item->setTag(tag);
        item->setTarget(this);
        searchMenu->addItem(item);
    };
    auto addTitle = [&](const QString& title) {
        pf::Ref<pf::MenuItem> item = pf::MenuItem::make(title, QStringLiteral("dummyTitleAction:"));
        item->setTarget(this);
        item->setEnabled(false);
        searchMenu->addItem(item);
    };
    addTitle(tr("Show"));
    addFilterItem(tr("All Items"), QStringLiteral("searchFieldMenuAction:"), 0);
    addFilterItem(tr("Styles Only"), QStringLiteral("searchFieldMenuAction:"), 1);
    addFilterItem(tr("Clip Art Only"), QStringLiteral("searchFieldMenuAction:"), 2);
    searchMenu->addItem(pf::MenuItem::separator());
    addTitle(tr("Names"));
    addFilterItem(tr("Contain"), QStringLiteral("searchFieldModeAction:"), 0);
    addFilterItem(tr("Begin With"), QStringLiteral("searchFieldModeAction:"), 1);
    addFilterItem(tr("Match (* and ?)"), QStringLiteral("searchFieldModeAction:"), 2);
    addFilterItem(tr("End With"), QStringLiteral("searchFieldModeAction:"), 3);
    searchMenu->addItem(pf::MenuItem::separator());
    addTitle(tr("Search In"));
    addFilterItem(tr("This Category"), QStringLiteral("filterScopeAction:"), 0);
    addFilterItem(tr("Whole Collection"), QStringLiteral("filterScopeAction:"), 1);
    searchMenu->setAutoenablesItems(true);
    m_filterSearchField->setSearchMenuTemplate(searchMenu);
    auto* searchRow = new QHBoxLayout;
    searchRow->setContentsMargins(6, 0, 6, 0);
    searchRow->addWidget(m_filterSearchField);
    layout->addLayout(searchRow);

    m_itemViewController = new PWXLibraryPickerItemView(content);
    m_itemViewController->setMinimumHeight(40);
    layout->addWidget(m_itemViewController, 1);

    auto* applyRow = new QHBoxLayout;
    applyRow->setContentsMargins(6, 0, 6, 0);
    auto* statusButton = new QPushButton(QStringLiteral("\u2261"), content);
    statusButton->setToolTip(tr("Show or hide the path bar"));
    statusButton->setFixedWidth(28);
    statusButton->setFlat(true);
    applyRow->addWidget(statusButton);
    applyRow->addStretch(1);
    m_applyToSelectionButton = new QPushButton(tr("Apply"), content);
    m_applyToSelectionButton->setToolTip(tr("Apply the picked style or clip art to the selected objects (Option: as an "
                                            "overlay style)"));
    m_applyToSelectionButton->setEnabled(false);
    applyRow->addWidget(m_applyToSelectionButton);
    layout->addLayout(applyRow);

    m_statusBar = new QWidget(content);
    m_statusBar->setFixedHeight(int(kStatusBarHeight));
    auto* statusLayout = new QHBoxLayout(m_statusBar);
    statusLayout->setContentsMargins(6, 0, 6, 0);
    m_currentLibPathControl = new pf::PathControl(m_statusBar);
    statusLayout->addWidget(m_currentLibPathControl);
    layout->addWidget(m_statusBar);
    m_statusBar->hide();

    panel->setContentView(content);
    panel->resize(260, 380);
    setWindow(panel);
    panel->setDelegate(this);

    QObject::connect(m_applyToSelectionButton, &QPushButton::clicked, panel, [this] { applyToSelectionAction(); });
    QObject::connect(statusButton, &QPushButton::clicked, panel, [this] { toggleStatusBar(); });
    m_itemViewController->selectionChanged = [this](const pf::IndexSet& indexes) { itemSelectionChanged(indexes); };
    m_itemViewController->doubleClicked = [this](int index) { editItemsAtIndexes(pf::IndexSet(index)); };
    m_itemViewController->iconSizingChanged = [this](QSizeF size) { iconSizingChanged(size); };
    m_currentLibPathControl->action = [this](pf::PathComponentCell*) { showInLibraryManagerAction(); };
    awakeFromNib();
}

void PWXLibraryPickerPaletteController::awakeFromNib()
{
    PWXLibrary::initializeRegistry();
    m_libraryMenu = pf::Menu::make(tr("Collections"));
    // The pull-down's first item is its title: the shown category.
    pf::Ref<pf::MenuItem> title = pf::MenuItem::make(tr("No Category"), QStringLiteral("dummyTitleAction:"));
    title->setTarget(this);
    m_libraryMenu->addItem(title);
    PWXLibrary::renewLibrariesMenu(m_libraryMenu, kLibraryMenuOptions, this, QStringLiteral("libraryChoiceAction:"));
    m_libraryPopUp->setMenu(m_libraryMenu);

    if (ZDDistributedView* icons = m_itemViewController->iconView()) {
        icons->setAllowsMultipleSelection(false);
        icons->setUseSelectionRect(false);
        icons->setCellInset(QSizeF(1, 1));
        icons->setContentInset(1);
        icons->setDragDelay(0.05);
        icons->setCanBecomeKeyView(false);
    }

    // The category shown last, else the "All Items" of the last factory collection; with no
    // collection at all, none.
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    const QString stored = defaults.stringForKey(kDisplayedCategoryDefault);
    pf::Ref<PWXLibrary> library = stored.isEmpty() ? nullptr : PWXLibrary::libraryContainingIdentifier(stored);
    if (!library && !PWXLibrary::factoryLibraries().isEmpty())
        library = PWXLibrary::factoryLibraries().last();
    if (!library && !PWXLibrary::allLibraries().isEmpty())
        library = PWXLibrary::allLibraries().first();
    pf::Ref<PWXLibraryCategory> shown;
    if (library) {
        shown = std::dynamic_pointer_cast<PWXLibraryCategory>(library->itemWithIdentifier(stored));
        if (!shown)
            shown = library->allItemsCategory();
    }
    m_backHistoryMenu = pf::Menu::make(tr("Back"));
    m_forwardHistoryMenu = pf::Menu::make(tr("Forward"));
    m_backHistoryMenu->setDelegate(this);
    m_forwardHistoryMenu->setDelegate(this);
    m_historySegmentedControl->setMenu(m_backHistoryMenu, 0);
    m_historySegmentedControl->setMenu(m_forwardHistoryMenu, 1);
    m_maxHistoryLength = 20;
    if (shown) {
        setCategory(shown);
        const QString last = defaults.stringForKey(kLastSelectionDefault);
        if (!last.isEmpty()) {
            QString name = last.section(QLatin1Char('.'), -1);
            name.replace(QStringLiteral("#$#"), QStringLiteral("."));
            for (const pf::Ref<PWXLibraryItem>& item : filteredItems())
                if (item->name() == name) {
                    selectItem(item);
                    break;
                }
        }
    }
    iconSizingChanged(QSizeF());
    updateHistoryButtons();
    setStatusBarHidden(false);
    updateSelectionLabel();
}

void PWXLibraryPickerPaletteController::windowDidLoad()
{
    auto* panel = qobject_cast<pf::Window*>(window());
    if (panel) {
        panel->setBecomesKeyOnlyIfNeeded(true);
        panel->setLevel(pf::kFloatingWindowLevel);
    }
    observe();
    const QString placement = pf::UserDefaults::standard().stringForKey(kWindowPlacementDefault);
    const QStringList numbers = placement.mid(1, placement.size() - 2).split(QLatin1Char(','));
    bool placed = false;
    if (panel && numbers.size() == 2) {
        bool okX = false, okY = false;
        const QPointF topLeft(numbers[0].trimmed().toDouble(&okX), numbers[1].trimmed().toDouble(&okY));
        if (okX && okY && !topLeft.isNull()) {
            panel->move(topLeftOnAScreen(topLeft, panel->frameGeometry().size()).toPoint());
            placed = true;
        }
    }
    // At first beside the tools palette, clear of the menus and the document's sidebar.
    if (panel && !placed)
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            panel->move(area.right() - panel->width() - 150, area.top() + 80);
        }
}

void PWXLibraryPickerPaletteController::saveWindowPosition()
{
    if (!isWindowLoaded())
        return;
    const QPoint topLeft = window()->frameGeometry().topLeft();
    pf::UserDefaults::standard().setObject(QStringLiteral("{%1, %2}").arg(topLeft.x()).arg(topLeft.y()),
                                           kWindowPlacementDefault);
}

void PWXLibraryPickerPaletteController::observe()
{
    auto& center = pf::NotificationCenter::defaultCenter();
    auto add = [&](const QString& name, void (PWXLibraryPickerPaletteController::*handler)(const pf::Notification&)) {
        m_observations.append(center.addObserver(name, nullptr, [this, handler](const pf::Notification& note) {
            (this->*handler)(note);
        }));
    };
    add(kPWDidChangeToolNotification, &PWXLibraryPickerPaletteController::toolDidChange);
    add(PWXStylePickUpTool::kDidChangeStyleNotification, &PWXLibraryPickerPaletteController::toolStyleDidChange);
    add(kCartavelToolControllerStyleChangedExternally, &PWXLibraryPickerPaletteController::toolStyleDidChange);
    add(kWindowDidBecomeMain, &PWXLibraryPickerPaletteController::windowBecameMain);
    add(kWindowDidResignMain, &PWXLibraryPickerPaletteController::windowResignedMain);
    for (const QString& name : {kPWXLibraryCategoryDidAddItem, kPWXLibraryCategoryDidRemoveItem,
                                kPWXLibraryCategoryDidChangeName, kPWXLibraryCategoryContentDidChange})
        add(name, &PWXLibraryPickerPaletteController::categoryContentChanged);
    add(kPWXLibraryDidRemoveCategory, &PWXLibraryPickerPaletteController::libraryRemovedCategory);
    add(kPWXLibraryGroupContentWasChanged, &PWXLibraryPickerPaletteController::groupContentChanged);
    add(kPWStyleInspectorDidCreateNewStyle, &PWXLibraryPickerPaletteController::inspectorStyleChanged);
}

void PWXLibraryPickerPaletteController::setStatusBarHidden(bool hidden)
{
    if (!m_statusBar || m_statusBarVisible == !hidden)
        return;
    m_statusBarVisible = !hidden;
    auto* panel = qobject_cast<pf::Window*>(window());
    const bool shown = panel && panel->isVisible();
    const QRectF frame = panel ? panel->frame() : QRectF();
    m_statusBar->setVisible(!hidden);
    m_currentLibPathControl->setVisible(!hidden && !identifierForSelectedItem().isEmpty());
    if (panel) {
        panel->setContentBorderThickness(hidden ? 0 : kStatusBarHeight);
        if (shown) {
            // The window grows (or shrinks) downwards by the bar, its top edge staying put.
            const double change = hidden ? -kStatusBarHeight : kStatusBarHeight;
            panel->setFrame(QRectF(frame.x(), frame.y() - change, frame.width(), frame.height() + change), true, true);
        }
    }
}

void PWXLibraryPickerPaletteController::toggleStatusBar(const QVariant&) { setStatusBarHidden(m_statusBarVisible); }

QSizeF PWXLibraryPickerPaletteController::frameSizeSnappedToRows(pf::Window& window, const QSizeF& frameSize) const
{
    if (!m_itemViewController || m_itemViewController->rowHeight() <= 0)
        return frameSize;
    const double rowHeight = m_itemViewController->rowHeight();
    const double fixed = 2 * m_itemViewController->fixedHeight();
    // The bars: everything in the window but the item grid.
    const QRectF currentContent = window.contentRectForFrameRect(window.frame());
    const double bars = std::max(0.0, currentContent.height() - m_itemViewController->height());
    const QRectF proposed = window.contentRectForFrameRect(QRectF(QPointF(), frameSize));
    const double rows = std::max(1.0, std::round((proposed.height() - bars - fixed) / rowHeight));
    const QRectF snapped(proposed.topLeft(), QSizeF(proposed.width(), rows * rowHeight + bars + fixed));
    return QSizeF(frameSize.width(), window.frameRectForContentRect(snapped).height());
}

QSizeF PWXLibraryPickerPaletteController::windowWillResize(pf::Window& window, const QSizeF& frameSize)
{
    return frameSizeSnappedToRows(window, frameSize);
}

void PWXLibraryPickerPaletteController::iconSizingChanged(QSizeF)
{
    auto* panel = qobject_cast<pf::Window*>(window());
    if (!panel)
        return;
    const QRectF frame = panel->frame();
    const QSizeF snapped = frameSizeSnappedToRows(*panel, frame.size());
    if (snapped.height() != frame.height())
        panel->setFrame(QRectF(frame.x(), frame.y() + frame.height() - snapped.height(), frame.width(), snapped.height()),
                        true, panel->isVisible());
}

// --- Shown category and filter ------------------------------------------------------------------

void PWXLibraryPickerPaletteController::dropCaches()
{
    m_cachedFilteredItems.reset();
    m_styleIndexesCache.reset();
    m_symbolIndexesCache.reset();
    m_cachedPredicate.reset();
}

void PWXLibraryPickerPaletteController::reloadItems()
{
    if (m_itemViewController)
        m_itemViewController->setContent(filteredItems(), true);
    m_picked = selectedItem();
    setUIStateForDrawingTool(mainDocumentTool());
}

void PWXLibraryPickerPaletteController::setCategory(const pf::Ref<PWXLibraryCategory>& category)
{
    if (category == m_libraryCategory)
        return;
    m_libraryCategory = category;
    dropCaches();
    reloadItems();
    updateSelectionLabel();
    updateLibraryPopUpTitle();
    updateHistoryBuffer();
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    if (category)
        defaults.setObject(category->identifier(), kDisplayedCategoryDefault);
    else
        defaults.removeObjectForKey(kDisplayedCategoryDefault);
}

void PWXLibraryPickerPaletteController::updateLibraryPopUpTitle()
{
    if (!m_libraryMenu || m_libraryMenu->numberOfItems() == 0)
        return;
    pf::MenuItem* title = m_libraryMenu->itemAtIndex(0);
    QString text = tr("No Category");
    if (m_libraryCategory) {
        PWXLibrary* library = m_libraryCategory->library();
        text = library ? QStringLiteral("%1 \u2013 %2").arg(library->name(), m_libraryCategory->name())
                       : m_libraryCategory->name();
    }
    title->setTitle(text);
    if (m_libraryPopUp)
        m_libraryPopUp->update();
}

void PWXLibraryPickerPaletteController::setFilterString(const QString& text)
{
    if (text == m_filterString)
        return;
    m_filterString = text;
    if (m_filterScope == 1 && m_libraryCategory && m_libraryCategory->library())
        setCategory(m_libraryCategory->library()->allItemsCategory());
    dropCaches();
    reloadItems();
}

void PWXLibraryPickerPaletteController::setFilterStringMode(int mode)
{
    if (mode == m_filterStringMode)
        return;
    m_filterStringMode = mode;
    dropCaches();
    reloadItems();
}

void PWXLibraryPickerPaletteController::setFilterKind(int kind)
{
    if (kind == m_filterKind)
        return;
    m_filterKind = kind;
    dropCaches();
    reloadItems();
}

void PWXLibraryPickerPaletteController::setFilterScope(int scope)
{
    if (scope == m_filterScope)
        return;
    m_filterScope = scope;
    dropCaches();
    reloadItems();
}

pf::Ref<PWXLibraryPredicate> PWXLibraryPickerPaletteController::filterPredicate()
{
    if (m_cachedPredicate)
        return *m_cachedPredicate;
    using Op = PWXLibraryPredicate::Operator;
    QList<PWXLibraryPredicate::Comparison> parts;
    if (m_filterKind == 1 || m_filterKind == 2)
        parts.append({QStringLiteral("classCode"), Op::Equal, m_filterKind});
    if (!m_filterString.isEmpty()) {
        const Op op = m_filterStringMode == 1   ? Op::BeginsWith
                      : m_filterStringMode == 2 ? Op::Like
                      : m_filterStringMode == 3 ? Op::EndsWith
                                                : Op::Contains;
        PWXLibraryPredicate::Comparison name{QStringLiteral("name"), op, m_filterString};
        name.diacriticInsensitive = true; // the search ignores case and accents
        parts.append(name);
    }
    m_cachedPredicate = parts.isEmpty() ? nullptr
                                        : std::make_shared<PWXLibraryPredicate>(PWXLibraryPredicate::Compound::And, parts);
    return *m_cachedPredicate;
}

const QList<pf::Ref<PWXLibraryItem>>& PWXLibraryPickerPaletteController::filteredItems()
{
    if (m_cachedFilteredItems)
        return *m_cachedFilteredItems;
    QList<pf::Ref<PWXLibraryItem>> items;
    if (m_libraryCategory) {
        const pf::Ref<PWXLibraryPredicate> predicate = filterPredicate();
        for (const pf::Ref<PWXLibraryItem>& item : m_libraryCategory->allElements())
            if (!predicate || predicate->evaluateWithItem(*item))
                items.append(item);
        std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
            return pf::compareByReading(a->name(), b->name()) < 0;
        });
    }
    m_cachedFilteredItems = items;
    return *m_cachedFilteredItems;
}

pf::Ref<PWXLibraryItem> PWXLibraryPickerPaletteController::filteredItemWithID(const QString& key)
{
    for (const pf::Ref<PWXLibraryItem>& item : filteredItems())
        if (item->uniqueKey() == key)
            return item;
    return nullptr;
}

pf::IndexSet PWXLibraryPickerPaletteController::styleIndexes()
{
    if (!m_styleIndexesCache) {
        pf::IndexSet styles, symbols;
        const QList<pf::Ref<PWXLibraryItem>>& items = filteredItems();
        for (int i = 0; i < items.size(); ++i) {
            if (items[i]->classCode() == PWXLibraryObjectProtocol::kStyleClassCode)
                styles.add(i);
            else if (items[i]->classCode() == PWXLibraryObjectProtocol::kSymbolMasterClassCode)
                symbols.add(i);
        }
        m_styleIndexesCache = styles;
        m_symbolIndexesCache = symbols;
    }
    return *m_styleIndexesCache;
}

pf::IndexSet PWXLibraryPickerPaletteController::symbolIndexes()
{
    styleIndexes();
    return *m_symbolIndexesCache;
}

void PWXLibraryPickerPaletteController::disableItemsAtIndexes(const std::optional<pf::IndexSet>& indexes)
{
    if (m_itemViewController)
        m_itemViewController->setDisabledItems(indexes);
}
