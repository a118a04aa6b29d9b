#include "frameworks/penwork/drawables/PWDrawablePath.h"

#include "frameworks/penwork/support/PWClassSettings.h"

#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWKnob.h"
#include "frameworks/penwork/geometry/BezierPath+Length.h"
#include "frameworks/penwork/geometry/BezierPath+Offset.h"
#include "frameworks/penwork/geometry/BezierPath+Smoothing.h"
#include "frameworks/penwork/geometry/BezierPath+Trimming.h"
#include "frameworks/penwork/styles/PWStyle.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"

#include <QCoreApplication>

#include <cmath>

using Element = pf::BezierPath::Element;
using ElementType = pf::BezierPath::ElementType;

namespace {

const QString kPathKey = QStringLiteral("pw_path_path");

// The user-defaults keys of the class settings; the variables are their defaults.
const QString kOnPathHitPriorityKey = QStringLiteral("PWDrawablePathDefaultOnPathHitDetectionPriority");
const QString kAutoClosesPathKey = QStringLiteral("PWDrawablePathAutoClosesPath");
const QString kFreehandEpsilonKey = QStringLiteral("PWDrawablePathDefaultFreehandEpsilon");
const QString kCombinesEndPointsKey = QStringLiteral("PWDrawablePathCombinesEndPointsOfClosedPath");
const bool s_onPathHitPriority = true;
const bool s_autoClosesPath = false;
const double s_freehandEpsilon = 2.0;
const bool s_combinesEndPoints = true;

bool finitePoint(const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

bool pathIsFinite(const pf::BezierPath& path)
{
    for (const auto& element : path.elements())
        for (int i = 0; i < element.pointCount(); ++i)
            if (!finitePoint(element.points[size_t(i)]))
                return false;
    return true;
}

pf::Ref<pf::BezierPath> copyPath(const pf::BezierPath& path)
{
    return std::static_pointer_cast<pf::BezierPath>(path.copy());
}

// A path with the same settings as `like` built from `elements`.
pf::Ref<pf::BezierPath> pathFromElements(const pf::BezierPath& like, const QList<Element>& elements)
{
    auto path = copyPath(like);
    path->removeAllPoints();
    for (const Element& e : elements) {
        switch (e.type) {
        case ElementType::MoveTo: path->moveTo(e.points[0]); break;
        case ElementType::LineTo: path->lineTo(e.points[0]); break;
        case ElementType::CurveTo: path->curveTo(e.points[2], e.points[0], e.points[1]); break;
        case ElementType::ClosePath: path->closePath(); break;
        }
    }
    return path;
}

// The on-curve end point of an element (a close has none of its own).
QPointF endPoint(const Element& e) { return e.points[size_t(std::max(0, e.pointCount() - 1))]; }

int onCurveCount(const pf::BezierPath& path)
{
    int count = 0;
    for (const Element& e : path.elements())
        if (e.type != ElementType::ClosePath)
            ++count;
    return count;
}

// The index of the move that starts the sub-path holding element `index`.
int subpathStartIndex(const QList<Element>& elements, int index)
{
    for (int i = index; i >= 0; --i)
        if (elements[i].type == ElementType::MoveTo)
            return i;
    return 0;
}

double distanceToLine(const QPointF& p, const QPointF& a, const QPointF& b)
{
    const QPointF d = b - a;
    const double len = std::hypot(d.x(), d.y());
    if (len == 0)
        return std::hypot(p.x() - a.x(), p.y() - a.y());
    return std::abs(d.x() * (a.y() - p.y()) - d.y() * (a.x() - p.x())) / len;
}

} // namespace

PF_DEFINE_CLASS(PWDrawablePath, PWDrawableObject)
{
    b.protocol(pf::kCodingProtocol);
    b.property("path", &PWDrawablePath::path, &PWDrawablePath::setPath);
    b.property("length", &PWDrawablePath::length, &PWDrawablePath::setLength);
    b.property("flatness", &PWDrawablePath::flatness, &PWDrawablePath::setFlatness);
    b.property("isSimpleStraightLine", &PWDrawablePath::isSimpleStraightLine);
    b.property("isPathClosed", &PWDrawablePath::isPathClosed);
    b.keyPathsAffecting("length", {"path"});
    b.keyPathsAffecting("location", {"path"});
    b.keyPathsAffecting("size", {"path"});
    b.keyPathsAffecting("flatness", {"path"});
    b.keyPathsAffecting("isSimpleStraightLine", {"path"});
    b.keyPathsAffecting("isPathClosed", {"path"});
    b.keyPathsAffecting("renderingPath", {"path"});
    b.keyPathsAffecting("logicalBounds", {"path"});
    b.keyPathsAffecting("bounds", {"path", "style"});
    b.keyPathsAffecting("geometryChecksum", {"path"});
    b.method("dividePathAtLength:", &PWDrawablePath::dividePathAtLength);
    b.method("lengthForPoint:", [](PWDrawablePath& self, const QVariantList& args) {
        return QVariant(self.lengthForPoint(args.value(0).toPointF()));
    });
    b.method("closePath", &PWDrawablePath::closePath);
    b.method("openPath", &PWDrawablePath::openPath);
    b.method("reversePath", &PWDrawablePath::reversePath);
    b.method("flattenPath", &PWDrawablePath::flattenPath);
    b.classMethod("observableKeyPaths", [](const pf::Class&, const QVariantList&) {
        return QVariant(PWDrawableObject::observableKeyPathsForClass(*PWDrawablePath::staticClass().superclass())
                        + QStringList{"path", "length"});
    });
    b.classMethod("displayName", [](const pf::Class&, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWDrawablePath", "Path"));
    });
    b.classMethod("classForAutomaticDoubleClickConversion",
                  [](const pf::Class&, const QVariantList&) { return QVariant(QStringLiteral("PWDrawableShape")); });
    b.classMethod("defaultOnPathHitDetectionPriority", [](const pf::Class&, const QVariantList&) {
        return QVariant(PWDrawablePath::defaultOnPathHitDetectionPriority());
    });
    b.classMethod("setDefaultOnPathHitDetectionPriority:", [](const pf::Class&, const QVariantList& args) {
        PWDrawablePath::setDefaultOnPathHitDetectionPriority(pf::variantToBool(args.value(0)));
        return QVariant();
    });
    b.classMethod("autoClosesPath",
                  [](const pf::Class&, const QVariantList&) { return QVariant(PWDrawablePath::autoClosesPath()); });
    b.classMethod("setAutoClosesPath:", [](const pf::Class&, const QVariantList& args) {
        PWDrawablePath::setAutoClosesPath(pf::variantToBool(args.value(0)));
        return QVariant();
    });
    b.classMethod("defaultFreehandEpsilon", [](const pf::Class&, const QVariantList&) {
        return QVariant(PWDrawablePath::defaultFreehandEpsilon());
    });
    b.classMethod("setDefaultFreehandEpsilon:", [](const pf::Class&, const QVariantList& args) {
        PWDrawablePath::setDefaultFreehandEpsilon(args.value(0).toDouble());
        return QVariant();
    });
    b.classMethod("combinesEndPointsOfClosedPath", [](const pf::Class&, const QVariantList&) {
        return QVariant(PWDrawablePath::combinesEndPointsOfClosedPath());
    });
    b.classMethod("setCombinesEndPointsOfClosedPath:", [](const pf::Class&, const QVariantList& args) {
        PWDrawablePath::setCombinesEndPointsOfClosedPath(pf::variantToBool(args.value(0)));
        return QVariant();
    });
    // Paths archived under the class they replaced read as plain paths.
    pf::KeyedUnarchiver::setClassForClassName(&b.cls(), QStringLiteral("PWXTrack"));
}

PWDrawablePath::PWDrawablePath() : m_path(pf::BezierPath::path()) {}

PWDrawablePath::PWDrawablePath(const pf::BezierPath& path, pf::Ref<PWStyle> style)
    : m_path(pathIsFinite(path) ? copyPath(path) : pf::BezierPath::path())
{
    if (style)
        setStyle(style);
}

PWDrawablePath::PWDrawablePath(const PWDrawablePath& other) : PWDrawableObject(other), m_path(copyPath(*other.m_path)) {}

PWDrawablePath::~PWDrawablePath() = default;

pf::Ref<pf::Object> PWDrawablePath::copy() const { return std::make_shared<PWDrawablePath>(*this); }

pf::Ref<PWDrawablePath> PWDrawablePath::drawablePathWithPath(const pf::BezierPath& path, pf::Ref<PWStyle> style)
{
    return std::make_shared<PWDrawablePath>(path, style);
}

// Class settings ----------------------------------------------------------------------------

bool PWDrawablePath::defaultOnPathHitDetectionPriority() { return PWClassSettings::flag(kOnPathHitPriorityKey, s_onPathHitPriority); }
void PWDrawablePath::setDefaultOnPathHitDetectionPriority(bool priority) { PWClassSettings::setFlag(kOnPathHitPriorityKey, priority); }
bool PWDrawablePath::autoClosesPath() { return PWClassSettings::flag(kAutoClosesPathKey, s_autoClosesPath); }
void PWDrawablePath::setAutoClosesPath(bool autoCloses) { PWClassSettings::setFlag(kAutoClosesPathKey, autoCloses); }
double PWDrawablePath::defaultFreehandEpsilon()
{
    const double epsilon = PWClassSettings::number(kFreehandEpsilonKey, s_freehandEpsilon);
    return epsilon > 0 ? epsilon : s_freehandEpsilon;
}

void PWDrawablePath::setDefaultFreehandEpsilon(double epsilon)
{
    if (std::isfinite(epsilon) && epsilon > 0)
        PWClassSettings::setNumber(kFreehandEpsilonKey, epsilon);
}

bool PWDrawablePath::combinesEndPointsOfClosedPath() { return PWClassSettings::flag(kCombinesEndPointsKey, s_combinesEndPoints); }
void PWDrawablePath::setCombinesEndPointsOfClosedPath(bool combines) { PWClassSettings::setFlag(kCombinesEndPointsKey, combines); }

bool PWDrawablePath::elementAndPointForPart(int part, int* element, int* point) const
{
    if (part <= 0)
        return false;
    const int e = (part - 1) / 4;
    const int p = (part - 1) % 4;
    if (e >= m_path->elementCount() || p >= m_path->elementAt(e).pointCount())
        return false;
    if (element)
        *element = e;
    if (point)
        *point = p;
    return true;
}

// The path ----------------------------------------------------------------------------------

pf::Ref<pf::BezierPath> PWDrawablePath::path() const { return copyPath(*m_path); }

void PWDrawablePath::setPath(const pf::Ref<pf::BezierPath>& path)
{
    if (!path || !pathIsFinite(*path) || !canEdit() || path->isEqual(m_path.get()))
        return;
    registerUndo("setPath:", pf::toVariant(copyPath(*m_path)));
    pf::Ref<pf::BezierPath> stored = copyPath(*path);
    performGeometryChange("path", [&] { m_path = stored; });
}

void PWDrawablePath::transformPath(const QTransform& transform)
{
    pf::Ref<pf::BezierPath> moved = m_path->transformed(transform);
    if (!pathIsFinite(*moved))
        return;
    registerUndo("setPath:", pf::toVariant(copyPath(*m_path)));
    // Location, size and the rest depend on "path", so announcing it announces them.
    performGeometryChange("path", [&] { m_path = moved; });
}

// Length --------------------------------------------------------------------------------------

double PWDrawablePath::length() const { return pw::length(*m_path); }

void PWDrawablePath::setLength(double newLength)
{
    if (!std::isfinite(newLength) || newLength <= 0.0 || !canEdit())
        return;
    const double current = length();
    if (current <= 0.0 || newLength == current)
        return;
    if (newLength < current) {
        setPath(pw::bezierPathByTrimmingToLength(*m_path, newLength));
        return;
    }
    // Longer: the path carries on straight in the direction it ends in. A closed path has no
    // end to carry on from.
    if (isPathClosed())
        return;
    double slope = 0.0;
    const QPointF end = pw::pointOnPathAtLength(*m_path, current, &slope);
    const double extra = newLength - current;
    const QPointF delta(std::cos(slope) * extra, std::sin(slope) * extra);
    QList<Element> elements = m_path->elements();
    Element& last = elements.last();
    if (last.type == ElementType::LineTo)
        last.points[0] += delta;
    else
        elements.append(Element{ElementType::LineTo, {end + delta, {}, {}}});
    setPath(pathFromElements(*m_path, elements));
}

double PWDrawablePath::lengthForPoint(const QPointF& point, double tolerance) const
{
    if (!finitePoint(point))
        return -1.0;
    return pw::nearestLengthToPoint(*m_path, point, tolerance);
}

pf::Ref<PWDrawablePath> PWDrawablePath::dividePathAtLength(double atLength)
{
    if (!std::isfinite(atLength) || atLength <= 0.0 || !canEdit())
        return nullptr;
    if (atLength >= length())
        return nullptr;
    auto [first, rest] = pw::splitPathAtLength(*m_path, atLength);
    if (!first || !rest || first->isEmpty() || rest->isEmpty())
        return nullptr;
    auto remainder = std::static_pointer_cast<PWDrawablePath>(copy());
    remainder->m_path = rest;
    remainder->m_angle = 0.0;
    remainder->clearBoundsCache();
    setPath(first);
    return remainder;
}

// Point editing -------------------------------------------------------------------------------

bool PWDrawablePath::movePathPart(int part, const QPointF& point)
{
    int index = 0;
    int which = 0;
    if (!finitePoint(point) || !canEdit() || !elementAndPointForPart(part, &index, &which))
        return false;
    QList<Element> elements = m_path->elements();
    Element& e = elements[index];
    const bool onCurve = which == e.pointCount() - 1;
    const QPointF delta = point - e.points[size_t(which)];
    e.points[size_t(which)] = point;
    if (onCurve) {
        // The control points on either side travel with their on-curve point.
        if (e.type == ElementType::CurveTo)
            e.points[1] += delta;
        if (index + 1 < elements.size() && elements[index + 1].type == ElementType::CurveTo)
            elements[index + 1].points[0] += delta;
        // A closed sub-path whose last point sits on its start keeps the two together.
        if (combinesEndPointsOfClosedPath()) {
            const int start = subpathStartIndex(elements, index);
            int closeIndex = -1;
            for (int i = start + 1; i < elements.size() && elements[i].type != ElementType::MoveTo; ++i)
                if (elements[i].type == ElementType::ClosePath) {
                    closeIndex = i;
                    break;
                }
            if (closeIndex > start + 1) {
                const int lastIndex = closeIndex - 1;
                const QPointF oldPoint = point - delta;
                auto follow = [&](int i) {
                    Element& other = elements[i];
                    other.points[size_t(other.pointCount() - 1)] = point;
                    if (other.type == ElementType::CurveTo)
                        other.points[1] += delta;
                };
                if (index == start && endPoint(elements[lastIndex]) == oldPoint)
                    follow(lastIndex);
                else if (index == lastIndex && elements[start].points[0] == oldPoint) {
                    elements[start].points[0] = point;
                    if (start + 1 < elements.size() && elements[start + 1].type == ElementType::CurveTo)
                        elements[start + 1].points[0] += delta;
                }
            }
        }
    }
    setPath(pathFromElements(*m_path, elements));
    return true;
}

int PWDrawablePath::insertPointAtPoint(const QPointF& point, double tolerance)
{
    if (!finitePoint(point) || !canEdit())
        return 0;
    const QList<Element> elements = m_path->elements();
    // Find the segment nearest the point, each measured on its own.
    int best = -1;
    double bestDistance = std::numeric_limits<double>::infinity();
    double bestLength = 0.0;
    QPointF current;
    QPointF subpathStart;
    for (int i = 0; i < elements.size(); ++i) {
        const Element& e = elements[i];
        if (e.type == ElementType::MoveTo) {
            current = subpathStart = e.points[0];
            continue;
        }
        auto segment = pf::BezierPath::path();
        segment->moveTo(current);
        if (e.type == ElementType::LineTo)
            segment->lineTo(e.points[0]);
        else if (e.type == ElementType::CurveTo)
            segment->curveTo(e.points[2], e.points[0], e.points[1]);
        else
            segment->lineTo(subpathStart);
        double distance = 0.0;
        const double along = pw::nearestLengthToPoint(*segment, point, tolerance, &distance);
        if (along > 0.0 && along < pw::length(*segment) && distance < bestDistance) {
            best = i;
            bestDistance = distance;
            bestLength = along;
        }
        current = e.type == ElementType::ClosePath ? subpathStart : endPoint(e);
    }
    if (best < 0)
        return 0;
    // Split that one segment where the point is nearest.
    QPointF from;
    for (int i = best - 1; i >= 0; --i)
        if (elements[i].type != ElementType::ClosePath) {
            from = endPoint(elements[i]);
            break;
        }
    const Element& target = elements[best];
    QList<Element> result = elements.mid(0, best);
    if (target.type == ElementType::CurveTo) {
        auto segment = pf::BezierPath::path();
        segment->moveTo(from);
        segment->curveTo(target.points[2], target.points[0], target.points[1]);
        auto [first, second] = pw::splitPathAtLength(*segment, bestLength);
        if (!first || !second || first->elementCount() < 2 || second->elementCount() < 2)
            return 0;
        result.append(first->elementAt(1));
        result.append(second->elementAt(1));
        result.append(elements.mid(best + 1));
    } else {
        const QPointF end = target.type == ElementType::LineTo ? target.points[0]
                                                               : elements[subpathStartIndex(elements, best)].points[0];
        const QPointF d = end - from;
        const double segLength = std::hypot(d.x(), d.y());
        const QPointF inserted = from + d * (bestLength / segLength);
        result.append(Element{ElementType::LineTo, {inserted, {}, {}}});
        result.append(elements.mid(best));
    }
    setPath(pathFromElements(*m_path, result));
    const Element& added = result[best];
    return partCode(best, added.pointCount() - 1);
}

bool PWDrawablePath::deletePointAtPart(int part)
{
    int index = 0;
    int which = 0;
    if (!canEdit() || !elementAndPointForPart(part, &index, &which))
        return false;
    // A path keeps at least two points.
    if (onCurveCount(*m_path) <= 2)
        return false;
    QList<Element> elements = m_path->elements();
    if (elements[index].type == ElementType::MoveTo) {
        // The next point starts the sub-path.
        if (index + 1 < elements.size() && elements[index + 1].type != ElementType::MoveTo &&
            elements[index + 1].type != ElementType::ClosePath) {
            elements[index + 1] = Element{ElementType::MoveTo, {endPoint(elements[index + 1]), {}, {}}};
        }
        elements.removeAt(index);
    } else {
        elements.removeAt(index);
    }
    // Drop sub-paths left with no segment.
    QList<Element> cleaned;
    for (int i = 0; i < elements.size(); ++i) {
        if (elements[i].type == ElementType::MoveTo) {
            const bool hasSegment = i + 1 < elements.size() && elements[i + 1].type != ElementType::MoveTo &&
                                    elements[i + 1].type != ElementType::ClosePath;
            if (!hasSegment) {
                if (i + 1 < elements.size() && elements[i + 1].type == ElementType::ClosePath)
                    ++i;
                continue;
            }
        }
        cleaned.append(elements[i]);
    }
    if (cleaned.isEmpty())
        return false;
    setPath(pathFromElements(*m_path, cleaned));
    return true;
}

bool PWDrawablePath::isPathClosed() const
{
    return !m_path->isEmpty() && m_path->elements().last().type == ElementType::ClosePath;
}

void PWDrawablePath::closePath()
{
    if (isPathClosed() || m_path->isEmpty() || !canEdit())
        return;
    QList<Element> elements = m_path->elements();
    const int start = subpathStartIndex(elements, int(elements.size()) - 1);
    if (int(elements.size()) - start < 2)
        return;
    // A last point on the start would leave a segment of no length before the close.
    if (combinesEndPointsOfClosedPath() && int(elements.size()) - start > 2 && elements.last().type == ElementType::LineTo &&
        elements.last().points[0] == elements[start].points[0])
        elements.removeLast();
    elements.append(Element{ElementType::ClosePath, {}});
    setPath(pathFromElements(*m_path, elements));
}

void PWDrawablePath::openPath()
{
    if (!isPathClosed() || !canEdit())
        return;
    QList<Element> elements = m_path->elements();
    elements.removeLast();
    setPath(pathFromElements(*m_path, elements));
}

void PWDrawablePath::reversePath()
{
    if (!m_path->isEmpty())
        setPath(m_path->reversed());
}

bool PWDrawablePath::isSimpleStraightLine() const
{
    const QList<Element>& elements = m_path->elements();
    if (elements.size() != 2 || elements[0].type != ElementType::MoveTo)
        return false;
    const QPointF a = elements[0].points[0];
    const Element& e = elements[1];
    if (e.type == ElementType::LineTo)
        return e.points[0] != a;
    if (e.type != ElementType::CurveTo)
        return false;
    const QPointF b = e.points[2];
    const double span = std::hypot(b.x() - a.x(), b.y() - a.y());
    if (span == 0)
        return false;
    const double tolerance = span * 1e-6;
    return distanceToLine(e.points[0], a, b) <= tolerance && distanceToLine(e.points[1], a, b) <= tolerance;
}

double PWDrawablePath::flatness() const { return m_path->flatness(); }

void PWDrawablePath::setFlatness(double flatness)
{
    if (!std::isfinite(flatness) || flatness <= 0.0 || flatness == m_path->flatness())
        return;
    auto changed = copyPath(*m_path);
    changed->setFlatness(flatness);
    setPath(changed);
}

pf::Ref<pf::BezierPath> PWDrawablePath::flattenedPath() const { return m_path->flattened(); }

void PWDrawablePath::flattenPath() { setPath(m_path->flattened()); }

pf::Ref<PWDrawablePath> PWDrawablePath::makeParallelWithOffset(double distance, bool smooth) const
{
    if (!std::isfinite(distance))
        return nullptr;
    pf::Ref<pf::BezierPath> parallel = pw::paralleloidPathWithOffset2(*m_path, distance, m_path->flatness());
    if (parallel && smooth)
        parallel = pw::bezierPathByInterpolatingPath(*parallel->flattened(), 0.5);
    if (!parallel || parallel->isEmpty())
        return nullptr;
    auto result = std::static_pointer_cast<PWDrawablePath>(copy());
    result->m_path = parallel;
    result->m_angle = 0.0;
    result->clearBoundsCache();
    return result;
}

pf::Ref<PWDrawableShape> PWDrawablePath::makeShape() const
{
    if (m_path->isEmpty())
        return nullptr;
    auto shape = PWDrawableShape::drawableShapeWithPath(*m_path, style());
    shape->setName(name());
    shape->setMetadata(metadata());
    shape->setUserInfo(userInfo());
    shape->setVisible(visible());
    return shape;
}

// Geometry ----------------------------------------------------------------------------------

QPointF PWDrawablePath::location() const
{
    return m_path->isEmpty() ? QPointF() : m_path->bounds().center();
}

void PWDrawablePath::setLocation(const QPointF& location)
{
    if (!finitePoint(location) || !canEdit() || locationLocked() || m_path->isEmpty())
        return;
    const QPointF delta = location - this->location();
    if (delta.isNull())
        return;
    transformPath(QTransform::fromTranslate(delta.x(), delta.y()));
}

QSizeF PWDrawablePath::size() const
{
    return m_path->isEmpty() ? QSizeF() : m_path->bounds().size();
}

void PWDrawablePath::setSize(const QSizeF& size)
{
    if (!std::isfinite(size.width()) || !std::isfinite(size.height()) || !canEdit() || m_path->isEmpty())
        return;
    const QSizeF current = this->size();
    const QSizeF wanted(std::max(0.0, size.width()), std::max(0.0, size.height()));
    // An extent of nothing cannot be scaled: that axis keeps its size.
    const double sx = current.width() > 0 ? wanted.width() / current.width() : 1.0;
    const double sy = current.height() > 0 ? wanted.height() / current.height() : 1.0;
    if ((sx == 1.0 && sy == 1.0) || sx <= 0 || sy <= 0)
        return;
    const QPointF c = location();
    QTransform t;
    t.translate(c.x(), c.y());
    t.scale(sx, sy);
    t.translate(-c.x(), -c.y());
    transformPath(t);
}

void PWDrawablePath::setAngle(double angle)
{
    if (!std::isfinite(angle) || angle == m_angle || !canEdit())
        return;
    const double delta = angle - m_angle;
    const QPointF c = location();
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotateRadians(delta);
    t.translate(-c.x(), -c.y());
    pf::Ref<pf::BezierPath> turned = m_path->transformed(t);
    if (!pathIsFinite(*turned))
        return;
    // Undone by turning back, so the undo records the angle, not the path.
    registerUndo("setAngle:", m_angle);
    pf::KeyChange change(this, "angle");
    performGeometryChange("path", [&] {
        m_path = turned;
        m_angle = angle;
    });
}

QTransform PWDrawablePath::transform() const
{
    // The unit square onto the path's bounds.
    const QRectF b = m_path->isEmpty() ? QRectF() : m_path->bounds();
    QTransform t;
    t.translate(b.center().x(), b.center().y());
    t.scale(b.width(), b.height());
    return t;
}

pf::Ref<pf::BezierPath> PWDrawablePath::renderingPath() const
{
    const QTransform t = containerTransform();
    return t.isIdentity() ? copyPath(*m_path) : m_path->transformed(t);
}

QRectF PWDrawablePath::logicalBounds() const
{
    if (m_path->isEmpty())
        return QRectF();
    const QTransform t = containerTransform();
    return t.isIdentity() ? m_path->bounds() : m_path->transformed(t)->bounds();
}

quint64 PWDrawablePath::geometryChecksum() const
{
    const QTransform ct = containerTransform();
    return qHashMulti(m_path->hash(), ct.m11(), ct.m12(), ct.m21(), ct.m22(), ct.dx(), ct.dy());
}

// Handles -----------------------------------------------------------------------------------

QList<int> PWDrawablePath::knobParts() const
{
    // On-path points first when they take priority, so they win where handles overlap.
    QList<int> onPath;
    QList<int> control;
    const QList<Element>& elements = m_path->elements();
    for (int i = 0; i < elements.size(); ++i) {
        const Element& e = elements[i];
        const int count = e.pointCount();
        for (int j = 0; j < count; ++j)
            (j == count - 1 ? onPath : control).append(partCode(i, j));
    }
    return defaultOnPathHitDetectionPriority() ? onPath + control : control + onPath;
}

QPointF PWDrawablePath::knobPoint(int part) const
{
    int index = 0;
    int which = 0;
    if (!elementAndPointForPart(part, &index, &which))
        return location();
    return m_path->elementAt(index).points[size_t(which)];
}

int PWDrawablePath::hitPart(const QPointF& point) const { return PWDrawableObject::hitPart(point); }

void PWDrawablePath::mouseDraggedAtPoint(const QPointF& point, int part, bool controlFlag)
{
    if (part > 0)
        movePathPart(part, snappedMousePoint(point, controlFlag));
    else
        PWDrawableObject::mouseDraggedAtPoint(point, part, controlFlag);
}

void PWDrawablePath::drawSelectedState()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || isPendingCreation())
        return;
    const QColor colour = selectionMarkColour();
    pf::GraphicsStateSaver saver(context);
    QPainter& painter = context->painter();
    strokeSelectionOutline(painter, colour);
    const QTransform toView = containerTransform();
    PWKnob* knobs = knobsToDraw();
    const QList<Element>& elements = m_path->elements();
    QPointF previous;
    for (int i = 0; i < elements.size(); ++i) {
        const Element& e = elements[i];
        if (e.type == ElementType::ClosePath)
            continue;
        if (e.type == ElementType::CurveTo && !locked()) {
            // Control points hang off the on-curve points they steer.
            painter.drawLine(toView.map(previous), toView.map(e.points[0]));
            painter.drawLine(toView.map(e.points[2]), toView.map(e.points[1]));
            knobs->drawKnob(toView.map(e.points[0]), PWKnob::kOffPathKnobType, 0.0, QColor());
            knobs->drawKnob(toView.map(e.points[1]), PWKnob::kOffPathKnobType, 0.0, QColor());
        }
        const int type = locked() ? PWKnob::kLockedKnobType : PWKnob::kOnPathKnobType;
        knobs->drawKnob(toView.map(endPoint(e)), type, 0.0, colour);
        previous = endPoint(e);
    }
}

// Hooks -------------------------------------------------------------------------------------

void PWDrawablePath::group(PWShapeGroup*, const QTransform& transform)
{
    if (!m_path->isEmpty())
        transformPath(transform);
}

bool PWDrawablePath::objectIsValid() const { return onCurveCount(*m_path) >= 2 && length() > 0.0; }

QString PWDrawablePath::displayName() const { return displayNameForClass(objClass()); }

QString PWDrawablePath::description() const
{
    return QStringLiteral("%1 %2 elements, length %3")
        .arg(PWDrawableObject::description())
        .arg(m_path->elementCount())
        .arg(length());
}

// Archiving ---------------------------------------------------------------------------------

void PWDrawablePath::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWDrawableObject::encodeWithCoder(coder);
    coder.encodeObject(m_path, kPathKey);
}

void PWDrawablePath::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWDrawableObject::initWithCoder(coder);
    pf::Ref<pf::BezierPath> path = coder.decodeObjectOfClass<pf::BezierPath>(kPathKey);
    // A missing or damaged path reads as an empty one.
    m_path = (path && pathIsFinite(*path)) ? path : pf::BezierPath::path();
    clearBoundsCache();
}
