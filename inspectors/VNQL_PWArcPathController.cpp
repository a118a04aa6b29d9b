#include "inspectors/VNQL_PWArcPathController.h"

#include "app/VNQLHelpTrampoline.h"
#include "inspectors/VNQLPaneControls.h"

#include "frameworks/penwork/drawables/PWArcPath.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

#include <QCoreApplication>

using namespace VNQLPaneControls;

PF_DEFINE_CLASS(VNQL_PWArcPathController, VNQLShapePane)
{
    b.method("arcPathHelpAction:", &VNQL_PWArcPathController::arcPathHelpAction);
    using C = VNQL_PWArcPathController;
    b.method("radiusAction:", &C::radiusAction);
    b.method("startAngleAction:", &C::startAngleAction);
    b.method("endAngleAction:", &C::endAngleAction);
    b.method("includedAngleAction:", &C::includedAngleAction);
    b.method("setRadius:", &C::setRadius);
    b.method("setSubtendedAngle:", &C::setSubtendedAngle);
    b.method("setStartAngle:", &C::setStartAngle);
    b.method("setEndAngle:", &C::setEndAngle);
    b.method("setMixedValueForRadius", &C::setMixedValueForRadius);
    b.method("setMixedValueForSubtendedAngle", &C::setMixedValueForSubtendedAngle);
    b.method("setMixedValueForStartAngle", &C::setMixedValueForStartAngle);
    b.method("setMixedValueForEndAngle", &C::setMixedValueForEndAngle);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQL_PWArcPathController", text);
}
} // namespace

VNQL_PWArcPathController::VNQL_PWArcPathController(const QString& nibName)
    : VNQLShapePane(nibName.isEmpty() ? QStringLiteral("VNQL_PWArcPathController") : nibName)
{
}

const pf::Class& VNQL_PWArcPathController::managedObjectClass() const
{
    return PWArcPath::staticClass();
}

QStringList VNQL_PWArcPathController::keyPathsOfInterest() const
{
    return {"radius", "startAngle", "endAngle", "subtendedAngle", "locked"};
}

void VNQL_PWArcPathController::loadView()
{
    pf::View* view = makePaneView();
    mRadiusTextField = numberField(this, "radiusAction:");
    mRadiusStepper = stepper(this, "radiusAction:", 1.0, 0.0);
    addLengthField(mRadiusTextField, QStringLiteral("radius"));
    addRow(view, tr("Radius:"), {mRadiusTextField, mRadiusStepper});
    mIncludedAngleTextField = numberField(this, "includedAngleAction:", decimalFormatter(2));
    mIncludedAngleStepper = stepper(this, "includedAngleAction:", 1.0, 0.0, 360.0);
    // Short for the sidebar, beside the help button; the whole name is the tool tip.
    VNQLPaneControls::setCaptionToolTip(
        view, addRow(view, tr("Sweep:"), {mIncludedAngleTextField, mIncludedAngleStepper}), tr("Included angle"));
    mAnglesTextLabel = label();
    fitWidthTo(mAnglesTextLabel, QStringLiteral("888.88\u00B0 - 888.88\u00B0"));
    // The start and end angles read as one line under their caption: beside the captions'
    // column it would not fit the sidebar's narrowest width.
    addRow(view, tr("Angles:"), {});
    mAnglesTextLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    addRow(view, {}, {mAnglesTextLabel});
    m_lockControls = {mRadiusTextField.data(), mRadiusStepper.data(), mAnglesTextLabel.data(), mIncludedAngleTextField.data(),
                      mIncludedAngleStepper.data()};
    VNQLPaneControls::addHelpButton(view, this, QStringLiteral("arcPathHelpAction:"));
    finish(view);
    setView(view);
}

void VNQL_PWArcPathController::radiusAction(const QVariant& sender) { write(sender, "radius"); }
void VNQL_PWArcPathController::startAngleAction(const QVariant& sender) { write(sender, "startAngle"); }
void VNQL_PWArcPathController::endAngleAction(const QVariant& sender) { write(sender, "endAngle"); }
void VNQL_PWArcPathController::includedAngleAction(const QVariant& sender) { write(sender, "subtendedAngle"); }

void VNQL_PWArcPathController::setRadius(const QVariant& value) { showNumber(mRadiusTextField, mRadiusStepper, value); }
void VNQL_PWArcPathController::setSubtendedAngle(const QVariant& value)
{
    showNumber(mIncludedAngleTextField, mIncludedAngleStepper, value);
}
void VNQL_PWArcPathController::setMixedValueForRadius() { showNumber(mRadiusTextField, nullptr, {}); }
void VNQL_PWArcPathController::setMixedValueForSubtendedAngle() { showNumber(mIncludedAngleTextField, nullptr, {}); }

void VNQL_PWArcPathController::setStartAngle(const QVariant&)
{
    m_startMixed = false;
    rebuildAnglesLine();
}

void VNQL_PWArcPathController::setEndAngle(const QVariant&)
{
    m_endMixed = false;
    rebuildAnglesLine();
}

void VNQL_PWArcPathController::setMixedValueForStartAngle()
{
    m_startMixed = true;
    rebuildAnglesLine();
}

void VNQL_PWArcPathController::setMixedValueForEndAngle()
{
    m_endMixed = true;
    rebuildAnglesLine();
}

void VNQL_PWArcPathController::rebuildAnglesLine()
{
    if (!mAnglesTextLabel)
        return;
    const QList<pf::Ref<pf::Object>> objects = hasContent() ? content() : QList<pf::Ref<pf::Object>>();
    auto arc = objects.isEmpty() ? nullptr : std::dynamic_pointer_cast<PWArcPath>(objects.last());
    if (!arc || m_startMixed || m_endMixed) {
        mAnglesTextLabel->setStringValue(QString());
        return;
    }
    mAnglesTextLabel->setStringValue(QString::asprintf("%.2f° - %.2f°", arc->startAngle(), arc->endAngle()));
}

QString VNQL_PWArcPathController::anglesLine() const
{
    return mAnglesTextLabel ? mAnglesTextLabel->stringValue() : QString();
}

void VNQL_PWArcPathController::arcPathHelpAction(const QVariant&)
{
    VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(QStringLiteral("arc"));
}
