#include "EditingTestSupport.h"

#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/archiving/PWStylePasteboard.h"
#include "frameworks/penwork/document/PWDrawingDocument.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/editing/PWLayerEditing.h"
#include "frameworks/penwork/tools/PWToolController.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

using editing_test::EditingFixture;
using editing_test::expectRect;
using editing_test::ObjectList;

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& data)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
    return path;
}

QByteArray pngData(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

QStringList actionsOf(const pf::Menu* menu)
{
    QStringList actions;
    if (menu)
        for (const auto& item : menu->items())
            actions.append(item->isSeparatorItem() ? QStringLiteral("-") : item->action());
    return actions;
}

// File drops ----------------------------------------------------------------------------------------

TEST(EditingDrop, ImagesAndDrawingFilesAreAddedAtThePointAndDamagedFilesRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EditingFixture f;
    auto existing = f.shape(QRectF(0, 0, 10, 10));

    const QString image = writeFile(dir, "picture.png", pngData(40, 20));
    ASSERT_TRUE(f.run([&] { return f.layer->performFileDropOperation({QUrl::fromLocalFile(image)}, QPointF(200, 100)); }));
    ASSERT_EQ(f.objects().size(), 2);
    auto shape = std::dynamic_pointer_cast<PWImageShape>(f.objects()[1]);
    ASSERT_TRUE(shape);
    expectRect(shape->logicalBounds(), QRectF(180, 90, 40, 20));
    EXPECT_EQ(f.selection(), ObjectList{shape});
    f.undo().undo();
    EXPECT_EQ(f.objects(), ObjectList{existing});
    EXPECT_EQ(f.selection(), ObjectList{existing});

    // A drawing file gives its objects, centred on the point as a whole.
    auto source = std::make_shared<PWDrawing>();
    auto sourceLayer = std::make_shared<PWObjectDrawingLayer>();
    source->addLayer(sourceLayer);
    sourceLayer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10)));
    sourceLayer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(30, 0, 10, 10)));
    const QString drawingFile = writeFile(dir, "shapes.drawing", PWDrawingArchiving::dataWithDrawing(source));
    ASSERT_TRUE(f.run([&] { return f.layer->performFileDropOperation({QUrl::fromLocalFile(drawingFile)}, QPointF(0, 0)); }));
    ASSERT_EQ(f.objects().size(), 3);
    expectRect(f.objects()[1]->logicalBounds().united(f.objects()[2]->logicalBounds()), QRectF(-20, -5, 40, 10));

    // Damaged or missing files, or one bad file among good ones: nothing is added.
    QByteArray truncated = pngData(40, 20);
    truncated.truncate(30);
    const QString damagedImage = writeFile(dir, "damaged.png", truncated);
    const QString garbage = writeFile(dir, "garbage.drawing", QByteArray("bplist00 this is no archive"));
    const QList<QList<QUrl>> refused = {
        {QUrl::fromLocalFile(damagedImage)},
        {QUrl::fromLocalFile(garbage)},
        {QUrl::fromLocalFile(dir.filePath("missing.png"))},
        {QUrl::fromLocalFile(image), QUrl::fromLocalFile(garbage)},
        {QUrl("https://example.com/picture.png")},
        {},
    };
    for (const auto& urls : refused) {
        EXPECT_FALSE(f.run([&] { return f.layer->performFileDropOperation(urls, QPointF(0, 0)); })) << urls.size();
        EXPECT_EQ(f.objects().size(), 3);
    }
    f.layer->setLocked(true);
    EXPECT_FALSE(f.layer->performFileDropOperation({QUrl::fromLocalFile(image)}, QPointF()));
}

TEST(EditingDrop, DroppedImageDataBecomesAnImageShape)
{
    EditingFixture f;
    QMimeData data;
    QImage image(8, 6, QImage::Format_ARGB32);
    image.fill(Qt::green);
    data.setImageData(image);
    ASSERT_TRUE(f.run([&] { return f.layer->performFileDropOperation(data, QPointF(50, 50)); }));
    ASSERT_EQ(f.objects().size(), 1);
    expectRect(f.objects()[0]->logicalBounds(), QRectF(46, 47, 8, 6));
    QMimeData empty;
    EXPECT_FALSE(f.layer->performFileDropOperation(empty, QPointF()));
}

// Edit actions, validation and menus ----------------------------------------------------------------

TEST(EditingActions, TheLayerValidatesAndPerformsTheActionsBySelector)
{
    EditingFixture f;
    f.shape(QRectF(0, 0, 10, 10));
    f.shape(QRectF(20, 0, 10, 10));
    auto item = pf::MenuItem::make("Group", "group:");
    EXPECT_TRUE(f.layer->handlesAction("group:"));
    EXPECT_FALSE(f.layer->handlesAction("frobnicate:"));
    EXPECT_TRUE(f.layer->validateMenuItem(*item));
    ASSERT_TRUE(f.run([&] { return f.layer->performAction("group:", "Group Things"); }));
    EXPECT_EQ(f.undo().undoActionName(), "Group Things");
    EXPECT_FALSE(f.layer->validateMenuItem(*item)); // one object left selected
    EXPECT_TRUE(f.layer->validateMenuItem(*pf::MenuItem::make("Ungroup", "ungroup:")));
    EXPECT_FALSE(f.layer->performAction("frobnicate:", {}));
    ASSERT_TRUE(f.run([&] { return f.layer->editDelete({}); }));
    EXPECT_EQ(f.objects().size(), 0);

    // The base layer edits nothing and offers no menu.
    auto plain = std::make_shared<PWLayer>();
    EXPECT_FALSE(plain->validateMenuItem(*pf::MenuItem::make("Copy", "copy:")));
    EXPECT_FALSE(plain->menuForEvent(QPointF(), nullptr));
}

TEST(EditingActions, ContextualMenuHasTheObjectsItemsThenTheEditItems)
{
    EditingFixture f;
    auto path = f.line(QPointF(0, 0), QPointF(100, 100));
    auto menu = f.layer->menuForEvent(QPointF(50, 50), nullptr);
    const QStringList actions = actionsOf(menu.get());
    ASSERT_FALSE(actions.isEmpty());
    EXPECT_EQ(actions.front(), "convertForDoubleClick:");
    EXPECT_EQ(menu->items().front()->target(), path.get());
    EXPECT_TRUE(actions.contains("-"));
    EXPECT_TRUE(actions.contains("copy:"));
    EXPECT_TRUE(actions.contains("delete:"));
    // Away from any object with nothing selected: nothing to offer but what the layer can do.
    f.layer->deselectAll();
    const QStringList away = actionsOf(f.layer->menuForEvent(QPointF(500, 500), nullptr).get());
    EXPECT_TRUE(away.contains("selectAll:"));
    EXPECT_FALSE(away.contains("copy:"));
    EXPECT_FALSE(away.contains("convertForDoubleClick:"));
}

// Drawables -----------------------------------------------------------------------------------------

class RefusingPath : public PWDrawablePath {
public:
    using PWDrawablePath::PWDrawablePath;
    bool shouldConvertToClass(const pf::Class&) override { return false; }
};

TEST(EditingDrawable, DoubleClickConversionReplacesTheObjectAsOneStep)
{
    EditingFixture f;
    auto below = f.shape(QRectF(0, 50, 5, 5), false);
    auto path = f.line(QPointF(0, 0), QPointF(40, 30));
    auto top = f.shape(QRectF(0, 80, 5, 5), false);
    f.run([] { return true; });
    auto converted = path->convertForDoubleClick();
    QCoreApplication::processEvents();
    ASSERT_TRUE(converted);
    EXPECT_EQ(&converted->objClass(), &PWDrawableShape::staticClass());
    EXPECT_EQ(f.objects(), (ObjectList{below, converted, top}));
    EXPECT_EQ(f.selection(), ObjectList{converted});
    f.undo().undo();
    EXPECT_EQ(f.objects(), (ObjectList{below, path, top}));
    EXPECT_EQ(f.selection(), ObjectList{path});

    // The object may refuse; groups and objects outside a layer do not convert.
    pf::BezierPath line;
    line.moveTo(QPointF(0, 0));
    line.lineTo(QPointF(10, 10));
    auto refusing = std::make_shared<RefusingPath>(line);
    f.layer->addObject(refusing);
    EXPECT_FALSE(refusing->convertForDoubleClick());
    EXPECT_EQ(f.layer->indexOfObject(refusing.get()), 3);
    auto loose = PWDrawablePath::drawablePathWithPath(line);
    EXPECT_FALSE(loose->convertForDoubleClick());
}

TEST(EditingDrawable, DropTypesFollowTheOperation)
{
    const auto& cls = PWDrawableShape::staticClass();
    EXPECT_EQ(PWDrawableObject::pasteboardTypesForOperation(cls, Qt::CopyAction),
              (QStringList{kPWStylePasteboardType, kPWStyleKeyPasteboardType, pf::NSPasteboardTypeColor}));
    EXPECT_TRUE(PWDrawableObject::pasteboardTypesForOperation(cls, Qt::LinkAction).isEmpty());
}

// Views ---------------------------------------------------------------------------------------------

TEST(EditingViews, DocumentFindsItsMainViewAndMakesAPrintView)
{
    auto document = std::make_shared<PWDrawingDocument>();
    pf::Error error;
    ASSERT_TRUE(document->initWithType(kPWDrawingDocumentType, &error));
    EXPECT_EQ(document->mainView(), nullptr);
    EXPECT_EQ(document->drawingTool(), nullptr);

    std::unique_ptr<QWidget> print(document->makePrintDrawingView());
    auto printView = dynamic_cast<PWDrawingView*>(print.get());
    ASSERT_TRUE(printView);
    EXPECT_EQ(printView->drawing(), document->drawing());
    EXPECT_EQ(document->mainView(), nullptr); // a print view is not the main view
    print.reset();

    PWDrawingView view;
    view.setDrawing(document->drawing());
    EXPECT_EQ(document->mainView(), &view);
    EXPECT_EQ(document->drawingTool(), view.toolController() ? view.toolController()->currentTool() : nullptr);

    // The layer and its objects find the same view.
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(document->drawing()->activeLayer());
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->currentView(), &view);
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(10, 10, 50, 50));
    layer->addObject(shape);
    EXPECT_FALSE(layer->scrollToSelectionInView()); // nothing selected
    layer->addObjectToSelection(shape);
    EXPECT_TRUE(layer->scrollToSelectionInView());
    EXPECT_TRUE(shape->zoomViewToObject());
    EXPECT_GT(view.scale(), 1.0);
}

} // namespace
