#include "platform/foundation/DirectoryEnumerator.h"

#include "platform/foundation/FileManager.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace pf {

DirectoryEnumerator::DirectoryEnumerator(const QString& path, bool includeHidden)
    : m_includeHidden(includeHidden)
{
    enter(QDir::cleanPath(path));
}

void DirectoryEnumerator::enter(const QString& path)
{
    Error failure;
    QStringList paths = FileManager::defaultManager().contentsOfDirectory(path, !m_includeHidden, &failure);
    if (!failure.isNull()) {
        if (m_error.isNull())
            m_error = failure;
        return;
    }
    if (!paths.isEmpty())
        m_folders.push_back(Folder{std::move(paths), 0});
}

QString DirectoryEnumerator::next()
{
    // Descending is put off until now so that skipDescendants() can still prevent it.
    if (m_lastIsDirectory && !m_skipDescendants)
        enter(m_last);
    m_skipDescendants = false;
    m_lastIsDirectory = false;
    m_last.clear();

    while (!m_folders.empty()) {
        Folder& folder = m_folders.back();
        if (folder.next >= folder.paths.size()) {
            m_folders.pop_back();
            continue;
        }
        m_last = folder.paths.at(folder.next++);
        struct stat status {};
        m_lastIsDirectory = ::lstat(QFile::encodeName(m_last).constData(), &status) == 0 && S_ISDIR(status.st_mode);
        return m_last;
    }
    return {};
}

} // namespace pf
