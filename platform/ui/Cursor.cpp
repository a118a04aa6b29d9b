#include "platform/ui/Cursor.h"

#include "platform/ui/Bundle.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>

namespace pf {

namespace {
struct CursorState {
    bool setActive = false; // a set() cursor is on Qt's override stack, below any pushes
    bool clearPending = false;
    int pushes = 0;
    Cursor setCursor;
};

CursorState& state()
{
    static CursorState s;
    return s;
}
} // namespace

Cursor::Cursor(const QImage& image, QPointF hotSpot)
    : m_cursor(QPixmap::fromImage(image), int(std::lround(hotSpot.x())), int(std::lround(hotSpot.y())))
{
}

const Cursor& Cursor::arrow()
{
    static const Cursor c{QCursor(Qt::ArrowCursor)};
    return c;
}

const Cursor& Cursor::crosshair()
{
    static const Cursor c{QCursor(Qt::CrossCursor)};
    return c;
}

const Cursor& Cursor::openHand()
{
    static const Cursor c{QCursor(Qt::OpenHandCursor)};
    return c;
}

const Cursor& Cursor::closedHand()
{
    static const Cursor c{QCursor(Qt::ClosedHandCursor)};
    return c;
}

const Cursor& Cursor::pointingHand()
{
    static const Cursor c{QCursor(Qt::PointingHandCursor)};
    return c;
}

const Cursor& Cursor::iBeam()
{
    static const Cursor c{QCursor(Qt::IBeamCursor)};
    return c;
}

const Cursor& Cursor::disappearingItem()
{
    static const Cursor c = [] {
        const QImage image = Bundle::main().imageForResource(QStringLiteral("DisappearingItem"));
        if (image.isNull())
            return Cursor(QCursor(Qt::ForbiddenCursor));
        return Cursor(image, QPointF(image.width() / 2.0, image.height() / 2.0));
    }();
    return c;
}

Cursor Cursor::disappearingItemWithImage(const QImage& dragImage)
{
    if (dragImage.isNull())
        return disappearingItem();
    const QImage badge = disappearingItem().image();
    QImage composed = dragImage.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (!badge.isNull()) {
        QPainter painter(&composed);
        painter.drawImage(QPointF(composed.width() - badge.width(), composed.height() - badge.height()), badge);
    }
    return Cursor(composed, QPointF(composed.width() / 2.0, composed.height() / 2.0));
}

QPointF Cursor::hotSpot() const
{
    return QPointF(m_cursor.hotSpot());
}

QImage Cursor::image() const
{
    return m_cursor.pixmap().toImage();
}

void Cursor::set() const
{
    CursorState& s = state();
    s.setCursor = *this;
    s.clearPending = false;
    if (s.pushes > 0 && s.setActive)
        return; // shows once the pushed cursors are popped
    if (s.setActive) {
        QGuiApplication::changeOverrideCursor(m_cursor);
    } else if (s.pushes == 0) {
        QGuiApplication::setOverrideCursor(m_cursor);
        s.setActive = true;
    }
}

void Cursor::clearSetCursor()
{
    CursorState& s = state();
    if (!s.setActive)
        return;
    if (s.pushes > 0) {
        s.clearPending = true;
        return;
    }
    QGuiApplication::restoreOverrideCursor();
    s.setActive = false;
}

void Cursor::push() const
{
    QGuiApplication::setOverrideCursor(m_cursor);
    ++state().pushes;
}

void Cursor::pop()
{
    CursorState& s = state();
    if (s.pushes == 0)
        return; // an unbalanced pop must not remove a cursor someone else set
    QGuiApplication::restoreOverrideCursor();
    --s.pushes;
    if (s.pushes == 0 && s.setActive) {
        if (s.clearPending) {
            QGuiApplication::restoreOverrideCursor();
            s.setActive = false;
            s.clearPending = false;
        } else {
            QGuiApplication::changeOverrideCursor(s.setCursor.qCursor());
        }
    }
}

Cursor Cursor::current()
{
    const CursorState& s = state();
    if (s.pushes > 0 && QGuiApplication::overrideCursor())
        return Cursor(*QGuiApplication::overrideCursor());
    if (s.setActive)
        return s.setCursor;
    return arrow();
}

} // namespace pf
