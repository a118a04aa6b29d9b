#pragma once

#include "platform/ui/DraggingInfo.h"
#include "platform/ui/Event.h"

#include <QPixmap>
#include <QPoint>
#include <QPointer>

#include <functional>

class QDrag;
class QTimer;
class QWidget;

namespace pf {

class DraggingSession;

// The object a drag starts from.
class DraggingSource {
public:
    virtual ~DraggingSource() = default;
    // The operations offered to destinations in this process and to other programs.
    virtual unsigned draggingSourceOperationMask(DraggingContext context) = 0;
    // Screen coordinates (origin bottom-left of the main screen, y up).
    virtual void draggingSessionWillBegin(DraggingSession&, QPointF) {}
    virtual void draggingSessionMovedTo(DraggingSession&, QPointF) {}
    virtual void draggingSessionEnded(DraggingSession&, QPointF, unsigned) {}
};

// One drag from a source in this process, run over QDrag::exec (a nested event loop).
// Destinations in the process see the source and the source's in-process operations; other
// programs see Qt actions made from the source's outside operations (private and generic
// become move). While the drag runs, a 50 ms timer reports the pointer to the source and
// tells whether it is over one of the application's windows. A drop outside those windows
// that nobody takes ends with delete when the source allowed delete outside.
class DraggingSession {
public:
    // Starts a drag of `pasteboard`'s contents from `sourceWidget` and returns when it ends,
    // answering the operation it ended with. `image` follows the pointer with its top-left
    // corner at `imageOffset` from the pointer (Qt pixels, y down).
    static unsigned begin(QWidget* sourceWidget, const Ref<Pasteboard>& pasteboard, DraggingSource* source,
                          const QPixmap& image, QPoint imageOffset, const Event& event);

    // The session under way, or null.
    static DraggingSession* current();

    // A picture of `widget` (or of its `rect`) to drag.
    static QPixmap dragImageFromWidget(QWidget* widget, const QRect& rect = {});

    DraggingSource* source() const { return m_source; }
    Ref<Pasteboard> pasteboard() const { return m_pasteboard; }
    unsigned operationMask(DraggingContext context) const;
    int sequenceNumber() const { return m_sequence; }
    QWidget* sourceWidget() const { return m_sourceWidget; }

    // Called by a destination in the process when it performs a drop.
    void recordDrop(unsigned operation);

    // Qt's action for a platform operation offered or chosen, and back.
    static Qt::DropActions qtActionsForMask(unsigned mask);
    static Qt::DropAction qtActionForOperation(unsigned operation);
    static unsigned maskForQtActions(Qt::DropActions actions);

    // Tests replace QDrag::exec, which waits for a real pointer, by a function that plays
    // the drop (for instance by sending drag events to a view) and answers Qt's result.
    using ExecHook = std::function<Qt::DropAction(QDrag& drag, Qt::DropActions supported)>;
    static void setExecHookForTesting(ExecHook hook);

    DraggingSession(const DraggingSession&) = delete;
    DraggingSession& operator=(const DraggingSession&) = delete;

private:
    DraggingSession(QWidget* sourceWidget, Ref<Pasteboard> pasteboard, DraggingSource* source);
    ~DraggingSession();
    unsigned run(const QPixmap& image, QPoint imageOffset);
    void tick();
    static bool pointerOverApplicationWindow(QPoint global);

    QPointer<QWidget> m_sourceWidget;
    Ref<Pasteboard> m_pasteboard;
    DraggingSource* m_source;
    unsigned m_localMask = 0;
    unsigned m_outsideMask = 0;
    int m_sequence = 0;
    bool m_dropRecorded = false;
    unsigned m_droppedOperation = DragOperationNone;
    QPoint m_lastGlobal;
};

} // namespace pf
