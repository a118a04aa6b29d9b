#include "app/VNQLApplicationMigrator.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/FileManager.h"
#include "platform/ui/Bundle.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QUuid>

namespace {

QString userSupportFolder(pf::Error* error)
{
    return pf::FileManager::defaultManager().URLForDirectory(pf::FileManager::SearchPath::ApplicationSupport, {},
                                                             false, error);
}

bool makeFolder(const QString& path, QString* problem)
{
    if (QFileInfo(path).isDir())
        return true;
    if (QDir().mkpath(path) && QFileInfo(path).isDir())
        return true;
    *problem = QFileInfo::exists(path) ? QStringLiteral("a file is in the way") : QStringLiteral("the folder could not be made");
    return false;
}

// Copies a file or a whole folder. Symbolic links are skipped, so that a collection never
// drags in files from elsewhere on the disk.
bool copyItem(const QString& source, const QString& target, QString* problem)
{
    const QFileInfo info(source);
    if (info.isSymLink())
        return true;
    if (info.isDir()) {
        if (!QDir().mkdir(target)) {
            *problem = QStringLiteral("could not create %1").arg(target);
            return false;
        }
        const QDir folder(source);
        const QFileInfoList entries =
            folder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo& entry : entries) {
            if (!copyItem(entry.filePath(), QDir(target).filePath(entry.fileName()), problem))
                return false;
        }
        return true;
    }
    if (!info.isFile()) {
        *problem = QStringLiteral("%1 is not there").arg(source);
        return false;
    }
    QFile file(source);
    if (!file.copy(target)) {
        *problem = file.errorString();
        return false;
    }
    return true;
}

// The first of "<base>", "<base> 2.<ext>", "<base> 3.<ext>"... not present in `folder`.
QString freeName(const QString& folder, const QString& name)
{
    const QFileInfo info(name);
    const QString base = info.completeBaseName();
    const QString extension = info.suffix();
    QString candidate = name;
    for (unsigned long counter = 2; QFileInfo::exists(QDir(folder).filePath(candidate)); ++counter) {
        candidate = QStringLiteral("%1 %2").arg(base).arg(counter);
        if (!extension.isEmpty())
            candidate += QLatin1Char('.') + extension;
    }
    return candidate;
}

QFileInfoList visibleEntries(const QString& folder, bool* ok)
{
    const QDir dir(folder);
    *ok = dir.exists() && dir.isReadable();
    if (!*ok)
        return {};
    return dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

QUrl VNQLApplicationMigrator::appSupportFolder()
{
    pf::Error error;
    const QString base = userSupportFolder(&error);
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        RVLog(kFileEvent, QStringLiteral("Failed to locate ~/Library/Application Support/, error: %1").arg(error.description()));
        return {};
    }
    const QString folder = QDir(base).filePath(pf::Bundle::main().bundleIdentifier());
    QString problem;
    if (!makeFolder(folder, &problem)) {
        RVLog(kFileEvent, QStringLiteral("Unable to create URL on disk: %1, error: %2").arg(folder, problem));
        return {};
    }
    return QUrl::fromLocalFile(folder);
}

QUrl VNQLApplicationMigrator::quilloryAppStoreSupportFolder()
{
    // The store edition ran sandboxed, with its own data folder inside its container.
    return QUrl::fromLocalFile(QDir::home().filePath(QStringLiteral(".var/app/") + kEarlierStoreIdentifier
                                                     + QStringLiteral("/data")));
}

QList<QUrl> VNQLApplicationMigrator::earlierSupportFolders()
{
    pf::Error error;
    const QString base = userSupportFolder(&error);
    if (base.isEmpty() || QDir::isRelativePath(base))
        return {};
    return {QUrl::fromLocalFile(QDir(base).filePath(kEarlierStoreIdentifier)),
            QUrl::fromLocalFile(QDir(base).filePath(kEarlierDirectIdentifier)), quilloryAppStoreSupportFolder()};
}

QList<QUrl> VNQLApplicationMigrator::existingSubfolders(const QString& name)
{
    QList<QUrl> found;
    for (const QUrl& folder : earlierSupportFolders()) {
        const QString path = QDir(folder.toLocalFile()).filePath(name);
        if (QFileInfo(path).isDir())
            found.append(QUrl::fromLocalFile(path));
    }
    return found;
}

QList<QUrl> VNQLApplicationMigrator::URLsOfCollectionsToMigrate()
{
    return existingSubfolders(kCollectionsFolderName);
}

QList<QUrl> VNQLApplicationMigrator::URLsOfTemplatesToMigrate()
{
    return existingSubfolders(kTemplatesFolderName);
}

bool VNQLApplicationMigrator::hasMigrated()
{
    pf::Error error;
    const QString base = userSupportFolder(&error);
    if (base.isEmpty())
        return false;
    const QString marker = QDir(QDir(base).filePath(pf::Bundle::main().bundleIdentifier())).filePath(kMarkerFileName);
    return QFileInfo::exists(marker);
}

bool VNQLApplicationMigrator::migrateFromEarlierVersion()
{
    if (hasMigrated())
        return true;
    // Without a support folder there is nowhere to put anything, the marker included: the
    // next launch tries again.
    const QUrl support = appSupportFolder();
    if (support.isEmpty())
        return false;
    RVLog(kFileEvent, QStringLiteral("Looking for older version User Content for migration..."));
    bool result = false;
    for (const QUrl& folder : URLsOfCollectionsToMigrate()) {
        bool ok = false;
        const QFileInfoList entries = visibleEntries(folder.toLocalFile(), &ok);
        if (!ok) {
            RVLog(kFileEvent, QStringLiteral("Unable to migrate %1 because an error occurred: %2")
                                  .arg(folder.toLocalFile(), QStringLiteral("the folder cannot be read")));
            continue;
        }
        for (const QFileInfo& entry : entries) {
            if (entry.suffix().compare(kCollectionExtension, Qt::CaseInsensitive) != 0)
                continue;
            result = migrateSymbolLibrary(QUrl::fromLocalFile(entry.filePath()));
            if (result)
                RVLog(kFileEvent, QStringLiteral("Migrated Symbol Library from %1").arg(entry.filePath()));
        }
    }
    for (const QUrl& folder : URLsOfTemplatesToMigrate()) {
        bool ok = false;
        const QFileInfoList entries = visibleEntries(folder.toLocalFile(), &ok);
        for (const QFileInfo& entry : entries) {
            result = migrateTemplate(QUrl::fromLocalFile(entry.filePath()));
            if (result)
                RVLog(kFileEvent, QStringLiteral("Migrated Template from %1").arg(entry.filePath()));
        }
    }
    QSaveFile marker(QDir(support.toLocalFile()).filePath(kMarkerFileName));
    const QByteArray text = QStringLiteral("migrated:%1").arg(QDateTime::currentDateTime().toString(Qt::ISODate)).toUtf8();
    if (!marker.open(QIODevice::WriteOnly) || marker.write(text) != text.size() || !marker.commit())
        RVLog(kFileEvent, QStringLiteral("could not write the migration marker: %1").arg(marker.errorString()));
    RVLog(kFileEvent, QStringLiteral("Migration complete."));
    return result;
}

bool VNQLApplicationMigrator::migrateSymbolLibrary(const QUrl& collection)
{
    const QUrl support = appSupportFolder();
    if (support.isEmpty())
        return false;
    const QString destination = QDir(support.toLocalFile()).filePath(kCollectionsFolderName);
    QString problem;
    if (!makeFolder(destination, &problem)) {
        RVLog(kFileEvent, QStringLiteral("could not create directory, error = %1").arg(problem));
        return false;
    }
    const QFileInfo source(collection.toLocalFile());
    const QString name = freeName(destination, source.fileName());
    const QString target = QDir(destination).filePath(name);
    // Copied under a temporary name and moved into place only when whole, so that the library
    // never finds a half-copied collection, nor one whose catalogue does not match its name.
    const QString staging = QDir(destination).filePath(
        QStringLiteral(".migrating-%1").arg(QUuid::createUuid().toString(QUuid::WithoutBraces)));
    auto discard = [&staging] { QDir(staging).removeRecursively(); };
    if (!copyItem(source.filePath(), staging, &problem)) {
        RVLog(kFileEvent, QStringLiteral("Failed to copy %1 to %2, error: %3").arg(source.filePath(), target, problem));
        discard();
        return false;
    }
    if (name != source.fileName()) {
        const QString oldCatalogue = QDir(staging).filePath(source.completeBaseName() + QLatin1Char('.') + kCatalogueExtension);
        const QString newCatalogue = QDir(staging).filePath(QFileInfo(name).completeBaseName() + QLatin1Char('.') + kCatalogueExtension);
        if (!QFile::rename(oldCatalogue, newCatalogue)) {
            RVLog(kFileEvent, QStringLiteral("An error occurred when renaming the catalogue file at %1, error: %2")
                                  .arg(oldCatalogue, QStringLiteral("it could not be renamed")));
            discard();
            return false;
        }
    }
    if (QFileInfo::exists(target) || !QDir().rename(staging, target)) {
        RVLog(kFileEvent, QStringLiteral("Failed to copy %1 to %2, error: %3")
                              .arg(source.filePath(), target, QStringLiteral("the copy could not be moved into place")));
        discard();
        return false;
    }
    return true;
}

bool VNQLApplicationMigrator::migrateTemplate(const QUrl& templateURL)
{
    const QUrl support = appSupportFolder();
    if (support.isEmpty())
        return false;
    const QString destination =
        QDir(support.toLocalFile()).filePath(kTemplatesFolderName + QLatin1Char('/') + kMigratedTemplatesFolderName);
    QString problem;
    if (!makeFolder(destination, &problem)) {
        RVLog(kFileEvent, QStringLiteral("Unable to create folder for migrated Templates at %1, error: %2").arg(destination, problem));
        return false;
    }
    const QFileInfo source(templateURL.toLocalFile());
    const QString target = QDir(destination).filePath(freeName(destination, source.fileName()));
    if (!copyItem(source.filePath(), target, &problem)) {
        RVLog(kFileEvent, QStringLiteral("Failed to copy item at %1 because an error occurred: %2").arg(source.filePath(), problem));
        // A template package copied in part is no template: leave nothing behind.
        if (QFileInfo(target).isDir())
            QDir(target).removeRecursively();
        return false;
    }
    return true;
}
