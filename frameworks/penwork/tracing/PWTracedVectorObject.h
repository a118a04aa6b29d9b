#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"

#include <QVariantMap>

// One colour layer of a traced image: the outline of every region of that colour as a single
// path to fill, and the parameters it was traced with. Holes are sub-paths of their own inside
// the outer ones, so the path fills by the even-odd rule.
class PWTracedVectorObject : public pf::Object {
    PF_CLASS(PWTracedVectorObject)
public:
    PWTracedVectorObject();
    PWTracedVectorObject(pf::Ref<pf::BezierPath> path, const pf::Color& colour);

    // Never null: an object made without a path holds an empty one.
    pf::Ref<pf::BezierPath> vectorPath() const { return m_path; }
    pf::Color colour() const { return m_colour; }

    QVariantMap tracingParameters() const { return m_parameters; }
    void setTracingParameters(const QVariantMap& parameters) { m_parameters = parameters; }

private:
    pf::Ref<pf::BezierPath> m_path;
    pf::Color m_colour;
    QVariantMap m_parameters;
};
