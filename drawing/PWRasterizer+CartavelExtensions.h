#pragma once

// The names renderers show the user ("Stroke", "Hatch Fill"), given to the framework's
// renderer classes through their class tables; a renderer without one of its own is named
// by its class name as a localisation key.
struct PWRasterizerCartavelExtensions {
    static void install();
};
