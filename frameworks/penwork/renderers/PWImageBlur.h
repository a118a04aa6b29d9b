#pragma once

#include <QImage>

// Blurs of premultiplied ARGB images, done in place with passes along rows and columns.
namespace pw::renderers {

enum class BlurKind : int { Gaussian = 0, Box = 1, Disc = 2, Motion = 3 };
inline constexpr int kLastBlurKind = int(BlurKind::Motion);

// No blur reaches further than this many pixels; a larger radius is as good as this one.
inline constexpr int kMaxBlurPixels = 256;

// How far (in pixels) a blur of `radius` pixels spreads what it blurs.
int blurReachInPixels(BlurKind kind, double radius);

// Blurs `image` (converted to ARGB32 premultiplied when it is not) by `radius` pixels, at most
// kMaxBlurPixels. The motion blur smears along `angleInDegrees` (0 runs along +x, positive
// turns towards +y), `radius` each way. Blurs whose work grows with the radius (disc, motion)
// run on a reduced copy when the image is large, so their cost stays bounded.
void blurImage(QImage& image, BlurKind kind, double radius, double angleInDegrees = 0.0);

// Multiplies every pixel's alpha (and so its premultiplied colour) by `factor`, at most 1 in
// the result.
void scaleAlpha(QImage& image, double factor);

} // namespace pw::renderers
