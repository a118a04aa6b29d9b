#include "DocumentTestSupport.h"

#include "app/PWXMapScale.h"
#include "drawing/PWDrawing+SlicesLayer.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/view/PWRulerView.h"
#include "platform/foundation/UserDefaults.h"
#include "widgets/FileManager+FindFolder.h"

#include <QFile>

namespace {

using namespace quillory::test;
using pf::Ref;

class DocumentDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        documentController();
        for (const QString& key : {RVCartavelDocument::kDefaultSizeDefault, RVCartavelDocument::kDefaultUnitDisplayOptionDefault,
                                   RVCartavelDocument::kDefaultPaperMarginsVisibleDefault,
                                   RVCartavelDocument::kDefaultMarginsDefault,
                                   RVCartavelDocument::kDefaultDrawingScaleDefault,
                                   RVCartavelDocument::kDefaultDrawingUnitsDefault})
            pf::UserDefaults::standard().removeObjectForKey(key);
    }
    void TearDown() override
    {
        for (const auto& document : QList<pf::Ref<pf::Document>>(documentController().documents()))
            document->close();
    }
};

TEST_F(DocumentDefaultsTest, ANewDocumentWithoutAnyDefaults)
{
    Ref<RVCartavelDocument> document = newDocument();
    Ref<PWDrawing> drawing = document->drawing();
    EXPECT_NEAR(drawing->drawingSize().width(), 1814.1732283464569, 1e-9);
    EXPECT_NEAR(drawing->drawingSize().height(), 1360.6299212598428, 1e-9);
    EXPECT_TRUE(drawing->units()->isEqualToUnit(RVUnitLength::centimeters()));
    EXPECT_EQ(drawing->leftMargin() + drawing->topMargin() + drawing->rightMargin() + drawing->bottomMargin(), 0.0);
    EXPECT_TRUE(document->mapScale()->isEqualToMapScale(PWXMapScale::defaultScale().get()));
    EXPECT_EQ(document->unitDisplayOption(), 0);
    EXPECT_FALSE(document->paperMarginsShouldBeShown());
    EXPECT_DOUBLE_EQ(document->prescale(), 1.0);
    EXPECT_EQ(drawing->gridLayer()->layerName(), QStringLiteral("Graph Paper"));
    EXPECT_TRUE(drawing->gridLayer()->locked());
    const auto layers = drawing->layers();
    ASSERT_FALSE(layers.empty());
    auto slices = std::dynamic_pointer_cast<VNQLSlicesLayer>(layers.front());
    ASSERT_TRUE(slices) << "the slices layer is on top";
    EXPECT_FALSE(slices->visible());
    EXPECT_FALSE(document->isDocumentEdited());
}

TEST_F(DocumentDefaultsTest, StoredSizesAndMarginsOfNewDocuments)
{
    RVCartavelDocument::setDefaultDrawingSize(QSizeF(0, 0));
    EXPECT_NEAR(RVCartavelDocument::defaultDrawingSize().width(), 1814.1732283464569, 1e-9) << "the zero size falls back";
    RVCartavelDocument::setDefaultDrawingSize(QSizeF(300, 200));
    RVCartavelDocument::setDefaultDrawingMargins(QRectF(10, 10, 10, 10));
    Ref<RVCartavelDocument> document = newDocument();
    EXPECT_EQ(document->drawing()->drawingSize(), QSizeF(300, 200));
    EXPECT_EQ(document->drawing()->leftMargin(), 0.0) << "new drawings always get zero margins";
    pf::UserDefaults::standard().removeObjectForKey(RVCartavelDocument::kDefaultSizeDefault);
}

TEST_F(DocumentDefaultsTest, InstallingDrawings)
{
    Ref<RVCartavelDocument> document = newDocument();
    Ref<PWDrawing> original = document->drawing();
    document->setDrawing(nullptr);
    EXPECT_EQ(document->drawing(), original) << "no drawing changes nothing";

    auto drawing = PWDrawing::defaultDrawing();
    auto own = std::make_shared<VNQLSlicesLayer>();
    drawing->addLayer(own);
    document->setDrawing(drawing);
    int count = 0;
    for (const auto& layer : drawing->flattenedLayers())
        count += dynamic_cast<VNQLSlicesLayer*>(layer.get()) ? 1 : 0;
    EXPECT_EQ(count, 1) << "a drawing with a slices layer gets no second one";
    EXPECT_FALSE(own->visible());
    EXPECT_EQ(drawing->layerName(), document->displayName());
    document->setDisplayName(QStringLiteral("Renamed"));
    EXPECT_EQ(drawing->layerName(), QStringLiteral("Renamed"));
}

TEST_F(DocumentDefaultsTest, DocumentsMadeForADrawingAreEditedAndTakeTheMapScale)
{
    Ref<RVCartavelDocument> original = newDocument();
    original->setMapScale(PWXMapScale::defaultScale()->mapScaleWithRepresentativeValue(9000, false));
    Ref<RVCartavelDocument> made = RVCartavelDocument::documentWithDrawing(PWDrawing::defaultDrawing(), false, original.get(), {});
    ASSERT_TRUE(made);
    EXPECT_TRUE(made->isDocumentEdited());
    EXPECT_TRUE(made->isUntitled());
    EXPECT_EQ(made->fileType(), RVCartavelDocument::kNativeType);
    EXPECT_TRUE(made->mapScale()->isEqualToMapScale(original->mapScale().get()));
    EXPECT_NE(made->mapScale(), original->mapScale()) << "a copy";
    EXPECT_TRUE(documentController().documents().contains(made));
}

TEST_F(DocumentDefaultsTest, TemplateURLsCompareWholePathComponents)
{
    const QString user = RVCartavelDocument::userTemplatesURL().toLocalFile();
    ASSERT_FALSE(user.isEmpty());
    ASSERT_TRUE(QFileInfo(user).isDir());
    const struct {
        QString path;
        bool isTemplate;
    } cases[] = {
        {user + QStringLiteral("/Sub/Plan.qlry"), true},
        {user.toUpper() + QStringLiteral("/Plan.qlry"), true},
        {user + QStringLiteral(" Old/Plan.qlry"), false},
        {user + QStringLiteral("/../Plan.qlry"), false},
        {QDir::homePath() + QStringLiteral("/Plan.qlry"), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RVCartavelDocument::isTemplateURL(QUrl::fromLocalFile(c.path)), c.isTemplate) << qPrintable(c.path);
        EXPECT_EQ(RVCartavelDocument::isUserTemplateURL(QUrl::fromLocalFile(c.path)), c.isTemplate) << qPrintable(c.path);
    }
    EXPECT_FALSE(RVCartavelDocument::isTemplateURL(QUrl()));
    EXPECT_FALSE(RVCartavelDocument::isTemplateURL(QUrl(QStringLiteral("https://example.org/My Templates/a.qlry"))));
}

TEST_F(DocumentDefaultsTest, TemplatesAreSavedAsPackagesUnderOneSafeName)
{
    for (const QString& bad : {QString(), QStringLiteral(".."), QStringLiteral("a/b"), QStringLiteral("x") + QChar(0)})
        EXPECT_TRUE(RVCartavelDocument::userTemplateURLForName(bad).isEmpty()) << qPrintable(bad);
    const QUrl url = RVCartavelDocument::userTemplateURLForName(QStringLiteral("Plan.txt"));
    EXPECT_EQ(QFileInfo(url.toLocalFile()).fileName(), QStringLiteral("Plan.qlry"));
    // Other tests of the same program may have saved a "Plan" already: replacing it would ask.
    QDir(url.toLocalFile()).removeRecursively();

    Ref<RVCartavelDocument> document = newDocument();
    document->saveTemplateNamed(QStringLiteral("Plan"));
    EXPECT_TRUE(QFileInfo(QDir(url.toLocalFile()).filePath(RVCartavelDocument::kContentEntry)).isFile());
    EXPECT_TRUE(document->isUntitled()) << "the document's own file is untouched";
    EXPECT_TRUE(RVCartavelDocument::availableTemplatesAtURL(RVCartavelDocument::userTemplatesURL(), true).contains(url));
    EXPECT_TRUE(RVCartavelDocument::hasTemplatesAvailable());
}

TEST_F(DocumentDefaultsTest, DocumentsRegisterInchAndCentimetreRulerUnits)
{
    Ref<RVCartavelDocument> document = newDocument();
    std::optional<PWRulerView::Unit> inches = PWRulerView::registeredUnit(QStringLiteral("inches"));
    std::optional<PWRulerView::Unit> centimetres = PWRulerView::registeredUnit(QStringLiteral("centimetres"));
    ASSERT_TRUE(inches && centimetres);
    EXPECT_EQ(inches->abbreviation, RVUnitLength::inches()->symbol());
    EXPECT_DOUBLE_EQ(inches->pointsPerUnit, 72.0);
    EXPECT_EQ(inches->stepUpCycle, QList<double>{2.0});
    EXPECT_EQ(inches->stepDownCycle, QList<double>{0.5});
    EXPECT_EQ(centimetres->abbreviation, QStringLiteral("cm"));
    EXPECT_DOUBLE_EQ(centimetres->pointsPerUnit, 28.346456692913);
    EXPECT_EQ(centimetres->stepUpCycle, QList<double>{2.0});
    EXPECT_EQ(centimetres->stepDownCycle, (QList<double>{0.5, 0.2}));
    // The default drawing is in centimetres, which the rulers find by its own unit names.
    Ref<PWDrawing> drawing = document->drawing();
    EXPECT_EQ(PWRulerView::unitForDrawingUnits(drawing->drawingUnits(), drawing->abbreviatedDrawingUnits(),
                                               drawing->unitToPointsConversionFactor()).stepDownCycle,
              (QList<double>{0.5, 0.2}));
}

} // namespace
