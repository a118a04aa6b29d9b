// The text adornment: its settings seen in pixels and bounds, text along paths, the sequence
// placeholder, key-value coding with the change protocol, archiving and text styles.
#include <gtest/gtest.h>

#include "RenderersTestSupport.h"

#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStyle.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/UndoManager.h"

#include <cmath>
#include <functional>

namespace {

using renderers_test::inkedArea;
using renderers_test::inkInside;
using renderers_test::Shape;

const QRectF kBox(10, 10, 180, 80);

pf::Ref<PWTextAdornment> adornment(const QString& text, double size = 20.0)
{
    auto a = PWTextAdornment::textAdornmentWithString(text);
    a->setFontSize(size);
    return a;
}

QImage drawOn(PWTextAdornment& a, const PWRenderable& object, int side = 200, QColor background = Qt::white)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    pf::GraphicsContextScope scope(painter, true);
    a.render(object);
    return image;
}

int pixelsOf(const QImage& image, const std::function<bool(QColor)>& test)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (test(image.pixelColor(x, y)))
                ++count;
    return count;
}

bool reddish(QColor c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; }
bool bluish(QColor c) { return c.blue() > 200 && c.red() < 80 && c.green() < 80; }
bool greenish(QColor c) { return c.green() > 100 && c.red() < 80 && c.blue() < 80; }
bool blackish(QColor c) { return c.red() < 60 && c.green() < 60 && c.blue() < 60 && c.alpha() > 200; }

// Each case changes one setting and compares the drawing with that of the plain adornment.
struct PropertyCase {
    const char* name;
    QString text;
    QRectF box;
    std::function<void(PWTextAdornment&)> change;
    std::function<void(const QImage& plain, const QImage& changed, const QRectF& plainBounds,
                       const QRectF& changedBounds)>
        check;
};

TEST(TextAdornmentDrawing, EachSettingShowsInPixelsAndBounds)
{
    const QString words = QStringLiteral("Many words that wrap round");
    const std::vector<PropertyCase> cases = {
        {"colour", "Hello", kBox, [](PWTextAdornment& a) { a.setColour(pf::Color::red()); },
         [](const QImage& plain, const QImage& changed, const QRectF&, const QRectF&) {
             EXPECT_EQ(pixelsOf(plain, reddish), 0);
             EXPECT_GT(pixelsOf(changed, reddish), 30);
         }},
        {"wrapping off keeps one line", words, QRectF(10, 10, 70, 150),
         [](PWTextAdornment& a) { a.setWrapsLines(false); },
         [](const QImage& plain, const QImage& changed, const QRectF& plainBounds, const QRectF& changedBounds) {
             EXPECT_GT(inkedArea(plain).height(), 2 * inkedArea(changed).height());
             EXPECT_GT(plainBounds.height(), changedBounds.height());
             EXPECT_GT(inkedArea(changed).right(), 80); // runs past the box
         }},
        {"right alignment", "Hi", kBox, [](PWTextAdornment& a) { a.setAlignment(PWTextFormat::AlignRight); },
         [](const QImage& plain, const QImage& changed, const QRectF&, const QRectF&) {
             EXPECT_LT(inkedArea(plain).left(), 20);
             EXPECT_GT(inkedArea(changed).left(), 150);
             EXPECT_LE(inkedArea(changed).right(), 191);
         }},
        {"centre alignment", "Hi", kBox, [](PWTextAdornment& a) { a.setAlignment(PWTextFormat::AlignCentre); },
         [](const QImage&, const QImage& changed, const QRectF&, const QRectF&) {
             EXPECT_NEAR(inkedArea(changed).center().x(), kBox.center().x(), 4);
         }},
        {"bottom alignment", "Hi", kBox,
         [](PWTextAdornment& a) { a.setVerticalAlignment(PWTextFormat::AlignBottom); },
         [](const QImage& plain, const QImage& changed, const QRectF&, const QRectF&) {
             EXPECT_LT(inkedArea(plain).bottom(), 45);
             EXPECT_GT(inkedArea(changed).bottom(), 70);
             EXPECT_LE(inkedArea(changed).bottom(), 91);
         }},
        {"green knockout halo", "Hi", kBox,
         [](PWTextAdornment& a) {
             a.setTextKnockoutDistance(4);
             a.setTextKnockoutColour(pf::Color::green());
         },
         [](const QImage& plain, const QImage& changed, const QRectF& plainBounds, const QRectF& changedBounds) {
             EXPECT_EQ(pixelsOf(plain, greenish), 0);
             EXPECT_GT(pixelsOf(changed, greenish), 100);
             EXPECT_GT(pixelsOf(changed, blackish), 30); // the text stays on top of its halo
             EXPECT_GE(changedBounds.width(), plainBounds.width() + 6);
         }},
        {"outline only", "Hi", kBox,
         [](PWTextAdornment& a) {
             a.setOutlineWidth(10); // percent of 20 points: a 2-point line
             a.setOutlineColour(pf::Color::blue());
         },
         [](const QImage&, const QImage& changed, const QRectF&, const QRectF&) {
             EXPECT_GT(pixelsOf(changed, bluish), 30);
             EXPECT_EQ(pixelsOf(changed, blackish), 0); // positive widths do not fill
         }},
        {"fill and outline", "Hi", kBox,
         [](PWTextAdornment& a) {
             a.setFontSize(40);
             a.setOutlineWidth(-4);
             a.setOutlineColour(pf::Color::blue());
             a.setColour(pf::Color::red());
         },
         [](const QImage&, const QImage& changed, const QRectF&, const QRectF&) {
             EXPECT_GT(pixelsOf(changed, bluish), 30);
             EXPECT_GT(pixelsOf(changed, reddish), 5);
         }},
        {"upper case", "xxx", kBox, [](PWTextAdornment& a) { a.setCapitalization(PWTextFormat::CapsUpper); },
         [](const QImage& plain, const QImage& changed, const QRectF&, const QRectF&) {
             EXPECT_GT(inkedArea(changed).height(), inkedArea(plain).height() + 2);
         }},
        {"underline", "Hi", kBox, [](PWTextAdornment& a) { a.setUnderlines(PWTextFormat::LineSingle); },
         [](const QImage& plain, const QImage& changed, const QRectF&, const QRectF&) {
             EXPECT_GT(inkedArea(changed).bottom(), inkedArea(plain).bottom());
             EXPECT_GT(pixelsOf(changed, blackish), pixelsOf(plain, blackish));
         }},
        {"baseline offset raises", "Hi", kBox, [](PWTextAdornment& a) { a.setBaseline(6); },
         [](const QImage& plain, const QImage& changed, const QRectF&, const QRectF&) {
             EXPECT_NEAR(inkedArea(plain).top() - inkedArea(changed).top(), 6, 1);
         }},
        {"shadow", "Hi", kBox,
         [](PWTextAdornment& a) {
             auto shadow = std::make_shared<pf::Shadow>();
             shadow->setShadowOffset(QSizeF(6, -6));
             shadow->setShadowColor(pf::Color::black());
             a.setShadow(shadow);
         },
         [](const QImage& plain, const QImage& changed, const QRectF& plainBounds, const QRectF& changedBounds) {
             EXPECT_GE(changedBounds.bottom(), plainBounds.bottom() + 5);
             EXPECT_GT(pixelsOf(changed, blackish), pixelsOf(plain, blackish));
         }},
    };
    for (const PropertyCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Shape object = Shape::rect(c.box);
        auto plain = adornment(c.text);
        auto changed = adornment(c.text);
        c.change(*changed);
        const QImage plainImage = drawOn(*plain, object);
        const QImage changedImage = drawOn(*changed, object);
        ASSERT_FALSE(inkedArea(plainImage).isNull());
        const QRectF plainBounds = plain->boundsNeededForObject(object);
        const QRectF changedBounds = changed->boundsNeededForObject(object);
        EXPECT_TRUE(inkInside(plainImage, plainBounds));
        EXPECT_TRUE(inkInside(changedImage, changedBounds));
        c.check(plainImage, changedImage, plainBounds, changedBounds);
    }
}

TEST(TextAdornmentDrawing, KnockoutWithoutColourCutsThroughWhatLiesBeneath)
{
    auto a = adornment("Hi");
    a->setTextKnockoutDistance(4);
    const QImage image = drawOn(*a, Shape::rect(kBox), 200, Qt::blue);
    const int cleared = pixelsOf(image, [](QColor c) { return c.alpha() == 0; });
    EXPECT_GT(cleared, 100);
    EXPECT_GT(pixelsOf(image, blackish), 30);
    EXPECT_TRUE(bluish(image.pixelColor(195, 195)));
}

TEST(TextAdornmentDrawing, BoxTextTurnsWithTheObject)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(50, 90, 100, 20));
    auto a = adornment("Turned text");
    a->setWrapsLines(false);
    const QRect flat = inkedArea(drawOn(*a, *shape));
    shape->setAngle(M_PI / 2);
    const QRect turned = inkedArea(drawOn(*a, *shape));
    EXPECT_GT(flat.width(), flat.height());
    EXPECT_GT(turned.height(), turned.width());
    EXPECT_TRUE(inkInside(drawOn(*a, *shape), a->boundsNeededForObject(*shape)));
}

TEST(TextAdornmentPath, TextFollowsACurveAndCentres)
{
    // An arch: text along it rises and falls with the curve.
    auto arch = pf::BezierPath::path();
    arch->moveTo(QPointF(20, 150));
    arch->curveTo(QPointF(180, 150), QPointF(20, 10), QPointF(180, 10));
    const Shape curve(arch);
    auto a = adornment("Along the arch");
    a->setLayoutMode(PWTextFormat::LayoutOnPath);
    const QImage image = drawOn(*a, curve);
    const QRect ink = inkedArea(image);
    EXPECT_GT(ink.height(), 60);
    EXPECT_TRUE(inkInside(image, a->boundsNeededForObject(curve)));
    // Nothing far from the curve: the middle of the arch's underside stays clear.
    EXPECT_EQ(pixelsOf(image.copy(85, 120, 30, 30), blackish), 0);

    const Shape line = Shape::line(QPointF(0, 100), QPointF(200, 100));
    auto start = adornment("ab");
    start->setLayoutMode(PWTextFormat::LayoutOnPath);
    auto centred = adornment("ab");
    centred->setLayoutMode(PWTextFormat::LayoutCentredOnPath);
    const QRect fromStart = inkedArea(drawOn(*start, line));
    const QRect inMiddle = inkedArea(drawOn(*centred, line));
    EXPECT_LT(fromStart.left(), 5);
    EXPECT_NEAR(inMiddle.center().x(), 100, 4);
    // Sitting on the line: the glyphs lie above it.
    EXPECT_LE(fromStart.bottom(), 101);
    EXPECT_LT(fromStart.top(), 92);

    // Text longer than the path loses the glyphs that fall off its end.
    const Shape shortLine = Shape::line(QPointF(0, 100), QPointF(40, 100));
    auto longText = adornment("A long label for a short line");
    longText->setLayoutMode(PWTextFormat::LayoutOnPath);
    EXPECT_LE(inkedArea(drawOn(*longText, shortLine)).right(), 52);
    EXPECT_TRUE(longText->textOverflowsForObject(shortLine));
}

// A drawable that numbers itself, as a symbol instance in a sequence does.
class NumberedShape : public PWDrawableShape {
    PF_CLASS(NumberedShape)
public:
    int sequenceNumber() const { return 42; }
};

PF_DEFINE_CLASS(NumberedShape, PWDrawableShape)
{
    b.property("sequenceNumber", &NumberedShape::sequenceNumber);
}

TEST(TextAdornmentText, PlaceholderTakesTheSequenceNumber)
{
    auto a = PWTextAdornment::textAdornmentWithString("No. %%cvlq_Sequence_Number!");
    NumberedShape numbered;
    EXPECT_EQ(a->textToDraw(numbered), "No. 42!");

    auto plain = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10));
    EXPECT_EQ(a->textToDraw(*plain), "No. !");
    plain->setMetadataString("7", PWTextAdornment::kSequenceNumberMetadataKey);
    EXPECT_EQ(a->textToDraw(*plain), "No. 7!");

    // Text objects draw their own text; the label is theirs only when they have no text.
    auto text = PWTextShape::textShapeWithRect(QRectF(0, 0, 50, 20), "Own %%CVLQ_SEQUENCE_NUMBER");
    EXPECT_EQ(a->textToDraw(*text), "Own ");
    EXPECT_EQ(a->perform("textToDraw:", {pf::toVariant(text)}).toString(), "Own ");
}

TEST(TextAdornmentModel, KeysAreObservableClampedAndUndoneThroughTheStyle)
{
    struct Case {
        QString key;
        QVariant value;
        QVariant stored;
    };
    const std::vector<Case> cases = {
        {"fontSize", 0.0, PWTextAdornment::kMinFontSize},
        {"fontSize", 1e9, PWTextAdornment::kMaxFontSize},
        {"alignment", 2, 2},
        {"alignment", 9, 0},         // refused
        {"verticalAlignment", 4, 4},
        {"layoutMode", 3, 0},        // refused
        {"capitalization", 4, 4},
        {"underlines", -3, 0},
        {"outlineWidth", -500.0, -PWTextAdornment::kMaxOutlineWidth},
        {"textKnockoutDistance", -1.0, 0.0},
        {"baselineProportion", 3.0, 1.0},
        {"kerning", 2.5, 2.5},
        {"superscriptAttribute", 9, 3},
        {"wrapsLines", false, false},
        {"string", "Label", "Label"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.key + " " + c.value.toString()));
        auto style = std::make_shared<PWStyle>();
        pf::UndoManager undo;
        undo.setGroupsByEvent(false);
        auto a = std::make_shared<PWTextAdornment>();
        style->addRenderer(a);
        style->setUndoManager(&undo);
        const QVariant before = a->valueForKey(c.key);
        undo.beginUndoGrouping();
        a->setValueForKey(c.value, c.key);
        undo.endUndoGrouping();
        EXPECT_EQ(a->valueForKey(c.key), c.stored);
        if (c.stored != before) {
            ASSERT_TRUE(undo.canUndo());
            undo.undo();
            EXPECT_EQ(a->valueForKey(c.key), before);
        }
    }

    // Font and size are one: the size follows a new font and observers of both hear.
    PWTextAdornment a;
    QFont serif(QStringLiteral("Liberation Serif"));
    serif.setPointSizeF(30);
    a.setValueForKey(QVariant::fromValue(serif), "font");
    EXPECT_EQ(a.fontSize(), 30);
    EXPECT_EQ(a.valueForKey("fontFamilyName").toString(), "Liberation Serif");
    a.setFontSize(std::nan(""));
    EXPECT_EQ(a.fontSize(), 30);

    // A locked style refuses every change.
    auto style = std::make_shared<PWStyle>();
    auto locked = std::make_shared<PWTextAdornment>();
    style->addRenderer(locked);
    style->setLocked(true);
    locked->setColour(pf::Color::red());
    EXPECT_EQ(locked->colour(), pf::Color::black());
}

TEST(TextAdornmentModel, TextAttributesCarryEverySetting)
{
    auto a = adornment("x", 17);
    a->setColour(pf::Color::red());
    a->setAlignment(PWTextFormat::AlignJustified);
    a->setWrapsLines(false);
    a->setUnderlines(PWTextFormat::LineDouble);
    a->setTextKnockoutDistance(3);
    a->setTextKnockoutColour(pf::Color::white());
    a->setOutlineWidth(-4);
    a->setCapitalization(PWTextFormat::CapsTitle);
    a->setBaselineProportion(0.25);
    a->setShadow(PWStyle::defaultShadow());

    PWTextAdornment other;
    other.setString("x");
    other.setTextAttributes(a->textAttributes());
    EXPECT_TRUE(other.isEqual(a.get()));
    EXPECT_EQ(a->paragraphStyle().value(kPWParagraphAlignmentKey).toInt(), PWTextFormat::AlignJustified);

    // A map sets only what it holds, and skips values of the wrong kind.
    other.setTextAttributes({{kPWTextFontSizeAttribute, "big"}, {PWTextKnockoutColourAttributeName, QVariant()}});
    EXPECT_EQ(other.fontSize(), 17);
    EXPECT_FALSE(other.textKnockoutColour().isValid());
    EXPECT_EQ(other.alignment(), PWTextFormat::AlignJustified);

    // Setting one attribute is heard as a change of the attributes.
    struct Recorder : pf::Object {
        QStringList keys;
        void observeValueForKeyPath(const QString& keyPath, pf::Reflective*, const QVariantMap&, void*) override
        {
            keys << keyPath;
        }
    } recorder;
    other.addObserver(&recorder, "textAttributes");
    other.addObserver(&recorder, "paragraphStyle");
    other.setAlignment(PWTextFormat::AlignLeft);
    other.removeObserver(&recorder);
    EXPECT_TRUE(recorder.keys.contains("textAttributes"));
    EXPECT_TRUE(recorder.keys.contains("paragraphStyle"));
}

// Writes adornment keys with values no setter accepts, as a damaged file might hold.
class TextDamagedWriter : public pf::Object, public pf::Coding {
    PF_CLASS(TextDamagedWriter)
public:
    QVariantMap values;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override
    {
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (it.value().typeId() == QMetaType::Int)
                coder.encodeInt32(it.value().toInt(), it.key());
            else if (it.value().typeId() == QMetaType::QString)
                coder.encodeString(it.value().toString(), it.key());
            else
                coder.encodeDouble(it.value().toDouble(), it.key());
        }
    }
    void initWithCoder(pf::KeyedUnarchiver&) override {}
};

PF_DEFINE_CLASS(TextDamagedWriter, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
}

TEST(TextAdornmentArchive, RoundTripKeepsSettingsAndDamageIsClamped)
{
    auto a = adornment("Label %%CVLQ_SEQUENCE_NUMBER", 33);
    a->setColour(pf::Color::blue());
    a->setLayoutMode(PWTextFormat::LayoutCentredOnPath);
    a->setVerticalAlignment(PWTextFormat::AlignMiddle);
    a->setStrikethroughs(PWTextFormat::LineThick);
    a->setOutlineColour(pf::Color::red());
    a->setOutlineWidth(3);
    a->setKerning(1.5);
    a->setSuperscriptAttribute(-1);
    a->setBaseline(2);
    a->setIdentifier("label-1");
    a->setShadow(PWStyle::defaultShadow());
    const QByteArray data = pf::KeyedArchiver::archivedData(a);
    const auto read = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWTextAdornment>(data);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->isEqual(a.get()));
    EXPECT_EQ(read->identifier(), "label-1");
    const auto copy = std::static_pointer_cast<PWTextAdornment>(a->copy());
    EXPECT_TRUE(copy->isEqual(a.get()));
    copy->shadow()->setShadowBlurRadius(20);
    EXPECT_NE(a->shadow()->shadowBlurRadius(), 20);

    auto writer = std::make_shared<TextDamagedWriter>();
    writer->values = {{"pw_textAdornment_fontSize", std::nan("")},
                      {"pw_textAdornment_font", "not a font description,,,,"},
                      {"pw_textAdornment_alignment", 77},
                      {"pw_textAdornment_layoutMode", -1},
                      {"pw_textAdornment_outlineWidth", 1e300},
                      {"pw_textAdornment_textKnockoutDistance", -7.0},
                      {"pw_textAdornment_superscript", 1000}};
    pf::KeyedArchiver archiver;
    archiver.setClassNameForClass("PWTextAdornment", TextDamagedWriter::staticClass());
    archiver.encodeObject(writer, pf::KeyedArchiver::kRootKey);
    const auto damaged = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWTextAdornment>(archiver.encodedData());
    ASSERT_TRUE(damaged);
    EXPECT_EQ(damaged->fontSize(), 12);
    EXPECT_EQ(damaged->alignment(), PWTextFormat::AlignLeft);
    EXPECT_EQ(damaged->layoutMode(), PWTextFormat::LayoutInBox);
    EXPECT_EQ(damaged->outlineWidth(), PWTextAdornment::kMaxOutlineWidth);
    EXPECT_EQ(damaged->textKnockoutDistance(), 0);
    EXPECT_EQ(damaged->superscriptAttribute(), PWTextAdornment::kMaxSuperscript);
    EXPECT_EQ(damaged->colour(), pf::Color::black());
    EXPECT_TRUE(damaged->wrapsLines());
}

TEST(TextAdornmentStyles, TextStylesHoldOneAdornment)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(14);
    const auto byFont = PWStyle::textStyleWithFont(font);
    ASSERT_EQ(byFont->count(), 1);
    EXPECT_TRUE(byFont->isPureTextStyle());
    EXPECT_TRUE(byFont->hasTextAdornment());
    EXPECT_EQ(byFont->renderersOfClass<PWTextAdornment>().first()->fontSize(), 14);
    EXPECT_EQ(byFont->name(), "Liberation Sans 14 pt");
    EXPECT_EQ(PWStyle::staticClass().performClassMethod("textStyleWithFont:", {QVariant::fromValue(font)})
                  .isValid(),
              true);

    auto source = adornment("", 18);
    source->setColour(pf::Color::red());
    source->setAlignment(PWTextFormat::AlignCentre);
    const auto byAttributes = PWStyle::textStyleWithAttributes(source->textAttributes());
    const auto made = byAttributes->renderersOfClass<PWTextAdornment>().value(0);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->colour(), pf::Color::red());
    EXPECT_EQ(made->alignment(), PWTextFormat::AlignCentre);
    EXPECT_EQ(made->fontSize(), 18);

    // A fill beside the text, or nested text, decides what the style is.
    byAttributes->addRenderer(PWFill::fillWithColour(pf::Color::white()));
    EXPECT_FALSE(byAttributes->isPureTextStyle());
    EXPECT_TRUE(byAttributes->hasTextAdornment());
    auto nested = std::make_shared<PWStyle>();
    auto group = std::make_shared<PWRastGroup>();
    group->addRenderer(std::make_shared<PWTextAdornment>());
    nested->addRenderer(group);
    EXPECT_TRUE(nested->isPureTextStyle());
    EXPECT_FALSE(std::make_shared<PWStyle>()->isPureTextStyle());

    const auto defaults = PWStyle::defaultTextStyle();
    EXPECT_TRUE(defaults->isPureTextStyle());
    EXPECT_EQ(PWStyle::defaultTextStyle(), defaults);
    PWStyle::setDefaultTextStyle(byFont);
    EXPECT_EQ(PWStyle::defaultTextStyle(), byFont);
    PWStyle::setDefaultTextStyle(nullptr);
    EXPECT_TRUE(PWStyle::defaultTextStyle()->isPureTextStyle());
    EXPECT_NE(PWStyle::defaultTextStyle(), byFont);

    // The unique key survives archiving.
    const auto read = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWStyle>(pf::KeyedArchiver::archivedData(byFont));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->uniqueKey(), byFont->uniqueKey());
    EXPECT_TRUE(read->isPureTextStyle());
}

} // namespace
