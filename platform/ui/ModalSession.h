#pragma once

#include <QPointer>

class QEventLoop;
class QWidget;

namespace pf {

// An application-modal run of one window: while it lasts only that window (with the windows
// it owns and pop-up menus) takes input; a mouse down in any other window of the application
// beeps and brings the modal window back to the front, other input for them is dropped. The
// session does this itself, from an application event filter, rather than through Qt's
// window modality, which drops such clicks before anyone can beep. It can be stepped one pass
// at a time (run) or run until stopped (runUntilStopped). The window stays on screen when the
// session ends; its caller orders it out. Sessions nest: only the innermost one filters, and
// the application stops the innermost one.
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

    // Whether input for `window` (a top-level widget or one inside it) reaches it while this
    // session is the innermost.
    bool delivers(const QWidget* window) const;
    // Mouse downs refused (and beeped at) so far.
    int refusedMouseDowns() const { return m_refusedMouseDowns; }

private:
    class InputFilter;
    friend class InputFilter;
    bool isInnermost() const;

    QPointer<QWidget> m_window;
    QObject* m_filter = nullptr;
    int m_refusedMouseDowns = 0;
    QEventLoop* m_loop = nullptr;
    bool m_stopped = false;
    int m_code = 0;
};

} // namespace pf
