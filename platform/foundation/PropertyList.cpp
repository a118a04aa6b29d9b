#include "platform/foundation/PropertyList.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/BinaryPropertyListReader.h"
#include "platform/foundation/BinaryPropertyListWriter.h"
#include "platform/foundation/Date.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QtEndian>

#include <plist/plist.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include <locale.h>

namespace pf {

namespace {

// Containers nested deeper than this are refused both ways. libplist walks trees recursively
// (its binary reader also re-checks the whole path at every level), so unbounded nesting in
// hostile data would overflow the stack.
constexpr int kMaxDepth = kMaxPropertyListDepth;

const QByteArray kBinaryMagic = QByteArrayLiteral("bplist00");
constexpr quint64 kTrailerLength = 32;
constexpr uchar kDateMarker = 0x33;
constexpr uchar kSixteenByteIntegerMarker = 0x14;

struct PlistFree {
    void operator()(void* node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, PlistFree>;

// libplist reads reals with strtod, which follows the process locale; Qt sets the user's locale
// at start-up, so under a decimal-comma locale "2.75" would read as 2. libplist therefore runs in
// the C locale, switched for the calling thread only.
class CLocaleScope {
public:
    CLocaleScope() : m_previous(uselocale(cLocale())) {}
    ~CLocaleScope() { uselocale(m_previous); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    static locale_t cLocale()
    {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        return c; // when null, uselocale leaves the thread's locale as it is
    }

    locale_t m_previous;
};

Error readError(const QString& reason)
{
    return Error::make(kPFFoundationErrorDomain, kErrorPropertyListRead,
                       QStringLiteral("The property list couldn't be read: %1.").arg(reason));
}

Error writeError(const QString& reason)
{
    return Error::make(kPFFoundationErrorDomain, kErrorPropertyListWrite,
                       QStringLiteral("The property list couldn't be written: %1.").arg(reason));
}

Error fileError(int code, const QString& description, const QString& path, const QString& reason = {})
{
    Error error = Error::make(kPFFoundationErrorDomain, code, description, reason);
    QVariantMap info = error.userInfo();
    info.insert(NSFilePathErrorKey, path);
    return Error(error.domain(), error.code(), info);
}

quint64 readBigEndian(const uchar* bytes, int size)
{
    return BinaryPropertyListReader::bigEndianOf(bytes, size);
}

// A libplist node serialised on its own as a binary property list: the node's object starts
// right after the magic.
QByteArray binaryOfNode(plist_t node)
{
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(node, &bytes, &length);
    QByteArray result;
    if (bytes)
        result = QByteArray(bytes, qsizetype(length));
    plist_to_bin_free(bytes);
    return result;
}

// libplist 2.2 takes and gives dates as 32-bit seconds plus microseconds: that covers only
// 1933 to 2069, and reading loses the sign of the fraction before 2001. Its nodes keep the
// double itself, so dates go in and out through a one-object binary property list.
plist_t newDateNode(double secondsSinceReferenceDate)
{
    quint64 bits = 0;
    std::memcpy(&bits, &secondsSinceReferenceDate, sizeof bits);
    QByteArray bytes = kBinaryMagic;
    bytes.append(char(kDateMarker));
    const quint64 bigEndianBits = qToBigEndian(bits);
    bytes.append(reinterpret_cast<const char*>(&bigEndianBits), sizeof bigEndianBits);
    const qsizetype offsetTable = bytes.size();
    bytes.append(char(kBinaryMagic.size())); // the one object's offset
    bytes.append(6, '\0');
    bytes.append(char(1)); // offset size
    bytes.append(char(1)); // reference size
    const quint64 trailer[] = {qToBigEndian(quint64(1)), 0, qToBigEndian(quint64(offsetTable))};
    bytes.append(reinterpret_cast<const char*>(trailer), sizeof trailer);
    plist_t node = nullptr;
    plist_from_bin(bytes.constData(), uint32_t(bytes.size()), &node);
    return node;
}

bool dateNodeSeconds(plist_t node, double* seconds)
{
    const QByteArray bytes = binaryOfNode(node);
    const qsizetype at = kBinaryMagic.size();
    if (bytes.size() < at + 9 || uchar(bytes[at]) != kDateMarker)
        return false;
    const quint64 bits = readBigEndian(reinterpret_cast<const uchar*>(bytes.constData()) + at + 1, 8);
    std::memcpy(seconds, &bits, sizeof bits);
    return true;
}

// libplist 2.2 writes every integer made by plist_new_uint as signed, so a value above INT64_MAX
// would come back negative. Its XML reader marks such values unsigned, so they are made there.
plist_t newLargeUnsignedNode(quint64 value)
{
    const QByteArray xml = "<plist><integer>" + QByteArray::number(value) + "</integer></plist>";
    plist_t node = nullptr;
    plist_from_xml(xml.constData(), uint32_t(xml.size()), &node);
    return node;
}

QVariant integerOfNode(plist_t node)
{
    uint64_t value = 0;
    plist_get_uint_val(node, &value);
    if (value <= quint64(std::numeric_limits<qint64>::max()))
        return QVariant(qlonglong(value));
    // Only the serialised form tells a negative number from one above INT64_MAX: libplist
    // writes the latter as a 16-byte integer.
    const QByteArray bytes = binaryOfNode(node);
    if (bytes.size() > kBinaryMagic.size() && uchar(bytes[kBinaryMagic.size()]) == kSixteenByteIntegerMarker)
        return QVariant(qulonglong(value));
    return QVariant(qlonglong(value));
}

QString typeName(const QVariant& value)
{
    if (!value.isValid())
        return QStringLiteral("an empty value");
    return QStringLiteral("a value of type %1").arg(QString::fromLatin1(value.metaType().name()));
}

bool isPlistUID(const QVariant& value)
{
    return value.metaType() == QMetaType::fromType<PlistUID>();
}

// Why the value cannot be written, or an empty string when it can.
QString problemWith(const QVariant& value, bool forXml, int depth);

QString problemWithString(const QString& string, bool forXml)
{
    // libplist takes strings NUL-terminated and drops the control characters XML cannot carry,
    // and its XML reader drops a byte order mark that starts a string or key; refusing them
    // beats writing a different string.
    if (forXml && string.startsWith(QChar(0xFEFF)))
        return QStringLiteral("a string begins with U+FEFF (a byte order mark), which XML would drop");
    for (const QChar c : string) {
        if (c.unicode() == 0)
            return QStringLiteral("a string holds a NUL character");
        if (forXml && c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            return QStringLiteral("a string holds the control character U+%1, which XML cannot carry")
                .arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return {};
}

QString problemWithContainer(int depth)
{
    if (depth >= kMaxDepth)
        return QStringLiteral("it nests deeper than %1 levels").arg(kMaxDepth);
    return {};
}

QString problemWith(const QVariant& value, bool forXml, int depth)
{
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        if (QString problem = problemWithContainer(depth); !problem.isEmpty())
            return problem;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (QString problem = problemWithString(it.key(), forXml); !problem.isEmpty())
                return problem;
            if (QString problem = problemWith(it.value(), forXml, depth + 1); !problem.isEmpty())
                return problem;
        }
        return {};
    }
    case QMetaType::QVariantList: {
        if (QString problem = problemWithContainer(depth); !problem.isEmpty())
            return problem;
        for (const QVariant& item : value.toList()) {
            if (QString problem = problemWith(item, forXml, depth + 1); !problem.isEmpty())
                return problem;
        }
        return {};
    }
    case QMetaType::QStringList: {
        if (QString problem = problemWithContainer(depth); !problem.isEmpty())
            return problem;
        for (const QString& item : value.toStringList()) {
            if (QString problem = problemWithString(item, forXml); !problem.isEmpty())
                return problem;
        }
        return {};
    }
    case QMetaType::QString:
        return problemWithString(value.toString(), forXml);
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::QByteArray:
        return {};
    case QMetaType::QDateTime:
        if (!value.toDateTime().isValid())
            return QStringLiteral("it holds an invalid date");
        return {};
    default:
        // libplist writes UIDs beyond 32 bits as 0; the keyed archiver's UIDs are 32-bit anyway.
        if (isPlistUID(value) && value.value<PlistUID>().value > std::numeric_limits<quint32>::max())
            return QStringLiteral("it holds the UID %1, larger than a UID can be").arg(value.value<PlistUID>().value);
        if (isPlistUID(value))
            return {};
        return QStringLiteral("it holds %1, which a property list cannot hold").arg(typeName(value));
    }
}

// Builds the libplist tree of a value that problemWith accepted, for writing XML. Dictionaries
// come out in QVariantMap's key order, which is sorted, so the bytes do not depend on insertion
// order.
plist_t newNode(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        Node dict(plist_new_dict());
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            plist_t item = newNode(it.value());
            if (!item)
                return nullptr;
            plist_dict_set_item(dict.get(), it.key().toUtf8().constData(), item);
        }
        return dict.release();
    }
    case QMetaType::QVariantList: {
        Node array(plist_new_array());
        for (const QVariant& element : value.toList()) {
            plist_t item = newNode(element);
            if (!item)
                return nullptr;
            plist_array_append_item(array.get(), item);
        }
        return array.release();
    }
    case QMetaType::QStringList: {
        plist_t array = plist_new_array();
        for (const QString& element : value.toStringList())
            plist_array_append_item(array, plist_new_string(element.toUtf8().constData()));
        return array;
    }
    case QMetaType::QString:
        return plist_new_string(value.toString().toUtf8().constData());
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::LongLong:
        // Stored as the two's complement bit pattern, which libplist writes as a signed integer.
        return plist_new_uint(quint64(value.toLongLong()));
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const quint64 number = value.toULongLong();
        if (number <= quint64(std::numeric_limits<qint64>::max()))
            return plist_new_uint(number);
        return newLargeUnsignedNode(number);
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return plist_new_real(value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), quint64(bytes.size()));
    }
    case QMetaType::QDateTime: {
        // XML keeps whole seconds; libplist would round towards 2001 rather than down.
        return newDateNode(std::floor(Date::timeIntervalSinceReferenceDate(value.toDateTime())));
    }
    default:
        if (isPlistUID(value))
            return plist_new_uid(value.value<PlistUID>().value);
        return nullptr;
    }
}

// Checks the object graph of a binary property list before libplist sees it. libplist 2.2 copies
// a shared object once for every reference to it and recurses along every path, so a few hundred
// bytes of objects that refer to each other can expand to billions of nodes or recurse deeper
// than the stack allows. Only the structure is checked; libplist reads the values.
class BinaryStructureCheck {
public:
    explicit BinaryStructureCheck(const QByteArray& data)
        : m_bytes(reinterpret_cast<const uchar*>(data.constData())), m_size(quint64(data.size()))
    {
    }

    // Why libplist must not see the data, or an empty string when it may. `plain`, when given,
    // tells whether BinaryPropertyListReader takes every object as it stands, so that it need
    // not walk the list again.
    QString problem(bool* plain = nullptr)
    {
        m_plain = true;
        QString problem = readTrailer();
        if (problem.isEmpty())
            problem = walkObjects();
        if (plain)
            *plain = problem.isEmpty() && m_plain;
        return problem;
    }

private:
    struct Object {
        quint64 references = 0;     // number of object references (a dictionary has two per entry)
        quint64 referencesAt = 0;   // where they start
        quint64 weight = 0;         // bytes of the object itself, a stand-in for what libplist allocates
        int type = 0;               // the marker's high nibble
        uchar marker = 0;
        quint64 payloadAt = 0;
        quint64 payloadLength = 0;
        bool container = false;
    };

    struct Frame {
        quint64 index;
        Object object;
        quint64 next = 0;
        quint64 weight = 0;
        int childDepth = 0;
    };

    static QString damaged(const char* what) { return QStringLiteral("the binary property list is damaged (%1)").arg(QLatin1String(what)); }

    QString readTrailer()
    {
        const quint64 headerLength = quint64(kBinaryMagic.size());
        if (m_size < headerLength + 1 + 1 + kTrailerLength)
            return damaged("it is truncated");
        const uchar* trailer = m_bytes + m_size - kTrailerLength;
        m_offsetSize = trailer[6];
        m_referenceSize = trailer[7];
        m_count = readBigEndian(trailer + 8, 8);
        m_top = readBigEndian(trailer + 16, 8);
        m_offsetTable = readBigEndian(trailer + 24, 8);
        if (m_offsetSize < 1 || m_offsetSize > 8 || m_referenceSize < 1 || m_referenceSize > 8)
            return damaged("its trailer is invalid");
        if (m_count == 0 || m_top >= m_count)
            return damaged("its trailer is invalid");
        const quint64 tableEnd = m_size - kTrailerLength;
        if (m_offsetTable <= headerLength || m_offsetTable > tableEnd
            || m_count > (tableEnd - m_offsetTable) / m_offsetSize)
            return damaged("its offset table lies outside the data");
        return {};
    }

    // The object's header; objects lie between the magic and the offset table.
    QString readObject(quint64 index, Object* object) const
    {
        const quint64 offset = readBigEndian(m_bytes + m_offsetTable + index * m_offsetSize, m_offsetSize);
        const quint64 end = m_offsetTable;
        if (offset < quint64(kBinaryMagic.size()) || offset >= end)
            return damaged("an object lies outside the data");
        const uchar marker = m_bytes[offset];
        const int type = marker >> 4;
        const int info = marker & 0x0f;
        quint64 position = offset + 1;
        auto fits = [&](quint64 length) { return length <= end - position; };

        quint64 count = quint64(info);
        const bool counted = type == 0x4 || type == 0x5 || type == 0x6 || type == 0xa || type == 0xc || type == 0xd;
        if (counted && info == 0x0f) {
            if (!fits(1))
                return damaged("an object is truncated");
            const uchar countMarker = m_bytes[position];
            const int countSize = 1 << (countMarker & 0x0f);
            if ((countMarker >> 4) != 0x1 || countSize > 8 || !fits(1 + quint64(countSize)))
                return damaged("an object's length is invalid");
            count = readBigEndian(m_bytes + position + 1, countSize);
            position += 1 + quint64(countSize);
        }

        quint64 payload = 0;
        switch (type) {
        case 0x0: // null, false, true, fill
            if (marker != 0x00 && marker != 0x08 && marker != 0x09 && marker != 0x0f)
                return damaged("an object has an unknown type");
            break;
        case 0x1: // integer of 2^info bytes
        case 0x2: // real of 2^info bytes
            if (info > 4)
                return damaged("a number has an invalid size");
            payload = quint64(1) << info;
            break;
        case 0x3:
            if (marker != kDateMarker)
                return damaged("a date has an invalid size");
            payload = 8;
            break;
        case 0x4: // data
        case 0x5: // ASCII string
            payload = count;
            break;
        case 0x6: // UTF-16 string
            if (count > (end - position) / 2)
                return damaged("an object is truncated");
            payload = count * 2;
            break;
        case 0x8: // UID
            payload = quint64(info) + 1;
            break;
        case 0xa: // array
        case 0xc: // set
        case 0xd: // dictionary: keys, then values
            if (count > (end - position) / m_referenceSize / (type == 0xd ? 2 : 1))
                return damaged("an array or dictionary is truncated");
            object->container = true;
            object->references = type == 0xd ? count * 2 : count;
            object->referencesAt = position;
            payload = object->references * m_referenceSize;
            break;
        default:
            return damaged("an object has an unknown type");
        }
        if (!fits(payload))
            return damaged("an object is truncated");
        object->type = type;
        object->marker = marker;
        object->payloadAt = position;
        object->payloadLength = payload;
        object->weight = 1 + payload;
        return {};
    }

    // libplist aborts the process on a dictionary key that holds a NUL character.
    QString checkKey(quint64 index) const
    {
        Object key;
        if (QString problem = readObject(index, &key); !problem.isEmpty())
            return problem;
        if (key.type != 0x5 && key.type != 0x6)
            return damaged("a dictionary key is not a string");
        if (holdsNul(key))
            return damaged("a dictionary key holds a NUL character");
        return {};
    }

    // Whether BinaryPropertyListReader reads the object itself (its contents aside) as it is:
    // no null, fill or set, no 16-byte integer or UID longer than 8 bytes, a date in range,
    // strings in plain ASCII or well-formed UTF-16. Strings are known to hold no NUL.
    bool plainlyReadable(const Object& object) const
    {
        const int info = object.marker & 0x0f;
        const uchar* payload = m_bytes + object.payloadAt;
        switch (object.type) {
        case 0x0:
            return object.marker == 0x08 || object.marker == 0x09;
        case 0x1:
            return info <= 3;
        case 0x2:
            return info == 2 || info == 3;
        case 0x3: {
            const quint64 bits = readBigEndian(payload, 8);
            double seconds = 0;
            std::memcpy(&seconds, &bits, sizeof seconds);
            return Date::fromTimeIntervalSinceReferenceDate(seconds).isValid();
        }
        case 0x4:
        case 0xa:
        case 0xd:
            return true;
        case 0x5:
            for (quint64 i = 0; i < object.payloadLength; ++i)
                if (payload[i] >= 0x80)
                    return false;
            return true;
        case 0x6:
            for (quint64 i = 0; i < object.payloadLength; i += 2) {
                const QChar c(char16_t((payload[i] << 8) | payload[i + 1]));
                if (c.isHighSurrogate() && i + 2 < object.payloadLength
                    && QChar(char16_t((payload[i + 2] << 8) | payload[i + 3])).isLowSurrogate())
                    i += 2;
                else if (c.isSurrogate())
                    return false;
            }
            return true;
        case 0x8:
            return info + 1 <= 8;
        default:
            return false;
        }
    }

    // libplist would cut such a string short, and no property list can be written with it.
    bool holdsNul(const Object& string) const
    {
        const uchar* text = m_bytes + string.payloadAt;
        for (quint64 i = 0; i < string.payloadLength; i += string.type == 0x6 ? 2 : 1) {
            if (text[i] == 0 && (string.type == 0x5 || text[i + 1] == 0))
                return true;
        }
        return false;
    }

    quint64 reference(const Object& object, quint64 i) const
    {
        return readBigEndian(m_bytes + object.referencesAt + i * m_referenceSize, m_referenceSize);
    }

    // Depth-first from the top object, remembering each finished object's depth and expanded
    // weight, so that shared objects are measured once but counted at every reference.
    QString walkObjects()
    {
        // Expanded weight may reach this; a plist that shares nothing stays far below it.
        const quint64 weightLimit = 32 * m_size + (quint64(1) << 20);
        constexpr quint16 kUnvisited = 0;
        constexpr quint16 kInProgress = 0xffff;
        std::vector<quint16> depthPlusOne(m_count, kUnvisited);
        std::vector<quint64> expandedWeight(m_count, 0);
        std::vector<bool> goodKey(m_count, false);
        std::vector<Frame> stack;

        auto open = [&](quint64 index, QString* problem) -> bool {
            Object object;
            *problem = readObject(index, &object);
            if (!problem->isEmpty())
                return false;
            if ((object.type == 0x5 || object.type == 0x6) && holdsNul(object)) {
                *problem = damaged("a string holds a NUL character");
                return false;
            }
            if (m_plain && !plainlyReadable(object))
                m_plain = false;
            if (object.references == 0) {
                depthPlusOne[index] = object.container ? 2 : 1;
                expandedWeight[index] = object.weight;
                return false;
            }
            if (stack.size() >= size_t(kMaxDepth)) {
                *problem = QStringLiteral("the property list nests deeper than %1 levels").arg(kMaxDepth);
                return false;
            }
            depthPlusOne[index] = kInProgress;
            stack.push_back(Frame{index, object});
            stack.back().weight = object.weight;
            return true;
        };

        QString problem;
        if (!open(m_top, &problem) && !problem.isEmpty())
            return problem;
        while (!stack.empty()) {
            Frame& frame = stack.back();
            if (frame.next < frame.object.references) {
                const quint64 child = reference(frame.object, frame.next++);
                if (child >= m_count)
                    return damaged("an object reference is out of range");
                if (depthPlusOne[child] == kInProgress)
                    return damaged("an object contains itself");
                if (frame.object.type == 0xd && frame.next <= frame.object.references / 2 && !goodKey[child]) {
                    if (QString keyProblem = checkKey(child); !keyProblem.isEmpty())
                        return keyProblem;
                    // Writers share one string for a key across dictionaries: check it once.
                    goodKey[child] = true;
                }
                if (depthPlusOne[child] == kUnvisited && open(child, &problem))
                    continue;
                if (!problem.isEmpty())
                    return problem;
                Frame& parent = stack.back();
                parent.weight = saturatingAdd(parent.weight, expandedWeight[child]);
                parent.childDepth = std::max(parent.childDepth, depthPlusOne[child] - 1);
                continue;
            }
            const Frame done = frame;
            stack.pop_back();
            const int depth = done.childDepth + 1;
            if (depth > kMaxDepth)
                return QStringLiteral("the property list nests deeper than %1 levels").arg(kMaxDepth);
            if (done.weight > weightLimit)
                return QStringLiteral("the property list refers to shared objects so often that it "
                                      "would expand beyond any sensible size");
            depthPlusOne[done.index] = quint16(depth + 1);
            expandedWeight[done.index] = done.weight;
            if (!stack.empty()) {
                Frame& parent = stack.back();
                parent.weight = saturatingAdd(parent.weight, done.weight);
                parent.childDepth = std::max(parent.childDepth, depth);
            }
        }
        return {};
    }

    static quint64 saturatingAdd(quint64 a, quint64 b)
    {
        return a > std::numeric_limits<quint64>::max() - b ? std::numeric_limits<quint64>::max() : a + b;
    }

    const uchar* m_bytes;
    quint64 m_size;
    int m_offsetSize = 0;
    int m_referenceSize = 0;
    quint64 m_count = 0;
    quint64 m_top = 0;
    quint64 m_offsetTable = 0;
    bool m_plain = true;
};

// How deeply an XML property list nests arrays and dictionaries, measured before libplist parses
// it. The count errs on the high side: opening tags count wherever they appear (comments and
// CDATA included) and anything but the plain "<array/>" or "<dict/>" counts as opening, while
// closing tags count only outside comments and CDATA, so no spelling can hide nesting.
QString xmlNestingProblem(const QByteArray& data)
{
    const char* const begin = data.constData();
    const char* const end = begin + data.size();
    auto startsWith = [end](const char* at, const char* text) {
        const size_t length = std::strlen(text);
        return size_t(end - at) >= length && std::memcmp(at, text, length) == 0;
    };
    auto isNameEnd = [end](const char* at) {
        return at == end || *at == '>' || *at == '/' || *at == ' ' || *at == '\t' || *at == '\r' || *at == '\n';
    };
    auto skipSpace = [end](const char* at) {
        while (at < end && (*at == ' ' || *at == '\t' || *at == '\r' || *at == '\n'))
            ++at;
        return at;
    };
    auto find = [end](const char* from, const char* text) {
        const size_t length = std::strlen(text);
        for (const char* at = from; size_t(end - at) >= length; ++at) {
            if (std::memcmp(at, text, length) == 0)
                return at + length;
        }
        return end;
    };

    int depth = 0;
    const char* opaqueUntil = begin; // end of the comment or CDATA section being crossed
    for (const char* at = begin; at < end; ++at) {
        if (*at != '<')
            continue;
        const bool opaque = at < opaqueUntil;
        if (!opaque && startsWith(at, "<!--"))
            opaqueUntil = find(at + 4, "-->");
        else if (!opaque && startsWith(at, "<![CDATA["))
            opaqueUntil = find(at + 9, "]]>");

        for (const char* name : {"array", "dict"}) {
            const char* afterOpen = at + 1 + std::strlen(name);
            if (startsWith(at + 1, name) && isNameEnd(afterOpen)) {
                const char* close = skipSpace(afterOpen);
                const bool empty = close + 1 < end && close[0] == '/' && close[1] == '>';
                if (!empty && ++depth > kMaxDepth)
                    return QStringLiteral("the property list nests deeper than %1 levels").arg(kMaxDepth);
            }
            if (!opaque && at + 1 < end && at[1] == '/' && startsWith(at + 2, name)) {
                const char* close = skipSpace(at + 2 + std::strlen(name));
                if (close < end && *close == '>' && depth > 0)
                    --depth;
            }
        }
    }
    return {};
}

// Turns the libplist tree into QVariant values.
class Decoder {
public:
    explicit Decoder(PropertyListFormat format) : m_format(format) {}

    QVariant decode(plist_t node, int depth)
    {
        switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return QVariant(value != 0);
        }
        case PLIST_UINT:
            return integerOfNode(node);
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return QVariant(value);
        }
        case PLIST_STRING: {
            uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            // No property list can be written with it, so what read could never be saved.
            if (text && std::memchr(text, 0, size_t(length)))
                return failed(QStringLiteral("a string holds a NUL character"));
            return QVariant(QString::fromUtf8(text, qsizetype(length)));
        }
        case PLIST_DATA: {
            uint64_t length = 0;
            const char* bytes = plist_get_data_ptr(node, &length);
            return QVariant(QByteArray(bytes, qsizetype(length)));
        }
        case PLIST_DATE: {
            double seconds = 0;
            const QDateTime date = dateNodeSeconds(node, &seconds) ? Date::fromTimeIntervalSinceReferenceDate(seconds) : QDateTime();
            if (!date.isValid())
                return failed(QStringLiteral("a date lies outside the range of dates"));
            return QVariant(date);
        }
        case PLIST_UID: {
            uint64_t value = 0;
            plist_get_uid_val(node, &value);
            return QVariant::fromValue(PlistUID{value});
        }
        case PLIST_ARRAY:
            return decodeArray(node, depth);
        case PLIST_DICT:
            return decodeDictionary(node, depth);
        default:
            return failed(QStringLiteral("it holds an object of an unsupported type"));
        }
    }

    const QString& problem() const { return m_problem; }

private:
    QVariant failed(const QString& problem)
    {
        if (m_problem.isEmpty())
            m_problem = problem;
        return {};
    }

    QVariant decodeArray(plist_t node, int depth)
    {
        if (depth >= kMaxDepth)
            return failed(QStringLiteral("the property list nests deeper than %1 levels").arg(kMaxDepth));
        QVariantList list;
        plist_array_iter iter = nullptr;
        plist_array_new_iter(node, &iter);
        plist_t item = nullptr;
        for (plist_array_next_item(node, iter, &item); item && m_problem.isEmpty(); plist_array_next_item(node, iter, &item))
            list.append(decode(item, depth + 1));
        std::free(iter);
        return list;
    }

    QVariant decodeDictionary(plist_t node, int depth)
    {
        if (depth >= kMaxDepth)
            return failed(QStringLiteral("the property list nests deeper than %1 levels").arg(kMaxDepth));
        QVariantMap map;
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        for (;;) {
            char* key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iter, &key, &item);
            if (!item || !m_problem.isEmpty()) {
                std::free(key);
                break;
            }
            map.insert(QString::fromUtf8(key), decode(item, depth + 1));
            std::free(key);
        }
        std::free(iter);
        // XML has no UID element; the keyed archiver's convention is this one-key dictionary.
        static const QString uidKey = QStringLiteral("CF$UID");
        if (m_format == PropertyListFormat::XML && map.size() == 1 && map.firstKey() == uidKey
            && map.first().typeId() == QMetaType::LongLong && map.first().toLongLong() >= 0)
            return QVariant::fromValue(PlistUID{quint64(map.first().toLongLong())});
        return map;
    }

    PropertyListFormat m_format;
    QString m_problem;
};

} // namespace

QString binaryPropertyListStructureProblem(const QByteArray& data, bool* plain)
{
    return BinaryStructureCheck(data).problem(plain);
}

QByteArray PropertyList::data(const QVariant& value, PropertyListFormat format, Error* error)
{
    if (format != PropertyListFormat::XML && format != PropertyListFormat::Binary) {
        fail(error, writeError(QStringLiteral("the format %1 is unknown").arg(int(format))));
        return {};
    }
    if (format == PropertyListFormat::Binary) {
        // libplist's own binary writer takes quadratic time in the number of objects. Ours checks
        // as it writes; only a failure pays for the walk that says what is wrong.
        QByteArray result = BinaryPropertyListWriter::data(value, kMaxDepth);
        if (result.isEmpty()) {
            const QString problem = problemWith(value, false, 0);
            fail(error, writeError(problem.isEmpty() ? QStringLiteral("it holds a value the binary format has no object for")
                                                     : problem));
        }
        return result;
    }
    if (const QString problem = problemWith(value, true, 0); !problem.isEmpty()) {
        fail(error, writeError(problem));
        return {};
    }
    const CLocaleScope cLocale;
    const Node root(newNode(value));
    char* bytes = nullptr;
    uint32_t length = 0;
    if (root)
        plist_to_xml(root.get(), &bytes, &length);
    if (!bytes || length == 0) {
        fail(error, writeError(QStringLiteral("libplist could not serialise it")));
        return {};
    }
    QByteArray result(bytes, qsizetype(length));
    plist_to_xml_free(bytes);
    return result;
}

QVariant PropertyList::value(const QByteArray& data, PropertyListFormat* format, Error* error)
{
    if (data.isEmpty()) {
        fail(error, readError(QStringLiteral("the data is empty")));
        return {};
    }
    const bool binary = data.startsWith(kBinaryMagic);
    const PropertyListFormat detected = binary ? PropertyListFormat::Binary : PropertyListFormat::XML;
    if (format)
        *format = detected;
    if (quint64(data.size()) > std::numeric_limits<uint32_t>::max()) {
        fail(error, readError(QStringLiteral("the data is larger than 4 GB")));
        return {};
    }
    const QString problem = binary ? BinaryStructureCheck(data).problem() : xmlNestingProblem(data);
    if (!problem.isEmpty()) {
        fail(error, readError(problem));
        return {};
    }
    if (binary) {
        // Our own reader decodes each shared object once; libplist copies it at every reference.
        if (auto read = BinaryPropertyListReader::read(data, kMaxDepth)) {
            if (!read->problem.isEmpty()) {
                fail(error, readError(read->problem));
                return {};
            }
            return read->value;
        }
    }
    const CLocaleScope cLocale;
    plist_t parsed = nullptr;
    if (binary)
        plist_from_bin(data.constData(), uint32_t(data.size()), &parsed);
    else
        plist_from_xml(data.constData(), uint32_t(data.size()), &parsed);
    const Node root(parsed);
    if (!root) {
        fail(error, readError(binary ? QStringLiteral("the binary property list is damaged")
                                     : QStringLiteral("the data is not a well-formed XML property list")));
        return {};
    }
    Decoder decoder(detected);
    QVariant result = decoder.decode(root.get(), 0);
    if (!decoder.problem().isEmpty()) {
        fail(error, readError(decoder.problem()));
        return {};
    }
    return result;
}

bool PropertyList::isValidPropertyList(const QVariant& value)
{
    return problemWith(value, false, 0).isEmpty();
}

QVariant PropertyList::read(const QString& path, PropertyListFormat* format, Error* error)
{
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (!file.exists()) {
        fail(error, fileError(kErrorFileNotFound, QStringLiteral("The file “%1” couldn't be opened because there is no such file.").arg(name), path));
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        fail(error, fileError(kErrorFileRead, QStringLiteral("The file “%1” couldn't be opened.").arg(name), path, file.errorString()));
        return {};
    }
    if (quint64(file.size()) > std::numeric_limits<uint32_t>::max()) {
        fail(error, fileError(kErrorPropertyListRead, QStringLiteral("The file “%1” is too large to be a property list.").arg(name), path));
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        fail(error, fileError(kErrorFileRead, QStringLiteral("The file “%1” couldn't be read.").arg(name), path, file.errorString()));
        return {};
    }
    Error parseError;
    QVariant result = value(bytes, format, &parseError);
    if (!parseError.isNull()) {
        fail(error, fileError(kErrorPropertyListRead, QStringLiteral("The file “%1” couldn't be read: %2")
                                                          .arg(name, parseError.localizedDescription()), path));
        return {};
    }
    return result;
}

bool PropertyList::write(const QVariant& value, const QString& path, PropertyListFormat format, Error* error)
{
    const QByteArray bytes = data(value, format, error);
    if (bytes.isEmpty())
        return false;
    const QString name = QFileInfo(path).fileName();
    // Through the atomic write, which reports every failing step rather than replacing the old
    // file with a short one.
    Error writeError;
    if (!writeDataAtomically(bytes, path, &writeError))
        return fail(error, fileError(kErrorFileWrite, QStringLiteral("The file “%1” couldn't be saved.").arg(name), path,
                                     writeError.localizedFailureReason()));
    return true;
}

} // namespace pf
