#pragma once

#include "platform/graphics/Gradient.h"
#include "platform/ui/View.h"

// An opaque view filled with a vertical gradient, light grey by default.
class RVGradientBackgroundView : public pf::View {
    Q_OBJECT
    PF_CLASS(RVGradientBackgroundView)
public:
    explicit RVGradientBackgroundView(QWidget* parent = nullptr);
    explicit RVGradientBackgroundView(const QRectF& frame, QWidget* parent = nullptr);

    pf::Ref<pf::Gradient> background() const { return mBackground; }
    void setBackground(const pf::Ref<pf::Gradient>& background);

    bool isOpaque() const override { return true; }
    void drawRect(const QRectF& dirtyRect) override;

private:
    pf::Ref<pf::Gradient> mBackground;
};
