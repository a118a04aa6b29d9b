#include "widgets/RVBorderView.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Menu.h"

#include <QPainter>

PF_DEFINE_CLASS(RVBorderView, pf::View) {}

void RVBorderView::drawRect(const QRectF&)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    const QRectF b = bounds();
    painter.fillRect(b, pf::Color::withWhite(0.96).qColor());
    painter.save();
    painter.setPen(QPen(pf::Color::grey().qColor(), 1.0));
    painter.drawLine(QPointF(b.left(), b.bottom()), QPointF(b.right(), b.bottom()));
    painter.drawLine(QPointF(b.left(), b.top() + 0.5), QPointF(b.right(), b.top() + 0.5));
    painter.restore();
}

void RVBorderView::mouseDown(const pf::Event& event)
{
    mPressed = true;
    if (mMenu) {
        mMenu->setFont(pf::Font::systemFont(10.0).qFont());
        pf::Menu::popUpContextMenu(*mMenu, &event, this);
    }
    // The menu ran its own loop; it is closed now.
    mPressed = false;
}

void RVBorderView::mouseUp(const pf::Event&)
{
    mPressed = false;
}
