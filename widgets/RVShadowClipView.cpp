#include "widgets/RVShadowClipView.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Window.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(RVShadowClipView, pf::ClipView) {}

namespace {

pf::Ref<pf::Shadow> pageShadow()
{
    auto shadow = std::make_shared<pf::Shadow>();
    shadow->setShadowColor(pf::Color(0.1, 0.1, 0.1, 1.0));
    shadow->setShadowBlurRadius(10.0);
    return shadow;
}

// One axis of a centred scroll point: inside the document when it is the larger, else the
// (negative) half of the difference that puts it in the middle.
double centredCoordinate(double proposed, double documentLength, double clipLength)
{
    const double difference = documentLength - clipLength;
    const double coordinate = difference >= 0 ? std::clamp(proposed, 0.0, difference) : difference / 2;
    return std::round(coordinate);
}

} // namespace

RVShadowClipView::RVShadowClipView(QWidget* parent)
    : pf::ClipView(parent)
    , m_shadow(pageShadow())
    , m_borderColour(0.9, 0.9, 0.9, 1.0)
{
}

RVShadowClipView::RVShadowClipView(const QRectF& frame, QWidget* parent)
    : pf::ClipView(frame, parent)
    , m_shadow(pageShadow())
    , m_borderColour(0.9, 0.9, 0.9, 1.0)
{
}

void RVShadowClipView::setShadow(const pf::Ref<pf::Shadow>& shadow)
{
    m_shadow = shadow;
    setNeedsDisplay(true);
}

void RVShadowClipView::setCentresDocument(bool centres)
{
    m_centresDocument = centres;
    setNeedsDisplay(true);
}

void RVShadowClipView::setBorderMargins(const QList<double>& margins)
{
    m_borderMargins = margins.size() == 4 ? margins : QList<double>();
    setNeedsDisplay(true);
}

void RVShadowClipView::setBorderMarginTop(float top, float left, float bottom, float right)
{
    setBorderMargins({top, left, bottom, right});
}

void RVShadowClipView::setBorderColour(const pf::Color& colour)
{
    m_borderColour = colour;
    setNeedsDisplay(true);
}

void RVShadowClipView::centerDocument()
{
    const pf::View* document = documentView();
    if (!document)
        return;
    const QSizeF documentSize = document->frame().size();
    const QRectF clip = bounds();
    QPointF origin = clip.topLeft();
    if (documentSize.width() < clip.width())
        origin.setX(std::round((documentSize.width() - clip.width()) / 2));
    if (documentSize.height() < clip.height())
        origin.setY(std::round((documentSize.height() - clip.height()) / 2));
    scrollToPoint(origin);
}

bool RVShadowClipView::edgeOfDocumentFrameVisible() const
{
    const pf::View* document = documentView();
    if (!document)
        return false;
    const QSizeF documentSize = document->frame().size();
    return std::round(bounds().width() - documentSize.width()) > 0 ||
           std::round(bounds().height() - documentSize.height()) > 0;
}

QRectF RVShadowClipView::pageRect() const
{
    QRectF page = documentRect();
    if (m_borderMargins.size() == 4) {
        const double top = m_borderMargins[0], left = m_borderMargins[1];
        const double bottom = m_borderMargins[2], right = m_borderMargins[3];
        page = QRectF(page.x() - left, page.y() - top, page.width() + left + right, page.height() + top + bottom);
    }
    return page;
}

QPointF RVShadowClipView::constrainScrollPoint(QPointF proposed) const
{
    const pf::View* document = documentView();
    if (!m_centresDocument || !document)
        return pf::ClipView::constrainScrollPoint(proposed);
    const QSizeF documentSize = document->frame().size();
    const QSizeF clipSize = bounds().size();
    return QPointF(centredCoordinate(proposed.x(), documentSize.width(), clipSize.width()),
                   centredCoordinate(proposed.y(), documentSize.height(), clipSize.height()));
}

void RVShadowClipView::followDocumentChange()
{
    if (m_centresDocument)
        centerDocument();
    else if (edgeOfDocumentFrameVisible() && m_shadow)
        setNeedsDisplayInRect(documentRect());
}

void RVShadowClipView::viewBoundsChanged(const pf::Notification& notification)
{
    pf::ClipView::viewBoundsChanged(notification);
    followDocumentChange();
}

void RVShadowClipView::viewFrameChanged(const pf::Notification& notification)
{
    followDocumentChange();
    pf::ClipView::viewFrameChanged(notification);
}

bool RVShadowClipView::copiesOnScroll() const
{
    // The shadow round a visible edge has to be drawn again at every scroll.
    return !edgeOfDocumentFrameVisible() && pf::ClipView::copiesOnScroll();
}

bool RVShadowClipView::isInMainWindow() const
{
    const auto* window = qobject_cast<const pf::Window*>(windowWidget());
    return window && window->isMainWindow();
}

void RVShadowClipView::drawRect(const QRectF& dirtyRect)
{
    pf::ClipView::drawRect(dirtyRect);
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || !edgeOfDocumentFrameVisible())
        return;

    const QRectF page = pageRect();
    const bool casting = isInMainWindow() && m_shadow;
    context->saveGraphicsState();
    if (casting)
        context->setShadow(*m_shadow);
    context->setCompositingOperation(pf::CompositingOperation::Copy);
    context->setFillColour(m_borderColour);
    context->fillRect(page);
    context->setCompositingOperation(pf::CompositingOperation::SourceOver);
    if (!casting) {
        auto outline = pf::BezierPath::pathWithRect(page);
        outline->setLineWidth(0.5);
        context->setShadow(nullptr);
        context->setStrokeColour(pf::Color::lightGrey());
        context->strokePath(*outline);
    }
    context->restoreGraphicsState();

    if (m_borderMargins.size() == 4) {
        auto documentFrame = pf::BezierPath::pathWithRect(documentRect());
        documentFrame->setLineWidth(0.5);
        documentFrame->stroke(context->painter(), pf::Color::cyan().brush());
    }
}
