#include "platform/foundation/KeyedUnarchiver.h"

#include "platform/foundation/BinaryPropertyListReader.h"
#include "platform/foundation/BinaryPropertyListWriter.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/PropertyList.h"

#include <QMap>
#include <QReadWriteLock>

#include <limits>
#include <string_view>
#include <unordered_map>

#include <pthread.h>

namespace pf {

namespace {

QReadWriteLock& globalSubstitutionsLock()
{
    static QReadWriteLock lock;
    return lock;
}

QHash<QString, Class*>& globalSubstitutions()
{
    static QHash<QString, Class*> classes;
    return classes;
}

Class* globalClassForClassName(const QString& name)
{
    QReadLocker lock(&globalSubstitutionsLock());
    return globalSubstitutions().value(name);
}

bool isUid(const QVariant& value)
{
    return value.metaType() == QMetaType::fromType<PlistUID>();
}

bool isInteger(const QVariant& value)
{
    return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::ULongLong;
}

bool isStoredNumber(const QVariant& value)
{
    return isInteger(value) || value.typeId() == QMetaType::Double;
}

// The reals of a point, size or rectangle, stored as a list of `count` numbers.
bool realsOf(const QVariant* value, int count, double* out)
{
    if (!value || value->typeId() != QMetaType::QVariantList)
        return false;
    const QVariantList list = value->toList();
    if (list.size() != count)
        return false;
    for (int i = 0; i < count; ++i) {
        if (!isStoredNumber(list[i]))
            return false;
        out[i] = list[i].toDouble();
    }
    return true;
}

// Decoding nests one initWithCoder in another, so it must stop before the stack runs out,
// however large the thread's stack and the classes' frames are. This much is kept free.
constexpr quintptr kStackReserve = 256 * 1024;

// The lowest address of the calling thread's stack (stacks grow down), or 0 when unknown.
quintptr stackLimit()
{
    thread_local const quintptr limit = [] {
        pthread_attr_t attributes;
        if (pthread_getattr_np(pthread_self(), &attributes) != 0)
            return quintptr(0);
        void* address = nullptr;
        size_t size = 0;
        const bool known = pthread_attr_getstack(&attributes, &address, &size) == 0;
        pthread_attr_destroy(&attributes);
        return known ? quintptr(address) : quintptr(0);
    }();
    return limit;
}

bool stackIsNearlyFull()
{
    const quintptr limit = stackLimit();
    const quintptr here = quintptr(__builtin_frame_address(0));
    return limit && (here < limit || here - limit < kStackReserve);
}

Error coderError(int code, const QString& problem)
{
    return Error::make(kPFFoundationErrorDomain, code, QStringLiteral("The archive couldn't be read: %1.").arg(problem));
}

} // namespace

// A binary archive read where it lies: objects are found through the list's own tables and
// each value is decoded when it is asked for, so opening builds no tree of the whole archive.
// Used only for lists the general reader would take whole and whose top has the archive's
// shape; anything else goes the general way, which says what is wrong.
class KeyedUnarchiver::InPlace {
public:
    using Reader = BinaryPropertyListReader;
    static constexpr quint64 kNone = Reader::kNone;

    static std::unique_ptr<InPlace> open(const QByteArray& data)
    {
        static const QByteArray magic = QByteArrayLiteral("bplist00");
        // One walk checks both the structure and that the reader takes every value.
        bool plain = false;
        if (!data.startsWith(magic) || quint64(data.size()) > std::numeric_limits<uint32_t>::max()
            || !binaryPropertyListStructureProblem(data, &plain).isEmpty() || !plain)
            return nullptr;
        auto inPlace = std::make_unique<InPlace>();
        inPlace->data = data;
        inPlace->reader = Reader::inPlace(inPlace->data, kMaxPropertyListDepth, true);
        if (!inPlace->reader)
            return nullptr;
        Reader& r = *inPlace->reader;
        const quint64 root = r.topObject();
        if (r.typeOf(root) != Reader::Dictionary)
            return nullptr;
        const quint64 archiver = r.valueForKey(root, archive::kArchiverKey);
        const quint64 version = r.valueForKey(root, archive::kVersionKey);
        inPlace->top = r.valueForKey(root, archive::kTopKey);
        inPlace->objects = r.valueForKey(root, archive::kObjectsKey);
        if (archiver == kNone || !r.isString(archiver) || r.stringOf(archiver) != KeyedArchiver::kArchiverName
            || version == kNone || r.typeOf(version) != Reader::Integer || r.integerOf(version) != KeyedArchiver::kVersion
            || inPlace->top == kNone || r.typeOf(inPlace->top) != Reader::Dictionary
            || inPlace->objects == kNone || r.typeOf(inPlace->objects) != Reader::Array)
            return nullptr;
        inPlace->objectCount = r.countOf(inPlace->objects);
        if (inPlace->objectCount == 0)
            return nullptr;
        const quint64 first = r.elementOf(inPlace->objects, 0);
        if (!r.isString(first) || r.stringOf(first) != archive::kNull)
            return nullptr;
        return inPlace;
    }

    // Where the value under `key` lies in the object being decoded, or at the top; kNone.
    quint64 valueFor(const KeyedUnarchiver& unarchiver, const QString& key) const
    {
        if (unarchiver.m_frames.empty())
            return reader->valueForKey(top, archive::storedKey(key));
        const quint64 record = unarchiver.m_frames.back().record;
        if (record == 0)
            return kNone;
        const quint32 id = idOfKey(key);
        return id == kNoKey ? kNone : fieldValue(record - 1, id);
    }

    // The fields of an object's dictionary are read once, when its decoding starts, as pairs of
    // key number and value: every key text has one number, so looking a key up compares numbers
    // instead of strings. The fields of the objects being decoded lie in `fields` one after the
    // other, innermost last; each run starts with an entry holding its length.
    struct Field {
        quint32 key;
        quint64 value;
    };
    static constexpr quint32 kNoKey = ~quint32(0);

    // Reads `dictionary`'s fields after those of the innermost object being decoded, if any;
    // answers where they start. A frame's `record` is that place + 1 (0: no fields to read).
    quint64 readFields(const KeyedUnarchiver& unarchiver, quint64 dictionary)
    {
        size_t end = 0;
        if (!unarchiver.m_frames.empty() && unarchiver.m_frames.back().record != 0) {
            const size_t parent = size_t(unarchiver.m_frames.back().record - 1);
            end = parent + 1 + size_t(fields[parent].value);
        }
        fields.resize(end + 1);
        reader->forEachEntry(dictionary, [&](quint64 key, quint64 value) { fields.push_back(Field{idOfKeyObject(key), value}); });
        fields[end] = Field{0, quint64(fields.size() - end - 1)};
        return end;
    }

    // The value of the field `key` in the run at `begin`, the last one when a key repeats.
    quint64 fieldValue(quint64 begin, quint32 key) const
    {
        const Field* first = fields.data() + begin + 1;
        for (const Field* field = first + fields[size_t(begin)].value; field-- != first;)
            if (field->key == key)
                return field->value;
        return kNone;
    }

    // The number of a key text as stored (escaped), kNoKey when no object read so far has it.
    quint32 idOfStoredKey(const QString& stored) const { return keyIds.value(stored, kNoKey); }

    // The number of a key as the decoding classes name it. Classes ask with the same few
    // strings over and over, so the answers are kept by where the string's text lies (the
    // kept copy holds that text, so no other string can take its place meanwhile).
    quint32 idOfKey(const QString& key) const
    {
        const size_t home = size_t((quintptr(key.constData()) * 0x9E3779B97F4A7C15ull) >> 32) % kRecentKeys;
        Recent* slot = nullptr;
        for (size_t probe = 0; probe < kRecentProbes; ++probe) {
            Recent& recent = recentKeys[(home + probe) % kRecentKeys];
            if (recent.key.constData() == key.constData() && recent.key == key) {
                // A key not met yet may be met in a later object: that answer holds while no
                // key is added.
                if (recent.id != kNoKey || recent.known == keyIds.size())
                    return recent.id;
                slot = &recent;
                break;
            }
            if (!slot && recent.known < 0)
                slot = &recent;
        }
        const quint32 id = idOfStoredKey(archive::storedKey(key));
        if (!slot)
            slot = &recentKeys[home];
        *slot = Recent{key, id, keyIds.size()};
        return id;
    }

    quint32 idOfKeyObject(quint64 object)
    {
        // Archives mostly share one string object per key text, so few objects are met here
        // and the last ones are kept at hand; longer keys are written anew in every object and
        // are known by their bytes instead.
        RecentObject& recent = recentKeyObjects[object % kRecentKeyObjects];
        if (recent.object == object)
            return recent.id;
        if (const auto known = keyObjects.constFind(object); known != keyObjects.constEnd()) {
            recent = RecentObject{object, *known};
            return *known;
        }
        const std::string_view bytes = reader->bytesOf(object);
        const bool shared = bytes.size() <= kLongestSharedKey;
        if (!shared)
            if (const auto known = longKeys.find(bytes); known != longKeys.end())
                return known->second;
        const QString text = reader->stringOf(object);
        auto id = keyIds.constFind(text);
        if (id == keyIds.constEnd())
            id = keyIds.insert(text, quint32(keyIds.size()));
        if (shared) {
            keyObjects.insert(object, *id);
            recent = RecentObject{object, *id};
        } else {
            longKeys.emplace(bytes, *id);
        }
        return *id;
    }

    // The unarchiver's answer for a class entry, the last ones kept at hand: every object asks.
    Class* classOfClassEntry(KeyedUnarchiver& unarchiver, quint64 entry)
    {
        RecentClass& recent = recentClasses[entry % kRecentClasses];
        if (recent.entry != entry)
            recent = RecentClass{entry, unarchiver.classOfClassEntry(entry)};
        return recent.cls;
    }

    // What valueFromStored makes of the value at `at`, read from where it lies: lists and
    // dictionaries are walked in place rather than built first as a tree of stored values.
    QVariant valueAt(KeyedUnarchiver& unarchiver, quint64 at)
    {
        switch (reader->typeOf(at)) {
        case Reader::Uid:
            return toVariant(unarchiver.objectForReference(QVariant::fromValue(PlistUID{reader->uidOf(at)}),
                                                           &Object::staticClass()));
        case Reader::Array: {
            const quint64 count = reader->countOf(at);
            QVariantList value;
            value.reserve(qsizetype(count));
            for (quint64 i = 0; i < count; ++i)
                value.append(valueAt(unarchiver, reader->elementOf(at, i)));
            return value;
        }
        case Reader::Dictionary: {
            // As the stored map: the last of a repeated key, then walked in the order of stored keys.
            QMap<QString, quint64> stored;
            reader->forEachEntry(at, [&](quint64 key, quint64 item) { stored.insert(reader->stringOf(key), item); });
            QVariantMap value;
            for (auto it = stored.cbegin(); it != stored.cend(); ++it)
                value.insert(archive::keyFromStored(it.key()), valueAt(unarchiver, it.value()));
            return value;
        }
        default:
            return reader->valueOf(at);
        }
    }

    // The reals of a point, size or rectangle, stored as a list of `count` numbers.
    bool reals(quint64 at, int count, double* out) const
    {
        if (at == kNone || reader->typeOf(at) != Reader::Array || reader->countOf(at) != quint64(count))
            return false;
        for (int i = 0; i < count; ++i) {
            const quint64 item = reader->elementOf(at, quint64(i));
            if (!isNumber(item))
                return false;
            out[i] = number(item);
        }
        return true;
    }

    bool isNumber(quint64 at) const
    {
        return at != kNone && (reader->typeOf(at) == Reader::Integer || reader->typeOf(at) == Reader::Real);
    }
    double number(quint64 at) const
    {
        return reader->typeOf(at) == Reader::Integer ? double(reader->integerOf(at)) : reader->realOf(at);
    }

    QByteArray data; // what the reader reads, kept alive
    std::unique_ptr<Reader> reader;
    std::vector<Field> fields;
    QHash<QString, quint32> keyIds;
    QHash<quint64, quint32> keyObjects;
    static constexpr size_t kLongestSharedKey = 31;
    std::unordered_map<std::string_view, quint32> longKeys; // by the bytes that hold them
    struct RecentObject {
        quint64 object = kNone;
        quint32 id = kNoKey;
    };
    static constexpr size_t kRecentKeyObjects = 1024;
    struct RecentClass {
        quint64 entry = kNone;
        Class* cls = nullptr;
    };
    static constexpr size_t kRecentClasses = 64;
    RecentClass recentClasses[kRecentClasses];
    RecentObject recentKeyObjects[kRecentKeyObjects];
    struct Recent {
        QString key;
        quint32 id = kNoKey;
        qsizetype known = -1; // keyIds.size() when this was found
    };
    static constexpr size_t kRecentKeys = 512;
    static constexpr size_t kRecentProbes = 8;
    mutable Recent recentKeys[kRecentKeys];
    quint64 top = 0;
    quint64 objects = 0;
    quint64 objectCount = 0;
};

Ref<Object> KeyedUnarchiver::unarchiveObject(const QByteArray& data, Error* error)
{
    return unarchive(data, nullptr, error);
}

Ref<Object> KeyedUnarchiver::unarchiveObjectOfClass(const QByteArray& data, const Class& cls, Error* error)
{
    return unarchive(data, &cls, error);
}

Ref<Object> KeyedUnarchiver::unarchive(const QByteArray& data, const Class* cls, Error* error)
{
    KeyedUnarchiver unarchiver(data, error);
    if (!unarchiver.isValid())
        return nullptr;
    QVariant root;
    if (const InPlace* inPlace = unarchiver.m_inPlace.get()) {
        const quint64 at = inPlace->valueFor(unarchiver, KeyedArchiver::kRootKey);
        if (at != InPlace::kNone)
            root = inPlace->reader->valueOf(at);
    } else {
        root = unarchiver.m_top.value(KeyedArchiver::kRootKey);
    }
    if (!isUid(root)) {
        fail(error, coderError(kErrorCoderRead, root.isValid() ? QStringLiteral("its root is not an object reference")
                                                               : QStringLiteral("it has no root object")));
        return nullptr;
    }
    Ref<Object> object = cls ? unarchiver.decodeObjectOfClass(*cls, KeyedArchiver::kRootKey)
                             : unarchiver.decodeObjectForKey(KeyedArchiver::kRootKey);
    unarchiver.finishDecoding();
    if (!unarchiver.error().isNull()) {
        fail(error, unarchiver.error());
        return nullptr;
    }
    if (cls && !object) {
        // Nil because the root is of another class, not because it decoded to nil.
        const quint64 uid = root.value<PlistUID>().value;
        const bool otherClass = uid != 0 && uid < unarchiver.m_entries.size()
            && (unarchiver.m_entries[uid].state == State::Unvisited || unarchiver.m_entries[uid].object);
        if (otherClass) {
            fail(error, Error::make(kPFFoundationErrorDomain, kErrorCoderInvalidValue,
                                    QStringLiteral("The archive couldn't be read: its root object is not a %1.").arg(cls->name())));
        }
    }
    return object;
}

KeyedUnarchiver::KeyedUnarchiver(const QByteArray& data, Error* error)
{
    m_inPlace = InPlace::open(data);
    if (m_inPlace) {
        // One entry per object the data holds, so memory stays proportional to the input.
        m_entries.resize(size_t(m_inPlace->objectCount));
        m_valid = true;
        return;
    }
    Error readError;
    const QVariant plist = PropertyList::value(data, nullptr, &readError);
    if (!readError.isNull()) {
        m_error = Error(kPFFoundationErrorDomain, kErrorCoderRead,
                        {{NSLocalizedDescriptionKey, QStringLiteral("The archive couldn't be read: %1")
                                                         .arg(readError.localizedDescription())},
                         {NSUnderlyingErrorKey, QVariant::fromValue(readError)}});
        fail(error, m_error);
        return;
    }
    if (const QString problem = adopt(plist); !problem.isEmpty()) {
        failed(kErrorCoderRead, problem);
        fail(error, m_error);
        return;
    }
    m_valid = true;
}

KeyedUnarchiver::~KeyedUnarchiver()
{
    if (!m_error.isNull() || isCancelled())
        releaseCycles();
}

void KeyedUnarchiver::releaseCycles()
{
    // Each holder is read again with nothing to read, which sets every reference it took to
    // nil (the contract of initWithCoder for missing values).
    std::vector<Ref<Object>> holders;
    holders.swap(m_cycleHolders);
    m_entries.clear();
    m_objects.clear();
    for (const Ref<Object>& holder : holders) {
        auto* coding = dynamic_cast<Coding*>(holder.get());
        if (!coding)
            continue;
        m_frames.push_back(Frame{QVariantMap(), 0});
        try {
            coding->initWithCoder(*this);
        } catch (...) {
            // Its references may stay; nothing else can be done for it here.
        }
        m_frames.pop_back();
    }
}

QString KeyedUnarchiver::adopt(const QVariant& plist)
{
    if (plist.typeId() != QMetaType::QVariantMap)
        return QStringLiteral("it is not a dictionary");
    const QVariantMap archive = plist.toMap();
    const QVariant archiver = archive.value(archive::kArchiverKey);
    if (archiver.typeId() != QMetaType::QString || archiver.toString() != KeyedArchiver::kArchiverName)
        return QStringLiteral("it was not written by %1").arg(KeyedArchiver::kArchiverName);
    const QVariant version = archive.value(archive::kVersionKey);
    if (!isInteger(version) || version.toLongLong() != KeyedArchiver::kVersion)
        return QStringLiteral("its version is not %1").arg(KeyedArchiver::kVersion);
    const QVariant top = archive.value(archive::kTopKey);
    if (top.typeId() != QMetaType::QVariantMap)
        return QStringLiteral("it has no top-level dictionary");
    const QVariant objects = archive.value(archive::kObjectsKey);
    if (objects.typeId() != QMetaType::QVariantList)
        return QStringLiteral("it has no list of objects");
    const QVariantList list = objects.toList();
    if (list.isEmpty() || list.first() != QVariant(archive::kNull))
        return QStringLiteral("its list of objects does not begin with %1").arg(archive::kNull);
    m_objects = list;
    // One entry per object the data holds, so memory stays proportional to the input.
    m_entries.resize(size_t(m_objects.size()));
    m_top = top.toMap();
    return {};
}

std::nullptr_t KeyedUnarchiver::failed(int code, const QString& problem)
{
    if (m_error.isNull())
        m_error = coderError(code, problem);
    return nullptr;
}

template <class F>
auto KeyedUnarchiver::guarded(F&& decode) -> decltype(decode())
{
    // Calls from inside initWithCoder belong to the outermost call, which catches for them.
    if (!m_frames.empty())
        return decode();
    if (!m_valid)
        return {};
    try {
        if (!m_started) {
            m_started = true;
            if (m_delegate)
                m_delegate->unarchiverWillStart(*this);
        }
        auto result = decode();
        // Objects decoded after the cancel are nil, so what the call would answer is incomplete.
        if (isCancelled()) {
            failed(kErrorCancelled, QStringLiteral("decoding was cancelled"));
            return {};
        }
        return result;
    } catch (const std::exception& exception) {
        recordException(exception);
        return {};
    }
}

void KeyedUnarchiver::abandon(quint64 uid)
{
    // An unfinished object: nothing may answer it later, even when a caller goes on.
    m_frames.pop_back();
    m_entries[uid] = Entry{State::Failed, nullptr};
}

void KeyedUnarchiver::recordException(const std::exception& exception)
{
    const auto* raised = dynamic_cast<const Exception*>(&exception);
    const QString what = raised ? raised->name() + QStringLiteral(": ") + raised->reason()
                                : QString::fromUtf8(exception.what());
    failed(kErrorCoderInvalidValue, QStringLiteral("decoding raised %1").arg(what));
}

const QVariant* KeyedUnarchiver::valueForKey(const QString& key) const
{
    const QVariantMap& fields = m_frames.empty() ? m_top : m_frames.back().fields;
    auto it = fields.constFind(archive::storedKey(key));
    return it == fields.constEnd() ? nullptr : &*it;
}

bool KeyedUnarchiver::containsValueForKey(const QString& key) const
{
    if (m_inPlace)
        return m_inPlace->valueFor(*this, key) != InPlace::kNone;
    return valueForKey(key) != nullptr;
}

Ref<Object> KeyedUnarchiver::decodeObjectForKey(const QString& key)
{
    return decodeObjectOfClass(Object::staticClass(), key);
}

Ref<Object> KeyedUnarchiver::decodeObjectOfClass(const Class& cls, const QString& key)
{
    return guarded([&]() -> Ref<Object> {
        if (m_inPlace) {
            const quint64 at = m_inPlace->valueFor(*this, key);
            if (at == InPlace::kNone || m_inPlace->reader->typeOf(at) != BinaryPropertyListReader::Uid)
                return nullptr;
            return objectForReference(QVariant::fromValue(PlistUID{m_inPlace->reader->uidOf(at)}), &cls);
        }
        const QVariant* value = valueForKey(key);
        if (!value)
            return nullptr;
        const QVariant reference = *value; // the fields it lies in may move while decoding
        return objectForReference(reference, &cls);
    });
}

QVariant KeyedUnarchiver::decodePropertyListValue(const QString& key)
{
    return guarded([&]() -> QVariant {
        if (m_inPlace) {
            const quint64 at = m_inPlace->valueFor(*this, key);
            return at == InPlace::kNone ? QVariant() : m_inPlace->valueAt(*this, at);
        }
        const QVariant* value = valueForKey(key);
        if (!value)
            return QVariant();
        const QVariant stored = *value;
        return valueFromStored(stored);
    });
}

QVariant KeyedUnarchiver::valueFromStored(const QVariant& stored)
{
    if (isUid(stored))
        return toVariant(objectForReference(stored, &Object::staticClass()));
    if (stored.typeId() == QMetaType::QVariantMap) {
        const QVariantMap map = stored.toMap();
        QVariantMap value;
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            value.insert(archive::keyFromStored(it.key()), valueFromStored(it.value()));
        return value;
    }
    if (stored.typeId() == QMetaType::QVariantList) {
        const QVariantList list = stored.toList();
        QVariantList value;
        value.reserve(list.size());
        for (const QVariant& item : list)
            value.append(valueFromStored(item));
        return value;
    }
    return stored;
}

Ref<Object> KeyedUnarchiver::objectForReference(const QVariant& reference, const Class* required)
{
    if (!isUid(reference))
        return nullptr;
    const quint64 uid = reference.value<PlistUID>().value;
    if (uid == 0)
        return nullptr;
    if (uid >= m_entries.size())
        return failed(kErrorCoderRead, QStringLiteral("a reference (%1) lies outside its %2 objects").arg(uid).arg(m_entries.size()));

    const Entry& entry = m_entries[uid];
    switch (entry.state) {
    case State::Done:
        return entry.object && entry.object->isKindOf(*required) ? entry.object : nullptr;
    case State::Decoding: // a cycle: the instance being decoded
        if (!entry.object || !entry.object->isKindOf(*required))
            return nullptr;
        if (!m_frames.empty())
            if (const Ref<Object>& holder = m_entries[m_frames.back().uid].object;
                holder && (m_cycleHolders.empty() || m_cycleHolders.back() != holder))
                m_cycleHolders.push_back(holder);
        return entry.object;
    case State::Failed:
        return nullptr;
    case State::Unvisited:
        break;
    }
    if (isCancelled())
        return failed(kErrorCancelled, QStringLiteral("decoding was cancelled"));
    if (m_frames.size() >= size_t(kMaxDepth))
        return failed(kErrorCoderRead, QStringLiteral("its objects nest deeper than %1 levels").arg(kMaxDepth));
    if (stackIsNearlyFull())
        return failed(kErrorCoderRead, QStringLiteral("its objects nest too deeply (%1 levels) for the stack").arg(m_frames.size()));

    QVariantMap fields;
    QVariant classReference;
    quint64 record = 0;
    if (m_inPlace) {
        const BinaryPropertyListReader& reader = *m_inPlace->reader;
        const quint64 at = reader.elementOf(m_inPlace->objects, uid);
        if (reader.typeOf(at) != BinaryPropertyListReader::Dictionary) {
            m_entries[uid].state = State::Failed;
            return failed(kErrorCoderRead, QStringLiteral("object %1 is not a dictionary").arg(uid));
        }
        const quint64 begin = m_inPlace->readFields(*this, at);
        const quint32 classKey = m_inPlace->idOfStoredKey(archive::kClassKey);
        const quint64 classAt = classKey == InPlace::kNoKey ? InPlace::kNone : m_inPlace->fieldValue(begin, classKey);
        if (classAt != InPlace::kNone && reader.typeOf(classAt) == BinaryPropertyListReader::Uid)
            classReference = QVariant::fromValue(PlistUID{reader.uidOf(classAt)});
        record = begin + 1;
    } else {
        const QVariant& object = m_objects.at(qsizetype(uid));
        if (object.typeId() != QMetaType::QVariantMap) {
            m_entries[uid].state = State::Failed;
            return failed(kErrorCoderRead, QStringLiteral("object %1 is not a dictionary").arg(uid));
        }
        fields = object.toMap();
        classReference = fields.value(archive::kClassKey);
    }
    Class* cls = nullptr;
    if (isUid(classReference)) {
        const quint64 classUid = classReference.value<PlistUID>().value;
        cls = m_inPlace ? m_inPlace->classOfClassEntry(*this, classUid) : classOfClassEntry(classUid);
    }
    if (!cls) {
        m_entries[uid].state = State::Failed;
        if (!isUid(classReference))
            failed(kErrorCoderRead, QStringLiteral("object %1 has no class").arg(uid));
        return nullptr;
    }
    // Decoding by class never makes an object of another class.
    if (!cls->isSubclassOf(*required))
        return nullptr;
    Ref<Object> decoded = decodeEntry(uid, fields, record, cls);
    return decoded && decoded->isKindOf(*required) ? decoded : nullptr;
}

Ref<Object> KeyedUnarchiver::decodeEntry(quint64 uid, const QVariantMap& fields, quint64 record, Class* cls)
{
    const Ref<Object> object = cls->create();
    auto* coding = dynamic_cast<Coding*>(object.get());
    if (!coding) {
        m_entries[uid].state = State::Failed;
        return failed(kErrorCoderInvalidValue, QStringLiteral("the class “%1” made no archivable instance").arg(cls->name()));
    }
    m_entries[uid] = Entry{State::Decoding, object};
    m_frames.push_back(Frame{fields, uid, record});
    Ref<Object> result;
    try {
        coding->initWithCoder(*this);
        m_decodedCount.fetch_add(1, std::memory_order_relaxed);
        result = coding->awakeAfterUsingCoder(*this);
        if (m_delegate && result)
            result = m_delegate->didDecodeObject(*this, result);
    } catch (const std::exception& exception) {
        abandon(uid);
        recordException(exception);
        throw;
    } catch (...) {
        abandon(uid);
        throw;
    }
    m_frames.pop_back();
    m_entries[uid] = Entry{State::Done, result};
    return result;
}

Class* KeyedUnarchiver::classOfClassEntry(quint64 classUid)
{
    auto known = m_classes.constFind(classUid);
    if (known != m_classes.constEnd())
        return *known;

    // A class entry that fails is remembered as failing, so its error is reported once.
    auto resolve = [&]() -> Class* {
        if (classUid == 0 || classUid >= m_entries.size())
            return failed(kErrorCoderRead, QStringLiteral("a class reference (%1) lies outside its objects").arg(classUid));
        const QVariant entry = m_inPlace ? m_inPlace->reader->valueOf(m_inPlace->reader->elementOf(m_inPlace->objects, classUid))
                                         : m_objects.at(qsizetype(classUid));
        const QVariantMap description = entry.typeId() == QMetaType::QVariantMap ? entry.toMap() : QVariantMap();
        const QVariant name = description.value(archive::kClassNameKey);
        const QVariant classes = description.value(archive::kClassesKey);
        if (name.typeId() != QMetaType::QString || name.toString().isEmpty() || classes.typeId() != QMetaType::QVariantList)
            return failed(kErrorCoderRead, QStringLiteral("entry %1 is not a class description").arg(classUid));
        QStringList classNames;
        for (const QVariant& item : classes.toList()) {
            if (item.typeId() != QMetaType::QString)
                return failed(kErrorCoderRead, QStringLiteral("entry %1 is not a class description").arg(classUid));
            classNames.append(item.toString());
        }

        const QString className = name.toString();
        Class* cls = m_classSubstitutions.value(className);
        if (!cls)
            cls = globalClassForClassName(className);
        if (!cls)
            cls = Class::named(className);
        if (!cls && m_delegate)
            cls = m_delegate->cannotDecodeObjectOfClassName(*this, className, classNames);
        if (!cls)
            return failed(kErrorCoderInvalidValue, QStringLiteral("the class “%1” is unknown").arg(className));
        if (!Coding::isArchivable(*cls))
            return failed(kErrorCoderInvalidValue, QStringLiteral("the class “%1” cannot be unarchived").arg(cls->name()));
        return cls;
    };
    Class* cls = resolve();
    m_classes.insert(classUid, cls);
    return cls;
}

bool KeyedUnarchiver::decodeBool(const QString& key) const
{
    if (m_inPlace) {
        const quint64 at = m_inPlace->valueFor(*this, key);
        if (at == InPlace::kNone)
            return false;
        const auto type = m_inPlace->reader->typeOf(at);
        if (type == BinaryPropertyListReader::Boolean)
            return m_inPlace->reader->booleanOf(at);
        return type == BinaryPropertyListReader::Integer && m_inPlace->reader->integerOf(at) != 0;
    }
    const QVariant* value = valueForKey(key);
    if (!value)
        return false;
    if (value->typeId() == QMetaType::Bool)
        return value->toBool();
    return isInteger(*value) && value->toLongLong() != 0;
}

qint64 KeyedUnarchiver::decodeInt64(const QString& key) const
{
    if (m_inPlace) {
        const quint64 at = m_inPlace->valueFor(*this, key);
        return at != InPlace::kNone && m_inPlace->reader->typeOf(at) == BinaryPropertyListReader::Integer
            ? m_inPlace->reader->integerOf(at)
            : 0;
    }
    const QVariant* value = valueForKey(key);
    return value && value->typeId() == QMetaType::LongLong ? value->toLongLong() : 0;
}

qint32 KeyedUnarchiver::decodeInt32(const QString& key) const
{
    const qint64 value = decodeInt64(key);
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return 0;
    return qint32(value);
}

double KeyedUnarchiver::decodeDouble(const QString& key) const
{
    if (m_inPlace) {
        const quint64 at = m_inPlace->valueFor(*this, key);
        return m_inPlace->isNumber(at) ? m_inPlace->number(at) : 0.0;
    }
    const QVariant* value = valueForKey(key);
    return value && isStoredNumber(*value) ? value->toDouble() : 0.0;
}

float KeyedUnarchiver::decodeFloat(const QString& key) const
{
    return float(decodeDouble(key));
}

QString KeyedUnarchiver::decodeString(const QString& key) const
{
    if (m_inPlace) {
        const quint64 at = m_inPlace->valueFor(*this, key);
        return at != InPlace::kNone && m_inPlace->reader->isString(at) ? m_inPlace->reader->stringOf(at) : QString();
    }
    const QVariant* value = valueForKey(key);
    return value && value->typeId() == QMetaType::QString ? value->toString() : QString();
}

QByteArray KeyedUnarchiver::decodeData(const QString& key) const
{
    if (m_inPlace) {
        const quint64 at = m_inPlace->valueFor(*this, key);
        return at != InPlace::kNone && m_inPlace->reader->typeOf(at) == BinaryPropertyListReader::Data
            ? m_inPlace->reader->dataOf(at)
            : QByteArray();
    }
    const QVariant* value = valueForKey(key);
    return value && value->typeId() == QMetaType::QByteArray ? value->toByteArray() : QByteArray();
}

QByteArray KeyedUnarchiver::decodeBytes(const QString& key) const
{
    return decodeData(key);
}

QPointF KeyedUnarchiver::decodePoint(const QString& key) const
{
    double v[2];
    const bool read = m_inPlace ? m_inPlace->reals(m_inPlace->valueFor(*this, key), 2, v) : realsOf(valueForKey(key), 2, v);
    return read ? QPointF(v[0], v[1]) : QPointF();
}

QSizeF KeyedUnarchiver::decodeSize(const QString& key) const
{
    double v[2];
    const bool read = m_inPlace ? m_inPlace->reals(m_inPlace->valueFor(*this, key), 2, v) : realsOf(valueForKey(key), 2, v);
    return read ? QSizeF(v[0], v[1]) : QSizeF(0, 0);
}

QRectF KeyedUnarchiver::decodeRect(const QString& key) const
{
    double v[4];
    const bool read = m_inPlace ? m_inPlace->reals(m_inPlace->valueFor(*this, key), 4, v) : realsOf(valueForKey(key), 4, v);
    return read ? QRectF(v[0], v[1], v[2], v[3]) : QRectF();
}

void KeyedUnarchiver::finishDecoding()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_delegate)
        m_delegate->unarchiverDidFinish(*this);
}

void KeyedUnarchiver::setClass(Class* cls, const QString& name)
{
    if (cls)
        m_classSubstitutions.insert(name, cls);
    else
        m_classSubstitutions.remove(name);
}

void KeyedUnarchiver::setClassForClassName(Class* cls, const QString& name)
{
    QWriteLocker lock(&globalSubstitutionsLock());
    if (cls)
        globalSubstitutions().insert(name, cls);
    else
        globalSubstitutions().remove(name);
}

} // namespace pf
