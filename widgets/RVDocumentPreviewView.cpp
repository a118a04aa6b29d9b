#include "widgets/RVDocumentPreviewView.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Shadow.h"

#include <QPainter>

#include <cmath>

PF_DEFINE_CLASS(RVDocumentPreviewView, pf::View) {}

RVDocumentPreviewView::RVDocumentPreviewView(QWidget* parent)
    : pf::View(parent)
{
    m_aspect = frame().size();
}

RVDocumentPreviewView::RVDocumentPreviewView(const QRectF& frame, QWidget* parent)
    : pf::View(frame, parent)
    , m_aspect(frame.size())
{
}

void RVDocumentPreviewView::setAspect(QSizeF aspect)
{
    m_aspect = aspect;
    setNeedsDisplay(true);
}

std::optional<double> RVDocumentPreviewView::aspectRatio() const
{
    const double ratio = m_aspect.width() / m_aspect.height();
    // A page without height has no proportions to keep.
    if (!(m_aspect.height() > 0) || !std::isfinite(ratio) || !(ratio > 0))
        return std::nullopt;
    return ratio;
}

void RVDocumentPreviewView::setDocumentColour(const pf::Color& colour)
{
    m_documentColour = colour;
    setNeedsDisplay(true);
}

void RVDocumentPreviewView::setBackgroundColour(const pf::Color& colour)
{
    m_backgroundColour = colour;
    setNeedsDisplay(true);
}

void RVDocumentPreviewView::setContentImage(const pf::Ref<pf::Image>& image)
{
    m_contentImage = image;
    setNeedsDisplay(true);
}

void RVDocumentPreviewView::setInset(double inset)
{
    m_inset = inset;
    setNeedsDisplay(true);
}

void RVDocumentPreviewView::setDrawsShadow(bool draws)
{
    m_drawsShadow = draws;
    setNeedsDisplay(true);
}

bool RVDocumentPreviewView::isOpaque() const
{
    return m_backgroundColour.isValid() && m_backgroundColour.alphaComponent() >= 1.0;
}

QRectF RVDocumentPreviewView::pageRect() const
{
    const std::optional<double> ratio = aspectRatio();
    const QRectF area = bounds().adjusted(m_inset, m_inset, -m_inset, -m_inset);
    if (!ratio || !(area.width() > 0) || !(area.height() > 0))
        return {};
    QSizeF size(area.width(), area.width() / *ratio);
    if (size.height() > area.height())
        size = QSizeF(area.height() * *ratio, area.height());
    const QRectF page(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2, size.width(),
                      size.height());
    return centerScanRect(page);
}

void RVDocumentPreviewView::drawRect(const QRectF& dirtyRect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    if (m_backgroundColour.isValid())
        painter.fillRect(dirtyRect, m_backgroundColour.brush());

    const QRectF page = pageRect();
    if (page.isNull())
        return;

    context->saveGraphicsState();
    if (m_drawsShadow) {
        pf::Shadow shadow;
        shadow.setShadowColor(pf::Color(0, 0, 0, 0.5));
        shadow.setShadowBlurRadius(6.0);
        shadow.setShadowOffset(QSizeF(4.0, -4.0));
        context->setShadow(shadow);
    }
    context->setFillColour(m_documentColour.isValid() ? m_documentColour : pf::Color::white());
    context->fillRect(page);
    context->restoreGraphicsState();

    auto frame = pf::BezierPath::pathWithRect(page);
    frame->setLineWidth(0.5);
    frame->stroke(painter, pf::Color::darkGrey().brush());

    if (m_contentImage) {
        context->saveGraphicsState();
        context->addClip(*pf::BezierPath::pathWithRect(page));
        m_contentImage->draw(*context, page.adjusted(1, 1, -1, -1), {}, pf::CompositingOperation::SourceOver, 0.67,
                             true);
        context->restoreGraphicsState();
    }
}
