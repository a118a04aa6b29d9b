#include "SymbolsTestSupport.h"

#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/ui/DraggingInfo.h"
#include "platform/ui/Pasteboard.h"

#include <memory>

using namespace symbols_test;

namespace {

// Drops through the drawing view, which asks the object under the point what it accepts.
class SymbolDrop : public SymbolsTest {
protected:
    void SetUp() override
    {
        SymbolsTest::SetUp();
        PWDrawingView::setShouldCreateAutomaticDrawing(false);
        drawing = PWDrawing::defaultDrawing();
        drawing->setDrawingSize(QSizeF(400, 300));
        layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->activeLayer());
        master = rectMaster("Tree");
        first = master->symbolWithLocation(QPointF(50, 50));
        second = master->symbolWithLocation(QPointF(200, 50));
        plain = PWDrawableShape::drawableShapeWithRect(QRectF(100, 200, 40, 30));
        layer->addObject(first);
        layer->addObject(second);
        layer->addObject(plain);
        view = std::make_unique<PWDrawingView>();
        view->setDrawing(drawing);
        QCoreApplication::processEvents();
        drawing->undoManager()->removeAllActions();
    }
    void TearDown() override
    {
        view.reset();
        PWDrawingView::setShouldCreateAutomaticDrawing(true);
        SymbolsTest::TearDown();
    }
    bool drop(const pf::Ref<pf::Pasteboard>& pasteboard, QPointF at)
    {
        const pf::DraggingInfo info(pasteboard, nullptr, pf::DragOperationCopy, view->convertPointToView(at, nullptr),
                                    nullptr, 1);
        return view->draggingEntered(info) != pf::DragOperationNone && view->performDragOperation(info);
    }
    static pf::Ref<pf::Pasteboard> colour(const QColor& c)
    {
        auto pasteboard = pf::Pasteboard::withName("symbol-view-drop");
        pasteboard->clearContents();
        pasteboard->declareTypes({pf::NSPasteboardTypeColor});
        pasteboard->setColor(c);
        return pasteboard;
    }
    static QColor fillOf(const pf::Ref<PWStyle>& style)
    {
        auto fills = style ? style->renderersOfClass<PWFill>() : QList<pf::Ref<PWFill>>();
        return fills.isEmpty() ? QColor() : fills.first()->colour().qColor();
    }

    pf::Ref<PWDrawing> drawing;
    pf::Ref<PWObjectDrawingLayer> layer;
    pf::Ref<PWXSymbolMaster> master;
    pf::Ref<PWXSymbol> first, second;
    pf::Ref<PWDrawableShape> plain;
    std::unique_ptr<PWDrawingView> view;
};

} // namespace

TEST_F(SymbolDrop, AColourOnAnInstanceLeavesItsMasterAndTheOtherInstances)
{
    EXPECT_TRUE(drop(colour(Qt::red), QPointF(50, 50)));
    EXPECT_EQ(fillOf(first->style()), QColor(Qt::red));
    EXPECT_EQ(fillOf(master->style()), QColor(Qt::green));
    EXPECT_EQ(fillOf(second->style()), QColor(Qt::green));
    // Plain drawables still take colours.
    EXPECT_TRUE(drop(colour(Qt::blue), QPointF(120, 215)));
    EXPECT_EQ(fillOf(plain->style()), QColor(Qt::blue));
}

TEST_F(SymbolDrop, AMasterDroppedOnAnInstanceReplacesItsMasterOnly)
{
    auto other = rectMaster("Bush", QRectF(-3, -3, 6, 6));
    auto pasteboard = pf::Pasteboard::withName("symbol-view-master");
    pasteboard->clearContents();
    other->copyToPasteboard(pasteboard.get());
    EXPECT_TRUE(drop(pasteboard, QPointF(50, 50)));
    pf::Ref<PWXSymbolMaster> dropped = first->master();
    EXPECT_EQ(dropped->uniqueKey(), other->uniqueKey());
    EXPECT_EQ(second->master(), master);
    QCoreApplication::processEvents();
    EXPECT_EQ(drawing->undoManager()->undoActionName(), "Drop Symbol Master");
    // A plain drawable does not accept masters.
    EXPECT_FALSE(drop(pasteboard, QPointF(120, 215)));
}

TEST_F(SymbolDrop, ALockedInstanceTakesNoDrop)
{
    first->setLocked(true);
    EXPECT_FALSE(drop(colour(Qt::red), QPointF(50, 50)));
    EXPECT_EQ(fillOf(master->style()), QColor(Qt::green));
    EXPECT_FALSE(first->usesLocalStyle());
}
