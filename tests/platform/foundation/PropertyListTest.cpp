#include <gtest/gtest.h>

#include "platform/foundation/BinaryPropertyListWriter.h"
#include "platform/foundation/PropertyList.h"

#include "platform/foundation/BinaryPropertyListReader.h"
#include "platform/foundation/BinaryPropertyListWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointF>
#include <QProcess>
#include <QSize>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QUrl>

#include <clocale>
#include <cmath>
#include <limits>

using pf::PlistUID;
using pf::PropertyList;
using pf::PropertyListFormat;

namespace {

constexpr PropertyListFormat kFormats[] = {PropertyListFormat::XML, PropertyListFormat::Binary};

const char* formatName(PropertyListFormat format)
{
    return format == PropertyListFormat::XML ? "XML" : "binary";
}

QDateTime utc(int year, int month, int day, int hour, int minute, int second, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC);
}

// A value spelt with its exact type at every level, so that comparing two spellings also
// compares types (QVariant's own comparison takes 5 as int and as qlonglong for equal).
QString spelling(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        QStringList entries;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            entries << it.key() + QLatin1Char('=') + spelling(it.value());
        return QLatin1Char('{') + entries.join(QLatin1Char(',')) + QLatin1Char('}');
    }
    case QMetaType::QVariantList: {
        QStringList items;
        for (const QVariant& item : value.toList())
            items << spelling(item);
        return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    case QMetaType::Double:
        return QStringLiteral("double:") + QString::number(value.toDouble(), 'g', 17);
    case QMetaType::QByteArray:
        return QStringLiteral("data:") + QString::fromLatin1(value.toByteArray().toHex());
    case QMetaType::QDateTime:
        return QStringLiteral("date:") + value.toDateTime().toUTC().toString(Qt::ISODateWithMs);
    default:
        if (value.metaType() == QMetaType::fromType<PlistUID>())
            return QStringLiteral("uid:%1").arg(value.value<PlistUID>().value);
        return QString::fromLatin1(value.metaType().name()) + QLatin1Char(':') + value.toString();
    }
}

std::string spell(const QVariant& value)
{
    return spelling(value).toStdString();
}

QVariant nestedLists(int depth)
{
    QVariant value = QVariantList{};
    for (int i = 1; i < depth; ++i)
        value = QVariantList{value};
    return value;
}

QByteArray repeated(const char* text, int times)
{
    return QByteArray(text).repeated(times);
}

// Hand-made binary property lists, for damage that no writer produces. References take
// four bytes, offsets eight.
QByteArray bigEndian(quint64 value, int size)
{
    QByteArray bytes(size, '\0');
    for (int i = size - 1; i >= 0; --i, value >>= 8)
        bytes[i] = char(value & 0xff);
    return bytes;
}

QByteArray arrayObject(const QList<quint64>& references)
{
    QByteArray bytes;
    if (references.size() < 15) {
        bytes.append(char(0xa0 | references.size()));
    } else {
        bytes.append(char(0xaf));
        bytes.append(char(0x13));
        bytes.append(bigEndian(quint64(references.size()), 8));
    }
    for (quint64 reference : references)
        bytes.append(bigEndian(reference, 4));
    return bytes;
}

QByteArray binaryPlist(const QList<QByteArray>& objects, quint64 top = 0)
{
    QByteArray bytes("bplist00");
    QList<quint64> offsets;
    for (const QByteArray& object : objects) {
        offsets << quint64(bytes.size());
        bytes.append(object);
    }
    const quint64 table = quint64(bytes.size());
    for (quint64 offset : offsets)
        bytes.append(bigEndian(offset, 8));
    bytes.append(QByteArray(6, '\0'));
    bytes.append(char(8));
    bytes.append(char(4));
    bytes.append(bigEndian(quint64(objects.size()), 8));
    bytes.append(bigEndian(top, 8));
    bytes.append(bigEndian(table, 8));
    return bytes;
}

QByteArray withTrailerField(QByteArray bytes, int fieldOffset, quint64 value)
{
    bytes.replace(bytes.size() - 32 + fieldOffset, 8, bigEndian(value, 8));
    return bytes;
}

void expectReadError(const QByteArray& data, const char* fragment = "")
{
    pf::Error error;
    const QVariant value = PropertyList::value(data, nullptr, &error);
    EXPECT_FALSE(value.isValid()) << spell(value);
    EXPECT_EQ(error.domain(), pf::kPFFoundationErrorDomain);
    EXPECT_EQ(error.code(), pf::kErrorPropertyListRead);
    EXPECT_TRUE(error.localizedDescription().startsWith(QStringLiteral("The property list couldn't be read: ")))
        << qPrintable(error.localizedDescription());
    EXPECT_TRUE(error.localizedDescription().contains(QLatin1String(fragment))) << qPrintable(error.localizedDescription());
}

// A small value with one object of every kind, built anew at every call.
QVariantMap sampleValue()
{
    return QVariantMap{
        {QStringLiteral("array"), QVariantList{1, QStringLiteral("é")}},
        {QStringLiteral("data"), QByteArray("\x01\x02\x03", 3)},
        {QStringLiteral("date"), utc(2020, 5, 6, 7, 8, 9, 100)},
        {QStringLiteral("real"), 2.5},
        {QStringLiteral("true"), true},
        {QStringLiteral("uid"), QVariant::fromValue(PlistUID{3})},
        {QStringLiteral("big"), std::numeric_limits<qulonglong>::max()},
    };
}

QByteArray sampleBinary()
{
    return PropertyList::data(sampleValue(), PropertyListFormat::Binary);
}

// Switches LC_NUMERIC to a locale whose decimal point is a comma, compiling one into `folder`
// when none is installed; false when neither works.
bool useDecimalCommaLocale(const QString& folder)
{
    auto usesComma = [] { return std::localeconv()->decimal_point[0] == ','; };
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
        if (std::setlocale(LC_NUMERIC, name) && usesComma())
            return true;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("localedef")).isEmpty())
        return false;
    QProcess::execute(QStringLiteral("localedef"),
                      {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"), QStringLiteral("ISO-8859-1"),
                       folder + QStringLiteral("/de_DE.ISO-8859-1")});
    qputenv("LOCPATH", QFile::encodeName(folder));
    return std::setlocale(LC_NUMERIC, "de_DE.ISO-8859-1") && usesComma();
}

} // namespace

TEST(PropertyList, EveryTypeRoundTripsInBothFormats)
{
    const QByteArray allBytes = [] {
        QByteArray bytes;
        for (int i = 0; i < 256; ++i)
            bytes.append(char(i));
        return bytes;
    }();
    const QVariant same;
    const struct {
        const char* name;
        QVariant input;
        QVariant expected;    // invalid: the input itself
        QVariant expectedXml; // invalid: as `expected`
    } cases[] = {
        {"ASCII string", QStringLiteral("hello"), same, same},
        {"Unicode string", QStringLiteral("héllo – ✓ 😀 日本"), same, same},
        {"empty string", QString(), QString(""), same},
        {"XML specials", QStringLiteral("<a> & \"b\" 'c' ]]>"), same, same},
        {"tab and newline", QStringLiteral("a\tb\nc"), same, same},
        {"lone surrogate", QString(QChar(0xd800)) + QStringLiteral("é"), QStringLiteral("?é"), same},
        {"int", 42, qlonglong(42), same},
        {"negative int", -7, qlonglong(-7), same},
        {"uint", 4000000000u, qlonglong(4000000000LL), same},
        {"smallest qlonglong", std::numeric_limits<qlonglong>::min(), same, same},
        {"largest qlonglong", std::numeric_limits<qlonglong>::max(), same, same},
        {"small qulonglong", qulonglong(5), qlonglong(5), same},
        {"qulonglong 2^63", qulonglong(1) << 63, same, same},
        {"largest qulonglong", std::numeric_limits<qulonglong>::max(), same, same},
        {"double", 0.1, same, same},
        {"tiny negative double", -1.5e-300, same, same},
        {"infinity", std::numeric_limits<double>::infinity(), same, same},
        {"not a number", std::numeric_limits<double>::quiet_NaN(), same, same},
        {"float", 0.1f, double(0.1f), same},
        {"true", true, same, same},
        {"false", false, same, same},
        {"data", allBytes, same, same},
        {"empty data", QByteArray(), same, same},
        {"date", utc(2020, 2, 29, 12, 34, 56), same, same},
        {"date with milliseconds", utc(2020, 2, 29, 12, 34, 56, 789), same, utc(2020, 2, 29, 12, 34, 56)},
        {"date before 2001 with a fraction", utc(1999, 12, 31, 23, 59, 59, 250), same, utc(1999, 12, 31, 23, 59, 59)},
        {"date before 1933", utc(1900, 1, 1, 0, 0, 0), same, same},
        {"date after 2069", utc(2100, 6, 1, 0, 0, 0, 500), same, utc(2100, 6, 1, 0, 0, 0)},
        {"date in another zone", QDateTime(QDate(2010, 6, 1), QTime(14, 0), QTimeZone(3600 * 5)), utc(2010, 6, 1, 9, 0, 0), same},
        {"UID", QVariant::fromValue(PlistUID{7}), same, same},
        {"largest UID", QVariant::fromValue(PlistUID{0xffffffffu}), same, same},
        {"empty array", QVariantList{}, same, same},
        {"empty dictionary", QVariantMap{}, same, same},
        {"string list", QStringList{QStringLiteral("a"), QStringLiteral("b")},
         QVariantList{QStringLiteral("a"), QStringLiteral("b")}, same},
        {"nested containers",
         QVariantMap{{QStringLiteral("list"), QVariantList{1, QVariantMap{{QStringLiteral("k"), true}}, QVariantList{}}},
                     {QStringLiteral("ключ"), QStringLiteral("значение")},
                     {QStringLiteral(""), 2.5}},
         QVariantMap{{QStringLiteral("list"), QVariantList{qlonglong(1), QVariantMap{{QStringLiteral("k"), true}}, QVariantList{}}},
                     {QStringLiteral("ключ"), QStringLiteral("значение")},
                     {QStringLiteral(""), 2.5}},
         same},
        {"deepest nesting accepted", nestedLists(512), same, same},
    };
    for (const auto& c : cases) {
        for (PropertyListFormat format : kFormats) {
            SCOPED_TRACE(std::string(c.name) + " in " + formatName(format));
            QVariant expected = c.expected.isValid() ? c.expected : c.input;
            if (format == PropertyListFormat::XML && c.expectedXml.isValid())
                expected = c.expectedXml;
            pf::Error error;
            const QByteArray bytes = PropertyList::data(c.input, format, &error);
            ASSERT_FALSE(bytes.isEmpty()) << qPrintable(error.description());
            EXPECT_TRUE(error.isNull());
            EXPECT_TRUE(PropertyList::isValidPropertyList(c.input));
            PropertyListFormat detected {};
            const QVariant back = PropertyList::value(bytes, &detected, &error);
            EXPECT_TRUE(error.isNull()) << qPrintable(error.description());
            EXPECT_EQ(detected, format);
            EXPECT_EQ(spell(back), spell(expected));
        }
    }
}

TEST(PropertyList, XmlOutputIsTheStandardDocumentWithSortedKeys)
{
    QVariantMap value;
    value.insert(QStringLiteral("zebra"), 1);
    value.insert(QStringLiteral("Apple"), QVariantList{true, 2.5});
    value.insert(QStringLiteral("mid"), utc(2001, 1, 1, 0, 0, 1));
    value.insert(QStringLiteral("bytes"), QByteArray("AB"));
    const QByteArray expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n"
        "<dict>\n"
        "\t<key>Apple</key>\n"
        "\t<array>\n"
        "\t\t<true/>\n"
        "\t\t<real>2.5</real>\n"
        "\t</array>\n"
        "\t<key>bytes</key>\n"
        "\t<data>\n"
        "\tQUI=\n"
        "\t</data>\n"
        "\t<key>mid</key>\n"
        "\t<date>2001-01-01T00:00:01Z</date>\n"
        "\t<key>zebra</key>\n"
        "\t<integer>1</integer>\n"
        "</dict>\n"
        "</plist>\n";
    EXPECT_EQ(PropertyList::data(value, PropertyListFormat::XML), expected);
}

TEST(PropertyList, BinaryOutputIsByteExact)
{
    QVariantMap value;
    value.insert(QStringLiteral("c"), true);
    value.insert(QStringLiteral("b"), QStringLiteral("a"));
    value.insert(QStringLiteral("a"), 1);
    const QByteArray expected = QByteArray::fromHex(
        "62706c6973743030"                   // bplist00
        "d3" "010203" "040105"               // dictionary: keys 1 2 3, values 4 1 5
        "5161" "5162" "5163" "1001" "09"     // "a" (a key and a value), "b", "c", 1, true
        "080f11131517"                       // offset table
        "000000000000" "01" "01"             // offset and reference sizes
        "0000000000000006" "0000000000000000" "0000000000000018");
    EXPECT_EQ(PropertyList::data(value, PropertyListFormat::Binary).toHex().toStdString(), expected.toHex().toStdString());

    // Writing again, or writing an equal value built in another order, gives the same bytes.
    const QVariantMap other{{QStringLiteral("a"), qlonglong(1)}, {QStringLiteral("c"), true}, {QStringLiteral("b"), QStringLiteral("a")}};
    for (PropertyListFormat format : kFormats) {
        SCOPED_TRACE(formatName(format));
        const QByteArray first = PropertyList::data(sampleValue(), format);
        ASSERT_FALSE(first.isEmpty());
        EXPECT_EQ(PropertyList::data(sampleValue(), format), first);
        EXPECT_EQ(PropertyList::data(other, format), PropertyList::data(value, format));
    }
}

TEST(PropertyList, BinaryEncodingBoundariesRoundTrip)
{
    auto ints = [](int count) {
        QVariantList list;
        for (int i = 0; i < count; ++i)
            list << qlonglong(i);
        return list;
    };
    auto entries = [](int count) {
        QVariantMap map;
        for (int i = 0; i < count; ++i)
            map.insert(QStringLiteral("key %1").arg(i), qlonglong(i));
        return map;
    };
    auto uid = [](quint64 value) { return QVariant::fromValue(PlistUID{value}); };
    const QString pair = QStringLiteral("😀");
    const QChar high(0xd800);
    const QChar low(0xdc00);
    const QVariant same;
    const struct {
        const char* name;
        QVariant input;
        QVariant expected; // invalid: the input itself
    } cases[] = {
        {"integers at every size boundary",
         QVariantList{0, 255, 256, 65535, 65536, qlonglong(0xffffffffLL), qlonglong(0x100000000LL),
                      std::numeric_limits<qlonglong>::max(), -1, std::numeric_limits<int>::min()},
         QVariantList{qlonglong(0), qlonglong(255), qlonglong(256), qlonglong(65535), qlonglong(65536),
                      qlonglong(0xffffffffLL), qlonglong(0x100000000LL), std::numeric_limits<qlonglong>::max(),
                      qlonglong(-1), qlonglong(std::numeric_limits<int>::min())}},
        {"unsigned integers either side of INT64_MAX",
         QVariantList{qulonglong(std::numeric_limits<qlonglong>::max()), qulonglong(std::numeric_limits<qlonglong>::max()) + 1},
         QVariantList{std::numeric_limits<qlonglong>::max(), qulonglong(std::numeric_limits<qlonglong>::max()) + 1}},
        {"UIDs at every size boundary", QVariantList{uid(0), uid(255), uid(256), uid(65535), uid(65536), uid(0xffffffffu)}, same},
        {"ASCII strings around the count marker",
         QVariantList{QString(14, u'x'), QString(15, u'x'), QString(16, u'x'), QString(256, u'y'), QString(70000, u'z')}, same},
        {"UTF-16 strings around the count marker",
         QVariantList{QString(14, u'é'), QString(15, u'é'), QString(13, u'é') + pair, pair.repeated(150)}, same},
        {"lone surrogates become question marks",
         QVariantList{QString(high), QStringLiteral("é") + low + QStringLiteral("x"), QStringLiteral("ab") + high},
         QVariantList{QStringLiteral("?"), QStringLiteral("é?x"), QStringLiteral("ab?")}},
        {"data around the count marker", QVariantList{QByteArray(14, 'a'), QByteArray(15, 'b'), QByteArray(300, 'c')}, same},
        {"arrays around the count marker", QVariantList{ints(14), ints(15), ints(16), ints(300)}, same},
        {"dictionaries around the count marker", QVariantList{entries(14), entries(15), entries(300)}, same},
        {"strings shared between keys and values",
         QVariantMap{{QStringLiteral("k"), QStringLiteral("k")},
                     {QStringLiteral("v"), QVariantList{QStringLiteral("k"), QStringLiteral("v"), QStringLiteral("k")}}},
         same},
        {"repeated strings in a string list", QStringList{QStringLiteral("a"), QStringLiteral("é"), QStringLiteral("a"), QStringLiteral("é")},
         QVariantList{QStringLiteral("a"), QStringLiteral("é"), QStringLiteral("a"), QStringLiteral("é")}},
        {"reals and floats", QVariantList{0.1f, -0.0, 1e308, std::numeric_limits<double>::denorm_min()},
         QVariantList{double(0.1f), -0.0, 1e308, std::numeric_limits<double>::denorm_min()}},
        {"dates far from 2001", QVariantList{utc(1601, 1, 1, 0, 0, 0, 1), utc(2000, 12, 31, 23, 59, 59, 999), utc(9999, 12, 31, 23, 59, 59, 999)}, same},
        {"references of two bytes", ints(300), same},
        {"references of three bytes", ints(70000), same},
        {"offsets of three bytes", QVariantList{QByteArray(70000, 'd'), true}, same},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pf::Error error;
        const QByteArray bytes = PropertyList::data(c.input, PropertyListFormat::Binary, &error);
        ASSERT_FALSE(bytes.isEmpty()) << qPrintable(error.description());
        const QVariant back = PropertyList::value(bytes, nullptr, &error);
        EXPECT_TRUE(error.isNull()) << qPrintable(error.description());
        EXPECT_EQ(spell(back), spell(c.expected.isValid() ? c.expected : c.input));
    }
}

TEST(PropertyList, BinaryOffsetAndReferenceSizesAreTheSmallestThatFit)
{
    auto ints = [](int count) {
        QVariantList list;
        for (int i = 0; i < count; ++i)
            list << i;
        return list;
    };
    const struct {
        const char* name;
        QVariant value;
        int offsetSize;
        int referenceSize;
    } cases[] = {
        {"one object", true, 1, 1},
        {"one large object", QByteArray(70000, 'd'), 1, 1},
        {"an object beyond 64 KB", QVariantList{QByteArray(70000, 'd'), true}, 3, 1},
        {"an object beyond 16 MB", QVariantList{QByteArray(0x1000000, 'd'), true}, 4, 1},
        {"256 objects", ints(255), 2, 1},
        {"257 objects", ints(256), 2, 2},
        {"70,001 objects", ints(70000), 3, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray bytes = PropertyList::data(c.value, PropertyListFormat::Binary);
        ASSERT_GT(bytes.size(), 32);
        const QByteArray trailer = bytes.right(32);
        EXPECT_EQ(int(trailer[6]), c.offsetSize);
        EXPECT_EQ(int(trailer[7]), c.referenceSize);
    }
}

// The writer sizes references from the number of objects it is told to expect; told too few or
// too many, it lays the list out again and writes the bytes a right forecast gives.
TEST(PropertyList, BinaryWriterForecastingTheWrongCountWritesTheSameBytes)
{
    for (int count : {20, 300, 70000}) {
        QVariantList values;
        for (int i = 0; i < count; ++i)
            values << (i % 5 == 0 ? QVariant(QStringLiteral("repeated")) : QVariant(qlonglong(i) * 1000));
        // A container past the first with a count too large for its marker, which a longer
        // header follows.
        QVariantList longList{QByteArray("bytes"), false};
        for (int i = 0; i < 16; ++i)
            longList << i + 0.25;
        values << QVariantMap{{QStringLiteral("object"), QVariant::fromValue(PlistUID{quint64(count)})},
                              {QStringLiteral("list"), longList}};
        const QByteArray expected = PropertyList::data(values, PropertyListFormat::Binary);
        ASSERT_FALSE(expected.isEmpty());
        for (size_t forecast : {size_t(0), size_t(2), size_t(count), size_t(100000000)}) {
            SCOPED_TRACE(testing::Message() << count << " objects, " << forecast << " foreseen");
            pf::BinaryPropertyListWriter writer(pf::kMaxPropertyListDepth);
            if (forecast > 0)
                writer.reserve(forecast, forecast, 16);
            ASSERT_NE(writer.addValue(values, 0), pf::BinaryPropertyListWriter::kInvalidIndex);
            const QByteArray bytes = writer.write();
            EXPECT_TRUE(bytes == expected);
            EXPECT_TRUE(PropertyList::value(bytes) == QVariant(values));
        }
    }
}

TEST(PropertyList, ManySmallDictionariesRoundTripWithKeysWrittenOnce)
{
    QVariantList records;
    records.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        records << QVariantMap{{QStringLiteral("index"), qlonglong(i)},
                               {QStringLiteral("label"), QStringLiteral("node %1").arg(i)},
                               {QStringLiteral("position"), QStringLiteral("{%1, %2}").arg(i * 0.5).arg(i % 7)},
                               {QStringLiteral("style"), QVariant::fromValue(PlistUID{quint64(i % 3)})},
                               {QStringLiteral("visible"), i % 3 != 0}};
    pf::Error error;
    const QByteArray bytes = PropertyList::data(records, PropertyListFormat::Binary, &error);
    ASSERT_FALSE(bytes.isEmpty()) << qPrintable(error.description());
    EXPECT_EQ(bytes.count("label"), 1);
    EXPECT_EQ(bytes.count("visible"), 1);
    const QVariant back = PropertyList::value(bytes, nullptr, &error);
    EXPECT_TRUE(error.isNull()) << qPrintable(error.description());
    // QVariant's comparison is numeric across integer types, so spell one record exactly too.
    EXPECT_TRUE(back.toList() == records) << "the records changed on the way";
    EXPECT_EQ(spell(back.toList().value(99999)), spell(records.last()));
}

TEST(PropertyList, RepeatedStringsReadBack)
{
    // Readers copy a shared object at every reference, so sharing long strings, or short ones
    // too freely, would make the list look like an expansion attack to our own reader.
    const struct {
        QString text;
        int copies;
    } cases[] = {
        {QString(28, u'x'), 200000}, // the longest ASCII string that is shared
        {QString(14, u'é'), 200000}, // the longest UTF-16 string that is shared
        {QString(29, u'x'), 200000},
        {QString(1000, u'y'), 20000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.size());
        const QVariantList repeated(c.copies, c.text);
        pf::Error error;
        const QVariant back = PropertyList::value(PropertyList::data(repeated, PropertyListFormat::Binary), nullptr, &error);
        EXPECT_TRUE(error.isNull()) << qPrintable(error.description());
        EXPECT_TRUE(back.toList() == repeated);
    }
}

TEST(PropertyList, ValuesAPropertyListCannotHoldFailToWrite)
{
    const struct {
        const char* name;
        QVariant value;
        const char* fragment;
    } cases[] = {
        {"point", QPointF(1, 2), "QPointF"},
        {"empty value", QVariant(), "an empty value"},
        {"URL inside an array", QVariantList{1, QUrl(QStringLiteral("file:///tmp"))}, "QUrl"},
        {"size inside a dictionary", QVariantMap{{QStringLiteral("ok"), 1}, {QStringLiteral("s"), QSize(1, 2)}}, "QSize"},
        {"hash instead of map", QVariantHash{{QStringLiteral("a"), 1}}, "QVariantHash"},
        {"invalid date", QDateTime(), "invalid date"},
        {"NUL in a string", QString(QStringLiteral("a%1b")).arg(QChar(0)), "NUL"},
        {"NUL in a key", QVariantMap{{QStringLiteral("a") + QChar(0), 1}}, "NUL"},
        {"NUL in a string list", QStringList{QString(QChar(0))}, "NUL"},
        {"one level too deep", nestedLists(513), "nests deeper than 512 levels"},
        {"UID beyond 32 bits", QVariant::fromValue(PlistUID{quint64(1) << 32}), "UID"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(PropertyList::isValidPropertyList(c.value)) << c.name;
        for (PropertyListFormat format : kFormats) {
            SCOPED_TRACE(std::string(c.name) + " in " + formatName(format));
            pf::Error error;
            EXPECT_TRUE(PropertyList::data(c.value, format, &error).isEmpty());
            EXPECT_EQ(error.domain(), pf::kPFFoundationErrorDomain);
            EXPECT_EQ(error.code(), pf::kErrorPropertyListWrite);
            EXPECT_TRUE(error.localizedDescription().contains(QLatin1String(c.fragment)))
                << qPrintable(error.localizedDescription());
        }
    }
}

TEST(PropertyList, CharactersXmlLosesAreRefusedOnlyByXml)
{
    // libplist would drop them from XML silently: control characters anywhere, a byte order
    // mark at the start of a string or key (read back as the text's encoding mark).
    const QString mark(QChar(0xFEFF));
    const struct {
        QVariant value;
        const char* named;
    } cases[] = {
        {QVariantList{QStringLiteral("bell\x07")}, "U+0007"},
        {QVariantList{mark + QStringLiteral("word")}, "U+FEFF"},
        {QVariantMap{{mark + QStringLiteral("key"), QStringLiteral("value")}}, "U+FEFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        pf::Error error;
        EXPECT_TRUE(PropertyList::data(c.value, PropertyListFormat::XML, &error).isEmpty());
        EXPECT_EQ(error.code(), pf::kErrorPropertyListWrite);
        EXPECT_TRUE(error.localizedDescription().contains(QLatin1String(c.named))) << qPrintable(error.localizedDescription());

        const QByteArray binary = PropertyList::data(c.value, PropertyListFormat::Binary);
        EXPECT_EQ(spell(PropertyList::value(binary)), spell(c.value));
    }
    // Further in, the mark is plain text to XML too.
    const QVariant inside = QVariantList{QStringLiteral("a") + mark + QStringLiteral("b")};
    EXPECT_EQ(spell(PropertyList::value(PropertyList::data(inside, PropertyListFormat::XML))), spell(inside));
}

TEST(PropertyList, RealsDoNotFollowTheProcessLocale)
{
    // Qt applies the user's locale at start-up; a decimal comma there must not change XML reals.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QByteArray saved = std::setlocale(LC_NUMERIC, nullptr);
    const bool comma = useDecimalCommaLocale(folder.path());
    const QVariant back = PropertyList::value("<plist><array><real>2.75</real><real>-1.5e-3</real></array></plist>");
    const QByteArray xml = PropertyList::data(QVariantList{0.5}, PropertyListFormat::XML);
    std::setlocale(LC_NUMERIC, saved.constData());
    qunsetenv("LOCPATH");
    if (!comma)
        GTEST_SKIP() << "no decimal-comma locale is available";
    EXPECT_EQ(spell(back), "[double:2.75,double:-0.0015]");
    EXPECT_TRUE(xml.contains("<real>0.5</real>")) << xml.constData();
}

TEST(PropertyList, UidDictionaryOfXmlReadsAsUid)
{
    const QByteArray xml = "<plist><array><dict><key>CF$UID</key><integer>12</integer></dict>"
                           "<dict><key>CF$UID</key><string>x</string></dict></array></plist>";
    EXPECT_EQ(spell(PropertyList::value(xml)), "[uid:12,{CF$UID=QString:x}]");
}

TEST(PropertyList, DamagedInputFailsWithAReason)
{
    const QByteArray goodArray = binaryPlist({arrayObject({1}), QByteArray("\x09")});
    const struct {
        const char* name;
        QByteArray data;
        const char* fragment;
    } cases[] = {
        {"empty", QByteArray(), "empty"},
        {"plain text", "hello, world", "not a well-formed XML property list"},
        {"other XML", "<?xml version=\"1.0\"?><html><body/></html>", "not a well-formed XML property list"},
        {"unclosed XML", "<plist><array><string>a</string>", "not a well-formed XML property list"},
        {"magic only", "bplist00", "truncated"},
        {"magic and junk", "bplist00" + QByteArray(40, 'x'), "damaged"},
        {"object count beyond the data", withTrailerField(goodArray, 8, quint64(1) << 60), "offset table"},
        {"offset table beyond the data", withTrailerField(goodArray, 24, quint64(1) << 62), "offset table"},
        {"top object out of range", withTrailerField(goodArray, 16, 2), "trailer"},
        {"reference out of range", binaryPlist({arrayObject({7})}), "reference is out of range"},
        {"huge array count", binaryPlist({QByteArray("\xaf\x13", 2) + bigEndian(quint64(1) << 40, 8)}), "truncated"},
        {"huge string length", binaryPlist({QByteArray("\x5f\x13", 2) + bigEndian(quint64(1) << 62, 8)}), "truncated"},
        {"huge UTF-16 length", binaryPlist({QByteArray("\x6f\x13", 2) + bigEndian(~quint64(0), 8)}), "truncated"},
        {"unknown object type", binaryPlist({QByteArray("\x70", 1)}), "unknown type"},
        {"array containing itself", binaryPlist({arrayObject({0})}), "contains itself"},
        {"arrays containing each other", binaryPlist({arrayObject({1}), arrayObject({0})}), "contains itself"},
        {"dictionary containing itself",
         binaryPlist({QByteArray("\xd1", 1) + bigEndian(1, 4) + bigEndian(0, 4), QByteArray("\x51k", 2)}), "contains itself"},
        {"dictionary key with a NUL",
         binaryPlist({QByteArray("\xd1", 1) + bigEndian(1, 4) + bigEndian(2, 4), QByteArray("\x53" "a\0b", 4), QByteArray("\x09")}),
         "NUL character"},
        {"UTF-16 dictionary key with a NUL", // libplist would abort the process
         binaryPlist({QByteArray("\xd1", 1) + bigEndian(1, 4) + bigEndian(2, 4), QByteArray("\x63\0a\0\0\0b", 7), QByteArray("\x09")}),
         "NUL character"},
        // Either would read, and then no property list could be written of it.
        {"string with a NUL", binaryPlist({QByteArray("\x53" "a\0b", 4)}), "NUL character"},
        {"XML string with a NUL", QByteArray("<plist version=\"1.0\"><string>a\0b</string></plist>", 49), "NUL character"},
        {"dictionary key that is a number",
         binaryPlist({QByteArray("\xd1", 1) + bigEndian(1, 4) + bigEndian(1, 4), QByteArray("\x10\x01", 2)}), "not a string"},
        {"shared arrays doubling 64 times",
         [] {
             QList<QByteArray> objects;
             for (int i = 0; i < 64; ++i)
                 objects << arrayObject({quint64(i + 1), quint64(i + 1)});
             objects << QByteArray("\x09");
             return binaryPlist(objects);
         }(),
         "expand"},
        {"binary chain 100,000 deep",
         [] {
             QList<QByteArray> objects;
             for (int i = 0; i < 100000; ++i)
                 objects << arrayObject({quint64(i + 1)});
             objects << arrayObject({});
             return binaryPlist(objects);
         }(),
         "nests deeper"},
        {"XML arrays 100,000 deep", "<plist>" + repeated("<array>", 100000) + repeated("</array>", 100000) + "</plist>",
         "nests deeper"},
        {"XML dictionaries 100,000 deep",
         "<plist>" + repeated("<dict><key>k</key>", 100000) + repeated("</dict>", 100000) + "</plist>", "nests deeper"},
        {"XML nesting behind closing tags in comments",
         "<plist>" + repeated("<array><!-- </array> -->", 100000) + repeated("</array>", 100000) + "</plist>",
         "nests deeper"},
        {"XML nesting with spaced tags", "<plist>" + repeated("<array >", 100000) + "</plist>", "nests deeper"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectReadError(c.data, c.fragment);
    }
    EXPECT_EQ(spell(PropertyList::value(goodArray)), "[bool:true]");
}

TEST(PropertyList, HandMadeBinaryListsReadTheirPlainValues)
{
    auto dictionary = [](const QList<quint64>& keys, const QList<quint64>& values) {
        QByteArray bytes(1, char(0xd0 | keys.size()));
        for (quint64 reference : keys + values)
            bytes.append(bigEndian(reference, 4));
        return bytes;
    };
    const QByteArray utf16 = QByteArray("\x63\x00\xe9\xd8\x3d\xdc\x32", 7); // "é" and a surrogate pair
    const struct {
        const char* name;
        QByteArray data;
        const char* spelled;
    } cases[] = {
        {"one object at every reference", binaryPlist({arrayObject({1, 1, 1}), utf16}),
         "[QString:é🐲,QString:é🐲,QString:é🐲]"},
        {"integers of every width",
         binaryPlist({arrayObject({1, 2, 3, 4}), QByteArray("\x10\xff", 2), QByteArray("\x11\xff\xfe", 3),
                      QByteArray("\x12\xff\xff\xff\xfd", 5), QByteArray("\x13") + bigEndian(quint64(-3), 8)}),
         "[qlonglong:255,qlonglong:65534,qlonglong:4294967293,qlonglong:-3]"},
        {"reals of four and eight bytes",
         binaryPlist({arrayObject({1, 2}), QByteArray("\x22\x3f\xc0\x00\x00", 5),
                      QByteArray("\x23\xc0\x04\x00\x00\x00\x00\x00\x00", 9)}),
         "[double:1.5,double:-2.5]"},
        {"keys out of order, the later of two equal ones winning",
         binaryPlist({dictionary({1, 2, 1}, {3, 4, 5}), QByteArray("\x51" "b", 2), QByteArray("\x51" "a", 2),
                      QByteArray("\x08"), QByteArray("\x09"), QByteArray("\x81\x01\x02", 3)}),
         "{a=bool:true,b=uid:258}"},
        {"a date", binaryPlist({QByteArray("\x33") + bigEndian(0x41d0000000000000ull, 8)}),
         "date:2035-01-10T13:37:04.000Z"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pf::Error error;
        EXPECT_EQ(spell(PropertyList::value(c.data, nullptr, &error)), c.spelled) << qPrintable(error.description());
    }
}

TEST(PropertyList, SharedObjectsWithinReasonStillRead)
{
    // Writers share equal strings between dictionaries; that must not look hostile.
    QVariantList records;
    for (int i = 0; i < 2000; ++i)
        records << QVariantMap{{QStringLiteral("NSColorSpaceName"), QStringLiteral("NSCalibratedRGBColorSpace")},
                               {QStringLiteral("NSComponents"), QStringLiteral("1 0 0 1")}};
    const QByteArray bytes = PropertyList::data(records, PropertyListFormat::Binary);
    pf::Error error;
    EXPECT_EQ(PropertyList::value(bytes, nullptr, &error).toList().size(), records.size()) << qPrintable(error.description());
}

TEST(PropertyList, EveryTruncationOfABinaryPlistFails)
{
    const QByteArray bytes = sampleBinary();
    ASSERT_GT(bytes.size(), 60);
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        expectReadError(bytes.left(length));
    }
}

TEST(PropertyList, CorruptingAnyByteNeverCrashes)
{
    const QByteArray xml = PropertyList::data(PropertyList::value(sampleBinary()), PropertyListFormat::XML);
    for (const QByteArray& original : {sampleBinary(), xml}) {
        for (qsizetype offset = 0; offset < original.size(); ++offset) {
            const uchar was = uchar(original[offset]);
            for (uchar replacement : {uchar(0x00), uchar(0xff), uchar(was ^ 0x01), uchar(was ^ 0x80), uchar(0x0f), uchar('<')}) {
                QByteArray damaged = original;
                damaged[offset] = char(replacement);
                pf::Error error;
                const QVariant value = PropertyList::value(damaged, nullptr, &error);
                // Either a value or an error, never both nor neither.
                EXPECT_NE(value.isValid(), !error.isNull()) << "offset " << offset << " byte " << int(replacement);
                if (!error.isNull()) {
                    EXPECT_EQ(error.code(), pf::kErrorPropertyListRead);
                }
            }
        }
        // Truncated XML too must fail cleanly or read; only the full length is guaranteed.
        for (qsizetype length = 0; length < original.size(); ++length) {
            pf::Error error;
            const QVariant value = PropertyList::value(original.left(length), nullptr, &error);
            EXPECT_NE(value.isValid(), !error.isNull()) << "length " << length;
        }
    }
}

TEST(PropertyList, FilesAreWrittenAndReadInEitherFormat)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QVariantMap value{{QStringLiteral("name"), QStringLiteral("Quillory")}, {QStringLiteral("count"), qlonglong(3)}};
    for (PropertyListFormat format : kFormats) {
        SCOPED_TRACE(formatName(format));
        const QString path = dir.filePath(QStringLiteral("settings.plist"));
        pf::Error error;
        ASSERT_TRUE(PropertyList::write(value, path, format, &error)) << qPrintable(error.description());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), PropertyList::data(value, format));
        PropertyListFormat detected {};
        EXPECT_EQ(spell(PropertyList::read(path, &detected, &error)), spell(value));
        EXPECT_EQ(detected, format);
    }
}

TEST(PropertyList, FailedWriteLeavesTheOldFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("keep.plist"));
    ASSERT_TRUE(PropertyList::write(QVariantList{1, 2}, path, PropertyListFormat::XML));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    pf::Error error;
    EXPECT_FALSE(PropertyList::write(QVariantList{1, QPointF()}, path, PropertyListFormat::XML, &error));
    EXPECT_EQ(error.code(), pf::kErrorPropertyListWrite);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("keep.plist")});
}

TEST(PropertyList, FileErrorsNameThePath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missingFolder = dir.filePath(QStringLiteral("missing/out.plist"));
    const QString missingFile = dir.filePath(QStringLiteral("absent.plist"));
    const QString damagedFile = dir.filePath(QStringLiteral("damaged.plist"));
    {
        QFile file(damagedFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("bplist00 and then nothing sensible at all, certainly no trailer");
    }
    pf::Error error;
    EXPECT_FALSE(PropertyList::write(QVariantList{}, missingFolder, PropertyListFormat::Binary, &error));
    EXPECT_EQ(error.code(), pf::kErrorFileWrite);
    EXPECT_EQ(error.userInfo().value(pf::NSFilePathErrorKey).toString(), missingFolder);

    const struct {
        QString path;
        int code;
    } reads[] = {{missingFile, pf::kErrorFileNotFound}, {damagedFile, pf::kErrorPropertyListRead}};
    for (const auto& r : reads) {
        SCOPED_TRACE(qPrintable(r.path));
        EXPECT_FALSE(PropertyList::read(r.path, nullptr, &error).isValid());
        EXPECT_EQ(error.code(), r.code);
        EXPECT_EQ(error.userInfo().value(pf::NSFilePathErrorKey).toString(), r.path);
        EXPECT_TRUE(error.localizedDescription().contains(QFileInfo(r.path).fileName()));
    }
}

// Opening an archive walks a binary list once: the structure check also says whether the fast
// reader takes every value, in place of the reader's own walk. The two answers must agree.
TEST(PropertyList, StructureCheckTellsWhatTheFastReaderTakes)
{
    auto plain = [](const QByteArray& data) {
        bool taken = false;
        const QString problem = pf::binaryPropertyListStructureProblem(data, &taken);
        EXPECT_TRUE(problem.isEmpty() || !taken) << qPrintable(problem);
        return taken;
    };
    auto readerTakes = [](const QByteArray& data) {
        return pf::binaryPropertyListStructureProblem(data).isEmpty()
            && pf::BinaryPropertyListReader::inPlace(data, pf::kMaxPropertyListDepth) != nullptr;
    };
    const struct {
        const char* name;
        QByteArray data;
        bool taken;
    } cases[] = {
        {"plain values",
         PropertyList::data(QVariantMap{{QStringLiteral("a"), 1}, {QStringLiteral("é"), QStringLiteral("text 🐲")},
                                        {QStringLiteral("c"), QVariantList{1.5, true, QByteArray("x")}},
                                        {QStringLiteral("d"), QVariant::fromValue(PlistUID{3})}},
                            PropertyListFormat::Binary),
         true},
        {"a null", binaryPlist({arrayObject({1}), QByteArray("\x00", 1)}), false},
        {"a fill byte", binaryPlist({arrayObject({1}), QByteArray("\x0f")}), false},
        {"a 16-byte integer", binaryPlist({arrayObject({1}), QByteArray("\x14") + bigEndian(0, 8) + bigEndian(7, 8)}), false},
        {"a one-byte real", binaryPlist({arrayObject({1}), QByteArray("\x20\x01", 2)}), false},
        {"a set", binaryPlist({QByteArray("\xc1\x00\x00\x00\x01", 5), QByteArray("\x09")}), false},
        {"a nine-byte UID", binaryPlist({arrayObject({1}), QByteArray("\x88") + bigEndian(1, 9)}), false},
        {"an eight-byte UID", binaryPlist({arrayObject({1}), QByteArray("\x87") + bigEndian(1, 8)}), true},
        {"a byte beyond ASCII", binaryPlist({arrayObject({1}), QByteArray("\x51\xe9", 2)}), false},
        {"a lone high surrogate", binaryPlist({arrayObject({1}), QByteArray("\x61\xd8\x3d", 3)}), false},
        {"a lone low surrogate", binaryPlist({arrayObject({1}), QByteArray("\x62\xdc\x32\x00\x41", 5)}), false},
        {"a surrogate pair", binaryPlist({arrayObject({1}), QByteArray("\x62\xd8\x3d\xdc\x32", 5)}), true},
        {"a date out of range", binaryPlist({arrayObject({1}), QByteArray("\x33") + bigEndian(0x7fefffffffffffffull, 8)}), false},
        {"a date in range", binaryPlist({arrayObject({1}), QByteArray("\x33") + bigEndian(0x41d0000000000000ull, 8)}), true},
        {"an unreachable set", binaryPlist({arrayObject({1}), QByteArray("\x09"), QByteArray("\xc0")}), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plain(c.data), c.taken);
        EXPECT_EQ(readerTakes(c.data), c.taken);
    }
    // And on damaged lists, wherever the damage lies.
    const QByteArray original = sampleBinary();
    for (qsizetype offset = 0; offset < original.size(); ++offset) {
        for (uchar replacement : {uchar(0x00), uchar(0xff), uchar(original[offset] ^ 0x80), uchar(0x0f), uchar(0xc1)}) {
            QByteArray damaged = original;
            damaged[offset] = char(replacement);
            EXPECT_EQ(plain(damaged), readerTakes(damaged)) << "offset " << offset << " byte " << int(replacement);
        }
    }
}
