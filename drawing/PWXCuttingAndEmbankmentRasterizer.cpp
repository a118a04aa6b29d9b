#include "drawing/PWXCuttingAndEmbankmentRasterizer.h"

#include "drawing/PWXEasing.h"

#include "frameworks/penwork/geometry/BezierPath+Length.h"
#include "frameworks/penwork/renderers/PWRendererGeometry.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

PF_DEFINE_CLASS(PWXCuttingAndEmbankmentRasterizer, PWPathDecorator)
{
    using T = PWXCuttingAndEmbankmentRasterizer;
    b.protocol(pf::kCodingProtocol);
    b.property(
        T::kColourKey,
        std::function<QVariant(const T&)>([](const T& r) { return pw::renderers::colourToVariant(r.colour()); }),
        std::function<void(T&, const QVariant&)>([](T& r, const QVariant& value) {
            r.setColour(pw::renderers::colourFromVariant(
                value, QStringLiteral("-[PWXCuttingAndEmbankmentRasterizer setColour:]")));
        }));
    b.property(T::kKindKey, &T::kind, &T::setKind);
    b.property(T::kSpacingProportionKey, &T::spacingProportion, &T::setSpacingProportion);
    b.property(T::kTaperFunctionKey, &T::taperFunction, &T::setTaperFunction);
}

namespace {

const QString kColourArchiveKey = QStringLiteral("PWXCuttingEmbankment_colour");
const QString kKindArchiveKey = QStringLiteral("PWXCuttingEmbankment_kind");
const QString kRelSpacingArchiveKey = QStringLiteral("PWXCuttingEmbankment_relSpacing");
const QString kTaperFunctionArchiveKey = QStringLiteral("PWXCuttingEmbankment_taperFunction");

// The motif with the centre of its bounds at the origin: that point sits on the path, as the
// centre of an image placed along it would.
pf::Ref<pf::BezierPath> centred(const pf::BezierPath& motif)
{
    const QPointF centre = motif.bounds().center();
    return motif.transformed(QTransform::fromTranslate(-centre.x(), -centre.y()));
}

QImage imageOfPath(const pf::BezierPath& path, const pf::Color& colour)
{
    const QRectF bounds = path.bounds();
    const int resolution = PWXCuttingAndEmbankmentRasterizer::kImageResolution;
    QImage image(std::max(1, int(std::ceil(bounds.width() * resolution))),
                 std::max(1, int(std::ceil(bounds.height() * resolution))), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(resolution, resolution);
        painter.translate(-bounds.topLeft());
        path.fill(painter, QBrush(colour.isValid() ? colour.qColor() : QColor(Qt::transparent)));
    }
    // One image point per motif unit, as the motif's own picture.
    image.setDevicePixelRatio(resolution);
    return image;
}

} // namespace

PWXCuttingAndEmbankmentRasterizer::PWXCuttingAndEmbankmentRasterizer()
    : PWPathDecorator(standardCuttingImageElementWithFillColour(pf::Color::black()))
{
    setTaperFunction(2);
    setScale(4.0);
    setLeadInAndOutLengthProportion(0.15);
}

pf::Ref<pf::BezierPath> PWXCuttingAndEmbankmentRasterizer::standardCuttingEmbankmentPath()
{
    auto path = pf::BezierPath::path();
    path->moveTo(QPointF(0.0, 0.0));
    path->curveTo(QPointF(0.5, 2.0), QPointF(0.1, 0.7), QPointF(-0.1, 0.7));
    path->lineTo(QPointF(-0.5, 2.0));
    path->curveTo(QPointF(0.0, 0.0), QPointF(0.1, 0.7), QPointF(-0.1, 0.7));
    path->closePath();
    return path;
}

pf::Ref<pf::BezierPath> PWXCuttingAndEmbankmentRasterizer::cuttingMotifPath()
{
    pf::Ref<pf::BezierPath> path = standardCuttingEmbankmentPath();
    path->appendPath(*path->transformed(QTransform::fromScale(1.0, -1.0)));
    return path;
}

pf::Ref<pf::BezierPath> PWXCuttingAndEmbankmentRasterizer::embankmentMotifPath()
{
    const pf::Ref<pf::BezierPath> wedge = standardCuttingEmbankmentPath();
    pf::Ref<pf::BezierPath> path = wedge->transformed(QTransform::fromTranslate(0.0, -6.0));
    path->appendPath(*wedge->transformed(QTransform::fromScale(1.0, -1.0)));
    return path;
}

pf::Ref<pf::BezierPath> PWXCuttingAndEmbankmentRasterizer::motifPathForKind(int kind)
{
    switch (kind) {
    case Cutting:
        return cuttingMotifPath();
    case Embankment:
        return embankmentMotifPath();
    default:
        return nullptr;
    }
}

QImage PWXCuttingAndEmbankmentRasterizer::standardCuttingImageElementWithFillColour(const pf::Color& colour)
{
    return imageOfPath(*cuttingMotifPath(), colour);
}

QImage PWXCuttingAndEmbankmentRasterizer::standardEmbankmentImageElementWithFillColour(const pf::Color& colour)
{
    return imageOfPath(*embankmentMotifPath(), colour);
}

QImage PWXCuttingAndEmbankmentRasterizer::imageForKind(int kind, const pf::Color& colour)
{
    const pf::Ref<pf::BezierPath> motif = motifPathForKind(kind);
    return motif ? imageOfPath(*motif, colour) : QImage();
}

void PWXCuttingAndEmbankmentRasterizer::setColour(const pf::Color& colour)
{
    if (colour == m_colour || !notifyWillChange(kColourKey))
        return;
    m_colour = colour;
    setImage(imageForKind(m_kind, m_colour));
    notifyDidChange(kColourKey);
}

void PWXCuttingAndEmbankmentRasterizer::setKind(int kind)
{
    if (kind == m_kind || !notifyWillChange(kKindKey))
        return;
    m_kind = kind;
    setImage(imageForKind(m_kind, m_colour));
    notifyDidChange(kKindKey);
}

void PWXCuttingAndEmbankmentRasterizer::setSpacingProportion(double proportion)
{
    if (!std::isfinite(proportion))
        return PF_LOG("PWXCuttingAndEmbankmentRasterizer: spacing proportion %f refused", proportion);
    if (proportion == m_spacingProportion || !notifyWillChange(kSpacingProportionKey))
        return;
    m_spacingProportion = proportion;
    // The decorator keeps its interval at its least; drawing never places more copies than
    // it allows, so no spacing can make it loop without end.
    setInterval(scale() * kIntervalPerScale * m_spacingProportion);
    notifyDidChange(kSpacingProportionKey);
}

void PWXCuttingAndEmbankmentRasterizer::setTaperFunction(int index)
{
    changeProperty(m_taperFunction, index, kTaperFunctionKey);
}

void PWXCuttingAndEmbankmentRasterizer::setScale(double scale)
{
    PWPathDecorator::setScale(scale);
    // The motifs stay spaced in proportion to their size.
    setInterval(this->scale() * kIntervalPerScale * spacingProportion());
}

double PWXCuttingAndEmbankmentRasterizer::rampFunction(double t) const
{
    return pwx::rampFunctionForIndex(m_taperFunction)(t);
}

pf::Ref<pf::BezierPath> PWXCuttingAndEmbankmentRasterizer::motifsPathForPath(const pf::BezierPath& path) const
{
    auto result = pf::BezierPath::path();
    const pf::Ref<pf::BezierPath> kindMotif = motifPathForKind(m_kind);
    if (!kindMotif || path.isEmpty())
        return result;
    const double total = pw::length(path);
    if (!(total > 0.0))
        return result;
    const pf::Ref<pf::BezierPath> motif = centred(*kindMotif);

    double interval = usesChainMethod() ? motif->bounds().width() * scale() : this->interval();
    interval = std::max({interval, kMinInterval, total / kMaxCopies});
    for (const pw::renderers::MotifPlacement& placement : placementsForPath(path, interval)) {
        QTransform place = QTransform::fromScale(placement.scale, placement.scale);
        place *= QTransform().rotate(placement.degrees);
        place *= QTransform::fromTranslate(placement.centre.x(), placement.centre.y());
        result->appendPath(*motif->transformed(place));
    }
    return result;
}

void PWXCuttingAndEmbankmentRasterizer::drawMotifs(const pf::BezierPath& path, const pf::BezierPath& motifs)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || motifs.isEmpty() || !m_colour.isValid() || m_colour.alphaComponent() <= 0.0)
        return;
    pf::GraphicsStateSaver saver(context);
    const double reach = 8.0 * scale() * (1.0 + scaleRandomness()) + std::abs(lateralOffset()) + wobblyness();
    pw::renderers::clipToSide(*context, path, clipping(), reach);
    context->setFillColour(m_colour);
    context->fillPath(motifs);
}

void PWXCuttingAndEmbankmentRasterizer::render(const PWRenderable& object)
{
    if (!pf::GraphicsContext::current())
        return;
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (!path || path->isEmpty())
        return;
    const pf::Ref<pf::BezierPath> motifs =
        m_motifs.valueFor(object, *path, 0, [&] { return motifsPathForPath(*path); });
    drawMotifs(*path, *motifs);
}

void PWXCuttingAndEmbankmentRasterizer::renderPath(const pf::BezierPath& path)
{
    if (!pf::GraphicsContext::current() || path.isEmpty())
        return;
    drawMotifs(path, *motifsPathForPath(path));
}

QRectF PWXCuttingAndEmbankmentRasterizer::boundsNeededForObject(const PWRenderable& object) const
{
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    const pf::Ref<pf::BezierPath> motif = motifPathForKind(m_kind);
    if (!path || path->isEmpty() || !motif)
        return QRectF();
    const QSizeF size = motif->bounds().size();
    const double reach = std::hypot(size.width(), size.height()) / 2.0 * scale() * (1.0 + scaleRandomness()) +
                         std::abs(lateralOffset()) + wobblyness() + 1.0;
    return path->bounds().adjusted(-reach, -reach, reach, reach);
}

QString PWXCuttingAndEmbankmentRasterizer::displayName() const
{
    return QStringLiteral("Cutting/Embankment");
}

QStringList PWXCuttingAndEmbankmentRasterizer::observableKeyPaths() const
{
    return PWPathDecorator::observableKeyPaths() << kColourKey << kKindKey << kSpacingProportionKey
                                                 << kTaperFunctionKey;
}

void PWXCuttingAndEmbankmentRasterizer::registerActionNames() const
{
    PWPathDecorator::registerActionNames();
    setActionName(QStringLiteral("#kind# Colour"), kColourKey);
    setActionName(QStringLiteral("#kind# Type"), kKindKey);
    setActionName(QStringLiteral("#kind# Spacing"), kSpacingProportionKey);
    setActionName(QStringLiteral("#kind# Taper"), kTaperFunctionKey);
}

void PWXCuttingAndEmbankmentRasterizer::sendDidChange(const QString& keyPath)
{
    m_motifs.clear();
    PWPathDecorator::sendDidChange(keyPath);
}

pf::Ref<pf::Object> PWXCuttingAndEmbankmentRasterizer::copy() const
{
    return std::make_shared<PWXCuttingAndEmbankmentRasterizer>(*this);
}

bool PWXCuttingAndEmbankmentRasterizer::isEqual(const pf::Reflective* other) const
{
    if (!PWPathDecorator::isEqual(other))
        return false;
    const auto* o = static_cast<const PWXCuttingAndEmbankmentRasterizer*>(other);
    return o->m_colour == m_colour && o->m_kind == m_kind && o->m_spacingProportion == m_spacingProportion &&
           o->m_taperFunction == m_taperFunction;
}

void PWXCuttingAndEmbankmentRasterizer::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWPathDecorator::encodeWithCoder(coder);
    coder.encodeObject(m_colour.isValid() ? std::make_shared<pf::Color>(m_colour) : nullptr, kColourArchiveKey);
    coder.encodeInt32(m_kind, kKindArchiveKey);
    coder.encodeDouble(spacingProportion(), kRelSpacingArchiveKey);
    coder.encodeInt64(m_taperFunction, kTaperFunctionArchiveKey);
}

void PWXCuttingAndEmbankmentRasterizer::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWPathDecorator::initWithCoder(coder);
    const pf::Ref<pf::Color> colour = coder.decodeObjectOfClass<pf::Color>(kColourArchiveKey);
    // Older archives carry no colour: their motifs were black, the renderer's own default.
    m_colour = colour ? *colour : pf::Color::black();
    m_kind = coder.decodeInt32(kKindArchiveKey);
    const double spacing = coder.decodeDouble(kRelSpacingArchiveKey);
    m_spacingProportion = std::isfinite(spacing) ? spacing : 1.0;
    const qint64 taper = coder.decodeInt64(kTaperFunctionArchiveKey);
    // An index beyond int's range selects the same fallback as any other unknown index.
    m_taperFunction = taper >= std::numeric_limits<int>::min() && taper <= std::numeric_limits<int>::max()
                          ? int(taper)
                          : -1;
    m_motifs.clear();
}
