// The path cutter and the style dropper driven through the tool controller.
#include "DrawingExtensionsTestSupport.h"

#include "drawing/PWDrawingTool+LibraryItemKind.h"
#include "drawing/PWXPathCuttingTool.h"
#include "drawing/PWXStylePickUpTool.h"
#include "drawing/VNQLDrawingTools.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "frameworks/penwork/tools/PWZoomTool.h"
#include "platform/foundation/Exception.h"
#include "platform/graphics/Color.h"
#include "tests/frameworks/penwork/tools/ToolsTestSupport.h"

namespace {

using namespace drawext_test;
using tools_test::NotificationCounter;
using tools_test::ToolFixture;

// A shape that takes no style but its own.
class StyleRefusingShape : public PWDrawableShape {
    PF_CLASS(StyleRefusingShape)
public:
    bool validateStyle(QVariant*, pf::Error*) override { return false; }
};

} // namespace

PF_DEFINE_CLASS(StyleRefusingShape, PWDrawableShape) {}

namespace {

pf::Ref<PWDrawablePath> line(QPointF from, QPointF to)
{
    pf::BezierPath path;
    path.moveTo(from);
    path.lineTo(to);
    return PWDrawablePath::drawablePathWithPath(path);
}

struct DrawingToolsTest : ExtensionsTest {
    void SetUp() override
    {
        ExtensionsTest::SetUp();
        VNQLDrawingTools::registerTools();
        pf::UserDefaults::standard().removeObjectForKey(PWXStylePickUpTool::kNoAutoResetDefaultsKey);
        dropper()->setStyle(nullptr);
    }
    static pf::Ref<PWXStylePickUpTool> dropper()
    {
        return std::dynamic_pointer_cast<PWXStylePickUpTool>(
            PWDrawingTool::drawingToolWithName(VNQLDrawingTools::kStyleDropperToolName));
    }
    ToolFixture f;
};

TEST_F(DrawingToolsTest, TheToolsAreRegisteredUnderTheirNames)
{
    EXPECT_TRUE(std::dynamic_pointer_cast<PWXPathCuttingTool>(PWDrawingTool::drawingToolWithName("Path Cutter")));
    EXPECT_TRUE(dropper());
    auto zoomOut = std::dynamic_pointer_cast<PWZoomTool>(PWDrawingTool::drawingToolWithName("Zoom Out"));
    ASSERT_TRUE(zoomOut);
    EXPECT_TRUE(zoomOut->zoomsOut());
    const std::vector<std::pair<const char*, int>> kinds = {
        {"PWDrawingTool", 0}, {"PWZoomTool", 0}, {"PWXPathCuttingTool", 0}, {"PWObjectCreationTool", 1},
        {"PWXStylePickUpTool", 1}, {"PWXSymbolTool", 2}, {"PWSelectAndEditTool", 32767}};
    for (const auto& [name, kind] : kinds)
        EXPECT_EQ(PWDrawingToolLibraryItemKind::supportedLibraryItemKind(QString::fromUtf8(name)), kind) << name;
}

TEST_F(DrawingToolsTest, AClickCutsThePathInTwoAsOneUndoStep)
{
    auto path = f.add(line({0, 50}, {200, 50}));
    f.use(VNQLDrawingTools::kPathCutterToolName);
    f.click({80, 50});
    ASSERT_EQ(f.layer->objects().size(), 2);
    auto added = std::dynamic_pointer_cast<PWDrawablePath>(f.layer->objects().at(1));
    ASSERT_TRUE(added);
    EXPECT_NEAR(path->length(), 80.0, 0.5);
    EXPECT_NEAR(added->length(), 120.0, 0.5);
    EXPECT_EQ(f.layer->selection().size(), 2);
    EXPECT_TRUE(f.layer->isSelectedObject(path.get()));
    EXPECT_TRUE(f.layer->isSelectedObject(added.get()));
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
    EXPECT_EQ(f.undo()->undoActionName(), QStringLiteral("Cut Path"));
    f.undo()->undo();
    EXPECT_EQ(f.layer->objects().size(), 1);
    EXPECT_NEAR(path->length(), 200.0, 0.5);
}

TEST_F(DrawingToolsTest, TheEndsOfAPathAndOtherObjectsAreNotCut)
{
    auto path = f.add(line({0, 50}, {200, 50}));
    auto box = f.addRect(QRectF(50, 150, 40, 40));
    auto cutter = std::dynamic_pointer_cast<PWXPathCuttingTool>(PWDrawingTool::drawingToolWithName("Path Cutter"));
    f.use(VNQLDrawingTools::kPathCutterToolName);
    for (const QPointF at : {QPointF(0, 50), QPointF(200, 50)}) {
        f.click(at);
        EXPECT_FALSE(cutter->hasCut());
    }
    f.layer->replaceSelectionWithObject(box);
    f.click({70, 170});
    EXPECT_EQ(f.layer->selection().size(), 0);
    path->setLocked(true);
    f.click({100, 50});
    EXPECT_EQ(f.layer->objects().size(), 2);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 0);
}

TEST_F(DrawingToolsTest, ADragCutsOnlyTheFirstPathItMeets)
{
    auto upper = f.add(line({0, 40}, {200, 40}));
    auto lower = f.add(line({0, 80}, {200, 80}));
    f.use(VNQLDrawingTools::kPathCutterToolName);
    f.drag({100, 10}, {100, 110}, Qt::NoModifier, 50);
    EXPECT_EQ(f.layer->objects().size(), 3);
    EXPECT_NEAR(upper->length(), 100.0, 3.0);
    EXPECT_NEAR(lower->length(), 200.0, 0.5);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
}

TEST_F(DrawingToolsTest, TheDropperPicksUpThenDropsAndOptionPicksUpAgain)
{
    auto red = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color::black());
    auto blue = PWStyle::styleWithFillColour(pf::Color::blue(), pf::Color::black());
    auto source = f.addRect(QRectF(0, 0, 50, 50));
    source->setStyle(red);
    auto target = f.addRect(QRectF(100, 0, 50, 50));
    target->setStyle(blue);
    f.settle();
    NotificationCounter changes(PWXStylePickUpTool::kDidChangeStyleNotification);
    f.use(VNQLDrawingTools::kStyleDropperToolName);

    f.click({25, 25});
    EXPECT_EQ(dropper()->style(), red);
    EXPECT_EQ(PWObjectCreationTool::styleForCreatedObjects(), red);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 0);

    f.click({125, 25});
    EXPECT_EQ(target->style(), red);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
    EXPECT_EQ(f.undo()->undoActionName(), QStringLiteral("Drop Style"));
    // Dropping the style it already has is no edit.
    f.click({125, 25});
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);

    source->setStyle(blue);
    f.settle();
    f.click({25, 25}, Qt::AltModifier);
    EXPECT_EQ(dropper()->style(), blue);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 0);
    f.undo()->removeAllActions();
}

TEST_F(DrawingToolsTest, AnObjectThatRefusesTheStyleKeepsItsOwn)
{
    auto red = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color::black());
    auto target = std::make_shared<StyleRefusingShape>();
    target->setSize(QSizeF(50, 50));
    target->setLocation(QPointF(125, 25));
    target->setStyle(PWStyle::styleWithFillColour(pf::Color::blue(), pf::Color::black()));
    const auto before = target->style();
    f.add(target);
    f.settle();
    f.use(VNQLDrawingTools::kStyleDropperToolName);
    dropper()->setStyle(red);
    f.click({125, 25});
    EXPECT_EQ(target->style(), before);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 0);
}

TEST_F(DrawingToolsTest, ALockedObjectTakesNoStyle)
{
    auto red = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color::black());
    auto target = f.addRect(QRectF(100, 0, 50, 50));
    target->setStyle(PWStyle::styleWithFillColour(pf::Color::blue(), pf::Color::black()));
    const auto before = target->style();
    target->setLocked(true);
    f.settle();
    f.use(VNQLDrawingTools::kStyleDropperToolName);
    dropper()->setStyle(red);
    f.click({125, 25});
    EXPECT_EQ(target->style(), before);
    EXPECT_EQ(f.undo()->numberOfUndoActions(), 0);
}

TEST_F(DrawingToolsTest, PickingUpFromAGroupTakesTheMemberUnderTheCursor)
{
    auto red = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color::black());
    auto blue = PWStyle::styleWithFillColour(pf::Color::blue(), pf::Color::black());
    auto left = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 50, 50), red);
    auto right = PWDrawableShape::drawableShapeWithRect(QRectF(60, 0, 50, 50), blue);
    f.add(PWShapeGroup::groupWithObjects(QList<pf::Ref<PWDrawableObject>>{left, right}));
    f.use(VNQLDrawingTools::kStyleDropperToolName);
    f.click({85, 25});
    ASSERT_TRUE(dropper()->style());
    EXPECT_TRUE(dropper()->style()->isEqualToStyle(blue.get()));
}

TEST_F(DrawingToolsTest, ChoosingTheDropperEmptiesItUnlessTheDefaultSaysNot)
{
    auto red = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color::black());
    dropper()->setStyle(red);
    f.use(VNQLDrawingTools::kStyleDropperToolName);
    EXPECT_FALSE(dropper()->style());

    f.use(kPWSelectToolName);
    PWXStylePickUpTool::setPerformsResetOnSelection(false);
    EXPECT_TRUE(pf::UserDefaults::standard().boolForKey(QStringLiteral("CVLQ_STYLE_DROPPER_NO_AUTO_RESET")));
    dropper()->setStyle(red);
    f.use(VNQLDrawingTools::kStyleDropperToolName);
    EXPECT_EQ(dropper()->style(), red);
}

TEST_F(DrawingToolsTest, TheHeldStyleIsKeptAcrossLaunches)
{
    EXPECT_FALSE(dropper()->persistentData());
    auto red = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color::black());
    dropper()->setStyle(red);
    const std::optional<QByteArray> data = dropper()->persistentData();
    ASSERT_TRUE(data);

    PWXStylePickUpTool fresh;
    EXPECT_TRUE(fresh.shouldLoadPersistentData(*data));
    ASSERT_TRUE(fresh.style());
    EXPECT_TRUE(fresh.style()->isEqualToStyle(red.get()));

    EXPECT_FALSE(fresh.shouldLoadPersistentData(QByteArray("damaged")));
    EXPECT_FALSE(fresh.style());
    EXPECT_THROW(fresh.shouldLoadPersistentData(QByteArray()), pf::Exception);
}

} // namespace
