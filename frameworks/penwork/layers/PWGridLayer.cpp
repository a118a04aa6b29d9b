#include "frameworks/penwork/layers/PWGridLayer.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"

#include <QImage>
#include <QPainter>
#include <QPen>

#include <cmath>

namespace {

const QString kSpanKey = QStringLiteral("pw_grid_span");
const QString kDivisionsKey = QStringLiteral("pw_grid_divisions");
const QString kMajorsKey = QStringLiteral("pw_grid_majors");
const QString kRulerStepsKey = QStringLiteral("pw_grid_rulerSteps");
const QString kThemeColourKey = QStringLiteral("pw_grid_themeColour");
const QString kSpanColourKey = QStringLiteral("pw_grid_spanColour");
const QString kDivisionColourKey = QStringLiteral("pw_grid_divisionColour");
const QString kMajorColourKey = QStringLiteral("pw_grid_majorColour");
const QString kPrintsKey = QStringLiteral("pw_grid_drawsToPrinter");
const QString kVerticalsKey = QStringLiteral("pw_grid_showsVerticalLines");

const QColor kDefaultTheme(64, 140, 210);

// More lines than this across the dirty area would be a grey smear: skip the finer ones.
constexpr double kMinimumDeviceSpacing = 3.0;

void encodeColour(pf::KeyedArchiver& coder, const QColor& colour, const QString& key)
{
    if (colour.isValid())
        coder.encodeObject(std::make_shared<pf::Color>(colour), key);
}

QColor decodeColour(pf::KeyedUnarchiver& coder, const QString& key, const QColor& fallback)
{
    auto colour = coder.decodeObjectOfClass<pf::Color>(key);
    return colour && colour->qColor().isValid() ? colour->qColor() : fallback;
}

int clampCount(qint64 value)
{
    return int(std::clamp<qint64>(value, 1, PWGridLayer::kMaxCount));
}

} // namespace

PF_DEFINE_CLASS(PWGridLayer, PWLayer)
{
    b.protocol(pf::kCodingProtocol);
    b.property("spanMultiplier", &PWGridLayer::spanMultiplier);
    b.property("divisions", &PWGridLayer::divisions);
    b.property("majors", &PWGridLayer::majors);
    b.property("rulerSteps", &PWGridLayer::rulerSteps);
    b.property("spanDistance", &PWGridLayer::spanDistance);
    b.keyPathsAffecting("spanDistance", {"spanMultiplier"});
    auto colourProperty = [&b](const char* key, QColor (PWGridLayer::*get)() const,
                               void (PWGridLayer::*set)(const QColor&)) {
        b.property(
            key, std::function<QVariant(const PWGridLayer&)>([get](const PWGridLayer& grid) {
                return PWLayer::colourValue((grid.*get)());
            }),
            std::function<void(PWGridLayer&, const QVariant&)>([set](PWGridLayer& grid, const QVariant& value) {
                (grid.*set)(PWLayer::colourFromValue(value));
            }));
    };
    colourProperty("spanColour", &PWGridLayer::spanColour, &PWGridLayer::setSpanColour);
    colourProperty("divisionColour", &PWGridLayer::divisionColour, &PWGridLayer::setDivisionColour);
    colourProperty("majorColour", &PWGridLayer::majorColour, &PWGridLayer::setMajorColour);
    colourProperty("themeColour", &PWGridLayer::themeColour, &PWGridLayer::setGridThemeColour);
    b.property("shouldDrawToPrinter", &PWGridLayer::shouldDrawToPrinter, &PWGridLayer::setShouldDrawToPrinter);
    b.property("showsVerticalLines", &PWGridLayer::showsVerticalLines, &PWGridLayer::setShowsVerticalLines);
    b.method("setSpan:divisions:majors:rulerSteps:", &PWGridLayer::setSpan);
    b.method("setGridThemeColour:", std::function<QVariant(PWGridLayer&, const QVariantList&)>(
                                        [](PWGridLayer& grid, const QVariantList& arguments) {
                                            grid.setGridThemeColour(PWLayer::colourFromValue(arguments.value(0)));
                                            return QVariant();
                                        }));
    b.method("tweakDrawingMargins", &PWGridLayer::tweakDrawingMargins);
    b.method("quartzDistanceForGridDistance:", &PWGridLayer::quartzDistanceForGridDistance);
    b.method("pointForGridLocation:", &PWGridLayer::pointForGridLocation);
    b.method("gridLocationForPoint:", &PWGridLayer::gridLocationForPoint);
}

PWGridLayer::PWGridLayer()
{
    setGridThemeColour(kDefaultTheme);
}

void PWGridLayer::setSpan(double span, int divisions, int majors, int rulerSteps)
{
    if (!std::isfinite(span) || span <= 0.0)
        return;
    divisions = clampCount(divisions);
    majors = clampCount(majors);
    rulerSteps = clampCount(rulerSteps);
    if (span == m_span && divisions == m_divisions && majors == m_majors && rulerSteps == m_rulerSteps)
        return;
    if (RVUndoManager* manager = undoManager()) {
        const double oldSpan = m_span;
        const int oldDivisions = m_divisions, oldMajors = m_majors, oldSteps = m_rulerSteps;
        manager->registerUndo(this, [this, oldSpan, oldDivisions, oldMajors, oldSteps] {
            setSpan(oldSpan, oldDivisions, oldMajors, oldSteps);
        });
    }
    const QStringList keys{"spanMultiplier", "divisions", "majors", "rulerSteps"};
    for (const QString& key : keys)
        willChangeValueForKey(key);
    m_span = span;
    m_divisions = divisions;
    m_majors = majors;
    m_rulerSteps = rulerSteps;
    for (auto it = keys.rbegin(); it != keys.rend(); ++it)
        didChangeValueForKey(*it);
    setNeedsDisplay(true);
}

double PWGridLayer::pointsPerUnit() const
{
    PWDrawing* drawing = this->drawing();
    return drawing ? drawing->unitToPointsConversionFactor() : 1.0;
}

double PWGridLayer::spanDistance() const
{
    return m_span * pointsPerUnit();
}

double PWGridLayer::divisionDistance() const
{
    return spanDistance() / m_divisions;
}

QPointF PWGridLayer::gridOrigin() const
{
    PWDrawing* drawing = this->drawing();
    return drawing ? drawing->interior().topLeft() : QPointF(0, 0);
}

QRectF PWGridLayer::gridArea(const QRectF& rect) const
{
    PWDrawing* drawing = this->drawing();
    const QRectF interior = drawing ? drawing->interior() : rect;
    return rect.isNull() ? interior : interior.intersected(rect);
}

void PWGridLayer::setColour(QColor& field, const QColor& colour, const QString& key)
{
    if (colour == field)
        return;
    if (RVUndoManager* manager = undoManager()) {
        const QColor old = field;
        manager->registerUndo(this, [this, old, key] { setValueForKey(PWLayer::colourValue(old), key); });
    }
    setObservedValue(field, colour, key);
    setNeedsDisplay(true);
}

void PWGridLayer::setSpanColour(const QColor& colour)
{
    setColour(m_spanColour, colour, QStringLiteral("spanColour"));
}

void PWGridLayer::setDivisionColour(const QColor& colour)
{
    setColour(m_divisionColour, colour, QStringLiteral("divisionColour"));
}

void PWGridLayer::setMajorColour(const QColor& colour)
{
    setColour(m_majorColour, colour, QStringLiteral("majorColour"));
}

void PWGridLayer::setGridThemeColour(const QColor& colour)
{
    if (!colour.isValid())
        return;
    setColour(m_themeColour, colour, QStringLiteral("themeColour"));
    QColor division = colour;
    division.setAlphaF(0.35f);
    QColor span = colour;
    span.setAlphaF(0.7f);
    setSpanColour(span);
    setDivisionColour(division);
    setMajorColour(colour.darker(130));
}

void PWGridLayer::setShouldDrawToPrinter(bool draws)
{
    if (draws == m_drawsToPrinter)
        return;
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, QStringLiteral("setShouldDrawToPrinter:"), m_drawsToPrinter);
    setObservedValue(m_drawsToPrinter, draws, QStringLiteral("shouldDrawToPrinter"));
}

void PWGridLayer::setShowsVerticalLines(bool shows)
{
    if (shows == m_showsVerticalLines)
        return;
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, QStringLiteral("setShowsVerticalLines:"), m_showsVerticalLines);
    setObservedValue(m_showsVerticalLines, shows, QStringLiteral("showsVerticalLines"));
    setNeedsDisplay(true);
}

void PWGridLayer::tweakDrawingMargins()
{
    PWDrawing* drawing = this->drawing();
    const double span = spanDistance();
    if (!drawing || !(span > 0.0))
        return;
    const QRectF interior = drawing->interior();
    const double extraX = interior.width() - std::floor(interior.width() / span) * span;
    const double extraY = interior.height() - std::floor(interior.height() / span) * span;
    drawing->setMargins(drawing->leftMargin() + extraX / 2, drawing->topMargin() + extraY / 2,
                        drawing->rightMargin() + extraX / 2, drawing->bottomMargin() + extraY / 2);
}

QSizeF PWGridLayer::quartzDistanceForGridDistance(const QSizeF& gridDistance) const
{
    const double factor = pointsPerUnit();
    return QSizeF(gridDistance.width() * factor, gridDistance.height() * factor);
}

QPointF PWGridLayer::pointForGridLocation(const QPointF& location) const
{
    return gridOrigin() + location * pointsPerUnit();
}

QPointF PWGridLayer::gridLocationForPoint(const QPointF& point) const
{
    return (point - gridOrigin()) / pointsPerUnit();
}

QPointF PWGridLayer::snapPointToGrid(const QPointF& point) const
{
    const double step = divisionDistance();
    if (!(step > 0.0) || !std::isfinite(point.x()) || !std::isfinite(point.y()))
        return point;
    const QPointF origin = gridOrigin();
    return QPointF(origin.x() + std::round((point.x() - origin.x()) / step) * step,
                   origin.y() + std::round((point.y() - origin.y()) / step) * step);
}

void PWGridLayer::copyGridSettingsFrom(const PWGridLayer& other)
{
    setLayerName(other.layerName());
    setVisible(other.visible());
    setLocked(other.locked());
    m_span = other.m_span;
    m_divisions = other.m_divisions;
    m_majors = other.m_majors;
    m_rulerSteps = other.m_rulerSteps;
    m_themeColour = other.m_themeColour;
    m_spanColour = other.m_spanColour;
    m_divisionColour = other.m_divisionColour;
    m_majorColour = other.m_majorColour;
    m_drawsToPrinter = other.m_drawsToPrinter;
    m_showsVerticalLines = other.m_showsVerticalLines;
}

bool PWGridLayer::respondsTo(const QString& selector) const
{
    if (selector == QLatin1String("duplicateLayer"))
        return false;
    return PWLayer::respondsTo(selector);
}

namespace {

template <typename LineEnumerator>
bool drawLinesAsStrip(QPainter& painter, const QRectF& area, bool vertical, const LineEnumerator& forEachLine)
{
    // Drawn one by one, a line across the page is hundreds of one-pixel spans, and the raster
    // engine hands every few dozen spans to its thread pool: a page of lines costs tens of
    // milliseconds in hand-offs alone. Every row of the vertical lines is the same (every column
    // of the horizontal ones), so the lines are drawn once into a strip one pixel thick, which
    // then fills the area as a tiled brush: one span per row for all of them together.
    const QTransform toDevice = painter.deviceTransform();
    if (toDevice.type() > QTransform::TxScale || toDevice.m11() <= 0.0 || toDevice.m22() <= 0.0)
        return false;
    QRect target = toDevice.mapRect(area).toAlignedRect();
    if (painter.hasClipping())
        target &= toDevice.mapRect(painter.clipBoundingRect()).toAlignedRect();
    // Only what the paint device shows: its rectangle, in device pixels. A widget painted into
    // its window's backing store sits at an offset there, which the device transform holds
    // and the widget's own size does not.
    if (painter.device()) {
        bool invertible = false;
        const QTransform worldInverse = painter.worldTransform().inverted(&invertible);
        if (invertible)
            target &= (worldInverse * toDevice).mapRect(QRectF(painter.window())).toAlignedRect();
    }
    if (target.isEmpty())
        return true;
    QImage strip(vertical ? target.width() : 1, vertical ? 1 : target.height(), QImage::Format_ARGB32_Premultiplied);
    if (strip.isNull())
        return false;
    strip.fill(Qt::transparent);
    {
        QPainter stripPainter(&strip);
        stripPainter.setRenderHints(painter.renderHints());
        forEachLine(vertical, [&](double at, const QPen& pen) {
            stripPainter.setPen(pen);
            if (vertical) {
                const double x = toDevice.map(QPointF(at, 0.0)).x() - target.left();
                stripPainter.drawLine(QPointF(x, -2.0), QPointF(x, 3.0));
            } else {
                const double y = toDevice.map(QPointF(0.0, at)).y() - target.top();
                stripPainter.drawLine(QPointF(-2.0, y), QPointF(3.0, y));
            }
        });
    }
    painter.save();
    // Device pixels from here on.
    painter.setWorldTransform(toDevice.inverted() * painter.worldTransform());
    QBrush brush(strip);
    brush.setTransform(QTransform::fromTranslate(vertical ? target.left() : 0, vertical ? 0 : target.top()));
    painter.fillRect(target, brush);
    painter.restore();
    return true;
}

} // namespace

void PWGridLayer::drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting)
{
    const QRectF area = gridArea(rect);
    const double step = divisionDistance();
    if (area.isEmpty() || !(step > 0.0))
        return;
    QPainter& painter = context.painter();
    const double deviceScale = std::max(std::abs(painter.deviceTransform().m11()), 1e-9);
    const QPointF origin = gridOrigin();
    const bool drawDivisions = step * deviceScale >= kMinimumDeviceSpacing;
    const bool drawSpans = step * m_divisions * deviceScale >= kMinimumDeviceSpacing;

    // Calls `draw(position, pen)` for each line across one axis that shows at this scale.
    // Lines stay one device pixel wide at every zoom.
    auto forEachLine = [&](bool vertical, const auto& draw) {
        const double start = vertical ? area.left() : area.top();
        const double end = vertical ? area.right() : area.bottom();
        const double base = vertical ? origin.x() : origin.y();
        const qint64 first = qint64(std::ceil((start - base) / step));
        const qint64 last = qint64(std::floor((end - base) / step));
        for (qint64 i = first; i <= last; ++i) {
            const bool isSpan = i % m_divisions == 0;
            const bool isMajor = i % (qint64(m_divisions) * m_majors) == 0;
            if (!isSpan && !drawDivisions)
                continue;
            if (isSpan && !isMajor && !drawSpans)
                continue;
            QPen pen(isMajor ? m_majorColour : isSpan ? m_spanColour : m_divisionColour);
            pen.setCosmetic(true);
            pen.setWidthF(isMajor ? 1.5 : 1.0);
            draw(base + double(i) * step, pen);
        }
    };

    painter.save();
    for (const bool vertical : {true, false}) {
        if (drawLinesAsStrip(painter, area, vertical, forEachLine))
            continue;
        forEachLine(vertical, [&](double at, const QPen& pen) {
            painter.setPen(pen);
            if (vertical)
                painter.drawLine(QPointF(at, area.top()), QPointF(at, area.bottom()));
            else
                painter.drawLine(QPointF(area.left(), at), QPointF(area.right(), at));
        });
    }
    painter.restore();
}

void PWGridLayer::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWLayer::encodeWithCoder(coder);
    coder.encodeDouble(m_span, kSpanKey);
    coder.encodeInt32(m_divisions, kDivisionsKey);
    coder.encodeInt32(m_majors, kMajorsKey);
    coder.encodeInt32(m_rulerSteps, kRulerStepsKey);
    encodeColour(coder, m_themeColour, kThemeColourKey);
    encodeColour(coder, m_spanColour, kSpanColourKey);
    encodeColour(coder, m_divisionColour, kDivisionColourKey);
    encodeColour(coder, m_majorColour, kMajorColourKey);
    coder.encodeBool(m_drawsToPrinter, kPrintsKey);
    coder.encodeBool(m_showsVerticalLines, kVerticalsKey);
}

void PWGridLayer::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWLayer::initWithCoder(coder);
    const double span = coder.decodeDouble(kSpanKey);
    m_span = std::isfinite(span) && span > 0.0 ? span : 1.0;
    m_divisions = clampCount(coder.decodeInt32(kDivisionsKey));
    m_majors = clampCount(coder.decodeInt32(kMajorsKey));
    m_rulerSteps = clampCount(coder.decodeInt32(kRulerStepsKey));
    m_themeColour = decodeColour(coder, kThemeColourKey, m_themeColour);
    m_spanColour = decodeColour(coder, kSpanColourKey, m_spanColour);
    m_divisionColour = decodeColour(coder, kDivisionColourKey, m_divisionColour);
    m_majorColour = decodeColour(coder, kMajorColourKey, m_majorColour);
    m_drawsToPrinter = coder.decodeBool(kPrintsKey);
    m_showsVerticalLines = coder.containsValueForKey(kVerticalsKey) ? coder.decodeBool(kVerticalsKey) : true;
}
