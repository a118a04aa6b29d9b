// The click that brings an inactive window forward only activates it; the next click works.
#include "platform/ui/Panel.h"
#include "platform/ui/View.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

namespace {

// Counts the presses it is given.
class CountingView : public pf::View {
public:
    using pf::View::View;
    int downs = 0;

protected:
    void mouseDown(const pf::Event&) override { ++downs; }
};

// Takes first clicks itself but leaves presses to its parent, as a row's label does; it keeps
// the releases.
class PassingView : public pf::View {
public:
    using pf::View::View;

protected:
    bool acceptsFirstMouse(const pf::Event*) const override { return true; }
    void mouseUp(const pf::Event&) override {}
};

// The first click's release reaches the view the press was first offered to, not the parent
// that swallowed it; the parent used to stay swallowing and ignore every later click.
TEST(FirstClick, ASwallowedClickEndsWhereverItsReleaseGoes)
{
    QWidget other;
    other.resize(50, 50);
    CountingView parent;
    parent.resize(100, 100);
    auto* label = new PassingView(&parent);
    label->setGeometry(10, 10, 40, 20);
    other.show();
    parent.show();
    QApplication::setActiveWindow(&other);

    quint64 time = 7'000'000;
    auto click = [&] {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), label->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        press.setTimestamp(time += 1000);
        QApplication::sendEvent(label, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), label->mapToGlobal(QPointF(5, 5)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        release.setTimestamp(time += 50);
        QApplication::sendEvent(label, &release);
    };
    click();
    EXPECT_EQ(parent.downs, 0) << "the first click only activates the window";
    QApplication::setActiveWindow(&parent);
    click();
    EXPECT_EQ(parent.downs, 1);
    click();
    EXPECT_EQ(parent.downs, 2);
}

// A palette holding the focus leaves the program's windows working: their first click counts.
TEST(FirstClick, APanelHoldingTheFocusSwallowsNothing)
{
    pf::Panel palette;
    palette.resize(50, 50);
    CountingView view;
    view.resize(100, 100);
    palette.show();
    view.show();
    QApplication::setActiveWindow(&palette);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), view.mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    press.setTimestamp(9'000'000);
    QApplication::sendEvent(&view, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), view.mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    release.setTimestamp(9'000'050);
    QApplication::sendEvent(&view, &release);
    EXPECT_EQ(view.downs, 1);
}

} // namespace
