#include "library/PWXLibraryMenuHelper.h"

#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QFont>
#include <QHash>

namespace {

struct Entry {
    pf::Weak<pf::Menu> menu;
    pf::Ref<PWXLibraryMenuHelper> helper;
};

QHash<const pf::Menu*, Entry>& helpers()
{
    static QHash<const pf::Menu*, Entry> table;
    return table;
}

// Entries of menus that have gone are dropped, so their helpers go with them.
void purge()
{
    helpers().removeIf([](const QHash<const pf::Menu*, Entry>::iterator& it) { return it->menu.expired(); });
}

} // namespace

PF_DEFINE_CLASS(PWXLibraryMenuHelper, pf::Object) {}

PWXLibraryMenuHelper::PWXLibraryMenuHelper(pf::Reflective* target, const QString& action, qint32 options)
    : m_target(target), m_action(action), m_options(options)
{
}

pf::Ref<PWXLibraryMenuHelper> PWXLibraryMenuHelper::menuHelperForMenu(const pf::Menu* menu)
{
    if (!menu)
        return nullptr;
    purge();
    auto found = helpers().constFind(menu);
    if (found == helpers().constEnd() || found->menu.lock().get() != menu)
        return nullptr;
    return found->helper;
}

void PWXLibraryMenuHelper::setMenuHelper(const pf::Ref<PWXLibraryMenuHelper>& helper, const pf::Menu* menu)
{
    if (!menu)
        return;
    purge();
    if (!helper) {
        helpers().remove(menu);
        return;
    }
    auto* mutableMenu = const_cast<pf::Menu*>(menu);
    helpers().insert(menu, Entry{mutableMenu->ref<pf::Menu>(), helper});
}

int PWXLibraryMenuHelper::liveHelperCount()
{
    purge();
    return int(helpers().size());
}

void PWXLibraryMenuHelper::applyToItem(pf::MenuItem& item) const
{
    item.setTarget(m_target.get());
    item.setAction(m_action);
}

bool PWXLibraryMenuHelper::updateContainerMenuItem(PWXLibraryElementContainer& container, pf::Menu& menu,
                                                   pf::MenuItem& item, int index, bool obliqueReadOnly)
{
    const QList<pf::Ref<PWXLibraryElementContainer>> subs =
        container.sortedSubContainersUsingSortDescriptors(PWXLibrary::menuSortDescriptors(), 0);
    if (index < 0 || index >= subs.size())
        return true;
    auto category = std::dynamic_pointer_cast<PWXLibraryCategory>(subs[index]);
    if (!category)
        return true;
    item.setRepresentedObject(category->identifier());
    if (pf::Ref<pf::Image> icon = category->icon())
        item.setImage(icon->icon());
    item.setEnabled(true);
    item.setToolTip(category->toolTipString());
    if (obliqueReadOnly && category->isReadOnly()) {
        pf::MenuItemTitleAttributes oblique;
        QFont font(QStringLiteral("Helvetica"));
        font.setItalic(true);
        font.setPointSizeF(QFont().pointSizeF() * 0.85);
        oblique.font = font;
        item.setAttributedTitle(category->name(), oblique);
    } else {
        item.setAttributedTitle(category->name(), {}); // plain: any attributes cleared
    }
    if (pf::Menu* old = item.submenu())
        setMenuHelper(nullptr, old);
    item.setSubmenu(nullptr);
    pf::Ref<PWXLibraryMenuHelper> helper = menuHelperForMenu(&menu);
    if (helper)
        helper->applyToItem(item);
    if (category->countOfSubContainers() > 0) {
        item.setSubmenu(category->subcategoriesMenuWithOptions(helper ? helper->options() : 0,
                                                               helper ? helper->target() : nullptr,
                                                               helper ? helper->action() : QString()));
        item.setToolTip(QString());
    }
    return true;
}
