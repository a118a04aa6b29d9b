#include "frameworks/penwork/view/PWRulerView.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/tools/PWToolController.h"
#include "frameworks/penwork/view/PWDrawingScrollArea.h"
#include "frameworks/penwork/view/PWDrawingView.h"

#include "platform/graphics/GraphicsContext.h"

#include <QMutex>
#include <QMutexLocker>
#include <QPainter>

#include <algorithm>

#include <cmath>

PF_DEFINE_CLASS(PWRulerView, pf::RulerView) {}

PWRulerView::PWRulerView(Qt::Orientation orientation, QWidget* parent) : pf::RulerView(orientation, parent)
{
    setRuleThickness(PWDrawingScrollArea::kRulerThickness);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PWDrawingView* PWRulerView::drawingView() const
{
    return qobject_cast<PWDrawingView*>(m_view.data());
}

void PWRulerView::setDrawingView(PWDrawingView* view)
{
    m_view = view;
    setNeedsDisplay(true);
}

namespace {

// Registered units in registration order; rulers of any thread may look them up.
struct UnitRegistry {
    QMutex mutex;
    QList<PWRulerView::Unit> units;
};

UnitRegistry& unitRegistry()
{
    static UnitRegistry registry;
    return registry;
}

bool isValidCycle(const QList<double>& cycle, bool up)
{
    if (cycle.isEmpty())
        return false;
    return std::all_of(cycle.begin(), cycle.end(), [up](double factor) {
        return std::isfinite(factor) && (up ? factor > 1.0 : factor > 0.0 && factor < 1.0);
    });
}

// Bounds the walks through the cycles whatever the scale.
constexpr int kMaximumCycleSteps = 2000;
constexpr int kMaximumTicks = 20000;

double pixelsPerUnit(const PWRulerView::Unit& unit, double scale)
{
    const double pixels = unit.pointsPerUnit * scale;
    return std::isfinite(pixels) && pixels > 0 ? pixels : 0.0;
}

} // namespace

bool PWRulerView::registerUnit(const QString& name, const QString& abbreviation, double pointsPerUnit,
                               const QList<double>& stepUpCycle, const QList<double>& stepDownCycle)
{
    if (name.isEmpty() || abbreviation.isEmpty() || !std::isfinite(pointsPerUnit) || pointsPerUnit <= 0
        || !isValidCycle(stepUpCycle, true) || !isValidCycle(stepDownCycle, false))
        return false;
    UnitRegistry& registry = unitRegistry();
    QMutexLocker lock(&registry.mutex);
    Unit unit{name, abbreviation, pointsPerUnit, stepUpCycle, stepDownCycle};
    for (Unit& existing : registry.units) {
        if (existing.name.compare(name, Qt::CaseInsensitive) == 0) {
            existing = unit;
            return true;
        }
    }
    registry.units.append(unit);
    return true;
}

std::optional<PWRulerView::Unit> PWRulerView::registeredUnit(const QString& nameOrAbbreviation)
{
    if (nameOrAbbreviation.isEmpty())
        return std::nullopt;
    UnitRegistry& registry = unitRegistry();
    QMutexLocker lock(&registry.mutex);
    // Names first: an abbreviation of one unit must not hide another unit's name.
    for (const Unit& unit : registry.units)
        if (unit.name.compare(nameOrAbbreviation, Qt::CaseInsensitive) == 0)
            return unit;
    for (const Unit& unit : registry.units)
        if (unit.abbreviation.compare(nameOrAbbreviation, Qt::CaseInsensitive) == 0)
            return unit;
    return std::nullopt;
}

QStringList PWRulerView::registeredUnitNames()
{
    UnitRegistry& registry = unitRegistry();
    QMutexLocker lock(&registry.mutex);
    QStringList names;
    for (const Unit& unit : registry.units)
        names.append(unit.name);
    return names;
}

PWRulerView::Unit PWRulerView::unitForDrawingUnits(const QString& name, const QString& abbreviation,
                                                   double pointsPerUnit)
{
    if (std::optional<Unit> unit = registeredUnit(name))
        return *unit;
    if (std::optional<Unit> unit = registeredUnit(abbreviation))
        return *unit;
    // 1, 2, 5, 10 ... up; halves then fifths down.
    return Unit{name, abbreviation, pointsPerUnit, {2.0, 2.5, 2.0}, {0.5, 0.2}};
}

std::optional<PWRulerView::Unit> PWRulerView::currentUnit() const
{
    PWDrawingView* view = drawingView();
    pf::Ref<PWDrawing> drawing = view ? view->drawing() : nullptr;
    if (!drawing)
        return std::nullopt;
    return unitForDrawingUnits(drawing->drawingUnits(), drawing->abbreviatedDrawingUnits(),
                               drawing->unitToPointsConversionFactor());
}

double PWRulerView::labelStep(const Unit& unit, double scale)
{
    const double pixels = pixelsPerUnit(unit, scale);
    if (pixels == 0 || unit.stepUpCycle.isEmpty() || unit.stepDownCycle.isEmpty())
        return 1.0;
    double step = 1.0;
    if (step * pixels < kMinimumLabelSpacing) {
        for (int i = 0; step * pixels < kMinimumLabelSpacing && i < kMaximumCycleSteps; ++i)
            step *= unit.stepUpCycle[i % unit.stepUpCycle.size()];
    } else {
        for (int i = 0; i < kMaximumCycleSteps; ++i) {
            const double closer = step * unit.stepDownCycle[i % unit.stepDownCycle.size()];
            if (closer * pixels < kMinimumLabelSpacing)
                break;
            step = closer;
        }
    }
    return std::isfinite(step) && step > 0 ? step : 1.0;
}

double PWRulerView::tickStep(const Unit& unit, double scale)
{
    const double pixels = pixelsPerUnit(unit, scale);
    double step = labelStep(unit, scale);
    if (pixels == 0 || unit.stepDownCycle.isEmpty())
        return step;
    for (int i = 0; i < kMaximumCycleSteps; ++i) {
        const double finer = step * unit.stepDownCycle[i % unit.stepDownCycle.size()];
        if (finer * pixels < kMinimumTickSpacing || finer <= 0)
            break;
        step = finer;
    }
    return step;
}

double PWRulerView::rulerPosition(double drawingCoordinate) const
{
    // The view's bounds are drawing coordinates.
    const QPointF here = convertPointFromView(QPointF(drawingCoordinate, drawingCoordinate), drawingView());
    return orientation() == Qt::Horizontal ? here.x() : here.y();
}

void PWRulerView::drawRect(const QRectF&)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    const QRectF area = bounds();
    painter.fillRect(area, palette().window());
    PWDrawingView* view = drawingView();
    pf::Ref<PWDrawing> drawing = view ? view->drawing() : nullptr;
    const bool horizontal = orientation() == Qt::Horizontal;
    const double length = horizontal ? area.width() : area.height();
    const double thickness = horizontal ? area.height() : area.width();
    painter.setPen(palette().mid().color());
    if (horizontal)
        painter.drawLine(QPointF(0, thickness - 0.5), QPointF(length, thickness - 0.5));
    else
        painter.drawLine(QPointF(thickness - 0.5, 0), QPointF(thickness - 0.5, length));
    if (!drawing)
        return;

    const Unit unit = *currentUnit();
    const double step = labelStep(unit, view->scale());
    const double tick = tickStep(unit, view->scale());
    const double tickPoints = tick * unit.pointsPerUnit;
    if (!(tickPoints > 0) || !std::isfinite(tickPoints) || !(view->scale() > 0))
        return;
    // Whole ticks per label and per first subdivision, so labels fall on ticks.
    const qint64 ticksPerLabel = std::max<qint64>(1, std::llround(step / tick));
    const qint64 ticksPerHalf = std::max<qint64>(1, std::llround(step * unit.stepDownCycle.first() / tick));
    // The drawing range the ruler covers.
    const double start = horizontal ? drawingPoint(QPointF(0, 0)).x() : drawingPoint(QPointF(0, 0)).y();
    const double end = start + length / view->scale();

    // Ruler markers first, under the ticks.
    const QRectF markers = view->rulerMarkerRect();
    if (!markers.isNull()) {
        const double a = rulerPosition(horizontal ? markers.left() : markers.top());
        const double b = rulerPosition(horizontal ? markers.right() : markers.bottom());
        const QRectF band = horizontal ? QRectF(a, 0, b - a, thickness) : QRectF(0, a, thickness, b - a);
        painter.fillRect(band, palette().highlight().color().lighter(160));
    }

    QFont font = painter.font();
    font.setPointSizeF(7.5);
    painter.setFont(font);
    painter.setPen(palette().windowText().color());
    const qint64 first = qint64(std::floor(start / tickPoints));
    const qint64 last = qint64(std::ceil(end / tickPoints));
    for (qint64 i = first; i <= last && i - first < kMaximumTicks; ++i) {
        const double at = rulerPosition(i * tickPoints);
        const bool labelled = i % ticksPerLabel == 0;
        const double height = labelled ? thickness : (i % ticksPerHalf == 0 ? thickness * 0.4 : thickness * 0.2);
        if (horizontal)
            painter.drawLine(QPointF(at, thickness - height), QPointF(at, thickness));
        else
            painter.drawLine(QPointF(thickness - height, at), QPointF(thickness, at));
        if (!labelled)
            continue;
        const QString label = QString::number(double(i / ticksPerLabel) * step, 'g', 6);
        if (horizontal) {
            painter.drawText(QPointF(at + 2, 9), label);
        } else {
            painter.save();
            painter.translate(9, at + 2);
            painter.rotate(90);
            painter.drawText(QPointF(0, 0), label);
            painter.restore();
        }
    }

    if (std::optional<QPointF> mouse = view->lastMouseLocation()) {
        const double at = rulerPosition(horizontal ? mouse->x() : mouse->y());
        painter.setPen(palette().highlight().color());
        if (horizontal)
            painter.drawLine(QPointF(at, 0), QPointF(at, thickness));
        else
            painter.drawLine(QPointF(0, at), QPointF(thickness, at));
    }
}

QPointF PWRulerView::drawingPoint(const QPointF& rulerPoint) const
{
    return drawingView()->convertPointFromView(rulerPoint, this);
}

void PWRulerView::mouseDown(const pf::Event& event)
{
    PWDrawingView* view = drawingView();
    if (!view || !view->drawing() || !view->toolController())
        return pf::RulerView::mouseDown(event);
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    m_draggingGuide = view->toolController()->beginGuideDragFromRuler(*view, orientation() == Qt::Horizontal,
                                                                       drawingPoint(point));
}

void PWRulerView::mouseDragged(const pf::Event& event)
{
    PWDrawingView* view = drawingView();
    if (!m_draggingGuide || !view)
        return pf::RulerView::mouseDragged(event);
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    view->toolController()->mouseDragged(*view, drawingPoint(point), pf::qtModifiersFromFlags(event.modifierFlags));
}

void PWRulerView::mouseUp(const pf::Event& event)
{
    PWDrawingView* view = drawingView();
    if (!m_draggingGuide || !view)
        return pf::RulerView::mouseUp(event);
    m_draggingGuide = false;
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    view->toolController()->mouseUp(*view, drawingPoint(point), pf::qtModifiersFromFlags(event.modifierFlags));
}
