#include <gtest/gtest.h>

#include "platform/foundation/BinaryPropertyListWriter.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/PropertyList.h"

#include <QDateTime>
#include <QThread>

#include <atomic>
#include <cmath>
#include <limits>
#include <semaphore>
#include <thread>

using pf::KeyedArchiver;
using pf::KeyedUnarchiver;
using pf::PropertyListFormat;
using pf::Ref;

namespace {

// Every typed key, a child object, a conditional object and a property-list value.
class Item : public pf::Object, public pf::Coding {
    PF_CLASS(Item)
public:
    static inline std::atomic<int> made{0};
    Item() { ++made; }

    bool flag = false;
    qint32 small = 0;
    qint64 large = 0;
    float single = 0;
    double real = 0;
    QString text;
    QByteArray data;
    QByteArray bytes;
    QPointF point;
    QSizeF size{0, 0};
    QRectF rect;
    QVariant extra;
    Ref<pf::Object> child;
    Ref<pf::Object> conditional;

    void encodeWithCoder(KeyedArchiver& coder) const override
    {
        // The conditional reference comes first, so that the object may be encoded
        // unconditionally only afterwards.
        coder.encodeConditionalObject(conditional, QStringLiteral("conditional"));
        coder.encodeBool(flag, QStringLiteral("flag"));
        coder.encodeInt32(small, QStringLiteral("small"));
        coder.encodeInt64(large, QStringLiteral("large"));
        coder.encodeFloat(single, QStringLiteral("single"));
        coder.encodeDouble(real, QStringLiteral("real"));
        coder.encodeString(text, QStringLiteral("text"));
        coder.encodeData(data, QStringLiteral("data"));
        coder.encodeBytes(bytes.constData(), bytes.size(), QStringLiteral("bytes"));
        coder.encodePoint(point, QStringLiteral("point"));
        coder.encodeSize(size, QStringLiteral("size"));
        coder.encodeRect(rect, QStringLiteral("rect"));
        coder.encodeObject(child, QStringLiteral("child"));
        if (extra.isValid())
            coder.encodePropertyListValue(extra, QStringLiteral("extra"));
    }
    void initWithCoder(KeyedUnarchiver& coder) override
    {
        conditional = coder.decodeObjectForKey(QStringLiteral("conditional"));
        flag = coder.decodeBool(QStringLiteral("flag"));
        small = coder.decodeInt32(QStringLiteral("small"));
        large = coder.decodeInt64(QStringLiteral("large"));
        single = coder.decodeFloat(QStringLiteral("single"));
        real = coder.decodeDouble(QStringLiteral("real"));
        text = coder.decodeString(QStringLiteral("text"));
        data = coder.decodeData(QStringLiteral("data"));
        bytes = coder.decodeBytes(QStringLiteral("bytes"));
        point = coder.decodePoint(QStringLiteral("point"));
        size = coder.decodeSize(QStringLiteral("size"));
        rect = coder.decodeRect(QStringLiteral("rect"));
        child = coder.decodeObjectForKey(QStringLiteral("child"));
        extra = coder.decodePropertyListValue(QStringLiteral("extra"));
    }
};

class OtherItem : public Item {
    PF_CLASS(OtherItem)
};

// Registered as one shared instance: decoding answers it in place of the new one.
class Registered : public pf::Object, public pf::Coding {
    PF_CLASS(Registered)
public:
    static Ref<Registered> canonical()
    {
        static const Ref<Registered> instance = std::make_shared<Registered>();
        return instance;
    }
    Ref<pf::Object> peer;
    void encodeWithCoder(KeyedArchiver& coder) const override { coder.encodeObject(peer, QStringLiteral("peer")); }
    void initWithCoder(KeyedUnarchiver& coder) override { peer = coder.decodeObjectForKey(QStringLiteral("peer")); }
    Ref<pf::Object> awakeAfterUsingCoder(KeyedUnarchiver&) override { return canonical(); }
};

// Never archived: its references become nil.
class Transient : public pf::Object, public pf::Coding {
    PF_CLASS(Transient)
public:
    void encodeWithCoder(KeyedArchiver&) const override { ADD_FAILURE() << "a transient object was encoded"; }
    void initWithCoder(KeyedUnarchiver&) override {}
    Ref<pf::Object> replacementObjectForCoder(KeyedArchiver&) override { return nullptr; }
};

// Archived as a stand-in object.
class Proxy : public pf::Object, public pf::Coding {
    PF_CLASS(Proxy)
public:
    Ref<Item> standIn = std::make_shared<Item>();
    void encodeWithCoder(KeyedArchiver&) const override { ADD_FAILURE() << "a proxy was encoded"; }
    void initWithCoder(KeyedUnarchiver&) override {}
    Ref<pf::Object> replacementObjectForCoder(KeyedArchiver&) override { return standIn; }
};

class Thrower : public pf::Object, public pf::Coding {
    PF_CLASS(Thrower)
public:
    void encodeWithCoder(KeyedArchiver&) const override {}
    void initWithCoder(KeyedUnarchiver&) override
    {
        throw pf::InternalInconsistencyException(QStringLiteral("the thrower refuses"));
    }
};

// Holds a worker's decode until the test lets it go on.
class Gate : public pf::Object, public pf::Coding {
    PF_CLASS(Gate)
public:
    static inline std::binary_semaphore reached{0};
    static inline std::binary_semaphore proceed{0};
    void encodeWithCoder(KeyedArchiver&) const override {}
    void initWithCoder(KeyedUnarchiver&) override
    {
        reached.release();
        proceed.acquire();
    }
};

// Adopts Coding but is not marked archivable.
class Unmarked : public pf::Object, public pf::Coding {
    PF_CLASS(Unmarked)
public:
    void encodeWithCoder(KeyedArchiver&) const override {}
    void initWithCoder(KeyedUnarchiver&) override {}
};

// Marked archivable but does not adopt Coding.
class MarkedOnly : public pf::Object {
    PF_CLASS(MarkedOnly)
};

class NotCoding : public pf::Object {
    PF_CLASS(NotCoding)
};

// Encodes `width` keys, then the key `repeated` a second time when it is set.
class Wide : public pf::Object, public pf::Coding {
    PF_CLASS(Wide)
public:
    int width = 0;
    QString prefix;
    QString repeated;
    QList<Ref<pf::Object>> children;
    void encodeWithCoder(KeyedArchiver& coder) const override
    {
        for (int i = 0; i < width; ++i)
            coder.encodeInt32(i, prefix + QStringLiteral("k%1").arg(i));
        if (!repeated.isEmpty())
            coder.encodeBool(true, repeated);
        for (int i = 0; i < children.size(); ++i)
            coder.encodeObject(children[i], QStringLiteral("child%1").arg(i));
    }
    void initWithCoder(KeyedUnarchiver& coder) override { width = coder.decodeInt32(QStringLiteral("k1")) + 1; }
};

PF_DEFINE_CLASS_NAMED(Item, pf::Object, "KeyedArchiverTest.Item") { b.protocol(pf::kCodingProtocol); }
PF_DEFINE_CLASS_NAMED(OtherItem, Item, "KeyedArchiverTest.OtherItem") {}
PF_DEFINE_CLASS_NAMED(Registered, pf::Object, "KeyedArchiverTest.Registered") { b.protocol(pf::kCodingProtocol); }
PF_DEFINE_CLASS_NAMED(Transient, pf::Object, "KeyedArchiverTest.Transient") { b.protocol(pf::kCodingProtocol); }
PF_DEFINE_CLASS_NAMED(Proxy, pf::Object, "KeyedArchiverTest.Proxy") { b.protocol(pf::kCodingProtocol); }
PF_DEFINE_CLASS_NAMED(Thrower, pf::Object, "KeyedArchiverTest.Thrower") { b.protocol(pf::kCodingProtocol); }
PF_DEFINE_CLASS_NAMED(Gate, pf::Object, "KeyedArchiverTest.Gate") { b.protocol(pf::kCodingProtocol); }
PF_DEFINE_CLASS_NAMED(Unmarked, pf::Object, "KeyedArchiverTest.Unmarked") {}
PF_DEFINE_CLASS_NAMED(MarkedOnly, pf::Object, "KeyedArchiverTest.MarkedOnly") { b.protocol(pf::kCodingProtocol); }
PF_DEFINE_CLASS_NAMED(NotCoding, pf::Object, "KeyedArchiverTest.NotCoding") {}
PF_DEFINE_CLASS_NAMED(Wide, pf::Object, "KeyedArchiverTest.Wide") { b.protocol(pf::kCodingProtocol); }

const QString kItemName = QStringLiteral("KeyedArchiverTest.Item");

Ref<Item> item(const Ref<pf::Object>& child = nullptr)
{
    auto made = std::make_shared<Item>();
    made->child = child;
    return made;
}

QVariant uid(quint64 value)
{
    return QVariant::fromValue(pf::PlistUID{value});
}

QVariant asValue(const Ref<pf::Object>& object)
{
    return pf::toVariant(object);
}

// Lets go of every reference between the items reachable from `root`, so that a decoded graph
// holding a cycle (anywhere, as damaged archives may put one) is freed.
void breakCycles(const Ref<pf::Object>& root)
{
    QList<Ref<pf::Object>> pending{root};
    QSet<pf::Object*> seen;
    while (!pending.isEmpty()) {
        const Ref<pf::Object> object = pending.takeLast();
        const auto node = std::dynamic_pointer_cast<Item>(object);
        if (!node || seen.contains(node.get()))
            continue;
        seen.insert(node.get());
        pending << node->child << node->conditional;
        QList<QVariant> values{node->extra};
        while (!values.isEmpty()) {
            const QVariant value = values.takeLast();
            if (auto inside = pf::objectFromVariant(value))
                pending << inside;
            else if (value.typeId() == QMetaType::QVariantList)
                values << value.toList();
            else if (value.typeId() == QMetaType::QVariantMap)
                values << value.toMap().values();
        }
        node->child.reset();
        node->conditional.reset();
        node->extra.clear();
    }
}

Ref<Item> asItem(const QVariant& value)
{
    return pf::objectCast<Item>(value);
}

// Decodes `data`, expecting success.
Ref<Item> roundTrip(const Ref<pf::Object>& root, PropertyListFormat format = PropertyListFormat::Binary)
{
    pf::Error error;
    const QByteArray data = KeyedArchiver::archivedData(root, format, &error);
    EXPECT_FALSE(data.isEmpty()) << qPrintable(error.description());
    const Ref<pf::Object> decoded = KeyedUnarchiver::unarchiveObject(data, &error);
    EXPECT_TRUE(error.isNull()) << qPrintable(error.description());
    return std::dynamic_pointer_cast<Item>(decoded);
}

// An archive made by hand: `objects` follow "$null", so the first of them has UID 1.
QByteArray handMade(const QVariantList& objects, const QVariantMap& top = {{QStringLiteral("root"), uid(1)}})
{
    QVariantList all{QStringLiteral("$null")};
    all += objects;
    const QVariantMap archive{{QStringLiteral("$archiver"), QStringLiteral("pf::KeyedArchiver")},
                              {QStringLiteral("$version"), 100000},
                              {QStringLiteral("$top"), top},
                              {QStringLiteral("$objects"), all}};
    return pf::PropertyList::data(archive, PropertyListFormat::Binary);
}

QVariantMap classEntry(const QString& name)
{
    return {{QStringLiteral("$classname"), name}, {QStringLiteral("$classes"), QVariantList{name, QStringLiteral("pf::Object")}}};
}

// An object of class entry `classUid` with the given fields.
QVariantMap objectEntry(quint64 classUid, QVariantMap fields = {})
{
    fields.insert(QStringLiteral("$class"), uid(classUid));
    return fields;
}

void expectCoderError(const pf::Error& error, int code)
{
    EXPECT_EQ(error.domain(), pf::kPFFoundationErrorDomain);
    EXPECT_EQ(error.code(), code) << qPrintable(error.description());
    EXPECT_FALSE(error.localizedDescription().isEmpty());
}

class ArchivingFormat : public testing::TestWithParam<PropertyListFormat> {};

} // namespace

TEST_P(ArchivingFormat, EveryTypedKeyRoundTrips)
{
    const Ref<Item> shared = item();
    shared->text = QStringLiteral("shared");
    const QDateTime date = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);

    const Ref<Item> root = item(shared);
    root->flag = true;
    root->small = std::numeric_limits<qint32>::min();
    root->large = std::numeric_limits<qint64>::max();
    root->single = 1.0f / 3.0f;
    root->real = 0.1 + 0.2;
    root->text = QStringLiteral("Grüße, ✓ & <tags>");
    root->data = QByteArray("\0\x01\xff binary", 10);
    root->bytes = QByteArray("\0raw", 4);
    root->point = QPointF(1.0 / 3.0, -2e-300);
    root->size = QSizeF(1e300, 0.5);
    root->rect = QRectF(-0.1, 0.7, 3.25, 1.0 / 7.0);
    // Keys that look like the archive's own must not be taken for them.
    root->extra = QVariantMap{{QStringLiteral("list"), QVariantList{1, 2.5, QStringLiteral("s"), QByteArray("d"), true, date, asValue(shared), QVariant()}},
                              {QStringLiteral("$class"), QStringLiteral("not a class")},
                              {QStringLiteral("CF$UID"), 3},
                              {QStringLiteral("nested"), QVariantMap{{QStringLiteral("object"), asValue(shared)}}}};

    const Ref<Item> decoded = roundTrip(root, GetParam());
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->flag);
    EXPECT_EQ(decoded->small, root->small);
    EXPECT_EQ(decoded->large, root->large);
    EXPECT_EQ(decoded->single, root->single);
    EXPECT_EQ(decoded->real, root->real);
    EXPECT_EQ(decoded->text, root->text);
    EXPECT_EQ(decoded->data, root->data);
    EXPECT_EQ(decoded->bytes, root->bytes);
    EXPECT_EQ(decoded->point.x(), root->point.x());
    EXPECT_EQ(decoded->point.y(), root->point.y());
    EXPECT_EQ(decoded->size.width(), root->size.width());
    EXPECT_EQ(decoded->size.height(), root->size.height());
    EXPECT_EQ(decoded->rect.y(), root->rect.y());
    EXPECT_EQ(decoded->rect.height(), root->rect.height());
    EXPECT_EQ(decoded->rect, root->rect);

    const auto decodedShared = std::dynamic_pointer_cast<Item>(decoded->child);
    ASSERT_TRUE(decodedShared);
    EXPECT_EQ(decodedShared->text, QStringLiteral("shared"));
    EXPECT_FALSE(decodedShared->child);

    const QVariantMap extra = decoded->extra.toMap();
    EXPECT_EQ(extra.value(QStringLiteral("$class")).toString(), QStringLiteral("not a class"));
    EXPECT_EQ(extra.value(QStringLiteral("CF$UID")).toLongLong(), 3);
    const QVariantList list = extra.value(QStringLiteral("list")).toList();
    ASSERT_EQ(list.size(), 8);
    EXPECT_EQ(list[0].toLongLong(), 1);
    EXPECT_EQ(list[1].toDouble(), 2.5);
    EXPECT_EQ(list[2].toString(), QStringLiteral("s"));
    EXPECT_EQ(list[3].toByteArray(), QByteArray("d"));
    EXPECT_EQ(list[4].typeId(), QMetaType::Bool);
    EXPECT_EQ(list[5].toDateTime(), date);
    EXPECT_EQ(asItem(list[6]), decodedShared) << "an object inside a value is the same decoded object";
    EXPECT_FALSE(list[7].isValid());
    EXPECT_EQ(asItem(extra.value(QStringLiteral("nested")).toMap().value(QStringLiteral("object"))), decodedShared);
}

INSTANTIATE_TEST_SUITE_P(KeyedArchiver, ArchivingFormat,
                         testing::Values(PropertyListFormat::Binary, PropertyListFormat::XML),
                         [](const testing::TestParamInfo<PropertyListFormat>& info) {
                             return info.param == PropertyListFormat::XML ? "XML" : "Binary";
                         });

TEST(KeyedArchiver, WritesTheDocumentedLayout)
{
    const Ref<Item> root = item();
    root->small = 7;
    const QVariantMap archive = pf::PropertyList::value(KeyedArchiver::archivedData(root)).toMap();
    EXPECT_EQ(archive.value(QStringLiteral("$archiver")).toString(), QStringLiteral("pf::KeyedArchiver"));
    EXPECT_EQ(archive.value(QStringLiteral("$version")).toLongLong(), 100000);
    const QVariantList objects = archive.value(QStringLiteral("$objects")).toList();
    ASSERT_EQ(objects.size(), 3); // "$null", the item and its class
    EXPECT_EQ(objects[0].toString(), QStringLiteral("$null"));
    const auto rootUid = archive.value(QStringLiteral("$top")).toMap().value(QStringLiteral("root")).value<pf::PlistUID>();
    const QVariantMap fields = objects.value(qsizetype(rootUid.value)).toMap();
    EXPECT_EQ(fields.value(QStringLiteral("small")).toLongLong(), 7);
    EXPECT_EQ(fields.value(QStringLiteral("child")).value<pf::PlistUID>().value, 0u) << "nil is $null";
    const QVariantMap cls = objects.value(qsizetype(fields.value(QStringLiteral("$class")).value<pf::PlistUID>().value)).toMap();
    EXPECT_EQ(cls.value(QStringLiteral("$classname")).toString(), kItemName);
    EXPECT_EQ(cls.value(QStringLiteral("$classes")).toStringList(),
              (QStringList{kItemName, QStringLiteral("pf::Object"), QStringLiteral("pf::Reflective")}));
}

TEST(KeyedArchiver, SharedReferencesStaySharedAndCyclesRoundTrip)
{
    const Ref<Item> shared = item();
    const Ref<Item> other = item(shared);
    const Ref<Item> root = item();
    root->extra = QVariantList{asValue(shared), asValue(shared), asValue(other)};
    // parent <-> child
    const Ref<Item> parent = item();
    const Ref<Item> child = item(parent);
    parent->child = child;
    root->child = parent;

    const QByteArray data = KeyedArchiver::archivedData(root);
    const QVariantList objects = pf::PropertyList::value(data).toMap().value(QStringLiteral("$objects")).toList();
    EXPECT_EQ(objects.size(), 7) << "five items, one class entry and $null";

    const Ref<Item> decoded = roundTrip(root);
    ASSERT_TRUE(decoded);
    const QVariantList list = decoded->extra.toList();
    ASSERT_EQ(list.size(), 3);
    ASSERT_TRUE(asItem(list[0]));
    EXPECT_EQ(asItem(list[0]), asItem(list[1]));
    EXPECT_EQ(asItem(list[2])->child, asItem(list[0]));

    const auto decodedParent = std::dynamic_pointer_cast<Item>(decoded->child);
    ASSERT_TRUE(decodedParent);
    const auto decodedChild = std::dynamic_pointer_cast<Item>(decodedParent->child);
    ASSERT_TRUE(decodedChild);
    EXPECT_EQ(decodedChild->child, decodedParent);
    decodedChild->child.reset(); // break the cycle
    parent->child.reset();
}

TEST(KeyedArchiver, ConditionalObjectsAreKeptOnlyWhenEncodedUnconditionally)
{
    const Ref<Item> target = item();
    target->text = QStringLiteral("target");

    // Encoded unconditionally after the conditional reference (Item writes "conditional" first).
    const Ref<Item> kept = item(target);
    kept->conditional = target;
    const Ref<Item> decodedKept = roundTrip(kept);
    ASSERT_TRUE(decodedKept && decodedKept->child);
    EXPECT_EQ(decodedKept->conditional, decodedKept->child);

    // Encoded unconditionally elsewhere in the graph, before the conditional reference.
    const Ref<Item> root = item(target);
    root->extra = QVariantList{asValue(item())};
    asItem(root->extra.toList()[0])->conditional = target;
    const Ref<Item> decodedRoot = roundTrip(root);
    ASSERT_TRUE(decodedRoot);
    EXPECT_EQ(asItem(decodedRoot->extra.toList().value(0))->conditional, decodedRoot->child);

    // Never encoded unconditionally: nil, and not in the archive at all.
    const Ref<Item> dropped = item();
    dropped->conditional = target;
    const QByteArray data = KeyedArchiver::archivedData(dropped);
    EXPECT_EQ(pf::PropertyList::value(data).toMap().value(QStringLiteral("$objects")).toList().size(), 3);
    const Ref<Item> decodedDropped = roundTrip(dropped);
    ASSERT_TRUE(decodedDropped);
    EXPECT_FALSE(decodedDropped->conditional);

    // At the top of the archive too.
    KeyedArchiver archiver;
    archiver.encodeConditionalObject(target, QStringLiteral("maybe"));
    archiver.encodeConditionalObject(dropped, QStringLiteral("never"));
    archiver.encodeObject(target, QStringLiteral("root"));
    KeyedUnarchiver unarchiver(archiver.encodedData());
    const Ref<pf::Object> decodedTarget = unarchiver.decodeObjectForKey(QStringLiteral("root"));
    EXPECT_TRUE(decodedTarget);
    EXPECT_EQ(unarchiver.decodeObjectForKey(QStringLiteral("maybe")), decodedTarget);
    EXPECT_TRUE(unarchiver.containsValueForKey(QStringLiteral("never")));
    EXPECT_FALSE(unarchiver.decodeObjectForKey(QStringLiteral("never")));
    EXPECT_TRUE(unarchiver.error().isNull());
}

TEST(KeyedArchiver, ReplacementsBeforeEncoding)
{
    const auto proxy = std::make_shared<Proxy>();
    proxy->standIn->text = QStringLiteral("stand-in");
    const Ref<Item> root = item(std::make_shared<Transient>());
    root->extra = QVariantList{asValue(proxy), asValue(std::make_shared<Transient>()), asValue(proxy->standIn)};
    root->conditional = proxy; // kept: its replacement is encoded

    const Ref<Item> decoded = roundTrip(root);
    ASSERT_TRUE(decoded);
    EXPECT_FALSE(decoded->child) << "a transient object becomes nil";
    const QVariantList list = decoded->extra.toList();
    ASSERT_EQ(list.size(), 3);
    ASSERT_TRUE(asItem(list[0]));
    EXPECT_EQ(asItem(list[0])->text, QStringLiteral("stand-in"));
    EXPECT_FALSE(list[1].isValid());
    EXPECT_EQ(asItem(list[2]), asItem(list[0])) << "the stand-in and the proxy are one object";
    EXPECT_EQ(decoded->conditional, asItem(list[0]));
}

TEST(KeyedArchiver, ProgrammingErrorsRaise)
{
    auto raisedName = [](const std::function<void(KeyedArchiver&)>& encode) {
        KeyedArchiver archiver;
        try {
            encode(archiver);
        } catch (const pf::Exception& exception) {
            return exception.name();
        }
        return QString();
    };
    EXPECT_EQ(raisedName([](KeyedArchiver& a) {
                  a.encodeInt32(1, QStringLiteral("k"));
                  a.encodeString(QStringLiteral("x"), QStringLiteral("k"));
              }),
              pf::NSInvalidArchiveOperationException);
    EXPECT_EQ(raisedName([](KeyedArchiver& a) { a.encodeObject(std::make_shared<NotCoding>(), QStringLiteral("k")); }),
              pf::NSInvalidArgumentException);
    EXPECT_EQ(raisedName([](KeyedArchiver& a) { a.encodeObject(std::make_shared<Unmarked>(), QStringLiteral("k")); }),
              pf::NSInvalidArgumentException);
    EXPECT_EQ(raisedName([](KeyedArchiver& a) { a.encodeConditionalObject(std::make_shared<NotCoding>(), QStringLiteral("k")); }),
              pf::NSInvalidArgumentException);
    EXPECT_EQ(raisedName([](KeyedArchiver& a) {
                  a.encodePropertyListValue(QVariantList{asValue(std::make_shared<NotCoding>())}, QStringLiteral("k"));
              }),
              pf::NSInvalidArgumentException);
    EXPECT_EQ(raisedName([](KeyedArchiver& a) { a.encodePropertyListValue(QVariant(QPoint(1, 2)), QStringLiteral("k")); }),
              pf::NSInvalidArgumentException);
    EXPECT_EQ(raisedName([](KeyedArchiver& a) {
                  a.finishEncoding();
                  a.encodeBool(true, QStringLiteral("late"));
              }),
              pf::NSInvalidArchiveOperationException);
}

TEST(KeyedArchiver, AKeyTwiceRaisesHoweverManyKeysTheObjectHas)
{
    auto raises = [](const Ref<pf::Object>& root) {
        try {
            KeyedArchiver::archivedData(root);
        } catch (const pf::Exception& exception) {
            return exception.name() == pf::NSInvalidArchiveOperationException;
        }
        return false;
    };
    for (int width : {3, 23, 24, 25, 60}) {
        SCOPED_TRACE(width);
        auto wide = std::make_shared<Wide>();
        wide->width = width;
        for (int i = 0; i < 3; ++i) {
            auto sibling = std::make_shared<Wide>();
            sibling->width = width; // the same keys in other objects are no repeat
            wide->children.append(sibling);
        }
        EXPECT_FALSE(raises(wide));
        for (const QString& key : {QStringLiteral("k0"), QStringLiteral("k%1").arg(width - 1)}) {
            wide->repeated = key;
            EXPECT_TRUE(raises(wide)) << qPrintable(key);
        }
        wide->repeated = QStringLiteral("k%1").arg(width);
        EXPECT_FALSE(raises(wide));
    }
    // At the top of the archive too, and after objects were encoded in between.
    KeyedArchiver archiver;
    for (int i = 0; i < 30; ++i) {
        archiver.encodeInt32(i, QStringLiteral("k%1").arg(i));
        archiver.encodeObject(item(), QStringLiteral("o%1").arg(i));
    }
    EXPECT_THROW(archiver.encodeBool(true, QStringLiteral("k0")), pf::Exception);
    EXPECT_THROW(archiver.encodeBool(true, QStringLiteral("o29")), pf::Exception);
    EXPECT_NO_THROW(archiver.encodeBool(true, QStringLiteral("k30")));
}

// Another writer may repeat a key in one dictionary; the later value counts, however the
// archive is read.
TEST(KeyedArchiver, ARepeatedKeyReadsAsItsLastValue)
{
    pf::BinaryPropertyListWriter writer(pf::kMaxPropertyListDepth);
    const quint64 root = writer.addDictionary(4);
    // The writer takes strings at the same place for the same text, so they outlive it.
    const QString rootKeys[] = {QStringLiteral("$archiver"), QStringLiteral("$objects"), QStringLiteral("$top"),
                                QStringLiteral("$version")};
    for (int i = 0; i < 4; ++i)
        writer.setReference(root, quint64(i), writer.addString(rootKeys[i]));
    writer.setReference(root, 4, writer.addString(QStringLiteral("pf::KeyedArchiver")));
    const quint64 objects = writer.addArray(3);
    writer.setReference(root, 5, objects);
    writer.setReference(objects, 0, writer.addString(QStringLiteral("$null")));
    const quint64 object = writer.addDictionary(3);
    writer.setReference(objects, 1, object);
    const QString keys[] = {QStringLiteral("$class"), QStringLiteral("small"), QStringLiteral("small")};
    for (int i = 0; i < 3; ++i)
        writer.setReference(object, quint64(i), writer.addString(keys[i]));
    writer.setReference(object, 3, writer.addUid(2));
    writer.setReference(object, 4, writer.addInteger(1));
    writer.setReference(object, 5, writer.addInteger(2));
    const QVariant description = classEntry(kItemName);
    writer.setReference(objects, 2, writer.addValue(description, 2));
    const quint64 top = writer.addDictionary(1);
    writer.setReference(top, 0, writer.addString(QStringLiteral("root")));
    writer.setReference(top, 1, writer.addUid(1));
    writer.setReference(root, 6, top);
    writer.setReference(root, 7, writer.addInteger(100000));
    const QByteArray data = writer.write();

    const QVariantList read = pf::PropertyList::value(data).toMap().value(QStringLiteral("$objects")).toList();
    EXPECT_EQ(read.value(1).toMap().value(QStringLiteral("small")).toLongLong(), 2);
    pf::Error error;
    const auto decoded = std::dynamic_pointer_cast<Item>(KeyedUnarchiver::unarchiveObject(data, &error));
    ASSERT_TRUE(decoded) << qPrintable(error.description());
    EXPECT_EQ(decoded->small, 2);
}

// An object decoded while another is being read (its first value here) must leave every value
// of the outer object as it was, whichever of them the outer one reads afterwards.
TEST(KeyedArchiver, AnObjectReadsItsOwnValuesAfterDecodingAnother)
{
    for (PropertyListFormat format : {PropertyListFormat::Binary, PropertyListFormat::XML}) {
        SCOPED_TRACE(int(format));
        auto inner = std::make_shared<Item>();
        inner->text = QStringLiteral("inner");
        inner->large = 2;
        auto outer = std::make_shared<Item>();
        outer->text = QStringLiteral("outer");
        outer->large = 1;
        outer->small = 3;
        outer->conditional = inner;
        outer->child = inner;
        pf::Error error;
        const auto read = std::dynamic_pointer_cast<Item>(
            KeyedUnarchiver::unarchiveObject(KeyedArchiver::archivedData(outer, format), &error));
        ASSERT_TRUE(read) << qPrintable(error.description());
        EXPECT_EQ(read->text, QStringLiteral("outer"));
        EXPECT_EQ(read->large, 1);
        EXPECT_EQ(read->small, 3);
        const auto child = std::dynamic_pointer_cast<Item>(read->child);
        ASSERT_TRUE(child);
        EXPECT_EQ(read->conditional, read->child);
        EXPECT_EQ(child->text, QStringLiteral("inner"));
        EXPECT_EQ(child->large, 2);
    }
}

// Keys are looked up by the texts met so far: a key no object had when it was first asked for
// must still be found in an object read after that, and a key one object has must not be
// found in the next object, which lacks it.
TEST(KeyedArchiver, EachObjectAnswersForItsOwnKeys)
{
    for (PropertyListFormat format : {PropertyListFormat::Binary, PropertyListFormat::XML}) {
        SCOPED_TRACE(int(format));
        auto first = std::make_shared<Item>();
        auto second = std::make_shared<Item>();
        second->extra = QVariant(qlonglong(7));
        auto third = std::make_shared<Item>();
        KeyedArchiver archiver(format);
        archiver.encodePropertyListValue(QVariantList{pf::toVariant(first), pf::toVariant(second), pf::toVariant(third)},
                                         QStringLiteral("items"));
        const QByteArray data = archiver.encodedData();
        KeyedUnarchiver unarchiver(data);
        const QVariantList items = unarchiver.decodePropertyListValue(QStringLiteral("items")).toList();
        ASSERT_EQ(items.size(), 3);
        const auto read = [&](int i) { return pf::objectCast<Item>(items[i]); };
        ASSERT_TRUE(read(0) && read(1) && read(2));
        EXPECT_FALSE(read(0)->extra.isValid());
        EXPECT_EQ(read(1)->extra.toLongLong(), 7);
        EXPECT_FALSE(read(2)->extra.isValid());
    }
}

TEST(KeyedArchiver, KeysLikeTheArchivesOwnAreEscapedInObjectsAndAtTheTop)
{
    for (PropertyListFormat format : {PropertyListFormat::Binary, PropertyListFormat::XML}) {
        auto wide = std::make_shared<Wide>();
        wide->width = 2;
        wide->prefix = QStringLiteral("$");
        KeyedArchiver archiver(format);
        archiver.encodeInt32(5, QStringLiteral("$class"));
        archiver.encodeInt32(6, QStringLiteral("CF$UID"));
        archiver.encodeObject(wide, QStringLiteral("root"));
        const QByteArray data = archiver.encodedData();

        const QVariantMap archive = pf::PropertyList::value(data).toMap();
        const QVariantMap top = archive.value(QStringLiteral("$top")).toMap();
        EXPECT_EQ(top.value(QStringLiteral("$$class")).toLongLong(), 5);
        EXPECT_EQ(top.value(QStringLiteral("$CF$UID")).toLongLong(), 6);
        const QVariantList objects = archive.value(QStringLiteral("$objects")).toList();
        const QVariantMap fields = objects.value(qsizetype(top.value(QStringLiteral("root")).value<pf::PlistUID>().value)).toMap();
        EXPECT_EQ(fields.value(QStringLiteral("$$k1")).toLongLong(), 1);
        EXPECT_TRUE(fields.value(QStringLiteral("$class")).canConvert<pf::PlistUID>()) << "the class reference is intact";

        KeyedUnarchiver unarchiver(data);
        EXPECT_EQ(unarchiver.decodeInt32(QStringLiteral("$class")), 5);
        EXPECT_EQ(unarchiver.decodeInt32(QStringLiteral("CF$UID")), 6);
        EXPECT_TRUE(unarchiver.decodeObjectOfClass<Wide>(QStringLiteral("root")));
        EXPECT_TRUE(unarchiver.error().isNull()) << qPrintable(unarchiver.error().description());
    }
}

// The binary archive is written straight from the encoded values; the generic property-list
// path must read it as the same archive the XML form gives, and write it back to the same bytes.
TEST(KeyedArchiver, BinaryArchivesMatchTheGenericPropertyListPath)
{
    const QDateTime date = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    const Ref<Item> shared = item();
    shared->text = QStringLiteral("a text long enough not to be shared by its bytes");
    const auto proxy = std::make_shared<Proxy>();
    const Ref<Item> root = item(shared);
    QVariantList members;
    // Enough objects that references and offsets take two bytes, and values that repeat.
    for (int i = 0; i < 400; ++i) {
        const Ref<Item> member = item(i % 3 ? shared : nullptr);
        member->flag = i % 2;
        member->small = i % 5 - 2;
        member->large = i % 7 ? qint64(i) << 40 : -1;
        member->single = float(i) / 8;
        member->real = i % 4 ? 0.5 : std::numeric_limits<double>::infinity();
        member->text = i % 6 ? QStringLiteral("item %1").arg(i % 10) : QStringLiteral("Grüße %1").arg(i);
        member->data = QByteArray(i % 40, char(i));
        member->point = QPointF(i, -i);
        member->size = QSizeF(i % 3, 2);
        member->rect = QRectF(0, i, 1.5, i % 2);
        member->conditional = i % 2 ? Ref<pf::Object>(shared) : Ref<pf::Object>(item());
        if (i % 100 == 1) {
            // Keys too long to share: written again in every object that has them.
            auto wide = std::make_shared<Wide>();
            wide->width = 3;
            wide->prefix = QStringLiteral("a key long enough not to be shared, ");
            member->extra = asValue(wide);
        }
        if (i % 50 == 0)
            member->extra = QVariantMap{{QStringLiteral("$class"), QStringLiteral("escaped")},
                                        {QStringLiteral("when"), date},
                                        {QStringLiteral("list"), QVariantList{asValue(proxy), i, QStringList{QStringLiteral("a")}}}};
        members.append(asValue(member));
    }
    root->extra = members;
    root->conditional = proxy;

    pf::Error error;
    const QByteArray binary = KeyedArchiver::archivedData(root, PropertyListFormat::Binary, &error);
    ASSERT_FALSE(binary.isEmpty()) << qPrintable(error.description());
    const QVariant tree = pf::PropertyList::value(binary, nullptr, &error);
    ASSERT_TRUE(error.isNull()) << qPrintable(error.description());
    const QVariant fromXml = pf::PropertyList::value(KeyedArchiver::archivedData(root, PropertyListFormat::XML));
    EXPECT_TRUE(tree == fromXml) << "the binary and XML forms hold different archives";
    EXPECT_TRUE(pf::PropertyList::data(tree, PropertyListFormat::Binary) == binary)
        << "the generic writer lays the same archive out differently";

    const auto decoded = std::dynamic_pointer_cast<Item>(KeyedUnarchiver::unarchiveObject(binary, &error));
    ASSERT_TRUE(decoded) << qPrintable(error.description());
    const QVariantList list = decoded->extra.toList();
    ASSERT_EQ(list.size(), 400);
    EXPECT_EQ(asItem(list[7])->rect, QRectF(0, 7, 1.5, 1));
    EXPECT_EQ(asItem(list[7])->conditional, decoded->child);
    EXPECT_FALSE(asItem(list[8])->conditional);
    EXPECT_EQ(asItem(list[12])->text, QStringLiteral("Grüße 12"));
    breakCycles(decoded);
}

TEST(KeyedArchiver, ValuesAPropertyListCannotHoldFailWithAnError)
{
    const Ref<Item> root = item();
    root->text = QString::fromUtf8("nul\0inside", 10);
    pf::Error error;
    EXPECT_TRUE(KeyedArchiver::archivedData(root, PropertyListFormat::Binary, &error).isEmpty());
    expectCoderError(error, pf::kErrorCoderInvalidValue);
    EXPECT_FALSE(error.underlyingError().isNull());
}

TEST(KeyedArchiver, ClassNamesAreSubstitutedWhenWritingAndReading)
{
    const QString legacy = QStringLiteral("KeyedArchiverTest.LegacyItem");
    KeyedArchiver::setClassNameForClassGlobal(QStringLiteral("KeyedArchiverTest.GlobalName"), Item::staticClass());
    KeyedArchiver archiver;
    archiver.setClassNameForClass(legacy, Item::staticClass()); // wins over the class-wide name
    archiver.encodeObject(item(), QStringLiteral("root"));
    const QByteArray data = archiver.encodedData();
    KeyedArchiver::setClassNameForClassGlobal(QString(), Item::staticClass());
    EXPECT_TRUE(data.contains(legacy.toUtf8()));
    EXPECT_FALSE(data.contains("GlobalName"));
    EXPECT_FALSE(data.contains(kItemName.toUtf8() + '\0')); // only as a prefix of the legacy name

    pf::Error error;
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObject(data, &error)) << "no class answers the legacy name";
    expectCoderError(error, pf::kErrorCoderInvalidValue);
    EXPECT_TRUE(error.localizedDescription().contains(legacy));

    KeyedUnarchiver::setClassForClassName(&Item::staticClass(), legacy);
    error = {};
    const Ref<pf::Object> global = KeyedUnarchiver::unarchiveObject(data, &error);
    EXPECT_TRUE(global && global->isMemberOf(Item::staticClass())) << qPrintable(error.description());

    KeyedUnarchiver own(data);
    own.setClass(&OtherItem::staticClass(), legacy); // consulted before the class-wide table
    EXPECT_TRUE(own.decodeObjectForKey(QStringLiteral("root"))->isMemberOf(OtherItem::staticClass()));
    KeyedUnarchiver::setClassForClassName(nullptr, legacy);
}

// Names are looked up for each object as it is encoded: a mapping made between two objects
// applies to the later one, and one taken back no longer applies.
TEST(KeyedArchiver, ClassNamesMappedWhileEncodingApplyFromTheNextObject)
{
    const QString own = QStringLiteral("KeyedArchiverTest.OwnLater");
    const QString global = QStringLiteral("KeyedArchiverTest.GlobalLater");
    KeyedArchiver archiver;
    archiver.encodeObject(item(), QStringLiteral("first"));
    KeyedArchiver::setClassNameForClassGlobal(global, Item::staticClass());
    archiver.encodeObject(item(), QStringLiteral("second"));
    archiver.setClassNameForClass(own, Item::staticClass());
    archiver.encodeObject(item(), QStringLiteral("third"));
    archiver.setClassNameForClass(QString(), Item::staticClass());
    archiver.encodeObject(item(), QStringLiteral("fourth"));
    KeyedArchiver::setClassNameForClassGlobal(QString(), Item::staticClass());
    archiver.encodeObject(item(), QStringLiteral("fifth"));

    const QVariantMap archive = pf::PropertyList::value(archiver.encodedData()).toMap();
    const QVariantList objects = archive.value(QStringLiteral("$objects")).toList();
    const QVariantMap top = archive.value(QStringLiteral("$top")).toMap();
    auto classNameOf = [&](const char* key) {
        const QVariantMap object = objects.value(int(top.value(QString::fromLatin1(key)).value<pf::PlistUID>().value)).toMap();
        const quint64 cls = object.value(QStringLiteral("$class")).value<pf::PlistUID>().value;
        return objects.value(int(cls)).toMap().value(QStringLiteral("$classname")).toString();
    };
    EXPECT_EQ(classNameOf("first"), kItemName);
    EXPECT_EQ(classNameOf("second"), global);
    EXPECT_EQ(classNameOf("third"), own);
    EXPECT_EQ(classNameOf("fourth"), global);
    EXPECT_EQ(classNameOf("fifth"), kItemName);
}

namespace {

class RecordingDelegate : public KeyedUnarchiver::Delegate {
public:
    QStringList calls;
    pf::Class* answer = nullptr;
    QStringList classNames;
    void unarchiverWillStart(KeyedUnarchiver&) override { calls << QStringLiteral("start"); }
    void unarchiverDidFinish(KeyedUnarchiver&) override { calls << QStringLiteral("finish"); }
    pf::Class* cannotDecodeObjectOfClassName(KeyedUnarchiver&, const QString& name, const QStringList& names) override
    {
        calls << QStringLiteral("cannot ") + name;
        classNames = names;
        return answer;
    }
    Ref<pf::Object> didDecodeObject(KeyedUnarchiver&, const Ref<pf::Object>& object) override
    {
        calls << QStringLiteral("decoded ") + object->className();
        if (auto decoded = std::dynamic_pointer_cast<Item>(object); decoded && decoded->text == QStringLiteral("swap"))
            return item();
        return object;
    }
};

} // namespace

TEST(KeyedArchiver, DelegateHooksSubstituteAndReplace)
{
    const QString unknown = QStringLiteral("KeyedArchiverTest.Unknown");
    const Ref<Item> swapped = item();
    swapped->text = QStringLiteral("swap");
    const Ref<Item> root = item(swapped);
    root->extra = QVariantList{asValue(swapped)};
    KeyedArchiver archiver;
    archiver.setClassNameForClass(unknown, Item::staticClass());
    archiver.encodeObject(root, QStringLiteral("root"));
    const QByteArray data = archiver.encodedData();

    RecordingDelegate delegate;
    delegate.answer = &Item::staticClass();
    KeyedUnarchiver unarchiver(data);
    unarchiver.setDelegate(&delegate);
    const auto decoded = std::dynamic_pointer_cast<Item>(unarchiver.decodeObjectForKey(QStringLiteral("root")));
    unarchiver.finishDecoding();
    unarchiver.finishDecoding();
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(unarchiver.error().isNull()) << qPrintable(unarchiver.error().description());
    EXPECT_EQ(delegate.calls, (QStringList{QStringLiteral("start"), QStringLiteral("cannot ") + unknown,
                                           QStringLiteral("decoded ") + kItemName, QStringLiteral("decoded ") + kItemName,
                                           QStringLiteral("finish")}));
    EXPECT_EQ(delegate.classNames, (QStringList{unknown, QStringLiteral("pf::Object"), QStringLiteral("pf::Reflective")}));
    ASSERT_TRUE(decoded->child);
    EXPECT_TRUE(std::dynamic_pointer_cast<Item>(decoded->child)->text.isEmpty()) << "the delegate's replacement";
    EXPECT_EQ(asItem(decoded->extra.toList().value(0)), decoded->child);

    // A delegate that answers a class that may not be unarchived does not get it made.
    RecordingDelegate refusing;
    refusing.answer = &Unmarked::staticClass();
    KeyedUnarchiver refused(data);
    refused.setDelegate(&refusing);
    EXPECT_FALSE(refused.decodeObjectForKey(QStringLiteral("root")));
    expectCoderError(refused.error(), pf::kErrorCoderInvalidValue);
}

TEST(KeyedArchiver, AwakeReplacementAppliesToLaterReferences)
{
    // root.extra = [r, r, p]; r.peer = p; p.child = r, met while r is being decoded.
    const auto registered = std::make_shared<Registered>();
    const Ref<Item> peer = item(registered);
    registered->peer = peer;
    const Ref<Item> root = item();
    root->extra = QVariantList{asValue(registered), asValue(registered), asValue(peer)};

    const Ref<Item> decoded = roundTrip(root);
    registered->peer.reset();
    ASSERT_TRUE(decoded);
    const QVariantList list = decoded->extra.toList();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(pf::objectFromVariant(list[0]), Registered::canonical());
    EXPECT_EQ(pf::objectFromVariant(list[1]), Registered::canonical());
    const Ref<Item> decodedPeer = asItem(list[2]);
    ASSERT_TRUE(decodedPeer);
    const auto factoryMade = std::dynamic_pointer_cast<Registered>(decodedPeer->child);
    ASSERT_TRUE(factoryMade);
    EXPECT_NE(factoryMade, Registered::canonical()) << "the cycle holds the partly decoded instance";
    EXPECT_EQ(factoryMade->peer, decodedPeer);
    EXPECT_FALSE(Registered::canonical()->peer);
    factoryMade->peer.reset();
}

TEST(KeyedArchiver, MissingAndMistypedValuesReadAsZero)
{
    KeyedArchiver archiver;
    archiver.encodeString(QStringLiteral("text"), QStringLiteral("string"));
    archiver.encodeInt64(qint64(1) << 40, QStringLiteral("large"));
    archiver.encodeDouble(2.5, QStringLiteral("real"));
    archiver.encodePropertyListValue(QVariantList{1.0, 2.0, 3.0}, QStringLiteral("triple"));
    archiver.encodeObject(item(), QStringLiteral("object"));
    KeyedUnarchiver unarchiver(archiver.encodedData());
    ASSERT_TRUE(unarchiver.isValid());

    for (const QString& key : {QStringLiteral("string"), QStringLiteral("missing"), QStringLiteral("object")}) {
        SCOPED_TRACE(qPrintable(key));
        EXPECT_EQ(unarchiver.decodeInt32(key), 0);
        EXPECT_EQ(unarchiver.decodeInt64(key), 0);
        EXPECT_EQ(unarchiver.decodeDouble(key), 0.0);
        EXPECT_FALSE(unarchiver.decodeBool(key));
        EXPECT_TRUE(unarchiver.decodeData(key).isEmpty());
        EXPECT_EQ(unarchiver.decodePoint(key), QPointF());
        EXPECT_EQ(unarchiver.decodeSize(key), QSizeF(0, 0));
        EXPECT_EQ(unarchiver.decodeRect(key), QRectF());
    }
    EXPECT_EQ(unarchiver.decodeInt32(QStringLiteral("large")), 0) << "does not fit";
    EXPECT_EQ(unarchiver.decodeInt64(QStringLiteral("large")), qint64(1) << 40);
    EXPECT_EQ(unarchiver.decodeDouble(QStringLiteral("large")), double(qint64(1) << 40));
    EXPECT_EQ(unarchiver.decodeInt64(QStringLiteral("real")), 0);
    EXPECT_TRUE(unarchiver.decodeString(QStringLiteral("real")).isEmpty());
    EXPECT_EQ(unarchiver.decodePoint(QStringLiteral("triple")), QPointF()) << "three numbers are not a point";
    EXPECT_FALSE(unarchiver.decodeObjectForKey(QStringLiteral("string")));
    EXPECT_FALSE(unarchiver.decodeObjectForKey(QStringLiteral("missing")));
    EXPECT_FALSE(unarchiver.containsValueForKey(QStringLiteral("missing")));
    EXPECT_TRUE(unarchiver.containsValueForKey(QStringLiteral("object")));

    // Decoding by class: another class's object is not even made.
    const int before = Item::made;
    EXPECT_FALSE(unarchiver.decodeObjectOfClass<Registered>(QStringLiteral("object")));
    EXPECT_EQ(Item::made, before);
    EXPECT_TRUE(unarchiver.decodeObjectOfClass<Item>(QStringLiteral("object")));
    EXPECT_FALSE(unarchiver.decodeObjectOfClass<OtherItem>(QStringLiteral("object"))) << "already decoded, still checked";
    EXPECT_TRUE(unarchiver.error().isNull()) << "mistyped values are not errors";
}

TEST(KeyedArchiver, UnarchivingByClassRefusesAnotherRoot)
{
    const QByteArray data = KeyedArchiver::archivedData(item());
    pf::Error error;
    EXPECT_TRUE(KeyedUnarchiver::unarchiveObjectOfClass<Item>(data, &error));
    EXPECT_TRUE(error.isNull());
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObjectOfClass<OtherItem>(data, &error));
    expectCoderError(error, pf::kErrorCoderInvalidValue);

    error = {};
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObject(KeyedArchiver::archivedData(nullptr), &error));
    EXPECT_TRUE(error.isNull()) << "a nil root is not an error";
}

TEST(KeyedArchiver, ClassesThatMayNotBeUnarchivedGiveErrors)
{
    struct Case {
        const char* name;
        QString className;
    } cases[] = {
        {"unregistered", QStringLiteral("KeyedArchiverTest.NoSuchClass")},
        {"the root class", QStringLiteral("pf::Object")},
        {"registered, adopts Coding, not marked", QStringLiteral("KeyedArchiverTest.Unmarked")},
        {"registered and marked, does not adopt Coding", QStringLiteral("KeyedArchiverTest.MarkedOnly")},
        {"registered, neither", QStringLiteral("KeyedArchiverTest.NotCoding")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pf::Error error;
        const QByteArray data = handMade({objectEntry(2), classEntry(c.className)});
        EXPECT_FALSE(KeyedUnarchiver::unarchiveObject(data, &error));
        expectCoderError(error, pf::kErrorCoderInvalidValue);
        EXPECT_TRUE(error.localizedDescription().contains(c.className)) << qPrintable(error.localizedDescription());

        // Nested inside an archivable object: nil there, and the whole decode fails.
        const QByteArray nested = handMade({objectEntry(2, {{QStringLiteral("child"), uid(3)}}), classEntry(kItemName),
                                            objectEntry(4), classEntry(c.className)});
        KeyedUnarchiver unarchiver(nested);
        const auto decoded = std::dynamic_pointer_cast<Item>(unarchiver.decodeObjectForKey(QStringLiteral("root")));
        ASSERT_TRUE(decoded);
        EXPECT_FALSE(decoded->child);
        expectCoderError(unarchiver.error(), pf::kErrorCoderInvalidValue);
        EXPECT_FALSE(KeyedUnarchiver::unarchiveObject(nested));
    }
}

TEST(KeyedArchiver, HostileArchivesGiveErrors)
{
    const QString root = QStringLiteral("root");
    const QVariantMap item = objectEntry(2);
    const QVariantMap itemClass = classEntry(kItemName);
    auto plist = [](const QVariant& value) { return pf::PropertyList::data(value, PropertyListFormat::Binary); };
    const QVariantMap goodShape{{QStringLiteral("$archiver"), QStringLiteral("pf::KeyedArchiver")},
                                {QStringLiteral("$version"), 100000},
                                {QStringLiteral("$top"), QVariantMap{{root, uid(1)}}},
                                {QStringLiteral("$objects"), QVariantList{QStringLiteral("$null"), item, itemClass}}};
    auto reshaped = [&](const QString& key, const QVariant& value) {
        QVariantMap shape = goodShape;
        if (value.isValid())
            shape.insert(key, value);
        else
            shape.remove(key);
        return plist(shape);
    };
    ASSERT_TRUE(KeyedUnarchiver::unarchiveObject(plist(goodShape)));

    struct Case {
        const char* name;
        QByteArray data;
    } cases[] = {
        {"empty data", QByteArray()},
        {"not a property list", QByteArray("certainly not an archive")},
        {"a list at the top", plist(QVariantList{1, 2})},
        {"another archiver", reshaped(QStringLiteral("$archiver"), QStringLiteral("NSKeyedArchiver"))},
        {"no archiver", reshaped(QStringLiteral("$archiver"), QVariant())},
        {"another version", reshaped(QStringLiteral("$version"), 99)},
        {"version as text", reshaped(QStringLiteral("$version"), QStringLiteral("100000"))},
        {"no top", reshaped(QStringLiteral("$top"), QVariant())},
        {"top is a list", reshaped(QStringLiteral("$top"), QVariantList{uid(1)})},
        {"objects are a dictionary", reshaped(QStringLiteral("$objects"), QVariantMap{})},
        {"no objects", reshaped(QStringLiteral("$objects"), QVariantList{})},
        {"objects without $null", reshaped(QStringLiteral("$objects"), QVariantList{item, itemClass})},
        {"no root", handMade({item, itemClass}, {{QStringLiteral("other"), uid(1)}})},
        {"root is text", handMade({item, itemClass}, {{root, QStringLiteral("1")}})},
        {"root beyond the objects", handMade({item, itemClass}, {{root, uid(3)}})},
        {"root far beyond the objects", handMade({item, itemClass}, {{root, uid(4000000000u)}})},
        {"root is a string", handMade({QStringLiteral("an object?"), itemClass})},
        {"root is a list", handMade({QVariantList{uid(2)}, itemClass})},
        {"root is a class entry", handMade({itemClass})},
        {"no $class", handMade({QVariantMap{{QStringLiteral("small"), 1}}})},
        {"$class is text", handMade({QVariantMap{{QStringLiteral("$class"), kItemName}}})},
        {"$class is $null", handMade({objectEntry(0)})},
        {"$class beyond the objects", handMade({objectEntry(9)})},
        {"object is its own class", handMade({objectEntry(1)})},
        {"classes point at each other", handMade({objectEntry(2), objectEntry(3), objectEntry(2)})},
        {"class entry is a string", handMade({item, kItemName})},
        {"class name missing", handMade({item, QVariantMap{{QStringLiteral("$classes"), QVariantList{kItemName}}}})},
        {"class name not text", handMade({item, QVariantMap{{QStringLiteral("$classname"), 7}, {QStringLiteral("$classes"), QVariantList{}}}})},
        {"class name empty", handMade({item, classEntry(QString(""))})},
        {"classes missing", handMade({item, QVariantMap{{QStringLiteral("$classname"), kItemName}}})},
        {"classes hold a reference", handMade({item, QVariantMap{{QStringLiteral("$classname"), kItemName}, {QStringLiteral("$classes"), QVariantList{uid(2)}}}})},
        {"child beyond the objects", handMade({objectEntry(2, {{QStringLiteral("child"), uid(77)}}), itemClass})},
        {"child is a string", handMade({objectEntry(2, {{QStringLiteral("child"), uid(3)}}), itemClass, QStringLiteral("x")})},
        {"object inside a value beyond the objects",
         handMade({objectEntry(2, {{QStringLiteral("extra"), QVariantList{QVariantMap{{QStringLiteral("k"), uid(50)}}}}}), itemClass})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pf::Error error;
        EXPECT_FALSE(KeyedUnarchiver::unarchiveObject(c.data, &error));
        ASSERT_FALSE(error.isNull());
        EXPECT_EQ(error.domain(), pf::kPFFoundationErrorDomain);
        EXPECT_TRUE(error.code() == pf::kErrorCoderRead || error.code() == pf::kErrorCoderInvalidValue) << error.code();
        EXPECT_FALSE(error.localizedDescription().isEmpty());
    }
}

TEST(KeyedArchiver, DamagedArchivesNeverCrash)
{
    const Ref<Item> shared = item();
    const Ref<Item> root = item(shared);
    root->text = QStringLiteral("text");
    root->rect = QRectF(1, 2, 3, 4);
    root->conditional = shared;
    root->extra = QVariantList{asValue(shared), asValue(item(root)), QVariantMap{{QStringLiteral("k"), 1.5}}};

    for (PropertyListFormat format : {PropertyListFormat::Binary, PropertyListFormat::XML}) {
        const QByteArray data = KeyedArchiver::archivedData(root, format);
        const Ref<pf::Object> decodedRoot = KeyedUnarchiver::unarchiveObject(data);
        ASSERT_TRUE(decodedRoot);
        breakCycles(decodedRoot);
        // XML read leniently may survive losing its closing tags, not more.
        const qsizetype complete = format == PropertyListFormat::XML ? data.lastIndexOf("</dict>") : data.size();
        for (qsizetype length = 0; length < complete; ++length) {
            pf::Error error;
            EXPECT_FALSE(KeyedUnarchiver::unarchiveObject(data.left(length), &error)) << "truncated to " << length;
            EXPECT_FALSE(error.isNull());
        }
        for (qsizetype at = 0; at < data.size(); ++at) {
            for (char flip : {char(0x01), char(0x80), char(0xff)}) {
                QByteArray damaged = data;
                damaged[at] = char(damaged[at] ^ flip);
                pf::Error error;
                const Ref<pf::Object> decoded = KeyedUnarchiver::unarchiveObject(damaged, &error);
                breakCycles(decoded);
                if (!error.isNull()) {
                    EXPECT_FALSE(decoded);
                    EXPECT_EQ(error.domain(), pf::kPFFoundationErrorDomain);
                } else if (!decoded) {
                    // Only a root turned into $null decodes to nil without an error.
                    const QVariant root = pf::PropertyList::value(damaged).toMap().value(QStringLiteral("$top")).toMap().value(QStringLiteral("root"));
                    EXPECT_EQ(root.value<pf::PlistUID>().value, 0u) << "byte " << at;
                }
            }
        }
    }
    root->extra.clear(); // break the cycle through the list
}

TEST(KeyedArchiver, AFailedDecodeFreesTheCyclesItBuilt)
{
    // Keeps a weak reference to every object decoded, to see what outlives the unarchiver.
    struct Watcher : KeyedUnarchiver::Delegate {
        QList<std::weak_ptr<pf::Object>> decoded;
        Ref<pf::Object> didDecodeObject(KeyedUnarchiver&, const Ref<pf::Object>& object) override
        {
            decoded << object;
            return object;
        }
    };
    // The root and its child hold each other; then the root's list fails, by an object that
    // raises or by one of a class no one knows.
    const Ref<Item> child = item();
    const Ref<Item> root = item(child);
    child->child = root;
    root->extra = QVariantList{asValue(std::make_shared<Thrower>())};
    const QByteArray raising = KeyedArchiver::archivedData(root);
    QByteArray unknown = KeyedArchiver::archivedData(root, PropertyListFormat::XML);
    unknown.replace("KeyedArchiverTest.Thrower", "KeyedArchiverTest.Unknown");
    child->child.reset();

    for (const QByteArray& data : {raising, unknown}) {
        Watcher watcher;
        {
            KeyedUnarchiver unarchiver(data);
            unarchiver.setDelegate(&watcher);
            unarchiver.decodeObjectForKey(QStringLiteral("root"));
            unarchiver.finishDecoding();
            EXPECT_FALSE(unarchiver.error().isNull());
        }
        ASSERT_FALSE(watcher.decoded.isEmpty());
        for (const auto& object : watcher.decoded)
            EXPECT_TRUE(object.expired()) << "an object of the failed decode outlived it";
    }
}

TEST(KeyedArchiver, NestingIsBoundedByDepthAndStack)
{
    auto release = [](Ref<Item> head) { // iteratively, not through a deep chain of destructors
        while (head) {
            auto next = std::dynamic_pointer_cast<Item>(head->child);
            head->child.reset();
            head = next;
        }
    };
    // Encoding works from a queue, so chains deeper than decoding allows still encode.
    auto chainArchive = [&](int length) {
        Ref<Item> head;
        for (int i = 0; i < length; ++i)
            head = item(head);
        // XML: libplist writes long binary lists in quadratic time.
        const QByteArray data = KeyedArchiver::archivedData(head, PropertyListFormat::XML);
        release(head);
        return data;
    };
    const int bound = KeyedUnarchiver::kMaxDepth;
    struct Case {
        uint stackSize; // 0: the test's own thread
        int length;
        bool decodes;
    } cases[] = {
        // What a level takes depends on the compiler and grows several times under the
        // sanitizers: the chains that must decode leave room for some 12 KB a level.
        {256u << 20, bound, true}, {256u << 20, bound + 1, false}, // the depth bound
        {0, 500, true},            {0, bound + 1, false},          // the main thread's stack
        {512u << 10, 20, true},    {512u << 10, 2000, false},      // a small worker stack
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "stack " << c.stackSize << ", length " << c.length);
        const QByteArray data = chainArchive(c.length);
        bool decoded = false;
        pf::Error error;
        auto decode = [&] {
            Ref<Item> head = std::dynamic_pointer_cast<Item>(KeyedUnarchiver::unarchiveObject(data, &error));
            decoded = bool(head);
            release(head);
        };
        if (c.stackSize == 0) {
            decode();
        } else {
            std::unique_ptr<QThread> thread(QThread::create(decode));
            thread->setStackSize(c.stackSize);
            thread->start();
            thread->wait();
        }
        EXPECT_EQ(decoded, c.decodes) << qPrintable(error.description());
        if (!c.decodes)
            expectCoderError(error, pf::kErrorCoderRead);
    }
}

TEST(KeyedArchiver, ExceptionsWhileDecodingBecomeErrors)
{
    const Ref<Item> root = item(item(std::make_shared<Thrower>()));
    root->small = 5;
    const QByteArray data = KeyedArchiver::archivedData(root);

    pf::Error error;
    EXPECT_FALSE(KeyedUnarchiver::unarchiveObject(data, &error));
    expectCoderError(error, pf::kErrorCoderInvalidValue);
    EXPECT_TRUE(error.localizedDescription().contains(QStringLiteral("the thrower refuses")));

    // The unarchiver stays usable, and the interrupted objects are not answered half made.
    KeyedArchiver archiver;
    archiver.encodeObject(root, QStringLiteral("root"));
    archiver.encodeInt32(3, QStringLiteral("count"));
    KeyedUnarchiver unarchiver(archiver.encodedData());
    EXPECT_FALSE(unarchiver.decodeObjectForKey(QStringLiteral("root")));
    EXPECT_FALSE(unarchiver.decodeObjectForKey(QStringLiteral("root")));
    EXPECT_EQ(unarchiver.decodeInt32(QStringLiteral("count")), 3);
    expectCoderError(unarchiver.error(), pf::kErrorCoderInvalidValue);
}

TEST(KeyedArchiver, CountsDecodedObjectsAndCancelsFromAnotherThread)
{
    const Ref<Item> shared = item();
    QVariantList nodes;
    for (int i = 0; i < 50; ++i)
        nodes.append(asValue(item(shared)));
    const Ref<Item> list = item();
    list->extra = nodes;
    KeyedUnarchiver counting(KeyedArchiver::archivedData(list));
    EXPECT_EQ(counting.numberOfObjectsDecoded(), 0);
    EXPECT_TRUE(counting.decodeObjectForKey(QStringLiteral("root")));
    EXPECT_EQ(counting.numberOfObjectsDecoded(), 52) << "the list, its nodes and the shared object once";

    // A worker decodes [gate, node, node...]; the test cancels while the gate holds it.
    nodes.prepend(asValue(std::make_shared<Gate>()));
    list->extra = nodes;
    const QByteArray data = KeyedArchiver::archivedData(list);
    KeyedUnarchiver unarchiver(data);
    Ref<pf::Object> decoded;
    std::thread worker([&] { decoded = unarchiver.decodeObjectForKey(QStringLiteral("root")); });
    Gate::reached.acquire();
    EXPECT_EQ(unarchiver.numberOfObjectsDecoded(), 0);
    unarchiver.setCancelled(true);
    Gate::proceed.release();
    worker.join();
    expectCoderError(unarchiver.error(), pf::kErrorCancelled);
    EXPECT_EQ(unarchiver.numberOfObjectsDecoded(), 2) << "the gate and the list finish; no node starts";
    EXPECT_FALSE(decoded) << "the list is decoded, but cancelling fails the decode that began";
}
