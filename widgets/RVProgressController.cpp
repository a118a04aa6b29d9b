#include "widgets/RVProgressController.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/ModalSession.h"
#include "platform/ui/Panel.h"
#include "platform/ui/Sheet.h"
#include "widgets/RVProgressBackgroundView.h"
#include "widgets/RVProgressDelegate.h"
#include "widgets/RVProgressViewController.h"

#include <QCoreApplication>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>

PF_DEFINE_CLASS(RVProgressController, pf::Object)
{
    b.method("stopButtonAction:", &RVProgressController::stopButtonAction);
    b.method("cancelOperation:", &RVProgressController::cancelOperation);
}

namespace {

constexpr int kWindowWidth = 420;

} // namespace

RVProgressController::RVProgressController()
{
    m_startTime.store(now());
}

RVProgressController::~RVProgressController()
{
    if (m_pollTimer)
        m_pollTimer->deleteLater();
    m_modalSession.reset();
    if (m_window)
        m_window->deleteLater();
}

pf::Ref<RVProgressController> RVProgressController::sharedProgress()
{
    static const pf::Ref<RVProgressController> shared = std::make_shared<RVProgressController>();
    return shared;
}

double RVProgressController::now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void RVProgressController::runOnMainThreadAndWait(const std::function<void()>& work)
{
    if (pf::RunLoop::isMainThread() || !QCoreApplication::instance()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), work, Qt::BlockingQueuedConnection);
}

// Views ---------------------------------------------------------------------------------------

QString RVProgressController::identifierForDelegate(const pf::Ref<pf::Object>& delegate)
{
    for (auto it = m_delegateIdentifiers.begin(); it != m_delegateIdentifiers.end();) {
        const pf::Ref<pf::Object> known = it->first.lock();
        if (!known) {
            it = m_delegateIdentifiers.erase(it);
            continue;
        }
        if (known == delegate)
            return it->second;
        ++it;
    }
    const QString identifier = QStringLiteral("pr_del_%1").arg(m_nextDelegateSerial++);
    m_delegateIdentifiers.append({delegate, identifier});
    return identifier;
}

pf::Ref<RVProgressViewController> RVProgressController::progressViewForDelegate(const pf::Ref<pf::Object>& delegate)
{
    if (!dynamic_cast<RVProgressDelegate*>(delegate.get()))
        pf::raise(pf::NSInternalInconsistencyException,
                  QStringLiteral("delegate does not implement the RVProgressDelegate protocol"));
    pf::Ref<RVProgressViewController> view;
    runOnMainThreadAndWait([&] {
        view = findOrMake(identifierForDelegate(delegate));
        view->setDelegate(delegate);
        view->beginProgress();
        startPolling();
    });
    return view;
}

pf::Ref<RVProgressViewController> RVProgressController::progressViewWithIdentifier(const QString& identifier)
{
    pf::Ref<RVProgressViewController> view;
    runOnMainThreadAndWait([&] { view = findOrMake(identifier); });
    return view;
}

pf::Ref<RVProgressViewController> RVProgressController::findOrMake(const QString& identifier)
{
    if (pf::Ref<RVProgressViewController> existing = m_viewControllers.value(identifier))
        return existing;
    auto view = std::make_shared<RVProgressViewController>();
    view->setIdentifier(identifier);
    addProgressView(view);
    return view;
}

void RVProgressController::removeProgressViewWithIdentifier(const QString& identifier)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    std::weak_ptr<void> alive = livenessToken();
    QMetaObject::invokeMethod(app, [this, alive, identifier] {
        if (!alive.expired())
            removeProgressView(identifier);
    }, Qt::QueuedConnection);
}

void RVProgressController::addProgressView(const pf::Ref<RVProgressViewController>& view)
{
    if (!view || m_viewControllers.contains(view->identifier()))
        return;
    hostView();
    if (m_ordered.isEmpty())
        m_startTime.store(now());
    view->setProgressController(ref<RVProgressController>());
    m_viewControllers.insert(view->identifier(), view);
    m_ordered.append(view);
    QWidget* widget = view->view();
    widget->setParent(m_hostView);
    widget->show();
    layoutProgressViews();
}

void RVProgressController::removeProgressView(const QString& identifier)
{
    pf::Ref<RVProgressViewController> view = m_viewControllers.take(identifier);
    if (!view)
        return;
    view->setProgressController(nullptr);
    m_ordered.removeAll(view);
    if (view->isViewLoaded()) {
        view->view()->hide();
        view->view()->setParent(nullptr);
    }
    if (m_ordered.isEmpty())
        hideProgress();
    else
        layoutProgressViews();
}

void RVProgressController::layoutProgressViews()
{
    if (!m_hostView)
        return;
    int total = 0;
    for (const auto& view : m_ordered)
        total += view->view()->height();
    // The first view sits at the bottom, later ones stack above it.
    int bottom = total;
    const int width = m_window->width();
    for (const auto& view : m_ordered) {
        QWidget* widget = view->view();
        bottom -= widget->height();
        widget->setGeometry(0, bottom, width, widget->height());
    }
    // Resizing keeps the top edge where it was.
    m_window->setFixedSize(width, std::max(total, 1));
    m_hostView->update();
}

// Window --------------------------------------------------------------------------------------

pf::Panel* RVProgressController::window()
{
    if (m_window)
        return m_window;
    auto* panel = new pf::Panel;
    panel->setFloatingPanel(true);
    panel->setWindowTitle(QCoreApplication::translate("RVProgressController", "Progress"));
    auto* host = new RVProgressBackgroundView;
    panel->setContentView(host);
    panel->resize(kWindowWidth, RVProgressViewController::kHeightWithTime);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), panel);
    std::weak_ptr<void> alive = livenessToken();
    QObject::connect(escape, &QShortcut::activated, panel, [this, alive] {
        if (!alive.expired())
            cancelOperation();
    });
    m_window = panel;
    m_hostView = host;
    return panel;
}

QWidget* RVProgressController::hostView()
{
    window();
    return m_hostView;
}

void RVProgressController::setTitle(const QString& title)
{
    std::weak_ptr<void> alive = livenessToken();
    runOnMainThreadAndWait([&] { window()->setWindowTitle(title); });
}

void RVProgressController::showOnParent(QWidget* parent)
{
    m_parentWindow = parent;
    if (!defersDisplay()) {
        std::weak_ptr<void> alive = livenessToken();
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [this, alive] {
                if (!alive.expired())
                    showWindowNow();
            }, Qt::QueuedConnection);
    }
}

bool RVProgressController::shouldShowDeferred() const
{
    if (m_windowVisible.load())
        return false;
    if (!defersDisplay())
        return true;
    return now() - m_startTime.load() > kDeferralSeconds;
}

void RVProgressController::showWindowNow()
{
    // Work that ended before its showing came round leaves nothing to show.
    if (m_ordered.isEmpty())
        return;
    pf::Panel* panel = window();
    if (!panel)
        pf::raise(pf::NSInternalInconsistencyException, QStringLiteral("window not ready"));
    if (m_parentWindow) {
        if (!m_sheetShown) {
            m_sheetShown = true;
            std::weak_ptr<void> alive = livenessToken();
            pf::Sheet::beginSheet(panel, m_parentWindow, [this, alive](int) {
                if (!alive.expired())
                    m_sheetShown = false;
            });
        }
    } else if (!requiresModalSession()) {
        if (!panel->isVisible())
            panel->center();
        panel->show();
        panel->raise();
        panel->activateWindow();
    } else if (!m_modalSession) {
        panel->show();
        m_modalSession = std::make_unique<pf::ModalSession>(panel);
    }
    m_windowVisible.store(true);
}

void RVProgressController::hideProgress()
{
    stopPolling();
    if (m_window) {
        if (m_sheetShown)
            pf::Sheet::endSheet(m_window);
        else if (m_modalSession)
            m_modalSession->stop(pf::kModalResponseStop);
        m_modalSession.reset();
        m_window->hide();
    }
    m_windowVisible.store(false);
}

void RVProgressController::handleModalEvents()
{
    if (!requiresModalSession() || !m_modalSession)
        return;
    if (m_modalSession->run() != pf::kModalResponseContinue)
        m_shouldCancelOrStop.store(true);
}

// Polling -------------------------------------------------------------------------------------

bool RVProgressController::isPolling() const
{
    return m_pollTimer && m_pollTimer->isActive();
}

void RVProgressController::startPolling()
{
    if (m_pollTimer)
        return;
    auto* timer = new QTimer;
    timer->setInterval(kPollIntervalMs);
    timer->setTimerType(Qt::PreciseTimer);
    std::weak_ptr<void> alive = livenessToken();
    QObject::connect(timer, &QTimer::timeout, timer, [this, alive] {
        if (!alive.expired())
            pollDelegates();
    });
    m_pollTimer = timer;
    timer->start();
    // The first poll comes at once, as a timer fired now would.
    QMetaObject::invokeMethod(timer, [this, alive] {
        if (!alive.expired() && m_pollTimer)
            pollDelegates();
    }, Qt::QueuedConnection);
}

void RVProgressController::stopPolling()
{
    if (m_pollTimer) {
        m_pollTimer->stop();
        m_pollTimer->deleteLater();
    }
    m_pollTimer = nullptr;
}

void RVProgressController::pollDelegates()
{
    // A delegate may end its view, or others, while it is asked.
    const QList<pf::Ref<RVProgressViewController>> views = m_ordered;
    for (const auto& view : views) {
        RVProgressDelegate* delegate = view->delegate();
        if (!delegate)
            continue;
        const pf::Ref<pf::Object> keep = view->delegateObject();
        const bool cancel = view->isCancelled() && view->isCancellable();
        const double fraction = delegate->progressFractionForProgress(*view, cancel);
        if (cancel || fraction >= 1.0)
            view->endProgress();
        else if (view->progressController() && view->setProgressFraction(fraction))
            view->endProgress();
    }
}

// Default view and actions ---------------------------------------------------------------------

void RVProgressController::setPromptString(const QString& prompt)
{
    defaultProgress()->setPromptString(prompt);
}

void RVProgressController::setButtonTitle(const QString& title)
{
    defaultProgress()->setCancellable(!title.isNull());
}

void RVProgressController::setButtonHidden(bool hidden)
{
    defaultProgress()->setCancellable(!hidden);
}

void RVProgressController::setProgressBarIndeterminate(bool indeterminate)
{
    defaultProgress()->setIndeterminate(indeterminate);
}

void RVProgressController::setTimeEstimateHidden(bool hidden)
{
    defaultProgress()->setTimeRemainingHidden(hidden);
}

void RVProgressController::setAdditionalInfoString(const QString& text)
{
    defaultProgress()->setAuxiliaryString(text);
}

bool RVProgressController::setCurrentValue(qint64 value)
{
    const qint64 maximum = maximumValue();
    const double fraction = maximum > 0 ? double(value) / double(maximum) : 0.0;
    const bool stop = defaultProgress()->setProgressFraction(fraction) || m_shouldCancelOrStop.load();
    m_shouldCancelOrStop.store(stop);
    return stop;
}

double RVProgressController::estimatedTimeRemaining() const
{
    double largest = -1.0;
    for (const auto& view : m_ordered)
        largest = std::max(largest, view->estimatedTimeRemaining());
    return largest;
}

QString RVProgressController::estimatedTimeString() const
{
    return RVProgressViewController::stringWithEstimatedTimeRemaining(estimatedTimeRemaining());
}

void RVProgressController::stopButtonAction(const QVariant&)
{
    if (!m_parentWindow && requiresModalSession() && m_modalSession)
        m_modalSession->stop(pf::kModalResponseStop);
    m_shouldCancelOrStop.store(true);
}

void RVProgressController::cancelOperation(const QVariant&)
{
    for (const auto& view : QList<pf::Ref<RVProgressViewController>>(m_ordered))
        if (view->isCancellable())
            view->cancelButtonAction();
}
