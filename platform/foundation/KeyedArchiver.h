#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/PropertyList.h"

#include <QByteArray>
#include <QHash>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVariant>

#include <memory>
#include <utility>
#include <vector>

namespace pf {

// The archive's own spelling, shared by KeyedArchiver and KeyedUnarchiver.
namespace archive {
inline const QString kArchiverKey = QStringLiteral("$archiver");
inline const QString kVersionKey = QStringLiteral("$version");
inline const QString kTopKey = QStringLiteral("$top");
inline const QString kObjectsKey = QStringLiteral("$objects");
inline const QString kClassKey = QStringLiteral("$class");
inline const QString kClassNameKey = QStringLiteral("$classname");
inline const QString kClassesKey = QStringLiteral("$classes");
inline const QString kNull = QStringLiteral("$null");

// A caller's key as stored, and back.
QString storedKey(const QString& key);
QString keyFromStored(const QString& stored);
} // namespace archive

// Writes a graph of Coding objects as a keyed archive: a property list
//
//   { "$archiver": "pf::KeyedArchiver", "$version": 100000,
//     "$top": { "root": UID, ... },
//     "$objects": [ "$null", object or class entry, ... ] }
//
// UID n refers to "$objects"[n]; UID 0 ("$null") is nil. Each object is a dictionary of its keys
// and "$class", the UID of a class entry { "$classname": name, "$classes": [name, superclass
// names...] }. Booleans, integers, reals, strings and data are stored inline under their key;
// floats as reals, points, sizes and rectangles as arrays of reals ([x, y], [w, h],
// [x, y, w, h]), property-list values as themselves with objects inside them as UIDs. Keys that
// begin with "$" or "CF$" are stored with one more "$" in front, so that they cannot be taken
// for the archive's own keys (or, in XML, for a UID).
//
// Every object is stored once, however often it is encoded, and is referred to by its UID, so
// shared references stay shared and cycles are allowed. Objects are encoded one after the other
// from a queue, not recursively, so a long chain of references does not deepen the stack.
// Encoding an object asks it replacementObjectForCoder once; encoding a key twice in one object,
// or an object that does not adopt Coding or whose class is not marked archivable, raises.
class KeyedArchiver {
public:
    static inline const QString kRootKey = QStringLiteral("root");
    static inline const QString kArchiverName = QStringLiteral("pf::KeyedArchiver");
    static constexpr int kVersion = 100000;

    // The archive of `root` under kRootKey; empty, with the error, when the property list
    // cannot be written (a string holding NUL, or control characters in XML).
    static QByteArray archivedData(const Ref<Object>& root, PropertyListFormat format = PropertyListFormat::Binary,
                                   Error* error = nullptr);

    explicit KeyedArchiver(PropertyListFormat format = PropertyListFormat::Binary);
    ~KeyedArchiver();
    KeyedArchiver(const KeyedArchiver&) = delete;
    KeyedArchiver& operator=(const KeyedArchiver&) = delete;

    PropertyListFormat format() const { return m_format; }

    // Values go to the object being encoded, or to the top of the archive outside
    // encodeWithCoder.
    void encodeBool(bool value, const QString& key);
    void encodeInt32(qint32 value, const QString& key);
    void encodeInt64(qint64 value, const QString& key);
    void encodeFloat(float value, const QString& key);
    void encodeDouble(double value, const QString& key);
    void encodeString(const QString& value, const QString& key);
    void encodeData(const QByteArray& value, const QString& key);
    void encodeBytes(const char* bytes, qsizetype length, const QString& key);
    void encodePoint(const QPointF& value, const QString& key);
    void encodeSize(const QSizeF& value, const QString& key);
    void encodeRect(const QRectF& value, const QString& key);
    // Null encodes nil.
    void encodeObject(const Ref<Object>& object, const QString& key);
    // Kept only when the object is also encoded unconditionally somewhere in the archive
    // (before or after this call); nil otherwise.
    void encodeConditionalObject(const Ref<Object>& object, const QString& key);
    // Strings, numbers, booleans, data, dates, lists and maps of them, and objects (Ref<Object>,
    // encoded as by encodeObject) at any depth; an invalid QVariant is nil. Raises
    // NSInvalidArgumentException for any other value.
    void encodePropertyListValue(const QVariant& value, const QString& key);

    // Encodes what is still queued, resolves conditional objects and writes the property list.
    // Later calls answer the first outcome; encoding after it raises.
    bool finishEncoding(Error* error = nullptr);
    // The archive, finishing the encoding first when needed; empty when writing failed.
    QByteArray encodedData(Error* error = nullptr);

    // The name written for instances of `cls` (for its superclass entries as well): this
    // archiver's mapping first, then the class-wide one, then the object's classNameForArchiver.
    // An empty name removes the mapping.
    void setClassNameForClass(const QString& name, const Class& cls);
    QString classNameForClass(const Class& cls) const;
    // Class-wide mappings; safe to call from any thread.
    static void setClassNameForClassGlobal(const QString& name, const Class& cls);
    static QString classNameForClassGlobal(const Class& cls);

private:
    // What has been encoded so far: each object as a flat run of (key, value) fields, written
    // straight to the binary form when encoding finishes. Kept in the source file.
    struct State;

    PropertyListFormat m_format;
    std::unique_ptr<State> m_state;
    QHash<const Class*, QString> m_classNames;
};

} // namespace pf
