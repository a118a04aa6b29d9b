#include "DocumentTestSupport.h"

#include "app/VNQLAppDelegate.h"
#include "drawing/PWXStylePickUpTool.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWLayer.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "frameworks/penwork/styles/PWStrokeDash.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/svg/PWSVGPreview.h"
#include "frameworks/penwork/tools/PWObjectCreationTool.h"
#include "frameworks/penwork/tools/PWToolController.h"
#include "frameworks/penwork/tools/PWToolRegistry.h"
#include "inspectors/CVLToolsController.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Event.h"
#include "platform/ui/PresentationHook.h"
#include "tests/support/LogCapture.h"
#include "widgets/FileManager+FindFolder.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFile>

namespace {

using namespace quillory::test;

const QString kKeysTouched[] = {
    QStringLiteral("RVInkfold_defaultQualityModulationFlag"),
    QStringLiteral("PWDrawableObjectDisplaysSizeInfoWhenDragging"),
    QStringLiteral("PWToolControllerAutoActivateValidLayer"),
    QStringLiteral("PWDrawingToolSettings"),
    QStringLiteral("kVNLayerClippingMenuEnabled"),
};

QString supportFile(const QString& name)
{
    return QDir(thisApplicationsSupportFolderURL().toLocalFile()).filePath(name);
}

// Launching a delegate as the application does, and putting back afterwards what launching
// sets process-wide.
class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        documentController();
        previousDelegate = pf::Application::shared()->delegate() ? pf::Application::shared()->delegate()->ref<pf::ApplicationDelegate>()
                                                                  : nullptr;
        delegate = std::make_shared<VNQLAppDelegate>();
        pf::Application::shared()->setDelegate(delegate);
        forgetTouchedDefaults();
    }

    void TearDown() override
    {
        VNQLAppDelegate::setFatalFailureHandlerForTesting({});
        if (CVLToolsController::sharedToolsControllerAvailable())
            CVLToolsController::releaseSharedToolsController();
        pf::PresentationHook::clear();
        pf::Application::shared()->setDelegate(previousDelegate);
        PWStyle::setDefaultStyle(nullptr);
        RVCartavelDocument::setDefaultQualityModulation(false);
        PWStrokeDash::removeAllRegisteredDashes();
        QFile::remove(supportFile(VNQLAppDelegate::kSavedDashesFileName));
        if (auto star = polygonPrototype()) {
            star->setStar(false);
            star->setNumberOfSides(6);
        }
        forgetTouchedDefaults();
    }

    static void forgetTouchedDefaults()
    {
        for (const QString& key : kKeysTouched)
            pf::UserDefaults::standard().removeObjectForKey(key);
        pf::UserDefaults::resetStandardUserDefaults(); // the registration domain too
    }

    static pf::Ref<PWRegularPolygonPath> polygonPrototype()
    {
        auto tool = std::dynamic_pointer_cast<PWObjectCreationTool>(
            PWDrawingTool::drawingToolWithName(kPWStandardRegularPolygonPathToolName));
        return tool ? std::dynamic_pointer_cast<PWRegularPolygonPath>(tool->prototype()) : nullptr;
    }

    void launch()
    {
        delegate->applicationWillFinishLaunching({pf::NSApplicationWillFinishLaunchingNotification, nullptr, {}});
        delegate->applicationDidFinishLaunching({pf::NSApplicationDidFinishLaunchingNotification, nullptr, {}});
    }

    void terminate() { delegate->applicationWillTerminate({QStringLiteral("NSApplicationWillTerminateNotification"), nullptr, {}}); }

    pf::Ref<pf::ApplicationDelegate> previousDelegate;
    pf::Ref<VNQLAppDelegate> delegate;
};

// Every key a part of the program reads with a stated default is registered with that value
// from the resource. The keys are spelt out here as the program's readers spell them.
TEST_F(StartUpTest, RegistersTheDefaultsOfTheResource)
{
    launch();
    const std::pair<const char*, QVariant> expected[] = {
        {"RVInkfold_defaultQualityModulationFlag", false},
        {"kVNLayerClippingMenuEnabled", false},
        {"QLRY_HIDE_QUIT_ALERT", false},
        {"PWDrawableObjectDisplaysSizeInfoWhenDragging", false},
        {"PWToolControllerAutoActivateValidLayer", true},
        {"kPWUnitsDisplayOptions", 0},
        {"kPWPaperMarginsVisible", false},
        {"kPWDocumentDefaultSize", QStringLiteral("{1814.1732283464569, 1360.6299212598428}")},
        {"kPWDocumentPrescaleDefault", 1.0},
        {"kPWDocumentDontClearUndoOnSave", false},
        {"kCentreDocumentViewDefaultState", false},
        {"CVLQ_SHOW_TEMPLATES_AT_STARTUP", false},
        {"kVNQLHelpOpensInExternalBrowser", false},
        {"kQuilloryShouldShowWelcomeVideoCloseAlert", true},
        {"kQuilloryConfirmObjectConversionAlert", false},
        {"kVNQLTabViewOptionsPreferencesKey", 2},
        {"kVNQLTabViewAlignmentPreferencesKey", 0},
        {"kVNQLGeometryControllerUseDrawingUnits", 0},
        {"kQLRYToolsControllerVisible", true},
        {"kCartavelToolStyleBindingEnabled", false},
        {"kPWXLibraryDocumentLibsAreTemporary", false},
        {"kPWXLibraryConfirmCategoryDelete", false},
        {"kPWXLibraryConfirmCategoryCopy", false},
        {"kLibraryPickerHideNonMatchingItems", false},
        {"kCartavelToolsWindowConfirmDirectApply", false},
    };
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    for (const auto& [key, value] : expected) {
        // What the user set (another test, in the same process) would hide the registered value.
        defaults.removeObjectForKey(QString::fromLatin1(key));
        const QVariant registered = defaults.objectForKey(QString::fromLatin1(key));
        ASSERT_TRUE(registered.isValid()) << key;
        if (value.typeId() == QMetaType::Bool)
            EXPECT_EQ(defaults.boolForKey(QString::fromLatin1(key)), value.toBool()) << key;
        else if (value.typeId() == QMetaType::QString)
            EXPECT_EQ(defaults.stringForKey(QString::fromLatin1(key)), value.toString()) << key;
        else
            EXPECT_DOUBLE_EQ(defaults.doubleForKey(QString::fromLatin1(key)), value.toDouble()) << key;
    }
    // The documents read their fallback size through the registered string.
    EXPECT_NEAR(RVCartavelDocument::defaultDrawingSize().width(), 1814.1732283464569, 1e-9);
}

// Registering, not setting: what the user chose in the preferences survives the next start.
TEST_F(StartUpTest, SizeReadOutAndLayerActivationKeepTheUsersChoice)
{
    launch();
    EXPECT_FALSE(PWDrawableObject::displaysSizeInfoWhenDragging());
    EXPECT_TRUE(PWToolController::toolsAutoActivateValidLayer());

    PWDrawableObject::setDisplaysSizeInfoWhenDragging(true);
    PWToolController::setToolsAutoActivateValidLayer(false);
    pf::UserDefaults::resetStandardUserDefaults(); // as at the next start
    delegate = std::make_shared<VNQLAppDelegate>();
    pf::Application::shared()->setDelegate(delegate);
    launch();
    EXPECT_TRUE(PWDrawableObject::displaysSizeInfoWhenDragging());
    EXPECT_FALSE(PWToolController::toolsAutoActivateValidLayer());
}

TEST_F(StartUpTest, SetsUpTheDrawingFramework)
{
    pf::UserDefaults::standard().setBool(true, VNQLAppDelegate::kQualityModulationFlagKey);
    launch();

    pf::Ref<PWStyle> style = PWStyle::defaultStyle();
    ASSERT_EQ(style->renderersOfClass<PWFill>().size(), 1);
    ASSERT_EQ(style->renderersOfClass<PWStroke>().size(), 1);
    EXPECT_EQ(style->renderersOfClass<PWFill>().first()->colour().qColor().name(), QStringLiteral("#aad0e5"));
    EXPECT_EQ(style->renderersOfClass<PWStroke>().first()->colour().qColor().name(), QStringLiteral("#333333"));

    EXPECT_EQ(QDir::cleanPath(PWSVGPreview::svgThumbnailsCacheFolder()), QDir::cleanPath(supportFile("SVG Thumbnails")));
    EXPECT_FALSE(PWTextShape::allowsGraphicStyle());
    EXPECT_FALSE(PWTextPath::allowsGraphicStyle());
    EXPECT_TRUE(PWTextShape::showsTextOverflowIndicator());
    EXPECT_EQ(PWDrawing::dearchivingHelperClass(), QStringLiteral("CVLDearchivingHelper"));
    EXPECT_TRUE(RVCartavelDocument::defaultQualityModulation());
    EXPECT_TRUE(QFileInfo(supportFile("My Templates")).isDir());

    // The selection colours in the order of their keys in the resource's list.
    const QList<QColor> colours = PWLayer::selectionColours();
    ASSERT_EQ(colours.size(), 8);
    EXPECT_EQ(colours.first(), QColor::fromRgbF(0.16f, 0.45f, 0.90f));
    EXPECT_EQ(colours.last(), QColor::fromRgbF(0.55f, 0.36f, 0.20f));
}

TEST_F(StartUpTest, RegistersTheToolsWithTheirKeysTheStarAndTheDropper)
{
    launch();
    const std::pair<const char*, const char*> tools[] = {
        {"Clip-Art Stamp", "y"}, {"Style Dropper", "d"}, {"Zoom Out", "x"}, {"Path Cutter", "u"}};
    for (const auto& [name, key] : tools) {
        pf::Ref<PWDrawingTool> tool = PWDrawingTool::drawingToolWithName(QString::fromLatin1(name));
        ASSERT_TRUE(tool) << name;
        EXPECT_EQ(tool->keyboardEquivalent(), QString::fromLatin1(key)) << name;
        EXPECT_EQ(tool->keyboardEquivalentModifiers(), Qt::NoModifier) << name;
    }
    pf::Ref<PWRegularPolygonPath> star = polygonPrototype();
    ASSERT_TRUE(star);
    EXPECT_EQ(star->numberOfSides(), 5);
    EXPECT_TRUE(star->isStar());
    EXPECT_DOUBLE_EQ(star->innerRadius(), 0.38);

    // Command alone shows the dropper over every tool; other modifiers do not.
    const QImage dropper = PWXStylePickUpTool::dropperCursor().pixmap().toImage();
    for (const pf::Ref<PWDrawingTool>& tool : PWToolRegistry::shared().allTools()) {
        EXPECT_EQ(tool->cursorForModifiers(Qt::ControlModifier).pixmap().toImage(), dropper) << qPrintable(tool->registeredName());
    }
    EXPECT_NE(PWToolRegistry::shared().toolWithName(kPWRectangleToolName)->cursorForModifiers(Qt::ShiftModifier).pixmap().toImage(),
              dropper);
}

TEST_F(StartUpTest, RestoresAndSavesTheDashes)
{
    auto dash = std::make_shared<PWStrokeDash>();
    dash->setDashPattern(QList<double>{4.0, 2.0, 1.0, 2.0});
    PWStrokeDash::removeAllRegisteredDashes();
    ASSERT_TRUE(PWStrokeDash::registerDash(dash));
    ASSERT_TRUE(PWStrokeDash::writeRegisteredDashesToFile(supportFile("Saved Dashes.dashes")));
    PWStrokeDash::removeAllRegisteredDashes();

    launch();
    ASSERT_EQ(PWStrokeDash::registeredDashes().size(), 1);
    EXPECT_EQ(PWStrokeDash::registeredDashes().first()->pattern(), dash->pattern());

    auto another = std::make_shared<PWStrokeDash>();
    another->setDashPattern(QList<double>{1.0, 1.0});
    PWStrokeDash::registerDash(another);
    terminate();
    PWStrokeDash::removeAllRegisteredDashes();
    ASSERT_TRUE(PWStrokeDash::restoreRegisteredDashesFromFile(supportFile("Saved Dashes.dashes")));
    EXPECT_EQ(PWStrokeDash::registeredDashes().size(), 2);
}

// A damaged file met on the way is logged; the program still starts.
TEST_F(StartUpTest, AFailingStepIsLoggedAndLaunchingGoesOn)
{
    QFile damaged(supportFile("Saved Dashes.dashes"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("<plist><dict><key>broken");
    damaged.close();
    bool fatal = false;
    VNQLAppDelegate::setFatalFailureHandlerForTesting([&](const QString&) { fatal = true; });
    LogCapture log;
    launch();
    EXPECT_FALSE(fatal);
    EXPECT_FALSE(delegate->launchAborted());
    EXPECT_TRUE(log.lines().filter(QStringLiteral("could not read the saved dashes")).size() == 1) << qPrintable(log.lines().join('\n'));
    EXPECT_TRUE(delegate->applicationShouldOpenUntitledFile(*pf::Application::shared()));
    EXPECT_TRUE(PWDrawingTool::drawingToolWithName(VNQLAppDelegate::kPathCutterToolName));
}

// Without a folder for its own files the program cannot keep anything: it says so and stops
// (non-zero), rather than ending quietly as though all went well.
TEST_F(StartUpTest, NoFolderForItsOwnFilesStopsLaunching)
{
    const QString folder = thisApplicationsSupportFolderURL().toLocalFile();
    const QString aside = folder + QStringLiteral(".aside");
    ASSERT_TRUE(QDir().rename(folder, aside));
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    QString reason;
    VNQLAppDelegate::setFatalFailureHandlerForTesting([&](const QString& why) { reason = why; });
    delegate->applicationWillFinishLaunching({pf::NSApplicationWillFinishLaunchingNotification, nullptr, {}});
    QFile::remove(folder);
    QDir().rename(aside, folder);

    EXPECT_TRUE(delegate->launchAborted());
    EXPECT_TRUE(reason.contains(folder)) << qPrintable(reason);
    EXPECT_FALSE(delegate->applicationShouldOpenUntitledFile(*pf::Application::shared()));
}

// The palette shows at the first launch, and comes back as the user left it.
TEST_F(StartUpTest, TheToolsPaletteComesBackAsItWasLeft)
{
    pf::UserDefaults::standard().removeObjectForKey(QStringLiteral("kQLRYToolsControllerVisible"));
    launch();
    ASSERT_TRUE(CVLToolsController::sharedToolsControllerAvailable());
    QWidget* palette = CVLToolsController::sharedToolsController()->window();
    EXPECT_TRUE(palette->isVisible());
    delegate->showToolPalette({}); // Window > Tools hides a shown palette
    EXPECT_FALSE(palette->isVisible());
    terminate();
    CVLToolsController::releaseSharedToolsController();

    delegate = std::make_shared<VNQLAppDelegate>();
    pf::Application::shared()->setDelegate(delegate);
    launch();
    palette = CVLToolsController::sharedToolsController()->window();
    EXPECT_FALSE(palette->isVisible());
    delegate->showToolPalette({});
    EXPECT_TRUE(palette->isVisible());
    EXPECT_EQ(CVLToolsController::sharedToolsController()->delegate(), delegate.get());
    terminate();
    EXPECT_TRUE(pf::UserDefaults::standard().boolForKey(QStringLiteral("kQLRYToolsControllerVisible")));
    pf::UserDefaults::standard().removeObjectForKey(QStringLiteral("kQLRYToolsControllerVisible"));
}

// The palette's state is kept when the first document shows its earlier versions and comes
// back only when the last one is done.
TEST_F(StartUpTest, VersionsBrowsersSaveAndRestoreThePaletteOnce)
{
    launch();
    QWidget* palette = CVLToolsController::sharedToolsController()->window();
    ASSERT_TRUE(palette->isVisible());
    delegate->willEnterVersionsBrowserWithDocument(nullptr);
    delegate->willEnterVersionsBrowserWithDocument(nullptr);
    EXPECT_TRUE(delegate->isVersionsBrowserActive());
    palette->hide();
    delegate->didExitVersionsBrowserWithDocument(nullptr);
    EXPECT_FALSE(palette->isVisible());
    EXPECT_TRUE(delegate->isVersionsBrowserActive());
    delegate->didExitVersionsBrowserWithDocument(nullptr);
    EXPECT_TRUE(palette->isVisible());
    EXPECT_FALSE(delegate->isVersionsBrowserActive());
    pf::UserDefaults::standard().removeObjectForKey(QStringLiteral("kQLRYToolsControllerVisible"));
}

TEST_F(StartUpTest, QuittingSavesTheToolsSettingsAndTheQualityFlag)
{
    launch();
    RVCartavelDocument::setDefaultQualityModulation(true);
    auto rectangle = std::dynamic_pointer_cast<PWObjectCreationTool>(PWDrawingTool::drawingToolWithName(kPWRectangleToolName));
    ASSERT_TRUE(rectangle);
    rectangle->setStyle(PWStyle::styleWithFillColour(pf::Color(QColor(Qt::red)), pf::Color()));
    terminate();
    rectangle->setStyle(nullptr);
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("RVInkfold_defaultQualityModulationFlag")));
    // The drawing tools' settings, not the symbol manager's, are what is kept.
    EXPECT_TRUE(defaults.dictionaryForKey(kPWDrawingToolSettingsDefaultsKey).contains(kPWRectangleToolName));
}

// After Reset Preferences the preferences start from the defaults again: quitting must not
// write the running settings back over them.
TEST_F(StartUpTest, ResetPreferencesIsNotUndoneAtQuit)
{
    launch();
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    RVCartavelDocument::setDefaultQualityModulation(true);
    defaults.setBool(true, QStringLiteral("kVNLayerClippingMenuEnabled"));
    auto rectangle = std::dynamic_pointer_cast<PWObjectCreationTool>(PWDrawingTool::drawingToolWithName(kPWRectangleToolName));
    ASSERT_TRUE(rectangle);
    rectangle->setStyle(PWStyle::styleWithFillColour(pf::Color(QColor(Qt::red)), pf::Color()));
    pf::PresentationHook::set([](QWidget* dialog) {
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            if (button->text() == QStringLiteral("Reset Preferences")) {
                button->click();
                return;
            }
        }
    });
    ASSERT_TRUE(delegate->confirmAndDiscardApplicationPreferences());
    terminate();
    rectangle->setStyle(nullptr);
    pf::UserDefaults::resetStandardUserDefaults(); // the next start reads the file
    EXPECT_FALSE(defaults.objectForKey(QStringLiteral("kVNLayerClippingMenuEnabled")).isValid());
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("RVInkfold_defaultQualityModulationFlag")));
    EXPECT_FALSE(defaults.objectForKey(kPWDrawingToolSettingsDefaultsKey).isValid());
}

TEST_F(StartUpTest, CancellingResetKeepsThePreferences)
{
    launch();
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    defaults.setBool(true, QStringLiteral("kVNLayerClippingMenuEnabled"));
    pf::PresentationHook::set([](QWidget* dialog) {
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            if (button->text() == QStringLiteral("Cancel"))
                button->click();
        }
    });
    EXPECT_FALSE(delegate->confirmAndDiscardApplicationPreferences());
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("kVNLayerClippingMenuEnabled")));
}

TEST(AppDelegate, UserDebugModeIsExactlyShiftAndOption)
{
    const std::pair<unsigned, bool> cases[] = {
        {pf::ShiftKeyMask | pf::AlternateKeyMask, true},
        {pf::ShiftKeyMask | pf::AlternateKeyMask | pf::NumericPadKeyMask, true}, // not a modifier key
        {pf::ShiftKeyMask | pf::AlternateKeyMask | pf::CommandKeyMask, false},
        {pf::ShiftKeyMask | pf::AlternateKeyMask | pf::ControlKeyMask, false},
        {pf::ShiftKeyMask, false},
        {pf::AlternateKeyMask, false},
        {0, false},
    };
    for (const auto& [flags, debug] : cases)
        EXPECT_EQ(VNQLAppDelegate::isUserDebugModeFlags(flags), debug) << flags;
}

} // namespace
