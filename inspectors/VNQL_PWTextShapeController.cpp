#include "inspectors/VNQL_PWTextShapeController.h"

#include "inspectors/VNQLFontManagerTrampoline.h"
#include "inspectors/VNQLPaneControls.h"
#include "library/PWXLibraryRegistryShim.h"
#include "styleeditor/VNQLStyleEditSub_NSShadow.h"
#include "widgets/RVValueMultiplierTransformer.h"

#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Shadow.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/UserInterfaceItem.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>

using namespace VNQLPaneControls;

PF_DEFINE_CLASS(VNQL_PWTextShapeController, VNQLGenericObjectController)
{
    using C = VNQL_PWTextShapeController;
    for (const auto& [selector, action] : std::initializer_list<std::pair<const char*, void (C::*)(const QVariant&)>>{
             {"fontMenuAction:", &C::fontMenuAction},
             {"fontSizeAction:", &C::fontSizeAction},
             {"fontFaceAction:", &C::fontFaceAction},
             {"textColourAction:", &C::textColourAction},
             {"textAlignmentAction:", &C::textAlignmentAction},
             {"textVerticalAlignmentAction:", &C::textVerticalAlignmentAction},
             {"layoutModeAction:", &C::layoutModeAction},
             {"underlinesAction:", &C::underlinesAction},
             {"strikethroughsAction:", &C::strikethroughsAction},
             {"outlineSizeAction:", &C::outlineSizeAction},
             {"outlineColourAction:", &C::outlineColourAction},
             {"maskSizeAction:", &C::maskSizeAction},
             {"maskColourAction:", &C::maskColourAction},
             {"wrapsLinesAction:", &C::wrapsLinesAction},
             {"clipsAction:", &C::clipsAction},
             {"capitalizationAction:", &C::capitalizationAction},
             {"baselineAction:", &C::baselineAction},
             {"textStyleAction:", &C::textStyleAction},
             {"kernAmountAction:", &C::kernAmountAction},
             {"shadowEnableAction:", &C::shadowEnableAction},
             {"saveTextStyleAction:", &C::saveTextStyleAction},
             {"resetTextStyleAction:", &C::resetTextStyleAction},
             {"setFont:", &C::setFont},
             {"setFontSize:", &C::setFontSize},
             {"setColour:", &C::setColour},
             {"setAlignment:", &C::setAlignment},
             {"setVerticalAlignment:", &C::setVerticalAlignment},
             {"setLayoutMode:", &C::setLayoutMode},
             {"setUnderlines:", &C::setUnderlines},
             {"setStrikethroughs:", &C::setStrikethroughs},
             {"setOutlineColour:", &C::setOutlineColour},
             {"setOutlineWidth:", &C::setOutlineWidth},
             {"setTextKnockoutDistance:", &C::setTextKnockoutDistance},
             {"setTextKnockoutColour:", &C::setTextKnockoutColour},
             {"setWrapsLines:", &C::setWrapsLines},
             {"setCapitalization:", &C::setCapitalization},
             {"setLocked:", &C::setLocked},
             {"setBaselineProportion:", &C::setBaselineProportion},
             {"setShadow:", &C::setShadow},
             {"setTextAttributes:", &C::setTextAttributes},
             {"setClipsToPath:", &C::setClipsToPath},
             {"invalidateControlsForClipsToPath:", &C::invalidateControlsForClipsToPath},
         })
        b.method(selector, action);
    for (const auto& [selector, mixed] : std::initializer_list<std::pair<const char*, void (C::*)()>>{
             {"setMixedValueForFont", &C::setMixedValueForFont},
             {"setMixedValueForFontSize", &C::setMixedValueForFontSize},
             {"setMixedValueForColour", &C::setMixedValueForColour},
             {"setMixedValueForAlignment", &C::setMixedValueForAlignment},
             {"setMixedValueForVerticalAlignment", &C::setMixedValueForVerticalAlignment},
             {"setMixedValueForLayoutMode", &C::setMixedValueForLayoutMode},
             {"setMixedValueForUnderlines", &C::setMixedValueForUnderlines},
             {"setMixedValueForStrikethroughs", &C::setMixedValueForStrikethroughs},
             {"setMixedValueForOutlineColour", &C::setMixedValueForOutlineColour},
             {"setMixedValueForOutlineWidth", &C::setMixedValueForOutlineWidth},
             {"setMixedValueForTextKnockoutDistance", &C::setMixedValueForTextKnockoutDistance},
             {"setMixedValueForTextKnockoutColour", &C::setMixedValueForTextKnockoutColour},
             {"setMixedValueForWrapsLines", &C::setMixedValueForWrapsLines},
             {"setMixedValueForCapitalization", &C::setMixedValueForCapitalization},
             {"setMixedValueForLocked", &C::setMixedValueForLocked},
             {"setMixedValueForBaselineProportion", &C::setMixedValueForBaselineProportion},
             {"setMixedValueForShadow", &C::setMixedValueForShadow},
             {"setMixedValueForTextAttributes", &C::setMixedValueForTextAttributes},
             {"setMixedValueForClipsToPath", &C::setMixedValueForClipsToPath},
         })
        b.method(selector, mixed);
    b.property("fontPanelMode", &C::fontPanelMode, &C::setFontPanelMode);
}

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQL_PWTextShapeController", text);
}

const QString kFontKeyPath = QStringLiteral("textAdornment.font");
const QString kFontSizeKeyPath = QStringLiteral("textAdornment.fontSize");
const QString kColourKeyPath = QStringLiteral("textAdornment.colour");
const QString kAlignmentKeyPath = QStringLiteral("textAdornment.alignment");
const QString kVerticalAlignmentKeyPath = QStringLiteral("textAdornment.verticalAlignment");
const QString kLayoutModeKeyPath = QStringLiteral("textAdornment.layoutMode");
const QString kUnderlinesKeyPath = QStringLiteral("textAdornment.underlines");
const QString kStrikethroughsKeyPath = QStringLiteral("textAdornment.strikethroughs");
const QString kOutlineColourKeyPath = QStringLiteral("textAdornment.outlineColour");
const QString kOutlineWidthKeyPath = QStringLiteral("textAdornment.outlineWidth");
const QString kKnockoutDistanceKeyPath = QStringLiteral("textAdornment.textKnockoutDistance");
const QString kKnockoutColourKeyPath = QStringLiteral("textAdornment.textKnockoutColour");
const QString kWrapsLinesKeyPath = QStringLiteral("textAdornment.wrapsLines");
const QString kCapitalizationKeyPath = QStringLiteral("textAdornment.capitalization");
const QString kLockedKeyPath = QStringLiteral("locked");
const QString kBaselineProportionKeyPath = QStringLiteral("textAdornment.baselineProportion");
const QString kShadowKeyPath = QStringLiteral("textAdornment.shadow");
const QString kTextAttributesKeyPath = QStringLiteral("textAdornment.textAttributes");
const QString kClipsToPathKeyPath = QStringLiteral("clipsToPath");

pf::PopUpButton* taggedPopUp(pf::Reflective* target, const QString& action,
                             const QList<std::pair<int, const char*>>& items)
{
    auto* popUp = new pf::PopUpButton;
    for (const auto& [tag, title] : items) {
        pf::MenuItem* item = popUp->addItemWithTitle(tr(title));
        item->setTag(tag);
        // Each item sends the action itself, so that the pane validates it.
        item->setAction(action);
        item->setTarget(target);
    }
    popUp->setTarget(target);
    popUp->setAction(action);
    popUp->setFixedHeight(22);
    for (const QString& title : popUp->itemTitles())
        fitWidthTo(popUp, title);
    return popUp;
}

// Segments labelled in short (the sidebar is narrow), each with its whole name as tool tip.
struct Segment {
    int tag;
    const char* label;
    const char* toolTip;
};

pf::SegmentedControl* segments(pf::Reflective* target, const QString& action, const QList<Segment>& items,
                               pf::SegmentSwitchTracking tracking)
{
    auto* control = new pf::SegmentedControl;
    control->setSegmentCount(int(items.size()));
    for (int i = 0; i < items.size(); ++i) {
        control->setLabel(tr(items[i].label), i);
        control->setToolTip(tr(items[i].toolTip), i);
        control->setTag(items[i].tag, i);
    }
    control->setTrackingMode(tracking);
    control->setTarget(target);
    control->setAction(action);
    control->setFixedHeight(22);
    control->sizeToFit();
    return control;
}

// Several controls in the column after the caption: the sidebar is too narrow for a column each.
QWidget* strip(const QList<QWidget*>& controls)
{
    auto* holder = new QWidget;
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    for (QWidget* control : controls)
        row->addWidget(control);
    row->addStretch(1);
    return holder;
}

pf::ColorWell* colourWell(pf::Reflective* target, const QString& action)
{
    auto* well = new pf::ColorWell;
    well->setFixedSize(44, 22);
    well->setTarget(target);
    well->setAction(action);
    return well;
}

bool checked(const QVariant& sender)
{
    auto* box = qobject_cast<pf::Button*>(pf::Control::fromSender(sender));
    return box && box->state() == pf::ControlState::On;
}

int selectedTag(const QVariant& sender, bool* ok)
{
    *ok = false;
    pf::Control* control = pf::Control::fromSender(sender);
    if (auto* popUp = qobject_cast<pf::PopUpButton*>(control); popUp && popUp->selectedItem()) {
        *ok = true;
        return popUp->selectedItem()->tag();
    }
    if (auto* selector = qobject_cast<pf::SegmentedControl*>(control); selector && selector->selectedSegment() >= 0) {
        *ok = true;
        return selector->tagForSegment(selector->selectedSegment());
    }
    if (auto item = std::dynamic_pointer_cast<pf::MenuItem>(pf::objectFromVariant(sender))) {
        *ok = true;
        return item->tag();
    }
    return 0;
}

} // namespace

VNQL_PWTextShapeController::VNQL_PWTextShapeController(const QString& nibName)
    : VNQLGenericObjectController(nibName.isEmpty() ? QStringLiteral("VNQL_PWTextShapeController") : nibName),
      mTextShadowController(std::make_shared<VNQLStyleEditSub_NSShadow>())
{
    // The outline width is shown negated: a positive number fills and outlines.
    setTransformer(std::make_shared<RVValueMultiplierTransformer>(-1.0), kOutlineWidthKeyPath);
}

VNQL_PWTextShapeController::~VNQL_PWTextShapeController()
{
    if (m_shadowObservation)
        pf::NotificationCenter::defaultCenter().removeObserver(m_shadowObservation);
}

bool VNQL_PWTextShapeController::hasWYSIWYGFontMenu() { return pf::UserDefaults::standard().boolForKey(kVNQLHasWYSIWYGFontMenu); }
void VNQL_PWTextShapeController::setHasWYSIWYGFontMenu(bool on) { pf::UserDefaults::standard().setBool(on, kVNQLHasWYSIWYGFontMenu); }
bool VNQL_PWTextShapeController::hasWYSIWYGFaceMenu() { return pf::UserDefaults::standard().boolForKey(kVNQLHasWYSIWYGFaceMenu); }
void VNQL_PWTextShapeController::setHasWYSIWYGFaceMenu(bool on) { pf::UserDefaults::standard().setBool(on, kVNQLHasWYSIWYGFaceMenu); }

const pf::Class& VNQL_PWTextShapeController::managedObjectClass() const { return PWTextShape::staticClass(); }

QList<const pf::Class*> VNQL_PWTextShapeController::managedObjectClasses() const
{
    return {&PWTextShape::staticClass(), &PWTextPath::staticClass(), &VNQLFontManagerTrampoline::staticClass(),
            &PWTextAdornment::staticClass()};
}

QStringList VNQL_PWTextShapeController::keyPathsOfInterest() const
{
    return {kFontKeyPath,          kFontSizeKeyPath,        kColourKeyPath,           kAlignmentKeyPath,
            kVerticalAlignmentKeyPath, kLayoutModeKeyPath,  kUnderlinesKeyPath,       kStrikethroughsKeyPath,
            kOutlineColourKeyPath, kOutlineWidthKeyPath,    kKnockoutDistanceKeyPath, kKnockoutColourKeyPath,
            kWrapsLinesKeyPath,    kCapitalizationKeyPath,  kLockedKeyPath,           kBaselineProportionKeyPath,
            kShadowKeyPath,        kTextAttributesKeyPath,  kClipsToPathKeyPath};
}

bool VNQL_PWTextShapeController::shouldSetValue(QVariant* value, pf::Object* object, const QString& keyPath)
{
    if (!object || pf::variantToBool(object->valueForKey(kLockedKeyPath)))
        return false;
    auto* shape = dynamic_cast<PWTextShape*>(object);
    auto* path = dynamic_cast<PWTextPath*>(object);
    if (keyPath == kFontKeyPath && m_fontConversion) {
        // Each object's own font is converted, so each keeps its size; the runs typed in it too.
        const QVariant current = object->valueForKeyPath(kFontKeyPath);
        if (current.typeId() != QMetaType::QFont)
            return false;
        *value = QVariant(m_fontConversion(current.value<QFont>()));
        if (shape)
            shape->convertRunFonts(m_fontConversion);
        else if (path)
            path->convertRunFonts(m_fontConversion);
    } else if (keyPath == kFontSizeKeyPath && pf::isNumber(*value)) {
        // A size chosen for the object is the size of all its text.
        const double size = value->toDouble();
        auto resize = [size](const QFont& font) {
            QFont sized = font;
            if (size > 0)
                sized.setPointSizeF(size);
            return sized;
        };
        if (shape)
            shape->convertRunFonts(resize);
        else if (path)
            path->convertRunFonts(resize);
    } else if (keyPath == kShadowKeyPath) {
        // Every object gets a shadow of its own: one shadow shared by several would be edited
        // in place for all of them, past their undo.
        if (const pf::Ref<pf::Shadow> shadow = pf::objectCast<pf::Shadow>(*value))
            *value = pf::toVariant(std::static_pointer_cast<pf::Shadow>(shadow->copy()));
    }
    return true;
}

// --- Building ---------------------------------------------------------------------------------------

void VNQL_PWTextShapeController::loadView()
{
    pf::View* view = makePaneView();

    mFontsMenu = makeFontsMenuWithTarget(this, QStringLiteral("fontMenuAction:"), !mSeparateFacesMenu);
    mFontsPopUpButton = new pf::PopUpButton;
    mFontsPopUpButton->setMenu(mFontsMenu);
    mFontsPopUpButton->setFixedHeight(22);
    mFontsPopUpButton->setMinimumWidth(110);
    addRow(view, tr("Font:"), {mFontsPopUpButton});
    mFacesPopUpButton = new pf::PopUpButton;
    mFacesPopUpButton->setFixedHeight(22);
    mFacesPopUpButton->setMinimumWidth(110);
    addRow(view, tr("Face:"), {mFacesPopUpButton});

    mFontSizeTextField = new RVAugmentedTextField(QRectF(0, 0, 60, 22));
    mFontSizeTextField->setFormatter(decimalFormatter(1));
    mFontSizeTextField->setTarget(this);
    mFontSizeTextField->setAction(QStringLiteral("fontSizeAction:"));
    mFontSizeTextField->setFixedSize(60, 22);
    mFontSizeStepper = stepper(this, QStringLiteral("fontSizeAction:"), 1.0, PWTextAdornment::kMinFontSize, 999.0);
    mTextColourWell = colourWell(this, QStringLiteral("textColourAction:"));
    addRow(view, tr("Size:"), {strip({mFontSizeTextField, mFontSizeStepper, mTextColourWell})});

    mTextStyleSelector = segments(this, QStringLiteral("textStyleAction:"),
                                  {{kBoldSegment, "B", "Bold"}, {kItalicSegment, "I", "Italic"}, {kUnderlineSegment, "U", "Underline"},
                                   {kStrikethroughSegment, "S", "Strikethrough"}},
                                  pf::SegmentSwitchTracking::SelectAny);
    addRow(view, tr("Style:"), {mTextStyleSelector});
    mAlignmentSelector = segments(this, QStringLiteral("textAlignmentAction:"),
                                  {{PWTextFormat::AlignLeft, "L", "Left"}, {PWTextFormat::AlignCentre, "C", "Centre"},
                                   {PWTextFormat::AlignRight, "R", "Right"}, {PWTextFormat::AlignJustified, "J", "Justified"}},
                                  pf::SegmentSwitchTracking::SelectOne);
    addRow(view, tr("Align:"), {mAlignmentSelector});
    mVerticalAlignmentSelector = segments(this, QStringLiteral("textVerticalAlignmentAction:"),
                                          {{PWTextFormat::AlignTop, "T", "Top"}, {PWTextFormat::AlignMiddle, "M", "Middle"},
                                           {PWTextFormat::AlignBottom, "B", "Bottom"},
                                           {PWTextFormat::AlignBaseline, "BL", "On the baseline"}},
                                          pf::SegmentSwitchTracking::SelectOne);
    addRow(view, tr("Vertical:"), {mVerticalAlignmentSelector});

    mLayoutModePopUpButon = taggedPopUp(this, QStringLiteral("layoutModeAction:"),
                                        {{PWTextFormat::LayoutInBox, "In Box"}, {PWTextFormat::LayoutOnPath, "On Path"},
                                         {PWTextFormat::LayoutCentredOnPath, "Centred on Path"}});
    // Its longest item is too wide for the column beside the captions.
    addWrappedRow(view, tr("Layout:"), {mLayoutModePopUpButon});
    const QList<std::pair<int, const char*>> lineStyles = {{PWTextFormat::LineNone, "None"}, {PWTextFormat::LineSingle, "Single"},
                                                           {PWTextFormat::LineThick, "Thick"}, {PWTextFormat::LineDouble, "Double"}};
    mUnderlinePopUpButton = taggedPopUp(this, QStringLiteral("underlinesAction:"), lineStyles);
    addRow(view, tr("Underline:"), {mUnderlinePopUpButton});
    mStrikethroughPopUpButton = taggedPopUp(this, QStringLiteral("strikethroughsAction:"), lineStyles);
    addRow(view, tr("Strike:"), {mStrikethroughPopUpButton});
    mCapitalizationPopUpButton = taggedPopUp(this, QStringLiteral("capitalizationAction:"),
                                             {{PWTextFormat::CapsNone, "As Typed"}, {PWTextFormat::CapsUpper, "Upper Case"},
                                              {PWTextFormat::CapsLower, "Lower Case"}, {PWTextFormat::CapsTitle, "Title Case"},
                                              {PWTextFormat::CapsSmall, "Small Capitals"}});
    addRow(view, tr("Capitals:"), {mCapitalizationPopUpButton});

    mOutlineSizeTextField = numberField(this, QStringLiteral("outlineSizeAction:"), decimalFormatter(1));
    mOutlineSizeStepper = stepper(this, QStringLiteral("outlineSizeAction:"), 1.0, -PWTextAdornment::kMaxOutlineWidth,
                                  PWTextAdornment::kMaxOutlineWidth);
    fitFieldTo(mOutlineSizeTextField, QStringLiteral("-100.0"));
    mOutlineColorWell = colourWell(this, QStringLiteral("outlineColourAction:"));
    addRow(view, tr("Outline:"), {strip({mOutlineSizeTextField, mOutlineSizeStepper, mOutlineColorWell})});
    mMaskSizeTextField = numberField(this, QStringLiteral("maskSizeAction:"), decimalFormatter(1));
    mMaskSizeStepper = stepper(this, QStringLiteral("maskSizeAction:"), 0.5, 0.0, PWTextAdornment::kMaxKnockoutDistance);
    fitFieldTo(mMaskSizeTextField, QStringLiteral("1,000.0"));
    mMaskColorWell = colourWell(this, QStringLiteral("maskColourAction:"));
    addRow(view, tr("Knockout:"), {strip({mMaskSizeTextField, mMaskSizeStepper, mMaskColorWell})});
    mBaselineTextField = numberField(this, QStringLiteral("baselineAction:"), decimalFormatter(2));
    mBaselineStepper = stepper(this, QStringLiteral("baselineAction:"), 0.05, -PWTextAdornment::kMaxBaselineProportion,
                               PWTextAdornment::kMaxBaselineProportion);
    fitFieldTo(mBaselineTextField, QStringLiteral("-1.00"));
    addRow(view, tr("Baseline:"), {strip({mBaselineTextField, mBaselineStepper})});
    mKernAmountSlider = new pf::Slider;
    mKernAmountSlider->setMinValue(-10);
    mKernAmountSlider->setMaxValue(10);
    mKernAmountSlider->setTarget(this);
    mKernAmountSlider->setAction(QStringLiteral("kernAmountAction:"));
    mKernAmountSlider->setFixedHeight(22);
    addRow(view, tr("Kerning:"), {mKernAmountSlider});

    mWrapsLinesCheckbox = checkBox(tr("Wrap lines"), this, QStringLiteral("wrapsLinesAction:"));
    mClipsCheckbox = checkBox(tr("Clip to shape"), this, QStringLiteral("clipsAction:"));
    // A row each: side by side they are wider than the sidebar in a desktop's larger fonts.
    addRow(view, {}, {mWrapsLinesCheckbox});
    addRow(view, {}, {mClipsCheckbox});

    mTextShadowEnableCheckbox = checkBox(tr("Shadow"), this, QStringLiteral("shadowEnableAction:"));
    addRow(view, {}, {mTextShadowEnableCheckbox});
    mTextShadowController->embedInView(view);

    mFontPreview = new RVTextPreviewView(QRectF(0, 0, 220, 40));
    mFontPreview->setFixedHeight(40);
    mFontPreview->setMinimumWidth(160);
    addRow(view, {}, {mFontPreview});

    mSaveStyleButton = pushButton(tr("Save Style"), this, QStringLiteral("saveTextStyleAction:"),
                                  tr("Keep these text settings as a style in the library"));
    mResetStyleButton = pushButton(tr("Reset Style"), this, QStringLiteral("resetTextStyleAction:"),
                                   tr("Give the text the default text style"));
    addRow(view, {}, {mSaveStyleButton, mResetStyleButton});
    finish(view);
    // A click on a button, menu or slider leaves the keyboard where it was, so that typing in
    // the drawing goes on after Bold or a new size; only the number fields take it.
    for (QWidget* control : view->findChildren<QWidget*>())
        if (!qobject_cast<pf::TextField*>(control) && (control->focusPolicy() & Qt::ClickFocus) != 0)
            control->setFocusPolicy(Qt::TabFocus);
    for (QWidget* control : allControls())
        if (control && !qobject_cast<pf::TextField*>(control))
            control->setFocusPolicy(Qt::TabFocus);
    setView(view);
    awakeFromNib();
}

void VNQL_PWTextShapeController::awakeFromNib()
{
    VNQLGenericObjectController::awakeFromNib();
    observeShadowPane();
    if (mTextStyleSelector) {
        mTextStyleSelector->setEnabled(false, kBoldSegment);
        mTextStyleSelector->setEnabled(false, kItalicSegment);
    }
    if (mFontPreview)
        mFontPreview->setBordered(true);
    mTextShadowController->setShadowInverted(true);
    mTextShadowController->setShadowControlsEnabled(false);
    viewWillAppear();
}

void VNQL_PWTextShapeController::viewWillAppear()
{
    if (mFontSizeTextField) {
        mFontSizeTextField->setSliderMinimumValue(6.0);
        mFontSizeTextField->setSliderMaximumValue(200.0);
    }
}

void VNQL_PWTextShapeController::observeShadowPane()
{
    if (m_shadowObservation)
        return;
    pf::Weak<VNQL_PWTextShapeController> weak = ref<VNQL_PWTextShapeController>();
    m_shadowObservation = pf::NotificationCenter::defaultCenter().addObserver(
        VNQLShadowDidChangeNotification, mTextShadowController.get(), [weak](const pf::Notification&) {
            if (auto self = weak.lock())
                self->shadowDidChange();
        });
}

// --- Writing ----------------------------------------------------------------------------------------

void VNQL_PWTextShapeController::write(const QVariant& value, const QString& keyPath, const QString& actionName)
{
    setCommonValue(value, keyPath);
    nameUndoActionForLastWrite(actionName);
}

void VNQL_PWTextShapeController::writeFrom(const QVariant& sender, const QString& keyPath, const QString& actionName)
{
    takeCommonValueFrom(pf::Control::fromSender(sender), keyPath);
    nameUndoActionForLastWrite(actionName);
}

void VNQL_PWTextShapeController::convertFonts(const std::function<QFont(const QFont&)>& convert, const QString& actionName)
{
    m_fontConversion = convert;
    try {
        // The value is replaced per object by its own converted font.
        setCommonValue(QVariant(QFont()), kFontKeyPath);
    } catch (...) {
        m_fontConversion = nullptr;
        throw;
    }
    m_fontConversion = nullptr;
    nameUndoActionForLastWrite(actionName);
}

void VNQL_PWTextShapeController::fontSizeAction(const QVariant& sender) { writeFrom(sender, kFontSizeKeyPath, tr("Font Size")); }
void VNQL_PWTextShapeController::textColourAction(const QVariant& sender) { writeFrom(sender, kColourKeyPath, tr("Text Color")); }
void VNQL_PWTextShapeController::outlineSizeAction(const QVariant& sender) { writeFrom(sender, kOutlineWidthKeyPath, tr("Text Outline Width")); }
void VNQL_PWTextShapeController::outlineColourAction(const QVariant& sender) { writeFrom(sender, kOutlineColourKeyPath, tr("Text Outline Color")); }
void VNQL_PWTextShapeController::maskSizeAction(const QVariant& sender) { writeFrom(sender, kKnockoutDistanceKeyPath, tr("Text Mask Size")); }
void VNQL_PWTextShapeController::maskColourAction(const QVariant& sender) { writeFrom(sender, kKnockoutColourKeyPath, tr("Text Mask Color")); }
void VNQL_PWTextShapeController::baselineAction(const QVariant& sender) { writeFrom(sender, kBaselineProportionKeyPath, tr("Text Baseline")); }
void VNQL_PWTextShapeController::wrapsLinesAction(const QVariant& sender) { write(checked(sender), kWrapsLinesKeyPath, tr("Text Wrapping")); }
void VNQL_PWTextShapeController::clipsAction(const QVariant& sender) { write(checked(sender), kClipsToPathKeyPath, tr("Text Clipping")); }

void VNQL_PWTextShapeController::textAlignmentAction(const QVariant& sender)
{
    bool ok = false;
    const int tag = selectedTag(sender, &ok);
    if (ok)
        write(tag, kAlignmentKeyPath, tr("Text Alignment"));
}

void VNQL_PWTextShapeController::textVerticalAlignmentAction(const QVariant& sender)
{
    bool ok = false;
    const int tag = selectedTag(sender, &ok);
    if (ok)
        write(tag, kVerticalAlignmentKeyPath, tr("Vertical Alignment"));
}

void VNQL_PWTextShapeController::layoutModeAction(const QVariant& sender)
{
    bool ok = false;
    const int tag = selectedTag(sender, &ok);
    if (ok)
        write(tag, kLayoutModeKeyPath, tr("Text Layout"));
}

void VNQL_PWTextShapeController::underlinesAction(const QVariant& sender)
{
    bool ok = false;
    const int tag = selectedTag(sender, &ok);
    if (ok)
        write(tag, kUnderlinesKeyPath, tr("Change Underlining"));
}

void VNQL_PWTextShapeController::strikethroughsAction(const QVariant& sender)
{
    bool ok = false;
    const int tag = selectedTag(sender, &ok);
    if (ok)
        write(tag, kStrikethroughsKeyPath, tr("Change Strikethrough"));
}

void VNQL_PWTextShapeController::capitalizationAction(const QVariant& sender)
{
    bool ok = false;
    const int tag = selectedTag(sender, &ok);
    if (ok)
        write(tag, kCapitalizationKeyPath, tr("Text Capitalization"));
}

void VNQL_PWTextShapeController::textStyleAction(const QVariant& sender)
{
    auto* selector = qobject_cast<pf::SegmentedControl*>(pf::Control::fromSender(sender));
    if (!selector || selector->selectedSegment() < 0)
        return;
    const int segment = selector->selectedSegment();
    const bool on = selector->isSelectedForSegment(segment);
    switch (segment) {
    case kBoldSegment:
        setCommonTrait(on ? pf::Font::BoldFontMask : pf::Font::UnboldFontMask);
        nameUndoActionForLastWrite(tr("Change Bold"));
        break;
    case kItalicSegment:
        setCommonTrait(on ? pf::Font::ItalicFontMask : pf::Font::UnitalicFontMask);
        nameUndoActionForLastWrite(tr("Change Italic"));
        break;
    case kUnderlineSegment:
        write(on ? 1 : 0, kUnderlinesKeyPath, tr("Change Underlines"));
        break;
    case kStrikethroughSegment:
        write(on ? 1 : 0, kStrikethroughsKeyPath, tr("Change Strikethrough"));
        break;
    default:
        break;
    }
}

void VNQL_PWTextShapeController::kernAmountAction(const QVariant&)
{
    // The kerning slider is shown for its place in the layout; kerning is not edited here.
}

void VNQL_PWTextShapeController::shadowEnableAction(const QVariant& sender)
{
    write(checked(sender) ? pf::toVariant(PWStyle::defaultShadow()) : QVariant(), kShadowKeyPath, tr("Text Shadow"));
}

void VNQL_PWTextShapeController::shadowDidChange()
{
    if (mSettingShadow)
        return;
    const pf::Ref<pf::Object> shadow = mTextShadowController->representedComponent();
    if (!shadow)
        return;
    write(pf::toVariant(shadow), kShadowKeyPath, tr("Text Shadow"));
}

void VNQL_PWTextShapeController::saveTextStyleAction(const QVariant&)
{
    const QList<pf::Ref<pf::Object>> objects = content();
    if (objects.size() != 1)
        return;
    const QVariant attributes = objects.first()->valueForKeyPath(kTextAttributesKeyPath);
    if (attributes.typeId() != QMetaType::QVariantMap)
        return;
    PWXLibraryRegistryShim::shim()->registerStyle(PWStyle::textStyleWithAttributes(attributes.toMap()));
}

void VNQL_PWTextShapeController::resetTextStyleAction(const QVariant&)
{
    const QList<pf::Ref<pf::Object>> objects = content();
    if (objects.isEmpty() || m_fontPanelMode)
        return;
    pf::UndoManager* undo = dataSourceUndoManager();
    if (undo)
        undo->beginUndoGrouping();
    for (const pf::Ref<pf::Object>& object : objects) {
        auto drawable = std::dynamic_pointer_cast<PWDrawableObject>(object);
        if (!drawable || drawable->locked())
            continue;
        drawable->setStyle(std::dynamic_pointer_cast<PWStyle>(PWStyle::defaultTextStyle()->mutableCopy()));
    }
    if (undo) {
        undo->setActionName(tr("Reset Text Style"));
        undo->endUndoGrouping();
    }
    reloadContent();
}

bool VNQL_PWTextShapeController::validateUserInterfaceItem(pf::UserInterfaceItem& item)
{
    const QString action = item.action();
    if (action == QStringLiteral("layoutModeAction:")) {
        // Text on a path follows it: only the path modes apply.
        bool allPaths = hasContent() && !content().isEmpty();
        for (const pf::Ref<pf::Object>& object : hasContent() ? content() : QList<pf::Ref<pf::Object>>())
            allPaths = allPaths && dynamic_cast<PWTextPath*>(object.get());
        return !allPaths || item.tag() == PWTextFormat::LayoutOnPath || item.tag() == PWTextFormat::LayoutCentredOnPath;
    }
    if (action == QStringLiteral("saveTextStyleAction:"))
        return hasContent() && content().size() == 1;
    if (action == QStringLiteral("resetTextStyleAction:"))
        return hasContent() && !content().isEmpty() && !m_fontPanelMode;
    return respondsTo(action);
}
