// One side entry of a document package, the export settings (a property list of the export operation's state): the fuzz input is the entry's
// contents, in a package whose drawing is a new document's.
#include "fuzz/DocumentPackageFuzzing.h"

#include <cstdint>

using quillory::fuzz::PackageEntry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QList<PackageEntry> entries{
        {RVCartavelDocument::kContentEntry, PackageEntry::Kind::File, quillory::fuzz::defaultContent()},
        {RVCartavelDocument::kExportSettingsEntry, PackageEntry::Kind::File, QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(size))}};
    quillory::fuzz::openAndCheck(quillory::fuzz::writePackage(entries), RVCartavelDocument::kNativeType);
    return 0;
}
