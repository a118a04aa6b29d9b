#include "styleeditor/VNQLStyleEditSub_PWRoughStroke.h"

#include "frameworks/penwork/renderers/PWRoughStroke.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Variant.h"

#include <QCoreApplication>

#include <cmath>
#include <numbers>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWRoughStroke, VNQLStyleEditSub_PWStroke)
{
    using C = VNQLStyleEditSub_PWRoughStroke;
    b.method("roughnessAction:", &C::roughnessAction);
    b.method("setRoughness:", &C::setRoughness);

}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWRoughStroke", text);
}
} // namespace

VNQLStyleEditSub_PWRoughStroke::VNQLStyleEditSub_PWRoughStroke(const QString& nibName)
    : VNQLStyleEditSub_PWStroke(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWRoughStroke") : nibName)
{
}

const pf::Class& VNQLStyleEditSub_PWRoughStroke::managedObjectClass() const
{
    return PWRoughStroke::staticClass();
}

QStringList VNQLStyleEditSub_PWRoughStroke::keyPathsOfInterest() const
{
    return VNQLStyleEditSub_PWStroke::keyPathsOfInterest() + QStringList{"roughness"};
}

void VNQLStyleEditSub_PWRoughStroke::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makeComponentView();
    buildStrokeRows(view);
    mRoughnessTextField = numberField(this, QStringLiteral("roughnessAction:"));
    mRoughnessStepper = stepper(this, QStringLiteral("roughnessAction:"), 0.1, 0.0, 100.0);
    addRow(view, tr("Roughness:"), {mRoughnessTextField, mRoughnessStepper});
    finish(view);
    setView(view);
}

void VNQLStyleEditSub_PWRoughStroke::roughnessAction(const QVariant& sender) { write(sender, QStringLiteral("roughness")); }

void VNQLStyleEditSub_PWRoughStroke::setRoughness(const QVariant& value) { VNQLPaneControls::showNumber(mRoughnessTextField, mRoughnessStepper, value); }

void VNQLStyleEditSub_PWRoughStroke::setStatesForLock(bool isLocked, bool isEnabled)
{
    VNQLStyleEditSub_PWStroke::setStatesForLock(isLocked, isEnabled);
    const bool e = isEnabled && !isLocked;
    if (mRoughnessTextField)
        mRoughnessTextField->setEnabled(e);
    if (mRoughnessStepper)
        mRoughnessStepper->setEnabled(e);
}


