#pragma once

#include <QString>

namespace pf {
class Class;
class Reflective;
} // namespace pf

// Debugging aids: what an object's operations take and give. Operations here answer values,
// so a type is known only for properties: a property's getter gives the type of its current
// value (an object's class name, or the value's encoding, see typeAsString), and its setter
// takes that type as its argument at index 2. Other operations take and give objects ("@").
// Each logs its answer.

// The type of what the operation `name` answers; null when the object has no such operation.
QString returnTypeOfPropertyNamed(const pf::Reflective& object, const QString& name);
// The type of the argument at `index` of the operation `name` (0 is the receiver, "@", and 1
// the selector, ":"); null when there is no such operation or argument.
QString typeOfArgumentAtIndex(const pf::Reflective& object, int index, const QString& name);
// The object's class name.
QString ownType(const pf::Reflective& object);
// Whether the operation `name` answers an object of exactly that class.
bool propertyNamedReturnsObjectOfClass(const pf::Reflective& object, const QString& name, const pf::Class& cls);
