#pragma once

#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/View.h"

#include <QApplication>
#include <QMouseEvent>
#include <QVariant>
#include <QWidget>

#include <memory>

namespace quillory::test {

// A focusable view that records the actions it takes and their senders.
class ActionRecorderView : public pf::View {
    PF_CLASS(ActionRecorderView)
public:
    using pf::View::View;
    bool acceptsFirstResponder() const override { return true; }
    QStringList actions;
    QList<QVariant> senders;
};

// A shown, active window holding `recorder` as its first responder.
struct ActiveWindow {
    ActiveWindow();
    ~ActiveWindow();
    std::unique_ptr<QWidget> window;
    ActionRecorderView* recorder = nullptr;
};

// Presses the left button at `local` (Qt coordinates of `widget`), drags to `release` and lets go.
void click(QWidget* widget, QPointF local);
void pressDragRelease(QWidget* widget, QPointF press, QPointF release);

} // namespace quillory::test
