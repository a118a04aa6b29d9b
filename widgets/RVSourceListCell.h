#pragma once

#include "widgets/RSVerticallyCenteredTextFieldCell.h"

#include "platform/graphics/Color.h"

#include <QVariantMap>

#include <limits>

// A source-list row: an icon at the left, the text, and at the right a rounded badge with a
// count or, while busy, a square left free for a progress indicator the owner places.
class RVSourceListCell : public RSVerticallyCenteredTextFieldCell {
    PF_CLASS(RVSourceListCell)
public:
    // No badge.
    static constexpr quint64 kNoBadge = quint64(std::numeric_limits<qint64>::max());
    static constexpr double kBadgeMinimumTextWidth = 12.0;

    RVSourceListCell();
    explicit RVSourceListCell(const QString& text);
    pf::Ref<pf::Cell> copyCell() const override;

    static const QVariantMap& badgeAttributes();

    quint64 badgeCount() const { return mBadgeCount; }
    void setBadgeCount(quint64 count) { mBadgeCount = count; }
    pf::Color badgeColour() const { return mBadgeColour; }
    void setBadgeColour(const pf::Color& colour) { mBadgeColour = colour; }
    bool isBusy() const { return mBusy; }
    void setBusy(bool busy) { mBusy = busy; }
    // The count the badge shows: a count of 0 shows none (the stored count is left as it is).
    quint64 shownBadgeCount() const;

    // Each is the null rectangle when its element is absent.
    QRectF iconRectForFrame(const QRectF& frame) const;
    QRectF badgeRectForFrame(const QRectF& frame) const;
    QRectF busyRectForFrame(const QRectF& frame) const;
    QRectF textRectForFrame(const QRectF& frame) const;
    QRectF drawingRectForBounds(const QRectF& bounds) const override;

    // The badge's fill and text colours for the highlight and the window's state.
    struct BadgeColours {
        pf::Color fill;
        pf::Color text;
    };
    BadgeColours badgeColoursFor(bool highlighted, bool windowIsMain) const;

    void drawInteriorWithFrame(const QRectF& frame, pf::View* view) override;
    void drawIconForFrame(const QRectF& frame, pf::View* view);
    void drawBadgeForFrame(const QRectF& frame, pf::View* view);
    // Draws nothing: the square is for a progress indicator the owner places there.
    void drawBusyIndicatorForFrame(const QRectF& frame, pf::View* view);

private:
    quint64 mBadgeCount = kNoBadge;
    pf::Color mBadgeColour = pf::Color(0.53, 0.6, 0.74);
    bool mBusy = false;
};
