#pragma once

#include <QString>
#include <QVariant>

// Reading and writing one field of a boxed point, size or rectangle by key. Keys are compared
// in lower case: "x" and "y" for a point, "width" and "height" for a size, "origin.x",
// "origin.y", "size.width" and "size.height" for a rectangle.

// The value's type encoding: "{CGPoint=dd}", "{CGSize=dd}", "{CGRect={CGPoint=dd}{CGSize=dd}}"
// for the geometry kinds, one letter for numbers ("c" bool, "i" int, "I" unsigned, "q" and
// "Q" 64-bit, "f" float, "d" double), "@" for anything else; empty for no value.
QString typeAsString(const QVariant& value);
// The encoding begins with "{".
bool isTypeCompoundStruct(const QVariant& value);

// A new value of the same kind with the field named by `key` set to the number's double
// value; an unknown key gives an equal value, a value of another kind is returned as it is.
QVariant valueWithStructValue(const QVariant& value, const QVariant& number, const QString& key);
// The field named by `key` as a double; 0 for an unknown key or another kind of value.
double structValueForKey(const QVariant& value, const QString& key);
