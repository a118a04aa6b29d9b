#include "frameworks/penwork/archiving/PWUnarchivingHelper.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWLayer.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Log.h"

PF_DEFINE_CLASS(PWUnarchivingHelper, pf::Object)
{
    b.property("totalNumberOfObjects", &PWUnarchivingHelper::totalNumberOfObjects,
               &PWUnarchivingHelper::setTotalNumberOfObjects);
    b.property("numberOfObjectsDecoded", &PWUnarchivingHelper::numberOfObjectsDecoded);
    b.property("cancelled", &PWUnarchivingHelper::isCancelled, &PWUnarchivingHelper::setCancelled);
}

PWUnarchivingHelper::PWUnarchivingHelper() = default;

PWUnarchivingHelper::~PWUnarchivingHelper() = default;

void PWUnarchivingHelper::setCancelled(bool cancelled)
{
    m_cancelled.store(cancelled, std::memory_order_relaxed);
    if (!cancelled)
        return;
    QMutexLocker lock(&m_attachMutex);
    if (m_unarchiver)
        m_unarchiver->setCancelled(true);
}

pf::Ref<pf::Object> PWUnarchivingHelper::didDecodeObject(pf::KeyedUnarchiver& unarchiver,
                                                         const pf::Ref<pf::Object>& object)
{
    // Asked of every object read; the class chain answers sooner than a failing dynamic_cast.
    if (object && (object->isKindOf(PWDrawableObject::staticClass()) || object->isKindOf(PWLayer::staticClass())))
        m_decoded.fetch_add(1, std::memory_order_relaxed);
    if (isCancelled())
        unarchiver.setCancelled(true);
    return object;
}

void PWUnarchivingHelper::attach(pf::KeyedUnarchiver* unarchiver)
{
    QMutexLocker lock(&m_attachMutex);
    m_unarchiver = unarchiver;
    if (m_unarchiver && isCancelled())
        m_unarchiver->setCancelled(true);
}

void PWUnarchivingHelper::detach()
{
    QMutexLocker lock(&m_attachMutex);
    m_unarchiver = nullptr;
}

pf::Ref<PWUnarchivingHelper> PWUnarchivingHelper::makeHelperForRead()
{
    const QString name = PWDrawing::dearchivingHelperClass();
    if (!name.isEmpty()) {
        const pf::Class* cls = pf::Class::named(name);
        if (cls && cls->isSubclassOf(staticClass())) {
            if (auto helper = std::dynamic_pointer_cast<PWUnarchivingHelper>(cls->create()))
                return helper;
        }
        PF_LOG("dearchiving helper class '%s' is not a usable helper; using the framework's own",
               qPrintable(name));
    }
    return std::make_shared<PWUnarchivingHelper>();
}
