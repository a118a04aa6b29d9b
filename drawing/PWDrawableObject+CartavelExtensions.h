#pragma once

#include <QPointF>
#include <QVariant>

class PWDrawableObject;
class PWDrawablePath;

// Small queries the symbol and map parts ask of every drawable: whether it may become a
// symbol, whether it lies near a point, and the hooks for grid references and tracks
// (which ordinary drawables do not have).
struct PWDrawableObjectCartavelExtensions {
    // Flatness of the copy a path is measured on.
    static constexpr double kDistanceFlatness = 8.0;

    static void install();

    // Whether the object's location lies within `distance` of `point`.
    static bool isWithinDistance(const PWDrawableObject& object, double distance, const QPointF& point);
    // Whether any segment of the path (flattened on a copy) passes within `distance` of `point`.
    static bool isWithinDistance(const PWDrawablePath& path, double distance, const QPointF& point);
};
