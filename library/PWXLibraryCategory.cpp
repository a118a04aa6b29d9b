#include "library/PWXLibraryCategory.h"

#include "library/PWXLibrary.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryMenuHelper.h"
#include "library/PWXLibrarySmartCategory.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"

PF_DEFINE_CLASS(PWXLibraryCategory, PWXLibraryElementContainer) {}

PWXLibraryCategory::~PWXLibraryCategory()
{
    for (const pf::Weak<pf::Menu>& weak : m_menus)
        if (pf::Ref<pf::Menu> menu = weak.lock(); menu && menu->delegate() == this)
            menu->setDelegate(nullptr);
}

pf::Ref<PWXLibraryCategory> PWXLibraryCategory::categoryWithName(const QString& name, PWXLibrary* library)
{
    auto category = std::make_shared<PWXLibraryCategory>(name);
    category->setLibrary(library);
    return category;
}

pf::Ref<PWXLibraryCategory> PWXLibraryCategory::categoryWithInfo(const pf::Ref<PWXLibraryCategory>& category,
                                                                 const QVariantMap& info, PWXLibrary* library)
{
    category->setLibrary(library);
    category->readInfo(info, library);
    return category;
}

void PWXLibraryCategory::readInfo(const QVariantMap& info, PWXLibrary* library)
{
    const QString name = info.contains(kNameKey) ? info.value(kNameKey).toString() : info.value(kLegacyNameKey).toString();
    setElementName(name);
    for (const QVariant& entry : info.value(kItemsKey).toList()) {
        if (entry.typeId() != QMetaType::QVariantMap)
            continue;
        pf::Ref<PWXLibraryElement> element = libraryElementWithInfo(entry.toMap(), library);
        if (auto item = std::dynamic_pointer_cast<PWXLibraryItem>(element))
            addItem(item);
        else if (auto sub = std::dynamic_pointer_cast<PWXLibraryCategory>(element))
            addCategory(sub);
    }
    m_readOnly = info.value(kReadOnlyKey).toBool();
    m_deletable = info.value(kDeletableKey).toBool();
    m_renameable = !info.value(kNoRenameKey).toBool();
}

bool PWXLibraryCategory::libraryIsLoading() const
{
    PWXLibrary* owner = library();
    return owner && owner->isLoadingFromDisk();
}

void PWXLibraryCategory::tellLibraryCategoryDidChange()
{
    if (PWXLibrary* owner = library())
        owner->categoryDidChange(this);
}

void PWXLibraryCategory::post(const QString& name, const QVariantMap& userInfo)
{
    pf::NotificationCenter::defaultCenter().post(name, this, userInfo);
}

// Items ------------------------------------------------------------------------------------------

void PWXLibraryCategory::addItem(const pf::Ref<PWXLibraryItem>& item)
{
    PF_ASSERT(item, "item passed to -addItem was not a PWXLIbraryItem");
    if (!item || hasMember(item.get()))
        return;
    addElement(item);
    if (PWXLibrary* owner = library())
        owner->addItem(item);
    if (!libraryIsLoading()) {
        tellLibraryCategoryDidChange();
        post(kPWXLibraryCategoryDidAddItem, {{kItemUserInfoKey, pf::toVariant(item)}});
    }
}

void PWXLibraryCategory::addItems(const QList<pf::Ref<PWXLibraryItem>>& items)
{
    for (const pf::Ref<PWXLibraryItem>& item : items)
        addItem(item);
}

void PWXLibraryCategory::removeItem(const pf::Ref<PWXLibraryItem>& item)
{
    PF_ASSERT(item, "item passed to -removeItem was not a PWXLIbraryItem");
    if (!item || !hasMember(item.get()))
        return;
    removeElement(item);
    if (!libraryIsLoading()) {
        tellLibraryCategoryDidChange();
        post(kPWXLibraryCategoryDidRemoveItem, {{kItemUserInfoKey, pf::toVariant(item)}});
    }
}

void PWXLibraryCategory::removeItems(const QList<pf::Ref<PWXLibraryItem>>& items)
{
    for (const pf::Ref<PWXLibraryItem>& item : items)
        removeItem(item);
}

QList<pf::Ref<PWXLibraryItem>> PWXLibraryCategory::items() const
{
    QList<pf::Ref<PWXLibraryItem>> out;
    for (const pf::Ref<PWXLibraryElement>& member : elements())
        if (auto item = std::dynamic_pointer_cast<PWXLibraryItem>(member))
            out.append(item);
    return out;
}

// Sub-categories ---------------------------------------------------------------------------------

QList<pf::Ref<PWXLibraryCategory>> PWXLibraryCategory::categories() const
{
    QList<pf::Ref<PWXLibraryCategory>> out;
    for (const pf::Ref<PWXLibraryElementContainer>& sub : subContainers())
        if (auto category = std::dynamic_pointer_cast<PWXLibraryCategory>(sub))
            out.append(category);
    return out;
}

QStringList PWXLibraryCategory::categoryNames() const
{
    QStringList names;
    for (const pf::Ref<PWXLibraryCategory>& category : categories())
        names.append(category->name());
    return names;
}

QList<pf::Ref<PWXLibraryCategory>> PWXLibraryCategory::categoriesWithItem(const PWXLibraryItem* item) const
{
    QList<pf::Ref<PWXLibraryCategory>> out;
    for (const pf::Ref<PWXLibraryCategory>& category : categories()) {
        if (!std::dynamic_pointer_cast<PWXLibrarySmartCategory>(category) && category->hasMember(item))
            out.append(category);
        out.append(category->categoriesWithItem(item));
    }
    return out;
}

void PWXLibraryCategory::addCategory(const pf::Ref<PWXLibraryCategory>& category)
{
    PF_ASSERT(category, "item passed to -addCategory was not a PWXLibraryCategory");
    if (!category)
        return;
    // A category placed inside itself or inside one of its own descendants would leave the
    // tree as a cycle that every walk of it follows for ever.
    for (const PWXLibraryElement* above = this; above; above = above->container())
        if (above == category.get())
            return;
    if (PWXLibraryElementContainer* present = category->container())
        present->removeElement(category);
    category->setLibrary(library());
    addElement(category);
    if (PWXLibraryElementContainer* owner = container()) {
        owner->invalidateSubContainersCache();
        owner->invalidateAllElementsCache();
    }
    if (!libraryIsLoading())
        tellLibraryCategoryDidChange();
    post(kPWXLibraryCategoryDidAddSubcategory, {{kSubcategoryUserInfoKey, pf::toVariant(category)}});
}

void PWXLibraryCategory::removeCategory(const pf::Ref<PWXLibraryCategory>& category)
{
    PF_ASSERT(category, "item passed to -removeCategory was not a PWXLibraryCategory");
    if (!category || !hasMember(category.get()))
        return;
    removeElement(category);
    if (PWXLibraryElementContainer* owner = container()) {
        owner->invalidateSubContainersCache();
        owner->invalidateAllElementsCache();
    }
    if (!libraryIsLoading())
        tellLibraryCategoryDidChange();
    post(kPWXLibraryCategoryDidRemoveSubcategory, {{kSubcategoryUserInfoKey, pf::toVariant(category)}});
}

pf::Ref<PWXLibraryCategory> PWXLibraryCategory::addCategoryWithName(const QString& name)
{
    if (pf::Ref<PWXLibraryCategory> existing = categoryWithName(name))
        return existing;
    if (isReadOnly())
        return nullptr;
    pf::Ref<PWXLibraryCategory> category = categoryWithName(name, library());
    addCategory(category);
    return category;
}

void PWXLibraryCategory::removeCategoryWithName(const QString& name)
{
    if (isReadOnly())
        return;
    pf::Ref<PWXLibraryCategory> category = categoryWithName(name);
    if (!category || !category->isDeletable())
        return;
    removeCategory(category);
    post(kPWXLibraryDidRemoveCategory, {{kCategoryUserInfoKey, pf::toVariant(category)}});
}

pf::Ref<PWXLibraryCategory> PWXLibraryCategory::categoryWithName(const QString& name) const
{
    return std::dynamic_pointer_cast<PWXLibraryCategory>(subContainerWithName(name));
}

// Flags and names --------------------------------------------------------------------------------

bool PWXLibraryCategory::allowsNameChange() const
{
    PWXLibrary* owner = library();
    return m_renameable && (!owner || owner->allowsCategoryChanges());
}

void PWXLibraryCategory::setName(const QString& name)
{
    if (name == this->name() || name.isEmpty() || !allowsNameChange())
        return;
    // Unique among the siblings the name is looked up among: the container's sub-containers
    // (the library's categories for a top-level one).
    const PWXLibraryElementContainer* siblings = container();
    if (!siblings)
        siblings = library();
    setElementName(siblings ? siblings->uniqueNameForSubContainer(name) : name);
    if (PWXLibraryElementContainer* owner = container()) {
        owner->invalidateSubContainersCache();
        owner->invalidateElementsCache();
    }
    tellLibraryCategoryDidChange();
    post(kPWXLibraryCategoryDidChangeName);
}

bool PWXLibraryCategory::mergeIfNeededUsingInfo(const QVariantMap& info, PWXLibrary* library)
{
    for (const QVariant& entry : info.value(kItemsKey).toList()) {
        if (entry.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap sub = entry.toMap();
        QString subName = sub.value(kNameKey, sub.value(kLegacyNameKey)).toString();
        subName.remove(QLatin1Char('.'));
        if (subName.isEmpty() || subContainerWithName(subName))
            continue;
        const QString className = sub.value(kClassKey).toString();
        if (className.isEmpty() || className == defaultElementClassname())
            continue; // items are not merged
        if (auto category = std::dynamic_pointer_cast<PWXLibraryCategory>(libraryElementWithInfo(sub, library))) {
            category->mergeIfNeededUsingInfo(sub, library);
            addCategory(category);
        }
    }
    return false;
}

void PWXLibraryCategory::itemUpdateCouldAffectCategories(const PWXLibraryItem* item)
{
    if (item && containsElement(item)) {
        invalidateElementsCache();
        invalidateAllElementsCache();
        post(kPWXLibraryCategoryContentDidChange);
        for (const pf::Ref<PWXLibraryCategory>& category : categories())
            category->itemUpdateCouldAffectCategories(item);
        return;
    }
    // A smart category below may start to hold the item because of the change, though this
    // one does not hold it: those are asked whatever this one holds.
    for (const pf::Ref<PWXLibraryCategory>& category : categories())
        if (std::dynamic_pointer_cast<PWXLibrarySmartCategory>(category) || category->countOfSubContainers() > 0)
            category->itemUpdateCouldAffectCategories(item);
}

QVariantMap PWXLibraryCategory::elementInfo() const
{
    QVariantMap info = PWXLibraryElementContainer::elementInfo();
    info.insert(kReadOnlyKey, m_readOnly);
    info.insert(kDeletableKey, m_deletable);
    info.insert(kNoRenameKey, !m_renameable);
    return info;
}

QString PWXLibraryCategory::toolTipString() const
{
    return QStringLiteral("%1: %2 Items").arg(name()).arg(allElementsCount());
}

pf::Ref<pf::Image> PWXLibraryCategory::icon() const
{
    pf::Ref<pf::Image> image = pf::Image::imageNamed(QStringLiteral("VN_Category"));
    if (!image)
        return nullptr;
    image = image->copyImage();
    image->setSize(QSizeF(16, 16));
    return image;
}

QString PWXLibraryCategory::description() const
{
    return QStringLiteral("%1 '%2', %3 items").arg(className(), name()).arg(count());
}

// Menus ------------------------------------------------------------------------------------------

pf::Ref<pf::Menu> PWXLibraryCategory::subcategoriesMenuWithOptions(qint32 options, pf::Reflective* target,
                                                                   const QString& action)
{
    pf::Ref<pf::Menu> menu = pf::Menu::make(QStringLiteral("%1.categories").arg(name()));
    PWXLibraryMenuHelper::setMenuHelper(std::make_shared<PWXLibraryMenuHelper>(target, action, options), menu.get());
    menu->setDelegate(this);
    addMenu(menu);
    return menu;
}

void PWXLibraryCategory::addMenu(const pf::Ref<pf::Menu>& menu)
{
    m_menus.removeIf([](const pf::Weak<pf::Menu>& weak) { return weak.expired(); });
    if (menu && !menus().contains(menu))
        m_menus.append(menu);
}

void PWXLibraryCategory::removeMenu(const pf::Ref<pf::Menu>& menu)
{
    m_menus.removeIf([&](const pf::Weak<pf::Menu>& weak) { return weak.expired() || weak.lock() == menu; });
}

QList<pf::Ref<pf::Menu>> PWXLibraryCategory::menus() const
{
    QList<pf::Ref<pf::Menu>> out;
    for (const pf::Weak<pf::Menu>& weak : m_menus)
        if (pf::Ref<pf::Menu> menu = weak.lock())
            out.append(menu);
    return out;
}

int PWXLibraryCategory::numberOfItemsInMenu(pf::Menu&) { return int(countOfSubContainers()); }

bool PWXLibraryCategory::updateItem(pf::Menu& menu, pf::MenuItem& item, int index, bool shouldCancel)
{
    PWXLibraryMenuHelper::updateContainerMenuItem(*this, menu, item, index, true);
    return !shouldCancel;
}
