#include "DocumentTestSupport.h"

#include "frameworks/penwork/drawables/PWConnectableLine.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/graphics/BezierPath.h"

#include <QTemporaryDir>

using namespace quillory::test;

// A connector drawn between two objects is still attached to them after the document is
// saved and opened again, in both content forms.
TEST(DocumentConnectors, AttachmentsSurviveSavingAndReopening)
{
    for (bool xml : {false, true}) {
        SCOPED_TRACE(xml ? "XML content" : "binary content");
        auto document = newDocument();
        ASSERT_TRUE(document);
        auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(
            document->drawing()->activeLayerOfClass(PWObjectDrawingLayer::staticClass()));
        ASSERT_TRUE(layer);
        auto from = PWDrawableShape::drawableShapeWithRect({10, 10, 40, 40});
        auto to = PWDrawableShape::drawableShapeWithRect({200, 50, 40, 40});
        auto line = std::make_shared<PWConnectableLine>(*pf::BezierPath::pathWithPolygon({{30, 30}, {220, 70}}, false));
        layer->addObjectsFromArray({from, to, line});
        line->attach(PWConnectableLine::kStart, from);
        line->attach(PWConnectableLine::kEnd, to);
        if (xml)
            document->saveXMLAction(true);

        QTemporaryDir folder;
        const QString file = QDir(folder.path()).filePath(QStringLiteral("connected.qlry"));
        pf::Error error;
        ASSERT_TRUE(saveDocument(*document, file, &error)) << qPrintable(error.description());
        auto reopened = openDocument(file, &error);
        ASSERT_TRUE(reopened) << qPrintable(error.description());
        auto reread = std::dynamic_pointer_cast<PWObjectDrawingLayer>(
            reopened->drawing()->activeLayerOfClass(PWObjectDrawingLayer::staticClass()));
        ASSERT_TRUE(reread);
        const auto objects = reread->objectList();
        ASSERT_EQ(objects.size(), 3);
        auto connector = std::dynamic_pointer_cast<PWConnectableLine>(objects[2]);
        ASSERT_TRUE(connector);
        EXPECT_EQ(connector->attachedObject(PWConnectableLine::kStart), objects[0]);
        EXPECT_EQ(connector->attachedObject(PWConnectableLine::kEnd), objects[1]);
        objects[0]->setLocation(objects[0]->location() + QPointF(0, 100));
        EXPECT_EQ(connector->path()->firstPoint(), QPointF(30, 130));
        closeDocument(reopened);
        closeDocument(document);
    }
}
