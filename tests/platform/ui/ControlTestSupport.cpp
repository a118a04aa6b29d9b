#include "tests/platform/ui/ControlTestSupport.h"

#include "platform/ui/Responder.h"
#include "tests/support/TestSupport.h"

PF_DEFINE_CLASS(quillory::test::ActionRecorderView, pf::View)
{
    using Recorder = quillory::test::ActionRecorderView;
    for (const char* selector : {"takeValue:", "otherAction:"}) {
        const QString sel = QString::fromLatin1(selector);
        b.method(sel, std::function<QVariant(Recorder&, const QVariantList&)>([sel](Recorder& self, const QVariantList& args) {
            self.actions.append(sel);
            self.senders.append(args.value(0));
            return QVariant();
        }));
    }
}

namespace quillory::test {

ActiveWindow::ActiveWindow()
    : window(std::make_unique<QWidget>())
{
    window->resize(300, 200);
    recorder = new ActionRecorderView(QRectF(250, 150, 40, 40), window.get());
    recorder->setFocusPolicy(Qt::StrongFocus);
    window->show();
    window->activateWindow();
    waitUntil([this] { return QApplication::activeWindow() == window.get(); });
    pf::makeFirstResponder(window.get(), recorder);
}

ActiveWindow::~ActiveWindow() = default;

namespace {

void send(QWidget* widget, QEvent::Type type, QPointF local, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, local, widget->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

void click(QWidget* widget, QPointF local)
{
    pressDragRelease(widget, local, local);
}

void pressDragRelease(QWidget* widget, QPointF press, QPointF release)
{
    send(widget, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
    if (release != press)
        send(widget, QEvent::MouseMove, release, Qt::NoButton, Qt::LeftButton);
    send(widget, QEvent::MouseButtonRelease, release, Qt::LeftButton, Qt::NoButton);
}

} // namespace quillory::test
