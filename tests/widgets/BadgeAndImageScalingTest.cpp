#include "widgets/CTBadge.h"
#include "widgets/Image+NiceScaling.h"

#include "platform/foundation/Exception.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using pf::Ref;

Ref<pf::Image> solidImage(QSizeF size, QColor colour)
{
    QImage pixels(size.toSize(), QImage::Format_ARGB32_Premultiplied);
    pixels.fill(colour);
    return pf::Image::fromQImage(pixels, size);
}

int alphaAt(const QImage& image, double fx, double fy)
{
    return qAlpha(image.pixel(int(fx * (image.width() - 1)), int(fy * (image.height() - 1))));
}

TEST(CTBadge, LabelsForValuesAndLongStrings)
{
    EXPECT_EQ(CTBadge::stringForValue(0), QStringLiteral("0"));
    EXPECT_EQ(CTBadge::stringForValue(99999), QStringLiteral("99999"));
    EXPECT_EQ(CTBadge::stringForValue(100000), QStringLiteral("∞"));

    const auto badge = CTBadge::systemBadge();
    EXPECT_EQ(badge->badgeColor(), pf::Color::red());
    EXPECT_EQ(badge->labelColor(), pf::Color::white());
    const pf::AttributedString shortened = badge->labelForString(QStringLiteral("123456"), 11);
    EXPECT_EQ(shortened.string(), QStringLiteral("123") + QChar(0x2026) + QChar(0x200B));
    EXPECT_EQ(badge->labelForString(QStringLiteral("12345"), 11).string(), QStringLiteral("12345"));
    EXPECT_EQ(badge->labelForString(QString(), 11).string(), QString());

    struct Case {
        unsigned size;
        bool helvetica;
    };
    for (const Case& c : {Case{11, false}, Case{24, true}}) {
        const auto label = badge->labelForString(QStringLiteral("7"), c.size);
        const auto font = pf::fromVariant<Ref<pf::Font>>(label.attributeAtIndex(pf::kFontAttributeName, 0));
        ASSERT_TRUE(font);
        EXPECT_DOUBLE_EQ(font->pointSize(), double(c.size));
        EXPECT_EQ(font->qFont().bold() || font->qFont().weight() >= QFont::DemiBold, true);
        if (!c.helvetica) {
            EXPECT_EQ(*font, pf::Font::boldSystemFont(11));
        }
    }
}

TEST(CTBadge, MasksByLabelLength)
{
    const QStringList names{"CTBadge_1.pdf", "CTBadge_1.pdf", "CTBadge_1.pdf", "CTBadge_3.pdf",
                            "CTBadge_4.pdf", "CTBadge_5.pdf", "CTBadge_5.pdf"};
    for (unsigned length = 0; length < unsigned(names.size()); ++length)
        EXPECT_EQ(CTBadge::maskNameForLength(length), names.at(int(length))) << length;
    // Resized copies: the shared artwork keeps its size.
    const QSizeF natural = pf::Image::imageNamed(QStringLiteral("CTBadge_1"))->size();
    const Ref<pf::Image> mask = CTBadge::badgeMaskOfSize(46, 1);
    EXPECT_DOUBLE_EQ(mask->size().height(), 46);
    EXPECT_DOUBLE_EQ(mask->size().width(), natural.width() * 46 / natural.height());
    EXPECT_EQ(pf::Image::imageNamed(QStringLiteral("CTBadge_1"))->size(), natural);
}

TEST(CTBadge, ImageSizesFollowTheMaskAndShadow)
{
    const auto badge = CTBadge::systemBadge();
    struct Case {
        double size;
        QString label;
        double a;
        double b;
        double extraHeight;
    };
    for (const Case& c : {Case{23, "7", 1, 1, 1}, Case{46, "7", 1, 2, 0}, Case{23, "123456", 1, 1, 1},
                          Case{30, "42", 1, 2, 0}}) {
        const Ref<pf::Image> image = badge->badgeOfSize(c.size, c.label);
        const unsigned length = unsigned(badge->labelForString(c.label, 11).length());
        const QSizeF mask = CTBadge::badgeMaskOfSize(c.size, length)->size();
        EXPECT_DOUBLE_EQ(image->size().width(), 2 * c.b + mask.width()) << c.size << qPrintable(c.label);
        EXPECT_DOUBLE_EQ(image->size().height(), 2 * c.b + mask.height() - c.a + c.extraHeight) << c.size << qPrintable(c.label);
    }
    EXPECT_THROW(badge->badgeOfSize(0.0, QStringLiteral("1")), pf::Exception);
    EXPECT_THROW(badge->badgeOfSize(-5.0, quint64(1)), pf::Exception);
}

TEST(CTBadge, TheLozengeIsPaintedInTheBadgeColourAndTheOverlaySitsTopRight)
{
    const auto badge = CTBadge::badgeWithColor(pf::Color::blue(), pf::Color::white());
    const QImage pixels = badge->smallBadgeForValue(8)->bitmap();
    EXPECT_LT(alphaAt(pixels, 0, 0), 40); // outside the lozenge: at most a trace of its shadow
    const QColor edge = pixels.pixelColor(int(pixels.width() * 0.2), pixels.height() / 2);
    EXPECT_GT(edge.blue(), 120);
    EXPECT_LT(edge.red(), 60);

    const QImage overlay = badge->badgeOverlayImageForValue(3, 0, 0)->bitmap(QSize(128, 128));
    EXPECT_EQ(overlay.size(), QSize(128, 128));
    EXPECT_GT(qAlpha(overlay.pixel(110, 20)), 200);
    EXPECT_EQ(qAlpha(overlay.pixel(20, 110)), 0);
    const QImage inset = badge->badgeOverlayImageForValue(3, 60, 0)->bitmap(QSize(128, 128));
    EXPECT_EQ(qAlpha(inset.pixel(110, 20)), 0);
}

TEST(ImageNiceScaling, FittingAndCoveringSizes)
{
    struct Case {
        QSizeF image;
        QSizeF target;
        QSizeF fit;
        QSizeF cover;
    };
    const QList<Case> cases{
        {{200, 100}, {100, 100}, {100, 50}, {200, 100}},
        {{200, 100}, {100, 50}, {100, 50}, {100, 50}},
        {{80, 80}, {80, 60}, {60, 60}, {80, 80}},
        {{100, 200}, {100, 100}, {50, 100}, {100, 200}},
        {{0, 100}, {100, 100}, {}, {}},
        {{200, 100}, {0, 50}, {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scaledSizeToFitSize(c.image, c.target), c.fit) << c.image.width() << "x" << c.image.height();
        EXPECT_EQ(scaledSizeToCoverSize(c.image, c.target), c.cover) << c.image.width() << "x" << c.image.height();
    }
}

TEST(ImageNiceScaling, CoverAlignments)
{
    struct Case {
        int alignment;
        QPointF wide;  // 200 x 100 over 100 x 100
        QPointF tall;  // 100 x 200 over 100 x 100
    };
    const QList<Case> cases{
        {0, {-50, 0}, {0, -50}},  {1, {-50, 0}, {0, -100}}, {2, {0, 0}, {0, -100}},
        {3, {-100, 0}, {0, -100}}, {4, {0, 0}, {0, -50}},   {5, {-50, 0}, {0, 0}},
        {6, {0, 0}, {0, 0}},       {7, {-100, 0}, {0, 0}},  {8, {-100, 0}, {0, -50}},
        {42, {0, 0}, {0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(coverOriginForAlignment({200, 100}, {100, 100}, c.alignment), c.wide) << c.alignment;
        EXPECT_EQ(coverOriginForAlignment({100, 200}, {100, 100}, c.alignment), c.tall) << c.alignment;
    }
}

TEST(ImageNiceScaling, ImagesAreLetterBoxedOrCropped)
{
    const Ref<pf::Image> wide = solidImage({200, 100}, Qt::red);
    const Ref<pf::Image> fitted = scaledImageToFitSize(*wide, {100, 100});
    ASSERT_TRUE(fitted);
    EXPECT_EQ(fitted->size(), QSizeF(100, 100));
    const QImage pixels = fitted->bitmap(QSize(100, 100));
    EXPECT_EQ(qAlpha(pixels.pixel(50, 10)), 0);  // the band above
    EXPECT_EQ(qAlpha(pixels.pixel(50, 90)), 0);  // and below
    EXPECT_EQ(pixels.pixelColor(50, 50), QColor(Qt::red));

    // Covering, aligned right: the image's right half shows.
    QImage halves(200, 100, QImage::Format_ARGB32_Premultiplied);
    halves.fill(Qt::green);
    QPainter(&halves).fillRect(100, 0, 100, 100, Qt::blue);
    const Ref<pf::Image> covered = scaledImageToCoverSize(*pf::Image::fromQImage(halves, {200, 100}), {100, 100},
                                                          pf::ImageInterpolation::High, false, kCoverAlignTopRight);
    ASSERT_TRUE(covered);
    const QImage crop = covered->bitmap(QSize(100, 100));
    EXPECT_EQ(crop.pixelColor(10, 50), QColor(Qt::blue));
    EXPECT_EQ(crop.pixelColor(90, 50), QColor(Qt::blue));

    EXPECT_FALSE(scaledImageToFitSize(*pf::Image::make(), {100, 100}));
    EXPECT_FALSE(scaledImageToCoverSize(*wide, {0, 0}));
}

} // namespace
