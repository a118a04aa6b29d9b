#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"

#include <QList>
#include <QString>
#include <QVariant>

class PWXLibraryItem;

// The filter of a smart category or of a search: comparisons of an item's property with a value,
// joined by OR (any), AND (all) or NOT (none). Text comparisons other than equality ignore case
// (and, for a comparison marked so, accents: "Café" begins with "cafe"); "like" matches a
// pattern where "*" stands for any run of characters and "?" for one. Dates and numbers
// compare by value. Kept in the category file as a keyed archive.
class PWXLibraryPredicate : public pf::Object, public pf::Coding {
    PF_CLASS(PWXLibraryPredicate)
public:
    // The stored numbers of both are the enumerators' values: keep them.
    enum class Compound { Or = 0, And = 1, Not = 2 };
    enum class Operator {
        Equal = 0,
        Contains = 1,
        NotEqual = 2,
        BeginsWith = 3,
        EndsWith = 4,
        Less = 5,
        LessOrEqual = 6,
        Greater = 7,
        GreaterOrEqual = 8,
        Like = 9,
    };
    // The item keys a comparison may name.
    static QStringList keys();
    struct Comparison {
        QString key;
        Operator op = Operator::Equal;
        QVariant value;
        // Text comparisons also ignore accents and other diacritic marks.
        bool diacriticInsensitive = false;
        bool operator==(const Comparison&) const = default;
    };

    PWXLibraryPredicate() = default;
    PWXLibraryPredicate(Compound compound, QList<Comparison> comparisons)
        : m_compound(compound), m_comparisons(std::move(comparisons))
    {
    }
    // "%K == %@" / "%K contains %@" of one key and value.
    static pf::Ref<PWXLibraryPredicate> comparison(const QString& key, Operator op, const QVariant& value);
    // The search of the item lists: the item's name compared with `text` ignoring case and
    // accents, as the only member of an OR compound. `op` is Contains, BeginsWith, EndsWith or
    // Like; null for empty text.
    static pf::Ref<PWXLibraryPredicate> nameSearch(const QString& text, Operator op);
    // Text folded for comparisons that ignore case and accents.
    static QString foldedText(const QString& text, bool diacriticInsensitive);
    // Whether `text` matches `pattern` ("*" any run, "?" one character, "\\" makes the next
    // character plain), both compared as given.
    static bool matchesWildcardPattern(const QString& text, const QString& pattern);

    Compound compound() const { return m_compound; }
    const QList<Comparison>& comparisons() const { return m_comparisons; }
    bool isEqualToPredicate(const PWXLibraryPredicate& other) const;

    bool evaluateWithItem(const PWXLibraryItem& item) const;
    // The predicate as text, e.g. `name CONTAINS "Cartavel"` (quotes and backslashes in text
    // are escaped, so the text always reads back as one string).
    QString predicateFormat() const;

    QByteArray archivedData() const;
    // Null when the data holds no predicate.
    static pf::Ref<PWXLibraryPredicate> predicateWithArchivedData(const QByteArray& data);

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    Compound m_compound = Compound::Or;
    QList<Comparison> m_comparisons;
};
