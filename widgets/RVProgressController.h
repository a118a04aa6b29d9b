#pragma once

#include "platform/foundation/Object.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QTimer;
class QWidget;
class RVProgressViewController;

namespace pf {
class ModalSession;
class Panel;
}

// The shared floating progress window: it stacks one progress view per piece of running work,
// polls the delegates of delegate views ten times a second, shows itself only once work has
// run for a moment (or at once when display is not deferred), as a sheet on a parent window,
// a free window or a modal session, and hides when its last view goes.
//
// The view bookkeeping runs on the main thread only; calls from other threads are carried
// there. No lock is held while waiting for the main thread.
class RVProgressController : public pf::Object {
    PF_CLASS(RVProgressController)
public:
    static inline const QString kDefaultIdentifier = QStringLiteral("pr_default");
    static constexpr int kPollIntervalMs = 100;
    static constexpr double kDeferralSeconds = 0.5;

    RVProgressController();
    ~RVProgressController() override;

    // The one shared controller, made on first use and kept for the life of the process.
    static pf::Ref<RVProgressController> sharedProgress();
    // Seconds on a steady clock: the time base of the estimates.
    static double now();
    // Runs `work` on the main thread and waits for it; at once when already there. Callers
    // must hold no lock.
    static void runOnMainThreadAndWait(const std::function<void()>& work);

    // The view polling `delegate` (which must be an RVProgressDelegate: an assertion
    // otherwise), made on the first call for that delegate and begun; starts the polling.
    pf::Ref<RVProgressViewController> progressViewForDelegate(const pf::Ref<pf::Object>& delegate);
    // The view with the identifier, made when there is none.
    pf::Ref<RVProgressViewController> progressViewWithIdentifier(const QString& identifier);
    // Removes the view (on the main thread, without waiting).
    void removeProgressViewWithIdentifier(const QString& identifier);
    // The views in the order added (main thread).
    QList<pf::Ref<RVProgressViewController>> progressViews() const { return m_ordered; }

    // The default view ("pr_default") and its conveniences.
    pf::Ref<RVProgressViewController> defaultProgress() { return progressViewWithIdentifier(kDefaultIdentifier); }
    void setPromptString(const QString& prompt);
    // A title (even empty) makes the default view cancellable; a null string does not.
    void setButtonTitle(const QString& title);
    void setButtonHidden(bool hidden);
    void setProgressBarIndeterminate(bool indeterminate);
    void setTimeEstimateHidden(bool hidden);
    void setAdditionalInfoString(const QString& text);
    // Shows value / maximumValue on the default view; answers whether the work should stop.
    bool setCurrentValue(qint64 value);
    qint64 maximumValue() const { return m_maxValue.load(); }
    void setMaximumValue(qint64 maximum) { m_maxValue.store(maximum); }

    void setTitle(const QString& title);
    // Remembers the parent window (null: a free-standing window) and, unless display is
    // deferred, shows the window.
    void showOnParent(QWidget* parent);
    void hide() { hideProgress(); }
    void close() { hideProgress(); }

    bool defersDisplay() const { return m_deferDisplay.load(); }
    void setDefersDisplay(bool defers) { m_deferDisplay.store(defers); }
    bool requiresModalSession() const { return m_requiresModal.load(); }
    void setRequiresModalSession(bool modal) { m_requiresModal.store(modal); }
    bool shouldCancelOrStop() const { return m_shouldCancelOrStop.load(); }

    // The window and its host view, made on first use (main thread).
    pf::Panel* window();
    QWidget* hostView();
    bool isWindowVisible() const { return m_windowVisible.load(); }
    bool isPolling() const;
    bool isModalSessionRunning() const { return m_modalSession != nullptr; }

    // The largest estimate of all views; -1 when there are none.
    double estimatedTimeRemaining() const;
    QString estimatedTimeString() const;

    // Stops a modal session run for a free-standing window, and asks the work to stop.
    void stopButtonAction(const QVariant& sender = {});
    // Escape: cancels every cancellable view.
    void cancelOperation(const QVariant& sender = {});

    // Used by the views ---------------------------------------------------------------------
    // Whether the window should show now: not when visible; at once when not deferring; else
    // once more than kDeferralSeconds passed since the first view came. Any thread.
    bool shouldShowDeferred() const;
    // Shows the window as the parent and modal settings say (main thread).
    void showWindowNow();
    void hideProgress();
    // One pass of the modal session, when one runs; a stop answer asks the work to stop.
    void handleModalEvents();
    void addProgressView(const pf::Ref<RVProgressViewController>& view);
    void removeProgressView(const QString& identifier);
    void layoutProgressViews();
    void pollDelegates();

private:
    pf::Ref<RVProgressViewController> findOrMake(const QString& identifier);
    QString identifierForDelegate(const pf::Ref<pf::Object>& delegate);
    void startPolling();
    void stopPolling();

    std::atomic<qint64> m_maxValue{100};
    std::atomic<double> m_startTime{0.0};
    std::atomic<bool> m_deferDisplay{true};
    std::atomic<bool> m_shouldCancelOrStop{false};
    std::atomic<bool> m_requiresModal{false};
    std::atomic<bool> m_windowVisible{false};
    QPointer<QWidget> m_parentWindow;
    std::unique_ptr<pf::ModalSession> m_modalSession;
    QHash<QString, pf::Ref<RVProgressViewController>> m_viewControllers;
    QList<pf::Ref<RVProgressViewController>> m_ordered;
    // Delegates known by a serial number, so a new delegate at a freed address never finds the
    // view of an old one.
    QList<QPair<pf::Weak<pf::Object>, QString>> m_delegateIdentifiers;
    quint64 m_nextDelegateSerial = 1;
    QPointer<pf::Panel> m_window;
    QPointer<QWidget> m_hostView;
    QPointer<QTimer> m_pollTimer;
    bool m_sheetShown = false;
};
