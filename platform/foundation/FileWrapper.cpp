#include "platform/foundation/FileWrapper.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pf {

namespace {

// Deep enough for any real package; a hostile tree nested deeper is refused, not recursed into.
constexpr int kMaximumDepth = 256;

std::mutex& hookMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::function<bool(const QString&)>& failureHook()
{
    static std::function<bool(const QString&)> hook;
    return hook;
}

std::atomic<bool> g_renameExchangeEnabled{true};

bool injectedFailure(const QString& path)
{
    std::function<bool(const QString&)> hook;
    {
        std::lock_guard lock(hookMutex());
        hook = failureHook();
    }
    return hook && hook(path);
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

QString joined(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QString couldNotRead(const QString& path)
{
    return QStringLiteral("The file “%1” couldn't be opened.").arg(path);
}

QString couldNotSave(const QString& path)
{
    return QStringLiteral("The file “%1” couldn't be saved.").arg(path);
}

QString posixReason(int posix)
{
    return QString::fromLocal8Bit(std::strerror(posix));
}

// ---- Reading ----

class TreeReader {
public:
    explicit TreeReader(Error* error) : m_error(error) {}

    FileWrapperRef read(int dirFd, const QByteArray& name, const QString& path, int depth);

private:
    FileWrapperRef readLink(int dirFd, const QByteArray& name, const QString& path);
    FileWrapperRef readFolder(int dirFd, const QByteArray& name, const QString& path, int depth);
    FileWrapperRef failed(int code, const QString& description, const QString& path, int posix)
    {
        fail(m_error, fileSystemError(code, description, path, posix));
        return {};
    }

    Error* m_error;
    // The folders being read, from the top down, to refuse a tree that contains itself.
    std::vector<std::pair<dev_t, ino_t>> m_openFolders;
};

FileWrapperRef TreeReader::read(int dirFd, const QByteArray& name, const QString& path, int depth)
{
    struct stat status {};
    if (::fstatat(dirFd, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        const int posix = errno;
        return failed(readErrorCode(posix), couldNotRead(path), path, posix);
    }
    if (S_ISLNK(status.st_mode))
        return readLink(dirFd, name, path);
    if (S_ISDIR(status.st_mode))
        return readFolder(dirFd, name, path, depth);
    if (S_ISREG(status.st_mode)) {
        QByteArray contents = detail::readRegularFileAt(dirFd, name, false, path, m_error);
        if (contents.isNull())
            return {};
        return FileWrapper::regularFile(std::move(contents));
    }
    // A FIFO, socket or device has no contents to keep, and opening one could block.
    return failed(kErrorFileRead,
                  QStringLiteral("The file “%1” couldn't be opened because it isn't a file, folder or link.").arg(path),
                  path, EINVAL);
}

FileWrapperRef TreeReader::readLink(int dirFd, const QByteArray& name, const QString& path)
{
    QByteArray destination(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlinkat(dirFd, name.constData(), destination.data(), destination.size());
    if (length < 0) {
        const int posix = errno;
        return failed(readErrorCode(posix), couldNotRead(path), path, posix);
    }
    if (length >= destination.size())
        return failed(kErrorFileRead, couldNotRead(path), path, ENAMETOOLONG);
    destination.truncate(length);
    return FileWrapper::symbolicLink(QFile::decodeName(destination));
}

FileWrapperRef TreeReader::readFolder(int dirFd, const QByteArray& name, const QString& path, int depth)
{
    if (depth > kMaximumDepth)
        return failed(kErrorFileReadCorrupt,
                      QStringLiteral("The folder “%1” couldn't be opened because it is nested too deeply.").arg(path),
                      path, ELOOP);
    // O_NOFOLLOW: the entry was a folder when examined; if it has become a link since, refuse it
    // rather than read whatever it points at.
    const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int posix = errno;
        return failed(readErrorCode(posix), couldNotRead(path), path, posix);
    }
    DIR* folder = ::fdopendir(fd);
    if (!folder) {
        const int posix = errno;
        ::close(fd);
        return failed(readErrorCode(posix), couldNotRead(path), path, posix);
    }
    auto closeFolder = qScopeGuard([folder] { ::closedir(folder); });

    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        const int posix = errno;
        return failed(readErrorCode(posix), couldNotRead(path), path, posix);
    }
    const std::pair<dev_t, ino_t> identity(status.st_dev, status.st_ino);
    for (const auto& open : m_openFolders) {
        if (open == identity)
            return failed(kErrorFileReadCorrupt,
                          QStringLiteral("The folder “%1” couldn't be opened because it contains itself.").arg(path),
                          path, ELOOP);
    }

    std::vector<QByteArray> names;
    errno = 0;
    while (const dirent* entry = ::readdir(folder)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
        errno = 0;
    }
    if (errno != 0) {
        const int posix = errno;
        return failed(readErrorCode(posix), couldNotRead(path), path, posix);
    }

    m_openFolders.push_back(identity);
    auto leaveFolder = qScopeGuard([this] { m_openFolders.pop_back(); });
    QMap<QString, FileWrapperRef> children;
    for (const QByteArray& childName : names) {
        const QString key = QFile::decodeName(childName);
        const QString childPath = joined(path, key);
        // Two names that decode alike would overwrite one another when written back.
        if (children.contains(key))
            return failed(kErrorFileReadInvalidFileName,
                          QStringLiteral("The file “%1” couldn't be opened because its name is not valid.").arg(childPath),
                          childPath, EILSEQ);
        FileWrapperRef child = read(fd, childName, childPath, depth + 1);
        if (!child)
            return {};
        children.insert(key, std::move(child));
    }
    return FileWrapper::directory(std::move(children));
}

// ---- Writing ----

bool validateTree(const FileWrapper& wrapper, const QString& target, const QString& relative, Error* error)
{
    for (auto it = wrapper.fileWrappers().cbegin(); it != wrapper.fileWrappers().cend(); ++it) {
        const QString name = relative.isEmpty() ? it.key() : relative + u'/' + it.key();
        if (!FileWrapper::isValidFilename(it.key())) {
            QString shown = name;
            shown.replace(QChar(u'\0'), QStringLiteral("\\0"));
            return fail(error, fileSystemError(kErrorFileWriteInvalidFileName,
                                               QStringLiteral("The file “%1” couldn't be saved because the name “%2” inside it is not valid.")
                                                   .arg(target, shown),
                                               target, EINVAL));
        }
        if (!validateTree(*it.value(), target, name, error))
            return false;
    }
    return true;
}

QString randomSuffix()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QChar::fromLatin1(letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
    return suffix;
}

// Makes a folder's entries durable; answers the error number, 0 when they are (or when the
// file system cannot sync a folder).
int syncFolder(const QString& path)
{
    const int fd = ::open(encoded(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int posix = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP ? 0 : errno;
    ::close(fd);
    return posix;
}

// Writes a tree into a fresh temporary folder, then swaps it with the target.
class TreeWriter {
public:
    TreeWriter(QString target, Error* error) : m_target(std::move(target)), m_error(error) {}

    // Creates "<name>.tmp-XXXXXX" next to the target; empty on failure.
    QString makeTemporaryFolder();
    bool writeItem(const FileWrapper& wrapper, const QString& path);
    bool writeChildren(const FileWrapper& folder, const QString& path);
    // Moves `item` to the target. When something was there, it ends up at `item` (exchanged)
    // or is removed.
    bool moveIntoPlace(const QString& item);

private:
    bool failed(int code, const QString& item, const QString& reason)
    {
        const QString shown = m_temporaryFolder.isEmpty() || !item.startsWith(m_temporaryFolder)
                                  ? reason
                                  : QStringLiteral("%1 (%2)").arg(reason, item.mid(m_temporaryFolder.size() + 1));
        return fail(m_error, fileSystemError(code, couldNotSave(m_target), m_target, shown));
    }
    bool failedPosix(int posix, const QString& item) { return failed(writeErrorCode(posix), item, posixReason(posix)); }
    // Whether the testing hook makes the write fail at `item`; fills the error when it does.
    bool injected(const QString& item)
    {
        if (!injectedFailure(item))
            return false;
        failed(kErrorFileWrite, item, QStringLiteral("The write was interrupted."));
        return true;
    }

    QString m_target;
    QString m_temporaryFolder;
    Error* m_error;
};

QString TreeWriter::makeTemporaryFolder()
{
    const QFileInfo info(m_target);
    const QString prefix = joined(info.absolutePath(), info.fileName() + QStringLiteral(".tmp-"));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = prefix + randomSuffix();
        // Not mkdtemp: that makes the folder private, and this folder becomes the package.
        if (::mkdir(encoded(candidate).constData(), 0777) == 0) {
            m_temporaryFolder = candidate;
            return candidate;
        }
        if (errno != EEXIST) {
            failedPosix(errno, candidate);
            return {};
        }
    }
    failedPosix(EEXIST, prefix);
    return {};
}

bool TreeWriter::writeItem(const FileWrapper& wrapper, const QString& path)
{
    if (injected(path))
        return false;
    switch (wrapper.kind()) {
    case FileWrapper::Kind::RegularFile: {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return failed(kErrorFileWrite, path, file.errorString());
        const QByteArray& contents = wrapper.regularFileContents();
        if (file.write(contents) != contents.size() || !file.flush())
            return failed(kErrorFileWrite, path, file.errorString());
        if (::fsync(file.handle()) != 0)
            return failedPosix(errno, path);
        return true;
    }
    case FileWrapper::Kind::SymbolicLink:
        if (::symlink(encoded(wrapper.symbolicLinkDestination()).constData(), encoded(path).constData()) != 0)
            return failedPosix(errno, path);
        return true;
    case FileWrapper::Kind::Directory:
        if (::mkdir(encoded(path).constData(), 0777) != 0)
            return failedPosix(errno, path);
        return writeChildren(wrapper, path);
    }
    return false;
}

bool TreeWriter::writeChildren(const FileWrapper& folder, const QString& path)
{
    for (auto it = folder.fileWrappers().cbegin(); it != folder.fileWrappers().cend(); ++it) {
        if (!writeItem(*it.value(), joined(path, it.key())))
            return false;
    }
    // A folder whose entries may not be on disk is no package to put in place of the old one.
    if (const int posix = syncFolder(path))
        return failedPosix(posix, path);
    return true;
}

bool TreeWriter::moveIntoPlace(const QString& item)
{
    const QByteArray target = encoded(m_target);
    struct stat status {};
    if (::lstat(target.constData(), &status) != 0) {
        if (errno != ENOENT)
            return failedPosix(errno, m_target);
        if (injected(m_target))
            return false;
        if (::rename(encoded(item).constData(), target.constData()) != 0)
            return failedPosix(errno, m_target);
        return true;
    }

    if (g_renameExchangeEnabled.load()) {
        if (injected(m_target))
            return false;
        if (::renameat2(AT_FDCWD, encoded(item).constData(), AT_FDCWD, target.constData(), RENAME_EXCHANGE) == 0)
            return true;
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return failedPosix(errno, m_target);
    }

    // The file system cannot exchange: move the old item aside, the new one in, and put the
    // old one back if the new one cannot take its place.
    const QFileInfo info(m_target);
    QString aside;
    for (int attempt = 0; attempt < 100 && aside.isEmpty(); ++attempt) {
        const QString candidate = joined(info.absolutePath(), info.fileName() + QStringLiteral(".old-") + randomSuffix());
        struct stat existing {};
        if (::lstat(encoded(candidate).constData(), &existing) != 0 && errno == ENOENT)
            aside = candidate;
    }
    if (aside.isEmpty())
        return failedPosix(EEXIST, m_target);
    if (::rename(target.constData(), encoded(aside).constData()) != 0)
        return failedPosix(errno, m_target);
    int posix = 0;
    if (injectedFailure(m_target))
        posix = EIO;
    else if (::rename(encoded(item).constData(), target.constData()) != 0)
        posix = errno;
    if (posix != 0) {
        if (::rename(encoded(aside).constData(), target.constData()) != 0) {
            PF_LOG("The old contents of \"%s\" could not be put back; they are in \"%s\".", qUtf8Printable(m_target),
                   qUtf8Printable(aside));
            return failed(writeErrorCode(posix), m_target,
                          QStringLiteral("%1; the old contents are in “%2”").arg(posixReason(posix), aside));
        }
        return failedPosix(posix, m_target);
    }
    if (const int removal = detail::removeTree(aside))
        PF_LOG("The old contents of \"%s\" could not be removed from \"%s\": %s", qUtf8Printable(m_target),
               qUtf8Printable(aside), std::strerror(removal));
    return true;
}

} // namespace

// ---- FileWrapper ----

FileWrapperRef FileWrapper::regularFile(QByteArray contents)
{
    FileWrapperRef wrapper(new FileWrapper(Kind::RegularFile));
    wrapper->m_contents = std::move(contents);
    return wrapper;
}

FileWrapperRef FileWrapper::directory(QMap<QString, FileWrapperRef> children)
{
    FileWrapperRef wrapper(new FileWrapper(Kind::Directory));
    for (auto it = children.begin(); it != children.end(); ++it) {
        PF_PARAMETER_ASSERT(it.value() != nullptr);
        it.value()->setFilename(it.key());
        if (it.value()->preferredFilename().isEmpty())
            it.value()->setPreferredFilename(it.key());
    }
    wrapper->m_children = std::move(children);
    return wrapper;
}

FileWrapperRef FileWrapper::symbolicLink(QString destination)
{
    FileWrapperRef wrapper(new FileWrapper(Kind::SymbolicLink));
    wrapper->m_linkDestination = std::move(destination);
    return wrapper;
}

FileWrapperRef FileWrapper::readFromPath(const QString& path, Error* error)
{
    const QString clean = QDir::cleanPath(path);
    TreeReader reader(error);
    FileWrapperRef wrapper = reader.read(AT_FDCWD, encoded(clean), clean, 0);
    if (wrapper) {
        const QString name = QFileInfo(clean).fileName();
        wrapper->setFilename(name);
        wrapper->setPreferredFilename(name);
    }
    return wrapper;
}

bool FileWrapper::isValidFilename(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(QChar(u'\0'));
}

QString FileWrapper::filenameWithoutExtension() const
{
    const QString& name = m_filename.isEmpty() ? m_preferredFilename : m_filename;
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

bool FileWrapper::contains(const FileWrapper* wrapper) const
{
    if (this == wrapper)
        return true;
    for (const FileWrapperRef& child : m_children) {
        if (child->contains(wrapper))
            return true;
    }
    return false;
}

QString FileWrapper::addFileWrapper(const FileWrapperRef& child)
{
    PF_PARAMETER_ASSERT(child != nullptr);
    PF_ASSERT(isDirectory(), "Only a directory file wrapper has children");
    for (auto it = m_children.cbegin(); it != m_children.cend(); ++it) {
        if (it.value() == child)
            return it.key();
    }
    const QString wanted = child->preferredFilename().isEmpty() ? child->filename() : child->preferredFilename();
    if (!isValidFilename(wanted) || child->contains(this))
        return {};

    QString name = wanted;
    if (m_children.contains(name)) {
        const qsizetype dot = wanted.lastIndexOf(u'.');
        const QString stem = dot > 0 ? wanted.left(dot) : wanted;
        const QString extension = dot > 0 ? wanted.mid(dot) : QString();
        for (int number = 2; m_children.contains(name); ++number)
            name = QStringLiteral("%1 %2%3").arg(stem).arg(number).arg(extension);
    }
    child->setFilename(name);
    m_children.insert(name, child);
    return name;
}

QString FileWrapper::addRegularFile(QByteArray contents, const QString& preferredName)
{
    FileWrapperRef file = regularFile(std::move(contents));
    file->setPreferredFilename(preferredName);
    return addFileWrapper(file);
}

void FileWrapper::removeFileWrapper(const FileWrapperRef& child)
{
    for (auto it = m_children.begin(); it != m_children.end(); ++it) {
        if (it.value() == child) {
            m_children.erase(it);
            return;
        }
    }
}

void FileWrapper::updateFilenames(const QString& name)
{
    m_filename = name;
    for (auto it = m_children.cbegin(); it != m_children.cend(); ++it)
        it.value()->updateFilenames(it.key());
}

bool FileWrapper::writeToPath(const QString& path, int options, Error* error)
{
    // The name is judged as given: "", "." or "a/.." would otherwise name the current folder
    // (or its parent) once made absolute, and writing would replace it.
    const QString clean = QDir::cleanPath(path);
    const QString name = QFileInfo(clean).fileName();
    const QFileInfo info(QDir::cleanPath(QFileInfo(clean).absoluteFilePath()));
    const QString target = info.absoluteFilePath();
    if (path.isEmpty() || !isValidFilename(name))
        return fail(error, fileSystemError(kErrorFileWriteInvalidFileName, couldNotSave(path), path, EINVAL));
    if (!validateTree(*this, target, {}, error))
        return false;
    if (!QFileInfo(info.absolutePath()).isDir())
        return fail(error, fileSystemError(kErrorFileNotFound,
                                           QStringLiteral("The file “%1” couldn't be saved because the folder “%2” doesn't exist.")
                                               .arg(target, info.absolutePath()),
                                           target, ENOENT));

    if (isRegularFile()) {
        if (injectedFailure(target))
            return fail(error, fileSystemError(kErrorFileWrite, couldNotSave(target), target,
                                               QStringLiteral("The write was interrupted.")));
        if (!writeDataAtomically(m_contents, target, error))
            return false;
    } else {
        TreeWriter writer(target, error);
        const QString temporary = writer.makeTemporaryFolder();
        if (temporary.isEmpty())
            return false;
        // Whatever is left here at the end (a failed tree, or the old item after an exchange)
        // goes.
        auto removeTemporary = qScopeGuard([&temporary] {
            if (const int failure = detail::removeTree(temporary))
                PF_LOG("The temporary \"%s\" could not be removed: %s", qUtf8Printable(temporary), std::strerror(failure));
        });
        // A link is made inside the temporary folder, which then holds whatever it replaces.
        const QString item = isDirectory() ? temporary : joined(temporary, name);
        const bool written = isDirectory() ? writer.writeChildren(*this, temporary) : writer.writeItem(*this, item);
        if (!written || !writer.moveIntoPlace(item))
            return false;
        // Best effort: the new package is in place whether or not its name is durable yet.
        syncFolder(info.absolutePath());
    }
    if (options & kFileWrapperWritingWithNameUpdating)
        updateFilenames(name);
    return true;
}

void FileWrapper::setFailureInjectionForTesting(std::function<bool(const QString&)> fail)
{
    std::lock_guard lock(hookMutex());
    failureHook() = std::move(fail);
}

void FileWrapper::setRenameExchangeEnabledForTesting(bool enabled)
{
    g_renameExchangeEnabled.store(enabled);
}

} // namespace pf
