#include "../archiving/ArchivingTestSupport.h"

#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/archiving/PWErrors.h"
#include "frameworks/penwork/document/PWDrawingDocument.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/ClassBuilder.h"

#include <gtest/gtest.h>

using namespace archivingtest;

namespace {

class OwnerLayerDocument : public PWDrawingDocument {
    PF_CLASS(OwnerLayerDocument)
public:
    const pf::Class& classOfDefaultDrawingLayer() const override { return PWObjectOwnerLayer::staticClass(); }
};

class GroupLayerDocument : public PWDrawingDocument {
    PF_CLASS(GroupLayerDocument)
public:
    const pf::Class& classOfDefaultDrawingLayer() const override { return PWLayerGroup::staticClass(); }
};

} // namespace

PF_DEFINE_CLASS(OwnerLayerDocument, PWDrawingDocument) {}
PF_DEFINE_CLASS(GroupLayerDocument, PWDrawingDocument) {}

namespace {

template <class T = PWDrawingDocument>
pf::Ref<T> untitledDocument()
{
    auto document = std::make_shared<T>();
    pf::Error error;
    EXPECT_TRUE(document->initWithType(kPWDrawingDocumentType, &error));
    return document;
}

pf::Ref<PWDrawingDocument> documentHolding(const pf::Ref<PWDrawing>& drawing)
{
    auto document = std::make_shared<PWDrawingDocument>();
    document->setDrawing(drawing);
    return document;
}

} // namespace

TEST(PWOutDocument, UntitledDocumentHoldsTheDefaultDrawing)
{
    const auto document = untitledDocument();
    const pf::Ref<PWDrawing> drawing = document->drawing();
    ASSERT_TRUE(drawing);
    EXPECT_EQ(layerOutline(*drawing),
              (QStringList{"PWGuideLayer:Guides", "PWObjectDrawingLayer:Layer 1", "PWGridLayer:Grid"}));
    ASSERT_TRUE(drawing->activeLayer());
    EXPECT_TRUE(drawing->activeLayer()->isMemberOf(PWObjectDrawingLayer::staticClass()));
    EXPECT_TRUE(drawing->gridLayer());
    EXPECT_TRUE(drawing->guideLayer());
    EXPECT_EQ(drawing->delegate(), document.get());
    EXPECT_EQ(drawing->owner(), document);
    EXPECT_EQ(drawing->undoManager(), document->drawingUndoManager());
    EXPECT_EQ(document->ownUndoManager(), document->drawingUndoManager());
    EXPECT_FALSE(document->drawingUndoManager()->canUndo()) << "setting up the drawing is not an edit";
}

TEST(PWOutDocument, DefaultLayerClassComesFromTheHook)
{
    const auto owner = untitledDocument<OwnerLayerDocument>();
    EXPECT_TRUE(owner->drawing()->activeLayer()->isMemberOf(PWObjectOwnerLayer::staticClass()));
    // A group cannot be the content layer: the framework's layer stands in.
    const auto group = untitledDocument<GroupLayerDocument>();
    EXPECT_TRUE(group->drawing()->activeLayer()->isMemberOf(PWObjectDrawingLayer::staticClass()));
}

TEST(PWOutDocument, DataAndFileWrapperRoundTripInBothForms)
{
    const auto document = documentHolding(richDrawing());
    pf::Error error;
    const QByteArray flat = document->dataOfType(kPWDrawingDocumentType, &error);
    const QByteArray xml = document->dataOfType(kPWDrawingDocumentXMLType, &error);
    ASSERT_TRUE(flat.startsWith("bplist00"));
    ASSERT_TRUE(xml.startsWith("<?xml"));
    const pf::FileWrapperRef wrapper = document->fileWrapperOfType(QStringLiteral("Drawing"), &error);
    ASSERT_TRUE(wrapper);
    ASSERT_TRUE(wrapper->isRegularFile());
    EXPECT_TRUE(wrapper->regularFileContents().startsWith("bplist00"));

    // Both forms, and the wrapper, are read under the flat type.
    for (const QByteArray& data : {flat, xml, wrapper->regularFileContents()}) {
        auto reopened = std::make_shared<PWDrawingDocument>();
        ASSERT_TRUE(reopened->readFromData(data, kPWDrawingDocumentType, &error)) << qPrintable(error.description());
        EXPECT_EQ(layerOutline(*reopened->drawing()), layerOutline(*document->drawing()));
        EXPECT_EQ(reopened->drawing()->countOfObjects(), document->drawing()->countOfObjects());
        EXPECT_EQ(reopened->drawing()->delegate(), reopened.get());
        EXPECT_FALSE(reopened->drawingUndoManager()->canUndo()) << "reading records no undo";
    }
}

TEST(PWOutDocument, UnknownTypesAndFailedReadsChangeNothing)
{
    const auto document = documentHolding(richDrawing());
    const pf::Ref<PWDrawing> before = document->drawing();
    pf::Error error;
    EXPECT_TRUE(document->dataOfType(QStringLiteral("Quil"), &error).isEmpty());
    EXPECT_EQ(error.code(), kPWErrorUnsupportedType);
    EXPECT_FALSE(document->fileWrapperOfType(QStringLiteral("Image"), &error));

    const QByteArray flat = document->dataOfType(kPWDrawingDocumentType, nullptr);
    EXPECT_FALSE(document->readFromData(flat, QStringLiteral("Image"), &error));
    EXPECT_EQ(error.code(), kPWErrorUnsupportedType);
    error = {};
    EXPECT_FALSE(document->readFromData(flat.left(flat.size() - 20), kPWDrawingDocumentType, &error));
    EXPECT_EQ(error.domain(), kPWErrorDomain);
    EXPECT_EQ(document->drawing(), before);
    EXPECT_EQ(before->delegate(), document.get());
}

TEST(PWOutDocument, InstalledDrawingRecordsUndoWithTheDocument)
{
    const pf::Ref<PWDrawing> drawing = richDrawing();
    RVUndoManager* ownManager = drawing->undoManager();
    const auto document = documentHolding(drawing);
    RVUndoManager* manager = document->drawingUndoManager();
    manager->setGroupsByEvent(false);
    EXPECT_NE(ownManager, manager);

    const auto layer = layerNamed(*drawing, QStringLiteral("Shapes"));
    const pf::Ref<PWDrawableObject> object = layer->objects().front();
    manager->beginUndoGrouping();
    object->moveBy(5, 0);
    manager->endUndoGrouping();
    ASSERT_TRUE(manager->canUndo());

    // The style recorded with the drawing's own manager before; now with the document's.
    const pf::Ref<PWStyle> style = object->style();
    EXPECT_EQ(style->undoManager(), manager);
    manager->beginUndoGrouping();
    style->setOpacity(0.5);
    manager->endUndoGrouping();
    manager->undo();
    EXPECT_DOUBLE_EQ(style->opacity(), 1.0);
    manager->undo();
    EXPECT_EQ(object->location(), QPointF(25, 40));

    // A new drawing takes the manager and drops the history of the old one.
    manager->beginUndoGrouping();
    object->moveBy(1, 1);
    manager->endUndoGrouping();
    document->setDrawing(richDrawing());
    EXPECT_FALSE(manager->canUndo());
    EXPECT_FALSE(manager->canRedo());
    EXPECT_EQ(drawing->delegate(), nullptr);
    EXPECT_FALSE(drawing->owner());
}

TEST(PWOutDocument, DefaultLevelsOfUndoApplyToNewDocuments)
{
    const int saved = PWDrawingDocument::defaultLevelsOfUndo();
    PWDrawingDocument::setDefaultLevelsOfUndo(25);
    EXPECT_EQ(PWDrawingDocument::defaultLevelsOfUndo(), 25);
    PWDrawingDocument::setDefaultLevelsOfUndo(-3);
    EXPECT_EQ(PWDrawingDocument::defaultLevelsOfUndo(), 25);
    EXPECT_EQ(std::make_shared<PWDrawingDocument>()->drawingUndoManager()->levelsOfUndo(), 25);
    PWDrawingDocument::setDefaultLevelsOfUndo(saved);
}

TEST(PWOutDocument, ReplacesStylesWithTheSetsStylesOfTheSameKey)
{
    const auto document = documentHolding(richDrawing());
    const auto layer = layerNamed(*document->drawing(), QStringLiteral("Shapes"));
    const pf::Ref<PWStyle> red = layer->objects()[0]->style();
    const pf::Ref<PWStyle> other = layer->objects()[2]->style();
    ASSERT_TRUE(red && other);
    // An archived copy keeps the unique key; a plain copy does not.
    const auto match = std::static_pointer_cast<PWStyle>(
        PWDrawingArchiving::objectsWithData(PWDrawingArchiving::dataWithObjects({red}), PWStyle::staticClass()).first());
    ASSERT_EQ(match->uniqueKey(), red->uniqueKey());
    ASSERT_NE(match, red);
    const auto unrelated = std::static_pointer_cast<PWStyle>(other->copy());
    // Members of groups are reached too.
    const auto member = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10), red);
    layer->addObject(PWShapeGroup::groupWithObjects({member}));

    document->replaceDocumentStylesWithMatchingStylesFromSet({match, unrelated});
    EXPECT_EQ(layer->objects()[0]->style(), match);
    EXPECT_EQ(layer->objects()[1]->style(), match);
    EXPECT_EQ(layer->objects()[2]->style(), other);
    EXPECT_EQ(member->style(), match);
}

TEST(PWOutDocument, HooksAnswerTheFrameworksDefaults)
{
    PWDrawingDocument document;
    EXPECT_FALSE(document.documentStyleCategoryName().isEmpty());
    EXPECT_EQ(&document.classOfDefaultDrawingLayer(), &PWObjectDrawingLayer::staticClass());
    EXPECT_FALSE(document.wantsInfoLayer());
    EXPECT_EQ(document.makePrintDrawingView(), nullptr);
}
