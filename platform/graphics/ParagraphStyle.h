#pragma once

#include "platform/foundation/Object.h"

namespace pf {

// Text alignments and line-break modes with the platform's numbering.
enum TextAlignment : int {
    LeftTextAlignment = 0,
    RightTextAlignment = 1,
    CenterTextAlignment = 2,
    JustifiedTextAlignment = 3,
    NaturalTextAlignment = 4,
};

enum LineBreakMode : int {
    LineBreakByWordWrapping = 0,
    LineBreakByCharWrapping = 1,
    LineBreakByClipping = 2,
    LineBreakByTruncatingHead = 3,
    LineBreakByTruncatingTail = 4,
    LineBreakByTruncatingMiddle = 5,
};

enum WritingDirection : int {
    WritingDirectionNatural = -1,
    WritingDirectionLeftToRight = 0,
    WritingDirectionRightToLeft = 1,
};

// How a paragraph is set: alignment, line breaking, extra space between lines, the
// tightening allowed before truncating, and the base writing direction. Travels in an
// attributed string as a Ref<ParagraphStyle> under kParagraphStyleAttributeName.
class ParagraphStyle : public Object {
    PF_CLASS(ParagraphStyle)
public:
    ParagraphStyle() = default;
    ParagraphStyle(const ParagraphStyle& other) = default;
    ParagraphStyle& operator=(const ParagraphStyle& other) = default;

    static Ref<ParagraphStyle> defaultStyle() { return std::make_shared<ParagraphStyle>(); }

    int alignment() const { return m_alignment; }
    void setAlignment(int alignment) { m_alignment = alignment; }
    int lineBreakMode() const { return m_lineBreakMode; }
    void setLineBreakMode(int mode) { m_lineBreakMode = mode; }
    // Points added between lines.
    double lineSpacing() const { return m_lineSpacing; }
    void setLineSpacing(double spacing) { m_lineSpacing = spacing; }
    double tighteningFactorForTruncation() const { return m_tightening; }
    void setTighteningFactorForTruncation(double factor) { m_tightening = factor; }
    int baseWritingDirection() const { return m_direction; }
    void setBaseWritingDirection(int direction) { m_direction = direction; }

    bool isTruncating() const
    {
        return m_lineBreakMode >= LineBreakByTruncatingHead && m_lineBreakMode <= LineBreakByTruncatingMiddle;
    }

    Ref<Object> copy() const override { return std::make_shared<ParagraphStyle>(*this); }
    bool isEqual(const Reflective* other) const override;

private:
    int m_alignment = NaturalTextAlignment;
    int m_lineBreakMode = LineBreakByWordWrapping;
    double m_lineSpacing = 0;
    double m_tightening = 0;
    int m_direction = WritingDirectionNatural;
};

} // namespace pf
