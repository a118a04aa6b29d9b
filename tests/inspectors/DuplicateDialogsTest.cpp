#include "inspectors/CVLParallelDuplicateController.h"
#include "inspectors/DuplicateDialogFields.h"
#include "inspectors/RVLinearDuplicateController.h"
#include "inspectors/RVPolarDuplicateController.h"

#include "../app/DocumentTestSupport.h"

#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Event.h"
#include "platform/ui/EventQueue.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/Window.h"

#include <QCoreApplication>

#include <limits>

#include <gtest/gtest.h>

namespace {

using pf::Ref;

// A document stand-in that records what the sheets hand it.
class DuplicationRecorder : public pf::Object {
    PF_CLASS(DuplicationRecorder)
public:
    QStringList calls;
    QVariantList lastArguments;
    qint64 selected = 1;
    void record(const char* name, const QVariantList& arguments)
    {
        calls.append(QString::fromLatin1(name));
        lastArguments = arguments;
    }
};

// Without the duplication operations: a sheet must not call what is not there.
class SilentDelegate : public pf::Object {
    PF_CLASS(SilentDelegate)
};

} // namespace

PF_DEFINE_CLASS_NAMED(DuplicationRecorder, pf::Object, "DuplicateDialogsTestRecorder")
{
    b.method("doLinearDuplicateCopies:offset:", [](DuplicationRecorder& r, const QVariantList& a) {
        r.record("linear", a);
        return QVariant(true);
    });
    b.method("doPolarDuplicateCopies:centre:incAngle:rotateCopies:", [](DuplicationRecorder& r, const QVariantList& a) {
        r.record("polar", a);
        return QVariant(true);
    });
    b.method("doAutoPolarDuplicateWithCentre:", [](DuplicationRecorder& r, const QVariantList& a) {
        r.record("auto", a);
        return QVariant(true);
    });
    b.method("parallelCopyWithOffset:numberOfCopies:smooth:", [](DuplicationRecorder& r, const QVariantList& a) {
        r.record("parallel", a);
        return QVariant(true);
    });
    b.method("countOfItemsInSelection", [](DuplicationRecorder& r, const QVariantList&) { return QVariant(r.selected); });
    // Ten grid units a pixel, measured from the screen's origin.
    b.method("gridPointForGlobalPoint:snapToGrid:", [](DuplicationRecorder& r, const QVariantList& a) {
        r.calls.append(QStringLiteral("grid"));
        const QPointF global = a.value(0).toPointF();
        return QVariant(QPointF(global.x() / 10, global.y() / 10));
    });
}

PF_DEFINE_CLASS_NAMED(SilentDelegate, pf::Object, "DuplicateDialogsTestSilentDelegate") {}

namespace {

class DuplicateDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        parent = std::make_unique<pf::Window>();
        parent->setGeometry(100, 100, 800, 600);
        parent->show();
        recorder = std::make_shared<DuplicationRecorder>();
    }
    void TearDown() override
    {
        for (QWidget* sheet : {pf::Sheet::attachedSheet(parent.get())})
            if (sheet)
                pf::Sheet::endSheet(sheet, 0);
    }
    static void type(pf::TextField* field, const QString& text) { field->setStringValue(text); }

    std::unique_ptr<pf::Window> parent;
    Ref<DuplicationRecorder> recorder;
};

TEST(DuplicateDialogFieldsTest, OnlyUsableNumbersAndCopyCountsPass)
{
    using namespace DuplicateDialogFields;
    struct Case {
        const char* text;
        std::optional<double> number;
        std::optional<int> copies;
    };
    const Case cases[] = {
        {"3", 3.0, 3},
        {" 12 ", 12.0, 12},
        {"2.5", 2.5, std::nullopt},
        {"0", 0.0, std::nullopt},
        {"-4", -4.0, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"abc", std::nullopt, std::nullopt},
        {"inf", std::nullopt, std::nullopt},
        {"nan", std::nullopt, std::nullopt},
        {"1e39", std::nullopt, std::nullopt}, // beyond a single-precision float
        {"1e300", std::nullopt, std::nullopt},
        {"20000", 20000.0, maximumCopies()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(number(QString::fromLatin1(c.text)), c.number) << c.text;
        EXPECT_EQ(copies(QString::fromLatin1(c.text)), c.copies) << c.text;
    }
    EXPECT_EQ(maximumCopies(), 10000);
}

TEST_F(DuplicateDialogs, LinearSheetPassesItsValuesOnOKAndNothingOnCancel)
{
    RVLinearDuplicateController controller;
    controller.beginLinearDuplicationDialog(parent.get(), recorder);
    EXPECT_EQ(pf::Sheet::attachedSheet(parent.get()), controller.window());
    type(controller.numberOfCopiesTextField(), QStringLiteral("4"));
    type(controller.xOffsetTextField(), QStringLiteral("2.5"));
    type(controller.yOffsetTextField(), QStringLiteral("-1"));
    controller.xyOffsetAction({});
    EXPECT_TRUE(controller.okButton()->isEnabled());
    controller.okAction({});
    ASSERT_EQ(recorder->calls, QStringList{QStringLiteral("linear")});
    EXPECT_EQ(recorder->lastArguments.value(0).toInt(), 4);
    EXPECT_EQ(recorder->lastArguments.value(1).toSizeF(), QSizeF(2.5, -1));
    EXPECT_FALSE(controller.window()->isVisible());

    controller.beginLinearDuplicationDialog(parent.get(), recorder);
    controller.cancelAction({});
    EXPECT_EQ(recorder->calls.size(), 1) << "cancel calls nothing";
}

TEST_F(DuplicateDialogs, LinearSheetRefusesUnusableValues)
{
    RVLinearDuplicateController controller;
    controller.beginLinearDuplicationDialog(parent.get(), recorder);
    const std::tuple<const char*, const char*, const char*> refused[] = {
        {"", "1", "1"}, {"0", "1", "1"}, {"-2", "1", "1"}, {"1.5", "1", "1"},
        {"3", "inf", "0"}, {"3", "1", "nan"}, {"3", "", "0"}, {"3", "1", "1e40"},
    };
    for (const auto& [copies, x, y] : refused) {
        type(controller.numberOfCopiesTextField(), QString::fromLatin1(copies));
        type(controller.xOffsetTextField(), QString::fromLatin1(x));
        type(controller.yOffsetTextField(), QString::fromLatin1(y));
        controller.numberOfCopiesAction({});
        EXPECT_FALSE(controller.okButton()->isEnabled()) << copies << " " << x << " " << y;
        controller.okAction({}); // Return in a field
        EXPECT_EQ(pf::Sheet::attachedSheet(parent.get()), controller.window()) << "the sheet stays up";
    }
    // Even a sheet ended with OK behind the button's back hands nothing unusable on.
    pf::Sheet::endSheet(controller.window(), 1);
    EXPECT_TRUE(recorder->calls.isEmpty());
}

TEST_F(DuplicateDialogs, LinearCopyCountsBeyondTheMaximumAreCapped)
{
    RVLinearDuplicateController controller;
    controller.beginLinearDuplicationDialog(parent.get(), recorder);
    type(controller.numberOfCopiesTextField(), QStringLiteral("250000"));
    controller.okAction({});
    ASSERT_EQ(recorder->calls, QStringList{QStringLiteral("linear")});
    EXPECT_EQ(recorder->lastArguments.value(0).toInt(), 10000);
}

TEST_F(DuplicateDialogs, PolarSheetSetUpFollowsTheSelection)
{
    RVPolarDuplicateController controller;
    recorder->selected = 2;
    controller.beginPolarDuplicationDialog(parent.get(), recorder);
    EXPECT_EQ(controller.copiesTextField()->stringValue(), QStringLiteral("7"));
    EXPECT_EQ(controller.angleIncrementTextField()->stringValue(), QStringLiteral("45"));
    EXPECT_EQ(controller.rotateCopiesCheckbox()->state(), pf::ControlState::On);
    EXPECT_FALSE(controller.autoFitCircleCheckbox()->isEnabled()) << "two objects cannot be fitted";
    controller.cancelAction({});

    recorder->selected = 1;
    controller.beginPolarDuplicationDialog(parent.get(), recorder);
    EXPECT_TRUE(controller.autoFitCircleCheckbox()->isEnabled());
    type(controller.copiesTextField(), QStringLiteral("3"));
    controller.copiesAction({});
    EXPECT_EQ(controller.angleIncrementTextField()->doubleValue(), 90.0);
    type(controller.copiesTextField(), QStringLiteral("0"));
    controller.copiesAction({});
    EXPECT_EQ(controller.angleIncrementTextField()->doubleValue(), 90.0) << "no angle from a refused count";
    EXPECT_FALSE(controller.okButton()->isEnabled());
    controller.cancelAction({});
    EXPECT_TRUE(recorder->calls.isEmpty()) << "cancelling calls nothing";
}

TEST_F(DuplicateDialogs, PolarSheetHandsOnManualOrAutomaticDuplication)
{
    RVPolarDuplicateController controller;
    controller.beginPolarDuplicationDialog(parent.get(), recorder);
    type(controller.centreXTextField(), QStringLiteral("5"));
    type(controller.centreYTextField(), QStringLiteral("-2"));
    type(controller.copiesTextField(), QStringLiteral("5"));
    controller.copiesAction({});
    controller.rotateCopiesCheckbox()->setState(pf::ControlState::Off);
    controller.duplicateAction({});
    ASSERT_EQ(recorder->calls, QStringList{QStringLiteral("polar")});
    EXPECT_EQ(recorder->lastArguments.value(0).toInt(), 5);
    EXPECT_EQ(recorder->lastArguments.value(1).toPointF(), QPointF(5, -2));
    EXPECT_DOUBLE_EQ(recorder->lastArguments.value(2).toDouble(), 60.0);
    EXPECT_FALSE(recorder->lastArguments.value(3).toBool());

    controller.beginPolarDuplicationDialog(parent.get(), recorder);
    type(controller.centreXTextField(), QStringLiteral("1"));
    type(controller.centreYTextField(), QStringLiteral("1"));
    controller.autoFitCircleCheckbox()->setState(pf::ControlState::On);
    controller.rotateCopiesCheckbox()->setState(pf::ControlState::Off);
    controller.autoFitAction({});
    EXPECT_FALSE(controller.copiesTextField()->isEnabled());
    EXPECT_FALSE(controller.angleIncrementTextField()->isEnabled());
    EXPECT_EQ(controller.rotateCopiesCheckbox()->state(), pf::ControlState::On);
    type(controller.angleIncrementTextField(), QStringLiteral("nonsense")); // not needed when fitting
    EXPECT_TRUE(controller.checkOKButton());
    controller.duplicateAction({});
    EXPECT_EQ(recorder->calls.last(), QStringLiteral("auto"));
    EXPECT_EQ(recorder->lastArguments.value(0).toPointF(), QPointF(1, 1));

    controller.beginPolarDuplicationDialog(parent.get(), recorder);
    type(controller.centreXTextField(), QString());
    controller.centreAction({});
    EXPECT_FALSE(controller.okButton()->isEnabled()) << "an empty centre";
    type(controller.centreXTextField(), QStringLiteral("inf"));
    controller.centreAction({});
    EXPECT_FALSE(controller.okButton()->isEnabled()) << "a centre out of reach";
}

// Centre picking ----------------------------------------------------------------------------

class CentrePicking : public DuplicateDialogs {
protected:
    void SetUp() override
    {
        DuplicateDialogs::SetUp();
        controller = std::make_shared<RVPolarDuplicateController>();
        controller->beginPolarDuplicationDialog(parent.get(), recorder);
        sheet = controller->window();
        type(controller->centreXTextField(), QStringLiteral("3"));
        type(controller->centreYTextField(), QStringLiteral("4"));
        controller->centreAction({});
    }
    void TearDown() override
    {
        pf::Sheet::endSheet(sheet, 0);
        DuplicateDialogs::TearDown();
    }
    // A made event at a global Qt point.
    void post(int type, QPointF global)
    {
        const QPointF inSheet = global - QPointF(sheet->mapToGlobal(QPointF(0, 0)));
        const QPointF location = pf::Event::windowPointFromQt(sheet, inSheet);
        pf::Event event = type == pf::KeyDown
            ? pf::Event::keyEvent(type, location, 0, pf::Event::now(), 0, QStringLiteral("x"), QStringLiteral("x"), false, 7)
            : pf::Event::mouseEvent(type, location, 0, pf::Event::now(), 0, ++number, 1, 1);
        event.window = sheet;
        pf::EventQueue::shared().postEvent(event, false);
    }
    QPointF outside() const { return QPointF(sheet->frameGeometry().bottomRight()) + QPointF(40, 60); }
    QPointF inside() const { return QRectF(sheet->frameGeometry()).center(); }

    Ref<RVPolarDuplicateController> controller;
    QWidget* sheet = nullptr;
    int number = 1000;
};

TEST_F(CentrePicking, ReleasingOverTheDrawingKeepsThePickedPoint)
{
    const QPointF target = outside();
    post(pf::MouseMoved, target - QPointF(20, 20));
    post(pf::LeftMouseDown, target);
    post(pf::LeftMouseUp, target);
    controller->sampleCentrePointModeAction({});
    EXPECT_FALSE(controller->isSampleMode());
    EXPECT_NEAR(controller->centreXTextField()->doubleValue(), target.x() / 10, 1e-9);
    EXPECT_NEAR(controller->centreYTextField()->doubleValue(), target.y() / 10, 1e-9);
    EXPECT_TRUE(controller->okButton()->isEnabled());
    EXPECT_EQ(controller->sampleModeButton()->state(), pf::ControlState::Off);
}

TEST_F(CentrePicking, AKeyOrAReleaseInsideTheSheetEmptiesTheCentre)
{
    for (bool key : {true, false}) {
        type(controller->centreXTextField(), QStringLiteral("3"));
        type(controller->centreYTextField(), QStringLiteral("4"));
        post(pf::MouseMoved, outside());
        if (key) {
            post(pf::KeyDown, outside());
        } else {
            post(pf::LeftMouseDown, inside());
            post(pf::LeftMouseUp, inside());
        }
        controller->sampleCentrePointModeAction({});
        EXPECT_FALSE(controller->isSampleMode()) << key;
        EXPECT_TRUE(controller->centreXTextField()->stringValue().isEmpty()) << key;
        EXPECT_TRUE(controller->centreYTextField()->stringValue().isEmpty()) << key;
        EXPECT_FALSE(controller->okButton()->isEnabled()) << key;
    }
}

TEST_F(CentrePicking, NeedsADelegateThatFindsGridPoints)
{
    controller->setDelegate(std::make_shared<SilentDelegate>());
    controller->sampleCentrePointModeAction({});
    EXPECT_FALSE(controller->isSampleMode());
    EXPECT_EQ(controller->centreXTextField()->stringValue(), QStringLiteral("3"));
}

TEST_F(DuplicateDialogs, ParallelSheetStartsFromItsDefaultsAndCallsOnlyWhatIsThere)
{
    CVLParallelDuplicateController controller;
    controller.beginParallelDuplicateDialogOnParent(parent.get(), recorder);
    EXPECT_EQ(controller.copiesTextField()->stringValue(), QStringLiteral("1"));
    EXPECT_EQ(controller.offsetTextField()->stringValue(), QStringLiteral("30"));
    EXPECT_EQ(controller.smoothCheckbox()->state(), pf::ControlState::Off);
    type(controller.offsetTextField(), QStringLiteral("-12.5"));
    type(controller.copiesTextField(), QStringLiteral("3"));
    controller.smoothCheckbox()->setState(pf::ControlState::On);
    controller.okAction({});
    ASSERT_EQ(recorder->calls, QStringList{QStringLiteral("parallel")});
    EXPECT_DOUBLE_EQ(recorder->lastArguments.value(0).toDouble(), -12.5);
    EXPECT_EQ(recorder->lastArguments.value(1).toInt(), 3);
    EXPECT_TRUE(recorder->lastArguments.value(2).toBool());

    controller.beginParallelDuplicateDialogOnParent(parent.get(), recorder);
    type(controller.copiesTextField(), QStringLiteral("0"));
    controller.controlTextDidChange(*controller.copiesTextField());
    EXPECT_FALSE(controller.okButton()->isEnabled());
    controller.cancelAction({});

    controller.beginParallelDuplicateDialogOnParent(parent.get(), std::make_shared<SilentDelegate>());
    type(controller.copiesTextField(), QStringLiteral("2"));
    controller.okAction({});
    EXPECT_FALSE(controller.window()->isVisible()) << "the sheet goes even when nothing answers";
    EXPECT_EQ(recorder->calls.size(), 1);
}

// Through the document ------------------------------------------------------------------------

TEST(DuplicateDialogsDocumentTest, TheSheetsValuesReachTheDocumentsDuplication)
{
    using namespace quillory::test;
    auto document = newDocument();
    ASSERT_TRUE(document);
    document->makeWindowControllers();
    ASSERT_TRUE(document->windowControllers().first()->window());
    auto layer = document->activeObjectLayer();
    auto square = PWDrawableShape::drawableShapeWithRect(QRectF(10, 10, 20, 20));
    layer->addObject(square);
    layer->addObjectToSelection(square);

    document->linearDuplicate({});
    Ref<RVLinearDuplicateController> controller = document->linearDuplicateController();
    ASSERT_TRUE(controller);
    EXPECT_EQ(pf::Sheet::attachedSheet(document->windowForSheet()), controller->window());
    controller->numberOfCopiesTextField()->setStringValue(QStringLiteral("3"));
    controller->xOffsetTextField()->setStringValue(QStringLiteral("1"));
    controller->yOffsetTextField()->setStringValue(QStringLiteral("0"));
    controller->okAction({});
    EXPECT_EQ(layer->countOfObjects(), 4);

    document->linearDuplicate({});
    EXPECT_EQ(document->linearDuplicateController(), controller) << "one sheet a document";
    controller->numberOfCopiesTextField()->setStringValue(QStringLiteral("-1"));
    controller->okAction({});
    controller->cancelAction({});
    EXPECT_EQ(layer->countOfObjects(), 4);

    document->polarDuplicate({});
    ASSERT_TRUE(document->polarDuplicateController());
    auto polar = document->polarDuplicateController();
    polar->copiesTextField()->setStringValue(QStringLiteral("2"));
    polar->copiesAction({});
    polar->duplicateAction({});
    EXPECT_EQ(layer->countOfObjects(), 4 + 3 * 2) << "two copies of each of the three selected";

    // Values out of reach never reach the drawing, whoever calls.
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(document->doLinearDuplicateCopies(2, QSizeF(inf, 0)));
    EXPECT_FALSE(document->doLinearDuplicateCopies(2, QSizeF(0, nan)));
    EXPECT_FALSE(document->doPolarDuplicateCopies(2, QPointF(nan, 0), 30, true));
    EXPECT_FALSE(document->doPolarDuplicateCopies(2, QPointF(0, 0), inf, true));
    EXPECT_FALSE(document->parallelCopyWithOffset(nan, 2, false));
    EXPECT_EQ(layer->countOfObjects(), 10);
    document->close();
}

} // namespace
