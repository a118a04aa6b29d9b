#include "styleeditor/VNQLStyleEditSub_PWGloomGroup.h"

#include "frameworks/penwork/renderers/PWGloomGroup.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/Menu.h"
#include "platform/ui/UserInterfaceItem.h"

#include <QCoreApplication>

#include <climits>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWGloomGroup, VNQLStyleComponentController)
{
    using C = VNQLStyleEditSub_PWGloomGroup;
    b.method("radiusAction:", &C::radiusAction);
    b.method("intensityAction:", &C::intensityAction);
    b.method("clippingAction:", &C::clippingAction);
    b.method("typeAction:", &C::typeAction);
    b.method("pasteIntoGroupAction:", &C::pasteIntoGroupAction);
    b.method("setRadius:", &C::setRadius);
    b.method("setIntensity:", &C::setIntensity);
    b.method("setClipping:", &C::setClipping);
    b.method("setType:", &C::setType);
    b.method("setRenderList:", &C::setRenderList);
    b.method("setDisplayName:", &C::setDisplayName);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWGloomGroup", text);
}
} // namespace

VNQLStyleEditSub_PWGloomGroup::VNQLStyleEditSub_PWGloomGroup(const QString& nibName)
    : VNQLStyleComponentController(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWGloomGroup") : nibName)
{
}

const pf::Class& VNQLStyleEditSub_PWGloomGroup::managedObjectClass() const
{
    return PWGloomGroup::staticClass();
}

QStringList VNQLStyleEditSub_PWGloomGroup::keyPathsOfInterest() const
{
    return {"enabled", "radius", "intensity", "clipping", "renderList", "type", "displayName"};
}

void VNQLStyleEditSub_PWGloomGroup::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makeComponentView();
    mTypePopUpButton = taggedPopUp(this, QStringLiteral("typeAction:"),
                                   {{tr("Glow"), PWGloomGroup::GloomGlow}, {tr("Shadow"), PWGloomGroup::GloomShadow}});
    addRow(view, tr("Type:"), {mTypePopUpButton});
    mRadiusTextField = numberField(this, QStringLiteral("radiusAction:"), decimalFormatter(2));
    mRadiusStepper = stepper(this, QStringLiteral("radiusAction:"), 1, 0, PWGloomGroup::kMaxRadius);
    addRow(view, tr("Radius:"), {mRadiusTextField, mRadiusStepper});
    mIntensityTextField = numberField(this, QStringLiteral("intensityAction:"), decimalFormatter(2));
    mIntensityStepper = stepper(this, QStringLiteral("intensityAction:"), 0.1, 0, PWGloomGroup::kMaxIntensity);
    addRow(view, tr("Intensity:"), {mIntensityTextField, mIntensityStepper});
    mClippingPopUpButton = taggedPopUp(this, QStringLiteral("clippingAction:"),
                                       {{tr("No Clipping"), 0}, {tr("Outside Only"), 1}, {tr("Inside Only"), 2}});
    // Its longest choice is too wide for the column beside the captions.
    addWrappedRow(view, tr("Clipping:"), {mClippingPopUpButton});
    for (QWidget* control : std::initializer_list<QWidget*>{mTypePopUpButton, mClippingPopUpButton, mIntensityTextField,
                                                           mIntensityStepper, mRadiusTextField, mRadiusStepper})
        addLockControl(control);
    finish(view);
    setView(view);
}

void VNQLStyleEditSub_PWGloomGroup::radiusAction(const QVariant& sender) { write(sender, QStringLiteral("radius")); }
void VNQLStyleEditSub_PWGloomGroup::intensityAction(const QVariant& sender) { write(sender, QStringLiteral("intensity")); }

void VNQLStyleEditSub_PWGloomGroup::clippingAction(const QVariant& sender)
{
    if (const int tag = selectedTag(sender); tag != INT_MIN)
        setCommonValue(tag, QStringLiteral("clipping"));
}

void VNQLStyleEditSub_PWGloomGroup::typeAction(const QVariant& sender)
{
    if (const int tag = selectedTag(sender); tag != INT_MIN)
        setCommonValue(tag, QStringLiteral("type"));
}

void VNQLStyleEditSub_PWGloomGroup::pasteIntoGroupAction(const QVariant&)
{
    VNQLStyleGroupChildPanes::pasteIntoGroup(*this);
}

void VNQLStyleEditSub_PWGloomGroup::setRadius(const QVariant& value) { VNQLPaneControls::showNumber(mRadiusTextField, mRadiusStepper, value); }
void VNQLStyleEditSub_PWGloomGroup::setIntensity(const QVariant& value) { VNQLPaneControls::showNumber(mIntensityTextField, mIntensityStepper, value); }
void VNQLStyleEditSub_PWGloomGroup::setClipping(const QVariant& value) { selectTag(mClippingPopUpButton, value.toInt()); }
void VNQLStyleEditSub_PWGloomGroup::setType(const QVariant& value) { selectTag(mTypePopUpButton, value.toInt()); }
void VNQLStyleEditSub_PWGloomGroup::setRenderList(const QVariant&) { VNQLStyleGroupChildPanes::renderListChanged(*this); }
void VNQLStyleEditSub_PWGloomGroup::setDisplayName(const QVariant& value) { VNQLStyleGroupChildPanes::showDisplayName(*this, value); }

void VNQLStyleEditSub_PWGloomGroup::setStatesForLock(bool isLocked, bool isEnabled)
{
    enableLockControls(isEnabled && !isLocked);
    mSubControllers.passStatesForLock(isLocked, isEnabled);
}

bool VNQLStyleEditSub_PWGloomGroup::validateUserInterfaceItem(pf::UserInterfaceItem& item)
{
    if (item.action() == VNQLStyleGroupChildPanes::kPasteAction)
        return VNQLStyleGroupChildPanes::validatePasteItem(*this, item);
    return VNQLStyleComponentController::validateUserInterfaceItem(item);
}

pf::Ref<pf::Menu> VNQLStyleEditSub_PWGloomGroup::componentMenu()
{
    pf::Ref<pf::Menu> menu = VNQLStyleComponentController::componentMenu();
    VNQLStyleGroupChildPanes::addPasteItem(*this, *menu);
    return menu;
}
