// The main of every test program. No test may touch the real user's folders, so HOME and the
// XDG folders point at a fresh temporary folder that is removed when the run ends, and Qt's
// standard paths are in test mode. Widgets run on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

int main(int argc, char* argv[])
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/quillory-test-XXXXXX"));
    if (!home.isValid()) {
        fprintf(stderr, "cannot make a temporary home folder: %s\n", qPrintable(home.errorString()));
        return 2;
    }
    const QString root = home.path();
    const struct { const char* variable; const char* folder; } folders[] = {
        {"HOME", ""},
        {"XDG_CONFIG_HOME", "/.config"},
        {"XDG_DATA_HOME", "/.local/share"},
        {"XDG_CACHE_HOME", "/.cache"},
        {"XDG_STATE_HOME", "/.local/state"},
        {"XDG_RUNTIME_DIR", "/.runtime"},
    };
    for (const auto& f : folders) {
        const QString path = root + QString::fromLatin1(f.folder);
        QDir().mkpath(path);
        qputenv(f.variable, path.toLocal8Bit());
    }
    QFile::setPermissions(root + QStringLiteral("/.runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_DATA_DIRS", QByteArray("/usr/local/share:/usr/share"));
    // The resources are the ones the build placed beside the test program, never a folder of
    // the developer's own.
    qunsetenv("QUILLORY_RESOURCES");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QStandardPaths::setTestModeEnabled(true);
    testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillory"));
    QApplication::setOrganizationDomain(QStringLiteral("quillory.org"));
    return RUN_ALL_TESTS();
}
