#pragma once

#include <QPainterPath>
#include <QPen>
#include <QtGlobal>

class QPainter;

namespace pf {

// Strokes long paths into an image a strip of rows at a time, for the pixels QPainter::strokePath
// gives at a fraction of its cost.
//
// The raster engine fills a stroke's outline through a cell buffer of a few kilobytes: an
// outline crossing the whole image overflows it, and the engine then splits the rows in two and
// walks the whole outline again for each half, over and over, so that its cost grows with the
// outline's length times the rows it spans (a road across a map takes seconds). Here the outline
// is made once, as the engine makes it, flattened as the engine flattens it, cut at the borders
// of strips of rows, and each strip's part filled on its own: every fill meets only its own
// edges. The cuts fall on whole rows, where the coverage the engine computes for a pixel depends
// only on the edges inside its row, so the pixels are the engine's own but for rounding in the
// last of the 64 steps it places an edge in.
class StripStroker {
public:
    // Strokes `path` with `pen` as painter.strokePath(path, pen) would and answers true, or
    // answers false having drawn nothing where the painter, the pen or the path are not of the
    // kind handled here (then the caller strokes the plain way): an antialiased painter on an
    // image, a transform of a scale the same along both axes and a translation, a solid pen of
    // a solid colour more than a pixel wide, and a path of many elements spanning many rows.
    static bool stroke(QPainter& painter, const QPainterPath& path, const QPen& pen);

    // Paths of fewer elements than this take the plain way: the engine fills them well.
    static constexpr int kMinimumElements = 64;
    // The rows of one strip.
    static constexpr int kStripRows = 16;
};

} // namespace pf
