#include <gtest/gtest.h>

#include "inspectors/VNQLGenericObjectController.h"
#include "inspectors/VNQLGenericObjectTrampoline.h"

#include "frameworks/penwork/support/RVObservableObject.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/ValueTransformer.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TestSupport.h"

#include <QWidget>

using pf::Ref;

namespace {

// A model object that records its own undo, as the drawing model does.
class InspPlot : public RVObservableObject {
    PF_CLASS(InspPlot)
public:
    QVariant xLocation() const { return m_x; }
    void setXLocation(const QVariant& x) { change(m_x, x, QStringLiteral("xLocation")); }
    QVariant width() const { return m_width; }
    void setWidth(const QVariant& width) { change(m_width, width, QStringLiteral("width")); }
    QVariant name() const { return m_name; }
    void setName(const QVariant& name) { change(m_name, name, QStringLiteral("name")); }

    pf::UndoManager* undo = nullptr;

private:
    void change(QVariant& field, const QVariant& value, const QString& key)
    {
        if (pf::isEqual(field, value))
            return;
        if (undo)
            undo->registerUndo(this, pf::setterSelector(key), field);
        setObservedValue(field, value, key);
    }
    QVariant m_x;
    QVariant m_width;
    QVariant m_name;
};

// Another managed kind that has no width.
class InspLabel : public pf::Object {
    PF_CLASS(InspLabel)
public:
    QVariant xLocation() const { return m_x; }
    void setXLocation(const QVariant& x) { setObservedValue(m_x, x, QStringLiteral("xLocation")); }
    QVariant name() const { return {}; }
    void setName(const QVariant&) {}

private:
    QVariant m_x;
};

// A pane that records what reaches its setters.
class InspPlotPane : public VNQLGenericObjectController {
    PF_CLASS(InspPlotPane)
public:
    const pf::Class& managedObjectClass() const override { return InspPlot::staticClass(); }
    QList<const pf::Class*> managedObjectClasses() const override { return {&InspPlot::staticClass(), &InspLabel::staticClass()}; }
    QStringList keyPathsOfInterest() const override { return {"xLocation", "width", "name"}; }
    QStringList propertiesExpressibleAsPercentage() const override { return {"width"}; }
    void loadView() override { setView(new QWidget); }

    QVariant shownX() const { return m_x; }
    void setXLocation(const QVariant& x) { m_x = x; ++xPushes; }
    void setMixedValueForXLocation() { m_x = QStringLiteral("mixed"); ++xPushes; }
    QVariant shownWidth() const { return m_width; }
    void setWidth(const QVariant& width) { m_width = width; }
    void setMixedValueForWidth() { m_width = QStringLiteral("mixed"); }
    QVariant shownName() const { return m_name; }
    void setName(const QVariant& name) { m_name = name; }

    void setControlStateForNil() override { ++nilStates; }
    bool shouldSetValue(QVariant* value, pf::Object* object, const QString& keyPath) override
    {
        if (nestedWrite)
            setCommonValue(999, keyPath);
        return true;
    }

    int xPushes = 0;
    int nilStates = 0;
    bool nestedWrite = false;

private:
    QVariant m_x;
    QVariant m_width;
    QVariant m_name;
};

class InspSource : public pf::Object, public VNQLObjectControllerDataSource {
    PF_CLASS(InspSource)
public:
    QList<Ref<pf::Object>> selectedContentForObjectController(VNQLGenericObjectController*) override { return objects; }
    pf::UndoManager* undoManager() const override { return undo.get(); }

    QList<Ref<pf::Object>> objects;
    Ref<pf::UndoManager> undo = std::make_shared<pf::UndoManager>();
};

// Receives the common values in place of the trampoline.
class InspExportSettings : public pf::Object {
    PF_CLASS(InspExportSettings)
public:
    QVariant xLocation() const { return m_x; }
    void setXLocation(const QVariant& x) { m_x = x; }
    void setMixedValueForXLocation() { m_x = QStringLiteral("mixed here"); }
    QVariant name() const { return m_name; }
    void setName(const QVariant& name) { m_name = name; }

private:
    QVariant m_x;
    QVariant m_name;
};

class InspPlotTrampoline : public VNQLGenericObjectTrampoline {
    PF_CLASS(InspPlotTrampoline)
public:
    const pf::Class& managedObjectClass() const override { return InspPlot::staticClass(); }
    QStringList keyPathsOfInterest() const override { return {"xLocation", "name"}; }
    void loadView() override { setView(new QWidget); }
};

} // namespace

PF_DEFINE_CLASS(InspPlot, RVObservableObject)
{
    b.property("xLocation", &InspPlot::xLocation, &InspPlot::setXLocation);
    b.property("width", &InspPlot::width, &InspPlot::setWidth);
    b.property("name", &InspPlot::name, &InspPlot::setName);
    RVObservableObject::appendObservableKeyPaths(b.cls(), {"xLocation", "width", "name"});
}
PF_DEFINE_CLASS(InspLabel, pf::Object)
{
    b.property("xLocation", &InspLabel::xLocation, &InspLabel::setXLocation);
    b.property("name", &InspLabel::name, &InspLabel::setName);
}
PF_DEFINE_CLASS(InspPlotPane, VNQLGenericObjectController)
{
    b.property("xLocation", &InspPlotPane::shownX, &InspPlotPane::setXLocation);
    b.method("setMixedValueForXLocation", &InspPlotPane::setMixedValueForXLocation);
    b.property("width", &InspPlotPane::shownWidth, &InspPlotPane::setWidth);
    b.method("setMixedValueForWidth", &InspPlotPane::setMixedValueForWidth);
    b.property("name", &InspPlotPane::shownName, &InspPlotPane::setName);
}
PF_DEFINE_CLASS(InspSource, pf::Object) {}
PF_DEFINE_CLASS(InspExportSettings, pf::Object)
{
    b.property("xLocation", &InspExportSettings::xLocation, &InspExportSettings::setXLocation);
    b.method("setMixedValueForXLocation", &InspExportSettings::setMixedValueForXLocation);
    b.property("name", &InspExportSettings::name, &InspExportSettings::setName);
}
PF_DEFINE_CLASS(InspPlotTrampoline, VNQLGenericObjectTrampoline) {}

namespace {

Ref<InspPlot> makePlot(const QVariant& x, const QVariant& width = {}, const QVariant& name = {})
{
    auto plot = std::make_shared<InspPlot>();
    plot->setXLocation(x);
    plot->setWidth(width);
    plot->setName(name);
    return plot;
}

class GenericObjectControllerTest : public ::testing::Test {
protected:
    // Attaches the source with these objects and lets the deferred load run.
    void select(const QList<Ref<pf::Object>>& objects)
    {
        source->objects = objects;
        for (const auto& object : objects)
            if (auto plot = std::dynamic_pointer_cast<InspPlot>(object))
                plot->undo = source->undo.get();
        pane->setDataSource(source.get());
        ASSERT_TRUE(quillory::test::waitUntil([&] { return pane->hasContent(); }));
    }

    Ref<InspSource> source = std::make_shared<InspSource>();
    Ref<InspPlotPane> pane = std::make_shared<InspPlotPane>();
};

} // namespace

TEST_F(GenericObjectControllerTest, FoldsTheValuesOfAKeyPathIntoOneCommonValue)
{
    const QVariant mixed = QStringLiteral("mixed");
    struct Case {
        const char* name;
        QVariantList values;
        QVariant shown;
    };
    const QList<Case> cases = {
        {"agreeing", {10, 10}, 10},
        {"disagreeing", {10, 12}, mixed},
        {"nil before a value", {QVariant(), 5}, 5},
        {"nil after a value", {5, QVariant()}, mixed},
        {"one object", {7}, 7},
        {"three with the last differing", {3, 3, 4}, mixed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pane = std::make_shared<InspPlotPane>();
        QList<Ref<pf::Object>> objects;
        for (const QVariant& value : c.values)
            objects << makePlot(value);
        select(objects);
        EXPECT_TRUE(pf::isEqual(pane->shownX(), c.shown)) << qPrintable(pf::describe(pane->shownX()));
    }
}

TEST_F(GenericObjectControllerTest, AnEmptySelectionSetsTheNilStateAndPushesNothing)
{
    select({});
    EXPECT_EQ(pane->nilStates, 1);
    EXPECT_EQ(pane->xPushes, 0);
    EXPECT_FALSE(pane->commonValueForKeyPath("xLocation").isValid());
}

TEST_F(GenericObjectControllerTest, KeepsOnlyManagedObjectsAndReportsAKeyPathThatDoesNotApply)
{
    auto plot = makePlot(4);
    auto label = std::make_shared<InspLabel>();
    label->setXLocation(4);
    auto stranger = std::make_shared<InspExportSettings>();
    select({plot, stranger, label});

    EXPECT_EQ(pane->content().size(), 2);
    EXPECT_TRUE(pf::isNotApplicableMarker(pane->commonValueForKeyPath("width")));
    // The label lacks a width, yet both objects are observed for the keys they have.
    label->setXLocation(9);
    EXPECT_EQ(pane->shownX(), QVariant(QStringLiteral("mixed")));
    plot->setXLocation(9);
    EXPECT_EQ(pane->shownX().toInt(), 9);
}

TEST_F(GenericObjectControllerTest, APaneWithoutAMixedValueMethodGetsTheMultipleValuesText)
{
    quillory::test::LogCapture log;
    select({makePlot(1, {}, QStringLiteral("a")), makePlot(1, {}, QStringLiteral("b"))});
    EXPECT_EQ(pane->shownName().toString(), QStringLiteral("<multiple values>"));
    EXPECT_TRUE(log.lines().join('\n').contains("does not respond to -setMixedValueForName"));
}

TEST_F(GenericObjectControllerTest, AnEditWritesEveryObjectAndThePaneSeesTheResultOnce)
{
    auto a = makePlot(1);
    auto b = makePlot(2);
    select({a, b});
    pane->xPushes = 0;
    pane->takeCommonValueFromValue(6, "xLocation");
    EXPECT_EQ(a->xLocation().toInt(), 6);
    EXPECT_EQ(b->xLocation().toInt(), 6);
    EXPECT_EQ(pane->xPushes, 1);
    EXPECT_EQ(pane->shownX().toInt(), 6);
    EXPECT_TRUE(pane->settingKeyPath().isEmpty());
}

TEST_F(GenericObjectControllerTest, WritesThatMustNotHappenChangeNothing)
{
    auto a = makePlot(1);
    select({a});
    struct Case {
        const char* name;
        QVariant value;
    };
    for (const Case& c : QList<Case>{{"mixed marker", pf::multipleValuesMarker()},
                                     {"not applicable marker", pf::notApplicableMarker()},
                                     {"no value", QVariant()},
                                     {"empty text", QString()}}) {
        SCOPED_TRACE(c.name);
        pane->takeCommonValueFromValue(c.value, "xLocation");
        EXPECT_EQ(a->xLocation().toInt(), 1);
    }
    // A write started while another is under way is dropped.
    pane->nestedWrite = true;
    pane->setCommonValue(5, "xLocation");
    EXPECT_EQ(a->xLocation().toInt(), 5);
    // An empty text is written when the caller allows it.
    pane->nestedWrite = false;
    pane->takeCommonValueFromValue(QString(), "name", true);
    EXPECT_EQ(a->name(), QVariant(QString()));
}

TEST_F(GenericObjectControllerTest, OneEditOfManyObjectsIsOneNamedUndoStep)
{
    auto a = makePlot(1);
    auto b = makePlot(2);
    auto c = makePlot(3);
    select({a, b, c});
    pane->setCommonValue(8, "xLocation");
    pane->nameUndoActionForLastWrite("Move");
    ASSERT_EQ(source->undo->numberOfUndoActions(), 1);
    EXPECT_EQ(source->undo->undoActionName(), QStringLiteral("Move"));

    // A write that changes nothing leaves the older step's name alone.
    pane->setCommonValue(8, "xLocation");
    EXPECT_FALSE(pane->lastWriteRecordedUndo());
    pane->nameUndoActionForLastWrite("Resize");
    EXPECT_EQ(source->undo->numberOfUndoActions(), 1);
    EXPECT_EQ(source->undo->undoActionName(), QStringLiteral("Move"));

    source->undo->undo();
    EXPECT_EQ(a->xLocation().toInt(), 1);
    EXPECT_EQ(b->xLocation().toInt(), 2);
    EXPECT_EQ(c->xLocation().toInt(), 3);
    EXPECT_EQ(pane->shownX(), QVariant(QStringLiteral("mixed")));
}

TEST_F(GenericObjectControllerTest, TransformersShapeWhatIsShownAndWhatIsWritten)
{
    auto a = makePlot(10, QStringLiteral("wide"));
    select({a});
    pane->setTransformer(std::make_shared<pf::MultiplierValueTransformer>(2.0), "xLocation");
    pane->setTransformer(std::make_shared<pf::MultiplierValueTransformer>(2.0), "name");
    EXPECT_DOUBLE_EQ(pane->commonValueForKeyPath("xLocation").toDouble(), 20.0);
    pane->setCommonValue(30.0, "xLocation");
    EXPECT_DOUBLE_EQ(a->xLocation().toDouble(), 15.0);
    EXPECT_DOUBLE_EQ(pane->shownX().toDouble(), 30.0);
    // Only numbers and other boxed values pass through a transformer.
    a->setName(QStringLiteral("text"));
    EXPECT_EQ(pane->commonValueForKeyPath("name"), QVariant(QStringLiteral("text")));
    pane->setTransformer(nullptr, "xLocation");
    EXPECT_DOUBLE_EQ(pane->commonValueForKeyPath("xLocation").toDouble(), 15.0);
}

TEST_F(GenericObjectControllerTest, PercentagesAreRatiosToTheValueAtSelectionTime)
{
    auto a = makePlot(0, 50.0);
    select({a});
    pane->setPropertyExpressedAsPercentage("width", true);
    EXPECT_DOUBLE_EQ(pane->shownWidth().toDouble(), 1.0);
    a->setWidth(100.0);
    EXPECT_DOUBLE_EQ(pane->shownWidth().toDouble(), 2.0);
    pane->setCommonValue(0.5, "width");
    EXPECT_DOUBLE_EQ(a->width().toDouble(), 25.0);
    // The reference stays that of selection time until the selection changes.
    pane->setCommonValue(1.0, "width");
    EXPECT_DOUBLE_EQ(a->width().toDouble(), 50.0);
    pane->setPropertyExpressedAsPercentage("width", false);
    EXPECT_DOUBLE_EQ(pane->shownWidth().toDouble(), 50.0);
    EXPECT_THROW(pane->setPropertyExpressedAsPercentage("xLocation", true), pf::Exception);
}

TEST_F(GenericObjectControllerTest, PercentagesWithoutAUsableReference)
{
    auto zero = makePlot(0, 0.0);
    auto none = makePlot(0, QStringLiteral("not a number"));
    auto plain = makePlot(0, 10.0);
    select({zero, none, plain});
    EXPECT_FALSE(pane->originalValueOfObject(none.get(), "width").isValid());
    pane->setPropertyExpressedAsPercentage("width", true);
    // Over a zero reference and without one the display is unchanged (1 = 100 %).
    EXPECT_DOUBLE_EQ(pane->percentageValueOfValue(0.0, zero.get(), "width").toDouble(), 1.0);
    EXPECT_DOUBLE_EQ(pane->percentageValueOfValue(7.0, none.get(), "width").toDouble(), 1.0);
    // A write scales by each reference, writes the value itself over zero and skips an
    // object without a reference.
    pane->setCommonValue(3.0, "width");
    EXPECT_DOUBLE_EQ(zero->width().toDouble(), 3.0);
    EXPECT_EQ(none->width(), QVariant(QStringLiteral("not a number")));
    EXPECT_DOUBLE_EQ(plain->width().toDouble(), 30.0);
}

TEST_F(GenericObjectControllerTest, NewContentIsReadOnTheNextTurnAfterASelectionChange)
{
    auto a = makePlot(1);
    select({a});
    auto b = makePlot(2);
    b->undo = source->undo.get();
    source->objects = {b};
    pane->reloadContent();
    EXPECT_FALSE(pane->hasContent());
    ASSERT_TRUE(quillory::test::waitUntil([&] { return pane->hasContent(); }));
    EXPECT_EQ(pane->shownX().toInt(), 2);
    // The old selection is no longer observed.
    a->setXLocation(40);
    EXPECT_EQ(pane->shownX().toInt(), 2);
}

TEST_F(GenericObjectControllerTest, AttachingADataSource)
{
    select({makePlot(1)});
    auto notASource = std::make_shared<InspExportSettings>();
    EXPECT_THROW(pane->setDataSourceObject(notASource.get()), pf::Exception);
    pane->setDataSourceObject(nullptr);
    EXPECT_FALSE(pane->hasContent());
    EXPECT_EQ(pane->dataSourceUndoManager(), nullptr);
    // A data source that is gone is not called.
    {
        auto shortLived = std::make_shared<InspSource>();
        pane->setDataSource(shortLived.get());
    }
    EXPECT_EQ(pane->dataSource(), nullptr);
}

TEST_F(GenericObjectControllerTest, AKeyPathOutsideTheKeyPathsOfInterestIsAProgrammingError)
{
    select({makePlot(1)});
    EXPECT_THROW(pane->commonValueForKeyPath("height"), pf::Exception);
    EXPECT_THROW(pane->setCommonValue(1, "height"), pf::Exception);
}

TEST_F(GenericObjectControllerTest, ControlStatesAndTaggedMenus)
{
    struct Case {
        QVariantList values;
        int state;
    };
    for (const Case& c : QList<Case>{{{1, 1}, 1}, {{0, 0}, 0}, {{true}, 1}, {{0, 1}, -1}, {{QStringLiteral("x")}, 0}}) {
        pane = std::make_shared<InspPlotPane>();
        QList<Ref<pf::Object>> objects;
        for (const QVariant& value : c.values)
            objects << makePlot(value);
        select(objects);
        EXPECT_EQ(pane->stateForKeyPath("xLocation"), c.state) << qPrintable(pf::describe(c.values.first()));
    }

    auto menu = pf::Menu::make();
    for (int tag = 0; tag < 3; ++tag)
        menu->addItem(QString::number(tag), QString())->setTag(tag);
    pane = std::make_shared<InspPlotPane>();
    select({makePlot(1), makePlot(2)});
    pane->selectMixedValuesInTaggedMenu(*menu, "xLocation");
    EXPECT_EQ(menu->itemAtIndex(0)->state(), pf::ControlState::Off);
    EXPECT_EQ(menu->itemAtIndex(1)->state(), pf::ControlState::Mixed);
    EXPECT_EQ(menu->itemAtIndex(2)->state(), pf::ControlState::Mixed);
    VNQLGenericObjectController::selectMixedValuesInTaggedMenu(*menu, QSet<qint64>{2});
    EXPECT_EQ(menu->itemAtIndex(1)->state(), pf::ControlState::Off);
    EXPECT_EQ(menu->itemAtIndex(2)->state(), pf::ControlState::On);
}

TEST(GenericObjectTrampolineTest, HandsCommonValuesToItsTarget)
{
    auto source = std::make_shared<InspSource>();
    auto target = std::make_shared<InspExportSettings>();
    auto trampoline = std::make_shared<InspPlotTrampoline>();
    trampoline->setTrampolineTarget(target.get());
    source->objects = {makePlot(3, {}, QStringLiteral("a")), makePlot(3, {}, QStringLiteral("b"))};
    trampoline->setDataSource(source.get());
    ASSERT_TRUE(quillory::test::waitUntil([&] { return trampoline->hasContent(); }));
    EXPECT_EQ(target->xLocation().toInt(), 3);
    // The target's own mixed-value method, else the multiple values text.
    EXPECT_EQ(target->name().toString(), QStringLiteral("<multiple values>"));
    std::dynamic_pointer_cast<InspPlot>(source->objects.first())->setXLocation(4);
    EXPECT_EQ(target->xLocation().toString(), QStringLiteral("mixed here"));
}

namespace {
class RevertingPane : public InspPlotPane {
public:
    bool supportsRevertOrCancel() const override { return true; }
};
} // namespace

TEST_F(GenericObjectControllerTest, RevertOrCancelWritesBackWhatWasShownAtTheStart)
{
    auto reverting = std::make_shared<RevertingPane>();
    pane = reverting;
    auto a = makePlot(1);
    auto b = makePlot(1);
    select({a, b});
    EXPECT_FALSE(pane->canRevertOrCancel());
    pane->setCommonValue(5, "xLocation");
    ASSERT_TRUE(pane->canRevertOrCancel());
    EXPECT_TRUE(pane->revertOrCancel());
    EXPECT_EQ(a->xLocation().toInt(), 1);
    EXPECT_EQ(b->xLocation().toInt(), 1);

    // A key path that showed mixed values has nothing to go back to.
    reverting = std::make_shared<RevertingPane>();
    pane = reverting;
    auto c = makePlot(2);
    select({a, c});
    pane->setCommonValue(5, "xLocation");
    EXPECT_TRUE(pane->revertOrCancel());
    EXPECT_EQ(c->xLocation().toInt(), 5);
    // Without support nothing is reverted.
    EXPECT_FALSE(std::make_shared<InspPlotPane>()->revertOrCancel());
}
