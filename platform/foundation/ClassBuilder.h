#pragma once

#include "platform/foundation/Reflective.h"

#include <tuple>
#include <type_traits>
#include <utility>

namespace pf {

namespace detail {

template <class M> struct MemberTraits;
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...)> {
    using Return = R;
    using Arguments = std::tuple<std::decay_t<A>...>;
};
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...) const> {
    using Return = R;
    using Arguments = std::tuple<std::decay_t<A>...>;
};
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...) noexcept> : MemberTraits<R (C::*)(A...)> {};
template <class C, class R, class... A>
struct MemberTraits<R (C::*)(A...) const noexcept> : MemberTraits<R (C::*)(A...) const> {};

template <class T, class M, size_t... I>
QVariant invokeMember(T& self, M member, const QVariantList& arguments, std::index_sequence<I...>)
{
    using Traits = MemberTraits<M>;
    using Args = typename Traits::Arguments;
    if constexpr (std::is_void_v<typename Traits::Return>) {
        (self.*member)(fromVariant<std::tuple_element_t<I, Args>>(arguments.value(int(I)))...);
        return QVariant();
    } else {
        return toVariant((self.*member)(fromVariant<std::tuple_element_t<I, Args>>(arguments.value(int(I)))...));
    }
}

template <class V>
constexpr bool isScalar = std::is_arithmetic_v<V> || std::is_enum_v<V>;

} // namespace detail

// Fills a class's tables with typed members; used inside PF_DEFINE_CLASS.
template <class T>
class ClassBuilder {
public:
    explicit ClassBuilder(Class& cls) : m_class(cls) {}
    Class& cls() { return m_class; }

    // A read-only property from a const getter.
    template <class G>
    ClassBuilder& property(const QString& key, G getter)
    {
        Class::Property p;
        p.key = key;
        p.get = [getter](const Reflective& self) { return toVariant((static_cast<const T&>(self).*getter)()); };
        m_class.addProperty(std::move(p));
        return *this;
    }

    // A read-write property from a getter and a one-argument setter.
    template <class G, class S>
    ClassBuilder& property(const QString& key, G getter, S setter)
    {
        using Value = std::tuple_element_t<0, typename detail::MemberTraits<S>::Arguments>;
        Class::Property p;
        p.key = key;
        p.get = [getter](const Reflective& self) { return toVariant((static_cast<const T&>(self).*getter)()); };
        p.set = [setter](Reflective& self, const QVariant& value) {
            (static_cast<T&>(self).*setter)(fromVariant<Value>(value));
        };
        p.scalar = detail::isScalar<Value>;
        m_class.addProperty(std::move(p));
        return *this;
    }

    // A property given by functions over QVariant.
    ClassBuilder& property(const QString& key, std::function<QVariant(const T&)> getter,
                           std::function<void(T&, const QVariant&)> setter, bool scalar = false)
    {
        Class::Property p;
        p.key = key;
        if (getter)
            p.get = [getter](const Reflective& self) { return getter(static_cast<const T&>(self)); };
        if (setter)
            p.set = [setter](Reflective& self, const QVariant& value) { setter(static_cast<T&>(self), value); };
        p.scalar = scalar;
        m_class.addProperty(std::move(p));
        return *this;
    }

    // A validator for a property: may replace the value, or refuse it with an error.
    ClassBuilder& validator(const QString& key, std::function<bool(T&, QVariant*, Error*)> validate)
    {
        auto existing = m_class.property(key);
        Class::Property p = existing ? *existing : Class::Property{key, {}, {}, false, {}};
        p.validate = [validate](Reflective& self, QVariant* value, Error* error) {
            return validate(static_cast<T&>(self), value, error);
        };
        m_class.addProperty(std::move(p));
        return *this;
    }

    // An operation from a member function; arguments arrive converted to its parameter types.
    template <class M>
        requires std::is_member_function_pointer_v<M>
    ClassBuilder& method(const QString& selector, M member)
    {
        constexpr size_t arity = std::tuple_size_v<typename detail::MemberTraits<M>::Arguments>;
        m_class.addMethod(selector, [member](Reflective& self, const QVariantList& arguments) {
            return detail::invokeMember(static_cast<T&>(self), member, arguments,
                                        std::make_index_sequence<arity>{});
        });
        return *this;
    }

    // An operation given by a function.
    ClassBuilder& method(const QString& selector, std::function<QVariant(T&, const QVariantList&)> fn)
    {
        m_class.addMethod(selector, [fn](Reflective& self, const QVariantList& arguments) {
            return fn(static_cast<T&>(self), arguments);
        });
        return *this;
    }

    ClassBuilder& classMethod(const QString& selector, Class::ClassMethod fn)
    {
        m_class.addClassMethod(selector, std::move(fn));
        return *this;
    }

    ClassBuilder& protocol(const QString& name)
    {
        m_class.addProtocol(name);
        return *this;
    }

    ClassBuilder& keyPathsAffecting(const QString& key, const QStringList& keyPaths)
    {
        m_class.setKeyPathsForValuesAffecting(key, keyPaths);
        return *this;
    }

    ClassBuilder& initializer(std::function<void()> fn)
    {
        m_class.setInitializer(std::move(fn));
        return *this;
    }

    ClassBuilder& factory(Class::Factory fn)
    {
        m_class.setFactory(std::move(fn));
        return *this;
    }

private:
    Class& m_class;
};

namespace detail {

template <class T>
Class::Factory defaultFactory()
{
    if constexpr (std::is_base_of_v<Object, T> && std::is_default_constructible_v<T> && !std::is_abstract_v<T>)
        return [] { return std::static_pointer_cast<Object>(std::make_shared<T>()); };
    else
        return {};
}

template <class T>
Class& defineClass(const char* name, Class* superclass, void (*fill)(ClassBuilder<T>&))
{
    auto* cls = new Class(QString::fromUtf8(name), superclass, defaultFactory<T>());
    ClassBuilder<T> builder(*cls);
    if (fill)
        fill(builder);
    Class::registerClass(cls);
    return *cls;
}

} // namespace detail

} // namespace pf

// In the class body: declares the class description. Leaves the class body in private access.
#define PF_CLASS(Type)                                                           \
public:                                                                          \
    static ::pf::Class& staticClass();                                           \
    const ::pf::Class& objClass() const override { return staticClass(); }       \
                                                                                 \
private:

#define PF_CONCAT_INNER(a, b) a##b
#define PF_CONCAT(a, b) PF_CONCAT_INNER(a, b)

// In the source file: defines and registers the class under `Name`; the block that follows
// fills its tables through `b`, a ClassBuilder<Type>.
#define PF_DEFINE_CLASS_NAMED(Type, Super, Name)                                                       \
    static void PF_CONCAT(pfFillClass_, __LINE__)(::pf::ClassBuilder<Type> & b);                       \
    ::pf::Class& Type::staticClass()                                                                   \
    {                                                                                                  \
        static ::pf::Class& cls = ::pf::detail::defineClass<Type>(Name, &Super::staticClass(),        \
                                                                  &PF_CONCAT(pfFillClass_, __LINE__)); \
        return cls;                                                                                    \
    }                                                                                                  \
    [[maybe_unused]] static const ::pf::Class& PF_CONCAT(pfClassRegistration_, __LINE__) =            \
        Type::staticClass();                                                                           \
    static void PF_CONCAT(pfFillClass_, __LINE__)([[maybe_unused]] ::pf::ClassBuilder<Type> & b)

#define PF_DEFINE_CLASS(Type, Super) PF_DEFINE_CLASS_NAMED(Type, Super, #Type)
