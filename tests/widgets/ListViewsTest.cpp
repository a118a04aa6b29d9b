#include "widgets/RVDebuggingScrollView.h"
#include "widgets/RVLimelightHoggingView.h"
#include "widgets/RVNoVibrancyTableView.h"
#include "widgets/RVOutlineView.h"
#include "widgets/RVSingleTitleTableHeaderView.h"
#include "widgets/RVSourceListCell.h"

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ButtonCell.h"
#include "platform/ui/Menu.h"
#include "platform/ui/OutlineViewDataSource.h"
#include "platform/ui/TableColumn.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

using pf::Ref;

Ref<pf::Image> solidImage(QSizeF size)
{
    QImage pixels(size.toSize(), QImage::Format_ARGB32_Premultiplied);
    pixels.fill(Qt::red);
    return pf::Image::fromQImage(pixels, size);
}

TEST(RVSourceListCell, RowGeometryWithIconBadgeAndBusySquare)
{
    RVSourceListCell cell(QStringLiteral("Symbols"));
    const QRectF frame(0, 0, 200, 20);
    EXPECT_TRUE(cell.iconRectForFrame(frame).isNull());
    EXPECT_TRUE(cell.badgeRectForFrame(frame).isNull());
    EXPECT_EQ(cell.textRectForFrame(frame), frame);

    cell.setImage(solidImage({32, 32}));
    cell.setBadgeCount(7);
    EXPECT_EQ(cell.iconRectForFrame(frame), QRectF(3, 1, 17, 17));
    const QRectF badge = cell.badgeRectForFrame(frame);
    EXPECT_DOUBLE_EQ(badge.width(), 20);
    EXPECT_DOUBLE_EQ(badge.x(), 179);
    EXPECT_NEAR(badge.center().y(), 10, 1e-9);
    EXPECT_LE(badge.height(), 14);
    EXPECT_EQ(cell.textRectForFrame(frame), QRectF(23, 0, 154, 20));
    const QRectF drawing = cell.drawingRectForBounds(frame);
    EXPECT_DOUBLE_EQ(drawing.x(), 23);
    EXPECT_DOUBLE_EQ(drawing.width(), 154);

    cell.setBusy(true);
    EXPECT_EQ(cell.busyRectForFrame(frame), QRectF(179, 0, 20, 20));
    EXPECT_EQ(cell.textRectForFrame(frame).width(), 179 - 5 - 20);
}

TEST(RVSourceListCell, ACountOfZeroShowsNoBadgeAndIsKept)
{
    RVSourceListCell cell(QStringLiteral("Symbols"));
    const QRectF frame(0, 0, 200, 20);
    cell.setBadgeCount(0);
    EXPECT_TRUE(cell.badgeRectForFrame(frame).isNull());
    EXPECT_EQ(cell.textRectForFrame(frame), frame);
    QImage canvas(200, 20, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        pf::GraphicsContextScope scope(painter, true);
        cell.drawInteriorWithFrame(frame, nullptr);
    }
    EXPECT_EQ(cell.badgeCount(), 0u);
    EXPECT_EQ(RVSourceListCell(QString()).badgeCount(), RVSourceListCell::kNoBadge);
}

TEST(RVSourceListCell, BadgeColoursByHighlightAndWindow)
{
    RVSourceListCell cell;
    cell.setBadgeColour(pf::Color::blue());
    const pf::Color grey = pf::Color::withWhite(2.0 / 3.0);
    struct Case {
        bool highlighted;
        bool main;
        pf::Color fill;
        pf::Color text;
    };
    for (const Case& c : {Case{false, true, pf::Color::blue(), pf::Color::white()},
                          Case{false, false, grey, pf::Color::white()},
                          Case{true, true, pf::Color::white(), pf::Color::blue()},
                          Case{true, false, pf::Color::white(), grey}}) {
        const auto colours = cell.badgeColoursFor(c.highlighted, c.main);
        EXPECT_EQ(colours.fill, c.fill) << c.highlighted << c.main;
        EXPECT_EQ(colours.text, c.text) << c.highlighted << c.main;
    }
}

TEST(RVSingleTitleTableHeaderView, OneTitleAcrossAFixedHeightHeader)
{
    RVSingleTitleTableHeaderView header(QRectF(0, 0, 300, 40));
    EXPECT_DOUBLE_EQ(header.frame().height(), 17.0);
    header.setFrameSize(QSizeF(320, 40));
    EXPECT_EQ(header.frame().size(), QSizeF(320, 17));

    header.setTitle(QStringLiteral("Media"));
    const auto centred = header.titleLayout(true);
    EXPECT_FALSE(centred.leftAligned);
    EXPECT_EQ(centred.rect, QRectF(20, 1, 280, 19));
    header.setTitle(QString(200, QLatin1Char('M')));
    const auto inactive = header.titleLayout(false);
    EXPECT_TRUE(inactive.leftAligned);
    EXPECT_EQ(inactive.rect, QRectF(20, 1, 300, 19));
    EXPECT_EQ(*pf::fromVariant<Ref<pf::Color>>(inactive.attributes.value(pf::kForegroundColorAttributeName)),
              pf::Color::grey());
}

TEST(RVSingleTitleTableHeaderView, DividersBetweenColumns)
{
    for (int columns : {1, 3}) {
        pf::TableView table;
        table.setFrame(QRectF(0, 0, 300, 100));
        for (int i = 0; i < columns; ++i) {
            auto column = std::make_shared<pf::TableColumn>(QStringLiteral("c%1").arg(i));
            column->setWidth(80);
            table.addTableColumn(column);
        }
        auto* header = new RVSingleTitleTableHeaderView(QRectF(0, 0, 300, 17));
        table.setHeaderView(header);
        header->setDrawsColumnDividers(true);
        EXPECT_EQ(header->columnDividerPositions().size(), columns - 1) << columns;
        const QImage pixels = header->cacheDisplayInRect(header->bounds());
        EXPECT_FALSE(pixels.isNull());
    }
}

// Three rows with a check box each.
class Checks : public pf::OutlineViewDataSource {
public:
    int numberOfChildrenOfItem(pf::OutlineView&, const QVariant& item) override { return item.isValid() ? 0 : 3; }
    QVariant child(pf::OutlineView&, int index, const QVariant&) override { return index; }
    bool isItemExpandable(pf::OutlineView&, const QVariant&) override { return false; }
    QVariant objectValueForTableColumn(pf::OutlineView&, pf::TableColumn*, const QVariant& item) override
    {
        return states.at(item.toInt());
    }
    void setObjectValue(pf::OutlineView&, const QVariant& value, pf::TableColumn*, const QVariant& item) override
    {
        states[item.toInt()] = value.toInt();
        ++writes;
    }
    QList<int> states{0, 0, 1};
    int writes = 0;
};

class CheckOutline : public ::testing::Test {
protected:
    void SetUp() override
    {
        outline.setFrame(QRectF(0, 0, 200, 200));
        auto column = std::make_shared<pf::TableColumn>(QStringLiteral("on"));
        auto check = std::make_shared<pf::ButtonCell>();
        check->setButtonType(pf::ButtonType::Switch);
        column->setDataCell(check);
        column->setWidth(100);
        outline.addTableColumn(column);
        outline.setDataSource(&rows);
        outline.reloadData();
    }
    QPointF centreOfRow(int row) { return outline.frameOfCellAtColumn(0, row).center(); }
    Checks rows;
    RVOutlineView outline;
};

TEST_F(CheckOutline, AClickTogglesThatRowOnlyAndLeavesTheSelection)
{
    outline.selectRowIndexes(pf::IndexSet(2), false);
    ASSERT_TRUE(outline.trackCellMouseDown(centreOfRow(1)));
    outline.trackCellMouseUp(centreOfRow(1));
    EXPECT_EQ(rows.states, (QList<int>{0, 1, 1}));
    EXPECT_EQ(rows.writes, 1);
    EXPECT_EQ(outline.selectedRowIndexes(), pf::IndexSet(2));

    ASSERT_TRUE(outline.trackCellMouseDown(centreOfRow(2)));
    outline.trackCellMouseUp(centreOfRow(2));
    EXPECT_EQ(rows.states, (QList<int>{0, 1, 0}));
}

TEST_F(CheckOutline, ReleasingOutsideWritesNothing)
{
    ASSERT_TRUE(outline.trackCellMouseDown(centreOfRow(0)));
    outline.trackCellMouseUp(QPointF(190, 190));
    EXPECT_EQ(rows.writes, 0);
    EXPECT_EQ(rows.states, (QList<int>{0, 0, 1}));
}

TEST_F(CheckOutline, FocusFirstMouseGridAndDisabledCells)
{
    EXPECT_FALSE(outline.acceptsFirstResponder());
    outline.setAcceptsFirstResponder(true);
    EXPECT_TRUE(outline.acceptsFirstResponder());
    EXPECT_TRUE(outline.acceptsFirstMouse(nullptr));
    EXPECT_EQ(outline.gridColor(), QColor::fromRgbF(0.3f, 0.6f, 0.92f, 0.15f));

    outline.tableColumns().first()->dataCell()->setEnabled(false);
    EXPECT_FALSE(outline.trackCellMouseDown(centreOfRow(0)));
    EXPECT_EQ(rows.writes, 0);
}

TEST(SmallListViews, ScrollCountingFocusHoggingAndNoVibrancy)
{
    RVDebuggingScrollView scroll(QRectF(0, 0, 100, 100));
    EXPECT_EQ(scroll.numberOfScrolls(), 0);
    const qint64 before = scroll.numberOfScrolls();
    scroll.reflectScrolledClipView(scroll.contentView());
    scroll.reflectScrolledClipView(scroll.contentView());
    EXPECT_EQ(scroll.numberOfScrolls(), before + 2);

    RVLimelightHoggingView hog(QRectF(0, 0, 10, 10));
    EXPECT_TRUE(hog.acceptsFirstResponder());
    EXPECT_FALSE(hog.resignFirstResponder());

    RVNoVibrancyTableView table;
    EXPECT_FALSE(table.allowsVibrancy());
}

} // namespace
