#include "widgets/Color+RVStyleButton.h"
#include "widgets/RVCustomDragImageTableDelegate.h"
#include "widgets/RVCustomDragImageTableView.h"
#include "widgets/RVFlippedView.h"
#include "widgets/RVStyleButtonCell.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/TableViewDelegate.h"
#include "platform/ui/Window.h"
#include "tests/support/TestSupport.h"

#include <QMenu>
#include <QPainter>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using pf::Ref;

class NamedStyle : public pf::Object {
    PF_CLASS(NamedStyle)
public:
    QString name() const { return QStringLiteral("Road"); }
    void copyToPasteboard(const QVariant& pasteboard)
    {
        copiedTo = pf::fromVariant<Ref<pf::Pasteboard>>(pasteboard);
    }
    Ref<pf::Pasteboard> copiedTo;
};

} // namespace

PF_DEFINE_CLASS_NAMED(NamedStyle, pf::Object, "RVStyleButtonCellTestNamedStyle")
{
    b.property("name", &NamedStyle::name);
    b.method("copyToPasteboard:", &NamedStyle::copyToPasteboard);
}

namespace {

bool sameColour(const pf::Color& a, const pf::Color& b)
{
    return a.qColor().rgba() == b.qColor().rgba();
}

TEST(RVStyleButtonCell, StateColoursAndTheirShading)
{
    auto cell = std::make_shared<RVStyleButtonCell>();
    const pf::Color background = pf::Color::rgbGrey(1.0);
    EXPECT_TRUE(sameColour(cell->onStateColour(), stickyButtonColour()));
    EXPECT_TRUE(sameColour(stickyButtonColour(), pf::Color(QColor::fromRgbF(1.0f, 0.65f, 0.2f))));
    cell->setAllowsMixedState(true);
    struct Case {
        pf::ControlState state;
        bool highlighted;
        pf::Color base;
        double startShade; // 0: not shaded
        double endShade;
    };
    const QList<Case> cases{
        {pf::ControlState::Off, false, background, 0, 0.05},
        {pf::ControlState::Off, true, background, 0.1, 0.1},
        {pf::ControlState::On, false, stickyButtonColour(), 0.1, 0.1},
        {pf::ControlState::Mixed, false, pf::Color::blue(), 0.1, 0.1},
    };
    for (const Case& c : cases) {
        cell->setState(c.state);
        cell->setHighlighted(c.highlighted);
        const pf::Color start = c.startShade > 0 ? c.base.shadowWithLevel(c.startShade) : c.base;
        EXPECT_TRUE(sameColour(cell->colourForCurrentState(), start)) << int(c.state) << c.highlighted;
        const pf::Gradient gradient = cell->gradientForCurrentState();
        EXPECT_TRUE(sameColour(gradient.colorStopAt(1).color, start.shadowWithLevel(c.endShade)))
            << int(c.state) << c.highlighted;
    }
    cell->setState(pf::ControlState::On);
    cell->setOnStateColour(pf::Color());
    EXPECT_TRUE(sameColour(cell->colourForCurrentState(), pf::Color::clear()));
}

TEST(RVStyleButtonCell, NamedObjectGetsACopyMenu)
{
    auto cell = std::make_shared<RVStyleButtonCell>();
    EXPECT_EQ(cell->menu(), nullptr);
    auto style = std::make_shared<NamedStyle>();
    cell->setRepresentedObject(pf::toVariant(style));
    const Ref<pf::Menu> menu = cell->menu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->items().size(), 1);
    EXPECT_EQ(menu->items().first()->title(), QStringLiteral("Copy 'Road'"));
    EXPECT_EQ(menu->items().first()->action(), QStringLiteral("copyAction:"));
    cell->copyAction();
    EXPECT_EQ(style->copiedTo, pf::Pasteboard::general());

    auto own = std::make_shared<pf::Menu>();
    cell->setMenu(own);
    EXPECT_EQ(cell->menu(), own);
}

QImage render(QSize size, const std::function<void()>& draw, bool flipped = true)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    pf::GraphicsContextScope scope(painter, flipped);
    draw();
    return image;
}

TEST(RVStyleButtonCell, DisabledBezelDrawsNothingAndVeilsItsImage)
{
    auto cell = std::make_shared<RVStyleButtonCell>();
    const QRectF frame(0, 0, 30, 30);
    const QImage enabled = render(QSize(30, 30), [&] { cell->drawBezelWithFrame(frame, nullptr); });
    EXPECT_GT(qAlpha(enabled.pixel(15, 15)), 0);
    cell->setEnabled(false);
    const QImage disabled = render(QSize(30, 30), [&] { cell->drawBezelWithFrame(frame, nullptr); });
    EXPECT_EQ(qAlpha(disabled.pixel(15, 15)), 0);
    EXPECT_EQ(qAlpha(disabled.pixel(0, 15)), 0);

    QImage black(10, 10, QImage::Format_ARGB32);
    black.fill(Qt::black);
    const auto image = pf::Image::fromQImage(black);
    const QImage veiled = render(QSize(30, 30), [&] { cell->drawImage(*image, frame, nullptr); });
    EXPECT_GT(qRed(veiled.pixel(15, 15)), 0);
}

TEST(RVStyleButtonCell, FlippedImagesStayInTheirOwnRectangle)
{
    auto cell = std::make_shared<RVStyleButtonCell>();
    QImage marked(4, 4, QImage::Format_ARGB32);
    marked.fill(Qt::red);
    const auto image = pf::Image::fromQImage(marked);
    const QImage drawn = render(QSize(40, 40), [&] {
        cell->drawImage(*image, QRectF(10, 20, 4, 4), true, pf::ImageInterpolation::High, 1.0);
    });
    EXPECT_EQ(QColor(drawn.pixel(11, 21)), QColor(Qt::red));
    EXPECT_EQ(qAlpha(drawn.pixel(1, 1)), 0);
}

class PressAndHold : public ::testing::Test {
protected:
    void SetUp() override
    {
        cell->setShowsMenuAfterDelay(true);
        cell->setMenu(std::make_shared<pf::Menu>());
        cell->menu()->addItem(QStringLiteral("Pencil"), QStringLiteral("noop:"));
        button = new pf::Button(cell);
        button->setFrame(QRectF(10, 10, 40, 40));
        auto* root = new pf::View(QRectF(0, 0, 100, 100));
        root->addSubview(button);
        window.setContentView(root);
        window.show();
    }
    void TearDown() override { pf::PresentationHook::clear(); }
    pf::Event mouse(int type)
    {
        pf::Event event = pf::Event::mouseEvent(type, button->convertPointToView(QPointF(20, 20), nullptr), 0,
                                                pf::Event::now(), 0, 0, 1, 1);
        event.window = &window;
        return event;
    }
    pf::Window window;
    Ref<RVStyleButtonCell> cell = std::make_shared<RVStyleButtonCell>();
    pf::Button* button = nullptr;
};

TEST_F(PressAndHold, AShortClickCancelsTheMenuTimer)
{
    button->mouseDown(mouse(pf::LeftMouseDown));
    EXPECT_TRUE(cell->hasPendingMenuTimer());
    button->mouseUp(mouse(pf::LeftMouseUp));
    EXPECT_FALSE(cell->hasPendingMenuTimer());
    EXPECT_EQ(cell->state(), pf::ControlState::Off);
}

TEST_F(PressAndHold, HoldingASecondPopsTheMenuAndLeavesTheButtonOn)
{
    int menusShown = 0;
    pf::PresentationHook::set([&](QWidget* shown) {
        ++menusShown;
        shown->close();
    });
    button->mouseDown(mouse(pf::LeftMouseDown));
    ASSERT_TRUE(quillory::test::waitUntil([&] { return menusShown == 1; }, 3000));
    EXPECT_TRUE(quillory::test::waitUntil([&] { return cell->state() == pf::ControlState::On; }, 1000));
    EXPECT_FALSE(cell->hasPendingMenuTimer());
}

class DragImageDelegate : public pf::TableViewDelegate, public RVCustomDragImageTableDelegate {
public:
    QPixmap customDragImageInTableView(pf::TableView&, const pf::IndexSet& rows) override
    {
        askedRows = rows;
        return picture;
    }
    QPixmap picture{12, 8};
    pf::IndexSet askedRows;
};

TEST(RVCustomDragImageTableView, DelegatesPictureSitsAtThePointer)
{
    RVCustomDragImageTableView table;
    DragImageDelegate delegate;
    table.setDelegate(&delegate);
    pf::IndexSet rows;
    rows.add(2);
    QPoint offset(5, 5);
    const QPixmap picture = table.dragImageForRows(rows, pf::Event(), offset);
    EXPECT_EQ(picture.size(), QSize(12, 8));
    EXPECT_EQ(offset, QPoint(0, 0));
    EXPECT_EQ(delegate.askedRows, rows);
}

TEST(RVFlippedView, IsFlipped)
{
    RVFlippedView view;
    EXPECT_TRUE(view.isFlipped());
}

} // namespace
