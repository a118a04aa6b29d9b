// SVG files dropped on an object layer.
#include "DrawingExtensionsTestSupport.h"

#include "drawing/PWObjectDrawingLayer+SVGSupport.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/ui/DraggingInfo.h"
#include "platform/ui/Pasteboard.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace {

using namespace drawext_test;

struct SVGDropTest : ExtensionsTest {
    void SetUp() override
    {
        ExtensionsTest::SetUp();
        drawing->setDrawingSize(QSizeF(400, 300));
        layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->activeLayer());
        QCoreApplication::processEvents();
        drawing->undoManager()->removeAllActions();
    }

    QString write(const QString& name, const QByteArray& body, const QSizeF& size = QSizeF(100, 100))
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\">")
                       .arg(size.width())
                       .arg(size.height())
                       .toUtf8() +
                   body + "</svg>");
        return path;
    }

    // A drop of `paths` at `point` (the window point, as the layer has no view).
    static pf::DraggingInfo dropOf(const QStringList& paths, const QPointF& point)
    {
        auto pasteboard = std::make_shared<pf::Pasteboard>();
        pasteboard->setPropertyList(QVariant(QVariantList(paths.begin(), paths.end())), pf::NSFilenamesPboardType);
        return pf::DraggingInfo(pasteboard, nullptr, pf::DragOperationCopy, point, nullptr, 1);
    }

    bool drop(const QStringList& paths, const QPointF& point = QPointF(200, 150))
    {
        const bool done = PWObjectDrawingLayerSVGSupport::performFileDropOperation(*layer, dropOf(paths, point));
        QCoreApplication::processEvents();
        return done;
    }

    QTemporaryDir folder;
    pf::Ref<PWDrawing> drawing = PWDrawing::defaultDrawing();
    pf::Ref<PWObjectDrawingLayer> layer;
};

const QByteArray kOneRect = "<rect x=\"10\" y=\"10\" width=\"40\" height=\"20\" fill=\"red\"/>";
const QByteArray kTwoShapes =
    "<rect x=\"10\" y=\"10\" width=\"40\" height=\"20\" fill=\"red\"/><circle cx=\"70\" cy=\"70\" r=\"10\" fill=\"blue\"/>";

TEST_F(SVGDropTest, OneShapeIsAddedItselfWhereItWasDroppedAsOneUndoStep)
{
    ASSERT_TRUE(drop({write("one.svg", kOneRect)}, QPointF(120, 90)));
    ASSERT_EQ(layer->objects().size(), 1);
    pf::Ref<PWDrawableObject> object = layer->objects().front();
    EXPECT_FALSE(std::dynamic_pointer_cast<PWShapeGroup>(object));
    EXPECT_EQ(object->container(), layer.get());
    EXPECT_EQ(object->location(), QPointF(120, 90));
    EXPECT_EQ(layer->selection().value(0), object);
    EXPECT_EQ(drawing->undoManager()->numberOfUndoActions(), 1);
    EXPECT_EQ(drawing->undoManager()->undoActionName(), QStringLiteral("Drop SVG Graphic"));
    drawing->undoManager()->undo();
    EXPECT_TRUE(layer->objects().empty());
}

TEST_F(SVGDropTest, SeveralShapesBecomeOneGroup)
{
    ASSERT_TRUE(drop({write("two.svg", kTwoShapes)}));
    ASSERT_EQ(layer->objects().size(), 1);
    auto group = std::dynamic_pointer_cast<PWShapeGroup>(layer->objects().front());
    ASSERT_TRUE(group);
    EXPECT_EQ(group->countOfMembers(), 2);
}

TEST_F(SVGDropTest, OnlyTheFirstFileCountsAndOnlyWithALowerCaseExtension)
{
    const QString svg = write("one.svg", kOneRect);
    EXPECT_FALSE(drop({write("picture.SVG", kOneRect)}));
    EXPECT_FALSE(drop({folder.filePath("notes.txt"), svg}));
    EXPECT_FALSE(drop({}));
    EXPECT_TRUE(layer->objects().empty());
    EXPECT_TRUE(drop({svg, folder.filePath("notes.txt")}));
    EXPECT_EQ(layer->objects().size(), 1);
}

TEST_F(SVGDropTest, AFileThatIsNoSVGAddsNothing)
{
    const QString path = folder.filePath("broken.svg");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<svg><rect");
    file.close();
    EXPECT_FALSE(drop({path}));
    EXPECT_FALSE(drop({folder.filePath("missing.svg")}));
    EXPECT_TRUE(layer->objects().empty());
    EXPECT_EQ(drawing->undoManager()->numberOfUndoActions(), 0);
}

TEST_F(SVGDropTest, AnOversizedGraphicIsHalvedUntilItFits)
{
    // 1200 wide on a 400-wide drawing: a third would do, halving twice is what fits.
    ASSERT_TRUE(drop({write("wide.svg", "<rect x=\"0\" y=\"0\" width=\"1200\" height=\"60\" fill=\"red\"/>",
                            QSizeF(1200, 60))}));
    ASSERT_EQ(layer->objects().size(), 1);
    EXPECT_NEAR(layer->objects().front()->logicalBounds().width(), 300.0, 0.5);
    EXPECT_NEAR(layer->objects().front()->logicalBounds().height(), 15.0, 0.5);

    EXPECT_EQ(PWObjectDrawingLayerSVGSupport::shrinkFactor(100, 100, 400, 300), 1.0);
    EXPECT_EQ(PWObjectDrawingLayerSVGSupport::shrinkFactor(800, 100, 400, 300), 0.5);
    EXPECT_EQ(PWObjectDrawingLayerSVGSupport::shrinkFactor(100, 301, 400, 300), 0.5);
    EXPECT_EQ(PWObjectDrawingLayerSVGSupport::shrinkFactor(1e300, 1, 400, 300), std::ldexp(1.0, -30));
    EXPECT_EQ(PWObjectDrawingLayerSVGSupport::shrinkFactor(800, 100, 0, 300), 1.0);
}

TEST_F(SVGDropTest, TheLayersFileDropTakesSVGAndLeavesImagesToTheFramework)
{
    ASSERT_TRUE(layer->performFileDrop(dropOf({write("one.svg", kOneRect)}, QPointF(50, 50)), QPointF(50, 50)));
    EXPECT_EQ(layer->objects().size(), 1);

    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(Qt::green);
    const QString png = folder.filePath("swatch.png");
    ASSERT_TRUE(image.save(png));
    auto pasteboard = std::make_shared<pf::Pasteboard>();
    pasteboard->writeURLs({QUrl::fromLocalFile(png)});
    const pf::DraggingInfo info(pasteboard, nullptr, pf::DragOperationCopy, QPointF(100, 100), nullptr, 2);
    ASSERT_TRUE(layer->performFileDrop(info, QPointF(100, 100)));
    ASSERT_EQ(layer->objects().size(), 2);
    EXPECT_TRUE(std::dynamic_pointer_cast<PWImageShape>(layer->objects().back()));
}

} // namespace
