// The program as it starts and quits, for the test that quits it: the same entry (application
// class, main menu, delegate, launch), then, once launched, File > Quit chosen as the user does.
// Usage: quit_child [FILE...]; with QUILLORY_QUIT_WITH_LIBRARY set the library window is open at
// quit. Prints the window titles of the documents open when it quits.
#include "app/VNQLAppDelegate.h"
#include "app/VNQLApplication.h"
#include "library/PWXLibraryManagerWindowController.h"
#include "platform/ui/Application.h"
#include "platform/ui/Document.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/MainMenu.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

namespace {

pf::MenuItem* quitItem(pf::Menu& menu)
{
    for (const auto& item : menu.items()) {
        if (item->action() == QStringLiteral("terminate:"))
            return item.get();
        if (item->submenu())
            if (pf::MenuItem* found = quitItem(*item->submenu()))
                return found;
    }
    return nullptr;
}

} // namespace

int main(int argc, char* argv[])
{
    const bool withLibrary = qEnvironmentVariableIsSet("QUILLORY_QUIT_WITH_LIBRARY");
    return pf::Application::run(argc, argv, VNQLApplication::staticClass().name(), [withLibrary](pf::Application& application) {
        VNQLAppDelegate::launch(application);
        QTimer::singleShot(300, [withLibrary] {
            if (withLibrary)
                PWXLibraryManagerWindowController::sharedLibraryManager()->showWindow({});
            QTimer::singleShot(300, [] {
                if (pf::DocumentController* documents = pf::DocumentController::sharedIfMade()) {
                    for (const auto& document : documents->documents())
                        std::printf("open: %s\n", qPrintable(document->displayName()));
                }
                pf::MenuItem* quit = quitItem(pf::Application::shared()->mainMenu()->root());
                std::printf("%s\n", quit && quit->performAction() ? "quitting" : "no quit item");
                std::fflush(stdout);
            });
        });
    });
}
