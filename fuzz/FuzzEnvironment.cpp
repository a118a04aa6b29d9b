#include "fuzz/FuzzEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

void FuzzEnvironment::start(int* argc, char*** argv)
{
    // Reachable until the end: libFuzzer leaves through exit(), and a Qt application torn
    // down by static destructors would fail after the run has been reported.
    static QTemporaryDir* home = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/quillory-fuzz-XXXXXX"));
    if (!home->isValid()) {
        std::fprintf(stderr, "cannot make a temporary home folder\n");
        std::exit(2);
    }
    const QByteArray root = home->path().toLocal8Bit();
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, root);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Readers log what they refuse; a line per input would bury libFuzzer's own output.
    qputenv("QT_LOGGING_RULES", "*.debug=false;*.warning=false;*.info=false");
    QStandardPaths::setTestModeEnabled(true);
    static QApplication* application = new QApplication(*argc, *argv);
    Q_UNUSED(application);
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzEnvironment::start(argc, argv);
    return 0;
}
