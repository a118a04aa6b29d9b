#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/ui/Nib.h"
#include "platform/ui/NibLoader.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WindowController.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QWidget>

namespace {

QStringList& wakeLog()
{
    static QStringList log;
    return log;
}

} // namespace

// An object a nib makes; it notes when it wakes.
class NibPart : public pf::Object {
    PF_CLASS(NibPart)
public:
    explicit NibPart(QString name = {}) : name(std::move(name)) {}
    void awakeFromNib() { wakeLog() << name; }
    QString name;
};

PF_DEFINE_CLASS(NibPart, pf::Object)
{
    b.method("awakeFromNib", &NibPart::awakeFromNib);
}

// The owner: notes its own wake and the load, and whether its outlet was set by then.
class PaneController : public pf::ViewController {
    PF_CLASS(PaneController)
public:
    using pf::ViewController::ViewController;
    void awakeFromNib() override { wakeLog() << (view() && part ? QStringLiteral("owner") : QStringLiteral("owner without outlets")); }
    void viewDidLoad() override { wakeLog() << QStringLiteral("viewDidLoad"); }
    NibPart* part = nullptr;
};

PF_DEFINE_CLASS(PaneController, pf::ViewController) {}

class PaletteController : public pf::WindowController {
    PF_CLASS(PaletteController)
public:
    using pf::WindowController::WindowController;
    void awakeFromNib() override { wakeLog() << QStringLiteral("window owner"); }
    void windowDidLoad() override { wakeLog() << QStringLiteral("windowDidLoad"); }
};

PF_DEFINE_CLASS(PaletteController, pf::WindowController) {}

namespace {

struct ViewControllerTest : ::testing::Test {
    int builds = 0;
    void SetUp() override
    {
        wakeLog().clear();
        pf::Nib::registerNib(QStringLiteral("TestPane"), [this](pf::NibLoader& loader) {
            ++builds;
            auto first = std::make_shared<NibPart>(QStringLiteral("first"));
            auto second = std::make_shared<NibPart>(QStringLiteral("second"));
            loader.add(first);
            loader.add(second);
            if (auto* owner = loader.ownerAs<PaneController>())
                owner->part = second.get();
            loader.setTopLevelWidget(new QWidget);
        });
    }
    void TearDown() override { pf::Nib::registerNib(QStringLiteral("TestPane"), nullptr); }
};

TEST_F(ViewControllerTest, LoadsItsViewOnceAndWakesInOrder)
{
    auto controller = std::make_shared<PaneController>(QStringLiteral("TestPane"));
    EXPECT_FALSE(controller->isViewLoaded());
    QWidget* view = controller->view();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(controller->view(), view);
    EXPECT_EQ(builds, 1);
    EXPECT_EQ(wakeLog(), (QStringList{QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("owner"),
                                      QStringLiteral("viewDidLoad")}));
    // The nib's objects live as long as the controller keeps them.
    ASSERT_EQ(controller->topLevelObjects().size(), 2);
    EXPECT_EQ(controller->topLevelObjects()[1].get(), controller->part);
    EXPECT_EQ(pf::widgetController(view), controller.get());

    QPointer<QWidget> watched = view;
    controller.reset();
    EXPECT_TRUE(watched.isNull()); // a view with no parent goes with its controller
}

TEST_F(ViewControllerTest, MissingNibsRaiseAndNamedBuildersAreListed)
{
    EXPECT_TRUE(pf::Nib::exists(QStringLiteral("TestPane")));
    EXPECT_FALSE(pf::Nib::exists(QStringLiteral("NoSuchPane")));
    auto controller = std::make_shared<pf::ViewController>(QStringLiteral("NoSuchPane"));
    EXPECT_THROW(controller->view(), pf::Exception);
    EXPECT_FALSE(controller->isViewLoaded());

    controller->setTitle(QStringLiteral("Arrange"));
    controller->setRepresentedObject(7);
    EXPECT_EQ(controller->valueForKey(QStringLiteral("title")), QStringLiteral("Arrange"));
    EXPECT_EQ(controller->valueForKey(QStringLiteral("representedObject")), 7);
}

TEST_F(ViewControllerTest, WindowNibsWakeBeforeWindowDidLoad)
{
    pf::Nib::registerNib(QStringLiteral("TestPalette"), [](pf::NibLoader& loader) {
        loader.add(std::make_shared<NibPart>(QStringLiteral("palette part")));
        loader.setTopLevelWidget(new QWidget);
    });
    auto controller = std::make_shared<PaletteController>(QStringLiteral("TestPalette"));
    ASSERT_NE(controller->window(), nullptr);
    EXPECT_EQ(wakeLog(), (QStringList{QStringLiteral("palette part"), QStringLiteral("window owner"),
                                      QStringLiteral("windowDidLoad")}));
    EXPECT_TRUE(pf::WindowController::hasWindowNib(QStringLiteral("TestPalette")));
    pf::Nib::registerNib(QStringLiteral("TestPalette"), nullptr);
}

} // namespace
