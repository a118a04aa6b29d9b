// Property lists in both formats. Whatever reads must also write, and what was written must
// read back to the same bytes: a value the reader makes but the writer mangles would be lost
// on the next save.
#include "platform/foundation/PropertyList.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    using pf::PropertyList;
    using pf::PropertyListFormat;
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), qsizetype(size));
    pf::Error error;
    const QVariant value = PropertyList::value(data, nullptr, &error);
    if (!error.isNull())
        return 0;
    for (PropertyListFormat format : {PropertyListFormat::Binary, PropertyListFormat::XML}) {
        const QByteArray written = PropertyList::data(value, format);
        if (written.isEmpty())
            continue; // a value this format cannot carry is refused, never written wrong
        pf::Error rereadError;
        const QVariant reread = PropertyList::value(written, nullptr, &rereadError);
        if (!rereadError.isNull() || PropertyList::data(reread, format) != written)
            std::abort();
    }
    return 0;
}
