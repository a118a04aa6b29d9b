#include "inspectors/VNQLActiveLayerCellView.h"

#include "frameworks/penwork/layers/PWLayer.h"
#include "inspectors/VNQLLayersController.h"
#include "platform/foundation/ClassBuilder.h"
#include "widgets/BFPopoverColorWell.h"

PF_DEFINE_CLASS(VNQLActiveLayerCellView, pf::TableCellView)
{
    b.method("activateLayerAction:", &VNQLActiveLayerCellView::activateLayerAction);
    b.method("layerSelectionColourAction:", &VNQLActiveLayerCellView::layerSelectionColourAction);
}

VNQLActiveLayerCellView::VNQLActiveLayerCellView(QWidget* parent) : pf::TableCellView(QRectF(0, 0, 24, 50), parent)
{
    mIndicator = new BFPopoverColorWell(QRectF(4, 8, 14, 14), this);
    mIndicator->setTarget(this);
    mIndicator->setAction(QStringLiteral("layerSelectionColourAction:"));
    mIndicator->setToolTip(QStringLiteral("Active layer"));
    mIndicator->setHidden(true);
}

void VNQLActiveLayerCellView::setLayersController(VNQLLayersController* controller)
{
    mLayersController = controller ? controller->ref<VNQLLayersController>() : nullptr;
}

void VNQLActiveLayerCellView::setObjectValue(const QVariant& value)
{
    pf::TableCellView::setObjectValue(value);
    pf::Ref<PWLayer> layer = pf::fromVariant<pf::Ref<PWLayer>>(value);
    const bool active = layer && layer->isActiveLayer();
    mIndicator->setHidden(!active);
    if (active)
        setActiveColour(layer->selectionColour());
}

void VNQLActiveLayerCellView::setActiveColour(const QColor& colour)
{
    mIndicator->setColor(pf::Color(colour.isValid() ? colour : QColor(Qt::white)));
}

void VNQLActiveLayerCellView::mouseDown(const pf::Event& event)
{
    // A click beside the indicator makes the row's layer active.
    activateLayerAction(QVariant());
    pf::TableCellView::mouseDown(event);
}

void VNQLActiveLayerCellView::activateLayerAction(const QVariant&)
{
    if (auto controller = layersController())
        controller->activateLayerWithRowView(this);
}

void VNQLActiveLayerCellView::layerSelectionColourAction(const QVariant& sender)
{
    auto controller = layersController();
    pf::Control* control = pf::Control::fromSender(sender);
    auto* well = qobject_cast<pf::ColorWell*>(control);
    if (!controller || !well)
        return;
    if (pf::Ref<PWLayer> layer = controller->layerForCellView(this))
        layer->setSelectionColour(well->color().qColor());
}
