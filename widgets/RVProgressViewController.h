#pragma once

#include "platform/foundation/Object.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <atomic>
#include <mutex>

class RVProgressController;
class RVProgressDelegate;

// One progress view of the shared progress window: a prompt, a bar, a cancel button, the time
// remaining and a line of further information. Work may call the setters and
// setProgressFraction from any thread; every change of the interface is carried to the main
// thread, and nothing here waits for the main thread while it holds a lock.
class RVProgressViewController : public pf::Object {
    PF_CLASS(RVProgressViewController)
public:
    // Heights of the view with the time remaining shown and hidden.
    static constexpr int kHeightWithTime = 80;
    static constexpr int kHeightWithoutTime = 64;

    RVProgressViewController();
    ~RVProgressViewController() override;

    // The words for a number of seconds left: "calculating..." for -1 or a time that is not
    // finite, "about a second" ... "about 1 hours, 40 minutes".
    static QString stringWithEstimatedTimeRemaining(double seconds);

    // The view, made on first use (main thread only).
    QWidget* view();
    bool isViewLoaded() const { return m_view != nullptr; }

    // Answers whether the work should stop: the user cancelled a cancellable view. Asserts
    // when the view has no controller.
    bool setProgressFraction(double fraction);
    double progressFraction() const { return m_fraction.load(); }
    void setPromptString(const QString& prompt);
    QString promptString() const;
    void setAuxiliaryString(const QString& text);
    QString auxiliaryString() const;
    void setCancellable(bool cancellable);
    bool isCancellable() const { return m_cancellable.load(); }
    void setIndeterminate(bool indeterminate);
    bool isIndeterminate() const { return m_indeterminate.load(); }
    void setTimeRemainingHidden(bool hidden);
    bool isTimeRemainingHidden() const { return m_timeRemainingHidden.load(); }
    bool isCancelled() const { return m_cancelled.load(); }

    // Adds the view to its controller (making a private one when it has none). With `modal`
    // on the main thread, the controller runs a modal session while it shows.
    void beginProgress() { beginModalProgress(false); }
    void beginModalProgress(bool modal);
    // Removes the view from its controller; harmless when called again.
    void endProgress();

    // Seconds left, estimated from the time since the view was made and the fraction done; -1
    // while indeterminate or too early to tell.
    double estimatedTimeRemaining() const;

    void cancelButtonAction(const QVariant& sender = {});
    // Hides the time remaining when the sender's state is off.
    void showHideTimeButtonAction(const QVariant& sender);

    QString identifier() const;
    void setIdentifier(const QString& identifier);
    pf::Ref<RVProgressController> progressController() const;
    void setProgressController(const pf::Ref<RVProgressController>& controller);
    // Not retained. Main thread only.
    RVProgressDelegate* delegate() const;
    pf::Ref<pf::Object> delegateObject() const { return m_delegate.lock(); }
    void setDelegate(const pf::Ref<pf::Object>& delegate);

    QString description() const override;

    // Main thread: the widgets, for tests and the controller's layout.
    QProgressBar* progressBar() const { return m_bar; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    QLabel* timeRemainingField() const { return m_timeField; }
    QLabel* promptField() const { return m_promptField; }

private:
    // Runs `change` on the main thread (queued) while this view lives.
    void onMainThread(std::function<void(RVProgressViewController&)> change);
    void applyFraction(double fraction);
    void applyCancellable();
    void applyIndeterminate();
    void applyTimeRemainingHidden();

    mutable std::mutex m_mutex;
    QString m_identifier;
    QString m_prompt;
    QString m_auxiliary;
    pf::Weak<RVProgressController> m_controller;
    pf::Weak<pf::Object> m_delegate;
    RVProgressDelegate* m_delegateInterface = nullptr;
    const double m_startTime;
    std::atomic<double> m_fraction{0.0};
    std::atomic<bool> m_cancellable{true};
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_indeterminate{false};
    std::atomic<bool> m_timeRemainingHidden{false};
    bool m_hasShown = false;       // guarded by m_mutex
    pf::Ref<RVProgressController> m_ownController; // made by beginProgress, guarded by m_mutex

    QPointer<QWidget> m_view;
    QPointer<QLabel> m_promptField;
    QPointer<QProgressBar> m_bar;
    QPointer<QPushButton> m_cancelButton;
    QPointer<QLabel> m_timeLabel;
    QPointer<QLabel> m_timeField;
    QPointer<QLabel> m_auxiliaryField;
    QPointer<QPushButton> m_showHideTimeButton;
};
