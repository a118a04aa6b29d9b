#pragma once

#include "platform/foundation/Object.h"

#include <QList>
#include <QString>

class PWDrawableObject;
namespace pf {
class Pasteboard;
}

// The framework's own pasteboard form of drawables: an archive of the objects (with their
// styles), read back as new objects that belong to no container.
inline const QString kPWDrawableObjectPasteboardType = QStringLiteral("net.penwork.drawable-objects");

class PWDrawableObjectPasteboard {
public:
    // Replaces the pasteboard's contents with the objects; false (the contents cleared) when
    // there is nothing to write or they cannot be archived.
    static bool writeObjects(const QList<pf::Ref<PWDrawableObject>>& objects, pf::Pasteboard& pasteboard);
    // The drawables on the pasteboard, in the order written; empty when it holds none or the
    // data is damaged.
    static QList<pf::Ref<PWDrawableObject>> nativeObjectsFromPasteboard(const pf::Pasteboard& pasteboard);
};
