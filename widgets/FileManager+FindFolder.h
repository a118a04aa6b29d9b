#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// The user's application support folder and a few file-system helpers for unique names.
// Everything the program keeps for the user outside documents lives under
// thisApplicationsSupportFolderURL().

// The user's application support folder, created when missing; an empty URL (logged) when the
// folder cannot be found or made, never a relative path.
QUrl applicationSupportFolderURL();
// applicationSupportFolderURL() with the bundle identifier appended, created when missing. The
// URL is answered even when creating the folder failed; empty only when the base lookup failed.
QUrl thisApplicationsSupportFolderURL();
// Creates the folder with its parents. True when a folder (not a file) is there afterwards.
bool createDirectoryIfNeeded(const QUrl& url);

// The first of "name.ext", "name 1.ext", "name 2.ext", ... not present in `directory` (a name
// without extension gets no trailing dot). Raises "Too Many Files!" once the counter reaches 999.
QString uniqueFilenameForFilename(const QString& filename, const QString& directory, bool ignoreExtension = false);

// Creates a new file holding `contents` in `directory` under the first free unique name and
// answers its full path. The name is claimed by creating the file exclusively, so two writers
// never share one. Raises "Create File Error" when the file cannot be made.
QString writeContentsToUniqueFile(const QByteArray& contents, const QString& filename, const QString& directory);
QString writeContentsToUniqueTemporaryFile(const QByteArray& contents, const QString& filename);
