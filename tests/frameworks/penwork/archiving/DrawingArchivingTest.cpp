#include "ArchivingTestSupport.h"

#include "frameworks/penwork/archiving/PWClassObject.h"
#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/archiving/PWErrors.h"
#include "frameworks/penwork/archiving/PWUnarchivingHelper.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QThread>

#include <atomic>
#include <cmath>
#include <thread>

using namespace archivingtest;

namespace {

// A helper that records the order of events and maps one invented class name.
class RecordingHelper : public PWUnarchivingHelper {
    PF_CLASS(RecordingHelper)
public:
    static inline QStringList* events = nullptr;
    void unarchiverWillStart(pf::KeyedUnarchiver&) override { record(QStringLiteral("willStart")); }
    void unarchiverDidFinish(pf::KeyedUnarchiver&) override { record(QStringLiteral("didFinish")); }
    pf::Class* cannotDecodeObjectOfClassName(pf::KeyedUnarchiver&, const QString& name, const QStringList&) override
    {
        record(QStringLiteral("cannotDecode:") + name);
        return name == QLatin1String("PWXMystery") ? &PWDrawableShape::staticClass() : nullptr;
    }

private:
    void record(const QString& event)
    {
        if (events)
            events->append(event);
    }
};

} // namespace

PF_DEFINE_CLASS(RecordingHelper, PWUnarchivingHelper) {}

namespace {

// Observes the dearchiving notification while it lives.
struct DearchivingObserver {
    explicit DearchivingObserver(std::function<void(const pf::Notification&)> handler)
    {
        token = pf::NotificationCenter::defaultCenter().addObserver(
            kPWDrawingWillBeginDearchiving, PWClassObject::forClass(PWDrawing::staticClass()), std::move(handler));
    }
    ~DearchivingObserver() { pf::NotificationCenter::defaultCenter().removeObserver(token); }
    quint64 token = 0;
};

// Uses `helperClass` for reads while it lives.
struct HelperClassScope {
    explicit HelperClassScope(const QString& name) { PWDrawing::setDearchivingHelperClass(name); }
    ~HelperClassScope() { PWDrawing::setDearchivingHelperClass(QString()); }
};

// A drawing archive written with some classes under other names.
QByteArray archiveWithClassNames(const pf::Ref<PWDrawing>& drawing, const QList<QPair<QString, const pf::Class*>>& names)
{
    pf::KeyedArchiver archiver;
    for (const auto& [name, cls] : names)
        archiver.setClassNameForClass(name, *cls);
    archiver.encodeInt64(qint64(PWDrawingArchiving::countOfElements(*drawing)), PWDrawingArchiving::kElementCountKey);
    archiver.encodeObject(drawing, pf::KeyedArchiver::kRootKey);
    return archiver.encodedData();
}

pf::Ref<PWDrawing> drawingWith(const QList<pf::Ref<PWDrawableObject>>& objects)
{
    auto drawing = std::make_shared<PWDrawing>();
    auto layer = std::make_shared<PWObjectDrawingLayer>();
    drawing->addLayer(layer);
    layer->addObjectsFromArray(objects);
    return drawing;
}

QStringList objectClasses(const PWObjectOwnerLayer& layer)
{
    QStringList names;
    for (const auto& object : layer.objects())
        names << object->className();
    return names;
}

} // namespace

class PWOutArchivingRoundTrip : public ::testing::TestWithParam<pf::PropertyListFormat> {};

TEST_P(PWOutArchivingRoundTrip, KeepsLayersObjectsAndSharedStyles)
{
    const pf::Ref<PWDrawing> original = richDrawing();
    pf::Error error;
    const QByteArray data = PWDrawingArchiving::dataWithDrawing(original, GetParam(), &error);
    ASSERT_FALSE(data.isEmpty()) << qPrintable(error.description());
    EXPECT_EQ(data.startsWith("bplist00"), GetParam() == pf::PropertyListFormat::Binary);
    EXPECT_EQ(data.startsWith("<?xml"), GetParam() == pf::PropertyListFormat::XML);

    const pf::Ref<PWDrawing> copy = PWDrawingArchiving::drawingWithData(data, &error);
    ASSERT_TRUE(copy) << qPrintable(error.description());
    EXPECT_EQ(copy->drawingSize(), QSizeF(500, 450));
    EXPECT_EQ(layerOutline(*copy), layerOutline(*original));
    ASSERT_TRUE(copy->activeLayer());
    EXPECT_EQ(copy->activeLayer()->layerName(), QStringLiteral("Shapes"));

    const auto before = layerNamed(*original, QStringLiteral("Shapes"));
    const auto after = layerNamed(*copy, QStringLiteral("Shapes"));
    ASSERT_TRUE(after);
    EXPECT_EQ(objectClasses(*after), objectClasses(*before));
    for (size_t i = 0; i < before->objects().size(); ++i) {
        SCOPED_TRACE(before->objects()[i]->className().toStdString());
        EXPECT_EQ(after->objects()[i]->location(), before->objects()[i]->location());
        EXPECT_EQ(after->objects()[i]->size(), before->objects()[i]->size());
    }
    // The two objects that shared a style still share one, with the same look and key.
    const auto& objects = after->objects();
    ASSERT_TRUE(objects[0]->style());
    EXPECT_EQ(objects[0]->style(), objects[1]->style());
    EXPECT_EQ(objects[0]->style()->uniqueKey(), before->objects()[0]->style()->uniqueKey());
    EXPECT_TRUE(objects[0]->style()->isEqualToStyle(before->objects()[0]->style().get()));
    EXPECT_EQ(std::static_pointer_cast<PWTextShape>(objects[4])->text(), QStringLiteral("Hello"));
    EXPECT_EQ(std::static_pointer_cast<PWTextPath>(objects[5])->text(), QStringLiteral("Along"));
    EXPECT_EQ(std::static_pointer_cast<PWImageShape>(objects[6])->imageData(),
              std::static_pointer_cast<PWImageShape>(before->objects()[6])->imageData());
    EXPECT_EQ(std::static_pointer_cast<PWShapeGroup>(objects[3])->countOfMembers(), 2);
    EXPECT_EQ(layerNamed(*copy, QStringLiteral("Inner"))->countOfObjects(), 1);
}

INSTANTIATE_TEST_SUITE_P(Forms, PWOutArchivingRoundTrip,
                         ::testing::Values(pf::PropertyListFormat::Binary, pf::PropertyListFormat::XML));

TEST(PWOutArchiving, ReadsRetiredClassNamesThroughTheAliases)
{
    struct Case {
        QString archivedName;
        const pf::Class* archivedClass;
        QString expected;
    };
    const QList<Case> cases{{QStringLiteral("PWXLabelShape"), &PWDrawableShape::staticClass(), QStringLiteral("PWDrawableShape")},
                            {QStringLiteral("PWXLabelledShape"), &PWDrawableShape::staticClass(), QStringLiteral("PWDrawableShape")},
                            {QStringLiteral("PWXTrack"), &PWDrawablePath::staticClass(), QStringLiteral("PWDrawablePath")}};
    auto line = pf::BezierPath::path();
    line->moveTo({0, 0});
    line->lineTo({10, 10});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.archivedName.toStdString());
        auto object = c.archivedClass == &PWDrawablePath::staticClass()
            ? pf::Ref<PWDrawableObject>(PWDrawablePath::drawablePathWithPath(*line))
            : pf::Ref<PWDrawableObject>(PWDrawableShape::drawableShapeWithRect({1, 2, 3, 4}));
        const QByteArray data = archiveWithClassNames(drawingWith({object}), {{c.archivedName, c.archivedClass}});
        ASSERT_TRUE(data.contains(c.archivedName.toUtf8()));
        pf::Error error;
        const auto drawing = PWDrawingArchiving::drawingWithData(data, &error);
        ASSERT_TRUE(drawing) << qPrintable(error.description());
        const auto layer = std::dynamic_pointer_cast<PWObjectOwnerLayer>(drawing->layers().front());
        EXPECT_EQ(objectClasses(*layer), QStringList{c.expected});
        EXPECT_EQ(layer->objects().front()->location(), object->location());
    }
}

TEST(PWOutArchiving, OldGradientFillNameReadsAsTheGradientFillWhenThereIsOne)
{
    auto style = PWStyle::styleWithFillColour(pf::Color::blue(), pf::Color());
    const QByteArray data = archiveWithClassNames(drawingWith({PWDrawableShape::drawableShapeWithRect({0, 0, 5, 5}, style)}),
                                                  {{QStringLiteral("PWXGradientFill"), &PWFill::staticClass()}});
    pf::Error error;
    const auto drawing = PWDrawingArchiving::drawingWithData(data, &error);
    if (pf::Class::named(QStringLiteral("PWGradientFill"))) {
        ASSERT_TRUE(drawing) << qPrintable(error.description());
    } else {
        // Without the class the name stands for nothing: a clear failure, not a fill of another kind.
        EXPECT_FALSE(drawing);
        EXPECT_EQ(error.domain(), kPWErrorDomain);
        EXPECT_EQ(error.code(), kPWErrorDrawingUnreadable);
    }
}

TEST(PWOutArchiving, NotificationHooksAndCountersComeInOrder)
{
    const pf::Ref<PWDrawing> original = richDrawing();
    const QByteArray data = PWDrawingArchiving::dataWithDrawing(original);
    const quint64 elements = PWDrawingArchiving::countOfElements(*original);
    EXPECT_EQ(elements, 1u + 5u + 11u + 2u + 1u); // drawing, layers, objects, group members, inner object

    QStringList events;
    RecordingHelper::events = &events;
    HelperClassScope scope(QStringLiteral("RecordingHelper"));
    pf::Ref<PWUnarchivingHelper> seenHelper;
    DearchivingObserver observer([&](const pf::Notification& n) {
        events << QStringLiteral("notification");
        seenHelper = pf::objectCast<PWUnarchivingHelper>(n.userInfo.value(QStringLiteral("Helper")));
        EXPECT_EQ(n.userInfo.value(QStringLiteral("Data")).toByteArray().constData(), data.constData());
        EXPECT_EQ(n.userInfo.value(QStringLiteral("NumberOfObjects")).toULongLong(), elements);
        ASSERT_TRUE(seenHelper);
        EXPECT_EQ(seenHelper->numberOfObjectsDecoded(), 0u);
    });
    pf::Error error;
    const auto copy = PWDrawingArchiving::drawingWithData(data, &error);
    RecordingHelper::events = nullptr;
    ASSERT_TRUE(copy) << qPrintable(error.description());
    EXPECT_EQ(events, (QStringList{"notification", "willStart", "didFinish"}));
    ASSERT_TRUE(seenHelper);
    EXPECT_TRUE(seenHelper->isKindOf(RecordingHelper::staticClass()));
    EXPECT_EQ(seenHelper->totalNumberOfObjects(), elements);
    EXPECT_EQ(seenHelper->numberOfObjectsDecoded(), elements);
}

TEST(PWOutArchiving, HelperSubstitutesClassesTheAliasesDoNotKnow)
{
    const QByteArray data = archiveWithClassNames(drawingWith({PWDrawableShape::drawableShapeWithRect({0, 0, 5, 5})}),
                                                  {{QStringLiteral("PWXMystery"), &PWDrawableShape::staticClass()}});
    pf::Error error;
    EXPECT_FALSE(PWDrawingArchiving::drawingWithData(data, &error)) << "the framework's helper maps nothing";
    EXPECT_EQ(error.code(), kPWErrorDrawingUnreadable);

    QStringList events;
    RecordingHelper::events = &events;
    const auto drawing = PWDrawingArchiving::drawingWithData(data, std::make_shared<RecordingHelper>(), &error);
    RecordingHelper::events = nullptr;
    ASSERT_TRUE(drawing) << qPrintable(error.description());
    EXPECT_TRUE(events.contains(QStringLiteral("cannotDecode:PWXMystery")));
    const auto layer = std::dynamic_pointer_cast<PWObjectOwnerLayer>(drawing->layers().front());
    EXPECT_EQ(objectClasses(*layer), QStringList{QStringLiteral("PWDrawableShape")});
}

TEST(PWOutArchiving, HelperClassThatIsNoHelperFallsBackToTheFrameworksOwn)
{
    HelperClassScope scope(QStringLiteral("PWDrawableShape"));
    EXPECT_TRUE(PWUnarchivingHelper::makeHelperForRead()->isMemberOf(PWUnarchivingHelper::staticClass()));
    EXPECT_TRUE(PWDrawingArchiving::drawingWithData(PWDrawingArchiving::dataWithDrawing(richDrawing())));
}

TEST(PWOutArchiving, CancellingFromTheNotificationFailsTheRead)
{
    DearchivingObserver observer([](const pf::Notification& n) {
        pf::objectCast<PWUnarchivingHelper>(n.userInfo.value(QStringLiteral("Helper")))->setCancelled(true);
    });
    pf::Error error;
    EXPECT_FALSE(PWDrawingArchiving::drawingWithData(PWDrawingArchiving::dataWithDrawing(richDrawing()), &error));
    EXPECT_EQ(error.domain(), kPWErrorDomain);
    EXPECT_EQ(error.code(), kPWErrorDrawingReadCancelled);
}

TEST(PWOutArchiving, CancellingFromAnotherThreadStopsADecodeUnderWay)
{
    // A drawing large enough that decoding is still running when the watcher sees progress.
    QList<pf::Ref<PWDrawableObject>> objects;
    for (int i = 0; i < 20000; ++i)
        objects << PWDrawableShape::drawableShapeWithRect({double(i % 500), double(i / 500), 3, 3});
    const QByteArray data = PWDrawingArchiving::dataWithDrawing(drawingWith(objects));

    auto helper = std::make_shared<PWUnarchivingHelper>();
    std::atomic<bool> notifiedOnWorker{false};
    const std::thread::id mainThread = std::this_thread::get_id();
    DearchivingObserver observer([&](const pf::Notification&) {
        notifiedOnWorker = std::this_thread::get_id() != mainThread;
    });
    pf::Ref<PWDrawing> result;
    pf::Error error;
    std::atomic<bool> done{false};
    std::thread reader([&] {
        result = PWDrawingArchiving::drawingWithData(data, helper, &error);
        done = true;
    });
    while (!done && helper->numberOfObjectsDecoded() == 0)
        std::this_thread::yield();
    helper->setCancelled(true);
    reader.join();
    EXPECT_TRUE(notifiedOnWorker);
    EXPECT_FALSE(result);
    EXPECT_EQ(error.code(), kPWErrorDrawingReadCancelled);
    EXPECT_LT(helper->numberOfObjectsDecoded(), 20000u);
}

TEST(PWOutArchiving, DamagedDataGivesAnErrorAndNoDrawing)
{
    const QByteArray good = PWDrawingArchiving::dataWithDrawing(richDrawing());
    const QByteArray styleArchive = pf::KeyedArchiver::archivedData(redStyle());
    const QByteArray plainList = pf::PropertyList::data(QVariantList{1, 2, 3}, pf::PropertyListFormat::Binary);
    const QList<QPair<const char*, QByteArray>> cases{
        {"empty", QByteArray()},
        {"truncated", good.left(good.size() / 2)},
        {"garbage", QByteArray("not an archive at all, just words")},
        {"trailer cut off", good.left(good.size() - 10)},
        {"truncated XML", [] {
             const QByteArray xml = PWDrawingArchiving::dataWithDrawing(richDrawing(), pf::PropertyListFormat::XML);
             return xml.left(xml.size() / 2);
         }()},
        {"wrong root class", styleArchive},
        {"property list that is no archive", plainList},
    };
    for (const auto& [name, data] : cases) {
        SCOPED_TRACE(name);
        pf::Error error;
        EXPECT_FALSE(PWDrawingArchiving::drawingWithData(data, &error));
        EXPECT_EQ(error.domain(), kPWErrorDomain);
        EXPECT_FALSE(error.localizedDescription().isEmpty());
    }
}

TEST(PWOutArchiving, NonFiniteSizesReadAsSafeValues)
{
    const QByteArray good = PWDrawingArchiving::dataWithDrawing(drawingWith({PWDrawableShape::drawableShapeWithRect({1, 1, 5, 5})}));
    QVariantMap plist = pf::PropertyList::value(good).toMap();
    QVariantList objects = plist.value(QStringLiteral("$objects")).toList();
    const double nan = std::nan("");
    int replaced = 0;
    for (QVariant& entry : objects) {
        QVariantMap fields = entry.toMap();
        for (const QString key : {QStringLiteral("pw_drawing_size"), QStringLiteral("pw_drawable_size"),
                                  QStringLiteral("pw_drawable_location")})
            if (fields.contains(key)) {
                fields.insert(key, QVariantList{nan, std::numeric_limits<double>::infinity()});
                ++replaced;
            }
        if (!fields.isEmpty())
            entry = fields;
    }
    ASSERT_EQ(replaced, 3);
    plist.insert(QStringLiteral("$objects"), objects);
    const QByteArray damaged = pf::PropertyList::data(plist, pf::PropertyListFormat::Binary);
    ASSERT_FALSE(damaged.isEmpty());

    pf::Error error;
    const auto drawing = PWDrawingArchiving::drawingWithData(damaged, &error);
    ASSERT_TRUE(drawing) << qPrintable(error.description());
    EXPECT_TRUE(std::isfinite(drawing->drawingSize().width()) && std::isfinite(drawing->drawingSize().height()));
    const auto& object = std::dynamic_pointer_cast<PWObjectOwnerLayer>(drawing->layers().front())->objects().front();
    EXPECT_TRUE(std::isfinite(object->size().width()) && std::isfinite(object->location().x()));
    EXPECT_TRUE(std::isfinite(object->bounds().width()));
}

TEST(PWOutArchiving, ObjectListsRoundTripAndFilterByClass)
{
    const QByteArray data = PWDrawingArchiving::dataWithObjects(
        {PWDrawableShape::drawableShapeWithRect({0, 0, 4, 4}), redStyle(), PWDrawableShape::drawableShapeWithRect({9, 9, 1, 1})});
    ASSERT_FALSE(data.isEmpty());
    const auto shapes = PWDrawingArchiving::objectsWithData(data, PWDrawableObject::staticClass());
    ASSERT_EQ(shapes.size(), 2);
    EXPECT_EQ(std::static_pointer_cast<PWDrawableObject>(shapes[1])->location(), QPointF(9.5, 9.5));
    pf::Error error;
    EXPECT_TRUE(PWDrawingArchiving::objectsWithData(data.left(30), PWDrawableObject::staticClass(), &error).isEmpty());
    EXPECT_EQ(error.domain(), kPWErrorDomain);
}

// The fixture was saved (after a first save and open, so that it is what an opened drawing
// saves) before reading and writing were made faster, and saved again once the shared image
// data came to be written from the drawing's images rather than from live counts (an opened
// drawing had written none): it must read as it was written and save again to the very same
// bytes, so that files move freely between versions.
TEST(PWOutArchiving, DrawingSavedByTheEarlierCodeReadsAndSavesToTheSameBytes)
{
    QFile file(quillory::test::fixturePath(QStringLiteral("drawings/rich-drawing.quillory")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    pf::Error error;
    const pf::Ref<PWDrawing> drawing = PWDrawingArchiving::drawingWithData(saved, &error);
    ASSERT_TRUE(drawing) << qPrintable(error.description());

    const auto layer = layerNamed(*drawing, QStringLiteral("Shapes"));
    ASSERT_TRUE(layer);
    ASSERT_EQ(layer->objects().size(), everyObjectKind().size());
    const QVariantMap info = layer->objects()[2]->userInfo();
    EXPECT_EQ(info.value(QStringLiteral("note")).toString(), QStringLiteral("Grüße, 東京 🚲"));
    EXPECT_EQ(info.value(QStringLiteral("$dollar")).toLongLong(), -42);
    EXPECT_EQ(info.value(QStringLiteral("big")).toLongLong(), qlonglong(1) << 40);
    EXPECT_EQ(info.value(QStringLiteral("list")).toList(), (QVariantList{1.5, true, QByteArray("\x01\x02", 2)}));
    EXPECT_EQ(info.value(QStringLiteral("when")).toDateTime(), QDateTime::fromMSecsSinceEpoch(1234567890123, Qt::UTC));
    EXPECT_EQ(layer->objects()[0]->metadata().value(QStringLiteral("nested")).toMap().value(QStringLiteral("a")), 1);

    EXPECT_EQ(PWDrawingArchiving::dataWithDrawing(drawing), saved);
}
