#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/PageLayout.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/PrintOperation.h"
#include "platform/ui/PrintPanelAccessory.h"
#include "platform/ui/PrintingView.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/View.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include "platform/ui/PageSetupDialog.h"
#include <QPrintDialog>
#include <QRadioButton>
#include <QTemporaryDir>

namespace {

// A view that records how it is printed.
class PrintedView : public pf::View, public pf::PrintingView {
public:
    explicit PrintedView(const QRectF& frame) : pf::View(frame) {}
    bool isFlipped() const override { return true; }
    void drawRect(const QRectF& rect) override
    {
        const pf::GraphicsContext* context = pf::GraphicsContext::current();
        drawnToScreen = drawnToScreen || (context && context->isDrawingToScreen());
        drawnRects << rect;
        if (context)
            context->painter().fillRect(rect, Qt::blue);
    }
    double adjustPageHeight(double top, double proposedBottom, double limit) override
    {
        return adjust ? adjust(top, proposedBottom, limit) : proposedBottom;
    }
    void beginDocument() override { ++documents; }
    void drawPageBorderWithSize(const QSizeF& size) override
    {
        borderSizes << size;
        bordersHadContext = bordersHadContext && pf::GraphicsContext::current() != nullptr;
    }

    std::function<double(double, double, double)> adjust;
    QList<QRectF> drawnRects;
    QList<QSizeF> borderSizes;
    bool drawnToScreen = false;
    bool bordersHadContext = true;
    int documents = 0;
};

// An accessory whose summary follows a property.
class CropMarksAccessory : public pf::Reflective, public pf::PrintPanelAccessory {
    PF_CLASS(CropMarksAccessory)
public:
    bool cropMarks() const { return m_cropMarks; }
    void setCropMarks(bool on) { setObservedValue(m_cropMarks, on, QStringLiteral("cropMarks")); }
    QWidget* accessoryView() override { return &view; }
    QString title() const override { return QStringLiteral("Marks"); }
    QList<QPair<QString, QString>> localizedSummaryItems() const override
    {
        return {{QStringLiteral("Crop marks"), m_cropMarks ? QStringLiteral("On") : QStringLiteral("Off")}};
    }
    QStringList keyPathsForValuesAffectingPreview() const override { return {QStringLiteral("cropMarks")}; }

    QWidget view;

private:
    bool m_cropMarks = false;
};

} // namespace

PF_DEFINE_CLASS(CropMarksAccessory, pf::Reflective)
{
    b.property("cropMarks", &CropMarksAccessory::cropMarks, &CropMarksAccessory::setCropMarks);
}

namespace {

using pf::PrintInfo;
using pf::PrintingPagination;
using pf::PrintOperation;

pf::Ref<PrintInfo> letterInfo()
{
    auto info = std::make_shared<PrintInfo>();
    info->setPaperName(QStringLiteral("Letter"));
    for (auto setter : {&PrintInfo::setLeftMargin, &PrintInfo::setRightMargin, &PrintInfo::setTopMargin,
                        &PrintInfo::setBottomMargin})
        (info.get()->*setter)(36);
    return info; // imageable 540 x 720
}

int pdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray data = file.readAll();
    return int(data.count("/Type /Page\n") + data.count("/Type /Page ") + data.count("/Type /Page/")
               + data.count("/Type /Page>"));
}

struct WindowsPrintTest : ::testing::Test {
    QTemporaryDir folder;
    void TearDown() override { pf::PresentationHook::clear(); }
};

TEST_F(WindowsPrintTest, WindowsPrintInfoArchivesAndRepairsDamage)
{
    auto info = letterInfo();
    info->setOrientation(pf::PrintingOrientation::Landscape);
    info->setVerticalPagination(PrintingPagination::Fit);
    info->setScalingFactor(0.5);
    const QByteArray data = pf::KeyedArchiver::archivedData(info);
    auto back = pf::KeyedUnarchiver::unarchiveObjectOfClass<PrintInfo>(data);
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->isEqual(info.get()));
    EXPECT_EQ(back->paperSize(), QSizeF(792, 612)); // landscape letter

    // An archive with impossible values keeps the defaults for them.
    struct Damaged : PrintInfo {
        void encodeWithCoder(pf::KeyedArchiver& coder) const override
        {
            coder.encodeSize(QSizeF(-5, 0), QStringLiteral("NSPaperSize"));
            coder.encodeDouble(-10, QStringLiteral("NSLeftMargin"));
            coder.encodeDouble(1e9, QStringLiteral("NSTopMargin"));
            coder.encodeDouble(0, QStringLiteral("NSScalingFactor"));
        }
    };
    pf::KeyedArchiver archiver;
    Damaged damaged;
    damaged.encodeWithCoder(archiver);
    archiver.finishEncoding();
    pf::KeyedUnarchiver unarchiver(archiver.encodedData());
    PrintInfo repaired;
    repaired.initWithCoder(unarchiver);
    const PrintInfo defaults;
    EXPECT_TRUE(repaired.isEqual(&defaults));
}

TEST_F(WindowsPrintTest, WindowsPrintInfoSharedInstanceIsCopiedForOperations)
{
    auto shared = PrintInfo::sharedPrintInfo();
    EXPECT_EQ(PrintInfo::sharedPrintInfo(), shared);
    auto operation = PrintOperation::printOperationWithView(nullptr);
    operation->printInfo()->setTopMargin(5);
    EXPECT_NE(shared->topMargin(), 5);
}

TEST_F(WindowsPrintTest, WindowsPrintPaginationFollowsTheModes)
{
    PrintedView view(QRectF(0, 0, 1000, 1500)); // points
    struct Case {
        PrintingPagination horizontal, vertical;
        int pages;
        double scale;
    };
    const Case cases[] = {
        {PrintingPagination::Automatic, PrintingPagination::Automatic, 2 * 3, 1.0},
        {PrintingPagination::Clip, PrintingPagination::Automatic, 3, 1.0},
        {PrintingPagination::Fit, PrintingPagination::Automatic, 2, 0.54},
        {PrintingPagination::Fit, PrintingPagination::Fit, 1, 0.48},
        {PrintingPagination::Clip, PrintingPagination::Clip, 1, 1.0},
    };
    for (const Case& c : cases) {
        auto info = letterInfo();
        info->setHorizontalPagination(c.horizontal);
        info->setVerticalPagination(c.vertical);
        auto operation = PrintOperation::printOperationWithView(&view, info);
        const QList<QRectF> pages = operation->pageRects();
        EXPECT_EQ(pages.size(), c.pages) << int(c.horizontal) << int(c.vertical);
        EXPECT_NEAR(operation->printScale(), c.scale, 1e-9);
        // Together the pages cover the printed part of the view once.
        double area = 0;
        for (const QRectF& page : pages)
            area += page.width() * page.height();
        const double printedWidth = c.horizontal == PrintingPagination::Clip ? 540 : 1000;
        const double printedHeight = c.vertical == PrintingPagination::Clip ? 720 : 1500;
        EXPECT_NEAR(area, printedWidth * printedHeight, 1e-6);
    }
}

TEST_F(WindowsPrintTest, WindowsPrintAdjustPageHeightIsKeptWithinItsLimit)
{
    PrintedView view(QRectF(0, 0, 500, 2000));
    auto operation = PrintOperation::printOperationWithView(&view, letterInfo());
    // A view that asks to end each page where it starts would never finish.
    view.adjust = [](double top, double, double) { return top; };
    QList<QRectF> pages = operation->pageRects();
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_DOUBLE_EQ(pages[0].height(), 720 * 0.8);
    EXPECT_DOUBLE_EQ(pages.last().bottom(), 2000);

    // Pulling the bottom up a little is honoured.
    view.adjust = [](double, double proposed, double) { return proposed - 10; };
    pages = operation->pageRects();
    EXPECT_DOUBLE_EQ(pages[0].height(), 710);
    EXPECT_DOUBLE_EQ(pages[1].top(), 710);
}

TEST_F(WindowsPrintTest, WindowsPrintRefusesJobsOfTooManyPages)
{
    PrintedView view(QRectF(0, 0, 1000, 1000));
    auto info = letterInfo();
    info->setHorizontalPagination(PrintingPagination::Automatic);
    info->setScalingFactor(500); // a page holds about a point of the view
    auto operation = PrintOperation::printOperationWithView(&view, info);
    pf::Error error;
    EXPECT_TRUE(operation->pageRects(&error).isEmpty());
    EXPECT_EQ(error.code(), pf::kPrintErrorTooManyPages);
}

TEST_F(WindowsPrintTest, WindowsPrintToPdfDrawsEveryPageOffScreen)
{
    PrintedView view(QRectF(0, 0, 500, 1500));
    const QString path = folder.filePath(QStringLiteral("out.pdf"));
    auto operation = PrintOperation::printOperationWithView(&view, letterInfo());
    operation->setShowsPrintPanel(false);
    operation->setOutputFileName(path);
    ASSERT_TRUE(operation->runOperation()) << operation->error().description().toStdString();
    EXPECT_EQ(pdfPageCount(path), 3);
    EXPECT_FALSE(view.drawnToScreen);
    EXPECT_EQ(view.drawnRects.size(), 3);
    EXPECT_EQ(view.documents, 1);
    ASSERT_EQ(view.borderSizes.size(), 3);
    EXPECT_EQ(view.borderSizes[0], QSizeF(612, 792));
    EXPECT_TRUE(view.bordersHadContext);
    EXPECT_EQ(PrintOperation::currentOperation(), nullptr);
}

TEST_F(WindowsPrintTest, WindowsPrintFailureKeepsTheOldFile)
{
    PrintedView empty(QRectF(0, 0, 0, 0));
    const QString path = folder.filePath(QStringLiteral("old.pdf"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    auto operation = PrintOperation::printOperationWithView(&empty, letterInfo());
    operation->setShowsPrintPanel(false);
    operation->setOutputFileName(path);
    EXPECT_FALSE(operation->runOperation());
    EXPECT_FALSE(operation->error().isNull());
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old contents"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no leftovers

    auto nowhere = PrintOperation::printOperationWithView(&empty, letterInfo());
    nowhere->setShowsPrintPanel(false);
    nowhere->setOutputFileName(QStringLiteral("/nonexistent-folder/out.pdf"));
    EXPECT_FALSE(nowhere->runOperation());
    EXPECT_EQ(nowhere->error().domain(), pf::kPFPrintErrorDomain);
}

TEST_F(WindowsPrintTest, WindowsPrintPanelShowsAccessoriesAndRunsAsASheet)
{
    QWidget window;
    window.show();
    PrintedView view(QRectF(0, 0, 300, 300));
    CropMarksAccessory accessory;
    const QString path = folder.filePath(QStringLiteral("sheet.pdf"));
    auto operation = PrintOperation::printOperationWithView(&view, letterInfo());
    operation->setOutputFileName(path);
    operation->printPanel().addAccessoryController(&accessory);

    bool success = false;
    bool finished = false;
    operation->runOperationModalForWindow(&window, [&](bool ok) {
        success = ok;
        finished = true;
    });
    auto* dialog = qobject_cast<QPrintDialog*>(pf::Sheet::attachedSheet(&window));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isAncestorOf(&accessory.view));
    auto summaryShown = [&](const QString& text) {
        for (QLabel* label : dialog->findChildren<QLabel*>())
            if (label->text() == text)
                return true;
        return false;
    };
    EXPECT_TRUE(summaryShown(QStringLiteral("Crop marks: Off")));
    accessory.setCropMarks(true);
    EXPECT_TRUE(summaryShown(QStringLiteral("Crop marks: On")));

    dialog->accept();
    EXPECT_TRUE(finished);
    EXPECT_TRUE(success) << operation->error().description().toStdString();
    EXPECT_EQ(pdfPageCount(path), 1);
    EXPECT_EQ(accessory.view.parentWidget(), nullptr); // handed back to its controller
}

TEST_F(WindowsPrintTest, WindowsPrintPageLayoutStoresOnlyWhenAccepted)
{
    QWidget window;
    window.show();
    for (bool accept : {false, true}) {
        auto info = letterInfo();
        int result = -99;
        pf::PageLayout::beginSheet(info, &window, [&](int code) { result = code; });
        auto* dialog = qobject_cast<pf::PageSetupDialog*>(pf::Sheet::attachedSheet(&window));
        ASSERT_NE(dialog, nullptr);
        auto* landscape = dialog->findChild<QRadioButton*>(QStringLiteral("landscape"));
        ASSERT_NE(landscape, nullptr);
        landscape->click();
        if (accept)
            dialog->accept();
        else
            dialog->reject();
        EXPECT_EQ(result, accept ? pf::kModalResponseOK : pf::kModalResponseCancel);
        EXPECT_EQ(info->orientation(),
                  accept ? pf::PrintingOrientation::Landscape : pf::PrintingOrientation::Portrait);
    }
}

} // namespace
