#include "DocumentTestSupport.h"

#include "app/CVLVectorizingOptionsController.h"
#include "app/CVLVectorizingPreviewView.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/tracing/ImageVectorizing.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QRegularExpression>

namespace {

using namespace quillory::test;
using pf::Ref;

// Two black squares on white: something to trace.
QImage squares(int width = 64, int height = 64)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.fillRect(QRect(8, 8, 16, 16), Qt::black);
    painter.fillRect(QRect(36, 30, 20, 20), Qt::black);
    return image;
}

struct LinkedPreviews {
    LinkedPreviews()
    {
        original.setFrameSize(QSizeF(200, 200));
        traced.setFrameSize(QSizeF(200, 200));
        original.setLinkedView(&traced);
        traced.setLinkedView(&original);
    }
    CVLVectorizingPreviewView original;
    CVLVectorizingPreviewView traced;
};

TEST(VectorizingPreviewTest, ZoomStaysInARangeThatIsNeverEmpty)
{
    const struct {
        QImage image;
        double asked;
        double zoom;
    } cases[] = {
        {QImage(), 5.0, 5.0},                                  // no image: actual size is the floor
        {QImage(), 0.5, 1.0},
        {QImage(400, 400, QImage::Format_ARGB32), 0.1, 0.5},   // never smaller than the view
        {QImage(400, 400, QImage::Format_ARGB32), 30.0, 10.0}, // nor larger than 10
        {QImage(400, 100, QImage::Format_ARGB32), 1.0, 2.0},   // the taller side decides
        {QImage(1, 1, QImage::Format_ARGB32), 1.0, 10.0},      // a tiny image: least and most meet
    };
    for (const auto& c : cases) {
        CVLVectorizingPreviewView view;
        view.setFrameSize(QSizeF(200, 200));
        view.setSourceImage(c.image);
        EXPECT_LE(view.minImageScale(), view.maxImageScale());
        view.setImageScale(c.asked);
        EXPECT_DOUBLE_EQ(view.imageScale(), c.zoom) << c.image.width() << "x" << c.image.height() << " asked " << c.asked;
    }
}

TEST(VectorizingPreviewTest, ANewImageResetsZoomThroughTheClamp)
{
    CVLVectorizingPreviewView view;
    view.setFrameSize(QSizeF(200, 200));
    view.setSourceImage(QImage(400, 400, QImage::Format_ARGB32));
    view.setImageScale(3);
    view.setImageOffset(QPointF(50, 50));
    view.setSourceImage(QImage(50, 50, QImage::Format_ARGB32));
    EXPECT_DOUBLE_EQ(view.imageScale(), 4.0) << "1 would leave the view partly empty";
    EXPECT_EQ(view.imageOffset(), QPointF(0, 0));

    CVLVectorizingPreviewView empty;
    empty.setFrameSize(QSizeF(200, 200));
    empty.setSourceImage(QImage(0, 0, QImage::Format_ARGB32));
    EXPECT_DOUBLE_EQ(empty.imageScale(), 1.0);
}

TEST(VectorizingPreviewTest, SliderSnapsNearActualSizeAndDrivesBothViews)
{
    LinkedPreviews views;
    views.original.setSourceImage(QImage(400, 400, QImage::Format_ARGB32));
    for (const auto& [slider, zoom] : std::vector<std::pair<double, double>>{{1.05, 1.0}, {0.9, 1.0}, {1.1, 1.0}, {1.2, 1.2}, {0.8, 0.8}}) {
        views.original.scaleAction(slider);
        EXPECT_DOUBLE_EQ(views.original.imageScale(), zoom) << slider;
        EXPECT_DOUBLE_EQ(views.traced.imageScale(), zoom) << slider;
    }
}

TEST(VectorizingPreviewTest, OffsetIsKeptOnTheZoomedImageAndPanningMovesBoth)
{
    LinkedPreviews views;
    views.original.setSourceImage(QImage(400, 300, QImage::Format_ARGB32));
    views.original.setImageOffset(QPointF(-5, 500));
    EXPECT_EQ(views.original.imageOffset(), QPointF(0, 100));
    views.original.setImageScale(2);
    views.original.setImageOffset(QPointF(1000, 1000));
    EXPECT_EQ(views.original.imageOffset(), QPointF(600, 400));
    views.original.setImageScale(1);
    EXPECT_EQ(views.original.imageOffset(), QPointF(200, 100)) << "clamped again for the new zoom";

    // The traced view has no image of its own: it measures on the linked one's.
    views.traced.setImageScale(1);
    views.traced.panBy(QPointF(-30, -20));
    EXPECT_EQ(views.traced.imageOffset(), QPointF(0, 0));
    views.traced.panBy(QPointF(30, 20));
    EXPECT_EQ(views.traced.imageOffset(), QPointF(30, 20));
    EXPECT_EQ(views.original.imageOffset(), QPointF(30, 20));
}

TEST(VectorizingPreviewTest, ScrollWheelZoomsBothAndIgnoresAZeroDelta)
{
    LinkedPreviews views;
    views.original.setSourceImage(QImage(400, 400, QImage::Format_ARGB32));
    views.original.setImageScale(2);
    views.traced.setImageScale(2);
    views.original.zoomByWheelDelta(0);
    EXPECT_DOUBLE_EQ(views.original.imageScale(), 2.0);
    views.original.zoomByWheelDelta(1);
    EXPECT_DOUBLE_EQ(views.original.imageScale(), 1.8);
    EXPECT_DOUBLE_EQ(views.traced.imageScale(), 1.8);
    views.original.zoomByWheelDelta(-3);
    EXPECT_DOUBLE_EQ(views.original.imageScale(), 1.8 * 1.1);
}

class RecordingVectorizingDelegate : public CVLVectorizingDelegate {
public:
    QImage vectorizingSourceImage() override { return image; }
    QVariantMap vectorizingOptions() override { return options; }
    void vectorizeWithOptions(const QVariantMap& chosen) override { vectorized.append(chosen); }
    QImage image;
    QVariantMap options;
    QList<QVariantMap> vectorized;
};

TEST(VectorizingOptionsTest, ControlsFollowTheParametersAndEditsStayInTheRun)
{
    auto controller = std::make_shared<CVLVectorizingOptionsController>();
    RecordingVectorizingDelegate delegate;
    delegate.image = squares();
    delegate.options = pw::defaultTracingParameters();
    delegate.options.insert(pw::kPWTracingParam_colourmode, 0);
    delegate.options.insert(pw::kPWTracingParam_levels, 3);
    controller->runModalVectorizingDialogForWindow(nullptr, &delegate);
    EXPECT_EQ(controller->levelsLabel()->text(), "8");
    EXPECT_TRUE(controller->colourButton()->isChecked());
    EXPECT_FALSE(controller->vectorImageView()->vectors().isEmpty());

    controller->colorGrayscaleAction(1);
    controller->levelsAction(1);
    controller->cancelAction({});
    EXPECT_TRUE(delegate.vectorized.isEmpty());

    // A new run starts again from the delegate's parameters.
    controller->runModalVectorizingDialogForWindow(nullptr, &delegate);
    EXPECT_EQ(controller->options().value(pw::kPWTracingParam_levels).toInt(), 3);
    EXPECT_TRUE(controller->colourButton()->isChecked());
    controller->colorGrayscaleAction(1);
    controller->turdSizeAction(4.4);
    controller->alphaMaxAction(0.5);
    controller->optimizeCurvesAction(false);
    controller->vectorizeAction({});
    ASSERT_EQ(delegate.vectorized.size(), 1);
    const QVariantMap chosen = delegate.vectorized.first();
    EXPECT_EQ(chosen.value(pw::kPWTracingParam_colourmode).toInt(), 1);
    EXPECT_EQ(chosen.value(pw::kPWTracingParam_turdsize), QVariant(4));
    EXPECT_DOUBLE_EQ(chosen.value(pw::kPWTracingParam_alphamax).toDouble(), 0.5);
    EXPECT_FALSE(chosen.value(pw::kPWTracingParam_opticurve).toBool());
    EXPECT_EQ(chosen.value(pw::kPWTracingParam_levels).toInt(), 3);
}

// The sheet is worded in the British English of the rest of the program, not half American.
TEST(VectorizingOptionsTest, TheSheetIsWordedInOneSpelling)
{
    auto controller = std::make_shared<CVLVectorizingOptionsController>();
    QWidget* window = controller->window();
    ASSERT_TRUE(window);
    QStringList words{window->windowTitle()};
    for (auto* button : window->findChildren<QAbstractButton*>())
        words.append(button->text());
    for (auto* label : window->findChildren<QLabel*>())
        words.append(label->text());
    EXPECT_TRUE(words.contains(QStringLiteral("Optimise curves"))) << qPrintable(words.join(u'|'));
    for (const QString& text : words)
        EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("i[zZ](e|ation)")))) << qPrintable(text);
}

TEST(VectorizingOptionsTest, ABurstOfChangesTracesThePreviewOnce)
{
    auto controller = std::make_shared<CVLVectorizingOptionsController>();
    RecordingVectorizingDelegate delegate;
    delegate.image = squares();
    delegate.options = pw::defaultTracingParameters();
    controller->runModalVectorizingDialogForWindow(nullptr, &delegate);
    const int before = controller->vectorImageUpdateCount();
    for (int levels : {1, 2, 3, 4, 2})
        controller->levelsAction(levels);
    EXPECT_EQ(controller->levelsLabel()->text(), "4") << "labels follow at once";
    EXPECT_EQ(controller->vectorImageUpdateCount(), before);
    EXPECT_TRUE(waitUntil([&] { return !controller->isVectorImageUpdatePending(); }));
    EXPECT_EQ(controller->vectorImageUpdateCount(), before + 1);
    ASSERT_FALSE(controller->vectorImageView()->vectors().isEmpty());
    EXPECT_EQ(controller->vectorImageView()->vectors().first()->tracingParameters().value(pw::kPWTracingParam_levels).toInt(), 2);
    controller->cancelAction({});
}

TEST(VectorizingOptionsTest, NoImageTracesNothing)
{
    auto controller = std::make_shared<CVLVectorizingOptionsController>();
    RecordingVectorizingDelegate delegate;
    delegate.image = QImage(0, 0, QImage::Format_ARGB32);
    controller->runModalVectorizingDialogForWindow(nullptr, &delegate);
    EXPECT_TRUE(controller->vectorImageView()->vectors().isEmpty());
    EXPECT_EQ(controller->vectorImageUpdateCount(), 0);
    EXPECT_DOUBLE_EQ(controller->originalImageView()->imageScale(), 1.0);
    controller->cancelAction({});
}

class DocumentVectorizingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        documentController();
        saved = PWImageShape::tracingParameters();
        document = newDocument();
        ASSERT_TRUE(document);
        layer = document->activeObjectLayer();
        ASSERT_TRUE(layer);
    }
    void TearDown() override
    {
        PWImageShape::setTracingParameters(saved);
        closeDocument(document);
    }
    QVariantMap saved;
    Ref<RVCartavelDocument> document;
    Ref<PWObjectDrawingLayer> layer;
};

TEST_F(DocumentVectorizingTest, TheChosenParametersTraceTheSelectedImage)
{
    Ref<PWImageShape> shape = PWImageShape::imageShapeWithImage(squares());
    layer->addObject(shape);
    layer->exchangeSelectionWithObjectsFromArray({shape});
    EXPECT_FALSE(document->vectorizingSourceImage().isNull());

    QVariantMap options = document->vectorizingOptions();
    options.insert(pw::kPWTracingParam_colourmode, 1);
    options.insert(pw::kPWTracingParam_levels, 1);
    document->vectorizeWithOptions(options);
    EXPECT_EQ(PWImageShape::tracingParameters().value(pw::kPWTracingParam_levels).toInt(), 1);
    ASSERT_EQ(layer->objects().size(), 1u);
    EXPECT_FALSE(std::dynamic_pointer_cast<PWImageShape>(layer->objects().front())) << "the image was replaced";
    EXPECT_EQ(document->undoManager()->undoActionName(), "Vectorize");
}

TEST_F(DocumentVectorizingTest, WithoutASingleSelectedImageNothingChanges)
{
    Ref<PWImageShape> shape = PWImageShape::imageShapeWithImage(squares());
    layer->addObject(shape);
    layer->addObject(PWImageShape::imageShapeWithImage(squares()));
    layer->exchangeSelectionWithObjectsFromArray(PWObjectOwnerLayer::ObjectList(layer->objects().begin(), layer->objects().end()));
    EXPECT_TRUE(document->vectorizingSourceImage().isNull());
    QVariantMap options = document->vectorizingOptions();
    options.insert(pw::kPWTracingParam_levels, 5);
    document->vectorizeWithOptions(options);
    EXPECT_EQ(layer->objects().size(), 2u);
    EXPECT_NE(PWImageShape::tracingParameters().value(pw::kPWTracingParam_levels).toInt(), 5);
}

} // namespace
