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
    QList<pf::Ref<PWXLibraryItem>> out = items();
    std::reverse(out.begin(), out.end());
    return out;
}

void PWXFixedLengthLibraryCategory::renewItem(const pf::Ref<PWXLibraryItem>& item)
{
    if (!item)
        return;
    QList<pf::Ref<PWXLibraryElement>>& members = mutableElements();
    const qsizetype index = members.indexOf(item);
    if (index < 0) {
        addItem(item);
        return;
    }
    members.move(index, members.size() - 1);
    post(kPWXLibraryCategoryContentDidChange);
}

void PWXFixedLengthLibraryCategory::trimToLength()
{
    if (m_length == 0)
        return;
    while (elements().size() > qsizetype(m_length))
        removeElement(elements().first());
}

void PWXFixedLengthLibraryCategory::addElement(const pf::Ref<PWXLibraryElement>& element)
{
    PWXLibraryCategory::addElement(element);
    trimToLength();
}

void PWXFixedLengthLibraryCategory::removeElement(const pf::Ref<PWXLibraryElement>& element)
{
    PWXLibraryCategory::removeElement(element);
}

QVariantMap PWXFixedLengthLibraryCategory::elementInfo() const { return PWXLibraryCategory::elementInfo(); }
