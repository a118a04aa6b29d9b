#pragma once

#include "platform/foundation/Object.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

class PWXMapScale;

// One template file of the template picker: its name, a thumbnail made in the background,
// the size text and the map scale read from the package. Items made through the class
// operations are kept in a class-wide cache (by path) until invalidateCache, so each file's
// thumbnail is made once per cache generation. Main thread only, except the thumbnail work.
class CVLTemplateItem : public pf::Object {
    PF_CLASS(CVLTemplateItem)
public:
    // Posted (object: the item) on the main thread when a thumbnail arrives.
    static inline const QString kImageDidChangeNotification = QStringLiteral("CVLTemplateItemImageDidChange");
    static constexpr int kThumbnailSize = 512;

    CVLTemplateItem() = default;
    explicit CVLTemplateItem(const QUrl& url);

    // The class-wide cache -------------------------------------------------------------------
    static QList<pf::Ref<CVLTemplateItem>> cache();
    static void cacheObject(const pf::Ref<CVLTemplateItem>& item);
    static void invalidateCache();
    static pf::Ref<CVLTemplateItem> cachedObjectForURL(const QUrl& url);
    // The cached item of each URL (made and cached when missing), sorted by name with a plain,
    // case-sensitive comparison.
    static QList<pf::Ref<CVLTemplateItem>> templateItemsWithURLs(const QList<QUrl>& urls);
    // As above, keeping the items whose names contain `filter` (without regard to case; every
    // item for an empty filter), each replaced by the item of `previous` with the same URL.
    static QList<pf::Ref<CVLTemplateItem>> templateItemsWithURLs(const QList<QUrl>& urls,
                                                                 const QList<pf::Ref<CVLTemplateItem>>& previous,
                                                                 const QString& filter);

    QString name() const { return m_name; }
    QUrl url() const { return m_url; }
    QString path() const { return m_url.toLocalFile(); }

    // The thumbnail; null while it is being made, and then starts making it in the background
    // unless that is under way or has already failed for this item.
    QImage image();
    void setImage(const QImage& image);
    bool isFetchingImage() const { return m_isFetchingImage; }
    bool imageFailed() const { return m_imageFailed; }
    // Runs on a worker thread: the package's thumbnail, scaled to fit kThumbnailSize; null when
    // the package has none or it does not decode.
    static QImage generateImage(const QString& path);

    // "width x height unit" from the package's drawing information, read once; empty when the
    // package has none.
    QString dimensionsAndScaleInfo();
    // The map scale of the package's auxiliary entry, read once; null when it has none or the
    // entry is damaged.
    pf::Ref<PWXMapScale> scale();

private:
    void imageArrived(const QImage& image);

    QUrl m_url;
    QString m_name;
    QImage m_image;
    bool m_isFetchingImage = false;
    bool m_imageFailed = false;
    std::optional<QString> m_info;
    std::optional<pf::Ref<PWXMapScale>> m_scale;
};
