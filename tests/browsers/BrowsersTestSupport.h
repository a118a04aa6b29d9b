#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <QUrl>

#include <algorithm>

namespace quillory::test {

inline void touch(const QString& path, const QByteArray& contents = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(contents);
}

inline void link(const QString& target, const QString& linkPath)
{
    QDir().mkpath(QFileInfo(linkPath).absolutePath());
    QFile::link(target, linkPath);
}

// Paths relative to `root`, sorted, so sets and listings compare plainly.
inline QStringList relativePaths(const QString& root, const QStringList& paths)
{
    QStringList out;
    for (const QString& path : paths)
        out.append(QDir(QFileInfo(root).canonicalFilePath()).relativeFilePath(QFileInfo(path).canonicalFilePath()));
    std::sort(out.begin(), out.end());
    return out;
}

inline QStringList relativePaths(const QString& root, const QSet<QUrl>& urls)
{
    QStringList paths;
    for (const QUrl& url : urls)
        paths.append(url.toLocalFile());
    return relativePaths(root, paths);
}

inline QStringList relativePaths(const QString& root, const QSet<QString>& set)
{
    return relativePaths(root, QStringList(set.begin(), set.end()));
}

} // namespace quillory::test
