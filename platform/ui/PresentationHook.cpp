#include "platform/ui/PresentationHook.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace pf {

namespace {
PresentationHook::Hook& currentHook()
{
    static PresentationHook::Hook hook;
    return hook;
}
} // namespace

void PresentationHook::set(Hook hook)
{
    currentHook() = std::move(hook);
}

bool PresentationHook::isSet()
{
    return bool(currentHook());
}

void PresentationHook::presented(QWidget* dialog)
{
    if (!currentHook() || !dialog)
        return;
    QPointer<QWidget> guarded(dialog);
    // Queued so that a modal run is already waiting in its loop when the hook answers.
    QTimer::singleShot(0, dialog, [guarded] {
        if (guarded && currentHook()) {
            Hook hook = currentHook(); // the hook may replace itself
            hook(guarded.data());
        }
    });
}

} // namespace pf
