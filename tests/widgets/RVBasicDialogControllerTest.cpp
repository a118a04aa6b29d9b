#include "widgets/RVBasicDialogController.h"
#include "widgets/RVBasicDialogControllerDelegate.h"
#include "widgets/RVBlankingView.h"
#include "widgets/RVCheckboxCell.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/Button.h"
#include "platform/ui/EventQueue.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"
#include "tests/support/TestSupport.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace {

using pf::Ref;

class DialogDelegate : public pf::Object, public RVBasicDialogControllerDelegate {
    PF_CLASS(DialogDelegate)
public:
    void basicDialogDidEndWithReturnCode(RVBasicDialogController&, int code) override { endedWith.append(code); }
    bool basicDialogValidateDefaultButton(RVBasicDialogController&) override { return valid; }
    void basicDialogSetObjectValueForPrimaryItem(RVBasicDialogController&, pf::Control& item) override
    {
        item.setStringValue(QStringLiteral("Untitled Template"));
    }
    QList<int> endedWith;
    bool valid = false;
};

// Only the end message of the modal-delegate form of a sheet.
class ModalDelegate : public pf::Object {
    PF_CLASS(ModalDelegate)
public:
    void sheetDidEnd(const QVariant&, int code, const QVariant& context)
    {
        codes.append(code);
        contexts.append(context);
    }
    QList<int> codes;
    QVariantList contexts;
};

} // namespace

PF_DEFINE_CLASS_NAMED(DialogDelegate, pf::Object, "RVBasicDialogTestDelegate") {}
PF_DEFINE_CLASS_NAMED(ModalDelegate, pf::Object, "RVBasicDialogTestModalDelegate")
{
    b.method("sheetDidEnd:returnCode:contextInfo:", &ModalDelegate::sheetDidEnd);
}

namespace {

class BasicDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* window = new pf::Window;
        window->resize(300, 120);
        ok = new pf::Button(window);
        cancel = new pf::Button(window);
        field = new pf::TextField(window);
        field->setEditable(true);
        controller = std::make_shared<RVBasicDialogController>(window);
        controller->setOKButton(ok);
        controller->setCancelButton(cancel);
        controller->setPrimaryItem(field);
        parent = std::make_unique<pf::Window>();
        parent->resize(500, 400);
        parent->show();
    }
    void TearDown() override
    {
        pf::Sheet::endSheet(controller->window(), 0);
    }
    pf::Button* ok = nullptr;
    pf::Button* cancel = nullptr;
    pf::TextField* field = nullptr;
    Ref<RVBasicDialogController> controller;
    std::unique_ptr<pf::Window> parent;
};

TEST_F(BasicDialog, WithoutAValidatingDelegateOKStaysEnabled)
{
    controller->windowDidLoad();
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_TRUE(controller->checkForOKEnabled());
}

TEST_F(BasicDialog, ModalSheetFillsThePrimaryItemValidatesAndReportsTheEnd)
{
    auto delegate = std::make_shared<DialogDelegate>();
    controller->runModalInParentWindow(parent.get(), delegate);
    EXPECT_EQ(pf::Sheet::attachedSheet(parent.get()), controller->window());
    EXPECT_EQ(field->stringValue(), QStringLiteral("Untitled Template"));
    EXPECT_FALSE(ok->isEnabled());
    delegate->valid = true;
    controller->controlTextDidChange(*field);
    EXPECT_TRUE(ok->isEnabled());

    controller->ok();
    EXPECT_EQ(delegate->endedWith, QList<int>{RVBasicDialogController::kReturnOK});
    EXPECT_FALSE(controller->window()->isVisible());
}

TEST_F(BasicDialog, ModalSheetWithAGoneDelegateEndsQuietly)
{
    auto delegate = std::make_shared<DialogDelegate>();
    controller->runModalInParentWindow(parent.get(), delegate);
    delegate.reset();
    controller->cancel();
    EXPECT_EQ(pf::Sheet::attachedSheet(parent.get()), nullptr);
    EXPECT_FALSE(controller->window()->isVisible());
}

TEST_F(BasicDialog, SheetForAModalDelegateEndsInItsHandlerWithTheControllerAsContext)
{
    auto delegate = std::make_shared<DialogDelegate>();
    auto modal = std::make_shared<ModalDelegate>();
    controller->runAsSheetInParentWindow(parent.get(), modal.get());
    controller->cancel();
    EXPECT_EQ(modal->codes, QList<int>{RVBasicDialogController::kReturnCancel});
    ASSERT_EQ(modal->contexts.size(), 1);
    EXPECT_EQ(pf::fromVariant<Ref<RVBasicDialogController>>(modal->contexts.first()), controller);
    EXPECT_TRUE(delegate->endedWith.isEmpty());
}

TEST_F(BasicDialog, RunModalAnswersTheButtonsCode)
{
    for (const int code : {RVBasicDialogController::kReturnOK, RVBasicDialogController::kReturnCancel}) {
        QTimer::singleShot(0, [&] {
            if (code == RVBasicDialogController::kReturnOK)
                controller->ok();
            else
                controller->cancel();
        });
        EXPECT_EQ(controller->runModal(), code);
        EXPECT_FALSE(controller->window()->isVisible());
    }
}

// --- Checkbox cell

class CheckboxTracking : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(200, 200);
        view = new pf::View(QRectF(0, 0, 200, 200));
        window.setContentView(view);
        cell->setAllowsMixedState(true);
    }
    pf::Event mouse(int type, QPointF pointInView)
    {
        pf::Event event = pf::Event::mouseEvent(type, view->convertPointToView(pointInView, nullptr), 0,
                                                pf::Event::now(), 0, 0, 1, 1.0);
        event.window = &window;
        return event;
    }
    bool track(const QList<QPointF>& drags, QPointF up)
    {
        for (const QPointF point : drags)
            pf::EventQueue::shared().postEvent(mouse(pf::LeftMouseDragged, point), false);
        pf::EventQueue::shared().postEvent(mouse(pf::LeftMouseUp, up), false);
        return cell->trackMouse(mouse(pf::LeftMouseDown, QPointF(15, 15)), box, view, true);
    }
    pf::Window window;
    pf::View* view = nullptr;
    Ref<RVCheckboxCell> cell = std::make_shared<RVCheckboxCell>();
    const QRectF box{10, 10, 18, 18};
};

TEST_F(CheckboxTracking, ReleasingInsideTogglesAndMixedBecomesOff)
{
    struct Case {
        pf::ControlState before;
        int after;
    };
    for (const Case c : {Case{pf::ControlState::Off, 1}, Case{pf::ControlState::On, 0}, Case{pf::ControlState::Mixed, 0}}) {
        cell->setState(c.before);
        EXPECT_TRUE(track({QPointF(50, 50), QPointF(16, 16)}, QPointF(16, 16)));
        EXPECT_EQ(cell->intValue(), c.after) << int(c.before);
        EXPECT_FALSE(cell->isHighlighted());
    }
}

TEST_F(CheckboxTracking, ReleasingOutsideLeavesTheValue)
{
    cell->setState(pf::ControlState::Mixed);
    EXPECT_FALSE(track({QPointF(16, 16)}, QPointF(60, 60)));
    EXPECT_EQ(cell->intValue(), -1);
    EXPECT_EQ(cell->charValue(), -1);
    EXPECT_FALSE(cell->isHighlighted());
}

TEST(RVBlankingView, PaintsTheWindowBackgroundOverWhatIsBehind)
{
    RVBlankingView view(QRectF(0, 0, 20, 20));
    EXPECT_TRUE(view.isOpaque());
    const QImage image = view.cacheDisplayInRect(view.bounds()).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(QColor(image.pixel(5, 5)).rgb(), pf::SystemColor::windowBackground().qColor().rgb());
}

} // namespace
