#include "tests/styleeditor/StyleEditorTestSupport.h"

#include "styleeditor/VNQLStyleEditSub_PWCIFilterTypeBlurGroup.h"
#include "styleeditor/VNQLStyleEditSub_PWFill.h"
#include "styleeditor/VNQLStyleEditSub_PWFillPattern.h"
#include "styleeditor/VNQLStyleEditSub_PWGradientFill.h"
#include "styleeditor/VNQLStyleEditSub_PWGloomGroup.h"
#include "styleeditor/VNQLStyleEditSub_PWHatching.h"
#include "styleeditor/VNQLStyleEditSub_PWImageAdornment.h"
#include "styleeditor/VNQLStyleEditSub_PWPathDecorator.h"
#include "styleeditor/VNQLStyleEditSub_PWRepeatTransformGroup.h"
#include "styleeditor/VNQLStyleEditSub_PWTilingFill.h"
#include "styleeditor/VNQLStyleEditSub_PWZigZagFill.h"

#include "frameworks/penwork/archiving/PWRasterizerPasteboard.h"
#include "frameworks/penwork/renderers/PWCIFilterTypeBlurGroup.h"
#include "frameworks/penwork/renderers/PWFillPattern.h"
#include "frameworks/penwork/renderers/PWGloomGroup.h"
#include "frameworks/penwork/renderers/PWHatching.h"
#include "frameworks/penwork/renderers/PWImageAdornment.h"
#include "frameworks/penwork/renderers/PWPathDecorator.h"
#include "frameworks/penwork/renderers/PWRepeatTransformGroup.h"
#include "frameworks/penwork/renderers/PWTilingFill.h"
#include "frameworks/penwork/renderers/PWZigZagFill.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "platform/graphics/Shadow.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Pasteboard.h"

#include <QBuffer>

using namespace style_test;
using pf::Ref;

namespace {

class FillAndGroupPanesTest : public StyleEditorTest {
protected:
    template <class Pane, class Renderer>
    std::pair<Pane*, Ref<Renderer>> show(Ref<Renderer> renderer = std::make_shared<Renderer>())
    {
        showStyle({renderer});
        auto* pane = dynamic_cast<Pane*>(editor->subcontrollers().value(0));
        EXPECT_TRUE(pane) << "no pane of the right class";
        undo().removeAllActions();
        return {pane, renderer};
    }
    static void copyToPasteboard(const Ref<PWRasterizer>& renderer)
    {
        PWRasterizerPasteboard::copyToPasteboard(renderer, *pf::Pasteboard::general());
    }
    static QByteArray pngBytes(QSize size)
    {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(Qt::red);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }
};

template <class Pane>
std::function<void(VNQLStyleComponentController&)> edit(void (Pane::*action)(const QVariant&), QVariant value)
{
    return [action, value](VNQLStyleComponentController& pane) { (dynamic_cast<Pane&>(pane).*action)(value); };
}

} // namespace

// Each pane: an edit in the pane reaches the renderer, and undo restores it, by name.
TEST_F(FillAndGroupPanesTest, EditsReachTheRendererAndUndoRestoresThemByName)
{
    struct Case {
        const char* name;
        std::function<Ref<PWRasterizer>()> make;
        std::function<void(VNQLStyleComponentController&)> edit;
        std::function<double(PWRasterizer&)> read;
        double expected;
    };
    const QList<Case> cases = {
        {"fill shadow", [] { return std::make_shared<PWFill>(); }, edit(&VNQLStyleEditSub_PWFill::shadowEnabledAction, true),
         [](PWRasterizer& r) { return double(dynamic_cast<PWFill&>(r).hasShadow()); }, 1},
        {"zig-zag fill amplitude", [] { return std::make_shared<PWZigZagFill>(); },
         edit(&VNQLStyleEditSub_PWZigZagFill::amplitudeAction, 7.5),
         [](PWRasterizer& r) { return dynamic_cast<PWZigZagFill&>(r).amplitude(); }, 7.5},
        {"tiling opacity", [] { return std::make_shared<PWTilingFill>(); },
         edit(&VNQLStyleEditSub_PWTilingFill::opacityAction, 0.25),
         [](PWRasterizer& r) { return dynamic_cast<PWTilingFill&>(r).opacity(); }, 0.25},
        {"hatching spacing", [] { return std::make_shared<PWHatching>(); },
         edit(&VNQLStyleEditSub_PWHatching::spacingAction, 12.0),
         [](PWRasterizer& r) { return dynamic_cast<PWHatching&>(r).spacing(); }, 12},
        {"hatching width preset", [] { return std::make_shared<PWHatching>(); },
         edit(&VNQLStyleEditSub_PWHatching::widthPopUpMenuAction, 30),
         [](PWRasterizer& r) { return dynamic_cast<PWHatching&>(r).width(); }, 3},
        {"hatching cap", [] { return std::make_shared<PWHatching>(); }, edit(&VNQLStyleEditSub_PWHatching::lineCapAction, 1),
         [](PWRasterizer& r) { return double(dynamic_cast<PWHatching&>(r).lineCapStyle()); }, 1},
        {"repeats", [] { return std::make_shared<PWRepeatTransformGroup>(); },
         edit(&VNQLStyleEditSub_PWRepeatTransformGroup::repeatsAction, 6),
         [](PWRasterizer& r) { return double(dynamic_cast<PWRepeatTransformGroup&>(r).numberOfRepeats()); }, 6},
        {"repeat rotation in degrees", [] { return std::make_shared<PWRepeatTransformGroup>(); },
         edit(&VNQLStyleEditSub_PWRepeatTransformGroup::rotationAction, 90.0),
         [](PWRasterizer& r) { return dynamic_cast<PWRepeatTransformGroup&>(r).deltaAngle(); }, M_PI / 2},
        {"gloom type", [] { return std::make_shared<PWGloomGroup>(); }, edit(&VNQLStyleEditSub_PWGloomGroup::typeAction, 1),
         [](PWRasterizer& r) { return double(dynamic_cast<PWGloomGroup&>(r).type()); }, 1},
        {"blur amount", [] { return std::make_shared<PWCIFilterTypeBlurGroup>(); },
         edit(&VNQLStyleEditSub_PWCIFilterTypeBlurGroup::blurAmountAction, 9.0),
         [](PWRasterizer& r) { return dynamic_cast<PWCIFilterTypeBlurGroup&>(r).blurAmount(); }, 9},
        {"decorator spacing", [] { return std::make_shared<PWPathDecorator>(); },
         edit(&VNQLStyleEditSub_PWPathDecorator::spacingAction, 33.0),
         [](PWRasterizer& r) { return dynamic_cast<PWPathDecorator&>(r).interval(); }, 33},
        {"decorator clipping", [] { return std::make_shared<PWPathDecorator>(); },
         edit(&VNQLStyleEditSub_PWPathDecorator::clippingAction, 2),
         [](PWRasterizer& r) { return double(dynamic_cast<PWPathDecorator&>(r).clipping()); }, 2},
        {"pattern motif angle", [] { return std::make_shared<PWFillPattern>(); },
         edit(&VNQLStyleEditSub_PWFillPattern::motifAngleAction, 15.0),
         [](PWRasterizer& r) { return dynamic_cast<PWFillPattern&>(r).motifAngleInDegrees(); }, 15},
        {"adornment fitting", [] { return std::make_shared<PWImageAdornment>(); },
         edit(&VNQLStyleEditSub_PWImageAdornment::fillModeAction, 2),
         [](PWRasterizer& r) { return double(dynamic_cast<PWImageAdornment&>(r).fittingOption()); }, 2},
        {"adornment compositing", [] { return std::make_shared<PWImageAdornment>(); },
         edit(&VNQLStyleEditSub_PWImageAdornment::compositionModeAction, 14),
         [](PWRasterizer& r) { return double(dynamic_cast<PWImageAdornment&>(r).operation()); }, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ref<PWRasterizer> renderer = c.make();
        showStyle({renderer});
        VNQLStyleComponentController* pane = editor->subcontrollers().value(0);
        ASSERT_TRUE(pane);
        EXPECT_EQ(pane->className(), QStringLiteral("VNQLStyleEditSub_") + renderer->className());
        const double before = c.read(*renderer);
        undo().removeAllActions();
        c.edit(*pane);
        EXPECT_NEAR(c.read(*renderer), c.expected, 1e-9);
        ASSERT_TRUE(undo().canUndo());
        EXPECT_TRUE(undo().undoActionName().startsWith(renderer->displayName())) << qPrintable(undo().undoActionName());
        undo().undo();
        EXPECT_NEAR(c.read(*renderer), before, 1e-9);
    }
}

TEST_F(FillAndGroupPanesTest, ATilingImageNamesTheUndoStepOnlyWhenTheFillTakesIt)
{
    auto [pane, tiling] = show<VNQLStyleEditSub_PWTilingFill, PWTilingFill>();
    tiling->setOpacity(0.5);
    undo().setActionName(QStringLiteral("Earlier Step"));
    EXPECT_FALSE(pane->takeImageData("not an image at all"));
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Earlier Step"));
    EXPECT_FALSE(pane->imageView()->image());

    ASSERT_TRUE(pane->takeImageData(pngBytes(QSize(4, 3))));
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Change Tiling Image"));
    ASSERT_TRUE(pane->imageView()->image());
    EXPECT_EQ(tiling->image().size(), QSize(4, 3));
    undo().undo();
    EXPECT_TRUE(tiling->image().isNull());
}

TEST_F(FillAndGroupPanesTest, TurningAFillShadowOffDisablesTheShadowControls)
{
    auto [pane, fill] = show<VNQLStyleEditSub_PWFill, PWFill>();
    pane->shadowEnabledAction(true);
    ASSERT_TRUE(fill->shadow());
    EXPECT_TRUE(pane->shadowEditor()->blurSlider()->isEnabled());
    // An edit in the sub-pane reaches the fill's shadow as one undoable step.
    settle();
    undo().removeAllActions();
    pane->shadowEditor()->blurSlider()->setDoubleValue(7.0);
    pane->shadowEditor()->blurRadiusAction(sender(pane->shadowEditor()->blurSlider()));
    EXPECT_DOUBLE_EQ(fill->shadow()->shadowBlurRadius(), 7.0);
    EXPECT_TRUE(undo().canUndo());
    pane->shadowEnabledAction(false);
    EXPECT_FALSE(fill->shadow());
    EXPECT_FALSE(pane->shadowEditor()->blurSlider()->isEnabled());
    EXPECT_EQ(pane->shadowEditor()->colourWell()->color(), pf::Color::clear());
}

TEST_F(FillAndGroupPanesTest, HatchingDashEditsAreUndoableChangesOfTheHatching)
{
    auto [pane, hatching] = show<VNQLStyleEditSub_PWHatching, PWHatching>();
    pane->openDashEditor();
    RVDashEditor* dashEditor = pane->dashEditor();
    ASSERT_TRUE(dashEditor && dashEditor->isOpen());
    const Ref<PWStrokeDash> before = hatching->dash();
    undo().removeAllActions();
    auto dash = PWStrokeDash::dashWithPattern({4, 2}, 2);
    ASSERT_TRUE(dash);
    dashEditor->setDash(dash);
    pane->dashDidChange(*dashEditor);
    ASSERT_TRUE(hatching->dash());
    EXPECT_TRUE(hatching->dash()->isEqualToDash(dash.get()));
    EXPECT_TRUE(undo().canUndo());
    undo().undo();
    EXPECT_EQ(hatching->dash() != nullptr, before != nullptr);
    if (before)
        EXPECT_TRUE(hatching->dash()->isEqualToDash(before.get()));
    dashEditor->cancel({});
}

TEST_F(FillAndGroupPanesTest, GroupsPasteSingleRenderersIntoThemselves)
{
    struct Case {
        const char* name;
        std::function<Ref<PWRastGroup>()> make;
    };
    const QList<Case> cases = {
        {"repeat", [] { return std::make_shared<PWRepeatTransformGroup>(); }},
        {"gloom", [] { return std::make_shared<PWGloomGroup>(); }},
        {"blur", [] { return std::make_shared<PWCIFilterTypeBlurGroup>(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ref<PWRastGroup> group = c.make();
        showStyle({group});
        VNQLStyleComponentController* pane = editor->subcontrollers().value(0);
        ASSERT_TRUE(pane);
        pf::Ref<pf::MenuItem> item = pf::MenuItem::make(QStringLiteral("x"), QStringLiteral("pasteIntoGroupAction:"));

        // A group on the pasteboard is never pasted into a group.
        copyToPasteboard(std::make_shared<PWGloomGroup>());
        EXPECT_FALSE(pane->validateUserInterfaceItem(*item));
        EXPECT_EQ(item->title(), QStringLiteral("Paste Component"));
        pane->perform(QStringLiteral("pasteIntoGroupAction:"), {QVariant()});
        EXPECT_TRUE(group->renderList().isEmpty());

        copyToPasteboard(std::make_shared<PWStroke>());
        EXPECT_TRUE(pane->validateUserInterfaceItem(*item));
        EXPECT_EQ(item->title(), QStringLiteral("Paste Component (Stroke)"));
        undo().removeAllActions();
        pane->perform(QStringLiteral("pasteIntoGroupAction:"), {QVariant()});
        ASSERT_EQ(group->renderList().size(), 1);
        EXPECT_EQ(undo().undoActionName(), QStringLiteral("Paste Stroke"));
        // The stack shows the pasted child's pane inside the group's container.
        settle();
        ASSERT_EQ(editor->subcontrollers().size(), 2);
        EXPECT_EQ(editor->subcontrollers()[1]->className(), QStringLiteral("VNQLStyleEditSub_PWStroke"));
        undo().undo();
        EXPECT_TRUE(group->renderList().isEmpty());

        // A locked style takes nothing.
        editor->content().first()->setLocked(true);
        pane = editor->subcontrollers().value(0);
        EXPECT_FALSE(pane->validateUserInterfaceItem(*item));
        pane->perform(QStringLiteral("pasteIntoGroupAction:"), {QVariant()});
        EXPECT_TRUE(group->renderList().isEmpty());
    }
}

TEST_F(FillAndGroupPanesTest, NestedGroupPanesFollowAReorderAndTheGroupsLock)
{
    auto group = std::make_shared<PWRepeatTransformGroup>();
    group->addRenderer(std::make_shared<PWFill>());
    group->addRenderer(std::make_shared<PWStroke>());
    auto style = showStyle({group});
    auto names = [&] {
        QStringList list;
        for (VNQLStyleComponentController* pane : editor->subcontrollers())
            list.append(pane->representedComponent()->className());
        return list;
    };
    EXPECT_EQ(names(), (QStringList{"PWRepeatTransformGroup", "PWStroke", "PWFill"}));
    auto* groupPane = dynamic_cast<VNQLStyleEditSub_PWRepeatTransformGroup*>(editor->subcontrollers().value(0));
    ASSERT_TRUE(groupPane);
    EXPECT_EQ(groupPane->subcontrollers().size(), 2);

    const int builds = editor->buildCount();
    group->moveRendererAtIndex(0, 1);
    settle();
    EXPECT_EQ(editor->buildCount(), builds + 1);
    EXPECT_EQ(names(), (QStringList{"PWRepeatTransformGroup", "PWFill", "PWStroke"}));

    // Locking the style disables the children's controls too.
    style->setLocked(true);
    auto* fillPane = dynamic_cast<VNQLStyleEditSub_PWFill*>(editor->subcontrollers().value(1));
    ASSERT_TRUE(fillPane);
    EXPECT_FALSE(fillPane->colourWell()->isEnabled());
    style->setLocked(false);
    groupPane = dynamic_cast<VNQLStyleEditSub_PWRepeatTransformGroup*>(editor->subcontrollers().value(0));
    groupPane->setStatesForLock(true, true);
    EXPECT_FALSE(dynamic_cast<VNQLStyleEditSub_PWFill*>(editor->subcontrollers().value(1))->colourWell()->isEnabled());
}

TEST_F(FillAndGroupPanesTest, TheBlendCheckboxBringsBackTheLastColour)
{
    auto [pane, group] = show<VNQLStyleEditSub_PWRepeatTransformGroup, PWRepeatTransformGroup>();
    EXPECT_FALSE(group->blendColour().isValid());
    EXPECT_FALSE(pane->blendColourWell()->isEnabled());
    pane->blendEnableAction(true);
    EXPECT_EQ(group->blendColour(), pf::Color::white());
    pane->blendColourWell()->setColor(pf::Color::red());
    pane->blendColourAction(sender(pane->blendColourWell()));
    EXPECT_EQ(group->blendColour(), pf::Color::red());
    pane->blendEnableAction(false);
    EXPECT_FALSE(group->blendColour().isValid());
    EXPECT_FALSE(pane->blendColourWell()->isEnabled());
    pane->blendEnableAction(true);
    EXPECT_EQ(group->blendColour(), pf::Color::red());
}

TEST_F(FillAndGroupPanesTest, ControlsThatDependOnAnotherSettingFollowIt)
{
    {
        SCOPED_TRACE("blur angle only for a motion blur");
        auto [pane, blur] = show<VNQLStyleEditSub_PWCIFilterTypeBlurGroup, PWCIFilterTypeBlurGroup>();
        EXPECT_FALSE(pane->blurAngleTextField()->isEnabled());
        pane->blurTypeAction(3);
        EXPECT_TRUE(pane->blurAngleTextField()->isEnabled());
        pane->setStatesForLock(false, true);
        EXPECT_TRUE(pane->blurAngleTextField()->isEnabled());
        blur->setBlurType(1);
        EXPECT_FALSE(pane->blurAngleTextField()->isEnabled());
        EXPECT_TRUE(VNQLStyleEditSub_PWCIFilterTypeBlurGroup::controlEnabledForBlurType(0, "blurAmount"));
        EXPECT_FALSE(VNQLStyleEditSub_PWCIFilterTypeBlurGroup::controlEnabledForBlurType(3, "clipping"));
    }
    {
        SCOPED_TRACE("pattern spacing only without auto-tiling");
        auto [pane, pattern] = show<VNQLStyleEditSub_PWFillPattern, PWFillPattern>();
        EXPECT_TRUE(pane->spacingTextField()->isEnabled());
        pane->autoTileAction(true);
        EXPECT_TRUE(pattern->autoTile());
        EXPECT_FALSE(pane->spacingTextField()->isEnabled());
        pane->setStatesForLock(false, true);
        EXPECT_FALSE(pane->spacingStepper()->isEnabled());
    }
    {
        SCOPED_TRACE("adornment scale only when scaling by a factor");
        auto [pane, adornment] = show<VNQLStyleEditSub_PWImageAdornment, PWImageAdornment>();
        EXPECT_FALSE(pane->scaleTextField()->isEnabled());
        EXPECT_EQ(pane->fittingRadioButton(0)->state(), pf::ControlState::On);
        adornment->setFittingOption(PWImageAdornment::ScaleByFactor);
        EXPECT_TRUE(pane->scaleTextField()->isEnabled());
        EXPECT_EQ(pane->fittingRadioButton(2)->state(), pf::ControlState::On);
        EXPECT_EQ(pane->fittingRadioButton(0)->state(), pf::ControlState::Off);
    }
}

TEST_F(FillAndGroupPanesTest, TheAdornmentsClipBoxWritesValuesTheRendererAccepts)
{
    auto [pane, adornment] = show<VNQLStyleEditSub_PWImageAdornment, PWImageAdornment>();
    pane->clipToPathAction(true);
    EXPECT_EQ(adornment->clipping(), PWImageAdornment::kClipToPath);
    EXPECT_EQ(pane->clipCheckbox()->state(), pf::ControlState::On);
    pane->clipToPathAction(false);
    EXPECT_EQ(adornment->clipping(), PWImageAdornment::kNoClipping);
    EXPECT_EQ(pane->clipCheckbox()->state(), pf::ControlState::Off);
    undo().undo();
    EXPECT_EQ(adornment->clipping(), PWImageAdornment::kClipToPath);
}

TEST_F(FillAndGroupPanesTest, ImagesArePastedOrReadFromFiles)
{
    auto [pane, decorator] = show<VNQLStyleEditSub_PWPathDecorator, PWPathDecorator>();
    pf::Pasteboard::general()->clearContents();
    pane->setStatesForLock(false, true);
    EXPECT_FALSE(pane->pasteImageButton()->isEnabled());
    QImage image(5, 6, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    pf::Pasteboard::general()->setImage(image);
    pane->setStatesForLock(false, true);
    EXPECT_TRUE(pane->pasteImageButton()->isEnabled());
    pane->pasteImageAction({});
    EXPECT_EQ(decorator->image().size(), QSize(5, 6));
    ASSERT_TRUE(pane->patternImageView()->image());

    EXPECT_FALSE(pane->takeImageFromFile(QStringLiteral("/nonexistent/image.png")));
    EXPECT_EQ(decorator->image().size(), QSize(5, 6));
}

// The keys each pane observes, as the renderers name them: a misspelt key would leave its
// control showing nothing.
TEST(FillAndGroupPaneKeys, EachPaneObservesItsRenderersKeys)
{
    const QList<std::pair<pf::Ref<VNQLStyleComponentController>, QStringList>> cases = {
        {std::make_shared<VNQLStyleEditSub_PWFill>(), {"enabled", "colour", "shadow"}},
        {std::make_shared<VNQLStyleEditSub_PWZigZagFill>(),
         {"enabled", "colour", "shadow", "amplitude", "wavelength", "spread", "closed"}},
        {std::make_shared<VNQLStyleEditSub_PWTilingFill>(), {"enabled", "image", "opacity"}},
        {std::make_shared<VNQLStyleEditSub_PWHatching>(),
         {"enabled", "colour", "width", "spacing", "leadInProportion", "angleInDegrees", "roughness", "wobblyness",
          "lineCapStyle", "lineJoinStyle", "dash", "angleIsRelativeToObject"}},
        {std::make_shared<VNQLStyleEditSub_PWGradientFill>(),
         {"enabled", "gradient", "gradientAngle", "startingLocation", "endingLocation", "gradientType", "startingRadius",
          "endingRadius", "angleIsRelative", "radialParametersAreRelative"}},
        {std::make_shared<VNQLStyleEditSub_PWRepeatTransformGroup>(),
         {"enabled", "deltaX", "deltaY", "scaleX", "scaleY", "deltaAngle", "numberOfRepeats", "angleIsRelative", "reversed",
          "blendColour", "renderList"}},
        {std::make_shared<VNQLStyleEditSub_PWGloomGroup>(),
         {"enabled", "radius", "intensity", "clipping", "renderList", "type", "displayName"}},
        {std::make_shared<VNQLStyleEditSub_PWCIFilterTypeBlurGroup>(),
         {"enabled", "blurAmount", "blurAngle", "blurType", "clipping", "renderList", "displayName"}},
        {std::make_shared<VNQLStyleEditSub_PWPathDecorator>(),
         {"enabled", "image", "interval", "scale", "scaleRandomness", "lateralOffset", "lateralOffsetAlternates",
          "normalToPath", "leadInAndOutLengthProportion", "usesChainMethod", "wobblyness", "clipping"}},
        {std::make_shared<VNQLStyleEditSub_PWFillPattern>(),
         {"enabled", "image", "interval", "angleInDegrees", "motifAngleInDegrees", "motifAngleRandomness",
          "angleIsRelativeToObject", "drawingOfClippedElementsSupressed", "scale", "scaleRandomness",
          "patternAlternateYOffset", "wobblyness", "autoTile"}},
        {std::make_shared<VNQLStyleEditSub_PWImageAdornment>(),
         {"enabled", "clipping", "image", "scale", "opacity", "angleInDegrees", "fittingOption", "operation"}},
    };
    for (const auto& [pane, keys] : cases) {
        EXPECT_EQ(pane->keyPathsOfInterest(), keys) << qPrintable(pane->className());
        // Every key is one the renderer answers.
        pf::Ref<pf::Object> renderer = pane->managedObjectClass().create();
        ASSERT_TRUE(renderer) << qPrintable(pane->className());
        for (const QString& key : keys)
            EXPECT_NO_THROW(renderer->valueForKey(key)) << qPrintable(pane->className()) << " " << qPrintable(key);
    }
}

TEST_F(FillAndGroupPanesTest, UndoingAnAddedComponentKeepsItsNameForRedo)
{
    showStyle({std::make_shared<PWFill>()});
    undo().removeAllActions();
    ASSERT_TRUE(editor->addComponentForTag(6));
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Add Hatch Fill"));
    undo().undo();
    EXPECT_EQ(undo().redoActionName(), QStringLiteral("Add Hatch Fill"));
    undo().redo();
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Add Hatch Fill"));
    EXPECT_EQ(editor->content().first()->renderList().size(), 2);
}
