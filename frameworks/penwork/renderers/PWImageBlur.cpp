#include "frameworks/penwork/renderers/PWImageBlur.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace pw::renderers {

namespace {

// Past this many pixel-samples a disc or motion blur runs on a smaller copy of the image.
constexpr double kMaxSamples = 40.0 * 1000 * 1000;

double boundedRadius(double radius)
{
    if (!(radius > 0.0))
        return 0.0;
    return std::min(radius, double(kMaxBlurPixels));
}

// One box pass of `radius` over `count` pixels `stride` apart, every channel; what lies
// outside counts as transparent.
void boxPass(QRgb* pixels, int count, qsizetype stride, int radius, std::vector<QRgb>& scratch)
{
    scratch.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        scratch[size_t(i)] = pixels[i * stride];
    const int window = 2 * radius + 1;
    long a = 0, r = 0, g = 0, b = 0;
    auto add = [&](QRgb p, int sign) {
        a += sign * long(qAlpha(p));
        r += sign * long(qRed(p));
        g += sign * long(qGreen(p));
        b += sign * long(qBlue(p));
    };
    for (int i = 0; i <= std::min(radius, count - 1); ++i)
        add(scratch[size_t(i)], 1);
    const long half = window / 2;
    for (int i = 0; i < count; ++i) {
        pixels[i * stride] = qRgba(int((r + half) / window), int((g + half) / window), int((b + half) / window),
                                   int((a + half) / window));
        if (i + radius + 1 < count)
            add(scratch[size_t(i + radius + 1)], 1);
        if (i - radius >= 0)
            add(scratch[size_t(i - radius)], -1);
    }
}

void boxBlur(QImage& image, int radius, int passes)
{
    if (radius <= 0)
        return;
    std::vector<QRgb> scratch;
    const qsizetype stride = image.bytesPerLine() / 4;
    auto* bits = reinterpret_cast<QRgb*>(image.bits());
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < image.height(); ++y)
            boxPass(bits + y * stride, image.width(), 1, radius, scratch);
        for (int x = 0; x < image.width(); ++x)
            boxPass(bits + x, image.height(), stride, radius, scratch);
    }
}

// The box radius of three passes that together spread about as far as a Gaussian of `sigma`.
int gaussianBoxRadius(double sigma)
{
    return std::max(1, int(std::lround((std::sqrt(4.0 * sigma * sigma + 1.0) - 1.0) / 2.0)));
}

// Sums of whole shifted copies: each sample adds the image moved by one offset, so every pass
// runs along rows.
void averageOfShifts(QImage& image, const std::vector<QPoint>& offsets)
{
    const int w = image.width();
    const int h = image.height();
    std::vector<quint32> sums(size_t(w) * size_t(h) * 4, 0);
    for (const QPoint& offset : offsets) {
        for (int y = 0; y < h; ++y) {
            const int sy = y + offset.y();
            if (sy < 0 || sy >= h)
                continue;
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(sy));
            quint32* out = sums.data() + size_t(y) * size_t(w) * 4;
            const int from = std::max(0, -offset.x());
            const int to = std::min(w, w - offset.x());
            for (int x = from; x < to; ++x) {
                const QRgb p = row[x + offset.x()];
                quint32* s = out + size_t(x) * 4;
                s[0] += qAlpha(p);
                s[1] += qRed(p);
                s[2] += qGreen(p);
                s[3] += qBlue(p);
            }
        }
    }
    const quint32 n = quint32(offsets.size());
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const quint32* in = sums.data() + size_t(y) * size_t(w) * 4;
        for (int x = 0; x < w; ++x) {
            const quint32* s = in + size_t(x) * 4;
            row[x] = qRgba(int((s[1] + n / 2) / n), int((s[2] + n / 2) / n), int((s[3] + n / 2) / n),
                           int((s[0] + n / 2) / n));
        }
    }
}

// A disc as horizontal runs: the sum over every row of the disc of a box along that row, each
// box read from running sums of the row.
void discBlur(QImage& image, int radius)
{
    const int w = image.width();
    const int h = image.height();
    std::vector<quint32> prefix(size_t(w + 1) * size_t(h) * 4, 0);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        quint32* p = prefix.data() + size_t(y) * size_t(w + 1) * 4;
        for (int x = 0; x < w; ++x) {
            const QRgb c = row[x];
            p[(x + 1) * 4 + 0] = p[x * 4 + 0] + qAlpha(c);
            p[(x + 1) * 4 + 1] = p[x * 4 + 1] + qRed(c);
            p[(x + 1) * 4 + 2] = p[x * 4 + 2] + qGreen(c);
            p[(x + 1) * 4 + 3] = p[x * 4 + 3] + qBlue(c);
        }
    }
    std::vector<int> halfWidths(size_t(2 * radius + 1));
    quint32 count = 0;
    for (int dy = -radius; dy <= radius; ++dy) {
        const int half = int(std::floor(std::sqrt(double(radius) * radius - double(dy) * dy)));
        halfWidths[size_t(dy + radius)] = half;
        count += quint32(2 * half + 1);
    }
    std::vector<quint64> sum(size_t(w) * 4);
    for (int y = 0; y < h; ++y) {
        std::fill(sum.begin(), sum.end(), 0);
        for (int dy = -radius; dy <= radius; ++dy) {
            const int sy = y + dy;
            if (sy < 0 || sy >= h)
                continue;
            const int half = halfWidths[size_t(dy + radius)];
            const quint32* p = prefix.data() + size_t(sy) * size_t(w + 1) * 4;
            for (int x = 0; x < w; ++x) {
                const int lo = std::max(0, x - half);
                const int hi = std::min(w, x + half + 1);
                for (int c = 0; c < 4; ++c)
                    sum[size_t(x) * 4 + size_t(c)] += p[hi * 4 + c] - p[lo * 4 + c];
            }
        }
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const quint64* s = sum.data() + size_t(x) * 4;
            row[x] = qRgba(int((s[1] + count / 2) / count), int((s[2] + count / 2) / count),
                           int((s[3] + count / 2) / count), int((s[0] + count / 2) / count));
        }
    }
}

void motionBlur(QImage& image, double radius, double angleInDegrees)
{
    const double angle = angleInDegrees * M_PI / 180.0;
    const QPointF step(std::cos(angle), std::sin(angle));
    const int reach = std::max(1, int(std::lround(radius)));
    std::vector<QPoint> offsets;
    offsets.reserve(size_t(2 * reach + 1));
    for (int k = -reach; k <= reach; ++k)
        offsets.push_back((step * k).toPoint());
    averageOfShifts(image, offsets);
}

// Runs `blur` on a copy reduced so that pixels x samples stays within the budget, and scales
// the result back up.
template <class F>
void withinBudget(QImage& image, double radius, F blur)
{
    const double samples = double(image.width()) * image.height() * (2.0 * radius + 1.0);
    if (samples <= kMaxSamples) {
        blur(image, radius);
        return;
    }
    // Both the image and the radius shrink by the factor, so the work falls with its cube.
    const double factor = std::max(0.02, std::cbrt(kMaxSamples / samples));
    const QSize reducedSize(std::max(1, int(image.width() * factor)), std::max(1, int(image.height() * factor)));
    QImage reduced = image.scaled(reducedSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    blur(reduced, std::max(1.0, radius * factor));
    image = reduced.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

int blurReachInPixels(BlurKind kind, double radius)
{
    const double r = boundedRadius(radius);
    if (r <= 0.0)
        return 0;
    switch (kind) {
    case BlurKind::Gaussian:
        return 3 * gaussianBoxRadius(r);
    case BlurKind::Box:
    case BlurKind::Disc:
    case BlurKind::Motion:
        break;
    }
    return int(std::ceil(r));
}

void blurImage(QImage& image, BlurKind kind, double radius, double angleInDegrees)
{
    const double r = boundedRadius(radius);
    if (image.isNull() || r <= 0.0)
        return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    switch (kind) {
    case BlurKind::Gaussian:
        boxBlur(image, gaussianBoxRadius(r), 3);
        break;
    case BlurKind::Box:
        boxBlur(image, std::max(1, int(std::lround(r))), 1);
        break;
    case BlurKind::Disc:
        withinBudget(image, r, [](QImage& target, double reduced) {
            discBlur(target, std::max(1, int(std::lround(reduced))));
        });
        break;
    case BlurKind::Motion: {
        const double angle = std::isfinite(angleInDegrees) ? angleInDegrees : 0.0;
        withinBudget(image, r, [angle](QImage& target, double reduced) { motionBlur(target, reduced, angle); });
        break;
    }
    }
}

void scaleAlpha(QImage& image, double factor)
{
    if (image.isNull() || !(factor >= 0.0) || factor == 1.0)
        return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            const int a = qAlpha(p);
            if (a == 0)
                continue;
            // Colour and alpha grow together, so a premultiplied pixel stays valid.
            const double f = std::min(factor, 255.0 / a);
            row[x] = qRgba(std::min(255, int(qRed(p) * f + 0.5)), std::min(255, int(qGreen(p) * f + 0.5)),
                           std::min(255, int(qBlue(p) * f + 0.5)), std::min(255, int(a * f + 0.5)));
        }
    }
}

} // namespace pw::renderers
