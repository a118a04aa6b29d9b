#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/ActionTarget.h"

#include <QList>
#include <QPointer>

#include <QWidget>

namespace pf {

// What one nib load makes, as its builder reports it: the owner it builds for, the objects in
// the order they were made, and the top-level widget (a window, or a view for a view
// controller). Model objects the builder makes are kept here as the nib's top-level objects,
// so controllers made by a nib live as long as its owner keeps the list.
class NibLoader {
public:
    explicit NibLoader(Reflective* owner) : m_owner(owner) {}

    Reflective* owner() const { return m_owner; }
    // The owner as the class a builder knows it by, or null.
    template <class T>
    T* ownerAs() const
    {
        return dynamic_cast<T*>(m_owner);
    }

    // Records an object the nib made. Objects are woken in the order they are recorded.
    void add(const Ref<Object>& object);
    // Records a widget (or any Reflective not held by a Ref); it is not owned here.
    void add(Reflective* object);

    // The widget the nib stands for: a window's top-level widget or a controller's view.
    QWidget* topLevelWidget() const { return m_topLevelWidget; }
    void setTopLevelWidget(QWidget* widget) { m_topLevelWidget = widget; }

    const QList<Ref<Object>>& topLevelObjects() const { return m_objects; }

    // Sends awakeFromNib to every recorded object that answers it, in the order they were
    // recorded (objects gone since are skipped), then to the owner.
    void awakeObjects();

private:
    Reflective* m_owner = nullptr;
    QList<ActionTarget> m_made;
    QList<Ref<Object>> m_objects;
    QPointer<QWidget> m_topLevelWidget;
};

} // namespace pf
