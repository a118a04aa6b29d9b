#include "frameworks/penwork/renderers/PWBlendGroup.h"

#include "frameworks/penwork/renderers/PWCompositing.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <cmath>

namespace {

const QString kBlendModeArchiveKey = QStringLiteral("pw_blendGroup_blendMode");

} // namespace

PF_DEFINE_CLASS(PWBlendGroup, PWRastGroup)
{
    b.protocol(pf::kCodingProtocol);
    b.property(PWBlendGroup::kBlendModeKey, &PWBlendGroup::blendMode, &PWBlendGroup::setBlendMode);
    b.validator(PWBlendGroup::kBlendModeKey, [](PWBlendGroup&, QVariant* value, pf::Error* error) {
        const double number = value->toDouble();
        if (!pf::isNumber(*value) || number != std::floor(number) || number < 0 ||
            number > pw::renderers::kLastCompositingValue)
            return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                                   QStringLiteral("Unknown blend mode.")));
        return true;
    });
}

PWBlendGroup::PWBlendGroup() : m_blendMode(pw::renderers::CompositeMultiply) {}

void PWBlendGroup::setBlendMode(int mode)
{
    if (!pw::renderers::isCompositingValue(mode))
        return PF_LOG("%s: blend mode %d refused", qPrintable(className()), mode);
    changeProperty(m_blendMode, mode, kBlendModeKey);
}

void PWBlendGroup::render(const PWRenderable& object)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    // Members that save and restore the painter's state keep the mode for all they draw.
    pf::GraphicsStateSaver saver(context);
    context->painter().setCompositionMode(pw::renderers::compositionModeForValue(m_blendMode));
    renderChildren(object);
}

QString PWBlendGroup::displayName() const
{
    return QStringLiteral("Blend Group");
}

QStringList PWBlendGroup::observableKeyPaths() const
{
    return PWRastGroup::observableKeyPaths() << kBlendModeKey;
}

void PWBlendGroup::registerActionNames() const
{
    PWRastGroup::registerActionNames();
    setActionName(QStringLiteral("Change Blend Mode"), kBlendModeKey);
}

pf::Ref<pf::Object> PWBlendGroup::copy() const
{
    return std::make_shared<PWBlendGroup>(*this);
}

bool PWBlendGroup::isEqual(const pf::Reflective* other) const
{
    return PWRastGroup::isEqual(other) && static_cast<const PWBlendGroup*>(other)->m_blendMode == m_blendMode;
}

void PWBlendGroup::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWRastGroup::encodeWithCoder(coder);
    coder.encodeInt32(m_blendMode, kBlendModeArchiveKey);
}

void PWBlendGroup::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWRastGroup::initWithCoder(coder);
    const int mode = coder.containsValueForKey(kBlendModeArchiveKey) ? coder.decodeInt32(kBlendModeArchiveKey)
                                                                      : int(pw::renderers::CompositeMultiply);
    m_blendMode = pw::renderers::isCompositingValue(mode) ? mode : int(pw::renderers::CompositeMultiply);
}
