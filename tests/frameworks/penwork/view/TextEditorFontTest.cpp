#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "frameworks/penwork/view/PWTextEditor.h"

#include "platform/graphics/Font.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/FontManager.h"

#include <QCoreApplication>
#include <QTextCursor>

#include <gtest/gtest.h>

namespace {

// The editor joined to the shared font manager: what it reports and how it answers the
// manager's changes while text is typed.
class TextEditorFontTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PWDrawingView::setShouldCreateAutomaticDrawing(false);
        drawing = PWDrawing::defaultDrawing();
        drawing->setDrawingSize(QSizeF(600, 400));
        layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->activeLayer());
        ASSERT_TRUE(layer);
        auto style = std::dynamic_pointer_cast<PWStyle>(PWStyle::defaultTextStyle()->copy());
        text = PWTextShape::textShapeWithRect(QRectF(100, 100, 300, 60), QStringLiteral("Hello world"), style);
        text->textAdornment()->setFontSize(14);
        layer->addObject(text);
        view = std::make_unique<PWDrawingView>();
        view->setDrawing(drawing);
        view->setScale(2.0);
        settle();
    }
    void TearDown() override
    {
        view.reset();
        PWDrawingView::setShouldCreateAutomaticDrawing(true);
    }
    void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    PWTextEditor* editor() const { return dynamic_cast<PWTextEditor*>(view->textEditor()); }
    void select(int from, int to)
    {
        QTextCursor cursor = editor()->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        editor()->setTextCursor(cursor);
    }

    pf::Ref<PWDrawing> drawing;
    pf::Ref<PWObjectDrawingLayer> layer;
    pf::Ref<PWTextShape> text;
    std::unique_ptr<PWDrawingView> view;
};

TEST_F(TextEditorFontTest, EditorIsTheManagersTargetAndReportsItsSelectionAtTheDrawingsSize)
{
    pf::FontManager* manager = pf::FontManager::shared();
    ASSERT_TRUE(view->beginTextEditing(text.get()));
    ASSERT_TRUE(editor());
    EXPECT_EQ(manager->target(), editor());
    select(0, 5);
    // The editor shows the text twice as large; the manager hears of the drawing's size.
    EXPECT_DOUBLE_EQ(manager->selectedFont().pointSize(), 14.0);
    EXPECT_FALSE(manager->isMultiple());
    view->endTextEditing();
    EXPECT_EQ(manager->target(), nullptr);
}

TEST_F(TextEditorFontTest, BoldWhileTypingMakesARunThatStaysAfterEditing)
{
    pf::FontManager* manager = pf::FontManager::shared();
    ASSERT_TRUE(view->beginTextEditing(text.get()));
    select(6, 11);
    manager->addFontTrait(QVariant(int(pf::Font::BoldFontMask)));
    // Both fonts are selected now: the manager hears of several.
    select(0, 11);
    EXPECT_TRUE(manager->isMultiple());
    // Typed after a size change, new text takes the new size at once.
    QTextCursor end = editor()->textCursor();
    end.movePosition(QTextCursor::End);
    editor()->setTextCursor(end);
    manager->modifyFont(QVariant(3));
    editor()->insertPlainText(QStringLiteral("!"));
    view->endTextEditing();

    EXPECT_EQ(text->text(), QStringLiteral("Hello world!"));
    const PWTextRuns runs = text->textRuns();
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[0].start, 6);
    EXPECT_EQ(runs[0].length, 5);
    EXPECT_TRUE(runs[0].font.bold());
    EXPECT_DOUBLE_EQ(runs[0].font.pointSizeF(), 14.0);
    EXPECT_EQ(runs[1].start, 11);
    EXPECT_DOUBLE_EQ(runs[1].font.pointSizeF(), 15.0);
    EXPECT_TRUE(runs[1].font.bold());

    // Editing again shows the runs, and a plain commit keeps them.
    ASSERT_TRUE(view->beginTextEditing(text.get()));
    view->endTextEditing();
    EXPECT_EQ(text->textRuns(), runs);
}

TEST_F(TextEditorFontTest, ZoomingWhileEditingKeepsWhatWasTyped)
{
    pf::FontManager* manager = pf::FontManager::shared();
    ASSERT_TRUE(view->beginTextEditing(text.get()));
    select(0, 5);
    manager->addFontTrait(QVariant(int(pf::Font::ItalicFontMask)));
    view->setScale(1.0);
    view->endTextEditing();
    ASSERT_EQ(text->textRuns().size(), 1);
    EXPECT_TRUE(text->textRuns()[0].font.italic());
    EXPECT_DOUBLE_EQ(text->textRuns()[0].font.pointSizeF(), 14.0);
}

// Converts attributes as a change of colour and underline would.
class ColouringManager : public pf::FontManager {
public:
    QVariantMap convertAttributes(const QVariantMap& attributes) const override
    {
        QVariantMap converted = attributes;
        converted.insert(kPWTextColourAttribute, QColor(Qt::red));
        converted.insert(kPWTextUnderlineAttribute, 1);
        converted.remove(kPWTextShadowAttribute);
        return converted;
    }
};

TEST_F(TextEditorFontTest, AttributeChangesColourTheSelectionAndGoOnTheWholeObject)
{
    text->textAdornment()->setShadow(PWStyle::defaultShadow());
    settle();
    ASSERT_TRUE(view->beginTextEditing(text.get()));
    select(0, 5);
    auto manager = std::make_shared<ColouringManager>();
    editor()->changeAttributes(pf::toVariant(std::static_pointer_cast<pf::Object>(manager)));
    // Underlines and the shadow belong to the object: changed at once.
    EXPECT_EQ(text->textAdornment()->underlines(), 1);
    EXPECT_FALSE(text->textAdornment()->shadow());
    view->endTextEditing();
    ASSERT_EQ(text->textRuns().size(), 1);
    EXPECT_EQ(text->textRuns()[0].start, 0);
    EXPECT_EQ(text->textRuns()[0].length, 5);
    EXPECT_EQ(text->textRuns()[0].colour, QColor(Qt::red));
}

} // namespace
