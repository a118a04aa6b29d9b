#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>

class QScreen;

namespace pf {

// Screen geometry in the platform's convention: the origin at the bottom-left of the main
// screen, y growing upwards. Every conversion from and to Qt's global coordinates (origin
// top-left, y down) goes through toQt and fromQt.
class Screen {
public:
    static QRectF toQt(const QRectF& screenRect);
    static QRectF fromQt(const QRectF& qtRect);
    static QPointF toQt(const QPointF& screenPoint);
    static QPointF fromQt(const QPointF& qtPoint);

    // The main screen's whole frame and the part windows may use (without panels and docks).
    static QRectF mainFrame();
    static QRectF mainVisibleFrame();
    static QRectF frame(const QScreen* screen);
    static QRectF visibleFrame(const QScreen* screen);
    // Every screen's frame, the main screen first.
    static QList<QRectF> frames();
    static QList<QRectF> visibleFrames();

private:
    Screen() = delete;
};

} // namespace pf
