#include "widgets/RVProgressViewController.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Variant.h"
#include "widgets/RVProgressController.h"
#include "widgets/RVProgressDelegate.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(RVProgressViewController, pf::Object)
{
    b.method("cancelButtonAction:", &RVProgressViewController::cancelButtonAction);
    b.method("showHideTimeButtonAction:", &RVProgressViewController::showHideTimeButtonAction);
}

namespace {

// The bar counts in thousandths.
constexpr int kBarSteps = 1000;

QString tr(const char* text)
{
    return QCoreApplication::translate("RVProgressViewController", text);
}

} // namespace

RVProgressViewController::RVProgressViewController() : m_startTime(RVProgressController::now()) {}

RVProgressViewController::~RVProgressViewController()
{
    if (m_view)
        m_view->deleteLater();
}

QString RVProgressViewController::stringWithEstimatedTimeRemaining(double t)
{
    if (t == -1.0 || !std::isfinite(t) || t < 0.0)
        return tr("calculating...");
    const double m = t / 60.0;
    if (m < 1.5 && t < 2.0)
        return tr("about a second");
    if (t <= 12.0)
        return tr("about %1 seconds").arg(int(std::lround(t)));
    if (t < 25.0)
        return tr("about 20 seconds");
    if (t < 35.0)
        return tr("about 30 seconds");
    if (t < 55.0)
        return tr("less than a minute");
    if (m < 1.5)
        return tr("about a minute");
    if (m < 50.0)
        return tr("about %1 minutes").arg(int(std::lround(m)));
    if (m < 70.0)
        return tr("about an hour");
    // Rounded as a whole first, so the minutes never read 60.
    const long long totalMinutes = std::llround(m);
    return tr("about %1 hours, %2 minutes").arg(totalMinutes / 60).arg(totalMinutes % 60);
}

QWidget* RVProgressViewController::view()
{
    if (m_view)
        return m_view;
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("RVProgressView"));
    auto* column = new QVBoxLayout(view);
    column->setContentsMargins(20, 10, 20, 8);
    column->setSpacing(4);

    m_promptField = new QLabel(view);
    m_promptField->setObjectName(QStringLiteral("prompt"));
    column->addWidget(m_promptField);

    auto* barRow = new QHBoxLayout;
    // The bar ends 16 points before the cancel button, or runs on to its edge without it.
    barRow->setSpacing(16);
    m_bar = new QProgressBar(view);
    m_bar->setRange(0, kBarSteps);
    m_bar->setTextVisible(false);
    barRow->addWidget(m_bar, 1);
    m_cancelButton = new QPushButton(tr("Stop"), view);
    m_cancelButton->setObjectName(QStringLiteral("cancel"));
    barRow->addWidget(m_cancelButton);
    column->addLayout(barRow);

    auto* timeRow = new QHBoxLayout;
    m_showHideTimeButton = new QPushButton(view);
    m_showHideTimeButton->setObjectName(QStringLiteral("showHideTime"));
    m_showHideTimeButton->setCheckable(true);
    m_showHideTimeButton->setFlat(true);
    m_showHideTimeButton->setText(QStringLiteral("\u25B8"));
    timeRow->addWidget(m_showHideTimeButton);
    m_timeLabel = new QLabel(tr("Time remaining:"), view);
    timeRow->addWidget(m_timeLabel);
    m_timeField = new QLabel(stringWithEstimatedTimeRemaining(-1.0), view);
    m_timeField->setObjectName(QStringLiteral("timeRemaining"));
    timeRow->addWidget(m_timeField, 1);
    column->addLayout(timeRow);

    m_auxiliaryField = new QLabel(view);
    m_auxiliaryField->setObjectName(QStringLiteral("auxiliary"));
    column->addWidget(m_auxiliaryField);

    m_view = view;
    std::weak_ptr<void> alive = livenessToken();
    QObject::connect(m_cancelButton, &QPushButton::clicked, view, [this, alive] {
        if (!alive.expired())
            cancelButtonAction();
    });
    QObject::connect(m_showHideTimeButton, &QPushButton::toggled, view, [this, alive](bool on) {
        if (!alive.expired())
            setTimeRemainingHidden(!on);
    });

    {
        std::lock_guard lock(m_mutex);
        m_promptField->setText(m_prompt);
        m_auxiliaryField->setText(m_auxiliary);
    }
    applyFraction(m_fraction.load());
    applyCancellable();
    applyIndeterminate();
    applyTimeRemainingHidden();
    return view;
}

void RVProgressViewController::onMainThread(std::function<void(RVProgressViewController&)> change)
{
    std::weak_ptr<void> alive = livenessToken();
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(app, [this, alive, change = std::move(change)] {
        if (!alive.expired() && m_view)
            change(*this);
    }, Qt::QueuedConnection);
}

bool RVProgressViewController::setProgressFraction(double fraction)
{
    pf::Ref<RVProgressController> controller = progressController();
    if (!controller)
        pf::raise(pf::NSInternalInconsistencyException,
                  QStringLiteral("progress can't be used without a parent window controller"));
    m_fraction.store(std::isfinite(fraction) ? fraction : 0.0);
    onMainThread([fraction](RVProgressViewController& self) { self.applyFraction(fraction); });

    // The decision is taken under the lock, the showing after it is released.
    bool show = false;
    {
        std::lock_guard lock(m_mutex);
        if (!m_hasShown && controller->shouldShowDeferred()) {
            m_hasShown = true;
            show = true;
        }
    }
    if (show) {
        std::weak_ptr<void> alive = controller->livenessToken();
        RVProgressController* raw = controller.get();
        if (pf::RunLoop::isMainThread())
            raw->showWindowNow();
        else if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [raw, alive] {
                if (!alive.expired())
                    raw->showWindowNow();
            }, Qt::QueuedConnection);
    }
    if (pf::RunLoop::isMainThread())
        controller->handleModalEvents();
    return isCancellable() && isCancelled();
}

void RVProgressViewController::applyFraction(double fraction)
{
    if (!m_bar)
        return;
    if (!isIndeterminate())
        m_bar->setValue(int(std::lround(std::clamp(std::isfinite(fraction) ? fraction : 0.0, 0.0, 1.0) * kBarSteps)));
    m_timeField->setText(stringWithEstimatedTimeRemaining(estimatedTimeRemaining()));
}

void RVProgressViewController::setPromptString(const QString& prompt)
{
    {
        std::lock_guard lock(m_mutex);
        m_prompt = prompt;
    }
    onMainThread([prompt](RVProgressViewController& self) { self.m_promptField->setText(prompt); });
}

QString RVProgressViewController::promptString() const
{
    std::lock_guard lock(m_mutex);
    return m_prompt;
}

void RVProgressViewController::setAuxiliaryString(const QString& text)
{
    {
        std::lock_guard lock(m_mutex);
        m_auxiliary = text;
    }
    onMainThread([text](RVProgressViewController& self) { self.m_auxiliaryField->setText(text); });
}

QString RVProgressViewController::auxiliaryString() const
{
    std::lock_guard lock(m_mutex);
    return m_auxiliary;
}

void RVProgressViewController::setCancellable(bool cancellable)
{
    if (m_cancellable.exchange(cancellable) == cancellable)
        return;
    onMainThread([](RVProgressViewController& self) { self.applyCancellable(); });
}

void RVProgressViewController::applyCancellable()
{
    if (m_cancelButton)
        m_cancelButton->setVisible(isCancellable());
}

void RVProgressViewController::setIndeterminate(bool indeterminate)
{
    if (m_indeterminate.exchange(indeterminate) == indeterminate)
        return;
    onMainThread([](RVProgressViewController& self) { self.applyIndeterminate(); });
}

void RVProgressViewController::applyIndeterminate()
{
    if (!m_bar)
        return;
    // A range of 0 to 0 is Qt's busy indicator.
    if (isIndeterminate()) {
        m_bar->setRange(0, 0);
    } else {
        m_bar->setRange(0, kBarSteps);
        applyFraction(m_fraction.load());
    }
}

void RVProgressViewController::setTimeRemainingHidden(bool hidden)
{
    if (m_timeRemainingHidden.exchange(hidden) == hidden)
        return;
    onMainThread([](RVProgressViewController& self) {
        self.applyTimeRemainingHidden();
        if (pf::Ref<RVProgressController> controller = self.progressController())
            controller->layoutProgressViews();
    });
}

void RVProgressViewController::applyTimeRemainingHidden()
{
    if (!m_view)
        return;
    const bool hidden = isTimeRemainingHidden();
    m_timeLabel->setHidden(hidden);
    m_timeField->setHidden(hidden);
    m_auxiliaryField->setHidden(hidden);
    const QSignalBlocker quiet(m_showHideTimeButton.data());
    m_showHideTimeButton->setChecked(!hidden);
    m_showHideTimeButton->setText(hidden ? QStringLiteral("\u25B8") : QStringLiteral("\u25BE"));
    m_view->setFixedHeight(hidden ? kHeightWithoutTime : kHeightWithTime);
}

void RVProgressViewController::beginModalProgress(bool modal)
{
    if (identifier().isEmpty())
        pf::raise(pf::NSInternalInconsistencyException,
                  QStringLiteral("you must set a valid identifier before calling -beginProgress"));
    pf::Ref<RVProgressController> controller = progressController();
    if (!controller) {
        controller = std::make_shared<RVProgressController>();
        {
            std::lock_guard lock(m_mutex);
            m_ownController = controller;
        }
        setProgressController(controller);
        pf::Ref<RVProgressViewController> self = ref<RVProgressViewController>();
        RVProgressController::runOnMainThreadAndWait([controller, self] { controller->addProgressView(self); });
    }
    if (modal && pf::RunLoop::isMainThread())
        controller->setRequiresModalSession(true);
}

void RVProgressViewController::endProgress()
{
    setDelegate(nullptr);
    pf::Ref<RVProgressController> controller = progressController();
    if (controller)
        controller->removeProgressViewWithIdentifier(identifier());
    pf::Ref<RVProgressController> own;
    {
        std::lock_guard lock(m_mutex);
        own = std::move(m_ownController);
    }
    // A private controller goes once the removal queued above has run.
    if (own && QCoreApplication::instance())
        QMetaObject::invokeMethod(QCoreApplication::instance(), [own] {}, Qt::QueuedConnection);
}

double RVProgressViewController::estimatedTimeRemaining() const
{
    if (isIndeterminate())
        return -1.0;
    const double elapsed = RVProgressController::now() - m_startTime;
    const double f = m_fraction.load();
    if (elapsed < 0.1 || !(f >= 0.025))
        return -1.0;
    return elapsed * (1.0 - f) / f;
}

void RVProgressViewController::cancelButtonAction(const QVariant&)
{
    m_cancelled.store(true);
}

void RVProgressViewController::showHideTimeButtonAction(const QVariant& sender)
{
    setTimeRemainingHidden(!pf::variantToBool(sender));
}

QString RVProgressViewController::identifier() const
{
    std::lock_guard lock(m_mutex);
    return m_identifier;
}

void RVProgressViewController::setIdentifier(const QString& identifier)
{
    std::lock_guard lock(m_mutex);
    m_identifier = identifier;
}

pf::Ref<RVProgressController> RVProgressViewController::progressController() const
{
    std::lock_guard lock(m_mutex);
    return m_controller.lock();
}

void RVProgressViewController::setProgressController(const pf::Ref<RVProgressController>& controller)
{
    std::lock_guard lock(m_mutex);
    m_controller = controller;
}

RVProgressDelegate* RVProgressViewController::delegate() const
{
    return m_delegate.expired() ? nullptr : m_delegateInterface;
}

void RVProgressViewController::setDelegate(const pf::Ref<pf::Object>& delegate)
{
    m_delegate = delegate;
    m_delegateInterface = dynamic_cast<RVProgressDelegate*>(delegate.get());
}

QString RVProgressViewController::description() const
{
    return QStringLiteral("%1 id=%2, view=%3")
        .arg(pf::Object::description(), identifier(),
             m_view ? QStringLiteral("0x%1").arg(quintptr(m_view.data()), 0, 16) : QStringLiteral("(nil)"));
}
