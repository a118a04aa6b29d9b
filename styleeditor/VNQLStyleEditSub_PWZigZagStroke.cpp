#include "styleeditor/VNQLStyleEditSub_PWZigZagStroke.h"

#include "frameworks/penwork/renderers/PWZigZagStroke.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Variant.h"

#include <QCoreApplication>

#include <cmath>
#include <numbers>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWZigZagStroke, VNQLStyleEditSub_PWStroke)
{
    using C = VNQLStyleEditSub_PWZigZagStroke;
    b.method("amplitudeAction:", &C::amplitudeAction);
    b.method("wavelengthAction:", &C::wavelengthAction);
    b.method("spreadAction:", &C::spreadAction);
    b.method("closeAction:", &C::closeAction);
    b.method("setAmplitude:", &C::setAmplitude);
    b.method("setWavelength:", &C::setWavelength);
    b.method("setSpread:", &C::setSpread);
    b.method("setClosed:", std::function<QVariant(C&, const QVariantList&)>([](C& self, const QVariantList& args) { self.setClosed(args.value(0)); return QVariant(); }));

}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWZigZagStroke", text);
}
} // namespace

VNQLStyleEditSub_PWZigZagStroke::VNQLStyleEditSub_PWZigZagStroke(const QString& nibName)
    : VNQLStyleEditSub_PWStroke(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWZigZagStroke") : nibName)
{
}

const pf::Class& VNQLStyleEditSub_PWZigZagStroke::managedObjectClass() const
{
    return PWZigZagStroke::staticClass();
}

QStringList VNQLStyleEditSub_PWZigZagStroke::keyPathsOfInterest() const
{
    return VNQLStyleEditSub_PWStroke::keyPathsOfInterest() + QStringList{"amplitude", "wavelength", "spread", "closed"};
}

void VNQLStyleEditSub_PWZigZagStroke::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makeComponentView();
    buildStrokeRows(view);
    mAmplitudeTextField = numberField(this, QStringLiteral("amplitudeAction:"));
    mAmplitudeStepper = stepper(this, QStringLiteral("amplitudeAction:"), 0.5, 0.0, 1000.0);
    addRow(view, tr("Amplitude:"), {mAmplitudeTextField, mAmplitudeStepper});
    mWavelengthTextField = numberField(this, QStringLiteral("wavelengthAction:"));
    mWavelengthStepper = stepper(this, QStringLiteral("wavelengthAction:"), 0.5, 0.0, 1000.0);
    addRow(view, tr("Wavelength:"), {mWavelengthTextField, mWavelengthStepper});
    mSpreadTextField = numberField(this, QStringLiteral("spreadAction:"));
    mSpreadStepper = stepper(this, QStringLiteral("spreadAction:"), 0.1, 0.0, 100.0);
    addRow(view, tr("Spread:"), {mSpreadTextField, mSpreadStepper});
    mCloseCheckbox = checkBox(tr("Closed"), this, QStringLiteral("closeAction:"));
    addRow(view, {}, {mCloseCheckbox});
    addLengthField(mAmplitudeTextField);
    addLengthField(mWavelengthTextField);
    addLengthField(mSpreadTextField);
    finish(view);
    setView(view);
}

void VNQLStyleEditSub_PWZigZagStroke::amplitudeAction(const QVariant& sender) { write(sender, QStringLiteral("amplitude")); }

void VNQLStyleEditSub_PWZigZagStroke::wavelengthAction(const QVariant& sender) { write(sender, QStringLiteral("wavelength")); }

void VNQLStyleEditSub_PWZigZagStroke::spreadAction(const QVariant& sender) { write(sender, QStringLiteral("spread")); }

void VNQLStyleEditSub_PWZigZagStroke::closeAction(const QVariant& sender) { write(sender, QStringLiteral("closed")); }

void VNQLStyleEditSub_PWZigZagStroke::setAmplitude(const QVariant& value) { VNQLPaneControls::showNumber(mAmplitudeTextField, mAmplitudeStepper, value); }

void VNQLStyleEditSub_PWZigZagStroke::setWavelength(const QVariant& value) { VNQLPaneControls::showNumber(mWavelengthTextField, mWavelengthStepper, value); }

void VNQLStyleEditSub_PWZigZagStroke::setSpread(const QVariant& value) { VNQLPaneControls::showNumber(mSpreadTextField, mSpreadStepper, value); }

void VNQLStyleEditSub_PWZigZagStroke::setClosed(const QVariant& value)
{
    if (mCloseCheckbox)
        mCloseCheckbox->setState(pf::variantToBool(value) ? pf::ControlState::On : pf::ControlState::Off);

}

void VNQLStyleEditSub_PWZigZagStroke::setStatesForLock(bool isLocked, bool isEnabled)
{
    VNQLStyleEditSub_PWStroke::setStatesForLock(isLocked, isEnabled);
    const bool e = isEnabled && !isLocked;
    if (mAmplitudeTextField)
        mAmplitudeTextField->setEnabled(e);
    if (mAmplitudeStepper)
        mAmplitudeStepper->setEnabled(e);
    if (mWavelengthTextField)
        mWavelengthTextField->setEnabled(e);
    if (mWavelengthStepper)
        mWavelengthStepper->setEnabled(e);
    if (mSpreadTextField)
        mSpreadTextField->setEnabled(e);
    if (mSpreadStepper)
        mSpreadStepper->setEnabled(e);
    if (mCloseCheckbox)
        mCloseCheckbox->setEnabled(e);
}

void VNQLStyleEditSub_PWZigZagStroke::changeUnitsConversionFactorTo(double factor, const QString& units)
{
    VNQLStyleEditSub_PWStroke::changeUnitsConversionFactorTo(factor, units);
}


