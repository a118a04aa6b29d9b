#include "widgets/CTBadge.h"

#include "widgets/BezierPath+RVAdditions.h"

#include "platform/foundation/Exception.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Shadow.h"
#include "platform/graphics/StringDrawing.h"
#include "platform/ui/Application.h"
#include "platform/ui/Cell.h"

#include <QPainter>

#include <cmath>

PF_DEFINE_CLASS(CTBadge, pf::Object) {}

CTBadge::CTBadge() : CTBadge(pf::Color::red(), pf::Color::white()) {}

CTBadge::CTBadge(const pf::Color& badgeColour, const pf::Color& labelColour)
    : m_badgeColor(badgeColour), m_labelColor(labelColour)
{
}

pf::Ref<CTBadge> CTBadge::systemBadge()
{
    return std::make_shared<CTBadge>();
}

pf::Ref<CTBadge> CTBadge::badgeWithColor(const pf::Color& badgeColour, const pf::Color& labelColour)
{
    return std::make_shared<CTBadge>(badgeColour, labelColour);
}

pf::Ref<pf::Image> CTBadge::smallBadgeForValue(quint64 value) const
{
    return badgeOfSize(kSmallSize, stringForValue(value));
}

pf::Ref<pf::Image> CTBadge::smallBadgeForString(const QString& string) const
{
    return badgeOfSize(kSmallSize, string);
}

pf::Ref<pf::Image> CTBadge::largeBadgeForValue(quint64 value) const
{
    return badgeOfSize(kLargeSize, stringForValue(value));
}

pf::Ref<pf::Image> CTBadge::largeBadgeForString(const QString& string) const
{
    return badgeOfSize(kLargeSize, string);
}

pf::Ref<pf::Image> CTBadge::badgeOfSize(double size, quint64 value) const
{
    return badgeOfSize(size, stringForValue(value));
}

QString CTBadge::stringForValue(quint64 value)
{
    if (value > kLargestShownValue)
        return QStringLiteral("∞");
    return QString::number(value);
}

pf::Gradient CTBadge::badgeGradient() const
{
    return pf::Gradient(QList<pf::ColorStop>{
        {m_badgeColor, 0.0},
        {m_badgeColor, 1.0 / 3.0},
        {m_badgeColor.shadowWithLevel(1.0 / 3.0), 1.0},
    });
}

pf::AttributedString CTBadge::labelForString(const QString& string, unsigned fontSize) const
{
    const pf::Font font = fontSize > 11 ? pf::Font::fromName(QStringLiteral("Helvetica-Bold"), fontSize)
                                        : pf::Font::boldSystemFont(fontSize);
    QString text = string;
    if (text.size() >= 6)
        text = text.left(3) + QChar(0x2026) + QChar(0x200B);
    return pf::AttributedString(text, QVariantMap{
                                          {pf::kFontAttributeName, pf::toVariant(std::make_shared<pf::Font>(font))},
                                          {pf::kForegroundColorAttributeName,
                                           pf::toVariant(std::make_shared<pf::Color>(m_labelColor))},
                                      });
}

QString CTBadge::maskNameForLength(unsigned length)
{
    if (length <= 2)
        return QStringLiteral("CTBadge_1.pdf");
    if (length == 3)
        return QStringLiteral("CTBadge_3.pdf");
    if (length == 4)
        return QStringLiteral("CTBadge_4.pdf");
    return QStringLiteral("CTBadge_5.pdf");
}

pf::Ref<pf::Image> CTBadge::badgeMaskOfSize(double size, unsigned length)
{
    pf::Ref<pf::Image> mask = pf::Image::imageNamed(maskNameForLength(length));
    if (!mask || mask->size().isEmpty()) {
        // Without the artwork a plain capsule of the same proportions stands in, so a badge
        // still shows.
        const double height = size > 0 ? size : kSmallSize;
        const double width = height * (1.0 + 0.3 * (std::clamp(length, 2u, 5u) - 2));
        return pf::Image::withDrawing(QSizeF(width, height), [](QPainter& painter, const QSizeF& extent) {
            painter.setRenderHint(QPainter::Antialiasing);
            bezierPathWithRoundEndedRectInRect(QRectF(QPointF(0, 0), extent))->fill(painter, Qt::black);
        });
    }
    const QSizeF natural = mask->size();
    if (size > 0 && size != natural.height())
        return mask->copyImage()->resized(QSizeF(natural.width() * size / natural.height(), size));
    return mask;
}

pf::Ref<pf::Image> CTBadge::badgeOfSize(double size, const QString& string) const
{
    if (!(size > 0)) {
        pf::raise(pf::NSInvalidArgumentException,
                  QStringLiteral("%1 %2: size (%3) must be positive")
                      .arg(className(), QStringLiteral("badgeOfSize:forString:"), QString::number(size, 'f', 6)));
    }
    const bool small = size <= kSmallSize;
    const float k = small ? float(size / kSmallSize) : float(size / kLargeSize);
    const unsigned fontSize = unsigned(small ? k * 11 : k * 24);
    const pf::AttributedString label = labelForString(string, fontSize);
    const QSizeF labelSize = pf::StringDrawing::size(label);
    const double a = small ? std::floor(k) : std::ceil(k);
    const double b = small ? std::ceil(k) : std::ceil(2 * k);
    const double shadowAlpha = small ? 0.6 : 0.8;
    const double angle = label.length() >= 4 ? -30.0 : -45.0;

    const pf::Ref<pf::Image> mask = badgeMaskOfSize(size, unsigned(label.length()));
    const QSizeF maskSize = mask->size();
    const QSizeF imageSize(2 * b + maskSize.width(), 2 * b + maskSize.height() - a + (small ? 1 : 0));

    auto body = pf::Image::make(imageSize);
    body->lockFocus();
    if (pf::GraphicsContext* context = pf::GraphicsContext::current()) {
        const QRectF lozenge(b, a + b, std::floor(maskSize.width()), std::floor(maskSize.height()));
        badgeGradient().drawInRect(context->painter(), lozenge, angle);
        mask->draw(*context, QRectF(QPointF(b, a + b), maskSize), {}, pf::CompositingOperation::DestinationAtop);
        const QRectF labelRect(b + std::floor((maskSize.width() - labelSize.width()) / 2),
                               a + b + std::floor((maskSize.height() - labelSize.height()) / 2), maskSize.width(),
                               labelSize.height());
        pf::Cell::drawUpright(labelRect, [&label](QPainter& painter, const QRectF& rect) {
            pf::StringDrawing::draw(painter, label, rect);
        });
    }
    body->unlockFocus();

    auto result = pf::Image::make(imageSize);
    result->lockFocus();
    if (pf::GraphicsContext* context = pf::GraphicsContext::current()) {
        pf::GraphicsStateSaver saved(context);
        pf::Shadow shadow;
        shadow.setShadowOffset(QSizeF(0, -a));
        shadow.setShadowBlurRadius(b);
        shadow.setShadowColor(pf::Color::black().colorWithAlphaComponent(shadowAlpha));
        context->setShadow(shadow);
        body->draw(*context, QRectF(QPointF(0, 0), imageSize));
    }
    result->unlockFocus();
    return result;
}

pf::Ref<pf::Image> CTBadge::overlayImage(const QString& string, double insetX, double y) const
{
    const pf::Ref<pf::Image> badge = largeBadgeForString(string);
    const QSizeF badgeSize = badge->size();
    auto overlay = pf::Image::make(QSizeF(kOverlayCanvas, kOverlayCanvas));
    overlay->lockFocus();
    if (pf::GraphicsContext* context = pf::GraphicsContext::current()) {
        badge->draw(*context, QRectF(QPointF(kOverlayCanvas - insetX - badgeSize.width(),
                                             kOverlayCanvas - y - badgeSize.height()),
                                     badgeSize));
    }
    overlay->unlockFocus();
    return overlay;
}

pf::Ref<pf::Image> CTBadge::badgeOverlayImageForString(const QString& string, double insetX, double y) const
{
    return overlayImage(string, insetX, y);
}

pf::Ref<pf::Image> CTBadge::badgeOverlayImageForValue(quint64 value, double insetX, double y) const
{
    return overlayImage(stringForValue(value), insetX, y);
}

void CTBadge::badgeApplicationDockIconWithString(const QString& string, double insetX, double y) const
{
    const pf::Ref<pf::Image> overlay = overlayImage(string, insetX, y);
    const pf::Ref<pf::Image> appIcon = pf::Image::imageNamed(QStringLiteral("NSApplicationIcon"));
    auto icon = pf::Image::make(overlay->size());
    icon->lockFocus();
    if (pf::GraphicsContext* context = pf::GraphicsContext::current()) {
        overlay->draw(*context, QRectF(QPointF(0, 0), overlay->size()));
        if (appIcon)
            appIcon->draw(*context, QRectF(QPointF(0, 0), appIcon->size()), {}, pf::CompositingOperation::DestinationOver);
    }
    icon->unlockFocus();
    if (pf::Application* application = pf::Application::shared())
        application->setApplicationIconImage(icon->icon());
}

void CTBadge::badgeApplicationDockIconWithValue(quint64 value, double insetX, double y) const
{
    badgeApplicationDockIconWithString(stringForValue(value), insetX, y);
}
