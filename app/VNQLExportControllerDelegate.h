#pragma once

#include "platform/foundation/Object.h"

class VNQLExportController;
class VNQLExportOperation;

// What the export sheet asks of its owner (the document). Both are optional: by default the
// export goes ahead and nothing is told afterwards.
class VNQLExportControllerDelegate {
public:
    virtual ~VNQLExportControllerDelegate() = default;

    // False cancels the export, silently.
    virtual bool exportControllerWillExportWithOperation(VNQLExportController&, const pf::Ref<VNQLExportOperation>&)
    {
        return true;
    }
    virtual void exportControllerDidExportWithOperation(VNQLExportController&, const pf::Ref<VNQLExportOperation>&) {}
};
