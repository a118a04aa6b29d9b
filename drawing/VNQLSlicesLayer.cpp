#include "drawing/VNQLSlicesLayer.h"

#include "app/VNQLHelpTrampoline.h"
#include "inspectors/VNQLSlicesToolPaletteController.h"

#include "app/RVCartavelDocument.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/view/PWDrawingView.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Pasteboard.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSet>

#include <cmath>

namespace {

const QString kSlicesKey = QStringLiteral("VNQLSlicesLayer_slices");
const QString kToolModeKey = QStringLiteral("VNQLSlicesLayer_toolMode");

const QString kSetToolModeAction = QStringLiteral("setToolModeAction:");
const QString kExtractDrawingAction = QStringLiteral("extractDrawingAction:");
const QString kExportAction = QStringLiteral("exportAction:");

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLSlicesLayer", text);
}

QPointF flooredPoint(const QPointF& point)
{
    return QPointF(std::floor(point.x()), std::floor(point.y()));
}

bool shiftKey(Qt::KeyboardModifiers modifiers)
{
    return modifiers.testFlag(Qt::ShiftModifier);
}

// Qt's Control stands for the platform's Command key, Qt's Meta for its Control key.
bool commandKey(Qt::KeyboardModifiers modifiers)
{
    return modifiers.testFlag(Qt::ControlModifier);
}

bool controlKey(Qt::KeyboardModifiers modifiers)
{
    return modifiers.testFlag(Qt::MetaModifier);
}

QVariantList variantList(const QList<pf::Ref<PWXSlice>>& slices)
{
    QVariantList list;
    for (const pf::Ref<PWXSlice>& slice : slices)
        list.append(pf::toVariant(slice));
    return list;
}

// The tag of an action's sender: a menu item, or a bare number.
std::optional<int> senderTag(const QVariant& sender)
{
    if (pf::Ref<pf::MenuItem> item = pf::objectCast<pf::MenuItem>(sender))
        return item->tag();
    if (pf::isNumber(sender))
        return sender.toInt();
    return std::nullopt;
}

} // namespace

PF_DEFINE_CLASS(VNQLSlicesLayer, PWLayer)
{
    b.method("slicesHelpAction:", &VNQLSlicesLayer::slicesHelpAction);
    b.protocol(pf::kCodingProtocol);
    b.property("slices", std::function<QVariant(const VNQLSlicesLayer&)>(
                             [](const VNQLSlicesLayer& layer) { return QVariant(variantList(layer.slices())); }),
               {});
    b.property("selectedSlices", std::function<QVariant(const VNQLSlicesLayer&)>([](const VNQLSlicesLayer& layer) {
                   return QVariant(variantList(layer.selectedSlices()));
               }),
               {});
    b.property("countOfSlices", &VNQLSlicesLayer::countOfSlices);
    b.keyPathsAffecting("countOfSlices", {QStringLiteral("slices")});
    b.property("toolMode", &VNQLSlicesLayer::toolMode, &VNQLSlicesLayer::setToolMode);
    b.property("useDrawingUnits", &VNQLSlicesLayer::useDrawingUnits, &VNQLSlicesLayer::setUseDrawingUnits);
    b.property("auxiliaryInfoString", &VNQLSlicesLayer::auxiliaryInfoString);
    b.keyPathsAffecting("auxiliaryInfoString", {QStringLiteral("slices"), QStringLiteral("selectedSlices")});
    b.property("icon", &VNQLSlicesLayer::icon);
    b.property("mouseMoved", &VNQLSlicesLayer::mouseMoved);
    b.property("partCode", &VNQLSlicesLayer::partCode);
    b.property("dragAnchor", &VNQLSlicesLayer::dragAnchor);
    b.property("dragOffset", &VNQLSlicesLayer::dragOffset);
    b.property("savedUndoInfo", &VNQLSlicesLayer::savedUndoInfo);
    b.method("addNewSlice", &VNQLSlicesLayer::addNewSlice);
    b.method("slicesToolPaletteController:didSelectMode:", [](VNQLSlicesLayer& layer, const QVariantList& args) {
        layer.slicesToolPaletteControllerDidSelectMode(args.value(1).toInt());
        return QVariant();
    });
    b.method("showToolPalette:", [](VNQLSlicesLayer& layer, const QVariantList& args) {
        layer.showToolPalette(args.value(0).toBool());
        return QVariant();
    });
    b.method("addSlice:", &VNQLSlicesLayer::addSlice);
    b.method("removeSlice:", &VNQLSlicesLayer::removeSlice);
    b.method("removeAllSlices", &VNQLSlicesLayer::removeAllSlices);
    b.method("selectAll", &VNQLSlicesLayer::selectAll);
    b.method("deselectAll", &VNQLSlicesLayer::deselectAll);
    b.method("restoreSlicesWithUndoInfo:", &VNQLSlicesLayer::restoreSlicesWithUndoInfo);
    b.method(kSetToolModeAction, &VNQLSlicesLayer::setToolModeAction);
    b.method(kPWCopyAction, static_cast<void (VNQLSlicesLayer::*)(const QVariant&)>(&VNQLSlicesLayer::copy));
    b.method(kPWPasteAction, &VNQLSlicesLayer::paste);
    b.method(kPWDeleteAction, &VNQLSlicesLayer::deleteAction);
    b.method(kPWSelectAllAction, &VNQLSlicesLayer::selectAllAction);
    b.method(kExtractDrawingAction, &VNQLSlicesLayer::extractDrawingAction);
    b.method("validateMenuItem:", std::function<QVariant(VNQLSlicesLayer&, const QVariantList&)>(
                                      [](VNQLSlicesLayer& layer, const QVariantList& arguments) {
                                          pf::Ref<pf::MenuItem> item = pf::objectCast<pf::MenuItem>(arguments.value(0));
                                          return QVariant(item ? layer.validateUserInterfaceItem(*item) : false);
                                      }));
    // The slices draw their own size guides: the framework's would only duplicate them.
    b.initializer([] { PWDimensionGuide::setDimensionGuidesDisabled(true, PWXSlice::staticClass()); });
}

VNQLSlicesLayer::VNQLSlicesLayer()
{
    staticClass().ensureInitialized();
    setSelectionColour(Qt::black);
}

VNQLSlicesLayer::~VNQLSlicesLayer()
{
    endDragGuides();
    endDrawingGesture();
    for (const pf::Ref<PWXSlice>& slice : std::as_const(m_slices))
        if (slice->slicesLayer() == this)
            slice->setSlicesLayer(nullptr);
}

// Properties -----------------------------------------------------------------------------------------

QList<pf::Ref<PWXSlice>> VNQLSlicesLayer::selectedSlices() const
{
    QList<pf::Ref<PWXSlice>> selected;
    for (const pf::Ref<PWXSlice>& slice : m_slices)
        if (m_selectedSlices.contains(slice))
            selected.append(slice);
    return selected;
}

bool VNQLSlicesLayer::isSliceSelected(const PWXSlice* slice) const
{
    for (const pf::Ref<PWXSlice>& selected : m_selectedSlices)
        if (selected.get() == slice)
            return true;
    return false;
}

void VNQLSlicesLayer::setToolMode(int mode)
{
    if (mode == m_toolMode || (mode != SelectMode && mode != DrawMode))
        return;
    // Left running, a draw gesture would keep undo registration off and its slice unchecked.
    if (m_tracking)
        finishGesture();
    setObservedValue(m_toolMode, mode, QStringLiteral("toolMode"));
    pf::NotificationCenter::defaultCenter().post(kVNQLSlicesLayerToolModeDidChange, this);
    if (VNQLSlicesToolPaletteController::sharedSlicesToolPaletteAvailable())
        VNQLSlicesToolPaletteController::sharedSlicesToolPalette()->selectToolMode(mode);
    if (PWDrawing* drawing = this->drawing())
        drawing->invalidateCursors();
}

void VNQLSlicesLayer::setUseDrawingUnits(bool use)
{
    if (use == m_useDrawingUnits)
        return;
    setObservedValue(m_useDrawingUnits, use, QStringLiteral("useDrawingUnits"));
    setNeedsDisplay(true);
}

// Undo helpers --------------------------------------------------------------------------------------

pf::UndoManager* VNQLSlicesLayer::undoManagerOrNull() const
{
    return undoManager();
}

void VNQLSlicesLayer::setActionName(const QString& name) const
{
    // Replayed steps keep the name of the step they undo; a gesture with registration off
    // must not rename whatever group happens to be open.
    pf::UndoManager* manager = undoManagerOrNull();
    if (!manager || manager->isUndoing() || manager->isRedoing() || !manager->isUndoRegistrationEnabled())
        return;
    manager->setActionName(name);
}

void VNQLSlicesLayer::beginDrawingGesture()
{
    pf::UndoManager* manager = undoManagerOrNull();
    if (!manager || !m_disabledUndoManager.expired())
        return;
    manager->disableUndoRegistration();
    m_disabledUndoManager = manager->ref<pf::Object>();
}

void VNQLSlicesLayer::endDrawingGesture()
{
    if (pf::Ref<pf::Object> object = m_disabledUndoManager.lock())
        static_cast<pf::UndoManager*>(object.get())->enableUndoRegistration();
    m_disabledUndoManager.reset();
}

// The slice list -----------------------------------------------------------------------------------

pf::Ref<PWXSlice> VNQLSlicesLayer::addNewSlice()
{
    auto slice = std::make_shared<PWXSlice>();
    slice->setTitle(tr("Slice"));
    slice->setColour(selectionColour().isValid() ? selectionColour() : QColor(Qt::black));
    addSlice(slice);
    return slice;
}

pf::Ref<PWXSlice> VNQLSlicesLayer::makeSliceAtPoint(const QPointF& point)
{
    pf::Ref<PWXSlice> slice = addNewSlice();
    slice->setBounds(QRectF(point, QSizeF(0, 0)));
    return slice;
}

void VNQLSlicesLayer::addSlice(const pf::Ref<PWXSlice>& slice)
{
    PF_ASSERT(slice, "cannot pass nil to -addSlice:");
    if (VNQLSlicesLayer* owner = slice->slicesLayer(); owner && owner->indexOfSlice(slice.get()) >= 0)
        pf::raise(pf::NSInvalidArgumentException,
                  QStringLiteral("%1 already belongs to a slices layer").arg(slice->description()));
    insertSlice(slice, m_slices.size());
    setActionName(tr("Add Slice"));
}

void VNQLSlicesLayer::insertSlice(const pf::Ref<PWXSlice>& slice, qsizetype index)
{
    pf::KeyChange change(this, QStringLiteral("slices"));
    pf::NotificationCenter& centre = pf::NotificationCenter::defaultCenter();
    const QVariantMap info{{kVNQLSliceKey, pf::toVariant(slice)}};
    centre.post(kVNQLSlicesLayerWillAddSlice, this, info);
    if (pf::UndoManager* manager = undoManagerOrNull())
        manager->registerUndo(this, [this, slice] { removeSlice(slice); });
    slice->setSlicesLayer(this);
    m_slices.insert(std::clamp<qsizetype>(index, 0, m_slices.size()), slice);
    slice->setNeedsDisplay();
    centre.post(kVNQLSlicesLayerDidAddSlice, this, info);
}

void VNQLSlicesLayer::removeSlice(const pf::Ref<PWXSlice>& slice)
{
    if (!slice)
        return;
    pf::KeyChange change(this, QStringLiteral("slices"));
    pf::NotificationCenter& centre = pf::NotificationCenter::defaultCenter();
    const QVariantMap info{{kVNQLSliceKey, pf::toVariant(slice)}};
    centre.post(kVNQLSlicesLayerWillRemoveSlice, this, info);
    const qsizetype index = m_slices.indexOf(slice);
    if (index >= 0) {
        if (pf::UndoManager* manager = undoManagerOrNull())
            manager->registerUndo(this, [this, slice, index] { insertSlice(slice, index); });
        slice->setNeedsDisplay();
    }
    if (slice->slicesLayer() == this)
        slice->setSlicesLayer(nullptr);
    deselectSlice(slice);
    if (index >= 0)
        m_slices.removeAt(index);
    setNeedsDisplay(true);
    centre.post(kVNQLSlicesLayerDidRemoveSlice, this, info);
    setActionName(tr("Delete Slice"));
}

void VNQLSlicesLayer::removeAllSlices()
{
    pf::KeyChange slicesChange(this, QStringLiteral("slices"));
    pf::KeyChange selectionChange(this, QStringLiteral("selectedSlices"));
    pf::NotificationCenter& centre = pf::NotificationCenter::defaultCenter();
    centre.post(kVNQLSlicesLayerWillRemoveSlice, this);
    const QList<pf::Ref<PWXSlice>> removed = m_slices;
    if (!removed.isEmpty()) {
        if (pf::UndoManager* manager = undoManagerOrNull())
            manager->registerUndo(this, [this, removed] { restoreRemovedSlices(removed); });
    }
    for (const pf::Ref<PWXSlice>& slice : removed) {
        slice->setNeedsDisplay();
        if (slice->slicesLayer() == this)
            slice->setSlicesLayer(nullptr);
    }
    m_slices.clear();
    m_selectedSlices.clear();
    hideRulerMarkers();
    setNeedsDisplay(true);
    centre.post(kVNQLSlicesLayerDidRemoveSlice, this);
    setActionName(tr("Delete Slices"));
}

void VNQLSlicesLayer::restoreRemovedSlices(const QList<pf::Ref<PWXSlice>>& slices)
{
    setSlices(slices);
    if (pf::UndoManager* manager = undoManagerOrNull())
        manager->registerUndo(this, [this] { removeAllSlices(); });
}

void VNQLSlicesLayer::setSlices(const QList<pf::Ref<PWXSlice>>& slices)
{
    pf::KeyChange slicesChange(this, QStringLiteral("slices"));
    pf::KeyChange selectionChange(this, QStringLiteral("selectedSlices"));
    setNeedsDisplay(true);

    QList<pf::Ref<PWXSlice>> kept;
    QSet<const PWXSlice*> seen;
    for (const pf::Ref<PWXSlice>& slice : slices) {
        if (!slice || seen.contains(slice.get()))
            continue;
        // A slice another layer holds stays there.
        VNQLSlicesLayer* owner = slice->slicesLayer();
        if (owner && owner != this && owner->indexOfSlice(slice.get()) >= 0)
            continue;
        seen.insert(slice.get());
        kept.append(slice);
    }
    for (const pf::Ref<PWXSlice>& slice : std::as_const(m_slices))
        if (!seen.contains(slice.get()) && slice->slicesLayer() == this)
            slice->setSlicesLayer(nullptr);
    for (const pf::Ref<PWXSlice>& slice : std::as_const(kept))
        slice->setSlicesLayer(this);
    m_slices = kept;
    m_selectedSlices.removeIf([&](const pf::Ref<PWXSlice>& slice) { return !seen.contains(slice.get()); });

    setNeedsDisplay(true);
}

qint64 VNQLSlicesLayer::indexOfSlice(const PWXSlice* slice) const
{
    for (qsizetype i = 0; i < m_slices.size(); ++i)
        if (m_slices.at(i).get() == slice)
            return i;
    return -1;
}

pf::Ref<PWXSlice> VNQLSlicesLayer::sliceAtPoint(const QPointF& point, int* part) const
{
    for (qsizetype i = m_slices.size() - 1; i >= 0; --i) {
        const int hit = m_slices.at(i)->hitTest(point);
        if (hit != PWXSlice::kNoPart) {
            if (part)
                *part = hit;
            return m_slices.at(i);
        }
    }
    if (part)
        *part = PWXSlice::kNoPart;
    return nullptr;
}

// Selection ------------------------------------------------------------------------------------------

void VNQLSlicesLayer::postSelectionChange(const QString& name, const QVariantMap& info)
{
    pf::NotificationCenter::defaultCenter().post(name, this, info);
}

void VNQLSlicesLayer::selectSlicesInArray(const QList<pf::Ref<PWXSlice>>& slices, bool extendingSelection)
{
    pf::KeyChange change(this, QStringLiteral("selectedSlices"));
    const QVariantMap info{{kVNQLSliceKey, pf::toVariant(slices.value(0))}, {kVNQLSlicesKey, variantList(slices)}};
    postSelectionChange(kVNQLSliceLayerWillChangeSelection, info);
    for (const pf::Ref<PWXSlice>& slice : slices)
        if (slice)
            slice->setNeedsDisplay();
    if (!extendingSelection) {
        for (const pf::Ref<PWXSlice>& slice : std::as_const(m_selectedSlices))
            slice->setNeedsDisplay();
        m_selectedSlices.clear();
    }
    for (const pf::Ref<PWXSlice>& slice : slices)
        if (slice && indexOfSlice(slice.get()) >= 0 && !m_selectedSlices.contains(slice))
            m_selectedSlices.append(slice);
    postSelectionChange(kVNQLSlicesLayerDidChangeSelection, info);
}

void VNQLSlicesLayer::selectSlice(const pf::Ref<PWXSlice>& slice, bool extendingSelection)
{
    if (!slice)
        return;
    selectSlicesInArray({slice}, extendingSelection);
    if (indexOfSlice(slice.get()) >= 0)
        updateRulerMarkersForRect(slice->bounds());
}

void VNQLSlicesLayer::deselectSlice(const pf::Ref<PWXSlice>& slice)
{
    if (!slice)
        return;
    pf::KeyChange change(this, QStringLiteral("selectedSlices"));
    const QVariantMap info{{kVNQLSliceKey, pf::toVariant(slice)}};
    postSelectionChange(kVNQLSliceLayerWillChangeSelection, info);
    slice->setNeedsDisplay();
    m_selectedSlices.removeAll(slice);
    hideRulerMarkers();
    postSelectionChange(kVNQLSlicesLayerDidChangeSelection, info);
}

void VNQLSlicesLayer::selectAll()
{
    pf::KeyChange change(this, QStringLiteral("selectedSlices"));
    postSelectionChange(kVNQLSliceLayerWillChangeSelection, {});
    m_selectedSlices = m_slices;
    for (const pf::Ref<PWXSlice>& slice : std::as_const(m_selectedSlices))
        slice->setNeedsDisplay();
    postSelectionChange(kVNQLSlicesLayerDidChangeSelection, {});
}

void VNQLSlicesLayer::deselectAll()
{
    pf::KeyChange change(this, QStringLiteral("selectedSlices"));
    postSelectionChange(kVNQLSliceLayerWillChangeSelection, {});
    for (const pf::Ref<PWXSlice>& slice : std::as_const(m_selectedSlices))
        slice->setNeedsDisplay();
    m_selectedSlices.clear();
    hideRulerMarkers();
    postSelectionChange(kVNQLSlicesLayerDidChangeSelection, {});
}

// Geometry -------------------------------------------------------------------------------------------

QPointF VNQLSlicesLayer::snapPointToGuides(const QPointF& point) const
{
    PWDrawing* drawing = this->drawing();
    return drawing ? drawing->snapToGuides(point) : point;
}

QList<QPointF> VNQLSlicesLayer::selectionSnappingPointsWithOffset(const QSizeF& offset) const
{
    QList<QPointF> points;
    for (const pf::Ref<PWXSlice>& slice : selectedSlices())
        points.append(slice->snappingPointsWithOffset(offset));
    return points;
}

QSizeF VNQLSlicesLayer::snapPointsToGuidesWithControlFlag(const QList<QPointF>& points, bool controlFlag) const
{
    PWDrawing* drawing = this->drawing();
    if (controlFlag || !drawing)
        return QSizeF(0, 0);
    return drawing->snapPointsToGuide(points);
}

void VNQLSlicesLayer::moveSelectedSlicesBy(double dx, double dy)
{
    if (dx == 0.0 && dy == 0.0)
        return;
    for (const pf::Ref<PWXSlice>& slice : selectedSlices())
        slice->setBounds(slice->bounds().translated(dx, dy));
}

QString VNQLSlicesLayer::dimensionStringForLength(double length) const
{
    PWDrawing* drawing = this->drawing();
    if (m_useDrawingUnits && drawing)
        return QStringLiteral("%1 %2").arg(drawing->convertLength(length), 0, 'f', 2).arg(drawing->abbreviatedDrawingUnits());
    return QStringLiteral("%1 pt").arg(length, 0, 'f', 0);
}

void VNQLSlicesLayer::zoomToRect(const QRectF& rect)
{
    if (rect.isEmpty())
        return;
    PWDrawing* drawing = this->drawing();
    if (!drawing)
        return;
    // The focused view when it shows this drawing, else the first view of the drawing.
    auto* focused = dynamic_cast<PWDrawingView*>(QApplication::focusWidget());
    if (focused && focused->drawing().get() == drawing) {
        focused->zoomViewToRect(rect);
        return;
    }
    for (PWDrawingViewTarget* controller : drawing->controllers()) {
        if (auto* view = dynamic_cast<PWDrawingView*>(controller->view())) {
            view->zoomViewToRect(rect);
            return;
        }
    }
}

// Undo snapshots ---------------------------------------------------------------------------------

QVariantList VNQLSlicesLayer::slicesUndoInfo() const
{
    QVariantList info;
    for (const pf::Ref<PWXSlice>& slice : m_slices)
        info.append(QVariantMap{{kVNQLSnapshotSliceKey, pf::toVariant(slice)},
                                {kVNQLSnapshotBoundsKey, slice->bounds()},
                                {kVNQLSnapshotSelectedKey, m_selectedSlices.contains(slice)}});
    return info;
}

void VNQLSlicesLayer::restoreSlicesWithUndoInfo(const QVariantList& info)
{
    if (pf::UndoManager* manager = undoManagerOrNull())
        manager->registerUndo(this, [this, fresh = slicesUndoInfo()] { restoreSlicesWithUndoInfo(fresh); });
    deselectAll();
    {
        pf::KeyChange change(this, QStringLiteral("selectedSlices"));
        for (const QVariant& value : info) {
            const QVariantMap entry = value.toMap();
            pf::Ref<PWXSlice> slice = pf::objectCast<PWXSlice>(entry.value(kVNQLSnapshotSliceKey));
            if (!slice || indexOfSlice(slice.get()) < 0)
                continue;
            slice->setBounds(entry.value(kVNQLSnapshotBoundsKey).toRectF());
            if (pf::variantToBool(entry.value(kVNQLSnapshotSelectedKey)) && !m_selectedSlices.contains(slice)) {
                m_selectedSlices.append(slice);
                slice->setNeedsDisplay();
            }
        }
    }
    if (!m_selectedSlices.isEmpty())
        postSelectionChange(kVNQLSlicesLayerDidChangeSelection, {});
    m_savedUndoInfo.clear();
}

// Pasteboard -----------------------------------------------------------------------------------------

bool VNQLSlicesLayer::copySelectionToPasteboard(pf::Pasteboard& pasteboard) const
{
    const QList<pf::Ref<PWXSlice>> selected = selectedSlices();
    if (selected.isEmpty())
        return false;
    QList<pf::Ref<pf::Object>> objects;
    for (const pf::Ref<PWXSlice>& slice : selected)
        objects.append(slice);
    pasteboard.clearContents();
    return pasteboard.writeObjects(objects);
}

bool VNQLSlicesLayer::pasteFromPasteboard(pf::Pasteboard& pasteboard, const QString& actionName)
{
    const QList<pf::Ref<PWXSlice>> pasted = PWXSlice::slicesFromPasteboard(pasteboard);
    if (pasted.isEmpty())
        return false;
    for (const pf::Ref<PWXSlice>& slice : pasted)
        addSlice(slice);
    selectSlicesInArray(pasted, false);
    setActionName(actionName.isEmpty() ? tr("Paste Slices") : actionName);
    return true;
}

bool VNQLSlicesLayer::deleteSelectedSlices(const QString& actionName)
{
    const QList<pf::Ref<PWXSlice>> selected = selectedSlices();
    if (selected.isEmpty())
        return false;
    pf::UndoManager* manager = undoManagerOrNull();
    const bool wasCoalescing = manager && manager->isCoalescing();
    if (manager)
        manager->disableUndoTaskCoalescing();
    for (const pf::Ref<PWXSlice>& slice : selected)
        removeSlice(slice);
    if (!actionName.isEmpty())
        setActionName(actionName);
    else if (selected.size() >= 2)
        setActionName(tr("Delete Slices"));
    if (manager && wasCoalescing)
        manager->enableUndoTaskCoalescing();
    return true;
}

pf::Ref<PWDrawing> VNQLSlicesLayer::extractDrawingFromSelection() const
{
    if (m_selectedSlices.size() != 1)
        return nullptr;
    return m_selectedSlices.first()->extractDrawing();
}

// Actions ------------------------------------------------------------------------------------------

void VNQLSlicesLayer::setToolModeAction(const QVariant& sender)
{
    if (std::optional<int> tag = senderTag(sender))
        setToolMode(*tag);
}

void VNQLSlicesLayer::copy(const QVariant&)
{
    editCopy();
}

void VNQLSlicesLayer::paste(const QVariant&)
{
    editPaste({});
}

void VNQLSlicesLayer::deleteAction(const QVariant&)
{
    editDelete({});
}

void VNQLSlicesLayer::selectAllAction(const QVariant&)
{
    selectAll();
}

pf::Ref<PWDrawing> VNQLSlicesLayer::extractDrawingAction(const QVariant&)
{
    pf::Ref<PWDrawing> extracted = extractDrawingFromSelection();
    if (!extracted)
        return nullptr;
    PWDrawing* drawing = this->drawing();
    auto owner = drawing ? std::dynamic_pointer_cast<RVCartavelDocument>(drawing->owner()) : nullptr;
    const pf::Ref<RVCartavelDocument> document =
        owner ? RVCartavelDocument::documentWithDrawing(extracted, true, owner.get(), m_selectedSlices.first()->bounds())
              : RVCartavelDocument::documentWithDrawing(extracted, true);
    return document ? extracted : nullptr;
}

bool VNQLSlicesLayer::validateUserInterfaceItem(pf::UserInterfaceItem& item) const
{
    const QString action = item.action();
    if (action == kSetToolModeAction) {
        item.setState(item.tag() == m_toolMode ? pf::ControlState::On : pf::ControlState::Off);
        return true;
    }
    if (action == kPWPasteAction)
        return PWXSlice::canInitWithPasteboard(*pf::Pasteboard::general());
    if (action == kExtractDrawingAction)
        return m_selectedSlices.size() == 1;
    return respondsTo(action);
}

// PWLayer ------------------------------------------------------------------------------------------

QString VNQLSlicesLayer::layerName() const
{
    return tr("Slices");
}

QImage VNQLSlicesLayer::icon() const
{
    static const QImage image = pf::Bundle::main().imageForResource(QStringLiteral("VN_Layer_Slices-Template"));
    return image;
}

QString VNQLSlicesLayer::auxiliaryInfoString() const
{
    return tr("%1 slices, %2 selected").arg(countOfSlices()).arg(m_selectedSlices.size());
}

QCursor VNQLSlicesLayer::cursor() const
{
    return QCursor(m_toolMode == DrawMode ? Qt::CrossCursor : Qt::ArrowCursor);
}

bool VNQLSlicesLayer::hitLayer(const QPointF& point) const
{
    return m_toolMode == DrawMode || sliceAtPoint(point) != nullptr;
}

void VNQLSlicesLayer::layerDidBecomeActiveLayer()
{
    PWLayer::layerDidBecomeActiveLayer();
    // Showing the layer goes with activating it; it is no edit of its own to undo.
    pf::UndoRegistrationDisabled off(undoManagerOrNull());
    setVisible(true);
    showToolPalette(true);
}

void VNQLSlicesLayer::showToolPalette(bool show)
{
    if (!show) {
        if (VNQLSlicesToolPaletteController::sharedSlicesToolPaletteAvailable())
            VNQLSlicesToolPaletteController::sharedSlicesToolPalette()->close();
        return;
    }
    const pf::Ref<VNQLSlicesToolPaletteController> palette = VNQLSlicesToolPaletteController::sharedSlicesToolPalette();
    palette->setDelegate(ref<pf::Object>());
    palette->showWindow({});
    palette->selectToolMode(m_toolMode);
}

void VNQLSlicesLayer::layerDidResignActiveLayer()
{
    // Mouse events go to the active layer: this gesture's mouse up will not come here.
    if (m_tracking)
        finishGesture();
    PWLayer::layerDidResignActiveLayer();
    pf::UndoRegistrationDisabled off(undoManagerOrNull());
    setVisible(false);
    showToolPalette(false);
}

void VNQLSlicesLayer::setNeedsDisplay(bool needsDisplay)
{
    if (!needsDisplay)
        return;
    for (const pf::Ref<PWXSlice>& slice : std::as_const(m_slices))
        slice->setNeedsDisplay();
}

void VNQLSlicesLayer::drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool)
{
    if (!context.isDrawingToScreen())
        return;
    for (const pf::Ref<PWXSlice>& slice : std::as_const(m_slices)) {
        if (!slice->isVisible() || (!rect.isNull() && !slice->extent().intersects(rect)))
            continue;
        slice->drawInContext(context, m_selectedSlices.contains(slice));
    }
}

// Mouse -------------------------------------------------------------------------------------------------

void VNQLSlicesLayer::endDragGuides()
{
    if (!m_dimensionGuides.isEmpty())
        PWDimensionGuide::endDimensionGuides(m_dimensionGuides);
    m_dimensionGuides.clear();
}

void VNQLSlicesLayer::resetDragState()
{
    m_draggingSlice.reset();
    m_mouseMoved = false;
    m_savedUndoInfo.clear();
    m_partCode = PWXSlice::kNoPart;
    endDragGuides();
    m_tracking = false;
}

void VNQLSlicesLayer::mouseDown(const QPointF& rawPoint, Qt::KeyboardModifiers modifiers, QWidget*)
{
    const QPointF point = flooredPoint(rawPoint);
    // A mouse up that never came: the gesture before ends as it would have.
    if (m_tracking)
        finishGesture();
    m_tracking = true;
    m_dragAnchor = snapPointToGuides(point);
    m_mouseMoved = false;
    m_partCode = PWXSlice::kNoPart;

    if (m_toolMode == DrawMode) {
        // The new slice is kept, and its undo registered, only if it is still big enough at
        // mouse up: a click must leave no step behind.
        beginDrawingGesture();
        m_draggingSlice = makeSliceAtPoint(m_dragAnchor);
        selectSlice(m_draggingSlice, false);
    } else {
        const bool extending = shiftKey(modifiers) || commandKey(modifiers);
        int part = PWXSlice::kNoPart;
        m_draggingSlice = sliceAtPoint(point, &part);
        if (m_draggingSlice) {
            m_partCode = part;
            const QPointF origin = m_draggingSlice->bounds().topLeft();
            m_dragOffset = QSizeF(point.x() - origin.x(), point.y() - origin.y());
            if (part == PWXSlice::kResizePart) {
                m_dragAnchor = origin;
            } else if (!isSliceSelected(m_draggingSlice.get())) {
                selectSlice(m_draggingSlice, extending);
            } else if (commandKey(modifiers)) {
                deselectSlice(m_draggingSlice);
            }
        } else if (!extending) {
            deselectAll();
        }
    }

    endDragGuides();
    if (m_draggingSlice)
        m_dimensionGuides = PWDimensionGuide::beginDimensionGuidesForObject(m_draggingSlice.get(),
                                                                            PWDimensionGuide::kSizeMode);
}

void VNQLSlicesLayer::mouseDragged(const QPointF& rawPoint, Qt::KeyboardModifiers modifiers, QWidget*)
{
    if (!m_tracking)
        return;
    const QPointF point = flooredPoint(rawPoint);
    if (!m_mouseMoved) {
        saveSlicesUndoInfo();
        m_mouseMoved = true;
    }
    PWXSlice* slice = m_draggingSlice.get();

    if (m_toolMode == DrawMode || m_partCode == PWXSlice::kResizePart) {
        if (slice) {
            const QPointF snapped = snapPointToGuides(point);
            slice->setBounds(QRectF(m_dragAnchor, snapped).normalized());
            PWDimensionGuide::updateDimensionGuides(m_dimensionGuides);
        }
    } else if (m_partCode == PWXSlice::kBodyPart && slice && isSliceSelected(slice)) {
        // A slice Command-clicked out of the selection stays put, so the drag has nothing to
        // measure the others' motion by: they stay put too.
        const QPointF origin = slice->bounds().topLeft();
        double dx = point.x() - m_dragOffset.width() - origin.x();
        double dy = point.y() - m_dragOffset.height() - origin.y();
        const QSizeF correction =
            snapPointsToGuidesWithControlFlag(selectionSnappingPointsWithOffset(QSizeF(dx, dy)), controlKey(modifiers));
        dx += correction.width();
        dy += correction.height();
        moveSelectedSlicesBy(dx, dy);
        endDragGuides();
    }

    if (slice)
        updateRulerMarkersForRect(slice->bounds());
}

void VNQLSlicesLayer::mouseUp(const QPointF&, Qt::KeyboardModifiers, QWidget*)
{
    if (m_tracking)
        finishGesture();
}

void VNQLSlicesLayer::finishGesture()
{
    pf::UndoManager* manager = undoManagerOrNull();

    if (m_toolMode == DrawMode) {
        const pf::Ref<PWXSlice> slice = m_draggingSlice;
        const bool tooSmall = slice
            && (slice->width() <= kMinimumSliceSide || slice->height() <= kMinimumSliceSide);
        if (tooSmall)
            removeSlice(slice);
        endDrawingGesture();
        if (slice && !tooSmall && manager && indexOfSlice(slice.get()) >= 0) {
            manager->registerUndo(this, [this, slice] { removeSlice(slice); });
            setActionName(tr("Add Slice"));
        }
    } else if (m_mouseMoved && manager) {
        // Only a drag that changed something is worth a step.
        bool changed = false;
        for (const QVariant& value : std::as_const(m_savedUndoInfo)) {
            const QVariantMap entry = value.toMap();
            pf::Ref<PWXSlice> slice = pf::objectCast<PWXSlice>(entry.value(kVNQLSnapshotSliceKey));
            if (slice && slice->bounds() != entry.value(kVNQLSnapshotBoundsKey).toRectF())
                changed = true;
        }
        if (changed) {
            manager->registerUndo(this, [this, info = m_savedUndoInfo] { restoreSlicesWithUndoInfo(info); });
            if (m_partCode == PWXSlice::kResizePart)
                setActionName(tr("Resize Slice"));
            else
                setActionName(m_selectedSlices.size() < 2 ? tr("Move Slice") : tr("Move Slices"));
        }
    }

    resetDragState();
}

// Menus and edit actions -----------------------------------------------------------------------------

pf::Ref<pf::Menu> VNQLSlicesLayer::menuForEvent(const QPointF& point, QWidget* view)
{
    if (pf::Ref<PWXSlice> slice = sliceAtPoint(flooredPoint(point)))
        return slice->menuForEvent(point, view);

    pf::Ref<pf::Menu> menu = pf::Menu::make();
    const auto add = [&](const QString& title, const QString& action, int tag, bool targeted) {
        pf::Ref<pf::MenuItem> item = pf::MenuItem::make(title, action);
        item->setTag(tag);
        if (targeted)
            item->setTarget(this);
        menu->addItem(item);
    };
    add(tr("Draw Slices"), kSetToolModeAction, DrawMode, true);
    add(tr("Select Slices"), kSetToolModeAction, SelectMode, true);
    // The document answers the export.
    add(tr("Export Slices..."), kExportAction, 0, false);
    if (!m_selectedSlices.isEmpty())
        add(tr("Copy Slices"), kPWCopyAction, 0, true);
    if (PWXSlice::canInitWithPasteboard(*pf::Pasteboard::general()))
        add(tr("Paste Slices"), kPWPasteAction, 0, true);
    menu->addItem(pf::MenuItem::separator());
    add(tr("Slices Help..."), QStringLiteral("slicesHelpAction:"), 0, true);
    return menu;
}

void VNQLSlicesLayer::slicesHelpAction(const QVariant&)
{
    VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(QStringLiteral("slices-layer"));
}

bool VNQLSlicesLayer::editCopy()
{
    return copySelectionToPasteboard(*pf::Pasteboard::general());
}

bool VNQLSlicesLayer::editPaste(const QString& actionName, std::optional<QPointF>)
{
    // Slices come back exactly where they were copied from.
    return pasteFromPasteboard(*pf::Pasteboard::general(), actionName);
}

bool VNQLSlicesLayer::editDelete(const QString& actionName)
{
    return deleteSelectedSlices(actionName);
}

bool VNQLSlicesLayer::editSelectAll(const QString&)
{
    if (m_slices.isEmpty())
        return false;
    selectAll();
    return true;
}

bool VNQLSlicesLayer::validateMenuItem(pf::UserInterfaceItem& item) const
{
    return validateUserInterfaceItem(item);
}

bool VNQLSlicesLayer::handlesAction(const QString& selector) const
{
    return selector == kPWCopyAction || selector == kPWPasteAction || selector == kPWDeleteAction
        || selector == kPWSelectAllAction || selector == kSetToolModeAction || selector == kExtractDrawingAction;
}

bool VNQLSlicesLayer::performAction(const QString& selector, const QString& actionName)
{
    // The standard edit actions reach this layer's edit hooks through the base class.
    if (selector == kExtractDrawingAction)
        return extractDrawingAction({}) != nullptr;
    return handlesAction(selector) && PWLayer::performAction(selector, actionName);
}

// Archiving ----------------------------------------------------------------------------------------

void VNQLSlicesLayer::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWLayer::encodeWithCoder(coder);
    coder.encodePropertyListValue(variantList(m_slices), kSlicesKey);
    coder.encodeInt32(m_toolMode, kToolModeKey);
}

void VNQLSlicesLayer::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWLayer::initWithCoder(coder);
    m_slices.clear();
    QSet<const PWXSlice*> seen;
    for (const QVariant& value : coder.decodePropertyListValue(kSlicesKey).toList()) {
        pf::Ref<PWXSlice> slice = pf::objectCast<PWXSlice>(value);
        if (!slice || seen.contains(slice.get()))
            continue;
        seen.insert(slice.get());
        slice->setSlicesLayer(this);
        m_slices.append(slice);
    }
    m_selectedSlices.clear();
    // The stored mode is not read: a layer that has slices opens ready to select them.
    m_toolMode = m_slices.isEmpty() ? DrawMode : SelectMode;
    setSelectionColour(Qt::black);
}
