#pragma once

#include "widgets/RVMiniControl.h"

#include <QHash>
#include <QList>
#include <QPointer>

namespace pf {
class Timer;
}

// A group of mini controls sharing a host view, a delegate, visibility with a fade-out and
// mouse dispatch. A cluster is itself a mini control, so clusters nest; an inner cluster
// shows the outer cluster's visibility and alpha. The host view sends the outermost cluster
// the mouse-down (part -1), the drags and the mouse-up, in view coordinates.
//
// A linked part: a press on that part goes to every member, and so do the drags while a
// modifier of the link mask is held.
class RVMiniControlCluster : public RVMiniControl {
    PF_CLASS(RVMiniControlCluster)
public:
    static constexpr double kFadeDuration = 0.15;
    static constexpr double kFadeTickInterval = 1.0 / 30.0;

    explicit RVMiniControlCluster(const QRectF& bounds = {});
    ~RVMiniControlCluster() override;

    // Adds the control (taking it from any cluster it was in). A cluster is never added to
    // itself or to a cluster inside it.
    void addMiniControl(const pf::Ref<RVMiniControl>& control);
    // Forgets the control, its names and any press on it.
    void removeMiniControl(RVMiniControl* control);
    const QList<pf::Ref<RVMiniControl>>& controls() const { return m_controls; }
    RVMiniControl* controlAtIndex(int index) const;
    // The control registered under `key` here, else the first found in the member clusters
    // (depth first, in member order).
    RVMiniControl* controlForKey(const QString& key) const;
    void setControl(RVMiniControl* control, const QString& key);

    // YES shows at once (stopping any fade); NO fades out.
    void setVisible(bool visible);
    // Sets the flag without a fade; YES also stops a fade and shows at full alpha.
    void forceVisible(bool visible);
    bool visible() const;
    double alpha() const;
    void setAlpha(double alpha);
    bool isFading() const;

    pf::View* view() const override;
    void setView(pf::View* view) { m_view = view; }

    // The union of the members' bounds.
    QRectF bounds() const override;
    void draw() override;
    qint64 hitTestPoint(QPointF point) override;
    bool mouseDownAt(QPointF point, qint64 part, unsigned modifierFlags) override;
    bool mouseDraggedAt(QPointF point, qint64 part, unsigned modifierFlags) override;
    void mouseUpAt(QPointF point, qint64 part, unsigned modifierFlags) override;
    void flagsChanged(unsigned modifierFlags) override;

    void setLinkControlPart(qint64 part, qint64 modifierKeyMask);
    qint64 linkPart() const { return m_linkPart; }
    RVMiniControl* hitTarget() const { return m_hitTarget; }
    qint64 hitPart() const { return m_hitPart; }

    // Starts a fade to invisible over `duration` seconds unless one is running.
    void fadeControlAlphaWithTimeInterval(double duration);
    // One step of the fade at `now` (seconds, the clock of currentTime); the fade timer calls
    // it.
    void fadeTick(double now);
    static double currentTime();

private:
    void stopFade();
    bool containsCluster(const RVMiniControlCluster* cluster) const;

    QList<pf::Ref<RVMiniControl>> m_controls;
    QHash<QString, RVMiniControl*> m_controlNames;
    pf::Ref<pf::Timer> m_caTimer;
    QPointer<pf::View> m_view;
    RVMiniControl* m_hitTarget = nullptr;
    double m_fadeStartTime = 0;
    double m_fadeDuration = 0;
    double m_controlAlpha = 1.0;
    qint64 m_hitPart = 0;
    qint64 m_linkPart = 0;
    qint64 m_linkModFlagsMask = 0;
    bool m_visible = true;
};

template <class T, class... Args>
pf::Ref<T> RVMiniControl::create(const QRectF& bounds, RVMiniControlCluster* cluster, Args&&... args)
{
    auto control = std::make_shared<T>(bounds, std::forward<Args>(args)...);
    if (cluster)
        cluster->addMiniControl(control);
    return control;
}
