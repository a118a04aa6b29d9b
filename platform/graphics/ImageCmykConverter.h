#pragma once

#include <QByteArray>

namespace pf {

// Converts sRGB pixels to 8-bit CMYK with lcms2. lcms2 ships no CMYK profile and none can be
// assumed on the system, so the CMYK side is a version 4 profile built here. It describes the
// conventional device CMYK that libtiff and most readers assume for untagged files,
// R = (1 - C)(1 - K), with full black generation: K = 1 - max(R, G, B) and
// C = (1 - R - K) / (1 - K), likewise M and Y. Its tables are indexed by gamma-encoded sRGB
// behind curves and a matrix from the profile connection space, so primaries, secondaries
// and greys separate exactly. Safe to call from any thread.
class ImageCmykConverter {
public:
    // Converts `count` pixels given as R, G, B, X bytes into C, M, Y, K bytes; false when lcms2
    // could not build the conversion.
    static bool convert(const unsigned char* rgbx, unsigned char* cmyk, int count);
    // The ICC profile of the CMYK produced, for embedding in files.
    static const QByteArray& profileData();
};

} // namespace pf
