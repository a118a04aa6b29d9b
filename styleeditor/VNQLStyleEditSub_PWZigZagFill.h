#pragma once

#include "styleeditor/VNQLStyleEditSub_PWFill.h"

#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

// The zig-zag fill's pane: the fill's rows, the wave's amplitude, wavelength and spread, and
// whether it closes.
class VNQLStyleEditSub_PWZigZagFill : public VNQLStyleEditSub_PWFill {
    PF_CLASS(VNQLStyleEditSub_PWZigZagFill)
public:
    explicit VNQLStyleEditSub_PWZigZagFill(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("zig-zag-fill"); }

    void amplitudeAction(const QVariant& sender);
    void wavelengthAction(const QVariant& sender);
    void spreadAction(const QVariant& sender);
    void closeAction(const QVariant& sender);
    void setAmplitude(const QVariant& value);
    void setWavelength(const QVariant& value);
    void setSpread(const QVariant& value);
    void setClosed(const QVariant& value);
    void changeUnitsConversionFactorTo(double factor, const QString& units) override;

    pf::TextField* amplitudeTextField() const { return mAmplitudeTextField; }
    pf::Button* closeCheckbox() const { return mCloseCheckbox; }

    void loadView() override;

private:
    QPointer<pf::TextField> mAmplitudeTextField;
    QPointer<pf::Stepper> mAmplitudeStepper;
    QPointer<pf::TextField> mWavelengthTextField;
    QPointer<pf::Stepper> mWavelengthStepper;
    QPointer<pf::TextField> mSpreadTextField;
    QPointer<pf::Stepper> mSpreadStepper;
    QPointer<pf::Button> mCloseCheckbox;
};
