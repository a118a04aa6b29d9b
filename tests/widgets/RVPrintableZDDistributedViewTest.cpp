#include "DistributedViewFixture.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/PrintOperation.h"
#include "widgets/RVPrintableZDDistributedView.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class PageTexts : public ZDDistributedViewDelegate, public RVPrintableZDDistributedViewDelegate {
public:
    QList<int> headerPages;
    QList<int> footerPages;
    QString headerStringForPage(RVPrintableZDDistributedView&, int page) override
    {
        headerPages.append(page);
        return QStringLiteral("Trees (Category: Conifers) 12 items");
    }
    QString footerStringForPage(RVPrintableZDDistributedView&, int page) override
    {
        footerPages.append(page);
        return QStringLiteral("Page %1").arg(page);
    }
};

// Draws the page bands into an image and answers the darkest row's darkness along x = 300.
QImage drawBands(RVPrintableZDDistributedView& view)
{
    QImage page(612, 792, QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing, false);
    pf::GraphicsContextScope scope(painter, true, false);
    view.drawPageBorderWithSize(QSizeF(612, 792));
    return page;
}

bool rowHasInk(const QImage& image, int y)
{
    for (int x = 20; x < image.width() - 20; x += 7)
        if (qGray(image.pixel(x, y)) < 250)
            return true;
    return false;
}

TEST(RVPrintableZDDistributedView, PagesEndOnWholeRows)
{
    RVPrintableZDDistributedView view(QRectF(0, 0, 520, 520));
    view.setCellSize(QSizeF(50, 50));
    view.setContentInset(0);
    EXPECT_DOUBLE_EQ(view.adjustPageHeight(0, 730, 700), 700);
    EXPECT_DOUBLE_EQ(view.adjustPageHeight(700, 1430, 1400), 1400);
    view.setContentInset(8);
    EXPECT_DOUBLE_EQ(view.adjustPageHeight(0, 730, 700), 708);
}

TEST(RVPrintableZDDistributedView, BandsAreOffUnlessSwitchedOnAndRulesNeedNoDelegate)
{
    RVPrintableZDDistributedView view(QRectF(0, 0, 520, 520));
    EXPECT_FALSE(view.showsHeaders());
    EXPECT_FALSE(view.showsFooters());
    QImage plain = drawBands(view);
    EXPECT_FALSE(rowHasInk(plain, 34));
    view.setShowsHeaders(true);
    view.setShowsFooters(true);
    // No delegate: the header's two rules (at 10 + 24 and 2 above) and the footer's rule.
    const QImage ruled = drawBands(view);
    EXPECT_TRUE(rowHasInk(ruled, 34) || rowHasInk(ruled, 33));
    EXPECT_TRUE(rowHasInk(ruled, 32) || rowHasInk(ruled, 31));
    EXPECT_TRUE(rowHasInk(ruled, 792 - 24) || rowHasInk(ruled, 792 - 25));
    EXPECT_FALSE(rowHasInk(ruled, 400));
}

TEST(RVPrintableZDDistributedView, PrintingNumbersTheFirstPageOne)
{
    zdtest::ItemSource source;
    for (int i = 0; i < 40; ++i)
        source.items.append({QStringLiteral("Item %1").arg(i), QPointF((i % 10) * 52, (i / 10) * 52)});
    RVPrintableZDDistributedView view(QRectF(0, 0, 520, 40 / 10 * 52));
    view.setSizeToFit(false);
    view.setDataSource(&source);
    view.setPrototype(std::make_shared<pf::Cell>());
    view.setCellSize(QSizeF(50, 50));
    view.setContentInset(0);
    view.setShowsHeaders(true);
    view.setShowsFooters(true);
    PageTexts texts;
    view.setDelegate(&texts);
    QTemporaryDir dir;
    auto operation = pf::PrintOperation::printOperationWithView(&view);
    operation->setShowsPrintPanel(false);
    operation->setOutputFileName(dir.filePath(QStringLiteral("items.pdf")));
    ASSERT_TRUE(operation->runOperation());
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("items.pdf"))));
    ASSERT_FALSE(texts.footerPages.isEmpty());
    EXPECT_EQ(texts.footerPages.first(), 1);
    EXPECT_EQ(texts.headerPages.first(), 1);
    EXPECT_EQ(view.pageNumber(), texts.footerPages.size());
    view.setDelegate(nullptr);
    view.setDataSource(nullptr);
}

} // namespace
