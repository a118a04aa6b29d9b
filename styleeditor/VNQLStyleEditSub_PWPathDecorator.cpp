#include "styleeditor/VNQLStyleEditSub_PWPathDecorator.h"

#include "frameworks/penwork/renderers/PWPathDecorator.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/Image.h"

#include <QCoreApplication>

#include <climits>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWPathDecorator, VNQLStyleComponentController)
{
    using C = VNQLStyleEditSub_PWPathDecorator;
    b.method("imageAction:", &C::imageAction);
    b.method("spacingAction:", &C::spacingAction);
    b.method("lateralOffsetAction:", &C::lateralOffsetAction);
    b.method("scaleAction:", &C::scaleAction);
    b.method("scaleRandomnessAction:", &C::scaleRandomnessAction);
    b.method("wobblynessAction:", &C::wobblynessAction);
    b.method("leadInOutProportionAction:", &C::leadInOutProportionAction);
    b.method("normalToPathAction:", &C::normalToPathAction);
    b.method("lateralAlternatesAction:", &C::lateralAlternatesAction);
    b.method("chainAction:", &C::chainAction);
    b.method("clippingAction:", &C::clippingAction);
    b.method("pasteImageAction:", &C::pasteImageAction);
    b.method("imageFileAction:", &C::imageFileAction);
    b.method("setImage:", &C::setImage);
    b.method("setInterval:", &C::setInterval);
    b.method("setScale:", &C::setScale);
    b.method("setScaleRandomness:", &C::setScaleRandomness);
    b.method("setLateralOffset:", &C::setLateralOffset);
    b.method("setLateralOffsetAlternates:", &C::setLateralOffsetAlternates);
    b.method("setNormalToPath:", &C::setNormalToPath);
    b.method("setLeadInAndOutLengthProportion:", &C::setLeadInAndOutLengthProportion);
    b.method("setUsesChainMethod:", &C::setUsesChainMethod);
    b.method("setWobblyness:", &C::setWobblyness);
    b.method("setClipping:", &C::setClipping);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWPathDecorator", text);
}
} // namespace

VNQLStyleEditSub_PWPathDecorator::VNQLStyleEditSub_PWPathDecorator(const QString& nibName)
    : VNQLStyleComponentController(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWPathDecorator") : nibName)
{
}

const pf::Class& VNQLStyleEditSub_PWPathDecorator::managedObjectClass() const
{
    return PWPathDecorator::staticClass();
}

QStringList VNQLStyleEditSub_PWPathDecorator::keyPathsOfInterest() const
{
    return VNQLStyleComponentController::keyPathsOfInterest()
           + QStringList{"image",         "interval",       "scale",      "scaleRandomness",
                         "lateralOffset", "lateralOffsetAlternates", "normalToPath",
                         "leadInAndOutLengthProportion", "usesChainMethod", "wobblyness", "clipping"};
}

int VNQLStyleEditSub_PWPathDecorator::numberRow(pf::View* view, const QString& caption, const char* action,
                                                 QPointer<pf::TextField>& field, QPointer<pf::Stepper>& step,
                                                 double increment, double low, double high)
{
    field = VNQLPaneControls::numberField(this, QString::fromLatin1(action), VNQLPaneControls::decimalFormatter(2));
    step = VNQLPaneControls::stepper(this, QString::fromLatin1(action), increment, low, high);
    VNQLPaneControls::fitFieldToRange(field, low, high);
    const int row = VNQLPaneControls::addRow(view, caption, {field, step});
    addLockControl(field);
    addLockControl(step);
    return row;
}

void VNQLStyleEditSub_PWPathDecorator::buildImageRows(pf::View* view)
{
    using namespace VNQLPaneControls;
    mPatternImageView = new pf::ImageView;
    mPatternImageView->setFixedSize(64, 64);
    mPatternImageView->setEditable(true);
    mPatternImageView->setTarget(this);
    mPatternImageView->setAction(QStringLiteral("imageAction:"));
    mFileImageButton = pushButton(tr("Choose..."), this, QStringLiteral("imageFileAction:"), tr("Choose an image file"));
    mPasteImageButton = pushButton(tr("Paste"), this, QStringLiteral("pasteImageAction:"), tr("Paste an image"));
    addImageRow(view, mPatternImageView, mFileImageButton, mPasteImageButton);
    addLockControl(mPatternImageView);
    addLockControl(mFileImageButton);
    numberRow(view, tr("Spacing:"), "spacingAction:", mSpacingTextField, mSpacingStepper, 1, PWPathDecorator::kMinInterval,
              PWPathDecorator::kMaxInterval);
    numberRow(view, tr("Scale:"), "scaleAction:", mScaleTextField, mScaleStepper, 0.05, PWPathDecorator::kMinScale,
              PWPathDecorator::kMaxScale);
    // Short captions for the sidebar; the whole names are the tool tips.
    VNQLPaneControls::setCaptionToolTip(view,
                                        numberRow(view, tr("Scale ±:"), "scaleRandomnessAction:", mScaleRandomnessTextField,
                                                  mScaleRandomnessStepper, 0.05, 0, 1),
                                        tr("Scale varies by"));
    numberRow(view, tr("Wobble:"), "wobblynessAction:", mWobbleTextField, mWobbleStepper, 0.5, 0,
              PWPathDecorator::kMaxWobblyness);
    addLengthField(mSpacingTextField);
}

void VNQLStyleEditSub_PWPathDecorator::buildPathRows(pf::View* view)
{
    using namespace VNQLPaneControls;
    numberRow(view, tr("Side offset:"), "lateralOffsetAction:", mLateralOffsetTextField, mLateralOffsetStepper, 1,
              -PWPathDecorator::kMaxOffset, PWPathDecorator::kMaxOffset);
    numberRow(view, tr("Lead in/out:"), "leadInOutProportionAction:", mLeadInOutTextField, mLeadInOutStepper, 0.05, 0,
              0.5);
    mNormalToPathCheckbox = checkBox(tr("Turn with the path"), this, QStringLiteral("normalToPathAction:"));
    addRow(view, {}, {mNormalToPathCheckbox});
    mLateralAlternatesCheckbox = checkBox(tr("Alternate sides"), this, QStringLiteral("lateralAlternatesAction:"));
    addRow(view, {}, {mLateralAlternatesCheckbox});
    mChainCheckbox = checkBox(tr("Chain end to end"), this, QStringLiteral("chainAction:"));
    addRow(view, {}, {mChainCheckbox});
    mClippingPopUpButton = taggedPopUp(this, QStringLiteral("clippingAction:"),
                                       {{tr("No Clipping"), 0}, {tr("Outside Only"), 1}, {tr("Inside Only"), 2}});
    // Its longest choice is too wide for the column beside the captions.
    addWrappedRow(view, tr("Clipping:"), {mClippingPopUpButton});
    for (QWidget* control : std::initializer_list<QWidget*>{mNormalToPathCheckbox, mLateralAlternatesCheckbox,
                                                           mChainCheckbox, mClippingPopUpButton})
        addLockControl(control);
    addLengthField(mLateralOffsetTextField);
}

void VNQLStyleEditSub_PWPathDecorator::loadView()
{
    pf::View* view = makeComponentView();
    buildImageRows(view);
    buildPathRows(view);
    VNQLPaneControls::finish(view);
    setView(view);
}

void VNQLStyleEditSub_PWPathDecorator::newObjectWasAssigned()
{
    VNQLStyleComponentController::newObjectWasAssigned();
    setControlEnabled(mPasteImageButton, !m_lockedState && m_enabledState && canPasteImage());
}

// --- Values out -------------------------------------------------------------------------------

void VNQLStyleEditSub_PWPathDecorator::imageAction(const QVariant& sender)
{
    auto* well = qobject_cast<pf::ImageView*>(pf::Control::fromSender(sender));
    pf::Ref<pf::Image> image = well ? well->image() : nullptr;
    if (image)
        setCommonValue(pixelsOfImage(image.get()), QStringLiteral("image"));
}

void VNQLStyleEditSub_PWPathDecorator::spacingAction(const QVariant& sender) { write(sender, QStringLiteral("interval")); }
void VNQLStyleEditSub_PWPathDecorator::lateralOffsetAction(const QVariant& sender) { write(sender, QStringLiteral("lateralOffset")); }
void VNQLStyleEditSub_PWPathDecorator::scaleAction(const QVariant& sender) { write(sender, QStringLiteral("scale")); }
void VNQLStyleEditSub_PWPathDecorator::scaleRandomnessAction(const QVariant& sender) { write(sender, QStringLiteral("scaleRandomness")); }
void VNQLStyleEditSub_PWPathDecorator::wobblynessAction(const QVariant& sender) { write(sender, QStringLiteral("wobblyness")); }
void VNQLStyleEditSub_PWPathDecorator::leadInOutProportionAction(const QVariant& sender) { write(sender, QStringLiteral("leadInAndOutLengthProportion")); }
void VNQLStyleEditSub_PWPathDecorator::normalToPathAction(const QVariant& sender) { write(sender, QStringLiteral("normalToPath")); }
void VNQLStyleEditSub_PWPathDecorator::lateralAlternatesAction(const QVariant& sender) { write(sender, QStringLiteral("lateralOffsetAlternates")); }
void VNQLStyleEditSub_PWPathDecorator::chainAction(const QVariant& sender) { write(sender, QStringLiteral("usesChainMethod")); }

void VNQLStyleEditSub_PWPathDecorator::clippingAction(const QVariant& sender)
{
    if (const int tag = selectedTag(sender); tag != INT_MIN)
        setCommonValue(tag, QStringLiteral("clipping"));
}

void VNQLStyleEditSub_PWPathDecorator::pasteImageAction(const QVariant&)
{
    const QImage image = pasteboardImage();
    if (!image.isNull())
        setCommonValue(image, QStringLiteral("image"));
}

void VNQLStyleEditSub_PWPathDecorator::imageFileAction(const QVariant&)
{
    chooseImageForComponent();
}

// --- Values in --------------------------------------------------------------------------------

void VNQLStyleEditSub_PWPathDecorator::setImage(const QVariant& value)
{
    if (!mPatternImageView)
        return;
    const QImage image = value.value<QImage>();
    mPatternImageView->setImage(image.isNull() ? nullptr : pf::Image::fromQImage(image));
}

void VNQLStyleEditSub_PWPathDecorator::setInterval(const QVariant& value) { VNQLPaneControls::showNumber(mSpacingTextField, mSpacingStepper, value); }
void VNQLStyleEditSub_PWPathDecorator::setScale(const QVariant& value) { VNQLPaneControls::showNumber(mScaleTextField, mScaleStepper, value); }
void VNQLStyleEditSub_PWPathDecorator::setScaleRandomness(const QVariant& value) { VNQLPaneControls::showNumber(mScaleRandomnessTextField, mScaleRandomnessStepper, value); }
void VNQLStyleEditSub_PWPathDecorator::setLateralOffset(const QVariant& value) { VNQLPaneControls::showNumber(mLateralOffsetTextField, mLateralOffsetStepper, value); }
void VNQLStyleEditSub_PWPathDecorator::setLateralOffsetAlternates(const QVariant& value) { setCheckbox(mLateralAlternatesCheckbox, value); }
void VNQLStyleEditSub_PWPathDecorator::setNormalToPath(const QVariant& value) { setCheckbox(mNormalToPathCheckbox, value); }
void VNQLStyleEditSub_PWPathDecorator::setLeadInAndOutLengthProportion(const QVariant& value) { VNQLPaneControls::showNumber(mLeadInOutTextField, mLeadInOutStepper, value); }
void VNQLStyleEditSub_PWPathDecorator::setUsesChainMethod(const QVariant& value) { setCheckbox(mChainCheckbox, value); }
void VNQLStyleEditSub_PWPathDecorator::setWobblyness(const QVariant& value) { VNQLPaneControls::showNumber(mWobbleTextField, mWobbleStepper, value); }
void VNQLStyleEditSub_PWPathDecorator::setClipping(const QVariant& value) { selectTag(mClippingPopUpButton, value.toInt()); }

void VNQLStyleEditSub_PWPathDecorator::setStatesForLock(bool isLocked, bool isEnabled)
{
    m_lockedState = isLocked;
    m_enabledState = isEnabled;
    const bool e = isEnabled && !isLocked;
    enableLockControls(e);
    setControlEnabled(mPasteImageButton, e && canPasteImage());
}

void VNQLStyleEditSub_PWPathDecorator::changeUnitsConversionFactorTo(double factor, const QString& units)
{
    updateLengthFields(factor, units);
}
