#include "DocumentTestSupport.h"

#include "app/QuilloryDocumentMenus.h"
#include "app/VNQLUndoHistoryController.h"
#include "drawing/VNQLDrawingExtensions.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryManagerWindowController.h"
#include "inspectors/VNQLLayersController.h"
#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/BezierPath.h"
#include "platform/ui/MainMenu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PresentationHook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPointer>
#include <QCoreApplication>

#include <functional>

namespace {

using namespace quillory::test;
using pf::Ref;
using ObjectList = PWObjectOwnerLayer::ObjectList;

// A stand-in for the layers panel: answers the three queries as told and counts the actions.
class FakeLayersPanel : public pf::Object {
    PF_CLASS(FakeLayersPanel)
public:
    void addLayerAction(const QVariant&) { performed.append(QStringLiteral("add")); }
    void addlayerGroupAction(const QVariant&) { performed.append(QStringLiteral("group")); }
    void deleteLayerAction(const QVariant&) { performed.append(QStringLiteral("delete")); }
    void duplicateLayerAction(const QVariant&) { performed.append(QStringLiteral("duplicate")); }

    bool canAdd = false;
    bool canDuplicate = false;
    bool canDelete = false;
    QStringList performed;
};

} // namespace

PF_DEFINE_CLASS(FakeLayersPanel, pf::Object)
{
    b.method("canAddLayerOrGroup", [](FakeLayersPanel& p, const QVariantList&) { return QVariant(p.canAdd); });
    b.method("canDuplicateLayerOrGroup", [](FakeLayersPanel& p, const QVariantList&) { return QVariant(p.canDuplicate); });
    b.method("canDeleteLayerOrGroup", [](FakeLayersPanel& p, const QVariantList&) { return QVariant(p.canDelete); });
    b.method("addLayerAction:", &FakeLayersPanel::addLayerAction);
    b.method("addlayerGroupAction:", &FakeLayersPanel::addlayerGroupAction);
    b.method("deleteLayerAction:", &FakeLayersPanel::deleteLayerAction);
    b.method("duplicateLayerAction:", &FakeLayersPanel::duplicateLayerAction);
}

namespace {

class DocumentCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        document = newDocument();
        ASSERT_TRUE(document);
        drawing = document->drawing();
        layer = document->activeObjectLayer();
        ASSERT_TRUE(layer);
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        for (const auto& open : QList<pf::Ref<pf::Document>>(documentController().documents()))
            open->close();
    }

    Ref<PWDrawableShape> shape(const Ref<PWObjectDrawingLayer>& into, const QRectF& rect, bool select = true)
    {
        auto object = PWDrawableShape::drawableShapeWithRect(rect);
        into->addObject(object);
        if (select)
            into->addObjectToSelection(object);
        return object;
    }
    Ref<PWDrawablePath> line(const QPointF& from, const QPointF& to)
    {
        pf::BezierPath path;
        path.moveTo(from);
        path.lineTo(to);
        auto object = PWDrawablePath::drawablePathWithPath(path);
        layer->addObject(object);
        layer->addObjectToSelection(object);
        return object;
    }
    Ref<PWObjectDrawingLayer> secondLayer(const QString& name)
    {
        auto other = std::make_shared<PWObjectDrawingLayer>();
        other->setLayerName(name);
        drawing->addLayer(other);
        return other;
    }
    // Closes what set-up registered, so the command's step stands alone.
    void settle() { QCoreApplication::processEvents(); }
    RVUndoManager& undo() const { return *drawing->undoManager(); }

    static Ref<pf::MenuItem> menuItem(const char* action, int tag = 0, const QVariant& represented = {})
    {
        Ref<pf::MenuItem> item = pf::MenuItem::make(QStringLiteral("item"), QString::fromLatin1(action));
        item->setTag(tag);
        item->setRepresentedObject(represented);
        return item;
    }

    Ref<RVCartavelDocument> document;
    Ref<PWDrawing> drawing;
    Ref<PWObjectDrawingLayer> layer;
};

TEST_F(DocumentCommandsTest, SelectionQueries)
{
    EXPECT_FALSE(document->hasValidSelection());
    EXPECT_EQ(document->countOfItemsInSelection(), 0);
    shape(layer, QRectF(0, 0, 10, 10));
    auto hidden = shape(layer, QRectF(20, 0, 10, 10));
    hidden->setVisible(false);
    EXPECT_TRUE(document->hasValidSelection());
    EXPECT_EQ(document->countOfItemsInSelection(), 1) << "only available objects count";

    auto locked = secondLayer(QStringLiteral("Locked"));
    locked->setLocked(true);
    const auto activateable = document->flattenedListOfActivateableLayersAndGroups();
    EXPECT_FALSE(activateable.contains(locked));
    EXPECT_TRUE(activateable.contains(layer));
    EXPECT_FALSE(activateable.contains(drawing->gridLayer())) << "the grid never becomes active";
    EXPECT_TRUE(document->flattenedListOfDrawingLayers().contains(locked));
    EXPECT_FALSE(document->flattenedListOfDrawingLayers().contains(drawing->gridLayer()));

    drawing->setActiveLayer(nullptr);
    EXPECT_EQ(document->countOfItemsInSelection(), 0) << "no active object layer, no selection";
    EXPECT_TRUE(document->availableDonorObjectsForCreatingSymbols().isEmpty());
}

TEST_F(DocumentCommandsTest, TheGeometrySelectionFollowsTheActiveLayer)
{
    auto square = shape(layer, QRectF(0, 0, 10, 10));
    EXPECT_EQ(document->geometrySelection(), ObjectList{square});
    EXPECT_EQ(document->valueForKey(QStringLiteral("geometrySelection")).toList().size(), 1);
    auto other = secondLayer(QStringLiteral("Other"));
    shape(other, QRectF(0, 0, 5, 5));
    EXPECT_TRUE(document->geometrySelection().isEmpty()) << "a change on an inactive layer shows nothing";
    layer->deselectAll();
    EXPECT_TRUE(document->geometrySelection().isEmpty());
}

TEST_F(DocumentCommandsTest, LinearDuplicationConvertsGridUnitsAndIsOneStep)
{
    // Centimetres: an offset of 1 grid unit is 28.35 points.
    ASSERT_TRUE(drawing->units()->isEqualToUnit(RVUnitLength::centimeters()));
    auto original = shape(layer, QRectF(0, 0, 10, 10));
    settle();
    const int steps = undo().numberOfUndoActions();
    ASSERT_TRUE(document->doLinearDuplicateCopies(2, QSizeF(1, 0)));
    settle();
    ASSERT_EQ(layer->countOfObjects(), 3);
    const double cm = RVUnitLength::centimeters()->conversionFactorForPoints();
    const ObjectList copies = layer->selection();
    ASSERT_EQ(copies.size(), 2);
    EXPECT_FALSE(copies.contains(original)) << "the copies become the selection";
    QList<double> lefts;
    for (const auto& copy : copies)
        lefts.append(copy->logicalBounds().left() - original->logicalBounds().left());
    std::sort(lefts.begin(), lefts.end());
    EXPECT_NEAR(lefts[0], cm, 1e-6);
    EXPECT_NEAR(lefts[1], 2 * cm, 1e-6);
    EXPECT_EQ(undo().numberOfUndoActions(), steps + 1);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Linear Duplication"));
    undo().undo();
    EXPECT_EQ(layer->countOfObjects(), 1);
    EXPECT_EQ(layer->selection(), ObjectList{original});
}

TEST_F(DocumentCommandsTest, CopyCountsBelowOneAreRefusedAndLargeOnesCapped)
{
    auto square = shape(layer, QRectF(0, 0, 1, 1));
    line(QPointF(0, 20), QPointF(50, 20));
    settle();
    for (int copies : {0, -3}) {
        EXPECT_FALSE(document->doLinearDuplicateCopies(copies, QSizeF(1, 1))) << copies;
        EXPECT_FALSE(document->doPolarDuplicateCopies(copies, QPointF(5, 5), 30, true)) << copies;
        EXPECT_FALSE(document->parallelCopyWithOffset(5, copies, false)) << copies;
    }
    EXPECT_EQ(layer->countOfObjects(), 2);
    layer->exchangeSelectionWithObjectsFromArray({square});
    ASSERT_TRUE(document->doLinearDuplicateCopies(RVCartavelDocument::kMaxDuplicateCopies + 5, QSizeF(0.01, 0)));
    EXPECT_EQ(layer->countOfObjects(), 2 + RVCartavelDocument::kMaxDuplicateCopies);
}

TEST_F(DocumentCommandsTest, DuplicationNeedsASelectionOnTheActiveObjectLayer)
{
    EXPECT_FALSE(document->doLinearDuplicateCopies(1, QSizeF(1, 1)));
    EXPECT_FALSE(document->doAutoPolarDuplicateWithCentre(QPointF(1, 1)));
    shape(layer, QRectF(0, 0, 10, 10));
    shape(layer, QRectF(30, 0, 10, 10));
    EXPECT_FALSE(document->doAutoPolarDuplicateWithCentre(QPointF(10, 10))) << "needs a single object";
    drawing->setActiveLayer(nullptr);
    EXPECT_FALSE(document->doPolarDuplicateCopies(2, QPointF(1, 1), 45, false));
    EXPECT_EQ(layer->countOfObjects(), 2);
}

TEST_F(DocumentCommandsTest, PolarDuplicationTakesItsCentreInGridUnits)
{
    // A square turned half round a centre 2 cm right of the grid's origin lands mirrored there.
    pf::Ref<PWGridLayer> grid = drawing->gridLayer();
    ASSERT_TRUE(grid);
    const QPointF centre = grid->pointForGridLocation(QPointF(2, 0));
    auto original = shape(layer, QRectF(centre.x() - 30, centre.y() - 5, 10, 10));
    settle();
    ASSERT_TRUE(document->doPolarDuplicateCopies(1, QPointF(2, 0), 180, false));
    const ObjectList copies = layer->selection();
    ASSERT_EQ(copies.size(), 1);
    EXPECT_NEAR(copies.front()->logicalBounds().center().x(), centre.x() + 25, 1e-6);
    EXPECT_NEAR(copies.front()->logicalBounds().center().y(), centre.y(), 1e-6);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Polar Duplication"));
}

TEST_F(DocumentCommandsTest, ParallelCopiesRestoreCoalescing)
{
    auto path = line(QPointF(0, 0), QPointF(100, 0));
    settle();
    for (bool coalescing : {true, false}) {
        undo().setCoalescing(coalescing);
        ASSERT_TRUE(document->parallelCopyWithOffset(5, 2, false));
        settle();
        EXPECT_EQ(undo().isCoalescing(), coalescing);
        EXPECT_EQ(undo().undoActionName(), QStringLiteral("Offset Copy"));
        layer->exchangeSelectionWithObjectsFromArray({path});
        settle();
    }
    undo().setCoalescing(true);
    EXPECT_EQ(layer->countOfObjects(), 5);
    layer->exchangeSelectionWithObjectsFromArray({});
    EXPECT_FALSE(document->parallelCopyWithOffset(5, 1, false)) << "nothing selected";
}

TEST_F(DocumentCommandsTest, MovingTheSelectionToAnotherLayerIsOneStep)
{
    auto a = shape(layer, QRectF(0, 0, 10, 10));
    auto b = shape(layer, QRectF(20, 0, 10, 10));
    auto stays = shape(layer, QRectF(40, 0, 10, 10), false);
    auto target = secondLayer(QStringLiteral("Roads"));
    settle();
    const int steps = undo().numberOfUndoActions();
    document->moveSelectionToLayerByName(menuItem("moveSelectionToLayerByName:", 0, pf::toVariant(target))->senderValue());
    settle();
    EXPECT_EQ(target->objectList(), (ObjectList{a, b}));
    EXPECT_EQ(target->selection(), (ObjectList{a, b}));
    EXPECT_EQ(layer->objectList(), ObjectList{stays});
    EXPECT_EQ(drawing->activeLayer(), target);
    ASSERT_EQ(undo().numberOfUndoActions(), steps + 1);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Move To Roads"));
    EXPECT_TRUE(undo().isCoalescing()) << "coalescing is back on";

    undo().undo();
    EXPECT_EQ(layer->objectList(), (ObjectList{a, b, stays}));
    EXPECT_EQ(target->countOfObjects(), 0);
    EXPECT_EQ(drawing->activeLayer(), layer);
    EXPECT_EQ(layer->selection(), (ObjectList{a, b}));
    undo().redo();
    EXPECT_EQ(target->objectList(), (ObjectList{a, b}));
    EXPECT_EQ(drawing->activeLayer(), target);
}

TEST_F(DocumentCommandsTest, MovesThatCannotHappenChangeNothing)
{
    shape(layer, QRectF(0, 0, 10, 10));
    auto locked = secondLayer(QStringLiteral("Locked"));
    locked->setLocked(true);
    auto group = std::make_shared<PWLayerGroup>();
    drawing->addLayer(group);
    auto empty = secondLayer(QStringLiteral("Empty"));
    settle();
    const int steps = undo().numberOfUndoActions();
    EXPECT_FALSE(document->moveSelectionToLayer(layer)) << "the active layer itself";
    EXPECT_FALSE(document->moveSelectionToLayer(drawing->gridLayer())) << "not a drawing layer";
    EXPECT_FALSE(document->moveSelectionToLayer(group));
    EXPECT_FALSE(document->moveSelectionToLayer(locked));
    EXPECT_FALSE(document->moveSelectionToLayer(nullptr));
    layer->deselectAll();
    EXPECT_FALSE(document->moveSelectionToLayer(empty)) << "nothing selected";
    settle();
    EXPECT_EQ(layer->countOfObjects(), 1);
    EXPECT_EQ(empty->countOfObjects(), 0);
    EXPECT_EQ(drawing->activeLayer(), layer);
    EXPECT_EQ(undo().numberOfUndoActions(), steps);
}

TEST_F(DocumentCommandsTest, ActivatingALayerByNameAsksWhetherItMay)
{
    auto other = secondLayer(QStringLiteral("Other"));
    other->setLocked(true);
    document->activateLayerByName(menuItem("activateLayerByName:", 0, pf::toVariant(other))->senderValue());
    EXPECT_EQ(drawing->activeLayer(), layer);
    other->setLocked(false);
    document->activateLayerByName(menuItem("activateLayerByName:", 0, pf::toVariant(other))->senderValue());
    EXPECT_EQ(drawing->activeLayer(), other);
    document->activateLayerByName(menuItem("activateLayerByName:")->senderValue());
    EXPECT_EQ(drawing->activeLayer(), other) << "no represented layer";
}

TEST_F(DocumentCommandsTest, LayerCommandsGoToTheLayersPanel)
{
    auto panel = std::make_shared<FakeLayersPanel>();
    Ref<pf::MenuItem> add = menuItem("newDrawingLayer:");
    EXPECT_FALSE(document->validateMenuItem(*add)) << "no panel, no layer commands";
    document->setLayersController(panel);
    EXPECT_FALSE(document->validateMenuItem(*add));
    document->newDrawingLayer({});
    EXPECT_TRUE(panel->performed.isEmpty());
    panel->canAdd = true;
    panel->canDelete = true;
    EXPECT_TRUE(document->validateMenuItem(*add));
    EXPECT_FALSE(document->validateMenuItem(*menuItem("duplicateLayer:")));
    document->newDrawingLayer({});
    document->addLayerGroupAction({});
    document->duplicateLayer({});
    document->deleteLayerAction({});
    EXPECT_EQ(panel->performed, (QStringList{"add", "group", "delete"}));
}

TEST_F(DocumentCommandsTest, TheLayersPanelMakesLayersOfTheClassesTheDocumentNames)
{
    auto panel = std::make_shared<VNQLLayersController>();
    panel->setDrawing(drawing);
    panel->setDelegate(document);
    document->setLayersController(panel);
    const qint64 before = drawing->countOfLayers();
    document->newDrawingLayer({});
    document->addLayerGroupAction({});
    settle();
    ASSERT_EQ(drawing->countOfLayers(), before + 2);
    // The group went on top of the drawing; the new layer below it.
    auto group = std::dynamic_pointer_cast<PWLayerGroup>(drawing->objectInLayersAtIndex(0));
    ASSERT_TRUE(group);
    EXPECT_EQ(group->layerName(), "Layer Group");
    auto added = drawing->objectInLayersAtIndex(1);
    EXPECT_TRUE(added->isMemberOf(document->classOfDefaultDrawingLayer()));
    EXPECT_EQ(added->layerName(), "Drawing Layer");
    EXPECT_EQ(undo().undoActionName(), "Add Layer");
}

TEST_F(DocumentCommandsTest, ValidationBySelectionState)
{
    // The program's drawing extensions say which objects can become clip art.
    VNQLDrawingExtensions::install();
    auto other = secondLayer(QStringLiteral("Other"));
    auto hiddenLayer = secondLayer(QStringLiteral("Hidden"));
    hiddenLayer->setVisible(false);
    const QVariant otherLayer = pf::toVariant(other);
    struct Case {
        const char* action;
        QVariant represented;
        bool empty;    // enabled with nothing selected
        bool shape;    // with a shape selected
        bool path;     // with a path selected
    };
    const Case cases[] = {
        {"linearDuplicate:", {}, false, true, true},
        {"polarDuplicate:", {}, false, true, true},
        {"parallelDuplicate:", {}, false, false, true},
        {"createSymbol:", {}, false, true, true},
        {"moveSelectionToLayerByName:", otherLayer, false, true, true},
        {"moveSelectionToLayerByName:", pf::toVariant(layer), false, false, false},
        {"moveSelectionToLayerByName:", pf::toVariant(hiddenLayer), false, false, false},
        {"activateLayerByName:", otherLayer, true, true, true},
        {"toggleDisplayShadows:", {}, true, true, true},
        {"togglePaperMarginsVisible:", {}, true, true, true},
    };
    auto check = [&](const char* state, bool Case::*expected) {
        for (const Case& c : cases) {
            Ref<pf::MenuItem> item = menuItem(c.action, 0, c.represented);
            EXPECT_EQ(document->validateMenuItem(*item), c.*expected) << c.action << " with " << state;
        }
    };
    check("nothing selected", &Case::empty);
    shape(layer, QRectF(0, 0, 10, 10));
    check("a shape", &Case::shape);
    layer->deselectAll();
    line(QPointF(0, 0), QPointF(10, 10));
    check("a path", &Case::path);

    Ref<pf::MenuItem> onActive = menuItem("moveSelectionToLayerByName:", 0, pf::toVariant(layer));
    document->validateMenuItem(*onActive);
    EXPECT_EQ(onActive->state(), pf::ControlState::Mixed) << "the active layer shows mixed";
    Ref<pf::MenuItem> activeItem = menuItem("activateLayerByName:", 0, pf::toVariant(layer));
    document->validateMenuItem(*activeItem);
    EXPECT_EQ(activeItem->state(), pf::ControlState::On);
}

TEST_F(DocumentCommandsTest, SwitchesShowTheirStateAndTitles)
{
    const bool shadows = PWStyle::willDrawShadows();
    Ref<pf::MenuItem> item = menuItem("toggleDisplayShadows:");
    document->validateMenuItem(*item);
    EXPECT_EQ(item->state() == pf::ControlState::On, shadows);
    document->toggleDisplayShadows({});
    document->validateMenuItem(*item);
    EXPECT_EQ(item->state() == pf::ControlState::On, !shadows);
    document->toggleDisplayShadows({});
    EXPECT_EQ(PWStyle::willDrawShadows(), shadows);

    Ref<pf::MenuItem> margins = menuItem("togglePaperMarginsVisible:");
    const bool shown = document->paperMarginsVisible();
    document->togglePaperMarginsVisible({});
    EXPECT_EQ(document->paperMarginsVisible(), !shown);
    EXPECT_EQ(RVCartavelDocument::defaultPaperMarginsVisible(), !shown) << "kept as the class default";
    document->validateMenuItem(*margins);
    EXPECT_EQ(margins->title(), shown ? QStringLiteral("Show Paper Margins") : QStringLiteral("Hide Paper Margins"));
    pf::UserDefaults::standard().removeObjectForKey(RVCartavelDocument::kDefaultPaperMarginsVisibleDefault);
}

TEST_F(DocumentCommandsTest, UnitAndSnappingMenuItems)
{
    document->setUnitsOptionsWithTagOfSender(menuItem("setUnitsOptionsWithTagOfSender:", 2)->senderValue());
    EXPECT_EQ(document->unitDisplayOption(), 2);
    EXPECT_EQ(RVCartavelDocument::defaultUnitDisplayOption(), 2);
    document->setUnitsOptionsWithTagOfSender(menuItem("setUnitsOptionsWithTagOfSender:", 7)->senderValue());
    EXPECT_EQ(document->unitDisplayOption(), 2) << "an unknown tag changes nothing";
    for (int tag : {0, 1, 2}) {
        Ref<pf::MenuItem> item = menuItem("setUnitsOptionsWithTagOfSender:", tag);
        document->validateMenuItem(*item);
        EXPECT_EQ(item->state() == pf::ControlState::On, tag == 2) << tag;
    }
    pf::UserDefaults::standard().removeObjectForKey(RVCartavelDocument::kDefaultUnitDisplayOptionDefault);

    const bool grid = drawing->snapsToGrid();
    const bool guides = drawing->snapsToGuides();
    document->snappingOptionsAction(menuItem("snappingOptionsAction:", 0)->senderValue());
    EXPECT_EQ(drawing->snapsToGrid(), !grid);
    EXPECT_EQ(drawing->snapsToGuides(), guides);
    document->snappingOptionsAction(menuItem("snappingOptionsAction:", 1)->senderValue());
    EXPECT_EQ(drawing->snapsToGuides(), !guides);
    const bool objects = layer->allowsSnapToObjects();
    document->snappingOptionsAction(menuItem("snappingOptionsAction:", 2)->senderValue());
    EXPECT_EQ(layer->allowsSnapToObjects(), !objects);
    Ref<pf::MenuItem> objectsItem = menuItem("snappingOptionsAction:", 2);
    EXPECT_TRUE(document->validateMenuItem(*objectsItem));
    EXPECT_EQ(objectsItem->state() == pf::ControlState::On, !objects);
    drawing->setActiveLayer(nullptr);
    EXPECT_FALSE(document->validateMenuItem(*objectsItem)) << "no active layer to snap to objects in";
}

} // namespace

namespace {

// Every command is in the program's menus.
TEST(DocumentMenus, TheCommandsAreInTheMenuBar)
{
    Ref<pf::MainMenu> main = pf::MainMenu::makeStandard();
    QuilloryDocumentMenus::addDocumentMenus(*main);
    QStringList actions;
    std::function<void(pf::Menu&)> collect = [&](pf::Menu& menu) {
        for (const auto& item : menu.items()) {
            actions.append(item->action());
            if (item->submenu())
                collect(*item->submenu());
        }
    };
    for (const char* title : {"Edit", "Object", "Arrange", "View"}) {
        pf::Menu* menu = main->menuWithTitle(QString::fromLatin1(title));
        ASSERT_TRUE(menu) << title;
        collect(*menu);
    }
    for (const char* action : {"showUndoHistoryAction:", "linearDuplicate:", "polarDuplicate:", "parallelDuplicate:",
                               "newDrawingLayer:", "addLayerGroupAction:", "duplicateLayer:", "deleteLayerAction:",
                               "toggleDisplayAntiAliasing:", "toggleDisplayShadows:", "toggleDisplayStyleSubstitution:",
                               "togglePaperMarginsVisible:", "setUnitsOptionsWithTagOfSender:", "snappingOptionsAction:",
                               "group:", "ungroup:", "zoomIn:", "zoomOut:", "zoomToActualSize:", "zoomFitInWindow:"})
        EXPECT_TRUE(actions.contains(QString::fromLatin1(action))) << action;
    // The application delegate fills the two layer submenus as they open.
    pf::Menu* arrange = main->menuWithTitle(QStringLiteral("Arrange"));
    EXPECT_TRUE(arrange->itemWithTitle(QuilloryDocumentMenus::kMoveToLayerMenuTitle)->submenu());
    EXPECT_TRUE(arrange->itemWithTitle(QuilloryDocumentMenus::kActivateLayerMenuTitle)->submenu());
}

TEST_F(DocumentCommandsTest, TheUndoHistoryPanelShowsTheDocumentsHistory)
{
    shape(layer, QRectF(0, 0, 10, 10));
    settle();
    ASSERT_TRUE(document->doLinearDuplicateCopies(1, QSizeF(1, 1)));
    settle();
    document->showUndoHistoryAction({});
    VNQLUndoHistoryController* history = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* found = widget->findChild<VNQLUndoHistoryController*>(); found && widget->isVisible())
            history = found;
    ASSERT_TRUE(history);
    EXPECT_EQ(history->undoManager(), drawing->undoManager());
    EXPECT_EQ(history->orderedUndoAndRedoTaskNames().last(), QStringLiteral("Linear Duplication"));
    QPointer<QWidget> panel = history->window();
    document->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(!panel || !panel->isVisible()) << "the panel goes with its document";
}

} // namespace

TEST_F(DocumentCommandsTest, AddClipArtAsksFirstForSixOrMoreObjects)
{
    auto forgetLibraries = [] {
        PWXLibraryManagerWindowController::releaseSharedLibraryManager();
        PWXLibrary::resetRegistryForTesting();
        QDir(PWXLibrary::userLibraryFolder()).removeRecursively();
    };
    forgetLibraries();
    VNQLDrawingExtensions::install();
    for (int i = 0; i < 6; ++i)
        shape(layer, QRectF(i * 20, 0, 10, 10));
    int asked = 0;
    QString answer = QStringLiteral("Cancel");
    pf::PresentationHook::set([&](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        ++asked;
        EXPECT_EQ(box->text(), "Add Clip Art To Library");
        EXPECT_TRUE(box->informativeText().contains("6 objects"));
        for (QAbstractButton* button : box->buttons())
            if (button->text() == answer)
                button->click();
    });
    auto clipArtCount = [] {
        pf::Ref<PWXLibrary> library = PWXLibrary::userLibraryForImpliedOperation();
        return library ? library->allItemsCategory()->items().size() : 0;
    };

    document->perform("createSymbol:", {QVariant()});
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(clipArtCount(), 0) << "cancelled: nothing added";

    answer = QStringLiteral("OK");
    document->perform("createSymbol:", {QVariant()});
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(clipArtCount(), 6);
    EXPECT_EQ(layer->objects().size(), 6u) << "the drawing keeps its objects";
    pf::PresentationHook::clear();

    // Five objects are added without asking.
    layer->deselectAll();
    for (int i = 0; i < 5; ++i)
        shape(layer, QRectF(i * 20, 40, 10, 10));
    document->perform("createSymbol:", {QVariant()});
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(clipArtCount(), 11);
    forgetLibraries();
}
