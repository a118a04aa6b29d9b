#pragma once

#include "frameworks/penwork/tracing/PWTracedVectorObject.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QVariantMap>

namespace pw {

// Keys of a tracing parameter dictionary. The colour mode is an integer (0 colour, any other
// value greyscale) and the levels an integer precision (2 to its power bands or colours); the
// others are the tracer's own: turd size (int, speckles of at most this many pixels are dropped),
// alpha max (real 0 to 1.3334, higher gives rounder corners), turn policy (int, one of
// potrace's POTRACE_TURNPOLICY_ values), curve optimisation (bool) and its tolerance (real >= 0).
inline const QString kPWTracingParam_colourmode = QStringLiteral("kPWTracingParam_colourmode");
inline const QString kPWTracingParam_levels = QStringLiteral("kPWTracingParam_levels");
inline const QString kPWTracingParam_turdsize = QStringLiteral("kPWTracingParam_turdsize");
inline const QString kPWTracingParam_alphamax = QStringLiteral("kPWTracingParam_alphamax");
inline const QString kPWTracingParam_turnpolicy = QStringLiteral("kPWTracingParam_turnpolicy");
inline const QString kPWTracingParam_opticurve = QStringLiteral("kPWTracingParam_opticurve");
inline const QString kPWTracingParam_opttolerance = QStringLiteral("kPWTracingParam_opttolerance");

// Greyscale, 2 levels, and the tracer's own defaults for the rest.
QVariantMap defaultTracingParameters();

// Traces the image as stacked grey layers. The image is flattened over white, turned grey and
// cut into 2^levels bands (levels clamped to 1..8). Each band darker than white that has pixels
// of its own becomes one object covering every pixel of that band or darker, filled with the
// band's grey; the objects come from lightest to darkest, so that drawing them in order puts
// the lighter layers under the darker ones.
//
// `parameters` may hold any of the tracer's keys; missing or unusable values take the defaults.
// Paths are in the image's pixel coordinates (origin top-left, y down). A null image, one
// larger than 10000 pixels on a side, or a failure of the tracer answers an empty list.
QList<pf::Ref<PWTracedVectorObject>> vectorizeToGrayscaleWithPrecision(const QImage& image, int levels,
                                                                       const QVariantMap& parameters = {});

// Traces the image as one layer per colour. The colours are reduced to at most 2^levels (levels
// clamped to 1..8) by median cut; every quantization method is answered with median cut, the
// only one there is (3 names it). Fully transparent pixels belong to no layer; partly
// transparent ones count with their colour flattened over white. Each object covers the pixels
// of its colour, filled with the mean of those pixels; the objects come from the most common
// colour to the least. Errors and coordinates as for the greyscale tracing.
QList<pf::Ref<PWTracedVectorObject>> vectorizeToColourWithPrecision(const QImage& image, int levels,
                                                                    int quantizationMethod,
                                                                    const QVariantMap& parameters = {});

} // namespace pw
