#include "app/VariantMap+RVUtilities.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/Reflective.h"
#include "platform/foundation/Variant.h"

namespace {

void store(QVariantMap& dictionary, const QString& key, const QVariant& value)
{
    if (value.isValid() && !value.isNull())
        dictionary.insert(key, value);
    else
        dictionary.remove(key);
}

bool answers(const pf::Reflective* object, const QString& selector)
{
    return object && object->respondsTo(selector);
}

} // namespace

void takeValueFromObjectForKey(QVariantMap& dictionary, const pf::Reflective* object, const QString& key)
{
    PF_ASSERT(!key.isNull(), "object key was nil");
    store(dictionary, key, object ? object->valueForKey(key) : QVariant());
}

void takeValueFromObjectForKey(QVariantMap& dictionary, const pf::Reflective* object, const QString& key,
                               const QString& dictionaryKey)
{
    PF_ASSERT(!key.isNull(), "object key was nil");
    PF_ASSERT(!dictionaryKey.isNull(), "dictionary key was nil");
    store(dictionary, dictionaryKey, object ? object->valueForKey(key) : QVariant());
}

void takeValueFromObjectForKeyPath(QVariantMap& dictionary, const pf::Reflective* object, const QString& keyPath)
{
    PF_ASSERT(!keyPath.isNull(), "object key path was nil");
    store(dictionary, keyPath, object ? object->valueForKeyPath(keyPath) : QVariant());
}

void takeValueFromObjectForKeyPath(QVariantMap& dictionary, const pf::Reflective* object, const QString& keyPath,
                                   const QString& dictionaryKey)
{
    PF_ASSERT(!keyPath.isNull(), "object key path was nil");
    PF_ASSERT(!dictionaryKey.isNull(), "dictionary key was nil");
    store(dictionary, dictionaryKey, object ? object->valueForKeyPath(keyPath) : QVariant());
}

void takeValuesFromObject(QVariantMap& dictionary, const pf::Reflective* object, const QStringList* keyPaths)
{
    PF_ASSERT(keyPaths != nullptr, "array of keypaths was nil");
    for (const QString& keyPath : *keyPaths)
        takeValueFromObjectForKeyPath(dictionary, object, keyPath);
}

void setBoolValue(QVariantMap& dictionary, bool value, const QString& key)
{
    dictionary.insert(key, value);
}

void setIntValue(QVariantMap& dictionary, int value, const QString& key)
{
    dictionary.insert(key, value);
}

void setFloatValue(QVariantMap& dictionary, double value, const QString& key)
{
    dictionary.insert(key, value);
}

void setValueOfObjectForKey(const QVariantMap& dictionary, pf::Reflective* object, const QString& key)
{
    PF_ASSERT(!key.isNull(), "key was nil");
    if (object)
        object->setValueForKey(dictionary.value(key), key);
}

void setValueOfObjectForKey(const QVariantMap& dictionary, pf::Reflective* object, const QString& key,
                            const QString& dictionaryKey)
{
    PF_ASSERT(!key.isNull(), "object key was nil");
    PF_ASSERT(!dictionaryKey.isNull(), "dictionary key was nil");
    if (object)
        object->setValueForKey(dictionary.value(dictionaryKey), key);
}

void setValueOfObjectForKeyPath(const QVariantMap& dictionary, pf::Reflective* object, const QString& keyPath)
{
    PF_ASSERT(!keyPath.isNull(), "object key path was nil");
    if (object)
        object->setValueForKeyPath(dictionary.value(keyPath), keyPath);
}

void setValueOfObjectForKeyPath(const QVariantMap& dictionary, pf::Reflective* object, const QString& keyPath,
                                const QString& dictionaryKey)
{
    PF_ASSERT(!keyPath.isNull(), "object key path was nil");
    PF_ASSERT(!dictionaryKey.isNull(), "dictionary key was nil");
    if (object)
        object->setValueForKeyPath(dictionary.value(dictionaryKey), keyPath);
}

void setValuesOfObject(const QVariantMap& dictionary, pf::Reflective* object, const QStringList* keyPaths)
{
    PF_ASSERT(keyPaths != nullptr, "array of keypaths was nil");
    for (const QString& keyPath : *keyPaths)
        setValueOfObjectForKeyPath(dictionary, object, keyPath);
}

void setAllValuesOfObject(const QVariantMap& dictionary, pf::Reflective* object)
{
    const QStringList keys = dictionary.keys();
    setValuesOfObject(dictionary, object, &keys);
}

void setObjectValueOfObject(const QVariantMap& dictionary, pf::Reflective* object, const QString& key)
{
    if (answers(object, QStringLiteral("setObjectValue:")))
        object->perform(QStringLiteral("setObjectValue:"), {dictionary.value(key)});
}

void setColourOfObject(const QVariantMap& dictionary, pf::Reflective* object, const QString& key)
{
    if (answers(object, QStringLiteral("setColor:")))
        object->perform(QStringLiteral("setColor:"), {dictionary.value(key)});
}

void selectTaggedItemOfObject(const QVariantMap& dictionary, pf::Reflective* object, const QString& key)
{
    const int tag = dictionary.value(key).toInt();
    if (answers(object, QStringLiteral("selectItemWithTag:")))
        object->perform(QStringLiteral("selectItemWithTag:"), {tag});
    else if (answers(object, QStringLiteral("selectCellWithTag:")))
        object->perform(QStringLiteral("selectCellWithTag:"), {tag});
}

void selectItemOfObjectWithRepresentedObjectForKey(const QVariantMap& dictionary, pf::Reflective* object,
                                                   const QString& key)
{
    const QString find = QStringLiteral("indexOfItemWithRepresentedObject:");
    if (!answers(object, find) || !object->respondsTo(QStringLiteral("selectItemAtIndex:")))
        return;
    bool ok = false;
    const qlonglong index = object->perform(find, {dictionary.value(key)}).toLongLong(&ok);
    if (ok && index >= 0 && index != pf::kNotFound)
        object->perform(QStringLiteral("selectItemAtIndex:"), {index});
}

void selectIndexedItemOfObject(const QVariantMap& dictionary, pf::Reflective* object, const QString& key)
{
    if (answers(object, QStringLiteral("selectItemAtIndex:")))
        object->perform(QStringLiteral("selectItemAtIndex:"), {dictionary.value(key).toInt()});
}
