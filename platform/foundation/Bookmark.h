#pragma once

#include "platform/foundation/Error.h"

#include <QByteArray>
#include <QString>

namespace pf {

// Bookmark data: a binary property list that records where a file is and which file it is
// (device and inode), so that a file renamed in its folder can still be found.
//
// Options are accepted for the callers' sake and have no effect: resolving never shows user
// interface and never mounts anything.
class Bookmark {
public:
    static QByteArray create(const QString& path, int options, Error* error = nullptr);
    // The file's path. `stale` tells whether the bookmark should be made again: the file moved
    // (found by identity in the recorded folder) or a different file now stands at the path.
    // kErrorFileNotFound when neither the path nor a file with the recorded identity beside it
    // exists; kErrorFileReadCorrupt for data that is not a bookmark.
    static QString resolve(const QByteArray& data, int options, bool* stale = nullptr, Error* error = nullptr);

    // Linux has no sandbox scopes, so access is always granted unless a test refuses it.
    static bool startAccessingSecurityScopedResource(const QString& path);
    static void stopAccessingSecurityScopedResource(const QString& path);
    static void setRefusesSecurityScopedAccessForTesting(bool refuses);
};

} // namespace pf
