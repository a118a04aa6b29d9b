// Observation of properties by key path. Every observation keeps one registration per object
// along its path; a change of an intermediate object re-binds the rest of the path, and a
// change of any key a dependent key rests on is announced for the dependent key too.
// Delivery is synchronous on the thread that made the change, outside every lock, so an
// observer may add or remove observations while it is being told.

#include "platform/foundation/Reflective.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/SideTable.h"

namespace pf {

namespace {

void addRegistration(Reflective* object, const QString& key, const std::shared_ptr<PathObservation>& observation, size_t hop)
{
    SideTable* table = object->sideTable();
    if (!table) {
        object->livenessToken(); // makes the table
        table = object->sideTable();
    }
    std::lock_guard lock(table->mutex);
    table->registrations.push_back(Registration{key, observation, hop});
}

void removeRegistration(Reflective* object, const PathObservation* observation, size_t hop)
{
    SideTable* table = object->sideTable();
    if (!table)
        return;
    std::lock_guard lock(table->mutex);
    auto& regs = table->registrations;
    std::erase_if(regs, [&](const Registration& r) { return r.observation.get() == observation && r.hop == hop; });
}

QVariant readValue(const Reflective* object, const QString& keyPath)
{
    try {
        return object->valueForKeyPath(keyPath);
    } catch (const Exception&) {
        return QVariant();
    }
}

// Drops the registrations of every hop after `hop`. Call with the hops mutex held.
void unbindAfter(PathObservation& observation, size_t hop)
{
    for (size_t i = observation.hops.size(); i > hop + 1; --i) {
        const WeakHandle& handle = observation.hops[i - 1];
        if (Reflective* object = handle.get())
            removeRegistration(object, &observation, i - 1);
    }
    if (observation.hops.size() > hop + 1)
        observation.hops.resize(hop + 1);
}

// Registers the hops after `hop` along the current values. Call with the hops mutex held.
void bindAfter(const std::shared_ptr<PathObservation>& observation, size_t hop)
{
    PathObservation& o = *observation;
    for (size_t i = hop; i + 1 < size_t(o.keys.size()); ++i) {
        Reflective* object = o.hops[i].get();
        if (!object)
            return;
        QVariant value;
        try {
            value = object->valueForKey(o.keys[int(i)]);
        } catch (const Exception&) {
            return;
        }
        Ref<Object> next = objectFromVariant(value);
        if (!next)
            return;
        addRegistration(next.get(), o.keys[int(i + 1)], observation, i + 1);
        o.hops.push_back(weakHandle(next.get()));
    }
}

QVariant orNull(const QVariant& value)
{
    return value.isValid() ? value : null();
}

// For a change of some members of a list, the members at the changed indexes.
QVariant membersAt(const QVariant& value, const IndexSet& indexes)
{
    if (value.metaType() != QMetaType::fromType<QVariantList>())
        return value;
    const QVariantList list = value.toList();
    QVariantList members;
    indexes.forEach([&](qint64 i) {
        if (i >= 0 && i < list.size())
            members.append(list.at(i));
    });
    return members;
}

// Stops an observation from being delivered and drops its registrations beyond the root.
void endObservation(PathObservation& observation)
{
    observation.active = false;
    std::lock_guard hopsLock(observation.hopsMutex);
    unbindAfter(observation, 0);
}

QStringList changedKeys(const Reflective& object, const QString& key)
{
    QStringList keys{key};
    keys += object.objClass().keysAffectedBy(key);
    return keys;
}

} // namespace

Reflective::~Reflective()
{
    SideTable* table = m_sideTable.exchange(nullptr);
    if (!table)
        return;
    std::vector<std::shared_ptr<PathObservation>> rooted;
    {
        std::lock_guard lock(table->mutex);
        for (const Registration& r : table->registrations)
            if (r.hop == 0)
                rooted.push_back(r.observation);
        table->registrations.clear();
    }
    for (const auto& observation : rooted) {
        endObservation(*observation);
    }
    delete table;
}

bool Reflective::hasObservers() const
{
    SideTable* table = sideTable();
    if (!table)
        return false;
    std::lock_guard lock(table->mutex);
    return !table->registrations.empty();
}

void Reflective::addObserver(Reflective* observer, const QString& keyPath, ObservingOptions options, void* context)
{
    PF_PARAMETER_ASSERT(observer != nullptr);
    PF_PARAMETER_ASSERT(!keyPath.isEmpty());
    // Reading the value first makes an unknown key raise before anything is registered.
    const QVariant current = valueForKeyPath(keyPath);

    auto observation = std::make_shared<PathObservation>();
    observation->observer = weakHandle(observer);
    observation->root = weakHandle(this);
    observation->keyPath = keyPath;
    observation->keys = keyPath.split(QLatin1Char('.'));
    observation->options = options;
    observation->context = context;
    {
        std::lock_guard hopsLock(observation->hopsMutex);
        observation->hops.push_back(weakHandle(this));
        addRegistration(this, observation->keys.first(), observation, 0);
        bindAfter(observation, 0);
    }
    if (options & ObservingInitial) {
        QVariantMap change{{NSKeyValueChangeKindKey, int(ChangeKind::Setting)}};
        if (options & ObservingNew)
            change.insert(NSKeyValueChangeNewKey, orNull(current));
        observer->observeValueForKeyPath(keyPath, this, change, context);
    }
}

void Reflective::removeObserver(Reflective* observer, const QString& keyPath, void* context)
{
    std::shared_ptr<PathObservation> removed;
    if (SideTable* table = sideTable()) {
        std::lock_guard lock(table->mutex);
        auto& regs = table->registrations;
        for (auto it = regs.rbegin(); it != regs.rend(); ++it) {
            const PathObservation& o = *it->observation;
            if (it->hop == 0 && o.observer.pointer == observer && o.keyPath == keyPath
                && (!context || o.context == context)) {
                removed = it->observation;
                regs.erase(std::next(it).base());
                break;
            }
        }
    }
    if (!removed) {
        throw Exception(NSRangeException,
                        QStringLiteral("Cannot remove an observer %1 for the key path \"%2\" from %3 because it is not registered as an observer.")
                            .arg(observer ? observer->description() : QStringLiteral("(null)"), keyPath, description()));
    }
    endObservation(*removed);
}

void Reflective::removeObserver(Reflective* observer)
{
    std::vector<std::shared_ptr<PathObservation>> removed;
    if (SideTable* table = sideTable()) {
        std::lock_guard lock(table->mutex);
        std::erase_if(table->registrations, [&](const Registration& r) {
            if (r.hop == 0 && r.observation->observer.pointer == observer) {
                removed.push_back(r.observation);
                return true;
            }
            return false;
        });
    }
    for (const auto& observation : removed) {
        endObservation(*observation);
    }
}

void Reflective::willChangeValueForKey(const QString& key)
{
    willChange(ChangeKind::Setting, IndexSet(), key);
}

void Reflective::didChangeValueForKey(const QString& key)
{
    didChange(ChangeKind::Setting, IndexSet(), key);
}

void Reflective::willChange(ChangeKind kind, const IndexSet& indexes, const QString& key)
{
    SideTable* table = sideTable();
    if (!table)
        return;
    for (const QString& k : changedKeys(*this, key)) {
        std::vector<PendingChange> records;
        {
            std::lock_guard lock(table->mutex);
            for (const Registration& r : table->registrations)
                if (r.key == k && r.observation->active)
                    records.push_back(PendingChange{r.observation, r.hop, {}});
        }
        for (PendingChange& record : records) {
            PathObservation& o = *record.observation;
            if (!(o.options & (ObservingOld | ObservingPrior)))
                continue;
            Reflective* root = o.root.get();
            if (!root)
                continue;
            const QVariant oldValue = readValue(root, o.keyPath);
            if (kind == ChangeKind::Setting)
                record.oldValue = orNull(oldValue);
            else if (kind != ChangeKind::Insertion)
                record.oldValue = membersAt(oldValue, indexes);
            if (o.options & ObservingPrior) {
                Reflective* observer = o.observer.get();
                if (!observer)
                    continue;
                QVariantMap change{{NSKeyValueChangeKindKey, int(kind)},
                                   {NSKeyValueChangeNotificationIsPriorKey, true}};
                if ((o.options & ObservingOld) && record.oldValue.isValid())
                    change.insert(NSKeyValueChangeOldKey, record.oldValue);
                if (kind != ChangeKind::Setting)
                    change.insert(NSKeyValueChangeIndexesKey, QVariant::fromValue(indexes));
                observer->observeValueForKeyPath(o.keyPath, root, change, o.context);
            }
        }
        std::lock_guard lock(table->mutex);
        // With nothing recorded and no change of this key under way, the matching didChange
        // would announce nothing either way; recording nothing keeps an unobserved object's
        // table empty (a hash once filled keeps its memory).
        auto pending = table->pending.find(k);
        if (records.empty() && pending == table->pending.end())
            continue;
        if (pending == table->pending.end())
            pending = table->pending.insert(k, {});
        pending->push_back(std::move(records));
    }
}

void Reflective::didChange(ChangeKind kind, const IndexSet& indexes, const QString& key)
{
    SideTable* table = sideTable();
    if (!table)
        return;
    for (const QString& k : changedKeys(*this, key)) {
        std::vector<PendingChange> records;
        {
            std::lock_guard lock(table->mutex);
            auto it = table->pending.find(k);
            if (it == table->pending.end() || it->empty())
                continue; // a did-change with no will-change announces nothing
            records = std::move(it->back());
            it->pop_back();
            if (it->empty())
                table->pending.erase(it);
        }
        for (const PendingChange& record : records) {
            const std::shared_ptr<PathObservation>& observation = record.observation;
            PathObservation& o = *observation;
            if (!o.active)
                continue;
            if (record.hop + 1 < size_t(o.keys.size())) {
                std::lock_guard hopsLock(o.hopsMutex);
                // Only while this object still stands at that hop of the path.
                if (o.hops.size() > record.hop && o.hops[record.hop].is(this)) {
                    unbindAfter(o, record.hop);
                    bindAfter(observation, record.hop);
                }
            }
            Reflective* observer = o.observer.get();
            Reflective* root = o.root.get();
            if (!observer || !root)
                continue;
            QVariantMap change{{NSKeyValueChangeKindKey, int(kind)}};
            if (o.options & ObservingNew) {
                const QVariant newValue = readValue(root, o.keyPath);
                if (kind == ChangeKind::Setting)
                    change.insert(NSKeyValueChangeNewKey, orNull(newValue));
                else if (kind != ChangeKind::Removal)
                    change.insert(NSKeyValueChangeNewKey, membersAt(newValue, indexes));
            }
            if ((o.options & ObservingOld) && record.oldValue.isValid())
                change.insert(NSKeyValueChangeOldKey, record.oldValue);
            if (kind != ChangeKind::Setting)
                change.insert(NSKeyValueChangeIndexesKey, QVariant::fromValue(indexes));
            observer->observeValueForKeyPath(o.keyPath, root, change, o.context);
        }
    }
}

} // namespace pf
