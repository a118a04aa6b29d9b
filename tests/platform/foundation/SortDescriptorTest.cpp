#include "platform/foundation/SortDescriptor.h"

#include <gtest/gtest.h>

using namespace pf;

namespace {

QVariantList people()
{
    return {QVariantMap{{"name", "bob"}, {"age", 30}}, QVariantMap{{"name", "Alice"}, {"age", 30}},
            QVariantMap{{"name", "carol"}, {"age", 25}}, QVariantMap{{"name", "file10"}, {"age", 40}},
            QVariantMap{{"name", "file9"}}};
}

QStringList names(const QVariantList& list)
{
    QStringList out;
    for (const QVariant& v : list)
        out << v.toMap().value("name").toString();
    return out;
}

} // namespace

TEST(SortDescriptor, SortsByEachDescriptorInTurn)
{
    struct Case {
        QList<SortDescriptor> descriptors;
        QStringList expected;
    };
    using C = SortDescriptor::Comparison;
    const Case cases[] = {
        {{SortDescriptor("name", true)}, {"Alice", "bob", "carol", "file10", "file9"}},
        {{SortDescriptor("name", true, C::CaseInsensitiveCompare)}, {"Alice", "bob", "carol", "file10", "file9"}},
        {{SortDescriptor("name", true, C::LocalizedStandardCompare)}, {"Alice", "bob", "carol", "file9", "file10"}},
        // A missing value sorts first; ties go to the next descriptor.
        {{SortDescriptor("age", true), SortDescriptor("name", false)}, {"file9", "carol", "bob", "Alice", "file10"}},
        {{SortDescriptor("age", true).reversedSortDescriptor()}, {"file10", "bob", "Alice", "carol", "file9"}},
    };
    for (const Case& c : cases) {
        QVariantList list = people();
        sort(list, c.descriptors);
        EXPECT_EQ(names(list), c.expected) << c.descriptors.first().key().toStdString();
    }
}
