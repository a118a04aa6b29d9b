#pragma once

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/view/RVZoomView.h"

#include "platform/foundation/Object.h"
#include "platform/ui/PrintingView.h"

#include <QCursor>
#include <QList>
#include <QPointer>

#include <memory>
#include <optional>

class PWLayer;
class PWObjectDrawingLayer;
class PWToolController;
class PWViewController;
class PWTextEditor;
class QTextEdit;

namespace pf {
class GraphicsContext;
class MenuItem;
class PrintInfo;
}

// Notifications posted by a drawing view (object: the view).
inline const QString kPWDrawingViewDidChangeScale = QStringLiteral("kPWDrawingViewDidChangeScale");
inline const QString kPWDrawingViewRulersChanged = QStringLiteral("kPWDrawingViewRulersChanged");
inline const QString kPWDrawingViewWillBeginTextEditing = QStringLiteral("kPWDrawingViewWillBeginTextEditing");
inline const QString kPWDrawingViewDidBeginTextEditing = QStringLiteral("kPWDrawingViewDidBeginTextEditing");
inline const QString kPWDrawingViewDidEndTextEditing = QStringLiteral("kPWDrawingViewDidEndTextEditing");
// Mouse location read-outs; user info: the point in drawing units (QPointF) and the units'
// abbreviation (QString).
inline const QString kPWDrawingMouseMovedLocation = QStringLiteral("kPWDrawingMouseMovedLocation");
inline const QString kPWDrawingMouseDraggedLocation = QStringLiteral("kPWDrawingMouseDraggedLocation");
inline const QString kPWDrawingMouseLocationInDrawingUnits = QStringLiteral("kPWDrawingMouseLocationInDrawingUnits");
inline const QString kPWDrawingMouseLocationAbbreviatedUnits = QStringLiteral("kPWDrawingMouseLocationAbbreviatedUnits");

// User-defaults keys (booleans).
inline const QString kPWDrawingDisableScrollwheelZoomPrefsKey = QStringLiteral("kPWDrawingDisableScrollwheelZoomPrefsKey");
inline const QString kPWDrawingScrollwheelSensePrefsKey = QStringLiteral("kPWDrawingScrollwheelSensePrefsKey");

// Shows a PWDrawing at a scale: paper, margins, the layers (grid and guides draw themselves),
// the selection with its knobs and, when printing, crop marks. Drawing coordinates are y-down
// points; the view's bounds are drawing coordinates, its frame the drawing size times the
// scale. The view registers as a controller of its drawing, redraws only the rectangles the
// drawing reports, hands mouse and key events to its tool controller and edits text in place.
// Its edit actions ("cut:", "copy:", ... taking a sender whose title names the undo action)
// work on the active layer.
class PWDrawingView : public RVZoomView, public pf::PrintingView {
    Q_OBJECT
    PF_CLASS(PWDrawingView)
public:
    explicit PWDrawingView(QWidget* parent = nullptr);
    explicit PWDrawingView(const QRectF& frame, QWidget* parent = nullptr);
    ~PWDrawingView() override;

    // Class settings. Without automatic drawings a new view shows nothing until given one.
    static bool shouldCreateAutomaticDrawing();
    static void setShouldCreateAutomaticDrawing(bool create);
    // Kept in the user defaults under kPWDrawingDisableScrollwheelZoomPrefsKey (inverted) and
    // kPWDrawingScrollwheelSensePrefsKey.
    static bool scrollwheelZoomEnabled();
    static void setScrollwheelZoomEnabled(bool enabled);
    static bool scrollwheelInverted();
    static void setScrollwheelInverted(bool inverted);

    // The drawing --------------------------------------------------------------------------------

    pf::Ref<PWDrawing> drawing() const { return m_drawing; }
    // Ends text editing, leaves the old drawing's controllers and joins the new one's. Null
    // shows nothing.
    void setDrawing(const pf::Ref<PWDrawing>& drawing);
    pf::Ref<PWLayer> activeLayer() const;
    // The active layer's selection (empty when it holds no objects).
    QList<pf::Ref<PWDrawableObject>> selectedObjects() const;

    // Coordinates ----------------------------------------------------------------------------

    // Widget (Qt, pixel) coordinates to drawing coordinates and back.
    QPointF convertToDrawing(QPointF viewPoint) const;
    QPointF convertFromDrawing(QPointF drawingPoint) const;
    QRectF convertRectToDrawing(const QRectF& viewRect) const;
    QRectF convertRectFromDrawing(const QRectF& drawingRect) const;
    // Redraw a rectangle of the drawing; a null rectangle means everything.
    void setNeedsDisplayInDrawingRect(const QRectF& rect);

    // Zoom and scrolling ---------------------------------------------------------------------

    // Whether the view shows room round the page (a document window's view does; a printing
    // view does not): objects and handles past the paper's edge draw there and clicks there
    // reach the tools. Half the page's longer side on every side. Off at creation.
    bool showsPasteboard() const { return m_showsPasteboard; }
    void setShowsPasteboard(bool shows);

    // Zooms so `rect` (drawing coordinates) fills the visible area, and scrolls to it.
    void zoomViewToRect(const QRectF& rect);
    void zoomFitInWindow(const QVariant& sender = {});
    // Scrolls the enclosing scroll view so `rect` shows.
    void scrollToDrawingRect(const QRectF& rect);
    // The part of the drawing the enclosing scroll view shows (drawing coordinates).
    QRectF visibleDrawingRect() const;

    // Rulers (shown by the enclosing PWDrawingScrollArea) --------------------------------------

    bool rulersVisible() const { return m_rulersVisible; }
    void setRulersVisible(bool visible);
    // The horizontal ruler's height and the vertical ruler's width (0 when hidden).
    double horizontalRulerHeight() const;
    double verticalRulerWidth() const;
    // The drawing rectangle marked on the rulers, or null.
    QRectF rulerMarkerRect() const { return m_rulerMarkers; }
    // Where the mouse last moved over the view (drawing coordinates), for the rulers.
    std::optional<QPointF> lastMouseLocation() const { return m_mouseLocation; }

    // Printing -----------------------------------------------------------------------------------

    // 0 none, 1 corner marks, 2 edge marks (other values read as 0).
    int printCropMarkKind() const { return m_cropMarkKind; }
    void setPrintCropMarkKind(int kind);
    pf::Ref<pf::PrintInfo> printInfo() const { return m_printInfo; }
    void setPrintInfo(const pf::Ref<pf::PrintInfo>& info);
    // Crop marks are drawn in the paper margin round the part of the drawing each page shows.
    // Drawing for a printer leaves out the selection and the layers that do not print.
    void beginPageInRect(const QRectF& rect, const QPointF& placement) override;
    void drawPageBorderWithSize(const QSizeF& borderSize) override;

    // Tools and cursors ----------------------------------------------------------------------

    PWToolController* toolController() const { return m_toolController.get(); }
    void setCursorForView(const QCursor& cursor);
    QCursor cursorForView() const { return m_cursor; }

    // Text editing in place -----------------------------------------------------------------

    // Opens an editor over a text shape or text path of the drawing; answers whether it did.
    // Ends any editing in progress first.
    bool beginTextEditing(PWDrawableObject* object);
    // Commits the edited text (one undo step) and closes the editor.
    void endTextEditing();
    // Closes the editor without changing the object.
    void cancelTextEditing();
    bool isEditingText() const;
    PWDrawableObject* editedTextObject() const;
    QTextEdit* textEditor() const;

    // Edit actions (the sender's title, when it has one, names the undo action) -------------

    void cut(const QVariant& sender);
    void copy(const QVariant& sender);
    void paste(const QVariant& sender);
    void duplicate(const QVariant& sender);
    void deleteSelection(const QVariant& sender);
    void selectAll(const QVariant& sender);
    void group(const QVariant& sender);
    void ungroup(const QVariant& sender);
    void toggleHorizontalFlip(const QVariant& sender);
    void toggleVerticalFlip(const QVariant& sender);
    void convertToPath(const QVariant& sender);
    void convertToShape(const QVariant& sender);
    void convertToShapeGroup(const QVariant& sender);
    void convertToTextShape(const QVariant& sender);
    void convertToTextPath(const QVariant& sender);
    bool validateMenuItem(pf::MenuItem& item) override;
    // The title of an action's sender (a user-interface item or a string); empty otherwise.
    static QString titleOfSender(const QVariant& sender);

    // What the drawing asks of its views (through the view controller) --------------------

    // The controller registered with the drawing; it lives as long as the view.
    PWViewController* viewController() const { return m_viewController.get(); }
    void drawingNeedsDisplayInRect(const QRectF& rect);
    void updateRulerMarkersForRect(const QRectF& rect);
    void hideRulerMarkers();
    void invalidateCursors();

    // pf::View -----------------------------------------------------------------------------

    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const pf::Event& event) override;
    void mouseDragged(const pf::Event& event) override;
    void mouseUp(const pf::Event& event) override;
    void mouseMoved(const pf::Event& event) override;
    void flagsChanged(const pf::Event& event) override;
    void keyDown(const pf::Event& event) override;
    void scrollWheel(const pf::Event& event) override;
    void cursorUpdate(const pf::Event& event) override;
    bool acceptsFirstResponder() const override { return true; }
    bool acceptsFirstMouse(const pf::Event*) const override { return true; }
    bool isOpaque() const override { return true; }

    // Drops: images and image files become image shapes, colours fill the object under the
    // point, styles apply to it, drawables are added at the point.
    unsigned draggingEntered(const pf::DraggingInfo& info) override;
    unsigned draggingUpdated(const pf::DraggingInfo& info) override;
    bool performDragOperation(const pf::DraggingInfo& info) override;

protected:
    void scaleDidChange(double oldScale) override;
    // Paints the drawing's `rect` (drawing coordinates) into `context`: paper, layers,
    // selection, crop marks. The view's drawRect and printing use it.
    virtual void drawDrawingRect(pf::GraphicsContext& context, const QRectF& rect);
    // A refused drop or action: the platform's beep.
    virtual void refuseWithBeep();

private:
    void init();
    void updateContentSize();
    void postMouseLocation(const QString& name, QPointF drawingPoint);
    bool beginTextEditingAtPoint(QPointF drawingPoint);
    void finishTextEditing(bool commit);
    void performEditAction(const QString& selector, const QVariant& sender);
    void updateRulers();
    void observeDrawing(bool observe);

    pf::Ref<PWDrawing> m_drawing;
    pf::Ref<PWViewController> m_viewController;
    std::unique_ptr<PWToolController> m_toolController;
    QPointer<PWTextEditor> m_textEditor;
    std::optional<QPointF> m_mouseLocation;
    pf::Ref<pf::PrintInfo> m_printInfo;
    int m_cropMarkKind = 0;
    QRectF m_pageRect;
    QPointF m_pagePlacement;
    bool m_rulersVisible = true;
    QRectF m_rulerMarkers;
    QCursor m_cursor;
    bool m_showsPasteboard = false;
    // The page is brought into sight the first time the view is drawn in a scroll view.
    bool m_pageNeedsShowing = false;
};
