#include "frameworks/penwork/tracing/ImageVectorizing.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/Variant.h"

#include <potracelib.h>

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <memory>
#include <numeric>
#include <optional>
#include <vector>

namespace pw {

namespace {

constexpr int kMaxImageSide = 10000;
constexpr int kMinLevels = 1;
constexpr int kMaxLevels = 8;
// Corners disappear altogether above this alpha max, so larger values mean nothing more.
constexpr double kMaxAlphaMax = 1.3334;

using Objects = QList<pf::Ref<PWTracedVectorObject>>;

struct ParamDeleter {
    void operator()(potrace_param_t* param) const { potrace_param_free(param); }
};
struct StateDeleter {
    void operator()(potrace_state_t* state) const { potrace_state_free(state); }
};
using ParamPtr = std::unique_ptr<potrace_param_t, ParamDeleter>;
using StatePtr = std::unique_ptr<potrace_state_t, StateDeleter>;

// A one-bit image in the tracer's layout, owning its words. The tracer's first scanline is the
// bottom one, so image row r is kept in scanline (height - 1 - r).
class TraceBitmap {
public:
    TraceBitmap(int width, int height)
        : m_width(width), m_height(height), m_wordsPerLine((width + kBits - 1) / kBits),
          m_words(size_t(m_wordsPerLine) * size_t(height), 0)
    {
    }

    // Sets the pixels of image row `row` whose keys `inLayer` accepts, a word at a time.
    template<typename Key, typename Accept>
    void setRow(int row, const Key* keys, Accept inLayer)
    {
        potrace_word* words = m_words.data() + size_t(m_height - 1 - row) * size_t(m_wordsPerLine);
        for (int word = 0; word < m_wordsPerLine; ++word) {
            const int first = word * kBits;
            const int count = std::min(kBits, m_width - first);
            potrace_word bits = 0;
            for (int i = 0; i < count; ++i)
                bits |= potrace_word(inLayer(keys[first + i]) ? 1 : 0) << (kBits - 1 - i);
            words[word] = bits;
        }
    }

    potrace_bitmap_t bitmap() { return potrace_bitmap_t{m_width, m_height, m_wordsPerLine, m_words.data()}; }

private:
    static constexpr int kBits = int(sizeof(potrace_word) * CHAR_BIT);
    int m_width;
    int m_height;
    int m_wordsPerLine;
    std::vector<potrace_word> m_words;
};

int intParameter(const QVariantMap& parameters, const QString& key, int fallback, int minimum, int maximum)
{
    const QVariant value = parameters.value(key);
    if (!pf::isNumber(value))
        return fallback;
    const double number = value.toDouble();
    if (!std::isfinite(number))
        return fallback;
    return int(std::clamp(std::round(number), double(minimum), double(maximum)));
}

double realParameter(const QVariantMap& parameters, const QString& key, double fallback, double minimum,
                     double maximum)
{
    const QVariant value = parameters.value(key);
    if (!pf::isNumber(value))
        return fallback;
    const double number = value.toDouble();
    return std::isfinite(number) ? std::clamp(number, minimum, maximum) : fallback;
}

// The tracer's parameters from the dictionary; values that are missing or not numbers keep
// the tracer's defaults, numbers out of range are brought into it.
ParamPtr makeParameters(const QVariantMap& parameters)
{
    ParamPtr param(potrace_param_default());
    if (!param)
        return nullptr;
    param->turdsize = intParameter(parameters, kPWTracingParam_turdsize, param->turdsize, 0, INT_MAX);
    param->alphamax = realParameter(parameters, kPWTracingParam_alphamax, param->alphamax, 0.0, kMaxAlphaMax);
    param->turnpolicy = intParameter(parameters, kPWTracingParam_turnpolicy, param->turnpolicy,
                                     POTRACE_TURNPOLICY_BLACK, POTRACE_TURNPOLICY_RANDOM);
    const QVariant opticurve = parameters.value(kPWTracingParam_opticurve);
    if (opticurve.isValid())
        param->opticurve = pf::variantToBool(opticurve) ? 1 : 0;
    param->opttolerance =
        realParameter(parameters, kPWTracingParam_opttolerance, param->opttolerance, 0.0, double(INT_MAX));
    return param;
}

// What the objects record as the parameters they were traced with.
QVariantMap usedParameters(const potrace_param_t& param, int colourMode, int levels)
{
    return QVariantMap{
        {kPWTracingParam_colourmode, colourMode},
        {kPWTracingParam_levels, levels},
        {kPWTracingParam_turdsize, param.turdsize},
        {kPWTracingParam_alphamax, param.alphamax},
        {kPWTracingParam_turnpolicy, param.turnpolicy},
        {kPWTracingParam_opticurve, param.opticurve != 0},
        {kPWTracingParam_opttolerance, param.opttolerance},
    };
}

QPointF imagePoint(const potrace_dpoint_t& point, int height)
{
    return QPointF(point.x, double(height) - point.y);
}

// A closed curve of the tracer as one closed sub-path. The curve starts where its last
// segment ends.
void appendCurve(pf::BezierPath& path, const potrace_curve_t& curve, int height)
{
    if (curve.n <= 0)
        return;
    path.moveTo(imagePoint(curve.c[curve.n - 1][2], height));
    for (int i = 0; i < curve.n; ++i) {
        const potrace_dpoint_t* points = curve.c[i];
        if (curve.tag[i] == POTRACE_CORNER) {
            path.lineTo(imagePoint(points[1], height));
            path.lineTo(imagePoint(points[2], height));
        } else {
            path.curveTo(imagePoint(points[2], height), imagePoint(points[0], height), imagePoint(points[1], height));
        }
    }
    path.closePath();
}

// Every curve of the bitmap in one path. Outer curves and holes alternate as they nest, so the
// even-odd rule leaves the holes open. Answers nothing when the tracer fails.
std::optional<pf::Ref<pf::BezierPath>> tracePath(const potrace_param_t& param, TraceBitmap& bitmap, int height)
{
    const potrace_bitmap_t raw = bitmap.bitmap();
    const StatePtr state(potrace_trace(&param, &raw));
    if (!state || state->status != POTRACE_STATUS_OK) {
        pf::log(QStringLiteral("Image tracing failed: the tracer could not trace a %1 x %2 bitmap")
                    .arg(raw.w)
                    .arg(raw.h));
        return std::nullopt;
    }
    pf::Ref<pf::BezierPath> path = pf::BezierPath::path();
    path->setWindingRule(pf::BezierPath::WindingRule::EvenOdd);
    for (const potrace_path_t* curve = state->plist; curve; curve = curve->next)
        appendCurve(*path, curve->curve, height);
    return path;
}

bool isTraceable(const QImage& image)
{
    if (image.isNull())
        return false;
    if (image.width() > kMaxImageSide || image.height() > kMaxImageSide) {
        pf::log(QStringLiteral("Image tracing refused: %1 x %2 pixels is larger than %3 x %3")
                    .arg(image.width())
                    .arg(image.height())
                    .arg(kMaxImageSide));
        return false;
    }
    return true;
}

QRgb flattenedOverWhite(QRgb pixel)
{
    const int alpha = qAlpha(pixel);
    const auto blend = [alpha](int component) { return (component * alpha + 255 * (255 - alpha) + 127) / 255; };
    return qRgb(blend(qRed(pixel)), blend(qGreen(pixel)), blend(qBlue(pixel)));
}

// Every pixel's key, row by row: what decides the layers it belongs to (its grey band, or its
// colour), worked out once however many layers there are. Grey bands fit a byte.
template<typename Key>
struct Keys {
    int width = 0;
    int height = 0;
    std::vector<Key> keys;
    const Key* row(int y) const { return keys.data() + size_t(y) * size_t(width); }
};

template<typename Key, typename KeyOf>
Keys<Key> keysOf(const QImage& argb, KeyOf keyOf)
{
    const int width = argb.width();
    const int height = argb.height();
    Keys<Key> keys{width, height, std::vector<Key>(size_t(width) * size_t(height))};
    for (int y = 0; y < height; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        Key* out = keys.keys.data() + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x)
            out[x] = keyOf(line[x]);
    }
    return keys;
}

// One layer to trace, with the colour to fill it: the pixels whose key is `key` or, for a
// cumulative layer, at most `key`.
struct Layer {
    pf::Color colour;
    quint16 key;
    bool cumulative;
};

// Traces the layers in order into objects; the first failure of the tracer answers nothing.
// Layers that trace to no curve (all their regions dropped as speckles) make no object.
template<typename Key>
Objects traceLayers(const Keys<Key>& keys, const QList<Layer>& layers, const QVariantMap& parameters, int colourMode,
                    int levels)
{
    const ParamPtr param = makeParameters(parameters);
    if (!param) {
        pf::log(QStringLiteral("Image tracing failed: the tracer's parameters could not be made"));
        return {};
    }
    const QVariantMap used = usedParameters(*param, colourMode, levels);
    Objects objects;
    for (const Layer& layer : layers) {
        TraceBitmap bitmap(keys.width, keys.height);
        const Key key = Key(layer.key);
        for (int y = 0; y < keys.height; ++y) {
            if (layer.cumulative)
                bitmap.setRow(y, keys.row(y), [key](Key k) { return k <= key; });
            else
                bitmap.setRow(y, keys.row(y), [key](Key k) { return k == key; });
        }
        const std::optional<pf::Ref<pf::BezierPath>> path = tracePath(*param, bitmap, keys.height);
        if (!path)
            return {};
        if ((*path)->isEmpty())
            continue;
        auto object = std::make_shared<PWTracedVectorObject>(*path, layer.colour);
        object->setTracingParameters(used);
        objects.append(object);
    }
    return objects;
}

// Median cut over a histogram of 5 bits a component: bounded in size whatever the image, and
// colours closer than that are not told apart.
class MedianCut {
public:
    static constexpr int kSide = 32;

    static int binOf(QRgb colour) { return (qRed(colour) >> 3) << 10 | (qGreen(colour) >> 3) << 5 | (qBlue(colour) >> 3); }

    void add(QRgb colour)
    {
        Bin& bin = m_bins[size_t(binOf(colour))];
        ++bin.count;
        bin.red += qRed(colour);
        bin.green += qGreen(colour);
        bin.blue += qBlue(colour);
    }

    // Cuts the colours into at most `maxColours` boxes and answers them with their mean colour
    // and pixel count, most pixels first. binBox(bin) then answers a bin's box index.
    struct Colour {
        QRgb rgb;
        qint64 pixels;
    };
    QList<Colour> quantise(int maxColours)
    {
        std::vector<Box> boxes;
        Box all{{0, 0, 0}, {kSide - 1, kSide - 1, kSide - 1}, 0};
        shrink(all);
        if (all.pixels == 0)
            return {};
        boxes.push_back(all);
        while (int(boxes.size()) < maxColours) {
            // The most crowded box that still spans more than one bin.
            int chosen = -1;
            for (int i = 0; i < int(boxes.size()); ++i) {
                if (boxes[size_t(i)].canSplit() && (chosen < 0 || boxes[size_t(i)].pixels > boxes[size_t(chosen)].pixels))
                    chosen = i;
            }
            if (chosen < 0)
                break;
            Box upper = split(boxes[size_t(chosen)]);
            boxes.push_back(upper);
        }
        std::sort(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.pixels > b.pixels; });

        QList<Colour> colours;
        m_binBox.assign(size_t(kSide * kSide * kSide), -1);
        for (int index = 0; index < int(boxes.size()); ++index) {
            const Box& box = boxes[size_t(index)];
            qint64 red = 0, green = 0, blue = 0;
            forEachBin(box, [&](int bin) {
                const Bin& b = m_bins[size_t(bin)];
                if (b.count == 0)
                    return;
                red += b.red;
                green += b.green;
                blue += b.blue;
                m_binBox[size_t(bin)] = index;
            });
            const auto mean = [&box](qint64 sum) { return int((sum + box.pixels / 2) / box.pixels); };
            colours.append(Colour{qRgb(mean(red), mean(green), mean(blue)), box.pixels});
        }
        return colours;
    }

    int boxOf(QRgb colour) const { return m_binBox[size_t(binOf(colour))]; }

private:
    struct Bin {
        qint64 count = 0;
        qint64 red = 0, green = 0, blue = 0;
    };
    struct Box {
        std::array<int, 3> low;
        std::array<int, 3> high;
        qint64 pixels;
        bool canSplit() const { return low != high; }
    };

    static int binAt(int r, int g, int b) { return r << 10 | g << 5 | b; }

    template <class F>
    static void forEachBin(const Box& box, F&& f)
    {
        for (int r = box.low[0]; r <= box.high[0]; ++r)
            for (int g = box.low[1]; g <= box.high[1]; ++g)
                for (int b = box.low[2]; b <= box.high[2]; ++b)
                    f(binAt(r, g, b));
    }

    // Tightens the box to the bins that hold pixels and counts them.
    void shrink(Box& box) const
    {
        std::array<int, 3> low{kSide, kSide, kSide};
        std::array<int, 3> high{-1, -1, -1};
        qint64 pixels = 0;
        for (int r = box.low[0]; r <= box.high[0]; ++r)
            for (int g = box.low[1]; g <= box.high[1]; ++g)
                for (int b = box.low[2]; b <= box.high[2]; ++b) {
                    const qint64 count = m_bins[size_t(binAt(r, g, b))].count;
                    if (count == 0)
                        continue;
                    pixels += count;
                    const std::array<int, 3> at{r, g, b};
                    for (int axis = 0; axis < 3; ++axis) {
                        low[size_t(axis)] = std::min(low[size_t(axis)], at[size_t(axis)]);
                        high[size_t(axis)] = std::max(high[size_t(axis)], at[size_t(axis)]);
                    }
                }
        box.pixels = pixels;
        if (pixels > 0) {
            box.low = low;
            box.high = high;
        }
    }

    // Cuts the box across its longest side where half its pixels lie on either side; the box
    // keeps the lower part and the upper part is answered. Both parts hold pixels, because a
    // shrunk box has pixels in its first and last slices.
    Box split(Box& box) const
    {
        int axis = 0;
        for (int a = 1; a < 3; ++a) {
            if (box.high[size_t(a)] - box.low[size_t(a)] > box.high[size_t(axis)] - box.low[size_t(axis)])
                axis = a;
        }
        const size_t ax = size_t(axis);
        std::vector<qint64> slices(size_t(kSide), 0);
        forEachBin(box, [&](int bin) {
            const std::array<int, 3> at{bin >> 10, (bin >> 5) & 31, bin & 31};
            slices[size_t(at[ax])] += m_bins[size_t(bin)].count;
        });
        int cut = box.low[ax];
        qint64 below = 0;
        for (; cut < box.high[ax] - 1; ++cut) {
            below += slices[size_t(cut)];
            if (2 * below >= box.pixels)
                break;
        }
        Box upper = box;
        box.high[ax] = cut;
        upper.low[ax] = cut + 1;
        shrink(box);
        shrink(upper);
        return upper;
    }

    std::vector<Bin> m_bins = std::vector<Bin>(size_t(kSide * kSide * kSide));
    std::vector<int> m_binBox;
};

} // namespace

QVariantMap defaultTracingParameters()
{
    return QVariantMap{
        {kPWTracingParam_colourmode, 1},
        {kPWTracingParam_levels, 2},
        {kPWTracingParam_turdsize, 2},
        {kPWTracingParam_alphamax, 1.0},
        {kPWTracingParam_turnpolicy, POTRACE_TURNPOLICY_MINORITY},
        {kPWTracingParam_opticurve, true},
        {kPWTracingParam_opttolerance, 0.2},
    };
}

QList<pf::Ref<PWTracedVectorObject>> vectorizeToGrayscaleWithPrecision(const QImage& image, int levels,
                                                                       const QVariantMap& parameters)
{
    if (!isTraceable(image))
        return {};
    levels = std::clamp(levels, kMinLevels, kMaxLevels);
    const int bands = 1 << levels;
    const auto bandOfGrey = [bands](int grey) { return quint8(grey * bands / 256); };
    Keys<quint8> keys;
    if (image.format() == QImage::Format_Grayscale8) {
        // A scan: opaque greys, each its own grey once flattened, read as they are.
        keys = Keys<quint8>{image.width(), image.height(),
                            std::vector<quint8>(size_t(image.width()) * size_t(image.height()))};
        std::array<quint8, 256> bandOf;
        for (int grey = 0; grey < 256; ++grey)
            bandOf[size_t(grey)] = bandOfGrey(grey);
        for (int y = 0; y < image.height(); ++y) {
            const uchar* line = image.constScanLine(y);
            quint8* out = keys.keys.data() + size_t(y) * size_t(image.width());
            for (int x = 0; x < image.width(); ++x)
                out[x] = bandOf[line[x]];
        }
    } else {
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        keys = keysOf<quint8>(argb, [&](QRgb pixel) { return bandOfGrey(qGray(flattenedOverWhite(pixel))); });
    }

    std::vector<bool> bandUsed(size_t(bands), false);
    for (const quint8 band : keys.keys)
        bandUsed[band] = true;

    // The lightest band is white, the paper; a band without pixels of its own would only
    // repeat the darker layer under it.
    QList<Layer> layers;
    for (int band = bands - 2; band >= 0; --band) {
        if (!bandUsed[size_t(band)])
            continue;
        layers.append(Layer{pf::Color::rgbGrey(double(band) / double(bands - 1)), quint16(band), true});
    }
    return traceLayers(keys, layers, parameters, 1, levels);
}

QList<pf::Ref<PWTracedVectorObject>> vectorizeToColourWithPrecision(const QImage& image, int levels,
                                                                    int quantizationMethod,
                                                                    const QVariantMap& parameters)
{
    Q_UNUSED(quantizationMethod); // median cut whatever the method, see the header
    if (!isTraceable(image))
        return {};
    levels = std::clamp(levels, kMinLevels, kMaxLevels);
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);

    auto cut = std::make_shared<MedianCut>();
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) != 0)
                cut->add(flattenedOverWhite(line[x]));
        }
    }
    const QList<MedianCut::Colour> colours = cut->quantise(1 << levels);

    // Key 0 for the transparent pixels, which belong to no layer; a colour's box is its key
    // less one.
    const Keys<quint16> keys = keysOf<quint16>(argb, [&cut](QRgb pixel) {
        return quint16(qAlpha(pixel) == 0 ? 0 : cut->boxOf(flattenedOverWhite(pixel)) + 1);
    });
    QList<Layer> layers;
    for (int index = 0; index < colours.size(); ++index) {
        const QRgb rgb = colours[index].rgb;
        layers.append(Layer{pf::Color(qRed(rgb) / 255.0, qGreen(rgb) / 255.0, qBlue(rgb) / 255.0),
                            quint16(index + 1), false});
    }
    return traceLayers(keys, layers, parameters, 0, levels);
}

} // namespace pw
