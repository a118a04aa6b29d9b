#include "platform/ui/NibLoader.h"

namespace pf {

namespace {

const QString kAwakeFromNib = QStringLiteral("awakeFromNib");

void awake(Reflective* object)
{
    if (object && object->respondsTo(kAwakeFromNib))
        object->perform(kAwakeFromNib);
}

} // namespace

void NibLoader::add(const Ref<Object>& object)
{
    if (!object)
        return;
    m_objects.append(object);
    m_made.append(ActionTarget(object.get()));
}

void NibLoader::add(Reflective* object)
{
    if (object)
        m_made.append(ActionTarget(object));
}

void NibLoader::awakeObjects()
{
    // An awakeFromNib may record further objects; those are woken too, in order.
    for (qsizetype i = 0; i < m_made.size(); ++i) {
        Reflective* object = m_made[i].get();
        if (object != m_owner)
            awake(object);
    }
    awake(m_owner);
}

} // namespace pf
