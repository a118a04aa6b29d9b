#include "app/PrintInfo+MarginsThatWork.h"
#include "app/Reflective+RuntimeEnhancements.h"
#include "app/Variant+RVKVOExtensions.h"
#include "app/VariantMap+RVUtilities.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Color.h"
#include "platform/ui/ButtonCell.h"
#include "platform/ui/ColorWell.h"
#include "platform/ui/Matrix.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/TextField.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <gtest/gtest.h>

namespace {

using pf::Ref;

// A small model object: a title, a count, a size and a child reached by key path.
class Settings : public pf::Object {
    PF_CLASS(Settings)
public:
    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    int count() const { return m_count; }
    void setCount(int count) { m_count = count; }
    QSizeF size() const { return m_size; }
    void setSize(const QSizeF& size) { m_size = size; }
    Ref<Settings> child() const { return m_child; }
    void setChild(const Ref<Settings>& child) { m_child = child; }

private:
    QString m_title;
    int m_count = 0;
    QSizeF m_size;
    Ref<Settings> m_child;
};

} // namespace

PF_DEFINE_CLASS_NAMED(Settings, pf::Object, "FoundationExtensionsTestSettings")
{
    b.property("title", &Settings::title, &Settings::setTitle);
    b.property("count", &Settings::count, &Settings::setCount);
    b.property("size", &Settings::size, &Settings::setSize);
    b.property("child", &Settings::child, &Settings::setChild);
}

namespace {

Ref<Settings> settings(const QString& title, int count)
{
    auto made = std::make_shared<Settings>();
    made->setTitle(title);
    made->setCount(count);
    made->setSize(QSizeF(3, 4));
    return made;
}

TEST(DictionaryUtilities, ValuesGoIntoTheDictionaryByKeyOrKeyPath)
{
    auto object = settings(QStringLiteral("Sheet"), 7);
    object->setChild(settings(QStringLiteral("Inner"), 2));
    QVariantMap dictionary{{QStringLiteral("stale"), 1}};
    takeValueFromObjectForKey(dictionary, object.get(), QStringLiteral("title"));
    takeValueFromObjectForKey(dictionary, object.get(), QStringLiteral("count"), QStringLiteral("kCount"));
    takeValueFromObjectForKeyPath(dictionary, object.get(), QStringLiteral("child.title"));
    takeValueFromObjectForKeyPath(dictionary, object.get(), QStringLiteral("child.count"), QStringLiteral("kInner"));
    const QStringList paths{QStringLiteral("size"), QStringLiteral("child.size")};
    takeValuesFromObject(dictionary, object.get(), &paths);
    setBoolValue(dictionary, true, QStringLiteral("b"));
    setIntValue(dictionary, -3, QStringLiteral("i"));
    setFloatValue(dictionary, 0.25, QStringLiteral("f"));
    takeValueFromObjectForKey(dictionary, nullptr, QStringLiteral("stale"));

    const QVariantMap expected{{QStringLiteral("title"), QStringLiteral("Sheet")},
                               {QStringLiteral("kCount"), 7},
                               {QStringLiteral("child.title"), QStringLiteral("Inner")},
                               {QStringLiteral("kInner"), 2},
                               {QStringLiteral("size"), QSizeF(3, 4)},
                               {QStringLiteral("child.size"), QSizeF(3, 4)},
                               {QStringLiteral("b"), true},
                               {QStringLiteral("i"), -3},
                               {QStringLiteral("f"), 0.25}};
    EXPECT_EQ(dictionary, expected) << "a missing value takes the entry out";
}

TEST(DictionaryUtilities, ValuesComeBackIntoTheObject)
{
    auto object = settings(QString(), 0);
    object->setChild(settings(QString(), 0));
    const QVariantMap dictionary{{QStringLiteral("title"), QStringLiteral("Top")},
                                 {QStringLiteral("kCount"), 9},
                                 {QStringLiteral("child.title"), QStringLiteral("Below")},
                                 {QStringLiteral("kInner"), 4}};
    setValueOfObjectForKey(dictionary, object.get(), QStringLiteral("title"));
    setValueOfObjectForKey(dictionary, object.get(), QStringLiteral("count"), QStringLiteral("kCount"));
    setValueOfObjectForKeyPath(dictionary, object.get(), QStringLiteral("child.title"));
    setValueOfObjectForKeyPath(dictionary, object.get(), QStringLiteral("child.count"), QStringLiteral("kInner"));
    EXPECT_EQ(object->title(), QStringLiteral("Top"));
    EXPECT_EQ(object->count(), 9);
    EXPECT_EQ(object->child()->title(), QStringLiteral("Below"));
    EXPECT_EQ(object->child()->count(), 4);

    auto all = settings(QString(), 0);
    all->setChild(settings(QString(), 0));
    setAllValuesOfObject({{QStringLiteral("count"), 5}, {QStringLiteral("child.title"), QStringLiteral("Deep")}}, all.get());
    EXPECT_EQ(all->count(), 5);
    EXPECT_EQ(all->child()->title(), QStringLiteral("Deep"));
    setValueOfObjectForKey(dictionary, nullptr, QStringLiteral("title")); // nothing to set
}

TEST(DictionaryUtilities, NullKeysAreProgrammingErrors)
{
    QVariantMap dictionary;
    auto object = settings(QString(), 0);
    const QString none;
    const QString key = QStringLiteral("title");
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { takeValueFromObjectForKey(dictionary, object.get(), none); }, "object key was nil"},
        {[&] { takeValueFromObjectForKey(dictionary, object.get(), key, none); }, "dictionary key was nil"},
        {[&] { takeValueFromObjectForKeyPath(dictionary, object.get(), none); }, "object key path was nil"},
        {[&] { takeValueFromObjectForKeyPath(dictionary, object.get(), key, none); }, "dictionary key was nil"},
        {[&] { takeValuesFromObject(dictionary, object.get(), nullptr); }, "array of keypaths was nil"},
        {[&] { setValueOfObjectForKey(dictionary, object.get(), none); }, "key was nil"},
        {[&] { setValueOfObjectForKey(dictionary, object.get(), key, none); }, "dictionary key was nil"},
        {[&] { setValueOfObjectForKeyPath(dictionary, object.get(), none); }, "object key path was nil"},
        {[&] { setValuesOfObject(dictionary, object.get(), nullptr); }, "array of keypaths was nil"},
    };
    for (const auto& [call, text] : cases) {
        try {
            call();
            ADD_FAILURE() << "no assertion: " << text;
        } catch (const pf::Exception& exception) {
            EXPECT_TRUE(exception.reason().contains(QString::fromLatin1(text))) << qPrintable(exception.reason());
        }
    }
}

TEST(DictionaryUtilities, ControlsTakeTheirValuesWhenTheyAnswer)
{
    const QVariantMap dictionary{{QStringLiteral("text"), QStringLiteral("12 pt")},
                                 {QStringLiteral("colour"), pf::toVariant(std::make_shared<pf::Color>(QColor(Qt::red)))},
                                 {QStringLiteral("tag"), 7},
                                 {QStringLiteral("index"), 1},
                                 {QStringLiteral("unit"), QStringLiteral("cm")}};
    pf::TextField field;
    setObjectValueOfObject(dictionary, &field, QStringLiteral("text"));
    EXPECT_EQ(field.stringValue(), QStringLiteral("12 pt"));
    setObjectValueOfObject(dictionary, nullptr, QStringLiteral("text"));

    pf::ColorWell well;
    setColourOfObject(dictionary, &well, QStringLiteral("colour"));
    EXPECT_EQ(well.color().qColor(), QColor(Qt::red));

    pf::PopUpButton popUp;
    for (const char* title : {"in", "cm", "mm"}) {
        pf::MenuItem* item = popUp.addItemWithTitle(QString::fromLatin1(title));
        item->setRepresentedObject(QString::fromLatin1(title));
        item->setTag(popUp.numberOfItems() == 3 ? 7 : 0);
    }
    selectTaggedItemOfObject(dictionary, &popUp, QStringLiteral("tag"));
    EXPECT_EQ(popUp.indexOfSelectedItem(), 2);
    selectItemOfObjectWithRepresentedObjectForKey(dictionary, &popUp, QStringLiteral("unit"));
    EXPECT_EQ(popUp.indexOfSelectedItem(), 1);
    selectItemOfObjectWithRepresentedObjectForKey({{QStringLiteral("unit"), QStringLiteral("ft")}}, &popUp,
                                                  QStringLiteral("unit"));
    EXPECT_EQ(popUp.indexOfSelectedItem(), 1) << "no item has it";
    selectIndexedItemOfObject(dictionary, &popUp, QStringLiteral("index"));
    EXPECT_EQ(popUp.indexOfSelectedItem(), 1);
    selectIndexedItemOfObject({{QStringLiteral("index"), 0}}, &popUp, QStringLiteral("index"));
    EXPECT_EQ(popUp.indexOfSelectedItem(), 0);

    // A matrix has no items: its cell with the tag is selected.
    pf::Matrix matrix(1, 3);
    for (int i = 0; i < 3; ++i)
        matrix.cellAtRow(0, i)->setTag(5 + i);
    selectTaggedItemOfObject(dictionary, &matrix, QStringLiteral("tag"));
    EXPECT_EQ(matrix.selectedColumn(), 2);
}

TEST(PaperMargins, ThePrintableAreaGivesTheMargins)
{
    // Paper 612 x 792 with a printable area 18 points in on every side.
    const QRectF paper(0, 0, 612, 792);
    EXPECT_EQ(paperMarginsBetween(paper.adjusted(18, 18, -18, -18), paper), (QList<double>{18, 18, 18, 18}));
    // Top, left, bottom, right, each from its own edge.
    EXPECT_EQ(paperMarginsBetween(QRectF(10, 20, 612 - 10 - 30, 792 - 20 - 40), paper), (QList<double>{20, 10, 40, 30}));
    // Without a printer the whole paper prints.
    pf::PrintInfo info;
    EXPECT_EQ(paperMargins(info), (QList<double>{0, 0, 0, 0}));
    EXPECT_EQ(topPaperMargin(info) + leftPaperMargin(info) + bottomPaperMargin(info) + rightPaperMargin(info), 0);
    EXPECT_EQ(StringFromPaperMargins(1, 2.5, 3, 4), QStringLiteral("{T:1.000000,L:2.500000},{B:3.000000,R:4.000000}"));
}

TEST(StructValues, FieldsByKeyCaseInsensitively)
{
    const QVariant point = QPointF(3, 4);
    const QVariant size = QSizeF(5, 6);
    const QVariant rect = QRectF(1, 2, 3, 4);
    struct Read {
        QVariant value;
        const char* key;
        double expected;
    };
    for (const Read& r : {Read{point, "y", 4}, Read{point, "X", 3}, Read{size, "y", 0}, Read{size, "Width", 5},
                          Read{size, "height", 6}, Read{rect, "origin.x", 1}, Read{rect, "Origin.Y", 2},
                          Read{rect, "size.width", 3}, Read{rect, "SIZE.HEIGHT", 4}, Read{rect, "width", 0},
                          Read{QVariant(7), "x", 0}})
        EXPECT_EQ(structValueForKey(r.value, QString::fromLatin1(r.key)), r.expected) << r.key;

    struct Write {
        QVariant value;
        const char* key;
        QVariant expected;
    };
    const QVariant five = 5;
    for (const Write& w : {Write{rect, "Size.Width", QRectF(1, 2, 5, 4)}, Write{rect, "origin.y", QRectF(1, 5, 3, 4)},
                           Write{point, "x", QPointF(5, 4)}, Write{size, "HEIGHT", QSizeF(5, 5)},
                           Write{point, "width", point}, Write{QVariant(QStringLiteral("text")), "x", QStringLiteral("text")}})
        EXPECT_EQ(valueWithStructValue(w.value, five, QString::fromLatin1(w.key)), w.expected) << w.key;

    EXPECT_EQ(typeAsString(point), QStringLiteral("{CGPoint=dd}"));
    EXPECT_EQ(typeAsString(size), QStringLiteral("{CGSize=dd}"));
    EXPECT_EQ(typeAsString(rect), QStringLiteral("{CGRect={CGPoint=dd}{CGSize=dd}}"));
    EXPECT_EQ(typeAsString(QVariant(2.0)), QStringLiteral("d"));
    EXPECT_EQ(typeAsString(QVariant(2)), QStringLiteral("i"));
    EXPECT_TRUE(isTypeCompoundStruct(rect));
    EXPECT_FALSE(isTypeCompoundStruct(QVariant(2.0)));
}

TEST(RuntimeEnhancements, TypesOfOperations)
{
    auto object = settings(QStringLiteral("t"), 1);
    object->setChild(settings(QString(), 0));
    EXPECT_EQ(ownType(*object), QStringLiteral("FoundationExtensionsTestSettings"));
    EXPECT_EQ(returnTypeOfPropertyNamed(*object, QStringLiteral("count")), QStringLiteral("i"));
    EXPECT_EQ(returnTypeOfPropertyNamed(*object, QStringLiteral("size")), QStringLiteral("{CGSize=dd}"));
    EXPECT_EQ(returnTypeOfPropertyNamed(*object, QStringLiteral("child")), QStringLiteral("FoundationExtensionsTestSettings"));
    EXPECT_TRUE(returnTypeOfPropertyNamed(*object, QStringLiteral("nothing")).isNull());
    EXPECT_EQ(typeOfArgumentAtIndex(*object, 0, QStringLiteral("setCount:")), QStringLiteral("@"));
    EXPECT_EQ(typeOfArgumentAtIndex(*object, 1, QStringLiteral("setCount:")), QStringLiteral(":"));
    EXPECT_EQ(typeOfArgumentAtIndex(*object, 2, QStringLiteral("setCount:")), QStringLiteral("i"));
    EXPECT_TRUE(typeOfArgumentAtIndex(*object, 3, QStringLiteral("setCount:")).isNull());
    EXPECT_TRUE(typeOfArgumentAtIndex(*object, 0, QStringLiteral("missing:")).isNull());
    EXPECT_TRUE(propertyNamedReturnsObjectOfClass(*object, QStringLiteral("child"), Settings::staticClass()));
    EXPECT_FALSE(propertyNamedReturnsObjectOfClass(*object, QStringLiteral("title"), Settings::staticClass()));
}

} // namespace
