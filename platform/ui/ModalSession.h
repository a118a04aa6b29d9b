#pragma once

#include <QPointer>

class QEventLoop;
class QWidget;

namespace pf {

// An application-modal run of one window: while it lasts only that window (and the windows
// above it) takes input. It can be stepped one pass at a time (run) or run until stopped
// (runUntilStopped). The window stays on screen when the session ends; its caller orders it
// out. Sessions nest: the application stops the innermost one.
class ModalSession {
public:
    explicit ModalSession(QWidget* window);
    ~ModalSession();
    ModalSession(const ModalSession&) = delete;
    ModalSession& operator=(const ModalSession&) = delete;

    QWidget* window() const { return m_window; }

    // One pass over pending events; answers kModalResponseContinue while the session goes on,
    // else the code it was stopped with. A window that went away stops it with
    // kModalResponseAbort.
    int run();
    // Blocks in an event loop until the session is stopped; answers the code.
    int runUntilStopped();
    void stop(int code);
    bool isStopped() const { return m_stopped; }
    int code() const { return m_code; }

private:
    QPointer<QWidget> m_window;
    Qt::WindowModality m_oldModality = Qt::NonModal;
    QEventLoop* m_loop = nullptr;
    bool m_stopped = false;
    int m_code = 0;
};

} // namespace pf
