#include "app/CVLVectorizingPreviewView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Event.h"
#include "platform/ui/Slider.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(CVLVectorizingPreviewView, pf::View)
{
    b.method("scaleAction:", &CVLVectorizingPreviewView::scaleAction);
}

CVLVectorizingPreviewView::CVLVectorizingPreviewView(QWidget* parent) : pf::View(parent)
{
    setMinimumSize(200, 200);
    updateCursor();
}

void CVLVectorizingPreviewView::setSourceImage(const QImage& image)
{
    if (image.cacheKey() == m_sourceImage.cacheKey() && image == m_sourceImage)
        return;
    m_sourceImage = image;
    updateMinImageScale();
    // A linked view without an image of its own zooms over this one.
    if (m_linkedView && m_linkedView->sourceImage().isNull())
        m_linkedView->updateMinImageScale();
    m_imageOrigin = QPointF();
    // Back to actual size, within the zoom range.
    m_imageScale = std::clamp(1.0, m_minImageScale, maxImageScale());
    if (m_scaleSlider)
        m_scaleSlider->setDoubleValue(m_imageScale);
    setNeedsDisplay(true);
}

void CVLVectorizingPreviewView::setVectors(const QList<pf::Ref<PWTracedVectorObject>>& vectors)
{
    m_vectors = vectors;
    setNeedsDisplay(true);
}

void CVLVectorizingPreviewView::setScaleSlider(pf::Slider* slider)
{
    m_scaleSlider = slider;
    if (!slider)
        return;
    slider->setMinValue(m_minImageScale);
    slider->setMaxValue(maxImageScale());
    slider->setDoubleValue(m_imageScale);
}

void CVLVectorizingPreviewView::updateMinImageScale()
{
    const QSizeF view = bounds().size();
    const QSize image = referenceImage().size();
    // Without an image (or with an empty one) there is nothing to fit: actual size only.
    double least = 1.0;
    if (image.width() > 0 && image.height() > 0)
        least = std::max(view.width() / image.width(), view.height() / image.height());
    if (!std::isfinite(least))
        least = 1.0;
    setMinImageScale(std::clamp(least, kSmallestImageScale, kMaxImageScale));
}

void CVLVectorizingPreviewView::setMinImageScale(double scale)
{
    if (!std::isfinite(scale) || scale <= 0)
        scale = kSmallestImageScale;
    m_minImageScale = scale;
    if (m_scaleSlider) {
        m_scaleSlider->setMinValue(m_minImageScale);
        m_scaleSlider->setMaxValue(maxImageScale());
    }
    // The zoom stays in range.
    const double kept = m_imageScale;
    m_imageScale = -1;
    setImageScale(kept);
}

void CVLVectorizingPreviewView::setImageScale(double scale)
{
    if (!std::isfinite(scale))
        return;
    scale = std::clamp(scale, m_minImageScale, maxImageScale());
    if (scale == m_imageScale)
        return;
    m_imageScale = scale;
    const QPointF offset = m_imageOrigin;
    // Clamped again for the new zoom.
    m_imageOrigin = QPointF(-1, -1);
    setImageOffset(offset);
    if (m_scaleSlider)
        m_scaleSlider->setDoubleValue(m_imageScale);
    setNeedsDisplay(true);
}

QImage CVLVectorizingPreviewView::referenceImage() const
{
    if (!m_sourceImage.isNull())
        return m_sourceImage;
    return m_linkedView ? m_linkedView->sourceImage() : QImage();
}

void CVLVectorizingPreviewView::setImageOffset(QPointF offset)
{
    const QImage image = referenceImage();
    if (!image.isNull()) {
        const QSizeF view = bounds().size();
        const double maxX = std::max(0.0, image.width() * m_imageScale - view.width());
        const double maxY = std::max(0.0, image.height() * m_imageScale - view.height());
        offset = QPointF(std::clamp(offset.x(), 0.0, maxX), std::clamp(offset.y(), 0.0, maxY));
    }
    if (offset == m_imageOrigin)
        return;
    m_imageOrigin = offset;
    setNeedsDisplay(true);
}

void CVLVectorizingPreviewView::scaleAction(const QVariant& sender)
{
    double value = sender.toDouble();
    if (auto* slider = qobject_cast<pf::Slider*>(sender.value<QWidget*>()))
        value = slider->doubleValue();
    if (value >= kActualSizeSnapLow && value <= kActualSizeSnapHigh)
        value = 1.0;
    setImageScale(value);
    if (m_linkedView)
        m_linkedView->setImageScale(value);
}

void CVLVectorizingPreviewView::zoomByWheelDelta(double deltaY)
{
    if (deltaY == 0 || !std::isfinite(deltaY))
        return;
    setImageScale(m_imageScale * (deltaY > 0 ? 0.9 : 1.1));
    if (m_linkedView)
        m_linkedView->setImageScale(m_imageScale);
}

void CVLVectorizingPreviewView::panBy(QPointF delta)
{
    setImageOffset(m_imageOrigin + delta);
    if (m_linkedView)
        m_linkedView->setImageOffset(m_imageOrigin);
}

void CVLVectorizingPreviewView::drawRect(const QRectF& dirtyRect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    painter.fillRect(dirtyRect, Qt::white);
    painter.save();
    painter.translate(-m_imageOrigin);
    painter.scale(m_imageScale, m_imageScale);
    if (!m_sourceImage.isNull()) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, m_imageScale < 1.0);
        painter.drawImage(QPointF(0, 0), m_sourceImage);
    } else {
        drawVectors();
    }
    painter.restore();
    painter.setPen(QPen(Qt::gray, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bounds().adjusted(0.5, 0.5, -0.5, -0.5));
}

void CVLVectorizingPreviewView::drawVectors()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    for (const pf::Ref<PWTracedVectorObject>& vector : m_vectors) {
        if (!vector)
            continue;
        QPainterPath path = vector->vectorPath()->toQPainterPath();
        painter.setBrush(vector->colour().qColor());
        painter.drawPath(path);
    }
}

void CVLVectorizingPreviewView::mouseDown(const pf::Event& event)
{
    m_lastMouse = convertPointFromView(event.locationInWindow, nullptr);
    m_mouseDown = true;
    updateCursor();
}

void CVLVectorizingPreviewView::mouseDragged(const pf::Event& event)
{
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    panBy(m_lastMouse - point);
    m_lastMouse = point;
}

void CVLVectorizingPreviewView::mouseUp(const pf::Event&)
{
    m_mouseDown = false;
    updateCursor();
}

void CVLVectorizingPreviewView::scrollWheel(const pf::Event& event)
{
    zoomByWheelDelta(event.deltaY);
}

void CVLVectorizingPreviewView::setFrameSize(QSizeF size)
{
    pf::View::setFrameSize(size);
    updateMinImageScale();
}

void CVLVectorizingPreviewView::updateCursor()
{
    setCursor(m_mouseDown ? Qt::ClosedHandCursor : Qt::OpenHandCursor);
}
