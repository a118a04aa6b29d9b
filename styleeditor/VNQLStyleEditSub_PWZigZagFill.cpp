#include "styleeditor/VNQLStyleEditSub_PWZigZagFill.h"

#include "frameworks/penwork/renderers/PWZigZagFill.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"

#include <QCoreApplication>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWZigZagFill, VNQLStyleEditSub_PWFill)
{
    using C = VNQLStyleEditSub_PWZigZagFill;
    b.method("amplitudeAction:", &C::amplitudeAction);
    b.method("wavelengthAction:", &C::wavelengthAction);
    b.method("spreadAction:", &C::spreadAction);
    b.method("closeAction:", &C::closeAction);
    b.method("setAmplitude:", &C::setAmplitude);
    b.method("setWavelength:", &C::setWavelength);
    b.method("setSpread:", &C::setSpread);
    b.method("setClosed:", &C::setClosed);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWZigZagFill", text);
}
} // namespace

VNQLStyleEditSub_PWZigZagFill::VNQLStyleEditSub_PWZigZagFill(const QString& nibName)
    : VNQLStyleEditSub_PWFill(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWZigZagFill") : nibName)
{
}

const pf::Class& VNQLStyleEditSub_PWZigZagFill::managedObjectClass() const
{
    return PWZigZagFill::staticClass();
}

QStringList VNQLStyleEditSub_PWZigZagFill::keyPathsOfInterest() const
{
    return VNQLStyleEditSub_PWFill::keyPathsOfInterest() + QStringList{"amplitude", "wavelength", "spread", "closed"};
}

void VNQLStyleEditSub_PWZigZagFill::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makeComponentView();
    buildFillRows(view);
    mAmplitudeTextField = numberField(this, QStringLiteral("amplitudeAction:"), decimalFormatter(2));
    mAmplitudeStepper = stepper(this, QStringLiteral("amplitudeAction:"), 0.5, 0.0, 1000.0);
    addRow(view, tr("Amplitude:"), {mAmplitudeTextField, mAmplitudeStepper});
    mWavelengthTextField = numberField(this, QStringLiteral("wavelengthAction:"), decimalFormatter(2));
    mWavelengthStepper = stepper(this, QStringLiteral("wavelengthAction:"), 0.5, 0.5, 10000.0);
    addRow(view, tr("Wavelength:"), {mWavelengthTextField, mWavelengthStepper});
    mSpreadTextField = numberField(this, QStringLiteral("spreadAction:"), decimalFormatter(2));
    mSpreadStepper = stepper(this, QStringLiteral("spreadAction:"), 0.1, 0.0, 10000.0);
    addRow(view, tr("Spread:"), {mSpreadTextField, mSpreadStepper});
    mCloseCheckbox = checkBox(tr("Closed"), this, QStringLiteral("closeAction:"));
    addRow(view, {}, {mCloseCheckbox});
    for (QWidget* control : std::initializer_list<QWidget*>{mAmplitudeTextField, mAmplitudeStepper, mWavelengthTextField,
                                                           mWavelengthStepper, mSpreadTextField, mSpreadStepper,
                                                           mCloseCheckbox})
        addLockControl(control);
    addLengthField(mAmplitudeTextField);
    addLengthField(mWavelengthTextField);
    addLengthField(mSpreadTextField);
    finish(view);
    setView(view);
}

void VNQLStyleEditSub_PWZigZagFill::amplitudeAction(const QVariant& sender) { write(sender, QStringLiteral("amplitude")); }
void VNQLStyleEditSub_PWZigZagFill::wavelengthAction(const QVariant& sender) { write(sender, QStringLiteral("wavelength")); }
void VNQLStyleEditSub_PWZigZagFill::spreadAction(const QVariant& sender) { write(sender, QStringLiteral("spread")); }
void VNQLStyleEditSub_PWZigZagFill::closeAction(const QVariant& sender) { write(sender, QStringLiteral("closed")); }

void VNQLStyleEditSub_PWZigZagFill::setAmplitude(const QVariant& value)
{
    VNQLPaneControls::showNumber(mAmplitudeTextField, mAmplitudeStepper, value);
}

void VNQLStyleEditSub_PWZigZagFill::setWavelength(const QVariant& value)
{
    VNQLPaneControls::showNumber(mWavelengthTextField, mWavelengthStepper, value);
}

void VNQLStyleEditSub_PWZigZagFill::setSpread(const QVariant& value)
{
    VNQLPaneControls::showNumber(mSpreadTextField, mSpreadStepper, value);
}

void VNQLStyleEditSub_PWZigZagFill::setClosed(const QVariant& value) { setCheckbox(mCloseCheckbox, value); }

void VNQLStyleEditSub_PWZigZagFill::changeUnitsConversionFactorTo(double factor, const QString& units)
{
    VNQLStyleEditSub_PWFill::changeUnitsConversionFactorTo(factor, units);
    updateLengthFields(factor, units);
}
