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

#include "platform/ui/PresentationHook.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace quillory::test {

// Answers every alert by pressing the button titled `press`, noting "message|informative text".
inline void answerAlerts(QStringList* seen, const QString& press)
{
    pf::PresentationHook::set([seen, press](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        if (!box)
            return;
        if (seen)
            seen->append(box->text() + QLatin1Char('|') + box->informativeText());
        for (QAbstractButton* button : box->buttons())
            if (button->text() == press) {
                button->click();
                return;
            }
    });
}

} // namespace quillory::test
