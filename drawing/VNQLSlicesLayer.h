#pragma once

#include "drawing/PWXSlice.h"

#include "frameworks/penwork/layers/PWLayer.h"
#include "frameworks/penwork/tools/PWDimensionGuide.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVariantList>

#include <memory>

namespace pf {
class Pasteboard;
class UndoManager;
}

// Notifications of the slices layer (object: the layer).
inline const QString kVNQLSlicesLayerToolModeDidChange = QStringLiteral("kVNQLSlicesLayerToolModeDidChange");
inline const QString kVNQLSliceLayerWillChangeSelection = QStringLiteral("kVNQLSliceLayerWillChangeSelection");
inline const QString kVNQLSlicesLayerDidChangeSelection = QStringLiteral("kVNQLSlicesLayerDidChangeSelection");
inline const QString kVNQLSlicesLayerWillAddSlice = QStringLiteral("kVNQLSlicesLayerWillAddSlice");
inline const QString kVNQLSlicesLayerDidAddSlice = QStringLiteral("kVNQLSlicesLayerDidAddSlice");
inline const QString kVNQLSlicesLayerWillRemoveSlice = QStringLiteral("kVNQLSlicesLayerWillRemoveSlice");
inline const QString kVNQLSlicesLayerDidRemoveSlice = QStringLiteral("kVNQLSlicesLayerDidRemoveSlice");
// Selection notifications carry the first slice under kVNQLSliceKey and all under this key.
inline const QString kVNQLSlicesKey = QStringLiteral("slices");

// Keys of an undo snapshot entry.
inline const QString kVNQLSnapshotSliceKey = QStringLiteral("slice");
inline const QString kVNQLSnapshotBoundsKey = QStringLiteral("bbox");
inline const QString kVNQLSnapshotSelectedKey = QStringLiteral("sel");

// The layer of a drawing that holds its slices: named rectangles marking regions to export.
// It takes the mouse itself while active (drawing new slices, or selecting, moving and
// resizing them), draws them only on screen and only while active, keeps its own selection
// with notifications, copies, pastes and deletes slices with undo, and is never printed,
// deleted or renamed. Every document's drawing holds exactly one, hidden until activated.
class VNQLSlicesLayer : public PWLayer {
    PF_CLASS(VNQLSlicesLayer)
public:
    enum ToolMode : int { SelectMode = 0, DrawMode = 1 };

    // Slices of 4 points or less in either direction are not kept when drawn.
    static constexpr double kMinimumSliceSide = 4.0;

    VNQLSlicesLayer();
    ~VNQLSlicesLayer() override;

    // Properties ------------------------------------------------------------------------------

    QList<pf::Ref<PWXSlice>> slices() const { return m_slices; }
    qint64 countOfSlices() const { return qint64(m_slices.size()); }
    // In layer order.
    QList<pf::Ref<PWXSlice>> selectedSlices() const;
    bool isSliceSelected(const PWXSlice* slice) const;
    int toolMode() const { return m_toolMode; }
    // Values other than SelectMode and DrawMode are refused. A change in the middle of a
    // mouse gesture ends the gesture first, as its mouse up would.
    void setToolMode(int mode);
    // The slices tool palette: with `show` the layer becomes its delegate and it shows the
    // layer's mode; otherwise it closes.
    void showToolPalette(bool show);
    // The palette's callback ("slicesToolPaletteController:didSelectMode:"): sets the mode.
    void slicesToolPaletteControllerDidSelectMode(int mode) { setToolMode(mode); }
    bool useDrawingUnits() const { return m_useDrawingUnits; }
    void setUseDrawingUnits(bool use);

    // Drag state, as left by the mouse handlers.
    PWXSlice* draggingSlice() const { return m_draggingSlice.get(); }
    QPointF dragAnchor() const { return m_dragAnchor; }
    QSizeF dragOffset() const { return m_dragOffset; }
    bool mouseMoved() const { return m_mouseMoved; }
    int partCode() const { return m_partCode; }
    QVariantList savedUndoInfo() const { return m_savedUndoInfo; }
    const PWDimensionGuide::GuideSet& dimensionGuides() const { return m_dimensionGuides; }

    // The slice list -------------------------------------------------------------------------------

    // A new slice titled "Slice" in the layer's selection colour, added with addSlice.
    pf::Ref<PWXSlice> addNewSlice();
    // addNewSlice, at the point with zero size.
    pf::Ref<PWXSlice> makeSliceAtPoint(const QPointF& point);
    // Appends the slice (undo: "Add Slice"). Null is a programming error; a slice already in
    // this or another layer is refused (NSInvalidArgumentException).
    void addSlice(const pf::Ref<PWXSlice>& slice);
    // Undo puts it back at its place ("Delete Slice"). A slice not in the layer changes
    // nothing but the notifications are still posted.
    void removeSlice(const pf::Ref<PWXSlice>& slice);
    // Undo gives every slice back, attached to this layer ("Delete Slices").
    void removeAllSlices();
    // Replaces the list (no undo): the new slices are attached, those left out detached.
    void setSlices(const QList<pf::Ref<PWXSlice>>& slices);
    qint64 indexOfSlice(const PWXSlice* slice) const;
    // The topmost slice whose hit part at the point is not kNoPart; its part goes to `part`.
    pf::Ref<PWXSlice> sliceAtPoint(const QPointF& point, int* part = nullptr) const;

    // Selection (each change posts the will / did selection notifications) ------------------

    void selectSlicesInArray(const QList<pf::Ref<PWXSlice>>& slices, bool extendingSelection);
    void selectSlice(const pf::Ref<PWXSlice>& slice, bool extendingSelection);
    void deselectSlice(const pf::Ref<PWXSlice>& slice);
    void selectAll();
    void deselectAll();

    // Geometry -------------------------------------------------------------------------------------

    QPointF snapPointToGuides(const QPointF& point) const;
    QList<QPointF> selectionSnappingPointsWithOffset(const QSizeF& offset) const;
    // The correction that snaps the points to the guides; zero with the control flag.
    QSizeF snapPointsToGuidesWithControlFlag(const QList<QPointF>& points, bool controlFlag) const;
    void moveSelectedSlicesBy(double dx, double dy);
    // "%.2f <unit>" in drawing units with useDrawingUnits, else "%.0f pt".
    QString dimensionStringForLength(double length) const;
    // Zooms the current view onto the rectangle; an empty one does nothing.
    void zoomToRect(const QRectF& rect);

    // Undo snapshots ---------------------------------------------------------------------------

    // One entry a slice, in order: {"slice", "bbox", "sel"}.
    QVariantList slicesUndoInfo() const;
    void saveSlicesUndoInfo() { m_savedUndoInfo = slicesUndoInfo(); }
    // Puts bounds and selection back as the snapshot has them (for slices still in the layer)
    // and registers the reverse.
    void restoreSlicesWithUndoInfo(const QVariantList& info);

    // Pasteboard -----------------------------------------------------------------------------------

    // Writes the selected slices (in layer order); false when none is selected.
    bool copySelectionToPasteboard(pf::Pasteboard& pasteboard) const;
    // Adds copies of the pasteboard's slices and selects exactly them (undo: `actionName`,
    // "Paste Slices" when empty); false when it holds none.
    bool pasteFromPasteboard(pf::Pasteboard& pasteboard, const QString& actionName = {});
    // Removes the selected slices as one step ("Delete Slices" for two or more, else the
    // single removal's name, unless `actionName` is given); false when none is selected.
    bool deleteSelectedSlices(const QString& actionName = {});
    // The drawing of the only selected slice's rectangle; null unless exactly one is selected.
    pf::Ref<PWDrawing> extractDrawingFromSelection() const;

    // Actions (a sender as menus send it) ---------------------------------------------------

    void setToolModeAction(const QVariant& sender);
    // Shows the slices layer's help page.
    void slicesHelpAction(const QVariant& sender = {});
    void copy(const QVariant& sender);
    using PWLayer::copy; // the object copy stays reachable beside the action
    void paste(const QVariant& sender);
    void deleteAction(const QVariant& sender);
    void selectAllAction(const QVariant& sender);
    // Opens the extracted drawing (see extractDrawingFromSelection) as a new untitled document
    // and answers it; null when nothing was extracted or no document could be made.
    pf::Ref<PWDrawing> extractDrawingAction(const QVariant& sender);
    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) const;

    // PWLayer ------------------------------------------------------------------------------------

    QString layerName() const override;
    bool allowsRenaming() const override { return false; }
    bool layerMayBeDeleted() const override { return false; }
    bool shouldDrawToPrinter() const override { return false; }
    bool shouldAutoActivateWithEvent(const QPointF& point, Qt::KeyboardModifiers modifiers) const override
    {
        return false;
    }
    QImage icon() const;
    // "%ld slices, %ld selected".
    QString auxiliaryInfoString() const;
    bool implementsOwnTools() const override { return true; }
    QCursor cursor() const override;
    bool hitLayer(const QPointF& point) const override;
    void layerDidBecomeActiveLayer() override;
    void layerDidResignActiveLayer() override;
    void setNeedsDisplay(bool needsDisplay) override;
    // On screen only: every visible slice meeting the rectangle, in list order.
    void drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting) override;

    // Mouse, in drawing coordinates (rounded down to whole points).
    void mouseDown(const QPointF& point, Qt::KeyboardModifiers modifiers, QWidget* view) override;
    void mouseDragged(const QPointF& point, Qt::KeyboardModifiers modifiers, QWidget* view) override;
    void mouseUp(const QPointF& point, Qt::KeyboardModifiers modifiers, QWidget* view) override;

    pf::Ref<pf::Menu> menuForEvent(const QPointF& point, QWidget* view) override;
    bool editCopy() override;
    bool editPaste(const QString& actionName, std::optional<QPointF> point = std::nullopt) override;
    bool editDelete(const QString& actionName) override;
    bool editSelectAll(const QString& actionName) override;
    bool validateMenuItem(pf::UserInterfaceItem& item) const override;
    bool handlesAction(const QString& selector) const override;
    bool performAction(const QString& selector, const QString& actionName) override;

    // Layer fields first, then "VNQLSlicesLayer_slices" and "VNQLSlicesLayer_toolMode".
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    // Inserts without the checks of addSlice (undo of a removal puts it back at its place).
    void insertSlice(const pf::Ref<PWXSlice>& slice, qsizetype index);
    void restoreRemovedSlices(const QList<pf::Ref<PWXSlice>>& slices);
    void postSelectionChange(const QString& name, const QVariantMap& info);
    void setActionName(const QString& name) const;
    pf::UndoManager* undoManagerOrNull() const;
    void endDragGuides();
    void resetDragState();
    // What the mouse up does: keeps or drops the drawn slice, registers the move or resize.
    void finishGesture();
    // Turns undo registration off until endDrawingGesture, once per gesture.
    void beginDrawingGesture();
    void endDrawingGesture();

    QList<pf::Ref<PWXSlice>> m_slices;
    QList<pf::Ref<PWXSlice>> m_selectedSlices;
    int m_toolMode = DrawMode;
    // Between a mouse down and its mouse up.
    bool m_tracking = false;
    bool m_mouseMoved = false;
    bool m_useDrawingUnits = false;
    int m_partCode = PWXSlice::kNoPart;
    pf::Ref<PWXSlice> m_draggingSlice;
    QVariantList m_savedUndoInfo;
    PWDimensionGuide::GuideSet m_dimensionGuides;
    QPointF m_dragAnchor;
    QSizeF m_dragOffset;
    // The undo manager whose registration a drawing gesture turned off, while it is off.
    std::weak_ptr<pf::Object> m_disabledUndoManager;
};
