#include "platform/foundation/BinaryPropertyListWriter.h"

#include "platform/foundation/Date.h"
#include "platform/foundation/HugePages.h"
#include "platform/foundation/PropertyList.h"

#include <QDateTime>
#include <QHashFunctions>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

namespace pf {

namespace {

const QByteArray kMagic = QByteArrayLiteral("bplist00");
constexpr int kTrailerLength = 32;

// Object markers: the high nibble is the type, the low one a size or a count.
constexpr uchar kFalse = 0x08;
constexpr uchar kTrue = 0x09;
constexpr uchar kInteger = 0x10;
constexpr uchar kEightByteInteger = 0x13;
constexpr uchar kSixteenByteInteger = 0x14;
constexpr uchar kReal = 0x23;
constexpr uchar kDate = 0x33;
constexpr uchar kData = 0x4;
constexpr uchar kAsciiString = 0x5;
constexpr uchar kUtf16String = 0x6;
constexpr uchar kUid = 0x80;
constexpr uchar kArray = 0xa;
constexpr uchar kDictionary = 0xd;
constexpr quint64 kCountInMarker = 15; // larger counts follow the marker as an integer object

// Objects are shared only while they are this short. Readers copy a shared object at every
// reference to it, and PropertyList refuses data that would expand to more than 32 times its
// size; a reference takes at least one byte, so sharing objects of at most 31 bytes keeps any
// list we write below that bound, however often a value repeats.
constexpr size_t kLongestSharedObject = 31;

// The fewest bytes that hold the value, for offsets and references, which may take any size.
int fewestBytesFor(quint64 value)
{
    int size = 1;
    while (size < 8 && (value >> (8 * size)) != 0)
        ++size;
    return size;
}

// 1, 2, 4 or 8: the fewest bytes of that series that hold the value, for integers and UIDs.
int bytesFor(quint64 value)
{
    if (value <= 0xff)
        return 1;
    if (value <= 0xffff)
        return 2;
    if (value <= 0xffffffffu)
        return 4;
    return 8;
}

int log2OfSize(int size)
{
    return size == 1 ? 0 : size == 2 ? 1 : size == 4 ? 2 : 3;
}

void putBigEndian(char*& at, quint64 value, int size)
{
    for (int i = size - 1; i >= 0; --i, value >>= 8)
        at[i] = char(value & 0xff);
    at += size;
}

quint64 getBigEndian(const char* at, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | uchar(at[i]);
    return value;
}

// The writers below put an object's bytes at `at` and move it past them; the caller has made
// room for the most each can write.
constexpr size_t kLongestMarker = 10; // a marker, then a count as an eight-byte integer object

void putUnsigned(char*& at, quint64 value)
{
    const int size = bytesFor(value);
    *at++ = char(kInteger | log2OfSize(size));
    putBigEndian(at, value, size);
}

void putDouble(char*& at, uchar marker, double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    *at++ = char(marker);
    putBigEndian(at, bits, 8);
}

void putMarker(char*& at, uchar type, quint64 count)
{
    if (count < kCountInMarker) {
        *at++ = char((type << 4) | count);
        return;
    }
    *at++ = char((type << 4) | 0x0f);
    putUnsigned(at, count);
}

void putInteger(char*& at, qint64 number)
{
    if (number >= 0) {
        putUnsigned(at, quint64(number));
    } else {
        // Negative numbers take all eight bytes, in two's complement.
        *at++ = char(kEightByteInteger);
        putBigEndian(at, quint64(number), 8);
    }
}

// False for a UID beyond 32 bits.
bool putUid(char*& at, quint64 uid)
{
    if (uid > std::numeric_limits<quint32>::max())
        return false;
    const int size = bytesFor(uid);
    *at++ = char(kUid | (size - 1));
    putBigEndian(at, uid, size);
    return true;
}

bool isAscii(const QString& string)
{
    for (const QChar c : string) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

bool holdsNul(const QString& string)
{
    return std::any_of(string.cbegin(), string.cend(), [](QChar c) { return c.unicode() == 0; });
}

bool hasLoneSurrogate(const QString& string)
{
    for (qsizetype i = 0; i < string.size(); ++i) {
        const QChar c = string[i];
        if (c.isHighSurrogate() && i + 1 < string.size() && string[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

// A hash of a shareable object's bytes (at most 31 of them), for the table of shared objects.
quint32 hashOf(std::string_view bytes)
{
    quint64 words[4] = {};
    std::memcpy(words, bytes.data(), std::min(bytes.size(), sizeof words));
    quint64 hash = bytes.size() * Q_UINT64_C(0x9E3779B97F4A7C15);
    for (size_t i = 0; i < (bytes.size() + 7) / 8 && i < 4; ++i) {
        hash = (hash ^ words[i]) * Q_UINT64_C(0xBF58476D1CE4E5B9);
        hash ^= hash >> 31;
    }
    return quint32(hash ^ (hash >> 32));
}

} // namespace

namespace {

// About what flattening the value adds, at most: objects, references and encoded bytes. The
// tables are reserved from them once, so that a large list is not copied, and its fresh pages
// touched again, each time a table outgrows its storage.
struct Extent {
    size_t objects = 0;
    size_t references = 0;
    size_t bytes = 0;
};

void measure(const QVariant& value, int depth, int maxDepth, Extent& extent)
{
    ++extent.objects;
    extent.bytes += 9; // a marker and up to eight bytes of count or scalar
    if (depth >= maxDepth)
        return; // flattening fails here anyway
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        extent.references += 2 * size_t(map.size());
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            ++extent.objects;
            extent.bytes += 9 + 2 * size_t(it.key().size());
            measure(it.value(), depth + 1, maxDepth, extent);
        }
        break;
    }
    case QMetaType::QVariantList: {
        const QVariantList list = value.toList();
        extent.references += size_t(list.size());
        for (const QVariant& item : list)
            measure(item, depth + 1, maxDepth, extent);
        break;
    }
    case QMetaType::QStringList: {
        const QStringList list = value.toStringList();
        extent.references += size_t(list.size());
        for (const QString& item : list) {
            ++extent.objects;
            extent.bytes += 9 + 2 * size_t(item.size());
        }
        break;
    }
    case QMetaType::QString:
        extent.bytes += 2 * size_t(value.toString().size());
        break;
    case QMetaType::QByteArray:
        extent.bytes += size_t(value.toByteArray().size());
        break;
    default:
        break;
    }
}

} // namespace

QByteArray BinaryPropertyListWriter::data(const QVariant& value, int maxDepth)
{
    BinaryPropertyListWriter writer(maxDepth);
    Extent extent;
    measure(value, 0, maxDepth, extent);
    writer.reserve(extent.objects, extent.references, extent.bytes);
    if (writer.flatten(value, 0) == kInvalidIndex)
        return {};
    return writer.write();
}

BinaryPropertyListWriter::BinaryPropertyListWriter(int maxDepth) : m_maxDepth(maxDepth)
{
    std::memcpy(extend(size_t(kMagic.size())), kMagic.constData(), size_t(kMagic.size()));
}

void BinaryPropertyListWriter::reserve(size_t objects, size_t references, size_t bytes)
{
    if (m_objects.empty()) // the size of references is chosen before the first is written
        m_referenceSize = fewestBytesFor(objects > 1 ? objects - 1 : 0);
    m_objects.reserve(objects);
    adviseHugePages(m_objects.data(), m_objects.capacity() * sizeof(quint64));
    const size_t listBytes = size_t(kMagic.size()) + bytes + references * size_t(m_referenceSize);
    reserveBytes(m_used + listBytes + objects * size_t(fewestBytesFor(listBytes)) + kTrailerLength);
}

void BinaryPropertyListWriter::reserveBytes(size_t bytes)
{
    if (bytes <= m_capacity)
        return;
    const size_t capacity = std::max({bytes, 2 * m_capacity, size_t(256)});
    // Growing a large buffer moves its pages rather than copying them; the fresh part is
    // asked for in huge pages, which cost far less to touch first.
    m_out.resize(qsizetype(capacity));
    m_data = m_out.data();
    adviseHugePages(m_data + m_capacity, capacity - m_capacity);
    m_capacity = capacity;
}

char* BinaryPropertyListWriter::extend(size_t bytes)
{
    if (m_capacity - m_used < bytes)
        reserveBytes(m_used + bytes);
    char* at = m_data + m_used;
    m_used += bytes;
    return at;
}

char* BinaryPropertyListWriter::room(size_t most)
{
    if (m_capacity - m_used < most)
        reserveBytes(m_used + most);
    return m_data + m_used;
}

bool BinaryPropertyListWriter::isShareable(quint64 index) const
{
    return bytesOf(index).size() <= kLongestSharedObject;
}

quint64 BinaryPropertyListWriter::addContainer(uchar type, quint64 count, quint64 referenceCount)
{
    const quint64 index = addObject();
    const size_t referenceBytes = size_t(referenceCount) * size_t(m_referenceSize);
    char* at = room(kLongestMarker + referenceBytes);
    putMarker(at, type, count);
    // Set as the children are numbered.
    std::memset(at, 0, referenceBytes);
    advanceTo(at + referenceBytes);
    m_referenceCount += referenceCount;
    return index;
}

quint64 BinaryPropertyListWriter::addArray(quint64 count)
{
    return addContainer(kArray, count, count);
}

quint64 BinaryPropertyListWriter::addDictionary(quint64 count)
{
    return addContainer(kDictionary, count, 2 * count);
}

size_t BinaryPropertyListWriter::headerLength(quint64 container) const
{
    const char* at = m_data + m_objects[container];
    if ((uchar(at[0]) & 0x0f) != 0x0f)
        return 1;
    return 2 + (size_t(1) << (uchar(at[1]) & 0x0f));
}

void BinaryPropertyListWriter::setReference(quint64 container, quint64 position, quint64 child)
{
    if (child >= kNoSlot)
        return; // a failed child: the caller gives up on the list
    if (m_referenceSize < 4 && (child >> (8 * m_referenceSize)) != 0)
        relayOut(fewestBytesFor(child));
    char* at = m_data + m_objects[container] + headerLength(container) + position * quint64(m_referenceSize);
    putBigEndian(at, child, m_referenceSize);
}

quint64 BinaryPropertyListWriter::addBool(bool value)
{
    addObject();
    *extend(1) = char(value ? kTrue : kFalse);
    return shareLastObject();
}

quint64 BinaryPropertyListWriter::addInteger(qint64 value)
{
    addObject();
    char* at = room(9);
    putInteger(at, value);
    advanceTo(at);
    return shareLastObject();
}

quint64 BinaryPropertyListWriter::addUnsigned(quint64 value)
{
    if (value <= quint64(std::numeric_limits<qint64>::max()))
        return addInteger(qint64(value));
    // Eight bytes would read back as negative; the sixteen-byte form marks it unsigned.
    addObject();
    char* at = extend(17);
    *at++ = char(kSixteenByteInteger);
    putBigEndian(at, 0, 8);
    putBigEndian(at, value, 8);
    return shareLastObject();
}

quint64 BinaryPropertyListWriter::addReal(double value)
{
    return addDouble(kReal, value);
}

quint64 BinaryPropertyListWriter::addDouble(uchar marker, double value)
{
    addObject();
    char* at = extend(9);
    putDouble(at, marker, value);
    return shareLastObject();
}

void BinaryPropertyListWriter::expectUids(quint64 count)
{
    if (count <= m_uidObjects.size() || count >= kNoSlot)
        return;
    m_uidObjects.reserve(size_t(count));
    adviseHugePages(m_uidObjects.data(), size_t(count) * sizeof(quint32));
    m_uidObjects.resize(size_t(count));
}

quint64 BinaryPropertyListWriter::addUid(quint64 value)
{
    if (value < m_uidObjects.size()) {
        // No other object has a UID's bytes, so this table finds what the shared ones would.
        quint32& written = m_uidObjects[size_t(value)];
        if (written != 0)
            return written - 1;
        const quint64 index = addObject();
        char* at = room(5);
        putUid(at, value);
        advanceTo(at);
        if (index < kNoSlot)
            written = quint32(index + 1);
        return index;
    }
    addObject();
    char* at = room(5);
    if (!putUid(at, value))
        return kInvalidIndex;
    advanceTo(at);
    return shareLastObject();
}

quint64 BinaryPropertyListWriter::addData(const char* bytes, qsizetype size)
{
    addObject();
    char* at = room(kLongestMarker + size_t(size));
    putMarker(at, kData, quint64(size));
    if (size > 0)
        std::memcpy(at, bytes, size_t(size));
    advanceTo(at + size);
    return shareLastObject();
}

quint64 BinaryPropertyListWriter::addObject()
{
    const quint64 index = m_objects.size();
    m_objects.push_back(m_used);
    return index;
}

std::string_view BinaryPropertyListWriter::bytesOf(quint64 index) const
{
    const quint64 begin = m_objects[index];
    const quint64 end = index + 1 < m_objects.size() ? m_objects[index + 1] : m_used;
    return std::string_view(m_data + begin, end - begin);
}

// The last object, just encoded, or an earlier one with the same bytes that it then gives way to.
quint64 BinaryPropertyListWriter::shareLastObject()
{
    const quint64 index = m_objects.size() - 1;
    const std::string_view bytes = bytesOf(index);
    if (bytes.size() > kLongestSharedObject || index >= kNoSlot)
        return index;
    if (2 * (m_sharedCount + 1) > m_sharedSlots.size()) {
        std::vector<SharedSlot> grown(std::max<size_t>(64, 2 * m_sharedSlots.size()));
        for (const SharedSlot& slot : m_sharedSlots) {
            if (slot.index == kNoSlot)
                continue;
            size_t at = slot.hash & (grown.size() - 1);
            while (grown[at].index != kNoSlot)
                at = (at + 1) & (grown.size() - 1);
            grown[at] = slot;
        }
        m_sharedSlots.swap(grown);
    }
    const quint32 hash = hashOf(bytes);
    size_t at = hash & (m_sharedSlots.size() - 1);
    for (; m_sharedSlots[at].index != kNoSlot; at = (at + 1) & (m_sharedSlots.size() - 1)) {
        const SharedSlot& slot = m_sharedSlots[at];
        if (slot.hash == hash && bytesOf(slot.index) == bytes) {
            m_used = m_objects.back();
            m_objects.pop_back();
            return slot.index;
        }
    }
    m_sharedSlots[at] = SharedSlot{hash, quint32(index)};
    ++m_sharedCount;
    return index;
}

// Lays the objects out again with references of another size.
void BinaryPropertyListWriter::relayOut(int referenceSize)
{
    const size_t used = m_used - size_t(m_referenceCount) * size_t(m_referenceSize) +
                        size_t(m_referenceCount) * size_t(referenceSize);
    BinaryPropertyListWriter other(m_maxDepth);
    other.reserveBytes(used + (m_capacity - m_used));
    char* to = other.m_data + kMagic.size();
    for (size_t index = 0; index < m_objects.size(); ++index) {
        const char* from = m_data + m_objects[index];
        const char* end = m_data + (index + 1 < m_objects.size() ? m_objects[index + 1] : m_used);
        const uchar type = uchar(*from) >> 4;
        const size_t header = (type == kArray || type == kDictionary) ? headerLength(index) : size_t(end - from);
        m_objects[index] = quint64(to - other.m_data);
        std::memcpy(to, from, header);
        to += header;
        for (from += header; from < end; from += m_referenceSize)
            putBigEndian(to, getBigEndian(from, m_referenceSize), referenceSize);
    }
    m_out = std::move(other.m_out);
    m_data = m_out.data();
    m_capacity = other.m_capacity;
    m_used = used;
    m_referenceSize = referenceSize;
}

// Numbers the value's objects depth first and encodes them. A container sets aside its
// references before its children are numbered, and fills them in as they are.
quint64 BinaryPropertyListWriter::flatten(const QVariant& value, int depth)
{
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        if (depth >= m_maxDepth)
            return kInvalidIndex;
        const QVariantMap map = value.toMap();
        const quint64 count = quint64(map.size());
        const quint64 index = addDictionary(count);
        quint64 at = 0;
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            const quint64 key = flattenString(it.key());
            if (key == kInvalidIndex)
                return kInvalidIndex;
            setReference(index, at++, key);
        }
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            const quint64 child = flatten(it.value(), depth + 1);
            if (child == kInvalidIndex)
                return kInvalidIndex;
            setReference(index, at++, child);
        }
        return index;
    }
    case QMetaType::QVariantList: {
        if (depth >= m_maxDepth)
            return kInvalidIndex;
        const QVariantList list = value.toList();
        const quint64 index = addArray(quint64(list.size()));
        quint64 at = 0;
        for (const QVariant& item : list) {
            const quint64 child = flatten(item, depth + 1);
            if (child == kInvalidIndex)
                return kInvalidIndex;
            setReference(index, at++, child);
        }
        return index;
    }
    case QMetaType::QStringList: {
        if (depth >= m_maxDepth)
            return kInvalidIndex;
        const QStringList list = value.toStringList();
        const quint64 index = addArray(quint64(list.size()));
        quint64 at = 0;
        for (const QString& item : list) {
            const quint64 child = flattenString(item);
            if (child == kInvalidIndex)
                return kInvalidIndex;
            setReference(index, at++, child);
        }
        return index;
    }
    case QMetaType::QString:
        return flattenString(value.toString());
    case QMetaType::Bool:
        return addBool(value.toBool());
    case QMetaType::Int:
    case QMetaType::LongLong:
        return addInteger(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return addUnsigned(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return addReal(value.toDouble());
    case QMetaType::QDateTime:
        if (!value.toDateTime().isValid())
            return kInvalidIndex;
        return addDouble(kDate, Date::timeIntervalSinceReferenceDate(value.toDateTime()));
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return addData(bytes.constData(), bytes.size());
    }
    default:
        if (value.metaType() != QMetaType::fromType<PlistUID>())
            return kInvalidIndex;
        return addUid(value.value<PlistUID>().value);
    }
}

void BinaryPropertyListWriter::putString(const QString& string)
{
    const qsizetype length = string.size();
    if (isAscii(string)) {
        char* at = room(kLongestMarker + size_t(length));
        putMarker(at, kAsciiString, quint64(length));
        for (const QChar c : string)
            *at++ = char(c.unicode());
        advanceTo(at);
        return;
    }
    // A lone surrogate has no UTF-16 reading; it becomes '?' as in the XML format, which goes
    // through UTF-8.
    if (hasLoneSurrogate(string)) {
        putString(QString::fromUtf8(string.toUtf8()));
        return;
    }
    char* at = room(kLongestMarker + 2 * size_t(length));
    putMarker(at, kUtf16String, quint64(length));
    qToBigEndian<quint16>(string.utf16(), length, at);
    advanceTo(at + 2 * length);
}

quint64 BinaryPropertyListWriter::flattenString(const QString& string)
{
    const std::pair<const QChar*, qsizetype> place(string.constData(), string.size());
    if (const auto known = m_sharedStrings.constFind(place); known != m_sharedStrings.constEnd())
        return *known;
    if (holdsNul(string))
        return kInvalidIndex;
    addObject();
    putString(string);
    const bool shareable = m_used - m_objects.back() <= kLongestSharedObject;
    const quint64 index = shareLastObject();
    if (shareable)
        m_sharedStrings.insert(place, index);
    return index;
}

QByteArray BinaryPropertyListWriter::write()
{
    const quint64 count = m_objects.size();
    if (count == 0 || count >= kNoSlot || m_out.isNull())
        return {};
    const int referenceSize = fewestBytesFor(count - 1);
    if (referenceSize != m_referenceSize)
        relayOut(referenceSize);
    const quint64 offsetTable = m_used;
    const int offsetSize = fewestBytesFor(m_objects.back());
    char* at = extend(size_t(count) * size_t(offsetSize) + kTrailerLength);
    for (const quint64 offset : m_objects)
        putBigEndian(at, offset, offsetSize);

    // The trailer: five unused bytes, the sort version (0), the two sizes, the number of
    // objects, the top object and where the offset table starts.
    std::memset(at, 0, 6);
    at += 6;
    *at++ = char(offsetSize);
    *at++ = char(referenceSize);
    putBigEndian(at, count, 8);
    putBigEndian(at, 0, 8);
    putBigEndian(at, offsetTable, 8);

    QByteArray result = std::move(m_out);
    result.truncate(qsizetype(m_used));
    // Room foreseen but not used is handed back; a large buffer shrinks where it lies.
    if (m_capacity - m_used > m_used / 8)
        result.squeeze();
    m_out = QByteArray();
    m_data = nullptr;
    m_used = m_capacity = 0;
    m_objects = {};
    return result;
}

} // namespace pf
