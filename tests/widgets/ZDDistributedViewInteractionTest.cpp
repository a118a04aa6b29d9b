#include "DistributedViewFixture.h"
#include "WidgetTestSupport.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/DraggingSession.h"
#include "platform/ui/FieldEditor.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ScrollView.h"
#include "widgets/RVLabelledIconCell.h"

#include <QApplication>
#include <QDrag>
#include <QTimer>

#include <gtest/gtest.h>

using zdtest::ItemSource;

namespace {

// A view whose type-ahead clock the test moves.
class ClockedView : public ZDDistributedView {
public:
    using ZDDistributedView::ZDDistributedView;
    double now = 1000;
    double currentTime() const override { return now; }
};

class RecordingDelegate : public ZDDistributedViewDelegate {
public:
    std::optional<pf::IndexSet> proposal;
    bool answersWholeSelection = true;
    QList<pf::IndexSet> selections;
    QList<int> singleSelections;
    QList<int> clicked;
    QList<int> doubleClicked;
    int lookupAnswer = -2; // -2: use the default

    std::optional<pf::IndexSet> proposedSelectionAtIndexes(ZDDistributedView&, const pf::IndexSet& p) override
    {
        return proposal;
    }
    bool didSelectItemsAtIndexes(ZDDistributedView&, const pf::IndexSet& s) override
    {
        selections.append(s);
        return answersWholeSelection;
    }
    void didSelectItemIndex(ZDDistributedView&, int index) override { singleSelections.append(index); }
    void cellClickedAtItemIndex(ZDDistributedView&, int index) override { clicked.append(index); }
    void cellDoubleClickedAtItemIndex(ZDDistributedView&, int index) override { doubleClicked.append(index); }
    int itemIndexForString(ZDDistributedView& view, const QString& s, unsigned options) override
    {
        return lookupAnswer == -2 ? ZDDistributedViewDelegate::itemIndexForString(view, s, options) : lookupAnswer;
    }
};

class DistributedViewInteraction : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.setSizeToFit(false);
        view.setDataSource(&source);
        view.setPrototype(std::make_shared<pf::Cell>());
        // Two rows of three.
        source.items = {{"apple", {8, 8}},     {"banana", {108, 8}}, {"blueberry", {208, 8}},
                        {"cherry", {8, 108}},  {"date", {108, 108}}, {"elder", {208, 108}}};
        token = pf::NotificationCenter::defaultCenter().addObserver(ZDDistributedViewSelectionDidChangeNotification,
                                                                    &view, [this](const pf::Notification&) { ++posts; });
    }
    void TearDown() override
    {
        pf::NotificationCenter::defaultCenter().removeObserver(token);
        EXPECT_EQ(source.outOfRangeRequests, 0);
    }

    pf::Event at(int type, QPointF point, unsigned flags = 0, int clicks = 1)
    {
        return widgettest::mouse(type, view.convertPointToView(point, nullptr), flags, pf::Event::now(), clicks);
    }
    void click(QPointF point, unsigned flags = 0, int clicks = 1)
    {
        view.mouseDown(at(pf::LeftMouseDown, point, flags, clicks));
        view.mouseUp(at(pf::LeftMouseUp, point, flags, clicks));
    }
    QList<qint64> selection() const { return view.selectedItemIndexes().toList(); }

    ClockedView view{QRectF(0, 0, 416, 300)};
    ItemSource source;
    quint64 token = 0;
    int posts = 0;
};

TEST_F(DistributedViewInteraction, ClickShiftClickAndEmptySpace)
{
    const struct {
        QPointF point;
        unsigned flags;
        QList<qint64> selected;
    } steps[] = {
        {{50, 50}, 0, {0}},
        {{150, 50}, pf::ShiftKeyMask, {0, 1}},
        {{250, 150}, pf::ShiftKeyMask, {0, 1, 5}},
        {{150, 50}, pf::ShiftKeyMask, {0, 5}},  // Shift-click on a selected item deselects it
        {{350, 280}, pf::ShiftKeyMask, {0, 5}}, // empty space with Shift keeps the selection
        {{50, 50}, 0, {0}},                     // a plain click on a member leaves only it
        {{350, 280}, 0, {}},
    };
    for (const auto& step : steps) {
        click(step.point, step.flags);
        EXPECT_EQ(selection(), step.selected) << step.point.x() << "," << step.point.y();
    }
    EXPECT_EQ(posts, 6); // the Shift-click in empty space changes nothing
}

TEST_F(DistributedViewInteraction, RubberBandSelectsWhatItTouchesAndShiftAdds)
{
    view.mouseDown(at(pf::LeftMouseDown, {330, 250}));
    view.mouseDragged(at(pf::LeftMouseDragged, {180, 120}));
    EXPECT_EQ(selection(), (QList<qint64>{4, 5}));
    EXPECT_EQ(view.selectionRect(), QRectF(180, 120, 150, 130));
    view.mouseUp(at(pf::LeftMouseUp, {180, 120}));
    EXPECT_TRUE(view.selectionRect().isEmpty());
    EXPECT_FALSE(view.isAutoscrolling());
    view.mouseDown(at(pf::LeftMouseDown, {330, 10}, pf::ShiftKeyMask));
    view.mouseDragged(at(pf::LeftMouseDragged, {30, 12}, pf::ShiftKeyMask));
    view.mouseUp(at(pf::LeftMouseUp, {30, 12}, pf::ShiftKeyMask));
    EXPECT_EQ(selection(), (QList<qint64>{0, 1, 2, 4, 5}));
}

TEST_F(DistributedViewInteraction, OnlyOneAutoscrollTimerRunsAtATime)
{
    view.mouseDown(at(pf::LeftMouseDown, {350, 280}));
    view.mouseDown(at(pf::LeftMouseDown, {360, 280}));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int running = 0;
    for (QTimer* timer : view.findChildren<QTimer*>())
        running += timer->isActive() ? 1 : 0;
    EXPECT_EQ(running, 1);
    view.mouseUp(at(pf::LeftMouseUp, {360, 280}));
    EXPECT_FALSE(view.isAutoscrolling());
}

TEST_F(DistributedViewInteraction, DelegateShapesAndHearsTheSelection)
{
    RecordingDelegate delegate;
    view.setDelegate(&delegate);
    delegate.proposal = pf::IndexSet(3);
    view.selectItem(1, false);
    EXPECT_EQ(selection(), QList<qint64>{3});
    delegate.proposal = pf::IndexSet(); // an empty answer cancels
    view.selectItem(2, false);
    EXPECT_EQ(selection(), QList<qint64>{3});
    delegate.proposal.reset();
    delegate.answersWholeSelection = false;
    view.selectItemsInRange(4, 2, true);
    EXPECT_EQ(selection(), (QList<qint64>{3, 4, 5}));
    EXPECT_EQ(delegate.singleSelections.last(), 4);
    view.deselectItem(4);
    EXPECT_EQ(delegate.singleSelections.last(), -1);
    click({50, 50});
    EXPECT_EQ(delegate.clicked, QList<int>{0});
    click({150, 50}, 0, 2);
    EXPECT_EQ(delegate.doubleClicked, QList<int>{1});
    view.setDelegate(nullptr);
}

TEST_F(DistributedViewInteraction, SelectionSwitches)
{
    view.selectItemsAtIndexes(pf::IndexSet(3), false);
    view.selectItemsAtIndexes(pf::IndexSet(5), true);
    view.setAllowsMultipleSelection(false);
    EXPECT_EQ(selection(), QList<qint64>{3});
    view.selectItemsInRange(0, 3, true);
    EXPECT_EQ(selection(), QList<qint64>{0});
    view.setAllowsMultipleSelection(true);
    view.deselectAll();
    view.setAllowsEmptySelection(false);
    EXPECT_EQ(selection(), QList<qint64>{0});
    view.selectItem(-1, false); // no item: refused while empty selection is not allowed
    EXPECT_EQ(selection(), QList<qint64>{0});
    EXPECT_FALSE(view.useSelectionRect());
    view.setUseSelectionRect(true);
    EXPECT_TRUE(view.allowsEmptySelection());
    EXPECT_TRUE(view.useSelectionRect());
    view.selectAll();
    EXPECT_EQ(view.selectedItemCount(), 6);
    view.selectItemsAtIndexes(pf::IndexSet::range(4, 10), false); // nothing past the count
    EXPECT_EQ(selection(), (QList<qint64>{4, 5}));
    source.items.removeLast();
    view.reloadData();
    EXPECT_EQ(selection(), QList<qint64>{4});

    const struct {
        double asked;
        double stored;
    } delays[] = {{5, 2.0}, {-1, 0.0}, {0.5, 0.5}};
    for (const auto& d : delays) {
        view.setDragDelay(d.asked);
        EXPECT_DOUBLE_EQ(view.dragDelay(), d.stored);
    }
}

TEST_F(DistributedViewInteraction, TypeAheadTable)
{
    const struct {
        QString typed;
        double wait;
        QString buffer;
        QList<qint64> selected;
    } steps[] = {
        {"b", 0, "b", {1}},          {"l", 0.5, "bl", {2}},  {"c", 0.9, "c", {3}},
        {"D", 0.1, "cD", {3}},       {"a", 2, "a", {0}},     {"bz", 1, "bz", {3}}, // "cherry" is the first at or after "bz"
        {"zz", 1, "zz", {}},         // nothing: -1, which clears the selection
    };
    for (const auto& step : steps) {
        view.now += step.wait;
        view.insertText(step.typed);
        EXPECT_EQ(view.typeAheadString(), step.buffer);
        EXPECT_EQ(selection(), step.selected) << qPrintable(step.buffer);
    }
}

TEST_F(DistributedViewInteraction, TypeAheadAsksTheDelegateAndFallsBackWithoutOne)
{
    RecordingDelegate delegate;
    delegate.lookupAnswer = 5;
    view.setDelegate(&delegate);
    view.insertText(QStringLiteral("a"));
    EXPECT_EQ(selection(), QList<qint64>{5});
    delegate.lookupAnswer = ZDDistributedView::kNotFound;
    view.now += 1;
    view.insertText(QStringLiteral("b"));
    EXPECT_EQ(selection(), QList<qint64>{5});
    view.setDelegate(nullptr);
    view.now += 1;
    view.insertText(QStringLiteral("ch"));
    EXPECT_EQ(selection(), QList<qint64>{3});
    view.selectItemContainingString(QStringLiteral("DAT"));
    EXPECT_EQ(selection(), QList<qint64>{4});
}

TEST_F(DistributedViewInteraction, ArrowKeysAndTabsMoveBetweenNeighbours)
{
    const struct {
        const char* command;
        QList<qint64> selected;
    } steps[] = {
        {"moveRight:", {1}}, {"moveRight:", {2}}, {"moveRight:", {2}}, {"moveDown:", {5}},
        {"moveLeft:", {4}},  {"moveUp:", {1}},    {"insertTab:", {2}}, {"insertBacktab:", {1}},
        {"insertBacktab:", {0}}, {"insertBacktab:", {5}}, {"insertTab:", {0}},
    };
    for (const auto& step : steps) {
        EXPECT_TRUE(view.doCommandBySelector(QString::fromLatin1(step.command))) << step.command;
        EXPECT_EQ(selection(), step.selected) << step.command;
    }
    view.deselectAll();
    view.moveLeft();
    EXPECT_EQ(selection(), QList<qint64>{4}); // from the last item
    source.items.clear();
    view.reloadData();
    view.moveRight();
    EXPECT_TRUE(selection().isEmpty());
}

TEST_F(DistributedViewInteraction, InPlaceRenamingAndAReloadThatEndsIt)
{
    auto cell = std::make_shared<RVLabelledIconCell>();
    cell->setEditable(true);
    view.setPrototype(cell);
    view.resize(416, 300);
    view.show();
    const QRectF title = cell->titleRectForBounds(QRectF(108, 8, 100, 100));
    view.mouseDown(at(pf::LeftMouseDown, title.center(), 0, 2));
    ASSERT_EQ(view.editedItem(), 1);
    pf::FieldEditor* editor = pf::FieldEditor::forWindow(view.window(), false);
    ASSERT_TRUE(editor && editor->isEditing());
    editor->setText(QStringLiteral("plantain"));
    editor->endEditing(pf::TextMovement::Return);
    EXPECT_EQ(view.editedItem(), -1);
    EXPECT_EQ(source.items[1].title, QStringLiteral("plantain"));

    // A reload while editing: the index may name another item now, so nothing is renamed.
    view.editItemIndex(2, nullptr, true);
    ASSERT_EQ(view.editedItem(), 2);
    editor->setText(QStringLiteral("typed"));
    source.items.removeFirst();
    view.reloadData();
    EXPECT_EQ(view.editedItem(), -1);
    EXPECT_FALSE(editor->isEditing());
    EXPECT_EQ(source.renamed, QList<int>{1});

    // Escape keeps the old title.
    view.editItemIndex(0, nullptr, true);
    editor->setText(QStringLiteral("typed"));
    editor->endEditing(pf::TextMovement::Cancel);
    EXPECT_EQ(source.renamed, QList<int>{1});
    EXPECT_THROW(view.editItemIndex(9, nullptr, true), pf::Exception);
}

TEST_F(DistributedViewInteraction, PositionsOnThePasteboardAreReadOnlyFromWholeEntries)
{
    auto pasteboard = pf::Pasteboard::withName(QStringLiteral("zd-test-positions"));
    pasteboard->clearContents();
    view.addPositionsOfItems({1, 4}, *pasteboard);
    QVariantList entries = pasteboard->propertyListForType(ZDDistributedViewPositionsPboardType).toList();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].toByteArray().size(), 16);
    const QPointF origin = view.convertPointToView(QPointF(0, 0), nullptr);
    EXPECT_EQ(view.positionsOfItemsOnPasteboard(*pasteboard, origin), (QList<QPointF>{{108, 8}, {108, 108}}));
    entries.insert(1, QByteArray(8, '\0'));
    entries.append(QByteArray(24, '\0'));
    entries.append(QStringLiteral("0123456789abcdef"));
    pasteboard->setPropertyList(entries, ZDDistributedViewPositionsPboardType);
    EXPECT_EQ(view.positionsOfItemsOnPasteboard(*pasteboard, origin), (QList<QPointF>{{108, 8}, {108, 108}}));
    view.setSnapToGrid(true);
    entries = {QByteArray(16, '\0')};
    pasteboard->setPropertyList(entries, ZDDistributedViewPositionsPboardType);
    EXPECT_EQ(view.positionsOfItemsOnPasteboard(*pasteboard, origin + QPointF(40, -40)),
              QList<QPointF>{QPointF(58, 58)});
}

TEST_F(DistributedViewInteraction, DraggingOutWritesTheSelectionWithABadgedImage)
{
    view.resize(416, 300);
    unsigned offered = 0;
    QImage dragged;
    pf::DraggingSession::setExecHookForTesting([&](QDrag& drag, Qt::DropActions actions) {
        offered = unsigned(actions);
        dragged = drag.pixmap().toImage();
        return Qt::IgnoreAction;
    });
    view.selectItemsInRange(0, 2, false);
    view.mouseDown(at(pf::LeftMouseDown, {50, 50}));
    view.mouseDragged(at(pf::LeftMouseDragged, {60, 60}));
    pf::DraggingSession::setExecHookForTesting(nullptr);
    EXPECT_EQ(source.writeCount, 1);
    EXPECT_EQ(pf::Pasteboard::drag()->stringForType(pf::NSPasteboardTypeString), QStringLiteral("apple,banana"));
    ASSERT_FALSE(dragged.isNull());
    EXPECT_EQ(view.dragStartImagePos(), QPointF(8, 108));
    // The badge sits at the top-left corner of the first item.
    EXPECT_GT(qAlpha(dragged.pixel(dragged.width() * 11 / 200, dragged.height() * 11 / 100)), 200);
    EXPECT_TRUE(offered & Qt::CopyAction);

    // Drags wait for the drag delay and never start on an unselected item.
    view.setDragDelay(1.0);
    view.mouseDown(at(pf::LeftMouseDown, {50, 50}));
    view.mouseDragged(at(pf::LeftMouseDragged, {60, 60}));
    EXPECT_EQ(source.writeCount, 1);
}

TEST_F(DistributedViewInteraction, TheBadgeHasAPlaceWhenNoItemIsDrawnWhole)
{
    auto* scroll = new pf::ScrollView(QRectF(0, 0, 150, 150));
    auto* inner = new ZDDistributedView(QRectF(0, 0, 416, 300));
    inner->setSizeToFit(false);
    inner->setDataSource(&source);
    inner->setPrototype(std::make_shared<pf::Cell>());
    scroll->setDocumentView(inner);
    // Item 1 (108...208) sticks out of the visible 150 points: it is not drawn, the badge is.
    QPointF offset;
    pf::Ref<pf::Image> image = inner->dragImageForVisibleItemsAtIndexes(pf::IndexSet(1), {}, &offset);
    ASSERT_TRUE(image);
    const QImage bitmap = image->bitmap();
    EXPECT_GT(qAlpha(bitmap.pixel(bitmap.width() * 11 / 42, bitmap.height() * 11 / 100)), 0);
    inner->setDataSource(nullptr);
    delete scroll;
}

// Drops: validation, highlight and acceptance.
class DropSource : public ItemSource {
public:
    unsigned answer = pf::DragOperationCopy;
    int accepted = -5;
    unsigned validateDrop(ZDDistributedView&, const pf::DraggingInfo&, int* proposed) override
    {
        return answer;
    }
    bool acceptDrop(ZDDistributedView&, const pf::DraggingInfo&, int item) override
    {
        accepted = item;
        return true;
    }
};

TEST_F(DistributedViewInteraction, DropsAreValidatedHighlightedAndAccepted)
{
    DropSource drops;
    drops.items = source.items;
    view.setDataSource(&drops);
    auto pasteboard = pf::Pasteboard::withName(QStringLiteral("zd-test-drop"));
    const pf::DraggingInfo onBanana(pasteboard, nullptr, pf::DragOperationCopy,
                                    view.convertPointToView(QPointF(150, 50), nullptr), nullptr, 1);
    drops.answer = pf::DragOperationNone;
    EXPECT_EQ(view.draggingEntered(onBanana), pf::DragOperationNone);
    EXPECT_FALSE(view.runtimeFlags() & ZDDistributedView::DrawDropHilite);
    drops.answer = pf::DragOperationCopy;
    EXPECT_EQ(view.draggingEntered(onBanana), pf::DragOperationCopy);
    EXPECT_TRUE(view.runtimeFlags() & ZDDistributedView::DrawDropHilite);
    EXPECT_EQ(view.dragDestItem(), 1);
    EXPECT_TRUE(view.performDragOperation(onBanana));
    EXPECT_EQ(drops.accepted, 1);
    EXPECT_EQ(view.dragDestItem(), -1);
    EXPECT_FALSE(view.runtimeFlags() & ZDDistributedView::DrawDropHilite);
    view.setDataSource(&source);
}

TEST_F(DistributedViewInteraction, MovingItemsByDraggingSnapsWhenAsked)
{
    view.setDragMovesItems(true);
    view.setDragLocally(true);
    view.setSnapToGrid(true);
    view.mouseDown(at(pf::LeftMouseDown, {50, 50}));
    pf::Event drag = at(pf::LeftMouseDragged, {70, 60});
    drag.deltaX = 20;
    drag.deltaY = 10;
    view.mouseDragged(drag);
    EXPECT_EQ(source.items[0].position, QPointF(28, 18));
    EXPECT_TRUE(view.runtimeFlags() & ZDDistributedView::DrawSnappedRects);
    view.mouseUp(at(pf::LeftMouseUp, {70, 60}));
    EXPECT_EQ(source.items[0].position, QPointF(8, 8));
    EXPECT_FALSE(view.runtimeFlags() & ZDDistributedView::DrawSnappedRects);
    EXPECT_EQ(source.writeCount, 0);
}

} // namespace
