#include "platform/ui/Workspace.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Bundle.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDateTime>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QPointer>
#include <QProcess>
#include <QTimer>

#include <cstdio>
#include <pwd.h>
#include <unistd.h>

namespace pf {

namespace {
const QString kFileManagerService = QStringLiteral("org.freedesktop.FileManager1");
const QString kFileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");

// The user's home trash, as the desktop's file managers share it: $XDG_DATA_HOME/Trash.
QString homeTrashFolder()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return dataHome + QStringLiteral("/Trash");
}

// Moves `path` into the home trash when it is on the same file system (a rename), writing its
// record first so that the trash never holds a file it cannot put back. Answers the new path,
// or empty when the home trash cannot take it.
QString moveToHomeTrash(const QString& path)
{
    const QString trash = homeTrashFolder();
    if (!QDir().mkpath(trash + QStringLiteral("/files")) || !QDir().mkpath(trash + QStringLiteral("/info")))
        return {};
    QFile::setPermissions(trash, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QFileInfo source(path);
    const QString base = source.fileName();
    const QByteArray record = "[Trash Info]\nPath=" + QUrl::toPercentEncoding(source.absoluteFilePath(), "/")
        + "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).left(19).toUtf8() + "\n";
    if (!QFileInfo(trash + QStringLiteral("/info")).isWritable())
        return {};
    for (int n = 1; n < 10000; ++n) {
        const QString name = n == 1 ? base : QStringLiteral("%1.%2").arg(base).arg(n);
        QFile info(trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
        if (!info.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            continue; // the name is taken (or the folder refuses us, and every name will fail)
        const bool written = info.write(record) == record.size();
        info.close();
        const QString target = trash + QStringLiteral("/files/") + name;
        if (QFileInfo::exists(target)) {
            info.remove();
            continue; // a stray file without its record holds the name
        }
        if (written && ::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) == 0)
            return target;
        info.remove();
        return {}; // another file system, or no permission: not for the home trash
    }
    return {};
}
} // namespace

Workspace& Workspace::shared()
{
    static Workspace workspace;
    return workspace;
}

bool Workspace::openURL(const QUrl& url)
{
    if (!url.isValid() || url.isEmpty())
        return false;
    return QDesktopServices::openUrl(url);
}

bool Workspace::openContainingFolders(const QList<QUrl>& urls)
{
    QStringList folders;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString folder = QFileInfo(url.toLocalFile()).absolutePath();
        if (!folders.contains(folder))
            folders.append(folder);
    }
    bool opened = !folders.isEmpty();
    for (const QString& folder : folders)
        opened = openURL(QUrl::fromLocalFile(folder)) && opened;
    return opened;
}

bool Workspace::callFileManager(const QString& method, const QStringList& uris)
{
    if (!m_useService)
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusConnectionInterface* busInterface = bus.interface();
    if (!busInterface)
        return false;
    // The file manager may be started by the bus on demand.
    const bool available = busInterface->isServiceRegistered(kFileManagerService).value()
        || busInterface->activatableServiceNames().value().contains(kFileManagerService);
    if (!available)
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kFileManagerService, kFileManagerPath, kFileManagerService, method);
    call << uris << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), qApp);
    QList<QUrl> urls;
    for (const QString& uri : uris)
        urls.append(QUrl(uri));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, qApp, [this, watcher, urls, method] {
        if (watcher->isError()) {
            PF_LOG("file manager %s failed (%s); opening the folder instead", qPrintable(method),
                   qPrintable(watcher->error().message()));
            if (method == QLatin1String("ShowFolders")) {
                for (const QUrl& url : urls)
                    openURL(url);
            } else {
                openContainingFolders(urls);
            }
        }
        watcher->deleteLater();
    });
    return true;
}

bool Workspace::activateFileViewerSelectingURLs(const QList<QUrl>& urls)
{
    QStringList uris;
    QList<QUrl> files;
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) {
            uris.append(url.toString(QUrl::FullyEncoded));
            files.append(url);
        }
    }
    if (uris.isEmpty())
        return false;
    if (callFileManager(QStringLiteral("ShowItems"), uris))
        return true;
    return openContainingFolders(files);
}

bool Workspace::selectFile(const QString& path, const QString& rootPath)
{
    if (!path.isEmpty())
        return activateFileViewerSelectingURLs({QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())});
    if (rootPath.isEmpty())
        return false;
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(rootPath).absoluteFilePath());
    if (callFileManager(QStringLiteral("ShowFolders"), {folder.toString(QUrl::FullyEncoded)}))
        return true;
    return openURL(folder);
}

void Workspace::recycleURLs(const QList<QUrl>& urls, RecycleCompletion completion)
{
    QMap<QUrl, QUrl> moved;
    QVariantList failed;
    QStringList reasons;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) {
            failed.append(url);
            reasons.append(QStringLiteral("%1 is not a local file").arg(url.toString()));
            continue;
        }
        const QString path = url.toLocalFile();
        QFile file(path);
        if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink()) {
            failed.append(url);
            reasons.append(QStringLiteral("%1 does not exist").arg(path));
            continue;
        }
        // Files on another file system go to that file system's trash, which Qt knows.
        QString trashed = moveToHomeTrash(path);
        if (trashed.isEmpty() && file.moveToTrash())
            trashed = QFileInfo(file.fileName()).absoluteFilePath();
        if (trashed.isEmpty()) {
            failed.append(url);
            reasons.append(QStringLiteral("%1 could not be moved to the trash: %2").arg(path, file.errorString()));
            continue;
        }
        moved.insert(url, QUrl::fromLocalFile(trashed));
    }
    Error error;
    if (!failed.isEmpty()) {
        error = Error::make(kPFFoundationErrorDomain, kErrorFileWrite,
                            failed.size() == 1 ? QStringLiteral("An item could not be moved to the trash.")
                                               : QStringLiteral("%1 items could not be moved to the trash.").arg(failed.size()),
                            reasons.join(QLatin1Char('\n')));
        QVariantMap info = error.userInfo();
        info.insert(kWorkspaceFailedURLsKey, failed);
        info.insert(kWorkspaceFailureReasonsKey, reasons);
        error = Error(error.domain(), error.code(), info);
    }
    if (!completion)
        return;
    QTimer::singleShot(0, qApp, [completion = std::move(completion), moved, error] { completion(moved, error); });
}

bool Workspace::launchApplication(const QString& path, const QStringList& arguments, Error* error)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable())
        return fail(error, Error::make(kPFFoundationErrorDomain, kErrorFileNotFound,
                                       QStringLiteral("The program could not be started."),
                                       QStringLiteral("%1 is not an executable file.").arg(path)));
    if (!QProcess::startDetached(info.absoluteFilePath(), arguments))
        return fail(error, Error::make(kPFFoundationErrorDomain, kErrorFileRead,
                                       QStringLiteral("The program could not be started."), path));
    return true;
}

bool Workspace::launchNewInstance(const QStringList& arguments, Error* error)
{
    return launchApplication(QCoreApplication::applicationFilePath(), arguments, error);
}

bool Workspace::isFilePackageAtPath(const QString& path) const
{
    return FileManager::isPackage(path);
}

QIcon Workspace::iconForFile(const QString& path) const
{
    QFileIconProvider provider;
    QIcon icon = provider.icon(QFileInfo(path));
    if (icon.isNull())
        icon = iconForFileType(QFileInfo(path).isDir() ? QStringLiteral("fldr") : QFileInfo(path).suffix());
    return icon;
}

QIcon Workspace::iconForFileType(const QString& type) const
{
    QFileIconProvider provider;
    QIcon icon;
    QString fallback;
    if (type == QLatin1String("fldr")) {
        icon = provider.icon(QFileIconProvider::Folder);
        fallback = QStringLiteral("GenericFolderIcon");
    } else {
        const QMimeType mime = QMimeDatabase().mimeTypeForFile(QStringLiteral("file.") + type, QMimeDatabase::MatchExtension);
        icon = QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName()));
        if (icon.isNull())
            icon = provider.icon(QFileIconProvider::File);
        fallback = QStringLiteral("GenericDocumentIcon");
    }
    if (icon.isNull() || (icon.availableSizes().isEmpty() && icon.pixmap(32).isNull())) {
        const QImage image = Bundle::main().imageForResource(fallback);
        if (!image.isNull())
            icon = QIcon(QPixmap::fromImage(image));
    }
    return icon;
}

QString Workspace::fullUserName()
{
    const passwd* account = getpwuid(getuid());
    if (!account)
        return qEnvironmentVariable("USER");
    const QString gecos = QString::fromLocal8Bit(account->pw_gecos ? account->pw_gecos : "");
    const QString name = gecos.section(QLatin1Char(','), 0, 0).trimmed();
    return name.isEmpty() ? QString::fromLocal8Bit(account->pw_name) : name;
}

} // namespace pf
