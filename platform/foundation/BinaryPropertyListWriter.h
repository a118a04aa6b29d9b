#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariant>

#include <string_view>
#include <vector>

namespace pf {

// How deeply property lists may nest arrays and dictionaries, reading and writing.
inline constexpr int kMaxPropertyListDepth = 512;

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
    static constexpr quint64 kInvalidIndex = ~quint64(0);

    // Empty when the value cannot be written.
    static QByteArray data(const QVariant& value, int maxDepth);

    // Writing piece by piece, for callers that keep their values in a form of their own. Each
    // add answers the index of the object (an earlier equal one for a small shared value), or
    // kInvalidIndex when the value cannot be written. Adding a container, then each of its
    // children depth first (a dictionary's keys before its values) and setting its references
    // as they come, gives the bytes `data` gives for the same value. Strings must stay alive,
    // unchanged, until write() has returned: equal places are taken for equal text.
    explicit BinaryPropertyListWriter(int maxDepth);
    // About how many objects, references and bytes (references aside) the list will take, so
    // that its storage is set aside once instead of grown by copying.
    void reserve(size_t objects, size_t references, size_t bytes);
    // UIDs below `count` are shared through a table by value rather than by hash; for lists
    // that hold many, as keyed archives do. Before the first UID is added.
    void expectUids(quint64 count);
    quint64 addArray(quint64 count);
    quint64 addDictionary(quint64 count); // keys first, then values
    void setReference(quint64 container, quint64 position, quint64 child);
    quint64 addBool(bool value);
    quint64 addInteger(qint64 value);
    quint64 addReal(double value);
    quint64 addUid(quint64 value);
    quint64 addData(const char* bytes, qsizetype size);
    quint64 addString(const QString& string) { return flattenString(string); }
    // Whether an object is small enough to be shared: a larger one is written again at each use.
    bool isShareable(quint64 index) const;
    // Any value `data` takes, as if met `depth` containers down.
    quint64 addValue(const QVariant& value, int depth) { return flatten(value, depth); }
    // The list, its top object being the first added. Ends the writing: the list is handed over.
    QByteArray write();

private:
    // The list is laid out as it will be written, references in place, in one buffer that
    // becomes the result: nothing is copied at the end. References take the size the number of
    // objects foreseen needs; should the count come out otherwise, the objects are laid out
    // again once with the right size.

    // A slot of the table of shareable objects, found by the hash of their bytes. The table is
    // open addressed so that its entries cost no allocation each.
    struct SharedSlot {
        quint32 hash = 0;
        quint32 index = kNoSlot;
    };
    static constexpr quint32 kNoSlot = ~quint32(0);

    quint64 flatten(const QVariant& value, int depth);
    quint64 flattenString(const QString& string);
    quint64 addObject();
    quint64 addContainer(uchar type, quint64 count, quint64 referenceCount);
    quint64 addUnsigned(quint64 value);
    quint64 addDouble(uchar marker, double value);
    void putString(const QString& string);
    quint64 shareLastObject();
    std::string_view bytesOf(quint64 index) const;
    size_t headerLength(quint64 container) const;
    // `bytes` more at the end of the list, or room for at most `most` and then advanceTo where
    // the object written there ends.
    char* extend(size_t bytes);
    char* room(size_t most);
    void advanceTo(const char* end) { m_used = size_t(end - m_data); }
    void reserveBytes(size_t bytes);
    void relayOut(int referenceSize);

    // The list so far: the magic, then each object's bytes, references included.
    QByteArray m_out;
    char* m_data = nullptr;
    size_t m_used = 0;
    size_t m_capacity = 0;
    int m_referenceSize = 1;
    quint64 m_referenceCount = 0;
    // Where each object starts in m_out; objects lie in index order.
    std::vector<quint64> m_objects;
    std::vector<quint32> m_uidObjects; // by UID: the object written for it + 1, or 0
    std::vector<SharedSlot> m_sharedSlots; // a power of two in size, at most half full
    size_t m_sharedCount = 0;
    // Shared strings by where their characters lie: keys repeat as the same string in every
    // dictionary, and the value written lives until writing ends, so equal places mean equal text.
    QHash<std::pair<const QChar*, qsizetype>, quint64> m_sharedStrings;
    int m_maxDepth;
};

} // namespace pf
