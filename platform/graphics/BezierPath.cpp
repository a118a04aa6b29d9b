#include "platform/graphics/BezierPath.h"
#include "platform/graphics/BezierPath+Rectangle.h"
#include "platform/graphics/StripStroker.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"

#include <2geom/bezier-curve.h>

#include <QDataStream>
#include <QIODevice>
#include <QPainter>
#include <QPainterPathStroker>
#include <QVarLengthArray>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

PF_DEFINE_CLASS_NAMED(pf::BezierPath, pf::Object, "pf::BezierPath")
{
    using pf::BezierPath;
    b.protocol(pf::kCodingProtocol);
    b.property("lineWidth", &BezierPath::lineWidth, &BezierPath::setLineWidth);
    b.property("miterLimit", &BezierPath::miterLimit, &BezierPath::setMiterLimit);
    b.property("flatness", &BezierPath::flatness, &BezierPath::setFlatness);

    // Enumerations travel as integers; one out of range is refused rather than stored.
    const auto enumValue = [](const QVariant& value, int last, const char* key) {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (!ok || number < 0 || number > last)
            throw pf::InvalidArgumentException(
                QStringLiteral("pf::BezierPath: %1 is not a valid %2").arg(pf::describe(value), QLatin1String(key)));
        return int(number);
    };
    b.property(
        "lineCapStyle", std::function<QVariant(const BezierPath&)>([](const BezierPath& path) {
            return QVariant(int(path.lineCapStyle()));
        }),
        std::function<void(BezierPath&, const QVariant&)>([enumValue](BezierPath& path, const QVariant& value) {
            path.setLineCapStyle(BezierPath::LineCap(enumValue(value, 2, "lineCapStyle")));
        }),
        true);
    b.property(
        "lineJoinStyle", std::function<QVariant(const BezierPath&)>([](const BezierPath& path) {
            return QVariant(int(path.lineJoinStyle()));
        }),
        std::function<void(BezierPath&, const QVariant&)>([enumValue](BezierPath& path, const QVariant& value) {
            path.setLineJoinStyle(BezierPath::LineJoin(enumValue(value, 2, "lineJoinStyle")));
        }),
        true);
    b.property(
        "windingRule", std::function<QVariant(const BezierPath&)>([](const BezierPath& path) {
            return QVariant(int(path.windingRule()));
        }),
        std::function<void(BezierPath&, const QVariant&)>([enumValue](BezierPath& path, const QVariant& value) {
            path.setWindingRule(BezierPath::WindingRule(enumValue(value, 1, "windingRule")));
        }),
        true);
}

namespace pf {

namespace {

std::atomic<double> g_defaultLineWidth{1.0};
std::atomic<double> g_defaultMiterLimit{10.0};
std::atomic<double> g_defaultFlatness{0.6};

// The control distance of a cubic quarter circle of radius 1: 4/3 tan(90° / 4). A literal, so
// that it is set before any static initialiser draws an oval (std::tan is not constexpr).
constexpr double kQuarterKappa = 0.55228474983079339840;

// Halving a cubic takes its control polygon's distance from the chord down about four times,
// so this many levels (at most 65,536 lines a curve) reach any sensible flatness, and a curve
// that never flattens (huge coordinates) still stops.
constexpr int kMaxFlatteningDepth = 16;

// Archive keys. The element blob is, for each element, one byte of its type (0 move, 1 line,
// 2 curve, 3 close) followed by its points as x, y pairs of little-endian IEEE doubles.
const QString kElementsKey = QStringLiteral("PWPath_elements");
const QString kElementCountKey = QStringLiteral("PWPath_elementCount");
const QString kLineWidthKey = QStringLiteral("PWPath_lineWidth");
const QString kMiterLimitKey = QStringLiteral("PWPath_miterLimit");
const QString kFlatnessKey = QStringLiteral("PWPath_flatness");
const QString kLineCapKey = QStringLiteral("PWPath_lineCapStyle");
const QString kLineJoinKey = QStringLiteral("PWPath_lineJoinStyle");
const QString kWindingRuleKey = QStringLiteral("PWPath_windingRule");
// Little-endian doubles, as in the element blob.
const QString kDashPatternKey = QStringLiteral("PWPath_dashPattern");
const QString kDashPhaseKey = QStringLiteral("PWPath_dashPhase");

int pointCountOf(BezierPath::ElementType type)
{
    switch (type) {
    case BezierPath::ElementType::MoveTo:
    case BezierPath::ElementType::LineTo:
        return 1;
    case BezierPath::ElementType::CurveTo:
        return 3;
    case BezierPath::ElementType::ClosePath:
        return 0;
    }
    return 0;
}

QPointF pointAtAngle(const QPointF& centre, double radius, double degrees)
{
    const double radians = qDegreesToRadians(degrees);
    return centre + radius * QPointF(std::cos(radians), std::sin(radians));
}

double distanceToSegment(const QPointF& point, const QPointF& from, const QPointF& to)
{
    const QPointF chord = to - from;
    const double lengthSquared = QPointF::dotProduct(chord, chord);
    double t = 0.0;
    if (lengthSquared > 0.0)
        t = std::clamp(QPointF::dotProduct(point - from, chord) / lengthSquared, 0.0, 1.0);
    const QPointF offset = point - (from + t * chord);
    return std::hypot(offset.x(), offset.y());
}

// Tracks the smallest rectangle holding a set of points; QRectF::united ignores rectangles of
// no size, which points are.
QPointF cubicPointAt(const QPointF& p0, const QPointF& p1, const QPointF& p2, const QPointF& p3, double t)
{
    const double u = 1.0 - t;
    return p0 * (u * u * u) + p1 * (3 * u * u * t) + p2 * (3 * u * t * t) + p3 * (t * t * t);
}

// The times strictly inside 0..1 where the cubic's x or y turns: the roots of its derivative
// a t^2 + b t + c on each axis. At most four.
std::vector<double> cubicExtremeTimes(const QPointF& p0, const QPointF& p1, const QPointF& p2, const QPointF& p3)
{
    std::vector<double> times;
    auto addRoot = [&](double t) {
        if (std::isfinite(t) && t > 0.0 && t < 1.0)
            times.push_back(t);
    };
    for (const auto& [v0, v1, v2, v3] : {std::array{p0.x(), p1.x(), p2.x(), p3.x()}, std::array{p0.y(), p1.y(), p2.y(), p3.y()}}) {
        const double a = -v0 + 3 * v1 - 3 * v2 + v3;
        const double b = 2 * (v0 - 2 * v1 + v2);
        const double c = v1 - v0;
        const double scale = std::max({std::abs(a), std::abs(b), std::abs(c)});
        if (!(scale > 0.0) || !std::isfinite(scale))
            continue;
        if (std::abs(a) <= scale * 1e-12) {
            if (b != 0.0)
                addRoot(-c / b);
            continue;
        }
        // Scaled first, so that squaring cannot overflow for coordinates near the double range.
        const double sa = a / scale, sb = b / scale, sc = c / scale;
        const double discriminant = sb * sb - 4 * sa * sc;
        if (discriminant < 0.0)
            continue;
        const double root = std::sqrt(discriminant);
        // The stable form: no cancellation between -b and the root.
        const double q = -0.5 * (sb + std::copysign(root, sb));
        addRoot(q / sa);
        if (q != 0.0)
            addRoot(sc / q);
    }
    return times;
}

struct PointBounds {
    double minX = std::numeric_limits<double>::infinity();
    double minY = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity();
    double maxY = -std::numeric_limits<double>::infinity();
    bool any = false;

    void add(const QPointF& point)
    {
        minX = std::min(minX, point.x());
        minY = std::min(minY, point.y());
        maxX = std::max(maxX, point.x());
        maxY = std::max(maxY, point.y());
        any = true;
    }
    QRectF rect() const { return any ? QRectF(QPointF(minX, minY), QPointF(maxX, maxY)) : QRectF(); }
};

Qt::PenCapStyle qtCap(BezierPath::LineCap cap)
{
    switch (cap) {
    case BezierPath::LineCap::Round:
        return Qt::RoundCap;
    case BezierPath::LineCap::Square:
        return Qt::SquareCap;
    case BezierPath::LineCap::Butt:
        break;
    }
    return Qt::FlatCap;
}

// Qt's SvgMiterJoin bevels a join whose miter is longer than the limit times the width, as the
// platform does; Qt's own MiterJoin clips it instead.
Qt::PenJoinStyle qtJoin(BezierPath::LineJoin join)
{
    switch (join) {
    case BezierPath::LineJoin::Round:
        return Qt::RoundJoin;
    case BezierPath::LineJoin::Bevel:
        return Qt::BevelJoin;
    case BezierPath::LineJoin::Miter:
        break;
    }
    return Qt::SvgMiterJoin;
}

double usableMiterLimit(double limit)
{
    return std::isfinite(limit) && limit > 0.0 ? limit : BezierPath::defaultMiterLimit();
}

QString formatPoint(const QPointF& point)
{
    return QStringLiteral("%1 %2").arg(point.x()).arg(point.y());
}

// Appends the cubic segments of an arc whose start point is already the current point.
void appendArcSegments(BezierPath& path, const QPointF& centre, double radius, double startAngle, double sweep)
{
    if (sweep == 0.0 || !std::isfinite(sweep))
        return;
    const int segments = std::max(1, int(std::ceil(std::abs(sweep) / 90.0 - 1e-9)));
    const double step = sweep / segments;
    // Negative for a clockwise step, which turns the tangents round as needed.
    const double control = 4.0 / 3.0 * std::tan(qDegreesToRadians(step) / 4.0) * radius;
    for (int i = 0; i < segments; ++i) {
        const double from = qDegreesToRadians(startAngle + i * step);
        const double to = qDegreesToRadians(startAngle + (i + 1) * step);
        const QPointF start = centre + radius * QPointF(std::cos(from), std::sin(from));
        const QPointF end = centre + radius * QPointF(std::cos(to), std::sin(to));
        const QPointF control1 = start + control * QPointF(-std::sin(from), std::cos(from));
        const QPointF control2 = end - control * QPointF(-std::sin(to), std::cos(to));
        path.curveTo(end, control1, control2);
    }
}

// A corner's radii, clamped to what the rectangle allows.
double clampedRadius(double radius, double limit)
{
    return radius > 0.0 ? std::min(radius, limit) : 0.0;
}

// A rounded rectangle with an elliptical radius per corner, in the order top left, top right,
// bottom right, bottom left. A corner with a zero radius is sharp.
void appendRoundedRectWithRadii(BezierPath& path, const QRectF& rect, const std::array<QSizeF, 4>& radii)
{
    const double minX = rect.left(), maxX = rect.right(), minY = rect.top(), maxY = rect.bottom();
    const auto isRound = [](const QSizeF& r) { return r.width() > 0.0 && r.height() > 0.0; };
    const auto radiiOf = [&](int corner) { return isRound(radii[corner]) ? radii[corner] : QSizeF(0, 0); };
    const QSizeF topLeft = radiiOf(0), topRight = radiiOf(1), bottomRight = radiiOf(2), bottomLeft = radiiOf(3);

    const auto lineTo = [&](const QPointF& point) {
        if (path.currentPoint() != point)
            path.lineTo(point);
    };
    // A quarter ellipse from the current point to `end` about the corner point `corner`.
    const auto corner = [&](const QSizeF& r, const QPointF& cornerPoint, const QPointF& end) {
        if (r.isEmpty())
            return;
        const QPointF start = path.currentPoint();
        path.curveTo(end, start + kQuarterKappa * (cornerPoint - start), end + kQuarterKappa * (cornerPoint - end));
    };

    const QPointF start(minX + topLeft.width(), minY);
    path.moveTo(start);
    lineTo(QPointF(maxX - topRight.width(), minY));
    corner(topRight, QPointF(maxX, minY), QPointF(maxX, minY + topRight.height()));
    lineTo(QPointF(maxX, maxY - bottomRight.height()));
    corner(bottomRight, QPointF(maxX, maxY), QPointF(maxX - bottomRight.width(), maxY));
    lineTo(QPointF(minX + bottomLeft.width(), maxY));
    corner(bottomLeft, QPointF(minX, maxY), QPointF(minX, maxY - bottomLeft.height()));
    if (!topLeft.isEmpty()) {
        lineTo(QPointF(minX, minY + topLeft.height()));
        corner(topLeft, QPointF(minX, minY), start);
    }
    // The close draws the last edge back to a sharp top-left corner.
    path.closePath();
}

void flattenCurve(BezierPath& out, const QPointF& p0, const QPointF& c1, const QPointF& c2, const QPointF& p3,
                  double flatness, int depth)
{
    // The curve lies in the hull of its control points, so when they are all near the chord,
    // so is the curve. A NaN distance ends the subdivision too.
    const double distance = std::max(distanceToSegment(c1, p0, p3), distanceToSegment(c2, p0, p3));
    if (!(distance > flatness) || depth >= kMaxFlatteningDepth) {
        out.lineTo(p3);
        return;
    }
    const QPointF p01 = (p0 + c1) / 2, p12 = (c1 + c2) / 2, p23 = (c2 + p3) / 2;
    const QPointF p012 = (p01 + p12) / 2, p123 = (p12 + p23) / 2;
    const QPointF middle = (p012 + p123) / 2;
    flattenCurve(out, p0, p01, p012, middle, flatness, depth + 1);
    flattenCurve(out, middle, p123, p23, p3, flatness, depth + 1);
}

// Whether the element list keeps the invariants the builders keep: it starts with a move,
// and every close follows a move, line or curve and is followed by a move.
bool isWellFormed(const QList<BezierPath::Element>& elements)
{
    using Type = BezierPath::ElementType;
    for (int i = 0; i < elements.size(); ++i) {
        const Type type = elements[i].type;
        if (i == 0) {
            if (type != Type::MoveTo)
                return false;
            continue;
        }
        const Type previous = elements[i - 1].type;
        if (previous == Type::ClosePath && type != Type::MoveTo)
            return false;
    }
    return true;
}

// Reads the element blob; false, with nothing read, when it is damaged in any way.
// A little-endian double at `at`, as QDataStream writes them.
double doubleAt(const char* at)
{
    return qFromLittleEndian<double>(at);
}

bool readElements(const QByteArray& blob, qint64 count, QList<BezierPath::Element>* elements)
{
    // Every element takes at least its type byte, so a larger count cannot be right; checking
    // first keeps a damaged count from reserving memory.
    if (count < 0 || count > blob.size())
        return false;
    // Read straight from the bytes: paths are decoded by the hundred thousand when a drawing
    // opens, and a data stream costs more to set up than a small path takes to read.
    const char* at = blob.constData();
    const char* const end = at + blob.size();
    QList<BezierPath::Element> read;
    read.reserve(count);
    for (qint64 i = 0; i < count; ++i) {
        if (at == end)
            return false;
        const quint8 type = quint8(*at++);
        if (type > quint8(BezierPath::ElementType::ClosePath))
            return false;
        BezierPath::Element element;
        element.type = BezierPath::ElementType(type);
        for (int p = 0; p < element.pointCount(); ++p) {
            if (end - at < 2 * qsizetype(sizeof(double)))
                return false;
            const double x = doubleAt(at), y = doubleAt(at + sizeof(double));
            at += 2 * sizeof(double);
            if (!std::isfinite(x) || !std::isfinite(y))
                return false;
            element.points[p] = QPointF(x, y);
        }
        read.append(element);
    }
    if (at != end || !isWellFormed(read))
        return false;
    *elements = std::move(read);
    return true;
}

QByteArray doublesBlob(const QList<double>& values)
{
    QByteArray blob;
    QDataStream stream(&blob, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::LittleEndian);
    stream.setFloatingPointPrecision(QDataStream::DoublePrecision);
    for (double value : values)
        stream << value;
    return blob;
}

QList<double> doublesFromBlob(const QByteArray& blob)
{
    if (blob.size() % qsizetype(sizeof(double)) != 0)
        return {};
    QList<double> values;
    values.reserve(blob.size() / qsizetype(sizeof(double)));
    for (qsizetype at = 0; at < blob.size(); at += qsizetype(sizeof(double)))
        values.append(doubleAt(blob.constData() + at));
    return values;
}

} // namespace

int BezierPath::Element::pointCount() const
{
    return pointCountOf(type);
}

BezierPath::BezierPath()
    : m_lineWidth(defaultLineWidth()), m_miterLimit(defaultMiterLimit()), m_flatness(defaultFlatness())
{
}

BezierPath::BezierPath(const BezierPath& other) = default;
// Only the path and its settings: observers and the like stay with the object.
BezierPath& BezierPath::operator=(const BezierPath& other)
{
    m_elements = other.m_elements;
    m_lineWidth = other.m_lineWidth;
    m_lineCap = other.m_lineCap;
    m_lineJoin = other.m_lineJoin;
    m_miterLimit = other.m_miterLimit;
    m_flatness = other.m_flatness;
    m_windingRule = other.m_windingRule;
    m_dashPattern = other.m_dashPattern;
    m_dashPhase = other.m_dashPhase;
    return *this;
}

// Construction.

Ref<BezierPath> BezierPath::path()
{
    return std::make_shared<BezierPath>();
}

Ref<BezierPath> BezierPath::pathWithRect(const QRectF& rect)
{
    auto path = BezierPath::path();
    path->appendRect(rect);
    return path;
}

Ref<BezierPath> BezierPath::pathWithOval(const QRectF& rect)
{
    auto path = BezierPath::path();
    path->appendOval(rect);
    return path;
}

Ref<BezierPath> BezierPath::pathWithRoundedRect(const QRectF& rect, double xRadius, double yRadius)
{
    const QRectF r = rect.normalized();
    const QSizeF radius(clampedRadius(xRadius, r.width() / 2), clampedRadius(yRadius, r.height() / 2));
    auto path = BezierPath::path();
    appendRoundedRectWithRadii(*path, r, {radius, radius, radius, radius});
    return path;
}

Ref<BezierPath> BezierPath::pathWithRoundedRect(const QRectF& rect, double topLeftRadius, double topRightRadius,
                                                double bottomLeftRadius, double bottomRightRadius)
{
    auto path = BezierPath::path();
    path->appendRoundedRect(rect, topLeftRadius, topRightRadius, bottomLeftRadius, bottomRightRadius);
    return path;
}

Ref<BezierPath> BezierPath::pathWithPolygon(const QList<QPointF>& points, bool closed)
{
    auto path = BezierPath::path();
    if (points.isEmpty())
        return path;
    path->moveTo(points.first());
    for (qsizetype i = 1; i < points.size(); ++i)
        path->lineTo(points[i]);
    if (closed)
        path->closePath();
    return path;
}

Ref<BezierPath> BezierPath::pathWithRegularPolygon(const QPointF& centre, double radius, int sides,
                                                   double rotationDegrees)
{
    PF_PARAMETER_ASSERT(sides >= 3 && sides <= kMaxPolygonCorners);
    auto path = BezierPath::path();
    path->moveTo(pointAtAngle(centre, radius, rotationDegrees));
    for (int i = 1; i < sides; ++i)
        path->lineTo(pointAtAngle(centre, radius, rotationDegrees + 360.0 * i / sides));
    path->closePath();
    return path;
}

Ref<BezierPath> BezierPath::pathWithStar(const QPointF& centre, double outerRadius, double innerRadius, int points,
                                         double rotationDegrees)
{
    PF_PARAMETER_ASSERT(points >= 2 && points <= kMaxPolygonCorners / 2);
    auto path = BezierPath::path();
    const int corners = 2 * points;
    for (int i = 0; i < corners; ++i) {
        const QPointF corner =
            pointAtAngle(centre, i % 2 == 0 ? outerRadius : innerRadius, rotationDegrees + 360.0 * i / corners);
        if (i == 0)
            path->moveTo(corner);
        else
            path->lineTo(corner);
    }
    path->closePath();
    return path;
}

Ref<BezierPath> BezierPath::fromQPainterPath(const QPainterPath& painterPath)
{
    auto path = BezierPath::path();
    path->setWindingRule(painterPath.fillRule() == Qt::OddEvenFill ? WindingRule::EvenOdd : WindingRule::NonZero);

    QList<Element> subpath;
    const auto flush = [&] {
        if (subpath.isEmpty())
            return;
        const bool closed = subpath.size() > 1 && subpath.last().points[subpath.last().pointCount() - 1] ==
                                                      subpath.first().points[0];
        if (closed && subpath.last().type == ElementType::LineTo)
            subpath.removeLast();
        path->m_elements += subpath;
        if (closed)
            path->m_elements.append(Element{ElementType::ClosePath, {}});
        subpath.clear();
    };

    const int count = painterPath.elementCount();
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element& e = painterPath.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            flush();
            subpath.append(Element{ElementType::MoveTo, {QPointF(e)}});
            break;
        case QPainterPath::LineToElement:
            if (subpath.isEmpty())
                subpath.append(Element{ElementType::MoveTo, {QPointF(e)}});
            subpath.append(Element{ElementType::LineTo, {QPointF(e)}});
            break;
        case QPainterPath::CurveToElement:
            // A curve is its first control point followed by two data elements.
            if (i + 2 >= count || painterPath.elementAt(i + 1).type != QPainterPath::CurveToDataElement ||
                painterPath.elementAt(i + 2).type != QPainterPath::CurveToDataElement)
                break;
            if (subpath.isEmpty())
                subpath.append(Element{ElementType::MoveTo, {QPointF(e)}});
            subpath.append(Element{ElementType::CurveTo,
                                   {QPointF(e), QPointF(painterPath.elementAt(i + 1)), QPointF(painterPath.elementAt(i + 2))}});
            i += 2;
            break;
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    flush();
    return path;
}

// Building.

void BezierPath::appendElement(ElementType type, const QPointF& a, const QPointF& b, const QPointF& c)
{
    Element element;
    element.type = type;
    const int count = pointCountOf(type);
    if (count > 0)
        element.points[0] = a;
    if (count > 1) {
        element.points[1] = b;
        element.points[2] = c;
    }
    m_elements.append(element);
}

void BezierPath::beginSegment(const QPointF& point)
{
    if (m_elements.isEmpty())
        appendElement(ElementType::MoveTo, point);
    else if (m_elements.last().type == ElementType::ClosePath)
        appendElement(ElementType::MoveTo, subpathStart(elementCount() - 1));
}

QPointF BezierPath::subpathStart(int index) const
{
    for (int i = index; i >= 0; --i) {
        if (m_elements[i].type == ElementType::MoveTo)
            return m_elements[i].points[0];
    }
    return QPointF();
}

void BezierPath::moveTo(const QPointF& point)
{
    appendElement(ElementType::MoveTo, point);
}

void BezierPath::lineTo(const QPointF& point)
{
    beginSegment(point);
    appendElement(ElementType::LineTo, point);
}

void BezierPath::curveTo(const QPointF& end, const QPointF& control1, const QPointF& control2)
{
    beginSegment(control1);
    appendElement(ElementType::CurveTo, control1, control2, end);
}

void BezierPath::closePath()
{
    if (m_elements.isEmpty() || m_elements.last().type == ElementType::ClosePath)
        return;
    appendElement(ElementType::ClosePath);
}

void BezierPath::relativeMoveTo(const QPointF& offset)
{
    moveTo(currentPoint() + offset);
}

void BezierPath::relativeLineTo(const QPointF& offset)
{
    lineTo(currentPoint() + offset);
}

void BezierPath::relativeCurveTo(const QPointF& end, const QPointF& control1, const QPointF& control2)
{
    const QPointF from = currentPoint();
    curveTo(from + end, from + control1, from + control2);
}

void BezierPath::appendRect(const QRectF& rect)
{
    const QRectF r = rect.normalized();
    moveTo(r.topLeft());
    lineTo(r.topRight());
    lineTo(r.bottomRight());
    lineTo(r.bottomLeft());
    closePath();
}

void BezierPath::appendOval(const QRectF& rect)
{
    const QRectF r = rect.normalized();
    const QPointF c = r.center();
    const double kx = kQuarterKappa * r.width() / 2, ky = kQuarterKappa * r.height() / 2;
    const double minX = r.left(), maxX = r.right(), minY = r.top(), maxY = r.bottom();
    moveTo(QPointF(maxX, c.y()));
    curveTo(QPointF(c.x(), maxY), QPointF(maxX, c.y() + ky), QPointF(c.x() + kx, maxY));
    curveTo(QPointF(minX, c.y()), QPointF(c.x() - kx, maxY), QPointF(minX, c.y() + ky));
    curveTo(QPointF(c.x(), minY), QPointF(minX, c.y() - ky), QPointF(c.x() - kx, minY));
    curveTo(QPointF(maxX, c.y()), QPointF(c.x() + kx, minY), QPointF(maxX, c.y() - ky));
    closePath();
}

void BezierPath::appendRoundedRect(const QRectF& rect, double topLeftRadius, double topRightRadius,
                                   double bottomLeftRadius, double bottomRightRadius)
{
    const QRectF r = rect.normalized();
    const double limit = std::min(r.width(), r.height()) / 2;
    const auto corner = [limit](double radius) {
        const double clamped = clampedRadius(radius, limit);
        return QSizeF(clamped, clamped);
    };
    appendRoundedRectWithRadii(*this, r,
                               {corner(topLeftRadius), corner(topRightRadius), corner(bottomRightRadius),
                                corner(bottomLeftRadius)});
}

void BezierPath::appendArc(const QPointF& centre, double radius, double startAngle, double endAngle, bool clockwise)
{
    // At most once round; a whole number of turns (other than none) is a full circle.
    double sweep = std::fmod(clockwise ? startAngle - endAngle : endAngle - startAngle, 360.0);
    if (sweep < 0.0)
        sweep += 360.0;
    if (sweep == 0.0 && startAngle != endAngle)
        sweep = 360.0;
    if (clockwise)
        sweep = -sweep;

    const QPointF start = pointAtAngle(centre, radius, startAngle);
    if (m_elements.isEmpty())
        moveTo(start);
    else if (currentPoint() != start)
        lineTo(start);
    appendArcSegments(*this, centre, radius, startAngle, sweep);
}

void BezierPath::appendArcFromPoint(const QPointF& point1, const QPointF& point2, double radius)
{
    beginSegment(point1);
    const QPointF from = currentPoint();
    QPointF toStart = from - point1;
    QPointF toEnd = point2 - point1;
    const double startLength = std::hypot(toStart.x(), toStart.y());
    const double endLength = std::hypot(toEnd.x(), toEnd.y());
    if (!(radius > 0.0) || !(startLength > 0.0) || !(endLength > 0.0)) {
        lineTo(point1);
        return;
    }
    toStart /= startLength;
    toEnd /= endLength;
    const double sine = toStart.x() * toEnd.y() - toStart.y() * toEnd.x();
    const double cosine = QPointF::dotProduct(toStart, toEnd);
    if (!(std::abs(sine) > 1e-12)) {
        lineTo(point1);
        return;
    }
    // The angle between the two lines at point1; the circle touches both, its centre on the
    // bisector.
    const double halfAngle = std::atan2(std::abs(sine), cosine) / 2;
    const double tangentDistance = radius / std::tan(halfAngle);
    const QPointF tangent1 = point1 + tangentDistance * toStart;
    const QPointF tangent2 = point1 + tangentDistance * toEnd;
    QPointF bisector = toStart + toEnd;
    bisector /= std::hypot(bisector.x(), bisector.y());
    const QPointF centre = point1 + radius / std::sin(halfAngle) * bisector;

    if (currentPoint() != tangent1)
        lineTo(tangent1);
    const double startAngle = qRadiansToDegrees(std::atan2(tangent1.y() - centre.y(), tangent1.x() - centre.x()));
    const double endAngle = qRadiansToDegrees(std::atan2(tangent2.y() - centre.y(), tangent2.x() - centre.x()));
    // The arc between the tangent points is always the shorter one.
    double sweep = std::remainder(endAngle - startAngle, 360.0);
    appendArcSegments(*this, centre, radius, startAngle, sweep);
}

void BezierPath::appendPath(const BezierPath& other)
{
    const QList<Element> elements = other.m_elements; // `other` may be this path
    m_elements += elements;
}

void BezierPath::appendPathRemovingInitialMoveTo(const BezierPath& other)
{
    if (m_elements.isEmpty()) {
        appendPath(other);
        return;
    }
    const QList<Element> elements = other.m_elements;
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const Element& e = elements[i];
        switch (e.type) {
        case ElementType::MoveTo:
            if (i > 0)
                moveTo(e.points[0]);
            break;
        case ElementType::LineTo:
            lineTo(e.points[0]);
            break;
        case ElementType::CurveTo:
            curveTo(e.points[2], e.points[0], e.points[1]);
            break;
        case ElementType::ClosePath:
            closePath();
            break;
        }
    }
}

void BezierPath::removeAllPoints()
{
    m_elements.clear();
}

// Elements.

const BezierPath::Element& BezierPath::elementAt(int index) const
{
    if (index < 0 || index >= elementCount())
        raise(NSRangeException, QStringLiteral("pf::BezierPath: element index %1 beyond count %2").arg(index).arg(elementCount()));
    return m_elements[index];
}

void BezierPath::setAssociatedPoints(int index, const std::array<QPointF, 3>& points)
{
    if (index < 0 || index >= elementCount())
        raise(NSRangeException, QStringLiteral("pf::BezierPath: element index %1 beyond count %2").arg(index).arg(elementCount()));
    Element& element = m_elements[index];
    for (int i = 0; i < element.pointCount(); ++i)
        element.points[i] = points[i];
}

QPointF BezierPath::currentPoint() const
{
    if (m_elements.isEmpty())
        return QPointF();
    const Element& last = m_elements.last();
    if (last.type == ElementType::ClosePath)
        return subpathStart(elementCount() - 1);
    return last.points[last.pointCount() - 1];
}

QPointF BezierPath::firstPoint() const
{
    return m_elements.isEmpty() ? QPointF() : m_elements.first().points[0];
}

int BezierPath::subpathCount() const
{
    return int(std::count_if(m_elements.begin(), m_elements.end(),
                             [](const Element& e) { return e.type == ElementType::MoveTo; }));
}

// Settings.

void BezierPath::setFlatness(double flatness)
{
    m_flatness = std::isfinite(flatness) && flatness > 0.0 ? flatness : defaultFlatness();
}

void BezierPath::setLineDash(const QList<double>& pattern, double phase)
{
    const bool usable = std::all_of(pattern.begin(), pattern.end(), [](double d) { return std::isfinite(d) && d >= 0.0; }) &&
                        std::any_of(pattern.begin(), pattern.end(), [](double d) { return d > 0.0; });
    m_dashPattern = usable ? pattern : QList<double>();
    m_dashPhase = std::isfinite(phase) ? phase : 0.0;
}

double BezierPath::defaultLineWidth()
{
    return g_defaultLineWidth.load(std::memory_order_relaxed);
}

void BezierPath::setDefaultLineWidth(double width)
{
    if (std::isfinite(width) && width >= 0.0)
        g_defaultLineWidth.store(width, std::memory_order_relaxed);
}

double BezierPath::defaultFlatness()
{
    return g_defaultFlatness.load(std::memory_order_relaxed);
}

void BezierPath::setDefaultFlatness(double flatness)
{
    if (std::isfinite(flatness) && flatness > 0.0)
        g_defaultFlatness.store(flatness, std::memory_order_relaxed);
}

double BezierPath::defaultMiterLimit()
{
    return g_defaultMiterLimit.load(std::memory_order_relaxed);
}

void BezierPath::setDefaultMiterLimit(double limit)
{
    if (std::isfinite(limit) && limit > 0.0)
        g_defaultMiterLimit.store(limit, std::memory_order_relaxed);
}

// Geometry.

QRectF BezierPath::controlPointBounds() const
{
    PointBounds bounds;
    for (const Element& e : m_elements) {
        for (int i = 0; i < e.pointCount(); ++i)
            bounds.add(e.points[i]);
    }
    return bounds.rect();
}

QRectF BezierPath::bounds() const
{
    PointBounds bounds;
    QPointF current;
    for (qsizetype i = 0; i < m_elements.size(); ++i) {
        const Element& e = m_elements[i];
        switch (e.type) {
        case ElementType::MoveTo:
        case ElementType::LineTo:
            bounds.add(e.points[0]);
            current = e.points[0];
            break;
        case ElementType::CurveTo: {
            bounds.add(e.points[2]);
            // The extremes lie where the derivative, a quadratic, vanishes: solved in closed form
            // (lib2geom's root finder could search for a minute on a damaged curve).
            for (double t : cubicExtremeTimes(current, e.points[0], e.points[1], e.points[2]))
                bounds.add(cubicPointAt(current, e.points[0], e.points[1], e.points[2], t));
            current = e.points[2];
            break;
        }
        case ElementType::ClosePath:
            current = subpathStart(int(i));
            break;
        }
    }
    return bounds.rect();
}

bool BezierPath::containsPoint(const QPointF& point) const
{
    return toQPainterPath().contains(point);
}

bool BezierPath::strokeContainsPoint(const QPointF& point, double width) const
{
    if (!(width > 0.0) || !std::isfinite(width))
        return false;
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(qtCap(m_lineCap));
    stroker.setJoinStyle(qtJoin(m_lineJoin));
    stroker.setMiterLimit(usableMiterLimit(m_miterLimit));
    return stroker.createStroke(toQPainterPath()).contains(point);
}

void BezierPath::transform(const QTransform& transform)
{
    for (Element& e : m_elements) {
        for (int i = 0; i < e.pointCount(); ++i)
            e.points[i] = transform.map(e.points[i]);
    }
}

Ref<BezierPath> BezierPath::transformed(const QTransform& transform) const
{
    auto result = std::make_shared<BezierPath>(*this);
    // The copy gets a list of exactly its elements: transforming the shared one in place would
    // copy it with all the spare room it grew into while being built, kept for good by every
    // shape of a large drawing.
    QList<Element> elements;
    elements.reserve(m_elements.size());
    for (const Element& e : m_elements) {
        Element& mapped = elements.emplace_back(e);
        for (int i = 0; i < mapped.pointCount(); ++i)
            mapped.points[i] = transform.map(mapped.points[i]);
    }
    result->m_elements = std::move(elements);
    return result;
}

Ref<BezierPath> BezierPath::flattened(double flatness) const
{
    const double tolerance = flatness > 0.0 ? flatness : defaultFlatness(); // NaN fails the test too
    auto result = std::make_shared<BezierPath>(*this);
    result->m_elements.clear();
    QPointF current;
    for (qsizetype i = 0; i < m_elements.size(); ++i) {
        const Element& e = m_elements[i];
        switch (e.type) {
        case ElementType::MoveTo:
            result->m_elements.append(e);
            current = e.points[0];
            break;
        case ElementType::LineTo:
            result->m_elements.append(e);
            current = e.points[0];
            break;
        case ElementType::CurveTo:
            flattenCurve(*result, current, e.points[0], e.points[1], e.points[2], tolerance, 0);
            current = e.points[2];
            break;
        case ElementType::ClosePath:
            result->m_elements.append(e);
            current = subpathStart(int(i));
            break;
        }
    }
    return result;
}

Ref<BezierPath> BezierPath::reversed() const
{
    auto result = std::make_shared<BezierPath>(*this);
    QList<Element>& out = result->m_elements;
    out.clear();
    out.reserve(m_elements.size() + subpathCount());

    qsizetype begin = 0;
    while (begin < m_elements.size()) {
        qsizetype end = begin + 1;
        while (end < m_elements.size() && m_elements[end].type != ElementType::MoveTo)
            ++end;
        const bool closed = m_elements[end - 1].type == ElementType::ClosePath;
        const qsizetype segmentsEnd = closed ? end - 1 : end;

        // The on-curve point each segment starts from.
        const auto startOf = [&](qsizetype segment) {
            const Element& previous = m_elements[segment - 1];
            return previous.points[previous.pointCount() - 1];
        };
        const auto reversedSegment = [&](qsizetype segment) {
            const Element& e = m_elements[segment];
            Element r;
            r.type = e.type;
            if (e.type == ElementType::CurveTo)
                r.points = {e.points[1], e.points[0], startOf(segment)};
            else
                r.points[0] = startOf(segment);
            return r;
        };

        const QPointF start = m_elements[begin].points[0];
        const QPointF last = segmentsEnd > begin + 1 ? m_elements[segmentsEnd - 1].points[m_elements[segmentsEnd - 1].pointCount() - 1] : start;
        if (closed) {
            out.append(Element{ElementType::MoveTo, {start}});
            if (last != start)
                out.append(Element{ElementType::LineTo, {last}});
            for (qsizetype s = segmentsEnd - 1; s > begin; --s) {
                if (s == begin + 1 && m_elements[s].type == ElementType::LineTo)
                    break; // the close draws it
                out.append(reversedSegment(s));
            }
            out.append(Element{ElementType::ClosePath, {}});
        } else {
            out.append(Element{ElementType::MoveTo, {last}});
            for (qsizetype s = segmentsEnd - 1; s > begin; --s)
                out.append(reversedSegment(s));
        }
        begin = end;
    }
    return result;
}

// Painting.

namespace {

// The last path a thread drew, and its QPainterPath. A fill and a stroke of one shape, or the
// paths copied from one another, share their element list: the second answer comes from here.
// Holding a copy of the list keeps its storage alive and unchanged (a change to a shared list
// detaches), so a list at the same address is the same list.
struct PainterPathMemo {
    QList<BezierPath::Element> elements;
    Qt::FillRule fillRule = Qt::WindingFill;
    QPainterPath path;
};

thread_local PainterPathMemo t_painterPathMemo;

// The raster engine sets up its pen or brush afresh unless it is handed the very one it had
// (the same shared data), so equal pens and brushes in a row are handed over as one. Only
// plain colours are kept: a kept pixmap could outlive the application at thread exit.
thread_local QPen t_lastPen;
thread_local QBrush t_lastBrush;

const QPen& reusedPen(const QPen& pen)
{
    if (pen.brush().style() != Qt::SolidPattern)
        return pen;
    if (!(pen == t_lastPen))
        t_lastPen = pen;
    return t_lastPen;
}

const QBrush& reusedBrush(const QBrush& brush)
{
    if (brush.style() != Qt::SolidPattern)
        return brush;
    if (!(brush == t_lastBrush))
        t_lastBrush = brush;
    return t_lastBrush;
}

} // namespace

QPainterPath BezierPath::toQPainterPath() const
{
    const Qt::FillRule fillRule = m_windingRule == WindingRule::EvenOdd ? Qt::OddEvenFill : Qt::WindingFill;
    PainterPathMemo& memo = t_painterPathMemo;
    if (!m_elements.isEmpty() && memo.elements.constData() == m_elements.constData() &&
        memo.elements.size() == m_elements.size() && memo.fillRule == fillRule)
        return memo.path;
    QPainterPath path;
    path.setFillRule(fillRule);
    // A curve is three elements of a QPainterPath, a close may add a line.
    qsizetype needed = m_elements.size() + 1;
    for (const Element& e : m_elements)
        if (e.type == ElementType::CurveTo)
            needed += 2;
    path.reserve(int(needed));
    for (const Element& e : m_elements) {
        switch (e.type) {
        case ElementType::MoveTo:
            path.moveTo(e.points[0]);
            break;
        case ElementType::LineTo:
            path.lineTo(e.points[0]);
            break;
        case ElementType::CurveTo:
            path.cubicTo(e.points[0], e.points[1], e.points[2]);
            break;
        case ElementType::ClosePath:
            path.closeSubpath();
            break;
        }
    }
    if (!m_elements.isEmpty()) {
        memo.elements = m_elements;
        memo.fillRule = fillRule;
        memo.path = path;
    }
    return path;
}

QPen BezierPath::pen(const QBrush& brush) const
{
    // Zero makes Qt's cosmetic pen, one device pixel wide whatever the transform.
    const double width = std::isfinite(m_lineWidth) && m_lineWidth > 0.0 ? m_lineWidth : 0.0;
    QPen pen(brush, width, Qt::SolidLine, qtCap(m_lineCap), qtJoin(m_lineJoin));
    pen.setMiterLimit(usableMiterLimit(m_miterLimit));
    if (!m_dashPattern.isEmpty()) {
        // QPen measures dashes in pen widths, and a cosmetic pen is one pixel wide.
        const double unit = width > 0.0 ? width : 1.0;
        QList<qreal> pattern;
        for (double length : m_dashPattern)
            pattern.append(length / unit);
        // An odd pattern repeats to make pairs of dash and gap; Qt would pad it instead.
        if (pattern.size() % 2 != 0)
            pattern += QList<qreal>(pattern);
        pen.setDashPattern(pattern);
        pen.setDashOffset(m_dashPhase / unit);
    }
    return pen;
}

namespace {

} // namespace

std::optional<QRectF> axisAlignedRectangle(const QList<BezierPath::Element>& elements)
{
    using Type = BezierPath::ElementType;
    const qsizetype n = elements.size();
    if (n != 5 && n != 6)
        return std::nullopt;
    if (elements[0].type != Type::MoveTo || elements[n - 1].type != Type::ClosePath)
        return std::nullopt;
    QPointF p[4];
    p[0] = elements[0].points[0];
    for (int i = 1; i < 4; ++i) {
        if (elements[i].type != Type::LineTo)
            return std::nullopt;
        p[i] = elements[i].points[0];
    }
    if (n == 6 && (elements[4].type != Type::LineTo || elements[4].points[0] != p[0]))
        return std::nullopt;
    const bool alongX = p[0].y() == p[1].y() && p[1].x() == p[2].x() && p[2].y() == p[3].y() && p[3].x() == p[0].x();
    const bool alongY = p[0].x() == p[1].x() && p[1].y() == p[2].y() && p[2].x() == p[3].x() && p[3].y() == p[0].y();
    if (!alongX && !alongY)
        return std::nullopt;
    const QRectF rect = QRectF(p[0], p[2]).normalized();
    if (!(rect.width() > 0.0) || !(rect.height() > 0.0))
        return std::nullopt;
    return rect;
}

void BezierPath::fill(QPainter& painter, const QBrush& brush) const
{
    // An antialiased rectangle takes the raster engine's rectangle path, twice as fast as a
    // general outline (its edge pixels may differ by a level or two of 255). Without
    // antialiasing the two choose edge pixels differently, so the outline is kept.
    if (painter.testRenderHint(QPainter::Antialiasing)) {
        if (const std::optional<QRectF> rect = axisAlignedRectangle(m_elements)) {
            painter.fillRect(*rect, reusedBrush(brush));
            return;
        }
    }
    painter.fillPath(toQPainterPath(), reusedBrush(brush));
}

void BezierPath::stroke(QPainter& painter, const QBrush& brush) const
{
    const QPen drawn = pen(brush);
    const QPainterPath path = toQPainterPath();
    // Long lines over many rows: the engine's own fill of their outline costs their length
    // times their height.
    if (!StripStroker::stroke(painter, path, drawn))
        painter.strokePath(path, reusedPen(drawn));
}

// Object.

Ref<Object> BezierPath::copy() const
{
    return std::make_shared<BezierPath>(*this);
}

bool BezierPath::isEqual(const Reflective* other) const
{
    if (other == this)
        return true;
    const auto* path = dynamic_cast<const BezierPath*>(other);
    return path && m_elements == path->m_elements && m_lineWidth == path->m_lineWidth &&
           m_lineCap == path->m_lineCap && m_lineJoin == path->m_lineJoin && m_miterLimit == path->m_miterLimit &&
           m_flatness == path->m_flatness && m_windingRule == path->m_windingRule &&
           m_dashPattern == path->m_dashPattern && m_dashPhase == path->m_dashPhase;
}

size_t BezierPath::hash() const
{
    // Points compare within a tolerance, so only what compares exactly goes into the hash.
    size_t seed = qHash(m_elements.size());
    for (const Element& e : m_elements)
        seed = qHashMulti(seed, int(e.type));
    return qHashMulti(seed, int(m_lineCap), int(m_lineJoin), int(m_windingRule));
}

QString BezierPath::description() const
{
    const QRectF box = bounds();
    QString text = QStringLiteral("<%1: 0x%2> %3 elements, bounds {%4, %5, %6, %7}")
                       .arg(className())
                       .arg(quintptr(this), 0, 16)
                       .arg(elementCount())
                       .arg(box.x())
                       .arg(box.y())
                       .arg(box.width())
                       .arg(box.height());
    for (const Element& e : m_elements) {
        switch (e.type) {
        case ElementType::MoveTo:
            text += QStringLiteral("\n    %1 moveto").arg(formatPoint(e.points[0]));
            break;
        case ElementType::LineTo:
            text += QStringLiteral("\n    %1 lineto").arg(formatPoint(e.points[0]));
            break;
        case ElementType::CurveTo:
            text += QStringLiteral("\n    %1 %2 %3 curveto")
                        .arg(formatPoint(e.points[0]), formatPoint(e.points[1]), formatPoint(e.points[2]));
            break;
        case ElementType::ClosePath:
            text += QStringLiteral("\n    closepath");
            break;
        }
    }
    return text;
}

// Archiving.

void BezierPath::encodeWithCoder(KeyedArchiver& coder) const
{
    // Each element its type byte, then its points as little-endian doubles, x before y; sized
    // once and filled in place, as large drawings write hundreds of thousands of these.
    qsizetype length = 0;
    for (const Element& e : m_elements)
        length += 1 + 2 * qsizetype(sizeof(double)) * e.pointCount();
    QVarLengthArray<char, 1024> blob(length);
    char* at = blob.data();
    for (const Element& e : m_elements) {
        *at++ = char(quint8(e.type));
        for (int i = 0; i < e.pointCount(); ++i) {
            qToLittleEndian(e.points[i].x(), at);
            qToLittleEndian(e.points[i].y(), at + sizeof(double));
            at += 2 * sizeof(double);
        }
    }
    coder.encodeInt64(m_elements.size(), kElementCountKey);
    coder.encodeBytes(blob.constData(), blob.size(), kElementsKey);
    coder.encodeDouble(m_lineWidth, kLineWidthKey);
    coder.encodeDouble(m_miterLimit, kMiterLimitKey);
    coder.encodeDouble(m_flatness, kFlatnessKey);
    coder.encodeInt32(int(m_lineCap), kLineCapKey);
    coder.encodeInt32(int(m_lineJoin), kLineJoinKey);
    coder.encodeInt32(int(m_windingRule), kWindingRuleKey);
    if (!m_dashPattern.isEmpty()) {
        coder.encodeData(doublesBlob(m_dashPattern), kDashPatternKey);
        coder.encodeDouble(m_dashPhase, kDashPhaseKey);
    }
}

void BezierPath::initWithCoder(KeyedUnarchiver& coder)
{
    m_elements.clear();
    if (coder.containsValueForKey(kElementsKey) &&
        !readElements(coder.decodeData(kElementsKey), coder.decodeInt64(kElementCountKey), &m_elements))
        PF_LOG("pf::BezierPath: the archived elements are damaged; decoding an empty path");

    const auto decodeFinite = [&](const QString& key, double minimum, double* out) {
        if (!coder.containsValueForKey(key))
            return;
        const double value = coder.decodeDouble(key);
        if (std::isfinite(value) && value >= minimum)
            *out = value;
    };
    decodeFinite(kLineWidthKey, 0.0, &m_lineWidth);
    decodeFinite(kMiterLimitKey, std::numeric_limits<double>::min(), &m_miterLimit);
    decodeFinite(kFlatnessKey, std::numeric_limits<double>::min(), &m_flatness);

    const auto decodeEnum = [&](const QString& key, int last) {
        const qint32 value = coder.decodeInt32(key);
        return value >= 0 && value <= last ? value : 0;
    };
    m_lineCap = LineCap(decodeEnum(kLineCapKey, int(LineCap::Square)));
    m_lineJoin = LineJoin(decodeEnum(kLineJoinKey, int(LineJoin::Bevel)));
    m_windingRule = WindingRule(decodeEnum(kWindingRuleKey, int(WindingRule::EvenOdd)));
    setLineDash(doublesFromBlob(coder.decodeData(kDashPatternKey)), coder.decodeDouble(kDashPhaseKey));
}

} // namespace pf
