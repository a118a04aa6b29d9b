#include "library/PWXLibraryGroupMenuHandler.h"

#include "library/PWXLibrary.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryMenuHelper.h"
#include "platform/foundation/Exception.h"
#include "platform/graphics/Image.h"

#include <QFont>

PF_DEFINE_CLASS(PWXLibraryGroupMenuHandler, pf::Object) {}

PWXLibraryGroupMenuHandler::~PWXLibraryGroupMenuHandler()
{
    for (const pf::Weak<pf::Menu>& weak : m_menus)
        if (pf::Ref<pf::Menu> menu = weak.lock(); menu && menu->delegate() == this)
            menu->setDelegate(nullptr);
}

pf::Ref<PWXLibraryGroupMenuHandler> PWXLibraryGroupMenuHandler::sharedGroupMenuHandler()
{
    static pf::Ref<PWXLibraryGroupMenuHandler> shared;
    if (!shared) {
        PWXLibrary::initializeRegistry();
        shared = std::make_shared<PWXLibraryGroupMenuHandler>();
    }
    return shared;
}

pf::MenuItemTitleAttributes PWXLibraryGroupMenuHandler::standardItemAttributes()
{
    pf::MenuItemTitleAttributes attributes;
    QFont font;
    font.setPointSizeF(11);
    attributes.font = font;
    return attributes;
}

pf::MenuItemTitleAttributes PWXLibraryGroupMenuHandler::boldItemAttributes()
{
    pf::MenuItemTitleAttributes attributes;
    QFont font;
    font.setPointSizeF(11);
    font.setBold(true);
    attributes.font = font;
    attributes.underline = true;
    return attributes;
}

void PWXLibraryGroupMenuHandler::renewMenu(const pf::Ref<pf::Menu>& menu, qint32 options, pf::Reflective* target,
                                           const QString& action)
{
    if (!menu)
        return;
    PWXLibraryMenuHelper::setMenuHelper(std::make_shared<PWXLibraryMenuHelper>(target, action, options), menu.get());
    menu->setDelegate(this);
    addMenu(menu);
}

void PWXLibraryGroupMenuHandler::addMenu(const pf::Ref<pf::Menu>& menu)
{
    m_menus.removeIf([](const pf::Weak<pf::Menu>& weak) { return weak.expired(); });
    if (menu && !menus().contains(menu))
        m_menus.append(menu);
}

void PWXLibraryGroupMenuHandler::removeMenu(const pf::Ref<pf::Menu>& menu)
{
    if (menu && menu->delegate() == this)
        menu->setDelegate(nullptr);
    m_menus.removeIf([&](const pf::Weak<pf::Menu>& weak) { return weak.expired() || weak.lock() == menu; });
}

QList<pf::Ref<pf::Menu>> PWXLibraryGroupMenuHandler::menus() const
{
    QList<pf::Ref<pf::Menu>> out;
    for (const pf::Weak<pf::Menu>& weak : m_menus)
        if (pf::Ref<pf::Menu> menu = weak.lock())
            out.append(menu);
    return out;
}

void PWXLibraryGroupMenuHandler::setBoldTitlingForMenuTrail(pf::MenuItem* item, const QString& identifier) const
{
    PF_ASSERT(item, "nil menu item");
    PF_ASSERT(!identifier.isNull(), "nil identifier");
    if (!item || identifier.isNull())
        return;
    const QString own = item->representedObject().toString();
    if (own.isEmpty())
        return;
    const QStringList ownParts = own.split(QLatin1Char('.'));
    const QStringList wanted = identifier.split(QLatin1Char('.'));
    const qsizetype depth = ownParts.size() - 1;
    // On the trail: every component of the item's identifier matches the chosen one's.
    const bool onTrail = depth < wanted.size() && ownParts == wanted.mid(0, ownParts.size());
    item->setAttributedTitle(item->title(), onTrail ? boldItemAttributes() : pf::MenuItemTitleAttributes());
}

int PWXLibraryGroupMenuHandler::numberOfItemsInMenu(pf::Menu&)
{
    return int(PWXLibraryGroup::flattenedListOfGroupsAndLibraries().size()) + 1;
}

bool PWXLibraryGroupMenuHandler::updateItem(pf::Menu& menu, pf::MenuItem& item, int index, bool shouldCancel)
{
    if (index == 0 || shouldCancel)
        return !shouldCancel;
    pf::Ref<PWXLibraryElement> entry = PWXLibraryGroup::libraryOrGroupWithUnifiedIndex(index - 1);
    if (auto group = std::dynamic_pointer_cast<PWXLibraryGroup>(entry)) {
        group->prepareGroupHeaderMenuItem(&item);
    } else if (auto library = std::dynamic_pointer_cast<PWXLibrary>(entry)) {
        item.setAttributedTitle(library->name(), {});
        if (pf::Ref<pf::Image> image = library->icon())
            item.setImage(image->icon());
        item.setToolTip(QString());
        item.setRepresentedObject(library->identifier());
        item.setIndentationLevel(1);
        item.setEnabled(true);
        if (pf::Menu* old = item.submenu())
            PWXLibraryMenuHelper::setMenuHelper(nullptr, old);
        item.setSubmenu(nullptr);
        pf::Ref<PWXLibraryMenuHelper> helper = PWXLibraryMenuHelper::menuHelperForMenu(&menu);
        if (helper)
            helper->applyToItem(item);
        item.setSubmenu(library->categoriesMenuWithOptions(helper ? helper->options() : 0,
                                                          helper ? helper->target() : nullptr,
                                                          helper ? helper->action() : QString()));
    }
    return !shouldCancel;
}
