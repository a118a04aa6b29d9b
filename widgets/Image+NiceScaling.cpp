#include "widgets/Image+NiceScaling.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/Exception.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Image.h"

#include <cmath>
#include <exception>

namespace {

bool hasArea(QSizeF size)
{
    return std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0 && size.height() > 0;
}

// Draws into a new image of `target`; no image when drawing raises.
pf::Ref<pf::Image> drawnImage(QSizeF target, pf::ImageInterpolation interpolation,
                              const std::function<void(pf::GraphicsContext&)>& draw)
{
    auto result = pf::Image::make(target);
    try {
        result->lockFocus();
        try {
            if (pf::GraphicsContext* context = pf::GraphicsContext::current()) {
                context->setImageInterpolation(interpolation);
                draw(*context);
            }
        } catch (...) {
            result->unlockFocus();
            throw;
        }
        result->unlockFocus();
    } catch (const pf::Exception& exception) {
        RVLog(kInfoEvent, QStringLiteral("Couldn't scale image %1").arg(exception.reason()));
        return nullptr;
    } catch (const std::exception& exception) {
        RVLog(kInfoEvent, QStringLiteral("Couldn't scale image %1").arg(QString::fromUtf8(exception.what())));
        return nullptr;
    }
    return result;
}

} // namespace

QSizeF scaledSizeToFitSize(QSizeF size, QSizeF target)
{
    if (!hasArea(size) || !hasArea(target))
        return {};
    const double w = size.width();
    const double h = size.height();
    const double tw = target.width();
    const double th = target.height();
    if (w == h) {
        const double side = std::min(tw, th);
        return {side, side};
    }
    const double r = tw * float(h / w);
    if (r > th)
        return {th * float(w / h), th};
    return {tw, r};
}

QSizeF scaledSizeToCoverSize(QSizeF size, QSizeF target)
{
    if (!hasArea(size) || !hasArea(target))
        return {};
    const double w = size.width();
    const double h = size.height();
    const double tw = target.width();
    const double th = target.height();
    const double r = tw * float(h / w);
    if (th > r)
        return {th * float(w / h), th};
    return {tw, r};
}

QSizeF scaledSizeToFitSize(const pf::Image& image, QSizeF target)
{
    return scaledSizeToFitSize(image.size(), target);
}

QSizeF scaledSizeToCoverSize(const pf::Image& image, QSizeF target)
{
    return scaledSizeToCoverSize(image.size(), target);
}

QPointF coverOriginForAlignment(QSizeF cover, QSizeF target, int alignment)
{
    const double dx = cover.width() - target.width();
    const double dy = cover.height() - target.height();
    switch (alignment) {
    case kCoverAlignCentre:
        return {-dx / 2, -dy / 2};
    case kCoverAlignTopCentre:
        return {-dx / 2, -dy};
    case kCoverAlignTopLeft:
        return {0, -dy};
    case kCoverAlignTopRight:
        return {-dx, -dy};
    case kCoverAlignMiddleLeft:
        return {0, -dy / 2};
    case kCoverAlignBottomCentre:
        return {-dx / 2, 0};
    case kCoverAlignBottomRight:
        return {-dx, 0};
    case kCoverAlignMiddleRight:
        return {-dx, -dy / 2};
    case kCoverAlignBottomLeft:
    default:
        return {0, 0};
    }
}

pf::Ref<pf::Image> scaledImageToFitSize(const pf::Image& image, QSizeF target, pf::ImageInterpolation interpolation,
                                        bool box)
{
    const QSizeF fitted = scaledSizeToFitSize(image, target);
    if (fitted.isEmpty())
        return nullptr;
    const QRectF placed(QPointF((target.width() - fitted.width()) / 2, (target.height() - fitted.height()) / 2), fitted);
    return drawnImage(target, interpolation, [&](pf::GraphicsContext& context) {
        if (box) {
            context.setFillColour(pf::Color::white());
            context.fillRect(placed);
        }
        image.draw(context, placed);
        if (box) {
            context.setStrokeColour(pf::Color::black());
            context.strokePath(*pf::BezierPath::pathWithRect(placed));
        }
    });
}

pf::Ref<pf::Image> scaledImageToCoverSize(const pf::Image& image, QSizeF target, pf::ImageInterpolation interpolation,
                                          bool box, int alignment)
{
    const QSizeF cover = scaledSizeToCoverSize(image, target);
    if (cover.isEmpty())
        return nullptr;
    const QRectF canvas(QPointF(0, 0), target);
    const QRectF placed(coverOriginForAlignment(cover, target, alignment), cover);
    return drawnImage(target, interpolation, [&](pf::GraphicsContext& context) {
        context.addClip(*pf::BezierPath::pathWithRect(canvas));
        image.draw(context, placed);
        if (box) {
            context.setStrokeColour(pf::Color::black());
            context.strokePath(*pf::BezierPath::pathWithRect(canvas));
        }
    });
}
