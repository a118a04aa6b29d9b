#include "app/CVLTemplateItem.h"

#include "app/PWXMapScale.h"
#include "app/RVCartavelDocument.h"
#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QMetaObject>
#include <QThreadPool>

#include <algorithm>

PF_DEFINE_CLASS(CVLTemplateItem, pf::Object)
{
    b.property("name", &CVLTemplateItem::name);
    b.property("url", &CVLTemplateItem::url);
    b.property("path", &CVLTemplateItem::path);
    // Read lazily (and the image made in the background) on first use.
    b.property("image", std::function<QVariant(const CVLTemplateItem&)>([](const CVLTemplateItem& item) {
                   return QVariant(const_cast<CVLTemplateItem&>(item).image());
               }),
               {});
    b.property("dimensionsAndScaleInfo", std::function<QVariant(const CVLTemplateItem&)>([](const CVLTemplateItem& item) {
                   return QVariant(const_cast<CVLTemplateItem&>(item).dimensionsAndScaleInfo());
               }),
               {});
}

namespace {

// Packages larger than this are not templates we show anything of.
constexpr qint64 kMaxEntrySize = 16 * 1024 * 1024;

QHash<QString, pf::Ref<CVLTemplateItem>>& itemCache()
{
    static QHash<QString, pf::Ref<CVLTemplateItem>> cache;
    return cache;
}

QString cacheKey(const QUrl& url)
{
    return QDir::cleanPath(url.toLocalFile());
}

QByteArray readEntry(const QString& package, const QString& entry)
{
    QFile file(QDir(package).filePath(entry));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxEntrySize)
        return {};
    return file.read(kMaxEntrySize);
}

} // namespace

CVLTemplateItem::CVLTemplateItem(const QUrl& url) : m_url(url), m_name(QFileInfo(url.toLocalFile()).completeBaseName()) {}

QList<pf::Ref<CVLTemplateItem>> CVLTemplateItem::cache()
{
    return itemCache().values();
}

void CVLTemplateItem::cacheObject(const pf::Ref<CVLTemplateItem>& item)
{
    if (item)
        itemCache().insert(cacheKey(item->url()), item);
}

void CVLTemplateItem::invalidateCache()
{
    itemCache().clear();
}

pf::Ref<CVLTemplateItem> CVLTemplateItem::cachedObjectForURL(const QUrl& url)
{
    return itemCache().value(cacheKey(url));
}

QList<pf::Ref<CVLTemplateItem>> CVLTemplateItem::templateItemsWithURLs(const QList<QUrl>& urls)
{
    QList<pf::Ref<CVLTemplateItem>> items;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        pf::Ref<CVLTemplateItem> item = cachedObjectForURL(url);
        if (!item) {
            item = std::make_shared<CVLTemplateItem>(url);
            cacheObject(item);
        }
        items.append(item);
    }
    std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a->name() < b->name(); });
    return items;
}

QList<pf::Ref<CVLTemplateItem>> CVLTemplateItem::templateItemsWithURLs(const QList<QUrl>& urls,
                                                                       const QList<pf::Ref<CVLTemplateItem>>& previous,
                                                                       const QString& filter)
{
    QList<pf::Ref<CVLTemplateItem>> kept;
    for (const pf::Ref<CVLTemplateItem>& item : templateItemsWithURLs(urls)) {
        if (!filter.isEmpty() && !item->name().contains(filter, Qt::CaseInsensitive))
            continue;
        pf::Ref<CVLTemplateItem> shown = item;
        for (const pf::Ref<CVLTemplateItem>& old : previous)
            if (old && old->url() == item->url()) {
                shown = old;
                break;
            }
        kept.append(shown);
    }
    return kept;
}

QImage CVLTemplateItem::image()
{
    if (!m_image.isNull() || m_isFetchingImage || m_imageFailed)
        return m_image;
    m_isFetchingImage = true;
    // The task holds the item, so the item outlives it even when the cache lets go of it.
    pf::Ref<CVLTemplateItem> self = ref<CVLTemplateItem>();
    const QString path = this->path();
    QThreadPool::globalInstance()->start([self, path] {
        RVLog(kFileEvent, QStringLiteral("creating image thumbnail for: %1").arg(path));
        const QImage made = generateImage(path);
        if (made.isNull())
            RVLog(kFileEvent, QStringLiteral("unable to create thumbnail for '%1'").arg(path));
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, made] { self->imageArrived(made); },
                                  Qt::QueuedConnection);
    });
    return m_image;
}

void CVLTemplateItem::imageArrived(const QImage& image)
{
    m_isFetchingImage = false;
    // A failure is remembered: asking again would only fail again.
    m_imageFailed = image.isNull();
    setImage(image);
}

void CVLTemplateItem::setImage(const QImage& image)
{
    willChangeValueForKey(QStringLiteral("image"));
    m_image = image;
    didChangeValueForKey(QStringLiteral("image"));
    pf::NotificationCenter::defaultCenter().post(kImageDidChangeNotification, this);
}

QImage CVLTemplateItem::generateImage(const QString& path)
{
    const QByteArray data = readEntry(path, RVCartavelDocument::kQuickLookEntry + QLatin1Char('/')
                                                + RVCartavelDocument::kThumbnailEntry);
    if (data.isEmpty())
        return {};
    QImage image;
    if (!image.loadFromData(data) || image.isNull())
        return {};
    if (image.width() > kThumbnailSize || image.height() > kThumbnailSize)
        image = image.scaled(kThumbnailSize, kThumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

QString CVLTemplateItem::dimensionsAndScaleInfo()
{
    if (m_info)
        return *m_info;
    m_info = QString();
    const QByteArray data = readEntry(path(), RVCartavelDocument::kInfoEntry);
    if (data.isEmpty())
        return *m_info;
    const QVariantMap info = pf::PropertyList::value(data).toMap();
    RVLog(kFileEvent, QStringLiteral("meta info: %1").arg(info.size()));
    const QString dimensions = kPWDrawingDimensionsInfoKey.toLower();
    const QVariant width = info.value(dimensions + QStringLiteral(".size_width"));
    const QVariant height = info.value(dimensions + QStringLiteral(".size_height"));
    if (!pf::isNumber(width) || !pf::isNumber(height))
        return *m_info;
    pf::Ref<RVUnitLength> unit = RVUnitLength::unitWithName(info.value(kPWDrawingDimensionsUnitsInfoKey).toString().toLower());
    // The sizes are stored in points; they are shown in the drawing's unit.
    const double factor = unit && unit->conversionFactorForPoints() > 0 ? unit->conversionFactorForPoints() : 1.0;
    m_info = QString::asprintf("%.1f x %.1f ", width.toDouble() / factor, height.toDouble() / factor)
             + (unit ? unit->symbol() : QStringLiteral("pt"));
    return *m_info;
}

pf::Ref<PWXMapScale> CVLTemplateItem::scale()
{
    if (m_scale)
        return *m_scale;
    m_scale = pf::Ref<PWXMapScale>();
    const QByteArray data = readEntry(path(), RVCartavelDocument::kAuxiliaryEntry);
    if (data.isEmpty())
        return nullptr;
    try {
        pf::KeyedUnarchiver unarchiver(data);
        if (!unarchiver.isValid())
            return nullptr;
        const QVariant root = unarchiver.decodePropertyListValue(pf::KeyedArchiver::kRootKey);
        unarchiver.finishDecoding();
        // A decode that failed anywhere hands nothing out.
        if (!unarchiver.error().isNull() || root.typeId() != QMetaType::QVariantMap)
            return nullptr;
        m_scale = pf::fromVariant<pf::Ref<PWXMapScale>>(root.toMap().value(RVCartavelDocument::kMapScaleKey));
    } catch (const std::exception& error) {
        RVLog(kFileEvent, QStringLiteral("template auxiliary info could not be read: %1").arg(QString::fromUtf8(error.what())));
        m_scale = pf::Ref<PWXMapScale>();
    }
    return *m_scale;
}
