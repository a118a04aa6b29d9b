#include "library/PWXLibrarySmartCategory.h"

#include "library/PWXLibrary.h"
#include "library/PWXLibraryItem.h"
#include "platform/graphics/Image.h"

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
    emptyCache();
    tellLibraryCategoryDidChange();
}

void PWXLibrarySmartCategory::setCountLimit(unsigned limit)
{
    if (limit == m_countLimit)
        return;
    m_countLimit = limit;
    emptyCache();
    tellLibraryCategoryDidChange();
}

void PWXLibrarySmartCategory::emptyCache()
{
    m_cache.clear();
    m_cacheSet.clear();
    invalidateElementsCache();
}

namespace {

// One for every smart category: while one filters, a nested filtering answers nothing.
bool g_filtering = false;

} // namespace

std::optional<QList<pf::Ref<PWXLibraryItem>>> PWXLibrarySmartCategory::filteredContent() const
{
    if (!m_predicate || g_filtering)
        return std::nullopt;
    const PWXLibraryElementContainer* source = container();
    if (!source)
        source = library();
    QList<pf::Ref<PWXLibraryItem>> out;
    if (!source)
        return out;
    g_filtering = true;
    QList<pf::Ref<PWXLibraryItem>> candidates;
    try {
        candidates = source->allElements();
    } catch (...) {
        g_filtering = false;
        throw;
    }
    g_filtering = false;
    for (const pf::Ref<PWXLibraryItem>& item : candidates)
        if (m_predicate->evaluateWithItem(*item))
            out.append(item);
    // Any members beyond the limit go; which ones is not defined.
    while (m_countLimit != 0 && out.size() > qsizetype(m_countLimit))
        out.removeLast();
    return out;
}

QList<pf::Ref<PWXLibraryItem>> PWXLibrarySmartCategory::allElements() const
{
    // An empty cache is filled again on every request: nothing found may only mean that the
    // library had not loaded its items yet.
    if (m_cache.isEmpty()) {
        m_cache = filteredContent().value_or(QList<pf::Ref<PWXLibraryItem>>());
        m_cacheSet.clear();
        for (const pf::Ref<PWXLibraryItem>& item : m_cache)
            m_cacheSet.insert(item.get());
    }
    return m_cache;
}

QList<pf::Ref<PWXLibraryElement>> PWXLibrarySmartCategory::elements() const
{
    const QList<pf::Ref<PWXLibraryItem>> items = allElements();
    return QList<pf::Ref<PWXLibraryElement>>(items.begin(), items.end());
}

bool PWXLibrarySmartCategory::hasMember(const PWXLibraryElement* element) const
{
    allElements();
    return m_cacheSet.contains(element);
}

void PWXLibrarySmartCategory::removeItem(const pf::Ref<PWXLibraryItem>& item) { refilter(item); }

void PWXLibrarySmartCategory::removeItems(const QList<pf::Ref<PWXLibraryItem>>&) { refilter(nullptr); }

void PWXLibrarySmartCategory::itemUpdateCouldAffectCategories(const PWXLibraryItem* item)
{
    refilter(item ? std::const_pointer_cast<PWXLibraryItem>(item->ref<PWXLibraryItem>()) : nullptr);
}

void PWXLibrarySmartCategory::refilter(const pf::Ref<PWXLibraryItem>& item)
{
    const QList<pf::Ref<PWXLibraryItem>> now = filteredContent().value_or(QList<pf::Ref<PWXLibraryItem>>());
    QSet<const PWXLibraryElement*> nowSet;
    for (const pf::Ref<PWXLibraryItem>& found : now)
        nowSet.insert(found.get());
    if (nowSet == m_cacheSet && now.size() == m_cache.size())
        return;
    const qsizetype before = m_cache.size();
    m_cache = now;
    m_cacheSet = nowSet;
    if (item && now.size() < before)
        post(kPWXLibraryCategoryDidRemoveItem, {{kItemUserInfoKey, pf::toVariant(item)}});
    else if (item && now.size() > before)
        post(kPWXLibraryCategoryDidAddItem, {{kItemUserInfoKey, pf::toVariant(item)}});
    else
        post(kPWXLibraryCategoryContentDidChange);
    invalidateElementsCache();
}

void PWXLibrarySmartCategory::wasAddedToContainer(PWXLibraryElementContainer*)
{
    emptyCache();
    post(kPWXLibraryCategoryContentDidChange);
}

pf::Ref<pf::Image> PWXLibrarySmartCategory::icon() const
{
    pf::Ref<pf::Image> image = pf::Image::imageNamed(QStringLiteral("VN_Smart_Category"));
    if (!image)
        return nullptr;
    image = image->copyImage();
    image->setSize(QSizeF(16, 16));
    return image;
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
    emptyCache();
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
