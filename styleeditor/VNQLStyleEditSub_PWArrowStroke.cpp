#include "styleeditor/VNQLStyleEditSub_PWArrowStroke.h"

#include "frameworks/penwork/renderers/PWArrowStroke.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Variant.h"

#include <QCoreApplication>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWArrowStroke, VNQLStyleEditSub_PWStroke)
{
    using C = VNQLStyleEditSub_PWArrowStroke;
    b.method("arrowHeadKindAction:", &C::arrowHeadKindAction);
    b.method("arrowTailKindAction:", &C::arrowTailKindAction);
    b.method("arrowWidthAction:", &C::arrowWidthAction);
    b.method("arrowLengthAction:", &C::arrowLengthAction);
    b.method("arrowDimensionOptionsAction:", &C::arrowDimensionOptionsAction);
    b.method("arrowOutlineColourAction:", &C::arrowOutlineColourAction);
    b.method("arrowOutlineWidthAction:", &C::arrowOutlineWidthAction);
    b.method("dimensionKindAction:", &C::dimensionKindAction);
    b.method("toleranceEnableAction:", &C::toleranceEnableAction);
    b.method("setArrowHeadAtStart:", &C::setArrowHeadAtStart);
    b.method("setArrowHeadAtEnd:", &C::setArrowHeadAtEnd);
    b.method("setOutlineColour:", &C::setOutlineColour);
    b.method("setOutlineWidth:", &C::setOutlineWidth);
    b.method("setDimensioningLineOptions:", &C::setDimensioningLineOptions);
    b.method("setDimensionTextKind:", &C::setDimensionTextKind);
    b.method("setArrowHeadWidth:", &C::setArrowHeadWidth);
    b.method("setArrowHeadLength:", &C::setArrowHeadLength);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWArrowStroke", text);
}

QList<std::pair<QString, int>> headKinds()
{
    return {{tr("None"), PWArrowStroke::HeadNone},       {tr("Arrow"), PWArrowStroke::HeadArrow},
            {tr("Open Arrow"), PWArrowStroke::HeadOpenArrow}, {tr("Circle"), PWArrowStroke::HeadCircle},
            {tr("Square"), PWArrowStroke::HeadSquare},   {tr("Bar"), PWArrowStroke::HeadBar},
            {tr("Diamond"), PWArrowStroke::HeadDiamond}};
}
} // namespace

VNQLStyleEditSub_PWArrowStroke::VNQLStyleEditSub_PWArrowStroke(const QString& nibName)
    : VNQLStyleEditSub_PWStroke(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWArrowStroke") : nibName)
{
}

const pf::Class& VNQLStyleEditSub_PWArrowStroke::managedObjectClass() const
{
    return PWArrowStroke::staticClass();
}

QStringList VNQLStyleEditSub_PWArrowStroke::keyPathsOfInterest() const
{
    return VNQLStyleEditSub_PWStroke::keyPathsOfInterest()
           + QStringList{"arrowHeadAtStart", "arrowHeadAtEnd", "outlineColour", "outlineWidth", "dimensioningLineOptions",
                         "dimensionTextKind", "arrowHeadWidth", "arrowHeadLength"};
}

PWArrowStroke* VNQLStyleEditSub_PWArrowStroke::arrow() const
{
    return dynamic_cast<PWArrowStroke*>(representedComponent().get());
}

void VNQLStyleEditSub_PWArrowStroke::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makeComponentView();
    mArrowView = new PWXArrowView;
    mArrowView->setMinimumSize(180, 60);
    mArrowView->setDelegate(this);
    addRow(view, {}, {mArrowView});
    mArrowHeadKindPopUpButton = taggedPopUp(this, QStringLiteral("arrowHeadKindAction:"), headKinds());
    mArrowTailKindPopUpButton = taggedPopUp(this, QStringLiteral("arrowTailKindAction:"), headKinds());
    addRow(view, tr("Start:"), {mArrowHeadKindPopUpButton});
    addRow(view, tr("End:"), {mArrowTailKindPopUpButton});
    buildStrokeRows(view);
    mArrowOutlineColourWell = new pf::ColorWell;
    mArrowOutlineColourWell->setFixedSize(44, 22);
    mArrowOutlineColourWell->setTarget(this);
    mArrowOutlineColourWell->setAction(QStringLiteral("arrowOutlineColourAction:"));
    mArrowOutlineWidthTextField = numberField(this, QStringLiteral("arrowOutlineWidthAction:"));
    mArrowOutlineWidthStepper = stepper(this, QStringLiteral("arrowOutlineWidthAction:"), 0.5, 0.0, PWArrowStroke::kMaxOutlineWidth);
    fitFieldToRange(mArrowOutlineWidthTextField, 0.0, PWArrowStroke::kMaxOutlineWidth, 2, false);
    addRow(view, tr("Outline:"), {mArrowOutlineColourWell, mArrowOutlineWidthTextField, mArrowOutlineWidthStepper});
    mArrowDimensionOptionsPopUpButton =
        taggedPopUp(this, QStringLiteral("arrowDimensionOptionsAction:"),
                    {{tr("No Dimension"), PWArrowStroke::DimensionNone},
                     {tr("Text Above"), PWArrowStroke::DimensionTextAbove},
                     {tr("Text Inline"), PWArrowStroke::DimensionTextInline},
                     {tr("Text Below"), PWArrowStroke::DimensionTextBelow}});
    mDimensionTextKindPopUpButton = taggedPopUp(this, QStringLiteral("dimensionKindAction:"),
                                                {{tr("With Units"), PWArrowStroke::DimensionTextWithUnits},
                                                 {tr("Number Only"), PWArrowStroke::DimensionTextNumberOnly}});
    // Its longest choice is too wide for the column beside the captions.
    addWrappedRow(view, tr("Dimension:"), {mArrowDimensionOptionsPopUpButton});
    addRow(view, tr("Text:"), {mDimensionTextKindPopUpButton});
    mToleranceCheckbox = checkBox(tr("Tolerance"), this, QStringLiteral("toleranceEnableAction:"));
    addRow(view, {}, {mToleranceCheckbox});
    for (QWidget* control : std::initializer_list<QWidget*>{mArrowHeadKindPopUpButton, mArrowTailKindPopUpButton,
                                                           mDimensionTextKindPopUpButton, mArrowDimensionOptionsPopUpButton})
        addLockControl(control);
    finish(view);
    setView(view);
}

void VNQLStyleEditSub_PWArrowStroke::arrowHeadKindAction(const QVariant& sender)
{
    if (PWArrowStroke* a = arrow(); a && selectedTag(sender) >= 0)
        a->setArrowHeadAtStart(selectedTag(sender));
}

void VNQLStyleEditSub_PWArrowStroke::arrowTailKindAction(const QVariant& sender)
{
    if (PWArrowStroke* a = arrow(); a && selectedTag(sender) >= 0)
        a->setArrowHeadAtEnd(selectedTag(sender));
}

void VNQLStyleEditSub_PWArrowStroke::arrowWidthAction(const QVariant& sender)
{
    if (PWArrowStroke* a = arrow(); a && pf::Control::fromSender(sender))
        a->setArrowHeadWidth(pf::Control::fromSender(sender)->doubleValue());
}

void VNQLStyleEditSub_PWArrowStroke::arrowLengthAction(const QVariant& sender)
{
    if (PWArrowStroke* a = arrow(); a && pf::Control::fromSender(sender))
        a->setArrowHeadLength(pf::Control::fromSender(sender)->doubleValue());
}

void VNQLStyleEditSub_PWArrowStroke::arrowDimensionOptionsAction(const QVariant& sender)
{
    if (PWArrowStroke* a = arrow(); a && selectedTag(sender) >= 0)
        a->setDimensioningLineOptions(selectedTag(sender));
}

void VNQLStyleEditSub_PWArrowStroke::arrowOutlineColourAction(const QVariant& sender)
{
    if (auto* well = qobject_cast<pf::ColorWell*>(pf::Control::fromSender(sender)))
        if (PWArrowStroke* a = arrow())
            a->setOutlineColour(well->color());
}

void VNQLStyleEditSub_PWArrowStroke::arrowOutlineWidthAction(const QVariant& sender)
{
    if (PWArrowStroke* a = arrow(); a && pf::Control::fromSender(sender))
        a->setOutlineWidth(pf::Control::fromSender(sender)->doubleValue());
}

void VNQLStyleEditSub_PWArrowStroke::dimensionKindAction(const QVariant& sender)
{
    if (PWArrowStroke* a = arrow(); a && selectedTag(sender) >= 0)
        a->setDimensionTextKind(selectedTag(sender));
}

void VNQLStyleEditSub_PWArrowStroke::toleranceEnableAction(const QVariant& sender)
{
    PWArrowStroke* a = arrow();
    if (auto* box = qobject_cast<pf::Button*>(pf::Control::fromSender(sender)); a && box)
        a->setDimensionToleranceOption(box->state() == pf::ControlState::On ? 1 : 0);
}

void VNQLStyleEditSub_PWArrowStroke::arrowViewSetArrowHeadSize(PWXArrowView&, QSizeF size)
{
    if (PWArrowStroke* a = arrow()) {
        a->setArrowHeadLength(size.width());
        a->setArrowHeadWidth(size.height());
    }
}

void VNQLStyleEditSub_PWArrowStroke::setArrowHeadAtStart(const QVariant& value) { selectTag(mArrowHeadKindPopUpButton, value.toInt()); }
void VNQLStyleEditSub_PWArrowStroke::setArrowHeadAtEnd(const QVariant& value) { selectTag(mArrowTailKindPopUpButton, value.toInt()); }
void VNQLStyleEditSub_PWArrowStroke::setDimensioningLineOptions(const QVariant& value)
{
    selectTag(mArrowDimensionOptionsPopUpButton, value.toInt());
}
void VNQLStyleEditSub_PWArrowStroke::setDimensionTextKind(const QVariant& value)
{
    selectTag(mDimensionTextKindPopUpButton, value.toInt());
}

void VNQLStyleEditSub_PWArrowStroke::setOutlineColour(const QVariant& value)
{
    if (mArrowOutlineColourWell)
        mArrowOutlineColourWell->setColor(pf::isNilOrNull(value) ? pf::Color::clear()
                                                                 : pw::renderers::colourFromVariant(value, QStringLiteral("outline")));
}

void VNQLStyleEditSub_PWArrowStroke::setOutlineWidth(const QVariant& value)
{
    VNQLPaneControls::showNumber(mArrowOutlineWidthTextField, mArrowOutlineWidthStepper, value);
}

void VNQLStyleEditSub_PWArrowStroke::observedValueForKeyDidChangeTo(const QString& keyPath, const QVariant& value)
{
    VNQLStyleEditSub_PWStroke::observedValueForKeyDidChangeTo(keyPath, value);
    if (!mArrowView)
        return;
    if (mArrowView->rasterizer() != arrow())
        mArrowView->setRasterizer(arrow());
    else
        mArrowView->update();
    if (mToleranceCheckbox && arrow())
        mToleranceCheckbox->setState(arrow()->dimensionToleranceOption() ? pf::ControlState::On : pf::ControlState::Off);
}

void VNQLStyleEditSub_PWArrowStroke::setStatesForLock(bool isLocked, bool isEnabled)
{
    VNQLStyleEditSub_PWStroke::setStatesForLock(isLocked, isEnabled);
    if (mArrowView)
        mArrowView->setEnabled(isEnabled && !isLocked);
}
