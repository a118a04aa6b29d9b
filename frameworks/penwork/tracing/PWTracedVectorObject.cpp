#include "frameworks/penwork/tracing/PWTracedVectorObject.h"

#include "platform/foundation/ClassBuilder.h"

PF_DEFINE_CLASS(PWTracedVectorObject, pf::Object)
{
    b.property("vectorPath", &PWTracedVectorObject::vectorPath);
    b.property("colour", std::function<QVariant(const PWTracedVectorObject&)>([](const PWTracedVectorObject& object) {
                   const pf::Color colour = object.colour();
                   return colour.isValid() ? pf::toVariant(std::make_shared<pf::Color>(colour)) : QVariant();
               }),
               {});
    b.property("tracingParameters", &PWTracedVectorObject::tracingParameters,
               &PWTracedVectorObject::setTracingParameters);
}

PWTracedVectorObject::PWTracedVectorObject() : m_path(pf::BezierPath::path())
{
    m_path->setWindingRule(pf::BezierPath::WindingRule::EvenOdd);
}

PWTracedVectorObject::PWTracedVectorObject(pf::Ref<pf::BezierPath> path, const pf::Color& colour)
    : m_path(path ? std::move(path) : pf::BezierPath::path()), m_colour(colour)
{
}
