#pragma once

#include "platform/foundation/Error.h"

#include <QIcon>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

namespace pf {

// Keys of the error recycleURLs reports.
inline const QString kWorkspaceFailedURLsKey = QStringLiteral("failedURLs"); // QVariantList of QUrl
inline const QString kWorkspaceFailureReasonsKey = QStringLiteral("failureReasons"); // QStringList

// The desktop: opening URLs, showing files in the file manager, the trash, launching
// programs, icons and the user's name.
class Workspace {
public:
    static Workspace& shared();

    // Hands the URL to the desktop's handler for its scheme.
    bool openURL(const QUrl& url);
    // Shows the files selected in the file manager (freedesktop FileManager1.ShowItems over
    // the session bus); without a file manager on the bus, opens each containing folder.
    bool activateFileViewerSelectingURLs(const QList<QUrl>& urls);
    // Shows `path` selected; with an empty path, shows the folder `rootPath`.
    bool selectFile(const QString& path, const QString& rootPath);

    // Moves the files to the trash. The completion runs on the main thread after this call
    // returns, with the new URL of each file that went and, when any failed, an error naming
    // those (kWorkspaceFailedURLsKey); the others are trashed regardless.
    using RecycleCompletion = std::function<void(const QMap<QUrl, QUrl>& newURLs, const Error& error)>;
    void recycleURLs(const QList<QUrl>& urls, RecycleCompletion completion);

    // Starts a program (detached); the second form starts this program anew.
    bool launchApplication(const QString& path, const QStringList& arguments = {}, Error* error = nullptr);
    bool launchNewInstance(const QStringList& arguments = {}, Error* error = nullptr);

    bool isFilePackageAtPath(const QString& path) const;
    QIcon iconForFile(const QString& path) const;
    // "fldr" is the generic folder; otherwise an extension.
    QIcon iconForFileType(const QString& type) const;
    // Custom folder icons are not kept on this platform: accepted and ignored.
    bool setIconForFile(const QIcon&, const QString&) { return true; }

    // The user's full name (first part of the account's GECOS field), else the login name.
    static QString fullUserName();

    // Whether reveal requests go over D-Bus; tests turn it off to exercise the fallback.
    void setUsesFileManagerService(bool uses) { m_useService = uses; }

private:
    Workspace() = default;
    bool callFileManager(const QString& method, const QStringList& uris);
    bool openContainingFolders(const QList<QUrl>& urls);
    bool m_useService = true;
};

} // namespace pf
