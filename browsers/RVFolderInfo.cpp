#include "browsers/RVFolderInfo.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/FileManager.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

PF_DEFINE_CLASS(RVFolderInfo, pf::Object)
{
    b.property("name", &RVFolderInfo::name);
    b.property("identifier", &RVFolderInfo::identifier);
}

RVFolderInfo::RVFolderInfo(const QUrl& url)
    : m_url(url.isLocalFile() ? QUrl::fromLocalFile(QDir::cleanPath(url.toLocalFile())) : url)
{
}

pf::Ref<RVFolderInfo> RVFolderInfo::folderInfoWithURL(const QUrl& url)
{
    return std::make_shared<RVFolderInfo>(url);
}

QString RVFolderInfo::name() const
{
    const QString own = QFileInfo(path()).fileName();
    return own.isEmpty() ? path() : own;
}

QString RVFolderInfo::identifier() const
{
    QStringList names{name()};
    for (pf::Ref<RVFolderInfo> node = parent(); node; node = node->parent())
        names.prepend(node->name());
    return names.join(QLatin1Char('/'));
}

bool RVFolderInfo::existsOnDisk() const
{
    return !path().isEmpty() && QFileInfo(path()).isDir();
}

QList<pf::Ref<RVFolderInfo>> RVFolderInfo::subFolders()
{
    if (m_listed)
        return m_subfolders;
    m_listed = true;
    QList<pf::Ref<RVFolderInfo>> adopted = m_subfolders;
    m_subfolders.clear();
    if (existsOnDisk()) {
        const QFileInfoList entries = QDir(path()).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo& entry : entries) {
            if (pf::FileManager::isPackage(entry.absoluteFilePath()))
                continue;
            auto child = std::make_shared<RVFolderInfo>(QUrl::fromLocalFile(entry.absoluteFilePath()));
            child->m_parent = std::static_pointer_cast<RVFolderInfo>(shared_from_this());
            m_subfolders.append(child);
        }
    }
    // Folders adopted before the listing (and not on disk yet) stay.
    for (const pf::Ref<RVFolderInfo>& folder : adopted)
        addSubfolder(folder);
    return m_subfolders;
}

void RVFolderInfo::addSubfolder(const pf::Ref<RVFolderInfo>& folder)
{
    if (!folder || folder.get() == this)
        return;
    for (const pf::Ref<RVFolderInfo>& existing : m_subfolders)
        if (existing == folder || existing->path() == folder->path())
            return;
    folder->m_parent = std::static_pointer_cast<RVFolderInfo>(shared_from_this());
    m_subfolders.append(folder);
    QCollator collator;
    collator.setNumericMode(true);
    std::stable_sort(m_subfolders.begin(), m_subfolders.end(),
                     [&](const auto& a, const auto& b) { return collator.compare(a->name(), b->name()) < 0; });
}

void RVFolderInfo::clearCache()
{
    m_subfolders.clear();
    m_listed = false;
}
