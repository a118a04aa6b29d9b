#pragma once

#include "platform/foundation/Object.h"

#include <QList>
#include <QSet>
#include <QStringList>
#include <QUrl>

// Which files of given types (extensions, compared exactly) lie in a folder and, when asked, in
// the folders below it. Hidden items are included; an item without an extension never is. A
// directory whose extension matches (a package) counts as one file, and packages are never
// entered. Links to folders are listed like folders but never entered, so links back into the
// tree cannot make a scan endless. The listing is made on first request and kept until a
// folder the scan went through changes on disk.
class RVFolderEnumerator : public pf::Object {
    PF_CLASS(RVFolderEnumerator)
public:
    RVFolderEnumerator() = default;
    // Watches the folder; a folder that does not exist is logged and lists nothing.
    explicit RVFolderEnumerator(const QString& path);
    ~RVFolderEnumerator() override;

    static pf::Ref<RVFolderEnumerator> folderEnumeratorWithPath(const QString& path);
    static pf::Ref<RVFolderEnumerator> folderEnumeratorWithPath(const QString& path, bool includeSubFolders,
                                                                const QStringList& fileTypes);
    // The files of those types directly inside the folder (no subfolders).
    static QStringList filesAtFolderPath(const QString& path, const QStringList& fileTypes);
    static QStringList filesInApplicationSupportFolderOfTypes(const QStringList& fileTypes);

    QString folder() const { return m_folder; }
    QStringList fileTypes() const { return m_fileTypes; }
    // Keeps the types and forgets the listing, even when they are the same.
    void setFileTypes(const QStringList& types);
    bool includesSubFolders() const { return m_includesSubFolders; }
    void setIncludesSubFolders(bool include);

    // Full paths, in the order the scan found them.
    QStringList files();
    QList<QUrl> fileURLs();
    // The old name of files(), kept for callers that sort the paths themselves.
    QStringList filePaths() { return files(); }
    // Forgets both listings, so the next request scans again.
    void reset();

    // The deep listing; a folder that does not exist (any more) gives an empty list and a log line.
    QStringList scanFolder();
    bool includeFileAtPath(const QString& path) const;
    // The watcher's callback: the folder (or one the scan entered) changed.
    void folderWatcherNotification(const QVariant& notification);

private:
    void watchFolders(const QSet<QString>& folders);

    std::optional<QStringList> m_files;
    std::optional<QList<QUrl>> m_fileURLs;
    QString m_folder;
    QStringList m_fileTypes;
    bool m_includesSubFolders = false;
    // The folders this enumerator is registered for with the watcher.
    QSet<QString> m_watchedFolders;
};
