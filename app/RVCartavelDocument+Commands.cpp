#include "app/RVCartavelDocument.h"

#include "app/VNQLUndoHistoryController.h"
#include "library/PWXLibraryManagerWindowController.h"
#include "drawing/PWXSymbolMaster.h"
#include "frameworks/penwork/editing/PWLayerEditing.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "inspectors/CVLParallelDuplicateController.h"
#include "inspectors/RVLinearDuplicateController.h"
#include "inspectors/RVPolarDuplicateController.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Notification.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/ColorWell.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/WindowController.h"

#include <QCoreApplication>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <cmath>

static_assert(RVCartavelDocument::kMaxDuplicateCopies == PWObjectDrawingLayer::kMaxCopies);

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("RVCartavelDocument", text);
}

// The copy count a duplication takes: none below 1, at most the layer's maximum.
std::optional<int> acceptedCopies(int copies)
{
    if (copies < 1)
        return std::nullopt;
    return std::min(copies, RVCartavelDocument::kMaxDuplicateCopies);
}

bool isFinite(const QPointF& point)
{
    return std::isfinite(point.x()) && std::isfinite(point.y());
}

bool isFinite(const QSizeF& size)
{
    return std::isfinite(size.width()) && std::isfinite(size.height());
}

// The object a sender carries: the sender itself when it is an object (a menu item, a control
// wrapped as an object), else nothing.
pf::Ref<pf::Object> senderObject(const QVariant& sender)
{
    return pf::objectFromVariant(sender);
}

pf::Ref<PWLayer> representedLayer(const QVariant& sender)
{
    if (auto item = std::dynamic_pointer_cast<pf::MenuItem>(senderObject(sender)))
        return std::dynamic_pointer_cast<PWLayer>(pf::objectFromVariant(item->representedObject()));
    return std::dynamic_pointer_cast<PWLayer>(senderObject(sender));
}

// The segment a segmented control sends, or a menu item's tag; -1 for other senders.
int senderSegment(const QVariant& sender)
{
    if (auto item = std::dynamic_pointer_cast<pf::MenuItem>(senderObject(sender)))
        return item->tag();
    if (sender.canConvert<QObject*>())
        if (auto* control = qobject_cast<pf::SegmentedControl*>(sender.value<QObject*>()))
            return control->selectedSegment();
    if (pf::isNumber(sender))
        return sender.toInt();
    return -1;
}

int senderTag(const QVariant& sender)
{
    if (auto item = std::dynamic_pointer_cast<pf::MenuItem>(senderObject(sender)))
        return item->tag();
    if (pf::isNumber(sender))
        return sender.toInt();
    return -1;
}

// Switches undo coalescing off for its lifetime and puts back whatever setting there was.
class CoalescingOff {
public:
    explicit CoalescingOff(pf::UndoManager* manager) : m_manager(manager)
    {
        if (m_manager) {
            m_was = m_manager->isCoalescing();
            m_manager->setCoalescing(false);
        }
    }
    ~CoalescingOff()
    {
        if (m_manager)
            m_manager->setCoalescing(m_was);
    }
    CoalescingOff(const CoalescingOff&) = delete;
    CoalescingOff& operator=(const CoalescingOff&) = delete;

private:
    pf::UndoManager* m_manager;
    bool m_was = true;
};

bool layersControllerAnswers(const pf::Ref<pf::Object>& controller, const QString& query)
{
    return controller && controller->respondsTo(query) && pf::variantToBool(controller->perform(query));
}

} // namespace

void RVCartavelDocument::registerCommandActions(pf::ClassBuilder<RVCartavelDocument>& b)
{
    b.method("newDrawingLayer:", &RVCartavelDocument::newDrawingLayer);
    b.method("addLayerGroupAction:", &RVCartavelDocument::addLayerGroupAction);
    b.method("deleteLayerAction:", &RVCartavelDocument::deleteLayerAction);
    b.method("duplicateLayer:", &RVCartavelDocument::duplicateLayer);
    b.method("linearDuplicate:", &RVCartavelDocument::linearDuplicate);
    b.method("polarDuplicate:", &RVCartavelDocument::polarDuplicate);
    b.method("parallelDuplicate:", &RVCartavelDocument::parallelDuplicate);
    b.method("createSymbol:", &RVCartavelDocument::createSymbol);
    b.method("doLinearDuplicateCopies:offset:", &RVCartavelDocument::doLinearDuplicateCopies);
    b.method("doPolarDuplicateCopies:centre:incAngle:rotateCopies:", &RVCartavelDocument::doPolarDuplicateCopies);
    b.method("doAutoPolarDuplicateWithCentre:", &RVCartavelDocument::doAutoPolarDuplicateWithCentre);
    b.method("parallelCopyWithOffset:numberOfCopies:smooth:", &RVCartavelDocument::parallelCopyWithOffset);
    b.method("gridPointForGlobalPoint:snapToGrid:", &RVCartavelDocument::gridPointForGlobalPoint);
    b.method("activateLayerByName:", &RVCartavelDocument::activateLayerByName);
    b.method("moveSelectionToLayerByName:", &RVCartavelDocument::moveSelectionToLayerByName);
    b.method("toggleDisplayAntiAliasing:", &RVCartavelDocument::toggleDisplayAntiAliasing);
    b.method("toggleDisplayShadows:", &RVCartavelDocument::toggleDisplayShadows);
    b.method("toggleDisplayStyleSubstitution:", &RVCartavelDocument::toggleDisplayStyleSubstitution);
    b.method("togglePaperMarginsVisible:", &RVCartavelDocument::togglePaperMarginsVisible);
    b.method("setUnitsOptionsWithTagOfSender:", &RVCartavelDocument::setUnitsOptionsWithTagOfSender);
    b.method("snappingOptionsAction:", &RVCartavelDocument::snappingOptionsAction);
    b.method("undoRedoCombinedAction:", &RVCartavelDocument::undoRedoCombinedAction);
    b.method("debugExplodeUndoAction:", &RVCartavelDocument::debugExplodeUndoAction);
    b.method("test:", &RVCartavelDocument::test);
    b.method("showUndoHistoryAction:", &RVCartavelDocument::showUndoHistoryAction);
    b.method("layersControllerNeedsClassForDrawingLayers:", &RVCartavelDocument::layersControllerNeedsClassForDrawingLayers);
    b.method("layersControllerNeedsClassForLayerGroup:", &RVCartavelDocument::layersControllerNeedsClassForLayerGroup);
    b.method("layersController:showGridOptionsForLayer:", &RVCartavelDocument::layersControllerShowGridOptionsForLayer);
    b.method("layersController:showDrawingOptionsForDrawing:",
             &RVCartavelDocument::layersControllerShowDrawingOptionsForDrawing);
    b.method("layersController:showExportOptionsForLayer:", &RVCartavelDocument::layersControllerShowExportOptionsForLayer);
    b.property("hasValidSelection", &RVCartavelDocument::hasValidSelection);
    b.property("countOfItemsInSelection", &RVCartavelDocument::countOfItemsInSelection);
    b.property("activeLayer", &RVCartavelDocument::activeLayer);
    b.property("geometrySelection",
               std::function<QVariant(const RVCartavelDocument&)>([](const RVCartavelDocument& document) {
                   QVariantList objects;
                   for (const auto& object : document.geometrySelection())
                       objects.append(pf::toVariant(object));
                   return QVariant(objects);
               }),
               std::function<void(RVCartavelDocument&, const QVariant&)>());
}

// --- Queries ----------------------------------------------------------------------------------------

pf::Ref<PWObjectDrawingLayer> RVCartavelDocument::activeObjectLayer() const
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!drawing)
        return nullptr;
    return std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->activeLayerOfClass(PWObjectDrawingLayer::staticClass()));
}

qint64 RVCartavelDocument::countOfItemsInSelection() const
{
    pf::Ref<PWObjectDrawingLayer> layer = activeObjectLayer();
    return layer ? layer->countOfSelectedAvailableObjects() : 0;
}

QList<pf::Ref<PWLayer>> RVCartavelDocument::flattenedListOfLayers() const
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    return drawing ? drawing->flattenedLayers() : QList<pf::Ref<PWLayer>>();
}

QList<pf::Ref<PWLayer>> RVCartavelDocument::flattenedListOfLayersAndGroups() const
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    return drawing ? drawing->flattenedLayersIncludingGroups(true) : QList<pf::Ref<PWLayer>>();
}

QList<pf::Ref<PWLayer>> RVCartavelDocument::flattenedListOfDrawingLayers() const
{
    QList<pf::Ref<PWLayer>> layers;
    for (const auto& layer : flattenedListOfLayers())
        if (layer->isKindOf<PWObjectDrawingLayer>())
            layers.append(layer);
    return layers;
}

QList<pf::Ref<PWLayer>> RVCartavelDocument::flattenedListOfDrawingLayersAndGroups() const
{
    QList<pf::Ref<PWLayer>> layers;
    for (const auto& layer : flattenedListOfLayersAndGroups())
        if (layer->isKindOf<PWObjectDrawingLayer>() || layer->isKindOf<PWLayerGroup>())
            layers.append(layer);
    return layers;
}

QList<pf::Ref<PWLayer>> RVCartavelDocument::flattenedListOfActivateableLayersAndGroups() const
{
    QList<pf::Ref<PWLayer>> layers;
    for (const auto& layer : flattenedListOfLayersAndGroups())
        if (layer->isKindOf<PWLayerGroup>() || layer->layerMayBecomeActive())
            layers.append(layer);
    return layers;
}

QList<pf::Ref<pf::Object>> RVCartavelDocument::availableDonorObjectsForCreatingSymbols() const
{
    pf::Ref<PWObjectDrawingLayer> layer = activeObjectLayer();
    if (!layer)
        return {};
    QList<pf::Ref<pf::Object>> selection;
    for (const auto& object : layer->selectedAvailableObjects())
        selection.append(object);
    return PWXSymbolMaster::validSymbolDonorObjectsFromArray(selection);
}

qint64 RVCartavelDocument::numberOfSymbolsInSelection() const
{
    return availableDonorObjectsForCreatingSymbols().size();
}

pf::Ref<pf::Object> RVCartavelDocument::symbolAtIndex(qint64 index) const
{
    const QList<pf::Ref<pf::Object>> donors = availableDonorObjectsForCreatingSymbols();
    return index >= 0 && index < donors.size() ? donors[index] : nullptr;
}

void RVCartavelDocument::createSymbol(const QVariant&)
{
    const QList<pf::Ref<pf::Object>> donors = availableDonorObjectsForCreatingSymbols();
    if (donors.isEmpty()) {
        pf::Application::beep();
        return;
    }
    if (donors.size() >= 6) {
        pf::Application::beep();
        pf::Alert alert;
        alert.setMessageText(tr("Add Clip Art To Library"));
        alert.addButton(tr("OK"));
        alert.addButton(tr("Cancel"));
        alert.setInformativeText(tr("You have selected %1 objects. Are you sure you want add them all as clip art?")
                                     .arg(donors.size()));
        if (alert.runModal() != pf::kAlertFirstButtonReturn)
            return;
    }
    pf::Ref<PWXLibraryManagerWindowController> manager = PWXLibraryManagerWindowController::sharedLibraryManager();
    manager->showWindow({});
    manager->importItemsAsSymbols(donors);
}

// --- Layer commands ----------------------------------------------------------------------------------

bool RVCartavelDocument::couldAddNewLayerOrLayerGroup(const QVariant&) const
{
    return layersControllerAnswers(layersController(), QStringLiteral("canAddLayerOrGroup"));
}

bool RVCartavelDocument::couldDuplicateLayer(const QVariant&) const
{
    return layersControllerAnswers(layersController(), QStringLiteral("canDuplicateLayerOrGroup"));
}

bool RVCartavelDocument::couldDeleteLayer(const QVariant&) const
{
    return layersControllerAnswers(layersController(), QStringLiteral("canDeleteLayerOrGroup"));
}

namespace {

bool controllerTakes(const pf::Ref<pf::Object>& controller, const QString& query, const QString& action)
{
    return layersControllerAnswers(controller, query) && controller->respondsTo(action);
}

} // namespace

void RVCartavelDocument::forwardToLayersController(const QString& query, const QString& action, const QVariant& sender)
{
    pf::Ref<pf::Object> controller = layersController();
    if (!controllerTakes(controller, query, action))
        return;
    // The panel shows what the command does.
    selectTabWithIdentifier(kLayersTabIdentifier);
    controller->perform(action, {sender});
}

QString RVCartavelDocument::layersControllerNeedsClassForDrawingLayers(const QVariant&) const
{
    return classOfDefaultDrawingLayer().name();
}

QString RVCartavelDocument::layersControllerNeedsClassForLayerGroup(const QVariant&) const
{
    return PWLayerGroup::staticClass().name();
}

void RVCartavelDocument::layersControllerShowGridOptionsForLayer(const QVariant&, const QVariant&)
{
    performIfAnswered(QStringLiteral("openGridSettingsPanel:"), {});
}

void RVCartavelDocument::layersControllerShowDrawingOptionsForDrawing(const QVariant&, const QVariant&)
{
    performIfAnswered(QStringLiteral("openDrawingSizePanel:"), {});
}

void RVCartavelDocument::layersControllerShowExportOptionsForLayer(const QVariant&, const QVariant&)
{
    performIfAnswered(QStringLiteral("showExportDialogWithPreferredSource:"), {3});
}

void RVCartavelDocument::performIfAnswered(const QString& selector, const QVariantList& arguments)
{
    if (respondsTo(selector))
        perform(selector, arguments);
    else
        RVLog(kInfoEvent, QStringLiteral("%1: no such panel in this document").arg(selector));
}

void RVCartavelDocument::newDrawingLayer(const QVariant& sender)
{
    forwardToLayersController(QStringLiteral("canAddLayerOrGroup"), QStringLiteral("addLayerAction:"),
                              sender);
}

void RVCartavelDocument::addLayerGroupAction(const QVariant& sender)
{
    forwardToLayersController(QStringLiteral("canAddLayerOrGroup"),
                              QStringLiteral("addlayerGroupAction:"), sender);
}

void RVCartavelDocument::deleteLayerAction(const QVariant& sender)
{
    forwardToLayersController(QStringLiteral("canDeleteLayerOrGroup"),
                              QStringLiteral("deleteLayerAction:"), sender);
}

void RVCartavelDocument::duplicateLayer(const QVariant& sender)
{
    forwardToLayersController(QStringLiteral("canDuplicateLayerOrGroup"),
                              QStringLiteral("duplicateLayerAction:"), sender);
}

// --- Grid points -------------------------------------------------------------------------------------

QPointF RVCartavelDocument::gridPointForGlobalPoint(const QPointF& global, bool snapToGrid) const
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    PWDrawingView* view = mainView();
    if (!drawing || !view || !std::isfinite(global.x()) || !std::isfinite(global.y()))
        return {};
    const QPointF inView = view->mapFromGlobal(global);
    const QPointF snapped = drawing->snapToGrid(view->convertToDrawing(inView), snapToGrid);
    if (!drawing->interior().contains(snapped))
        return {};
    // The same units the duplication takes its centre in.
    if (pf::Ref<PWGridLayer> grid = drawing->gridLayer())
        return grid->gridLocationForPoint(snapped);
    const double factor = drawing->unitToPointsConversionFactor();
    return factor > 0 ? snapped / factor : snapped;
}

QPointF RVCartavelDocument::gridPointForPoint(const QPointF& point, QWidget* window, bool snapToGrid) const
{
    if (!window || !std::isfinite(point.x()) || !std::isfinite(point.y()))
        return {};
    return gridPointForGlobalPoint(window->mapToGlobal(point), snapToGrid);
}

// --- Duplication ---------------------------------------------------------------------------------------

bool RVCartavelDocument::doLinearDuplicateCopies(int copies, const QSizeF& offset)
{
    pf::Ref<PWObjectDrawingLayer> layer = activeObjectLayer();
    const std::optional<int> count = acceptedCopies(copies);
    if (!layer || !count || !isFinite(offset) || layer->countOfSelectedAvailableObjects() == 0)
        return false;
    pf::Ref<PWGridLayer> grid = drawing()->gridLayer();
    const QSizeF points = grid ? grid->quartzDistanceForGridDistance(offset)
                               : offset * drawing()->unitToPointsConversionFactor();
    const bool made = PWLayerEditing::linearDuplicate(*layer, points, *count, tr("Linear Duplication"));
    if (made)
        RVLog(kInfoEvent, QStringLiteral("copies: %1").arg(layer->countOfSelectedAvailableObjects()));
    return made;
}

bool RVCartavelDocument::doPolarDuplicateCopies(int copies, const QPointF& centre, double incrementDegrees,
                                                bool rotateCopies)
{
    pf::Ref<PWObjectDrawingLayer> layer = activeObjectLayer();
    const std::optional<int> count = acceptedCopies(copies);
    if (!layer || !count || !isFinite(centre) || !std::isfinite(incrementDegrees)
        || layer->countOfSelectedAvailableObjects() == 0)
        return false;
    pf::Ref<PWGridLayer> grid = drawing()->gridLayer();
    const QPointF point = grid ? grid->pointForGridLocation(centre) : centre * drawing()->unitToPointsConversionFactor();
    return PWLayerEditing::polarDuplicate(*layer, point, *count, incrementDegrees, rotateCopies,
                                          tr("Polar Duplication"));
}

bool RVCartavelDocument::doAutoPolarDuplicateWithCentre(const QPointF& centre)
{
    pf::Ref<PWObjectDrawingLayer> layer = activeObjectLayer();
    if (!layer || !layer->singleSelection() || !isFinite(centre))
        return false;
    pf::Ref<PWGridLayer> grid = drawing()->gridLayer();
    const QPointF point = grid ? grid->pointForGridLocation(centre) : centre * drawing()->unitToPointsConversionFactor();
    return PWLayerEditing::autoPolarDuplicate(*layer, point, tr("Auto Polar Duplication"));
}

bool RVCartavelDocument::parallelCopyWithOffset(double offset, int copies, bool smooth)
{
    pf::Ref<PWObjectDrawingLayer> layer = activeObjectLayer();
    const std::optional<int> count = acceptedCopies(copies);
    if (!layer || !count || !std::isfinite(offset))
        return false;
    // Each copy is its own registration; none may be merged into another.
    CoalescingOff coalescingOff(layer->undoManager());
    return PWLayerEditing::makeParallelCopy(*layer, offset, *count, smooth, tr("Offset Copy"));
}

void RVCartavelDocument::linearDuplicate(const QVariant&)
{
    if (!hasValidSelection())
        return;
    if (!m_linearDuplicateController)
        m_linearDuplicateController = std::make_shared<RVLinearDuplicateController>();
    m_linearDuplicateController->beginLinearDuplicationDialog(windowForSheet(), weak_from_this().lock());
}

void RVCartavelDocument::polarDuplicate(const QVariant&)
{
    if (!hasValidSelection())
        return;
    if (!m_polarDuplicateController)
        m_polarDuplicateController = std::make_shared<RVPolarDuplicateController>();
    m_polarDuplicateController->beginPolarDuplicationDialog(windowForSheet(), weak_from_this().lock());
}

void RVCartavelDocument::parallelDuplicate(const QVariant&)
{
    pf::Ref<PWObjectDrawingLayer> layer = activeObjectLayer();
    if (!layer || !PWLayerEditing::canMakeParallelCopy(*layer))
        return;
    if (!m_parallelDuplicateController)
        m_parallelDuplicateController = std::make_shared<CVLParallelDuplicateController>();
    m_parallelDuplicateController->beginParallelDuplicateDialogOnParent(windowForSheet(), weak_from_this().lock());
}

// --- Layers ------------------------------------------------------------------------------------------------

void RVCartavelDocument::activateLayerByName(const QVariant& sender)
{
    pf::Ref<PWLayer> layer = representedLayer(sender);
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!layer || !drawing || layer->drawing() != drawing.get() || !layer->layerMayBecomeActive())
        return;
    drawing->setActiveLayer(layer);
}

void RVCartavelDocument::moveSelectionToLayerByName(const QVariant& sender)
{
    if (!moveSelectionToLayer(representedLayer(sender)))
        pf::Application::beep();
}

bool RVCartavelDocument::moveSelectionToLayer(const pf::Ref<PWLayer>& targetLayer)
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    pf::Ref<PWObjectDrawingLayer> source = activeObjectLayer();
    auto target = std::dynamic_pointer_cast<PWObjectDrawingLayer>(targetLayer);
    if (!drawing || !source || !target || target == source || target->drawing() != drawing.get() || target->locked())
        return false;
    const PWObjectOwnerLayer::ObjectList objects = source->selectedAvailableObjects();
    if (objects.isEmpty())
        return false;

    RVUndoManager* manager = drawing->undoManager();
    CoalescingOff coalescingOff(manager);
    // Both layers' changes and the change of active layer are one step.
    if (manager)
        manager->beginUndoGrouping();
    // The source's selection is given up before the objects leave, so that undo selects
    // them again only once they are back.
    source->recordSelectionForUndo();
    source->removeObjectsFromSelection(objects);
    source->commitSelectionUndoWithActionName(QString());
    source->removeObjectsInArray(objects);
    target->recordSelectionForUndo();
    target->addObjectsFromArray(objects);
    target->exchangeSelectionWithObjectsFromArray(objects);
    target->commitSelectionUndoWithActionName(QString());
    drawing->setActiveLayer(target, true);
    if (manager) {
        manager->setActionName(QStringLiteral("%1 %2").arg(tr("Move To"), target->layerName()));
        manager->endUndoGrouping();
    }
    return true;
}

// --- Display --------------------------------------------------------------------------------------------

void RVCartavelDocument::toggleDisplayAntiAliasing(const QVariant&)
{
    PWStyle::setShouldAntialias(!PWStyle::shouldAntialias());
    if (pf::Ref<PWDrawing> drawing = this->drawing())
        drawing->setNeedsDisplay(true);
}

void RVCartavelDocument::toggleDisplayShadows(const QVariant&)
{
    PWStyle::setWillDrawShadows(!PWStyle::willDrawShadows());
    if (pf::Ref<PWDrawing> drawing = this->drawing())
        drawing->setNeedsDisplay(true);
}

void RVCartavelDocument::toggleDisplayStyleSubstitution(const QVariant&)
{
    PWStyle::setShouldSubstitutePlaceholderStyle(!PWStyle::shouldSubstitutePlaceholderStyle());
    if (pf::Ref<PWDrawing> drawing = this->drawing())
        drawing->setNeedsDisplay(true);
}

void RVCartavelDocument::togglePaperMarginsVisible(const QVariant&)
{
    const bool visible = !paperMarginsVisible();
    setPaperMarginsVisible(visible);
    setDefaultPaperMarginsVisible(visible);
}

void RVCartavelDocument::setUnitsOptionsWithTagOfSender(const QVariant& sender)
{
    const int option = senderTag(sender);
    if (option < 0 || option > 2)
        return;
    setUnitDisplayOption(option);
    setDefaultUnitDisplayOption(option);
}

void RVCartavelDocument::snappingOptionsAction(const QVariant& sender)
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!drawing)
        return;
    switch (senderSegment(sender)) {
    case 0:
        drawing->setSnapsToGrid(!drawing->snapsToGrid());
        break;
    case 1:
        drawing->setSnapsToGuides(!drawing->snapsToGuides());
        break;
    case 2:
        if (auto layer = std::dynamic_pointer_cast<PWObjectOwnerLayer>(drawing->activeLayer()))
            layer->setAllowsSnapToObjects(!layer->allowsSnapToObjects());
        break;
    default:
        break;
    }
}

void RVCartavelDocument::observeCommandNotifications()
{
    auto& center = pf::NotificationCenter::defaultCenter();
    std::weak_ptr<void> alive = livenessToken();
    const auto handler = [this, alive](const pf::Notification& notification) {
        if (!alive.expired())
            gridOrGuidesSnappingChanged(notification);
    };
    for (const QString& name : {kPWDrawingDidChangeSnapToGrid, kPWDrawingDidChangeSnapToGuides,
                                kPWLayerDidChangeSnapToObjects})
        m_drawingObservations.append(center.addObserver(name, nullptr, handler));
    m_drawingObservations.append(center.addObserver(kPWLayerSelectionDidChange, nullptr,
                                                    [this, alive](const pf::Notification& notification) {
                                                        if (!alive.expired())
                                                            selectionChanged(notification);
                                                    }));
    // Text editing in one of this document's views leaves no colour well active.
    m_drawingObservations.append(
        center.addObserver(kPWDrawingViewDidBeginTextEditing, nullptr, [this, alive](const pf::Notification& notification) {
            if (!alive.expired() && mainView() && notification.object == mainView())
                textBeganEditing(notification);
        }));
}

void RVCartavelDocument::gridOrGuidesSnappingChanged(const pf::Notification&)
{
    // The snapping control of each window shows the new settings.
    for (const auto& controller : windowControllers()) {
        QWidget* window = controller ? controller->window() : nullptr;
        if (!window)
            continue;
        for (auto* control : window->findChildren<pf::SegmentedControl*>())
            if (control->action() == QLatin1String("snappingOptionsAction:"))
                control->validateSegments();
    }
}

void RVCartavelDocument::undoRedoCombinedAction(const QVariant& sender)
{
    pf::UndoManager* manager = undoManagerOrNull();
    if (!manager)
        return;
    const int segment = senderSegment(sender);
    if (segment == 0 && manager->canUndo())
        manager->undo();
    else if (segment == 1 && manager->canRedo())
        manager->redo();
}

void RVCartavelDocument::selectionChanged(const pf::Notification& notification)
{
    auto* layer = dynamic_cast<PWObjectOwnerLayer*>(notification.object);
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!layer || !drawing || layer->drawing() != drawing.get())
        return;
    RVLog(kStateEvent, QStringLiteral("%1 got selection change").arg(displayName()));
    const bool active = drawing->activeLayer().get() == layer;
    setObservedValue(m_geometrySelection, active ? layer->selection() : PWObjectOwnerLayer::ObjectList(),
                     QStringLiteral("geometrySelection"));
}

void RVCartavelDocument::textBeganEditing(const pf::Notification&)
{
    pf::ColorWell::deactivateAll();
}

void RVCartavelDocument::debugExplodeUndoAction(const QVariant&)
{
    if (RVUndoManager* manager = drawingUndoManager())
        manager->explodeTopUndoAction();
}

void RVCartavelDocument::test(const QVariant&)
{
    RVLog(kInfoEvent, QStringLiteral("test method invoked"));
}

void RVCartavelDocument::showUndoHistoryAction(const QVariant&)
{
    if (!m_undoHistoryWindow) {
        auto* window = new QWidget(windowForSheet(), Qt::Tool);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(tr("Undo History"));
        auto* history = new VNQLUndoHistoryController(window);
        history->setUndoManager(drawingUndoManager());
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(history);
        window->resize(260, 360);
        m_undoHistoryWindow = window;
    }
    m_undoHistoryWindow->show();
    m_undoHistoryWindow->raise();
    m_undoHistoryWindow->activateWindow();
}

// --- Validation -------------------------------------------------------------------------------------------

bool RVCartavelDocument::validateMenuItem(pf::MenuItem& item)
{
    bool handled = false;
    bool enabled = false;
    validateCommand(item, true, &handled, &enabled);
    return handled ? enabled : PWDrawingDocument::validateMenuItem(item);
}

bool RVCartavelDocument::validateUserInterfaceItem(pf::UserInterfaceItem& item)
{
    bool handled = false;
    bool enabled = false;
    validateCommand(item, false, &handled, &enabled);
    return handled ? enabled : PWDrawingDocument::validateUserInterfaceItem(item);
}

void RVCartavelDocument::validateCommand(pf::UserInterfaceItem& item, bool isMenuItem, bool* handled, bool* enabled)
{
    using pf::ControlState;
    const QString action = item.action();
    const QVariant sender = item.senderValue();
    pf::Ref<PWDrawing> drawing = this->drawing();
    pf::Ref<PWObjectDrawingLayer> objectLayer = activeObjectLayer();
    auto check = [&](bool on) {
        if (isMenuItem)
            item.setState(on ? ControlState::On : ControlState::Off);
    };
    *handled = true;
    *enabled = true;

    if (action == QLatin1String("newDrawingLayer:") || action == QLatin1String("addLayerGroupAction:")
        || action == QLatin1String("addBorderLayerAction:")) {
        *enabled = couldAddNewLayerOrLayerGroup(sender);
    } else if (action == QLatin1String("duplicateLayer:")) {
        *enabled = couldDuplicateLayer(sender);
    } else if (action == QLatin1String("deleteLayerAction:")) {
        *enabled = couldDeleteLayer(sender);
    } else if (action == QLatin1String("linearDuplicate:") || action == QLatin1String("polarDuplicate:")) {
        *enabled = countOfItemsInSelection() > 0;
    } else if (action == QLatin1String("createSymbol:")) {
        *enabled = numberOfSymbolsInSelection() > 0;
        if (isMenuItem)
            item.setTitle(tr("Add Clip Art To Library"));
    } else if (action == QLatin1String("parallelDuplicate:")) {
        *enabled = objectLayer && PWLayerEditing::canMakeParallelCopy(*objectLayer);
    } else if (action == QLatin1String("zoomIn:") || action == QLatin1String("zoomOut:")
               || action == QLatin1String("zoomToActualSize:") || action == QLatin1String("zoomFitInWindow:")) {
        PWDrawingView* view = mainView();
        if (!view || !drawing)
            *enabled = false;
        else if (action == QLatin1String("zoomIn:"))
            *enabled = view->scale() < RVZoomView::kMaximumScale;
        else if (action == QLatin1String("zoomOut:"))
            *enabled = view->scale() > RVZoomView::kMinimumScale;
        else if (action == QLatin1String("zoomToActualSize:"))
            *enabled = view->scale() != 1.0;
    } else if (action == QLatin1String("group:") || action == QLatin1String("ungroup:")) {
        PWDrawingView* view = mainView();
        auto* menuItem = dynamic_cast<pf::MenuItem*>(&item);
        *enabled = view && menuItem && view->validateMenuItem(*menuItem);
    } else if (action == QLatin1String("toggleDisplayAntiAliasing:")) {
        check(PWStyle::shouldAntialias());
    } else if (action == QLatin1String("toggleDisplayShadows:")) {
        check(PWStyle::willDrawShadows());
    } else if (action == QLatin1String("toggleDisplayStyleSubstitution:")) {
        check(PWStyle::shouldSubstitutePlaceholderStyle());
    } else if (action == QLatin1String("activateLayerByName:")) {
        pf::Ref<PWLayer> layer = representedLayer(sender);
        *enabled = layer && layer->layerMayBecomeActive();
        check(layer && drawing && layer == drawing->activeLayer());
    } else if (action == QLatin1String("moveSelectionToLayerByName:")) {
        const bool selection = countOfItemsInSelection() > 0;
        if (isMenuItem) {
            pf::Ref<PWLayer> layer = representedLayer(sender);
            const bool active = layer && drawing && layer == drawing->activeLayer();
            *enabled = layer && !active && !layer->locked() && layer->visible() && selection
                && layer->isKindOf<PWObjectDrawingLayer>();
            item.setState(active ? ControlState::Mixed : ControlState::Off);
        } else {
            *enabled = selection;
        }
    } else if (action == QLatin1String("togglePaperMarginsVisible:")) {
        if (isMenuItem)
            item.setTitle(paperMarginsVisible() ? tr("Hide Paper Margins") : tr("Show Paper Margins"));
    } else if (action == QLatin1String("setUnitsOptionsWithTagOfSender:")) {
        check(item.tag() == unitDisplayOption());
    } else if (action == QLatin1String("undoRedoCombinedAction:")) {
        // Validated segment by segment: the tag is the segment.
        pf::UndoManager* manager = undoManagerOrNull();
        if (!isMenuItem && (item.tag() == 0 || item.tag() == 1)) {
            const bool undo = item.tag() == 0;
            *enabled = manager && (undo ? manager->canUndo() : manager->canRedo());
            if (auto* control = qobject_cast<pf::SegmentedControl*>(sender.value<QObject*>()); control && manager)
                control->setToolTip(undo ? manager->undoMenuItemTitle() : manager->redoMenuItemTitle(), item.tag());
        }
    } else if (action == QLatin1String("snappingOptionsAction:")) {
        // 0 grid, 1 guides, 2 objects: the segments of the toolbar control, or menu items by tag.
        auto owner = drawing ? std::dynamic_pointer_cast<PWObjectOwnerLayer>(drawing->activeLayer()) : nullptr;
        const bool states[3] = {drawing && drawing->snapsToGrid(), drawing && drawing->snapsToGuides(),
                                owner && owner->allowsSnapToObjects()};
        if (auto* control = qobject_cast<pf::SegmentedControl*>(sender.value<QObject*>())) {
            for (int segment = 0; segment < std::min(3, control->segmentCount()); ++segment)
                control->setSelected(states[segment], segment);
        } else if (item.tag() >= 0 && item.tag() < 3) {
            item.setState(states[item.tag()] ? ControlState::On : ControlState::Off);
            *enabled = item.tag() == 2 ? bool(owner) : bool(drawing);
        }
    } else if (action == QLatin1String("toggleLayersListVisible:")) {
        if (isMenuItem)
            item.setTitle(layersSidebarVisible() ? tr("Hide Sidebar") : tr("Show Sidebar"));
    } else if (action == QLatin1String("debugExplodeUndoAction:")) {
        *enabled = drawingUndoManager() && drawingUndoManager()->numberOfUndoActions() > 0;
    } else if (action == QLatin1String("showUndoHistoryAction:") || action == QLatin1String("test:")) {
        *enabled = true;
    } else {
        *handled = false;
    }
}
