#include "platform/ui/Application.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PlatformNotifications.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/Event.h"
#include "platform/ui/GuardedApplication.h"
#include "platform/ui/MainMenu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/EventQueue.h"
#include "platform/ui/ModalSession.h"
#include "platform/ui/ResponderChain.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/Window.h"
#include "platform/ui/Workspace.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <memory>

PF_DEFINE_CLASS_NAMED(pf::Application, pf::Object, "pf::Application")
{
    b.method("terminate:", &pf::Application::terminate);
    b.method("performClose:", &pf::Application::performClose);
    b.method("performMiniaturize:", &pf::Application::performMiniaturize);
    b.method("performZoom:", &pf::Application::performZoom);
    b.method("arrangeInFront:", &pf::Application::arrangeInFront);
}

namespace pf {

namespace {

Ref<Application>& installedApplication()
{
    static Ref<Application> application;
    return application;
}

void postWindowNotification(const QString& name, QWidget* window)
{
    NotificationCenter::defaultCenter().post(name, dynamic_cast<Reflective*>(window),
                                             {{kPFWindowKey, QVariant::fromValue(window)}});
}

} // namespace

Application::Application()
{
    if (qApp)
        trackActivation();
}

Application::~Application()
{
    for (const auto& connection : m_connections)
        QObject::disconnect(connection);
}

Application* Application::shared()
{
    Ref<Application>& application = installedApplication();
    if (!application)
        install(std::make_shared<Application>());
    return application.get();
}

void Application::install(const Ref<Application>& application)
{
    PF_PARAMETER_ASSERT(application != nullptr);
    installedApplication() = application;
    if (application->m_connections.isEmpty() && qApp)
        application->trackActivation();
}

void Application::trackActivation()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    m_connections.append(QObject::connect(app, &QGuiApplication::focusWindowChanged, app, [this] {
        windowActivated(QApplication::activeWindow());
    }));
    m_connections.append(QObject::connect(app, &QGuiApplication::applicationStateChanged, app,
                                          [this](Qt::ApplicationState state) {
        const bool active = state == Qt::ApplicationActive;
        if (active == m_wasActive)
            return;
        m_wasActive = active;
        Notification notification{active ? NSApplicationDidBecomeActiveNotification
                                          : NSApplicationDidResignActiveNotification,
                                  this, {}};
        NotificationCenter::defaultCenter().post(notification);
        if (m_delegate) {
            if (active)
                m_delegate->applicationDidBecomeActive(notification);
            else
                m_delegate->applicationDidResignActive(notification);
        }
    }));
}

void Application::windowActivated(QWidget* window)
{
    if (window != m_keyWindow) {
        if (QWidget* old = m_keyWindow)
            postWindowNotification(NSWindowDidResignKeyNotification, old);
        m_keyWindow = window;
        if (window)
            postWindowNotification(NSWindowDidBecomeKeyNotification, window);
    }
    if (window && canBecomeMainWindow(window) && window != m_mainWindow) {
        if (QWidget* old = m_mainWindow)
            postWindowNotification(NSWindowDidResignMainNotification, old);
        m_mainWindow = window;
        postWindowNotification(NSWindowDidBecomeMainNotification, window);
    }
}

void Application::setDelegate(const Ref<ApplicationDelegate>& delegate)
{
    m_delegate = delegate;
}

// --- Launching

int Application::run(int& argc, char** argv, const QString& principalClassName,
                     const std::function<void(Application&)>& setUp)
{
    static std::unique_ptr<GuardedApplication> qtApplication;
    if (!QCoreApplication::instance())
        qtApplication = std::make_unique<GuardedApplication>(argc, argv);

    Ref<Application> application;
    if (!principalClassName.isEmpty()) {
        Class* cls = Class::named(principalClassName);
        application = cls ? std::dynamic_pointer_cast<Application>(cls->create()) : nullptr;
        if (!application) {
            PF_LOG("the principal class %s is not an application class; using the plain one",
                   qPrintable(principalClassName));
        }
    }
    if (!application)
        application = std::make_shared<Application>();
    application->m_launchModifierFlags = currentModifierFlags();
    install(application);

    int status = 0;
    deliverGuarded([&] {
        if (setUp)
            setUp(*application);
        QStringList files;
        bool optionsEnded = false;
        for (const QString& argument : QCoreApplication::arguments().mid(1)) {
            if (!optionsEnded && argument == QStringLiteral("--"))
                optionsEnded = true;
            else if (optionsEnded || !argument.startsWith(QLatin1Char('-')))
                files.append(QFileInfo(argument).absoluteFilePath());
        }
        application->finishLaunching(files);
        return true;
    });
    if (application->m_terminated) {
        application->releaseAfterTermination();
        qtApplication.reset();
        return 0;
    }
    application->m_running = true;
    status = QApplication::exec();
    application->m_running = false;
    application->releaseAfterTermination();
    // Qt itself goes before the program's static objects do: destroyed among them, after Qt's
    // own global state, it crashes.
    qtApplication.reset();
    return status;
}

void Application::releaseAfterTermination()
{
    // The menu bars, the windows and whatever the delegate keeps are Qt objects. Left to the
    // program's static objects they would go after Qt's own global state has gone, and a
    // menu bar that lays itself out then crashes the program on its way out. They go here,
    // while Qt still runs.
    UserDefaults::standard().synchronize();
    Ref<MainMenu> menu = std::move(m_mainMenu);
    Ref<ApplicationDelegate> delegate = std::move(m_delegate);
    menu.reset();
    delegate.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Menus' pop-ups belong to their pf::Menu; every other top-level widget is a window nobody
    // owns but Qt (controllers keep theirs through guarded pointers).
    QList<QPointer<QWidget>> windows;
    for (QWidget* window : QApplication::topLevelWidgets())
        windows.append(window);
    for (const QPointer<QWidget>& window : windows) {
        if (window && window->isWindow() && !(window->windowType() == Qt::Popup) && !window->parentWidget())
            delete window.data();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Application::finishLaunching(const QStringList& files)
{
    Notification will{NSApplicationWillFinishLaunchingNotification, this, {}};
    NotificationCenter::defaultCenter().post(will);
    if (m_delegate)
        m_delegate->applicationWillFinishLaunching(will);

    for (const QString& file : files)
        openFile(file);

    if (files.isEmpty() && !m_terminated) {
        const bool wantsUntitled = m_delegate ? m_delegate->applicationShouldOpenUntitledFile(*this) : true;
        DocumentController* documents = DocumentController::sharedIfMade();
        if (wantsUntitled && documents && !documents->defaultType().isEmpty()) {
            Error error;
            if (!documents->openUntitledDocumentAndDisplay(true, &error))
                documents->presentError(error);
        }
    }

    m_finishedLaunching = true;
    Notification did{NSApplicationDidFinishLaunchingNotification, this, {}};
    NotificationCenter::defaultCenter().post(did);
    if (m_delegate)
        m_delegate->applicationDidFinishLaunching(did);
}

bool Application::openFile(const QString& path)
{
    if (m_delegate && m_delegate->applicationOpenFile(*this, path))
        return true;
    DocumentController* documents = DocumentController::shared();
    documents->openDocumentWithContentsOfURL(QUrl::fromLocalFile(path), true,
                                             [documents](const Ref<Document>&, bool, const Error& error) {
        if (!error.isNull())
            documents->presentError(error);
    });
    return true;
}

// --- Termination

void Application::terminate(const QVariant& sender)
{
    if (m_terminated || m_awaitingTerminateReply || m_reviewingDocuments)
        return;
    DocumentController* documents = DocumentController::sharedIfMade();
    if (!documents) {
        continueTermination(true);
        return;
    }
    m_reviewingDocuments = true;
    documents->reviewUnsavedDocuments([this](bool allClosed) {
        m_reviewingDocuments = false;
        continueTermination(allClosed);
    });
}

void Application::continueTermination(bool documentsClosed)
{
    if (!documentsClosed)
        return;
    const TerminateReply reply = m_delegate ? m_delegate->applicationShouldTerminate(*this) : TerminateReply::Now;
    switch (reply) {
    case TerminateReply::Cancel:
        break;
    case TerminateReply::Later:
        m_awaitingTerminateReply = true;
        break;
    case TerminateReply::Now:
        finishTermination();
        break;
    }
}

void Application::replyToApplicationShouldTerminate(bool shouldTerminate)
{
    if (!m_awaitingTerminateReply)
        return;
    m_awaitingTerminateReply = false;
    if (shouldTerminate)
        finishTermination();
}

void Application::finishTermination()
{
    m_terminated = true;
    Notification notification{NSApplicationWillTerminateNotification, this, {}};
    NotificationCenter::defaultCenter().post(notification);
    if (m_delegate)
        m_delegate->applicationWillTerminate(notification);
    if (m_running)
        QCoreApplication::exit(0);
}

bool Application::relaunch(const QVariant& sender, Error* error)
{
    Error failure;
    if (!startNewInstance(&failure)) {
        // Quitting now would leave the user with no program at all.
        log(QStringLiteral("could not start the program anew: ") + failure.description());
        if (error)
            *error = failure;
        return false;
    }
    terminate(sender);
    return true;
}

bool Application::startNewInstance(Error* error)
{
    return Workspace::shared().launchNewInstance(QCoreApplication::arguments().mid(1), error);
}

// --- Target-action

bool Application::sendAction(const QString& action, Reflective* target, const QVariant& sender)
{
    Reflective* receiver = ResponderChain::targetForAction(action, target);
    if (!receiver)
        return false;
    ResponderChain::perform(*receiver, action, sender);
    return true;
}

Reflective* Application::targetForAction(const QString& action) const
{
    return ResponderChain::targetForAction(action);
}

// --- Windows

QWidget* Application::keyWindow() const
{
    return QApplication::activeWindow();
}

QWidget* Application::mainWindow() const
{
    QWidget* active = QApplication::activeWindow();
    if (active && canBecomeMainWindow(active))
        return active;
    QWidget* last = m_mainWindow;
    return last && last->isVisible() ? last : nullptr;
}

bool Application::canBecomeMainWindow(const QWidget* window)
{
    if (!window || !window->isWindow() || window->windowType() != Qt::Window)
        return false;
    if (qobject_cast<const QDialog*>(window) || Sheet::isSheet(window))
        return false;
    const QVariant allowed = window->property("canBecomeMainWindow");
    return !allowed.isValid() || allowed.toBool();
}

bool Application::isActive() const
{
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

QList<QWidget*> Application::windows() const
{
    QList<QWidget*> result;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isWindow() && widget->windowType() != Qt::Desktop)
            result.append(widget);
    }
    return result;
}

void Application::performClose(const QVariant& sender)
{
    if (QWidget* window = keyWindow())
        window->close();
    else
        beep();
}

void Application::performMiniaturize(const QVariant& sender)
{
    if (QWidget* window = keyWindow())
        window->showMinimized();
}

void Application::performZoom(const QVariant& sender)
{
    QWidget* window = keyWindow();
    if (auto* ours = qobject_cast<Window*>(window))
        ours->zoom(sender); // its delegate has a say
    else if (window)
        window->isMaximized() ? window->showNormal() : window->showMaximized();
}

void Application::arrangeInFront(const QVariant& sender)
{
    for (QWidget* window : windows()) {
        if (window->isVisible() && canBecomeMainWindow(window))
            window->raise();
    }
    if (QWidget* window = keyWindow())
        window->raise();
}

bool Application::validateMenuItem(MenuItem& item)
{
    const QString action = item.action();
    if (action == QStringLiteral("performClose:") || action == QStringLiteral("performMiniaturize:")
        || action == QStringLiteral("performZoom:"))
        return keyWindow() != nullptr;
    return Responder::validateMenuItem(item);
}

// --- Modal runs

int Application::runModalForWindow(QWidget* window)
{
    ModalSession session(window);
    return session.runUntilStopped();
}

void Application::stopModal()
{
    stopModalWithCode(kModalResponseStop);
}

void Application::stopModalWithCode(int code)
{
    if (!m_modalSessions.isEmpty())
        m_modalSessions.last()->stop(code);
}

void Application::abortModal()
{
    stopModalWithCode(kModalResponseAbort);
}

QWidget* Application::modalWindow() const
{
    return m_modalSessions.isEmpty() ? nullptr : m_modalSessions.last()->window();
}

void Application::fetchAndDispatchEventsModalForWindow(QWidget* window)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// --- The event queue

std::optional<Event> Application::nextEventMatchingMask(EventMask mask, double untilDate, const QString& mode,
                                                        bool dequeue)
{
    return EventQueue::shared().nextEvent(mask, untilDate, mode, dequeue);
}

void Application::discardEventsMatchingMask(EventMask mask, const Event* beforeEvent)
{
    EventQueue::shared().discardEvents(mask, beforeEvent);
}

void Application::postEvent(const Event& event, bool atStart)
{
    EventQueue::shared().postEvent(event, atStart);
}

void Application::sendEvent(const Event& event)
{
    EventQueue::shared().dispatch(event);
}

// --- Events and state

const Event* Application::currentEvent() const
{
    return Event::current();
}

unsigned Application::currentModifierFlags()
{
    return Event::currentModifierFlags();
}

void Application::beep()
{
    QApplication::beep();
}

QIcon Application::applicationIconImage() const
{
    return QApplication::windowIcon();
}

void Application::setApplicationIconImage(const QIcon& icon)
{
    QApplication::setWindowIcon(icon);
    for (QWidget* window : windows())
        window->setWindowIcon(icon);
}

void Application::setMainMenu(const Ref<MainMenu>& menu)
{
    m_mainMenu = menu;
}

// --- Errors reaching the event loop

bool Application::deliverGuarded(const std::function<bool()>& deliver)
{
    try {
        return deliver();
    } catch (const std::exception& exception) {
        shared()->reportException(exception);
    } catch (...) {
        shared()->reportUnknownException();
    }
    return false;
}

void Application::reportException(const std::exception& exception)
{
    QString text;
    if (auto* e = dynamic_cast<const Exception*>(&exception))
        text = e->name() + QStringLiteral(": ") + e->reason();
    else
        text = QString::fromLocal8Bit(exception.what());
    ++m_reportedExceptions;
    log(QStringLiteral("uncaught exception: ") + text);
    showExceptionAlert(text);
}

void Application::reportUnknownException()
{
    ++m_reportedExceptions;
    log(QStringLiteral("uncaught exception of unknown type"));
    showExceptionAlert(QObject::tr("An unknown error occurred."));
}

void Application::showExceptionAlert(const QString& text)
{
    if (m_showingExceptionAlert || m_terminated)
        return;
    m_showingExceptionAlert = true;
    // Shown from the event loop, away from the handler that failed.
    Weak<Application> weakSelf = weak<Application>();
    QTimer::singleShot(0, qApp, [weakSelf, text] {
        try {
            auto alert = std::make_shared<Alert>();
            alert->setAlertStyle(AlertStyle::Critical);
            alert->setMessageText(QObject::tr("An internal error occurred."));
            alert->setInformativeText(text);
            alert->runModal();
        } catch (...) {
            log(QStringLiteral("the alert for an uncaught exception failed"));
        }
        if (Ref<Application> self = weakSelf.lock())
            self->m_showingExceptionAlert = false;
    });
}

void Application::exitProcess(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace pf
