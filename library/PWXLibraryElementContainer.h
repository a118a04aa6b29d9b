#pragma once

#include "library/PWXLibraryElement.h"

#include <QList>

class PWXLibraryItem;

// An element that holds other elements: categories, libraries and groups. Members are kept in
// the order they were added; each is held once.
class PWXLibraryElementContainer : public PWXLibraryElement {
    PF_CLASS(PWXLibraryElementContainer)
public:
    static inline const QString kItemsKey = QStringLiteral("items");

    PWXLibraryElementContainer() = default;
    explicit PWXLibraryElementContainer(const QString& name) : PWXLibraryElement(name) {}

    virtual void addElement(const pf::Ref<PWXLibraryElement>& element);
    virtual void removeElement(const pf::Ref<PWXLibraryElement>& element);
    virtual QList<pf::Ref<PWXLibraryElement>> elements() const { return m_elements; }
    qsizetype count() const { return elements().size(); }

    // Every item at any depth below this container, each once.
    virtual QList<pf::Ref<PWXLibraryItem>> allElements() const;
    qsizetype allElementsCount() const { return allElements().size(); }
    // The members that are containers themselves.
    QList<pf::Ref<PWXLibraryElementContainer>> subContainers() const;
    // The sub-containers sorted by name in reading order.
    QList<pf::Ref<PWXLibraryElementContainer>> sortedSubContainers() const;
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
    QList<pf::Ref<PWXLibraryElement>>& mutableElements() { return m_elements; }

private:
    QList<pf::Ref<PWXLibraryElement>> m_elements;
};
