// Before the framework headers: PWTextLayout.h uses QFontMetricsF without including it.
#include <QFontMetricsF>

#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/output/PWRenderingOutput.h"
#include "frameworks/penwork/renderers/PWGradientFill.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/svg/PWSVGDrawingBuilder.h"
#include "frameworks/penwork/svg/PWSVGElement.h"
#include "frameworks/penwork/svg/PWSVGImporter.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>

namespace {

using quillory::test::fixturePath;

QByteArray svg(const QString& body, const QString& rootAttributes = QStringLiteral("width=\"100\" height=\"100\""))
{
    return QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" %1>%2</svg>")
        .arg(rootAttributes, body)
        .toUtf8();
}

QList<pf::Ref<PWDrawableObject>> objectsOf(const pf::Ref<PWDrawing>& drawing)
{
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(
        drawing->firstLayerOfClass(PWObjectDrawingLayer::staticClass()));
    return layer ? layer->objectList() : QList<pf::Ref<PWDrawableObject>>();
}

QImage atPointResolution(QImage image)
{
    image.setDotsPerMeterX(qRound(72.0 / 0.0254));
    image.setDotsPerMeterY(qRound(72.0 / 0.0254));
    return image;
}

QImage renderReference(const QString& path, const QSize& size)
{
    QSvgRenderer renderer(path);
    QImage image = atPointResolution(QImage(size, QImage::Format_ARGB32_Premultiplied));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(QPointF(), QSizeF(size)));
    return image;
}

// The share of pixels whose colours differ by more than `threshold` in some channel.
double differingShare(const QImage& a, const QImage& b, int threshold = 60)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    if (x.size() != y.size())
        return 1.0;
    qint64 differing = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int column = 0; column < x.width(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            if (std::abs(qRed(p) - qRed(q)) > threshold || std::abs(qGreen(p) - qGreen(q)) > threshold
                || std::abs(qBlue(p) - qBlue(q)) > threshold)
                ++differing;
        }
    return double(differing) / (x.width() * x.height());
}

double inkShare(const QImage& image)
{
    return differingShare(image, [&] {
        QImage white(image.size(), QImage::Format_ARGB32);
        white.fill(Qt::white);
        return white;
    }(), 20);
}

// Whether text shapes draw a font of n points n drawing units tall, as the import sizes them:
// a 100-point "H" drawn through a text shape, measured against its cap height at 72 dpi.
bool textShapesDrawPointsAsDrawingUnits()
{
    auto drawing = std::make_shared<PWDrawing>();
    drawing->setDrawingSize({300, 200});
    auto layer = std::make_shared<PWObjectDrawingLayer>();
    drawing->addLayer(layer);
    auto shape = PWTextShape::textShapeWithRect({0, 0, 300, 200}, QStringLiteral("H"), std::make_shared<PWStyle>());
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(100);
    shape->setTextAttributes({{kPWTextFontAttribute, font}, {kPWTextFontSizeAttribute, 100.0}});
    layer->addObject(shape);
    const QImage image = PWRenderingOutput::image(*drawing, {0, 0, 300, 200}, {300, 200}, pf::Color::white());
    int top = -1, bottom = -1;
    for (int row = 0; row < image.height(); ++row)
        for (int column = 0; column < image.width(); ++column)
            if (qGray(image.pixel(column, row)) < 128) {
                if (top < 0)
                    top = row;
                bottom = row;
            }
    QImage device = atPointResolution(QImage(1, 1, QImage::Format_ARGB32));
    const double capHeight = QFontMetricsF(font, &device).capHeight();
    return top >= 0 && std::abs((bottom - top + 1) - capHeight) < capHeight * 0.1;
}

struct RenderCase {
    const char* fixture;
    double tolerance;
};

class SVGImportRendering : public ::testing::TestWithParam<RenderCase> {};

// The imported drawing, rendered through the drawing's own output, looks like Qt's rendering
// of the file itself.
TEST_P(SVGImportRendering, MatchesQtRendering)
{
    const QString path = fixturePath(QStringLiteral("svg/") + GetParam().fixture);
    if (QString::fromLatin1(GetParam().fixture).startsWith(u"text") && !textShapesDrawPointsAsDrawingUnits())
        GTEST_SKIP() << "text shapes do not draw n-point fonts n drawing units tall here, so text cannot match";
    pf::Error error;
    auto drawing = PWSVGImporter::drawingWithContentsOfSVGFile(path, &error);
    ASSERT_TRUE(drawing) << error.description().toStdString();
    const QSize size = drawing->drawingSize().toSize();
    const QImage ours = PWRenderingOutput::image(*drawing, QRectF(QPointF(), drawing->drawingSize()), size,
                                                 pf::Color::white());
    ASSERT_FALSE(ours.isNull());
    const QImage reference = renderReference(path, size);
    ASSERT_GT(inkShare(reference), 0.05) << "the fixture draws too little to compare";
    const double share = differingShare(ours, reference);
    if (share >= GetParam().tolerance) {
        ours.save(QDir::temp().filePath(QStringLiteral("svg-ours-") + GetParam().fixture + QStringLiteral(".png")));
        reference.save(QDir::temp().filePath(QStringLiteral("svg-ref-") + GetParam().fixture + QStringLiteral(".png")));
    }
    EXPECT_LT(share, GetParam().tolerance);
}

INSTANTIATE_TEST_SUITE_P(SVGImport, SVGImportRendering,
                         ::testing::Values(RenderCase{"shapes-transforms.svg", 0.02}, RenderCase{"gradients.svg", 0.03},
                                           RenderCase{"groups-use.svg", 0.02}, RenderCase{"text.svg", 0.04}),
                         [](const auto& info) {
                             std::string name = info.param.fixture;
                             name = name.substr(0, name.find('.'));
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(SVGImportModel, DrawingHasTheDocumentSizeAndOneActiveObjectLayer)
{
    auto drawing = PWSVGImporter::drawingWithContentsOfSVGFile(fixturePath(QStringLiteral("svg/shapes-transforms.svg")));
    ASSERT_TRUE(drawing);
    EXPECT_EQ(drawing->drawingSize(), QSizeF(200, 150));
    ASSERT_EQ(drawing->flattenedLayers().size(), 1);
    EXPECT_EQ(drawing->activeLayer(), drawing->flattenedLayers().first());
    // Nothing of the import is left to undo.
    EXPECT_FALSE(drawing->undoManager()->canUndo());

    const auto objects = objectsOf(drawing);
    ASSERT_EQ(objects.size(), 13);
    // Rects, circles and ellipses are shapes; paths, lines and polygons point-editable paths.
    EXPECT_FALSE(std::dynamic_pointer_cast<PWDrawablePath>(objects[0]));
    EXPECT_TRUE(std::dynamic_pointer_cast<PWDrawablePath>(objects[4]));
    // viewBox 400 x 300 in 200 x 150: the first rect (10, 10, 80 x 50) lands at half size.
    EXPECT_NEAR(objects[0]->bounds().x(), 5.0, 0.01);
    EXPECT_NEAR(objects[0]->bounds().width(), 40.0, 0.01);
    // The stroke width is scaled with the geometry.
    auto stroke = objects[1]->style()->renderersOfClass<PWStroke>();
    ASSERT_EQ(stroke.size(), 1);
    EXPECT_DOUBLE_EQ(stroke.first()->width(), 3.0);
    EXPECT_EQ(stroke.first()->colour().qColor(), QColor(Qt::black));
}

TEST(SVGImportModel, GroupsUsesAndStyleSheet)
{
    auto drawing = PWSVGImporter::drawingWithContentsOfSVGFile(fixturePath(QStringLiteral("svg/groups-use.svg")));
    ASSERT_TRUE(drawing);
    const auto objects = objectsOf(drawing);
    ASSERT_EQ(objects.size(), 5);
    auto fillColour = [](const pf::Ref<PWDrawableObject>& object) {
        auto fills = object->style()->renderersOfClass<PWFill>();
        return fills.isEmpty() ? QColor() : fills.first()->colour().qColor();
    };
    EXPECT_EQ(fillColour(objects[0]), QColor("#e33"));
    EXPECT_EQ(fillColour(objects[1]), QColor("#33e"));
    EXPECT_DOUBLE_EQ(objects[2]->style()->opacity(), 0.5);
    // The group round the two uses holds a group per use, each a rect and a circle.
    auto uses = std::dynamic_pointer_cast<PWShapeGroup>(objects[3]);
    ASSERT_TRUE(uses);
    ASSERT_EQ(uses->countOfMembers(), 2);
    auto pair = std::dynamic_pointer_cast<PWShapeGroup>(uses->members()[1]);
    ASSERT_TRUE(pair);
    ASSERT_EQ(pair->countOfMembers(), 2);
    EXPECT_EQ(fillColour(pair->members()[0]), QColor("#909"));
    EXPECT_EQ(fillColour(pair->members()[1]), QColor("#3a3"));
    // translate(100 70) scale(0.8): the 30-unit rect becomes 24 at (100, 70).
    EXPECT_NEAR(pair->members()[0]->bounds().width(), 24.0, 0.01);
    EXPECT_NEAR(pair->members()[0]->bounds().x(), 100.0, 0.01);
    // A group's opacity goes to its member.
    EXPECT_DOUBLE_EQ(objects[4]->style()->opacity(), 0.5);
}

TEST(SVGImportModel, CascadeAndSymbols)
{
    // Presentation attributes lose to the sheet, the sheet to style=""; a symbol's viewBox maps
    // onto the size the use gives it.
    auto drawing = PWSVGImporter::drawingWithSVGData(
        svg("<style>#a, #b { fill: #33e }</style>"
            "<rect id=\"a\" width=\"5\" height=\"5\" fill=\"yellow\"/>"
            "<rect id=\"b\" width=\"5\" height=\"5\" style=\"fill: #0f0\"/>"
            "<symbol id=\"s\" viewBox=\"0 0 10 10\"><rect x=\"1\" y=\"1\" width=\"8\" height=\"8\"/></symbol>"
            "<use href=\"#s\" x=\"20\" y=\"30\" width=\"50\" height=\"50\"/>"));
    ASSERT_TRUE(drawing);
    const auto objects = objectsOf(drawing);
    ASSERT_EQ(objects.size(), 3);
    EXPECT_EQ(objects[0]->style()->renderersOfClass<PWFill>().first()->colour().qColor(), QColor("#33e"));
    EXPECT_EQ(objects[1]->style()->renderersOfClass<PWFill>().first()->colour().qColor(), QColor("#0f0"));
    const QRectF badge = objects[2]->bounds();
    EXPECT_NEAR(badge.x(), 25.0, 1e-6);
    EXPECT_NEAR(badge.y(), 35.0, 1e-6);
    EXPECT_NEAR(badge.width(), 40.0, 1e-6);
}

TEST(SVGImportModel, ReferencesReachPartsBuiltBefore)
{
    // What a later element refers to lies inside groups drawn earlier: the reference still finds
    // it, with its own paint, wherever in the group it sits.
    auto drawing = PWSVGImporter::drawingWithSVGData(
        svg("<g><g><rect id=\"r\" width=\"4\" height=\"4\" fill=\"#f00\"/></g><circle r=\"1\"/></g>"
            "<g><linearGradient id=\"lg\"><stop offset=\"0\" stop-color=\"#00f\"/>"
            "<stop offset=\"1\" stop-color=\"#0f0\"/></linearGradient></g>"
            "<rect width=\"2\" height=\"2\"/>"
            "<use href=\"#r\" x=\"50\" y=\"60\"/>"
            "<rect x=\"10\" width=\"20\" height=\"20\" fill=\"url(#lg)\"/>"));
    ASSERT_TRUE(drawing);
    const auto objects = objectsOf(drawing);
    ASSERT_EQ(objects.size(), 4);
    const QRectF placed = objects[2]->bounds();
    EXPECT_NEAR(placed.x(), 50.0, 1e-6);
    EXPECT_NEAR(placed.y(), 60.0, 1e-6);
    EXPECT_EQ(objects[2]->style()->renderersOfClass<PWFill>().first()->colour().qColor(), QColor("#f00"));
    auto gradients = objects[3]->style()->renderersOfClass<PWGradientFill>();
    ASSERT_EQ(gradients.size(), 1);
    EXPECT_EQ(gradients.first()->colourAtStopIndex(0).qColor(), QColor("#00f"));
}

TEST(SVGImportModel, GradientsBecomeGradientFills)
{
    auto drawing = PWSVGImporter::drawingWithContentsOfSVGFile(fixturePath(QStringLiteral("svg/gradients.svg")));
    ASSERT_TRUE(drawing);
    const auto objects = objectsOf(drawing);
    ASSERT_EQ(objects.size(), 6);
    auto gradientOf = [](const pf::Ref<PWDrawableObject>& object) {
        auto fills = object->style()->renderersOfClass<PWGradientFill>();
        return fills.isEmpty() ? nullptr : fills.first();
    };
    auto across = gradientOf(objects[0]);
    ASSERT_TRUE(across);
    EXPECT_EQ(across->gradientType(), PWGradientFill::Linear);
    EXPECT_NEAR(across->gradientAngle(), 0.0, 1e-9);
    EXPECT_EQ(across->colourAtStopIndex(0).qColor(), QColor(Qt::red));
    // Inherited stops, running top to bottom: angle -90 degrees (counter-clockwise positive).
    auto down = gradientOf(objects[1]);
    ASSERT_TRUE(down);
    EXPECT_NEAR(down->gradientAngle(), -M_PI / 2, 1e-9);
    EXPECT_EQ(down->numberOfColours(), 2);
    auto glow = gradientOf(objects[4]);
    ASSERT_TRUE(glow);
    EXPECT_EQ(glow->gradientType(), PWGradientFill::Radial);
    // A missing gradient falls back to the colour after it, or to none.
    auto fallback = objectsOf(PWSVGImporter::drawingWithSVGData(
        svg("<rect width=\"9\" height=\"9\" fill=\"url(#missing) #0f0\"/><rect width=\"9\" height=\"9\" fill=\"url(#missing)\"/>")));
    ASSERT_EQ(fallback.size(), 2);
    EXPECT_EQ(fallback[0]->style()->renderersOfClass<PWFill>().first()->colour().qColor(), QColor("#0f0"));
    EXPECT_TRUE(fallback[1]->style()->renderersOfClass<PWFill>().isEmpty());
}

TEST(SVGImportModel, TextRunsBecomeTextShapes)
{
    auto drawing = PWSVGImporter::drawingWithContentsOfSVGFile(fixturePath(QStringLiteral("svg/text.svg")));
    ASSERT_TRUE(drawing);
    const auto objects = objectsOf(drawing);
    ASSERT_EQ(objects.size(), 2);
    auto runs = std::dynamic_pointer_cast<PWShapeGroup>(objects[0]);
    ASSERT_TRUE(runs);
    ASSERT_EQ(runs->countOfMembers(), 3);
    QStringList texts;
    for (const auto& member : runs->members())
        texts << std::dynamic_pointer_cast<PWTextShape>(member)->text();
    EXPECT_EQ(texts, (QStringList{"Hello ", "bold", " world"}));
    auto bold = std::dynamic_pointer_cast<PWTextShape>(runs->members()[1]);
    const QFont font = pwtext::fontFromAttributes(bold->textAttributes());
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 28.0);
    EXPECT_EQ(pwtext::colourFromAttributes(bold->textAttributes()), QColor("#c00"));
    // Runs follow each other along the baseline.
    const double room = 28 * 0.25 + 1.0;
    EXPECT_NEAR(runs->members()[0]->bounds().right() - room, runs->members()[1]->bounds().left(), 0.5);
    // End-anchored text ends at its x.
    auto right = std::dynamic_pointer_cast<PWTextShape>(objects[1]);
    ASSERT_TRUE(right);
    // The box is the run's advance plus a little room on the right (a quarter em and a point).
    EXPECT_NEAR(right->bounds().right() - (20 * 0.25 + 1.0), 290.0, 0.5);
}

TEST(SVGImportModel, SizesAndUnits)
{
    struct Case {
        QString attributes;
        QSizeF size;
    };
    const QList<Case> cases = {
        {"width=\"2in\" height=\"1in\"", {144, 72}},
        {"width=\"254mm\" height=\"2.54cm\"", {720, 72}},
        {"viewBox=\"0 0 300 200\"", {300, 200}},
        {"width=\"150\" viewBox=\"0 0 300 200\"", {150, 100}},
        {"width=\"100%\" height=\"100%\" viewBox=\"0 0 40 30\"", {40, 30}},
        // Neither size nor viewBox: as far as the content reaches.
        {"", {80, 60}},
    };
    for (const Case& c : cases) {
        pf::Error error;
        auto drawing = PWSVGImporter::drawingWithSVGData(svg("<rect x=\"10\" y=\"20\" width=\"70\" height=\"40\"/>", c.attributes), &error);
        ASSERT_TRUE(drawing) << c.attributes.toStdString() << ": " << error.description().toStdString();
        EXPECT_NEAR(drawing->drawingSize().width(), c.size.width(), 1e-9) << c.attributes.toStdString();
        EXPECT_NEAR(drawing->drawingSize().height(), c.size.height(), 1e-9) << c.attributes.toStdString();
    }
}

TEST(SVGImportModel, EmbeddedImageIsPlacedWhereTheDocumentSays)
{
    QFile png(fixturePath(QStringLiteral("images/red-blue-8x4.png")));
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    const QByteArray encoded = png.readAll().toBase64();
    auto drawing = PWSVGImporter::drawingWithSVGData(
        svg(QStringLiteral("<image x=\"10\" y=\"20\" width=\"80\" height=\"40\" opacity=\"0.5\" "
                           "xlink:href=\"data:image/png;base64,%1\"/>")
                .arg(QString::fromLatin1(encoded))));
    ASSERT_TRUE(drawing);
    const auto objects = objectsOf(drawing);
    ASSERT_EQ(objects.size(), 1);
    auto image = std::dynamic_pointer_cast<PWImageShape>(objects[0]);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->image().size(), QSize(8, 4));
    EXPECT_NEAR(image->location().x(), 50.0, 1e-9);
    EXPECT_NEAR(image->location().y(), 40.0, 1e-9);
    EXPECT_NEAR(image->size().width(), 80.0, 1e-9);
    EXPECT_DOUBLE_EQ(image->imageOpacity(), 0.5);
}

TEST(SVGImportModel, OnlyRelativeLinksWithinTheFolderAreRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QFile::copy(fixturePath(QStringLiteral("images/red-blue-8x4.png")), dir.filePath("picture.png")));
    QFile other(dir.filePath("other.svg"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write(svg("<rect id=\"r\" width=\"10\" height=\"10\"/>"));
    other.close();
    const QString picture = QUrl::fromLocalFile(dir.filePath("picture.png")).toString();
    QFile document(dir.filePath("document.svg"));
    ASSERT_TRUE(document.open(QIODevice::WriteOnly));
    document.write(QByteArray("<?xml version=\"1.0\"?>\n"
                              "<!DOCTYPE svg [ <!ENTITY outside SYSTEM \"")
                   + dir.filePath("other.svg").toUtf8()
                   + "\"> ]>\n"
                   + svg(QStringLiteral("<image width=\"8\" height=\"4\" href=\"picture.png\"/>"
                                        "<image width=\"8\" height=\"4\" href=\"%1\"/>"
                                        "<use href=\"other.svg#r\"/>"
                                        "<style>@import url(other.css); rect { fill: red }</style>"
                                        "<rect width=\"5\" height=\"5\"/>")
                             .arg(picture)));
    document.close();
    pf::Error error;
    auto drawing = PWSVGImporter::drawingWithContentsOfSVGFile(dir.filePath("document.svg"), &error);
    ASSERT_TRUE(drawing) << error.description().toStdString();
    const auto objects = objectsOf(drawing);
    // The picture beside the document (a relative link within its folder) and the rect of the
    // document itself; the file URL, the entity and the other document are not read, and the
    // rule after the @import still applies.
    ASSERT_EQ(objects.size(), 2);
    EXPECT_TRUE(std::dynamic_pointer_cast<PWImageShape>(objects[0]));
    EXPECT_EQ(objects[1]->style()->renderersOfClass<PWFill>().first()->colour().qColor(), QColor(Qt::red));
}

TEST(SVGImportModel, FiltersBecomeShadowsUnlessIgnored)
{
    const QByteArray data = svg("<filter id=\"f\"><feDropShadow dx=\"3\" dy=\"4\" stdDeviation=\"1\"/></filter>"
                                "<rect width=\"20\" height=\"20\" filter=\"url(#f)\"/>");
    const bool ignored = PWStyle::ignoresFilterElements();
    PWStyle::setIgnoresFilterElements(false);
    auto withFilters = PWSVGImporter::drawingWithSVGData(data);
    PWStyle::setIgnoresFilterElements(true);
    auto withoutFilters = PWSVGImporter::drawingWithSVGData(data);
    PWStyle::setIgnoresFilterElements(ignored);
    ASSERT_TRUE(withFilters && withoutFilters);
    auto shadow = objectsOf(withFilters)[0]->style()->renderersOfClass<PWFill>().first()->shadow();
    ASSERT_TRUE(shadow);
    // Shadows measure upwards: down 4 is -4.
    EXPECT_EQ(shadow->shadowOffset(), QSizeF(3, -4));
    EXPECT_FALSE(objectsOf(withoutFilters)[0]->style()->renderersOfClass<PWFill>().first()->shadow());
}

struct BadInput {
    const char* name;
    QByteArray data;
    int code;
};

QByteArray nested(int depth)
{
    QByteArray open;
    QByteArray close;
    for (int i = 0; i < depth; ++i) {
        open += "<g>";
        close += "</g>";
    }
    return svg(QString::fromUtf8(open + "<rect width=\"1\" height=\"1\"/>" + close));
}

// Levels l1...l<levels>, each using the one below `copies` times through `reference`
// ("href" or "xlink:href"): copies^levels rectangles if nothing stopped it. `container` ("g" or
// "symbol") holds each level.
QString fanOutLevels(int levels, int copies, const QString& reference = QStringLiteral("href"),
                     const QString& container = QStringLiteral("g"))
{
    QString body = QStringLiteral("<rect id=\"l0\" width=\"1\" height=\"1\"/>");
    for (int level = 1; level <= levels; ++level) {
        body += QStringLiteral("<%1 id=\"l%2\">").arg(container).arg(level);
        for (int copy = 0; copy < copies; ++copy)
            body += QStringLiteral("<use %1=\"#l%2\"/>").arg(reference).arg(level - 1);
        body += QStringLiteral("</%1>").arg(container);
    }
    return body;
}

QByteArray fanOut(int levels, int copies)
{
    return svg(QStringLiteral("<defs>%1</defs><use href=\"#l%2\"/>").arg(fanOutLevels(levels, copies)).arg(levels));
}

// A chain of `length` groups, each using the next, whose last uses `target`.
QString useChain(int length, const QString& target)
{
    QString body;
    for (int link = 1; link < length; ++link)
        body += QStringLiteral("<g id=\"c%1\"><use href=\"#c%2\"/></g>").arg(link).arg(link + 1);
    return body + QStringLiteral("<g id=\"c%1\"><use href=\"#%2\"/></g>").arg(length).arg(target);
}

TEST(SVGImportErrors, BadInputGivesAClearError)
{
    const QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
                              "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                              "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                              "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                              "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]>"
                              "<svg xmlns=\"http://www.w3.org/2000/svg\"><text>&e;&e;&e;&e;</text></svg>";
    const QList<BadInput> cases = {
        {"empty", QByteArray(), kPWSVGErrorMalformed},
        {"unclosed", svg("<rect width=\"1\" height=\"1\">"), kPWSVGErrorMalformed},
        {"damaged after content", svg("<rect width=\"10\" height=\"10\"/>") + "<oops", kPWSVGErrorMalformed},
        {"entity expansion", laughs, kPWSVGErrorMalformed},
        {"not svg", "<html><body/></html>", kPWSVGErrorNotSVG},
        {"deep nesting", nested(300), kPWSVGErrorTooComplex},
        {"use fan-out", fanOut(8, 10), kPWSVGErrorTooComplex},
        // 100,000 rectangles from some sixty elements: within the million steps, far past what
        // so few elements may ask for.
        {"use fan-out within the step bound", fanOut(5, 10), kPWSVGErrorTooComplex},
        {"huge path data", svg(QStringLiteral("<path d=\"M0 0%1\"/>").arg(QString(" L1 1").repeated(2000000))),
         kPWSVGErrorTooComplex},
        {"NaN width", svg("", "width=\"NaN\" height=\"10\""), kPWSVGErrorBadSize},
        {"infinite height", svg("", "width=\"10\" height=\"inf\""), kPWSVGErrorBadSize},
        {"overflowing width", svg("", "width=\"1e400\" height=\"10\""), kPWSVGErrorBadSize},
        {"zero width", svg("", "width=\"0\" height=\"10\""), kPWSVGErrorBadSize},
        {"negative height", svg("", "width=\"10\" height=\"-5\""), kPWSVGErrorBadSize},
        {"huge size", svg("", "width=\"1e9\" height=\"10\""), kPWSVGErrorBadSize},
        {"empty viewBox", svg("", "viewBox=\"0 0 0 10\""), kPWSVGErrorBadSize},
        {"NaN viewBox", svg("", "viewBox=\"0 0 nan 10\""), kPWSVGErrorBadSize},
    };
    for (const BadInput& c : cases) {
        pf::Error error;
        EXPECT_FALSE(PWSVGImporter::drawingWithSVGData(c.data, &error)) << c.name;
        EXPECT_EQ(error.domain(), kPWSVGErrorDomain) << c.name;
        EXPECT_EQ(error.code(), c.code) << c.name << ": " << error.description().toStdString();
        EXPECT_FALSE(error.localizedFailureReason().isEmpty()) << c.name;
    }
}

TEST(SVGImportErrors, ManyUsesOfASymbolStillImport)
{
    // A map's worth of placed symbols: each use is written out, so the steps stay near the
    // elements written.
    QString uses;
    for (int i = 0; i < 2000; ++i)
        uses += QStringLiteral("<use href=\"#pin\" x=\"%1\" y=\"%2\"/>").arg(i % 50).arg(i / 50);
    QString pin;
    for (int i = 0; i < 20; ++i)
        pin += QStringLiteral("<rect x=\"%1\" width=\"1\" height=\"1\"/>").arg(i);
    pf::Error error;
    const auto drawing = PWSVGImporter::drawingWithSVGData(svg(QStringLiteral("<defs><g id=\"pin\">%1</g></defs>%2").arg(pin, uses)), &error);
    EXPECT_TRUE(drawing) << error.description().toStdString();
}

TEST(SVGImportErrors, RecursiveUseDrawsWhatIsNotRecursive)
{
    const QByteArray data = svg("<g id=\"self\"><rect width=\"5\" height=\"5\"/><use href=\"#self\"/></g>"
                                "<g id=\"a\"><use href=\"#b\"/></g><g id=\"b\"><circle r=\"3\"/><use href=\"#a\"/></g>"
                                "<use id=\"loop\" href=\"#loop\"/>");
    pf::Error error;
    auto drawing = PWSVGImporter::drawingWithSVGData(data, &error);
    ASSERT_TRUE(drawing) << error.description().toStdString();
    // The self-using group keeps its rect; "a" draws b's circle once, "b" its circle and a's
    // use of itself, which stops there; the looping use draws nothing.
    EXPECT_EQ(objectsOf(drawing).size(), 3);
}

TEST(SVGImportErrors, UseFanOutIsRefusedBeforeAnythingIsMade)
{
    // Uses multiplying past the step bound, however they reach what they multiply.
    const QList<QPair<const char*, QByteArray>> cases = {
        {"groups of uses", fanOut(8, 10)},
        {"xlink:href", svg(QStringLiteral("<defs>%1</defs><use xlink:href=\"#l8\"/>")
                               .arg(fanOutLevels(8, 10, QStringLiteral("xlink:href"))))},
        {"symbols", svg(QStringLiteral("<defs>%1</defs><use href=\"#l8\"/>")
                            .arg(fanOutLevels(8, 10, QStringLiteral("href"), QStringLiteral("symbol"))))},
        // First reached at the end of a chain of uses nested deeper than the build follows:
        // measured there, the fan-out seemed small, yet the uses at the top draw all of it.
        {"reached first too deep", svg(QStringLiteral("<defs>%1%2</defs><use href=\"#c1\"/>%3")
                                           .arg(fanOutLevels(6, 10), useChain(31, QStringLiteral("l6")),
                                                QStringLiteral("<use href=\"#l6\"/>").repeated(3)))},
        {"reached first beyond the nesting bound",
         svg(QStringLiteral("<defs>%1%2</defs><use href=\"#c1\"/>%3")
                 .arg(fanOutLevels(6, 10), useChain(15, QStringLiteral("l6")),
                      QStringLiteral("<use href=\"#l6\"/>").repeated(3)))},
    };
    for (const auto& [name, data] : cases) {
        pf::Error error;
        std::unique_ptr<PWSVGElement> root = PWSVGDocumentReader::read(data, &error);
        ASSERT_TRUE(root) << name;
        PWSVGDrawingBuilder builder(std::move(root));
        EXPECT_GT(builder.stepsToDraw(), PWSVGDrawingBuilder::kMaxVisits) << name;
        EXPECT_FALSE(builder.build(&error)) << name;
        EXPECT_EQ(error.code(), kPWSVGErrorTooComplex) << name;
        EXPECT_EQ(builder.stepsTaken(), 0) << name;
    }
}

TEST(SVGImport, StepCountHoldsEveryStepTheBuildTakes)
{
    // The up-front count follows the build's rules for uses: never fewer steps than it takes
    // (or a document would run to the bound after all), and for documents of groups and uses
    // alone exactly its steps and the root's.
    struct Case {
        const char* name;
        QByteArray data;
        bool exact;
    };
    const QList<Case> cases = {
        {"fan-out", fanOut(4, 10), true},
        {"recursive uses", svg("<g id=\"self\"><rect width=\"5\" height=\"5\"/><use href=\"#self\"/></g>"
                               "<g id=\"a\"><use href=\"#b\"/></g><g id=\"b\"><circle r=\"3\"/><use href=\"#a\"/></g>"
                               "<use id=\"loop\" href=\"#loop\"/>"),
         true},
        // The chain passes the nesting bound: its far end draws nothing, the top use all.
        {"chain past the nesting bound", svg(QStringLiteral("<defs>%1%2</defs><use href=\"#c1\"/><use href=\"#l3\"/>")
                                                 .arg(fanOutLevels(3, 10), useChain(20, QStringLiteral("l3")))),
         true},
        {"uses back into a use's own target",
         svg(QStringLiteral("<defs>%1<g id=\"A\"><use href=\"#l3\"/><use href=\"#B\"/></g><g id=\"B\">%2</g></defs>"
                            "<use href=\"#A\"/><use href=\"#B\"/>")
                 .arg(fanOutLevels(3, 10), QStringLiteral("<use href=\"#A\"/>").repeated(10))),
         true},
        {"switch", svg("<switch><rect width=\"1\" height=\"1\"/><circle r=\"1\"/></switch>"), true},
        {"symbols", svg(QStringLiteral("<defs>%1</defs><use href=\"#l3\"/>")
                            .arg(fanOutLevels(3, 10, QStringLiteral("href"), QStringLiteral("symbol")))),
         false},
    };
    for (const Case& c : cases) {
        pf::Error error;
        std::unique_ptr<PWSVGElement> root = PWSVGDocumentReader::read(c.data, &error);
        ASSERT_TRUE(root) << c.name;
        PWSVGDrawingBuilder builder(std::move(root));
        const qint64 counted = builder.stepsToDraw();
        ASSERT_TRUE(builder.build(&error)) << c.name << ": " << error.description().toStdString();
        EXPECT_GT(builder.stepsTaken(), 1) << c.name;
        if (c.exact)
            EXPECT_EQ(counted, builder.stepsTaken() + 1) << c.name;
        else
            EXPECT_GT(counted, builder.stepsTaken()) << c.name;
    }
}

TEST(SVGImportErrors, DamagedValuesAreIgnoredNotFatal)
{
    const QByteArray data = svg("<rect width=\"10\" height=\"10\" transform=\"rotate(oops)\" fill=\"#zzzzzz\"/>"
                                "<rect width=\"nan\" height=\"10\"/>"
                                "<path d=\"M 0 0 L 10 10 L 20 x 30\" stroke=\"black\"/>"
                                "<polyline points=\"0,0 10,10 20\"/>");
    auto drawing = PWSVGImporter::drawingWithSVGData(data);
    ASSERT_TRUE(drawing);
    const auto objects = objectsOf(drawing);
    // The rect keeps its place and the default black fill; the rect of no width is left out;
    // the path keeps what precedes its damage.
    ASSERT_EQ(objects.size(), 3);
    EXPECT_EQ(objects[0]->bounds(), QRectF(0, 0, 10, 10));
    EXPECT_EQ(objects[0]->style()->renderersOfClass<PWFill>().first()->colour().qColor(), QColor(Qt::black));
    auto path = std::dynamic_pointer_cast<PWDrawablePath>(objects[1]);
    ASSERT_TRUE(path);
    EXPECT_EQ(path->path()->elementCount(), 2);
}

TEST(SVGImportErrors, GeometryBeyondTheReadingBoundsIsCutAsDamage)
{
    // An arc to a point that is not finite made lib2geom raise, and one to a far point made it
    // subdivide without end: the path keeps what comes before such a command.
    const struct {
        const char* name;
        const char* data;
    } paths[] = {
        {"arc to an infinite point", "M0 0 L10 10 A5 5 0 1 1 1e999 0"},
        {"arc to a far point", "M0 0 L10 10 A5 5 0 1 1 1e40 0"},
        {"far radius", "M0 0 L10 10 A1e12 5 0 1 1 20 0"},
        {"far point after an exponent", "M0 0 L10 10 L1e+10-3"},
        {"far point written out", "M0 0 L10 10 L-1000000001.5 0"},
    };
    for (const auto& path : paths) {
        pf::Error error;
        auto drawing = PWSVGImporter::drawingWithSVGData(svg(QStringLiteral("<path d=\"%1\" stroke=\"black\"/>").arg(QLatin1String(path.data))), &error);
        ASSERT_TRUE(drawing) << path.name << ": " << qPrintable(error.description());
        const auto objects = objectsOf(drawing);
        ASSERT_EQ(objects.size(), 1) << path.name;
        auto drawn = std::dynamic_pointer_cast<PWDrawablePath>(objects[0]);
        ASSERT_TRUE(drawn) << path.name;
        EXPECT_EQ(drawn->path()->elementCount(), 2) << path.name;
    }
    // Within the bounds an arc converts as before, and a shape placed beyond them by its
    // transform is left out.
    auto drawing = PWSVGImporter::drawingWithSVGData(
        svg("<path d=\"M0 0 A5 5 0 1 1 1e8 0\"/><rect width=\"1\" height=\"1\" transform=\"scale(1e10)\"/>"));
    ASSERT_TRUE(drawing);
    ASSERT_EQ(objectsOf(drawing).size(), 1);
    EXPECT_GT(objectsOf(drawing)[0]->bounds().width(), 9e7);
}

TEST(SVGImportErrors, MissingFileGivesAnError)
{
    pf::Error error;
    EXPECT_FALSE(PWSVGImporter::drawingWithContentsOfSVGFile(QStringLiteral("/nonexistent/x.svg"), &error));
    EXPECT_EQ(error.code(), kPWSVGErrorUnreadableFile);
    EXPECT_FALSE(error.underlyingError().isNull());
}

} // namespace
