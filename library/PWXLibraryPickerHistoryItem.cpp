#include "library/PWXLibraryPickerHistoryItem.h"

#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryPickerPaletteController.h"
#include "platform/graphics/Image.h"

PF_DEFINE_CLASS(PWXLibraryPickerHistoryItem, pf::Object) {}

PWXLibraryPickerHistoryItem::PWXLibraryPickerHistoryItem(const QString& categoryIdent, const QString& itemId)
    : m_categoryIdent(categoryIdent), m_itemId(itemId)
{
    pf::Ref<PWXLibrary> library = PWXLibrary::libraryContainingIdentifier(categoryIdent);
    if (!library)
        return;
    QString display = categoryIdent;
    const QString group = library->group();
    if (const qsizetype at = group.isEmpty() ? -1 : display.indexOf(group); at >= 0)
        display.remove(at, group.size() + 1);
    display.replace(QLatin1Char('.'), QStringLiteral("\u2022"));
    if (pf::Ref<PWXLibraryItem> picked = itemId.isEmpty() ? nullptr : library->itemWithUniqueID(itemId))
        display += QStringLiteral("\u2022") + picked->name();
    m_displayString = display;
}

pf::Ref<PWXLibraryPickerHistoryItem> PWXLibraryPickerHistoryItem::initWithCategoryIdent(const QString& categoryIdent,
                                                                                       const QString& itemId)
{
    return std::make_shared<PWXLibraryPickerHistoryItem>(categoryIdent, itemId);
}

void PWXLibraryPickerHistoryItem::restorePicker(PWXLibraryPickerPaletteController& palette) const
{
    pf::Ref<PWXLibrary> library = m_itemId.isEmpty() ? nullptr : PWXLibrary::libraryContainingItemWithUniqueID(m_itemId);
    if (!library)
        library = PWXLibrary::libraryContainingIdentifier(m_categoryIdent);
    if (!library)
        return;
    auto category = std::dynamic_pointer_cast<PWXLibraryCategory>(library->itemWithIdentifier(m_categoryIdent));
    if (!category)
        return;
    palette.setCategory(category);
    if (!m_itemId.isEmpty())
        palette.selectItem(palette.filteredItemWithID(m_itemId));
}

QIcon PWXLibraryPickerHistoryItem::menuIcon() const
{
    pf::Ref<PWXLibrary> library = PWXLibrary::libraryContainingIdentifier(m_categoryIdent);
    pf::Ref<PWXLibraryGroup> group = library ? PWXLibraryGroup::groupWithName(library->group()) : nullptr;
    pf::Ref<pf::Image> image = group ? group->icon() : nullptr;
    if (!image)
        return QIcon();
    return QIcon(QPixmap::fromImage(image->bitmap(QSize(16, 16))));
}

bool PWXLibraryPickerHistoryItem::isEqualToPickerHistoryItem(const PWXLibraryPickerHistoryItem& other) const
{
    return m_categoryIdent == other.m_categoryIdent && m_itemId == other.m_itemId;
}

bool PWXLibraryPickerHistoryItem::isValid() const
{
    pf::Ref<PWXLibrary> library = PWXLibrary::libraryContainingIdentifier(m_categoryIdent);
    return library && library->containsUniqueID(m_itemId) && library->itemWithIdentifier(m_categoryIdent);
}

QString PWXLibraryPickerHistoryItem::description() const
{
    return QStringLiteral("%1 (%2)").arg(pf::Object::description(), m_displayString);
}
