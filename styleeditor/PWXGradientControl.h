#pragma once

#include <functional>

#include "styleeditor/PWXColourStop.h"
#include "styleeditor/PWXProxyColourWell.h"

#include "platform/graphics/Gradient.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/View.h"

#include <QList>
#include <QPointer>

#include <optional>

class RVInfoFloater;
class QMenu;
namespace pf {
class UndoManager;
class Menu;
}
namespace pf {
class UserInterfaceItem;
}

// Edits the colour stops of a gradient: a bar showing the gradient over a chequer, with a
// swatch box per stop above it. Clicking a stop selects it and ties it to the colour panel;
// stops are dragged along the bar (Shift: in steps of 1 %), dragged off the control to delete
// them (a gradient keeps two at least), and colours dropped on the bar add stops. Each change
// is sent to the target, which reads `gradient`.
class PWXGradientControl : public pf::View, public PWXProxyColourWell::Delegate {
    PF_CLASS(PWXGradientControl)
public:
    explicit PWXGradientControl(QWidget* parent = nullptr);
    ~PWXGradientControl() override;

    bool isFlipped() const override { return true; }
    bool acceptsFirstMouse(const pf::Event*) const override { return true; }

    // The stops' gradient, made once per change (colours and positions in list order).
    pf::Ref<pf::Gradient> gradient();
    // Rebuilds the stops from `gradient`; ignored for the gradient already shown and while the
    // control is sending its action (the target answering with what it was given).
    void setGradient(const pf::Ref<pf::Gradient>& gradient);

    pf::Reflective* target() const { return mTarget; }
    void setTarget(pf::Reflective* target) { mTarget = target; }
    QString action() const { return mAction; }
    void setAction(const QString& action) { mAction = action; }
    void sendAction();

    bool enabled() const { return mEnabled; }
    void setEnabled(bool enabled);
    bool showsPositionInfo() const { return mShowsInfo; }
    void setShowsPositionInfo(bool shows) { mShowsInfo = shows; }

    const QList<pf::Ref<PWXColourStop>>& stops() const { return mStops; }
    // A stop under the point takes the colour (unless `forceNew`); else a new stop at the
    // point with the colour, or with the gradient's colour there for none. Answers the stop,
    // or null while the control is disabled.
    PWXColourStop* addColorStop(const std::optional<pf::Color>& colour, QPointF point);
    PWXColourStop* addColorStop(const std::optional<pf::Color>& colour, QPointF point, bool forceNew);
    // Removes the stop under the point, unless the gradient would keep fewer than two.
    void removeColorStopAtPoint(QPointF point);
    pf::Color colorAtPoint(QPointF point);
    PWXColourStop* stopAtPoint(QPointF point);
    QRectF swatchRectForStop(const PWXColourStop* stop);
    // The boxes of the stops in list order; overlapping ones share the bar's height.
    const QList<QRectF>& allSwatchBoxes();

    // Geometry, in view coordinates.
    QRectF interior() const;
    QRectF gradientRect() const;
    QRectF safeArea() const;
    QRectF swatchBoxForPosition(double position) const;
    // 0...1 along the interior; 0 when the control is too narrow to have one.
    double relativePositionOfPoint(QPointF point) const;

    PWXColourStop* selectedStop() const { return mSelectedStop; }
    void setSelectedStop(PWXColourStop* stop);
    void setColorOfSelectedStop(const pf::Color& colour);
    PWXColourStop* dragStop() const { return mDragStop; }
    PWXColourStop* deletionCandidate() const { return mDeletionCandidate; }

    // Commands (menus and the colour panel).
    void deactivate() override;
    void changeColor(const QVariant& sender);
    void newStop(const QVariant& sender);
    void removeStop(const QVariant& sender);
    void flip(const QVariant& sender);
    void invalidate();
    // A new frame moves every box.
    void setFrame(const QRectF& frame) override;
    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) override;

    QImage dragImageForStop(PWXColourStop* stop);
    pf::Cursor makeCursorForDeletingStop(PWXColourStop* stop);
    // The chequer drawn under the gradient (resource "chequered"), loaded once.
    static const QImage& chequerImage();

    void drawRect(const QRectF& dirtyRect) override;
    // Where the undo manager of the edited model is found (else along the responder chain):
    // a drag is grouped into one undo step there.
    void setUndoManagerSource(std::function<pf::UndoManager*()> source) { m_undoSource = std::move(source); }
    void mouseDown(const pf::Event& event) override;
    // New Stop, Remove Stop and Flip, validated against the control.
    QMenu* menuForEvent(const pf::Event& event) override;
    pf::Ref<pf::Menu> stopsMenu();
    void mouseDragged(const pf::Event& event) override;
    void mouseUp(const pf::Event& event) override;
    unsigned draggingEntered(const pf::DraggingInfo& info) override;
    void draggingExited(const pf::DraggingInfo* info) override;
    bool performDragOperation(const pf::DraggingInfo& info) override;
    bool isDragHighlighted() const { return mDragHilite; }

    // The mouse handling at a point in view coordinates (the events' road; tests use it).
    void mouseDownAt(QPointF point);
    void mouseDraggedAt(QPointF point, unsigned modifierFlags);
    void mouseUpAt(QPointF point);
    // The colour drop at a point: answers whether a colour was taken.
    bool dropColour(const std::optional<pf::Color>& colour, QPointF point);

    // How often the swatch boxes were worked out (tests).
    int swatchComputations() const { return m_swatchComputations; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void removeStopObject(PWXColourStop* stop);
    void drawStopsInRect(QPainter& painter, const QRectF& rect);
    void drawStop(QPainter& painter, PWXColourStop* stop, const QRectF& rect, int state);
    void updateInfoWithPosition(double position);
    RVInfoFloater* infoFloater();
    void hideInfo();
    void bringColourPanelForward();

    QList<pf::Ref<PWXColourStop>> mStops;
    std::optional<QList<QRectF>> mSwatchBoxes;
    pf::Ref<pf::Gradient> mGradient;
    PWXColourStop* mDragStop = nullptr;
    PWXColourStop* mSelectedStop = nullptr;
    PWXColourStop* mDeletionCandidate = nullptr;
    QPointer<RVInfoFloater> mInfoWin;
    QPointer<PWXProxyColourWell> mProxyColourWell;
    QPointF mStopInsertHint;
    pf::Reflective* mTarget = nullptr;
    QString mAction;
    bool mStopWasDragged = false;
    bool mMouseDownInStop = false;
    bool mShowsInfo = true;
    bool mEnabled = true;
    bool mSendingAction = false;
    bool mDragHilite = false;
    const PWXColourStop* m_cursorStop = nullptr;
    pf::Cursor m_deletionCursor;
    bool m_cursorPushed = false;
    int m_swatchComputations = 0;
    pf::Ref<pf::Menu> m_shownMenu;
    // A drag is one undo step however many changes it makes.
    void beginDragUndoGroup();
    std::function<pf::UndoManager*()> m_undoSource;
    void endDragUndoGroup();
    pf::Weak<pf::Object> m_dragUndoManager;
};
