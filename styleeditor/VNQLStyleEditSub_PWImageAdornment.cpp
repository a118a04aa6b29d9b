#include "styleeditor/VNQLStyleEditSub_PWImageAdornment.h"

#include "frameworks/penwork/renderers/PWCompositing.h"
#include "frameworks/penwork/renderers/PWImageAdornment.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Image.h"

#include <QCoreApplication>

#include <climits>
#include <cmath>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWImageAdornment, VNQLStyleComponentController)
{
    using C = VNQLStyleEditSub_PWImageAdornment;
    b.method("imageAction:", &C::imageAction);
    b.method("fileButtonAction:", &C::fileButtonAction);
    b.method("pasteButtonAction:", &C::pasteButtonAction);
    b.method("scaleAction:", &C::scaleAction);
    b.method("opacityAction:", &C::opacityAction);
    b.method("angleAction:", &C::angleAction);
    b.method("clipToPathAction:", &C::clipToPathAction);
    b.method("compositionModeAction:", &C::compositionModeAction);
    b.method("fillModeAction:", &C::fillModeAction);
    b.method("setImage:", &C::setImage);
    b.method("setScale:", &C::setScale);
    b.method("setOpacity:", &C::setOpacity);
    b.method("setAngleInDegrees:", &C::setAngleInDegrees);
    b.method("setFittingOption:", &C::setFittingOption);
    b.method("setClipping:", &C::setClipping);
    b.method("setOperation:", &C::setOperation);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWImageAdornment", text);
}
const char* kFittingProperty = "fittingOption";
} // namespace

VNQLStyleEditSub_PWImageAdornment::VNQLStyleEditSub_PWImageAdornment(const QString& nibName)
    : VNQLStyleComponentController(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWImageAdornment") : nibName)
{
}

const pf::Class& VNQLStyleEditSub_PWImageAdornment::managedObjectClass() const
{
    return PWImageAdornment::staticClass();
}

QStringList VNQLStyleEditSub_PWImageAdornment::keyPathsOfInterest() const
{
    return {"enabled", "clipping", "image", "scale", "opacity", "angleInDegrees", "fittingOption", "operation"};
}

void VNQLStyleEditSub_PWImageAdornment::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makeComponentView();
    mImageView = new pf::ImageView;
    mImageView->setFixedSize(64, 64);
    mFileButton = pushButton(tr("Choose..."), this, QStringLiteral("fileButtonAction:"), tr("Choose an image file"));
    mPasteButton = pushButton(tr("Paste"), this, QStringLiteral("pasteButtonAction:"), tr("Paste an image"));
    addImageRow(view, mImageView, mFileButton, mPasteButton);
    auto radio = [&](const QString& title, int option) {
        pf::Button* button = pf::Button::radioButton(title);
        button->setMinimumSize(int(std::ceil(button->cell()->cellSize().width())) + 4, 22);
        button->setTarget(this);
        button->setAction(QStringLiteral("fillModeAction:"));
        button->setProperty(kFittingProperty, option);
        addLockControl(button);
        return button;
    };
    mFillProportionallyRadioButton = radio(tr("Fit"), PWImageAdornment::FitProportionally);
    mFillObjectRadioBUtton = radio(tr("Fill"), PWImageAdornment::StretchToFill);
    mScaleByRadioButton = radio(tr("Scale"), PWImageAdornment::ScaleByFactor);
    mFillProportionallyRadioButton->setToolTip(tr("The whole image inside the object, its proportions kept"));
    mFillObjectRadioBUtton->setToolTip(tr("The image stretched to the object's size"));
    mScaleByRadioButton->setToolTip(tr("The image at its own size times the scale"));
    addRow(view, {}, {mFillProportionallyRadioButton, mFillObjectRadioBUtton, mScaleByRadioButton});
    mScaleTextField = numberField(this, QStringLiteral("scaleAction:"), decimalFormatter(3));
    mScaleStepper = stepper(this, QStringLiteral("scaleAction:"), 0.05, PWImageAdornment::kMinScale, PWImageAdornment::kMaxScale);
    addRow(view, tr("Scale:"), {mScaleTextField, mScaleStepper});
    mOpacityTextField = numberField(this, QStringLiteral("opacityAction:"), decimalFormatter(2));
    mOpacityStepper = stepper(this, QStringLiteral("opacityAction:"), 0.05, 0, 1);
    addRow(view, tr("Opacity:"), {mOpacityTextField, mOpacityStepper});
    mAngleTextField = numberField(this, QStringLiteral("angleAction:"), decimalFormatter(2));
    mAngleStepper = stepper(this, QStringLiteral("angleAction:"), 5, -360, 360);
    addRow(view, tr("Angle:"), {mAngleTextField, mAngleStepper});
    QList<std::pair<QString, int>> modes;
    for (int value = 0; value <= pw::renderers::kLastCompositingValue; ++value)
        modes.append({pw::renderers::compositingValueName(value), value});
    mCompositionModePopUpButton = taggedPopUp(this, QStringLiteral("compositionModeAction:"), modes);
    // Its longest mode is too wide for the column beside the captions.
    addWrappedRow(view, tr("Blend:"), {mCompositionModePopUpButton});
    mClipToPathCheckbox = checkBox(tr("Clip to the object's path"), this, QStringLiteral("clipToPathAction:"));
    addRow(view, {}, {mClipToPathCheckbox});
    for (QWidget* control : std::initializer_list<QWidget*>{mAngleTextField, mAngleStepper, mOpacityTextField,
                                                           mOpacityStepper, mClipToPathCheckbox,
                                                           mCompositionModePopUpButton, mFileButton})
        addLockControl(control);
    finish(view);
    setView(view);
}

pf::Button* VNQLStyleEditSub_PWImageAdornment::fittingRadioButton(int option) const
{
    for (pf::Button* button : {mFillProportionallyRadioButton.data(), mFillObjectRadioBUtton.data(), mScaleByRadioButton.data()})
        if (button && button->property(kFittingProperty).toInt() == option)
            return button;
    return nullptr;
}

void VNQLStyleEditSub_PWImageAdornment::newObjectWasAssigned()
{
    VNQLStyleComponentController::newObjectWasAssigned();
    setControlEnabled(mPasteButton, !m_lockedState && m_enabledState && canPasteImage());
}

// --- Values out -------------------------------------------------------------------------------

void VNQLStyleEditSub_PWImageAdornment::fileButtonAction(const QVariant&)
{
    chooseImageForComponent();
}

void VNQLStyleEditSub_PWImageAdornment::pasteButtonAction(const QVariant&)
{
    const QImage image = pasteboardImage();
    if (!image.isNull())
        setCommonValue(image, QStringLiteral("image"));
}

void VNQLStyleEditSub_PWImageAdornment::scaleAction(const QVariant& sender) { write(sender, QStringLiteral("scale")); }
void VNQLStyleEditSub_PWImageAdornment::opacityAction(const QVariant& sender) { write(sender, QStringLiteral("opacity")); }
void VNQLStyleEditSub_PWImageAdornment::angleAction(const QVariant& sender) { write(sender, QStringLiteral("angleInDegrees")); }

void VNQLStyleEditSub_PWImageAdornment::clipToPathAction(const QVariant& sender)
{
    auto* box = qobject_cast<pf::Button*>(pf::Control::fromSender(sender));
    const bool on = box ? box->state() == pf::ControlState::On : pf::variantToBool(sender);
    // The adornment clips to the inside of the path (2) or not at all (0).
    setCommonValue(on ? PWImageAdornment::kClipToPath : PWImageAdornment::kNoClipping, QStringLiteral("clipping"));
}

void VNQLStyleEditSub_PWImageAdornment::compositionModeAction(const QVariant& sender)
{
    if (const int tag = selectedTag(sender); tag >= 0)
        setCommonValue(unsigned(tag), QStringLiteral("operation"));
}

void VNQLStyleEditSub_PWImageAdornment::fillModeAction(const QVariant& sender)
{
    int option = INT_MIN;
    if (pf::Control* control = pf::Control::fromSender(sender))
        option = control->property(kFittingProperty).isValid() ? control->property(kFittingProperty).toInt() : INT_MIN;
    else if (pf::isNumber(sender))
        option = sender.toInt();
    if (option != INT_MIN)
        setCommonValue(option, QStringLiteral("fittingOption"));
}

// --- Values in --------------------------------------------------------------------------------

void VNQLStyleEditSub_PWImageAdornment::setImage(const QVariant& value)
{
    if (!mImageView)
        return;
    const QImage image = value.value<QImage>();
    mImageView->setImage(image.isNull() ? nullptr : pf::Image::fromQImage(image));
}

void VNQLStyleEditSub_PWImageAdornment::setScale(const QVariant& value) { VNQLPaneControls::showNumber(mScaleTextField, mScaleStepper, value); }
void VNQLStyleEditSub_PWImageAdornment::setOpacity(const QVariant& value) { VNQLPaneControls::showNumber(mOpacityTextField, mOpacityStepper, value); }
void VNQLStyleEditSub_PWImageAdornment::setAngleInDegrees(const QVariant& value) { VNQLPaneControls::showNumber(mAngleTextField, mAngleStepper, value); }

void VNQLStyleEditSub_PWImageAdornment::setFittingOption(const QVariant& value)
{
    const int option = pf::isNumber(value) ? value.toInt() : INT_MIN;
    for (int candidate : {0, 1, 2})
        if (pf::Button* button = fittingRadioButton(candidate))
            button->setState(candidate == option ? pf::ControlState::On : pf::ControlState::Off);
    const bool scale = option == PWImageAdornment::ScaleByFactor && !locked() && enabled();
    setControlEnabled(mScaleTextField, scale);
    setControlEnabled(mScaleStepper, scale);
}

void VNQLStyleEditSub_PWImageAdornment::setClipping(const QVariant& value)
{
    if (mClipToPathCheckbox)
        mClipToPathCheckbox->setState(pf::isNumber(value) && value.toUInt() == PWImageAdornment::kClipToPath
                                          ? pf::ControlState::On
                                          : pf::ControlState::Off);
}

void VNQLStyleEditSub_PWImageAdornment::setOperation(const QVariant& value) { selectTag(mCompositionModePopUpButton, value.toInt()); }

void VNQLStyleEditSub_PWImageAdornment::setStatesForLock(bool isLocked, bool isEnabled)
{
    m_lockedState = isLocked;
    m_enabledState = isEnabled;
    const bool e = isEnabled && !isLocked;
    enableLockControls(e);
    const QVariant fitting = commonValueForKeyPath(QStringLiteral("fittingOption"));
    const bool scale = e && pf::isNumber(fitting) && fitting.toInt() == PWImageAdornment::ScaleByFactor;
    setControlEnabled(mScaleTextField, scale);
    setControlEnabled(mScaleStepper, scale);
    setControlEnabled(mPasteButton, e && canPasteImage());
}
