#pragma once

#include "platform/foundation/Error.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace pf {

// Keys and values of attributesOfItem.
inline const QString NSFileSize = QStringLiteral("NSFileSize");
inline const QString NSFileModificationDate = QStringLiteral("NSFileModificationDate");
inline const QString NSFileType = QStringLiteral("NSFileType");
inline const QString NSFileTypeDirectory = QStringLiteral("NSFileTypeDirectory");
inline const QString NSFileTypeRegular = QStringLiteral("NSFileTypeRegular");
inline const QString NSFileTypeSymbolicLink = QStringLiteral("NSFileTypeSymbolicLink");
inline const QString NSFileTypeUnknown = QStringLiteral("NSFileTypeUnknown");

// File-system operations and the user's standard folders. Paths are plain local paths. Every
// failure answers false (or an empty value) with a pf::Error whose description names the path.
// Holds no state: any thread may use it.
class FileManager {
public:
    enum class SearchPath { ApplicationSupport, Documents, Pictures, Caches };

    static FileManager& defaultManager();

    // The standard folder (ApplicationSupport is the generic data folder, ~/.local/share;
    // Caches the generic cache folder), created with its parents when `create` is set.
    // `appropriateFor` does not change the answer for these folders.
    QString URLForDirectory(SearchPath directory, const QString& appropriateFor = {}, bool create = false,
                            Error* error = nullptr) const;
    QString temporaryDirectory() const;

    // An existing folder is success; an existing file of that name is an error.
    bool createDirectory(const QString& path, bool intermediates, Error* error = nullptr) const;
    // Copies a file, link or folder tree (links are copied as links). Fails when `to` exists.
    bool copyItem(const QString& from, const QString& to, Error* error = nullptr) const;
    // Fails when `to` exists; across file systems it copies, then removes the original.
    bool moveItem(const QString& from, const QString& to, Error* error = nullptr) const;
    // Removes a file, link (not what it points at) or folder tree.
    bool removeItem(const QString& path, Error* error = nullptr) const;

    // Follows links: a link to a folder is a folder; a broken link does not exist.
    bool fileExists(const QString& path, bool* isDirectory = nullptr) const;
    // Files byte for byte, links by destination, folders by names and contents all the way down.
    bool contentsEqual(const QString& first, const QString& second) const;
    // The full paths of the folder's entries, sorted by name. Hidden items start with ".".
    QStringList contentsOfDirectory(const QString& path, bool skipHidden, Error* error = nullptr) const;
    // NSFileSize (qint64), NSFileModificationDate (QDateTime) and NSFileType of the item
    // itself, not of what a link points at; empty on failure.
    QVariantMap attributesOfItem(const QString& path, Error* error = nullptr) const;

    // Folders with a registered extension count as one file (documents, libraries). The
    // extension is compared without regard to case.
    static void registerPackageExtension(const QString& extension);
    static bool isPackage(const QString& path);
};

} // namespace pf
