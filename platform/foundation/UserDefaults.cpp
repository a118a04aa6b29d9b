#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PlatformNotifications.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <QObject>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <limits>

PF_DEFINE_CLASS_NAMED(pf::UserDefaults, pf::Object, "pf::UserDefaults") {}

namespace pf {

namespace {

const QString kPlistSuffix = QStringLiteral(".plist");

// A name that stays one file in the store's folder.
bool isUsableDomainName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

// The reversed organisation domain followed by the application name: "org.quillory.Quillory".
QString bundleIdentifier()
{
    QStringList parts = QCoreApplication::organizationDomain().split(QLatin1Char('.'), Qt::SkipEmptyParts);
    std::reverse(parts.begin(), parts.end());
    const QString application = QCoreApplication::applicationName();
    if (!application.isEmpty())
        parts.append(application);
    QString identifier = parts.join(QLatin1Char('.'));
    identifier.replace(QLatin1Char('/'), QLatin1Char('_'));
    identifier.remove(QChar(0));
    return isUsableDomainName(identifier) ? identifier : QStringLiteral("UserDefaults");
}

QString standardStoragePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/')
        + bundleIdentifier() + kPlistSuffix;
}

// Why `value` cannot be kept under `key` in the XML file; empty when it can. Serialising is
// the one check that matches what the file will hold (XML refuses more than the binary form).
QString storageProblem(const QVariant& value, const QString& key)
{
    Error error;
    if (PropertyList::data(QVariantMap{{key, value}}, PropertyListFormat::XML, &error).isEmpty())
        return error.localizedDescription();
    return {};
}

QString domainProblem(const QVariantMap& domain)
{
    Error error;
    if (PropertyList::data(domain, PropertyListFormat::XML, &error).isEmpty())
        return error.localizedDescription();
    return {};
}

// Equal values of the same type: storing one again changes nothing, so it neither writes nor
// notifies (an observer that stores what it shows would otherwise be notified forever).
bool isSameValue(const QVariant& a, const QVariant& b)
{
    return a.typeId() == b.typeId() && isEqual(a, b);
}


qint64 truncatedToInteger(double number)
{
    if (std::isnan(number))
        return 0;
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (number >= limit)
        return std::numeric_limits<qint64>::max();
    if (number < -limit)
        return std::numeric_limits<qint64>::min();
    return qint64(number);
}

qint64 toInteger(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::ULongLong:
        return qint64(std::min<qulonglong>(value.toULongLong(), std::numeric_limits<qint64>::max()));
    case QMetaType::Double:
    case QMetaType::Float:
        return truncatedToInteger(value.toDouble());
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        bool ok = false;
        const qint64 integer = text.toLongLong(&ok);
        if (ok)
            return integer;
        const double number = text.toDouble(&ok);
        return ok ? truncatedToInteger(number) : 0;
    }
    default:
        return 0;
    }
}

double toDouble(const QVariant& value)
{
    if (isNumber(value))
        return value.toDouble();
    if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        const double number = value.toString().trimmed().toDouble(&ok);
        return ok ? number : 0.0;
    }
    return 0.0;
}

QString toText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Int:
    case QMetaType::LongLong:
        return QString::number(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    default:
        return {};
    }
}

QUrl urlFromText(const QString& text)
{
    if (text.startsWith(QLatin1Char('/')))
        return QUrl::fromLocalFile(text);
    if (text == QLatin1String("~") || text.startsWith(QLatin1String("~/")))
        return QUrl::fromLocalFile(QDir::homePath() + text.mid(1));
    const QUrl url(text, QUrl::StrictMode);
    // A relative path means nothing stable in a setting, so only absolute forms answer.
    if (url.isValid() && !url.scheme().isEmpty() && !url.isRelative())
        return url;
    return {};
}

// Moves a damaged store out of the way under a name no later save uses, without replacing an
// earlier damaged copy. Answers the new path, or an empty one when it could not be moved.
QString setAsideDamagedFile(const QString& path)
{
    for (int attempt = 1; attempt <= 100; ++attempt) {
        QString candidate = path + QStringLiteral(".damaged");
        if (attempt > 1)
            candidate += QStringLiteral("-%1").arg(attempt);
        const QFileInfo info(candidate);
        if (info.exists() || info.isSymLink())
            continue;
        return QFile::rename(path, candidate) ? candidate : QString();
    }
    return {};
}

} // namespace

namespace {
// Counts every change of any store's values (and every store made or forgotten), so that the
// per-thread answers of cachedObjectForKey know when they are out of date.
std::atomic<quint64> g_valuesGeneration{1};
} // namespace

UserDefaults::UserDefaults(const QString& storagePath) : UserDefaults(storagePath, false) {}

UserDefaults::UserDefaults(const QString& storagePath, bool isStandard) : m_isStandard(isStandard), m_path(storagePath)
{
    g_valuesGeneration.fetch_add(1, std::memory_order_acq_rel);
    m_mainThreadContext = std::make_unique<QObject>();
    // The end-of-turn work (writing, notifying) belongs to the main thread, whichever thread
    // made the store.
    if (QCoreApplication* app = QCoreApplication::instance(); app && m_mainThreadContext->thread() != app->thread())
        m_mainThreadContext->moveToThread(app->thread());
}

UserDefaults::~UserDefaults()
{
    // Dropping the context cancels a pending end-of-turn call before the last write.
    m_mainThreadContext.reset();
    write();
}

UserDefaults& UserDefaults::standard()
{
    static const Ref<UserDefaults> shared = [] {
        // The log category must outlive the shared store, whose destruction at exit may log.
        (void)logCategory();
        return Ref<UserDefaults>(new UserDefaults(standardStoragePath(), true));
    }();
    return *shared;
}

void UserDefaults::resetStandardUserDefaults()
{
    standard().unload();
}

void UserDefaults::unload()
{
    synchronize();
    std::lock_guard writeLock(m_writeMutex);
    std::lock_guard lock(m_mutex);
    m_persistent.clear();
    m_registration.clear();
    g_valuesGeneration.fetch_add(1, std::memory_order_acq_rel);
    m_loaded = false;
    m_storage = Storage::Usable;
    m_dirty = false;
    if (m_isStandard)
        m_path = standardStoragePath();
}

QString UserDefaults::storagePath() const
{
    std::lock_guard lock(m_mutex);
    return m_path;
}

QString UserDefaults::domainName() const
{
    const QString name = QFileInfo(storagePath()).fileName();
    return name.endsWith(kPlistSuffix) ? name.chopped(kPlistSuffix.size()) : name;
}

void UserDefaults::ensureLoaded() const
{
    if (!m_loaded)
        load();
}

void UserDefaults::load() const
{
    g_valuesGeneration.fetch_add(1, std::memory_order_acq_rel);
    m_loaded = true;
    m_persistent.clear();
    m_storage = Storage::Usable;

    Error error;
    const QVariant root = PropertyList::read(m_path, nullptr, &error);
    if (error.isNull() && root.typeId() == QMetaType::QVariantMap) {
        m_persistent = root.toMap();
        return;
    }
    if (!error.isNull() && error.code() == kErrorFileNotFound)
        return;
    if (!error.isNull() && error.code() != kErrorPropertyListRead) {
        // A file we cannot read may still hold good settings: leave it, and do not save over it.
        m_storage = Storage::Blocked;
        log(QStringLiteral("User defaults: %1 Changes will not be saved to “%2”.")
                .arg(error.localizedDescription(), m_path));
        return;
    }
    const QString reason = error.isNull() ? QStringLiteral("it does not hold a dictionary")
                                          : error.localizedDescription();
    const QString keptAs = setAsideDamagedFile(m_path);
    if (keptAs.isEmpty()) {
        m_storage = Storage::Blocked;
        log(QStringLiteral("User defaults: “%1” is damaged (%2) and could not be set aside; changes will "
                           "not be saved over it.")
                .arg(m_path, reason));
        return;
    }
    log(QStringLiteral("User defaults: “%1” is damaged (%2); it was kept as “%3” and the settings start empty.")
            .arg(m_path, reason, keptAs));
}

QVariant UserDefaults::lookUp(const QString& key) const
{
    ensureLoaded();
    if (auto it = m_persistent.constFind(key); it != m_persistent.cend())
        return it.value();
    return m_registration.value(key);
}

QVariant UserDefaults::cachedObjectForKey(const QString& key) const
{
    struct Answers {
        const UserDefaults* store = nullptr;
        quint64 generation = 0;
        QHash<QString, QVariant> values;
    };
    thread_local Answers answers;
    const quint64 generation = g_valuesGeneration.load(std::memory_order_acquire);
    if (answers.store != this || answers.generation != generation) {
        answers.values.clear();
        answers.store = this;
        answers.generation = generation;
    }
    if (auto it = answers.values.constFind(key); it != answers.values.cend())
        return it.value();
    const QVariant value = objectForKey(key);
    // A change while reading leaves the answer out of the copy.
    if (g_valuesGeneration.load(std::memory_order_acquire) == generation)
        answers.values.insert(key, value);
    return value;
}

void UserDefaults::noteChange()
{
    g_valuesGeneration.fetch_add(1, std::memory_order_acq_rel);
    m_dirty = true;
    m_changed = true;
    if (m_turnScheduled || !m_mainThreadContext)
        return;
    m_turnScheduled = true;
    // Queued so that every change of this turn shares one write and one notification.
    QMetaObject::invokeMethod(m_mainThreadContext.get(), [this] { endOfTurn(); }, Qt::QueuedConnection);
}

void UserDefaults::endOfTurn()
{
    bool changed = false;
    {
        std::lock_guard lock(m_mutex);
        m_turnScheduled = false;
        changed = m_changed;
        m_changed = false;
    }
    write();
    if (changed) {
        detail::runLoggingExceptions(QStringLiteral("An observer of the user defaults"), [this] {
            NotificationCenter::defaultCenter().post(NSUserDefaultsDidChangeNotification, this);
        });
    }
}

bool UserDefaults::write()
{
    std::lock_guard writeLock(m_writeMutex);
    QVariantMap snapshot;
    QString path;
    {
        std::lock_guard lock(m_mutex);
        if (!m_dirty)
            return true;
        if (m_storage == Storage::Blocked)
            return false;
        snapshot = m_persistent;
        path = m_path;
        m_dirty = false;
    }
    Error error;
    const QString folder = QFileInfo(path).absolutePath();
    if (QDir().mkpath(folder) && PropertyList::write(snapshot, path, PropertyListFormat::XML, &error))
        return true;
    log(QStringLiteral("User defaults: could not save “%1”: %2")
            .arg(path, error.isNull() ? QStringLiteral("the folder could not be made") : error.localizedDescription()));
    std::lock_guard lock(m_mutex);
    m_dirty = true;
    return false;
}

bool UserDefaults::synchronize()
{
    return write();
}

void UserDefaults::registerDefaults(const QVariantMap& defaults)
{
    std::lock_guard lock(m_mutex);
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        m_registration.insert(it.key(), it.value());
    g_valuesGeneration.fetch_add(1, std::memory_order_acq_rel);
}

bool UserDefaults::registerDefaultsFromFile(const QString& path, Error* error)
{
    Error readError;
    const QVariant root = PropertyList::read(path, nullptr, &readError);
    if (!readError.isNull())
        return fail(error, readError);
    if (root.typeId() != QMetaType::QVariantMap) {
        return fail(error, Error(kPFFoundationErrorDomain, kErrorPropertyListRead,
                                 {{NSLocalizedDescriptionKey,
                                   QStringLiteral("The file “%1” does not hold a dictionary of defaults.")
                                       .arg(QFileInfo(path).fileName())},
                                  {NSFilePathErrorKey, path}}));
    }
    registerDefaults(root.toMap());
    return true;
}

QVariant UserDefaults::objectForKey(const QString& key) const
{
    std::lock_guard lock(m_mutex);
    return lookUp(key);
}

bool UserDefaults::boolForKey(const QString& key) const
{
    return variantToBool(objectForKey(key));
}

qint64 UserDefaults::integerForKey(const QString& key) const
{
    return toInteger(objectForKey(key));
}

float UserDefaults::floatForKey(const QString& key) const
{
    return float(doubleForKey(key));
}

double UserDefaults::doubleForKey(const QString& key) const
{
    return toDouble(objectForKey(key));
}

QString UserDefaults::stringForKey(const QString& key) const
{
    return toText(objectForKey(key));
}

QByteArray UserDefaults::dataForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

QVariantList UserDefaults::arrayForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList)
        return value.toList();
    return {};
}

QVariantMap UserDefaults::dictionaryForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QVariantMap ? value.toMap() : QVariantMap();
}

QStringList UserDefaults::stringArrayForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList();
    if (value.typeId() != QMetaType::QVariantList)
        return {};
    QStringList strings;
    for (const QVariant& item : value.toList()) {
        if (item.typeId() != QMetaType::QString)
            return {};
        strings.append(item.toString());
    }
    return strings;
}

QUrl UserDefaults::URLForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QString ? urlFromText(value.toString()) : QUrl();
}

void UserDefaults::setObject(const QVariant& value, const QString& key)
{
    if (!value.isValid()) {
        removeObjectForKey(key);
        return;
    }
    if (const QString problem = storageProblem(value, key); !problem.isEmpty()) {
        log(QStringLiteral("User defaults: the value for the key “%1” was not stored: %2").arg(key, problem));
        return;
    }
    std::lock_guard lock(m_mutex);
    ensureLoaded();
    if (auto it = m_persistent.constFind(key); it != m_persistent.cend() && isSameValue(it.value(), value))
        return;
    m_persistent.insert(key, value);
    noteChange();
}

void UserDefaults::setBool(bool value, const QString& key)
{
    setObject(QVariant(value), key);
}

void UserDefaults::setInteger(qint64 value, const QString& key)
{
    setObject(QVariant(qlonglong(value)), key);
}

void UserDefaults::setFloat(float value, const QString& key)
{
    setObject(QVariant(value), key);
}

void UserDefaults::setDouble(double value, const QString& key)
{
    setObject(QVariant(value), key);
}

void UserDefaults::setURL(const QUrl& url, const QString& key)
{
    if (!url.isValid() || url.isEmpty()) {
        removeObjectForKey(key);
        return;
    }
    setObject(url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded), key);
}

void UserDefaults::removeObjectForKey(const QString& key)
{
    std::lock_guard lock(m_mutex);
    ensureLoaded();
    if (m_persistent.remove(key) > 0)
        noteChange();
}

QVariantMap UserDefaults::dictionaryRepresentation() const
{
    std::lock_guard lock(m_mutex);
    ensureLoaded();
    QVariantMap merged = m_registration;
    for (auto it = m_persistent.cbegin(); it != m_persistent.cend(); ++it)
        merged.insert(it.key(), it.value());
    return merged;
}

QString UserDefaults::siblingPath(const QString& name) const
{
    return QFileInfo(storagePath()).absoluteDir().filePath(name + kPlistSuffix);
}

QVariantMap UserDefaults::persistentDomainForName(const QString& name) const
{
    if (name == domainName()) {
        std::lock_guard lock(m_mutex);
        ensureLoaded();
        return m_persistent;
    }
    if (!isUsableDomainName(name))
        return {};
    Error error;
    const QVariant root = PropertyList::read(siblingPath(name), nullptr, &error);
    if (!error.isNull() && error.code() != kErrorFileNotFound)
        log(QStringLiteral("User defaults: the domain “%1” could not be read: %2").arg(name, error.localizedDescription()));
    return root.typeId() == QMetaType::QVariantMap ? root.toMap() : QVariantMap();
}

void UserDefaults::setPersistentDomain(const QVariantMap& domain, const QString& name)
{
    if (const QString problem = domainProblem(domain); !problem.isEmpty()) {
        log(QStringLiteral("User defaults: the domain “%1” was not stored: %2").arg(name, problem));
        return;
    }
    if (name == domainName()) {
        std::lock_guard lock(m_mutex);
        // Loading first sets a damaged file aside before anything replaces it.
        ensureLoaded();
        if (isSameValue(QVariant(m_persistent), QVariant(domain)))
            return;
        m_persistent = domain;
        noteChange();
        return;
    }
    if (!isUsableDomainName(name)) {
        log(QStringLiteral("User defaults: “%1” cannot name a domain.").arg(name));
        return;
    }
    const QString path = siblingPath(name);
    Error error;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !PropertyList::write(domain, path, PropertyListFormat::XML, &error))
        log(QStringLiteral("User defaults: the domain “%1” could not be saved: %2").arg(name, error.localizedDescription()));
}

void UserDefaults::removePersistentDomainForName(const QString& name)
{
    if (name != domainName()) {
        if (!isUsableDomainName(name))
            return;
        const QString path = siblingPath(name);
        const QFileInfo info(path);
        if ((info.exists() || info.isSymLink()) && !QFile::remove(path))
            log(QStringLiteral("User defaults: the domain “%1” could not be removed.").arg(name));
        return;
    }
    // Held across the deletion so that no write of an older snapshot recreates the file.
    std::lock_guard writeLock(m_writeMutex);
    std::lock_guard lock(m_mutex);
    const QFileInfo info(m_path);
    const bool fileExists = info.exists() || info.isSymLink();
    const bool hadValues = m_loaded && !m_persistent.isEmpty();
    m_persistent.clear();
    m_loaded = true;
    m_storage = Storage::Usable;
    m_dirty = false;
    if (fileExists && !QFile::remove(m_path)) {
        log(QStringLiteral("User defaults: “%1” could not be deleted; it is emptied instead.").arg(m_path));
        noteChange();
        return;
    }
    if (fileExists || hadValues) {
        noteChange();
        // Nothing is left to write: the file is gone, as asked.
        m_dirty = false;
    }
}

} // namespace pf
