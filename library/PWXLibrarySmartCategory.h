#pragma once

#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryPredicate.h"

#include <QSet>

#include <optional>

// A category whose content is every item of its container that its predicate accepts (at
// most the count limit of them, when one is set): a top-level one filters the whole library,
// one inside a category filters that category. Items cannot be filed in it by hand. Its
// members are a cache of the last filtering.
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

    // The container's items that the predicate accepts, cut to the count limit. Nothing
    // (nullopt) without a predicate, and while any smart category is being filtered: a smart
    // category reached again through its own container counts as empty.
    std::optional<QList<pf::Ref<PWXLibraryItem>>> filteredContent() const;

    QList<pf::Ref<PWXLibraryElement>> elements() const override;
    bool hasMember(const PWXLibraryElement* element) const override;
    QList<pf::Ref<PWXLibraryItem>> allElements() const override;
    void addItem(const pf::Ref<PWXLibraryItem>&) override {}
    void removeItem(const pf::Ref<PWXLibraryItem>& item) override;
    void removeItems(const QList<pf::Ref<PWXLibraryItem>>& items) override;
    bool isReadOnly() const override { return true; }
    bool allowsSubContainers() const override { return false; }
    void itemUpdateCouldAffectCategories(const PWXLibraryItem* item) override;
    void wasAddedToContainer(PWXLibraryElementContainer* container) override;
    QVariantMap elementInfo() const override;
    pf::Ref<pf::Image> icon() const override;
    QString toolTipString() const { return m_predicate ? m_predicate->predicateFormat() : QString(); }

protected:
    void readInfo(const QVariantMap& info, PWXLibrary* library) override;

private:
    void refilter(const pf::Ref<PWXLibraryItem>& item);
    void emptyCache();

    pf::Ref<PWXLibraryPredicate> m_predicate;
    unsigned m_countLimit = 0;
    bool m_editablePredicate = true;
    mutable QList<pf::Ref<PWXLibraryItem>> m_cache;
    mutable QSet<const PWXLibraryElement*> m_cacheSet;
};
