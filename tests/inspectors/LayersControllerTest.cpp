// The Layers tab: the outline built from a drawing and kept in step with it, selection both
// ways, drag and drop of rows, and the layer commands with undo.
#include "drawing/PWXSlice.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "inspectors/VNQLLayerCellView.h"
#include "inspectors/VNQLLayersController.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/DraggingInfo.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/DraggingSession.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Button.h"
#include "platform/ui/PresentationHook.h"
#include "tests/support/TestSupport.h"
#include "widgets/VNQLCustomHighlightOutlineView.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDrag>
#include <QMimeData>
#include <QMenu>
#include <QFocusEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QWidget>

namespace {

pf::Ref<PWObjectDrawingLayer> objectLayer(const QString& name)
{
    auto layer = std::make_shared<PWObjectDrawingLayer>();
    layer->setLayerName(name);
    return layer;
}

pf::IndexSet indexes(std::initializer_list<qint64> list)
{
    pf::IndexSet set;
    for (qint64 i : list)
        set.add(i);
    return set;
}

pf::Ref<PWDrawableShape> shape(double x)
{
    return PWDrawableShape::drawableShapeWithRect(QRectF(x, 10, 20, 20));
}

// A drawing, top to bottom: "Top" (objects a, b, c; c on top), group "G" holding "Inner",
// "Bottom" (object d), the slices layer (two slices), a grid. The panel shows it in a window.
class LayersFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Set, not removed: the defaults the program registers (an earlier test may have
        // registered them in this process) differ from the panel's own fallbacks the tests expect.
        pf::UserDefaults& defaults = pf::UserDefaults::standard();
        defaults.setBool(true, kVNQLLayersControllerShowsTopLevel);
        defaults.setBool(true, kVNQLLayersControllerShowsGraphicObjects);
        defaults.setBool(true, kVNQLLayersControllerActiveFollowsSelection);
        defaults.setBool(false, kVNQLLayersControllerCompactView);
        drawing->addLayer(grid);
        drawing->addLayer(slices);
        drawing->addLayer(bottom);
        drawing->addLayer(group);
        group->addLayer(inner);
        drawing->addLayer(top);
        for (const auto& object : {a, b, c})
            top->addObject(object);
        bottom->addObject(d);
        for (int i = 0; i < 2; ++i) {
            auto slice = std::make_shared<PWXSlice>();
            slice->setTitle(QStringLiteral("Area 51"));
            slice->setBounds(QRectF(10 * i, 0, 50, 50));
            slices->addSlice(slice);
        }
        top->attemptToMakeActive();
        endEvent();
        undo().removeAllActions();

        controller = std::make_shared<VNQLLayersController>();
        window.resize(320, 900);
        controller->view()->setParent(&window);
        controller->view()->resize(320, 900);
        window.show();
        // The panel's window is the active one, as when the user works in it: a click in an
        // inactive window would only activate it.
        QApplication::setActiveWindow(&window);
        controller->setDrawing(drawing);
        outline = controller->outlineView();
    }
    void TearDown() override
    {
        pf::PresentationHook::clear();
        for (const QString& key : panelKeys())
            pf::UserDefaults::standard().removeObjectForKey(key);
    }
    static QStringList panelKeys()
    {
        return {kVNQLLayersControllerShowsTopLevel, kVNQLLayersControllerShowsGraphicObjects,
                kVNQLLayersControllerActiveFollowsSelection, kVNQLLayersControllerCompactView};
    }

    static void endEvent() { QCoreApplication::processEvents(); }
    RVUndoManager& undo() const { return *drawing->undoManager(); }

    QVariant item(const pf::Ref<pf::Object>& object) const { return pf::toVariant(object); }
    int row(const pf::Ref<pf::Object>& object) { return outline->rowForItem(item(object)); }
    void expand(const pf::Ref<pf::Object>& object) { outline->expandItem(item(object)); }

    // The rows as names: layers by name, drawables as "obj:" + their x, slices by title.
    QStringList rows()
    {
        QStringList names;
        for (int r = 0; r < outline->numberOfRows(); ++r) {
            const QVariant it = outline->itemAtRow(r);
            if (auto drawingRow = pf::fromVariant<pf::Ref<PWDrawing>>(it))
                names << QStringLiteral("drawing");
            else if (auto layer = pf::fromVariant<pf::Ref<PWLayer>>(it))
                names << layer->layerName();
            else if (auto object = pf::fromVariant<pf::Ref<PWDrawableObject>>(it))
                names << QStringLiteral("obj:%1").arg(object->location().x() - 10);
            else if (auto slice = pf::fromVariant<pf::Ref<PWXSlice>>(it))
                names << slice->name();
        }
        return names;
    }

    QStringList layerNames(const PWLayerGroup& g) const
    {
        QStringList names;
        for (const auto& layer : g.layers())
            names << layer->layerName();
        return names;
    }

    // Proposes a drop of `dragged` (as the outline's drag would carry them) and answers the
    // operation, with the drop place after any retarget.
    unsigned propose(const QVariantList& dragged, const QString& type, const QVariant& target, int index)
    {
        VNQLLayersController::setDraggedItems(dragged);
        auto pasteboard = std::make_shared<pf::Pasteboard>();
        pasteboard->declareTypes({type});
        pf::DraggingInfo info(pasteboard, nullptr, pf::DragOperationEvery, QPointF(), nullptr, 1);
        outline->setDropItem(target, index);
        return controller->validateDrop(*outline, info, target, index);
    }
    bool drop(const QVariantList& dragged, const QString& type, const QVariant& target, int index)
    {
        if (propose(dragged, type, target, index) == pf::DragOperationNone)
            return false;
        auto pasteboard = std::make_shared<pf::Pasteboard>();
        pasteboard->declareTypes({type});
        pf::DraggingInfo info(pasteboard, nullptr, pf::DragOperationEvery, QPointF(), nullptr, 1);
        return controller->acceptDrop(*outline, info, outline->dropItem(), outline->dropChildIndex());
    }

    pf::Ref<PWDrawing> drawing = std::make_shared<PWDrawing>();
    pf::Ref<PWGridLayer> grid = std::make_shared<PWGridLayer>();
    pf::Ref<VNQLSlicesLayer> slices = std::make_shared<VNQLSlicesLayer>();
    pf::Ref<PWObjectDrawingLayer> bottom = objectLayer(QStringLiteral("Bottom"));
    pf::Ref<PWLayerGroup> group = [] {
        auto g = std::make_shared<PWLayerGroup>();
        g->setLayerName(QStringLiteral("G"));
        return g;
    }();
    pf::Ref<PWObjectDrawingLayer> inner = objectLayer(QStringLiteral("Inner"));
    pf::Ref<PWObjectDrawingLayer> top = objectLayer(QStringLiteral("Top"));
    pf::Ref<PWDrawableShape> a = shape(1), b = shape(2), c = shape(3), d = shape(4);

    QWidget window;
    pf::Ref<VNQLLayersController> controller;
    VNQLCustomHighlightOutlineView* outline = nullptr;
};


// The "..." button at the foot of the panel opens the panel's menu on a click.
TEST_F(LayersFixture, TheOptionsButtonOpensThePanelsMenu)
{
    QStringList titles;
    pf::PresentationHook::set([&titles](QWidget* shown) {
        if (auto* menu = qobject_cast<QMenu*>(shown))
            for (QAction* action : menu->actions())
                titles.append(action->text());
        shown->close();
    });
    pf::Button* button = controller->panelMenuButton();
    ASSERT_TRUE(button);
    button->performClick({});
    EXPECT_TRUE(quillory::test::waitUntil([&] { return !titles.isEmpty(); }, 2000));
    EXPECT_TRUE(titles.contains(QStringLiteral("New Layer"))) << qPrintable(titles.join(u'|'));
}

} // namespace

// --- The outline -----------------------------------------------------------------------------------

TEST_F(LayersFixture, TheOutlineShowsTheDrawingItsLayersObjectsTopMostFirstAndSlicesLastFirst)
{
    ASSERT_EQ(outline->numberOfRows(), 6);
    EXPECT_EQ(rows().mid(0, 4), (QStringList{"drawing", "Top", "G", "Bottom"}));
    expand(top);
    expand(group);
    expand(slices);
    const QStringList shown = rows();
    EXPECT_EQ(shown.mid(0, 7), (QStringList{"drawing", "Top", "obj:3", "obj:2", "obj:1", "G", "Inner"}));
    // The slices layer's rows: the last slice first.
    const int slicesRow = row(slices);
    EXPECT_EQ(pf::fromVariant<pf::Ref<PWXSlice>>(outline->itemAtRow(slicesRow + 1)), slices->slices().at(1));
    EXPECT_EQ(pf::fromVariant<pf::Ref<PWXSlice>>(outline->itemAtRow(slicesRow + 2)), slices->slices().at(0));

    // Without the top level the layers are the root's rows; without objects layers are leaves.
    controller->toggleShowsRootAction({});
    EXPECT_FALSE(pf::UserDefaults::standard().boolForKey(kVNQLLayersControllerShowsTopLevel));
    EXPECT_EQ(outline->itemAtRow(0), item(top));
    controller->setShowsGraphicObjects(false);
    EXPECT_FALSE(outline->isExpandable(item(top)));
    EXPECT_EQ(controller->numberOfChildrenOfItem(*outline, item(top)), 0);
    // A new panel shows the top level as the user left it.
    EXPECT_FALSE(std::make_shared<VNQLLayersController>()->showsRoot());
}

TEST_F(LayersFixture, RowHeightsFollowTheCompactSetting)
{
    expand(top);
    EXPECT_EQ(controller->heightOfRowByItem(*outline, item(top)), 50.0);
    EXPECT_EQ(controller->heightOfRowByItem(*outline, item(a)), 30.0);
    controller->toggleCompactRowsAction({});
    EXPECT_EQ(controller->heightOfRowByItem(*outline, item(top)), 30.0);
    EXPECT_TRUE(VNQLLayersController::compactRowsDefault());
}

TEST_F(LayersFixture, TheOutlineFollowsObjectsAndLayersAddedRemovedAndReordered)
{
    expand(top);
    auto e = shape(5);
    top->addObject(e);
    EXPECT_EQ(rows().mid(1, 5), (QStringList{"Top", "obj:5", "obj:3", "obj:2", "obj:1"}));
    top->moveObject(e, 0);
    EXPECT_EQ(rows().mid(1, 5), (QStringList{"Top", "obj:3", "obj:2", "obj:1", "obj:5"}));
    top->removeObject(e);
    EXPECT_EQ(rows().mid(1, 4), (QStringList{"Top", "obj:3", "obj:2", "obj:1"}));

    // A layer added or removed by anyone, inside a group too.
    auto extra = objectLayer(QStringLiteral("Extra"));
    expand(group);
    group->insertLayer(extra, 1);
    const int g = row(group);
    EXPECT_EQ(outline->itemAtRow(g + 2), item(extra));
    group->removeLayer(extra);
    EXPECT_EQ(row(extra), -1);
    drawing->moveLayer(bottom, 0);
    EXPECT_EQ(outline->itemAtRow(1), item(bottom));
}

// --- Selection ------------------------------------------------------------------------------------------

TEST_F(LayersFixture, SelectionFollowsTheDrawingAndTheDrawingFollowsTheOutline)
{
    expand(top);
    const int t = row(top);
    // Drawing to outline: the selected objects' rows, top-most first.
    top->exchangeSelectionWithObjectsFromArray({a, c});
    EXPECT_EQ(outline->selectedRowIndexes(), indexes({t + 1, t + 3}));

    // Outline to drawing: rows map back to stacking indexes.
    outline->selectRowIndexes(pf::IndexSet(t + 2), false);
    EXPECT_EQ(top->selection(), PWObjectOwnerLayer::ObjectList{b});

    // Selecting another layer's row makes it active.
    outline->selectRowIndexes(pf::IndexSet(row(bottom)), false);
    EXPECT_EQ(drawing->activeLayer(), bottom);
}

// One click on a row's name makes its layer active and renames nothing; focus handed to a
// name by a reloaded row does not start renaming either. A double-click renames.
// A press on what a row only shows (its icon) goes on to the outline: it selects the row, and
// dragging from there drags the layer. The icon used to keep the press and the drag for itself.
TEST_F(LayersFixture, PressingARowsIconSelectsTheRowAndDraggingItDragsTheLayer)
{
    endEvent();
    auto* cell = qobject_cast<VNQLLayerCellView*>(controller->layerCellViewForItem(item(bottom)));
    ASSERT_TRUE(cell);
    pf::ImageView* icon = cell->iconView();
    ASSERT_TRUE(icon && icon->isVisible());
    struct HookReset {
        ~HookReset() { pf::DraggingSession::setExecHookForTesting({}); }
    } reset;
    QStringList draggedTypes;
    pf::DraggingSession::setExecHookForTesting([&](QDrag& drag, Qt::DropActions) {
        draggedTypes = drag.mimeData()->formats();
        return Qt::IgnoreAction;
    });
    const QPointF centre = QRectF(icon->rect()).center();
    auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, icon->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(icon, &event);
    };
    send(QEvent::MouseButtonPress, centre, Qt::LeftButton);
    EXPECT_TRUE(outline->isRowSelected(row(bottom)));
    for (int dy = 3; dy <= 30; dy += 9)
        send(QEvent::MouseMove, centre + QPointF(0, dy), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, centre + QPointF(0, 30), Qt::NoButton);
    EXPECT_FALSE(draggedTypes.isEmpty()) << "the row is dragged";
}

TEST_F(LayersFixture, ClickingALayersNameActivatesItWithoutRenaming)
{
    endEvent();
    auto* cell = qobject_cast<VNQLLayerCellView*>(controller->layerCellViewForItem(item(bottom)));
    ASSERT_TRUE(cell);
    pf::TextField* name = cell->nameField();
    ASSERT_TRUE(name->isVisible());
    const QPointF centre = QRectF(name->rect()).center();
    // Time runs on between the events: a second apart is two clicks, 50 ms a double click.
    quint64 time = 1'000'000;
    auto send = [&](QEvent::Type type, int after) {
        QMouseEvent event(type, centre, name->mapToGlobal(centre), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        time += after;
        event.setTimestamp(time);
        QCoreApplication::sendEvent(name, &event);
    };
    ASSERT_FALSE(name->currentEditor());
    send(QEvent::MouseButtonPress, 5000);
    send(QEvent::MouseButtonRelease, 20);
    endEvent();
    EXPECT_EQ(drawing->activeLayer(), bottom);
    EXPECT_TRUE(outline->isRowSelected(row(bottom)));
    EXPECT_FALSE(name->currentEditor()) << "a single click renames nothing";

    QFocusEvent byTab(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(name, &byTab);
    EXPECT_FALSE(name->currentEditor());

    send(QEvent::MouseButtonPress, 5000);
    send(QEvent::MouseButtonRelease, 20);
    send(QEvent::MouseButtonDblClick, 30);
    send(QEvent::MouseButtonRelease, 20);
    endEvent();
    EXPECT_TRUE(name->currentEditor()) << "a double-click renames";
}

TEST_F(LayersFixture, SeveralRowsAreSelectableOnlyAsObjectsOfOneLayer)
{
    expand(top);
    expand(bottom);
    const int t = row(top);
    const pf::IndexSet current(t + 1);
    outline->selectRowIndexes(current, false);
    const pf::IndexSet objects = indexes({t + 1, t + 2});
    EXPECT_EQ(controller->selectionIndexesForProposedSelection(*outline, objects), objects);
    // An object and a layer row, or objects of two layers: the selection stays.
    EXPECT_EQ(controller->selectionIndexesForProposedSelection(*outline, indexes({t + 1, t})), current);
    EXPECT_EQ(controller->selectionIndexesForProposedSelection(*outline, indexes({t + 1, row(d)})),
              current);
}

// --- Adding, duplicating, deleting ----------------------------------------------------------------------

TEST_F(LayersFixture, AddingNamesTheLayerUniquelyPutsItOnTopOfTheSelectedGroupAndUndoes)
{
    outline->selectRowIndexes(pf::IndexSet(row(top)), false);
    controller->addLayerAction({});
    endEvent();
    auto added = drawing->objectInLayersAtIndex(0);
    EXPECT_EQ(added->layerName(), "Drawing Layer");
    EXPECT_EQ(drawing->activeLayer(), added);
    EXPECT_EQ(outline->selectedRow(), row(added));
    EXPECT_EQ(undo().undoActionName(), "Add Layer");
    controller->addlayerGroupAction({}); // the selected layer is in the drawing
    endEvent();
    EXPECT_EQ(drawing->objectInLayersAtIndex(0)->layerName(), "Layer Group");
    EXPECT_TRUE(std::dynamic_pointer_cast<PWLayerGroup>(drawing->objectInLayersAtIndex(0)));

    undo().undo();
    undo().undo();
    EXPECT_EQ(drawing->objectInLayersAtIndex(0), top);
    EXPECT_EQ(row(added), -1);

    // Into a selected group; a locked group takes nothing.
    outline->selectRowIndexes(pf::IndexSet(row(group)), false);
    controller->addLayerAction({});
    EXPECT_EQ(group->countOfLayers(), 2);
    group->setLocked(true);
    EXPECT_FALSE(controller->canAddLayerOrGroup());
    EXPECT_FALSE(controller->addLayer(objectLayer(QString())));
    EXPECT_EQ(group->countOfLayers(), 2);
}

TEST_F(LayersFixture, DuplicatingCopiesTheSelectedLayerAndRefusesSingletons)
{
    outline->selectRowIndexes(pf::IndexSet(row(top)), false);
    ASSERT_TRUE(controller->canDuplicateLayerOrGroup());
    controller->duplicateLayerAction({});
    endEvent();
    auto copy = std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->objectInLayersAtIndex(0));
    ASSERT_TRUE(copy);
    EXPECT_NE(copy, top);
    EXPECT_EQ(copy->layerName(), "Top 2");
    EXPECT_EQ(copy->countOfObjects(), 3);
    EXPECT_EQ(undo().undoActionName(), "Duplicate Layer");
    undo().undo();
    EXPECT_EQ(drawing->countOfLayers(), 5);

    for (const pf::Ref<PWLayer>& single : {pf::Ref<PWLayer>(slices), pf::Ref<PWLayer>(grid)}) {
        outline->selectRowIndexes(pf::IndexSet(row(single)), false);
        EXPECT_FALSE(controller->canDuplicateLayerOrGroup()) << single->layerName().toStdString();
    }
}

TEST_F(LayersFixture, DeletingAsksFirstAndTheActiveLayerLeavesNoneActive)
{
    QStringList messages;
    pf::PresentationHook::set([&messages](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        messages << box->text() + "|" + box->informativeText();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == "Delete")
                button->click();
    });
    outline->selectRowIndexes(pf::IndexSet(row(top)), false);
    controller->deleteLayerAction({});
    for (int i = 0; i < 20 && messages.isEmpty(); ++i)
        endEvent();
    endEvent();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.first(), "Really delete the Layer \u201CTop\u201D?|The layer contains 3 objects.");
    EXPECT_EQ(drawing->indexOfLayer(top.get()), pf::kNotFound);
    EXPECT_EQ(drawing->activeLayer(), nullptr);
    EXPECT_EQ(row(top), -1);
    EXPECT_EQ(undo().undoActionName(), "Delete Layer");
    undo().undo();
    EXPECT_EQ(drawing->objectInLayersAtIndex(0), top);
    EXPECT_GE(row(top), 0);

    // The slices layer and the graph paper may not be deleted: no question is asked.
    for (const pf::Ref<PWLayer>& kept : {pf::Ref<PWLayer>(slices), pf::Ref<PWLayer>(grid)}) {
        messages.clear();
        outline->selectRowIndexes(pf::IndexSet(row(kept)), false);
        EXPECT_FALSE(controller->canDeleteLayerOrGroup());
        controller->confirmDeleteLayer(kept);
        endEvent();
        EXPECT_TRUE(messages.isEmpty());
        EXPECT_NE(drawing->indexOfLayer(kept.get()), pf::kNotFound);
    }
}

// --- Moving layers ------------------------------------------------------------------------------------------

TEST_F(LayersFixture, MovingALayerWithinItsGroupCountsTheDropIndexBeforeTheMove)
{
    // Drawing: Top, G, Bottom, Slices, Graph Paper. G is at 1.
    ASSERT_TRUE(controller->moveLayer(group, nullptr, nullptr, 3, true));
    EXPECT_EQ(drawing->indexOfLayer(group.get()), 2);
    EXPECT_EQ(undo().undoActionName(), "Move Layer");
    ASSERT_TRUE(controller->moveLayer(group, nullptr, nullptr, 0, false));
    EXPECT_EQ(drawing->indexOfLayer(group.get()), 0);
    EXPECT_EQ(outline->itemAtRow(1), item(group));
    // Past the end of the children: refused, nothing moves.
    EXPECT_FALSE(controller->moveLayer(group, nullptr, nullptr, 6, true));
    EXPECT_FALSE(controller->moveLayer(group, nullptr, nullptr, -2, true));
    EXPECT_EQ(drawing->indexOfLayer(group.get()), 0);
}

TEST_F(LayersFixture, MovingBetweenGroupsUndoesAndTheOutlineFollows)
{
    expand(group);
    ASSERT_TRUE(controller->moveLayer(bottom, nullptr, group, 1, true));
    endEvent();
    EXPECT_EQ(layerNames(*group), (QStringList{"Inner", "Bottom"}));
    EXPECT_EQ(outline->parentForItem(item(bottom)), item(group));
    EXPECT_EQ(outline->selectedRow(), row(bottom));
    undo().undo();
    EXPECT_EQ(layerNames(*group), QStringList{"Inner"});
    EXPECT_EQ(drawing->indexOfLayer(bottom.get()), 2);
    EXPECT_EQ(outline->parentForItem(item(bottom)), item(drawing));
}

TEST_F(LayersFixture, AGroupIsNeverMovedIntoItselfAndNothingIsLost)
{
    auto nested = std::make_shared<PWLayerGroup>();
    nested->setLayerName(QStringLiteral("Nested"));
    group->addLayer(nested);
    for (const pf::Ref<PWLayer>& target : {pf::Ref<PWLayer>(group), pf::Ref<PWLayer>(nested)}) {
        EXPECT_FALSE(controller->moveLayer(group, nullptr, target, 0, true));
        EXPECT_EQ(drawing->indexOfLayer(group.get()), 1);
        EXPECT_EQ(group->countOfLayers(), 2);
    }
    // A locked destination or one that is not a group refuses, keeping the layer where it was.
    inner->setLocked(false);
    nested->setLocked(true);
    EXPECT_FALSE(controller->moveLayer(bottom, nullptr, nested, 0, true));
    EXPECT_FALSE(controller->moveLayer(bottom, nullptr, top, 0, true));
    EXPECT_EQ(drawing->indexOfLayer(bottom.get()), 2);
}

// --- Dropping rows ---------------------------------------------------------------------------------------------

TEST_F(LayersFixture, LayerDropsAreRefusedWhereTheyCannotGo)
{
    expand(group);
    const QVariantList draggedBottom{item(bottom)};
    const QVariantList draggedGroup{item(group)};
    struct Case {
        const char* what;
        QVariantList dragged;
        QVariant target;
        int index;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"between rows at index 0 of the shown root", draggedBottom, QVariant(), 0, false},
        {"onto its own group", draggedBottom, item(drawing), -1, false},
        {"onto a layer that is not a group", draggedBottom, item(top), -1, false},
        {"onto the root item", draggedBottom, QVariant(), -1, false},
        {"a group into its own child list", draggedGroup, item(group), 0, false},
        {"past the end of the target's children", draggedBottom, item(group), 2, false},
        {"into another group", draggedBottom, item(group), 1, true},
        {"onto another group", draggedBottom, item(group), -1, true},
        {"between rows of the drawing", draggedBottom, item(drawing), 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const unsigned op = propose(c.dragged, kVNQLLayerDragPasteboardType, c.target, c.index);
        EXPECT_EQ(op != pf::DragOperationNone, c.accepted);
    }
    group->setLocked(true);
    EXPECT_EQ(propose(draggedBottom, kVNQLLayerDragPasteboardType, item(group), 0), pf::DragOperationNone);
}

TEST_F(LayersFixture, DroppingObjectsOnALayerPutsThemOnTopInOrderAndSelectsThem)
{
    expand(top);
    expand(bottom);
    // c and b dragged (outline order: c above b) onto Bottom's row.
    ASSERT_TRUE(drop({item(c), item(b)}, kVNQLDrawableRowPasteboardType, item(bottom), -1));
    endEvent();
    EXPECT_EQ(bottom->objectList(), (PWObjectOwnerLayer::ObjectList{d, b, c}));
    EXPECT_EQ(top->objectList(), PWObjectOwnerLayer::ObjectList{a});
    EXPECT_EQ(bottom->selection(), (PWObjectOwnerLayer::ObjectList{b, c}));
    EXPECT_EQ(drawing->activeLayer(), bottom);
    EXPECT_EQ(undo().undoActionName(), "Move Objects To Layer");
    EXPECT_TRUE(VNQLLayersController::draggedItems().isEmpty());
    const int r = row(bottom);
    EXPECT_EQ(outline->itemAtRow(r + 1), item(c));
    EXPECT_EQ(outline->itemAtRow(r + 3), item(d));

    undo().undo();
    EXPECT_EQ(top->objectList(), (PWObjectOwnerLayer::ObjectList{a, b, c}));
    EXPECT_EQ(bottom->objectList(), PWObjectOwnerLayer::ObjectList{d});

    // Between rows: child index 1 of Bottom is below d, its only object.
    ASSERT_TRUE(drop({item(a)}, kVNQLDrawableRowPasteboardType, item(bottom), 1));
    EXPECT_EQ(bottom->objectList(), (PWObjectOwnerLayer::ObjectList{a, d}));
}

TEST_F(LayersFixture, DroppingWithinALayerRestacksAndBadTargetsAreRefused)
{
    expand(top);
    // a (bottom-most, outline child 2) dropped above c (child 0): on top.
    ASSERT_TRUE(drop({item(a)}, kVNQLDrawableRowPasteboardType, item(top), 0));
    EXPECT_EQ(top->objectList(), (PWObjectOwnerLayer::ObjectList{b, c, a}));
    EXPECT_EQ(undo().undoActionName(), "Change Object Order");

    // Onto a grid or a group, onto a locked layer, past the end: refused.
    EXPECT_EQ(propose({item(a)}, kVNQLDrawableRowPasteboardType, item(grid), -1), pf::DragOperationNone);
    EXPECT_EQ(propose({item(a)}, kVNQLDrawableRowPasteboardType, item(group), -1), pf::DragOperationNone);
    EXPECT_EQ(propose({item(a)}, kVNQLDrawableRowPasteboardType, item(bottom), 2), pf::DragOperationNone);
    bottom->setLocked(true);
    EXPECT_EQ(propose({item(a)}, kVNQLDrawableRowPasteboardType, item(bottom), -1), pf::DragOperationNone);
    // A drop onto a layer row lands above its top-most object.
    EXPECT_NE(propose({item(a)}, kVNQLDrawableRowPasteboardType, item(inner), -1), pf::DragOperationNone);
    EXPECT_EQ(outline->dropItem(), item(inner));
    EXPECT_EQ(outline->dropChildIndex(), 0);
    // Objects that are not on the source layer are not moved.
    EXPECT_FALSE(controller->moveDrawables({a, d}, top, inner, 0, true));
    EXPECT_EQ(inner->countOfObjects(), 0);
    EXPECT_THROW(controller->moveDrawables({}, top, inner, 0, true), pf::Exception);
}

TEST_F(LayersFixture, OnlyUnlockedLayersAndObjectsAreDragged)
{
    expand(top);
    expand(slices);
    pf::Pasteboard pasteboard;
    EXPECT_FALSE(controller->writeItems(*outline, {item(drawing)}, pasteboard));
    EXPECT_FALSE(controller->writeItems(*outline, {pf::toVariant(slices->slices().first())}, pasteboard));
    a->setLocked(true);
    EXPECT_FALSE(controller->writeItems(*outline, {item(a)}, pasteboard));
    ASSERT_TRUE(controller->writeItems(*outline, {item(b), item(c)}, pasteboard));
    EXPECT_EQ(pasteboard.types(), QStringList{kVNQLDrawableRowPasteboardType});
    EXPECT_EQ(VNQLLayersController::draggedItems(), (QVariantList{item(b), item(c)}));
    ASSERT_TRUE(controller->writeItems(*outline, {item(bottom)}, pasteboard));
    EXPECT_EQ(pasteboard.types(), QStringList{kVNQLLayerDragPasteboardType});
}

// --- Queries ----------------------------------------------------------------------------------------------------

TEST_F(LayersFixture, TheSelectedRowGivesTheParentGroupAndLayerForCommands)
{
    EXPECT_EQ(controller->selectedParentGroup(), drawing);
    EXPECT_EQ(controller->selectedLayer(), drawing);
    expand(group);
    expand(top);
    expand(slices);
    struct Case {
        QVariant selected;
        pf::Ref<PWLayerGroup> parent;
        pf::Ref<PWLayer> layer;
    };
    const std::vector<Case> cases = {
        {item(group), group, group},
        {item(inner), group, inner},
        {item(b), drawing, top},
        {pf::toVariant(slices->slices().first()), drawing, slices},
    };
    for (const Case& c : cases) {
        outline->selectRowIndexes(pf::IndexSet(outline->rowForItem(c.selected)), false);
        EXPECT_EQ(controller->selectedParentGroup(), c.parent);
        EXPECT_EQ(controller->selectedLayer(), c.layer);
    }
}
