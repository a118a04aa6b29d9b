#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillory"));
    QApplication::setOrganizationDomain(QStringLiteral("quillory.org"));

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Quillory"));
    QMenu* fileMenu = window.menuBar()->addMenu(QObject::tr("&File"));
    QAction* quit = fileMenu->addAction(QObject::tr("&Quit Quillory"));
    quit->setShortcut(QKeySequence::Quit);
    QObject::connect(quit, &QAction::triggered, &application, &QApplication::quit);
    window.resize(800, 600);
    window.show();
    return application.exec();
}
