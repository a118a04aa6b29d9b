// Drawing documents, flat or XML, with every archivable class of the framework and the
// system registered. A drawing that reads must save and read again.
#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/layers/PWDrawing.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), qsizetype(size));
    pf::Error error;
    const pf::Ref<PWDrawing> drawing = PWDrawingArchiving::drawingWithData(data, &error);
    if (!drawing) {
        if (error.isNull())
            std::abort(); // a failure reported as nothing
        return 0;
    }
    const QByteArray saved = PWDrawingArchiving::dataWithDrawing(drawing);
    if (!saved.isEmpty() && !PWDrawingArchiving::drawingWithData(saved))
        std::abort();
    return 0;
}
