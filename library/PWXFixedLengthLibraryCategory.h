#pragma once

#include "library/PWXLibraryCategory.h"

// A category that keeps at most a given number of items, dropping the oldest first: the
// library's "Recently Used" and "Recently Added" lists.
class PWXFixedLengthLibraryCategory : public PWXLibraryCategory {
    PF_CLASS(PWXFixedLengthLibraryCategory)
public:
    static constexpr unsigned kDefaultLength = 16;

    PWXFixedLengthLibraryCategory() = default;
    explicit PWXFixedLengthLibraryCategory(const QString& name) : PWXLibraryCategory(name) {}

    // 0 keeps everything.
    unsigned maximumLength() const { return m_length; }
    void setMaximumLength(unsigned length);
    // Newest first.
    QList<pf::Ref<PWXLibraryItem>> orderedItems() const;
    // Adds an item not yet listed; moves a listed one to the newest place.
    void renewItem(const pf::Ref<PWXLibraryItem>& item);
    void trimToLength();

    // The items oldest first.
    QList<pf::Ref<PWXLibraryElement>> elements() const override;
    void addElement(const pf::Ref<PWXLibraryElement>& element) override;
    void removeElement(const pf::Ref<PWXLibraryElement>& element) override;
    bool allowsSubContainers() const override { return false; }
    void itemUpdateCouldAffectCategories(const PWXLibraryItem*) override {}

private:
    QList<pf::Ref<PWXLibraryItem>> m_orderedItems; // oldest first
    unsigned m_length = kDefaultLength;
};
