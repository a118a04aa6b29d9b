#include "frameworks/penwork/drawables/PWDrawableShape.h"

#include "frameworks/penwork/support/PWClassSettings.h"

#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWKnob.h"
#include "frameworks/penwork/styles/PWRenderingPathScope.h"
#include "frameworks/penwork/styles/PWStyle.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"

#include <QCoreApplication>

#include <cmath>

namespace {

const QString kPathKey = QStringLiteral("pw_shape_path");

// Handles may not shrink a shape below this, so its transform stays invertible.
constexpr double kMinimumExtent = 0.01;

// The user-defaults key of the class setting; the variable is its default.
const QString kShowsDirectControlsKey = QStringLiteral("PWDrawableShapeShowsDirectControls");
const bool s_showsDirectControls = true;

bool finitePoint(const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

bool pathIsFinite(const pf::BezierPath& path)
{
    for (const auto& element : path.elements())
        for (int i = 0; i < element.pointCount(); ++i)
            if (!finitePoint(element.points[size_t(i)]))
                return false;
    return true;
}

// The outlines most shapes have, made once and shared: a shape never changes its path in place
// (it only ever replaces it), so one instance can serve every rectangle and every oval.
const pf::Ref<pf::BezierPath>& sharedUnitRect()
{
    static const pf::Ref<pf::BezierPath> path = pf::BezierPath::pathWithRect(QRectF(-0.5, -0.5, 1.0, 1.0));
    return path;
}

const pf::Ref<pf::BezierPath>& sharedUnitOval()
{
    static const pf::Ref<pf::BezierPath> path = pf::BezierPath::pathWithOval(QRectF(-0.5, -0.5, 1.0, 1.0));
    return path;
}

pf::Ref<pf::BezierPath> unitRect() { return sharedUnitRect(); }

bool isSharedOutline(const pf::BezierPath* path)
{
    return path == sharedUnitRect().get() || path == sharedUnitOval().get();
}

// Exactly the same points and settings: sharing must not move a point by even a rounding step.
bool identicalPaths(const pf::BezierPath& a, const pf::BezierPath& b)
{
    if (a.elementCount() != b.elementCount() || !a.isEqual(&b))
        return false;
    for (int i = 0; i < a.elementCount(); ++i) {
        const auto& x = a.elements()[i];
        const auto& y = b.elements()[i];
        for (int p = 0; p < x.pointCount(); ++p)
            if (x.points[size_t(p)].x() != y.points[size_t(p)].x() || x.points[size_t(p)].y() != y.points[size_t(p)].y())
                return false;
    }
    return true;
}

// The shared instance when `path` is one of the common outlines, else `path` itself.
pf::Ref<pf::BezierPath> shareable(pf::Ref<pf::BezierPath> path)
{
    for (const pf::Ref<pf::BezierPath>* common : {&sharedUnitRect(), &sharedUnitOval()})
        if (identicalPaths(*path, **common))
            return *common;
    return path;
}

// `path` scaled and moved into the unit square; an axis with no extent is only centred.
pf::Ref<pf::BezierPath> normalised(const pf::BezierPath& path)
{
    const QRectF b = path.bounds();
    // A path that already fills the unit square (what shapes archive) would come out of the
    // transform point for point as it went in: share or copy it without the transform.
    if (b.x() == -0.5 && b.y() == -0.5 && b.width() == 1.0 && b.height() == 1.0) {
        for (const pf::Ref<pf::BezierPath>* common : {&sharedUnitRect(), &sharedUnitOval()})
            if (identicalPaths(path, **common))
                return *common;
        return std::static_pointer_cast<pf::BezierPath>(path.copy());
    }
    QTransform t;
    t.scale(b.width() > 0 ? 1.0 / b.width() : 1.0, b.height() > 0 ? 1.0 / b.height() : 1.0);
    t.translate(-b.center().x(), -b.center().y());
    return shareable(path.transformed(t));
}

// Unit-square positions of the handles.
QPointF unitPointForPart(int part)
{
    switch (part) {
    case PWDrawableShape::kTopLeftHandle: return {-0.5, -0.5};
    case PWDrawableShape::kTopHandle: return {0.0, -0.5};
    case PWDrawableShape::kTopRightHandle: return {0.5, -0.5};
    case PWDrawableShape::kRightHandle: return {0.5, 0.0};
    case PWDrawableShape::kBottomRightHandle: return {0.5, 0.5};
    case PWDrawableShape::kBottomHandle: return {0.0, 0.5};
    case PWDrawableShape::kBottomLeftHandle: return {-0.5, 0.5};
    case PWDrawableShape::kLeftHandle: return {-0.5, 0.0};
    default: return {0.0, 0.0};
    }
}

} // namespace

PF_DEFINE_CLASS(PWDrawableShape, PWDrawableObject)
{
    b.protocol(pf::kCodingProtocol);
    b.property("path", &PWDrawableShape::path, &PWDrawableShape::setPath);
    b.property("transformedPath", &PWDrawableShape::transformedPath);
    b.keyPathsAffecting("renderingPath", {"location", "size", "angle", "offset", "path"});
    b.keyPathsAffecting("transformedPath", {"location", "size", "angle", "offset", "path"});
    b.keyPathsAffecting("logicalBounds", {"location", "size", "angle", "offset", "path"});
    b.keyPathsAffecting("bounds", {"location", "size", "angle", "offset", "path", "style"});
    b.keyPathsAffecting("geometryChecksum", {"location", "size", "angle", "offset", "path"});
    b.classMethod("displayName", [](const pf::Class&, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWDrawableShape", "Shape"));
    });
    b.classMethod("classForAutomaticDoubleClickConversion",
                  [](const pf::Class&, const QVariantList&) { return QVariant(QStringLiteral("PWDrawablePath")); });
    b.classMethod("showsDirectControls",
                  [](const pf::Class&, const QVariantList&) { return QVariant(PWDrawableShape::showsDirectControls()); });
    b.classMethod("setShowsDirectControls:", [](const pf::Class&, const QVariantList& args) {
        PWDrawableShape::setShowsDirectControls(pf::variantToBool(args.value(0)));
        return QVariant();
    });
    // Shapes archived under the classes they replaced read as plain shapes.
    pf::KeyedUnarchiver::setClassForClassName(&b.cls(), QStringLiteral("PWXLabelShape"));
    pf::KeyedUnarchiver::setClassForClassName(&b.cls(), QStringLiteral("PWXLabelledShape"));
}

PWDrawableShape::PWDrawableShape() : m_path(unitRect()) {}

PWDrawableShape::PWDrawableShape(const PWDrawableShape& other)
    : PWDrawableObject(other),
      m_path(isSharedOutline(other.m_path.get()) ? other.m_path
                                                 : std::static_pointer_cast<pf::BezierPath>(other.m_path->copy()))
{
}

PWDrawableShape::~PWDrawableShape() = default;

pf::Ref<pf::Object> PWDrawableShape::copy() const { return std::make_shared<PWDrawableShape>(*this); }

pf::Ref<PWDrawableShape> PWDrawableShape::drawableShapeWithRect(const QRectF& rect, pf::Ref<PWStyle> style)
{
    auto shape = std::make_shared<PWDrawableShape>();
    shape->adoptPath(*pf::BezierPath::pathWithRect(rect.normalized()));
    if (style)
        shape->setStyle(style);
    return shape;
}

pf::Ref<PWDrawableShape> PWDrawableShape::drawableShapeWithOvalInRect(const QRectF& rect, pf::Ref<PWStyle> style)
{
    auto shape = std::make_shared<PWDrawableShape>();
    shape->adoptPath(*pf::BezierPath::pathWithOval(rect.normalized()));
    if (style)
        shape->setStyle(style);
    return shape;
}

pf::Ref<PWDrawableShape> PWDrawableShape::drawableShapeWithPath(const pf::BezierPath& path, pf::Ref<PWStyle> style)
{
    auto shape = std::make_shared<PWDrawableShape>();
    shape->adoptPath(path);
    if (style)
        shape->setStyle(style);
    return shape;
}

bool PWDrawableShape::showsDirectControls() { return PWClassSettings::flag(kShowsDirectControlsKey, s_showsDirectControls); }
void PWDrawableShape::setShowsDirectControls(bool shows) { PWClassSettings::setFlag(kShowsDirectControlsKey, shows); }

pf::Ref<pf::BezierPath> PWDrawableShape::path() const
{
    return std::static_pointer_cast<pf::BezierPath>(m_path->copy());
}

void PWDrawableShape::setPath(const pf::Ref<pf::BezierPath>& path)
{
    if (!path || path->isEmpty() || !pathIsFinite(*path) || !canEdit())
        return;
    pf::Ref<pf::BezierPath> unit = normalised(*path);
    if (unit->isEqual(m_path.get()))
        return;
    registerUndo("setPath:", pf::toVariant(m_path));
    performGeometryChange("path", [&] { m_path = unit; });
}

void PWDrawableShape::adoptPath(const pf::BezierPath& path)
{
    if (path.isEmpty() || !pathIsFinite(path) || !canEdit())
        return;
    const QRectF b = path.bounds();
    // Offset and angle start afresh: the path's own bounds place the shape.
    setOffset(QPointF());
    setAngle(0.0);
    setPath(std::static_pointer_cast<pf::BezierPath>(path.copy()));
    setSize(b.size());
    setLocation(b.center());
}

pf::Ref<pf::BezierPath> PWDrawableShape::transformedPath() const { return m_path->transformed(transform()); }

pf::Ref<pf::BezierPath> PWDrawableShape::renderingPath() const
{
    return m_path->transformed(transform() * containerTransform());
}

QRectF PWDrawableShape::logicalBounds() const { return PWRenderingPathScope::renderingPathOf(*this)->bounds(); }

quint64 PWDrawableShape::geometryChecksum() const
{
    return qHashMulti(PWDrawableObject::geometryChecksum(), m_path->hash());
}

pf::Ref<PWDrawablePath> PWDrawableShape::makePath() const
{
    auto path = PWDrawablePath::drawablePathWithPath(*transformedPath(), style());
    path->setName(name());
    path->setMetadata(metadata());
    path->setUserInfo(userInfo());
    path->setVisible(visible());
    return path;
}

// Handles -----------------------------------------------------------------------------------

QList<int> PWDrawableShape::knobParts() const
{
    if (!showsDirectControls())
        return {};
    return {kTopLeftHandle, kTopHandle,        kTopRightHandle, kRightHandle,   kBottomRightHandle,
            kBottomHandle,  kBottomLeftHandle, kLeftHandle,     kRotationHandle};
}

QPointF PWDrawableShape::knobPoint(int part) const
{
    const QTransform t = transform();
    if (part == kRotationHandle) {
        // Above the top edge, along the shape's own "up".
        const QPointF top = t.map(QPointF(0.0, -0.5));
        const double a = angle();
        const QPointF up(std::sin(a), -std::cos(a));
        return top + up * kRotationHandleDistance;
    }
    if (part >= kTopLeftHandle && part <= kLeftHandle)
        return t.map(unitPointForPart(part));
    return location();
}

int PWDrawableShape::hitPart(const QPointF& point) const { return PWDrawableObject::hitPart(point); }

void PWDrawableShape::mouseDraggedAtPoint(const QPointF& point, int part, bool controlFlag)
{
    if (part >= kTopLeftHandle && part <= kLeftHandle)
        dragResizeHandle(part, snappedMousePoint(point, controlFlag));
    else if (part == kRotationHandle)
        dragRotationHandle(point);
    else
        PWDrawableObject::mouseDraggedAtPoint(point, part, controlFlag);
}

void PWDrawableShape::dragResizeHandle(int part, const QPointF& point)
{
    if (!canEdit() || !finitePoint(point))
        return;
    // Work in the shape's frame: origin at the location, axes turned with the shape.
    QTransform frame;
    frame.translate(location().x(), location().y());
    frame.rotateRadians(angle());
    bool invertible = false;
    const QPointF local = frame.inverted(&invertible).map(point);
    if (!invertible)
        return;
    const QSizeF sz = size();
    const QPointF off = offset();
    double left = (-0.5 - off.x()) * sz.width();
    double right = (0.5 - off.x()) * sz.width();
    double top = (-0.5 - off.y()) * sz.height();
    double bottom = (0.5 - off.y()) * sz.height();
    const QPointF unit = unitPointForPart(part);
    // The dragged edges follow the point; the opposite ones stay. Edges may not cross.
    if (unit.x() < 0)
        left = std::min(local.x(), right - kMinimumExtent);
    else if (unit.x() > 0)
        right = std::max(local.x(), left + kMinimumExtent);
    if (unit.y() < 0)
        top = std::min(local.y(), bottom - kMinimumExtent);
    else if (unit.y() > 0)
        bottom = std::max(local.y(), top + kMinimumExtent);
    double w = right - left;
    double h = bottom - top;
    if (aspectRatioLocked() && sz.width() > 0 && sz.height() > 0) {
        // Keep the proportions: a corner follows the larger change, an edge drags the other
        // dimension with it.
        const double ratio = sz.width() / sz.height();
        if (unit.x() != 0 && unit.y() != 0) {
            if (w / sz.width() > h / sz.height())
                h = w / ratio;
            else
                w = h * ratio;
        } else if (unit.x() != 0) {
            h = w / ratio;
        } else {
            w = h * ratio;
        }
        if (unit.x() < 0)
            left = right - w;
        else
            right = left + w;
        if (unit.y() < 0)
            top = bottom - h;
        else
            bottom = top + h;
    }
    const QPointF newLocal(left + (0.5 + off.x()) * w, top + (0.5 + off.y()) * h);
    const QPointF newLocation = frame.map(newLocal);
    setSize(QSizeF(w, h));
    setLocation(newLocation);
}

void PWDrawableShape::dragRotationHandle(const QPointF& point)
{
    if (!canEdit() || !finitePoint(point))
        return;
    const QPointF d = point - location();
    if (d.x() == 0 && d.y() == 0)
        return;
    // The handle sits straight above the shape at angle 0.
    setAngle(std::atan2(d.y(), d.x()) + M_PI / 2);
}

void PWDrawableShape::drawSelectedState()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || isPendingCreation())
        return;
    const QColor colour = selectionMarkColour();
    pf::GraphicsStateSaver saver(context);
    QPainter& painter = context->painter();
    const QTransform toView = containerTransform();
    strokeSelectionOutline(painter, colour);
    // The frame the handles sit on, made from the shared unit square (never moved in place:
    // every rectangle shape's outline is that one instance).
    const pf::Ref<pf::BezierPath> frame = sharedUnitRect()->transformed(transform() * toView);
    painter.drawPath(frame->toQPainterPath());
    PWKnob* knobs = knobsToDraw();
    for (int part : knobParts()) {
        int type = part == kRotationHandle ? PWKnob::kRotationKnobType : PWKnob::kControlKnobType;
        if (locked())
            type = PWKnob::kLockedKnobType;
        knobs->drawKnob(toView.map(knobPoint(part)), type, angle(), colour);
    }
    if (!locked())
        knobs->drawKnob(toView.map(location()), PWKnob::kLocationKnobType, angle(), QColor());
}

// Hooks -------------------------------------------------------------------------------------

void PWDrawableShape::group(PWShapeGroup*, const QTransform& transform)
{
    // The shape's frame followed by the group's transform, taken apart again into location,
    // size and angle. A mirroring transform flips the unit path instead of the size.
    const QTransform combined = this->transform() * transform;
    const QPointF off = offset();
    const QPointF origin = combined.map(off);
    const QPointF xAxis = combined.map(off + QPointF(1, 0)) - origin;
    const QPointF yAxis = combined.map(off + QPointF(0, 1)) - origin;
    const double w = std::hypot(xAxis.x(), xAxis.y());
    const double h = std::hypot(yAxis.x(), yAxis.y());
    if (!std::isfinite(w) || !std::isfinite(h) || !finitePoint(origin))
        return;
    if (combined.determinant() * this->transform().determinant() < 0) {
        QTransform flip;
        flip.scale(1, -1);
        setPath(m_path->transformed(flip));
    }
    setAngle(std::atan2(xAxis.y(), xAxis.x()));
    setSize(QSizeF(w, h));
    setLocation(origin);
}

bool PWDrawableShape::objectIsValid() const
{
    const QSizeF sz = size();
    return !m_path->isEmpty() && sz.width() > 0 && sz.height() > 0;
}

QString PWDrawableShape::displayName() const { return displayNameForClass(objClass()); }

// Archiving ---------------------------------------------------------------------------------

void PWDrawableShape::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWDrawableObject::encodeWithCoder(coder);
    // Each shape archives an outline of its own, shared in memory or not, as it always has.
    coder.encodeObject(isSharedOutline(m_path.get()) ? m_path->copy() : m_path, kPathKey);
}

void PWDrawableShape::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWDrawableObject::initWithCoder(coder);
    pf::Ref<pf::BezierPath> path = coder.decodeObjectOfClass<pf::BezierPath>(kPathKey);
    // A missing or damaged outline falls back to the rectangle.
    m_path = (path && !path->isEmpty() && pathIsFinite(*path)) ? normalised(*path) : unitRect();
    clearBoundsCache();
}
