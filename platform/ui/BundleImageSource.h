#pragma once

#include <QString>

namespace pf {

// Installs a bundle as the source of named images: "name" finds the resource "name" as SVG,
// PDF, PNG, TIFF or JPEG (in that order). The main bundle is installed when the interface
// layer loads.
class BundleImageSource {
public:
    // The bundle of `resourcePath`, or the main bundle when it is empty.
    static void install(const QString& resourcePath = {});

private:
    BundleImageSource() = delete;
};

} // namespace pf
