#pragma once

#include "platform/foundation/Error.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QVariant>

namespace pf {

enum class PropertyListFormat { XML = 100, Binary = 200 };

// A UID object of a binary property list: the keyed archiver's reference to another archived
// object. XML property lists spell it as a dictionary with the single key "CF$UID".
struct PlistUID {
    quint64 value = 0;
    bool operator==(const PlistUID&) const = default;
};

// Property lists to and from QVariant. libplist reads both formats and writes XML;
// BinaryPropertyListWriter writes the binary format, in time linear in the number of objects.
//
// Dictionaries are QVariantMap, arrays QVariantList (QStringList is accepted when writing),
// strings QString, integers int, uint, qlonglong and qulonglong (read back as qlonglong, or
// qulonglong above INT64_MAX), reals double and float (read back as double), booleans bool,
// data QByteArray, dates QDateTime (read back in UTC; XML keeps whole seconds, binary keeps
// milliseconds) and PlistUID. Anything else makes writing fail.
//
// Reading never trusts its input: damaged, truncated, cyclic or too deeply nested data fails
// with kErrorPropertyListRead instead of reaching the parser.
class PropertyList {
public:
    // The property list's bytes, with dictionary keys sorted so that equal values give equal
    // bytes; empty, with kErrorPropertyListWrite, when the value holds anything a property list
    // cannot.
    static QByteArray data(const QVariant& value, PropertyListFormat format, Error* error = nullptr);
    // Binary when the data starts with "bplist00", XML otherwise.
    static QVariant value(const QByteArray& data, PropertyListFormat* format = nullptr, Error* error = nullptr);
    // Whether `data` can write the value in the binary format; XML refuses in addition control
    // characters in strings, which XML cannot carry.
    static bool isValidPropertyList(const QVariant& value);

    static QVariant read(const QString& path, PropertyListFormat* format = nullptr, Error* error = nullptr);
    // Replaces the file atomically: on failure the old file stays as it was.
    static bool write(const QVariant& value, const QString& path, PropertyListFormat format, Error* error = nullptr);
};

} // namespace pf

Q_DECLARE_METATYPE(pf::PlistUID)
