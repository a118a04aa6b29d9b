#pragma once

#include "platform/foundation/Object.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

// Draws and hit-tests the handles of selected objects. Handles keep their size on screen
// whatever the zoom: drawing divides the knob size by the painter's scale, and hit testing by
// the view scale the owner sets (1 until told).
class PWKnob : public pf::Object {
    PF_CLASS(PWKnob)
public:
    // Knob types.
    static constexpr int kControlKnobType = 1;  // a resize handle of a shape
    static constexpr int kRotationKnobType = 2; // the rotation handle
    static constexpr int kSizeHandleKnobType = 3; // a size handle drawn in the selection colour
    static constexpr int kOnPathKnobType = 4;     // a point on a path
    static constexpr int kLocationKnobType = 5;   // the location (centre) mark
    static constexpr int kOffPathKnobType = 6;    // a control point of a path
    static constexpr int kLockedKnobType = 7;     // a handle of a locked object

    // The square side of a handle in screen units (8 by default); values that are not positive
    // and finite are ignored.
    static QSizeF controlKnobSize();
    static void setControlKnobSize(const QSizeF& size);

    // The shared knobs objects use when their container has none of its own.
    static PWKnob* defaultKnobs();

    PWKnob() = default;

    double viewScale() const { return m_viewScale; }
    // Ignored unless positive and finite.
    void setViewScale(double scale);

    // The handle's square in model units at the view scale, centred on `point`.
    QRectF knobRect(const QPointF& point, int type) const;
    // Into pf::GraphicsContext::current(); nothing without one. `angle` (radians) turns the
    // square handles; an invalid colour uses the type's own.
    void drawKnob(const QPointF& point, int type, double angle, const QColor& colour) const;
    // Whether `point` falls on the handle of `type` drawn at `knobPoint`.
    bool hitTestKnob(const QPointF& point, const QPointF& knobPoint, int type, double angle) const;

private:
    double m_viewScale = 1.0;
};
