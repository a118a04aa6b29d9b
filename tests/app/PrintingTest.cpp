#include "DocumentTestSupport.h"

#include "app/CVLPrintingView.h"
#include "app/RVCartavelPrintAccessoryController.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Color.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/PrintOperation.h"
#include "platform/ui/PrintPanel.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <poppler-qt6.h>

#include <gtest/gtest.h>

namespace {

using namespace quillory::test;
using pf::Ref;

// What a printed PDF holds: its pages' sizes in points and each page drawn a pixel a point.
struct PrintedPdf {
    QList<QSizeF> sizes;
    QList<QImage> pages;
};

PrintedPdf readPdf(const QString& path)
{
    PrintedPdf pdf;
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    if (!document)
        return pdf;
    for (int i = 0; i < document->numPages(); ++i) {
        std::unique_ptr<Poppler::Page> page = document->page(i);
        pdf.sizes.append(page->pageSizeF());
        pdf.pages.append(page->renderToImage(72, 72).convertToFormat(QImage::Format_RGB32));
    }
    return pdf;
}

// Pixels of `image` in `rect` (points) that are not white.
int inkIn(const QImage& image, const QRectF& pointsRect)
{
    const QRect rect = pointsRect.toRect().intersected(image.rect());
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (QColor(image.pixel(x, y)).lightness() < 235)
                ++count;
    return count;
}

class Printing : public ::testing::Test {
protected:
    void SetUp() override
    {
        accessory().view(); // the shared options tab, with the choices carried from job to job
        accessory().fitToPageCheckbox()->setState(pf::ControlState::Off);
        accessory().cropmarksPopUpButton()->selectItemWithTag(0);
        document = newDocument();
        ASSERT_TRUE(document);
        drawing = document->drawing();
        // A filled square in the drawing's top-left corner.
        auto square = PWDrawableShape::drawableShapeWithRect(QRectF(20, 20, 400, 400));
        square->setStyle(PWStyle::styleWithFillColour(pf::Color(QColor(Qt::black)), pf::Color(QColor(Qt::black))));
        document->activeObjectLayer()->addObject(square);
    }
    void TearDown() override
    {
        if (document)
            document->close();
    }
    static RVCartavelPrintAccessoryController& accessory()
    {
        return RVCartavelPrintAccessoryController::sharedPrintAccessoryController();
    }
    // A job printing into `name` in the temporary folder on A4 with 1-inch margins.
    Ref<pf::PrintOperation> job(const QString& name)
    {
        pf::Error error;
        Ref<pf::PrintOperation> operation = document->printOperationWithSettings({}, &error);
        EXPECT_TRUE(operation) << qPrintable(error.description());
        if (!operation)
            return nullptr;
        operation->setShowsPrintPanel(false);
        operation->setOutputFileName(folder.filePath(name));
        Ref<pf::PrintInfo> info = operation->printInfo();
        // Stated whole: the print info of new documents follows whatever an earlier job stored.
        info->setPaperName(QStringLiteral("A4"));
        info->setOrientation(pf::PrintingOrientation::Portrait);
        for (auto set : {&pf::PrintInfo::setTopMargin, &pf::PrintInfo::setLeftMargin, &pf::PrintInfo::setBottomMargin,
                         &pf::PrintInfo::setRightMargin})
            (info.get()->*set)(72);
        return operation;
    }
    // Where a rectangle of the drawing lands on A4 when the drawing is fitted inside 1-inch
    // margins and centred.
    QRectF onPage(const QRectF& inDrawing) const
    {
        const QSizeF size = drawing->drawingSize();
        const double scale = std::min((595.0 - 144) / size.width(), (842.0 - 144) / size.height());
        const QPointF origin(72 + (595.0 - 144 - size.width() * scale) / 2, 72 + (842.0 - 144 - size.height() * scale) / 2);
        return QRectF(origin + inDrawing.topLeft() * scale, inDrawing.size() * scale);
    }
    QRectF content() const { return onPage(QRectF(QPointF(), drawing->drawingSize())); }
    PrintedPdf print(const QString& name)
    {
        Ref<pf::PrintOperation> operation = job(name);
        bool printed = false;
        document->runModalPrintOperation(operation, [&](bool ok) { printed = ok; });
        EXPECT_TRUE(printed) << qPrintable(operation->error().description());
        return readPdf(folder.filePath(name));
    }

    QTemporaryDir folder;
    Ref<RVCartavelDocument> document;
    Ref<PWDrawing> drawing;
};

TEST_F(Printing, TheDrawingPrintsThroughAPrintingViewOfItsSize)
{
    QWidget* view = document->makePrintDrawingView();
    auto* printing = qobject_cast<CVLPrintingView*>(view);
    ASSERT_TRUE(printing);
    EXPECT_EQ(printing->document(), document.get());
    EXPECT_EQ(printing->drawing(), drawing);
    EXPECT_NEAR(printing->width(), drawing->drawingSize().width(), 1);
    EXPECT_NEAR(printing->height(), drawing->drawingSize().height(), 1);
    EXPECT_NE(document->mainView(), printing) << "a print view is never the main view";
    delete view;

    // Fitted to A4 within 1-inch margins: one page, the square where the drawing puts it.
    accessory().fitToPageCheckbox()->setState(pf::ControlState::On);
    const PrintedPdf pdf = print(QStringLiteral("fit.pdf"));
    ASSERT_EQ(pdf.sizes.size(), 1);
    EXPECT_NEAR(pdf.sizes[0].width(), 595, 1);
    EXPECT_NEAR(pdf.sizes[0].height(), 842, 1);
    const QRectF square = onPage(QRectF(20, 20, 400, 400)).adjusted(3, 3, -3, -3);
    EXPECT_EQ(inkIn(pdf.pages[0], square), square.toRect().width() * square.toRect().height()) << "the square is drawn";
    EXPECT_EQ(inkIn(pdf.pages[0], onPage(QRectF(600, 600, 400, 400))), 0) << "and nothing else";
}

TEST_F(Printing, FitToPageDecidesThePageCount)
{
    const PrintedPdf tiled = print(QStringLiteral("tiled.pdf"));
    EXPECT_GT(tiled.sizes.size(), 1) << "a full-page drawing does not fit inside the margins";
    accessory().fitToPageCheckbox()->setState(pf::ControlState::On);
    EXPECT_EQ(print(QStringLiteral("fitted.pdf")).sizes.size(), 1);
}

TEST_F(Printing, CropMarksAreDrawnInTheMargin)
{
    accessory().fitToPageCheckbox()->setState(pf::ControlState::On);
    // The fitted drawing is centred vertically: the band above it is empty paper.
    const QRectF page = content();
    const QRectF aboveLeftCorner(page.left() - 4, page.top() - 30, 8, 24); // where a corner mark runs up
    const QRectF aboveMiddle(page.center().x() - 4, page.top() - 30, 8, 24); // where an edge mark runs up
    struct Case {
        int tag;
        bool corner;
        bool edge;
    };
    for (const Case& c : {Case{0, false, false}, Case{1, true, false}, Case{2, false, true}}) {
        accessory().cropmarksPopUpButton()->selectItemWithTag(c.tag);
        const PrintedPdf pdf = print(QStringLiteral("crop%1.pdf").arg(c.tag));
        ASSERT_EQ(pdf.pages.size(), 1);
        EXPECT_EQ(inkIn(pdf.pages[0], aboveLeftCorner) > 0, c.corner) << c.tag;
        EXPECT_EQ(inkIn(pdf.pages[0], aboveMiddle) > 0, c.edge) << c.tag;
    }
}

TEST_F(Printing, GraphPaperAndPaperBackgroundFollowTheDrawing)
{
    accessory().fitToPageCheckbox()->setState(pf::ControlState::On);
    const QRectF empty = onPage(QRectF(600, 600, 600, 600)); // paper away from the square
    EXPECT_EQ(inkIn(print(QStringLiteral("plain.pdf")).pages.value(0), empty), 0);

    ASSERT_TRUE(drawing->gridLayer());
    drawing->gridLayer()->setShouldDrawToPrinter(true);
    EXPECT_GT(inkIn(print(QStringLiteral("grid.pdf")).pages.value(0), empty), 50) << "grid lines";
    EXPECT_TRUE(drawing->gridLayer()->shouldDrawToPrinter()) << "the choice stays with the drawing";

    drawing->gridLayer()->setShouldDrawToPrinter(false);
    drawing->setPaperColour(pf::Color(QColor(40, 40, 160)));
    EXPECT_EQ(inkIn(print(QStringLiteral("unprinted.pdf")).pages.value(0), empty), 0);
    drawing->setPaperColourIsPrinted(true);
    const PrintedPdf coloured = print(QStringLiteral("coloured.pdf"));
    const QImage& page = coloured.pages.value(0);
    const QColor middle(page.pixel(empty.center().toPoint()));
    EXPECT_LT(middle.red(), 80);
    EXPECT_GT(middle.blue(), 120);
}

TEST_F(Printing, TheOptionsStartFromTheDrawingBeingPrintedAndLetGoOfTheJob)
{
    // A first job ticks graph paper for its drawing...
    Ref<pf::PrintOperation> first = job(QStringLiteral("first.pdf"));
    accessory().setPrintOperation(first.get());
    accessory().printGraphPaperCheckbox()->setState(pf::ControlState::On);
    accessory().printGraphPaperAction(pf::toVariant(accessory().printGraphPaperCheckbox()));
    EXPECT_TRUE(drawing->gridLayer()->shouldDrawToPrinter());
    EXPECT_EQ(accessory().localizedSummaryItems().at(2), qMakePair(QStringLiteral("Graph Paper"), QStringLiteral("Yes")));
    accessory().setPrintOperation(nullptr);

    // ...which never reaches another drawing.
    auto other = newDocument();
    ASSERT_TRUE(other);
    ASSERT_FALSE(other->drawing()->gridLayer()->shouldDrawToPrinter());
    Ref<pf::PrintOperation> second = other->printOperationWithSettings({}, nullptr);
    second->setShowsPrintPanel(false);
    second->setOutputFileName(folder.filePath(QStringLiteral("second.pdf")));
    bool ended = false;
    other->runModalPrintOperation(second, [&](bool) {
        ended = true;
        EXPECT_FALSE(other->drawing()->gridLayer()->shouldDrawToPrinter());
    });
    EXPECT_TRUE(ended);
    EXPECT_FALSE(other->drawing()->gridLayer()->shouldDrawToPrinter());
    EXPECT_EQ(accessory().printOperation(), nullptr) << "the job is let go when it ends";

    // Without a grid layer the box cannot be ticked.
    other->drawing()->removeLayer(other->drawing()->gridLayer());
    Ref<pf::PrintOperation> third = other->printOperationWithSettings({}, nullptr);
    accessory().setPrintOperation(third.get());
    EXPECT_FALSE(accessory().printGraphPaperCheckbox()->isEnabled());
    EXPECT_EQ(accessory().printGraphPaperCheckbox()->state(), pf::ControlState::Off);
    accessory().setPrintOperation(nullptr);
    other->close();
}

TEST_F(Printing, TheSummaryNamesEveryOption)
{
    Ref<pf::PrintOperation> operation = job(QStringLiteral("summary.pdf"));
    accessory().setPrintOperation(operation.get());
    accessory().setFitToSinglePage(true);
    EXPECT_EQ(operation->printInfo()->verticalPagination(), pf::PrintingPagination::Fit);
    accessory().setPrintsPaperBackground(true);
    EXPECT_TRUE(drawing->paperColourIsPrinted());
    const QStringList crop = {QStringLiteral("None"), QStringLiteral("Corners"), QStringLiteral("Edges"), QStringLiteral("None")};
    for (int kind = 0; kind < 4; ++kind) {
        accessory().setCropMarks(kind);
        const auto items = accessory().localizedSummaryItems();
        ASSERT_EQ(items.size(), 4);
        EXPECT_EQ(items[0], qMakePair(QStringLiteral("Fit To Page"), QStringLiteral("Yes")));
        EXPECT_EQ(items[1], qMakePair(QStringLiteral("Crop Marks"), crop[kind])) << kind;
        EXPECT_EQ(items[2], qMakePair(QStringLiteral("Graph Paper"), QStringLiteral("No")));
        EXPECT_EQ(items[3], qMakePair(QStringLiteral("Print Paper Background"), QStringLiteral("Yes")));
    }
    EXPECT_EQ(accessory().keyPathsForValuesAffectingPreview(),
              (QStringList{QStringLiteral("fitToSinglePage"), QStringLiteral("cropMarks"),
                           QStringLiteral("printsGraphPaper"), QStringLiteral("printsPaperBackground")}));
    EXPECT_EQ(pf::PrintPanel::summaryText(accessory()).count(QLatin1Char('\n')), 3);
    accessory().setPrintOperation(nullptr);
}

TEST_F(Printing, PageSetupIsUndoableAndBecomesTheDefault)
{
    auto info = std::static_pointer_cast<pf::PrintInfo>(document->printInfo()->copy());
    info->setPaperName(QStringLiteral("Letter"));
    info->setOrientation(pf::PrintingOrientation::Landscape);
    document->setPrintInfo(info);
    EXPECT_EQ(document->printInfo()->paperName(), QStringLiteral("Letter"));
    // No printer here: it can print to the paper's edges.
    EXPECT_EQ(document->printInfo()->topMargin(), 0);
    EXPECT_EQ(document->ownUndoManager()->undoActionName(), QStringLiteral("Page Setup"));
    const QVariant stored = pf::UserDefaults::standard().objectForKey(RVCartavelDocument::kDefaultPrintInfoDefault);
    auto defaults = pf::KeyedUnarchiver::unarchiveObjectOfClass<pf::PrintInfo>(stored.toByteArray());
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->paperName(), QStringLiteral("Letter"));
    auto fresh = newDocument();
    EXPECT_EQ(fresh->printInfo()->paperName(), QStringLiteral("Letter"));
    EXPECT_EQ(fresh->printInfo()->orientation(), pf::PrintingOrientation::Landscape);
    fresh->close();

    document->ownUndoManager()->undo();
    EXPECT_NE(document->printInfo()->paperName(), QStringLiteral("Letter"));
    pf::UserDefaults::standard().removeObjectForKey(RVCartavelDocument::kDefaultPrintInfoDefault);
}

TEST_F(Printing, ADocumentReadWithItsPageLayoutMakesItTheDefault)
{
    auto info = std::static_pointer_cast<pf::PrintInfo>(document->printInfo()->copy());
    info->setPaperName(QStringLiteral("A3"));
    document->setPrintInfo(info);
    const QString path = folder.filePath(QStringLiteral("layout.qlry"));
    ASSERT_TRUE(saveDocument(*document, path));
    pf::UserDefaults::standard().removeObjectForKey(RVCartavelDocument::kDefaultPrintInfoDefault);
    EXPECT_NE(newDocument()->printInfo()->paperName(), QStringLiteral("A3"));

    auto opened = openDocument(path);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->printInfo()->paperName(), QStringLiteral("A3"));
    EXPECT_EQ(newDocument()->printInfo()->paperName(), QStringLiteral("A3"));
    opened->close();
    pf::UserDefaults::standard().removeObjectForKey(RVCartavelDocument::kDefaultPrintInfoDefault);
}

} // namespace
