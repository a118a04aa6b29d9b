#include "platform/graphics/ImageCmykConverter.h"

#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace pf {

namespace {

constexpr int kRgbGridPoints = 17;
constexpr int kCmykGridPoints = 9;
// Tables of a profile with an XYZ connection space see XYZ scaled so that 1.0 is the largest
// encodable value, 1 + 32767/32768.
constexpr double kXyzEncodingMaximum = 1.0 + 32767.0 / 32768.0;

using Matrix3 = std::array<double, 9>;

Matrix3 inverted(const Matrix3& m)
{
    const double a = m[4] * m[8] - m[5] * m[7];
    const double b = m[5] * m[6] - m[3] * m[8];
    const double c = m[3] * m[7] - m[4] * m[6];
    const double determinant = m[0] * a + m[1] * b + m[2] * c;
    return {a / determinant,
            (m[2] * m[7] - m[1] * m[8]) / determinant,
            (m[1] * m[5] - m[2] * m[4]) / determinant,
            b / determinant,
            (m[0] * m[8] - m[2] * m[6]) / determinant,
            (m[2] * m[3] - m[0] * m[5]) / determinant,
            c / determinant,
            (m[1] * m[6] - m[0] * m[7]) / determinant,
            (m[0] * m[4] - m[1] * m[3]) / determinant};
}

// Linear sRGB to XYZ under D50, from lcms2's own sRGB profile, columns red, green, blue.
Matrix3 srgbToXyz(cmsHPROFILE srgb)
{
    const auto* red = static_cast<const cmsCIEXYZ*>(cmsReadTag(srgb, cmsSigRedColorantTag));
    const auto* green = static_cast<const cmsCIEXYZ*>(cmsReadTag(srgb, cmsSigGreenColorantTag));
    const auto* blue = static_cast<const cmsCIEXYZ*>(cmsReadTag(srgb, cmsSigBlueColorantTag));
    return {red->X, green->X, blue->X, red->Y, green->Y, blue->Y, red->Z, green->Z, blue->Z};
}

Matrix3 scaled(Matrix3 m, double factor)
{
    for (double& value : m)
        value *= factor;
    return m;
}

int sampleRgbToCmyk(const cmsUInt16Number in[], cmsUInt16Number out[], void*)
{
    const double rgb[3] = {in[0] / 65535.0, in[1] / 65535.0, in[2] / 65535.0};
    const double k = 1.0 - std::max({rgb[0], rgb[1], rgb[2]});
    for (int i = 0; i < 3; ++i)
        out[i] = k < 1.0 ? cmsUInt16Number(std::lround((1.0 - rgb[i] - k) / (1.0 - k) * 65535.0)) : 0;
    out[3] = cmsUInt16Number(std::lround(k * 65535.0));
    return 1;
}

int sampleCmykToRgb(const cmsUInt16Number in[], cmsUInt16Number out[], void*)
{
    const double k = in[3] / 65535.0;
    for (int i = 0; i < 3; ++i)
        out[i] = cmsUInt16Number(std::lround((1.0 - in[i] / 65535.0) * (1.0 - k) * 65535.0));
    return 1;
}

cmsStage* identityCurves(int channels)
{
    cmsToneCurve* identity = cmsBuildGamma(nullptr, 1.0);
    cmsToneCurve* curves[4] = {identity, identity, identity, identity};
    cmsStage* stage = cmsStageAllocToneCurves(nullptr, cmsUInt32Number(channels), curves);
    cmsFreeToneCurve(identity);
    return stage;
}

cmsStage* srgbCurves(bool encode)
{
    const cmsFloat64Number parameters[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
    cmsToneCurve* decode = cmsBuildParametricToneCurve(nullptr, 4, parameters);
    cmsToneCurve* curve = encode ? cmsReverseToneCurve(decode) : cmsDupToneCurve(decode);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsStage* stage = cmsStageAllocToneCurves(nullptr, 3, curves);
    cmsFreeToneCurve(curve);
    cmsFreeToneCurve(decode);
    return stage;
}

cmsStage* table(int gridPoints, int inputs, int outputs, cmsSAMPLER16 sampler)
{
    cmsStage* stage = cmsStageAllocCLut16bit(nullptr, cmsUInt32Number(gridPoints), cmsUInt32Number(inputs),
                                             cmsUInt32Number(outputs), nullptr);
    cmsStageSampleCLut16bit(stage, sampler, nullptr, 0);
    return stage;
}

void writeText(cmsHPROFILE profile, cmsTagSignature tag, const char* text)
{
    cmsMLU* mlu = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(mlu, "en", "US", text);
    cmsWriteTag(profile, tag, mlu);
    cmsMLUfree(mlu);
}

cmsHPROFILE createCmykProfile()
{
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    const Matrix3 toXyz = srgbToXyz(srgb);
    cmsCloseProfile(srgb);
    const Matrix3 fromPcs = scaled(inverted(toXyz), kXyzEncodingMaximum);
    const Matrix3 toPcs = scaled(toXyz, 1.0 / kXyzEncodingMaximum);
    const double noOffset[3] = {0, 0, 0};

    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 4.3);
    cmsSetDeviceClass(profile, cmsSigOutputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigXYZData);
    cmsSetHeaderRenderingIntent(profile, INTENT_RELATIVE_COLORIMETRIC);
    writeText(profile, cmsSigProfileDescriptionTag, "Quillory device CMYK");
    writeText(profile, cmsSigCopyrightTag, "No copyright, use freely");
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());

    // PCS -> CMYK: XYZ to linear sRGB, sRGB encoding, then the separation table.
    cmsPipeline* toCmyk = cmsPipelineAlloc(nullptr, 3, 4);
    cmsPipelineInsertStage(toCmyk, cmsAT_END, identityCurves(3));
    cmsPipelineInsertStage(toCmyk, cmsAT_END, cmsStageAllocMatrix(nullptr, 3, 3, fromPcs.data(), noOffset));
    cmsPipelineInsertStage(toCmyk, cmsAT_END, srgbCurves(true));
    cmsPipelineInsertStage(toCmyk, cmsAT_END, table(kRgbGridPoints, 3, 4, sampleRgbToCmyk));
    cmsPipelineInsertStage(toCmyk, cmsAT_END, identityCurves(4));
    // CMYK -> PCS: the inverse.
    cmsPipeline* toPcsPipeline = cmsPipelineAlloc(nullptr, 4, 3);
    cmsPipelineInsertStage(toPcsPipeline, cmsAT_END, identityCurves(4));
    cmsPipelineInsertStage(toPcsPipeline, cmsAT_END, table(kCmykGridPoints, 4, 3, sampleCmykToRgb));
    cmsPipelineInsertStage(toPcsPipeline, cmsAT_END, srgbCurves(false));
    cmsPipelineInsertStage(toPcsPipeline, cmsAT_END, cmsStageAllocMatrix(nullptr, 3, 3, toPcs.data(), noOffset));
    cmsPipelineInsertStage(toPcsPipeline, cmsAT_END, identityCurves(3));

    cmsWriteTag(profile, cmsSigBToA0Tag, toCmyk);
    cmsWriteTag(profile, cmsSigAToB0Tag, toPcsPipeline);
    cmsPipelineFree(toCmyk);
    cmsPipelineFree(toPcsPipeline);
    return profile;
}

// The profile and the sRGB -> CMYK transform, built once. Without a cache lcms2 transforms may
// be used from several threads at once.
struct CmykConversion {
    QByteArray profileData;
    cmsHTRANSFORM transform = nullptr;

    CmykConversion()
    {
        cmsHPROFILE cmyk = createCmykProfile();
        cmsUInt32Number size = 0;
        if (cmsSaveProfileToMem(cmyk, nullptr, &size) && size > 0) {
            profileData.resize(qsizetype(size));
            cmsSaveProfileToMem(cmyk, profileData.data(), &size);
        }
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        transform = cmsCreateTransform(srgb, TYPE_RGBA_8, cmyk, TYPE_CMYK_8, INTENT_RELATIVE_COLORIMETRIC,
                                       cmsFLAGS_NOCACHE | cmsFLAGS_HIGHRESPRECALC);
        cmsCloseProfile(srgb);
        cmsCloseProfile(cmyk);
    }
};

const CmykConversion& conversion()
{
    static const CmykConversion instance;
    return instance;
}

} // namespace

bool ImageCmykConverter::convert(const unsigned char* rgbx, unsigned char* cmyk, int count)
{
    const cmsHTRANSFORM transform = conversion().transform;
    if (!transform)
        return false;
    if (count > 0)
        cmsDoTransform(transform, rgbx, cmyk, cmsUInt32Number(count));
    return true;
}

const QByteArray& ImageCmykConverter::profileData()
{
    return conversion().profileData;
}

} // namespace pf
