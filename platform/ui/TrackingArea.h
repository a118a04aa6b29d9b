#pragma once

#include <QRectF>
#include <QVariant>

#include <memory>

namespace pf {

struct Event;

// Receives the messages of a tracking area.
class TrackingAreaOwner {
public:
    virtual ~TrackingAreaOwner() = default;
    virtual void mouseEntered(const Event&) {}
    virtual void mouseExited(const Event&) {}
    virtual void mouseMoved(const Event&) {}
    virtual void cursorUpdate(const Event&) {}
};

// A region of a view that reports the pointer entering, leaving and moving inside it, and
// cursor updates. Options use the platform's bit values.
class TrackingArea {
public:
    enum Option : unsigned {
        MouseEnteredAndExited = 0x01,
        MouseMoved = 0x02,
        CursorUpdate = 0x04,
        ActiveWhenFirstResponder = 0x10,
        ActiveInKeyWindow = 0x20,
        ActiveInActiveApp = 0x40,
        ActiveAlways = 0x80,
        AssumeInside = 0x100,
        InVisibleRect = 0x200,
        EnabledDuringMouseDrag = 0x400,
    };

    // `rect` is in the view's bounds coordinates (ignored with InVisibleRect, which follows
    // the view's visible part). The owner is not retained; null means the view itself.
    TrackingArea(const QRectF& rect, unsigned options, TrackingAreaOwner* owner,
                 const QVariant& userInfo = {});

    QRectF rect() const { return m_rect; }
    unsigned options() const { return m_options; }
    TrackingAreaOwner* owner() const { return m_owner; }
    QVariant userInfo() const { return m_userInfo; }

private:
    friend class View;
    QRectF m_rect;
    unsigned m_options;
    TrackingAreaOwner* m_owner;
    QVariant m_userInfo;
    bool m_inside = false; // kept by the view that tracks it
};

} // namespace pf
