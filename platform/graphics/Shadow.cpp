#include "platform/graphics/Shadow.h"

#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

PF_DEFINE_CLASS_NAMED(pf::Shadow, pf::Object, "pf::Shadow")
{
    using pf::Shadow;
    b.protocol(pf::kCodingProtocol);
    b.property(Shadow::kShadowOffsetKey, &Shadow::shadowOffset, &Shadow::setShadowOffset);
    b.property(Shadow::kShadowBlurRadiusKey, &Shadow::shadowBlurRadius, &Shadow::setShadowBlurRadius);
    b.property(
        Shadow::kShadowColorKey,
        std::function<QVariant(const Shadow&)>([](const Shadow& shadow) {
            const pf::Color& colour = shadow.shadowColor();
            return colour.isValid() ? pf::toVariant(std::make_shared<pf::Color>(colour)) : QVariant();
        }),
        std::function<void(Shadow&, const QVariant&)>([](Shadow& shadow, const QVariant& value) {
            if (!value.isValid()) {
                shadow.setShadowColor(pf::Color());
                return;
            }
            const pf::Ref<pf::Color> colour = pf::objectCast<pf::Color>(value);
            if (!colour)
                throw pf::InvalidArgumentException(
                    QStringLiteral("-[pf::Shadow setShadowColor:]: %1 is not a colour").arg(pf::describe(value)));
            shadow.setShadowColor(*colour);
        }));
}

namespace pf {

namespace {

const QString kShadowScaleLimitKey = QStringLiteral("PWShadowScaleLimit");

// Past these the off-screen work would cost more than the shadow is worth: a larger layer is
// rendered at a lower resolution and scaled up, a wider blur is as good as uniform.
constexpr double kMaxLayerPixels = 8.0 * 1024 * 1024;
constexpr double kMaxBoxRadius = 2048.0;

double finiteOrZero(double value)
{
    return std::isfinite(value) ? value : 0.0;
}

// The smallest rect holding every pixel with some alpha.
QRect alphaBounds(const QImage& image)
{
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int first = -1;
        int last = -1;
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(row[x]) != 0) {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        if (first < 0)
            continue;
        left = std::min(left, first);
        right = std::max(right, last);
        top = std::min(top, y);
        bottom = y;
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// One box pass of `radius` over `count` values `stride` apart; what lies outside counts as 0.
void boxPass(uchar* values, int count, int stride, int radius, std::vector<uchar>& scratch)
{
    scratch.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        scratch[size_t(i)] = values[qsizetype(i) * stride];
    const int window = 2 * radius + 1;
    long sum = 0;
    for (int i = 0; i <= std::min(radius, count - 1); ++i)
        sum += scratch[size_t(i)];
    for (int i = 0; i < count; ++i) {
        values[qsizetype(i) * stride] = uchar((sum + window / 2) / window);
        if (i + radius + 1 < count)
            sum += scratch[size_t(i + radius + 1)];
        if (i - radius >= 0)
            sum -= scratch[size_t(i - radius)];
    }
}

// Three box passes each way: close to a Gaussian of about `radius` standard deviation.
void blurAlpha(QImage& alpha, int radius)
{
    std::vector<uchar> scratch;
    const int stride = int(alpha.bytesPerLine());
    uchar* bits = alpha.bits();
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < alpha.height(); ++y)
            boxPass(bits + qsizetype(y) * stride, alpha.width(), 1, radius, scratch);
        for (int x = 0; x < alpha.width(); ++x)
            boxPass(bits + x, alpha.height(), stride, radius, scratch);
    }
}

} // namespace

Shadow::Shadow() : m_color(Color::withWhite(0.0, 1.0 / 3.0)) {}

void Shadow::setShadowOffset(const QSizeF& offset)
{
    const QSizeF value(finiteOrZero(offset.width()), finiteOrZero(offset.height()));
    if (value != m_offset)
        setObservedValue(m_offset, value, kShadowOffsetKey);
}

void Shadow::setShadowBlurRadius(double radius)
{
    const double value = std::isnan(radius) ? 0.0 : std::max(0.0, radius);
    if (value != m_blurRadius)
        setObservedValue(m_blurRadius, value, kShadowBlurRadiusKey);
}

void Shadow::setShadowColor(const Color& colour)
{
    if (colour != m_color)
        setObservedValue(m_color, colour, kShadowColorKey);
}

QRectF Shadow::shadowBoundsForBounds(const QRectF& bounds) const
{
    // United by hand: QRectF::united skips an empty rect, and a point or a line still casts.
    const QRectF object = bounds.normalized();
    const QRectF shadow = object.translated(m_offset.width(), -m_offset.height());
    const QPointF topLeft(std::min(object.left(), shadow.left()), std::min(object.top(), shadow.top()));
    const QPointF bottomRight(std::max(object.right(), shadow.right()), std::max(object.bottom(), shadow.bottom()));
    return QRectF(topLeft, bottomRight).adjusted(-m_blurRadius, -m_blurRadius, m_blurRadius, m_blurRadius);
}

// Kept in the user defaults, so the limit the user chose holds after a relaunch.
double Shadow::shadowScaleLimit()
{
    bool ok = false;
    const double stored = UserDefaults::standard().cachedObjectForKey(kShadowScaleLimitKey).toDouble(&ok);
    return ok && std::isfinite(stored) && stored > 0 ? stored : 0.0;
}

void Shadow::setShadowScaleLimit(double limit)
{
    UserDefaults::standard().setDouble(std::isfinite(limit) ? std::max(0.0, limit) : 0.0, kShadowScaleLimitKey);
}

void Shadow::drawWithShadow(QPainter& painter, const std::function<void(QPainter&)>& drawShape, double scale) const
{
    PF_PARAMETER_ASSERT(scale > 0 && std::isfinite(scale));
    if (!drawShape || !painter.isActive())
        return;
    castShadow(painter, drawShape, scale);
    drawShape(painter);
}

void Shadow::castShadow(QPainter& painter, const std::function<void(QPainter&)>& drawShape, double scale) const
{
    if (!m_color.isValid() || m_color.alphaComponent() <= 0.0)
        return;
    QPaintDevice* device = painter.device();
    const QTransform toDevice = painter.deviceTransform();
    const double devicePerUser = std::sqrt(std::abs(toDevice.determinant()));
    if (!(devicePerUser > 0) || !std::isfinite(devicePerUser))
        return;
    const double pixelRatio = device->devicePixelRatioF() > 0 ? device->devicePixelRatioF() : 1.0;

    double zoom = devicePerUser / pixelRatio * scale;
    const double limit = shadowScaleLimit();
    if (limit > 0 && zoom > limit)
        zoom = limit;
    const double devicePerBase = zoom * pixelRatio;
    // Device pixels run y-down and the offset y-up, whatever the transform does.
    const QPointF offset(m_offset.width() * devicePerBase, -m_offset.height() * devicePerBase);
    if (!std::isfinite(offset.x()) || !std::isfinite(offset.y()))
        return;
    const int boxRadius = int(std::lround(std::min(m_blurRadius * devicePerBase / 2.0, kMaxBoxRadius)));
    const int spread = 3 * boxRadius;

    // Only shadow that can show is worth making: the device within the clip, and the shape
    // within reach of the blur around it. Widths of widgets are logical, of images physical;
    // scaling both by the pixel ratio errs on the large side.
    QRectF visible(0, 0, device->width() * pixelRatio, device->height() * pixelRatio);
    if (painter.hasClipping())
        visible &= toDevice.mapRect(painter.clipBoundingRect());
    if (visible.isEmpty())
        return;
    const QRect region = visible.toAlignedRect().adjusted(-spread, -spread, spread, spread);
    const double area = double(region.width()) * double(region.height());
    const double reduction = area > kMaxLayerPixels ? std::sqrt(kMaxLayerPixels / area) : 1.0;

    // The shape, already moved by the offset, in a layer over the region.
    QImage layer(std::max(1, int(std::ceil(region.width() * reduction))),
                 std::max(1, int(std::ceil(region.height() * reduction))), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull())
        return;
    layer.fill(Qt::transparent);
    // Same resolution as the device, so that text measured in points comes out the same size.
    layer.setDotsPerMeterX(int(std::lround(device->logicalDpiX() / 0.0254)));
    layer.setDotsPerMeterY(int(std::lround(device->logicalDpiY() / 0.0254)));
    {
        QPainter shape(&layer);
        shape.setRenderHints(painter.renderHints());
        shape.setPen(painter.pen());
        shape.setBrush(painter.brush());
        shape.setFont(painter.font());
        shape.setTransform(toDevice * QTransform::fromTranslate(offset.x() - region.x(), offset.y() - region.y()) *
                           QTransform::fromScale(reduction, reduction));
        drawShape(shape);
    }

    const QRect shapeBounds = alphaBounds(layer);
    if (shapeBounds.isEmpty())
        return;
    const int layerRadius = int(std::lround(boxRadius * reduction));
    const int layerSpread = 3 * layerRadius;
    const QRect blurArea = shapeBounds.adjusted(-layerSpread, -layerSpread, layerSpread, layerSpread) & layer.rect();
    QImage alpha = layer.copy(blurArea).convertToFormat(QImage::Format_Alpha8);
    layer = QImage();
    if (alpha.isNull())
        return;
    if (layerRadius > 0)
        blurAlpha(alpha, layerRadius);

    QImage tinted(alpha.size(), QImage::Format_ARGB32_Premultiplied);
    if (tinted.isNull())
        return;
    tinted.fill(Qt::transparent);
    {
        QPainter tint(&tinted);
        tint.fillRect(tinted.rect(), m_color.brush());
        tint.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        tint.drawImage(0, 0, alpha);
    }

    // Composited in device pixels: no view transform, and a world transform that undoes the
    // pixel ratio the painter applies on its own.
    painter.save();
    painter.setViewTransformEnabled(false);
    painter.setWorldTransform(QTransform::fromScale(1.0 / pixelRatio, 1.0 / pixelRatio));
    if (reduction < 1.0)
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF target(region.x() + blurArea.x() / reduction, region.y() + blurArea.y() / reduction,
                        blurArea.width() / reduction, blurArea.height() / reduction);
    painter.drawImage(target, tinted);
    painter.restore();
}

bool Shadow::operator==(const Shadow& other) const
{
    return m_offset == other.m_offset && m_blurRadius == other.m_blurRadius && m_color == other.m_color;
}

Ref<Object> Shadow::copy() const
{
    return std::make_shared<Shadow>(*this);
}

bool Shadow::isEqual(const Reflective* other) const
{
    const auto* shadow = dynamic_cast<const Shadow*>(other);
    return shadow && *this == *shadow;
}

QString Shadow::description() const
{
    return QStringLiteral("<pf::Shadow offset (%1, %2) blur %3 %4>")
        .arg(m_offset.width())
        .arg(m_offset.height())
        .arg(m_blurRadius)
        .arg(m_color.description());
}

void Shadow::encodeWithCoder(KeyedArchiver& coder) const
{
    coder.encodeSize(m_offset, kShadowOffsetKey);
    coder.encodeDouble(m_blurRadius, kShadowBlurRadiusKey);
    coder.encodeObject(m_color.isValid() ? std::make_shared<Color>(m_color) : nullptr, kShadowColorKey);
}

void Shadow::initWithCoder(KeyedUnarchiver& coder)
{
    setShadowOffset(coder.decodeSize(kShadowOffsetKey));
    setShadowBlurRadius(coder.decodeDouble(kShadowBlurRadiusKey));
    const Ref<Color> colour = coder.decodeObjectOfClass<Color>(kShadowColorKey);
    setShadowColor(colour ? *colour : Color());
}

} // namespace pf
