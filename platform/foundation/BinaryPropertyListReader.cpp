#include "platform/foundation/BinaryPropertyListReader.h"

#include "platform/foundation/Date.h"
#include "platform/foundation/PropertyList.h"

#include <QDateTime>
#include <QtEndian>

#include <cstring>

namespace pf {

namespace {

constexpr quint64 kMagicLength = 8;
constexpr quint64 kTrailerLength = 32;

quint64 bigEndian(const uchar* bytes, int size)
{
    return BinaryPropertyListReader::bigEndianOf(bytes, size);
}

double realAt(const uchar* bytes, int size)
{
    if (size == 4) {
        const quint32 bits = quint32(bigEndian(bytes, 4));
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return double(value);
    }
    const quint64 bits = bigEndian(bytes, 8);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

std::optional<BinaryPropertyListReader::Result> BinaryPropertyListReader::read(const QByteArray& data, int maxDepth)
{
    BinaryPropertyListReader reader(data, maxDepth);
    if (!reader.readTrailer())
        return std::nullopt;
    reader.m_decoded.resize(reader.m_count);
    Result result;
    if (!reader.decode(reader.m_top, 0, &result.value))
        return std::nullopt;
    result.problem = reader.m_problem;
    if (!result.problem.isEmpty())
        result.value = QVariant();
    return result;
}

std::unique_ptr<BinaryPropertyListReader> BinaryPropertyListReader::inPlace(const QByteArray& data, int maxDepth,
                                                                            bool checked)
{
    std::unique_ptr<BinaryPropertyListReader> reader(new BinaryPropertyListReader(data, maxDepth));
    if (!reader->readTrailer())
        return nullptr;
    reader->m_mode = Mode::Check;
    if (!checked && (!reader->decode(reader->m_top, 0, nullptr) || !reader->m_problem.isEmpty()))
        return nullptr;
    reader->m_mode = Mode::InPlace;
    reader->m_isDecoded = {};
    return reader;
}

quint64 BinaryPropertyListReader::countOf(quint64 index) const
{
    quint64 count = 0, at = 0;
    readCount(offsetOf(index), &count, &at);
    return count;
}

quint64 BinaryPropertyListReader::elementOf(quint64 array, quint64 position) const
{
    quint64 count = 0, at = 0;
    readCount(offsetOf(array), &count, &at);
    return reference(at + position * quint64(m_referenceSize));
}

quint64 BinaryPropertyListReader::valueForKey(quint64 dictionary, QStringView key) const
{
    quint64 count = 0, at = 0;
    readCount(offsetOf(dictionary), &count, &at);
    for (quint64 i = count; i-- > 0;) {
        const quint64 keyOffset = offsetOf(reference(at + i * quint64(m_referenceSize)));
        quint64 length = 0, textAt = 0;
        readCount(keyOffset, &length, &textAt);
        if (length != quint64(key.size()))
            continue;
        const uchar* text = m_bytes + textAt;
        bool same = true;
        if ((m_bytes[keyOffset] >> 4) == AsciiString) {
            for (quint64 c = 0; c < length && same; ++c)
                same = text[c] == key[qsizetype(c)].unicode();
        } else {
            for (quint64 c = 0; c < length && same; ++c)
                same = char16_t((text[2 * c] << 8) | text[2 * c + 1]) == key[qsizetype(c)].unicode();
        }
        if (same)
            return reference(at + (count + i) * quint64(m_referenceSize));
    }
    return kNone;
}

qint64 BinaryPropertyListReader::integerOf(quint64 index) const
{
    const quint64 offset = offsetOf(index);
    return qint64(bigEndian(m_bytes + offset + 1, 1 << (m_bytes[offset] & 0x0f)));
}

double BinaryPropertyListReader::realOf(quint64 index) const
{
    const quint64 offset = offsetOf(index);
    return realAt(m_bytes + offset + 1, 1 << (m_bytes[offset] & 0x0f));
}

quint64 BinaryPropertyListReader::uidOf(quint64 index) const
{
    const quint64 offset = offsetOf(index);
    return bigEndian(m_bytes + offset + 1, (m_bytes[offset] & 0x0f) + 1);
}

QString BinaryPropertyListReader::stringOf(quint64 index) const
{
    const quint64 offset = offsetOf(index);
    quint64 count = 0, at = 0;
    readCount(offset, &count, &at);
    QString string;
    decodeString(at, m_bytes[offset] >> 4, count, &string);
    return string;
}

std::string_view BinaryPropertyListReader::bytesOf(quint64 index) const
{
    const quint64 offset = offsetOf(index);
    quint64 count = 0, at = 0;
    readCount(offset, &count, &at);
    const quint64 unit = (m_bytes[offset] >> 4) == Utf16String ? 2 : 1;
    return std::string_view(reinterpret_cast<const char*>(m_bytes + offset), size_t(at - offset + count * unit));
}

QByteArray BinaryPropertyListReader::dataOf(quint64 index) const
{
    quint64 count = 0, at = 0;
    readCount(offsetOf(index), &count, &at);
    return QByteArray(reinterpret_cast<const char*>(m_bytes + at), qsizetype(count));
}

QVariant BinaryPropertyListReader::valueOf(quint64 index)
{
    QVariant value;
    // The whole list was checked, so decoding cannot fail here.
    decode(index, 0, &value);
    return value;
}

BinaryPropertyListReader::BinaryPropertyListReader(const QByteArray& data, int maxDepth)
    : m_bytes(reinterpret_cast<const uchar*>(data.constData()))
    , m_size(quint64(data.size()))
    , m_maxDepth(maxDepth)
{
}

bool BinaryPropertyListReader::readTrailer()
{
    if (m_size < kMagicLength + 2 + kTrailerLength)
        return false;
    const uchar* trailer = m_bytes + m_size - kTrailerLength;
    m_offsetSize = trailer[6];
    m_referenceSize = trailer[7];
    m_count = bigEndian(trailer + 8, 8);
    m_top = bigEndian(trailer + 16, 8);
    m_offsetTable = bigEndian(trailer + 24, 8);
    // The structure check has vouched for all of this; a list it did not see is left alone.
    if (m_offsetSize < 1 || m_offsetSize > 8 || m_referenceSize < 1 || m_referenceSize > 8 || m_top >= m_count
        || m_offsetTable > m_size - kTrailerLength || m_count > (m_size - kTrailerLength - m_offsetTable) / m_offsetSize)
        return false;
    m_isDecoded.resize(m_count, false);
    return true;
}

void BinaryPropertyListReader::readCount(quint64 offset, quint64* count, quint64* contentAt) const
{
    const uchar marker = m_bytes[offset];
    *count = marker & 0x0f;
    *contentAt = offset + 1;
    if (*count == 0x0f) {
        const int size = 1 << (m_bytes[offset + 1] & 0x0f);
        *count = bigEndian(m_bytes + offset + 2, size);
        *contentAt = offset + 2 + quint64(size);
    }
}

bool BinaryPropertyListReader::decodeString(quint64 position, int type, quint64 count, QString* out) const
{
    const uchar* text = m_bytes + position;
    if (type == 0x5) {
        // Bytes outside ASCII, and NUL, are left to the general reader.
        for (quint64 i = 0; i < count; ++i)
            if (text[i] == 0 || text[i] >= 0x80)
                return false;
        if (out)
            *out = QString::fromLatin1(reinterpret_cast<const char*>(text), qsizetype(count));
        return true;
    }
    if (!out) {
        auto unit = [text](quint64 i) { return char16_t((text[2 * i] << 8) | text[2 * i + 1]); };
        for (quint64 i = 0; i < count; ++i) {
            const QChar c(unit(i));
            if (c.unicode() == 0)
                return false;
            if (c.isHighSurrogate() && i + 1 < count && QChar(unit(i + 1)).isLowSurrogate())
                ++i;
            else if (c.isSurrogate())
                return false;
        }
        return true;
    }
    QString string(qsizetype(count), Qt::Uninitialized);
    char16_t* units = reinterpret_cast<char16_t*>(string.data());
    for (quint64 i = 0; i < count; ++i)
        units[i] = char16_t((text[2 * i] << 8) | text[2 * i + 1]);
    // What the general reader would make of NUL and lone surrogates is its own affair.
    for (qsizetype i = 0; i < string.size(); ++i) {
        const QChar c = string[i];
        if (c.unicode() == 0)
            return false;
        if (c.isHighSurrogate() && i + 1 < string.size() && string[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    *out = std::move(string);
    return true;
}

bool BinaryPropertyListReader::decode(quint64 index, int depth, QVariant* out)
{
    // Checking builds no values: `out` is null all the way down.
    const bool check = m_mode == Mode::Check;
    if (m_mode == Mode::InPlace) {
        if (const auto known = m_containers.constFind(index); known != m_containers.constEnd()) {
            *out = *known;
            return true;
        }
    } else if (m_isDecoded[index]) {
        if (!check)
            *out = m_decoded[index];
        return true;
    }
    const quint64 offset = offsetOf(index);
    const uchar marker = m_bytes[offset];
    const int type = marker >> 4;
    const int info = marker & 0x0f;
    const uchar* payload = m_bytes + offset + 1;
    QVariant value;
    switch (type) {
    case 0x0:
        if (marker != 0x08 && marker != 0x09)
            return false;
        if (!check)
            value = QVariant(marker == 0x09);
        break;
    case 0x1: {
        const int size = 1 << info;
        if (size > 8)
            return false;
        // One to four bytes are unsigned; eight are two's complement.
        if (!check)
            value = QVariant(qlonglong(bigEndian(payload, size)));
        break;
    }
    case 0x2:
        if (info != 2 && info != 3)
            return false;
        if (!check)
            value = QVariant(realAt(payload, 1 << info));
        break;
    case 0x3: {
        const QDateTime date = Date::fromTimeIntervalSinceReferenceDate(realAt(payload, 8));
        if (!date.isValid()) {
            if (m_problem.isEmpty())
                m_problem = QStringLiteral("a date lies outside the range of dates");
            return true;
        }
        value = QVariant(date);
        break;
    }
    case 0x4: {
        quint64 count = 0, at = 0;
        readCount(offset, &count, &at);
        if (!check)
            value = QVariant(QByteArray(reinterpret_cast<const char*>(m_bytes + at), qsizetype(count)));
        break;
    }
    case 0x5:
    case 0x6: {
        quint64 count = 0, at = 0;
        readCount(offset, &count, &at);
        QString string;
        if (!decodeString(at, type, count, check ? nullptr : &string))
            return false;
        if (!check)
            value = QVariant(string);
        break;
    }
    case 0x8:
        if (info + 1 > 8)
            return false;
        if (!check)
            value = QVariant::fromValue(PlistUID{bigEndian(payload, info + 1)});
        break;
    case 0xa:
    case 0xd: {
        if (depth >= m_maxDepth) {
            if (m_problem.isEmpty())
                m_problem = QStringLiteral("the property list nests deeper than %1 levels").arg(m_maxDepth);
            return true;
        }
        quint64 count = 0, at = 0;
        readCount(offset, &count, &at);
        if (check) {
            const quint64 valuesAt = at + count * quint64(m_referenceSize);
            for (quint64 i = 0; i < count && m_problem.isEmpty(); ++i) {
                if (type == 0xa) {
                    if (!decode(reference(at + i * quint64(m_referenceSize)), depth + 1, nullptr))
                        return false;
                    continue;
                }
                const quint64 key = reference(at + i * quint64(m_referenceSize));
                if (!decode(key, depth + 1, nullptr) || !isString(key)
                    || !decode(reference(valuesAt + i * quint64(m_referenceSize)), depth + 1, nullptr))
                    return false;
            }
        } else if (type == 0xa) {
            QVariantList list;
            list.reserve(qsizetype(count));
            for (quint64 i = 0; i < count && m_problem.isEmpty(); ++i) {
                QVariant item;
                if (!decode(reference(at + i * quint64(m_referenceSize)), depth + 1, &item))
                    return false;
                list.append(std::move(item));
            }
            value = std::move(list);
        } else {
            QVariantMap map;
            const quint64 valuesAt = at + count * quint64(m_referenceSize);
            for (quint64 i = 0; i < count && m_problem.isEmpty(); ++i) {
                QVariant key;
                QVariant item;
                if (!decode(reference(at + i * quint64(m_referenceSize)), depth + 1, &key)
                    || key.typeId() != QMetaType::QString
                    || !decode(reference(valuesAt + i * quint64(m_referenceSize)), depth + 1, &item))
                    return false;
                // Keys written in order go in at the end in constant time; a later duplicate wins.
                map.insert(map.constEnd(), key.toString(), std::move(item));
            }
            value = std::move(map);
        }
        break;
    }
    default:
        return false;
    }
    if (!m_problem.isEmpty())
        return true;
    switch (m_mode) {
    case Mode::Check:
        m_isDecoded[index] = true;
        return true;
    case Mode::Build:
        m_decoded[index] = value;
        m_isDecoded[index] = true;
        break;
    case Mode::InPlace:
        if (type == 0xa || type == 0xd)
            m_containers.insert(index, value);
        break;
    }
    *out = std::move(value);
    return true;
}

} // namespace pf
