#pragma once

#include "platform/foundation/Error.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

namespace pf {

// The program's part of the desktop's recently used files list (the freedesktop XBEL file
// "recently-used.xbel" in the user's data folder). Other programs' entries are kept as they
// are; a list file that cannot be read is never overwritten.
class RecentDocuments {
public:
    // `applicationName` marks this program's entries; `path` defaults to the desktop's file.
    explicit RecentDocuments(QString applicationName, QString path = {});

    static QString defaultPath();
    const QString& path() const { return m_path; }

    // This program's files, the most recently noted first, at most `maximum` (0: all).
    // Files that no longer exist are left out.
    QList<QUrl> urls(int maximum = 0) const;
    // Notes `url` as used now; answers false with the error when the list cannot be written.
    bool note(const QUrl& url, Error* error = nullptr);
    // Takes this program off every entry; entries no other program uses go.
    bool clear(Error* error = nullptr);

private:
    QString m_application;
    QString m_path;
};

} // namespace pf
