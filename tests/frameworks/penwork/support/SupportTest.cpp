#include <gtest/gtest.h>

#include "frameworks/penwork/support/PWUniqueID.h"

#include <thread>
#include <vector>
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/support/RVObservableObject.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Markers.h"
#include "tests/support/LogCapture.h"

#include <QSet>
#include <QUuid>

using pf::Ref;

namespace {

// Three generations: the first two extend their lists, the third registers none.
class MeasureShape : public RVObservableObject {
    PF_CLASS(MeasureShape)
public:
    double width() const { return m_width; }
    void setWidth(double width) { m_width = width; }
    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    Ref<pf::Object> child() const { return m_child; }

private:
    double m_width = 3;
    QString m_name = QStringLiteral("plot");
    Ref<pf::Object> m_child;
};

class MeasureFilledShape : public MeasureShape {
    PF_CLASS(MeasureFilledShape)
public:
    QString colour() const { return QStringLiteral("red"); }
};

class MeasureSpecialShape : public MeasureFilledShape {
    PF_CLASS(MeasureSpecialShape)
};

// A separate family for replacing lists, so that the shared registry stays as the other tests
// expect it.
class MeasureRenderer : public RVObservableObject {
    PF_CLASS(MeasureRenderer)
};
class MeasureStroke : public MeasureRenderer {
    PF_CLASS(MeasureStroke)
};

class MeasureObserver : public pf::Object {
    PF_CLASS(MeasureObserver)
public:
    struct Change {
        QString keyPath;
        pf::Reflective* object;
        QVariantMap change;
        void* context;
    };
    std::vector<Change> changes;
    void observeValueForKeyPath(const QString& keyPath, pf::Reflective* object, const QVariantMap& change,
                                void* context) override
    {
        changes.push_back({keyPath, object, change, context});
    }
};

class MeasureUndoTarget : public pf::Object {
    PF_CLASS(MeasureUndoTarget)
public:
    int value = 0;
    int getValue() const { return value; }
    void setValue(int v) { value = v; }
};

// A member function, so that the method log names a class.
struct MeasureLogProbe {
    int line = 0;
    void run()
    {
        line = __LINE__ + 1;
        RVLogObjCMethod("moved %d objects", 3);
    }
};

} // namespace

PF_DEFINE_CLASS(MeasureShape, RVObservableObject)
{
    b.property("width", &MeasureShape::width, &MeasureShape::setWidth);
    b.property("name", &MeasureShape::name, &MeasureShape::setName);
    b.property("child", &MeasureShape::child);
    RVObservableObject::appendObservableKeyPaths(b.cls(), {QStringLiteral("width"), QStringLiteral("name")});
}
PF_DEFINE_CLASS(MeasureFilledShape, MeasureShape)
{
    b.property("colour", &MeasureFilledShape::colour);
    // "name" again: it stays where the superclass put it.
    RVObservableObject::appendObservableKeyPaths(b.cls(), {QStringLiteral("colour"), QStringLiteral("name")});
}
PF_DEFINE_CLASS(MeasureSpecialShape, MeasureFilledShape) {}
PF_DEFINE_CLASS(MeasureRenderer, RVObservableObject)
{
    RVObservableObject::appendObservableKeyPaths(b.cls(), {QStringLiteral("enabled"), QStringLiteral("colour")});
}
PF_DEFINE_CLASS(MeasureStroke, MeasureRenderer)
{
    RVObservableObject::appendObservableKeyPaths(b.cls(), {QStringLiteral("width")});
}
PF_DEFINE_CLASS(MeasureObserver, pf::Object) {}
PF_DEFINE_CLASS(MeasureUndoTarget, pf::Object)
{
    b.property("value", &MeasureUndoTarget::getValue, &MeasureUndoTarget::setValue);
}

TEST(MeasureObservable, SubclassesExtendTheirSuperclassList)
{
    const QStringList shape{QStringLiteral("width"), QStringLiteral("name")};
    const QStringList filled{QStringLiteral("width"), QStringLiteral("name"), QStringLiteral("colour")};
    EXPECT_TRUE(RVObservableObject::observableKeyPaths(RVObservableObject::staticClass()).isEmpty());
    EXPECT_EQ(RVObservableObject::observableKeyPaths(MeasureShape::staticClass()), shape);
    EXPECT_EQ(RVObservableObject::observableKeyPaths(MeasureFilledShape::staticClass()), filled);
    EXPECT_EQ(MeasureSpecialShape().observableKeyPaths(), filled);
    // Through the class table, as the generic inspector asks.
    EXPECT_EQ(MeasureSpecialShape::staticClass().performClassMethod(QStringLiteral("observableKeyPaths")).toStringList(),
              filled);
}

TEST(MeasureObservable, AReplacedListReachesTheSubclassesThatExtendIt)
{
    const pf::Class& renderer = MeasureRenderer::staticClass();
    const pf::Class& stroke = MeasureStroke::staticClass();
    EXPECT_EQ(RVObservableObject::observableKeyPaths(stroke),
              (QStringList{QStringLiteral("enabled"), QStringLiteral("colour"), QStringLiteral("width")}));

    RVObservableObject::setObservableKeyPaths(renderer, {QStringLiteral("opacity")});
    EXPECT_EQ(RVObservableObject::observableKeyPaths(renderer), QStringList{QStringLiteral("opacity")});
    EXPECT_EQ(RVObservableObject::observableKeyPaths(stroke),
              (QStringList{QStringLiteral("opacity"), QStringLiteral("width")}));

    // A subclass that replaces its own list no longer inherits.
    RVObservableObject::setObservableKeyPaths(stroke, {QStringLiteral("dash")});
    EXPECT_EQ(RVObservableObject::observableKeyPaths(stroke), QStringList{QStringLiteral("dash")});

    // Extending again after a replacement starts from the superclass once more.
    RVObservableObject::appendObservableKeyPaths(stroke, {QStringLiteral("cap")});
    EXPECT_EQ(RVObservableObject::observableKeyPaths(stroke),
              (QStringList{QStringLiteral("opacity"), QStringLiteral("cap")}));
}

TEST(MeasureObservable, SendsOneInitialChangePerKeyPath)
{
    auto shape = std::make_shared<MeasureFilledShape>();
    MeasureObserver observer;
    int context = 0;
    shape->sendInitialValuesForAllPropertiesToObserver(&observer, &context);
    ASSERT_EQ(observer.changes.size(), 3u);
    const char* keys[] = {"width", "name", "colour"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(observer.changes[i].keyPath, QString::fromLatin1(keys[i]));
        EXPECT_EQ(observer.changes[i].object, shape.get());
        EXPECT_EQ(observer.changes[i].context, &context);
        EXPECT_EQ(observer.changes[i].change.value(pf::NSKeyValueChangeKindKey).toInt(), int(pf::ChangeKind::Setting));
    }
    EXPECT_DOUBLE_EQ(observer.changes[0].change.value(pf::NSKeyValueChangeNewKey).toDouble(), 3);
    EXPECT_EQ(observer.changes[2].change.value(pf::NSKeyValueChangeNewKey).toString(), QStringLiteral("red"));

    // A nil value and a key the object lacks both send null, and the keys after them still go.
    observer.changes.clear();
    shape->sendInitialValuesForProperties({QStringLiteral("child"), QStringLiteral("missing"), QStringLiteral("name")},
                                          &observer, nullptr);
    ASSERT_EQ(observer.changes.size(), 3u);
    EXPECT_TRUE(pf::isNull(observer.changes[0].change.value(pf::NSKeyValueChangeNewKey)));
    EXPECT_TRUE(pf::isNull(observer.changes[1].change.value(pf::NSKeyValueChangeNewKey)));
    EXPECT_EQ(observer.changes[2].change.value(pf::NSKeyValueChangeNewKey).toString(), QStringLiteral("plot"));

    EXPECT_THROW(shape->sendInitialValuesForAllPropertiesToObserver(nullptr, nullptr), pf::InvalidArgumentException);
}

TEST(MeasureUndoManager, DumpsItsStateAndAnswersByName)
{
    auto manager = std::make_shared<RVUndoManager>();
    EXPECT_TRUE(manager->isKindOf<pf::UndoManager>());
    auto target = std::make_shared<MeasureUndoTarget>();
    manager->beginUndoGrouping();
    manager->registerUndo(target.get(), QStringLiteral("setValue:"), 4);
    manager->setActionName(QStringLiteral("Move Symbol"));
    manager->endUndoGrouping();

    const QString dump = manager->dumpOfUndoManagerState();
    EXPECT_TRUE(dump.startsWith(QStringLiteral("RVUndoManager"))) << qPrintable(dump);
    EXPECT_TRUE(dump.contains(QStringLiteral("\"Move Symbol\""))) << qPrintable(dump);
    EXPECT_TRUE(dump.contains(QStringLiteral("setValue: on MeasureUndoTarget"))) << qPrintable(dump);
    EXPECT_EQ(manager->perform(QStringLiteral("dumpOfUndoManagerState")).toString(), dump);

    auto made = pf::Object::create(QStringLiteral("RVUndoManager"));
    EXPECT_TRUE(std::dynamic_pointer_cast<RVUndoManager>(made));
}

TEST(MeasureLog, LinesCarryTheirKindAndCanBeSilenced)
{
    const QByteArray saved = qgetenv("QUILLORY_LOG_SILENCE");
    qunsetenv("QUILLORY_LOG_SILENCE");
    {
        quillory::test::LogCapture capture;
        RVLog(kFileEvent, "read %d objects from %s", 12, "map.qdraw");
        LogEvent(kReactiveEvent, QStringLiteral("selection changed"));
        RVLog(kInfoEvent, "100%% done");
        EXPECT_EQ(capture.lines(), (QStringList{QStringLiteral("[file] read 12 objects from map.qdraw"),
                                                QStringLiteral("[reactive] selection changed"),
                                                QStringLiteral("[info] 100% done")}));
    }
    qputenv("QUILLORY_LOG_SILENCE", " File ,state");
    {
        quillory::test::LogCapture capture;
        RVLog(kFileEvent, "hidden");
        LogEvent(kStateEvent, QStringLiteral("hidden"));
        RVLog(kLifeEvent, QStringLiteral("shown"));
        EXPECT_EQ(capture.lines(), QStringList{QStringLiteral("[life] shown")});
        EXPECT_FALSE(isLogEventKindEnabled(kFileEvent));
        EXPECT_TRUE(isLogEventKindEnabled(kInfoEvent));
    }
    qputenv("QUILLORY_LOG_SILENCE", "all");
    {
        quillory::test::LogCapture capture;
        for (LogEventKind kind : {kFileEvent, kInfoEvent, kStateEvent, kLifeEvent, kReactiveEvent})
            RVLog(kind, QStringLiteral("hidden"));
        EXPECT_TRUE(capture.lines().isEmpty());
    }
    if (saved.isNull())
        qunsetenv("QUILLORY_LOG_SILENCE");
    else
        qputenv("QUILLORY_LOG_SILENCE", saved);
}

TEST(MeasureLog, MethodLinesNameTheCaller)
{
    quillory::test::LogCapture capture;
    MeasureLogProbe probe;
    probe.run();
    ASSERT_EQ(capture.lines().size(), 1);
    EXPECT_EQ(capture.lines().first(),
              QStringLiteral("[MeasureLogProbe::run:%1] moved 3 objects").arg(probe.line));

    const struct {
        const char* signature;
        const char* name;
    } rows[] = {
        {"void PWDrawing::setUnits(const pf::Ref<RVUnitLength>&)", "PWDrawing::setUnits"},
        {"QList<std::pair<int, int> > PWLayer::pairs() const", "PWLayer::pairs"},
        {"const char* PWStyle::name() const", "PWStyle::name"},
        {"PWKnob::PWKnob()", "PWKnob::PWKnob"},
        {"main", "main"},
        // g++ and clang spell an anonymous namespace differently; the names read the same.
        {"void {anonymous}::Probe::run()", "Probe::run"},
        {"void (anonymous namespace)::Probe::run()", "Probe::run"},
        {"int (anonymous namespace)::Outer<(anonymous namespace)::Inner>::count(int) const",
         "Outer<Inner>::count"},
        {"void PWTool::operator()(const QPointF&)", "PWTool::operator()"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(rvlog::methodName(row.signature), QString::fromLatin1(row.name)) << row.signature;
}

TEST(MeasureUniqueID, EveryKeyIsNewAndWellFormed)
{
    QSet<QString> keys;
    for (int i = 0; i < 1000; ++i) {
        const QString key = PWUniqueID::uniqueKey();
        EXPECT_EQ(key.size(), 36);
        EXPECT_FALSE(QUuid::fromString(key).isNull()) << qPrintable(key);
        keys.insert(key);
    }
    EXPECT_EQ(keys.size(), 1000);
}

// Keys are random (version 4, RFC 4122 variant) UUIDs, and threads draw different ones: each
// seeds its own generator.
TEST(MeasureUniqueID, KeysAreRandomUuidsDifferentOnEveryThread)
{
    const QString key = PWUniqueID::uniqueKey();
    const QUuid uuid = QUuid::fromString(key);
    EXPECT_EQ(uuid.version(), QUuid::Random);
    EXPECT_EQ(uuid.variant(), QUuid::DCE);
    EXPECT_EQ(key, key.toLower());

    QStringList fromThreads[4];
    std::vector<std::thread> threads;
    for (QStringList& list : fromThreads)
        threads.emplace_back([&list] {
            for (int i = 0; i < 500; ++i)
                list << PWUniqueID::uniqueKey();
        });
    for (std::thread& thread : threads)
        thread.join();
    QSet<QString> all;
    for (const QStringList& list : fromThreads)
        for (const QString& k : list)
            all.insert(k);
    EXPECT_EQ(all.size(), 2000);
}

TEST(MeasureUndoManager, ExplodesTheTopStepIntoOneStepPerAction)
{
    auto manager = std::make_shared<RVUndoManager>();
    manager->setLevelsOfUndo(2);
    QStringList ran;
    auto target = std::make_shared<MeasureUndoTarget>();
    manager->beginUndoGrouping();
    manager->registerUndo(target.get(), [&] { ran << "older"; });
    manager->setActionName(QStringLiteral("Older"));
    manager->endUndoGrouping();
    manager->beginUndoGrouping();
    for (const char* name : {"a", "b", "c"})
        manager->registerUndo(target.get(), [&ran, name] { ran << name; });
    manager->setActionName(QStringLiteral("Move"));
    manager->endUndoGrouping();

    EXPECT_TRUE(manager->explodeTopUndoAction());
    ASSERT_EQ(manager->numberOfUndoActions(), 4) << "the older step is kept";
    EXPECT_EQ(manager->undoActionName(), "Move");
    for (int i = 0; i < 3; ++i)
        manager->undo();
    EXPECT_EQ(ran, (QStringList{"c", "b", "a"})) << "the same order as undoing the whole step";
    EXPECT_EQ(manager->undoActionName(), "Older");
    EXPECT_FALSE(manager->explodeTopUndoAction()) << "a step of one action stays";

    auto empty = std::make_shared<RVUndoManager>();
    EXPECT_FALSE(empty->explodeTopUndoAction());
}

#include "frameworks/penwork/drawables/PWArcPath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"

namespace {

// Records each key path an observer is sent and whether a value came with it.
class InitialValuesRecorder : public pf::Object {
    PF_CLASS(InitialValuesRecorder)
public:
    void observeValueForKeyPath(const QString& keyPath, pf::Reflective*, const QVariantMap& change, void*) override
    {
        keys.append(keyPath);
        values.insert(keyPath, change.value(pf::NSKeyValueChangeNewKey));
    }
    QStringList keys;
    QVariantMap values;
};

} // namespace

PF_DEFINE_CLASS(InitialValuesRecorder, pf::Object) {}

TEST(SupportObservable, DrawablesAreObservableObjectsAndTheirListsFollowTheTable)
{
    auto arc = std::make_shared<PWArcPath>();
    EXPECT_TRUE(arc->isKindOf(RVObservableObject::staticClass()));

    // The instance answer is the class operation, with the subclass's own keys on top.
    const QStringList arcKeys = arc->RVObservableObject::observableKeyPaths();
    EXPECT_TRUE(arcKeys.contains("radius") && arcKeys.contains("path") && arcKeys.contains("location"));
    InitialValuesRecorder recorder;
    arc->sendInitialValuesForAllPropertiesToObserver(&recorder, nullptr);
    EXPECT_EQ(recorder.keys, arcKeys);
    EXPECT_TRUE(recorder.values.value("radius").isValid());

    // An extension replacing the drawable list reaches the subclasses that extend it.
    const QStringList base = PWDrawableObject::observableKeyPaths();
    RVObservableObject::setObservableKeyPaths(PWDrawableObject::staticClass(), {"location", "extensionKey"});
    const QStringList shapeKeys = PWDrawableObject::observableKeyPathsForClass(PWDrawableShape::staticClass());
    const QStringList replacedArcKeys = PWDrawableObject::observableKeyPathsForClass(PWArcPath::staticClass());
    RVObservableObject::setObservableKeyPaths(PWDrawableObject::staticClass(), base);
    EXPECT_EQ(shapeKeys, (QStringList{"location", "extensionKey"}));
    EXPECT_TRUE(replacedArcKeys.contains("extensionKey") && replacedArcKeys.contains("radius"));
    EXPECT_FALSE(replacedArcKeys.contains("angle"));
    EXPECT_EQ(PWDrawableObject::observableKeyPathsForClass(PWDrawableShape::staticClass()), base);
}
