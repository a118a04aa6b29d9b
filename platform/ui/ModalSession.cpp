#include "platform/ui/ModalSession.h"

#include "platform/foundation/Exception.h"
#include "platform/ui/Application.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/Sheet.h"

#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace pf {

namespace {

bool isBlockedInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TabletPress:
    case QEvent::TouchBegin:
        return true;
    default:
        return false;
    }
}

QWidget* topLevelFor(QObject* receiver)
{
    if (receiver->isWidgetType())
        return static_cast<QWidget*>(receiver)->window();
    if (auto* window = qobject_cast<QWindow*>(receiver)) {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->windowHandle() == window)
                return widget;
        }
    }
    return nullptr;
}

} // namespace

class ModalSession::InputFilter : public QObject {
public:
    explicit InputFilter(ModalSession* session) : m_session(session) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!isBlockedInput(event->type()) || !m_session->isInnermost())
            return false;
        QWidget* window = topLevelFor(watched);
        if (!window || m_session->delivers(window))
            return false;
        if (event->type() == QEvent::MouseButtonPress) {
            const auto button = static_cast<QMouseEvent*>(event)->button();
            if (button == Qt::LeftButton || button == Qt::RightButton) {
                ++m_session->m_refusedMouseDowns;
                Application::beep();
                if (QWidget* modal = m_session->m_window) {
                    modal->raise();
                    modal->activateWindow();
                }
            }
        }
        return true;
    }

private:
    ModalSession* m_session;
};

ModalSession::ModalSession(QWidget* window)
    : m_window(window)
{
    PF_PARAMETER_ASSERT(window != nullptr);
    window->show();
    window->raise();
    window->activateWindow();
    Application::shared()->m_modalSessions.append(this);
    m_filter = new InputFilter(this);
    qApp->installEventFilter(m_filter);
    PresentationHook::presented(window);
}

ModalSession::~ModalSession()
{
    delete m_filter;
    Application::shared()->m_modalSessions.removeAll(this);
}

bool ModalSession::isInnermost() const
{
    const auto& sessions = Application::shared()->m_modalSessions;
    return !sessions.isEmpty() && sessions.last() == this;
}

bool ModalSession::delivers(const QWidget* window) const
{
    if (!window || !m_window)
        return true;
    window = window->window();
    // Pop-up menus and tool tips open above whatever window is modal.
    if (window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip)
        return true;
    // The modal window and the windows it owns (sheets, dialogs made with it as parent).
    for (const QWidget* w = window; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
        if (w == m_window)
            return true;
    }
    return false;
}

int ModalSession::run()
{
    if (!m_stopped) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (!m_stopped && !m_window)
            stop(kModalResponseAbort);
    }
    return m_stopped ? m_code : kModalResponseContinue;
}

int ModalSession::runUntilStopped()
{
    if (!m_stopped && !m_window)
        stop(kModalResponseAbort);
    if (m_stopped)
        return m_code;
    QEventLoop loop;
    m_loop = &loop;
    // A window destroyed during the run ends it instead of leaving the loop waiting forever.
    QObject::connect(m_window, &QObject::destroyed, &loop, [this] { stop(kModalResponseAbort); });
    loop.exec(QEventLoop::DialogExec);
    m_loop = nullptr;
    return m_code;
}

void ModalSession::stop(int code)
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_code = code;
    if (m_loop)
        m_loop->quit();
}

} // namespace pf
