#pragma once

#include <QString>

// The error domain of SVG import and its codes.
inline const QString kPWSVGErrorDomain = QStringLiteral("PWSVGErrorDomain");

enum PWSVGErrorCode : int {
    // The data is not well-formed XML.
    kPWSVGErrorMalformed = 1,
    // Well-formed, but its root is not an <svg> element.
    kPWSVGErrorNotSVG = 2,
    // The document goes beyond what is read: too deep, too many elements, too much data.
    kPWSVGErrorTooComplex = 3,
    // The width, height or viewBox give no usable drawing size.
    kPWSVGErrorBadSize = 4,
    // The file could not be read.
    kPWSVGErrorUnreadableFile = 5,
};
