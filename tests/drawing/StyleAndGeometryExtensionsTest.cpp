// Styles made from values, searchable label text, renderer names and the geometry queries.
#include "DrawingExtensionsTestSupport.h"

#include "drawing/PWDrawableObject+CartavelExtensions.h"
#include "drawing/PWShapeGroup+SymbolsSupport.h"
#include "drawing/PWStyle+CartavelExtensions.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/renderers/PWHatching.h"
#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "platform/graphics/Color.h"

namespace {

using namespace drawext_test;

// A shape kind that may not become a symbol.
class PinnedShape : public PWDrawableShape {
    PF_CLASS(PinnedShape)
};

} // namespace

PF_DEFINE_CLASS(PinnedShape, PWDrawableShape)
{
    b.classMethod("canBeConvertedToSymbol", [](const pf::Class&, const QVariantList&) { return QVariant(false); });
}

namespace {

TEST_F(ExtensionsTest, StyleWithObjectTakesEachKindOfValue)
{
    auto style = PWStyle::defaultStyle();
    EXPECT_EQ(PWStyleCartavelExtensions::styleWithObject(pf::toVariant(style)), style);
    EXPECT_EQ(PWStyleCartavelExtensions::styleWithObject(QVariant(42))->string(), QStringLiteral("42"));
    EXPECT_EQ(PWStyleCartavelExtensions::styleWithObject(QVariant(2.5))->string(), QStringLiteral("2.5"));
    EXPECT_EQ(PWStyleCartavelExtensions::styleWithObject(QStringLiteral("Mill"))->string(), QStringLiteral("Mill"));

    auto red = PWStyleCartavelExtensions::styleWithObject(QVariant::fromValue(QColor(Qt::red)));
    ASSERT_FALSE(red->renderersOfClass<PWFill>().isEmpty());
    EXPECT_EQ(red->renderersOfClass<PWFill>().first()->colour(), pf::Color(QColor(Qt::red)));

    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    EXPECT_FALSE(PWStyleCartavelExtensions::styleWithObject(image)->imageComponent().isNull());

    // Nothing to take: an empty style.
    auto empty = PWStyleCartavelExtensions::styleWithObject(QVariant());
    EXPECT_TRUE(empty->renderList().isEmpty());
    EXPECT_TRUE(empty->string().isEmpty());
}

TEST_F(ExtensionsTest, LabelsGiveSearchableTextAndIdentifiers)
{
    auto style = std::make_shared<PWStyle>();
    auto first = PWTextAdornment::textAdornmentWithString(QStringLiteral("River"));
    first->setIdentifier(QStringLiteral("name"));
    auto second = PWTextAdornment::textAdornmentWithString(QStringLiteral("Ouse"));
    second->setIdentifier(QStringLiteral("label"));
    style->addRenderer(first);
    style->addRenderer(std::make_shared<PWStroke>());
    style->addRenderer(second);
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 50, 20), style);
    EXPECT_EQ(PWStyleCartavelExtensions::searchableStringForObject(*style, *shape), QStringLiteral("River Ouse "));
    EXPECT_EQ(PWStyleCartavelExtensions::identifiers(*style), (QStringList{"name", "label"}));
    EXPECT_EQ(PWStyleCartavelExtensions::searchableStringForObject(PWStyle(), *shape), QString());
}

TEST_F(ExtensionsTest, StylesRoundTripAsLibraryFileData)
{
    auto style = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color::black());
    style->setName(QStringLiteral("Brick"));
    const QByteArray data = PWStyleCartavelExtensions::fileData(style);
    auto read = std::dynamic_pointer_cast<PWStyle>(PWStyleCartavelExtensions::libraryObjectWithFileData(data));
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->isEqualToStyle(style.get()));
    EXPECT_EQ(read->name(), QStringLiteral("Brick"));
    EXPECT_FALSE(PWStyleCartavelExtensions::libraryObjectWithFileData(QByteArray("not an archive")));
}

TEST_F(ExtensionsTest, RenderersNameThemselvesForTheUser)
{
    EXPECT_EQ(PWStroke().displayName(), QStringLiteral("Stroke"));
    EXPECT_EQ(PWHatching().displayName(), QStringLiteral("Hatch Fill"));
    EXPECT_EQ(PWTextAdornment().displayName(), QStringLiteral("Label Adornment"));
    EXPECT_EQ(PWStyle::staticClass().performClassMethod(QStringLiteral("displayName")).toString(), QStringLiteral("Style"));
}

TEST_F(ExtensionsTest, APathIsNearAPointAlongItsSegmentsNotOnlyAtItsPoints)
{
    pf::BezierPath line;
    line.moveTo(QPointF(0, 0));
    line.lineTo(QPointF(200, 0));
    auto path = PWDrawablePath::drawablePathWithPath(line);
    const pf::Ref<pf::BezierPath> before = path->path();
    const double flatness = before->flatness();
    EXPECT_TRUE(PWDrawableObjectCartavelExtensions::isWithinDistance(*path, 5.0, QPointF(100, 4)));
    EXPECT_TRUE(PWDrawableObjectCartavelExtensions::isWithinDistance(*path, 5.0, QPointF(100, 5)));
    EXPECT_FALSE(PWDrawableObjectCartavelExtensions::isWithinDistance(*path, 5.0, QPointF(100, 6)));
    EXPECT_FALSE(PWDrawableObjectCartavelExtensions::isWithinDistance(*path, 5.0, QPointF(206, 0)));
    EXPECT_TRUE(path->perform(QStringLiteral("isWithinDistance:ofPoint:"), {5.0, QPointF(0, 3)}).toBool());
    // The model's path is left as it was.
    EXPECT_EQ(path->path()->elements(), before->elements());
    EXPECT_EQ(path->path()->flatness(), flatness);

    // A curve is measured along its flattened outline (within the flatness of 8).
    pf::BezierPath curve;
    curve.moveTo(QPointF(0, 0));
    // End point first, then the control points.
    curve.curveTo(QPointF(100, 0), QPointF(0, 100), QPointF(100, 100));
    auto arch = PWDrawablePath::drawablePathWithPath(curve);
    EXPECT_TRUE(PWDrawableObjectCartavelExtensions::isWithinDistance(*arch, 10.0, QPointF(50, 75)));
    EXPECT_FALSE(PWDrawableObjectCartavelExtensions::isWithinDistance(*arch, 10.0, QPointF(50, 40)));
    EXPECT_EQ(arch->path()->elementCount(), 2);
}

TEST_F(ExtensionsTest, OtherObjectsAreNearByTheirLocation)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 100, 100));
    EXPECT_TRUE(shape->perform(QStringLiteral("isWithinDistance:ofPoint:"), {10.0, QPointF(56, 58)}).toBool());
    EXPECT_FALSE(shape->perform(QStringLiteral("isWithinDistance:ofPoint:"), {10.0, QPointF(0, 0)}).toBool());
    EXPECT_FALSE(shape->perform(QStringLiteral("locationAsGridReferenceString")).isValid());
    EXPECT_FALSE(PWDrawablePath().perform(QStringLiteral("canConvertToTrack")).toBool());
}

TEST_F(ExtensionsTest, AGroupBecomesASymbolOnlyWhenEveryMemberMay)
{
    auto empty = std::make_shared<PWShapeGroup>();
    EXPECT_TRUE(empty->perform(QStringLiteral("canBeConvertedToSymbol")).toBool());
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10));
    auto inner = PWShapeGroup::groupWithObjects({shape});
    auto outer = PWShapeGroup::groupWithObjects({inner, PWDrawableShape::drawableShapeWithRect(QRectF(20, 0, 10, 10))});
    EXPECT_TRUE(outer->perform(QStringLiteral("canBeConvertedToSymbol")).toBool());
    auto pinned = std::make_shared<PinnedShape>();
    auto withPinned = PWShapeGroup::groupWithObjects(
        {PWShapeGroup::groupWithObjects({pinned}), PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 5, 5))});
    EXPECT_FALSE(pinned->perform(QStringLiteral("canBeConvertedToSymbol")).toBool());
    EXPECT_FALSE(withPinned->perform(QStringLiteral("canBeConvertedToSymbol")).toBool());
    EXPECT_TRUE(PWShapeGroupSymbolsSupport::allSymbols(*outer).isEmpty());
}

} // namespace
