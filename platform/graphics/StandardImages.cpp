#include "platform/graphics/StandardImages.h"

#include "platform/graphics/Image.h"

#include <QConicalGradient>
#include <QGuiApplication>
#include <QPainterPath>
#include <QRadialGradient>

#include <functional>

namespace pf {

namespace {

using Drawing = std::function<void(QPainter&, const QSizeF&)>;

struct StandardImage {
    const char* name;
    QSizeF size;
    Drawing drawing;
};

// Template artwork is black; cells tint it by state.
void drawLock(QPainter& p, const QSizeF&)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.6));
    p.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    shackle.moveTo(4.5, 7.5);
    shackle.lineTo(4.5, 5.0);
    shackle.arcTo(QRectF(4.5, 1.5, 7, 7), 180, -180);
    shackle.lineTo(11.5, 7.5);
    p.drawPath(shackle);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(3, 7.5, 10, 7.5), 1.5, 1.5);
}

void drawRemove(QPainter& p, const QSizeF& size)
{
    p.fillRect(QRectF(size.width() * 0.2, size.height() * 0.44, size.width() * 0.6, size.height() * 0.12), Qt::black);
}

void drawInfo(QPainter& p, const QSizeF& size)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(QPointF(0.5, 0.5), size - QSizeF(1, 1));
    QRadialGradient fill(disc.center(), disc.width() / 2);
    fill.setColorAt(0, QColor(120, 170, 240));
    fill.setColorAt(1, QColor(40, 100, 200));
    p.setPen(QPen(QColor(30, 70, 150), 0.75));
    p.setBrush(fill);
    p.drawEllipse(disc);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const double w = size.width();
    p.drawEllipse(QRectF(w * 0.44, w * 0.2, w * 0.12, w * 0.12));
    p.drawRect(QRectF(w * 0.445, w * 0.4, w * 0.11, w * 0.38));
}

void drawFolder(QPainter& p, const QSizeF& size)
{
    p.setRenderHint(QPainter::Antialiasing);
    const double w = size.width();
    const double h = size.height();
    p.setPen(QPen(QColor(60, 120, 190), w / 64));
    p.setBrush(QColor(110, 170, 230));
    p.drawRoundedRect(QRectF(w * 0.06, h * 0.18, w * 0.4, h * 0.2), w * 0.03, w * 0.03);
    p.drawRoundedRect(QRectF(w * 0.06, h * 0.26, w * 0.88, h * 0.6), w * 0.04, w * 0.04);
    p.setBrush(QColor(140, 195, 245));
    p.drawRoundedRect(QRectF(w * 0.06, h * 0.34, w * 0.88, h * 0.52), w * 0.04, w * 0.04);
}

void drawColourWheel(QPainter& p, const QSizeF& size)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(QPointF(0, 0), size);
    QConicalGradient hues(disc.center(), 0);
    for (int i = 0; i <= 6; ++i)
        hues.setColorAt(i / 6.0, QColor::fromHsvF(i % 6 / 6.0, 1.0, 1.0));
    p.setPen(Qt::NoPen);
    p.setBrush(hues);
    p.drawEllipse(disc);
    // Saturation falls towards the white centre.
    QRadialGradient centre(disc.center(), disc.width() / 2);
    centre.setColorAt(0, Qt::white);
    centre.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(centre);
    p.drawEllipse(disc);
}

void drawApplicationIcon(QPainter& p, const QSizeF& size)
{
    const QIcon icon = QGuiApplication::windowIcon();
    if (!icon.isNull()) {
        icon.paint(&p, QRectF(QPointF(0, 0), size).toRect());
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    const double w = size.width();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 240, 225));
    p.drawRoundedRect(QRectF(w * 0.08, w * 0.08, w * 0.84, w * 0.84), w * 0.16, w * 0.16);
    // A quill across the page.
    QPainterPath quill;
    quill.moveTo(w * 0.25, w * 0.78);
    quill.cubicTo(w * 0.4, w * 0.5, w * 0.6, w * 0.25, w * 0.78, w * 0.2);
    quill.cubicTo(w * 0.7, w * 0.42, w * 0.5, w * 0.62, w * 0.25, w * 0.78);
    p.setBrush(QColor(60, 80, 140));
    p.drawPath(quill);
}

const QList<StandardImage>& standardImages()
{
    static const QList<StandardImage> images{
        {"NSLockLockedTemplate", QSizeF(16, 16), drawLock},
        {"NSRemoveTemplate", QSizeF(16, 16), drawRemove},
        {"NSInfo", QSizeF(32, 32), drawInfo},
        {"NSFolder", QSizeF(32, 32), drawFolder},
        {"NSColorWheelImage", QSizeF(64, 64), drawColourWheel},
        {"NSApplicationIcon", QSizeF(128, 128), drawApplicationIcon},
    };
    return images;
}

} // namespace

Ref<Image> StandardImages::image(const QString& name)
{
    for (const StandardImage& standard : standardImages()) {
        if (name != QLatin1String(standard.name))
            continue;
        Ref<Image> image = Image::withDrawing(standard.size, standard.drawing);
        image->setTemplate(name.endsWith(QLatin1String("Template")));
        return image;
    }
    return {};
}

QStringList StandardImages::names()
{
    QStringList names;
    for (const StandardImage& standard : standardImages())
        names.append(QLatin1String(standard.name));
    return names;
}

} // namespace pf
