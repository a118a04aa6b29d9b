// Fitting a font size to a box by search.
#include <gtest/gtest.h>

#include "platform/graphics/FontFitting.h"
#include "platform/graphics/TextMeasurement.h"

#include <QFontInfo>

#include <cmath>
#include <limits>

namespace {

using Lines = pf::FontFitting::Lines;

class FontFittingTest : public testing::Test {
protected:
    void SetUp() override
    {
        font = QFont(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(12);
        font.setBold(true);
        if (QFontInfo(font).family() != QStringLiteral("DejaVu Sans"))
            GTEST_SKIP() << "the DejaVu Sans font is not installed (fonts-dejavu-core)";
    }

    bool fits(const QString& text, qreal pointSize, const QSizeF& box, Lines lines) const
    {
        QFont sized = font;
        sized.setPointSizeF(pointSize);
        const QSizeF size = lines == Lines::Wrapped ? pf::TextMeasurement::wrapped(text, sized, box.width()).size
                                                    : pf::TextMeasurement::singleLine(text, sized).size;
        return size.width() <= box.width() && size.height() <= box.height();
    }

    QFont font;
};

const QString kSentence = QStringLiteral("Fitting text into a box");

TEST_F(FontFittingTest, AnswersTheLargestSizeThatFits)
{
    struct Case {
        const char* name;
        QSizeF box;
        Lines lines;
    };
    const Case cases[] = {
        {"wide box, one line", {400, 200}, Lines::Single},
        {"short box, one line", {400, 20}, Lines::Single},
        {"narrow box, one line", {120, 200}, Lines::Single},
        {"tall box, wrapped", {120, 300}, Lines::Wrapped},
        {"square box, wrapped", {200, 200}, Lines::Wrapped},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const qreal size = pf::FontFitting::fittedPointSize(kSentence, font, c.box, c.lines, 4, 200);
        EXPECT_GT(size, 4);
        EXPECT_LT(size, 200);
        EXPECT_TRUE(fits(kSentence, size, c.box, c.lines));
        EXPECT_FALSE(fits(kSentence, size + 0.1, c.box, c.lines));
        // The answer lies on the 0.1 pt steps from the minimum.
        EXPECT_NEAR(size * 10, std::round(size * 10), 1e-9);
    }
}

TEST_F(FontFittingTest, WrappingAllowsALargerSizeInATallBox)
{
    const QSizeF box(150, 400);
    const qreal single = pf::FontFitting::fittedPointSize(kSentence, font, box, Lines::Single, 4, 200);
    const qreal wrapped = pf::FontFitting::fittedPointSize(kSentence, font, box, Lines::Wrapped, 4, 200);
    EXPECT_GT(wrapped, single + 5);
}

TEST_F(FontFittingTest, SizeGrowsWithTheBox)
{
    for (Lines lines : {Lines::Single, Lines::Wrapped}) {
        qreal previous = 0;
        for (qreal side = 10; side <= 400; side += 15) {
            SCOPED_TRACE(testing::Message() << "lines " << int(lines) << " side " << side);
            const qreal size =
                pf::FontFitting::fittedPointSize(kSentence, font, QSizeF(side * 2, side), lines, 2, 300);
            EXPECT_GE(size, previous);
            previous = size;
        }
        EXPECT_GT(previous, 30);
    }
}

TEST_F(FontFittingTest, EdgeCasesAnswerTheBounds)
{
    const qreal nan = std::numeric_limits<qreal>::quiet_NaN();
    const qreal infinity = std::numeric_limits<qreal>::infinity();
    struct Case {
        const char* name;
        QString text;
        QSizeF box;
        qreal minimum;
        qreal maximum;
        qreal expected;
    };
    const Case cases[] = {
        {"nothing fits", kSentence, {5, 5}, 6, 72, 6},
        {"zero-size box", kSentence, {0, 0}, 6, 72, 6},
        {"negative box", kSentence, {-10, -10}, 6, 72, 6},
        {"box not a number", kSentence, {nan, nan}, 6, 72, 6},
        {"everything fits", QStringLiteral("x"), {5000, 5000}, 6, 72, 72},
        {"empty text", QString(), {100, 100}, 6, 72, 72},
        {"empty text in a zero-size box", QString(), {0, 0}, 6, 72, 72},
        {"empty text in a negative box", QString(), {-1, -1}, 6, 72, 6},
        {"maximum below minimum", kSentence, {5000, 5000}, 20, 10, 20},
        {"maximum not a number", kSentence, {5000, 5000}, 20, nan, 20},
        {"minimum not a number", kSentence, {0, 0}, nan, 72, pf::FontFitting::kSmallestPointSize},
        {"minimum below the smallest", kSentence, {0, 0}, -3, 72, pf::FontFitting::kSmallestPointSize},
        {"infinite maximum", QString(), {10, 10}, 6, infinity, pf::FontFitting::kLargestPointSize},
        {"minimum equals maximum", kSentence, {5000, 5000}, 12, 12, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (Lines lines : {Lines::Single, Lines::Wrapped})
            EXPECT_DOUBLE_EQ(pf::FontFitting::fittedPointSize(c.text, font, c.box, lines, c.minimum, c.maximum),
                             c.expected);
    }
}

TEST_F(FontFittingTest, KeepsTheFontsOtherAttributes)
{
    // A bold face is wider, so it must fit at a smaller size than the regular face.
    QFont regular = font;
    regular.setBold(false);
    const QSizeF box(300, 300);
    const qreal bold = pf::FontFitting::fittedPointSize(kSentence, font, box, Lines::Single, 4, 200);
    const qreal plain = pf::FontFitting::fittedPointSize(kSentence, regular, box, Lines::Single, 4, 200);
    EXPECT_LT(bold, plain);
}

} // namespace
