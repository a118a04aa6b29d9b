#pragma once

#include "library/PWXLibraryElement.h"
#include "platform/foundation/SortDescriptor.h"

#include <QHash>
#include <QList>

#include <optional>

class PWXLibraryItem;

// An element that holds other elements: categories, libraries and groups. Each member is held
// once; membership is answered without a search, so filling a container is linear. The members
// sorted by the caller's descriptors are cached; the caller's cookie names its descriptors, so
// asking again with the same cookie answers the cache without sorting.
class PWXLibraryElementContainer : public PWXLibraryElement {
    PF_CLASS(PWXLibraryElementContainer)
public:
    static inline const QString kItemsKey = QStringLiteral("items");

    PWXLibraryElementContainer() = default;
    explicit PWXLibraryElementContainer(const QString& name) : PWXLibraryElement(name) {}
    ~PWXLibraryElementContainer() override;

    virtual void addElement(const pf::Ref<PWXLibraryElement>& element);
    virtual void removeElement(const pf::Ref<PWXLibraryElement>& element);
    // The members, in the order they were added.
    virtual QList<pf::Ref<PWXLibraryElement>> elements() const { return m_elements; }
    // Whether the element is a member (not looking into member containers).
    virtual bool hasMember(const PWXLibraryElement* element) const { return m_index.contains(element); }
    qsizetype count() const { return elements().size(); }

    // The members, with every member of this container's own class (or a subclass) replaced
    // by its own allElements: for a category, every item at any depth below it, each once.
    virtual QList<pf::Ref<PWXLibraryItem>> allElements() const;
    qsizetype allElementsCount() const { return allElements().size(); }
    // The members that are containers themselves.
    QList<pf::Ref<PWXLibraryElementContainer>> subContainers() const;
    qsizetype countOfSubContainers() const { return subContainers().size(); }

    QList<pf::Ref<PWXLibraryElement>> sortedElementsUsingSortDescriptors(const QList<pf::SortDescriptor>& descriptors,
                                                                        quint64 cookie);
    QList<pf::Ref<PWXLibraryItem>> sortedAllElementsUsingSortDescriptors(const QList<pf::SortDescriptor>& descriptors,
                                                                       quint64 cookie);
    QList<pf::Ref<PWXLibraryElementContainer>> sortedSubContainersUsingSortDescriptors(
        const QList<pf::SortDescriptor>& descriptors, quint64 cookie);
    // The sub-containers sorted by name as the menus sort them.
    QList<pf::Ref<PWXLibraryElementContainer>> sortedSubContainers();
    void invalidateElementsCache() { m_sortedElements.reset(); }
    // Also drops the all-elements cache of every container above.
    void invalidateAllElementsCache();
    void invalidateSubContainersCache() { m_sortedSubContainers.reset(); }

    // The first sub-container whose clean name is `name` exactly.
    pf::Ref<PWXLibraryElementContainer> subContainerWithName(const QString& name) const;
    // `name` when no sub-container has it, else "name-1", "name-2"... the first that is free.
    QString uniqueNameForSubContainer(const QString& name) const;
    // Whether the element is a member here or of any member container.
    bool containsElement(const PWXLibraryElement* element) const;
    virtual bool allowsSubContainers() const { return true; }

    // Also gives every member the library.
    void setLibrary(PWXLibrary* library) override;
    // Adds "items": the members' info dictionaries.
    QVariantMap elementInfo() const override;

protected:
    // Rebuilds the members listed under "items" (those that cannot be rebuilt are skipped).
    void addElementsFromInfo(const QVariantMap& info, PWXLibrary* library);
    // Replaces the members in place (order and membership); the caches are dropped.
    void replaceMembers(const QList<pf::Ref<PWXLibraryElement>>& members);

private:
    template <class T>
    static void sortList(QList<pf::Ref<T>>& list, const QList<pf::SortDescriptor>& descriptors);

    QList<pf::Ref<PWXLibraryElement>> m_elements;
    QHash<const PWXLibraryElement*, qsizetype> m_index;
    std::optional<QList<pf::Ref<PWXLibraryElement>>> m_sortedElements;
    std::optional<QList<pf::Ref<PWXLibraryItem>>> m_sortedAllElements;
    std::optional<QList<pf::Ref<PWXLibraryElementContainer>>> m_sortedSubContainers;
    quint64 m_sortedElementsCookie = 0;
    quint64 m_sortedAllElementsCookie = 0;
    quint64 m_sortedSubContainersCookie = 0;
};
