#include "browsers/IMBIconCache.h"

#include "browsers/Image+MediaInfo.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/Image.h"

PF_DEFINE_CLASS(IMBIconCache, pf::Object) {}

IMBIconCache& IMBIconCache::sharedIconCache()
{
    static QMutex lock;
    QMutexLocker locker(&lock);
    static IMBIconCache* cache = new IMBIconCache;
    return *cache;
}

const IMBIconTypeMapping& IMBIconCache::albumIconMapping()
{
    static const IMBIconTypeMapping table = [] {
        auto entry = [](const char* type, const char* icon) {
            return IMBIconTypeMappingEntry{QString::fromLatin1(type), QString::fromLatin1(icon), QStringLiteral("folder"),
                                           QString(), QString()};
        };
        IMBIconTypeMapping made;
        made.entries = {entry("Events", "VN_iPhoto_Events.pdf"),
                        entry("Event", "VN_iPhoto_Albums.pdf"),
                        entry("Photos", "VN_iPhoto_Photos.pdf"),
                        entry("Shelf", "VN_iPhoto_Albums.pdf"),
                        entry("Flagged", "VN_iPhoto_Flagged.pdf"),
                        entry("Special Month", "VN_iPhoto_Last12mos.pdf"),
                        entry("Special Roll", "VN_iPhoto_Latest.pdf"),
                        entry("Selected Event Album", "VN_iPhoto_Events.pdf"),
                        entry("Published", "VN_iPhoto_Albums.pdf"),
                        entry("Favorites", "VN_iPhoto_Favorites.pdf")};
        made.unknownTypeEntry = entry("Regular", "VN_iPhoto_Photos.pdf");
        return made;
    }();
    return table;
}

pf::Ref<pf::Image> IMBIconCache::iconForType(const QString& type, const QString& bundleID, const IMBIconTypeMapping& table)
{
    if (type.isEmpty())
        return nullptr;
    QMutexLocker locker(&m_lock);
    QHash<QString, pf::Ref<pf::Image>>& icons = m_icons[bundleID];
    if (pf::Ref<pf::Image> cached = icons.value(type))
        return cached;
    pf::Ref<pf::Image> loaded = loadIconForType(type, bundleID, table);
    if (!loaded)
        return ImageMediaInfo::sharedGenericFolderIcon();
    loaded->setSize(QSizeF(16, 16));
    icons.insert(type, loaded);
    return loaded;
}

pf::Ref<pf::Image> IMBIconCache::loadIconForType(const QString& type, const QString& bundleID, const IMBIconTypeMapping& table)
{
    if (type.isEmpty() || bundleID.isEmpty())
        return nullptr;
    for (const IMBIconTypeMappingEntry& entry : table.entries) {
        if (entry.iconType != type)
            continue;
        if (pf::Ref<pf::Image> image =
                ImageMediaInfo::imageResourceNamed(entry.applicationIconName, bundleID, entry.fallbackIconName))
            return image;
        if (!entry.alternateBundlePath.isEmpty()) {
            if (pf::Ref<pf::Image> image = pf::Image::fromFile(entry.alternateBundlePath + QLatin1Char('/') + entry.alternateIconName)) {
                image->setSize(QSizeF(16, 16));
                return image;
            }
        }
    }
    return ImageMediaInfo::imageResourceNamed(table.unknownTypeEntry.applicationIconName, bundleID,
                                              table.unknownTypeEntry.fallbackIconName);
}
