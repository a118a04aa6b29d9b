#include "library/PWXLibraryGroup.h"

#include "frameworks/penwork/registries/PWCategoryManager.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryMenuHelper.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>

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

PWXLibraryGroup::PWXLibraryGroup(const QString& name, const QString& sourcePath)
    : PWXLibraryElementContainer(name), m_sourcePath(sourcePath)
{
}

PWXLibraryGroup::~PWXLibraryGroup()
{
    for (const pf::Weak<pf::Menu>& weak : m_menus)
        if (pf::Ref<pf::Menu> menu = weak.lock(); menu && menu->delegate() == this)
            menu->setDelegate(nullptr);
}

void PWXLibraryGroup::loadLibraries()
{
    QList<pf::Ref<PWXLibrary>> found;
    const QDir folder(m_sourcePath);
    for (const QString& entry : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (QFileInfo(entry).suffix() != PWXLibrary::libraryExtension())
            continue;
        pf::Ref<PWXLibrary> library = PWXLibrary::libraryWithPath(folder.filePath(entry), false);
        if (!library->isDamaged() && library->hasPresenceOnDisk())
            found.append(library);
    }
    setLibraries(found);
}

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

pf::Ref<PWXLibraryElement> PWXLibraryGroup::libraryOrGroupWithUnifiedIndex(qsizetype index)
{
    const QList<pf::Ref<PWXLibraryElement>> list = flattenedListOfGroupsAndLibraries();
    return index >= 0 && index < list.size() ? list[index] : nullptr;
}

std::optional<QList<pf::Ref<PWXLibrary>>> PWXLibraryGroup::libraries() const
{
    if (!m_librariesLoaded)
        return std::nullopt;
    QList<pf::Ref<PWXLibrary>> out;
    for (const pf::Ref<PWXLibraryElement>& member :
         const_cast<PWXLibraryGroup*>(this)->sortedElementsUsingSortDescriptors(PWXLibrary::menuSortDescriptors(), 0))
        if (auto library = std::dynamic_pointer_cast<PWXLibrary>(member))
            out.append(library);
    return out;
}

void PWXLibraryGroup::setLibraries(const QList<pf::Ref<PWXLibrary>>& libraries)
{
    for (const pf::Ref<PWXLibraryElement>& member : elements())
        removeElement(member);
    for (const pf::Ref<PWXLibrary>& library : libraries) {
        if (!library)
            continue;
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

pf::Ref<PWXLibrary> PWXLibraryGroup::libraryAtIndex(qsizetype index) const
{
    const QList<pf::Ref<PWXLibrary>> all = libraries().value_or(QList<pf::Ref<PWXLibrary>>());
    return index >= 0 && index < all.size() ? all[index] : nullptr;
}

void PWXLibraryGroup::removeLibrary(const pf::Ref<PWXLibrary>& library)
{
    if (!library || !hasMember(library.get()))
        return;
    library->setGroup(QString());
    removeElement(library);
    pf::NotificationCenter::defaultCenter().post(kPWXLibraryGroupContentWasChanged, this,
                                                 {{kLibraryUserInfoKey, pf::toVariant(library)}});
}

pf::Ref<PWXLibrary> PWXLibraryGroup::libraryWithName(const QString& name) const
{
    for (const pf::Ref<PWXLibraryElement>& member : elements())
        if (auto library = std::dynamic_pointer_cast<PWXLibrary>(member);
            library && library->displayName().toCaseFolded() == name.toCaseFolded())
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

pf::Ref<pf::Image> PWXLibraryGroup::icon() const
{
    pf::Ref<pf::Image> image = pf::Image::imageNamed(name() == kFactoryGroupName ? QStringLiteral("VN_Vintrel_Grey_Icon")
                                                                                  : QStringLiteral("VNTB_Library"));
    if (!image)
        return nullptr;
    image = image->copyImage();
    const QSizeF size = image->size();
    if (size.height() > 0)
        image->setSize(QSizeF(size.width() * 16.0 / size.height(), 16.0));
    return image;
}

QString PWXLibraryGroup::description() const
{
    QStringList names;
    for (const pf::Ref<PWXLibrary>& library : libraries().value_or(QList<pf::Ref<PWXLibrary>>()))
        names.append(library->name());
    return QStringLiteral("%1 '%2', libraries = (%3)").arg(className(), name(), names.join(QStringLiteral(", ")));
}

// Menus ------------------------------------------------------------------------------------------

pf::MenuItemTitleAttributes PWXLibraryGroup::groupHeaderItemAttributes()
{
    pf::MenuItemTitleAttributes attributes;
    QFont font;
    font.setPointSizeF(11);
    font.setBold(true);
    attributes.font = font;
    attributes.color = QColor(Qt::gray);
    return attributes;
}

pf::Ref<pf::Menu> PWXLibraryGroup::librariesMenuWithOptions(qint32 options, pf::Reflective* target, const QString& action)
{
    pf::Ref<pf::Menu> menu = pf::Menu::make(tr("Collections"));
    PWXLibraryMenuHelper::setMenuHelper(std::make_shared<PWXLibraryMenuHelper>(target, action, options), menu.get());
    menu->setAutoenablesItems(true);
    menu->setDelegate(this);
    addMenu(menu);
    return menu;
}

void PWXLibraryGroup::addMenu(const pf::Ref<pf::Menu>& menu)
{
    m_menus.removeIf([](const pf::Weak<pf::Menu>& weak) { return weak.expired(); });
    if (menu && !menus().contains(menu))
        m_menus.append(menu);
}

void PWXLibraryGroup::removeMenu(const pf::Ref<pf::Menu>& menu)
{
    m_menus.removeIf([&](const pf::Weak<pf::Menu>& weak) { return weak.expired() || weak.lock() == menu; });
}

QList<pf::Ref<pf::Menu>> PWXLibraryGroup::menus() const
{
    QList<pf::Ref<pf::Menu>> out;
    for (const pf::Weak<pf::Menu>& weak : m_menus)
        if (pf::Ref<pf::Menu> menu = weak.lock())
            out.append(menu);
    return out;
}

void PWXLibraryGroup::prepareGroupHeaderMenuItem(pf::MenuItem* item) const
{
    PF_ASSERT(item, "nil menu item was passed");
    if (!item)
        return;
    item->setTitle(displayName());
    item->setEnabled(true);
    item->setTarget(nullptr);
    item->setAction(QString());
    if (pf::Ref<pf::Image> image = icon())
        item->setImage(image->icon());
    item->setToolTip(toolTipString());
    item->setRepresentedObject(QVariant());
    item->setIndentationLevel(0);
    item->setSubmenu(nullptr);
    item->setAttributedTitle(displayName(), groupHeaderItemAttributes());
}

int PWXLibraryGroup::numberOfItemsInMenu(pf::Menu&) { return int(libraries().value_or(QList<pf::Ref<PWXLibrary>>()).size()); }

bool PWXLibraryGroup::updateItem(pf::Menu& menu, pf::MenuItem& item, int index, bool shouldCancel)
{
    pf::Ref<PWXLibrary> library = libraryAtIndex(index);
    if (!library)
        return !shouldCancel;
    item.setAttributedTitle(library->name(), {});
    item.setRepresentedObject(library->identifier());
    if (pf::Ref<pf::Image> image = library->icon())
        item.setImage(image->icon());
    item.setEnabled(true);
    item.setToolTip(library->toolTipString());
    if (pf::Menu* old = item.submenu())
        PWXLibraryMenuHelper::setMenuHelper(nullptr, old);
    item.setSubmenu(nullptr);
    pf::Ref<PWXLibraryMenuHelper> helper = PWXLibraryMenuHelper::menuHelperForMenu(&menu);
    if (helper)
        helper->applyToItem(item);
    if (library->countOfSubContainers() > 0) {
        item.setSubmenu(library->categoriesMenuWithOptions(helper ? helper->options() : 0, helper ? helper->target() : nullptr,
                                                          helper ? helper->action() : QString()));
        item.setToolTip(QString());
    }
    return !shouldCancel;
}
