#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Reflective.h"
#include "platform/ui/Sheet.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace {

// Receives the older did-end message and keeps what it was given.
class SheetEndRecorder : public pf::Reflective {
    PF_CLASS(SheetEndRecorder)
public:
    void sheetDidEnd(const QVariant& sheet, int returnCode, const QVariant& context)
    {
        endedSheet = sheet.value<QWidget*>();
        code = returnCode;
        contextInfo = context;
        ++calls;
    }
    QWidget* endedSheet = nullptr;
    int code = 0;
    QVariant contextInfo;
    int calls = 0;
};

} // namespace

PF_DEFINE_CLASS(SheetEndRecorder, pf::Reflective)
{
    b.method("sheetDidEnd:returnCode:contextInfo:", &SheetEndRecorder::sheetDidEnd);
}

namespace {

using pf::Sheet;

struct WindowsSheetTest : ::testing::Test {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    void SetUp() override
    {
        window->setGeometry(100, 100, 600, 400);
        window->show();
    }
};

TEST_F(WindowsSheetTest, WindowsSheetEndsWithItsCodeAndHandsTheWidgetBack)
{
    QWidget sheet;
    sheet.resize(200, 100);
    int answered = -99;
    Sheet::beginSheet(&sheet, window.get(), [&](int code) {
        // Detached before the completion runs, so it may begin another sheet at once.
        EXPECT_EQ(Sheet::attachedSheet(window.get()), nullptr);
        answered = code;
    });
    EXPECT_EQ(Sheet::attachedSheet(window.get()), &sheet);
    EXPECT_TRUE(Sheet::isSheet(&sheet));
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.parentWidget(), window.get());
    EXPECT_EQ(sheet.windowModality(), Qt::WindowModal);

    Sheet::endSheet(&sheet, 42);
    EXPECT_EQ(answered, 42);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.parentWidget(), nullptr);
    EXPECT_EQ(sheet.windowModality(), Qt::NonModal);
    EXPECT_FALSE(Sheet::isSheet(&sheet));

    Sheet::endSheet(&sheet, 7); // ending twice changes nothing
    EXPECT_EQ(answered, 42);
}

// Once the sheet goes its window is the key window again: Close and the other window commands
// apply to it without the user clicking it first.
TEST_F(WindowsSheetTest, WindowsSheetGivesTheKeyWindowBackWhenItEnds)
{
    QDialog sheet;
    sheet.resize(200, 100);
    Sheet::beginSheet(&sheet, window.get(), [](int) {});
    ASSERT_TRUE(quillory::test::waitUntil([&] { return QApplication::activeWindow() == &sheet; }, 2000));
    sheet.accept();
    EXPECT_TRUE(quillory::test::waitUntil([&] { return QApplication::activeWindow() == window.get(); }, 2000))
        << "the key window is " << (QApplication::activeWindow() ? "another one" : "none");
}

TEST_F(WindowsSheetTest, WindowsSheetIsPlacedUnderTheTopEdgeAndFollowsTheWindow)
{
    QWidget sheet;
    sheet.resize(200, 100);
    Sheet::beginSheet(&sheet, window.get(), nullptr);
    const QPoint top = window->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(sheet.pos(), QPoint(top.x() + 200, top.y()));

    window->move(window->pos() + QPoint(50, 30));
    ASSERT_TRUE(quillory::test::waitUntil([&] { return window->mapToGlobal(QPoint(0, 0)) != top; }));
    const QPoint moved = window->mapToGlobal(QPoint(0, 0));
    EXPECT_TRUE(quillory::test::waitUntil([&] { return sheet.pos() == QPoint(moved.x() + 200, moved.y()); }));
    Sheet::endSheet(&sheet, 0);
}

TEST_F(WindowsSheetTest, WindowsSheetQueuesASecondSheetOnTheSameWindow)
{
    QWidget first, second;
    QStringList order;
    Sheet::beginSheet(&first, window.get(), [&](int) { order << "first"; });
    Sheet::beginSheet(&second, window.get(), [&](int) { order << "second"; });
    EXPECT_EQ(Sheet::attachedSheet(window.get()), &first);
    EXPECT_FALSE(second.isVisible());
    EXPECT_EQ(Sheet::sheetParent(&second), window.get());

    Sheet::endSheet(&first, 1);
    EXPECT_EQ(Sheet::attachedSheet(window.get()), &second);
    EXPECT_TRUE(second.isVisible());
    Sheet::endSheet(&second, 1);
    EXPECT_EQ(order, QStringList({"first", "second"}));
    EXPECT_EQ(Sheet::attachedSheet(window.get()), nullptr);
}

TEST_F(WindowsSheetTest, WindowsSheetCanCarryASheetOfItsOwn)
{
    QWidget outer, inner;
    int outerCode = -1, innerCode = -1;
    Sheet::beginSheet(&outer, window.get(), [&](int code) { outerCode = code; });
    Sheet::beginSheet(&inner, &outer, [&](int code) { innerCode = code; });
    EXPECT_EQ(Sheet::attachedSheet(window.get()), &outer);
    EXPECT_EQ(Sheet::attachedSheet(&outer), &inner);
    EXPECT_TRUE(inner.isVisible());

    Sheet::endSheet(&inner, 3);
    EXPECT_EQ(innerCode, 3);
    EXPECT_EQ(Sheet::attachedSheet(window.get()), &outer);
    Sheet::endSheet(&outer, 4);
    EXPECT_EQ(outerCode, 4);
}

TEST_F(WindowsSheetTest, WindowsSheetDialogThatFinishesEndsTheSheet)
{
    struct Case {
        bool accept;
        int expected;
    };
    for (const Case& c : {Case{true, pf::kModalResponseOK}, Case{false, pf::kModalResponseCancel}}) {
        QDialog dialog;
        int answered = -99;
        Sheet::beginSheet(&dialog, window.get(), [&](int code) { answered = code; });
        if (c.accept)
            dialog.accept();
        else
            dialog.reject();
        EXPECT_EQ(answered, c.expected);
        EXPECT_FALSE(Sheet::isSheet(&dialog));
    }
}

TEST_F(WindowsSheetTest, WindowsSheetEndsWithAbortWhenItsWindowIsDestroyed)
{
    auto shown = std::make_unique<QWidget>();
    auto waiting = std::make_unique<QWidget>();
    QPointer<QWidget> shownGuard = shown.get(), waitingGuard = waiting.get();
    QList<int> codes;
    Sheet::beginSheet(shown.get(), window.get(), [&](int code) { codes << code; });
    Sheet::beginSheet(waiting.get(), window.get(), [&](int code) { codes << code; });

    window.reset();
    EXPECT_EQ(codes, QList<int>({pf::kModalResponseAbort, pf::kModalResponseAbort}));
    // The sheets belong to their owners, not to the window that went away.
    ASSERT_TRUE(shownGuard);
    ASSERT_TRUE(waitingGuard);
    EXPECT_EQ(shown->parentWidget(), nullptr);
    EXPECT_FALSE(shown->isVisible());
    EXPECT_FALSE(Sheet::isSheet(shown.get()));
}

TEST_F(WindowsSheetTest, WindowsSheetDestroyedWhileShownCompletesAndLetsTheNextOneIn)
{
    auto doomed = std::make_unique<QWidget>();
    QWidget next;
    int doomedCode = 0;
    Sheet::beginSheet(doomed.get(), window.get(), [&](int code) { doomedCode = code; });
    Sheet::beginSheet(&next, window.get(), nullptr);
    doomed.reset();
    EXPECT_EQ(doomedCode, pf::kModalResponseAbort);
    EXPECT_EQ(Sheet::attachedSheet(window.get()), &next);
    Sheet::endSheet(&next, 0);
}

TEST_F(WindowsSheetTest, WindowsSheetOlderFormSendsTheDidEndSelector)
{
    QWidget sheet;
    SheetEndRecorder recorder;
    Sheet::beginSheet(&sheet, window.get(), &recorder, QStringLiteral("sheetDidEnd:returnCode:contextInfo:"),
                      QStringLiteral("lib_delete"));
    Sheet::endSheet(&sheet, 1);
    EXPECT_EQ(recorder.calls, 1);
    EXPECT_EQ(recorder.endedSheet, &sheet);
    EXPECT_EQ(recorder.code, 1);
    EXPECT_EQ(recorder.contextInfo.toString(), QStringLiteral("lib_delete"));

    // A delegate that is gone by then is skipped.
    auto gone = std::make_unique<SheetEndRecorder>();
    Sheet::beginSheet(&sheet, window.get(), gone.get(), QStringLiteral("sheetDidEnd:returnCode:contextInfo:"), {});
    gone.reset();
    Sheet::endSheet(&sheet, 1);
    EXPECT_FALSE(Sheet::isSheet(&sheet));
}

TEST_F(WindowsSheetTest, WindowsSheetRefusesBadArguments)
{
    QWidget sheet;
    EXPECT_THROW(Sheet::beginSheet(nullptr, window.get(), nullptr), pf::Exception);
    EXPECT_THROW(Sheet::beginSheet(&sheet, nullptr, nullptr), pf::Exception);
    EXPECT_THROW(Sheet::beginSheet(window.get(), window.get(), nullptr), pf::Exception);
    Sheet::beginSheet(&sheet, window.get(), nullptr);
    EXPECT_THROW(Sheet::beginSheet(&sheet, window.get(), nullptr), pf::Exception);
    Sheet::endSheet(&sheet, 0);
}

} // namespace
