#include <gtest/gtest.h>

#include "platform/foundation/Error.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Object.h"

#include <vector>

namespace {

class Address : public pf::Object {
    PF_CLASS(Address)
public:
    QString city() const { return m_city; }
    void setCity(const QString& city) { setObservedValue(m_city, city, QStringLiteral("city")); }

private:
    QString m_city;
};

class Person : public pf::Object {
    PF_CLASS(Person)
public:
    QString name() const { return m_name; }
    void setName(const QString& name) { setObservedValue(m_name, name, QStringLiteral("name")); }
    int age() const { return m_age; }
    void setAge(int age) { setObservedValue(m_age, age, QStringLiteral("age")); }
    pf::Ref<Address> address() const { return m_address; }
    void setAddress(const pf::Ref<Address>& a) { setObservedValue(m_address, a, QStringLiteral("address")); }
    QString summary() const { return QStringLiteral("%1 (%2)").arg(m_name).arg(m_age); }
    QVariantList tags() const { return m_tags; }
    void insertTag(const QString& tag, int index)
    {
        willChange(pf::ChangeKind::Insertion, pf::IndexSet(index), QStringLiteral("tags"));
        m_tags.insert(index, tag);
        didChange(pf::ChangeKind::Insertion, pf::IndexSet(index), QStringLiteral("tags"));
    }
    void removeTag(int index)
    {
        willChange(pf::ChangeKind::Removal, pf::IndexSet(index), QStringLiteral("tags"));
        m_tags.removeAt(index);
        didChange(pf::ChangeKind::Removal, pf::IndexSet(index), QStringLiteral("tags"));
    }

    QVariant valueForUndefinedKey(const QString& key) const override
    {
        if (key == QStringLiteral("lenient"))
            return pf::notApplicableMarker();
        return pf::Object::valueForUndefinedKey(key);
    }

private:
    QString m_name;
    int m_age = 0;
    pf::Ref<Address> m_address;
    QVariantList m_tags;
};

// Records every change it is told of.
class Recorder : public pf::Object {
    PF_CLASS(Recorder)
public:
    struct Seen {
        QString keyPath;
        pf::Reflective* object;
        QVariantMap change;
        void* context;
    };
    std::vector<Seen> seen;
    std::function<void(const Seen&)> onChange;

    void observeValueForKeyPath(const QString& keyPath, pf::Reflective* object, const QVariantMap& change,
                                void* context) override
    {
        seen.push_back({keyPath, object, change, context});
        if (onChange)
            onChange(seen.back());
    }
    QVariant lastNew() const { return seen.empty() ? QVariant() : seen.back().change.value(pf::NSKeyValueChangeNewKey); }
    QVariant lastOld() const { return seen.empty() ? QVariant() : seen.back().change.value(pf::NSKeyValueChangeOldKey); }
};

int contextA = 0;
int contextB = 0;

} // namespace

PF_DEFINE_CLASS(Address, pf::Object)
{
    b.property(QStringLiteral("city"), &Address::city, &Address::setCity);
}

PF_DEFINE_CLASS(Person, pf::Object)
{
    b.property(QStringLiteral("name"), &Person::name, &Person::setName)
        .property(QStringLiteral("age"), &Person::age, &Person::setAge)
        .property(QStringLiteral("address"), &Person::address, &Person::setAddress)
        .property(QStringLiteral("summary"), &Person::summary)
        .property(QStringLiteral("tags"), &Person::tags)
        .keyPathsAffecting(QStringLiteral("summary"), {QStringLiteral("name"), QStringLiteral("age")})
        .validator(QStringLiteral("age"), [](Person&, QVariant* value, pf::Error* error) {
            if (value->toInt() < 0)
                return pf::fail(error, pf::Error::make(QStringLiteral("Cartavel Error"), 55, QStringLiteral("Age cannot be negative")));
            if (value->toInt() > 150)
                *value = 150;
            return true;
        });
}

PF_DEFINE_CLASS(Recorder, pf::Object) {}

namespace {

pf::Ref<Person> makePerson()
{
    auto p = std::make_shared<Person>();
    p->setName(QStringLiteral("Ada"));
    p->setAge(36);
    auto a = std::make_shared<Address>();
    a->setCity(QStringLiteral("London"));
    p->setAddress(a);
    return p;
}

} // namespace

TEST(KeyValueCoding, GetsAndSetsByKeyAndKeyPath)
{
    auto p = makePerson();
    EXPECT_EQ(p->valueForKey(QStringLiteral("name")).toString(), QStringLiteral("Ada"));
    EXPECT_EQ(p->valueForKeyPath(QStringLiteral("address.city")).toString(), QStringLiteral("London"));
    p->setValueForKeyPath(QStringLiteral("Paris"), QStringLiteral("address.city"));
    EXPECT_EQ(p->address()->city(), QStringLiteral("Paris"));
    // Numbers arrive converted to the property's type.
    p->setValueForKey(QVariant(41.0), QStringLiteral("age"));
    EXPECT_EQ(p->age(), 41);
    p->setValueForKey(QStringLiteral("42"), QStringLiteral("age"));
    EXPECT_EQ(p->age(), 42);
}

TEST(KeyValueCoding, MissingIntermediatesAnswerNoValue)
{
    auto p = std::make_shared<Person>();
    EXPECT_FALSE(p->valueForKeyPath(QStringLiteral("address.city")).isValid());
    p->setValueForKeyPath(QStringLiteral("Rome"), QStringLiteral("address.city")); // does nothing
    EXPECT_EQ(p->address(), nullptr);
}

TEST(KeyValueCoding, UndefinedKeysRaiseUnlessTheClassAnswers)
{
    auto p = makePerson();
    EXPECT_THROW(p->valueForKey(QStringLiteral("height")), pf::UndefinedKeyException);
    EXPECT_THROW(p->setValueForKey(1, QStringLiteral("height")), pf::UndefinedKeyException);
    EXPECT_THROW(p->setValueForKey(1, QStringLiteral("summary")), pf::UndefinedKeyException); // read-only
    EXPECT_TRUE(pf::isNotApplicableMarker(p->valueForKey(QStringLiteral("lenient"))));
}

TEST(KeyValueCoding, NoValueForAScalarGoesToSetNilValue)
{
    auto p = makePerson();
    EXPECT_THROW(p->setValueForKey(QVariant(), QStringLiteral("age")), pf::InvalidArgumentException);
    EXPECT_THROW(p->setValueForKey(pf::null(), QStringLiteral("age")), pf::InvalidArgumentException);
    EXPECT_EQ(p->age(), 36);
    p->setValueForKey(pf::null(), QStringLiteral("address"));
    EXPECT_EQ(p->address(), nullptr);
}

TEST(KeyValueCoding, CollectionsAndDictionariesAnswerByKey)
{
    auto a = makePerson();
    auto b = makePerson();
    b->setName(QStringLiteral("Grace"));
    b->setAddress(nullptr);
    const QVariant people = QVariantList{pf::toVariant(a), pf::toVariant(b)};
    EXPECT_EQ(pf::valueForKeyPath(people, QStringLiteral("name")).toList(), (QVariantList{"Ada", "Grace"}));
    const QVariantList cities = pf::valueForKeyPath(people, QStringLiteral("address.city")).toList();
    ASSERT_EQ(cities.size(), 2);
    EXPECT_EQ(cities[0].toString(), QStringLiteral("London"));
    EXPECT_TRUE(pf::isNull(cities[1]));
    const QVariant settings = QVariantMap{{"size", QVariantMap{{"width", 10}}}};
    EXPECT_EQ(pf::valueForKeyPath(settings, QStringLiteral("size.width")).toInt(), 10);
    EXPECT_THROW(pf::valueForKey(QVariant(5), QStringLiteral("x")), pf::UndefinedKeyException);
}

TEST(KeyValueCoding, ValidationMayReplaceOrRefuse)
{
    auto p = makePerson();
    QVariant value = 200;
    EXPECT_TRUE(p->validateValue(&value, QStringLiteral("age"), nullptr));
    EXPECT_EQ(value.toInt(), 150);
    value = -1;
    pf::Error error;
    EXPECT_FALSE(p->validateValue(&value, QStringLiteral("age"), &error));
    EXPECT_EQ(error.code(), 55);
    EXPECT_TRUE(p->validateValue(&value, QStringLiteral("name"), nullptr)); // no validator
}

TEST(KeyValueObserving, OptionsShapeTheChange)
{
    struct Case { pf::ObservingOptions options; bool hasNew, hasOld; size_t initialCount; };
    const Case cases[] = {
        {0, false, false, 0},
        {pf::ObservingNew, true, false, 0},
        {pf::ObservingOld, false, true, 0},
        {pf::ObservingNew | pf::ObservingOld | pf::ObservingInitial, true, true, 1},
        {pf::ObservingNew | pf::ObservingInitial, true, false, 1},
    };
    for (const Case& c : cases) {
        auto p = makePerson();
        Recorder r;
        p->addObserver(&r, QStringLiteral("name"), c.options, &contextA);
        ASSERT_EQ(r.seen.size(), c.initialCount);
        if (c.initialCount) {
            EXPECT_EQ(r.seen[0].change.contains(pf::NSKeyValueChangeNewKey), c.hasNew);
            EXPECT_FALSE(r.seen[0].change.contains(pf::NSKeyValueChangeOldKey));
        }
        p->setName(QStringLiteral("Grace"));
        ASSERT_EQ(r.seen.size(), c.initialCount + 1);
        const auto& seen = r.seen.back();
        EXPECT_EQ(seen.object, p.get());
        EXPECT_EQ(seen.context, &contextA);
        EXPECT_EQ(seen.change.value(pf::NSKeyValueChangeKindKey).toInt(), int(pf::ChangeKind::Setting));
        EXPECT_EQ(seen.change.contains(pf::NSKeyValueChangeNewKey), c.hasNew);
        EXPECT_EQ(seen.change.contains(pf::NSKeyValueChangeOldKey), c.hasOld);
        if (c.hasNew)
            EXPECT_EQ(r.lastNew().toString(), QStringLiteral("Grace"));
        if (c.hasOld)
            EXPECT_EQ(r.lastOld().toString(), QStringLiteral("Ada"));
        p->removeObserver(&r, QStringLiteral("name"), &contextA);
    }
}

TEST(KeyValueObserving, AChangeBegunBeforeObservingBeganIsNotAnnounced)
{
    // Nested changes of one key pair up innermost first, whether or not anyone observed the
    // outer one when it began.
    auto p = makePerson();
    const auto keepsTable = p->livenessToken();
    Recorder r;
    p->willChangeValueForKey(QStringLiteral("name"));
    p->addObserver(&r, QStringLiteral("name"), pf::ObservingOld | pf::ObservingNew);
    p->setName(QStringLiteral("Grace"));
    ASSERT_EQ(r.seen.size(), 1u);
    EXPECT_EQ(r.lastOld().toString(), QStringLiteral("Ada"));
    p->didChangeValueForKey(QStringLiteral("name"));
    EXPECT_EQ(r.seen.size(), 1u);
    p->setName(QStringLiteral("Ada"));
    EXPECT_EQ(r.seen.size(), 2u);
    p->removeObserver(&r);
}

TEST(KeyValueObserving, PriorNotificationComesBeforeTheChange)
{
    auto p = makePerson();
    Recorder r;
    p->addObserver(&r, QStringLiteral("age"), pf::ObservingOld | pf::ObservingNew | pf::ObservingPrior);
    QList<int> agesSeen;
    r.onChange = [&](const Recorder::Seen&) { agesSeen.append(p->age()); };
    p->setAge(37);
    ASSERT_EQ(r.seen.size(), 2u);
    EXPECT_TRUE(r.seen[0].change.value(pf::NSKeyValueChangeNotificationIsPriorKey).toBool());
    EXPECT_EQ(r.seen[0].change.value(pf::NSKeyValueChangeOldKey).toInt(), 36);
    EXPECT_FALSE(r.seen[0].change.contains(pf::NSKeyValueChangeNewKey));
    EXPECT_FALSE(r.seen[1].change.contains(pf::NSKeyValueChangeNotificationIsPriorKey));
    EXPECT_EQ(agesSeen, (QList<int>{36, 37}));
    p->removeObserver(&r);
}

TEST(KeyValueObserving, NoValueIsReportedAsTheNullMarker)
{
    auto p = makePerson();
    Recorder r;
    p->addObserver(&r, QStringLiteral("address"), pf::ObservingNew | pf::ObservingOld);
    p->setAddress(nullptr);
    EXPECT_TRUE(pf::isNull(r.lastNew()));
    EXPECT_TRUE(pf::holdsObject(r.lastOld()));
    p->removeObserver(&r);
}

TEST(KeyValueObserving, ContextsSeparateObservationsOfOneObserver)
{
    auto p = makePerson();
    Recorder r;
    p->addObserver(&r, QStringLiteral("name"), 0, &contextA);
    p->addObserver(&r, QStringLiteral("name"), 0, &contextB);
    p->setName(QStringLiteral("x"));
    ASSERT_EQ(r.seen.size(), 2u);
    p->removeObserver(&r, QStringLiteral("name"), &contextA);
    p->setName(QStringLiteral("y"));
    ASSERT_EQ(r.seen.size(), 3u);
    EXPECT_EQ(r.seen.back().context, &contextB);
    p->removeObserver(&r, QStringLiteral("name"), &contextB);
    EXPECT_THROW(p->removeObserver(&r, QStringLiteral("name"), &contextB), pf::Exception);
    EXPECT_FALSE(p->hasObservers());
}

TEST(KeyValueObserving, KeyPathsRebindWhenAnIntermediateIsReplaced)
{
    auto p = makePerson();
    pf::Ref<Address> first = p->address();
    Recorder r;
    p->addObserver(&r, QStringLiteral("address.city"), pf::ObservingNew | pf::ObservingOld);

    first->setCity(QStringLiteral("Bath"));
    ASSERT_EQ(r.seen.size(), 1u);
    EXPECT_EQ(r.seen[0].keyPath, QStringLiteral("address.city"));
    EXPECT_EQ(r.seen[0].object, p.get()); // told of the root, not the intermediate
    EXPECT_EQ(r.lastOld().toString(), QStringLiteral("London"));
    EXPECT_EQ(r.lastNew().toString(), QStringLiteral("Bath"));

    auto second = std::make_shared<Address>();
    second->setCity(QStringLiteral("York"));
    p->setAddress(second);
    ASSERT_EQ(r.seen.size(), 2u);
    EXPECT_EQ(r.lastOld().toString(), QStringLiteral("Bath"));
    EXPECT_EQ(r.lastNew().toString(), QStringLiteral("York"));

    first->setCity(QStringLiteral("Leeds")); // no longer on the path
    EXPECT_EQ(r.seen.size(), 2u);
    second->setCity(QStringLiteral("Hull"));
    ASSERT_EQ(r.seen.size(), 3u);
    EXPECT_EQ(r.lastNew().toString(), QStringLiteral("Hull"));

    p->setAddress(nullptr);
    ASSERT_EQ(r.seen.size(), 4u);
    EXPECT_TRUE(pf::isNull(r.lastNew()));
    second->setCity(QStringLiteral("Wells"));
    EXPECT_EQ(r.seen.size(), 4u);

    p->removeObserver(&r, QStringLiteral("address.city"));
    EXPECT_FALSE(first->hasObservers());
    EXPECT_FALSE(second->hasObservers());
}

TEST(KeyValueObserving, DependentKeysAreAnnounced)
{
    auto p = makePerson();
    Recorder r;
    p->addObserver(&r, QStringLiteral("summary"), pf::ObservingNew | pf::ObservingOld);
    p->setAge(40);
    ASSERT_EQ(r.seen.size(), 1u);
    EXPECT_EQ(r.lastOld().toString(), QStringLiteral("Ada (36)"));
    EXPECT_EQ(r.lastNew().toString(), QStringLiteral("Ada (40)"));
    p->setName(QStringLiteral("Grace"));
    ASSERT_EQ(r.seen.size(), 2u);
    EXPECT_EQ(r.lastNew().toString(), QStringLiteral("Grace (40)"));
    p->removeObserver(&r);
}

namespace {
class Gauge : public pf::Object {
    PF_CLASS(Gauge)
public:
    int reading() const { return m_reading; }
    void setReading(int reading) { setObservedValue(m_reading, reading, QStringLiteral("reading")); }
    QString label() const { return QString::number(m_reading); }

private:
    int m_reading = 0;
};
} // namespace

PF_DEFINE_CLASS(Gauge, pf::Object)
{
    b.property(QStringLiteral("reading"), &Gauge::reading, &Gauge::setReading)
        .property(QStringLiteral("label"), &Gauge::label);
}

TEST(KeyValueObserving, DependenciesAddedLaterAreSeenByEarlierAskedClasses)
{
    // The affected keys are remembered per class; a dependency registered afterwards (as an
    // extension does) must still be announced.
    auto gauge = std::make_shared<Gauge>();
    Recorder r;
    gauge->addObserver(&r, QStringLiteral("label"), pf::ObservingNew);
    gauge->setReading(1);
    EXPECT_TRUE(r.seen.empty());
    pf::Class::named(QStringLiteral("Gauge"))->setKeyPathsForValuesAffecting(QStringLiteral("label"), {QStringLiteral("reading")});
    gauge->setReading(2);
    ASSERT_EQ(r.seen.size(), 1u);
    EXPECT_EQ(r.lastNew().toString(), QStringLiteral("2"));
    gauge->removeObserver(&r);
}

TEST(KeyValueObserving, ToManyChangesCarryKindAndIndexes)
{
    auto p = makePerson();
    p->insertTag(QStringLiteral("a"), 0);
    p->insertTag(QStringLiteral("c"), 1);
    Recorder r;
    p->addObserver(&r, QStringLiteral("tags"), pf::ObservingNew | pf::ObservingOld);
    p->insertTag(QStringLiteral("b"), 1);
    ASSERT_EQ(r.seen.size(), 1u);
    EXPECT_EQ(r.seen[0].change.value(pf::NSKeyValueChangeKindKey).toInt(), int(pf::ChangeKind::Insertion));
    EXPECT_EQ(r.seen[0].change.value(pf::NSKeyValueChangeIndexesKey).value<pf::IndexSet>(), pf::IndexSet(1));
    EXPECT_EQ(r.lastNew().toList(), (QVariantList{"b"}));
    EXPECT_FALSE(r.seen[0].change.contains(pf::NSKeyValueChangeOldKey));
    p->removeTag(0);
    ASSERT_EQ(r.seen.size(), 2u);
    EXPECT_EQ(r.seen[1].change.value(pf::NSKeyValueChangeKindKey).toInt(), int(pf::ChangeKind::Removal));
    EXPECT_EQ(r.lastOld().toList(), (QVariantList{"a"}));
    EXPECT_FALSE(r.seen[1].change.contains(pf::NSKeyValueChangeNewKey));
    p->removeObserver(&r);
}

TEST(KeyValueObserving, ObserversMayRemoveThemselvesAndOthersWhileNotified)
{
    auto p = makePerson();
    Recorder first, second;
    first.onChange = [&](const Recorder::Seen&) {
        p->removeObserver(&first, QStringLiteral("name"));
        p->removeObserver(&second, QStringLiteral("name"));
    };
    p->addObserver(&first, QStringLiteral("name"));
    p->addObserver(&second, QStringLiteral("name"));
    p->setName(QStringLiteral("x"));
    EXPECT_EQ(first.seen.size(), 1u);
    EXPECT_EQ(second.seen.size(), 0u); // removed before its turn
    p->setName(QStringLiteral("y"));
    EXPECT_EQ(first.seen.size(), 1u);
    EXPECT_FALSE(p->hasObservers());
}

TEST(KeyValueObserving, AGoneObserverIsSkipped)
{
    auto p = makePerson();
    {
        auto r = std::make_shared<Recorder>();
        p->addObserver(r.get(), QStringLiteral("name"));
    }
    p->setName(QStringLiteral("no one listens")); // must not touch the destroyed observer
    SUCCEED();
}

TEST(KeyValueObserving, AnUnknownKeyPathRaisesAndRegistersNothing)
{
    auto p = makePerson();
    Recorder r;
    EXPECT_THROW(p->addObserver(&r, QStringLiteral("address.planet")), pf::UndefinedKeyException);
    EXPECT_FALSE(p->hasObservers());
    EXPECT_FALSE(p->address()->hasObservers());
}

TEST(KeyValueObserving, DestroyingTheObservedRootReleasesItsPath)
{
    auto address = std::make_shared<Address>();
    Recorder r;
    {
        auto p = std::make_shared<Person>();
        p->setAddress(address);
        p->addObserver(&r, QStringLiteral("address.city"));
        EXPECT_TRUE(address->hasObservers());
    }
    EXPECT_FALSE(address->hasObservers());
    address->setCity(QStringLiteral("nowhere"));
    EXPECT_TRUE(r.seen.empty());
}
