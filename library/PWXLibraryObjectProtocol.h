#pragma once

#include "platform/foundation/Object.h"

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>

// What a library item asks of the object it wraps: a framework style (class code 1) or a
// clip-art symbol master (class code 2). The two adopters come from different layers, so the
// item reaches them through these operations instead of a common base class.
struct PWXLibraryObjectProtocol {
    static constexpr int kStyleClassCode = 1;
    static constexpr int kSymbolMasterClassCode = 2;

    // Whether `object` can be kept by a library item.
    static bool conforms(const pf::Ref<pf::Object>& object);
    // The class code of the object's kind (0 for anything else).
    static int classCodeOf(const pf::Ref<pf::Object>& object);

    static QString uniqueKey(const pf::Ref<pf::Object>& object);
    static QString name(const pf::Ref<pf::Object>& object);
    static void setName(const pf::Ref<pf::Object>& object, const QString& name);
    static QString userDescription(const pf::Ref<pf::Object>& object);
    static void setUserDescription(const pf::Ref<pf::Object>& object, const QString& description);
    static bool locked(const pf::Ref<pf::Object>& object);
    static void setLocked(const pf::Ref<pf::Object>& object, bool locked);
    static double lastModificationTimestamp(const pf::Ref<pf::Object>& object);
    // Whether the object answers autoDetachesInstances (masters), and its answer.
    static bool answersAutoDetachesInstances(const pf::Ref<pf::Object>& object, bool* value);
    // Whether the object answers objectSize (masters), and its answer.
    static bool answersObjectSize(const pf::Ref<pf::Object>& object, QSizeF* size);
    // The size as text, "{w, h}", and back (the zero size for text that is not one).
    static QString stringFromSize(const QSizeF& size);
    static QSizeF sizeFromString(const QString& text);
    // The bytes kept as the package's "__data".
    static QByteArray fileData(const pf::Ref<pf::Object>& object);
    // The preview of the object fitted into `size`, scaled up when smaller.
    static QImage imageToFitSize(const pf::Ref<pf::Object>& object, const QSizeF& size);
    // An independent copy with a unique key of its own.
    static pf::Ref<pf::Object> clone(const pf::Ref<pf::Object>& object);
    // The object stored in `data` for an item of `classCode`; null when the data holds no
    // object of that kind.
    static pf::Ref<pf::Object> libraryObjectWithFileData(int classCode, const QByteArray& data);
};
