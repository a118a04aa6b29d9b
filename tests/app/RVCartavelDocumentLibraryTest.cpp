#include "DocumentTestSupport.h"
#include "tests/library/LibraryTestSupport.h"

#include "drawing/PWXSymbol.h"
#include "drawing/PWXSymbolManager.h"
#include "drawing/PWXSymbolMaster.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryManagerWindowController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Color.h"

#include <QDir>
#include <QTemporaryDir>

using namespace quillory::test;

namespace {

class DocumentLibrary : public library_test::LibraryTest {
protected:
    static pf::Ref<PWStyle> style(const QString& name) { return namedStyle(name, Qt::blue); }

    // A drawing with a shape of its own style and an instance of a master.
    struct Drawn {
        pf::Ref<PWStyle> shapeStyle;
        pf::Ref<PWXSymbolMaster> master;
    };
    static Drawn draw(RVCartavelDocument& document)
    {
        auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(
            document.drawing()->activeLayerOfClass(PWObjectDrawingLayer::staticClass()));
        EXPECT_TRUE(layer);
        Drawn drawn{style("Shape style"), nullptr};
        layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10), drawn.shapeStyle));
        drawn.master = PWXSymbolMaster::symbolMasterWithObject(
            PWDrawableShape::drawableShapeWithRect(QRectF(-5, -5, 10, 10), style("Master style")), "Well");
        layer->addObject(drawn.master->symbolWithLocation(QPointF(50, 50)));
        return drawn;
    }

    static int countRemovals(const std::function<void()>& action)
    {
        int count = 0;
        const quint64 token = pf::NotificationCenter::defaultCenter().addObserver(
            kPWXDocumentLibraryWasAddedOrRemoved, nullptr, [&](const pf::Notification&) { ++count; });
        action();
        pf::NotificationCenter::defaultCenter().removeObserver(token);
        return count;
    }
};

} // namespace

TEST_F(DocumentLibrary, HoldsTheDrawingsStylesAndMastersAndGoesAwayOnceAtClose)
{
    pf::Ref<RVCartavelDocument> document = newDocument();
    ASSERT_TRUE(document);
    const Drawn drawn = draw(*document);
    // A style a user library holds already is not the document's to show.
    pf::Ref<PWStyle> shared = style("Shared");
    pf::Ref<PWXLibrary> shelf =
        PWXLibrary::libraryWithPath(QDir(PWXLibrary::userLibraryFolder()).filePath("Shelf"), true);
    shelf->addItem(PWXLibraryItem::itemWithLibraryObject(shared));
    PWXLibrary::addLibraryToGroup(shelf, PWXLibraryGroup::kUserGroupName, false);
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(
        document->drawing()->activeLayerOfClass(PWObjectDrawingLayer::staticClass()));
    layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(20, 0, 10, 10), shared));

    EXPECT_TRUE(document->allLibraryObjects().contains(drawn.master));
    document->makeTemporaryDocumentLibrary();
    pf::Ref<PWXLibrary> library = document->library();
    ASSERT_TRUE(library);
    EXPECT_EQ(PWXLibrary::librariesInGroup(PWXLibraryGroup::kDocumentsGroupName), QList<pf::Ref<PWXLibrary>>{library});
    EXPECT_FALSE(library->hasPresenceOnDisk());
    EXPECT_TRUE(library->containsUniqueID(drawn.shapeStyle->uniqueKey()));
    EXPECT_TRUE(library->containsUniqueID(drawn.master->uniqueKey()));
    EXPECT_FALSE(library->containsUniqueID(shared->uniqueKey()));
    EXPECT_FALSE(library->allowsCategoryChanges());

    // Asking again keeps the one library and adds what it lacks.
    pf::Ref<PWStyle> later = style("Later");
    layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(40, 0, 10, 10), later));
    document->makeTemporaryDocumentLibrary();
    EXPECT_EQ(document->library(), library);
    EXPECT_TRUE(library->containsUniqueID(later->uniqueKey()));
    EXPECT_EQ(PWXLibrary::librariesInGroup(PWXLibraryGroup::kDocumentsGroupName).size(), 1);

    const int removals = countRemovals([&] {
        closeDocument(document);
        document.reset();
    });
    EXPECT_EQ(removals, 1);
    EXPECT_TRUE(PWXLibrary::librariesInGroup(PWXLibraryGroup::kDocumentsGroupName).isEmpty());
}

TEST_F(DocumentLibrary, SavingMakesTheLibraryAndASubstitutionSwapsTheStyle)
{
    QTemporaryDir folder;
    pf::Ref<RVCartavelDocument> document = newDocument();
    const Drawn drawn = draw(*document);
    ASSERT_TRUE(saveDocument(*document, QDir(folder.path()).filePath("Site.qlry")));
    ASSERT_TRUE(waitUntil([&] { return document->library() != nullptr; }));
    pf::Ref<PWXLibrary> library = document->library();
    ASSERT_TRUE(library->containsUniqueID(drawn.shapeStyle->uniqueKey()));

    pf::Ref<PWStyle> replacement = style("Library style");
    pf::NotificationCenter::defaultCenter().post(
        kPWXStyleSubstitutionWasPerformed, nullptr,
        {{"old_style", pf::toVariant(drawn.shapeStyle)}, {"new_style", pf::toVariant(replacement)}});
    EXPECT_FALSE(library->containsUniqueID(drawn.shapeStyle->uniqueKey()));
    const QList<pf::Ref<PWStyle>> styles = document->allStyles();
    EXPECT_TRUE(styles.contains(replacement));
    EXPECT_FALSE(styles.contains(drawn.shapeStyle));
    closeDocument(document);
}

// The library window's "OPEN DOCUMENTS" lists every open document, one with nothing drawn yet
// too, under the document's current name.
TEST_F(DocumentLibrary, AnEmptyDocumentIsListedAndItsLibraryFollowsItsName)
{
    QTemporaryDir folder;
    pf::Ref<RVCartavelDocument> document = newDocument();
    ASSERT_TRUE(document);
    document->makeTemporaryDocumentLibrary();
    pf::Ref<PWXLibrary> library = document->library();
    ASSERT_TRUE(library) << "a document without styles of its own still has its library";
    EXPECT_TRUE(PWXLibrary::librariesInGroup(PWXLibraryGroup::kDocumentsGroupName).contains(library));
    EXPECT_EQ(library->name(), document->displayName());

    ASSERT_TRUE(saveDocument(*document, QDir(folder.path()).filePath("Harbour.qlry")));
    EXPECT_TRUE(waitUntil([&] { return library->name() == QStringLiteral("Harbour"); }))
        << qPrintable(library->name());
    closeDocument(document);
}
