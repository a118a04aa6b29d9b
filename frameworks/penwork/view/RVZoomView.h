#pragma once

#include "platform/ui/View.h"

#include <QPointer>

namespace pf {
class ClipView;
}

// A view that shows its content at a zoom factor: bounds are the content's coordinates, the
// frame is the content size times the scale. Scale changes are clamped to a sane range and
// answered by scaleDidChange(), which subclasses use to announce them.
class RVZoomView : public pf::View {
    Q_OBJECT
    PF_CLASS(RVZoomView)
public:
    explicit RVZoomView(QWidget* parent = nullptr);
    explicit RVZoomView(const QRectF& frame, QWidget* parent = nullptr);
    ~RVZoomView() override;

    // Class setting, kept in the user defaults: pinch gestures zoom the view.
    static bool trackpadGesturesEnabled();
    static void setTrackpadGesturesEnabled(bool enabled);

    static constexpr double kMinimumScale = 0.01;
    static constexpr double kMaximumScale = 256.0;
    // Zoom steps of zoomIn / zoomOut.
    static const QList<double>& zoomSteps();

    double scale() const { return m_scale; }
    // Clamped to kMinimumScale..kMaximumScale; non-finite or non-positive values are ignored.
    // Keeps the content point at the centre of the visible area in place.
    void setScale(double scale);
    // Sets the scale keeping `contentPoint` (bounds coordinates) under the same spot of the
    // visible area.
    void setScaleAroundPoint(double scale, QPointF contentPoint);

    // The size of the content at scale 1 (bounds size); the frame follows it times the scale.
    QSizeF contentSize() const { return m_contentSize; }
    void setContentSize(const QSizeF& size);
    // Room round the content (content units, on every side) that the view also shows: its
    // bounds run from (-margin, -margin) to the content size plus the margin. With a margin the
    // view also fills its clip view when that is larger, the content centred. 0 at creation.
    double contentMargin() const { return m_contentMargin; }
    void setContentMargin(double margin);

    // The clip view of the scroll view the view is the document of, or null.
    pf::ClipView* enclosingClipView() const;
    // The part of the content the clip view shows (all of it without a scroll view).
    QRectF visibleContentRect() const;
    // The size in pixels the view may fill: the clip view's, else the view's parent's, else
    // the view's own.
    QSizeF availableViewSize() const;
    // Scrolls so `rect` (content coordinates) shows, centred when it fits.
    void scrollToContentRect(const QRectF& rect);
    // Scrolls so `contentPoint` shows at `visiblePoint`: a point of the clip view's visible
    // area measured from its top-left corner.
    void scrollContentPointToVisiblePoint(QPointF contentPoint, QPointF visiblePoint);

    // Next larger / smaller step; actual size is scale 1.
    void zoomIn(const QVariant& sender = {});
    void zoomOut(const QVariant& sender = {});
    void zoomToActualSize(const QVariant& sender = {});

    bool isFlipped() const override { return true; }

protected:
    // Called after every real scale change.
    virtual void scaleDidChange(double oldScale) {}
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyScale(double scale, std::optional<QPointF> anchor);
    // Resizes the widget to the content size times the scale, keeping its top-left corner.
    void applyFrameSize();

    double m_scale = 1.0;
    QSizeF m_contentSize{1, 1};
    double m_contentMargin = 0.0;
    QPointer<QWidget> m_watchedParent;
};
