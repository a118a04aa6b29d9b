// Where actions land along the responder chain, and how items are validated by the
// responder that would receive them.
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Document.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Responder.h"
#include "platform/ui/ResponderChain.h"
#include "platform/ui/WindowController.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QVBoxLayout>

namespace {

QStringList& received()
{
    static QStringList log;
    return log;
}

// A view that takes actions.
class ChainView : public QWidget, public pf::Reflective, public pf::Responder {
    PF_CLASS(ChainView)
public:
    using QWidget::QWidget;
    bool accepts = true;
    bool resigns = true;
    bool acceptsFirstResponder() const override { return accepts; }
    bool resignFirstResponder() override { return resigns; }
};

// A controller attached to the view's parent.
class ChainViewController : public pf::Object, public pf::Responder {
    PF_CLASS(ChainViewController)
};

class ChainDocument : public pf::Document {
    PF_CLASS(ChainDocument)
public:
    bool validateMenuItem(pf::MenuItem& item) override
    {
        if (item.action() == QStringLiteral("documentAction:")) {
            item.setState(pf::ControlState::Mixed);
            item.setTitle(QStringLiteral("Validated"));
            return item.tag() != 7;
        }
        return Document::validateMenuItem(item);
    }
};

class ChainDelegate : public pf::ApplicationDelegate {
    PF_CLASS(ChainDelegate)
};

void record(const QString& who, const QString& action) { received().append(who + QLatin1Char(' ') + action); }

} // namespace

PF_DEFINE_CLASS(ChainView, pf::Reflective)
{
    for (const char* selector : {"viewAction:", "shared:"}) {
        const QString sel = QString::fromLatin1(selector);
        b.method(sel, std::function<QVariant(ChainView&, const QVariantList&)>([sel](ChainView&, const QVariantList&) {
            record(QStringLiteral("view"), sel);
            return QVariant();
        }));
    }
}

PF_DEFINE_CLASS(ChainViewController, pf::Object)
{
    for (const char* selector : {"controllerAction:", "shared:"}) {
        const QString sel = QString::fromLatin1(selector);
        b.method(sel, std::function<QVariant(ChainViewController&, const QVariantList&)>(
                          [sel](ChainViewController&, const QVariantList&) {
                              record(QStringLiteral("controller"), sel);
                              return QVariant();
                          }));
    }
}

PF_DEFINE_CLASS(ChainDocument, pf::Document)
{
    for (const char* selector : {"documentAction:", "shared:", "mainOnly:"}) {
        const QString sel = QString::fromLatin1(selector);
        b.method(sel, std::function<QVariant(ChainDocument&, const QVariantList&)>(
                          [sel](ChainDocument& d, const QVariantList&) {
                              record(d.displayName(), sel);
                              return QVariant();
                          }));
    }
}

PF_DEFINE_CLASS(ChainDelegate, pf::ApplicationDelegate)
{
    b.method("delegateAction:", std::function<QVariant(ChainDelegate&, const QVariantList&)>(
                                    [](ChainDelegate&, const QVariantList&) {
                                        record(QStringLiteral("delegate"), QStringLiteral("delegateAction:"));
                                        return QVariant();
                                    }));
}

namespace {

// Two document windows: the key one with a view inside a controlled panel, and another
// document's window as the main window.
class ResponderChainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        received().clear();
        documents = std::make_shared<pf::DocumentController>();
        ASSERT_EQ(pf::DocumentController::sharedIfMade(), documents.get());
        delegate = std::make_shared<ChainDelegate>();
        pf::Application::shared()->setDelegate(delegate);

        keyDocument = std::make_shared<ChainDocument>();
        keyDocument->setDisplayName(QStringLiteral("keyDoc"));
        mainDocument = std::make_shared<ChainDocument>();
        mainDocument->setDisplayName(QStringLiteral("mainDoc"));

        auto* keyWindow = new QMainWindow;
        auto* panel = new QWidget;
        view = new ChainView(panel);
        auto* layout = new QVBoxLayout(panel);
        layout->addWidget(view);
        keyWindow->setCentralWidget(panel);
        viewController = std::make_shared<ChainViewController>();
        pf::setWidgetController(panel, viewController.get());
        keyController = std::make_shared<pf::WindowController>(keyWindow);
        keyDocument->addWindowController(keyController);

        mainController = std::make_shared<pf::WindowController>(new QMainWindow);
        mainDocument->addWindowController(mainController);
        view->setFocusPolicy(Qt::StrongFocus);
        ASSERT_TRUE(pf::makeFirstResponder(keyWindow, view));
    }

    void TearDown() override
    {
        pf::Application::shared()->setDelegate(nullptr);
    }

    QString landing(const QString& action)
    {
        received().clear();
        for (pf::Reflective* r : pf::ResponderChain::forWindows(keyController->window(), mainController->window())) {
            if (pf::ResponderChain::responds(*r, action)) {
                pf::ResponderChain::perform(*r, action, {});
                return received().value(0, QStringLiteral("(performed without record)"));
            }
        }
        return QStringLiteral("nobody");
    }

    pf::Ref<pf::DocumentController> documents;
    pf::Ref<ChainDelegate> delegate;
    pf::Ref<ChainDocument> keyDocument, mainDocument;
    pf::Ref<ChainViewController> viewController;
    pf::Ref<pf::WindowController> keyController, mainController;
    ChainView* view = nullptr;
};

TEST_F(ResponderChainTest, ActionsLandOnTheFirstResponderThatAnswers)
{
    const struct {
        const char* action;
        const char* expected;
    } cases[] = {
        {"viewAction:", "view viewAction:"},
        {"shared:", "view shared:"},                 // the view comes before everything
        {"controllerAction:", "controller controllerAction:"},
        {"documentAction:", "keyDoc documentAction:"}, // key window's document before the main one's
        {"mainOnly:", "keyDoc mainOnly:"},
        {"delegateAction:", "delegate delegateAction:"},
        {"noSuchAction:", "nobody"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(landing(QString::fromLatin1(c.action)), QString::fromLatin1(c.expected)) << c.action;
}

TEST_F(ResponderChainTest, OrderRunsFromViewToDocumentController)
{
    const QList<pf::Reflective*> chain =
        pf::ResponderChain::forWindows(keyController->window(), mainController->window());
    auto position = [&](pf::Reflective* r) { return chain.indexOf(r); };
    ASSERT_GE(position(view), 0);
    EXPECT_LT(position(view), position(viewController.get()));
    EXPECT_LT(position(viewController.get()), position(keyController.get()));
    EXPECT_LT(position(keyController.get()), position(keyDocument.get()));
    EXPECT_LT(position(keyDocument.get()), position(mainController.get()));
    EXPECT_LT(position(mainDocument.get()), position(pf::Application::shared()));
    EXPECT_LT(position(pf::Application::shared()), position(delegate.get()));
    EXPECT_EQ(position(delegate.get()) + 1, position(documents.get()));
    // Nothing appears twice, even though window controllers link to their documents.
    EXPECT_EQ(QSet<pf::Reflective*>(chain.begin(), chain.end()).size(), chain.size());
}

TEST_F(ResponderChainTest, ExplicitTargetsAreUsedOnlyWhenTheyAnswer)
{
    EXPECT_EQ(pf::ResponderChain::targetForAction(QStringLiteral("documentAction:"), mainDocument.get()),
              mainDocument.get());
    EXPECT_EQ(pf::ResponderChain::targetForAction(QStringLiteral("viewAction:"), mainDocument.get()), nullptr);
    EXPECT_FALSE(pf::Application::shared()->sendAction(QStringLiteral("viewAction:"), mainDocument.get(), {}));
    EXPECT_TRUE(pf::Application::shared()->sendAction(QStringLiteral("documentAction:"), mainDocument.get(), {}));
    EXPECT_EQ(received().value(0), QStringLiteral("mainDoc documentAction:"));
}

TEST_F(ResponderChainTest, ExplicitTargetThatIsGoneIsNull)
{
    auto item = pf::MenuItem::make(QStringLiteral("x"), QStringLiteral("documentAction:"));
    {
        auto doomed = std::make_shared<ChainDocument>();
        item->setTarget(doomed.get());
        EXPECT_EQ(item->target(), doomed.get());
    }
    EXPECT_EQ(item->target(), nullptr);
}

TEST_F(ResponderChainTest, ValidationAsksTheReceivingResponder)
{
    auto item = pf::MenuItem::make(QStringLiteral("Doc"), QStringLiteral("documentAction:"));
    item->setTarget(keyDocument.get());
    EXPECT_TRUE(pf::validateUserInterfaceItem(*item));
    EXPECT_EQ(item->title(), QStringLiteral("Validated"));
    EXPECT_EQ(item->state(), pf::ControlState::Mixed);

    item->setTag(7); // the document refuses this one
    EXPECT_FALSE(pf::validateUserInterfaceItem(*item));
    EXPECT_FALSE(item->isEnabled());

    auto unanswered = pf::MenuItem::make(QStringLiteral("None"), QStringLiteral("viewAction:"));
    unanswered->setTarget(keyDocument.get());
    EXPECT_FALSE(pf::validateUserInterfaceItem(*unanswered));

    // A target without a validator enables what it answers.
    auto plain = pf::MenuItem::make(QStringLiteral("Plain"), QStringLiteral("controllerAction:"));
    plain->setTarget(viewController.get());
    plain->setEnabled(false);
    EXPECT_TRUE(pf::validateUserInterfaceItem(*plain));
}

TEST_F(ResponderChainTest, UndoAndRevertValidateFromTheDocument)
{
    auto undo = pf::MenuItem::make(QStringLiteral("Undo"), QStringLiteral("undo:"));
    undo->setTarget(keyDocument.get());
    EXPECT_FALSE(pf::validateUserInterfaceItem(*undo));

    pf::UndoManager* manager = keyDocument->undoManager();
    ASSERT_NE(manager, nullptr);
    manager->beginUndoGrouping();
    manager->registerUndo(keyDocument.get(), [] {});
    manager->setActionName(QStringLiteral("Typing"));
    manager->endUndoGrouping();
    EXPECT_TRUE(pf::validateUserInterfaceItem(*undo));
    EXPECT_EQ(undo->title(), QStringLiteral("Undo Typing"));

    auto revert = pf::MenuItem::make(QStringLiteral("Revert"), QStringLiteral("revertDocumentToSaved:"));
    revert->setTarget(keyDocument.get());
    EXPECT_FALSE(pf::validateUserInterfaceItem(*revert)) << "an untitled document has nothing to revert to";
}

TEST_F(ResponderChainTest, UndoManagerIsFoundThroughTheChain)
{
    EXPECT_EQ(keyController->undoManager(), keyDocument->undoManager());
}

TEST_F(ResponderChainTest, FirstResponderRefusals)
{
    QWidget* window = keyController->window();
    auto* other = new ChainView(window->findChild<QWidget*>());
    other->accepts = false;
    EXPECT_FALSE(pf::makeFirstResponder(window, other));
    EXPECT_EQ(pf::firstResponder(window), view);

    view->resigns = false;
    other->accepts = true;
    EXPECT_FALSE(pf::makeFirstResponder(window, other));
    EXPECT_EQ(pf::firstResponder(window), view);

    view->resigns = true;
    EXPECT_TRUE(pf::makeFirstResponder(window, other));
    EXPECT_EQ(pf::firstResponder(window), other);
    // The window itself: nothing inside keeps the focus.
    EXPECT_TRUE(pf::makeFirstResponder(window, nullptr));
    EXPECT_EQ(pf::firstResponder(window), window);
}

TEST_F(ResponderChainTest, CurrentChainFollowsTheActiveWindow)
{
    QWidget* window = keyController->window();
    window->show();
    window->activateWindow();
    ASSERT_TRUE(quillory::test::waitUntil([&] { return QApplication::activeWindow() == window; }));
    EXPECT_EQ(pf::Application::shared()->keyWindow(), window);
    EXPECT_EQ(pf::Application::shared()->mainWindow(), window);
    EXPECT_EQ(pf::Application::shared()->targetForAction(QStringLiteral("viewAction:")), view);
    EXPECT_EQ(documents->currentDocument(), keyDocument.get());

    auto item = pf::MenuItem::make(QStringLiteral("View"), QStringLiteral("viewAction:"));
    EXPECT_TRUE(item->performAction());
    EXPECT_EQ(received().value(0), QStringLiteral("view viewAction:"));
    window->hide();
}

} // namespace
