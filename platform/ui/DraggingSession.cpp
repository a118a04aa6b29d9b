#include "platform/ui/DraggingSession.h"

#include "platform/foundation/Log.h"

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

namespace pf {

namespace {
DraggingSession* g_current = nullptr;
int g_nextSequence = 0;

DraggingSession::ExecHook& execHook()
{
    static DraggingSession::ExecHook hook;
    return hook;
}
} // namespace

DraggingInfo::DraggingInfo(Ref<Pasteboard> pasteboard, DraggingSource* source, unsigned sourceOperationMask,
                           QPointF locationInWindow, QWidget* destinationWindow, int sequenceNumber)
    : m_pasteboard(std::move(pasteboard)),
      m_source(source),
      m_mask(sourceOperationMask),
      m_location(locationInWindow),
      m_window(destinationWindow),
      m_sequence(sequenceNumber)
{
}

DraggingSession::DraggingSession(QWidget* sourceWidget, Ref<Pasteboard> pasteboard, DraggingSource* source)
    : m_sourceWidget(sourceWidget), m_pasteboard(std::move(pasteboard)), m_source(source)
{
}

DraggingSession::~DraggingSession() = default;

DraggingSession* DraggingSession::current()
{
    return g_current;
}

unsigned DraggingSession::operationMask(DraggingContext context) const
{
    return context == DraggingContext::WithinApplication ? m_localMask : m_outsideMask;
}

void DraggingSession::recordDrop(unsigned operation)
{
    m_dropRecorded = true;
    m_droppedOperation = operation;
}

Qt::DropActions DraggingSession::qtActionsForMask(unsigned mask)
{
    Qt::DropActions actions;
    if (mask & DragOperationCopy)
        actions |= Qt::CopyAction;
    if (mask & DragOperationLink)
        actions |= Qt::LinkAction;
    if (mask & (DragOperationMove | DragOperationGeneric | DragOperationPrivate))
        actions |= Qt::MoveAction;
    return actions;
}

Qt::DropAction DraggingSession::qtActionForOperation(unsigned operation)
{
    // The destination's answer may name several operations; the platform's preference order.
    if (operation & (DragOperationMove | DragOperationGeneric | DragOperationPrivate))
        return Qt::MoveAction;
    if (operation & DragOperationCopy)
        return Qt::CopyAction;
    if (operation & DragOperationLink)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

unsigned DraggingSession::maskForQtActions(Qt::DropActions actions)
{
    unsigned mask = DragOperationNone;
    if (actions & Qt::CopyAction)
        mask |= DragOperationCopy;
    if (actions & Qt::LinkAction)
        mask |= DragOperationLink;
    if (actions & Qt::MoveAction)
        mask |= DragOperationMove | DragOperationGeneric;
    return mask;
}

void DraggingSession::setExecHookForTesting(ExecHook hook)
{
    execHook() = std::move(hook);
}

QPixmap DraggingSession::dragImageFromWidget(QWidget* widget, const QRect& rect)
{
    if (!widget)
        return {};
    return widget->grab(rect.isNull() ? QRect(QPoint(0, 0), QPoint(-1, -1)) : rect);
}

bool DraggingSession::pointerOverApplicationWindow(QPoint global)
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->frameGeometry().contains(global))
            return true;
    }
    return false;
}

unsigned DraggingSession::begin(QWidget* sourceWidget, const Ref<Pasteboard>& pasteboard, DraggingSource* source,
                                const QPixmap& image, QPoint imageOffset, const Event& event)
{
    (void)event;
    if (!sourceWidget || !pasteboard || !source || g_current)
        return DragOperationNone; // one drag at a time, and only with all its parts
    DraggingSession session(sourceWidget, pasteboard, source);
    session.m_sequence = ++g_nextSequence;
    session.m_localMask = source->draggingSourceOperationMask(DraggingContext::WithinApplication);
    session.m_outsideMask = source->draggingSourceOperationMask(DraggingContext::OutsideApplication);
    if (session.m_localMask == DragOperationNone && session.m_outsideMask == DragOperationNone)
        return DragOperationNone;
    return session.run(image, imageOffset);
}

void DraggingSession::tick()
{
    const QPoint global = QCursor::pos();
    if (global == m_lastGlobal)
        return;
    m_lastGlobal = global;
    if (m_source)
        m_source->draggingSessionMovedTo(*this, Event::screenPointFromGlobal(QPointF(global)));
}

unsigned DraggingSession::run(const QPixmap& image, QPoint imageOffset)
{
    g_current = this;
    struct Reset {
        ~Reset() { g_current = nullptr; }
    } reset;

    m_lastGlobal = QCursor::pos();
    m_source->draggingSessionWillBegin(*this, Event::screenPointFromGlobal(QPointF(m_lastGlobal)));

    auto* drag = new QDrag(m_sourceWidget);
    drag->setMimeData(m_pasteboard->makeMimeData());
    if (!image.isNull()) {
        drag->setPixmap(image);
        drag->setHotSpot(-imageOffset);
    }
    const Qt::DropActions supported = qtActionsForMask(m_localMask | m_outsideMask) | Qt::CopyAction;
    const Qt::DropAction preferred = qtActionForOperation(m_localMask | m_outsideMask);

    QTimer timer;
    timer.setInterval(50);
    QObject::connect(&timer, &QTimer::timeout, [this] { tick(); });
    timer.start();
    Qt::DropAction result;
    if (execHook())
        result = execHook()(*drag, supported);
    else
        result = drag->exec(supported, preferred == Qt::IgnoreAction ? Qt::CopyAction : preferred);
    timer.stop();
    drag->deleteLater();

    const QPoint endGlobal = QCursor::pos();
    unsigned operation = DragOperationNone;
    if (m_dropRecorded) {
        operation = m_droppedOperation & (m_localMask ? m_localMask : DragOperationEvery);
        if (operation == DragOperationNone)
            operation = m_droppedOperation;
    } else if (result != Qt::IgnoreAction) {
        // Another program took it: report what it chose, within what was offered outside.
        operation = maskForQtActions(result) & m_outsideMask;
        if (operation & DragOperationMove)
            operation = DragOperationMove;
        else if (operation & DragOperationCopy)
            operation = DragOperationCopy;
        else if (operation & DragOperationLink)
            operation = DragOperationLink;
    } else if ((m_outsideMask & DragOperationDelete) && !pointerOverApplicationWindow(endGlobal)) {
        operation = DragOperationDelete;
    }
    if (m_source)
        m_source->draggingSessionEnded(*this, Event::screenPointFromGlobal(QPointF(endGlobal)), operation);
    return operation;
}

} // namespace pf
