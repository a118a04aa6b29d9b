#include <gtest/gtest.h>

#include "inspectors/VNQLFontManagerTrampoline.h"
#include "inspectors/VNQLTextController.h"
#include "inspectors/VNQL_PWTextShapeController.h"
#include "styleeditor/VNQLStyleEditSub_NSShadow.h"

#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Shadow.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QFontInfo>
#include <QTextCursor>
#include <QTextEdit>

using pf::Ref;

namespace {

// As the program's entry function does: the shared font manager is the trampoline.
const bool kTrampolineInstalled = [] {
    pf::FontManager::setFontManagerFactory(VNQLFontManagerTrampoline::staticClass());
    return true;
}();

// A click of the left button at a point of the widget.
void click(QWidget* widget, QPointF local)
{
    const QPointF global = widget->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

QFont sized(const QString& family, double size)
{
    QFont font(family);
    font.setPointSizeF(size);
    return font;
}

class TextInspectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kTrampolineInstalled);
        drawing = std::make_shared<PWDrawing>();
        layer = std::make_shared<PWObjectDrawingLayer>();
        drawing->addLayer(layer);
        drawing->setActiveLayer(layer);
        tab = std::make_shared<VNQLTextController>();
        tab->view();
        tab->setDrawing(drawing);
        pane = tab->textShapeController();
    }
    void TearDown() override
    {
        view.reset();
        tab.reset();
    }

    Ref<PWTextShape> text(const QString& family, double size, const QString& string = QStringLiteral("Some text"))
    {
        auto style = std::dynamic_pointer_cast<PWStyle>(PWStyle::defaultTextStyle()->mutableCopy());
        auto shape = PWTextShape::textShapeWithRect(QRectF(20, 20 + layer->countOfObjects() * 60, 300, 50), string, style);
        shape->textAdornment()->setFont(sized(family, size));
        layer->addObject(shape);
        return shape;
    }
    void select(const QList<Ref<PWDrawableObject>>& objects)
    {
        layer->exchangeSelectionWithObjectsFromArray(objects);
        settle();
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    RVUndoManager& undo() { return *drawing->undoManager(); }
    static QFont fontOf(const Ref<PWTextShape>& shape) { return shape->textAdornment()->font(); }
    QList<pf::MenuItem*> marked(pf::Menu* menu) const
    {
        QList<pf::MenuItem*> items;
        for (const auto& item : menu->items())
            if (item->state() != pf::ControlState::Off)
                items.append(item.get());
        return items;
    }

    Ref<PWDrawing> drawing;
    Ref<PWObjectDrawingLayer> layer;
    Ref<VNQLTextController> tab;
    VNQL_PWTextShapeController* pane = nullptr;
    std::unique_ptr<PWDrawingView> view;
};

TEST_F(TextInspectorTest, FamilyAndFaceChangesKeepEachObjectsOwnSize)
{
    auto small = text("DejaVu Sans", 12);
    auto large = text("DejaVu Sans", 18);
    select({large});
    EXPECT_EQ(pane->fontSizeField()->stringValue(), "18");
    // Sizes differ: the field shows none.
    select({small, large});
    EXPECT_TRUE(pane->fontSizeField()->stringValue().isEmpty());
    // Both families show as used: one family, so marked on.
    ASSERT_EQ(marked(pane->fontsMenu()).size(), 1);
    EXPECT_EQ(marked(pane->fontsMenu()).first()->representedObject().toString(), "DejaVu Sans");
    EXPECT_EQ(marked(pane->fontsMenu()).first()->state(), pf::ControlState::On);

    pf::MenuItem* serif = pane->fontsMenu()->itemAtIndex(pane->fontsMenu()->indexOfItemWithRepresentedObject("DejaVu Serif"));
    ASSERT_TRUE(serif);
    pane->fontMenuAction(pf::toVariant(serif->ref<pf::MenuItem>()));
    EXPECT_EQ(fontOf(small).family(), "DejaVu Serif");
    EXPECT_EQ(fontOf(large).family(), "DejaVu Serif");
    EXPECT_DOUBLE_EQ(fontOf(small).pointSizeF(), 12);
    EXPECT_DOUBLE_EQ(fontOf(large).pointSizeF(), 18);
    EXPECT_EQ(undo().undoActionName(), "Change Font");

    // A face of the family, then bold through the style selector: sizes still kept.
    pane->setCommonFaceValue("DejaVuSerif-Italic", "textAdornment.font");
    EXPECT_TRUE(fontOf(small).italic());
    EXPECT_DOUBLE_EQ(fontOf(large).pointSizeF(), 18);
    pane->setCommonTrait(pf::Font::BoldFontMask);
    EXPECT_TRUE(pf::Font::fromQFont(fontOf(large)).isBold());
    EXPECT_DOUBLE_EQ(fontOf(small).pointSizeF(), 12);

    // One undo step each: three undos bring back the first family, sizes unchanged.
    undo().undo();
    undo().undo();
    undo().undo();
    EXPECT_EQ(fontOf(small).family(), "DejaVu Sans");
    EXPECT_DOUBLE_EQ(fontOf(large).pointSizeF(), 18);
}

TEST_F(TextInspectorTest, FamilyChangesReachTheRunsTypedInTheText)
{
    auto shape = text("DejaVu Sans", 14, "plain bold");
    QFont bold = sized("DejaVu Sans", 20);
    bold.setBold(true);
    undo().beginUndoGrouping();
    shape->setTextRuns({{6, 4, bold, QColor()}});
    undo().endUndoGrouping();
    select({shape});
    pane->setCommonFontValue("DejaVu Serif", "textAdornment.font");
    ASSERT_EQ(shape->textRuns().size(), 1);
    EXPECT_EQ(shape->textRuns()[0].font.family(), "DejaVu Serif");
    EXPECT_TRUE(shape->textRuns()[0].font.bold());
    EXPECT_DOUBLE_EQ(shape->textRuns()[0].font.pointSizeF(), 20);
    undo().undo();
    EXPECT_EQ(shape->textRuns()[0].font.family(), "DejaVu Sans");
}

TEST_F(TextInspectorTest, MixedFontsAreMarkedMixedAndAMissingFontMarksNothing)
{
    auto sans = text("DejaVu Sans", 12);
    auto serif = text("DejaVu Serif", 12);
    select({sans, serif});
    const QList<pf::MenuItem*> both = marked(pane->fontsMenu());
    ASSERT_EQ(both.size(), 2);
    for (pf::MenuItem* item : both)
        EXPECT_EQ(item->state(), pf::ControlState::Mixed);
    EXPECT_FALSE(pane->textStyleSelector()->isSelectedForSegment(VNQL_PWTextShapeController::kBoldSegment));

    // A family this machine lacks: no item marked, nothing selected, and writing still works.
    auto missing = text("No Such Family Anywhere", 15);
    select({missing});
    EXPECT_TRUE(marked(pane->fontsMenu()).isEmpty());
    EXPECT_EQ(pane->fontsPopUp()->indexOfSelectedItem(), -1);
    EXPECT_EQ(pane->facesPopUp()->numberOfItems(), 0);
    pane->setCommonFontValue("DejaVu Serif", "textAdornment.font");
    EXPECT_EQ(fontOf(missing).family(), "DejaVu Serif");
    EXPECT_DOUBLE_EQ(fontOf(missing).pointSizeF(), 15);
}

TEST_F(TextInspectorTest, AStandInFamilyShowsTheInstalledFamilyItStandsFor)
{
    auto helvetica = text("Helvetica", 12);
    select({helvetica});
    const QString shown = QFontInfo(pf::Font::fromName("Helvetica", 12).qFont()).family();
    EXPECT_EQ(pane->fontsPopUp()->titleOfSelectedItem(), shown);
    EXPECT_GT(pane->facesPopUp()->numberOfItems(), 0);
    EXPECT_FALSE(pane->facesPopUp()->titleOfSelectedItem().isEmpty());
}

TEST_F(TextInspectorTest, OutlineWidthIsShownNegatedAndLockedObjectsAreNotWritten)
{
    auto a = text("DejaVu Sans", 12);
    auto b = text("DejaVu Sans", 12);
    a->textAdornment()->setOutlineWidth(3);
    b->textAdornment()->setOutlineWidth(3);
    select({a, b});
    EXPECT_EQ(pane->outlineSizeField()->stringValue(), "-3");
    pane->outlineSizeField()->setStringValue("5");
    pane->outlineSizeAction(pf::toVariant(pane->outlineSizeField()));
    EXPECT_DOUBLE_EQ(a->textAdornment()->outlineWidth(), -5);
    EXPECT_EQ(undo().undoActionName(), "Text Outline Width");

    undo().beginUndoGrouping();
    b->setLocked(true);
    undo().endUndoGrouping();
    settle();
    pane->outlineSizeField()->setStringValue("-2");
    pane->outlineSizeAction(pf::toVariant(pane->outlineSizeField()));
    EXPECT_DOUBLE_EQ(a->textAdornment()->outlineWidth(), 2);
    EXPECT_DOUBLE_EQ(b->textAdornment()->outlineWidth(), -5);
}

TEST_F(TextInspectorTest, EachObjectGetsItsOwnShadowAndShadowEditsUndo)
{
    auto a = text("DejaVu Sans", 12);
    auto b = text("DejaVu Sans", 12);
    select({a, b});
    pane->shadowCheckbox()->setState(pf::ControlState::On);
    pane->shadowEnableAction(pf::toVariant(pane->shadowCheckbox()));
    auto shadowA = a->textAdornment()->shadow();
    auto shadowB = b->textAdornment()->shadow();
    ASSERT_TRUE(shadowA && shadowB);
    EXPECT_NE(shadowA.get(), shadowB.get());
    EXPECT_EQ(undo().undoActionName(), "Text Shadow");
    settle();

    // The sub-pane edits a copy; its change gives each object a new shadow of its own.
    VNQLStyleEditSub_NSShadow* sub = pane->shadowController();
    ASSERT_TRUE(sub->representedComponent());
    EXPECT_NE(sub->representedComponent().get(), shadowA.get());
    const double before = shadowA->shadowBlurRadius();
    sub->blurSlider()->setDoubleValue(before + 7);
    sub->blurRadiusAction(pf::toVariant(sub->blurSlider()));
    EXPECT_DOUBLE_EQ(a->textAdornment()->shadow()->shadowBlurRadius(), before + 7);
    EXPECT_DOUBLE_EQ(b->textAdornment()->shadow()->shadowBlurRadius(), before + 7);
    EXPECT_NE(a->textAdornment()->shadow().get(), b->textAdornment()->shadow().get());
    EXPECT_DOUBLE_EQ(shadowA->shadowBlurRadius(), before);
    undo().undo();
    EXPECT_DOUBLE_EQ(a->textAdornment()->shadow()->shadowBlurRadius(), before);

    pane->shadowCheckbox()->setState(pf::ControlState::Off);
    pane->shadowEnableAction(pf::toVariant(pane->shadowCheckbox()));
    EXPECT_FALSE(a->textAdornment()->shadow());
    EXPECT_FALSE(b->textAdornment()->shadow());
}

TEST_F(TextInspectorTest, ResetGivesEachObjectItsOwnDefaultTextStyleAndSaveWantsOneObject)
{
    auto a = text("DejaVu Serif", 30);
    auto b = text("DejaVu Serif", 40);
    select({a, b});
    auto save = std::make_shared<pf::MenuItem>();
    save->setAction("saveTextStyleAction:");
    EXPECT_FALSE(pane->validateUserInterfaceItem(*save));
    pane->resetTextStyleAction({});
    EXPECT_EQ(undo().undoActionName(), "Reset Text Style");
    ASSERT_TRUE(a->textAdornment() && b->textAdornment());
    EXPECT_NE(a->style(), b->style());
    EXPECT_NE(a->style(), PWStyle::defaultTextStyle());
    EXPECT_EQ(fontOf(a), PWStyle::defaultTextStyle()->renderersOfClass<PWTextAdornment>().value(0)->font());
    undo().undo();
    EXPECT_DOUBLE_EQ(fontOf(b).pointSizeF(), 40);
    select({a});
    EXPECT_TRUE(pane->validateUserInterfaceItem(*save));
}

TEST(TextShapeControllerMenus, WYSIWYGDefaultsDrawNamesInTheirOwnFonts)
{
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    defaults.setBool(true, "kVNQLHasWYSIWYGFontMenu");
    defaults.setBool(false, "kVNQLHasWYSIWYGFaceMenu");
    EXPECT_TRUE(VNQL_PWTextShapeController::hasWYSIWYGFontMenu());
    EXPECT_FALSE(VNQL_PWTextShapeController::hasWYSIWYGFaceMenu());
    auto fonts = VNQL_PWTextShapeController::makeFontsMenuWithTarget(nullptr, "fontMenuAction:", true);
    const int serif = fonts->indexOfItemWithTitle("DejaVu Serif");
    ASSERT_GE(serif, 0);
    pf::MenuItem* family = fonts->itemAtIndex(serif);
    ASSERT_TRUE(family->titleAttributes().font);
    // The font of the family's first face.
    EXPECT_TRUE(QFontInfo(*family->titleAttributes().font).family().startsWith("DejaVu Serif"));
    EXPECT_DOUBLE_EQ(family->titleAttributes().font->pointSizeF(), 11.0);
    // With faces submenus the family item names its first face, and each face its own font.
    ASSERT_TRUE(family->submenu());
    EXPECT_EQ(family->representedObject().toString(), family->submenu()->itemAtIndex(0)->representedObject().toString());
    QString face;
    EXPECT_EQ(VNQL_PWTextShapeController::selectFontsMenu(*fonts, {"DejaVuSerif-Bold"}, &face), family);
    EXPECT_EQ(face, "Bold");
    auto faces = VNQL_PWTextShapeController::makeFacesMenuWithTarget(nullptr, "fontFaceAction:", "DejaVu Serif");
    ASSERT_GT(faces->numberOfItems(), 1);
    EXPECT_FALSE(faces->itemAtIndex(0)->hasAttributedTitle());
    defaults.setBool(false, "kVNQLHasWYSIWYGFontMenu");
}

TEST_F(TextInspectorTest, ATextPathOffersOnlyThePathLayouts)
{
    pf::BezierPath line;
    line.moveTo(QPointF(0, 0));
    line.lineTo(QPointF(200, 0));
    auto path = PWTextPath::textPathWithPath(line, "along");
    layer->addObject(path);
    select({path});
    for (const auto& item : pane->layoutModePopUp()->menu()->items()) {
        const bool enabled = pane->validateUserInterfaceItem(*item);
        EXPECT_EQ(enabled, item->tag() == 1 || item->tag() == 2) << item->tag();
    }
}

// --- The font manager bridge ------------------------------------------------------------------------

// Stands for the text being edited: records the actions it gets and converts as a text view
// does, asking the manager.
class EditedText : public pf::Object {
    PF_CLASS(EditedText)
public:
    void changeFont(const QVariant& sender)
    {
        auto* manager = dynamic_cast<VNQLFontManagerTrampoline*>(pf::objectFromVariant(sender).get());
        actions.append("changeFont:");
        keyPaths.append(manager ? manager->rastKeyPath() : QString());
        if (manager) {
            font = manager->convertFont(font);
            // The text view reports its new selection at once: the bridge must not echo it.
            manager->setSelectedFont(pf::Font::fromName("DejaVu Sans Mono", 9), false);
        }
    }
    void changeAttributes(const QVariant& sender)
    {
        auto* manager = dynamic_cast<VNQLFontManagerTrampoline*>(pf::objectFromVariant(sender).get());
        actions.append("changeAttributes:");
        keyPaths.append(manager ? manager->rastKeyPath() : QString());
        if (manager)
            attributes = manager->convertAttributes(attributes);
    }
    QStringList actions;
    QStringList keyPaths;
    pf::Font font = pf::Font::fromName("DejaVu Serif", 11);
    QVariantMap attributes{{kPWTextUnderlineAttribute, 0}, {PWTextKnockoutColourAttributeName, QColor(Qt::red)}};
};

} // namespace

PF_DEFINE_CLASS(EditedText, pf::Object)
{
    b.method("changeFont:", &EditedText::changeFont);
    b.method("changeAttributes:", &EditedText::changeAttributes);
}

namespace {

TEST(FontManagerTrampoline, IsTheSharedManagerAndMapsKeyPathsToTheLiteralAttributeNames)
{
    ASSERT_TRUE(kTrampolineInstalled);
    EXPECT_EQ(VNQLFontManagerTrampoline::sharedFontManagerTrampoline(), pf::FontManager::shared());
    const QList<std::pair<const char*, const char*>> table = {
        {"underlines", "underline"},      {"strikethroughs", "strikethrough"}, {"colour", "colour"},
        {"shadow", "shadow"},             {"alignment", "paragraphStyle"},     {"baseline", "baselineOffset"},
        {"textKnockoutDistance", "PWTextKnockoutDistance"}, {"textKnockoutColour", "PWTextKnockoutColour"},
        {"outlineWidth", "strokeWidth"},  {"outlineColour", "strokeColour"},   {"kerning", "kern"},
        {"superscriptAttribute", "superscript"}, {"paragraphStyle", "paragraphStyle"},
        {"baselineProportion", "PWTextBaselineProportion"}, {"verticalAlignment", ""}, {"font", ""},
    };
    for (const auto& [keyPath, name] : table)
        EXPECT_EQ(VNQLFontManagerTrampoline::attributeNameForKeyPath(keyPath), QString::fromLatin1(name)) << keyPath;
    auto trampoline = std::make_shared<VNQLFontManagerTrampoline>();
    EXPECT_FALSE(trampoline->valueForKey("locked").toBool());
    EXPECT_EQ(trampoline->textAdornment()->string(), "never seen");
}

TEST(FontManagerTrampoline, AdornmentChangesReachTheEditedTextWithoutEchoAndForgetTheirKeyPath)
{
    auto trampoline = std::make_shared<VNQLFontManagerTrampoline>();
    auto edited = std::make_shared<EditedText>();
    trampoline->setTarget(edited.get());
    const QFont before = trampoline->textAdornment()->font();

    trampoline->textAdornment()->setFontSize(30);
    EXPECT_EQ(edited->actions, QStringList{"changeFont:"});
    EXPECT_EQ(edited->keyPaths, QStringList{"fontSize"});
    // Each font of the edited text keeps its family and face and takes the size.
    EXPECT_DOUBLE_EQ(edited->font.pointSize(), 30);
    EXPECT_EQ(edited->font.familyName(), "DejaVu Serif");
    // The editor's report during the hand-over did not come back into the adornment.
    EXPECT_EQ(trampoline->textAdornment()->font().family(), before.family());
    EXPECT_EQ(trampoline->changeOriginator(), 0);
    // The key path is forgotten: a later Bold converts as the platform does, size untouched.
    EXPECT_TRUE(trampoline->rastKeyPath().isEmpty());
    EXPECT_DOUBLE_EQ(trampoline->convertFont(pf::Font::fromName("DejaVu Sans", 10)).pointSize(), 10);

    // The face of the adornment's font, keeping each edited font's size.
    trampoline->textAdornment()->setFont(sized("DejaVu Sans", 30));
    EXPECT_EQ(edited->font.familyName(), "DejaVu Sans");

    // Attributes: the whole paragraph style for an alignment, a nil colour removes its attribute.
    trampoline->textAdornment()->setAlignment(PWTextFormat::AlignCentre);
    EXPECT_EQ(edited->actions.last(), "changeAttributes:");
    EXPECT_EQ(edited->attributes.value(kPWTextParagraphStyleAttribute).toMap(), trampoline->textAdornment()->paragraphStyle());
    trampoline->textAdornment()->setTextKnockoutColour(pf::Color::red());
    trampoline->textAdornment()->setTextKnockoutColour(pf::Color());
    EXPECT_FALSE(edited->attributes.contains(PWTextKnockoutColourAttributeName));
    trampoline->textAdornment()->setBaselineProportion(0.25);
    EXPECT_DOUBLE_EQ(edited->attributes.value(kPWTextBaselineProportionAttribute).toDouble(), 0.25);
    // Only once each, though the target also sits on no responder chain.
    EXPECT_EQ(edited->actions.count("changeAttributes:"), 4);

    // The text system's reports arrive in the adornment and send nothing back.
    const qsizetype sent = edited->actions.size();
    trampoline->setSelectedFont(pf::Font::fromName("DejaVu Serif", 17), false);
    trampoline->setSelectedAttributes({{kPWTextUnderlineAttribute, 2}}, false);
    EXPECT_DOUBLE_EQ(trampoline->textAdornment()->fontSize(), 17);
    EXPECT_EQ(trampoline->textAdornment()->underlines(), 2);
    EXPECT_EQ(edited->actions.size(), sent);
}

TEST_F(TextInspectorTest, EditingWhileTypingAppliesAtOnceAndStaysAfterEditing)
{
    auto shape = text("DejaVu Sans", 14, "Hello world");
    select({shape});
    view = std::make_unique<PWDrawingView>();
    view->setDrawing(drawing);
    settle();
    ASSERT_TRUE(view->beginTextEditing(shape.get()));
    settle();
    ASSERT_TRUE(pane->fontPanelMode());
    ASSERT_EQ(pane->content().size(), 1u);
    EXPECT_TRUE(dynamic_cast<VNQLFontManagerTrampoline*>(pane->content().first().get()));
    // What only whole objects have is not edited while typing.
    EXPECT_FALSE(pane->verticalAlignmentSelector()->isEnabled());
    EXPECT_FALSE(pane->layoutModePopUp()->isEnabled());
    auto reset = std::make_shared<pf::MenuItem>();
    reset->setAction("resetTextStyleAction:");
    EXPECT_FALSE(pane->validateUserInterfaceItem(*reset));

    QTextEdit* editor = view->textEditor();
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(6);
    cursor.setPosition(11, QTextCursor::KeepAnchor);
    editor->setTextCursor(cursor);
    pane->fontSizeField()->setStringValue("30");
    pane->fontSizeAction(pf::toVariant(pane->fontSizeField()));
    pane->setCommonTrait(pf::Font::BoldFontMask);
    view->endTextEditing();
    settle();
    EXPECT_FALSE(pane->fontPanelMode());

    const PWTextRuns runs = shape->textRuns();
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].start, 6);
    EXPECT_EQ(runs[0].length, 5);
    EXPECT_DOUBLE_EQ(runs[0].font.pointSizeF(), 30);
    EXPECT_TRUE(pf::Font::fromQFont(runs[0].font).isBold());
    // The object's own font is untouched: only the word changed.
    EXPECT_DOUBLE_EQ(fontOf(shape).pointSizeF(), 14);
    EXPECT_FALSE(fontOf(shape).bold());
    // The pane shows the object again.
    EXPECT_EQ(pane->fontsPopUp()->titleOfSelectedItem(), "DejaVu Sans");
}

} // namespace

namespace {

TEST_F(TextInspectorTest, BoldFromTheStyleSelectorWhileTypingAppliesToWhatIsTypedNext)
{
    auto shape = text("Helvetica", 12, "Hello ");
    select({shape});
    view = std::make_unique<PWDrawingView>();
    view->setDrawing(drawing);
    settle();
    ASSERT_TRUE(view->beginTextEditing(shape.get()));
    settle();
    QTextEdit* editor = view->textEditor();
    editor->moveCursor(QTextCursor::End);
    pf::SegmentedControl* styles = pane->textStyleSelector();
    // Clicked as the user does: the control shows in a window.
    tab->view()->resize(260, 700);
    tab->view()->show();
    settle();
    ASSERT_TRUE(styles->isEnabledForSegment(VNQL_PWTextShapeController::kBoldSegment));
    const QPointF bold = styles->frameForSegment(VNQL_PWTextShapeController::kBoldSegment).center();
    click(styles, bold);
    editor->insertPlainText("bold");
    click(styles, bold);
    editor->insertPlainText(" world");
    view->endTextEditing();
    settle();
    EXPECT_EQ(shape->text(), "Hello bold world");
    ASSERT_EQ(shape->textRuns().size(), 1);
    EXPECT_EQ(shape->textRuns()[0].start, 6);
    EXPECT_EQ(shape->textRuns()[0].length, 4);
    EXPECT_TRUE(pf::Font::fromQFont(shape->textRuns()[0].font).isBold());
}

} // namespace
