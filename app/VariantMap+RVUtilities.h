#pragma once

#include <QStringList>
#include <QVariant>
#include <QVariantMap>

namespace pf {
class Reflective;
}

// Copying values between model objects (by key or key path) and settings dictionaries, and
// setting controls from dictionary values. A null key, key path or list of key paths is a
// programming error and raises through an assertion; a null object gives and takes nothing.

// Into the dictionary -----------------------------------------------------------------------------
// The object's value for `key`, stored under `key` (or `dictionaryKey`). A value that is
// missing (null object, or no value) removes the entry.
void takeValueFromObjectForKey(QVariantMap& dictionary, const pf::Reflective* object, const QString& key);
void takeValueFromObjectForKey(QVariantMap& dictionary, const pf::Reflective* object, const QString& key,
                               const QString& dictionaryKey);
// The value at `keyPath`, stored under the key path string (or `dictionaryKey`).
void takeValueFromObjectForKeyPath(QVariantMap& dictionary, const pf::Reflective* object, const QString& keyPath);
void takeValueFromObjectForKeyPath(QVariantMap& dictionary, const pf::Reflective* object, const QString& keyPath,
                                   const QString& dictionaryKey);
// takeValueFromObjectForKeyPath for each key path, in order. `keyPaths` null: assertion.
void takeValuesFromObject(QVariantMap& dictionary, const pf::Reflective* object, const QStringList* keyPaths);
void setBoolValue(QVariantMap& dictionary, bool value, const QString& key);
void setIntValue(QVariantMap& dictionary, int value, const QString& key);
void setFloatValue(QVariantMap& dictionary, double value, const QString& key);

// Out of the dictionary -----------------------------------------------------------------------
// Sets the object's key (or key path) to the dictionary's value under the same key (or under
// `dictionaryKey`).
void setValueOfObjectForKey(const QVariantMap& dictionary, pf::Reflective* object, const QString& key);
void setValueOfObjectForKey(const QVariantMap& dictionary, pf::Reflective* object, const QString& key,
                            const QString& dictionaryKey);
void setValueOfObjectForKeyPath(const QVariantMap& dictionary, pf::Reflective* object, const QString& keyPath);
void setValueOfObjectForKeyPath(const QVariantMap& dictionary, pf::Reflective* object, const QString& keyPath,
                                const QString& dictionaryKey);
void setValuesOfObject(const QVariantMap& dictionary, pf::Reflective* object, const QStringList* keyPaths);
// Every key of the dictionary, as key paths.
void setAllValuesOfObject(const QVariantMap& dictionary, pf::Reflective* object);

// Controls: each acts only when the object answers the operation named.
// "setObjectValue:" with the value for `key`.
void setObjectValueOfObject(const QVariantMap& dictionary, pf::Reflective* object, const QString& key);
// "setColor:" with the value for `key`.
void setColourOfObject(const QVariantMap& dictionary, pf::Reflective* object, const QString& key);
// The value's integer as a tag: "selectItemWithTag:", else "selectCellWithTag:".
void selectTaggedItemOfObject(const QVariantMap& dictionary, pf::Reflective* object, const QString& key);
// The item whose represented object is the value ("indexOfItemWithRepresentedObject:", then
// "selectItemAtIndex:"); nothing when no item has it.
void selectItemOfObjectWithRepresentedObjectForKey(const QVariantMap& dictionary, pf::Reflective* object,
                                                   const QString& key);
// "selectItemAtIndex:" with the value's integer.
void selectIndexedItemOfObject(const QVariantMap& dictionary, pf::Reflective* object, const QString& key);
