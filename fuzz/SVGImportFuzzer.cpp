// SVG import: parsing, styles, paint servers, use and symbol instancing, text and embedded
// images, clip paths, masks, markers, patterns and blend modes, and the conversion of path data
// into the drawing's geometry; then the drawing is drawn small and saved and read back, so
// that the objects the import makes (clipping groups, pattern fills) draw and archive safely.
#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/output/PWRenderingOutput.h"
#include "frameworks/penwork/svg/PWSVGImporter.h"

#include <cstdint>
#include <cstdlib>

namespace {
constexpr quint64 kMaxElementsDrawn = 2000;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char*>(bytes), qsizetype(size));
    pf::Error error;
    const pf::Ref<PWDrawing> drawing = PWSVGImporter::drawingWithSVGData(data, &error);
    if (!drawing && error.isNull())
        std::abort(); // a failure reported as nothing
    // Drawing and archiving are for the kinds of objects made; a drawing of many thousands of
    // instanced objects would spend the time limit on sheer number (the drawing and archive
    // targets take large documents).
    if (!drawing || PWDrawingArchiving::countOfElements(*drawing) > kMaxElementsDrawn)
        return 0;
    PWRenderingOutput::image(*drawing, QRectF(QPointF(), drawing->drawingSize()), QSize(48, 48), pf::Color::white());
    const QByteArray archive = PWDrawingArchiving::dataWithDrawing(drawing);
    if (!archive.isEmpty() && !PWDrawingArchiving::drawingWithData(archive))
        std::abort(); // a drawing that cannot be read back
    return 0;
}
