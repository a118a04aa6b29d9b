#include "inspectors/VNQL_PWRegularPolygonPathController.h"

#include "app/VNQLHelpTrampoline.h"
#include "inspectors/VNQLPaneControls.h"

#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

#include <cmath>
#include <QCoreApplication>

using namespace VNQLPaneControls;

PF_DEFINE_CLASS(VNQL_PWRegularPolygonPathController, VNQLShapePane)
{
    b.method("regularPolygonHelpAction:", &VNQL_PWRegularPolygonPathController::regularPolygonHelpAction);
    using C = VNQL_PWRegularPolygonPathController;
    b.method("sidesAction:", &C::sidesAction);
    b.method("radiusAction:", &C::radiusAction);
    b.method("innerRadiusAction:", &C::innerRadiusAction);
    b.method("tipAction:", &C::tipAction);
    b.method("valleyAction:", &C::valleyAction);
    b.method("starAction:", &C::starAction);
    b.method("setNumberOfSides:", &C::setNumberOfSides);
    b.method("setRadius:", &C::setRadius);
    b.method("setInnerRadius:", &C::setInnerRadius);
    b.method("setTipSpread:", &C::setTipSpread);
    b.method("setValleySpread:", &C::setValleySpread);
    b.method("setIsStar:", &C::setIsStar);
    b.method("setMixedValueForNumberOfSides", &C::setMixedValueForNumberOfSides);
    b.method("setMixedValueForRadius", &C::setMixedValueForRadius);
    b.method("setMixedValueForInnerRadius", &C::setMixedValueForInnerRadius);
    b.method("setMixedValueForTipSpread", &C::setMixedValueForTipSpread);
    b.method("setMixedValueForValleySpread", &C::setMixedValueForValleySpread);
    b.method("setMixedValueForIsStar", &C::setMixedValueForIsStar);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQL_PWRegularPolygonPathController", text);
}
} // namespace

VNQL_PWRegularPolygonPathController::VNQL_PWRegularPolygonPathController(const QString& nibName)
    : VNQLShapePane(nibName.isEmpty() ? QStringLiteral("VNQL_PWRegularPolygonPathController") : nibName)
{
}

const pf::Class& VNQL_PWRegularPolygonPathController::managedObjectClass() const
{
    return PWRegularPolygonPath::staticClass();
}

QStringList VNQL_PWRegularPolygonPathController::keyPathsOfInterest() const
{
    return {"numberOfSides", "radius", "innerRadius", "tipSpread", "valleySpread", "isStar", "locked"};
}

void VNQL_PWRegularPolygonPathController::loadView()
{
    pf::View* view = makePaneView();
    mStarSegments = new pf::SegmentedControl;
    mStarSegments->setSegmentCount(2);
    mStarSegments->setLabel(tr("Star"), 0);
    mStarSegments->setLabel(tr("Polygon"), 1);
    mStarSegments->setTarget(this);
    mStarSegments->setAction(QStringLiteral("starAction:"));
    mStarSegments->setFixedHeight(22);
    mStarSegments->sizeToFit();
    // The layout would squeeze it below its labels' width.
    mStarSegments->setFixedWidth(int(std::ceil(mStarSegments->frame().width())));
    // Under its caption: beside it, it would run under the help button.
    addWrappedRow(view, tr("Kind:"), {mStarSegments});
    mSidesTextField = numberField(this, "sidesAction:", decimalFormatter(0));
    mSidesStepper = stepper(this, "sidesAction:", 1.0, 3.0, 100.0);
    addRow(view, tr("Sides:"), {mSidesTextField, mSidesStepper});
    mRadiusTextField = numberField(this, "radiusAction:");
    mRadiusStepper = stepper(this, "radiusAction:", 1.0, 0.0);
    addLengthField(mRadiusTextField, QStringLiteral("radius"));
    addRow(view, tr("Radius:"), {mRadiusTextField, mRadiusStepper});
    mInnerRadiusTextField = numberField(this, "innerRadiusAction:", decimalFormatter(2));
    mInnerRadiusStepper = stepper(this, "innerRadiusAction:", 0.05, 0.0, 1.0);
    addRow(view, tr("Inner radius:"), {mInnerRadiusTextField, mInnerRadiusStepper});
    mTipTextField = numberField(this, "tipAction:", decimalFormatter(2));
    mTipStepper = stepper(this, "tipAction:", 0.05, 0.0, 1.0);
    addRow(view, tr("Tip spread:"), {mTipTextField, mTipStepper});
    mValleyTextField = numberField(this, "valleyAction:", decimalFormatter(2));
    mValleyStepper = stepper(this, "valleyAction:", 0.05, 0.0, 1.0);
    addRow(view, tr("Valley spread:"), {mValleyTextField, mValleyStepper});
    m_lockControls = {mRadiusTextField.data(), mRadiusStepper.data(), mTipTextField.data(), mTipStepper.data(),
                      mSidesTextField.data(), mSidesStepper.data(), mStarSegments.data()};
    VNQLPaneControls::addHelpButton(view, this, QStringLiteral("regularPolygonHelpAction:"));
    finish(view);
    setView(view);
}

void VNQL_PWRegularPolygonPathController::enableControls(bool enabled)
{
    VNQLShapePane::enableControls(enabled);
    enableStarControls();
}

void VNQL_PWRegularPolygonPathController::enableStarControls()
{
    const bool enabled = controlsEnabled() && m_star;
    for (QWidget* control : {static_cast<QWidget*>(mInnerRadiusTextField.data()), static_cast<QWidget*>(mInnerRadiusStepper.data()),
                             static_cast<QWidget*>(mValleyTextField.data()), static_cast<QWidget*>(mValleyStepper.data())})
        if (control)
            control->setEnabled(enabled);
}

void VNQL_PWRegularPolygonPathController::sidesAction(const QVariant& sender) { write(sender, "numberOfSides"); }
void VNQL_PWRegularPolygonPathController::radiusAction(const QVariant& sender) { write(sender, "radius"); }
void VNQL_PWRegularPolygonPathController::innerRadiusAction(const QVariant& sender) { write(sender, "innerRadius"); }
void VNQL_PWRegularPolygonPathController::tipAction(const QVariant& sender) { write(sender, "tipSpread"); }
void VNQL_PWRegularPolygonPathController::valleyAction(const QVariant& sender) { write(sender, "valleySpread"); }

void VNQL_PWRegularPolygonPathController::starAction(const QVariant& sender)
{
    pf::Control* control = pf::Control::fromSender(sender);
    if (auto* segments = qobject_cast<pf::SegmentedControl*>(control))
        setCommonValue(segments->selectedSegment() == 0 ? 1 : 0, QStringLiteral("isStar"));
    else if (control)
        setCommonValue(control->objectValue(), QStringLiteral("isStar"));
}

void VNQL_PWRegularPolygonPathController::setNumberOfSides(const QVariant& value)
{
    showNumber(mSidesTextField, mSidesStepper, pf::isNumber(value) ? QVariant(value.toInt()) : value);
}
void VNQL_PWRegularPolygonPathController::setRadius(const QVariant& value) { showNumber(mRadiusTextField, mRadiusStepper, value); }
void VNQL_PWRegularPolygonPathController::setInnerRadius(const QVariant& value)
{
    showNumber(mInnerRadiusTextField, mInnerRadiusStepper, value);
}
void VNQL_PWRegularPolygonPathController::setTipSpread(const QVariant& value) { showNumber(mTipTextField, mTipStepper, value); }
void VNQL_PWRegularPolygonPathController::setValleySpread(const QVariant& value)
{
    showNumber(mValleyTextField, mValleyStepper, value);
}

void VNQL_PWRegularPolygonPathController::setIsStar(const QVariant& value)
{
    m_star = pf::variantToBool(value);
    if (mStarSegments)
        mStarSegments->setSelectedSegment(m_star ? 0 : 1);
    enableStarControls();
}

void VNQL_PWRegularPolygonPathController::setMixedValueForNumberOfSides() { showNumber(mSidesTextField, nullptr, {}); }
void VNQL_PWRegularPolygonPathController::setMixedValueForRadius() { showNumber(mRadiusTextField, nullptr, {}); }
void VNQL_PWRegularPolygonPathController::setMixedValueForInnerRadius() { showNumber(mInnerRadiusTextField, nullptr, {}); }
void VNQL_PWRegularPolygonPathController::setMixedValueForTipSpread() { showNumber(mTipTextField, nullptr, {}); }
void VNQL_PWRegularPolygonPathController::setMixedValueForValleySpread() { showNumber(mValleyTextField, nullptr, {}); }

void VNQL_PWRegularPolygonPathController::setMixedValueForIsStar()
{
    m_star = true;
    if (mStarSegments)
        mStarSegments->setSelectedSegment(-1);
    enableStarControls();
}

void VNQL_PWRegularPolygonPathController::regularPolygonHelpAction(const QVariant&)
{
    VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(QStringLiteral("star"));
}
