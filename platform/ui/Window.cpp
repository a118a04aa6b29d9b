#include "platform/ui/Window.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PlatformNotifications.h"
#include "platform/ui/AnimationContext.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/WindowFrame.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QToolBar>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWindow>

#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::Window, pf::Reflective, "pf::Window")
{
    b.method("orderFront:", &pf::Window::orderFront);
    b.method("orderOut:", &pf::Window::orderOut);
    b.method("makeKeyAndOrderFront:", &pf::Window::makeKeyAndOrderFront);
    b.method("performClose:", &pf::Window::performClose);
    b.method("toggleFullScreen:", &pf::Window::toggleFullScreen);
    b.method("zoom:", &pf::Window::zoom);
    b.method("performZoom:", &pf::Window::performZoom);
}

namespace pf {

Window::Window(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags | Qt::Window)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_stateConnection = QObject::connect(qApp, &QGuiApplication::applicationStateChanged, this,
                                         [this](Qt::ApplicationState state) { applicationStateChanged(state); });
    observeStatusNotifications();
}

Window::~Window()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    // The toolbar may outlive the window; its bar must not go down with the window's children.
    setToolbar(nullptr);
    if (!frameAutosaveName().isEmpty())
        WindowFrame::setFrameAutosaveName(this, QString());
}

void Window::observeStatusNotifications()
{
    struct Message {
        const QString& name;
        void (WindowDelegate::*call)(Window&);
    };
    const Message messages[] = {
        {NSWindowDidBecomeKeyNotification, &WindowDelegate::windowDidBecomeKey},
        {NSWindowDidResignKeyNotification, &WindowDelegate::windowDidResignKey},
        {NSWindowDidBecomeMainNotification, &WindowDelegate::windowDidBecomeMain},
        {NSWindowDidResignMainNotification, &WindowDelegate::windowDidResignMain},
    };
    for (const Message& m : messages) {
        auto call = m.call;
        NotificationCenter::defaultCenter().addObserver(
            this, [this, call](const Notification&) {
                if (WindowDelegate* d = delegate())
                    (d->*call)(*this);
            },
            m.name, this);
    }
}

void Window::setContentView(QWidget* view)
{
    if (view == m_contentView)
        return;
    delete m_contentView.data();
    m_contentView = view;
    if (view)
        layout()->addWidget(view);
}

void Window::setToolbar(const Ref<Toolbar>& toolbar)
{
    if (toolbar == m_toolbar)
        return;
    if (m_toolbar) {
        layout()->removeWidget(m_toolbar->qToolBar());
        m_toolbar->setWindow(nullptr);
    }
    m_toolbar = toolbar;
    if (!toolbar)
        return;
    if (Window* previous = toolbar->window(); previous && previous != this)
        previous->setToolbar(nullptr);
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, toolbar->qToolBar());
    toolbar->setWindow(this);
}

// --- Frame

QRectF Window::frame() const
{
    return WindowFrame::frame(this);
}

void Window::setFrame(const QRectF& frame, bool display)
{
    WindowFrame::setFrame(this, frame);
    if (display)
        update();
}

void Window::setFrame(const QRectF& frame, bool display, bool animate)
{
    if (!animate || !isVisible()) {
        setFrame(frame, display);
        return;
    }
    // The loop ends when the group completes, also when the window goes away meanwhile.
    QEventLoop loop;
    bool done = false;
    AnimationContext::runAnimationGroup(
        kAnimationResizeTime, [this, &frame] { animator().setFrame(frame); },
        [&] {
            done = true;
            loop.quit();
        });
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

std::shared_ptr<Animation> Window::defaultAnimationForKey(const QString& key) const
{
    if (key == QLatin1String("frame") || key == QLatin1String("frameOrigin") || key == QLatin1String("alphaValue"))
        return Animation::withDuration(Animation::kDefaultDuration);
    return nullptr;
}

void Window::setFrameOrigin(const QPointF& origin)
{
    WindowFrame::setFrameOrigin(this, origin);
}

void Window::setFrameTopLeftPoint(const QPointF& topLeft)
{
    WindowFrame::setFrameTopLeftPoint(this, topLeft);
}

void Window::center()
{
    WindowFrame::center(this);
}

QRectF Window::contentRectForFrameRect(const QRectF& frame) const
{
    return WindowFrame::contentRectForFrameRect(this, frame);
}

QRectF Window::frameRectForContentRect(const QRectF& content) const
{
    return WindowFrame::frameRectForContentRect(this, content);
}

QRectF Window::convertRectToScreen(const QRectF& rect) const
{
    return WindowFrame::convertRectToScreen(this, rect);
}

QRectF Window::convertRectFromScreen(const QRectF& rect) const
{
    return WindowFrame::convertRectFromScreen(this, rect);
}

QSizeF Window::minSize() const
{
    const QMarginsF m = WindowFrame::frameMargins(this);
    return QSizeF(minimumWidth() + m.left() + m.right(), minimumHeight() + m.top() + m.bottom());
}

void Window::setMinSize(const QSizeF& frameSize)
{
    const QMarginsF m = WindowFrame::frameMargins(this);
    setMinimumSize(qMax(0, qRound(frameSize.width() - m.left() - m.right())),
                   qMax(0, qRound(frameSize.height() - m.top() - m.bottom())));
}

bool Window::setFrameAutosaveName(const QString& name)
{
    return WindowFrame::setFrameAutosaveName(this, name);
}

QString Window::frameAutosaveName() const
{
    return WindowFrame::frameAutosaveName(this);
}

QString Window::stringWithSavedFrame() const
{
    return WindowFrame::stringWithSavedFrame(this);
}

bool Window::setFrameFromString(const QString& string)
{
    return WindowFrame::setFrameFromString(this, string);
}

// --- Level and look

void Window::setLevel(int level)
{
    if (level == m_level)
        return;
    m_level = level;
    applyLevelFlags();
}

void Window::applyLevelFlags()
{
    const bool wasVisible = isVisible();
    const QRect geometry = this->geometry();
    Qt::WindowFlags flags = windowFlags() & ~(Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
    if (m_level >= kFloatingWindowLevel)
        flags |= Qt::WindowStaysOnTopHint;
    if (m_level >= kStatusWindowLevel)
        flags |= Qt::FramelessWindowHint;
    if (m_becomesKeyOnlyIfNeeded)
        flags |= Qt::WindowDoesNotAcceptFocus;
    else
        flags &= ~Qt::WindowDoesNotAcceptFocus;
    if (flags == windowFlags())
        return;
    setWindowFlags(flags); // hides the window
    setGeometry(geometry);
    if (wasVisible)
        show();
}

void Window::setContentBorderThickness(double thickness)
{
    m_contentBorder = qMax(0.0, thickness);
    layout()->setContentsMargins(0, 0, 0, qRound(m_contentBorder));
}

// --- Status

bool Window::isKeyWindow() const
{
    return isActiveWindow();
}

bool Window::isMainWindow() const
{
    const Application* app = qApp ? Application::shared() : nullptr;
    return app && app->mainWindow() == this;
}

bool Window::canBecomeMainWindow() const
{
    return Application::canBecomeMainWindow(this);
}

void Window::setCanBecomeMainWindow(bool can)
{
    // The application reads this property when it tracks the main window.
    setProperty("canBecomeMainWindow", can);
}

bool Window::excludedFromWindowsMenu() const
{
    return property("excludedFromWindowsMenu").toBool();
}

void Window::setExcludedFromWindowsMenu(bool excluded)
{
    setProperty("excludedFromWindowsMenu", excluded);
}

void Window::setHidesOnDeactivate(bool hides)
{
    m_hidesOnDeactivate = hides;
    if (!hides && m_hiddenByDeactivation) {
        m_hiddenByDeactivation = false;
        show();
    }
}

void Window::applicationStateChanged(Qt::ApplicationState state)
{
    if (!m_hidesOnDeactivate)
        return;
    if (state == Qt::ApplicationActive) {
        if (m_hiddenByDeactivation) {
            m_hiddenByDeactivation = false;
            show();
        }
    } else if (isVisible()) {
        m_hiddenByDeactivation = true;
        hide();
    }
}

void Window::setBecomesKeyOnlyIfNeeded(bool onlyIfNeeded)
{
    if (onlyIfNeeded == m_becomesKeyOnlyIfNeeded)
        return;
    m_becomesKeyOnlyIfNeeded = onlyIfNeeded;
    setAttribute(Qt::WA_ShowWithoutActivating, onlyIfNeeded);
    if (onlyIfNeeded)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
    applyLevelFlags();
}

bool Window::needsKeyboard(const QWidget* widget) const
{
    for (const QWidget* w = widget; w && w != this; w = w->parentWidget()) {
        if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w)
            || qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w))
            return w->isEnabled();
        if (auto* combo = qobject_cast<const QComboBox*>(w))
            return combo->isEditable();
        if (w->testAttribute(Qt::WA_InputMethodEnabled))
            return true;
    }
    return false;
}

bool Window::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && m_becomesKeyOnlyIfNeeded) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this && needsKeyboard(widget) && !isActiveWindow()) {
            // The click wants typing: take the keyboard for as long as the window stays key.
            if (QWindow* handle = windowHandle())
                handle->setFlag(Qt::WindowDoesNotAcceptFocus, false);
            activateWindow();
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- Ordering

void Window::orderFront(const QVariant&)
{
    m_hiddenByDeactivation = false;
    if (!isVisible()) {
        const bool withoutActivating = testAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_ShowWithoutActivating, true);
        show();
        setAttribute(Qt::WA_ShowWithoutActivating, withoutActivating);
    }
    raise();
}

void Window::orderOut(const QVariant&)
{
    m_hiddenByDeactivation = false;
    hide();
}

void Window::makeKeyAndOrderFront(const QVariant&)
{
    m_hiddenByDeactivation = false;
    show();
    raise();
    activateWindow();
}

void Window::toggleFullScreen(const QVariant&)
{
    if (isFullScreen())
        showNormal();
    else
        showFullScreen();
}

namespace {

// Window geometry is whole pixels: frames a point apart are the same frame.
bool sameFrame(const QRectF& a, const QRectF& b)
{
    return qAbs(a.left() - b.left()) <= 1 && qAbs(a.top() - b.top()) <= 1 && qAbs(a.right() - b.right()) <= 1
        && qAbs(a.bottom() - b.bottom()) <= 1;
}

} // namespace

QRectF Window::standardFrame() const
{
    const QRectF defaultFrame = Screen::visibleFrame(screen());
    WindowDelegate* d = delegate();
    const QRectF wanted = d ? d->windowWillUseStandardFrame(*const_cast<Window*>(this), defaultFrame) : defaultFrame;
    // A frame with nothing in it would leave no window to see.
    const bool usable = wanted.isValid() && std::isfinite(wanted.x()) && std::isfinite(wanted.y())
        && std::isfinite(wanted.width()) && std::isfinite(wanted.height());
    return usable ? wanted : defaultFrame;
}

bool Window::isZoomed() const
{
    return sameFrame(frame(), standardFrame());
}

void Window::zoom(const QVariant&)
{
    const QRectF current = frame();
    const QRectF standard = standardFrame();
    const bool zoomed = sameFrame(current, standard);
    if (zoomed && (!m_userFrame || sameFrame(*m_userFrame, current)))
        return; // nothing to go back to
    const QRectF target = zoomed ? *m_userFrame : standard;
    if (WindowDelegate* d = delegate(); d && !d->windowShouldZoom(*this, target))
        return;
    if (!zoomed)
        m_userFrame = current;
    setFrame(target);
}

// --- Closing

WindowDelegate* Window::delegate() const
{
    if (m_delegateIsReflective && m_delegateLiveness.expired())
        return nullptr;
    return m_delegate;
}

void Window::setDelegate(WindowDelegate* delegate)
{
    m_delegate = delegate;
    auto* reflective = dynamic_cast<Reflective*>(delegate);
    m_delegateIsReflective = reflective != nullptr;
    m_delegateLiveness = reflective ? reflective->livenessToken() : std::weak_ptr<void>();
}

void Window::setCloseButtonAction(Reflective* target, const QString& action)
{
    m_closeTarget = target;
    m_closeTargetLiveness = target ? target->livenessToken() : std::weak_ptr<void>();
    m_closeAction = target ? action : QString();
}

void Window::performClose(const QVariant& sender)
{
    close();
}

void Window::closeEvent(QCloseEvent* event)
{
    if (!m_closeAction.isEmpty()) {
        event->ignore();
        if (m_closeTarget && !m_closeTargetLiveness.expired())
            m_closeTarget->perform(m_closeAction, {QVariant::fromValue<QWidget*>(this)});
        return;
    }
    WindowDelegate* d = delegate();
    if (d && !d->windowShouldClose(*this)) {
        event->ignore();
        return;
    }
    if (d)
        d->windowWillClose(*this);
    NotificationCenter::defaultCenter().post(NSWindowWillCloseNotification, this);
    m_hiddenByDeactivation = false;
    QWidget::closeEvent(event);
}

void Window::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    WindowDelegate* d = delegate();
    if (!d || m_adjustingSize)
        return;
    const QMarginsF m = WindowFrame::frameMargins(this);
    const QSizeF frameSize(width() + m.left() + m.right(), height() + m.top() + m.bottom());
    const QSizeF wanted = d->windowWillResize(*this, frameSize);
    if (wanted != frameSize && wanted.isValid()) {
        m_adjustingSize = true;
        resize(qRound(wanted.width() - m.left() - m.right()), qRound(wanted.height() - m.top() - m.bottom()));
        m_adjustingSize = false;
    }
    if (WindowDelegate* after = delegate())
        after->windowDidResize(*this);
}

void Window::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (WindowDelegate* d = delegate())
        d->windowDidMove(*this);
}

void Window::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A window that takes the keyboard only when needed gives it back each time it is shown.
    if (m_becomesKeyOnlyIfNeeded)
        if (QWindow* handle = windowHandle())
            handle->setFlag(Qt::WindowDoesNotAcceptFocus, true);
}

} // namespace pf
