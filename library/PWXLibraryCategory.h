#pragma once

#include "library/PWXLibraryElementContainer.h"
#include "platform/ui/Menu.h"

#include <QStringList>

namespace pf {
class Image;
}

inline const QString kPWXLibraryCategoryDidAddItem = QStringLiteral("kPWXLibraryCategoryDidAddItem");
inline const QString kPWXLibraryCategoryDidRemoveItem = QStringLiteral("kPWXLibraryCategoryDidRemoveItem");
inline const QString kPWXLibraryCategoryDidChangeName = QStringLiteral("kPWXLibraryCategoryDidChangeName");
inline const QString kPWXLibraryCategoryDidAddSubcategory = QStringLiteral("kPWXLibraryCategoryDidAddSubcategory");
inline const QString kPWXLibraryCategoryDidRemoveSubcategory =
    QStringLiteral("kPWXLibraryCategoryDidRemoveSubcategory");
inline const QString kPWXLibraryCategoryContentDidChange = QStringLiteral("kPWXLibraryCategoryContentDidChange");
inline const QString kPWXLibraryDidRemoveCategory = QStringLiteral("kPWXLibraryDidRemoveCategory");

// A named category of a library: it files items and holds sub-categories. Adding an item to
// any category also registers it with the library.
class PWXLibraryCategory : public PWXLibraryElementContainer, public pf::MenuDelegate {
    PF_CLASS(PWXLibraryCategory)
public:
    static inline const QString kReadOnlyKey = QStringLiteral("readonly");
    static inline const QString kDeletableKey = QStringLiteral("deletable");
    static inline const QString kNoRenameKey = QStringLiteral("no_rename");
    static inline const QString kLegacyNameKey = QStringLiteral("catname");
    static inline const QString kItemUserInfoKey = QStringLiteral("item");
    static inline const QString kSubcategoryUserInfoKey = QStringLiteral("CAT_SUBCATEGORY");
    static inline const QString kCategoryUserInfoKey = QStringLiteral("category");

    PWXLibraryCategory() = default;
    explicit PWXLibraryCategory(const QString& name) : PWXLibraryElementContainer(name) {}
    ~PWXLibraryCategory() override;

    // A category made by name: writable, deletable, renameable.
    static pf::Ref<PWXLibraryCategory> categoryWithName(const QString& name, PWXLibrary* library);
    // `category` filled from an info dictionary: the name ("name", else the older "catname"),
    // the members under "items" and the flags (a missing flag reads NO).
    static pf::Ref<PWXLibraryCategory> categoryWithInfo(const pf::Ref<PWXLibraryCategory>& category,
                                                        const QVariantMap& info, PWXLibrary* library);

    // Items ------------------------------------------------------------------------------------
    virtual void addItem(const pf::Ref<PWXLibraryItem>& item);
    void addItems(const QList<pf::Ref<PWXLibraryItem>>& items);
    virtual void removeItem(const pf::Ref<PWXLibraryItem>& item);
    virtual void removeItems(const QList<pf::Ref<PWXLibraryItem>>& items);
    // The members of the category that are items.
    QList<pf::Ref<PWXLibraryItem>> items() const;

    // Sub-categories ---------------------------------------------------------------------------
    QList<pf::Ref<PWXLibraryCategory>> categories() const;
    QStringList categoryNames() const;
    // Every category at any depth below this one that holds the item directly.
    QList<pf::Ref<PWXLibraryCategory>> categoriesWithItem(const PWXLibraryItem* item) const;
    // Refuses the category itself and any category this one lies inside (a cycle).
    void addCategory(const pf::Ref<PWXLibraryCategory>& category);
    void removeCategory(const pf::Ref<PWXLibraryCategory>& category);
    pf::Ref<PWXLibraryCategory> addCategoryWithName(const QString& name);
    void removeCategoryWithName(const QString& name);
    pf::Ref<PWXLibraryCategory> categoryWithName(const QString& name) const;

    // Flags ------------------------------------------------------------------------------------
    virtual bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isDeletable() const { return m_deletable; }
    void setDeletable(bool deletable) { m_deletable = deletable; }
    // Renameable, and the library allows category changes.
    bool allowsNameChange() const;
    void setAllowsNameChange(bool allows) { m_renameable = allows; }
    bool allowsSubContainers() const override { return !isReadOnly(); }

    // Renames to a name unique among the sub-categories of the category's own container.
    void setName(const QString& name) override;
    // Merges a factory category file's sub-categories that this one lacks; answers false.
    bool mergeIfNeededUsingInfo(const QVariantMap& info, PWXLibrary* library);
    // The item's properties changed: the category tells its observers when it holds it.
    virtual void itemUpdateCouldAffectCategories(const PWXLibraryItem* item);

    QVariantMap elementInfo() const override;
    QString toolTipString() const;
    virtual pf::Ref<pf::Image> icon() const;
    QString description() const override;

    // Menus: a menu of the sub-categories, filled as it opens, its items given the target,
    // action and options.
    pf::Ref<pf::Menu> subcategoriesMenuWithOptions(qint32 options, pf::Reflective* target, const QString& action);
    void addMenu(const pf::Ref<pf::Menu>& menu);
    void removeMenu(const pf::Ref<pf::Menu>& menu);
    QList<pf::Ref<pf::Menu>> menus() const;
    int numberOfItemsInMenu(pf::Menu& menu) override;
    bool updateItem(pf::Menu& menu, pf::MenuItem& item, int index, bool shouldCancel) override;

protected:
    // The stored flags, whatever a subclass answers.
    bool isReadOnlyFlag() const { return m_readOnly; }
    bool renameable() const { return m_renameable; }
    virtual void readInfo(const QVariantMap& info, PWXLibrary* library);
    bool libraryIsLoading() const;
    void tellLibraryCategoryDidChange();
    void post(const QString& name, const QVariantMap& userInfo = {});

private:
    QList<pf::Weak<pf::Menu>> m_menus;
    bool m_readOnly = false;
    bool m_deletable = true;
    bool m_renameable = true;
};
