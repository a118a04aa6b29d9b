#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/View.h"

#include <optional>

// A miniature page: the largest rectangle of the page's proportions inside the view, filled
// with the page colour over a soft shadow, with a faint picture of the drawing on it.
class RVDocumentPreviewView : public pf::View {
    Q_OBJECT
    PF_CLASS(RVDocumentPreviewView)
public:
    explicit RVDocumentPreviewView(QWidget* parent = nullptr);
    explicit RVDocumentPreviewView(const QRectF& frame, QWidget* parent = nullptr);

    // Only the ratio of the sides matters.
    QSizeF aspect() const { return m_aspect; }
    void setAspect(QSizeF aspect);
    // Width / height; none for a page without height (or of unusable sides).
    std::optional<double> aspectRatio() const;
    // White when invalid.
    pf::Color documentColour() const { return m_documentColour; }
    void setDocumentColour(const pf::Color& colour);
    // Fills the view behind the page when valid.
    pf::Color backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const pf::Color& colour);
    pf::Ref<pf::Image> contentImage() const { return m_contentImage; }
    void setContentImage(const pf::Ref<pf::Image>& image);
    double inset() const { return m_inset; }
    void setInset(double inset);
    bool drawsShadow() const { return m_drawsShadow; }
    void setDrawsShadow(bool draws);

    // The page in bounds coordinates, on whole device pixels; null when there is no ratio or no
    // room.
    QRectF pageRect() const;

    bool isFlipped() const override { return true; }
    bool isOpaque() const override;
    bool acceptsFirstResponder() const override { return false; }
    void drawRect(const QRectF& dirtyRect) override;

private:
    QSizeF m_aspect;
    pf::Color m_documentColour;
    pf::Color m_backgroundColour;
    pf::Ref<pf::Image> m_contentImage;
    double m_inset = 10.0;
    bool m_drawsShadow = true;
};
