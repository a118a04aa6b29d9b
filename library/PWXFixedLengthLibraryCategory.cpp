#include "library/PWXFixedLengthLibraryCategory.h"

#include "library/PWXLibraryItem.h"

#include <algorithm>

PF_DEFINE_CLASS(PWXFixedLengthLibraryCategory, PWXLibraryCategory) {}

void PWXFixedLengthLibraryCategory::setMaximumLength(unsigned length)
{
    m_length = length;
    trimToLength();
}

QList<pf::Ref<PWXLibraryItem>> PWXFixedLengthLibraryCategory::orderedItems() const
{
    QList<pf::Ref<PWXLibraryItem>> out = m_orderedItems;
    std::reverse(out.begin(), out.end());
    return out;
}

QList<pf::Ref<PWXLibraryElement>> PWXFixedLengthLibraryCategory::elements() const
{
    return QList<pf::Ref<PWXLibraryElement>>(m_orderedItems.begin(), m_orderedItems.end());
}

void PWXFixedLengthLibraryCategory::renewItem(const pf::Ref<PWXLibraryItem>& item)
{
    if (!item)
        return;
    const qsizetype index = m_orderedItems.indexOf(item);
    if (index < 0) {
        addItem(item);
        return;
    }
    m_orderedItems.move(index, m_orderedItems.size() - 1);
    invalidateElementsCache();
    post(kPWXLibraryCategoryContentDidChange);
}

void PWXFixedLengthLibraryCategory::trimToLength()
{
    if (m_length == 0)
        return;
    while (m_orderedItems.size() > qsizetype(m_length))
        removeElement(m_orderedItems.first());
}

void PWXFixedLengthLibraryCategory::addElement(const pf::Ref<PWXLibraryElement>& element)
{
    auto item = std::dynamic_pointer_cast<PWXLibraryItem>(element);
    if (!item)
        return; // a list of items: it holds no categories
    if (!hasMember(item.get()))
        m_orderedItems.append(item);
    PWXLibraryCategory::addElement(element);
    trimToLength();
}

void PWXFixedLengthLibraryCategory::removeElement(const pf::Ref<PWXLibraryElement>& element)
{
    if (auto item = std::dynamic_pointer_cast<PWXLibraryItem>(element))
        m_orderedItems.removeAll(item);
    PWXLibraryCategory::removeElement(element);
}
