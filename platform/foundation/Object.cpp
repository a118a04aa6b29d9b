#include "platform/foundation/Object.h"

#include "platform/foundation/Exception.h"

namespace pf {

Class& Object::staticClass()
{
    static Class& cls = [] () -> Class& {
        auto* c = new Class(QStringLiteral("pf::Object"), &Reflective::staticClass(),
                            [] { return std::make_shared<Object>(); });
        Class::registerClass(c);
        return *c;
    }();
    return cls;
}

[[maybe_unused]] static const Class& objectRegistration = Object::staticClass();

Ref<Object> Object::copy() const
{
    throw InvalidArgumentException(QStringLiteral("-[%1 copyWithZone:]: unrecognized selector sent to instance").arg(className()));
}

Ref<Object> Object::create(const QString& name)
{
    Class* cls = Class::named(name);
    return cls ? cls->create() : nullptr;
}

} // namespace pf
