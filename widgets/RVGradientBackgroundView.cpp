#include "widgets/RVGradientBackgroundView.h"

#include "platform/graphics/GraphicsContext.h"

PF_DEFINE_CLASS(RVGradientBackgroundView, pf::View) {}

namespace {

pf::Ref<pf::Gradient> defaultBackground()
{
    return std::make_shared<pf::Gradient>(pf::Color::withWhite(0.98), pf::Color::withWhite(0.88));
}

} // namespace

RVGradientBackgroundView::RVGradientBackgroundView(QWidget* parent)
    : pf::View(parent)
    , mBackground(defaultBackground())
{
}

RVGradientBackgroundView::RVGradientBackgroundView(const QRectF& frame, QWidget* parent)
    : pf::View(frame, parent)
    , mBackground(defaultBackground())
{
}

void RVGradientBackgroundView::setBackground(const pf::Ref<pf::Gradient>& background)
{
    mBackground = background;
    setNeedsDisplay();
}

void RVGradientBackgroundView::drawRect(const QRectF&)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (context && mBackground)
        mBackground->drawInRect(context->painter(), bounds(), 90.0);
}
