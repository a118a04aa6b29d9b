#include "library/PWXLibraryElementContainer.h"

#include "frameworks/penwork/registries/PWCategoryManager.h"
#include "library/PWXLibraryItem.h"

#include <algorithm>

PF_DEFINE_CLASS(PWXLibraryElementContainer, PWXLibraryElement) {}

void PWXLibraryElementContainer::addElement(const pf::Ref<PWXLibraryElement>& element)
{
    if (!element)
        return;
    if (!m_elements.contains(element))
        m_elements.append(element);
    element->setContainer(this);
    element->wasAddedToContainer(this);
}

void PWXLibraryElementContainer::removeElement(const pf::Ref<PWXLibraryElement>& element)
{
    if (!element)
        return;
    const pf::Ref<PWXLibraryElement> keep = element;
    keep->setContainer(nullptr);
    m_elements.removeAll(keep);
    keep->wasRemovedFromContainer(this);
}

QList<pf::Ref<PWXLibraryItem>> PWXLibraryElementContainer::allElements() const
{
    QList<pf::Ref<PWXLibraryItem>> all;
    for (const pf::Ref<PWXLibraryElement>& member : elements()) {
        if (auto item = std::dynamic_pointer_cast<PWXLibraryItem>(member)) {
            if (!all.contains(item))
                all.append(item);
        } else if (auto sub = std::dynamic_pointer_cast<PWXLibraryElementContainer>(member)) {
            for (const pf::Ref<PWXLibraryItem>& inner : sub->allElements())
                if (!all.contains(inner))
                    all.append(inner);
        }
    }
    return all;
}

QList<pf::Ref<PWXLibraryElementContainer>> PWXLibraryElementContainer::subContainers() const
{
    QList<pf::Ref<PWXLibraryElementContainer>> subs;
    for (const pf::Ref<PWXLibraryElement>& member : m_elements)
        if (auto sub = std::dynamic_pointer_cast<PWXLibraryElementContainer>(member))
            subs.append(sub);
    return subs;
}

QList<pf::Ref<PWXLibraryElementContainer>> PWXLibraryElementContainer::sortedSubContainers() const
{
    QList<pf::Ref<PWXLibraryElementContainer>> subs = subContainers();
    std::stable_sort(subs.begin(), subs.end(), [](const auto& a, const auto& b) {
        return PWCategoryManager::compareNames(a->name(), b->name()) < 0;
    });
    return subs;
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
    for (const pf::Ref<PWXLibraryElement>& member : elements()) {
        if (member.get() == element)
            return true;
        if (auto sub = std::dynamic_pointer_cast<PWXLibraryElementContainer>(member); sub && sub->containsElement(element))
            return true;
    }
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
