#include "app/CVLPrefsController.h"

#include "app/RVCartavelDocument.h"
#include "app/VNQLHelpTrampoline.h"
#include "drawing/PWXStylePickUpTool.h"
#include "drawing/PWXSymbol.h"
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
#include "frameworks/penwork/svg/PWSVGPreview.h"
#include "frameworks/penwork/tools/PWDimensionGuide.h"
#include "frameworks/penwork/tools/PWSelectAndEditTool.h"
#include "frameworks/penwork/tools/PWToolController.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "frameworks/penwork/view/PWViewController.h"
#include "frameworks/penwork/view/RVZoomView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Shadow.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Bundle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

PF_DEFINE_CLASS(CVLPrefsController, pf::WindowController)
{
    b.method("resetAllAlertsAction:", &CVLPrefsController::resetAllAlertsAction);
    b.method("emptyImageBrowserCacheAction:", &CVLPrefsController::emptyImageBrowserCacheAction);
    b.method("resetPreferencesAction:", &CVLPrefsController::resetPreferencesAction);
    b.method("helpActionWithTitleOfSender:", [](CVLPrefsController& self, const QVariantList& args) {
        self.helpActionWithTitleOfSender(args.value(0).toString());
        return QVariant();
    });
}

namespace {

pf::Ref<CVLPrefsController>& sharedSlot()
{
    static pf::Ref<CVLPrefsController> shared;
    return shared;
}

// The platform's notification of a change of the user defaults.
const QString kUserDefaultsDidChange = QStringLiteral("NSUserDefaultsDidChangeNotification");

pf::UserDefaults& defaults()
{
    return pf::UserDefaults::standard();
}

pf::ApplicationDelegate* applicationDelegate()
{
    pf::Application* application = pf::Application::shared();
    return application ? application->delegate() : nullptr;
}

// The check boxes: the action each runs, its title and the tab it sits on.
struct CheckboxSpec {
    const char* action;
    const char* title;
    int page;
};

enum Page { General = 0, Drawing = 1, Editing = 2, Advanced = 3 };

const CheckboxSpec kCheckboxes[] = {
    {"templateChooserStartupAction:", "Show the template chooser when Quillory opens", General},
    {"confirmDirectApply", "Ask before applying a style or symbol to the selection", General},
    {"centreDocumentViewAction:", "Centre small drawings in the window", General},
    {"externaBrowserAction:", "Open help in the web browser", General},
    {"layerClippingEnableAction:", "Show the layer clipping menu command", General},
    {"enableCrashReportsAction:", "Send crash reports", General},
    {"lionDocumentModelAction:", "Save documents automatically", General},
    {"checkForUpdatesAction:", "Check for updates", General},
    {"enableScrollZoomAction:", "Zoom with the scroll wheel", Drawing},
    {"scrollSenseAction:", "Invert scroll-wheel zooming", Drawing},
    {"trackpadGesturesAction:", "Zoom and scroll with trackpad gestures", Drawing},
    {"qualityThrottlingAction:", "Draw faster at lower quality while zooming and scrolling", Drawing},
    {"toggleAntialiasingAction:", "Smooth edges (anti-aliasing)", Drawing},
    {"toggleShadowsAction:", "Draw shadows", Drawing},
    {"shadowZoomScaleEnableAction:", "Stop enlarging shadows beyond the zoom of", Drawing},
    {"noSVGFilterAction:", "Ignore SVG filter effects when importing", Drawing},
    {"showDimensionsAction:", "Show dimension guides", Drawing},
    {"snapToGridOnVisibleAction:", "Snap to grid only while the grid is visible", Drawing},
    {"symbolScalingOptionAction:", "Symbols scale their line widths and effects", Drawing},
    {"dragFeedbackEnabledAction:", "Show size information while dragging", Editing},
    {"showDirectControlsAction:", "Show direct controls on shapes", Editing},
    {"pathEditingPrioritySwitchAction:", "Clicks on a selected path edit its points first", Editing},
    {"pathAutoCloseAction:", "Close a path when its last point meets its first", Editing},
    {"combineEndPointsAction:", "Combine the end points of closed paths", Editing},
    {"multiLayerSelectionAction:", "Select and move objects on all layers", Editing},
    {"autoActivateLayersAction:", "Activate a layer by clicking one of its objects", Editing},
    {"textInlineImagesAction:", "Allow images inside text", Editing},
    {"textEditingReturnKeyAction:", "Return inserts a new line in text (Enter ends editing)", Editing},
    {"autoTextEditingAction:", "Start editing new text objects at once", Editing},
    {"styleDropperResetAction:", "Style dropper keeps its style after applying it", Editing},
    {"shareStylesAction:", "Let objects share styles", Advanced},
    {"stylesSharableByDefaultAction:", "New styles are sharable", Advanced},
    {"undoAttributeChangesAction:", "Changes of object attributes can be undone", Advanced},
    {"keepUndoAfterSaveAction:", "Keep the undo history after saving", Advanced},
    {"toolStyleBindingAction:", "Each tool keeps its own style", Advanced},
};

// Controls whose keys nothing in the program reads (crash reporting, the automatic-saving
// document model), or whose work is done elsewhere (update checks), are not offered: a
// setting that changes nothing would mislead. The tool style binding stays hidden as well.
const char* const kHiddenCheckboxes[] = {"enableCrashReportsAction:", "lionDocumentModelAction:",
                                         "checkForUpdatesAction:", "toolStyleBindingAction:"};

bool boolDefault(const QString& key)
{
    return defaults().boolForKey(key);
}

} // namespace

pf::Ref<CVLPrefsController> CVLPrefsController::sharedPrefsController()
{
    pf::Ref<CVLPrefsController>& shared = sharedSlot();
    if (!shared)
        shared = std::make_shared<CVLPrefsController>();
    return shared;
}

bool CVLPrefsController::sharedPrefsControllerAvailable()
{
    return sharedSlot() != nullptr;
}

void CVLPrefsController::releaseSharedPrefsController()
{
    if (pf::Ref<CVLPrefsController> shared = sharedSlot()) {
        sharedSlot().reset();
        if (shared->isWindowLoaded())
            shared->window()->hide();
    }
}

CVLPrefsController::CVLPrefsController()
{
    setWindowNibName(kWindowNibName);
}

CVLPrefsController::~CVLPrefsController()
{
    if (mDefaultsObserver)
        pf::NotificationCenter::defaultCenter().removeObserver(mDefaultsObserver);
}

bool CVLPrefsController::isOn(const QString& action) const
{
    QCheckBox* box = mCheckboxes.value(action);
    return box && box->isChecked();
}

void CVLPrefsController::setOn(const QString& action, bool on)
{
    if (QCheckBox* box = mCheckboxes.value(action))
        box->setChecked(on);
}

void CVLPrefsController::setEnabled(const QString& action, bool enabled)
{
    if (QCheckBox* box = mCheckboxes.value(action))
        box->setEnabled(enabled);
}

void CVLPrefsController::performCheckboxAction(const QString& action)
{
    static const QHash<QString, void (CVLPrefsController::*)(const QVariant&)> actions{
        {QStringLiteral("qualityThrottlingAction:"), &CVLPrefsController::qualityThrottlingAction},
        {QStringLiteral("enableScrollZoomAction:"), &CVLPrefsController::enableScrollZoomAction},
        {QStringLiteral("scrollSenseAction:"), &CVLPrefsController::scrollSenseAction},
        {QStringLiteral("trackpadGesturesAction:"), &CVLPrefsController::trackpadGesturesAction},
        {QStringLiteral("templateChooserStartupAction:"), &CVLPrefsController::templateChooserStartupAction},
        {QStringLiteral("dragFeedbackEnabledAction:"), &CVLPrefsController::dragFeedbackEnabledAction},
        {QStringLiteral("textInlineImagesAction:"), &CVLPrefsController::textInlineImagesAction},
        {QStringLiteral("centreDocumentViewAction:"), &CVLPrefsController::centreDocumentViewAction},
        {QStringLiteral("undoAttributeChangesAction:"), &CVLPrefsController::undoAttributeChangesAction},
        {QStringLiteral("toggleAntialiasingAction:"), &CVLPrefsController::toggleAntialiasingAction},
        {QStringLiteral("toggleShadowsAction:"), &CVLPrefsController::toggleShadowsAction},
        {QStringLiteral("keepUndoAfterSaveAction:"), &CVLPrefsController::keepUndoAfterSaveAction},
        {QStringLiteral("pathEditingPrioritySwitchAction:"), &CVLPrefsController::pathEditingPrioritySwitchAction},
        {QStringLiteral("pathAutoCloseAction:"), &CVLPrefsController::pathAutoCloseAction},
        {QStringLiteral("symbolScalingOptionAction:"), &CVLPrefsController::symbolScalingOptionAction},
        {QStringLiteral("styleDropperResetAction:"), &CVLPrefsController::styleDropperResetAction},
        {QStringLiteral("toolStyleBindingAction:"), &CVLPrefsController::toolStyleBindingAction},
        {QStringLiteral("textEditingReturnKeyAction:"), &CVLPrefsController::textEditingReturnKeyAction},
        {QStringLiteral("shadowZoomScaleEnableAction:"), &CVLPrefsController::shadowZoomScaleEnableAction},
        {QStringLiteral("combineEndPointsAction:"), &CVLPrefsController::combineEndPointsAction},
        {QStringLiteral("noSVGFilterAction:"), &CVLPrefsController::noSVGFilterAction},
        {QStringLiteral("multiLayerSelectionAction:"), &CVLPrefsController::multiLayerSelectionAction},
        {QStringLiteral("snapToGridOnVisibleAction:"), &CVLPrefsController::snapToGridOnVisibleAction},
        {QStringLiteral("autoActivateLayersAction:"), &CVLPrefsController::autoActivateLayersAction},
        {QStringLiteral("autoTextEditingAction:"), &CVLPrefsController::autoTextEditingAction},
        {QStringLiteral("shareStylesAction:"), &CVLPrefsController::shareStylesAction},
        {QStringLiteral("stylesSharableByDefaultAction:"), &CVLPrefsController::stylesSharableByDefaultAction},
        {QStringLiteral("layerClippingEnableAction:"), &CVLPrefsController::layerClippingEnableAction},
        {QStringLiteral("externaBrowserAction:"), &CVLPrefsController::externaBrowserAction},
        {QStringLiteral("showDimensionsAction:"), &CVLPrefsController::showDimensionsAction},
        {QStringLiteral("showDirectControlsAction:"), &CVLPrefsController::showDirectControlsAction},
    };
    if (auto method = actions.value(action))
        (this->*method)({});
}

void CVLPrefsController::loadWindow()
{
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setWindowTitle(PF_LOCALIZED("Preferences"));
    auto* layout = new QVBoxLayout(window);
    auto* tabs = new QTabWidget(window);
    QVBoxLayout* pages[4];
    const char* titles[4] = {"General", "Drawing", "Editing", "Advanced"};
    for (int i = 0; i < 4; ++i) {
        auto* page = new QWidget(tabs);
        pages[i] = new QVBoxLayout(page);
        tabs->addTab(page, pf::Bundle::main().localizedString(QString::fromUtf8(titles[i])));
    }
    for (const CheckboxSpec& spec : kCheckboxes) {
        const QString action = QString::fromLatin1(spec.action);
        auto* box = new QCheckBox(pf::Bundle::main().localizedString(QString::fromUtf8(spec.title)), window);
        box->setObjectName(action);
        mCheckboxes.insert(action, box);
        if (action == QLatin1String("shadowZoomScaleEnableAction:")) {
            auto* row = new QHBoxLayout;
            mShadowLimitField = new QDoubleSpinBox(window);
            mShadowLimitField->setRange(0.01, 1000.0);
            mShadowLimitField->setDecimals(2);
            mShadowLimitField->setSuffix(QStringLiteral("\u00D7"));
            mShadowLimitField->setValue(4.0);
            row->addWidget(box);
            row->addWidget(mShadowLimitField);
            row->addStretch(1);
            pages[spec.page]->addLayout(row);
        } else {
            pages[spec.page]->addWidget(box);
        }
        QObject::connect(box, &QCheckBox::clicked, window, [this, action] { performCheckboxAction(action); });
    }
    for (const char* hidden : kHiddenCheckboxes)
        mCheckboxes.value(QString::fromLatin1(hidden))->setVisible(false);
    // The layer clipping command belongs to the application delegate: without it the box
    // would change nothing.
    pf::ApplicationDelegate* delegate = applicationDelegate();
    if (!delegate || !delegate->respondsTo(QStringLiteral("enableLayerClippingMenu:")))
        mCheckboxes.value(QStringLiteral("layerClippingEnableAction:"))->setVisible(false);
    // Applying a style or symbol is confirmed in the tools palette; this only shows the setting.
    mCheckboxes.value(QStringLiteral("confirmDirectApply"))->setEnabled(false);

    auto* form = new QFormLayout;
    mUndoLevelsField = new QSpinBox(window);
    mUndoLevelsField->setRange(0, 9999);
    mUndoLevelsField->setSpecialValueText(PF_LOCALIZED("Unlimited"));
    form->addRow(PF_LOCALIZED("Levels of undo:"), mUndoLevelsField);
    mFreehandPopUp = new QComboBox(window);
    const std::pair<const char*, int> smoothness[] = {{"Rough", 1}, {"Smooth", 2}, {"Smoother", 4}, {"Smoothest", 8}};
    for (const auto& [title, tag] : smoothness)
        mFreehandPopUp->addItem(pf::Bundle::main().localizedString(QString::fromUtf8(title)), tag);
    form->addRow(PF_LOCALIZED("Freehand drawing:"), mFreehandPopUp);
    mHandleSizePopUp = new QComboBox(window);
    const std::pair<const char*, int> sizes[] = {{"Small", 6}, {"Medium", 8}, {"Large", 10}, {"Extra Large", 12}};
    for (const auto& [title, tag] : sizes)
        mHandleSizePopUp->addItem(pf::Bundle::main().localizedString(QString::fromUtf8(title)), tag);
    form->addRow(PF_LOCALIZED("Handle size:"), mHandleSizePopUp);
    pages[Editing]->addLayout(form);
    auto* storageForm = new QFormLayout;
    mStoragePopUp = new QComboBox(window);
    mStoragePopUp->addItem(PF_LOCALIZED("Spatial index (faster with many objects)"), 0);
    mStoragePopUp->addItem(PF_LOCALIZED("Simple list"), 1);
    storageForm->addRow(PF_LOCALIZED("Object storage for new layers:"), mStoragePopUp);
    pages[Advanced]->addLayout(storageForm);

    auto* buttons = new QHBoxLayout;
    auto* resetAlerts = new QPushButton(PF_LOCALIZED("Reset All Warnings"), window);
    auto* emptyCache = new QPushButton(PF_LOCALIZED("Empty Image Browser Cache\u2026"), window);
    auto* resetAll = new QPushButton(PF_LOCALIZED("Reset Preferences\u2026"), window);
    auto* help = new QPushButton(QStringLiteral("?"), window);
    help->setToolTip(PF_LOCALIZED("Help"));
    help->setFixedWidth(32);
    buttons->addWidget(help);
    buttons->addStretch(1);
    buttons->addWidget(resetAlerts);
    buttons->addWidget(emptyCache);
    buttons->addWidget(resetAll);
    for (QVBoxLayout* page : pages)
        page->addStretch(1);
    layout->addWidget(tabs);
    layout->addLayout(buttons);

    QObject::connect(mUndoLevelsField, &QSpinBox::editingFinished, window,
                     [this] { undoHistoryAction(mUndoLevelsField->value()); });
    QObject::connect(mFreehandPopUp, &QComboBox::activated, window,
                     [this](int index) { freehandSmoothnessOption(mFreehandPopUp->itemData(index).toInt()); });
    QObject::connect(mHandleSizePopUp, &QComboBox::activated, window,
                     [this](int index) { handleSizeAction(mHandleSizePopUp->itemData(index).toInt()); });
    QObject::connect(mStoragePopUp, &QComboBox::activated, window,
                     [this](int index) { storageTypeAction(mStoragePopUp->itemData(index).toInt()); });
    QObject::connect(mShadowLimitField, &QDoubleSpinBox::editingFinished, window, [this] { shadowZoomScaleFactorAction(); });
    QObject::connect(resetAlerts, &QPushButton::clicked, window, [this] { resetAllAlertsAction(); });
    QObject::connect(emptyCache, &QPushButton::clicked, window, [this] { emptyImageBrowserCacheAction(); });
    QObject::connect(resetAll, &QPushButton::clicked, window, [this] { resetPreferencesAction(); });
    QObject::connect(help, &QPushButton::clicked, window, [this] { helpActionWithTitleOfSender(QStringLiteral("preferences")); });
    setWindow(window);
}

void CVLPrefsController::windowDidLoad()
{
    mDefaultsObserver = pf::NotificationCenter::defaultCenter().addObserver(
        kUserDefaultsDidChange, nullptr,
        [this](const pf::Notification& notification) { defaultsChanged(notification); });
    loadSettings();
}

void CVLPrefsController::defaultsChanged(const pf::Notification&)
{
    loadSettings();
}

void CVLPrefsController::loadSettings()
{
    if (!isWindowLoaded() || mLoading)
        return;
    mLoading = true;
    setOn(QStringLiteral("qualityThrottlingAction:"), RVCartavelDocument::defaultQualityModulation());
    const bool scrollZoom = !boolDefault(kPWDrawingDisableScrollwheelZoomPrefsKey);
    setOn(QStringLiteral("enableScrollZoomAction:"), scrollZoom);
    setOn(QStringLiteral("scrollSenseAction:"), boolDefault(kPWDrawingScrollwheelSensePrefsKey));
    setEnabled(QStringLiteral("scrollSenseAction:"), scrollZoom);
    setOn(QStringLiteral("trackpadGesturesAction:"), RVZoomView::trackpadGesturesEnabled());
    setOn(QStringLiteral("templateChooserStartupAction:"), boolDefault(QStringLiteral("CVLQ_SHOW_TEMPLATES_AT_STARTUP")));
    setOn(QStringLiteral("confirmDirectApply"), !boolDefault(kConfirmDirectApplyDefault));
    setOn(QStringLiteral("dragFeedbackEnabledAction:"), PWDrawableObject::displaysSizeInfoWhenDragging());
    setOn(QStringLiteral("textInlineImagesAction:"), PWTextShape::allowsInlineImages());
    setOn(QStringLiteral("enableCrashReportsAction:"), boolDefault(kReportCrashesDefault));
    setOn(QStringLiteral("centreDocumentViewAction:"), !boolDefault(kCentreDocumentViewDefault));
    setOn(QStringLiteral("undoAttributeChangesAction:"), PWDrawableObject::metadataChangesAreUndoable());
    setOn(QStringLiteral("toggleAntialiasingAction:"), PWStyle::shouldAntialias());
    setOn(QStringLiteral("toggleShadowsAction:"), PWStyle::willDrawShadows());
    // A field the user is typing in keeps what they typed.
    if (mUndoLevelsField && !mUndoLevelsField->hasFocus())
        mUndoLevelsField->setValue(PWDrawingDocument::defaultLevelsOfUndo());
    setOn(QStringLiteral("keepUndoAfterSaveAction:"), boolDefault(kKeepUndoOnSaveDefault));
    setOn(QStringLiteral("pathEditingPrioritySwitchAction:"), PWDrawablePath::defaultOnPathHitDetectionPriority());
    setOn(QStringLiteral("pathAutoCloseAction:"), PWDrawablePath::autoClosesPath());
    setOn(QStringLiteral("symbolScalingOptionAction:"), PWXSymbol::defaultSymbolsScaleVisually());
    setOn(QStringLiteral("styleDropperResetAction:"), !PWXStylePickUpTool::performsResetOnSelection());
    if (mStoragePopUp) {
        const bool spatial = defaults().stringForKey(kStorageClassDefault) == PWBSPDirectObjectStorage::staticClass().name();
        mStoragePopUp->setCurrentIndex(mStoragePopUp->findData(spatial ? 0 : 1));
    }
    setOn(QStringLiteral("toolStyleBindingAction:"), boolDefault(kToolStyleBindingDefault));
    setOn(QStringLiteral("textEditingReturnKeyAction:"), PWTextShape::returnInsertsNewline());
    setOn(QStringLiteral("lionDocumentModelAction:"), boolDefault(kLionDocumentModelDefault));
    if (mFreehandPopUp) {
        const int index = mFreehandPopUp->findData(int(std::floor(PWDrawablePath::defaultFreehandEpsilon())));
        mFreehandPopUp->setCurrentIndex(index);
    }
    if (mHandleSizePopUp)
        mHandleSizePopUp->setCurrentIndex(mHandleSizePopUp->findData(int(PWKnob::controlKnobSize().width())));
    const double limit = pf::Shadow::shadowScaleLimit();
    setOn(QStringLiteral("shadowZoomScaleEnableAction:"), limit > 0);
    if (mShadowLimitField) {
        mShadowLimitField->setEnabled(limit > 0);
        if (limit > 0 && !mShadowLimitField->hasFocus())
            mShadowLimitField->setValue(limit);
    }
    setOn(QStringLiteral("combineEndPointsAction:"), PWDrawablePath::combinesEndPointsOfClosedPath());
    setOn(QStringLiteral("noSVGFilterAction:"), PWStyle::ignoresFilterElements());
    setOn(QStringLiteral("multiLayerSelectionAction:"), PWSelectAndEditTool::moveOperatesOnAllLayers());
    setOn(QStringLiteral("snapToGridOnVisibleAction:"), PWDrawing::snapToGridOnGridVisible());
    setOn(QStringLiteral("autoActivateLayersAction:"), PWViewController::layerAutoActivationDefault());
    setOn(QStringLiteral("autoTextEditingAction:"), PWTextShape::startEditingOnObjectCreation());
    setOn(QStringLiteral("shareStylesAction:"), PWStyle::styleSharingEnabled());
    setOn(QStringLiteral("stylesSharableByDefaultAction:"), PWStyle::stylesAreSharableByDefault());
    setEnabled(QStringLiteral("stylesSharableByDefaultAction:"), PWStyle::styleSharingEnabled());
    pf::ApplicationDelegate* delegate = applicationDelegate();
    if (delegate && delegate->respondsTo(QStringLiteral("layerClippingMenuEnabled")))
        setOn(QStringLiteral("layerClippingEnableAction:"), delegate->perform(QStringLiteral("layerClippingMenuEnabled")).toBool());
    else
        setOn(QStringLiteral("layerClippingEnableAction:"), boolDefault(kLayerClippingMenuDefault));
    setOn(QStringLiteral("externaBrowserAction:"), VNQLHelpTrampoline::opensInExternalBrowser());
    setOn(QStringLiteral("showDimensionsAction:"), PWDimensionGuide::dimensionGuidesEnabled());
    setOn(QStringLiteral("showDirectControlsAction:"), PWDrawableShape::showsDirectControls());
    mLoading = false;
}

void CVLPrefsController::qualityThrottlingAction(const QVariant&)
{
    RVCartavelDocument::setDefaultQualityModulation(isOn(QStringLiteral("qualityThrottlingAction:")));
}

void CVLPrefsController::enableScrollZoomAction(const QVariant&)
{
    const bool on = isOn(QStringLiteral("enableScrollZoomAction:"));
    defaults().setBool(!on, kPWDrawingDisableScrollwheelZoomPrefsKey);
    setEnabled(QStringLiteral("scrollSenseAction:"), on);
    PWDrawingView::setScrollwheelZoomEnabled(on);
}

void CVLPrefsController::scrollSenseAction(const QVariant&)
{
    const bool on = isOn(QStringLiteral("scrollSenseAction:"));
    defaults().setBool(on, kPWDrawingScrollwheelSensePrefsKey);
    PWDrawingView::setScrollwheelInverted(on);
}

void CVLPrefsController::trackpadGesturesAction(const QVariant&)
{
    RVZoomView::setTrackpadGesturesEnabled(isOn(QStringLiteral("trackpadGesturesAction:")));
}

void CVLPrefsController::templateChooserStartupAction(const QVariant&)
{
    defaults().setBool(isOn(QStringLiteral("templateChooserStartupAction:")), QStringLiteral("CVLQ_SHOW_TEMPLATES_AT_STARTUP"));
}

void CVLPrefsController::dragFeedbackEnabledAction(const QVariant&)
{
    PWDrawableObject::setDisplaysSizeInfoWhenDragging(isOn(QStringLiteral("dragFeedbackEnabledAction:")));
}

void CVLPrefsController::textInlineImagesAction(const QVariant&)
{
    PWTextShape::setAllowsInlineImages(isOn(QStringLiteral("textInlineImagesAction:")));
}

void CVLPrefsController::centreDocumentViewAction(const QVariant&)
{
    defaults().setBool(!isOn(QStringLiteral("centreDocumentViewAction:")), kCentreDocumentViewDefault);
}

void CVLPrefsController::undoAttributeChangesAction(const QVariant&)
{
    PWDrawableObject::setMetadataChangesAreUndoable(isOn(QStringLiteral("undoAttributeChangesAction:")));
}

void CVLPrefsController::toggleAntialiasingAction(const QVariant&)
{
    PWStyle::setShouldAntialias(isOn(QStringLiteral("toggleAntialiasingAction:")));
}

void CVLPrefsController::toggleShadowsAction(const QVariant&)
{
    PWStyle::setWillDrawShadows(isOn(QStringLiteral("toggleShadowsAction:")));
}

void CVLPrefsController::undoHistoryAction(int levels)
{
    PWDrawingDocument::setDefaultLevelsOfUndo(levels);
    if (mUndoLevelsField) {
        const QSignalBlocker block(mUndoLevelsField);
        mUndoLevelsField->setValue(PWDrawingDocument::defaultLevelsOfUndo());
    }
}

void CVLPrefsController::keepUndoAfterSaveAction(const QVariant&)
{
    defaults().setBool(isOn(QStringLiteral("keepUndoAfterSaveAction:")), kKeepUndoOnSaveDefault);
}

void CVLPrefsController::pathEditingPrioritySwitchAction(const QVariant&)
{
    PWDrawablePath::setDefaultOnPathHitDetectionPriority(isOn(QStringLiteral("pathEditingPrioritySwitchAction:")));
}

void CVLPrefsController::pathAutoCloseAction(const QVariant&)
{
    PWDrawablePath::setAutoClosesPath(isOn(QStringLiteral("pathAutoCloseAction:")));
}

// New symbols take the setting from this default when they are made.
void CVLPrefsController::symbolScalingOptionAction(const QVariant&)
{
    defaults().setBool(isOn(QStringLiteral("symbolScalingOptionAction:")), kSymbolsDefaultScaleVisually);
}

void CVLPrefsController::styleDropperResetAction(const QVariant&)
{
    PWXStylePickUpTool::setPerformsResetOnSelection(!isOn(QStringLiteral("styleDropperResetAction:")));
}

void CVLPrefsController::storageTypeAction(int tag)
{
    const pf::Class& cls = tag == 0 ? PWBSPDirectObjectStorage::staticClass() : PWLinearObjectStorage::staticClass();
    PWObjectOwnerLayer::setStorageClass(cls);
    defaults().setObject(cls.name(), kStorageClassDefault);
}

void CVLPrefsController::toolStyleBindingAction(const QVariant&)
{
    defaults().setBool(isOn(QStringLiteral("toolStyleBindingAction:")), kToolStyleBindingDefault);
}

void CVLPrefsController::textEditingReturnKeyAction(const QVariant&)
{
    PWTextShape::setReturnInsertsNewline(isOn(QStringLiteral("textEditingReturnKeyAction:")));
}

void CVLPrefsController::freehandSmoothnessOption(int tag)
{
    PWDrawablePath::setDefaultFreehandEpsilon(double(tag));
}

void CVLPrefsController::handleSizeAction(int tag)
{
    PWKnob::setControlKnobSize(QSizeF(tag, tag));
}

void CVLPrefsController::shadowZoomScaleEnableAction(const QVariant&)
{
    const bool on = isOn(QStringLiteral("shadowZoomScaleEnableAction:"));
    pf::Shadow::setShadowScaleLimit(on && mShadowLimitField ? mShadowLimitField->value() : 0.0);
    if (mShadowLimitField) {
        mShadowLimitField->setEnabled(on);
        if (on) {
            mShadowLimitField->setFocus();
            mShadowLimitField->selectAll();
        }
    }
}

void CVLPrefsController::shadowZoomScaleFactorAction(const QVariant&)
{
    if (!mShadowLimitField || !isOn(QStringLiteral("shadowZoomScaleEnableAction:")))
        return;
    // A limit of 0 or less would silently switch the limit off while the box says it is on.
    const double value = mShadowLimitField->value();
    if (!(value > 0)) {
        pf::Application::beep();
        mShadowLimitField->setValue(pf::Shadow::shadowScaleLimit() > 0 ? pf::Shadow::shadowScaleLimit() : 1.0);
        return;
    }
    pf::Shadow::setShadowScaleLimit(value);
}

void CVLPrefsController::combineEndPointsAction(const QVariant&)
{
    PWDrawablePath::setCombinesEndPointsOfClosedPath(isOn(QStringLiteral("combineEndPointsAction:")));
}

void CVLPrefsController::noSVGFilterAction(const QVariant&)
{
    PWStyle::setIgnoresFilterElements(isOn(QStringLiteral("noSVGFilterAction:")));
}

void CVLPrefsController::multiLayerSelectionAction(const QVariant&)
{
    const bool on = isOn(QStringLiteral("multiLayerSelectionAction:"));
    PWSelectAndEditTool::setMoveOperatesOnAllLayers(on);
    PWObjectDrawingLayer::setSelectionIsShownWhenInactive(on);
}

void CVLPrefsController::snapToGridOnVisibleAction(const QVariant&)
{
    PWDrawing::setSnapToGridOnGridVisible(isOn(QStringLiteral("snapToGridOnVisibleAction:")));
}

void CVLPrefsController::autoActivateLayersAction(const QVariant&)
{
    PWViewController::setLayerAutoActivationDefault(isOn(QStringLiteral("autoActivateLayersAction:")));
}

void CVLPrefsController::autoTextEditingAction(const QVariant&)
{
    PWTextShape::setStartEditingOnObjectCreation(isOn(QStringLiteral("autoTextEditingAction:")));
}

void CVLPrefsController::shareStylesAction(const QVariant&)
{
    const bool on = isOn(QStringLiteral("shareStylesAction:"));
    PWStyle::setStyleSharingEnabled(on);
    setEnabled(QStringLiteral("stylesSharableByDefaultAction:"), on);
}

void CVLPrefsController::stylesSharableByDefaultAction(const QVariant&)
{
    PWStyle::setStylesAreSharableByDefault(isOn(QStringLiteral("stylesSharableByDefaultAction:")));
}

void CVLPrefsController::layerClippingEnableAction(const QVariant&)
{
    const bool on = isOn(QStringLiteral("layerClippingEnableAction:"));
    pf::ApplicationDelegate* delegate = applicationDelegate();
    if (delegate && delegate->respondsTo(QStringLiteral("enableLayerClippingMenu:")))
        delegate->perform(QStringLiteral("enableLayerClippingMenu:"), {on});
    else
        defaults().setBool(on, kLayerClippingMenuDefault);
}

void CVLPrefsController::externaBrowserAction(const QVariant&)
{
    VNQLHelpTrampoline::setOpensInExternalBrowser(isOn(QStringLiteral("externaBrowserAction:")));
}

void CVLPrefsController::showDimensionsAction(const QVariant&)
{
    PWDimensionGuide::setDimensionGuidesEnabled(isOn(QStringLiteral("showDimensionsAction:")));
}

void CVLPrefsController::showDirectControlsAction(const QVariant&)
{
    PWDrawableShape::setShowsDirectControls(isOn(QStringLiteral("showDirectControlsAction:")));
}

void CVLPrefsController::autoActivateDrawingLayerAction(bool activate)
{
    PWToolController::setToolsAutoActivateValidLayer(activate);
}

void CVLPrefsController::resetAllAlertsAction(const QVariant&)
{
    defaults().setBool(false, kConfirmDirectApplyDefault);
    defaults().setBool(false, kConfirmCategoryDeleteDefault);
    defaults().setBool(false, kConfirmCategoryCopyDefault);
    defaults().setBool(false, kHideQuitAlertDefault);
    defaults().setBool(true, QStringLiteral("kQuilloryShouldShowWelcomeVideoCloseAlert"));
    setOn(QStringLiteral("confirmDirectApply"), true);
}

void CVLPrefsController::emptyImageBrowserCacheAction(const QVariant&)
{
    pf::Application::beep();
    auto alert = std::make_shared<pf::Alert>();
    alert->setMessageText(PF_LOCALIZED("Empty Image Browser Cache?"));
    alert->setInformativeText(PF_LOCALIZED("The cache speeds up the Image Browser when previewing SVG files. "
                                           "The Image Browser will rebuild the cache next time it is used."));
    alert->addButton(PF_LOCALIZED("Empty"));
    alert->addButton(PF_LOCALIZED("Cancel"));
    std::weak_ptr<pf::Object> self = weak_from_this();
    alert->beginSheetModal(window(), [self](int code) {
        if (auto controller = std::static_pointer_cast<CVLPrefsController>(self.lock()))
            controller->checkDeleteCacheDidEnd(code == pf::kAlertFirstButtonReturn ? pf::kAlertDefaultReturn : code);
    });
}

void CVLPrefsController::checkDeleteCacheDidEnd(int returnCode)
{
    if (returnCode == pf::kAlertDefaultReturn)
        PWSVGPreview::emptyCache();
}

void CVLPrefsController::resetPreferencesAction(const QVariant&)
{
    pf::ApplicationDelegate* delegate = applicationDelegate();
    if (delegate && delegate->respondsTo(QStringLiteral("confirmAndDiscardApplicationPreferences")))
        delegate->perform(QStringLiteral("confirmAndDiscardApplicationPreferences"));
}

void CVLPrefsController::helpActionWithTitleOfSender(const QString& title)
{
    VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(title);
}
