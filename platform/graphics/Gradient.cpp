#include "platform/graphics/Gradient.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::Gradient, pf::Object, "pf::Gradient")
{
    b.protocol(pf::kCodingProtocol);
}

namespace pf {

namespace {

const QString kColorsKey = QStringLiteral("colors");
const QString kLocationsKey = QStringLiteral("locations");

double unit(double value)
{
    return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
}

// The area a radial gradient sweeps from one circle to the other: the convex hull of the two
// circles, or the larger circle when it holds the smaller.
QPainterPath sweptArea(const QPointF& c0, double r0, const QPointF& c1, double r1)
{
    QPainterPath area;
    const QPointF delta = c1 - c0;
    const double distance = std::hypot(delta.x(), delta.y());
    if (distance <= std::abs(r1 - r0)) {
        const bool endIsLarger = r1 >= r0;
        const double radius = endIsLarger ? r1 : r0;
        area.addEllipse(endIsLarger ? c1 : c0, radius, radius);
        return area;
    }
    // The outer tangents touch both circles at `theta` either side of the line between the
    // centres. Angles here are in radians towards +y; QPainterPath wants degrees the other way.
    const double base = std::atan2(delta.y(), delta.x());
    const double theta = std::acos((r0 - r1) / distance);
    auto pointOn = [](const QPointF& c, double r, double a) { return c + QPointF(r * std::cos(a), r * std::sin(a)); };
    auto circle = [](const QPointF& c, double r) { return QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r); };
    area.moveTo(pointOn(c0, r0, base + theta));
    // Round the far side of the start circle, then the far side of the end circle.
    area.arcTo(circle(c0, r0), -qRadiansToDegrees(base + theta), -qRadiansToDegrees(2 * M_PI - 2 * theta));
    area.lineTo(pointOn(c1, r1, base - theta));
    area.arcTo(circle(c1, r1), -qRadiansToDegrees(base - theta), -qRadiansToDegrees(2 * theta));
    area.closeSubpath();
    return area;
}

} // namespace

Gradient::Gradient(const Color& start, const Color& end) : Gradient(QList<ColorStop>{{start, 0.0}, {end, 1.0}}) {}

Gradient::Gradient(QList<ColorStop> stops)
{
    for (ColorStop& stop : stops) {
        if (std::isnan(stop.location))
            throw InvalidArgumentException(QStringLiteral("-[pf::Gradient init]: a colour stop's location is not a number"));
        if (stop.color.isPattern() || !stop.color.isValid())
            throw InvalidArgumentException(
                QStringLiteral("-[pf::Gradient init]: %1 cannot be a colour stop").arg(stop.color.description()));
        stop.location = std::clamp(stop.location, 0.0, 1.0);
    }
    std::stable_sort(stops.begin(), stops.end(),
                     [](const ColorStop& a, const ColorStop& b) { return a.location < b.location; });
    m_stops = std::move(stops);
}

Gradient::Gradient(const QGradientStops& stops)
    : Gradient([&stops] {
          QList<ColorStop> converted;
          for (const QGradientStop& stop : stops)
              converted.append({Color(stop.second), stop.first});
          return converted;
      }())
{
}

ColorStop Gradient::colorStopAt(int index) const
{
    if (index < 0 || index >= m_stops.size())
        throw Exception(NSRangeException, QStringLiteral("-[pf::Gradient getColor:location:atIndex:]: index %1 beyond "
                                                         "bounds [0 .. %2]")
                                              .arg(index)
                                              .arg(m_stops.size() - 1));
    return m_stops.at(index);
}

Color Gradient::interpolatedColorAtLocation(double location) const
{
    if (m_stops.isEmpty())
        return Color::clear();
    const double t = unit(location);
    const auto after = std::upper_bound(m_stops.cbegin(), m_stops.cend(), t,
                                        [](double at, const ColorStop& stop) { return at < stop.location; });
    if (after == m_stops.cbegin())
        return m_stops.front().color;
    if (after == m_stops.cend())
        return m_stops.back().color;
    const ColorStop& a = *(after - 1);
    const ColorStop& b = *after;
    const double f = (t - a.location) / (b.location - a.location);
    auto mix = [f](double from, double to) { return from + (to - from) * f; };
    return Color(mix(a.color.redComponent(), b.color.redComponent()),
                 mix(a.color.greenComponent(), b.color.greenComponent()),
                 mix(a.color.blueComponent(), b.color.blueComponent()),
                 mix(a.color.alphaComponent(), b.color.alphaComponent()));
}

QGradientStops Gradient::qGradientStops() const
{
    QGradientStops stops;
    if (m_stops.size() == 1) {
        const QColor only = m_stops.front().color.qColor();
        return {{0.0, only}, {1.0, only}};
    }
    // QGradient keeps one stop per location, so a later stop at the same place moves just past
    // the earlier one: the sharp step survives.
    for (const ColorStop& stop : m_stops) {
        double at = stop.location;
        if (!stops.isEmpty() && at <= stops.last().first) {
            if (stops.last().first >= 1.0) {
                stops.last().second = stop.color.qColor();
                continue;
            }
            at = std::nextafter(stops.last().first, 2.0);
        }
        stops.append({at, stop.color.qColor()});
    }
    return stops;
}

QLinearGradient Gradient::linearGradientInRect(const QRectF& rect, double angle) const
{
    // An angle that is not a number draws as 0 rather than spoiling the painting.
    const double radians = std::isfinite(angle) ? qDegreesToRadians(std::fmod(angle, 360.0)) : 0.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    // Counter-clockwise on screen; y grows downwards, hence -sin.
    const QPointF direction(c, -s);
    const double halfLength = rect.width() / 2 * std::abs(c) + rect.height() / 2 * std::abs(s);
    const QPointF centre = rect.center();
    QLinearGradient gradient(centre - direction * halfLength, centre + direction * halfLength);
    gradient.setStops(qGradientStops());
    gradient.setInterpolationMode(QGradient::ComponentInterpolation);
    gradient.setSpread(QGradient::PadSpread);
    return gradient;
}

void Gradient::drawInRect(QPainter& painter, const QRectF& rect, double angle) const
{
    if (m_stops.isEmpty() || rect.isEmpty())
        return;
    painter.fillRect(rect, QBrush(linearGradientInRect(rect, angle)));
}

void Gradient::drawInPath(QPainter& painter, const QPainterPath& path, double angle) const
{
    if (m_stops.isEmpty() || path.isEmpty())
        return;
    painter.fillPath(path, QBrush(linearGradientInRect(path.boundingRect(), angle)));
}

void Gradient::drawRadial(QPainter& painter, const QPointF& startCentre, double startRadius, const QPointF& endCentre,
                          double endRadius) const
{
    if (m_stops.isEmpty() || std::isnan(startRadius) || std::isnan(endRadius))
        return;
    const double r0 = std::max(0.0, startRadius);
    const double r1 = std::max(0.0, endRadius);
    // The focal circle is where the gradient starts, the centre circle where it ends.
    QRadialGradient gradient(endCentre, r1, startCentre, r0);
    gradient.setStops(qGradientStops());
    gradient.setInterpolationMode(QGradient::ComponentInterpolation);
    gradient.setSpread(QGradient::PadSpread);
    painter.fillPath(sweptArea(startCentre, r0, endCentre, r1), QBrush(gradient));
}

Ref<Gradient> Gradient::unifiedNormalGradient()
{
    static const Ref<Gradient> gradient = std::make_shared<Gradient>(Color::withWhite(0.80), Color::withWhite(0.94));
    return gradient;
}

Ref<Gradient> Gradient::unifiedDarkGradient()
{
    static const Ref<Gradient> gradient = std::make_shared<Gradient>(Color::withWhite(0.58), Color::withWhite(0.74));
    return gradient;
}

Ref<Gradient> Gradient::sourceListSelectedGradient()
{
    static const Ref<Gradient> gradient =
        std::make_shared<Gradient>(Color(0.16, 0.42, 0.80), Color(0.38, 0.62, 0.90));
    return gradient;
}

void Gradient::drawShinyGradientInRect(QPainter& painter, const QRectF& rect, const Color& colour)
{
    if (colour.isPattern() || !colour.isValid()) {
        painter.fillRect(rect, colour.brush());
        return;
    }
    // From the top down: the gloss fades over the upper half, then the colour itself lightens
    // again towards the bottom edge.
    const Gradient shine({{colour.highlightWithLevel(0.6), 0.0},
                          {colour.highlightWithLevel(0.25), 0.5},
                          {colour, 0.5},
                          {colour.highlightWithLevel(0.2), 1.0}});
    shine.drawInRect(painter, rect, 270.0);
}

Ref<Object> Gradient::copy() const
{
    return std::make_shared<Gradient>(*this);
}

bool Gradient::isEqual(const Reflective* other) const
{
    const auto* gradient = dynamic_cast<const Gradient*>(other);
    return gradient && *this == *gradient;
}

QString Gradient::description() const
{
    QStringList stops;
    for (const ColorStop& stop : m_stops)
        stops.append(QStringLiteral("%1 at %2").arg(stop.color.hexString()).arg(stop.location));
    return QStringLiteral("<pf::Gradient %1>").arg(stops.join(QStringLiteral(", ")));
}

void Gradient::encodeWithCoder(KeyedArchiver& coder) const
{
    QVariantList colours;
    QVariantList locations;
    for (const ColorStop& stop : m_stops) {
        colours.append(toVariant(std::make_shared<Color>(stop.color)));
        locations.append(stop.location);
    }
    coder.encodePropertyListValue(colours, kColorsKey);
    coder.encodePropertyListValue(locations, kLocationsKey);
}

void Gradient::initWithCoder(KeyedUnarchiver& coder)
{
    const QVariantList colours = coder.decodePropertyListValue(kColorsKey).toList();
    const QVariantList locations = coder.decodePropertyListValue(kLocationsKey).toList();
    if (colours.size() != locations.size())
        throw InvalidArgumentException(
            QStringLiteral("-[pf::Gradient initWithCoder:]: %1 colours for %2 locations").arg(colours.size()).arg(locations.size()));
    QList<ColorStop> stops;
    for (qsizetype i = 0; i < colours.size(); ++i) {
        const Ref<Color> colour = objectCast<Color>(colours.at(i));
        if (!colour || !isNumber(locations.at(i)))
            throw InvalidArgumentException(QStringLiteral("-[pf::Gradient initWithCoder:]: damaged colour stop %1").arg(i));
        stops.append({*colour, locations.at(i).toDouble()});
    }
    m_stops = Gradient(std::move(stops)).m_stops;
}

} // namespace pf
