#pragma once

#include "inspectors/VNQLTabContentView.h"
#include "inspectors/VNQLTabViewDelegate.h"

#include "platform/foundation/Markers.h"
#include "platform/ui/DraggingSession.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/View.h"

#include <QList>
#include <QPointer>
#include <QVariantMap>

#include <memory>

namespace pf {
class Menu;
class MenuItem;
} // namespace pf
class VNQLTabViewTitleView;

// Preferences: the tab options and alignment new sidebars start with.
inline const QString kVNQLTabViewOptionsPreferencesKey = QStringLiteral("kVNQLTabViewOptionsPreferencesKey");
inline const QString kVNQLTabViewAlignmentPreferencesKey = QStringLiteral("kVNQLTabViewAlignmentPreferencesKey");
// The private drag type of tabs moving between strips.
inline const QString kVNQLTabViewDragType = QStringLiteral("org.quillory.private.tabview");

// A sidebar: a strip of tabs along the top above the panel of the selected tab. Tabs are
// known by identifier; the delegate fills each new tab with its controller. The tabs, their
// order, the selection and the display options are saved as a small dictionary.
class VNQLTabView : public pf::View, public pf::DraggingSource, public pf::PasteboardWriting {
    Q_OBJECT
    PF_CLASS(VNQLTabView)
public:
    using TabIndex = qint64;
    static constexpr TabIndex kNoTab = pf::kNotFound;
    static constexpr double kStripHeight = 29.0;

    enum Alignment { AlignCentre = 0, AlignLeft = 1, AlignRight = 2, AlignFill = 3 };
    enum Options { ShowTitles = 1, ShowIcons = 2 };

    // Keys of the state dictionary.
    static inline const QString kIdentifierListKey = QStringLiteral("identifierList");
    static inline const QString kSelectedTabKey = QStringLiteral("selectedTab");
    static inline const QString kTabOptionsKey = QStringLiteral("tabOptions");
    static inline const QString kTabAlignmentKey = QStringLiteral("tabAlignment");

    explicit VNQLTabView(const QRectF& frame = {}, QWidget* parent = nullptr);
    ~VNQLTabView() override;

    static QImage emptyTabViewImage();

    VNQLTabViewDelegate* delegate() const;
    // Not retained; a delegate that is also a pf::Reflective is dropped when it goes.
    void setDelegate(VNQLTabViewDelegate* delegate);

    const QList<VNQLTabContentView*>& tabViews() const { return m_tabs; }
    int numberOfTabs() const { return int(m_tabs.size()); }
    // Adds empty tabs at the end or removes tabs from the end.
    void setNumberOfTabs(int count);
    VNQLTabContentView* tabViewAtIndex(TabIndex index) const;
    VNQLTabViewTitleView* titleView() const { return m_titleView; }
    // The strip's frame.
    QRectF tabsRect() const;
    // The rectangle of a tab in the strip (this view's coordinates); empty for none.
    QRectF rectOfTabAtIndex(TabIndex index) const;
    TabIndex indexOfTabContainingPoint(QPointF point) const;

    // A new tab (not yet added) of this view's size, hidden, showing what the options say.
    VNQLTabContentView* newTab();
    void addTab(VNQLTabContentView* tab);
    VNQLTabContentView* addTabWithIdentifier(const QString& identifier);
    VNQLTabContentView* addTabWithContentViewController(const pf::Ref<pf::ViewController>& controller);
    void removeTabFromView(VNQLTabContentView* tab);
    void removeAllTabs();
    void moveTabAtIndex(TabIndex from, TabIndex to);

    TabIndex currentTab() const { return m_currentTab; }
    void setCurrentTab(TabIndex index);
    VNQLTabContentView* selectedTab() const;
    void selectTabWithIdentifier(const QString& identifier);
    VNQLTabContentView* tabWithIdentifier(const QString& identifier) const;
    pf::Ref<pf::ViewController> selectedTabContentViewController() const;

    int tabAlignment() const { return m_tabAlignment; }
    void setTabAlignment(int alignment);
    int tabOptions() const { return m_tabOptions; }
    void setTabOptions(int options);
    bool allowsTabDragging() const { return m_tabDraggingEnabled; }
    void setAllowsTabDragging(bool allows) { m_tabDraggingEnabled = allows; }
    bool isBordered() const { return m_drawBorder; }
    void setBordered(bool bordered);
    bool dragsLimitedToSameWindow() const { return m_limitDragToSameWindow; }
    void setDragsLimitedToSameWindow(bool limited) { m_limitDragToSameWindow = limited; }
    bool addTabTitlesToMenu() const { return m_addTabNamesToMenu; }
    void setAddTabTitlesToMenu(bool add) { m_addTabNamesToMenu = add; }
    VNQLTabContentView* draggingView() const { return m_draggingTab; }
    bool isRestoring() const { return m_isRestoring; }
    // The strip's context menu (icon and text, icon only, text only, alignments).
    void setMenu(const pf::Ref<pf::Menu>& menu);
    pf::Ref<pf::Menu> stripMenu() const;
    // The standard context menu of a sidebar's strip.
    static pf::Ref<pf::Menu> makeStandardMenu();

    // Menu actions; the sender is a menu item (or its tag or title).
    void iconAndTextAction(const QVariant& sender) { setTabOptions(ShowTitles | ShowIcons); }
    void iconOnlyAction(const QVariant& sender) { setTabOptions(ShowIcons); }
    void textOnlyAction(const QVariant& sender) { setTabOptions(ShowTitles); }
    void tabAlignmentAction(const QVariant& sender);
    void selectTabWithName(const QVariant& sender);
    bool validateMenuItem(pf::MenuItem& item) override;

    // The saved layout: "identifierList", "selectedTab", "tabOptions", "tabAlignment".
    QVariantMap restorableStateInfo() const;
    // Rebuilds the tabs from a saved layout; answers whether it did. A layout without
    // identifiers, or of the wrong shape, changes nothing.
    bool restoreWithStateInfo(const QVariantMap& info);
    // The same four keys in a keyed archive.
    QByteArray restorableState() const;
    bool restoreFromState(const QByteArray& data);
    // Whether a dictionary has the shape of a saved layout with at least one identifier.
    static bool isUsableStateInfo(const QVariantMap& info);

    // Mouse in the strip (events in window coordinates).
    void mouseDown(const pf::Event& event) override;
    void mouseDragged(const pf::Event& event) override;
    void mouseUp(const pf::Event& event) override;
    void beginTabDrag(const pf::Event& event);
    TabIndex trackingIndex() const { return m_trackingIndex; }
    // Moves the current tab to the slot under `point` (this view's coordinates) while dragging.
    void moveCurrentTabWithPoint(QPointF point);

    // Dragging source.
    unsigned draggingSourceOperationMask(pf::DraggingContext context) override;
    void draggingSessionEnded(pf::DraggingSession& session, QPointF point, unsigned operation) override;
    QStringList writableTypesForPasteboard(const pf::Pasteboard& pasteboard) const override;
    QVariant pasteboardPropertyListForType(const QString& type) const override;
    // What a drag ends with: the dragged tab shown again and, unless it was dropped, back at
    // the index it started from.
    void endTabDrag(unsigned operation);

    // The receiving side of a tab coming from another tab view.
    void insertTabViewProxy(VNQLTabContentView* proxy, TabIndex index);
    void removeTabViewProxyIfNeeded();
    bool importTabViewProxy();
    bool hasExternalDrag() const { return m_externalDrag; }

    bool isFlipped() const override { return true; }
    bool isOpaque() const override { return true; }
    void drawRect(const QRectF& dirtyRect) override;
    void setFrameSize(QSizeF size) override;

    // Test seam: how a drag is run (the default starts a pf::DraggingSession).
    using DragRunner = std::function<unsigned(VNQLTabView& source, const pf::Event& event)>;
    static void setDragRunnerForTesting(DragRunner runner);

private:
    friend class VNQLTabViewTitleView;
    void reportInterfaceStateChange();
    void layoutStrip();
    void redisplayStrip();
    void keepStripOnTop();
    void cancelScheduledDrag();
    void applyOptionsToTab(VNQLTabContentView* tab) const;
    bool restore(const QVariantMap& info);

    VNQLTabViewDelegate* m_delegate = nullptr;
    std::weak_ptr<void> m_delegateToken;
    bool m_delegateIsReflective = false;
    QList<VNQLTabContentView*> m_tabs;
    VNQLTabViewTitleView* m_titleView = nullptr;
    QPointer<VNQLTabContentView> m_draggingTab;
    int m_tabAlignment = AlignCentre;
    int m_tabOptions = ShowIcons;
    TabIndex m_currentTab = kNoTab;
    TabIndex m_trackingIndex = kNoTab;
    TabIndex m_dragStartIndex = kNoTab;
    // The tab that was current when a proxy came in, selected again when it leaves.
    QPointer<VNQLTabContentView> m_currentBeforeProxy;
    bool m_tabDraggingEnabled = true;
    bool m_externalDrag = false;
    bool m_drawBorder = false;
    bool m_limitDragToSameWindow = true;
    bool m_addTabNamesToMenu = true;
    bool m_isRestoring = false;
    quint64 m_scheduledDrag = 0;
};
