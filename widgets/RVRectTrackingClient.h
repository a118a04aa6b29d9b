#pragma once

#include <QRectF>

// What a view hears while trackMouseEvent(view, event, rect) follows the mouse in and out of a
// rectangle; a view that wants to know adopts this.
class RVRectTrackingClient {
public:
    virtual ~RVRectTrackingClient() = default;
    virtual void mouseDidEnterRect(const QRectF& rect) {}
    virtual void mouseDidExitRect(const QRectF& rect) {}
};
