#pragma once

#include "library/PWXLibraryElementContainer.h"

#include <QList>
#include <QString>

#include <optional>

inline const QString kPWXLibraryGroupWasRegistered = QStringLiteral("kPWXLibraryGroupWasRegistered");
inline const QString kPWXLibraryGroupContentWasChanged = QStringLiteral("kPWXLibraryGroupContentWasChanged");

// A named group of libraries, and on its class side the process-wide registry of groups:
// the factory collections ("VINTREL LIBRARY"), the user's own ("MY LIBRARY"), the temporary
// collections of open documents ("OPEN DOCUMENTS"), and groups that libraries ask for by name.
class PWXLibraryGroup : public PWXLibraryElementContainer {
    PF_CLASS(PWXLibraryGroup)
public:
    static inline const QString kFactoryGroupName = QStringLiteral("VINTREL LIBRARY");
    static inline const QString kUserGroupName = QStringLiteral("MY LIBRARY");
    static inline const QString kDocumentsGroupName = QStringLiteral("OPEN DOCUMENTS");
    static inline const QString kLibraryUserInfoKey = QStringLiteral("library");

    PWXLibraryGroup() = default;
    explicit PWXLibraryGroup(const QString& name) : PWXLibraryElementContainer(name) {}

    // The three standard groups, made (without libraries) and registered on first use.
    static pf::Ref<PWXLibraryGroup> factoryGroup();
    static pf::Ref<PWXLibraryGroup> userGroup();
    static pf::Ref<PWXLibraryGroup> documentsGroup();
    static pf::Ref<PWXLibraryGroup> groupWithName(const QString& name);
    static void registerGroup(const pf::Ref<PWXLibraryGroup>& group);
    static void unregisterGroup(const QString& name);
    // The registered groups in the order they were registered.
    static QList<pf::Ref<PWXLibraryGroup>> allGroups();
    // The factory, user and documents groups, then every other group that has a library, each
    // followed by its libraries.
    static QList<pf::Ref<PWXLibraryElement>> flattenedListOfGroupsAndLibraries();
    // Tests: forgets every group.
    static void unregisterAllGroups();

    // Null until the group has its libraries; then sorted by name.
    std::optional<QList<pf::Ref<PWXLibrary>>> libraries() const;
    bool librariesLoaded() const { return m_librariesLoaded; }
    void setLibraries(const QList<pf::Ref<PWXLibrary>>& libraries);
    void addLibrary(const pf::Ref<PWXLibrary>& library);
    void removeLibrary(const pf::Ref<PWXLibrary>& library);
    // By display name, ignoring case.
    pf::Ref<PWXLibrary> libraryWithName(const QString& name) const;
    pf::Ref<PWXLibrary> libraryWithPath(const QString& path) const;
    // `name`, else "name 1", "name 2"... the first that no library has.
    QString uniqueLibraryName(const QString& name) const;

    QString displayName() const;
    QString toolTipString() const;
    // The clean name.
    QString identifier() const override { return cleanName(); }

private:
    bool m_librariesLoaded = false;
};
