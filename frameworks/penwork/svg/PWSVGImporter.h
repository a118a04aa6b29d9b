#pragma once

#include "frameworks/penwork/svg/PWSVGErrors.h"

#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"

#include <QByteArray>
#include <QString>

class PWDrawing;

// Makes drawings of SVG documents. The drawing has the document's size (width and height, or
// the viewBox's, in points: one user unit is one point, absolute units at 72 to the inch; with
// neither, the size reaching from the origin to the content) and one object drawing layer, the
// active one, holding editable objects: paths for path, line, polyline and polygon; shapes for
// rect, circle and ellipse; groups for g, a, switch, nested svg and each use of a group or
// symbol; text shapes for text and tspan; image shapes for bitmaps, and the objects an SVG
// picture draws; clipping groups for clip paths, masks and viewports that cut off what they
// hold; marker objects at path vertices; pattern fills. Every transform is applied to the
// geometry. Fills, strokes, dashes, gradients (as gradient fills), paint order and opacity
// come from attributes, style="" and the document's style sheets; group opacity goes into the
// opacity of each member's style. With PWStyle::ignoresFilterElements() off, a drop-shadow
// filter becomes the style's shadow.
//
// Nothing outside the data is read but pictures linked by a relative path within the folder
// tree of the file read (bounded by the image reader's decode limit): external entities, other
// links and @import are ignored. Malformed XML is refused whole (no partial drawing), and so are documents beyond
// the reading bounds (nesting, elements, objects, path data, data size) and sizes that are
// zero, negative, not finite or larger than 100000 points.
class PWSVGImporter {
public:
    // Null and an error (kPWSVGErrorDomain) for data that gives no drawing.
    static pf::Ref<PWDrawing> drawingWithSVGData(const QByteArray& data, pf::Error* error = nullptr);
    // The same for data read from a file in `baseFolder`: pictures it links to by a relative
    // path within that folder's tree are drawn too.
    static pf::Ref<PWDrawing> drawingWithSVGData(const QByteArray& data, const QString& baseFolder,
                                                 pf::Error* error = nullptr);
    // The same for the file at `path`; a file that cannot be read gives
    // kPWSVGErrorUnreadableFile with the reason as underlying error.
    static pf::Ref<PWDrawing> drawingWithContentsOfSVGFile(const QString& path, pf::Error* error = nullptr);
};
