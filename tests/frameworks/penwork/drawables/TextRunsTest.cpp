#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "tests/frameworks/penwork/drawables/ShapesTestSupport.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

QFont font(const QString& family, double size, bool bold = false)
{
    QFont f(family);
    f.setPointSizeF(size);
    f.setBold(bold);
    return f;
}

pf::Ref<PWTextShape> archivedAndRead(const pf::Ref<PWTextShape>& shape)
{
    pf::Error error;
    const QByteArray data = pf::KeyedArchiver::archivedData(shape, pf::PropertyListFormat::XML, &error);
    EXPECT_FALSE(data.isEmpty()) << error.description().toStdString();
    return pf::KeyedUnarchiver::unarchiveObjectOfClass<PWTextShape>(data, &error);
}

TEST(TextRuns, ArchivesKeepRunsUnderTheirKeyAndOldTextHasNone)
{
    auto shape = PWTextShape::textShapeWithRect(QRectF(0, 0, 200, 40), "plain bold big", PWStyle::defaultTextStyle()->ref<PWStyle>());
    const PWTextRuns runs{{6, 4, font("Serif", 12, true), QColor()}, {11, 3, font("Sans", 30), QColor(200, 0, 0)}};
    shape->setTextRuns(runs);
    ASSERT_EQ(shape->textRuns(), runs);

    auto read = archivedAndRead(shape);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->textRuns().size(), 2);
    EXPECT_EQ(read->textRuns()[0].start, 6);
    EXPECT_EQ(read->textRuns()[0].length, 4);
    EXPECT_TRUE(read->textRuns()[0].font.bold());
    EXPECT_EQ(read->textRuns()[0].font.family(), runs[0].font.family());
    EXPECT_EQ(read->textRuns()[1].font.pointSizeF(), 30);
    EXPECT_EQ(read->textRuns()[1].colour, QColor(200, 0, 0));
    EXPECT_FALSE(read->textRuns()[0].colour.isValid());
    // The literal keys, so that a key misspelt alike on both sides still shows.
    const QString stored = QString::fromUtf8(pf::KeyedArchiver::archivedData(shape, pf::PropertyListFormat::XML, nullptr));
    EXPECT_TRUE(stored.contains("<key>pw_textShape_runs</key>"));
    for (const char* key : {"<key>start</key>", "<key>length</key>", "<key>font</key>", "<key>colour</key>"})
        EXPECT_TRUE(stored.contains(key)) << key;

    // Text saved before runs existed holds no runs key, and reads with none.
    auto plain = PWTextShape::textShapeWithRect(QRectF(0, 0, 200, 40), "old text");
    const QString oldStored = QString::fromUtf8(pf::KeyedArchiver::archivedData(plain, pf::PropertyListFormat::XML, nullptr));
    EXPECT_FALSE(oldStored.contains("_runs"));
    auto old = archivedAndRead(plain);
    ASSERT_TRUE(old);
    EXPECT_EQ(old->text(), "old text");
    EXPECT_TRUE(old->textRuns().isEmpty());
}

TEST(TextRuns, DamagedRunsAreDroppedOrCutToTheText)
{
    const QVariantList stored{
        QVariantMap{{"start", -1}, {"length", 2}, {"font", font("Sans", 12).toString()}},
        QVariantMap{{"start", 0}, {"length", 0}, {"font", font("Sans", 12).toString()}},
        QVariantMap{{"start", 0}, {"length", 2}, {"font", 42}},
        QVariantMap{{"start", "x"}, {"length", 2}, {"font", font("Sans", 12).toString()}},
        QVariantMap{{"start", 1}, {"length", 2}, {"font", font("Sans", 14).toString()}, {"colour", "not a colour"}},
        QVariantMap{{"start", 2}, {"length", 100}, {"font", font("Sans", 16).toString()}},
    };
    const PWTextRuns read = pwtext::runsFromArchive(stored);
    ASSERT_EQ(read.size(), 2);
    EXPECT_FALSE(read[0].colour.isValid());
    // Overlapping and overlong runs are cut to follow each other inside the text.
    const PWTextRuns fitting = pwtext::runsFittingLength(read, 5);
    ASSERT_EQ(fitting.size(), 2);
    EXPECT_EQ(fitting[0].start, 1);
    EXPECT_EQ(fitting[0].length, 2);
    EXPECT_EQ(fitting[1].start, 3);
    EXPECT_EQ(fitting[1].length, 2);
    EXPECT_TRUE(pwtext::runsFittingLength(read, 1).isEmpty());
}

TEST(TextRuns, RunsAreLaidOutInTheirOwnFontsAndColours)
{
    auto shape = PWTextShape::textShapeWithRect(QRectF(0, 0, 300, 100), "ab cd", PWStyle::defaultTextStyle()->ref<PWStyle>());
    const double plainHeight = shape->textAdornment()->layoutForObject(*shape).glyphs().boundingRect().height();
    shape->setTextRuns({{3, 2, font("Sans", 40), QColor(Qt::red)}});
    const PWTextLayout layout = shape->textAdornment()->layoutForObject(*shape);
    EXPECT_GT(layout.glyphs().boundingRect().height(), plainHeight * 2);
    // Two stretches: the format's colour and the run's.
    ASSERT_EQ(layout.colouredGlyphs().size(), 2);
    EXPECT_FALSE(layout.colouredGlyphs()[0].second.isValid());
    EXPECT_EQ(layout.colouredGlyphs()[1].second, QColor(Qt::red));
    const QImage image = shapestest::render(*shape, QSize(300, 100));
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.alpha() > 200 && c.red() > 200 && c.green() < 60;
        }
    EXPECT_GT(red, 30);
}

TEST(TextRuns, EditingDocumentAndItsRunsGoBothWays)
{
    PWTextFormat format;
    format.runs = {{0, 2, font("Serif", 20, true), QColor()}, {3, 2, format.font, QColor(Qt::blue)}};
    auto document = pwtext::editingDocument("ab cd ef", format, 0.0);
    EXPECT_EQ(pwtext::runsFromDocument(*document, format), format.runs);
    // Shown twice as large in the editor: the runs are still at the drawing's size.
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QTextCursor cursor(document.get());
            cursor.setPosition(it.fragment().position());
            cursor.setPosition(it.fragment().position() + it.fragment().length(), QTextCursor::KeepAnchor);
            QTextCharFormat doubled;
            doubled.setFontPointSize(pwtext::resolvedFont(it.fragment().charFormat(), *document).pointSizeF() * 2);
            cursor.mergeCharFormat(doubled);
        }
    const PWTextRuns scaled = pwtext::runsFromDocument(*document, format, 2.0);
    ASSERT_EQ(scaled.size(), 2);
    EXPECT_DOUBLE_EQ(scaled[0].font.pointSizeF(), 20.0);
    EXPECT_EQ(scaled[1].colour, QColor(Qt::blue));
}

TEST(TextRuns, CommittingTextWithRunsIsOneUndoStepAndRunFontsConvert)
{
    auto container = std::make_shared<shapestest::Container>();
    auto shape = PWTextShape::textShapeWithRect(QRectF(0, 0, 200, 40), "Hello");
    shape->setContainer(container.get());
    shape->commitEditedText("Hello world", {{6, 5, font("Serif", 18, true), QColor()}});
    EXPECT_EQ(shape->text(), "Hello world");
    ASSERT_EQ(shape->textRuns().size(), 1);
    EXPECT_EQ(container->undo->undoActionName(), "Typing");
    container->undo->undo();
    EXPECT_EQ(shape->text(), "Hello");
    EXPECT_TRUE(shape->textRuns().isEmpty());
    container->undo->redo();
    ASSERT_EQ(shape->textRuns().size(), 1);

    container->step([&] {
        shape->convertRunFonts([](const QFont& f) {
            QFont converted = f;
            converted.setPointSizeF(9);
            return converted;
        });
    });
    EXPECT_EQ(shape->textRuns()[0].font.pointSizeF(), 9);
    EXPECT_TRUE(shape->textRuns()[0].font.bold());

    // A locked shape takes nothing.
    container->step([&] { shape->setLocked(true); });
    shape->commitEditedText("other", {});
    EXPECT_EQ(shape->text(), "Hello world");
}

} // namespace
