#include "LibraryTestSupport.h"

#include "library/PWXFixedLengthLibraryCategory.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibrarySmartCategory.h"

using namespace library_test;

namespace {

class LibraryCategoryTree : public LibraryTest {};

const QList<pf::SortDescriptor> kByName{pf::SortDescriptor("name", true)};
const QList<pf::SortDescriptor> kByNameDescending{pf::SortDescriptor("name", false)};

QStringList namesOf(const QList<pf::Ref<PWXLibraryElement>>& elements)
{
    QStringList names;
    for (const auto& element : elements)
        names.append(element->name());
    return names;
}

} // namespace

TEST_F(LibraryCategoryTree, CategoriesAreNeverPlacedInsideThemselvesOrTheirDescendants)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Tree");
    pf::Ref<PWXLibraryCategory> top = library->addCategoryWithName("Top");
    pf::Ref<PWXLibraryCategory> middle = top->addCategoryWithName("Middle");
    pf::Ref<PWXLibraryCategory> bottom = middle->addCategoryWithName("Bottom");
    bottom->addCategory(top);
    bottom->addCategory(middle);
    middle->addCategory(middle);
    EXPECT_EQ(top->container(), library.get());
    EXPECT_EQ(middle->container(), top.get());
    EXPECT_TRUE(bottom->categories().isEmpty());
    EXPECT_TRUE(middle->categories() == QList<pf::Ref<PWXLibraryCategory>>{bottom});
    // A legal move still works: the bottom category comes up to the top one.
    top->addCategory(bottom);
    EXPECT_EQ(bottom->container(), top.get());
    EXPECT_TRUE(middle->categories().isEmpty());
    EXPECT_EQ(bottom->identifier(), library->identifier() + ".Top.Bottom");
}

TEST_F(LibraryCategoryTree, RenamedCategoriesAreUniqueAmongTheirOwnSiblings)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Names");
    pf::Ref<PWXLibraryCategory> parks = library->addCategoryWithName("Parks");
    pf::Ref<PWXLibraryCategory> roads = library->addCategoryWithName("Roads");
    pf::Ref<PWXLibraryCategory> minor = parks->addCategoryWithName("Minor");
    pf::Ref<PWXLibraryCategory> other = parks->addCategoryWithName("Other");
    // A nested name that only the top level holds is free below it.
    other->setName("Roads");
    EXPECT_EQ(other->name(), "Roads");
    minor->setName("Roads");
    EXPECT_EQ(minor->name(), "Roads-1");
    other->setName("Roads-1");
    EXPECT_EQ(other->name(), "Roads-1-1");
    roads->setName("Parks");
    EXPECT_EQ(roads->name(), "Parks-1");
}

TEST_F(LibraryCategoryTree, IdentifiersCarryCleanNamesAndFindDottedCollectionsAndCategories)
{
    PWXLibrary::initializeRegistry();
    pf::Ref<PWXLibrary> library = PWXLibrary::userLibraryWithPreferredName("Survey v1.2");
    ASSERT_TRUE(library);
    pf::Ref<PWXLibraryCategory> category = library->addCategoryWithName("Zone 3.b");
    pf::Ref<PWXLibraryCategory> inner = category->addCategoryWithName("x.y");
    EXPECT_EQ(library->identifier(), "MY LIBRARY.Survey v12");
    EXPECT_EQ(inner->identifier(), "MY LIBRARY.Survey v12.Zone 3b.xy");
    EXPECT_EQ(PWXLibrary::libraryContainingIdentifier(inner->identifier()), library);
    EXPECT_EQ(library->itemWithIdentifier(inner->identifier()), inner);
    EXPECT_EQ(library->itemWithIdentifier(category->identifier()), category);
    // Lookups compare with clean names: the dotted name itself finds nothing.
    EXPECT_EQ(library->categoryWithName("Zone 3b"), category);
    EXPECT_FALSE(library->categoryWithName("Zone 3.b"));
    EXPECT_FALSE(library->itemWithIdentifier(library->identifier()));
    EXPECT_FALSE(PWXLibrary::libraryContainingIdentifier("MY LIBRARY.Survey v1.2.Zone 3b"));
}

TEST_F(LibraryCategoryTree, SortedCachesSortOncePerCookieAndFollowMembership)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Sorted");
    pf::Ref<PWXLibraryCategory> category = library->addCategoryWithName("Box");
    for (const char* name : {"b", "c", "a"})
        category->addCategoryWithName(name);
    EXPECT_EQ(namesOf(category->sortedElementsUsingSortDescriptors(kByName, 7)), (QStringList{"a", "b", "c"}));
    // The same cookie answers the cache unsorted, whatever descriptors come with it.
    EXPECT_EQ(namesOf(category->sortedElementsUsingSortDescriptors(kByNameDescending, 7)), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(namesOf(category->sortedElementsUsingSortDescriptors(kByNameDescending, 8)), (QStringList{"c", "b", "a"}));
    // Removing edits the cache in place; adding drops it, so the next request refills it.
    category->removeCategoryWithName("b");
    EXPECT_EQ(namesOf(category->sortedElementsUsingSortDescriptors(kByName, 8)), (QStringList{"c", "a"}));
    category->addCategoryWithName("d");
    EXPECT_EQ(namesOf(category->sortedElementsUsingSortDescriptors(kByName, 8)), (QStringList{"a", "c", "d"}));
    // A rename drops the cache of the container too.
    category->categoryWithName("a")->setName("z");
    EXPECT_EQ(namesOf(category->sortedElementsUsingSortDescriptors(kByName, 8)), (QStringList{"c", "d", "z"}));
}

TEST_F(LibraryCategoryTree, AllElementsOfACategoryGatherItemsBelowItOnceEach)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Gather");
    pf::Ref<PWXLibraryCategory> top = library->addCategoryWithName("Top");
    pf::Ref<PWXLibraryCategory> sub = top->addCategoryWithName("Sub");
    pf::Ref<PWXLibraryItem> one = addObject(*library, namedStyle("One"));
    pf::Ref<PWXLibraryItem> two = addObject(*library, namedStyle("Two"));
    top->addItem(one);
    sub->addItem(one);
    sub->addItem(two);
    EXPECT_EQ(top->allElementsCount(), 2);
    EXPECT_EQ(top->sortedAllElementsUsingSortDescriptors(kByName, 1).size(), 2);
    sub->removeItem(two);
    // The sub-category's change reaches the cache above it.
    EXPECT_EQ(top->sortedAllElementsUsingSortDescriptors(kByName, 1).size(), 1);
    // A library's categories are its members, not containers of its own kind: its
    // allElements are its items, not what the categories list.
    EXPECT_EQ(library->allElementsCount(), 2);
}

TEST_F(LibraryCategoryTree, SmartCategoryInsideACategoryFiltersThatCategoryWithItsLimit)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Nested");
    pf::Ref<PWXLibraryCategory> box = library->addCategoryWithName("Box");
    auto smart = std::make_shared<PWXLibrarySmartCategory>("Reds");
    smart->setPredicate(PWXLibraryPredicate::comparison("name", PWXLibraryPredicate::Operator::BeginsWith, "red"));
    box->addCategory(smart);
    QList<pf::Ref<PWXLibraryItem>> reds;
    for (int i = 0; i < 5; ++i) {
        pf::Ref<PWXLibraryItem> item = addObject(*library, namedStyle(QStringLiteral("Red %1").arg(i)));
        reds.append(item);
        if (i < 4)
            box->addItem(item);
    }
    addObject(*library, namedStyle("Blue"));
    // Only what the box holds, not the library's fifth red.
    EXPECT_EQ(smart->allElementsCount(), 4);
    EXPECT_FALSE(smart->allElements().contains(reds[4]));
    smart->setCountLimit(3);
    const QList<pf::Ref<PWXLibraryItem>> limited = smart->allElements();
    ASSERT_EQ(limited.size(), 3);
    for (const auto& item : limited)
        EXPECT_TRUE(reds.mid(0, 4).contains(item));
    // The box's own content includes no second copy through the smart category.
    EXPECT_EQ(box->allElementsCount(), 4);
    // A renamed item leaves the nested smart category without being asked about directly.
    smart->setCountLimit(0);
    std::dynamic_pointer_cast<PWStyle>(reds[0]->representedObject())->setName("Green");
    EXPECT_EQ(smart->allElementsCount(), 3);
}

TEST_F(LibraryCategoryTree, EmptySmartResultsAreNotKept)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Late");
    auto smart = std::make_shared<PWXLibrarySmartCategory>("Late");
    smart->setPredicate(PWXLibraryPredicate::comparison("classCode", PWXLibraryPredicate::Operator::Equal, 1));
    library->addCategory(smart);
    EXPECT_EQ(smart->allElementsCount(), 0);
    // An item that arrives without the category being told is still found next time.
    library->setLoadingFromDisk(true);
    library->allItemsCategory()->addItem(PWXLibraryItem::itemWithLibraryObject(namedStyle("Quiet")));
    library->setLoadingFromDisk(false);
    EXPECT_EQ(smart->allElementsCount(), 1);
}

TEST_F(LibraryCategoryTree, PredicatesCompareEachKindOfValue)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Predicates");
    pf::Ref<PWXLibraryItem> style = addObject(*library, namedStyle("Harbour Wall"));
    pf::Ref<PWXLibraryItem> master = addObject(*library, namedMaster("Beacon"));
    using Op = PWXLibraryPredicate::Operator;
    struct Case {
        QString key;
        Op op;
        QVariant value;
        bool style;
        bool master;
    };
    const QList<Case> cases{
        {"name", Op::Contains, "WALL", true, false},      {"name", Op::BeginsWith, "harb", true, false},
        {"name", Op::EndsWith, "con", false, true},       {"name", Op::Equal, "Beacon", false, true},
        {"name", Op::NotEqual, "Beacon", true, false},    {"classCode", Op::Equal, 2, false, true},
        {"classCode", Op::Less, 2, true, false},          {"classCode", Op::GreaterOrEqual, 1, true, true},
        {"kind", Op::Equal, "Clip Art", false, true},     {"locked", Op::Equal, false, true, true},
        {"creationDate", Op::Greater, QDateTime::currentDateTimeUtc().addDays(-1), true, true},
        {"creationDate", Op::LessOrEqual, QDateTime::currentDateTimeUtc().addDays(-1), false, false},
    };
    for (const Case& c : cases) {
        const auto predicate = PWXLibraryPredicate::comparison(c.key, c.op, c.value);
        EXPECT_EQ(predicate->evaluateWithItem(*style), c.style) << predicate->predicateFormat().toStdString();
        EXPECT_EQ(predicate->evaluateWithItem(*master), c.master) << predicate->predicateFormat().toStdString();
        // Stored and read back, the predicate is the same one.
        const auto read = PWXLibraryPredicate::predicateWithArchivedData(predicate->archivedData());
        ASSERT_TRUE(read);
        EXPECT_TRUE(read->isEqualToPredicate(*predicate));
    }
    PWXLibraryPredicate none(PWXLibraryPredicate::Compound::Not, {{"name", Op::Contains, "Wall"}, {"classCode", Op::Equal, 1}});
    EXPECT_FALSE(none.evaluateWithItem(*style));
    EXPECT_TRUE(none.evaluateWithItem(*master));
}

TEST_F(LibraryCategoryTree, CategoryFilesMergeOnlyMissingSubCategories)
{
    pf::Ref<PWXLibrary> library = makeLibrary("Merge");
    pf::Ref<PWXLibraryCategory> top = library->addCategoryWithName("Top");
    pf::Ref<PWXLibraryCategory> kept = top->addCategoryWithName("Kept");
    kept->setReadOnly(true);
    const QVariantMap info{
        {"name", "Top"},
        {"items", QVariantList{QVariantMap{{"class", "PWXLibraryCategory"}, {"name", "Kept"}, {"readonly", false}},
                               QVariantMap{{"class", "PWXLibraryCategory"},
                                           {"name", "New"},
                                           {"items", QVariantList{QVariantMap{{"class", "PWXLibraryCategory"},
                                                                             {"name", "Deeper"}}}}},
                               QVariantMap{{"name", "An item"}, {"id", "K1"}, {"cc", 1}}}}};
    EXPECT_FALSE(top->mergeIfNeededUsingInfo(info, library.get()));
    EXPECT_EQ(top->categoryNames().size(), 2);
    EXPECT_TRUE(kept->isReadOnly()); // existing categories stay as they are
    ASSERT_TRUE(top->categoryWithName("New"));
    EXPECT_TRUE(top->categoryWithName("New")->categoryWithName("Deeper"));
}
