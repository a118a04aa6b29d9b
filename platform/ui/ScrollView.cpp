#include "platform/ui/ScrollView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/ClipView.h"
#include "platform/ui/RulerView.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::ScrollView, pf::View, "pf::ScrollView") {}

namespace pf {

ScrollView::ScrollView(QWidget* parent) : View(parent)
{
    init();
}

ScrollView::ScrollView(const QRectF& frame, QWidget* parent) : View(frame, parent)
{
    init();
}

ScrollView::~ScrollView() = default;

void ScrollView::init()
{
    m_horizontalScroller = new QScrollBar(Qt::Horizontal, this);
    m_verticalScroller = new QScrollBar(Qt::Vertical, this);
    m_horizontalScroller->hide();
    m_verticalScroller->hide();
    connect(m_horizontalScroller, &QScrollBar::valueChanged, this,
            [this](int value) { scrollerMoved(Qt::Horizontal, value); });
    connect(m_verticalScroller, &QScrollBar::valueChanged, this,
            [this](int value) { scrollerMoved(Qt::Vertical, value); });
    m_clipView = new ClipView(QRectF(QPointF(0, 0), frame().size()));
    addSubview(m_clipView);
    tile();
}

// --- Clip view and document

void ScrollView::setContentView(ClipView* clipView)
{
    if (!clipView || clipView == m_clipView)
        return;
    ClipView* old = m_clipView;
    View* document = old ? old->documentView() : nullptr;
    const QPointF scrollPoint = old ? old->bounds().topLeft() : QPointF();
    if (old) {
        if (document) {
            // Kept alive across the move from one clip view to the other.
            const bool keep = document->keepsAliveAfterRemoval();
            document->setKeepsAliveAfterRemoval(true);
            old->setDocumentView(nullptr);
            document->setKeepsAliveAfterRemoval(keep);
        }
        m_clipView = nullptr;
        old->removeFromSuperview();
    }
    m_clipView = clipView;
    addSubview(clipView);
    clipView->lower();
    if (document)
        clipView->setDocumentView(document);
    tile();
    clipView->scrollToPoint(clipView->constrainScrollPoint(scrollPoint));
}

View* ScrollView::documentView() const
{
    return m_clipView ? m_clipView->documentView() : nullptr;
}

void ScrollView::setDocumentView(View* view)
{
    if (m_clipView)
        m_clipView->setDocumentView(view);
    tile();
}

QRectF ScrollView::documentVisibleRect() const
{
    return m_clipView ? m_clipView->documentVisibleRect() : QRectF();
}

QSizeF ScrollView::contentSize() const
{
    return m_clipView ? m_clipView->frame().size() : QSizeF();
}

// --- Scrollers

void ScrollView::setHasHorizontalScroller(bool has)
{
    m_hasHorizontalScroller = has;
    tile();
}

void ScrollView::setHasVerticalScroller(bool has)
{
    m_hasVerticalScroller = has;
    tile();
}

void ScrollView::setAutohidesScrollers(bool autohides)
{
    m_autohidesScrollers = autohides;
    tile();
}

void ScrollView::setLineScroll(double points)
{
    if (std::isfinite(points) && points > 0)
        m_lineScroll = points;
}

double ScrollView::scrollerThickness() const
{
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_verticalScroller);
}

std::pair<bool, bool> ScrollView::scrollersToShow(double top, double left) const
{
    bool horizontal = m_hasHorizontalScroller;
    bool vertical = m_hasVerticalScroller;
    if (!m_autohidesScrollers || !m_clipView)
        return {horizontal, vertical};
    const QSizeF document = m_clipView->documentRect().size() * m_magnification;
    const QSizeF area = bounds().size();
    const double bar = scrollerThickness();
    horizontal = vertical = false;
    // Showing one scroller takes room from the other axis: two rounds settle it.
    for (int round = 0; round < 2; ++round) {
        const double width = area.width() - left - (vertical ? bar : 0);
        const double height = area.height() - top - (horizontal ? bar : 0);
        horizontal = m_hasHorizontalScroller && document.width() > width + 0.5;
        vertical = m_hasVerticalScroller && document.height() > height + 0.5;
    }
    return {horizontal, vertical};
}

void ScrollView::placeScroller(QScrollBar* scroller, const QRectF& rect, bool shown)
{
    scroller->setGeometry(boundsToWidgetTransform().mapRect(rect).toAlignedRect());
    scroller->setVisible(shown);
    scroller->raise();
}

void ScrollView::scrollerMoved(Qt::Orientation orientation, int value)
{
    if (!m_clipView)
        return;
    const QRectF document = m_clipView->documentRect();
    const QRectF visible = m_clipView->bounds();
    QPointF point = visible.topLeft();
    const double offset = value / m_magnification;
    if (orientation == Qt::Horizontal)
        point.setX(document.x() + offset);
    else if (m_clipView->isFlipped())
        point.setY(document.y() + offset);
    else
        point.setY(document.bottom() - visible.height() - offset); // value 0 shows the top
    m_clipView->scrollToPoint(m_clipView->constrainScrollPoint(point));
}

// --- Rulers

void ScrollView::setRulerView(QPointer<RulerView>& slot, RulerView* ruler)
{
    if (ruler == slot)
        return;
    if (RulerView* old = slot) {
        slot = nullptr;
        old->removeFromSuperview();
    }
    slot = ruler;
    if (ruler)
        addSubview(ruler);
    tile();
}

void ScrollView::setHorizontalRulerView(RulerView* ruler)
{
    setRulerView(m_horizontalRuler, ruler);
}

void ScrollView::setVerticalRulerView(RulerView* ruler)
{
    setRulerView(m_verticalRuler, ruler);
}

void ScrollView::setHasHorizontalRuler(bool has)
{
    m_hasHorizontalRuler = has;
    tile();
}

void ScrollView::setHasVerticalRuler(bool has)
{
    m_hasVerticalRuler = has;
    tile();
}

void ScrollView::setRulersVisible(bool visible)
{
    m_rulersVisible = visible;
    tile();
}

// --- Magnification

void ScrollView::setMagnification(double magnification)
{
    if (!m_clipView)
        return;
    const QRectF visible = m_clipView->bounds();
    setMagnification(magnification, m_clipView->convertPointToView(visible.center(), documentView()));
}

void ScrollView::setMagnification(double magnification, QPointF centeredAtPoint)
{
    if (!std::isfinite(magnification) || magnification <= 0 || !m_clipView)
        return;
    magnification = std::clamp(magnification, m_minMagnification, m_maxMagnification);
    if (magnification == m_magnification)
        return;
    ClipView* clip = m_clipView;
    View* document = documentView();
    // Where the point shows, in pixels from the clip view's bounds origin.
    const QPointF before = document ? clip->convertPointFromView(centeredAtPoint, document) : QPointF();
    const QPointF onScreen = (before - clip->bounds().topLeft()) * m_magnification;
    m_magnification = magnification;
    tile();
    if (document) {
        const QPointF origin = before - onScreen / magnification;
        clip->scrollToPoint(clip->constrainScrollPoint(origin));
    }
    reflectScrolledClipView(clip);
}

void ScrollView::setMinMagnification(double minimum)
{
    if (std::isfinite(minimum) && minimum > 0)
        m_minMagnification = std::min(minimum, m_maxMagnification);
}

void ScrollView::setMaxMagnification(double maximum)
{
    if (std::isfinite(maximum) && maximum > 0)
        m_maxMagnification = std::max(maximum, m_minMagnification);
}

// --- Background

Color ScrollView::backgroundColor() const
{
    return m_clipView ? m_clipView->backgroundColor() : Color();
}

void ScrollView::setBackgroundColor(const Color& color)
{
    if (m_clipView)
        m_clipView->setBackgroundColor(color);
}

bool ScrollView::drawsBackground() const
{
    return m_clipView && m_clipView->drawsBackground();
}

void ScrollView::setDrawsBackground(bool draws)
{
    if (m_clipView)
        m_clipView->setDrawsBackground(draws);
}

// --- Layout and scrolling

void ScrollView::tile()
{
    if (m_tiling || !m_clipView)
        return;
    m_tiling = true;
    RulerView* horizontalRuler = m_rulersVisible && m_hasHorizontalRuler ? m_horizontalRuler.data() : nullptr;
    RulerView* verticalRuler = m_rulersVisible && m_hasVerticalRuler ? m_verticalRuler.data() : nullptr;
    const double top = horizontalRuler ? horizontalRuler->requiredThickness() : 0.0;
    const double left = verticalRuler ? verticalRuler->requiredThickness() : 0.0;
    const auto [showHorizontal, showVertical] = scrollersToShow(top, left);
    const double bar = scrollerThickness();
    const QRectF area = bounds();
    const QRectF clipFrame(area.x() + left, area.y() + top,
                           std::max(0.0, area.width() - left - (showVertical ? bar : 0.0)),
                           std::max(0.0, area.height() - top - (showHorizontal ? bar : 0.0)));

    ClipView* clip = m_clipView;
    clip->setFrame(clipFrame);
    const QPointF origin = clip->bounds().topLeft();
    clip->setBounds(QRectF(origin, clipFrame.size() / m_magnification));
    const QPointF constrained = clip->constrainScrollPoint(origin);
    if (constrained != origin)
        clip->scrollToPoint(constrained);

    for (RulerView* ruler : {m_horizontalRuler.data(), m_verticalRuler.data()}) {
        if (ruler)
            ruler->setHidden(ruler != horizontalRuler && ruler != verticalRuler);
    }
    if (horizontalRuler)
        horizontalRuler->setFrame(QRectF(clipFrame.x(), area.y(), clipFrame.width(), top));
    if (verticalRuler)
        verticalRuler->setFrame(QRectF(area.x(), clipFrame.y(), left, clipFrame.height()));
    placeScroller(m_horizontalScroller,
                  QRectF(area.x(), area.bottom() - bar, area.width() - (showVertical ? bar : 0.0), bar), showHorizontal);
    placeScroller(m_verticalScroller,
                  QRectF(area.right() - bar, area.y(), bar, area.height() - (showHorizontal ? bar : 0.0)), showVertical);
    m_tiling = false;
    reflectScrolledClipView(clip);
}

void ScrollView::reflectScrolledClipView(ClipView* clipView)
{
    if (!clipView || clipView != m_clipView)
        return;
    const QRectF document = clipView->documentRect();
    const QRectF visible = clipView->bounds();
    const double m = m_magnification;
    const auto pixels = [m](double length) { return int(std::lround(length * m)); };
    {
        const QSignalBlocker blockHorizontal(m_horizontalScroller);
        const QSignalBlocker blockVertical(m_verticalScroller);
        m_horizontalScroller->setRange(0, std::max(0, pixels(document.width() - visible.width())));
        m_horizontalScroller->setPageStep(std::max(1, pixels(visible.width())));
        m_horizontalScroller->setSingleStep(std::max(1, pixels(m_lineScroll)));
        m_horizontalScroller->setValue(pixels(visible.x() - document.x()));
        const double fromTop = clipView->isFlipped() ? visible.y() - document.y() : document.bottom() - visible.bottom();
        m_verticalScroller->setRange(0, std::max(0, pixels(document.height() - visible.height())));
        m_verticalScroller->setPageStep(std::max(1, pixels(visible.height())));
        m_verticalScroller->setSingleStep(std::max(1, pixels(m_lineScroll)));
        m_verticalScroller->setValue(pixels(fromTop));
    }
    if (m_autohidesScrollers && !m_tiling) {
        const double top = m_horizontalRuler && !m_horizontalRuler->isHidden() ? m_horizontalRuler->requiredThickness() : 0;
        const double left = m_verticalRuler && !m_verticalRuler->isHidden() ? m_verticalRuler->requiredThickness() : 0;
        const auto [horizontal, vertical] = scrollersToShow(top, left);
        if (horizontal == m_horizontalScroller->isHidden() || vertical == m_verticalScroller->isHidden()) {
            tile();
            return;
        }
    }
    for (RulerView* ruler : {m_horizontalRuler.data(), m_verticalRuler.data()}) {
        if (ruler && !ruler->isHidden())
            ruler->setNeedsDisplay(true);
    }
}

void ScrollView::resizeSubviewsWithOldSize(QSizeF)
{
    tile();
}

void ScrollView::scrollWheel(const Event& event)
{
    ClipView* clip = m_clipView;
    if (!clip || !clip->documentView()) {
        View::scrollWheel(event);
        return;
    }
    const double notch = m_lineScroll * QApplication::wheelScrollLines();
    double dx = event.hasPreciseScrollingDeltas ? event.scrollingDeltaX : event.deltaX * notch;
    double dy = event.hasPreciseScrollingDeltas ? event.scrollingDeltaY : event.deltaY * notch;
    if (!m_hasHorizontalScroller)
        dx = 0;
    if (!m_hasVerticalScroller)
        dy = 0;
    // Positive deltas scroll towards the document's left and top.
    const QRectF visible = clip->bounds();
    const QPointF wanted(visible.x() - dx / m_magnification,
                         visible.y() + (clip->isFlipped() ? -dy : dy) / m_magnification);
    const QPointF origin = clip->constrainScrollPoint(wanted);
    if (origin == visible.topLeft()) {
        View::scrollWheel(event); // an enclosing scroll view may take it
        return;
    }
    clip->scrollToPoint(origin);
}

void ScrollView::drawRect(const QRectF& dirtyRect)
{
    // The corners the rulers and scrollers leave.
    if (GraphicsContext* context = GraphicsContext::current())
        context->painter().fillRect(dirtyRect, palette().window());
}

} // namespace pf
