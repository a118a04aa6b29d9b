#include "library/PWXLibrary.h"

#include "library/PWXLibraryMenuHelper.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/ui/MenuItem.h"

#include <QCoreApplication>

// A library's menu of its categories, how it shows itself, and how a document or the
// pasteboard refers to it.

pf::Ref<pf::Image> PWXLibrary::icon() const
{
    pf::Ref<pf::Image> image = pf::Image::imageNamed(QStringLiteral("VN_Collection"));
    if (!image)
        return nullptr;
    image = image->copyImage();
    image->setSize(QSizeF(16, 16));
    return image;
}

QString PWXLibrary::description() const
{
    return QStringLiteral("%1 '%2' %3 items in %4 categories")
        .arg(className(), name())
        .arg(m_itemsByID.size())
        .arg(categories().size());
}

pf::Ref<pf::Menu> PWXLibrary::categoriesMenuWithOptions(qint32 options, pf::Reflective* target, const QString& action)
{
    pf::Ref<pf::Menu> menu = pf::Menu::make(QCoreApplication::translate("PWXLibrary", "Categories"));
    PWXLibraryMenuHelper::setMenuHelper(std::make_shared<PWXLibraryMenuHelper>(target, action, options), menu.get());
    menu->setAutoenablesItems(true);
    menu->setDelegate(this);
    addMenu(menu);
    return menu;
}

void PWXLibrary::addMenu(const pf::Ref<pf::Menu>& menu)
{
    m_menus.removeIf([](const pf::Weak<pf::Menu>& weak) { return weak.expired(); });
    if (menu && !menus().contains(menu))
        m_menus.append(menu);
}

void PWXLibrary::removeMenu(const pf::Ref<pf::Menu>& menu)
{
    m_menus.removeIf([&](const pf::Weak<pf::Menu>& weak) { return weak.expired() || weak.lock() == menu; });
}

QList<pf::Ref<pf::Menu>> PWXLibrary::menus() const
{
    QList<pf::Ref<pf::Menu>> out;
    for (const pf::Weak<pf::Menu>& weak : m_menus)
        if (pf::Ref<pf::Menu> menu = weak.lock())
            out.append(menu);
    return out;
}

int PWXLibrary::numberOfItemsInMenu(pf::Menu&) { return int(countOfSubContainers()); }

bool PWXLibrary::updateItem(pf::Menu& menu, pf::MenuItem& item, int index, bool shouldCancel)
{
    if (shouldCancel)
        return false;
    PWXLibraryMenuHelper::updateContainerMenuItem(*this, menu, item, index, true);
    return true;
}

// Archiving ---------------------------------------------------------------------------------------

void PWXLibrary::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    coder.encodeString(path(), kArchivePathKey);
    coder.encodeString(internalName().isEmpty() ? PWXLibraryElement::name() : internalName(), kArchiveNameKey);
    coder.encodeBool(isFactoryLibrary(), kArchiveInFactoryKey);
    coder.encodeBool(hasPresenceOnDisk(), kArchiveOnDiskKey);
}

void PWXLibrary::initWithCoder(pf::KeyedUnarchiver& coder)
{
    // A bare reference: no categories, no folder made, no category file read or written, and
    // nothing to edit until the registered library stands in for it.
    m_noDisk = true;
    m_allowsContentChanges = false;
    m_allowsCategoryChanges = false;
    if (coder.decodeBool(kArchiveOnDiskKey)) {
        QString folder = coder.decodeString(kArchivePathKey);
        const QString suffix = QLatin1Char('.') + libraryExtension();
        if (folder.endsWith(suffix))
            folder.chop(suffix.size());
        m_path = folder;
    } else {
        setElementName(coder.decodeString(kArchiveNameKey));
    }
    m_displayName.clear();
}

pf::Ref<pf::Object> PWXLibrary::awakeAfterUsingCoder(pf::KeyedUnarchiver&)
{
    const QString name = m_path.isEmpty() ? PWXLibraryElement::name() : internalName();
    if (pf::Ref<PWXLibrary> registered = registeredLibraryWithName(name))
        return registered;
    pf::log(QStringLiteral("library '%1' could not be found in libraries after decoding").arg(name));
    return ref<PWXLibrary>();
}
