#include "frameworks/penwork/archiving/PWClassObject.h"

#include "platform/foundation/ClassBuilder.h"

#include <QHash>
#include <QMutex>

PF_DEFINE_CLASS(PWClassObject, pf::Object) {}

PWClassObject* PWClassObject::forClass(const pf::Class& cls)
{
    static QMutex mutex;
    // Never freed: observers may hold the pointer as a sender for as long as the process runs.
    static auto* objects = new QHash<const pf::Class*, pf::Ref<PWClassObject>>();
    QMutexLocker lock(&mutex);
    pf::Ref<PWClassObject>& entry = (*objects)[&cls];
    if (!entry) {
        entry = std::make_shared<PWClassObject>();
        entry->m_class = &cls;
    }
    return entry.get();
}

QString PWClassObject::description() const
{
    return m_class ? m_class->name() : QStringLiteral("(no class)");
}
