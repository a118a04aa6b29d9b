#include "frameworks/penwork/renderers/PWZigZagFill.h"

PF_DEFINE_CLASS(PWZigZagFill, PWFill)
{
    b.protocol(pf::kCodingProtocol);
    PWZigZagFill::addZigZagProperties(b);
}

PWZigZagFill::PWZigZagFill() : PWZigZagRenderer("pw_zigZagFill") {}

QString PWZigZagFill::displayName() const
{
    return QStringLiteral("Zig-Zag Fill");
}

pf::Ref<pf::Object> PWZigZagFill::copy() const
{
    return std::make_shared<PWZigZagFill>(*this);
}
