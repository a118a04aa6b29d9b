#include "platform/ui/Alert.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/Sheet.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace {

using pf::Alert;
using pf::PresentationHook;

struct WindowsAlertTest : ::testing::Test {
    void TearDown() override { PresentationHook::clear(); }

    // Answers every alert presented from now on by pressing its button at `index`.
    static void pressButton(int index)
    {
        PresentationHook::set([index](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            ASSERT_NE(box, nullptr);
            const auto buttons = box->buttons();
            ASSERT_LT(index, buttons.size());
            // Pressed by title order the caller gave, not by the box's layout order.
            for (QAbstractButton* button : buttons)
                if (button->property("alertIndex").toInt() == index)
                    button->click();
        });
    }

    static void tagButtons(Alert& alert)
    {
        const auto buttons = alert.buttons();
        for (int i = 0; i < buttons.size(); ++i)
            buttons[i]->setProperty("alertIndex", i);
    }
};

TEST_F(WindowsAlertTest, WindowsAlertRunModalAnswersThePressedButton)
{
    for (int index = 0; index < 3; ++index) {
        auto alert = std::make_shared<Alert>();
        alert->setMessageText(QStringLiteral("Replace the file?"));
        alert->addButton(QStringLiteral("Replace"));
        alert->addButton(QStringLiteral("Cancel"));
        alert->addButton(QStringLiteral("Keep Both"));
        tagButtons(*alert);
        pressButton(index);
        EXPECT_EQ(alert->runModal(), pf::kAlertFirstButtonReturn + index);
    }
}

TEST_F(WindowsAlertTest, WindowsAlertLegacyAnswersOneZeroAndMinusOne)
{
    struct Case {
        int index;
        int expected;
    };
    for (const Case& c : {Case{0, pf::kAlertDefaultReturn}, Case{1, pf::kAlertAlternateReturn},
                          Case{2, pf::kAlertOtherReturn}}) {
        auto alert = Alert::legacy(QStringLiteral("Save changes?"), QStringLiteral("Save"),
                                   QStringLiteral("Don't Save"), QStringLiteral("Cancel"),
                                   QStringLiteral("Your changes will be lost."));
        EXPECT_EQ(alert->informativeText(), QStringLiteral("Your changes will be lost."));
        tagButtons(*alert);
        pressButton(c.index);
        EXPECT_EQ(alert->runModal(), c.expected);
    }
    // An other button without an alternate still answers -1.
    auto alert = Alert::legacy(QStringLiteral("Quit?"), QString(), QString(), QStringLiteral("Later"), QString());
    ASSERT_EQ(alert->buttons().size(), 2);
    EXPECT_EQ(alert->buttons()[0]->text(), QStringLiteral("OK"));
    EXPECT_EQ(alert->returnCodeForButton(alert->buttons()[1]), pf::kAlertOtherReturn);
}

TEST_F(WindowsAlertTest, WindowsAlertDefaultAndEscapeButtons)
{
    Alert alert;
    QPushButton* remove = alert.addButton(QStringLiteral("Delete"));
    QPushButton* cancel = alert.addButton(QStringLiteral("Cancel"));
    auto* box = qobject_cast<QMessageBox*>(alert.window());
    EXPECT_EQ(box->defaultButton(), remove);
    EXPECT_EQ(box->escapeButton(), cancel);

    // With no button added the alert shows a single OK.
    Alert bare;
    tagButtons(bare);
    pressButton(0);
    EXPECT_EQ(bare.runModal(), pf::kAlertFirstButtonReturn);
    ASSERT_EQ(bare.buttons().size(), 1);
    EXPECT_EQ(bare.buttons()[0]->text(), QStringLiteral("OK"));
}

TEST_F(WindowsAlertTest, WindowsAlertSuppressionStateIsReadAfterAnyAnswer)
{
    Alert alert;
    alert.setShowsSuppressionButton(true);
    alert.addButton(QStringLiteral("OK"));
    alert.addButton(QStringLiteral("Cancel"));
    tagButtons(alert);
    PresentationHook::set([&](QWidget* dialog) {
        EXPECT_TRUE(alert.suppressionButton()->isVisible());
        alert.suppressionButton()->setChecked(true);
        alert.buttons()[1]->click();
    });
    EXPECT_EQ(alert.runModal(), pf::kAlertSecondButtonReturn);
    EXPECT_TRUE(alert.isSuppressed());
}

TEST_F(WindowsAlertTest, WindowsAlertAsSheetCompletesAndStaysAliveUntilThen)
{
    QWidget window;
    window.resize(500, 300);
    window.show();
    int answered = 0;
    std::weak_ptr<Alert> weak;
    {
        auto alert = std::make_shared<Alert>();
        weak = alert;
        alert->addButton(QStringLiteral("Delete"));
        alert->addButton(QStringLiteral("Cancel"));
        alert->beginSheetModal(&window, [&](int code) { answered = code; });
        EXPECT_EQ(pf::Sheet::attachedSheet(&window), alert->window());
    }
    ASSERT_FALSE(weak.expired()); // the caller let go; the sheet keeps it
    weak.lock()->buttons()[1]->click();
    EXPECT_EQ(answered, pf::kAlertSecondButtonReturn);
    EXPECT_EQ(pf::Sheet::attachedSheet(&window), nullptr);
    EXPECT_TRUE(quillory::test::waitUntil([&] { return weak.expired(); }));
}

TEST_F(WindowsAlertTest, WindowsAlertSheetOnAWindowThatGoesAwayAnswersAbort)
{
    auto window = std::make_unique<QWidget>();
    window->show();
    auto alert = std::make_shared<Alert>();
    int answered = 0;
    alert->beginSheetModal(window.get(), [&](int code) { answered = code; });
    window.reset();
    EXPECT_EQ(answered, pf::kModalResponseAbort);
    ASSERT_NE(alert->window(), nullptr); // the alert still owns its box
    // And it can be shown again.
    tagButtons(*alert);
    pressButton(0);
    EXPECT_EQ(alert->runModal(), pf::kAlertFirstButtonReturn);
}

} // namespace
