#include "platform/foundation/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <filesystem>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pf {

Error fileSystemError(int code, const QString& description, const QString& path, int posixError)
{
    QVariantMap info;
    info.insert(NSLocalizedDescriptionKey, description);
    info.insert(NSFilePathErrorKey, path);
    if (posixError != 0) {
        info.insert(NSLocalizedFailureReasonErrorKey, QString::fromLocal8Bit(std::strerror(posixError)));
        info.insert(NSUnderlyingErrorKey, QVariant::fromValue(Error(kPFPosixErrorDomain, posixError)));
    }
    return Error(kPFFoundationErrorDomain, code, info);
}

Error fileSystemError(int code, const QString& description, const QString& path, const QString& reason)
{
    QVariantMap info;
    info.insert(NSLocalizedDescriptionKey, description);
    info.insert(NSFilePathErrorKey, path);
    if (!reason.isEmpty())
        info.insert(NSLocalizedFailureReasonErrorKey, reason);
    return Error(kPFFoundationErrorDomain, code, info);
}

int readErrorCode(int posixError)
{
    switch (posixError) {
    case ENOENT:
        return kErrorFileNotFound;
    case EACCES:
    case EPERM:
        return kErrorFileReadNoPermission;
    case ENAMETOOLONG:
        return kErrorFileReadInvalidFileName;
    default:
        return kErrorFileRead;
    }
}

int writeErrorCode(int posixError)
{
    switch (posixError) {
    case ENOENT:
        return kErrorFileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return kErrorFileWriteNoPermission;
    case EEXIST:
        return kErrorFileWriteExists;
    case ENAMETOOLONG:
        return kErrorFileWriteInvalidFileName;
    case ENOSPC:
    case EDQUOT:
        return kErrorFileWriteOutOfSpace;
    default:
        return kErrorFileWrite;
    }
}

namespace {

QString couldNotSave(const QString& path)
{
    return QStringLiteral("The file “%1” couldn't be saved.").arg(path);
}

QString couldNotOpen(const QString& path)
{
    return QStringLiteral("The file “%1” couldn't be opened.").arg(path);
}

} // namespace

unsigned userFileMode()
{
    // The umask can only be read by setting it; put back at once. /proc shows it without
    // touching it, where /proc is there.
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (!line.startsWith("Umask:"))
                continue;
            bool ok = false;
            const unsigned mask = line.mid(6).trimmed().toUInt(&ok, 8);
            if (ok)
                return 0666u & ~mask;
        }
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666u & ~unsigned(mask);
}

bool giveUserFileMode(int fd)
{
    return fd >= 0 && ::fchmod(fd, mode_t(userFileMode())) == 0;
}

bool writeDataAtomically(const QByteArray& data, const QString& path, Error* error)
{
    const QFileInfo info(path);
    if (info.fileName().isEmpty())
        return fail(error, fileSystemError(kErrorFileWriteInvalidFileName, couldNotSave(path), path, EINVAL));
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        return fail(error, fileSystemError(kErrorFileNotFound,
                                           QStringLiteral("The file “%1” couldn't be saved because the folder “%2” doesn't exist.")
                                               .arg(path, folder),
                                           path, ENOENT));
    if (info.isDir())
        return fail(error, fileSystemError(kErrorFileWrite, couldNotSave(path), path, EISDIR));

    // Without a temporary file in the folder there is no atomic replace; never fall back to
    // writing over the old file.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        const int posix = errno;
        return fail(error, fileSystemError(writeErrorCode(posix), couldNotSave(path), path, file.errorString()));
    }
    // QSaveFile buffers what it is given and its commit neither reports a failure to write that
    // buffer out nor one to sync the file, and would put a short or unsynced file in place of
    // the old one: both are checked here, before anything replaces it.
    if (file.write(data) != data.size() || !file.flush()) {
        const int posix = errno;
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(error, fileSystemError(writeErrorCode(posix), couldNotSave(path), path, reason));
    }
    if (::fdatasync(file.handle()) != 0 && errno != EINVAL) {
        const int posix = errno;
        file.cancelWriting();
        return fail(error, fileSystemError(writeErrorCode(posix), couldNotSave(path), path, posix));
    }
    if (!file.commit()) {
        const int posix = errno;
        return fail(error, fileSystemError(writeErrorCode(posix), couldNotSave(path), path, file.errorString()));
    }
    return true;
}

QByteArray readData(const QString& path, bool mapped, Error* error)
{
    Q_UNUSED(mapped);
    return detail::readRegularFileAt(AT_FDCWD, QFile::encodeName(path), true, path, error);
}

namespace detail {

int openRegularFileAt(int dirFd, const QByteArray& name, bool followLink, const QString& displayPath,
                      Error* error)
{
    // O_NONBLOCK keeps a FIFO from stalling the open; it has no effect on regular files.
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    if (!followLink)
        flags |= O_NOFOLLOW;
    const int fd = ::openat(dirFd, name.constData(), flags);
    if (fd < 0) {
        const int posix = errno;
        fail(error, fileSystemError(readErrorCode(posix), couldNotOpen(displayPath), displayPath, posix));
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int posix = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        fail(error, fileSystemError(kErrorFileRead,
                                    QStringLiteral("The file “%1” couldn't be opened because it isn't a regular file.")
                                        .arg(displayPath),
                                    displayPath, posix));
        return -1;
    }
    return fd;
}

QByteArray readRegularFileAt(int dirFd, const QByteArray& name, bool followLink, const QString& displayPath,
                             Error* error)
{
    const int fd = openRegularFileAt(dirFd, name, followLink, displayPath, error);
    if (fd < 0)
        return {};
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        fail(error, fileSystemError(kErrorFileRead, couldNotOpen(displayPath), displayPath));
        return {};
    }
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        fail(error, fileSystemError(kErrorFileRead, couldNotOpen(displayPath), displayPath, file.errorString()));
        return {};
    }
    if (data.isNull())
        data = QByteArray("");
    return data;
}

int removeTree(const QString& path)
{
    std::error_code failure;
    std::filesystem::remove_all(std::filesystem::path(QFile::encodeName(path).toStdString()), failure);
    return failure.value();
}

} // namespace detail

} // namespace pf
