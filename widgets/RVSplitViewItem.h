#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"

#include <QPointer>
#include <QRectF>
#include <QVariantMap>

namespace pf {
class View;
}
class RVSplitViewController;

// One pane of a split view managed by RVSplitViewController: the pane and its limits, its
// resize behaviour and whether it may collapse. Lengths run along the split axis.
class RVSplitViewItem : public pf::Object, public pf::Coding {
    PF_CLASS(RVSplitViewItem)
public:
    // The pane keeps its length when the split view resizes.
    static constexpr qint32 kFixedBehaviour = 1;
    // The pane shares the length left over.
    static constexpr qint32 kFlexibleBehaviour = 2;
    static constexpr double kNoLimit = -1.0;

    RVSplitViewItem() = default;

    pf::View* view() const { return m_view; }
    // Records the pane's current collapsed state as the one last reported.
    void setView(pf::View* view);
    RVSplitViewController* controller() const;
    void setController(const pf::Ref<RVSplitViewController>& controller);

    // kNoLimit (any negative length) means none.
    double minSize() const { return m_minSize; }
    void setMinSize(double size) { m_minSize = size; }
    double maxSize() const { return m_maxSize; }
    void setMaxSize(double size) { m_maxSize = size; }
    bool hasMinSize() const { return m_minSize >= 0; }
    bool hasMaxSize() const { return m_maxSize >= 0; }
    // Other values than fixed and flexible leave the pane's frame alone during layout.
    qint32 behaviour() const { return m_behaviour; }
    void setBehaviour(qint32 behaviour) { m_behaviour = behaviour; }
    bool canCollapse() const { return m_canCollapse; }
    void setCanCollapse(bool canCollapse) { m_canCollapse = canCollapse; }
    const QString& identifier() const { return m_identifier; }
    void setIdentifier(const QString& identifier) { m_identifier = identifier; }
    double restoredSize() const { return m_restoredSize; }
    void setRestoredSize(double size) { m_restoredSize = size; }
    double proposedSize() const { return m_proposedSize; }
    void setProposedSize(double size) { m_proposedSize = size; }
    bool wasPreviouslyCollapsed() const { return m_wasPreviouslyCollapsed; }
    void setWasPreviouslyCollapsed(bool collapsed) { m_wasPreviouslyCollapsed = collapsed; }
    bool savedCollapsed() const { return m_savedCollapsed; }
    void setSavedCollapsed(bool collapsed) { m_savedCollapsed = collapsed; }
    QRectF savedViewFrame() const { return m_savedViewFrame; }
    void setSavedViewFrame(const QRectF& frame) { m_savedViewFrame = frame; }

    // Whether the controller's split view shows the pane as collapsed (hidden).
    bool isCollapsed() const;
    // Hides or shows the pane and lays the split view out again; nothing when the pane may not
    // collapse or already is as asked.
    void collapseView(bool collapsed);
    // Raises `length` to the minimum, then lowers it to the maximum (so a maximum below the
    // minimum wins). True when it changed; false for a null pointer.
    bool constrainLength(double* length) const;

    // Hooks for subclasses, told when the pane collapsed or came back.
    virtual void viewDidCollapse() {}
    virtual void viewDidUncollapse() {}

    // The pane's state: "min_size", "max_size", "behaviour", "collapsed", "can_collapse",
    // "identifier" (when there is one) and "frame".
    QVariantMap restorableStateInfo() const;
    // Takes the limits, behaviour, length and collapsing from a state dictionary; values that
    // are missing or damaged fall back to the item's defaults. The identifier stays. Raises
    // "no data to restore split item" when `info` is not a dictionary.
    void restoreWithStateInfo(const QVariant& info);

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;
    QString description() const override;

private:
    bool isVertical() const;

    QPointer<pf::View> m_view;
    pf::Weak<RVSplitViewController> m_controller;
    double m_minSize = kNoLimit;
    double m_maxSize = kNoLimit;
    qint32 m_behaviour = kFlexibleBehaviour;
    bool m_canCollapse = true;
    QString m_identifier;
    double m_restoredSize = 0.0;
    double m_proposedSize = 0.0;
    bool m_wasPreviouslyCollapsed = false;
    bool m_savedCollapsed = false;
    QRectF m_savedViewFrame;
};
