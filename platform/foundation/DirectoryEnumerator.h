#pragma once

#include "platform/foundation/Error.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace pf {

// Walks a folder tree depth first, each folder's entries in name order, one path per next().
// Links are answered but never followed. Folders that cannot be read are passed over; the
// first such failure is kept in error().
class DirectoryEnumerator {
public:
    explicit DirectoryEnumerator(const QString& path, bool includeHidden = false);

    // The next path, or an empty string when the walk is over.
    QString next();
    // Leaves out the descendants of the folder next() answered last.
    void skipDescendants() { m_skipDescendants = true; }
    // Whether the item next() answered last is a folder (a link to one is not).
    bool isDirectory() const { return m_lastIsDirectory; }
    const Error& error() const { return m_error; }

private:
    struct Folder {
        QStringList paths;
        qsizetype next = 0;
    };

    void enter(const QString& path);

    bool m_includeHidden;
    std::vector<Folder> m_folders;
    QString m_last;
    bool m_lastIsDirectory = false;
    bool m_skipDescendants = false;
    Error m_error;
};

} // namespace pf
