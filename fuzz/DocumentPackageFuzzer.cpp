// Document packages: a folder of entries, any of which may be missing, damaged, a folder or a
// link. The fuzz input is a list of records, each
//   one byte: the entry (low three bits, modulo the six entry names: content, info, auxiliary
//             info, window state, export settings, QuickLook), its kind (bits 3 and 4: file,
//             folder, link, file) and the map type (bit 7, on any record) instead of our own;
//   two bytes: the length of the data, little-endian, cut to what is left;
//   the data.
// A later record of the same entry replaces the earlier one.
#include "fuzz/DocumentPackageFuzzing.h"

#include <cstdint>

using quillory::fuzz::PackageEntry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QStringList& names = quillory::fuzz::packageEntryNames();
    QMap<QString, PackageEntry> entries;
    bool mapType = false;
    size_t at = 0;
    while (at < size) {
        const uint8_t selector = bytes[at++];
        size_t length = 0;
        for (int i = 0; i < 2 && at < size; ++i)
            length |= size_t(bytes[at++]) << (8 * i);
        length = std::min(length, size - at);
        PackageEntry entry;
        entry.name = names[(selector & 7) % names.size()];
        const int kind = (selector >> 3) & 3;
        entry.kind = kind == 1 ? PackageEntry::Kind::Folder : kind == 2 ? PackageEntry::Kind::Link : PackageEntry::Kind::File;
        entry.data = QByteArray(reinterpret_cast<const char*>(bytes + at), qsizetype(length));
        mapType = mapType || (selector & 0x80);
        entries.insert(entry.name, entry);
        at += length;
    }
    const QString path = quillory::fuzz::writePackage(entries.values());
    quillory::fuzz::openAndCheck(path, mapType ? RVCartavelDocument::kMapType : RVCartavelDocument::kNativeType);
    return 0;
}
