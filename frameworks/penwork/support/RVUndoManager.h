#pragma once

#include "platform/foundation/UndoManager.h"

// The undo manager of a drawing: documents, drawings, layers, objects and styles record their
// undo with it. It adds the drawing's diagnostics to the platform undo manager.
class RVUndoManager : public pf::UndoManager {
    PF_CLASS(RVUndoManager)
public:
    RVUndoManager() = default;

    // The state of both stacks and the open groups as readable text; the document keeps it as
    // an audit string.
    QString dumpOfUndoManagerState() const;
    // A debugging command: the top step becomes one step per action.
    bool explodeTopUndoAction() { return explodeTopUndoStep(); }
};
