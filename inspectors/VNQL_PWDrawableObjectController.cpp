#include "inspectors/VNQL_PWDrawableObjectController.h"

#include "inspectors/VNQLGeometryController.h"
#include "inspectors/VNQLPaneControls.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Button.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

#include <QCoreApplication>

#include <cmath>

using namespace VNQLPaneControls;

PF_DEFINE_CLASS(VNQL_PWDrawableObjectController, VNQLGenericObjectController)
{
    using C = VNQL_PWDrawableObjectController;
    b.method("xLocationAction:", &C::xLocationAction);
    b.method("yLocationAction:", &C::yLocationAction);
    b.method("sizeWidthAction:", &C::sizeWidthAction);
    b.method("sizeHeightAction:", &C::sizeHeightAction);
    b.method("angleAction:", &C::angleAction);
    b.method("sizeAspectLockAction:", &C::sizeAspectLockAction);
    b.method("generalLockAction:", &C::generalLockAction);
    b.method("visibleAction:", &C::visibleAction);
    b.method("sizePercentageAction:", &C::sizePercentageAction);
    b.method("setXLocation:", &C::setXLocation);
    b.method("setYLocation:", &C::setYLocation);
    b.method("setWidth:", &C::setWidth);
    b.method("setHeight:", &C::setHeight);
    b.method("setAngleInDegrees:", &C::setAngleInDegrees);
    b.method("setVisible:", &C::setVisible);
    b.method("setLocked:", &C::setLocked);
    b.method("setAspectRatioLocked:", &C::setAspectRatioLocked);
    b.method("setStyle:", &C::setStyle);
    b.method("setName:", &C::setName);
    b.method("setMixedValueForXLocation", &C::setMixedValueForXLocation);
    b.method("setMixedValueForYLocation", &C::setMixedValueForYLocation);
    b.method("setMixedValueForWidth", &C::setMixedValueForWidth);
    b.method("setMixedValueForHeight", &C::setMixedValueForHeight);
    b.method("setMixedValueForAngleInDegrees", &C::setMixedValueForAngleInDegrees);
    b.method("setMixedValueForVisible", &C::setMixedValueForVisible);
    b.method("setMixedValueForLocked", &C::setMixedValueForLocked);
    b.method("setMixedValueForAspectRatioLocked", &C::setMixedValueForAspectRatioLocked);
    b.method("setMixedValueForStyle", &C::setMixedValueForStyle);
    b.method("setMixedValueForName", &C::setMixedValueForName);
    b.method("setInterfaceOptions:", &C::setInterfaceOptions);
}

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQL_PWDrawableObjectController", text);
}

void showState(pf::Button* box, const QVariant& value)
{
    if (box)
        box->setState(pf::variantToBool(value) ? pf::ControlState::On : pf::ControlState::Off);
}

void showMixed(pf::Button* box)
{
    if (!box)
        return;
    box->setAllowsMixedState(true);
    box->setState(pf::ControlState::Mixed);
}

void enable(QWidget* control, bool enabled)
{
    if (control)
        control->setEnabled(enabled);
}

} // namespace

VNQL_PWDrawableObjectController::VNQL_PWDrawableObjectController(const QString& nibName)
    : VNQLGenericObjectController(nibName.isEmpty() ? QStringLiteral("VNQL_PWDrawableObjectController") : nibName)
{
}

const pf::Class& VNQL_PWDrawableObjectController::managedObjectClass() const
{
    return PWDrawableObject::staticClass();
}

QStringList VNQL_PWDrawableObjectController::keyPathsOfInterest() const
{
    return {"xLocation", "yLocation", "width", "height", "angleInDegrees", "visible", "locked", "style",
            "aspectRatioLocked", "name"};
}

QStringList VNQL_PWDrawableObjectController::propertiesExpressibleAsPercentage() const
{
    return {"width", "height"};
}

bool VNQL_PWDrawableObjectController::shouldSetValue(QVariant*, pf::Object* object, const QString& keyPath)
{
    if (keyPath == QLatin1String("locked") || !object)
        return true;
    try {
        return !pf::variantToBool(object->valueForKey(QStringLiteral("locked")));
    } catch (const pf::Exception&) {
        return true; // an object without a lock cannot be locked
    }
}

double VNQL_PWDrawableObjectController::normalisedAngle(double degrees)
{
    if (!std::isfinite(degrees))
        return 0.0;
    double a = std::fmod(degrees, 360.0);
    if (a > 180.0)
        a -= 360.0;
    return a;
}

// View

void VNQL_PWDrawableObjectController::loadView()
{
    pf::View* view = makePaneView();
    buildGeometryRows(view, true);
    finish(view);
    setView(view);
}

void VNQL_PWDrawableObjectController::buildGeometryRows(QWidget* view, bool withAngleAndStyle)
{
    const auto units = unitsFormatter();
    mXLocationTextField = numberField(this, "xLocationAction:", units);
    mXLocationStepper = stepper(this, "xLocationAction:");
    mYLocationTextField = numberField(this, "yLocationAction:", units);
    mYLocationStepper = stepper(this, "yLocationAction:");
    addRow(view, tr("X:"), {mXLocationTextField, mXLocationStepper});
    addRow(view, tr("Y:"), {mYLocationTextField, mYLocationStepper});
    mSizeWidthTextField = numberField(this, "sizeWidthAction:", units);
    mSizeWidthStepper = stepper(this, "sizeWidthAction:", 1.0, 0.0);
    mSizeHeightTextField = numberField(this, "sizeHeightAction:", units);
    mSizeHeightStepper = stepper(this, "sizeHeightAction:", 1.0, 0.0);
    addRow(view, tr("Width:"), {mSizeWidthTextField, mSizeWidthStepper});
    addRow(view, tr("Height:"), {mSizeHeightTextField, mSizeHeightStepper});
    mSizeAspectLockCheckbox = checkBox(tr("Lock aspect ratio"), this, "sizeAspectLockAction:");
    mSizePercentageCheckbox = checkBox(tr("Sizes as percentages"), this, "sizePercentageAction:");
    addRow(view, {}, {mSizeAspectLockCheckbox});
    addRow(view, {}, {mSizePercentageCheckbox});
    if (withAngleAndStyle) {
        mAngleTextField = numberField(this, "angleAction:", decimalFormatter(1));
        mAngleStepper = stepper(this, "angleAction:", 1.0, -360.0, 360.0);
        mAngleSlider = new pf::Slider;
        mAngleSlider->setMinValue(-180.0);
        mAngleSlider->setMaxValue(180.0);
        mAngleSlider->setFixedWidth(90);
        mAngleSlider->setTarget(this);
        mAngleSlider->setAction(QStringLiteral("angleAction:"));
        addRow(view, tr("Angle:"), {mAngleTextField, mAngleStepper});
        addRow(view, {}, {mAngleSlider});
    }
    mVisibleCheckbox = checkBox(tr("Visible"), this, "visibleAction:");
    mGeneralLockCheckbox = checkBox(tr("Locked"), this, "generalLockAction:");
    addRow(view, {}, {mVisibleCheckbox});
    addRow(view, {}, {mGeneralLockCheckbox});
    if (withAngleAndStyle) {
        mStyleInfoTextField = label();
        // Room for the mixed-styles line; a long style name ends in an ellipsis.
        fitWidthTo(mStyleInfoTextField, tr("<multiple styles>"));
        mStyleInfoTextField->cell()->setLineBreakMode(pf::LineBreakByTruncatingTail);
        addRow(view, tr("Style:"), {mStyleInfoTextField});
    }
}

std::shared_ptr<pf::NumberFormatter> VNQL_PWDrawableObjectController::unitsFormatter() const
{
    auto* tab = dynamic_cast<VNQLGeometryController*>(dataSource());
    if (tab && tab->drawingUnitsFormatter())
        return tab->drawingUnitsFormatter();
    return decimalFormatter();
}

// New content, units and percentages

void VNQL_PWDrawableObjectController::newObjectWasAssigned()
{
    VNQLGenericObjectController::newObjectWasAssigned();
    if (auto* tab = dynamic_cast<VNQLGeometryController*>(dataSource()))
        setInterfaceOptions(tab->drawableControllerWantsInterfaceOptions(this));
    const bool asPercentage = propertyIsExpressedAsPercentage(QStringLiteral("width"));
    setSizeFormattersForPercentage(asPercentage);
    if (mSizePercentageCheckbox)
        mSizePercentageCheckbox->setState(asPercentage ? pf::ControlState::On : pf::ControlState::Off);
}

void VNQL_PWDrawableObjectController::setSizeFormattersForPercentage(bool asPercentage)
{
    const auto formatter = asPercentage ? percentageFormatter(true) : unitsFormatter();
    for (pf::TextField* field : {mSizeWidthTextField.data(), mSizeHeightTextField.data()}) {
        if (!field)
            continue;
        field->setFormatter(formatter);
        field->update();
    }
}

void VNQL_PWDrawableObjectController::changeUIStateForPercentageProperty(bool asPercentage, const QString& keyPath)
{
    if (keyPath == QLatin1String("width"))
        setSizeFormattersForPercentage(asPercentage);
}

void VNQL_PWDrawableObjectController::formatterChanged(const pf::Notification&)
{
    auto* tab = dynamic_cast<VNQLGeometryController*>(dataSource());
    if (!tab || !tab->drawingUnitsFormatter())
        return;
    for (pf::TextField* field : {mXLocationTextField.data(), mYLocationTextField.data()}) {
        if (!field)
            continue;
        field->setFormatter(tab->drawingUnitsFormatter());
        field->update();
    }
    setSizeFormattersForPercentage(propertyIsExpressedAsPercentage(QStringLiteral("width")));
    reloadData();
}

// Enabling

bool VNQL_PWDrawableObjectController::selectionIsLocked()
{
    if (!hasContent())
        return false;
    const QVariant locked = commonValueForKeyPath(QStringLiteral("locked"));
    return !pf::isMarker(locked) && pf::variantToBool(locked);
}

void VNQL_PWDrawableObjectController::setInterfaceOptions(int options)
{
    m_options = options;
    enableControls(selectionIsLocked());
    enable(mGeneralLockCheckbox, (options & kLockControl) != 0);
}

void VNQL_PWDrawableObjectController::enableControls(bool locked)
{
    const bool position = (m_options & kPositionControls) && !locked;
    const bool size = (m_options & kSizeControls) && !locked;
    const bool angle = (m_options & kAngleControls) && !locked;
    const bool visible = (m_options & kVisibleControl) && !locked;
    for (QWidget* control : {static_cast<QWidget*>(mXLocationTextField.data()), static_cast<QWidget*>(mYLocationTextField.data()),
                             static_cast<QWidget*>(mXLocationStepper.data()), static_cast<QWidget*>(mYLocationStepper.data())})
        enable(control, position);
    for (QWidget* control : {static_cast<QWidget*>(mSizeWidthTextField.data()), static_cast<QWidget*>(mSizeHeightTextField.data()),
                             static_cast<QWidget*>(mSizeWidthStepper.data()), static_cast<QWidget*>(mSizeHeightStepper.data()),
                             static_cast<QWidget*>(mSizeAspectLockCheckbox.data()),
                             static_cast<QWidget*>(mSizePercentageCheckbox.data())})
        enable(control, size);
    for (QWidget* control : {static_cast<QWidget*>(mAngleTextField.data()), static_cast<QWidget*>(mAngleStepper.data()),
                             static_cast<QWidget*>(mAngleSlider.data())})
        enable(control, angle);
    enable(mVisibleCheckbox, visible);
}

void VNQL_PWDrawableObjectController::setControlStateForNil()
{
    enableControls(true);
    enable(mGeneralLockCheckbox, false);
}

// Actions

void VNQL_PWDrawableObjectController::write(const QVariant& sender, const QString& keyPath, const QString& undoName)
{
    takeCommonValueFrom(pf::Control::fromSender(sender), keyPath);
    if (!undoName.isEmpty())
        nameUndoActionForLastWrite(undoName);
}

void VNQL_PWDrawableObjectController::xLocationAction(const QVariant& sender) { write(sender, "xLocation", tr("Change Position")); }
void VNQL_PWDrawableObjectController::yLocationAction(const QVariant& sender) { write(sender, "yLocation", tr("Change Position")); }
void VNQL_PWDrawableObjectController::sizeWidthAction(const QVariant& sender) { write(sender, "width", tr("Change Width")); }
void VNQL_PWDrawableObjectController::sizeHeightAction(const QVariant& sender) { write(sender, "height", tr("Change Height")); }
void VNQL_PWDrawableObjectController::angleAction(const QVariant& sender) { write(sender, "angleInDegrees", tr("Change Angle")); }
void VNQL_PWDrawableObjectController::sizeAspectLockAction(const QVariant& sender) { write(sender, "aspectRatioLocked"); }
void VNQL_PWDrawableObjectController::generalLockAction(const QVariant& sender) { write(sender, "locked"); }
void VNQL_PWDrawableObjectController::visibleAction(const QVariant& sender) { write(sender, "visible"); }

void VNQL_PWDrawableObjectController::sizePercentageAction(const QVariant& sender)
{
    pf::Control* control = pf::Control::fromSender(sender);
    auto* box = qobject_cast<pf::Button*>(control);
    const bool on = box ? box->state() == pf::ControlState::On : pf::variantToBool(sender);
    setPropertyExpressedAsPercentage(QStringLiteral("width"), on);
    setPropertyExpressedAsPercentage(QStringLiteral("height"), on);
}

// Values

void VNQL_PWDrawableObjectController::setXLocation(const QVariant& value) { showNumber(mXLocationTextField, mXLocationStepper, value); }
void VNQL_PWDrawableObjectController::setYLocation(const QVariant& value) { showNumber(mYLocationTextField, mYLocationStepper, value); }
void VNQL_PWDrawableObjectController::setWidth(const QVariant& value) { showNumber(mSizeWidthTextField, mSizeWidthStepper, value); }
void VNQL_PWDrawableObjectController::setHeight(const QVariant& value) { showNumber(mSizeHeightTextField, mSizeHeightStepper, value); }

void VNQL_PWDrawableObjectController::setAngleInDegrees(const QVariant& value)
{
    const QVariant shown = pf::isNumber(value) ? QVariant(normalisedAngle(value.toDouble())) : value;
    showNumber(mAngleTextField, mAngleStepper, shown);
    if (mAngleSlider && pf::isNumber(shown))
        mAngleSlider->setDoubleValue(shown.toDouble());
}

void VNQL_PWDrawableObjectController::setVisible(const QVariant& value) { showState(mVisibleCheckbox, value); }

void VNQL_PWDrawableObjectController::setLocked(const QVariant& value)
{
    showState(mGeneralLockCheckbox, value);
    enableControls(pf::variantToBool(value));
}

void VNQL_PWDrawableObjectController::setAspectRatioLocked(const QVariant& value)
{
    if (!mSizeAspectLockCheckbox)
        return;
    mSizeAspectLockCheckbox->setHidden(false);
    showState(mSizeAspectLockCheckbox, value);
}

void VNQL_PWDrawableObjectController::setStyle(const QVariant& value)
{
    if (!mStyleInfoTextField)
        return;
    const pf::Ref<PWStyle> style = pf::objectCast<PWStyle>(value);
    mStyleInfoTextField->setStringValue(style ? style->name() : QString());
}

void VNQL_PWDrawableObjectController::setName(const QVariant& value)
{
    if (m_geometryController)
        m_geometryController->setNameString(value.toString());
}

void VNQL_PWDrawableObjectController::setMixedValueForXLocation() { showNumber(mXLocationTextField, nullptr, {}); }
void VNQL_PWDrawableObjectController::setMixedValueForYLocation() { showNumber(mYLocationTextField, nullptr, {}); }
void VNQL_PWDrawableObjectController::setMixedValueForWidth() { showNumber(mSizeWidthTextField, nullptr, {}); }
void VNQL_PWDrawableObjectController::setMixedValueForHeight() { showNumber(mSizeHeightTextField, nullptr, {}); }
void VNQL_PWDrawableObjectController::setMixedValueForAngleInDegrees() { showNumber(mAngleTextField, nullptr, {}); }
void VNQL_PWDrawableObjectController::setMixedValueForVisible() { showMixed(mVisibleCheckbox); }

void VNQL_PWDrawableObjectController::setMixedValueForLocked()
{
    showMixed(mGeneralLockCheckbox);
    setInterfaceOptions(m_options);
}

void VNQL_PWDrawableObjectController::setMixedValueForAspectRatioLocked()
{
    if (mSizeAspectLockCheckbox)
        mSizeAspectLockCheckbox->setHidden(true);
}

void VNQL_PWDrawableObjectController::setMixedValueForStyle()
{
    if (mStyleInfoTextField)
        mStyleInfoTextField->setStringValue(tr("<multiple styles>"));
}

void VNQL_PWDrawableObjectController::setMixedValueForName()
{
    if (m_geometryController)
        m_geometryController->setNameString(tr("Multiple Selection"));
}
