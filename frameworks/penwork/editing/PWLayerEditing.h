#pragma once

#include "platform/foundation/Object.h"

#include <QPointF>
#include <QSizeF>
#include <QString>

#include <optional>

class PWDrawableObject;
class PWObjectDrawingLayer;
namespace pf {
class Pasteboard;
}

// The edit operations of the menus and panes on a drawing layer's selection. Each operation
// works on the selected available objects (visible and unlocked), makes one undo step named
// `actionName` (the sender's title; a default name when empty) whose undo restores the
// selection too, and answers whether it changed anything. Each has a validator for menu
// validation that answers whether the operation would do something now.
//
// Copies go to the pasteboard given, the general pasteboard when null, in the framework's
// drawable form.
class PWLayerEditing {
public:
    PWLayerEditing() = delete;

    // Offset of a pasted or duplicated copy from its original, in drawing units.
    static constexpr double kPasteOffset = 10.0;
    // The farthest two end points may lie apart for join.
    static constexpr double kDefaultJoinTolerance = 10.0;

    // Pasteboard --------------------------------------------------------------------------------

    static bool cut(PWObjectDrawingLayer& layer, const QString& actionName = {}, pf::Pasteboard* pasteboard = nullptr);
    static bool canCut(const PWObjectDrawingLayer& layer);
    // Writes the selection to the pasteboard; no undo step (the drawing does not change).
    static bool copy(PWObjectDrawingLayer& layer, const QString& actionName = {}, pf::Pasteboard* pasteboard = nullptr);
    static bool canCopy(const PWObjectDrawingLayer& layer);
    // Adds the pasteboard's drawables on top and selects them. With `point` they are centred
    // there; otherwise they keep their place, moved by kPasteOffset (repeatedly) while they
    // would land exactly on objects of the layer.
    static bool paste(PWObjectDrawingLayer& layer, const QString& actionName = {},
                      std::optional<QPointF> point = std::nullopt, pf::Pasteboard* pasteboard = nullptr);
    static bool canPaste(const PWObjectDrawingLayer& layer, pf::Pasteboard* pasteboard = nullptr);

    // Selection ---------------------------------------------------------------------------------

    // Copies of the selection, kPasteOffset right and down, above the topmost original; selected.
    static bool duplicate(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canDuplicate(const PWObjectDrawingLayer& layer);
    static bool deleteSelection(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canDeleteSelection(const PWObjectDrawingLayer& layer);
    // Selects every visible, unlocked object (a selection undo step).
    static bool selectAll(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canSelectAll(const PWObjectDrawingLayer& layer);

    // Grouping and flipping ---------------------------------------------------------------------

    // Two or more objects become one group where the topmost of them was.
    static bool group(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canGroup(const PWObjectDrawingLayer& layer);
    // Each selected group gives way to its members, in its place; the members are selected.
    static bool ungroup(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canUngroup(const PWObjectDrawingLayer& layer);
    // Mirrors the selection about the centre of its bounds.
    static bool flipHorizontal(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canFlipHorizontal(const PWObjectDrawingLayer& layer);
    static bool flipVertical(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canFlipVertical(const PWObjectDrawingLayer& layer);

    // Conversion --------------------------------------------------------------------------------
    // Each converted object takes the place (stacking index), style, name and metadata of the
    // original; objects that cannot convert are left alone, and nothing convertible means false.

    // Any drawable with an outline to a PWDrawablePath of that outline.
    static bool convertToPath(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canConvertToPath(const PWObjectDrawingLayer& layer);
    // Paths and other outlines (not text, images or groups) to a PWDrawableShape of the outline.
    static bool convertToShape(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canConvertToShape(const PWObjectDrawingLayer& layer);
    // A group of shapes, one for each separate region of the outline (holes stay with the
    // region round them): text gives its glyphs (filled in the text colour), other objects
    // whose outline has two or more regions give those in the object's style.
    static bool convertToShapeGroup(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canConvertToShapeGroup(const PWObjectDrawingLayer& layer);
    // Text paths to text shapes with the same text.
    static bool convertToTextShape(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canConvertToTextShape(const PWObjectDrawingLayer& layer);
    // Text shapes to text paths with the same text along a line across the middle of the box.
    static bool convertToTextPath(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canConvertToTextPath(const PWObjectDrawingLayer& layer);

    // `replacement` (in no container) takes the place of `original` (an object of the layer) and
    // becomes the selection; false, changing nothing, when `original` is not in the layer.
    static bool replaceObject(PWObjectDrawingLayer& layer, const pf::Ref<PWDrawableObject>& original,
                              const pf::Ref<PWDrawableObject>& replacement, const QString& actionName);

    // Stacking order (as the arrange pane moves them) ------------------------------------------

    static bool bringForward(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canBringForward(const PWObjectDrawingLayer& layer);
    static bool sendBackward(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canSendBackward(const PWObjectDrawingLayer& layer);
    static bool bringToFront(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canBringToFront(const PWObjectDrawingLayer& layer);
    static bool sendToBack(PWObjectDrawingLayer& layer, const QString& actionName = {});
    static bool canSendToBack(const PWObjectDrawingLayer& layer);

    // Duplication into the layer ----------------------------------------------------------------
    // The copies go above the topmost original and become the selection.

    static bool linearDuplicate(PWObjectDrawingLayer& layer, const QSizeF& offset, int copies,
                                const QString& actionName = {});
    static bool polarDuplicate(PWObjectDrawingLayer& layer, const QPointF& centre, int copies,
                               double incrementDegrees, bool rotateCopies, const QString& actionName = {});
    // Needs exactly one selected object.
    static bool autoPolarDuplicate(PWObjectDrawingLayer& layer, const QPointF& centre, const QString& actionName = {});
    static bool canLinearDuplicate(const PWObjectDrawingLayer& layer);
    static bool canPolarDuplicate(const PWObjectDrawingLayer& layer);
    static bool canAutoPolarDuplicate(const PWObjectDrawingLayer& layer);

    // Paths -------------------------------------------------------------------------------------

    // `copies` parallels of each selected object that makes them (paths), copy i at i times
    // `distance` (positive: left of travel). With a positive distance they go just above their
    // original, the first nearest it; otherwise just below it, the last lowest. The parallels
    // become the selection. A copy count outside 1..kMaxCopies of the layer makes none.
    static bool makeParallelCopy(PWObjectDrawingLayer& layer, double distance, int copies, bool smooth,
                                 const QString& actionName = {});
    static bool canMakeParallelCopy(const PWObjectDrawingLayer& layer);
    // The single selected path is cut at `length` along it into two paths in its place (both
    // selected); false when the length is not strictly inside the path.
    static bool splitAtLength(PWObjectDrawingLayer& layer, double length, const QString& actionName = {});
    static bool canSplitAtLength(const PWObjectDrawingLayer& layer);
    // Exactly two selected open paths become one, joined at their nearest end points when those
    // lie within `tolerance`; the result takes the lower path's style and place.
    static bool join(PWObjectDrawingLayer& layer, const QString& actionName = {},
                     double tolerance = kDefaultJoinTolerance);
    static bool canJoin(const PWObjectDrawingLayer& layer);
};
