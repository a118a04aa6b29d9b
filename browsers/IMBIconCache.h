#pragma once

#include "platform/foundation/Object.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>

namespace pf {
class Image;
}

// One entry of an icon mapping table: which image stands for an album type.
struct IMBIconTypeMappingEntry {
    QString iconType;
    QString applicationIconName; // in the application's resources
    QString fallbackIconName;    // in the main bundle
    QString alternateIconName;
    QString alternateBundlePath;
};

struct IMBIconTypeMapping {
    QList<IMBIconTypeMappingEntry> entries;
    IMBIconTypeMappingEntry unknownTypeEntry;
};

// Album icons by type, loaded once per bundle and type and kept (16 x 16 points).
class IMBIconCache : public pf::Object {
    PF_CLASS(IMBIconCache)
public:
    static IMBIconCache& sharedIconCache();
    // The photo albums' table.
    static const IMBIconTypeMapping& albumIconMapping();

    // Null for an empty type; the shared folder icon (not remembered) when nothing loads.
    pf::Ref<pf::Image> iconForType(const QString& type, const QString& bundleID, const IMBIconTypeMapping& table);
    pf::Ref<pf::Image> loadIconForType(const QString& type, const QString& bundleID, const IMBIconTypeMapping& table);

private:
    QHash<QString, QHash<QString, pf::Ref<pf::Image>>> m_icons;
    QMutex m_lock;
};
