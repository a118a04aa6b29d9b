#pragma once

#include "platform/foundation/Error.h"

#include <QByteArray>
#include <QString>

namespace pf {

// Further codes of the foundation domain for file failures, numbered as the rest of the
// system expects them.
enum FileErrorCode : int {
    kErrorFileReadNoPermission = 257,
    kErrorFileReadInvalidFileName = 258,
    kErrorFileWriteNoPermission = 513,
    kErrorFileWriteInvalidFileName = 514,
    kErrorFileWriteOutOfSpace = 640,
};

// A file-system failure in the foundation domain: the description names the path; a POSIX
// error, when there is one, becomes the failure reason and the underlying error.
Error fileSystemError(int code, const QString& description, const QString& path, int posixError = 0);
// The same with a failure reason worded elsewhere (a Qt error string).
Error fileSystemError(int code, const QString& description, const QString& path, const QString& reason);
// The foundation code for a failed read or write that ended with `posixError`.
int readErrorCode(int posixError);
int writeErrorCode(int posixError);

// Replaces the file at `path` with `data` through a temporary file in the same folder, so that
// a failure leaves the old file as it was. The folder must exist.
bool writeDataAtomically(const QByteArray& data, const QString& path, Error* error = nullptr);

// The mode a new file of the user's gets: read and write for everyone, less the process's
// umask, as any program's output has. Temporary files are made private (0600); one that is
// renamed or linked into place as the user's file is given this mode first.
unsigned userFileMode();
// Gives the open file `fd` the user's file mode; answers whether that worked.
bool giveUserFileMode(int fd);

// The contents of the regular file at `path`: a null QByteArray on failure, an empty but not
// null one for an empty file. `mapped` asks for a mapping of a large file; the file is read
// into memory either way, because a mapping cannot be tied to the returned bytes' lifetime and
// a file truncated by another process would crash a reader of its mapping.
QByteArray readData(const QString& path, bool mapped = false, Error* error = nullptr);

namespace detail {

// Opens the regular file `name` relative to the folder descriptor `dirFd` (AT_FDCWD for a
// plain path) for reading, without blocking on a FIFO and, unless `followLink`, without
// following a final symbolic link. Anything else than a regular file is refused. Answers the
// descriptor, or -1 with the error filled in naming `displayPath`.
int openRegularFileAt(int dirFd, const QByteArray& name, bool followLink, const QString& displayPath,
                      Error* error);
// Reads the whole regular file as openRegularFileAt opens it; null on failure.
QByteArray readRegularFileAt(int dirFd, const QByteArray& name, bool followLink, const QString& displayPath,
                             Error* error);

// Removes the file, link or folder tree at `path` without following links. Answers 0, or the
// POSIX error that stopped it.
int removeTree(const QString& path);

} // namespace detail

} // namespace pf
