#pragma once

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "tests/support/NotificationRecorder.h"

#include <QCoreApplication>
#include <QStringList>

#include <functional>

namespace layers_test {

inline pf::Ref<PWDrawing> makeDrawing()
{
    return std::make_shared<PWDrawing>();
}

// Runs `edit` as one undo step of the drawing. What was registered before it (set-up edits,
// grouped by the event loop) is closed as a step of its own first.
inline void step(PWDrawing& drawing, const std::function<void()>& edit)
{
    QCoreApplication::processEvents();
    drawing.undoManager()->beginUndoGrouping();
    edit();
    drawing.undoManager()->endUndoGrouping();
}

} // namespace layers_test
