#include "platform/ui/WindowFrame.h"

#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <cmath>

namespace pf {

namespace {

const char* const kAutosaveNameProperty = "pfFrameAutosaveName";
// Frames beyond this reach no screen; a saved string holding them is damaged.
constexpr double kLargestCoordinate = 1.0e6;

// Saves the frames of windows that have an autosave name whenever they move or resize.
class FrameSaver : public QObject {
public:
    static FrameSaver& shared()
    {
        static auto* saver = new FrameSaver; // lives as long as the process
        return *saver;
    }

    QHash<QString, QPointer<QWidget>> windowsByName;
    bool restoring = false;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && !restoring) {
            auto* window = static_cast<QWidget*>(watched);
            const QString name = WindowFrame::frameAutosaveName(window);
            if (!name.isEmpty())
                WindowFrame::saveFrameUsingName(window, name);
        }
        return false;
    }
};

QWidget* topLevel(QWidget* widget)
{
    return widget ? widget->window() : nullptr;
}

const QWidget* topLevel(const QWidget* widget)
{
    return widget ? widget->window() : nullptr;
}

QScreen* screenOf(const QWidget* window)
{
    if (QScreen* s = window->screen())
        return s;
    return QGuiApplication::primaryScreen();
}

} // namespace

QMarginsF WindowFrame::frameMargins(const QWidget* window)
{
    window = topLevel(window);
    if (!window)
        return {};
    if (window->isVisible() && window->windowHandle())
        return QMarginsF(window->windowHandle()->frameMargins());
    const Qt::WindowFlags flags = window->windowFlags();
    const Qt::WindowType type = window->windowType();
    if ((flags & Qt::FramelessWindowHint) || type == Qt::Popup || type == Qt::ToolTip
        || type == Qt::SplashScreen)
        return {};
    // A title bar and no side borders until the window manager tells us better.
    return QMarginsF(0, type == Qt::Tool ? 16 : 22, 0, 0);
}

QRectF WindowFrame::contentRectForFrameRect(const QWidget* window, const QRectF& frame)
{
    const QMarginsF m = frameMargins(window);
    // Screen coordinates are y-up: the top margin comes off the top, which is the far edge.
    return QRectF(frame.x() + m.left(), frame.y() + m.bottom(), frame.width() - m.left() - m.right(),
                  frame.height() - m.top() - m.bottom());
}

QRectF WindowFrame::frameRectForContentRect(const QWidget* window, const QRectF& content)
{
    const QMarginsF m = frameMargins(window);
    return QRectF(content.x() - m.left(), content.y() - m.bottom(), content.width() + m.left() + m.right(),
                  content.height() + m.top() + m.bottom());
}

QRectF WindowFrame::frame(const QWidget* window)
{
    window = topLevel(window);
    if (!window)
        return {};
    return frameRectForContentRect(window, Screen::fromQt(QRectF(window->geometry())));
}

void WindowFrame::setFrame(QWidget* window, const QRectF& frame)
{
    window = topLevel(window);
    if (!window)
        return;
    const QRectF content = contentRectForFrameRect(window, frame);
    window->setGeometry(Screen::toQt(content).toRect());
}

void WindowFrame::setFrameOrigin(QWidget* window, const QPointF& origin)
{
    QRectF f = frame(window);
    f.moveTopLeft(origin); // in y-up terms: the bottom-left corner
    setFrame(window, f);
}

void WindowFrame::setFrameTopLeftPoint(QWidget* window, const QPointF& topLeft)
{
    QRectF f = frame(window);
    setFrame(window, QRectF(topLeft.x(), topLeft.y() - f.height(), f.width(), f.height()));
}

void WindowFrame::setContentSizeKeepingTop(QWidget* window, const QSizeF& size)
{
    window = topLevel(window);
    if (!window)
        return;
    const QRectF f = frame(window);
    const QPointF topLeft(f.x(), f.y() + f.height());
    QRectF content = contentRectForFrameRect(window, f);
    content.setSize(size);
    QRectF newFrame = frameRectForContentRect(window, content);
    newFrame.moveTo(topLeft.x(), topLeft.y() - newFrame.height());
    setFrame(window, newFrame);
}

void WindowFrame::center(QWidget* window)
{
    window = topLevel(window);
    if (!window)
        return;
    const QRectF visible = Screen::visibleFrame(screenOf(window));
    QRectF f = frame(window);
    const double x = visible.x() + (visible.width() - f.width()) / 2;
    const double y = visible.y() + (visible.height() - f.height()) * 2 / 3;
    f.moveTo(std::round(x), std::round(y));
    setFrame(window, f);
}

QRectF WindowFrame::convertRectToScreen(const QWidget* window, const QRectF& rect)
{
    window = topLevel(window);
    if (!window)
        return rect;
    const QRectF content = Screen::fromQt(QRectF(window->geometry()));
    return rect.translated(content.topLeft());
}

QRectF WindowFrame::convertRectFromScreen(const QWidget* window, const QRectF& rect)
{
    window = topLevel(window);
    if (!window)
        return rect;
    const QRectF content = Screen::fromQt(QRectF(window->geometry()));
    return rect.translated(-content.topLeft());
}

QString WindowFrame::stringWithSavedFrame(const QWidget* window)
{
    window = topLevel(window);
    if (!window)
        return {};
    const QRectF f = frame(window);
    const QRectF s = Screen::visibleFrame(screenOf(window));
    QStringList parts;
    for (double v : {f.x(), f.y(), f.width(), f.height(), s.x(), s.y(), s.width(), s.height()})
        parts.append(QString::number(std::lround(v)));
    return parts.join(QLatin1Char(' '));
}

bool WindowFrame::setFrameFromString(QWidget* window, const QString& string)
{
    window = topLevel(window);
    if (!window)
        return false;
    const QStringList parts = string.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() < 4)
        return false;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts.at(i).toDouble(&ok);
        if (!ok || !std::isfinite(v[i]) || std::fabs(v[i]) > kLargestCoordinate)
            return false;
    }
    if (v[2] <= 0 || v[3] <= 0)
        return false;
    QRectF f(v[0], v[1], v[2], v[3]);
    if (auto* fixed = qobject_cast<Window*>(window); fixed && !fixed->isResizable()) {
        // Keep the size; the saved top-left corner stays where the user left it (y runs up).
        const QSizeF size = frame(window).size();
        f = QRectF(f.left(), f.bottom() - size.height(), size.width(), size.height());
    }

    const QList<QRectF> screens = Screen::visibleFrames();
    bool onScreen = screens.isEmpty();
    for (const QRectF& s : screens)
        onScreen = onScreen || s.intersects(f);
    if (!onScreen) {
        // The screen it was saved on is gone: bring it to the top-left of the main screen.
        const QRectF main = screens.first();
        f.setSize(f.size().boundedTo(main.size()));
        f.moveTo(main.x(), main.y() + main.height() - f.height());
    }
    setFrame(window, f);
    return true;
}

QString WindowFrame::defaultsKey(const QString& name)
{
    return QStringLiteral("NSWindow Frame ") + name;
}

bool WindowFrame::setFrameAutosaveName(QWidget* window, const QString& name)
{
    window = topLevel(window);
    if (!window)
        return false;
    FrameSaver& saver = FrameSaver::shared();
    const QString old = frameAutosaveName(window);
    if (!name.isEmpty()) {
        QPointer<QWidget> holder = saver.windowsByName.value(name);
        if (holder && holder != window)
            return false;
    }
    if (!old.isEmpty())
        saver.windowsByName.remove(old);
    window->setProperty(kAutosaveNameProperty, name.isEmpty() ? QVariant() : QVariant(name));
    if (name.isEmpty()) {
        window->removeEventFilter(&saver);
        return true;
    }
    saver.windowsByName.insert(name, window);
    saver.restoring = true;
    setFrameUsingName(window, name);
    saver.restoring = false;
    window->installEventFilter(&saver);
    return true;
}

QString WindowFrame::frameAutosaveName(const QWidget* window)
{
    window = topLevel(window);
    return window ? window->property(kAutosaveNameProperty).toString() : QString();
}

void WindowFrame::saveFrameUsingName(const QWidget* window, const QString& name)
{
    if (!window || name.isEmpty())
        return;
    UserDefaults::standard().setObject(stringWithSavedFrame(window), defaultsKey(name));
}

bool WindowFrame::setFrameUsingName(QWidget* window, const QString& name)
{
    if (!window || name.isEmpty())
        return false;
    const QString saved = UserDefaults::standard().stringForKey(defaultsKey(name));
    return !saved.isEmpty() && setFrameFromString(window, saved);
}

} // namespace pf
