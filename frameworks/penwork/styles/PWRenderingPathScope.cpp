#include "frameworks/penwork/styles/PWRenderingPathScope.h"

namespace {

thread_local PWRenderingPathScope* t_innermost = nullptr;

} // namespace

PWRenderingPathScope::PWRenderingPathScope(const PWRenderable& object) : m_object(object), m_outer(t_innermost)
{
    t_innermost = this;
}

PWRenderingPathScope::~PWRenderingPathScope() { t_innermost = m_outer; }

pf::Ref<pf::BezierPath> PWRenderingPathScope::renderingPathOf(const PWRenderable& object)
{
    for (PWRenderingPathScope* scope = t_innermost; scope; scope = scope->m_outer) {
        if (&scope->m_object != &object)
            continue;
        if (!scope->m_path)
            scope->m_path = object.renderingPath();
        return scope->m_path;
    }
    return object.renderingPath();
}
