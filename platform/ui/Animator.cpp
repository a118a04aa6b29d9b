#include "platform/ui/Animator.h"

#include "platform/ui/AnimatablePropertyContainer.h"
#include "platform/ui/AnimationContext.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <QColor>
#include <QVariantAnimation>

#include <cmath>

namespace pf {

namespace {

const char* const kRunPrefix = "pf::Animator:";

// One running change of a key, owned by its target so it goes when the target does.
class AnimationRun : public QVariantAnimation {
public:
    AnimationRun(QObject* target, const QString& key, std::shared_ptr<Animation> settings,
                 std::shared_ptr<void> groupChange, std::function<void(const QVariant&)> apply)
        : QVariantAnimation(target), m_settings(std::move(settings)), m_groupChange(std::move(groupChange)),
          m_apply(std::move(apply))
    {
        setObjectName(QString::fromLatin1(kRunPrefix) + key);
        connect(this, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
            if (!m_done)
                m_apply(value);
        });
        connect(this, &QAbstractAnimation::finished, this, [this] { end(true); });
    }

    // A target going away ends the run without telling anyone but its group.
    ~AnimationRun() override = default;

    void interrupt()
    {
        stop();
        end(false);
    }

private:
    void end(bool finished)
    {
        if (m_done)
            return;
        m_done = true;
        setObjectName(QString());
        if (finished)
            m_apply(endValue());
        if (AnimationDelegate* delegate = m_settings->delegate())
            delegate->animationDidStop(*m_settings, finished);
        m_groupChange.reset();
        deleteLater();
    }

    std::shared_ptr<Animation> m_settings;
    std::shared_ptr<void> m_groupChange;
    std::function<void(const QVariant&)> m_apply;
    bool m_done = false;
};

AnimationRun* runningChange(const QObject* target, const QString& key)
{
    return target ? target->findChild<AnimationRun*>(QString::fromLatin1(kRunPrefix) + key, Qt::FindDirectChildrenOnly)
                  : nullptr;
}

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// The pair of values as QVariantAnimation can step between them, or false when it cannot.
bool steppable(QVariant& from, QVariant& to)
{
    if (isNumber(from) && isNumber(to)) {
        from = from.toDouble();
        to = to.toDouble();
        return std::isfinite(from.toDouble()) && std::isfinite(to.toDouble());
    }
    if (from.typeId() != to.typeId())
        return false;
    switch (from.typeId()) {
    case QMetaType::QPointF:
    case QMetaType::QSizeF:
    case QMetaType::QRectF:
    case QMetaType::QColor:
        return true;
    default:
        return false;
    }
}

} // namespace

Animator::Animator(View* view) : m_target(view), m_container(view), m_view(view) {}

Animator::Animator(Window* window) : m_target(window), m_container(window), m_window(window) {}

void Animator::setFrame(const QRectF& frame)
{
    if (!m_target)
        return;
    if (m_view) {
        setFrameOrigin(frame.topLeft());
        setFrameSize(frame.size());
        return;
    }
    Window* window = m_window;
    animateValue(QStringLiteral("frame"), window->frame(), frame,
                 [window](const QVariant& value) { window->setFrame(value.toRectF(), true); });
}

void Animator::setFrameOrigin(QPointF origin)
{
    if (!m_target)
        return;
    if (m_view) {
        View* view = m_view;
        animateValue(QStringLiteral("frameOrigin"), view->frame().topLeft(), origin,
                     [view](const QVariant& value) { view->setFrameOrigin(value.toPointF()); });
        return;
    }
    Window* window = m_window;
    animateValue(QStringLiteral("frameOrigin"), window->frame().topLeft(), origin,
                 [window](const QVariant& value) { window->setFrameOrigin(value.toPointF()); });
}

void Animator::setFrameSize(QSizeF size)
{
    if (!m_target || !m_view)
        return;
    View* view = m_view;
    animateValue(QStringLiteral("frameSize"), view->frame().size(), size,
                 [view](const QVariant& value) { view->setFrameSize(value.toSizeF()); });
}

void Animator::setAlphaValue(double alpha)
{
    if (!m_target)
        return;
    if (m_view) {
        View* view = m_view;
        animateValue(QStringLiteral("alphaValue"), view->alphaValue(), alpha,
                     [view](const QVariant& value) { view->setAlphaValue(value.toDouble()); });
        return;
    }
    Window* window = m_window;
    animateValue(QStringLiteral("alphaValue"), window->alphaValue(), alpha,
                 [window](const QVariant& value) { window->setAlphaValue(value.toDouble()); });
}

void Animator::setValue(const QString& key, const QVariant& value)
{
    if (!m_target)
        return;
    Reflective* object = m_view ? static_cast<Reflective*>(m_view) : static_cast<Reflective*>(m_window);
    QPointer<QWidget> guard = m_target;
    animateValue(key, object->valueForKey(key), value, [object, guard, key](const QVariant& step) {
        if (guard)
            object->setValueForKey(step, key);
    });
}

void Animator::animateValue(const QString& key, const QVariant& from, const QVariant& to,
                            std::function<void(const QVariant&)> apply)
{
    QWidget* target = m_target;
    if (!target || !apply)
        return;
    // Carry on from wherever a running change of the key got to.
    QVariant start = from;
    if (AnimationRun* running = runningChange(target, key)) {
        start = running->currentValue().isValid() ? running->currentValue() : from;
        running->interrupt();
    }
    std::shared_ptr<Animation> settings = m_container->animationForKey(key);
    AnimationContext* group = AnimationContext::current();
    std::shared_ptr<void> groupChange = group ? group->beginChange() : nullptr;
    const double duration = settings ? (group ? group->duration() : settings->duration()) : 0.0;
    QVariant end = to;
    if (duration <= 0 || !steppable(start, end)) {
        apply(to);
        if (settings && settings->delegate())
            settings->delegate()->animationDidStop(*settings, true);
        return;
    }
    auto* run = new AnimationRun(target, key, settings, std::move(groupChange), std::move(apply));
    run->setStartValue(start);
    run->setEndValue(end);
    run->setDuration(int(std::lround(duration * 1000)));
    run->setEasingCurve(settings->easingCurve());
    run->start();
}

bool Animator::isAnimating(const QObject* target, const QString& key)
{
    return runningChange(target, key) != nullptr;
}

} // namespace pf
