// Colour lists (".clr" files). A list that reads must write and read back with the same keys,
// in the same order, and the same colours.
#include "platform/graphics/ColorList.h"
#include "fuzz/FuzzWorkFolder.h"

#include <cstdint>

namespace {

using quillory::fuzz::check;

const QString& workFolder()
{
    return quillory::fuzz::workFolder("clr-fuzz");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QString path = workFolder() + QStringLiteral("/Fuzz.clr");
    const QString copyPath = workFolder() + QStringLiteral("/Copy.clr");
    quillory::fuzz::writeInput(path, bytes, size);
    pf::Error error;
    const pf::Ref<pf::ColorList> list = pf::ColorList::fromFile(QString(), path, &error);
    if (!list) {
        check(!error.isNull()); // a failure reported as nothing
        return 0;
    }
    check(list->writeToFile(copyPath, &error));
    const pf::Ref<pf::ColorList> copy = pf::ColorList::fromFile(QString(), copyPath, &error);
    check(copy && copy->name() == list->name() && copy->allKeys() == list->allKeys());
    for (const QString& key : list->allKeys())
        check(copy->colorWithKey(key) == list->colorWithKey(key));
    return 0;
}
