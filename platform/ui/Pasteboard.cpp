#include "platform/ui/Pasteboard.h"

#include "platform/foundation/PropertyList.h"

#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeData>
#include <QUuid>

PF_DEFINE_CLASS_NAMED(pf::Pasteboard, pf::Object, "pf::Pasteboard") {}

namespace pf {

namespace {

const QString kPrivateMimePrefix = QStringLiteral("application/x-qlry-");
const QString kItemsMimeType = QStringLiteral("application/x-qlry-pasteboard-items");
const QString kUriListMimeType = QStringLiteral("text/uri-list");
// The key under which an object written in this process is found again.
const QString kObjectKeyType = QStringLiteral("org.quillory.pasteboard.object-key");

// MIME data made by a pasteboard: remembers which one, and which state of it.
class PasteboardMimeData : public QMimeData {
public:
    std::weak_ptr<Object> pasteboard;
    const Pasteboard* origin = nullptr;
    quint64 serial = 0;
};

struct Registry {
    QHash<QString, Ref<Pasteboard>> named;
    QHash<QString, Ref<Object>> objects; // in-process objects by key
    QHash<const Class*, QStringList> readableTypes;
    QString processNonce = QUuid::createUuid().toString(QUuid::WithoutBraces);
    quint64 nextObject = 0;
};

Registry& registry()
{
    static Registry r;
    return r;
}

bool isUrlType(const QString& type)
{
    return type == NSPasteboardTypeURL || type == NSPasteboardTypeFileURL || type == NSFilenamesPboardType;
}

QByteArray encodeColor(const QColor& color)
{
    // As X11's application/x-color: red, green, blue, alpha, 16 bits each, big-endian.
    const QRgba64 c = color.toRgb().rgba64();
    QByteArray bytes;
    for (quint16 v : {c.red(), c.green(), c.blue(), c.alpha()}) {
        bytes.append(char(v >> 8));
        bytes.append(char(v & 0xff));
    }
    return bytes;
}

QColor decodeColor(const QByteArray& bytes)
{
    if (bytes.size() != 8)
        return {};
    auto at = [&](int i) { return quint16((quint8(bytes[2 * i]) << 8) | quint8(bytes[2 * i + 1])); };
    return QColor(QRgba64::fromRgba64(at(0), at(1), at(2), at(3)));
}

QByteArray encodeImage(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image))
        return {};
    return bytes;
}

QImage decodeImage(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return reader.read();
}

QVariant readablePropertyList(const QByteArray& bytes)
{
    if (bytes.startsWith("bplist00") || bytes.trimmed().startsWith("<?xml") || bytes.trimmed().startsWith("<plist")) {
        Error error;
        QVariant value = PropertyList::value(bytes, nullptr, &error);
        if (value.isValid())
            return value;
    }
    return bytes;
}

} // namespace

QString mimeTypeForPasteboardType(const QString& type)
{
    if (type == NSPasteboardTypeString)
        return QStringLiteral("text/plain");
    if (type == NSPasteboardTypePDF)
        return QStringLiteral("application/pdf");
    if (type == NSPasteboardTypeTIFF)
        return QStringLiteral("image/tiff");
    if (type == NSPasteboardTypePNG)
        return QStringLiteral("image/png");
    if (type == NSPasteboardTypeColor)
        return QStringLiteral("application/x-color");
    if (isUrlType(type))
        return kUriListMimeType;
    return kPrivateMimePrefix + type;
}

QString pasteboardTypeForMimeType(const QString& mimeType)
{
    const QString mime = mimeType.section(QLatin1Char(';'), 0, 0).trimmed();
    if (mime == QLatin1String("text/plain"))
        return NSPasteboardTypeString;
    if (mime == QLatin1String("application/pdf"))
        return NSPasteboardTypePDF;
    if (mime == QLatin1String("image/tiff"))
        return NSPasteboardTypeTIFF;
    if (mime == QLatin1String("image/png"))
        return NSPasteboardTypePNG;
    if (mime == QLatin1String("application/x-color"))
        return NSPasteboardTypeColor;
    if (mime == kUriListMimeType)
        return NSPasteboardTypeURL;
    if (mime.startsWith(kPrivateMimePrefix) && mime != kItemsMimeType)
        return mime.mid(kPrivateMimePrefix.size());
    return {};
}

Ref<Pasteboard> Pasteboard::withName(const QString& name)
{
    Ref<Pasteboard>& pasteboard = registry().named[name];
    if (!pasteboard)
        pasteboard = std::make_shared<Pasteboard>(name);
    return pasteboard;
}

Ref<Pasteboard> Pasteboard::general()
{
    return withName(NSGeneralPboard);
}

Ref<Pasteboard> Pasteboard::drag()
{
    return withName(NSDragPboard);
}

Ref<Pasteboard> Pasteboard::fromMimeData(const QMimeData* mimeData)
{
    auto pasteboard = std::make_shared<Pasteboard>();
    pasteboard->loadMimeData(mimeData);
    return pasteboard;
}

Pasteboard::Pasteboard(QString name) : m_name(std::move(name)) {}

Pasteboard::~Pasteboard()
{
    releaseObjectKeys();
}

void Pasteboard::syncFromClipboard() const
{
    if (m_name != NSGeneralPboard || !qGuiApp)
        return;
    const QMimeData* current = QGuiApplication::clipboard()->mimeData();
    const auto* ours = dynamic_cast<const PasteboardMimeData*>(current);
    if (ours && ours->origin == this && ours->serial == m_serial)
        return;
    if (current == m_published && !ours)
        return; // external data already read (or still none)
    // Another program (or Qt code) replaced the clipboard.
    auto* self = const_cast<Pasteboard*>(this);
    self->releaseObjectKeys();
    self->loadMimeData(current);
    self->m_owner = nullptr;
    self->m_ownerLiveness.reset();
    self->m_published = current;
    ++m_changeCount;
}

void Pasteboard::publish()
{
    ++m_serial;
    if (m_name != NSGeneralPboard || !qGuiApp)
        return;
    QMimeData* mimeData = makeMimeData();
    m_published = mimeData;
    QGuiApplication::clipboard()->setMimeData(mimeData);
}

int Pasteboard::changeCount() const
{
    syncFromClipboard();
    return m_changeCount;
}

void Pasteboard::releaseObjectKeys()
{
    for (const QString& key : std::as_const(m_objectKeys))
        registry().objects.remove(key);
    m_objectKeys.clear();
}

int Pasteboard::clearContents()
{
    syncFromClipboard();
    releaseObjectKeys();
    m_items.clear();
    m_owner = nullptr;
    m_ownerLiveness.reset();
    ++m_changeCount;
    publish();
    return m_changeCount;
}

int Pasteboard::declareTypes(const QStringList& types, Reflective* owner)
{
    syncFromClipboard();
    releaseObjectKeys();
    m_items.clear();
    Item item;
    for (const QString& type : types) {
        if (!item.types.contains(type))
            item.types.append(type);
    }
    m_items.append(item);
    m_owner = owner;
    m_ownerLiveness = owner ? owner->livenessToken() : std::weak_ptr<void>();
    ++m_changeCount;
    publish();
    return m_changeCount;
}

int Pasteboard::addTypes(const QStringList& types, Reflective* owner)
{
    syncFromClipboard();
    Item& item = firstItem();
    for (const QString& type : types) {
        if (!item.types.contains(type))
            item.types.append(type);
    }
    if (owner) {
        m_owner = owner;
        m_ownerLiveness = owner->livenessToken();
    }
    publish();
    return m_changeCount;
}

Reflective* Pasteboard::owner() const
{
    syncFromClipboard();
    return m_ownerLiveness.expired() ? nullptr : m_owner;
}

Pasteboard::Item& Pasteboard::firstItem()
{
    if (m_items.isEmpty())
        m_items.append(Item());
    return m_items.first();
}

const Pasteboard::Item* Pasteboard::itemAt(int index) const
{
    syncFromClipboard();
    return index >= 0 && index < m_items.size() ? &m_items[index] : nullptr;
}

bool Pasteboard::setData(const QByteArray& data, const QString& type)
{
    if (type.isEmpty())
        return false;
    syncFromClipboard();
    Item& item = firstItem();
    if (!item.types.contains(type))
        item.types.append(type);
    item.data.insert(type, data);
    publish();
    return true;
}

bool Pasteboard::setString(const QString& string, const QString& type)
{
    return setData(string.toUtf8(), type);
}

bool Pasteboard::setPropertyList(const QVariant& propertyList, const QString& type)
{
    Error error;
    const QByteArray bytes = PropertyList::data(propertyList, PropertyListFormat::XML, &error);
    if (bytes.isEmpty())
        return false;
    return setData(bytes, type);
}

QByteArray Pasteboard::dataForType(const QString& type) const
{
    return dataForType(0, type);
}

QByteArray Pasteboard::dataForType(int index, const QString& type) const
{
    const Item* item = itemAt(index);
    return item ? item->data.value(type) : QByteArray();
}

QString Pasteboard::stringForType(const QString& type) const
{
    const Item* item = itemAt(0);
    if (!item || !item->data.contains(type))
        return {};
    return QString::fromUtf8(item->data.value(type));
}

QVariant Pasteboard::propertyListForType(const QString& type) const
{
    const QByteArray bytes = dataForType(type);
    if (bytes.isEmpty())
        return {};
    Error error;
    return PropertyList::value(bytes, nullptr, &error);
}

QStringList Pasteboard::types() const
{
    return typesOfItem(0);
}

QStringList Pasteboard::typesOfItem(int index) const
{
    const Item* item = itemAt(index);
    if (!item)
        return {};
    QStringList types = item->types;
    types.removeAll(kObjectKeyType);
    return types;
}

int Pasteboard::itemCount() const
{
    syncFromClipboard();
    return int(m_items.size());
}

QString Pasteboard::availableTypeFromArray(const QStringList& wanted) const
{
    const QStringList present = types();
    for (const QString& type : wanted) {
        if (present.contains(type))
            return type;
    }
    return {};
}

bool Pasteboard::setColor(const QColor& color)
{
    if (!color.isValid())
        return false;
    return setData(encodeColor(color), NSPasteboardTypeColor);
}

QColor Pasteboard::color() const
{
    return decodeColor(dataForType(NSPasteboardTypeColor));
}

bool Pasteboard::setImage(const QImage& image)
{
    if (image.isNull())
        return false;
    const QByteArray png = encodeImage(image, "png");
    if (png.isEmpty())
        return false;
    const QByteArray tiff = encodeImage(image, "tiff");
    if (!tiff.isEmpty())
        setData(tiff, NSPasteboardTypeTIFF);
    return setData(png, NSPasteboardTypePNG);
}

QImage Pasteboard::image() const
{
    QImage image = decodeImage(dataForType(NSPasteboardTypeTIFF));
    if (image.isNull())
        image = decodeImage(dataForType(NSPasteboardTypePNG));
    return image;
}

bool Pasteboard::writeURLs(const QList<QUrl>& urls)
{
    QList<Item> items;
    QVariantList paths;
    for (const QUrl& url : urls) {
        if (!url.isValid() || url.isEmpty())
            return false;
        Item item;
        const QByteArray text = url.toEncoded();
        item.types.append(NSPasteboardTypeURL);
        item.data.insert(NSPasteboardTypeURL, text);
        if (url.isLocalFile()) {
            item.types.append(NSPasteboardTypeFileURL);
            item.data.insert(NSPasteboardTypeFileURL, text);
            paths.append(url.toLocalFile());
        }
        items.append(item);
    }
    if (items.isEmpty())
        return false;
    if (!paths.isEmpty()) {
        items.first().types.append(NSFilenamesPboardType);
        items.first().data.insert(NSFilenamesPboardType, PropertyList::data(paths, PropertyListFormat::XML));
    }
    syncFromClipboard();
    releaseObjectKeys();
    m_items = items;
    m_owner = nullptr;
    m_ownerLiveness.reset();
    ++m_changeCount;
    publish();
    return true;
}

QList<QUrl> Pasteboard::readURLs() const
{
    syncFromClipboard();
    QList<QUrl> urls;
    for (const Item& item : std::as_const(m_items)) {
        QByteArray text = item.data.value(NSPasteboardTypeFileURL);
        if (text.isEmpty())
            text = item.data.value(NSPasteboardTypeURL);
        const QUrl url = QUrl::fromEncoded(text);
        if (url.isValid() && !url.isEmpty() && !urls.contains(url))
            urls.append(url);
    }
    if (urls.isEmpty()) {
        const QVariant paths = propertyListForType(NSFilenamesPboardType);
        for (const QVariant& path : paths.toList()) {
            if (path.typeId() == QMetaType::QString && !path.toString().isEmpty())
                urls.append(QUrl::fromLocalFile(path.toString()));
        }
    }
    return urls;
}

bool Pasteboard::writeObjects(const QList<Ref<Object>>& objects)
{
    QList<Item> items;
    QStringList keys;
    Registry& r = registry();
    for (const Ref<Object>& object : objects) {
        if (!object)
            return false;
        Item item;
        if (const auto* writer = dynamic_cast<const PasteboardWriting*>(object.get())) {
            for (const QString& type : writer->writableTypesForPasteboard(*this)) {
                const QVariant value = writer->pasteboardPropertyListForType(type);
                QByteArray bytes;
                if (value.typeId() == QMetaType::QByteArray)
                    bytes = value.toByteArray();
                else if (value.typeId() == QMetaType::QString)
                    bytes = value.toString().toUtf8();
                else if (value.isValid()) {
                    Error error;
                    bytes = PropertyList::data(value, PropertyListFormat::XML, &error);
                    if (bytes.isEmpty())
                        return false; // the object answered something no pasteboard can hold
                }
                if (!item.types.contains(type))
                    item.types.append(type);
                item.data.insert(type, bytes);
            }
        }
        const QString key = QStringLiteral("%1/%2/%3")
                                .arg(QCoreApplication::applicationPid())
                                .arg(r.processNonce)
                                .arg(++r.nextObject);
        item.types.append(kObjectKeyType);
        item.data.insert(kObjectKeyType, key.toUtf8());
        keys.append(key);
        items.append(item);
    }
    syncFromClipboard();
    releaseObjectKeys();
    for (int i = 0; i < objects.size(); ++i)
        r.objects.insert(keys[i], objects[i]);
    m_objectKeys = keys;
    m_items = items;
    m_owner = nullptr;
    m_ownerLiveness.reset();
    ++m_changeCount;
    publish();
    return true;
}

void Pasteboard::registerReadableClass(const Class& cls, const QStringList& readableTypes)
{
    registry().readableTypes.insert(&cls, readableTypes);
}

QStringList Pasteboard::readableTypesForClass(const Class& cls)
{
    return registry().readableTypes.value(&cls);
}

QList<Ref<Object>> Pasteboard::readObjectsForClasses(const QList<const Class*>& classes) const
{
    syncFromClipboard();
    QList<Ref<Object>> objects;
    const Registry& r = registry();
    for (const Item& item : std::as_const(m_items)) {
        const Ref<Object> same = r.objects.value(QString::fromUtf8(item.data.value(kObjectKeyType)));
        bool found = false;
        for (const Class* cls : classes) {
            if (same && same->isKindOf(*cls)) {
                objects.append(same);
                found = true;
                break;
            }
            QString type;
            for (const QString& readable : r.readableTypes.value(cls)) {
                if (item.data.contains(readable)) {
                    type = readable;
                    break;
                }
            }
            if (type.isEmpty())
                continue;
            Ref<Object> object = cls->create();
            auto* reader = dynamic_cast<PasteboardReading*>(object.get());
            if (!reader || !reader->initWithPasteboardPropertyList(readablePropertyList(item.data.value(type)), type))
                continue;
            objects.append(object);
            found = true;
            break;
        }
        (void)found;
    }
    return objects;
}

bool Pasteboard::canReadObjectForClasses(const QList<const Class*>& classes) const
{
    syncFromClipboard();
    const Registry& r = registry();
    for (const Item& item : std::as_const(m_items)) {
        const Ref<Object> same = r.objects.value(QString::fromUtf8(item.data.value(kObjectKeyType)));
        for (const Class* cls : classes) {
            if (same && same->isKindOf(*cls))
                return true;
            for (const QString& readable : r.readableTypes.value(cls)) {
                if (item.data.contains(readable))
                    return true;
            }
        }
    }
    return false;
}

QMimeData* Pasteboard::makeMimeData() const
{
    auto* mimeData = new PasteboardMimeData;
    mimeData->pasteboard = const_cast<Pasteboard*>(this)->weak_from_this();
    mimeData->origin = this;
    mimeData->serial = m_serial;
    if (m_items.isEmpty())
        return mimeData;
    const Item& first = m_items.first();
    QList<QUrl> urls;
    for (const Item& item : m_items) {
        QByteArray text = item.data.value(NSPasteboardTypeFileURL);
        if (text.isEmpty())
            text = item.data.value(NSPasteboardTypeURL);
        const QUrl url = QUrl::fromEncoded(text);
        if (!text.isEmpty() && url.isValid() && !urls.contains(url))
            urls.append(url);
    }
    if (urls.isEmpty() && first.data.contains(NSFilenamesPboardType)) {
        Error error;
        for (const QVariant& path : PropertyList::value(first.data.value(NSFilenamesPboardType), nullptr, &error).toList())
            urls.append(QUrl::fromLocalFile(path.toString()));
    }
    bool haveImage = false;
    for (const QString& type : first.types) {
        const QByteArray bytes = first.data.value(type);
        if (isUrlType(type))
            continue;
        if (type == NSPasteboardTypeColor) {
            const QColor color = decodeColor(bytes);
            if (color.isValid())
                mimeData->setColorData(color);
            else
                mimeData->setData(mimeTypeForPasteboardType(type), bytes);
            continue;
        }
        mimeData->setData(mimeTypeForPasteboardType(type), bytes);
        if ((type == NSPasteboardTypeTIFF || type == NSPasteboardTypePNG) && !haveImage) {
            const QImage image = decodeImage(bytes);
            if (!image.isNull()) {
                mimeData->setImageData(image);
                haveImage = true;
            }
        }
    }
    if (!urls.isEmpty())
        mimeData->setUrls(urls);
    else if (first.types.contains(NSPasteboardTypeURL) || first.types.contains(NSFilenamesPboardType))
        mimeData->setData(kUriListMimeType, QByteArray()); // declared, data to come
    if (m_items.size() > 1) {
        QVariantList items;
        for (const Item& item : m_items) {
            QVariantMap entry;
            for (const QString& type : item.types)
                entry.insert(type, item.data.value(type));
            items.append(entry);
        }
        QVariantMap all;
        all.insert(QStringLiteral("items"), items);
        QVariantList order;
        for (const Item& item : m_items)
            order.append(QVariant(item.types));
        all.insert(QStringLiteral("order"), order);
        mimeData->setData(kItemsMimeType, PropertyList::data(all, PropertyListFormat::Binary));
    }
    return mimeData;
}

Ref<Pasteboard> Pasteboard::sourceOfMimeData(const QMimeData* mimeData)
{
    const auto* ours = dynamic_cast<const PasteboardMimeData*>(mimeData);
    if (!ours)
        return nullptr;
    return std::dynamic_pointer_cast<Pasteboard>(ours->pasteboard.lock());
}

void Pasteboard::loadMimeData(const QMimeData* mimeData)
{
    m_items.clear();
    if (!mimeData)
        return;
    // Our own several-item form first: it carries everything.
    if (mimeData->hasFormat(kItemsMimeType)) {
        Error error;
        const QVariantMap all = PropertyList::value(mimeData->data(kItemsMimeType), nullptr, &error).toMap();
        const QVariantList items = all.value(QStringLiteral("items")).toList();
        const QVariantList order = all.value(QStringLiteral("order")).toList();
        bool valid = !items.isEmpty() && order.size() == items.size();
        QList<Item> loaded;
        for (int i = 0; valid && i < items.size(); ++i) {
            Item item;
            const QVariantMap entry = items[i].toMap();
            for (const QVariant& type : order[i].toList()) {
                const QVariant bytes = entry.value(type.toString());
                if (type.typeId() != QMetaType::QString || bytes.typeId() != QMetaType::QByteArray) {
                    valid = false;
                    break;
                }
                item.types.append(type.toString());
                item.data.insert(type.toString(), bytes.toByteArray());
            }
            loaded.append(item);
        }
        if (valid) {
            m_items = loaded;
            return;
        }
    }
    Item first;
    QList<Item> urlItems;
    bool haveTiff = false;
    for (const QString& format : mimeData->formats()) {
        const QString type = pasteboardTypeForMimeType(format);
        if (type.isEmpty() || first.types.contains(type))
            continue;
        if (format == kUriListMimeType) {
            QVariantList paths;
            for (const QUrl& url : mimeData->urls()) {
                Item item;
                item.types.append(NSPasteboardTypeURL);
                item.data.insert(NSPasteboardTypeURL, url.toEncoded());
                if (url.isLocalFile()) {
                    item.types.append(NSPasteboardTypeFileURL);
                    item.data.insert(NSPasteboardTypeFileURL, url.toEncoded());
                    paths.append(url.toLocalFile());
                }
                urlItems.append(item);
            }
            if (!paths.isEmpty()) {
                first.types.append(NSFilenamesPboardType);
                first.data.insert(NSFilenamesPboardType, PropertyList::data(paths, PropertyListFormat::XML));
            }
            continue;
        }
        if (type == NSPasteboardTypeString) {
            first.types.append(type);
            first.data.insert(type, mimeData->text().toUtf8());
            continue;
        }
        if (type == NSPasteboardTypeColor) {
            const QColor color = qvariant_cast<QColor>(mimeData->colorData());
            first.types.append(type);
            first.data.insert(type, color.isValid() ? encodeColor(color) : mimeData->data(format));
            continue;
        }
        haveTiff = haveTiff || type == NSPasteboardTypeTIFF;
        first.types.append(type);
        first.data.insert(type, mimeData->data(format));
    }
    // An image another program offers in some other format is read as TIFF.
    if (!haveTiff && mimeData->hasImage()) {
        const QImage image = qvariant_cast<QImage>(mimeData->imageData());
        const QByteArray tiff = image.isNull() ? QByteArray() : encodeImage(image, "tiff");
        if (!tiff.isEmpty()) {
            first.types.append(NSPasteboardTypeTIFF);
            first.data.insert(NSPasteboardTypeTIFF, tiff);
        }
    }
    // The URL items come first so that each URL is an item, the other types join the first.
    if (!urlItems.isEmpty()) {
        Item& head = urlItems.first();
        for (const QString& type : std::as_const(first.types)) {
            head.types.append(type);
            head.data.insert(type, first.data.value(type));
        }
        m_items = urlItems;
    } else if (!first.types.isEmpty()) {
        m_items.append(first);
    }
}

} // namespace pf
