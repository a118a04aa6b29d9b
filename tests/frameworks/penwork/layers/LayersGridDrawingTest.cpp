// The grid as drawn: every span line where the drawing puts it, across the whole page at any
// scale and offset, nothing between the lines and nothing outside the area asked for.
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGridLayer.h"

#include "platform/graphics/GraphicsContext.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct GridView {
    double scale;
    QPointF offset;
    QRect clip; // null for none
};

class LayersGridDrawing : public testing::TestWithParam<GridView> {};

bool inked(const QImage& image, int x, int y)
{
    return x >= 0 && y >= 0 && x < image.width() && y < image.height() && image.pixelColor(x, y) != QColor(Qt::white);
}

// Whether one of the pixels either side of device position `at` across the line is inked.
bool lineAt(const QImage& image, double at, int along, bool vertical)
{
    const int near = int(std::floor(at));
    for (int d = -1; d <= 1; ++d)
        if (vertical ? inked(image, near + d, along) : inked(image, along, near + d))
            return true;
    return false;
}

TEST_P(LayersGridDrawing, LinesFallWhereTheGridPutsThem)
{
    const GridView view = GetParam();
    auto drawing = PWDrawing::defaultDrawing();
    drawing->setDrawingSize(QSizeF(600, 500));
    const pf::Ref<PWGridLayer> grid = drawing->gridLayer();
    ASSERT_TRUE(grid);
    // Divisions show once they are three device pixels apart; else only the span lines.
    const double division = grid->spanDistance() / grid->divisions();
    const double span = division * view.scale >= 3.0 ? division : grid->spanDistance();
    const QRectF page = drawing->interior();
    ASSERT_GT(span * view.scale, 6.0); // room to see white between the lines

    QImage image(420, 380, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setTransform(QTransform(view.scale, 0, 0, view.scale, view.offset.x(), view.offset.y()));
        if (!view.clip.isNull())
            painter.setClipRect(painter.transform().inverted().mapRect(QRectF(view.clip)));
        pf::GraphicsContextScope scope(painter, true);
        grid->drawInContext(scope.context(), QRectF(QPointF(0, 0), drawing->drawingSize()), false);
    }

    const QTransform toDevice(view.scale, 0, 0, view.scale, view.offset.x(), view.offset.y());
    QRect visible = toDevice.mapRect(page).toAlignedRect().adjusted(3, 3, -3, -3) & image.rect();
    if (!view.clip.isNull()) {
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                if (!view.clip.adjusted(-1, -1, 1, 1).contains(x, y))
                    ASSERT_FALSE(inked(image, x, y)) << "outside the clip at " << x << ", " << y;
        visible &= view.clip.adjusted(2, 2, -2, -2);
    }
    ASSERT_FALSE(visible.isEmpty());

    int lines = 0;
    for (const bool vertical : {true, false}) {
        const double origin = vertical ? page.left() : page.top();
        const int low = vertical ? visible.left() : visible.top();
        const int high = vertical ? visible.right() : visible.bottom();
        for (qint64 k = 0;; ++k) {
            const double at = vertical ? toDevice.map(QPointF(origin + k * span, 0)).x()
                                       : toDevice.map(QPointF(0, origin + k * span)).y();
            if (at > high)
                break;
            const double between = at + span * view.scale / 2;
            // Along the whole length of the line within the visible area.
            const int first = vertical ? visible.top() : visible.left();
            const int last = vertical ? visible.bottom() : visible.right();
            for (int along = first; along <= last; along += 7) {
                if (at >= low) {
                    ASSERT_TRUE(lineAt(image, at, along, vertical)) << (vertical ? "x " : "y ") << at << " at " << along;
                }
                if (between >= low && between <= high) {
                    // Between the lines: white, unless a line across passes there.
                    const double across = (vertical ? toDevice.inverted().map(QPointF(0, along)).y() - page.top()
                                                    : toDevice.inverted().map(QPointF(along, 0)).x() - page.left()) / span;
                    if (std::abs(across - std::round(across)) * span * view.scale > 2.0) {
                        const int b = int(std::floor(between));
                        ASSERT_FALSE(vertical ? inked(image, b, along) : inked(image, along, b))
                            << "between lines at " << between << ", " << along;
                    }
                }
            }
            if (at >= low)
                ++lines;
        }
    }
    EXPECT_GE(lines, 4);
}

// A widget that paints the grid the way the drawing view does, through its window.
class GridWidget : public QWidget {
public:
    explicit GridWidget(pf::Ref<PWGridLayer> grid, QWidget* parent) : QWidget(parent), m_grid(std::move(grid)) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        pf::GraphicsContextScope scope(painter, true);
        m_grid->drawInContext(scope.context(), QRectF(rect()), false);
    }

private:
    pf::Ref<PWGridLayer> m_grid;
};

// A view placed inside its window (beside a sidebar, below a toolbar) is painted into the
// window at an offset: its grid still covers all of it, not only the part within its own size
// from the window's corner.
TEST(LayersGridDrawingInAWindow, CoversAViewPlacedInsideItsWindow)
{
    auto drawing = PWDrawing::defaultDrawing();
    drawing->setDrawingSize(QSizeF(300, 240));
    const pf::Ref<PWGridLayer> grid = drawing->gridLayer();
    ASSERT_TRUE(grid);
    QWidget window;
    window.resize(600, 500);
    auto* view = new GridWidget(grid, &window);
    view->setGeometry(250, 200, 300, 240);
    QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    window.render(&image);
    // A vertical span line near the view's right edge shows along the view's whole height.
    const double x = 250 + drawing->interior().left() + grid->spanDistance() * std::floor((300 - 10) / grid->spanDistance());
    ASSERT_GT(x, 250 + 150);
    for (int y = 205; y < 435; y += 10)
        EXPECT_TRUE(lineAt(image, x, y, true)) << "at " << x << ", " << y;
}

INSTANTIATE_TEST_SUITE_P(Views, LayersGridDrawing,
                         testing::Values(GridView{0.5, QPointF(7.3, 11.6), QRect()},
                                         GridView{3.0, QPointF(-13.4, -7.9), QRect()},
                                         GridView{1.0, QPointF(-40.25, 3.5), QRect()},
                                         GridView{0.8, QPointF(20, 20), QRect(90, 60, 150, 120)},
                                         GridView{2.25, QPointF(-101.7, -55.2), QRect(30, 200, 300, 90)}));

} // namespace
