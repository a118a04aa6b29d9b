#include "platform/ui/ModalSession.h"

#include "platform/foundation/Exception.h"
#include "platform/ui/Application.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/Sheet.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QWidget>

namespace pf {

namespace {

void showWithModality(QWidget* window, Qt::WindowModality modality)
{
    // Qt applies a new modality only when the window is shown again.
    const bool visible = window->isVisible();
    if (visible)
        window->hide();
    window->setWindowModality(modality);
    if (visible)
        window->show();
}

} // namespace

ModalSession::ModalSession(QWidget* window)
    : m_window(window)
{
    PF_PARAMETER_ASSERT(window != nullptr);
    m_oldModality = window->windowModality();
    window->setWindowModality(Qt::ApplicationModal);
    if (window->isVisible())
        showWithModality(window, Qt::ApplicationModal);
    else
        window->show();
    window->raise();
    window->activateWindow();
    Application::shared()->m_modalSessions.append(this);
    PresentationHook::presented(window);
}

ModalSession::~ModalSession()
{
    Application::shared()->m_modalSessions.removeAll(this);
    if (m_window)
        showWithModality(m_window, m_oldModality);
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
