#include "styleeditor/VNQLStyleEditSub_PWCIFilterTypeBlurGroup.h"

#include "frameworks/penwork/renderers/PWCIFilterTypeBlurGroup.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Markers.h"
#include "platform/ui/Menu.h"
#include "platform/ui/UserInterfaceItem.h"

#include <QCoreApplication>

#include <climits>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWCIFilterTypeBlurGroup, VNQLStyleComponentController)
{
    using C = VNQLStyleEditSub_PWCIFilterTypeBlurGroup;
    b.method("blurAmountAction:", &C::blurAmountAction);
    b.method("blurAngleAction:", &C::blurAngleAction);
    b.method("blurTypeAction:", &C::blurTypeAction);
    b.method("clippingAction:", &C::clippingAction);
    b.method("pasteIntoGroupAction:", &C::pasteIntoGroupAction);
    b.method("setBlurAmount:", &C::setBlurAmount);
    b.method("setBlurAngle:", &C::setBlurAngle);
    b.method("setBlurType:", &C::setBlurType);
    b.method("setClipping:", &C::setClipping);
    b.method("setRenderList:", &C::setRenderList);
    b.method("setDisplayName:", &C::setDisplayName);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWCIFilterTypeBlurGroup", text);
}
} // namespace

VNQLStyleEditSub_PWCIFilterTypeBlurGroup::VNQLStyleEditSub_PWCIFilterTypeBlurGroup(const QString& nibName)
    : VNQLStyleComponentController(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWCIFilterTypeBlurGroup") : nibName)
{
}

const pf::Class& VNQLStyleEditSub_PWCIFilterTypeBlurGroup::managedObjectClass() const
{
    return PWCIFilterTypeBlurGroup::staticClass();
}

QStringList VNQLStyleEditSub_PWCIFilterTypeBlurGroup::keyPathsOfInterest() const
{
    return {"enabled", "blurAmount", "blurAngle", "blurType", "clipping", "renderList", "displayName"};
}

bool VNQLStyleEditSub_PWCIFilterTypeBlurGroup::controlEnabledForBlurType(int blurType, const QString& keyPath)
{
    if (keyPath == QLatin1String("blurAmount"))
        return true;
    if (keyPath == QLatin1String("blurAngle"))
        return blurType == PWCIFilterTypeBlurGroup::BlurMotion;
    return false;
}

void VNQLStyleEditSub_PWCIFilterTypeBlurGroup::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makeComponentView();
    mBlurTypePopUpButon = taggedPopUp(this, QStringLiteral("blurTypeAction:"),
                                      {{tr("Gaussian Blur"), PWCIFilterTypeBlurGroup::BlurGaussian},
                                       {tr("Box Blur"), PWCIFilterTypeBlurGroup::BlurBox},
                                       {tr("Disc Blur"), PWCIFilterTypeBlurGroup::BlurDisc},
                                       {tr("Motion Blur"), PWCIFilterTypeBlurGroup::BlurMotion}});
    addRow(view, tr("Type:"), {mBlurTypePopUpButon});
    mBlurAmountTextField = numberField(this, QStringLiteral("blurAmountAction:"), decimalFormatter(2));
    mBlurAmountStepper = stepper(this, QStringLiteral("blurAmountAction:"), 0.5, 0, PWCIFilterTypeBlurGroup::kMaxBlurAmount);
    addRow(view, tr("Amount:"), {mBlurAmountTextField, mBlurAmountStepper});
    mBlurAngleTextField = numberField(this, QStringLiteral("blurAngleAction:"), decimalFormatter(2));
    mBlurAngleStepper = stepper(this, QStringLiteral("blurAngleAction:"), 5, -360, 360);
    addRow(view, tr("Angle:"), {mBlurAngleTextField, mBlurAngleStepper});
    mClippingPopUpButton = taggedPopUp(this, QStringLiteral("clippingAction:"),
                                       {{tr("No Clipping"), 0}, {tr("Outside Only"), 1}, {tr("Inside Only"), 2}});
    // Its longest choice is too wide for the column beside the captions.
    addWrappedRow(view, tr("Clipping:"), {mClippingPopUpButton});
    for (QWidget* control : std::initializer_list<QWidget*>{mBlurAmountTextField, mBlurAmountStepper, mClippingPopUpButton,
                                                           mBlurTypePopUpButon})
        addLockControl(control);
    finish(view);
    setView(view);
}

void VNQLStyleEditSub_PWCIFilterTypeBlurGroup::blurAmountAction(const QVariant& sender) { write(sender, QStringLiteral("blurAmount")); }
void VNQLStyleEditSub_PWCIFilterTypeBlurGroup::blurAngleAction(const QVariant& sender) { write(sender, QStringLiteral("blurAngle")); }

void VNQLStyleEditSub_PWCIFilterTypeBlurGroup::blurTypeAction(const QVariant& sender)
{
    if (const int tag = selectedTag(sender); tag != INT_MIN)
        setCommonValue(tag, QStringLiteral("blurType"));
}

void VNQLStyleEditSub_PWCIFilterTypeBlurGroup::clippingAction(const QVariant& sender)
{
    if (const int tag = selectedTag(sender); tag != INT_MIN)
        setCommonValue(tag, QStringLiteral("clipping"));
}

void VNQLStyleEditSub_PWCIFilterTypeBlurGroup::pasteIntoGroupAction(const QVariant&)
{
    VNQLStyleGroupChildPanes::pasteIntoGroup(*this);
}

void VNQLStyleEditSub_PWCIFilterTypeBlurGroup::setBlurAmount(const QVariant& value)
{
    VNQLPaneControls::showNumber(mBlurAmountTextField, mBlurAmountStepper, value);
}

void VNQLStyleEditSub_PWCIFilterTypeBlurGroup::setBlurAngle(const QVariant& value)
{
    VNQLPaneControls::showNumber(mBlurAngleTextField, mBlurAngleStepper, value);
}

void VNQLStyleEditSub_PWCIFilterTypeBlurGroup::setBlurType(const QVariant& value)
{
    selectTag(mBlurTypePopUpButon, value.toInt());
    const bool angle = controlEnabledForBlurType(value.toInt(), QStringLiteral("blurAngle")) && !locked() && enabled();
    setControlEnabled(mBlurAngleTextField, angle);
    setControlEnabled(mBlurAngleStepper, angle);
}

void VNQLStyleEditSub_PWCIFilterTypeBlurGroup::setClipping(const QVariant& value) { selectTag(mClippingPopUpButton, value.toInt()); }
void VNQLStyleEditSub_PWCIFilterTypeBlurGroup::setRenderList(const QVariant&) { VNQLStyleGroupChildPanes::renderListChanged(*this); }
void VNQLStyleEditSub_PWCIFilterTypeBlurGroup::setDisplayName(const QVariant& value) { VNQLStyleGroupChildPanes::showDisplayName(*this, value); }

void VNQLStyleEditSub_PWCIFilterTypeBlurGroup::setStatesForLock(bool isLocked, bool isEnabled)
{
    const bool e = isEnabled && !isLocked;
    enableLockControls(e);
    const QVariant type = commonValueForKeyPath(QStringLiteral("blurType"));
    const bool angle = e && pf::isNumber(type) && controlEnabledForBlurType(type.toInt(), QStringLiteral("blurAngle"));
    setControlEnabled(mBlurAngleTextField, angle);
    setControlEnabled(mBlurAngleStepper, angle);
    mSubControllers.passStatesForLock(isLocked, isEnabled);
}

bool VNQLStyleEditSub_PWCIFilterTypeBlurGroup::validateUserInterfaceItem(pf::UserInterfaceItem& item)
{
    if (item.action() == VNQLStyleGroupChildPanes::kPasteAction)
        return VNQLStyleGroupChildPanes::validatePasteItem(*this, item);
    return VNQLStyleComponentController::validateUserInterfaceItem(item);
}

pf::Ref<pf::Menu> VNQLStyleEditSub_PWCIFilterTypeBlurGroup::componentMenu()
{
    pf::Ref<pf::Menu> menu = VNQLStyleComponentController::componentMenu();
    VNQLStyleGroupChildPanes::addPasteItem(*this, *menu);
    return menu;
}
