#pragma once

#include "platform/ui/ActionTarget.h"
#include "platform/ui/Cell.h"

namespace pf {

// A cell that carries a target, an action and a tag: the cells of buttons, sliders, text
// fields and matrices. Its control sends the action.
class ActionCell : public Cell {
    PF_CLASS(ActionCell)
public:
    ActionCell() = default;
    explicit ActionCell(const QString& text) : Cell(text) {}

    Ref<Cell> copyCell() const override;

    QString action() const { return m_action; }
    void setAction(const QString& selector) { m_action = selector; }
    // Kept weakly: a target that is gone reads as null, and the action travels the chain.
    Reflective* target() const { return m_target.get(); }
    void setTarget(Reflective* target) { m_target = ActionTarget(target); }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

private:
    QString m_action;
    ActionTarget m_target;
    int m_tag = 0;
};

} // namespace pf
