#include "library/PWXLibraryGroup.h"

#include "frameworks/penwork/registries/PWCategoryManager.h"
#include "library/PWXLibrary.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryGroup", text); }

QList<pf::Ref<PWXLibraryGroup>>& registry()
{
    static QList<pf::Ref<PWXLibraryGroup>> groups;
    return groups;
}

pf::Ref<PWXLibraryGroup> standardGroup(const QString& name)
{
    if (pf::Ref<PWXLibraryGroup> group = PWXLibraryGroup::groupWithName(name))
        return group;
    auto group = std::make_shared<PWXLibraryGroup>(name);
    PWXLibraryGroup::registerGroup(group);
    return group;
}

} // namespace

PF_DEFINE_CLASS(PWXLibraryGroup, PWXLibraryElementContainer) {}

pf::Ref<PWXLibraryGroup> PWXLibraryGroup::factoryGroup() { return standardGroup(kFactoryGroupName); }
pf::Ref<PWXLibraryGroup> PWXLibraryGroup::userGroup() { return standardGroup(kUserGroupName); }
pf::Ref<PWXLibraryGroup> PWXLibraryGroup::documentsGroup() { return standardGroup(kDocumentsGroupName); }

pf::Ref<PWXLibraryGroup> PWXLibraryGroup::groupWithName(const QString& name)
{
    for (const pf::Ref<PWXLibraryGroup>& group : registry())
        if (group->name() == name)
            return group;
    return nullptr;
}

void PWXLibraryGroup::registerGroup(const pf::Ref<PWXLibraryGroup>& group)
{
    PF_ASSERT(group, "can't register nil group");
    PF_ASSERT(group && !group->name().isNull(), "group must have a name");
    PF_ASSERT(group && !group->name().isEmpty(), "group must have a valid name");
    if (!group || group->name().isEmpty())
        return;
    QList<pf::Ref<PWXLibraryGroup>>& groups = registry();
    for (qsizetype i = 0; i < groups.size(); ++i)
        if (groups[i]->name() == group->name()) {
            groups[i] = group;
            pf::NotificationCenter::defaultCenter().post(kPWXLibraryGroupWasRegistered, group.get());
            return;
        }
    groups.append(group);
    pf::NotificationCenter::defaultCenter().post(kPWXLibraryGroupWasRegistered, group.get());
}

void PWXLibraryGroup::unregisterGroup(const QString& name)
{
    registry().removeIf([&](const pf::Ref<PWXLibraryGroup>& group) { return group->name() == name; });
}

QList<pf::Ref<PWXLibraryGroup>> PWXLibraryGroup::allGroups() { return registry(); }

void PWXLibraryGroup::unregisterAllGroups() { registry().clear(); }

QList<pf::Ref<PWXLibraryElement>> PWXLibraryGroup::flattenedListOfGroupsAndLibraries()
{
    QList<pf::Ref<PWXLibraryElement>> list;
    QList<pf::Ref<PWXLibraryGroup>> listed;
    auto append = [&](const pf::Ref<PWXLibraryGroup>& group) {
        listed.append(group);
        list.append(group);
        for (const pf::Ref<PWXLibrary>& library : group->libraries().value_or(QList<pf::Ref<PWXLibrary>>()))
            list.append(library);
    };
    append(factoryGroup());
    append(userGroup());
    append(documentsGroup());
    for (const pf::Ref<PWXLibraryGroup>& group : registry())
        if (!listed.contains(group) && group->count() > 0)
            append(group);
    return list;
}

std::optional<QList<pf::Ref<PWXLibrary>>> PWXLibraryGroup::libraries() const
{
    if (!m_librariesLoaded)
        return std::nullopt;
    QList<pf::Ref<PWXLibrary>> out;
    for (const pf::Ref<PWXLibraryElement>& member : elements())
        if (auto library = std::dynamic_pointer_cast<PWXLibrary>(member))
            out.append(library);
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
        return PWCategoryManager::compareNames(a->name(), b->name()) < 0;
    });
    return out;
}

void PWXLibraryGroup::setLibraries(const QList<pf::Ref<PWXLibrary>>& libraries)
{
    for (const pf::Ref<PWXLibraryElement>& member : elements())
        removeElement(member);
    for (const pf::Ref<PWXLibrary>& library : libraries) {
        library->setGroup(name());
        addElement(library);
    }
    m_librariesLoaded = true;
    pf::NotificationCenter::defaultCenter().post(kPWXLibraryGroupContentWasChanged, this);
}

void PWXLibraryGroup::addLibrary(const pf::Ref<PWXLibrary>& library)
{
    if (!library)
        return;
    library->setGroup(name());
    addElement(library);
    m_librariesLoaded = true;
    pf::NotificationCenter::defaultCenter().post(kPWXLibraryGroupContentWasChanged, this,
                                                 {{kLibraryUserInfoKey, pf::toVariant(library)}});
}

void PWXLibraryGroup::removeLibrary(const pf::Ref<PWXLibrary>& library)
{
    if (!library || !elements().contains(library))
        return;
    library->setGroup(QString());
    removeElement(library);
    pf::NotificationCenter::defaultCenter().post(kPWXLibraryGroupContentWasChanged, this,
                                                 {{kLibraryUserInfoKey, pf::toVariant(library)}});
}

pf::Ref<PWXLibrary> PWXLibraryGroup::libraryWithName(const QString& name) const
{
    for (const pf::Ref<PWXLibrary>& library : libraries().value_or(QList<pf::Ref<PWXLibrary>>()))
        if (library->displayName().compare(name, Qt::CaseInsensitive) == 0)
            return library;
    return nullptr;
}

pf::Ref<PWXLibrary> PWXLibraryGroup::libraryWithPath(const QString& path) const
{
    for (const pf::Ref<PWXLibraryElement>& member : elements())
        if (auto library = std::dynamic_pointer_cast<PWXLibrary>(member); library && library->path() == path)
            return library;
    return nullptr;
}

QString PWXLibraryGroup::uniqueLibraryName(const QString& name) const
{
    if (!libraryWithName(name))
        return name;
    for (qint64 n = 1;; ++n) {
        const QString candidate = QStringLiteral("%1 %2").arg(name).arg(n);
        if (!libraryWithName(candidate))
            return candidate;
    }
}

QString PWXLibraryGroup::displayName() const { return tr(name().toUtf8().constData()); }

QString PWXLibraryGroup::toolTipString() const
{
    if (name() == kFactoryGroupName)
        return tr("Factory collections supplied by Vintrel (read-only)");
    if (name() == kUserGroupName)
        return tr("Collections you have created or imported (editable)");
    if (name() == kDocumentsGroupName)
        return tr("Temporary collections containing styles and symbols used in open documents (read-only)");
    return QString();
}
