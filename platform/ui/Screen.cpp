#include "platform/ui/Screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace pf {

namespace {

// The rectangle the flip is taken against: the primary screen's geometry, or a nominal one
// when there is no screen (a headless run before any screen is known).
QRectF mainGeometry()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->geometry();
    return QRectF(0, 0, 1024, 768);
}

} // namespace

QRectF Screen::toQt(const QRectF& r)
{
    const QRectF main = mainGeometry();
    return QRectF(r.x() + main.x(), main.y() + main.height() - r.y() - r.height(), r.width(), r.height());
}

QRectF Screen::fromQt(const QRectF& r)
{
    const QRectF main = mainGeometry();
    return QRectF(r.x() - main.x(), main.y() + main.height() - r.y() - r.height(), r.width(), r.height());
}

QPointF Screen::toQt(const QPointF& p)
{
    const QRectF main = mainGeometry();
    return QPointF(p.x() + main.x(), main.y() + main.height() - p.y());
}

QPointF Screen::fromQt(const QPointF& p)
{
    const QRectF main = mainGeometry();
    return QPointF(p.x() - main.x(), main.y() + main.height() - p.y());
}

QRectF Screen::mainFrame()
{
    return fromQt(mainGeometry());
}

QRectF Screen::mainVisibleFrame()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? visibleFrame(screen) : mainFrame();
}

QRectF Screen::frame(const QScreen* screen)
{
    return screen ? fromQt(QRectF(screen->geometry())) : QRectF();
}

QRectF Screen::visibleFrame(const QScreen* screen)
{
    return screen ? fromQt(QRectF(screen->availableGeometry())) : QRectF();
}

QList<QRectF> Screen::frames()
{
    QList<QRectF> result;
    const QScreen* main = QGuiApplication::primaryScreen();
    if (main)
        result.append(frame(main));
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != main)
            result.append(frame(screen));
    return result;
}

QList<QRectF> Screen::visibleFrames()
{
    QList<QRectF> result;
    const QScreen* main = QGuiApplication::primaryScreen();
    if (main)
        result.append(visibleFrame(main));
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != main)
            result.append(visibleFrame(screen));
    return result;
}

} // namespace pf
