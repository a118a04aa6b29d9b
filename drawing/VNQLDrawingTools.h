#pragma once

#include <QString>

// The system's drawing tools in the framework's tool registry.
struct VNQLDrawingTools {
    static const QString kPathCutterToolName;
    static const QString kStyleDropperToolName;
    static const QString kZoomOutToolName;

    // Registers the path cutter, the style dropper and the zoom-out tool (the framework's zoom
    // tool set to zoom out); tools already registered under those names stay.
    static void registerTools();
};
