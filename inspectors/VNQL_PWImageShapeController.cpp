#include "inspectors/VNQL_PWImageShapeController.h"

#include "app/VNQLHelpTrampoline.h"
#include "inspectors/VNQLPaneControls.h"

#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/renderers/PWCompositing.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Button.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"

#include <QCoreApplication>

using namespace VNQLPaneControls;

PF_DEFINE_CLASS(VNQL_PWImageShapeController, VNQLShapePane)
{
    b.method("imageShapeHelpAction:", &VNQL_PWImageShapeController::imageShapeHelpAction);
    using C = VNQL_PWImageShapeController;
    b.method("opacityAction:", &C::opacityAction);
    b.method("scaleAction:", &C::scaleAction);
    b.method("drawOnTopAction:", &C::drawOnTopAction);
    b.method("compositingAction:", &C::compositingAction);
    b.method("editAction:", &C::editAction);
    b.method("cropAction:", &C::cropAction);
    b.method("sizeToFitAction:", &C::sizeToFitAction);
    b.method("cropAndResampleAction:", &C::cropAndResampleAction);
    b.method("setImageOpacity:", &C::setImageOpacity);
    b.method("setImageScale:", &C::setImageScale);
    b.method("setImageDrawsOnTop:", &C::setImageDrawsOnTop);
    b.method("setCompositingOperation:", &C::setCompositingOperation);
    b.method("setMixedValueForImageOpacity", &C::setMixedValueForImageOpacity);
    b.method("setMixedValueForImageScale", &C::setMixedValueForImageScale);
    b.method("setMixedValueForImageDrawsOnTop", &C::setMixedValueForImageDrawsOnTop);
    b.method("setMixedValueForCompositingOperation", &C::setMixedValueForCompositingOperation);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQL_PWImageShapeController", text);
}

using namespace pw::renderers;

// The compositing operations offered, by their values.
const QList<std::pair<int, const char*>>& compositingItems()
{
    static const QList<std::pair<int, const char*>> items = {
        {CompositeSourceOver, "Normal"},   {CompositeMultiply, "Multiply"},     {CompositeScreen, "Screen"},
        {CompositeOverlay, "Overlay"},     {CompositeDarken, "Darken"},         {CompositeLighten, "Lighten"},
        {CompositeColorDodge, "Colour Dodge"}, {CompositeColorBurn, "Colour Burn"}, {CompositeSoftLight, "Soft Light"},
        {CompositeHardLight, "Hard Light"}, {CompositeDifference, "Difference"}, {CompositeExclusion, "Exclusion"},
        {CompositePlusDarker, "Plus Darker"}, {CompositePlusLighter, "Plus Lighter"}, {CompositeXOR, "Exclusive Or"},
    };
    return items;
}
} // namespace

VNQL_PWImageShapeController::VNQL_PWImageShapeController(const QString& nibName)
    : VNQLShapePane(nibName.isEmpty() ? QStringLiteral("VNQL_PWImageShapeController") : nibName)
{
}

const pf::Class& VNQL_PWImageShapeController::managedObjectClass() const
{
    return PWImageShape::staticClass();
}

QStringList VNQL_PWImageShapeController::keyPathsOfInterest() const
{
    return {"imageOpacity", "imageScale", "imageDrawsOnTop", "compositingOperation", "locked"};
}

void VNQL_PWImageShapeController::loadView()
{
    pf::View* view = makePaneView();
    mOpacityTextField = numberField(this, "opacityAction:", decimalFormatter(2));
    mOpacityStepper = stepper(this, "opacityAction:", 0.05, 0.0, 1.0);
    addRow(view, tr("Opacity:"), {mOpacityTextField, mOpacityStepper});
    mScaleTextField = numberField(this, "scaleAction:", decimalFormatter(2));
    mScaleStepper = stepper(this, "scaleAction:", 0.1, 0.01, 100.0);
    addRow(view, tr("Scale:"), {mScaleTextField, mScaleStepper});
    mDrawsOnTopCheckbox = checkBox(tr("Draw image on top of style"), this, "drawOnTopAction:");
    addRow(view, {}, {mDrawsOnTopCheckbox});
    mCompositingPopUpButton = new pf::PopUpButton;
    for (const auto& [tag, title] : compositingItems())
        mCompositingPopUpButton->addItemWithTitle(tr(title))->setTag(tag);
    mCompositingPopUpButton->setTarget(this);
    mCompositingPopUpButton->setAction(QStringLiteral("compositingAction:"));
    mCompositingPopUpButton->setFixedHeight(22);
    addRow(view, tr("Blend:"), {mCompositingPopUpButton});
    mEditButton = pushButton(tr("Edit…"), this, "editAction:");
    mCropButton = pushButton(tr("Crop"), this, "cropAction:");
    addRow(view, {}, {mEditButton, mCropButton});
    mSizeToFitButton = pushButton(tr("Size To Fit"), this, "sizeToFitAction:");
    mCropResampleButton = pushButton(tr("Crop & Resample"), this, "cropAndResampleAction:");
    addRow(view, {}, {mSizeToFitButton, mCropResampleButton});
    m_lockControls = {mOpacityTextField.data(), mOpacityStepper.data(), mScaleTextField.data(), mScaleStepper.data(),
                      mDrawsOnTopCheckbox.data(), mCompositingPopUpButton.data(), mSizeToFitButton.data(),
                      mCropResampleButton.data()};
    VNQLPaneControls::addHelpButton(view, this, QStringLiteral("imageShapeHelpAction:"));
    finish(view);
    setView(view);
}

void VNQL_PWImageShapeController::enableControls(bool enabled)
{
    VNQLShapePane::enableControls(enabled);
    const bool single = enabled && hasContent() && content().size() == 1;
    if (mEditButton)
        mEditButton->setEnabled(single);
    if (mCropButton)
        mCropButton->setEnabled(single);
}

void VNQL_PWImageShapeController::opacityAction(const QVariant& sender) { write(sender, "imageOpacity"); }
void VNQL_PWImageShapeController::scaleAction(const QVariant& sender) { write(sender, "imageScale"); }
void VNQL_PWImageShapeController::drawOnTopAction(const QVariant& sender)
{
    auto* box = qobject_cast<pf::Button*>(pf::Control::fromSender(sender));
    if (box)
        setCommonValue(box->state() == pf::ControlState::On, QStringLiteral("imageDrawsOnTop"));
}

void VNQL_PWImageShapeController::compositingAction(const QVariant& sender)
{
    auto* popUp = qobject_cast<pf::PopUpButton*>(pf::Control::fromSender(sender));
    if (popUp && popUp->selectedItem())
        setCommonValue(int(popUp->selectedItem()->tag()), QStringLiteral("compositingOperation"));
}

void VNQL_PWImageShapeController::editAction(const QVariant&)
{
    const QList<pf::Ref<pf::Object>> objects = content();
    if (objects.size() != 1)
        return;
    if (auto image = std::dynamic_pointer_cast<PWImageShape>(objects.first()); image && !image->locked())
        image->editImage();
}

void VNQL_PWImageShapeController::cropAction(const QVariant&)
{
    const QList<pf::Ref<pf::Object>> objects = content();
    if (objects.size() != 1)
        return;
    if (auto image = std::dynamic_pointer_cast<PWImageShape>(objects.first()); image && !image->locked())
        image->setImagePresentationMode(2);
}

void VNQL_PWImageShapeController::sendToEveryImage(const QString& selector, const QString& name)
{
    pf::UndoManager* undo = dataSourceUndoManager();
    if (undo)
        undo->beginUndoGrouping();
    for (const pf::Ref<pf::Object>& object : content()) {
        auto image = std::dynamic_pointer_cast<PWImageShape>(object);
        if (!image || image->locked())
            continue;
        image->perform(selector, {QVariant()});
    }
    if (undo) {
        undo->setActionName(name);
        undo->endUndoGrouping();
    }
}

void VNQL_PWImageShapeController::sizeToFitAction(const QVariant&)
{
    sendToEveryImage(QStringLiteral("fitToImage:"), tr("Size To Fit Image"));
}

void VNQL_PWImageShapeController::cropAndResampleAction(const QVariant&)
{
    sendToEveryImage(QStringLiteral("cropImage:"), tr("Crop & Resample Image"));
}

void VNQL_PWImageShapeController::setImageOpacity(const QVariant& value) { showNumber(mOpacityTextField, mOpacityStepper, value); }
void VNQL_PWImageShapeController::setImageScale(const QVariant& value) { showNumber(mScaleTextField, mScaleStepper, value); }
void VNQL_PWImageShapeController::setImageDrawsOnTop(const QVariant& value)
{
    if (mDrawsOnTopCheckbox)
        mDrawsOnTopCheckbox->setState(pf::variantToBool(value) ? pf::ControlState::On : pf::ControlState::Off);
}

void VNQL_PWImageShapeController::setCompositingOperation(const QVariant& value)
{
    if (!mCompositingPopUpButton)
        return;
    selectMixedValuesInTaggedMenu(*mCompositingPopUpButton->menu(), QStringLiteral("compositingOperation"));
    mCompositingPopUpButton->selectItemWithTag(value.toInt());
}

void VNQL_PWImageShapeController::setMixedValueForImageOpacity() { showNumber(mOpacityTextField, nullptr, {}); }
void VNQL_PWImageShapeController::setMixedValueForImageScale() { showNumber(mScaleTextField, nullptr, {}); }
void VNQL_PWImageShapeController::setMixedValueForImageDrawsOnTop()
{
    if (!mDrawsOnTopCheckbox)
        return;
    mDrawsOnTopCheckbox->setAllowsMixedState(true);
    mDrawsOnTopCheckbox->setState(pf::ControlState::Mixed);
}

void VNQL_PWImageShapeController::setMixedValueForCompositingOperation()
{
    if (mCompositingPopUpButton)
        selectMixedValuesInTaggedMenu(*mCompositingPopUpButton->menu(), QStringLiteral("compositingOperation"));
}

void VNQL_PWImageShapeController::imageShapeHelpAction(const QVariant&)
{
    VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(QStringLiteral("edit-images"));
}
