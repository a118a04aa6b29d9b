#include "platform/ui/Bundle.h"

#include "platform/foundation/PropertyList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLocale>

namespace pf {

namespace {
const QString kDefaultIdentifier = QStringLiteral("org.quillory.Quillory");

QString findMainResourceFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("QUILLORY_RESOURCES");
    if (!fromEnvironment.isEmpty())
        return QDir::cleanPath(fromEnvironment);
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString beside = QDir(programFolder).filePath(QStringLiteral("Resources"));
    if (QFileInfo(beside).isDir())
        return QDir::cleanPath(beside);
    return QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral("../share/") + kDefaultIdentifier
                                                        + QStringLiteral("/Resources")));
}

bool isSafeRelativeName(const QString& name)
{
    if (name.isEmpty() || QDir::isAbsolutePath(name) || name.contains(QChar(0)))
        return false;
    for (const QString& part : name.split(QLatin1Char('/'))) {
        if (part == QLatin1String(".."))
            return false;
    }
    return true;
}
} // namespace

Bundle& Bundle::main()
{
    static Bundle bundle(findMainResourceFolder());
    return bundle;
}

Bundle::Bundle(QString resourcePath) : m_root(QDir::cleanPath(std::move(resourcePath))) {}

QString Bundle::resolved(const QString& relative) const
{
    if (!isSafeRelativeName(relative))
        return {};
    const QString path = QDir::cleanPath(m_root + QLatin1Char('/') + relative);
    return QFileInfo::exists(path) ? path : QString();
}

QStringList Bundle::preferredLanguages()
{
    QStringList languages;
    for (const QString& language : QLocale().uiLanguages()) {
        for (const QString& form : {language, QString(language).replace(QLatin1Char('-'), QLatin1Char('_')),
                                    language.section(QLatin1Char('-'), 0, 0)}) {
            if (!form.isEmpty() && !languages.contains(form))
                languages.append(form);
        }
    }
    if (!languages.contains(QStringLiteral("en")))
        languages.append(QStringLiteral("en"));
    return languages;
}

QString Bundle::pathForResource(const QString& name, const QString& type, const QString& subdirectory) const
{
    if (name.isEmpty())
        return {};
    QString file = name;
    if (!type.isEmpty())
        file += (type.startsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".")) + type;
    const QString relative = subdirectory.isEmpty() ? file : subdirectory + QLatin1Char('/') + file;
    if (!isSafeRelativeName(relative))
        return {};
    if (QString path = resolved(relative); !path.isEmpty())
        return path;
    for (const QString& language : preferredLanguages()) {
        if (QString path = resolved(language + QStringLiteral(".lproj/") + relative); !path.isEmpty())
            return path;
    }
    return {};
}

QUrl Bundle::URLForResource(const QString& name, const QString& type, const QString& subdirectory) const
{
    const QString path = pathForResource(name, type, subdirectory);
    return path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path);
}

QStringList Bundle::pathsForResourcesOfType(const QString& type, const QString& subdirectory) const
{
    if (!subdirectory.isEmpty() && !isSafeRelativeName(subdirectory))
        return {};
    const QDir folder(subdirectory.isEmpty() ? m_root : m_root + QLatin1Char('/') + subdirectory);
    const QString extension = type.startsWith(QLatin1Char('.')) ? type.mid(1) : type;
    const QStringList filters = extension.isEmpty() ? QStringList() : QStringList{QStringLiteral("*.") + extension};
    QStringList paths;
    for (const QFileInfo& info : folder.entryInfoList(filters, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!extension.isEmpty() && info.suffix() != extension)
            continue;
        if (info.isDir() && extension.isEmpty())
            continue; // folders count only when asked for by their extension (packages)
        paths.append(info.filePath());
    }
    return paths;
}

QImage Bundle::imageForResource(const QString& name) const
{
    QString path;
    if (!QFileInfo(name).suffix().isEmpty())
        path = pathForResource(name, {});
    for (const char* type : {"png", "svg", "tiff", "tif", "jpg"}) {
        if (!path.isEmpty())
            break;
        path = pathForResource(name, QString::fromLatin1(type));
    }
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    return reader.read();
}

QVariantMap Bundle::infoDictionary() const
{
    std::lock_guard lock(m_mutex);
    if (!m_infoLoaded) {
        m_infoLoaded = true;
        const QString path = QDir(m_root).filePath(QStringLiteral("Info.plist"));
        if (QFileInfo::exists(path)) {
            Error error;
            const QVariant value = PropertyList::read(path, nullptr, &error);
            m_info = value.toMap(); // a damaged file reads as an empty dictionary
        }
    }
    return m_info;
}

QVariant Bundle::objectForInfoDictionaryKey(const QString& key) const
{
    return infoDictionary().value(key);
}

QString Bundle::bundleIdentifier() const
{
    const QString identifier = objectForInfoDictionaryKey(QStringLiteral("CFBundleIdentifier")).toString();
    return identifier.isEmpty() ? kDefaultIdentifier : identifier;
}

QVariantMap Bundle::table(const QString& name) const
{
    std::lock_guard lock(m_mutex);
    auto found = m_tables.constFind(name);
    if (found != m_tables.constEnd())
        return *found;
    QVariantMap merged;
    if (isSafeRelativeName(name + QStringLiteral(".plist")) && !name.contains(QLatin1Char('/'))) {
        // Later (less preferred) languages first, so that preferred ones win.
        const QStringList languages = preferredLanguages();
        for (auto it = languages.rbegin(); it != languages.rend(); ++it) {
            const QString path = QDir(m_root).filePath(*it + QStringLiteral(".lproj/") + name + QStringLiteral(".plist"));
            if (!QFileInfo::exists(path))
                continue;
            Error error;
            const QVariantMap entries = PropertyList::read(path, nullptr, &error).toMap();
            for (auto entry = entries.constBegin(); entry != entries.constEnd(); ++entry) {
                if (entry.value().typeId() == QMetaType::QString)
                    merged.insert(entry.key(), entry.value());
            }
        }
    }
    m_tables.insert(name, merged);
    return merged;
}

QString Bundle::localizedString(const QString& key, const QString& value, const QString& tableName) const
{
    const QVariantMap strings = table(tableName.isEmpty() ? QStringLiteral("Localizable") : tableName);
    const auto found = strings.constFind(key);
    if (found != strings.constEnd())
        return found->toString();
    return value.isEmpty() ? key : value;
}

} // namespace pf
