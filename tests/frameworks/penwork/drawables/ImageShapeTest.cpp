#include "frameworks/penwork/drawables/PWImageDataManager.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/tracing/ImageVectorizing.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "tests/frameworks/penwork/drawables/ShapesTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using shapestest::Container;

// 8 x 4 pixels: the left half red, the right half blue.
QByteArray fixturePng()
{
    QFile file(quillory::test::fixturePath(QStringLiteral("images/red-blue-8x4.png")));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

bool allPixels(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (QColor(image.pixel(x, y)) != colour)
                return false;
    return !image.isNull();
}

TEST(ShapesImage, ShapeTakesTheImagesSizeAndCentre)
{
    auto shape = PWImageShape::imageShapeWithImageData(fixturePng());
    EXPECT_EQ(shape->size(), QSizeF(8, 4));
    EXPECT_EQ(shape->location(), QPointF(4, 2));
    EXPECT_FALSE(shape->imageIsDamaged());
    EXPECT_EQ(shape->imageKey(), PWImageDataManager::keyForImageData(fixturePng()));
    EXPECT_EQ(shape->cropRect(), QRectF(0, 0, 8, 4));

    shape->setStyle(nullptr);
    const QImage drawn = shapestest::render(*shape, QSize(8, 4));
    EXPECT_EQ(QColor(drawn.pixel(1, 1)), QColor(Qt::red));
    EXPECT_EQ(QColor(drawn.pixel(6, 2)), QColor(Qt::blue));

    shape->setImageOpacity(0.0);
    EXPECT_EQ(shapestest::opaquePixels(shapestest::render(*shape, QSize(8, 4)), QRect(0, 0, 8, 4)), 0);
}

TEST(ShapesImage, DamagedDataShowsAClearImageAndIsKept)
{
    const QByteArray damaged = fixturePng().left(40);
    auto shape = PWImageShape::imageShapeWithImageData(damaged);
    EXPECT_TRUE(shape->imageIsDamaged());
    EXPECT_EQ(shape->imageData(), damaged);
    EXPECT_EQ(qAlpha(shape->image().pixel(0, 0)), 0);
    EXPECT_TRUE(shape->resampledAndCroppedImage().isNull());
    EXPECT_EQ(shape->tracedObject(), nullptr);
    shape->fitToImage();
    shape->cropImage();
    shapestest::render(*shape, QSize(4, 4));

    auto read = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWImageShape>(pf::KeyedArchiver::archivedData(shape));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->imageData(), damaged);
}

TEST(ShapesImage, PropertiesClampAndMapTheCompositingOperation)
{
    auto shape = PWImageShape::imageShapeWithImageData(fixturePng());
    struct Case {
        double set;
        double expected;
    };
    for (const Case c : {Case{0.4, 0.4}, Case{-1, 0}, Case{2, 1}, Case{std::nan(""), 1}}) {
        shape->setImageOpacity(1.0);
        shape->setValueForKey(c.set, "imageOpacity");
        EXPECT_DOUBLE_EQ(shape->imageOpacity(), c.expected) << c.set;
    }
    shape->setImageScale(0);
    shape->setImageScale(-2);
    EXPECT_EQ(shape->imageScale(), 1.0);
    shape->setCompositingOperation(99);
    EXPECT_EQ(shape->compositingOperation(), PWImageShape::kCompositeSourceOver);
    shape->setImagePresentationMode(1);
    EXPECT_EQ(shape->imagePresentationMode(), PWImageShape::kStretchPresentation);

    EXPECT_EQ(PWImageShape::compositionModeForOperation(2), QPainter::CompositionMode_SourceOver);
    EXPECT_EQ(PWImageShape::compositionModeForOperation(1), QPainter::CompositionMode_Source);
    EXPECT_EQ(PWImageShape::compositionModeForOperation(14), QPainter::CompositionMode_Multiply);
    EXPECT_EQ(PWImageShape::compositionModeForOperation(-3), QPainter::CompositionMode_SourceOver);
}

TEST(ShapesImage, CropPresentationShowsPartOfTheImageAndCropResamples)
{
    auto container = std::make_shared<Container>();
    auto shape = PWImageShape::imageShapeWithImageData(fixturePng());
    shape->setContainer(container.get());
    container->step([&] {
        shape->setImageScale(2.0);
        shape->setImagePresentationMode(PWImageShape::kCropPresentation);
        shape->setCropRect(QRectF(4, 0, 100, 100)); // clamped to the image
    });
    EXPECT_EQ(shape->cropRect(), QRectF(4, 0, 4, 4));
    // The 8 x 4 box at two points a pixel shows 4 x 2 pixels from the crop corner.
    EXPECT_EQ(shape->visibleImageRect(), QRectF(4, 0, 4, 2));
    QImage shown = shape->resampledAndCroppedImage();
    EXPECT_EQ(shown.size(), QSize(8, 4));
    EXPECT_TRUE(allPixels(shown, Qt::blue));

    container->step([&] { shape->fitToImage(); }); // all of the crop rectangle, at two points a pixel
    EXPECT_EQ(shape->size(), QSizeF(8, 8));

    const QByteArray original = shape->imageData();
    container->step([&] { shape->cropImage(); });
    EXPECT_EQ(shape->imagePresentationMode(), PWImageShape::kStretchPresentation);
    EXPECT_EQ(shape->image().size(), QSize(8, 8));
    EXPECT_TRUE(allPixels(shape->image(), Qt::blue));
    EXPECT_EQ(shape->size(), QSizeF(8, 8));
    EXPECT_NE(shape->imageData(), original);

    container->undo->undo();
    EXPECT_EQ(shape->imageData(), original);
    EXPECT_EQ(shape->cropRect(), QRectF(4, 0, 4, 4));
    EXPECT_EQ(shape->imagePresentationMode(), PWImageShape::kCropPresentation);
    EXPECT_EQ(shape->imageScale(), 2.0);
}

TEST(ShapesImage, SharedDataIsCountedInTheContainersManager)
{
    auto container = std::make_shared<Container>();
    auto first = PWImageShape::imageShapeWithImageData(fixturePng());
    auto second = PWImageShape::imageShapeWithImageData(fixturePng());
    first->setContainer(container.get());
    second->setContainer(container.get());
    const QString key = first->imageKey();
    EXPECT_EQ(container->images->count(), 1);
    EXPECT_EQ(container->images->useCountForKey(key), 2);

    second->setContainer(nullptr);
    EXPECT_EQ(container->images->useCountForKey(key), 1);
    first.reset();
    EXPECT_EQ(container->images->useCountForKey(key), 0);
    EXPECT_EQ(container->images->removeUnusedData(), 1);

    // New data moves the count to the new key.
    second->setContainer(container.get());
    container->step([&] {
        second->setImageData(PWImageShape::imageShapeWithImage(QImage(2, 2, QImage::Format_RGB32))->imageData());
    });
    EXPECT_EQ(container->images->useCountForKey(key), 0);
    EXPECT_EQ(container->images->useCountForKey(second->imageKey()), 1);
}

TEST(ShapesImage, ArchivesKeepTheImageAndItsPresentation)
{
    auto shape = PWImageShape::imageShapeWithImageData(fixturePng());
    shape->setImageOpacity(0.5);
    shape->setImageScale(3);
    shape->setImageDrawsOnTop(true);
    shape->setCompositingOperation(14);
    shape->setImagePresentationMode(PWImageShape::kCropPresentation);
    shape->setCropRect(QRectF(1, 1, 3, 2));
    pf::Error error;
    auto read = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWImageShape>(
        pf::KeyedArchiver::archivedData(shape, pf::PropertyListFormat::Binary, &error), &error);
    ASSERT_TRUE(read) << error.description().toStdString();
    EXPECT_EQ(read->imageData(), fixturePng());
    EXPECT_EQ(read->image().size(), QSize(8, 4));
    EXPECT_EQ(read->imageOpacity(), 0.5);
    EXPECT_EQ(read->imageScale(), 3.0);
    EXPECT_TRUE(read->imageDrawsOnTop());
    EXPECT_EQ(read->compositingOperation(), 14);
    EXPECT_EQ(read->imagePresentationMode(), PWImageShape::kCropPresentation);
    EXPECT_EQ(read->cropRect(), QRectF(1, 1, 3, 2));
}

TEST(ShapesImage, TracingGivesFilledPathsWhereTheImageIs)
{
    auto shape = PWImageShape::imageShapeWithImageData(fixturePng());
    shape->moveBy(100, 50);
    const QVariantMap saved = PWImageShape::tracingParameters();
    QVariantMap parameters = saved;
    parameters.insert(pw::kPWTracingParam_colourmode, 0);
    parameters.insert(pw::kPWTracingParam_levels, 1);
    parameters.insert(pw::kPWTracingParam_turdsize, 0);
    PWImageShape::staticClass().performClassMethod("setTracingParameters:", {parameters});
    EXPECT_EQ(PWImageShape::tracingParameters().value(pw::kPWTracingParam_levels), 1);

    auto traced = std::dynamic_pointer_cast<PWShapeGroup>(shape->tracedObject());
    PWImageShape::setTracingParameters(saved);
    ASSERT_TRUE(traced);
    EXPECT_EQ(traced->countOfMembers(), 2); // red and blue
    const QRectF area = traced->logicalBounds();
    EXPECT_NEAR(area.left(), 100, 0.5);
    EXPECT_NEAR(area.top(), 50, 0.5);
    EXPECT_NEAR(area.width(), 8, 0.5);
    EXPECT_NEAR(area.height(), 4, 0.5);
}

} // namespace
