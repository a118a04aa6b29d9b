#include "platform/graphics/ColorList.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PropertyList.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::ColorList, pf::Object, "pf::ColorList")
{
    b.property("name", &pf::ColorList::name);
    b.property("allKeys", &pf::ColorList::allKeys);
}

namespace pf {

namespace {

const QString kFormatKey = QStringLiteral("Format");
const QString kFormatValue = QStringLiteral("pf.colorlist");
const QString kVersionKey = QStringLiteral("Version");
const QString kNameKey = QStringLiteral("Name");
const QString kColorsKey = QStringLiteral("Colors");
const QString kEntryKey = QStringLiteral("Key");
const QString kEntryColorKey = QStringLiteral("Color");
constexpr int kVersion = 1;

Error corrupt(const QString& path, const QString& reason)
{
    return fileSystemError(kErrorFileReadCorrupt,
                           QCoreApplication::translate("pf::ColorList", "The colour list \"%1\" is damaged.")
                               .arg(QFileInfo(path).fileName()),
                           path, reason);
}

bool component(const QVariant& value, double* out)
{
    if (!isNumber(value))
        return false;
    const double c = value.toDouble();
    if (!std::isfinite(c) || c < 0 || c > 1)
        return false;
    *out = c;
    return true;
}

QList<Ref<ColorList>>& registered()
{
    static QList<Ref<ColorList>> lists;
    return lists;
}

Ref<ColorList> webSafeColors()
{
    static const Ref<ColorList> list = [] {
        auto made = std::make_shared<ColorList>(QStringLiteral("Web Safe Colors"));
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) {
                    const Color colour(r / 5.0, g / 5.0, b / 5.0);
                    made->setColor(colour, colour.hexString().mid(1));
                }
        return made;
    }();
    return list;
}

Ref<ColorList> crayons()
{
    static const Ref<ColorList> list = [] {
        static constexpr std::pair<const char*, const char*> kCrayons[] = {
            {"Cantaloupe", "#FFCC66"}, {"Honeydew", "#CCFF66"},   {"Spindrift", "#66FFCC"}, {"Sky", "#66CCFF"},
            {"Lavender", "#CC66FF"},   {"Carnation", "#FF6FCF"},  {"Licorice", "#000000"},  {"Snow", "#FFFFFF"},
            {"Salmon", "#FF6666"},     {"Banana", "#FFFF66"},     {"Flora", "#66FF66"},     {"Ice", "#66FFFF"},
            {"Orchid", "#6666FF"},     {"Bubblegum", "#FF66FF"},  {"Lead", "#191919"},      {"Mercury", "#E6E6E6"},
            {"Tangerine", "#FF8000"},  {"Lime", "#80FF00"},       {"Sea Foam", "#00FF80"},  {"Aqua", "#0080FF"},
            {"Grape", "#8000FF"},      {"Strawberry", "#FF0080"}, {"Tungsten", "#333333"},  {"Silver", "#CCCCCC"},
            {"Maraschino", "#FF0000"}, {"Lemon", "#FFFF00"},      {"Spring", "#00FF00"},    {"Turquoise", "#00FFFF"},
            {"Blueberry", "#0000FF"},  {"Magenta", "#FF00FF"},    {"Iron", "#4C4C4C"},      {"Magnesium", "#B3B3B3"},
            {"Mocha", "#804000"},      {"Fern", "#408000"},       {"Moss", "#008040"},      {"Ocean", "#004080"},
            {"Eggplant", "#400080"},   {"Maroon", "#800040"},     {"Steel", "#666666"},     {"Aluminum", "#999999"},
            {"Cayenne", "#800000"},    {"Asparagus", "#808000"},  {"Clover", "#008000"},    {"Teal", "#008080"},
            {"Midnight", "#000080"},   {"Plum", "#800080"},       {"Tin", "#7F7F7F"},       {"Nickel", "#808080"},
        };
        auto made = std::make_shared<ColorList>(QStringLiteral("Crayons"));
        for (const auto& [key, hex] : kCrayons)
            made->setColor(Color::fromHexString(QLatin1String(hex)), QLatin1String(key));
        return made;
    }();
    return list;
}

} // namespace

Ref<ColorList> ColorList::fromFile(const QString& name, const QString& path, Error* error)
{
    Error readError;
    const QByteArray data = readData(path, false, &readError);
    if (!readError.isNull()) {
        fail(error, readError);
        return nullptr;
    }
    const QVariant root = PropertyList::value(data, nullptr, nullptr);
    if (root.typeId() != QMetaType::QVariantMap) {
        fail(error, corrupt(path, QStringLiteral("not a property list dictionary")));
        return nullptr;
    }
    const QVariantMap map = root.toMap();
    if (map.value(kFormatKey).toString() != kFormatValue) {
        fail(error, corrupt(path, QStringLiteral("not a colour list")));
        return nullptr;
    }
    if (!isNumber(map.value(kVersionKey)) || map.value(kVersionKey).toInt() > kVersion) {
        fail(error, corrupt(path, QStringLiteral("unknown colour list version")));
        return nullptr;
    }
    if (map.value(kColorsKey).typeId() != QMetaType::QVariantList) {
        fail(error, corrupt(path, QStringLiteral("no list of colours")));
        return nullptr;
    }
    const QString ownName = map.value(kNameKey).toString();
    // Neither form of the file can carry a NUL: such a list could never be saved again.
    if (ownName.contains(QChar(0))) {
        fail(error, corrupt(path, QStringLiteral("the name holds a NUL character")));
        return nullptr;
    }
    auto list = std::make_shared<ColorList>(name.isEmpty() ? ownName : name);
    const QVariantList colours = map.value(kColorsKey).toList();
    for (qsizetype i = 0; i < colours.size(); ++i) {
        const QVariantMap entry = colours[i].toMap();
        const QVariant key = entry.value(kEntryKey);
        const QVariantList components = entry.value(kEntryColorKey).toList();
        double c[4];
        bool valid = key.typeId() == QMetaType::QString && !key.toString().isEmpty() && !key.toString().contains(QChar(0))
                     && components.size() == 4;
        for (int k = 0; valid && k < 4; ++k)
            valid = component(components[k], &c[k]);
        if (!valid || list->indexOf(key.toString()) >= 0) {
            fail(error, corrupt(path, QStringLiteral("entry %1 is not a unique key with four components 0 to 1").arg(i)));
            return nullptr;
        }
        list->m_entries.append(Entry{key.toString(), Color(c[0], c[1], c[2], c[3])});
    }
    return list;
}

bool ColorList::writeToFile(const QString& path, Error* error) const
{
    QVariantList colours;
    for (const Entry& entry : m_entries) {
        const Color& c = entry.color;
        colours.append(QVariantMap{
            {kEntryKey, entry.key},
            {kEntryColorKey, QVariantList{c.redComponent(), c.greenComponent(), c.blueComponent(), c.alphaComponent()}}});
    }
    const QVariantMap root{{kFormatKey, kFormatValue}, {kVersionKey, kVersion}, {kNameKey, m_name}, {kColorsKey, colours}};
    Error encodeError;
    QByteArray data = PropertyList::data(root, PropertyListFormat::XML, &encodeError);
    // XML cannot carry control characters in a name or key; the binary form can, and reads alike.
    if (data.isEmpty())
        data = PropertyList::data(root, PropertyListFormat::Binary, &encodeError);
    if (data.isEmpty())
        return fail(error, encodeError);
    return writeDataAtomically(data, path, error);
}

Ref<ColorList> ColorList::named(const QString& name)
{
    for (const Ref<ColorList>& list : std::as_const(registered())) {
        if (list->name() == name)
            return list;
    }
    if (name == webSafeColors()->name())
        return webSafeColors();
    if (name == crayons()->name())
        return crayons();
    return nullptr;
}

QList<Ref<ColorList>> ColorList::availableColorLists()
{
    QList<Ref<ColorList>> lists = registered();
    // A registered list of a built-in's name stands in for it.
    for (const Ref<ColorList>& builtIn : {webSafeColors(), crayons()}) {
        if (named(builtIn->name()) == builtIn)
            lists.append(builtIn);
    }
    return lists;
}

void ColorList::registerColorList(const Ref<ColorList>& list)
{
    if (!list)
        return;
    registered().removeIf([&list](const Ref<ColorList>& other) { return other->name() == list->name(); });
    registered().append(list);
}

QStringList ColorList::allKeys() const
{
    QStringList keys;
    for (const Entry& entry : m_entries)
        keys.append(entry.key);
    return keys;
}

qsizetype ColorList::indexOf(const QString& key) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].key == key)
            return i;
    }
    return -1;
}

Color ColorList::colorWithKey(const QString& key) const
{
    const qsizetype index = indexOf(key);
    return index >= 0 ? m_entries[index].color : Color();
}

void ColorList::setColor(const Color& color, const QString& key)
{
    const qsizetype index = indexOf(key);
    if (index >= 0)
        m_entries[index].color = color;
    else
        m_entries.append(Entry{key, color});
}

void ColorList::insertColor(const Color& color, const QString& key, qsizetype index)
{
    removeColorWithKey(key);
    m_entries.insert(std::clamp<qsizetype>(index, 0, m_entries.size()), Entry{key, color});
}

void ColorList::removeColorWithKey(const QString& key)
{
    const qsizetype index = indexOf(key);
    if (index >= 0)
        m_entries.removeAt(index);
}

} // namespace pf
