#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/ParagraphStyle.h"
#include "platform/graphics/StringDrawing.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace {

using pf::AttributedString;
using pf::TextRange;

QVariant bold() { return 1; }

TEST(AttributedStringTest, EditsSplitAndMergeRuns)
{
    AttributedString text(QStringLiteral("hello world"));
    text.addAttribute(pf::kUnderlineStyleAttributeName, bold(), TextRange{2, 3});
    ASSERT_EQ(text.runs().size(), 3);
    TextRange range;
    EXPECT_EQ(text.attributesAtIndex(3, &range).value(pf::kUnderlineStyleAttributeName), bold());
    EXPECT_EQ(range, (TextRange{2, 3}));
    EXPECT_TRUE(text.attributesAtIndex(5).isEmpty());
    // Out-of-range edits are clipped; equal neighbours merge again.
    text.addAttribute(pf::kUnderlineStyleAttributeName, bold(), TextRange{5, 100});
    EXPECT_EQ(text.runs().size(), 2);
    text.removeAttribute(pf::kUnderlineStyleAttributeName, TextRange{0, 11});
    EXPECT_EQ(text.runs().size(), 1);

    // Replaced text takes the attributes of the first character it replaces.
    AttributedString edited(QStringLiteral("abc"));
    edited.addAttribute(pf::kKernAttributeName, 2.0, TextRange{1, 1});
    edited.replaceCharacters(TextRange{1, 1}, QStringLiteral("XYZ"));
    EXPECT_EQ(edited.string(), QStringLiteral("aXYZc"));
    EXPECT_EQ(edited.attributeAtIndex(pf::kKernAttributeName, 3), 2.0);
    EXPECT_FALSE(edited.attributeAtIndex(pf::kKernAttributeName, 4).isValid());
    EXPECT_EQ(edited.substring(TextRange{1, 3}).runs().size(), 1);
    EXPECT_EQ(edited.substring(TextRange{1, 3}).string(), QStringLiteral("XYZ"));
}

AttributedString styled(const QString& text, int lineBreakMode)
{
    auto style = std::make_shared<pf::ParagraphStyle>();
    style->setLineBreakMode(lineBreakMode);
    auto font = std::make_shared<pf::Font>(pf::Font::fromName(QStringLiteral("DejaVu Sans"), 12));
    return AttributedString(text, {{pf::kParagraphStyleAttributeName, pf::toVariant(style)},
                                   {pf::kFontAttributeName, pf::toVariant(font)}});
}

TEST(AttributedStringTest, MeasuringWrapsAndTruncates)
{
    const QString text = QStringLiteral("the quick brown fox jumps over the lazy dog");
    const QSizeF oneLine = pf::StringDrawing::size(styled(text, pf::LineBreakByWordWrapping));
    const QSizeF wrapped = pf::StringDrawing::size(styled(text, pf::LineBreakByWordWrapping), QSizeF(80, 0));
    EXPECT_LE(wrapped.width(), 80);
    EXPECT_GT(wrapped.height(), 2 * oneLine.height());
    // A height limit keeps only the lines that fit.
    const QSizeF limited = pf::StringDrawing::size(styled(text, pf::LineBreakByWordWrapping), QSizeF(80, oneLine.height() * 2));
    EXPECT_LE(limited.height(), oneLine.height() * 2);
    // Truncating modes stay on one line within the width.
    const QSizeF truncated = pf::StringDrawing::size(styled(text, pf::LineBreakByTruncatingMiddle), QSizeF(80, 0));
    EXPECT_LE(truncated.width(), 80);
    EXPECT_DOUBLE_EQ(truncated.height(), oneLine.height());
    EXPECT_EQ(pf::StringDrawing::size(AttributedString()), QSizeF(0, 0));
}

TEST(AttributedStringTest, DrawsInItsForegroundColour)
{
    AttributedString text = styled(QStringLiteral("MMMM"), pf::LineBreakByWordWrapping);
    text.addAttribute(pf::kForegroundColorAttributeName, pf::toVariant(std::make_shared<pf::Color>(pf::Color::red())),
                      TextRange{0, 4});
    QImage image(80, 30, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        pf::StringDrawing::draw(painter, text, QRectF(0, 0, 80, 30));
    }
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 80;
        }
    EXPECT_GT(red, 10);
}

} // namespace
