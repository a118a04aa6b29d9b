#include "tests/styleeditor/StyleEditorTestSupport.h"

#include "styleeditor/PWXArrowView.h"
#include "styleeditor/VNQLStyleEditSub_PWArrowStroke.h"

#include "frameworks/penwork/renderers/PWArrowStroke.h"

using namespace style_test;

TEST(StyleArrowView, TheHandleSitsAtTheLeftHeadUnlessOnlyTheEndHasOne)
{
    struct Case {
        int start, end;
        bool right;
    };
    PWArrowStroke arrow;
    arrow.setArrowHeadWidth(10);
    PWXArrowView view;
    view.resize(200, 60);
    view.show();
    for (const Case& c : {Case{0, 1, true}, Case{1, 1, false}, Case{0, 0, false}, Case{1, 0, false}}) {
        arrow.setArrowHeadAtStart(c.start);
        arrow.setArrowHeadAtEnd(c.end);
        view.setRasterizer(&arrow);
        EXPECT_EQ(view.showsHeadDragOnRight(), c.right) << c.start << "/" << c.end;
    }
    arrow.setArrowHeadAtStart(0);
    arrow.setArrowHeadAtEnd(PWArrowStroke::HeadArrow);
    view.update();
    const double trim = arrow.trimLengthForKind(PWArrowStroke::HeadArrow);
    EXPECT_EQ(view.headAdjustmentTarget(), QRectF(200 - 8 - trim - 4, 30 - 5 - 4, 8, 8));
    // Resizing the sidebar moves the handle with the line's end.
    view.resize(300, 60);
    EXPECT_EQ(view.headAdjustmentTarget().center().x(), 300 - 8 - trim);
}

TEST(StyleArrowView, DraggingSetsTheHeadNeverNarrowerThanTheLine)
{
    PWArrowStroke arrow;
    arrow.setWidth(6);
    arrow.setArrowHeadAtStart(PWArrowStroke::HeadArrow);
    arrow.setArrowHeadAtEnd(0);
    PWXArrowView view;
    view.resize(200, 60);
    view.setRasterizer(&arrow);
    EXPECT_EQ(view.headSizeForPoint(QPointF(30, 10)), QSizeF(22, 40));
    EXPECT_EQ(view.headSizeForPoint(QPointF(30, 45)), QSizeF(22, 6)) << "below the line";
    EXPECT_EQ(view.headSizeForPoint(QPointF(30, 29)), QSizeF(22, 6)) << "less than half the width above it";
}

TEST_F(StyleEditorTest, TheArrowPaneWritesDraggedHeadSizesAndDisablesThePreviewWhenLocked)
{
    auto arrow = std::make_shared<PWArrowStroke>();
    auto style = showStyle({arrow});
    auto* pane = dynamic_cast<VNQLStyleEditSub_PWArrowStroke*>(editor->subcontrollers().value(0));
    ASSERT_TRUE(pane);
    EXPECT_EQ(pane->arrowView()->rasterizer(), arrow.get());
    pane->arrowViewSetArrowHeadSize(*pane->arrowView(), QSizeF(14, 9));
    EXPECT_DOUBLE_EQ(arrow->arrowHeadLength(), 14);
    EXPECT_DOUBLE_EQ(arrow->arrowHeadWidth(), 9);
    style->setLocked(true);
    EXPECT_FALSE(pane->arrowView()->enabled());
}
