#include "frameworks/penwork/renderers/PWZigZagStroke.h"

PF_DEFINE_CLASS(PWZigZagStroke, PWStroke)
{
    b.protocol(pf::kCodingProtocol);
    PWZigZagStroke::addZigZagProperties(b);
}

PWZigZagStroke::PWZigZagStroke() : PWZigZagRenderer("pw_zigZagStroke") {}

QString PWZigZagStroke::displayName() const
{
    return QStringLiteral("Zig-Zag Stroke");
}

pf::Ref<pf::Object> PWZigZagStroke::copy() const
{
    return std::make_shared<PWZigZagStroke>(*this);
}
