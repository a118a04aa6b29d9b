#include "inspectors/VNQLLayerCellView.h"

#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "inspectors/PWLayer+VNQLAuxiliaryInfoString.h"
#include "inspectors/PWLayer+VNQLLayerIcons.h"
#include "inspectors/VNQLLayerOpacityPopoverController.h"
#include "inspectors/VNQLLayersController.h"
#include "inspectors/VNQLRowControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Animator.h"
#include "platform/ui/Button.h"
#include "platform/ui/ColorWell.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Popover.h"
#include "platform/ui/TextField.h"
#include "platform/ui/UserInterfaceItem.h"
#include "widgets/Color+VNQLApplicationColors.h"
#include "widgets/RVAugmentedButton.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace {

const QStringList kObservedKeys = {QStringLiteral("layerName"), QStringLiteral("locked"), QStringLiteral("visible"),
                                   QStringLiteral("auxiliaryInfoString"), QStringLiteral("selectionColour"),
                                   QStringLiteral("alpha")};

bool isOn(const QVariant& sender)
{
    if (pf::Control* control = pf::Control::fromSender(sender))
        if (auto* button = qobject_cast<pf::Button*>(control))
            return button->state() == pf::ControlState::On;
    return false;
}

} // namespace

PF_DEFINE_CLASS(VNQLLayerCellView, pf::TableCellView)
{
    using Self = VNQLLayerCellView;
    b.method("nameAction:", &Self::nameAction);
    b.method("selectionColourAction:", &Self::selectionColourAction);
    b.method("lockAction:", &Self::lockAction);
    b.method("visibleAction:", &Self::visibleAction);
    b.method("toggleVisibleAction:", &Self::toggleVisibleAction);
    b.method("toggleLockAction:", &Self::toggleLockAction);
    b.method("deleteAction:", &Self::deleteAction);
    b.method("duplicateAction:", &Self::duplicateAction);
    b.method("clearGuidesAction:", &Self::clearGuidesAction);
    b.method("showGridOptionsAction:", &Self::showGridOptionsAction);
    b.method("showDrawingOptionsAction:", &Self::showDrawingOptionsAction);
    b.method("exportSlicesAction:", &Self::exportSlicesAction);
    b.method("makeActiveAction:", &Self::makeActiveAction);
    b.method("toggleGraphPaperSnappingAction:", &Self::toggleGraphPaperSnappingAction);
    b.method("opacityAction:", &Self::opacityAction);
    b.method("selectNameForEditingAction:", &Self::selectNameForEditingAction);
}

VNQLLayerCellView::VNQLLayerCellView(QWidget* parent) : pf::TableCellView(QRectF(0, 0, 240, 50), parent)
{
    // Flipped: y grows downwards. Right-hand controls keep their distance from the right edge.
    const double width = 240;
    mIconView = new pf::ImageView(this);
    mIconView->setFrame(QRectF(2, 6, 22, 22));
    mIconView->setImageScaling(pf::ImageScaling::ProportionallyUpOrDown);

    mNameField = VNQLRowControls::nameField(this, this, QStringLiteral("nameAction:"));
    mNameField->setFrame(QRectF(28, 4, width - 28 - 66, 22));
    mNameField->setAutoresizingMask(pf::ViewWidthSizable);

    mAuxInfoField = pf::TextField::label(QString(), this);
    mAuxInfoField->setFrame(QRectF(28, 27, width - 28 - 26, 16));
    mAuxInfoField->setAutoresizingMask(pf::ViewWidthSizable);
    QFont small = mAuxInfoField->font();
    small.setPointSizeF(pf::Font::interfaceSize(10));
    mAuxInfoField->setFont(small);
    // Names and summaries longer than the row end in an ellipsis rather than a cut letter.
    mNameField->cell()->setLineBreakMode(pf::LineBreakByTruncatingTail);
    mAuxInfoField->cell()->setLineBreakMode(pf::LineBreakByTruncatingTail);

    mVisibleCheckbox = new RVAugmentedButton(this);
    mVisibleCheckbox->setButtonType(pf::ButtonType::Toggle);
    mVisibleCheckbox->setBordered(false);
    mVisibleCheckbox->setImage(pf::Image::imageNamed(QStringLiteral("VN_Layer_Hidden-Template")));
    mVisibleCheckbox->setAlternateImage(pf::Image::imageNamed(QStringLiteral("VN_Layer_Show-Template")));
    mVisibleCheckbox->setImagePosition(pf::CellImagePosition::ImageOnly);
    mVisibleCheckbox->setFrame(QRectF(width - 62, 6, 18, 18));
    mVisibleCheckbox->setAutoresizingMask(pf::ViewMinXMargin);
    mVisibleCheckbox->setTarget(this);
    mVisibleCheckbox->setAction(QStringLiteral("visibleAction:"));
    mVisibleCheckbox->setToolTip(tr("Show or hide the layer (right-click for opacity)"));

    mLockCheckbox = VNQLRowControls::imageToggle(QStringLiteral("VN_Layer_Locked-Template"), QStringLiteral("VN_Layer_Unlocked-Template"), this);
    mLockCheckbox->setFrame(QRectF(width - 42, 6, 18, 18));
    mLockCheckbox->setAutoresizingMask(pf::ViewMinXMargin);
    mLockCheckbox->setTarget(this);
    mLockCheckbox->setAction(QStringLiteral("lockAction:"));
    mLockCheckbox->setToolTip(tr("Lock or unlock the layer"));

    mSelectionColourWell = new pf::ColorWell(this);
    mSelectionColourWell->setFrame(QRectF(width - 22, 7, 16, 16));
    mSelectionColourWell->setAutoresizingMask(pf::ViewMinXMargin);
    mSelectionColourWell->setTarget(this);
    mSelectionColourWell->setAction(QStringLiteral("selectionColourAction:"));
    mSelectionColourWell->setToolTip(tr("Selection colour"));

    mDeleteButton = new pf::Button(this);
    mDeleteButton->setBordered(false);
    mDeleteButton->setImage(pf::Image::imageNamed(QStringLiteral("VN_Layer_Delete-Template")));
    mDeleteButton->setImagePosition(pf::CellImagePosition::ImageOnly);
    mDeleteButton->setFrame(QRectF(width - 22, 28, 16, 16));
    mDeleteButton->setAutoresizingMask(pf::ViewMinXMargin);
    mDeleteButton->setTarget(this);
    mDeleteButton->setAction(QStringLiteral("deleteAction:"));
    mDeleteButton->setToolTip(tr("Delete the layer"));
}

VNQLLayerCellView::~VNQLLayerCellView()
{
    unbindLayer();
}

void VNQLLayerCellView::setLayersController(VNQLLayersController* controller)
{
    mLayersController = controller ? controller->ref<VNQLLayersController>() : nullptr;
    if (controller)
        setFontsForSmallSize(controller->compactRows());
}

// --- Binding ------------------------------------------------------------------------------------------

void VNQLLayerCellView::setObjectValue(const QVariant& value)
{
    pf::Ref<PWLayer> layer = pf::fromVariant<pf::Ref<PWLayer>>(value);
    pf::TableCellView::setObjectValue(layer ? value : QVariant());
    if (layer == mRepresentedObject)
        return;
    unbindLayer();
    if (layer)
        bindLayer(layer);
}

void VNQLLayerCellView::unbindLayer()
{
    if (!mRepresentedObject)
        return;
    mRepresentedObject->removeObserver(this);
    pf::NotificationCenter::defaultCenter().removeObserver(this, QString(), mRepresentedObject.get());
    mRepresentedObject.reset();
}

void VNQLLayerCellView::bindLayer(const pf::Ref<PWLayer>& layer)
{
    mRepresentedObject = layer;
    const bool drawingRow = isDrawingRow();
    mLockCheckbox->setHidden(drawingRow);
    mVisibleCheckbox->setHidden(drawingRow);
    mDeleteButton->setHidden(drawingRow || !layer->layerMayBeDeleted());

    auto& centre = pf::NotificationCenter::defaultCenter();
    QPointer<VNQLLayerCellView> self(this);
    for (const QString& name : PWLayerVNQLAuxiliaryInfoString::notificationNamesAffectingAuxiliaryInfo(*layer))
        centre.addObserver(this, [self](const pf::Notification&) {
            if (self)
                self->updateAuxiliaryInfoView();
        }, name, layer.get());

    for (const QString& key : kObservedKeys)
        layer->addObserver(this, key, pf::ObservingNew | pf::ObservingInitial);
    setIcon(PWLayerVNQLLayerIcons::iconForLayer(*layer));
    if (auto controller = layersController())
        setFontsForSmallSize(controller->compactRows());

    if (dynamic_cast<PWObjectDrawingLayer*>(layer.get())) {
        mVisibleCheckbox->setDelegate(this);
        mVisibleCheckbox->setPopoverTarget(this);
        mVisibleCheckbox->setPopoverAction(QStringLiteral("opacityAction:"));
        mVisibleCheckbox->setPopover(layersController() ? layersController()->opacityPopover() : nullptr);
    } else {
        mVisibleCheckbox->setDelegate(nullptr);
        mVisibleCheckbox->setPopover(nullptr);
    }
}

void VNQLLayerCellView::observeValueForKeyPath(const QString& keyPath, pf::Reflective*, const QVariantMap&, void*)
{
    refreshKey(keyPath);
}

void VNQLLayerCellView::refreshKey(const QString& key)
{
    const pf::Ref<PWLayer> layer = mRepresentedObject;
    if (!layer)
        return;
    if (key == QLatin1String("layerName"))
        setLayerName(layer->layerName());
    else if (key == QLatin1String("locked"))
        setLocked(layer->locked());
    else if (key == QLatin1String("visible"))
        setLayerVisible(layer->visible());
    else if (key == QLatin1String("auxiliaryInfoString"))
        updateAuxiliaryInfoView();
    else if (key == QLatin1String("selectionColour"))
        setSelectionColour(layer->selectionColour());
    else if (key == QLatin1String("alpha"))
        setAlpha(layer->alpha());
}

bool VNQLLayerCellView::isDrawingRow() const
{
    return mRepresentedObject && dynamic_cast<PWDrawing*>(mRepresentedObject.get());
}

// --- Shown values -----------------------------------------------------------------------------------------------

void VNQLLayerCellView::setLayerName(const QString& name)
{
    mNameField->setStringValue(name);
}

void VNQLLayerCellView::setLocked(bool locked)
{
    mLockCheckbox->setState(locked ? pf::ControlState::On : pf::ControlState::Off);
    mNameField->setEnabled(!locked);
    mNameField->setEditable(!locked);
    const pf::Color text = locked ? pf::Color(QColor(Qt::gray)) : VNQLUnselectedTitleTextColour();
    mNameField->setTextColor(text);
    mAuxInfoField->setTextColor(text);
    mIconView->setEnabled(!locked);
    mDeleteButton->setHidden(locked || isDrawingRow() || !mRepresentedObject || !mRepresentedObject->layerMayBeDeleted());
}

void VNQLLayerCellView::setLayerVisible(bool visible)
{
    mVisibleCheckbox->setState(visible ? pf::ControlState::On : pf::ControlState::Off);
}

void VNQLLayerCellView::setAuxiliaryInfoString(const QString& summary)
{
    mAuxInfoField->setStringValue(summary);
}

void VNQLLayerCellView::updateAuxiliaryInfoView()
{
    const QString summary = mRepresentedObject ? PWLayerVNQLAuxiliaryInfoString::auxiliaryInfoString(*mRepresentedObject)
                                               : QString();
    mAuxInfoField->setHidden(summary.isEmpty());
    setAuxiliaryInfoString(summary);
}

void VNQLLayerCellView::setSelectionColour(const QColor& colour)
{
    mSelectionColourWell->setColor(pf::Color(colour.isValid() ? colour : QColor(Qt::white)));
    mSelectionColourWell->setHidden(!colour.isValid());
    if (auto controller = layersController(); controller && mRepresentedObject)
        controller->selectionColourChangedForLayer(mRepresentedObject.get());
}

void VNQLLayerCellView::setIcon(const QImage& icon)
{
    if (!icon.isNull())
        mIconView->setImage(pf::Image::fromQImage(icon));
}

void VNQLLayerCellView::setAlpha(double alpha)
{
    if (auto controller = layersController()) {
        pf::Ref<pf::Popover> popover = controller->opacityPopover();
        auto content = std::dynamic_pointer_cast<VNQLLayerOpacityPopoverController>(popover->contentViewController());
        if (popover->isShown() && content && content->target() == this)
            content->setControlsValue(alpha);
    }
    mVisibleCheckbox->setAlternateImage(pf::Image::imageNamed(
        alpha < 1.0 ? QStringLiteral("VN_Layer_Opacity3-Template") : QStringLiteral("VN_Layer_Show-Template")));
}

// --- Sizes --------------------------------------------------------------------------------------------------------

void VNQLLayerCellView::setFontsForSmallSize(bool small)
{
    QFont font = mNameField->font();
    font.setPointSizeF(pf::Font::interfaceSize(small ? 12 : 13));
    mNameField->setFont(font);
    QRectF frame = mNameField->frame();
    frame.setHeight(small ? 18 : 22);
    mNameField->setFrame(frame);
}

void VNQLLayerCellView::layoutViewsForSmallRowHeight(bool small, bool animated)
{
    if (animated)
        mAuxInfoField->animator().setAlphaValue(small ? 0.0 : 1.0);
    else
        mAuxInfoField->setAlphaValue(small ? 0.0 : 1.0);
    setFontsForSmallSize(small);
}

void VNQLLayerCellView::selectNameForEditing()
{
    if (!mRepresentedObject || mRepresentedObject->locked())
        return;
    VNQLRowControls::beginRenaming(mNameField);
}

// --- Actions --------------------------------------------------------------------------------------------------------

void VNQLLayerCellView::reloadRowLater()
{
    QPointer<VNQLLayerCellView> self(this);
    pf::RunLoop::main().perform([self] {
        if (!self)
            return;
        if (auto controller = self->layersController())
            controller->reloadOutlineViewForView(self);
    }, 0);
}

void VNQLLayerCellView::nameAction(const QVariant&)
{
    const QString name = mNameField->stringValue();
    if (!mRepresentedObject || name.trimmed().isEmpty()) {
        // An empty name changes nothing; the field shows the name again.
        if (mRepresentedObject)
            setLayerName(mRepresentedObject->layerName());
        return;
    }
    if (name == mRepresentedObject->layerName())
        return;
    mRepresentedObject->setLayerName(name);
    if (pf::Ref<VNQLLayersController> controller = layersController())
        controller->setUndoActionName(tr("Rename Layer"));
    reloadRowLater();
}

void VNQLLayerCellView::selectionColourAction(const QVariant&)
{
    if (!mRepresentedObject)
        return;
    mRepresentedObject->setSelectionColour(mSelectionColourWell->color().qColor());
    reloadRowLater();
}

void VNQLLayerCellView::lockAction(const QVariant& sender)
{
    if (!mRepresentedObject)
        return;
    mRepresentedObject->setLocked(sender.isValid() ? isOn(sender) : mLockCheckbox->state() == pf::ControlState::On);
    reloadRowLater();
}

void VNQLLayerCellView::visibleAction(const QVariant& sender)
{
    if (!mRepresentedObject)
        return;
    const Qt::KeyboardModifiers modifiers = QGuiApplication::keyboardModifiers();
    PWDrawing* drawing = mRepresentedObject->drawing();
    if ((modifiers & Qt::AltModifier) && drawing) {
        if (modifiers & Qt::ControlModifier)
            drawing->showAll();
        else
            drawing->hideAllExcept(mRepresentedObject);
        return;
    }
    mRepresentedObject->setVisible(sender.isValid() ? isOn(sender) : mVisibleCheckbox->state() == pf::ControlState::On);
    reloadRowLater();
}

void VNQLLayerCellView::toggleVisibleAction(const QVariant&)
{
    if (!mRepresentedObject)
        return;
    mRepresentedObject->setVisible(!mRepresentedObject->visible());
    reloadRowLater();
}

void VNQLLayerCellView::toggleLockAction(const QVariant&)
{
    if (!mRepresentedObject)
        return;
    mRepresentedObject->setLocked(!mRepresentedObject->locked());
    reloadRowLater();
}

void VNQLLayerCellView::deleteAction(const QVariant&)
{
    if (auto controller = layersController(); controller && mRepresentedObject)
        controller->confirmDeleteLayer(mRepresentedObject);
}

void VNQLLayerCellView::duplicateAction(const QVariant&)
{
    auto controller = layersController();
    if (!controller || !mRepresentedObject || !VNQLLayersController::layerCanBeDuplicated(*mRepresentedObject))
        return;
    pf::Ref<PWLayerGroup> group = mRepresentedObject->layerGroup();
    if (!group || group->locked())
        return;
    pf::Ref<PWLayer> copy = mRepresentedObject->duplicateLayer();
    if (!copy)
        return;
    controller->addLayerToGroup(copy, group, true);
    if (RVUndoManager* undo = mRepresentedObject->undoManager())
        undo->setActionName(tr("Duplicate Layer"));
}

void VNQLLayerCellView::clearGuidesAction(const QVariant&)
{
    auto guides = std::dynamic_pointer_cast<PWGuideLayer>(mRepresentedObject);
    if (!guides || guides->locked())
        return;
    pf::Ref<pf::Alert> alert = pf::Alert::legacy(tr("Really Remove All Guides?"), tr("Clear"), tr("Cancel"), QString(),
                                                 tr("This operation cannot be undone."));
    pf::Weak<PWGuideLayer> weak = guides;
    alert->beginSheetModal(window(), [weak](int returnCode) {
        if (auto layer = weak.lock(); layer && returnCode == pf::kAlertDefaultReturn)
            layer->clearGuides();
    });
}

void VNQLLayerCellView::showGridOptionsAction(const QVariant&)
{
    if (auto controller = layersController())
        controller->delegateShowGridOptionsForLayer(mRepresentedObject);
}

void VNQLLayerCellView::showDrawingOptionsAction(const QVariant&)
{
    auto controller = layersController();
    if (controller && mRepresentedObject && mRepresentedObject->drawing())
        controller->delegateShowDrawingOptionsForDrawing(mRepresentedObject->drawing()->ref<PWDrawing>());
}

void VNQLLayerCellView::exportSlicesAction(const QVariant&)
{
    if (auto controller = layersController())
        controller->delegateShowExportOptionsForLayer(mRepresentedObject);
}

void VNQLLayerCellView::makeActiveAction(const QVariant&)
{
    if (mRepresentedObject)
        mRepresentedObject->attemptToMakeActive();
}

void VNQLLayerCellView::toggleGraphPaperSnappingAction(const QVariant&)
{
    if (PWDrawing* drawing = mRepresentedObject ? mRepresentedObject->drawing() : nullptr)
        drawing->setSnapsToGrid(!drawing->snapsToGrid());
}

void VNQLLayerCellView::opacityAction(const QVariant& sender)
{
    pf::Control* control = pf::Control::fromSender(sender);
    if (!mRepresentedObject || !control)
        return;
    mRepresentedObject->setAlpha(std::clamp(control->doubleValue(), 0.0, 1.0));
}

void VNQLLayerCellView::selectNameForEditingAction(const QVariant&)
{
    selectNameForEditing();
}

bool VNQLLayerCellView::validateUserInterfaceItem(pf::UserInterfaceItem& item)
{
    const QString action = item.action();
    const pf::Ref<PWLayer> layer = mRepresentedObject;
    if (!layer)
        return false;
    if (action == QLatin1String("toggleLockAction:")) {
        item.setTitle(layer->locked() ? tr("Unlock") : tr("Lock"));
        return true;
    }
    if (action == QLatin1String("toggleVisibleAction:")) {
        item.setTitle(layer->visible() ? tr("Hide") : tr("Show"));
        return true;
    }
    if (action == QLatin1String("clearGuidesAction:")) {
        auto guides = std::dynamic_pointer_cast<PWGuideLayer>(layer);
        return guides && guides->hasGuides();
    }
    if (action == QLatin1String("makeActiveAction:")) {
        item.setState(layer->isActiveLayer() ? pf::ControlState::On : pf::ControlState::Off);
        item.setTitle(layer->isActiveLayer() ? tr("Active Layer") : tr("Activate Layer"));
        return true;
    }
    if (action == QLatin1String("deleteAction:"))
        return layer->layerMayBeDeleted();
    if (action == QLatin1String("toggleGraphPaperSnappingAction:")) {
        PWDrawing* drawing = layer->drawing();
        item.setState(drawing && drawing->snapsToGrid() ? pf::ControlState::On : pf::ControlState::Off);
        return drawing != nullptr;
    }
    if (action == QLatin1String("exportSlicesAction:")) {
        auto slices = std::dynamic_pointer_cast<VNQLSlicesLayer>(layer);
        return slices && slices->countOfSlices() > 0;
    }
    return respondsTo(action);
}

// --- Contextual menu ------------------------------------------------------------------------------------------------

void VNQLLayerCellView::updateRowContextualMenu(pf::Menu& menu)
{
    const pf::Ref<PWLayer> layer = mRepresentedObject;
    if (!layer)
        return;
    int at = 0;
    auto insert = [&](const QString& title, const QString& action) {
        pf::Ref<pf::MenuItem> item = pf::MenuItem::make(title, action);
        item->setTarget(this);
        menu.insertItem(item, at++);
    };
    auto separator = [&] { menu.insertItem(pf::MenuItem::separator(), at++); };
    const bool drawingRow = isDrawingRow();
    if (layer->layerMayBecomeActive()) {
        insert(tr("Activate Layer"), QStringLiteral("makeActiveAction:"));
        separator();
    }
    if (!layer->locked() && !drawingRow && layer->allowsRenaming())
        insert(tr("Rename..."), QStringLiteral("selectNameForEditingAction:"));
    if (layer->layerMayBeDeleted())
        insert(dynamic_cast<PWLayerGroup*>(layer.get()) ? tr("Delete Layer Group...") : tr("Delete Layer..."),
               QStringLiteral("deleteAction:"));
    if (VNQLLayersController::layerCanBeDuplicated(*layer))
        insert(tr("Duplicate"), QStringLiteral("duplicateAction:"));
    if (auto guides = std::dynamic_pointer_cast<PWGuideLayer>(layer); guides && !guides->locked()) {
        insert(tr("Clear Guides..."), QStringLiteral("clearGuidesAction:"));
    } else if (dynamic_cast<PWGridLayer*>(layer.get())) {
        if (!layer->locked())
            insert(tr("Graph Paper Settings..."), QStringLiteral("showGridOptionsAction:"));
        insert(tr("Snap To Graph Paper"), QStringLiteral("toggleGraphPaperSnappingAction:"));
        separator();
    } else if (dynamic_cast<VNQLSlicesLayer*>(layer.get())) {
        insert(tr("Export Slices..."), QStringLiteral("exportSlicesAction:"));
    }
    if (drawingRow) {
        insert(tr("Drawing Size & Units..."), QStringLiteral("showDrawingOptionsAction:"));
    } else {
        insert(tr("Hide"), QStringLiteral("toggleVisibleAction:"));
        insert(tr("Lock"), QStringLiteral("toggleLockAction:"));
    }
    separator();
}

// --- Opacity popover ------------------------------------------------------------------------------------------------

pf::Ref<pf::Popover> VNQLLayerCellView::popoverForAugmentedButton(RVAugmentedButton&)
{
    auto controller = layersController();
    if (!controller || !dynamic_cast<PWObjectDrawingLayer*>(mRepresentedObject.get()))
        return nullptr;
    return controller->opacityPopover();
}

void VNQLLayerCellView::augmentedButtonWillShowPopover(RVAugmentedButton&)
{
    auto controller = layersController();
    if (!controller || !mRepresentedObject)
        return;
    auto content = std::dynamic_pointer_cast<VNQLLayerOpacityPopoverController>(
        controller->opacityPopover()->contentViewController());
    if (content)
        content->setControlsValue(mRepresentedObject->alpha());
}
