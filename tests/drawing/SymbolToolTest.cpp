#include "SymbolsTestSupport.h"

#include "drawing/PWXSymbolTool.h"
#include "tests/frameworks/penwork/tools/ToolsTestSupport.h"

using namespace symbols_test;

namespace {

// Stands for the document that owns a drawing and tells its prescale.
class PrescaleOwner : public pf::Object {
    PF_CLASS(PrescaleOwner)
public:
    double prescale() const { return value; }
    double value = 2.0;
};

class SymbolTool : public SymbolsTest {
protected:
    void SetUp() override
    {
        SymbolsTest::SetUp();
        master = rectMaster("Tree");
        tool = std::make_shared<PWXSymbolTool>(master);
        PWDrawingTool::registerDrawingTool(tool, PWXSymbolTool::kToolName);
        f.settle();
        f.use(PWXSymbolTool::kToolName);
    }

    QList<pf::Ref<PWDrawableObject>> objects() const { return f.layer->objectList(); }

    tools_test::ToolFixture f;
    pf::Ref<PWXSymbolMaster> master;
    pf::Ref<PWXSymbolTool> tool;
};

} // namespace

PF_DEFINE_CLASS(PrescaleOwner, pf::Object) { b.property("prescale", &PrescaleOwner::prescale); }

TEST_F(SymbolTool, PlacesInstancesOrPlainDrawablesAsOneUndoStep)
{
    struct Case {
        bool autoDetach;
        Qt::KeyboardModifiers modifiers;
        bool instance;
    };
    for (const Case c : {Case{true, Qt::NoModifier, false}, Case{false, Qt::NoModifier, true},
                         Case{false, Qt::AltModifier, false}}) {
        SCOPED_TRACE(testing::Message() << c.autoDetach << " " << int(c.modifiers));
        master->setAutoDetachesInstances(c.autoDetach);
        f.settle();
        f.click(QPointF(120, 80), c.modifiers);
        QCoreApplication::processEvents();
        ASSERT_EQ(objects().size(), 1);
        pf::Ref<PWDrawableObject> placed = objects().first();
        EXPECT_EQ(bool(std::dynamic_pointer_cast<PWXSymbol>(placed)), c.instance);
        EXPECT_EQ(placed->location(), QPointF(120, 80));
        EXPECT_EQ(placed->size(), QSizeF(20, 10));
        EXPECT_EQ(f.layer->selection(), QList<pf::Ref<PWDrawableObject>>{placed});
        EXPECT_FALSE(f.layer->pendingObject());
        EXPECT_EQ(f.undo()->undoActionName(), "Place Clip-Art");
        EXPECT_EQ(f.undo()->numberOfUndoActions(), 1);
        f.undo()->undo();
        EXPECT_TRUE(objects().isEmpty());
    }
}

TEST_F(SymbolTool, TheDocumentPrescaleAppliesToInstancesOnly)
{
    auto owner = std::make_shared<PrescaleOwner>();
    f.drawing->setOwner(owner);
    master->setAutoDetachesInstances(false);
    f.click(QPointF(50, 50));
    auto instance = std::dynamic_pointer_cast<PWXSymbol>(objects().value(0));
    ASSERT_TRUE(instance);
    EXPECT_DOUBLE_EQ(instance->scaleFactor(), 2.0);
    master->setAutoDetachesInstances(true);
    f.click(QPointF(90, 50));
    ASSERT_EQ(objects().size(), 2);
    EXPECT_EQ(objects().at(1)->size(), QSizeF(20, 10));
}

TEST_F(SymbolTool, AClickWithoutAMasterPlacesNothing)
{
    tool->setSymbolMaster(nullptr);
    f.click(QPointF(50, 50));
    QCoreApplication::processEvents();
    EXPECT_TRUE(objects().isEmpty());
    EXPECT_FALSE(f.undo()->canUndo());
    EXPECT_TRUE(f.undo()->isUndoRegistrationEnabled());
}

TEST_F(SymbolTool, AGestureCutShortByAToolSwitchLeavesUndoOnAndNothingPending)
{
    // Through the controller the gesture ends as its mouse up would.
    f.controller.mouseDown(f.view, QPointF(50, 50), Qt::NoModifier, 1);
    f.controller.mouseDragged(f.view, QPointF(60, 50), Qt::NoModifier);
    ASSERT_TRUE(f.layer->pendingObject());
    EXPECT_FALSE(f.undo()->isUndoRegistrationEnabled());
    f.controller.setCurrentTool(PWDrawingTool::selectionTool());
    EXPECT_TRUE(f.undo()->isUndoRegistrationEnabled());
    EXPECT_FALSE(f.layer->pendingObject());
    EXPECT_EQ(objects().size(), 1);
    // Unset with no mouse up at all: nothing is placed and undo is back on.
    PWToolEvent event;
    tool->mouseDownAtPoint(QPointF(80, 80), nullptr, f.layer.get(), event, nullptr);
    ASSERT_TRUE(f.layer->pendingObject());
    tool->toolControllerWillUnsetTool(f.controller);
    EXPECT_TRUE(f.undo()->isUndoRegistrationEnabled());
    EXPECT_FALSE(f.layer->pendingObject());
    EXPECT_FALSE(tool->objectBeingCreated());
    EXPECT_EQ(objects().size(), 1);
}

TEST_F(SymbolTool, PersistentDataRestoresARegisteredMasterAndKeepsTheCurrentOtherwise)
{
    PWXSymbolManager::registerSymbol(master);
    const QByteArray data = tool->persistentData().value();
    EXPECT_EQ(data, master->uniqueKey().toUtf8());
    auto fresh = std::make_shared<PWXSymbolTool>(PWXSymbolMaster::defaultSymbolMaster());
    fresh->shouldLoadPersistentData(data);
    EXPECT_EQ(fresh->symbolMaster(), master);
    PWXSymbolManager::unregisterSymbol(master);
    auto restored = std::make_shared<PWXSymbolTool>(PWXSymbolMaster::defaultSymbolMaster());
    restored->shouldLoadPersistentData(data);
    EXPECT_EQ(restored->symbolMaster(), PWXSymbolMaster::defaultSymbolMaster());
}

TEST_F(SymbolTool, PickingUpAnInstanceLoadsItsMasterIntoTheStamp)
{
    auto other = rectMaster("Bush");
    for (const bool keep : {false, true}) {
        SCOPED_TRACE(keep);
        tool->setSymbolMaster(master);
        auto instance = f.add(other->symbolWithLocation(QPointF(30, 30)));
        instance->setMetadata({{"kind", "box"}});
        EXPECT_TRUE(instance->pickUpSymbol(keep));
        QCoreApplication::processEvents();
        EXPECT_EQ(tool->symbolMaster(), other);
        EXPECT_EQ(other->attributesTemplate().value("kind").toString(), "box");
        EXPECT_EQ(f.layer->objectList().contains(instance), keep);
        f.undo()->disableUndoRegistration();
        f.layer->removeObjectsInArray(f.layer->objectList());
        f.undo()->enableUndoRegistration();
    }
}
