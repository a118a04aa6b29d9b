#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>

namespace quillory::test {

QString homeFolder()
{
    return qEnvironmentVariable("HOME");
}

QString fixturePath(const QString& name)
{
#ifdef QUILLORY_FIXTURES_DIR
    return QDir(QStringLiteral(QUILLORY_FIXTURES_DIR)).filePath(name);
#else
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("fixtures/") + name);
#endif
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace quillory::test
