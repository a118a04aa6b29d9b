#include "widgets/RSContextualMenuTableDelegate.h"
#include "widgets/RSVerticallyCenteredTextFieldCell.h"
#include "widgets/RVControlledView.h"

#include "platform/ui/Event.h"
#include "platform/ui/FieldEditor.h"
#include "platform/ui/Menu.h"
#include "platform/ui/TableColumn.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewDelegate.h"

#include <gtest/gtest.h>

namespace {

using pf::Ref;

Ref<RSVerticallyCenteredTextFieldCell> makeCell()
{
    auto cell = std::make_shared<RSVerticallyCenteredTextFieldCell>(QStringLiteral("Layer 1"));
    return cell;
}

TEST(RSVerticallyCenteredTextFieldCell, CentresTheLineInTallerFramesOnly)
{
    auto cell = makeCell();
    const double textHeight = cell->cellSizeForBounds(QRectF(0, 0, 200, 1000)).height();
    struct Case {
        double extra;
        double expectedOffset;
    };
    for (const Case c : {Case{0, 0}, Case{10, 5}, Case{7, 3.5}}) {
        const QRectF frame(4, 30, 200, textHeight + c.extra);
        const QRectF rect = cell->drawingRectForBounds(frame);
        EXPECT_DOUBLE_EQ(rect.y(), 30 + c.expectedOffset) << c.extra;
        EXPECT_DOUBLE_EQ(rect.height(), textHeight) << c.extra;
        EXPECT_DOUBLE_EQ(rect.x(), 4);
    }
    // A frame lower than the text is not stretched or moved.
    const QRectF low(0, 0, 200, textHeight - 4);
    EXPECT_EQ(cell->drawingRectForBounds(low), low);
}

// Records the frame the field editor is placed over.
class EditFrameRecorder : public RSVerticallyCenteredTextFieldCell {
public:
    using RSVerticallyCenteredTextFieldCell::RSVerticallyCenteredTextFieldCell;
    QRectF titleRectForBounds(const QRectF& bounds) const override
    {
        editedFrames.append(bounds);
        drawingRects.append(drawingRectForBounds(bounds));
        return RSVerticallyCenteredTextFieldCell::titleRectForBounds(bounds);
    }
    mutable QList<QRectF> editedFrames;
    mutable QList<QRectF> drawingRects;
};

TEST(RSVerticallyCenteredTextFieldCell, EditingAndSelectingOpenOnTheCentredLineOnce)
{
    auto cell = std::make_shared<EditFrameRecorder>(QStringLiteral("Layer 1"));
    cell->setEditable(true);
    pf::View view(QRectF(0, 0, 200, 60));
    pf::FieldEditor editor(&view);
    const double textHeight = cell->cellSizeForBounds(QRectF(0, 0, 200, 1000)).height();
    const QRectF frame(0, 0, 200, textHeight + 20);
    const QRectF centred(0, 10, 200, textHeight);
    cell->editWithFrame(frame, &view, &editor, nullptr, nullptr);
    cell->endEditing(editor);
    cell->selectWithFrame(frame, &view, &editor, nullptr, 0, 3);
    ASSERT_FALSE(cell->editedFrames.isEmpty());
    for (int i = 0; i < cell->editedFrames.size(); ++i) {
        EXPECT_EQ(cell->editedFrames[i], centred) << i;
        // While the editor opens, the rectangle is not centred a second time.
        EXPECT_EQ(cell->drawingRects[i], centred) << i;
    }
    // Outside editing the frame is centred as usual.
    EXPECT_EQ(cell->drawingRectForBounds(frame), centred);
}

class MenuDelegate : public pf::TableViewDelegate, public RSContextualMenuTableDelegate {
public:
    Ref<pf::Menu> contextualMenuForTableView(pf::TableView&, pf::TableColumn* column, int row) override
    {
        askedColumn = column;
        askedRow = row;
        ++calls;
        return menu;
    }
    Ref<pf::Menu> menu = std::make_shared<pf::Menu>(QStringLiteral("Row"));
    pf::TableColumn* askedColumn = reinterpret_cast<pf::TableColumn*>(1);
    int askedRow = -2;
    int calls = 0;
};

class ContextualMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        table.setFrame(QRectF(0, 0, 300, 200));
        column = std::make_shared<pf::TableColumn>(QStringLiteral("name"));
        column->setWidth(150);
        table.addTableColumn(column);
    }
    pf::TableView table;
    Ref<pf::TableColumn> column;
    MenuDelegate delegate;
    pf::Event click;
};

TEST_F(ContextualMenu, AsksTheDelegateForTheRowAndColumnUnderTheCellsCentre)
{
    table.setDelegate(&delegate);
    auto cell = makeCell();
    const QRectF frame = table.frameOfCellAtColumn(0, 0);
    EXPECT_EQ(cell->menuForEvent(click, frame, &table), delegate.menu);
    EXPECT_EQ(delegate.askedColumn, column.get());
    EXPECT_EQ(delegate.askedRow, table.rowAtPoint(frame.center()));
}

TEST_F(ContextualMenu, OutsideEveryColumnPassesNoColumn)
{
    table.setDelegate(&delegate);
    auto cell = makeCell();
    EXPECT_EQ(cell->menuForEvent(click, QRectF(400, 0, 80, 17), &table), delegate.menu);
    EXPECT_EQ(delegate.askedColumn, nullptr);
}

TEST_F(ContextualMenu, NoMenuWithoutSuchADelegateOrOutsideATable)
{
    pf::TableViewDelegate plain;
    table.setDelegate(&plain);
    auto cell = makeCell();
    EXPECT_EQ(cell->menuForEvent(click, QRectF(0, 0, 100, 17), &table), nullptr);
    pf::View view;
    EXPECT_EQ(cell->menuForEvent(click, QRectF(0, 0, 100, 17), &view), nullptr);
    EXPECT_EQ(delegate.calls, 0);
}

TEST(RVControlledView, ForgetsAControllerThatWentAway)
{
    RVControlledView view;
    auto controller = std::make_shared<pf::Object>();
    view.setController(controller);
    EXPECT_EQ(view.controller(), controller);
    controller.reset();
    EXPECT_EQ(view.controller(), nullptr);
}

} // namespace
