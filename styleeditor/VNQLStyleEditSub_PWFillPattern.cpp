#include "styleeditor/VNQLStyleEditSub_PWFillPattern.h"

#include "frameworks/penwork/renderers/PWFillPattern.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Variant.h"

#include <QCoreApplication>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWFillPattern, VNQLStyleEditSub_PWPathDecorator)
{
    using C = VNQLStyleEditSub_PWFillPattern;
    b.method("angleAction:", &C::angleAction);
    b.method("patternOffsetYAction:", &C::patternOffsetYAction);
    b.method("motifAngleAction:", &C::motifAngleAction);
    b.method("motifAngleRandomnessAction:", &C::motifAngleRandomnessAction);
    b.method("noClippingAction:", &C::noClippingAction);
    b.method("relativeAngleAction:", &C::relativeAngleAction);
    b.method("autoTileAction:", &C::autoTileAction);
    b.method("setAngleInDegrees:", &C::setAngleInDegrees);
    b.method("setPatternAlternateYOffset:", &C::setPatternAlternateYOffset);
    b.method("setMotifAngleInDegrees:", &C::setMotifAngleInDegrees);
    b.method("setMotifAngleRandomness:", &C::setMotifAngleRandomness);
    b.method("setDrawingOfClippedElementsSupressed:", &C::setDrawingOfClippedElementsSupressed);
    b.method("setAngleIsRelativeToObject:", &C::setAngleIsRelativeToObject);
    b.method("setAutoTile:", &C::setAutoTile);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWFillPattern", text);
}
} // namespace

VNQLStyleEditSub_PWFillPattern::VNQLStyleEditSub_PWFillPattern(const QString& nibName)
    : VNQLStyleEditSub_PWPathDecorator(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWFillPattern") : nibName)
{
}

const pf::Class& VNQLStyleEditSub_PWFillPattern::managedObjectClass() const
{
    return PWFillPattern::staticClass();
}

QStringList VNQLStyleEditSub_PWFillPattern::keyPathsOfInterest() const
{
    return {"enabled",       "image",           "interval",        "angleInDegrees",
            "motifAngleInDegrees", "motifAngleRandomness", "angleIsRelativeToObject",
            "drawingOfClippedElementsSupressed", "scale", "scaleRandomness", "patternAlternateYOffset",
            "wobblyness",    "autoTile"};
}

void VNQLStyleEditSub_PWFillPattern::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makeComponentView();
    buildImageRows(view);
    mAutoTileCheckbox = checkBox(tr("Tile edge to edge"), this, QStringLiteral("autoTileAction:"));
    addRow(view, {}, {mAutoTileCheckbox});
    numberRow(view, tr("Grid angle:"), "angleAction:", mAngleTextField, mAngleStepper, 5, -360, 360);
    // Short captions for the sidebar; the whole names are the tool tips.
    setCaptionToolTip(view,
                      numberRow(view, tr("Stagger:"), "patternOffsetYAction:", mAlternateOffsetTextField,
                                mAlternateOffsetStepper, 0.05, 0, 1),
                      tr("Column shift"));
    numberRow(view, tr("Motif angle:"), "motifAngleAction:", mMotifAngleTextField, mMotifAngleStepper, 5, -360, 360);
    setCaptionToolTip(view,
                      numberRow(view, tr("Angle ±:"), "motifAngleRandomnessAction:", mMotifAngleRandomnessTextField,
                                mMotifAngleRandomnessStepper, 0.05, 0, 1),
                      tr("Angle varies by"));
    mRelativeAngleCheckbox = checkBox(tr("Turn with object"), this, QStringLiteral("relativeAngleAction:"));
    // Short for the sidebar; the whole name is the tool tip.
    mRelativeAngleCheckbox->setToolTip(tr("The grid turns with the object"));
    addRow(view, {}, {mRelativeAngleCheckbox});
    mNoClippingCheckbox = checkBox(tr("Leave out cut-off motifs"), this, QStringLiteral("noClippingAction:"));
    addRow(view, {}, {mNoClippingCheckbox});
    for (QWidget* control : std::initializer_list<QWidget*>{mAutoTileCheckbox, mRelativeAngleCheckbox, mNoClippingCheckbox})
        addLockControl(control);
    finish(view);
    setView(view);
}

bool VNQLStyleEditSub_PWFillPattern::autoTiles() const
{
    auto* pattern = dynamic_cast<PWFillPattern*>(representedComponent().get());
    return pattern && pattern->autoTile();
}

void VNQLStyleEditSub_PWFillPattern::angleAction(const QVariant& sender) { write(sender, QStringLiteral("angleInDegrees")); }
void VNQLStyleEditSub_PWFillPattern::patternOffsetYAction(const QVariant& sender) { write(sender, QStringLiteral("patternAlternateYOffset")); }
void VNQLStyleEditSub_PWFillPattern::motifAngleAction(const QVariant& sender) { write(sender, QStringLiteral("motifAngleInDegrees")); }
void VNQLStyleEditSub_PWFillPattern::motifAngleRandomnessAction(const QVariant& sender) { write(sender, QStringLiteral("motifAngleRandomness")); }
void VNQLStyleEditSub_PWFillPattern::noClippingAction(const QVariant& sender) { write(sender, QStringLiteral("drawingOfClippedElementsSupressed")); }
void VNQLStyleEditSub_PWFillPattern::relativeAngleAction(const QVariant& sender) { write(sender, QStringLiteral("angleIsRelativeToObject")); }
void VNQLStyleEditSub_PWFillPattern::autoTileAction(const QVariant& sender) { write(sender, QStringLiteral("autoTile")); }

void VNQLStyleEditSub_PWFillPattern::setAngleInDegrees(const QVariant& value) { VNQLPaneControls::showNumber(mAngleTextField, mAngleStepper, value); }
void VNQLStyleEditSub_PWFillPattern::setPatternAlternateYOffset(const QVariant& value) { VNQLPaneControls::showNumber(mAlternateOffsetTextField, mAlternateOffsetStepper, value); }
void VNQLStyleEditSub_PWFillPattern::setMotifAngleInDegrees(const QVariant& value) { VNQLPaneControls::showNumber(mMotifAngleTextField, mMotifAngleStepper, value); }
void VNQLStyleEditSub_PWFillPattern::setMotifAngleRandomness(const QVariant& value) { VNQLPaneControls::showNumber(mMotifAngleRandomnessTextField, mMotifAngleRandomnessStepper, value); }
void VNQLStyleEditSub_PWFillPattern::setDrawingOfClippedElementsSupressed(const QVariant& value) { setCheckbox(mNoClippingCheckbox, value); }
void VNQLStyleEditSub_PWFillPattern::setAngleIsRelativeToObject(const QVariant& value) { setCheckbox(mRelativeAngleCheckbox, value); }

void VNQLStyleEditSub_PWFillPattern::setAutoTile(const QVariant& value)
{
    setCheckbox(mAutoTileCheckbox, value);
    // Auto-tiling takes the spacing from the image.
    const bool spacing = !pf::variantToBool(value) && !locked() && enabled();
    setControlEnabled(mSpacingTextField, spacing);
    setControlEnabled(mSpacingStepper, spacing);
}

void VNQLStyleEditSub_PWFillPattern::setStatesForLock(bool isLocked, bool isEnabled)
{
    VNQLStyleEditSub_PWPathDecorator::setStatesForLock(isLocked, isEnabled);
    const bool spacing = isEnabled && !isLocked && !autoTiles();
    setControlEnabled(mSpacingTextField, spacing);
    setControlEnabled(mSpacingStepper, spacing);
}
