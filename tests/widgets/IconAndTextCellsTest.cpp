#include "widgets/RVIconTextFieldCell.h"
#include "widgets/RVLabelledIconCell.h"
#include "widgets/RVLazyImageCell.h"
#include "widgets/RVTextPreviewView.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/SystemColor.h"

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

// Runs `draw` with a flipped context on a transparent canvas of `size` and answers the pixels.
QImage drawn(QSize size, const std::function<void()>& draw)
{
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    pf::GraphicsContextScope scope(painter, true);
    draw();
    painter.end();
    return canvas;
}

class Thumbnailed : public pf::Object {
    PF_CLASS(Thumbnailed)
public:
    Ref<pf::Image> imageToFitSize(QSizeF size)
    {
        ++asked;
        askedSize = size;
        return solidImage(size, Qt::red);
    }
    int asked = 0;
    QSizeF askedSize;
};

} // namespace

PF_DEFINE_CLASS_NAMED(Thumbnailed, pf::Object, "IconAndTextCellsTestThumbnailed")
{
    b.method("imageToFitSize:", &Thumbnailed::imageToFitSize);
}

namespace {

TEST(RVLabelledIconCell, GeometryOfAOneLineCell)
{
    RVLabelledIconCell cell(QStringLiteral("Road"));
    const QRectF frame(0, 0, 90, 90);
    EXPECT_EQ(cell.titleRectForFrame(frame), QRectF(0, 75, 90, 15));
    EXPECT_EQ(cell.titleTextBoxForFrame(frame), QRectF(6, 76.125, 78, 12.75));
    EXPECT_EQ(cell.imageRectForFrame(frame), QRectF(9.5, 2, 71, 71));
    EXPECT_EQ(cell.badgeRectForFrame(frame), QRectF(58, 50.5, 16, 16));
    EXPECT_EQ(cell.titleRectForBounds(frame), cell.titleTextBoxForFrame(frame));
    EXPECT_EQ(cell.titleOptions(), RVLabelledIconCell::kTitleOptionsTruncating);
    EXPECT_EQ(cell.lineBreakMode(), pf::LineBreakByTruncatingMiddle);
}

TEST(RVLabelledIconCell, LabelFontSizeIsClamped)
{
    struct Case {
        unsigned lines;
        double height;
        double band;
        double fontSize;
    };
    for (const Case& c : {Case{2, 120, 10, 6.5}, Case{1, 90, 15, 10.2}, Case{1, 120, 20, 12.0}, Case{0, 90, 15, 10.2}}) {
        RVLabelledIconCell cell(QStringLiteral("Road"));
        cell.setNumberOfTextLines(c.lines);
        const QRectF frame(0, 0, c.height, c.height);
        EXPECT_DOUBLE_EQ(cell.titleRectForFrame(frame).height(), c.band) << c.lines << " " << c.height;
        EXPECT_NEAR(cell.titleFontSizeForFrame(frame), c.fontSize, 1e-9) << c.lines << " " << c.height;
        const auto font = pf::fromVariant<Ref<pf::Font>>(cell.titleAttributesForFrame(frame).value(pf::kFontAttributeName));
        ASSERT_TRUE(font);
        EXPECT_NEAR(font->pointSize(), c.fontSize, 1e-6);
    }
}

TEST(RVLabelledIconCell, TitleAttributesAreCachedUntilSizeStateOrColourChange)
{
    RVLabelledIconCell cell(QStringLiteral("Road"));
    const QRectF frame(0, 0, 90, 90);
    auto colourOf = [&](const QVariantMap& attributes) {
        return *pf::fromVariant<Ref<pf::Color>>(attributes.value(pf::kForegroundColorAttributeName));
    };
    EXPECT_EQ(colourOf(cell.titleAttributesForFrame(frame)), pf::Color::white().contrastingColor());
    EXPECT_TRUE(cell.hasCachedTitleAttributes(false));
    EXPECT_FALSE(cell.hasCachedTitleAttributes(true));

    cell.setTextBackgroundColour(pf::Color::black());
    EXPECT_FALSE(cell.hasCachedTitleAttributes(false));
    EXPECT_EQ(colourOf(cell.titleAttributesForFrame(frame)), pf::Color::white());

    cell.setEnabled(false);
    EXPECT_EQ(colourOf(cell.titleAttributesForFrame(frame)), pf::SystemColor::disabledControlText());

    // Drawn at another size, the label is laid out again.
    cell.setEnabled(true);
    cell.titleAttributesForFrame(frame);
    drawn(QSize(120, 120), [&] { cell.drawInteriorWithFrame(QRectF(0, 0, 60, 60), nullptr); });
    const auto font = pf::fromVariant<Ref<pf::Font>>(cell.titleAttributesForFrame(QRectF(0, 0, 60, 60)).value(pf::kFontAttributeName));
    EXPECT_NEAR(font->pointSize(), 6.8, 1e-6);

    // Editing never caches: its colour is black.
    cell.setIsEditing(true);
    EXPECT_EQ(colourOf(cell.titleAttributesForFrame(frame)), pf::Color::black());
}

TEST(RVLabelledIconCell, IconPlacementAndPlaceholder)
{
    RVLabelledIconCell cell(QStringLiteral("Road"));
    const QRectF frame(0, 0, 90, 90);
    EXPECT_TRUE(cell.iconDrawingRectForFrame(frame).isNull());
    const QImage empty = drawn(QSize(90, 90), [&] { cell.drawInteriorWithFrame(frame, nullptr); });
    // The dashed placeholder's border runs 5 inside the image rectangle.
    EXPECT_GT(qAlpha(empty.pixel(45, 8)), 0);

    cell.setImage(solidImage({16, 16}, Qt::red));
    cell.setImageScaling(pf::ImageScaling::ProportionallyDown);
    EXPECT_EQ(cell.iconDrawingRectForFrame(frame), QRectF(37, 29.5, 16, 16));
    cell.setImageScaling(pf::ImageScaling::ProportionallyUpOrDown);
    EXPECT_EQ(cell.iconDrawingRectForFrame(frame), QRectF(11.5, 4, 67, 67));
    const QImage withIcon = drawn(QSize(90, 90), [&] { cell.drawInteriorWithFrame(frame, nullptr); });
    EXPECT_EQ(withIcon.pixelColor(45, 37), QColor(Qt::red));

    const Ref<pf::Cell> copy = cell.copyCell();
    EXPECT_EQ(copy->image(), cell.image());
    EXPECT_FALSE(std::static_pointer_cast<RVLabelledIconCell>(copy)->hasCachedTitleAttributes(false));
}

TEST(RVLabelledIconCell, AnOverlongLabelEndsInAnEllipsis)
{
    RVLabelledIconCell cell;
    cell.setNumberOfTextLines(2);
    const QRectF frame(0, 0, 120, 120);
    const pf::AttributedString title(QStringLiteral("A very long label that cannot possibly fit in two short lines of text"),
                                     cell.titleAttributesForFrame(frame));
    // Drawing it must not run past the two lines it is allowed.
    const QImage pixels = drawn(QSize(120, 120), [&] { cell.drawTitle(title, QRectF(0, 0, 120, 18), true); });
    bool inkBelow = false;
    for (int y = 40; y < 120; ++y)
        for (int x = 0; x < 120; ++x)
            inkBelow = inkBelow || qAlpha(pixels.pixel(x, y)) > 0;
    EXPECT_FALSE(inkBelow);
    cell.drawTitle(pf::AttributedString(), QRectF(0, 0, 120, 18), false); // nothing to draw
}

TEST(RVLazyImageCell, AsksItsObjectForAnImageOnce)
{
    auto source = std::make_shared<Thumbnailed>();
    RVLazyImageCell cell;
    cell.setRepresentedObject(pf::toVariant(source));
    drawn(QSize(64, 64), [&] { cell.drawInteriorWithFrame(QRectF(0, 0, 40, 30), nullptr); });
    drawn(QSize(64, 64), [&] { cell.drawInteriorWithFrame(QRectF(0, 0, 40, 30), nullptr); });
    EXPECT_EQ(source->asked, 1);
    EXPECT_EQ(source->askedSize, QSizeF(40, 30));
    ASSERT_TRUE(cell.image());
}

TEST(RVTextPreviewView, FittingFindsTheLargestSizeThatFits)
{
    const QVariantMap attributes{
        {pf::kFontAttributeName, pf::toVariant(std::make_shared<pf::Font>(pf::Font::systemFont(12)))}};
    const pf::AttributedString shortText(QStringLiteral("Ab"), attributes);
    EXPECT_DOUBLE_EQ(RVTextPreviewView::fittedFontSize(shortText, QRectF(0, 0, 400, 100), 10, 48), 48.0);
    const pf::AttributedString longText(QString(300, QLatin1Char('W')), attributes);
    const double tiny = RVTextPreviewView::fittedFontSize(longText, QRectF(0, 0, 400, 100), 10, 48);
    EXPECT_GE(tiny, 10.0);
    EXPECT_LT(tiny, 10.5);
    const double middle = RVTextPreviewView::fittedFontSize(pf::AttributedString(QStringLiteral("Quillory maps"), attributes),
                                                            QRectF(0, 0, 200, 100), 10, 48);
    EXPECT_GT(middle, 10.0);
    EXPECT_LT(middle, 48.0);
    EXPECT_DOUBLE_EQ(RVTextPreviewView::fittedFontSize(longText, QRectF(0, 0, 400, 100), 18, 18), 18.0);
    EXPECT_THROW(RVTextPreviewView::fittedFontSize(shortText, QRectF(0, 0, 400, 100), 20, 12), pf::Exception);
}

TEST(RVTextPreviewView, StringsPlaceholdersAndEmptyText)
{
    RVTextPreviewView view(QRectF(0, 0, 200, 60));
    EXPECT_TRUE(view.isFlipped());
    EXPECT_FALSE(view.acceptsFirstResponder());
    view.setWithString(QStringLiteral("Road"), {});
    EXPECT_FALSE(view.string().has_value());
    view.setWithString(QStringLiteral("Road"), QVariantMap{{pf::kFontAttributeName,
                                                            pf::toVariant(std::make_shared<pf::Font>(pf::Font::systemFont(12)))}});
    ASSERT_TRUE(view.string().has_value());
    view.setString(pf::AttributedString(QString()));
    view.setBordered(true);
    const QImage pixels = view.cacheDisplayInRect(view.bounds());
    EXPECT_EQ(pixels.pixelColor(pixels.width() / 2, pixels.height() / 2), QColor(Qt::white));
}

TEST(RVIconTextFieldCell, IconAndTextPlacement)
{
    RVIconTextFieldCell cell(QStringLiteral("Swamp"));
    const QRectF frame(0, 10, 200, 22);
    EXPECT_EQ(cell.textFrameForFrame(frame), frame);
    cell.setTextFieldIcon(solidImage({16, 16}, Qt::red));
    EXPECT_EQ(cell.iconRectForFrame(frame), QRectF(6, 12, 16, 16));
    EXPECT_EQ(cell.textFrameForFrame(frame), QRectF(24, 10, 176, 22));
    const QRectF text = cell.drawingRectForBounds(frame);
    EXPECT_NEAR(text.center().y(), frame.center().y(), 0.5);
    EXPECT_LE(text.height(), frame.height());

    const QImage enabled = drawn(QSize(200, 40), [&] { cell.drawWithFrame(frame, nullptr); });
    cell.setEnabled(false);
    const QImage disabled = drawn(QSize(200, 40), [&] { cell.drawWithFrame(frame, nullptr); });
    EXPECT_EQ(qAlpha(enabled.pixel(14, 20)), 255);
    EXPECT_NEAR(qAlpha(disabled.pixel(14, 20)), 128, 2);
    EXPECT_EQ(cell.copyCell()->isKindOf<RVIconTextFieldCell>(), true);
}

} // namespace
