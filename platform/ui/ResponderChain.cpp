#include "platform/ui/ResponderChain.h"

#include "platform/foundation/Reflective.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Document.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/Responder.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowController.h"

#include <QWidget>

namespace pf {

namespace {

class ChainBuilder {
public:
    QList<Reflective*> chain;

    // Adds the responder and its explicit next links, each once.
    void add(Responder* responder)
    {
        while (responder) {
            Reflective* r = responder->reflective();
            if (!r || chain.contains(r))
                return;
            chain.append(r);
            responder = responder->nextResponder();
        }
    }

    void add(Reflective* object)
    {
        if (!object || chain.contains(object))
            return;
        if (auto* responder = dynamic_cast<Responder*>(object)) {
            add(responder);
            return;
        }
        chain.append(object);
    }

    void addWidgetChain(QWidget* widget)
    {
        if (!widget)
            return;
        QWidget* window = widget->window();
        for (QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
            add(dynamic_cast<Reflective*>(w));
            add(widgetController(w));
        }
        if (auto* platformWindow = qobject_cast<Window*>(window))
            add(dynamic_cast<Reflective*>(platformWindow->delegate()));
        if (WindowController* controller = WindowController::forWindow(window)) {
            add(static_cast<Reflective*>(controller));
            if (Document* document = controller->document())
                add(static_cast<Reflective*>(document));
        }
    }
};

} // namespace

QList<Reflective*> ResponderChain::fromWidget(QWidget* widget)
{
    ChainBuilder builder;
    builder.addWidgetChain(widget);
    return builder.chain;
}

QList<Reflective*> ResponderChain::forWindows(QWidget* keyWindow, QWidget* mainWindow)
{
    ChainBuilder builder;
    if (keyWindow)
        builder.addWidgetChain(firstResponder(keyWindow->window()));
    if (mainWindow && (!keyWindow || mainWindow->window() != keyWindow->window()))
        builder.addWidgetChain(firstResponder(mainWindow->window()));
    Application* application = Application::shared();
    builder.add(static_cast<Reflective*>(application));
    if (ApplicationDelegate* delegate = application->delegate())
        builder.add(static_cast<Reflective*>(delegate));
    if (DocumentController* documents = DocumentController::sharedIfMade())
        builder.add(static_cast<Reflective*>(documents));
    return builder.chain;
}

QList<Reflective*> ResponderChain::current()
{
    Application* application = Application::shared();
    return forWindows(application->keyWindow(), application->mainWindow());
}

bool ResponderChain::responds(const Reflective& receiver, const QString& action)
{
    if (auto* responder = dynamic_cast<const Responder*>(&receiver))
        return responder->respondsToAction(action);
    return receiver.respondsTo(action);
}

void ResponderChain::perform(Reflective& receiver, const QString& action, const QVariant& sender)
{
    if (auto* responder = dynamic_cast<Responder*>(&receiver))
        responder->performAction(action, sender);
    else
        receiver.perform(action, {sender});
}

Reflective* ResponderChain::targetForAction(const QString& action, Reflective* target)
{
    if (action.isEmpty())
        return nullptr;
    if (target)
        return responds(*target, action) ? target : nullptr;
    for (Reflective* candidate : current()) {
        if (responds(*candidate, action))
            return candidate;
    }
    return nullptr;
}

UndoManager* ResponderChain::undoManager()
{
    for (Reflective* candidate : current()) {
        if (auto* responder = dynamic_cast<Responder*>(candidate)) {
            if (UndoManager* manager = responder->ownUndoManager())
                return manager;
        }
    }
    return nullptr;
}

} // namespace pf
