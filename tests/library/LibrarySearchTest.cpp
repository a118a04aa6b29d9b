#include "LibraryTestSupport.h"

#include "library/PWXLibraryPredicate.h"

using namespace library_test;

namespace {

class LibrarySearch : public LibraryTest {};

using Op = PWXLibraryPredicate::Operator;

TEST_F(LibrarySearch, NameSearchModesIgnoreCaseAndAccents)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Search");
    QMap<QString, pf::Ref<PWXLibraryItem>> items;
    for (const char* name : {"Abbey", "ábaco", "Crab", "Cab", "Oak Tree", "Maple", "r\u00E9sum\u00E9 road"})
        items.insert(QString::fromUtf8(name), addObject(*library, namedStyle(QString::fromUtf8(name))));
    struct Case {
        QString text;
        Op op;
        QStringList expected;
    };
    const QList<Case> cases{
        {"ab", Op::BeginsWith, {"Abbey", "ábaco"}},
        {"AB", Op::Contains, {"Abbey", "ábaco", "Crab", "Cab"}},
        {"ab", Op::EndsWith, {"Crab", "Cab"}},
        {"c?b", Op::Like, {"Cab"}},
        {"*ab*", Op::Like, {"Abbey", "ábaco", "Crab", "Cab"}},
        {"*e", Op::Like, {"Maple", "Oak Tree"}},
        {"resume*", Op::Like, {"r\u00E9sum\u00E9 road"}},
        {"\u00C9SUM", Op::Contains, {"r\u00E9sum\u00E9 road"}},
        {"zz", Op::Contains, {}},
    };
    for (const Case& c : cases) {
        pf::Ref<PWXLibraryPredicate> predicate = PWXLibraryPredicate::nameSearch(c.text, c.op);
        ASSERT_TRUE(predicate);
        EXPECT_EQ(predicate->compound(), PWXLibraryPredicate::Compound::Or);
        QStringList found;
        for (auto it = items.cbegin(); it != items.cend(); ++it)
            if (predicate->evaluateWithItem(*it.value()))
                found.append(it.key());
        QStringList expected = c.expected;
        found.sort();
        expected.sort();
        EXPECT_EQ(found, expected) << c.text.toStdString() << " op " << int(c.op);
    }
    EXPECT_FALSE(PWXLibraryPredicate::nameSearch(QString(), Op::Contains));
}

TEST_F(LibrarySearch, WildcardsAndHostilePatterns)
{
    struct Case {
        QString text, pattern;
        bool match;
    };
    const QList<Case> cases{
        {"", "", true},        {"", "*", true},         {"a", "", false},     {"abc", "a*c", true},
        {"abc", "a?c", true},  {"abc", "a?", false},    {"a*c", "a\\*c", true}, {"abc", "a\\*c", false},
        {"aXbXc", "*b*", true}, {"abc", "*x*", false}, {"aaaa", "a*a*a*a*a", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PWXLibraryPredicate::matchesWildcardPattern(c.text, c.pattern), c.match)
            << c.text.toStdString() << " ~ " << c.pattern.toStdString();
    // A long run of stars against a long text finishes (no backtracking explosion).
    EXPECT_FALSE(PWXLibraryPredicate::matchesWildcardPattern(QString(4000, 'a'), QString(200, '*') + "b"));
}

TEST_F(LibrarySearch, SearchPredicateKeepsQuotesAndArchivesItsOptions)
{
    pf::Ref<PWXLibraryPredicate> predicate = PWXLibraryPredicate::nameSearch("say \"hi\" \\o/", Op::Like);
    EXPECT_EQ(predicate->predicateFormat(), "name LIKE[cd] \"say \\\"hi\\\" \\\\o/\"");
    pf::Ref<PWXLibraryPredicate> read = PWXLibraryPredicate::predicateWithArchivedData(predicate->archivedData());
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->isEqualToPredicate(*predicate));
    EXPECT_TRUE(read->comparisons().first().diacriticInsensitive);
    // An older archive without the option reads as case-only.
    pf::Ref<PWXLibraryPredicate> plain = PWXLibraryPredicate::comparison("name", Op::Contains, "x");
    read = PWXLibraryPredicate::predicateWithArchivedData(plain->archivedData());
    EXPECT_FALSE(read->comparisons().first().diacriticInsensitive);
}

} // namespace
