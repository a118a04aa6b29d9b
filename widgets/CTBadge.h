#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gradient.h"

#include <QString>

namespace pf {
class Image;
}

// Counter badges: a lozenge in the badge colour carrying a short label (a number, or "∞" for
// large numbers) in the label colour, with a soft drop shadow. The lozenge's outline comes
// from the mask images "CTBadge_1" (labels of up to two characters), "CTBadge_3",
// "CTBadge_4" and "CTBadge_5" (five and more) among the resources.
class CTBadge : public pf::Object {
    PF_CLASS(CTBadge)
public:
    static constexpr double kSmallSize = 23.0;
    static constexpr double kLargeSize = 46.0;
    static constexpr double kOverlayCanvas = 128.0;
    static constexpr quint64 kLargestShownValue = 99999;

    CTBadge(); // red badge, white label
    CTBadge(const pf::Color& badgeColour, const pf::Color& labelColour);

    static pf::Ref<CTBadge> systemBadge();
    static pf::Ref<CTBadge> badgeWithColor(const pf::Color& badgeColour, const pf::Color& labelColour);

    pf::Color badgeColor() const { return m_badgeColor; }
    void setBadgeColor(const pf::Color& colour) { m_badgeColor = colour; }
    pf::Color labelColor() const { return m_labelColor; }
    void setLabelColor(const pf::Color& colour) { m_labelColor = colour; }

    pf::Ref<pf::Image> smallBadgeForValue(quint64 value) const;
    pf::Ref<pf::Image> smallBadgeForString(const QString& string) const;
    pf::Ref<pf::Image> largeBadgeForValue(quint64 value) const;
    pf::Ref<pf::Image> largeBadgeForString(const QString& string) const;
    pf::Ref<pf::Image> badgeOfSize(double size, quint64 value) const;
    // Raises NSInvalidArgumentException for a size that is not positive.
    pf::Ref<pf::Image> badgeOfSize(double size, const QString& string) const;

    // A transparent 128 x 128 image with the large badge's top-right corner `insetX` from the
    // right and `y` from the top.
    pf::Ref<pf::Image> badgeOverlayImageForString(const QString& string, double insetX, double y) const;
    pf::Ref<pf::Image> badgeOverlayImageForValue(quint64 value, double insetX, double y) const;
    // The application's icon with the overlay on it becomes the application's icon.
    void badgeApplicationDockIconWithString(const QString& string, double insetX, double y) const;
    void badgeApplicationDockIconWithValue(quint64 value, double insetX, double y) const;

    // "∞" above 99999, else the number in decimal.
    static QString stringForValue(quint64 value);
    pf::Gradient badgeGradient() const;
    // The label in the label colour; six or more characters are cut to three and an ellipsis.
    pf::AttributedString labelForString(const QString& string, unsigned fontSize) const;
    // The mask for a label of `length` characters, resized to `size` high (a copy: the
    // shared named image is left as it is).
    static pf::Ref<pf::Image> badgeMaskOfSize(double size, unsigned length);
    static QString maskNameForLength(unsigned length);

private:
    pf::Ref<pf::Image> overlayImage(const QString& string, double insetX, double y) const;

    pf::Color m_badgeColor;
    pf::Color m_labelColor;
};
