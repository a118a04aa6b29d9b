#include "frameworks/penwork/svg/PWSVGPreview.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

namespace {

using quillory::test::fixturePath;
using quillory::test::waitUntil;

// Records the messages in order, and the thread each came on.
class RecordingDelegate : public PWSVGPreviewDelegate {
public:
    bool shouldStart = true;
    // Cancels the preview as soon as it says it started, before any later message can arrive.
    bool cancelOnStart = false;
    QStringList messages;
    bool allOnMainThread = true;
    QImage image;
    QUrl cachedURL;

    bool svgPreviewShouldStart(PWSVGPreview& preview) override { return note("shouldStart"), shouldStart; }
    void svgPreviewDidStart(PWSVGPreview& preview) override
    {
        note("didStart");
        if (cancelOnStart)
            preview.cancel();
    }
    void svgPreviewDidEnd(PWSVGPreview& preview) override
    {
        note("didEnd");
        cachedURL = preview.cachedPreviewURL();
    }
    void svgPreviewImageAvailable(PWSVGPreview& preview) override
    {
        note("imageAvailable");
        image = preview.image();
    }
    void svgPreviewFailed(PWSVGPreview&) override { note("failed"); }
    bool ended() const { return messages.contains("didEnd"); }

private:
    void note(const char* message)
    {
        messages << message;
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            allOnMainThread = false;
    }
};

struct SVGPreviewFixture : ::testing::Test {
    QTemporaryDir dir;
    QString cache;
    QUrl file;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        cache = dir.filePath("SVG Thumbnails");
        PWSVGPreview::setSVGThumbnailsCacheFolder(cache);
        ASSERT_TRUE(QFile::copy(fixturePath("svg/shapes-transforms.svg"), dir.filePath("shapes.svg")));
        file = QUrl::fromLocalFile(dir.filePath("shapes.svg"));
    }
    void TearDown() override
    {
        PWSVGPreview::cancelAllPreviews();
        PWSVGPreview::setSVGThumbnailsCacheFolder(QString());
    }
};

TEST_F(SVGPreviewFixture, SVGPreviewRendersInTheBackgroundAndReportsOnTheMainThread)
{
    RecordingDelegate delegate;
    auto preview = PWSVGPreview::svgPreviewWithSVGURL(file, &delegate);
    // Nothing is said before the caller is back in the event loop.
    EXPECT_TRUE(delegate.messages.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return delegate.ended(); }));
    EXPECT_EQ(delegate.messages, (QStringList{"shouldStart", "didStart", "imageAvailable", "didEnd"}));
    EXPECT_TRUE(delegate.allOnMainThread);
    // 400 x 300 user units in a 200 x 150 document: the preview keeps its proportions.
    EXPECT_EQ(delegate.image.size(), QSize(PWSVGPreview::kMaxPreviewSide, PWSVGPreview::kMaxPreviewSide * 3 / 4));
    EXPECT_FALSE(preview->wasCached());
    ASSERT_TRUE(delegate.cachedURL.isLocalFile());
    EXPECT_EQ(QFileInfo(delegate.cachedURL.toLocalFile()).absolutePath(), QFileInfo(cache).absoluteFilePath());
    EXPECT_EQ(QImage(delegate.cachedURL.toLocalFile()).size(), delegate.image.size());
}

TEST_F(SVGPreviewFixture, SVGPreviewCacheIsReusedUntilTheFileChanges)
{
    RecordingDelegate first;
    PWSVGPreview::svgPreviewWithSVGURL(file, &first);
    ASSERT_TRUE(waitUntil([&] { return first.ended(); }));

    RecordingDelegate second;
    auto cached = PWSVGPreview::svgPreviewWithSVGURL(file, &second);
    ASSERT_TRUE(waitUntil([&] { return second.ended(); }));
    EXPECT_TRUE(cached->wasCached());
    EXPECT_EQ(second.cachedURL, first.cachedURL);

    // A changed file is rendered again, and its stale preview goes.
    QFile svg(file.toLocalFile());
    ASSERT_TRUE(svg.open(QIODevice::WriteOnly | QIODevice::Truncate));
    svg.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"20\"><rect width=\"10\" height=\"20\"/></svg>");
    svg.close();
    RecordingDelegate third;
    auto fresh = PWSVGPreview::svgPreviewWithSVGURL(file, &third);
    ASSERT_TRUE(waitUntil([&] { return third.ended(); }));
    EXPECT_FALSE(fresh->wasCached());
    EXPECT_EQ(third.image.size(), QSize(PWSVGPreview::kMaxPreviewSide / 2, PWSVGPreview::kMaxPreviewSide));
    EXPECT_NE(third.cachedURL, first.cachedURL);
    EXPECT_FALSE(QFile::exists(first.cachedURL.toLocalFile()));

    PWSVGPreview::removeCachedSVGPreviewForURL(file);
    EXPECT_FALSE(QFile::exists(third.cachedURL.toLocalFile()));
}

TEST_F(SVGPreviewFixture, SVGPreviewEmptyCacheLeavesOtherFiles)
{
    RecordingDelegate delegate;
    PWSVGPreview::svgPreviewWithSVGURL(file, &delegate);
    ASSERT_TRUE(waitUntil([&] { return delegate.ended(); }));
    QFile other(QDir(cache).filePath("notes.txt"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    PWSVGPreview::emptyCache();
    EXPECT_FALSE(QFile::exists(delegate.cachedURL.toLocalFile()));
    EXPECT_TRUE(QFile::exists(other.fileName()));
}

TEST_F(SVGPreviewFixture, SVGPreviewRefusedCancelledOrOrphanedSendsNothingMore)
{
    RecordingDelegate refusing;
    refusing.shouldStart = false;
    RecordingDelegate cancelled;
    RecordingDelegate sentinel;
    auto gone = std::make_unique<RecordingDelegate>();
    PWSVGPreview::svgPreviewWithSVGURL(file, &refusing);
    PWSVGPreview::svgPreviewWithSVGURL(file, &cancelled);
    PWSVGPreview::svgPreviewWithSVGURL(file, gone.get());
    // Cancelling before the start and destroying the delegate must both silence their previews.
    PWSVGPreview::cancelAllPreviews();
    gone.reset();
    PWSVGPreview::svgPreviewWithSVGURL(file, &sentinel);
    ASSERT_TRUE(waitUntil([&] { return sentinel.ended(); }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(refusing.messages.isEmpty());
    EXPECT_TRUE(cancelled.messages.isEmpty());

    RecordingDelegate declines;
    declines.shouldStart = false;
    PWSVGPreview::svgPreviewWithSVGURL(file, &declines);
    ASSERT_TRUE(waitUntil([&] { return !declines.messages.isEmpty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(declines.messages, QStringList{"shouldStart"});

    // Cancelled after it started: the rendering may finish, but nothing more is said.
    RecordingDelegate midway;
    midway.cancelOnStart = true;
    PWSVGPreview::svgPreviewWithSVGURL(file, &midway);
    ASSERT_TRUE(waitUntil([&] { return midway.messages.contains("didStart"); }));
    RecordingDelegate after;
    PWSVGPreview::svgPreviewWithSVGURL(file, &after);
    ASSERT_TRUE(waitUntil([&] { return after.ended(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(midway.messages, (QStringList{"shouldStart", "didStart"}));
}

TEST_F(SVGPreviewFixture, SVGPreviewFailsForFilesThatAreNotSVG)
{
    QFile bad(dir.filePath("bad.svg"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("this is not svg");
    bad.close();
    for (const QUrl& url : {QUrl::fromLocalFile(bad.fileName()), QUrl::fromLocalFile(dir.filePath("missing.svg")),
                            QUrl("https://example.com/a.svg")}) {
        RecordingDelegate delegate;
        auto preview = PWSVGPreview::svgPreviewWithSVGURL(url, &delegate);
        ASSERT_TRUE(waitUntil([&] { return delegate.ended(); })) << url.toString().toStdString();
        EXPECT_EQ(delegate.messages, (QStringList{"shouldStart", "didStart", "failed", "didEnd"}));
        EXPECT_TRUE(preview->image().isNull());
        EXPECT_TRUE(preview->cachedPreviewURL().isEmpty());
    }
}

} // namespace
