#pragma once

#include <QUrl>

class PWXLibrary;

// Hears of a collection being written into a zip archive. Both calls come on the main thread;
// a delegate answers those it cares for.
class PWXLibraryArchivingDelegate {
public:
    virtual ~PWXLibraryArchivingDelegate() = default;
    // Before the archive is started.
    virtual void libraryWillCreateZipArchiveAtURL(PWXLibrary* library, const QUrl& url) {}
    // After it ended: the archive's URL, or an empty URL when it could not be written.
    virtual void libraryAvailableAsZipArchiveURL(PWXLibrary* library, const QUrl& url) {}
};
