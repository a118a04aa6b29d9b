#include "browsers/RVAsynchronousImageLoader.h"
#include "browsers/RVImagePath.h"
#include "browsers/RVViewSourceController.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/browsers/BrowsersTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QImage>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

namespace {

using pf::Ref;
using namespace quillory::test;

class Host : public pf::Object, public RVImagePathHost {
public:
    bool itemVisibleInView(const RVImagePath&) const override { return visible; }
    bool visible = true;
};

class ImagePathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pf::UserDefaults::standard().removeObjectForKey("kRVMediaBrowserShowFileExtensions");
        QImage image(640, 480, QImage::Format_RGB32);
        image.fill(Qt::red);
        image.save(path("photo.jpg"), "JPEG");
        touch(path("broken.png"), "not a picture");
        QImage dot(1, 1, QImage::Format_RGB32);
        dot.fill(Qt::black);
        dot.save(path("dot.png"), "PNG");
        touch(path("star.svg"), "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='20'>"
                                "<rect width='40' height='20' fill='blue'/></svg>");
        touch(path("damaged.svg"), "<svg xmlns='http://www.w3.org/2000/svg'><rect width=");
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    Ref<RVImagePath> item(const QString& name)
    {
        return std::make_shared<RVImagePath>(QUrl::fromLocalFile(path(name)), host);
    }
    QTemporaryDir dir;
    Ref<Host> host = std::make_shared<Host>();
};

TEST_F(ImagePathTest, NamesAndSubtitles)
{
    Ref<RVImagePath> photo = item("photo.jpg");
    EXPECT_EQ(photo->imageTitle(), "photo");
    pf::UserDefaults::standard().setBool(true, "kRVMediaBrowserShowFileExtensions");
    EXPECT_EQ(photo->imageTitle(), "photo.jpg");
    EXPECT_EQ(photo->imageSubtitle(), "640 x 480");
    EXPECT_EQ(item("broken.png")->imageSubtitle(), "");
    EXPECT_EQ(item("dot.png")->imageSubtitle(), "1 x 1");
    EXPECT_EQ(photo->imageUID(), path("photo.jpg"));
    EXPECT_TRUE(photo->isEqual(item("photo.jpg").get()));
    EXPECT_EQ(photo->imageRepresentationType(), RVImagePath::RepresentationType::Path);
    EXPECT_EQ(item("star.svg")->imageRepresentationType(), RVImagePath::RepresentationType::ImageObject);
}

TEST_F(ImagePathTest, RasterThumbnailsAreMadeOnlyWhileVisible)
{
    Ref<RVImagePath> photo = item("photo.jpg");
    host->visible = false;
    EXPECT_TRUE(photo->image().isNull());
    EXPECT_FALSE(photo->isRequestInProgress());
    host->visible = true;
    const QImage thumbnail = photo->image();
    ASSERT_FALSE(thumbnail.isNull());
    EXPECT_EQ(thumbnail.size(), QSize(150, 112));
    EXPECT_TRUE(item("broken.png")->image().isNull());
}

TEST_F(ImagePathTest, ARefusedOrFailedPreviewLetsTheItemAskAgain)
{
    Ref<RVImagePath> star = item("star.svg");
    EXPECT_TRUE(star->image().isNull());
    EXPECT_TRUE(star->isRequestInProgress());
    host->visible = false; // scrolled away before the previewer started
    ASSERT_TRUE(waitUntil([&] { return !star->isRequestInProgress(); }));
    EXPECT_FALSE(star->hasImage());
    host->visible = true;
    star->image();
    ASSERT_TRUE(waitUntil([&] { return star->hasImage(); }));

    Ref<RVImagePath> damaged = item("damaged.svg");
    damaged->image();
    ASSERT_TRUE(waitUntil([&] { return damaged->previewFailed(); }));
    EXPECT_FALSE(damaged->isRequestInProgress());
    damaged->image();
    EXPECT_FALSE(damaged->isRequestInProgress()) << "a failed preview is not retried on every display";
    damaged->remakeThumbnail();
    EXPECT_FALSE(damaged->previewFailed());
}

TEST_F(ImagePathTest, TheLoaderHoldsItsItemWeakly)
{
    Ref<RVImagePath> photo = item("photo.jpg");
    RVAsynchronousImageLoader::fetchImageAtURL(photo->url(), photo);
    ASSERT_TRUE(waitUntil([&] { return photo->hasImage(); }));

    Ref<RVImagePath> gone = item("photo.jpg");
    auto loader = std::make_shared<RVAsynchronousImageLoader>(gone->url(), gone);
    gone.reset();
    EXPECT_FALSE(loader->delegate());
    loader->loadImage(); // hands the image to no one
    EXPECT_FALSE(loader->image().isNull());
    RVAsynchronousImageLoader::imageLoaderQueue().waitForDone();
}

TEST_F(ImagePathTest, SourceViewerShowsUTF8TextAndRefusesTheRest)
{
    RVViewSourceController viewer;
    ASSERT_TRUE(viewer.loadTextWithContentsOfURL(QUrl::fromLocalFile(path("star.svg"))));
    const QString shown = viewer.textView()->toPlainText();
    EXPECT_TRUE(shown.startsWith("<svg"));
    touch(path("latin1.svg"), QByteArray("<svg>\xe9\xff</svg>"));
    EXPECT_FALSE(viewer.loadTextWithContentsOfURL(QUrl::fromLocalFile(path("latin1.svg"))));
    EXPECT_EQ(viewer.textView()->toPlainText(), shown);
    QFile huge(path("huge.svg"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(RVViewSourceController::kMaximumFileBytes + 1)); // sparse
    huge.close();
    EXPECT_FALSE(viewer.loadTextWithContentsOfURL(QUrl::fromLocalFile(path("huge.svg"))));
    EXPECT_EQ(viewer.textView()->toPlainText(), shown);
    EXPECT_TRUE(viewer.loadTextWithContentsOfURL(QUrl()));
    EXPECT_TRUE(viewer.textView()->toPlainText().isEmpty());
}

} // namespace
