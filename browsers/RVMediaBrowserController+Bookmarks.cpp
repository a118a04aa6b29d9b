// The media browser's roots remembered between runs: bookmarks in the user defaults, keyed by
// the folder's path.
#include "browsers/RVMediaBrowserController.h"

#include "platform/foundation/Bookmark.h"
#include "platform/foundation/UserDefaults.h"

#include <QCryptographicHash>
#include <QDir>

namespace {

pf::UserDefaults& defaults()
{
    return pf::UserDefaults::standard();
}

} // namespace

QList<pf::Ref<RVFolderInfo>> RVMediaBrowserController::bookmarkedRootItems()
{
    QList<pf::Ref<RVFolderInfo>> roots;
    auto resolve = [](const QVariant& value) -> pf::Ref<RVFolderInfo> {
        const QByteArray data = value.toByteArray();
        if (value.typeId() != QMetaType::QByteArray || data.isEmpty())
            return nullptr;
        pf::Ref<RVFolderInfo> root = RVFolderInfo::folderInfoRootItemWithBookmark(data);
        return root && root->existsOnDisk() ? root : nullptr;
    };
    if (defaults().objectForKey(kRVMediaBrowserBookmarkedItems2).isValid()) {
        const QVariantMap stored = defaults().dictionaryForKey(kRVMediaBrowserBookmarkedItems2);
        for (const QVariant& value : stored)
            if (pf::Ref<RVFolderInfo> root = resolve(value))
                roots.append(root);
        return roots;
    }
    if (!defaults().objectForKey(kRVMediaBrowserBookmarkedItems).isValid())
        return roots;
    // The older list becomes the dictionary once. Entries that cannot be resolved today are
    // carried over as they are: their folder may be back (a disk plugged in) another day.
    QVariantMap migrated;
    const QVariantList old = defaults().arrayForKey(kRVMediaBrowserBookmarkedItems);
    for (const QVariant& value : old) {
        if (pf::Ref<RVFolderInfo> root = resolve(value)) {
            const QByteArray fresh = root->bookmark();
            if (!fresh.isEmpty()) {
                migrated.insert(root->path(), fresh);
                roots.append(root);
            }
        } else if (value.typeId() == QMetaType::QByteArray && !value.toByteArray().isEmpty()) {
            const QByteArray hash = QCryptographicHash::hash(value.toByteArray(), QCryptographicHash::Sha1).toHex();
            migrated.insert(QStringLiteral("unresolved-") + QString::fromLatin1(hash), value);
        }
    }
    defaults().removeObjectForKey(kRVMediaBrowserBookmarkedItems);
    defaults().setObject(migrated, kRVMediaBrowserBookmarkedItems2);
    defaults().synchronize();
    return roots;
}

void RVMediaBrowserController::addRootBookmark(const pf::Ref<RVFolderInfo>& root)
{
    if (!root || root->parent())
        return;
    const QByteArray bookmark = root->bookmark();
    if (bookmark.isEmpty())
        return;
    QVariantMap stored = defaults().dictionaryForKey(kRVMediaBrowserBookmarkedItems2);
    // Keyed by the folder's path: two folders of the same name are both remembered.
    stored.insert(root->path(), bookmark);
    defaults().setObject(stored, kRVMediaBrowserBookmarkedItems2);
    defaults().synchronize();
}

void RVMediaBrowserController::removeRootBookmark(const pf::Ref<RVFolderInfo>& root)
{
    if (!root || root->parent())
        return;
    QVariantMap stored = defaults().dictionaryForKey(kRVMediaBrowserBookmarkedItems2);
    stored.remove(root->path());
    // Entries stored under another key (by older versions) that lead to the same folder go too.
    for (auto it = stored.begin(); it != stored.end();) {
        const QString resolved = pf::Bookmark::resolve(it.value().toByteArray(), RVFolderInfo::bookmarkResolutionOptions());
        if (!resolved.isEmpty() && QDir::cleanPath(resolved) == root->path())
            it = stored.erase(it);
        else
            ++it;
    }
    defaults().setObject(stored, kRVMediaBrowserBookmarkedItems2);
    defaults().synchronize();
}

void RVMediaBrowserController::removeAllRootBookmarks()
{
    defaults().removeObjectForKey(kRVMediaBrowserBookmarkedItems2);
    defaults().synchronize();
}

