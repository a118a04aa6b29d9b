#pragma once

#include "styleeditor/VNQLStyleEditSub_PWStroke.h"

// The zig-zag stroke's pane: the stroke's rows, the wave's amplitude, wavelength and spread, and
// whether it closes.
class VNQLStyleEditSub_PWZigZagStroke : public VNQLStyleEditSub_PWStroke {
    PF_CLASS(VNQLStyleEditSub_PWZigZagStroke)
public:
    explicit VNQLStyleEditSub_PWZigZagStroke(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QString helpIdentifier() const override { return QStringLiteral("zig-zag-stroke"); }

    void amplitudeAction(const QVariant& sender);
    void wavelengthAction(const QVariant& sender);
    void spreadAction(const QVariant& sender);
    void closeAction(const QVariant& sender);

    void setAmplitude(const QVariant& value);
    void setWavelength(const QVariant& value);
    void setSpread(const QVariant& value);
    virtual void setClosed(const QVariant& value);
    void setStatesForLock(bool locked, bool enabled) override;
    void changeUnitsConversionFactorTo(double factor, const QString& units) override;

    void loadView() override;

    pf::TextField* amplitudeTextField() const { return mAmplitudeTextField; }
    pf::TextField* wavelengthTextField() const { return mWavelengthTextField; }
    pf::TextField* spreadTextField() const { return mSpreadTextField; }
    pf::Button* closeCheckbox() const { return mCloseCheckbox; }

private:
    QPointer<pf::TextField> mAmplitudeTextField;
    QPointer<pf::Stepper> mAmplitudeStepper;
    QPointer<pf::TextField> mWavelengthTextField;
    QPointer<pf::Stepper> mWavelengthStepper;
    QPointer<pf::TextField> mSpreadTextField;
    QPointer<pf::Stepper> mSpreadStepper;
    QPointer<pf::Button> mCloseCheckbox;
};
