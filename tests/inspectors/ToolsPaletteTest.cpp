#include "inspectors/CVLToolsController.h"
#include "inspectors/VNQLSlicesToolPaletteController.h"

#include "../app/DocumentTestSupport.h"

#include "drawing/PWDrawing+SlicesLayer.h"
#include "drawing/PWXSymbolMaster.h"
#include "drawing/PWXSymbolTool.h"
#include "drawing/VNQLDrawingTools.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/registries/PWStyleHistory.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "frameworks/penwork/tools/PWSmartSelectTool.h"
#include "frameworks/penwork/tools/PWToolController.h"
#include "frameworks/penwork/tools/PWToolRegistry.h"
#include "frameworks/penwork/tools/PWZoomTool.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "library/PWXLibraryItem.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Window.h"
#include "widgets/RVStyleButtonCell.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace quillory::test;

namespace {

// Every notification of one name while it lives.
struct Posts {
    explicit Posts(const QString& name)
    {
        token = pf::NotificationCenter::defaultCenter().addObserver(name, nullptr, [this](const pf::Notification& n) {
            objects.append(n.object);
            infos.append(n.userInfo);
        });
    }
    ~Posts() { pf::NotificationCenter::defaultCenter().removeObserver(token); }
    QList<pf::Reflective*> objects;
    QList<QVariantMap> infos;
    quint64 token = 0;
};

struct DelegateRecorder : CVLToolsControllerDelegate {
    void toolsControllerDidSelectTool(CVLToolsController&, PWDrawingTool* tool) override { tools.append(tool); }
    QList<PWDrawingTool*> tools;
};

class ToolsPalette : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The tools the program registers at launch, as it does.
        VNQLDrawingTools::registerTools();
        if (!PWDrawingTool::drawingToolWithName(PWXSymbolTool::kToolName))
            PWDrawingTool::registerDrawingTool(std::make_shared<PWXSymbolTool>(PWXSymbolMaster::defaultSymbolMaster()),
                                               PWXSymbolTool::kToolName);
        for (const char* key : {"kQLRYToolsControllerVisible", "kQLRYToolsControllerFrame",
                                "kCartavelToolStyleBindingEnabled"})
            defaults().removeObjectForKey(QString::fromLatin1(key));
        CVLToolsController::releaseSharedToolsController();
        VNQLSlicesToolPaletteController::releaseSharedSlicesToolPalette();
        PWObjectCreationTool::setStyleForCreatedObjects(nullptr);
    }
    void TearDown() override
    {
        for (const auto& document : m_documents)
            closeDocument(document);
        CVLToolsController::releaseSharedToolsController();
        VNQLSlicesToolPaletteController::releaseSharedSlicesToolPalette();
        PWObjectCreationTool::setStyleForCreatedObjects(nullptr);
        CVLToolsController::setToolStyleBindingEnabled(false);
        PWDrawingTool::selectionTool()->set();
    }

    static pf::UserDefaults& defaults() { return pf::UserDefaults::standard(); }

    // A document whose window is shown and main, as when the user works in it.
    pf::Ref<RVCartavelDocument> mainDocument()
    {
        auto document = newDocument();
        document->makeWindowControllers();
        QWidget* window = document->windowControllers().first()->window();
        window->show();
        window->activateWindow();
        EXPECT_TRUE(waitUntil([&] { return pf::Application::shared()->mainWindow() == window; }));
        m_documents.append(document);
        return document;
    }

    static QVariant senderOf(pf::Matrix* matrix) { return matrix->senderValue(); }
    static int selectedTag(pf::Matrix* matrix)
    {
        return matrix->selectedCell() ? matrix->selectedCell()->tag() : -1;
    }

    QList<pf::Ref<RVCartavelDocument>> m_documents;
};

} // namespace

TEST_F(ToolsPalette, TagTableNamesEveryToolAndFallsBackToSelect)
{
    const std::pair<int, const char*> table[] = {
        {1, "Linear Select"}, {2, "Pan"}, {3, "Zoom"}, {4, "Zoom Out"}, {5, "Ruler"}, {6, "Select"},
        {10, "Rectangle"}, {11, "Oval"}, {12, "Round Rectangle"}, {13, "Round End Rectangle"}, {14, "Polygon"},
        {15, "Regular Polygon"}, {16, "Line"}, {17, "Path"}, {18, "Freehand"}, {19, "Text"}, {20, "Wedge"},
        {21, "Arc"}, {22, "Insert Path Point"}, {23, "Delete Path Point"}, {24, "Text Path"}, {25, "Path Cutter"},
        {40, "Connectable Line"}, {41, "Connectable Track"}, {42, "Connectable Polygon"}, {43, "Clip-Art Stamp"},
        {44, "Smart Select"}, {45, "Style Dropper"}, {50, "Connectable Freehand"},
    };
    for (const auto& [tag, name] : table) {
        SCOPED_TRACE(name);
        EXPECT_EQ(CVLToolsController::toolNameForTag(tag), QString::fromLatin1(name));
        EXPECT_EQ(CVLToolsController::tagForToolName(QString::fromLatin1(name)), tag);
        // Every tag of the palette finds its tool in the registry.
        EXPECT_TRUE(PWToolRegistry::shared().containsToolNamed(QString::fromLatin1(name)));
    }
    for (int tag : {0, 7, 9, 26, 39, 46, 49, 51, -1})
        EXPECT_TRUE(CVLToolsController::toolNameForTag(tag).isEmpty()) << tag;
    EXPECT_EQ(CVLToolsController::tagForToolName(QStringLiteral("No Such Tool")), 6);
    EXPECT_EQ(CVLToolsController::tagForToolName(QString()), 6);
}

TEST_F(ToolsPalette, ChoosingATagMakesItsToolCurrentAndTellsObservers)
{
    auto palette = CVLToolsController::sharedToolsController();
    Posts posts(kCartavelToolControllerSetTool);

    struct Case {
        int tag;
        QString tool;
    };
    // A tag without a tool takes the standard selection tool.
    for (const Case& c : {Case{11, "Oval"}, Case{7, "Select"}, Case{43, "Clip-Art Stamp"}, Case{41, "Connectable Track"}}) {
        SCOPED_TRACE(c.tag);
        const pf::Ref<PWDrawingTool> tool = palette->setCurrentToolWithTag(c.tag);
        ASSERT_TRUE(tool);
        EXPECT_EQ(tool->registeredName(), c.tool);
        EXPECT_EQ(PWDrawingTool::sharedCurrentTool(), tool);
        ASSERT_FALSE(posts.objects.isEmpty());
        EXPECT_EQ(posts.objects.last(), static_cast<pf::Reflective*>(palette.get()));
        EXPECT_EQ(pf::objectCast<PWDrawingTool>(posts.infos.last().value(QStringLiteral("tool_info"))), tool);
    }
    // Tag 3 always zooms in and tag 4 out, whatever the tools were left with.
    auto zoomIn = std::dynamic_pointer_cast<PWZoomTool>(PWDrawingTool::drawingToolWithName(kPWZoomToolName));
    auto zoomOut = std::dynamic_pointer_cast<PWZoomTool>(PWDrawingTool::drawingToolWithName(QStringLiteral("Zoom Out")));
    ASSERT_TRUE(zoomIn && zoomOut);
    zoomIn->setZoomsOut(true);
    zoomOut->setZoomsOut(false);
    EXPECT_EQ(palette->setCurrentToolWithTag(3), zoomIn);
    EXPECT_FALSE(zoomIn->zoomsOut());
    EXPECT_EQ(palette->setCurrentToolWithTag(4), zoomOut);
    EXPECT_TRUE(zoomOut->zoomsOut());
}

TEST_F(ToolsPalette, ButtonsOfMissingToolsAreDisabled)
{
    auto palette = CVLToolsController::sharedToolsController();
    int checked = 0;
    for (pf::Matrix* matrix : {palette->selectionTools(), palette->drawingTools(), palette->cartographyTools()}) {
        ASSERT_TRUE(matrix);
        for (const auto& cell : matrix->cells()) {
            const QString name = CVLToolsController::toolNameForTag(cell->tag());
            EXPECT_EQ(cell->isEnabled(), !name.isEmpty() && PWToolRegistry::shared().containsToolNamed(name))
                << cell->tag();
            ++checked;
        }
    }
    EXPECT_GE(checked, 29);
    // The buttons carry the palette's own pictures.
    ASSERT_TRUE(palette->cellForTag(10));
    EXPECT_TRUE(palette->cellForTag(10)->image());
}

TEST_F(ToolsPalette, ClickingAButtonChoosesTheToolAndLeavesOneButtonOn)
{
    auto palette = CVLToolsController::sharedToolsController();
    pf::Matrix* selection = palette->selectionTools();
    pf::Matrix* drawing = palette->drawingTools();
    EXPECT_EQ(selectedTag(selection), 6) << "the palette starts on Select";

    drawing->selectCellWithTag(10);
    palette->toolsMatrixAction(senderOf(drawing));
    EXPECT_EQ(PWDrawingTool::sharedCurrentTool()->registeredName(), QStringLiteral("Rectangle"));
    EXPECT_EQ(selectedTag(selection), -1);
    EXPECT_EQ(selectedTag(drawing), 10);

    // A filler button without a tool puts the current tool's button back and changes nothing.
    selection->selectCellWithTag(0);
    palette->toolsMatrixAction(senderOf(selection));
    EXPECT_EQ(PWDrawingTool::sharedCurrentTool()->registeredName(), QStringLiteral("Rectangle"));
    EXPECT_EQ(selectedTag(selection), -1);
}

TEST_F(ToolsPalette, FollowsToolChangesMadeElsewhere)
{
    auto palette = CVLToolsController::sharedToolsController();
    DelegateRecorder delegate;
    palette->setDelegate(&delegate);
    const pf::Ref<PWStyle> ovalStyle = std::static_pointer_cast<PWStyle>(PWStyle::defaultStyle()->copy());
    auto oval = std::dynamic_pointer_cast<PWObjectCreationTool>(PWDrawingTool::drawingToolWithName(kPWOvalToolName));
    oval->setStyle(ovalStyle);

    oval->set();
    EXPECT_EQ(selectedTag(palette->drawingTools()), 11);
    EXPECT_EQ(selectedTag(palette->selectionTools()), -1);
    EXPECT_EQ(palette->representedObject(), ovalStyle);
    EXPECT_EQ(palette->currentStyle(), ovalStyle);
    EXPECT_EQ(palette->stylePreview()->style(), ovalStyle);
    EXPECT_EQ(delegate.tools, QList<PWDrawingTool*>{oval.get()});

    // The stamp shows its clip-art; a tool that creates nothing shows none.
    auto stamp = std::dynamic_pointer_cast<PWXSymbolTool>(PWDrawingTool::drawingToolWithName(PWXSymbolTool::kToolName));
    stamp->set();
    EXPECT_EQ(palette->representedObject(), stamp->symbolMaster());
    EXPECT_FALSE(palette->currentStyle());
    PWDrawingTool::drawingToolWithName(kPWPanToolName)->set();
    EXPECT_EQ(selectedTag(palette->selectionTools()), 2);
    EXPECT_FALSE(palette->representedObject());
    oval->setStyle(nullptr);
    palette->setDelegate(nullptr);
}

TEST_F(ToolsPalette, CreationStyleIsSharedOrBoundToTheCurrentTool)
{
    auto document = mainDocument();
    auto palette = CVLToolsController::sharedToolsController();
    auto rectangle = std::dynamic_pointer_cast<PWObjectCreationTool>(PWDrawingTool::drawingToolWithName(kPWRectangleToolName));
    auto oval = std::dynamic_pointer_cast<PWObjectCreationTool>(PWDrawingTool::drawingToolWithName(kPWOvalToolName));
    palette->setCurrentToolWithTag(10);
    ASSERT_EQ(palette->currentTool(), rectangle);
    ASSERT_TRUE(palette->currentToolController());
    const pf::Ref<PWStyle> first = std::static_pointer_cast<PWStyle>(PWStyle::defaultStyle()->copy());
    const pf::Ref<PWStyle> second = std::static_pointer_cast<PWStyle>(PWStyle::defaultStyle()->copy());
    Posts external(kCartavelToolControllerStyleChangedExternally);

    // Shared: every creation tool takes the style.
    palette->setCurrentStyleOrSymbol(first);
    EXPECT_EQ(PWObjectCreationTool::styleForCreatedObjects(), first);
    EXPECT_EQ(PWStyleHistory::currentStyle(), first);
    EXPECT_EQ(palette->stylePreview()->style(), first);
    EXPECT_TRUE(external.objects.isEmpty()) << "the palette's own change is not an outside one";

    // Bound per tool: only the current tool takes it, and the shared style goes.
    CVLToolsController::setToolStyleBindingEnabled(true);
    EXPECT_TRUE(defaults().boolForKey(QStringLiteral("kCartavelToolStyleBindingEnabled")));
    EXPECT_TRUE(palette->stylesAppliedPerTool());
    palette->setCurrentStyleOrSymbol(second);
    EXPECT_FALSE(PWObjectCreationTool::styleForCreatedObjects());
    EXPECT_EQ(rectangle->ownStyle(), second);
    EXPECT_NE(oval->ownStyle(), second);
    EXPECT_EQ(PWStyleHistory::currentStyle(), second);

    // A clip-art master goes to the stamp.
    auto master = PWXSymbolMaster::defaultSymbolMaster();
    palette->setCurrentStyleOrSymbol(master);
    auto stamp = std::dynamic_pointer_cast<PWXSymbolTool>(PWDrawingTool::drawingToolWithName(PWXSymbolTool::kToolName));
    EXPECT_EQ(stamp->symbolMaster(), master);
    EXPECT_FALSE(palette->currentStyle());
    rectangle->setStyle(nullptr);
}

TEST_F(ToolsPalette, StyleSourcesBecomeTheCreationObject)
{
    auto palette = CVLToolsController::sharedToolsController();
    EXPECT_EQ(palette->representedObject(), PWStyle::defaultStyle()) << "the palette starts with the default style";
    const pf::Ref<PWStyle> picked = std::static_pointer_cast<PWStyle>(PWStyle::defaultStyle()->copy());
    Posts external(kCartavelToolControllerStyleChangedExternally);
    auto& centre = pf::NotificationCenter::defaultCenter();

    // A tool's creation style changed elsewhere: taken, and announced with the tool.
    auto oval = std::dynamic_pointer_cast<PWObjectCreationTool>(PWDrawingTool::drawingToolWithName(kPWOvalToolName));
    oval->setStyle(picked);
    EXPECT_EQ(palette->representedObject(), picked);
    ASSERT_EQ(external.objects.size(), 1);
    EXPECT_EQ(external.objects.first(), static_cast<pf::Reflective*>(oval.get()));
    oval->setStyle(nullptr);

    // A pick in the library picker: an item without a library still hands its style over.
    const pf::Ref<PWStyle> fromLibrary = std::static_pointer_cast<PWStyle>(PWStyle::defaultStyle()->copy());
    auto item = PWXLibraryItem::itemWithLibraryObject(fromLibrary);
    centre.post(QStringLiteral("kPWXLibraryPickerSelectedObjectDidChange"), nullptr,
                {{QStringLiteral("lib_object"), pf::toVariant(std::static_pointer_cast<pf::Object>(item))}});
    EXPECT_EQ(palette->representedObject(), fromLibrary);
    // A post without an item changes nothing.
    centre.post(QStringLiteral("kPWXLibraryPickerSelectedObjectDidChange"), nullptr, {});
    EXPECT_EQ(palette->representedObject(), fromLibrary);
}

TEST_F(ToolsPalette, StateIsSavedUnderItsKeysAndRestored)
{
    defaults().setBool(true, QStringLiteral("kQLRYToolsControllerVisible"));
    // Quitting before the palette was ever made stores it as hidden.
    CVLToolsController::saveToolsControllerState();
    EXPECT_FALSE(CVLToolsController::sharedToolsControllerAvailable());
    ASSERT_TRUE(defaults().objectForKey(QStringLiteral("kQLRYToolsControllerVisible")).isValid());
    EXPECT_FALSE(defaults().boolForKey(QStringLiteral("kQLRYToolsControllerVisible")));

    auto palette = CVLToolsController::sharedToolsController();
    auto* window = qobject_cast<pf::Window*>(palette->window());
    ASSERT_TRUE(window);
    palette->showWindow({});
    window->setFrameOrigin(QPointF(333, 222));
    const QString frame = window->stringWithSavedFrame();
    CVLToolsController::saveToolsControllerState();
    EXPECT_TRUE(defaults().boolForKey(QStringLiteral("kQLRYToolsControllerVisible")));
    EXPECT_EQ(defaults().stringForKey(QStringLiteral("kQLRYToolsControllerFrame")), frame);

    // After a relaunch the palette comes back where it was, shown.
    CVLToolsController::releaseSharedToolsController();
    CVLToolsController::restoreToolsControllerState();
    ASSERT_TRUE(CVLToolsController::sharedToolsControllerAvailable());
    auto* restored = qobject_cast<pf::Window*>(CVLToolsController::sharedToolsController()->window());
    EXPECT_TRUE(restored->isVisible());
    EXPECT_EQ(restored->stringWithSavedFrame(), frame);

    // Stored hidden: restored, not shown.
    CVLToolsController::sharedToolsController()->window()->hide();
    CVLToolsController::saveToolsControllerState();
    CVLToolsController::releaseSharedToolsController();
    CVLToolsController::restoreToolsControllerState();
    EXPECT_FALSE(CVLToolsController::sharedToolsController()->window()->isVisible());
}

TEST_F(ToolsPalette, NeverTakesTheKeyboardAndStaysEnabledWhileASidebarFieldTypes)
{
    auto palette = CVLToolsController::sharedToolsController();
    QWidget* window = palette->window();
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    for (pf::Matrix* matrix : {palette->selectionTools(), palette->drawingTools()})
        EXPECT_EQ(matrix->focusPolicy(), Qt::NoFocus);

    // No document: nothing to set a tool in.
    palette->updateEnabling();
    EXPECT_FALSE(palette->isEnabled());
    EXPECT_FALSE(palette->selectionTools()->isEnabled());
    // A document window is main but its drawing view does not have the keyboard (a sidebar
    // field has it): the palette stays usable.
    auto document = mainDocument();
    if (QWidget* focus = QApplication::focusWidget())
        focus->clearFocus();
    ASSERT_FALSE(PWToolController::firstResponderAbleToSetTool());
    palette->updateEnabling();
    EXPECT_TRUE(palette->isEnabled());
    EXPECT_TRUE(palette->drawingTools()->isEnabled());
}

TEST_F(ToolsPalette, DoubleClicksZoomTheViewOrToggleStickiness)
{
    auto document = mainDocument();
    auto palette = CVLToolsController::sharedToolsController();
    PWDrawingView* view = document->mainView();
    PWToolController* controller = palette->currentToolController();
    ASSERT_TRUE(view && controller);
    Posts reverts(kPWDidChangeToolAutoRevertStateNotification);

    view->setScale(3.0);
    palette->selectionTools()->selectCellWithTag(3);
    palette->toolsDoubleAction(senderOf(palette->selectionTools()));
    EXPECT_DOUBLE_EQ(view->scale(), 1.0);

    // Pan fits the drawing in the window: a zoom, not a change of stickiness.
    const bool reverting = controller->automaticallyReverts();
    view->setScale(3.0);
    palette->selectionTools()->selectCellWithTag(2);
    palette->toolsDoubleAction(senderOf(palette->selectionTools()));
    EXPECT_NE(view->scale(), 3.0);
    EXPECT_EQ(controller->automaticallyReverts(), reverting);
    EXPECT_TRUE(reverts.objects.isEmpty());

    palette->drawingTools()->selectCellWithTag(10);
    palette->toolsDoubleAction(senderOf(palette->drawingTools()));
    EXPECT_EQ(controller->automaticallyReverts(), !reverting);
    EXPECT_EQ(reverts.objects.size(), 1);
    // The sticky colour marks a tool that stays; the tint one that reverts.
    auto* cell = palette->cellForTag(10);
    palette->styleButtonCellWillDrawBackgroundInFrame(*cell, {});
    const pf::Color stayColour = cell->onStateColour();
    controller->toggleAutoRevertAction();
    palette->styleButtonCellWillDrawBackgroundInFrame(*cell, {});
    EXPECT_NE(cell->onStateColour(), stayColour);
}

TEST_F(ToolsPalette, SlicesPaletteStandsInForTheMainPalette)
{
    auto main = CVLToolsController::sharedToolsController();
    main->showWindow({});
    auto slices = VNQLSlicesToolPaletteController::sharedSlicesToolPalette();
    EXPECT_EQ(VNQLSlicesToolPaletteController::sharedSlicesToolPalette(), slices);

    slices->showWindow({});
    EXPECT_FALSE(main->window()->isVisible());
    EXPECT_TRUE(slices->window()->isVisible());
    // Shown a second time while up, it still remembers that the main palette was visible.
    slices->showWindow({});
    EXPECT_TRUE(slices->mainToolsPreviouslyVisible());
    slices->close();
    EXPECT_TRUE(main->window()->isVisible());
    EXPECT_FALSE(slices->window()->isVisible());

    // Modes: the palette selects what it is told and reports what the user picks.
    auto layer = std::make_shared<VNQLSlicesLayer>();
    slices->setDelegate(layer);
    slices->selectToolMode(VNQLSlicesToolPaletteController::kDrawSliceMode);
    EXPECT_EQ(selectedTag(slices->toolsMatrix()), 1);
    layer->setToolMode(VNQLSlicesLayer::DrawMode);
    slices->toolsMatrix()->selectCellWithTag(VNQLSlicesToolPaletteController::kSelectSlicesMode);
    slices->toolsMatrixAction(senderOf(slices->toolsMatrix()));
    EXPECT_EQ(layer->toolMode(), int(VNQLSlicesLayer::SelectMode));
    // The layer's own mode changes show in the palette.
    layer->setToolMode(VNQLSlicesLayer::DrawMode);
    EXPECT_EQ(selectedTag(slices->toolsMatrix()), 1);
    // Export without a document asks nobody.
    slices->exportAction({});
}

TEST_F(ToolsPalette, ADocumentWithoutActiveSlicesHidesTheSlicesPalette)
{
    auto main = CVLToolsController::sharedToolsController();
    main->showWindow({});
    auto slices = VNQLSlicesToolPaletteController::sharedSlicesToolPalette();
    slices->showWindow({});
    ASSERT_FALSE(main->window()->isVisible());

    auto document = mainDocument();
    ASSERT_FALSE(std::dynamic_pointer_cast<VNQLSlicesLayer>(document->drawing()->activeLayer()));
    slices->mainWindowDidChange(document->windowControllers().first()->window());
    EXPECT_FALSE(slices->window()->isVisible());
    EXPECT_FALSE(slices->delegate());
    EXPECT_TRUE(main->window()->isVisible());
}

TEST_F(ToolsPalette, SmartSelectButtonMenuChoosesWhatCountsAsAlike)
{
    auto palette = CVLToolsController::sharedToolsController();
    const auto button = palette->smartSelectButton();
    ASSERT_TRUE(button);
    EXPECT_TRUE(button->showsMenuAfterDelay());
    const pf::Ref<pf::Menu> menu = button->menu();
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->items().size(), 3);
    auto tool = std::dynamic_pointer_cast<PWSmartSelectTool>(PWDrawingTool::drawingToolWithName(kPWSmartSelectToolName));
    ASSERT_TRUE(tool);

    const pf::Ref<pf::MenuItem> kind = menu->items().at(1);
    palette->perform(kind->action(), {pf::toVariant(std::static_pointer_cast<pf::Object>(kind))});
    EXPECT_EQ(tool->matchMode(), PWSmartSelectTool::kMatchKind);
    EXPECT_EQ(PWDrawingTool::sharedCurrentTool(), tool);
    EXPECT_EQ(kind->state(), pf::ControlState::On);
    EXPECT_EQ(menu->items().at(0)->state(), pf::ControlState::Off);
    tool->setMatchMode(PWSmartSelectTool::kMatchStyle);

    // Pressing the button starts its menu delay; letting go before it ends is a plain click.
    pf::Matrix* matrix = palette->selectionTools();
    int row = 0, column = 0;
    ASSERT_TRUE(matrix->getRowColumnOfCell(&row, &column, button.get()));
    const QPointF centre = matrix->cellFrameAtRow(row, column).center();
    auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
        QMouseEvent event(type, centre, matrix->mapToGlobal(centre), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(matrix, &event);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_TRUE(button->hasPendingMenuTimer());
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    EXPECT_FALSE(button->hasPendingMenuTimer());
    EXPECT_EQ(selectedTag(matrix), 44);
}

TEST_F(ToolsPalette, ToolTipsNameTheToolAndItsKey)
{
    auto select = PWDrawingTool::selectionTool();
    auto rectangle = PWDrawingTool::drawingToolWithName(kPWRectangleToolName);
    auto oval = PWDrawingTool::drawingToolWithName(kPWOvalToolName);
    const QString selectKey = select->keyboardEquivalent();
    const QString rectangleKey = rectangle->keyboardEquivalent();
    const QString ovalKey = oval->keyboardEquivalent();
    oval->setKeyboardEquivalent({});

    struct Case {
        QString selectKey, rectangleKey;
        QString selectTip, rectangleTip;
    };
    for (const Case& c : {Case{{}, QStringLiteral("r"), QStringLiteral("Select [Esc]"), QStringLiteral("Rectangle [r]")},
                          Case{QStringLiteral("v"), {}, QStringLiteral("Select [v, Esc]"), QStringLiteral("Rectangle")}}) {
        SCOPED_TRACE(c.selectTip.toStdString());
        select->setKeyboardEquivalent(c.selectKey);
        rectangle->setKeyboardEquivalent(c.rectangleKey);
        CVLToolsController::releaseSharedToolsController();
        auto palette = CVLToolsController::sharedToolsController();
        EXPECT_EQ(palette->cellForTag(6)->toolTip(), c.selectTip);
        EXPECT_EQ(palette->cellForTag(10)->toolTip(), c.rectangleTip);
        EXPECT_EQ(palette->cellForTag(11)->toolTip(), QStringLiteral("Oval"));
    }
    select->setKeyboardEquivalent(selectKey);
    rectangle->setKeyboardEquivalent(rectangleKey);
    oval->setKeyboardEquivalent(ovalKey);
}

TEST_F(ToolsPalette, AStyleDroppedOnThePreviewBecomesTheCreationStyle)
{
    auto palette = CVLToolsController::sharedToolsController();
    const pf::Ref<PWStyle> dropped = std::static_pointer_cast<PWStyle>(PWStyle::defaultStyle()->copy());
    // What the well does once a drop is taken: shows the style and sends its action.
    palette->stylePreview()->setStyle(dropped);
    palette->perform(palette->stylePreview()->action(), {});
    EXPECT_EQ(palette->representedObject(), dropped);
    EXPECT_EQ(PWObjectCreationTool::styleForCreatedObjects(), dropped);

    // Without a document there is no view to zoom and no tool controller to ask.
    palette->selectionTools()->selectCellWithTag(2);
    palette->toolsDoubleAction(senderOf(palette->selectionTools()));
    palette->drawingTools()->selectCellWithTag(10);
    palette->toolsDoubleAction(senderOf(palette->drawingTools()));
    EXPECT_FALSE(palette->currentToolController());
}

TEST_F(ToolsPalette, TheActiveSlicesLayerBringsUpItsPalette)
{
    auto main = CVLToolsController::sharedToolsController();
    main->showWindow({});
    auto document = mainDocument();
    const pf::Ref<PWDrawing> drawing = document->drawing();
    const auto slices = slicesLayer(*drawing);
    ASSERT_TRUE(slices);
    const pf::Ref<PWLayer> before = drawing->activeLayer();

    drawing->setActiveLayer(slices);
    auto palette = VNQLSlicesToolPaletteController::sharedSlicesToolPalette();
    EXPECT_TRUE(palette->window()->isVisible());
    EXPECT_FALSE(main->window()->isVisible());
    EXPECT_EQ(palette->delegate(), slices);
    EXPECT_EQ(selectedTag(palette->toolsMatrix()), slices->toolMode());

    drawing->setActiveLayer(before);
    EXPECT_FALSE(palette->window()->isVisible());
    EXPECT_TRUE(main->window()->isVisible());
}

// The palette is as wide as its columns of buttons, so every button shows whole, even where
// an older layout saved a narrower frame: a saved frame gives the palette its place, not its size.
TEST_F(ToolsPalette, ShowsEveryButtonWholeWhateverFrameWasSaved)
{
    const QString key = QStringLiteral("NSWindow Frame CVLQ_TOOLS_PALETTE_FRAME");
    defaults().setObject(QStringLiteral("301 15 74 521 0 0 800 600"), key);
    struct Forget {
        ~Forget() { pf::UserDefaults::standard().removeObjectForKey(QStringLiteral("NSWindow Frame CVLQ_TOOLS_PALETTE_FRAME")); }
    } forget;
    auto palette = CVLToolsController::sharedToolsController();
    palette->showWindow({});
    auto* window = qobject_cast<pf::Window*>(palette->window());
    ASSERT_TRUE(window);
    for (pf::Matrix* matrix : window->findChildren<pf::Matrix*>()) {
        if (!matrix->isVisibleTo(window))
            continue;
        const QRect inWindow(matrix->mapTo(window, QPoint()), matrix->size());
        EXPECT_TRUE(window->rect().contains(inWindow)) << "matrix at " << inWindow.x() << "," << inWindow.y() << " "
                                                       << inWindow.width() << "x" << inWindow.height() << " in "
                                                       << window->width() << "x" << window->height();
    }
}
