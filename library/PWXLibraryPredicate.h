#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"

#include <QList>
#include <QString>
#include <QVariant>

class PWXLibraryItem;

// The filter of a smart category: comparisons of an item's property with a value ("==" or
// "contains", the latter case-insensitive), joined by OR or AND. Kept in the category file as
// a keyed archive.
class PWXLibraryPredicate : public pf::Object, public pf::Coding {
    PF_CLASS(PWXLibraryPredicate)
public:
    enum class Compound { Or, And };
    enum class Operator { Equal, Contains };
    struct Comparison {
        QString key;
        Operator op = Operator::Equal;
        QVariant value;
        bool operator==(const Comparison&) const = default;
    };

    PWXLibraryPredicate() = default;
    PWXLibraryPredicate(Compound compound, QList<Comparison> comparisons)
        : m_compound(compound), m_comparisons(std::move(comparisons))
    {
    }
    // "%K == %@" / "%K contains %@" of one key and value.
    static pf::Ref<PWXLibraryPredicate> comparison(const QString& key, Operator op, const QVariant& value);

    Compound compound() const { return m_compound; }
    const QList<Comparison>& comparisons() const { return m_comparisons; }
    bool isEqualToPredicate(const PWXLibraryPredicate& other) const;

    bool evaluateWithItem(const PWXLibraryItem& item) const;
    // The predicate as text, e.g. `name CONTAINS "Cartavel"`.
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
