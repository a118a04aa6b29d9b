#pragma once

#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"

#include <QSizeF>
#include <QUrl>

#include <functional>
#include <memory>

class QMimeData;

namespace pf {
class DraggingInfo;
}

// The ordinary drawing layer: an object layer that draws its selection highlight (while it is
// the active layer, or always with selectionIsShownWhenInactive) and makes duplicates of
// objects in a row or round a centre.
class PWObjectDrawingLayer : public PWObjectOwnerLayer {
    PF_CLASS(PWObjectDrawingLayer)
public:
    PWObjectDrawingLayer();

    static bool selectionIsShownWhenInactive();
    static void setSelectionIsShownWhenInactive(bool shown);

    // Copies are made of the objects; none is added to the layer. A copy count outside
    // 1..kMaxCopies gives no copies.
    static constexpr int kMaxCopies = 10000;
    // Copy i (1..copies) of each object is moved by i times `offset`; copies come copy by copy,
    // each in the order of `objects`.
    ObjectList linearDuplicate(const ObjectList& objects, const QSizeF& offset, int copies) const;
    // Copy i of each object is turned about `centre` by i times `incrementDegrees` (clockwise on
    // screen), and rotated by that angle itself when `rotateCopies`.
    ObjectList polarDuplicate(const ObjectList& objects, const QPointF& centre, int copies, double incrementDegrees,
                              bool rotateCopies) const;
    // As many rotated copies of `object` as fit round `centre` side by side without
    // overlapping, spaced evenly round the full turn; none when the object lies on the centre.
    ObjectList autoPolarDuplicate(const pf::Ref<PWDrawableObject>& object, const QPointF& centre) const;

    // Arranging the selection. Each works on the selected available objects by their logical
    // bounds, as one undo step named `actionName` (the sender's title), and answers whether
    // anything moved. Alignment needs two objects: it lines them up on the outermost edge (or
    // the centre line of the selection's bounds). Distribution needs three: the outermost two
    // stay put and the others are spaced evenly between them, by centres or by equal gaps.
    // The drawing is y-down, so "top" is the smallest y.
    bool alignTopEdges(const QString& actionName);
    bool alignVerticalCentres(const QString& actionName);
    bool alignBottomEdges(const QString& actionName);
    bool alignLeftEdges(const QString& actionName);
    bool alignHorizontalCentres(const QString& actionName);
    bool alignRightEdges(const QString& actionName);
    bool distributeVerticalCentres(const QString& actionName);
    bool distributeVerticalSpace(const QString& actionName);
    bool distributeHorizontalCentres(const QString& actionName);
    bool distributeHorizontalSpace(const QString& actionName);

    // Boolean operations on the selected available objects that can take part in them (at
    // least two), as one undo step named `actionName`. The sources leave the layer and the
    // results, new path objects, take their place and become the selection. Answers false,
    // changing nothing, when there are too few objects or the result would be empty.
    //  union: one path covering them all, in the topmost object's style;
    //  diff: the bottom object with all the others cut away, in its own style;
    //  intersection: the area all of them share, in the topmost object's style;
    //  combine: every outline appended into one even-odd path, in the topmost object's style;
    //  cookieCutter: every separate region their overlaps make, each in the style of the
    //  topmost object that covers it.
    bool unionSelectedObjects(const QString& actionName);
    bool diffSelectedObjects(const QString& actionName);
    bool intersectionSelectedObjects(const QString& actionName);
    bool combineSelectedObjects(const QString& actionName);
    bool cookieCutterSelectedObjects(const QString& actionName);

    // Gives each selected available object that accepts `style` (validateStyle) that style, as
    // one undo step "Apply Style"; answers how many took it.
    int applyStyle(const pf::Ref<PWStyle>& style);
    // Gives each selected available object that takes a master ("setMaster:") `master`, as one
    // undo step "Apply Symbol"; answers how many took it.
    virtual int applySymbol(const pf::Ref<pf::Object>& master);
    // Gives each selected available object that takes an overlay style ("setAuxiliaryStyle:")
    // `style`, as one undo step "Set Auxiliary Style"; answers how many took it.
    virtual int setAuxiliaryStyle(const pf::Ref<PWStyle>& style);

    void drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting) override;
    // The selection highlight drawInContext puts over the objects, alone: for drawing the
    // objects elsewhere (on other threads) and the highlight over them afterwards.
    void drawSelectionInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting) const;

    // Editing through the view ---------------------------------------------------------------------

    // Scrolls `view` (null: the layer's current view) to show the selection; false without a
    // selection or a view.
    bool scrollToSelectionInView(QWidget* view = nullptr);

    // A drop of files at `point` (drawing coordinates): readable images become image shapes
    // centred there, drawing files give their objects (centred there as a whole); all the new
    // objects are added as one undo step and selected. Answers false, changing nothing, when
    // any file cannot be read, or there are no files.
    bool performFileDropOperation(const QList<QUrl>& urls, const QPointF& point);
    // The same for dropped data: file urls, else image data, else drawables of the framework's
    // pasteboard form.
    bool performFileDropOperation(const QMimeData& data, const QPointF& point);
    // A file drop from a view at `point`: an operation "performFileDropOperation:" of the class
    // table (given a const pf::DraggingInfo*) is asked first, so an extension may take the
    // drop; when there is none or it answers false, the drop's data is dropped as above.
    bool performFileDrop(const pf::DraggingInfo& info, const QPointF& point);

    // The standard edit actions and the arrange, group and conversion actions by selector
    // ("cut:", "copy:", "paste:", "delete:", "selectAll:", "duplicate:", "group:", "ungroup:",
    // "toggleHorizontalFlip:", "toggleVerticalFlip:", "convertToPath:", "convertToShape:",
    // "convertToShapeGroup:", "convertToTextShape:", "convertToTextPath:", "bringForward:",
    // "sendBackward:", "bringToFront:", "sendToBack:", "join:"), through PWLayerEditing.
    bool editCut(const QString& actionName) override;
    bool editCopy() override;
    bool editPaste(const QString& actionName, std::optional<QPointF> point = std::nullopt) override;
    bool editDelete(const QString& actionName) override;
    bool editSelectAll(const QString& actionName) override;
    bool validateMenuItem(pf::UserInterfaceItem& item) const override;
    bool handlesAction(const QString& selector) const override;
    bool performAction(const QString& selector, const QString& actionName) override;
    // The edit items, preceded by what the object under `point` adds (populateContextualMenu).
    pf::Ref<pf::Menu> menuForEvent(const QPointF& point, QWidget* view) override;

    // Runs `edit` as one undo step named `actionName` (unless empty). The selection becomes the
    // objects `edit` answers; undo brings back the selection there was before, redo this one.
    void performSelectionStep(const QString& actionName, const std::function<ObjectList()>& edit);

private:
    // Registers an undo action that selects `objects` (those in the layer then) and registers
    // its own opposite, selecting `opposite`. Registered both first and last in a step that
    // swaps objects, it runs after the objects are back whichever way the step is replayed.
    // The lists are shared so that a step may fill in `opposite` after registering.
    using SharedObjectList = std::shared_ptr<ObjectList>;
    void registerSelectionUndo(const SharedObjectList& objects, const SharedObjectList& opposite);
    enum class Edge { Top, VerticalCentre, Bottom, Left, HorizontalCentre, Right };
    bool align(Edge edge, const QString& actionName);
    bool distribute(bool vertical, bool bySpace, const QString& actionName);
    // Runs `edit` as one undo step named `actionName` (unless empty).
    void asUndoStep(const QString& actionName, const std::function<void()>& edit);
    ObjectList booleanOperands() const;
    // Sends `selector` with `argument` to each selected available object that answers it, as one
    // undo step; answers how many did.
    int sendToSelection(const QString& selector, const pf::Ref<pf::Object>& argument, const QString& actionName);
    // Replaces `sources` by `results`, placed where the topmost source was, and selects them.
    void replaceObjects(const ObjectList& sources, const ObjectList& results, const QString& actionName);
};
