#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Starts the program in a child process with a home folder of its own, lets it launch and
// chooses File > Quit; answers how it ended.
struct Ending {
    QProcess::ExitStatus status = QProcess::CrashExit;
    int code = -1;
    QString output;
};

Ending startAndQuit(const QStringList& arguments, bool withLibrary, const QString& previewed = {})
{
    QTemporaryDir home;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(home.path()).filePath(".config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), QDir(home.path()).filePath(".local/share"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QUILLORY_RESOURCES"), QStringLiteral(QUILLORY_RESOURCES_DIR));
    if (withLibrary)
        environment.insert(QStringLiteral("QUILLORY_QUIT_WITH_LIBRARY"), QStringLiteral("1"));
    if (!previewed.isEmpty())
        environment.insert(QStringLiteral("QUILLORY_QUIT_WHILE_PREVIEWING"), previewed);
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral(QUILLORY_QUIT_CHILD), arguments);
    Ending ending;
    if (!child.waitForFinished(30000)) {
        child.kill();
        child.waitForFinished();
        ending.output = QString::fromLocal8Bit(child.readAll()) + QStringLiteral("\n(did not quit)");
        return ending;
    }
    ending.status = child.exitStatus();
    ending.code = child.exitCode();
    ending.output = QString::fromLocal8Bit(child.readAll());
    return ending;
}

// Quitting used to end in a segmentation fault once the libraries were let go: the menu bars
// and Qt itself were left to the program's static objects and went after Qt's own state.
TEST(ProgramQuit, QuittingEndsTheProgramWithStatusZero)
{
    const QString drawing = QStringLiteral(QUILLORY_RESOURCES_DIR "/Quillory Templates/Stationery/A4 Portrait.qlry");
    const struct {
        QStringList arguments;
        bool withLibrary;
        const char* opened;
    } cases[] = {
        {{}, false, "open: Untitled"},
        {{}, true, "open: Untitled"},
        // A file named on the command line opens instead of an untitled drawing.
        {{drawing}, false, "open: A4 Portrait"},
    };
    for (const auto& c : cases) {
        const Ending ending = startAndQuit(c.arguments, c.withLibrary);
        const QString context = c.arguments.join(' ') + (c.withLibrary ? QStringLiteral(" with the library") : QString());
        EXPECT_EQ(ending.status, QProcess::NormalExit) << qPrintable(context) << qPrintable(ending.output.right(2000));
        EXPECT_EQ(ending.code, 0) << qPrintable(context) << qPrintable(ending.output.right(2000));
        EXPECT_TRUE(ending.output.contains(QStringLiteral("quitting"))) << qPrintable(context);
        EXPECT_TRUE(ending.output.contains(QStringLiteral("will shut down"))) << qPrintable(context);
        EXPECT_TRUE(ending.output.contains(QString::fromLatin1(c.opened))) << qPrintable(context) << qPrintable(ending.output.right(2000));
        EXPECT_EQ(ending.output.count(QStringLiteral("open: ")), 1) << qPrintable(context);
    }
}

// Previews made on background threads once outlived the application: still running as it went,
// they handed their result to an application object that no longer existed.
TEST(ProgramQuit, QuittingWhilePreviewsAreMadeWaitsForThem)
{
    QTemporaryDir folder;
    const QString svg = QDir(folder.path()).filePath(QStringLiteral("many.svg"));
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<svg xmlns='http://www.w3.org/2000/svg' width='2000' height='2000'>");
    for (int i = 0; i < 20000; ++i)
        file.write(QStringLiteral("<circle cx='%1' cy='%2' r='30' fill='#%3' stroke='black'/>")
                       .arg(i % 1990).arg(i * 7 % 1990).arg(i * 97 % 0xffffff, 6, 16, QLatin1Char('0')).toUtf8());
    file.write("</svg>");
    file.close();
    const Ending ending = startAndQuit({}, false, svg);
    EXPECT_EQ(ending.status, QProcess::NormalExit) << qPrintable(ending.output.right(2000));
    EXPECT_EQ(ending.code, 0) << qPrintable(ending.output.right(2000));
    EXPECT_TRUE(ending.output.contains(QStringLiteral("quitting")));
}

} // namespace
