#include "widgets/FileManager+FindFolder.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/FileManager.h"
#include "platform/ui/Bundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kMaximumUniqueCounter = 999;

QString candidateName(const QString& base, const QString& extension, int counter)
{
    QString name = counter == 0 ? base : QStringLiteral("%1 %2").arg(base).arg(counter);
    if (!extension.isEmpty())
        name += QLatin1Char('.') + extension;
    return name;
}

void splitName(const QString& filename, QString* base, QString* extension)
{
    const int dot = filename.lastIndexOf(QLatin1Char('.'));
    // A leading dot is part of the name ("hidden" files), not an extension.
    if (dot <= 0) {
        *base = filename;
        extension->clear();
    } else {
        *base = filename.left(dot);
        *extension = filename.mid(dot + 1);
    }
}

[[noreturn]] void raiseTooManyFiles(const QString& directory)
{
    pf::raise(QStringLiteral("Too Many Files!"), QStringLiteral(">999 files in '%1' - are you nuts?").arg(directory));
}

} // namespace

QUrl applicationSupportFolderURL()
{
    pf::Error error;
    const QString path = pf::FileManager::defaultManager().URLForDirectory(
        pf::FileManager::SearchPath::ApplicationSupport, {}, true, &error);
    if (path.isEmpty() || QDir::isRelativePath(path)) {
        RVLog(kFileEvent, QStringLiteral("search for directory failed, error = %1").arg(error.description()));
        return {};
    }
    return QUrl::fromLocalFile(path);
}

QUrl thisApplicationsSupportFolderURL()
{
    const QUrl base = applicationSupportFolderURL();
    if (base.isEmpty())
        return {};
    const QUrl folder = QUrl::fromLocalFile(QDir(base.toLocalFile()).filePath(pf::Bundle::main().bundleIdentifier()));
    createDirectoryIfNeeded(folder);
    return folder;
}

bool createDirectoryIfNeeded(const QUrl& url)
{
    const QString path = url.toLocalFile();
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).isDir())
        return true;
    pf::Error error;
    pf::FileManager::defaultManager().createDirectory(path, true, &error);
    if (QFileInfo(path).isDir())
        return true;
    RVLog(kFileEvent, QStringLiteral("unable to create directory %1, error = %2").arg(path, error.description()));
    return false;
}

QString uniqueFilenameForFilename(const QString& filename, const QString& directory, bool)
{
    QString base;
    QString extension;
    splitName(filename, &base, &extension);
    const QDir folder(directory);
    for (int counter = 0; counter < kMaximumUniqueCounter; ++counter) {
        const QString name = candidateName(base, extension, counter);
        if (!QFileInfo::exists(folder.filePath(name)) && !QFileInfo(folder.filePath(name)).isSymLink())
            return name;
    }
    raiseTooManyFiles(directory);
}

QString writeContentsToUniqueFile(const QByteArray& contents, const QString& filename, const QString& directory)
{
    QString base;
    QString extension;
    splitName(filename, &base, &extension);
    const QDir folder(directory);
    for (int counter = 0; counter < kMaximumUniqueCounter; ++counter) {
        const QString path = folder.filePath(candidateName(base, extension, counter));
        QFile file(path);
        // NewOnly fails when the name exists, so the name is claimed at the moment it is made.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            const bool written = file.write(contents) == contents.size() && file.flush();
            file.close();
            if (!written) {
                QFile::remove(path);
                pf::raise(QStringLiteral("Create File Error"), QStringLiteral("The file '%1' could not be created").arg(path));
            }
            return path;
        }
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            pf::raise(QStringLiteral("Create File Error"), QStringLiteral("The file '%1' could not be created").arg(path));
    }
    raiseTooManyFiles(directory);
}

QString writeContentsToUniqueTemporaryFile(const QByteArray& contents, const QString& filename)
{
    return writeContentsToUniqueFile(contents, filename, pf::FileManager::defaultManager().temporaryDirectory());
}
