#pragma once

#include <QString>

// Zip archives of collection folders: the folder itself is the archive's one top entry, so an
// archive of "N.symlibrary" unpacks to "N.symlibrary". Both operations may run on any thread.
class PWXLibraryZipArchive {
public:
    // Limits on what is unpacked, so that a hostile archive cannot fill the disk.
    static constexpr qint64 kMaxEntries = 200000;
    static constexpr qint64 kMaxUnpackedBytes = qint64(4) * 1024 * 1024 * 1024;

    // Writes `folder` (and everything in it, symbolic links left out) into a new zip archive
    // at `destination` with the best compression. The archive is written beside the
    // destination first and moved there only when complete: a failure leaves whatever was at
    // the destination as it was.
    static bool writeFolder(const QString& folder, const QString& destination, QString* error = nullptr);

    // Unpacks an archive holding one collection folder into `intoFolder` (which must exist)
    // and answers the unpacked folder's path; empty, with the reason, when the archive is not
    // one collection or names a place outside its folder (absolute names, "..", links).
    static QString extractCollection(const QString& archive, const QString& intoFolder, QString* error = nullptr);

    // Whether the file starts like a zip archive.
    static bool looksLikeZip(const QString& path);
};
