#pragma once

#include <QColor>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringView>
#include <QTransform>

#include <optional>

// Readers for the small value grammars of SVG attributes and properties: numbers and lengths,
// number lists, transform lists, colours, paints, declaration blocks, viewBox and
// preserveAspectRatio. Each answers nothing (std::nullopt or an empty list) for text it cannot
// read, and never a value that is not finite, so that damaged values are ignored rather than
// spoiling the geometry.
namespace pwsvg {

// A length with its unit, before it is resolved against a font size or a viewport.
struct Length {
    // Viewport units are hundredths of the viewport's width, height, shorter or longer side.
    enum Unit { User, Percent, Em, Ex, ViewportWidth, ViewportHeight, ViewportMin, ViewportMax };
    double value = 0.0;
    Unit unit = User;
};

// What a percentage is a percentage of.
enum class LengthAxis { Horizontal, Vertical, Other };

// Absolute units are converted at 72 user units to the inch, so that one user unit is one point.
std::optional<double> parseNumber(QStringView text);
std::optional<Length> parseLength(QStringView text);
// `viewport` is the size percentages refer to; `fontSize` the size ems refer to.
double resolveLength(const Length& length, LengthAxis axis, const QSizeF& viewport, double fontSize);
// Numbers separated by white space and/or commas; empty when any item does not read.
QList<double> parseNumberList(QStringView text);
// Pairs of numbers; a lone number at the end is dropped, as SVG renderers do.
QList<QPointF> parsePointList(QStringView text);

// A transform list ("translate(10) rotate(30 5 5) ..."), applied right to left as SVG says.
std::optional<QTransform> parseTransform(QStringView text);

// Colour keywords, #rgb, #rrggbb, rgb()/rgba() with numbers or percentages, "transparent".
std::optional<QColor> parseColour(QStringView text);

// A paint: none, a colour, currentColor, the fill or stroke of the context element (the
// element a marker is drawn for, or the use instancing the content), or a reference to a
// paint server with an optional fallback.
struct Paint {
    enum Kind { None, Colour, CurrentColour, Server, ContextFill, ContextStroke };
    Kind kind = None;
    QColor colour;
    QString serverId;
    std::optional<QColor> fallback;
    bool fallbackIsNone = false;
};
std::optional<Paint> parsePaint(QStringView text);

// The id named by "url(#id)" (quotes allowed), or empty.
QString urlReference(QStringView text);
// The id named by a local href "#id", or empty (external references answer empty).
QString localHrefId(QStringView text);

// "name: value; name: value" into lower-cased names and trimmed values; "!important" is dropped.
QHash<QString, QString> parseDeclarations(QStringView text);

// min-x, min-y, width, height; nothing unless there are four finite numbers.
std::optional<QRectF> parseViewBox(QStringView text);

// The transform that shows `viewBox` in `viewport` as preserveAspectRatio `text` says (default
// "xMidYMid meet").
QTransform viewBoxTransform(const QRectF& viewBox, const QRectF& viewport, QStringView preserveAspectRatio);
// Where a picture of `contentSize` lands in `viewport` under preserveAspectRatio (the part that
// shows under "slice" is not cut here; it is the whole placed picture).
QRectF placedRect(const QSizeF& contentSize, const QRectF& viewport, QStringView preserveAspectRatio);

// Whether every coordinate of the transform is finite.
bool isFinite(const QTransform& transform);
// The factor by which the transform scales lengths on average (the root of its determinant).
double lengthScale(const QTransform& transform);

} // namespace pwsvg
