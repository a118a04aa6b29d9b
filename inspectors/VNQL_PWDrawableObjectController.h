#pragma once

#include "platform/ui/Button.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

#include "inspectors/VNQLGenericObjectController.h"

#include <QPointer>

namespace pf {
class Button;
class Slider;
class Stepper;
class TextField;
} // namespace pf
class VNQLGeometryController;

// The Geometry tab's pane for what every drawable has: position, size (absolute or as a
// percentage of the size at selection time), angle, visibility, lock and aspect-ratio lock,
// with the style's name and the object's name (shown in the tab's name line).
class VNQL_PWDrawableObjectController : public VNQLGenericObjectController {
    PF_CLASS(VNQL_PWDrawableObjectController)
public:
    // Interface option bits: which groups of controls the selection may use.
    enum InterfaceOption : int {
        kPositionControls = 1,
        kSizeControls = 2,
        kAngleControls = 4,
        kVisibleControl = 8,
        kLockControl = 16,
        kAllControls = 255,
    };

    explicit VNQL_PWDrawableObjectController(const QString& nibName = {});

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    QStringList propertiesExpressibleAsPercentage() const override;
    // Locked objects take no edit but the lock itself.
    bool shouldSetValue(QVariant* value, pf::Object* object, const QString& keyPath) override;

    int interfaceOptions() const { return m_options; }
    // Stores the options and enables the controls for them and the selection's lock state.
    void setInterfaceOptions(int options);
    VNQLGeometryController* geometryController() const { return m_geometryController; }
    void setGeometryController(VNQLGeometryController* controller) { m_geometryController = controller; }

    // The angle shown for a stored angle: within -180 .. 180 for angles up to a full turn.
    static double normalisedAngle(double degrees);

    // Actions.
    void xLocationAction(const QVariant& sender);
    void yLocationAction(const QVariant& sender);
    void sizeWidthAction(const QVariant& sender);
    void sizeHeightAction(const QVariant& sender);
    void angleAction(const QVariant& sender);
    void sizeAspectLockAction(const QVariant& sender);
    void generalLockAction(const QVariant& sender);
    void visibleAction(const QVariant& sender);
    void sizePercentageAction(const QVariant& sender);

    // Values arriving from the selection.
    void setXLocation(const QVariant& value);
    void setYLocation(const QVariant& value);
    void setWidth(const QVariant& value);
    void setHeight(const QVariant& value);
    void setAngleInDegrees(const QVariant& value);
    void setVisible(const QVariant& value);
    void setLocked(const QVariant& value);
    void setAspectRatioLocked(const QVariant& value);
    void setStyle(const QVariant& value);
    void setName(const QVariant& value);
    void setMixedValueForXLocation();
    void setMixedValueForYLocation();
    void setMixedValueForWidth();
    void setMixedValueForHeight();
    void setMixedValueForAngleInDegrees();
    void setMixedValueForVisible();
    void setMixedValueForLocked();
    void setMixedValueForAspectRatioLocked();
    void setMixedValueForStyle();
    void setMixedValueForName();

    void setSizeFormattersForPercentage(bool asPercentage);
    void changeUIStateForPercentageProperty(bool asPercentage, const QString& keyPath) override;
    void formatterChanged(const pf::Notification& notification) override;
    void setControlStateForNil() override;

    void loadView() override;

    // The controls, for the tab and for tests.
    pf::TextField* xLocationField() const { return mXLocationTextField; }
    pf::TextField* yLocationField() const { return mYLocationTextField; }
    pf::TextField* widthField() const { return mSizeWidthTextField; }
    pf::TextField* heightField() const { return mSizeHeightTextField; }
    pf::TextField* angleField() const { return mAngleTextField; }
    pf::TextField* styleInfoField() const { return mStyleInfoTextField; }
    pf::Button* lockCheckbox() const { return mGeneralLockCheckbox; }
    pf::Button* visibleCheckbox() const { return mVisibleCheckbox; }
    pf::Button* aspectLockCheckbox() const { return mSizeAspectLockCheckbox; }
    pf::Button* percentageCheckbox() const { return mSizePercentageCheckbox; }

protected:
    void newObjectWasAssigned() override;
    // The rows every drawable and slice has: position, size, visibility and lock; the angle
    // and style rows only when asked.
    void buildGeometryRows(QWidget* view, bool withAngleAndStyle);
    // The Geometry tab's formatter for lengths, or a plain decimal one.
    std::shared_ptr<pf::NumberFormatter> unitsFormatter() const;
    // Writes the control's value and names the undo step when a name is given.
    void write(const QVariant& sender, const QString& keyPath, const QString& undoName = {});
    void enableControls(bool locked);
    bool selectionIsLocked();

    QPointer<pf::TextField> mXLocationTextField;
    QPointer<pf::TextField> mYLocationTextField;
    QPointer<pf::TextField> mSizeWidthTextField;
    QPointer<pf::TextField> mSizeHeightTextField;
    QPointer<pf::Button> mSizeAspectLockCheckbox;
    QPointer<pf::Button> mGeneralLockCheckbox;
    QPointer<pf::Button> mVisibleCheckbox;
    QPointer<pf::TextField> mAngleTextField;
    QPointer<pf::Slider> mAngleSlider;
    QPointer<pf::Button> mSizePercentageCheckbox;
    QPointer<pf::TextField> mStyleInfoTextField;
    QPointer<pf::Stepper> mXLocationStepper;
    QPointer<pf::Stepper> mYLocationStepper;
    QPointer<pf::Stepper> mSizeWidthStepper;
    QPointer<pf::Stepper> mSizeHeightStepper;
    QPointer<pf::Stepper> mAngleStepper;
    int m_options = kAllControls;
    VNQLGeometryController* m_geometryController = nullptr;
};
