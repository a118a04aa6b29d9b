// The saved dash file ("Saved Dashes.dashes"), read as the start-up reads it: any file either
// restores a set of usable dashes or is refused with an error, and what was restored writes and
// reads back the same.
#include "frameworks/penwork/styles/PWStrokeDash.h"
#include "fuzz/FuzzWorkFolder.h"
#include "platform/foundation/Error.h"

#include <cmath>
#include <cstdint>

namespace {

using quillory::fuzz::check;

const QString& workFolder()
{
    return quillory::fuzz::workFolder("dashes-fuzz");
}

struct Saved {
    QList<double> pattern;
    double phase;
    bool scales;
    bool operator==(const Saved&) const = default;
};

QList<Saved> registered()
{
    QList<Saved> out;
    for (const pf::Ref<PWStrokeDash>& dash : PWStrokeDash::registeredDashes()) {
        check(dash->isValid());
        out.append({dash->pattern(), dash->phase(), dash->scalesToLineWidth()});
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QString path = workFolder() + QStringLiteral("/Saved Dashes.dashes");
    const QString copyPath = workFolder() + QStringLiteral("/Copy.dashes");
    quillory::fuzz::writeInput(path, bytes, size);
    PWStrokeDash::removeAllRegisteredDashes();
    pf::Error error;
    if (!PWStrokeDash::restoreRegisteredDashesFromFile(path, &error)) {
        check(!error.isNull()); // a failure reported as nothing
        return 0;
    }
    const QList<Saved> restored = registered();
    for (const Saved& dash : restored)
        check(std::isfinite(dash.phase));
    check(PWStrokeDash::writeRegisteredDashesToFile(copyPath, true, &error));
    PWStrokeDash::removeAllRegisteredDashes();
    check(PWStrokeDash::restoreRegisteredDashesFromFile(copyPath, &error));
    check(registered() == restored);
    return 0;
}
