#include "DistributedViewFixture.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/ScrollView.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using zdtest::Item;
using zdtest::ItemSource;

namespace {

class DistributedViewLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.setSizeToFit(false);
        view.setDataSource(&source);
        view.setPrototype(std::make_shared<pf::Cell>());
    }
    void TearDown() override { EXPECT_EQ(source.outOfRangeRequests, 0); }
    ZDDistributedView view{QRectF(0, 0, 416, 300)};
    ItemSource source;
};

TEST_F(DistributedViewLayout, DefaultsOfANewView)
{
    ZDDistributedView fresh;
    EXPECT_EQ(fresh.cellSize(), QSizeF(100, 100));
    EXPECT_EQ(fresh.gridSize(), QSizeF(50, 50));
    EXPECT_FLOAT_EQ(fresh.contentInset(), 8.0f);
    EXPECT_EQ(fresh.cellInset(), QSizeF(0, 0));
    EXPECT_TRUE(fresh.isFlipped());
    EXPECT_TRUE(fresh.acceptsFirstResponder());
    // showSnapGuides, sizeToFit, useSelectionRect, allowsEmptySelection, allowsMultipleSelection.
    EXPECT_EQ(fresh.flags(), (1u << 23) | (1u << 24) | (1u << 25) | (1u << 26) | (1u << 27));
    EXPECT_EQ(fresh.runtimeFlags(), 0u);
    EXPECT_EQ(fresh.editedItem(), -1);
    EXPECT_EQ(fresh.dragDestItem(), -1);
}

TEST_F(DistributedViewLayout, ForcingToTheGridRoundsToTheNearestStepInsideTheInset)
{
    // Grid 50 x 50 (half the default cell), inset 8.
    const struct {
        QPointF origin;
        QPointF forced;
    } cases[] = {
        {{30, 30}, {8, 8}},   {{40, 40}, {58, 58}}, {{-10, 5}, {8, 8}},
        {{8, 8}, {8, 8}},     {{33, 34}, {58, 58}}, {{-60, -60}, {-42, -42}},
        {{107, 200}, {108, 208}},
    };
    for (const auto& c : cases) {
        const QRectF forced = view.forceRectToGrid(QRectF(c.origin, QSizeF(100, 100)));
        EXPECT_EQ(forced.topLeft(), c.forced) << c.origin.x() << "," << c.origin.y();
        EXPECT_EQ(forced.size(), QSizeF(100, 100));
    }
    // Only while forcing is on do the items' boxes snap.
    EXPECT_EQ(view.snapRectToGrid(QRectF(30, 30, 10, 10)).topLeft(), QPointF(30, 30));
    view.setForceToGrid(true);
    EXPECT_EQ(view.snapRectToGrid(QRectF(30, 30, 10, 10)).topLeft(), QPointF(8, 8));
}

TEST_F(DistributedViewLayout, CellAndGridSizesBelowOneAreClamped)
{
    view.setCellSize(QSizeF(0, -5));
    EXPECT_EQ(view.cellSize(), QSizeF(1, 1));
    EXPECT_EQ(view.gridSize(), QSizeF(1, 1));
    view.setCellSize(QSizeF(60, 40));
    EXPECT_EQ(view.gridSize(), QSizeF(30, 20));
    view.setGridSize(QSizeF(0, 0.2));
    EXPECT_EQ(view.gridSize(), QSizeF(1, 1));
    // A grid of 1 still leaves every loop: clean up, the first free slot and forcing.
    source.items = zdtest::itemsInRow({"a", "b"});
    view.setCellSize(QSizeF(0, 0));
    view.positionAllItems();
    EXPECT_EQ(source.items[1].position, QPointF(9, 8));
    EXPECT_EQ(view.forceRectToGrid(QRectF(-3.5, 2.5, 1, 1)).topLeft(), QPointF(-3, 3));
}

TEST_F(DistributedViewLayout, CleanUpLaysItemsOutInRowsByIndex)
{
    source.items = zdtest::itemsInRow({"a", "b", "c", "d", "e"});
    for (auto& item : source.items)
        item.position = QPointF(500, 500);
    // Layout box 400 wide: four columns of 100.
    view.positionAllItems();
    const QPointF expected[] = {{8, 8}, {108, 8}, {208, 8}, {308, 8}, {8, 108}};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(source.items[i].position, expected[i]) << i;
}

TEST_F(DistributedViewLayout, CleanUpInAViewNarrowerThanACellStacksFromRowOne)
{
    view.setFrameSize(QSizeF(90, 300));
    source.items = zdtest::itemsInRow({"a", "b", "c"});
    view.positionAllItems();
    EXPECT_EQ(source.items[0].position, QPointF(8, 108));
    EXPECT_EQ(source.items[1].position, QPointF(8, 208));
    EXPECT_EQ(source.items[2].position, QPointF(8, 308));
}

TEST_F(DistributedViewLayout, LayoutCommandsNeedADataSourceThatStoresPositions)
{
    source.items = zdtest::itemsInRow({"a", "b"});
    source.items[1].position = QPointF(31, 77);
    source.setsPositions = false;
    view.positionAllItems();
    view.snapAllItemsToGrid();
    EXPECT_EQ(source.items[1].position, QPointF(31, 77));
    auto clean = pf::MenuItem::make(QStringLiteral("clean"), QStringLiteral("positionAllItems:"));
    auto snap = pf::MenuItem::make(QStringLiteral("snap"), QStringLiteral("snapAllItemsToGrid:"));
    EXPECT_FALSE(view.validateMenuItem(*clean));
    EXPECT_FALSE(view.validateMenuItem(*snap));
    source.setsPositions = true;
    EXPECT_TRUE(view.validateMenuItem(*clean));
    view.snapAllItemsToGrid();
    EXPECT_EQ(source.items[1].position, QPointF(8, 58));
}

TEST_F(DistributedViewLayout, MenuValidation)
{
    auto grid = pf::MenuItem::make(QStringLiteral("grid"), QStringLiteral("toggleDrawsGrid:"));
    EXPECT_TRUE(view.validateMenuItem(*grid));
    EXPECT_EQ(grid->state(), pf::ControlState::Off);
    view.toggleDrawsGrid();
    EXPECT_TRUE(view.validateMenuItem(*grid));
    EXPECT_EQ(grid->state(), pf::ControlState::On);
    source.items = zdtest::itemsInRow({"a"});
    auto copy = pf::MenuItem::make(QStringLiteral("copy"), QStringLiteral("copy:"));
    auto none = pf::MenuItem::make(QStringLiteral("none"), QStringLiteral("deselectAll:"));
    EXPECT_FALSE(view.validateMenuItem(*copy));
    EXPECT_FALSE(view.validateMenuItem(*none));
    view.selectItem(0, false);
    EXPECT_TRUE(view.validateMenuItem(*copy));
    EXPECT_TRUE(view.validateMenuItem(*none));
    auto unknown = pf::MenuItem::make(QStringLiteral("unknown"), QStringLiteral("frobnicate:"));
    EXPECT_FALSE(view.validateMenuItem(*unknown));
}

TEST_F(DistributedViewLayout, RescrollMovesTheTopLeftMostItemToTheInset)
{
    source.items = {{"a", {120, 340}}, {"b", {60, 400}}};
    view.rescrollItems();
    EXPECT_EQ(source.items[0].position, QPointF(68, 8));
    EXPECT_EQ(source.items[1].position, QPointF(8, 68));
}

TEST_F(DistributedViewLayout, PositionItemTakesTheFirstFreeSlot)
{
    source.items = {{"a", {8, 8}}, {"b", {58, 8}}, {"new", {900, 900}}};
    view.positionItem(2);
    // Columns step by the grid (50), rows by the cell height: the slots at 8 and 58 meet the
    // boxes of a and b; 108 meets b's box too (58 + 100 > 108); 158 is free.
    EXPECT_EQ(source.items[2].position, QPointF(158, 8));
    EXPECT_EQ(view.lastSuggestedItemPos(), QPointF(3, 0));
    EXPECT_THROW(view.positionItem(3), pf::Exception);
    EXPECT_THROW(view.rectForItemAtIndex(-1), pf::Exception);
}

TEST_F(DistributedViewLayout, SuggestedPositionsInMultiPositioningModeGoOnFromTheLastSlot)
{
    source.items = {{"a", {8, 8}}};
    view.setMultiPositioningMode(true);
    EXPECT_EQ(view.suggestionCache(), QList<int>{0});
    const QPointF first = view.suggestedPosition();
    EXPECT_EQ(first, QPointF(108, 8));
    EXPECT_EQ(view.suggestionCache(), (QList<int>{0, 1}));
    // Asked again before the item is added: the index past the count names no box yet.
    EXPECT_EQ(view.suggestedPosition(), QPointF(108, 8));
    source.items.append({"b", first});
    const QPointF second = view.suggestedPosition();
    EXPECT_EQ(second, QPointF(208, 8));
    source.items.append({"c", second});
    // The layout box is 400 wide: eight columns of 50; a box at 308 is free, then the row ends.
    EXPECT_EQ(view.suggestedPosition(), QPointF(308, 8));
    source.items.append({"d", QPointF(308, 8)});
    EXPECT_EQ(view.suggestedPosition(), QPointF(8, 108));
    view.setMultiPositioningMode(false);
    EXPECT_TRUE(view.suggestionCache().isEmpty());
}

TEST_F(DistributedViewLayout, SuggestedPositionWithoutRoomIsTheInset)
{
    view.setFrameSize(QSizeF(40, 40));
    source.items = {{"a", {8, 8}}};
    EXPECT_EQ(view.suggestedPosition(), QPointF(8, 8));
}

TEST_F(DistributedViewLayout, PositionsByIndexHaveAtLeastOneColumn)
{
    EXPECT_EQ(view.itemPositionBasedOnItemIndex(5), QPointF(108, 108));
    view.setFrameSize(QSizeF(50, 100));
    EXPECT_EQ(view.itemPositionBasedOnItemIndex(2), QPointF(8, 208));
}

TEST_F(DistributedViewLayout, HitTestingPrefersTheLowerIndexAndUsesTheForcedBox)
{
    source.items = {{"a", {8, 8}}, {"b", {58, 58}}};
    EXPECT_EQ(view.getItemIndexAtPoint(QPointF(80, 80)), 0);
    EXPECT_EQ(view.getItemIndexAtPoint(QPointF(150, 150)), 1);
    EXPECT_EQ(view.getItemIndexAtPoint(QPointF(300, 10)), ZDDistributedView::kNotFound);
    EXPECT_EQ(view.getUncachedItemIndexInRect(QRectF(100, 100, 5, 5)), 0);
    EXPECT_EQ(view.getUncachedItemIndexInRect(QRectF(300, 300, 5, 5)), ZDDistributedView::kNotFound);
    // Forced to the grid, the item is hit where it is drawn.
    source.items = {{"a", {33, 34}}};
    view.setForceToGrid(true);
    EXPECT_EQ(view.getItemIndexAtPoint(QPointF(150, 150)), 0);
    EXPECT_EQ(view.getItemIndexAtPoint(QPointF(40, 40)), ZDDistributedView::kNotFound);
}

TEST_F(DistributedViewLayout, VisibleItemsCacheAndItsHitTest)
{
    source.items = {{"a", {8, 8}}, {"b", {58, 58}}, {"c", {400, 400}}};
    view.extendCacheByVisibleItemIndexesInRect(QRectF(0, 0, 300, 300), 0);
    EXPECT_EQ(view.visibleItems(), (QList<int>{0, 1}));
    // The last cached item first.
    EXPECT_EQ(view.getItemIndexInRect(QRectF(80, 80, 4, 4)), 1);
    view.reloadData();
    EXPECT_TRUE(view.visibleItems().isEmpty());
    EXPECT_EQ(view.getItemIndexInRect(QRectF(80, 80, 4, 4)), ZDDistributedView::kNotFound);
}

TEST_F(DistributedViewLayout, BoundingRectanglesAndBestSizes)
{
    EXPECT_EQ(view.bestRect(), QRectF(0, 0, 8, 8));
    view.positionAllItems();
    source.items = {{"a", {20, 30}}, {"b", {200, 60}}};
    EXPECT_EQ(view.bestRect(), QRectF(0, 0, 308, 168));
    EXPECT_EQ(view.bestSize(), QSizeF(296, 146));
    EXPECT_EQ(view.rectEnclosingItemsAtIndexes(pf::IndexSet::range(0, 2)), QRectF(20, 30, 280, 130));
    EXPECT_EQ(view.rectEnclosingItemsAtIndexes(pf::IndexSet()), QRectF());
    EXPECT_EQ(view.rectAroundItems({1}), QRectF(200, 60, 100, 100));
}

TEST_F(DistributedViewLayout, SizeToFitFillsTheScrollViewAtLeast)
{
    auto* scroll = new pf::ScrollView(QRectF(0, 0, 250, 200));
    auto* fitted = new ZDDistributedView(QRectF(0, 0, 10, 10));
    ItemSource items;
    items.items = {{"a", {8, 8}}, {"b", {400, 8}}};
    fitted->setDataSource(&items);
    scroll->setDocumentView(fitted);
    fitted->contentSizeChanged();
    EXPECT_EQ(fitted->frame().size(), QSizeF(508, std::max(116.0, scroll->contentSize().height())));
    fitted->scrollItemToVisible(1);
    EXPECT_GT(scroll->documentVisibleRect().x(), 0);
    const QRectF before = scroll->documentVisibleRect();
    fitted->scrollItemToVisible(2); // equal to the count: ignored
    EXPECT_EQ(scroll->documentVisibleRect(), before);
    fitted->setDataSource(nullptr);
    delete scroll;
}

TEST_F(DistributedViewLayout, ArchiveKeepsGeometryAndFlagsAndRefusesKeyStatus)
{
    view.setCellSize(QSizeF(64, 48));
    view.setContentInset(3);
    view.setForceToGrid(true);
    view.setDrawsGrid(true);
    pf::KeyedArchiver archiver;
    view.encodeWithCoder(archiver);
    pf::KeyedUnarchiver unarchiver(archiver.encodedData());
    ASSERT_TRUE(unarchiver.isValid());
    for (const char* key : {"ZDDVcellSize", "ZDDVgridSize", "ZDDVcontentInset", "ZDDVflags", "ZDDVgridColor"})
        EXPECT_TRUE(unarchiver.containsValueForKey(QString::fromLatin1(key))) << key;
    EXPECT_EQ(unarchiver.decodeBytes(QStringLiteral("ZDDVcellSize")).size(), 16);
    ZDDistributedView decoded;
    decoded.initWithCoder(unarchiver);
    EXPECT_EQ(decoded.cellSize(), QSizeF(64, 48));
    EXPECT_EQ(decoded.gridSize(), QSizeF(32, 24));
    EXPECT_FLOAT_EQ(decoded.contentInset(), 3.0f);
    EXPECT_EQ(decoded.flags(), view.flags());
    EXPECT_TRUE(decoded.forceToGrid());
    EXPECT_TRUE(decoded.prototype());
    EXPECT_FALSE(decoded.acceptsFirstResponder());
    decoded.setCanBecomeKeyView(true);
    EXPECT_TRUE(decoded.acceptsFirstResponder());
}

TEST_F(DistributedViewLayout, SizesAreReadOnlyFromDataOfTheExactLength)
{
    pf::KeyedArchiver archiver;
    const double shortData[1] = {40};
    archiver.encodeBytes(reinterpret_cast<const char*>(shortData), sizeof shortData, QStringLiteral("ZDDVcellSize"));
    const double longData[3] = {10, 20, 30};
    archiver.encodeBytes(reinterpret_cast<const char*>(longData), sizeof longData, QStringLiteral("ZDDVgridSize"));
    archiver.encodeInt32(0, QStringLiteral("ZDDVflags"));
    pf::KeyedUnarchiver unarchiver(archiver.encodedData());
    ZDDistributedView decoded;
    decoded.initWithCoder(unarchiver);
    EXPECT_EQ(decoded.cellSize(), QSizeF(100, 100));
    EXPECT_EQ(decoded.gridSize(), QSizeF(50, 50));
}

} // namespace
