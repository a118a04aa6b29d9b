#include "app/ApplicationDelegate+QuilloryActions.h"
#include "app/CVLPrefsController.h"
#include "app/RVCartavelDocument.h"
#include "app/VNQLHelpTrampoline.h"
#include "drawing/PWXStylePickUpTool.h"
#include "frameworks/penwork/document/PWDrawingDocument.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWKnob.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/layers/PWBSPDirectObjectStorage.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWLinearObjectStorage.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/tools/PWDimensionGuide.h"
#include "frameworks/penwork/tools/PWSelectAndEditTool.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "frameworks/penwork/view/PWViewController.h"
#include "frameworks/penwork/view/RVZoomView.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Shadow.h"
#include "platform/ui/Alert.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>

#include <functional>

namespace {

using pf::Ref;

pf::UserDefaults& defaults()
{
    return pf::UserDefaults::standard();
}

// Turns every setting to the framework's defaults and forgets the window, so each test starts
// from a known state.
class PrefsControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const QString& key : defaults().persistentDomainForName(defaults().domainName()).keys())
            defaults().removeObjectForKey(key);
        CVLPrefsController::releaseSharedPrefsController();
        prefs = CVLPrefsController::sharedPrefsController();
        prefs->window();
    }
    void TearDown() override
    {
        CVLPrefsController::releaseSharedPrefsController();
        RVCartavelDocument::setDefaultQualityModulation(false);
        PWObjectOwnerLayer::setStorageClass(PWBSPDirectObjectStorage::staticClass());
        for (const QString& key : defaults().persistentDomainForName(defaults().domainName()).keys())
            defaults().removeObjectForKey(key);
    }

    // Clicks the check box as the user would: its state flips, then its action runs.
    void click(const QString& action)
    {
        QCheckBox* box = prefs->checkbox(action);
        ASSERT_NE(box, nullptr) << qPrintable(action);
        box->setChecked(!box->isChecked());
        prefs->performCheckboxAction(action);
    }

    Ref<CVLPrefsController> prefs;
};

// Each check box changes its setting at once, both ways, and loads it back: the framework's
// class settings through their getters, the window's own user defaults under their keys.
TEST_F(PrefsControllerTest, EachCheckboxChangesItsSettingAndLoadsItBack)
{
    using Read = std::function<bool()>;
    auto key = [](const char* name, bool inverted = false) -> Read {
        return [name, inverted] { return defaults().boolForKey(QString::fromLatin1(name)) != inverted; };
    };
    const struct {
        const char* action;
        Read setting; // true when the box should be on
    } cases[] = {
        {"qualityThrottlingAction:", [] { return RVCartavelDocument::defaultQualityModulation(); }},
        {"enableScrollZoomAction:", key("kPWDrawingDisableScrollwheelZoomPrefsKey", true)},
        {"scrollSenseAction:", key("kPWDrawingScrollwheelSensePrefsKey")},
        {"trackpadGesturesAction:", [] { return RVZoomView::trackpadGesturesEnabled(); }},
        {"templateChooserStartupAction:", key("CVLQ_SHOW_TEMPLATES_AT_STARTUP")},
        {"dragFeedbackEnabledAction:", [] { return PWDrawableObject::displaysSizeInfoWhenDragging(); }},
        {"textInlineImagesAction:", [] { return PWTextShape::allowsInlineImages(); }},
        {"centreDocumentViewAction:", key("kCentreDocumentViewDefaultState", true)},
        {"undoAttributeChangesAction:", [] { return PWDrawableObject::metadataChangesAreUndoable(); }},
        {"toggleAntialiasingAction:", [] { return PWStyle::shouldAntialias(); }},
        {"toggleShadowsAction:", [] { return PWStyle::willDrawShadows(); }},
        {"keepUndoAfterSaveAction:", key("kPWDocumentDontClearUndoOnSave")},
        {"pathEditingPrioritySwitchAction:", [] { return PWDrawablePath::defaultOnPathHitDetectionPriority(); }},
        {"pathAutoCloseAction:", [] { return PWDrawablePath::autoClosesPath(); }},
        {"symbolScalingOptionAction:", key("kSymbolsDefaultScaleVisually")},
        {"styleDropperResetAction:", [] { return !PWXStylePickUpTool::performsResetOnSelection(); }},
        {"toolStyleBindingAction:", key("kCartavelToolStyleBindingEnabled")},
        {"textEditingReturnKeyAction:", [] { return PWTextShape::returnInsertsNewline(); }},
        {"combineEndPointsAction:", [] { return PWDrawablePath::combinesEndPointsOfClosedPath(); }},
        {"noSVGFilterAction:", [] { return PWStyle::ignoresFilterElements(); }},
        {"multiLayerSelectionAction:",
         [] { return PWSelectAndEditTool::moveOperatesOnAllLayers() && PWObjectDrawingLayer::selectionIsShownWhenInactive(); }},
        {"snapToGridOnVisibleAction:", [] { return PWDrawing::snapToGridOnGridVisible(); }},
        {"autoActivateLayersAction:", [] { return PWViewController::layerAutoActivationDefault(); }},
        {"autoTextEditingAction:", [] { return PWTextShape::startEditingOnObjectCreation(); }},
        {"shareStylesAction:", [] { return PWStyle::styleSharingEnabled(); }},
        {"stylesSharableByDefaultAction:", [] { return PWStyle::stylesAreSharableByDefault(); }},
        {"layerClippingEnableAction:", key("kVNLayerClippingMenuEnabled")},
        {"externaBrowserAction:", key("kVNQLHelpOpensInExternalBrowser")},
        {"showDimensionsAction:", [] { return PWDimensionGuide::dimensionGuidesEnabled(); }},
        {"showDirectControlsAction:", [] { return PWDrawableShape::showsDirectControls(); }},
    };
    for (const auto& c : cases) {
        const QString action = QString::fromLatin1(c.action);
        QCheckBox* box = prefs->checkbox(action);
        ASSERT_NE(box, nullptr) << c.action;
        prefs->loadSettings();
        EXPECT_EQ(box->isChecked(), c.setting()) << c.action << " loads";
        for (int round = 0; round < 2; ++round) {
            click(action);
            EXPECT_EQ(c.setting(), box->isChecked()) << c.action << " round " << round;
        }
        // Loading again from the settings shows what was stored.
        box->setChecked(!box->isChecked());
        prefs->loadSettings();
        EXPECT_EQ(box->isChecked(), c.setting()) << c.action << " reloads";
    }
}

// The framework's class settings live in the user defaults, so that they hold after a
// relaunch: a new process reads them back from there.
TEST_F(PrefsControllerTest, ClassSettingsAreKeptInTheUserDefaults)
{
    click(QStringLiteral("toggleAntialiasingAction:"));
    click(QStringLiteral("pathAutoCloseAction:"));
    prefs->handleSizeAction(12);
    prefs->freehandSmoothnessOption(8);
    const QVariantMap stored = defaults().persistentDomainForName(defaults().domainName());
    EXPECT_EQ(stored.value(QStringLiteral("PWStyleShouldAntialias")), QVariant(false));
    EXPECT_EQ(stored.value(QStringLiteral("PWDrawablePathAutoClosesPath")), QVariant(true));
    EXPECT_EQ(stored.value(QStringLiteral("PWKnobControlKnobSize")).toString(), QStringLiteral("{12, 12}"));
    EXPECT_DOUBLE_EQ(stored.value(QStringLiteral("PWDrawablePathDefaultFreehandEpsilon")).toDouble(), 8.0);
    // A stored value that cannot be used gives the class's own default.
    defaults().setObject(QStringLiteral("{-3, x}"), QStringLiteral("PWKnobControlKnobSize"));
    EXPECT_EQ(PWKnob::controlKnobSize(), QSizeF(8, 8));
}

TEST_F(PrefsControllerTest, ScrollWheelZoomOffDisablesTheSenseBox)
{
    QCheckBox* sense = prefs->checkbox(QStringLiteral("scrollSenseAction:"));
    click(QStringLiteral("enableScrollZoomAction:"));
    EXPECT_TRUE(defaults().boolForKey(QStringLiteral("kPWDrawingDisableScrollwheelZoomPrefsKey")));
    EXPECT_FALSE(PWDrawingView::scrollwheelZoomEnabled());
    EXPECT_FALSE(sense->isEnabled());
    prefs->loadSettings();
    EXPECT_FALSE(prefs->checkbox(QStringLiteral("enableScrollZoomAction:"))->isChecked());
    EXPECT_FALSE(sense->isEnabled());
}

TEST_F(PrefsControllerTest, StyleSharingOffDisablesSharableByDefaultKeepingItsState)
{
    QCheckBox* sharable = prefs->checkbox(QStringLiteral("stylesSharableByDefaultAction:"));
    const bool before = sharable->isChecked();
    click(QStringLiteral("shareStylesAction:"));
    EXPECT_FALSE(PWStyle::styleSharingEnabled());
    EXPECT_FALSE(sharable->isEnabled());
    EXPECT_EQ(sharable->isChecked(), before);
}

TEST_F(PrefsControllerTest, ShadowZoomLimitIsZeroWhenOffAndNeverZeroWhenOn)
{
    QCheckBox* box = prefs->checkbox(QStringLiteral("shadowZoomScaleEnableAction:"));
    QDoubleSpinBox* field = prefs->shadowZoomLimitField();
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(field->isEnabled());
    field->setValue(3.5);
    click(QStringLiteral("shadowZoomScaleEnableAction:"));
    EXPECT_DOUBLE_EQ(pf::Shadow::shadowScaleLimit(), 3.5);
    EXPECT_TRUE(field->isEnabled());
    // A limit of 0 would turn the limit off behind the box's back: refused, the limit stays.
    field->setMinimum(-10);
    for (double refused : {0.0, -2.0}) {
        field->setValue(refused);
        prefs->shadowZoomScaleFactorAction();
        EXPECT_DOUBLE_EQ(pf::Shadow::shadowScaleLimit(), 3.5) << refused;
        EXPECT_GT(field->value(), 0.0);
    }
    field->setValue(6.0);
    prefs->shadowZoomScaleFactorAction();
    EXPECT_DOUBLE_EQ(pf::Shadow::shadowScaleLimit(), 6.0);
    click(QStringLiteral("shadowZoomScaleEnableAction:"));
    EXPECT_DOUBLE_EQ(pf::Shadow::shadowScaleLimit(), 0.0);
    EXPECT_FALSE(field->isEnabled());
}

TEST_F(PrefsControllerTest, PopUpsAndTheUndoFieldSetTheirSettings)
{
    prefs->storageTypeAction(1);
    EXPECT_EQ(&PWObjectOwnerLayer::storageClass(), &PWLinearObjectStorage::staticClass());
    EXPECT_EQ(defaults().stringForKey(QStringLiteral("CVLQ_INTERNAL_STORAGE_CLASS")), QStringLiteral("PWLinearObjectStorage"));
    prefs->loadSettings();
    EXPECT_EQ(prefs->storagePopUp()->currentData().toInt(), 1);
    prefs->storageTypeAction(0);
    EXPECT_EQ(&PWObjectOwnerLayer::storageClass(), &PWBSPDirectObjectStorage::staticClass());
    prefs->loadSettings();
    EXPECT_EQ(prefs->storagePopUp()->currentData().toInt(), 0);
    // A stored name of neither storage loads as the simple list.
    defaults().setObject(QStringLiteral("SomethingElse"), QStringLiteral("CVLQ_INTERNAL_STORAGE_CLASS"));
    prefs->loadSettings();
    EXPECT_EQ(prefs->storagePopUp()->currentData().toInt(), 1);

    prefs->handleSizeAction(10);
    EXPECT_EQ(PWKnob::controlKnobSize(), QSizeF(10, 10));
    prefs->freehandSmoothnessOption(4);
    EXPECT_DOUBLE_EQ(PWDrawablePath::defaultFreehandEpsilon(), 4.0);
    prefs->loadSettings();
    EXPECT_EQ(prefs->handleSizePopUp()->currentData().toInt(), 10);
    EXPECT_EQ(prefs->freehandSmoothnessPopUp()->currentData().toInt(), 4);

    prefs->undoHistoryAction(25);
    EXPECT_EQ(PWDrawingDocument::defaultLevelsOfUndo(), 25);
    EXPECT_EQ(prefs->undoLevelsField()->value(), 25);
}

// The window reloads when the user defaults change elsewhere, but never overwrites a field the
// user is typing in.
TEST_F(PrefsControllerTest, ReloadsOnDefaultsChangesButLeavesAFieldBeingEdited)
{
    prefs->showWindow({});
    defaults().setBool(true, QStringLiteral("kPWDocumentDontClearUndoOnSave"));
    EXPECT_TRUE(quillory::test::waitUntil([&] { return prefs->checkbox(QStringLiteral("keepUndoAfterSaveAction:"))->isChecked(); }));

    QSpinBox* field = prefs->undoLevelsField();
    // Typing goes to the active window: the preferences, as when the user types there.
    QApplication::setActiveWindow(prefs->window());
    field->setFocus();
    ASSERT_TRUE(quillory::test::waitUntil([&] { return field->hasFocus(); }));
    field->setValue(77); // typed, not yet entered
    PWDrawingDocument::setDefaultLevelsOfUndo(30);
    defaults().setBool(false, QStringLiteral("kPWDocumentDontClearUndoOnSave"));
    EXPECT_TRUE(quillory::test::waitUntil([&] { return !prefs->checkbox(QStringLiteral("keepUndoAfterSaveAction:"))->isChecked(); }));
    EXPECT_EQ(field->value(), 77);
}

// Boxes whose keys nothing reads are not offered (the layer clipping box needs the application
// delegate's layer clipping command, which these tests run without).
TEST_F(PrefsControllerTest, BoxesThatChangeNothingAreNotShown)
{
    prefs->showWindow({});
    for (const char* hidden : {"enableCrashReportsAction:", "lionDocumentModelAction:", "checkForUpdatesAction:",
                               "toolStyleBindingAction:", "layerClippingEnableAction:"})
        EXPECT_TRUE(prefs->checkbox(QString::fromLatin1(hidden))->isHidden()) << hidden;
    EXPECT_FALSE(prefs->checkbox(QStringLiteral("toggleAntialiasingAction:"))->isHidden());
}

TEST_F(PrefsControllerTest, ResettingAlertsTurnsEveryWarningBackOnAndNothingElse)
{
    for (const char* key : {"kCartavelToolsWindowConfirmDirectApply", "kPWXLibraryConfirmCategoryDelete",
                            "kPWXLibraryConfirmCategoryCopy", "QLRY_HIDE_QUIT_ALERT"})
        defaults().setBool(true, QString::fromLatin1(key));
    defaults().setBool(false, QStringLiteral("kQuilloryShouldShowWelcomeVideoCloseAlert"));
    defaults().setBool(true, QStringLiteral("kPWDocumentDontClearUndoOnSave"));
    PWStyle::setShouldAntialias(false);
    prefs->loadSettings();
    EXPECT_FALSE(prefs->checkbox(QStringLiteral("confirmDirectApply"))->isChecked());

    prefs->resetAllAlertsAction();
    for (const char* key : {"kCartavelToolsWindowConfirmDirectApply", "kPWXLibraryConfirmCategoryDelete",
                            "kPWXLibraryConfirmCategoryCopy", "QLRY_HIDE_QUIT_ALERT"})
        EXPECT_FALSE(defaults().boolForKey(QString::fromLatin1(key))) << key;
    EXPECT_TRUE(defaults().boolForKey(QStringLiteral("kQuilloryShouldShowWelcomeVideoCloseAlert")));
    EXPECT_TRUE(prefs->checkbox(QStringLiteral("confirmDirectApply"))->isChecked());
    EXPECT_TRUE(defaults().boolForKey(QStringLiteral("kPWDocumentDontClearUndoOnSave")));
    EXPECT_FALSE(PWStyle::shouldAntialias());
}

} // namespace

namespace {

TEST(PreferencesReset, ResetsEverySettingOnlyWhenConfirmed)
{
    pf::UserDefaults::standard().setBool(true, QStringLiteral("kPWDocumentDontClearUndoOnSave"));
    PWStyle::setShouldAntialias(false);
    EXPECT_FALSE(ApplicationDelegateQuilloryActions::confirmAndDiscardApplicationPreferences(
        [](pf::Alert&) { return pf::kAlertSecondButtonReturn; }));
    EXPECT_TRUE(pf::UserDefaults::standard().boolForKey(QStringLiteral("kPWDocumentDontClearUndoOnSave")));

    QString message;
    EXPECT_TRUE(ApplicationDelegateQuilloryActions::confirmAndDiscardApplicationPreferences([&](pf::Alert& alert) {
        message = alert.messageText();
        return pf::kAlertFirstButtonReturn;
    }));
    EXPECT_EQ(message, QStringLiteral("Do you really want to reset all preferences?"));
    EXPECT_FALSE(pf::UserDefaults::standard().boolForKey(QStringLiteral("kPWDocumentDontClearUndoOnSave")));
    EXPECT_TRUE(PWStyle::shouldAntialias());
    // The reset registered the shipped defaults, which the other tests do not run under.
    pf::UserDefaults::resetStandardUserDefaults();
}

} // namespace
