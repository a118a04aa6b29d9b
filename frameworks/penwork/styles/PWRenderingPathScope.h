#pragma once

#include "frameworks/penwork/styles/PWRenderable.h"

// While a style draws an object, its renderers would each ask the object for its rendering
// path and get a fresh copy every time. Within this scope the plain lookup (the base
// PWRasterizer::pathForObject) answers one path, made on first use, for the object the scope is
// for. Renderers take the path as const and copy it before changing it, so sharing is safe.
// Scopes nest (per thread); asking about any other object goes to that object.
class PWRenderingPathScope {
public:
    explicit PWRenderingPathScope(const PWRenderable& object);
    ~PWRenderingPathScope();
    PWRenderingPathScope(const PWRenderingPathScope&) = delete;
    PWRenderingPathScope& operator=(const PWRenderingPathScope&) = delete;

    // The object's rendering path, shared while a scope for it is open on this thread.
    static pf::Ref<pf::BezierPath> renderingPathOf(const PWRenderable& object);

private:
    const PWRenderable& m_object;
    pf::Ref<pf::BezierPath> m_path;
    PWRenderingPathScope* m_outer;
};
