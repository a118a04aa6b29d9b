#pragma once

#include "inspectors/VNQLTabContentViewController.h"

#include "platform/foundation/IndexSet.h"
#include "platform/ui/Menu.h"
#include "platform/ui/OutlineView.h"

#include <QList>
#include <QPointer>
#include <QVariantList>

class PWDrawableObject;
class PWDrawing;
class PWLayer;
class PWLayerGroup;
class PWObjectDrawingLayer;
class VNQLCustomHighlightOutlineView;
class VNQLLayerOpacityPopoverController;

namespace pf {
class Button;
struct Notification;
class Popover;
class View;
}

// Drag types of the layers panel. Only the type travels on the pasteboard; the dragged items
// themselves are kept by the panel class (draggedItems).
inline const QString kVNQLLayerDragPasteboardType = QStringLiteral("kVNQLLayerDragPasteboardType");
inline const QString kVNQLDrawableRowPasteboardType = QStringLiteral("kVNQLDrawableRowPasteboardType");

// User defaults of the layers panel.
inline const QString kVNQLLayersControllerCompactView = QStringLiteral("kVNQLLayersControllerCompactView");
inline const QString kVNQLLayersControllerShowsTopLevel = QStringLiteral("kVNQLLayersControllerShowsTopLevel");
inline const QString kVNQLLayersControllerActiveFollowsSelection =
    QStringLiteral("kVNQLLayersControllerActiveFollowsSelection");
inline const QString kVNQLLayersControllerShowsGraphicObjects = QStringLiteral("kVNQLLayersControllerShowsGraphicObjects");

// The Layers tab of a document window: the drawing's layer tree in an outline (optionally the
// drawing itself as the one top-level row, then groups and layers and, while objects are
// shown, the objects of each drawing layer top-most first and the slices of the slices layer).
// From it the user adds, duplicates, deletes and re-orders layers, moves objects between
// layers or restacks them by drag and drop, and makes a layer active; the outline selection
// and the drawing's selection follow each other. Every change is one undo step on the
// drawing's undo manager.
//
// Outline items are the model objects themselves (the drawing, layers, drawables, slices).
// The delegate (the document) supplies the classes of new layers and opens the settings
// panels; it is asked by selector and may answer none of them.
class VNQLLayersController : public VNQLTabContentViewController,
                             public pf::OutlineViewDataSource,
                             public pf::OutlineViewDelegate,
                             public pf::MenuDelegate {
    PF_CLASS(VNQLLayersController)
public:
    static constexpr double kLayerRowHeight = 50.0;
    static constexpr double kCompactRowHeight = 30.0;
    static const QString kMainColumn;   // "Layers_Main"
    static const QString kActiveColumn; // "Layer_Active"
    static const QString kGraphicsViewIdentifier; // "VNQL_Graphics_View"
    static const QString kSliceViewIdentifier;    // "VNQL_Slice_View"

    explicit VNQLLayersController(const QString& nibName = QStringLiteral("VNQLTabViewLayers"));
    ~VNQLLayersController() override;

    // Class defaults ------------------------------------------------------------------------------
    static bool compactRowsDefault();
    static void setCompactRowsDefault(bool compact);
    // The stored choice of the top-level toggle; a new panel shows the root as it was left.
    static bool showsTopLevelDefault();
    static void setShowsTopLevelDefault(bool shows);
    static bool activeFollowsSelectionDefault();
    static void setActiveFollowsSelectionDefault(bool follows);
    // The items of the drag in progress, shared by every panel of the process.
    static QVariantList draggedItems();
    static void setDraggedItems(const QVariantList& items);

    // Properties ----------------------------------------------------------------------------------
    pf::Ref<PWDrawing> drawing() const { return mDrawing.lock(); }
    void setDrawing(const pf::Ref<PWDrawing>& drawing);
    VNQLCustomHighlightOutlineView* outlineView();
    pf::Ref<pf::Object> delegate() const { return mDelegateRef.lock(); }
    void setDelegate(const pf::Ref<pf::Object>& delegate) { mDelegateRef = delegate; }
    pf::Ref<pf::Popover> opacityPopover();
    bool showsRoot() const { return mShowRootLevel; }
    bool activeFollowsSelection() const { return mActiveFollowsSel; }
    void setActiveFollowsSelection(bool follows) { mActiveFollowsSel = follows; }
    bool compactRows() const { return mCompactRows; }
    void setCompactRows(bool compact);
    bool showsGraphicObjects() const;
    void setShowsGraphicObjects(bool shows);

    // Delegate forwarding (for the cells) ----------------------------------------------------------
    void delegateShowGridOptionsForLayer(const pf::Ref<PWLayer>& layer);
    void delegateShowDrawingOptionsForDrawing(const pf::Ref<PWDrawing>& drawing);
    void delegateShowExportOptionsForLayer(const pf::Ref<PWLayer>& layer);

    // Editing the layer tree -----------------------------------------------------------------------
    // Asks on a sheet before deleting; nothing for a layer that may not be deleted.
    void confirmDeleteLayer(const pf::Ref<PWLayer>& layer);
    // Names the layer, then adds it to the selected parent group; false when that is locked.
    bool addLayer(const pf::Ref<PWLayer>& layer);
    // On top of `group` (null: the drawing), active, selected, its name opened for typing.
    void addLayerToGroup(const pf::Ref<PWLayer>& layer, const pf::Ref<PWLayerGroup>& group, bool animated);
    void deleteLayer(const pf::Ref<PWLayer>& layer, bool animated);
    // `index` is a drop index among the destination's children. False, changing nothing, when
    // the destination is not a group, is locked, is the layer or lies inside it, or the index
    // is outside the destination's children.
    bool moveLayer(const pf::Ref<PWLayer>& layer, const pf::Ref<PWLayerGroup>& fromGroup, const pf::Ref<PWLayer>& toGroup,
                   qint64 index, bool animated);
    // `objects` are in outline order (top-most first); `index` is an outline child index of
    // the destination (0: above its top-most object). False, changing nothing, when the
    // destination is locked, an object is not on the source layer or the index is outside
    // the destination's children.
    bool moveDrawables(const QList<pf::Ref<PWDrawableObject>>& objects, const pf::Ref<PWObjectDrawingLayer>& fromLayer,
                       const pf::Ref<PWObjectDrawingLayer>& toLayer, qint64 index, bool animated);

    // Rows and cells --------------------------------------------------------------------------------
    pf::Ref<PWLayer> layerForCellView(const pf::View* view);
    void activateLayerWithRowView(pf::View* view);
    void reloadOutlineViewForView(pf::View* layerCellView);
    pf::View* layerCellViewForItem(const QVariant& item);
    // The item shown for the nil item: the drawing when the root is shown.
    QVariant itemForObject(const pf::Ref<pf::Object>& object) const;

    // Keeping the outline in step ----------------------------------------------------------------
    void selectionChangedInDrawingLayer(PWLayer* layer);
    void objectsChangedInDrawinglayer(PWLayer* layer, const QString& change);
    void objectOrderChangedInDrawingLayer(PWLayer* layer, const QVariantMap& changeInfo);
    void layersAddedOrRemovedInLayerGroup(PWLayerGroup* group, const QString& name, const QVariantMap& changeInfo);
    void selectionColourChangedForLayer(PWLayer* layer);
    void synchroniseSelectionFromLayer(PWObjectDrawingLayer* layer);

    // Queries ------------------------------------------------------------------------------------------
    pf::Ref<PWLayerGroup> selectedParentGroup();
    pf::Ref<PWLayer> selectedLayer();
    bool canAddLayerOrGroup();
    bool canDeleteLayerOrGroup();
    bool canDuplicateLayerOrGroup();
    // Whether a copy of the layer can be made: not of the drawing, the grid, the guides or
    // the slices layer, of which a drawing holds one.
    static bool layerCanBeDuplicated(const PWLayer& layer);

    // Actions ------------------------------------------------------------------------------------------
    void addLayerAction(const QVariant& sender);
    void addlayerGroupAction(const QVariant& sender);
    void duplicateLayerAction(const QVariant& sender);
    void deleteLayerAction(const QVariant& sender);
    void toggleShowsRootAction(const QVariant& sender);
    void toggleActiveFollowsSelectionAction(const QVariant& sender);
    void toggleCompactRowsAction(const QVariant& sender);
    void toggleShowsGraphicObjectsAction(const QVariant& sender);
    void collapseAllAction(const QVariant& sender);
    void expandAllAction(const QVariant& sender);
    void doubleClickAction(const QVariant& sender);
    void layersEditorHelpAction(const QVariant& sender);
    // The "..." button at the foot of the panel: pops the panel's menu up under it.
    void showPanelMenuAction(const QVariant& sender);
    pf::Button* panelMenuButton() const;
    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) override;

    // View ------------------------------------------------------------------------------------------------
    void loadView() override;
    // The panel's own menu (the outline's row menu).
    pf::Ref<pf::Menu> rowMenu() const { return mRowMenu; }

    // Outline data source ------------------------------------------------------------------------------
    int numberOfChildrenOfItem(pf::OutlineView& outline, const QVariant& item) override;
    QVariant child(pf::OutlineView& outline, int index, const QVariant& item) override;
    bool isItemExpandable(pf::OutlineView& outline, const QVariant& item) override;
    QVariant objectValueForTableColumn(pf::OutlineView& outline, pf::TableColumn* column, const QVariant& item) override;
    bool writeItems(pf::OutlineView& outline, const QVariantList& items, pf::Pasteboard& pasteboard) override;
    unsigned validateDrop(pf::OutlineView& outline, const pf::DraggingInfo& info, const QVariant& item,
                          int childIndex) override;
    bool acceptDrop(pf::OutlineView& outline, const pf::DraggingInfo& info, const QVariant& item, int childIndex) override;

    // Outline delegate ----------------------------------------------------------------------------------
    pf::View* viewForTableColumn(pf::OutlineView& outline, pf::TableColumn* column, const QVariant& item) override;
    pf::TableRowView* rowViewForItem(pf::OutlineView& outline, const QVariant& item) override;
    pf::IndexSet selectionIndexesForProposedSelection(pf::OutlineView& outline, const pf::IndexSet& proposed) override;
    void selectionDidChange(pf::OutlineView& outline) override;
    double heightOfRowByItem(pf::OutlineView& outline, const QVariant& item) override;
    void itemDidExpand(pf::OutlineView& outline, const QVariant& item) override;

    // Menu delegate -----------------------------------------------------------------------------------------
    void menuNeedsUpdate(pf::Menu& menu) override;

    // Names the undo step of an edit made in the panel (a row's own fields included).
    void setUndoActionName(const QString& name) const;

private:
    void buildView();
    void observeDrawing(const pf::Ref<PWDrawing>& drawing);
    void stopObservingDrawing();
    // Whether a notification's layer belongs to the drawing shown.
    bool isShownLayer(const PWLayer* layer) const;
    void activeLayerChanged();
    void objectsChangedInSlicesLayer(PWLayer* slicesLayer);
    void layersReordered(PWLayerGroup* group);
    // The outline item of a group: the root item for the drawing while it is not shown.
    QVariant outlineItemForGroup(const PWLayerGroup* group) const;
    bool itemHasRow(const QVariant& item);
    bool isItemExpandedInOutline(const QVariant& item);
    void selectItemAlone(const QVariant& item);
    void synchroniseSelectionToLayer(const pf::IndexSet& rows, PWObjectDrawingLayer* layer);
    void updateDeleteButton();
    void refreshActiveColumn();
    // Makes a new layer of the class the delegate names (or the default) for `selector`.
    pf::Ref<PWLayer> newLayerForDelegateQuery(const QString& selector, const pf::Class& fallback);

    pf::Weak<PWDrawing> mDrawing;
    QPointer<VNQLCustomHighlightOutlineView> mOutlineView;
    pf::Weak<pf::Object> mDelegateRef;
    QPointer<pf::Button> mDeleteButton;
    QPointer<pf::Button> mPanelMenuButton;
    pf::Ref<pf::Popover> mLayerOpacityPopover;
    bool mShowRootLevel = true;
    bool mActiveFollowsSel = true;
    bool mCompactRows = false;
    bool mIsRespondingToSelectionChange = false;
    bool mIsMovingLayer = false;

    pf::Ref<pf::Menu> mRowMenu;
    // The items the clicked row's cell added to the row menu last time.
    QList<pf::Ref<pf::MenuItem>> mCellMenuItems;
    QList<quint64> mObservations;
};
