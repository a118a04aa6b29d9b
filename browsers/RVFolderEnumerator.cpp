#include "browsers/RVFolderEnumerator.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/FileManager.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

PF_DEFINE_CLASS(RVFolderEnumerator, pf::Object) {}

namespace {

bool hasType(const QFileInfo& info, const QStringList& types)
{
    const QString suffix = info.suffix();
    return !suffix.isEmpty() && types.contains(suffix, Qt::CaseInsensitive);
}

void scan(const QString& folder, bool deep, const QStringList& types, QStringList& found, int depth)
{
    // Deep enough for any real folder tree; a link cycle stops here.
    if (depth > 64)
        return;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (hasType(entry, types)) {
            found.append(entry.absoluteFilePath());
            continue;
        }
        if (deep && entry.isDir() && !pf::FileManager::isPackage(entry.absoluteFilePath()))
            scan(entry.absoluteFilePath(), deep, types, found, depth + 1);
    }
}

} // namespace

RVFolderEnumerator::RVFolderEnumerator(const QString& path, bool includeSubFolders, const QStringList& fileTypes)
{
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return;
    scan(QDir::cleanPath(path), includeSubFolders, fileTypes, m_paths, 0);
    std::sort(m_paths.begin(), m_paths.end());
}

pf::Ref<RVFolderEnumerator> RVFolderEnumerator::folderEnumeratorWithPath(const QString& path, bool includeSubFolders,
                                                                         const QStringList& fileTypes)
{
    return std::make_shared<RVFolderEnumerator>(path, includeSubFolders, fileTypes);
}

QStringList RVFolderEnumerator::filesAtFolderPath(const QString& path, const QStringList& fileTypes)
{
    return RVFolderEnumerator(path, false, fileTypes).filePaths();
}

QList<QUrl> RVFolderEnumerator::fileURLs() const
{
    QList<QUrl> urls;
    urls.reserve(m_paths.size());
    for (const QString& path : m_paths)
        urls.append(QUrl::fromLocalFile(path));
    return urls;
}
