#pragma once

#include "library/PWXLibraryElementContainer.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QList>
#include <QString>

#include <optional>

namespace pf {
class Image;
}

inline const QString kPWXLibraryGroupWasRegistered = QStringLiteral("kPWXLibraryGroupWasRegistered");
inline const QString kPWXLibraryGroupContentWasChanged = QStringLiteral("kPWXLibraryGroupContentWasChanged");

// A named group of libraries, and on its class side the process-wide registry of groups:
// the factory collections ("VINTREL LIBRARY"), the user's own ("MY LIBRARY"), the temporary
// collections of open documents ("OPEN DOCUMENTS"), and groups that libraries ask for by name.
class PWXLibraryGroup : public PWXLibraryElementContainer, public pf::MenuDelegate {
    PF_CLASS(PWXLibraryGroup)
public:
    static inline const QString kFactoryGroupName = QStringLiteral("VINTREL LIBRARY");
    static inline const QString kUserGroupName = QStringLiteral("MY LIBRARY");
    static inline const QString kDocumentsGroupName = QStringLiteral("OPEN DOCUMENTS");
    static inline const QString kLibraryUserInfoKey = QStringLiteral("library");

    PWXLibraryGroup() = default;
    explicit PWXLibraryGroup(const QString& name) : PWXLibraryElementContainer(name) {}
    ~PWXLibraryGroup() override;
    // A group of the libraries of every folder with the library extension in `sourcePath`,
    // once loadLibraries has run.
    PWXLibraryGroup(const QString& name, const QString& sourcePath);
    void loadLibraries();
    QString sourcePath() const { return m_sourcePath; }

    // The three standard groups, made (without libraries) and registered on first use.
    static pf::Ref<PWXLibraryGroup> factoryGroup();
    static pf::Ref<PWXLibraryGroup> userGroup();
    static pf::Ref<PWXLibraryGroup> documentsGroup();
    // There is no group shared between users here.
    static pf::Ref<PWXLibraryGroup> sharedGroup() { return nullptr; }
    static pf::Ref<PWXLibraryGroup> groupWithName(const QString& name);
    static void registerGroup(const pf::Ref<PWXLibraryGroup>& group);
    static void unregisterGroup(const QString& name);
    // The registered groups in the order they were registered.
    static QList<pf::Ref<PWXLibraryGroup>> allGroups();
    // The factory, user and documents groups, then every other group that has a library, each
    // followed by its libraries.
    static QList<pf::Ref<PWXLibraryElement>> flattenedListOfGroupsAndLibraries();
    // The entry of that list at `index`; null past its end.
    static pf::Ref<PWXLibraryElement> libraryOrGroupWithUnifiedIndex(qsizetype index);
    // Tests: forgets every group.
    static void unregisterAllGroups();

    // Null until the group has its libraries; then sorted by name.
    std::optional<QList<pf::Ref<PWXLibrary>>> libraries() const;
    bool librariesLoaded() const { return m_librariesLoaded; }
    void setLibraries(const QList<pf::Ref<PWXLibrary>>& libraries);
    void addLibrary(const pf::Ref<PWXLibrary>& library);
    void removeLibrary(const pf::Ref<PWXLibrary>& library);
    pf::Ref<PWXLibrary> libraryAtIndex(qsizetype index) const;
    // By display name, ignoring case.
    pf::Ref<PWXLibrary> libraryWithName(const QString& name) const;
    pf::Ref<PWXLibrary> libraryWithPath(const QString& path) const;
    // `name`, else "name 1", "name 2"... the first that no library has.
    QString uniqueLibraryName(const QString& name) const;

    QString displayName() const;
    QString toolTipString() const;
    pf::Ref<pf::Image> icon() const;
    QString description() const override;
    // The clean name.
    QString identifier() const override { return cleanName(); }

    // Menus: a menu of the group's libraries, each with its categories as a submenu.
    pf::Ref<pf::Menu> librariesMenuWithOptions(qint32 options, pf::Reflective* target, const QString& action);
    void addMenu(const pf::Ref<pf::Menu>& menu);
    void removeMenu(const pf::Ref<pf::Menu>& menu);
    QList<pf::Ref<pf::Menu>> menus() const;
    // Makes `item` the group's header: its name in grey bold, no action, not chosen.
    void prepareGroupHeaderMenuItem(pf::MenuItem* item) const;
    int numberOfItemsInMenu(pf::Menu& menu) override;
    bool updateItem(pf::Menu& menu, pf::MenuItem& item, int index, bool shouldCancel) override;

    static pf::MenuItemTitleAttributes groupHeaderItemAttributes();

private:
    QList<pf::Weak<pf::Menu>> m_menus;
    QString m_sourcePath;
    bool m_librariesLoaded = false;
};
