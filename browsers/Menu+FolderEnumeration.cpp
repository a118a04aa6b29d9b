#include "browsers/Menu+FolderEnumeration.h"

#include "browsers/RVFolderEnumerator.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QFileInfo>

namespace MenuFolderEnumeration {

pf::Ref<pf::Menu> menuWithFilesInFolder(const QString& folder, const QStringList& types, const QString& action,
                                        pf::Reflective* target)
{
    pf::Ref<pf::Menu> menu = pf::Menu::make(QString());
    for (const QString& path : RVFolderEnumerator::filesAtFolderPath(folder, types)) {
        pf::Ref<pf::MenuItem> item = pf::MenuItem::make(QFileInfo(path).completeBaseName(), action);
        item->setTarget(target);
        item->setRepresentedObject(path);
        menu->addItem(item);
    }
    return menu;
}

pf::Ref<pf::Menu> menuWithFilesInFolder(const QString& folder, const QString& action, pf::Reflective* target)
{
    return menuWithFilesInFolder(folder, {}, action, target);
}

} // namespace MenuFolderEnumeration
