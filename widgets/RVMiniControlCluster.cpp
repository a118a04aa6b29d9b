#include "widgets/RVMiniControlCluster.h"

#include "platform/foundation/Timer.h"

#include <QDateTime>

PF_DEFINE_CLASS(RVMiniControlCluster, RVMiniControl) {}

RVMiniControlCluster::RVMiniControlCluster(const QRectF& bounds) : RVMiniControl(bounds) {}

RVMiniControlCluster::~RVMiniControlCluster()
{
    stopFade();
    for (const pf::Ref<RVMiniControl>& control : m_controls) {
        if (control->cluster() == this)
            control->setCluster(nullptr);
    }
}

bool RVMiniControlCluster::containsCluster(const RVMiniControlCluster* cluster) const
{
    for (const RVMiniControlCluster* outer = this; outer; outer = outer->cluster()) {
        if (outer == cluster)
            return true;
    }
    return false;
}

void RVMiniControlCluster::addMiniControl(const pf::Ref<RVMiniControl>& control)
{
    if (!control || m_controls.contains(control))
        return;
    // A cluster inside itself would recurse for ever in drawing, hit testing and bounds.
    if (auto* inner = dynamic_cast<RVMiniControlCluster*>(control.get()); inner && containsCluster(inner))
        return;
    if (RVMiniControlCluster* previous = control->cluster(); previous && previous != this)
        previous->removeMiniControl(control.get());
    m_controls.append(control);
    control->setCluster(this);
}

void RVMiniControlCluster::removeMiniControl(RVMiniControl* control)
{
    const auto found = std::find_if(m_controls.begin(), m_controls.end(),
                                    [control](const pf::Ref<RVMiniControl>& member) { return member.get() == control; });
    if (found == m_controls.end())
        return;
    // Keep the control alive until its links are gone.
    const pf::Ref<RVMiniControl> removed = *found;
    m_controls.erase(found);
    for (auto name = m_controlNames.begin(); name != m_controlNames.end();) {
        if (name.value() == control)
            name = m_controlNames.erase(name);
        else
            ++name;
    }
    if (m_hitTarget == control) {
        m_hitTarget = nullptr;
        m_hitPart = kPartNone;
    }
    if (removed->cluster() == this)
        removed->setCluster(nullptr);
}

RVMiniControl* RVMiniControlCluster::controlAtIndex(int index) const
{
    return index >= 0 && index < m_controls.size() ? m_controls.at(index).get() : nullptr;
}

RVMiniControl* RVMiniControlCluster::controlForKey(const QString& key) const
{
    if (RVMiniControl* control = m_controlNames.value(key))
        return control;
    for (const pf::Ref<RVMiniControl>& member : m_controls) {
        if (auto* inner = dynamic_cast<RVMiniControlCluster*>(member.get())) {
            if (RVMiniControl* control = inner->controlForKey(key))
                return control;
        }
    }
    return nullptr;
}

void RVMiniControlCluster::setControl(RVMiniControl* control, const QString& key)
{
    if (control)
        m_controlNames.insert(key, control);
    else
        m_controlNames.remove(key);
}

void RVMiniControlCluster::stopFade()
{
    if (m_caTimer) {
        m_caTimer->invalidate();
        m_caTimer.reset();
    }
}

bool RVMiniControlCluster::isFading() const
{
    return m_caTimer != nullptr;
}

void RVMiniControlCluster::setVisible(bool visible)
{
    if (visible) {
        stopFade();
        setAlpha(1.0);
        m_visible = true;
    } else if (m_visible) {
        fadeControlAlphaWithTimeInterval(kFadeDuration);
    }
}

void RVMiniControlCluster::forceVisible(bool visible)
{
    m_visible = visible;
    if (visible) {
        // A fade still running would hide the cluster again a moment later.
        stopFade();
        setAlpha(1.0);
    }
}

bool RVMiniControlCluster::visible() const
{
    if (RVMiniControlCluster* outer = cluster())
        return outer->visible();
    return m_visible;
}

double RVMiniControlCluster::alpha() const
{
    if (RVMiniControlCluster* outer = cluster())
        return outer->alpha();
    return m_controlAlpha;
}

void RVMiniControlCluster::setAlpha(double alpha)
{
    m_controlAlpha = alpha;
    setNeedsDisplay();
}

pf::View* RVMiniControlCluster::view() const
{
    if (m_view)
        return m_view;
    return RVMiniControl::view();
}

QRectF RVMiniControlCluster::bounds() const
{
    QRectF united;
    for (const pf::Ref<RVMiniControl>& member : m_controls)
        united = united.united(member->bounds());
    return united;
}

void RVMiniControlCluster::draw()
{
    if (!visible())
        return;
    // A copy: a member's drawing may not change the list, but a delegate it calls might.
    const QList<pf::Ref<RVMiniControl>> members = m_controls;
    for (const pf::Ref<RVMiniControl>& member : members)
        member->draw();
}

qint64 RVMiniControlCluster::hitTestPoint(QPointF point)
{
    for (qsizetype i = m_controls.size() - 1; i >= 0; --i) {
        const pf::Ref<RVMiniControl>& member = m_controls.at(i);
        if (const qint64 part = member->hitTestPoint(point); part != kPartNone) {
            m_hitTarget = member.get();
            return part;
        }
    }
    return kPartNone;
}

bool RVMiniControlCluster::mouseDownAt(QPointF point, qint64 part, unsigned modifierFlags)
{
    Q_UNUSED(part)
    if (!visible())
        return false;
    m_hitTarget = nullptr;
    m_hitPart = hitTestPoint(point);
    if (m_hitPart == kPartNone)
        return false;
    if (m_hitPart == m_linkPart) {
        const QList<pf::Ref<RVMiniControl>> members = m_controls;
        for (const pf::Ref<RVMiniControl>& member : members)
            member->mouseDownAt(point, m_hitPart, modifierFlags);
        return true;
    }
    return m_hitTarget && m_hitTarget->mouseDownAt(point, m_hitPart, modifierFlags);
}

bool RVMiniControlCluster::mouseDraggedAt(QPointF point, qint64 part, unsigned modifierFlags)
{
    Q_UNUSED(part)
    if (!visible() || !m_hitTarget)
        return false;
    if (m_hitPart == m_linkPart && (qint64(modifierFlags) & m_linkModFlagsMask) != 0) {
        const QList<pf::Ref<RVMiniControl>> members = m_controls;
        for (const pf::Ref<RVMiniControl>& member : members)
            member->mouseDraggedAt(point, m_hitPart, modifierFlags);
        return true;
    }
    return m_hitTarget->mouseDraggedAt(point, m_hitPart, modifierFlags);
}

void RVMiniControlCluster::mouseUpAt(QPointF point, qint64 part, unsigned modifierFlags)
{
    Q_UNUSED(part)
    // A press ends even when the cluster faded out meanwhile, so its read-out is hidden.
    if (m_hitTarget) {
        if (m_hitPart == m_linkPart) {
            const QList<pf::Ref<RVMiniControl>> members = m_controls;
            for (const pf::Ref<RVMiniControl>& member : members)
                member->mouseUpAt(point, m_hitPart, modifierFlags);
        } else {
            m_hitTarget->mouseUpAt(point, m_hitPart, modifierFlags);
        }
    }
    m_hitTarget = nullptr;
}

void RVMiniControlCluster::flagsChanged(unsigned modifierFlags)
{
    const QList<pf::Ref<RVMiniControl>> members = m_controls;
    for (const pf::Ref<RVMiniControl>& member : members)
        member->flagsChanged(modifierFlags);
}

void RVMiniControlCluster::setLinkControlPart(qint64 part, qint64 modifierKeyMask)
{
    m_linkPart = part;
    m_linkModFlagsMask = modifierKeyMask;
}

double RVMiniControlCluster::currentTime()
{
    return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

void RVMiniControlCluster::fadeControlAlphaWithTimeInterval(double duration)
{
    if (m_caTimer)
        return;
    m_fadeStartTime = currentTime();
    m_fadeDuration = duration;
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    m_caTimer = pf::Timer::scheduledTimer(kFadeTickInterval, true, [weakSelf](pf::Timer& timer) {
        auto self = std::static_pointer_cast<RVMiniControlCluster>(weakSelf.lock());
        if (!self) {
            timer.invalidate();
            return;
        }
        self->fadeTick(currentTime());
    });
}

void RVMiniControlCluster::fadeTick(double now)
{
    const double elapsed = now - m_fadeStartTime;
    // A fade of no duration ends at once rather than dividing by zero.
    const bool finished = m_fadeDuration <= 0 || elapsed >= m_fadeDuration;
    setAlpha(finished && m_fadeDuration <= 0 ? 0.0 : 1.0 - elapsed / m_fadeDuration);
    if (finished) {
        stopFade();
        m_visible = false;
        setNeedsDisplay();
    }
}
