#include "browsers/RVFolderEnumerator.h"

#include "browsers/RVFolderWatcher.h"
#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Notification.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

PF_DEFINE_CLASS(RVFolderEnumerator, pf::Object)
{
    b.method("folderWatcherNotification:", &RVFolderEnumerator::folderWatcherNotification);
}

RVFolderEnumerator::RVFolderEnumerator(const QString& path) : m_folder(QDir::cleanPath(path))
{
    if (QFileInfo(m_folder).isDir())
        watchFolders({m_folder});
    else
        RVLog(kFileEvent, QStringLiteral("folder enumerator for '%1': the folder does not exist").arg(m_folder));
    RVLog(kFileEvent, QStringLiteral("initialised folder enumerator for path '%1'").arg(m_folder));
}

RVFolderEnumerator::~RVFolderEnumerator()
{
    if (!m_watchedFolders.isEmpty())
        RVFolderWatcher::defaultWatcher().removeObserver(this);
}

pf::Ref<RVFolderEnumerator> RVFolderEnumerator::folderEnumeratorWithPath(const QString& path)
{
    return std::make_shared<RVFolderEnumerator>(path);
}

pf::Ref<RVFolderEnumerator> RVFolderEnumerator::folderEnumeratorWithPath(const QString& path, bool includeSubFolders,
                                                                         const QStringList& fileTypes)
{
    auto enumerator = std::make_shared<RVFolderEnumerator>(path);
    enumerator->setIncludesSubFolders(includeSubFolders);
    enumerator->setFileTypes(fileTypes);
    return enumerator;
}

QStringList RVFolderEnumerator::filesAtFolderPath(const QString& path, const QStringList& fileTypes)
{
    return folderEnumeratorWithPath(path, false, fileTypes)->files();
}

QStringList RVFolderEnumerator::filesInApplicationSupportFolderOfTypes(const QStringList& fileTypes)
{
    return filesAtFolderPath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), fileTypes);
}

void RVFolderEnumerator::setFileTypes(const QStringList& types)
{
    m_fileTypes = types;
    reset();
}

void RVFolderEnumerator::setIncludesSubFolders(bool include)
{
    if (include == m_includesSubFolders)
        return;
    m_includesSubFolders = include;
    reset();
}

QStringList RVFolderEnumerator::files()
{
    if (!m_files)
        m_files = scanFolder();
    return *m_files;
}

QList<QUrl> RVFolderEnumerator::fileURLs()
{
    if (!m_fileURLs) {
        QList<QUrl> urls;
        for (const QString& path : files())
            urls.append(QUrl::fromLocalFile(path));
        m_fileURLs = urls;
    }
    return *m_fileURLs;
}

void RVFolderEnumerator::reset()
{
    m_files.reset();
    m_fileURLs.reset();
}

bool RVFolderEnumerator::includeFileAtPath(const QString& path) const
{
    return m_fileTypes.isEmpty() || m_fileTypes.contains(QFileInfo(path).suffix(), Qt::CaseSensitive);
}

QStringList RVFolderEnumerator::scanFolder()
{
    QStringList found;
    if (!QFileInfo(m_folder).isDir()) {
        RVLog(kFileEvent, QStringLiteral("Folder specified does not exist or is not a folder: '%1'").arg(m_folder));
        return found;
    }
    RVLog(kFileEvent, QStringLiteral("%1 starting scan of folder '%2', fileTypes = %3")
                          .arg(description(), m_folder, m_fileTypes.join(QStringLiteral(", "))));
    QSet<QString> entered{m_folder};
    // Depth first, each folder's entries in name order; a link is never entered.
    QStringList folders{m_folder};
    while (!folders.isEmpty()) {
        const QString folder = folders.takeLast();
        const QFileInfoList entries = QDir(folder).entryInfoList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        QStringList below;
        QStringList added;
        for (const QFileInfo& entry : entries) {
            const QString path = QDir::cleanPath(entry.absoluteFilePath());
            const bool directory = entry.isDir();
            const bool package = directory && pf::FileManager::isPackage(path);
            RVLog(kFileEvent, QStringLiteral("checking: %1 (directory = %2, package = %3)")
                                  .arg(path)
                                  .arg(int(directory))
                                  .arg(int(package)));
            if (!entry.suffix().isEmpty() && includeFileAtPath(path)) {
                added.append(path);
                RVLog(kFileEvent, QStringLiteral("enumerator added file(1) '%1'").arg(path));
            }
            if (directory && !package && m_includesSubFolders && !entry.isSymLink() && !entered.contains(path)) {
                entered.insert(path);
                below.append(path);
            }
        }
        found.append(added);
        std::reverse(below.begin(), below.end());
        folders.append(below);
    }
    RVLog(kFileEvent, "--- folder scan complete ---");
    watchFolders(entered);
    return found;
}

void RVFolderEnumerator::watchFolders(const QSet<QString>& folders)
{
    RVFolderWatcher& watcher = RVFolderWatcher::defaultWatcher();
    for (const QString& gone : m_watchedFolders - folders)
        watcher.removeObserver(this, QUrl::fromLocalFile(gone));
    for (const QString& folder : folders - m_watchedFolders) {
        if (QFileInfo(folder).isDir())
            watcher.addObserver(this, QStringLiteral("folderWatcherNotification:"), QUrl::fromLocalFile(folder));
    }
    m_watchedFolders = folders;
}

void RVFolderEnumerator::folderWatcherNotification(const QVariant& notification)
{
    reset();
    RVLog(kFileEvent, QStringLiteral("folder enumerator %1 automatically reset by notification from file system (path = %2)")
                          .arg(description(), notification.value<pf::Notification>().userInfo.value(QStringLiteral("path")).toString()));
}
