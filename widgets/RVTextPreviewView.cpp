#include "widgets/RVTextPreviewView.h"

#include "platform/foundation/Exception.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ParagraphStyle.h"
#include "platform/graphics/StringDrawing.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/Cell.h"

PF_DEFINE_CLASS(RVTextPreviewView, pf::View) {}

RVTextPreviewView::RVTextPreviewView(QWidget* parent) : pf::View(parent) {}

RVTextPreviewView::RVTextPreviewView(const QRectF& frame, QWidget* parent) : pf::View(frame, parent) {}

void RVTextPreviewView::setWithString(const QString& string, const QVariantMap& attributes)
{
    if (string.isNull() || attributes.isEmpty())
        setString(std::nullopt);
    else
        setString(pf::AttributedString(string, attributes));
}

void RVTextPreviewView::setString(const std::optional<pf::AttributedString>& string)
{
    _string = string;
    setNeedsDisplay();
}

void RVTextPreviewView::setPlaceholderString(const std::optional<pf::AttributedString>& placeholder)
{
    m_placeholder = placeholder;
    setNeedsDisplay();
}

void RVTextPreviewView::setMinimumFontSize(double size)
{
    m_minimumFontSize = size;
    setNeedsDisplay();
}

void RVTextPreviewView::setMaximumFontSize(double size)
{
    m_maximumFontSize = size;
    setNeedsDisplay();
}

void RVTextPreviewView::setBordered(bool bordered)
{
    m_bordered = bordered;
    setNeedsDisplay();
}

pf::AttributedString RVTextPreviewView::previewString(const pf::AttributedString& string, double fontSize)
{
    QVariantMap attributes = string.isEmpty() ? QVariantMap() : string.attributesAtIndex(0);
    auto paragraph = std::make_shared<pf::ParagraphStyle>();
    paragraph->setAlignment(pf::CenterTextAlignment);
    paragraph->setLineBreakMode(pf::LineBreakByTruncatingTail);
    attributes.insert(pf::kParagraphStyleAttributeName, pf::toVariant(paragraph));
    attributes.insert(pf::kBaselineOffsetAttributeName, 0.0);
    pf::Font font = pf::Font::systemFont(fontSize);
    if (auto given = pf::fromVariant<pf::Ref<pf::Font>>(attributes.value(pf::kFontAttributeName)))
        font = given->withSize(fontSize);
    attributes.insert(pf::kFontAttributeName, pf::toVariant(std::make_shared<pf::Font>(font)));
    return pf::AttributedString(string.string(), attributes);
}

double RVTextPreviewView::fittedFontSize(const pf::AttributedString& string, const QRectF& rect, double minSize,
                                         double maxSize)
{
    if (minSize == maxSize)
        return minSize;
    PF_ASSERT(maxSize > minSize, "maximum size must be greater than minimum size");
    const QRectF margins = rect.adjusted(kHorizontalMargin, kVerticalMargin, -kHorizontalMargin, -kVerticalMargin);
    double size = maxSize;
    double lo = minSize;
    double hi = maxSize;
    double measured = size;
    for (int step = 0; step < kMaxFittingSteps; ++step) {
        measured = size;
        const QSizeF extent = pf::StringDrawing::size(previewString(string, size));
        const bool fits = extent.width() < rect.width() && extent.height() < rect.height();
        if (!fits) {
            hi = size;
            size = (lo + size) / 2;
            if (size <= minSize)
                break;
        } else {
            if (extent.width() >= margins.width() || hi == lo || extent.height() >= margins.height())
                break;
            lo = size;
            size = (size + hi) / 2;
            if (size >= maxSize)
                break;
        }
    }
    return measured;
}

void RVTextPreviewView::drawString(const pf::AttributedString& string, const QRectF& rect, double minSize,
                                   double maxSize)
{
    if (string.isEmpty())
        return;
    const pf::AttributedString shown = previewString(string, fittedFontSize(string, rect, minSize, maxSize));
    const QSizeF extent = pf::StringDrawing::size(shown);
    const QRectF placed(rect.center().x() - 0.5 * extent.width(), rect.center().y() - 0.55 * extent.height(),
                        extent.width(), extent.height());
    pf::Cell::drawUpright(placed, [&shown](QPainter& painter, const QRectF& local) {
        pf::StringDrawing::draw(painter, shown, local);
    });
}

void RVTextPreviewView::drawRect(const QRectF& dirtyRect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    context->setFillColour(pf::Color::white());
    context->fillRect(dirtyRect);
    if (_string && !_string->isEmpty())
        drawString(*_string, bounds(), m_minimumFontSize, m_maximumFontSize);
    else if (m_placeholder)
        drawString(*m_placeholder, bounds(), kPlaceholderFontSize, kPlaceholderFontSize);
    if (m_bordered) {
        auto frame = pf::BezierPath::pathWithRect(centerScanRect(bounds()));
        frame->setLineWidth(0.5);
        context->setStrokeColour(pf::SystemColor::windowFrame());
        context->strokePath(*frame);
    }
}
