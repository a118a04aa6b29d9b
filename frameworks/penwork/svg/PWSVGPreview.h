#pragma once

#include <QImage>
#include <QString>
#include <QUrl>

#include <atomic>
#include <memory>

class PWSVGPreview;

// What an SVG previewer tells the one that asked for it. Every message arrives on the main
// thread, each with the previewer. A delegate that is destroyed is no longer called: the base
// class keeps the token the previewer watches.
class PWSVGPreviewDelegate {
public:
    PWSVGPreviewDelegate() = default;
    PWSVGPreviewDelegate(const PWSVGPreviewDelegate&) : PWSVGPreviewDelegate() {}
    PWSVGPreviewDelegate& operator=(const PWSVGPreviewDelegate&) { return *this; }
    virtual ~PWSVGPreviewDelegate() = default;

    // Asked first; the preview is made only when this answers true.
    virtual bool svgPreviewShouldStart(PWSVGPreview& preview) { return true; }
    virtual void svgPreviewDidStart(PWSVGPreview& preview) {}
    // After the image is available or the preview failed: the last message.
    virtual void svgPreviewDidEnd(PWSVGPreview& preview) {}
    virtual void svgPreviewImageAvailable(PWSVGPreview& preview) {}
    virtual void svgPreviewFailed(PWSVGPreview& preview) {}

    std::weak_ptr<void> svgPreviewDelegateLiveness() const { return m_alive; }

private:
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

// A preview image of an SVG file, rendered in the background (at most kMaxPreviewSide pixels a
// side, keeping the picture's proportions) and kept in a disk cache, so that a file that has not
// changed (same path, size and modification time) is not rendered again. The framework keeps
// every preview until it has ended or is cancelled; the caller need not hold it.
class PWSVGPreview : public std::enable_shared_from_this<PWSVGPreview> {
public:
    static constexpr int kMaxPreviewSide = 512;
    // Files larger than this are not rendered.
    static constexpr qint64 kMaxFileBytes = qint64(64) * 1024 * 1024;

    // The folder previews are cached in; empty (the start) caches nothing. It is made when a
    // preview is first written.
    static void setSVGThumbnailsCacheFolder(const QString& path);
    static QString svgThumbnailsCacheFolder();
    // Removes every cached preview from the folder (other files are left alone).
    static void emptyCache();
    // Cancels every preview that has not ended: none of them sends another message.
    static void cancelAllPreviews();
    // Starts a preview of the file at `url` for `delegate`; its messages begin once control
    // returns to the event loop. The delegate is not retained.
    static std::shared_ptr<PWSVGPreview> svgPreviewWithSVGURL(const QUrl& url, PWSVGPreviewDelegate* delegate);
    // Removes the cached previews of the file at `url`, so that the next preview renders it.
    static void removeCachedSVGPreviewForURL(const QUrl& url);
    // The cache file a preview of the file at `url` would have now; empty without a cache
    // folder or for a file that does not exist.
    static QString cachedPreviewPathForURL(const QUrl& url);

    ~PWSVGPreview();

    QUrl url() const { return m_url; }
    // The preview, once svgPreviewImageAvailable was sent; null before and after a failure.
    QImage image() const { return m_image; }
    // Where the preview is cached; empty when it is not (no cache folder, or the write failed).
    QUrl cachedPreviewURL() const { return m_cachedURL; }
    // Whether the preview came from the cache rather than being rendered.
    bool wasCached() const { return m_wasCached; }
    // Stops the preview: no further message is sent.
    void cancel();
    bool isCancelled() const { return m_cancelled->load(); }

    // What the background work hands back (defined with it).
    struct Result;

private:
    PWSVGPreview(const QUrl& url, PWSVGPreviewDelegate* delegate);
    void start();
    void finish(const Result& result);
    // The delegate while it lives and the preview is not cancelled.
    PWSVGPreviewDelegate* liveDelegate() const;
    void end();

    QUrl m_url;
    PWSVGPreviewDelegate* m_delegate;
    std::weak_ptr<void> m_delegateAlive;
    QString m_cacheFolder;
    QImage m_image;
    QUrl m_cachedURL;
    bool m_wasCached = false;
    // Shared with the background work, which skips rendering once it is set.
    std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
};
