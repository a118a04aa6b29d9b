#include "frameworks/penwork/layers/PWObjectStorage.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "platform/foundation/ClassBuilder.h"

#include <algorithm>

PF_DEFINE_CLASS(PWObjectStorage, pf::Object)
{
    b.property("count", &PWObjectStorage::count);
}

PWObjectStorage::PWObjectStorage() = default;

PWObjectStorage::~PWObjectStorage() = default;

void PWObjectStorage::rebuildIndexMap() const
{
    m_indexes.clear();
    m_indexes.reserve(m_objects.size());
    for (size_t i = 0; i < m_objects.size(); ++i)
        m_indexes.emplace(m_objects[i].get(), qint64(i));
    m_indexesValid = true;
}

qint64 PWObjectStorage::indexOfObject(const PWDrawableObject* object) const
{
    if (!object)
        return pf::kNotFound;
    if (!m_indexesValid)
        rebuildIndexMap();
    auto it = m_indexes.find(object);
    return it == m_indexes.end() ? pf::kNotFound : it->second;
}

void PWObjectStorage::insertObjects(const QList<pf::Ref<PWDrawableObject>>& objects, const pf::IndexSet& indexes)
{
    if (objects.isEmpty())
        return;
    const qint64 first = count();
    if (indexes.firstIndex() == first) {
        // The common case (a layer filled as a drawing opens or a file is imported): the new
        // objects go at the end in one batch.
        m_objects.insert(m_objects.end(), objects.cbegin(), objects.cend());
        if (m_indexesValid) {
            m_indexes.reserve(m_objects.size());
            for (size_t i = size_t(first); i < m_objects.size(); ++i)
                m_indexes.emplace(m_objects[i].get(), qint64(i));
        }
        didInsert(objects);
        return;
    }
    // Merge in one pass: every index of the set takes the next new object.
    std::vector<pf::Ref<PWDrawableObject>> merged;
    merged.reserve(m_objects.size() + size_t(objects.size()));
    qsizetype next = 0;
    size_t old = 0;
    const qint64 total = count() + objects.size();
    for (qint64 i = 0; i < total; ++i) {
        if (next < objects.size() && indexes.contains(i))
            merged.push_back(objects[next++]);
        else if (old < m_objects.size())
            merged.push_back(std::move(m_objects[old++]));
    }
    m_objects = std::move(merged);
    m_indexesValid = false;
    didInsert(objects);
}

void PWObjectStorage::removeObjectsAtIndexes(const pf::IndexSet& indexes)
{
    if (indexes.isEmpty())
        return;
    indexes.forEach([this](qint64 index) {
        if (index >= 0 && index < count())
            willRemove(m_objects[size_t(index)].get());
    });
    size_t write = 0;
    for (size_t read = 0; read < m_objects.size(); ++read) {
        if (indexes.contains(qint64(read)))
            continue;
        if (write != read)
            m_objects[write] = std::move(m_objects[read]);
        ++write;
    }
    m_objects.resize(write);
    m_indexesValid = false;
}

void PWObjectStorage::moveObject(qint64 from, qint64 to)
{
    if (from == to)
        return;
    auto first = m_objects.begin();
    if (from < to)
        std::rotate(first + from, first + from + 1, first + to + 1);
    else
        std::rotate(first + to, first + from, first + from + 1);
    m_indexesValid = false;
}

void PWObjectStorage::sortByIndex(std::vector<const PWDrawableObject*>& objects, bool topmostFirst) const
{
    if (!m_indexesValid)
        rebuildIndexMap();
    std::vector<std::pair<qint64, const PWDrawableObject*>> keyed;
    keyed.reserve(objects.size());
    for (const PWDrawableObject* object : objects) {
        auto it = m_indexes.find(object);
        if (it != m_indexes.end())
            keyed.emplace_back(it->second, object);
    }
    if (topmostFirst)
        std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    else
        std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    objects.clear();
    for (const auto& [index, object] : keyed)
        objects.push_back(object);
}

QList<pf::Ref<PWDrawableObject>> PWObjectStorage::refsOf(const std::vector<const PWDrawableObject*>& objects) const
{
    QList<pf::Ref<PWDrawableObject>> out;
    out.reserve(qsizetype(objects.size()));
    for (const PWDrawableObject* object : objects) {
        const qint64 index = indexOfObject(object);
        if (index != pf::kNotFound)
            out.append(m_objects[size_t(index)]);
    }
    return out;
}
