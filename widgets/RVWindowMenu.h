#pragma once

#include "platform/foundation/Timer.h"
#include "platform/ui/Event.h"
#include "platform/ui/Window.h"

#include <QPointer>

namespace pf {
class View;
}

// A borderless window that behaves like a pop-up menu but holds any view (its main view).
// Popping it up places it at a point of a view, keeps it on screen, forwards the mouse,
// scroll and modifier events to the main view until the user lets go or clicks outside,
// then fades it out; once faded it deletes itself.
class RVWindowMenu : public pf::Window {
    Q_OBJECT
    PF_CLASS(RVWindowMenu)
public:
    static constexpr double kQuickClickInterval = 0.25;
    static constexpr double kFadeDuration = 0.15;
    static constexpr double kFadeStep = 1.0 / 30.0;
    static constexpr double kRestingAlpha = 0.95;
    // Left and right mouse up and dragged, modifier changes, the kit's own events, scroll wheel.
    static constexpr pf::EventMask kTrackingMask = 0x4030D4;

    RVWindowMenu();

    // A new window menu, owned by no one until it is popped up (popping up hands it to itself).
    static RVWindowMenu* windowMenu();
    static RVWindowMenu* windowMenuWithContentView(pf::View* view);

    pf::View* mainView() const { return mMainView; }
    void setMainView(pf::View* view, bool sizeToFit);

    // Shows `menu` at the event's location in its window, shifted by (-10, -5).
    static void popUpWindowMenu(RVWindowMenu* menu, const pf::Event& event, pf::View* view);
    // Places `menu` with its top-left corner at `point` (window coordinates of `view`), keeps it
    // on its screen, tracks the mouse from `event` and fades it out. Returns when tracking has
    // ended. A missing menu does nothing.
    static void popUpWindowMenu(RVWindowMenu* menu, QPointF point, const pf::Event& event, pf::View* view);
    // Moves `frame` inside `screen`, each axis on its own.
    static QRectF frameKeptOnScreen(const QRectF& frame, const QRectF& screen);

    void trackWithEvent(const pf::Event& event);
    // The event re-expressed in this window: a mouse event of another window gets this
    // window's coordinates; anything else is returned unchanged.
    pf::Event transmogrify(const pf::Event& event) const;
    // Fades the window out over `seconds`, then orders it out and lets it go. Zero fades at once.
    void fadeWithTimeInterval(double seconds);
    bool isFading() const { return mFadeTimer != nullptr; }

private:
    void timerFadeCallback(pf::Timer& timer);
    void finishFade();

    QPointer<pf::View> mMainView;
    pf::Ref<pf::Timer> mFadeTimer;
    double mFadeStart = 0;
    double mFadeDuration = 0;
};
