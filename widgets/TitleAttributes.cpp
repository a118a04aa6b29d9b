#include "widgets/TitleAttributes.h"

#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/ParagraphStyle.h"

QVariantMap oneLineTitleAttributes(const pf::Font& font, const pf::Color& colour, bool centred)
{
    auto paragraph = std::make_shared<pf::ParagraphStyle>();
    paragraph->setAlignment(centred ? pf::CenterTextAlignment : pf::LeftTextAlignment);
    paragraph->setLineBreakMode(pf::LineBreakByTruncatingTail);
    return QVariantMap{
        {pf::kFontAttributeName, pf::toVariant(std::make_shared<pf::Font>(font))},
        {pf::kForegroundColorAttributeName, pf::toVariant(std::make_shared<pf::Color>(colour))},
        {pf::kParagraphStyleAttributeName, pf::toVariant(paragraph)},
    };
}
