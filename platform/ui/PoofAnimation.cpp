#include "platform/ui/PoofAnimation.h"

#include <QPainter>
#include <QRadialGradient>
#include <QTimer>

#include <cmath>

namespace pf {

PoofAnimation* PoofAnimation::show(QPointF screenPoint)
{
    auto* poof = new PoofAnimation(screenPoint);
    poof->QWidget::show();
    return poof;
}

PoofAnimation::PoofAnimation(QPointF screenPoint)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kSide, kSide);
    move(int(std::lround(screenPoint.x() - kSide / 2.0)), int(std::lround(screenPoint.y() - kSide / 2.0)));
    m_timer = new QTimer(this);
    m_timer->setInterval(kDurationMs / kFrameCount);
    connect(m_timer, &QTimer::timeout, this, &PoofAnimation::advance);
    m_timer->start();
}

void PoofAnimation::advance()
{
    if (m_frame + 1 >= kFrameCount) {
        m_timer->stop();
        close();
        return;
    }
    ++m_frame;
    update();
}

QImage PoofAnimation::frameImage(int frame)
{
    QImage image(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const int f = std::clamp(frame, 0, kFrameCount - 1);
    const double t = double(f) / (kFrameCount - 1); // 0 at the start, 1 at the end
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QPointF centre(kSide / 2.0, kSide / 2.0);
    // Six puffs drift outwards from the centre, growing and fading as they go.
    const double spread = 6 + 16 * t;
    const double radius = 9 + 7 * t;
    const double alpha = 0.85 * (1.0 - 0.8 * t);
    for (int i = 0; i < 6; ++i) {
        const double angle = i * M_PI / 3 + t * 0.6;
        const QPointF at = centre + QPointF(std::cos(angle), std::sin(angle)) * spread;
        QRadialGradient puff(at, radius);
        puff.setColorAt(0, QColor::fromRgbF(0.97, 0.97, 0.97, alpha));
        puff.setColorAt(0.7, QColor::fromRgbF(0.85, 0.85, 0.85, alpha * 0.8));
        puff.setColorAt(1, QColor::fromRgbF(0.7, 0.7, 0.7, 0));
        painter.setBrush(puff);
        painter.drawEllipse(at, radius, radius);
    }
    return image;
}

void PoofAnimation::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, frameImage(m_frame));
}

} // namespace pf
