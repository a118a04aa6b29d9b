#pragma once

#include "frameworks/penwork/svg/PWSVGPreview.h"
#include "platform/foundation/Object.h"

#include <QImage>
#include <QUrl>
#include <QVariantMap>

#include <optional>

class RVImagePath;

// Whom an item asks whether it is on screen (the media browser).
class RVImagePathHost {
public:
    virtual ~RVImagePathHost() = default;
    virtual bool itemVisibleInView(const RVImagePath& item) const = 0;
};

// One image file of the media browser's grid: names the file, gives its pixel size as subtitle,
// and makes its thumbnail only while it is on screen: raster files directly, SVG files through
// the framework's background previewer. Any preview that does not end with an image (refused,
// failed or cancelled) leaves the item free to ask again.
class RVImagePath : public pf::Object, public PWSVGPreviewDelegate {
    PF_CLASS(RVImagePath)
public:
    static inline const QString kRVImagePathItemImageUpdated = QStringLiteral("kRVImagePathItemImageUpdated");
    static inline const QString kRVImagePathWillStartAsynchronousFetch =
        QStringLiteral("kRVImagePathWillStartAsynchronousFetch");
    static inline const QString kCGImagePathDidCompleteAsynchronousFetch =
        QStringLiteral("kCGImagePathDidCompleteAsynchronousFetch");
    static inline const QString kRVMediaBrowserShowFileExtensions = QStringLiteral("kRVMediaBrowserShowFileExtensions");
    static constexpr double kThumbnailSide = 150.0;

    enum class RepresentationType { ImageObject, Path, QuickLookPath };

    RVImagePath() = default;
    RVImagePath(const QUrl& url, const pf::Ref<pf::Object>& mediaBrowser, const QUrl& thumbnailURL = {});
    ~RVImagePath() override;

    static bool showsFileExtensions();
    static bool isSVGExtension(const QString& extension);
    // A thumbnail of the file at `path` fitted within 150 points over white; null when the file
    // is not an image.
    static QImage thumbnailForPath(const QString& path);
    static QImage thumbnailFromImage(const QImage& image);

    QString name() const;
    QString fileExtension() const;
    QUrl url() const { return m_url; }
    QString path() const { return m_url.toLocalFile(); }
    bool isSVG() const { return isSVGExtension(fileExtension()); }

    // The properties of the file's first image, read once; empty when it is no image.
    QVariantMap imageAttributes();
    // The thumbnail or SVG preview, made on demand while the item is visible.
    QImage image();
    void setImage(const QImage& image);
    bool hasImage() const { return !m_image.isNull(); }
    bool isRequestInProgress() const { return m_requestInProgress; }
    // For an SVG item: drops the framework's cached preview so the next display renders again.
    void remakeThumbnail();
    void revealInFinder() const;
    // The framework cancelled the preview (the browser closed): the next display asks again.
    void previewCancelled();

    bool previewFailed() const { return m_previewFailed; }
    QUrl svgPreviewURL() const { return m_svgPreviewURL; }
    QUrl thumbnailURL() const { return m_thumbnailURL; }
    QUrl previewItemURL() const { return m_svgPreviewURL.isEmpty() ? m_url : m_svgPreviewURL; }

    QString imageUID() const { return m_identifier; }
    QString imageTitle() const { return name(); }
    QString imageSubtitle();
    RepresentationType imageRepresentationType() const;
    // The path to draw (path types) or the image (image-object type).
    QVariant imageRepresentation();

    bool isEqual(const pf::Reflective* other) const override;
    size_t hash() const override { return qHash(m_identifier); }
    QString description() const override;

    // The previewer's messages.
    bool svgPreviewShouldStart(PWSVGPreview& preview) override;
    void svgPreviewDidStart(PWSVGPreview& preview) override;
    void svgPreviewDidEnd(PWSVGPreview& preview) override;
    void svgPreviewImageAvailable(PWSVGPreview& preview) override;
    void svgPreviewFailed(PWSVGPreview& preview) override;
    // The asynchronous loader's message.
    void imageLoaderDidLoadImage(const QImage& image);

private:
    void post(const QString& name);
    bool isVisible() const;

    pf::Weak<pf::Object> m_mediaBrowser;
    QUrl m_url;
    std::optional<QVariantMap> m_attributes;
    QImage m_image;
    bool m_requestInProgress = false;
    bool m_previewFailed = false;
    bool m_fetchAnnounced = false;
    QUrl m_svgPreviewURL;
    QUrl m_thumbnailURL;
    QString m_identifier;
};
