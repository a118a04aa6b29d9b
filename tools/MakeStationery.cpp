// Writes the program's built-in templates again:
//   make_stationery [folder]
// The folder defaults to resources/Quillory Templates/Stationery of the source tree.
#include "app/CartavelDocumentController.h"
#include "app/RVCartavelDocument.h"
#include "app/VNQLStationery.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillory"));
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QDir(QStringLiteral(QUILLORY_SOURCE_DIR)).filePath(QStringLiteral("resources/Quillory Templates/Stationery"));
    auto controller = std::make_shared<CartavelDocumentController>();
    RVCartavelDocument::registerDocumentTypes(*controller);
    pf::Error error;
    if (!VNQLStationery::writeStationery(folder, &error)) {
        std::fprintf(stderr, "make_stationery: %s\n", qPrintable(error.description()));
        return 1;
    }
    std::printf("wrote %lld templates to %s\n", qlonglong(VNQLStationery::sheets().size()), qPrintable(folder));
    return 0;
}
