#include "SlicesTestSupport.h"

#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/TextMeasurement.h"
#include "platform/ui/Pasteboard.h"

#include <QImage>
#include <QRegularExpression>

#include <gtest/gtest.h>

using slices_test::SlicesFixture;

TEST(Slice, HitTestPartsAndSnappingPoints)
{
    PWXSlice slice;
    slice.setBounds(QRectF(10, 20, 100, 50));
    struct Case {
        QPointF point;
        int part;
    };
    const Case cases[] = {
        {QPointF(50, 40), PWXSlice::kBodyPart},
        {QPointF(9, 19), PWXSlice::kBodyPart},   // one point outside still hits
        {QPointF(8.5, 40), PWXSlice::kNoPart},
        {QPointF(108, 68), PWXSlice::kResizePart}, // in the 4 x 4 square at (maxX, maxY)
        {QPointF(105, 65), PWXSlice::kBodyPart},
    };
    for (const Case& c : cases)
        EXPECT_EQ(slice.hitTest(c.point), c.part) << c.point.x() << "," << c.point.y();
    EXPECT_EQ(slice.resizeRect(), QRectF(106, 66, 4, 4));
    EXPECT_EQ(slice.extent(), QRectF(-6, 4, 132, 82));

    EXPECT_EQ(slice.snappingPointsWithOffset(QSizeF(1, 2)),
              (QList<QPointF>{{11, 22}, {111, 22}, {61, 22}, {61, 72}, {11, 72}, {111, 72}, {111, 47}, {11, 47}}));
    EXPECT_EQ(slice.dimensionPointsForMode(PWDimensionGuide::kSizeMode, true, {}),
              qMakePair(QPointF(10, 70), QPointF(10, 20)));
    EXPECT_EQ(slice.dimensionPointsForMode(PWDimensionGuide::kSizeMode, false, {}),
              qMakePair(QPointF(10, 20), QPointF(110, 20)));

    slice.setVisible(false);
    EXPECT_EQ(slice.hitTest(QPointF(50, 40)), PWXSlice::kNoPart);
}

TEST(Slice, BoundsChangesNotifyThroughTheLayerAndDerivedKeysFollow)
{
    SlicesFixture f;
    auto slice = f.addSlice(QRectF(0, 0, 10, 10));
    NotificationRecorder recorder(f.layer.get());
    slice->setWidth(30);
    slice->setYLocation(5);
    EXPECT_EQ(slice->bounds(), QRectF(0, 5, 30, 10));
    EXPECT_EQ(recorder.names, (QStringList{kVNQLSlicesLayerSliceBoundsWillChange, kVNQLSlicesLayerSliceBoundsDidChange,
                                           kVNQLSlicesLayerSliceBoundsWillChange, kVNQLSlicesLayerSliceBoundsDidChange}));
    EXPECT_EQ(pf::objectCast<PWXSlice>(recorder.infos.first().value(kVNQLSliceKey)), slice);

    recorder.clear();
    slice->setBounds(QRectF(0, 5, 30, 10));
    slice->setBounds(QRectF(qQNaN(), 0, 1, 1));
    EXPECT_TRUE(recorder.names.isEmpty());
    EXPECT_EQ(slice->size(), "30 x 10 px");
    EXPECT_EQ(slice->valueForKey("width").toDouble(), 30.0);
}

TEST(Slice, NameCountsFromOneAndTitleTabFitsTheSlice)
{
    SlicesFixture f;
    f.addSlice(QRectF(0, 0, 10, 10));
    f.addSlice(QRectF(0, 0, 10, 10));
    auto third = f.addSlice(QRectF(20, 40, 300, 100));
    EXPECT_EQ(third->name(), "Slice 3");

    // A short title: the tab sits on the top edge, eight points wider than its text.
    const QSizeF text = pf::TextMeasurement::singleLine(third->name(), PWXSlice::titleFont()).size;
    PWXSlice::TitleTab tab = third->titleTab();
    EXPECT_DOUBLE_EQ(tab.rect.width(), text.width() + 8.0);
    EXPECT_DOUBLE_EQ(tab.rect.bottom(), 40.0);
    EXPECT_DOUBLE_EQ(tab.rect.left(), 19.5);
    EXPECT_EQ(tab.text, "Slice 3");

    // A long title is cut at its head inside a tab no wider than the slice plus a point.
    third->setTitle(QStringLiteral("A very long title that cannot possibly fit into so narrow a slice"));
    third->setWidth(60);
    tab = third->titleTab();
    EXPECT_DOUBLE_EQ(tab.rect.width(), 61.0);
    EXPECT_TRUE(tab.text.endsWith("slice 3")) << tab.text.toStdString();
    EXPECT_LT(tab.text.size(), third->name().size());
}

TEST(Slice, SizeLabelsShowOnlyWhenTheSideIsLongEnough)
{
    PWXSlice slice;
    slice.setBounds(QRectF(0, 0, 200, 200));
    const QRectF widthLabel = slice.widthLabelRect();
    ASSERT_FALSE(widthLabel.isNull());
    EXPECT_DOUBLE_EQ(widthLabel.center().x(), 100.0);
    EXPECT_DOUBLE_EQ(widthLabel.top(), 200.0);
    const QRectF heightLabel = slice.heightLabelRect();
    ASSERT_FALSE(heightLabel.isNull());
    EXPECT_DOUBLE_EQ(heightLabel.right(), 0.0);
    EXPECT_DOUBLE_EQ(heightLabel.center().y(), 100.0);

    const double labelWidth = pf::TextMeasurement::singleLine(QStringLiteral("8 pt"), PWXSlice::dimensionsFont()).size.width();
    ASSERT_GT(labelWidth, 8.0);
    slice.setBounds(QRectF(0, 0, 8, 8));
    EXPECT_TRUE(slice.widthLabelRect().isNull());
    EXPECT_TRUE(slice.heightLabelRect().isNull());
}

TEST(Slice, ArchiveKeepsVisibilityButNotTheIdentifier)
{
    auto slice = std::make_shared<PWXSlice>();
    slice->setBounds(QRectF(1, 2, 3, 4));
    slice->setTitle(QStringLiteral("Inset"));
    slice->setColour(QColor(10, 20, 30));
    slice->setVisible(false);
    slice->setShowsTitle(false);
    slice->setIdentifier(QStringLiteral("abc"));

    pf::Error error;
    const QByteArray data = slice->archivedData(&error);
    ASSERT_FALSE(data.isEmpty());
    auto read = PWXSlice::sliceFromArchivedData(data, &error);
    ASSERT_TRUE(read) << error.description().toStdString();
    EXPECT_EQ(read->bounds(), QRectF(1, 2, 3, 4));
    EXPECT_EQ(read->title(), "Inset");
    EXPECT_EQ(read->colour(), QColor(10, 20, 30));
    EXPECT_FALSE(read->isVisible());
    EXPECT_FALSE(read->showsTitle());
    EXPECT_TRUE(read->showsDimensions());
    EXPECT_TRUE(read->identifier().isEmpty());
    EXPECT_EQ(read->slicesLayer(), nullptr);

    for (const QByteArray& damaged : {QByteArray(), QByteArray("not an archive"), data.left(data.size() / 2)}) {
        pf::Error failure;
        EXPECT_EQ(PWXSlice::sliceFromArchivedData(damaged, &failure), nullptr);
        EXPECT_FALSE(failure.isNull());
    }
}

TEST(Slice, PasteboardFormsAndReading)
{
    SlicesFixture f;
    auto slice = f.addSlice(QRectF(0, 0, 40, 30), QStringLiteral("Pasted"));
    auto pasteboard = pf::Pasteboard::withName(QStringLiteral("slice-test"));
    EXPECT_EQ(slice->writableTypesForPasteboard(*pasteboard),
              (QStringList{pf::NSPasteboardTypePDF, PWXSlice::privatePasteboardType()}));
    EXPECT_TRUE(PWXSlice::privatePasteboardType().endsWith("private.slice"));
    EXPECT_TRUE(std::make_shared<PWXSlice>()->writableTypesForPasteboard(*pasteboard)
                == QStringList{PWXSlice::privatePasteboardType()});

    // Data put there by another process: read back through the registered reader.
    pasteboard->clearContents();
    pasteboard->setData(slice->archivedData(), PWXSlice::privatePasteboardType());
    const QList<pf::Ref<pf::Object>> objects = pasteboard->readObjectsForClasses({&PWXSlice::staticClass()});
    ASSERT_EQ(objects.size(), 1);
    auto read = std::dynamic_pointer_cast<PWXSlice>(objects.first());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->title(), "Pasted");
    EXPECT_EQ(read->bounds(), QRectF(0, 0, 40, 30));

    PWXSlice reader;
    EXPECT_FALSE(reader.initWithPasteboardPropertyList(QVariant(slice->archivedData()), pf::NSPasteboardTypePDF));
    EXPECT_FALSE(reader.initWithPasteboardPropertyList(QVariant(QByteArray("junk")), PWXSlice::privatePasteboardType()));

    pasteboard->clearContents();
    pasteboard->setData(QByteArray("junk"), PWXSlice::privatePasteboardType());
    EXPECT_TRUE(PWXSlice::slicesFromPasteboard(*pasteboard).isEmpty());
    f.layer->pasteFromPasteboard(*pasteboard);
    EXPECT_EQ(f.layer->countOfSlices(), 1);
}

TEST(Slice, OutputRendersTheSliceRectangleAtTheAskedSize)
{
    SlicesFixture f;
    auto objects = std::make_shared<PWObjectDrawingLayer>();
    f.drawing->addLayer(objects);
    objects->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 500, 500), nullptr));
    auto slice = f.addSlice(QRectF(100, 100, 100, 50));

    const QByteArray pdf = slice->pdfData();
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    const QRegularExpressionMatch box =
        QRegularExpression(QStringLiteral("/MediaBox \\[\\s*0 0 ([0-9.]+) ([0-9.]+)")).match(QString::fromLatin1(pdf));
    ASSERT_TRUE(box.hasMatch());
    EXPECT_NEAR(box.captured(1).toDouble(), 100.0, 0.5);
    EXPECT_NEAR(box.captured(2).toDouble(), 50.0, 0.5);

    struct Case {
        double dpi, scale;
        QSize size;
    };
    const Case cases[] = {{144, 0, QSize(200, 100)}, {72, 1, QSize(100, 50)}, {72, 2.5, QSize(250, 125)}, {36, -1, QSize(50, 25)}};
    for (const Case& c : cases) {
        pf::Error error;
        const QByteArray png = slice->imageData(4, {}, c.dpi, c.scale, pf::ImageColorModel::RGB, true, &error);
        ASSERT_FALSE(png.isEmpty()) << error.description().toStdString();
        EXPECT_EQ(QImage::fromData(png).size(), c.size) << c.dpi << " dpi, scale " << c.scale;
    }

    for (double dpi : {0.0, qQNaN(), 1e12}) {
        pf::Error error;
        EXPECT_TRUE(slice->imageData(4, {}, dpi, 1, pf::ImageColorModel::RGB, false, &error).isEmpty());
        EXPECT_FALSE(error.isNull());
    }

    const pf::Ref<PWDrawing> extracted = slice->extractDrawing();
    ASSERT_TRUE(extracted);
    EXPECT_EQ(extracted->drawingSize(), QSizeF(100, 50));

    // Without a layer there is no drawing to render.
    PWXSlice loose;
    loose.setBounds(QRectF(0, 0, 10, 10));
    pf::Error error;
    EXPECT_TRUE(loose.pdfData().isEmpty());
    EXPECT_TRUE(loose.imageData(4, {}, 72, 1, pf::ImageColorModel::RGB, false, &error).isEmpty());
    EXPECT_FALSE(error.isNull());
    EXPECT_EQ(loose.extractDrawing(), nullptr);
}
