#include "platform/foundation/FileManager.h"

#include "platform/foundation/AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pf {

namespace {

// Deep enough for any real tree; comparing a deeper one answers "not equal" instead of recursing.
constexpr int kMaximumDepth = 256;

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(encoded(path).toStdString());
}

QString absolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString joined(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

bool lstatItem(const QString& path, struct stat* status)
{
    return ::lstat(encoded(path).constData(), status) == 0;
}

// The raw entry names of a folder, "." and ".." left out; nullopt with errno set on failure.
// Qt's listings pass over a folder they cannot read in silence, so this reads it directly.
std::optional<std::vector<QByteArray>> entryNames(const QByteArray& path, bool skipHidden)
{
    DIR* folder = ::opendir(path.constData());
    if (!folder)
        return std::nullopt;
    std::vector<QByteArray> names;
    errno = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const char* name = entry->d_name;
        const bool dots = std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
        if (!dots && !(skipHidden && name[0] == '.'))
            names.emplace_back(name);
        errno = 0;
    }
    const int posix = errno;
    ::closedir(folder);
    if (posix != 0) {
        errno = posix;
        return std::nullopt;
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool filesEqual(const QByteArray& first, const QByteArray& second)
{
    const int a = detail::openRegularFileAt(AT_FDCWD, first, false, {}, nullptr);
    if (a < 0)
        return false;
    const int b = detail::openRegularFileAt(AT_FDCWD, second, false, {}, nullptr);
    if (b < 0) {
        ::close(a);
        return false;
    }
    QFile fileA;
    QFile fileB;
    fileA.open(a, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    fileB.open(b, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    constexpr qint64 kChunk = 64 * 1024;
    for (;;) {
        const QByteArray chunkA = fileA.read(kChunk);
        const QByteArray chunkB = fileB.read(kChunk);
        if (chunkA != chunkB || fileA.error() != QFileDevice::NoError || fileB.error() != QFileDevice::NoError)
            return false;
        if (chunkA.isEmpty())
            return true;
    }
}

bool linksEqual(const QByteArray& first, const QByteArray& second)
{
    char a[PATH_MAX];
    char b[PATH_MAX];
    const ssize_t lengthA = ::readlink(first.constData(), a, sizeof a);
    const ssize_t lengthB = ::readlink(second.constData(), b, sizeof b);
    return lengthA >= 0 && lengthA == lengthB && std::memcmp(a, b, size_t(lengthA)) == 0;
}

bool itemsEqual(const QByteArray& first, const QByteArray& second, int depth)
{
    struct stat a {};
    struct stat b {};
    if (::lstat(first.constData(), &a) != 0 || ::lstat(second.constData(), &b) != 0)
        return false;
    if ((a.st_mode & S_IFMT) != (b.st_mode & S_IFMT))
        return false;
    if (S_ISREG(a.st_mode))
        return a.st_size == b.st_size && filesEqual(first, second);
    if (S_ISLNK(a.st_mode))
        return linksEqual(first, second);
    if (!S_ISDIR(a.st_mode) || depth > kMaximumDepth)
        return false;
    const auto namesA = entryNames(first, false);
    const auto namesB = entryNames(second, false);
    if (!namesA || !namesB || *namesA != *namesB)
        return false;
    for (const QByteArray& name : *namesA) {
        if (!itemsEqual(first + '/' + name, second + '/' + name, depth + 1))
            return false;
    }
    return true;
}

struct PackageExtensions {
    std::mutex mutex;
    QSet<QString> extensions;
};

PackageExtensions& packageExtensions()
{
    static PackageExtensions registry;
    return registry;
}

} // namespace

FileManager& FileManager::defaultManager()
{
    static FileManager manager;
    return manager;
}

QString FileManager::URLForDirectory(SearchPath directory, const QString& appropriateFor, bool create,
                                     Error* error) const
{
    Q_UNUSED(appropriateFor);
    QStandardPaths::StandardLocation location = QStandardPaths::GenericDataLocation;
    switch (directory) {
    case SearchPath::ApplicationSupport:
        location = QStandardPaths::GenericDataLocation;
        break;
    case SearchPath::Documents:
        location = QStandardPaths::DocumentsLocation;
        break;
    case SearchPath::Pictures:
        location = QStandardPaths::PicturesLocation;
        break;
    case SearchPath::Caches:
        location = QStandardPaths::GenericCacheLocation;
        break;
    }
    const QString path = QStandardPaths::writableLocation(location);
    if (path.isEmpty()) {
        fail(error, fileSystemError(kErrorFileNotFound,
                                    QStringLiteral("The folder “%1” couldn't be found.").arg(QStandardPaths::displayName(location)),
                                    {}, ENOENT));
        return {};
    }
    if (create && !createDirectory(path, true, error))
        return {};
    return path;
}

QString FileManager::temporaryDirectory() const
{
    return QDir::tempPath();
}

bool FileManager::createDirectory(const QString& path, bool intermediates, Error* error) const
{
    const QString target = absolute(path);
    const QString description = QStringLiteral("The folder “%1” couldn't be created.").arg(path);
    // Makes one folder; one that is there already, or appears meanwhile, is fine.
    auto make = [&](const QString& folder) {
        struct stat status {};
        if (::stat(encoded(folder).constData(), &status) == 0) {
            if (S_ISDIR(status.st_mode))
                return true;
            return fail(error, fileSystemError(kErrorFileWriteExists,
                                               QStringLiteral("The folder “%1” couldn't be created because a file named “%2” already exists.")
                                                   .arg(path, folder),
                                               path, EEXIST));
        }
        if (::mkdir(encoded(folder).constData(), 0777) == 0)
            return true;
        const int posix = errno;
        if (posix == EEXIST && ::stat(encoded(folder).constData(), &status) == 0 && S_ISDIR(status.st_mode))
            return true;
        if (posix == EEXIST)
            return fail(error, fileSystemError(kErrorFileWriteExists,
                                               QStringLiteral("The folder “%1” couldn't be created because a file named “%2” already exists.")
                                                   .arg(path, folder),
                                               path, EEXIST));
        return fail(error, fileSystemError(writeErrorCode(posix), description, path, posix));
    };
    if (intermediates) {
        for (qsizetype slash = target.indexOf(u'/', 1); slash > 0; slash = target.indexOf(u'/', slash + 1)) {
            if (!make(target.left(slash)))
                return false;
        }
    }
    return make(target);
}

bool FileManager::copyItem(const QString& from, const QString& to, Error* error) const
{
    const QString description = QStringLiteral("The item “%1” couldn't be copied to “%2”.").arg(from, to);
    struct stat source {};
    if (!lstatItem(from, &source)) {
        const int posix = errno;
        return fail(error, fileSystemError(readErrorCode(posix), description, from, posix));
    }
    struct stat destination {};
    if (lstatItem(to, &destination))
        return fail(error, fileSystemError(kErrorFileWriteExists,
                                           QStringLiteral("The item “%1” couldn't be copied to “%2” because an item with the same name already exists.")
                                               .arg(from, to),
                                           to, EEXIST));
    if (errno != ENOENT) {
        const int posix = errno;
        return fail(error, fileSystemError(writeErrorCode(posix), description, to, posix));
    }
    if (S_ISDIR(source.st_mode)) {
        // A folder copied into itself would keep finding the copy it is making.
        const QString sourceFolder = QFileInfo(from).canonicalFilePath();
        const QString destinationParent = QFileInfo(QFileInfo(absolute(to)).absolutePath()).canonicalFilePath();
        if (!destinationParent.isEmpty()
            && (destinationParent == sourceFolder || destinationParent.startsWith(joined(sourceFolder, {}))))
            return fail(error, fileSystemError(kErrorFileWrite,
                                               QStringLiteral("The folder “%1” couldn't be copied into itself.").arg(from), to,
                                               EINVAL));
    } else if (!S_ISREG(source.st_mode) && !S_ISLNK(source.st_mode)) {
        return fail(error, fileSystemError(kErrorFileRead,
                                           QStringLiteral("The item “%1” couldn't be copied because it isn't a file, folder or link.").arg(from),
                                           from, EINVAL));
    }

    std::error_code failure;
    std::filesystem::copy(fsPath(from), fsPath(to),
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks,
                          failure);
    if (failure) {
        // `to` did not exist before; a half-made copy is of no use to anyone.
        detail::removeTree(to);
        return fail(error, fileSystemError(writeErrorCode(failure.value()), description, to, failure.value()));
    }
    return true;
}

bool FileManager::moveItem(const QString& from, const QString& to, Error* error) const
{
    const QString description = QStringLiteral("The item “%1” couldn't be moved to “%2”.").arg(from, to);
    struct stat status {};
    if (!lstatItem(from, &status)) {
        const int posix = errno;
        return fail(error, fileSystemError(readErrorCode(posix), description, from, posix));
    }
    if (lstatItem(to, &status))
        return fail(error, fileSystemError(kErrorFileWriteExists,
                                           QStringLiteral("The item “%1” couldn't be moved to “%2” because an item with the same name already exists.")
                                               .arg(from, to),
                                           to, EEXIST));
    if (::rename(encoded(from).constData(), encoded(to).constData()) == 0)
        return true;
    const int posix = errno;
    if (posix == EXDEV)
        return copyItem(from, to, error) && removeItem(from, error);
    return fail(error, fileSystemError(writeErrorCode(posix), description, to, posix));
}

bool FileManager::removeItem(const QString& path, Error* error) const
{
    const QString description = QStringLiteral("The item “%1” couldn't be removed.").arg(path);
    struct stat status {};
    if (!lstatItem(path, &status)) {
        const int posix = errno;
        return fail(error, fileSystemError(readErrorCode(posix), description, path, posix));
    }
    if (const int posix = detail::removeTree(path))
        return fail(error, fileSystemError(writeErrorCode(posix), description, path, posix));
    return true;
}

bool FileManager::fileExists(const QString& path, bool* isDirectory) const
{
    struct stat status {};
    const bool exists = !path.isEmpty() && ::stat(encoded(path).constData(), &status) == 0;
    if (isDirectory)
        *isDirectory = exists && S_ISDIR(status.st_mode);
    return exists;
}

bool FileManager::contentsEqual(const QString& first, const QString& second) const
{
    return itemsEqual(encoded(first), encoded(second), 0);
}

QStringList FileManager::contentsOfDirectory(const QString& path, bool skipHidden, Error* error) const
{
    const auto names = entryNames(encoded(path), skipHidden);
    if (!names) {
        const int posix = errno;
        fail(error, fileSystemError(readErrorCode(posix), QStringLiteral("The folder “%1” couldn't be opened.").arg(path),
                                    path, posix));
        return {};
    }
    QStringList decoded;
    decoded.reserve(qsizetype(names->size()));
    for (const QByteArray& name : *names)
        decoded.append(QFile::decodeName(name));
    std::sort(decoded.begin(), decoded.end());
    QStringList paths;
    paths.reserve(decoded.size());
    for (const QString& name : decoded)
        paths.append(joined(path, name));
    return paths;
}

QVariantMap FileManager::attributesOfItem(const QString& path, Error* error) const
{
    struct stat status {};
    if (!lstatItem(path, &status)) {
        const int posix = errno;
        fail(error, fileSystemError(readErrorCode(posix),
                                    QStringLiteral("The attributes of “%1” couldn't be read.").arg(path), path, posix));
        return {};
    }
    QString type = NSFileTypeUnknown;
    if (S_ISDIR(status.st_mode))
        type = NSFileTypeDirectory;
    else if (S_ISREG(status.st_mode))
        type = NSFileTypeRegular;
    else if (S_ISLNK(status.st_mode))
        type = NSFileTypeSymbolicLink;
    const qint64 modified = qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000;
    return {
        {NSFileSize, qint64(status.st_size)},
        {NSFileModificationDate, QDateTime::fromMSecsSinceEpoch(modified)},
        {NSFileType, type},
    };
}

void FileManager::registerPackageExtension(const QString& extension)
{
    if (extension.isEmpty())
        return;
    PackageExtensions& registry = packageExtensions();
    std::lock_guard lock(registry.mutex);
    registry.extensions.insert(extension.toLower());
}

bool FileManager::isPackage(const QString& path)
{
    const QFileInfo info(path);
    const QString extension = info.suffix().toLower();
    if (extension.isEmpty() || !info.isDir())
        return false;
    PackageExtensions& registry = packageExtensions();
    std::lock_guard lock(registry.mutex);
    return registry.extensions.contains(extension);
}

} // namespace pf
