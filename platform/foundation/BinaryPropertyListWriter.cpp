#include "platform/foundation/BinaryPropertyListWriter.h"

#include "platform/foundation/Date.h"
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

void appendBigEndian(std::string& out, quint64 value, int size)
{
    char bytes[8];
    char* at = bytes;
    putBigEndian(at, value, size);
    out.append(bytes, size_t(size));
}

void appendUnsigned(std::string& out, quint64 value)
{
    const int size = bytesFor(value);
    out.push_back(char(kInteger | log2OfSize(size)));
    appendBigEndian(out, value, size);
}

void appendDouble(std::string& out, uchar marker, double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    out.push_back(char(marker));
    appendBigEndian(out, bits, 8);
}

void appendMarker(std::string& out, uchar type, quint64 count)
{
    if (count < kCountInMarker) {
        out.push_back(char((type << 4) | count));
        return;
    }
    out.push_back(char((type << 4) | 0x0f));
    appendUnsigned(out, count);
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

void appendString(std::string& out, const QString& string)
{
    if (isAscii(string)) {
        appendMarker(out, kAsciiString, quint64(string.size()));
        for (const QChar c : string)
            out.push_back(char(c.unicode()));
        return;
    }
    // A lone surrogate has no UTF-16 reading; it becomes '?' as in the XML format, which goes
    // through UTF-8.
    if (hasLoneSurrogate(string)) {
        appendString(out, QString::fromUtf8(string.toUtf8()));
        return;
    }
    appendMarker(out, kUtf16String, quint64(string.size()));
    const size_t at = out.size();
    out.resize(at + 2 * size_t(string.size()));
    qToBigEndian<quint16>(string.utf16(), string.size(), out.data() + at);
}

void appendInteger(std::string& out, qint64 number)
{
    if (number >= 0) {
        appendUnsigned(out, quint64(number));
    } else {
        // Negative numbers take all eight bytes, in two's complement.
        out.push_back(char(kEightByteInteger));
        appendBigEndian(out, quint64(number), 8);
    }
}

// False for a UID beyond 32 bits.
bool appendUid(std::string& out, quint64 uid)
{
    if (uid > std::numeric_limits<quint32>::max())
        return false;
    const int size = bytesFor(uid);
    out.push_back(char(kUid | (size - 1)));
    appendBigEndian(out, uid, size);
    return true;
}

// False for a type that has no object in the format.
bool appendScalar(std::string& out, const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        out.push_back(char(value.toBool() ? kTrue : kFalse));
        return true;
    case QMetaType::Int:
    case QMetaType::LongLong:
        appendInteger(out, value.toLongLong());
        return true;
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const quint64 number = value.toULongLong();
        if (number <= quint64(std::numeric_limits<qint64>::max())) {
            appendUnsigned(out, number);
        } else {
            // Eight bytes would read back as negative; the sixteen-byte form marks it unsigned.
            out.push_back(char(kSixteenByteInteger));
            appendBigEndian(out, 0, 8);
            appendBigEndian(out, number, 8);
        }
        return true;
    }
    case QMetaType::Double:
    case QMetaType::Float:
        appendDouble(out, kReal, value.toDouble());
        return true;
    case QMetaType::QDateTime:
        if (!value.toDateTime().isValid())
            return false;
        appendDouble(out, kDate, Date::timeIntervalSinceReferenceDate(value.toDateTime()));
        return true;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        appendMarker(out, kData, quint64(bytes.size()));
        out.append(bytes.constData(), size_t(bytes.size()));
        return true;
    }
    default:
        if (value.metaType() != QMetaType::fromType<PlistUID>())
            return false;
        return appendUid(out, value.value<PlistUID>().value);
    }
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

void BinaryPropertyListWriter::reserve(size_t objects, size_t references, size_t bytes)
{
    m_objects.reserve(objects);
    m_references.reserve(references);
    m_bytes.reserve(bytes);
}

bool BinaryPropertyListWriter::isShareable(quint64 index) const
{
    return bytesOf(index).size() <= kLongestSharedObject;
}

quint64 BinaryPropertyListWriter::addArray(quint64 count)
{
    const quint64 index = addObject(count);
    appendMarker(m_bytes, kArray, count);
    return index;
}

quint64 BinaryPropertyListWriter::addDictionary(quint64 count)
{
    const quint64 index = addObject(2 * count);
    appendMarker(m_bytes, kDictionary, count);
    return index;
}

quint64 BinaryPropertyListWriter::addBool(bool value)
{
    addObject();
    m_bytes.push_back(char(value ? kTrue : kFalse));
    return shareLastObject();
}

quint64 BinaryPropertyListWriter::addInteger(qint64 value)
{
    addObject();
    appendInteger(m_bytes, value);
    return shareLastObject();
}

quint64 BinaryPropertyListWriter::addReal(double value)
{
    addObject();
    appendDouble(m_bytes, kReal, value);
    return shareLastObject();
}

quint64 BinaryPropertyListWriter::addUid(quint64 value)
{
    addObject();
    if (!appendUid(m_bytes, value))
        return kInvalidIndex;
    return shareLastObject();
}

quint64 BinaryPropertyListWriter::addData(const char* bytes, qsizetype size)
{
    addObject();
    appendMarker(m_bytes, kData, quint64(size));
    m_bytes.append(bytes, size_t(size));
    return shareLastObject();
}

quint64 BinaryPropertyListWriter::addObject(quint64 referenceCount)
{
    const quint64 index = m_objects.size();
    m_objects.push_back(Object{m_bytes.size(), m_references.size()});
    if (referenceCount > 0)
        m_references.resize(m_references.size() + referenceCount);
    return index;
}

std::string_view BinaryPropertyListWriter::bytesOf(quint64 index) const
{
    const quint64 begin = m_objects[index].bytesAt;
    const quint64 end = index + 1 < m_objects.size() ? m_objects[index + 1].bytesAt : m_bytes.size();
    return std::string_view(m_bytes.data() + begin, end - begin);
}

quint64 BinaryPropertyListWriter::referenceEnd(quint64 index) const
{
    return index + 1 < m_objects.size() ? m_objects[index + 1].firstReference : m_references.size();
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
    const size_t fullHash = qHash(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    const quint32 hash = quint32(fullHash ^ (fullHash >> 32));
    size_t at = hash & (m_sharedSlots.size() - 1);
    for (; m_sharedSlots[at].index != kNoSlot; at = (at + 1) & (m_sharedSlots.size() - 1)) {
        const SharedSlot& slot = m_sharedSlots[at];
        if (slot.hash == hash && bytesOf(slot.index) == bytes) {
            m_bytes.resize(m_objects.back().bytesAt);
            m_objects.pop_back();
            return slot.index;
        }
    }
    m_sharedSlots[at] = SharedSlot{hash, quint32(index)};
    ++m_sharedCount;
    return index;
}

// Numbers the value's objects depth first and encodes all but their references. A container
// reserves its references before its children are numbered, and fills them in as they are.
quint64 BinaryPropertyListWriter::flatten(const QVariant& value, int depth)
{
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        if (depth >= m_maxDepth)
            return kInvalidIndex;
        const QVariantMap map = value.toMap();
        const quint64 count = quint64(map.size());
        const quint64 index = addObject(2 * count);
        appendMarker(m_bytes, kDictionary, count);
        quint64 at = m_objects[index].firstReference;
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            const quint64 key = flattenString(it.key());
            if (key == kInvalidIndex)
                return kInvalidIndex;
            m_references[at++] = quint32(key);
        }
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            const quint64 child = flatten(it.value(), depth + 1);
            if (child == kInvalidIndex)
                return kInvalidIndex;
            m_references[at++] = quint32(child);
        }
        return index;
    }
    case QMetaType::QVariantList: {
        if (depth >= m_maxDepth)
            return kInvalidIndex;
        const QVariantList list = value.toList();
        const quint64 index = addObject(quint64(list.size()));
        appendMarker(m_bytes, kArray, quint64(list.size()));
        quint64 at = m_objects[index].firstReference;
        for (const QVariant& item : list) {
            const quint64 child = flatten(item, depth + 1);
            if (child == kInvalidIndex)
                return kInvalidIndex;
            m_references[at++] = quint32(child);
        }
        return index;
    }
    case QMetaType::QStringList: {
        if (depth >= m_maxDepth)
            return kInvalidIndex;
        const QStringList list = value.toStringList();
        const quint64 index = addObject(quint64(list.size()));
        appendMarker(m_bytes, kArray, quint64(list.size()));
        quint64 at = m_objects[index].firstReference;
        for (const QString& item : list) {
            const quint64 child = flattenString(item);
            if (child == kInvalidIndex)
                return kInvalidIndex;
            m_references[at++] = quint32(child);
        }
        return index;
    }
    case QMetaType::QString:
        return flattenString(value.toString());
    default:
        addObject();
        if (!appendScalar(m_bytes, value))
            return kInvalidIndex;
        return shareLastObject();
    }
}

quint64 BinaryPropertyListWriter::flattenString(const QString& string)
{
    const std::pair<const QChar*, qsizetype> place(string.constData(), string.size());
    if (const auto known = m_sharedStrings.constFind(place); known != m_sharedStrings.constEnd())
        return *known;
    if (holdsNul(string))
        return kInvalidIndex;
    addObject();
    appendString(m_bytes, string);
    const bool shareable = bytesOf(m_objects.size() - 1).size() <= kLongestSharedObject;
    const quint64 index = shareLastObject();
    if (shareable)
        m_sharedStrings.insert(place, index);
    return index;
}

QByteArray BinaryPropertyListWriter::write() const
{
    const quint64 count = m_objects.size();
    if (count >= kNoSlot)
        return {};
    const int referenceSize = fewestBytesFor(count - 1);
    // Everything before an object is the magic and the objects before it, references included.
    auto offsetOf = [&](quint64 index) {
        return quint64(kMagic.size()) + m_objects[index].bytesAt + m_objects[index].firstReference * quint64(referenceSize);
    };
    const int offsetSize = fewestBytesFor(offsetOf(count - 1));
    const quint64 offsetTable = quint64(kMagic.size()) + m_bytes.size() + m_references.size() * quint64(referenceSize);

    QByteArray result(qsizetype(offsetTable + count * quint64(offsetSize) + kTrailerLength), Qt::Uninitialized);
    char* at = result.data();
    std::memcpy(at, kMagic.constData(), size_t(kMagic.size()));
    at += kMagic.size();
    for (quint64 index = 0; index < count; ++index) {
        const std::string_view bytes = bytesOf(index);
        std::memcpy(at, bytes.data(), bytes.size());
        at += bytes.size();
        for (quint64 i = m_objects[index].firstReference, end = referenceEnd(index); i < end; ++i)
            putBigEndian(at, m_references[i], referenceSize);
    }
    for (quint64 index = 0; index < count; ++index)
        putBigEndian(at, offsetOf(index), offsetSize);

    // The trailer: five unused bytes, the sort version (0), the two sizes, the number of
    // objects, the top object and where the offset table starts.
    std::memset(at, 0, 6);
    at += 6;
    *at++ = char(offsetSize);
    *at++ = char(referenceSize);
    putBigEndian(at, count, 8);
    putBigEndian(at, 0, 8);
    putBigEndian(at, offsetTable, 8);
    return result;
}

} // namespace pf
