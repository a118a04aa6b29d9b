#pragma once

#include "platform/ui/TableCellView.h"
#include "widgets/BFPopoverColorWell.h"

#include <QColor>
#include <QPointer>

class VNQLLayersController;

// The active-layer column of the layers panel: an indicator in the layer's selection colour,
// shown only in the active layer's row. Clicking it makes its row's layer active; its popover
// sets the layer's selection colour.
class VNQLActiveLayerCellView : public pf::TableCellView {
    Q_OBJECT
    PF_CLASS(VNQLActiveLayerCellView)
public:
    explicit VNQLActiveLayerCellView(QWidget* parent = nullptr);

    void setObjectValue(const QVariant& value) override;
    pf::Ref<VNQLLayersController> layersController() const { return mLayersController.lock(); }
    void setLayersController(VNQLLayersController* controller);
    BFPopoverColorWell* indicator() const { return mIndicator; }
    void setActiveColour(const QColor& colour);

    void activateLayerAction(const QVariant& sender);
    void layerSelectionColourAction(const QVariant& sender);

    void mouseDown(const pf::Event& event) override;

private:
    QPointer<BFPopoverColorWell> mIndicator;
    pf::Weak<VNQLLayersController> mLayersController;
};
