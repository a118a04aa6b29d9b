// Measuring strings on one line and wrapped to a width.
#include <gtest/gtest.h>

#include "platform/graphics/TextMeasurement.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QStringList>

#include <cmath>
#include <limits>

namespace {

class TextMeasurementTest : public testing::Test {
protected:
    void SetUp() override
    {
        font = QFont(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(12);
        if (QFontInfo(font).family() != QStringLiteral("DejaVu Sans"))
            GTEST_SKIP() << "the DejaVu Sans font is not installed (fonts-dejavu-core)";
        lineSpacing = QFontMetricsF(font).lineSpacing();
    }

    qreal advance(const QString& text) const { return QFontMetricsF(font).horizontalAdvance(text); }

    QFont font;
    qreal lineSpacing = 0;
};

TEST_F(TextMeasurementTest, SingleLineIsOneLineOfTheTextsAdvance)
{
    const QString texts[] = {
        QStringLiteral("a"),
        QStringLiteral("ab"),
        QStringLiteral("abc def"),
        QStringLiteral("trailing spaces   "),
        QStringLiteral("abc def ghi jkl mno pqr stu vwx yz"),
    };
    qreal previous = 0;
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        const pf::TextMeasurement::Extent extent = pf::TextMeasurement::singleLine(text, font);
        EXPECT_EQ(extent.lineCount, 1);
        EXPECT_NEAR(extent.size.height(), lineSpacing, 1e-9);
        EXPECT_NEAR(extent.size.width(), advance(text), 0.02);
        EXPECT_GT(extent.size.width(), previous);
        previous = extent.size.width();
    }
}

TEST_F(TextMeasurementTest, SingleLineShowsBreaksAsSpaces)
{
    const qreal spaced = pf::TextMeasurement::singleLine(QStringLiteral("ab cd"), font).size.width();
    const QString texts[] = {
        QStringLiteral("ab\ncd"),
        QStringLiteral("ab\rcd"),
        QStringLiteral("ab") + QChar(QChar::LineSeparator) + QStringLiteral("cd"),
        QStringLiteral("ab") + QChar(QChar::ParagraphSeparator) + QStringLiteral("cd"),
    };
    for (const QString& text : texts) {
        const pf::TextMeasurement::Extent extent = pf::TextMeasurement::singleLine(text, font);
        EXPECT_EQ(extent.lineCount, 1);
        EXPECT_NEAR(extent.size.width(), spaced, 1e-9);
    }
    EXPECT_NEAR(pf::TextMeasurement::singleLine(QStringLiteral("ab\r\ncd"), font).size.width(), spaced, 1e-9);
}

TEST_F(TextMeasurementTest, EmptyTextTakesNoSpace)
{
    for (const pf::TextMeasurement::Extent& extent :
         {pf::TextMeasurement::singleLine(QString(), font), pf::TextMeasurement::wrapped(QString(), font, 100),
          pf::TextMeasurement::wrapped(QString(), font, 0)}) {
        EXPECT_EQ(extent.lineCount, 0);
        EXPECT_EQ(extent.size, QSizeF(0, 0));
    }
}

TEST_F(TextMeasurementTest, WrapsAtWordsToTheWidth)
{
    const QString text = QStringLiteral("hello world foo bar");
    struct Case {
        qreal width;
        QStringList lines;
    };
    const Case cases[] = {
        {advance(QStringLiteral("hello world foo bar")) + 1, {QStringLiteral("hello world foo bar")}},
        {advance(QStringLiteral("hello world")) + 1, {QStringLiteral("hello world"), QStringLiteral("foo bar")}},
        {advance(QStringLiteral("hello world foo")) + 1, {QStringLiteral("hello world foo"), QStringLiteral("bar")}},
        {advance(QStringLiteral("world")) + 1,
         {QStringLiteral("hello"), QStringLiteral("world"), QStringLiteral("foo"), QStringLiteral("bar")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.join(u'|').toStdString());
        const pf::TextMeasurement::Extent extent = pf::TextMeasurement::wrapped(text, font, c.width);
        qreal widest = 0;
        for (const QString& line : c.lines)
            widest = std::max(widest, advance(line));
        EXPECT_EQ(extent.lineCount, c.lines.size());
        EXPECT_NEAR(extent.size.height(), c.lines.size() * lineSpacing, 1e-9);
        EXPECT_NEAR(extent.size.width(), widest, 0.02);
        EXPECT_LE(extent.size.width(), c.width);
    }
}

TEST_F(TextMeasurementTest, BreaksInTheTextStartLines)
{
    const qreal widest = std::max(advance(QStringLiteral("ab")), advance(QStringLiteral("cdef")));
    struct Case {
        const char* name;
        QString text;
        int lines;
    };
    const Case cases[] = {
        {"line feed", QStringLiteral("ab\ncdef"), 2},
        {"carriage return", QStringLiteral("ab\rcdef"), 2},
        {"CR LF is one break", QStringLiteral("ab\r\ncdef"), 2},
        {"paragraph separator", QStringLiteral("ab") + QChar(QChar::ParagraphSeparator) + QStringLiteral("cdef"), 2},
        {"line separator", QStringLiteral("ab") + QChar(QChar::LineSeparator) + QStringLiteral("cdef"), 2},
        {"empty line between", QStringLiteral("ab\n\ncdef"), 3},
        {"trailing break", QStringLiteral("ab\ncdef\n"), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (qreal width : {1000.0, 0.0}) {
            const pf::TextMeasurement::Extent extent = pf::TextMeasurement::wrapped(c.text, font, width);
            EXPECT_EQ(extent.lineCount, c.lines);
            EXPECT_NEAR(extent.size.height(), c.lines * lineSpacing, 1e-9);
            EXPECT_NEAR(extent.size.width(), widest, 0.02);
        }
    }
}

TEST_F(TextMeasurementTest, WidthWithoutALimitDoesNotWrap)
{
    const QString text = QStringLiteral("a sentence long enough to wrap at any small width");
    const QSizeF oneLine = pf::TextMeasurement::singleLine(text, font).size;
    for (qreal width : {0.0, -5.0, std::numeric_limits<qreal>::quiet_NaN(), std::numeric_limits<qreal>::infinity(),
                        1e30}) {
        SCOPED_TRACE(width);
        const pf::TextMeasurement::Extent extent = pf::TextMeasurement::wrapped(text, font, width);
        EXPECT_EQ(extent.lineCount, 1);
        EXPECT_NEAR(extent.size.width(), oneLine.width(), 1e-9);
    }
}

TEST_F(TextMeasurementTest, NarrowWidthsBreakWordsBetweenGraphemeClusters)
{
    // Three clusters: an accented letter, a ZWJ family emoji and a flag (two regional indicators).
    const QString text = QString::fromUtf8("e\u0301\U0001F469\u200D\U0001F469\u200D\U0001F467\U0001F1EB\U0001F1F7");
    const pf::TextMeasurement::Extent extent = pf::TextMeasurement::wrapped(text, font, 1);
    EXPECT_EQ(extent.lineCount, 3);

    const QString word = QStringLiteral("abcdefghijklmnop");
    const qreal width = advance(QStringLiteral("abcd"));
    const pf::TextMeasurement::Extent broken = pf::TextMeasurement::wrapped(word, font, width);
    EXPECT_GE(broken.lineCount, 4);
    EXPECT_LE(broken.size.width(), width);
}

TEST_F(TextMeasurementTest, HeightGrowsAsTheWidthShrinks)
{
    const QString text = QStringLiteral("The quick brown fox jumps over the lazy dog and runs far away.");
    int previousLines = 0;
    qreal previousHeight = 0;
    for (qreal width = 400; width >= 20; width -= 10) {
        SCOPED_TRACE(width);
        const pf::TextMeasurement::Extent extent = pf::TextMeasurement::wrapped(text, font, width);
        EXPECT_GE(extent.lineCount, previousLines);
        EXPECT_GE(extent.size.height(), previousHeight);
        EXPECT_LE(extent.size.width(), width);
        previousLines = extent.lineCount;
        previousHeight = extent.size.height();
    }
    EXPECT_GT(previousLines, 5);
}

} // namespace
