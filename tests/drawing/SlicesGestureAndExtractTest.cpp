#include "SlicesTestSupport.h"

#include "app/PWXMapScale.h"
#include "app/RVCartavelDocument.h"
#include "drawing/PWDrawing+SlicesLayer.h"
#include "tests/app/DocumentTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace slices_test;

TEST(SlicesGesture, AToolModeChangeInTheMiddleOfADrawEndsTheGesture)
{
    SlicesFixture f;
    f.layer->setToolMode(VNQLSlicesLayer::DrawMode);
    f.layer->mouseDown(QPointF(10, 10), Qt::NoModifier, nullptr);
    f.endEvent();
    ASSERT_FALSE(f.undo().isUndoRegistrationEnabled());
    f.layer->setToolMode(VNQLSlicesLayer::SelectMode);
    EXPECT_TRUE(f.undo().isUndoRegistrationEnabled()) << "registration is on again";
    EXPECT_TRUE(f.layer->slices().isEmpty()) << "no zero-size slice is left";
    f.layer->mouseUp(QPointF(10, 10), Qt::NoModifier, nullptr);
    f.endEvent();
    EXPECT_TRUE(f.layer->slices().isEmpty());
    EXPECT_FALSE(f.undo().canUndo());

    // A slice drawn big enough before the change is kept as one step.
    f.layer->setToolMode(VNQLSlicesLayer::DrawMode);
    f.layer->mouseDown(QPointF(10, 10), Qt::NoModifier, nullptr);
    f.endEvent();
    f.layer->mouseDragged(QPointF(60, 40), Qt::NoModifier, nullptr);
    f.endEvent();
    f.layer->setToolMode(VNQLSlicesLayer::SelectMode);
    f.endEvent();
    EXPECT_EQ(f.bounds(), QList<QRectF>{QRectF(10, 10, 50, 30)});
    EXPECT_TRUE(f.undo().isUndoRegistrationEnabled());
    ASSERT_TRUE(f.undo().canUndo());
    f.undo().undo();
    EXPECT_TRUE(f.layer->slices().isEmpty());
}

TEST(SlicesExtract, ExtractDrawingOpensItAsANewUntitledDocument)
{
    quillory::test::documentController();
    pf::Ref<RVCartavelDocument> original = quillory::test::newDocument();
    auto layer = slicesLayer(*original->drawing());
    ASSERT_TRUE(layer);
    layer->setToolMode(VNQLSlicesLayer::SelectMode);
    auto slice = std::make_shared<PWXSlice>();
    slice->setBounds(QRectF(20, 20, 100, 60));
    layer->addSlice(slice);
    layer->selectSlice(slice, false);

    const int before = int(quillory::test::documentController().documents().size());
    pf::Ref<PWDrawing> extracted = layer->extractDrawingAction({});
    ASSERT_TRUE(extracted);
    const auto documents = quillory::test::documentController().documents();
    ASSERT_EQ(int(documents.size()), before + 1);
    auto made = std::dynamic_pointer_cast<RVCartavelDocument>(documents.last());
    ASSERT_TRUE(made);
    EXPECT_EQ(made->drawing(), extracted);
    EXPECT_TRUE(made->isUntitled());
    EXPECT_TRUE(made->isDocumentEdited());
    EXPECT_TRUE(made->mapScale()->isEqualToMapScale(original->mapScale().get()));
    EXPECT_EQ(extracted->drawingSize(), QSizeF(100, 60));
    for (const auto& document : QList<pf::Ref<pf::Document>>(documents))
        document->close();
}

} // namespace
