// The program as it starts and quits, for the test that quits it: the same entry (application
// class, main menu, delegate, launch), then, once launched, File > Quit chosen as the user does.
// Usage: quit_child [FILE...]; with QUILLORY_QUIT_WITH_LIBRARY set the library window is open at
// quit; with QUILLORY_QUIT_WHILE_PREVIEWING naming an SVG file, previews of it are still being
// made as the program quits. Prints the window titles of the documents open when it quits.
#include "app/VNQLAppDelegate.h"
#include "app/VNQLApplication.h"
#include "browsers/RVAsynchronousImageLoader.h"
#include "frameworks/penwork/svg/PWSVGPreview.h"
#include "library/PWXLibraryManagerWindowController.h"
#include "platform/ui/Application.h"
#include "platform/ui/Document.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/MainMenu.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QCoreApplication>
#include <QTimer>
#include <QUrl>

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

// Starts previews of the file on both of the program's background previewers and leaves them
// running.
void startPreviews(const QString& path)
{
    static PWSVGPreviewDelegate delegate;
    const QUrl url = QUrl::fromLocalFile(path);
    for (int i = 0; i < 4; ++i) {
        RVAsynchronousImageLoader::fetchImageAtURL(url, {});
        PWSVGPreview::svgPreviewWithSVGURL(url, &delegate);
    }
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
                const QString previewed = qEnvironmentVariable("QUILLORY_QUIT_WHILE_PREVIEWING");
                if (!previewed.isEmpty())
                    startPreviews(previewed);
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
