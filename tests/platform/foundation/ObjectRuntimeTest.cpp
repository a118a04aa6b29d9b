#include <gtest/gtest.h>

#include "platform/foundation/Exception.h"
#include "platform/foundation/Object.h"

namespace {

class Shape : public pf::Object {
    PF_CLASS(Shape)
public:
    QString name() const { return m_name; }
    void setName(const QString& name) { setObservedValue(m_name, name, QStringLiteral("name")); }
    double width() const { return m_width; }
    void setWidth(double width) { m_width = width; }
    int area(int factor) const { return int(m_width) * factor; }
    QString greet(const QString& who, int times) { return QString(who).repeated(times); }
    Shape* m_self = nullptr;

private:
    QString m_name;
    double m_width = 0;
};

class Circle : public Shape {
    PF_CLASS(Circle)
};

class Abstract : public pf::Object {
    PF_CLASS(Abstract)
public:
    virtual void draw() = 0;
};

int initializerRuns = 0;

} // namespace

PF_DEFINE_CLASS(Shape, pf::Object)
{
    b.property(QStringLiteral("name"), &Shape::name, &Shape::setName)
        .property(QStringLiteral("width"), &Shape::width, &Shape::setWidth)
        .method(QStringLiteral("area:"), &Shape::area)
        .method(QStringLiteral("greet:times:"), &Shape::greet)
        .protocol(QStringLiteral("PWXSymbolMasterClient"))
        .initializer([] { ++initializerRuns; });
}

PF_DEFINE_CLASS(Circle, Shape) {}
PF_DEFINE_CLASS(Abstract, pf::Object) {}

TEST(ObjectRuntime, ClassesAreFoundByNameWithTheirSuperclassChain)
{
    pf::Class* circle = pf::classNamed(QStringLiteral("Circle"));
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(circle, &Circle::staticClass());
    EXPECT_EQ(circle->hierarchyNames(), (QStringList{"Circle", "Shape", "pf::Object", "pf::Reflective"}));
    EXPECT_TRUE(circle->isSubclassOf(Shape::staticClass()));
    EXPECT_FALSE(Shape::staticClass().isSubclassOf(Circle::staticClass()));
    EXPECT_EQ(pf::classNamed(QStringLiteral("NoSuchClass")), nullptr);
}

TEST(ObjectRuntime, FactoriesMakeInstancesOfTheRuntimeClass)
{
    pf::Ref<pf::Object> made = pf::Object::create(QStringLiteral("Circle"));
    ASSERT_TRUE(made);
    EXPECT_EQ(made->className(), QStringLiteral("Circle"));
    EXPECT_TRUE(made->isKindOf<Shape>());
    EXPECT_TRUE(made->isMemberOf(Circle::staticClass()));
    EXPECT_FALSE(made->isMemberOf(Shape::staticClass()));
    // An abstract class cannot be made by name.
    EXPECT_FALSE(Abstract::staticClass().canCreate());
    EXPECT_EQ(pf::Object::create(QStringLiteral("Abstract")), nullptr);
}

TEST(ObjectRuntime, InitializerRunsOnceBeforeFirstUse)
{
    pf::Object::create(QStringLiteral("Circle"));
    pf::Object::create(QStringLiteral("Shape"));
    EXPECT_EQ(initializerRuns, 1);
}

TEST(ObjectRuntime, ProtocolConformanceIsInherited)
{
    auto circle = std::make_shared<Circle>();
    EXPECT_TRUE(circle->conformsTo(QStringLiteral("PWXSymbolMasterClient")));
    EXPECT_FALSE(circle->conformsTo(QStringLiteral("RVProgressDelegate")));
}

TEST(ObjectRuntime, RespondsToAndPerformBySelector)
{
    auto shape = std::make_shared<Circle>();
    struct Case { const char* selector; bool responds; };
    for (const Case& c : {Case{"area:", true}, Case{"greet:times:", true}, Case{"name", true},
                          Case{"setName:", true}, Case{"setWidth:", true}, Case{"setArea:", false},
                          Case{"draw", false}, Case{"setNothing:", false}}) {
        EXPECT_EQ(shape->respondsTo(QString::fromLatin1(c.selector)), c.responds) << c.selector;
    }
    shape->perform(QStringLiteral("setWidth:"), {QVariant(3.0)});
    EXPECT_EQ(shape->width(), 3.0);
    EXPECT_EQ(shape->perform(QStringLiteral("area:"), {QVariant(4)}).toInt(), 12);
    EXPECT_EQ(shape->perform(QStringLiteral("greet:times:"), {QStringLiteral("ab"), 2}).toString(), QStringLiteral("abab"));
    EXPECT_THROW(shape->perform(QStringLiteral("draw")), pf::InvalidArgumentException);
}

TEST(ObjectRuntime, ExtensionsAddOperationsToExistingClasses)
{
    Shape::staticClass().addMethod(QStringLiteral("displayName"), [](pf::Reflective& self, const QVariantList&) {
        return QVariant(QStringLiteral("Shape ") + static_cast<Shape&>(self).name());
    });
    auto circle = std::make_shared<Circle>();
    circle->setName(QStringLiteral("one"));
    EXPECT_TRUE(circle->respondsTo(QStringLiteral("displayName")));
    EXPECT_EQ(circle->perform(QStringLiteral("displayName")).toString(), QStringLiteral("Shape one"));
    // Reached by key as well, as an operation named like the key.
    EXPECT_EQ(circle->valueForKey(QStringLiteral("displayName")).toString(), QStringLiteral("Shape one"));
}

TEST(ObjectRuntime, ObjectsTravelInVariantsAndCastBack)
{
    pf::Ref<Circle> circle = std::make_shared<Circle>();
    const QVariant v = pf::toVariant(circle);
    EXPECT_EQ(pf::objectCast<Shape>(v), circle);
    EXPECT_EQ(pf::objectCast<Abstract>(v), nullptr);
    EXPECT_FALSE(pf::toVariant(pf::Ref<Circle>()).isValid());
    EXPECT_TRUE(pf::isEqual(v, pf::toVariant(circle)));
    EXPECT_FALSE(pf::isEqual(v, pf::toVariant(std::make_shared<Circle>())));
}

TEST(ObjectRuntime, LivenessTokenExpiresWithTheObject)
{
    std::weak_ptr<void> token;
    {
        auto circle = std::make_shared<Circle>();
        token = circle->livenessToken();
        EXPECT_FALSE(token.expired());
    }
    EXPECT_TRUE(token.expired());
}

TEST(Values, MarkersAreDistinctAndEqualToThemselves)
{
    const QList<QVariant> markers{pf::multipleValuesMarker(), pf::notApplicableMarker(),
                                  pf::noSelectionMarker(), pf::null()};
    for (qsizetype i = 0; i < markers.size(); ++i) {
        EXPECT_TRUE(pf::isMarker(markers[i]));
        for (qsizetype j = 0; j < markers.size(); ++j)
            EXPECT_EQ(pf::isEqual(markers[i], markers[j]), i == j) << i << " " << j;
    }
    EXPECT_TRUE(pf::isMultipleValuesMarker(pf::multipleValuesMarker()));
    EXPECT_FALSE(pf::isMarker(QVariant(0)));
    EXPECT_FALSE(pf::isMarker(QVariant()));
}

TEST(Values, NumbersCompareByValueAcrossWidths)
{
    struct Case { QVariant a, b; bool equal; };
    const Case cases[] = {
        {QVariant(1), QVariant(qlonglong(1)), true},
        {QVariant(1), QVariant(1.0), true},
        {QVariant(1.5f), QVariant(1.5), true},
        {QVariant(true), QVariant(1), true},
        {QVariant(qulonglong(std::numeric_limits<qulonglong>::max())), QVariant(qlonglong(-1)), false},
        {QVariant(2), QVariant(QStringLiteral("2")), false},
        {QVariant(QVariantList{1, 2}), QVariant(QVariantList{1.0, 2.0}), true},
        {QVariant(QVariantMap{{"a", 1}}), QVariant(QVariantMap{{"a", 1.0}}), true},
        {QVariant(), QVariant(), true},
        {QVariant(), pf::null(), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pf::isEqual(c.a, c.b), c.equal) << qPrintable(pf::describe(c.a)) << " vs " << qPrintable(pf::describe(c.b));
}

TEST(Values, BooleansReadFromStoredTexts)
{
    struct Case { QVariant value; bool expected; };
    for (const Case& c : {Case{QStringLiteral("YES"), true}, Case{QStringLiteral("yes"), true},
                          Case{QStringLiteral("true"), true}, Case{QStringLiteral("1"), true},
                          Case{QStringLiteral("NO"), false}, Case{QStringLiteral("0"), false},
                          Case{QString(), false}, Case{QVariant(2), true}, Case{QVariant(0.1), true},
                          Case{QVariant(0.0), false}, Case{QVariant(), false},
                          Case{pf::null(), false}}) {
        EXPECT_EQ(pf::variantToBool(c.value), c.expected) << qPrintable(pf::describe(c.value));
    }
}

TEST(Values, IndexSetsMergeAndSplitRanges)
{
    pf::IndexSet set;
    set.addRange(5, 3);   // 5 6 7
    set.addRange(1, 2);   // 1 2
    set.add(3);           // joins 1..3
    set.add(4);           // joins everything 1..7
    EXPECT_EQ(set.ranges().size(), 1);
    EXPECT_EQ(set.count(), 7);
    set.remove(4);
    EXPECT_EQ(set.toList(), (QList<qint64>{1, 2, 3, 5, 6, 7}));
    EXPECT_TRUE(set.contains(5));
    EXPECT_FALSE(set.contains(4));
    EXPECT_EQ(set.firstIndex(), 1);
    EXPECT_EQ(set.lastIndex(), 7);
    EXPECT_EQ(pf::IndexSet().firstIndex(), pf::kNotFound);
}

TEST(Assertions, RaiseWithFileAndLine)
{
    try {
        PF_ASSERT(1 + 1 == 3, "arithmetic is %s", "broken");
        FAIL() << "did not raise";
    } catch (const pf::InternalInconsistencyException& e) {
        EXPECT_EQ(e.reason(), QStringLiteral("arithmetic is broken"));
        EXPECT_EQ(e.userInfo().value(pf::kPFExceptionFileKey).toString(), QStringLiteral("ObjectRuntimeTest.cpp"));
        EXPECT_GT(e.userInfo().value(pf::kPFExceptionLineKey).toInt(), 0);
    }
    int* pointer = nullptr;
    EXPECT_THROW(PF_PARAMETER_ASSERT(pointer != nullptr), pf::InvalidArgumentException);
}
