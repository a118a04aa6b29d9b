#include "widgets/RVProgressBackgroundView.h"

#include <QLinearGradient>
#include <QPainter>

RVProgressBackgroundView::RVProgressBackgroundView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void RVProgressBackgroundView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0.0, QColor::fromRgbF(0.87, 0.87, 0.87));
    gradient.setColorAt(1.0, QColor::fromRgbF(0.97, 0.97, 0.97));
    painter.fillRect(rect(), gradient);

    QList<QWidget*> views;
    for (QObject* child : children())
        if (auto* view = qobject_cast<QWidget*>(child); view && view->isVisible())
            views.append(view);
    if (views.size() < 2)
        return;
    painter.setPen(QPen(QColor::fromRgbF(0.75, 0.75, 0.75), 1.0));
    for (QWidget* view : views) {
        const int top = view->geometry().top();
        if (top < 0 || top >= height())
            continue;
        const double y = top + 1.5;
        painter.drawLine(QPointF(0, y), QPointF(width(), y));
    }
}
