#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>

#include <string>
#include <string_view>
#include <vector>

namespace pf {

// Writes "bplist00" binary property lists straight from QVariant values, in time linear in the
// number of objects. Objects are numbered depth first from the top object (0); a dictionary's
// keys come before its values. Small strings, keys and other small values that repeat are
// written once and shared; arrays and dictionaries never are.
//
// Writing checks the value as it goes and fails on anything PropertyList::isValidPropertyList
// refuses (a type the format has no object for, a string holding NUL, an invalid date, a UID
// beyond 32 bits, containers nested `maxDepth` deep), so the value need not be checked first.
class BinaryPropertyListWriter {
public:
    // Empty when the value cannot be written.
    static QByteArray data(const QVariant& value, int maxDepth);

private:
    static constexpr quint64 kInvalidIndex = ~quint64(0);

    // Where an object's encoded bytes (all of it but its references) and its references start.
    // Both run on to where the next object's start, so objects are stored in index order.
    struct Object {
        quint64 bytesAt;
        quint64 firstReference;
    };

    // A slot of the table of shareable objects, found by the hash of their bytes. The table is
    // open addressed so that its entries cost no allocation each.
    struct SharedSlot {
        size_t hash = 0;
        quint64 index = kInvalidIndex;
    };

    explicit BinaryPropertyListWriter(int maxDepth) : m_maxDepth(maxDepth) {}

    quint64 flatten(const QVariant& value, int depth);
    quint64 flattenString(const QString& string);
    quint64 addObject(quint64 referenceCount = 0);
    quint64 shareLastObject();
    std::string_view bytesOf(quint64 index) const;
    quint64 referenceEnd(quint64 index) const;
    QByteArray write() const;

    std::vector<Object> m_objects;
    std::vector<quint64> m_references;
    std::string m_bytes; // QByteArray::append costs tens of nanoseconds a call, too much here
    std::vector<SharedSlot> m_sharedSlots; // a power of two in size, at most half full
    size_t m_sharedCount = 0;
    // Shared strings by where their characters lie: keys repeat as the same string in every
    // dictionary, and the value written lives until writing ends, so equal places mean equal text.
    QHash<std::pair<const QChar*, qsizetype>, quint64> m_sharedStrings;
    int m_maxDepth;
};

} // namespace pf
