#include "library/PWXLibraryElementContainer.h"

#include "library/PWXLibraryItem.h"

#include <QSet>

#include <algorithm>

PF_DEFINE_CLASS(PWXLibraryElementContainer, PWXLibraryElement) {}

PWXLibraryElementContainer::~PWXLibraryElementContainer()
{
    for (const pf::Ref<PWXLibraryElement>& member : m_elements)
        if (member->container() == this)
            member->setContainer(nullptr);
}

void PWXLibraryElementContainer::addElement(const pf::Ref<PWXLibraryElement>& element)
{
    if (!element)
        return;
    if (!m_index.contains(element.get())) {
        m_index.insert(element.get(), m_elements.size());
        m_elements.append(element);
    }
    element->setContainer(this);
    invalidateElementsCache();
    invalidateAllElementsCache();
    if (std::dynamic_pointer_cast<PWXLibraryElementContainer>(element))
        invalidateSubContainersCache();
    element->wasAddedToContainer(this);
}

void PWXLibraryElementContainer::removeElement(const pf::Ref<PWXLibraryElement>& element)
{
    if (!element)
        return;
    const pf::Ref<PWXLibraryElement> keep = element;
    keep->setContainer(nullptr);
    if (auto found = m_index.constFind(keep.get()); found != m_index.constEnd()) {
        const qsizetype at = *found;
        m_elements.removeAt(at);
        m_index.erase(found);
        for (qsizetype i = at; i < m_elements.size(); ++i)
            m_index[m_elements[i].get()] = i;
    }
    // The caches are edited rather than dropped: a long sorted list stays sorted without
    // the element.
    if (m_sortedElements)
        m_sortedElements->removeAll(keep);
    if (m_sortedAllElements)
        if (auto item = std::dynamic_pointer_cast<PWXLibraryItem>(keep))
            m_sortedAllElements->removeAll(item);
    if (PWXLibraryElementContainer* owner = container())
        owner->invalidateAllElementsCache();
    if (auto sub = std::dynamic_pointer_cast<PWXLibraryElementContainer>(keep); sub && m_sortedSubContainers)
        m_sortedSubContainers->removeAll(sub);
    keep->wasRemovedFromContainer(this);
}

void PWXLibraryElementContainer::replaceMembers(const QList<pf::Ref<PWXLibraryElement>>& members)
{
    m_elements.clear();
    m_index.clear();
    for (const pf::Ref<PWXLibraryElement>& member : members)
        if (member && !m_index.contains(member.get())) {
            m_index.insert(member.get(), m_elements.size());
            m_elements.append(member);
        }
    invalidateElementsCache();
    invalidateAllElementsCache();
    invalidateSubContainersCache();
}

QList<pf::Ref<PWXLibraryItem>> PWXLibraryElementContainer::allElements() const
{
    QList<pf::Ref<PWXLibraryItem>> all;
    QSet<const PWXLibraryItem*> seen;
    auto add = [&](const pf::Ref<PWXLibraryItem>& item) {
        if (item && !seen.contains(item.get())) {
            seen.insert(item.get());
            all.append(item);
        }
    };
    const pf::Class& own = objClass();
    for (const pf::Ref<PWXLibraryElement>& member : elements()) {
        // Only containers of this one's own kind are looked into: a group's libraries or a
        // library's categories are members in their own right.
        if (member->isKindOf(own)) {
            for (const pf::Ref<PWXLibraryItem>& inner :
                 std::static_pointer_cast<PWXLibraryElementContainer>(member)->allElements())
                add(inner);
        } else if (auto item = std::dynamic_pointer_cast<PWXLibraryItem>(member)) {
            add(item);
        }
    }
    return all;
}

QList<pf::Ref<PWXLibraryElementContainer>> PWXLibraryElementContainer::subContainers() const
{
    QList<pf::Ref<PWXLibraryElementContainer>> subs;
    for (const pf::Ref<PWXLibraryElement>& member : elements())
        if (auto sub = std::dynamic_pointer_cast<PWXLibraryElementContainer>(member))
            subs.append(sub);
    return subs;
}

template <class T>
void PWXLibraryElementContainer::sortList(QList<pf::Ref<T>>& list, const QList<pf::SortDescriptor>& descriptors)
{
    if (descriptors.isEmpty() || list.size() < 2)
        return;
    QVariantList objects;
    objects.reserve(list.size());
    for (const pf::Ref<T>& element : list)
        objects.append(pf::toVariant(std::static_pointer_cast<pf::Object>(element)));
    pf::sort(objects, descriptors);
    list.clear();
    for (const QVariant& object : objects)
        list.append(std::dynamic_pointer_cast<T>(pf::objectCast<pf::Object>(object)));
}

QList<pf::Ref<PWXLibraryElement>> PWXLibraryElementContainer::sortedElementsUsingSortDescriptors(
    const QList<pf::SortDescriptor>& descriptors, quint64 cookie)
{
    if (m_sortedElements && cookie == m_sortedElementsCookie)
        return *m_sortedElements;
    m_sortedElementsCookie = cookie;
    if (!m_sortedElements)
        m_sortedElements = elements();
    sortList(*m_sortedElements, descriptors);
    return *m_sortedElements;
}

QList<pf::Ref<PWXLibraryItem>> PWXLibraryElementContainer::sortedAllElementsUsingSortDescriptors(
    const QList<pf::SortDescriptor>& descriptors, quint64 cookie)
{
    if (m_sortedAllElements && cookie == m_sortedAllElementsCookie)
        return *m_sortedAllElements;
    m_sortedAllElementsCookie = cookie;
    if (!m_sortedAllElements)
        m_sortedAllElements = allElements();
    sortList(*m_sortedAllElements, descriptors);
    return *m_sortedAllElements;
}

QList<pf::Ref<PWXLibraryElementContainer>> PWXLibraryElementContainer::sortedSubContainersUsingSortDescriptors(
    const QList<pf::SortDescriptor>& descriptors, quint64 cookie)
{
    if (m_sortedSubContainers && cookie == m_sortedSubContainersCookie)
        return *m_sortedSubContainers;
    m_sortedSubContainersCookie = cookie;
    if (!m_sortedSubContainers)
        m_sortedSubContainers = subContainers();
    sortList(*m_sortedSubContainers, descriptors);
    return *m_sortedSubContainers;
}

QList<pf::Ref<PWXLibraryElementContainer>> PWXLibraryElementContainer::sortedSubContainers()
{
    static const QList<pf::SortDescriptor> byName{
        pf::SortDescriptor(kNameKey, true, pf::SortDescriptor::Comparison::LocalizedStandardCompare)};
    return sortedSubContainersUsingSortDescriptors(byName, 0);
}

void PWXLibraryElementContainer::invalidateAllElementsCache()
{
    m_sortedAllElements.reset();
    if (PWXLibraryElementContainer* owner = container(); owner && owner != this)
        owner->invalidateAllElementsCache();
}

pf::Ref<PWXLibraryElementContainer> PWXLibraryElementContainer::subContainerWithName(const QString& name) const
{
    for (const pf::Ref<PWXLibraryElementContainer>& sub : subContainers())
        if (sub->cleanName() == name)
            return sub;
    return nullptr;
}

QString PWXLibraryElementContainer::uniqueNameForSubContainer(const QString& name) const
{
    if (!subContainerWithName(name))
        return name;
    for (qint64 n = 1;; ++n) {
        const QString candidate = QStringLiteral("%1-%2").arg(name).arg(n);
        if (!subContainerWithName(candidate))
            return candidate;
    }
}

bool PWXLibraryElementContainer::containsElement(const PWXLibraryElement* element) const
{
    if (hasMember(element))
        return true;
    for (const pf::Ref<PWXLibraryElementContainer>& sub : subContainers())
        if (sub->containsElement(element))
            return true;
    return false;
}

void PWXLibraryElementContainer::setLibrary(PWXLibrary* library)
{
    PWXLibraryElement::setLibrary(library);
    for (const pf::Ref<PWXLibraryElement>& member : m_elements)
        member->setLibrary(library);
}

QVariantMap PWXLibraryElementContainer::elementInfo() const
{
    QVariantMap info = PWXLibraryElement::elementInfo();
    QVariantList items;
    for (const pf::Ref<PWXLibraryElement>& member : elements())
        items.append(member->elementInfo());
    info.insert(kItemsKey, items);
    return info;
}

void PWXLibraryElementContainer::addElementsFromInfo(const QVariantMap& info, PWXLibrary* library)
{
    for (const QVariant& entry : info.value(kItemsKey).toList()) {
        if (entry.typeId() != QMetaType::QVariantMap)
            continue;
        if (pf::Ref<PWXLibraryElement> element = libraryElementWithInfo(entry.toMap(), library))
            addElement(element);
    }
}
