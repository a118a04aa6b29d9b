#pragma once

#include "platform/foundation/Coding.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/ui/TextFieldCell.h"

#include <QRectF>
#include <QSizeF>
#include <QVariantMap>

// The icon view's companion cell: an image with its title in a pill-shaped box beside it, a
// rounded box behind the image when selected, the title cut with "..." to fit, as a file
// manager shows a file. The image sits left (2), right (3), below (4) or above (5) the title.
class ZDFinderIconCell : public pf::TextFieldCell, public pf::Coding {
    PF_CLASS(ZDFinderIconCell)
public:
    enum ImagePosition : unsigned { ImageLeft = 2, ImageRight = 3, ImageBelow = 4, ImageAbove = 5 };
    enum Flag : quint32 { Selected = 1u << 0, Flipped = 1u << 1, CurrentlyEditing = 1u << 2, DrawSeparator = 1u << 3 };
    static constexpr unsigned kScaleUpOrDown = 3;

    // The placeholder title "ZDDVYroviTolvik".
    ZDFinderIconCell();
    explicit ZDFinderIconCell(const QString& text);
    // With the placeholder title "ZDDVZDTL".
    static pf::Ref<ZDFinderIconCell> imageCell(const pf::Ref<pf::Image>& image);
    ZDFinderIconCell(const ZDFinderIconCell& other) = default;
    pf::Ref<pf::Cell> copyCell() const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

    // --- Appearance
    void setImage(const pf::Ref<pf::Image>& image) override;
    pf::Color nameColor() const { return m_nameColor; }
    void setNameColor(const pf::Color& colour) { m_nameColor = colour; }
    pf::Color boxColor() const { return m_boxColor; }
    void setBoxColor(const pf::Color& colour) { m_boxColor = colour; }
    pf::Color selectionColor() const { return m_selectionColor; }
    void setSelectionColor(const pf::Color& colour) { m_selectionColor = colour; }
    // An invalid colour stands for none.
    pf::Color bgColor() const { return m_bgColor; }
    void setBgColor(const pf::Color& colour) { m_bgColor = colour; }
    void resetColors();
    unsigned imagePosition() const { return m_imagePosition; }
    void setImagePosition(unsigned position);
    // Below or above the title centres it.
    void makeAlignmentConformImagePosition();
    unsigned truncateMode() const { return m_truncateMode; }
    void setTruncateMode(unsigned mode) { m_truncateMode = mode; }
    float alpha() const { return m_alpha; }
    void setAlpha(float alpha) { m_alpha = alpha; }
    // 3 scales up or down to fit; anything else only scales down.
    unsigned imageScaling() const { return m_imageScaling; }
    void setImageScaling(unsigned scaling) { m_imageScaling = scaling; }
    unsigned textLines() const { return m_textLines; }
    void setTextLines(unsigned lines) { m_textLines = lines; }
    quint32 flags() const { return m_flags; }
    void setHighlighted(bool highlighted) override;
    bool isFlipped() const { return m_flags & Flipped; }
    void setFlipped(bool flipped);
    bool drawSeparator() const { return m_flags & DrawSeparator; }
    void setDrawSeparator(bool draw);
    double lastTextFontSize() const { return m_textFontSize; }

    // --- Geometry
    double textSizeForBox(const QRectF& frame) const;
    QSizeF cellSizeForBounds(const QRectF& bounds) const override;
    QRectF imageRectForBounds(const QRectF& bounds) const override;
    QRectF titleRectForFrame(const QRectF& frame) const;
    // No attributes of its own: the title is drawn in the font the frame's height gives.
    QVariantMap titleAttributesForFrame(const QRectF& frame) const { return {}; }
    pf::AttributedString attributedTitleForFrame(const QRectF& frame) const;

    // --- Drawing
    void highlight(bool flag, const QRectF& frame, pf::View* view);
    void drawInteriorWithFrame(const QRectF& frame, pf::View* view) override;
    void editWithFrame(const QRectF& frame, pf::View* view, pf::FieldEditor* editor, pf::FieldEditorDelegate* delegate,
                       const pf::Event* event) override;
    void endEditing(pf::FieldEditor& editor) override;

    // Where drawing puts the title, its box and the image for `frame` (view coordinates).
    struct Layout {
        QString title;
        QRectF titleRect;
        QRectF nameBox;
        QRectF imageRect;
    };
    Layout layoutForFrame(const QRectF& frame, bool flipped) const;
    // Where the image goes in the laid-out image rectangle: scaled to fit it when scaling up
    // or down, else only when it is too large; empty for an image with no size.
    QRectF imageDrawingRect(const QRectF& imageRect) const;

private:
    void init();

    pf::Color m_nameColor;
    pf::Color m_boxColor;
    pf::Color m_selectionColor;
    pf::Color m_bgColor;
    unsigned m_imagePosition = ImageAbove;
    unsigned m_truncateMode = 5;
    float m_alpha = 1.0f;
    quint32 m_flags = 0;
    double m_textFontSize = 0;
    unsigned m_imageScaling = 0;
    unsigned m_textLines = 1;
};
