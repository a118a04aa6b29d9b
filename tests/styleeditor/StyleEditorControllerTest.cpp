#include "tests/styleeditor/StyleEditorTestSupport.h"

#include "styleeditor/VNQLStyleComponentPlaceholder.h"
#include "styleeditor/VNQLStyleEditSub_PWStroke.h"

#include "frameworks/penwork/renderers/PWArrowStroke.h"
#include "frameworks/penwork/renderers/PWGloomGroup.h"
#include "frameworks/penwork/renderers/PWRoughStroke.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWRastGroup.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/MenuItem.h"
#include "widgets/RVCollapsibleContainerView.h"

using namespace style_test;
using pf::Ref;

namespace {

Ref<PWRasterizer> stroke(double width = 1.0)
{
    return PWStroke::strokeWithWidth(width, pf::Color::black());
}

// A style whose copy fails, as a damaged or exotic one might.
class UncopyableStyle : public PWStyle {
public:
    pf::Ref<pf::Object> mutableCopy() const override
    {
        pf::raise(QStringLiteral("NSInternalInconsistencyException"), QStringLiteral("cannot copy"));
    }
};

} // namespace

TEST_F(StyleEditorTest, PaneStackShowsTheRenderListTopDownNestedForGroups)
{
    struct Case {
        const char* name;
        std::function<QList<Ref<PWRasterizer>>()> renderers;
        QStringList panes;
    };
    const QList<Case> cases = {
        {"flat", [] { return QList<Ref<PWRasterizer>>{stroke(), std::make_shared<PWFill>(), std::make_shared<PWArrowStroke>()}; },
         {"VNQLStyleEditSub_PWArrowStroke:PWArrowStroke", "VNQLStyleEditSub_PWFill:PWFill",
          "VNQLStyleEditSub_PWStroke:PWStroke"}},
        {"nested",
         [] {
             auto group = std::make_shared<PWRastGroup>();
             group->addRenderer(std::make_shared<PWFill>());
             group->addRenderer(std::make_shared<PWRoughStroke>());
             return QList<Ref<PWRasterizer>>{stroke(), group};
         },
         {"VNQLStyleComponentPlaceholder:PWRastGroup", "VNQLStyleEditSub_PWRoughStroke:PWRoughStroke",
          "VNQLStyleEditSub_PWFill:PWFill", "VNQLStyleEditSub_PWStroke:PWStroke"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        showStyle(c.renderers());
        EXPECT_EQ(paneClasses(), c.panes);
    }
    // The group's children sit inside the group's container, its own pane view first.
    VNQLStyleComponentController* group = editor->subcontrollers().value(0);
    VNQLStyleComponentController* child = editor->subcontrollers().value(1);
    ASSERT_TRUE(group && child);
    EXPECT_EQ(child->hostingView()->parentContainerView(), group->hostingView());
    EXPECT_EQ(group->hostingView()->hostedViews().value(0), group->view());
    EXPECT_EQ(group->hostingView()->title(), QStringLiteral("Group"));
}

TEST_F(StyleEditorTest, SelectionFoldsSharedStylesAndMixedStylesShowMultiple)
{
    auto shared = showStyle({stroke()});
    auto a = shape(shared);
    auto b = shape(shared);
    select({a, b});
    EXPECT_EQ(editor->style(), shared);
    EXPECT_EQ(editor->subcontrollers().size(), 1);

    auto other = shape(PWStyle::styleWithFillColour(pf::Color::white(), pf::Color::black()));
    select({a, other});
    EXPECT_EQ(editor->style(), nullptr);
    EXPECT_EQ(editor->nameField()->stringValue(), QStringLiteral("Multiple Styles"));
    EXPECT_TRUE(editor->subcontrollers().isEmpty());

    select({a});
    select({});
    // Deselecting keeps the last style shown.
    EXPECT_EQ(editor->style(), shared);
}

TEST_F(StyleEditorTest, RebuildsCoalesceAndSkipAStyleNoLongerShown)
{
    auto style = showStyle({stroke()});
    const int built = editor->buildCount();
    editor->rebuildUI();
    editor->rebuildUI();
    style->addRenderer(std::make_shared<PWFill>()); // a render-list change asks too
    settle();
    EXPECT_EQ(editor->buildCount(), built + 1);
    EXPECT_EQ(editor->subcontrollers().size(), 2);

    editor->rebuildUI();
    auto next = PWStyle::styleWithFillColour(pf::Color::white(), pf::Color::black());
    editor->setContent({next});
    const int afterSwitch = editor->buildCount();
    settle();
    EXPECT_EQ(editor->buildCount(), afterSwitch) << "the deferred rebuild was for a style no longer shown";
    EXPECT_EQ(editor->style(), next);
}

TEST_F(StyleEditorTest, ComponentTagsAddTheirRendererWithANamedUndo)
{
    struct Case {
        qint64 tag;
        const char* className;
    };
    for (const Case& c : {Case{0, "PWStroke"}, Case{7, "PWArrowStroke"}, Case{26, "PWGloomGroup"}, Case{27, "PWGloomGroup"},
                          Case{22, "PWTilingFill"}, Case{23, nullptr}, Case{-1, nullptr}, Case{99, nullptr}}) {
        const pf::Class* cls = VNQLStyleEditorController::componentClassForStyleComponentTag(c.tag);
        EXPECT_EQ(cls ? cls->name() : QString(), c.className ? QString::fromLatin1(c.className) : QString()) << c.tag;
    }

    auto style = showStyle({std::make_shared<PWFill>()});
    ASSERT_TRUE(editor->addComponentForTag(0));
    ASSERT_EQ(style->countOfRenderList(), 2);
    EXPECT_TRUE(style->renderList().last()->isKindOf<PWStroke>());
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Add Stroke"));
    EXPECT_EQ(paneClasses().first(), QStringLiteral("VNQLStyleEditSub_PWStroke:PWStroke"));
    undo().undo();
    EXPECT_EQ(style->countOfRenderList(), 1);

    // A locked style takes nothing and records nothing.
    style->setLocked(true);
    const QString before = undo().undoActionName();
    EXPECT_FALSE(editor->addComponentForTag(0));
    EXPECT_EQ(style->countOfRenderList(), 1);
    EXPECT_EQ(undo().undoActionName(), before);
}

TEST_F(StyleEditorTest, ClosingAPaneDeletesItsRendererUndoably)
{
    auto style = showStyle({std::make_shared<PWFill>(), stroke(2)});
    VNQLStyleComponentController* top = editor->subcontrollers().first();
    top->deleteComponentAction({});
    settle();
    ASSERT_EQ(style->countOfRenderList(), 1);
    EXPECT_TRUE(style->renderList().first()->isKindOf<PWFill>());
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Delete Stroke"));
    undo().undo();
    settle();
    ASSERT_EQ(style->countOfRenderList(), 2);
    EXPECT_TRUE(style->renderList().last()->isKindOf<PWStroke>());
    EXPECT_EQ(editor->subcontrollers().size(), 2);
}

TEST_F(StyleEditorTest, ViewPositionsMapToRenderIndexesUpsideDown)
{
    // Moves within a group: position 0 is the top, the last renderer.
    EXPECT_EQ(VNQLStyleEditorController::renderIndexForViewPosition(3, 0), 2);
    EXPECT_EQ(VNQLStyleEditorController::renderIndexForViewPosition(3, 2), 0);
    // Drops into a group of `count` others.
    const qint64 notFound = qint64(RVCollapsibleContainerView::kNotFound);
    for (auto [count, position, index] : {std::tuple{0, 0, 0}, {2, 0, 2}, {2, 1, 1}, {2, 2, 0}, {2, notFound, 0}})
        EXPECT_EQ(VNQLStyleEditorController::renderIndexForDropPosition(count, position), index) << count << "/" << position;

    auto a = stroke(1), b = stroke(2), c = stroke(3);
    auto style = showStyle({a, b, c});
    VNQLStyleComponentController* top = editor->subcontrollerForComponent(c.get());
    ASSERT_TRUE(top);
    editor->containerViewDidMoveSubview(*editor->stackView(), top->hostingView(), 2);
    EXPECT_EQ(style->indexOfRenderer(c.get()), 0);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Change Style Component Order"));
    const int steps = undo().undoActionName().size();
    undo().undo();
    EXPECT_EQ(style->indexOfRenderer(c.get()), 2);
    // Back where it is: nothing moves, nothing is named.
    undo().removeAllActions();
    top = editor->subcontrollerForComponent(c.get());
    editor->containerViewDidMoveSubview(*editor->stackView(), top->hostingView(), 0);
    EXPECT_EQ(style->indexOfRenderer(c.get()), 2);
    EXPECT_FALSE(undo().canUndo());
    (void)steps;
}

TEST_F(StyleEditorTest, DroppingIntoAGroupMovesTheRendererButNeverIntoItself)
{
    auto outer = std::make_shared<PWRastGroup>();
    auto inner = std::make_shared<PWRastGroup>();
    inner->addRenderer(std::make_shared<PWFill>());
    outer->addRenderer(inner);
    auto loose = stroke();
    auto style = showStyle({loose, outer});

    VNQLStyleComponentController* outerPane = editor->subcontrollerForComponent(outer.get());
    VNQLStyleComponentController* innerPane = editor->subcontrollerForComponent(inner.get());
    ASSERT_TRUE(outerPane && innerPane);
    // A group dropped into a group inside it is refused and changes nothing.
    EXPECT_FALSE(editor->containerViewWillAcceptDroppedView(*innerPane->hostingView(), outerPane->hostingView(), 0));
    EXPECT_EQ(outer->container(), style.get());
    EXPECT_EQ(inner->container(), outer.get());

    VNQLStyleComponentController* loosePane = editor->subcontrollerForComponent(loose.get());
    const int built = editor->buildCount();
    editor->containerViewWillAcceptDroppedView(*innerPane->hostingView(), loosePane->hostingView(), 0);
    EXPECT_EQ(loose->container(), inner.get());
    EXPECT_EQ(inner->indexOfRenderer(loose.get()), 1) << "dropped at the top of the group";
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Change Style Component Order"));
    settle();
    EXPECT_EQ(editor->buildCount(), built + 1);
}

TEST_F(StyleEditorTest, ResetGivesACopyOfTheDefaultStyleAndCloneKeepsTheNameProviderOn)
{
    auto style = showStyle({stroke()});
    auto object = std::dynamic_pointer_cast<PWDrawableShape>(editor->selection().first());
    editor->resetStyleAction({});
    EXPECT_NE(object->style(), PWStyle::defaultStyle()) << "the shared default must never be handed out";
    EXPECT_TRUE(object->style()->isEqualToStyle(PWStyle::defaultStyle().get()));
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Reset Style"));

    // Who hears of the new style reads it from the editor by key.
    pf::Ref<PWStyle> announced;
    const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
        kPWStyleInspectorDidCreateNewStyle, nullptr, [&](const pf::Notification& note) {
            announced = pf::objectCast<PWStyle>(note.object->valueForKey(QStringLiteral("style")));
        });
    editor->cloneStyleAction({});
    pf::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_NE(object->style(), editor->content().isEmpty() ? nullptr : Ref<PWStyle>());
    EXPECT_EQ(announced, object->style());
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Clone Style"));

    auto broken = std::make_shared<UncopyableStyle>();
    editor->setContent({broken});
    EXPECT_THROW(editor->cloneStyleAction({}), pf::Exception);
    EXPECT_TRUE(PWStyle::isNameProviderEnabled());
}

TEST_F(StyleEditorTest, ALockedLibraryLocksTheHeaderThePanesAndRenaming)
{
    auto style = std::make_shared<PWStyle>();
    style->addRenderer(stroke());
    libraryHolding(style, false);
    select({shape(style)});
    ASSERT_TRUE(editor->styleInLockedLibrary());
    EXPECT_FALSE(style->locked());
    EXPECT_FALSE(editor->lockedLibraryIcon()->isHidden());
    EXPECT_FALSE(editor->componentPopUp()->isEnabled());
    EXPECT_EQ(editor->editableIconName(), QStringLiteral("VNST_editable-OFF-Template"));
    auto* strokePane = pane<VNQLStyleEditSub_PWStroke>(0);
    ASSERT_TRUE(strokePane);
    EXPECT_TRUE(strokePane->locked());
    EXPECT_FALSE(strokePane->widthField()->isEnabled());
    EXPECT_FALSE(strokePane->hostingView()->closingButton()->isEnabled());
    // Renaming by double click follows the menu's rule.
    editor->handleNameDoubleClick();
    EXPECT_FALSE(editor->renamingModeActive());

    auto deleteItem = pf::MenuItem::make(QString(), QStringLiteral("deleteComponentAction:"));
    auto copyItem = pf::MenuItem::make(QString(), QStringLiteral("copyComponentAction:"));
    EXPECT_FALSE(strokePane->validateUserInterfaceItem(*deleteItem));
    EXPECT_TRUE(strokePane->validateUserInterfaceItem(*copyItem));
    EXPECT_EQ(copyItem->title(), QStringLiteral("Copy Stroke"));
    // The items of a pane's pop-ups (no action of their own) stay choosable.
    EXPECT_TRUE(strokePane->validateUserInterfaceItem(*strokePane->clippingPopUp()->itemAtIndex(1)));
    for (pf::PopUpButton* popUp : {strokePane->clippingPopUp(), strokePane->widthPopUp()}) {
        popUp->menu()->update();
        EXPECT_TRUE(popUp->itemAtIndex(1)->isEnabled());
    }
}

TEST_F(StyleEditorTest, RenamingAndTheEditableBoxNameTheirChanges)
{
    auto style = showStyle({stroke()});
    editor->renameAction({});
    ASSERT_TRUE(editor->renamingModeActive());
    editor->nameFieldAction(QStringLiteral("Coastline"));
    EXPECT_EQ(style->name(), QStringLiteral("Coastline"));
    EXPECT_FALSE(editor->renamingModeActive());

    editor->editableAction(false);
    EXPECT_TRUE(style->locked());
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Disable Editing"));
    EXPECT_FALSE(editor->opacityField()->isEnabled());
    editor->editableAction(true);
    EXPECT_FALSE(style->locked());
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Allow Editing"));
}

TEST_F(StyleEditorTest, UnitsAndCollapseStatesLiveInTheUserDefaults)
{
    // Without a drawing there is nothing to convert to: points.
    auto lone = std::make_shared<VNQLStyleEditorController>();
    lone->view();
    lone->setShowsDrawingUnits(true);
    EXPECT_EQ(lone->unitsConversionFactor(), 1.0);
    EXPECT_EQ(lone->unitsAbbreviation(), QStringLiteral("pt"));
    EXPECT_TRUE(pf::UserDefaults::standard().boolForKey(QStringLiteral("kVNQLStyleEditorShowsDrawingUnits")));

    editor->setShowsDrawingUnits(true);
    EXPECT_DOUBLE_EQ(editor->unitsConversionFactor(), 1.0 / drawing->unitToPointsConversionFactor());
    EXPECT_EQ(editor->unitsAbbreviation(), drawing->abbreviatedDrawingUnits());
    editor->setShowsDrawingUnits(false);
    EXPECT_EQ(editor->unitsAbbreviation(), QStringLiteral("pt"));

    showStyle({stroke()});
    RVCollapsibleContainerView* container = editor->subcontrollers().first()->hostingView();
    editor->containerViewDidCollapse(*container);
    const QVariantMap stored =
        pf::UserDefaults::standard().objectForKey(QStringLiteral("kVNQLStyleEditorCollapseState")).toMap();
    EXPECT_EQ(stored.value(QStringLiteral("VNQLStyleEditSub_PWStroke")).toInt(), 1);
    editor->rebuildUI();
    settle();
    EXPECT_TRUE(editor->subcontrollers().first()->hostingView()->collapsed());

    // Without adornments the component menu offers no text, image or decorator components.
    pf::UserDefaults::standard().setBool(false, QStringLiteral("kVNQLStyleEditorShowsAdornments"));
    auto plain = std::make_shared<VNQLStyleEditorController>();
    plain->view();
    EXPECT_EQ(plain->componentPopUp()->menu()->itemWithTag(5), nullptr);
    EXPECT_NE(plain->componentPopUp()->menu()->itemWithTag(0), nullptr);
    EXPECT_NE(editor->componentPopUp()->menu()->itemWithTag(5), nullptr);
    pf::UserDefaults::standard().removeObjectForKey(QStringLiteral("kVNQLStyleEditorShowsAdornments"));
}

TEST_F(StyleEditorTest, CopiedComponentsPasteWithTheirNameAndLibraryCommandsFollowTheLibrary)
{
    auto source = stroke(4);
    auto style = showStyle({std::make_shared<PWFill>(), source});
    editor->subcontrollerForComponent(source.get())->copyComponentAction({});
    auto paste = pf::MenuItem::make(QString(), QStringLiteral("pasteComponentAction:"));
    EXPECT_TRUE(editor->validateUserInterfaceItem(*paste));
    EXPECT_EQ(paste->title(), QStringLiteral("Paste Component (Stroke)"));
    editor->pasteComponentAction({});
    ASSERT_EQ(style->countOfRenderList(), 3);
    EXPECT_NE(style->renderList().last(), source) << "a copy is pasted";
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Paste Stroke"));

    auto addToLibrary = pf::MenuItem::make(QString(), QStringLiteral("addToLibraryAction:"));
    auto reveal = pf::MenuItem::make(QString(), QStringLiteral("revealInLibraryAction:"));
    EXPECT_TRUE(editor->validateUserInterfaceItem(*addToLibrary));
    EXPECT_FALSE(editor->validateUserInterfaceItem(*reveal));
    libraryHolding(style, true);
    EXPECT_FALSE(editor->validateUserInterfaceItem(*addToLibrary));
    EXPECT_TRUE(editor->validateUserInterfaceItem(*reveal));
}
