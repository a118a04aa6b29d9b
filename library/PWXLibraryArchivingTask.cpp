#include "library/PWXLibraryArchivingTask.h"

#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryArchivingDelegate.h"
#include "library/PWXLibraryZipArchive.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"

#include <QDir>

#include <atomic>

PF_DEFINE_CLASS(PWXLibraryArchivingTask, pf::Object) {}

qint64 PWXLibraryArchivingTask::taskID()
{
    static std::atomic<qint64> counter{kFirstTaskID};
    return ++counter;
}

pf::Ref<PWXLibraryArchivingTask> PWXLibraryArchivingTask::newArchivingTaskWithLibrary(
    const pf::Ref<PWXLibrary>& library, const pf::Ref<PWXLibraryArchivingDelegate>& delegate, const QUrl& destinationURL)
{
    if (!library)
        return nullptr;
    auto task = std::make_shared<PWXLibraryArchivingTask>();
    task->m_library = library;
    task->m_delegate = delegate;
    // The archive holds the category file as it is now.
    library->writeCategoryFile();
    if (destinationURL.isEmpty()) {
        task->m_destinationPath = QDir(PWXLibrary::userLibraryFolder())
                                      .filePath(QStringLiteral("%1_LIBZ_%2.zip").arg(library->name()).arg(taskID()));
        task->m_destinationURL = QUrl::fromLocalFile(task->m_destinationPath);
    } else {
        task->m_destinationURL = destinationURL;
        task->m_destinationPath = destinationURL.toLocalFile();
    }
    if (delegate)
        delegate->libraryWillCreateZipArchiveAtURL(library.get(), task->m_destinationURL);
    task->start();
    return task;
}

pf::Ref<PWXLibraryArchivingTask> PWXLibraryArchivingTask::newArchivingTaskWithLibrary(
    const pf::Ref<PWXLibrary>&, const pf::Ref<PWXLibraryArchivingDelegate>&, const QString&)
{
    RVLog(kInfoEvent, "this method is deprecated - use URL based method instead");
    return nullptr;
}

void PWXLibraryArchivingTask::start()
{
    const QString folder = m_library->path();
    const QString destination = m_destinationPath;
    pf::Ref<PWXLibraryArchivingTask> self = ref<PWXLibraryArchivingTask>();
    if (folder.isEmpty() || destination.isEmpty()) {
        // Reported like any other end: on a later turn of the main loop, never from here.
        pf::OperationQueue::mainQueue().addOperation([self] { self->taskCompleted(1, QStringLiteral("nothing to archive")); });
        return;
    }
    pf::detachThread([self, folder, destination] {
        QString error;
        const int status = PWXLibraryZipArchive::writeFolder(folder, destination, &error) ? 0 : 1;
        pf::performOnMainThread([self, status, error] { self->taskCompleted(status, error); }, false);
    });
}

void PWXLibraryArchivingTask::taskCompleted(int exitStatus, const QString& error)
{
    RVLog(kFileEvent, QStringLiteral("task completed, exit status = %1, dest file = %2").arg(exitStatus).arg(m_destinationPath));
    if (!error.isEmpty())
        RVLog(kFileEvent, QStringLiteral("archive of '%1' failed: %2").arg(m_library ? m_library->name() : QString(), error));
    if (m_delegate)
        m_delegate->libraryAvailableAsZipArchiveURL(m_library.get(), exitStatus == 0 ? m_destinationURL : QUrl());
    // Reported: the task lets go of what it held.
    m_delegate.reset();
    m_library.reset();
}
