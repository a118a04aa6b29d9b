#pragma once

#include <QPointF>
#include <QRectF>
#include <QVariant>

class RVMiniControl;

// What a mini control tells the object that hosts it. Every message is optional: the
// defaults do nothing (and show the value as it is).
class RVMiniControlDelegate {
public:
    virtual ~RVMiniControlDelegate() = default;

    // The old value (before the change) and the new value (after it), as numbers; radial
    // controls send an invalid value as they change their centre or radius.
    virtual void miniControlWillChangeValue(RVMiniControl* control, const QVariant& value)
    {
        Q_UNUSED(control)
        Q_UNUSED(value)
    }
    virtual void miniControlDidChangeValue(RVMiniControl* control, const QVariant& value)
    {
        Q_UNUSED(control)
        Q_UNUSED(value)
    }
    // The number the read-out shows for `value`.
    virtual double miniControlWillUpdateInfoWindow(RVMiniControl* control, double value)
    {
        Q_UNUSED(control)
        return value;
    }
    // Asked to redraw when the control has no host view.
    virtual void setNeedsDisplayInRect(const QRectF& rect) { Q_UNUSED(rect) }

    // Radial controls.
    virtual void radialControlDidChangeCentre(RVMiniControl* control, QPointF centre)
    {
        Q_UNUSED(control)
        Q_UNUSED(centre)
    }
    virtual void radialControlDidChangeRadius(RVMiniControl* control, float radius)
    {
        Q_UNUSED(control)
        Q_UNUSED(radius)
    }
};
