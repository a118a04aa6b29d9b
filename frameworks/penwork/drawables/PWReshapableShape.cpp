#include "frameworks/penwork/drawables/PWReshapableShape.h"

#include "platform/foundation/KeyedUnarchiver.h"

#include <QCoreApplication>

PF_DEFINE_CLASS(PWReshapableShape, PWDrawableShape)
{
    b.protocol(pf::kCodingProtocol);
    b.method("makePlainShape", &PWReshapableShape::makePlainShape);
    b.classMethod("displayName", [](const pf::Class&, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWReshapableShape", "Shape"));
    });
}

PWReshapableShape::PWReshapableShape() { rebuildPath(); }

PWReshapableShape::PWReshapableShape(const PWReshapableShape& other) : PWDrawableShape(other) {}

pf::Ref<pf::Object> PWReshapableShape::copy() const { return std::make_shared<PWReshapableShape>(*this); }

pf::Ref<pf::BezierPath> PWReshapableShape::outlineForSize(const QSizeF& size) const
{
    return pf::BezierPath::pathWithRect(QRectF(-size.width() / 2, -size.height() / 2, size.width(), size.height()));
}

void PWReshapableShape::rebuildPath()
{
    const QSizeF current = size();
    pf::Ref<pf::BezierPath> outline = outlineForSize(current);
    // Back to the unit square the shape's transform scales up again; an axis without extent
    // has nothing to scale.
    const double sx = current.width() > 0.0 ? 1.0 / current.width() : 1.0;
    const double sy = current.height() > 0.0 ? 1.0 / current.height() : 1.0;
    outline->transform(QTransform::fromScale(sx, sy));
    m_path = outline;
}

void PWReshapableShape::reshape()
{
    const pf::Ref<pf::BezierPath> old = m_path;
    rebuildPath();
    if (old && m_path->isEqual(old.get()))
        return;
    const pf::Ref<pf::BezierPath> rebuilt = m_path;
    m_path = old;
    performGeometryChange("path", [&] { m_path = rebuilt; });
}

void PWReshapableShape::changeParameter(const QString& key, const QString& setter, const QVariant& oldValue,
                                        const std::function<void()>& change)
{
    if (!canEdit())
        return;
    registerUndo(setter, oldValue);
    // "path" depends on every parameter key, so observers of it hear of this change too.
    performGeometryChange(key, [&] {
        change();
        rebuildPath();
    });
}

void PWReshapableShape::setSize(const QSizeF& size)
{
    PWDrawableShape::setSize(size);
    reshape();
}

pf::Ref<PWDrawableShape> PWReshapableShape::makePlainShape() const
{
    // The plain shape's own copy constructor takes the outline, transform, style and the rest.
    return std::make_shared<PWDrawableShape>(static_cast<const PWDrawableShape&>(*this));
}

void PWReshapableShape::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWDrawableShape::initWithCoder(coder);
    // The parameters are the truth; an archived outline could disagree with them.
    rebuildPath();
}
