#pragma once

#include "platform/foundation/Object.h"

#include <QList>
#include <QStringList>
#include <QUrl>

// Lists the files of given types (extensions, compared without regard to case) in a folder and,
// when asked, in the folders below it. A package (a folder with a registered extension, or one
// whose extension is among the types) counts as one file and is never entered. Hidden items are
// skipped. The listing is made when the enumerator is made.
class RVFolderEnumerator : public pf::Object {
    PF_CLASS(RVFolderEnumerator)
public:
    RVFolderEnumerator() = default;
    RVFolderEnumerator(const QString& path, bool includeSubFolders, const QStringList& fileTypes);

    static pf::Ref<RVFolderEnumerator> folderEnumeratorWithPath(const QString& path, bool includeSubFolders,
                                                                const QStringList& fileTypes);
    // The paths of the files of those types directly inside the folder, sorted.
    static QStringList filesAtFolderPath(const QString& path, const QStringList& fileTypes);

    // Sorted by path; empty for a folder that does not exist.
    QList<QUrl> fileURLs() const;
    QStringList filePaths() const { return m_paths; }

private:
    QStringList m_paths;
};
