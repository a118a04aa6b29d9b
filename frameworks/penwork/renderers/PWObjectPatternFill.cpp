#include "frameworks/penwork/renderers/PWObjectPatternFill.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/renderers/PWRendererGeometry.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

const QString kObjectsArchiveKey = QStringLiteral("pw_objectPatternFill_objects");
const QString kTileArchiveKey = QStringLiteral("pw_objectPatternFill_tile");
const QString kTransformArchiveKey = QStringLiteral("pw_objectPatternFill_transform");
const QString kOpacityArchiveKey = QStringLiteral("pw_objectPatternFill_opacity");

bool finite(const QTransform& t)
{
    for (double v : {t.m11(), t.m12(), t.m13(), t.m21(), t.m22(), t.m23(), t.m31(), t.m32(), t.m33()})
        if (!std::isfinite(v))
            return false;
    return true;
}

bool usableTile(const QRectF& tile)
{
    return std::isfinite(tile.x()) && std::isfinite(tile.y()) && std::isfinite(tile.width())
        && std::isfinite(tile.height()) && tile.width() > 0.0 && tile.height() > 0.0;
}

} // namespace

PF_DEFINE_CLASS(PWObjectPatternFill, PWFill)
{
    b.protocol(pf::kCodingProtocol);
    b.property(PWObjectPatternFill::kOpacityKey, &PWObjectPatternFill::opacity, &PWObjectPatternFill::setOpacity);
    b.validator(PWObjectPatternFill::kOpacityKey, [](PWObjectPatternFill&, QVariant* value, pf::Error* error) {
        return pw::renderers::validateNumber(value, 0.0, 1.0, QStringLiteral("The opacity"), error);
    });
}

PWObjectPatternFill::PWObjectPatternFill() = default;

PWObjectPatternFill::PWObjectPatternFill(const PWObjectPatternFill& other)
    : PWFill(other)
    , m_tile(other.m_tile)
    , m_transform(other.m_transform)
    , m_opacity(other.m_opacity)
{
    for (const auto& object : other.m_objects)
        if (auto copied = std::dynamic_pointer_cast<PWDrawableObject>(object->copy()))
            m_objects.append(copied);
}

void PWObjectPatternFill::setTile(const QList<pf::Ref<PWDrawableObject>>& objects, const QRectF& tile,
                                  const QTransform& transform)
{
    m_objects.clear();
    for (const auto& object : objects)
        if (object)
            m_objects.append(object);
    m_tile = usableTile(tile) ? tile : QRectF();
    m_transform = finite(transform) && transform.isInvertible() ? transform : QTransform();
}

void PWObjectPatternFill::setOpacity(double opacity)
{
    if (std::isnan(opacity))
        return PF_LOG("PWObjectPatternFill: opacity NaN refused");
    changeProperty(m_opacity, std::clamp(opacity, 0.0, 1.0), kOpacityKey);
}

void PWObjectPatternFill::renderPath(const pf::BezierPath& path)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || path.isEmpty() || m_objects.isEmpty() || !usableTile(m_tile) || m_opacity <= 0.0)
        return;
    // A pattern may hold objects filled with patterns; a damaged archive could make one hold
    // itself, so the nesting is bounded.
    static thread_local int depth = 0;
    if (depth >= kMaxNesting)
        return;
    struct Nesting {
        Nesting() { ++depth; }
        ~Nesting() { --depth; }
    } nesting;
    const QRectF bounds = path.bounds();
    const QTransform toUser = m_transform * QTransform::fromTranslate(bounds.left(), bounds.top());
    // The tile is drawn once, at about the resolution it shows at, and then repeated.
    const QTransform toDevice = toUser * context->painter().deviceTransform();
    // Twice the device's resolution: the tile is then scaled down, smoothly, which blends the
    // edges of tiles that do not start on a whole pixel as their objects' own edges would.
    const double pixelsPerUnit = 2.0 * std::sqrt(std::abs(toDevice.determinant()));
    if (!(pixelsPerUnit > 0.0) || !std::isfinite(pixelsPerUnit))
        return;
    const double wide = std::clamp(std::ceil(m_tile.width() * pixelsPerUnit), 1.0, double(kMaxTileSide));
    const double high = std::clamp(std::ceil(m_tile.height() * pixelsPerUnit), 1.0, double(kMaxTileSide));
    QImage tile(int(wide), int(high), QImage::Format_ARGB32_Premultiplied);
    if (tile.isNull())
        return;
    tile.fill(Qt::transparent);
    const QTransform tileToImage = QTransform::fromTranslate(-m_tile.left(), -m_tile.top())
                                   * QTransform::fromScale(wide / m_tile.width(), high / m_tile.height());
    {
        QPainter painter(&tile);
        painter.setRenderHints(context->painter().renderHints());
        painter.setTransform(tileToImage);
        pf::GraphicsContextScope scope(painter, context->isFlipped(), context->isDrawingToScreen());
        for (const auto& object : m_objects)
            object->drawContent();
    }
    bool invertible = false;
    const QTransform imageToTile = tileToImage.inverted(&invertible);
    if (!invertible)
        return;
    pf::GraphicsStateSaver saver(context);
    pw::renderers::setShadow(*context, shadow().get());
    const QPainterPath area = path.toQPainterPath();
    context->draw([&](QPainter& painter) {
        painter.save();
        painter.setOpacity(painter.opacity() * m_opacity);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        QBrush tiles(tile);
        tiles.setTransform(imageToTile * toUser);
        painter.fillPath(area, tiles);
        painter.restore();
    });
}

QString PWObjectPatternFill::displayName() const { return QStringLiteral("Pattern Fill"); }

QStringList PWObjectPatternFill::observableKeyPaths() const
{
    return PWFill::observableKeyPaths() << kOpacityKey;
}

void PWObjectPatternFill::registerActionNames() const
{
    PWFill::registerActionNames();
    setActionName(QStringLiteral("#kind# Opacity"), kOpacityKey);
}

pf::Ref<pf::Object> PWObjectPatternFill::copy() const { return std::make_shared<PWObjectPatternFill>(*this); }

bool PWObjectPatternFill::isEqual(const pf::Reflective* other) const
{
    if (!PWFill::isEqual(other))
        return false;
    const auto* fill = static_cast<const PWObjectPatternFill*>(other);
    return fill->m_objects == m_objects && fill->m_tile == m_tile && fill->m_transform == m_transform
        && fill->m_opacity == m_opacity;
}

void PWObjectPatternFill::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWFill::encodeWithCoder(coder);
    QVariantList objects;
    for (const auto& object : m_objects)
        objects.append(pf::toVariant(object));
    coder.encodePropertyListValue(objects, kObjectsArchiveKey);
    coder.encodeRect(m_tile, kTileArchiveKey);
    const QTransform& t = m_transform;
    coder.encodePropertyListValue(QVariantList{t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()},
                                  kTransformArchiveKey);
    coder.encodeDouble(m_opacity, kOpacityArchiveKey);
}

void PWObjectPatternFill::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWFill::initWithCoder(coder);
    QList<pf::Ref<PWDrawableObject>> objects;
    for (const QVariant& value : coder.decodePropertyListValue(kObjectsArchiveKey).toList())
        if (auto object = pf::objectCast<PWDrawableObject>(value))
            objects.append(object);
    const QVariantList t = coder.decodePropertyListValue(kTransformArchiveKey).toList();
    QTransform transform;
    if (t.size() == 6)
        transform = QTransform(t[0].toDouble(), t[1].toDouble(), t[2].toDouble(), t[3].toDouble(), t[4].toDouble(),
                               t[5].toDouble());
    // A damaged tile or transform is dropped: the fill then draws nothing or tiles unturned.
    setTile(objects, coder.decodeRect(kTileArchiveKey), transform);
    m_opacity = coder.containsValueForKey(kOpacityArchiveKey)
                    ? pw::renderers::clampedValue(coder.decodeDouble(kOpacityArchiveKey), 0.0, 1.0, 1.0)
                    : 1.0;
}
