#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/Event.h"

#include <QList>
#include <QPointF>
#include <QVariant>

class QWidget;

namespace widgettest {

// A mouse event at `location` (window coordinates) as a tracking loop or a handler gets it.
pf::Event mouse(int type, QPointF location, unsigned flags = 0, double timestamp = pf::Event::now(),
                int clickCount = 1, QWidget* window = nullptr);

// Records the senders of the action "record:" sent to it.
class ActionRecorder : public pf::Object {
    PF_CLASS(ActionRecorder)
public:
    void record(const QVariant& sender) { senders.append(sender); }
    int count() const { return int(senders.size()); }
    QList<QVariant> senders;
};

} // namespace widgettest
