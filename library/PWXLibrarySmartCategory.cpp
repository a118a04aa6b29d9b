#include "library/PWXLibrarySmartCategory.h"

#include "library/PWXLibrary.h"
#include "library/PWXLibraryItem.h"

#include <QCoreApplication>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibrary", text); }

} // namespace

PF_DEFINE_CLASS(PWXLibrarySmartCategory, PWXLibraryCategory) {}

PWXLibrarySmartCategory::PWXLibrarySmartCategory() : PWXLibrarySmartCategory(QString()) {}

PWXLibrarySmartCategory::PWXLibrarySmartCategory(const QString& name)
    : PWXLibraryCategory(name),
      m_predicate(PWXLibraryPredicate::comparison(QStringLiteral("name"), PWXLibraryPredicate::Operator::Contains,
                                                  QStringLiteral("Cartavel")))
{
}

pf::Ref<PWXLibrarySmartCategory> PWXLibrarySmartCategory::allStylesSmartCategory()
{
    auto category = std::make_shared<PWXLibrarySmartCategory>(tr("All Styles"));
    category->m_predicate =
        PWXLibraryPredicate::comparison(QStringLiteral("classCode"), PWXLibraryPredicate::Operator::Equal, 1);
    category->m_editablePredicate = false;
    return category;
}

pf::Ref<PWXLibrarySmartCategory> PWXLibrarySmartCategory::allSymbolsSmartCategory()
{
    auto category = std::make_shared<PWXLibrarySmartCategory>(tr("All Clip Art"));
    category->m_predicate =
        PWXLibraryPredicate::comparison(QStringLiteral("classCode"), PWXLibraryPredicate::Operator::Equal, 2);
    category->m_editablePredicate = false;
    return category;
}

void PWXLibrarySmartCategory::setPredicate(const pf::Ref<PWXLibraryPredicate>& predicate)
{
    if (!m_editablePredicate || !predicate || (m_predicate && m_predicate->isEqualToPredicate(*predicate)))
        return;
    m_predicate = predicate;
    m_cacheValid = false;
    tellLibraryCategoryDidChange();
}

void PWXLibrarySmartCategory::setCountLimit(unsigned limit)
{
    if (limit == m_countLimit)
        return;
    m_countLimit = limit;
    m_cacheValid = false;
    tellLibraryCategoryDidChange();
}

QList<pf::Ref<PWXLibraryItem>> PWXLibrarySmartCategory::filteredContent() const
{
    PWXLibrary* owner = library();
    if (!m_predicate || !owner)
        return {};
    QList<pf::Ref<PWXLibraryItem>> out;
    for (const pf::Ref<PWXLibraryItem>& item : owner->items())
        if (m_predicate->evaluateWithItem(*item))
            out.append(item);
    if (m_countLimit != 0 && out.size() > qsizetype(m_countLimit))
        out.resize(m_countLimit);
    return out;
}

QList<pf::Ref<PWXLibraryItem>> PWXLibrarySmartCategory::allElements() const
{
    if (!m_cacheValid) {
        m_cache = filteredContent();
        m_cacheValid = true;
    }
    return m_cache;
}

QList<pf::Ref<PWXLibraryElement>> PWXLibrarySmartCategory::elements() const
{
    QList<pf::Ref<PWXLibraryElement>> out;
    for (const pf::Ref<PWXLibraryItem>& item : allElements())
        out.append(item);
    return out;
}

void PWXLibrarySmartCategory::removeItem(const pf::Ref<PWXLibraryItem>& item) { refilter(item); }

void PWXLibrarySmartCategory::removeItems(const QList<pf::Ref<PWXLibraryItem>>&) { refilter(nullptr); }

void PWXLibrarySmartCategory::itemUpdateCouldAffectCategories(const PWXLibraryItem* item)
{
    refilter(item ? std::const_pointer_cast<PWXLibraryItem>(item->ref<PWXLibraryItem>()) : nullptr);
}

void PWXLibrarySmartCategory::refilter(const pf::Ref<PWXLibraryItem>& item)
{
    const QList<pf::Ref<PWXLibraryItem>> before = allElements();
    const QList<pf::Ref<PWXLibraryItem>> now = filteredContent();
    if (now == before)
        return;
    m_cache = now;
    m_cacheValid = true;
    if (item && now.size() < before.size())
        post(kPWXLibraryCategoryDidRemoveItem, {{kItemUserInfoKey, pf::toVariant(item)}});
    else if (item && now.size() > before.size())
        post(kPWXLibraryCategoryDidAddItem, {{kItemUserInfoKey, pf::toVariant(item)}});
    else
        post(kPWXLibraryCategoryContentDidChange);
}

void PWXLibrarySmartCategory::wasAddedToContainer(PWXLibraryElementContainer*)
{
    m_cacheValid = false;
    post(kPWXLibraryCategoryContentDidChange);
}

void PWXLibrarySmartCategory::readInfo(const QVariantMap& info, PWXLibrary* library)
{
    QVariantMap withoutItems = info;
    withoutItems.remove(kItemsKey);
    PWXLibraryCategory::readInfo(withoutItems, library);
    if (pf::Ref<PWXLibraryPredicate> predicate =
            PWXLibraryPredicate::predicateWithArchivedData(info.value(kPredicateKey).toByteArray()))
        m_predicate = predicate;
    m_countLimit = unsigned(qBound<qlonglong>(0, info.value(kLimitKey).toLongLong(), UINT_MAX));
    if (info.contains(kPredicateEditableKey))
        m_editablePredicate = info.value(kPredicateEditableKey).toBool();
    m_cacheValid = false;
}

QVariantMap PWXLibrarySmartCategory::elementInfo() const
{
    // The content is the predicate's: no items are listed.
    QVariantMap info = PWXLibraryElement::elementInfo();
    info.insert(kReadOnlyKey, PWXLibraryCategory::isReadOnlyFlag());
    info.insert(kDeletableKey, isDeletable());
    info.insert(kNoRenameKey, !renameable());
    if (m_predicate)
        info.insert(kPredicateKey, m_predicate->archivedData());
    info.insert(kLimitKey, qulonglong(m_countLimit));
    info.insert(kPredicateEditableKey, m_editablePredicate);
    return info;
}
