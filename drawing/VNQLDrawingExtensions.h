#pragma once

// Puts the drawing extensions into the framework's class tables (conversion, observed key
// paths, icons, naming, display names, renderer names, styles, geometry queries, the tools'
// library item kinds, SVG drops) and installs the name provider. Safe to call more than once.
struct VNQLDrawingExtensions {
    static void install();
};
