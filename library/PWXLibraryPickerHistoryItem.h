#pragma once

#include "platform/foundation/Object.h"

#include <QIcon>
#include <QString>

class PWXLibraryPickerPaletteController;

// One step of the picker palette's back and forward history: the category shown and the item
// picked in it (by unique key), with the text its history menu shows, e.g. "Maps•Roads•Red".
// Entries are never archived.
class PWXLibraryPickerHistoryItem : public pf::Object {
    PF_CLASS(PWXLibraryPickerHistoryItem)
public:
    PWXLibraryPickerHistoryItem() = default;
    // Keeps both strings; the display string is made from the library that holds the category.
    PWXLibraryPickerHistoryItem(const QString& categoryIdent, const QString& itemId);
    static pf::Ref<PWXLibraryPickerHistoryItem> initWithCategoryIdent(const QString& categoryIdent, const QString& itemId);

    QString category() const { return m_categoryIdent; }
    QString item() const { return m_itemId; }
    QString displayString() const { return m_displayString; }
    void setDisplayString(const QString& text) { m_displayString = text; }

    // Shows the entry's category in the palette and picks its item there.
    void restorePicker(PWXLibraryPickerPaletteController& palette) const;
    // The icon of the group of the library holding the category, 16 points; null without one.
    QIcon menuIcon() const;
    // Same category identifier and same item key.
    bool isEqualToPickerHistoryItem(const PWXLibraryPickerHistoryItem& other) const;
    // A library holds the category identifier, the item's key and resolves the identifier.
    bool isValid() const;
    QString description() const override;

private:
    QString m_categoryIdent;
    QString m_itemId;
    QString m_displayString;
};
