#pragma once

#include "platform/ui/Pasteboard.h"

#include <QPointF>
#include <QPointer>

class QWidget;

namespace pf {

class DraggingSource;

// Drag operations with the platform's bit values.
enum DragOperation : unsigned {
    DragOperationNone = 0,
    DragOperationCopy = 1,
    DragOperationLink = 2,
    DragOperationGeneric = 4,
    DragOperationPrivate = 8,
    DragOperationMove = 16,
    DragOperationDelete = 32,
    DragOperationEvery = 0xFFFFFFFFu,
};

// Where a drag's destination is, as the source is asked for its operations.
enum class DraggingContext { OutsideApplication = 0, WithinApplication = 1 };

// What a destination learns about a drag passing over it.
class DraggingInfo {
public:
    DraggingInfo(Ref<Pasteboard> pasteboard, DraggingSource* source, unsigned sourceOperationMask,
                 QPointF locationInWindow, QWidget* destinationWindow, int sequenceNumber);

    // The drag's pasteboard; for drags from other programs, one read from their data.
    Ref<Pasteboard> draggingPasteboard() const { return m_pasteboard; }
    // The source when the drag started in this process, else null.
    DraggingSource* draggingSource() const { return m_source; }
    // Outside the process: the operations the other program offers.
    unsigned draggingSourceOperationMask() const { return m_mask; }
    QPointF draggingLocation() const { return m_location; } // window coordinates
    QWidget* draggingDestinationWindow() const { return m_window; }
    int draggingSequenceNumber() const { return m_sequence; }

private:
    Ref<Pasteboard> m_pasteboard;
    DraggingSource* m_source;
    unsigned m_mask;
    QPointF m_location;
    QPointer<QWidget> m_window;
    int m_sequence;
};

// A view that takes drops answers these. The operation answered by entered and updated is
// shown to the user; DragOperationNone refuses the drop there.
class DraggingDestination {
public:
    virtual ~DraggingDestination() = default;
    virtual unsigned draggingEntered(const DraggingInfo&) { return DragOperationNone; }
    // By default: what draggingEntered answered.
    virtual unsigned draggingUpdated(const DraggingInfo&);
    virtual void draggingExited(const DraggingInfo*) {}
    virtual bool prepareForDragOperation(const DraggingInfo&) { return true; }
    virtual bool performDragOperation(const DraggingInfo&) { return false; }
    virtual void concludeDragOperation(const DraggingInfo&) {}
    virtual void draggingEnded(const DraggingInfo&) {}
    // Whether draggingUpdated is sent again while the pointer rests.
    virtual bool wantsPeriodicDraggingUpdates() const { return true; }

protected:
    unsigned m_lastEnteredOperation = DragOperationNone;
    friend class View;
};

} // namespace pf
