#pragma once

#include <QList>
#include <QMetaType>
#include <QSet>
#include <QVariant>

#include "platform/foundation/Reflective.h"

namespace pf {
class Class;
}

// Unordered collections of objects, as a set is passed about.
using RVObjectSet = QSet<const pf::Reflective*>;
Q_DECLARE_METATYPE(RVObjectSet)

// Finds the most specific class that every object of a collection is a kind of, so one set of
// controls can serve a mixed selection. Null answers mean "no class" (an empty or null input).
class RVCommonClassFinder {
public:
    RVCommonClassFinder() = delete;

    // Null when either is null; the first's class when both are the same object or the second
    // is a kind of it; otherwise the first superclass of the first's class that the second is
    // a kind of.
    static const pf::Class* highestCommonClassOfObject(const pf::Reflective* first, const pf::Reflective* second);
    // Null when either is null; the class itself when the object is a kind of it; otherwise the
    // first of its superclasses that the object is a kind of.
    static const pf::Class* highestCommonClassOfClass(const pf::Class* cls, const pf::Reflective* object);

    // Folds every element, in order, into the class of the first. Raises when `array` is null
    // ("invalid collection - can't be nil"); null for an empty array.
    static const pf::Class* highestCommonClassInArray(const QList<const pf::Reflective*>* array);
    static const pf::Class* highestCommonClassInArray(const QVariantList* array);
    static const pf::Class* highestCommonClassInSet(const RVObjectSet* set);
    // Over the dictionary's values.
    static const pf::Class* highestCommonClassInDictionary(const QVariantMap* dictionary);
};

// Null for a null (invalid) collection; dispatches on a list (array), an RVObjectSet (set) or a
// map (dictionary). Anything else raises "RVUtilitiesDomainError".
const pf::Class* RVHighestCommonClass(const QVariant& collection);

// The class of `object` and its superclasses, from the class itself up to the root.
QList<const pf::Class*> RV_classHierarchy(const pf::Reflective& object);
