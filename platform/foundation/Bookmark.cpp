#include "platform/foundation/Bookmark.h"

#include "platform/foundation/PropertyList.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QVariantMap>

#include <atomic>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace pf {

namespace {

const QString kPathKey = QStringLiteral("path");
const QString kDeviceKey = QStringLiteral("device");
const QString kInodeKey = QStringLiteral("inode");
const QString kVolumeRootKey = QStringLiteral("volumeRoot");
const QString kModificationDateKey = QStringLiteral("modificationDate");

std::atomic<bool> refusesSecurityScopedAccess{false};

struct Identity {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const Identity&) const = default;
};

// Fills `status` and answers true, or answers false with errno set.
bool statPath(const QString& path, struct stat* status)
{
    return ::stat(QFile::encodeName(path).constData(), status) == 0;
}

Identity identityOf(const struct stat& status)
{
    return Identity{quint64(status.st_dev), quint64(status.st_ino)};
}

Error posixError(int code, const QString& description, const QString& path, int posixCode)
{
    QVariantMap info{{NSLocalizedDescriptionKey, description}, {NSFilePathErrorKey, path}};
    if (posixCode != 0) {
        info.insert(NSLocalizedFailureReasonErrorKey, QString::fromLocal8Bit(std::strerror(posixCode)));
        info.insert(NSUnderlyingErrorKey, QVariant::fromValue(Error(kPFPosixErrorDomain, posixCode)));
    }
    return Error(kPFFoundationErrorDomain, code, info);
}

Error notFound(const QString& path)
{
    return posixError(kErrorFileNotFound,
                      QStringLiteral("The file “%1” couldn't be found.").arg(QFileInfo(path).fileName()), path, ENOENT);
}

Error damaged(const QString& reason, const Error& underlying = {})
{
    QVariantMap info{{NSLocalizedDescriptionKey, QStringLiteral("The bookmark data is damaged: %1.").arg(reason)}};
    if (!underlying.isNull())
        info.insert(NSUnderlyingErrorKey, QVariant::fromValue(underlying));
    return Error(kPFFoundationErrorDomain, kErrorFileReadCorrupt, info);
}

bool isInteger(const QVariant& value)
{
    return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::ULongLong;
}

// A renamed file keeps its device and inode; look for it among its old neighbours.
QString findInFolder(const QString& folder, const Identity& identity)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString candidate = dir.filePath(name);
        struct stat status {};
        if (statPath(candidate, &status) && identityOf(status) == identity)
            return candidate;
    }
    return {};
}

} // namespace

QByteArray Bookmark::create(const QString& path, int options, Error* error)
{
    Q_UNUSED(options);
    if (path.isEmpty()) {
        fail(error, notFound(path));
        return {};
    }
    const QString absolutePath = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    struct stat status {};
    if (!statPath(absolutePath, &status)) {
        const int code = errno;
        if (code == ENOENT || code == ENOTDIR)
            fail(error, notFound(absolutePath));
        else
            fail(error, posixError(kErrorFileRead, QStringLiteral("The file “%1” couldn't be bookmarked.")
                                                       .arg(QFileInfo(absolutePath).fileName()), absolutePath, code));
        return {};
    }
    const qint64 modifiedMSecs = qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000;
    const QVariantMap record{
        {kPathKey, absolutePath},
        {kDeviceKey, qulonglong(status.st_dev)},
        {kInodeKey, qulonglong(status.st_ino)},
        {kVolumeRootKey, QStorageInfo(absolutePath).rootPath()},
        {kModificationDateKey, QDateTime::fromMSecsSinceEpoch(modifiedMSecs, Qt::UTC)},
    };
    return PropertyList::data(record, PropertyListFormat::Binary, error);
}

QString Bookmark::resolve(const QByteArray& data, int options, bool* stale, Error* error)
{
    Q_UNUSED(options);
    if (stale)
        *stale = false;
    Error parseError;
    const QVariant parsed = PropertyList::value(data, nullptr, &parseError);
    if (!parseError.isNull()) {
        fail(error, damaged(QStringLiteral("it is not a property list"), parseError));
        return {};
    }
    if (parsed.typeId() != QMetaType::QVariantMap) {
        fail(error, damaged(QStringLiteral("it does not hold a bookmark record")));
        return {};
    }
    const QVariantMap record = parsed.toMap();
    const QVariant pathValue = record.value(kPathKey);
    const QString path = pathValue.toString();
    if (pathValue.typeId() != QMetaType::QString || !QDir::isAbsolutePath(path)
        || !isInteger(record.value(kDeviceKey)) || !isInteger(record.value(kInodeKey))
        || record.value(kVolumeRootKey).typeId() != QMetaType::QString
        || record.value(kModificationDateKey).typeId() != QMetaType::QDateTime) {
        fail(error, damaged(QStringLiteral("its record is incomplete")));
        return {};
    }
    const Identity recorded{record.value(kDeviceKey).toULongLong(), record.value(kInodeKey).toULongLong()};

    struct stat status {};
    if (statPath(path, &status)) {
        if (stale)
            *stale = identityOf(status) != recorded;
        return path;
    }
    const int code = errno;
    if (code != ENOENT && code != ENOTDIR) {
        fail(error, posixError(kErrorFileRead, QStringLiteral("The file “%1” couldn't be reached.")
                                                   .arg(QFileInfo(path).fileName()), path, code));
        return {};
    }
    const QString moved = findInFolder(QFileInfo(path).absolutePath(), recorded);
    if (moved.isEmpty()) {
        fail(error, notFound(path));
        return {};
    }
    if (stale)
        *stale = true;
    return moved;
}

bool Bookmark::startAccessingSecurityScopedResource(const QString& path)
{
    Q_UNUSED(path);
    return !refusesSecurityScopedAccess.load();
}

void Bookmark::stopAccessingSecurityScopedResource(const QString& path)
{
    Q_UNUSED(path);
}

void Bookmark::setRefusesSecurityScopedAccessForTesting(bool refuses)
{
    refusesSecurityScopedAccess.store(refuses);
}

} // namespace pf
