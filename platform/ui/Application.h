#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/Event.h"
#include "platform/ui/Responder.h"

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <exception>
#include <functional>
#include <optional>

class QMenuBar;
class QWidget;

namespace pf {

class ApplicationDelegate;
class Error;
struct Event;
class MainMenu;
class ModalSession;

inline const QString NSApplicationWillFinishLaunchingNotification = QStringLiteral("NSApplicationWillFinishLaunchingNotification");
inline const QString NSApplicationDidFinishLaunchingNotification = QStringLiteral("NSApplicationDidFinishLaunchingNotification");
inline const QString NSApplicationDidBecomeActiveNotification = QStringLiteral("NSApplicationDidBecomeActiveNotification");
inline const QString NSApplicationDidResignActiveNotification = QStringLiteral("NSApplicationDidResignActiveNotification");
inline const QString NSWindowDidBecomeKeyNotification = QStringLiteral("NSWindowDidBecomeKeyNotification");
inline const QString NSWindowDidResignKeyNotification = QStringLiteral("NSWindowDidResignKeyNotification");
// The user information key of window notifications: the window as a QVariant holding a QWidget*.
inline const QString kPFWindowKey = QStringLiteral("window");

// The application object: the launch order, termination, the key and main windows, modal
// runs, target-action and the catch-all for exceptions that reach the event loop. It works
// over whatever QApplication runs; run() makes one that catches exceptions.
class Application : public Object, public Responder {
    PF_CLASS(Application)
public:
    Application();
    ~Application() override;

    // The shared application: the one installed, else a plain one made on first use. A
    // QApplication must exist.
    static Application* shared();
    static void install(const Ref<Application>& application);

    // The program's main: makes the QApplication, the application object of
    // `principalClassName` (a registered subclass; empty for this class), lets `setUp` build
    // the menu and the delegate, then launches: will finish launching, the files named on the
    // command line, an untitled document when none was opened, did finish launching, and the
    // event loop until termination. Answers the exit status.
    static int run(int& argc, char** argv, const QString& principalClassName = {},
                   const std::function<void(Application&)>& setUp = {});
    // The launch order alone, for an application whose event loop runs elsewhere.
    void finishLaunching(const QStringList& files);
    bool isRunning() const { return m_running; }
    bool hasFinishedLaunching() const { return m_finishedLaunching; }

    ApplicationDelegate* delegate() const { return m_delegate.get(); }
    void setDelegate(const Ref<ApplicationDelegate>& delegate);

    // Opens a file given at launch or by the desktop: the delegate first, then the document
    // controller, which presents its error when the file cannot be opened.
    bool openFile(const QString& path);

    // --- Termination
    // Reviews unsaved documents, asks the delegate, then posts the will-terminate
    // notification, tells the delegate and ends the event loop.
    virtual void terminate(const QVariant& sender);
    void replyToApplicationShouldTerminate(bool shouldTerminate);
    bool isTerminating() const { return m_terminated; }
    // Starts the program anew with the same arguments and, only when it started, terminates.
    // When it cannot start, this copy keeps running, logs why and answers false with the error.
    bool relaunch(const QVariant& sender, Error* error = nullptr);

    // --- Target-action
    // Performs `action` on `target` when it answers it, or on the first responder of the
    // chain that does when `target` is null. Answers whether someone performed it.
    virtual bool sendAction(const QString& action, Reflective* target, const QVariant& sender);
    Reflective* targetForAction(const QString& action) const;

    // --- Windows
    // The key window is the active window; the main window is the last active window that
    // can be main (no panel, dialog, tool or pop-up window, nor one whose
    // "canBecomeMainWindow" property is false).
    QWidget* keyWindow() const;
    QWidget* mainWindow() const;
    static bool canBecomeMainWindow(const QWidget* window);
    bool isActive() const;
    QList<QWidget*> windows() const;

    // Window actions, for the key window.
    void performClose(const QVariant& sender);
    void performMiniaturize(const QVariant& sender);
    void performZoom(const QVariant& sender);
    void arrangeInFront(const QVariant& sender);
    bool validateMenuItem(MenuItem& item) override;

    // --- Modal runs (see ModalSession for sessions run a step at a time)
    // Runs `window` application-modally until stopModal, stopModalWithCode or abortModal;
    // answers the code. Nested runs stop innermost first.
    int runModalForWindow(QWidget* window);
    void stopModal();
    void stopModalWithCode(int code);
    void abortModal();
    // The window of the innermost modal run, or null.
    QWidget* modalWindow() const;
    // One pass over the pending events while a modal window is up, without blocking.
    virtual void fetchAndDispatchEventsModalForWindow(QWidget* window);

    // --- The event queue (see EventQueue)
    std::optional<Event> nextEventMatchingMask(EventMask mask, double untilDate, const QString& mode, bool dequeue);
    void discardEventsMatchingMask(EventMask mask, const Event* beforeEvent);
    void postEvent(const Event& event, bool atStart);
    // Delivers a taken event to its window.
    virtual void sendEvent(const Event& event);

    // --- Events and state
    const Event* currentEvent() const;
    static unsigned currentModifierFlags();
    // The modifier keys held when the program started.
    unsigned modifierFlagsAtLaunch() const { return m_launchModifierFlags; }
    static void beep();
    QIcon applicationIconImage() const;
    void setApplicationIconImage(const QIcon& icon);
    // Answers newer than any version the system compares against.
    static double appKitVersionNumber() { return 2000.0; }

    MainMenu* mainMenu() const { return m_mainMenu.get(); }
    void setMainMenu(const Ref<MainMenu>& menu);

    // --- Errors reaching the event loop
    // Logs the exception and shows an alert (one at a time; others are only logged) instead
    // of letting it end the process.
    void reportException(const std::exception& exception);
    void reportUnknownException();
    // Runs `deliver`, reporting whatever it throws; answers its result, false after a throw.
    static bool deliverGuarded(const std::function<bool()>& deliver);
    int reportedExceptionCount() const { return m_reportedExceptions; }

    // After termination, once the event loop has ended: lets go of the main menu, the delegate
    // and the windows while Qt still runs (run() does it before it returns).
    void releaseAfterTermination();

    // Ends the process at once with `status`, skipping termination.
    [[noreturn]] static void exitProcess(int status);

protected:
    // Starts the new copy for relaunch.
    virtual bool startNewInstance(Error* error);

private:
    friend class ModalSession;
    void trackActivation();
    void windowActivated(QWidget* window);
    void continueTermination(bool documentsClosed);
    void finishTermination();
    void showExceptionAlert(const QString& text);

    Ref<ApplicationDelegate> m_delegate;
    Ref<MainMenu> m_mainMenu;
    QPointer<QWidget> m_keyWindow;
    QPointer<QWidget> m_mainWindow;
    QList<ModalSession*> m_modalSessions;
    bool m_running = false;
    bool m_finishedLaunching = false;
    bool m_terminated = false;
    bool m_awaitingTerminateReply = false;
    bool m_reviewingDocuments = false;
    bool m_showingExceptionAlert = false;
    bool m_wasActive = false;
    int m_reportedExceptions = 0;
    unsigned m_launchModifierFlags = 0;
    QList<QMetaObject::Connection> m_connections;
};

} // namespace pf
