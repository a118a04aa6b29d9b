#pragma once

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Reflective.h"
#include "platform/ui/AnimatablePropertyContainer.h"
#include "platform/ui/Animator.h"
#include "platform/ui/Responder.h"

#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QWidget>

#include <memory>
#include <optional>

namespace pf {

class Toolbar;
class Window;

inline const QString NSWindowWillCloseNotification = QStringLiteral("NSWindowWillCloseNotification");

// Window levels: normal windows, floating panels, windows raised above everything during
// full-screen animations, pop-up menus.
inline constexpr int kNormalWindowLevel = 0;
inline constexpr int kFloatingWindowLevel = 3;
inline constexpr int kStatusWindowLevel = 25;
inline constexpr int kPopUpMenuWindowLevel = 101;

// What a window tells its delegate; every message is optional.
class WindowDelegate {
public:
    virtual ~WindowDelegate() = default;
    virtual bool windowShouldClose(Window& window) { return true; }
    virtual void windowWillClose(Window& window) {}
    virtual void windowDidBecomeKey(Window& window) {}
    virtual void windowDidResignKey(Window& window) {}
    virtual void windowDidBecomeMain(Window& window) {}
    virtual void windowDidResignMain(Window& window) {}
    // The size (of the frame) the window may take when it is resized to `frameSize`.
    virtual QSizeF windowWillResize(Window& window, const QSizeF& frameSize) { return frameSize; }
    virtual void windowDidResize(Window& window) {}
    virtual void windowDidMove(Window& window) {}
    // The frame zooming makes the window take; `defaultFrame` is the visible part of its screen.
    virtual QRectF windowWillUseStandardFrame(Window& window, const QRectF& defaultFrame) { return defaultFrame; }
    // Whether the window may zoom to `newFrame`: the standard frame, or back to the user's own.
    virtual bool windowShouldZoom(Window& window, const QRectF& newFrame) { return true; }
};

// A top-level window with the platform's window API: its frame in screen coordinates
// (origin bottom-left of the main screen, y up), level, alpha, key and main status, a
// delegate, a frame autosave name, a bottom content border and a close button that can be
// sent to an action instead of closing. The content view fills the window above the border.
class Window : public QWidget, public Reflective, public Responder, public AnimatablePropertyContainer {
    Q_OBJECT
    PF_CLASS(Window)
public:
    explicit Window(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Window);
    ~Window() override;

    QWidget* contentView() const { return m_contentView; }
    // Takes ownership of `view`; the one before is deleted.
    void setContentView(QWidget* view);

    // The toolbar shown above the content view; null for none.
    Toolbar* toolbar() const { return m_toolbar.get(); }
    void setToolbar(const Ref<Toolbar>& toolbar);

    // --- Frame (screen coordinates)
    QRectF frame() const;
    void setFrame(const QRectF& frame, bool display = true);
    // With `animate` (and the window on screen) the frame changes over animationResizeTime
    // and the call returns once the window has its new frame, as on the platform.
    void setFrame(const QRectF& frame, bool display, bool animate);
    static constexpr double kAnimationResizeTime = 0.2;
    void setFrameOrigin(const QPointF& origin);
    void setFrameTopLeftPoint(const QPointF& topLeft);
    void center();
    QRectF contentRectForFrameRect(const QRectF& frame) const;
    QRectF frameRectForContentRect(const QRectF& content) const;
    QRectF convertRectToScreen(const QRectF& rect) const;
    QRectF convertRectFromScreen(const QRectF& rect) const;
    // The smallest frame size the user can resize the window to.
    QSizeF minSize() const;
    void setMinSize(const QSizeF& frameSize);

    bool setFrameAutosaveName(const QString& name);
    QString frameAutosaveName() const;
    QString stringWithSavedFrame() const;
    bool setFrameFromString(const QString& string);

    // --- Level and look
    int level() const { return m_level; }
    void setLevel(int level);
    double alphaValue() const { return windowOpacity(); }
    void setAlphaValue(double alpha) { setWindowOpacity(alpha); }
    // Changes through the animator run over the key's animation ("frame", "frameOrigin" and
    // "alphaValue" animate by default).
    Animator animator() { return Animator(this); }
    std::shared_ptr<Animation> defaultAnimationForKey(const QString& key) const override;
    // A bottom margin the content view leaves free (a status bar drawn by the window).
    double contentBorderThickness() const { return m_contentBorder; }
    void setContentBorderThickness(double thickness);

    // --- Status
    bool isKeyWindow() const;
    bool isMainWindow() const;
    bool canBecomeMainWindow() const;
    void setCanBecomeMainWindow(bool can);
    bool excludedFromWindowsMenu() const;
    void setExcludedFromWindowsMenu(bool excluded);
    // Deleted once closed.
    bool isReleasedWhenClosed() const { return testAttribute(Qt::WA_DeleteOnClose); }
    void setReleasedWhenClosed(bool released) { setAttribute(Qt::WA_DeleteOnClose, released); }
    // Hidden while the application is inactive, shown again when it comes back.
    bool hidesOnDeactivate() const { return m_hidesOnDeactivate; }
    void setHidesOnDeactivate(bool hides);
    // Shown without taking the keyboard; takes it when a click lands on a control that types.
    bool becomesKeyOnlyIfNeeded() const { return m_becomesKeyOnlyIfNeeded; }
    // A window the user cannot resize (a palette sized by its content) takes only the position
    // of a saved frame, never a size saved by an older layout.
    bool isResizable() const { return m_resizable; }
    void setResizable(bool resizable) { m_resizable = resizable; }
    void setBecomesKeyOnlyIfNeeded(bool onlyIfNeeded);

    // --- Ordering
    void orderFront(const QVariant& sender = {});
    void orderOut(const QVariant& sender = {});
    void makeKeyAndOrderFront(const QVariant& sender = {});
    void toggleFullScreen(const QVariant& sender = {});
    // Zooming toggles between the standard frame and the frame the user gave the window
    // before; the delegate chooses the standard frame and may refuse the change.
    void zoom(const QVariant& sender = {});
    void performZoom(const QVariant& sender = {}) { zoom(sender); }
    // Whether the window has its standard frame now.
    bool isZoomed() const;
    QRectF standardFrame() const;

    // --- Closing
    WindowDelegate* delegate() const;
    // Not owned. A delegate that is also a Reflective is dropped once it is destroyed.
    void setDelegate(WindowDelegate* delegate);
    // The close button (and performClose) sends `action` to `target` instead of closing.
    // A null target or an empty action restores closing.
    void setCloseButtonAction(Reflective* target, const QString& action);
    // What the close button does: the redirected action, or a close the delegate may refuse.
    void performClose(const QVariant& sender = {});

    // --- First responder (see Responder.h)
    QWidget* firstResponder() { return pf::firstResponder(this); }
    bool makeFirstResponder(QWidget* responder) { return pf::makeFirstResponder(this, responder); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyLevelFlags();
    void applicationStateChanged(Qt::ApplicationState state);
    void observeStatusNotifications();
    bool needsKeyboard(const QWidget* widget) const;

    // The frame to go back to when zoomed, taken as the window zooms to its standard frame.
    std::optional<QRectF> m_userFrame;
    QPointer<QWidget> m_contentView;
    Ref<Toolbar> m_toolbar;
    int m_level = kNormalWindowLevel;
    double m_contentBorder = 0;
    bool m_hidesOnDeactivate = false;
    bool m_hiddenByDeactivation = false;
    bool m_becomesKeyOnlyIfNeeded = false;
    bool m_resizable = true;
    bool m_adjustingSize = false;
    WindowDelegate* m_delegate = nullptr;
    std::weak_ptr<void> m_delegateLiveness;
    bool m_delegateIsReflective = false;
    Reflective* m_closeTarget = nullptr;
    std::weak_ptr<void> m_closeTargetLiveness;
    QString m_closeAction;
    QMetaObject::Connection m_stateConnection;
};

} // namespace pf
