#pragma once

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Reflective.h"

#include <memory>

namespace pf {

// The base of every model object and controller: reference counted through Ref<T>, reached
// weakly through Weak<T>, described by its Class.
class Object : public Reflective, public std::enable_shared_from_this<Object> {
public:
    Object() = default;
    // Copies take the state, never the identity: observers, liveness and ownership stay.
    Object(const Object& other) : Reflective(other), std::enable_shared_from_this<Object>() {}
    Object& operator=(const Object& other)
    {
        Reflective::operator=(other);
        return *this;
    }
    ~Object() override = default;

    static Class& staticClass();
    const Class& objClass() const override { return staticClass(); }

    // Copies; the default raises, as for a class that does not copy.
    virtual Ref<Object> copy() const;
    virtual Ref<Object> mutableCopy() const { return copy(); }

    // This object as a Ref of its own type. Only for objects held by a Ref.
    template <class T = Object>
    Ref<T> ref()
    {
        return std::static_pointer_cast<T>(shared_from_this());
    }
    template <class T = Object>
    Ref<const T> ref() const
    {
        return std::static_pointer_cast<const T>(shared_from_this());
    }
    template <class T = Object>
    Weak<T> weak()
    {
        return ref<T>();
    }

    // A new instance of the class named `name`, when it is registered and can be made.
    static Ref<Object> create(const QString& name);
};

// Ref<T> for an object a QVariant holds, when it is a T.
template <class T>
Ref<T> objectCast(const QVariant& value)
{
    return std::dynamic_pointer_cast<T>(objectFromVariant(value));
}

} // namespace pf
