#pragma once

#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryPredicate.h"

// A category whose content is every item of the library that its predicate accepts (at most
// the count limit of them, when one is set). Items cannot be filed in it by hand.
class PWXLibrarySmartCategory : public PWXLibraryCategory {
    PF_CLASS(PWXLibrarySmartCategory)
public:
    static inline const QString kPredicateKey = QStringLiteral("predicate");
    static inline const QString kLimitKey = QStringLiteral("limit");
    static inline const QString kPredicateEditableKey = QStringLiteral("peditable");

    // A smart category made by name: editable, filtering names that contain "Cartavel".
    PWXLibrarySmartCategory();
    explicit PWXLibrarySmartCategory(const QString& name);

    // "All Styles" (class code 1) and "All Clip Art" (class code 2), not editable.
    static pf::Ref<PWXLibrarySmartCategory> allStylesSmartCategory();
    static pf::Ref<PWXLibrarySmartCategory> allSymbolsSmartCategory();

    pf::Ref<PWXLibraryPredicate> predicate() const { return m_predicate; }
    // Ignored when not editable or equal to the present one.
    void setPredicate(const pf::Ref<PWXLibraryPredicate>& predicate);
    unsigned countLimit() const { return m_countLimit; }
    void setCountLimit(unsigned limit);
    bool predicateEditable() const { return m_editablePredicate; }
    void setPredicateEditable(bool editable) { m_editablePredicate = editable; }

    // The library's items that the predicate accepts, cut to the count limit.
    QList<pf::Ref<PWXLibraryItem>> filteredContent() const;

    QList<pf::Ref<PWXLibraryElement>> elements() const override;
    QList<pf::Ref<PWXLibraryItem>> allElements() const override;
    void addItem(const pf::Ref<PWXLibraryItem>&) override {}
    void removeItem(const pf::Ref<PWXLibraryItem>& item) override;
    void removeItems(const QList<pf::Ref<PWXLibraryItem>>& items) override;
    bool isReadOnly() const override { return true; }
    bool allowsSubContainers() const override { return false; }
    void itemUpdateCouldAffectCategories(const PWXLibraryItem* item) override;
    void wasAddedToContainer(PWXLibraryElementContainer* container) override;
    QVariantMap elementInfo() const override;

protected:
    void readInfo(const QVariantMap& info, PWXLibrary* library) override;

private:
    void refilter(const pf::Ref<PWXLibraryItem>& item);

    pf::Ref<PWXLibraryPredicate> m_predicate;
    unsigned m_countLimit = 0;
    bool m_editablePredicate = true;
    mutable QList<pf::Ref<PWXLibraryItem>> m_cache;
    mutable bool m_cacheValid = false;
};
