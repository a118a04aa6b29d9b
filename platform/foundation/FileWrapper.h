#pragma once

#include "platform/foundation/Error.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <functional>
#include <memory>

namespace pf {

class FileWrapper;
using FileWrapperRef = std::shared_ptr<FileWrapper>;

// Options of FileWrapper::writeToPath. Writing is always atomic.
enum FileWrapperWritingOptions : int {
    // After a successful write, every wrapper's file name is the name it was written under.
    kFileWrapperWritingWithNameUpdating = 1,
};

// A file, a folder tree (a document package) or a symbolic link held in memory, to be read
// from disk whole or built fresh and written in one atomic step.
//
// Child names are the keys of a directory's map. A name that could reach outside the package
// (empty, ".", "..", holding "/" or NUL) is never added, and a tree holding one is never
// written.
class FileWrapper {
public:
    enum class Kind { Directory, RegularFile, SymbolicLink };

    static FileWrapperRef regularFile(QByteArray contents);
    // The map's keys name the children; each child's file name becomes its key.
    static FileWrapperRef directory(QMap<QString, FileWrapperRef> children = {});
    static FileWrapperRef symbolicLink(QString destination);
    // Reads the file, link or whole folder tree at `path`. Links are read as links and never
    // followed, so reading stays inside the package. Null on failure.
    static FileWrapperRef readFromPath(const QString& path, Error* error = nullptr);

    // Whether `name` can name a child: not empty, ".", "..", and without "/" or NUL.
    static bool isValidFilename(const QString& name);

    Kind kind() const { return m_kind; }
    bool isDirectory() const { return m_kind == Kind::Directory; }
    bool isRegularFile() const { return m_kind == Kind::RegularFile; }
    bool isSymbolicLink() const { return m_kind == Kind::SymbolicLink; }

    const QString& filename() const { return m_filename; }
    void setFilename(const QString& name) { m_filename = name; }
    const QString& preferredFilename() const { return m_preferredFilename; }
    void setPreferredFilename(const QString& name) { m_preferredFilename = name; }
    // The file name (the preferred one while there is none) without its last extension.
    QString filenameWithoutExtension() const;

    // The children of a directory by file name; empty for other kinds.
    const QMap<QString, FileWrapperRef>& fileWrappers() const { return m_children; }
    // Stores `child` under its preferred file name (its file name when it has none), made
    // unique as "name 2.ext", "name 3.ext"... when taken, and answers that name. Answers an
    // empty string, adding nothing, for an invalid name or a child that would make the tree a
    // cycle. A child already here keeps the name it has.
    QString addFileWrapper(const FileWrapperRef& child);
    QString addRegularFile(QByteArray contents, const QString& preferredName);
    void removeFileWrapper(const FileWrapperRef& child);

    // Empty for other kinds.
    const QByteArray& regularFileContents() const { return m_contents; }
    const QString& symbolicLinkDestination() const { return m_linkDestination; }

    // Writes the wrapper to `path`, replacing what is there only once the whole of it is
    // written: a regular file through a temporary file, a folder tree or a link through a
    // sibling temporary folder swapped into place. On failure whatever was at `path` stays as
    // it was and no temporary is left. The parent folder must exist.
    bool writeToPath(const QString& path, int options = 0, Error* error = nullptr);

    // Testing only. `fail` is asked before each item is created inside the temporary tree (with
    // its path there), before a regular file is saved, and before the new item is moved to its
    // destination (with the destination's path); answering true makes the write fail there.
    // Null removes the hook.
    static void setFailureInjectionForTesting(std::function<bool(const QString& pathBeingWritten)> fail);
    // Testing only: with false, replacing goes the way it goes on a file system that refuses
    // to exchange two names.
    static void setRenameExchangeEnabledForTesting(bool enabled);

private:
    explicit FileWrapper(Kind kind) : m_kind(kind) {}
    bool contains(const FileWrapper* wrapper) const;
    void updateFilenames(const QString& name);

    Kind m_kind;
    QString m_filename;
    QString m_preferredFilename;
    QMap<QString, FileWrapperRef> m_children;
    QByteArray m_contents;
    QString m_linkDestination;
};

} // namespace pf
