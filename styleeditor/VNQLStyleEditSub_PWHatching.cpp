#include "styleeditor/VNQLStyleEditSub_PWHatching.h"

#include "styleeditor/VNQLStyleEditSub_PWStroke.h"

#include "frameworks/penwork/renderers/PWHatching.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/MenuItem.h"

#include <cmath>
#include <QCoreApplication>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWHatching, VNQLStyleComponentController)
{
    using C = VNQLStyleEditSub_PWHatching;
    b.method("colourAction:", &C::colourAction);
    b.method("widthAction:", &C::widthAction);
    b.method("spacingAction:", &C::spacingAction);
    b.method("leadInAction:", &C::leadInAction);
    b.method("angleAction:", &C::angleAction);
    b.method("relativeAngleAction:", &C::relativeAngleAction);
    b.method("roughnessAction:", &C::roughnessAction);
    b.method("wobblynessAction:", &C::wobblynessAction);
    b.method("widthPopUpMenuAction:", &C::widthPopUpMenuAction);
    b.method("dashMenuAction:", &C::dashMenuAction);
    b.method("lineCapAction:", &C::lineCapAction);
    b.method("lineJoinAction:", &C::lineJoinAction);
    b.method("setColour:", &C::setColour);
    b.method("setWidth:", &C::setWidth);
    b.method("setSpacing:", &C::setSpacing);
    b.method("setLeadInProportion:", &C::setLeadInProportion);
    b.method("setAngleInDegrees:", &C::setAngleInDegrees);
    b.method("setRoughness:", &C::setRoughness);
    b.method("setWobblyness:", &C::setWobblyness);
    b.method("setLineCapStyle:", &C::setLineCapStyle);
    b.method("setLineJoinStyle:", &C::setLineJoinStyle);
    b.method("setDash:", &C::setDash);
    b.method("setAngleIsRelativeToObject:", &C::setAngleIsRelativeToObject);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWHatching", text);
}

// Width presets, in tenths of a point.
const QList<int> kWidthPresets = {1, 3, 5, 10, 15, 20, 30, 50, 100};
} // namespace

VNQLStyleEditSub_PWHatching::VNQLStyleEditSub_PWHatching(const QString& nibName)
    : VNQLStyleComponentController(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWHatching") : nibName)
{
}

VNQLStyleEditSub_PWHatching::~VNQLStyleEditSub_PWHatching()
{
    if (mDashEditor && mDashEditor->isOpen())
        mDashEditor->cancel({});
}

const pf::Class& VNQLStyleEditSub_PWHatching::managedObjectClass() const
{
    return PWHatching::staticClass();
}

QStringList VNQLStyleEditSub_PWHatching::keyPathsOfInterest() const
{
    return VNQLStyleComponentController::keyPathsOfInterest()
           + QStringList{"colour",    "width",      "spacing",       "leadInProportion", "angleInDegrees",
                         "roughness", "wobblyness", "lineCapStyle", "lineJoinStyle",    "dash",
                         "angleIsRelativeToObject"};
}

PWHatching* VNQLStyleEditSub_PWHatching::hatching() const
{
    return dynamic_cast<PWHatching*>(representedComponent().get());
}

void VNQLStyleEditSub_PWHatching::loadView()
{
    using namespace VNQLPaneControls;
    pf::View* view = makeComponentView();
    mColourWell = new pf::ColorWell;
    mColourWell->setFixedSize(44, 22);
    mColourWell->setTarget(this);
    mColourWell->setAction(QStringLiteral("colourAction:"));
    addRow(view, tr("Colour:"), {mColourWell});

    mWidthTextField = numberField(this, QStringLiteral("widthAction:"), decimalFormatter(2));
    mWidthStepper = stepper(this, QStringLiteral("widthAction:"), 0.25, 0.0, PWHatching::kMaxWidth);
    mWidthPopUpButton = new pf::PopUpButton;
    for (int tag : kWidthPresets)
        mWidthPopUpButton->addItemWithTitle(QString::number(tag))->setTag(tag);
    mWidthPopUpButton->menu()->addItem(pf::MenuItem::separator());
    mWidthPopUpButton->addItemWithTitle(tr("Other"))->setTag(VNQLStyleEditSub_PWStroke::kOtherWidthTag);
    mWidthPopUpButton->setAutoenablesItems(false);
    mWidthPopUpButton->setTarget(this);
    mWidthPopUpButton->setAction(QStringLiteral("widthPopUpMenuAction:"));
    mWidthPopUpButton->setFixedHeight(22);
    mWidthPopUpButton->setMinimumWidth(90);
    // The presets go under the field: beside it they pass the sidebar's edge.
    addRow(view, tr("Width:"), {mWidthTextField, mWidthStepper});
    addContinuationRow(view, {mWidthPopUpButton});

    auto pair = [&](const char* caption, const char* action, QPointer<pf::TextField>& field, QPointer<pf::Stepper>& step,
                    double increment, double low, double high) {
        field = numberField(this, QString::fromLatin1(action), decimalFormatter(2));
        step = stepper(this, QString::fromLatin1(action), increment, low, high);
        addRow(view, tr(caption), {field, step});
        addLockControl(field);
        addLockControl(step);
    };
    pair("Spacing:", "spacingAction:", mSpacingTextField, mSpacingStepper, 0.5, PWHatching::kMinSpacing,
         PWHatching::kMaxSpacing);
    pair("Lead-in:", "leadInAction:", mLeadInTextField, mLeadInStepper, 0.05, 0.0, 1.0);
    pair("Angle:", "angleAction:", mAngleTextField, mAngleStepper, 5, -360, 360);
    mRelAngleCheckbox = checkBox(tr("Turn with object"), this, QStringLiteral("relativeAngleAction:"));
    // Short for the sidebar; the whole name is the tool tip.
    mRelAngleCheckbox->setToolTip(tr("The angle turns with the object"));
    addRow(view, {}, {mRelAngleCheckbox});
    pair("Roughness:", "roughnessAction:", mRoughnessTextField, mRoughnessStepper, 0.05, 0.0, 1.0);
    pair("Wobble:", "wobblynessAction:", mWobbleTextField, mWobbleStepper, 0.5, 0.0, PWHatching::kMaxWobblyness);

    mDashPopUpButton = new pf::PopUpButton;
    mDashPopUpButton->setFixedHeight(24);
    mDashPopUpButton->setMinimumWidth(110);
    initialiseDashMenu();
    addRow(view, tr("Dash:"), {mDashPopUpButton});
    auto segments = [&](const QStringList& labels, const char* action) {
        auto* control = new pf::SegmentedControl;
        control->setSegmentCount(int(labels.size()));
        for (int i = 0; i < labels.size(); ++i) {
            control->setLabel(labels[i], i);
            control->setTag(i, i);
        }
        control->setTarget(this);
        control->setAction(QString::fromLatin1(action));
        // Segments as wide as their labels, sharing whatever the row has besides.
        control->setFixedHeight(22);
        control->sizeToFit();
        control->setMinimumWidth(int(std::ceil(control->frame().width())));
        return control;
    };
    mLineCapSegmentedButton = segments({tr("Butt"), tr("Round"), tr("Square")}, "lineCapAction:");
    addWrappedRow(view, tr("Caps:"), {mLineCapSegmentedButton});
    mLineJoinSegmentedButton = segments({tr("Mitre"), tr("Round"), tr("Bevel")}, "lineJoinAction:");
    addWrappedRow(view, tr("Joins:"), {mLineJoinSegmentedButton});

    for (QWidget* control : std::initializer_list<QWidget*>{mColourWell, mWidthTextField, mWidthStepper, mWidthPopUpButton,
                                                           mDashPopUpButton, mLineCapSegmentedButton,
                                                           mLineJoinSegmentedButton, mRelAngleCheckbox})
        addLockControl(control);
    addLengthField(mWidthTextField);
    addLengthField(mSpacingTextField);
    initialiseStrokeWidthMenu(mWidthPopUpButton->menu());
    finish(view);
    setView(view);
}

void VNQLStyleEditSub_PWHatching::initialiseDashMenu()
{
    if (mDashPopUpButton)
        mDashPopUpButton->setMenu(VNQLStyleEditSub_PWStroke::createDashMenu(this, QStringLiteral("dashMenuAction:")));
}

// --- Values out -------------------------------------------------------------------------------

void VNQLStyleEditSub_PWHatching::colourAction(const QVariant& sender)
{
    if (auto* well = qobject_cast<pf::ColorWell*>(pf::Control::fromSender(sender)))
        setCommonValue(pw::renderers::colourToVariant(well->color()), QStringLiteral("colour"));
}

void VNQLStyleEditSub_PWHatching::widthAction(const QVariant& sender) { write(sender, QStringLiteral("width")); }
void VNQLStyleEditSub_PWHatching::spacingAction(const QVariant& sender) { write(sender, QStringLiteral("spacing")); }
void VNQLStyleEditSub_PWHatching::leadInAction(const QVariant& sender) { write(sender, QStringLiteral("leadInProportion")); }
void VNQLStyleEditSub_PWHatching::angleAction(const QVariant& sender) { write(sender, QStringLiteral("angleInDegrees")); }
void VNQLStyleEditSub_PWHatching::roughnessAction(const QVariant& sender) { write(sender, QStringLiteral("roughness")); }
void VNQLStyleEditSub_PWHatching::wobblynessAction(const QVariant& sender) { write(sender, QStringLiteral("wobblyness")); }

void VNQLStyleEditSub_PWHatching::relativeAngleAction(const QVariant& sender)
{
    write(sender, QStringLiteral("angleIsRelativeToObject"));
}

void VNQLStyleEditSub_PWHatching::widthPopUpMenuAction(const QVariant& sender)
{
    const int tag = selectedTag(sender);
    if (tag > 0)
        setCommonValue(tag / 10.0, QStringLiteral("width"));
    else if (tag == VNQLStyleEditSub_PWStroke::kOtherWidthTag && mWidthTextField)
        mWidthTextField->selectText();
}

void VNQLStyleEditSub_PWHatching::dashMenuAction(const QVariant& sender)
{
    pf::Ref<pf::MenuItem> item = VNQLStyleEditSub_PWStroke::dashMenuItemOfSender(sender);
    if (!item)
        return;
    if (item->tag() == VNQLStyleEditSub_PWStroke::kCustomDashTag) {
        openDashEditor();
        return;
    }
    pf::Ref<PWStrokeDash> dash = pf::objectCast<PWStrokeDash>(item->representedObject());
    setCommonValue(dash ? pf::toVariant(dash->copy()) : QVariant(), QStringLiteral("dash"));
}

void VNQLStyleEditSub_PWHatching::lineCapAction(const QVariant& sender)
{
    if (const int index = selectedTag(sender); index >= 0)
        setCommonValue(index, QStringLiteral("lineCapStyle"));
}

void VNQLStyleEditSub_PWHatching::lineJoinAction(const QVariant& sender)
{
    if (const int index = selectedTag(sender); index >= 0)
        setCommonValue(index, QStringLiteral("lineJoinStyle"));
}

// --- Values in --------------------------------------------------------------------------------

void VNQLStyleEditSub_PWHatching::setColour(const QVariant& value)
{
    if (mColourWell)
        mColourWell->setColor(pf::isNilOrNull(value) ? pf::Color::clear()
                                                     : pw::renderers::colourFromVariant(value, QStringLiteral("hatching colour")));
}

void VNQLStyleEditSub_PWHatching::setWidth(const QVariant& value)
{
    VNQLPaneControls::showNumber(mWidthTextField, mWidthStepper, value);
    if (!mWidthPopUpButton)
        return;
    const double width = value.toDouble();
    const std::optional<int> tag = VNQLStyleEditSub_PWStroke::strokeWidthTagForWidth(width);
    pf::Menu* menu = mWidthPopUpButton->menu();
    pf::MenuItem* other = menu->itemWithTag(VNQLStyleEditSub_PWStroke::kOtherWidthTag);
    if (tag && *tag > 0 && menu->itemWithTag(*tag)) {
        mWidthPopUpButton->selectItemWithTag(*tag);
        if (other)
            other->setTitle(tr("Other"));
    } else if (other) {
        other->setTitle(QString::asprintf("%s (%.1fpt)", qPrintable(tr("Other")), width));
        mWidthPopUpButton->selectItem(other);
    }
}

void VNQLStyleEditSub_PWHatching::setSpacing(const QVariant& value)
{
    VNQLPaneControls::showNumber(mSpacingTextField, mSpacingStepper, value);
}

void VNQLStyleEditSub_PWHatching::setLeadInProportion(const QVariant& value)
{
    VNQLPaneControls::showNumber(mLeadInTextField, mLeadInStepper, value);
}

void VNQLStyleEditSub_PWHatching::setAngleInDegrees(const QVariant& value)
{
    VNQLPaneControls::showNumber(mAngleTextField, mAngleStepper, value);
}

void VNQLStyleEditSub_PWHatching::setRoughness(const QVariant& value)
{
    VNQLPaneControls::showNumber(mRoughnessTextField, mRoughnessStepper, value);
}

void VNQLStyleEditSub_PWHatching::setWobblyness(const QVariant& value)
{
    VNQLPaneControls::showNumber(mWobbleTextField, mWobbleStepper, value);
}

void VNQLStyleEditSub_PWHatching::setLineCapStyle(const QVariant& value)
{
    if (mLineCapSegmentedButton)
        mLineCapSegmentedButton->selectSegmentWithTag(value.toInt());
}

void VNQLStyleEditSub_PWHatching::setLineJoinStyle(const QVariant& value)
{
    if (mLineJoinSegmentedButton)
        mLineJoinSegmentedButton->selectSegmentWithTag(value.toInt());
}

void VNQLStyleEditSub_PWHatching::setDash(const QVariant& value)
{
    VNQLStyleEditSub_PWStroke::showDash(mDashPopUpButton, value);
}

void VNQLStyleEditSub_PWHatching::setAngleIsRelativeToObject(const QVariant& value)
{
    setCheckbox(mRelAngleCheckbox, value);
}

// --- Dash editor ------------------------------------------------------------------------------

void VNQLStyleEditSub_PWHatching::openDashEditor()
{
    PWHatching* current = hatching();
    if (!current)
        return;
    if (!mDashEditor)
        mDashEditor = std::make_shared<RVDashEditor>();
    if (mDashEditor->isOpen())
        return;
    mDashEditor->setDash(current->dash());
    mDashEditor->openDashEditorInParentWindow(windowForSheet(), this);
    mDashEditor->setLineWidth(current->width());
    mDashEditor->setLineCapStyle(current->lineCapStyle());
    mDashEditor->setLineJoinStyle(current->lineJoinStyle());
    mDashEditor->setLineColour(current->colour());
}

void VNQLStyleEditSub_PWHatching::dashDidChange(RVDashEditor& editor)
{
    // Through the generic controller, so that each change made in the editor is an undoable
    // change of the hatching.
    pf::Ref<PWStrokeDash> fresh = editor.finishedDash();
    setCommonValue(fresh ? pf::toVariant(fresh) : QVariant(), QStringLiteral("dash"));
}

void VNQLStyleEditSub_PWHatching::dashEditorDidRegisterDash(RVDashEditor&, const pf::Ref<PWStrokeDash>& dash)
{
    initialiseDashMenu();
    setDash(pf::toVariant(dash));
}

void VNQLStyleEditSub_PWHatching::setStatesForLock(bool isLocked, bool isEnabled)
{
    enableLockControls(isEnabled && !isLocked);
}

void VNQLStyleEditSub_PWHatching::changeUnitsConversionFactorTo(double factor, const QString& units)
{
    updateLengthFields(factor, units);
    if (mWidthPopUpButton)
        initialiseStrokeWidthMenu(mWidthPopUpButton->menu());
}
