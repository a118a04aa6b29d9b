#include "app/RVCommonClassFinder.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Variant.h"

#include <gtest/gtest.h>

// Shape <- Rect <- Square, Shape <- Oval; Label stands apart.
class FinderShape : public pf::Object {
    PF_CLASS(FinderShape)
};
class FinderRect : public FinderShape {
    PF_CLASS(FinderRect)
};
class FinderSquare : public FinderRect {
    PF_CLASS(FinderSquare)
};
class FinderOval : public FinderShape {
    PF_CLASS(FinderOval)
};
class FinderLabel : public pf::Object {
    PF_CLASS(FinderLabel)
};

PF_DEFINE_CLASS(FinderShape, pf::Object) {}
PF_DEFINE_CLASS(FinderRect, FinderShape) {}
PF_DEFINE_CLASS(FinderSquare, FinderRect) {}
PF_DEFINE_CLASS(FinderOval, FinderShape) {}
PF_DEFINE_CLASS(FinderLabel, pf::Object) {}

namespace {

template <class T>
QVariant object()
{
    return pf::toVariant(std::make_shared<T>());
}

TEST(RVCommonClassFinder, FoldsCollectionsToTheirNearestCommonClass)
{
    const struct {
        const char* name;
        QVariantList objects;
        const pf::Class* expected;
    } cases[] = {
        {"one object", {object<FinderSquare>()}, &FinderSquare::staticClass()},
        {"same class", {object<FinderRect>(), object<FinderRect>()}, &FinderRect::staticClass()},
        {"subclass after its superclass", {object<FinderRect>(), object<FinderSquare>()}, &FinderRect::staticClass()},
        {"superclass after its subclass", {object<FinderSquare>(), object<FinderRect>()}, &FinderRect::staticClass()},
        {"siblings", {object<FinderSquare>(), object<FinderOval>()}, &FinderShape::staticClass()},
        {"deep then shallow then deep", {object<FinderSquare>(), object<FinderOval>(), object<FinderSquare>()}, &FinderShape::staticClass()},
        {"unrelated", {object<FinderSquare>(), object<FinderLabel>()}, &pf::Object::staticClass()},
        {"empty", {}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RVCommonClassFinder::highestCommonClassInArray(&c.objects), c.expected);
        EXPECT_EQ(RVHighestCommonClass(c.objects), c.expected);
        QVariantMap dictionary;
        for (qsizetype i = 0; i < c.objects.size(); ++i)
            dictionary.insert(QString::number(i), c.objects[i]);
        EXPECT_EQ(RVHighestCommonClass(dictionary), c.expected);
        RVObjectSet set;
        for (const QVariant& value : c.objects)
            set.insert(pf::objectFromVariant(value).get());
        EXPECT_EQ(RVHighestCommonClass(QVariant::fromValue(set)), c.expected);
    }
}

TEST(RVCommonClassFinder, PairsAndNulls)
{
    FinderSquare square;
    FinderOval oval;
    EXPECT_EQ(RVCommonClassFinder::highestCommonClassOfObject(&square, &square), &FinderSquare::staticClass());
    EXPECT_EQ(RVCommonClassFinder::highestCommonClassOfObject(&square, &oval), &FinderShape::staticClass());
    EXPECT_EQ(RVCommonClassFinder::highestCommonClassOfObject(&square, nullptr), nullptr);
    EXPECT_EQ(RVCommonClassFinder::highestCommonClassOfObject(nullptr, &oval), nullptr);
    EXPECT_EQ(RVCommonClassFinder::highestCommonClassOfClass(&FinderRect::staticClass(), &square), &FinderRect::staticClass());
    EXPECT_EQ(RVCommonClassFinder::highestCommonClassOfClass(&FinderRect::staticClass(), &oval), &FinderShape::staticClass());
    EXPECT_EQ(RVCommonClassFinder::highestCommonClassOfClass(nullptr, &oval), nullptr);
    EXPECT_EQ(RVHighestCommonClass(QVariant()), nullptr);
    EXPECT_THROW(RVCommonClassFinder::highestCommonClassInArray(static_cast<const QVariantList*>(nullptr)), pf::Exception);
    // The class first, then each superclass up to the root of the runtime.
    const QList<const pf::Class*> hierarchy = RV_classHierarchy(square);
    ASSERT_GE(hierarchy.size(), 4);
    EXPECT_EQ(hierarchy.mid(0, 4), (QList<const pf::Class*>{&FinderSquare::staticClass(), &FinderRect::staticClass(),
                                                           &FinderShape::staticClass(), &pf::Object::staticClass()}));
    EXPECT_EQ(hierarchy.last()->superclass(), nullptr);
}

TEST(RVCommonClassFinder, OtherKindsOfValueRaise)
{
    for (const QVariant& value : {QVariant(QStringLiteral("selection")), object<FinderSquare>(), QVariant(3)}) {
        try {
            RVHighestCommonClass(value);
            ADD_FAILURE() << "no exception for " << qPrintable(pf::describe(value));
        } catch (const pf::Exception& exception) {
            EXPECT_EQ(exception.name(), QStringLiteral("RVUtilitiesDomainError"));
            EXPECT_TRUE(exception.reason().startsWith(QStringLiteral("RVHighestCommonClass - unsupported collection type (")));
        }
    }
}

} // namespace
