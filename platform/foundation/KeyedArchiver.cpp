#include "platform/foundation/KeyedArchiver.h"

#include "platform/foundation/Exception.h"

#include <QDateTime>
#include <QReadWriteLock>

namespace pf {

namespace archive {

QString storedKey(const QString& key)
{
    if (key.startsWith(QLatin1Char('$')) || key.startsWith(QLatin1String("CF$")))
        return QLatin1Char('$') + key;
    return key;
}

QString keyFromStored(const QString& stored)
{
    return stored.startsWith(QLatin1Char('$')) ? stored.mid(1) : stored;
}

} // namespace archive

namespace {

QReadWriteLock& globalNamesLock()
{
    static QReadWriteLock lock;
    return lock;
}

QHash<const Class*, QString>& globalNames()
{
    static QHash<const Class*, QString> names;
    return names;
}

QVariant uid(quint64 value)
{
    return QVariant::fromValue(PlistUID{value});
}

QVariant reals(std::initializer_list<double> values)
{
    QVariantList list;
    list.reserve(qsizetype(values.size()));
    for (double v : values)
        list.append(v);
    return list;
}

[[noreturn]] void raiseNotArchivable(const Object& object)
{
    raise(NSInvalidArgumentException,
          QStringLiteral("-[%1 encodeWithCoder:]: the class does not adopt Coding or is not marked %2")
              .arg(object.className(), kCodingProtocol));
}

void checkArchivable(const Object& object)
{
    if (!dynamic_cast<const Coding*>(&object) || !Coding::isArchivable(object.objClass()))
        raiseNotArchivable(object);
}

} // namespace

QByteArray KeyedArchiver::archivedData(const Ref<Object>& root, PropertyListFormat format, Error* error)
{
    KeyedArchiver archiver(format);
    archiver.encodeObject(root, kRootKey);
    return archiver.encodedData(error);
}

KeyedArchiver::KeyedArchiver(PropertyListFormat format) : m_format(format)
{
    m_objects.push_back(archive::kNull);
}

void KeyedArchiver::store(const QString& key, QVariant value)
{
    if (m_finished)
        raise(NSInvalidArchiveOperationException, QStringLiteral("encoding the key “%1” after the encoding finished").arg(key));
    const QString stored = archive::storedKey(key);
    // Two values under one key would lose one of them without a trace. One search finds both
    // whether the key is there and where it goes.
    const auto place = m_current->lowerBound(stored);
    if (place != m_current->end() && place.key() == stored)
        raise(NSInvalidArchiveOperationException, QStringLiteral("the key “%1” is encoded twice in one object").arg(key));
    m_current->insert(place, stored, std::move(value));
}

void KeyedArchiver::encodeBool(bool value, const QString& key)
{
    store(key, value);
}

void KeyedArchiver::encodeInt32(qint32 value, const QString& key)
{
    store(key, qlonglong(value));
}

void KeyedArchiver::encodeInt64(qint64 value, const QString& key)
{
    store(key, qlonglong(value));
}

void KeyedArchiver::encodeFloat(float value, const QString& key)
{
    store(key, double(value));
}

void KeyedArchiver::encodeDouble(double value, const QString& key)
{
    store(key, value);
}

void KeyedArchiver::encodeString(const QString& value, const QString& key)
{
    store(key, value);
}

void KeyedArchiver::encodeData(const QByteArray& value, const QString& key)
{
    store(key, value);
}

void KeyedArchiver::encodeBytes(const char* bytes, qsizetype length, const QString& key)
{
    PF_PARAMETER_ASSERT(length >= 0 && (bytes || length == 0));
    store(key, QByteArray(bytes, length));
}

void KeyedArchiver::encodePoint(const QPointF& value, const QString& key)
{
    store(key, reals({value.x(), value.y()}));
}

void KeyedArchiver::encodeSize(const QSizeF& value, const QString& key)
{
    store(key, reals({value.width(), value.height()}));
}

void KeyedArchiver::encodeRect(const QRectF& value, const QString& key)
{
    store(key, reals({value.x(), value.y(), value.width(), value.height()}));
}

void KeyedArchiver::encodeObject(const Ref<Object>& object, const QString& key)
{
    store(key, uid(referenceTo(object)));
    encodeQueued();
}

void KeyedArchiver::encodeConditionalObject(const Ref<Object>& object, const QString& key)
{
    if (object && !dynamic_cast<const Coding*>(object.get()))
        raiseNotArchivable(*object);
    store(key, uid(0));
    if (object)
        m_conditionals.push_back({m_currentUid, archive::storedKey(key), object});
}

void KeyedArchiver::encodePropertyListValue(const QVariant& value, const QString& key)
{
    store(key, storedValue(value));
    encodeQueued();
}

QVariant KeyedArchiver::storedValue(const QVariant& value)
{
    if (!value.isValid())
        return uid(0);
    if (value.metaType() == QMetaType::fromType<Ref<Object>>())
        return uid(referenceTo(value.value<Ref<Object>>()));
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        QVariantMap stored;
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            stored.insert(archive::storedKey(it.key()), storedValue(it.value()));
        return stored;
    }
    case QMetaType::QVariantList: {
        const QVariantList list = value.toList();
        QVariantList stored;
        stored.reserve(list.size());
        for (const QVariant& item : list)
            stored.append(storedValue(item));
        return stored;
    }
    case QMetaType::QStringList: {
        QVariantList stored;
        for (const QString& item : value.toStringList())
            stored.append(item);
        return stored;
    }
    case QMetaType::QDateTime:
        if (!value.toDateTime().isValid())
            raise(NSInvalidArgumentException, QStringLiteral("an invalid date cannot be archived"));
        return value;
    case QMetaType::Float:
        return value.toDouble();
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return value;
    default:
        raise(NSInvalidArgumentException, QStringLiteral("a value of type %1 is not a property-list value and cannot be archived")
                                              .arg(QString::fromLatin1(value.metaType().name())));
    }
}

quint64 KeyedArchiver::referenceTo(const Ref<Object>& object)
{
    if (!object)
        return 0;
    auto met = m_known.find(object.get());
    if (met == m_known.end() || !met->asked) {
        auto* coding = dynamic_cast<Coding*>(object.get());
        if (!coding)
            raiseNotArchivable(*object);
        Ref<Object> replacement = coding->replacementObjectForCoder(*this);
        if (replacement)
            checkArchivable(*replacement);
        m_retained.push_back(object);
        // Looked up again: the replacement may have encoded objects of its own meanwhile.
        met = m_known.insert(object.get(), m_known.value(object.get()));
        met->asked = true;
        met->replacedBySelf = replacement == object;
        if (!met->replacedBySelf)
            met->replacement = std::move(replacement);
    }
    const bool bySelf = met->replacedBySelf;
    const Ref<Object> target = bySelf ? object : met->replacement;
    if (!target)
        return 0;
    auto encoded = bySelf ? met : m_known.find(target.get());
    if (encoded == m_known.end())
        encoded = m_known.insert(target.get(), Known());
    if (encoded->uid)
        return encoded->uid;
    const quint64 reference = m_objects.size();
    m_objects.emplace_back();
    encoded->uid = reference;
    if (!bySelf)
        m_retained.push_back(target);
    m_queue.push_back({target, reference});
    return reference;
}

QString KeyedArchiver::mappedName(const Class& cls) const
{
    const QString own = classNameForClass(cls);
    return own.isEmpty() ? classNameForClassGlobal(cls) : own;
}

quint64 KeyedArchiver::classReferenceFor(const Object& object)
{
    const Class& cls = object.objClass();
    QString name = mappedName(cls);
    if (name.isEmpty())
        name = dynamic_cast<const Coding&>(object).classNameForArchiver();
    const auto cacheKey = std::make_pair(&cls, name);
    auto known = m_classUids.constFind(cacheKey);
    if (known != m_classUids.constEnd())
        return *known;

    QVariantList classes{name};
    for (const Class* super = cls.superclass(); super; super = super->superclass()) {
        const QString superName = mappedName(*super);
        classes.append(superName.isEmpty() ? super->name() : superName);
    }
    const quint64 reference = m_objects.size();
    m_objects.emplace_back(QVariantMap{{archive::kClassNameKey, name}, {archive::kClassesKey, classes}});
    m_classUids.insert(cacheKey, reference);
    return reference;
}

void KeyedArchiver::encodeQueued()
{
    // Objects met inside encodeWithCoder wait for the outermost call, which encodes them in turn.
    if (!isAtTop() || m_encodingQueue)
        return;
    m_encodingQueue = true;
    struct Restore {
        KeyedArchiver* archiver;
        ~Restore()
        {
            archiver->m_encodingQueue = false;
            archiver->m_current = &archiver->m_top;
            archiver->m_currentUid = kTopOwner;
        }
    } restore{this};

    while (m_nextQueued < m_queue.size()) {
        const Pending pending = m_queue[m_nextQueued++];
        QVariantMap fields;
        fields.insert(archive::kClassKey, uid(classReferenceFor(*pending.object)));
        m_current = &fields;
        m_currentUid = pending.uid;
        dynamic_cast<const Coding&>(*pending.object).encodeWithCoder(*this);
        m_objects[pending.uid] = std::move(fields);
    }
}

bool KeyedArchiver::finishEncoding(Error* error)
{
    if (!m_finished) {
        encodeQueued();
        m_finished = true;

        for (const Conditional& conditional : m_conditionals) {
            // Only an object encoded unconditionally has a UID; its replacement counts for it.
            const auto known = m_known.constFind(conditional.object.get());
            quint64 reference = known != m_known.constEnd() ? known->uid : 0;
            if (!reference && known != m_known.constEnd() && known->replacement)
                reference = m_known.value(known->replacement.get()).uid;
            if (!reference)
                continue;
            if (conditional.owner == kTopOwner) {
                m_top.insert(conditional.storedKey, uid(reference));
            } else {
                QVariantMap fields = m_objects[conditional.owner].toMap();
                fields.insert(conditional.storedKey, uid(reference));
                m_objects[conditional.owner] = std::move(fields);
            }
        }

        QVariantList objects;
        objects.reserve(qsizetype(m_objects.size()));
        for (QVariant& object : m_objects)
            objects.append(std::move(object));
        m_objects.clear();
        const QVariantMap root{{archive::kArchiverKey, kArchiverName},
                               {archive::kVersionKey, kVersion},
                               {archive::kTopKey, m_top},
                               {archive::kObjectsKey, objects}};
        Error writeError;
        m_data = PropertyList::data(root, m_format, &writeError);
        if (m_data.isEmpty()) {
            m_error = Error(kPFFoundationErrorDomain, kErrorCoderInvalidValue,
                            {{NSLocalizedDescriptionKey, QStringLiteral("The archive couldn't be written: %1")
                                                             .arg(writeError.localizedDescription())},
                             {NSUnderlyingErrorKey, QVariant::fromValue(writeError)}});
        }
        m_queue.clear();
        m_conditionals.clear();
        m_retained.clear();
        m_known.clear();
    }
    if (!m_error.isNull())
        return fail(error, m_error);
    return true;
}

QByteArray KeyedArchiver::encodedData(Error* error)
{
    finishEncoding(error);
    return m_data;
}

void KeyedArchiver::setClassNameForClass(const QString& name, const Class& cls)
{
    if (name.isEmpty())
        m_classNames.remove(&cls);
    else
        m_classNames.insert(&cls, name);
}

QString KeyedArchiver::classNameForClass(const Class& cls) const
{
    return m_classNames.value(&cls);
}

void KeyedArchiver::setClassNameForClassGlobal(const QString& name, const Class& cls)
{
    QWriteLocker lock(&globalNamesLock());
    if (name.isEmpty())
        globalNames().remove(&cls);
    else
        globalNames().insert(&cls, name);
}

QString KeyedArchiver::classNameForClassGlobal(const Class& cls)
{
    QReadLocker lock(&globalNamesLock());
    return globalNames().value(&cls);
}

} // namespace pf
