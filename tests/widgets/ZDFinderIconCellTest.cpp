#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/SystemColor.h"
#include "widgets/BezierPath+CappedBoxes.h"
#include "widgets/String+ZDTruncation.h"
#include "widgets/ZDFinderIconCell.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// Ten units a UTF-16 code unit.
double tenEach(const QString& text)
{
    return 10.0 * text.size();
}

TEST(ZDTitleTruncation, CutsWholeCharactersAtTheHeadTailOrMiddle)
{
    const struct {
        QString title;
        unsigned mode;
        double width;
        QString expected;
    } cases[] = {
        {"abc", kZDTruncateMiddle, 30, "abc"},
        // The middle run grows around index 6, one left, one right: [6], [5,6], [5,7], [4,7], [4,8], [3,8]
        {"abcdefghijkl", kZDTruncateMiddle, 120, "abcdefghijkl"},
        {"abcdefghijkl", kZDTruncateMiddle, 115, "abcd...ijkl"},
        {"abcdefghijkl", kZDTruncateMiddle, 105, "abcd...jkl"},
        {"abcdefghijkl", kZDTruncateMiddle, 95, "abc...jkl"},
        {"abcdefghij", kZDTruncateMiddle, 90, "abc...hij"},
        {"abcdefghij", 0, 90, "abc...hij"}, // any other mode cuts in the middle
        {"abcdefghij", kZDTruncateTail, 90, "abcdef..."},
        {"abcdefghij", kZDTruncateHead, 90, "...efghij"},
        {"abcdefghij", kZDTruncateMiddle, 20, "..."},
        {"abcdefghij", kZDTruncateTail, 20, "..."},
        {"abcdefghij", kZDTruncateHead, 20, "..."},
        {"", kZDTruncateMiddle, -5, "..."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(truncatedTitle(c.title, c.mode, c.width, tenEach), c.expected)
            << qPrintable(c.title) << " " << c.mode << " " << c.width;
}

TEST(ZDTitleTruncation, EmojiAndAccentsSurviveWhole)
{
    const QString title = QString::fromUtf8("ab\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80" "cde\xCC\x81" "fg");
    for (unsigned mode : {kZDTruncateHead, kZDTruncateTail, kZDTruncateMiddle}) {
        for (double width = 40; width < 160; width += 10) {
            const QString cut = truncatedTitle(title, mode, width, tenEach);
            EXPECT_TRUE(QStringView(cut).isValidUtf16()) << mode << " " << width;
            EXPECT_FALSE(cut.startsWith(QChar(0x0301)) || cut.contains(QStringLiteral("...") + QChar(0x0301)))
                << mode << " " << width;
        }
    }
}

TEST(ZDFinderIconCell, DefaultsAndGeometry)
{
    ZDFinderIconCell cell;
    EXPECT_EQ(cell.stringValue(), QStringLiteral("ZDDVYroviTolvik"));
    EXPECT_EQ(ZDFinderIconCell::imageCell(nullptr)->stringValue(), QStringLiteral("ZDDVZDTL"));
    EXPECT_EQ(cell.imagePosition(), 5u);
    EXPECT_EQ(cell.truncateMode(), 5u);
    EXPECT_FLOAT_EQ(cell.alpha(), 1.0f);
    EXPECT_EQ(cell.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_FALSE(cell.bgColor().isValid());
    EXPECT_DOUBLE_EQ(cell.textSizeForBox(QRectF(0, 0, 100, 100)), 10);
    EXPECT_DOUBLE_EQ(cell.textSizeForBox(QRectF(0, 0, 100, 50)), 7);
    cell.setImagePosition(0);
    EXPECT_DOUBLE_EQ(cell.textSizeForBox(QRectF(0, 0, 100, 100)), 9);
    EXPECT_EQ(cell.imageRectForBounds(QRectF(10, 20, 100, 100)), QRectF(12, 22, 96, 80));
    cell.setHighlighted(true);
    EXPECT_TRUE(cell.flags() & ZDFinderIconCell::Selected);
}

TEST(ZDFinderIconCell, BelowInAFlippedViewLaysOutAsAboveInAnUnflippedOne)
{
    ZDFinderIconCell cell(QStringLiteral("Oak"));
    const QRectF frame(0, 0, 100, 100);
    cell.setImagePosition(ZDFinderIconCell::ImageBelow);
    const auto flippedBelow = cell.layoutForFrame(frame, true);
    cell.setImagePosition(ZDFinderIconCell::ImageAbove);
    const auto unflippedAbove = cell.layoutForFrame(frame, false);
    EXPECT_EQ(flippedBelow.titleRect, unflippedAbove.titleRect);
    EXPECT_EQ(flippedBelow.imageRect, unflippedAbove.imageRect);
    // Unflipped "above": the title at the bottom (low y), the square image over it, centred.
    EXPECT_DOUBLE_EQ(unflippedAbove.titleRect.y(), 1);
    EXPECT_GT(unflippedAbove.imageRect.y(), unflippedAbove.nameBox.bottom());
    EXPECT_DOUBLE_EQ(unflippedAbove.imageRect.width(), unflippedAbove.imageRect.height());
    // Left: the title sits right of the image.
    cell.setImagePosition(ZDFinderIconCell::ImageLeft);
    const auto left = cell.layoutForFrame(QRectF(0, 0, 200, 40), true);
    EXPECT_GT(left.titleRect.x(), left.imageRect.right());
}

TEST(ZDFinderIconCell, ImageScalingAndEmptyImages)
{
    ZDFinderIconCell cell(QStringLiteral("x"));
    cell.setImage(pf::Image::make(QSizeF(10, 10)));
    const QRectF area(0, 0, 60, 60);
    EXPECT_EQ(cell.imageDrawingRect(area).size(), QSizeF(10, 10)); // never enlarged
    cell.setImageScaling(ZDFinderIconCell::kScaleUpOrDown);
    EXPECT_EQ(cell.imageDrawingRect(area).size(), QSizeF(56, 56));
    cell.setImageScaling(0);
    cell.setImage(pf::Image::make(QSizeF(200, 100)));
    EXPECT_EQ(cell.imageDrawingRect(area).size(), QSizeF(56, 28));
    cell.setImage(pf::Image::make(QSizeF(0, 0)));
    EXPECT_TRUE(cell.imageDrawingRect(area).isEmpty());
    // Drawing an empty image does nothing rather than scale by nothing.
    QImage canvas(100, 100, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    pf::GraphicsContextScope scope(painter, true);
    cell.setImageScaling(ZDFinderIconCell::kScaleUpOrDown);
    cell.drawInteriorWithFrame(QRectF(0, 0, 100, 100), nullptr);
    EXPECT_DOUBLE_EQ(cell.lastTextFontSize(), 10);
}

TEST(ZDFinderIconCell, ArchiveUsesItsKeysAndFillsWhatIsMissing)
{
    ZDFinderIconCell cell(QStringLiteral("Pine"));
    cell.setImagePosition(ZDFinderIconCell::ImageLeft);
    cell.setTruncateMode(kZDTruncateTail);
    cell.setAlpha(0.5f);
    cell.setBgColor(pf::Color::red());
    pf::KeyedArchiver archiver;
    cell.encodeWithCoder(archiver);
    pf::KeyedUnarchiver unarchiver(archiver.encodedData());
    for (const char* key : {"ZDFICnameColor", "ZDFICboxColor", "ZDFICimagePosition", "ZDFICselectionColor",
                            "ZDFICbgColor", "ZDFICtruncateMode", "ZDFICalpha"})
        EXPECT_TRUE(unarchiver.containsValueForKey(QString::fromLatin1(key))) << key;
    ZDFinderIconCell decoded;
    decoded.initWithCoder(unarchiver);
    EXPECT_EQ(decoded.imagePosition(), 2u);
    EXPECT_EQ(decoded.truncateMode(), 4u);
    EXPECT_FLOAT_EQ(decoded.alpha(), 0.5f);
    EXPECT_TRUE(decoded.bgColor().isValid());

    pf::KeyedArchiver empty;
    empty.encodeInt32(4, QStringLiteral("ZDFICimagePosition"));
    pf::KeyedUnarchiver sparse(empty.encodedData());
    ZDFinderIconCell filled;
    filled.setImagePosition(ZDFinderIconCell::ImageLeft);
    filled.setAlignment(Qt::AlignLeft);
    filled.initWithCoder(sparse);
    EXPECT_EQ(filled.truncateMode(), 5u);
    EXPECT_FLOAT_EQ(filled.alpha(), 1.0f);
    EXPECT_EQ(filled.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(filled.boxColor().qColor(), pf::SystemColor::secondarySelectedControl().qColor());
}

TEST(ZDFinderIconCell, CappedBoxIsAPillOfHalfItsHeight)
{
    auto path = bezierPathWithCappedBoxInRect(QRectF(10, 20, 100, 30));
    const QRectF bounds = path->bounds();
    EXPECT_NEAR(bounds.left(), 10, 0.01);
    EXPECT_NEAR(bounds.right(), 110, 0.01);
    EXPECT_NEAR(bounds.top(), 20, 0.01);
    EXPECT_NEAR(bounds.bottom(), 50, 0.01);
}

} // namespace
