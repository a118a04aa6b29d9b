#pragma once

#include "inspectors/VNQLLayersRowCell.h"

#include "platform/ui/TableCellView.h"
#include "platform/ui/Button.h"
#include "platform/ui/ColorWell.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/TextField.h"
#include "widgets/RVAugmentedButton.h"
#include "widgets/RVAugmentedButtonDelegate.h"

#include <QColor>
#include <QPointer>

class PWLayer;
class VNQLLayersController;

// The cell of a layer's row in the layers panel: name, summary line, icon, lock, visibility
// (whose popover sets the opacity of drawing layers), selection colour and delete. It follows
// its layer by key-value observing and the layer's notifications; the drawing row shows no
// lock, visibility or delete control.
class VNQLLayerCellView : public pf::TableCellView, public RVAugmentedButtonDelegate, public VNQLLayersRowCell {
    Q_OBJECT
    PF_CLASS(VNQLLayerCellView)
public:
    explicit VNQLLayerCellView(QWidget* parent = nullptr);
    ~VNQLLayerCellView() override;

    // A layer binds the cell to it; anything else unbinds it.
    void setObjectValue(const QVariant& value) override;
    pf::Ref<PWLayer> drawingLayer() const { return mRepresentedObject; }
    pf::Ref<VNQLLayersController> layersController() const { return mLayersController.lock(); }
    void setLayersController(VNQLLayersController* controller);

    // The controls, for the panel and its tests.
    pf::TextField* nameField() const { return mNameField; }
    pf::TextField* auxInfoField() const { return mAuxInfoField; }
    pf::ImageView* iconView() const { return mIconView; }
    pf::Button* lockCheckbox() const { return mLockCheckbox; }
    RVAugmentedButton* visibleCheckbox() const { return mVisibleCheckbox; }
    pf::ColorWell* selectionColourWell() const { return mSelectionColourWell; }
    pf::Button* deleteButton() const { return mDeleteButton; }

    // Shown values (each re-read from the layer when it announces a change).
    void setLayerName(const QString& name);
    void setLocked(bool locked);
    // Named apart from the widget's own visibility.
    void setLayerVisible(bool visible);
    void setAuxiliaryInfoString(const QString& summary);
    void setSelectionColour(const QColor& colour);
    void setIcon(const QImage& icon);
    void setAlpha(double alpha);
    void updateAuxiliaryInfoView();

    void setFontsForSmallSize(bool small);
    void layoutViewsForSmallRowHeight(bool small, bool animated) override;
    void selectNameForEditing();

    // Actions.
    void nameAction(const QVariant& sender);
    void selectionColourAction(const QVariant& sender);
    void lockAction(const QVariant& sender);
    void visibleAction(const QVariant& sender);
    void toggleVisibleAction(const QVariant& sender);
    void toggleLockAction(const QVariant& sender);
    void deleteAction(const QVariant& sender);
    void duplicateAction(const QVariant& sender);
    void clearGuidesAction(const QVariant& sender);
    void showGridOptionsAction(const QVariant& sender);
    void showDrawingOptionsAction(const QVariant& sender);
    void exportSlicesAction(const QVariant& sender);
    void makeActiveAction(const QVariant& sender);
    void toggleGraphPaperSnappingAction(const QVariant& sender);
    void opacityAction(const QVariant& sender);
    void selectNameForEditingAction(const QVariant& sender) override;
    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) override;

    void updateRowContextualMenu(pf::Menu& menu) override;

    // Augmented button delegate.
    pf::Ref<pf::Popover> popoverForAugmentedButton(RVAugmentedButton& button) override;
    void augmentedButtonWillShowPopover(RVAugmentedButton& button) override;

    void observeValueForKeyPath(const QString& keyPath, pf::Reflective* object, const QVariantMap& change,
                                void* context) override;

private:
    void bindLayer(const pf::Ref<PWLayer>& layer);
    void unbindLayer();
    void refreshKey(const QString& key);
    bool isDrawingRow() const;
    // The panel reloads this row with its children once the current action is over.
    void reloadRowLater();

    QPointer<pf::TextField> mNameField;
    QPointer<pf::TextField> mAuxInfoField;
    QPointer<pf::ImageView> mIconView;
    QPointer<pf::Button> mLockCheckbox;
    QPointer<RVAugmentedButton> mVisibleCheckbox;
    QPointer<pf::ColorWell> mSelectionColourWell;
    QPointer<pf::Button> mDeleteButton;
    pf::Ref<PWLayer> mRepresentedObject;
    pf::Weak<VNQLLayersController> mLayersController;
};
