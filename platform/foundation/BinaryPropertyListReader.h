#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>
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
class BinaryPropertyListReader {
public:
    struct Result {
        QVariant value;
        QString problem; // why the list cannot be read, or empty
    };

    // The top object, or nothing when the list holds a value this reader leaves to others.
    // Arrays and dictionaries nested `maxDepth` deep fail.
    static std::optional<Result> read(const QByteArray& data, int maxDepth);

private:
    BinaryPropertyListReader(const QByteArray& data, int maxDepth);

    bool readTrailer();
    // False when the object needs the general reader.
    bool decode(quint64 index, int depth, QVariant* out);
    bool decodeString(quint64 position, int type, quint64 count, QString* out) const;
    quint64 offsetOf(quint64 index) const;
    quint64 reference(quint64 at) const;
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
    std::vector<QVariant> m_decoded;
    std::vector<bool> m_isDecoded;
    QString m_problem;
};

} // namespace pf
