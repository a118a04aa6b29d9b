// The text pane's controls showing the selection's values: one setter per key path, the mixed
// states, the lock and the empty selection.

#include "inspectors/VNQL_PWTextShapeController.h"

#include "inspectors/VNQLPaneControls.h"
#include "styleeditor/VNQLStyleComponentController.h"
#include "styleeditor/VNQLStyleEditSub_NSShadow.h"

#include "frameworks/penwork/drawables/PWTextLayout.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Shadow.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

using VNQLPaneControls::showNumber;

namespace {

const QString kLayoutModeKeyPath = QStringLiteral("textAdornment.layoutMode");
const QString kUnderlinesKeyPath = QStringLiteral("textAdornment.underlines");
const QString kStrikethroughsKeyPath = QStringLiteral("textAdornment.strikethroughs");
const QString kCapitalizationKeyPath = QStringLiteral("textAdornment.capitalization");

pf::Color colourOf(const QVariant& value)
{
    if (const pf::Ref<pf::Color> colour = pf::objectCast<pf::Color>(value))
        return *colour;
    if (value.typeId() == QMetaType::QColor)
        return pf::Color(value.value<QColor>());
    return pf::Color();
}

void showColour(pf::ColorWell* well, const QVariant& value)
{
    if (!well)
        return;
    const pf::Color colour = colourOf(value);
    well->setColor(colour.isValid() ? colour : pf::Color::black());
}

void showCheckbox(pf::Button* box, const QVariant& value)
{
    if (box)
        box->setState(pf::variantToBool(value) ? pf::ControlState::On : pf::ControlState::Off);
}

void showMixedCheckbox(pf::Button* box)
{
    if (!box)
        return;
    box->setAllowsMixedState(true);
    box->setState(pf::ControlState::Mixed);
}

void deselect(pf::SegmentedControl* control)
{
    if (control && control->selectedSegment() >= 0)
        control->setSelected(false, control->selectedSegment());
}

} // namespace

void VNQL_PWTextShapeController::setFontSize(const QVariant& value) { showNumber(mFontSizeTextField, mFontSizeStepper, value); }
void VNQL_PWTextShapeController::setColour(const QVariant& value) { showColour(mTextColourWell, value); }
void VNQL_PWTextShapeController::setOutlineColour(const QVariant& value) { showColour(mOutlineColorWell, value); }
void VNQL_PWTextShapeController::setTextKnockoutColour(const QVariant& value) { showColour(mMaskColorWell, value); }
void VNQL_PWTextShapeController::setOutlineWidth(const QVariant& value) { showNumber(mOutlineSizeTextField, mOutlineSizeStepper, value); }
void VNQL_PWTextShapeController::setTextKnockoutDistance(const QVariant& value) { showNumber(mMaskSizeTextField, mMaskSizeStepper, value); }
void VNQL_PWTextShapeController::setBaselineProportion(const QVariant& value) { showNumber(mBaselineTextField, mBaselineStepper, value); }
void VNQL_PWTextShapeController::setWrapsLines(const QVariant& value) { showCheckbox(mWrapsLinesCheckbox, value); }
void VNQL_PWTextShapeController::setClipsToPath(const QVariant& value) { showCheckbox(mClipsCheckbox, value); }

void VNQL_PWTextShapeController::setAlignment(const QVariant& value)
{
    if (mAlignmentSelector)
        mAlignmentSelector->selectSegmentWithTag(value.toInt());
}

void VNQL_PWTextShapeController::setVerticalAlignment(const QVariant& value)
{
    if (m_fontPanelMode || !mVerticalAlignmentSelector)
        return;
    if (value.toInt() == PWTextFormat::AlignUnset)
        deselect(mVerticalAlignmentSelector);
    else
        mVerticalAlignmentSelector->selectSegmentWithTag(value.toInt());
}

void VNQL_PWTextShapeController::setLayoutMode(const QVariant& value)
{
    if (!mLayoutModePopUpButon)
        return;
    selectMixedValuesInTaggedMenu(*mLayoutModePopUpButon->menu(), kLayoutModeKeyPath);
    mLayoutModePopUpButon->selectItemWithTag(value.toInt());
}

void VNQL_PWTextShapeController::setCapitalization(const QVariant& value)
{
    if (!mCapitalizationPopUpButton)
        return;
    selectMixedValuesInTaggedMenu(*mCapitalizationPopUpButton->menu(), kCapitalizationKeyPath);
    mCapitalizationPopUpButton->selectItemWithTag(value.toInt());
}

void VNQL_PWTextShapeController::setUnderlines(const QVariant& value)
{
    if (mUnderlinePopUpButton) {
        selectMixedValuesInTaggedMenu(*mUnderlinePopUpButton->menu(), kUnderlinesKeyPath);
        mUnderlinePopUpButton->selectItemWithTag(value.toInt());
    }
    if (mTextStyleSelector)
        mTextStyleSelector->setSelected(value.toInt() >= 1, kUnderlineSegment);
}

void VNQL_PWTextShapeController::setStrikethroughs(const QVariant& value)
{
    if (mStrikethroughPopUpButton) {
        selectMixedValuesInTaggedMenu(*mStrikethroughPopUpButton->menu(), kStrikethroughsKeyPath);
        mStrikethroughPopUpButton->selectItemWithTag(value.toInt());
    }
    if (mTextStyleSelector)
        mTextStyleSelector->setSelected(value.toInt() >= 1, kStrikethroughSegment);
}

void VNQL_PWTextShapeController::setShadow(const QVariant& value)
{
    const pf::Ref<pf::Shadow> shadow = pf::objectCast<pf::Shadow>(value);
    mSettingShadow = true;
    // The sub-pane edits a copy: its changes come back as a new shadow for every object.
    const pf::Ref<pf::Object> shown = mTextShadowController->representedComponent();
    if (!shadow)
        mTextShadowController->setRepresentedComponent(nullptr);
    else if (!shown || !shown->isEqual(shadow.get()))
        mTextShadowController->setRepresentedComponent(shadow->copy());
    mSettingShadow = false;
    mTextShadowController->setShadowControlsEnabled(shadow && !m_locked);
    showCheckbox(mTextShadowEnableCheckbox, bool(shadow));
}

void VNQL_PWTextShapeController::setMixedValueForFontSize() { showNumber(mFontSizeTextField, nullptr, {}); }
void VNQL_PWTextShapeController::setMixedValueForOutlineWidth() { showNumber(mOutlineSizeTextField, nullptr, {}); }
void VNQL_PWTextShapeController::setMixedValueForTextKnockoutDistance() { showNumber(mMaskSizeTextField, nullptr, {}); }
void VNQL_PWTextShapeController::setMixedValueForBaselineProportion() { showNumber(mBaselineTextField, nullptr, {}); }

void VNQL_PWTextShapeController::setMixedValueForColour()
{
    if (mTextColourWell)
        mTextColourWell->setColor(pf::Color::clear());
}

void VNQL_PWTextShapeController::setMixedValueForOutlineColour()
{
    if (mOutlineColorWell)
        mOutlineColorWell->setColor(pf::Color::clear());
}

void VNQL_PWTextShapeController::setMixedValueForTextKnockoutColour()
{
    if (mMaskColorWell)
        mMaskColorWell->setColor(pf::Color::clear());
}

void VNQL_PWTextShapeController::setMixedValueForAlignment() { deselect(mAlignmentSelector); }
void VNQL_PWTextShapeController::setMixedValueForVerticalAlignment() { deselect(mVerticalAlignmentSelector); }

void VNQL_PWTextShapeController::setMixedValueForLayoutMode()
{
    if (mLayoutModePopUpButon)
        selectMixedValuesInTaggedMenu(*mLayoutModePopUpButon->menu(), kLayoutModeKeyPath);
}

void VNQL_PWTextShapeController::setMixedValueForUnderlines()
{
    if (mUnderlinePopUpButton)
        selectMixedValuesInTaggedMenu(*mUnderlinePopUpButton->menu(), kUnderlinesKeyPath);
}

void VNQL_PWTextShapeController::setMixedValueForStrikethroughs()
{
    if (mStrikethroughPopUpButton)
        selectMixedValuesInTaggedMenu(*mStrikethroughPopUpButton->menu(), kStrikethroughsKeyPath);
}

void VNQL_PWTextShapeController::setMixedValueForCapitalization()
{
    if (mCapitalizationPopUpButton)
        selectMixedValuesInTaggedMenu(*mCapitalizationPopUpButton->menu(), kCapitalizationKeyPath);
}

void VNQL_PWTextShapeController::setMixedValueForWrapsLines() { showMixedCheckbox(mWrapsLinesCheckbox); }
void VNQL_PWTextShapeController::setMixedValueForClipsToPath() { showMixedCheckbox(mClipsCheckbox); }

void VNQL_PWTextShapeController::setMixedValueForShadow()
{
    showMixedCheckbox(mTextShadowEnableCheckbox);
    mSettingShadow = true;
    mTextShadowController->setRepresentedComponent(nullptr);
    mSettingShadow = false;
    mTextShadowController->setShadowControlsEnabled(false);
}

void VNQL_PWTextShapeController::invalidateControlsForClipsToPath(const QVariant&)
{
    if (mClipsCheckbox)
        mClipsCheckbox->setEnabled(false);
}

// --- Lock, selection ------------------------------------------------------------------------------

QList<QWidget*> VNQL_PWTextShapeController::allControls() const
{
    return {mFontsPopUpButton,     mFacesPopUpButton,           mTextColourWell,        mFontSizeTextField,
            mFontSizeStepper,      mAlignmentSelector,          mVerticalAlignmentSelector, mUnderlinePopUpButton,
            mStrikethroughPopUpButton, mLayoutModePopUpButon,   mOutlineColorWell,      mMaskColorWell,
            mOutlineSizeTextField, mOutlineSizeStepper,         mMaskSizeTextField,     mMaskSizeStepper,
            mWrapsLinesCheckbox,   mClipsCheckbox,              mCapitalizationPopUpButton, mBaselineTextField,
            mBaselineStepper,      mTextStyleSelector,          mKernAmountSlider,      mTextShadowEnableCheckbox,
            mSaveStyleButton,      mResetStyleButton};
}

void VNQL_PWTextShapeController::setAllControlsEnabled(bool enabled)
{
    for (QWidget* control : allControls())
        if (control)
            VNQLStyleComponentController::setControlEnabled(control, enabled);
}

void VNQL_PWTextShapeController::setLocked(const QVariant& value)
{
    m_locked = pf::variantToBool(value);
    setAllControlsEnabled(!m_locked);
    if (!m_locked && m_fontPanelMode) {
        // What only whole objects have cannot change while their text is typed.
        for (QWidget* control : std::initializer_list<QWidget*>{mVerticalAlignmentSelector, mLayoutModePopUpButon,
                                                                mWrapsLinesCheckbox, mCapitalizationPopUpButton,
                                                                mResetStyleButton})
            if (control)
                VNQLStyleComponentController::setControlEnabled(control, false);
        if (mVerticalAlignmentSelector)
            for (int segment = 0; segment <= 2; ++segment)
                mVerticalAlignmentSelector->setSelected(false, segment);
    }
    if (mSaveStyleButton)
        VNQLStyleComponentController::setControlEnabled(mSaveStyleButton,
                                                        !m_locked && hasContent() && content().size() == 1 && !m_fontPanelMode);
    mTextShadowController->setShadowControlsEnabled(!m_locked && mTextShadowController->representedComponent());
}

void VNQL_PWTextShapeController::setMixedValueForLocked()
{
    // Some objects are locked: they take no writes, the others are edited.
    m_locked = false;
    setAllControlsEnabled(true);
    if (mFacesPopUpButton)
        VNQLStyleComponentController::setControlEnabled(mFacesPopUpButton, false);
    if (mTextShadowEnableCheckbox)
        VNQLStyleComponentController::setControlEnabled(mTextShadowEnableCheckbox, false);
    mTextShadowController->setShadowControlsEnabled(false);
}

void VNQL_PWTextShapeController::setControlStateForNil()
{
    setAllControlsEnabled(false);
    mTextShadowController->setShadowControlsEnabled(false);
    for (pf::PopUpButton* popUp : {mFontsPopUpButton.data(), mFacesPopUpButton.data()})
        if (popUp)
            popUp->selectItemAtIndex(-1);
    if (mFontPreview) {
        mFontPreview->setString(std::nullopt);
        mFontPreview->setPlaceholderString(std::nullopt);
    }
}
