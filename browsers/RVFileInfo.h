#pragma once

#include "browsers/RVFolderInfo.h"

// A leaf of a folder tree: a file, or a package that is not shown as a folder. It has no
// children and holds no files of its own.
class RVFileInfo : public RVFolderInfo {
    PF_CLASS(RVFileInfo)
public:
    RVFileInfo() = default;
    explicit RVFileInfo(const QUrl& url) : RVFolderInfo(url) {}

    bool isFile() const override { return true; }
    bool isPackage() const;
    int valence() override { return 0; }
    QList<pf::Ref<RVFolderInfo>> subFolders() override { return {}; }
    // A leaf is not a folder: it is never scanned for files.
    QSet<QUrl> fileURLsOfTypes(const QStringList&) override { return {}; }
    std::optional<QSet<QString>> filesOfTypes(const QStringList&) override { return QSet<QString>(); }
};
