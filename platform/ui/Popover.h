#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/ActionTarget.h"

#include <QPointer>
#include <QRectF>
#include <QSizeF>

#include <memory>

class QWidget;

namespace pf {

class Panel;
class PopoverDelegate;
class ViewController;
class Window;

inline const QString NSPopoverWillShowNotification = QStringLiteral("NSPopoverWillShowNotification");
inline const QString NSPopoverDidShowNotification = QStringLiteral("NSPopoverDidShowNotification");
inline const QString NSPopoverWillCloseNotification = QStringLiteral("NSPopoverWillCloseNotification");
inline const QString NSPopoverDidCloseNotification = QStringLiteral("NSPopoverDidCloseNotification");
// The user information key of the close notifications, and its values.
inline const QString NSPopoverCloseReasonKey = QStringLiteral("NSPopoverCloseReasonKey");
inline const QString NSPopoverCloseReasonStandard = QStringLiteral("NSPopoverCloseReasonStandard");
inline const QString NSPopoverCloseReasonDetachToWindow = QStringLiteral("NSPopoverCloseReasonDetachToWindow");

// Rectangle edges with the platform's numbering.
enum RectEdge : int { MinXEdge = 0, MinYEdge = 1, MaxXEdge = 2, MaxYEdge = 3 };

// A content view controller's view shown in a borderless floating window with an arrow that
// points at a rectangle of another view. Behaviours decide what closes it: transient closes
// on any click outside it and when the application deactivates; semi-transient on clicks in
// the application outside it; application-defined only when asked. Escape closes the first
// two. Dragging it 50 points or more away from where it was shown detaches it into the
// delegate's detachable window, when the delegate gives one.
class Popover : public Object {
    PF_CLASS(Popover)
public:
    enum Behavior : int { ApplicationDefined = 0, Transient = 1, Semitransient = 2 };
    static constexpr double kDetachDistance = 50.0;
    static constexpr double kArrowHeight = 12.0;

    Popover();
    ~Popover() override;

    Ref<ViewController> contentViewController() const { return m_controller; }
    void setContentViewController(const Ref<ViewController>& controller);
    // The content's size; empty means the view's own size.
    QSizeF contentSize() const { return m_contentSize; }
    void setContentSize(const QSizeF& size);

    int behavior() const { return m_behavior; }
    void setBehavior(int behavior) { m_behavior = behavior; }
    bool animates() const { return m_animates; }
    void setAnimates(bool animates) { m_animates = animates; }

    PopoverDelegate* delegate() const;
    // Not owned; a delegate that is also a Reflective is dropped when it goes.
    void setDelegate(PopoverDelegate* delegate);

    bool isShown() const { return m_shown; }
    bool isDetached() const { return m_detached; }
    QRectF positioningRect() const { return m_positioningRect; }
    int preferredEdge() const { return m_preferredEdge; }
    // The edge the arrow sits on: the preferred one, or its opposite when the screen has no room.
    int shownEdge() const { return m_shownEdge; }

    // Shows the popover at `edge` of `rect`, given in `view`'s coordinates (a pf::View's own,
    // or a plain widget's Qt coordinates). Showing it again moves it.
    void showRelativeToRect(const QRectF& rect, QWidget* view, int edge);
    // Closes without asking the delegate.
    void close();
    // Closes unless the delegate refuses.
    void performClose(const QVariant& sender = {});
    // Closes without asking the delegate, announcing `reason` (one of the close reasons).
    void closeWithReason(const QString& reason);
    // Moves the content into the delegate's detachable window; false when there is none.
    bool detach();

    // The popover's own window, for code that moves it (null before the first show).
    Window* window() const;
    bool hidesAnchor() const { return m_hidesAnchor; }
    void setHidesAnchor(bool hides);

private:
    class Frame;
    class ClickWatcher;
    friend class Frame;
    friend class ClickWatcher;

    void ensureWindow();
    QRectF frameFor(const QRectF& anchor, int edge) const;
    void closeFromBehavior();
    void announce(const QString& name, const QString& reason = {});
    QWidget* contentView() const;

    Ref<ViewController> m_controller;
    QSizeF m_contentSize;
    int m_behavior = ApplicationDefined;
    bool m_animates = true;
    PopoverDelegate* m_delegate = nullptr;
    ActionTarget m_delegateLiveness;
    bool m_delegateIsReflective = false;
    bool m_shown = false;
    bool m_detached = false;
    bool m_hidesAnchor = false;
    QRectF m_positioningRect;
    QRectF m_anchorOnScreen;
    int m_preferredEdge = MaxYEdge;
    int m_shownEdge = MaxYEdge;
    QPointer<Panel> m_window;
    Frame* m_frame = nullptr;
    std::unique_ptr<ClickWatcher> m_watcher;
};

} // namespace pf
