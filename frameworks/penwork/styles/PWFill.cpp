#include "frameworks/penwork/styles/PWFill.h"

#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"

PF_DEFINE_CLASS(PWFill, PWRasterizer)
{
    b.protocol(pf::kCodingProtocol);
    b.property(
        PWFill::kColourKey,
        std::function<QVariant(const PWFill&)>(
            [](const PWFill& fill) { return pw::renderers::colourToVariant(fill.colour()); }),
        std::function<void(PWFill&, const QVariant&)>([](PWFill& fill, const QVariant& value) {
            fill.setColour(pw::renderers::colourFromVariant(value, QStringLiteral("-[PWFill setColour:]")));
        }));
    b.property(PWFill::kShadowKey, &PWFill::shadow, &PWFill::setShadow);
    b.property("hasShadow", &PWFill::hasShadow);
    b.keyPathsAffecting("hasShadow", {PWFill::kShadowKey});
}

namespace {

const QString kColourArchiveKey = QStringLiteral("pw_fill_colour");
const QString kShadowArchiveKey = QStringLiteral("pw_fill_shadow");

} // namespace

PWFill::PWFill() = default;

PWFill::PWFill(const pf::Color& colour) : m_colour(colour) {}

PWFill::PWFill(const PWFill& other)
    : PWRasterizer(other),
      m_colour(other.m_colour),
      m_shadow(other.m_shadow ? std::static_pointer_cast<pf::Shadow>(other.m_shadow->copy()) : nullptr)
{
}

pf::Ref<PWFill> PWFill::fillWithColour(const pf::Color& colour)
{
    return std::make_shared<PWFill>(colour);
}

void PWFill::setColour(const pf::Color& colour)
{
    changeProperty(m_colour, colour, kColourKey);
}

void PWFill::setShadow(const pf::Ref<pf::Shadow>& shadow)
{
    changeProperty(m_shadow, shadow, kShadowKey);
}

void PWFill::renderPath(const pf::BezierPath& path)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || path.isEmpty() || !m_colour.isValid() || m_colour.alphaComponent() <= 0.0)
        return;
    if (!pw::renderers::shadowShows(m_shadow.get())) {
        // No shadow: the fill changes neither the painter nor the context, so it needs no save
        // (the costliest part of drawing a small shape).
        QPainter& painter = context->painter();
        if (painter.isActive())
            path.fill(painter, m_colour.brush());
        return;
    }
    pf::GraphicsStateSaver saver(context);
    context->setColour(m_colour);
    pw::renderers::setShadow(*context, m_shadow.get());
    context->fillPath(path);
}

QRectF PWFill::boundsNeededForObject(const PWRenderable& object) const
{
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (!path || path->isEmpty())
        return QRectF();
    return pw::renderers::boundsWithShadow(path->bounds(), m_shadow.get());
}

QString PWFill::displayName() const
{
    return QStringLiteral("Fill");
}

QStringList PWFill::observableKeyPaths() const
{
    return PWRasterizer::observableKeyPaths() << kColourKey << kShadowKey;
}

void PWFill::registerActionNames() const
{
    PWRasterizer::registerActionNames();
    setActionName(QStringLiteral("#kind# Colour"), kColourKey);
    setActionName(QStringLiteral("#kind# Shadow"), kShadowKey);
}

pf::Ref<pf::Object> PWFill::copy() const
{
    return std::make_shared<PWFill>(*this);
}

bool PWFill::isEqual(const pf::Reflective* other) const
{
    if (!PWRasterizer::isEqual(other))
        return false;
    const auto* fill = static_cast<const PWFill*>(other);
    return fill->m_colour == m_colour && sameValue(fill->m_shadow, m_shadow);
}

void PWFill::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWRasterizer::encodeWithCoder(coder);
    coder.encodeObject(m_colour.isValid() ? std::make_shared<pf::Color>(m_colour) : nullptr, kColourArchiveKey);
    coder.encodeObject(m_shadow, kShadowArchiveKey);
}

void PWFill::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWRasterizer::initWithCoder(coder);
    const pf::Ref<pf::Color> colour = coder.decodeObjectOfClass<pf::Color>(kColourArchiveKey);
    m_colour = colour ? *colour : pf::Color();
    m_shadow = coder.decodeObjectOfClass<pf::Shadow>(kShadowArchiveKey);
}
