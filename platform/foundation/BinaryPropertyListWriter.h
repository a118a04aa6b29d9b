#pragma once

#include <QByteArray>
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
// The value must be one PropertyList::isValidPropertyList accepts (which also bounds the
// nesting); PropertyList::data checks that before calling here.
class BinaryPropertyListWriter {
public:
    // Empty when the value holds a type the format has no object for.
    static QByteArray data(const QVariant& value);

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

    BinaryPropertyListWriter() = default;

    quint64 flatten(const QVariant& value);
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
};

} // namespace pf
