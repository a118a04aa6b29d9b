#include "widgets/RVSplitTestView.h"

#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"

#include <QFontMetricsF>
#include <QPainter>

PF_DEFINE_CLASS(RVSplitTestView, pf::View) {}

RVSplitTestView::RVSplitTestView(QWidget* parent)
    : pf::View(parent)
{
}

RVSplitTestView::RVSplitTestView(const QRectF& frame, QWidget* parent)
    : pf::View(frame, parent)
{
}

void RVSplitTestView::drawRect(const QRectF& dirtyRect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    const QRectF b = bounds();
    painter.fillRect(dirtyRect, Qt::white);

    QPen red(Qt::red);
    red.setWidthF(0.5);
    painter.setPen(red);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(b);
    painter.drawLine(b.topLeft(), b.bottomRight());
    painter.drawLine(b.bottomLeft(), b.topRight());

    const QPointF centre = b.center();
    const QRectF box(centre.x() - 50, centre.y() - 5, 100, 50);
    painter.fillRect(box, Qt::white);
    painter.drawRect(box);

    const QFont font = pf::Font::systemFont(12).qFont();
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    auto drawCentred = [&](const QString& text, QPointF at) {
        painter.drawText(QPointF(at.x() - metrics.horizontalAdvance(text) / 2, at.y()), text);
    };
    drawCentred(QString::asprintf("Width: %.2f", b.width()), centre);
    drawCentred(QString::asprintf("Height: %.2f", b.height()), centre + QPointF(0, 20));
}
