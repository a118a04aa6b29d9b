#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <mutex>

namespace pf {

// The program's resources: real files under a resources folder, with the info dictionary
// ("Info.plist") and string tables ("<language>.lproj/<table>.plist", XML property lists of
// English text to translation). The main bundle's folder is $QUILLORY_RESOURCES when set,
// else "Resources" beside the executable, else "../share/<bundle identifier>/Resources" from
// it. Resource names never leave the folder: a name with ".." parts or an absolute path finds
// nothing.
class Bundle {
public:
    static Bundle& main();
    explicit Bundle(QString resourcePath);

    QString resourcePath() const { return m_root; }

    // The file of the resource, or empty. `type` is the extension (empty when `name` carries
    // it). The folder itself is searched first, then the language folders in preference order.
    QString pathForResource(const QString& name, const QString& type, const QString& subdirectory = {}) const;
    QUrl URLForResource(const QString& name, const QString& type, const QString& subdirectory = {}) const;
    // Every resource with the extension (any when empty) in the folder, sorted by name.
    QStringList pathsForResourcesOfType(const QString& type, const QString& subdirectory = {}) const;
    // An image resource by name (PNG, SVG, TIFF, JPEG tried in this order when the name has
    // no extension); null when there is none.
    QImage imageForResource(const QString& name) const;

    QVariantMap infoDictionary() const;
    QVariant objectForInfoDictionaryKey(const QString& key) const;
    // From the info dictionary, else "org.quillory.Quillory".
    QString bundleIdentifier() const;

    // The translation of `key` in `table` ("Localizable" when empty) for the user's languages;
    // when there is none, `value` if given, else the key itself.
    QString localizedString(const QString& key, const QString& value = {}, const QString& table = {}) const;
    // Language folder names in lookup order (from QLocale::uiLanguages, then "en").
    static QStringList preferredLanguages();

private:
    QString resolved(const QString& relative) const;
    QVariantMap table(const QString& name) const;

    QString m_root;
    mutable std::mutex m_mutex;
    mutable bool m_infoLoaded = false;
    mutable QVariantMap m_info;
    mutable QHash<QString, QVariantMap> m_tables;
};

} // namespace pf

// The main bundle's translation of a literal English text.
#define PF_LOCALIZED(text) (::pf::Bundle::main().localizedString(QStringLiteral(text)))
