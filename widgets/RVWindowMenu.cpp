#include "widgets/RVWindowMenu.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/EventQueue.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"

#include <QGuiApplication>

PF_DEFINE_CLASS(RVWindowMenu, pf::Window) {}

RVWindowMenu::RVWindowMenu()
    : pf::Window(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    setLevel(pf::kPopUpMenuWindowLevel);
    setAlphaValue(kRestingAlpha);
    setCanBecomeMainWindow(true);
    setContentView(new pf::View(QRectF(0, 0, 100, 28)));
    setFrame(QRectF(0, 0, 100, 28), false);
}

RVWindowMenu* RVWindowMenu::windowMenu()
{
    return new RVWindowMenu;
}

RVWindowMenu* RVWindowMenu::windowMenuWithContentView(pf::View* view)
{
    RVWindowMenu* menu = windowMenu();
    menu->setMainView(view, true);
    return menu;
}

void RVWindowMenu::setMainView(pf::View* view, bool sizeToFit)
{
    mMainView = view;
    if (!view)
        return;
    if (auto* content = qobject_cast<pf::View*>(contentView()))
        content->addSubview(view);
    if (sizeToFit) {
        view->setFrameOrigin(QPointF(0, 0));
        const QSizeF size = view->frame().size();
        setFrame(QRectF(QPointF(0, 0), size), true);
        if (auto* content = qobject_cast<pf::View*>(contentView()))
            content->setFrame(QRectF(QPointF(0, 0), size));
    }
    view->setNeedsDisplay();
}

void RVWindowMenu::popUpWindowMenu(RVWindowMenu* menu, const pf::Event& event, pf::View* view)
{
    popUpWindowMenu(menu, event.locationInWindow + QPointF(-10, -5), event, view);
}

QRectF RVWindowMenu::frameKeptOnScreen(const QRectF& frame, const QRectF& screen)
{
    QRectF f = frame;
    if (f.left() < screen.left())
        f.moveLeft(screen.left());
    else if (f.right() > screen.right())
        f.moveRight(screen.right());
    if (f.top() < screen.top())
        f.moveTop(screen.top());
    else if (f.bottom() > screen.bottom())
        f.moveBottom(screen.bottom());
    return f;
}

void RVWindowMenu::popUpWindowMenu(RVWindowMenu* menu, QPointF point, const pf::Event& event, pf::View* view)
{
    // Nothing to show: no window and no events taken.
    if (!menu)
        return;
    QPointer<RVWindowMenu> keep(menu);
    const QPointF screenPoint = view ? view->convertPointToScreen(view->convertPointFromView(point, nullptr)) : point;
    menu->setFrameTopLeftPoint(screenPoint);
    QRectF screen = pf::Screen::mainFrame();
    for (const QRectF& frame : pf::Screen::frames()) {
        if (frame.contains(screenPoint)) {
            screen = frame;
            break;
        }
    }
    const QRectF placed = frameKeptOnScreen(menu->frame(), screen);
    menu->setFrameTopLeftPoint(QPointF(placed.left(), placed.bottom()));
    menu->orderFront();
    menu->trackWithEvent(event);
    if (keep)
        keep->fadeWithTimeInterval(kFadeDuration);
}

pf::Event RVWindowMenu::transmogrify(const pf::Event& event) const
{
    if (event.window == this || !event.isMouseEventType() || !event.window)
        return event;
    const QPointF global = event.window->mapToGlobal(pf::Event::qtPointFromWindow(event.window, event.locationInWindow));
    const QPointF here = pf::Event::windowPointFromQt(this, mapFromGlobal(global));
    pf::Event moved = pf::Event::mouseEvent(event.type, here, event.modifierFlags, event.timestamp,
                                            pf::Event::windowNumberFor(this), event.eventNumber, event.clickCount,
                                            event.pressure);
    moved.window = const_cast<RVWindowMenu*>(this);
    moved.buttonNumber = event.buttonNumber;
    return moved;
}

void RVWindowMenu::trackWithEvent(const pf::Event& opening)
{
    const double t0 = opening.timestamp;
    QPointer<RVWindowMenu> self(this);
    if (mMainView)
        mMainView->mouseDown(transmogrify(opening));
    // Leaving the application ends tracking: it arrives as the kit's own event.
    const QMetaObject::Connection deactivation =
        QObject::connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive)
                return;
            pf::Event left = pf::Event::otherEvent(pf::AppKitDefined, {}, 0, pf::Event::now(),
                                                   pf::Event::windowNumberFor(this), pf::kApplicationDeactivatedEventSubtype);
            pf::EventQueue::shared().postEvent(left, false);
        });
    pf::EventMask mask = kTrackingMask;
    pf::Application* application = pf::Application::shared();
    std::optional<pf::Event> last;
    bool done = false;
    while (!done && self) {
        const auto next = application->nextEventMatchingMask(mask, pf::EventQueue::kDistantFuture,
                                                             pf::kEventTrackingRunLoopMode, true);
        if (!next)
            break;
        last = next;
        if (!self)
            break;
        const pf::Event event = transmogrify(*next);
        pf::View* view = mMainView;
        switch (event.type) {
        case pf::LeftMouseDown:
        case pf::RightMouseDown: {
            const QRectF area = view ? view->convertRectToView(view->bounds(), nullptr) : QRectF();
            if (view && area.contains(event.locationInWindow))
                view->mouseDown(event);
            else
                done = true;
            break;
        }
        case pf::LeftMouseUp:
        case pf::RightMouseUp:
            // A quick click leaves the menu open, so a second click can choose.
            mask |= pf::eventMaskFromType(pf::LeftMouseDown) | pf::eventMaskFromType(pf::RightMouseDown);
            if (event.timestamp - t0 >= kQuickClickInterval) {
                if (view)
                    view->mouseUp(event);
                done = true;
            }
            break;
        case pf::LeftMouseDragged:
        case pf::RightMouseDragged:
            if (view)
                view->mouseDragged(event);
            break;
        case pf::FlagsChanged:
            if (view)
                view->flagsChanged(event);
            break;
        case pf::ScrollWheel:
            if (view)
                view->scrollWheel(event);
            break;
        case pf::AppKitDefined:
            if (event.subtype == pf::kApplicationDeactivatedEventSubtype)
                done = true;
            break;
        default:
            break;
        }
    }
    QObject::disconnect(deactivation);
    if (last)
        application->discardEventsMatchingMask(pf::kAnyEventMask, &*last);
}

void RVWindowMenu::fadeWithTimeInterval(double seconds)
{
    if (!isVisible()) {
        deleteLater();
        return;
    }
    if (mFadeTimer)
        mFadeTimer->invalidate();
    mFadeStart = pf::Event::now();
    mFadeDuration = seconds;
    if (!(seconds > 0)) {
        finishFade();
        return;
    }
    QPointer<RVWindowMenu> self(this);
    mFadeTimer = pf::Timer::scheduledTimer(kFadeStep, true, [self](pf::Timer& timer) {
        if (self)
            self->timerFadeCallback(timer);
        else
            timer.invalidate();
    });
}

void RVWindowMenu::timerFadeCallback(pf::Timer&)
{
    const double elapsed = pf::Event::now() - mFadeStart;
    setAlphaValue(1.0f - float(elapsed / mFadeDuration));
    if (elapsed > mFadeDuration)
        finishFade();
}

void RVWindowMenu::finishFade()
{
    if (mFadeTimer) {
        mFadeTimer->invalidate();
        mFadeTimer = nullptr;
    }
    orderOut();
    deleteLater();
}
