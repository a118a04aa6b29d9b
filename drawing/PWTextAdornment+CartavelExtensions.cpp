#include "drawing/PWTextAdornment+CartavelExtensions.h"

#include "frameworks/penwork/renderers/PWTextAdornment.h"

QString PWTextAdornmentCartavelExtensions::searchableStringForObject(const PWTextAdornment& adornment,
                                                                     const PWRenderable& object)
{
    // Per thread: documents read on a worker thread search on their own.
    thread_local bool busy = false;
    if (busy)
        return {};
    busy = true;
    QString text;
    try {
        text = adornment.textToDraw(object);
    } catch (...) {
        busy = false;
        throw;
    }
    busy = false;
    return text;
}
