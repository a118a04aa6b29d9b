#pragma once

#include "platform/foundation/Markers.h"

#include <QVariant>

#include <memory>
#include <type_traits>

namespace pf {

class Object;
template <class T> using Ref = std::shared_ptr<T>;
template <class T> using Weak = std::weak_ptr<T>;

// A string "YES", "true" or a non-zero number reads as true, as stored settings expect.
bool variantToBool(const QVariant& value);

// Conversions between C++ property types and QVariant. Objects travel as Ref<Object>; no
// object is an invalid QVariant; enumerations travel as integers.
template <class T>
struct VariantTraits {
    static QVariant to(const T& value)
    {
        if constexpr (std::is_enum_v<T>)
            return QVariant(static_cast<qlonglong>(value));
        else
            return QVariant::fromValue(value);
    }
    static T from(const QVariant& value)
    {
        if constexpr (std::is_enum_v<T>)
            return static_cast<T>(value.toLongLong());
        else if constexpr (std::is_same_v<T, bool>)
            return ::pf::variantToBool(value);
        else
            return value.value<T>();
    }
};

template <>
struct VariantTraits<QVariant> {
    static QVariant to(const QVariant& value) { return value; }
    static QVariant from(const QVariant& value) { return value; }
};

template <class T>
struct VariantTraits<std::shared_ptr<T>> {
    static QVariant to(const std::shared_ptr<T>& value)
    {
        if (!value)
            return QVariant();
        return QVariant::fromValue(std::static_pointer_cast<Object>(value));
    }
    static std::shared_ptr<T> from(const QVariant& value)
    {
        return std::dynamic_pointer_cast<T>(value.value<std::shared_ptr<Object>>());
    }
};

template <class T>
QVariant toVariant(const T& value)
{
    return VariantTraits<std::decay_t<T>>::to(value);
}

template <class T>
T fromVariant(const QVariant& value)
{
    return VariantTraits<std::decay_t<T>>::from(value);
}

// True for booleans and numbers of every width; texts are not numbers, whatever they spell.
bool isNumber(const QVariant& value);

// The object a QVariant holds, or null.
Ref<Object> objectFromVariant(const QVariant& value);
bool holdsObject(const QVariant& value);

// Equality as the model expects it: numbers compare by value across widths, objects by
// isEqual, lists and maps member by member.
bool isEqual(const QVariant& a, const QVariant& b);

// A text for log lines: objects by their description, markers by name.
QString describe(const QVariant& value);

} // namespace pf

Q_DECLARE_METATYPE(pf::Ref<pf::Object>)
