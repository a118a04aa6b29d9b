#include "inspectors/VNQLTabView.h"

#include "inspectors/VNQLDragTabProxy.h"
#include "inspectors/VNQLTabContentViewController.h"
#include "inspectors/VNQLTabLayer.h"
#include "inspectors/VNQLTabViewTitleView.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/ViewController.h"
#include "widgets/Color+VNQLApplicationColors.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(VNQLTabView, pf::View)
{
    b.method("iconAndTextAction:", &VNQLTabView::iconAndTextAction);
    b.method("iconOnlyAction:", &VNQLTabView::iconOnlyAction);
    b.method("textOnlyAction:", &VNQLTabView::textOnlyAction);
    b.method("tabAlignmentAction:", &VNQLTabView::tabAlignmentAction);
    b.method("selectTabWithName:", &VNQLTabView::selectTabWithName);
    b.property("currentTab", &VNQLTabView::currentTab);
    b.property("tabOptions", &VNQLTabView::tabOptions, &VNQLTabView::setTabOptions);
    b.property("tabAlignment", &VNQLTabView::tabAlignment, &VNQLTabView::setTabAlignment);
}

namespace {

VNQLTabView::DragRunner& dragRunner()
{
    static VNQLTabView::DragRunner runner;
    return runner;
}

// Options with at least one of titles and icons; anything else reads as icons only.
int sanitisedOptions(qint64 options)
{
    if (options < 1 || options > 3)
        return VNQLTabView::ShowIcons;
    return int(options);
}

int sanitisedAlignment(qint64 alignment)
{
    return (alignment < 0 || alignment > 3) ? int(VNQLTabView::AlignCentre) : int(alignment);
}

bool isNumber(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

// A sender's tag and title: a menu item's, or the value itself.
int senderTag(const QVariant& sender)
{
    if (auto item = pf::objectCast<pf::MenuItem>(sender))
        return item->tag();
    return sender.toInt();
}

QString senderTitle(const QVariant& sender)
{
    if (auto item = pf::objectCast<pf::MenuItem>(sender))
        return item->title();
    return sender.toString();
}

} // namespace

VNQLTabView::VNQLTabView(const QRectF& frame, QWidget* parent) : pf::View(frame, parent)
{
    m_titleView = new VNQLTabViewTitleView(QRectF(0, 0, frame.width(), kStripHeight), this);
    m_titleView->setAutoresizingMask(pf::ViewWidthSizable | pf::ViewMaxYMargin);
    addSubview(m_titleView);
    // The display options and alignments, offered by every sidebar's strip.
    m_titleView->setMenu(makeStandardMenu());
    const pf::UserDefaults& defaults = pf::UserDefaults::standard();
    m_tabOptions = sanitisedOptions(defaults.integerForKey(kVNQLTabViewOptionsPreferencesKey));
    m_tabAlignment = sanitisedAlignment(defaults.integerForKey(kVNQLTabViewAlignmentPreferencesKey));
}

VNQLTabView::~VNQLTabView()
{
    cancelScheduledDrag();
    for (VNQLTabContentView* tab : std::as_const(m_tabs)) {
        tab->setTabView(nullptr);
        if (qobject_cast<VNQLDragTabProxy*>(tab))
            delete tab;
    }
    m_tabs.clear();
}

QImage VNQLTabView::emptyTabViewImage()
{
    return pf::Bundle::main().imageForResource(QStringLiteral("empty_tab_view_image"));
}

VNQLTabViewDelegate* VNQLTabView::delegate() const
{
    if (m_delegateIsReflective && m_delegateToken.expired())
        return nullptr;
    return m_delegate;
}

void VNQLTabView::setDelegate(VNQLTabViewDelegate* delegate)
{
    m_delegate = delegate;
    auto* reflective = dynamic_cast<pf::Reflective*>(delegate);
    m_delegateIsReflective = reflective != nullptr;
    m_delegateToken = reflective ? reflective->livenessToken() : std::weak_ptr<void>();
}

void VNQLTabView::setNumberOfTabs(int count)
{
    count = std::max(0, count);
    while (numberOfTabs() < count)
        addTab(newTab());
    while (numberOfTabs() > count)
        removeTabFromView(m_tabs.last());
}

VNQLTabContentView* VNQLTabView::tabViewAtIndex(TabIndex index) const
{
    return (index >= 0 && index < m_tabs.size()) ? m_tabs.at(index) : nullptr;
}

QRectF VNQLTabView::tabsRect() const
{
    return m_titleView ? m_titleView->frame() : QRectF();
}

QRectF VNQLTabView::rectOfTabAtIndex(TabIndex index) const
{
    const qsizetype n = m_tabs.size();
    if (n == 0 || index < 0 || index >= n)
        return {};
    const QRectF strip = tabsRect();
    const double greatest = std::floor(strip.width() / double(n)) + 1;
    const double least = strip.height() + 14 - 5;
    auto widthOf = [&](qsizetype i) {
        if (m_tabAlignment == AlignFill)
            return std::max(least, greatest);
        return std::max(least, std::min(greatest, m_tabs.at(i)->widthNeededForTab()));
    };
    double left = strip.left();
    if (m_tabAlignment == AlignCentre || m_tabAlignment == AlignRight) {
        double total = 0;
        for (VNQLTabContentView* tab : m_tabs)
            total += std::min(tab->widthNeededForTab(), greatest);
        const double extra = std::ceil(strip.width() - total) + double(n) - 1;
        if (extra > 0)
            left += m_tabAlignment == AlignRight ? extra : std::floor(extra / 2);
    }
    double width = widthOf(0);
    for (qsizetype i = 1; i <= index; ++i) {
        left = left + width - 1;
        width = widthOf(i);
    }
    if (m_tabAlignment == AlignFill && index == n - 1)
        width = std::max(strip.right() - left, least);
    return centerScanRect(QRectF(left, strip.top() + 3, width, strip.height() - 4));
}

VNQLTabView::TabIndex VNQLTabView::indexOfTabContainingPoint(QPointF point) const
{
    for (qsizetype i = 0; i < m_tabs.size(); ++i)
        if (rectOfTabAtIndex(i).contains(point))
            return i;
    return kNoTab;
}

void VNQLTabView::applyOptionsToTab(VNQLTabContentView* tab) const
{
    tab->setTitleVisible(m_tabOptions & ShowTitles);
    tab->setIconVisible(m_tabOptions & ShowIcons);
}

VNQLTabContentView* VNQLTabView::newTab()
{
    QRectF frame = bounds();
    if (m_drawBorder)
        frame = frame.adjusted(1, 1, -1, -1);
    auto* tab = new VNQLTabContentView(frame);
    tab->setHidden(true);
    tab->setTabView(this);
    applyOptionsToTab(tab);
    return tab;
}

void VNQLTabView::keepStripOnTop()
{
    if (m_titleView)
        m_titleView->raise();
}

void VNQLTabView::addTab(VNQLTabContentView* tab)
{
    PF_ASSERT(tab != nullptr, "must have valid tab");
    const int index = numberOfTabs();
    if (!m_isRestoring)
        if (VNQLTabViewDelegate* d = delegate())
            d->tabViewWillAddTab(this, tab, index);
    tab->setTabView(this);
    addSubview(tab);
    keepStripOnTop();
    m_tabs.append(tab);
    layoutStrip();
    if (VNQLTabViewDelegate* d = delegate())
        d->tabViewDidAddTab(this, tab, numberOfTabs() - 1);
    reportInterfaceStateChange();
}

VNQLTabContentView* VNQLTabView::addTabWithIdentifier(const QString& identifier)
{
    VNQLTabContentView* tab = newTab();
    tab->setTabIdentifier(identifier);
    addTab(tab);
    return tab;
}

VNQLTabContentView* VNQLTabView::addTabWithContentViewController(const pf::Ref<pf::ViewController>& controller)
{
    PF_ASSERT(controller != nullptr, "need valid controller");
    VNQLTabContentView* tab = newTab();
    addTab(tab);
    tab->setContentViewWithController(controller);
    layoutStrip();
    redisplayStrip();
    return tab;
}

void VNQLTabView::removeTabFromView(VNQLTabContentView* tab)
{
    const qsizetype index = tab ? m_tabs.indexOf(tab) : -1;
    if (index < 0)
        return;
    if (VNQLTabViewDelegate* d = delegate())
        d->tabViewWillRemoveTab(this, tab);
    // The delegate may have removed it meanwhile.
    const qsizetype at = m_tabs.indexOf(tab);
    if (at < 0)
        return;
    m_tabs.removeAt(at);
    tab->setTabView(nullptr);
    if (VNQLTabLayer* layer = tab->existingTabLayer())
        layer->setInStrip(false);
    if (tab->superview() == this)
        tab->removeFromSuperview();
    layoutStrip();
    if (m_currentTab != kNoTab) {
        if (at == m_currentTab) {
            m_currentTab = kNoTab;
            if (!m_tabs.isEmpty())
                setCurrentTab(0);
        } else if (at < m_currentTab) {
            // The selected tab moved down one place.
            --m_currentTab;
        }
    }
    // While restoring, emptiness is reported only if the restore leaves no tab.
    if (m_tabs.isEmpty() && !m_isRestoring)
        if (VNQLTabViewDelegate* d = delegate())
            d->tabViewDidBecomeEmpty(this);
    redisplayStrip();
    reportInterfaceStateChange();
}

void VNQLTabView::removeAllTabs()
{
    m_currentTab = kNoTab;
    while (!m_tabs.isEmpty())
        removeTabFromView(m_tabs.last());
}

void VNQLTabView::moveTabAtIndex(TabIndex from, TabIndex to)
{
    const qsizetype n = m_tabs.size();
    if (from == to || from < 0 || to < 0 || from >= n || to >= n)
        return;
    VNQLTabContentView* current = tabViewAtIndex(m_currentTab);
    VNQLTabContentView* tab = m_tabs.takeAt(from);
    m_tabs.insert(to, tab);
    // The selection stays with the tab that was selected, wherever it now is.
    if (current)
        m_currentTab = m_tabs.indexOf(current);
    layoutStrip();
    redisplayStrip();
    if (VNQLTabViewDelegate* d = delegate())
        d->tabViewDidMoveTab(this, tab, int(to));
    reportInterfaceStateChange();
}

void VNQLTabView::setCurrentTab(TabIndex index)
{
    if (index == m_currentTab || index < 0 || index >= m_tabs.size())
        return;
    if (VNQLTabContentView* old = tabViewAtIndex(m_currentTab))
        old->resignSelected();
    m_currentTab = index;
    m_tabs.at(index)->becomeSelected();
    if (VNQLTabViewDelegate* d = delegate())
        d->tabViewDidSelectTabAtIndex(this, int(index));
    redisplayStrip();
    reportInterfaceStateChange();
}

VNQLTabContentView* VNQLTabView::selectedTab() const
{
    return tabViewAtIndex(m_currentTab);
}

void VNQLTabView::selectTabWithIdentifier(const QString& identifier)
{
    if (VNQLTabContentView* tab = tabWithIdentifier(identifier))
        setCurrentTab(m_tabs.indexOf(tab));
}

VNQLTabContentView* VNQLTabView::tabWithIdentifier(const QString& identifier) const
{
    for (VNQLTabContentView* tab : m_tabs)
        if (tab->tabIdentifier() == identifier)
            return tab;
    return nullptr;
}

pf::Ref<pf::ViewController> VNQLTabView::selectedTabContentViewController() const
{
    VNQLTabContentView* tab = selectedTab();
    if (!tab || !tab->viewController())
        return nullptr;
    if (std::dynamic_pointer_cast<VNQLTabContentViewController>(tab->viewController()))
        return tab->viewController();
    return nullptr;
}

void VNQLTabView::setTabAlignment(int alignment)
{
    m_tabAlignment = sanitisedAlignment(alignment);
    layoutStrip();
    redisplayStrip();
    reportInterfaceStateChange();
    pf::UserDefaults::standard().setInteger(m_tabAlignment, kVNQLTabViewAlignmentPreferencesKey);
}

void VNQLTabView::setTabOptions(int options)
{
    m_tabOptions = sanitisedOptions(options);
    pf::UserDefaults::standard().setInteger(m_tabOptions, kVNQLTabViewOptionsPreferencesKey);
    for (VNQLTabContentView* tab : std::as_const(m_tabs)) {
        applyOptionsToTab(tab);
        if (VNQLTabLayer* layer = tab->existingTabLayer())
            layer->layoutSublayers();
    }
    layoutStrip();
    redisplayStrip();
    reportInterfaceStateChange();
}

void VNQLTabView::setBordered(bool bordered)
{
    m_drawBorder = bordered;
    setNeedsDisplay();
}

void VNQLTabView::setMenu(const pf::Ref<pf::Menu>& menu)
{
    m_titleView->setMenu(menu);
}

pf::Ref<pf::Menu> VNQLTabView::stripMenu() const
{
    return m_titleView->menu();
}

pf::Ref<pf::Menu> VNQLTabView::makeStandardMenu()
{
    auto menu = pf::Menu::make();
    menu->addItem(QObject::tr("Icon and Text"), QStringLiteral("iconAndTextAction:"));
    menu->addItem(QObject::tr("Icon Only"), QStringLiteral("iconOnlyAction:"));
    menu->addItem(QObject::tr("Text Only"), QStringLiteral("textOnlyAction:"));
    menu->addItem(pf::MenuItem::separator());
    const QStringList alignments{QObject::tr("Centre Tabs"), QObject::tr("Align Tabs Left"),
                                 QObject::tr("Align Tabs Right"), QObject::tr("Fill Tab Bar")};
    for (int tag = 0; tag < alignments.size(); ++tag)
        menu->addItem(alignments.at(tag), QStringLiteral("tabAlignmentAction:"))->setTag(tag);
    return menu;
}

void VNQLTabView::tabAlignmentAction(const QVariant& sender)
{
    setTabAlignment(senderTag(sender));
}

void VNQLTabView::selectTabWithName(const QVariant& sender)
{
    const QString title = senderTitle(sender);
    for (qsizetype i = 0; i < m_tabs.size(); ++i)
        if (m_tabs.at(i)->title() == title) {
            setCurrentTab(i);
            return;
        }
}

bool VNQLTabView::validateMenuItem(pf::MenuItem& item)
{
    const QString action = item.action();
    auto check = [&item](bool on) { item.setState(on ? pf::ControlState::On : pf::ControlState::Off); };
    if (action == QLatin1String("iconAndTextAction:"))
        check(m_tabOptions == (ShowTitles | ShowIcons));
    else if (action == QLatin1String("iconOnlyAction:"))
        check(m_tabOptions == ShowIcons);
    else if (action == QLatin1String("textOnlyAction:"))
        check(m_tabOptions == ShowTitles);
    else if (action == QLatin1String("tabAlignmentAction:"))
        check(item.tag() == m_tabAlignment);
    else if (action == QLatin1String("selectTabWithName:"))
        check(selectedTab() && selectedTab()->title() == item.title());
    return respondsTo(action);
}

QVariantMap VNQLTabView::restorableStateInfo() const
{
    QVariantList identifiers;
    for (VNQLTabContentView* tab : m_tabs)
        if (!tab->tabIdentifier().isEmpty())
            identifiers.append(tab->tabIdentifier());
    return {
        {kIdentifierListKey, identifiers},
        {kSelectedTabKey, quint64(m_currentTab)},
        {kTabOptionsKey, quint32(m_tabOptions)},
        {kTabAlignmentKey, quint32(m_tabAlignment)},
    };
}

bool VNQLTabView::isUsableStateInfo(const QVariantMap& info)
{
    const QVariant list = info.value(kIdentifierListKey);
    if (list.metaType().id() != QMetaType::QVariantList && list.metaType().id() != QMetaType::QStringList)
        return false;
    bool anyIdentifier = false;
    for (const QVariant& entry : list.toList())
        if (entry.metaType().id() == QMetaType::QString && !entry.toString().isEmpty())
            anyIdentifier = true;
    if (!anyIdentifier)
        return false;
    for (const QString& key : {kSelectedTabKey, kTabOptionsKey, kTabAlignmentKey})
        if (info.contains(key) && !isNumber(info.value(key)))
            return false;
    return true;
}

bool VNQLTabView::restoreWithStateInfo(const QVariantMap& info)
{
    // A saved layout comes from files and preferences: one of the wrong shape is ignored.
    if (info.isEmpty()) {
        RVLog(kStateEvent, "no data for tab state restoration");
        return false;
    }
    return restore(info);
}

bool VNQLTabView::restore(const QVariantMap& info)
{
    if (m_isRestoring || !isUsableStateInfo(info))
        return false;
    m_isRestoring = true;
    removeAllTabs();
    // Options of 0 or none read as the preference does; unknown values as the defaults.
    m_tabOptions = info.contains(kTabOptionsKey) && info.value(kTabOptionsKey).toLongLong() != 0
                       ? sanitisedOptions(info.value(kTabOptionsKey).toLongLong())
                       : sanitisedOptions(pf::UserDefaults::standard().integerForKey(kVNQLTabViewOptionsPreferencesKey));
    m_tabAlignment = info.contains(kTabAlignmentKey)
                         ? sanitisedAlignment(info.value(kTabAlignmentKey).toLongLong())
                         : sanitisedAlignment(pf::UserDefaults::standard().integerForKey(kVNQLTabViewAlignmentPreferencesKey));
    const QVariant selected = info.value(kSelectedTabKey);
    // No saved selection (or "none") selects the first tab.
    qint64 selectedEntry = selected.isValid() ? selected.toLongLong() : 0;
    if (selectedEntry < 0 || selectedEntry == kNoTab)
        selectedEntry = 0;
    QPointer<VNQLTabContentView> selectedTab;
    qsizetype position = 0;
    for (const QVariant& entry : info.value(kIdentifierListKey).toList()) {
        if (entry.metaType().id() != QMetaType::QString || entry.toString().isEmpty())
            continue;
        VNQLTabContentView* tab = addTabWithIdentifier(entry.toString());
        if (position == selectedEntry)
            selectedTab = tab;
        ++position;
    }
    QPointer<VNQLTabView> guard(this);
    pf::RunLoop::main().perform(
        [guard] {
            if (guard)
                guard->layoutStrip();
        },
        0);
    redisplayStrip();
    // The saved selection, or the nearest tab when the delegate dropped it.
    if (!m_tabs.isEmpty()) {
        TabIndex index = selectedTab ? m_tabs.indexOf(selectedTab.data()) : -1;
        if (index < 0)
            index = std::clamp<qint64>(selectedEntry, 0, m_tabs.size() - 1);
        setCurrentTab(index);
    }
    m_isRestoring = false;
    if (m_tabs.isEmpty())
        if (VNQLTabViewDelegate* d = delegate())
            d->tabViewDidBecomeEmpty(this);
    return true;
}

QByteArray VNQLTabView::restorableState() const
{
    const QVariantMap info = restorableStateInfo();
    pf::KeyedArchiver archiver;
    for (auto it = info.begin(); it != info.end(); ++it)
        archiver.encodePropertyListValue(it.value(), it.key());
    return archiver.encodedData();
}

bool VNQLTabView::restoreFromState(const QByteArray& data)
{
    if (data.isEmpty()) {
        RVLog(kStateEvent, "no data for tab state restoration");
        return false;
    }
    pf::Error error;
    pf::KeyedUnarchiver unarchiver(data, &error);
    QVariantMap info;
    for (const QString& key : {kIdentifierListKey, kSelectedTabKey, kTabOptionsKey, kTabAlignmentKey}) {
        const QVariant value = unarchiver.decodePropertyListValue(key);
        if (value.isValid())
            info.insert(key, value);
    }
    // A null entry is a tab without identifier.
    QVariantList identifiers;
    for (const QVariant& entry : info.value(kIdentifierListKey).toList())
        identifiers.append(pf::isNilOrNull(entry) ? QVariant(QString()) : entry);
    if (info.contains(kIdentifierListKey))
        info.insert(kIdentifierListKey, identifiers);
    return restoreWithStateInfo(info);
}

void VNQLTabView::reportInterfaceStateChange()
{
    if (m_isRestoring)
        return;
    if (VNQLTabViewDelegate* d = delegate())
        d->tabViewDidChangeInterfaceState(this);
}

void VNQLTabView::layoutStrip()
{
    if (m_titleView)
        m_titleView->layoutTabs();
}

void VNQLTabView::redisplayStrip()
{
    if (m_titleView)
        m_titleView->redisplay();
}

void VNQLTabView::setFrameSize(QSizeF size)
{
    pf::View::setFrameSize(size);
    layoutStrip();
}

void VNQLTabView::drawRect(const QRectF& dirtyRect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    painter.fillRect(dirtyRect, VNQLWindowBackgroundColour().qColor());
    if (m_tabs.isEmpty()) {
        const QImage image = emptyTabViewImage();
        if (!image.isNull()) {
            const QSizeF size = image.deviceIndependentSize();
            painter.drawImage(QRectF(std::floor((bounds().width() - size.width()) / 2), bounds().top() + 40,
                                     size.width(), size.height()),
                              image);
        }
    }
    if (m_drawBorder) {
        QPen pen(VNQLControlFrameColour().qColor());
        pen.setWidthF(0.5);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(bounds().adjusted(0.25, 0.25, -0.25, -0.25));
    }
}

// Mouse

void VNQLTabView::cancelScheduledDrag()
{
    if (m_scheduledDrag) {
        pf::RunLoop::main().cancel(m_scheduledDrag);
        m_scheduledDrag = 0;
    }
}

void VNQLTabView::mouseDown(const pf::Event& event)
{
    m_trackingIndex = kNoTab;
    if (m_tabs.isEmpty())
        return;
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    for (qsizetype i = 0; i < m_tabs.size(); ++i) {
        VNQLTabLayer* layer = m_tabs.at(i)->tabLayer();
        if (layer && !layer->isHidden() && rectOfTabAtIndex(i).contains(point)) {
            m_trackingIndex = i;
            break;
        }
    }
    if (m_trackingIndex == kNoTab)
        return;
    if (event.modifierFlags & pf::CommandKeyMask) {
        beginTabDrag(event);
        return;
    }
    if (m_trackingIndex != m_currentTab)
        m_tabs.at(m_trackingIndex)->setHighlighted(true);
    if (m_tabDraggingEnabled) {
        cancelScheduledDrag();
        QPointer<VNQLTabView> guard(this);
        m_scheduledDrag = pf::RunLoop::main().perform(
            [guard, event] {
                if (!guard)
                    return;
                guard->m_scheduledDrag = 0;
                guard->beginTabDrag(event);
            },
            0.5);
    }
}

void VNQLTabView::mouseDragged(const pf::Event& event)
{
    VNQLTabContentView* tab = tabViewAtIndex(m_trackingIndex);
    if (!tab)
        return;
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    const bool inside = rectOfTabAtIndex(m_trackingIndex).contains(point);
    if (m_trackingIndex != m_currentTab && tab->isHighlighted() != inside)
        tab->setHighlighted(inside);
    if (!inside)
        cancelScheduledDrag();
}

void VNQLTabView::mouseUp(const pf::Event& event)
{
    cancelScheduledDrag();
    VNQLTabContentView* tab = tabViewAtIndex(m_trackingIndex);
    if (tab) {
        const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
        if (rectOfTabAtIndex(m_trackingIndex).contains(point))
            setCurrentTab(m_trackingIndex);
        if (tab->isHighlighted())
            tab->setHighlighted(false);
    }
    m_trackingIndex = kNoTab;
}

void VNQLTabView::beginTabDrag(const pf::Event& event)
{
    VNQLTabContentView* tab = tabViewAtIndex(m_trackingIndex);
    if (!tab)
        return;
    cancelScheduledDrag();
    if (tab->isHighlighted())
        tab->setHighlighted(false);
    m_dragStartIndex = m_trackingIndex;
    setCurrentTab(m_trackingIndex);
    m_draggingTab = tab;
    if (VNQLTabLayer* layer = tab->tabLayer())
        layer->setHidden(true);
    redisplayStrip();
    const QImage image = tab->dragImage();
    tab->setHidden(true);
    unsigned operation = pf::DragOperationNone;
    if (dragRunner()) {
        operation = dragRunner()(*this, event);
    } else {
        auto pasteboard = pf::Pasteboard::drag();
        pasteboard->declareTypes(writableTypesForPasteboard(*pasteboard));
        pasteboard->setPropertyList(pasteboardPropertyListForType(kVNQLTabViewDragType), kVNQLTabViewDragType);
        const QPointF pointer = convertPointFromView(event.locationInWindow, nullptr);
        const QPointF offset = -boundsToWidgetTransform().map(pointer - visibleRect().topLeft());
        operation = pf::DraggingSession::begin(this, pasteboard, this, QPixmap::fromImage(image),
                                               offset.toPoint(), event);
    }
    endTabDrag(operation);
}

unsigned VNQLTabView::draggingSourceOperationMask(pf::DraggingContext context)
{
    return context == pf::DraggingContext::WithinApplication ? unsigned(pf::DragOperationPrivate)
                                                             : unsigned(pf::DragOperationNone);
}

void VNQLTabView::draggingSessionEnded(pf::DraggingSession&, QPointF, unsigned)
{
    // The session's result reaches endTabDrag when begin returns.
}

void VNQLTabView::endTabDrag(unsigned operation)
{
    VNQLTabContentView* tab = m_draggingTab;
    if (operation != pf::DragOperationPrivate && tab && tab->tabView() == this)
        moveTabAtIndex(m_tabs.indexOf(tab), m_dragStartIndex);
    if (tab) {
        if (tab->tabView() && tab == tab->tabView()->selectedTab())
            tab->setHidden(false);
        if (VNQLTabLayer* layer = tab->existingTabLayer())
            layer->setHidden(false);
        if (tab->tabView() && tab->tabView() != this)
            tab->tabView()->redisplayStrip();
    }
    m_draggingTab = nullptr;
    m_trackingIndex = kNoTab;
    m_dragStartIndex = kNoTab;
    redisplayStrip();
}

QStringList VNQLTabView::writableTypesForPasteboard(const pf::Pasteboard&) const
{
    return {kVNQLTabViewDragType};
}

QVariant VNQLTabView::pasteboardPropertyListForType(const QString& type) const
{
    return type;
}

void VNQLTabView::moveCurrentTabWithPoint(QPointF point)
{
    const TabIndex current = m_currentTab;
    if (current == kNoTab)
        return;
    for (qsizetype i = 0; i < m_tabs.size(); ++i) {
        const QRectF rect = rectOfTabAtIndex(i);
        if (!rect.contains(point) || i == current)
            continue;
        if ((i < current && point.x() < rect.center().x()) || (i > current && point.x() > rect.center().x()))
            moveTabAtIndex(current, i);
        return;
    }
}

void VNQLTabView::insertTabViewProxy(VNQLTabContentView* proxy, TabIndex index)
{
    index = std::clamp<TabIndex>(index, 0, m_tabs.size());
    m_currentBeforeProxy = selectedTab();
    if (VNQLTabContentView* current = selectedTab())
        current->resignSelected();
    proxy->setTabView(this);
    m_tabs.insert(index, proxy);
    m_currentTab = index;
    m_draggingTab = proxy;
    m_externalDrag = true;
    layoutStrip();
    redisplayStrip();
}

void VNQLTabView::removeTabViewProxyIfNeeded()
{
    if (!m_externalDrag)
        return;
    VNQLTabContentView* proxy = m_draggingTab;
    if (proxy) {
        m_tabs.removeAll(proxy);
        proxy->deleteLater();
    }
    m_draggingTab = nullptr;
    m_currentTab = kNoTab;
    m_externalDrag = false;
    // The tab that was selected before the drag came in is selected again.
    if (m_currentBeforeProxy && m_tabs.contains(m_currentBeforeProxy.data()))
        setCurrentTab(m_tabs.indexOf(m_currentBeforeProxy.data()));
    else if (!m_tabs.isEmpty())
        setCurrentTab(0);
    m_currentBeforeProxy = nullptr;
    layoutStrip();
    redisplayStrip();
}

bool VNQLTabView::importTabViewProxy()
{
    auto* proxy = qobject_cast<VNQLDragTabProxy*>(m_draggingTab.data());
    if (!m_externalDrag || !proxy)
        return false;
    const qsizetype index = m_tabs.indexOf(proxy);
    m_tabs.removeAll(proxy);
    m_currentTab = kNoTab;
    VNQLTabContentView* tab = proxy->importProxiedView();
    proxy->deleteLater();
    m_externalDrag = false;
    m_draggingTab = nullptr;
    m_currentBeforeProxy = nullptr;
    if (!tab) {
        if (!m_tabs.isEmpty())
            setCurrentTab(0);
        layoutStrip();
        return false;
    }
    tab->setFrame(m_drawBorder ? bounds().adjusted(1, 1, -1, -1) : bounds());
    tab->setTabView(this);
    tab->setHidden(true);
    applyOptionsToTab(tab);
    const int at = int(std::clamp<qsizetype>(index, 0, m_tabs.size()));
    if (VNQLTabViewDelegate* d = delegate())
        d->tabViewWillAddTab(this, tab, at);
    addSubview(tab);
    keepStripOnTop();
    m_tabs.insert(at, tab);
    if (VNQLTabLayer* layer = tab->tabLayer()) {
        layer->layoutSublayers();
        layer->setHidden(false);
    }
    layoutStrip();
    setCurrentTab(at);
    redisplayStrip();
    reportInterfaceStateChange();
    return true;
}

void VNQLTabView::setDragRunnerForTesting(DragRunner runner)
{
    dragRunner() = std::move(runner);
}
