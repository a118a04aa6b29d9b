#include "inspectors/VNQLLayersController.h"

#include "drawing/PWDrawing+SlicesLayer.h"
#include "drawing/PWXSlice.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "inspectors/PWLayer+VNQLAuxiliaryInfoString.h"
#include "inspectors/VNQLActiveLayerCellView.h"
#include "inspectors/VNQLGraphicObjectCellView.h"
#include "inspectors/VNQLLayerCellView.h"
#include "inspectors/VNQLLayerOpacityPopoverController.h"
#include "inspectors/VNQLLayerRowView.h"
#include "inspectors/VNQLLayersRowCell.h"
#include "inspectors/VNQLSliceCellView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Alert.h"
#include "platform/ui/AnimationContext.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Button.h"
#include "platform/ui/Document.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Popover.h"
#include "platform/ui/TableColumn.h"
#include "platform/ui/UserInterfaceItem.h"
#include "widgets/Color+VNQLApplicationColors.h"
#include "widgets/VNQLCustomHighlightOutlineView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QPalette>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLLayersController", text);
}

template <class T>
pf::Ref<T> as(const QVariant& item)
{
    return pf::fromVariant<pf::Ref<T>>(item);
}

template <class T>
QVariant itemOf(const pf::Ref<T>& object)
{
    return pf::toVariant(object);
}

// Keeps the name column as wide as the outline leaves beside the active-layer column.
class ColumnFitter : public QObject {
public:
    ColumnFitter(pf::TableView* table, pf::TableColumn* fill, pf::TableColumn* fixed)
        : QObject(table), m_table(table), m_fill(fill), m_fixed(fixed)
    {
        table->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_table && event->type() == QEvent::Resize) {
            const double width = std::max(60.0, m_table->visibleRowWidth() - m_fixed->width() - 4);
            if (std::abs(width - m_fill->width()) > 0.5)
                m_fill->setWidth(width);
        }
        return false;
    }

private:
    pf::TableView* m_table;
    pf::TableColumn* m_fill;
    pf::TableColumn* m_fixed;
};

QVariantList& sharedDraggedItems()
{
    static QVariantList items;
    return items;
}

// Whether `layer` is `ancestor` or lies inside it.
bool isSelfOrInside(const PWLayer* layer, const PWLayer* ancestor)
{
    for (const PWLayer* l = layer; l; l = l->layerGroup().get())
        if (l == ancestor)
            return true;
    return false;
}

} // namespace

const QString VNQLLayersController::kMainColumn = QStringLiteral("Layers_Main");
const QString VNQLLayersController::kActiveColumn = QStringLiteral("Layer_Active");
const QString VNQLLayersController::kGraphicsViewIdentifier = QStringLiteral("VNQL_Graphics_View");
const QString VNQLLayersController::kSliceViewIdentifier = QStringLiteral("VNQL_Slice_View");

PF_DEFINE_CLASS(VNQLLayersController, VNQLTabContentViewController)
{
    b.method("setDrawing:", std::function<QVariant(VNQLLayersController&, const QVariantList&)>(
                                [](VNQLLayersController& self, const QVariantList& arguments) {
                                    self.setDrawing(as<PWDrawing>(arguments.value(0)));
                                    return QVariant();
                                }));
    b.method("drawing", std::function<QVariant(VNQLLayersController&, const QVariantList&)>(
                            [](VNQLLayersController& self, const QVariantList&) { return itemOf(self.drawing()); }));
    b.method("setDelegate:", std::function<QVariant(VNQLLayersController&, const QVariantList&)>(
                                 [](VNQLLayersController& self, const QVariantList& arguments) {
                                     self.setDelegate(pf::objectFromVariant(arguments.value(0)));
                                     return QVariant();
                                 }));
    b.method("canAddLayerOrGroup", &VNQLLayersController::canAddLayerOrGroup);
    b.method("canDeleteLayerOrGroup", &VNQLLayersController::canDeleteLayerOrGroup);
    b.method("canDuplicateLayerOrGroup", &VNQLLayersController::canDuplicateLayerOrGroup);
    b.method("addLayerAction:", &VNQLLayersController::addLayerAction);
    b.method("addlayerGroupAction:", &VNQLLayersController::addlayerGroupAction);
    b.method("duplicateLayerAction:", &VNQLLayersController::duplicateLayerAction);
    b.method("deleteLayerAction:", &VNQLLayersController::deleteLayerAction);
    b.method("toggleShowsRootAction:", &VNQLLayersController::toggleShowsRootAction);
    b.method("toggleActiveFollowsSelectionAction:", &VNQLLayersController::toggleActiveFollowsSelectionAction);
    b.method("toggleCompactRowsAction:", &VNQLLayersController::toggleCompactRowsAction);
    b.method("toggleShowsGraphicObjectsAction:", &VNQLLayersController::toggleShowsGraphicObjectsAction);
    b.method("collapseAllAction:", &VNQLLayersController::collapseAllAction);
    b.method("expandAllAction:", &VNQLLayersController::expandAllAction);
    b.method("doubleClickAction:", &VNQLLayersController::doubleClickAction);
    b.method("layersEditorHelpAction:", &VNQLLayersController::layersEditorHelpAction);
    b.method("showPanelMenuAction:", &VNQLLayersController::showPanelMenuAction);
    b.property("showsRoot", &VNQLLayersController::showsRoot);
    b.property("activeFollowsSelection", &VNQLLayersController::activeFollowsSelection,
               &VNQLLayersController::setActiveFollowsSelection);
    b.property("compactRows", &VNQLLayersController::compactRows, &VNQLLayersController::setCompactRows);
    b.property("showsGraphicObjects", &VNQLLayersController::showsGraphicObjects,
               &VNQLLayersController::setShowsGraphicObjects);
}

VNQLLayersController::VNQLLayersController(const QString& nibName) : VNQLTabContentViewController(nibName)
{
    PWLayerVNQLAuxiliaryInfoString::install();
    mShowRootLevel = showsTopLevelDefault();
    mCompactRows = compactRowsDefault();
    mActiveFollowsSel = activeFollowsSelectionDefault();
    setTitle(tr("Layers"));
    setTabIcon(QStringLiteral("VN_Layer_Group-Template"));
    setTabTooltip(tr("Layers"));
}

VNQLLayersController::~VNQLLayersController()
{
    stopObservingDrawing();
    pf::RunLoop::main().cancelPreviousPerformRequests(this);
    if (mOutlineView) {
        mOutlineView->setDataSource(nullptr);
        mOutlineView->setDelegate(nullptr);
    }
}

// --- Class defaults ---------------------------------------------------------------------------------

namespace {

bool boolDefault(const QString& key, bool fallback)
{
    const QVariant value = pf::UserDefaults::standard().objectForKey(key);
    return value.isValid() ? pf::variantToBool(value) : fallback;
}

} // namespace

bool VNQLLayersController::compactRowsDefault()
{
    return boolDefault(kVNQLLayersControllerCompactView, false);
}

void VNQLLayersController::setCompactRowsDefault(bool compact)
{
    pf::UserDefaults::standard().setBool(compact, kVNQLLayersControllerCompactView);
}

bool VNQLLayersController::showsTopLevelDefault()
{
    return boolDefault(kVNQLLayersControllerShowsTopLevel, true);
}

void VNQLLayersController::setShowsTopLevelDefault(bool shows)
{
    pf::UserDefaults::standard().setBool(shows, kVNQLLayersControllerShowsTopLevel);
}

bool VNQLLayersController::activeFollowsSelectionDefault()
{
    return boolDefault(kVNQLLayersControllerActiveFollowsSelection, true);
}

void VNQLLayersController::setActiveFollowsSelectionDefault(bool follows)
{
    pf::UserDefaults::standard().setBool(follows, kVNQLLayersControllerActiveFollowsSelection);
}

QVariantList VNQLLayersController::draggedItems()
{
    return sharedDraggedItems();
}

void VNQLLayersController::setDraggedItems(const QVariantList& items)
{
    sharedDraggedItems() = items;
}

bool VNQLLayersController::showsGraphicObjects() const
{
    return boolDefault(kVNQLLayersControllerShowsGraphicObjects, true);
}

void VNQLLayersController::setShowsGraphicObjects(bool shows)
{
    pf::UserDefaults::standard().setBool(shows, kVNQLLayersControllerShowsGraphicObjects);
    if (mOutlineView)
        mOutlineView->reloadData();
}

// --- View -------------------------------------------------------------------------------------------

void VNQLLayersController::loadView()
{
    buildView();
}

VNQLCustomHighlightOutlineView* VNQLLayersController::outlineView()
{
    view();
    return mOutlineView;
}

void VNQLLayersController::buildView()
{
    auto* root = new QWidget;
    auto* layout = new QVBoxLayout(root);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* outline = new VNQLCustomHighlightOutlineView(root);
    mOutlineView = outline;
    outline->setViewBased(true);
    outline->setHeaderVisible(false);
    auto main = pf::TableColumn::make(kMainColumn);
    main->setWidth(200);
    outline->addTableColumn(main);
    auto active = pf::TableColumn::make(kActiveColumn);
    active->setWidth(24);
    outline->addTableColumn(active);
    outline->setOutlineTableColumn(main.get());
    new ColumnFitter(outline, main.get(), active.get());
    outline->setIndentationPerLevel(12);

    outline->registerViewFactory(kMainColumn, [] { return new VNQLLayerCellView; });
    outline->registerViewFactory(kActiveColumn, [] { return new VNQLActiveLayerCellView; });
    outline->registerViewFactory(kGraphicsViewIdentifier, [] { return new VNQLGraphicObjectCellView; });
    outline->registerViewFactory(kSliceViewIdentifier, [] { return new VNQLSliceCellView; });

    // Vertical mouse motion may begin a drag; only the two drag types are taken.
    outline->setVerticalMotionCanBeginDrag(true);
    outline->registerForDraggedTypes({kVNQLLayerDragPasteboardType, kVNQLDrawableRowPasteboardType});
    outline->setDraggingSourceOperationMask(pf::DragOperationEvery, true);
    outline->setDelegate(this);
    outline->setTarget(this);
    outline->setDoubleAction(QStringLiteral("doubleClickAction:"));
    QPalette palette = outline->palette();
    palette.setColor(QPalette::Window, VNQLWindowBackgroundColour().qColor());
    outline->setPalette(palette);
    outline->setDataSource(this);
    layout->addWidget(outline, 1);

    // The panel's menu: the cells add their own items above these for the clicked row.
    mRowMenu = pf::Menu::make(tr("Layers"));
    mRowMenu->setDelegate(this);
    auto add = [this](const char* title, const QString& action) {
        pf::Ref<pf::MenuItem> item = mRowMenu->addItem(tr(title), action);
        item->setTarget(this);
    };
    add("New Layer", QStringLiteral("addLayerAction:"));
    add("New Layer Group", QStringLiteral("addlayerGroupAction:"));
    add("Duplicate Layer", QStringLiteral("duplicateLayerAction:"));
    add("Delete Layer...", QStringLiteral("deleteLayerAction:"));
    mRowMenu->addItem(pf::MenuItem::separator());
    add("Hide Top Level", QStringLiteral("toggleShowsRootAction:"));
    add("Active Layer Follows Selection", QStringLiteral("toggleActiveFollowsSelectionAction:"));
    add("Compact View", QStringLiteral("toggleCompactRowsAction:"));
    add("Show Objects", QStringLiteral("toggleShowsGraphicObjectsAction:"));
    mRowMenu->addItem(pf::MenuItem::separator());
    add("Collapse All", QStringLiteral("collapseAllAction:"));
    add("Expand All", QStringLiteral("expandAllAction:"));
    mRowMenu->addItem(pf::MenuItem::separator());
    add("Layers Help", QStringLiteral("layersEditorHelpAction:"));
    outline->setMenu(mRowMenu);

    // The button bar: add layer, add group, delete, and the panel's menu.
    auto* bar = new QWidget(root);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 2, 4, 2);
    barLayout->setSpacing(2);
    auto button = [this, bar, barLayout](const QString& title, const QString& action, const char* tip) {
        pf::Button* b = pf::Button::pushButton(title, bar);
        b->setBezelStyle(pf::BezelStyle::SmallSquare);
        b->setTarget(this);
        b->setAction(action);
        b->setToolTip(tr(tip));
        b->setFixedSize(28, 22);
        barLayout->addWidget(b);
        return b;
    };
    button(QStringLiteral("+"), QStringLiteral("addLayerAction:"), "New Layer");
    button(QStringLiteral("\u229E"), QStringLiteral("addlayerGroupAction:"), "New Layer Group");
    mDeleteButton = button(QStringLiteral("\u2212"), QStringLiteral("deleteLayerAction:"), "Delete Layer");
    barLayout->addStretch(1);
    // A click shows the panel's menu at once (a held press would, too, with a delay).
    mPanelMenuButton = button(QStringLiteral("\u2026"), QStringLiteral("showPanelMenuAction:"), "Layers panel options");
    layout->addWidget(bar);

    setView(root);
    updateDeleteButton();
}

pf::Ref<pf::Popover> VNQLLayersController::opacityPopover()
{
    if (!mLayerOpacityPopover) {
        mLayerOpacityPopover = std::make_shared<pf::Popover>();
        mLayerOpacityPopover->setContentViewController(std::make_shared<VNQLLayerOpacityPopoverController>());
        mLayerOpacityPopover->setBehavior(1); // transient
    }
    return mLayerOpacityPopover;
}

// --- Drawing ----------------------------------------------------------------------------------------

void VNQLLayersController::setDrawing(const pf::Ref<PWDrawing>& drawing)
{
    stopObservingDrawing();
    mDrawing = drawing;
    if (!drawing) {
        if (mOutlineView)
            mOutlineView->reloadData();
        return;
    }
    outlineView();
    mOutlineView->reloadData();
    if (mShowRootLevel)
        mOutlineView->expandItem(itemOf(drawing));
    observeDrawing(drawing);
    updateDeleteButton();
}

void VNQLLayersController::observeDrawing(const pf::Ref<PWDrawing>& drawing)
{
    auto& centre = pf::NotificationCenter::defaultCenter();
    pf::Weak<VNQLLayersController> weak = std::static_pointer_cast<VNQLLayersController>(shared_from_this());
    auto on = [&](const QString& name, const pf::Reflective* object, std::function<void(VNQLLayersController&, const pf::Notification&)> fn) {
        mObservations.append(centre.addObserver(name, object, [weak, fn](const pf::Notification& n) {
            if (auto self = weak.lock())
                fn(*self, n);
        }));
    };
    on(kPWDrawingActiveLayerDidChange, drawing.get(), [](VNQLLayersController& self, const pf::Notification&) {
        self.activeLayerChanged();
    });
    if (pf::Ref<VNQLSlicesLayer> slices = slicesLayer(*drawing)) {
        for (const QString& name : {kVNQLSlicesLayerDidAddSlice, kVNQLSlicesLayerDidRemoveSlice})
            on(name, slices.get(), [](VNQLLayersController& self, const pf::Notification& n) {
                self.objectsChangedInSlicesLayer(dynamic_cast<PWLayer*>(n.object));
            });
    }
    // Every layer of the drawing is heard, whether or not its row is in sight, so the outline
    // never goes stale for rows scrolled away.
    auto layerOf = [](const pf::Notification& n) { return dynamic_cast<PWLayer*>(n.object); };
    on(kPWLayerSelectionDidChange, nullptr, [layerOf](VNQLLayersController& self, const pf::Notification& n) {
        if (PWLayer* layer = layerOf(n); layer && self.isShownLayer(layer))
            self.selectionChangedInDrawingLayer(layer);
    });
    for (const QString& name : {kPWLayerDidAddObject, kPWLayerDidRemoveObject})
        on(name, nullptr, [layerOf](VNQLLayersController& self, const pf::Notification& n) {
            if (PWLayer* layer = layerOf(n); layer && self.isShownLayer(layer))
                self.objectsChangedInDrawinglayer(layer, n.name);
        });
    on(kPWLayerDidReorderObjects, nullptr, [layerOf](VNQLLayersController& self, const pf::Notification& n) {
        if (PWLayer* layer = layerOf(n); layer && self.isShownLayer(layer))
            self.objectOrderChangedInDrawingLayer(layer, n.userInfo);
    });
    for (const QString& name : {kPWLayerGroupDidAddLayer, kPWLayerGroupDidRemoveLayer})
        on(name, nullptr, [](VNQLLayersController& self, const pf::Notification& n) {
            auto* group = dynamic_cast<PWLayerGroup*>(n.object);
            if (group && self.isShownLayer(group))
                self.layersAddedOrRemovedInLayerGroup(group, n.name, n.userInfo);
        });
    on(kPWLayerGroupDidReorderLayers, nullptr, [](VNQLLayersController& self, const pf::Notification& n) {
        auto* group = dynamic_cast<PWLayerGroup*>(n.object);
        if (group && self.isShownLayer(group))
            self.layersReordered(group);
    });
}

void VNQLLayersController::stopObservingDrawing()
{
    auto& centre = pf::NotificationCenter::defaultCenter();
    for (quint64 token : std::as_const(mObservations))
        centre.removeObserver(token);
    mObservations.clear();
}

bool VNQLLayersController::isShownLayer(const PWLayer* layer) const
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    return drawing && layer && layer->drawing() == drawing.get();
}

// --- Outline data source ----------------------------------------------------------------------------

int VNQLLayersController::numberOfChildrenOfItem(pf::OutlineView&, const QVariant& item)
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!drawing)
        return 0;
    if (!item.isValid())
        return mShowRootLevel ? 1 : int(drawing->countOfLayers());
    if (auto group = as<PWLayerGroup>(item))
        return int(group->countOfLayers());
    if (!showsGraphicObjects())
        return 0;
    if (auto layer = as<PWObjectDrawingLayer>(item))
        return int(layer->countOfObjects());
    if (auto slices = as<VNQLSlicesLayer>(item))
        return int(slices->countOfSlices());
    return 0;
}

QVariant VNQLLayersController::child(pf::OutlineView& outline, int index, const QVariant& item)
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!drawing || index < 0 || index >= numberOfChildrenOfItem(outline, item))
        return {};
    if (!item.isValid())
        return mShowRootLevel ? itemOf(drawing) : itemOf(drawing->objectInLayersAtIndex(index));
    if (auto group = as<PWLayerGroup>(item))
        return itemOf(group->objectInLayersAtIndex(index));
    if (auto layer = as<PWObjectDrawingLayer>(item))
        return itemOf(layer->objectInObjectsAtIndex(layer->countOfObjects() - 1 - index));
    if (auto slices = as<VNQLSlicesLayer>(item))
        return itemOf(slices->slices().at(slices->countOfSlices() - 1 - index));
    return {};
}

bool VNQLLayersController::isItemExpandable(pf::OutlineView& outline, const QVariant& item)
{
    if (as<PWLayerGroup>(item))
        return true;
    return numberOfChildrenOfItem(outline, item) > 0;
}

QVariant VNQLLayersController::objectValueForTableColumn(pf::OutlineView&, pf::TableColumn*, const QVariant& item)
{
    if (!item.isValid())
        return mShowRootLevel ? itemOf(drawing()) : QVariant();
    return item;
}

QVariant VNQLLayersController::itemForObject(const pf::Ref<pf::Object>& object) const
{
    return object ? pf::toVariant(object) : QVariant();
}

// --- Outline delegate -------------------------------------------------------------------------------

pf::View* VNQLLayersController::viewForTableColumn(pf::OutlineView& outline, pf::TableColumn* column,
                                                    const QVariant& item)
{
    if (!column)
        return nullptr;
    QString identifier = column->identifier();
    if (identifier == kMainColumn) {
        if (as<PWDrawableObject>(item))
            identifier = kGraphicsViewIdentifier;
        else if (as<PWXSlice>(item))
            identifier = kSliceViewIdentifier;
    }
    pf::View* view = outline.makeViewWithIdentifier(identifier, this);
    if (!view)
        return nullptr;
    if (auto* cell = qobject_cast<pf::TableCellView*>(view))
        cell->setObjectValue(item.isValid() ? item : objectValueForTableColumn(outline, column, item));
    if (auto* layerCell = qobject_cast<VNQLLayerCellView*>(view))
        layerCell->setLayersController(this);
    else if (auto* activeCell = qobject_cast<VNQLActiveLayerCellView*>(view))
        activeCell->setLayersController(this);
    return view;
}

pf::TableRowView* VNQLLayersController::rowViewForItem(pf::OutlineView& outline, const QVariant&)
{
    auto* rowView = new VNQLLayerRowView(QRectF(0, 0, 100, 100));
    rowView->setOutlineView(&outline);
    return rowView;
}

double VNQLLayersController::heightOfRowByItem(pf::OutlineView&, const QVariant& item)
{
    if (mCompactRows)
        return kCompactRowHeight;
    return as<PWLayer>(item) ? kLayerRowHeight : kCompactRowHeight;
}

pf::IndexSet VNQLLayersController::selectionIndexesForProposedSelection(pf::OutlineView& outline,
                                                                         const pf::IndexSet& proposed)
{
    if (proposed.count() < 2)
        return proposed;
    // Several rows only when they are all objects of one layer.
    const PWLayer* layer = nullptr;
    bool acceptable = true;
    proposed.forEach([&](qint64 row) {
        auto object = as<PWDrawableObject>(outline.itemAtRow(int(row)));
        if (!object || !object->layer() || (layer && object->layer() != layer))
            acceptable = false;
        else
            layer = object->layer();
    });
    if (acceptable)
        return proposed;
    return outline.selectedRowIndexes();
}

void VNQLLayersController::selectionDidChange(pf::OutlineView& outline)
{
    const pf::IndexSet rows = outline.selectedRowIndexes();
    if (auto* custom = qobject_cast<VNQLCustomHighlightOutlineView*>(&outline))
        custom->invalidateCustomRowsAtIndexes(rows);
    if (rows.count() > 0) {
        const QVariant item = outline.itemAtRow(int(rows.firstIndex()));
        auto object = as<PWDrawableObject>(item);
        if (mActiveFollowsSel && !mIsRespondingToSelectionChange) {
            if (auto layer = as<PWLayer>(item))
                layer->attemptToMakeActive();
            else if (object && object->layer())
                object->layer()->attemptToMakeActive();
        }
        if (object)
            synchroniseSelectionToLayer(rows, dynamic_cast<PWObjectDrawingLayer*>(object->layer()));
    }
    updateDeleteButton();
}

void VNQLLayersController::synchroniseSelectionToLayer(const pf::IndexSet& rows, PWObjectDrawingLayer* layer)
{
    if (mIsRespondingToSelectionChange || !layer || !mOutlineView)
        return;
    const int layerRow = mOutlineView->rowForItem(itemOf(layer->ref<PWObjectDrawingLayer>()));
    if (layerRow < 0)
        return;
    const qint64 count = layer->countOfObjects();
    PWObjectOwnerLayer::ObjectList objects;
    rows.forEach([&](qint64 row) {
        const qint64 index = count + layerRow - row;
        if (index >= 0 && index < count)
            objects.append(layer->objectInObjectsAtIndex(index));
    });
    layer->exchangeSelectionWithObjectsFromArray(objects);
    if (!objects.isEmpty())
        layer->scrollToSelectionInView(nullptr);
}

void VNQLLayersController::itemDidExpand(pf::OutlineView&, const QVariant& item)
{
    if (auto layer = as<PWObjectDrawingLayer>(item))
        synchroniseSelectionFromLayer(layer.get());
}

// --- Selection, drawing to outline ----------------------------------------------------------------

void VNQLLayersController::selectionChangedInDrawingLayer(PWLayer* layer)
{
    auto* objectLayer = dynamic_cast<PWObjectDrawingLayer*>(layer);
    if (!objectLayer || !objectLayer->isActiveLayer() || !showsGraphicObjects() || !mOutlineView)
        return;
    if (!isItemExpandedInOutline(itemOf(objectLayer->ref<PWObjectDrawingLayer>())))
        return;
    mOutlineView->setAllowsMultipleSelection(true);
    synchroniseSelectionFromLayer(objectLayer);
}

void VNQLLayersController::synchroniseSelectionFromLayer(PWObjectDrawingLayer* layer)
{
    if (mIsRespondingToSelectionChange || !layer || !mOutlineView)
        return;
    const int layerRow = mOutlineView->rowForItem(itemOf(layer->ref<PWObjectDrawingLayer>()));
    if (layerRow < 0 || !mOutlineView->isItemExpanded(itemOf(layer->ref<PWObjectDrawingLayer>())))
        return;
    mIsRespondingToSelectionChange = true;
    pf::IndexSet rows;
    const qint64 count = layer->countOfObjects();
    for (qint64 k = 1; k <= count; ++k) {
        if (layer->isSelectedObject(layer->objectInObjectsAtIndex(count - k).get()))
            rows.add(layerRow + k);
    }
    mOutlineView->selectRowIndexes(rows, false);
    if (rows.count() > 0) {
        const int first = int(rows.firstIndex());
        if (!mOutlineView->visibleRect().contains(mOutlineView->rectOfRow(first)))
            mOutlineView->scrollRowToVisible(first);
    }
    mIsRespondingToSelectionChange = false;
}

// --- Keeping the outline in step ----------------------------------------------------------------------

bool VNQLLayersController::itemHasRow(const QVariant& item)
{
    return mOutlineView && mOutlineView->rowForItem(item) >= 0;
}

bool VNQLLayersController::isItemExpandedInOutline(const QVariant& item)
{
    return itemHasRow(item) && mOutlineView->isItemExpanded(item);
}

QVariant VNQLLayersController::outlineItemForGroup(const PWLayerGroup* group) const
{
    if (!group)
        return {};
    if (dynamic_cast<const PWDrawing*>(group) && !mShowRootLevel)
        return {};
    return itemOf(const_cast<PWLayerGroup*>(group)->ref<PWLayerGroup>());
}

void VNQLLayersController::objectsChangedInDrawinglayer(PWLayer* layer, const QString&)
{
    if (!showsGraphicObjects() || !layer || !mOutlineView)
        return;
    const QVariant item = itemOf(layer->ref<PWLayer>());
    if (!itemHasRow(item))
        return;
    mOutlineView->reloadItem(item, true);
    if (auto* objectLayer = dynamic_cast<PWObjectDrawingLayer*>(layer); objectLayer && mOutlineView->isItemExpanded(item))
        synchroniseSelectionFromLayer(objectLayer);
}

void VNQLLayersController::objectsChangedInSlicesLayer(PWLayer* slicesLayer)
{
    if (!showsGraphicObjects() || !slicesLayer || !mOutlineView)
        return;
    const QVariant item = itemOf(slicesLayer->ref<PWLayer>());
    if (itemHasRow(item))
        mOutlineView->reloadItem(item, true);
}

void VNQLLayersController::objectOrderChangedInDrawingLayer(PWLayer* layer, const QVariantMap& changeInfo)
{
    auto* objectLayer = dynamic_cast<PWObjectDrawingLayer*>(layer);
    if (!showsGraphicObjects() || !objectLayer || !mOutlineView)
        return;
    const QVariant item = itemOf(objectLayer->ref<PWObjectDrawingLayer>());
    if (!itemHasRow(item))
        return;
    const qint64 count = objectLayer->countOfObjects();
    bool okOld = false, okNew = false;
    const qint64 oldIndex = changeInfo.value(QStringLiteral("old_index")).toLongLong(&okOld);
    const qint64 newIndex = changeInfo.value(QStringLiteral("new_index")).toLongLong(&okNew);
    if (!mOutlineView->isItemExpanded(item) || !okOld || !okNew || oldIndex < 0 || newIndex < 0 || oldIndex >= count
        || newIndex >= count) {
        mOutlineView->reloadItem(item, true);
        return;
    }
    mOutlineView->moveItemAtIndex(int(count - 1 - oldIndex), item, int(count - 1 - newIndex), item);
}

void VNQLLayersController::layersAddedOrRemovedInLayerGroup(PWLayerGroup* group, const QString& name,
                                                           const QVariantMap& changeInfo)
{
    if (mIsMovingLayer || !group || !mOutlineView || !changeInfo.contains(kPWLayerKey))
        return;
    auto layer = as<PWLayer>(changeInfo.value(kPWLayerKey));
    const QVariant parent = outlineItemForGroup(group);
    if (!layer || (parent.isValid() && !itemHasRow(parent)))
        return;
    const QVariant layerItem = itemOf(layer);
    if (name == kPWLayerGroupDidRemoveLayer) {
        const int layerRow = mOutlineView->rowForItem(layerItem);
        if (layerRow < 0) {
            mOutlineView->reloadItem(parent, true);
            return;
        }
        const int parentRow = parent.isValid() ? mOutlineView->rowForItem(parent) : -1;
        if (layerRow <= parentRow)
            pf::raise(pf::NSInternalInconsistencyException,
                      QStringLiteral("bad index; cannot be negative (%1) itemRow=%2,parentRow=%3")
                          .arg(layerRow - parentRow - 1)
                          .arg(layerRow)
                          .arg(parentRow));
        const int childIndex = mOutlineView->childIndexForItem(layerItem);
        mOutlineView->removeItemsAtIndexes(pf::IndexSet(childIndex), parent);
    } else if (name == kPWLayerGroupDidAddLayer) {
        const qint64 index = group->indexOfLayer(layer.get());
        if (index < 0 || index >= group->countOfLayers())
            mOutlineView->reloadItem(parent, true);
        else
            mOutlineView->insertItemsAtIndexes(pf::IndexSet(index), parent);
    }
}

void VNQLLayersController::layersReordered(PWLayerGroup* group)
{
    if (mIsMovingLayer || !mOutlineView)
        return;
    const QVariant parent = outlineItemForGroup(group);
    if (!parent.isValid())
        mOutlineView->reloadData();
    else if (itemHasRow(parent))
        mOutlineView->reloadItem(parent, true);
}

void VNQLLayersController::activeLayerChanged()
{
    refreshActiveColumn();
}

void VNQLLayersController::refreshActiveColumn()
{
    if (!mOutlineView)
        return;
    const int column = mOutlineView->columnWithIdentifier(kActiveColumn);
    if (column < 0)
        return;
    mOutlineView->enumerateAvailableRowViews([column](pf::TableRowView* rowView, int) {
        if (auto* cell = qobject_cast<VNQLActiveLayerCellView*>(rowView->viewAtColumn(column)))
            cell->setObjectValue(cell->objectValue());
    });
}

void VNQLLayersController::selectionColourChangedForLayer(PWLayer* layer)
{
    if (!layer || !mOutlineView)
        return;
    const QVariant item = itemOf(layer->ref<PWLayer>());
    const int row = mOutlineView->rowForItem(item);
    if (row < 0)
        return;
    if (auto* rowView = qobject_cast<VNQLLayerRowView*>(mOutlineView->rowViewAtRow(row, false)))
        rowView->updateColourBar();
    if (layer->isActiveLayer()) {
        const int column = mOutlineView->columnWithIdentifier(kActiveColumn);
        if (auto* cell = qobject_cast<VNQLActiveLayerCellView*>(mOutlineView->viewAtColumn(column, row, false)))
            cell->setActiveColour(layer->selectionColour());
    }
    if (showsGraphicObjects() && dynamic_cast<PWObjectDrawingLayer*>(layer) && mOutlineView->isItemExpanded(item)) {
        const qint64 count = layer->countOfObjects();
        for (qint64 k = 1; k <= count; ++k)
            if (auto* rowView = qobject_cast<VNQLLayerRowView*>(mOutlineView->rowViewAtRow(int(row + k), false)))
                rowView->updateColourBar();
    }
}

// --- Rows and cells ----------------------------------------------------------------------------------------

pf::Ref<PWLayer> VNQLLayersController::layerForCellView(const pf::View* view)
{
    if (!mOutlineView || !view)
        return nullptr;
    const int row = mOutlineView->rowForView(view);
    return row < 0 ? nullptr : as<PWLayer>(mOutlineView->itemAtRow(row));
}

void VNQLLayersController::activateLayerWithRowView(pf::View* view)
{
    pf::Ref<PWLayer> layer = layerForCellView(view);
    if (!layer)
        return;
    layer->attemptToMakeActive();
    refreshActiveColumn();
}

void VNQLLayersController::reloadOutlineViewForView(pf::View* layerCellView)
{
    if (pf::Ref<PWLayer> layer = layerForCellView(layerCellView))
        mOutlineView->reloadItem(itemOf(layer), true);
}

pf::View* VNQLLayersController::layerCellViewForItem(const QVariant& item)
{
    if (!mOutlineView)
        return nullptr;
    const int row = mOutlineView->rowForItem(item);
    if (row < 0)
        return nullptr;
    return mOutlineView->viewAtColumn(mOutlineView->columnWithIdentifier(kMainColumn), row, true);
}

void VNQLLayersController::selectItemAlone(const QVariant& item)
{
    if (!mOutlineView)
        return;
    const int row = mOutlineView->rowForItem(item);
    if (row < 0)
        return;
    mOutlineView->selectRowIndexes(pf::IndexSet(row), false);
    mOutlineView->scrollRowToVisible(row);
}

void VNQLLayersController::updateDeleteButton()
{
    if (mDeleteButton)
        mDeleteButton->setEnabled(canDeleteLayerOrGroup());
}

void VNQLLayersController::setUndoActionName(const QString& name) const
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (RVUndoManager* undo = drawing ? drawing->undoManager() : nullptr)
        undo->setActionName(name);
}

// --- Queries -------------------------------------------------------------------------------------------------

pf::Ref<PWLayerGroup> VNQLLayersController::selectedParentGroup()
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    const int row = mOutlineView ? mOutlineView->selectedRow() : -1;
    if (row < 0)
        return drawing;
    const QVariant item = mOutlineView->itemAtRow(row);
    pf::Ref<PWLayerGroup> group;
    if (auto selected = as<PWLayerGroup>(item))
        group = selected;
    else if (auto object = as<PWDrawableObject>(item))
        group = object->layer() ? object->layer()->layerGroup() : nullptr;
    else if (auto slice = as<PWXSlice>(item))
        group = slice->slicesLayer() ? slice->slicesLayer()->layerGroup() : nullptr;
    else if (auto layer = as<PWLayer>(item))
        group = layer->layerGroup();
    return group ? group : drawing;
}

pf::Ref<PWLayer> VNQLLayersController::selectedLayer()
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    const int row = mOutlineView ? mOutlineView->selectedRow() : -1;
    if (row < 0)
        return drawing;
    const QVariant item = mOutlineView->itemAtRow(row);
    if (auto object = as<PWDrawableObject>(item))
        return object->layer() ? object->layer()->ref<PWLayer>() : nullptr;
    if (auto slice = as<PWXSlice>(item))
        return slice->slicesLayer() ? slice->slicesLayer()->ref<PWLayer>() : nullptr;
    return as<PWLayer>(item);
}

bool VNQLLayersController::canAddLayerOrGroup()
{
    pf::Ref<PWLayerGroup> group = selectedParentGroup();
    return group && !group->locked();
}

bool VNQLLayersController::canDeleteLayerOrGroup()
{
    pf::Ref<PWLayer> layer = selectedLayer();
    return layer && layer->layerMayBeDeleted();
}

bool VNQLLayersController::canDuplicateLayerOrGroup()
{
    pf::Ref<PWLayer> layer = selectedLayer();
    if (!layer || !layerCanBeDuplicated(*layer))
        return false;
    pf::Ref<PWLayerGroup> group = layer->layerGroup();
    return group && !group->locked();
}

bool VNQLLayersController::layerCanBeDuplicated(const PWLayer& layer)
{
    return !dynamic_cast<const PWDrawing*>(&layer) && !dynamic_cast<const PWGridLayer*>(&layer)
           && !dynamic_cast<const PWGuideLayer*>(&layer) && !dynamic_cast<const VNQLSlicesLayer*>(&layer);
}

// --- Delegate forwarding -----------------------------------------------------------------------------------------

namespace {

void tellDelegate(const pf::Ref<pf::Object>& delegate, const QString& selector, VNQLLayersController& controller,
                  const QVariant& argument)
{
    if (delegate && delegate->respondsTo(selector))
        delegate->perform(selector, {pf::toVariant(controller.ref<VNQLLayersController>()), argument});
}

} // namespace

void VNQLLayersController::delegateShowGridOptionsForLayer(const pf::Ref<PWLayer>& layer)
{
    tellDelegate(delegate(), QStringLiteral("layersController:showGridOptionsForLayer:"), *this, itemOf(layer));
}

void VNQLLayersController::delegateShowDrawingOptionsForDrawing(const pf::Ref<PWDrawing>& drawing)
{
    tellDelegate(delegate(), QStringLiteral("layersController:showDrawingOptionsForDrawing:"), *this, itemOf(drawing));
}

void VNQLLayersController::delegateShowExportOptionsForLayer(const pf::Ref<PWLayer>& layer)
{
    tellDelegate(delegate(), QStringLiteral("layersController:showExportOptionsForLayer:"), *this, itemOf(layer));
}

pf::Ref<PWLayer> VNQLLayersController::newLayerForDelegateQuery(const QString& selector, const pf::Class& fallback)
{
    const pf::Class* cls = &fallback;
    pf::Ref<pf::Object> delegate = this->delegate();
    if (delegate && delegate->respondsTo(selector)) {
        const QString name = delegate->perform(selector, {pf::toVariant(ref<VNQLLayersController>())}).toString();
        if (const pf::Class* named = pf::Class::named(name); named && named->isSubclassOf(fallback))
            cls = named;
    }
    return std::dynamic_pointer_cast<PWLayer>(cls->create());
}

// --- Adding, deleting, moving ---------------------------------------------------------------------------------------

bool VNQLLayersController::addLayer(const pf::Ref<PWLayer>& layer)
{
    PF_ASSERT(layer != nullptr, "invalid layer (nil)");
    pf::Ref<PWDrawing> drawing = this->drawing();
    QString name;
    if (std::dynamic_pointer_cast<PWLayerGroup>(layer))
        name = tr("Layer Group");
    else
        name = layer->layerName().isEmpty() ? tr("Drawing Layer") : layer->layerName();
    if (drawing)
        name = drawing->uniqueLayerNameForName(name);
    layer->setLayerName(name);
    pf::Ref<PWLayerGroup> parent = selectedParentGroup();
    if (!parent || parent->locked())
        return false;
    addLayerToGroup(layer, parent, true);
    return true;
}

void VNQLLayersController::addLayerToGroup(const pf::Ref<PWLayer>& layer, const pf::Ref<PWLayerGroup>& group, bool)
{
    PF_ASSERT(layer != nullptr, "invalid layer (nil)");
    pf::Ref<PWLayerGroup> destination = group ? group : std::static_pointer_cast<PWLayerGroup>(drawing());
    PF_ASSERT(destination != nullptr, "invalid destination group (nil)");
    const QVariant parent = outlineItemForGroup(destination.get());
    if (mOutlineView && parent.isValid())
        mOutlineView->expandItem(parent);
    if (!destination->insertLayer(layer, 0))
        return;
    layer->attemptToMakeActive();
    if (mOutlineView && dynamic_cast<PWDrawing*>(destination.get()) && !mShowRootLevel)
        mOutlineView->reloadData();
    selectItemAlone(itemOf(layer));
    // The name is opened for typing once the row has settled.
    pf::Weak<PWLayer> weakLayer = layer;
    pf::Weak<VNQLLayersController> weak = std::static_pointer_cast<VNQLLayersController>(shared_from_this());
    pf::RunLoop::main().perform([weak, weakLayer] {
        auto self = weak.lock();
        auto added = weakLayer.lock();
        if (!self || !added)
            return;
        if (auto* cell = qobject_cast<VNQLLayerCellView*>(self->layerCellViewForItem(itemOf(added))))
            cell->selectNameForEditing();
    }, 0.3);
    setUndoActionName(tr("Add Layer"));
}

void VNQLLayersController::confirmDeleteLayer(const pf::Ref<PWLayer>& layer)
{
    if (!layer || !layer->layerMayBeDeleted())
        return;
    QString message;
    QString information;
    if (auto group = std::dynamic_pointer_cast<PWLayerGroup>(layer)) {
        message = tr("Really delete the Layer Group \u201C%1\u201D?").arg(layer->layerName());
        information = tr("The group contains %1 layers.").arg(group->countOfLayers());
    } else {
        message = tr("Really delete the Layer \u201C%1\u201D?").arg(layer->layerName());
        if (dynamic_cast<PWObjectOwnerLayer*>(layer.get()))
            information = tr("The layer contains %1 objects.").arg(layer->countOfObjects());
    }
    pf::Ref<pf::Alert> alert = pf::Alert::legacy(message, tr("No"), tr("Delete"), QString(), information);
    QWidget* window = nullptr;
    if (auto* document = dynamic_cast<pf::Document*>(delegate().get()))
        window = document->windowForSheet();
    if (!window && isViewLoaded())
        window = view()->window();
    pf::Weak<VNQLLayersController> weak = std::static_pointer_cast<VNQLLayersController>(shared_from_this());
    pf::Weak<PWLayer> weakLayer = layer;
    alert->beginSheetModal(window, [weak, weakLayer](int returnCode) {
        auto self = weak.lock();
        auto doomed = weakLayer.lock();
        if (self && doomed && returnCode == pf::kAlertAlternateReturn)
            self->deleteLayer(doomed, true);
    });
}

void VNQLLayersController::deleteLayer(const pf::Ref<PWLayer>& layer, bool animated)
{
    PF_ASSERT(layer != nullptr, "invalid layer (nil)");
    pf::Ref<PWDrawing> drawing = this->drawing();
    pf::Ref<PWLayerGroup> group = layer->layerGroup();
    if (!group)
        group = drawing;
    PF_ASSERT(group != nullptr, "invalid layer group (nil)");
    const bool wasActive = layer->isActiveLayer();
    group->removeLayer(layer);
    if (wasActive && drawing)
        drawing->setActiveLayer(nullptr);
    if (!animated && mOutlineView)
        mOutlineView->reloadData();
    updateDeleteButton();
    setUndoActionName(tr("Delete Layer"));
}

bool VNQLLayersController::moveLayer(const pf::Ref<PWLayer>& layer, const pf::Ref<PWLayerGroup>& fromGroup,
                                     const pf::Ref<PWLayer>& toGroup, qint64 index, bool animated)
{
    PF_ASSERT(layer != nullptr, "invalid layer (nil)");
    pf::Ref<PWLayerGroup> source = fromGroup ? fromGroup : layer->layerGroup();
    pf::Ref<PWLayer> target = toGroup ? toGroup : std::static_pointer_cast<PWLayer>(drawing());
    auto destination = std::dynamic_pointer_cast<PWLayerGroup>(target);
    if (!destination || !source || destination->locked())
        return false;
    const qint64 oldIndex = source->indexOfLayer(layer.get());
    if (oldIndex < 0 || oldIndex >= source->countOfLayers())
        return false;
    // A group never goes inside itself: that would make a cycle and lose the group.
    if (isSelfOrInside(destination.get(), layer.get()))
        return false;
    const bool sameGroup = source == destination;
    if (index < 0 || index > destination->countOfLayers())
        return false;
    const qint64 newIndex = sameGroup && oldIndex < index ? index - 1 : index;
    if (sameGroup && newIndex >= destination->countOfLayers())
        return false;
    RVLog(kInfoEvent, QStringLiteral("moving layer '%1' from group '%2' (index %3) to group '%4' (index %5)")
                          .arg(layer->layerName(), source->layerName())
                          .arg(oldIndex)
                          .arg(destination->layerName())
                          .arg(newIndex));
    {
        mIsMovingLayer = true;
        struct Clear {
            bool& flag;
            ~Clear() { flag = false; }
        } clear{mIsMovingLayer};
        if (sameGroup) {
            destination->moveLayer(layer, newIndex);
        } else {
            const pf::Ref<PWLayer> held = layer;
            source->removeLayer(held);
            destination->insertLayer(held, newIndex);
        }
    }
    if (mOutlineView) {
        const QVariant from = outlineItemForGroup(source.get());
        const QVariant to = outlineItemForGroup(destination.get());
        if (animated && (!from.isValid() || itemHasRow(from)) && (!to.isValid() || itemHasRow(to))) {
            mOutlineView->moveItemAtIndex(int(oldIndex), from, int(newIndex), to);
        } else {
            mOutlineView->reloadData();
        }
        if (to.isValid())
            mOutlineView->expandItem(to);
        selectItemAlone(itemOf(layer));
    }
    setUndoActionName(tr("Move Layer"));
    return true;
}

bool VNQLLayersController::moveDrawables(const QList<pf::Ref<PWDrawableObject>>& objects,
                                         const pf::Ref<PWObjectDrawingLayer>& fromLayer,
                                         const pf::Ref<PWObjectDrawingLayer>& toLayer, qint64 index, bool animated)
{
    PF_ASSERT(!objects.isEmpty(), "invalid array of objects - array is empty");
    for (const auto& object : objects)
        PF_ASSERT(object != nullptr, "invalid objects array - must be a list of PWDrawableObjects");
    pf::Ref<PWObjectDrawingLayer> source = fromLayer;
    if (!source && objects.first()->layer())
        source = std::dynamic_pointer_cast<PWObjectDrawingLayer>(objects.first()->layer()->ref<PWLayer>());
    pf::Ref<PWObjectDrawingLayer> destination = toLayer ? toLayer : source;
    if (!source || !destination || destination->locked())
        return false;
    for (const auto& object : objects)
        if (object->layer() != source.get())
            return false;
    const qint64 count = destination->countOfObjects();
    if (index < 0 || index > count)
        return false;
    if (source != destination) {
        pf::IndexSet indexes;
        for (qint64 i = 0; i < objects.size(); ++i)
            indexes.add(count - index + i);
        source->removeObjectsAtIndexes(source->indexesOfObjectsInArray(objects));
        PWObjectOwnerLayer::ObjectList bottomFirst(objects.rbegin(), objects.rend());
        destination->insertObjects(bottomFirst, indexes);
        if (mActiveFollowsSel)
            destination->attemptToMakeActive();
        destination->exchangeSelectionWithObjectsFromArray(objects);
        if (RVUndoManager* undo = destination->undoManager())
            undo->setActionName(tr("Move Objects To Layer"));
    } else {
        if (animated && mOutlineView)
            mOutlineView->beginUpdates();
        source->moveObjectsInArray(objects, count - index);
        if (animated && mOutlineView)
            mOutlineView->endUpdates();
        if (RVUndoManager* undo = source->undoManager())
            undo->setActionName(tr("Change Object Order"));
    }
    if (!animated && mOutlineView)
        mOutlineView->reloadData();
    return true;
}

// --- Dragging -----------------------------------------------------------------------------------------------------

bool VNQLLayersController::writeItems(pf::OutlineView&, const QVariantList& items, pf::Pasteboard& pasteboard)
{
    if (items.isEmpty())
        return false;
    const QVariant first = items.first();
    if (as<PWDrawing>(first))
        return false;
    QString type;
    if (auto layer = as<PWLayer>(first)) {
        if (layer->locked())
            return false;
        type = kVNQLLayerDragPasteboardType;
    } else if (auto object = as<PWDrawableObject>(first)) {
        if (object->locked())
            return false;
        type = kVNQLDrawableRowPasteboardType;
    } else {
        // Slices stay in the slices layer; they are not moved by dragging rows.
        return false;
    }
    pasteboard.declareTypes({type});
    setDraggedItems(items);
    return true;
}

unsigned VNQLLayersController::validateDrop(pf::OutlineView& outline, const pf::DraggingInfo& info,
                                            const QVariant& item, int childIndex)
{
    RVLog(kReactiveEvent, QStringLiteral("proposed item: %1, proposed index %2").arg(pf::describe(item)).arg(childIndex));
    const QString type = info.draggingPasteboard()->availableTypeFromArray(
        {kVNQLLayerDragPasteboardType, kVNQLDrawableRowPasteboardType});
    const QVariantList dragged = draggedItems();
    if (type == kVNQLLayerDragPasteboardType) {
        auto layer = dragged.isEmpty() ? nullptr : as<PWLayer>(dragged.first());
        if (!layer)
            return pf::DragOperationNone;
        if (item.isValid() && !as<PWLayerGroup>(item))
            return pf::DragOperationNone;
        if (childIndex == -1 && (!item.isValid() || as<PWLayerGroup>(item) == layer->layerGroup()))
            return pf::DragOperationNone;
        if (childIndex != -1 && !item.isValid() && mShowRootLevel)
            return pf::DragOperationNone;
        pf::Ref<PWLayerGroup> target = item.isValid() ? as<PWLayerGroup>(item) : std::static_pointer_cast<PWLayerGroup>(drawing());
        if (!target || target->locked() || isSelfOrInside(target.get(), layer.get()))
            return pf::DragOperationNone;
        if (childIndex > target->countOfLayers())
            return pf::DragOperationNone;
        return pf::DragOperationGeneric;
    }
    if (type == kVNQLDrawableRowPasteboardType) {
        auto layer = as<PWObjectDrawingLayer>(item);
        if (!layer || layer->locked() || dragged.isEmpty())
            return pf::DragOperationNone;
        if (childIndex > layer->countOfObjects())
            return pf::DragOperationNone;
        if (childIndex == -1)
            outline.setDropItem(item, 0);
        return pf::DragOperationGeneric;
    }
    return pf::DragOperationNone;
}

bool VNQLLayersController::acceptDrop(pf::OutlineView&, const pf::DraggingInfo& info, const QVariant& item,
                                      int childIndex)
{
    const int index = childIndex == -1 ? 0 : childIndex;
    const QString type = info.draggingPasteboard()->availableTypeFromArray(
        {kVNQLLayerDragPasteboardType, kVNQLDrawableRowPasteboardType});
    const QVariantList dragged = draggedItems();
    setDraggedItems({});
    if (dragged.isEmpty())
        return false;
    try {
        if (type == kVNQLLayerDragPasteboardType) {
            auto layer = as<PWLayer>(dragged.first());
            return layer && moveLayer(layer, nullptr, as<PWLayer>(item), index, true);
        }
        if (type == kVNQLDrawableRowPasteboardType) {
            QList<pf::Ref<PWDrawableObject>> objects;
            for (const QVariant& d : dragged) {
                auto object = as<PWDrawableObject>(d);
                if (!object)
                    return false;
                objects.append(object);
            }
            auto layer = as<PWObjectDrawingLayer>(item);
            return layer && moveDrawables(objects, nullptr, layer, index, true);
        }
    } catch (const pf::Exception& exception) {
        RVLog(kInfoEvent, QStringLiteral("drop refused: %1").arg(exception.reason()));
    }
    return false;
}

// --- Actions -----------------------------------------------------------------------------------------------------------

void VNQLLayersController::addLayerAction(const QVariant&)
{
    if (!canAddLayerOrGroup())
        return;
    if (pf::Ref<PWLayer> layer = newLayerForDelegateQuery(QStringLiteral("layersControllerNeedsClassForDrawingLayers:"),
                                                          PWObjectDrawingLayer::staticClass()))
        addLayer(layer);
}

void VNQLLayersController::addlayerGroupAction(const QVariant&)
{
    if (!canAddLayerOrGroup())
        return;
    if (pf::Ref<PWLayer> group = newLayerForDelegateQuery(QStringLiteral("layersControllerNeedsClassForLayerGroup:"),
                                                          PWLayerGroup::staticClass()))
        addLayer(group);
}

void VNQLLayersController::duplicateLayerAction(const QVariant&)
{
    if (!canDuplicateLayerOrGroup())
        return;
    pf::Ref<PWLayer> layer = selectedLayer();
    pf::Ref<PWLayer> copy = layer ? layer->duplicateLayer() : nullptr;
    if (!copy)
        return;
    addLayer(copy);
    setUndoActionName(tr("Duplicate Layer"));
}

void VNQLLayersController::deleteLayerAction(const QVariant&)
{
    if (canDeleteLayerOrGroup())
        confirmDeleteLayer(selectedLayer());
}

void VNQLLayersController::toggleShowsRootAction(const QVariant&)
{
    mShowRootLevel = !mShowRootLevel;
    setShowsTopLevelDefault(mShowRootLevel);
    if (!mOutlineView)
        return;
    mOutlineView->reloadData();
    if (mShowRootLevel)
        mOutlineView->expandItem(itemOf(drawing()));
    updateDeleteButton();
}

void VNQLLayersController::toggleActiveFollowsSelectionAction(const QVariant&)
{
    mActiveFollowsSel = !mActiveFollowsSel;
    setActiveFollowsSelectionDefault(mActiveFollowsSel);
}

void VNQLLayersController::toggleCompactRowsAction(const QVariant&)
{
    setCompactRows(!mCompactRows);
}

void VNQLLayersController::setCompactRows(bool compact)
{
    mCompactRows = compact;
    setCompactRowsDefault(compact);
    if (!mOutlineView)
        return;
    pf::IndexSet layerRows;
    for (int row = 0; row < mOutlineView->numberOfRows(); ++row)
        if (as<PWLayer>(mOutlineView->itemAtRow(row)))
            layerRows.add(row);
    pf::AnimationContext::runAnimationGroup(0.5, [this, compact, layerRows] {
        mOutlineView->enumerateAvailableRowViews([compact](pf::TableRowView* rowView, int) {
            for (int column = 0; column < rowView->numberOfColumns(); ++column)
                if (auto* cell = dynamic_cast<VNQLLayersRowCell*>(rowView->viewAtColumn(column)))
                    cell->layoutViewsForSmallRowHeight(compact, true);
        });
        mOutlineView->noteHeightOfRowsWithIndexesChanged(layerRows);
    });
}

void VNQLLayersController::toggleShowsGraphicObjectsAction(const QVariant&)
{
    setShowsGraphicObjects(!showsGraphicObjects());
}

void VNQLLayersController::collapseAllAction(const QVariant&)
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!drawing || !mOutlineView)
        return;
    for (const auto& layer : drawing->layers()) {
        const QVariant item = itemOf(layer);
        if (itemHasRow(item) && mOutlineView->isExpandable(item))
            mOutlineView->collapseItem(item, true);
    }
}

void VNQLLayersController::expandAllAction(const QVariant&)
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!drawing || !mOutlineView)
        return;
    for (const auto& layer : drawing->layers()) {
        const QVariant item = itemOf(layer);
        if (itemHasRow(item) && mOutlineView->isExpandable(item))
            mOutlineView->expandItem(item, true);
    }
}

void VNQLLayersController::doubleClickAction(const QVariant&)
{
    if (!mOutlineView)
        return;
    const int row = mOutlineView->clickedRow();
    if (row < 0)
        return;
    pf::View* view = mOutlineView->viewAtColumn(mOutlineView->columnWithIdentifier(kMainColumn), row, true);
    if (view && view->respondsTo(QStringLiteral("selectNameForEditingAction:")))
        view->perform(QStringLiteral("selectNameForEditingAction:"), {QVariant()});
}

pf::Button* VNQLLayersController::panelMenuButton() const
{
    return mPanelMenuButton;
}

void VNQLLayersController::showPanelMenuAction(const QVariant&)
{
    if (!mRowMenu || !mPanelMenuButton)
        return;
    mRowMenu->popUp(mPanelMenuButton->mapToGlobal(QPoint(0, mPanelMenuButton->height())));
}

void VNQLLayersController::layersEditorHelpAction(const QVariant&)
{
    pf::Application* application = pf::Application::shared();
    pf::ApplicationDelegate* delegate = application ? application->delegate() : nullptr;
    if (delegate && delegate->respondsTo(QStringLiteral("showHelpItemNamed:")))
        delegate->perform(QStringLiteral("showHelpItemNamed:"), {QStringLiteral("the-layers-tab")});
}

bool VNQLLayersController::validateUserInterfaceItem(pf::UserInterfaceItem& item)
{
    const QString action = item.action();
    if (action == QLatin1String("addLayerAction:") || action == QLatin1String("addlayerGroupAction:"))
        return canAddLayerOrGroup();
    if (action == QLatin1String("duplicateLayerAction:"))
        return canDuplicateLayerOrGroup();
    if (action == QLatin1String("deleteLayerAction:"))
        return canDeleteLayerOrGroup();
    if (action == QLatin1String("toggleShowsRootAction:")) {
        item.setTitle(mShowRootLevel ? tr("Hide Top Level") : tr("Show Top Level"));
        return true;
    }
    if (action == QLatin1String("toggleActiveFollowsSelectionAction:")) {
        item.setState(mActiveFollowsSel ? pf::ControlState::On : pf::ControlState::Off);
        return true;
    }
    if (action == QLatin1String("toggleCompactRowsAction:")) {
        item.setTitle(mCompactRows ? tr("Expanded View") : tr("Compact View"));
        return true;
    }
    if (action == QLatin1String("toggleShowsGraphicObjectsAction:")) {
        item.setState(showsGraphicObjects() ? pf::ControlState::On : pf::ControlState::Off);
        return true;
    }
    return respondsTo(action);
}

// --- Contextual menu -----------------------------------------------------------------------------------------------------

void VNQLLayersController::menuNeedsUpdate(pf::Menu& menu)
{
    for (const auto& item : std::as_const(mCellMenuItems))
        menu.removeItem(item.get());
    mCellMenuItems.clear();
    if (!mOutlineView)
        return;
    const int row = mOutlineView->clickedRow();
    if (row < 0)
        return;
    pf::View* view = mOutlineView->viewAtColumn(mOutlineView->columnWithIdentifier(kMainColumn), row, false);
    auto* cell = dynamic_cast<VNQLLayersRowCell*>(view);
    if (!cell)
        return;
    const QList<pf::Ref<pf::MenuItem>> before = menu.items();
    cell->updateRowContextualMenu(menu);
    for (const auto& item : menu.items())
        if (!before.contains(item))
            mCellMenuItems.append(item);
}
