#pragma once

#include "inspectors/VNQLGenericObjectTrampoline.h"

// The object controller of the export sheet: it edits the sheet's export operation and hands
// every observed value to the sheet (its trampoline target) by the key's own setter.
class VNQLExportOperationController : public VNQLGenericObjectTrampoline {
    PF_CLASS(VNQLExportOperationController)
public:
    VNQLExportOperationController() = default;

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override;
    void loadView() override;
};
