#include "platform/ui/Sheet.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/Reflective.h"
#include "platform/ui/PresentationHook.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <deque>
#include <map>
#include <memory>

namespace pf {

namespace {

struct SheetRecord {
    QPointer<QWidget> sheet;
    QWidget* sheetAddress = nullptr; // the key while the widget may already be gone
    QPointer<QWidget> window;
    Sheet::Completion completion;
    QPointer<QWidget> oldParent;
    Qt::WindowFlags oldFlags;
    Qt::WindowModality oldModality = Qt::NonModal;
    bool shown = false;
    QMetaObject::Connection finished;
    QMetaObject::Connection sheetDestroyed;
};
using RecordRef = std::shared_ptr<SheetRecord>;

// Keeps the sheets of every window in order (the front one is shown) and follows the windows
// and sheets it knows to keep sheets in place and to end them when either goes away.
class SheetTracker : public QObject {
public:
    static SheetTracker& shared()
    {
        static auto* tracker = new SheetTracker; // lives as long as the process
        return *tracker;
    }

    std::map<const QWidget*, std::deque<RecordRef>> queues;
    std::map<const QWidget*, QMetaObject::Connection> windowConnections;

    RecordRef find(const QWidget* sheet) const
    {
        for (const auto& [window, queue] : queues)
            for (const auto& record : queue)
                if (record->sheetAddress == sheet)
                    return record;
        return nullptr;
    }

    RecordRef attached(const QWidget* window) const
    {
        auto it = queues.find(window);
        if (it == queues.end() || it->second.empty() || !it->second.front()->shown)
            return nullptr;
        return it->second.front();
    }

    void remove(const RecordRef& record, const QWidget* window)
    {
        auto it = queues.find(window);
        if (it == queues.end())
            return;
        auto& queue = it->second;
        for (auto r = queue.begin(); r != queue.end(); ++r) {
            if (*r == record) {
                queue.erase(r);
                break;
            }
        }
    }

    void forgetWindowIfIdle(const QWidget* window)
    {
        auto it = queues.find(window);
        if (it != queues.end() && it->second.empty()) {
            queues.erase(it);
            auto c = windowConnections.find(window);
            if (c != windowConnections.end()) {
                QObject::disconnect(c->second);
                windowConnections.erase(c);
            }
            if (auto* w = const_cast<QWidget*>(window))
                w->removeEventFilter(this);
        }
    }

    void place(const RecordRef& record)
    {
        if (record->sheet && record->window && record->shown)
            record->sheet->move(Sheet::placement(record->window, record->sheet->size()));
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show: {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (auto record = attached(widget))
                place(record); // the window moved
            else if (auto own = find(widget); own && own->shown && event->type() == QEvent::Resize)
                place(own); // the sheet changed size
            break;
        }
        default:
            break;
        }
        return false;
    }
};

void restore(SheetRecord& record)
{
    QObject::disconnect(record.finished);
    QObject::disconnect(record.sheetDestroyed);
    QWidget* sheet = record.sheet;
    if (!sheet)
        return;
    sheet->removeEventFilter(&SheetTracker::shared());
    if (!record.shown)
        return;
    sheet->hide();
    sheet->setWindowModality(record.oldModality);
    sheet->setParent(record.oldParent, record.oldFlags);
}

void showNext(QWidget* window);

void finish(const RecordRef& record, int returnCode)
{
    SheetTracker& tracker = SheetTracker::shared();
    QWidget* window = record->window;
    const QWidget* windowKey = window;
    tracker.remove(record, windowKey);
    QWidget* sheet = record->sheet;
    const bool sheetWasKey = sheet && (QApplication::activeWindow() == sheet || !QApplication::activeWindow());
    restore(*record);
    // The window the sheet was on is the key window again, so that its commands (Close among
    // them) apply to it at once; without a window manager nothing else gives it the focus back.
    if (window && sheetWasKey && window->isVisible())
        window->activateWindow();
    Sheet::Completion completion = std::move(record->completion);
    record->completion = nullptr;
    auto next = [&] {
        if (window) {
            showNext(window);
            tracker.forgetWindowIfIdle(windowKey);
        }
    };
    try {
        if (completion)
            completion(returnCode);
    } catch (...) {
        next();
        throw;
    }
    next();
}

void show(const RecordRef& record)
{
    QWidget* sheet = record->sheet;
    QWidget* window = record->window;
    record->oldParent = sheet->parentWidget();
    record->oldFlags = sheet->windowFlags();
    record->oldModality = sheet->windowModality();
    record->shown = true;

    sheet->hide();
    sheet->setParent(window, Qt::Dialog | Qt::FramelessWindowHint);
    sheet->setWindowModality(Qt::WindowModal);
    if (!sheet->testAttribute(Qt::WA_Resized))
        sheet->adjustSize();
    sheet->installEventFilter(&SheetTracker::shared());
    sheet->move(Sheet::placement(window, sheet->size()));

    if (auto* dialog = qobject_cast<QDialog*>(sheet)) {
        std::weak_ptr<SheetRecord> weak = record;
        record->finished = QObject::connect(dialog, &QDialog::finished, &SheetTracker::shared(), [weak](int result) {
            if (auto r = weak.lock(); r && r->shown)
                finish(r, result == QDialog::Accepted ? kModalResponseOK : kModalResponseCancel);
        });
    }
    sheet->show();
    sheet->raise();
    sheet->activateWindow();
    PresentationHook::presented(sheet);
}

void showNext(QWidget* window)
{
    SheetTracker& tracker = SheetTracker::shared();
    auto it = tracker.queues.find(window);
    if (it == tracker.queues.end() || it->second.empty())
        return;
    RecordRef front = it->second.front();
    if (front->shown)
        return;
    if (!front->sheet) {
        // Destroyed while it waited; its destroyed handler completes it.
        return;
    }
    show(front);
}

void windowDestroyed(const QWidget* window)
{
    SheetTracker& tracker = SheetTracker::shared();
    auto it = tracker.queues.find(window);
    if (it == tracker.queues.end())
        return;
    std::deque<RecordRef> records = it->second;
    tracker.queues.erase(it);
    tracker.windowConnections.erase(window);
    for (const auto& record : records) {
        record->window = nullptr;
        QObject::disconnect(record->finished);
        QObject::disconnect(record->sheetDestroyed);
        if (record->sheet) {
            record->sheet->removeEventFilter(&tracker);
            if (record->shown) {
                record->sheet->hide();
                record->sheet->setWindowModality(record->oldModality);
                if (record->oldParent.data() != window)
                    record->sheet->setParent(record->oldParent, record->oldFlags);
            }
        }
        Sheet::Completion completion = std::move(record->completion);
        if (completion)
            completion(kModalResponseAbort);
    }
}

void sheetDestroyed(QWidget* sheet)
{
    SheetTracker& tracker = SheetTracker::shared();
    RecordRef record = tracker.find(sheet);
    if (!record)
        return;
    QWidget* window = record->window;
    tracker.remove(record, window);
    QObject::disconnect(record->finished);
    QObject::disconnect(record->sheetDestroyed);
    Sheet::Completion completion = std::move(record->completion);
    if (completion)
        completion(kModalResponseAbort);
    if (window) {
        showNext(window);
        tracker.forgetWindowIfIdle(window);
    }
}

} // namespace

void Sheet::beginSheet(QWidget* sheet, QWidget* window, Completion completion)
{
    if (!sheet || !window)
        raise(NSInvalidArgumentException, QStringLiteral("beginSheet needs a sheet and a window"));
    window = window->window();
    if (sheet == window)
        raise(NSInvalidArgumentException, QStringLiteral("A window cannot be its own sheet"));
    SheetTracker& tracker = SheetTracker::shared();
    if (tracker.find(sheet))
        raise(NSInvalidArgumentException, QStringLiteral("The sheet is already attached to a window"));

    auto record = std::make_shared<SheetRecord>();
    record->sheet = sheet;
    record->sheetAddress = sheet;
    record->window = window;
    record->completion = std::move(completion);
    record->sheetDestroyed = QObject::connect(sheet, &QObject::destroyed, &tracker,
                                              [sheet] { sheetDestroyed(sheet); });

    auto& queue = tracker.queues[window];
    if (!tracker.windowConnections.count(window)) {
        const QWidget* key = window;
        tracker.windowConnections[window] =
            QObject::connect(window, &QObject::destroyed, &tracker, [key] { windowDestroyed(key); });
        window->installEventFilter(&tracker);
    }
    queue.push_back(record);
    showNext(window);
}

void Sheet::beginSheet(QWidget* sheet, QWidget* window, Reflective* delegate,
                       const QString& didEndSelector, const QVariant& contextInfo)
{
    Completion completion;
    if (delegate && !didEndSelector.isEmpty()) {
        std::weak_ptr<void> alive = delegate->livenessToken();
        QPointer<QWidget> guarded(sheet);
        completion = [alive, delegate, didEndSelector, contextInfo, guarded](int returnCode) {
            if (alive.expired())
                return;
            delegate->perform(didEndSelector,
                              {QVariant::fromValue<QWidget*>(guarded.data()), returnCode, contextInfo});
        };
    }
    beginSheet(sheet, window, std::move(completion));
}

void Sheet::endSheet(QWidget* sheet, int returnCode)
{
    if (!sheet)
        return;
    if (RecordRef record = SheetTracker::shared().find(sheet))
        finish(record, returnCode);
}

QWidget* Sheet::attachedSheet(const QWidget* window)
{
    if (!window)
        return nullptr;
    auto record = SheetTracker::shared().attached(window->window());
    return record ? record->sheet.data() : nullptr;
}

QWidget* Sheet::sheetParent(const QWidget* sheet)
{
    auto record = sheet ? SheetTracker::shared().find(sheet) : nullptr;
    return record ? record->window.data() : nullptr;
}

QPoint Sheet::placement(const QWidget* window, const QSize& sheetSize)
{
    const QWidget* top = window->window();
    const QPoint origin = top->mapToGlobal(QPoint(0, 0));
    return QPoint(origin.x() + (top->width() - sheetSize.width()) / 2, origin.y());
}

} // namespace pf
