#include "app/VNQLApplication.h"

#include "app/VNQLDocumentWindow.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/Event.h"
#include "platform/ui/EventQueue.h"
#include "platform/ui/Window.h"

#include <QApplication>
#include <QWidget>

#include <pwd.h>
#include <unistd.h>

PF_DEFINE_CLASS(VNQLApplication, pf::Application) {}

VNQLApplication::~VNQLApplication()
{
    setTitle(QString());
}

QString VNQLApplication::registeredUserName()
{
    // The full name of the account (the first field of its comment), else its login name.
    if (const passwd* entry = getpwuid(getuid())) {
        const QString gecos = QString::fromLocal8Bit(entry->pw_gecos ? entry->pw_gecos : "");
        const QString fullName = gecos.section(QLatin1Char(','), 0, 0).trimmed();
        if (!fullName.isEmpty())
            return fullName;
        return QString::fromLocal8Bit(entry->pw_name);
    }
    return qEnvironmentVariable("USER");
}

QString VNQLApplication::productName()
{
    const QString name = pf::Bundle::main().objectForInfoDictionaryKey(QStringLiteral("CFBundleName")).toString();
    return name.isEmpty() ? QStringLiteral("Quillory") : name;
}

void VNQLApplication::fetchAndDispatchEventsModalForWindow(QWidget* window)
{
    // Taking the event lets paint and timer events run; only input is held back for us.
    std::optional<pf::Event> event =
        nextEventMatchingMask(pf::kAnyEventMask, pf::EventQueue::kDistantPast, pf::kModalPanelRunLoopMode, true);
    if (!event)
        return;
    discardEventsMatchingMask(pf::kAnyEventMask, &*event);
    QWidget* owner = event->window ? event->window->window() : nullptr;
    if (window && owner == window->window()) {
        sendEvent(*event);
        return;
    }
    if (event->type == pf::LeftMouseDown || event->type == pf::RightMouseDown)
        beepForRefusedClick();
}

void VNQLApplication::beepForRefusedClick()
{
    beep();
}

pf::Reflective* VNQLApplication::keyWindowDelegate() const
{
    QWidget* window = keyWindow();
    if (auto* ours = qobject_cast<pf::Window*>(window))
        return dynamic_cast<pf::Reflective*>(ours->delegate());
    if (auto* document = qobject_cast<VNQLDocumentWindow*>(window))
        return dynamic_cast<pf::Reflective*>(document->delegate());
    return nullptr;
}

bool VNQLApplication::sendAction(const QString& action, pf::Reflective* target, const QVariant& sender)
{
    if (action == QStringLiteral("undo:") || action == QStringLiteral("redo:")) {
        if (pf::Reflective* delegate = keyWindowDelegate();
            delegate && delegate->respondsTo(QStringLiteral("willRedirectUndo")))
            return pf::Application::sendAction(action, delegate, sender);
    }
    return pf::Application::sendAction(action, target, sender);
}
