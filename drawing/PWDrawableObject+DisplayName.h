#pragma once

#include <QString>

class PWDrawableObject;

// Human-readable kind names of drawables ("Path", "Round-Cornered Rectangle") and their size
// as the user reads it.
struct PWDrawableObjectDisplayName {
    static void install();

    // "%.0f x %.0f px" with the bounds' width and height rounded up.
    static QString displaySize(const PWDrawableObject& object);
};
