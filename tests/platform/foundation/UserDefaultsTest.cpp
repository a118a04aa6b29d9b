#include <gtest/gtest.h>

#include "tests/support/LogCapture.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PlatformNotifications.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Variant.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointF>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>
#include <thread>

using pf::PropertyList;
using pf::PropertyListFormat;
using pf::UserDefaults;
using quillory::test::waitUntil;

namespace {

using quillory::test::LogCapture;

// Counts the change notifications of one store and where they were delivered.
class ChangeCounter {
public:
    explicit ChangeCounter(const UserDefaults& defaults)
    {
        m_token = pf::NotificationCenter::defaultCenter().addObserver(
            pf::NSUserDefaultsDidChangeNotification, &defaults, [this](const pf::Notification&) {
                ++m_count;
                if (QThread::currentThread() != QCoreApplication::instance()->thread())
                    m_offMainThread = true;
            });
    }
    ~ChangeCounter() { pf::NotificationCenter::defaultCenter().removeObserver(m_token); }
    int count() const { return m_count; }
    bool deliveredOffMainThread() const { return m_offMainThread; }

private:
    quint64 m_token = 0;
    std::atomic<int> m_count{0};
    std::atomic<bool> m_offMainThread{false};
};

// Lets pending end-of-turn work run for a while.
void spinEventLoop(int ms = 100)
{
    waitUntil([] { return false; }, ms);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QDateTime utc(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

class UserDefaultsTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }
    QString path() const { return m_folder.filePath(QStringLiteral("org.example.Tests.plist")); }
    QString folder() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
};

} // namespace

TEST_F(UserDefaultsTest, ScalarGettersCoerceAndDefaultAbsentKeys)
{
    const struct {
        const char* name;
        QVariant value;
        bool asBool;
        qint64 asInteger;
        double asDouble;
        QString asString;
    } cases[] = {
        {"absent", QVariant(), false, 0, 0.0, QString()},
        {"YES", QStringLiteral("YES"), true, 0, 0.0, QStringLiteral("YES")},
        {"true", QStringLiteral("true"), true, 0, 0.0, QStringLiteral("true")},
        {"NO", QStringLiteral("NO"), false, 0, 0.0, QStringLiteral("NO")},
        {"numeric string", QStringLiteral("42"), true, 42, 42.0, QStringLiteral("42")},
        {"real string", QStringLiteral(" 3.75 "), true, 3, 3.75, QStringLiteral(" 3.75 ")},
        {"zero string", QStringLiteral("0"), false, 0, 0.0, QStringLiteral("0")},
        {"zero", QVariant(0), false, 0, 0.0, QStringLiteral("0")},
        {"integer", QVariant(qlonglong(-7)), true, -7, -7.0, QStringLiteral("-7")},
        {"large integer", QVariant(qlonglong(1) << 40), true, qint64(1) << 40, double(qint64(1) << 40),
         QStringLiteral("1099511627776")},
        {"real truncates", QVariant(-2.5), true, -2, -2.5, QStringLiteral("-2.5")},
        {"short real", QVariant(0.1), true, 0, 0.1, QStringLiteral("0.1")},
        {"huge real", QVariant(1e300), true, std::numeric_limits<qint64>::max(), 1e300, QStringLiteral("1e+300")},
        {"boolean", QVariant(true), true, 1, 1.0, QStringLiteral("1")},
        {"dictionary", QVariantMap{{QStringLiteral("a"), 1}}, false, 0, 0.0, QString()},
        {"array", QVariantList{1}, false, 0, 0.0, QString()},
    };
    UserDefaults defaults(path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString key = QString::fromLatin1(c.name);
        defaults.setObject(c.value, key);
        EXPECT_EQ(defaults.objectForKey(key).isValid(), c.value.isValid());
        EXPECT_EQ(defaults.boolForKey(key), c.asBool);
        EXPECT_EQ(defaults.integerForKey(key), c.asInteger);
        EXPECT_DOUBLE_EQ(defaults.doubleForKey(key), c.asDouble);
        EXPECT_FLOAT_EQ(defaults.floatForKey(key), float(c.asDouble));
        EXPECT_EQ(defaults.stringForKey(key), c.asString);
        EXPECT_EQ(defaults.stringForKey(key).isNull(), c.asString.isNull());
    }
}

TEST_F(UserDefaultsTest, ContainerGettersAnswerOnlyTheirOwnKind)
{
    UserDefaults defaults(path());
    const QByteArray bytes("\x00\x01\xff", 3);
    defaults.setObject(bytes, QStringLiteral("data"));
    defaults.setObject(QStringList{QStringLiteral("a"), QStringLiteral("b")}, QStringLiteral("strings"));
    defaults.setObject(QVariantList{QStringLiteral("a"), 1}, QStringLiteral("mixed"));
    defaults.setObject(QVariantMap{{QStringLiteral("k"), 2}}, QStringLiteral("map"));
    defaults.setObject(QStringLiteral("text"), QStringLiteral("text"));

    EXPECT_EQ(defaults.dataForKey(QStringLiteral("data")), bytes);
    EXPECT_TRUE(defaults.dataForKey(QStringLiteral("text")).isNull());
    EXPECT_TRUE(defaults.dataForKey(QStringLiteral("absent")).isNull());

    EXPECT_EQ(defaults.stringArrayForKey(QStringLiteral("strings")), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_TRUE(defaults.stringArrayForKey(QStringLiteral("mixed")).isEmpty());
    EXPECT_EQ(defaults.arrayForKey(QStringLiteral("mixed")).size(), 2);
    EXPECT_EQ(defaults.arrayForKey(QStringLiteral("strings")).size(), 2);
    EXPECT_TRUE(defaults.arrayForKey(QStringLiteral("map")).isEmpty());

    EXPECT_EQ(defaults.dictionaryForKey(QStringLiteral("map")).value(QStringLiteral("k")).toInt(), 2);
    EXPECT_TRUE(defaults.dictionaryForKey(QStringLiteral("mixed")).isEmpty());
    EXPECT_TRUE(defaults.dictionaryForKey(QStringLiteral("absent")).isEmpty());
    EXPECT_FALSE(defaults.objectForKey(QStringLiteral("absent")).isValid());
}

TEST_F(UserDefaultsTest, URLsReadFromPathsAndURLStrings)
{
    const struct {
        QString stored;
        QUrl expected;
    } cases[] = {
        {QStringLiteral("/tmp/a b#c.txt"), QUrl::fromLocalFile(QStringLiteral("/tmp/a b#c.txt"))},
        {QStringLiteral("file:///tmp/x%20y"), QUrl::fromLocalFile(QStringLiteral("/tmp/x y"))},
        {QStringLiteral("~/Documents"), QUrl::fromLocalFile(QDir::homePath() + QStringLiteral("/Documents"))},
        {QStringLiteral("https://example.org/a?b=1"), QUrl(QStringLiteral("https://example.org/a?b=1"))},
        {QStringLiteral("relative/path"), QUrl()},
        {QString(), QUrl()},
    };
    UserDefaults defaults(path());
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.stored));
        defaults.setObject(c.stored, QStringLiteral("url"));
        EXPECT_EQ(defaults.URLForKey(QStringLiteral("url")), c.expected);
    }

    // setURL keeps a file URL as its path, so the file stays readable, and reads back equal.
    const QUrl file = QUrl::fromLocalFile(QStringLiteral("/home/someone/Drawings/a?b.qdraw"));
    defaults.setURL(file, QStringLiteral("saving"));
    EXPECT_EQ(defaults.objectForKey(QStringLiteral("saving")).toString(), QStringLiteral("/home/someone/Drawings/a?b.qdraw"));
    EXPECT_EQ(defaults.URLForKey(QStringLiteral("saving")), file);
    const QUrl web(QStringLiteral("https://example.org/x%20y"));
    defaults.setURL(web, QStringLiteral("web"));
    EXPECT_EQ(defaults.URLForKey(QStringLiteral("web")), web);
    defaults.setURL(QUrl(), QStringLiteral("web"));
    EXPECT_FALSE(defaults.objectForKey(QStringLiteral("web")).isValid());
}

TEST_F(UserDefaultsTest, RegistrationDomainAnswersUnderThePersistentDomain)
{
    UserDefaults defaults(path());
    defaults.registerDefaults({{QStringLiteral("width"), 3}, {QStringLiteral("name"), QStringLiteral("registered")}});
    defaults.registerDefaults({{QStringLiteral("flag"), true}});
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("width")), 3);

    defaults.setInteger(5, QStringLiteral("width"));
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("width")), 5);
    EXPECT_EQ(defaults.dictionaryRepresentation(),
              (QVariantMap{{QStringLiteral("width"), qlonglong(5)},
                           {QStringLiteral("name"), QStringLiteral("registered")},
                           {QStringLiteral("flag"), true}}));

    defaults.removeObjectForKey(QStringLiteral("width"));
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("width")), 3);
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("flag")));

    // The registration domain never reaches the file.
    defaults.setBool(false, QStringLiteral("own"));
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(PropertyList::read(path()).toMap(), (QVariantMap{{QStringLiteral("own"), false}}));
}

// The per-thread answers never outlive a change, whichever way the value changed, and hold
// apart for two stores and two threads.
TEST_F(UserDefaultsTest, CachedAnswersFollowEveryChange)
{
    UserDefaults defaults(path());
    UserDefaults other(QDir(folder()).filePath(QStringLiteral("org.example.Other.plist")));
    const QString key = QStringLiteral("often");
    EXPECT_FALSE(defaults.cachedObjectForKey(key).isValid());
    defaults.registerDefaults({{key, 1}});
    EXPECT_EQ(defaults.cachedObjectForKey(key), QVariant(1));
    defaults.setInteger(2, key);
    EXPECT_EQ(defaults.cachedObjectForKey(key).toInt(), 2);
    EXPECT_FALSE(other.cachedObjectForKey(key).isValid());
    QVariant seenElsewhere;
    std::thread([&] { seenElsewhere = defaults.cachedObjectForKey(key); }).join();
    EXPECT_EQ(seenElsewhere.toInt(), 2);
    defaults.removeObjectForKey(key);
    EXPECT_EQ(defaults.cachedObjectForKey(key).toInt(), 1);
    defaults.setPersistentDomain({{key, 3}}, defaults.domainName());
    EXPECT_EQ(defaults.cachedObjectForKey(key).toInt(), 3);
    defaults.removePersistentDomainForName(defaults.domainName());
    EXPECT_EQ(defaults.cachedObjectForKey(key).toInt(), 1);
}

TEST_F(UserDefaultsTest, RegistersDefaultsFromAPropertyListFile)
{
    const QString resource = QDir(folder()).filePath(QStringLiteral("Quillory_defaults.plist"));
    ASSERT_TRUE(PropertyList::write(QVariantMap{{QStringLiteral("gridSpacing"), 12.5}}, resource, PropertyListFormat::XML));
    const QString notADictionary = QDir(folder()).filePath(QStringLiteral("array.plist"));
    ASSERT_TRUE(PropertyList::write(QVariantList{1, 2}, notADictionary, PropertyListFormat::XML));
    const QString damaged = QDir(folder()).filePath(QStringLiteral("damaged.plist"));
    writeBytes(damaged, "<plist><dict><key>x");

    UserDefaults defaults(path());
    pf::Error error;
    EXPECT_TRUE(defaults.registerDefaultsFromFile(resource, &error));
    EXPECT_TRUE(error.isNull());
    EXPECT_DOUBLE_EQ(defaults.doubleForKey(QStringLiteral("gridSpacing")), 12.5);

    for (const QString& bad : {notADictionary, damaged, QDir(folder()).filePath(QStringLiteral("missing.plist"))}) {
        SCOPED_TRACE(qPrintable(bad));
        pf::Error failure;
        EXPECT_FALSE(defaults.registerDefaultsFromFile(bad, &failure));
        EXPECT_FALSE(failure.isNull());
    }
    EXPECT_EQ(defaults.dictionaryRepresentation().size(), 1);
}

TEST_F(UserDefaultsTest, EveryValueKindSurvivesAFreshInstance)
{
    QByteArray allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes.append(char(i));
    const QVariantMap values = {
        {QStringLiteral("bool"), true},
        {QStringLiteral("integer"), qlonglong(-123456789012)},
        {QStringLiteral("double"), 0.1},
        {QStringLiteral("float"), 0.5f},
        {QStringLiteral("string"), QStringLiteral("Zeichenfläche “A” <&> \t\n")},
        {QStringLiteral("emptyString"), QString(QLatin1String(""))},
        {QStringLiteral("data"), allBytes},
        {QStringLiteral("date"), utc(2023, 11, 5, 14, 30, 9)},
        {QStringLiteral("nested"),
         QVariantMap{{QStringLiteral("frame"), QStringLiteral("{{10, 20}, {300, 400}}")},
                     {QStringLiteral("collapsed"), QVariantList{true, false, QVariantMap{{QStringLiteral("deep"), QByteArray("x")}}}},
                     {QStringLiteral("empty"), QVariantMap()}}},
        {QStringLiteral("array"), QVariantList{1, QStringLiteral("two"), QVariantList{3.5}, utc(2001, 1, 1, 0, 0, 0)}},
        // Keys built at run time from class and library names.
        {QStringLiteral("PWRectangleTool_cornerRadius"), 4},
        {QStringLiteral("My Library/Sub.folder_PWLIB_ITEM_VIEW_layoutMode"), 2},
        {QStringLiteral("org.quillory.key with spaces & <marks>"), QStringLiteral("v")},
        {QStringLiteral("Ünïcødé ключ"), 1},
        {QString(QLatin1String("")), QStringLiteral("empty key")},
    };
    {
        UserDefaults defaults(path());
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            defaults.setObject(it.value(), it.key());
        ASSERT_TRUE(defaults.synchronize());
    }
    UserDefaults reread(path());
    const QVariantMap back = reread.dictionaryRepresentation();
    ASSERT_EQ(back.keys(), values.keys());
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        SCOPED_TRACE(qPrintable(it.key()));
        EXPECT_TRUE(pf::isEqual(back.value(it.key()), it.value()))
            << qPrintable(pf::describe(back.value(it.key()))) << " != " << qPrintable(pf::describe(it.value()));
    }
    EXPECT_EQ(reread.dataForKey(QStringLiteral("data")), allBytes);
    EXPECT_EQ(reread.objectForKey(QStringLiteral("date")).toDateTime(), utc(2023, 11, 5, 14, 30, 9));
}

TEST_F(UserDefaultsTest, ChangesAreSavedWithoutSynchronizeAndAtDestruction)
{
    {
        UserDefaults defaults(path());
        defaults.setInteger(1, QStringLiteral("soon"));
        EXPECT_TRUE(waitUntil([&] { return PropertyList::read(path()).toMap().value(QStringLiteral("soon")) == 1; }));
        // No turn of the loop passes before destruction: the destructor must write.
        defaults.setInteger(2, QStringLiteral("late"));
    }
    spinEventLoop(50);
    UserDefaults reread(path());
    EXPECT_EQ(reread.integerForKey(QStringLiteral("soon")), 1);
    EXPECT_EQ(reread.integerForKey(QStringLiteral("late")), 2);
}

TEST_F(UserDefaultsTest, DamagedFileIsKeptAsideAndNeverOverwritten)
{
    const QByteArray garbage = "<?xml version=\"1.0\"?><plist><dict><key>lost";
    writeBytes(path(), garbage);
    LogCapture log;
    {
        UserDefaults defaults(path());
        EXPECT_FALSE(defaults.objectForKey(QStringLiteral("lost")).isValid());
        EXPECT_TRUE(defaults.dictionaryRepresentation().isEmpty());
        defaults.setBool(true, QStringLiteral("fresh"));
        ASSERT_TRUE(defaults.synchronize());
    }
    EXPECT_EQ(fileBytes(path() + QStringLiteral(".damaged")), garbage);
    EXPECT_TRUE(log.lines().join(QLatin1Char('\n')).contains(QStringLiteral(".damaged")));
    UserDefaults reread(path());
    EXPECT_TRUE(reread.boolForKey(QStringLiteral("fresh")));

    // A second damaged file (here a property list that is not a dictionary) does not replace
    // the first one kept aside.
    const QByteArray notADictionary = PropertyList::data(QVariantList{1}, PropertyListFormat::XML);
    writeBytes(path(), notADictionary);
    {
        UserDefaults again(path());
        EXPECT_FALSE(again.boolForKey(QStringLiteral("fresh")));
        again.setInteger(3, QStringLiteral("n"));
    }
    EXPECT_EQ(fileBytes(path() + QStringLiteral(".damaged")), garbage);
    EXPECT_EQ(fileBytes(path() + QStringLiteral(".damaged-2")), notADictionary);
    EXPECT_EQ(PropertyList::read(path()).toMap().value(QStringLiteral("n")), 3);
}

TEST_F(UserDefaultsTest, UnreadableFileIsLeftAloneAndNotSavedOver)
{
    // A folder where the file should be cannot be read or replaced; it must not be treated as
    // damaged and moved away, and saving reports the failure.
    ASSERT_TRUE(QDir().mkpath(path()));
    LogCapture log;
    UserDefaults defaults(path());
    defaults.setBool(true, QStringLiteral("x"));
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("x")));
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_TRUE(QFileInfo(path()).isDir());
    EXPECT_FALSE(QFileInfo::exists(path() + QStringLiteral(".damaged")));
    EXPECT_FALSE(log.lines().isEmpty());
}

TEST_F(UserDefaultsTest, ValuesAPropertyListCannotHoldAreRefused)
{
    UserDefaults defaults(path());
    defaults.setObject(QStringLiteral("kept"), QStringLiteral("target"));
    defaults.setInteger(1, QStringLiteral("other"));
    ASSERT_TRUE(defaults.synchronize());
    const QByteArray before = fileBytes(path());
    spinEventLoop();
    ChangeCounter changes(defaults);

    const struct {
        const char* name;
        QVariant value;
        QString key;
    } cases[] = {
        {"point", QVariant(QPointF(1, 2)), QStringLiteral("target")},
        {"object", pf::toVariant(std::make_shared<pf::Object>()), QStringLiteral("target")},
        {"explicit null", pf::null(), QStringLiteral("target")},
        {"nested URL", QVariantMap{{QStringLiteral("u"), QUrl(QStringLiteral("https://x"))}}, QStringLiteral("target")},
        {"control character", QStringLiteral("a\x01" "b"), QStringLiteral("target")},
        {"invalid date", QDateTime(), QStringLiteral("target")},
        {"control character in key", QVariant(1), QStringLiteral("bad\x02key")},
        {"NUL in key", QVariant(1), QString(QChar(0))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        defaults.setObject(c.value, c.key);
        EXPECT_EQ(log.lines().size(), 1);
        EXPECT_EQ(defaults.objectForKey(QStringLiteral("target")).toString(), QStringLiteral("kept"));
        if (c.key != QStringLiteral("target"))
            EXPECT_FALSE(defaults.objectForKey(c.key).isValid());
    }
    // A whole domain with one bad value is refused as well.
    defaults.setPersistentDomain({{QStringLiteral("p"), QVariant(QPointF())}}, defaults.domainName());
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("other")), 1);

    spinEventLoop();
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_EQ(fileBytes(path()), before);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(UserDefaultsTest, ChangesOfOneTurnPostOneNotification)
{
    UserDefaults defaults(path());
    ChangeCounter changes(defaults);
    for (int i = 0; i < 10; ++i)
        defaults.setInteger(i, QStringLiteral("key%1").arg(i));
    defaults.removeObjectForKey(QStringLiteral("key0"));
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(waitUntil([&] { return changes.count() > 0; }));
    spinEventLoop();
    EXPECT_EQ(changes.count(), 1);

    // Storing what is already there, or removing what is absent, changes nothing.
    defaults.setInteger(5, QStringLiteral("key5"));
    defaults.removeObjectForKey(QStringLiteral("absent"));
    spinEventLoop();
    EXPECT_EQ(changes.count(), 1);

    defaults.setDouble(2.5, QStringLiteral("key5"));
    EXPECT_TRUE(waitUntil([&] { return changes.count() == 2; }));

    // A change made on another thread is announced on the main thread.
    std::thread worker([&] { defaults.setBool(true, QStringLiteral("fromWorker")); });
    worker.join();
    EXPECT_TRUE(waitUntil([&] { return changes.count() == 3; }));
    EXPECT_FALSE(changes.deliveredOffMainThread());
    spinEventLoop(50);
    EXPECT_EQ(changes.count(), 3);
}

TEST_F(UserDefaultsTest, RemovingTheOwnPersistentDomainDeletesTheFile)
{
    UserDefaults defaults(path());
    EXPECT_EQ(defaults.domainName(), QStringLiteral("org.example.Tests"));
    defaults.registerDefaults({{QStringLiteral("a"), QStringLiteral("registered")}});
    defaults.setObject(QStringLiteral("own"), QStringLiteral("a"));
    defaults.setBool(true, QStringLiteral("b"));
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(defaults.persistentDomainForName(defaults.domainName()).size(), 2);
    ChangeCounter changes(defaults);

    defaults.removePersistentDomainForName(defaults.domainName());
    EXPECT_FALSE(QFileInfo::exists(path()));
    EXPECT_EQ(defaults.stringForKey(QStringLiteral("a")), QStringLiteral("registered"));
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("b")));
    EXPECT_TRUE(waitUntil([&] { return changes.count() == 1; }));
    spinEventLoop();
    EXPECT_FALSE(QFileInfo::exists(path()));

    defaults.setPersistentDomain({{QStringLiteral("c"), 1}}, defaults.domainName());
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("c")), 1);
    ASSERT_TRUE(defaults.synchronize());
    EXPECT_EQ(PropertyList::read(path()).toMap(), (QVariantMap{{QStringLiteral("c"), qlonglong(1)}}));
}

TEST_F(UserDefaultsTest, OtherDomainsAreFilesBesideTheStore)
{
    UserDefaults defaults(path());
    const QVariantMap other = {{QStringLiteral("x"), QStringLiteral("y")}};
    defaults.setPersistentDomain(other, QStringLiteral("org.example.Other"));
    const QString otherPath = QDir(folder()).filePath(QStringLiteral("org.example.Other.plist"));
    EXPECT_EQ(PropertyList::read(otherPath).toMap(), other);
    EXPECT_EQ(defaults.persistentDomainForName(QStringLiteral("org.example.Other")), other);
    // Another domain is not searched.
    EXPECT_FALSE(defaults.objectForKey(QStringLiteral("x")).isValid());
    defaults.removePersistentDomainForName(QStringLiteral("org.example.Other"));
    EXPECT_FALSE(QFileInfo::exists(otherPath));

    // A name that would leave the folder is refused.
    QDir sub(folder());
    ASSERT_TRUE(sub.mkpath(QStringLiteral("store")));
    UserDefaults nested(sub.filePath(QStringLiteral("store/org.example.Nested.plist")));
    nested.setPersistentDomain(other, QStringLiteral("../escaped"));
    nested.setPersistentDomain(other, QStringLiteral(".."));
    EXPECT_FALSE(QFileInfo::exists(QDir(folder()).filePath(QStringLiteral("escaped.plist"))));
    EXPECT_FALSE(QFileInfo::exists(QDir(folder()).filePath(QStringLiteral("store.plist"))));
    EXPECT_TRUE(nested.persistentDomainForName(QStringLiteral("../org.example.Other")).isEmpty());
}

TEST(UserDefaultsStandard, LivesUnderTheTestHomeAndResetsFromTheFile)
{
    UserDefaults& defaults = UserDefaults::standard();
    EXPECT_EQ(&defaults, &UserDefaults::standard());
    const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/org.quillory.Quillory.plist");
    EXPECT_EQ(defaults.storagePath(), expected);
    EXPECT_TRUE(defaults.storagePath().startsWith(quillory::test::homeFolder() + QLatin1Char('/')));
    EXPECT_EQ(defaults.domainName(), QStringLiteral("org.quillory.Quillory"));

    defaults.registerDefaults({{QStringLiteral("UserDefaultsTest_registered"), 1}});
    defaults.setInteger(5, QStringLiteral("UserDefaultsTest_value"));

    // Reset writes what is pending and forgets the registration.
    UserDefaults::resetStandardUserDefaults();
    EXPECT_EQ(PropertyList::read(expected).toMap().value(QStringLiteral("UserDefaultsTest_value")), 5);
    EXPECT_FALSE(defaults.objectForKey(QStringLiteral("UserDefaultsTest_registered")).isValid());

    // After a reset the file is read anew.
    UserDefaults::resetStandardUserDefaults();
    ASSERT_TRUE(PropertyList::write(QVariantMap{{QStringLiteral("UserDefaultsTest_value"), 9}}, expected,
                                    PropertyListFormat::XML));
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("UserDefaultsTest_value")), 9);

    defaults.removePersistentDomainForName(defaults.domainName());
    EXPECT_FALSE(QFileInfo::exists(expected));
    EXPECT_FALSE(defaults.objectForKey(QStringLiteral("UserDefaultsTest_value")).isValid());
    spinEventLoop(50);
}
