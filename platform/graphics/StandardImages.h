#pragma once

#include "platform/foundation/Object.h"

#include <QString>
#include <QStringList>

namespace pf {

class Image;

// Our own drawings for the platform's standard image names the program asks for
// ("NSFolder", "NSLockLockedTemplate", ...), so they exist without the platform's artwork.
class StandardImages {
public:
    // A new image for the name, or null when it is not a standard name. Names ending in
    // "Template" answer template images.
    static Ref<Image> image(const QString& name);
    static QStringList names();

private:
    StandardImages() = delete;
};

} // namespace pf
