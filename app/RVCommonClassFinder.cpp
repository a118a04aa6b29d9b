#include "app/RVCommonClassFinder.h"

#include "platform/foundation/Class.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Variant.h"

namespace {

const pf::Class* foldObjects(const QList<const pf::Reflective*>& objects)
{
    if (objects.isEmpty())
        return nullptr;
    const pf::Class* common = &objects.first()->objClass();
    for (qsizetype i = 1; i < objects.size() && common; ++i)
        common = RVCommonClassFinder::highestCommonClassOfClass(common, objects[i]);
    return common;
}

// The objects the values hold; a value that holds none takes part as nothing, which leaves no
// common class.
QList<const pf::Reflective*> objectsOfValues(const QVariantList& values, QList<pf::Ref<pf::Object>>& keepAlive)
{
    QList<const pf::Reflective*> objects;
    objects.reserve(values.size());
    for (const QVariant& value : values) {
        pf::Ref<pf::Object> object = pf::objectFromVariant(value);
        keepAlive.append(object);
        objects.append(object.get());
    }
    return objects;
}

const pf::Class* foldValues(const QVariantList& values)
{
    QList<pf::Ref<pf::Object>> keepAlive;
    return foldObjects(objectsOfValues(values, keepAlive));
}

} // namespace

const pf::Class* RVCommonClassFinder::highestCommonClassOfObject(const pf::Reflective* first, const pf::Reflective* second)
{
    if (!first || !second)
        return nullptr;
    return highestCommonClassOfClass(&first->objClass(), second);
}

const pf::Class* RVCommonClassFinder::highestCommonClassOfClass(const pf::Class* cls, const pf::Reflective* object)
{
    if (!cls || !object)
        return nullptr;
    for (const pf::Class* candidate = cls; candidate; candidate = candidate->superclass()) {
        if (object->isKindOf(*candidate))
            return candidate;
    }
    return nullptr;
}

const pf::Class* RVCommonClassFinder::highestCommonClassInArray(const QList<const pf::Reflective*>* array)
{
    PF_ASSERT(array, "invalid collection - can't be nil");
    return foldObjects(*array);
}

const pf::Class* RVCommonClassFinder::highestCommonClassInArray(const QVariantList* array)
{
    PF_ASSERT(array, "invalid collection - can't be nil");
    return foldValues(*array);
}

const pf::Class* RVCommonClassFinder::highestCommonClassInSet(const RVObjectSet* set)
{
    PF_ASSERT(set, "invalid collection - can't be nil");
    return foldObjects(set->values());
}

const pf::Class* RVCommonClassFinder::highestCommonClassInDictionary(const QVariantMap* dictionary)
{
    PF_ASSERT(dictionary, "invalid collection - can't be nil");
    return foldValues(dictionary->values());
}

const pf::Class* RVHighestCommonClass(const QVariant& collection)
{
    if (!collection.isValid() || collection.isNull())
        return nullptr;
    switch (collection.typeId()) {
    case QMetaType::QVariantList: {
        const QVariantList array = collection.toList();
        return RVCommonClassFinder::highestCommonClassInArray(&array);
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        const QVariantMap dictionary = collection.toMap();
        return RVCommonClassFinder::highestCommonClassInDictionary(&dictionary);
    }
    default:
        break;
    }
    if (collection.canConvert<RVObjectSet>() && collection.metaType() == QMetaType::fromType<RVObjectSet>()) {
        const RVObjectSet set = collection.value<RVObjectSet>();
        return RVCommonClassFinder::highestCommonClassInSet(&set);
    }
    QString kind = QString::fromLatin1(collection.typeName());
    if (pf::Ref<pf::Object> object = pf::objectFromVariant(collection))
        kind = object->objClass().name();
    pf::raise(QStringLiteral("RVUtilitiesDomainError"),
              QStringLiteral("RVHighestCommonClass - unsupported collection type (%1)").arg(kind));
}

QList<const pf::Class*> RV_classHierarchy(const pf::Reflective& object)
{
    return object.objClass().hierarchy();
}
