#pragma once

#include <QString>

class PWObjectDrawingLayer;

namespace pf {
class DraggingInfo;
}

// SVG files dropped on an object layer become one object of the layer (a group when the file
// holds several), placed where they were dropped and shrunk to fit the drawing. Installed as
// the layer's file-drop operation; drops of other files are left to the framework.
struct PWObjectDrawingLayerSVGSupport {
    static void install();

    // False, changing nothing, unless the first dropped file is an ".svg" file (lower case)
    // that imports into at least one object.
    static bool performFileDropOperation(PWObjectDrawingLayer& layer, const pf::DraggingInfo& info);
    static bool importSVGGraphicElement(PWObjectDrawingLayer& layer, const QString& path, const pf::DraggingInfo& info);

    // The factor that makes `size` fit `limit`: the largest power of one half that does (1 for
    // a size that fits, or when either size is not usable).
    static double shrinkFactor(double width, double height, double limitWidth, double limitHeight);
};
