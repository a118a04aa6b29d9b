#include "styleeditor/VNQLStyleEditSub_PWRepeatTransformGroup.h"

#include "frameworks/penwork/renderers/PWRepeatTransformGroup.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"
#include "frameworks/penwork/support/RVLog.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Markers.h"
#include "platform/ui/Menu.h"
#include "platform/ui/UserInterfaceItem.h"

#include <QCoreApplication>

#include <cmath>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWRepeatTransformGroup, VNQLStyleComponentController)
{
    using C = VNQLStyleEditSub_PWRepeatTransformGroup;
    b.method("repeatsAction:", &C::repeatsAction);
    b.method("xOffsetAction:", &C::xOffsetAction);
    b.method("yOffsetAction:", &C::yOffsetAction);
    b.method("xScaleAction:", &C::xScaleAction);
    b.method("yScaleAction:", &C::yScaleAction);
    b.method("rotationAction:", &C::rotationAction);
    b.method("relativeRotationAction:", &C::relativeRotationAction);
    b.method("repeatReverseAction:", &C::repeatReverseAction);
    b.method("blendEnableAction:", &C::blendEnableAction);
    b.method("blendColourAction:", &C::blendColourAction);
    b.method("pasteIntoGroupAction:", &C::pasteIntoGroupAction);
    b.method("setNumberOfRepeats:", &C::setNumberOfRepeats);
    b.method("setDeltaX:", &C::setDeltaX);
    b.method("setDeltaY:", &C::setDeltaY);
    b.method("setScaleX:", &C::setScaleX);
    b.method("setScaleY:", &C::setScaleY);
    b.method("setDeltaAngle:", &C::setDeltaAngle);
    b.method("setAngleIsRelative:", &C::setAngleIsRelative);
    b.method("setReversed:", &C::setReversed);
    b.method("setBlendColour:", &C::setBlendColour);
    b.method("setRenderList:", &C::setRenderList);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWRepeatTransformGroup", text);
}
constexpr double kDegreesPerRadian = 57.29577951308232;
} // namespace

VNQLStyleEditSub_PWRepeatTransformGroup::VNQLStyleEditSub_PWRepeatTransformGroup(const QString& nibName)
    : VNQLStyleComponentController(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWRepeatTransformGroup") : nibName)
{
}

VNQLStyleEditSub_PWRepeatTransformGroup::~VNQLStyleEditSub_PWRepeatTransformGroup()
{
    mSubcontrollers.clear();
}

const pf::Class& VNQLStyleEditSub_PWRepeatTransformGroup::managedObjectClass() const
{
    return PWRepeatTransformGroup::staticClass();
}

QStringList VNQLStyleEditSub_PWRepeatTransformGroup::keyPathsOfInterest() const
{
    return {"enabled",         "deltaX",   "deltaY",      "scaleX",    "scaleY",    "deltaAngle",
            "numberOfRepeats", "angleIsRelative", "reversed", "blendColour", "renderList"};
}

void VNQLStyleEditSub_PWRepeatTransformGroup::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makeComponentView();
    auto pair = [&](const char* caption, const char* action, QPointer<pf::TextField>& field,
                    QPointer<pf::Stepper>& step, double increment, double low, double high, int digits) {
        field = numberField(this, QString::fromLatin1(action), decimalFormatter(digits));
        step = stepper(this, QString::fromLatin1(action), increment, low, high);
        addRow(view, tr(caption), {field, step});
        addLockControl(field);
        addLockControl(step);
    };
    pair("Repeats:", "repeatsAction:", mRepeatsTextField, mRepeatsStepper, 1, 0, PWRepeatTransformGroup::kMaxRepeats, 0);
    const double delta = PWRepeatTransformGroup::kMaxDelta;
    pair("X offset:", "xOffsetAction:", mXOffsetTextField, mXOffsetStepper, 1, -delta, delta, 2);
    pair("Y offset:", "yOffsetAction:", mYOffsetTextField, mYOffsetStepper, 1, -delta, delta, 2);
    pair("X scale:", "xScaleAction:", mXScaleTextField, mXScaleStepper, 0.05, PWRepeatTransformGroup::kMinScale,
         PWRepeatTransformGroup::kMaxScale, 3);
    pair("Y scale:", "yScaleAction:", mYScaleTextField, mYScaleStepper, 0.05, PWRepeatTransformGroup::kMinScale,
         PWRepeatTransformGroup::kMaxScale, 3);
    pair("Rotation:", "rotationAction:", mRotationTextField, mRotationStepper, 5, -360, 360, 2);
    mRelRotationCheckbox = checkBox(tr("Turn with the object"), this, QStringLiteral("relativeRotationAction:"));
    addRow(view, {}, {mRelRotationCheckbox});
    mReverseCheckbox = checkBox(tr("Draw the last repeat first"), this, QStringLiteral("repeatReverseAction:"));
    addRow(view, {}, {mReverseCheckbox});
    mBlendEnableCheckbox = checkBox(tr("Blend towards"), this, QStringLiteral("blendEnableAction:"));
    mBlendColourWell = new pf::ColorWell;
    mBlendColourWell->setFixedSize(44, 22);
    mBlendColourWell->setTarget(this);
    mBlendColourWell->setAction(QStringLiteral("blendColourAction:"));
    addRow(view, {}, {mBlendEnableCheckbox, mBlendColourWell});
    for (QWidget* control : std::initializer_list<QWidget*>{mRelRotationCheckbox, mReverseCheckbox, mBlendEnableCheckbox,
                                                           mBlendColourWell})
        addLockControl(control);
    finish(view);
    setView(view);
}

// --- Values out -------------------------------------------------------------------------------

void VNQLStyleEditSub_PWRepeatTransformGroup::repeatsAction(const QVariant& sender) { write(sender, QStringLiteral("numberOfRepeats")); }
void VNQLStyleEditSub_PWRepeatTransformGroup::xOffsetAction(const QVariant& sender) { write(sender, QStringLiteral("deltaX")); }
void VNQLStyleEditSub_PWRepeatTransformGroup::yOffsetAction(const QVariant& sender) { write(sender, QStringLiteral("deltaY")); }
void VNQLStyleEditSub_PWRepeatTransformGroup::xScaleAction(const QVariant& sender) { write(sender, QStringLiteral("scaleX")); }
void VNQLStyleEditSub_PWRepeatTransformGroup::yScaleAction(const QVariant& sender) { write(sender, QStringLiteral("scaleY")); }
void VNQLStyleEditSub_PWRepeatTransformGroup::relativeRotationAction(const QVariant& sender) { write(sender, QStringLiteral("angleIsRelative")); }
void VNQLStyleEditSub_PWRepeatTransformGroup::repeatReverseAction(const QVariant& sender) { write(sender, QStringLiteral("reversed")); }

void VNQLStyleEditSub_PWRepeatTransformGroup::rotationAction(const QVariant& sender)
{
    const pf::Control* control = pf::Control::fromSender(sender);
    const double degrees = control ? control->doubleValue() : sender.toDouble();
    if (std::isfinite(degrees))
        setCommonValue(degrees * M_PI / 180.0, QStringLiteral("deltaAngle"));
}

void VNQLStyleEditSub_PWRepeatTransformGroup::blendEnableAction(const QVariant& sender)
{
    auto* box = qobject_cast<pf::Button*>(pf::Control::fromSender(sender));
    const bool on = box ? box->state() == pf::ControlState::On : pf::variantToBool(sender);
    setCommonValue(on ? pw::renderers::colourToVariant(m_savedBlendColour) : QVariant(), QStringLiteral("blendColour"));
}

void VNQLStyleEditSub_PWRepeatTransformGroup::blendColourAction(const QVariant& sender)
{
    if (auto* well = qobject_cast<pf::ColorWell*>(pf::Control::fromSender(sender)))
        setCommonValue(pw::renderers::colourToVariant(well->color()), QStringLiteral("blendColour"));
}

void VNQLStyleEditSub_PWRepeatTransformGroup::pasteIntoGroupAction(const QVariant&)
{
    VNQLStyleGroupChildPanes::pasteIntoGroup(*this);
}

// --- Values in --------------------------------------------------------------------------------

void VNQLStyleEditSub_PWRepeatTransformGroup::setNumberOfRepeats(const QVariant& value)
{
    VNQLPaneControls::showNumber(mRepeatsTextField, mRepeatsStepper, pf::isNumber(value) ? QVariant(value.toInt()) : value);
}

void VNQLStyleEditSub_PWRepeatTransformGroup::setDeltaX(const QVariant& value) { VNQLPaneControls::showNumber(mXOffsetTextField, mXOffsetStepper, value); }
void VNQLStyleEditSub_PWRepeatTransformGroup::setDeltaY(const QVariant& value) { VNQLPaneControls::showNumber(mYOffsetTextField, mYOffsetStepper, value); }
void VNQLStyleEditSub_PWRepeatTransformGroup::setScaleX(const QVariant& value) { VNQLPaneControls::showNumber(mXScaleTextField, mXScaleStepper, value); }
void VNQLStyleEditSub_PWRepeatTransformGroup::setScaleY(const QVariant& value) { VNQLPaneControls::showNumber(mYScaleTextField, mYScaleStepper, value); }

void VNQLStyleEditSub_PWRepeatTransformGroup::setDeltaAngle(const QVariant& value)
{
    VNQLPaneControls::showNumber(mRotationTextField, mRotationStepper,
                                 pf::isNumber(value) ? QVariant(value.toDouble() * kDegreesPerRadian) : value);
}

void VNQLStyleEditSub_PWRepeatTransformGroup::setAngleIsRelative(const QVariant& value) { setCheckbox(mRelRotationCheckbox, value); }
void VNQLStyleEditSub_PWRepeatTransformGroup::setReversed(const QVariant& value) { setCheckbox(mReverseCheckbox, value); }

void VNQLStyleEditSub_PWRepeatTransformGroup::setBlendColour(const QVariant& value)
{
    const pf::Color colour = pf::isNilOrNull(value) ? pf::Color() : pw::renderers::colourFromVariant(value, QStringLiteral("blend colour"));
    const bool hasColour = colour.isValid();
    if (hasColour)
        m_savedBlendColour = colour;
    if (mBlendColourWell) {
        mBlendColourWell->setColor(hasColour ? colour : pf::Color::clear());
        mBlendColourWell->setEnabled(hasColour && !locked() && enabled());
    }
    setCheckbox(mBlendEnableCheckbox, hasColour);
}

void VNQLStyleEditSub_PWRepeatTransformGroup::setRenderList(const QVariant& value)
{
    RVLog(kInfoEvent, QStringLiteral("transform group got new renderList: %1").arg(value.toList().size()));
    VNQLStyleGroupChildPanes::renderListChanged(*this);
}

void VNQLStyleEditSub_PWRepeatTransformGroup::setStatesForLock(bool isLocked, bool isEnabled)
{
    enableLockControls(isEnabled && !isLocked);
    // The well is live only while a blend colour is set.
    if (mBlendColourWell && mBlendEnableCheckbox && mBlendEnableCheckbox->state() != pf::ControlState::On)
        mBlendColourWell->setEnabled(false);
    mSubcontrollers.passStatesForLock(isLocked, isEnabled);
}

bool VNQLStyleEditSub_PWRepeatTransformGroup::validateUserInterfaceItem(pf::UserInterfaceItem& item)
{
    if (item.action() == VNQLStyleGroupChildPanes::kPasteAction)
        return VNQLStyleGroupChildPanes::validatePasteItem(*this, item);
    return VNQLStyleComponentController::validateUserInterfaceItem(item);
}

pf::Ref<pf::Menu> VNQLStyleEditSub_PWRepeatTransformGroup::componentMenu()
{
    pf::Ref<pf::Menu> menu = VNQLStyleComponentController::componentMenu();
    VNQLStyleGroupChildPanes::addPasteItem(*this, *menu);
    return menu;
}
