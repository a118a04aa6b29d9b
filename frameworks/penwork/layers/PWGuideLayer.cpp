#include "frameworks/penwork/layers/PWGuideLayer.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"

#include <QPen>

#include <cmath>

namespace {

const QString kHorizontalKey = QStringLiteral("pw_guides_horizontal");
const QString kVerticalKey = QStringLiteral("pw_guides_vertical");
const QString kDeletionRectKey = QStringLiteral("pw_guides_deletionRect");

// A damaged archive must not make us allocate without bound.
constexpr qsizetype kMaxGuides = 100000;

QVariantList toList(const QList<double>& values)
{
    QVariantList list;
    for (double value : values)
        list.append(value);
    return list;
}

QList<double> fromList(const QVariant& stored)
{
    QList<double> values;
    for (const QVariant& value : stored.toList()) {
        if (values.size() >= kMaxGuides)
            break;
        if (pf::isNumber(value) && std::isfinite(value.toDouble()))
            values.append(value.toDouble());
    }
    return values;
}

} // namespace

PF_DEFINE_CLASS(PWGuideLayer, PWLayer)
{
    b.protocol(pf::kCodingProtocol);
    b.property("horizontalGuides", std::function<QVariant(const PWGuideLayer&)>([](const PWGuideLayer& layer) {
                   return QVariant(toList(layer.horizontalGuides()));
               }),
               {});
    b.property("verticalGuides", std::function<QVariant(const PWGuideLayer&)>([](const PWGuideLayer& layer) {
                   return QVariant(toList(layer.verticalGuides()));
               }),
               {});
    b.property("countOfGuides", &PWGuideLayer::countOfGuides);
    b.property("hasGuides", &PWGuideLayer::hasGuides);
    b.property("guideDeletionRect", &PWGuideLayer::guideDeletionRect, &PWGuideLayer::setGuideDeletionRect);
    b.property("snapTolerance", &PWGuideLayer::snapTolerance, &PWGuideLayer::setSnapTolerance);
    b.method("clearGuides:", std::function<QVariant(PWGuideLayer&, const QVariantList&)>(
                                 [](PWGuideLayer& layer, const QVariantList&) {
                                     layer.clearGuides();
                                     return QVariant();
                                 }));
    b.method("addHorizontalGuide:", &PWGuideLayer::addHorizontalGuide);
    b.method("addVerticalGuide:", &PWGuideLayer::addVerticalGuide);
    b.method("removeHorizontalGuide:", &PWGuideLayer::removeHorizontalGuide);
    b.method("removeVerticalGuide:", &PWGuideLayer::removeVerticalGuide);
}

PWGuideLayer::PWGuideLayer()
{
    setSelectionColour(QColor(Qt::cyan));
}

void PWGuideLayer::addHorizontalGuide(double y)
{
    addGuide(Axis::Horizontal, y);
}

void PWGuideLayer::addVerticalGuide(double x)
{
    addGuide(Axis::Vertical, x);
}

bool PWGuideLayer::removeHorizontalGuide(double y)
{
    return removeGuide(Axis::Horizontal, y);
}

bool PWGuideLayer::removeVerticalGuide(double x)
{
    return removeGuide(Axis::Vertical, x);
}

bool PWGuideLayer::moveHorizontalGuide(double from, double to)
{
    return moveGuide(Axis::Horizontal, from, to);
}

bool PWGuideLayer::moveVerticalGuide(double from, double to)
{
    return moveGuide(Axis::Vertical, from, to);
}

void PWGuideLayer::addGuide(Axis axis, double position)
{
    if (!std::isfinite(position))
        return;
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, [this, axis, position] { removeGuide(axis, position); });
    const QString key = axis == Axis::Horizontal ? QStringLiteral("horizontalGuides") : QStringLiteral("verticalGuides");
    willChangeValueForKey(key);
    guides(axis).append(position);
    didChangeValueForKey(key);
    guideChanged(position, axis);
    pf::NotificationCenter::defaultCenter().post(kPWGuideLayerDidAddGuide, this);
}

bool PWGuideLayer::removeGuide(Axis axis, double position)
{
    QList<double>& list = guides(axis);
    const qsizetype index = list.indexOf(position);
    if (index < 0)
        return false;
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, [this, axis, position] { addGuide(axis, position); });
    const QString key = axis == Axis::Horizontal ? QStringLiteral("horizontalGuides") : QStringLiteral("verticalGuides");
    willChangeValueForKey(key);
    list.removeAt(index);
    didChangeValueForKey(key);
    guideChanged(position, axis);
    pf::NotificationCenter::defaultCenter().post(kPWGuideLayerDidRemoveGuide, this);
    return true;
}

bool PWGuideLayer::moveGuide(Axis axis, double from, double to)
{
    QList<double>& list = guides(axis);
    const qsizetype index = list.indexOf(from);
    if (index < 0 || !std::isfinite(to))
        return false;
    if (!m_deletionRect.isNull()) {
        const bool inside = axis == Axis::Horizontal ? (to >= m_deletionRect.top() && to <= m_deletionRect.bottom())
                                                     : (to >= m_deletionRect.left() && to <= m_deletionRect.right());
        if (!inside)
            return removeGuide(axis, from);
    }
    if (to == from)
        return true;
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, [this, axis, from, to] { moveGuide(axis, to, from); });
    const QString key = axis == Axis::Horizontal ? QStringLiteral("horizontalGuides") : QStringLiteral("verticalGuides");
    willChangeValueForKey(key);
    list[index] = to;
    didChangeValueForKey(key);
    guideChanged(from, axis);
    guideChanged(to, axis);
    return true;
}

void PWGuideLayer::clearGuides()
{
    if (!hasGuides())
        return;
    willChangeValueForKey(QStringLiteral("horizontalGuides"));
    willChangeValueForKey(QStringLiteral("verticalGuides"));
    m_horizontal.clear();
    m_vertical.clear();
    didChangeValueForKey(QStringLiteral("verticalGuides"));
    didChangeValueForKey(QStringLiteral("horizontalGuides"));
    setNeedsDisplay(true);
    pf::NotificationCenter::defaultCenter().post(kPWGuideLayerDidRemoveGuide, this);
}

void PWGuideLayer::guideChanged(double position, Axis axis)
{
    PWDrawing* drawing = this->drawing();
    if (!drawing)
        return;
    const QSizeF size = drawing->drawingSize();
    // A thin band round the line covers its antialiased pixels.
    if (axis == Axis::Horizontal)
        setNeedsDisplayInRect(QRectF(0, position - 2, size.width(), 4));
    else
        setNeedsDisplayInRect(QRectF(position - 2, 0, 4, size.height()));
}

void PWGuideLayer::setSnapTolerance(double tolerance)
{
    if (std::isfinite(tolerance) && tolerance >= 0.0)
        m_tolerance = tolerance;
}

bool PWGuideLayer::nearestOffset(const QList<double>& positions, double position, double* offset) const
{
    bool found = false;
    for (double guide : positions) {
        const double delta = guide - position;
        if (std::abs(delta) <= m_tolerance && (!found || std::abs(delta) < std::abs(*offset))) {
            *offset = delta;
            found = true;
        }
    }
    return found;
}

QPointF PWGuideLayer::snapPointToGuides(const QPointF& point) const
{
    if (!visible())
        return point;
    QPointF snapped = point;
    double offset = 0.0;
    if (nearestOffset(m_vertical, point.x(), &offset))
        snapped.setX(point.x() + offset);
    if (nearestOffset(m_horizontal, point.y(), &offset))
        snapped.setY(point.y() + offset);
    return snapped;
}

QSizeF PWGuideLayer::snapPointsToGuide(const QList<QPointF>& points) const
{
    if (!visible())
        return QSizeF(0, 0);
    bool foundX = false, foundY = false;
    double dx = 0.0, dy = 0.0;
    for (const QPointF& point : points) {
        double offset = 0.0;
        if (nearestOffset(m_vertical, point.x(), &offset) && (!foundX || std::abs(offset) < std::abs(dx))) {
            dx = offset;
            foundX = true;
        }
        if (nearestOffset(m_horizontal, point.y(), &offset) && (!foundY || std::abs(offset) < std::abs(dy))) {
            dy = offset;
            foundY = true;
        }
    }
    return QSizeF(dx, dy);
}

bool PWGuideLayer::hitLayer(const QPointF& point) const
{
    double offset = 0.0;
    return nearestOffset(m_vertical, point.x(), &offset) || nearestOffset(m_horizontal, point.y(), &offset);
}

bool PWGuideLayer::respondsTo(const QString& selector) const
{
    if (selector == QLatin1String("duplicateLayer"))
        return false;
    return PWLayer::respondsTo(selector);
}

void PWGuideLayer::drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting)
{
    if (!hasGuides())
        return;
    PWDrawing* drawing = this->drawing();
    const QRectF extent = drawing ? QRectF(QPointF(0, 0), drawing->drawingSize()) : rect;
    const QRectF area = rect.isNull() ? extent : extent.intersected(rect);
    if (area.isEmpty())
        return;
    QPainter& painter = context.painter();
    painter.save();
    QPen pen(selectionColour().isValid() ? selectionColour() : QColor(Qt::cyan));
    pen.setCosmetic(true);
    pen.setWidthF(1.0);
    painter.setPen(pen);
    for (double y : m_horizontal)
        if (y >= area.top() && y <= area.bottom())
            painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    for (double x : m_vertical)
        if (x >= area.left() && x <= area.right())
            painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    painter.restore();
}

void PWGuideLayer::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWLayer::encodeWithCoder(coder);
    coder.encodePropertyListValue(toList(m_horizontal), kHorizontalKey);
    coder.encodePropertyListValue(toList(m_vertical), kVerticalKey);
    coder.encodeRect(m_deletionRect, kDeletionRectKey);
}

void PWGuideLayer::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWLayer::initWithCoder(coder);
    m_horizontal = fromList(coder.decodePropertyListValue(kHorizontalKey));
    m_vertical = fromList(coder.decodePropertyListValue(kVerticalKey));
    const QRectF rect = coder.decodeRect(kDeletionRectKey);
    if (std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width()) && std::isfinite(rect.height()))
        m_deletionRect = rect.normalized();
}
