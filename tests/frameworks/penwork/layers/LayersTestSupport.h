#pragma once

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/NotificationCenter.h"

#include <QCoreApplication>
#include <QStringList>

#include <functional>

namespace layers_test {

// Records the names of the notifications one sender posts while it lives.
class NotificationRecorder {
public:
    explicit NotificationRecorder(const pf::Reflective* sender)
    {
        m_token = pf::NotificationCenter::defaultCenter().addObserver(
            QString(), sender, [this](const pf::Notification& n) {
                names.append(n.name);
                infos.append(n.userInfo);
            });
    }
    ~NotificationRecorder() { pf::NotificationCenter::defaultCenter().removeObserver(m_token); }
    int count(const QString& name) const { return int(names.count(name)); }
    void clear()
    {
        names.clear();
        infos.clear();
    }

    QStringList names;
    QList<QVariantMap> infos;

private:
    quint64 m_token = 0;
};

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
