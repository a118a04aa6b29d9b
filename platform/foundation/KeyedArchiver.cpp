#include "platform/foundation/KeyedArchiver.h"

#include "platform/foundation/BinaryPropertyListWriter.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/HugePages.h"

#include <QDateTime>
#include <QReadWriteLock>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>

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

// Counts changes to the class-wide names, so that an archiver may keep what it looked up.
std::atomic<quint64> globalNamesGeneration{1};

QVariant uid(quint64 value)
{
    return QVariant::fromValue(PlistUID{value});
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

namespace {

constexpr size_t kHugePage = size_t(2) * 1024 * 1024;

// Memory for a large table, freed with std::free; large amounts are asked for in huge pages,
// as first touching memory page by page is slow.
void* allocateTable(size_t bytes)
{
    void* memory = nullptr;
    if (bytes >= 2 * kHugePage) {
        memory = std::aligned_alloc(kHugePage, (bytes + kHugePage - 1) & ~(kHugePage - 1));
        if (memory)
            adviseHugePages(memory, bytes);
    } else {
        memory = std::malloc(bytes);
    }
    if (!memory)
        throw std::bad_alloc();
    return memory;
}

// A growing list kept in blocks, each twice the size of the one before, so that growing never
// copies what it holds, nor touches fresh memory twice; large archives hold millions of fields.
// Large blocks are asked for in huge pages: first touching memory page by page is slow.
template <class T>
class Blocks {
public:
    Blocks() = default;
    ~Blocks() { clear(); }
    Blocks(const Blocks&) = delete;
    Blocks& operator=(const Blocks&) = delete;

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T& operator[](size_t i)
    {
        const Place place = placeOf(i);
        return m_blocks[place.block][place.offset];
    }
    const T& operator[](size_t i) const
    {
        const Place place = placeOf(i);
        return m_blocks[place.block][place.offset];
    }
    template <class... Arguments>
    T& emplace_back(Arguments&&... arguments)
    {
        const Place place = placeOf(m_size);
        if (!m_blocks[place.block])
            m_blocks[place.block] = allocate(place.block);
        T* item = new (m_blocks[place.block] + place.offset) T(std::forward<Arguments>(arguments)...);
        ++m_size;
        return *item;
    }
    void push_back(T item) { emplace_back(std::move(item)); }
    void clear()
    {
        if constexpr (!std::is_trivially_destructible_v<T>) {
            for (size_t i = 0; i < m_size; ++i)
                (*this)[i].~T();
        }
        for (T*& block : m_blocks) {
            std::free(block);
            block = nullptr;
        }
        m_size = 0;
    }

private:
    static constexpr size_t kFirstShift = 8; // the first block holds 256 items
    struct Place {
        size_t block;
        size_t offset;
    };
    static Place placeOf(size_t i)
    {
        const size_t shifted = i + (size_t(1) << kFirstShift);
        const size_t top = size_t(63 - __builtin_clzll(quint64(shifted)));
        return {top - kFirstShift, shifted - (size_t(1) << top)};
    }
    static T* allocate(size_t block) { return static_cast<T*>(allocateTable(sizeof(T) << (kFirstShift + block))); }

    T* m_blocks[48] = {};
    size_t m_size = 0;
};

// Copies of small runs of bytes, one after the other in large chunks, so that each costs no
// allocation of its own. They stay where they are until cleared.
class ByteArena {
public:
    ByteArena() = default;
    ~ByteArena() { clear(); }
    ByteArena(const ByteArena&) = delete;
    ByteArena& operator=(const ByteArena&) = delete;

    const char* copy(const char* bytes, size_t size)
    {
        if (size > m_left) {
            const size_t chunk = std::max(size, m_nextChunk);
            m_nextChunk = std::min(2 * m_nextChunk, size_t(64) * 1024 * 1024);
            m_at = static_cast<char*>(allocateTable(chunk));
            m_chunks.push_back(m_at);
            m_left = chunk;
        }
        char* copied = m_at;
        if (size > 0)
            std::memcpy(copied, bytes, size);
        m_at += size;
        m_left -= size;
        return copied;
    }
    void clear()
    {
        for (char* chunk : m_chunks)
            std::free(chunk);
        m_chunks.clear();
        m_at = nullptr;
        m_left = 0;
        m_nextChunk = kFirstChunk;
    }

private:
    static constexpr size_t kFirstChunk = 16 * 1024;
    std::vector<char*> m_chunks;
    char* m_at = nullptr;
    size_t m_left = 0;
    size_t m_nextChunk = kFirstChunk;
};

} // namespace

// What has been encoded: each object a run of fields, a field a stored key (by number) and a
// small value. Strings, data, property-list values and the reals of points, sizes and
// rectangles lie in side tables, so that a field takes 16 bytes and no allocation of its own.
struct KeyedArchiver::State {
    enum class Kind : quint8 { Bool, Integer, Real, String, Data, Reals, Uid, Conditional, Value, Uids, Bytes };
    // Plain data, so that a block of fields is not written before it is used.
    struct Field {
        quint32 key; // in `keys`
        Kind kind;
        quint8 count; // of reals
        union {
            quint64 uid;
            bool boolean;
            qint64 integer;
            double real;
            size_t index; // into strings, data, values, conditionals or reals
        };
    };
    using Run = Blocks<Field>;
    // An entry of "$objects": "$null", an object (a run of fields) or a class description.
    struct Entry {
        enum class Kind : quint8 { Null, Object, Class, Unfinished } kind = Kind::Unfinished;
        size_t first = 0; // the first field, or the class description
        size_t count = 0;
    };
    struct Pending {
        Object* object; // kept alive by its entry in `knownObjects`
        const Coding* coding; // the same object
        quint64 uid;
    };
    struct Conditional {
        Ref<Object> object;
        quint64 resolved = 0; // the UID written, once encoding finished
    };
    // What is known of an object: as an object met, its replacement (asked once); as an object
    // encoded, its UID. One table for both, so that most objects cost one lookup. The entry
    // keeps the object alive, so that addresses stay unique while encoding.
    struct Known {
        Ref<Object> object;
        Ref<Object> replacement; // when asked and not replaced by itself; null encodes nil
        quint64 uid = 0; // 0 until encoded ("$null" has UID 0)
        bool asked = false;
        bool replacedBySelf = false;
    };
    static constexpr size_t kUnknown = ~size_t(0);
    // The last key met at a place in a small table by the address of its characters: keys are
    // nearly always the same few constant strings.
    struct RecentKey {
        const QChar* characters = nullptr;
        quint32 key = 0;
    };

    // Keys a run holds before duplicates are looked for in a set instead of one by one.
    static constexpr size_t kKeysScannedInTurn = 24;
    static constexpr size_t kRecentKeys = 256;

    // Stored keys by number; `keys` keeps each alive, so a place in `recentKeys` that matches
    // the characters of the key it names is that key.
    std::vector<QString> keys;
    QHash<QString, quint32> keyNumbers;
    RecentKey recentKeys[kRecentKeys];

    Run fields; // the objects' fields, each object's in one run
    Run topFields;
    Blocks<Entry> entries;
    Blocks<QString> strings;
    Blocks<QByteArray> data;
    Blocks<QVariant> values;
    Blocks<double> reals;
    Blocks<quint64> uidLists; // each list its length, then its UIDs
    struct ByteRun {
        const char* bytes; // in `byteArena`
        qsizetype size;
    };
    Blocks<ByteRun> byteRuns;
    ByteArena byteArena;
    std::vector<QVariantMap> classDescriptions;
    // Where values go: the top's fields, or the run of the object being encoded.
    Run* current = &topFields;
    size_t currentFirst = 0;
    quint64 currentUid = 0; // 0 for the top
    QSet<quint32> currentKeys; // the current run's keys, once it is long
    bool currentKeysFilled = false;

    Blocks<Pending> queue;
    size_t nextQueued = 0;
    bool encodingQueue = false;
    std::vector<Conditional> conditionals;
    // Known objects, found by address through an open-addressed table of their positions + 1
    // (0 for a free slot), a power of two in size and at most half full. Each slot keeps more of
    // its object's hash, so that a search seldom looks at an object it does not want.
    struct KnownSlot {
        quint32 position;
        quint32 tag;
    };
    Blocks<Known> knownObjects;
    std::vector<KnownSlot> knownSlots;
    QHash<std::pair<const Class*, QString>, quint64> classUids;
    // What a class was last written as: the name mapped for it (for as long as no mapping
    // changes), and the class entry of the name last written. Most objects of a drawing are of a
    // few classes, each met again and again; a place holds the class last met there.
    struct RecentClass {
        const Class* cls = nullptr;
        quint64 ownGeneration = 0;
        quint64 globalGeneration = 0;
        QString mapped;
        QString lastName;
        quint64 lastUid = 0;
    };
    static constexpr size_t kRecentClasses = 64;
    RecentClass recentClasses[kRecentClasses];
    quint64 ownNamesGeneration = 1;
    // Classes found archivable; a place holds the class last found there.
    const Class* archivableClasses[kRecentClasses] = {};
    bool finished = false;
    Error error;
    QByteArray archive;

    bool isAtTop() const { return current == &topFields; }
    void enter(Run* target, size_t first, quint64 uid)
    {
        current = target;
        currentFirst = first;
        currentUid = uid;
        currentKeys.clear();
        currentKeysFilled = false;
    }
    static quint64 hashOf(const Object* object) { return quint64(quintptr(object) >> 4) * Q_UINT64_C(0x9E3779B97F4A7C15); }
    size_t slotOf(quint64 hash) const { return size_t(hash >> 20) & (knownSlots.size() - 1); }
    static quint32 tagOf(quint64 hash) { return quint32(hash >> 32); }
    size_t findKnown(const Object* object) const
    {
        if (knownSlots.empty())
            return kUnknown;
        const quint64 hash = hashOf(object);
        for (size_t at = slotOf(hash);; at = (at + 1) & (knownSlots.size() - 1)) {
            const KnownSlot slot = knownSlots[at];
            if (slot.position == 0)
                return kUnknown;
            if (slot.tag == tagOf(hash) && knownObjects[slot.position - 1].object.get() == object)
                return slot.position - 1;
        }
    }
    void placeKnown(const Object* object, size_t position)
    {
        const quint64 hash = hashOf(object);
        size_t at = slotOf(hash);
        while (knownSlots[at].position != 0)
            at = (at + 1) & (knownSlots.size() - 1);
        knownSlots[at] = KnownSlot{quint32(position + 1), tagOf(hash)};
    }
    size_t addKnown(const Ref<Object>& object)
    {
        if (2 * (knownObjects.size() + 1) > knownSlots.size()) {
            const size_t slotCount = std::max<size_t>(1024, 2 * knownSlots.size());
            std::vector<KnownSlot> grown;
            grown.reserve(slotCount);
            adviseHugePages(grown.data(), slotCount * sizeof(KnownSlot));
            grown.resize(slotCount, KnownSlot{0, 0});
            knownSlots.swap(grown);
            for (size_t i = 0; i < knownObjects.size(); ++i)
                placeKnown(knownObjects[i].object.get(), i);
        }
        placeKnown(object.get(), knownObjects.size());
        Known known;
        known.object = object;
        knownObjects.push_back(std::move(known));
        return knownObjects.size() - 1;
    }
    quint32 numberOfKey(const QString& stored)
    {
        RecentKey& recent = recentKeys[(quintptr(stored.constData()) >> 4) % kRecentKeys];
        if (recent.characters == stored.constData() && keys[recent.key].constData() == stored.constData()
            && keys[recent.key].size() == stored.size())
            return recent.key;
        auto known = keyNumbers.constFind(stored);
        if (known == keyNumbers.constEnd()) {
            known = keyNumbers.insert(stored, quint32(keys.size()));
            keys.push_back(stored);
        }
        // Only a place this table keeps alive may be remembered.
        if (keys[*known].constData() == stored.constData())
            recent = RecentKey{stored.constData(), *known};
        return *known;
    }
    bool holdsKey(quint32 key)
    {
        const size_t count = current->size() - currentFirst;
        if (count < kKeysScannedInTurn) {
            for (size_t i = currentFirst; i < current->size(); ++i)
                if ((*current)[i].key == key)
                    return true;
            return false;
        }
        if (!currentKeysFilled) {
            currentKeys.reserve(qsizetype(2 * count));
            for (size_t i = currentFirst; i < current->size(); ++i)
                currentKeys.insert((*current)[i].key);
            currentKeysFilled = true;
        }
        return currentKeys.contains(key);
    }
    // A field under `key` in the current run; raises when the key is there already.
    Field& add(const QString& key, Kind kind)
    {
        if (finished)
            raise(NSInvalidArchiveOperationException,
                  QStringLiteral("encoding the key “%1” after the encoding finished").arg(key));
        const quint32 number = numberOfKey(archive::storedKey(key));
        // Two values under one key would lose one of them without a trace.
        if (holdsKey(number))
            raise(NSInvalidArchiveOperationException, QStringLiteral("the key “%1” is encoded twice in one object").arg(key));
        if (currentKeysFilled)
            currentKeys.insert(number);
        Field& field = current->emplace_back();
        field.key = number;
        field.kind = kind;
        return field;
    }
    void addReals(const QString& key, std::initializer_list<double> values)
    {
        Field& field = add(key, Kind::Reals);
        field.count = quint8(values.size());
        field.index = reals.size();
        for (const double value : values)
            reals.push_back(value);
    }

    QVariant variantOf(const Field& field) const;
    QVariant treeOfEntry(const Entry& entry) const;
    QVariantMap treeOfFields(const Run& run, size_t first, size_t count) const;
    QVariant tree() const;
    quint64 writeFields(BinaryPropertyListWriter& writer, const Run& run, size_t first, size_t count, int depth,
                        std::vector<quint64>& keyObjects, const std::vector<quint32>& rank,
                        std::vector<size_t>& order) const;
    quint64 writeField(BinaryPropertyListWriter& writer, const Field& field, int depth) const;
    QByteArray binary() const;

    QVariant storedValue(KeyedArchiver& archiver, const QVariant& value);
    quint64 referenceTo(KeyedArchiver& archiver, const Ref<Object>& object);
    quint64 classReferenceFor(const KeyedArchiver& archiver, const Object& object, const Coding& coding);
    static size_t placeOfClass(const Class* cls) { return (quintptr(cls) >> 4) % kRecentClasses; }
    bool isArchivable(const Class& cls)
    {
        const Class*& known = archivableClasses[placeOfClass(&cls)];
        if (known == &cls)
            return true;
        if (!Coding::isArchivable(cls))
            return false;
        known = &cls;
        return true;
    }
    void encodeQueued(KeyedArchiver& archiver);
    bool finish(PropertyListFormat format);
};

QVariant KeyedArchiver::State::variantOf(const Field& field) const
{
    switch (field.kind) {
    case Kind::Bool:
        return field.boolean;
    case Kind::Integer:
        return qlonglong(field.integer);
    case Kind::Real:
        return field.real;
    case Kind::String:
        return strings[field.index];
    case Kind::Data:
        return data[field.index];
    case Kind::Reals: {
        QVariantList list;
        list.reserve(field.count);
        for (int i = 0; i < field.count; ++i)
            list.append(reals[field.index + size_t(i)]);
        return list;
    }
    case Kind::Uid:
        return uid(field.uid);
    case Kind::Conditional:
        return uid(conditionals[field.index].resolved);
    case Kind::Value:
        return values[field.index];
    case Kind::Bytes:
        return QByteArray(byteRuns[field.index].bytes, byteRuns[field.index].size);
    case Kind::Uids: {
        QVariantList list;
        const size_t count = size_t(uidLists[field.index]);
        list.reserve(qsizetype(count));
        for (size_t i = 1; i <= count; ++i)
            list.append(uid(uidLists[field.index + i]));
        return list;
    }
    }
    return {};
}

QVariantMap KeyedArchiver::State::treeOfFields(const Run& run, size_t first, size_t count) const
{
    QVariantMap map;
    for (size_t i = first; i < first + count; ++i)
        map.insert(keys[run[i].key], variantOf(run[i]));
    return map;
}

QVariant KeyedArchiver::State::treeOfEntry(const Entry& entry) const
{
    switch (entry.kind) {
    case Entry::Kind::Null:
        return archive::kNull;
    case Entry::Kind::Object:
        return treeOfFields(fields, entry.first, entry.count);
    case Entry::Kind::Class:
        return classDescriptions[entry.first];
    case Entry::Kind::Unfinished:
        break;
    }
    return {}; // an object whose encoding raised; writing fails on it
}

// The archive as a tree of property-list values, for the XML form and to say why writing failed.
QVariant KeyedArchiver::State::tree() const
{
    QVariantList objects;
    objects.reserve(qsizetype(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i)
        objects.append(treeOfEntry(entries[i]));
    return QVariantMap{{archive::kArchiverKey, kArchiverName},
                       {archive::kVersionKey, kVersion},
                       {archive::kTopKey, treeOfFields(topFields, 0, topFields.size())},
                       {archive::kObjectsKey, objects}};
}

quint64 KeyedArchiver::State::writeField(BinaryPropertyListWriter& writer, const Field& field, int depth) const
{
    switch (field.kind) {
    case Kind::Bool:
        return writer.addBool(field.boolean);
    case Kind::Integer:
        return writer.addInteger(field.integer);
    case Kind::Real:
        return writer.addReal(field.real);
    case Kind::String:
        return writer.addString(strings[field.index]);
    case Kind::Data: {
        const QByteArray& bytes = data[field.index];
        return writer.addData(bytes.constData(), bytes.size());
    }
    case Kind::Reals: {
        const quint64 list = writer.addArray(field.count);
        for (int i = 0; i < field.count; ++i)
            writer.setReference(list, quint64(i), writer.addReal(reals[field.index + size_t(i)]));
        return list;
    }
    case Kind::Uid:
        return writer.addUid(field.uid);
    case Kind::Conditional:
        return writer.addUid(conditionals[field.index].resolved);
    case Kind::Value:
        return writer.addValue(values[field.index], depth);
    case Kind::Bytes:
        return writer.addData(byteRuns[field.index].bytes, byteRuns[field.index].size);
    case Kind::Uids: {
        if (depth >= kMaxPropertyListDepth)
            break;
        const size_t count = size_t(uidLists[field.index]);
        const quint64 list = writer.addArray(count);
        for (size_t i = 0; i < count; ++i)
            writer.setReference(list, i, writer.addUid(uidLists[field.index + 1 + i]));
        return list;
    }
    }
    return BinaryPropertyListWriter::kInvalidIndex;
}

// A run of fields as a dictionary: its keys in order, then their values, as the property-list
// writer lays out a map.
quint64 KeyedArchiver::State::writeFields(BinaryPropertyListWriter& writer, const Run& run, size_t first,
                                          size_t count, int depth, std::vector<quint64>& keyObjects,
                                          const std::vector<quint32>& rank, std::vector<size_t>& order) const
{
    constexpr quint64 kFailed = BinaryPropertyListWriter::kInvalidIndex;
    order.resize(count);
    for (size_t i = 0; i < count; ++i)
        order[i] = first + i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return rank[run[a].key] < rank[run[b].key]; });
    const quint64 dictionary = writer.addDictionary(count);
    for (size_t i = 0; i < count; ++i) {
        // A short key is written once and shared, its object remembered by number; a long one
        // is written at each use, as the writer does with long strings.
        quint64& known = keyObjects[run[order[i]].key];
        quint64 key = known;
        if (key == kFailed) {
            key = writer.addString(keys[run[order[i]].key]);
            if (key == kFailed)
                return key;
            if (writer.isShareable(key))
                known = key;
        }
        writer.setReference(dictionary, i, key);
    }
    for (size_t i = 0; i < count; ++i) {
        const quint64 value = writeField(writer, run[order[i]], depth + 1);
        if (value == kFailed)
            return value;
        writer.setReference(dictionary, count + i, value);
    }
    return dictionary;
}

// The binary form, written from the fields without a tree between; empty when a value cannot be
// written. Laid out as PropertyList::data lays out tree(), byte for byte.
QByteArray KeyedArchiver::State::binary() const
{
    constexpr quint64 kFailed = BinaryPropertyListWriter::kInvalidIndex;
    BinaryPropertyListWriter writer(kMaxPropertyListDepth);
    const size_t fieldCount = fields.size() + topFields.size();
    // About what the list takes: each field a key (mostly shared) and a value, each real of a
    // point, size or rectangle one more object.
    writer.reserve(entries.size() + fieldCount + reals.size() + uidLists.size(),
                   entries.size() + 2 * fieldCount + reals.size() + uidLists.size(),
                   12 * entries.size() + 10 * fieldCount + 9 * reals.size() + 5 * uidLists.size());
    writer.expectUids(entries.size());
    // Keys in the order a map keeps them.
    std::vector<quint32> byText(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        byText[i] = quint32(i);
    std::sort(byText.begin(), byText.end(), [&](quint32 a, quint32 b) { return keys[a] < keys[b]; });
    std::vector<quint32> rank(keys.size());
    for (size_t i = 0; i < byText.size(); ++i)
        rank[byText[i]] = quint32(i);
    std::vector<quint64> keyObjects(keys.size(), kFailed);
    std::vector<size_t> order;

    // The root: "$archiver", "$objects", "$top" and "$version", keys first.
    const quint64 root = writer.addDictionary(4);
    const QString* rootKeys[] = {&archive::kArchiverKey, &archive::kObjectsKey, &archive::kTopKey, &archive::kVersionKey};
    for (int i = 0; i < 4; ++i)
        writer.setReference(root, quint64(i), writer.addString(*rootKeys[i]));
    writer.setReference(root, 4, writer.addString(kArchiverName));

    const quint64 objects = writer.addArray(entries.size());
    writer.setReference(root, 5, objects);
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        quint64 index = kFailed;
        switch (entry.kind) {
        case Entry::Kind::Null:
            index = writer.addString(archive::kNull);
            break;
        case Entry::Kind::Object:
            index = writeFields(writer, fields, entry.first, entry.count, 2, keyObjects, rank, order);
            break;
        case Entry::Kind::Class:
            index = writer.addValue(classDescriptions[entry.first], 2);
            break;
        case Entry::Kind::Unfinished:
            break;
        }
        if (index == kFailed)
            return {};
        writer.setReference(objects, i, index);
    }

    const quint64 top = writeFields(writer, topFields, 0, topFields.size(), 1, keyObjects, rank, order);
    if (top == kFailed)
        return {};
    writer.setReference(root, 6, top);
    writer.setReference(root, 7, writer.addInteger(kVersion));
    return writer.write();
}

QByteArray KeyedArchiver::archivedData(const Ref<Object>& root, PropertyListFormat format, Error* error)
{
    KeyedArchiver archiver(format);
    archiver.encodeObject(root, kRootKey);
    return archiver.encodedData(error);
}

KeyedArchiver::KeyedArchiver(PropertyListFormat format) : m_format(format), m_state(std::make_unique<State>())
{
    m_state->entries.push_back(State::Entry{State::Entry::Kind::Null});
}

KeyedArchiver::~KeyedArchiver() = default;

void KeyedArchiver::encodeBool(bool value, const QString& key)
{
    m_state->add(key, State::Kind::Bool).boolean = value;
}

void KeyedArchiver::encodeInt32(qint32 value, const QString& key)
{
    m_state->add(key, State::Kind::Integer).integer = value;
}

void KeyedArchiver::encodeInt64(qint64 value, const QString& key)
{
    m_state->add(key, State::Kind::Integer).integer = value;
}

void KeyedArchiver::encodeFloat(float value, const QString& key)
{
    m_state->add(key, State::Kind::Real).real = double(value);
}

void KeyedArchiver::encodeDouble(double value, const QString& key)
{
    m_state->add(key, State::Kind::Real).real = value;
}

void KeyedArchiver::encodeString(const QString& value, const QString& key)
{
    m_state->add(key, State::Kind::String).index = m_state->strings.size();
    m_state->strings.push_back(value);
}

void KeyedArchiver::encodeData(const QByteArray& value, const QString& key)
{
    m_state->add(key, State::Kind::Data).index = m_state->data.size();
    m_state->data.push_back(value);
}

void KeyedArchiver::encodeBytes(const char* bytes, qsizetype length, const QString& key)
{
    PF_PARAMETER_ASSERT(length >= 0 && (bytes || length == 0));
    m_state->add(key, State::Kind::Bytes).index = m_state->byteRuns.size();
    m_state->byteRuns.push_back(State::ByteRun{m_state->byteArena.copy(bytes, size_t(length)), length});
}

void KeyedArchiver::encodePoint(const QPointF& value, const QString& key)
{
    m_state->addReals(key, {value.x(), value.y()});
}

void KeyedArchiver::encodeSize(const QSizeF& value, const QString& key)
{
    m_state->addReals(key, {value.width(), value.height()});
}

void KeyedArchiver::encodeRect(const QRectF& value, const QString& key)
{
    m_state->addReals(key, {value.x(), value.y(), value.width(), value.height()});
}

void KeyedArchiver::encodeObject(const Ref<Object>& object, const QString& key)
{
    const quint64 reference = m_state->referenceTo(*this, object);
    m_state->add(key, State::Kind::Uid).uid = reference;
    m_state->encodeQueued(*this);
}

void KeyedArchiver::encodeConditionalObject(const Ref<Object>& object, const QString& key)
{
    if (object && !dynamic_cast<const Coding*>(object.get()))
        raiseNotArchivable(*object);
    State::Field& field = m_state->add(key, object ? State::Kind::Conditional : State::Kind::Uid);
    if (object) {
        field.index = m_state->conditionals.size();
        m_state->conditionals.push_back({object});
    }
}

void KeyedArchiver::encodePropertyListValue(const QVariant& value, const QString& key)
{
    // A list of objects alone, as a style's renderers or a group's members, is kept as its
    // UIDs: the same list, without a value made for each.
    if (value.typeId() == QMetaType::QVariantList) {
        const QVariantList list = value.toList();
        const bool objectsOnly = std::all_of(list.cbegin(), list.cend(), [](const QVariant& item) {
            return item.metaType() == QMetaType::fromType<Ref<Object>>();
        });
        if (objectsOnly) {
            const size_t first = m_state->uidLists.size();
            m_state->uidLists.push_back(quint64(list.size()));
            for (const QVariant& item : list)
                m_state->uidLists.push_back(m_state->referenceTo(*this, *static_cast<const Ref<Object>*>(item.constData())));
            m_state->add(key, State::Kind::Uids).index = first;
            m_state->encodeQueued(*this);
            return;
        }
    }
    QVariant stored = m_state->storedValue(*this, value);
    m_state->add(key, State::Kind::Value).index = m_state->values.size();
    m_state->values.push_back(std::move(stored));
    m_state->encodeQueued(*this);
}
QVariant KeyedArchiver::State::storedValue(KeyedArchiver& archiver, const QVariant& value)
{
    if (!value.isValid())
        return uid(0);
    if (value.metaType() == QMetaType::fromType<Ref<Object>>())
        return uid(referenceTo(archiver, value.value<Ref<Object>>()));
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        QVariantMap stored;
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            stored.insert(archive::storedKey(it.key()), storedValue(archiver, it.value()));
        return stored;
    }
    case QMetaType::QVariantList: {
        const QVariantList list = value.toList();
        QVariantList stored;
        stored.reserve(list.size());
        for (const QVariant& item : list)
            stored.append(storedValue(archiver, item));
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

quint64 KeyedArchiver::State::referenceTo(KeyedArchiver& archiver, const Ref<Object>& object)
{
    if (!object)
        return 0;
    size_t met = findKnown(object.get());
    Coding* coding = nullptr;
    if (met == kUnknown || !knownObjects[met].asked) {
        coding = dynamic_cast<Coding*>(object.get());
        if (!coding)
            raiseNotArchivable(*object);
        const size_t knownBefore = knownObjects.size();
        Ref<Object> replacement = coding->replacementObjectForCoder(archiver);
        if (replacement == object) {
            if (!isArchivable(object->objClass()))
                raiseNotArchivable(*object);
        } else if (replacement) {
            checkArchivable(*replacement);
        }
        // Looked up again when the replacement encoded objects of its own meanwhile.
        if (met == kUnknown && knownObjects.size() != knownBefore)
            met = findKnown(object.get());
        if (met == kUnknown)
            met = addKnown(object);
        Known& asked = knownObjects[met];
        asked.asked = true;
        asked.replacedBySelf = replacement == object;
        if (!asked.replacedBySelf)
            asked.replacement = std::move(replacement);
    }
    const bool bySelf = knownObjects[met].replacedBySelf;
    Object* target = bySelf ? object.get() : knownObjects[met].replacement.get();
    if (!target)
        return 0;
    size_t encoded = bySelf ? met : findKnown(target);
    if (encoded == kUnknown)
        encoded = addKnown(Ref<Object>(knownObjects[met].replacement));
    if (knownObjects[encoded].uid)
        return knownObjects[encoded].uid;
    const quint64 reference = entries.size();
    entries.emplace_back();
    knownObjects[encoded].uid = reference;
    if (!bySelf || !coding)
        coding = &dynamic_cast<Coding&>(*target);
    queue.push_back(Pending{target, coding, reference});
    return reference;
}

quint64 KeyedArchiver::State::classReferenceFor(const KeyedArchiver& archiver, const Object& object,
                                                const Coding& coding)
{
    const Class& cls = object.objClass();
    auto mappedName = [&](const Class& c) {
        const QString own = archiver.classNameForClass(c);
        return own.isEmpty() ? classNameForClassGlobal(c) : own;
    };
    RecentClass& recent = recentClasses[placeOfClass(&cls)];
    const quint64 globalGeneration = globalNamesGeneration.load(std::memory_order_acquire);
    if (recent.cls != &cls || recent.ownGeneration != ownNamesGeneration || recent.globalGeneration != globalGeneration) {
        recent.cls = &cls;
        recent.ownGeneration = ownNamesGeneration;
        recent.globalGeneration = globalGeneration;
        recent.mapped = mappedName(cls);
        recent.lastName.clear();
        recent.lastUid = 0;
    }
    const QString name = recent.mapped.isEmpty() ? coding.classNameForArchiver() : recent.mapped;
    if (recent.lastUid != 0 && name == recent.lastName)
        return recent.lastUid;

    const auto cacheKey = std::make_pair(&cls, name);
    auto existing = classUids.constFind(cacheKey);
    quint64 reference = 0;
    if (existing != classUids.constEnd()) {
        reference = *existing;
    } else {
        QVariantList classes{name};
        for (const Class* super = cls.superclass(); super; super = super->superclass()) {
            const QString superName = mappedName(*super);
            classes.append(superName.isEmpty() ? super->name() : superName);
        }
        reference = entries.size();
        entries.push_back(Entry{Entry::Kind::Class, classDescriptions.size()});
        classDescriptions.push_back(QVariantMap{{archive::kClassNameKey, name}, {archive::kClassesKey, classes}});
        classUids.insert(cacheKey, reference);
    }
    recent.lastName = name;
    recent.lastUid = reference;
    return reference;
}

void KeyedArchiver::State::encodeQueued(KeyedArchiver& archiver)
{
    // Objects met inside encodeWithCoder wait for the outermost call, which encodes them in turn.
    if (!isAtTop() || encodingQueue)
        return;
    encodingQueue = true;
    struct Restore {
        State* state;
        ~Restore()
        {
            state->encodingQueue = false;
            state->enter(&state->topFields, 0, 0);
        }
    } restore{this};

    while (nextQueued < queue.size()) {
        const Pending pending = queue[nextQueued++];
        // Objects lie all over memory: the one after next is asked for while this one is encoded.
        if (nextQueued + 1 < queue.size()) {
            const char* ahead = reinterpret_cast<const char*>(queue[nextQueued + 1].object);
            __builtin_prefetch(ahead);
            __builtin_prefetch(ahead + 64);
        }
        const quint64 classReference = classReferenceFor(archiver, *pending.object, *pending.coding);
        const size_t first = fields.size();
        enter(&fields, first, pending.uid);
        Field& classField = fields.emplace_back();
        classField.key = numberOfKey(archive::kClassKey);
        classField.kind = Kind::Uid;
        classField.uid = classReference;
        pending.coding->encodeWithCoder(archiver);
        entries[pending.uid] = Entry{Entry::Kind::Object, first, fields.size() - first};
    }
}

bool KeyedArchiver::State::finish(PropertyListFormat format)
{
    for (Conditional& conditional : conditionals) {
        // Only an object encoded unconditionally has a UID; its replacement counts for it.
        const size_t met = findKnown(conditional.object.get());
        if (met == kUnknown)
            continue;
        conditional.resolved = knownObjects[met].uid;
        if (!conditional.resolved && knownObjects[met].replacement) {
            const size_t replacement = findKnown(knownObjects[met].replacement.get());
            conditional.resolved = replacement == kUnknown ? 0 : knownObjects[replacement].uid;
        }
    }
    queue.clear();
    // Letting go of the objects touches each one's count, all over memory: those a few places on
    // are asked for ahead (a count made with the object lies just before it).
    for (size_t i = 0; i < knownObjects.size(); ++i) {
        if (i + 8 < knownObjects.size()) {
            const char* ahead = reinterpret_cast<const char*>(knownObjects[i + 8].object.get());
            __builtin_prefetch(ahead - 16, 1);
            __builtin_prefetch(ahead, 1);
        }
        knownObjects[i].object.reset();
    }
    knownObjects.clear();
    knownSlots = {};

    Error writeError;
    if (format == PropertyListFormat::Binary)
        archive = binary();
    // The XML form, and any failure of the binary one, go through the tree of values, which
    // says what cannot be written.
    if (archive.isEmpty())
        archive = PropertyList::data(tree(), format, &writeError);
    if (archive.isEmpty()) {
        if (writeError.isNull())
            writeError = Error::make(kPFFoundationErrorDomain, kErrorPropertyListWrite,
                                     QStringLiteral("it holds a value the property list cannot"));
        error = Error(kPFFoundationErrorDomain, kErrorCoderInvalidValue,
                      {{NSLocalizedDescriptionKey, QStringLiteral("The archive couldn't be written: %1")
                                                       .arg(writeError.localizedDescription())},
                       {NSUnderlyingErrorKey, QVariant::fromValue(writeError)}});
    }
    fields.clear();
    topFields.clear();
    strings.clear();
    data.clear();
    values.clear();
    reals.clear();
    uidLists.clear();
    byteRuns.clear();
    byteArena.clear();
    conditionals.clear();
    return error.isNull();
}

bool KeyedArchiver::finishEncoding(Error* error)
{
    if (!m_state->finished) {
        m_state->encodeQueued(*this);
        m_state->finished = true;
        m_state->finish(m_format);
    }
    if (!m_state->error.isNull())
        return fail(error, m_state->error);
    return true;
}

QByteArray KeyedArchiver::encodedData(Error* error)
{
    finishEncoding(error);
    return m_state->archive;
}

void KeyedArchiver::setClassNameForClass(const QString& name, const Class& cls)
{
    ++m_state->ownNamesGeneration;
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
    globalNamesGeneration.fetch_add(1, std::memory_order_acq_rel);
}

QString KeyedArchiver::classNameForClassGlobal(const Class& cls)
{
    QReadLocker lock(&globalNamesLock());
    return globalNames().value(&cls);
}

} // namespace pf
