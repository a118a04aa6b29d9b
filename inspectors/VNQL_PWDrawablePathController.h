#pragma once

#include "inspectors/VNQLShapePane.h"

// The path pane, shown for straight two-point lines: their length.
class VNQL_PWDrawablePathController : public VNQLShapePane {
    PF_CLASS(VNQL_PWDrawablePathController)
public:
    explicit VNQL_PWDrawablePathController(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override { return {"length", "locked"}; }
    QStringList propertiesExpressibleAsPercentage() const override { return {"length"}; }
    // The lock itself always goes through, so a locked line can be unlocked.
    bool shouldSetValue(QVariant* value, pf::Object* object, const QString& keyPath) override;
    // Locking disables the length; an empty selection leaves the controls as they are.
    void setControlStateForNil() override {}

    void lengthAction(const QVariant& sender);
    void setLength(const QVariant& value);
    void setMixedValueForLength();

    pf::TextField* lengthField() const { return mLengthTextField; }
    pf::Stepper* lengthStepper() const { return mLengthStepper; }

    void loadView() override;

    // Shows the pane's help page.

    void drawablePathHelpAction(const QVariant& sender = {});

protected:
    void newObjectWasAssigned() override;

private:
    QPointer<pf::TextField> mLengthTextField;
    QPointer<pf::Stepper> mLengthStepper;
};
