#pragma once

#include <QCursor>
#include <QImage>
#include <QPointF>

namespace pf {

// A mouse cursor. The standard ones are shared; an image cursor is made once by its user and
// kept. The hot spot is given as on the platform: in the image's pixels from its top-left
// corner.
class Cursor {
public:
    Cursor() = default;
    explicit Cursor(const QCursor& cursor) : m_cursor(cursor) {}
    Cursor(const QImage& image, QPointF hotSpot);

    static const Cursor& arrow();
    static const Cursor& crosshair();
    static const Cursor& openHand();
    static const Cursor& closedHand();
    static const Cursor& pointingHand();
    static const Cursor& iBeam();
    // The cursor that shows a dragged item will vanish when dropped: the bundled image
    // "DisappearingItem" when there is one, else the platform's forbidden cursor.
    static const Cursor& disappearingItem();
    // A drag image with the disappearing-item cursor drawn over its bottom-right corner, hot
    // spot at the image's centre.
    static Cursor disappearingItemWithImage(const QImage& dragImage);

    const QCursor& qCursor() const { return m_cursor; }
    QPointF hotSpot() const;
    QImage image() const;

    // Shows this cursor until the next cursor update (a view's cursor rectangle or tracking
    // area being entered), which calls clearSetCursor().
    void set() const;
    static void clearSetCursor();
    // A stack of cursors that hold until popped, above any set() cursor.
    void push() const;
    static void pop();
    // The cursor set(), push() or pop() last made current, else the arrow.
    static Cursor current();

private:
    QCursor m_cursor;
};

} // namespace pf
