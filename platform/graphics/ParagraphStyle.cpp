#include "platform/graphics/ParagraphStyle.h"

PF_DEFINE_CLASS_NAMED(pf::ParagraphStyle, pf::Object, "pf::ParagraphStyle")
{
    b.property("alignment", &pf::ParagraphStyle::alignment, &pf::ParagraphStyle::setAlignment);
    b.property("lineBreakMode", &pf::ParagraphStyle::lineBreakMode, &pf::ParagraphStyle::setLineBreakMode);
    b.property("lineSpacing", &pf::ParagraphStyle::lineSpacing, &pf::ParagraphStyle::setLineSpacing);
    b.property("tighteningFactorForTruncation", &pf::ParagraphStyle::tighteningFactorForTruncation,
               &pf::ParagraphStyle::setTighteningFactorForTruncation);
    b.property("baseWritingDirection", &pf::ParagraphStyle::baseWritingDirection,
               &pf::ParagraphStyle::setBaseWritingDirection);
}

namespace pf {

bool ParagraphStyle::isEqual(const Reflective* other) const
{
    const auto* style = dynamic_cast<const ParagraphStyle*>(other);
    return style && style->m_alignment == m_alignment && style->m_lineBreakMode == m_lineBreakMode
        && style->m_lineSpacing == m_lineSpacing && style->m_tightening == m_tightening
        && style->m_direction == m_direction;
}

} // namespace pf
