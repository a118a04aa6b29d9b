#pragma once

#include "platform/foundation/IndexSet.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Cell.h"
#include "platform/ui/DraggingSession.h"
#include "platform/ui/FieldEditor.h"
#include "platform/ui/View.h"
#include "widgets/ZDDistributedViewDataSource.h"
#include "widgets/ZDDistributedViewDelegate.h"

#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QTimer>

#include <climits>
#include <optional>

namespace pf {
class Image;
class KeyedArchiver;
class KeyedUnarchiver;
class MenuItem;
struct Notification;
} // namespace pf

// Posted after the selection of a distributed view changed (object: the view).
inline const QString ZDDistributedViewSelectionDidChangeNotification =
    QStringLiteral("ZDDistributedViewSelectionDidChange");
// Dragged items' positions relative to the drag image: an array of 16-byte entries, x then y
// as two doubles in the machine's byte order.
inline const QString ZDDistributedViewPositionsPboardType = QStringLiteral("ZDDistributedViewPositionsPboardType");

// A free-positioning icon view: every item has its own position (chosen by dragging or by the
// layout commands) and one prototype cell is drawn per item at that position, as the icon view
// of a file manager does. The view owns no item data: the data source gives the item count,
// fills the prototype for an item and keeps the positions. The view is flipped (y down); an
// item's box is its position (top-left) with the cell size.
class ZDDistributedView : public pf::View,
                          public pf::ToolTipOwner,
                          public pf::DraggingSource,
                          public pf::FieldEditorDelegate {
    Q_OBJECT
    PF_CLASS(ZDDistributedView)
public:
    // The platform's "not found" index, distinct from -1 ("no item").
    static constexpr int kNotFound = INT_MAX;
    // Options of the type-ahead lookup.
    static constexpr unsigned kCaseInsensitiveSearch = 1;
    static constexpr unsigned kAnchoredSearch = 8;
    static constexpr double kTypeAheadTimeout = 0.8;
    static constexpr double kMaximumDragDelay = 2.0;

    // Persisted switches; the bit positions are part of the archive format.
    enum PersistentFlag : quint32 {
        DisableDragging = 1u << 20,
        DrawsBackground = 1u << 21,
        DrawsGrid = 1u << 22,
        ShowSnapGuides = 1u << 23,
        SizeToFit = 1u << 24,
        UseSelectionRect = 1u << 25,
        AllowsEmptySelection = 1u << 26,
        AllowsMultipleSelection = 1u << 27,
        DragLocally = 1u << 28,
        DragMovesItems = 1u << 29,
        SnapToGrid = 1u << 30,
        ForceToGrid = 1u << 31,
    };
    enum RuntimeFlag : quint32 {
        MultiPositioningMode = 1u << 29,
        DrawDropHilite = 1u << 30,
        DrawSnappedRects = 1u << 31,
    };

    explicit ZDDistributedView(QWidget* parent = nullptr);
    explicit ZDDistributedView(const QRectF& frame, QWidget* parent = nullptr);
    ~ZDDistributedView() override;

    bool isFlipped() const override { return true; }
    bool isCompatibleWithResponsiveScrolling() const { return false; }
    bool allowsVibrancy() const { return true; }

    // --- Archiving (keys "ZDDVcellSize", "ZDDVgridSize", "ZDDVcontentInset", "ZDDVflags",
    // "ZDDVprototype", "ZDDVgridColor").
    void encodeWithCoder(pf::KeyedArchiver& coder) const;
    // A decoded view refuses first responder until setCanBecomeKeyView(true).
    void initWithCoder(pf::KeyedUnarchiver& coder);

    // --- Data source, delegate and prototype
    ZDDistributedViewDataSource* dataSource() const { return m_dataSource; }
    void setDataSource(ZDDistributedViewDataSource* dataSource) { m_dataSource = dataSource; }
    ZDDistributedViewDelegate* delegate() const { return m_delegate; }
    void setDelegate(ZDDistributedViewDelegate* delegate) { m_delegate = delegate; }
    pf::Ref<pf::Cell> prototype() const { return m_prototype; }
    void setPrototype(const pf::Ref<pf::Cell>& cell);
    int numberOfItems() const;

    // --- Geometry
    QSizeF cellSize() const { return m_cellSize; }
    // Also sets the grid to half the cell; each side is at least 1.
    void setCellSize(QSizeF size);
    QSizeF gridSize() const { return m_gridSize; }
    // Each side is at least 1.
    void setGridSize(QSizeF size);
    float contentInset() const { return m_contentInset; }
    void setContentInset(float inset);
    QSizeF cellInset() const { return m_cellInset; }
    void setCellInset(QSizeF inset);
    pf::Color gridColor() const { return m_gridColor; }
    void setGridColor(const pf::Color& colour) { m_gridColor = colour; }

    // --- Switches
    quint32 flags() const { return m_flags; }
    quint32 runtimeFlags() const { return m_runtimeFlags; }
    bool drawsGrid() const { return hasFlag(DrawsGrid); }
    void setDrawsGrid(bool on);
    bool drawsBackground() const { return hasFlag(DrawsBackground); }
    void setDrawsBackground(bool on);
    bool forceToGrid() const { return hasFlag(ForceToGrid); }
    void setForceToGrid(bool on);
    bool snapToGrid() const { return hasFlag(SnapToGrid); }
    void setSnapToGrid(bool on) { setFlag(SnapToGrid, on); }
    bool showSnapGuides() const { return hasFlag(ShowSnapGuides); }
    void setShowSnapGuides(bool on) { setFlag(ShowSnapGuides, on); }
    bool sizeToFit() const { return hasFlag(SizeToFit); }
    void setSizeToFit(bool on) { setFlag(SizeToFit, on); }
    bool dragMovesItems() const { return hasFlag(DragMovesItems); }
    void setDragMovesItems(bool on) { setFlag(DragMovesItems, on); }
    bool dragLocally() const { return hasFlag(DragLocally); }
    void setDragLocally(bool on) { setFlag(DragLocally, on); }
    bool dragsDisabled() const { return hasFlag(DisableDragging); }
    void setDragsDisabled(bool on) { setFlag(DisableDragging, on); }
    bool allowsMultipleSelection() const { return hasFlag(AllowsMultipleSelection); }
    void setAllowsMultipleSelection(bool on);
    bool allowsEmptySelection() const { return hasFlag(AllowsEmptySelection); }
    void setAllowsEmptySelection(bool on);
    // On only while the rubber band, empty and multiple selection are all allowed.
    bool useSelectionRect() const;
    // Turning it on also allows empty and multiple selection.
    void setUseSelectionRect(bool on);
    bool multiPositioningMode() const { return m_runtimeFlags & MultiPositioningMode; }
    void setMultiPositioningMode(bool on);
    // Clamped to 0 ... 2 seconds.
    double dragDelay() const { return m_dragDelayTime; }
    void setDragDelay(double seconds);
    bool canBecomeKeyView() const { return m_canBecomeKey; }
    void setCanBecomeKeyView(bool can) { m_canBecomeKey = can; }
    bool acceptsFirstResponder() const override { return m_canBecomeKey; }
    bool acceptsFirstMouse(const pf::Event* event) const override { return true; }

    // --- Menu actions
    void toggleDrawsGrid(const QVariant& sender = {});
    void toggleSnapToGrid(const QVariant& sender = {});
    // Clean up: all items in rows, in index order.
    void positionAllItems(const QVariant& sender = {});
    void snapAllItemsToGrid(const QVariant& sender = {});
    // Shifts every item so that the top-left-most sits at the inset.
    void rescrollItems(const QVariant& sender = {});
    bool validateMenuItem(pf::MenuItem& item) override;

    // --- Layout
    // Puts one item into the first free slot (the index must be valid).
    void positionItem(int itemIndex);
    // Where a new item should go: the first free slot.
    QPointF suggestedPosition();
    // The position of an item in a plain row layout by index.
    QPointF itemPositionBasedOnItemIndex(int itemIndex) const;
    // The item's box in view coordinates (the index must be valid).
    QRectF rectForItemAtIndex(int itemIndex) const;
    QRectF flipRectsYAxis(const QRectF& rect) const { return rect; }
    QRectF forceRectToGrid(const QRectF& rect) const;
    // The forced rectangle while forceToGrid is on, else the rectangle itself.
    QRectF snapRectToGrid(const QRectF& rect) const;
    // The snapped box of an item at its stored position.
    QRectF snappedBoxForItem(int itemIndex) const;

    // --- Hit testing
    int getItemIndexAtPoint(QPointF point) const;
    int getItemIndexInRect(const QRectF& rect) const;
    int getUncachedItemIndexInRect(const QRectF& rect) const;
    int getItemIndexForSuggestionInRect(const QRectF& rect) const;
    void removeAllRowsFromSuggestionCacheBelow(double y);

    // --- Bounding rectangles and sizing
    QRectF rectAroundItems(const QList<int>& items) const;
    QRectF rectEnclosingItemsAtIndexes(const pf::IndexSet& indexes) const;
    QRectF rectEnclosingItemsInRange(int location, int length) const;
    QRectF bestRect() const;
    QSizeF bestSize() const;
    QSizeF windowFrameSizeForBestSize() const;
    QRectF windowFrameForBestSize() const;
    QRectF computeFrame() const;

    // --- Scrolling
    void scrollByX(double dx, double dy);
    void scrollToPoint(QPointF point);
    void scrollItemToVisible(int itemIndex);

    // --- Refresh and redisplay
    void reloadData();
    void noteNumberOfItemsChanged();
    void contentSizeChanged();
    void itemNeedsDisplay(int itemIndex);
    void itemsNeedDisplayAtIndexes(const pf::IndexSet& indexes);
    void selectionSetNeedsDisplay();
    bool itemIsVisible(int itemIndex) const;
    bool itemIsVisibleAtPosition(QPointF position) const;
    void invalidateVisibleItemsCache();
    void extendCacheByVisibleItemIndexesInRect(const QRectF& rect, int startIndex);
    const QList<int>& visibleItems() const { return m_visibleItems; }
    QRectF visibleItemRect() const { return m_visibleItemRect; }
    const QList<int>& suggestionCache() const { return m_itemsBelowLastSuggested; }
    QPointF lastSuggestedItemPos() const { return m_lastSuggestedItemPos; }
    void resetToolTips();
    QString stringForToolTip(pf::View* view, int tag, QPointF point, const QVariant& userData) override;

    // --- Selection
    int selectedItemIndex() const;
    pf::IndexSet selectedItemIndexes() const { return m_selection; }
    int selectedItemCount() const { return int(m_selection.count()); }
    bool isItemSelected(int itemIndex) const { return m_selection.contains(itemIndex); }
    void selectItemsAtIndexes(const pf::IndexSet& indexes, bool extend);
    void selectItemsInRange(int location, int length, bool extend);
    // -1 stands for no item.
    void selectItem(int itemIndex, bool extend);
    void deselectItem(int itemIndex);
    void selectItemsInRect(const QRectF& rect, bool extend);
    void selectAll(const QVariant& sender = {});
    void deselectAll(const QVariant& sender = {});
    void updateSelectionSet();
    void copy(const QVariant& sender = {});
    void selectItemContainingString(const QString& string);
    // The lookup a delegate gets unless it answers itself: the first item whose title's
    // leading part compares equal to or after `string`; -1 when none.
    int defaultItemIndexForString(const QString& string, unsigned options);

    // --- Mouse
    void mouseDown(const pf::Event& event) override;
    void mouseDragged(const pf::Event& event) override;
    void mouseUp(const pf::Event& event) override;
    void autoscrollCallback();
    bool isAutoscrolling() const { return m_autoscrollTimer != nullptr; }
    void cellClicked(const QVariant& sender = {});
    QRectF selectionRect() const { return m_selectionRect; }
    int mouseItem() const { return m_mouseItem; }
    void initiateDrag(const pf::Event& event);
    virtual void initiateMove() {}
    // Moves each item by (dx, -dy).
    void moveItems(const QList<int>& items, QSizeF offset);

    // --- Dragging out
    // The image of the visible items of `indexes`, half transparent, with a count badge when
    // several may be selected; `offset` gets the image's bottom-left corner in the view.
    pf::Ref<pf::Image> dragImageForVisibleItemsAtIndexes(const pf::IndexSet& indexes, QPointF mousePoint,
                                                         QPointF* offset);
    pf::Ref<pf::Image> dragImageForItems(const QList<int>& items, const pf::Event& event, QPointF* offset);
    void addPositionsOfItems(const QList<int>& items, pf::Pasteboard& pasteboard);
    // `imagePosition` in window coordinates.
    QList<QPointF> positionsOfItemsOnPasteboard(const pf::Pasteboard& pasteboard, QPointF imagePosition) const;
    QPointF dragStartImagePos() const { return m_dragStartImagePos; }
    unsigned draggingSourceOperationMask(pf::DraggingContext context) override;
    void draggingSessionMovedTo(pf::DraggingSession& session, QPointF screenPoint) override;
    void draggingSessionEnded(pf::DraggingSession& session, QPointF screenPoint, unsigned operation) override;

    // --- Dropping
    unsigned draggingEntered(const pf::DraggingInfo& info) override;
    unsigned draggingUpdated(const pf::DraggingInfo& info) override;
    void draggingExited(const pf::DraggingInfo* info) override;
    bool performDragOperation(const pf::DraggingInfo& info) override;
    int dragDestItem() const { return m_dragDestItem; }

    // --- Keyboard
    void keyDown(const pf::Event& event) override;
    // Both the view's commands and the field editor's keep their names.
    using pf::View::doCommandBySelector;
    using pf::FieldEditorDelegate::doCommandBySelector;
    void moveRight(const QVariant& sender = {});
    void moveLeft(const QVariant& sender = {});
    void moveUp(const QVariant& sender = {});
    void moveDown(const QVariant& sender = {});
    void pageDown(const QVariant& sender = {});
    void pageUp(const QVariant& sender = {});
    void insertTab(const QVariant& sender = {});
    void insertBacktab(const QVariant& sender = {});
    void insertText(const QString& text) override;
    QString typeAheadString() const { return m_typeAheadSearchStr; }

    // --- Editing a title in place
    void editItemIndex(int itemIndex, const pf::Event* event, bool select);
    int editedItem() const { return m_editedItem; }
    // Ends an edit in progress, keeping what was typed.
    void endEditing();
    void textDidEndEditing(pf::FieldEditor& editor, pf::TextMovement movement) override;

    // --- Drawing
    void drawRect(const QRectF& dirtyRect) override;
    virtual void drawBackgroundInRect(const QRectF& rect);
    void drawGridForDrawRect(const QRectF& rect);
    void drawDropHiliteForDrawRect(const QRectF& rect);
    void drawCellsForDrawRect(const QRectF& rect);
    void drawSelectionRectForDrawRect(const QRectF& rect);
    void drawSnapGuideInRect(const QRectF& rect);

    void resetCursorRects() override;
    void setFrameSize(QSizeF size) override;
    void resizeWithOldSuperviewSize(QSizeF oldSize) override;
    void viewDidMoveToSuperview() override;
    void viewDidMoveToWindow() override;

protected:
    bool hasFlag(quint32 flag) const { return (m_flags & flag) != 0; }
    void setFlag(quint32 flag, bool on) { m_flags = on ? (m_flags | flag) : (m_flags & ~flag); }
    void setRuntimeFlag(quint32 flag, bool on)
    {
        m_runtimeFlags = on ? (m_runtimeFlags | flag) : (m_runtimeFlags & ~flag);
    }
    // The frame at the origin, inset by the content inset on every side.
    QRectF layoutBox() const;
    bool isValidItem(int itemIndex) const { return itemIndex >= 0 && itemIndex < numberOfItems(); }
    // Fills the prototype for the item through the data source; answers the position.
    QPointF fillPrototype(int itemIndex);
    // The prototype's image and title hit regions of `box` meet the point or rectangle.
    bool boxHitRegionsContain(const QRectF& box, QPointF point) const;
    bool boxHitRegionsIntersect(const QRectF& box, const QRectF& rect) const;
    void setPrototypeHighlighted(bool highlighted);
    void notifySelectionChanged();
    void tellDelegateSelection(int firstIndex);
    void stopAutoscroll();
    void windowChangedStatus(const pf::Notification& notification);
    void selectAndReveal(int itemIndex);
    void moveSelectionBy(double dx, double dy, bool forward);
    // Seconds on the clock the type-ahead timeout is measured with.
    virtual double currentTime() const;

private:
    void init();
    bool drawingToScreen() const;

    ZDDistributedViewDataSource* m_dataSource = nullptr;
    ZDDistributedViewDelegate* m_delegate = nullptr;
    QSizeF m_cellSize{100, 100};
    QSizeF m_gridSize{50, 50};
    float m_contentInset = 8.0f;
    QSizeF m_cellInset{0, 0};
    pf::Ref<pf::Cell> m_prototype;
    pf::IndexSet m_selection;
    quint32 m_flags = 0;
    pf::Color m_gridColor;
    int m_mouseItem = -1;
    QPointF m_lastPos;
    QRectF m_selectionRect;
    quint32 m_runtimeFlags = 0;
    QPointF m_lastSuggestedItemPos;
    QList<int> m_itemsBelowLastSuggested;
    QRectF m_visibleItemRect;
    QList<int> m_visibleItems;
    int m_dragDestItem = -1;
    QPointF m_dragStartImagePos;
    int m_editedItem = -1;
    QString m_typeAheadSearchStr;
    double m_lastTypeAheadKeypress = -1e9;
    int m_oldItemCount = 0;
    QTimer* m_autoscrollTimer = nullptr;
    std::optional<pf::Event> m_lastDragEvent;
    bool m_mouseWasDragged = false;
    bool m_isTrackingMouse = false;
    double m_mouseDownTime = 0;
    double m_dragDelayTime = 0;
    bool m_canBecomeKey = true;
};
