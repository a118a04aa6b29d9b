#pragma once

namespace pf {

// Installs the main bundle as the source of named images: "name" finds the resource "name"
// as SVG, PDF, PNG, TIFF or JPEG (in that order). Done once when the interface layer loads;
// callable again after the bundle's folder changed.
class BundleImageSource {
public:
    static void install();

private:
    BundleImageSource() = delete;
};

} // namespace pf
