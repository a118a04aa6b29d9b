// The defaults resource ("Quillory_defaults.plist"), registered as the start-up registers it:
// any file is taken or refused with an error, and the values the program then reads from it
// (a new drawing's size, scale, units and prescale) are usable whatever the file held.
#include "app/RVCartavelDocument.h"
#include "fuzz/FuzzWorkFolder.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/UserDefaults.h"

#include <cmath>
#include <cstdint>

namespace {

using quillory::fuzz::check;

const QString& workFolder()
{
    return quillory::fuzz::workFolder("defaults-fuzz");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QString path = workFolder() + QStringLiteral("/Quillory_defaults.plist");
    quillory::fuzz::writeInput(path, bytes, size);
    pf::UserDefaults::resetStandardUserDefaults();
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    pf::Error error;
    if (!defaults.registerDefaultsFromFile(path, &error)) {
        check(!error.isNull());
        return 0;
    }
    // Every key reads as every kind without harm.
    for (auto [key, value] : defaults.dictionaryRepresentation().asKeyValueRange()) {
        (void)defaults.boolForKey(key);
        (void)defaults.integerForKey(key);
        (void)defaults.doubleForKey(key);
        (void)defaults.stringForKey(key);
        (void)defaults.URLForKey(key);
        (void)defaults.stringArrayForKey(key);
    }
    const QSizeF drawingSize = RVCartavelDocument::defaultDrawingSize();
    check(std::isfinite(drawingSize.width()) && std::isfinite(drawingSize.height()) && drawingSize.width() > 0 && drawingSize.height() > 0);
    check(RVCartavelDocument::defaultDrawingScale() != nullptr);
    check(RVCartavelDocument::defaultDrawingUnits() != nullptr);
    const double prescale = RVCartavelDocument::defaultPrescale();
    check(std::isfinite(prescale) && prescale > 0);
    return 0;
}
