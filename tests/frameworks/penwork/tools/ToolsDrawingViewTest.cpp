#include "ToolsTestSupport.h"

#include "frameworks/penwork/tools/PWSelectAndEditTool.h"
#include "frameworks/penwork/view/PWDrawingView.h"

#include <gtest/gtest.h>

using namespace tools_test;

// The drawing view's own controller, driven through the view's interface.
TEST(ToolsDrawingView, TheViewsControllerCreatesAndMovesObjects)
{
    auto drawing = PWDrawing::defaultDrawing();
    PWDrawingView view;
    view.setDrawing(drawing);
    PWToolController* controller = view.toolController();
    ASSERT_TRUE(controller);
    auto layer = std::dynamic_pointer_cast<PWObjectOwnerLayer>(drawing->activeLayer());
    ASSERT_TRUE(layer);

    controller->setCurrentTool(PWDrawingTool::drawingToolWithName(kPWRectangleToolName));
    EXPECT_EQ(view.cursorForView().shape(), Qt::CrossCursor);
    controller->mouseDown(view, {10, 10}, Qt::NoModifier, 1);
    controller->mouseDragged(view, {40, 30}, Qt::NoModifier);
    controller->mouseUp(view, {50, 40}, Qt::NoModifier);
    ASSERT_EQ(layer->countOfObjects(), 1);
    auto shape = layer->objectInObjectsAtIndex(0);
    EXPECT_EQ(shape->logicalBounds(), QRectF(10, 10, 40, 30));
    EXPECT_EQ(view.selectedObjects(), (QList<pf::Ref<PWDrawableObject>>{shape}));

    controller->setCurrentTool(nullptr);
    controller->mouseDown(view, {30, 25}, Qt::NoModifier, 1);
    controller->mouseDragged(view, {40, 25}, Qt::NoModifier);
    controller->mouseUp(view, {40, 25}, Qt::NoModifier);
    EXPECT_EQ(shape->logicalBounds(), QRectF(20, 10, 40, 30));
    EXPECT_EQ(drawing->undoManager()->undoActionName(), "Move");
    EXPECT_EQ(controller->toolView().widget(), &view);
}
