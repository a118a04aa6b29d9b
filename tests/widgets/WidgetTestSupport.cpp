#include "WidgetTestSupport.h"

#include "platform/foundation/ClassBuilder.h"

#include <QWidget>

PF_DEFINE_CLASS_NAMED(widgettest::ActionRecorder, pf::Object, "WidgetTestActionRecorder")
{
    b.method("record:", &widgettest::ActionRecorder::record);
}

namespace widgettest {

pf::Event mouse(int type, QPointF location, unsigned flags, double timestamp, int clickCount, QWidget* window)
{
    pf::Event event = pf::Event::mouseEvent(type, location, flags, timestamp, 0, 0, clickCount, 1.0);
    event.window = window;
    return event;
}

} // namespace widgettest
