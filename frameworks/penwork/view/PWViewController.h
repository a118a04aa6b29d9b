#pragma once

#include "frameworks/penwork/layers/PWDrawingViewTarget.h"

#include "platform/foundation/Object.h"

#include <QPointer>
#include <QWidget>

class PWDrawingView;

// The controller a drawing view registers with its drawing: answers the key "view" (the view,
// as a QWidget*) and passes the drawing's redisplay, ruler and cursor requests to the view.
// It also carries the snapping actions of the view's menus.
class PWViewController : public pf::Object, public PWDrawingViewTarget {
    PF_CLASS(PWViewController)
public:
    explicit PWViewController(PWDrawingView* view = nullptr);
    ~PWViewController() override;

    // Class setting, kept in the user defaults: clicking an object of an inactive layer makes
    // that layer active.
    static bool layerAutoActivationDefault();
    static void setLayerAutoActivationDefault(bool enabled);

    PWDrawingView* drawingView() const;
    void setDrawingView(PWDrawingView* view);

    // Actions (sender ignored): switch the drawing's snapping.
    void toggleSnapToGrid(const QVariant& sender);
    void toggleSnapToGuides(const QVariant& sender);

    // PWDrawingViewTarget
    QWidget* view() const override;
    void drawingNeedsDisplayInRect(const QRectF& rect) override;
    void updateRulerMarkersForRect(const QRectF& rect) override;
    void hideRulerMarkers() override;
    void invalidateCursors() override;

private:
    QPointer<QWidget> m_view;
};
