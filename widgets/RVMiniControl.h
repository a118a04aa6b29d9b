#pragma once

#include "platform/foundation/Object.h"
#include "frameworks/penwork/support/RVInfoFloater.h"
#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QString>

class RVMiniControlCluster;
class RVMiniControlDelegate;

// A lightweight control that is not a view: a rectangle in its host view's coordinates,
// drawn by the host view's drawing code and fed the host view's mouse events (usually through
// the cluster that holds it). It carries a value between a minimum and a maximum, a floating
// read-out of that value while it is dragged, and an optional delegate.
//
// Part codes answer hitTestPoint and come back in the mouse messages: 0 is nothing, -1 the
// control as a whole; the concrete controls define their own.
class RVMiniControl : public pf::Object {
    PF_CLASS(RVMiniControl)
public:
    static constexpr qint64 kPartNone = 0;
    static constexpr qint64 kPartWhole = -1;

    // Where the read-out goes.
    enum InfoWindowMode : qint64 {
        kInfoWindowNone = 0,
        kInfoWindowNearPoint = 1,
        kInfoWindowBelowControl = 2, // centred on the control, just beyond its minimum-y edge
    };

    explicit RVMiniControl(const QRectF& bounds);
    ~RVMiniControl() override;

    // A new control of type T (made from `bounds` and `args`) added to `cluster` when one is
    // given. Defined in RVMiniControlCluster.h.
    template <class T, class... Args>
    static pf::Ref<T> create(const QRectF& bounds, RVMiniControlCluster* cluster, Args&&... args);

    // The theme colours the controls draw with; an unknown index answers no colour.
    static pf::Color miniControlThemeColor(int index, double alpha);
    // The theme colour at the alpha of the control's cluster, so the control fades with it.
    pf::Color themeColour(int index) const;

    RVMiniControlCluster* cluster() const { return m_cluster; }
    // Only the cluster's addMiniControl and removeMiniControl should call this.
    void setCluster(RVMiniControlCluster* cluster) { m_cluster = cluster; }
    // The host view: the cluster's.
    virtual pf::View* view() const;

    virtual QRectF bounds() const { return m_bounds; }
    virtual void setBounds(const QRectF& bounds) { m_bounds = bounds; }

    virtual void draw() {}
    bool appliesShadow() const { return m_applyShadow; }
    void setAppliesShadow(bool applies) { m_applyShadow = applies; }
    // Sets the controls' drop shadow in the current graphics state.
    void applyShadow() const;

    void setNeedsDisplay();
    void setNeedsDisplayInRect(const QRectF& rect);

    virtual qint64 hitTestPoint(QPointF point);
    virtual bool mouseDownAt(QPointF point, qint64 part, unsigned modifierFlags);
    virtual bool mouseDraggedAt(QPointF point, qint64 part, unsigned modifierFlags);
    virtual void mouseUpAt(QPointF point, qint64 part, unsigned modifierFlags);
    virtual void flagsChanged(unsigned modifierFlags) { Q_UNUSED(modifierFlags) }

    // --- Read-out
    qint64 infoWindowMode() const { return m_infoWMode; }
    void setInfoWindowMode(qint64 mode) { m_infoWMode = mode; }
    // Shows the read-out (when the mode asks for one) with `format` when one is given.
    void setupInfoWindowAtPoint(QPointF point, double value, const QString& format = {});
    void updateInfoWindowAtPoint(QPointF point, double value);
    void hideInfoWindow();
    void setInfoWindowFormat(const QString& format);
    void setInfoWindowValue(double value);
    RVInfoFloater* infoWindow() const { return m_infoWin; }

    // --- Delegate: the own one, else the cluster's (not retained)
    RVMiniControlDelegate* delegate() const;
    void setDelegate(RVMiniControlDelegate* delegate) { m_delegate = delegate; }
    void notifyDelegateWillChange(const QVariant& value);
    void notifyDelegateDidChange(const QVariant& value);
    // Whether a delegate message is being sent now.
    bool isNotifying() const { return m_isNotifying; }

    // Registers the control under `identifier` in its cluster.
    void setIdentifier(const QString& identifier);
    QString identifier() const { return m_ident; }

    // --- Value, kept within the range; a change tells the delegate
    double value() const { return m_value; }
    virtual void setValue(double value);
    double minValue() const { return m_minValue; }
    void setMinValue(double value);
    double maxValue() const { return m_maxValue; }
    void setMaxValue(double value);

protected:
    // Runs `send` with the notifying flag set.
    template <class F>
    void whileNotifying(F&& send)
    {
        const bool was = m_isNotifying;
        m_isNotifying = true;
        send();
        m_isNotifying = was;
    }
    // The cluster's alpha (1 without a cluster).
    double clusterAlpha() const;

private:
    void positionInfoWindow(QPointF point);

    QRectF m_bounds;
    RVMiniControlCluster* m_cluster = nullptr;
    QString m_ident;
    RVMiniControlDelegate* m_delegate = nullptr;
    QPointer<RVInfoFloater> m_infoWin;
    double m_value = 0;
    double m_minValue = 0;
    double m_maxValue = 1;
    qint64 m_infoWMode = kInfoWindowNone;
    bool m_applyShadow = true;
    bool m_isNotifying = false;
};
