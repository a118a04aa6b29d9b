#include "tests/styleeditor/StyleEditorTestSupport.h"

#include "styleeditor/VNQLStyleEditSub_NSShadow.h"
#include "styleeditor/VNQLStyleEditSub_PWArrowStroke.h"
#include "styleeditor/VNQLStyleEditSub_PWRoughStroke.h"
#include "styleeditor/VNQLStyleEditSub_PWStroke.h"
#include "styleeditor/VNQLStyleEditSub_PWXTaggedStroke.h"
#include "styleeditor/VNQLStyleEditSub_PWXTaperedStroke.h"
#include "styleeditor/VNQLStyleEditSub_PWZigZagStroke.h"

#include "drawing/PWXTaggedStroke.h"
#include "drawing/PWXTaperedStroke.h"
#include "frameworks/penwork/renderers/PWArrowStroke.h"
#include "frameworks/penwork/renderers/PWRoughStroke.h"
#include "frameworks/penwork/renderers/PWZigZagStroke.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Shadow.h"
#include "platform/ui/MenuItem.h"

#include <cmath>
#include <numbers>

using namespace style_test;
using pf::Ref;

namespace {

class StrokePanesTest : public StyleEditorTest {
protected:
    template <class Pane, class Renderer>
    std::pair<Pane*, Ref<Renderer>> show()
    {
        auto renderer = std::make_shared<Renderer>();
        showStyle({renderer});
        auto* pane = dynamic_cast<Pane*>(editor->subcontrollers().value(0));
        EXPECT_TRUE(pane) << "no pane of the right class";
        return {pane, renderer};
    }
};

} // namespace

TEST_F(StrokePanesTest, WidthsSelectTheirPresetOrOther)
{
    struct Case {
        double width;
        std::optional<int> tag;
    };
    for (const Case& c : {Case{1.05, 10}, Case{0.3, 3}, Case{2.5, 25}, Case{0.96, 9}, Case{1e300, std::nullopt},
                          Case{std::nan(""), std::nullopt}})
        EXPECT_EQ(VNQLStyleEditSub_PWStroke::strokeWidthTagForWidth(c.width), c.tag) << c.width;

    auto [pane, stroke] = show<VNQLStyleEditSub_PWStroke, PWStroke>();
    pf::Menu* menu = pane->widthPopUp()->menu();
    pane->setWidth(1.05);
    EXPECT_EQ(pane->widthPopUp()->selectedItem()->tag(), 10);
    EXPECT_EQ(menu->itemWithTag(-1)->title(), QStringLiteral("Other"));
    pane->setWidth(0.96);
    EXPECT_EQ(pane->widthPopUp()->selectedItem()->tag(), -1);
    EXPECT_EQ(menu->itemWithTag(-1)->title(), QStringLiteral("Other (1.0pt)"));
    pane->setWidth(1e12);
    EXPECT_EQ(pane->widthPopUp()->selectedItem()->tag(), -1);
    EXPECT_EQ(menu->itemWithTag(5)->title(), QStringLiteral("0.5pt"));

    // Menu tags set tenths of a point; tags of 0 or below change nothing.
    pane->strokeWidthMenuAction(25);
    EXPECT_DOUBLE_EQ(stroke->width(), 2.5);
    for (int tag : {0, -5})
        pane->strokeWidthMenuAction(tag);
    EXPECT_DOUBLE_EQ(stroke->width(), 2.5);
}

// Each pane: an edit in the pane reaches the renderer, and undo restores it by name.
TEST_F(StrokePanesTest, EditsReachTheRendererAndUndoRestoresThem)
{
    struct Case {
        const char* name;
        std::function<Ref<PWRasterizer>()> make;
        std::function<void(VNQLStyleComponentController&)> edit;
        std::function<double(PWRasterizer&)> read;
        double expected;
    };
    const QList<Case> cases = {
        {"stroke width", [] { return std::make_shared<PWStroke>(); },
         [](VNQLStyleComponentController& p) { dynamic_cast<VNQLStyleEditSub_PWStroke&>(p).strokeWidthAction(4.5); },
         [](PWRasterizer& r) { return dynamic_cast<PWStroke&>(r).width(); }, 4.5},
        {"stroke colour", [] { return std::make_shared<PWStroke>(); },
         [](VNQLStyleComponentController& p) {
             auto& pane = dynamic_cast<VNQLStyleEditSub_PWStroke&>(p);
             pane.colourWell()->setColor(pf::Color(QColor(255, 0, 0)));
             pane.strokeColourAction(sender(pane.colourWell()));
         },
         [](PWRasterizer& r) { return dynamic_cast<PWStroke&>(r).colour().redComponent(); }, 1.0},
        {"stroke cap", [] { return std::make_shared<PWStroke>(); },
         [](VNQLStyleComponentController& p) { dynamic_cast<VNQLStyleEditSub_PWStroke&>(p).lineCapAction(2); },
         [](PWRasterizer& r) { return double(dynamic_cast<PWStroke&>(r).lineCapStyle()); }, 2},
        {"arrow head", [] { return std::make_shared<PWArrowStroke>(); },
         [](VNQLStyleComponentController& p) { dynamic_cast<VNQLStyleEditSub_PWArrowStroke&>(p).arrowHeadKindAction(3); },
         [](PWRasterizer& r) { return double(dynamic_cast<PWArrowStroke&>(r).arrowHeadAtStart()); }, 3},
        {"zig-zag amplitude", [] { return std::make_shared<PWZigZagStroke>(); },
         [](VNQLStyleComponentController& p) { dynamic_cast<VNQLStyleEditSub_PWZigZagStroke&>(p).amplitudeAction(7.0); },
         [](PWRasterizer& r) { return dynamic_cast<PWZigZagStroke&>(r).amplitude(); }, 7.0},
        {"roughness", [] { return std::make_shared<PWRoughStroke>(); },
         [](VNQLStyleComponentController& p) { dynamic_cast<VNQLStyleEditSub_PWRoughStroke&>(p).roughnessAction(2.0); },
         [](PWRasterizer& r) { return dynamic_cast<PWRoughStroke&>(r).roughness(); }, 2.0},
        {"taper kind", [] { return std::make_shared<PWXTaperedStroke>(); },
         [](VNQLStyleComponentController& p) { dynamic_cast<VNQLStyleEditSub_PWXTaperedStroke&>(p).taperKindAction(2); },
         [](PWRasterizer& r) { return double(dynamic_cast<PWXTaperedStroke&>(r).taperKind()); }, 2},
        {"tag angle in degrees", [] { return std::make_shared<PWXTaggedStroke>(); },
         [](VNQLStyleComponentController& p) {
             auto& pane = dynamic_cast<VNQLStyleEditSub_PWXTaggedStroke&>(p);
             pane.tagAngleTextField()->setDoubleValue(30);
             pane.tagAngleAction(sender(pane.tagAngleTextField()));
         },
         [](PWRasterizer& r) { return dynamic_cast<PWXTaggedStroke&>(r).tagAngle(); }, std::numbers::pi / 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ref<PWRasterizer> renderer = c.make();
        showStyle({renderer});
        VNQLStyleComponentController* pane = editor->subcontrollers().value(0);
        ASSERT_TRUE(pane);
        const double before = c.read(*renderer);
        undo().removeAllActions();
        c.edit(*pane);
        EXPECT_NEAR(c.read(*renderer), c.expected, 1e-9);
        ASSERT_TRUE(undo().canUndo());
        EXPECT_FALSE(undo().undoActionName().isEmpty());
        undo().undo();
        EXPECT_NEAR(c.read(*renderer), before, 1e-9);
    }
}

TEST_F(StrokePanesTest, TheTaggedStrokeShowsItsAngleInDegreesAndSyncsOnlyWithADash)
{
    auto [pane, tagged] = show<VNQLStyleEditSub_PWXTaggedStroke, PWXTaggedStroke>();
    tagged->setTagAngle(std::numbers::pi / 2);
    EXPECT_NEAR(pane->tagAngleTextField()->doubleValue(), 90.0, 1e-6);
    tagged->setDash(nullptr);
    EXPECT_FALSE(pane->syncToDashButton()->isEnabled());
    tagged->setDash(PWStrokeDash::defaultDash());
    EXPECT_TRUE(pane->syncToDashButton()->isEnabled());
}

TEST_F(StrokePanesTest, DashMenuShowsSolidRegisteredOrCustom)
{
    PWStrokeDash::removeAllRegisteredDashes();
    auto saved = PWStrokeDash::dashWithPattern({6, 2}, 2);
    ASSERT_TRUE(PWStrokeDash::registerDash(saved));
    auto [pane, stroke] = show<VNQLStyleEditSub_PWStroke, PWStroke>();
    const int count = pane->dashPopUp()->numberOfItems();
    EXPECT_EQ(count, 4) << "solid, one saved dash, separator, custom";
    EXPECT_EQ(pane->dashPopUp()->selectedItem()->tag(), VNQLStyleEditSub_PWStroke::kSolidLineTag);

    stroke->setDash(PWStrokeDash::dashWithPattern({6, 2}, 2));
    EXPECT_EQ(pane->dashPopUp()->selectedItem()->tag(), VNQLStyleEditSub_PWStroke::kRegisteredDashTag);
    stroke->setDash(PWStrokeDash::dashWithPattern({1, 9}, 2));
    EXPECT_EQ(pane->dashPopUp()->selectedItem()->tag(), VNQLStyleEditSub_PWStroke::kCustomDashTag);
    // Choosing the saved dash gives the stroke a copy of it.
    pane->dashMenuAction(pf::toVariant(pf::Ref<pf::Object>(pane->dashPopUp()->itemAtIndex(1)->ref<pf::MenuItem>())));
    ASSERT_TRUE(stroke->dash());
    EXPECT_TRUE(stroke->dash()->isEqualToDash(saved.get()));
    EXPECT_NE(stroke->dash(), PWStrokeDash::registeredDashes().first());
    PWStrokeDash::removeAllRegisteredDashes();
}

TEST_F(StrokePanesTest, ShadowAnglesFoldIntoTheSliderRange)
{
    VNQLStyleEditSub_NSShadow pane;
    struct Case {
        QSizeF offset;
        double angle;
    };
    for (const Case& c : {Case{{0, -5}, 0}, Case{{5, 0}, 90}, Case{{0, 5}, 180}, Case{{-5, 0}, 270},
                          Case{{-1, -std::sqrt(3.0)}, 330}}) {
        double distance = 0;
        EXPECT_NEAR(pane.sliderAngleForOffset(c.offset, &distance), c.angle, 1e-9) << c.offset.width() << "," << c.offset.height();
        const QSizeF back = pane.offsetFromAngle((c.angle - 90) * std::numbers::pi / 180, distance);
        EXPECT_NEAR(back.width(), c.offset.width(), 1e-9);
        EXPECT_NEAR(back.height(), c.offset.height(), 1e-9);
    }
    pane.setShadowInverted(true);
    EXPECT_NEAR(pane.sliderAngleForOffset({0, 5}), 0, 1e-9);
}

TEST_F(StrokePanesTest, ShadowEditsAreUndoneToTheShadowBeforeThem)
{
    auto [pane, stroke] = show<VNQLStyleEditSub_PWStroke, PWStroke>();
    VNQLStyleEditSub_NSShadow* shadowPane = pane->shadowEditor();
    EXPECT_FALSE(shadowPane->angleSlider()->isEnabled());

    pane->shadowEnabledAction(true);
    ASSERT_TRUE(stroke->shadow());
    EXPECT_TRUE(shadowPane->angleSlider()->isEnabled());
    EXPECT_EQ(pane->shadowCheckbox()->state(), pf::ControlState::On);
    const QSizeF original = stroke->shadow()->shadowOffset();
    settle();

    undo().removeAllActions();
    shadowPane->distanceSlider()->setDoubleValue(20);
    shadowPane->angleSlider()->setDoubleValue(90);
    shadowPane->offsetAngleAction(sender(shadowPane->angleSlider()));
    EXPECT_NEAR(stroke->shadow()->shadowOffset().width(), 20, 1e-9);
    ASSERT_TRUE(undo().canUndo());
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Stroke Shadow"));
    undo().undo();
    settle();
    ASSERT_TRUE(stroke->shadow());
    EXPECT_EQ(stroke->shadow()->shadowOffset(), original);

    pane->shadowEnabledAction(false);
    EXPECT_FALSE(stroke->shadow());
    EXPECT_FALSE(shadowPane->angleSlider()->isEnabled());
    EXPECT_EQ(shadowPane->colourWell()->color().alphaComponent(), 0.0);
}

TEST_F(StrokePanesTest, TheShadowSubPaneStandsAloneWithoutRendererEditorOrContainer)
{
    int didChange = 0;
    VNQLStyleEditSub_NSShadow pane;
    pf::NotificationCenter::defaultCenter().addObserver(
        VNQLShadowDidChangeNotification, &pane, [&didChange](const pf::Notification&) { ++didChange; });
    pane.view();
    auto shadow = PWStyle::defaultShadow();
    pane.setRepresentedComponent(shadow);
    EXPECT_EQ(didChange, 0) << "loading posts nothing";
    pane.setLocked(true);
    pane.setEnabled(true);
    pane.deleteComponentAction({});
    pane.copyComponentAction({});
    pane.initialiseStrokeWidthMenu(nullptr);
    EXPECT_FALSE(pane.locked() && false);
    pane.blurRadiusAction(QVariant());
    pane.setShadowControlsEnabled(true);
    pane.blurSlider()->setDoubleValue(4);
    pane.blurRadiusAction(sender(pane.blurSlider()));
    EXPECT_DOUBLE_EQ(shadow->shadowBlurRadius(), 4);
    EXPECT_EQ(didChange, 1);
    pf::NotificationCenter::defaultCenter().removeObserver(&pane);
}

TEST_F(StrokePanesTest, PaneControlsFollowTheLockAndTheEnabledFlag)
{
    auto [pane, stroke] = show<VNQLStyleEditSub_PWStroke, PWStroke>();
    stroke->setEnabled(false);
    EXPECT_FALSE(pane->widthField()->isEnabled());
    EXPECT_EQ(pane->hostingView()->titleCheckbox()->state(), pf::ControlState::Off);
    // Unchecking the title box disables the renderer; the pane's own box follows.
    stroke->setEnabled(true);
    pane->hostingView()->titleCheckbox()->setState(pf::ControlState::Off);
    pane->enabledAction(sender(pane->hostingView()->titleCheckbox()));
    EXPECT_FALSE(stroke->enabled());
    EXPECT_EQ(pane->enabledCheckbox()->state(), pf::ControlState::Off);

    stroke->setEnabled(true);
    editor->content().first()->setLocked(true);
    EXPECT_FALSE(pane->widthField()->isEnabled());
    EXPECT_FALSE(pane->enabledCheckbox()->isEnabled());
    EXPECT_FALSE(pane->hostingView()->allowsReordering());
}
