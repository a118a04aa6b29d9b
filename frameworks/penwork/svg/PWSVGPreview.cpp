#include "frameworks/penwork/svg/PWSVGPreview.h"

#include "platform/foundation/OperationQueue.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QThreadPool>

#include <algorithm>
#include <vector>

struct PWSVGPreview::Result {
    bool ok = false;
    QImage image;
    QString cachePath;
    bool fromCache = false;
};

namespace {

QMutex& folderMutex()
{
    static QMutex mutex;
    return mutex;
}

QString& folderSetting()
{
    static QString folder;
    return folder;
}

// Previews that have not ended; the framework holds them so that callers need not. Touched on
// the main thread only.
std::vector<std::shared_ptr<PWSVGPreview>>& activePreviews()
{
    static std::vector<std::shared_ptr<PWSVGPreview>> previews;
    return previews;
}

QThreadPool& renderPool()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(std::max(1, std::min(2, QThread::idealThreadCount())));
        pf::finishBeforeExit(*p);
        return p;
    }();
    return *pool;
}

const QRegularExpression& cacheFileNamePattern()
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9a-f]{40}-[0-9a-f]{16}\\.png$"));
    return pattern;
}

QString pathPrefix(const QString& absolutePath)
{
    return QString::fromLatin1(QCryptographicHash::hash(absolutePath.toUtf8(), QCryptographicHash::Sha1).toHex())
        + u'-';
}

// <hash of the path>-<hash of path, size and modification time>.png: a changed file gets a new
// name, and all the names of one file share their start so that they can be removed together.
QString cacheFilePath(const QString& folder, const QFileInfo& file)
{
    if (folder.isEmpty() || !file.isFile())
        return {};
    const QString path = file.absoluteFilePath();
    const QByteArray state = path.toUtf8() + '\n' + QByteArray::number(file.size()) + '\n'
        + QByteArray::number(file.lastModified().toMSecsSinceEpoch());
    const QString stateHash =
        QString::fromLatin1(QCryptographicHash::hash(state, QCryptographicHash::Sha1).toHex().left(16));
    return QDir(folder).filePath(pathPrefix(path) + stateHash + QStringLiteral(".png"));
}

void removeCacheFiles(const QString& folder, const QString& prefix, const QString& except = {})
{
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files)) {
        if (!cacheFileNamePattern().match(name).hasMatch() || !name.startsWith(prefix))
            continue;
        const QString path = dir.filePath(name);
        if (path != except)
            QFile::remove(path);
    }
}

QSize previewSize(const QSizeF& natural)
{
    const int side = PWSVGPreview::kMaxPreviewSide;
    if (!(natural.width() > 0.0) || !(natural.height() > 0.0) || !std::isfinite(natural.width())
        || !std::isfinite(natural.height()))
        return QSize(side, side);
    const double scale = side / std::max(natural.width(), natural.height());
    return QSize(std::clamp(int(std::lround(natural.width() * scale)), 1, side),
                 std::clamp(int(std::lround(natural.height() * scale)), 1, side));
}

// Runs on a pool thread: the cached preview when it is current, else a new rendering, written
// to the cache.
PWSVGPreview::Result renderPreview(const QString& path, const QString& folder,
                                   const std::shared_ptr<std::atomic<bool>>& cancelled)
{
    PWSVGPreview::Result result;
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > PWSVGPreview::kMaxFileBytes)
        return result;
    const QString cachePath = cacheFilePath(folder, info);
    if (!cachePath.isEmpty() && QFileInfo::exists(cachePath)) {
        const QImage cached(cachePath, "PNG");
        if (!cached.isNull()) {
            result.ok = true;
            result.image = cached;
            result.cachePath = cachePath;
            result.fromCache = true;
            return result;
        }
    }
    if (cancelled->load())
        return result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    const QByteArray data = file.read(PWSVGPreview::kMaxFileBytes + 1);
    if (data.size() > PWSVGPreview::kMaxFileBytes)
        return result;
    QSvgRenderer renderer(data);
    if (!renderer.isValid())
        return result;
    QSizeF natural = renderer.defaultSize();
    if (natural.isEmpty())
        natural = renderer.viewBoxF().size();
    QImage image(previewSize(natural), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return result;
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        renderer.render(&painter);
    }
    result.ok = true;
    result.image = image;
    if (!cachePath.isEmpty() && !cancelled->load() && QDir().mkpath(folder)) {
        QSaveFile out(cachePath);
        if (out.open(QIODevice::WriteOnly) && image.save(&out, "PNG") && out.commit()) {
            result.cachePath = cachePath;
            // Older previews of the same file are stale now.
            removeCacheFiles(folder, pathPrefix(info.absoluteFilePath()), cachePath);
        }
    }
    return result;
}

void postToMainThread(std::function<void()> work)
{
    // Nobody is left to hand a result to once the application object has gone.
    if (auto* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(application, std::move(work), Qt::QueuedConnection);
}

} // namespace

void PWSVGPreview::setSVGThumbnailsCacheFolder(const QString& path)
{
    QMutexLocker lock(&folderMutex());
    folderSetting() = path;
}

QString PWSVGPreview::svgThumbnailsCacheFolder()
{
    QMutexLocker lock(&folderMutex());
    return folderSetting();
}

void PWSVGPreview::emptyCache() { removeCacheFiles(svgThumbnailsCacheFolder(), QString()); }

void PWSVGPreview::cancelAllPreviews()
{
    const auto previews = activePreviews();
    for (const auto& preview : previews)
        preview->cancel();
}

std::shared_ptr<PWSVGPreview> PWSVGPreview::svgPreviewWithSVGURL(const QUrl& url, PWSVGPreviewDelegate* delegate)
{
    std::shared_ptr<PWSVGPreview> preview(new PWSVGPreview(url, delegate));
    activePreviews().push_back(preview);
    std::weak_ptr<PWSVGPreview> weak = preview;
    postToMainThread([weak] {
        if (auto self = weak.lock())
            self->start();
    });
    return preview;
}

void PWSVGPreview::removeCachedSVGPreviewForURL(const QUrl& url)
{
    if (!url.isLocalFile())
        return;
    removeCacheFiles(svgThumbnailsCacheFolder(), pathPrefix(QFileInfo(url.toLocalFile()).absoluteFilePath()));
}

QString PWSVGPreview::cachedPreviewPathForURL(const QUrl& url)
{
    if (!url.isLocalFile())
        return {};
    return cacheFilePath(svgThumbnailsCacheFolder(), QFileInfo(url.toLocalFile()));
}

PWSVGPreview::PWSVGPreview(const QUrl& url, PWSVGPreviewDelegate* delegate)
    : m_url(url)
    , m_delegate(delegate)
    , m_delegateAlive(delegate ? delegate->svgPreviewDelegateLiveness() : std::weak_ptr<void>())
    , m_cacheFolder(svgThumbnailsCacheFolder())
{
}

PWSVGPreview::~PWSVGPreview() { m_cancelled->store(true); }

PWSVGPreviewDelegate* PWSVGPreview::liveDelegate() const
{
    if (m_cancelled->load() || !m_delegate || m_delegateAlive.expired())
        return nullptr;
    return m_delegate;
}

void PWSVGPreview::cancel()
{
    m_cancelled->store(true);
    end();
}

void PWSVGPreview::end()
{
    auto& previews = activePreviews();
    previews.erase(std::remove_if(previews.begin(), previews.end(),
                                  [this](const std::shared_ptr<PWSVGPreview>& p) { return p.get() == this; }),
                   previews.end());
}

void PWSVGPreview::start()
{
    const auto self = shared_from_this(); // the delegate may drop its last hold on us
    PWSVGPreviewDelegate* delegate = liveDelegate();
    if (!delegate || !delegate->svgPreviewShouldStart(*this)) {
        end();
        return;
    }
    if (PWSVGPreviewDelegate* d = liveDelegate())
        d->svgPreviewDidStart(*this);
    if (!liveDelegate()) {
        end();
        return;
    }
    if (!m_url.isLocalFile()) {
        finish(Result());
        return;
    }
    std::weak_ptr<PWSVGPreview> weak = self;
    const QString path = m_url.toLocalFile();
    const QString folder = m_cacheFolder;
    const auto cancelled = m_cancelled;
    renderPool().start([weak, path, folder, cancelled] {
        if (cancelled->load())
            return;
        const Result result = renderPreview(path, folder, cancelled);
        postToMainThread([weak, result] {
            if (auto preview = weak.lock())
                preview->finish(result);
        });
    });
}

void PWSVGPreview::finish(const Result& result)
{
    const auto self = shared_from_this();
    if (m_cancelled->load())
        return;
    if (result.ok) {
        m_image = result.image;
        m_wasCached = result.fromCache;
        m_cachedURL = result.cachePath.isEmpty() ? QUrl() : QUrl::fromLocalFile(result.cachePath);
    }
    if (PWSVGPreviewDelegate* d = liveDelegate()) {
        if (result.ok)
            d->svgPreviewImageAvailable(*this);
        else
            d->svgPreviewFailed(*this);
    }
    if (PWSVGPreviewDelegate* d = liveDelegate())
        d->svgPreviewDidEnd(*this);
    end();
}
