#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>
#include <QVariant>
#include <QtEndian>

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace pf {

// Reads "bplist00" binary property lists straight into QVariant values, each object once:
// an object referred to from many places is decoded the first time and shared after that
// (QVariant values are implicitly shared), so reading is linear in the number of objects.
//
// It reads what BinaryPropertyListWriter writes and every other list whose values have one
// plain reading: booleans, integers of 1, 2, 4 and 8 bytes, 4- and 8-byte reals, dates, data,
// ASCII and well-formed UTF-16 strings without NUL, UIDs of up to 8 bytes, arrays and dictionaries. For
// anything else (null and fill objects, sets, 16-byte integers, lone surrogates, NUL, bytes
// outside ASCII in an ASCII string) it answers nothing, and the caller reads the list the general way.
//
// The data must have passed PropertyList's structure check (trailer, offsets, references in
// range, no cycles, string keys, bounded nesting); this reader relies on it.
// Why a binary property list cannot be read safely (a damaged structure, cycles, nesting or
// expansion beyond what PropertyList allows), or an empty string. Defined with PropertyList.
// `plain`, when given, is set to whether the list has no problem and BinaryPropertyListReader
// takes every value in it, which is what its own check in inPlace() would find.
QString binaryPropertyListStructureProblem(const QByteArray& data, bool* plain = nullptr);

class BinaryPropertyListReader {
public:
    struct Result {
        QVariant value;
        QString problem; // why the list cannot be read, or empty
    };

    // The top object, or nothing when the list holds a value this reader leaves to others.
    // Arrays and dictionaries nested `maxDepth` deep fail.
    static std::optional<Result> read(const QByteArray& data, int maxDepth);

    // Reading where the list lies: the whole list is checked first, as read() would take it,
    // and then only the values asked for are decoded. Null when read() would answer nothing or
    // a problem. The data must stay alive and unchanged while the reader is in use.
    // `checked`: binaryPropertyListStructureProblem found the list plain, and the reader's own
    // walk is skipped.
    static std::unique_ptr<BinaryPropertyListReader> inPlace(const QByteArray& data, int maxDepth, bool checked = false);

    enum Type { Boolean = 0x0, Integer = 0x1, Real = 0x2, Date = 0x3, Data = 0x4, AsciiString = 0x5,
                Utf16String = 0x6, Uid = 0x8, Array = 0xa, Dictionary = 0xd };
    static constexpr quint64 kNone = ~quint64(0);

    // An unsigned big-endian number of `size` bytes (1 to 8), as offsets, references and
    // counts are stored; the common sizes load at once.
    static quint64 bigEndianOf(const uchar* bytes, int size)
    {
        switch (size) {
        case 1: return bytes[0];
        case 2: return qFromBigEndian<quint16>(bytes);
        case 4: return qFromBigEndian<quint32>(bytes);
        case 8: return qFromBigEndian<quint64>(bytes);
        default: break;
        }
        quint64 value = 0;
        for (int i = 0; i < size; ++i)
            value = (value << 8) | bytes[i];
        return value;
    }

    quint64 topObject() const { return m_top; }
    Type typeOf(quint64 index) const { return Type(m_bytes[offsetOf(index)] >> 4); }
    bool isString(quint64 index) const { return typeOf(index) == AsciiString || typeOf(index) == Utf16String; }
    quint64 countOf(quint64 index) const; // of an array, dictionary, string or data
    quint64 elementOf(quint64 array, quint64 position) const;
    // The value under `key` in a dictionary, the last one when the key repeats; kNone if none.
    quint64 valueForKey(quint64 dictionary, QStringView key) const;
    // Calls `visit(key, value)` for each entry of a dictionary, in stored order.
    template <class F>
    void forEachEntry(quint64 dictionary, F&& visit) const
    {
        quint64 count = 0, at = 0;
        readCount(offsetOf(dictionary), &count, &at);
        const quint64 size = quint64(m_referenceSize);
        for (quint64 i = 0; i < count; ++i)
            visit(reference(at + i * size), reference(at + (count + i) * size));
    }
    // Each as read() would decode it; the object must be of that type.
    bool booleanOf(quint64 index) const { return m_bytes[offsetOf(index)] == 0x09; }
    qint64 integerOf(quint64 index) const;
    double realOf(quint64 index) const;
    quint64 uidOf(quint64 index) const;
    QString stringOf(quint64 index) const;
    // The bytes that hold a string or data object, its marker and length included.
    std::string_view bytesOf(quint64 index) const;
    QByteArray dataOf(quint64 index) const;
    // Any object; containers decoded once are shared after that.
    QVariant valueOf(quint64 index);

private:
    enum class Mode { Build, Check, InPlace };

    BinaryPropertyListReader(const QByteArray& data, int maxDepth);

    bool readTrailer();
    // False when the object needs the general reader.
    bool decode(quint64 index, int depth, QVariant* out);
    // Null `out` checks the string only.
    bool decodeString(quint64 position, int type, quint64 count, QString* out) const;
    // Offsets and references are read for every value looked up: they are read inline.
    quint64 offsetOf(quint64 index) const
    {
        return bigEndianOf(m_bytes + m_offsetTable + index * quint64(m_offsetSize), m_offsetSize);
    }
    quint64 reference(quint64 at) const { return bigEndianOf(m_bytes + at, m_referenceSize); }
    // The count of a container, string or data object, and where its content starts.
    void readCount(quint64 offset, quint64* count, quint64* contentAt) const;

    const uchar* m_bytes;
    quint64 m_size;
    int m_maxDepth;
    int m_offsetSize = 0;
    int m_referenceSize = 0;
    quint64 m_count = 0;
    quint64 m_top = 0;
    quint64 m_offsetTable = 0;
    Mode m_mode = Mode::Build;
    std::vector<QVariant> m_decoded; // while building
    std::vector<bool> m_isDecoded;
    QHash<quint64, QVariant> m_containers; // in place
    QString m_problem;
};

} // namespace pf
