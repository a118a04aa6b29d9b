#pragma once

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/ActionCell.h"

#include <QSizeF>
#include <QVariantMap>

namespace pf {
class BezierPath;
}

// One item of an icon grid: a square icon with an optional badge at its corner, a centred
// label of one or more lines below it, highlights behind icon and label when selected, and
// in-place editing of the label. Geometry is for flipped (y-down) views.
class RVLabelledIconCell : public pf::ActionCell {
    PF_CLASS(RVLabelledIconCell)
public:
    // String drawing with line-fragment origin, and with truncation of the last line.
    static constexpr unsigned kTitleOptionsPlain = 1;
    static constexpr unsigned kTitleOptionsTruncating = 33;
    static constexpr double kMinimumFontSize = 6.5;
    static constexpr double kMaximumFontSize = 12.0;
    static constexpr int kMaxOutlinedLineFragments = 16;

    RVLabelledIconCell();
    explicit RVLabelledIconCell(const QString& text);
    RVLabelledIconCell(const RVLabelledIconCell& other);
    pf::Ref<pf::Cell> copyCell() const override;

    // --- Appearance
    pf::Ref<pf::Image> badgeImage() const { return mBadgeImage; }
    void setBadgeImage(const pf::Ref<pf::Image>& image) { mBadgeImage = image; }
    pf::Color highlightColour() const { return mHighlightColour; }
    void setHighlightColour(const pf::Color& colour) { mHighlightColour = colour; }
    pf::Color textBackgroundColour() const { return mTextBackgroundColour; }
    void setTextBackgroundColour(const pf::Color& colour);
    pf::Color textBackgroundHighlightColour() const { return mHTextBackgroundColour; }
    void setTextBackgroundHighlightColour(const pf::Color& colour);
    pf::ImageScaling imageScaling() const { return mScaling; }
    void setImageScaling(pf::ImageScaling scaling) { mScaling = scaling; }
    // Fewer than one line is laid out as one.
    unsigned numberOfTextLines() const { return mTextLines; }
    void setNumberOfTextLines(unsigned lines);
    bool isEditing() const { return mIsEditing; }
    void setIsEditing(bool editing);
    // The label's colour follows the enabled state.
    void setEnabled(bool enabled) override;

    // --- Geometry for a cell frame
    QRectF titleRectForFrame(const QRectF& frame) const;
    QRectF titleTextBoxForFrame(const QRectF& frame) const;
    QRectF imageRectForFrame(const QRectF& frame) const;
    QRectF badgeRectForFrame(const QRectF& frame) const;
    pf::Ref<pf::BezierPath> titleHighlightPathForFrame(const QRectF& frame) const;
    pf::Ref<pf::BezierPath> imageHighlightPathForFrame(const QRectF& frame) const;
    QRectF titleRectForBounds(const QRectF& bounds) const override;
    QRectF imageRectForBounds(const QRectF& bounds) const override;

    // --- Label
    QVariantMap titleAttributesForFrame(const QRectF& frame);
    pf::AttributedString attributedTitleForFrame(const QRectF& frame);
    unsigned titleOptions() const;
    // The label's font size for the frame: the text box's share of a line, clamped.
    double titleFontSizeForFrame(const QRectF& frame) const;
    bool hasCachedTitleAttributes(bool highlighted) const;

    static pf::Ref<pf::BezierPath> bezierPathForHighlightingLineFragmentRects(const QList<QRectF>& rects, int count);

    // --- Drawing
    // Lays the title out in `rect` line by line, the last allowed line cut in the middle with
    // an ellipsis when text is left over; highlighted, the lines' rectangles are outlined.
    void drawTitle(const pf::AttributedString& title, const QRectF& rect, bool highlighted) const;
    void drawImage(const pf::Image& image, const QRectF& rect, bool flipped, pf::ImageInterpolation quality,
                   double fraction) const;
    void drawInteriorWithFrame(const QRectF& frame, pf::View* view) override;
    // Where the icon is drawn in `frame` (empty without an image).
    QRectF iconDrawingRectForFrame(const QRectF& frame) const;

    void editWithFrame(const QRectF& frame, pf::View* view, pf::FieldEditor* editor, pf::FieldEditorDelegate* delegate,
                       const pf::Event* event) override;
    void setUpFieldEditorAttributes(pf::FieldEditor& editor) const override;
    void endEditing(pf::FieldEditor& editor) override;

private:
    void dropTitleAttributeCaches();
    unsigned lineCount() const { return mTextLines < 1 ? 1 : mTextLines; }
    // The rectangle the label is drawn or edited in: the text box's width and `height`,
    // centred in the text box and moved up by 1.
    QRectF labelRectForFrame(const QRectF& frame, double height) const;

    pf::Ref<pf::Image> mBadgeImage;
    pf::ImageScaling mScaling = pf::ImageScaling::ProportionallyUpOrDown;
    unsigned mTextLines = 1;
    pf::Color mHighlightColour;
    pf::Color mTextBackgroundColour;
    pf::Color mHTextBackgroundColour;
    bool mIsEditing = false;
    QVariantMap mSelectedTextAttributesCache;
    QVariantMap mUnselectedTextAttributesCache;
    QSizeF mCachedBoundsSize;
    QRectF mEditingFrame;
};
