#include "widgets/RVPrintableZDDistributedView.h"

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ParagraphStyle.h"
#include "platform/graphics/StringDrawing.h"
#include "platform/foundation/Variant.h"

#include <cmath>

PF_DEFINE_CLASS(RVPrintableZDDistributedView, ZDDistributedView) {}

namespace {

QVariantMap bandAttributes(const pf::Font& font, int alignment)
{
    auto style = std::make_shared<pf::ParagraphStyle>();
    style->setAlignment(alignment);
    return {
        {pf::kFontAttributeName, pf::toVariant(std::make_shared<pf::Font>(font))},
        {pf::kParagraphStyleAttributeName, pf::toVariant(style)},
        {pf::kForegroundColorAttributeName, pf::toVariant(std::make_shared<pf::Color>(pf::Color::black()))},
    };
}

} // namespace

const QVariantMap& RVPrintableZDDistributedView::headerAttributes()
{
    static const QVariantMap attributes =
        bandAttributes(pf::Font::fromName(QStringLiteral("Helvetica Bold"), 9), pf::CenterTextAlignment);
    return attributes;
}

const QVariantMap& RVPrintableZDDistributedView::footerAttributes()
{
    static const QVariantMap attributes = bandAttributes(pf::Font::fromName(QStringLiteral("Helvetica"), 8), pf::RightTextAlignment);
    return attributes;
}

RVPrintableZDDistributedViewDelegate* RVPrintableZDDistributedView::printDelegate() const
{
    return dynamic_cast<RVPrintableZDDistributedViewDelegate*>(delegate());
}

double RVPrintableZDDistributedView::adjustPageHeight(double top, double proposedBottom, double)
{
    return proposedBottom - std::fmod(proposedBottom - top - contentInset(), cellSize().height());
}

void RVPrintableZDDistributedView::beginDocument()
{
    // Every page, the first one too, counts itself as it begins: the first is page 1.
    mPageNumber = 0;
}

void RVPrintableZDDistributedView::beginPageInRect(const QRectF&, const QPointF&)
{
    ++mPageNumber;
}

void RVPrintableZDDistributedView::drawPageBorderWithSize(const QSizeF& borderSize)
{
    const QRectF page(QPointF(0, 0), borderSize);
    if (mShowHeaders)
        drawHeaders(page);
    if (mShowFooters)
        drawFooters(page);
}

void RVPrintableZDDistributedView::drawBandText(const QString& text, const QRectF& rect, const QVariantMap& attributes)
{
    if (text.isNull())
        return;
    const pf::AttributedString string(text, attributes);
    pf::Cell::drawUpright(rect, [&](QPainter& painter, const QRectF& local) {
        pf::StringDrawing::draw(painter, string, local, pf::StringDrawing::UsesLineFragmentOrigin);
    });
}

void RVPrintableZDDistributedView::drawRule(double y, double left, double width)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    auto rule = pf::BezierPath::path();
    rule->moveTo(QPointF(left, y));
    rule->lineTo(QPointF(left + width, y));
    rule->setLineWidth(0.1);
    context->setStrokeColour(pf::Color::black());
    context->strokePath(*rule);
}

void RVPrintableZDDistributedView::drawHeaders(const QRectF& bounds)
{
    const QRectF area = bounds.adjusted(kBandMargin, kBandMargin, -kBandMargin, -kBandMargin);
    const QRectF header(area.topLeft(), QSizeF(area.width(), kHeaderHeight));
    if (RVPrintableZDDistributedViewDelegate* d = printDelegate())
        drawBandText(d->headerStringForPage(*this, mPageNumber), header, headerAttributes());
    drawRule(area.y() + kHeaderHeight, area.x(), area.width());
    drawRule(area.y() + kHeaderHeight - 2, area.x(), area.width());
}

void RVPrintableZDDistributedView::drawFooters(const QRectF& bounds)
{
    const QRectF area = bounds.adjusted(kBandMargin, kBandMargin, -kBandMargin, -kBandMargin);
    const QRectF footer(area.x(), bounds.y() + bounds.height() - kFooterHeight - kBandMargin, area.width(), kFooterHeight);
    if (RVPrintableZDDistributedViewDelegate* d = printDelegate())
        drawBandText(d->footerStringForPage(*this, mPageNumber), footer, footerAttributes());
    drawRule(footer.y(), area.x(), area.width());
}
