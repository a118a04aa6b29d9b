#include "styleeditor/VNQLStyleEditSub_PWGradientFill.h"

#include "frameworks/penwork/renderers/PWGradientFill.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"

#include <QCoreApplication>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWGradientFill, VNQLStyleComponentController)
{
    using C = VNQLStyleEditSub_PWGradientFill;
    b.method("gradientTypeAction:", &C::gradientTypeAction);
    b.method("gradientStopsAction:", &C::gradientStopsAction);
    b.method("gradientRelAngleAction:", &C::gradientRelAngleAction);
    b.method("gradientAngleAction:", &C::gradientAngleAction);
    b.method("gradientWarningAction:", &C::gradientWarningAction);
    b.method("setGradient:", &C::setGradient);
    b.method("setGradientType:", &C::setGradientType);
    b.method("setGradientAngle:", &C::setGradientAngle);
    b.method("setStartingLocation:", &C::setStartingLocation);
    b.method("setEndingLocation:", &C::setEndingLocation);
    b.method("setStartingRadius:", &C::setStartingRadius);
    b.method("setEndingRadius:", &C::setEndingRadius);
    b.method("setRadialParametersAreRelative:", &C::setRadialParametersAreRelative);
    b.method("setAngleIsRelative:", &C::setAngleIsRelative);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWGradientFill", text);
}
} // namespace

VNQLStyleEditSub_PWGradientFill::VNQLStyleEditSub_PWGradientFill(const QString& nibName)
    : VNQLStyleComponentController(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWGradientFill") : nibName)
{
}

const pf::Class& VNQLStyleEditSub_PWGradientFill::managedObjectClass() const
{
    return PWGradientFill::staticClass();
}

QStringList VNQLStyleEditSub_PWGradientFill::keyPathsOfInterest() const
{
    return {"enabled",       "gradient",       "gradientAngle",   "startingLocation", "endingLocation",
            "gradientType",  "startingRadius", "endingRadius",    "angleIsRelative",  "radialParametersAreRelative"};
}

PWGradientFill* VNQLStyleEditSub_PWGradientFill::gradientFill() const
{
    return dynamic_cast<PWGradientFill*>(representedComponent().get());
}

void VNQLStyleEditSub_PWGradientFill::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makeComponentView();
    mGradientTypeSegmentedControl = new pf::SegmentedControl;
    mGradientTypeSegmentedControl->setSegmentCount(2);
    const QStringList types = {tr("Linear"), tr("Radial")};
    for (int i = 0; i < 2; ++i) {
        mGradientTypeSegmentedControl->setLabel(types[i], i);
        mGradientTypeSegmentedControl->setTag(i, i);
        mGradientTypeSegmentedControl->setWidth(64, i);
    }
    mGradientTypeSegmentedControl->setTarget(this);
    mGradientTypeSegmentedControl->setAction(QStringLiteral("gradientTypeAction:"));
    mGradientTypeSegmentedControl->setFixedSize(134, 22);
    mParameterWarningButton = pushButton(QStringLiteral("\u26a0"), this, QStringLiteral("gradientWarningAction:"),
                                         tr("Transparent colours cannot be exported to PDF"));
    mParameterWarningButton->setFixedWidth(30);
    mParameterWarningButton->setHidden(true);
    addRow(view, tr("Type:"), {mGradientTypeSegmentedControl, mParameterWarningButton});

    mGradientControl = new PWXGradientControl;
    mGradientControl->setMinimumSize(200, 30);
    mGradientControl->setToolTip(tr("Click a stop to colour it, drag it to move it, drag it away to remove it"));
    addRow(view, {}, {mGradientControl});
    mGradientParameterView = new PWXGradientParameterView;
    mGradientParameterView->setController(this);
    mGradientParameterView->setMinimumSize(200, 120);
    addRow(view, {}, {mGradientParameterView});
    mRelativeAngleCheckbox = checkBox(tr("Turn with object"), this, QStringLiteral("gradientRelAngleAction:"));
    // Short for the sidebar; the whole name is the tool tip.
    mRelativeAngleCheckbox->setToolTip(tr("The angle turns with the object"));
    addRow(view, {}, {mRelativeAngleCheckbox});

    // Drags in either view are one undo step of the style's undo manager.
    pf::Weak<pf::Object> weakSelf = shared_from_this();
    auto undoSource = [weakSelf]() -> pf::UndoManager* {
        auto self = std::dynamic_pointer_cast<VNQLStyleEditSub_PWGradientFill>(weakSelf.lock());
        return self ? self->dataSourceUndoManager() : nullptr;
    };
    mGradientControl->setUndoManagerSource(undoSource);
    mGradientParameterView->setUndoManagerSource(undoSource);
    // The control reports each change of its stops to this pane.
    mGradientControl->setTarget(this);
    mGradientControl->setAction(QStringLiteral("gradientStopsAction:"));
    addLockControl(mRelativeAngleCheckbox);
    addLockControl(mGradientTypeSegmentedControl);
    addLockControl(mParameterWarningButton);
    finish(view);
    setView(view);
}

// --- Values out (straight to the fill) --------------------------------------------------------

void VNQLStyleEditSub_PWGradientFill::gradientTypeAction(const QVariant& sender)
{
    const int type = selectedTag(sender);
    if (PWGradientFill* fill = gradientFill(); fill && type >= 0)
        fill->setGradientType(type);
}

void VNQLStyleEditSub_PWGradientFill::gradientStopsAction(const QVariant&)
{
    if (PWGradientFill* fill = gradientFill(); fill && mGradientControl)
        fill->setGradient(mGradientControl->gradient());
}

void VNQLStyleEditSub_PWGradientFill::gradientRelAngleAction(const QVariant& sender)
{
    auto* box = qobject_cast<pf::Button*>(pf::Control::fromSender(sender));
    const bool on = box ? box->state() == pf::ControlState::On : pf::variantToBool(sender);
    if (PWGradientFill* fill = gradientFill())
        fill->setAngleIsRelative(on);
}

void VNQLStyleEditSub_PWGradientFill::gradientWarningAction(const QVariant&)
{
    pf::Application::beep();
    pf::Ref<pf::Alert> alert = pf::Alert::legacy(
        tr("Gradient Color Warning"), tr("OK"), {}, {},
        tr("Gradients containing transparency cannot be reproduced when exported to PDF or printed.\n\nThis is a "
           "limitation of the PDF format; other formats are not affected. If you intend to export to PDF or print, "
           "consider an alternative to transparency to achieve the gradient effect desired."));
    alert->runModal();
}

// --- Values in --------------------------------------------------------------------------------

void VNQLStyleEditSub_PWGradientFill::setGradient(const QVariant& value)
{
    if (mGradientControl)
        mGradientControl->setGradient(pf::objectCast<pf::Gradient>(value));
    if (mGradientParameterView)
        mGradientParameterView->updateFromController();
    conditionallyEnableWarningButton();
}

void VNQLStyleEditSub_PWGradientFill::setGradientType(const QVariant& value)
{
    if (mGradientTypeSegmentedControl)
        mGradientTypeSegmentedControl->setSelectedSegment(value.toInt());
    if (mGradientParameterView)
        mGradientParameterView->updateFromController();
}

void VNQLStyleEditSub_PWGradientFill::setGradientAngle(const QVariant&)
{
    if (mGradientParameterView)
        mGradientParameterView->updateFromController();
}

void VNQLStyleEditSub_PWGradientFill::setStartingLocation(const QVariant& value) { setGradientAngle(value); }
void VNQLStyleEditSub_PWGradientFill::setEndingLocation(const QVariant& value) { setGradientAngle(value); }
void VNQLStyleEditSub_PWGradientFill::setStartingRadius(const QVariant& value) { setGradientAngle(value); }
void VNQLStyleEditSub_PWGradientFill::setEndingRadius(const QVariant& value) { setGradientAngle(value); }
void VNQLStyleEditSub_PWGradientFill::setRadialParametersAreRelative(const QVariant& value) { setGradientAngle(value); }

void VNQLStyleEditSub_PWGradientFill::setAngleIsRelative(const QVariant& value)
{
    setCheckbox(mRelativeAngleCheckbox, value);
}

bool VNQLStyleEditSub_PWGradientFill::gradientColoursHaveTransparency(const pf::Gradient* gradient)
{
    if (!gradient)
        return false;
    for (int i = 0; i < gradient->numberOfColorStops(); ++i)
        if (gradient->colorStopAt(i).color.alphaComponent() < 1.0)
            return true;
    return false;
}

void VNQLStyleEditSub_PWGradientFill::conditionallyEnableWarningButton()
{
    if (!mParameterWarningButton || !mGradientControl)
        return;
    const bool show = !PWGradientFill::pdfTransparencyWorkaround()
                      && gradientColoursHaveTransparency(mGradientControl->gradient().get());
    mParameterWarningButton->setHidden(!show);
    if (show)
        mParameterWarningButton->setEnabled(true);
}

void VNQLStyleEditSub_PWGradientFill::setStatesForLock(bool isLocked, bool isEnabled)
{
    const bool e = isEnabled && !isLocked;
    enableLockControls(e);
    if (mGradientParameterView)
        mGradientParameterView->setEnabled(e);
    if (mGradientControl)
        mGradientControl->setEnabled(e);
}
