// Truncating strings to a width at the head, the middle or the tail, between grapheme clusters.
#include <gtest/gtest.h>

#include "platform/graphics/TextMeasurement.h"
#include "platform/graphics/TextTruncation.h"

#include <QFontInfo>
#include <QList>
#include <QTextBoundaryFinder>

#include <limits>
#include <utility>

namespace {

using Position = pf::TextTruncation::Position;

const QString kEllipsis = QString(QChar(0x2026));

class TextTruncationTest : public testing::Test {
protected:
    void SetUp() override
    {
        font = QFont(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(12);
        if (QFontInfo(font).family() != QStringLiteral("DejaVu Sans"))
            GTEST_SKIP() << "the DejaVu Sans font is not installed (fonts-dejavu-core)";
    }

    qreal width(const QString& text) const { return pf::TextMeasurement::singleLine(text, font).size.width(); }

    QFont font;
};

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

TEST_F(TextTruncationTest, CutsBetweenGraphemeClusters)
{
    // Each case gives the expected answer and the next longer cut; the width lies just below the
    // longer one, so an answer that splits a cluster to squeeze in part of it shows up.
    struct Case {
        const char* name;
        QString text;
        Position position;
        QString expected;
        QString longer;
    };
    const QString family = u8("\U0001F469\u200D\U0001F469\u200D\U0001F467");
    const QString grin = u8("\U0001F600");
    const QString flag = u8("\U0001F1EB\U0001F1F7");
    const Case cases[] = {
        {"plain tail", u8("Hello world"), Position::Tail, u8("Hello…"), u8("Hello …")},
        {"plain head", u8("Hello world"), Position::Head, u8("…world"), u8("… world")},
        {"plain middle", u8("Hello world"), Position::Middle, u8("Hel…rld"), u8("Hell…rld")},
        {"combining tail", u8("cafe\u0301 cre\u0300me"), Position::Tail, u8("cafe\u0301…"), u8("cafe\u0301 …")},
        {"combining head", u8("a long prefix e\u0301tude"), Position::Head, u8("…tude"), u8("…e\u0301tude")},
        {"combining middle", u8("e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301e\u0301"), Position::Middle,
         u8("e\u0301e\u0301…e\u0301e\u0301"), u8("e\u0301e\u0301e\u0301…e\u0301e\u0301")},
        {"zwj tail", u8("abcd") + family + u8("cdef"), Position::Tail, u8("abcd…"), u8("abcd") + family + kEllipsis},
        {"zwj head", u8("abcd") + family + u8("cdef"), Position::Head, u8("…cdef"), kEllipsis + family + u8("cdef")},
        {"zwj middle", u8("ab") + family + u8("cd") + family + u8("ef"), Position::Middle, u8("ab…ef"),
         u8("ab") + family + kEllipsis + u8("ef")},
        {"surrogate tail", u8("a") + grin + u8("b") + grin + u8("cdefgh"), Position::Tail, u8("a") + grin + kEllipsis,
         u8("a") + grin + u8("b…")},
        {"surrogate head", u8("abcdef") + grin + u8("g") + grin + u8("h"), Position::Head, kEllipsis + grin + u8("h"),
         u8("…g") + grin + u8("h")},
        {"surrogate middle", grin.repeated(9), Position::Middle, grin.repeated(2) + kEllipsis + grin.repeated(2),
         grin.repeated(3) + kEllipsis + grin.repeated(2)},
        {"flag tail", u8("x") + flag + flag + u8("y"), Position::Tail, u8("x…"), u8("x") + flag + kEllipsis},
        {"flag head", u8("abcdef") + flag + flag + u8("y"), Position::Head, kEllipsis + flag + u8("y"),
         kEllipsis + flag + flag + u8("y")},
        {"only the ellipsis fits", u8("Hello world"), Position::Tail, kEllipsis, u8("H…")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const qreal available = width(c.longer) - 0.01;
        ASSERT_LE(width(c.expected), available);
        ASSERT_GT(width(c.text), available);
        EXPECT_EQ(pf::TextTruncation::truncated(c.text, font, available, c.position), c.expected);
    }
}

TEST_F(TextTruncationTest, TextThatFitsIsUnchanged)
{
    const QString texts[] = {u8("Hello world"), u8("e\u0301"), u8("\U0001F469\u200D\U0001F469\u200D\U0001F467"),
                             u8("a\U0001F600b"), u8("x")};
    for (const QString& text : texts) {
        for (Position position : {Position::Head, Position::Middle, Position::Tail}) {
            EXPECT_EQ(pf::TextTruncation::truncated(text, font, width(text), position), text);
            EXPECT_EQ(pf::TextTruncation::truncated(text, font, std::numeric_limits<qreal>::infinity(), position), text);
        }
    }
}

TEST_F(TextTruncationTest, EmptyAndTooNarrow)
{
    const qreal nan = std::numeric_limits<qreal>::quiet_NaN();
    const qreal ellipsisWidth = width(kEllipsis);
    struct Case {
        const char* name;
        QString text;
        qreal width;
        QString expected;
    };
    const Case cases[] = {
        {"empty stays empty", QString(), 100, QString()},
        {"empty at no width", QString(), 0, QString()},
        {"empty at negative width", QString(), -1, QString()},
        {"narrower than the ellipsis", u8("Hello"), ellipsisWidth - 0.01, QString()},
        {"no width", u8("Hello"), 0, QString()},
        {"negative width", u8("Hello"), -10, QString()},
        {"not a number", u8("Hello"), nan, QString()},
        {"exactly the ellipsis", u8("Hello"), ellipsisWidth, kEllipsis},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (Position position : {Position::Head, Position::Middle, Position::Tail})
            EXPECT_EQ(pf::TextTruncation::truncated(c.text, font, c.width, position), c.expected);
    }
}

// The offsets between the grapheme clusters of `text`, with 0 and the length.
QList<int> clusterBoundaries(const QString& text)
{
    QList<int> boundaries{0};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    while (finder.toNextBoundary() != -1)
        boundaries.append(int(finder.position()));
    return boundaries;
}

TEST_F(TextTruncationTest, EveryWidthAnswersTheLongestFittingCut)
{
    const QString text = u8("Ze\u0301ro \U0001F469\u200D\U0001F469\u200D\U0001F467 a\U0001F600b \U0001F1EB\U0001F1F7 "
                            "n\u0303o end");
    const QList<int> boundaries = clusterBoundaries(text);
    const int clusters = int(boundaries.size()) - 1;
    const qreal full = width(text);
    const qreal ellipsisWidth = width(kEllipsis);

    // The cut keeping `head` clusters from the start and `tail` from the end.
    const auto cut = [&](int head, int tail) {
        return text.left(boundaries[head]) + kEllipsis + text.mid(boundaries[clusters - tail]);
    };

    // How many of `kept` clusters stay at the start and at the end for each position.
    const auto split = [](Position position, int kept) -> std::pair<int, int> {
        switch (position) {
        case Position::Head:
            return {0, kept};
        case Position::Middle:
            return {(kept + 1) / 2, kept / 2};
        case Position::Tail:
            break;
        }
        return {kept, 0};
    };

    for (Position position : {Position::Head, Position::Middle, Position::Tail}) {
        for (qreal available = 0; available < full; available += 1.5) {
            SCOPED_TRACE(testing::Message() << "position " << int(position) << " width " << available);
            const QString result = pf::TextTruncation::truncated(text, font, available, position);
            if (available < ellipsisWidth) {
                EXPECT_TRUE(result.isEmpty());
                continue;
            }
            EXPECT_LE(width(result), available);
            // Find the cut the result is; it must be made of whole clusters, kept on the side the
            // position asks for, and the next longer cut must not fit.
            bool matched = false;
            for (int kept = 0; kept < clusters && !matched; ++kept) {
                const auto [head, tail] = split(position, kept);
                if (cut(head, tail) != result)
                    continue;
                matched = true;
                if (kept + 1 < clusters) {
                    const auto [longerHead, longerTail] = split(position, kept + 1);
                    EXPECT_GT(width(cut(longerHead, longerTail)), available);
                }
            }
            EXPECT_TRUE(matched) << result.toStdString();
        }
    }
}

} // namespace
