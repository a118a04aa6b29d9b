// The document window of RVCartavelDocument: its sidebars of tabs, their saved layout, the
// shadowed page, the toolbar read-outs and the clean-up when the window closes.

#include "app/CVLMouseLocationController.h"
#include "app/RVCartavelDocument.h"
#include "app/VNQLDrawingWindowController.h"
#include "app/VNQLEmptyTabController.h"
#include "frameworks/penwork/layers/PWLayer.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/view/PWDrawingScrollArea.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "inspectors/VNQLTabContentView.h"
#include "inspectors/VNQLTabContentViewController.h"
#include "inspectors/VNQLTabView.h"
#include "platform/foundation/Class.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Control.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/Responder.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/SplitView.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ToolbarItem.h"
#include "platform/ui/Window.h"
#include "widgets/RVShadowClipView.h"
#include "widgets/RVSplitViewController.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QToolBar>

#include <algorithm>

namespace {

const QString kIdentifierListKey = QStringLiteral("identifierList");
const QString kSelectedTabKey = QStringLiteral("selectedTab");
const QString kTabOptionsKey = QStringLiteral("tabOptions");
const QString kTabAlignmentKey = QStringLiteral("tabAlignment");
constexpr int kLastTabOptions = 3;
constexpr int kLastTabAlignment = 3;
// The room bestFrameForWindow leaves round the drawing.
constexpr double kDrawingFrameMargin = 15;

std::optional<qint64> integerValue(const QVariant& value)
{
    if (!pf::isNumber(value))
        return std::nullopt;
    bool ok = false;
    const qint64 number = value.toLongLong(&ok);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

} // namespace

// --- Outlets and set-up --------------------------------------------------------------------------

void RVCartavelDocument::connectWindowOutlets(const VNQLDocumentWindowOutlets& outlets)
{
    m_window = outlets.window;
    m_splitView = outlets.splitView;
    m_sidebarTabView = outlets.sidebarTabView;
    m_rightHandSidebarTabView = outlets.rightHandSidebarTabView;
    m_scrollView = outlets.scrollView;
    m_toolbar = outlets.toolbar;
    m_mouser = std::make_shared<CVLMouseLocationController>();
    m_mouser->setView(outlets.drawingView);
    if (m_sidebarTabView)
        m_sidebarTabView->setDelegate(this);
    if (m_rightHandSidebarTabView)
        m_rightHandSidebarTabView->setDelegate(this);
    if (m_splitView) {
        m_splitViewController = std::make_shared<RVSplitViewController>();
        m_splitViewController->setSplitView(m_splitView);
    }
    m_cleanedUp = false;
    observeWindowNotifications();
}

VNQLTabView* RVCartavelDocument::sidebarTabView() const { return m_sidebarTabView; }
VNQLTabView* RVCartavelDocument::rightHandSidebarTabView() const { return m_rightHandSidebarTabView; }
pf::SegmentedControl* RVCartavelDocument::sidebarToolbarSegmentedControl() const { return m_sidebarToolbarSegmentedControl; }
pf::SegmentedControl* RVCartavelDocument::snappingToolbarSegmentedControl() const { return m_snappingToolbarSegmentedControl; }
pf::PopUpButton* RVCartavelDocument::zoomScaleInfo() const { return m_zoomScaleInfo; }
RVShadowClipView* RVCartavelDocument::shadowClipView() const { return m_shadowClipView; }

void RVCartavelDocument::observeWindowNotifications()
{
    stopObservingWindowNotifications();
    auto& centre = pf::NotificationCenter::defaultCenter();
    pf::Weak<RVCartavelDocument> weak = std::static_pointer_cast<RVCartavelDocument>(shared_from_this());
    auto forward = [weak](void (RVCartavelDocument::*handler)(const pf::Notification&)) {
        return [weak, handler](const pf::Notification& notification) {
            if (auto self = weak.lock())
                (self.get()->*handler)(notification);
        };
    };
    if (m_toolbar) {
        m_windowObservations.append(centre.addObserver(pf::NSToolbarWillAddItemNotification, m_toolbar.get(),
                                                       forward(&RVCartavelDocument::toolbarWillAddItem)));
        m_windowObservations.append(centre.addObserver(pf::NSToolbarDidRemoveItemNotification, m_toolbar.get(),
                                                       forward(&RVCartavelDocument::toolbarDidRemoveItem)));
    }
}

void RVCartavelDocument::stopObservingWindowNotifications()
{
    auto& centre = pf::NotificationCenter::defaultCenter();
    for (quint64 token : std::as_const(m_windowObservations))
        centre.removeObserver(token);
    m_windowObservations.clear();
}

void RVCartavelDocument::awakeFromNib()
{
    pf::UndoRegistrationDisabled noUndo(undoManagerOrNull());
    if (m_window)
        m_window->setDelegate(this);
    m_savePreview = false;
    if (m_mouser)
        m_mouser->awakeFromNib();
    if (!m_splitViewController)
        return;
    m_splitViewController->setDelegate(std::static_pointer_cast<pf::Object>(shared_from_this()));
    for (const auto& [index, identifier] : {std::pair{kLeftSidebarIndex, kLeftSidebarIdentifier},
                                            std::pair{kRightSidebarIndex, kRightSidebarIdentifier}}) {
        if (RVSplitViewItem* item = m_splitViewController->splitViewItemAtIndex(index)) {
            item->setIdentifier(identifier);
            item->setMinSize(kSidebarMinimumSize);
            item->setMaxSize(kSidebarMaximumSize);
            item->setBehaviour(RVSplitViewItem::kFixedBehaviour);
        }
    }
    // The drawing in the middle always shows.
    if (RVSplitViewItem* middle = m_splitViewController->splitViewItemAtIndex(1))
        middle->setCanCollapse(false);
    m_splitViewController->notifyInitialState();
}

void RVCartavelDocument::windowControllerDidLoadNib(pf::WindowController* controller)
{
    RVLog(kInfoEvent, QStringLiteral("%1 document loaded nib, controller = %2, URL = %3")
                          .arg(description(), controller ? controller->description() : QStringLiteral("(null)"),
                               fileURL().toString()));
    PWDrawingDocument::windowControllerDidLoadNib(controller);
    if (m_window) {
        makeTabViewControllers();
        installShadowClipview();
        auto& centre = pf::NotificationCenter::defaultCenter();
        pf::Weak<RVCartavelDocument> weak = std::static_pointer_cast<RVCartavelDocument>(shared_from_this());
        if (PWDrawingView* view = mainView()) {
            m_windowObservations.append(centre.addObserver(kPWDrawingViewDidChangeScale, view, [weak](const pf::Notification& n) {
                if (auto self = weak.lock())
                    self->viewScaleDidChange(n);
            }));
            viewScaleDidChange({kPWDrawingViewDidChangeScale, view, {}});
        }
        m_isInitiallyPlacingWindow = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            m_window->setGeometry(screen->availableGeometry());
        m_window->setGeometry(bestFrameForWindow(m_window).toRect());
        m_isInitiallyPlacingWindow = false;
        pf::RunLoop::main().perform([weak] {
            if (auto self = weak.lock())
                self->bringWindowToFront();
        }, 0);
    }
    makeTemporaryDocumentLibrary();
    endFileOpenProgress();
}

// --- Tabs ----------------------------------------------------------------------------------------

const pf::Class* RVCartavelDocument::classForTabControllerWithIdentifier(const QString& identifier)
{
    // The panels whose own controllers are not in the program yet show an empty panel under
    // their title.
    static const QStringList panels = {kStyleTabIdentifier, kLayersTabIdentifier, kGeometryTabIdentifier,
                                       kTextTabIdentifier, kUndoHistoryTabIdentifier};
    if (!panels.contains(identifier))
        return nullptr;
    if (const pf::Class* own = pf::Class::named(identifier == kStyleTabIdentifier ? QStringLiteral("VNQLStyleEditorController")
                                                : identifier == kLayersTabIdentifier ? QStringLiteral("VNQLLayersController")
                                                : identifier == kGeometryTabIdentifier ? QStringLiteral("VNQLGeometryController")
                                                : identifier))
        return own;
    return &VNQLEmptyTabController::staticClass();
}

void RVCartavelDocument::addDefaultTabs()
{
    if (!m_sidebarTabView)
        return;
    for (const QString& identifier : {kLayersTabIdentifier, kGeometryTabIdentifier, kTextTabIdentifier, kStyleTabIdentifier})
        m_sidebarTabView->addTabWithIdentifier(identifier);
    m_sidebarTabView->setCurrentTab(0);
}

QVariantMap RVCartavelDocument::sanitisedSidebarState(const QVariant& state)
{
    const QVariantMap map = state.toMap();
    const QVariantList listed = map.value(kIdentifierListKey).toList();
    const std::optional<qint64> selected = integerValue(map.value(kSelectedTabKey));
    QVariantList kept;
    std::optional<qint64> keptSelection;
    for (qsizetype i = 0; i < listed.size(); ++i) {
        const QString identifier = listed[i].toString();
        if (listed[i].typeId() != QMetaType::QString || identifier == kUndoHistoryTabIdentifier
            || !classForTabControllerWithIdentifier(identifier) || kept.contains(identifier))
            continue;
        if (selected && *selected == i)
            keptSelection = kept.size();
        kept.append(identifier);
    }
    if (kept.isEmpty())
        return {};
    QVariantMap sanitised{{kIdentifierListKey, kept}, {kSelectedTabKey, keptSelection.value_or(0)}};
    // Options that are 0, missing or unknown are left out: the tab view then reads them as the
    // preference does.
    if (const qint64 options = integerValue(map.value(kTabOptionsKey)).value_or(0); options > 0 && options <= kLastTabOptions)
        sanitised.insert(kTabOptionsKey, options);
    const qint64 alignment = integerValue(map.value(kTabAlignmentKey)).value_or(0);
    sanitised.insert(kTabAlignmentKey, alignment >= 0 && alignment <= kLastTabAlignment ? alignment : 0);
    return sanitised;
}

void RVCartavelDocument::makeTabViewControllers()
{
    if (m_windowRestorationState.isEmpty())
        restoreStateFromPreference();
    const QVariantMap state = m_windowRestorationState;
    m_windowRestorationState.clear();
    bool restored = false;
    if (!state.isEmpty()) {
        try {
            restoreWithStateInfo(state);
            restored = true;
        } catch (const pf::Exception& exception) {
            RVLog(kStateEvent, QStringLiteral("window state not restored: %1").arg(exception.reason()));
        }
    }
    const bool leftEmpty = !m_sidebarTabView || m_sidebarTabView->numberOfTabs() == 0;
    const bool rightEmpty = !m_rightHandSidebarTabView || m_rightHandSidebarTabView->numberOfTabs() == 0;
    if (!restored || (leftEmpty && rightEmpty)) {
        if (m_rightHandSidebarTabView)
            m_rightHandSidebarTabView->removeAllTabs();
        addDefaultTabs();
        setSidebarCollapsed(kRightSidebarIndex, true);
        return;
    }
    // A sidebar the state left without tabs stays closed.
    if (leftEmpty)
        setSidebarCollapsed(kLeftSidebarIndex, true);
    if (rightEmpty)
        setSidebarCollapsed(kRightSidebarIndex, true);
}

void RVCartavelDocument::restoreWithStateInfo(const QVariantMap& state)
{
    PF_ASSERT(!state.isEmpty(), "no data for restoring document state (2)");
    if (!isValidWindowState(state))
        pf::raise(QStringLiteral("NSInvalidArgumentException"), QStringLiteral("the window state is damaged"));
    if (m_splitViewController && state.contains(kSplitsKey)) {
        try {
            m_splitViewController->restoreWithStateInfo(state.value(kSplitsKey));
        } catch (const pf::Exception& exception) {
            RVLog(kStateEvent, QStringLiteral("split view state not restored: %1").arg(exception.reason()));
        }
    }
    for (const auto& [tabView, key] : {std::pair{m_sidebarTabView.data(), kLeftSidebarIdentifier},
                                       std::pair{m_rightHandSidebarTabView.data(), kRightSidebarIdentifier}}) {
        if (!tabView)
            continue;
        const QVariantMap sidebar = sanitisedSidebarState(state.value(key));
        if (sidebar.isEmpty()) {
            // Nothing left to show: the sidebar starts empty.
            tabView->removeAllTabs();
            continue;
        }
        tabView->restoreWithStateInfo(sidebar);
        // A tab the delegate refused may have moved the selection out of range.
        if (!tabView->selectedTab() && tabView->numberOfTabs() > 0)
            tabView->setCurrentTab(0);
    }
}

void RVCartavelDocument::tabViewDidAddTab(VNQLTabView* tabView, VNQLTabContentView* tab, int index)
{
    if (!tab || tab->tabIdentifier().isEmpty())
        return;
    const QString identifier = tab->tabIdentifier();
    const pf::Class* cls = classForTabControllerWithIdentifier(identifier);
    pf::Ref<pf::ViewController> controller;
    if (cls == &VNQLEmptyTabController::staticClass())
        controller = std::make_shared<VNQLEmptyTabController>(identifier);
    else if (cls)
        controller = std::dynamic_pointer_cast<pf::ViewController>(cls->create());
    if (!controller) {
        tabView->removeTabFromView(tab);
        return;
    }
    tab->setContentViewWithController(controller);
    if (controller->respondsTo(QStringLiteral("setDrawing:")))
        controller->perform(QStringLiteral("setDrawing:"), {pf::toVariant(drawing())});
    if (controller->respondsTo(QStringLiteral("setDelegate:")) && identifier == kLayersTabIdentifier)
        controller->perform(QStringLiteral("setDelegate:"), {pf::toVariant(std::static_pointer_cast<pf::Object>(shared_from_this()))});
    if (identifier == kLayersTabIdentifier && cls != &VNQLEmptyTabController::staticClass())
        setLayersController(controller);
    if (identifier == kUndoHistoryTabIdentifier) {
        tabView->removeTabFromView(tab);
        return;
    }
    RVLog(kStateEvent, QStringLiteral("did add tab (%1): %2, controller = %3").arg(index).arg(identifier, controller->description()));
}

void RVCartavelDocument::applyDrawingToTabControllers()
{
    for (VNQLTabView* tabView : {m_sidebarTabView.data(), m_rightHandSidebarTabView.data()}) {
        if (!tabView)
            continue;
        for (VNQLTabContentView* tab : tabView->tabViews()) {
            pf::Ref<pf::ViewController> controller = tab ? tab->viewController() : nullptr;
            if (controller && controller->respondsTo(QStringLiteral("setDrawing:")))
                controller->perform(QStringLiteral("setDrawing:"), {pf::toVariant(drawing())});
        }
    }
}

void RVCartavelDocument::tabViewDidMoveTab(VNQLTabView*, VNQLTabContentView*, int)
{
    // The package reads the live layout when it is saved; nothing is cached to drop here.
}

void RVCartavelDocument::tabViewDidBecomeEmpty(VNQLTabView* tabView)
{
    if (tabView && tabView == m_sidebarTabView)
        setSidebarCollapsed(kLeftSidebarIndex, true);
    else if (tabView && tabView == m_rightHandSidebarTabView)
        setSidebarCollapsed(kRightSidebarIndex, true);
}

void RVCartavelDocument::tabViewDidChangeInterfaceState(VNQLTabView*)
{
    if (m_preferenceSaveRequest)
        pf::RunLoop::main().cancel(m_preferenceSaveRequest);
    pf::Weak<RVCartavelDocument> weak = std::static_pointer_cast<RVCartavelDocument>(shared_from_this());
    m_preferenceSaveRequest = pf::RunLoop::main().perform([weak] {
        if (auto self = weak.lock()) {
            self->m_preferenceSaveRequest = 0;
            self->saveRestorableStateAsPreference();
        }
    }, kPreferenceSaveDelayMs / 1000.0);
}

bool RVCartavelDocument::isPreferenceSavePending() const
{
    return m_preferenceSaveRequest != 0;
}

void RVCartavelDocument::saveRestorableStateAsPreference()
{
    if (m_preferenceSaveRequest) {
        pf::RunLoop::main().cancel(m_preferenceSaveRequest);
        m_preferenceSaveRequest = 0;
    }
    const QVariantMap state = restorableStateInfo();
    if (isValidWindowState(state))
        pf::UserDefaults::standard().setObject(state, kDefaultRestorableStateDefault);
}

VNQLTabContentView* RVCartavelDocument::tabWithIdentifier(const QString& identifier) const
{
    for (VNQLTabView* tabView : {m_sidebarTabView.data(), m_rightHandSidebarTabView.data()}) {
        if (tabView)
            if (VNQLTabContentView* tab = tabView->tabWithIdentifier(identifier))
                return tab;
    }
    return nullptr;
}

void RVCartavelDocument::selectTabWithIdentifier(const QString& identifier)
{
    if (m_sidebarTabView && m_sidebarTabView->tabWithIdentifier(identifier)) {
        m_sidebarTabView->selectTabWithIdentifier(identifier);
        setSidebarCollapsed(kLeftSidebarIndex, false);
    } else if (m_rightHandSidebarTabView && m_rightHandSidebarTabView->tabWithIdentifier(identifier)) {
        m_rightHandSidebarTabView->selectTabWithIdentifier(identifier);
        setSidebarCollapsed(kRightSidebarIndex, false);
    }
}

QVariant RVCartavelDocument::tabIconWithIdentifier(const QString& identifier) const
{
    VNQLTabContentView* tab = tabWithIdentifier(identifier);
    return tab ? QVariant::fromValue(tab->icon()) : QVariant();
}

bool RVCartavelDocument::tabWithIdentifierIsSelected(const QString& identifier) const
{
    for (const auto& [tabView, index] : {std::pair{m_sidebarTabView.data(), kLeftSidebarIndex},
                                         std::pair{m_rightHandSidebarTabView.data(), kRightSidebarIndex}}) {
        VNQLTabContentView* tab = tabView ? tabView->tabWithIdentifier(identifier) : nullptr;
        if (tab)
            return tab == tabView->selectedTab() && !isSidebarCollapsed(index);
    }
    return false;
}

void RVCartavelDocument::selectTextTabAction(const QVariant&) { selectTabWithIdentifier(kTextTabIdentifier); }
void RVCartavelDocument::selectLayersTabAction(const QVariant&) { selectTabWithIdentifier(kLayersTabIdentifier); }
void RVCartavelDocument::selectGeometryTabAction(const QVariant&) { selectTabWithIdentifier(kGeometryTabIdentifier); }
void RVCartavelDocument::selectStyleTabAction(const QVariant&) { selectTabWithIdentifier(kStyleTabIdentifier); }
void RVCartavelDocument::selectAttributesTabAction(const QVariant&) { selectTabWithIdentifier(kAttributesTabIdentifier); }

// --- Sidebars ------------------------------------------------------------------------------------

bool RVCartavelDocument::isSidebarCollapsed(int index) const
{
    RVSplitViewItem* item = m_splitViewController ? m_splitViewController->splitViewItemAtIndex(index) : nullptr;
    return !item || item->isCollapsed();
}

void RVCartavelDocument::setSidebarCollapsed(int index, bool collapsed)
{
    if (m_splitViewController)
        m_splitViewController->setSplitViewItemCollapsed(collapsed, index);
}

void RVCartavelDocument::toggleSidebarsAction(const QVariant& sender)
{
    auto* control = dynamic_cast<pf::SegmentedControl*>(pf::Control::fromSender(sender));
    if (!control)
        return;
    setSidebarCollapsed(kLeftSidebarIndex, !control->isSelectedForSegment(0));
    setSidebarCollapsed(kRightSidebarIndex, !control->isSelectedForSegment(1));
}

void RVCartavelDocument::toggleLeftSidebarAction(const QVariant&)
{
    setSidebarCollapsed(kLeftSidebarIndex, !isSidebarCollapsed(kLeftSidebarIndex));
}

void RVCartavelDocument::toggleRightSidebarAction(const QVariant&)
{
    setSidebarCollapsed(kRightSidebarIndex, !isSidebarCollapsed(kRightSidebarIndex));
}

bool RVCartavelDocument::layersSidebarVisible() const
{
    return m_splitViewController && !isSidebarCollapsed(kLeftSidebarIndex);
}

void RVCartavelDocument::setLayersSidebarVisible(bool visible)
{
    setSidebarCollapsed(kLeftSidebarIndex, !visible);
}

void RVCartavelDocument::toggleLayersListVisible(const QVariant&)
{
    setLayersSidebarVisible(!layersSidebarVisible());
}

void RVCartavelDocument::performZoom(const QVariant&)
{
    if (m_window)
        m_window->zoom();
}

void RVCartavelDocument::zoomIn(const QVariant& sender)
{
    if (PWDrawingView* view = mainView())
        view->zoomIn(sender);
}

void RVCartavelDocument::zoomOut(const QVariant& sender)
{
    if (PWDrawingView* view = mainView())
        view->zoomOut(sender);
}

void RVCartavelDocument::zoomToActualSize(const QVariant& sender)
{
    if (PWDrawingView* view = mainView())
        view->zoomToActualSize(sender);
}

void RVCartavelDocument::zoomFitInWindow(const QVariant& sender)
{
    if (PWDrawingView* view = mainView())
        view->zoomFitInWindow(sender);
}

void RVCartavelDocument::group(const QVariant& sender)
{
    if (PWDrawingView* view = mainView())
        view->group(sender);
}

void RVCartavelDocument::ungroup(const QVariant& sender)
{
    if (PWDrawingView* view = mainView())
        view->ungroup(sender);
}

void RVCartavelDocument::toggleFullScreen(const QVariant&)
{
    if (m_window)
        m_window->toggleFullScreen();
}

namespace {

// The toolbar's sidebar switch shows whether each sidebar is open: segment 0 the left, 1 the right.
void showSidebarOpenInSwitch(pf::SegmentedControl* sidebarSwitch, const RVSplitViewItem& item, bool open)
{
    if (!sidebarSwitch)
        return;
    if (item.identifier() == RVCartavelDocument::kLeftSidebarIdentifier)
        sidebarSwitch->setSelected(open, 0);
    else if (item.identifier() == RVCartavelDocument::kRightSidebarIdentifier)
        sidebarSwitch->setSelected(open, 1);
}

} // namespace

void RVCartavelDocument::splitViewControllerDidCollapseItem(RVSplitViewController&, RVSplitViewItem& item)
{
    showSidebarOpenInSwitch(m_sidebarToolbarSegmentedControl, item, false);
}

void RVCartavelDocument::splitViewControllerDidUncollapseItem(RVSplitViewController&, RVSplitViewItem& item)
{
    showSidebarOpenInSwitch(m_sidebarToolbarSegmentedControl, item, true);
}

void RVCartavelDocument::splitViewControllerDidChangeItem(RVSplitViewController&, RVSplitViewItem&)
{
    // The package reads the live layout when it is saved; nothing is cached to drop here.
}

// --- The page and the window's frame ---------------------------------------------------------------

void RVCartavelDocument::installShadowClipview()
{
    PWDrawingView* view = mainView();
    if (!m_scrollView || !view)
        return;
    auto* clip = new RVShadowClipView(QRectF(0, 0, 100, 100));
    clip->setCentresDocument(!pf::UserDefaults::standard().boolForKey(kCentreDocumentViewDefaultState));
    // The clip view takes the drawing view over from the one it replaces.
    m_scrollView->setContentView(clip);
    m_shadowClipView = clip;
    QPointer<RVShadowClipView> guarded = clip;
    m_windowObservations.append(pf::NotificationCenter::defaultCenter().addObserver(
        kPWDrawingViewRulersChanged, view, [guarded](const pf::Notification& notification) {
            if (guarded)
                guarded->viewFrameChanged(notification);
        }));
}

QRectF RVCartavelDocument::bestFrameForWindow(QWidget* window) const
{
    if (!window)
        return {};
    PWDrawingView* view = mainView();
    // The page at the view's scale, without the pasteboard round it.
    QSizeF size = view ? view->contentSize() * view->scale() : QSizeF();
    size += QSizeF(2 * kDrawingFrameMargin, 2 * kDrawingFrameMargin);
    if (view && view->rulersVisible()) {
        size.rheight() += view->horizontalRulerHeight();
        size.rwidth() += view->verticalRulerWidth();
    }
    const double divider = m_splitView ? m_splitView->dividerThickness() : 0;
    for (int index : {kLeftSidebarIndex, kRightSidebarIndex}) {
        if (isSidebarCollapsed(index))
            continue;
        if (RVSplitViewItem* item = m_splitViewController->splitViewItemAtIndex(index); item && item->view())
            size.rwidth() += item->view()->frame().width() + divider;
    }
    if (m_window)
        size.rheight() += m_window->toolbarHeight();
    // The window's own frame (title bar and borders) round the content.
    size += QSizeF(window->frameGeometry().width() - window->width(), window->frameGeometry().height() - window->height());
    size = size.expandedTo(QSizeF(window->minimumSize()));
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRectF available = screen ? QRectF(screen->availableGeometry()) : QRectF(QPointF(), size);
    size = size.boundedTo(available.size()).expandedTo(QSizeF(window->minimumSize()));
    // Keep the window where it is when it fits there, else move it onto the screen.
    QPointF origin = window->frameGeometry().topLeft();
    origin.setX(std::clamp(origin.x(), available.left(), std::max(available.left(), available.right() - size.width())));
    origin.setY(std::clamp(origin.y(), available.top(), std::max(available.top(), available.bottom() - size.height())));
    return {origin, size};
}

void RVCartavelDocument::bringWindowToFront()
{
    if (!m_window)
        return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void RVCartavelDocument::viewScaleDidChange(const pf::Notification&)
{
    // The page margins round the drawing follow the zoom.
    setPaperMarginsVisible(m_paperMarginsShouldBeShown);
    PWDrawingView* view = mainView();
    if (!view || !m_zoomScaleInfo)
        return;
    const QString title = QLocale().toString(view->scale() * 100.0, 'f', 0) + QLatin1Char('%');
    const int index = m_zoomScaleInfo->indexOfItemWithTag(-1);
    if (pf::MenuItem* item = m_zoomScaleInfo->itemAtIndex(index)) {
        item->setTitle(title);
        item->setEnabled(false);
    }
}

void RVCartavelDocument::toolbarWillAddItem(const pf::Notification& notification)
{
    auto item = pf::fromVariant<pf::Ref<pf::ToolbarItem>>(notification.userInfo.value(pf::kToolbarItemKey));
    if (!item)
        return;
    if (item->itemIdentifier() == VNQLDrawingWindowController::kSidebarsItemIdentifier)
        m_sidebarToolbarSegmentedControl = dynamic_cast<pf::SegmentedControl*>(item->view());
    else if (item->itemIdentifier() == VNQLDrawingWindowController::kSnappingItemIdentifier)
        m_snappingToolbarSegmentedControl = dynamic_cast<pf::SegmentedControl*>(item->view());
    else if (item->itemIdentifier() == VNQLDrawingWindowController::kZoomItemIdentifier)
        m_zoomScaleInfo = dynamic_cast<pf::PopUpButton*>(item->view());
    if (m_mouser)
        m_mouser->toolbarItemWasInstalled(item.get());
}

void RVCartavelDocument::toolbarDidRemoveItem(const pf::Notification& notification)
{
    auto item = pf::fromVariant<pf::Ref<pf::ToolbarItem>>(notification.userInfo.value(pf::kToolbarItemKey));
    if (item && m_mouser)
        m_mouser->toolbarItemWasRemoved(item.get());
}

// --- Window delegate ----------------------------------------------------------------------------

void RVCartavelDocument::windowDidBecomeMain(VNQLDocumentWindow& window)
{
    if (PWDrawingView* view = mainView())
        pf::makeFirstResponder(&window, view);
    if (m_snappingToolbarSegmentedControl)
        m_snappingToolbarSegmentedControl->validateSegments();
}

void RVCartavelDocument::windowWillClose(VNQLDocumentWindow& window)
{
    cleanUpIfNeeded();
    window.setDelegate(nullptr);
}

void RVCartavelDocument::windowWillEnterFullScreen(VNQLDocumentWindow& window)
{
    m_nonFullscreenFrame = window.geometry();
    m_inFullScreen = true;
    if (m_toolbar)
        m_toolbar->setVisible(false);
}

void RVCartavelDocument::windowWillExitFullScreen(VNQLDocumentWindow&)
{
    m_inFullScreen = false;
    if (m_toolbar) {
        m_toolbar->setVisible(true);
        m_toolbar->qToolBar()->setVisible(true);
    }
}

QRectF RVCartavelDocument::windowWillUseStandardFrame(VNQLDocumentWindow& window, const QRectF& defaultFrame)
{
    return m_inFullScreen ? defaultFrame : bestFrameForWindow(&window);
}

bool RVCartavelDocument::windowShouldZoom(VNQLDocumentWindow&, const QRectF&)
{
    return !m_isInitiallyPlacingWindow;
}

// --- Closing ---------------------------------------------------------------------------------------

void RVCartavelDocument::cleanUpIfNeeded()
{
    if (m_cleanedUp)
        return;
    m_cleanedUp = true;
    RVLog(kStateEvent, QStringLiteral("window closing, cleaning up. Doc: %1").arg(description()));
    // The layout the user left is what the next new document starts from.
    if (m_preferenceSaveRequest)
        saveRestorableStateAsPreference();
    if (pf::UndoManager* undo = undoManagerOrNull()) {
        undo->removeAllActions();
        undo->disableUndoRegistration();
    }
    if (pf::Application* application = pf::Application::shared()) {
        if (pf::ApplicationDelegate* delegate = application->delegate();
            delegate && delegate->respondsTo(QStringLiteral("currentDocumentWillBeDeallocated")))
            delegate->perform(QStringLiteral("currentDocumentWillBeDeallocated"), {});
    }
    m_mapScale.reset();
    detachWindow();
    PWDrawingDocument::setDrawing(nullptr);
    m_exportOperation.reset();
    m_drawingGridController.reset();
    m_drawingSetUpDelegate.reset();
}

void RVCartavelDocument::detachWindow()
{
    stopObservingWindowNotifications();
    if (m_preferenceSaveRequest) {
        pf::RunLoop::main().cancel(m_preferenceSaveRequest);
        m_preferenceSaveRequest = 0;
    }
    for (VNQLTabView* tabView : {m_sidebarTabView.data(), m_rightHandSidebarTabView.data()})
        if (tabView)
            tabView->setDelegate(nullptr);
    if (m_splitViewController) {
        m_splitViewController->setDelegate(nullptr);
        m_splitViewController->setSplitView(nullptr);
        m_splitViewController.reset();
    }
    if (m_window)
        m_window->setDelegate(nullptr);
    m_mouser.reset();
    m_sidebarTabView = nullptr;
    m_rightHandSidebarTabView = nullptr;
    m_splitView = nullptr;
    m_scrollView = nullptr;
    m_shadowClipView = nullptr;
    m_toolbar.reset();
}

// --- Selection ---------------------------------------------------------------------------------------

pf::Ref<PWLayer> RVCartavelDocument::activeLayer() const
{
    return drawing() ? drawing()->activeLayer() : nullptr;
}

bool RVCartavelDocument::hasValidSelection() const
{
    auto layer = std::dynamic_pointer_cast<PWObjectOwnerLayer>(activeLayer());
    return layer && layer->countOfSelectedAvailableObjects() != 0;
}
