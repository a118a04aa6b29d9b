#include "platform/ui/GuardedApplication.h"

#include "platform/ui/Application.h"

namespace pf {

GuardedApplication::GuardedApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    return Application::deliverGuarded([&] { return QApplication::notify(receiver, event); });
}

} // namespace pf
