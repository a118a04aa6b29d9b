#pragma once

#include "platform/foundation/Reflective.h"
#include "platform/ui/AnimatablePropertyContainer.h"
#include "platform/ui/Animator.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/DraggingInfo.h"
#include "platform/ui/Event.h"
#include "platform/ui/Responder.h"
#include "platform/ui/TrackingArea.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QRegion>
#include <QTransform>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QMenu;

namespace pf {

class ClipView;
class ScrollView;
class View;

// How a view follows its superview's size (resizeWithOldSuperviewSize): which of the margins
// and lengths along each axis take up the change. Margins are named by the superview's own
// coordinates, so MinYMargin is the bottom margin in an unflipped superview and the top one
// in a flipped superview.
enum AutoresizingMask : unsigned {
    ViewNotSizable = 0,
    ViewMinXMargin = 1,
    ViewWidthSizable = 2,
    ViewMaxXMargin = 4,
    ViewMinYMargin = 8,
    ViewHeightSizable = 16,
    ViewMaxYMargin = 32,
};

// Answers the text of a tool-tip rectangle when it is shown.
class ToolTipOwner {
public:
    virtual ~ToolTipOwner() = default;
    virtual QString stringForToolTip(View* view, int tag, QPointF point, const QVariant& userData) = 0;
};

// A widget with the platform's view geometry. The frame is in the superview's coordinates,
// the bounds in the view's own; both are doubles. An unflipped view has y growing upwards
// from its bottom edge, a flipped one y growing downwards from its top. A view whose parent
// is a plain widget treats the parent as unflipped; a view with no parent places its frame in
// window coordinates. Qt geometry is derived from these in one place, and Qt moving or
// resizing the widget (a layout, the user resizing a window) updates the frame.
//
// Mouse, key and wheel events arrive as pf::Event in window coordinates; drawRect gets the
// dirty rectangle in bounds coordinates with a GraphicsContext current whose transform maps
// bounds coordinates onto the widget. Qt layouts are not used inside trees of views.
//
// Every change of the frame, whether asked for (setFrame), made by the superview's
// autoresizing or by Qt (a layout, a window resize), passes through setFrameOrigin and
// setFrameSize, so a subclass overriding them sees them all.
class View : public QWidget, public Reflective, public Responder, public TrackingAreaOwner,
             public DraggingDestination, public AnimatablePropertyContainer {
    Q_OBJECT
    PF_CLASS(View)
public:
    explicit View(QWidget* parent = nullptr);
    explicit View(const QRectF& frame, QWidget* parent = nullptr);
    ~View() override;

    // Tree. Subviews are the child views in stacking order (last on top).
    View* superview() const;
    QList<View*> subviews() const;
    void addSubview(View* view);
    // Puts the subviews in this order (stacking order); views not in the list are removed.
    void setSubviews(const QList<View*>& views);
    // Detaches from the superview; the view is deleted at the end of the event cycle unless
    // keepAliveAfterRemoval() was asked for or it was added to a view again by then. Its own
    // hidden state is kept: a view that was shown shows again when it is added back.
    void removeFromSuperview();
    void setKeepsAliveAfterRemoval(bool keep) { m_keepAlive = keep; }
    bool keepsAliveAfterRemoval() const { return m_keepAlive; }
    bool isDescendantOf(const View* view) const;
    // The top-level widget (the window) the view is in; null when it has no parent chain.
    QWidget* windowWidget() const;

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // This view or the first descendant (depth first) with the tag.
    View* viewWithTag(int tag);

    // Geometry.
    QRectF frame() const;
    // Calls setFrameOrigin and setFrameSize; one frame notification for the whole change.
    virtual void setFrame(const QRectF& frame);
    virtual void setFrameOrigin(QPointF origin);
    // Resizes the subviews by their autoresizing masks when autoresizesSubviews is set.
    virtual void setFrameSize(QSizeF size);
    QRectF bounds() const { return m_bounds; }
    void setBounds(const QRectF& bounds);
    void setBoundsOrigin(QPointF origin);
    // Scales drawing: bounds size against frame size.
    void setBoundsSize(QSizeF size);
    virtual bool isFlipped() const { return false; }
    // The part of the bounds not hidden by ancestors' edges.
    QRectF visibleRect() const;
    bool postsFrameChangedNotifications() const { return m_postsFrameChanged; }
    void setPostsFrameChangedNotifications(bool posts) { m_postsFrameChanged = posts; }
    bool postsBoundsChangedNotifications() const { return m_postsBoundsChanged; }
    void setPostsBoundsChangedNotifications(bool posts) { m_postsBoundsChanged = posts; }
    // Autoresizing (AutoresizingMask bits); a new view is not sizable and resizes its subviews.
    unsigned autoresizingMask() const { return m_autoresizingMask; }
    void setAutoresizingMask(unsigned mask) { m_autoresizingMask = mask; }
    bool autoresizesSubviews() const { return m_autoresizesSubviews; }
    void setAutoresizesSubviews(bool resizes) { m_autoresizesSubviews = resizes; }
    // Called after the bounds size changed from `oldSize`: by default every subview follows
    // with resizeWithOldSuperviewSize.
    virtual void resizeSubviewsWithOldSize(QSizeF oldSize);
    // Applies the autoresizing mask for a superview whose bounds size was `oldSize`: along each
    // axis the change is shared evenly among the flexible margins and length; nothing moves
    // along an axis with none. Lengths do not go below 0.
    virtual void resizeWithOldSuperviewSize(QSizeF oldSize);
    // Rounds a rectangle in bounds coordinates out to whole device pixels.
    QRectF centerScanRect(const QRectF& rect) const;

    // Conversions between this view's bounds coordinates and another view's; a null view
    // stands for the window (window coordinates).
    QPointF convertPointFromView(QPointF point, const View* view) const;
    QPointF convertPointToView(QPointF point, const View* view) const;
    QRectF convertRectFromView(const QRectF& rect, const View* view) const;
    QRectF convertRectToView(const QRectF& rect, const View* view) const;
    QSizeF convertSizeToView(QSizeF size, const View* view) const;
    // Screen coordinates: origin bottom-left of the main screen, y up.
    QPointF convertPointToScreen(QPointF point) const;
    QPointF convertPointFromScreen(QPointF point) const;
    QRectF convertRectToScreen(const QRectF& rect) const;
    // Bounds coordinates to the widget's own Qt coordinates (the one place this happens).
    QTransform boundsToWidgetTransform() const;
    // Scrolling. The nearest scroll view this view is inside, or null.
    ScrollView* enclosingScrollView() const;
    // Scrolls the clip views above this view as little as they can to show `rect` (bounds
    // coordinates); answers whether any scrolled.
    bool scrollRectToVisible(const QRectF& rect);
    // During a drag outside the visible part: scrolls the nearest clip view towards the event's
    // location. Answers whether it scrolled.
    virtual bool autoscroll(const Event& event);

    // Opacity from 0 (transparent) to 1, the subviews included.
    double alphaValue() const { return m_alphaValue; }
    void setAlphaValue(double alpha);
    // Changes made through the animator run over the key's animation ("frameOrigin",
    // "frameSize", "alphaValue" animate by default).
    Animator animator() { return Animator(this); }
    std::shared_ptr<Animation> defaultAnimationForKey(const QString& key) const override;

    // The deepest subview (or this view) whose frame holds `point`, given in the superview's
    // coordinates (window coordinates for a view with no superview); null when none does.
    virtual View* hitTest(QPointF point);

    // Drawing.
    virtual void drawRect(const QRectF& dirtyRect);
    void setNeedsDisplay(bool needs = true);
    void setNeedsDisplayInRect(const QRectF& rect);
    bool needsDisplay() const { return m_needsDisplay; }
    // Paints what is pending now.
    void displayIfNeeded();
    void display();
    // While drawRect runs: whether `rect` meets the area being redrawn.
    bool needsToDrawRect(const QRectF& rect) const;
    virtual bool isOpaque() const { return false; }
    // The view and its subviews in `rect` (bounds coordinates) as an image at the device
    // pixel ratio; transparent where nothing draws.
    QImage cacheDisplayInRect(const QRectF& rect) const;
    // The same as a one-page PDF of the rectangle's size in points, drawn as vectors.
    QByteArray dataWithPDFInsideRect(const QRectF& rect) const;

    // Events.
    virtual void mouseDown(const Event& event);
    virtual void mouseDragged(const Event& event);
    virtual void mouseUp(const Event& event);
    virtual void rightMouseDown(const Event& event);
    virtual void rightMouseDragged(const Event& event);
    virtual void rightMouseUp(const Event& event);
    virtual void otherMouseDown(const Event& event);
    virtual void otherMouseDragged(const Event& event);
    virtual void otherMouseUp(const Event& event);
    void mouseMoved(const Event& event) override;
    void mouseEntered(const Event& event) override;
    void mouseExited(const Event& event) override;
    // By default: the cursor of the cursor rectangle under the pointer, else the arrow.
    void cursorUpdate(const Event& event) override;
    virtual void scrollWheel(const Event& event);
    // By default: interpretKeyEvent.
    virtual void keyDown(const Event& event);
    virtual void keyUp(const Event& event);
    virtual void flagsChanged(const Event& event);
    // Whether a click that activates the window also acts in the view.
    virtual bool acceptsFirstMouse(const Event* event) const { return false; }
    // Mouse-moved events without a tracking area asking for them.
    void setAcceptsMouseMovedEvents(bool accepts);
    bool acceptsMouseMovedEvents() const { return m_acceptsMouseMoved; }
    // The menu to show for a context click; null for none. The view owns what it answers.
    virtual QMenu* menuForEvent(const Event& event);

    // Key interpretation: arrows, page keys, Tab, Shift-Tab, Return, Escape and deletion
    // become commands sent with doCommandBySelector; printable text goes to insertText.
    void interpretKeyEvent(const Event& event);
    // Performs the command on this view when it answers it, else up the responder chain.
    // Answers whether someone did.
    virtual bool doCommandBySelector(const QString& selector);
    virtual void insertText(const QString& text);

    // Tracking areas.
    void addTrackingArea(const std::shared_ptr<TrackingArea>& area);
    void removeTrackingArea(const std::shared_ptr<TrackingArea>& area);
    QList<std::shared_ptr<TrackingArea>> trackingAreas() const;
    // Called when the tracking areas may need rebuilding (the view moved or resized).
    virtual void updateTrackingAreas() {}

    // Cursor rectangles: rebuilt through resetCursorRects on the next pointer movement after
    // invalidateCursorRects.
    virtual void resetCursorRects() {}
    void addCursorRect(const QRectF& rect, const Cursor& cursor);
    void discardCursorRects();
    void invalidateCursorRects();

    // Tool-tip rectangles (bounds coordinates): a fixed text, or an owner asked when shown.
    // Answers a tag for removeToolTip.
    int addToolTipRect(const QRectF& rect, const QString& text);
    int addToolTipRect(const QRectF& rect, ToolTipOwner* owner, const QVariant& userData = {});
    void removeToolTip(int tag);
    void removeAllToolTips();
    // The text shown at `point` (bounds coordinates): a tool-tip rectangle's, else the
    // view's own tool tip.
    QString toolTipAt(QPointF point);

    // Drop destination.
    void registerForDraggedTypes(const QStringList& types);
    void unregisterDraggedTypes();
    QStringList registeredDraggedTypes() const { return m_draggedTypes; }

    // Tree changes.
    virtual void viewDidMoveToSuperview() {}
    virtual void viewDidMoveToWindow() {}

    bool acceptsFirstResponder() const override { return false; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct ToolTipRect {
        int tag;
        QRectF rect;
        QString text;
        ToolTipOwner* owner;
        QVariant userData;
    };
    struct CursorRect {
        QRectF rect;
        Cursor cursor;
    };
    struct DragState;

    void init(const QRectF& frame);
    void applyQtGeometry();
    void layoutSubviewsGeometry();
    QRect qtGeometryForFrame() const;
    QRectF frameFromQtGeometry() const;
    // Takes a frame Qt gave the widget through the frame primitives.
    void adoptQtGeometry();
    void frameDidChange(const QRectF& old);
    void boundsDidChange();
    // The scale of the ancestors' bounds: widget pixels per unit of this view's frame.
    QSizeF ancestorScale() const;
    void deleteIfStillRemoved();
    // Bounds point to the superview's bounds coordinates (or window coordinates at the root).
    QPointF toSuperview(QPointF point) const;
    QPointF fromSuperview(QPointF point) const;
    QPointF toWindow(QPointF point) const;
    QPointF fromWindow(QPointF point) const;
    QPointF pointFromEvent(const Event& event) const;
    void dispatchMouse(QMouseEvent* event);
    bool shouldSwallowFirstClick(const Event& event) const;
    void updateTracking(const Event* event, bool leaving);
    void rebuildCursorRectsIfNeeded();
    const Cursor* cursorAt(QPointF point) const;
    std::optional<Event> translate(const QEvent* event);
    unsigned dropOperation(QDropEvent* event, bool entering);
    DraggingInfo makeDraggingInfo(const QDropEvent* event) const;

    QRectF m_frame;
    QRectF m_bounds;
    bool m_boundsScaled = false;
    int m_tag = 0;
    bool m_keepAlive = false;
    bool m_postsFrameChanged = true;
    bool m_postsBoundsChanged = true;
    unsigned m_autoresizingMask = ViewNotSizable;
    bool m_autoresizesSubviews = true;
    double m_alphaValue = 1.0;
    int m_frameChangeDepth = 0;
    bool m_adoptingQtGeometry = false;
    bool m_applyingGeometry = false;
    bool m_needsDisplay = false;
    bool m_renderingToPdf = false;
    QRegion m_dirtyRegion;
    bool m_acceptsMouseMoved = false;
    bool m_cursorRectsValid = false;
    bool m_cursorFromRect = false;
    bool m_unhandled = false;
    // The press went on to the enclosing table's row; so do its moves and its release.
    bool m_pressGoesToTable = false;
    const QRegion* m_paintRegion = nullptr;
    QList<std::shared_ptr<TrackingArea>> m_trackingAreas;
    std::vector<CursorRect> m_cursorRects;
    std::vector<ToolTipRect> m_toolTips;
    int m_nextToolTipTag = 1;
    QStringList m_draggedTypes;
    std::unique_ptr<DragState> m_drag;
    QPointer<View> m_previousSuperview;
    QPointer<QWidget> m_previousWindow;
};

// Names of the notifications a view posts (object: the view).
inline const QString NSViewFrameDidChangeNotification = QStringLiteral("NSViewFrameDidChangeNotification");
inline const QString NSViewBoundsDidChangeNotification = QStringLiteral("NSViewBoundsDidChangeNotification");

} // namespace pf
