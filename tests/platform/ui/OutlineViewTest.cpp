// Outlines: expansion by item and its autosave, group rows, row drags with retargeted drops,
// items inserted, removed and moved in place, and the view-based rows of the layers panel.
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AnimationContext.h"
#include "platform/ui/Animator.h"
#include "platform/ui/OutlineView.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/TableCellView.h"
#include "platform/ui/TableItemModel.h"
#include "platform/ui/TableRowView.h"
#include "platform/ui/TableTreeWidget.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMouseEvent>

using namespace pf;

namespace {

const QString kRowType = QStringLiteral("kVNQLLayerDragPasteboardType");

// Items are paths: "A", "A/1", "A/1/x".
class Tree : public OutlineViewDataSource, public OutlineViewDelegate {
public:
    QMap<QString, QStringList> children{{"", {"A", "B", "C"}}, {"A", {"A/1", "A/2"}}, {"A/2", {"A/2/x"}}, {"B", {"B/1"}}};
    QStringList groups;
    QVariantList dragged;
    QVariant proposedItem;
    int proposedIndex = -2;
    QVariant acceptedItem;
    int acceptedIndex = -2;
    bool retargetOntoChildZero = true;
    int viewsMade = 0;
    int countsAsked = 0;
    double compactHeight = 0;

    int numberOfChildrenOfItem(OutlineView&, const QVariant& item) override
    {
        ++countsAsked;
        return int(children.value(item.toString()).size());
    }
    QVariant child(OutlineView&, int index, const QVariant& item) override { return children.value(item.toString()).value(index); }
    bool isItemExpandable(OutlineView&, const QVariant& item) override { return children.contains(item.toString()); }
    QVariant objectValueForTableColumn(OutlineView&, TableColumn*, const QVariant& item) override { return item; }
    QVariant persistentObjectForItem(OutlineView&, const QVariant& item) override { return "id:" + item.toString(); }
    QVariant itemForPersistentObject(OutlineView&, const QVariant& object) override { return object.toString().mid(3); }
    bool isGroupItem(OutlineView&, const QVariant& item) override { return groups.contains(item.toString()); }

    bool writeItems(OutlineView&, const QVariantList& items, Pasteboard& pasteboard) override
    {
        dragged = items;
        pasteboard.declareTypes({kRowType});
        return true;
    }
    unsigned validateDrop(OutlineView& outline, const DraggingInfo& info, const QVariant& item, int childIndex) override
    {
        proposedItem = item;
        proposedIndex = childIndex;
        if (info.draggingPasteboard()->availableTypeFromArray({kRowType}).isEmpty())
            return DragOperationNone;
        if (childIndex == -1 && retargetOntoChildZero)
            outline.setDropItem(item, 0); // onto an item means above its first child
        return DragOperationGeneric;
    }
    bool acceptDrop(OutlineView&, const DraggingInfo&, const QVariant& item, int childIndex) override
    {
        acceptedItem = item;
        acceptedIndex = childIndex;
        return true;
    }
    View* viewForTableColumn(OutlineView& outline, TableColumn* column, const QVariant& item) override
    {
        View* view = outline.makeViewWithIdentifier(column->identifier());
        if (auto* cell = qobject_cast<TableCellView*>(view))
            cell->setObjectValue(item);
        return view;
    }
    double heightOfRowByItem(OutlineView&, const QVariant& item) override
    {
        if (compactHeight > 0)
            return compactHeight;
        return item.toString().contains('/') ? 30 : 50;
    }
};

QStringList shownRows(OutlineView& outline)
{
    QStringList rows;
    for (int row = 0; row < outline.numberOfRows(); ++row)
        rows << outline.itemAtRow(row).toString();
    return rows;
}

QStringList selectedItems(OutlineView& outline)
{
    QStringList items;
    outline.selectedRowIndexes().forEach([&](qint64 row) { items << outline.itemAtRow(int(row)).toString(); });
    return items;
}

// The rows as the rows widget shows them.
QStringList widgetRows(OutlineView& outline)
{
    QStringList rows;
    for (int row = 0; row < outline.numberOfRows(); ++row)
        rows << outline.rowWidget()->itemModel().indexForRow(row, 0).data().toString();
    return rows;
}

class OutlineFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(300, 400);
        outline = makeOutline();
        window.show();
    }
    OutlineView* makeOutline()
    {
        auto* view = new OutlineView(&window);
        view->setFrame(QRectF(0, 0, 300, 400));
        view->addTableColumn(TableColumn::make("Layers_Main"));
        view->setDelegate(&tree);
        return view;
    }
    // A Qt point of the outline widget at a point in the outline's coordinates.
    QPoint widgetPoint(OutlineView* view, QPointF point)
    {
        return view->boundsToWidgetTransform().map(point).toPoint();
    }

    Tree tree; // outlives the outlines, which ask it until they go
    QWidget window;
    OutlineView* outline = nullptr;
};

struct HookReset {
    ~HookReset() { DraggingSession::setExecHookForTesting({}); }
};

} // namespace

TEST_F(OutlineFixture, ExpandingAndCollapsingShowsChildrenAndKeepsTheirState)
{
    outline->setDataSource(&tree);
    EXPECT_EQ(shownRows(*outline), (QStringList{"A", "B", "C"}));
    outline->expandItem("A");
    EXPECT_EQ(shownRows(*outline), (QStringList{"A", "A/1", "A/2", "B", "C"}));
    EXPECT_EQ(outline->levelForRow(2), 1);
    EXPECT_EQ(outline->parentForItem("A/2").toString(), "A");
    outline->expandItem("A/2");
    outline->selectRowIndexes(IndexSet(outline->rowForItem("B")), false);
    outline->collapseItem("A");
    EXPECT_EQ(shownRows(*outline), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(outline->selectedRow(), 1); // the selected item moved up with its row
    EXPECT_EQ(outline->rowForItem("A/2/x"), -1);
    outline->expandItem("A");
    EXPECT_EQ(outline->rowForItem("A/2/x"), 3); // the child kept its own expansion
    // Expanding children too, and the widget showing the same rows.
    outline->expandItem(QVariant(), true);
    EXPECT_EQ(shownRows(*outline), (QStringList{"A", "A/1", "A/2", "A/2/x", "B", "B/1", "C"}));
    EXPECT_TRUE(outline->rowWidget()->isExpanded(outline->rowWidget()->itemModel().indexForRow(4, 0)));
    // C has no children and does not expand.
    outline->expandItem("C");
    EXPECT_FALSE(outline->isItemExpanded("C"));
}

TEST_F(OutlineFixture, ExpandedItemsAreAutosavedAndRestoredByPersistentObject)
{
    const QString key = OutlineView::autosaveKey("Library");
    EXPECT_EQ(key, "NSOutlineView Items Library");
    outline->setAutosaveName("Library");
    outline->setAutosaveExpandedItems(true);
    outline->setDataSource(&tree);
    outline->expandItem("A");
    outline->expandItem("A/2");
    outline->expandItem("B");
    outline->collapseItem("B");
    EXPECT_EQ(UserDefaults::standard().arrayForKey(key), (QVariantList{"id:A", "id:A/2"}));

    OutlineView* second = makeOutline();
    second->setAutosaveName("Library");
    second->setAutosaveExpandedItems(true);
    second->setDataSource(&tree);
    EXPECT_EQ(shownRows(*second), (QStringList{"A", "A/1", "A/2", "A/2/x", "B", "C"}));

    // Without autosave nothing is written or read.
    UserDefaults::standard().removeObjectForKey(key);
    OutlineView* third = makeOutline();
    third->setAutosaveName("Library");
    third->setDataSource(&tree);
    third->expandItem("A");
    EXPECT_TRUE(UserDefaults::standard().arrayForKey(key).isEmpty());
}

TEST_F(OutlineFixture, GroupRowsCannotBeSelected)
{
    tree.groups = {"A", "B"};
    outline->setAllowsMultipleSelection(true);
    outline->setDataSource(&tree);
    outline->expandItem("A");
    TableTreeWidget* widget = outline->rowWidget();
    const auto clickRow = [&](int row) {
        const QPoint at = widget->visualRect(widget->itemModel().indexForRow(row, 0)).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, widget->viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget->viewport(), &press);
    };
    clickRow(1);
    EXPECT_EQ(outline->selectedRow(), 1);
    clickRow(0);
    EXPECT_EQ(outline->selectedRow(), 1);
    EXPECT_FALSE(widget->itemModel().flags(widget->itemModel().indexForRow(0, 0)) & Qt::ItemIsSelectable);
    IndexSet all = IndexSet::range(0, outline->numberOfRows());
    outline->selectRowIndexes(all, false);
    EXPECT_FALSE(outline->isRowSelected(0));
    EXPECT_FALSE(outline->isRowSelected(outline->rowForItem("B")));
    EXPECT_EQ(outline->numberOfSelectedRows(), 3);
}

TEST_F(OutlineFixture, DraggedRowsGoToThePasteboardAndDropsLandWhereTheDataSourceRetargets)
{
    HookReset reset;
    outline->setDataSource(&tree);
    outline->expandItem("A");
    outline->registerForDraggedTypes({kRowType});
    outline->setDraggingSourceOperationMask(DragOperationGeneric, true);

    const auto dropAt = [&](QPointF point) {
        DraggingSession::setExecHookForTesting([=, this](QDrag& drag, Qt::DropActions supported) {
            const QPoint at = widgetPoint(outline, point);
            QDragEnterEvent enter(at, supported, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(outline, &enter);
            QDropEvent drop(QPointF(at), supported, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(outline, &drop);
            return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
        });
        return outline->dragRows(IndexSet(outline->rowForItem("A/1")), Event());
    };

    // Onto the middle of B: proposed onto B, retargeted above B's first child.
    const QRectF b = outline->rectOfRow(outline->rowForItem("B"));
    EXPECT_EQ(dropAt(b.center()), unsigned(DragOperationGeneric));
    EXPECT_EQ(tree.dragged, (QVariantList{"A/1"}));
    EXPECT_EQ(tree.proposedItem.toString(), "B");
    EXPECT_EQ(tree.proposedIndex, -1);
    EXPECT_EQ(tree.acceptedItem.toString(), "B");
    EXPECT_EQ(tree.acceptedIndex, 0);

    // The top edge of A/2 proposes the gap before it in A.
    const QRectF a2 = outline->rectOfRow(outline->rowForItem("A/2"));
    dropAt(QPointF(a2.center().x(), a2.top() + 2));
    EXPECT_EQ(tree.acceptedItem.toString(), "A");
    EXPECT_EQ(tree.acceptedIndex, 1);
    // The bottom edge of C (the last row) proposes the end of the root.
    const QRectF c = outline->rectOfRow(outline->rowForItem("C"));
    dropAt(QPointF(c.center().x(), c.bottom() - 1));
    EXPECT_FALSE(tree.acceptedItem.isValid());
    EXPECT_EQ(tree.acceptedIndex, 3);
    EXPECT_EQ(outline->dropHighlightRow(), -1); // no feedback once the drop is done
}

TEST_F(OutlineFixture, ViewBasedRowsHoldCellViewsMadeByIdentifierAndRecycleThem)
{
    outline->setViewBased(true);
    outline->registerViewFactory("Layers_Main", [this] {
        ++tree.viewsMade;
        return new TableCellView;
    });
    for (int i = 0; i < 30; ++i)
        tree.children["C"] << QStringLiteral("C/%1").arg(i);
    outline->setDataSource(&tree);
    outline->expandItem("C");
    // Rows of 50 for A, B, C and 30 for each child: the rows in 400 points are made, no more.
    EXPECT_EQ(outline->rectOfRow(3), QRectF(0, 150, 300, 30));
    ASSERT_NE(outline->rowViewAtRow(0, false), nullptr);
    EXPECT_EQ(outline->rowViewAtRow(20, false), nullptr);
    const int shown = tree.viewsMade;
    EXPECT_LE(shown, 12);
    auto* cell = qobject_cast<TableCellView*>(outline->viewAtColumn(0, 3, false));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->objectValue().toString(), "C/0");
    EXPECT_EQ(outline->rowForView(cell), 3);
    EXPECT_EQ(cell->frame().height(), 30);

    outline->scrollRowToVisible(32);
    EXPECT_NE(outline->rowViewAtRow(32, false), nullptr);
    EXPECT_EQ(outline->rowViewAtRow(0, false), nullptr);
    EXPECT_LE(tree.viewsMade, shown + 2); // the rows that left gave their cells to the new ones
    EXPECT_EQ(qobject_cast<TableCellView*>(outline->viewAtColumn(0, 32, false))->objectValue().toString(), "C/29");

    // A made-if-necessary row outside the sight.
    EXPECT_NE(outline->viewAtColumn(0, 1, true), nullptr);

    // Selection shows on the row views; an insertion shows once the updates end.
    outline->selectRowIndexes(IndexSet(32), false);
    EXPECT_TRUE(outline->rowViewAtRow(32, false)->isSelected());
    outline->beginUpdates();
    tree.children["C"].append("C/new");
    outline->insertItemsAtIndexes(IndexSet(30), "C");
    outline->endUpdates();
    EXPECT_EQ(outline->itemAtRow(33).toString(), "C/new");
    EXPECT_EQ(outline->selectedRow(), 32);
    int available = 0;
    outline->enumerateAvailableRowViews([&](TableRowView* view, int row) {
        ++available;
        EXPECT_EQ(view->isSelected(), row == 32);
    });
    EXPECT_GT(available, 0);
}

TEST_F(OutlineFixture, GrandchildrenStayExpandedWhenAClosedItemReloadsItsChildren)
{
    outline->setDataSource(&tree);
    outline->expandItem("A");
    outline->expandItem("A/2");
    outline->collapseItem("A");
    outline->reloadItem("A", true);
    outline->expandItem("A");
    EXPECT_EQ(shownRows(*outline), (QStringList{"A", "A/1", "A/2", "A/2/x", "B", "C"}));
    // And again, through a reload of everything while A is closed.
    outline->collapseItem("A");
    outline->reloadData();
    outline->reloadItem("A", true);
    outline->expandItem("A");
    EXPECT_TRUE(outline->isItemExpanded("A/2"));
}

TEST_F(OutlineFixture, InsertedRemovedAndMovedItemsKeepTheSelectionOnTheSameItems)
{
    outline->setAllowsMultipleSelection(true);
    outline->setDataSource(&tree);
    outline->expandItem("A");
    outline->expandItem("B");
    IndexSet selection(outline->rowForItem("A/2"));
    selection.add(outline->rowForItem("B"));
    outline->selectRowIndexes(selection, false);
    const int counts = tree.countsAsked;

    tree.children["A"].insert(0, "A/0");
    outline->insertItemsAtIndexes(IndexSet(0), "A");
    EXPECT_EQ(shownRows(*outline), (QStringList{"A", "A/0", "A/1", "A/2", "B", "B/1", "C"}));
    EXPECT_EQ(selectedItems(*outline), (QStringList{"A/2", "B"}));

    tree.children["A"].removeAt(1);
    outline->removeItemsAtIndexes(IndexSet(1), "A");
    EXPECT_EQ(shownRows(*outline), (QStringList{"A", "A/0", "A/2", "B", "B/1", "C"}));
    EXPECT_EQ(selectedItems(*outline), (QStringList{"A/2", "B"}));

    // B moves into A, first, taking its open children along.
    tree.children[""].removeAt(1);
    tree.children["A"].insert(0, "B");
    outline->moveItemAtIndex(1, QVariant(), 0, "A");
    EXPECT_EQ(shownRows(*outline), (QStringList{"A", "B", "B/1", "A/0", "A/2", "C"}));
    EXPECT_EQ(outline->levelForItem("B/1"), 2);
    EXPECT_EQ(outline->parentForItem("B").toString(), "A");
    EXPECT_EQ(selectedItems(*outline), (QStringList{"B", "A/2"}));
    EXPECT_EQ(widgetRows(*outline), shownRows(*outline));
    EXPECT_EQ(tree.countsAsked, counts); // spliced, not asked for again

    // Removing a selected item leaves it out of the selection.
    tree.children["A"].removeAt(2);
    outline->removeItemsAtIndexes(IndexSet(2), "A");
    EXPECT_EQ(selectedItems(*outline), (QStringList{"B"}));
    EXPECT_EQ(widgetRows(*outline), shownRows(*outline));
}

TEST_F(OutlineFixture, ViewBasedRowsFadeWhenRemovedAndChangeHeightThroughTheAnimator)
{
    outline->setViewBased(true);
    outline->registerViewFactory("Layers_Main", [] { return new TableCellView; });
    outline->setDataSource(&tree);
    outline->expandItem("A");
    QPointer<TableRowView> leaving = outline->rowViewAtRow(outline->rowForItem("A/1"), false);
    TableRowView* staying = outline->rowViewAtRow(outline->rowForItem("A/2"), false);
    ASSERT_TRUE(leaving && staying);
    const QRectF leavingFrame = leaving->frame();

    tree.children["A"].removeAt(0);
    outline->removeItemsAtIndexes(IndexSet(0), "A");
    EXPECT_EQ(outline->rowViewAtRow(1, false), staying);
    EXPECT_TRUE(Animator::isAnimating(leaving, "alphaValue"));
    EXPECT_TRUE(Animator::isAnimating(staying, "frameOrigin")); // sliding up into the gap
    EXPECT_EQ(outline->rectOfRow(1), leavingFrame);
    EXPECT_TRUE(quillory::test::waitUntil([&] { return leaving.isNull(); }));
    EXPECT_EQ(staying->frame(), outline->rectOfRow(1));

    // Heights told to change grow or shrink the row views over the group's time.
    tree.compactHeight = 20;
    TableRowView* first = outline->rowViewAtRow(0, false);
    outline->noteHeightOfRowsWithIndexesChanged(IndexSet::range(0, outline->numberOfRows()));
    EXPECT_TRUE(Animator::isAnimating(first, "frameSize"));
    tree.compactHeight = 24;
    AnimationContext::runAnimationGroup(0, [&] {
        outline->noteHeightOfRowsWithIndexesChanged(IndexSet::range(0, outline->numberOfRows()));
    });
    EXPECT_FALSE(Animator::isAnimating(first, "frameSize"));
    EXPECT_EQ(first->frame().height(), 24);
    EXPECT_EQ(outline->rowViewAtRow(1, false)->frame(), QRectF(0, 24, 300, 24));
}

TEST_F(OutlineFixture, AnOutlineBeingDestroyedAsksItsDataSourceNothing)
{
    outline->setViewBased(true);
    outline->registerViewFactory("Layers_Main", [] { return new TableCellView; });
    outline->setDataSource(&tree);
    outline->expandItem("A");
    const int counts = tree.countsAsked;
    const int made = tree.viewsMade;
    delete outline;
    outline = nullptr;
    EXPECT_EQ(tree.countsAsked, counts);
    EXPECT_EQ(tree.viewsMade, made);
}
