// SVG import: parsing, styles, paint servers, use and symbol instancing, text and embedded
// images, and the conversion of path data into the drawing's geometry.
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/svg/PWSVGImporter.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char*>(bytes), qsizetype(size));
    pf::Error error;
    const pf::Ref<PWDrawing> drawing = PWSVGImporter::drawingWithSVGData(data, &error);
    if (!drawing && error.isNull())
        std::abort(); // a failure reported as nothing
    return 0;
}
