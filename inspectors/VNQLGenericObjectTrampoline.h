#pragma once

#include "inspectors/VNQLGenericObjectController.h"

// A generic object controller that hands the common values to the properties of another
// object, the target, instead of to its own setters.
class VNQLGenericObjectTrampoline : public VNQLGenericObjectController {
    PF_CLASS(VNQLGenericObjectTrampoline)
public:
    explicit VNQLGenericObjectTrampoline(const QString& nibName = {}) : VNQLGenericObjectController(nibName) {}

    // Not retained; dropped when it goes.
    pf::Reflective* trampolineTarget() const;
    void setTrampolineTarget(pf::Reflective* target);

    void setValueForKeyPathInPane(const QVariant& value, const QString& keyPath) override;
    void setMixedValueForKeyPath(const QString& keyPath) override;

private:
    pf::Reflective* m_target = nullptr;
    std::weak_ptr<void> m_targetToken;
};
