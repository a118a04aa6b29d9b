#pragma once

#include "platform/foundation/Object.h"

#include <QString>
#include <QUrl>

class PWXLibrary;
class PWXLibraryArchivingDelegate;

// Writes one collection into a zip archive on a background thread and tells its delegate on
// the main thread. The task keeps itself (and so its library and delegate) alive until it has
// reported; nothing keeps it longer.
class PWXLibraryArchivingTask : public pf::Object {
    PF_CLASS(PWXLibraryArchivingTask)
public:
    static constexpr qint64 kFirstTaskID = 1889;

    PWXLibraryArchivingTask() = default;

    // Starts the archive and answers at once. An empty URL names the archive
    // "<library>_LIBZ_<n>.zip" in the user library folder.
    static pf::Ref<PWXLibraryArchivingTask> newArchivingTaskWithLibrary(const pf::Ref<PWXLibrary>& library,
                                                                       const pf::Ref<PWXLibraryArchivingDelegate>& delegate,
                                                                       const QUrl& destinationURL);
    // Path-based archiving is not offered: always null (logged).
    static pf::Ref<PWXLibraryArchivingTask> newArchivingTaskWithLibrary(const pf::Ref<PWXLibrary>& library,
                                                                       const pf::Ref<PWXLibraryArchivingDelegate>& delegate,
                                                                       const QString& destinationPath);
    // The next number for an archive name: 1890 first, then one more each time.
    static qint64 taskID();

    pf::Ref<PWXLibraryArchivingDelegate> delegate() const { return m_delegate; }
    void setDelegate(const pf::Ref<PWXLibraryArchivingDelegate>& delegate) { m_delegate = delegate; }
    QUrl destinationURL() const { return m_destinationURL; }
    // Main thread: logs the end and tells the delegate (the URL, or an empty one on failure).
    void taskCompleted(int exitStatus, const QString& error = {});

private:
    void start();

    pf::Ref<PWXLibrary> m_library;
    pf::Ref<PWXLibraryArchivingDelegate> m_delegate;
    QString m_destinationPath;
    QUrl m_destinationURL;
};
