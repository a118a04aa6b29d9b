// Text fields edited through the window's field editor: the delegate's begin, change and end
// messages, committing the focused field, formatters refusing text, and the action.
#include "platform/foundation/NumberFormatter.h"
#include "platform/ui/FieldEditor.h"
#include "platform/ui/TextField.h"
#include "tests/platform/ui/ControlTestSupport.h"

#include <gtest/gtest.h>

#include <QKeyEvent>

namespace {

class RecordingDelegate : public pf::TextFieldDelegate {
public:
    void controlTextDidBeginEditing(pf::TextField&) override { log.append(QStringLiteral("begin")); }
    void controlTextDidChange(pf::TextField& field) override
    {
        log.append(QStringLiteral("change ") + field.currentEditor()->text());
    }
    void controlTextDidEndEditing(pf::TextField& field, pf::TextMovement movement) override
    {
        log.append(QStringLiteral("end %1 %2").arg(int(movement)).arg(field.stringValue()));
    }
    QStringList log;
};

class TextFieldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        field = new pf::TextField(active.window.get());
        field->setFrame(QRectF(10, 10, 120, 22));
        field->setAction(QStringLiteral("takeValue:"));
        // The field itself is first responder while it edits, so the recorder is its target.
        field->setTarget(active.recorder);
        field->setDelegate(&delegate);
        field->show();
        other = new pf::TextField(active.window.get());
        other->setFrame(QRectF(10, 40, 120, 22));
        other->show();
        // Only the fields take part in tabbing.
        active.recorder->setFocusPolicy(Qt::ClickFocus);
    }

    void TearDown() override { field->setDelegate(nullptr); }

    void type(const QString& text)
    {
        pf::FieldEditor* editor = field->currentEditor();
        ASSERT_TRUE(editor);
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(editor, &press);
        }
    }

    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, k, modifiers);
        QApplication::sendEvent(field->currentEditor(), &press);
    }

    QWidget* window() { return active.window.get(); }

    quillory::test::ActiveWindow active;
    RecordingDelegate delegate;
    pf::TextField* field = nullptr;
    pf::TextField* other = nullptr;
};

TEST_F(TextFieldTest, DelegateHearsBeginChangeAndEnd)
{
    field->setStringValue(QStringLiteral("ab"));
    ASSERT_TRUE(pf::makeFirstResponder(window(), field));
    ASSERT_TRUE(field->currentEditor());
    // Becoming first responder selects all the text: typing replaces it.
    EXPECT_EQ(field->currentEditor()->selectedText(), QStringLiteral("ab"));
    EXPECT_EQ(pf::firstResponder(window()), field->currentEditor());
    EXPECT_TRUE(delegate.log.isEmpty()); // editing begins with the first change
    type(QStringLiteral("xy"));
    key(Qt::Key_Return);
    EXPECT_EQ(delegate.log, (QStringList{QStringLiteral("begin"), QStringLiteral("change x"), QStringLiteral("change xy"),
                                         QStringLiteral("end 16 xy")}));
    EXPECT_EQ(field->stringValue(), QStringLiteral("xy"));
    EXPECT_EQ(field->currentEditor(), nullptr);
    // Return sends the action and leaves the field first responder.
    EXPECT_EQ(active.recorder->actions, QStringList{QStringLiteral("takeValue:")});
    EXPECT_EQ(pf::firstResponder(window()), field);
}

TEST_F(TextFieldTest, MakingTheWindowFirstResponderCommitsTheFocusedField)
{
    ASSERT_TRUE(pf::makeFirstResponder(window(), field));
    type(QStringLiteral("42"));
    EXPECT_EQ(field->stringValue(), QString()); // not yet committed
    ASSERT_TRUE(pf::makeFirstResponder(window(), nullptr));
    EXPECT_EQ(field->stringValue(), QStringLiteral("42"));
    EXPECT_EQ(pf::firstResponder(window()), window());
    EXPECT_EQ(delegate.log.last(), QStringLiteral("end 0 42"));
    // Ending without Return sends no action unless asked to.
    EXPECT_TRUE(active.recorder->actions.isEmpty());

    field->setSendsActionOnEndEditing(true);
    ASSERT_TRUE(pf::makeFirstResponder(window(), field));
    type(QStringLiteral("7"));
    EXPECT_TRUE(pf::FieldEditor::endEditingInWindow(window()));
    EXPECT_EQ(field->intValue(), 7);
    EXPECT_EQ(active.recorder->actions.size(), 1);
}

TEST_F(TextFieldTest, TextTheFormatterRejectsKeepsTheFieldEditing)
{
    auto formatter = std::make_shared<pf::NumberFormatter>();
    formatter->setMaximum(10.0);
    field->setFormatter(formatter);
    field->setDoubleValue(5);
    ASSERT_TRUE(pf::makeFirstResponder(window(), field));
    type(QStringLiteral("99"));
    EXPECT_FALSE(pf::FieldEditor::endEditingInWindow(window()));
    EXPECT_FALSE(pf::makeFirstResponder(window(), other));
    ASSERT_TRUE(field->currentEditor());
    EXPECT_EQ(field->currentEditor()->text(), QStringLiteral("99")); // nothing typed is lost
    EXPECT_DOUBLE_EQ(field->doubleValue(), 5);
    key(Qt::Key_Backspace);
    EXPECT_TRUE(pf::FieldEditor::endEditingInWindow(window()));
    EXPECT_DOUBLE_EQ(field->doubleValue(), 9);
}

TEST_F(TextFieldTest, TabCommitsAndMovesToTheNextField)
{
    ASSERT_TRUE(pf::makeFirstResponder(window(), field));
    type(QStringLiteral("a"));
    key(Qt::Key_Tab);
    EXPECT_EQ(field->stringValue(), QStringLiteral("a"));
    EXPECT_EQ(delegate.log.last(), QStringLiteral("end 17 a"));
    EXPECT_TRUE(other->currentEditor());
    EXPECT_EQ(pf::FieldEditor::forWindow(window()), other->currentEditor()); // one editor per window
}

TEST_F(TextFieldTest, LabelsAreNeitherEditedNorSelected)
{
    auto* label = pf::TextField::label(QStringLiteral("Name:"), window());
    EXPECT_FALSE(label->acceptsFirstResponder());
    EXPECT_FALSE(pf::makeFirstResponder(window(), label));
    EXPECT_EQ(label->currentEditor(), nullptr);
    // Made editable at run time it edits.
    label->setEditable(true);
    label->show();
    label->selectText();
    EXPECT_TRUE(label->currentEditor());
}

} // namespace
