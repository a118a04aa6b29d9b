#include "library/PWXLibraryCategory.h"

#include "library/PWXLibrary.h"
#include "library/PWXLibraryItem.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"

PF_DEFINE_CLASS(PWXLibraryCategory, PWXLibraryElementContainer) {}

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
    if (!item || elements().contains(item))
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
    if (!item || !elements().contains(item))
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
        for (const pf::Ref<PWXLibraryElement>& member : category->elements())
            if (member.get() == item) {
                out.append(category);
                break;
            }
        out.append(category->categoriesWithItem(item));
    }
    return out;
}

void PWXLibraryCategory::addCategory(const pf::Ref<PWXLibraryCategory>& category)
{
    PF_ASSERT(category, "item passed to -addCategory was not a PWXLibraryCategory");
    if (!category || category.get() == this)
        return;
    if (PWXLibraryElementContainer* present = category->container())
        present->removeElement(category);
    category->setLibrary(library());
    addElement(category);
    if (!libraryIsLoading())
        tellLibraryCategoryDidChange();
    post(kPWXLibraryCategoryDidAddSubcategory, {{kSubcategoryUserInfoKey, pf::toVariant(category)}});
}

void PWXLibraryCategory::removeCategory(const pf::Ref<PWXLibraryCategory>& category)
{
    PF_ASSERT(category, "item passed to -removeCategory was not a PWXLibraryCategory");
    if (!category)
        return;
    removeElement(category);
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
    if (name == this->name() || !allowsNameChange())
        return;
    PWXLibrary* owner = library();
    setElementName(owner ? owner->uniqueNameForSubContainer(name) : name);
    tellLibraryCategoryDidChange();
    post(kPWXLibraryCategoryDidChangeName);
}

void PWXLibraryCategory::itemUpdateCouldAffectCategories(const PWXLibraryItem* item)
{
    if (!item || !containsElement(item))
        return;
    post(kPWXLibraryCategoryContentDidChange);
    for (const pf::Ref<PWXLibraryCategory>& category : categories())
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
