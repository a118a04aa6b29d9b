#pragma once

#include "frameworks/penwork/tracing/PWTracedVectorObject.h"
#include "platform/ui/Slider.h"
#include "platform/ui/View.h"

#include <QImage>
#include <QPointer>

// A pannable, zoomable view of an image or of the paths traced from it. Two views can be
// linked so that zooming or panning one moves the other the same way. An image point p shows
// at p * zoom - offset; the offset is kept between 0 and what lets the zoomed image's far edge
// reach the view's edge. Flipped (y down), like the image.
class CVLVectorizingPreviewView : public pf::View {
    Q_OBJECT
    PF_CLASS(CVLVectorizingPreviewView)
public:
    static constexpr double kMaxImageScale = 10.0;
    // The least zoom is never below this, so a view not laid out yet still draws.
    static constexpr double kSmallestImageScale = 0.01;
    // Slider values this close to 1 mean "actual size".
    static constexpr double kActualSizeSnapLow = 0.9;
    static constexpr double kActualSizeSnapHigh = 1.1;

    explicit CVLVectorizingPreviewView(QWidget* parent = nullptr);

    QImage sourceImage() const { return m_sourceImage; }
    // A new image: the least zoom is recomputed, the offset goes to the origin and the zoom
    // to 1 (within the zoom range). Nothing happens for the image already shown.
    void setSourceImage(const QImage& image);
    QList<pf::Ref<PWTracedVectorObject>> vectors() const { return m_vectors; }
    void setVectors(const QList<pf::Ref<PWTracedVectorObject>>& vectors);

    CVLVectorizingPreviewView* linkedView() const { return m_linkedView; }
    // Not retained.
    void setLinkedView(CVLVectorizingPreviewView* view) { m_linkedView = view; }
    pf::Slider* scaleSlider() const { return m_scaleSlider; }
    void setScaleSlider(pf::Slider* slider);

    QPointF imageOffset() const { return m_imageOrigin; }
    void setImageOffset(QPointF offset);
    double imageScale() const { return m_imageScale; }
    // Clamped to the zoom range (the least zoom to kMaxImageScale).
    void setImageScale(double scale);
    double minImageScale() const { return m_minImageScale; }
    void setMinImageScale(double scale);
    // The zoom range's upper end: never below the least zoom.
    double maxImageScale() const { return std::max(kMaxImageScale, m_minImageScale); }

    // The slider's value, snapped to 1 near 1, for this view and the linked one.
    void scaleAction(const QVariant& sender);
    void drawVectors();

    bool isFlipped() const override { return true; }
    bool isOpaque() const override { return true; }
    bool acceptsFirstMouse(const pf::Event*) const override { return true; }
    bool acceptsFirstResponder() const override { return true; }
    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const pf::Event& event) override;
    void mouseDragged(const pf::Event& event) override;
    void mouseUp(const pf::Event& event) override;
    void scrollWheel(const pf::Event& event) override;
    void setFrameSize(QSizeF size) override;

    // The image the offset is measured on: this view's, else the linked view's.
    QImage referenceImage() const;
    // The same zoom and offset on both views; the scroll wheel's step (0 does nothing).
    void zoomByWheelDelta(double deltaY);
    void panBy(QPointF delta);

private:
    void updateMinImageScale();
    void updateCursor();

    QImage m_sourceImage;
    QList<pf::Ref<PWTracedVectorObject>> m_vectors;
    QPointer<CVLVectorizingPreviewView> m_linkedView;
    QPointer<pf::Slider> m_scaleSlider;
    QPointF m_imageOrigin;
    double m_imageScale = 1.0;
    double m_minImageScale = kSmallestImageScale;
    bool m_mouseDown = false;
    QPointF m_lastMouse;
};
