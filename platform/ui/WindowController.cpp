#include "platform/ui/WindowController.h"

#include "platform/foundation/Exception.h"
#include "platform/ui/Application.h"
#include "platform/ui/Document.h"
#include "platform/ui/MainMenu.h"
#include "platform/ui/Nib.h"
#include "platform/ui/NibLoader.h"
#include "platform/ui/WindowFrame.h"

#include <QCloseEvent>
#include <QHash>
#include <QMainWindow>
#include <QWidget>

PF_DEFINE_CLASS_NAMED(pf::WindowController, pf::Object, "pf::WindowController")
{
    b.method("showWindow:", &pf::WindowController::showWindow);
    b.method("awakeFromNib", &pf::WindowController::awakeFromNib);
}

namespace pf {

namespace {

QHash<const QWidget*, WindowController*>& controllersByWindow()
{
    static QHash<const QWidget*, WindowController*> controllers;
    return controllers;
}

} // namespace

// Turns the window's close button into a request the controller answers, so that an edited
// document can ask before its window goes.
class WindowController::CloseFilter : public QObject {
public:
    explicit CloseFilter(WindowController* controller, QObject* parent)
        : QObject(parent), m_controller(controller)
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Close || watched != parent())
            return false;
        if (m_controller->m_closing)
            return false;
        event->ignore();
        m_controller->windowCloseRequested();
        return true;
    }

private:
    WindowController* m_controller;
};

WindowController::WindowController() = default;

WindowController::WindowController(QWidget* window)
{
    setWindow(window);
}

WindowController::WindowController(const QString& windowNibName)
    : m_nibName(windowNibName)
{
}

WindowController::~WindowController()
{
    delete m_closeFilter.data();
    if (m_window) {
        controllersByWindow().remove(m_window);
        QWidget* window = m_window;
        window->hide();
        window->deleteLater();
    }
}

void WindowController::registerWindowNib(const QString& name, WindowBuilder builder)
{
    if (!builder) {
        Nib::registerNib(name, nullptr);
        return;
    }
    Nib::registerNib(name, [builder = std::move(builder)](NibLoader& loader) {
        if (auto* owner = loader.ownerAs<WindowController>())
            loader.setTopLevelWidget(builder(*owner));
    });
}

bool WindowController::hasWindowNib(const QString& name)
{
    return Nib::exists(name);
}

WindowController* WindowController::forWindow(const QWidget* window)
{
    if (!window)
        return nullptr;
    return controllersByWindow().value(window->window(), nullptr);
}

QWidget* WindowController::window()
{
    if (!m_window && !m_loading) {
        m_loading = true;
        Document* doc = document();
        try {
            if (doc)
                doc->windowControllerWillLoadNib(this);
            windowWillLoad();
            loadWindow();
        } catch (...) {
            m_loading = false;
            throw;
        }
        m_loading = false;
        if (m_window) {
            windowDidLoad();
            if (doc)
                doc->windowControllerDidLoadNib(this);
            synchronizeWindowTitleWithDocumentName();
        }
    }
    return m_window;
}

void WindowController::setWindow(QWidget* window)
{
    if (window == m_window)
        return;
    if (QWidget* old = m_window) {
        delete m_closeFilter.data();
        controllersByWindow().remove(old);
        old->hide();
        old->deleteLater();
    }
    m_window = nullptr;
    if (window)
        attachWindow(window);
}

void WindowController::attachWindow(QWidget* window)
{
    PF_ASSERT(window->isWindow(), "a window controller's window must be a top-level widget");
    m_window = window;
    controllersByWindow().insert(window, this);
    m_closeFilter = new CloseFilter(this, window);
    window->installEventFilter(m_closeFilter);
    QObject::connect(window, &QObject::destroyed, window, [window] { controllersByWindow().remove(window); });
    if (auto* mainWindow = qobject_cast<QMainWindow*>(window)) {
        MainMenu* menu = Application::shared()->mainMenu();
        if (menu && !mainWindow->menuWidget())
            menu->installOn(mainWindow);
    }
    if (!m_frameAutosaveName.isEmpty())
        setWindowFrameAutosaveName(m_frameAutosaveName);
}

void WindowController::loadWindow()
{
    NibLoader loader(this);
    const bool found = Nib::load(m_nibName, loader, [this](NibLoader& made) {
        m_topLevelObjects = made.topLevelObjects();
        if (!made.topLevelWidget())
            raise(NSInternalInconsistencyException,
                  QStringLiteral("the window nib \"%1\" made no window").arg(m_nibName));
        setWindow(made.topLevelWidget());
    });
    if (!found)
        raise(NSInternalInconsistencyException, QStringLiteral("no window nib named \"%1\"").arg(m_nibName));
}

void WindowController::showWindow(const QVariant& sender)
{
    QWidget* w = window();
    if (!w)
        return;
    w->show();
    w->raise();
    w->activateWindow();
}

void WindowController::close()
{
    if (m_closing)
        return;
    // Closing may drop the document's hold on this controller.
    Ref<WindowController> keep = std::static_pointer_cast<WindowController>(weak_from_this().lock());
    m_closing = true;
    if (QWidget* w = m_window) {
        controllersByWindow().remove(w);
        m_window = nullptr;
        w->close();
        w->hide();
        w->deleteLater();
    }
    if (Document* doc = document()) {
        const bool last = doc->windowControllers().size() <= 1;
        if (m_shouldCloseDocument || last)
            doc->close();
        else
            doc->removeWindowController(this);
    }
    m_closing = false;
}

void WindowController::windowCloseRequested()
{
    Document* doc = document();
    if (!doc) {
        close();
        return;
    }
    const bool closesDocument = m_shouldCloseDocument || doc->windowControllers().size() <= 1;
    if (!closesDocument) {
        close();
        return;
    }
    if (m_askingToClose)
        return;
    m_askingToClose = true;
    Weak<WindowController> weakSelf = std::static_pointer_cast<WindowController>(weak_from_this().lock());
    doc->canCloseDocument([weakSelf, this](bool shouldClose) {
        Ref<WindowController> self = weakSelf.lock();
        if (!self)
            return;
        m_askingToClose = false;
        if (shouldClose)
            close();
    });
}

Document* WindowController::document() const
{
    return m_documentLiveness.expired() ? nullptr : m_document;
}

void WindowController::setDocument(Document* document)
{
    m_document = document;
    m_documentLiveness = document ? document->livenessToken() : std::weak_ptr<void>();
    setNextResponder(document);
    synchronizeWindowTitleWithDocumentName();
}

void WindowController::synchronizeWindowTitleWithDocumentName()
{
    Document* doc = document();
    if (!doc || !m_window)
        return;
    m_window->setWindowTitle(windowTitleForDocumentDisplayName(doc->displayName()) + QStringLiteral("[*]"));
    m_window->setWindowModified(doc->isDocumentEdited());
}

void WindowController::setWindowFrameAutosaveName(const QString& name)
{
    m_frameAutosaveName = name;
    if (m_window)
        WindowFrame::setFrameAutosaveName(m_window, name);
}

} // namespace pf
